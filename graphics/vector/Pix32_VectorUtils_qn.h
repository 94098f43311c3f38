// Clipping and polygon utilities: segments and polygons cut to rectangles,
// and the small point-array operations the rasterizer and the outline
// builders share. Everything is a plain function; only the Inplace forms
// change their argument.
#pragma once
#include "platform/rtl/MacroShield.h"

#include "graphics/raster/Pix32_Transforms_qn.h"
#include "graphics/raster/Pix32_qn.h"
#include "graphics/vector/Pix32_Polygons_qn.h"

namespace qn {

// Segments cut to an inclusive rectangle (right and bottom edges inside),
// moving the end points; false when nothing of the segment is inside.
bool ClipLine(Integer& X1, Integer& Y1, Integer& X2, Integer& Y2, Integer MinX, Integer MinY, Integer MaxX,
              Integer MaxY);
// The 16.16 form. TFixed is the same C++ type as Integer, so this form has
// the library's suffix for 16.16 coordinates instead of an overload.
bool ClipLineX(TFixed& X1, TFixed& Y1, TFixed& X2, TFixed& Y2, TFixed MinX, TFixed MinY, TFixed MaxX, TFixed MaxY);
bool ClipLine(Single& X1, Single& Y1, Single& X2, Single& Y2, Single MinX, Single MinY, Single MaxX, Single MaxY);
bool ClipLine(TPoint& P1, TPoint& P2, const TRect& ClipRect);
bool ClipLine(TFloatPoint& P1, TFloatPoint& P2, const TFloatRect& ClipRect);
bool ClipLine(TFixedPoint& P1, TFixedPoint& P2, const TFixedRect& ClipRect);

// A polygon cut to a rectangle (edges inside): the input itself when every
// point is inside, empty when some side has no point inside it. The result
// starts at the first surviving slot of the working ring (an input point,
// or the first intersection when input point 0 was cut away), so it is a
// rotation of the textbook clip's output.
TArrayOfFloatPoint ClipPolygon(const TArrayOfFloatPoint& Points, const TFloatRect& ClipRect);
TArrayOfFixedPoint ClipPolygon(const TArrayOfFixedPoint& Points, const TFixedRect& ClipRect);

// The first point appended, unless there are fewer than two or the outline
// is already closed.
TArrayOfFloatPoint ClosePolygon(const TArrayOfFloatPoint& Points);
TArrayOfFixedPoint ClosePolygon(const TArrayOfFixedPoint& Points);

TArrayOfFloatPoint ReversePolygon(const TArrayOfFloatPoint& Points);
TArrayOfFixedPoint ReversePolygon(const TArrayOfFixedPoint& Points);

// The arrays must not be empty (asserted).
TFloatRect PolygonBounds(const TArrayOfFloatPoint& Points);
TFixedRect PolygonBounds(const TArrayOfFixedPoint& Points);
TFloatRect PolypolygonBounds(const TArrayOfArrayOfFloatPoint& Points);
TFixedRect PolypolygonBounds(const TArrayOfArrayOfFixedPoint& Points);

TArrayOfFloatPoint ScalePolygon(const TArrayOfFloatPoint& Points, TFloat ScaleX, TFloat ScaleY);
TArrayOfFixedPoint ScalePolygon(const TArrayOfFixedPoint& Points, TFixed ScaleX, TFixed ScaleY);
TArrayOfArrayOfFloatPoint ScalePolyPolygon(const TArrayOfArrayOfFloatPoint& Points, TFloat ScaleX, TFloat ScaleY);
TArrayOfArrayOfFixedPoint ScalePolyPolygon(const TArrayOfArrayOfFixedPoint& Points, TFixed ScaleX, TFixed ScaleY);
void ScalePolygonInplace(TArrayOfFloatPoint& Points, TFloat ScaleX, TFloat ScaleY);
void ScalePolygonInplace(TArrayOfFixedPoint& Points, TFixed ScaleX, TFixed ScaleY);
void ScalePolyPolygonInplace(TArrayOfArrayOfFloatPoint& Points, TFloat ScaleX, TFloat ScaleY);
void ScalePolyPolygonInplace(TArrayOfArrayOfFixedPoint& Points, TFixed ScaleX, TFixed ScaleY);

TArrayOfFloatPoint TranslatePolygon(const TArrayOfFloatPoint& Points, TFloat OffsetX, TFloat OffsetY);
TArrayOfFixedPoint TranslatePolygon(const TArrayOfFixedPoint& Points, TFixed OffsetX, TFixed OffsetY);
TArrayOfArrayOfFloatPoint TranslatePolyPolygon(const TArrayOfArrayOfFloatPoint& Points, TFloat OffsetX,
                                               TFloat OffsetY);
TArrayOfArrayOfFixedPoint TranslatePolyPolygon(const TArrayOfArrayOfFixedPoint& Points, TFixed OffsetX,
                                               TFixed OffsetY);
void TranslatePolygonInplace(TArrayOfFloatPoint& Points, TFloat OffsetX, TFloat OffsetY);
void TranslatePolygonInplace(TArrayOfFixedPoint& Points, TFixed OffsetX, TFixed OffsetY);
void TranslatePolyPolygonInplace(TArrayOfArrayOfFloatPoint& Points, TFloat OffsetX, TFloat OffsetY);
void TranslatePolyPolygonInplace(TArrayOfArrayOfFixedPoint& Points, TFixed OffsetX, TFixed OffsetY);

// Through the transformation's float (or 16.16) primitive; the single-outline
// forms expect a prepared transformation, the poly forms prepare it once.
TArrayOfFloatPoint TransformPolygon(const TArrayOfFloatPoint& Points, TTransformation* Transformation);
TArrayOfFixedPoint TransformPolygon(const TArrayOfFixedPoint& Points, TTransformation* Transformation);
TArrayOfArrayOfFloatPoint TransformPolyPolygon(const TArrayOfArrayOfFloatPoint& Points,
                                               TTransformation* Transformation);
TArrayOfArrayOfFixedPoint TransformPolyPolygon(const TArrayOfArrayOfFixedPoint& Points,
                                               TTransformation* Transformation);

TArrayOfArrayOfFloatPoint CatPolyPolygon(const TArrayOfArrayOfFloatPoint& P1, const TArrayOfArrayOfFloatPoint& P2);
TArrayOfArrayOfFixedPoint CatPolyPolygon(const TArrayOfArrayOfFixedPoint& P1, const TArrayOfArrayOfFixedPoint& P2);
TArrayOfArrayOfFloatPoint PolyPolygon(const TArrayOfFloatPoint& Points);
TArrayOfArrayOfFixedPoint PolyPolygon(const TArrayOfFixedPoint& Points);

// Pairs of values; an odd last value is ignored.
TArrayOfFloatPoint BuildPolygonF(const std::vector<TFloat>& Data);
TArrayOfFixedPoint BuildPolygonX(const std::vector<TFixed>& Data);

TArrayOfFloatPoint FixedPointToFloatPoint(const TArrayOfFixedPoint& Points);
TArrayOfArrayOfFloatPoint FixedPointToFloatPoint(const TArrayOfArrayOfFixedPoint& Points);
TArrayOfFixedPoint FloatPointToFixedPoint(const TArrayOfFloatPoint& Points);
TArrayOfArrayOfFixedPoint FloatPointToFixedPoint(const TArrayOfArrayOfFloatPoint& Points);

// The gauges' names for the same conversions.
inline TArrayOfFixedPoint FixedPoints(const TArrayOfFloatPoint& Points) { return FloatPointToFixedPoint(Points); }
inline TArrayOfArrayOfFixedPoint FixedPoints(const TArrayOfArrayOfFloatPoint& Points) {
  return FloatPointToFixedPoint(Points);
}
inline TArrayOfFloatPoint FloatPoints(const TArrayOfFixedPoint& Points) { return FixedPointToFloatPoint(Points); }
inline TArrayOfArrayOfFloatPoint FloatPoints(const TArrayOfArrayOfFixedPoint& Points) {
  return FixedPointToFloatPoint(Points);
}

// Points of the ellipse inscribed in Rect from StartAngle to EndAngle, both
// included: degrees, counter-clockwise on screen from 3 o'clock (θ maps to
// (cx + rx·cos θ, cy − ry·sin θ)), clockwise when EndAngle < StartAngle.
// max(2, ceil(CalculateCircleSteps(max(rx, ry))·|sweep|/360) + 1) points, at
// most MaxAutoSteps + 1; equal angles give one point; an empty or inverted
// rectangle or a value that is not finite gives none.
TArrayOfFixedPoint GetArcPoints(const TFloatRect& Rect, Single StartAngle, Single EndAngle);
// Rotates in place about Origin by Angle radians, counter-clockwise on
// screen: x' = ox + dx·cos a + dy·sin a, y' = oy − dx·sin a + dy·cos a, in
// double, rounded to 16.16 with saturation.
void RotatePoints(TArrayOfFixedPoint& Points, const TFixedPoint& Origin, Single Angle);

// ---------------------------------------------------------------------------
// Outline offsetting (Pix32_VectorUtils_qn_Grow.cpp)
//
// Normal i belongs to the edge from point i to point i+1 (the last one to the
// closing edge): (dy, -dx) of the unit direction, so it points to the left of
// the direction of travel on screen, and outward for a clockwise outline.
// Coincident points give (0, 0), which every builder treats as no edge.
TArrayOfFloatPoint BuildNormals(const TArrayOfFloatPoint& Points);
TArrayOfFixedPoint BuildNormals(const TArrayOfFixedPoint& Points);

// The parallel outline at a signed distance, corners closed by the join
// style; open or closed like the input. Fewer than two distinct points give
// an empty result. A zero MiterLimit bevels every corner.
TArrayOfFloatPoint Grow(const TArrayOfFloatPoint& Points, const TArrayOfFloatPoint& Normals, TFloat Delta,
                        TJoinStyle JoinStyle = TJoinStyle::jsMiter, bool Closed = true, TFloat MiterLimit = 4.0f);
TArrayOfFloatPoint Grow(const TArrayOfFloatPoint& Points, TFloat Delta, TJoinStyle JoinStyle = TJoinStyle::jsMiter,
                        bool Closed = true, TFloat MiterLimit = 4.0f);
// 16.16 forms: computed through the float ones.
TArrayOfFixedPoint Grow(const TArrayOfFixedPoint& Points, const TArrayOfFixedPoint& Normals, TFixed Delta,
                        TJoinStyle JoinStyle = TJoinStyle::jsMiter, bool Closed = true,
                        TFixed MiterLimit = 0x40000);
TArrayOfFixedPoint Grow(const TArrayOfFixedPoint& Points, TFixed Delta, TJoinStyle JoinStyle = TJoinStyle::jsMiter,
                        bool Closed = true, TFixed MiterLimit = 0x40000);

// ---------------------------------------------------------------------------
// Shape builders (Pix32_VectorUtils_qn_Shapes.cpp)
//
// Angles in radians, growing clockwise on screen; every closed shape runs
// clockwise on screen and does not repeat its first point. Automatic vertex
// counts lie in 2 ... MaxAutoSteps (a non-finite radius gives 2).
constexpr Integer MaxAutoSteps = 65536;

Integer CalculateCircleSteps(TFloat Radius);

// Steps <= 0 means automatic; 1 gives the single point at angle 0.
TArrayOfFloatPoint Circle(const TFloatPoint& P, TFloat Radius, Integer Steps);
TArrayOfFloatPoint Circle(const TFloatPoint& P, TFloat Radius);
TArrayOfFloatPoint Circle(TFloat X, TFloat Y, TFloat Radius, Integer Steps);
TArrayOfFloatPoint Circle(TFloat X, TFloat Y, TFloat Radius);

// Explicit Steps <= 0 give an empty result; automatic counts follow the
// smaller radius.
TArrayOfFloatPoint Ellipse(const TFloatPoint& P, const TFloatPoint& R, Integer Steps);
TArrayOfFloatPoint Ellipse(const TFloatPoint& P, const TFloatPoint& R);
TArrayOfFloatPoint Ellipse(TFloat X, TFloat Y, TFloat RX, TFloat RY, Integer Steps);
TArrayOfFloatPoint Ellipse(TFloat X, TFloat Y, TFloat RX, TFloat RY);

// The centre, then Steps + 1 points from Offset to Offset + Angle; Steps <= 0
// gives an empty result, the automatic count is the full circle's.
TArrayOfFloatPoint Pie(const TFloatPoint& P, TFloat Radius, TFloat Angle, TFloat Offset, Integer Steps);
TArrayOfFloatPoint Pie(const TFloatPoint& P, TFloat Radius, TFloat Angle, TFloat Offset);
TArrayOfFloatPoint Pie(const TFloatPoint& P, TFloat Radius, TFloat Angle, Integer Steps);
TArrayOfFloatPoint Pie(TFloat X, TFloat Y, TFloat Radius, TFloat Angle, TFloat Offset);
TArrayOfFloatPoint Pie(TFloat X, TFloat Y, TFloat Radius, TFloat Angle, TFloat Offset, Integer Steps);
TArrayOfFloatPoint Pie(TFloat X, TFloat Y, TFloat Radius, TFloat Angle, Integer Steps);

// 2 * Vertices points, outer and inner radius alternating; the one-radius
// forms put the inner vertices on the lines between outer ones (a regular
// star). Vertices <= 0 give an empty result.
TArrayOfFloatPoint Star(const TFloatPoint& P, TFloat InnerRadius, TFloat OuterRadius, Integer Vertices,
                        TFloat Rotation = 0);
TArrayOfFloatPoint Star(TFloat X, TFloat Y, TFloat InnerRadius, TFloat OuterRadius, Integer Vertices,
                        TFloat Rotation = 0);
TArrayOfFloatPoint Star(const TFloatPoint& P, TFloat Radius, Integer Vertices, TFloat Rotation = 0);
TArrayOfFloatPoint Star(TFloat X, TFloat Y, TFloat Radius, Integer Vertices, TFloat Rotation = 0);

TArrayOfFloatPoint Rectangle(const TFloatRect& R);
// The radius is kept between 0 and half the shorter side, so the ends of a
// pill stay round and a square with the full radius becomes a circle.
TArrayOfFloatPoint RoundRect(const TFloatRect& R, TFloat Radius);

// Steps points from StartAngle to EndAngle inclusive; Steps <= 0 gives an
// empty result and 1 the start point. The automatic count grows with
// sqrt(Radius) times the angle.
TArrayOfFloatPoint BuildArc(const TFloatPoint& P, TFloat StartAngle, TFloat EndAngle, TFloat Radius, Integer Steps);
TArrayOfFloatPoint BuildArc(const TFloatPoint& P, TFloat StartAngle, TFloat EndAngle, TFloat Radius);
TArrayOfFixedPoint BuildArc(const TFixedPoint& P, TFloat StartAngle, TFloat EndAngle, TFloat Radius, Integer Steps);
TArrayOfFixedPoint BuildArc(const TFixedPoint& P, TFloat StartAngle, TFloat EndAngle, TFloat Radius);

TArrayOfFloatPoint Line(const TFloatPoint& P1, const TFloatPoint& P2);
TArrayOfFloatPoint Line(TFloat X1, TFloat Y1, TFloat X2, TFloat Y2);
TArrayOfFloatPoint VertLine(TFloat X, TFloat Y1, TFloat Y2);
TArrayOfFloatPoint HorzLine(TFloat X1, TFloat Y, TFloat X2);

// ---------------------------------------------------------------------------
// Polyline outlines and dashes (Pix32_VectorUtils_qn_Polylines.cpp)
//
// The stroke of an open polyline as one closed polygon: start cap, left side,
// end cap, right side reversed. Fewer than two distinct points: empty.
TArrayOfFloatPoint BuildPolyline(const TArrayOfFloatPoint& Points, TFloat StrokeWidth,
                                 TJoinStyle JoinStyle = TJoinStyle::jsMiter, TEndStyle EndStyle = TEndStyle::esButt,
                                 TFloat MiterLimit = 4.0f);
TArrayOfFixedPoint BuildPolyline(const TArrayOfFixedPoint& Points, TFixed StrokeWidth,
                                 TJoinStyle JoinStyle = TJoinStyle::jsMiter, TEndStyle EndStyle = TEndStyle::esButt,
                                 TFixed MiterLimit = 0x40000);
// Open: one stroke outline per polyline. Closed: two per polygon, the outer
// ring and the reversed inner ring, so the inside stays empty under the
// non-zero rule.
TArrayOfArrayOfFloatPoint BuildPolyPolyLine(const TArrayOfArrayOfFloatPoint& Points, bool Closed, TFloat StrokeWidth,
                                            TJoinStyle JoinStyle = TJoinStyle::jsMiter,
                                            TEndStyle EndStyle = TEndStyle::esButt, TFloat MiterLimit = 4.0f);
TArrayOfArrayOfFixedPoint BuildPolyPolyLine(const TArrayOfArrayOfFixedPoint& Points, bool Closed, TFixed StrokeWidth,
                                            TJoinStyle JoinStyle = TJoinStyle::jsMiter,
                                            TEndStyle EndStyle = TEndStyle::esButt, TFixed MiterLimit = 0x40000);

// The visible pieces of a polyline under a dash pattern (dash, gap, dash, ...)
// whose start lies DashOffset after the first point. A pattern that is empty,
// has no positive finite total, or is too fine to draw (more than
// MaxDashPeriods periods along the line) gives the whole line as one piece.
constexpr Integer MaxDashPeriods = 1 << 20;
TArrayOfArrayOfFloatPoint BuildDashedLine(const TArrayOfFloatPoint& Points, const TArrayOfFloat& DashArray,
                                          TFloat DashOffset = 0, bool Closed = false);
TArrayOfArrayOfFixedPoint BuildDashedLine(const TArrayOfFixedPoint& Points, const TArrayOfFixed& DashArray,
                                          TFixed DashOffset = 0, bool Closed = false);

// ---------------------------------------------------------------------------
// Point sets (Pix32_VectorUtils_qn_Points.cpp): thinning, sorting,
// triangulation and small tests on intervals, segments and points.

struct TTriangleVertexIndices {
  Integer A = 0, B = 0, C = 0;
  Integer operator[](Integer I) const { return I == 0 ? A : (I == 1 ? B : C); }
};
using TArrayOfTriangleVertexIndices = std::vector<TTriangleVertexIndices>;

// The polyline thinned to the points that matter: first every point closer
// than Epsilon to the last kept one is dropped, then a span is split at its
// farthest point while that lies at least Epsilon from the span's chord
// (strictly more in the 16.16 form). A span whose ends coincide measures
// from its end point, so closed rings thin like open lines.
TArrayOfFloatPoint VertexReduction(const TArrayOfFloatPoint& Points, TFloat Epsilon = 1.0f);
TArrayOfFixedPoint VertexReduction(const TArrayOfFixedPoint& Points, TFixed Epsilon = 0x10000);

// The ascending permutation of Values (entry k is the index of the k-th
// smallest value), Values left untouched. Monotone stretches are taken or
// reversed whole; of equal values in different halves the right one comes
// first. Fewer than two values give the trivial permutation.
void FastMergeSort(const TArrayOfFloat& Values, TArrayOfInteger& Indexes);
void FastMergeSort(const TArrayOfInteger& Values, TArrayOfInteger& Indexes);

// Result[k] = Values[Indexes[k]].
TArrayOfFloat Extract(const TArrayOfFloat& Values, const TArrayOfInteger& Indexes);
TArrayOfInteger Extract(const TArrayOfInteger& Values, const TArrayOfInteger& Indexes);

// (X < X1) xor (X < X2): the smaller bound belongs to the range, the greater
// does not, whichever order they come in.
bool InSignedRange(TFloat X, TFloat X1, TFloat X2);
bool InSignedRange(Integer X, Integer X1, Integer X2);
// Whether [A1, A2] and [B1, B2] (either order) overlap; touching intervals
// overlap inclusively only. The point forms compare the X values of the two
// points as one interval with their Y values as the other.
bool OverlapExclusive(TFloat A1, TFloat A2, TFloat B1, TFloat B2);
bool OverlapExclusive(Integer A1, Integer A2, Integer B1, Integer B2);
bool OverlapExclusive(const TFloatPoint& P1, const TFloatPoint& P2);
bool OverlapExclusive(const TFixedPoint& P1, const TFixedPoint& P2);
bool OverlapInclusive(TFloat A1, TFloat A2, TFloat B1, TFloat B2);
bool OverlapInclusive(Integer A1, Integer A2, Integer B1, Integer B2);
bool OverlapInclusive(const TFloatPoint& P1, const TFloatPoint& P2);
bool OverlapInclusive(const TFixedPoint& P1, const TFixedPoint& P2);

// The crossing of A1-A2 with B1-B2, written to P only when there is one.
// One end of each segment belongs to it and the other does not (which one
// follows the sign of the determinant); parallel segments never cross.
bool Intersect(const TFloatPoint& A1, const TFloatPoint& A2, const TFloatPoint& B1, const TFloatPoint& B2,
               TFloatPoint& P);
bool Intersect(const TFixedPoint& A1, const TFixedPoint& A2, const TFixedPoint& B1, const TFixedPoint& B2,
               TFixedPoint& P);

// The index of the point nearest to Point, the first of equally near ones;
// -1 for no points.
Integer FindNearestPointIndex(const TFloatPoint& Point, const TArrayOfFloatPoint& Points);
Integer FindNearestPointIndex(const TFixedPoint& Point, const TArrayOfFixedPoint& Points);

// Delaunay triangles of the points, as indices into Points. Fewer than three
// points, or points that all lie on one line, give none.
TArrayOfTriangleVertexIndices DelaunayTriangulation(const TArrayOfFloatPoint& Points);

}  // namespace qn

#include "platform/rtl/MacroShieldEnd.h"
