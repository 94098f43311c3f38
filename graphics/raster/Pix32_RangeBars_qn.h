// Pix32_RangeBars_qn: scroll-bar-like windowed controls drawn by the library
// itself. TArrowBar has two arrow buttons, a track and a handle, with
// auto-repeat and hot tracking on one timer; TRangeBar scrolls a float
// position over a range with a visible window (the image views' scroll
// bars); TGaugeBar moves an integer between Min and Max. They draw in the
// system's classic look or in a flat look of their own.
#pragma once
#include "platform/rtl/MacroShield.h"

#include <memory>

#include "graphics/raster/QnBase.h"

#include "platform/vcl/Controls.h"
#include "platform/vcl/ExtCtrls.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/StdCtrls.h"

namespace qn {

enum class TRBDirection : Byte { drLeft, drUp, drRight, drDown };
QN_ENUM_NAMES(TRBDirection, drLeft, drUp, drRight, drDown)
using enum TRBDirection;
using TRBDirections = TSet<TRBDirection>;

enum class TRBZone : Byte { zNone, zBtnPrev, zTrackPrev, zHandle, zTrackNext, zBtnNext };
QN_ENUM_NAMES(TRBZone, zNone, zBtnPrev, zTrackPrev, zHandle, zTrackNext, zBtnNext)
using enum TRBZone;

enum class TRBStyle : Byte { rbsDefault, rbsMac };
QN_ENUM_NAMES(TRBStyle, rbsDefault, rbsMac)
using enum TRBStyle;

enum class TRBBackgnd : Byte { bgPattern, bgSolid };
QN_ENUM_NAMES(TRBBackgnd, bgPattern, bgSolid)
using enum TRBBackgnd;

using TRBIncrement = Word;

// The flat style's drawing helpers. Colours may name system colours.
TColor OffsetColor(TColor Color, Integer Delta);
// Per channel (C1 * W + C2 * (255 - W)) shr 8; W must be below 256.
TColor MixColors(TColor C1, TColor C2, Integer W);
// One-pixel lines on the named sides (top, bottom, left, right in that
// order), moving R inward past each.
void DrawSides(TCanvas* Canvas, TRect& R, TRBDirections Sides, TColor Color);
void DrawFrame3D(TCanvas* Canvas, TRect& R, TColor TopLeftColor, TColor BottomRightColor, bool Inset);
void PaintArrowTriangle(TCanvas* Canvas, const TRect& R, TRBDirection Direction, TColor Color);
void DrawRangeHandle(TCanvas* Canvas, TRect R, TColor HandleColor, TColor BorderColor, bool Horz, bool ShowGrip,
                     bool Pushed);

class TArrowBar : public TCustomControl {
  QN_CLASS_CREATE(TArrowBar, TCustomControl, TComponent)
 public:
  explicit TArrowBar(TComponent* AOwner);
  ~TArrowBar() override;

  TRBBackgnd Backgnd() const { return FBackgnd; }
  void SetBackgnd(TRBBackgnd Value);
  TFormBorderStyle BorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TFormBorderStyle Value);
  Integer ButtonSize() const { return FButtonSize; }
  void SetButtonSize(Integer Value);
  TColor HandleColor() const { return FHandleColor; }
  void SetHandleColor(TColor Value);
  TColor ButtonColor() const { return FButtoncolor; }
  void SetButtonColor(TColor Value);
  TColor HighLightColor() const { return FHighLightColor; }
  void SetHighLightColor(TColor Value);
  TColor ShadowColor() const { return FShadowColor; }
  void SetShadowColor(TColor Value);
  TColor BorderColor() const { return FBorderColor; }
  void SetBorderColor(TColor Value);
  TScrollBarKind Kind() const { return FKind; }
  void SetKind(TScrollBarKind Value);
  bool ShowArrows() const { return FShowArrows; }
  void SetShowArrows(bool Value);
  bool ShowHandleGrip() const { return FShowHandleGrip; }
  void SetShowHandleGrip(bool Value);
  TRBStyle Style() const { return FStyle; }
  void SetStyle(TRBStyle Value);
  const TNotifyEvent& OnChange() const { return FOnChange; }
  void SetOnChange(const TNotifyEvent& Value) { FOnChange = Value; }
  const TNotifyEvent& OnUserChange() const { return FOnUserChange; }
  void SetOnUserChange(const TNotifyEvent& Value) { FOnUserChange = Value; }

  Integer GetButtonSize();
  Integer GetBorderSize() const { return FBorderStyle == bsSingle ? 1 : 0; }
  TRect GetTrackBoundary();
  TRBZone GetZone(Integer X, Integer Y);
  TRect GetZoneRect(TRBZone Zone);
  // The zone under the cursor, clamped into the client area.
  TRBZone CursorZone();
  virtual TRect GetHandleRect() { return TRect(0, 0, 0, 0); }
  virtual bool DrawEnabled() { return Enabled(); }
  TRBZone DragZoneValue() const { return DragZone; }
  TRBZone HotZoneValue() const { return HotZone; }
  TTimer* RepeatTimer() const { return Timer.get(); }
  Integer TimerModeValue() const { return TimerMode; }

  void Dispatch(TMessage& Message) override;

 protected:
  void Paint() override;
  virtual void DoChange();
  virtual void DoDrawButton(TRect R, TRBDirection Direction, bool Pushed, bool Enabled, bool Hot);
  virtual void DoDrawHandle(TRect R, bool Horz, bool Pushed, bool Hot);
  virtual void DoDrawTrack(TRect R, TRBDirection Direction, bool Pushed, bool Enabled, bool Hot);
  virtual void MouseLeft();
  virtual void TimerHandler(TObject* Sender);
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void StartDragTracking();
  void StopDragTracking();
  void StartHotTracking();
  void StopHotTracking();
  // Along the bar: the client extent and a point's coordinate.
  bool Horz() const { return FKind == sbHorizontal; }

  TRBBackgnd FBackgnd = bgPattern;
  TFormBorderStyle FBorderStyle = bsSingle;
  Integer FButtonSize = 0;
  TColor FHandleColor = clBtnShadow;
  TColor FButtoncolor = clBtnFace;
  TColor FHighLightColor = clBtnHighlight;
  TColor FShadowColor = clBtnShadow;
  TColor FBorderColor = clWindowFrame;
  TScrollBarKind FKind = sbHorizontal;
  bool FShowArrows = true;
  bool FShowHandleGrip = true;
  TRBStyle FStyle = rbsDefault;
  TNotifyEvent FOnChange, FOnUserChange;
  bool GenChange = false;
  TRBZone DragZone = zNone;
  TRBZone HotZone = zNone;
  std::unique_ptr<TTimer> Timer;
  Integer TimerMode = 0;
  Integer StoredX = 0, StoredY = 0;
  Single PosBeforeDrag = 0;

 private:
  void FillTrackPattern(const TRect& R, TColor C1, TColor C2);
};

class TCustomRangeBar : public TArrowBar {
  QN_CLASS_CREATE(TCustomRangeBar, TArrowBar, TComponent)
 public:
  explicit TCustomRangeBar(TComponent* AOwner) : TArrowBar(AOwner) {}

  bool Centered() const { return FCentered; }
  void SetCentered(bool Value) { FCentered = Value; }
  Integer EffectiveWindow() const { return FEffectiveWindow; }
  TRBIncrement Increment() const { return FIncrement; }
  void SetIncrement(TRBIncrement Value) { FIncrement = Value; }
  Single Position() const { return FPosition; }
  void SetPosition(Single Value);
  Integer Range() const { return FRange; }
  void SetRange(Integer Value) { SetParams(Value, FWindow); }
  Integer Window() const { return FWindow; }
  void SetWindow(Integer Value) { SetParams(FRange, Value); }
  bool IsPositionStored() const { return FPosition != 0; }

  void SetParams(Integer NewRange, Integer NewWindow);
  bool DrawEnabled() override;
  TRect GetHandleRect() override;
  void Resize() override;

 protected:
  void UpdateEffectiveWindow();
  void AdjustPosition();
  bool DoMouseWheel(TShiftState Shift, Integer WheelDelta, TPoint MousePos) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
  void TimerHandler(TObject* Sender) override;

  bool FCentered = false;
  Integer FEffectiveWindow = 0;
  TRBIncrement FIncrement = 8;
  Single FPosition = 0;
  Integer FRange = 0;
  Integer FWindow = 0;

 private:
  void Center(Integer OldWindow, Integer OldRange);
};

#define QN_ARROWBAR_APPEARANCE(Cls)                                                                           \
  QN_PROP(Backgnd).Default(bgPattern);                                                                        \
  QN_PROP(BorderStyle).Default(bsSingle);                                                                     \
  QN_PROP(ButtonSize).Default(0);                                                                             \
  QN_PROP(HandleColor).TypeName(u"TColor").Default(clBtnShadow);                                              \
  QN_PROP(ButtonColor).TypeName(u"TColor").Default(clBtnFace);                                                \
  QN_PROP(HighLightColor).TypeName(u"TColor").Default(clBtnHighlight);                                        \
  QN_PROP(ShadowColor).TypeName(u"TColor").Default(clBtnShadow);                                              \
  QN_PROP(BorderColor).TypeName(u"TColor").Default(clWindowFrame);                                            \
  QN_PROP(Kind).Default(sbHorizontal);                                                                        \
  QN_PROP(Style).Default(rbsDefault);                                                                         \
  QN_PROP(ShowArrows).Default(true);                                                                          \
  QN_PROP(ShowHandleGrip).Default(true);                                                                      \
  QN_PROP(OnChange).TypeName(u"TNotifyEvent");                                                                \
  QN_PROP(OnUserChange).TypeName(u"TNotifyEvent");                                                            \
  P.Property(u"Align", &TControl::Align, &TControl::SetAlign).Default(alNone);                                \
  P.Property(u"Anchors", &TControl::Anchors, &TControl::SetAnchors).Default(TAnchors{akLeft, akTop});         \
  P.Property(u"Color", &TControl::Color, &TControl::SetColor).TypeName(u"TColor").Default(clScrollBar);       \
  P.Property(u"Enabled", &TControl::Enabled, &TControl::SetEnabled).Default(true);                            \
  P.Property(u"Visible", &TControl::Visible, &TControl::SetVisible).Default(true);                            \
  P.Property(u"OnMouseDown", &TControl::OnMouseDown, &TControl::SetOnMouseDown);                              \
  P.Property(u"OnMouseMove", &TControl::OnMouseMove, &TControl::SetOnMouseMove);                              \
  P.Property(u"OnMouseUp", &TControl::OnMouseUp, &TControl::SetOnMouseUp);                                    \
  P.Property(u"OnMouseWheelUp", &TControl::OnMouseWheelUp, &TControl::SetOnMouseWheelUp);                     \
  P.Property(u"OnMouseWheelDown", &TControl::OnMouseWheelDown, &TControl::SetOnMouseWheelDown);

class TRangeBar : public TCustomRangeBar {
  QN_CLASS_CREATE(TRangeBar, TCustomRangeBar, TComponent)
 public:
  explicit TRangeBar(TComponent* AOwner) : TCustomRangeBar(AOwner) {}

  QN_PUBLISHED_DECL(TRangeBar) {
    QN_ARROWBAR_APPEARANCE(TRangeBar)
    QN_PROP(Increment).Default(8);
    QN_PROP(Range).Default(0);
    QN_PROP(Window).Default(0);
    QN_PROP(Position).Stored(&TCustomRangeBar::IsPositionStored);
  }
};

class TCustomGaugeBar : public TArrowBar {
  QN_CLASS_CREATE(TCustomGaugeBar, TArrowBar, TComponent)
 public:
  explicit TCustomGaugeBar(TComponent* AOwner) : TArrowBar(AOwner) {}

  Integer HandleSize() const { return FHandleSize; }
  void SetHandleSize(Integer Value);
  Integer LargeChange() const { return FLargeChange; }
  void SetLargeChange(Integer Value) { FLargeChange = Value < 1 ? 1 : Value; }
  Integer Max() const { return FMax; }
  void SetMax(Integer Value);
  Integer Min() const { return FMin; }
  void SetMin(Integer Value);
  Integer Position() const { return FPosition; }
  void SetPosition(Integer Value);
  Integer SmallChange() const { return FSmallChange; }
  void SetSmallChange(Integer Value) { FSmallChange = Value < 1 ? 1 : Value; }

  Integer GetHandleSize();
  TRect GetHandleRect() override;

 protected:
  void AdjustPosition() { SetPosition(FPosition); }
  bool DoMouseWheel(TShiftState Shift, Integer WheelDelta, TPoint MousePos) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
  void TimerHandler(TObject* Sender) override;

  Integer FHandleSize = 0;
  Integer FLargeChange = 1;
  Integer FMax = 100;
  Integer FMin = 0;
  Integer FPosition = 0;
  Integer FSmallChange = 1;

 private:
  bool Loading() const { return ComponentState().Contains(csLoading); }
};

class TGaugeBar : public TCustomGaugeBar {
  QN_CLASS_CREATE(TGaugeBar, TCustomGaugeBar, TComponent)
 public:
  explicit TGaugeBar(TComponent* AOwner) : TCustomGaugeBar(AOwner) {}

  QN_PUBLISHED_DECL(TGaugeBar) {
    QN_ARROWBAR_APPEARANCE(TGaugeBar)
    QN_PROP(HandleSize).Default(0);
    QN_PROP(LargeChange).Default(1);
    QN_PROP(Max).Default(100);
    QN_PROP(Min).Default(0);
    QN_PROP(SmallChange).Default(1);
    QN_PROP(Position).Default(0);
  }
};

// Appearance settings forwarded to a master bar and, when present, a slave.
class TArrowBarAccess : public TPersistent {
  QN_CLASS(TArrowBarAccess, TPersistent)
 public:
  TArrowBarAccess() = default;

  TArrowBar* Master() const { return FMaster; }
  void SetMaster(TArrowBar* Value) { FMaster = Value; }
  TArrowBar* Slave() const { return FSlave; }
  void SetSlave(TArrowBar* Value) { FSlave = Value; }

#define QN_ACCESS_PROP(T, N)                      \
  T N() const { return FMaster->N(); }            \
  void Set##N(T Value) {                          \
    FMaster->Set##N(Value);                       \
    if (FSlave) FSlave->Set##N(Value);            \
  }
  QN_ACCESS_PROP(TColor, Color)
  QN_ACCESS_PROP(TRBBackgnd, Backgnd)
  QN_ACCESS_PROP(Integer, ButtonSize)
  QN_ACCESS_PROP(TColor, HandleColor)
  QN_ACCESS_PROP(TColor, ButtonColor)
  QN_ACCESS_PROP(TColor, HighLightColor)
  QN_ACCESS_PROP(TColor, ShadowColor)
  QN_ACCESS_PROP(TColor, BorderColor)
  QN_ACCESS_PROP(bool, ShowArrows)
  QN_ACCESS_PROP(bool, ShowHandleGrip)
  QN_ACCESS_PROP(TRBStyle, Style)
#undef QN_ACCESS_PROP

  // The bars' own defaults, so that untouched settings stay out of form
  // files.
  QN_PUBLISHED_DECL(TArrowBarAccess) {
    QN_PROP(Color).TypeName(u"TColor").Default(clScrollBar);
    QN_PROP(Backgnd).Default(bgPattern);
    QN_PROP(ButtonSize).Default(0);
    QN_PROP(HandleColor).TypeName(u"TColor").Default(clBtnShadow);
    QN_PROP(ButtonColor).TypeName(u"TColor").Default(clBtnFace);
    QN_PROP(HighLightColor).TypeName(u"TColor").Default(clBtnHighlight);
    QN_PROP(ShadowColor).TypeName(u"TColor").Default(clBtnShadow);
    QN_PROP(BorderColor).TypeName(u"TColor").Default(clWindowFrame);
    QN_PROP(ShowArrows).Default(true);
    QN_PROP(ShowHandleGrip).Default(true);
    QN_PROP(Style).Default(rbsDefault);
  }

 private:
  TArrowBar* FMaster = nullptr;
  TArrowBar* FSlave = nullptr;
};

void InitPix32RangeBars();

}  // namespace qn

#include "platform/rtl/MacroShieldEnd.h"
