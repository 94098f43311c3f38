// Block, blend and stretch transfers between bitmaps, and the stretch
// routines the resamplers run.
#include <emmintrin.h>

#include <cmath>
#include <memory>
#include <vector>

#include "graphics/raster/Pix32_Blend_qn.h"
#include "graphics/raster/Pix32_LowLevel_qn.h"
#include "graphics/raster/Pix32_Math_qn.h"
#include "graphics/raster/Pix32_Resamplers_qn.h"
#include "graphics/raster/Pix32_Transforms_qn.h"

namespace qn {

namespace {

struct TTransferEMMSGuard {
  ~TTransferEMMSGuard() { EMMS(); }
};

inline bool IsEmpty(const TRect& R) { return R.Right <= R.Left || R.Bottom <= R.Top; }
inline TRect ShiftedRect(const TRect& R, Integer Dx, Integer Dy) {
  return TRect(R.Left + Dx, R.Top + Dy, R.Right + Dx, R.Bottom + Dy);
}
inline TRect Intersect(const TRect& A, const TRect& B) {
  TRect r;
  Pix32_qn::IntersectRect(r, A, B);
  return r;
}
inline Integer RoundSingle(Single V) { return static_cast<Integer>(std::nearbyint(V)); }

void CheckBitmaps(TCustomBitmap32* Dst, TCustomBitmap32* Src) {
  if (!Dst) throw EBitmapException(SDstNil);
  if (!Src) throw EBitmapException(SSrcNil);
}

// Writes one stretched colour by the combine operation.
class TPixelWriter {
 public:
  TPixelWriter(TCustomBitmap32* Src, TDrawMode Op, const TPixelCombineEvent& CallBack)
      : FOp(Op), FCallBack(CallBack), FMaster(Src->MasterAlpha()), FOuter(Src->OuterColor()),
        FBlend(*BLEND_MEM_EX[static_cast<int>(Src->CombineMode())]) {}
  void operator()(TColor32 C, TColor32& D) const {
    switch (FOp) {
      case TDrawMode::dmOpaque: D = C; break;
      case TDrawMode::dmBlend: FBlend(C, D, FMaster); break;
      case TDrawMode::dmTransparent:
        if (C != FOuter) D = C;
        break;
      case TDrawMode::dmCustom: FCallBack(C, D, FMaster); break;
    }
  }

 private:
  TDrawMode FOp;
  const TPixelCombineEvent& FCallBack;
  TColor32 FMaster, FOuter;
  TBlendMemEx* FBlend;
};

// The packed interpolator's arithmetic for two destination pixels at once:
// per 16-bit lane b + (a - b) * w / 256, rounded as that form rounds.
inline __m128i LerpWords(__m128i a, __m128i b, __m128i w) {
  const __m128i d = _mm_mullo_epi16(_mm_sub_epi16(a, b), w);
  return _mm_srli_epi16(_mm_add_epi16(_mm_add_epi16(_mm_slli_epi16(b, 8), d), _mm_set1_epi16(128)), 8);
}

// Eight 16-bit lanes, wrapped so that a vector of them keeps its alignment.
struct TLanes {
  __m128i v;
};

// Horizontal weights of pairs of destination pixels, laid out for the lanes
// of InterpolateRowSSE2.
std::vector<TLanes> PairWeights(const TPointRec* Map, Integer Count) {
  std::vector<TLanes> w(static_cast<size_t>(Count / 2));
  for (Integer i = 0; i + 1 < Count; i += 2) {
    const short w0 = short(Map[i].Weight > 255 ? 255 : Map[i].Weight);
    const short w1 = short(Map[i + 1].Weight > 255 ? 255 : Map[i + 1].Weight);
    w[static_cast<size_t>(i / 2)].v = _mm_set_epi16(w1, w1, w1, w1, w0, w0, w0, w0);
  }
  return w;
}

// Left and right neighbours of two source positions, as 16-bit lanes.
inline void Neighbours(const TColor32* Row, Integer P0, Integer P1, __m128i& L, __m128i& R) {
  const __m128i x = _mm_unpacklo_epi32(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(Row + P0)),
                                       _mm_loadl_epi64(reinterpret_cast<const __m128i*>(Row + P1)));
  L = _mm_unpacklo_epi8(x, _mm_setzero_si128());
  R = _mm_unpackhi_epi8(x, _mm_setzero_si128());
}

// Opaque rows of the linear stretch in pairs of pixels. Each source row is
// interpolated horizontally once and kept while destination rows still
// use it; the arithmetic per pixel is the packed interpolator's.
class TPairRows {
 public:
  TPairRows(const TPointRec* Map, Integer Count, TCustomBitmap32* Src)
      : FMap(Map), FCount(Count), FSrc(Src), FWX(PairWeights(Map, Count)), FTop(FWX.size()), FBottom(FWX.size()) {}

  void Row(Integer SrcRow, Cardinal WY, PColor32 Dst) {
    if (FTopRow != SrcRow) {
      if (FBottomRow == SrcRow) {
        std::swap(FTop, FBottom);
        std::swap(FTopRow, FBottomRow);
      } else {
        Horizontal(SrcRow, FTop);
        FTopRow = SrcRow;
      }
    }
    if (FBottomRow != SrcRow + 1) {
      Horizontal(SrcRow + 1, FBottom);
      FBottomRow = SrcRow + 1;
    }
    const __m128i wy = _mm_set1_epi16(static_cast<short>(WY > 255 ? 255 : WY));
    const size_t n = FWX.size();
    for (size_t k = 0; k < n; ++k) {
      const __m128i v = LerpWords(FTop[k].v, FBottom[k].v, wy);
      _mm_storel_epi64(reinterpret_cast<__m128i*>(Dst + 2 * k), _mm_packus_epi16(v, v));
    }
    if (FCount & 1) {
      const TPointRec& e = FMap[FCount - 1];
      const TColor32* r0 = FSrc->GetScanLine(SrcRow);
      Dst[FCount - 1] = Interpolator_SSE2(static_cast<Cardinal>(e.Weight), WY, r0 + e.Pos, r0 + FSrc->Width() + e.Pos);
    }
  }

 private:
  void Horizontal(Integer SrcRow, std::vector<TLanes>& Out) {
    const TColor32* row = FSrc->GetScanLine(SrcRow);
    for (size_t k = 0; k < FWX.size(); ++k) {
      __m128i l, r;
      Neighbours(row, FMap[2 * k].Pos, FMap[2 * k + 1].Pos, l, r);
      Out[k].v = LerpWords(l, r, FWX[k].v);
    }
  }

  const TPointRec* FMap;
  Integer FCount;
  TCustomBitmap32* FSrc;
  std::vector<TLanes> FWX, FTop, FBottom;
  Integer FTopRow = -1, FBottomRow = -1;
};

}  // namespace

// ---------------------------------------------------------------------------
// Block transfers

void BlockTransfer(TCustomBitmap32* Dst, Integer DstX, Integer DstY, TRect DstClip, TCustomBitmap32* Src,
                   TRect SrcRect, TDrawMode CombineOp, const TPixelCombineEvent& CombineCallBack) {
  CheckBitmaps(Dst, Src);
  if (Dst->Empty() || Src->Empty() || (CombineOp == TDrawMode::dmBlend && Src->MasterAlpha() == 0)) return;
  const Integer SrcX = SrcRect.Left, SrcY = SrcRect.Top;
  DstClip = Intersect(DstClip, Dst->BoundsRect());
  SrcRect = Intersect(SrcRect, Src->BoundsRect());
  SrcRect = Intersect(ShiftedRect(SrcRect, DstX - SrcX, DstY - SrcY), DstClip);
  if (IsEmpty(SrcRect)) return;
  DstClip = SrcRect;
  SrcRect = ShiftedRect(SrcRect, SrcX - DstX, SrcY - DstY);
  if (!Dst->MeasuringMode()) {
    if (CombineOp == TDrawMode::dmCustom && !CombineCallBack) CombineOp = TDrawMode::dmOpaque;
    BlockCombine(Dst, DstClip, Src, SrcRect.Left, SrcRect.Top, CombineOp, CombineCallBack);
  }
  Dst->Changed(DstClip);
}

void BlockTransferX(TCustomBitmap32* Dst, TFixed DstX, TFixed DstY, TCustomBitmap32* Src, TRect SrcRect,
                    TDrawMode CombineOp, const TPixelCombineEvent&) {
  CheckBitmaps(Dst, Src);
  if (Dst->Empty() || Src->Empty() || Src->MasterAlpha() == 0) return;
  (void)CombineOp;  // every mode blends
  // Floor, so that a position just left of or above the origin lands on
  // pixel -1 with the matching fraction.
  const Integer ix = DstX >> 16, iy = DstY >> 16;
  const Cardinal fx = (static_cast<Cardinal>(DstX) & 0xFFFF) >> 8, fy = (static_cast<Cardinal>(DstY) & 0xFFFF) >> 8;
  SrcRect = Intersect(SrcRect, Src->BoundsRect());
  if (IsEmpty(SrcRect)) return;
  const Integer sw = SrcRect.Right - SrcRect.Left, sh = SrcRect.Bottom - SrcRect.Top;
  // Destination pixel (ix + i, iy + j) takes source columns i - 1 and i
  // (weights fx and 255 - fx) and rows j - 1 and j likewise; a missing
  // neighbour lowers the pixel's coverage instead.
  const Integer extraX = fx ? 1 : 0, extraY = fy ? 1 : 0;
  const TRect area = Intersect(TRect(ix, iy, ix + sw + extraX, iy + sh + extraY), Dst->ClipRect());
  if (IsEmpty(area)) return;
  if (!Dst->MeasuringMode()) {
    TTransferEMMSGuard emms;
    TBlendMemEx* blend = *BLEND_MEM_EX[static_cast<int>(Src->CombineMode())];
    TBlendMem* blendFull = *BLEND_MEM[static_cast<int>(Src->CombineMode())];
    const Cardinal master = Src->MasterAlpha() > 255 ? 255 : Src->MasterAlpha();
    for (Integer y = area.Top; y < area.Bottom; ++y) {
      const Integer j = y - iy;
      const bool up = j - 1 >= 0 && fy != 0, cur = j < sh;
      const Cardinal covY = up && cur ? 255 : cur ? (fy ^ 255) : fy;
      for (Integer x = area.Left; x < area.Right; ++x) {
        const Integer i = x - ix;
        const bool left = i - 1 >= 0 && fx != 0, here = i < sw;
        const Cardinal covX = left && here ? 255 : here ? (fx ^ 255) : fx;
        auto px = [&](Integer ci, Integer rj) { return Src->GetPixel(SrcRect.Left + ci, SrcRect.Top + rj); };
        auto rowMix = [&](Integer rj) {
          if (left && here) return CombineReg(px(i, rj), px(i - 1, rj), fx ^ 255);
          return here ? px(i, rj) : px(i - 1, rj);
        };
        TColor32 c;
        if (up && cur) c = CombineReg(rowMix(j), rowMix(j - 1), fy ^ 255);
        else c = cur ? rowMix(j) : rowMix(j - 1);
        const Cardinal a = (covX * covY * master) / (255 * 255);
        if (a == 255) blendFull(c, *Dst->GetPixelPtr(x, y));
        else if (a) blend(c, *Dst->GetPixelPtr(x, y), a);
      }
    }
  }
  Dst->Changed(area);
}

namespace {
template <class Op>
void BlendTransferT(TCustomBitmap32* Dst, Integer DstX, Integer DstY, TRect DstClip, TCustomBitmap32* SrcF,
                    TRect SrcRectF, TCustomBitmap32* SrcB, TRect SrcRectB, bool HaveCallback, Op Blend) {
  if (!Dst) throw EBitmapException(SDstNil);
  if (!SrcF || !SrcB) throw EBitmapException(SSrcNil);
  if (Dst->Empty() || SrcF->Empty() || SrcB->Empty() || !HaveCallback) return;
  if (!Dst->MeasuringMode()) {
    const Integer fX = SrcRectF.Left - DstX, fY = SrcRectF.Top - DstY;
    const Integer bX = SrcRectB.Left - DstX, bY = SrcRectB.Top - DstY;
    DstClip = Intersect(DstClip, Dst->BoundsRect());
    SrcRectF = ShiftedRect(Intersect(SrcRectF, SrcF->BoundsRect()), -fX, -fY);
    SrcRectB = ShiftedRect(Intersect(SrcRectB, SrcB->BoundsRect()), -bX, -bY);
    DstClip = Intersect(DstClip, Intersect(SrcRectF, SrcRectB));
    if (!IsEmpty(DstClip)) {
      TTransferEMMSGuard emms;
      for (Integer y = DstClip.Top; y < DstClip.Bottom; ++y) {
        const TColor32* f = SrcF->GetPixelPtr(DstClip.Left + fX, y + fY);
        const TColor32* b = SrcB->GetPixelPtr(DstClip.Left + bX, y + bY);
        PColor32 d = Dst->GetPixelPtr(DstClip.Left, y);
        for (Integer x = 0; x < DstClip.Right - DstClip.Left; ++x) d[x] = Blend(f[x], b[x]);
      }
    }
  }
  Dst->Changed(DstClip);
}
}  // namespace

void BlendTransfer(TCustomBitmap32* Dst, Integer DstX, Integer DstY, TRect DstClip, TCustomBitmap32* SrcF,
                   TRect SrcRectF, TCustomBitmap32* SrcB, TRect SrcRectB, TBlendReg* BlendCallback) {
  BlendTransferT(Dst, DstX, DstY, DstClip, SrcF, SrcRectF, SrcB, SrcRectB, BlendCallback != nullptr,
                 [BlendCallback](TColor32 F, TColor32 B) { return BlendCallback(F, B); });
}

void BlendTransfer(TCustomBitmap32* Dst, Integer DstX, Integer DstY, TRect DstClip, TCustomBitmap32* SrcF,
                   TRect SrcRectF, TCustomBitmap32* SrcB, TRect SrcRectB, TBlendRegEx* BlendCallback,
                   Integer MasterAlpha) {
  BlendTransferT(Dst, DstX, DstY, DstClip, SrcF, SrcRectF, SrcB, SrcRectB, BlendCallback != nullptr,
                 [BlendCallback, MasterAlpha](TColor32 F, TColor32 B) {
                   return BlendCallback(F, B, static_cast<TColor32>(MasterAlpha));
                 });
}

void StretchTransfer(TCustomBitmap32* Dst, TRect DstRect, TRect DstClip, TCustomBitmap32* Src, TRect SrcRect,
                     TCustomResampler* Resampler, TDrawMode CombineOp, const TPixelCombineEvent& CombineCallBack) {
  CheckBitmaps(Dst, Src);
  if (SrcRect.Left < 0 || SrcRect.Top < 0 || SrcRect.Right > Src->Width() || SrcRect.Bottom > Src->Height()) {
    const Single sx = static_cast<Single>(DstRect.Right - DstRect.Left) / (SrcRect.Right - SrcRect.Left);
    const Single sy = static_cast<Single>(DstRect.Bottom - DstRect.Top) / (SrcRect.Bottom - SrcRect.Top);
    if (SrcRect.Left < 0) {
      DstRect.Left += static_cast<Integer>(std::ceil(-SrcRect.Left * sx));
      SrcRect.Left = 0;
    }
    if (SrcRect.Top < 0) {
      DstRect.Top += static_cast<Integer>(std::ceil(-SrcRect.Top * sy));
      SrcRect.Top = 0;
    }
    if (SrcRect.Right > Src->Width()) {
      DstRect.Right -= static_cast<Integer>(std::floor((SrcRect.Right - Src->Width()) * sx));
      SrcRect.Right = Src->Width();
    }
    if (SrcRect.Bottom > Src->Height()) {
      DstRect.Bottom -= static_cast<Integer>(std::floor((SrcRect.Bottom - Src->Height()) * sy));
      SrcRect.Bottom = Src->Height();
    }
  }
  if (Src->Empty() || Dst->Empty() || (CombineOp == TDrawMode::dmBlend && Src->MasterAlpha() == 0) ||
      IsEmpty(SrcRect))
    return;
  if (!Dst->MeasuringMode()) {
    DstClip = Intersect(Intersect(DstClip, Dst->BoundsRect()), DstRect);
    if (IsEmpty(DstClip)) return;
    if (CombineOp == TDrawMode::dmCustom && !CombineCallBack) CombineOp = TDrawMode::dmOpaque;
    if (DstRect.Right - DstRect.Left == SrcRect.Right - SrcRect.Left &&
        DstRect.Bottom - DstRect.Top == SrcRect.Bottom - SrcRect.Top)
      BlockCombine(Dst, DstClip, Src, SrcRect.Left + DstClip.Left - DstRect.Left,
                   SrcRect.Top + DstClip.Top - DstRect.Top, CombineOp, CombineCallBack);
    else if (Resampler)
      Resampler->Resample(Dst, DstRect, DstClip, Src, SrcRect, CombineOp, CombineCallBack);
  }
  Dst->Changed(DstRect);
}

// ---------------------------------------------------------------------------
// Kernel mapping

TMappingTable BuildKernelMapping(Integer DstLo, Integer DstHi, Integer ClipLo, Integer ClipHi, Integer SrcLo,
                                 Integer SrcHi, TCustomKernel* Kernel) {
  const Integer SrcW = SrcHi - SrcLo, DstW = DstHi - DstLo, ClipW = ClipHi - ClipLo;
  TMappingTable result;
  if (SrcW <= 0 || ClipW <= 0) return result;
  if (SrcW == 1) {
    result.assign(static_cast<size_t>(ClipW), TCluster{{SrcLo, 256}});
    return result;
  }
  result.resize(static_cast<size_t>(ClipW));
  Single scale;
  if (FullEdge) scale = static_cast<Single>(DstW) / SrcW;
  else scale = DstW > 1 ? static_cast<Single>(DstW - 1) / (SrcW - 1) : 0;
  if (scale <= 0) {
    result.assign(static_cast<size_t>(ClipW), TCluster{{(SrcLo + SrcHi) / 2, 256}});
    return result;
  }
  const Single FW = Kernel->GetWidth();
  const bool enlarge = scale >= 1;
  const Single reach = enlarge ? FW : FW / scale;
  for (Integer i = 0; i < ClipW; ++i) {
    const Integer d = i - DstLo + ClipLo;
    const Single c = FullEdge ? (static_cast<Single>(SrcLo) - 0.5f) + (static_cast<Single>(d) + 0.5f) / scale
                              : static_cast<Single>(SrcLo) + static_cast<Single>(d) / scale;
    TCluster& cl = result[static_cast<size_t>(i)];
    const Integer lo = static_cast<Integer>(std::floor(c - reach)), hi = static_cast<Integer>(std::ceil(c + reach));
    for (Integer J = lo; J <= hi; ++J) {
      const Single dist = c - static_cast<Single>(J);
      const Integer w = enlarge ? RoundSingle(Kernel->Filter(dist) * 256)
                                : RoundSingle(Kernel->Filter(dist * scale) * 256 * scale);
      if (w != 0) cl.push_back({Clamp(J, SrcLo, SrcHi - 1), w});
    }
    if (cl.empty()) cl.push_back({Clamp(static_cast<Integer>(std::floor(c)), SrcLo, SrcHi - 1), 256});
    Integer sum = 0;
    for (const auto& t : cl) sum += t.Weight;
    cl[(cl.size() - 1) / 2].Weight -= sum - 256;
  }
  return result;
}

// ---------------------------------------------------------------------------
// Stretches

void LinearStretch(TCustomBitmap32* Dst, TRect DstRect, TRect DstClip, TCustomBitmap32* Src, TRect SrcRect,
                   TDrawMode CombineOp, const TPixelCombineEvent& CombineCallBack) {
  if (CombineOp == TDrawMode::dmCustom && !CombineCallBack) CombineOp = TDrawMode::dmOpaque;
  DstClip = Intersect(Intersect(DstClip, Dst->BoundsRect()), DstRect);
  if (IsEmpty(DstClip)) return;
  TTransferEMMSGuard emms;
  // One axis: the left (upper) source index and its weight per clip index.
  auto buildMap = [](Integer ClipLo, Integer ClipHi, Integer DstLo, Integer DstW, Integer SrcLo, Integer SrcHi,
                     Integer SrcSize) {
    const Integer SrcW = SrcHi - SrcLo, n = ClipHi - ClipLo;
    std::vector<TPointRec> map(static_cast<size_t>(n));
    for (Integer i = 0; i < n; ++i) {
      Single x;
      if (FullEdge) {
        const Single f = static_cast<Single>(SrcW) / DstW;
        x = (static_cast<Single>(SrcLo) - 0.5f) + (static_cast<Single>(i + ClipLo - DstLo) + 0.5f) * f;
      } else {
        const Single f = DstW > 1 ? static_cast<Single>(SrcW - 1) / (DstW - 1) : 0;
        x = static_cast<Single>(SrcLo) + static_cast<Single>(i + ClipLo - DstLo) * f;
      }
      if (x < 0) x = 0;
      if (x > static_cast<Single>(SrcSize - 1)) x = static_cast<Single>(SrcSize - 1);
      const Single fl = std::floor(x);
      map[static_cast<size_t>(i)] = {static_cast<Integer>(fl), 256 - RoundSingle((x - fl) * 256)};
    }
    // The last column is reached as the right neighbour of the one before.
    for (Integer i = n - 1; i >= 0; --i) {
      auto& e = map[static_cast<size_t>(i)];
      if (e.Pos < SrcHi - 1) break;
      e.Pos = SrcHi - 2;
      e.Weight = 0;
    }
    return map;
  };
  const auto mapX = buildMap(DstClip.Left, DstClip.Right, DstRect.Left, DstRect.Right - DstRect.Left, SrcRect.Left,
                             SrcRect.Right, Src->Width());
  const auto mapY = buildMap(DstClip.Top, DstClip.Bottom, DstRect.Top, DstRect.Bottom - DstRect.Top, SrcRect.Top,
                             SrcRect.Bottom, Src->Height());
  const TPixelWriter write(Src, CombineOp, CombineCallBack);
  TInterpolatorProc* interp = Interpolator;
  const Integer w = DstClip.Right - DstClip.Left;
  std::unique_ptr<TPairRows> pairs;
  // A blend at full master alpha interpolates a whole row first and blends
  // it in one pass, as a block transfer of the same pixels would.
  const bool rowBlend = CombineOp == TDrawMode::dmBlend && interp == Interpolator_SSE2 && Src->MasterAlpha() >= 255;
  std::vector<TColor32> rowBuf(rowBlend ? static_cast<size_t>(w) : 0);
  for (Integer j = 0; j < DstClip.Bottom - DstClip.Top; ++j) {
    const TPointRec ey = mapY[static_cast<size_t>(j)];
    const TColor32* row0 = Src->GetScanLine(ey.Pos);
    const TColor32* row1 = row0 + Src->Width();
    PColor32 d = Dst->GetPixelPtr(DstClip.Left, DstClip.Top + j);
    const Cardinal wy = static_cast<Cardinal>(ey.Weight);
    if (CombineOp == TDrawMode::dmOpaque && interp == Interpolator_SSE2) {
      if (!pairs) pairs = std::make_unique<TPairRows>(mapX.data(), w, Src);
      pairs->Row(ey.Pos, wy, d);
    } else if (rowBlend) {
      if (!pairs) pairs = std::make_unique<TPairRows>(mapX.data(), w, Src);
      pairs->Row(ey.Pos, wy, rowBuf.data());
      (*BLEND_LINE[static_cast<int>(Src->CombineMode())])(rowBuf.data(), d, w);
    } else if (CombineOp == TDrawMode::dmOpaque) {
      for (Integer i = 0; i < w; ++i) {
        const TPointRec ex = mapX[static_cast<size_t>(i)];
        d[i] = interp(static_cast<Cardinal>(ex.Weight), wy, row0 + ex.Pos, row1 + ex.Pos);
      }
    } else {
      for (Integer i = 0; i < w; ++i) {
        const TPointRec ex = mapX[static_cast<size_t>(i)];
        write(interp(static_cast<Cardinal>(ex.Weight), wy, row0 + ex.Pos, row1 + ex.Pos), d[i]);
      }
    }
  }
}

void KernelStretch(TCustomBitmap32* Dst, TRect DstRect, TRect DstClip, TCustomBitmap32* Src, TRect SrcRect,
                   TCustomKernel* Kernel, TDrawMode CombineOp, const TPixelCombineEvent& CombineCallBack) {
  if (CombineOp == TDrawMode::dmCustom && !CombineCallBack) CombineOp = TDrawMode::dmOpaque;
  if (CombineOp == TDrawMode::dmBlend && Src->MasterAlpha() == 0) return;
  DstClip = Intersect(Intersect(DstClip, Dst->BoundsRect()), DstRect);
  if (IsEmpty(DstClip)) return;
  const TMappingTable mapX =
      BuildKernelMapping(DstRect.Left, DstRect.Right, DstClip.Left, DstClip.Right, SrcRect.Left, SrcRect.Right, Kernel);
  const TMappingTable mapY =
      BuildKernelMapping(DstRect.Top, DstRect.Bottom, DstClip.Top, DstClip.Bottom, SrcRect.Top, SrcRect.Bottom, Kernel);
  if (mapX.empty() || mapY.empty()) return;
  TTransferEMMSGuard emms;
  // The buffer spans every tap of every column: with kernels that vanish at
  // whole pixels, an early cluster may start to the right of a later one.
  Integer lo = mapX.front().front().Pos, hi = lo;
  for (const auto& cl : mapX)
    for (const auto& t : cl) {
      if (t.Pos < lo) lo = t.Pos;
      if (t.Pos > hi) hi = t.Pos;
    }
  const size_t n = static_cast<size_t>(hi - lo + 1);
  std::vector<Integer> buf(n * 4);
  const bool rangeCheck = Kernel->RangeCheck();
  const TPixelWriter write(Src, CombineOp, CombineCallBack);
  auto channel = [rangeCheck](Integer s) -> Cardinal {
    if (rangeCheck) s = s < 0 ? 0 : s > 0xFF0000 ? 0xFF0000 : s;
    return (static_cast<Cardinal>(s) >> 16) & 0xFF;
  };
  const Integer w = DstClip.Right - DstClip.Left;
  for (Integer j = 0; j < DstClip.Bottom - DstClip.Top; ++j) {
    const TCluster& cy = mapY[static_cast<size_t>(j)];
    std::fill(buf.begin(), buf.end(), 0);
    for (const auto& t : cy) {
      const Byte* s = reinterpret_cast<const Byte*>(Src->GetPixelPtr(lo, t.Pos));
      const Integer wt = t.Weight;
      Integer* b = buf.data();
      for (size_t x = 0; x < n * 4; ++x) b[x] += s[x] * wt;
    }
    PColor32 d = Dst->GetPixelPtr(DstClip.Left, DstClip.Top + j);
    for (Integer i = 0; i < w; ++i) {
      Integer sb = 0, sg = 0, sr = 0, sa = 0;
      for (const auto& t : mapX[static_cast<size_t>(i)]) {
        const Integer* e = &buf[static_cast<size_t>(t.Pos - lo) * 4];
        sb += e[0] * t.Weight;
        sg += e[1] * t.Weight;
        sr += e[2] * t.Weight;
        sa += e[3] * t.Weight;
      }
      const TColor32 c = (channel(sa) << 24) | (channel(sr) << 16) | (channel(sg) << 8) | channel(sb);
      if (CombineOp == TDrawMode::dmOpaque) d[i] = c;
      else write(c, d[i]);
    }
  }
}

void BoxAverageStretch(TCustomBitmap32* Dst, TRect DstRect, TRect DstClip, TCustomBitmap32* Src, TRect SrcRect,
                       TCustomKernel* Kernel, TDrawMode CombineOp, const TPixelCombineEvent& CombineCallBack) {
  const Integer SrcW = SrcRect.Right - SrcRect.Left, SrcH = SrcRect.Bottom - SrcRect.Top;
  const Integer DstW = DstRect.Right - DstRect.Left, DstH = DstRect.Bottom - DstRect.Top;
  if (SrcW < DstW || SrcH < DstH) {
    if (SrcW < 2 || SrcH < 2) KernelStretch(Dst, DstRect, DstClip, Src, SrcRect, Kernel, CombineOp, CombineCallBack);
    else LinearStretch(Dst, DstRect, DstClip, Src, SrcRect, CombineOp, CombineCallBack);
    return;
  }
  if (CombineOp == TDrawMode::dmCustom && !CombineCallBack) CombineOp = TDrawMode::dmOpaque;
  DstClip = Intersect(Intersect(DstClip, Dst->BoundsRect()), DstRect);
  if (IsEmpty(DstClip)) return;
  TTransferEMMSGuard emms;
  const Single f = static_cast<Single>(SrcW) / DstW, fy = static_cast<Single>(SrcH) / DstH;
  const Integer cx = static_cast<Integer>(static_cast<Single>(DstClip.Left - DstRect.Left) * f);
  const Integer cy = static_cast<Integer>(static_cast<Single>(DstClip.Top - DstRect.Top) * fy);
  const TFixed sr = static_cast<TFixed>(65536 * f), sc = static_cast<TFixed>(65536 * fy);
  const TPixelWriter write(Src, CombineOp, CombineCallBack);
  TBlockAverageProc* average = BlockAverage;
  const Cardinal stride = static_cast<Cardinal>(Src->Width()) * 4;
  const TColor32* rowPtr = Src->GetPixelPtr(SrcRect.Left + cx, SrcRect.Top + cy);
  Integer c1 = 0, c2 = static_cast<Integer>(fy);
  const Integer clipW = DstClip.Right - DstClip.Left, clipH = DstClip.Bottom - DstClip.Top;
  for (Integer J = 2; J <= clipH + 1; ++J) {
    const Integer dy = c2 - c1;
    c1 = c2;
    c2 = FixedMul(J, sc);
    Integer r1 = 0, r2 = static_cast<Integer>(f);
    const TColor32* block = rowPtr;
    PColor32 d = Dst->GetPixelPtr(DstClip.Left, DstClip.Top + J - 2);
    for (Integer I = 2; I <= clipW + 1; ++I) {
      const Integer dx = r2 - r1;
      r1 = r2;
      r2 = FixedMul(I, sr);
      write(average(static_cast<Cardinal>(dx), static_cast<Cardinal>(dy), block, stride), d[I - 2]);
      block += dx;
    }
    rowPtr += static_cast<size_t>(dy) * static_cast<size_t>(Src->Width());
  }
}

}  // namespace qn
