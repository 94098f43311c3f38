#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <map>
#include <random>
#include <utility>
#include <vector>

#include "graphics/vector/Pix32_VPR_qn.h"
#include "graphics/vector/Pix32_VPR_qn_Rows.h"
#include "graphics/vector/Pix32_VectorUtils_qn.h"

namespace t_pix32_vprtest {

using namespace qn;

namespace {

struct TSpanLog {
  std::vector<std::pair<Integer, TValueSpan>> Rows;  // Values pointer not kept
  std::map<std::pair<Integer, Integer>, Single> Cells;  // (y, x) -> coverage
  Integer Calls = 0;
};

void Collect(Pointer Data, const TValueSpan& Span, Integer Y) {
  auto* Log = static_cast<TSpanLog*>(Data);
  ++Log->Calls;
  TValueSpan S = Span;
  for (Integer x = Span.X1; x <= Span.X2; ++x) Log->Cells[{Y, x}] += Span.Values[x - Span.X1];
  S.Values = nullptr;
  Log->Rows.emplace_back(Y, S);
}

TSpanLog Render(const TArrayOfArrayOfFloatPoint& P, const TFloatRect& Clip) {
  TSpanLog Log;
  RenderPolyPolygon(P, Clip, &Collect, &Log);
  return Log;
}

Single At(const TSpanLog& L, Integer X, Integer Y) {
  auto it = L.Cells.find({Y, X});
  return it == L.Cells.end() ? 0.0f : it->second;
}

TArrayOfFloatPoint Box(Single L, Single T, Single R, Single B) { return {{L, T}, {R, T}, {R, B}, {L, B}}; }
TArrayOfFloatPoint Reversed(TArrayOfFloatPoint P) { return {P.rbegin(), P.rend()}; }

const TFloatRect kClip(0, 0, 100, 100);

}  // namespace

TEST(Pix32_VPR_qn, SquareHasUnitCoverageAndSignFollowsDirection) {
  for (int dir = 0; dir < 2; ++dir) {
    const TArrayOfFloatPoint Sq = dir == 0 ? Box(10, 10, 20, 20) : Reversed(Box(10, 10, 20, 20));
    const Single Sign = dir == 0 ? -1.0f : 1.0f;
    const TSpanLog L = Render({Sq}, kClip);
    ASSERT_EQ(L.Rows.size(), 10u);
    for (size_t i = 0; i < L.Rows.size(); ++i) {
      EXPECT_EQ(L.Rows[i].first, 10 + static_cast<Integer>(i));
      EXPECT_EQ(L.Rows[i].second.X1, 10);
      EXPECT_EQ(L.Rows[i].second.X2, 21);
      for (Integer x = 10; x < 20; ++x) EXPECT_FLOAT_EQ(At(L, x, L.Rows[i].first), Sign) << x;
      EXPECT_FLOAT_EQ(At(L, 20, L.Rows[i].first), 0.0f);
      EXPECT_FLOAT_EQ(At(L, 21, L.Rows[i].first), 0.0f);
    }
  }
}

TEST(Pix32_VPR_qn, HalfPixelShiftGivesCornerEdgeAndInnerAreas) {
  const TSpanLog L = Render({Box(10.5f, 10.5f, 20.5f, 20.5f)}, kClip);
  for (Integer y = 9; y <= 21; ++y)
    for (Integer x = 9; x <= 22; ++x) {
      const bool ex = x == 10 || x == 20, ey = y == 10 || y == 20;
      const bool in = x >= 10 && x <= 20 && y >= 10 && y <= 20;
      const Single Want = !in ? 0.0f : (ex && ey) ? 0.25f : (ex || ey) ? 0.5f : 1.0f;
      EXPECT_NEAR(std::fabs(At(L, x, y)), Want, 1e-6) << x << "," << y;
    }
}

TEST(Pix32_VPR_qn, WorkedEdgeCoversTriangleAndCellsRightOfIt) {
  // Down (2,0)->(3,1), along the bottom border, up the right side at x=5.
  const TSpanLog L = Render({{{2, 0}, {3, 1}, {5, 1}, {5, 0}}}, kClip);
  ASSERT_EQ(L.Rows.size(), 1u);
  EXPECT_EQ(L.Rows[0].first, 0);
  EXPECT_FLOAT_EQ(At(L, 2, 0), 0.5f);
  EXPECT_FLOAT_EQ(At(L, 3, 0), 1.0f);
  EXPECT_FLOAT_EQ(At(L, 4, 0), 1.0f);
  EXPECT_FLOAT_EQ(At(L, 5, 0), 0.0f);
  EXPECT_FLOAT_EQ(At(L, 1, 0), 0.0f);
}

TEST(Pix32_VPR_qn, OverlapSumsByDirection) {
  const TArrayOfFloatPoint A = Box(10, 10, 30, 30), B = Box(20, 20, 40, 40);
  const TSpanLog Same = Render({A, B}, kClip);
  const TSpanLog Opp = Render({A, Reversed(B)}, kClip);
  EXPECT_FLOAT_EQ(std::fabs(At(Same, 25, 25)), 2.0f);
  EXPECT_FLOAT_EQ(std::fabs(At(Same, 15, 15)), 1.0f);
  EXPECT_FLOAT_EQ(std::fabs(At(Same, 35, 35)), 1.0f);
  EXPECT_FLOAT_EQ(At(Opp, 25, 25), 0.0f);
  EXPECT_FLOAT_EQ(std::fabs(At(Opp, 35, 35)), 1.0f);
  // Rows still arrive once each, in ascending order.
  for (size_t i = 1; i < Same.Rows.size(); ++i) EXPECT_LT(Same.Rows[i - 1].first, Same.Rows[i].first);
}

TEST(Pix32_VPR_qn, NothingOutsideTheClipOrDegenerate) {
  const TFloatRect Clip(10, 10, 20, 20);
  for (const TArrayOfFloatPoint& P : {Box(0, 12, 5, 18), Box(25, 12, 30, 18), Box(12, 0, 18, 5),
                                      Box(12, 25, 18, 30), TArrayOfFloatPoint{{11, 11}, {19, 19}},
                                      TArrayOfFloatPoint{{11, 15}, {19, 15}, {15, 15}}})
    EXPECT_EQ(Render({P}, Clip).Calls, 0);
  EXPECT_EQ(Render({}, Clip).Calls, 0);
}

TEST(Pix32_VPR_qn, SpansStayInsideTheClipColumns) {
  const TFloatRect Clip(10.5f, 10.25f, 19.5f, 19.75f);
  const TSpanLog L = Render({Box(0, 0, 50, 50), Box(5.3f, 3.1f, 30.7f, 40.2f)}, Clip);
  ASSERT_GT(L.Calls, 0);
  for (const auto& [y, S] : L.Rows) {
    EXPECT_GE(S.X1, 10);
    EXPECT_LE(S.X2, 19);
    EXPECT_GE(y, 10);
    EXPECT_LE(y, 19);
  }
  // Both outlines cover these pixels; the clip leaves half and three quarters.
  EXPECT_NEAR(std::fabs(At(L, 10, 12)), 2 * 0.5f, 1e-6);
  EXPECT_NEAR(std::fabs(At(L, 15, 10)), 2 * 0.75f, 1e-6);
}

TEST(Pix32_VPR_qn, NonFiniteInputAndBadClipDrawNothing) {
  const Single NaN = std::numeric_limits<Single>::quiet_NaN();
  const Single Inf = std::numeric_limits<Single>::infinity();
  const TArrayOfFloatPoint Good = Box(10, 10, 20, 20);
  for (const TFloatPoint& Bad : {TFloatPoint{NaN, 15}, TFloatPoint{15, NaN}, TFloatPoint{Inf, 15},
                                 TFloatPoint{15, -Inf}})
    EXPECT_EQ(Render({{{10, 10}, Bad, {20, 20}, {10, 20}}}, kClip).Calls, 0);
  // A bad outline is skipped; the good one beside it still draws alone.
  const TSpanLog Mixed = Render({{{10, 10}, {NaN, NaN}, {20, 20}}, Good}, kClip);
  EXPECT_EQ(Mixed.Calls, 10);
  EXPECT_FLOAT_EQ(std::fabs(At(Mixed, 15, 15)), 1.0f);
  for (const TFloatRect& C : {TFloatRect(50, 0, 0, 100), TFloatRect(0, 50, 100, 0), TFloatRect(0, 0, 0, 100),
                              TFloatRect(NaN, 0, 100, 100), TFloatRect(0, 0, 100, NaN)})
    EXPECT_EQ(Render({Good}, C).Calls, 0);
  // Finite but near the float limit: whatever survives stays in the clip.
  const TSpanLog Huge = Render({{{-3e38f, 5}, {3e38f, -3e38f}, {3e38f, 3e38f}}}, kClip);
  for (const auto& [y, S] : Huge.Rows) {
    EXPECT_GE(S.X1, 0);
    EXPECT_LE(S.X2, 99);
  }
  // An unbounded clip is cut to the working range rather than sized.
  const TSpanLog Wide = Render({Good}, TFloatRect(-Inf, -Inf, Inf, Inf));
  EXPECT_EQ(Wide.Calls, 10);
  EXPECT_FLOAT_EQ(std::fabs(At(Wide, 12, 12)), 1.0f);
}

TEST(Pix32_VPR_qn, EventFormMatchesProcForm) {
  const TArrayOfFloatPoint P{{3.2f, 1.7f}, {40.9f, 12.3f}, {22.4f, 37.6f}, {7.1f, 20.05f}};
  TSpanLog ByProc;
  RenderPolygon(P, kClip, &Collect, &ByProc);
  TSpanLog ByEvent;
  RenderPolygon(P, kClip, TRenderSpanEvent([&](const TValueSpan& S, Integer Y) { Collect(&ByEvent, S, Y); }));
  ASSERT_GT(ByProc.Calls, 0);
  EXPECT_EQ(ByProc.Calls, ByEvent.Calls);
  EXPECT_EQ(ByProc.Cells, ByEvent.Cells);
}

namespace {

using DPt = std::pair<double, double>;

double Shoelace(const std::vector<DPt>& P) {
  double a = 0;
  for (size_t i = 0; i < P.size(); ++i) {
    const DPt& p = P[i];
    const DPt& q = P[(i + 1) % P.size()];
    a += p.first * q.second - q.first * p.second;
  }
  return a / 2;
}

// The polygon cut to one pixel square, in double precision.
double PixelArea(std::vector<DPt> P, double x0, double y0) {
  const double lim[4] = {x0, x0 + 1, y0, y0 + 1};
  for (int side = 0; side < 4 && !P.empty(); ++side) {
    auto val = [&](const DPt& p) { return side < 2 ? p.first : p.second; };
    auto in = [&](const DPt& p) { return side % 2 == 0 ? val(p) >= lim[side] : val(p) <= lim[side]; };
    std::vector<DPt> Out;
    for (size_t i = 0; i < P.size(); ++i) {
      const DPt& a = P[i];
      const DPt& b = P[(i + 1) % P.size()];
      if (in(a)) Out.push_back(a);
      if (in(a) != in(b)) {
        const double t = (lim[side] - val(a)) / (val(b) - val(a));
        Out.push_back({a.first + (b.first - a.first) * t, a.second + (b.second - a.second) * t});
      }
    }
    P = std::move(Out);
  }
  return P.size() < 3 ? 0.0 : Shoelace(P);
}

}  // namespace

TEST(Pix32_VPR_qn, RandomSimplePolygonsMatchExactArea) {
  std::mt19937 Rng(1234);
  std::uniform_real_distribution<double> U(0, 1);
  for (int n = 0; n < 1000; ++n) {
    // Star-shaped around its centre, so simple: ascending angles with gaps
    // below half a turn, random radii.
    const int N = 3 + static_cast<int>(U(Rng) * 12);
    const double cx = 20 + U(Rng) * 40, cy = 20 + U(Rng) * 40, R = 1 + U(Rng) * 15;
    std::vector<double> Ang;
    for (int i = 0; i < N; ++i) Ang.push_back((i + 0.4 * U(Rng)) / N * 2 * M_PI);
    if (n % 2) std::reverse(Ang.begin(), Ang.end());
    TArrayOfFloatPoint P;
    std::vector<DPt> D;
    for (double a : Ang) {
      const double r = R * (0.3 + 0.7 * U(Rng));
      P.push_back({static_cast<Single>(cx + r * std::cos(a)), static_cast<Single>(cy + r * std::sin(a))});
      D.push_back({P.back().X, P.back().Y});
    }
    const TSpanLog L = Render({P}, kClip);
    double Sum = 0;
    for (const auto& [k, v] : L.Cells) Sum += std::fabs(v);
    ASSERT_NEAR(Sum, std::fabs(Shoelace(D)), 1e-3) << "polygon " << n;
    // Every fifth polygon is also checked pixel by pixel (the shoelace sign
    // is the opposite of the coverage sign with y pointing down).
    if (n % 5 != 0) continue;
    for (const auto& [k, v] : L.Cells) {
      ASSERT_NEAR(v, -PixelArea(D, k.second, k.first), 1e-4) << "polygon " << n << " at " << k.second << ","
                                                             << k.first;
    }
  }
}

TEST(Pix32_VPR_qn, TallSliverKeepsItsAreaAndStaysInBounds) {
  // Thousands of rows of one slanted edge: the per-row steps accumulate
  // rounding, which must neither leak coverage nor reach outside the cells.
  const TArrayOfFloatPoint P{{0.3f, -4000.1f}, {99.7f, 4000.6f}, {0.31f, 4000.6f}};
  const TSpanLog L = Render({P}, TFloatRect(0, -5000, 100, 5000));
  double Sum = 0;
  for (const auto& [k, v] : L.Cells) {
    Sum += std::fabs(v);
    EXPECT_GE(k.second, 0);
    EXPECT_LE(k.second, 99);
  }
  const double Area =
      0.5 * (double(P[1].X) - double(P[2].X)) * (double(P[1].Y) - double(P[0].Y));
  EXPECT_NEAR(Sum, Area, Area * 1e-4);
}

namespace {

struct TRowLog {
  std::vector<std::pair<Integer, std::vector<Single>>> Rows;  // (y, values X1..X2) with the runs filled in
  std::vector<Integer> X1;
  bool RunsInOrder = true;
  bool RunCellsUnwritten = true;
  Integer RunColumns = 0;
};

void CollectRow(Pointer Data, const TCoverRow& Row) {
  auto* Log = static_cast<TRowLog*>(Data);
  std::vector<Single> V(Row.Values, Row.Values + (Row.X2 - Row.X1 + 1));
  Integer Prev = Row.X1 - 1;
  for (Integer i = 0; i < Row.RunCount; ++i) {
    const TCoverRun& R = Row.Runs[i];
    Log->RunsInOrder = Log->RunsInOrder && R.X1 > Prev && R.X2 >= R.X1 && R.X2 <= Row.X2;
    for (Integer x = R.X1; x <= R.X2; ++x) {
      Log->RunCellsUnwritten = Log->RunCellsUnwritten && V[static_cast<size_t>(x - Row.X1)] == 0.0f;
      V[static_cast<size_t>(x - Row.X1)] = R.Value;
    }
    Log->RunColumns += R.X2 - R.X1 + 1;
    Prev = R.X2;
  }
  Log->X1.push_back(Row.X1);
  Log->Rows.emplace_back(Row.Y, std::move(V));
}

void CollectSpan(Pointer Data, const TValueSpan& Span, Integer Y) {
  auto* Log = static_cast<TRowLog*>(Data);
  Log->X1.push_back(Span.X1);
  Log->Rows.emplace_back(Y, std::vector<Single>(Span.Values, Span.Values + (Span.X2 - Span.X1 + 1)));
}

}  // namespace

// The rows with their interiors as runs are the value spans with the runs
// left out, bit for bit, whatever the outlines and the clip.
TEST(Pix32_VPR_qn, RowsWithRunsAreTheSpansBitForBit) {
  std::mt19937 Rng(77);
  std::uniform_real_distribution<Single> Pos(-30, 230), Rad(0.2f, 120), Edge(-20, 220);
  std::uniform_int_distribution<int> Count(1, 4), Sides(3, 40);
  Integer RunColumns = 0;
  for (int Case = 0; Case < 300; ++Case) {
    TArrayOfArrayOfFloatPoint P;
    for (int n = Count(Rng); n > 0; --n) {
      if (n % 2) {
        P.push_back(Circle(Pos(Rng), Pos(Rng), Rad(Rng), Sides(Rng)));
      } else {
        TArrayOfFloatPoint Q;
        for (int i = Sides(Rng); i > 0; --i) Q.push_back({Pos(Rng), Pos(Rng)});
        P.push_back(Q);
      }
    }
    const TFloatRect Clip = Case % 2 ? TFloatRect(0, 0, 200, 200) : TFloatRect(Edge(Rng), Edge(Rng), Edge(Rng), Edge(Rng));
    TRowLog Rows, Spans;
    RenderPolyPolygonRows(P, Clip, &CollectRow, &Rows);
    RenderPolyPolygon(P, Clip, &CollectSpan, &Spans);
    ASSERT_TRUE(Rows.RunsInOrder) << Case;
    ASSERT_TRUE(Rows.RunCellsUnwritten) << Case;
    ASSERT_EQ(Rows.X1, Spans.X1) << Case;
    ASSERT_EQ(Rows.Rows.size(), Spans.Rows.size()) << Case;
    for (size_t r = 0; r < Rows.Rows.size(); ++r) {
      ASSERT_EQ(Rows.Rows[r].first, Spans.Rows[r].first) << Case;
      const auto& A = Rows.Rows[r].second;
      const auto& B = Spans.Rows[r].second;
      ASSERT_EQ(A.size(), B.size()) << Case;
      ASSERT_EQ(0, std::memcmp(A.data(), B.data(), A.size() * sizeof(Single))) << "case " << Case << " row " << r;
    }
    RunColumns += Rows.RunColumns;
  }
  EXPECT_GT(RunColumns, 100000);  // the interiors did come as runs
}

}  // namespace t_pix32_vprtest
