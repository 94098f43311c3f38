// GdipTypes_qn: the value types of the GDI+ object layer. Colours are ARGB
// values (alpha in the high byte); points and rectangles come in integer and
// single-precision forms; statuses and the drawing enumerations are the host
// flat interface's own.
#pragma once
#include "platform/rtl/MacroShield.h"

#include "graphics/raster/QnBase.h"
#include "platform/gdiplus/GdiPlus.h"

namespace qn {

using vcl::ARGB;
using vcl::Status;
using vcl::GpStatus;
using vcl::GpFillMode;
using vcl::SmoothingMode;
using vcl::InterpolationMode;
using vcl::CombineMode;
using vcl::GpUnit;
using vcl::GpLineJoin;
using vcl::FontStyle;
using vcl::StringAlignment;
using vcl::LANGID;

struct TGPPoint {
  Integer X = 0, Y = 0;
};
struct TGPPointF {
  Single X = 0, Y = 0;
};
struct TGPRect {
  Integer X = 0, Y = 0, Width = 0, Height = 0;
};
struct TGPRectF {
  Single X = 0, Y = 0, Width = 0, Height = 0;
};

// The flat interface's own names for the float forms.
using PointF = TGPPointF;
using RectF = TGPRectF;

// The point and rectangle makers live in a namespace of their own: the
// raster layer's MakeRect takes left, top, right, bottom with the same
// integer signature, and both layers must be usable from one file.
namespace GdipTypes_qn {
inline TGPPointF MakePoint(Single X, Single Y) { return {X, Y}; }
inline TGPPoint MakePoint(Integer X, Integer Y) { return {X, Y}; }
inline TGPRectF MakeRect(Single X, Single Y, Single Width, Single Height) { return {X, Y, Width, Height}; }
inline TGPRect MakeRect(Integer X, Integer Y, Integer Width, Integer Height) { return {X, Y, Width, Height}; }
// The rectangle of a platform TRect.
inline TGPRect MakeRect(const TRect& R) { return {R.Left, R.Top, R.Right - R.Left, R.Bottom - R.Top}; }
inline TGPRectF MakeRectF(const TGPRect& R) {
  return {Single(R.X), Single(R.Y), Single(R.Width), Single(R.Height)};
}
}  // namespace GdipTypes_qn

// String format flags as a set; each element's ordinal is its bit in the
// platform's flag word.
enum class TStringFormatFlag : Byte {
  DirectionRightToLeft = 0,
  DirectionVertical = 1,
  NoFitBlackBox = 2,
  DisplayFormatControl = 5,
  NoFontFallback = 10,
  MeasureTrailingSpaces = 11,
  NoWrap = 12,
  LineLimit = 13,
  NoClip = 14,
};
using TStringFormatFlags = TSet<TStringFormatFlag>;

}  // namespace qn

#include "platform/rtl/MacroShieldEnd.h"
