// Blending straight on the bits of 32-bit DIB sections, row by row, in a
// plain form and an SSE2 form with identical results. All four bytes of a
// pixel, alpha included, go through the same arithmetic on 16-bit lanes.
#include <algorithm>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "graphics/raster/Pix32_Bindings_qn.h"
#include "platform/gdi/Gdi.h"
#include "platform/rtl/Kernel.h"
#include "treeview/LazyTrees_qn_Appearance.h"

namespace qn {

bool MMXAvailable = false;

bool DetectMMX() { return IsProcessorFeaturePresent(PF_MMX_INSTRUCTIONS_AVAILABLE); }

namespace {

// The bias is added with 16-bit saturation on the way; clamping it to that
// range first gives the same result for every value a caller may pass.
inline Integer Bias16(Integer Bias) { return std::clamp(Bias, -32768, 32767); }

inline Cardinal MixPixel(Cardinal S, Cardinal D, Integer A, Integer B) {
  Cardinal r = 0;
  for (int shift = 0; shift < 32; shift += 8) {
    Integer s = Integer((S >> shift) & 0xFF), d = Integer((D >> shift) & 0xFF);
    // (S - D) * A + 256 * D stays within 0..65280 for A in 0..255, so the
    // logical shift of the lane is a plain division here.
    Integer v = ((s - d) * A + 256 * d) >> 8;
    r |= Cardinal(std::clamp(v + B, 0, 255)) << shift;
  }
  return r;
}

void ConstantAlphaLine_Plain(const Cardinal* S, Cardinal* D, Integer Count, Integer A, Integer B) {
  for (Integer i = 0; i < Count; ++i) D[i] = MixPixel(S[i], D[i], A, B);
}

void PerPixelAlphaLine_Plain(const Cardinal* S, Cardinal* D, Integer Count, Integer, Integer B) {
  for (Integer i = 0; i < Count; ++i) D[i] = MixPixel(S[i], D[i], Integer(S[i] >> 24), B);
}

void MasterAlphaLine_Plain(const Cardinal* S, Cardinal* D, Integer Count, Integer A, Integer B) {
  for (Integer i = 0; i < Count; ++i) D[i] = MixPixel(S[i], D[i], (Integer(S[i] >> 24) * A) >> 8, B);
}

// The colour has no alpha lane, so the destination's alpha byte is scaled
// by (256 - A) / 256 like the others.
void MasterAndColorLine_Plain(const Cardinal*, Cardinal* D, Integer Count, Integer A, Integer Color) {
  Cardinal c = Cardinal(Color);
  for (Integer i = 0; i < Count; ++i) D[i] = MixPixel(c, D[i], A, 0);
}

#if defined(__SSE2__)
// Two pixels per 128-bit register, one per half; a trailing odd pixel goes
// the plain way (which computes the same numbers).
template <int Kind>
void Line_SSE2(const Cardinal* S, Cardinal* D, Integer Count, Integer A, Integer B) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i alpha = _mm_set1_epi16(short(A));
  const __m128i bias = _mm_set1_epi16(short(Bias16(B)));
  const __m128i c128 = _mm_set1_epi16(128);
  const __m128i color = _mm_unpacklo_epi8(_mm_set1_epi32(int(B)), zero);
  Integer i = 0;
  for (; i + 2 <= Count; i += 2) {
    __m128i d = _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(D + i)), zero);
    __m128i s, a;
    if constexpr (Kind == 3) {
      s = color;
      a = alpha;
    } else {
      s = _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(S + i)), zero);
      if constexpr (Kind == 0) {
        a = alpha;
      } else {
        a = _mm_shufflehi_epi16(_mm_shufflelo_epi16(s, 0xFF), 0xFF);
        if constexpr (Kind == 2) a = _mm_srli_epi16(_mm_mullo_epi16(a, alpha), 8);
      }
    }
    __m128i t = _mm_add_epi16(_mm_mullo_epi16(_mm_sub_epi16(s, d), a), _mm_slli_epi16(d, 8));
    t = _mm_srli_epi16(t, 8);
    if constexpr (Kind != 3) t = _mm_adds_epi16(_mm_adds_epi16(_mm_sub_epi16(t, c128), bias), c128);
    _mm_storel_epi64(reinterpret_cast<__m128i*>(D + i), _mm_packus_epi16(t, zero));
  }
  if (i < Count) {
    if constexpr (Kind == 0) ConstantAlphaLine_Plain(S + i, D + i, Count - i, A, B);
    if constexpr (Kind == 1) PerPixelAlphaLine_Plain(S + i, D + i, Count - i, A, B);
    if constexpr (Kind == 2) MasterAlphaLine_Plain(S + i, D + i, Count - i, A, B);
    if constexpr (Kind == 3) MasterAndColorLine_Plain(S, D + i, Count - i, A, B);
  }
}
#endif

enum : Integer { FID_CONSTANTALPHA, FID_PERPIXELALPHA, FID_MASTERALPHA, FID_MASTERANDCOLOR };

TAlphaLineProc ConstantAlphaLine = ConstantAlphaLine_Plain;
TAlphaLineProc PerPixelAlphaLine = PerPixelAlphaLine_Plain;
TAlphaLineProc MasterAlphaLine = MasterAlphaLine_Plain;
TAlphaLineProc MasterAndColorLine = MasterAndColorLine_Plain;
TFunctionRegistry* GAlphaRegistry = nullptr;

// The bits of the 32-bit DIB section selected into DC, or false.
struct TDIBBits {
  Byte* Bits = nullptr;
  Integer Width = 0, Height = 0;  // Height negative for a top-down section
  Cardinal* Row(Integer Y) const {
    Integer h = Height > 0 ? Height : -Height;
    Integer index = Height > 0 ? h - Y - 1 : Y;
    return reinterpret_cast<Cardinal*>(Bits + std::size_t(index) * std::size_t(Width) * 4);
  }
  Integer Rows() const { return Height > 0 ? Height : -Height; }
};

bool GetBitmapBits(HDC DC, TDIBBits& Out) {
  HGDIOBJ bitmap = GetCurrentObject(DC, OBJ_BITMAP);
  DIBSECTION ds{};
  if (!bitmap || GetObjectW(bitmap, sizeof(ds), &ds) != int(sizeof(ds))) {
    TreeAssert(false, u"Alpha blending DC error: no bitmap available.");
    return false;
  }
  TreeAssert(ds.dsBm.bmBitsPixel * ds.dsBm.bmPlanes == 32, u"Alpha blending error: bitmap must use 32 bpp.");
  if (ds.dsBm.bmBitsPixel * ds.dsBm.bmPlanes != 32) return false;
  if (!ds.dsBm.bmBits) {
    TreeAssert(false, u"Alpha blending DC error: no bitmap available.");
    return false;
  }
  Out.Bits = static_cast<Byte*>(ds.dsBm.bmBits);
  Out.Width = ds.dsBm.bmWidth;
  Out.Height = ds.dsBmih.biHeight;
  return true;
}

}  // namespace

TAlphaLineSet AlphaLines() { return {ConstantAlphaLine, PerPixelAlphaLine, MasterAlphaLine, MasterAndColorLine}; }

TAlphaLineSet PlainAlphaLines() {
  return {ConstantAlphaLine_Plain, PerPixelAlphaLine_Plain, MasterAlphaLine_Plain, MasterAndColorLine_Plain};
}

TAlphaLineSet SSE2AlphaLines() {
#if defined(__SSE2__)
  return {Line_SSE2<0>, Line_SSE2<1>, Line_SSE2<2>, Line_SSE2<3>};
#else
  return PlainAlphaLines();
#endif
}

void InitLazyTreeBlending() {
  MMXAvailable = DetectMMX();
  TFunctionRegistry* r = NewRegistry(u"LazyTrees_qn bindings");
  GAlphaRegistry = r;
  r->RegisterBinding(FID_CONSTANTALPHA, &ConstantAlphaLine, "ConstantAlphaLine");
  r->RegisterBinding(FID_PERPIXELALPHA, &PerPixelAlphaLine, "PerPixelAlphaLine");
  r->RegisterBinding(FID_MASTERALPHA, &MasterAlphaLine, "MasterAlphaLine");
  r->RegisterBinding(FID_MASTERANDCOLOR, &MasterAndColorLine, "MasterAndColorLine");
  TAlphaLineSet plain = PlainAlphaLines();
  r->Add(FID_CONSTANTALPHA, plain.ConstantAlpha, {}, 0, "plain");
  r->Add(FID_PERPIXELALPHA, plain.PerPixelAlpha, {}, 0, "plain");
  r->Add(FID_MASTERALPHA, plain.MasterAlpha, {}, 0, "plain");
  r->Add(FID_MASTERANDCOLOR, plain.MasterAndColor, {}, 0, "plain");
#if defined(__SSE2__)
  TAlphaLineSet sse = SSE2AlphaLines();
  TCPUFeatures f{TCPUInstructionSet::ciSSE2};
  r->Add(FID_CONSTANTALPHA, sse.ConstantAlpha, f, 0, "SSE2");
  r->Add(FID_PERPIXELALPHA, sse.PerPixelAlpha, f, 0, "SSE2");
  r->Add(FID_MASTERALPHA, sse.MasterAlpha, f, 0, "SSE2");
  r->Add(FID_MASTERANDCOLOR, sse.MasterAndColor, f, 0, "SSE2");
#endif
  r->RebindAll();
}

void DoneLazyTreeBlending() {
  // The registry itself belongs to the registry list (freed with it).
  GAlphaRegistry = nullptr;
  TAlphaLineSet plain = PlainAlphaLines();
  ConstantAlphaLine = plain.ConstantAlpha;
  PerPixelAlphaLine = plain.PerPixelAlpha;
  MasterAlphaLine = plain.MasterAlpha;
  MasterAndColorLine = plain.MasterAndColor;
}

void RebindAlphaLines(bool ForcePlain) {
  if (!GAlphaRegistry) return;
  if (ForcePlain)
    GAlphaRegistry->RebindAll([](PFunctionInfo Info) { return Info->CPUFeatures.Empty() ? 0 : INVALID_PRIORITY; });
  else
    GAlphaRegistry->RebindAll();
}

void AlphaBlend(HDC Source, HDC Destination, const TRect& R, TPoint Target, TBlendMode Mode, Integer ConstantAlpha,
                Integer Bias) {
  if (R.Right <= R.Left || R.Bottom <= R.Top) return;
  TDIBBits dst;
  if (!GetBitmapBits(Destination, dst)) return;
  Integer alpha = std::clamp(ConstantAlpha, 0, 255);
  if (Mode == bmConstantAlphaAndColor) {
    // COLORREF (red lowest) to DIB order (blue lowest), alpha lane 0.
    Cardinal c = Cardinal(Bias);
    Integer color = Integer(((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF));
    TRect r(std::max(R.Left, 0), std::max(R.Top, 0), std::min(R.Right, dst.Width), std::min(R.Bottom, dst.Rows()));
    for (Integer y = r.Top; y < r.Bottom; ++y)
      MasterAndColorLine(nullptr, dst.Row(y) + r.Left, r.Right - r.Left, alpha, color);
    return;
  }
  TDIBBits src;
  if (!GetBitmapBits(Source, src)) return;
  // Clip the source rectangle to the source bitmap and the target area to
  // the destination, moving both together.
  Integer left = R.Left, top = R.Top, right = R.Right, bottom = R.Bottom, tx = Target.X, ty = Target.Y;
  auto clipStart = [](Integer& a, Integer& b, Integer lo) {
    if (a < lo) {
      b += lo - a;
      a = lo;
    }
  };
  clipStart(left, tx, 0);
  clipStart(tx, left, 0);
  clipStart(top, ty, 0);
  clipStart(ty, top, 0);
  right = std::min({right, src.Width, left + (dst.Width - tx)});
  bottom = std::min({bottom, src.Rows(), top + (dst.Rows() - ty)});
  if (right <= left || bottom <= top) return;
  TAlphaLineProc line = Mode == bmConstantAlpha ? ConstantAlphaLine
                        : Mode == bmPerPixelAlpha ? PerPixelAlphaLine
                                                  : MasterAlphaLine;
  Integer bias = Bias16(Bias);
  for (Integer y = 0; y < bottom - top; ++y)
    line(src.Row(top + y) + left, dst.Row(ty + y) + tx, right - left, alpha, bias);
}

// ---------------------------------------------------------------------------
// Drag image moves

void GetDragImageUpdateRects(Integer W, Integer H, Integer DeltaX, Integer DeltaY, TRect& R1, TRect& R2, TRect& R3,
                             TRect& R4, TRect& R5, TRect& R6) {
  Integer dx = DeltaX < 0 ? -DeltaX : DeltaX, dy = DeltaY < 0 ? -DeltaY : DeltaY;
  R1 = TRect(0, 0, W, H);
  const TRect none(0, 0, 0, 0);
  if (DeltaX > 0) {
    R3 = TRect(0, 0, dx, H);
    if (DeltaY > 0) {
      R2 = TRect(0, 0, W - dx, H - dy);
      R4 = TRect(dx, 0, W - dx, dy);
      R5 = TRect(0, H - dy, W - dx, dy);
      R6 = TRect(W - dx, 0, dx, H);
    } else if (DeltaY == 0) {
      R2 = TRect(0, 0, W - dx, H);
      R4 = none;
      R5 = TRect(W - dx, 0, dx, H);
      R6 = none;
    } else {
      R2 = TRect(0, dy, W - dx, H);
      R4 = TRect(dx, H - dy, W - dx, dy);
      R5 = TRect(0, 0, W - dx, dy);
      R6 = TRect(W - dx, 0, dx, H);
    }
  } else if (DeltaX == 0) {
    R3 = none;
    R5 = none;
    if (DeltaY > 0) {
      R2 = TRect(0, 0, W, H - dy);
      R4 = TRect(0, 0, W, dy);
      R6 = TRect(0, H - dy, W, dy);
    } else if (DeltaY == 0) {
      R2 = TRect(0, 0, W, H);
      R4 = TRect(0, 0, W, 0);
      R6 = TRect(0, H, W, 0);
    } else {
      R2 = TRect(0, dy, W, H);
      R4 = TRect(0, H - dy, W, dy);
      R6 = TRect(0, 0, W, dy);
    }
  } else {
    R5 = TRect(0, 0, dx, H);
    if (DeltaY > 0) {
      R2 = TRect(dx, 0, W, H);
      R3 = TRect(0, 0, W - dx, dy);
      R4 = TRect(W - dx, 0, dx, H);
      R6 = TRect(dx, H - dy, W - dx, dy);
    } else if (DeltaY == 0) {
      R2 = TRect(dx, 0, W, H);
      R3 = TRect(W - dx, 0, dx, H);
      R4 = none;
      R6 = none;
    } else {
      R2 = TRect(dx, dy, W, H);
      R3 = TRect(0, H - dy, W - dx, dy);
      R4 = TRect(W - dx, 0, dx, H);
      R6 = TRect(dx, 0, W - dx, dy);
    }
  }
}

}  // namespace qn
