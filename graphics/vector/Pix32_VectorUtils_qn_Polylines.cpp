// Stroke outlines of polylines and polygons, and the cutting of a polyline
// into dashes.
#include <algorithm>
#include <cmath>
#include <numbers>

#include "graphics/vector/Pix32_VectorUtils_qn.h"

namespace qn {

namespace {

bool IsZeroNormal(const TFloatPoint& N) { return N.X == 0 && N.Y == 0; }

// The cap at P for the unit normal N of the end edge; W is the signed half
// width (negative at the start, so the cap runs from the right side round to
// the left one).
void AddLineEnd(TArrayOfFloatPoint& Out, const TFloatPoint& P, const TFloatPoint& N, TEndStyle EndStyle, TFloat W) {
  switch (EndStyle) {
    case TEndStyle::esButt:
      break;
    case TEndStyle::esSquare:
      Out.emplace_back(P.X + W * (N.X - N.Y), P.Y + W * (N.Y + N.X));
      Out.emplace_back(P.X - W * (N.X + N.Y), P.Y - W * (N.Y - N.X));
      break;
    case TEndStyle::esRound: {
      TFloat A1 = std::atan2(N.Y, N.X), A2 = std::atan2(-N.Y, -N.X);
      if (A2 < A1) A2 += static_cast<TFloat>(2 * std::numbers::pi);
      const TArrayOfFloatPoint Arc = BuildArc(P, A1, A2, W);
      Out.insert(Out.end(), Arc.begin(), Arc.end());
      break;
    }
  }
}

TArrayOfFloatPoint LineOfPoints(const TArrayOfFloatPoint& Points, bool Closed) {
  TArrayOfFloatPoint Result = Points;
  if (Closed && Points.size() > 1) Result.push_back(Points[0]);
  return Result;
}

}  // namespace

TArrayOfFloatPoint BuildPolyline(const TArrayOfFloatPoint& Points, TFloat StrokeWidth, TJoinStyle JoinStyle,
                                 TEndStyle EndStyle, TFloat MiterLimit) {
  const Integer Count = static_cast<Integer>(Points.size());
  if (Count < 2) return {};
  const TFloat W = StrokeWidth * 0.5f;
  const TArrayOfFloatPoint Normals = BuildNormals(Points);
  Integer H = Count - 2;
  while (H >= 0 && IsZeroNormal(Normals[H])) --H;
  if (H < 0) return {};
  Integer S = 0;
  while (IsZeroNormal(Normals[S])) ++S;

  const TArrayOfFloatPoint Left = Grow(Points, Normals, W, JoinStyle, false, MiterLimit);
  const TArrayOfFloatPoint Right = Grow(Points, Normals, -W, JoinStyle, false, MiterLimit);
  TArrayOfFloatPoint Result;
  Result.reserve(Left.size() + Right.size() + 16);
  AddLineEnd(Result, Points[0], Normals[S], EndStyle, -W);
  Result.insert(Result.end(), Left.begin(), Left.end());
  AddLineEnd(Result, Points[Count - 1], Normals[H], EndStyle, W);
  Result.insert(Result.end(), Right.rbegin(), Right.rend());
  return Result;
}

TArrayOfFixedPoint BuildPolyline(const TArrayOfFixedPoint& Points, TFixed StrokeWidth, TJoinStyle JoinStyle,
                                 TEndStyle EndStyle, TFixed MiterLimit) {
  return FloatPointToFixedPoint(BuildPolyline(FixedPointToFloatPoint(Points), StrokeWidth * (1.0f / 65536),
                                              JoinStyle, EndStyle, MiterLimit * (1.0f / 65536)));
}

TArrayOfArrayOfFloatPoint BuildPolyPolyLine(const TArrayOfArrayOfFloatPoint& Points, bool Closed, TFloat StrokeWidth,
                                            TJoinStyle JoinStyle, TEndStyle EndStyle, TFloat MiterLimit) {
  TArrayOfArrayOfFloatPoint Result;
  if (!Closed) {
    Result.reserve(Points.size());
    for (const TArrayOfFloatPoint& Line : Points)
      Result.push_back(BuildPolyline(Line, StrokeWidth, JoinStyle, EndStyle, MiterLimit));
    return Result;
  }
  const TFloat W = StrokeWidth * 0.5f;
  Result.reserve(2 * Points.size());
  for (const TArrayOfFloatPoint& Polygon : Points) {
    const TArrayOfFloatPoint Normals = BuildNormals(Polygon);
    Result.push_back(Grow(Polygon, Normals, W, JoinStyle, true, MiterLimit));
    Result.push_back(ReversePolygon(Grow(Polygon, Normals, -W, JoinStyle, true, MiterLimit)));
  }
  return Result;
}

TArrayOfArrayOfFixedPoint BuildPolyPolyLine(const TArrayOfArrayOfFixedPoint& Points, bool Closed, TFixed StrokeWidth,
                                            TJoinStyle JoinStyle, TEndStyle EndStyle, TFixed MiterLimit) {
  return FloatPointToFixedPoint(BuildPolyPolyLine(FixedPointToFloatPoint(Points), Closed,
                                                  StrokeWidth * (1.0f / 65536), JoinStyle, EndStyle,
                                                  MiterLimit * (1.0f / 65536)));
}

TArrayOfArrayOfFloatPoint BuildDashedLine(const TArrayOfFloatPoint& Points, const TArrayOfFloat& DashArray,
                                          TFloat DashOffset, bool Closed) {
  if (Points.empty()) return {};
  const Integer Count = static_cast<Integer>(Points.size());
  const Integer DashCount = static_cast<Integer>(DashArray.size());

  // Lengths add up in double: single-precision sums of the pattern can end a
  // hair short of the period and walk past the pattern.
  double Total = 0;
  for (TFloat V : DashArray) Total += V;
  double LineLength = 0;
  for (Integer I = 1; I <= (Closed ? Count : Count - 1); ++I) {
    const TFloatPoint& A = Points[I - 1];
    const TFloatPoint& B = Points[I < Count ? I : 0];
    LineLength += std::hypot(static_cast<double>(B.X) - A.X, static_cast<double>(B.Y) - A.Y);
  }
  // Without a usable period there is nothing to cut: the line is drawn whole
  // (a fresh dashed brush has no pattern yet). A pattern too fine for any
  // pixel would only cost time and memory, so it is drawn whole as well.
  if (DashCount == 0 || !(Total > 0) || !std::isfinite(Total) || !std::isfinite(LineLength) ||
      LineLength / Total > MaxDashPeriods)
    return {LineOfPoints(Points, Closed)};

  double V = std::isfinite(DashOffset) ? std::fmod(static_cast<double>(DashOffset), Total) : 0.0;
  if (V < 0) V += Total;
  if (V >= Total) V = 0;

  // The element the first point lies in, and how much of it is left.
  double Next = V - Total;
  Integer DashIndex = -1;
  while (Next < 0 && DashIndex < DashCount - 1) Next += DashArray[++DashIndex];
  if (Next < 0) Next = 0;
  // Whether the first piece begins at the first point: inside a dash, or a
  // dash beginning exactly there. Only then may the closing dash run on into it.
  const bool FirstAtStart = (DashIndex & 1) == 0 || Next == 0;

  TArrayOfArrayOfFloatPoint Result(1);
  if ((DashIndex & 1) == 0) Result[0].push_back(Points[0]);
  double Walked = 0;

  auto WalkEdge = [&](const TFloatPoint& A, const TFloatPoint& E) {
    const double DX = static_cast<double>(E.X) - A.X, DY = static_cast<double>(E.Y) - A.Y;
    const double Length = std::hypot(DX, DY);
    const double UX = Length > 0 ? DX / Length : 0, UY = Length > 0 ? DY / Length : 0;
    const double Start = Walked;
    Walked += Length;
    while (Walked > Next) {
      // Measured from the edge's start, so a switch on a vertex is the vertex.
      const double T = Next - Start;
      Result.back().emplace_back(static_cast<TFloat>(A.X + T * UX), static_cast<TFloat>(A.Y + T * UY));
      DashIndex = DashIndex + 1 < DashCount ? DashIndex + 1 : 0;
      Next += DashArray[DashIndex];
      if (DashIndex & 1) Result.emplace_back();
    }
    if ((DashIndex & 1) == 0) Result.back().push_back(E);
  };

  for (Integer I = 1; I < Count; ++I) WalkEdge(Points[I - 1], Points[I]);
  if (Closed) {
    WalkEdge(Points[Count - 1], Points[0]);
    if (Result.size() > 1 && FirstAtStart && !Result.back().empty() && !Result.front().empty()) {
      TArrayOfFloatPoint& Last = Result.back();
      Last.insert(Last.end(), Result.front().begin() + 1, Result.front().end());
      Result.front() = std::move(Last);
      Result.pop_back();
    }
  }
  if (Result.back().empty()) Result.pop_back();
  return Result;
}

TArrayOfArrayOfFixedPoint BuildDashedLine(const TArrayOfFixedPoint& Points, const TArrayOfFixed& DashArray,
                                          TFixed DashOffset, bool Closed) {
  TArrayOfFloat Pattern(DashArray.size());
  for (size_t i = 0; i < DashArray.size(); ++i) Pattern[i] = DashArray[i] * (1.0f / 65536);
  return FloatPointToFixedPoint(
      BuildDashedLine(FixedPointToFloatPoint(Points), Pattern, DashOffset * (1.0f / 65536), Closed));
}

}  // namespace qn
