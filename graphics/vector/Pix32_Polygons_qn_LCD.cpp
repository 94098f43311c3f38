// The subpixel renderers: coverage on a grid three times finer across, one
// column per colour component, filtered into per-component weights.
#include <cmath>
#include <cstring>

#include "graphics/raster/Pix32_Blend_qn.h"
#include "graphics/raster/Pix32_Math_qn.h"
#include "graphics/raster/Pix32_qn_Routines.h"
#include "graphics/vector/Pix32_Polygons_qn.h"
#include "graphics/vector/Pix32_VectorUtils_qn.h"

namespace qn {

namespace {

// abs(floor(v * 65536)) without overflow for coverage sums of any size; a
// non-finite value covers nothing.
Cardinal LCDCoverageUnits(Single V) {
  const double F = std::floor(static_cast<double>(V) * 65536.0);
  if (!std::isfinite(F)) return 0;
  const double A = std::fabs(F);
  return A >= 4294967295.0 ? 0xFFFFFFFFu : static_cast<Cardinal>(A);
}

// Each subpixel's share t = c·A·86/2^24 (at most 85) goes into three
// neighbouring output bytes, so byte i sums the shares of subpixels i-2,
// i-1 and i at a third of the colour's alpha each, through the gamma table.
// The two bytes after the last keep the uncorrected tail of the filter.
template <bool EvenOdd>
void LCDFill(const Single* Coverage, Byte* P, Integer N, TColor32 Color) {
  const Cardinal A86 = (Color >> 24) * 86u;
  P[0] = 0;
  P[1] = 0;
  uint32_t LastBits = 0x7F800000u;  // +inf: the first value is never a match
  Cardinal T = 0;
  for (Integer I = 0; I < N; ++I) {
    uint32_t Bits;
    std::memcpy(&Bits, &Coverage[I], sizeof Bits);
    if (I == 0 || Bits != LastBits) {
      Cardinal C = LCDCoverageUnits(Coverage[I]);
      if constexpr (EvenOdd) {
        C &= 0x1FFFFu;
        if (C > 65535u) C ^= 0x1FFFFu;
      } else if (C > 65536u) {
        C = 65536u;
      }
      T = (C * A86) >> 24;
      LastBits = Bits;
    }
    P[I] = GAMMA_TABLE[P[I] + T];
    P[I + 1] = static_cast<Byte>(P[I + 1] + T);
    P[I + 2] = static_cast<Byte>(T);
  }
  P[N + 2] = 0;
  P[N + 3] = 0;
}

// The same, then a second three-tap box run backwards so that each byte
// still reads the first pass's values of its left neighbours.
template <bool EvenOdd>
void LCD2Fill(const Single* Coverage, Byte* P, Integer N, TColor32 Color) {
  LCDFill<EvenOdd>(Coverage, P, N, Color);
  P[N + 2] = static_cast<Byte>((P[N] + P[N + 1]) / 3);
  P[N + 3] = static_cast<Byte>(P[N + 1] / 3);
  for (Integer I = N + 1; I >= 2; --I) P[I] = static_cast<Byte>((P[I] + P[I - 1] + P[I - 2]) / 3);
  P[1] = static_cast<Byte>((P[0] + P[1]) / 3);
  P[0] = static_cast<Byte>(P[0] / 3);
}

constexpr TLCDFillProc kLCDFillProcs[2] = {&LCDFill<true>, &LCDFill<false>};
constexpr TLCDFillProc kLCD2FillProcs[2] = {&LCD2Fill<true>, &LCD2Fill<false>};

}  // namespace

// ---- TPolygonRenderer32LCD ----

TLCDFillProc TPolygonRenderer32LCD::FillProc(TPolyFillMode Mode) { return kLCDFillProcs[static_cast<int>(Mode) & 1]; }

TLCDFillProc TPolygonRenderer32LCD::GetLCDFillProc() { return FillProc(FFillMode); }

TRenderSpanEvent TPolygonRenderer32LCD::GetRenderSpan() {
  // Always the subpixel spans: a filler has no say here.
  return MakeEvent(this, &TPolygonRenderer32LCD::RenderSpan);
}

Byte* TPolygonRenderer32LCD::Window(Integer Len) {
  const size_t Size = static_cast<size_t>(Len) + 11;
  if (FWindow.size() < Size) FWindow.resize(Size);
  // The five leading bytes are the left spill's empty history; the last
  // two are read by the final pixel's four-byte word and never written.
  std::memset(FWindow.data(), 0, 5);
  std::memset(FWindow.data() + Size - 2, 0, 2);
  return FWindow.data();
}

void TPolygonRenderer32LCD::BlendSubpixels(const Byte* Weights, PColor32 Dst, Integer Pixels) {
  for (Integer I = 0; I < Pixels; ++I) {
    uint32_t W;
    std::memcpy(&W, Weights + 3 * I, sizeof W);
    if (W == 0xFFFFFFFFu)
      Dst[I] = FColor;
    else
      BlendMemRGB(FColor, Dst[I], W);
  }
  EMMS();
}

void TPolygonRenderer32LCD::RenderSpan(const TValueSpan& Span, Integer DstY) {
  const Integer Len = Span.X2 - Span.X1 + 1;
  if (Len <= 0) return;
  Integer Off;
  Integer DstX = DivMod(Span.X1, 3, Off);
  Byte* P = Window(Len);
  // The filter spills one pixel to the left, unless there is none.
  if (DstX > 0) {
    --DstX;
    Off += 3;
  }
  GetLCDFillProc()(Span.Values, P + 5, Len, FColor);
  BlendSubpixels(P + 5 - Off, FBitmap->ScanLine(DstY) + DstX, (Len + Off + 2) / 3);
}

void TPolygonRenderer32LCD::PolyPolygonFS(const TArrayOfArrayOfFloatPoint& Points, const TFloatRect& ClipRect) {
  if (!FBitmap || FBitmap->Empty()) return;
  if (!(ClipRect.Left < ClipRect.Right) || !(ClipRect.Top < ClipRect.Bottom)) return;
  TFloatRect R;
  if (!IntersectRect(R, ClipRect, FloatRect(FBitmap->BoundsRect()))) return;
  R.Left *= 3;
  R.Right *= 3;
  RenderPolyPolygon(ScalePolyPolygon(Points, 3.0f, 1.0f), R, GetRenderSpan());
  ReportChanges(Points);
}

// ---- TPolygonRenderer32LCD2 ----

TLCDFillProc TPolygonRenderer32LCD2::FillProc(TPolyFillMode Mode) { return kLCD2FillProcs[static_cast<int>(Mode) & 1]; }

TLCDFillProc TPolygonRenderer32LCD2::GetLCDFillProc() { return FillProc(FFillMode); }

void TPolygonRenderer32LCD2::RenderSpan(const TValueSpan& Span, Integer DstY) {
  const Integer Len = Span.X2 - Span.X1 + 1;
  if (Len <= 0) return;
  Integer Off;
  Integer DstX = DivMod(Span.X1, 3, Off);
  Byte* P = Window(Len);
  if (DstX > 0) {
    --DstX;
    Off += 3;
  }
  // The second pass moves the weights one subpixel further right.
  --Off;
  GetLCDFillProc()(Span.Values, P + 5, Len, FColor);
  BlendSubpixels(P + 5 - Off, FBitmap->ScanLine(DstY) + DstX, (Len + 1 + Off + 2) / 3);
}

// ---- entry points ----

namespace {

template <class TRenderer>
void FillLCD(TCustomBitmap32* Bitmap, const TArrayOfArrayOfFloatPoint& Points, const TRect* ClipRect,
             TColor32 Color, TPolyFillMode FillMode, TTransformation* Transformation) {
  if (!Bitmap) return;
  TRect R = Bitmap->ClipRect();
  if (ClipRect && !Pix32_qn::IntersectRect(R, Bitmap->ClipRect(), *ClipRect)) return;
  TRenderer Renderer;
  Renderer.SetBitmap(Bitmap);
  Renderer.SetColor(Color);
  Renderer.SetFillMode(FillMode);
  Renderer.PolyPolygonFS(Points, FloatRect(R), Transformation);
}

}  // namespace

void PolyPolygonFS_LCD(TCustomBitmap32* Bitmap, const TArrayOfArrayOfFloatPoint& Points, TColor32 Color,
                       TPolyFillMode FillMode, TTransformation* Transformation) {
  FillLCD<TPolygonRenderer32LCD>(Bitmap, Points, nullptr, Color, FillMode, Transformation);
}
void PolygonFS_LCD(TCustomBitmap32* Bitmap, const TArrayOfFloatPoint& Points, TColor32 Color, TPolyFillMode FillMode,
                   TTransformation* Transformation) {
  FillLCD<TPolygonRenderer32LCD>(Bitmap, PolyPolygon(Points), nullptr, Color, FillMode, Transformation);
}
void PolyPolygonFS_LCD(TCustomBitmap32* Bitmap, const TArrayOfArrayOfFloatPoint& Points, const TRect& ClipRect,
                       TColor32 Color, TPolyFillMode FillMode, TTransformation* Transformation) {
  FillLCD<TPolygonRenderer32LCD>(Bitmap, Points, &ClipRect, Color, FillMode, Transformation);
}
void PolygonFS_LCD(TCustomBitmap32* Bitmap, const TArrayOfFloatPoint& Points, const TRect& ClipRect, TColor32 Color,
                   TPolyFillMode FillMode, TTransformation* Transformation) {
  FillLCD<TPolygonRenderer32LCD>(Bitmap, PolyPolygon(Points), &ClipRect, Color, FillMode, Transformation);
}
void PolyPolygonFS_LCD2(TCustomBitmap32* Bitmap, const TArrayOfArrayOfFloatPoint& Points, TColor32 Color,
                        TPolyFillMode FillMode, TTransformation* Transformation) {
  FillLCD<TPolygonRenderer32LCD2>(Bitmap, Points, nullptr, Color, FillMode, Transformation);
}
void PolygonFS_LCD2(TCustomBitmap32* Bitmap, const TArrayOfFloatPoint& Points, TColor32 Color,
                    TPolyFillMode FillMode, TTransformation* Transformation) {
  FillLCD<TPolygonRenderer32LCD2>(Bitmap, PolyPolygon(Points), nullptr, Color, FillMode, Transformation);
}
void PolyPolygonFS_LCD2(TCustomBitmap32* Bitmap, const TArrayOfArrayOfFloatPoint& Points, const TRect& ClipRect,
                        TColor32 Color, TPolyFillMode FillMode, TTransformation* Transformation) {
  FillLCD<TPolygonRenderer32LCD2>(Bitmap, Points, &ClipRect, Color, FillMode, Transformation);
}
void PolygonFS_LCD2(TCustomBitmap32* Bitmap, const TArrayOfFloatPoint& Points, const TRect& ClipRect,
                    TColor32 Color, TPolyFillMode FillMode, TTransformation* Transformation) {
  FillLCD<TPolygonRenderer32LCD2>(Bitmap, PolyPolygon(Points), &ClipRect, Color, FillMode, Transformation);
}
void PolygonXS_LCD(TCustomBitmap32* Bitmap, const TArrayOfFixedPoint& Points, TColor32 Color, TPolyFillMode FillMode,
                   TTransformation* Transformation) {
  PolygonFS_LCD(Bitmap, FixedPointToFloatPoint(Points), Color, FillMode, Transformation);
}
void PolyPolygonXS_LCD(TCustomBitmap32* Bitmap, const TArrayOfArrayOfFixedPoint& Points, TColor32 Color,
                       TPolyFillMode FillMode, TTransformation* Transformation) {
  PolyPolygonFS_LCD(Bitmap, FixedPointToFloatPoint(Points), Color, FillMode, Transformation);
}
void PolygonXS_LCD2(TCustomBitmap32* Bitmap, const TArrayOfFixedPoint& Points, TColor32 Color,
                    TPolyFillMode FillMode, TTransformation* Transformation) {
  PolygonFS_LCD2(Bitmap, FixedPointToFloatPoint(Points), Color, FillMode, Transformation);
}
void PolyPolygonXS_LCD2(TCustomBitmap32* Bitmap, const TArrayOfArrayOfFixedPoint& Points, TColor32 Color,
                        TPolyFillMode FillMode, TTransformation* Transformation) {
  PolyPolygonFS_LCD2(Bitmap, FixedPointToFloatPoint(Points), Color, FillMode, Transformation);
}

}  // namespace qn
