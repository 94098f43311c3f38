// uQuarnCtrls: TQuarnCustomControl, the skinned-control base. Before it draws
// itself it lays what lies under it into its back buffer — the picture of
// its parent — so that skinned controls look translucent over forms, panels
// and one another.
//
// The protocol that keeps those pictures current: after a control rebuilt
// its buffer it posts CWM_CHECKPARENTBG (0x0BD1) to its visible windowed
// children that take their background from it, at most one pending message
// per child; a child re-takes its background and repaints, and so on down.
#pragma once
#include "platform/rtl/MacroShield.h"

#include <memory>

#include "graphics/raster/Pix32_Image_qn.h"
#include "skin/foundation/uQnComm.h"

namespace qn {

// Window timer of the delayed refresh after a resize.
inline constexpr UINT_PTR QnDelayRefreshTimerID = 10000;

class TQuarnCustomControl : public TCustomPaintBox32_qn, public IQnBackgroundProvider {
  QN_CLASS_CREATE(TQuarnCustomControl, TCustomPaintBox32_qn, TComponent)
 public:
  // Transparent, white, no delayed refresh, no automatic invalidation, and a
  // buffer exactly the control's size.
  explicit TQuarnCustomControl(TComponent* AOwner);

  bool Transparent() const { return FTransparent; }
  // Only stores: the next paint takes the new setting.
  void SetTransparent(bool Value) { FTransparent = Value; }
  TColor Color() const { return TCustomPaintBox32_qn::Color(); }
  // Stores and repaints.
  void SetColor(TColor Value);
  bool DelayRefresh() const { return FDelayRefresh; }
  void SetDelayRefresh(bool Value) { FDelayRefresh = Value; }
  // Only stores; with it a move repaints and tells the windowed children.
  bool AutoInvalidate() const { return FAutoInvalidate; }
  void SetAutoInvalidate(bool Value) { FAutoInvalidate = Value; }
  // Set from a resize until the delayed refresh; DrawBody overrides read it.
  bool StopDrawBody() const { return FStopDrawBody; }
  const TNotifyEvent& OnBackgroundChanging() const { return FOnBackgroundChanging; }
  void SetOnBackgroundChanging(const TNotifyEvent& Value) { FOnBackgroundChanging = Value; }
  const TNotifyEvent& OnBackgroundChanged() const { return FOnBackgroundChanged; }
  void SetOnBackgroundChanged(const TNotifyEvent& Value) { FOnBackgroundChanged = Value; }

  // The last finished picture (borrowed); descendants may answer their own.
  virtual TBitmap32* GetDoubleBuffer();
  // What children take as their background: the finished picture, brought
  // up to date first.
  TBitmap32* GetBackgroundPicture() override;
  virtual void ScaleControlsForDpi(Integer NewPPI) {}
  // True while the control lies wholly inside its parent's client area, the
  // only time its buffer may be kept from one paint to the next.
  bool InsideParent();

  void Dispatch(TMessage& Message) override;

  QN_PUBLISHED_DECL(TQuarnCustomControl) {
    QN_PROP(Transparent).Default(true);
    QN_PROP(Color).TypeName(u"TColor").Default(clWhite);
    QN_PROP(DelayRefresh).Default(false);
    QN_PROP(OnBackgroundChanging).TypeName(u"TNotifyEvent");
    QN_PROP(OnBackgroundChanged).TypeName(u"TNotifyEvent");
  }

 protected:
  void DoPaintBuffer() override;
  // Draws the control over its laid background; empty here.
  virtual void DrawBody(TBitmap32* Buffer) {}
  virtual void DoVisibleChanged() {}
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void CreateParams(TCreateParams& Params) override;
  void Paint() override;
  // Posts CWM_CHECKPARENTBG to the children that take their background
  // from this control and have none pending.
  void NotifyChildren();

  // The message handlers Dispatch hands its cases to.
  void WMSize(TMessage& Message);
  void WMTimer(TMessage& Message);
  void WMMove(TMessage& Message);
  void CWMCheckParentBg(TMessage& Message);
  void CMENABLEDCHANGED(TMessage& Message);
  void CMVisibleChanged(TMessage& Message);

  bool FTransparent = true;
  bool FDelayRefresh = false;
  bool FAutoInvalidate = false;
  bool FStopDrawBody = false;
  // A CWM_CHECKPARENTBG is on its way to this control.
  bool FParentBgPending = false;
  TNotifyEvent FOnBackgroundChanging, FOnBackgroundChanged;

 private:
  bool FBuilding = false;
};

// The layered image control with the skinned controls' background: the
// parent's picture (Transparent) or Color, laid in the buffer-clearing stage
// under the layers. The background is kept between paints, so the
// optimizer's partial repaints of moving layers need not ask the parent
// again; a full repaint, a resize and CWM_CHECKPARENTBG take it anew.
class TQuarnCustomLayerControl : public TCustomImage32_qn {
  QN_CLASS_CREATE(TQuarnCustomLayerControl, TCustomImage32_qn, TComponent)
 public:
  // Opaque (Transparent False), white.
  explicit TQuarnCustomLayerControl(TComponent* AOwner);

  bool Transparent() const { return FTransparent; }
  void SetTransparent(bool Value);
  TColor Color() const { return TCustomImage32_qn::Color(); }
  void SetColor(TColor Value);
  // Drops the kept background: the next paint takes it again and copies
  // the whole buffer.
  void RedrawBackground();

  void Dispatch(TMessage& Message) override;

  QN_PUBLISHED_DECL(TQuarnCustomLayerControl) {
    QN_PROP(Transparent).Default(false);
    QN_PROP(Color).TypeName(u"TColor").Default(clWhite);
  }

 protected:
  void ExecClearBuffer(TBitmap32* Dest, Integer StageNum) override;
  void WMSize(TMessage& Message);
  void CWMCheckParentBg(TMessage& Message);

  bool FTransparent = false;
  bool FRedrawBackground = true;
  std::unique_ptr<TBitmap32> FBackground;
};

}  // namespace qn

#include "platform/rtl/MacroShieldEnd.h"
