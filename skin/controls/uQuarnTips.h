// uQuarnTips: small framed pop-up notes with an optional bold title and a
// close button, laid over or beside a control or at a screen rectangle.
// Each Show makes one borderless tool window that never takes the focus,
// follows its control, can hide while the control's form is inactive and
// closes itself after a pause without mouse movement over it.
#pragma once
#include "platform/rtl/MacroShield.h"

#include <memory>

#include "platform/classes/Lists.h"
#include "platform/vcl/Controls.h"
#include "platform/vcl/ExtCtrls.h"
#include "skin/foundation/uQuarnIntf.h"
#include "skin/foundation/uSimpleTimer.h"

namespace qn {

enum class TTipsDirection { hdTop, hdBottom, hdCustom };
QN_ENUM_NAMES(TTipsDirection, hdTop, hdBottom, hdCustom)
using enum TTipsDirection;

enum class TMouseInTips { itNone, itCloseButton };
using enum TMouseInTips;

class TQuarnTipsWindow;

class TQuarnCustomTips : public TComponent {
  QN_CLASS_CREATE(TQuarnCustomTips, TComponent, TComponent)
 public:
  explicit TQuarnCustomTips(TComponent* AOwner);
  ~TQuarnCustomTips() override;

  // One new window; 0 when neither Control nor Rect is given. A Rect given
  // with a Control is in the coordinates of the Control's parent and is
  // rewritten to the screen in place; alone it is on the screen already.
  HWND Show(const String& Title, const String& Tips, TWinControl* Control, TRect* Rect, TTipsDirection Direction);
  HWND Show(const String& Title, const String& Tips, TWinControl* Control, TRect* Rect) {
    return Show(Title, Tips, Control, Rect, hdTop);
  }
  // Frees every window shown, newest first.
  void CloseSubTipsWindow();
  // Text in TipsFont, broken only at its line breaks.
  TSize GetTipsSize(const String& Text);
  Integer GetTipsWidth(const String& Text) { return GetTipsSize(Text).cx; }
  Integer GetTipsHeight(const String& Text) { return GetTipsSize(Text).cy; }

  // The setters only store; fonts are copied. Windows shown later take them.
  TTipsDirection TipsDirection() const { return FTipsDirection; }
  void SetTipsDirection(TTipsDirection Value) { FTipsDirection = Value; }
  TColor TipsColor() const { return FTipsColor; }
  void SetTipsColor(TColor Value) { FTipsColor = Value; }
  TColor FrameColor() const { return FFrameColor; }
  void SetFrameColor(TColor Value) { FFrameColor = Value; }
  TFont* TipsFont() const { return FTipsFont.get(); }
  void SetTipsFont(TFont* Value) { FTipsFont->Assign(Value); }
  TFont* TitleFont() const { return FTitleFont.get(); }
  void SetTitleFont(TFont* Value) { FTitleFont->Assign(Value); }
  Integer PauseTime() const { return FPauseTime; }
  void SetPauseTime(Integer Value) { FPauseTime = Value; }
  bool CloseButtonVisible() const { return FCloseButtonVisible; }
  void SetCloseButtonVisible(bool Value) { FCloseButtonVisible = Value; }
  bool HideOfParentDeactivate() const { return FHideOfParentDeactivate; }
  void SetHideOfParentDeactivate(bool Value) { FHideOfParentDeactivate = Value; }
  TAlignment AlignmentHorizontal() const { return FAlignmentHorizontal; }
  void SetAlignmentHorizontal(TAlignment Value) { FAlignmentHorizontal = Value; }
  TVerticalAlignment AlignmentVertical() const { return FAlignmentVertical; }
  void SetAlignmentVertical(TVerticalAlignment Value) { FAlignmentVertical = Value; }

  // The windows shown and not yet freed.
  TList* List() const { return FList.get(); }
  bool IsPauseTimeStored() const { return FPauseTime != 3500; }

 protected:
  // Frees the windows that have closed themselves.
  void FreeClosedWindows();

  TTipsDirection FTipsDirection = hdTop;
  TColor FTipsColor = static_cast<TColor>(0x00B0F1FF);
  std::unique_ptr<TFont> FTipsFont;
  std::unique_ptr<TFont> FTitleFont;
  TColor FFrameColor = static_cast<TColor>(0x000AB0E6);
  Integer FPauseTime = 3500;
  std::unique_ptr<TList> FList;
  bool FCloseButtonVisible = true;
  bool FHideOfParentDeactivate = false;
  TVerticalAlignment FAlignmentVertical = taAlignTop;
  TAlignment FAlignmentHorizontal = taLeftJustify;
};

class TQuarnTips : public TQuarnCustomTips {
  QN_CLASS_CREATE(TQuarnTips, TQuarnCustomTips, TComponent)
 public:
  explicit TQuarnTips(TComponent* AOwner) : TQuarnCustomTips(AOwner) {}

  QN_PUBLISHED_DECL(TQuarnTips) {
    QN_PROP(TipsDirection).Default(hdTop);
    QN_PROP(TipsColor).TypeName(u"TColor").NoDefault().Stored(true);
    QN_PROP(FrameColor).TypeName(u"TColor").NoDefault().Stored(true);
    QN_PROP(TipsFont);
    QN_PROP(TitleFont);
    QN_PROP(PauseTime).Default(3500);
    QN_PROP(CloseButtonVisible).Default(true);
    QN_PROP(AlignmentHorizontal).Default(taLeftJustify);
    QN_PROP(AlignmentVertical).Default(taAlignTop);
  }
};

class TQuarnTipsWindow : public TCustomControl {
  QN_CLASS(TQuarnTipsWindow, TCustomControl)
 public:
  // TipsComponent is the component whose look the window takes; the window
  // has no owner component (the tips component's list holds it).
  explicit TQuarnTipsWindow(TQuarnCustomTips* TipsComponent);
  ~TQuarnTipsWindow() override;

  virtual void DoOnTimer(TObject* Sender);
  virtual void DoClose(bool Animate);
  virtual void Close();
  virtual void ActivateTips(const String& Title, const String& Tips, TWinControl* Control, TRect* Rect);

  TQuarnCustomTips* FindQuarnTips() const { return FTipsObj; }
  bool TitleVisible() const { return !FTitle.empty(); }
  Integer TitleHeight();
  TSize TipsHeight(const TRect* Rect);
  // Set once the window has sent itself WM_CLOSE.
  bool Closed() const { return FClosed; }
  TWinControl* ParentControl() const { return FParentControl; }
  const TRect& CloseButtonRect() const { return FCloseButtonRect; }
  TMouseInTips MouseInTips() const { return FMouseInTips; }

  void Dispatch(TMessage& Message) override;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void Paint() override;
  void Click() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void WMSize(TMessage& Message);
  void WMMouseMove(TMessage& Message);
  // The anchor's top-left on the screen.
  static TPoint AnchorScreenPos(TWinControl* Control);

  TQuarnCustomTips* FQnTips = nullptr;
  String FTips, FTitle;
  std::unique_ptr<TPngPictures> FCloseButton;
  TRect FCloseButtonRect;
  TWinControl* FParentControl = nullptr;
  TMouseInTips FMouseInTips = itNone;
  bool FMousePressed = false;
  std::unique_ptr<TBitmap32> FMemBmp;
  std::unique_ptr<uSimpleTimer::TSimpleTimer> FTimer;
  Int64 FT1 = 0, FT2 = 0;
  TPoint FOldParentControlPos;
  TQuarnCustomTips* FTipsObj = nullptr;
  TSize FTipsSize;
  bool FClosed = false;
};

// Registers the published class for form files.
void InitQuarnTips();

}  // namespace qn

#include "platform/rtl/MacroShieldEnd.h"
