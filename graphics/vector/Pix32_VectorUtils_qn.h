// Clipping and polygon utilities: segments and polygons cut to rectangles,
// and the small point-array operations the rasterizer and the outline
// builders share. Everything is a plain function; only the Inplace forms
// change their argument.
#pragma once

#include "graphics/raster/Pix32_Transforms_qn.h"
#include "graphics/raster/Pix32_qn.h"

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

}  // namespace qn
