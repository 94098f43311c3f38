// Pix32_qn: TCustomBitmap32's life cycle, backend protocol, state and
// notification.
#include <cstring>

#include "graphics/raster/Pix32_Backends_Generic_qn.h"
#include "graphics/raster/Pix32_Blend_qn.h"
#include "graphics/raster/Pix32_Resamplers_qn.h"
#include "graphics/raster/Pix32_qn.h"

namespace qn {

TCustomBitmap32::TCustomBitmap32() : TCustomBitmap32(TMemoryBackend::StaticClass()) {}

TCustomBitmap32::TCustomBitmap32(TCustomBackendClass Backend) {
  InitializeBackend(Backend);
  FOuterColor = 0;
  FMasterAlpha = 255;
  FPenColor = 0xFFFFFFFFu;
  FStippleStep = 1.0f;
  FCombineMode = TCombineMode::cmBlend;
  BlendProc = *BLEND_MEM[static_cast<int>(TCombineMode::cmBlend)];
  WrapProcHorz = GetWrapProcEx(FWrapMode);
  WrapProcVert = GetWrapProcEx(FWrapMode);
  try {
    new TNearestResampler(this);
  } catch (...) {
    DestroyContents(false);
    throw;
  }
}

TCustomBitmap32::~TCustomBitmap32() { DestroyContents(false); }

void TCustomBitmap32::BeforeDestruction() {
  DestroyContents(true);
  inherited::BeforeDestruction();
}

void TCustomBitmap32::DestroyContents(bool Notify) {
  if (!FBackend && !FResampler) return;
  if (!Notify) {
    // No callbacks into an object whose descendants are already gone.
    FOnChange = nullptr;
    FOnResize = nullptr;
    FOnAreaChanged = nullptr;
  }
  BeginUpdate();
  Lock();
  try {
    SetSize(0, 0);
  } catch (...) {
  }
  FreeAndNil(FResampler);
  FinalizeBackend();
  Unlock();
}

TCustomBackendClass TCustomBitmap32::GetPlatformBackendClass() const { return TMemoryBackend::StaticClass(); }

void TCustomBitmap32::InitializeBackend(TCustomBackendClass Backend) {
  if (!Backend || !Backend->InheritsFrom(TCustomBackend::StaticClass()))
    throw EInvalidCast(u"Invalid class typecast");
  Backend->Create(this);
}

void TCustomBitmap32::FinalizeBackend() {
  if (!FBackend) return;
  TCustomBackend* b = FBackend;
  b->FOwner = nullptr;
  b->SetOnChange(nullptr);
  b->SetOnChanging(nullptr);
  FBackend = nullptr;
  b->_Release();
}

void TCustomBitmap32::SetBackend(TCustomBackend* Backend) {
  if (!Backend || Backend == FBackend) return;
  const Integer oldW = FWidth, oldH = FHeight;
  BeginUpdate();
  try {
    Backend->FOwner = this;
    if (FBackend) {
      Backend->Assign(FBackend);
      FinalizeBackend();
    }
  } catch (...) {
    // The old backend still holds the pixels: keep it and its size.
    Backend->FOwner = nullptr;
    FWidth = oldW;
    FHeight = oldH;
    EndUpdate();
    throw;
  }
  FBackend = Backend;
  Backend->SetOnChange(MakeEvent(this, &TCustomBitmap32::BackendChangedHandler));
  Backend->SetOnChanging(MakeEvent(this, &TCustomBitmap32::BackendChangingHandler));
  EndUpdate();
  FBackend->Changed();
  Changed();
}

TCustomBackend* TCustomBitmap32::ReleaseBackend() {
  if (FBackend) FBackend->_AddRef();
  return FBackend;
}

void TCustomBitmap32::BackendChangingHandler(TObject*) {}

void TCustomBitmap32::BackendChangedHandler(TObject*) {
  FBits = FBackend ? FBackend->FBits : nullptr;
  ResetClipRect();
}

bool TCustomBitmap32::GetInterface(const TGUID& IID, void** Obj) {
  if (FBackend && FBackend->GetInterface(IID, Obj)) return true;
  return inherited::GetInterface(IID, Obj);
}

void TCustomBitmap32::ChangeSize(Integer& Width, Integer& Height, Integer NewWidth, Integer NewHeight) {
  FBackend->ChangeSize(Width, Height, NewWidth, NewHeight, true);
}

bool TCustomBitmap32::Empty() const { return (FBackend && FBackend->Empty()) || FWidth == 0 || FHeight == 0; }

void TCustomBitmap32::Delete() { SetSize(0, 0); }

// ---------------------------------------------------------------------------
// Notification

void TCustomBitmap32::Changed() { Changed(BoundsRect(), AREA_RECT_FLAG); }

void TCustomBitmap32::Changed(const TRect& Area, Cardinal Info) {
  if (FUpdateCount != 0 && !FMeasuringMode) return;
  if (FOnAreaChanged) FOnAreaChanged(this, Area, Info);
  if (!FMeasuringMode) TNotifiablePersistent::Changed();
}

void TCustomBitmap32::PropertyChanged() { TNotifiablePersistent::Changed(); }

void TCustomBitmap32::BeginMeasuring(const TAreaChangedEvent& Callback) {
  FMeasuringMode = true;
  FOldOnAreaChanged = FOnAreaChanged;
  FOnAreaChanged = Callback;
}

void TCustomBitmap32::EndMeasuring() {
  FMeasuringMode = false;
  FOnAreaChanged = FOldOnAreaChanged;
}

// ---------------------------------------------------------------------------
// State

void TCustomBitmap32::SetClipRect(const TRect& Value) {
  const TRect bounds = BoundsRect();
  Pix32_qn::IntersectRect(FClipRect, Value, bounds);
  FFixedClipRect = FixedRect(FClipRect);
  auto shl8 = [](Integer v) { return static_cast<Integer>(static_cast<Cardinal>(v) << 8); };
  F256ClipRect = TRect(shl8(FClipRect.Left), shl8(FClipRect.Top), shl8(FClipRect.Right), shl8(FClipRect.Bottom));
  FClipping = std::memcmp(&FClipRect, &bounds, sizeof(TRect)) != 0;
  WrapProcHorz = GetWrapProcEx(FWrapMode, FClipRect.Left, FClipRect.Right - 1);
  WrapProcVert = GetWrapProcEx(FWrapMode, FClipRect.Top, FClipRect.Bottom - 1);
}

void TCustomBitmap32::SetDrawMode(TDrawMode Value) {
  if (FDrawMode == Value) return;
  FDrawMode = Value;
  Changed();
}

void TCustomBitmap32::SetCombineMode(TCombineMode Value) {
  if (FCombineMode == Value) return;
  FCombineMode = Value;
  BlendProc = *BLEND_MEM[static_cast<int>(Value)];
  Changed();
}

void TCustomBitmap32::SetWrapMode(TWrapMode Value) {
  if (FWrapMode == Value) return;
  FWrapMode = Value;
  WrapProcHorz = GetWrapProcEx(FWrapMode, FClipRect.Left, FClipRect.Right - 1);
  WrapProcVert = GetWrapProcEx(FWrapMode, FClipRect.Top, FClipRect.Bottom - 1);
  Changed();
}

void TCustomBitmap32::SetMasterAlpha(Cardinal Value) {
  if (FMasterAlpha == Value) return;
  FMasterAlpha = Value;
  Changed();
}

void TCustomBitmap32::SetResampler(TCustomResampler* Resampler) {
  if (!Resampler || Resampler == FResampler) return;
  TCustomResampler* old = FResampler;
  FResampler = Resampler;
  delete old;
  Changed();
}

String TCustomBitmap32::GetResamplerClassName() const { return FResampler ? FResampler->ClassName() : String(); }

void TCustomBitmap32::SetResamplerClassName(const String& Value) {
  if (Value.empty() || Value == GetResamplerClassName() || !ResamplerList) return;
  TClass c = ResamplerList->Find(Value);
  if (!c || !c->CanCreate() || !c->InheritsFrom(TCustomResampler::StaticClass())) return;
  c->Create(this);  // the new resampler installs itself
}

void TCustomBitmap32::CopyMapTo(TCustomBitmap32* Dst) {
  Dst->SetSize(FWidth, FHeight);
  if (!Empty() && Dst->FBits) MoveLongword(FBits, Dst->FBits, FWidth * FHeight);
}

void TCustomBitmap32::CopyPropertiesTo(TCustomBitmap32* Dst) {
  Dst->SetDrawMode(FDrawMode);
  Dst->SetCombineMode(FCombineMode);
  Dst->SetWrapMode(FWrapMode);
  Dst->SetMasterAlpha(FMasterAlpha);
  Dst->FOuterColor = FOuterColor;
  Dst->SetResamplerClassName(GetResamplerClassName());
  if (FResampler && Dst->FResampler) Dst->FResampler->Assign(FResampler);
}

void TCustomBitmap32::Clear() { Clear(0xFF000000u); }

void TCustomBitmap32::Clear(TColor32 FillColor) {
  if (Empty()) return;
  if (!FMeasuringMode) {
    if (FClipping) {
      const Integer w = FClipRect.Right - FClipRect.Left;
      for (Integer y = FClipRect.Top; y < FClipRect.Bottom; ++y)
        FillLongword(GetPixelPtr(FClipRect.Left, y), static_cast<Cardinal>(w), FillColor);
    } else {
      FillLongword(FBits, static_cast<Cardinal>(FWidth) * static_cast<Cardinal>(FHeight), FillColor);
    }
  }
  Changed();
}

bool TCustomBitmap32::Equal(TCustomBitmap32* B) {
  if (!B) return false;
  if (Empty() || B->Empty()) return Empty() && B->Empty();
  if (ClassType() != B->ClassType()) return false;
  // Two bitmaps save to equal streams exactly when size and pixels agree.
  if (FWidth != B->FWidth || FHeight != B->FHeight) return false;
  return std::memcmp(FBits, B->FBits, static_cast<size_t>(FWidth) * static_cast<size_t>(FHeight) * 4) == 0;
}

}  // namespace qn

QN_PUBLISHED_IMPL(qn::TCustomResampler)
QN_PUBLISHED_IMPL(qn::TCustomBitmap32)
