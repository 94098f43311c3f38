// The rasterizer's rows with their interiors left out: inside a row, the
// columns that no segment touches carry one running value, and a renderer
// that fills them with one colour need not see them one by one. Used by the
// library's own colour renderer; everything else takes the value spans.
#pragma once
#include "platform/rtl/MacroShield.h"

#include "graphics/vector/Pix32_VPR_qn.h"

namespace qn {

// Columns X1..X2 of one value; their cells are not written.
struct TCoverRun {
  Integer X1;
  Integer X2;
  Single Value;
};

// One row's coverage over columns X1..X2: Values[X - X1] holds column X
// except inside the runs, which are ascending and lie within X1..X2.
struct TCoverRow {
  Integer Y;
  Integer X1;
  Integer X2;
  const Single* Values;
  const TCoverRun* Runs;
  Integer RunCount;
};

using TRenderRowProc = void (*)(Pointer Data, const TCoverRow& Row);

// As RenderPolyPolygon, row by row with the runs apart. Filling each run's
// columns with its value gives exactly the span RenderPolyPolygon reports.
void RenderPolyPolygonRows(const TArrayOfArrayOfFloatPoint& Points, const TFloatRect& ClipRect,
                           TRenderRowProc RenderProc, Pointer Data);

}  // namespace qn

#include "platform/rtl/MacroShieldEnd.h"
