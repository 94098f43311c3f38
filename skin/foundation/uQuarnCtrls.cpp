#include "skin/foundation/uQuarnCtrls.h"

#include "platform/vcl/ControlMessages.h"
#include "skin/foundation/uQuarnResManager.h"

namespace qn {

TQuarnCustomControl::TQuarnCustomControl(TComponent* AOwner) : TCustomPaintBox32_qn(AOwner) {
  // The buffer is the control's size: frames drawn to the buffer's size
  // then end at the control's edges.
  SetBufferOversize(0);
  TCustomPaintBox32_qn::SetColor(clWhite);
}

void TQuarnCustomControl::SetColor(TColor Value) {
  TCustomPaintBox32_qn::SetColor(Value);
  Invalidate();
}

TBitmap32* TQuarnCustomControl::GetDoubleBuffer() { return Buffer(); }

TBitmap32* TQuarnCustomControl::GetBackgroundPicture() {
  // A child may ask before this control's own paint came round.
  if ((!FBufferValid || !InsideParent()) && !FBuilding && Parent()) {
    ResizeBuffer();
    DoPaintBuffer();
  }
  return GetDoubleBuffer();
}

bool TQuarnCustomControl::InsideParent() {
  TWinControl* p = Parent();
  if (!p) return false;
  const TRect client = p->ClientRect();
  const TRect b = BoundsRect();
  return b.Left >= client.Left && b.Top >= client.Top && b.Right <= client.Right && b.Bottom <= client.Bottom;
}

void TQuarnCustomControl::DoPaintBuffer() {
  TQuarnResManager::TLookupBatch lookups(TQuarnResManagerObj());
  FBuilding = true;
  try {
    if (FOnBackgroundChanging) FOnBackgroundChanging(this);
    TBitmap32* b = Buffer();
    if (FTransparent) {
      GetParentImage(this, b, BoundsRect());
    } else {
      b->Clear(Color32(ColorToRGB(Color())));
    }
    if (FOnBackgroundChanged) FOnBackgroundChanged(this);
    DrawBody(b);
  } catch (...) {
    FBuilding = false;
    throw;
  }
  FBuilding = false;
  TCustomPaintBox32_qn::DoPaintBuffer();
  NotifyChildren();
}

void TQuarnCustomControl::NotifyChildren() {
  for (Integer i = 0; i < ControlCount(); ++i) {
    auto* c = dynamic_cast<TQuarnCustomControl*>(Controls(i));
    if (!c || !c->Visible() || !c->FTransparent || c->FParentBgPending || !c->HandleAllocated()) continue;
    c->FParentBgPending = true;
    PostMessageW(c->Handle(), CWM_CHECKPARENTBG, 0, 0);
  }
}

void TQuarnCustomControl::Paint() {
  // Outside the parent, parts of the parent's picture are missing or move
  // with every scroll: such a buffer is rebuilt on every paint.
  if (!InsideParent()) FBufferValid = false;
  TCustomPaintBox32_qn::Paint();
}

void TQuarnCustomControl::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  TCustomPaintBox32_qn::MouseDown(Button, Shift, X, Y);
}

void TQuarnCustomControl::CreateParams(TCreateParams& Params) { TCustomPaintBox32_qn::CreateParams(Params); }

void TQuarnCustomControl::WMSize(TMessage& Message) {
  if (FDelayRefresh && !ComponentState().Contains(csDesigning) && HandleAllocated()) {
    FStopDrawBody = true;
    SetTimer(Handle(), QnDelayRefreshTimerID, 10, nullptr);
  }
  TCustomPaintBox32_qn::Dispatch(Message);
}

void TQuarnCustomControl::WMTimer(TMessage& Message) {
  if (Message.WParam != QnDelayRefreshTimerID) {
    TCustomPaintBox32_qn::Dispatch(Message);
    return;
  }
  KillTimer(Handle(), QnDelayRefreshTimerID);
  FStopDrawBody = false;
  Invalidate();
}

void TQuarnCustomControl::WMMove(TMessage& Message) {
  TCustomPaintBox32_qn::Dispatch(Message);
  if (!FAutoInvalidate) return;
  Invalidate();
  for (Integer i = 0; i < ControlCount(); ++i)
    if (auto* w = dynamic_cast<TWinControl*>(Controls(i)); w && w->HandleAllocated())
      PostMessageW(w->Handle(), CWM_CHECKPARENTBG, 0, 0);
}

void TQuarnCustomControl::CWMCheckParentBg(TMessage& Message) {
  // The parent's picture changed: take it again.
  FParentBgPending = false;
  Invalidate();
}

void TQuarnCustomControl::CMENABLEDCHANGED(TMessage& Message) {
  TCustomPaintBox32_qn::Dispatch(Message);
  Invalidate();
}

void TQuarnCustomControl::CMVisibleChanged(TMessage& Message) {
  TCustomPaintBox32_qn::Dispatch(Message);
  DoVisibleChanged();
}

void TQuarnCustomControl::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_SIZE: WMSize(Message); return;
    case WM_TIMER: WMTimer(Message); return;
    case WM_MOVE: WMMove(Message); return;
    case CWM_CHECKPARENTBG: CWMCheckParentBg(Message); return;
    case CM_ENABLEDCHANGED: CMENABLEDCHANGED(Message); return;
    case CM_VISIBLECHANGED: CMVisibleChanged(Message); return;
    default: TCustomPaintBox32_qn::Dispatch(Message);
  }
}

TQuarnCustomLayerControl::TQuarnCustomLayerControl(TComponent* AOwner)
    : TCustomImage32_qn(AOwner), FBackground(std::make_unique<TBitmap32>()) {
  // The first stage lays the whole background, not only what a bitmap
  // leaves uncovered: this control draws its layers straight over it.
  if (PaintStages()->Count() > 0) PaintStages()->Items(0)->Stage = StageClearBuffer;
  TCustomImage32_qn::SetColor(clWhite);
  RedrawBackground();
}

void TQuarnCustomLayerControl::SetTransparent(bool Value) {
  if (FTransparent == Value) return;
  FTransparent = Value;
  RedrawBackground();
}

void TQuarnCustomLayerControl::SetColor(TColor Value) {
  TCustomImage32_qn::SetColor(Value);
  RedrawBackground();
}

void TQuarnCustomLayerControl::RedrawBackground() {
  FRedrawBackground = true;
  ForceFullInvalidate();
  Invalidate();
}

void TQuarnCustomLayerControl::ExecClearBuffer(TBitmap32* Dest, Integer) {
  const bool Partial = InvalidRects()->Count() > 0 && !IsPaintToMode();
  // A full repaint may follow any change of the parent's picture; only the
  // optimizer's partial repaints rely on the kept one.
  if (FRedrawBackground || !Partial || FBackground->Width() != Dest->Width() ||
      FBackground->Height() != Dest->Height()) {
    FBackground->SetSize(Dest->Width(), Dest->Height());
    if (FTransparent && Parent())
      GetParentImage(this, FBackground.get(), BoundsRect());
    else
      FBackground->Clear(Color32(ColorToRGB(Color())));
    FRedrawBackground = false;
  }
  const TRect Clip = Dest->ClipRect();
  FBackground->SetDrawMode(TDrawMode::dmOpaque);
  Dest->Draw(Clip.Left, Clip.Top, Clip, FBackground.get());
}

void TQuarnCustomLayerControl::WMSize(TMessage& Message) {
  RedrawBackground();
  TCustomImage32_qn::Dispatch(Message);
}

void TQuarnCustomLayerControl::CWMCheckParentBg(TMessage&) {
  if (FTransparent) RedrawBackground();
}

void TQuarnCustomLayerControl::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_SIZE: WMSize(Message); return;
    case CWM_CHECKPARENTBG: CWMCheckParentBg(Message); return;
    default: TCustomImage32_qn::Dispatch(Message);
  }
}

}  // namespace qn

QN_PUBLISHED_IMPL(qn::TQuarnCustomControl)
QN_PUBLISHED_IMPL(qn::TQuarnCustomLayerControl)
