// The Dialogs unit: the common-dialog components over the platform's own
// dialogs, and ShowMessage.
#pragma once

#include <memory>

#include "platform/classes/Component.h"
#include "platform/classes/PropInfo.h"
#include "platform/classes/Strings.h"
#include "platform/user/CommonDialogs.h"
#include "platform/vcl/Graphics.h"

namespace vcl {

class TCommonDialog : public TComponent {
  QN_CLASS(TCommonDialog, TComponent)
 public:
  explicit TCommonDialog(TComponent* AOwner) : TComponent(AOwner) {}
  // Runs the dialog modally over ParentWnd (the active form's window, or
  // the application's, when nil); true when the user confirmed it.
  bool Execute();
  virtual bool Execute(HWND ParentWnd) = 0;
  // The dialog's window while it runs.
  HWND Handle() const { return FRunning ? ActiveDialogWindow() : nullptr; }
  bool Ctl3D() const { return FCtl3D; }
  void SetCtl3D(bool Value) { FCtl3D = Value; }
  Integer HelpContext() const { return FHelpContext; }
  void SetHelpContext(Integer Value) { FHelpContext = Value; }

  TNotifyEvent OnShow;
  TNotifyEvent OnClose;

 protected:
  virtual void DoShow();
  virtual void DoClose();
  bool FRunning = false;

 private:
  bool FCtl3D = true;
  Integer FHelpContext = 0;
};

enum class TColorDialogOption : Byte { cdFullOpen, cdPreventFullOpen, cdShowHelp, cdSolidColor, cdAnyColor };
QN_ENUM_NAMES(TColorDialogOption, cdFullOpen, cdPreventFullOpen, cdShowHelp, cdSolidColor, cdAnyColor)
using enum TColorDialogOption;
using TColorDialogOptions = TSet<TColorDialogOption>;
QN_TYPE_NAME(TColorDialogOptions)

class TColorDialog : public TCommonDialog {
  QN_CLASS_CREATE(TColorDialog, TCommonDialog, TComponent)
 public:
  explicit TColorDialog(TComponent* AOwner);
  ~TColorDialog() override;

  using TCommonDialog::Execute;
  bool Execute(HWND ParentWnd) override;

  TColor Color() const { return FColor; }
  void SetColor(TColor Value) { FColor = Value; }
  // Up to sixteen lines "ColorA=BBGGRR" ... "ColorP=BBGGRR" (hexadecimal);
  // missing or unreadable entries are white.
  TStrings* CustomColors() const { return FCustomColors.get(); }
  void SetCustomColors(TStrings* Value) { FCustomColors->Assign(Value); }
  TColorDialogOptions Options() const { return FOptions; }
  void SetOptions(TColorDialogOptions Value) { FOptions = Value; }

  QN_PUBLISHED_DECL(TColorDialog) {
    P.Property(u"Color", &TColorDialog::Color, &TColorDialog::SetColor).TypeName(u"TColor").Default(clBlack);
    P.Property(u"CustomColors", &TColorDialog::CustomColors, &TColorDialog::SetCustomColors);
    P.Property(u"Options", &TColorDialog::Options, &TColorDialog::SetOptions).Default(TColorDialogOptions());
  }

 private:
  TColor FColor = clBlack;
  std::unique_ptr<TStringList> FCustomColors;
  TColorDialogOptions FOptions;
};

// A message box with an OK button, captioned with the application's title,
// over the active form.
void ShowMessage(const String& Msg);

}  // namespace vcl
