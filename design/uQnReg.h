// uQnReg: what the design host runs when it loads the package. Register
// records the install folder for the run-time code, puts the 72 components
// on the "Quarn" palette page and installs the package's component and
// property editors.
#pragma once
#include "platform/rtl/MacroShield.h"

#include "platform/ide/DesignEditors.h"

namespace qn {

using namespace vcl;

// The palette page every component of the package is put on.
inline constexpr const Char* kQuarnPalettePage = u"Quarn";
// Where the install folder is recorded for the current user.
inline constexpr const Char* kQuarnRegKey = u"Software\\Quarn";
inline constexpr const Char* kQuarnRegOpenFailed = u"Can not open registry key by quarn!";

// The package's resource strings by id (65460 "New page", 65461 "Delete
// page"); EArgumentException for an id it does not have.
String QnRegResString(Integer Id);
inline constexpr Integer SNewPage = 65460;
inline constexpr Integer SDeletePage = 65461;

// New and delete page, on a page control or on one of its sheets.
class TQuarnPageControlEditor : public TDefaultEditor {
  QN_CLASS_CREATE(TQuarnPageControlEditor, TDefaultEditor, TComponentEditorArgs)
 public:
  using TDefaultEditor::TDefaultEditor;
  Integer GetVerbCount() override;
  String GetVerb(Integer Index) override;
  // 0 adds a sheet named by the designer, 1 frees the active one; a sheet
  // that belongs to no page control has nothing to act on.
  void ExecuteVerb(Integer Index) override;
};

// Opens the host's collection editor on the toolbar's Items.
class TQuarnToolbarEditor : public TComponentEditor {
  QN_CLASS_CREATE(TQuarnToolbarEditor, TComponentEditor, TComponentEditorArgs)
 public:
  using TComponentEditor::TComponentEditor;
  Integer GetVerbCount() override;
  String GetVerb(Integer Index) override;
  void ExecuteVerb(Integer Index) override;
};

// The package's registration: run by the design host once per load.
// ERegistryException with kQuarnRegOpenFailed when the install folder has
// to be recorded and the key cannot be opened; nothing is registered then.
void Register();

// The folder Register found to be the install folder (with a trailing
// delimiter), empty when it found none; kept until the unit finalizes.
String QnRegInstallFolder();

void InitQnRegUnit();
void FinalQnRegUnit();

}  // namespace qn

#include "platform/rtl/MacroShieldEnd.h"
