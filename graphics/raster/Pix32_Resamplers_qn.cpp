#include "graphics/raster/Pix32_Resamplers_qn.h"

#include <emmintrin.h>

#include <vector>

#include "graphics/raster/Pix32_Bindings_qn.h"
#include "graphics/raster/Pix32_Blend_qn.h"
#include "graphics/raster/Pix32_LowLevel_qn.h"
#include "graphics/raster/Pix32_Math_qn.h"
#include "graphics/raster/Pix32_Transforms_qn.h"

namespace qn {

TClassList* ResamplerList = nullptr;
TClassList* KernelList = nullptr;
TBlockAverageProc* BlockAverage = nullptr;
TInterpolatorProc* Interpolator = nullptr;
TFunctionRegistry* ResamplersRegistry = nullptr;

// ---------------------------------------------------------------------------
// Accumulators

void IncBuffer(TBufferEntry& Buffer, TColor32 Color) {
  Buffer.B += Color & 0xFF;
  Buffer.G += (Color >> 8) & 0xFF;
  Buffer.R += (Color >> 16) & 0xFF;
  Buffer.A += Color >> 24;
}

void MultiplyBuffer(TBufferEntry& Buffer, Integer W) {
  Buffer.B *= W;
  Buffer.G *= W;
  Buffer.R *= W;
  Buffer.A *= W;
}

void ShrBuffer(TBufferEntry& Buffer, Integer Shift) {
  Buffer.B = Shr(Buffer.B, Shift);
  Buffer.G = Shr(Buffer.G, Shift);
  Buffer.R = Shr(Buffer.R, Shift);
  Buffer.A = Shr(Buffer.A, Shift);
}

TColor32 BufferToColor32(const TBufferEntry& Buffer, Integer Shift) {
  auto ch = [Shift](Integer v) { return static_cast<Cardinal>(Shr(v, Shift)) & 0xFFu; };
  return (ch(Buffer.A) << 24) | (ch(Buffer.R) << 16) | (ch(Buffer.G) << 8) | ch(Buffer.B);
}

// ---------------------------------------------------------------------------
// Block average and interpolation

TColor32 BlockAverage_Pas(Cardinal Dlx, Cardinal Dly, const TColor32* RowSrc, Cardinal OffSrc) {
  Cardinal sa = 0, sr = 0, sg = 0, sb = 0;
  const auto* row = reinterpret_cast<const Byte*>(RowSrc);
  for (Cardinal y = 0; y < Dly; ++y, row += OffSrc) {
    const auto* p = reinterpret_cast<const TColor32*>(row);
    for (Cardinal x = 0; x < Dlx; ++x) {
      const TColor32 c = p[x];
      sa += c >> 24;
      sr += (c >> 16) & 0xFF;
      sg += (c >> 8) & 0xFF;
      sb += c & 0xFF;
    }
  }
  const Cardinal k = 0x1000000u / (Dlx * Dly);
  return ((sa * k) & 0xFF000000u) | (((sr * k) >> 8) & 0xFF0000u) | (((sg * k) >> 16) & 0xFF00u) | ((sb * k) >> 24);
}

TColor32 BlockAverage_SSE2(Cardinal Dlx, Cardinal Dly, const TColor32* RowSrc, Cardinal OffSrc) {
  const __m128i zero = _mm_setzero_si128();
  __m128i sum = zero;  // four 32-bit channel sums, B G R A
  const auto* row = reinterpret_cast<const Byte*>(RowSrc);
  for (Cardinal y = 0; y < Dly; ++y, row += OffSrc) {
    const auto* p = reinterpret_cast<const TColor32*>(row);
    for (Cardinal x = 0; x < Dlx; ++x) {
      const __m128i c = _mm_unpacklo_epi16(
          _mm_unpacklo_epi8(_mm_cvtsi32_si128(static_cast<int>(p[x])), zero), zero);
      sum = _mm_add_epi32(sum, c);
    }
  }
  alignas(16) Cardinal s[4];
  _mm_store_si128(reinterpret_cast<__m128i*>(s), sum);
  const Cardinal k = 0x1000000u / (Dlx * Dly);
  return ((s[3] * k) & 0xFF000000u) | (((s[2] * k) >> 8) & 0xFF0000u) | (((s[1] * k) >> 16) & 0xFF00u) |
         ((s[0] * k) >> 24);
}

TColor32 Interpolator_Pas(Cardinal WX_256, Cardinal WY_256, const TColor32* C11, const TColor32* C21) {
  if (WX_256 > 255) WX_256 = 255;
  if (WY_256 > 255) WY_256 = 255;
  return CombineReg(CombineReg(C11[0], C11[1], WX_256), CombineReg(C21[0], C21[1], WX_256), WY_256);
}

namespace {
// a * w + b * (255 - w), per 16-bit lane, rounded the way the packed blend
// forms round: (b * 256 + 128 + (a - b) * w) shr 8.
inline __m128i Lerp16(__m128i a, __m128i b, __m128i w) {
  const __m128i d = _mm_mullo_epi16(_mm_sub_epi16(a, b), w);
  return _mm_srli_epi16(_mm_add_epi16(_mm_add_epi16(_mm_slli_epi16(b, 8), d), _mm_set1_epi16(128)), 8);
}
}  // namespace

TColor32 Interpolator_SSE2(Cardinal WX_256, Cardinal WY_256, const TColor32* C11, const TColor32* C21) {
  if (WX_256 > 255) WX_256 = 255;
  if (WY_256 > 255) WY_256 = 255;
  const __m128i zero = _mm_setzero_si128();
  // Lanes 0..3 the upper row, 4..7 the lower row.
  const __m128i left = _mm_unpacklo_epi8(
      _mm_unpacklo_epi32(_mm_cvtsi32_si128(static_cast<int>(C11[0])), _mm_cvtsi32_si128(static_cast<int>(C21[0]))),
      zero);
  const __m128i right = _mm_unpacklo_epi8(
      _mm_unpacklo_epi32(_mm_cvtsi32_si128(static_cast<int>(C11[1])), _mm_cvtsi32_si128(static_cast<int>(C21[1]))),
      zero);
  const __m128i h = Lerp16(left, right, _mm_set1_epi16(static_cast<short>(WX_256)));
  const __m128i v = Lerp16(h, _mm_unpackhi_epi64(h, h), _mm_set1_epi16(static_cast<short>(WY_256)));
  return static_cast<TColor32>(_mm_cvtsi128_si32(_mm_packus_epi16(v, v)));
}

// ---------------------------------------------------------------------------
// Kernels and registries

void TCustomKernel::Changed() {
  if (FObserver) FObserver->Changed();
}

void TCustomKernel::AssignTo(TPersistent* Dst) {
  if (dynamic_cast<TCustomKernel*>(Dst)) SmartAssign(this, Dst);
  else inherited::AssignTo(Dst);
}

void RegisterResampler(TCustomResamplerClass ResamplerClass) {
  if (!ResamplerList) ResamplerList = new TClassList;
  ResamplerList->Add(ResamplerClass);
}

void RegisterKernel(TCustomKernelClass KernelClass) {
  if (!KernelList) KernelList = new TClassList;
  KernelList->Add(KernelClass);
}

// ---------------------------------------------------------------------------
// TNearestResampler

namespace {
TColor32 ReadUnsafe(TNearestResampler* S, Integer X, Integer Y) { return S->Bitmap()->GetPixel(X, Y); }
TColor32 ReadSafe(TNearestResampler* S, Integer X, Integer Y) { return S->Bitmap()->GetPixelS(X, Y); }
TColor32 ReadWrap(TNearestResampler* S, Integer X, Integer Y) { return S->Bitmap()->GetPixelW(X, Y); }
TColor32 ReadEdge(TNearestResampler* S, Integer X, Integer Y) { return S->GetPixelTransparentEdge(X, Y); }
}  // namespace

void TNearestResampler::PrepareSampling() {
  inherited::PrepareSampling();
  switch (FPixelAccessMode) {
    case TPixelAccessMode::pamUnsafe: FGetSampleInt = ReadUnsafe; break;
    case TPixelAccessMode::pamSafe: FGetSampleInt = ReadSafe; break;
    case TPixelAccessMode::pamWrap: FGetSampleInt = ReadWrap; break;
    case TPixelAccessMode::pamTransparentEdge: FGetSampleInt = ReadEdge; break;
  }
}

TColor32 TNearestResampler::GetSampleInt(Integer X, Integer Y) { return FGetSampleInt(this, X, Y); }

TColor32 TNearestResampler::GetSampleFixed(TFixed X, TFixed Y) {
  return FGetSampleInt(this, FixedRound(X), FixedRound(Y));
}

TColor32 TNearestResampler::GetSampleFloat(Single X, Single Y) {
  return FGetSampleInt(this, static_cast<Integer>(Round(X)), static_cast<Integer>(Round(Y)));
}

TColor32 TNearestResampler::GetPixelTransparentEdge(Integer X, Integer Y) {
  const TRect& r = FBitmap->ClipRect();
  const Integer i = Clamp(X, r.Left, r.Right - 1);
  const Integer j = Clamp(Y, r.Top, r.Bottom - 1);
  const TColor32 c = FBitmap->GetPixel(i, j);
  return i != X || j != Y ? c & 0x00FFFFFFu : c;
}

void TNearestResampler::Resample(TCustomBitmap32* Dst, const TRect& DstRect, const TRect& DstClip,
                                 TCustomBitmap32* Src, const TRect& SrcRect, TDrawMode CombineOp,
                                 const TPixelCombineEvent& CombineCallBack) {
  NearestStretch(Dst, DstRect, DstClip, Src, SrcRect, CombineOp, CombineCallBack);
}

// ---------------------------------------------------------------------------
// Transfers

namespace {

// Runs EMMS when the transfer ends, by return or by exception.
struct TEMMSGuard {
  ~TEMMSGuard() { EMMS(); }
};

// Dst[i] = Src[Cols[i]]: the row step of nearest stretching.
void GatherRow(const TColor32* Src, const Integer* Cols, PColor32 Dst, Integer Count) {
  for (Integer i = 0; i < Count; ++i) Dst[i] = Src[Cols[i]];
}

// Two or four source rows through the same columns at once. A reduction's
// reads mostly miss the cache; independent reads of several rows per column
// keep that many more of them in flight (plain loads do this better than
// vector gathers).
void GatherRows2(const TColor32* Src0, const TColor32* Src1, const Integer* Cols, PColor32 Dst0, PColor32 Dst1,
                 Integer Count) {
  for (Integer i = 0; i < Count; ++i) {
    const Integer k = Cols[i];
    Dst0[i] = Src0[k];
    Dst1[i] = Src1[k];
  }
}

void GatherRows4(const TColor32* const Src[4], const Integer* Cols, PColor32 const Dst[4], Integer Count) {
  for (Integer i = 0; i < Count; ++i) {
    const Integer k = Cols[i];
    Dst[0][i] = Src[0][k];
    Dst[1][i] = Src[1][k];
    Dst[2][i] = Src[2][k];
    Dst[3][i] = Src[3][k];
  }
}

void CombineRow(const TColor32* Src, PColor32 Dst, Integer Count, TCustomBitmap32* SrcBmp, TDrawMode CombineOp,
                const TPixelCombineEvent& CombineCallBack) {
  switch (CombineOp) {
    case TDrawMode::dmOpaque: MoveLongword(Src, Dst, Count); break;
    case TDrawMode::dmBlend: {
      const int m = static_cast<int>(SrcBmp->CombineMode());
      if (SrcBmp->MasterAlpha() >= 255) (*BLEND_LINE[m])(Src, Dst, Count);
      else (*BLEND_LINE_EX[m])(Src, Dst, Count, SrcBmp->MasterAlpha());
      break;
    }
    case TDrawMode::dmTransparent: {
      const TColor32 outer = SrcBmp->OuterColor();
      for (Integer i = 0; i < Count; ++i)
        if (Src[i] != outer) Dst[i] = Src[i];
      break;
    }
    case TDrawMode::dmCustom:
      for (Integer i = 0; i < Count; ++i) CombineCallBack(Src[i], Dst[i], SrcBmp->MasterAlpha());
      break;
  }
}

}  // namespace

void BlockCombine(TCustomBitmap32* Dst, const TRect& DstRect, TCustomBitmap32* Src, Integer SrcX, Integer SrcY,
                  TDrawMode CombineOp, const TPixelCombineEvent& CombineCallBack) {
  if (CombineOp == TDrawMode::dmCustom && !CombineCallBack) CombineOp = TDrawMode::dmOpaque;
  TEMMSGuard emms;
  const Integer w = DstRect.Right - DstRect.Left;
  if (w <= 0) return;
  const Integer h = DstRect.Bottom - DstRect.Top;
  // A bitmap combined onto itself behaves as if the source were copied
  // first: rows run bottom-up when the destination lies below the source,
  // and each row is read before it is written.
  const bool self = Src == Dst;
  if (!self && (CombineOp == TDrawMode::dmOpaque || CombineOp == TDrawMode::dmBlend)) {
    // The common cases pick their row routine once and step the row
    // pointers: a partial repaint copies and blends many short rows, where
    // choosing the routine and working out the addresses again for each
    // row costs a good part of the row itself.
    const TColor32* s = Src->GetPixelPtr(SrcX, SrcY);
    PColor32 d = Dst->GetPixelPtr(DstRect.Left, DstRect.Top);
    const size_t sStride = static_cast<size_t>(Src->Width()), dStride = static_cast<size_t>(Dst->Width());
    if (CombineOp == TDrawMode::dmOpaque) {
      MoveLongwordRows(s, sStride, d, dStride, w, h);
    } else if (Src->MasterAlpha() >= 255) {
      TBlendLine* const blend = *BLEND_LINE[static_cast<int>(Src->CombineMode())];
      for (Integer k = 0; k < h; ++k, s += sStride, d += dStride) blend(s, d, w);
    } else {
      TBlendLineEx* const blend = *BLEND_LINE_EX[static_cast<int>(Src->CombineMode())];
      const Cardinal m = Src->MasterAlpha();
      for (Integer k = 0; k < h; ++k, s += sStride, d += dStride) blend(s, d, w, m);
    }
    return;
  }
  const bool upward = self && DstRect.Top > SrcY;
  std::vector<TColor32> row(self && CombineOp != TDrawMode::dmOpaque ? static_cast<size_t>(w) : 0);
  for (Integer k = 0; k < h; ++k) {
    const Integer r = upward ? h - 1 - k : k;
    const TColor32* s = Src->GetPixelPtr(SrcX, SrcY + r);
    if (!row.empty()) {
      MoveLongword(s, row.data(), w);
      s = row.data();
    }
    CombineRow(s, Dst->GetPixelPtr(DstRect.Left, DstRect.Top + r), w, Src, CombineOp, CombineCallBack);
  }
}

void NearestStretch(TCustomBitmap32* Dst, TRect DstRect, TRect DstClip, TCustomBitmap32* Src, TRect SrcRect,
                    TDrawMode CombineOp, const TPixelCombineEvent& CombineCallBack) {
  if (!Pix32_qn::IntersectRect(DstClip, DstClip, Dst->BoundsRect())) return;
  if (!Pix32_qn::IntersectRect(DstClip, DstClip, DstRect)) return;
  if (SrcRect.Left < 0 || SrcRect.Top < 0 || SrcRect.Right > Src->Width() || SrcRect.Bottom > Src->Height())
    throw Exception(u"Invalid SrcRect");
  if (CombineOp == TDrawMode::dmCustom && !CombineCallBack) CombineOp = TDrawMode::dmOpaque;
  const Integer srcW = SrcRect.Right - SrcRect.Left, srcH = SrcRect.Bottom - SrcRect.Top;
  const Integer dstW = DstRect.Right - DstRect.Left, dstH = DstRect.Bottom - DstRect.Top;
  if (srcW <= 0 || srcH <= 0) return;
  if (srcW == dstW && srcH == dstH) {
    BlockCombine(Dst, DstClip, Src, SrcRect.Left + DstClip.Left - DstRect.Left,
                 SrcRect.Top + DstClip.Top - DstRect.Top, CombineOp, CombineCallBack);
    return;
  }
  TEMMSGuard emms;
  // Source index of a destination index along one axis; the step is
  // worked out once per axis (the same single-precision quotient each time).
  const bool fullEdge = FullEdge;
  auto step = [fullEdge](Integer d, Integer s) -> Single {
    if (d <= 1) return 0;
    return fullEdge ? static_cast<Single>(s) / d : static_cast<Single>(s - 1) / (d - 1);
  };
  auto map = [fullEdge](Integer i, Integer dLo, Integer d, Integer sLo, Integer s, Single k) -> Integer {
    if (d <= 1) return (sLo + sLo + s - 1) / 2;
    Integer v;
    if (fullEdge) v = static_cast<Integer>(Trunc(static_cast<Single>(i - dLo) * k + sLo));
    else v = static_cast<Integer>(Round(static_cast<Single>(i - dLo) * k + sLo));
    return Clamp(v, sLo, sLo + s - 1);
  };
  const Single stepX = step(dstW, srcW), stepY = step(dstH, srcH);
  const Integer clipW = DstClip.Right - DstClip.Left;
  std::vector<Integer> mapX(static_cast<size_t>(clipW));
  for (Integer i = 0; i < clipW; ++i)
    mapX[static_cast<size_t>(i)] = map(DstClip.Left + i, DstRect.Left, dstW, SrcRect.Left, srcW, stepX);
  std::vector<TColor32> buffer(static_cast<size_t>(clipW));
  Integer lastSrcY = -1;
  PColor32 lastDstRow = nullptr;
  for (Integer y = DstClip.Top; y < DstClip.Bottom; ++y) {
    const Integer sy = map(y, DstRect.Top, dstH, SrcRect.Top, srcH, stepY);
    PColor32 dstRow = Dst->GetPixelPtr(DstClip.Left, y);
    if (CombineOp == TDrawMode::dmOpaque) {
      // A reduction reads a new source row for each destination row; up to
      // four such rows go together (not onto itself, where a row written
      // first may be a row read next).
      if (sy != lastSrcY && y + 1 < DstClip.Bottom && Src != Dst) {
        Integer rows[4] = {sy, 0, 0, 0};
        Integer n = 1;
        while (n < 4 && y + n < DstClip.Bottom) {
          const Integer next = map(y + n, DstRect.Top, dstH, SrcRect.Top, srcH, stepY);
          if (next == rows[n - 1]) break;
          rows[n++] = next;
        }
        if (n > 1) {
          const TColor32* src[4];
          PColor32 dst[4];
          for (Integer k = 0; k < n; ++k) {
            src[k] = Src->GetScanLine(rows[k]);
            dst[k] = Dst->GetPixelPtr(DstClip.Left, y + k);
          }
          if (n == 4) {
            GatherRows4(src, mapX.data(), dst, clipW);
          } else {
            GatherRows2(src[0], src[1], mapX.data(), dst[0], dst[1], clipW);
            if (n == 3) GatherRow(src[2], mapX.data(), dst[2], clipW);
          }
          lastDstRow = dst[n - 1];
          lastSrcY = rows[n - 1];
          y += n - 1;
          continue;
        }
      }
      if (sy == lastSrcY && lastDstRow) {
        MoveLongword(lastDstRow, dstRow, clipW);
      } else {
        GatherRow(Src->GetScanLine(sy), mapX.data(), dstRow, clipW);
      }
      lastDstRow = dstRow;
    } else {
      if (sy != lastSrcY) {
        GatherRow(Src->GetScanLine(sy), mapX.data(), buffer.data(), clipW);
      }
      CombineRow(buffer.data(), dstRow, clipW, Src, CombineOp, CombineCallBack);
    }
    lastSrcY = sy;
  }
}

// ---------------------------------------------------------------------------
// Unit set-up

namespace {
Integer ResamplersInitCount = 0;
}

void InitPix32Resamplers() {
  if (ResamplersInitCount++ > 0) return;
  ResamplersRegistry = NewRegistry(u"Pix32_Resamplers_qn bindings");
  ResamplersRegistry->RegisterBinding(FID_BLOCKAVERAGE, &BlockAverage, "BlockAverage");
  ResamplersRegistry->RegisterBinding(FID_INTERPOLATOR, &Interpolator, "Interpolator");
  ResamplersRegistry->Add(FID_BLOCKAVERAGE, &BlockAverage_Pas, {}, 0, "plain");
  ResamplersRegistry->Add(FID_INTERPOLATOR, &Interpolator_Pas, {}, 0, "plain");
  ResamplersRegistry->Add(FID_BLOCKAVERAGE, &BlockAverage_SSE2, {TCPUInstructionSet::ciSSE2}, 0, "SSE2");
  ResamplersRegistry->Add(FID_INTERPOLATOR, &Interpolator_SSE2, {TCPUInstructionSet::ciSSE2}, 0, "SSE2");
  ResamplersRegistry->RebindAll();
  // The other resamplers and the kernels join these lists, in their fixed
  // order, with the unit that defines them.
  RegisterResampler(TNearestResampler::StaticClass());
  RegisterResampler(TLinearResampler::StaticClass());
  RegisterResampler(TDraftResampler::StaticClass());
  RegisterResampler(TKernelResampler::StaticClass());
  for (TClass k : {TBoxKernel::StaticClass(), TLinearKernel::StaticClass(), TCosineKernel::StaticClass(),
                   TSplineKernel::StaticClass(), TCubicKernel::StaticClass(), TMitchellKernel::StaticClass(),
                   TAlbrechtKernel::StaticClass(), TLanczosKernel::StaticClass(), TGaussianKernel::StaticClass(),
                   TBlackmanKernel::StaticClass(), THannKernel::StaticClass(), THammingKernel::StaticClass(),
                   TSinshKernel::StaticClass(), THermiteKernel::StaticClass()})
    RegisterKernel(k);
}

void DonePix32Resamplers() {
  if (ResamplersInitCount == 0 || --ResamplersInitCount > 0) return;
  FreeAndNil(ResamplerList);
  FreeAndNil(KernelList);
  ResamplersRegistry = nullptr;
  BlockAverage = nullptr;
  Interpolator = nullptr;
}

}  // namespace qn

QN_PUBLISHED_IMPL(qn::TCubicKernel)
QN_PUBLISHED_IMPL(qn::THermiteKernel)
QN_PUBLISHED_IMPL(qn::TWindowedSincKernel)
QN_PUBLISHED_IMPL(qn::TAlbrechtKernel)
QN_PUBLISHED_IMPL(qn::TGaussianKernel)
QN_PUBLISHED_IMPL(qn::TSinshKernel)
QN_PUBLISHED_IMPL(qn::TKernelResampler)
QN_PUBLISHED_IMPL(qn::TNestedSampler)
QN_PUBLISHED_IMPL(qn::TTransformer)
QN_PUBLISHED_IMPL(qn::TSuperSampler)
QN_PUBLISHED_IMPL(qn::TAdaptiveSuperSampler)
QN_PUBLISHED_IMPL(qn::TKernelSampler)
QN_PUBLISHED_IMPL(qn::TSelectiveConvolver)
