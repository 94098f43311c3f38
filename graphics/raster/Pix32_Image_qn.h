// Pix32_Image_qn: the double-buffered windowed control. A paint box owns a
// back buffer (a TBitmap32 over device-context pixels) that descendants draw
// into in DoPaintBuffer; each paint message copies the buffer, or only its
// invalid rectangles, to the window through the backend's paint support.
// Every skinned control draws its whole look this way.
//
// Lock order: the control's canvas first, then the buffer. Paint runs inside
// the canvas lock the paint message takes and locks the buffer for the copy;
// Flush takes both in the same order. The buffer lock is held only while
// pixels are copied or the storage changes, never across the buffer's change
// notifications or a repaint (ResizeBuffer resizes through SetSizeLocked).
#pragma once

#include <memory>

#include "graphics/raster/Pix32_Containers_qn.h"
#include "graphics/raster/Pix32_RepaintOpt_qn.h"
#include "graphics/raster/Pix32_qn.h"
#include "platform/vcl/Controls.h"

namespace qn {

// How changes of the buffer reach the screen: the whole viewport on every
// paint, each changed area at once, or through the repaint optimizer.
enum class TRepaintMode : Byte { rmFull, rmDirect, rmOptimizer };
QN_ENUM_NAMES(TRepaintMode, rmFull, rmDirect, rmOptimizer)
using enum TRepaintMode;

enum class TPaintBoxOption : Byte { pboWantArrowKeys, pboAutoFocus };
QN_ENUM_NAMES(TPaintBoxOption, pboWantArrowKeys, pboAutoFocus)
using enum TPaintBoxOption;
using TPaintBoxOptions = TSet<TPaintBoxOption>;
QN_TYPE_NAME(TPaintBoxOptions)

class TCustomPaintBox32_qn : public TCustomControl {
  QN_CLASS_CREATE(TCustomPaintBox32_qn, TCustomControl, TComponent)
 public:
  explicit TCustomPaintBox32_qn(TComponent* AOwner);
  ~TCustomPaintBox32_qn() override;

  // Copies the viewport (or SrcRect of the buffer, moved by the viewport's
  // top-left) to the window at once, outside the paint cycle.
  void Flush();
  void Flush(const TRect& SrcRect);
  void Invalidate() override;
  // Drops what the optimizer collected and makes the next paint rebuild
  // the buffer and copy the whole viewport.
  virtual void ForceFullInvalidate();
  void Loaded() override;
  void Resize() override;
  void SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight) override;
  // The part of the control the buffer is shown in; descendants that keep
  // room for scroll bars answer less.
  virtual TRect GetViewportRect();
  // Follows the viewport's size with the oversize hysteresis.
  void ResizeBuffer();

  TBitmap32* Buffer() const { return FBuffer.get(); }
  Integer BufferOversize() const { return FBufferOversize; }
  void SetBufferOversize(Integer Value);
  bool BufferValid() const { return FBufferValid; }
  void SetBufferValid(bool Value) { FBufferValid = Value; }
  bool MouseInControl() const { return FMouseInControl; }
  TPaintBoxOptions Options() const { return FOptions; }
  void SetOptions(TPaintBoxOptions Value) { FOptions = Value; }
  TRepaintMode RepaintMode() const { return FRepaintMode; }
  virtual void SetRepaintMode(TRepaintMode Value);
  TRectList* InvalidRects() const { return FInvalidRects.get(); }
  TCustomRepaintOptimizer* RepaintOptimizer() const { return FRepaintOptimizer.get(); }
  bool ForceFullRepaint() const { return FForceFullRepaint; }

  const TNotifyEvent& OnGDIOverlay() const { return FOnGDIOverlay; }
  void SetOnGDIOverlay(const TNotifyEvent& Value) { FOnGDIOverlay = Value; }

  void Dispatch(TMessage& Message) override;

 protected:
  // True when the optimizer can serve the next paint from what it collected.
  virtual bool CustomRepaint();
  virtual bool InvalidRectsAvailable();
  virtual void DoPrepareInvalidRects();
  // Descendants draw the buffer here and then call this (or set
  // BufferValid themselves).
  virtual void DoPaintBuffer();
  virtual void DoPaintGDIOverlay();
  virtual void DoBufferResized(Integer OldWidth, Integer OldHeight);
  // The platform's enter/leave handling calls these for the control's own
  // enter and leave (not for those of controls inside it).
  void MouseEnter() override;
  void MouseLeave() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void Paint() override;
  void AssignTo(TPersistent* Dest) override;
  void ResetInvalidRects();

  std::unique_ptr<TBitmap32> FBuffer;
  Integer FBufferOversize = 40;
  bool FBufferValid = false;
  TRepaintMode FRepaintMode = rmFull;
  std::unique_ptr<TRectList> FInvalidRects;
  bool FForceFullRepaint = true;
  std::unique_ptr<TCustomRepaintOptimizer> FRepaintOptimizer;
  TPaintBoxOptions FOptions;
  TNotifyEvent FOnGDIOverlay;
  bool FMouseInControl = false;

 private:
  void DirectAreaUpdateHandler(TObject* Sender, const TRect& Area, Cardinal Info);
  void WMPaint(TMessage& Message);
};

class TPaintBox32 : public TCustomPaintBox32_qn {
  QN_CLASS_CREATE(TPaintBox32, TCustomPaintBox32_qn, TComponent)
 public:
  explicit TPaintBox32(TComponent* AOwner) : TCustomPaintBox32_qn(AOwner) {}

  const TNotifyEvent& OnPaintBuffer() const { return FOnPaintBuffer; }
  void SetOnPaintBuffer(const TNotifyEvent& Value) { FOnPaintBuffer = Value; }

  QN_PUBLISHED(TPaintBox32) {
    P.Property(u"Align", &TControl::Align, &TControl::SetAlign).Default(alNone);
    P.Property(u"Anchors", &TControl::Anchors, &TControl::SetAnchors).Default(TAnchors{akLeft, akTop});
    P.Property(u"AutoSize", &TControl::AutoSize, &TControl::SetAutoSize).Default(false);
    P.Property(u"Constraints", &TControl::Constraints, &TControl::SetConstraints);
    P.Property(u"Options", &TCustomPaintBox32_qn::Options, &TCustomPaintBox32_qn::SetOptions)
        .Default(TPaintBoxOptions{});
    P.Property(u"ParentShowHint", &TControl::ParentShowHint, &TControl::SetParentShowHint).Default(true);
    P.Property(u"RepaintMode", &TCustomPaintBox32_qn::RepaintMode, &TCustomPaintBox32_qn::SetRepaintMode)
        .Default(rmFull);
    P.Property(u"ShowHint", &TControl::ShowHint, &TControl::SetShowHint);
    P.Property(u"TabOrder", &TWinControl::TabOrder, &TWinControl::SetTabOrder).Default(-1);
    P.Property(u"TabStop", &TWinControl::TabStop, &TWinControl::SetTabStop).Default(false);
    P.Property(u"Visible", &TControl::Visible, &TControl::SetVisible).Default(true);
    P.Property(u"OnCanResize", &TControl::OnCanResize, &TControl::SetOnCanResize);
    P.Property(u"OnClick", &TControl::OnClick, &TControl::SetOnClick);
    P.Property(u"OnDblClick", &TControl::OnDblClick, &TControl::SetOnDblClick);
    P.Property(u"OnGDIOverlay", &TCustomPaintBox32_qn::OnGDIOverlay, &TCustomPaintBox32_qn::SetOnGDIOverlay);
    P.Property(u"OnMouseDown", &TControl::OnMouseDown, &TControl::SetOnMouseDown);
    P.Property(u"OnMouseMove", &TControl::OnMouseMove, &TControl::SetOnMouseMove);
    P.Property(u"OnMouseUp", &TControl::OnMouseUp, &TControl::SetOnMouseUp);
    P.Property(u"OnMouseWheel", &TControl::OnMouseWheel, &TControl::SetOnMouseWheel);
    P.Property(u"OnMouseWheelDown", &TControl::OnMouseWheelDown, &TControl::SetOnMouseWheelDown);
    P.Property(u"OnMouseWheelUp", &TControl::OnMouseWheelUp, &TControl::SetOnMouseWheelUp);
    P.Property(u"OnMouseEnter", &TControl::OnMouseEnter, &TControl::SetOnMouseEnter);
    P.Property(u"OnMouseLeave", &TControl::OnMouseLeave, &TControl::SetOnMouseLeave);
    QN_PROP(OnPaintBuffer);
    P.Property(u"OnResize", &TControl::OnResize, &TControl::SetOnResize);
  }

 protected:
  void DoPaintBuffer() override;

 private:
  TNotifyEvent FOnPaintBuffer;
};

// The optimizer class every paint box creates.
extern TCustomRepaintOptimizerClass PaintBoxOptimizerClass;

void InitPix32Image();
void DonePix32Image();

}  // namespace qn
