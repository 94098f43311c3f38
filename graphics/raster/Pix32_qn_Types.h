// Pix32_qn, value types: the 32-bit ARGB pixel, 16.16 fixed point, float and
// fixed points and rectangles, and the small enumerations shared by the whole
// graphics library.
#pragma once
#include "platform/rtl/MacroShield.h"

#include <array>
#include <vector>

#include "graphics/raster/QnBase.h"
#include "platform/rtl/TypInfo.h"
#include "platform/vcl/GraphicsColor.h"

namespace qn {

using TColor32 = Cardinal;
using PColor32 = TColor32*;
using TColor32Array = TColor32[];
using PColor32Array = TColor32*;
using TArrayOfColor32 = std::vector<TColor32>;

enum class TColor32Component : Byte { ccBlue, ccGreen, ccRed, ccAlpha };
using TColor32Components = TSet<TColor32Component>;

union TColor32Entry {
  struct {
    Byte B, G, R, A;
  };
  TColor32 ARGB;
  Byte Planes[4];
  Byte Components[4];  // indexed by TColor32Component
};
static_assert(sizeof(TColor32Entry) == 4);
using PColor32Entry = TColor32Entry*;
using TColor32EntryArray = TColor32Entry[];
using PColor32EntryArray = TColor32Entry*;
using TArrayOfColor32Entry = std::vector<TColor32Entry>;

using TPalette32 = std::array<TColor32, 256>;
using PPalette32 = TPalette32*;

using TFixed = Integer;
using PFixed = TFixed*;
union TFixedRec {
  TFixed Fixed;
  struct {
    Word Frac;
    SmallInt Int;
  };
};
static_assert(sizeof(TFixedRec) == 4);
using PFixedRec = TFixedRec*;
using TFixedArray = TFixed[];
using PFixedArray = TFixed*;
using TArrayOfFixed = std::vector<TFixed>;
using TArrayOfArrayOfFixed = std::vector<TArrayOfFixed>;

using TFloat = Single;
using PFloat = TFloat*;
using TFloatArray = TFloat[];
using PFloatArray = TFloat*;
using TArrayOfFloat = std::vector<TFloat>;
using TSingleArray = Single[];
using PSingleArray = Single*;
using TArrayOfSingle = std::vector<Single>;

struct TFloatPoint {
  TFloat X = 0;
  TFloat Y = 0;
  constexpr TFloatPoint() = default;
  constexpr TFloatPoint(TFloat x, TFloat y) : X(x), Y(y) {}
  static constexpr TFloatPoint Create(TFloat x, TFloat y) { return {x, y}; }
  static constexpr TFloatPoint Create(Integer x, Integer y) { return {static_cast<TFloat>(x), static_cast<TFloat>(y)}; }
  static constexpr TFloatPoint Create(const TPoint& p) { return Create(p.X, p.Y); }
  static constexpr TFloatPoint Zero() { return {}; }
  friend constexpr bool operator==(const TFloatPoint& a, const TFloatPoint& b) { return a.X == b.X && a.Y == b.Y; }
  friend constexpr TFloatPoint operator+(const TFloatPoint& a, const TFloatPoint& b) { return {a.X + b.X, a.Y + b.Y}; }
  friend constexpr TFloatPoint operator-(const TFloatPoint& a, const TFloatPoint& b) { return {a.X - b.X, a.Y - b.Y}; }
};
using PFloatPoint = TFloatPoint*;
using TFloatPointArray = TFloatPoint[];
using PFloatPointArray = TFloatPoint*;
using TArrayOfFloatPoint = std::vector<TFloatPoint>;
using TArrayOfArrayOfFloatPoint = std::vector<TArrayOfFloatPoint>;

struct TFixedPoint {
  TFixed X = 0;
  TFixed Y = 0;
  constexpr TFixedPoint() = default;
  constexpr TFixedPoint(TFixed x, TFixed y) : X(x), Y(y) {}
  static TFixedPoint Create(const TFloatPoint& p);
  static constexpr TFixedPoint Create(TFixed x, TFixed y) { return {x, y}; }
  static constexpr TFixedPoint CreateInt(Integer x, Integer y) {
    return {static_cast<TFixed>(static_cast<Cardinal>(x) << 16), static_cast<TFixed>(static_cast<Cardinal>(y) << 16)};
  }
  static constexpr TFixedPoint Zero() { return {}; }
  friend constexpr bool operator==(const TFixedPoint& a, const TFixedPoint& b) { return a.X == b.X && a.Y == b.Y; }
  friend constexpr TFixedPoint operator+(const TFixedPoint& a, const TFixedPoint& b) { return {a.X + b.X, a.Y + b.Y}; }
  friend constexpr TFixedPoint operator-(const TFixedPoint& a, const TFixedPoint& b) { return {a.X - b.X, a.Y - b.Y}; }
};
using PFixedPoint = TFixedPoint*;
using TFixedPointArray = TFixedPoint[];
using PFixedPointArray = TFixedPoint*;
using TArrayOfFixedPoint = std::vector<TFixedPoint>;
using TArrayOfArrayOfFixedPoint = std::vector<TArrayOfFixedPoint>;

using TPointArray = TPoint*;
using TArrayOfPoint = std::vector<TPoint>;
using TArrayOfArrayOfPoint = std::vector<TArrayOfPoint>;

struct TFloatRect {
  TFloat Left = 0, Top = 0, Right = 0, Bottom = 0;
  constexpr TFloatRect() = default;
  constexpr TFloatRect(TFloat l, TFloat t, TFloat r, TFloat b) : Left(l), Top(t), Right(r), Bottom(b) {}
  constexpr TFloatPoint TopLeft() const { return {Left, Top}; }
  constexpr TFloatPoint BottomRight() const { return {Right, Bottom}; }
};
using PFloatRect = TFloatRect*;

struct TFixedRect {
  TFixed Left = 0, Top = 0, Right = 0, Bottom = 0;
  constexpr TFixedRect() = default;
  constexpr TFixedRect(TFixed l, TFixed t, TFixed r, TFixed b) : Left(l), Top(t), Right(r), Bottom(b) {}
  constexpr TFixedPoint TopLeft() const { return {Left, Top}; }
  constexpr TFixedPoint BottomRight() const { return {Right, Bottom}; }
};
using PFixedRect = TFixedRect*;

enum class TRectRounding : Byte { rrClosest, rrOutside, rrInside };

using TByteArray = Byte[];
using PByteArray = Byte*;
using TArrayOfByte = std::vector<Byte>;
using TWordArray = Word[];
using PWordArray = Word*;
using TArrayOfWord = std::vector<Word>;
using TIntegerArray = Integer[];
using PIntegerArray = Integer*;
using TArrayOfInteger = std::vector<Integer>;
using TArrayOfArrayOfInteger = std::vector<TArrayOfInteger>;
using TCardinalArray = Cardinal[];
using PCardinalArray = Cardinal*;
using TArrayOfCardinal = std::vector<Cardinal>;
using TArrayOfArrayOfCardinal = std::vector<TArrayOfCardinal>;

// Bitmap modes, shared by blending, wrapping and pixel access.
enum class TDrawMode : Byte { dmOpaque, dmBlend, dmCustom, dmTransparent };
enum class TCombineMode : Byte { cmBlend, cmMerge };
enum class TWrapMode : Byte { wmClamp, wmRepeat, wmMirror };
enum class TPixelAccessMode : Byte { pamUnsafe, pamSafe, pamWrap, pamTransparentEdge };
QN_ENUM_NAMES(TDrawMode, dmOpaque, dmBlend, dmCustom, dmTransparent)
QN_ENUM_NAMES(TCombineMode, cmBlend, cmMerge)
QN_ENUM_NAMES(TWrapMode, wmClamp, wmRepeat, wmMirror)
QN_ENUM_NAMES(TPixelAccessMode, pamUnsafe, pamSafe, pamWrap, pamTransparentEdge)

}  // namespace qn

#include "platform/rtl/MacroShieldEnd.h"
