// uQnHLSTrackBar: a horizontal slider whose track shows the scale it adjusts
// — a hue rainbow, a grey-to-red saturation ramp or a black-to-white
// brightness ramp — with an image thumb under the track. It only reports an
// integer; the application adjusts its colours in OnChange.
#pragma once
#include "platform/rtl/MacroShield.h"

#include <memory>

#include "platform/vcl/ExtCtrls.h"
#include "skin/foundation/uQnComm.h"
#include "skin/foundation/uQuarnCtrls.h"
#include "skin/foundation/uQuarnResManager.h"

namespace qn {

enum class THLSKindRec : Byte { hlsH, hlsS, hlsB };
QN_ENUM_NAMES(THLSKindRec, hlsH, hlsS, hlsB)
using enum THLSKindRec;

class TQnHLSTrackBar : public TQuarnCustomControl {
  QN_CLASS_CREATE(TQnHLSTrackBar, TQuarnCustomControl, TComponent)
 public:
  explicit TQnHLSTrackBar(TComponent* AOwner);
  ~TQnHLSTrackBar() override;

  TQnAboutInfo About() const { return FAboutInfo; }
  void SetAbout(TQnAboutInfo) {}
  THLSKindRec Kind() const { return FKind; }
  // Sets the kind's range (the hue's ±180, the others' ±100) and leaves
  // Value as it is until it is set again.
  void SetKind(THLSKindRec Value);
  TQnResID Thumb() const { return FThumb; }
  void SetThumb(const TQnResID& Value);
  bool IsThumbStored() const { return FThumb != u"QuarnSlider_dragBackground"; }
  Integer Max() const { return FMax; }
  void SetMax(Integer Value);
  Integer Min() const { return FMin; }
  void SetMin(Integer Value);
  Integer Value() const { return FValue; }
  // Clamps, stores (also an unchanged value) and reports.
  void SetValue(Integer Value);
  bool Transparent() const { return FTransparent; }
  void SetTransparent(bool Value);
  const TNotifyEvent& OnChange() const { return FOnChange; }
  void SetOnChange(const TNotifyEvent& Value) { FOnChange = Value; }

  // OnChange is silent between Lock and UnLock.
  void Lock() { FLock = true; }
  void UnLock() { FLock = false; }
  TPoint CursorPosition();
  TRect ThumbRect() const { return FThumbRct; }
  TRect TrackRect() const { return FTrackRct; }
  TTimer* RepeatTimer() const { return FRepeatTimer.get(); }

  void Dispatch(TMessage& Message) override;

  QN_PUBLISHED_DECL(TQnHLSTrackBar) {
    QN_PROP(About).Stored(false);
    QN_PROP(Kind).Default(hlsH);
    QN_PROP(Thumb).TypeName(u"TQnResID").Stored(&TQnHLSTrackBar::IsThumbStored);
    QN_PROP(Max).Default(10);
    QN_PROP(Min).Default(0);
    QN_PROP(Value).Default(0);
    QN_PROP(Transparent).Default(true);
    P.Property(u"Align", &TControl::Align, &TControl::SetAlign).Default(alNone);
    P.Property(u"Anchors", &TControl::Anchors, &TControl::SetAnchors).Default(TAnchors{akLeft, akTop});
    QN_PROP(Color).TypeName(u"TColor").Default(clWhite);
    P.Property(u"Enabled", &TControl::Enabled, &TControl::SetEnabled).Default(true);
    P.Property(u"Hint", &TControl::Hint, &TControl::SetHint);
    P.Property(u"ParentColor", &TControl::ParentColor, &TControl::SetParentColor).Default(false);
    P.Property(u"ParentShowHint", &TControl::ParentShowHint, &TControl::SetParentShowHint).Default(true);
    P.Property(u"ShowHint", &TControl::ShowHint, &TControl::SetShowHint).Stored(&TControl::IsShowHintStored).Default(false);
    P.Property(u"Visible", &TControl::Visible, &TControl::SetVisible).Default(true);
    QN_PROP(OnChange).TypeName(u"TNotifyEvent");
  }

 protected:
  void DrawBody(TBitmap32* Buffer) override;
  virtual void DrawBg(TBitmap32* Buffer);
  virtual void DrawThumb(TBitmap32* Buffer);
  void Change();
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void KeyDown(Word& Key, TShiftState Shift) override;
  void TimerExpired(TObject* Sender);
  void WMGetDlgCode(TMessage& Message);
  void WMSize(TMessage& Message);

  THLSKindRec FKind = hlsH;
  TQnResID FThumb = u"QuarnSlider_dragBackground";
  Integer FMax = 10, FMin = 0, FValue = 0;
  TRect FThumbRct, FTrackRct;
  Word FThumbHeight = 0, FThumbWidth = 0;
  bool FSliding = false;
  bool FPaging = false;
  bool FPagingDirInc = false;
  Integer FThumbCenterOffsetX = 0, FThumbCenterOffsetY = 0;
  Integer FLastX = 0, FLastY = 0;
  std::unique_ptr<TTimer> FRepeatTimer;
  TNotifyEvent FOnChange;
  bool FLock = false;
  TBitmap32* FBitmap = nullptr;
  TQnAboutInfo FAboutInfo = aiQuarnComponent;

 private:
  bool Designing() const { return ComponentState().Contains(csDesigning); }
  // Max - Min, or 1 when they are equal.
  double Range() const;
};

void InitQnHLSTrackBar();

}  // namespace qn

#include "platform/rtl/MacroShieldEnd.h"
