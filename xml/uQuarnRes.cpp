#include "xml/uQuarnRes.h"

#include "platform/rtl/SysUtils.h"
#include "platform/user/CommonDialogs.h"
#include "platform/vcl/Forms.h"
#include "skin/forms/uQuarnForm.h"

namespace qn {

namespace {

// Cleared by the first failed design-time save of the process.
bool GWarnOnFailedSave = true;

const Char* const kDefaultPicture = u"skin_bk_leaf.jpg";

// A picture name from the file must stay inside Skin/Custom: a bare file
// name, never a path or a way up.
bool IsBareFileName(const String& Name) {
  if (Name.empty() || Name == u"." || Name == u"..") return false;
  for (Char c : Name)
    if (c == u'/' || c == u'\\' || c == u':' || c == 0) return false;
  return true;
}

// The setting element of that name anywhere below Form, or nil.
TXmlNode* Setting(TXmlNode* Form, const char* Name) { return Form ? Form->FindNode(Name) : nullptr; }

}  // namespace

void ResetQuarnResSaveWarning() { GWarnOnFailedSave = true; }

TQuarnRes::TQuarnRes(TComponent* AOwner) : TQnCustomSkinRes(AOwner) {
  FXml = std::make_unique<TPlainXml>(nullptr);
  FForm = std::make_unique<TQnFormSkinRes>(this);
  FXmlFileName = SkinFolder() + u"Config.xml";
  LoadConfig();
}

// FXml goes first, then FForm: the members are declared the other way round.
TQuarnRes::~TQuarnRes() = default;

String TQuarnRes::SkinFolder() const {
  return IncludeTrailingPathDelimiter(ExtractFilePath(ParamStr(0))) + u"Skin" + PathDelim;
}

void TQuarnRes::Loaded() {
  inherited::Loaded();
  if (FUseSkinFile)
    LoadConfig();
  else
    SaveConfig();
}

void TQuarnRes::SetForm(TQnFormSkinRes* Value) { FForm->Assign(Value); }

void TQuarnRes::SaveConfig() {
  // A document loaded from a UTF-16 or legacy file keeps that encoding;
  // the file is always written back as UTF-8 under its utf-8 declaration.
  FXml->ResetDefaults();
  FXml->New();
  TsdElement* root = FXml->Root();
  root->SetName("QuarnRes");
  TXmlNode* form = root->NodeNew("Config")->NodeNew("Custom")->NodeNew("Form");
  TQnFormSkinRes* f = FForm.get();
  form->NodeNew("Style")->SetValueAsInteger(static_cast<Integer>(f->Style()));
  form->NodeNew("FormBg")->SetValue(sdWideToUtf8(f->CustomPictureName()));
  form->NodeNew("DefaultSkinOrder")->SetValueAsInteger(f->DefaultSkinOrder());
  form->NodeNew("HitTestWidth")->SetValueAsInteger(f->HitTestWidth());
  form->NodeNew("GradientHeight")->SetValueAsInteger(f->GradientHeight());
  form->NodeNew("TitleHeight")->SetValueAsInteger(f->TitleHeight());
  form->NodeNew("TitlerColor")->SetValueAsInteger(static_cast<Integer>(f->TitlerColor()));
  form->NodeNew("Color")->SetValueAsInteger(static_cast<Integer>(f->Color()));
  form->NodeNew("FramWidth")->SetValueAsInteger(f->FramWidth());
  form->NodeNew("HSB_H")->SetValueAsInteger(gHSB.H);
  form->NodeNew("HSB_S")->SetValueAsInteger(gHSB.S);
  form->NodeNew("HSB_B")->SetValueAsInteger(gHSB.B);
  try {
    // A folder that cannot be made fails the save below like any other
    // unwritable place.
    const String folder = ExtractFilePath(FXmlFileName);
    if (!DirectoryExists(folder)) ForceDirectories(folder);
    FXml->SaveToFile(FXmlFileName);
  } catch (const Exception&) {
    if (ComponentState().Contains(csDesigning) && GWarnOnFailedSave) {
      GWarnOnFailedSave = false;
      MessageBoxW(nullptr,
                  u"If you want to use TQuarnRes component, please save the project to a non-system disk "
                  u"partition or IDE running as an administrator",
                  u"Information", MB_ICONEXCLAMATION);
    }
  }
}

void TQuarnRes::LoadConfig() {
  TQnFormSkinRes* f = FForm.get();
  const String folder = SkinFolder();
  const String defaultPicture = folder + u"Default" + PathDelim + kDefaultPicture;
  if (!FileExists(FXmlFileName)) {
    f->BeginUpdate();
    try {
      if (FileExists(defaultPicture)) {
        f->SetCustomPictureName(kDefaultPicture);
        f->SetCustomPicture(defaultPicture);
      }
    } catch (...) {
      f->EndUpdate();
      throw;
    }
    f->EndUpdate();
    return;
  }

  FXml->LoadFromFile(FXmlFileName);
  // A file cut short or written by hand may lack any level or setting:
  // what is missing keeps its current value.
  TXmlNode* root = FXml->Root();
  TXmlNode* config = root ? root->FindNode("Config") : nullptr;
  TXmlNode* custom = config ? config->FindNode("Custom") : nullptr;
  TXmlNode* form = custom ? custom->FindNode("Form") : nullptr;
  f->Lock();
  try {
    if (TXmlNode* n = Setting(form, "Style")) {
      const Integer style = n->GetValueAsInteger();
      if (style == 0 || style == 1) f->SetStyle(static_cast<TQuarnStyle>(style));
    }
    if (TXmlNode* n = Setting(form, "DefaultSkinOrder")) f->SetDefaultSkinOrder(n->GetValueAsInteger());
    if (form) {
      TXmlNode* bg = Setting(form, "FormBg");
      const String name = bg ? sdUtf8ToWide(bg->GetValue()) : String();
      const String custom = folder + u"Custom" + PathDelim + name;
      if (IsBareFileName(name) && FileExists(custom)) {
        f->SetCustomPictureName(name);
        f->SetCustomPicture(custom);
      } else if (FileExists(defaultPicture)) {
        f->SetCustomPictureName(kDefaultPicture);
        f->SetCustomPicture(defaultPicture);
      }
    }
    if (TXmlNode* n = Setting(form, "GradientHeight")) f->SetGradientHeight(n->GetValueAsInteger());
    if (TXmlNode* n = Setting(form, "HitTestWidth")) f->SetHitTestWidth(n->GetValueAsInteger());
    if (TXmlNode* n = Setting(form, "TitleHeight")) f->SetTitleHeight(n->GetValueAsInteger());
    if (TXmlNode* n = Setting(form, "TitlerColor")) f->SetTitlerColor(static_cast<TColor>(n->GetValueAsInteger()));
    if (TXmlNode* n = Setting(form, "Color")) f->SetColor(static_cast<TColor>(n->GetValueAsInteger()));
    if (TXmlNode* n = Setting(form, "FramWidth")) f->SetFramWidth(n->GetValueAsInteger());
    if (TXmlNode* n = Setting(form, "HSB_H")) gHSB.H = n->GetValueAsInteger();
    if (TXmlNode* n = Setting(form, "HSB_S")) gHSB.S = n->GetValueAsInteger();
    if (TXmlNode* n = Setting(form, "HSB_B")) gHSB.B = n->GetValueAsInteger();
  } catch (...) {
    f->UnLock();
    throw;
  }
  f->UnLock();
}

void TQuarnRes::Apply() {
  if (ComponentState().Contains(csDesigning)) {
    SaveConfig();
    return;
  }
  TQnFormSkinHelper* forms = TQnFormSkinHelperObj();
  // Pumping messages can free forms: the index is checked against the list
  // as it is now, and only a form still listed with a live window is sent to.
  for (Integer i = forms->Count() - 1; i >= 0; --i) {
    if (Application) Application->ProcessMessages();
    if (i >= forms->Count()) continue;
    TCustomForm* form = forms->Items(i).Form;
    if (!form || form->ComponentState().Contains(csDestroying)) continue;
    const HWND h = form->Handle();
    if (h && IsWindow(h)) SendMessageW(h, MM_SKINRESCHANGED, 0, 0);
  }
}

void TQuarnRes::ApplyDefault() {
  if (ComponentState().Contains(csDesigning)) return;
  TQnFormSkinRes* f = FForm.get();
  f->BeginUpdate();
  try {
    f->SetStyle(ssColor);
    f->SetDefaultSkinOrder(0);
    f->SetCustomPicture(TQnResID());
    f->SetHitTestWidth(5);
    f->SetTitleHeight(27);
    f->SetGradientHeight(168);
    f->SetTitlerColor(16761926);
    f->SetColor(15920353);
    f->SetFramWidth(2);
    gHSB = THSB{};
  } catch (...) {
    f->EndUpdate();
    throw;
  }
  f->EndUpdate();
}

void InitQuarnRes() {
  RegisterClasses({TQuarnRes::StaticClass()});
  if (!gQnFormStyle) gQnFormStyle = new TQnFormSkinRes(nullptr);
}

void DoneQuarnRes() {
  delete gQnFormStyle;
  gQnFormStyle = nullptr;
}

}  // namespace qn

QN_PUBLISHED_IMPL(qn::TQuarnRes)
