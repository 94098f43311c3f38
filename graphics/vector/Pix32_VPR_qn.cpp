// The exact-area rasterizer. Each row's coverage is built analytically: the
// edges crossing the row's bottom border deposit cover that a running sum
// spreads to the right, and every segment inside the row then adds the
// signed area between itself and that border, column by column. There is no
// sampling grid, so the values are exact up to single-precision rounding.
#include "graphics/vector/Pix32_VPR_qn.h"
#include "graphics/vector/Pix32_VPR_qn_Rows.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "graphics/raster/Pix32_Math_qn.h"
#include "graphics/vector/Pix32_VectorUtils_qn.h"

namespace qn {

namespace {

// Beyond this many pixels from the origin single precision no longer keeps
// sub-pixel positions, and row or cell indices would come near overflow, so
// the clip rectangle is cut to it.
constexpr Single kCoordLimit = 8388608.0f;  // 2^23

// Every float-to-integer conversion here rounds toward minus infinity. The
// argument is always finite and within the coordinate limit (plus a little).
inline Integer FloorI(Single x) {
  const Integer i = static_cast<Integer>(x);
  return i - (x < static_cast<Single>(i) ? 1 : 0);
}

struct TLineSegment {
  TFloatPoint P0;  // absolute x, row-relative y (0 top, 1 bottom)
  TFloatPoint P1;
};
using TLineSegmentArray = std::vector<TLineSegment>;

// One row's segments, seen in the block of TScanLines.
struct TScanLine {
  const TLineSegment* Segments;
  Integer Count;
  Integer Y;
};

bool AllFinite(const TArrayOfFloatPoint& Points) {
  for (const TFloatPoint& P : Points)
    if (!std::isfinite(P.X) || !std::isfinite(P.Y)) return false;
  return true;
}

// The rows of all outlines in one block. Row r (Y = MinY + r) owns the slots
// Offset[r] .. Offset[r] + Capacity[r] - 1, Count[r] of them used; the
// capacity comes from difference counts, so splitting never reallocates.
class TScanLines {
 public:
  Integer MinY = 0;
  std::vector<size_t> Offset;
  std::vector<Integer> Count;
  TLineSegmentArray Segments;

  size_t RowCount() const { return Offset.size(); }
  TScanLine Row(size_t r) const {
    return {Segments.data() + Offset[r], Count[r], MinY + static_cast<Integer>(r)};
  }

  void Add(Integer Y, Single xa, Single fa, Single xb, Single fb) {
    const size_t r = static_cast<size_t>(Y - MinY);
    TLineSegment& S = Segments[Offset[r] + static_cast<size_t>(Count[r]++)];
    S.P0 = {xa, fa};
    S.P1 = {xb, fb};
  }

  // One edge cut into row pieces. The incremental x may drift by rounding
  // over many rows; it is held within the edge's own x range so that no
  // piece can reach a cell outside the cell row.
  void SplitEdgeByRows(const TFloatPoint& A, const TFloatPoint& B) {
    const Single x0 = A.X, y0 = A.Y, x1 = B.X, y1 = B.Y;
    const Integer Y0 = FloorI(y0), Y1 = FloorI(y1);
    const Single xlo = std::min(x0, x1), xhi = std::max(x0, x1);
    auto hold = [&](Single x) { return std::clamp(x, xlo, xhi); };
    if (Y0 == Y1) {
      const Single f0 = y0 - static_cast<Single>(Y0), f1 = y1 - static_cast<Single>(Y0);
      if (f0 == 0 && f1 == 0) return;  // on the row's top border
      Add(Y0, x0, f0, x1, f1);
      return;
    }
    const Single k = (x1 - x0) / (y1 - y0);
    if (Y0 < Y1) {
      Single X = hold((static_cast<Single>(Y0 + 1) - y0) * k + x0);
      Add(Y0, x0, y0 - static_cast<Single>(Y0), X, 1.0f);
      for (Integer Y = Y0 + 1; Y < Y1; ++Y) {
        const Single Xn = hold(X + k);
        Add(Y, X, 0.0f, Xn, 1.0f);
        X = Xn;
      }
      const Single f1 = y1 - static_cast<Single>(Y1);
      if (f1 != 0) Add(Y1, X, 0.0f, x1, f1);
    } else {
      Single X = hold((static_cast<Single>(Y0) - y0) * k + x0);
      const Single f0 = y0 - static_cast<Single>(Y0);
      if (f0 != 0) Add(Y0, x0, f0, X, 0.0f);
      for (Integer Y = Y0 - 1; Y > Y1; --Y) {
        const Single Xn = hold(X - k);
        Add(Y, X, 1.0f, Xn, 0.0f);
        X = Xn;
      }
      Add(Y1, X, 1.0f, x1, y1 - static_cast<Single>(Y1));
    }
  }
};

// The cell row, addressed by absolute column.
struct TCells {
  Single* Base;
  Integer Lo;
  Single& operator[](Integer X) const { return Base[X - Lo]; }
  Single* At(Integer X) const { return Base + (X - Lo); }
};

// Signed integral of the row-relative height over the part of the segment
// inside each column it crosses.
void AccumulateSegmentArea(const TCells& Cell, const TLineSegment& S) {
  const Single x0 = S.P0.X, f0 = S.P0.Y, x1 = S.P1.X, f1 = S.P1.Y;
  const Integer C0 = FloorI(x0), C1 = FloorI(x1);
  if (C0 == C1) {
    Cell[C0] += (x1 - x0) * 0.5f * (f0 + f1);
  } else if (C1 > C0) {
    const Single k = (f1 - f0) / (x1 - x0);
    const Single w = 1 - (x0 - static_cast<Single>(C0));
    Single fc = w * k + f0;
    Cell[C0] += (f0 + fc) * 0.5f * w;
    for (Integer C = C0 + 1; C < C1; ++C) {
      Cell[C] += k * 0.5f + fc;
      fc += k;
    }
    Cell[C1] += (fc + f1) * 0.5f * (x1 - static_cast<Single>(C1));
  } else {
    const Single k = (f1 - f0) / (x1 - x0);
    Single fc = f0 - (x0 - static_cast<Single>(C0)) * k;
    Cell[C0] -= (f0 + fc) * 0.5f * (x0 - static_cast<Single>(C0));
    for (Integer C = C0 - 1; C > C1; --C) {
      Cell[C] -= fc - k * 0.5f;
      fc -= k;
    }
    Cell[C1] -= (fc + f1) * 0.5f * (1 - (x1 - static_cast<Single>(C1)));
  }
}

// Gaps between touched columns shorter than this are summed with them:
// a run too short to blend as one colour is not worth keeping apart.
constexpr Integer kMinGap = 8;

struct TColumnRange {
  Integer A;
  Integer B;
};

// One row's working lists, kept from row to row so that no row allocates.
struct TRowScratch {
  std::vector<TColumnRange> Touched;
  std::vector<TCoverRun> Runs;
};

// Cover deposits at bottom-border crossings, the running sum, then the area
// terms. The running sum is taken only over the columns that segments or
// deposits touch: between them the cells are zero and the sum holds one
// value, which becomes a run instead of being written out. Touched ends up
// with the merged column ranges, the only cells written.
void IntegrateScanLine(const TCells& Cell, const TScanLine& Row, Integer& X1, Integer& X2, TRowScratch& W) {
  const TLineSegment* Seg = Row.Segments;
  const Integer Count = Row.Count;
  X1 = 2147483647;
  X2 = -2147483647 - 1;
  auto deposit = [&](const TFloatPoint& P, bool End) {
    Integer X = FloorI(P.X);
    X1 = std::min(X1, X);
    if (P.Y == 1.0f) {
      const Single fr = P.X - static_cast<Single>(X);
      if (End) {
        Cell[X] += 1 - fr;
        Cell[X + 1] += fr;
      } else {
        Cell[X] -= 1 - fr;
        Cell[X + 1] -= fr;
      }
      ++X;
    }
    X2 = std::max(X2, X);
  };
  W.Touched.clear();
  for (Integer i = 0; i < Count; ++i) {
    deposit(Seg[i].P0, false);
    deposit(Seg[i].P1, true);
  }
  // A segment's area lands in the columns of its x range, its deposits in
  // those and the one after.
  for (Integer i = 0; i < Count; ++i) {
    const Single lo = std::min(Seg[i].P0.X, Seg[i].P1.X), hi = std::max(Seg[i].P0.X, Seg[i].P1.X);
    W.Touched.push_back({FloorI(lo), std::min(FloorI(hi) + 1, X2)});
  }
  std::sort(W.Touched.begin(), W.Touched.end(),
            [](const TColumnRange& a, const TColumnRange& b) { return a.A < b.A; });
  size_t n = 0;
  for (size_t i = 1; i < W.Touched.size(); ++i) {
    if (W.Touched[i].A <= W.Touched[n].B + kMinGap)
      W.Touched[n].B = std::max(W.Touched[n].B, W.Touched[i].B);
    else
      W.Touched[++n] = W.Touched[i];
  }
  W.Touched.resize(n + 1);

  W.Runs.clear();
  Single S = 0;
  Integer Prev = X1 - 1;
  for (const TColumnRange& T : W.Touched) {
    if (T.A > Prev + 1) W.Runs.push_back({Prev + 1, T.A - 1, S});
    Cell[T.A] += S;
    CumSum(Cell.At(T.A), T.B - T.A + 1);
    S = Cell[T.B];
    Prev = T.B;
  }
  for (Integer i = 0; i < Count; ++i) AccumulateSegmentArea(Cell, Seg[i]);
}

// The rows of all the closed outlines in one block, every row from MinY to
// one past MaxY. Sizing the block from every outline at once means the
// outlines' rows never have to be merged afterwards.
void CollectScanLines(const std::vector<TArrayOfFloatPoint>& Outlines, Integer MinY, Integer MaxY,
                      TScanLines& Rows) {
  // Capacity per row by difference counts and a running total.
  Rows.MinY = MinY;
  const size_t NRows = static_cast<size_t>(MaxY - MinY) + 2;
  std::vector<std::int64_t> Diff(NRows + 1, 0);
  for (const TArrayOfFloatPoint& C : Outlines)
    for (size_t i = 1; i < C.size(); ++i) {
      Integer Ya = FloorI(C[i - 1].Y), Yb = FloorI(C[i].Y);
      if (Ya > Yb) std::swap(Ya, Yb);
      ++Diff[static_cast<size_t>(Ya - MinY)];
      --Diff[static_cast<size_t>(Yb - MinY) + 1];
    }
  Rows.Offset.resize(NRows);
  Rows.Count.assign(NRows, 0);
  size_t Total = 0;
  std::int64_t Running = 0;
  for (size_t r = 0; r < NRows; ++r) {
    Running += Diff[r];
    Rows.Offset[r] = Total;
    Total += static_cast<size_t>(Running);
  }
  Rows.Segments.resize(Total);
  // Later outlines' segments come first in a shared row.
  for (size_t o = Outlines.size(); o-- > 0;) {
    const TArrayOfFloatPoint& C = Outlines[o];
    for (size_t i = 0; i + 1 < C.size(); ++i) Rows.SplitEdgeByRows(C[i], C[i + 1]);
  }
}

// Integrates one row, cuts it to the clip columns and hands it to Emit(Y,
// X1, X2, Values, Runs) with the cells of the runs still zero; afterwards
// every cell the row wrote is zero again, scratch cells included.
template <class Emit>
void EmitScanLineSpan(const TScanLine& Row, const TCells& Cell, Integer CX1, Integer CX2, TRowScratch& W,
                      std::vector<TCoverRun>& Clipped, Emit& emit) {
  if (Row.Count == 0) return;
  Integer X1, X2;
  IntegrateScanLine(Cell, Row, X1, X2, W);
  X1 = std::max(X1, CX1);
  X2 = std::min(X2, CX2);
  if (X2 >= X1) {
    Clipped.clear();
    for (const TCoverRun& R : W.Runs) {
      const TCoverRun C{std::max(R.X1, X1), std::min(R.X2, X2), R.Value};
      if (C.X1 <= C.X2) Clipped.push_back(C);
    }
    emit(Row.Y, X1, X2, Cell.At(X1), Clipped);
  }
  for (const TColumnRange& T : W.Touched) std::fill(Cell.At(T.A), Cell.At(T.B) + 1, 0.0f);
}

// Emit(Y, X1, X2, Values, Runs) gets each row cut to the clip columns, with
// the cells of the runs still zero.
template <class Emit>
void Rasterize(const TArrayOfArrayOfFloatPoint& Points, const TFloatRect& ClipRect, Emit&& emit) {
  if (Points.empty()) return;
  // NaN fails every comparison, so it ends here too.
  if (!(ClipRect.Left < ClipRect.Right) || !(ClipRect.Top < ClipRect.Bottom)) return;
  const TFloatRect Clip(std::max(ClipRect.Left, -kCoordLimit), std::max(ClipRect.Top, -kCoordLimit),
                        std::min(ClipRect.Right, kCoordLimit), std::min(ClipRect.Bottom, kCoordLimit));
  if (!(Clip.Left < Clip.Right) || !(Clip.Top < Clip.Bottom)) return;

  std::vector<TArrayOfFloatPoint> Outlines;
  Outlines.reserve(Points.size());
  Integer MinY = 2147483647, MaxY = -2147483647 - 1;
  Single MinX = kCoordLimit, MaxX = -kCoordLimit;
  for (const TArrayOfFloatPoint& P : Points) {
    if (P.size() < 3 || !AllFinite(P)) continue;
    TArrayOfFloatPoint C = ClosePolygon(ClipPolygon(P, Clip));
    // Intersections with edges near the float limit can overflow.
    if (C.size() < 3 || !AllFinite(C)) continue;
    for (const TFloatPoint& Q : C) {
      const Integer Y = FloorI(Q.Y);
      MinY = std::min(MinY, Y);
      MaxY = std::max(MaxY, Y);
      MinX = std::min(MinX, Q.X);
      MaxX = std::max(MaxX, Q.X);
    }
    Outlines.push_back(std::move(C));
  }
  if (Outlines.empty()) return;

  TScanLines Rows;
  CollectScanLines(Outlines, MinY, MaxY, Rows);

  const Integer CX1 = FloorI(Clip.Left);
  const Integer CX2 = -FloorI(-Clip.Right) - 1;
  // The cells cover the outlines' columns only, one spare on the left and
  // two on the right for the deposits past the last point.
  const Integer Lo = FloorI(MinX) - 1, Hi = FloorI(MaxX) + 2;
  std::vector<Single> Cells(static_cast<size_t>(Hi - Lo + 1), 0.0f);
  const TCells Cell{Cells.data(), Lo};
  TRowScratch W;
  std::vector<TCoverRun> Clipped;

  for (size_t r = 0; r < Rows.RowCount(); ++r) EmitScanLineSpan(Rows.Row(r), Cell, CX1, CX2, W, Clipped, emit);
}

// The value spans: the runs written out into their cells, which go back to
// zero once the span has been reported.
template <class Report>
void RasterizeSpans(const TArrayOfArrayOfFloatPoint& Points, const TFloatRect& ClipRect, Report&& report) {
  Rasterize(Points, ClipRect,
            [&](Integer Y, Integer X1, Integer X2, Single* Values, const std::vector<TCoverRun>& Runs) {
              for (const TCoverRun& R : Runs) std::fill(Values + (R.X1 - X1), Values + (R.X2 - X1) + 1, R.Value);
              TValueSpan Span;
              Span.X1 = X1;
              Span.X2 = X2;
              Span.Values = Values;
              report(Span, Y);
              for (const TCoverRun& R : Runs) std::fill(Values + (R.X1 - X1), Values + (R.X2 - X1) + 1, 0.0f);
            });
}

}  // namespace

void RenderPolyPolygon(const TArrayOfArrayOfFloatPoint& Points, const TFloatRect& ClipRect,
                       TRenderSpanProc RenderProc, Pointer Data) {
  if (!RenderProc) return;
  RasterizeSpans(Points, ClipRect, [&](const TValueSpan& S, Integer Y) { RenderProc(Data, S, Y); });
}

void RenderPolyPolygon(const TArrayOfArrayOfFloatPoint& Points, const TFloatRect& ClipRect,
                       const TRenderSpanEvent& RenderProc) {
  if (!Assigned(RenderProc)) return;
  RasterizeSpans(Points, ClipRect, [&](const TValueSpan& S, Integer Y) { RenderProc(S, Y); });
}

void RenderPolyPolygonRows(const TArrayOfArrayOfFloatPoint& Points, const TFloatRect& ClipRect,
                           TRenderRowProc RenderProc, Pointer Data) {
  if (!RenderProc) return;
  Rasterize(Points, ClipRect,
            [&](Integer Y, Integer X1, Integer X2, Single* Values, const std::vector<TCoverRun>& Runs) {
              RenderProc(Data, TCoverRow{Y, X1, X2, Values, Runs.data(), static_cast<Integer>(Runs.size())});
            });
}

void RenderPolygon(const TArrayOfFloatPoint& Points, const TFloatRect& ClipRect, TRenderSpanProc RenderProc,
                   Pointer Data) {
  RenderPolyPolygon(PolyPolygon(Points), ClipRect, RenderProc, Data);
}

void RenderPolygon(const TArrayOfFloatPoint& Points, const TFloatRect& ClipRect,
                   const TRenderSpanEvent& RenderProc) {
  RenderPolyPolygon(PolyPolygon(Points), ClipRect, RenderProc);
}

}  // namespace qn
