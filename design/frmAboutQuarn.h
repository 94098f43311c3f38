// frmAboutQuarn: the "About" row every component of the package shows in
// the inspector. The row is read-only; its "..." opens a small borderless
// window about the package, which the developer closes again.
#pragma once
#include "platform/rtl/MacroShield.h"

#include "platform/ide/DesignEditors.h"
#include "platform/vcl/ExtCtrls.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/StdCtrls.h"
#include "skin/controls/uQuarnPanel.h"
#include "skin/extended/uQuarnColorButton.h"

namespace qn {

using namespace vcl;

// The text the About row shows, whatever the property holds.
inline constexpr const Char* kAboutQuarnValue = u"Quarn Component Package 5.0";
// The class name under which the window's form text is registered; the
// same text, written into the install folder, marks that folder.
inline constexpr const Char* kAboutQuarnFormClass = u"TAbountQuarnForm";
inline constexpr const Char* kAboutQuarnDfm = u"frmAboutQuarn.dfm";

class TQnAboutBoxProperty : public TPropertyEditor {
  QN_CLASS_CREATE(TQnAboutBoxProperty, TPropertyEditor, TPropertyEditorArgs)
 public:
  using TPropertyEditor::TPropertyEditor;
  TPropertyAttributes GetAttributes() override;
  String GetValue() override;
  // Shows the About window modally; it is gone again when this returns.
  void Edit() override;
};

class TAbountQuarnForm : public TForm {
  QN_CLASS_CREATE(TAbountQuarnForm, TForm, TComponent)
 public:
  explicit TAbountQuarnForm(TComponent* AOwner) : TForm(AOwner) {}

  TQuarnPanel* pnlBack = nullptr;
  TImage* imgLogo = nullptr;
  TLabel* lblTitle = nullptr;
  TLabel* lblVersion = nullptr;
  TLabel* lblText = nullptr;
  TLabel* lblCopyright = nullptr;
  TQuarnColorButton* btnClose = nullptr;

  void FormCreate(TObject* Sender);
  void btnCloseClick(TObject* Sender);

  QN_PUBLISHED(TAbountQuarnForm) {
    QN_METHOD(FormCreate);
    QN_METHOD(btnCloseClick);
  }
};

// The window's form text, as registered for TAbountQuarnForm.
const char* AboutQuarnFormText();
// The library's drawing of itself for the window: a ring with a tail
// ("Q") over a blue gradient, Width x Height.
void DrawQuarnLogo(TBitmap* Bitmap, Integer Width, Integer Height);

void InitAboutQuarnUnit();
void FinalAboutQuarnUnit();

}  // namespace qn

#include "platform/rtl/MacroShieldEnd.h"
