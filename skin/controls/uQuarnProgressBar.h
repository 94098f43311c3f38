// uQuarnProgressBar: a horizontal bar drawn from two skin images — a groove
// stretched to the whole width and the filled part stretched with fixed ends
// to the value's width — with an optional caption over it. With its track
// button shown it becomes a slider: the thumb can be dragged, a click on the
// track jumps there (and repeats while held), and the arrow, plus/minus,
// Page, Home and End keys step the value.
#pragma once
#include "platform/rtl/MacroShield.h"

#include <memory>

#include "platform/vcl/ExtCtrls.h"
#include "skin/foundation/uQnComm.h"
#include "skin/foundation/uQuarnCtrls.h"
#include "skin/foundation/uQuarnResManager.h"

namespace qn {

// The slider's thumb: its images and whether it shows.
class TQnPBTrackButton : public TPersistent {
  QN_CLASS(TQnPBTrackButton, TPersistent)
 public:
  TQnPBTrackButton() = default;
  void Assign(TPersistent* Source) override;

  TQnResID Hot() const { return FHot; }
  void SetHot(const TQnResID& Value);
  TQnResID Normal() const { return FNormal; }
  void SetNormal(const TQnResID& Value);
  bool Visible() const { return FVisible; }
  void SetVisible(bool Value);
  // Only store: the next paint takes them.
  Integer Offset() const { return FOffset; }
  void SetOffset(Integer Value) { FOffset = Value; }
  bool AlwaysShow() const { return FAlwaysShow; }
  void SetAlwaysShow(bool Value) { FAlwaysShow = Value; }
  const TNotifyEvent& OnChanged() const { return FOnChanged; }
  void SetOnChanged(const TNotifyEvent& Value) { FOnChanged = Value; }

  QN_PUBLISHED_DECL(TQnPBTrackButton) {
    QN_PROP(Hot).TypeName(u"TQnResID");
    QN_PROP(Normal).TypeName(u"TQnResID");
    QN_PROP(Visible).Default(false);
    QN_PROP(Offset).Default(0);
    QN_PROP(AlwaysShow).Default(true);
  }

 protected:
  void DoChange();

 private:
  TQnResID FHot, FNormal;
  TNotifyEvent FOnChanged;
  bool FVisible = false;
  Integer FOffset = 0;
  bool FAlwaysShow = true;
};

class TQuarnProgressBar : public TQuarnCustomControl {
  QN_CLASS_CREATE(TQuarnProgressBar, TQuarnCustomControl, TComponent)
 public:
  explicit TQuarnProgressBar(TComponent* AOwner);
  ~TQuarnProgressBar() override;

  Integer MinValue() const { return FMinValue; }
  void SetMinValue(Integer Value);
  Integer MaxValue() const { return FMaxValue; }
  void SetMaxValue(Integer Value);
  Integer Value() const { return FValue; }
  void SetValue(Integer Value);
  TQnResID Bar_Progress() const { return FBar_Progress; }
  void SetBar_Progress(const TQnResID& Value);
  TQnResID Bar_Background() const { return FBar_Background; }
  void SetBar_Background(const TQnResID& Value);
  // The default ids stay out of form files, like any other default.
  bool IsBar_ProgressStored() const { return FBar_Progress != u"QuarnBar_cur"; }
  bool IsBar_BackgroundStored() const { return FBar_Background != u"QuarnBar_base"; }
  Integer BarLeftRightSize() const { return FBarLeftRightSize; }
  void SetBarLeftRightSize(Integer Value);
  TQnPBTrackButton* TrackButton() const { return FTrackButton.get(); }
  void SetTrackButton(TQnPBTrackButton* Value);
  TQnCaption* Caption() const { return FCaption.get(); }
  void SetCaption(TQnCaption* Value);
  const TNotifyEvent& OnChanged() const { return FOnChanged; }
  void SetOnChanged(const TNotifyEvent& Value) { FOnChanged = Value; }

  // OnChanged stays silent while the count is above 0.
  void BeginUpdate() { ++FUpdateCount; }
  void EndUpdate() { --FUpdateCount; }
  // The value under client point (X, Y), taking the grab offset of the last
  // thumb drag into account, clamped to the range.
  Integer ValueAt(Integer X, Integer Y);
  TPoint CursorPosition();
  // Where the thumb was drawn last, and the track presses are taken in.
  TRect ThumbRect() const { return FThumbRct; }
  TRect TrackRect() const { return FTrackRct; }
  TTimer* RepeatTimer() const { return FRepeatTimer.get(); }

  void Dispatch(TMessage& Message) override;

  QN_PUBLISHED_DECL(TQuarnProgressBar) {
    QN_PROP(Caption);
    QN_PROP(Bar_Progress).TypeName(u"TQnResID").Stored(&TQuarnProgressBar::IsBar_ProgressStored);
    QN_PROP(Bar_Background).TypeName(u"TQnResID").Stored(&TQuarnProgressBar::IsBar_BackgroundStored);
    QN_PROP(BarLeftRightSize).Default(6);
    QN_PROP(TrackButton);
    QN_PROP(MinValue).Default(0);
    QN_PROP(MaxValue).Default(100);
    QN_PROP(Value).Default(50);
    QN_PROP(OnChanged).TypeName(u"TNotifyEvent");
    P.Property(u"Align", &TControl::Align, &TControl::SetAlign).Default(alNone);
    P.Property(u"Anchors", &TControl::Anchors, &TControl::SetAnchors).Default(TAnchors{akLeft, akTop});
    P.Property(u"Enabled", &TControl::Enabled, &TControl::SetEnabled).Default(true);
    P.Property(u"Visible", &TControl::Visible, &TControl::SetVisible).Default(true);
    P.Property(u"Hint", &TControl::Hint, &TControl::SetHint);
    P.Property(u"ShowHint", &TControl::ShowHint, &TControl::SetShowHint).Stored(&TControl::IsShowHintStored).Default(false);
    P.Property(u"OnClick", &TControl::OnClick, &TControl::SetOnClick);
    P.Property(u"OnDblClick", &TControl::OnDblClick, &TControl::SetOnDblClick);
    P.Property(u"OnContextPopup", &TControl::OnContextPopup, &TControl::SetOnContextPopup);
    P.Property(u"OnEnter", &TWinControl::OnEnter, &TWinControl::SetOnEnter);
    P.Property(u"OnExit", &TWinControl::OnExit, &TWinControl::SetOnExit);
    P.Property(u"OnMouseDown", &TControl::OnMouseDown, &TControl::SetOnMouseDown);
    P.Property(u"OnMouseMove", &TControl::OnMouseMove, &TControl::SetOnMouseMove);
    P.Property(u"OnMouseUp", &TControl::OnMouseUp, &TControl::SetOnMouseUp);
    P.Property(u"OnMouseEnter", &TControl::OnMouseEnter, &TControl::SetOnMouseEnter);
    P.Property(u"OnMouseLeave", &TControl::OnMouseLeave, &TControl::SetOnMouseLeave);
    P.Property(u"OnResize", &TControl::OnResize, &TControl::SetOnResize);
  }

 protected:
  void DrawBody(TBitmap32* Buffer) override;
  virtual void DrawThumb(TBitmap32* Buffer);
  void DoValueChanged();
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void KeyDown(Word& Key, TShiftState Shift) override;
  void TimerExpired(TObject* Sender);
  void WMGetDlgCode(TMessage& Message);
  void WMSize(TMessage& Message);
  void CMMouseEnter(TMessage& Message);
  void CMMouseLeave(TMessage& Message);

  Integer FMinValue = 0, FValue = 50, FMaxValue = 100;
  TQnResID FBar_Progress = u"QuarnBar_cur", FBar_Background = u"QuarnBar_base";
  std::unique_ptr<TQnPBTrackButton> FTrackButton;
  std::unique_ptr<TTimer> FRepeatTimer;
  bool FSliding = false;
  bool FPaging = false;
  bool FPagingDirInc = false;
  Integer FThumbCenterOffsetX = 0, FThumbCenterOffsetY = 0;
  Integer FLastX = 0, FLastY = 0;
  Word FThumbHeight = 0, FThumbWidth = 0;
  TRect FThumbRct, FTrackRct;
  TNotifyEvent FOnChanged;
  bool FMouseIn = false;
  Integer FBarLeftRightSize = 6;
  Integer FUpdateCount = 0;
  std::unique_ptr<TQnCaption> FCaption;

 private:
  bool Designing() const { return ComponentState().Contains(csDesigning); }
  // Max - Min, or 1 when they are equal.
  double Range() const;
  // The filled width for the current value.
  Integer FilledWidth() const;
  void CaptionChanged(TObject* Sender) { Invalidate(); }
};

void InitQuarnProgressBar();

}  // namespace qn

#include "platform/rtl/MacroShieldEnd.h"
