// Two-dimensional vector routines over float, 16.16 and integer points.
// Angles are in radians; y grows downwards, so an angle grows
// counter-clockwise as seen on the screen. Everything is a free function
// without state.
#pragma once
#include "platform/rtl/MacroShield.h"

#include "graphics/raster/Pix32_qn_Types.h"
#include "graphics/raster/Pix32_qn_Routines.h"

namespace qn {

// Which end of a polyline Shorten trims.
enum class TLinePos : Byte { lpStart, lpEnd, lpBoth, lpNeither };

// The fixed and integer forms truncate toward zero: the average of -1 and 0
// is 0, not -1.
TFloatPoint Average(const TFloatPoint& P1, const TFloatPoint& P2);
TFixedPoint Average(const TFixedPoint& P1, const TFixedPoint& P2);
TPoint Average(const TPoint& P1, const TPoint& P2);

TFloat CrossProduct(const TFloatPoint& V1, const TFloatPoint& V2);
TFixed CrossProduct(const TFixedPoint& V1, const TFixedPoint& V2);
Integer CrossProduct(const TPoint& V1, const TPoint& V2);

TFloat Dot(const TFloatPoint& V1, const TFloatPoint& V2);
TFixed Dot(const TFixedPoint& V1, const TFixedPoint& V2);
Integer Dot(const TPoint& V1, const TPoint& V2);

TFloat Distance(const TFloatPoint& P1, const TFloatPoint& P2);
TFixed Distance(const TFixedPoint& P1, const TFixedPoint& P2);
TFloat Distance(const TPoint& P1, const TPoint& P2);

TFloat SqrDistance(const TFloatPoint& P1, const TFloatPoint& P2);
TFixed SqrDistance(const TFixedPoint& P1, const TFixedPoint& P2);
Integer SqrDistance(const TPoint& P1, const TPoint& P2);

// Radius along Angle, up on the screen for positive sines. The 16.16 form
// rounds each offset to a whole 16.16 unit and saturates huge ones.
TFloatPoint GetPointAtAngleFromPoint(const TFloatPoint& P, TFloat Angle, TFloat Radius);
TFixedPoint GetPointAtAngleFromPoint(const TFixedPoint& P, TFloat Angle, TFloat Radius);

// In [0, 2π); straight up on the screen is π/2, and so is a point to itself.
TFloat GetAngleOfPt2FromPt1(const TFloatPoint& P1, const TFloatPoint& P2);
TFloat GetAngleOfPt2FromPt1(const TFixedPoint& P1, const TFixedPoint& P2);

// (0, 0) for equal points.
TFloatPoint GetUnitVector(const TFloatPoint& P1, const TFloatPoint& P2);
TFloatPoint GetUnitVector(const TFixedPoint& P1, const TFixedPoint& P2);
// (dy, -dx) of the unit vector; (0, 0) for equal points.
TFloatPoint GetUnitNormal(const TFloatPoint& P1, const TFloatPoint& P2);
TFloatPoint GetUnitNormal(const TFixedPoint& P1, const TFixedPoint& P2);

TFloatPoint OffsetPoint(const TFloatPoint& P, TFloat Dx, TFloat Dy);
TFloatPoint OffsetPoint(const TFloatPoint& P, const TFloatPoint& Delta);
// Integer deltas and fixed points are added to the raw 16.16 values; float
// ones are converted with Fixed first.
TFixedPoint OffsetPoint(const TFixedPoint& P, Integer Dx, Integer Dy);
TFixedPoint OffsetPoint(const TFixedPoint& P, TFloat Dx, TFloat Dy);
TFixedPoint OffsetPoint(const TFixedPoint& P, const TFixedPoint& Delta);
TFixedPoint OffsetPoint(const TFixedPoint& P, const TFloatPoint& Delta);
TPoint OffsetPoint(const TPoint& P, Integer Dx, Integer Dy);
TPoint OffsetPoint(const TPoint& P, const TPoint& Delta);

// The rectangle forms return a moved copy. Pix32_qn already has an in-place
// OffsetRect for float rectangles with the same arguments, so these live
// apart and are called by their unit's name.
namespace Pix32_Geometry_qn {
TFloatRect OffsetRect(const TFloatRect& R, TFloat Dx, TFloat Dy);
TFloatRect OffsetRect(const TFloatRect& R, const TFloatPoint& Delta);
TFixedRect OffsetRect(const TFixedRect& R, Integer Dx, Integer Dy);
TFixedRect OffsetRect(const TFixedRect& R, TFloat Dx, TFloat Dy);
TFixedRect OffsetRect(const TFixedRect& R, const TFixedPoint& Delta);
TFixedRect OffsetRect(const TFixedRect& R, const TFloatPoint& Delta);
}  // namespace Pix32_Geometry_qn

// The polyline with Delta taken off the chosen ends, measured along the last
// kept segment at each end. Trimming more than a segment's length moves the
// end past the next point.
TArrayOfFloatPoint Shorten(const TArrayOfFloatPoint& Points, TFloat Delta, TLinePos LinePos);
TArrayOfFixedPoint Shorten(const TArrayOfFixedPoint& Points, TFloat Delta, TLinePos LinePos);

// Even-odd crossing test; an empty polygon contains nothing.
bool PointInPolygon(const TFloatPoint& Pt, const TArrayOfFloatPoint& Points);
bool PointInPolygon(const TFixedPoint& Pt, const TArrayOfFixedPoint& Points);

// The crossing of P1-P2 with P3-P4. The float form counts touching end
// points as crossing; the fixed form demands a crossing strictly inside the
// first segment's range. IntersectPoint may be written even when the result
// is false (the lines meet outside the segments).
bool SegmentIntersect(const TFloatPoint& P1, const TFloatPoint& P2, const TFloatPoint& P3, const TFloatPoint& P4,
                      TFloatPoint& IntersectPoint);
bool SegmentIntersect(const TFixedPoint& P1, const TFixedPoint& P2, const TFixedPoint& P3, const TFixedPoint& P4,
                      TFixedPoint& IntersectPoint);

// The distance of P from the line through P1 and P2; from P1 itself when
// the two coincide.
TFloat PerpendicularDistance(const TFloatPoint& P, const TFloatPoint& P1, const TFloatPoint& P2);
TFixed PerpendicularDistance(const TFixedPoint& P, const TFixedPoint& P1, const TFixedPoint& P2);
TFloat PerpendicularDistance(const TPoint& P, const TPoint& P1, const TPoint& P2);

}  // namespace qn

#include "platform/rtl/MacroShieldEnd.h"
