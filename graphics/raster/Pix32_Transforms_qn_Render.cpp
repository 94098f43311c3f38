// Pix32_Transforms_qn: drawing a bitmap through a transformation, sampling
// a transformation into a vector map, and the bilinear row loops of the
// affine fast path.
#include <emmintrin.h>

#include <algorithm>
#include <memory>

#include "graphics/raster/Pix32_Blend_qn.h"
#include "graphics/raster/Pix32_Math_qn.h"
#include "graphics/raster/Pix32_Rasterizers_qn.h"
#include "graphics/raster/Pix32_Resamplers_qn.h"
#include "graphics/raster/Pix32_Transforms_qn.h"
#include "graphics/raster/Pix32_VectorMaps_qn.h"

namespace qn {

TLinearRowProc* LinearTransformRow = nullptr;
bool TransformFastPath = true;

void Transform(TCustomBitmap32* Dst, TCustomBitmap32* Src, TTransformation* Transformation) {
  Transform(Dst, Src, Transformation, Dst->BoundsRect());
}

void Transform(TCustomBitmap32* Dst, TCustomBitmap32* Src, TTransformation* Transformation, const TRect& DstClip) {
  std::unique_ptr<TRasterizer> r(static_cast<TRasterizer*>(DefaultRasterizerClass->Create(nullptr)));
  Transform(Dst, Src, Transformation, r.get(), DstClip);
}

void Transform(TCustomBitmap32* Dst, TCustomBitmap32* Src, TTransformation* Transformation, TRasterizer* Rasterizer) {
  Transform(Dst, Src, Transformation, Rasterizer, Dst->BoundsRect());
}

void Transform(TCustomBitmap32* Dst, TCustomBitmap32* Src, TTransformation* Transformation, TRasterizer* Rasterizer,
               TRect DstClip) {
  const TRect& c = Dst->ClipRect();
  DstClip = TRect(std::max(DstClip.Left, c.Left), std::max(DstClip.Top, c.Top), std::min(DstClip.Right, c.Right),
                  std::min(DstClip.Bottom, c.Bottom));
  if (DstClip.Right < DstClip.Left || DstClip.Bottom < DstClip.Top) return;
  if (!Dst->MeasuringMode()) {
    struct TRelease {
      TRasterizer* R;
      // The transformer dies with this scope; the rasterizer must not keep
      // pointing at it.
      ~TRelease() {
        EMMS();
        R->SetSampler(nullptr);
      }
    };
    TTransformer transformer(Src->Resampler(), Transformation);
    TRelease release{Rasterizer};
    Rasterizer->SetSampler(&transformer);
    Rasterizer->Rasterize(Dst, DstClip, Src);
  }
  Dst->Changed(DstClip, AREA_RECT_FLAG);
}

void SetBorderTransparent(TCustomBitmap32* ABitmap, const TRect& ARect) {
  const TRect b = ABitmap->BoundsRect();
  TRect r(std::max(ARect.Left, b.Left), std::max(ARect.Top, b.Top), std::min(ARect.Right, b.Right),
          std::min(ARect.Bottom, b.Bottom));
  const TRect& clip = ABitmap->ClipRect();
  if (r.Left >= r.Right || r.Bottom <= r.Top || r.Left >= clip.Right || r.Top >= clip.Bottom ||
      r.Right <= clip.Left || r.Bottom <= clip.Top)
    return;
  --r.Right;
  --r.Bottom;
  auto clear = [ABitmap](Integer X, Integer Y) { ABitmap->SetPixel(X, Y, ABitmap->GetPixel(X, Y) & 0x00FFFFFFu); };
  for (Integer x = r.Left; x <= r.Right; ++x) {
    clear(x, r.Top);
    clear(x, r.Bottom);
  }
  for (Integer y = r.Top; y <= r.Bottom; ++y) {
    clear(r.Left, y);
    clear(r.Right, y);
  }
  ABitmap->Changed();
}

void RasterizeTransformation(TVectorMap* Vectormap, TTransformation* Transformation, TRect DstRect,
                             TVectorCombineMode CombineMode, TVectorCombineEventRef CombineCallback) {
  const TRect b = Vectormap->BoundsRect();
  DstRect = TRect(std::max(DstRect.Left, b.Left), std::max(DstRect.Top, b.Top), std::min(DstRect.Right, b.Right),
                  std::min(DstRect.Bottom, b.Bottom));
  if (DstRect.Right <= DstRect.Left || DstRect.Bottom <= DstRect.Top) return;
  if (!Transformation->TransformValid) Transformation->PrepareTransform();
  const Integer w = DstRect.Right - DstRect.Left, h = DstRect.Bottom - DstRect.Top;
  // One column or row has no spread for the progression to run across.
  const TFixed stepX = w > 1 ? Fixed(1.0f / static_cast<Single>(w - 1)) : 0;
  const TFixed stepY = h > 1 ? Fixed(1.0f / static_cast<Single>(h - 1)) : 0;
  TFixedPoint progression;
  for (Integer j = DstRect.Top; j < DstRect.Bottom; ++j, progression.Y += stepY) {
    progression.X = 0;
    for (Integer i = DstRect.Left; i < DstRect.Right; ++i, progression.X += stepX) {
      const TFixedPoint p = FixedPoint(i - DstRect.Left, j - DstRect.Top);
      TFixedPoint q;
      Transformation->ReverseTransformFixed(p.X, p.Y, q.X, q.Y);
      const TFixedPoint d = q - p;
      TFixedPoint& v = Vectormap->Vectors()[static_cast<size_t>(j) * static_cast<size_t>(Vectormap->Width()) +
                                            static_cast<size_t>(i)];
      switch (CombineMode) {
        case TVectorCombineMode::vcmAdd: v = v + d; break;
        case TVectorCombineMode::vcmReplace: v = d; break;
        case TVectorCombineMode::vcmCustom:
          if (CombineCallback) CombineCallback(d, progression, v);
          break;
      }
    }
  }
}

// ---------------------------------------------------------------------------
// Bilinear rows. Each sample is what GetPixelXS answers at the point: the
// 2 x 2 blend inside the clip, the edge row or column on the last line, the
// outer colour beyond.

void LinearTransformRow_Pas(const TCustomBitmap32* Src, TFixed U, TFixed V, TFixed DU, TFixed DV, Integer Count,
                            TColor32* Out) {
  for (Integer i = 0; i < Count; ++i, U += DU, V += DV) Out[i] = Src->GET_TS256(Sar(U + 127, 8), Sar(V + 127, 8));
  EMMS();
}

namespace {
// The 16-bit lane blend of the bilinear interpolator, with its rounding.
inline __m128i LerpPairs(__m128i a, __m128i b, __m128i w) {
  const __m128i d = _mm_mullo_epi16(_mm_sub_epi16(a, b), w);
  return _mm_srli_epi16(_mm_add_epi16(_mm_add_epi16(_mm_slli_epi16(b, 8), d), _mm_set1_epi16(128)), 8);
}
}  // namespace

void LinearTransformRow_SSE2(const TCustomBitmap32* Src, TFixed U, TFixed V, TFixed DU, TFixed DV, Integer Count,
                             TColor32* Out) {
  // The rows must equal single samples, which go through the bound
  // interpolator; only the packed one is reproduced here.
  if (Interpolator != &Interpolator_SSE2) {
    LinearTransformRow_Pas(Src, U, V, DU, DV, Count, Out);
    return;
  }
  const TRect& clip = Src->ClipRect();
  const TRect& clip256 = Src->ClipRect256();
  const Integer XE = static_cast<Integer>(static_cast<Cardinal>(clip.Right - 1) << 8);
  const Integer YE = static_cast<Integer>(static_cast<Cardinal>(clip.Bottom - 1) << 8);
  const Integer width = Src->Width();
  const TColor32* bits = Src->Bits();
  const __m128i zero = _mm_setzero_si128();
  const __m128i w255 = _mm_set1_epi16(255);
  for (Integer i = 0; i < Count; ++i, U += DU, V += DV) {
    const Integer X = Sar(U + 127, 8), Y = Sar(V + 127, 8);
    if (X < clip256.Left || Y < clip256.Top || X >= XE || Y >= YE) {
      Out[i] = Src->GET_TS256(X, Y);
      continue;
    }
    const TColor32* p = bits + (X >> 8) + static_cast<NativeInt>(Y >> 8) * width;
    const __m128i wx = _mm_min_epi16(_mm_set1_epi16(static_cast<short>(GAMMA_TABLE[255 - (X & 255)])), w255);
    const __m128i wy = _mm_min_epi16(_mm_set1_epi16(static_cast<short>(GAMMA_TABLE[(Y & 255) ^ 255])), w255);
    // Lanes 0..3 the upper row, 4..7 the lower row.
    const __m128i top = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(p));
    const __m128i bottom = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(p + width));
    const __m128i left = _mm_unpacklo_epi8(_mm_unpacklo_epi32(top, bottom), zero);
    const __m128i right = _mm_unpacklo_epi8(_mm_unpacklo_epi32(_mm_srli_si128(top, 4), _mm_srli_si128(bottom, 4)), zero);
    const __m128i h = LerpPairs(left, right, wx);
    const __m128i v = LerpPairs(h, _mm_unpackhi_epi64(h, h), wy);
    Out[i] = static_cast<TColor32>(_mm_cvtsi128_si32(_mm_packus_epi16(v, v)));
  }
}

}  // namespace qn
