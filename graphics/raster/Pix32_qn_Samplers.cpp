// Pix32_qn: sampler and resampler bases, the backend base.
#include "graphics/raster/Pix32_Containers_qn.h"
#include "graphics/raster/Pix32_LowLevel_qn.h"
#include "graphics/raster/Pix32_qn.h"

namespace qn {

// ---------------------------------------------------------------------------
// TCustomSampler

TColor32 TCustomSampler::GetSampleInt(Integer X, Integer Y) {
  return GetSampleFixed(static_cast<TFixed>(static_cast<Cardinal>(X) << 16),
                        static_cast<TFixed>(static_cast<Cardinal>(Y) << 16));
}

TColor32 TCustomSampler::GetSampleFixed(TFixed X, TFixed Y) {
  constexpr Single k = 1.0f / 65536;
  return GetSampleFloat(X * k, Y * k);
}

TColor32 TCustomSampler::GetSampleFloat(Single X, Single Y) {
  return GetSampleFixed(static_cast<TFixed>(Round(X * 65536.0f)), static_cast<TFixed>(Round(Y * 65536.0f)));
}

void TCustomSampler::GetSampleSpanInt(Integer X, Integer Y, Integer Count, PColor32 Dst) {
  // Positions step as the platform's integers do, wrapping past the top.
  for (Integer I = 0; I < Count; ++I) Dst[I] = GetSampleInt(static_cast<Integer>(static_cast<Cardinal>(X) + I), Y);
}

TFloatRect TCustomSampler::GetSampleBounds() {
  constexpr Single inf = std::numeric_limits<Single>::infinity();
  return {-inf, -inf, inf, inf};
}

// ---------------------------------------------------------------------------
// TCustomResampler

TCustomResampler::TCustomResampler(TCustomBitmap32* Bitmap) : FBitmap(Bitmap) {
  if (Bitmap) Bitmap->SetResampler(this);
}

void TCustomResampler::Changed() {
  // A resampler's settings are part of its bitmap's state.
  if (FBitmap) FBitmap->Changed();
}

void TCustomResampler::PrepareSampling() { FClipRect = FBitmap->ClipRect(); }

bool TCustomResampler::HasBounds() { return FPixelAccessMode != TPixelAccessMode::pamWrap; }

TFloatRect TCustomResampler::GetSampleBounds() {
  TFloatRect r = FloatRect(FBitmap->ClipRect());
  if (FPixelAccessMode == TPixelAccessMode::pamTransparentEdge) InflateRect(r, 1, 1);
  return r;
}

void TCustomResampler::SetPixelAccessMode(TPixelAccessMode Value) {
  if (FPixelAccessMode == Value) return;
  FPixelAccessMode = Value;
  Changed();
}

void TCustomResampler::AssignTo(TPersistent* Dst) {
  if (dynamic_cast<TCustomResampler*>(Dst)) SmartAssign(this, Dst);
  else inherited::AssignTo(Dst);
}

// ---------------------------------------------------------------------------
// TCustomBackend

TCustomBackend::TCustomBackend() {
  FRefCounted = true;
  FRefCount.store(1, std::memory_order_relaxed);
}

void TCustomBackend::BeforeDestruction() {
  // Here rather than in the destructor: the surface is freed by the
  // descendant's FinalizeSurface, which a destructor no longer reaches.
  try {
    Clear();
  } catch (...) {
  }
  inherited::BeforeDestruction();
}

void TCustomBackend::Changing() {
  if (FOnChanging) FOnChanging(this);
}

void TCustomBackend::ChangeSize(Integer& Width, Integer& Height, Integer NewWidth, Integer NewHeight,
                                bool ClearBuffer) {
  Changing();
  FinalizeSurface();
  Width = 0;
  Height = 0;
  // Changed runs also when the new surface cannot be made, so the owner
  // picks up the (nil) pixel pointer and its empty bounds.
  bool ok = false;
  try {
    if (NewWidth > 0 && NewHeight > 0) InitializeSurface(NewWidth, NewHeight, ClearBuffer);
    ok = true;
  } catch (...) {
    Changed();
    throw;
  }
  if (ok) {
    Width = NewWidth;
    Height = NewHeight;
  }
  Changed();
}

void TCustomBackend::Clear() {
  Integer w = 0, h = 0;
  if (FOwner) ChangeSize(FOwner->FWidth, FOwner->FHeight, 0, 0, false);
  else ChangeSize(w, h, 0, 0, false);
}

void TCustomBackend::Assign(TPersistent* Source) {
  auto* src = dynamic_cast<TCustomBackend*>(Source);
  if (!src || !FOwner) {
    inherited::Assign(Source);
    return;
  }
  const Integer w = src->FOwner ? src->FOwner->Width() : 0;
  const Integer h = src->FOwner ? src->FOwner->Height() : 0;
  ChangeSize(FOwner->FWidth, FOwner->FHeight, w, h, false);
  if (!src->Empty() && src->FBits && FBits) MoveLongword(src->FBits, FBits, w * h);
}

}  // namespace qn
