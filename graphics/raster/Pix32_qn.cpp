#include "graphics/raster/Pix32_qn.h"

#include <emmintrin.h>

#include <cmath>
#include <cstring>

#include "graphics/raster/Pix32_LowLevel_qn.h"
#include "graphics/raster/Pix32_Math_qn.h"

namespace qn {

TColor32 Color32(TColor WinColor) {
  if (WinColor < 0) WinColor = static_cast<TColor>(GetSysColor(WinColor & 0xFF));
  return ColorSwap(WinColor);
}

TArrayOfColor32 ArrayOfColor32(const TColor32* Colors, Integer Count) {
  return Count > 0 ? TArrayOfColor32(Colors, Colors + Count) : TArrayOfColor32();
}

void Color32ToRGB(TColor32 C, Byte& R, Byte& G, Byte& B) {
  R = static_cast<Byte>(C >> 16);
  G = static_cast<Byte>(C >> 8);
  B = static_cast<Byte>(C);
}

void Color32ToRGBA(TColor32 C, Byte& R, Byte& G, Byte& B, Byte& A) {
  Color32ToRGB(C, R, G, B);
  A = static_cast<Byte>(C >> 24);
}

TColor32Components Color32Components(bool R, bool G, bool B, bool A) {
  TColor32Components s;
  if (B) s.Include(TColor32Component::ccBlue);
  if (G) s.Include(TColor32Component::ccGreen);
  if (R) s.Include(TColor32Component::ccRed);
  if (A) s.Include(TColor32Component::ccAlpha);
  return s;
}

void ScaleAlpha(TColor32& C, Single Scale) {
  // No clamping: only the low 8 bits of the product are kept.
  Int64 a = Round(static_cast<Single>(AlphaComponent(C) * Scale));
  C = (C & 0x00FFFFFFu) | (static_cast<Cardinal>(a & 0xFF) << 24);
}

HPALETTE WinPalette(const TPalette32& P) {
  // LOGPALETTE ends in a one-entry array: room for all 256 follows it.
  struct {
    LOGPALETTE Head;
    PALETTEENTRY More[255];
  } lp;
  lp.Head.palVersion = 0x300;
  lp.Head.palNumEntries = 256;
  PALETTEENTRY* e = lp.Head.palPalEntry;
  for (int i = 0; i < 256; ++i) {
    e[i].peRed = static_cast<Byte>(P[i] >> 16);
    e[i].peGreen = static_cast<Byte>(P[i] >> 8);
    e[i].peBlue = static_cast<Byte>(P[i]);
    e[i].peFlags = 0;
  }
  return CreatePalette(&lp.Head);
}

TFixed Fixed(Single S) { return static_cast<TFixed>(Round(static_cast<Double>(S) * 65536.0)); }

TPoint Point(const TFloatPoint& FP) {
  return {static_cast<Integer>(Round(FP.X)), static_cast<Integer>(Round(FP.Y))};
}
TPoint Point(const TFixedPoint& FXP) { return {FixedRound(FXP.X), FixedRound(FXP.Y)}; }
TFixedPoint FixedPoint(Single X, Single Y) { return {Fixed(X), Fixed(Y)}; }
TFixedPoint FixedPoint(const TFloatPoint& FP) { return {Fixed(FP.X), Fixed(FP.Y)}; }
TFixedPoint TFixedPoint::Create(const TFloatPoint& p) { return {Fixed(p.X), Fixed(p.Y)}; }

TRect MakeRect(const TFloatRect& FR, TRectRounding Rounding) {
  TRect r;
  switch (Rounding) {
    case TRectRounding::rrClosest: {
      // A layer's place is rounded for every rectangle repainted, in one
      // conversion of the four edges where all of them are well within
      // range: it rounds in the current rounding mode, as RoundI does, and
      // rounding a single-precision value directly gives what rounding its
      // exact double does. Edges out of range or NaN saturate below.
      //
      // The place is read in halves: one just returned by a virtual call
      // was stored that way, and one wide read of two stores waits for
      // them to retire instead of taking their values on the way.
      static_assert(sizeof(TFloatRect) == 4 * sizeof(float) && sizeof(TRect) == 4 * sizeof(int));
      const __m128 v = _mm_castpd_ps(_mm_loadh_pd(_mm_load_sd(reinterpret_cast<const double*>(&FR.Left)),
                                                  reinterpret_cast<const double*>(&FR.Right)));
      const __m128 magnitude = _mm_andnot_ps(_mm_set1_ps(-0.0f), v);
      if (_mm_movemask_ps(_mm_cmplt_ps(magnitude, _mm_set1_ps(2147483520.0f))) == 0xF) {
        _mm_storeu_si128(reinterpret_cast<__m128i*>(&r), _mm_cvtps_epi32(v));
        break;
      }
      r = {RoundI(FR.Left), RoundI(FR.Top), RoundI(FR.Right), RoundI(FR.Bottom)};
      break;
    }
    case TRectRounding::rrOutside:
      r = {Floor(FR.Left), Floor(FR.Top), Ceil(FR.Right), Ceil(FR.Bottom)};
      break;
    case TRectRounding::rrInside:
      r = {Ceil(FR.Left), Ceil(FR.Top), Floor(FR.Right), Floor(FR.Bottom)};
      if (r.Left > r.Right) r.Right = r.Left;
      if (r.Top > r.Bottom) r.Bottom = r.Top;
      break;
  }
  return r;
}

TRect MakeRect(const TFixedRect& FXR, TRectRounding Rounding) {
  TRect r;
  switch (Rounding) {
    case TRectRounding::rrClosest:
      r = {FixedRound(FXR.Left), FixedRound(FXR.Top), FixedRound(FXR.Right), FixedRound(FXR.Bottom)};
      break;
    case TRectRounding::rrOutside:
      r = {FixedFloor(FXR.Left), FixedFloor(FXR.Top), FixedCeil(FXR.Right), FixedCeil(FXR.Bottom)};
      break;
    case TRectRounding::rrInside:
      r = {FixedCeil(FXR.Left), FixedCeil(FXR.Top), FixedFloor(FXR.Right), FixedFloor(FXR.Bottom)};
      if (r.Left > r.Right) r.Right = r.Left;
      if (r.Top > r.Bottom) r.Bottom = r.Top;
      break;
  }
  return r;
}

TFixedRect FixedRect(const TFloatRect& FR) {
  return {Fixed(FR.Left), Fixed(FR.Top), Fixed(FR.Right), Fixed(FR.Bottom)};
}

namespace {
template <class R>
bool IntersectRectT(R& Dst, const R& R1, const R& R2) {
  R d;
  d.Left = R1.Left > R2.Left ? R1.Left : R2.Left;
  d.Top = R1.Top > R2.Top ? R1.Top : R2.Top;
  d.Right = R1.Right < R2.Right ? R1.Right : R2.Right;
  d.Bottom = R1.Bottom < R2.Bottom ? R1.Bottom : R2.Bottom;
  bool result = d.Right >= d.Left && d.Bottom >= d.Top;
  Dst = result ? d : R{};
  return result;
}
template <class R>
bool Empty(const R& r) { return r.Right <= r.Left || r.Bottom <= r.Top; }
template <class R>
bool UnionRectT(R& Dst, const R& R1, const R& R2) {
  R d = R1;
  if (!Empty(R2)) {
    if (R2.Left < d.Left) d.Left = R2.Left;
    if (R2.Top < d.Top) d.Top = R2.Top;
    if (R2.Right > d.Right) d.Right = R2.Right;
    if (R2.Bottom > d.Bottom) d.Bottom = R2.Bottom;
  }
  bool result = !Empty(d);
  Dst = result ? d : R{};
  return result;
}
}  // namespace

namespace Pix32_qn {
bool IntersectRect(TRect& Dst, const TRect& R1, const TRect& R2) { return IntersectRectT(Dst, R1, R2); }
bool UnionRect(TRect& Dst, const TRect& R1, const TRect& R2) { return UnionRectT(Dst, R1, R2); }
}  // namespace Pix32_qn

bool IntersectRect(TFloatRect& Dst, const TFloatRect& R1, const TFloatRect& R2) {
  return IntersectRectT(Dst, R1, R2);
}
bool UnionRect(TFloatRect& Dst, const TFloatRect& R1, const TFloatRect& R2) { return UnionRectT(Dst, R1, R2); }
bool EqualRect(const TFloatRect& R1, const TFloatRect& R2) { return std::memcmp(&R1, &R2, sizeof(TFloatRect)) == 0; }
bool EqualRectSize(const TRect& R1, const TRect& R2) {
  return R1.Right - R1.Left == R2.Right - R2.Left && R1.Bottom - R1.Top == R2.Bottom - R2.Top;
}
bool EqualRectSize(const TFloatRect& R1, const TFloatRect& R2) {
  TFixedRect a = FixedRect(R1), b = FixedRect(R2);
  return a.Right - a.Left == b.Right - b.Left && a.Bottom - a.Top == b.Bottom - b.Top;
}
void InflateRect(TFloatRect& R, TFloat Dx, TFloat Dy) {
  R.Left -= Dx;
  R.Top -= Dy;
  R.Right += Dx;
  R.Bottom += Dy;
}
void OffsetRect(TFloatRect& R, TFloat Dx, TFloat Dy) {
  R.Left += Dx;
  R.Top += Dy;
  R.Right += Dx;
  R.Bottom += Dy;
}
bool IsRectEmpty(const TFloatRect& FR) { return Empty(FR); }
bool PtInRect(const TRect& R, const TFloatPoint& P) {
  return P.X >= static_cast<Single>(R.Left) && P.X < static_cast<Single>(R.Right) &&
         P.Y >= static_cast<Single>(R.Top) && P.Y < static_cast<Single>(R.Bottom);
}
bool PtInRect(const TFloatRect& R, const TPoint& P) {
  return static_cast<Single>(P.X) >= R.Left && static_cast<Single>(P.X) < R.Right &&
         static_cast<Single>(P.Y) >= R.Top && static_cast<Single>(P.Y) < R.Bottom;
}
bool PtInRect(const TFloatRect& R, const TFloatPoint& P) {
  return P.X >= R.Left && P.X < R.Right && P.Y >= R.Top && P.Y < R.Bottom;
}

// ---------------------------------------------------------------------------
// Colour models

namespace {
Byte Low8(Int64 v) { return static_cast<Byte>(v & 0xFF); }
}  // namespace

TColor32 HSLtoRGB(Single H, Single S, Single L) {
  if (S == 0) {
    Byte g = Low8(Round(L * 255.0f));
    return Color32(g, g, g, 255);
  }
  const Single m2 = L <= 0.5f ? L * (1 + S) : L + S - L * S;
  const Single m1 = 2 * L - m2;
  auto hue = [&](Single h) -> Byte {
    h = h - std::floor(h);
    Single v;
    if (6 * h < 1)
      v = m1 + (m2 - m1) * h * 6;
    else if (2 * h < 1)
      v = m2;
    else if (3 * h < 2)
      v = m1 + (m2 - m1) * (2.0f / 3 - h) * 6;
    else
      v = m1;
    return Low8(Round(v * 255.0f));
  };
  return Color32(hue(H + 1.0f / 3), hue(H), hue(H - 1.0f / 3), 255);
}

void RGBtoHSL(TColor32 RGB, Single& H, Single& S, Single& L) {
  const Single r = RedComponent(RGB) * (1.0f / 255), g = GreenComponent(RGB) * (1.0f / 255),
               b = BlueComponent(RGB) * (1.0f / 255);
  Single mx = std::max(r, std::max(g, b)), mn = std::min(r, std::min(g, b));
  L = (mx + mn) * 0.5f;
  if (mx == mn) {
    H = 0;
    S = 0;
    return;
  }
  const Single d = mx - mn;
  S = L < 0.5f ? d / (mx + mn) : d / (2 - mx - mn);
  if (r == mx)
    H = (g - b) / d;
  else if (g == mx)
    H = 2 + (b - r) / d;
  else
    H = 4 + (r - g) / d;
  H = H / 6;
  if (H < 0) H = H + 1;
}

TColor32 HSLtoRGB(Integer H, Integer S, Integer L, Integer A) {
  Integer v;
  if (L <= 127)
    v = (L * (256 + S)) >> 8;
  else
    v = L + S - static_cast<Integer>(Div255(static_cast<Cardinal>(L * S)));
  if (v < 1) return 0xFF000000u;
  // Hues beyond one turn wrap around.
  H &= 0xFF;
  const Integer m1 = 2 * L - v;
  const Integer sector = (H * 6) >> 8;
  const Integer f = (H * 6) & 255;
  const Integer e = ((v - m1) * f) >> 8;
  Integer r, g, b;
  switch (sector) {
    case 0: r = v; g = m1 + e; b = m1; break;
    case 1: r = v - e; g = v; b = m1; break;
    case 2: r = m1; g = v; b = m1 + e; break;
    case 3: r = m1; g = v - e; b = v; break;
    case 4: r = m1 + e; g = m1; b = v; break;
    default: r = v; g = m1; b = v - e; break;
  }
  return Color32(Low8(r), Low8(g), Low8(b), Low8(A));
}

void RGBtoHSL(TColor32 RGB, Byte& H, Byte& S, Byte& L) {
  const Integer r = RedComponent(RGB), g = GreenComponent(RGB), b = BlueComponent(RGB);
  const Integer mx = Max(r, g, b), mn = Min(r, g, b);
  L = static_cast<Byte>((mx + mn) >> 1);
  if (mx == mn) {
    H = 0;
    S = 0;
    return;
  }
  const Integer d = (mx - mn) * 255;
  S = Low8(L <= 127 ? d / (mx + mn) : d / (510 - mx - mn));
  const Integer q = (mx - mn) * 1530;
  Integer h;
  if (r == mx)
    h = (g - b) * 65025 / q;
  else if (g == mx)
    h = 85 + (b - r) * 65025 / q;
  else
    h = 170 + (r - g) * 65025 / q;
  if (h < 0) h += 510;
  H = Low8(h);
}

TColor32 HSVtoRGB(Single H, Single S, Single V) {
  const Single vv = V * 255;
  if (S == 0) {
    Byte g = Low8(Trunc(vv));
    return Color32(g, g, g, 255);
  }
  const Single h = H - std::floor(H);
  Single f = 6 * h - std::floor(6 * h);
  const Int64 i = Trunc(6 * h);
  if ((i & 1) == 0) f = 1 - f;
  const Byte m = Low8(Trunc(vv * (1 - S)));
  const Byte n = Low8(Trunc(vv * (1 - S * f)));
  const Byte w = Low8(Trunc(vv));
  switch (i) {
    case 0: return Color32(w, n, m, 255);
    case 1: return Color32(n, w, m, 255);
    case 2: return Color32(m, w, n, 255);
    case 3: return Color32(m, n, w, 255);
    case 4: return Color32(n, m, w, 255);
    case 5: return Color32(w, m, n, 255);
    default: return 0xFF000000u;
  }
}

void RGBToHSV(TColor32 Color, Single& H, Single& S, Single& V) {
  const Integer r = RedComponent(Color), g = GreenComponent(Color), b = BlueComponent(Color);
  const Integer mx = Max(r, g, b), mn = Min(r, g, b);
  V = mx / 255.0f;
  const Integer d = mx - mn;
  S = mx != 0 ? static_cast<Single>(d) / mx : 0;
  if (S == 0) {
    H = 0;
    return;
  }
  if (r == mx)
    H = (g - b) * (1.0f / 6) / d;
  else if (g == mx)
    H = (static_cast<Single>(b - r) / d + 2) * (1.0f / 6);
  else
    H = (static_cast<Single>(r - g) / d + 4) * (1.0f / 6);
  if (H < 0) H = H + 1;
}

// ---------------------------------------------------------------------------

Byte GAMMA_TABLE[256];

void SetGamma(Single Gamma) {
  for (int i = 0; i < 256; ++i)
    GAMMA_TABLE[i] = Low8(Round(std::pow(static_cast<Extended>(i) * (1.0L / 255), static_cast<Extended>(Gamma)) * 255));
}

TBitmap* StockBitmap = nullptr;

void InitPix32() {
  SetGamma(1.6f);
  StockBitmap = new TBitmap();
  StockBitmap->SetSize(8, 8);
}

void DonePix32() { FreeAndNil(StockBitmap); }

}  // namespace qn
