#include "graphics/raster/Pix32_Image_qn.h"

#include "graphics/raster/Pix32_MicroTiles_qn.h"

#include <algorithm>

#include "graphics/raster/Pix32_Backends_qn.h"

namespace qn {

TCustomRepaintOptimizerClass PaintBoxOptimizerClass = nullptr;

// ---------------------------------------------------------------------------
// TCustomPaintBox32_qn

TCustomPaintBox32_qn::TCustomPaintBox32_qn(TComponent* AOwner) : TCustomControl(AOwner) {
  FBuffer = std::make_unique<TBitmap32>();
  FBufferOversize = 40;
  FForceFullRepaint = true;
  FInvalidRects = std::make_unique<TRectList>();
  const TCustomRepaintOptimizerClass cls =
      PaintBoxOptimizerClass ? PaintBoxOptimizerClass : TMicroTilesRepaintOptimizer::OptimizerClass();
  FRepaintOptimizer.reset(cls->Create(FBuffer.get(), FInvalidRects.get()));
  SetHeight(192);
  SetWidth(192);
}

TCustomPaintBox32_qn::~TCustomPaintBox32_qn() {
  // The buffer may still call back into the direct handler while it goes.
  if (FBuffer) FBuffer->SetOnAreaChanged(TAreaChangedEvent());
  FRepaintOptimizer.reset();
  FInvalidRects.reset();
  FBuffer.reset();
}

void TCustomPaintBox32_qn::Invalidate() {
  FBufferValid = false;
  inherited::Invalidate();
}

void TCustomPaintBox32_qn::ForceFullInvalidate() {
  if (FRepaintOptimizer->Enabled()) FRepaintOptimizer->Reset();
  FForceFullRepaint = true;
  Invalidate();
}

void TCustomPaintBox32_qn::Loaded() {
  FBufferValid = false;
  inherited::Loaded();
}

void TCustomPaintBox32_qn::Resize() {
  ResizeBuffer();
  FBufferValid = false;
  inherited::Resize();
}

void TCustomPaintBox32_qn::SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight) {
  inherited::SetBounds(ALeft, ATop, AWidth, AHeight);
  if (ComponentState().Contains(csDesigning)) ResizeBuffer();
  FBufferValid = false;
}

void TCustomPaintBox32_qn::SetBufferOversize(Integer Value) {
  if (Value < 0) Value = 0;
  if (Value == FBufferOversize) return;
  FBufferOversize = Value;
  ResizeBuffer();
  FBufferValid = false;
}

TRect TCustomPaintBox32_qn::GetViewportRect() { return TRect(0, 0, Width(), Height()); }

void TCustomPaintBox32_qn::ResizeBuffer() {
  const TRect viewport = GetViewportRect();
  const Integer w = std::max(0, viewport.Width()), h = std::max(0, viewport.Height());
  auto follow = [this](Integer Current, Integer Wanted) {
    Integer n = Current;
    if (Current < Wanted) n = Wanted + FBufferOversize;
    else if (Wanted < Current - FBufferOversize) n = Wanted;
    return std::max(1, n);
  };
  const Integer newWidth = follow(FBuffer->Width(), w), newHeight = follow(FBuffer->Height(), h);
  if (newWidth == FBuffer->Width() && newHeight == FBuffer->Height()) return;
  const Integer oldWidth = FBuffer->Width(), oldHeight = FBuffer->Height();
  // The buffer's change notifications may repaint at once (direct mode),
  // which takes the canvas lock; so they run after the buffer lock is let go.
  FBuffer->SetSizeLocked(newWidth, newHeight);
  DoBufferResized(oldWidth, oldHeight);
  ForceFullInvalidate();
}

void TCustomPaintBox32_qn::DoBufferResized(Integer, Integer) {
  if (FRepaintOptimizer->Enabled())
    FRepaintOptimizer->BufferResizedHandler(FBuffer->Width(), FBuffer->Height());
}

bool TCustomPaintBox32_qn::CustomRepaint() {
  return FRepaintOptimizer->Enabled() && !FForceFullRepaint && FRepaintOptimizer->UpdatesAvailable();
}

bool TCustomPaintBox32_qn::InvalidRectsAvailable() { return true; }

void TCustomPaintBox32_qn::DoPrepareInvalidRects() {
  if (FRepaintOptimizer->Enabled() && !FForceFullRepaint) FRepaintOptimizer->PerformOptimization();
}

void TCustomPaintBox32_qn::DoPaintBuffer() {
  if (FForceFullRepaint) {
    FForceFullRepaint = false;
    FInvalidRects->Clear();
  } else {
    DoPrepareInvalidRects();
  }
  FBufferValid = true;
}

void TCustomPaintBox32_qn::DoPaintGDIOverlay() {
  if (FOnGDIOverlay) FOnGDIOverlay(this);
}

void TCustomPaintBox32_qn::ResetInvalidRects() { FInvalidRects->Clear(); }

void TCustomPaintBox32_qn::Paint() {
  if (!Parent()) return;
  const bool optimizer = FRepaintOptimizer->Enabled();
  if (optimizer) FRepaintOptimizer->BeginPaint();
  TIntf<IPaintSupport> paintSupport;
  // A buffer moved to a backend without paint support still gets drawn;
  // there is just no way to show it.
  const bool canPaint = Supports(FBuffer->Backend(), paintSupport);
  // Drawing the buffer runs the control's handlers, which may free it.
  TFreeWatch watch(this);
  if (!FBufferValid) {
    if (canPaint) paintSupport->ImageNeeded();
    DoPaintBuffer();
    // The reference held here keeps the buffer's backend until it lets go.
    if (watch.Freed()) return;
    if (canPaint) paintSupport->CheckPixmap();
  }
  if (canPaint) {
    FBuffer->Lock();
    try {
      paintSupport->DoPaint(FBuffer.get(), FInvalidRects.get(), Canvas(), this);
    } catch (...) {
      FBuffer->Unlock();
      throw;
    }
    FBuffer->Unlock();
  }
  DoPaintGDIOverlay();
  if (watch.Freed()) return;
  if (optimizer) FRepaintOptimizer->EndPaint();
  ResetInvalidRects();
  FForceFullRepaint = false;
}

void TCustomPaintBox32_qn::PaintWindow(HDC DC) {
  const HDC outer = FPaintDC;
  FPaintDC = DC;
  TFreeWatch watch(this);
  try {
    inherited::PaintWindow(DC);
  } catch (...) {
    if (!watch.Freed()) FPaintDC = outer;
    throw;
  }
  if (!watch.Freed()) FPaintDC = outer;
}

void TCustomPaintBox32_qn::Flush() {
  TIntf<IDeviceContextSupport> dcSupport;
  if (!Supports(FBuffer->Backend(), dcSupport) || !dcSupport->GetHandle()) return;
  TCanvas* canvas = Canvas();
  canvas->Lock();
  FBuffer->Lock();
  try {
    if (const HDC dst = canvas->Handle()) {
      const TRect r = GetViewportRect();
      BitBlt(dst, r.Left, r.Top, r.Width(), r.Height(), dcSupport->GetHandle(), 0, 0, SRCCOPY);
    }
  } catch (...) {
    FBuffer->Unlock();
    canvas->Unlock();
    throw;
  }
  FBuffer->Unlock();
  canvas->Unlock();
}

void TCustomPaintBox32_qn::Flush(const TRect& SrcRect) {
  TIntf<IDeviceContextSupport> dcSupport;
  if (!Supports(FBuffer->Backend(), dcSupport) || !dcSupport->GetHandle()) return;
  TCanvas* canvas = Canvas();
  canvas->Lock();
  FBuffer->Lock();
  try {
    if (const HDC dst = canvas->Handle()) {
      const TRect r = GetViewportRect();
      BitBlt(dst, SrcRect.Left + r.Left, SrcRect.Top + r.Top, SrcRect.Width(), SrcRect.Height(),
             dcSupport->GetHandle(), SrcRect.Left, SrcRect.Top, SRCCOPY);
    }
  } catch (...) {
    FBuffer->Unlock();
    canvas->Unlock();
    throw;
  }
  FBuffer->Unlock();
  canvas->Unlock();
}

void TCustomPaintBox32_qn::AssignTo(TPersistent* Dest) {
  auto* box = dynamic_cast<TCustomPaintBox32_qn*>(Dest);
  // The generic copy refuses every destination; a paint box knows how to
  // copy itself into another one.
  if (!box) {
    inherited::AssignTo(Dest);
    return;
  }
  box->FBuffer->Assign(FBuffer.get());
  box->FBufferOversize = FBufferOversize;
  box->FBufferValid = FBufferValid;
  box->FRepaintMode = FRepaintMode;
  box->FForceFullRepaint = FForceFullRepaint;
  box->FOptions = FOptions;
  box->FOnGDIOverlay = FOnGDIOverlay;
  box->SetOnMouseEnter(OnMouseEnter());
  box->SetOnMouseLeave(OnMouseLeave());
}

void TCustomPaintBox32_qn::SetRepaintMode(TRepaintMode Value) {
  if (!FRepaintOptimizer) return;
  switch (Value) {
    case rmOptimizer:
      // The image control routes the buffer's area changes through
      // handlers of its own.
      if (!dynamic_cast<TCustomImage32_qn*>(this))
        FBuffer->SetOnAreaChanged(MakeEvent(FRepaintOptimizer.get(), &TCustomRepaintOptimizer::AreaUpdateHandler));
      else
        FBuffer->SetOnAreaChanged(TAreaChangedEvent());
      break;
    case rmDirect:
      FBuffer->SetOnAreaChanged(MakeEvent(this, &TCustomPaintBox32_qn::DirectAreaUpdateHandler));
      break;
    default:
      FBuffer->SetOnAreaChanged(TAreaChangedEvent());
      break;
  }
  FRepaintOptimizer->SetEnabled(Value == rmOptimizer);
  FRepaintMode = Value;
  Invalidate();
}

void TCustomPaintBox32_qn::DirectAreaUpdateHandler(TObject*, const TRect& Area, Cardinal Info) {
  TRect r = Area;
  if (Info & AREA_LINE_FLAG) {
    // A line reports its end points, in drawing order, and its width: the
    // pixels it touched lie within the width around both ends.
    const Integer w = Integer(Info & 0x00FFFFFFu);
    InflateArea(r, w, w);
  }
  // Block copies take only ordered rectangles.
  r = TRect(std::min(r.Left, r.Right), std::min(r.Top, r.Bottom), std::max(r.Left, r.Right),
            std::max(r.Top, r.Bottom));
  FInvalidRects->Add(r);
  if (!ControlState().Contains(csCustomPaint)) Repaint();
}

void TCustomPaintBox32_qn::MouseEnter() {
  FMouseInControl = true;
  inherited::MouseEnter();
}

void TCustomPaintBox32_qn::MouseLeave() {
  FMouseInControl = false;
  inherited::MouseLeave();
}

void TCustomPaintBox32_qn::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  if (FOptions.Contains(pboAutoFocus) && CanFocus()) SetFocus();
  inherited::MouseDown(Button, Shift, X, Y);
}

bool TCustomPaintBox32_qn::HasFrame() {
  TRect window, client;
  vcl::GetWindowRect(Handle(), &window);
  vcl::GetClientRect(Handle(), &client);
  return window.Width() != client.Width() || window.Height() != client.Height();
}

void TCustomPaintBox32_qn::WMPaint(TMessage& Message) {
  // Changes the buffer reports while it is being drawn for this paint are
  // recorded, not repainted again (see DirectAreaUpdateHandler).
  FPaintPostedTo = nullptr;
  const bool wasPainting = ControlState().Contains(csCustomPaint);
  FControlState.Include(csCustomPaint);
  // A handler run by the paint may free the control.
  TFreeWatch watch(this);
  try {
    bool painted = false;
    if (CustomRepaint()) {
      if (InvalidRectsAvailable()) {
        Paint();
        if (watch.Freed()) return;
        painted = true;
      } else {
        InvalidateRect(Handle(), nullptr, false);
      }
    }
    // The paint above showed every changed rectangle. The window's own
    // paint cycle would paint again, clipped to its update region: with
    // nothing there (the paint was posted for the buffer's changes only)
    // it would show nothing, at the price of a device context and a copy.
    // A window with a frame keeps that cycle, which also paints the frame.
    if (!painted || HasFrame() || GetUpdateRect(Handle(), nullptr, false)) inherited::Dispatch(Message);
  } catch (...) {
    if (!wasPainting && !watch.Freed()) FControlState.Exclude(csCustomPaint);
    throw;
  }
  if (!wasPainting && !watch.Freed()) FControlState.Exclude(csCustomPaint);
}

void TCustomPaintBox32_qn::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_ERASEBKGND:
      Message.Result = 1;
      return;
    case WM_GETDLGCODE:
      if (FOptions.Contains(pboWantArrowKeys)) Message.Result |= DLGC_WANTARROWS;
      else Message.Result &= ~DLGC_WANTARROWS;
      return;
    case WM_PAINT:
      WMPaint(Message);
      return;
    case CM_INVALIDATE:
      if (CustomRepaint() && HandleAllocated()) {
        // One change of a layer invalidates twice (its own update and the
        // collection's change); the paint already posted shows both.
        if (FPaintPostedTo != Handle()) {
          PostMessageW(Handle(), WM_PAINT, 0, 0);
          FPaintPostedTo = Handle();
        }
        return;
      }
      break;
    default:
      // CM_MOUSEENTER and CM_MOUSELEAVE: the platform's handling calls
      // MouseEnter and MouseLeave above.
      break;
  }
  inherited::Dispatch(Message);
}

// ---------------------------------------------------------------------------
// TPaintBox32

void TPaintBox32::DoPaintBuffer() {
  if (FOnPaintBuffer) FOnPaintBuffer(this);
  inherited::DoPaintBuffer();
}

namespace {

// Cropped bitmap layers of an image stay inside its bitmap, unless the
// image is rendering into another bitmap.
bool ImageCropRect(TPersistent* Owner, TRect& Rect) {
  auto* image = dynamic_cast<TCustomImage32_qn*>(Owner);
  if (!image || image->IsPaintToMode()) return false;
  Rect = image->GetBitmapRect();
  return true;
}

}  // namespace

void InitPix32Image() {
  PaintBoxOptimizerClass = TMicroTilesRepaintOptimizer::OptimizerClass();
  LayerCropHook = ImageCropRect;
  RegisterClasses({TPaintBox32::StaticClass(), TImage32::StaticClass(), TImgView32::StaticClass(),
                   TBitmap32List::StaticClass(), TBitmap32Collection::StaticClass(), TBitmap32Item::StaticClass()});
}

void DonePix32Image() {
  PaintBoxOptimizerClass = nullptr;
  LayerCropHook = nullptr;
}

}  // namespace qn

QN_PUBLISHED_IMPL(qn::TPaintBox32)
QN_PUBLISHED_IMPL(qn::TImage32)
QN_PUBLISHED_IMPL(qn::TIVScrollProperties)
QN_PUBLISHED_IMPL(qn::TImgView32)
QN_PUBLISHED_IMPL(qn::TBitmap32Item)
QN_PUBLISHED_IMPL(qn::TBitmap32List)
