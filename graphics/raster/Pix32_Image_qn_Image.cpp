// The image control: one bitmap placed and scaled in the control, layers on
// top, the buffer built by the paint stages once per invalid rectangle.
#include <algorithm>
#include <typeinfo>

#include "graphics/raster/Pix32_Blend_qn.h"
#include "graphics/raster/Pix32_Image_qn.h"
#include "graphics/raster/Pix32_LowLevel_qn.h"
#include "graphics/raster/Pix32_MicroTiles_qn.h"
#include "platform/rtl/Math.h"
#include "platform/vcl/Forms.h"

namespace qn {

// ---------------------------------------------------------------------------
// TPaintStages

PPaintStage TPaintStages::Add() {
  FItems.emplace_back();
  return &FItems.back();
}

PPaintStage TPaintStages::Insert(Integer Index) {
  Index = std::clamp(Index, 0, Count());
  auto it = FItems.insert(FItems.begin() + Index, TPaintStage());
  return &*it;
}

void TPaintStages::Delete(Integer Index) {
  if (Index < 0 || Index >= Count()) throw EListError(u"Invalid stage index");
  FItems.erase(FItems.begin() + Index);
}

// ---------------------------------------------------------------------------
// TCustomImage32_qn

TCustomImage32_qn::TCustomImage32_qn(TComponent* AOwner) : TCustomPaintBox32_qn(AOwner) {
  SetControlStyle(TControlStyle{csAcceptsControls, csCaptureMouse, csClickEvents, csOpaque, csDoubleClicks,
                                csReplicatable});
  FBitmap = std::make_unique<TBitmap32>();
  FBitmap->SetOnResize(MakeEvent(this, &TCustomImage32_qn::BitmapResizeHandler));
  FLayers = std::make_unique<TLayerCollection>(this);
  FLayers->SetOnChange(MakeEvent(this, &TCustomImage32_qn::LayerCollectionChangeHandler));
  FLayers->SetOnGDIUpdate(MakeEvent(this, &TCustomImage32_qn::LayerCollectionGDIUpdateHandler));
  FLayers->SetOnGetViewportScale(MakeEvent(this, &TCustomImage32_qn::LayerCollectionGetViewportScaleHandler));
  FLayers->SetOnGetViewportShift(MakeEvent(this, &TCustomImage32_qn::LayerCollectionGetViewportShiftHandler));
  FRepaintOptimizer->RegisterLayerCollection(FLayers.get());
  SetRepaintMode(rmFull);
  FPaintStages = std::make_unique<TPaintStages>();
  FScaleX = 1.0f;
  FScaleY = 1.0f;
  SetXForm(0, 0, 1, 1);
  InitDefaultStages();
}

TCustomImage32_qn::~TCustomImage32_qn() {
  BeginUpdate();
  FPaintStages.reset();
  FRepaintOptimizer->UnregisterLayerCollection(FLayers.get());
  FLayers.reset();
  // The bitmap must not call back into a control that is going.
  FBitmap->SetOnAreaChanged({});
  FBitmap->SetOnChange({});
  FBitmap->SetOnResize({});
  FBitmap.reset();
}

void TCustomImage32_qn::InitDefaultStages() {
  PPaintStage s = FPaintStages->Add();
  s->DsgnTime = true;
  s->RunTime = true;
  s->Stage = StageClearBackground;
  s = FPaintStages->Add();
  s->DsgnTime = true;
  s->RunTime = false;
  s->Stage = StageControlFrame;
  s = FPaintStages->Add();
  s->DsgnTime = true;
  s->RunTime = true;
  s->Stage = StageDrawBitmap;
  s = FPaintStages->Add();
  s->DsgnTime = true;
  s->RunTime = false;
  s->Stage = StageBitmapFrame;
  s = FPaintStages->Add();
  s->DsgnTime = true;
  s->RunTime = true;
  s->Stage = StageDrawLayers;
  s->Parameter = LAYER_OPT_VISIBLE;
}

void TCustomImage32_qn::Loaded() {
  inherited::Loaded();
  DoInitStages();
}

void TCustomImage32_qn::DoInitStages() {
  if (FOnInitStages) FOnInitStages(this);
}

void TCustomImage32_qn::SetRepaintMode(TRepaintMode Value) {
  inherited::SetRepaintMode(Value);
  switch (Value) {
    case rmDirect:
      FBitmap->SetOnAreaChanged(MakeEvent(this, &TCustomImage32_qn::BitmapDirectAreaChangeHandler));
      FBitmap->SetOnChange({});
      break;
    case rmOptimizer:
      FBitmap->SetOnAreaChanged(MakeEvent(this, &TCustomImage32_qn::BitmapAreaChangeHandler));
      FBitmap->SetOnChange({});
      break;
    default:
      FBitmap->SetOnAreaChanged({});
      FBitmap->SetOnChange(MakeEvent(this, &TCustomImage32_qn::BitmapChangeHandler));
      break;
  }
}

template <class F>
void TCustomImage32_qn::ForEachMappedArea(const TRect& Area, F Report) {
  // A resampler reaches past the changed pixels by its width.
  Integer grow = 1;
  if (TCustomResampler* r = FBitmap->Resampler()) grow = static_cast<Integer>(Trunc(r->GetWidth())) + 1;
  TRect a = Area;
  InflateArea(a, grow, grow);
  const TPoint tl = BitmapToControl(TPoint(a.Left, a.Top));
  const TPoint br = BitmapToControl(TPoint(a.Right, a.Bottom));
  a = TRect(tl.X, tl.Y, br.X, br.Y);
  if (FBitmapAlign != baTile) {
    Report(a);
    return;
  }
  // Tiles repeat at the bitmap rectangle's right and bottom edges; a
  // control without room has no tiles at all.
  const Integer tw = CachedBitmapRect.Right, th = CachedBitmapRect.Bottom;
  if (tw <= 0 || th <= 0) return;
  const Integer cols = FBuffer->Width() / tw, rows = FBuffer->Height() / th;
  for (Integer y = 0; y <= rows; ++y)
    for (Integer x = 0; x <= cols; ++x) {
      TRect t = a;
      OffsetRect(t, x * tw, y * th);
      Report(t);
    }
}

void TCustomImage32_qn::BitmapAreaChangeHandler(TObject* Sender, const TRect& Area, Cardinal) {
  if (Sender == FBitmap.get())
    ForEachMappedArea(Area, [this](const TRect& R) {
      FRepaintOptimizer->AreaUpdateHandler(this, R, AREA_RECT_FLAG);
    });
  BitmapChanged(Area);
}

void TCustomImage32_qn::BitmapDirectAreaChangeHandler(TObject* Sender, const TRect& Area, Cardinal) {
  if (Sender == FBitmap.get())
    ForEachMappedArea(Area, [this](const TRect& R) {
      // Block copies take only ordered rectangles.
      FInvalidRects->Add(TRect(std::min(R.Left, R.Right), std::min(R.Top, R.Bottom), std::max(R.Left, R.Right),
                               std::max(R.Top, R.Bottom)));
    });
  if (FUpdateCount != 0) return;
  if (!ControlState().Contains(csCustomPaint)) Repaint();
  if (FOnChange) FOnChange(this);
}

void TCustomImage32_qn::BitmapChangeHandler(TObject*) {
  FRepaintOptimizer->Reset();
  BitmapChanged(FBitmap->BoundsRect());
}

void TCustomImage32_qn::BitmapResizeHandler(TObject*) { BitmapResized(); }

void TCustomImage32_qn::BitmapChanged(const TRect&) { Changed(); }

void TCustomImage32_qn::Changed() {
  if (FUpdateCount != 0) return;
  Invalidate();
  if (FOnChange) FOnChange(this);
}

void TCustomImage32_qn::BeginUpdate() { ++FUpdateCount; }

void TCustomImage32_qn::EndUpdate() {
  --FUpdateCount;
  if (FUpdateCount < 0) {
    // The count stays usable after the caller's mistake.
    FUpdateCount = 0;
    Assert(false, u"Unpaired EndUpdate call");
  }
}

void TCustomImage32_qn::Update(const TRect& Rect) {
  if (FRepaintOptimizer->Enabled()) FRepaintOptimizer->AreaUpdateHandler(this, Rect, AREA_RECT_FLAG);
}

void TCustomImage32_qn::Invalidate() {
  FBufferValid = false;
  CacheValid = false;
  inherited::Invalidate();
}

void TCustomImage32_qn::InvalidateCache() {
  // Callers change the placement after this: measured now, the layers'
  // places would be the ones they are leaving, and a scaled layer that moves
  // later would leave its real old place on the window. They are measured
  // again before the next paint, once the change has taken effect.
  if (FRepaintOptimizer->Enabled()) FPlacementChanged = true;
  CacheValid = false;
}

void TCustomImage32_qn::MeasureNewPlacement() {
  if (!FPlacementChanged) return;
  FPlacementChanged = false;
  if (!FRepaintOptimizer->Enabled()) return;
  UpdateCache();
  FRepaintOptimizer->Reset();
}

bool TCustomImage32_qn::CustomRepaint() {
  MeasureNewPlacement();
  return inherited::CustomRepaint();
}

void TCustomImage32_qn::DoPrepareInvalidRects() {
  MeasureNewPlacement();
  inherited::DoPrepareInvalidRects();
}

bool TCustomImage32_qn::InvalidRectsAvailable() {
  DoPrepareInvalidRects();
  return FInvalidRects->Count() > 0;
}

void TCustomImage32_qn::Resize() {
  InvalidateCache();
  inherited::Resize();
}

TSize TCustomImage32_qn::ShownSize() {
  TSize s(FBitmap->Width(), FBitmap->Height());
  if (FScaleMode == smScale) {
    s.cx = static_cast<Integer>(Round(s.cx * FScaleX));
    s.cy = static_cast<Integer>(Round(s.cy * FScaleX));
  }
  return s;
}

void TCustomImage32_qn::BitmapResized() {
  if (AutoSize()) {
    const TSize s = ShownSize();
    if (s.cx >= 1 && s.cy >= 1) SetBounds(Left(), Top(), s.cx, s.cy);
  }
  if (FUpdateCount == 0 && FOnBitmapResize) FOnBitmapResize(this);
  InvalidateCache();
  ForceFullInvalidate();
}

bool TCustomImage32_qn::CanAutoSize(Integer& NewWidth, Integer& NewHeight) {
  InvalidateCache();
  const TSize s = ShownSize();
  if (ComponentState().Contains(csDesigning) && (s.cx <= 0 || s.cy <= 0)) return true;
  switch (Align()) {
    case alNone:
      NewWidth = s.cx;
      NewHeight = s.cy;
      break;
    case alTop:
    case alBottom:
      NewHeight = s.cy;
      break;
    case alLeft:
    case alRight:
      NewWidth = s.cx;
      break;
    default:
      break;
  }
  return true;
}

void TCustomImage32_qn::SetBitmap(TBitmap32* Value) {
  InvalidateCache();
  FBitmap->Assign(Value);
}

void TCustomImage32_qn::SetBitmapAlign(TBitmapAlign Value) {
  InvalidateCache();
  FBitmapAlign = Value;
  Changed();
}

void TCustomImage32_qn::SetScaleMode(TScaleMode Value) {
  if (Value == FScaleMode) return;
  InvalidateCache();
  FScaleMode = Value;
  Changed();
}

void TCustomImage32_qn::SetOffsetHorz(Single Value) {
  if (Value == FOffsetHorz) return;
  InvalidateCache();
  FOffsetHorz = Value;
  Changed();
}

void TCustomImage32_qn::SetOffsetVert(Single Value) {
  if (Value == FOffsetVert) return;
  InvalidateCache();
  FOffsetVert = Value;
  Changed();
}

void TCustomImage32_qn::SetLayers(TLayerCollection* Value) { FLayers->Assign(Value); }

void TCustomImage32_qn::SetOnPixelCombine(const TPixelCombineEvent& Value) {
  FBitmap->SetOnPixelCombine(Value);
  Changed();
}

void TCustomImage32_qn::SetScale(Single Value) { ApplyScale(Value, true, true); }

void TCustomImage32_qn::SetScaleX(Single Value) { ApplyScale(Value, true, false); }

void TCustomImage32_qn::SetScaleY(Single Value) { ApplyScale(Value, false, true); }

void TCustomImage32_qn::ApplyScale(Single Value, bool X, bool Y) {
  if (Value < 0.001f) Value = 0.001f;
  if (Value == (X ? FScaleX : FScaleY)) return;
  InvalidateCache();
  if (X) {
    FScaleX = CachedScaleX = Value;
    CachedRecScaleX = 1.0f / Value;
  }
  if (Y) {
    FScaleY = CachedScaleY = Value;
    CachedRecScaleY = 1.0f / Value;
  }
  DoScaleChange();
  Changed();
}

void TCustomImage32_qn::DoScaleChange() {
  if (FOnScaleChange) FOnScaleChange(this);
}

void TCustomImage32_qn::SetXForm(Single ShiftX, Single ShiftY, Single ScaleX, Single ScaleY) {
  CachedShiftX = ShiftX;
  CachedShiftY = ShiftY;
  CachedScaleX = ScaleX;
  CachedScaleY = ScaleY;
  CachedRecScaleX = ScaleX != 0 ? 1.0f / ScaleX : 0.0f;
  CachedRecScaleY = ScaleY != 0 ? 1.0f / ScaleY : 0.0f;
}

void TCustomImage32_qn::UpdateCache() {
  if (CacheValid) return;
  CachedBitmapRect = GetBitmapRect();
  if (!FBitmap->Empty())
    SetXForm(Single(CachedBitmapRect.Left), Single(CachedBitmapRect.Top),
             Single(CachedBitmapRect.Width()) / Single(FBitmap->Width()),
             Single(CachedBitmapRect.Height()) / Single(FBitmap->Height()));
  else
    SetXForm(0, 0, 1, 1);
  CacheValid = true;
}

TPoint TCustomImage32_qn::BitmapToControl(const TPoint& APoint) {
  UpdateCache();
  return TPoint(static_cast<Integer>(Round(APoint.X * CachedScaleX + CachedShiftX)),
                static_cast<Integer>(Round(APoint.Y * CachedScaleY + CachedShiftY)));
}

TFloatPoint TCustomImage32_qn::BitmapToControl(const TFloatPoint& APoint) {
  UpdateCache();
  return TFloatPoint(APoint.X * CachedScaleX + CachedShiftX, APoint.Y * CachedScaleY + CachedShiftY);
}

TPoint TCustomImage32_qn::ControlToBitmap(const TPoint& APoint) {
  UpdateCache();
  const Integer x = CachedRecScaleX == 0 ? 0x7FFFFFFF : Floor((APoint.X - CachedShiftX) * CachedRecScaleX);
  const Integer y = CachedRecScaleY == 0 ? 0x7FFFFFFF : Floor((APoint.Y - CachedShiftY) * CachedRecScaleY);
  return TPoint(x, y);
}

TFloatPoint TCustomImage32_qn::ControlToBitmap(const TFloatPoint& APoint) {
  UpdateCache();
  const TFloat x = CachedRecScaleX == 0 ? 2147483648.0f : (APoint.X - CachedShiftX) * CachedRecScaleX;
  const TFloat y = CachedRecScaleY == 0 ? 2147483648.0f : (APoint.Y - CachedShiftY) * CachedRecScaleY;
  return TFloatPoint(x, y);
}

TSize TCustomImage32_qn::GetBitmapSize() {
  const Integer bw = FBitmap->Width(), bh = FBitmap->Height();
  if (FBitmap->Empty() || Width() == 0 || Height() == 0) return TSize(0, 0);
  const TRect v = GetViewportRect();
  const Integer vw = v.Width(), vh = v.Height();
  TScaleMode mode = FScaleMode;
  if (mode == smOptimal) {
    mode = vw >= bw && vh >= bh ? smNormal : smResize;
  } else if (mode == smOptimalScaled) {
    mode = vw >= Round(bw * FScaleX) && vh >= Round(bh * FScaleY) ? smScale : smResize;
  }
  TSize s;
  switch (mode) {
    case smNormal:
      s = TSize(bw, bh);
      break;
    case smStretch:
      s = TSize(vw, vh);
      break;
    case smResize: {
      const Double sx = Double(vw) / bw, sy = Double(vh) / bh;
      if (sx >= sy)
        s = TSize(static_cast<Integer>(Round(bw * sy)), vh);
      else
        s = TSize(vw, static_cast<Integer>(Round(bh * sx)));
      break;
    }
    default:
      s = TSize(static_cast<Integer>(Round(bw * FScaleX)), static_cast<Integer>(Round(bh * FScaleY)));
      break;
  }
  s.cx = std::max(0, s.cx);
  s.cy = std::max(0, s.cy);
  return s;
}

TRect TCustomImage32_qn::GetBitmapRect() {
  if (FBitmap->Empty()) return TRect(0, 0, 0, 0);
  const TSize s = GetBitmapSize();
  TRect r(0, 0, s.cx, s.cy);
  if (FBitmapAlign == baCenter)
    OffsetRect(r, (Width() - s.cx) / 2, (Height() - s.cy) / 2);
  else if (FBitmapAlign == baCustom)
    OffsetRect(r, static_cast<Integer>(Round(FOffsetHorz)), static_cast<Integer>(Round(FOffsetVert)));
  return r;
}

void TCustomImage32_qn::SetupBitmap(bool DoClear, TColor32 ClearColor) {
  FBitmap->BeginUpdate();
  try {
    const TRect v = GetViewportRect();
    FBitmap->SetSize(std::max(0, v.Width()), std::max(0, v.Height()));
    if (DoClear) FBitmap->Clear(ClearColor);
  } catch (...) {
    FBitmap->EndUpdate();
    throw;
  }
  FBitmap->EndUpdate();
  InvalidateCache();
  Changed();
}

// --- Painting

namespace {

// The layers from index First up, as the layer stage draws them.
// Owner: the control painted. A layer's paint may free it (a handler of
// the control's own), and then the loop stops at once.
void DrawLayersFrom(TControl* Owner, TLayerCollection* Layers, Cardinal Mask, TBitmap32* Dest, Integer First) {
  TControl::TFreeWatch watch(Owner);
  // Most layers of a partial repaint lie outside the rectangle repainted:
  // the kept places tell them apart without touching the layers. A layer
  // that paints may change the others; the places are then asked again.
  const TLayerCollection::TPaintPlace* places = Layers->PaintPlaces();
  Cardinal stamp = Layers->PlacesStamp();
  for (Integer i = First; i < Layers->Count(); ++i) {
    if (Layers->PlacesStamp() != stamp) {
      places = Layers->PaintPlaces();
      stamp = Layers->PlacesStamp();
    }
    const TLayerCollection::TPaintPlace& place = places[i];
    if (place.Known) {
      // The test the layer's own paint starts with.
      TRect visible;
      if (!vcl::IntersectRect(visible, place.Rect, Dest->ClipRect())) continue;
    }
    TCustomLayer* layer = Layers->Items(i);
    if (layer->LayerOptions() & Mask) layer->DoPaint(Dest);
    if (watch.Freed()) return;
  }
}

inline TRect Meet(const TRect& A, const TRect& B) {
  return TRect(std::max(A.Left, B.Left), std::max(A.Top, B.Top), std::min(A.Right, B.Right),
               std::min(A.Bottom, B.Bottom));
}
inline bool EmptyArea(const TRect& R) { return R.Right <= R.Left || R.Bottom <= R.Top; }

void CopyRows(TBitmap32* Bitmap, const TRect& BitmapRect, TBitmap32* Dest, const TRect& Area) {
  if (EmptyArea(Area)) return;
  MoveLongwordRows(Bitmap->GetPixelPtr(Area.Left - BitmapRect.Left, Area.Top - BitmapRect.Top),
                   static_cast<size_t>(Bitmap->Width()), Dest->GetPixelPtr(Area.Left, Area.Top),
                   static_cast<size_t>(Dest->Width()), Area.Right - Area.Left, Area.Bottom - Area.Top);
}

// The bitmap stage followed by the first layer that paints in the clip
// rectangle, in one pass where that gives the same pixels: the part of the
// rectangle under the layer is blended from the bitmap straight into Dest
// instead of being copied there first and blended over. In a partial repaint
// a moved layer covers most of what is repainted, so most of the copy goes.
// Only the plain case qualifies: the bitmap copied 1:1 and opaque, the
// layer a plain bitmap layer blended 1:1 whose part of the rectangle lies on
// the bitmap, and nothing else painting before it. Anything else returns -1
// with nothing drawn, for the stages to draw as they would; otherwise the
// index of the layer drawn.
Integer DrawBitmapUnderFirstLayer(TBitmap32* Bitmap, const TRect& BitmapRect, TLayerCollection* Layers,
                                  Cardinal Mask, TBitmap32* Dest) {
  const TRect& r = BitmapRect;
  if (Dest->MeasuringMode() || Bitmap == Dest || Bitmap->Empty() || Bitmap->DrawMode() != TDrawMode::dmOpaque ||
      r.Right - r.Left != Bitmap->Width() || r.Bottom - r.Top != Bitmap->Height())
    return -1;
  const TRect& clip = Dest->ClipRect();
  const TRect back = Meet(Meet(clip, Dest->BoundsRect()), r);
  if (EmptyArea(back)) return -1;
  const TLayerCollection::TPaintPlace* places = Layers->PaintPlaces();
  Integer first = 0;
  for (; first < Layers->Count(); ++first) {
    const TLayerCollection::TPaintPlace& place = places[first];
    TRect visible;
    // A layer of unknown place may paint anywhere.
    if (place.Known && !vcl::IntersectRect(visible, place.Rect, clip)) continue;
    if (!(Layers->Items(first)->LayerOptions() & Mask)) continue;
    if (!place.Known) return -1;
    break;
  }
  if (first == Layers->Count()) return -1;
  // A known place is that of a plain bitmap layer without a paint handler.
  auto* layer = static_cast<TBitmapLayer*>(Layers->Items(first));
  TBitmap32* src = layer->Bitmap();
  if (src->Empty() || src == Dest || layer->Cropped() || src->DrawMode() != TDrawMode::dmBlend ||
      src->CombineMode() != TCombineMode::cmBlend || src->MasterAlpha() < 255)
    return -1;
  // Where and how the layer's own paint would draw.
  const TRect dst = MakeRect(layer->GetAdjustedLocation(), TRectRounding::rrClosest);
  if (dst.Right - dst.Left != src->Width() || dst.Bottom - dst.Top != src->Height()) return -1;
  const TRect a = Meet(Meet(clip, Dest->BoundsRect()), dst);
  if (EmptyArea(a) || a.Left < r.Left || a.Top < r.Top || a.Right > r.Right || a.Bottom > r.Bottom) return -1;

  Bitmap->Lock();
  // The bitmap around the layer: the bands above and below it, and beside it.
  CopyRows(Bitmap, r, Dest, TRect(back.Left, back.Top, back.Right, a.Top));
  CopyRows(Bitmap, r, Dest, TRect(back.Left, a.Bottom, back.Right, back.Bottom));
  CopyRows(Bitmap, r, Dest, TRect(back.Left, a.Top, a.Left, a.Bottom));
  CopyRows(Bitmap, r, Dest, TRect(a.Right, a.Top, back.Right, a.Bottom));
  BlendRowsFrom(src->GetPixelPtr(a.Left - dst.Left, a.Top - dst.Top), static_cast<size_t>(src->Width()),
                Bitmap->GetPixelPtr(a.Left - r.Left, a.Top - r.Top), static_cast<size_t>(Bitmap->Width()),
                Dest->GetPixelPtr(a.Left, a.Top), static_cast<size_t>(Dest->Width()), a.Right - a.Left,
                a.Bottom - a.Top);
  EMMS();
  Bitmap->Unlock();
  Dest->Changed(r);
  Dest->Changed(dst);
  return first;
}

}  // namespace

void TCustomImage32_qn::RunStages(TBitmap32* Dest) {
  const size_t n = FPaintStageHandlers.size();
  // The bitmap stage and the layer stage right after it may share a pass
  // (DrawBitmapUnderFirstLayer); only in the library's own classes, which
  // override neither stage.
  auto plain = [this] {
    const std::type_info& t = typeid(*this);
    return t == typeid(TImage32) || t == typeid(TImgView32) || t == typeid(TCustomImage32_qn) ||
           t == typeid(TCustomImgView32);
  };
  // A stage may run handlers that free the control.
  TFreeWatch watch(this);
  for (size_t i = 0; i < n; ++i) {
    if (FPaintStageHandlers[i] == &TCustomImage32_qn::ExecDrawBitmap && i + 1 < n &&
        FPaintStageHandlers[i + 1] == &TCustomImage32_qn::ExecDrawLayers && FBitmapAlign != baTile &&
        !IsRectEmpty(CachedBitmapRect) && plain()) {
      const Cardinal mask = FPaintStages->Items(FPaintStageNum[i + 1])->Parameter;
      const Integer drawn = DrawBitmapUnderFirstLayer(FBitmap.get(), CachedBitmapRect, FLayers.get(), mask, Dest);
      if (drawn >= 0) {
        DrawLayersFrom(this, FLayers.get(), mask, Dest, drawn + 1);
        if (watch.Freed()) return;
        ++i;
        continue;
      }
    }
    (this->*FPaintStageHandlers[i])(Dest, FPaintStageNum[i]);
    if (watch.Freed()) return;
  }
}

TPaintStageHandler TCustomImage32_qn::StageHandler(Cardinal Stage) {
  switch (Stage) {
    case StageCustom: return &TCustomImage32_qn::ExecCustom;
    case StageClearBuffer: return &TCustomImage32_qn::ExecClearBuffer;
    case StageClearBackground: return &TCustomImage32_qn::ExecClearBackgnd;
    case StageDrawBitmap: return &TCustomImage32_qn::ExecDrawBitmap;
    case StageDrawLayers: return &TCustomImage32_qn::ExecDrawLayers;
    case StageControlFrame: return &TCustomImage32_qn::ExecControlFrame;
    case StageBitmapFrame: return &TCustomImage32_qn::ExecBitmapFrame;
    default: return nullptr;
  }
}

void TCustomImage32_qn::DoPaintBuffer() {
  const bool optimizer = FRepaintOptimizer->Enabled();
  if (optimizer) FRepaintOptimizer->BeginPaintBuffer();
  UpdateCache();
  FPaintStageHandlers.clear();
  FPaintStageNum.clear();
  const bool designing = ComponentState().Contains(csDesigning);
  for (Integer i = 0; i < FPaintStages->Count(); ++i) {
    const TPaintStage& s = *FPaintStages->Items(i);
    if (!(designing ? s.DsgnTime : s.RunTime)) continue;
    if (TPaintStageHandler h = StageHandler(s.Stage)) {
      FPaintStageHandlers.push_back(h);
      FPaintStageNum.push_back(i);
    }
  }
  // Everything drawn here is the repaint itself; nothing of it is reported
  // as a new change.
  FBuffer->BeginUpdate();
  // The stages may free the control, buffer and all.
  TFreeWatch watch(this);
  try {
    const TRect viewport = GetViewportRect();
    if (FInvalidRects->Count() > 0) {
      for (Integer i = 0; i < FInvalidRects->Count(); ++i) {
        FBuffer->SetClipRect(*FInvalidRects->Items(i));
        RunStages(FBuffer.get());
        if (watch.Freed()) return;
      }
    } else {
      FBuffer->SetClipRect(viewport);
      RunStages(FBuffer.get());
      if (watch.Freed()) return;
    }
    FBuffer->SetClipRect(viewport);
  } catch (...) {
    if (watch.Freed()) throw;
    FBuffer->ResetClipRect();
    FBuffer->EndUpdate();
    if (optimizer) FRepaintOptimizer->EndPaintBuffer();
    throw;
  }
  FBuffer->EndUpdate();
  if (optimizer) FRepaintOptimizer->EndPaintBuffer();
  // Layers changed while this paint measured or drew them are still to be
  // drawn: the paint their change posted must draw the buffer again.
  FBufferValid = !optimizer || !FRepaintOptimizer->UpdatesAvailable();
}

void TCustomImage32_qn::ExecCustom(TBitmap32* Dest, Integer StageNum) {
  if (FOnPaintStage) FOnPaintStage(this, Dest, static_cast<Cardinal>(StageNum));
}

void TCustomImage32_qn::ExecClearBuffer(TBitmap32* Dest, Integer) {
  const TColor32 c = Color32(Color());
  // A partial repaint clears only what it redraws: the rest of the buffer
  // is still on the window and must stay as it is.
  if (FInvalidRects->Count() > 0 && !PaintToMode)
    Dest->FillRectS(Dest->ClipRect(), c);
  else
    Dest->Clear(c);
}

void TCustomImage32_qn::ExecClearBackgnd(TBitmap32* Dest, Integer) {
  const TColor32 c = Color32(Color());
  const bool opaque = !FBitmap->Empty() && FBitmap->DrawMode() == TDrawMode::dmOpaque;
  if (FInvalidRects->Count() > 0 && !PaintToMode) {
    // The buffer is clipped to one invalid rectangle; filling it covers
    // every part of the list that falls inside. An opaque bitmap drawn over
    // all of it hides the fill, as it does in a full paint.
    const TRect& clip = Dest->ClipRect();
    const TRect& r = CachedBitmapRect;
    if (opaque && clip.Left >= r.Left && clip.Top >= r.Top && clip.Right <= r.Right && clip.Bottom <= r.Bottom) return;
    Dest->FillRectS(clip, c);
    return;
  }
  if (!opaque) {
    Dest->Clear(c);
    return;
  }
  const TRect& r = CachedBitmapRect;
  const Integer w = Width(), h = Height();
  if (r.Left < 1 && r.Top < 1 && r.Right >= w && (r.Bottom >= h || FBitmapAlign == baTile)) return;
  Dest->FillRectS(0, 0, w, r.Top, c);
  Dest->FillRectS(0, r.Bottom, w, h, c);
  Dest->FillRectS(0, r.Top, r.Left, r.Bottom, c);
  Dest->FillRectS(r.Right, r.Top, w, r.Bottom, c);
}

void TCustomImage32_qn::ExecDrawBitmap(TBitmap32* Dest, Integer) {
  const TRect& r = CachedBitmapRect;
  if (FBitmap->Empty() || IsRectEmpty(r)) return;
  FBitmap->Lock();
  try {
    if (FBitmapAlign == baTile) {
      const Integer rows = Dest->Height() / r.Bottom, cols = Dest->Width() / r.Right;
      for (Integer y = 0; y <= rows; ++y)
        for (Integer x = 0; x <= cols; ++x) {
          TRect t = r;
          OffsetRect(t, x * r.Right, y * r.Bottom);
          FBitmap->DrawTo(Dest, t);
        }
    } else {
      FBitmap->DrawTo(Dest, r);
    }
  } catch (...) {
    FBitmap->Unlock();
    throw;
  }
  FBitmap->Unlock();
}

void TCustomImage32_qn::ExecDrawLayers(TBitmap32* Dest, Integer StageNum) {
  DrawLayersFrom(this, FLayers.get(), FPaintStages->Items(StageNum)->Parameter, Dest, 0);
}

void TCustomImage32_qn::ExecControlFrame(TBitmap32* Dest, Integer) {
  if (const HDC dc = Dest->GetHDC()) {
    const RECT r(0, 0, Width(), Height());
    DrawFocusRect(dc, &r);
  }
}

void TCustomImage32_qn::ExecBitmapFrame(TBitmap32* Dest, Integer) {
  Dest->Canvas()->DrawFocusRect(CachedBitmapRect);
}

void TCustomImage32_qn::PaintTo(TBitmap32* Dest, const TRect& DestRect) {
  const TRepaintMode oldMode = RepaintMode();
  SetRepaintMode(rmFull);
  // A stage may run handlers that free the control.
  TFreeWatch watch(this);
  // Whatever a stage raises, the control gets its mode and its own
  // placement back.
  try {
    CachedBitmapRect = DestRect;
    if (!IsRectEmpty(DestRect) && !FBitmap->Empty())
      SetXForm(Single(DestRect.Left), Single(DestRect.Top), Single(DestRect.Width()) / Single(FBitmap->Width()),
               Single(DestRect.Height()) / Single(FBitmap->Height()));
    else
      SetXForm(0, 0, 1, 1);
    CacheValid = true;
    PaintToMode = true;
    for (Integer i = 0; i < FPaintStages->Count(); ++i) {
      const TPaintStage& s = *FPaintStages->Items(i);
      if (!s.RunTime) continue;
      if (TPaintStageHandler h = StageHandler(s.Stage)) (this->*h)(Dest, i);
      if (watch.Freed()) return;
    }
  } catch (...) {
    if (watch.Freed()) throw;
    PaintToMode = false;
    CacheValid = false;
    SetRepaintMode(oldMode);
    throw;
  }
  PaintToMode = false;
  CacheValid = false;
  SetRepaintMode(oldMode);
}

void TCustomImage32_qn::DoPaintGDIOverlay() {
  for (Integer i = 0; i < FLayers->Count(); ++i) {
    TCustomLayer* layer = FLayers->Items(i);
    if (layer->LayerOptions() & LAYER_OPT_GDI_OVERLAY) layer->PaintGDI(Canvas());
  }
  inherited::DoPaintGDIOverlay();
}

// --- Layers

void TCustomImage32_qn::LayerCollectionChangeHandler(TObject*) { Changed(); }

void TCustomImage32_qn::LayerCollectionGDIUpdateHandler(TObject*) { Paint(); }

void TCustomImage32_qn::LayerCollectionGetViewportScaleHandler(TObject*, Single& ScaleX, Single& ScaleY) {
  UpdateCache();
  ScaleX = CachedScaleX;
  ScaleY = CachedScaleY;
}

void TCustomImage32_qn::LayerCollectionGetViewportShiftHandler(TObject*, Single& ShiftX, Single& ShiftY) {
  UpdateCache();
  ShiftX = CachedShiftX;
  ShiftY = CachedShiftY;
}

// --- Mouse

void TCustomImage32_qn::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  inherited::MouseDown(Button, Shift, X, Y);
  if (TabStop() && CanFocus()) SetFocus();
  TCustomLayer* layer = FLayers->MouseEvents() ? FLayers->MouseDown(Button, Shift, X, Y) : nullptr;
  // Held until the matching release, by the same rule (MouseUp).
  if (Button == TMouseButton::mbLeft || FLayers->MouseListener()) SetMouseCapture(true);
  MouseDown(Button, Shift, X, Y, layer);
}

void TCustomImage32_qn::MouseMove(TShiftState Shift, Integer X, Integer Y) {
  inherited::MouseMove(Shift, X, Y);
  TCustomLayer* layer = FLayers->MouseEvents() ? FLayers->MouseMove(Shift, X, Y) : nullptr;
  MouseMove(Shift, X, Y, layer);
}

void TCustomImage32_qn::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  TCustomLayer* layer = FLayers->MouseEvents() ? FLayers->MouseUp(Button, Shift, X, Y) : nullptr;
  if (Button == TMouseButton::mbLeft || FLayers->MouseListener()) SetMouseCapture(false);
  MouseUp(Button, Shift, X, Y, layer);
}

void TCustomImage32_qn::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y, TCustomLayer* Layer) {
  if (FOnMouseDown) FOnMouseDown(this, Button, Shift, X, Y, Layer);
}

void TCustomImage32_qn::MouseMove(TShiftState Shift, Integer X, Integer Y, TCustomLayer* Layer) {
  if (FOnMouseMove) FOnMouseMove(this, Shift, X, Y, Layer);
}

void TCustomImage32_qn::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y, TCustomLayer* Layer) {
  if (FOnMouseUp) FOnMouseUp(this, Button, Shift, X, Y, Layer);
}

void TCustomImage32_qn::MouseLeave() {
  if (FLayers->MouseEvents() && !FLayers->MouseListener() && Screen) Screen->SetCursor(crDefault);
  inherited::MouseLeave();
}

}  // namespace qn
