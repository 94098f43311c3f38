// The exact-area rasterizer: closed float outlines in, rows of signed
// coverage out. The polygon renderers of Pix32_Polygons_qn are built on it;
// code that wants the coverage itself (masks, hit areas, other blenders)
// uses it directly.
#pragma once
#include "platform/rtl/MacroShield.h"

#include "graphics/raster/QnBase.h"
#include "graphics/raster/Pix32_qn_Types.h"

namespace qn {

// One row's coverage: Values[0] belongs to column X1, Values[X2 - X1] to X2.
// The values are signed (their sign follows the outline's direction) and
// sum where outlines overlap; the span routine applies the fill rule. The
// memory belongs to the rasterizer and is reused for the next row.
struct TValueSpan {
  Integer X1 = 0;
  Integer X2 = -1;
  PSingleArray Values = nullptr;
};

using TRenderSpanProc = void (*)(Pointer Data, const TValueSpan& Span, Integer DstY);
using TRenderSpanEvent = TEvent<void(const TValueSpan& Span, Integer DstY)>;

// Rasterizes all outlines together (each clipped to ClipRect and closed)
// and calls the span routine once per non-empty row, rows ascending. Spans
// never reach left of floor(ClipRect.Left) or right of ceil(ClipRect.Right)-1.
// Outlines with a non-finite coordinate are skipped, and an empty, inverted
// or non-finite clip rectangle draws nothing.
void RenderPolyPolygon(const TArrayOfArrayOfFloatPoint& Points, const TFloatRect& ClipRect,
                       TRenderSpanProc RenderProc, Pointer Data = nullptr);
void RenderPolyPolygon(const TArrayOfArrayOfFloatPoint& Points, const TFloatRect& ClipRect,
                       const TRenderSpanEvent& RenderProc);
void RenderPolygon(const TArrayOfFloatPoint& Points, const TFloatRect& ClipRect, TRenderSpanProc RenderProc,
                   Pointer Data = nullptr);
void RenderPolygon(const TArrayOfFloatPoint& Points, const TFloatRect& ClipRect,
                   const TRenderSpanEvent& RenderProc);

}  // namespace qn

#include "platform/rtl/MacroShieldEnd.h"
