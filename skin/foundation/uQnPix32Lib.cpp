#include "skin/foundation/uQnPix32Lib.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <list>
#include <memory>
#include <vector>

#if defined(__SSE2__)
#include <immintrin.h>
#endif

#include "graphics/raster/Pix32_Blend_qn.h"
#include "graphics/raster/Pix32_Resamplers_qn.h"
#include "platform/gdi/Gdi.h"
#include "platform/rtl/Math.h"

namespace qn {

namespace {

// Where each destination pixel of one axis takes its colour: between source
// pixels I0 and I1 with weight W/256 towards I1.
struct TAxisMap {
  std::vector<Integer> I0, I1;
  std::vector<Integer> W;
};

// One segment of an axis: SrcLen source pixels from SrcStart onto DstLen
// destination pixels. Equal lengths copy; others interpolate between pixel
// centres, never reading outside the segment.
void MapSegment(TAxisMap& M, Integer SrcStart, Integer SrcLen, Integer DstLen) {
  for (Integer j = 0; j < DstLen; ++j) {
    if (SrcLen == DstLen) {
      M.I0.push_back(SrcStart + j);
      M.I1.push_back(SrcStart + j);
      M.W.push_back(0);
      continue;
    }
    // Source position of the destination pixel's centre, in 1/256 pixel.
    Int64 x = (static_cast<Int64>(2 * j + 1) * SrcLen * 256) / (2 * static_cast<Int64>(DstLen)) - 128;
    x = std::clamp<Int64>(x, 0, static_cast<Int64>(SrcLen - 1) * 256);
    const Integer x0 = static_cast<Integer>(x >> 8);
    const Integer w = static_cast<Integer>(x & 255);
    M.I0.push_back(SrcStart + x0);
    M.I1.push_back(SrcStart + std::min(x0 + 1, SrcLen - 1));
    M.W.push_back(w);
  }
}

// The axis from S0 (length SLen, corners A and B) onto DLen pixels.
TAxisMap MapAxis(Integer S0, Integer SLen, Integer A, Integer B, Integer DLen) {
  TAxisMap m;
  m.I0.reserve(DLen);
  m.I1.reserve(DLen);
  m.W.reserve(DLen);
  A = std::clamp(A, 0, SLen);
  B = std::clamp(B, 0, SLen - A);
  Integer da = A, db = B;
  if (DLen < A + B) {
    // Too small for the corners: they share the room in proportion.
    da = A + B > 0 ? static_cast<Integer>((static_cast<Int64>(DLen) * A * 2 + (A + B)) / (2 * (A + B))) : 0;
    db = DLen - da;
  }
  const Integer dm = DLen - da - db;
  MapSegment(m, S0, A, da);
  if (dm > 0) {
    Integer ms = S0 + A, ml = SLen - A - B;
    if (ml <= 0) {
      // No middle in the source: the middle spans the corners' seam.
      ms = std::max(S0, S0 + A - 1);
      ml = std::min(S0 + SLen, S0 + A + 1) - ms;
    }
    MapSegment(m, ms, ml, dm);
  }
  MapSegment(m, S0 + SLen - B, B, db);
  return m;
}

// Out[i] = A[i] + (B[i] - A[i]) * W[i] / 256 per channel, rounded. The
// weights come per pixel (Step 1) or one for the whole row (Step 0).
void LerpRun(const TColor32* A, const TColor32* B, const Integer* W, Integer Step, TColor32* Out, Integer Count) {
  Integer i = 0;
#if defined(__SSE2__)
  // Four pixels at a time: the two colours' bytes interleaved as 16-bit
  // pairs, multiplied by (256 - w, w) and summed in 32 bits.
  const __m128i zero = _mm_setzero_si128(), round = _mm_set1_epi32(128);
  for (; i + 4 <= Count; i += 4) {
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(A + i));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(B + i));
    const __m128i lo8 = _mm_unpacklo_epi8(a, b), hi8 = _mm_unpackhi_epi8(a, b);
    const __m128i p0 = _mm_unpacklo_epi8(lo8, zero), p1 = _mm_unpackhi_epi8(lo8, zero);
    const __m128i p2 = _mm_unpacklo_epi8(hi8, zero), p3 = _mm_unpackhi_epi8(hi8, zero);
    auto weights = [&](Integer k) {
      const Integer w = W[Step * (i + k)];
      return _mm_set1_epi32(static_cast<int>((static_cast<Cardinal>(w) << 16) | static_cast<Cardinal>(256 - w)));
    };
    // p0 .. p3: the (a, b) pairs of the four channels of pixels 0 .. 3.
    const __m128i r0 = _mm_srli_epi32(_mm_add_epi32(_mm_madd_epi16(p0, weights(0)), round), 8);
    const __m128i r1 = _mm_srli_epi32(_mm_add_epi32(_mm_madd_epi16(p1, weights(1)), round), 8);
    const __m128i r2 = _mm_srli_epi32(_mm_add_epi32(_mm_madd_epi16(p2, weights(2)), round), 8);
    const __m128i r3 = _mm_srli_epi32(_mm_add_epi32(_mm_madd_epi16(p3, weights(3)), round), 8);
    const __m128i r01 = _mm_packs_epi32(r0, r1), r23 = _mm_packs_epi32(r2, r3);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(Out + i), _mm_packus_epi16(r01, r23));
  }
#endif
  for (; i < Count; ++i) {
    const Cardinal w = static_cast<Cardinal>(W[Step * i]), iw = 256 - w, a = A[i], b = B[i];
    const Cardinal rb = (((a & 0x00FF00FFu) * iw + (b & 0x00FF00FFu) * w + 0x00800080u) >> 8) & 0x00FF00FFu;
    const Cardinal ag = (((a >> 8) & 0x00FF00FFu) * iw + ((b >> 8) & 0x00FF00FFu) * w + 0x00800080u) & 0xFF00FF00u;
    Out[i] = rb | ag;
  }
}

TRect Intersected(const TRect& A, const TRect& B) {
  return TRect(std::max(A.Left, B.Left), std::max(A.Top, B.Top), std::min(A.Right, B.Right),
               std::min(A.Bottom, B.Bottom));
}

bool Blank(const TRect& R) { return R.Right <= R.Left || R.Bottom <= R.Top; }

// Writes Count pixels of Line into Dst the way Src draws. Skin frames are
// mostly opaque with translucent rims: runs of solid pixels are copied,
// clear ones skipped, and only the rest blended, which gives the blend's
// own result for those pixels at full master alpha.
void PutLine(const TColor32* Line, PColor32 Dst, Integer Count, bool Opaque, TCombineMode Mode, Cardinal Master) {
  if (Opaque) {
    std::memcpy(Dst, Line, static_cast<size_t>(Count) * sizeof(TColor32));
    return;
  }
  TBlendLineEx* blend = *BLEND_LINE_EX[static_cast<int>(Mode)];
  if (Master < 255 || Mode != TCombineMode::cmBlend) {
    blend(Line, Dst, Count, Master);
    EMMS();
    return;
  }
  bool blended = false;
  Integer i = 0;
  while (i < Count) {
    const Cardinal a = Line[i] >> 24;
    Integer j = i + 1;
    if (a == 255) {
      while (j < Count && (Line[j] >> 24) == 255) ++j;
      std::memcpy(Dst + i, Line + i, static_cast<size_t>(j - i) * sizeof(TColor32));
    } else if (a == 0) {
      while (j < Count && (Line[j] >> 24) == 0) ++j;
    } else {
      while (j < Count && (Line[j] >> 24) != 255 && (Line[j] >> 24) != 0) ++j;
      blend(Line + i, Dst + i, j - i, 255);
      blended = true;
    }
    i = j;
  }
  if (blended) EMMS();
}

// Limit, when given, narrows what is written further than Dst's clip.
void NineSlice(TBitmap32* Src, const TRect& SrcRect, const TRect& Caps, TBitmap32* Dst, const TRect& DstRect,
               bool Opaque, TCombineMode Mode, Cardinal Master, const TRect* Limit = nullptr) {
  if (!Src || !Dst || Src->Empty() || Dst->Empty() || Blank(SrcRect) || Blank(DstRect)) return;
  const TRect src = Intersected(SrcRect, Src->BoundsRect());
  if (Blank(src) || src.Left != SrcRect.Left || src.Top != SrcRect.Top || src.Right != SrcRect.Right ||
      src.Bottom != SrcRect.Bottom)
    return;  // a source rectangle outside the picture is refused whole
  TRect clip = Intersected(Intersected(DstRect, Dst->BoundsRect()), Dst->ClipRect());
  if (Limit) clip = Intersected(clip, *Limit);
  if (Blank(clip)) return;
  if (!Opaque && Master == 0) return;

  const Integer dw = DstRect.Right - DstRect.Left, dh = DstRect.Bottom - DstRect.Top;
  const TAxisMap mx = MapAxis(src.Left, src.Right - src.Left, Caps.Left, Caps.Right, dw);
  const TAxisMap my = MapAxis(src.Top, src.Bottom - src.Top, Caps.Top, Caps.Bottom, dh);

  // Every source row the rows of the clip use, stretched across the clip's
  // columns once; each destination row is then one of them, or a blend of
  // two neighbours.
  const Integer c0 = clip.Left - DstRect.Left, c1 = clip.Right - DstRect.Left, n = c1 - c0;
  const Integer r0 = my.I0[clip.Top - DstRect.Top], r1 = my.I1[clip.Bottom - 1 - DstRect.Top];
  std::vector<TColor32> rows(static_cast<size_t>(r1 - r0 + 1) * n), out(n), left(n), right(n);
  for (Integer sy = r0; sy <= r1; ++sy) {
    const PColor32Array s = Src->ScanLine(sy);
    for (Integer i = 0; i < n; ++i) {
      left[i] = s[mx.I0[c0 + i]];
      right[i] = s[mx.I1[c0 + i]];
    }
    LerpRun(left.data(), right.data(), mx.W.data() + c0, 1, &rows[static_cast<size_t>(sy - r0) * n], n);
  }
  for (Integer y = clip.Top; y < clip.Bottom; ++y) {
    const Integer j = y - DstRect.Top;
    const Integer y0 = my.I0[j], y1 = my.I1[j], w = my.W[j];
    const TColor32* a = &rows[static_cast<size_t>(y0 - r0) * n];
    const TColor32* line = a;
    if (w != 0 && y1 != y0) {
      LerpRun(a, &rows[static_cast<size_t>(y1 - r0) * n], &w, 0, out.data(), n);
      line = out.data();
    }
    PutLine(line, Dst->ScanLine(y) + clip.Left, n, Opaque, Mode, Master);
  }
  Dst->Changed(clip);
}

bool DrawsOpaque(TBitmap32* Src) { return Src->DrawMode() == TDrawMode::dmOpaque; }

// ---- the cache ----

struct TCacheEntry {
  const TBitmap32* Src;
  TRect SrcRect, Caps;
  Integer W, H;
  std::unique_ptr<TBitmap32> Result;
};

bool GCacheOn = true;
bool GSkinCachesOn = true;
Cardinal GCacheGeneration = 0;
Int64 GCachePixels = 0;
std::list<TCacheEntry>* GCache = nullptr;

std::list<TCacheEntry>& Cache() {
  if (!GCache) GCache = new std::list<TCacheEntry>();
  return *GCache;
}

void DropLast() {
  auto& cache = Cache();
  GCachePixels -= Int64(cache.back().W) * cache.back().H;
  cache.pop_back();
}

}  // namespace

TRect ThirdCaps(Integer Width, Integer Height) {
  auto axis = [](Integer s, Integer& a, Integer& b) {
    a = std::max(1, s / 3);
    b = a;
    if (a + b > s) {
      a = (s + 1) / 2;
      b = s - a;
    }
  };
  TRect r;
  axis(Width, r.Left, r.Right);
  axis(Height, r.Top, r.Bottom);
  return r;
}

void NineSliceTransfer(TBitmap32* Src, const TRect& SrcRect, const TRect& Caps, TBitmap32* Dst,
                       const TRect& DstRect, bool Opaque) {
  if (!Src) return;
  NineSlice(Src, SrcRect, Caps, Dst, DstRect, Opaque, Src->CombineMode(), Src->MasterAlpha());
}

namespace detail {

TBitmap32* CachedNineSlice(TBitmap32* Src, const TRect& SrcRect, const TRect& Caps, Integer W, Integer H) {
  if (!GCacheOn || !Src || Src->Empty() || W <= 0 || H <= 0 || Int64(W) * H > StretchCachePixels) return nullptr;
  TQuarnResManager* store = TQuarnResManagerObj();
  const Cardinal gen = store->Generation();
  auto& cache = Cache();
  if (gen != GCacheGeneration) {
    // Images handed out before may be gone or changed, and a new one may
    // sit at a freed one's address: nothing cached survives.
    ClearStretchCache();
    GCacheGeneration = gen;
  }
  // Only the store's images keep their pixels while the generation stands;
  // any other picture (a copy on the stack, a caller's bitmap) may be
  // changed or freed at any time.
  if (!store->HandedOut(Src)) return nullptr;
  for (auto it = cache.begin(); it != cache.end(); ++it) {
    if (it->Src == Src && it->SrcRect == SrcRect && it->Caps == Caps && it->W == W && it->H == H) {
      cache.splice(cache.begin(), cache, it);
      return cache.front().Result.get();
    }
  }
  auto result = std::make_unique<TBitmap32>();
  result->SetSize(W, H);
  NineSlice(Src, SrcRect, Caps, result.get(), result->BoundsRect(), true, TCombineMode::cmBlend, 255);
  cache.push_front({Src, SrcRect, Caps, W, H, std::move(result)});
  GCachePixels += Int64(W) * H;
  while (static_cast<Integer>(cache.size()) > StretchCacheCapacity || GCachePixels > StretchCachePixels) DropLast();
  return cache.front().Result.get();
}

}  // namespace detail

void SetStretchCacheEnabled(bool Value) {
  GCacheOn = Value;
  if (!Value) ClearStretchCache();
}

bool StretchCacheEnabled() { return GCacheOn; }

void SetSkinCachesEnabled(bool Value) {
  GSkinCachesOn = Value;
  SetStretchCacheEnabled(Value);
}

bool SkinCachesEnabled() { return GSkinCachesOn; }

void ClearStretchCache() {
  if (GCache) GCache->clear();
  GCachePixels = 0;
}

Integer StretchCacheCount() { return GCache ? static_cast<Integer>(GCache->size()) : 0; }

void DoneQnPix32Lib() {
  delete GCache;
  GCache = nullptr;
  GCachePixels = 0;
}

namespace {
// SrcRect of Src nine-sliced over DstRect of Dst, written only within Limit
// (and Dst's clip), from the cache when it holds (or can take) that picture.
void StretchedInto(TBitmap32* Src, const TRect& SrcRect, const TRect& Caps, TBitmap32* Dst, const TRect& DstRect,
                   const TRect& Limit, bool Opaque, TCombineMode Mode, Cardinal Master) {
  const Integer dw = DstRect.Right - DstRect.Left, dh = DstRect.Bottom - DstRect.Top;
  if (TBitmap32* done = detail::CachedNineSlice(Src, SrcRect, Caps, dw, dh)) {
    const TRect clip =
        Intersected(Intersected(Intersected(DstRect, Dst->BoundsRect()), Dst->ClipRect()), Limit);
    if (Blank(clip) || (!Opaque && Master == 0)) return;
    for (Integer y = clip.Top; y < clip.Bottom; ++y)
      PutLine(done->ScanLine(y - DstRect.Top) + (clip.Left - DstRect.Left), Dst->ScanLine(y) + clip.Left,
              clip.Right - clip.Left, Opaque, Mode, Master);
    Dst->Changed(clip);
    return;
  }
  NineSlice(Src, SrcRect, Caps, Dst, DstRect, Opaque, Mode, Master, &Limit);
}

// SrcRect of Src nine-sliced over the whole of Dst.
void Stretched(TBitmap32* Src, const TRect& SrcRect, const TRect& Caps, TBitmap32* Dst, bool Opaque,
               TCombineMode Mode, Cardinal Master) {
  StretchedInto(Src, SrcRect, Caps, Dst, Dst->BoundsRect(), Dst->BoundsRect(), Opaque, Mode, Master);
}
}  // namespace

void StretchBitmapEdges(TBitmap32* Src, TBitmap32* Dst, const TRect& DstRect, Integer Width) {
  if (!Src || !Dst || Src->Empty() || Dst->Empty() || Blank(DstRect) || Width <= 0) return;
  const TRect caps = ThirdCaps(Src->Width(), Src->Height());
  // Four bands that do not overlap, so no pixel is blended twice: the top
  // and bottom rows whole, the left and right columns between them.
  const Integer l = DstRect.Left, t = DstRect.Top, r = DstRect.Right, b = DstRect.Bottom;
  const Integer top = std::min(t + Width, b), bottom = std::max(top, b - Width);
  const Integer left = std::min(l + Width, r), right = std::max(left, r - Width);
  const TRect bands[4] = {TRect(l, t, r, top), TRect(l, bottom, r, b), TRect(l, top, left, bottom),
                          TRect(right, top, r, bottom)};
  for (const TRect& band : bands)
    if (!Blank(band))
      StretchedInto(Src, Src->BoundsRect(), caps, Dst, DstRect, band, DrawsOpaque(Src), Src->CombineMode(),
                    Src->MasterAlpha());
}

void StretchBitmapPart(TBitmap32* Src, const TRect& Part, TBitmap32* Dst) {
  if (!Src || !Dst || Src->Empty() || Dst->Empty() || Blank(Part)) return;
  if (Part.Left < 0 || Part.Top < 0 || Part.Right > Src->Width() || Part.Bottom > Src->Height()) return;
  Stretched(Src, Part, ThirdCaps(Part.Right - Part.Left, Part.Bottom - Part.Top), Dst, false, TCombineMode::cmBlend,
            255);
}

void StretchBitmap(TBitmap32* Src, TBitmap32* Dst, bool ViaDC) {
  if (!Src || !Dst || Src->Empty() || Dst->Empty()) return;
  const TRect caps = ThirdCaps(Src->Width(), Src->Height());
  const bool opaque = DrawsOpaque(Src);
  if (!ViaDC) {
    Stretched(Src, Src->BoundsRect(), caps, Dst, opaque, Src->CombineMode(), Src->MasterAlpha());
    return;
  }
  // Through the device contexts: the picture is composed once, premultiplied
  // as the platform's blend wants it, and laid on with the source's opacity.
  TBitmap32 pic;
  pic.SetSize(Dst->Width(), Dst->Height());
  NineSlice(Src, Src->BoundsRect(), caps, &pic, pic.BoundsRect(), true, TCombineMode::cmBlend, 255);
  const Integer w = pic.Width(), h = pic.Height();
  if (opaque) {
    BitBlt(Dst->GetHDC(), 0, 0, w, h, pic.GetHDC(), 0, 0, SRCCOPY);
  } else {
    for (Integer i = 0; i < w * h; ++i) {
      const TColor32 c = pic.Bits()[i];
      const Cardinal a = c >> 24;
      auto pm = [&](int s) { return ((((c >> s) & 0xFF) * a + 127) / 255) << s; };
      pic.Bits()[i] = (a << 24) | pm(16) | pm(8) | pm(0);
    }
    BLENDFUNCTION bf{AC_SRC_OVER, 0, static_cast<BYTE>(Src->MasterAlpha()), AC_SRC_ALPHA};
    AlphaBlend(Dst->GetHDC(), 0, 0, w, h, pic.GetHDC(), 0, 0, w, h, bf);
  }
  Dst->Changed();
}

void TileBitmap(TBitmap32* Src, TBitmap32* Dst) {
  if (!Src || !Dst || Src->Empty() || Dst->Empty()) return;
  for (Integer y = 0; y < Dst->Height(); y += Src->Height())
    for (Integer x = 0; x < Dst->Width(); x += Src->Width()) Src->DrawTo(Dst, x, y);
}

void BoxBlurBitmap(TBitmap32* Bitmap, Integer Radius) {
  if (!Bitmap || Bitmap->Empty() || Radius <= 0) return;
  const Integer w = Bitmap->Width(), h = Bitmap->Height(), n = 2 * Radius + 1;
  // One line at a time through a running sum; the line is copied first so
  // the sum reads the unblurred values.
  std::vector<TColor32> line(static_cast<size_t>(std::max(w, h)));
  auto pass = [&](Integer count, Integer len, auto at) {
    for (Integer i = 0; i < count; ++i) {
      for (Integer k = 0; k < len; ++k) line[size_t(k)] = at(i, k);
      auto px = [&](Integer k) { return line[size_t(std::clamp(k, 0, len - 1))]; };
      auto ch = [](TColor32 c, int shift) { return static_cast<Integer>((c >> shift) & 0xFF); };
      Integer r = 0, g = 0, b = 0;
      for (Integer k = -Radius; k <= Radius; ++k) {
        const TColor32 c = px(k);
        r += ch(c, 16), g += ch(c, 8), b += ch(c, 0);
      }
      for (Integer k = 0; k < len; ++k) {
        TColor32& d = at(i, k);
        auto mean = [n](Integer sum) { return static_cast<TColor32>((sum + n / 2) / n); };
        d = (d & 0xFF000000u) | (mean(r) << 16) | (mean(g) << 8) | mean(b);
        const TColor32 out = px(k - Radius), in = px(k + Radius + 1);
        r += ch(in, 16) - ch(out, 16);
        g += ch(in, 8) - ch(out, 8);
        b += ch(in, 0) - ch(out, 0);
      }
    }
  };
  pass(h, w, [&](Integer y, Integer x) -> TColor32& { return Bitmap->ScanLine(y)[x]; });
  pass(w, h, [&](Integer x, Integer y) -> TColor32& { return Bitmap->ScanLine(y)[x]; });
  Bitmap->Changed();
}

void TintBitmapHSB(TBitmap32* Bitmap, Integer H, Integer S, Integer B) {
  if (!Bitmap || Bitmap->Empty() || (H == 0 && S == 0 && B == 0)) return;
  const double turn = std::fmod(static_cast<double>(H), 360.0), ds = S / 100.0, db = B / 100.0;
  for (Integer y = 0; y < Bitmap->Height(); ++y) {
    TColor32* row = Bitmap->ScanLine(y);
    for (Integer x = 0; x < Bitmap->Width(); ++x) {
      const TColor32 c = row[x];
      const double r = ((c >> 16) & 0xFF) / 255.0, g = ((c >> 8) & 0xFF) / 255.0, b = (c & 0xFF) / 255.0;
      const double mx = std::max({r, g, b}), mn = std::min({r, g, b}), d = mx - mn;
      double hue = 0;
      if (d > 0) {
        if (mx == r) hue = 60.0 * std::fmod((g - b) / d + 6.0, 6.0);
        else if (mx == g) hue = 60.0 * ((b - r) / d + 2.0);
        else hue = 60.0 * ((r - g) / d + 4.0);
      }
      double sat = mx > 0 ? d / mx : 0, val = mx;
      hue = std::fmod(hue + turn + 720.0, 360.0);
      sat = std::clamp(sat + ds, 0.0, 1.0);
      val = std::clamp(val + db, 0.0, 1.0);
      const double cc = val * sat, hh = hue / 60.0, xx = cc * (1 - std::fabs(std::fmod(hh, 2.0) - 1)), m = val - cc;
      double rr = 0, gg = 0, bb = 0;
      switch (static_cast<int>(hh) % 6) {
        case 0: rr = cc, gg = xx; break;
        case 1: rr = xx, gg = cc; break;
        case 2: gg = cc, bb = xx; break;
        case 3: gg = xx, bb = cc; break;
        case 4: rr = xx, bb = cc; break;
        default: rr = cc, bb = xx; break;
      }
      auto to8 = [](double v) { return static_cast<Cardinal>(std::clamp(std::lround(v * 255.0), 0L, 255L)); };
      row[x] = (c & 0xFF000000u) | (to8(rr + m) << 16) | (to8(gg + m) << 8) | to8(bb + m);
    }
  }
  Bitmap->Changed();
}

void AutoStretchBitmap(TBitmap32* Src, TBitmap32* Dst, bool Flag, Single Extra) {
  if (!Src || !Dst || Src->Empty() || Dst->Empty()) return;
  const double f = std::max(static_cast<double>(Dst->Width()) / Src->Width(),
                            static_cast<double>(Dst->Height()) / Src->Height()) +
                   Extra;
  if (!(f > 0)) return;
  const Integer w = static_cast<Integer>(std::lround(Src->Width() * f));
  const Integer h = static_cast<Integer>(std::lround(Src->Height() * f));
  if (w <= 0 || h <= 0) return;
  const Integer x = (Dst->Width() - w) / 2, y = (Dst->Height() - h) / 2;
  TLinearResampler linear;
  StretchTransfer(Dst, TRect(x, y, x + w, y + h), Dst->ClipRect(), Src, Src->BoundsRect(), &linear, Src->DrawMode());
}

void DrawImage(TBitmap32* Src, TBitmap32* Dst, TQnPngFillType FillType) {
  if (!Src || !Dst || Src->Empty() || Dst->Empty()) return;
  switch (FillType) {
    case ftNormal: Src->DrawTo(Dst, 0, 0); break;
    case ftTile: TileBitmap(Src, Dst); break;
    case ftAutoStretch: StretchBitmap(Src, Dst, false); break;
    case ftCenter:
      Src->DrawTo(Dst, std::max(0, (Dst->Width() - Src->Width()) / 2), std::max(0, (Dst->Height() - Src->Height()) / 2));
      break;
    case ftStretch: {
      TLinearResampler linear;
      StretchTransfer(Dst, Dst->BoundsRect(), Dst->ClipRect(), Src, Src->BoundsRect(), &linear, Src->DrawMode());
      break;
    }
    case ftGradient: break;
  }
}

void ApplyAlpha(TBitmap32* Bitmap, Integer Alpha) {
  if (!Bitmap || Alpha < 0 || Alpha > 255) return;
  Bitmap->SetDrawMode(TDrawMode::dmBlend);
  Bitmap->SetMasterAlpha(static_cast<Cardinal>(Alpha));
}

namespace {

// The rotation through the bitmap's own linear resampler, one sample a
// pixel: the definition the fast loop below reproduces.
void RotateGeneral(TBitmap32* Bitmap, double C, double S, double Px, double Py) {
  const Integer w = Bitmap->Width(), h = Bitmap->Height();
  TBitmap32 copy;
  copy.Assign(Bitmap);
  copy.SetOuterColor(0xFFFFFFFFu);
  auto* linear = new TLinearResampler(&copy);  // the copy owns it
  linear->SetPixelAccessMode(TPixelAccessMode::pamSafe);
  linear->PrepareSampling();
  for (Integer y = 0; y < h; ++y) {
    PColor32Array row = Bitmap->ScanLine(y);
    for (Integer x = 0; x < w; ++x) {
      // The source point that the rotation carries onto this pixel's centre.
      const double dx = x + 0.5 - Px, dy = y + 0.5 - Py;
      const double sx = Px + dx * C + dy * S - 0.5, sy = Py - dx * S + dy * C - 0.5;
      if (sx < -0.5 || sy < -0.5 || sx > w - 0.5 || sy > h - 0.5) {
        row[x] = 0xFFFFFFFFu;
        continue;
      }
      row[x] = linear->GetSampleFloat(static_cast<Single>(sx), static_cast<Single>(sy));
    }
  }
  linear->FinalizeSampling();
}

#if defined(__SSE2__)

// b * 256 + 128 + (a - b) * w, shifted down 8, per 16-bit lane: the
// interpolator's rounding. The true value stays below 65536, so the
// wrapping 16-bit product and sums give it exactly.
inline __m128i ShakeLerp16(__m128i a, __m128i b, __m128i w) {
  const __m128i d = _mm_mullo_epi16(_mm_sub_epi16(a, b), w);
  return _mm_srli_epi16(_mm_add_epi16(_mm_add_epi16(_mm_slli_epi16(b, 8), d), _mm_set1_epi16(128)), 8);
}

// The same rotation, several pixels at a time. Every step is the general
// path's: the source point in double with the same operations in the same
// order, narrowed to single, taken to 16.16 and rounded half to even, moved
// to the 24.8 grid, and outside the picture's last pixel centres the outer
// colour or the edge pixel exactly as the safe sampler picks them; inside,
// the gamma-weighted 2 x 2 blend with the interpolator's rounding. Only the
// call per pixel is gone. Needs the 16.16 position of the far edge to fit
// an Integer.
struct TShakeLoop {
  const TColor32* Bits;
  Integer W, H, XE, YE;
  double C, S, Px, Py;
  // The gamma weight of each fraction in all four words of a quadword.
  long long Weight4[256];

  static constexpr TColor32 Outer = 0xFFFFFFFFu;

  // One pixel from its 16.16 source point: the safe sampler's cases.
  TColor32 Single(Integer X, Integer Y) const {
    const Integer X8 = (X + 127) >> 8, Y8 = (Y + 127) >> 8;
    if (X8 < 0 || Y8 < 0) return Outer;
    if (X8 < XE && Y8 < YE) {
      const TColor32* p = Bits + (X8 >> 8) + (Y8 >> 8) * W;
      return Interpolator_SSE2(GAMMA_TABLE[255 - (X8 & 255)], GAMMA_TABLE[(Y8 & 255) ^ 255], p, p + W);
    }
    if (X8 == XE && Y8 <= YE) return Bits[(W - 1) + (Y8 >> 8) * W];
    if (X8 <= XE && Y8 == YE) return Bits[(X8 >> 8) + (H - 1) * W];
    return Outer;
  }

  // Source points (16.16) of pixels x0 and x0 + 1 of a row (dys = dy * S,
  // dyc = dy * C) into the low lanes of X and Y; the mask of the two that
  // fall outside the covered area.
  int Pair(Integer x0, __m128d dys, __m128d dyc, __m128i& X, __m128i& Y) const {
    const __m128d half = _mm_set1_pd(0.5), fix = _mm_set1_pd(65536.0), lo = _mm_set1_pd(-0.5);
    const __m128d px = _mm_set1_pd(Px), py = _mm_set1_pd(Py);
    const __m128d dx = _mm_sub_pd(_mm_add_pd(_mm_set_pd(x0 + 1, x0), half), px);
    const __m128d sx = _mm_sub_pd(_mm_add_pd(_mm_add_pd(px, _mm_mul_pd(dx, _mm_set1_pd(C))), dys), half);
    const __m128d sy = _mm_sub_pd(_mm_add_pd(_mm_sub_pd(py, _mm_mul_pd(dx, _mm_set1_pd(S))), dyc), half);
    const __m128d out = _mm_or_pd(_mm_or_pd(_mm_cmplt_pd(sx, lo), _mm_cmplt_pd(sy, lo)),
                                  _mm_or_pd(_mm_cmpgt_pd(sx, _mm_set1_pd(W - 0.5)), _mm_cmpgt_pd(sy, _mm_set1_pd(H - 0.5))));
    X = _mm_cvtpd_epi32(_mm_mul_pd(_mm_cvtps_pd(_mm_cvtpd_ps(sx)), fix));
    Y = _mm_cvtpd_epi32(_mm_mul_pd(_mm_cvtps_pd(_mm_cvtpd_ps(sy)), fix));
    return _mm_movemask_pd(out);
  }

  // Row y four pixels at a time and the rest singly.
  void RowSSE2(PColor32Array Row, Integer y) const {
    const double dy = y + 0.5 - Py;
    const __m128d dys = _mm_set1_pd(dy * S), dyc = _mm_set1_pd(dy * C);
    const __m128i zero = _mm_setzero_si128(), r127 = _mm_set1_epi32(127), minus1 = _mm_set1_epi32(-1);
    const __m128i xe = _mm_set1_epi32(XE), ye = _mm_set1_epi32(YE);
    Integer x = 0;
    for (; x + 4 <= W; x += 4) {
      __m128i xa, ya, xb, yb;
      const int out = Pair(x, dys, dyc, xa, ya) | Pair(x + 2, dys, dyc, xb, yb) << 2;
      const __m128i X = _mm_unpacklo_epi64(xa, xb), Y = _mm_unpacklo_epi64(ya, yb);
      const __m128i X8 = _mm_srai_epi32(_mm_add_epi32(X, r127), 8), Y8 = _mm_srai_epi32(_mm_add_epi32(Y, r127), 8);
      // Inside the interpolated area: 0 <= X8 < XE and 0 <= Y8 < YE.
      const __m128i inside = _mm_and_si128(_mm_and_si128(_mm_cmpgt_epi32(X8, minus1), _mm_cmpgt_epi32(Y8, minus1)),
                                           _mm_and_si128(_mm_cmplt_epi32(X8, xe), _mm_cmplt_epi32(Y8, ye)));
      alignas(16) Integer xs[4], ys[4];
      if (out != 0 || _mm_movemask_epi8(inside) != 0xFFFF) {
        _mm_store_si128(reinterpret_cast<__m128i*>(xs), X);
        _mm_store_si128(reinterpret_cast<__m128i*>(ys), Y);
        for (int k = 0; k < 4; ++k) Row[x + k] = (out >> k) & 1 ? Outer : Single(xs[k], ys[k]);
        continue;
      }
      _mm_store_si128(reinterpret_cast<__m128i*>(xs), X8);
      _mm_store_si128(reinterpret_cast<__m128i*>(ys), Y8);
      __m128i v[2];
      for (int k = 0; k < 4; k += 2) {
        const TColor32* p0 = Bits + (xs[k] >> 8) + (ys[k] >> 8) * W;
        const TColor32* p1 = Bits + (xs[k + 1] >> 8) + (ys[k + 1] >> 8) * W;
        // Two pixels' left and right neighbours, each pixel in one half.
        const __m128i t0 = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(p0));
        const __m128i t1 = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(p1));
        const __m128i b0 = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(p0 + W));
        const __m128i b1 = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(p1 + W));
        const __m128i t = _mm_unpacklo_epi32(t0, t1), b = _mm_unpacklo_epi32(b0, b1);  // L0 L1 R0 R1
        const __m128i wx = _mm_set_epi64x(Weight4[255 - (xs[k + 1] & 255)], Weight4[255 - (xs[k] & 255)]);
        const __m128i wy = _mm_set_epi64x(Weight4[(ys[k + 1] & 255) ^ 255], Weight4[(ys[k] & 255) ^ 255]);
        const __m128i top = ShakeLerp16(_mm_unpacklo_epi8(t, zero), _mm_unpackhi_epi8(t, zero), wx);
        const __m128i bottom = ShakeLerp16(_mm_unpacklo_epi8(b, zero), _mm_unpackhi_epi8(b, zero), wx);
        v[k / 2] = ShakeLerp16(top, bottom, wy);
      }
      _mm_storeu_si128(reinterpret_cast<__m128i*>(Row + x), _mm_packus_epi16(v[0], v[1]));
    }
    for (; x < W; ++x) {
      __m128i X, Y;
      const int out = Pair(x, dys, dyc, X, Y) & 1;
      Row[x] = out ? Outer : Single(_mm_cvtsi128_si32(X), _mm_cvtsi128_si32(Y));
    }
  }

#if defined(__x86_64__) || defined(__i386__)
#define QN_SHAKE_AVX2 __attribute__((target("avx2")))
  // Row y eight pixels at a time.
  QN_SHAKE_AVX2 void RowAVX2(PColor32Array Row, Integer y) const {
    const double dy = y + 0.5 - Py;
    const __m256d dys = _mm256_set1_pd(dy * S), dyc = _mm256_set1_pd(dy * C);
    const __m256d half = _mm256_set1_pd(0.5), fix = _mm256_set1_pd(65536.0), lo = _mm256_set1_pd(-0.5);
    const __m256d px = _mm256_set1_pd(Px), py = _mm256_set1_pd(Py), c = _mm256_set1_pd(C), s = _mm256_set1_pd(S);
    const __m256d hiX = _mm256_set1_pd(W - 0.5), hiY = _mm256_set1_pd(H - 0.5);
    const __m256d step = _mm256_set_pd(3, 2, 1, 0);
    const __m256i zero = _mm256_setzero_si256(), r127 = _mm256_set1_epi32(127), minus1 = _mm256_set1_epi32(-1);
    const __m256i xe = _mm256_set1_epi32(XE), ye = _mm256_set1_epi32(YE), w = _mm256_set1_epi32(W);
    const __m256i m255 = _mm256_set1_epi32(255);
    // Four pixels' source points; the mask of those outside the covered area.
    auto quad = [&](Integer x0, __m128i& X, __m128i& Y) QN_SHAKE_AVX2 {
      const __m256d dx = _mm256_sub_pd(_mm256_add_pd(_mm256_add_pd(_mm256_set1_pd(x0), step), half), px);
      const __m256d sx = _mm256_sub_pd(_mm256_add_pd(_mm256_add_pd(px, _mm256_mul_pd(dx, c)), dys), half);
      const __m256d sy = _mm256_sub_pd(_mm256_add_pd(_mm256_sub_pd(py, _mm256_mul_pd(dx, s)), dyc), half);
      const __m256d out =
          _mm256_or_pd(_mm256_or_pd(_mm256_cmp_pd(sx, lo, _CMP_LT_OQ), _mm256_cmp_pd(sy, lo, _CMP_LT_OQ)),
                       _mm256_or_pd(_mm256_cmp_pd(sx, hiX, _CMP_GT_OQ), _mm256_cmp_pd(sy, hiY, _CMP_GT_OQ)));
      X = _mm256_cvtpd_epi32(_mm256_mul_pd(_mm256_cvtps_pd(_mm256_cvtpd_ps(sx)), fix));
      Y = _mm256_cvtpd_epi32(_mm256_mul_pd(_mm256_cvtps_pd(_mm256_cvtpd_ps(sy)), fix));
      return _mm256_movemask_pd(out);
    };
    // Four pixels' neighbour pairs (left, right) of one row into the
    // channels of the left and the right ones, two pixels a 128-bit lane.
    auto spread = [&](const TColor32* const* p, Integer off, __m256i& L, __m256i& R) QN_SHAKE_AVX2 {
      long long q[4];
      for (int k = 0; k < 4; ++k) std::memcpy(&q[k], p[k] + off, 8);
      const __m256i v = _mm256_shuffle_epi32(_mm256_set_epi64x(q[3], q[2], q[1], q[0]), _MM_SHUFFLE(3, 1, 2, 0));
      L = _mm256_unpacklo_epi8(v, zero);
      R = _mm256_unpackhi_epi8(v, zero);
    };
    // The out bits as whole 32-bit lanes.
    auto outMask = [&](int bits) QN_SHAKE_AVX2 {
      const __m256i bit = _mm256_set_epi32(128, 64, 32, 16, 8, 4, 2, 1);
      return _mm256_castsi256_pd(_mm256_cmpeq_epi32(_mm256_and_si256(_mm256_set1_epi32(bits), bit), bit));
    };
    auto lerp = [&](__m256i a, __m256i b, __m256i wt) QN_SHAKE_AVX2 {
      const __m256i d = _mm256_mullo_epi16(_mm256_sub_epi16(a, b), wt);
      return _mm256_srli_epi16(_mm256_add_epi16(_mm256_add_epi16(_mm256_slli_epi16(b, 8), d), _mm256_set1_epi16(128)), 8);
    };
    for (Integer x = 0; x < W; x += 8) {
      __m128i xa, ya, xb, yb;
      const int out = quad(x, xa, ya) | quad(x + 4, xb, yb) << 4;
      const __m256i X = _mm256_set_m128i(xb, xa), Y = _mm256_set_m128i(yb, ya);
      const __m256i X8 = _mm256_srai_epi32(_mm256_add_epi32(X, r127), 8);
      const __m256i Y8 = _mm256_srai_epi32(_mm256_add_epi32(Y, r127), 8);
      const __m256i inside = _mm256_andnot_si256(
          _mm256_castpd_si256(outMask(out)),
          _mm256_and_si256(_mm256_and_si256(_mm256_cmpgt_epi32(X8, minus1), _mm256_cmpgt_epi32(Y8, minus1)),
                           _mm256_and_si256(_mm256_cmpgt_epi32(xe, X8), _mm256_cmpgt_epi32(ye, Y8))));
      const int insideBits = _mm256_movemask_ps(_mm256_castsi256_ps(inside));
      const Integer n = std::min<Integer>(8, W - x);
      alignas(32) TColor32 px8[8];
      if (insideBits != 0) {
        // Some pixel is inside, so the picture has at least 2 x 2 pixels
        // and the block at 0 is a safe stand-in for the others.
        alignas(32) Integer at[8], fx[8], fy[8];
        _mm256_store_si256(reinterpret_cast<__m256i*>(at),
                           _mm256_and_si256(inside, _mm256_add_epi32(_mm256_srai_epi32(X8, 8),
                                                                     _mm256_mullo_epi32(_mm256_srai_epi32(Y8, 8), w))));
        // Weight indexes by plain loads: gathers are slow on some cores.
        _mm256_store_si256(reinterpret_cast<__m256i*>(fx), _mm256_xor_si256(_mm256_and_si256(X8, m255), m255));
        _mm256_store_si256(reinterpret_cast<__m256i*>(fy), _mm256_xor_si256(_mm256_and_si256(Y8, m255), m255));
        __m256i v[2];
        for (int g = 0; g < 8; g += 4) {
          const TColor32* p[4] = {Bits + at[g], Bits + at[g + 1], Bits + at[g + 2], Bits + at[g + 3]};
          __m256i tl, tr, bl, br;
          spread(p, 0, tl, tr);
          spread(p, W, bl, br);
          const __m256i wx = _mm256_set_epi64x(Weight4[fx[g + 3]], Weight4[fx[g + 2]], Weight4[fx[g + 1]], Weight4[fx[g]]);
          const __m256i wy = _mm256_set_epi64x(Weight4[fy[g + 3]], Weight4[fy[g + 2]], Weight4[fy[g + 1]], Weight4[fy[g]]);
          v[g / 4] = lerp(lerp(tl, tr, wx), lerp(bl, br, wx), wy);
        }
        // Packed lanes hold pixels 0 1 4 5 | 2 3 6 7.
        const __m256i packed = _mm256_packus_epi16(v[0], v[1]);
        const __m256i inOrder = _mm256_permutevar8x32_epi32(packed, _mm256_set_epi32(7, 6, 3, 2, 5, 4, 1, 0));
        if (insideBits == 0xFF && n == 8) {
          _mm256_storeu_si256(reinterpret_cast<__m256i*>(Row + x), inOrder);
          continue;
        }
        _mm256_store_si256(reinterpret_cast<__m256i*>(px8), inOrder);
      }
      // Pixels outside the covered area or on the picture's last centres.
      if (insideBits != 0xFF) {
        alignas(32) Integer xs[8], ys[8];
        _mm256_store_si256(reinterpret_cast<__m256i*>(xs), X);
        _mm256_store_si256(reinterpret_cast<__m256i*>(ys), Y);
        for (Integer k = 0; k < n; ++k)
          if (!((insideBits >> k) & 1)) px8[k] = (out >> k) & 1 ? Outer : Single(xs[k], ys[k]);
      }
      std::memcpy(Row + x, px8, sizeof(TColor32) * static_cast<size_t>(n));
    }
  }
#endif
};

bool ShakeHasAVX2() {
#if defined(__x86_64__) || defined(__i386__)
  static const bool has = [] {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2") != 0;
  }();
  return has;
#else
  return false;
#endif
}

void RotateFast(TBitmap32* Bitmap, double C, double S, double Px, double Py, bool Wide) {
  const Integer w = Bitmap->Width(), h = Bitmap->Height();
  std::vector<TColor32> src(Bitmap->Bits(), Bitmap->Bits() + static_cast<size_t>(w) * h);
  TShakeLoop loop;
  loop.Bits = src.data();
  loop.W = w;
  loop.H = h;
  loop.XE = (w - 1) << 8;
  loop.YE = (h - 1) << 8;
  loop.C = C;
  loop.S = S;
  loop.Px = Px;
  loop.Py = Py;
  for (int i = 0; i < 256; ++i) {
    loop.Weight4[i] = static_cast<long long>(GAMMA_TABLE[i] * 0x0001000100010001ull);
  }
  for (Integer y = 0; y < h; ++y) {
    PColor32Array row = Bitmap->ScanLine(y);
#if defined(__x86_64__) || defined(__i386__)
    if (Wide) {
      loop.RowAVX2(row, y);
      continue;
    }
#endif
    loop.RowSSE2(row, y);
  }
}

#endif

}  // namespace

namespace detail {

void RotateBitmapAbout(TBitmap32* Bitmap, Single Amount, Single Pivot, TShakeLoopKind Loop) {
  if (!Bitmap || Bitmap->Empty()) return;
  const Integer w = Bitmap->Width(), h = Bitmap->Height();
  const double a = Amount * 3.14159265358979323846 / 180.0;
  const double c = std::cos(a), s = std::sin(a);
  const double px = w * Pivot, py = h * Pivot;
#if defined(__SSE2__)
  // The fast loops know only the SSE2 interpolator's rounding, and need
  // the 16.16 source positions to fit an Integer.
  if (Loop != TShakeLoopKind::General && Interpolator == &Interpolator_SSE2 && w < 32768 && h < 32768)
    RotateFast(Bitmap, c, s, px, py, Loop == TShakeLoopKind::Best && ShakeHasAVX2());
  else
#endif
    RotateGeneral(Bitmap, c, s, px, py);
  Bitmap->SetDrawMode(TDrawMode::dmOpaque);
  Bitmap->Changed();
}

}  // namespace detail

void ShakeBitmap(TBitmap32* Bitmap, Single Amount) {
  if (!Bitmap) return;
  const Single pivot = (3 + Random(7)) / 10.0f;
  detail::RotateBitmapAbout(Bitmap, Amount, pivot, detail::TShakeLoopKind::Best);
}

}  // namespace qn
