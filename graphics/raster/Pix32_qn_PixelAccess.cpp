// Pix32_qn: pixel readers and writers of TCustomBitmap32 beyond the inline
// unchecked and clipped ones: clamped, wrapped, blended and sub-pixel forms.
#include "graphics/raster/Pix32_Blend_qn.h"
#include "graphics/raster/Pix32_Resamplers_qn.h"
#include "graphics/raster/Pix32_qn.h"

namespace qn {

TColor32 TCustomBitmap32::GetPixelB(Integer X, Integer Y) const {
  return FBits[Clamp(X, 0, FWidth - 1) + Clamp(Y, 0, FHeight - 1) * FWidth];
}

TColor32 TCustomBitmap32::GetPixelW(Integer X, Integer Y) const {
  return FBits[WrapProcHorz(X, FClipRect.Left, FClipRect.Right - 1) +
               WrapProcVert(Y, FClipRect.Top, FClipRect.Bottom - 1) * FWidth];
}

void TCustomBitmap32::SetPixelW(Integer X, Integer Y, TColor32 Value) {
  FBits[WrapProcHorz(X, FClipRect.Left, FClipRect.Right - 1) +
        WrapProcVert(Y, FClipRect.Top, FClipRect.Bottom - 1) * FWidth] = Value;
}

void TCustomBitmap32::SetPixelT(Integer X, Integer Y, TColor32 Value) {
  BlendProc(Value, FBits[X + Y * FWidth]);
  EMMS();
}

void TCustomBitmap32::SetPixelT(PColor32& Ptr, TColor32 Value) {
  BlendProc(Value, *Ptr);
  ++Ptr;
  EMMS();
}

void TCustomBitmap32::SetPixelTS(Integer X, Integer Y, TColor32 Value) {
  if (X >= FClipRect.Left && X < FClipRect.Right && Y >= FClipRect.Top && Y < FClipRect.Bottom) {
    BlendProc(Value, FBits[X + Y * FWidth]);
    EMMS();
  }
}

// ---------------------------------------------------------------------------
// 24.8 sub-pixel forms: a colour spread over, or gathered from, the 2 x 2
// block at (X sar 8, Y sar 8) with gamma-corrected weights.

TColor32 TCustomBitmap32::GET_T256(Integer X, Integer Y) const {
  const PColor32 p = FBits + Shr(X, 8) + Shr(Y, 8) * FWidth;
  return Interpolator(GAMMA_TABLE[255 - (X & 255)], GAMMA_TABLE[(Y & 255) ^ 255], p, p + FWidth);
}

TColor32 TCustomBitmap32::GET_TS256(Integer X, Integer Y) const {
  if (X < F256ClipRect.Left || Y < F256ClipRect.Top) return FOuterColor;
  const Integer XE = static_cast<Integer>(static_cast<Cardinal>(FClipRect.Right - 1) << 8);
  const Integer YE = static_cast<Integer>(static_cast<Cardinal>(FClipRect.Bottom - 1) << 8);
  if (X < XE && Y < YE) return GET_T256(X, Y);
  if (X == XE && Y <= YE) return GetPixel(FClipRect.Right - 1, Shr(Y, 8));
  if (X <= XE && Y == YE) return GetPixel(Shr(X, 8), FClipRect.Bottom - 1);
  return FOuterColor;
}

namespace {

// The four weights of a block, in the order top-left, top-right,
// bottom-right, bottom-left, and whether each pixel is written.
struct TBlockWeights {
  Cardinal W[4];
};

TBlockWeights BlockWeights(Integer X, Integer Y, TColor32 C, TCombineMode Mode) {
  const Integer fx = X & 255, fy = Y & 255;
  Cardinal cx = GAMMA_TABLE[fx ^ 255], cy = GAMMA_TABLE[fy ^ 255];
  Cardinal gx = GAMMA_TABLE[fx], gy = GAMMA_TABLE[fy];
  TBlockWeights r;
  if (Mode == TCombineMode::cmBlend) {
    const Cardinal a = C >> 24;
    cx *= a;
    gx *= a;
    r.W[0] = (cx * cy) >> 16;
    r.W[1] = (gx * cy) >> 16;
    r.W[2] = (gx * gy) >> 16;
    r.W[3] = (cx * gy) >> 16;
  } else {
    r.W[0] = (cx * cy) >> 8;
    r.W[1] = (gx * cy) >> 8;
    r.W[2] = (gx * gy) >> 8;
    r.W[3] = (cx * gy) >> 8;
  }
  return r;
}

inline void PutWeighted(TColor32 C, TColor32& P, Cardinal W, TCombineMode Mode) {
  if (Mode == TCombineMode::cmBlend) CombineMem(C, P, W);
  else CombineMem(MergeReg(C, P), P, W);
}

}  // namespace

void TCustomBitmap32::SET_T256(Integer X, Integer Y, TColor32 C) {
  const TBlockWeights w = BlockWeights(X, Y, C, FCombineMode);
  PColor32 p = FBits + Sar(X, 8) + Sar(Y, 8) * FWidth;
  PutWeighted(C, p[0], w.W[0], FCombineMode);
  PutWeighted(C, p[1], w.W[1], FCombineMode);
  PutWeighted(C, p[1 + FWidth], w.W[2], FCombineMode);
  PutWeighted(C, p[FWidth], w.W[3], FCombineMode);
}

void TCustomBitmap32::SET_TS256(Integer X, Integer Y, TColor32 C) {
  if (X < F256ClipRect.Left - 256 || X >= F256ClipRect.Right || Y < F256ClipRect.Top - 256 ||
      Y >= F256ClipRect.Bottom)
    return;
  SetBlockInside(X, Y, C, FClipRect);
}

void TCustomBitmap32::SetBlockInside(Integer X, Integer Y, TColor32 C, const TRect& R) {
  const Integer x0 = Sar(X, 8), y0 = Sar(Y, 8);
  if (x0 >= R.Left && y0 >= R.Top && x0 < R.Right - 1 && y0 < R.Bottom - 1) {
    SET_T256(X, Y, C);
    return;
  }
  const TBlockWeights w = BlockWeights(X, Y, C, FCombineMode);
  auto put = [&](Integer x, Integer y, Cardinal weight) {
    if (x >= R.Left && x < R.Right && y >= R.Top && y < R.Bottom) PutWeighted(C, FBits[x + y * FWidth], weight, FCombineMode);
  };
  put(x0, y0, w.W[0]);
  put(x0 + 1, y0, w.W[1]);
  put(x0 + 1, y0 + 1, w.W[2]);
  put(x0, y0 + 1, w.W[3]);
}

// ---------------------------------------------------------------------------
// 16.16 and float forms

TColor32 TCustomBitmap32::GetPixelX(TFixed X, TFixed Y) const {
  const TColor32 c = GET_T256(Shr(X + 127, 8), Shr(Y + 127, 8));
  EMMS();
  return c;
}

void TCustomBitmap32::SetPixelX(TFixed X, TFixed Y, TColor32 Value) {
  SET_T256(Shr(X + 127, 8), Shr(Y + 127, 8), Value);
  EMMS();
}

TColor32 TCustomBitmap32::GetPixelXS(TFixed X, TFixed Y) const {
  const TColor32 c = GET_TS256(Sar(X + 127, 8), Sar(Y + 127, 8));
  EMMS();
  return c;
}

void TCustomBitmap32::SetPixelXS(TFixed X, TFixed Y, TColor32 Value) {
  SET_TS256(Sar(X + 127, 8), Sar(Y + 127, 8), Value);
  EMMS();
}

TColor32 TCustomBitmap32::GetPixelF(Single X, Single Y) const {
  const TColor32 c = GET_T256(RoundI(X * 256.0f), RoundI(Y * 256.0f));
  EMMS();
  return c;
}

void TCustomBitmap32::SetPixelF(Single X, Single Y, TColor32 Value) {
  SET_T256(RoundI(X * 256.0f), RoundI(Y * 256.0f), Value);
  EMMS();
}

TColor32 TCustomBitmap32::GetPixelFS(Single X, Single Y) const {
  const TColor32 c = GET_TS256(RoundI(X * 256.0f), RoundI(Y * 256.0f));
  EMMS();
  return c;
}

void TCustomBitmap32::SetPixelFS(Single X, Single Y, TColor32 Value) {
  SET_TS256(RoundI(X * 256.0f), RoundI(Y * 256.0f), Value);
  EMMS();
}

TColor32 TCustomBitmap32::GetPixelFW(Single X, Single Y) const {
  return GetPixelXW(RoundI(X * 65536.0f), RoundI(Y * 65536.0f));
}

void TCustomBitmap32::SetPixelFW(Single X, Single Y, TColor32 Value) {
  SetPixelXW(RoundI(X * 65536.0f), RoundI(Y * 65536.0f), Value);
}

TColor32 TCustomBitmap32::GetPixelXW(TFixed X, TFixed Y) const {
  const Integer xi = Sar(X, 16), yi = Sar(Y, 16);
  const Integer x1 = WrapProcHorz(xi, FClipRect.Left, FClipRect.Right - 1);
  const Integer x2 = WrapProcHorz(xi + 1, FClipRect.Left, FClipRect.Right - 1);
  const Integer y1 = WrapProcVert(yi, FClipRect.Top, FClipRect.Bottom - 1) * FWidth;
  const Integer y2 = WrapProcVert(yi + 1, FClipRect.Top, FClipRect.Bottom - 1) * FWidth;
  const Cardinal wx = (static_cast<Cardinal>(X) >> 8) & 0xFF;
  const Cardinal wy = (static_cast<Cardinal>(Y) >> 8) & 0xFF;
  const TColor32 c1 = CombineReg(FBits[x2 + y1], FBits[x1 + y1], wx);
  const TColor32 c2 = CombineReg(FBits[x2 + y2], FBits[x1 + y2], wx);
  const TColor32 c = CombineReg(c2, c1, wy);
  EMMS();
  return c;
}

void TCustomBitmap32::SetPixelXW(TFixed X, TFixed Y, TColor32 Value) {
  Integer x = Sar(X + 127, 8), y = Sar(Y + 127, 8);
  y = WrapProcVert(y, F256ClipRect.Top, F256ClipRect.Bottom - 128);
  x = WrapProcHorz(x, F256ClipRect.Left, F256ClipRect.Right - 128);
  // A position wrapped to the last half pixel has the right or lower half of
  // its block outside the bitmap; only the part inside is written.
  SetBlockInside(x, y, Value, BoundsRect());
  EMMS();
}

TColor32 TCustomBitmap32::GetPixelFR(Single X, Single Y) const { return FResampler->GetSampleFloat(X, Y); }

TColor32 TCustomBitmap32::GetPixelXR(TFixed X, TFixed Y) const { return FResampler->GetSampleFixed(X, Y); }

}  // namespace qn
