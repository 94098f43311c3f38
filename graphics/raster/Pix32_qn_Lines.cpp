// Pix32_qn: the line drawing of TCustomBitmap32 — runs, Bresenham lines with
// exact clipping, Wu-style anti-aliased lines, sub-pixel lines, stippled
// lines and the pen.
//
// The clipped integer lines do not re-derive a Bresenham line from the
// clipped end points (that shifts the pixels). They compute, in closed form,
// the range of steps of the unclipped line whose pixels fall inside the clip
// rectangle and start the error term where the unclipped line would have it
// at that step, so a clipped line is always the unclipped line restricted.
#include <algorithm>
#include <cmath>

#include "graphics/raster/Pix32_Blend_qn.h"
#include "graphics/raster/Pix32_qn.h"

namespace qn {

namespace {

using Int128 = __int128;

Int64 FloorDiv(Int128 A, Int64 B) {
  Int128 q = A / B;
  if ((A % B != 0) && ((A < 0) != (B < 0))) --q;
  return static_cast<Int64>(std::clamp<Int128>(q, INT64_MIN / 4, INT64_MAX / 4));
}

Int64 CeilDiv(Int128 A, Int64 B) { return -FloorDiv(-A, B); }

Integer Sign(Int64 V) { return V < 0 ? -1 : 1; }

// The rectangle of a run with its last pixel inclusive: right and bottom
// exclusive, whatever the order of the ends.
TRect RunRect(Integer X1, Integer Y1, Integer X2, Integer Y2) {
  return TRect(std::min(X1, X2), std::min(Y1, Y2), std::max(X1, X2) + 1, std::max(Y1, Y2) + 1);
}

}  // namespace

// ---------------------------------------------------------------------------
// Horizontal and vertical runs.

void TCustomBitmap32::HorzLine(Integer X1, Integer Y, Integer X2, TColor32 Value) {
  if (X2 < X1) return;
  FillLongword(FBits + X1 + Y * FWidth, static_cast<Cardinal>(X2 - X1 + 1), Value);
}

void TCustomBitmap32::HorzLineT(Integer X1, Integer Y, Integer X2, TColor32 Value) {
  if (X2 < X1) return;
  PColor32 p = FBits + X1 + Y * FWidth;
  for (Integer i = X1; i <= X2; ++i) BlendProc(Value, *p++);
  EMMS();
}

void TCustomBitmap32::HorzLineS(Integer X1, Integer Y, Integer X2, TColor32 Value) {
  if (FMeasuringMode) {
    Changed(RunRect(X1, Y, X2, Y), AREA_RECT_FLAG);
  } else if (Y >= FClipRect.Top && Y < FClipRect.Bottom && TestClip(X1, X2, FClipRect.Left, FClipRect.Right)) {
    HorzLine(X1, Y, X2, Value);
    Changed(RunRect(X1, Y, X2, Y), AREA_RECT_FLAG);
  }
}

void TCustomBitmap32::HorzLineTS(Integer X1, Integer Y, Integer X2, TColor32 Value) {
  if (FMeasuringMode) {
    Changed(RunRect(X1, Y, X2, Y), AREA_RECT_FLAG);
  } else if (Y >= FClipRect.Top && Y < FClipRect.Bottom && TestClip(X1, X2, FClipRect.Left, FClipRect.Right)) {
    HorzLineT(X1, Y, X2, Value);
    Changed(RunRect(X1, Y, X2, Y), AREA_RECT_FLAG);
  }
}

void TCustomBitmap32::VertLine(Integer X, Integer Y1, Integer Y2, TColor32 Value) {
  if (Y2 < Y1) return;
  PColor32 p = FBits + X + Y1 * FWidth;
  for (Integer i = Y1; i <= Y2; ++i, p += FWidth) *p = Value;
}

void TCustomBitmap32::VertLineT(Integer X, Integer Y1, Integer Y2, TColor32 Value) {
  if (Y2 < Y1) return;
  PColor32 p = FBits + X + Y1 * FWidth;
  for (Integer i = Y1; i <= Y2; ++i, p += FWidth) BlendProc(Value, *p);
  EMMS();
}

void TCustomBitmap32::VertLineS(Integer X, Integer Y1, Integer Y2, TColor32 Value) {
  if (FMeasuringMode) {
    Changed(RunRect(X, Y1, X, Y2), AREA_RECT_FLAG);
  } else if (X >= FClipRect.Left && X < FClipRect.Right && TestClip(Y1, Y2, FClipRect.Top, FClipRect.Bottom)) {
    VertLine(X, Y1, Y2, Value);
    Changed(RunRect(X, Y1, X, Y2), AREA_RECT_FLAG);
  }
}

void TCustomBitmap32::VertLineTS(Integer X, Integer Y1, Integer Y2, TColor32 Value) {
  if (FMeasuringMode) {
    Changed(RunRect(X, Y1, X, Y2), AREA_RECT_FLAG);
  } else if (X >= FClipRect.Left && X < FClipRect.Right && TestClip(Y1, Y2, FClipRect.Top, FClipRect.Bottom)) {
    VertLineT(X, Y1, Y2, Value);
    Changed(RunRect(X, Y1, X, Y2), AREA_RECT_FLAG);
  }
}

// ---------------------------------------------------------------------------
// Stipple.

void TCustomBitmap32::SetStipple(const TArrayOfColor32& NewStipple) {
  FStippleCounter = 0;
  FStipplePattern = NewStipple;
}

namespace {
// Into [0, N); a modulo rather than repeated subtraction, so that a counter
// far out of range cannot stall.
Single WrapCounter(Single C, Integer N) {
  if (!std::isfinite(C)) return 0;
  const double n = N;
  double r = static_cast<double>(C) - std::floor(static_cast<double>(C) / n) * n;
  Single s = static_cast<Single>(r);
  if (s >= static_cast<Single>(N) || s < 0) s = 0;
  return s;
}
}  // namespace

void TCustomBitmap32::AdvanceStippleCounter(Single LengthPixels) {
  const Integer N = static_cast<Integer>(FStipplePattern.size());
  const Single D = LengthPixels * FStippleStep;
  if (N > 0 && D != 0) FStippleCounter = WrapCounter(FStippleCounter + D, N);
}

TColor32 TCustomBitmap32::GetStippleColor() {
  const Integer N = static_cast<Integer>(FStipplePattern.size());
  if (N == 0) return 0xFF000000u;
  const Single c = WrapCounter(FStippleCounter, N);
  FStippleCounter = c;
  Integer i = static_cast<Integer>(Round(c - 0.5f));
  if (i < 0) i += N;
  if (i >= N) i -= N;
  Single frac = c - static_cast<Single>(i);
  if (frac < 0) frac += static_cast<Single>(N);
  const Integer w = 255 - static_cast<Integer>(Round(255 * frac));
  Integer j = i + 1;
  if (j == N) j = 0;
  TColor32 r;
  if (w >= 255) {
    r = FStipplePattern[i];
  } else {
    r = CombineReg(FStipplePattern[i], FStipplePattern[j], static_cast<TColor32>(std::clamp(w, 0, 255)));
    EMMS();
  }
  FStippleCounter = c + FStippleStep;
  return r;
}

namespace {

// Clips the stippled run A1..A2 to [Lo, Hi) along its axis. The stipple
// counter advances over the part cut off before the run, so the pattern stays
// where an unclipped run would leave it; the length cut off after the run is
// returned for the caller to advance past once it has drawn. With the run
// wholly outside (Inside false for the cross axis), the counter advances over
// all of it and -1 is returned.
Int64 ClipStippleRun(TCustomBitmap32& B, bool Inside, Integer& A1, Integer& A2, Integer Lo, Integer Hi) {
  if (!Inside || (A1 < Lo && A2 < Lo) || (A1 >= Hi && A2 >= Hi)) {
    B.AdvanceStippleCounter(static_cast<Single>(std::abs(Int64(A2) - A1) + 1));
    return -1;
  }
  if (A1 < Lo) {
    B.AdvanceStippleCounter(static_cast<Single>(Int64(Lo) - A1));
    A1 = Lo;
  } else if (A1 >= Hi) {
    B.AdvanceStippleCounter(static_cast<Single>(Int64(A1) - (Hi - 1)));
    A1 = Hi - 1;
  }
  Int64 R = 0;
  if (A2 < Lo) {
    R = Int64(Lo) - A2;
    A2 = Lo;
  } else if (A2 >= Hi) {
    R = Int64(A2) - (Hi - 1);
    A2 = Hi - 1;
  }
  return R;
}

}  // namespace

void TCustomBitmap32::HorzLineTSP(Integer X1, Integer Y, Integer X2) {
  if (FMeasuringMode) {
    Changed(RunRect(X1, Y, X2, Y), AREA_RECT_FLAG);
    return;
  }
  if (Empty()) return;
  const Int64 R = ClipStippleRun(*this, Y >= FClipRect.Top && Y < FClipRect.Bottom, X1, X2, FClipRect.Left,
                                 FClipRect.Right);
  if (R < 0) return;
  const Integer s = X2 >= X1 ? 1 : -1;
  for (Integer x = X1;; x += s) {
    SetPixelT(x, Y, GetStippleColor());
    if (x == X2) break;
  }
  Changed(RunRect(X1, Y, X2, Y), AREA_RECT_FLAG);
  if (R > 0) AdvanceStippleCounter(static_cast<Single>(R));
}

void TCustomBitmap32::VertLineTSP(Integer X, Integer Y1, Integer Y2) {
  if (FMeasuringMode) {
    Changed(RunRect(X, Y1, X, Y2), AREA_RECT_FLAG);
    return;
  }
  if (Empty()) return;
  const Int64 R = ClipStippleRun(*this, X >= FClipRect.Left && X < FClipRect.Right, Y1, Y2, FClipRect.Top,
                                 FClipRect.Bottom);
  if (R < 0) return;
  const Integer s = Y2 >= Y1 ? 1 : -1;
  for (Integer y = Y1;; y += s) {
    SetPixelT(X, y, GetStippleColor());
    if (y == Y2) break;
  }
  Changed(RunRect(X, Y1, X, Y2), AREA_RECT_FLAG);
  if (R > 0) AdvanceStippleCounter(static_cast<Single>(R));
}

// ---------------------------------------------------------------------------
// Bresenham lines. Along the major axis (length M, minor length m, with
// y major when |Dy| >= |Dx|) pixel k lies at minor offset
// floor((M shr 1 + k m) / M); the loops below and the clipped forms both
// follow that rule.

void TCustomBitmap32::Line(Integer X1, Integer Y1, Integer X2, Integer Y2, TColor32 Value, bool L) {
  const TRect R(X1, Y1, X2, Y2);
  Integer Dx = X2 - X1, Dy = Y2 - Y1;
  if (Dx == 0) {
    if (Dy > 0) VertLine(X1, Y1, Y2 - 1, Value);
    else if (Dy < 0) VertLine(X1, Y2 + 1, Y1, Value);
    if (L) SetPixel(X2, Y2, Value);
  } else if (Dy == 0) {
    if (Dx > 0) HorzLine(X1, Y1, X2 - 1, Value);
    else HorzLine(X2 + 1, Y1, X1, Value);
    if (L) SetPixel(X2, Y2, Value);
  } else {
    const Integer Sx = Dx < 0 ? -1 : 1, Sy = Dy < 0 ? -1 : 1;
    Dx = std::abs(Dx);
    Dy = std::abs(Dy);
    PColor32 P = FBits + X1 + Y1 * FWidth;
    const NativeInt Row = NativeInt(Sy) * FWidth;
    if (Dy >= Dx) {
      Integer e = Dy >> 1;
      for (Integer i = 0; i < Dy; ++i) {
        *P = Value;
        P += Row;
        e += Dx;
        if (e >= Dy) {
          P += Sx;
          e -= Dy;
        }
      }
    } else {
      Integer e = Dx >> 1;
      for (Integer i = 0; i < Dx; ++i) {
        *P = Value;
        P += Sx;
        e += Dy;
        if (e >= Dx) {
          P += Row;
          e -= Dx;
        }
      }
    }
    if (L) *P = Value;
  }
  Changed(R, AREA_LINE_FLAG + 2);
}

void TCustomBitmap32::LineT(Integer X1, Integer Y1, Integer X2, Integer Y2, TColor32 Value, bool L) {
  const TRect R(X1, Y1, X2, Y2);
  Integer Dx = X2 - X1, Dy = Y2 - Y1;
  if (Dx == 0) {
    if (Dy > 0) VertLineT(X1, Y1, Y2 - 1, Value);
    else if (Dy < 0) VertLineT(X1, Y2 + 1, Y1, Value);
    if (L) SetPixelT(X2, Y2, Value);
  } else if (Dy == 0) {
    if (Dx > 0) HorzLineT(X1, Y1, X2 - 1, Value);
    else HorzLineT(X2 + 1, Y1, X1, Value);
    if (L) SetPixelT(X2, Y2, Value);
  } else {
    const Integer Sx = Dx < 0 ? -1 : 1, Sy = Dy < 0 ? -1 : 1;
    Dx = std::abs(Dx);
    Dy = std::abs(Dy);
    PColor32 P = FBits + X1 + Y1 * FWidth;
    const NativeInt Row = NativeInt(Sy) * FWidth;
    if (Dy >= Dx) {
      Integer e = Dy >> 1;
      for (Integer i = 0; i < Dy; ++i) {
        BlendProc(Value, *P);
        P += Row;
        e += Dx;
        if (e >= Dy) {
          P += Sx;
          e -= Dy;
        }
      }
    } else {
      Integer e = Dx >> 1;
      for (Integer i = 0; i < Dx; ++i) {
        BlendProc(Value, *P);
        P += Sx;
        e += Dy;
        if (e >= Dx) {
          P += Row;
          e -= Dx;
        }
      }
    }
    if (L) BlendProc(Value, *P);
    EMMS();
  }
  Changed(R, AREA_LINE_FLAG + 2);
}

namespace {

// The steps [First, Last] of a line from A (major axis, direction Sa) whose
// major coordinate lies in [Lo, Hi].
void MajorRange(Int64 A, Integer Sa, Int64 Lo, Int64 Hi, Int64& First, Int64& Last) {
  if (Sa > 0) {
    First = std::max(First, Lo - A);
    Last = std::min(Last, Hi - A);
  } else {
    First = std::max(First, A - Hi);
    Last = std::min(Last, A - Lo);
  }
}

// The minor offsets (counted in the line's minor direction Sb from B) that
// land in [Lo, Hi].
void MinorOffsets(Int64 B, Integer Sb, Int64 Lo, Int64 Hi, Int64& OLo, Int64& OHi) {
  if (Sb > 0) {
    OLo = Lo - B;
    OHi = Hi - B;
  } else {
    OLo = B - Hi;
    OHi = B - Lo;
  }
}

}  // namespace

// Shared by LineS and LineTS: the pixels of the unclipped Bresenham line
// inside the clip rectangle. Returns whether any pixel was visible.
template <bool Blend>
static bool ClippedBresenham(TCustomBitmap32& B, Integer X1, Integer Y1, Integer X2, Integer Y2, TColor32 Value,
                             bool L) {
  const TRect& C = B.ClipRect();
  if (C.Right <= C.Left || C.Bottom <= C.Top) return false;
  const Int64 Dx = Int64(X2) - X1, Dy = Int64(Y2) - Y1;
  const Integer Sx = Sign(Dx), Sy = Sign(Dy);
  const Int64 Ax = std::abs(Dx), Ay = std::abs(Dy);
  const bool YMajor = Ay >= Ax;
  // Major axis a, minor axis b.
  const Int64 M = YMajor ? Ay : Ax, m = YMajor ? Ax : Ay;
  const Int64 A0 = YMajor ? Y1 : X1, B0 = YMajor ? X1 : Y1;
  const Integer Sa = YMajor ? Sy : Sx, Sb = YMajor ? Sx : Sy;
  const Int64 ALo = YMajor ? C.Top : C.Left, AHi = (YMajor ? C.Bottom : C.Right) - 1;
  const Int64 BLo = YMajor ? C.Left : C.Top, BHi = (YMajor ? C.Right : C.Bottom) - 1;
  const Int64 h = M >> 1;
  Int64 First = 0, Last = L ? M : M - 1;
  MajorRange(A0, Sa, ALo, AHi, First, Last);
  Int64 OLo, OHi;
  MinorOffsets(B0, Sb, BLo, BHi, OLo, OHi);
  // floor((h + k m) / M) >= OLo  and  <= OHi, for m > 0.
  First = std::max(First, CeilDiv(Int128(OLo) * M - h, m));
  Last = std::min(Last, FloorDiv(Int128(OHi + 1) * M - h - 1, m));
  if (First > Last) return false;
  const Int128 t = Int128(h) + Int128(First) * m;
  Int64 e = static_cast<Int64>(t % M);
  const Int64 o = static_cast<Int64>(t / M);
  const Int64 a = A0 + Sa * First, b = B0 + Sb * o;
  const Integer x = static_cast<Integer>(YMajor ? b : a), y = static_cast<Integer>(YMajor ? a : b);
  const NativeInt W = B.Width();
  const NativeInt MajorStep = YMajor ? Sa * W : Sa, MinorStep = YMajor ? Sb : Sb * W;
  PColor32 P = B.Bits() + x + NativeInt(y) * W;
  for (Int64 k = First; k <= Last; ++k) {
    if constexpr (Blend) B.BlendProc(Value, *P);
    else *P = Value;
    P += MajorStep;
    e += m;
    if (e >= M) {
      e -= M;
      P += MinorStep;
    }
  }
  if constexpr (Blend) EMMS();
  return true;
}

void TCustomBitmap32::LineS(Integer X1, Integer Y1, Integer X2, Integer Y2, TColor32 Value, bool L) {
  const TRect R(X1, Y1, X2, Y2);
  if (FMeasuringMode) {
    Changed(R, AREA_LINE_FLAG + 2);
    return;
  }
  if (X1 == X2 || Y1 == Y2) {
    if (X1 == X2 && Y2 > Y1) VertLineS(X1, Y1, Y2 - 1, Value);
    else if (X1 == X2 && Y2 < Y1) VertLineS(X1, Y2 + 1, Y1, Value);
    else if (Y1 == Y2 && X2 > X1) HorzLineS(X1, Y1, X2 - 1, Value);
    else if (Y1 == Y2 && X2 < X1) HorzLineS(X2 + 1, Y1, X1, Value);
    if (L) SetPixelS(X2, Y2, Value);
    Changed();
    return;
  }
  if (ClippedBresenham<false>(*this, X1, Y1, X2, Y2, Value, L)) Changed(R, AREA_LINE_FLAG + 2);
}

void TCustomBitmap32::LineTS(Integer X1, Integer Y1, Integer X2, Integer Y2, TColor32 Value, bool L) {
  const TRect R(X1, Y1, X2, Y2);
  if (FMeasuringMode) {
    Changed(R, AREA_LINE_FLAG + 2);
    return;
  }
  if (X1 == X2 || Y1 == Y2) {
    if (X1 == X2 && Y2 > Y1) VertLineTS(X1, Y1, Y2 - 1, Value);
    else if (X1 == X2 && Y2 < Y1) VertLineTS(X1, Y2 + 1, Y1, Value);
    else if (Y1 == Y2 && X2 > X1) HorzLineTS(X1, Y1, X2 - 1, Value);
    else if (Y1 == Y2 && X2 < X1) HorzLineTS(X2 + 1, Y1, X1, Value);
    if (L) SetPixelTS(X2, Y2, Value);
    Changed();
    return;
  }
  if (ClippedBresenham<true>(*this, X1, Y1, X2, Y2, Value, L)) Changed(R, AREA_LINE_FLAG + 2);
}

// ---------------------------------------------------------------------------
// Wu-style anti-aliased lines. With Grad = (m shl 16) div M, step i
// (1 <= i) of the major axis lies at minor offset (i Grad) shr 16 with the
// fraction (i Grad) and $FFFF; a pair of pixels shares the weight. The
// closed form is what a 16-bit accumulator that wraps gives, except that a
// gradient that rounds to 0 on a very long line no longer counts every step
// as a wrap.

namespace {

struct TWuLine {
  Int64 A0, B0, M;
  Integer Sa, Sb;
  bool YMajor;
  Int64 Grad;  // 16.16; 65536 for a diagonal
};

TWuLine WuSetup(Integer X1, Integer Y1, Integer X2, Integer Y2) {
  TWuLine w;
  const Int64 Dx = Int64(X2) - X1, Dy = Int64(Y2) - Y1;
  const Int64 Ax = std::abs(Dx), Ay = std::abs(Dy);
  w.YMajor = Ay > Ax;
  w.M = w.YMajor ? Ay : Ax;
  const Int64 m = w.YMajor ? Ax : Ay;
  w.A0 = w.YMajor ? Y1 : X1;
  w.B0 = w.YMajor ? X1 : Y1;
  w.Sa = w.YMajor ? Sign(Dy) : Sign(Dx);
  w.Sb = w.YMajor ? Sign(Dx) : Sign(Dy);
  w.Grad = (m << 16) / w.M;
  return w;
}

}  // namespace

void TCustomBitmap32::LineA(Integer X1, Integer Y1, Integer X2, Integer Y2, TColor32 Value, bool L) {
  if (X1 == X2 || Y1 == Y2) {
    LineT(X1, Y1, X2, Y2, Value, L);
    return;
  }
  TBlendMemEx* BlendEx = *BLEND_MEM_EX[static_cast<int>(FCombineMode)];
  (*BLEND_MEM[static_cast<int>(FCombineMode)])(Value, FBits[X1 + Y1 * FWidth]);
  const TWuLine w = WuSetup(X1, Y1, X2, Y2);
  const Int64 Count = L ? w.M : w.M - 1;
  for (Int64 i = 1; i <= Count; ++i) {
    const Int64 t = i * w.Grad;
    const Int64 a = w.A0 + w.Sa * i, b = w.B0 + w.Sb * (t >> 16);
    const Cardinal f = static_cast<Cardinal>(t & 0xFFFF) >> 8;
    const Integer x = static_cast<Integer>(w.YMajor ? b : a), y = static_cast<Integer>(w.YMajor ? a : b);
    BlendEx(Value, FBits[x + NativeInt(y) * FWidth], GAMMA_TABLE[f ^ 255]);
    const Integer x2 = w.YMajor ? x + w.Sb : x, y2 = w.YMajor ? y : y + w.Sb;
    BlendEx(Value, FBits[x2 + NativeInt(y2) * FWidth], GAMMA_TABLE[f]);
  }
  EMMS();
  Changed(TRect(X1, Y1, X2, Y2), AREA_LINE_FLAG + 2);
}

void TCustomBitmap32::LineAS(Integer X1, Integer Y1, Integer X2, Integer Y2, TColor32 Value, bool L) {
  const TRect R(X1, Y1, X2, Y2);
  if (FMeasuringMode) {
    Changed(R, AREA_LINE_FLAG + 2);
    return;
  }
  const TRect& C = FClipRect;
  if (C.Right <= C.Left || C.Bottom <= C.Top) return;
  if (X1 == X2 || Y1 == Y2) {
    if (X1 == X2 && Y2 > Y1) VertLineTS(X1, Y1, Y2 - 1, Value);
    else if (X1 == X2 && Y2 < Y1) VertLineTS(X1, Y2 + 1, Y1, Value);
    else if (Y1 == Y2 && X2 > X1) HorzLineTS(X1, Y1, X2 - 1, Value);
    else if (Y1 == Y2 && X2 < X1) HorzLineTS(X2 + 1, Y1, X1, Value);
    if (L) SetPixelTS(X2, Y2, Value);
    return;
  }
  const TWuLine w = WuSetup(X1, Y1, X2, Y2);
  const Int64 ALo = w.YMajor ? C.Top : C.Left, AHi = (w.YMajor ? C.Bottom : C.Right) - 1;
  const Int64 BLo = w.YMajor ? C.Left : C.Top, BHi = (w.YMajor ? C.Right : C.Bottom) - 1;
  Int64 First = 0, Last = L ? w.M : w.M - 1;
  MajorRange(w.A0, w.Sa, ALo, AHi, First, Last);
  Int64 OLo, OHi;
  MinorOffsets(w.B0, w.Sb, BLo, BHi, OLo, OHi);
  // A pair at offset o covers o and o + 1.
  if (w.Grad > 0) {
    First = std::max(First, CeilDiv(Int128(OLo - 1) * 65536, w.Grad));
    Last = std::min(Last, FloorDiv(Int128(OHi + 1) * 65536 - 1, w.Grad));
  } else if (OLo > 1 || OHi < -1) {
    return;
  }
  if (First > Last) return;
  TBlendMemEx* BlendEx = *BLEND_MEM_EX[static_cast<int>(FCombineMode)];
  auto Put = [&](Int64 a, Int64 o, Cardinal Weight, bool Full) {
    if (o < OLo || o > OHi) return;
    const Int64 b = w.B0 + w.Sb * o;
    const Integer x = static_cast<Integer>(w.YMajor ? b : a), y = static_cast<Integer>(w.YMajor ? a : b);
    if (Full) (*BLEND_MEM[static_cast<int>(FCombineMode)])(Value, FBits[x + NativeInt(y) * FWidth]);
    else BlendEx(Value, FBits[x + NativeInt(y) * FWidth], Weight);
  };
  for (Int64 i = First; i <= Last; ++i) {
    const Int64 a = w.A0 + w.Sa * i;
    if (i == 0) {
      Put(a, 0, 255, true);
      continue;
    }
    const Int64 t = i * w.Grad;
    const Cardinal f = static_cast<Cardinal>(t & 0xFFFF) >> 8;
    Put(a, t >> 16, GAMMA_TABLE[f ^ 255], false);
    Put(a, (t >> 16) + 1, GAMMA_TABLE[f], false);
  }
  EMMS();
  Changed(R, AREA_LINE_FLAG + 2);
}

// ---------------------------------------------------------------------------
// The pen.

void TCustomBitmap32::LineToS(Integer X, Integer Y) {
  LineS(RasterX, RasterY, X, Y, FPenColor);
  MoveTo(X, Y);
}

void TCustomBitmap32::LineToTS(Integer X, Integer Y) {
  LineTS(RasterX, RasterY, X, Y, FPenColor);
  MoveTo(X, Y);
}

void TCustomBitmap32::LineToAS(Integer X, Integer Y) {
  LineAS(RasterX, RasterY, X, Y, FPenColor);
  MoveTo(X, Y);
}

void TCustomBitmap32::MoveToF(Single X, Single Y) {
  RasterXF = Fixed(X);
  RasterYF = Fixed(Y);
}


void TCustomBitmap32::LineToXS(TFixed X, TFixed Y) {
  LineXS(RasterXF, RasterYF, X, Y, FPenColor);
  MoveToX(X, Y);
}

void TCustomBitmap32::LineToFS(Single X, Single Y) { LineToXS(Fixed(X), Fixed(Y)); }

void TCustomBitmap32::LineToXSP(TFixed X, TFixed Y) {
  LineXSP(RasterXF, RasterYF, X, Y);
  MoveToX(X, Y);
}

void TCustomBitmap32::LineToFSP(Single X, Single Y) { LineToXSP(Fixed(X), Fixed(Y)); }

// ---------------------------------------------------------------------------
// Sub-pixel lines: unit steps along the line, each spread over a 2 x 2
// block in 24.8, and a last partial step whose alpha is the remaining
// fraction of a pixel.

namespace {

// Liang-Barsky against the closed rectangle; end points inside stay as
// they are. False when nothing of the segment is left.
bool ClipFixedLine(TFixed& X1, TFixed& Y1, TFixed& X2, TFixed& Y2, Int64 MinX, Int64 MinY, Int64 MaxX, Int64 MaxY) {
  const double x1 = X1, y1 = Y1, dx = double(X2) - x1, dy = double(Y2) - y1;
  double t0 = 0, t1 = 1;
  auto edge = [&](double p, double q) {
    if (p == 0) return q >= 0;
    const double r = q / p;
    if (p < 0) {
      if (r > t1) return false;
      if (r > t0) t0 = r;
    } else {
      if (r < t0) return false;
      if (r < t1) t1 = r;
    }
    return true;
  };
  if (!edge(-dx, x1 - MinX) || !edge(dx, MaxX - x1) || !edge(-dy, y1 - MinY) || !edge(dy, MaxY - y1)) return false;
  auto at = [](double v, Int64 Lo, Int64 Hi) {
    return static_cast<TFixed>(std::clamp<Int64>(static_cast<Int64>(std::llround(v)), Lo, Hi));
  };
  if (t1 < 1) {
    X2 = at(x1 + t1 * dx, MinX, MaxX);
    Y2 = at(y1 + t1 * dy, MinY, MaxY);
  }
  if (t0 > 0) {
    X1 = at(x1 + t0 * dx, MinX, MaxX);
    Y1 = at(y1 + t0 * dy, MinY, MaxY);
  }
  return true;
}

Single FixedLength(Int64 Dx, Int64 Dy) {
  return static_cast<Single>(std::hypot(static_cast<double>(Dx), static_cast<double>(Dy)) / 65536.0);
}

}  // namespace

// The stepping shared by the sub-pixel forms. Safe writes clip each block;
// Stipple takes each colour from the pattern. Returns false when the line
// is too short to draw anything.
template <bool Safe, bool Stipple>
static bool SubPixelLine(TCustomBitmap32& B, TFixed X1, TFixed Y1, TFixed X2, TFixed Y2, TColor32 Value, bool L) {
  const Integer Dx = X2 - X1, Dy = Y2 - Y1;
  if (Safe && Dx == 0 && Dy == 0) return false;
  X1 += 127;
  Y1 += 127;
  X2 += 127;
  Y2 += 127;
  const Int64 n = Int64(Hypot(Dx, Dy)) + (L ? 65536 : 0);
  if (n < 256) return false;
  auto put = [&](Int64 X, Int64 Y, TColor32 C) {
    if constexpr (Safe) B.SET_TS256(static_cast<Integer>(X), static_cast<Integer>(Y), C);
    else B.SET_T256(static_cast<Integer>(X), static_cast<Integer>(Y), C);
  };
  const Int64 k = n >> 16;
  Int64 Ex = 0, Ey = 0, X = X1, Y = Y1;
  if (k > 0) {
    const Single h = Hypot(static_cast<Single>(Dx), static_cast<Single>(Dy));
    Ex = Round(static_cast<Single>(Dx) / h * 65536.0f);
    Ey = Round(static_cast<Single>(Dy) / h * 65536.0f);
    for (Int64 i = 0; i < k; ++i) {
      if constexpr (Stipple) {
        put(X >> 8, Y >> 8, B.GetStippleColor());
        EMMS();
      } else {
        put(X >> 8, Y >> 8, Value);
      }
      X += Ex;
      Y += Ey;
    }
  }
  TColor32 c = Stipple ? B.GetStippleColor() : Value;
  const Int64 a = (Int64(c >> 24) * (n - (k << 16))) >> 16;
  c = (c & 0x00FFFFFFu) | (static_cast<Cardinal>(a) << 24);
  put((X2 + X - Ex) >> 9, (Y2 + Y - Ey) >> 9, c);
  EMMS();
  return true;
}

void TCustomBitmap32::LineX(TFixed X1, TFixed Y1, TFixed X2, TFixed Y2, TColor32 Value, bool L) {
  const TFixedRect R(X1, Y1, X2, Y2);
  SubPixelLine<false, false>(*this, X1, Y1, X2, Y2, Value, L);
  EMMS();
  Changed(MakeRect(R, TRectRounding::rrClosest), AREA_LINE_FLAG + 2);
}

void TCustomBitmap32::LineF(Single X1, Single Y1, Single X2, Single Y2, TColor32 Value, bool L) {
  LineX(Fixed(X1), Fixed(Y1), Fixed(X2), Fixed(Y2), Value, L);
}

void TCustomBitmap32::LineXP(TFixed X1, TFixed Y1, TFixed X2, TFixed Y2, bool L) {
  const TFixedRect R(X1, Y1, X2, Y2);
  SubPixelLine<false, true>(*this, X1, Y1, X2, Y2, 0, L);
  EMMS();
  Changed(MakeRect(R, TRectRounding::rrClosest), AREA_LINE_FLAG + 2);
}

void TCustomBitmap32::LineFP(Single X1, Single Y1, Single X2, Single Y2, bool L) {
  LineXP(Fixed(X1), Fixed(Y1), Fixed(X2), Fixed(Y2), L);
}

namespace {
// Whether a clipped point leaves room for the whole 2 x 2 block of every
// step, so the unchecked writes may do the work.
bool WellInside(const TFixedRect& C, TFixed X, TFixed Y) {
  return X > C.Left && Int64(X) < Int64(C.Right) - 131072 && Y > C.Top && Int64(Y) < Int64(C.Bottom) - 131072;
}
}  // namespace

void TCustomBitmap32::LineXS(TFixed X1, TFixed Y1, TFixed X2, TFixed Y2, TColor32 Value, bool L) {
  const TRect R = MakeRect(TFixedRect(X1, Y1, X2, Y2), TRectRounding::rrClosest);
  if (FMeasuringMode) {
    Changed(R, AREA_LINE_FLAG + 2);
    return;
  }
  const TFixedRect& C = FFixedClipRect;
  const TFixed OX2 = X2, OY2 = Y2;
  if (!ClipFixedLine(X1, Y1, X2, Y2, Int64(C.Left) - 65536, Int64(C.Top) - 65536, C.Right, C.Bottom)) return;
  if (X2 != OX2 || Y2 != OY2) L = true;
  bool drawn;
  if (WellInside(C, X1, Y1) && WellInside(C, X2, Y2)) drawn = SubPixelLine<false, false>(*this, X1, Y1, X2, Y2, Value, L);
  else drawn = SubPixelLine<true, false>(*this, X1, Y1, X2, Y2, Value, L);
  if (drawn) Changed(R, AREA_LINE_FLAG + 2);
}

void TCustomBitmap32::LineFS(Single X1, Single Y1, Single X2, Single Y2, TColor32 Value, bool L) {
  LineXS(Fixed(X1), Fixed(Y1), Fixed(X2), Fixed(Y2), Value, L);
}

void TCustomBitmap32::LineXSP(TFixed X1, TFixed Y1, TFixed X2, TFixed Y2, bool L) {
  const TRect R = MakeRect(TFixedRect(X1, Y1, X2, Y2), TRectRounding::rrClosest);
  if (FMeasuringMode) {
    Changed(R, AREA_LINE_FLAG + 4);
    return;
  }
  const TFixedRect& C = FFixedClipRect;
  const TFixed OX1 = X1, OY1 = Y1, OX2 = X2, OY2 = Y2;
  if (!ClipFixedLine(X1, Y1, X2, Y2, Int64(C.Left) - 65536, Int64(C.Top) - 65536, C.Right, C.Bottom)) {
    // The pattern goes on as if the line had been drawn.
    AdvanceStippleCounter(FixedLength(Int64(OX2) - OX1, Int64(OY2) - OY1));
    return;
  }
  if (X1 != OX1 || Y1 != OY1) AdvanceStippleCounter(FixedLength(Int64(X1) - OX1, Int64(Y1) - OY1));
  const bool EndMoved = X2 != OX2 || Y2 != OY2;
  if (EndMoved) L = true;
  if (WellInside(C, X1, Y1) && WellInside(C, X2, Y2)) SubPixelLine<false, true>(*this, X1, Y1, X2, Y2, 0, L);
  else SubPixelLine<true, true>(*this, X1, Y1, X2, Y2, 0, L);
  if (EndMoved) AdvanceStippleCounter(FixedLength(Int64(OX2) - X2, Int64(OY2) - Y2));
  Changed(R, AREA_LINE_FLAG + 4);
}

void TCustomBitmap32::LineFSP(Single X1, Single Y1, Single X2, Single Y2, bool L) {
  LineXSP(Fixed(X1), Fixed(Y1), Fixed(X2), Fixed(Y2), L);
}

// ---------------------------------------------------------------------------
// Two-row (two-column) anti-aliased runs: the run covers its end pixels by
// their fractions and splits every pixel between the two rows by Y's
// fraction.

namespace {
// One row of a run from X1 to X2 (16.16, X1 <= X2) with the row's share W
// (0 .. 65535); P points at the row's pixel (X1 sar 16) and Pitch is the
// distance between neighbours along the run.
void FractionalRun(TColor32 Value, PColor32 P, NativeInt Pitch, TFixed X1, TFixed X2, Cardinal W) {
  if (W == 0) return;
  const Integer xa = Sar(X1, 16), xb = Sar(X2, 16);
  if (xa == xb) {
    CombineMem(Value, *P, GAMMA_TABLE[(W * static_cast<Cardinal>(X2 - X1)) >> 24]);
    return;
  }
  const Cardinal w1 = static_cast<Cardinal>(X1 & 0xFFFF) ^ 0xFFFF, w2 = static_cast<Cardinal>(X2 & 0xFFFF);
  CombineMem(Value, *P, GAMMA_TABLE[(W * w1) >> 24]);
  for (Integer i = xa + 1; i < xb; ++i) {
    P += Pitch;
    CombineMem(Value, *P, GAMMA_TABLE[W >> 8]);
  }
  // A run that ends exactly on a pixel boundary leaves that pixel alone; it
  // may lie past the clip rectangle or the bitmap.
  if (w2 != 0) CombineMem(Value, P[Pitch], GAMMA_TABLE[(W * w2) >> 24]);
}
}  // namespace

void TCustomBitmap32::HorzLineX(TFixed X1, TFixed Y, TFixed X2, TColor32 Value) {
  if (X1 > X2) std::swap(X1, X2);
  const TFixedRect R(X1, Y, X2, Y + 1);
  const Integer xa = Sar(X1, 16), y = Sar(Y, 16);
  const Cardinal wy = 65535 - static_cast<Cardinal>(Y & 0xFFFF);
  FractionalRun(Value, FBits + xa + NativeInt(y) * FWidth, 1, X1, X2, wy);
  FractionalRun(Value, FBits + xa + NativeInt(y + 1) * FWidth, 1, X1, X2, wy ^ 0xFFFF);
  EMMS();
  Changed(MakeRect(R, TRectRounding::rrClosest), AREA_LINE_FLAG + 2);
}

void TCustomBitmap32::VertLineX(TFixed X, TFixed Y1, TFixed Y2, TColor32 Value) {
  if (Y1 > Y2) std::swap(Y1, Y2);
  const TFixedRect R(X, Y1, X + 1, Y2);
  const Integer ya = Sar(Y1, 16), x = Sar(X, 16);
  const Cardinal wx = 65535 - static_cast<Cardinal>(X & 0xFFFF);
  FractionalRun(Value, FBits + x + NativeInt(ya) * FWidth, FWidth, Y1, Y2, wx);
  FractionalRun(Value, FBits + x + 1 + NativeInt(ya) * FWidth, FWidth, Y1, Y2, wx ^ 0xFFFF);
  EMMS();
  Changed(MakeRect(R, TRectRounding::rrClosest), AREA_LINE_FLAG + 2);
}

void TCustomBitmap32::HorzLineXS(TFixed X1, TFixed Y, TFixed X2, TColor32 Value) {
  if (X1 > X2) std::swap(X1, X2);
  const TFixedRect R(X1, Y, X2, Y + 1);
  if (!FMeasuringMode) {
    const TFixedRect& C = FFixedClipRect;
    X1 = Constrain(X1, C.Left, C.Right);
    X2 = Constrain(X2, C.Left, C.Right);
    if (Int64(X2) - X1 > 65536 && Y >= C.Top && Int64(Y) <= Int64(C.Bottom) - 65536) HorzLineX(X1, Y, X2, Value);
    else LineXS(X1, Y, X2, Y, Value);
  }
  Changed(MakeRect(R, TRectRounding::rrClosest), AREA_LINE_FLAG + 2);
}

void TCustomBitmap32::VertLineXS(TFixed X, TFixed Y1, TFixed Y2, TColor32 Value) {
  if (Y1 > Y2) std::swap(Y1, Y2);
  const TFixedRect R(X, Y1, X + 1, Y2);
  if (!FMeasuringMode) {
    const TFixedRect& C = FFixedClipRect;
    Y1 = Constrain(Y1, C.Top, C.Bottom);
    Y2 = Constrain(Y2, C.Top, C.Bottom);
    if (Int64(Y2) - Y1 > 65536 && X >= C.Left && Int64(X) <= Int64(C.Right) - 65536) VertLineX(X, Y1, Y2, Value);
    else LineXS(X, Y1, X, Y2, Value);
  }
  Changed(MakeRect(R, TRectRounding::rrClosest), AREA_LINE_FLAG + 2);
}


}  // namespace qn
