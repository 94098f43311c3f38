// Fundamental types of the host layer: the platform's integer, float and
// string types, and the point, size and rectangle records with their Win32
// helpers. Right and bottom edges of a TRect are exclusive.
#pragma once
#include "platform/rtl/MacroShield.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace vcl {

using Integer = int32_t;
using Cardinal = uint32_t;
using LongInt = int32_t;
using LongWord = uint32_t;
using DWORD = uint32_t;
using ShortInt = int8_t;
using SmallInt = int16_t;
using Byte = uint8_t;
using Word = uint16_t;
using Int64 = int64_t;
using UInt64 = uint64_t;
using NativeInt = intptr_t;
using NativeUInt = uintptr_t;
using Single = float;
using Double = double;
using Extended = long double;
using Boolean = bool;
using WideChar = char16_t;
using Char = char16_t;
using AnsiChar = char;
using Pointer = void*;
using PPointer = Pointer*;

using String = std::u16string;
using UnicodeString = std::u16string;
using WideString = std::u16string;
using AnsiString = std::string;
using UTF8String = std::string;
using RawByteString = std::string;
using TBytes = std::vector<Byte>;

// Days since 1899-12-30 plus the fraction of the day. Before that day the
// integral part counts back while the fraction still counts forward
// (-1.25 is 1899-12-29 06:00), as the platform stores it.
using TDateTime = double;
using TDate = TDateTime;
using TTime = TDateTime;

struct TPoint {
  Integer X = 0;
  Integer Y = 0;
  constexpr TPoint() = default;
  constexpr TPoint(Integer x, Integer y) : X(x), Y(y) {}
  friend constexpr bool operator==(const TPoint&, const TPoint&) = default;
};

struct TSize {
  Integer cx = 0;
  Integer cy = 0;
  constexpr TSize() = default;
  constexpr TSize(Integer w, Integer h) : cx(w), cy(h) {}
  friend constexpr bool operator==(const TSize&, const TSize&) = default;
};

struct TRect {
  Integer Left = 0;
  Integer Top = 0;
  Integer Right = 0;
  Integer Bottom = 0;
  constexpr TRect() = default;
  constexpr TRect(Integer l, Integer t, Integer r, Integer b) : Left(l), Top(t), Right(r), Bottom(b) {}
  constexpr TRect(const TPoint& tl, const TPoint& br) : Left(tl.X), Top(tl.Y), Right(br.X), Bottom(br.Y) {}
  constexpr Integer Width() const { return Right - Left; }
  constexpr Integer Height() const { return Bottom - Top; }
  constexpr TPoint TopLeft() const { return {Left, Top}; }
  constexpr TPoint BottomRight() const { return {Right, Bottom}; }
  constexpr bool IsEmpty() const { return Right <= Left || Bottom <= Top; }
  friend constexpr bool operator==(const TRect&, const TRect&) = default;
};

constexpr TPoint Point(Integer x, Integer y) { return {x, y}; }
constexpr TRect Rect(Integer l, Integer t, Integer r, Integer b) { return {l, t, r, b}; }
constexpr TRect Bounds(Integer l, Integer t, Integer w, Integer h) { return {l, t, l + w, t + h}; }

// Win32 rectangle helpers; they return false where Win32 returns FALSE.
constexpr bool IsRectEmpty(const TRect& r) { return r.Right <= r.Left || r.Bottom <= r.Top; }
constexpr bool EqualRect(const TRect& a, const TRect& b) { return a == b; }
constexpr bool PtInRect(const TRect& r, const TPoint& p) {
  return p.X >= r.Left && p.X < r.Right && p.Y >= r.Top && p.Y < r.Bottom;
}
constexpr bool InflateRect(TRect& r, Integer dx, Integer dy) {
  r.Left -= dx; r.Top -= dy; r.Right += dx; r.Bottom += dy;
  return true;
}
constexpr bool OffsetRect(TRect& r, Integer dx, Integer dy) {
  r.Left += dx; r.Top += dy; r.Right += dx; r.Bottom += dy;
  return true;
}
// Empty results are normalised to (0,0,0,0), as Win32 does.
constexpr bool IntersectRect(TRect& dst, const TRect& a, const TRect& b) {
  TRect r{a.Left > b.Left ? a.Left : b.Left, a.Top > b.Top ? a.Top : b.Top,
          a.Right < b.Right ? a.Right : b.Right, a.Bottom < b.Bottom ? a.Bottom : b.Bottom};
  if (IsRectEmpty(r)) { dst = TRect{}; return false; }
  dst = r;
  return true;
}
constexpr bool UnionRect(TRect& dst, const TRect& a, const TRect& b) {
  if (IsRectEmpty(a)) { dst = IsRectEmpty(b) ? TRect{} : b; return !IsRectEmpty(dst); }
  if (IsRectEmpty(b)) { dst = a; return true; }
  dst = TRect{a.Left < b.Left ? a.Left : b.Left, a.Top < b.Top ? a.Top : b.Top,
              a.Right > b.Right ? a.Right : b.Right, a.Bottom > b.Bottom ? a.Bottom : b.Bottom};
  return true;
}
constexpr bool SetRect(TRect& r, Integer l, Integer t, Integer rt, Integer b) {
  r = TRect{l, t, rt, b};
  return true;
}
constexpr bool SetRectEmpty(TRect& r) { r = TRect{}; return true; }

}  // namespace vcl

#include "platform/rtl/MacroShieldEnd.h"
