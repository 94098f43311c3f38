// Stroke and dash entry points, the clipped and fixed-point forms, and the
// renderer registry.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <random>
#include <vector>

#include "graphics/raster/Pix32_Transforms_qn.h"
#include "graphics/raster/Pix32_qn_Bitmap.h"
#include "graphics/vector/Pix32_Polygons_qn.h"
#include "graphics/vector/Pix32_VectorUtils_qn.h"

namespace t_pix32_polygons_lines_test {

using namespace qn;

namespace {

class TCountingBitmap : public TCustomBitmap32 {
 public:
  using TCustomBitmap32::Changed;
  void Changed(const TRect& Area, Cardinal Info) override {
    ++Reports;
    TCustomBitmap32::Changed(Area, Info);
  }
  Integer Reports = 0;
};

constexpr TColor32 kBack = 0xFF203040u;

void Fresh(TCustomBitmap32& B, Integer W, Integer H) {
  B.SetSize(W, H);
  B.Clear(kBack);
}

TColor32 Px(const TCustomBitmap32& B, Integer X, Integer Y) { return B.ScanLine(Y)[X]; }

std::vector<TColor32> Pixels(const TCustomBitmap32& B) {
  return std::vector<TColor32>(B.ScanLine(0), B.ScanLine(0) + B.Width() * B.Height());
}

TArrayOfFixedPoint ToFixed(const TArrayOfFloatPoint& P) {
  TArrayOfFixedPoint R;
  for (const auto& Q : P) R.push_back({Fixed(Q.X), Fixed(Q.Y)});
  return R;
}

// Largest difference of any colour or alpha byte between two bitmaps of one
// size, and how many pixels either of them changed from the background.
struct TDiff {
  Integer MaxByte = 0;
  Integer Touched = 0;
};
TDiff Compare(const TCustomBitmap32& A, const TCustomBitmap32& B) {
  TDiff D;
  for (Integer y = 0; y < A.Height(); ++y)
    for (Integer x = 0; x < A.Width(); ++x) {
      const TColor32 a = Px(A, x, y), b = Px(B, x, y);
      for (int s = 0; s < 32; s += 8)
        D.MaxByte = std::max(D.MaxByte, std::abs(Integer((a >> s) & 0xFF) - Integer((b >> s) & 0xFF)));
      D.Touched += a != kBack || b != kBack;
    }
  return D;
}

// Paints full weight in one colour.
class TSolidFiller : public TCustomPolygonFiller {
 public:
  TFillLineEvent GetFillLine() override {
    return TFillLineEvent([](PColor32 Dst, Integer, Integer, Integer Length, PColor32 Alpha) {
      for (Integer I = 0; I < Length; ++I)
        if (!Alpha || (Alpha[I] & 0xFF)) Dst[I] = 0xFF00FF00u;
    });
  }
};

}  // namespace

TEST(Pix32_Polygons_qn, RegistryHoldsTheExactAreaRendererAsDefault) {
  ASSERT_NE(PolygonRendererList, nullptr);
  ASSERT_GE(PolygonRendererList->Count(), 1);
  EXPECT_EQ(PolygonRendererList->Items(0), TPolygonRenderer32VPR::StaticClass());
  EXPECT_EQ(PolygonRendererList->Find(u"TPolygonRenderer32VPR"), TPolygonRenderer32VPR::StaticClass());
  ASSERT_EQ(DefaultPolygonRendererClass, TPolygonRenderer32VPR::StaticClass());

  // A renderer made from the class reference draws like the entry point.
  TCustomBitmap32 A, B;
  Fresh(A, 24, 24);
  Fresh(B, 24, 24);
  const TArrayOfFloatPoint Tri = {{2.5f, 1.25f}, {21.75f, 9.5f}, {6.25f, 22.5f}};
  TObject* Made = DefaultPolygonRendererClass->Create(&A);
  auto* R = dynamic_cast<TPolygonRenderer32*>(Made);
  ASSERT_NE(R, nullptr);
  EXPECT_EQ(R->Bitmap(), &A);
  EXPECT_EQ(R->FillMode(), TPolyFillMode::pfEvenOdd);
  R->SetColor(0xC080F040u);
  R->PolygonFS(Tri);
  delete Made;
  PolygonFS(&B, Tri, 0xC080F040u);
  const TDiff D = Compare(A, B);
  EXPECT_EQ(D.MaxByte, 0);
  EXPECT_GT(D.Touched, 50);
}

TEST(Pix32_Polygons_qn, HorizontalStrokeOfWidthTwoCoversExactlyTwoRows) {
  for (TEndStyle End : {TEndStyle::esButt, TEndStyle::esSquare}) {
    TCustomBitmap32 B;
    Fresh(B, 24, 12);
    PolylineFS(&B, {{4, 6}, {20, 6}}, 0xFFFFFFFFu, false, 2.0f, TJoinStyle::jsMiter, End);
    const Integer L = End == TEndStyle::esButt ? 4 : 3, R = End == TEndStyle::esButt ? 20 : 21;
    for (Integer y = 0; y < 12; ++y)
      for (Integer x = 0; x < 24; ++x) {
        const bool In = (y == 5 || y == 6) && x >= L && x < R;
        EXPECT_EQ(Px(B, x, y), In ? 0xFFFFFFFFu : kBack) << x << "," << y << " end " << int(End);
      }
  }
  // Scaled by two, a stroke of width one covers the same two rows: the
  // transformation maps the finished outline.
  TAffineTransformation T;
  T.Scale(2);
  TCustomBitmap32 B;
  Fresh(B, 24, 12);
  PolylineFS(&B, {{2, 3}, {10, 3}}, 0xFFFFFFFFu, false, 1.0f, TJoinStyle::jsMiter, TEndStyle::esButt, 4.0f, &T);
  for (Integer y = 0; y < 12; ++y) EXPECT_EQ(Px(B, 10, y), (y == 5 || y == 6) ? 0xFFFFFFFFu : kBack) << y;
}

TEST(Pix32_Polygons_qn, ClosedStrokeLeavesTheInsideAlone) {
  TCustomBitmap32 B;
  Fresh(B, 30, 30);
  PolylineFS(&B, Rectangle(FloatRect(5, 5, 25, 25)), 0xFFFFFFFFu, true, 2.0f);
  EXPECT_EQ(Px(B, 15, 15), kBack);
  EXPECT_EQ(Px(B, 15, 4), 0xFFFFFFFFu);
  EXPECT_EQ(Px(B, 15, 5), 0xFFFFFFFFu);
  EXPECT_EQ(Px(B, 15, 6), kBack);
  EXPECT_EQ(Px(B, 4, 4), 0xFFFFFFFFu);  // mitred corner
  EXPECT_EQ(Px(B, 3, 3), kBack);
}

// Every clipped form, with random rectangles and a bitmap clip: nothing
// changes outside the intersection, and something inside when the shape
// reaches it.
TEST(Pix32_Polygons_qn, ClippedFormsNeverDrawOutsideTheIntersection) {
  const TArrayOfFloatPoint Zig = {{-6, 3}, {10, 37}, {18, 2}, {27, 38}, {46, 5}};
  const TArrayOfArrayOfFloatPoint Two = {Zig, {{-5, 20}, {45, 21}}};
  const TArrayOfFloat Pattern = {5, 2};
  TArrayOfFixed PatternX = {Fixed(5.0f), Fixed(2.0f)};
  TArrayOfArrayOfFixedPoint TwoX = {ToFixed(Two[0]), ToFixed(Two[1])};
  TSolidFiller F;
  const TColor32 C = 0xFFFFFFFFu;
  using Draw = std::function<void(TCustomBitmap32*, const TRect&)>;
  const std::vector<Draw> Draws = {
      [&](TCustomBitmap32* B, const TRect& R) { PolylineFS(B, Zig, R, C, false, 3.0f); },
      [&](TCustomBitmap32* B, const TRect& R) { PolylineFS(B, Zig, R, &F, true, 2.5f, TJoinStyle::jsRound); },
      [&](TCustomBitmap32* B, const TRect& R) { PolyPolylineFS(B, Two, R, C, false, 4.0f); },
      [&](TCustomBitmap32* B, const TRect& R) { PolyPolylineFS(B, Two, R, &F, false, 4.0f); },
      [&](TCustomBitmap32* B, const TRect& R) { PolylineXS(B, ToFixed(Zig), R, C, false, Fixed(3.0f)); },
      [&](TCustomBitmap32* B, const TRect& R) { PolylineXS(B, ToFixed(Zig), R, &F, false, Fixed(3.0f)); },
      [&](TCustomBitmap32* B, const TRect& R) { PolyPolylineXS(B, TwoX, R, C, true, Fixed(2.0f)); },
      [&](TCustomBitmap32* B, const TRect& R) { PolyPolylineXS(B, TwoX, R, &F, true, Fixed(2.0f)); },
      [&](TCustomBitmap32* B, const TRect& R) { DashLineFS(B, Zig, R, Pattern, C, false, 3.0f); },
      [&](TCustomBitmap32* B, const TRect& R) { DashLineFS(B, Zig, R, Pattern, &F, true, 3.0f); },
      [&](TCustomBitmap32* B, const TRect& R) { DashLineFS(B, Zig, R, Pattern, C, 0xFF0000FFu, false, 4.0f, 1.0f); },
      [&](TCustomBitmap32* B, const TRect& R) { DashLineFS(B, Zig, R, Pattern, &F, 0xFF0000FFu, false, 4.0f); },
      [&](TCustomBitmap32* B, const TRect& R) { DashLineXS(B, ToFixed(Zig), R, PatternX, C, false, Fixed(3.0f)); },
      [&](TCustomBitmap32* B, const TRect& R) { DashLineXS(B, ToFixed(Zig), R, PatternX, &F, false, Fixed(3.0f)); },
      [&](TCustomBitmap32* B, const TRect& R) {
        DashLineXS(B, ToFixed(Zig), R, PatternX, C, 0xFF0000FFu, false, Fixed(4.0f), Fixed(1.0f));
      },
      [&](TCustomBitmap32* B, const TRect& R) {
        DashLineXS(B, ToFixed(Zig), R, PatternX, &F, 0xFF0000FFu, false, Fixed(4.0f), Fixed(1.0f));
      },
      [&](TCustomBitmap32* B, const TRect& R) { PolygonXS(B, ToFixed(Zig), R, C, TPolyFillMode::pfNonZero); },
      [&](TCustomBitmap32* B, const TRect& R) { PolyPolygonXS(B, TwoX, R, &F, TPolyFillMode::pfNonZero); },
  };
  std::mt19937 Rng(19);
  std::uniform_int_distribution<Integer> Coord(-10, 50);
  Integer Drawn = 0;
  for (size_t k = 0; k < Draws.size(); ++k)
    for (int trial = 0; trial < 12; ++trial) {
      TCustomBitmap32 B;
      Fresh(B, 40, 40);
      const TRect BitmapClip(Coord(Rng) / 4, Coord(Rng) / 4, 40 - Coord(Rng) / 4, 40 - Coord(Rng) / 4);
      B.SetClipRect(BitmapClip);
      const Integer X1 = Coord(Rng), X2 = Coord(Rng), Y1 = Coord(Rng), Y2 = Coord(Rng);
      TRect R(std::min(X1, X2), std::min(Y1, Y2), std::max(X1, X2), std::max(Y1, Y2));
      if (trial == 0) R = TRect(-100, -100, 200, 200);
      if (trial == 1) R = TRect(30, 30, 5, 5);  // inverted
      TRect Both;
      const bool Any = IntersectRect(Both, R, B.ClipRect());
      Draws[k](&B, R);
      Integer Inside = 0;
      for (Integer y = 0; y < 40; ++y)
        for (Integer x = 0; x < 40; ++x) {
          const bool In = Any && x >= Both.Left && x < Both.Right && y >= Both.Top && y < Both.Bottom;
          if (In)
            Inside += Px(B, x, y) != kBack;
          else
            ASSERT_EQ(Px(B, x, y), kBack) << "form " << k << " trial " << trial << " at " << x << "," << y;
        }
      if (trial == 0) {
        EXPECT_GT(Inside, 20) << "form " << k;
      }
      Drawn += Inside > 0;
    }
  EXPECT_GT(Drawn, static_cast<Integer>(Draws.size()) * 4);
}

// The fixed forms build in 16.16, so their outlines may differ from the
// float ones in the last bits: one alpha step at most on edge pixels.
TEST(Pix32_Polygons_qn, FixedStrokesAndDashesRenderAsFloatForms) {
  const TArrayOfFloatPoint Path = {{3.25f, 4.5f}, {30.5f, 9.75f}, {12.0f, 28.25f}, {36.75f, 34.0f}};
  const TArrayOfFixedPoint PathX = ToFixed(Path);
  const TArrayOfFloat Pattern = {6.5f, 2.25f, 1.5f, 2.25f};
  TArrayOfFixed PatternX;
  for (TFloat V : Pattern) PatternX.push_back(Fixed(V));
  TSolidFiller F;
  struct TCase {
    std::function<void(TCustomBitmap32*)> Float, Fixed;
  };
  const std::vector<TCase> Cases = {
      {[&](TCustomBitmap32* B) { PolylineFS(B, Path, 0xC0F08010u, false, 3.5f, TJoinStyle::jsRound, TEndStyle::esRound); },
       [&](TCustomBitmap32* B) {
         PolylineXS(B, PathX, 0xC0F08010u, false, Fixed(3.5f), TJoinStyle::jsRound, TEndStyle::esRound);
       }},
      {[&](TCustomBitmap32* B) { PolyPolylineFS(B, {Path}, 0xFF10F080u, true, 2.0f, TJoinStyle::jsBevel); },
       [&](TCustomBitmap32* B) { PolyPolylineXS(B, {PathX}, 0xFF10F080u, true, Fixed(2.0f), TJoinStyle::jsBevel); }},
      {[&](TCustomBitmap32* B) { PolylineFS(B, Path, &F, false, 2.5f); },
       [&](TCustomBitmap32* B) { PolylineXS(B, PathX, &F, false, Fixed(2.5f)); }},
      {[&](TCustomBitmap32* B) { DashLineFS(B, Path, Pattern, 0xE0FFFFFFu, false, 2.5f); },
       [&](TCustomBitmap32* B) { DashLineXS(B, PathX, PatternX, 0xE0FFFFFFu, false, Fixed(2.5f)); }},
      {[&](TCustomBitmap32* B) { DashLineFS(B, Path, Pattern, &F, true, 2.5f); },
       [&](TCustomBitmap32* B) { DashLineXS(B, PathX, PatternX, &F, true, Fixed(2.5f)); }},
      // Two colours on a path without overlapping dashes: the fill rules agree.
      {[&](TCustomBitmap32* B) { DashLineFS(B, Path, Pattern, 0xFFF0C020u, 0xFF102080u, false, 5.0f, 1.0f); },
       [&](TCustomBitmap32* B) {
         DashLineXS(B, PathX, PatternX, 0xFFF0C020u, 0xFF102080u, false, Fixed(5.0f), Fixed(1.0f));
       }},
  };
  for (size_t k = 0; k < Cases.size(); ++k) {
    TCustomBitmap32 A, B;
    Fresh(A, 40, 40);
    Fresh(B, 40, 40);
    Cases[k].Float(&A);
    Cases[k].Fixed(&B);
    const TDiff D = Compare(A, B);
    EXPECT_LE(D.MaxByte, 1) << "case " << k;
    EXPECT_GT(D.Touched, 60) << "case " << k;
  }
}

TEST(Pix32_Polygons_qn, TwoColourDashesFillOverlapsEvenOddInFloatNonZeroInFixed) {
  // One dash that crosses itself: its outline covers the crossing twice.
  const TArrayOfFloatPoint Cross = {{4, 4}, {28, 28}, {28, 4}, {4, 28}};
  const TArrayOfFloat Pattern = {1000, 10};
  TCustomBitmap32 A, B;
  Fresh(A, 32, 32);
  Fresh(B, 32, 32);
  // An invisible stroke leaves only the fill.
  DashLineFS(&A, Cross, Pattern, 0xFFFFFFFFu, 0x00000000u, false, 6.0f, 1.0f);
  DashLineXS(&B, ToFixed(Cross), {Fixed(1000.0f), Fixed(10.0f)}, 0xFFFFFFFFu, 0x00000000u, false, Fixed(6.0f),
             Fixed(1.0f));
  EXPECT_EQ(Px(A, 16, 16), kBack);  // a hole where the dash crosses itself
  EXPECT_EQ(Px(B, 16, 16), 0xFFFFFFFFu);
  EXPECT_EQ(Px(A, 10, 10), 0xFFFFFFFFu);
  EXPECT_EQ(Px(B, 10, 10), 0xFFFFFFFFu);

  // The stroke draws the dash outline's rings: across a wide dash, the
  // border pixels take the stroke colour and the middle the fill.
  TCustomBitmap32 C;
  Fresh(C, 40, 20);
  DashLineFS(&C, {{2, 10}, {38, 10}}, {10, 4}, 0xFFFFFFFFu, 0xFFFF0000u, false, 8.0f, 2.0f);
  EXPECT_EQ(Px(C, 6, 10), 0xFFFFFFFFu);
  EXPECT_EQ(Px(C, 6, 6), 0xFFFF0000u);
  EXPECT_EQ(Px(C, 6, 13), 0xFFFF0000u);
  EXPECT_EQ(Px(C, 2, 10), 0xFFFF0000u);
  EXPECT_EQ(Px(C, 13, 10), kBack);  // the gap 12..16, clear of the 1-pixel half stroke
}

TEST(Pix32_Polygons_qn, StrokeFormsReportOncePerOutlineAndNotInsideUpdate) {
  TCountingBitmap B;
  B.SetSize(40, 40);
  B.Clear(0);
  B.Reports = 0;
  PolylineFS(&B, {{2, 2}, {30, 20}}, 0xFFFFFFFFu, false, 2.0f);
  EXPECT_EQ(B.Reports, 1);
  B.Reports = 0;
  PolylineFS(&B, Rectangle(FloatRect(5, 5, 30, 30)), 0xFFFFFFFFu, true, 2.0f);
  EXPECT_EQ(B.Reports, 2);  // the outer and the inner ring
  B.Reports = 0;
  // Dashes at 0..4, 6..10, ..., 30..34 on a 34-long line: six of them.
  const TArrayOfFloatPoint Line34 = {{2, 10}, {36, 10}};
  DashLineFS(&B, Line34, {4, 2}, 0xFFFFFFFFu, false, 2.0f);
  EXPECT_EQ(B.Reports, 6);
  B.Reports = 0;
  DashLineXS(&B, ToFixed(Line34), {Fixed(4.0f), Fixed(2.0f)}, 0xFFFFFFFFu, false, Fixed(2.0f));
  EXPECT_EQ(B.Reports, 6);
  B.Reports = 0;
  // Fill once per dash outline, then both rings of each.
  DashLineFS(&B, Line34, {4, 2}, 0xFFFFFFFFu, 0xFF000000u, false, 2.0f, 1.0f);
  EXPECT_EQ(B.Reports, 18);
  B.Reports = 0;
  PolylineFS(&B, {{3, 3}}, 0xFFFFFFFFu, false, 2.0f);  // one point: no outline
  EXPECT_EQ(B.Reports, 0);

  B.Clear(0);
  B.Reports = 0;
  B.BeginUpdate();
  PolylineFS(&B, {{2, 20}, {30, 20}}, 0xFFFFFFFFu, false, 2.0f);
  DashLineFS(&B, Line34, {4, 2}, 0xFFFFFFFFu, 0xFF000000u, false, 2.0f, 1.0f);
  B.EndUpdate();
  EXPECT_EQ(B.Reports, 0);
  EXPECT_EQ(Px(B, 10, 20), 0xFFFFFFFFu);
  EXPECT_NE(Px(B, 3, 10), 0u);
}

TEST(Pix32_Polygons_qn, NilFillerFormsDrawNothingAtAll) {
  TCountingBitmap B;
  B.SetSize(30, 30);
  B.Clear(kBack);
  B.Reports = 0;
  TCustomPolygonFiller* None = nullptr;
  const TArrayOfFloatPoint P = {{2, 2}, {28, 20}, {5, 27}};
  PolylineFS(&B, P, None, true, 3.0f);
  PolyPolylineFS(&B, {P}, TRect(0, 0, 30, 30), None, false, 3.0f);
  PolylineXS(&B, ToFixed(P), None, false, Fixed(3.0f));
  DashLineFS(&B, P, {3, 1}, None, false, 3.0f);
  // The stroke colour of a filler form waits for the filler too.
  DashLineFS(&B, P, {3, 1}, None, 0xFFFF0000u, false, 3.0f, 1.0f);
  DashLineXS(&B, ToFixed(P), {Fixed(3.0f), Fixed(1.0f)}, None, 0xFFFF0000u, false, Fixed(3.0f), Fixed(1.0f));
  PolygonXS(&B, ToFixed(P), TRect(0, 0, 30, 30), None);
  EXPECT_EQ(B.Reports, 0);
  for (TColor32 C : Pixels(B)) ASSERT_EQ(C, kBack);
}

// Non-finite coordinates, widths and clip rectangles reach no pixel; the
// sanitizers catch any write or conversion out of range.
TEST(Pix32_Polygons_qn, NonFiniteStrokesAndBadClipsDrawNothing) {
  const Single NaN = std::numeric_limits<Single>::quiet_NaN(), Inf = std::numeric_limits<Single>::infinity();
  TCustomBitmap32 B;
  Fresh(B, 30, 30);
  PolygonFS(&B, {{2, 2}, {NaN, 20}, {5, 27}}, 0xFFFFFFFFu);
  PolygonFS(&B, {{2, 2}, {28, Inf}, {5, 27}}, 0xFFFFFFFFu, TPolyFillMode::pfNonZero);
  PolygonFS(&B, {{-Inf, 2}, {28, 20}, {5, 27}}, 0xFFFFFFFFu);
  PolylineFS(&B, {{2, 2}, {NaN, NaN}, {20, 25}}, 0xFFFFFFFFu, false, 3.0f);
  PolylineFS(&B, {{2, 2}, {28, 20}}, 0xFFFFFFFFu, false, NaN);
  PolylineFS(&B, {{2, 2}, {28, 20}}, 0xFFFFFFFFu, false, Inf, TJoinStyle::jsRound, TEndStyle::esRound);
  DashLineFS(&B, {{2, 2}, {Inf, 20}}, {3, 1}, 0xFFFFFFFFu, false, 2.0f);
  PolygonFS(&B, {{2, 2}, {28, 20}, {5, 27}}, TRect(20, 20, 5, 5), 0xFFFFFFFFu);
  PolylineFS(&B, {{2, 2}, {28, 20}}, TRect(25, 0, 10, 30), 0xFFFFFFFFu, false, 3.0f);
  TPolygonRenderer32VPR R(&B, TPolyFillMode::pfNonZero);
  R.SetColor(0xFFFFFFFFu);
  R.PolygonFS({{2, 2}, {28, 20}, {5, 27}}, FloatRect(NaN, 0, 30, 30));
  R.PolygonFS({{2, 2}, {28, 20}, {5, 27}}, FloatRect(30, 0, 0, 30));
  R.PolygonFS({{2, 2}, {28, 20}, {5, 27}}, FloatRect(-Inf, -Inf, Inf, NaN));
  for (TColor32 C : Pixels(B)) ASSERT_EQ(C, kBack);
  // An infinite clip rectangle still reaches only the bitmap.
  R.PolygonFS({{-100, -100}, {100, -100}, {100, 100}, {-100, 100}}, FloatRect(-Inf, -Inf, Inf, Inf));
  for (TColor32 C : Pixels(B)) ASSERT_EQ(C, 0xFFFFFFFFu);
}

}  // namespace t_pix32_polygons_lines_test
