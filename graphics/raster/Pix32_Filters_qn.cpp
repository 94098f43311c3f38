#include "graphics/raster/Pix32_Filters_qn.h"

#include <algorithm>

namespace qn {

TLogicalMaskLine* MaskLineAnd = nullptr;
TLogicalMaskLine* MaskLineOr = nullptr;
TLogicalMaskLine* MaskLineXor = nullptr;
TLogicalMaskLineEx* MaskLineAndTo = nullptr;
TLogicalMaskLineEx* MaskLineOrTo = nullptr;
TLogicalMaskLineEx* MaskLineXorTo = nullptr;
TLogicalMaskLine* const* const MASK_LINE_PROCS[3] = {&MaskLineXor, &MaskLineAnd, &MaskLineOr};
TLogicalMaskLineEx* const* const MASK_LINE_TO_PROCS[3] = {&MaskLineXorTo, &MaskLineAndTo, &MaskLineOrTo};
TFunctionRegistry* FiltersRegistry = nullptr;

namespace {

// Every processor form computes the same; the compiler vectorises these.
void MaskLineAnd_Pas(PColor32 Dst, TColor32 Mask, Integer Count) {
  for (Integer i = 0; i < Count; ++i) Dst[i] &= Mask;
}
void MaskLineOr_Pas(PColor32 Dst, TColor32 Mask, Integer Count) {
  for (Integer i = 0; i < Count; ++i) Dst[i] |= Mask;
}
void MaskLineXor_Pas(PColor32 Dst, TColor32 Mask, Integer Count) {
  for (Integer i = 0; i < Count; ++i) Dst[i] ^= Mask;
}
void MaskLineAndTo_Pas(const TColor32* Src, PColor32 Dst, Integer Count, TColor32 Mask) {
  for (Integer i = 0; i < Count; ++i) Dst[i] = Src[i] & Mask;
}
void MaskLineOrTo_Pas(const TColor32* Src, PColor32 Dst, Integer Count, TColor32 Mask) {
  for (Integer i = 0; i < Count; ++i) Dst[i] = Src[i] | Mask;
}
void MaskLineXorTo_Pas(const TColor32* Src, PColor32 Dst, Integer Count, TColor32 Mask) {
  for (Integer i = 0; i < Count; ++i) Dst[i] = Src[i] ^ Mask;
}

Cardinal Intensity8(TColor32 C) {
  return (((C >> 16) & 0xFF) * 61 + ((C >> 8) & 0xFF) * 174 + (C & 0xFF) * 21) >> 8;
}

size_t BitmapPixels(const TCustomBitmap32* B) { return size_t(B->Width()) * size_t(B->Height()); }

// The destination rectangle of the rectangle forms; false when nothing is
// left. The source start stays at SrcRect's top-left.
bool PrepareRects(TCustomBitmap32* Dst, Integer& DstX, Integer& DstY, TCustomBitmap32* Src, TRect& SrcRect,
                  TRect& DstRect) {
  Pix32_qn::IntersectRect(SrcRect, SrcRect, Src->BoundsRect());
  if (SrcRect.Left > SrcRect.Right || SrcRect.Top > SrcRect.Bottom) return false;
  DstX = std::clamp(DstX, 0, Dst->Width());
  DstY = std::clamp(DstY, 0, Dst->Height());
  DstRect = TRect(DstX, DstY, DstX + SrcRect.Width(), DstY + SrcRect.Height());
  Pix32_qn::IntersectRect(DstRect, DstRect, Dst->BoundsRect());
  Pix32_qn::IntersectRect(DstRect, DstRect, Dst->ClipRect());
  return DstRect.Left <= DstRect.Right && DstRect.Top <= DstRect.Bottom;
}

template <class RowOp>
void ForRows(TCustomBitmap32* Dst, const TRect& DstRect, TCustomBitmap32* Src, const TRect& SrcRect, RowOp Op) {
  if (Dst->MeasuringMode()) {
    Dst->Changed(DstRect);
    return;
  }
  Dst->BeginUpdate();
  const Integer w = DstRect.Width();
  for (Integer y = 0; y < DstRect.Height(); ++y)
    Op(Src->GetPixelPtr(SrcRect.Left, SrcRect.Top + y), Dst->GetPixelPtr(DstRect.Left, DstRect.Top + y), w);
  Dst->EndUpdate();
  Dst->Changed(DstRect);
}

}  // namespace

void CheckParams(TCustomBitmap32* Dst, TCustomBitmap32* Src, bool ResizeDst) {
  if (!Src) throw Exception(u"The source is nil");
  if (!Dst) throw Exception(u"Destination is nil");
  if (ResizeDst) Dst->SetSize(Src->Width(), Src->Height());
}

TColor32 CreateBitmask(TColor32Components Components) {
  TColor32 m = 0;
  if (Components.Contains(TColor32Component::ccBlue)) m |= 0x000000FFu;
  if (Components.Contains(TColor32Component::ccGreen)) m |= 0x0000FF00u;
  if (Components.Contains(TColor32Component::ccRed)) m |= 0x00FF0000u;
  if (Components.Contains(TColor32Component::ccAlpha)) m |= 0xFF000000u;
  return m;
}

void CopyComponents(TCustomBitmap32* Dst, TCustomBitmap32* Src, TColor32Components Components) {
  if (Components.Empty()) return;
  CheckParams(Dst, Src, true);
  CopyComponents(Dst, 0, 0, Src, Src->BoundsRect(), Components);
}

void CopyComponents(TCustomBitmap32* Dst, Integer DstX, Integer DstY, TCustomBitmap32* Src, TRect SrcRect,
                    TColor32Components Components) {
  if (Components.Empty()) return;
  CheckParams(Dst, Src, false);
  TRect dstRect;
  if (!PrepareRects(Dst, DstX, DstY, Src, SrcRect, dstRect)) return;
  const TColor32 m = CreateBitmask(Components);
  ForRows(Dst, dstRect, Src, SrcRect, [m](const TColor32* s, PColor32 d, Integer n) {
    for (Integer i = 0; i < n; ++i) d[i] = (d[i] & ~m) | (s[i] & m);
  });
}

void ApplyBitmask(TCustomBitmap32* Dst, Integer DstX, Integer DstY, TCustomBitmap32* Src, TRect SrcRect,
                  TColor32 Bitmask, TLogicalOperator LogicalOperator) {
  CheckParams(Dst, Src, false);
  TRect dstRect;
  if (!PrepareRects(Dst, DstX, DstY, Src, SrcRect, dstRect)) return;
  TLogicalMaskLineEx* line = *MASK_LINE_TO_PROCS[static_cast<int>(LogicalOperator)];
  ForRows(Dst, dstRect, Src, SrcRect,
          [line, Bitmask](const TColor32* s, PColor32 d, Integer n) { line(s, d, n, Bitmask); });
}

void ApplyBitmask(TCustomBitmap32* ABitmap, TRect ARect, TColor32 Bitmask, TLogicalOperator LogicalOperator) {
  if (!ABitmap) throw Exception(u"The bitmap is nil");
  Pix32_qn::IntersectRect(ARect, ARect, ABitmap->BoundsRect());
  if (ARect.Left > ARect.Right || ARect.Top > ARect.Bottom) return;
  if (ABitmap->MeasuringMode()) {
    ABitmap->Changed(ARect);
    return;
  }
  TLogicalMaskLine* line = *MASK_LINE_PROCS[static_cast<int>(LogicalOperator)];
  ABitmap->BeginUpdate();
  if (ARect.Width() == ABitmap->Width()) {
    line(ABitmap->GetPixelPtr(0, ARect.Top), Bitmask, ARect.Width() * ARect.Height());
  } else {
    for (Integer y = ARect.Top; y < ARect.Bottom; ++y) line(ABitmap->GetPixelPtr(ARect.Left, y), Bitmask, ARect.Width());
  }
  ABitmap->EndUpdate();
  ABitmap->Changed(ARect);
}

void Invert(TCustomBitmap32* Dst, TCustomBitmap32* Src, TColor32Components Components) {
  if (Components.Empty()) return;
  const TColor32 m = CreateBitmask(Components);
  if (Dst != Src) {
    CheckParams(Dst, Src, true);
    ApplyBitmask(Dst, 0, 0, Src, Src->BoundsRect(), m, TLogicalOperator::loXOR);
  } else {
    CheckParams(Dst, Src, false);
    ApplyBitmask(Dst, Dst->BoundsRect(), m, TLogicalOperator::loXOR);
  }
}

void InvertRGB(TCustomBitmap32* Dst, TCustomBitmap32* Src) {
  Invert(Dst, Src, TColor32Components{TColor32Component::ccBlue, TColor32Component::ccGreen, TColor32Component::ccRed});
}

void ColorToGrayscale(TCustomBitmap32* Dst, TCustomBitmap32* Src, bool PreserveAlpha) {
  CheckParams(Dst, Src, true);
  const size_t n = BitmapPixels(Src);
  const TColor32* s = Src->Bits();
  PColor32 d = Dst->Bits();
  for (size_t i = 0; i < n; ++i) {
    const Cardinal v = Intensity8(s[i]);
    const Cardinal a = PreserveAlpha ? (s[i] & 0xFF000000u) : 0xFF000000u;
    d[i] = a | v << 16 | v << 8 | v;
  }
  Dst->Changed();
}

void AlphaToGrayscale(TCustomBitmap32* Dst, TCustomBitmap32* Src) {
  CheckParams(Dst, Src, true);
  const size_t n = BitmapPixels(Src);
  const TColor32* s = Src->Bits();
  PColor32 d = Dst->Bits();
  for (size_t i = 0; i < n; ++i) {
    const Cardinal a = s[i] >> 24;
    d[i] = (d[i] & 0xFF000000u) | a << 16 | a << 8 | a;
  }
  Dst->Changed();
}

void IntensityToAlpha(TCustomBitmap32* Dst, TCustomBitmap32* Src) {
  CheckParams(Dst, Src, true);
  const size_t n = BitmapPixels(Src);
  const TColor32* s = Src->Bits();
  PColor32 d = Dst->Bits();
  for (size_t i = 0; i < n; ++i) d[i] = (d[i] & 0x00FFFFFFu) | Intensity8(s[i]) << 24;
  Dst->Changed();
}

void ApplyLUT(TCustomBitmap32* Dst, TCustomBitmap32* Src, const TLUT8& LUT, bool PreserveAlpha) {
  CheckParams(Dst, Src, true);
  const size_t n = BitmapPixels(Src);
  const TColor32* s = Src->Bits();
  PColor32 d = Dst->Bits();
  for (size_t i = 0; i < n; ++i) {
    const TColor32 c = s[i];
    const Cardinal a = PreserveAlpha ? (d[i] & 0xFF000000u) : 0xFF000000u;
    d[i] = a | Cardinal(LUT[(c >> 16) & 0xFF]) << 16 | Cardinal(LUT[(c >> 8) & 0xFF]) << 8 | LUT[c & 0xFF];
  }
  Dst->Changed();
}

void ChromaKey(TCustomBitmap32* ABitmap, TColor32 TrColor) {
  if (!ABitmap) throw Exception(u"The bitmap is nil");
  const TColor32 key = TrColor & 0x00FFFFFFu;
  const size_t n = BitmapPixels(ABitmap);
  PColor32 p = ABitmap->Bits();
  for (size_t i = 0; i < n; ++i)
    if ((p[i] & 0x00FFFFFFu) == key) p[i] &= 0x00FFFFFFu;
  ABitmap->Changed();
}

void InitPix32Filters() {
  FiltersRegistry = NewRegistry(u"Pix32_Filters_qn bindings");
  FiltersRegistry->RegisterBinding(0, &MaskLineAnd, "MaskLineAnd");
  FiltersRegistry->RegisterBinding(1, &MaskLineOr, "MaskLineOr");
  FiltersRegistry->RegisterBinding(2, &MaskLineXor, "MaskLineXor");
  FiltersRegistry->RegisterBinding(3, &MaskLineAndTo, "MaskLineAndTo");
  FiltersRegistry->RegisterBinding(4, &MaskLineOrTo, "MaskLineOrTo");
  FiltersRegistry->RegisterBinding(5, &MaskLineXorTo, "MaskLineXorTo");
  FiltersRegistry->Add(0, &MaskLineAnd_Pas, {}, 0, "plain");
  FiltersRegistry->Add(1, &MaskLineOr_Pas, {}, 0, "plain");
  FiltersRegistry->Add(2, &MaskLineXor_Pas, {}, 0, "plain");
  FiltersRegistry->Add(3, &MaskLineAndTo_Pas, {}, 0, "plain");
  FiltersRegistry->Add(4, &MaskLineOrTo_Pas, {}, 0, "plain");
  FiltersRegistry->Add(5, &MaskLineXorTo_Pas, {}, 0, "plain");
  FiltersRegistry->RebindAll();
}

void DonePix32Filters() { FiltersRegistry = nullptr; }

}  // namespace qn
