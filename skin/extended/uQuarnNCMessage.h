// uQuarnNCMessage: a title-bar marquee. A line of text scrolls from right
// to left through a fixed stretch of a skinned form's title bar, like a
// news ticker, on a form with TQuarnForm or TQuarnAlphaForm. A step draws
// only the stretch, over a copy of the title bar the last full repaint
// left; a full repaint draws the current frame. With AllowClick it acts as
// a link (hand cursor, hot font, OnClick); without, a press drags the form.
#pragma once
#include "platform/rtl/MacroShield.h"

#include <memory>

#include "graphics/raster/Pix32_qn.h"
#include "skin/forms/uQuarnNCCtrlBase.h"
#include "skin/foundation/uSimpleTimer.h"

namespace qn {

class TCustomQuarnNCMessage : public TQuarnNCCtrlBase {
  QN_CLASS(TCustomQuarnNCMessage, TQuarnNCCtrlBase)
 public:
  explicit TCustomQuarnNCMessage(TComponent* AOwner);
  ~TCustomQuarnNCMessage() override;

  Boolean ActiveScroll() const { return FActiveScroll; }
  void SetActiveScroll(Boolean Value);
  Boolean AllowClick() const { return FAllowClick; }
  void SetAllowClick(Boolean Value) { FAllowClick = Value; }
  String Text() const { return FText; }
  void SetText(const String& Value);
  TFont* Font() const { return FFont.get(); }
  void SetFont(TFont* Value) { FFont->Assign(Value); }
  TFont* HotFont() const { return FHotFont.get(); }
  void SetHotFont(TFont* Value) { FHotFont->Assign(Value); }
  Boolean LoopMode() const { return FLoopMode; }
  void SetLoopMode(Boolean Value) { FLoopMode = Value; }
  // Milliseconds per step.
  Cardinal Speed() const { return FSpeed; }
  void SetSpeed(Cardinal Value);
  // Pixels per step; 0 is taken as 1.
  Byte Step() const { return FStep; }
  void SetStep(Byte Value) { FStep = Value == 0 ? 1 : Value; }
  // The width of the stretch the text scrolls through.
  Integer Width() const { return FWidth; }
  void SetWidth(Integer Value);
  TCursor Cursor() const { return FCursor; }
  void SetCursor(TCursor Value) { FCursor = Value; }
  TNotifyEvent OnClick() const { return FOnClick; }
  void SetOnClick(const TNotifyEvent& Value) { FOnClick = Value; }

  // Run time only: measures, asks for a repaint and starts the steps.
  void StartScroll();
  void StopScroll();
  bool Scrolling() const { return FTimerObj->Enabled(); }
  void DoChanged();
  void DoResetSize();
  // One scroll step.
  void DoTimerProc(TObject* Sender);
  void DoFontChanged(TObject* Sender);
  virtual void Click();

  TRect GetRect() override { return FMessageRect; }
  TSize GetSize() override { return TSize{FWidth, FTextHeight}; }
  void MouseEnter() override;
  void MouseLeave() override;
  void MouseMove(TPoint P) override;
  void LMouseDown(TPoint P) override;
  void LMouseUp(TPoint P) override;
  void Paint(TBitmap32* Buffer) override;

  // The scroll state: the text's left edge and where the last frame went
  // (window coordinates), the measured text, the stretch, the hover state.
  Integer DispX() const { return FDispX; }
  Integer NewX() const { return FNewX; }
  Integer TextWidth() const { return FTextWidth; }
  Integer TextHeight() const { return FTextHeight; }
  const TRect& MessageRect() const { return FMessageRect; }
  TNCButtonState State() const { return FState; }
  // Steps that drew a frame so far.
  Integer FramesDrawn() const { return FFramesDrawn; }

 protected:
  std::unique_ptr<uSimpleTimer::TSimpleTimer> FTimerObj;
  Boolean FAllowClick = false;
  std::unique_ptr<TFont> FFont, FHotFont;
  String FText;
  Boolean FLoopMode = true;
  Integer FWidth = 400;
  Integer FTextWidth = 0, FTextHeight = 0;
  Integer FDispX = 0, FNewX = 0;
  std::unique_ptr<TBitmap32> FBgCanvas, FTextCanvas;
  TRect FMessageRect;
  Cardinal FSpeed = 100;
  Byte FStep = 2;
  TCursor FCursor = crHandPoint;
  TNotifyEvent FOnClick;
  TNCButtonState FState = TNCButtonState::bsNormal;
  Boolean FActiveScroll = true;

 private:
  bool Running() const;
  // Fills FTextCanvas with the frame for FDispX; false when there is none
  // to show (blank text, or no background saved yet).
  bool ComposeFrame();
  void SetState(TNCButtonState Value);
  bool FBgSaved = false;
  bool FHasFrame = false;
  bool FRestart = false;
  Integer FFramesDrawn = 0;
};

class TQuarnNCMessage : public TCustomQuarnNCMessage {
  QN_CLASS_CREATE(TQuarnNCMessage, TCustomQuarnNCMessage, TComponent)
 public:
  explicit TQuarnNCMessage(TComponent* AOwner) : TCustomQuarnNCMessage(AOwner) {}

  QN_PUBLISHED_DECL(TQuarnNCMessage) {
    QN_PROP(ActiveScroll).Default(true);
    QN_PROP(AllowClick).Default(false);
    QN_PROP(Text);
    QN_PROP(Font);
    QN_PROP(HotFont);
    QN_PROP(LoopMode).Default(true);
    QN_PROP(Speed).Default(100);
    QN_PROP(Step).Default(2);
    QN_PROP(Width);
    QN_PROP(Cursor).TypeName(u"TCursor").Default(crHandPoint);
    QN_PROP(OnClick).TypeName(u"TNotifyEvent");
  }
};

void InitQuarnNCMessage();

}  // namespace qn

#include "platform/rtl/MacroShieldEnd.h"
