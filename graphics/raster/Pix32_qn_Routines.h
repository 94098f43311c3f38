// Pix32_qn, routines over the value types: colour construction and access,
// point and rectangle construction and arithmetic, colour models, gamma.
#pragma once
#include "platform/rtl/MacroShield.h"

#include "graphics/raster/Pix32_qn_Types.h"
#include "platform/gdi/Gdi.h"
#include "platform/vcl/Bitmap.h"

namespace qn {

TColor32 Color32(TColor WinColor);
constexpr TColor32 Color32(Byte R, Byte G, Byte B, Byte A = 0xFF) {
  return (Cardinal(A) << 24) | (Cardinal(R) << 16) | (Cardinal(G) << 8) | B;
}
inline TColor32 Color32(Byte Index, const TPalette32& Palette) { return Palette[Index]; }
constexpr TColor32 Gray32(Byte Intensity, Byte Alpha = 0xFF) {
  return (Cardinal(Alpha) << 24) | (Cardinal(Intensity) << 16) | (Cardinal(Intensity) << 8) | Intensity;
}
constexpr TColor WinColor(TColor32 Color32) {
  return static_cast<TColor>(((Color32 >> 16) & 0xFF) | (Color32 & 0xFF00) | ((Color32 & 0xFF) << 16));
}
TArrayOfColor32 ArrayOfColor32(const TColor32* Colors, Integer Count);
inline TArrayOfColor32 ArrayOfColor32(std::initializer_list<TColor32> Colors) { return TArrayOfColor32(Colors); }
void Color32ToRGB(TColor32 Color32, Byte& R, Byte& G, Byte& B);
void Color32ToRGBA(TColor32 Color32, Byte& R, Byte& G, Byte& B, Byte& A);
TColor32Components Color32Components(bool R, bool G, bool B, bool A);
constexpr Integer RedComponent(TColor32 C) { return (C >> 16) & 0xFF; }
constexpr Integer GreenComponent(TColor32 C) { return (C >> 8) & 0xFF; }
constexpr Integer BlueComponent(TColor32 C) { return C & 0xFF; }
constexpr Integer AlphaComponent(TColor32 C) { return C >> 24; }
constexpr Integer Intensity(TColor32 C) {
  return static_cast<Integer>((RedComponent(C) * 61 + GreenComponent(C) * 174 + BlueComponent(C) * 21) >> 8);
}
constexpr TColor32 InvertColor(TColor32 C) { return (C & 0xFF000000u) | (~C & 0x00FFFFFFu); }
constexpr TColor32 SetAlpha(TColor32 C, Integer NewAlpha) {
  NewAlpha = NewAlpha < 0 ? 0 : (NewAlpha > 255 ? 255 : NewAlpha);
  return (C & 0x00FFFFFFu) | (Cardinal(NewAlpha) << 24);
}
inline void ModifyAlpha(TColor32& C, Byte NewAlpha) { C = (C & 0x00FFFFFFu) | (Cardinal(NewAlpha) << 24); }
void ScaleAlpha(TColor32& C, Single Scale);

// A new platform palette of the 256 colours; the caller frees it.
HPALETTE WinPalette(const TPalette32& P);

TFixed Fixed(Single S);
constexpr TFixed Fixed(Integer I) { return static_cast<TFixed>(static_cast<Cardinal>(I) << 16); }

using vcl::Point;
TPoint Point(const TFloatPoint& FP);
TPoint Point(const TFixedPoint& FXP);
constexpr TFloatPoint FloatPoint(Single X, Single Y) { return {X, Y}; }
constexpr TFloatPoint FloatPoint(const TPoint& P) { return {static_cast<Single>(P.X), static_cast<Single>(P.Y)}; }
constexpr TFloatPoint FloatPoint(const TFixedPoint& FXP) { return {FXP.X * (1.0f / 65536), FXP.Y * (1.0f / 65536)}; }
constexpr TFixedPoint FixedPoint(Integer X, Integer Y) { return TFixedPoint::CreateInt(X, Y); }
constexpr TFixedPoint FixedPoint(const TPoint& P) { return TFixedPoint::CreateInt(P.X, P.Y); }
TFixedPoint FixedPoint(Single X, Single Y);
TFixedPoint FixedPoint(const TFloatPoint& FP);

constexpr TRect MakeRect(Integer L, Integer T, Integer R, Integer B) { return {L, T, R, B}; }
TRect MakeRect(const TFloatRect& FR, TRectRounding Rounding = TRectRounding::rrClosest);
TRect MakeRect(const TFixedRect& FXR, TRectRounding Rounding = TRectRounding::rrClosest);
constexpr TFixedRect FixedRect(TFixed L, TFixed T, TFixed R, TFixed B) { return {L, T, R, B}; }
constexpr TFixedRect FixedRect(const TFixedPoint& TL, const TFixedPoint& BR) { return {TL.X, TL.Y, BR.X, BR.Y}; }
constexpr TFixedRect FixedRect(const TRect& R) { return {Fixed(R.Left), Fixed(R.Top), Fixed(R.Right), Fixed(R.Bottom)}; }
TFixedRect FixedRect(const TFloatRect& FR);
constexpr TFloatRect FloatRect(Single L, Single T, Single R, Single B) { return {L, T, R, B}; }
constexpr TFloatRect FloatRect(const TFloatPoint& TL, const TFloatPoint& BR) { return {TL.X, TL.Y, BR.X, BR.Y}; }
constexpr TFloatRect FloatRect(const TRect& R) {
  return {static_cast<Single>(R.Left), static_cast<Single>(R.Top), static_cast<Single>(R.Right),
          static_cast<Single>(R.Bottom)};
}
constexpr TFloatRect FloatRect(const TFixedRect& FXR) {
  return {FXR.Left * (1.0f / 65536), FXR.Top * (1.0f / 65536), FXR.Right * (1.0f / 65536),
          FXR.Bottom * (1.0f / 65536)};
}

// Rectangle arithmetic. For TRect, the window server's EqualRect,
// InflateRect, OffsetRect, IsRectEmpty and PtInRect already follow these
// rules; its IntersectRect and UnionRect do not (an intersection that only
// touches along an edge counts here, and an empty first rectangle takes part
// in a union), so this unit's forms live in Pix32_qn:: and are called by that
// name.
namespace Pix32_qn {
bool IntersectRect(TRect& Dst, const TRect& R1, const TRect& R2);
bool UnionRect(TRect& Dst, const TRect& R1, const TRect& R2);
}  // namespace Pix32_qn
bool IntersectRect(TFloatRect& Dst, const TFloatRect& R1, const TFloatRect& R2);
bool UnionRect(TFloatRect& Dst, const TFloatRect& R1, const TFloatRect& R2);
bool EqualRect(const TFloatRect& R1, const TFloatRect& R2);
bool EqualRectSize(const TRect& R1, const TRect& R2);
bool EqualRectSize(const TFloatRect& R1, const TFloatRect& R2);
void InflateRect(TFloatRect& R, TFloat Dx, TFloat Dy);
void OffsetRect(TFloatRect& R, TFloat Dx, TFloat Dy);
bool IsRectEmpty(const TFloatRect& FR);
bool PtInRect(const TRect& R, const TFloatPoint& P);
bool PtInRect(const TFloatRect& R, const TPoint& P);
bool PtInRect(const TFloatRect& R, const TFloatPoint& P);

TColor32 HSLtoRGB(Single H, Single S, Single L);
void RGBtoHSL(TColor32 RGB, Single& H, Single& S, Single& L);
TColor32 HSLtoRGB(Integer H, Integer S, Integer L, Integer A = 255);
void RGBtoHSL(TColor32 RGB, Byte& H, Byte& S, Byte& L);
TColor32 HSVtoRGB(Single H, Single S, Single V);
void RGBToHSV(TColor32 Color, Single& H, Single& S, Single& V);

extern Byte GAMMA_TABLE[256];
void SetGamma(Single Gamma);

// An 8 by 8 platform bitmap the text routines draw into as scratch; it lives
// from the unit's initialisation to its finalisation.
extern TBitmap* StockBitmap;

void InitPix32();
void DonePix32();

}  // namespace qn

#include "platform/rtl/MacroShieldEnd.h"
