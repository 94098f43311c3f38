// The Dialogs unit: the common-dialog components over the platform's own
// dialogs, and ShowMessage.
#pragma once
#include "platform/rtl/MacroShield.h"

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

enum class TOpenOption : Byte {
  ofReadOnly, ofOverwritePrompt, ofHideReadOnly, ofNoChangeDir, ofShowHelp, ofNoValidate, ofAllowMultiSelect,
  ofExtensionDifferent, ofPathMustExist, ofFileMustExist, ofCreatePrompt, ofShareAware, ofNoReadOnlyReturn,
  ofNoTestFileCreate, ofNoNetworkButton, ofNoLongNames, ofOldStyleDialog, ofNoDereferenceLinks,
  ofEnableIncludeNotify, ofEnableSizing, ofDontAddToRecent, ofForceShowHidden
};
QN_ENUM_NAMES(TOpenOption, ofReadOnly, ofOverwritePrompt, ofHideReadOnly, ofNoChangeDir, ofShowHelp, ofNoValidate,
              ofAllowMultiSelect, ofExtensionDifferent, ofPathMustExist, ofFileMustExist, ofCreatePrompt,
              ofShareAware, ofNoReadOnlyReturn, ofNoTestFileCreate, ofNoNetworkButton, ofNoLongNames,
              ofOldStyleDialog, ofNoDereferenceLinks, ofEnableIncludeNotify, ofEnableSizing, ofDontAddToRecent,
              ofForceShowHidden)
using enum TOpenOption;
using TOpenOptions = TSet<TOpenOption>;
QN_TYPE_NAME(TOpenOptions)

using TCloseQueryEvent = TEvent<void(TObject* Sender, bool& CanClose)>;

// The file-open dialog over GetOpenFileNameW. Filter is "Text|*.txt|All|*.*"
// (description and patterns, '|'-separated); FilterIndex counts from 1.
// After Execute, FileName is the (first) chosen file and Files every one.
// OnCanClose may turn an answer down: the dialog then asks again.
class TOpenDialog : public TCommonDialog {
  QN_CLASS_CREATE(TOpenDialog, TCommonDialog, TComponent)
 public:
  explicit TOpenDialog(TComponent* AOwner);
  ~TOpenDialog() override;

  using TCommonDialog::Execute;
  bool Execute(HWND ParentWnd) override;

  String DefaultExt() const { return FDefaultExt; }
  void SetDefaultExt(const String& Value) { FDefaultExt = Value; }
  String FileName() const { return FFileName; }
  void SetFileName(const String& Value) { FFileName = Value; }
  TStrings* Files() const { return FFiles.get(); }
  String Filter() const { return FFilter; }
  void SetFilter(const String& Value) { FFilter = Value; }
  Integer FilterIndex() const { return FFilterIndex; }
  void SetFilterIndex(Integer Value) { FFilterIndex = Value; }
  String InitialDir() const { return FInitialDir; }
  void SetInitialDir(const String& Value) { FInitialDir = Value; }
  TOpenOptions Options() const { return FOptions; }
  void SetOptions(TOpenOptions Value) { FOptions = Value; }
  String Title() const { return FTitle; }
  void SetTitle(const String& Value) { FTitle = Value; }
  const TCloseQueryEvent& OnCanClose() const { return FOnCanClose; }
  void SetOnCanClose(const TCloseQueryEvent& Value) { FOnCanClose = Value; }

  QN_PUBLISHED_DECL(TOpenDialog) {
    QN_PROP(DefaultExt);
    QN_PROP(FileName);
    QN_PROP(Filter);
    QN_PROP(FilterIndex).Default(1);
    QN_PROP(InitialDir);
    QN_PROP(Options).Default(TOpenOptions{ofHideReadOnly, ofEnableSizing});
    QN_PROP(Title);
    QN_PROP(OnCanClose);
  }

 protected:
  virtual bool IsSave() const { return false; }
  virtual bool DoCanClose();

 private:
  String FDefaultExt, FFileName, FFilter, FInitialDir, FTitle;
  std::unique_ptr<TStringList> FFiles;
  Integer FFilterIndex = 1;
  TOpenOptions FOptions{ofHideReadOnly, ofEnableSizing};
  TCloseQueryEvent FOnCanClose;
};

// The same over GetSaveFileNameW.
class TSaveDialog : public TOpenDialog {
  QN_CLASS_CREATE(TSaveDialog, TOpenDialog, TComponent)
 public:
  explicit TSaveDialog(TComponent* AOwner) : TOpenDialog(AOwner) {}

 protected:
  bool IsSave() const override { return true; }
};

// A message box with an OK button, captioned with the application's title,
// over the active form.
void ShowMessage(const String& Msg);

}  // namespace vcl

#include "platform/rtl/MacroShieldEnd.h"
