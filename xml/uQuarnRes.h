// uQuarnRes: the skin configuration component. It owns the settings every
// skinned form of the application shares and keeps them in
// <exe folder>/Skin/Config.xml, so a deployed program is re-skinned by
// editing that one file. At design time every change rewrites the file; at
// run time every change is pushed to the registered skinned forms.
#pragma once
#include "platform/rtl/MacroShield.h"

#include <memory>

#include "skin/forms/uQnFormSkinVar.h"
#include "xml/PlainXml_qn.h"

namespace qn {

class TQuarnRes : public TQnCustomSkinRes {
  QN_CLASS_CREATE(TQuarnRes, TQnCustomSkinRes, TComponent)
 public:
  explicit TQuarnRes(TComponent* AOwner);
  ~TQuarnRes() override;

  void Load() { LoadConfig(); }
  void Save() { SaveConfig(); }
  // Reads the file into Form without notifying; without a file, takes the
  // default picture when there is one and notifies once.
  void LoadConfig();
  // Writes Form and gHSB to the file, always as UTF-8 without a byte-order
  // mark; a failed write is swallowed (at design time reported once per
  // process).
  void SaveConfig();
  // Design time: saves. Run time: sends MM_SKINRESCHANGED to every
  // registered skinned form, last first.
  void Apply() override;
  // Run time only: the initial settings and no tint, as one change.
  void ApplyDefault();

  TQnFormSkinRes* Form() const override { return GetForm(); }
  TQnFormSkinRes* GetForm() const { return FForm.get(); }
  void SetForm(TQnFormSkinRes* Value);
  Boolean UseSkinFile() const { return FUseSkinFile; }
  void SetUseSkinFile(Boolean Value) { FUseSkinFile = Value; }
  TQnAboutInfo About() const { return FAboutInfo; }
  void SetAbout(TQnAboutInfo) {}
  const String& XmlFileName() const { return FXmlFileName; }
  TPlainXml* Xml() const { return FXml.get(); }

  QN_PUBLISHED_DECL(TQuarnRes) {
    QN_PROP(About).Stored(false);
    QN_PROP(Form);
    QN_PROP(UseSkinFile).NoDefault();
  }

 protected:
  void Loaded() override;

 private:
  String SkinFolder() const;

  std::unique_ptr<TQnFormSkinRes> FForm;
  std::unique_ptr<TPlainXml> FXml;
  String FXmlFileName;
  TQnAboutInfo FAboutInfo = aiQuarnComponent;
  Boolean FUseSkinFile = true;
};

// The design-time save failure is reported once per process; tests re-arm it.
void ResetQuarnResSaveWarning();

void InitQuarnRes();
void DoneQuarnRes();

}  // namespace qn

#include "platform/rtl/MacroShieldEnd.h"
