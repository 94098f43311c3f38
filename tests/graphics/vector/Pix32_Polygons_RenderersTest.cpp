#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "graphics/raster/Pix32_Blend_qn.h"
#include "graphics/raster/Pix32_System_qn.h"
#include "graphics/raster/Pix32_qn_Bitmap.h"
#include "graphics/raster/Pix32_qn_Routines.h"
#include "graphics/vector/Pix32_Polygons_qn.h"
#include "graphics/vector/Pix32_VectorUtils_qn.h"

namespace t_pix32_polygons_renderers_test {

using namespace qn;

namespace {

// Counts rectangle change reports.
class TCountingBitmap : public TCustomBitmap32 {
 public:
  using TCustomBitmap32::Changed;
  void Changed(const TRect& Area, Cardinal Info) override {
    ++Reports;
    TCustomBitmap32::Changed(Area, Info);
  }
  Integer Reports = 0;
};

TArrayOfFloatPoint Box(Single L, Single T, Single R, Single B) { return {{L, T}, {R, T}, {R, B}, {L, B}}; }

TColor32 Px(const TCustomBitmap32& B, Integer X, Integer Y) { return B.ScanLine(Y)[X]; }

// The alpha an opaque white gets over black shows the blend weight.
Integer Weight(const TCustomBitmap32& B, Integer X, Integer Y) { return Integer(Px(B, X, Y) & 0xFF); }

}  // namespace

TEST(Pix32_Polygons_qn, FullCoverageOpaqueGivesExactColourAlphaZeroNothing) {
  TCustomBitmap32 B;
  B.SetSize(20, 20);
  B.Clear(0xFF102030u);
  ASSERT_EQ(GAMMA_TABLE[255], 255);
  PolygonFS(&B, Box(2, 2, 8, 8), 0xFFA0B0C0u);
  EXPECT_EQ(Px(B, 2, 2), 0xFFA0B0C0u);
  EXPECT_EQ(Px(B, 7, 7), 0xFFA0B0C0u);
  EXPECT_EQ(Px(B, 8, 8), 0xFF102030u);
  EXPECT_EQ(Px(B, 1, 5), 0xFF102030u);
  // A half-covered column gets a partial blend.
  PolygonFS(&B, Box(10.5f, 2, 14, 8), 0xFFFFFFFFu);
  const Integer Half = Weight(B, 10, 4);
  EXPECT_GT(Half, 0x20);
  EXPECT_LT(Half, 0xFF);
  EXPECT_EQ(Px(B, 11, 4), 0xFFFFFFFFu);
  std::vector<TColor32> Before(B.ScanLine(0), B.ScanLine(0) + 400);
  PolygonFS(&B, Box(0, 0, 20, 20), 0x00FFFFFFu);
  PolygonFS(&B, Box(0.3f, 0.3f, 19.2f, 17.7f), 0x00FF00FFu, TPolyFillMode::pfNonZero);
  EXPECT_EQ(std::vector<TColor32>(B.ScanLine(0), B.ScanLine(0) + 400), Before);
}

TEST(Pix32_Polygons_qn, EvenOddFoldsAndNonZeroClamps) {
  // Outer (0,0)-(20,4) and inner (5,0)-(10,4), same direction: coverage 2 inside the inner one.
  TArrayOfArrayOfFloatPoint Two = {Box(0, 0, 20, 4), Box(5, 0, 10, 4)};
  TCustomBitmap32 B;
  B.SetSize(20, 4);
  B.Clear(0xFF000000u);
  PolyPolygonFS(&B, Two, 0xFFFFFFFFu, TPolyFillMode::pfEvenOdd);
  EXPECT_EQ(Px(B, 2, 1), 0xFFFFFFFFu);  // 1.0 -> 65535 -> alpha 255
  EXPECT_EQ(Px(B, 7, 1), 0xFF000000u);  // 2.0 -> a hole
  B.Clear(0xFF000000u);
  PolyPolygonFS(&B, Two, 0xFFFFFFFFu, TPolyFillMode::pfNonZero);
  EXPECT_EQ(Px(B, 2, 1), 0xFFFFFFFFu);
  EXPECT_EQ(Px(B, 7, 1), 0xFFFFFFFFu);  // 2.0 clamped: solid

  // Coverage 1.5 (a full column under a half one) folds to one unit below 0.5.
  TArrayOfArrayOfFloatPoint Folded = {Box(0, 0, 4, 4), Box(1.5f, 0, 4, 4)};
  TArrayOfArrayOfFloatPoint HalfOnly = {Box(1.5f, 0, 4, 4)};
  TCustomBitmap32 C;
  C.SetSize(4, 4);
  C.Clear(0xFF000000u);
  PolyPolygonFS(&C, Folded, 0xFFFFFFFFu, TPolyFillMode::pfEvenOdd);
  const Integer At15 = Weight(C, 1, 1);
  C.Clear(0xFF000000u);
  PolyPolygonFS(&C, HalfOnly, 0xFFFFFFFFu, TPolyFillMode::pfEvenOdd);
  const Integer At05 = Weight(C, 1, 1);
  // c = 32767 vs 32768: gamma index (c * 65535) >> 24 is 127 for both.
  EXPECT_EQ(At15, At05);
  EXPECT_GT(At05, 0);
  EXPECT_LT(At05, 255);
}

TEST(Pix32_Polygons_qn, OneReportPerNonEmptyOutlineAndNoneInsideUpdate) {
  TCountingBitmap B;
  B.SetSize(30, 30);
  B.Clear(0);
  B.Reports = 0;
  PolyPolygonFS(&B, {Box(1, 1, 5, 5), {}, Box(10, 10, 40, 40)}, 0xFFFFFFFFu);
  EXPECT_EQ(B.Reports, 2);
  B.Reports = 0;
  PolygonFS(&B, {}, 0xFFFFFFFFu);
  EXPECT_EQ(B.Reports, 0);
  B.Clear(0);
  B.Reports = 0;
  B.BeginUpdate();
  PolygonFS(&B, Box(1, 1, 5, 5), 0xFFFFFFFFu);
  B.EndUpdate();
  EXPECT_EQ(B.Reports, 0);
  EXPECT_EQ(Px(B, 2, 2), 0xFFFFFFFFu);
}

TEST(Pix32_Polygons_qn, ClipLargerThanBitmapNeverWritesOutside) {
  // Any write past the pixels is caught by the address sanitizer.
  TCustomBitmap32 B;
  B.SetSize(8, 8);
  B.Clear(0);
  TPolygonRenderer32VPR R(&B, TPolyFillMode::pfNonZero);
  R.SetColor(0xFFFFFFFFu);
  R.PolygonFS(Box(-50, -50, 100, 100), FloatRect(-100, -100, 200, 200));
  for (Integer y = 0; y < 8; ++y)
    for (Integer x = 0; x < 8; ++x) ASSERT_EQ(Px(B, x, y), 0xFFFFFFFFu);

  // The TRect forms draw only inside the intersection with the bitmap's clip.
  B.Clear(0);
  B.SetClipRect(TRect(1, 1, 7, 7));
  PolygonFS(&B, Box(-10, -10, 20, 20), TRect(3, -5, 50, 5), 0xFFFFFFFFu);
  for (Integer y = 0; y < 8; ++y)
    for (Integer x = 0; x < 8; ++x)
      EXPECT_EQ(Px(B, x, y), (x >= 3 && x < 7 && y >= 1 && y < 5) ? 0xFFFFFFFFu : 0u) << x << "," << y;
}

namespace {
// Writes each pixel's weight into its blue byte and counts the rendering bracket.
class TWeightFiller : public TCustomPolygonFiller {
 public:
  TFillLineEvent GetFillLine() override {
    if (NoRoutine) return nullptr;
    return TFillLineEvent([](PColor32 Dst, Integer, Integer, Integer Length, PColor32 Alpha) {
      for (Integer I = 0; I < Length; ++I) Dst[I] = 0xFF000000u | (Alpha[I] & 0xFF);
    });
  }
  void BeginRendering() override { ++Begins; }
  void EndRendering() override { ++Ends; }
  bool NoRoutine = false;
  Integer Begins = 0, Ends = 0;
};
}  // namespace

TEST(Pix32_Polygons_qn, FillerGetsWeight255AtFullCoverageAndFoldedWeightsElsewhere) {
  TCustomBitmap32 B;
  B.SetSize(20, 4);
  B.Clear(0);
  TWeightFiller F;
  TArrayOfArrayOfFloatPoint Two = {Box(0, 0, 20, 4), Box(5, 0, 10, 4)};
  PolyPolygonFS(&B, Two, &F, TPolyFillMode::pfEvenOdd);
  EXPECT_EQ(F.Begins, 1);
  EXPECT_EQ(F.Ends, 1);
  EXPECT_EQ(Px(B, 2, 1), 0xFF0000FFu);  // 1.0 -> 255 in both modes
  EXPECT_EQ(Px(B, 7, 1), 0xFF000000u);  // 2.0 folds to weight 0
  PolyPolygonFS(&B, Two, &F, TPolyFillMode::pfNonZero);
  EXPECT_EQ(Px(B, 2, 1), 0xFF0000FFu);
  EXPECT_EQ(Px(B, 7, 1), 0xFF0000FFu);
  // Half a column: floor(0.5 * 256) = 128 through the gamma table.
  PolygonFS(&B, Box(12.5f, 0, 20, 4), &F, TPolyFillMode::pfNonZero);
  EXPECT_EQ(Px(B, 12, 1), 0xFF000000u | GAMMA_TABLE[128]);
  // No routine and a nil filler both leave the pixels alone.
  B.Clear(0);
  F.NoRoutine = true;
  PolygonFS(&B, Box(0, 0, 20, 4), &F);
  PolygonFS(&B, Box(0, 0, 20, 4), static_cast<TCustomPolygonFiller*>(nullptr));
  for (Integer x = 0; x < 20; ++x) EXPECT_EQ(Px(B, x, 1), 0u);
}

TEST(Pix32_Polygons_qn, FixedPointFormsRenderAsFloatForms) {
  const TArrayOfFloatPoint Tri = {{1.25f, 0.5f}, {14.75f, 3.5f}, {4.5f, 11.25f}};
  TArrayOfFixedPoint FixedTri;
  for (const auto& P : Tri) FixedTri.push_back({Fixed(P.X), Fixed(P.Y)});
  TCustomBitmap32 A, B;
  A.SetSize(16, 12);
  B.SetSize(16, 12);
  A.Clear(0xFF203040u);
  B.Clear(0xFF203040u);
  PolygonFS(&A, Tri, 0xC0F08010u, TPolyFillMode::pfNonZero);
  PolygonXS(&B, FixedTri, 0xC0F08010u, TPolyFillMode::pfNonZero);
  Integer Touched = 0;
  for (Integer y = 0; y < 12; ++y)
    for (Integer x = 0; x < 16; ++x) {
      ASSERT_EQ(Px(A, x, y), Px(B, x, y)) << x << "," << y;
      Touched += Px(A, x, y) != 0xFF203040u;
    }
  EXPECT_GT(Touched, 20);
}

namespace {

// A processor that offers SSE2 but not AVX2, so the run blender takes its
// 128-bit path.
void FakeCPUID(Cardinal Leaf, Cardinal, Cardinal R[4]) {
  R[0] = R[1] = R[2] = R[3] = 0;
  if (Leaf == 0) R[0] = 1;
  if (Leaf == 1) {
    R[0] = 6u << 8;
    R[3] = 0x00800000u | 0x02000000u | 0x04000000u;  // MMX, SSE, SSE2
  }
}
const TCPUIDSource kSSE2Only{[] { return true; }, &FakeCPUID, [] { return UInt64(0); }};

// Interiors of fully covered runs are blended as one colour; every such
// pixel must be what the line blender makes of that colour over it, for
// runs of every length and start. The
// colour's alpha after the coverage table is read back from the same fill
// over transparent black, where the over form leaves the source alpha.
void ExpectRunsBlendAsLineBlender(std::mt19937& Rng) {
  std::uniform_int_distribution<Cardinal> Any(0, 0xFFFFFFFFu);
  std::uniform_int_distribution<Integer> Width(1, 90);
  for (int Case = 0; Case < 300; ++Case) {
    const Integer W = Width(Rng), L = std::uniform_int_distribution<Integer>(0, 3)(Rng);
    TColor32 Color = Any(Rng);
    if (Case % 10 == 0) Color |= 0xFF000000u;  // opaque and clear colours too
    if (Case % 10 == 1) Color &= 0x00FFFFFFu;
    TCustomBitmap32 Probe;
    Probe.SetSize(L + W + 2, 3);
    Probe.Clear(0);
    PolygonFS(&Probe, Box(Single(L), 1, Single(L + W), 2), Color);
    const TColor32 C = (Color & 0x00FFFFFFu) | (Px(Probe, L, 1) & 0xFF000000u);

    TCustomBitmap32 B;
    B.SetSize(L + W + 2, 3);
    for (Integer Y = 0; Y < 3; ++Y)
      for (Integer X = 0; X < B.Width(); ++X) B.ScanLine(Y)[X] = Any(Rng);
    std::vector<TColor32> Before(B.ScanLine(0), B.ScanLine(0) + 3 * B.Width());
    std::vector<TColor32> Expected = Before;
    // An opaque colour is copied and a clear one skipped: the line blender
    // rounds an opaque source a step short.
    TColor32* Row = Expected.data() + B.Width() + L;
    const std::vector<TColor32> Line(static_cast<size_t>(W), C);
    if ((C >> 24) == 255)
      std::fill(Row, Row + W, C);
    else if ((C >> 24) != 0)
      BlendLine(Line.data(), Row, W);
    PolygonFS(&B, Box(Single(L), 1, Single(L + W), 2), Color);
    ASSERT_EQ(std::vector<TColor32>(B.ScanLine(0), B.ScanLine(0) + 3 * B.Width()), Expected)
        << "colour " << std::hex << Color << std::dec << ", run " << W << " at " << L;
  }
}

}  // namespace

TEST(Pix32_Polygons_qn, OneColourRunsBlendExactlyAsTheLineBlender) {
  std::mt19937 Rng(19);
  ExpectRunsBlendAsLineBlender(Rng);
  SetCPUIDSource(&kSSE2Only);
  ASSERT_FALSE(CPUFeatures().Contains(TCPUInstructionSet::ciAVX2));
  ExpectRunsBlendAsLineBlender(Rng);
  SetCPUIDSource(nullptr);
}

namespace {

// A descendant keeps the value spans; the class itself fills interiors as
// runs. Both must paint the same pixels.
class TSpanRenderer : public TPolygonRenderer32VPR {
  QN_CLASS_CREATE(TSpanRenderer, TPolygonRenderer32VPR, TCustomBitmap32)
 public:
  using TPolygonRenderer32VPR::TPolygonRenderer32VPR;
  Integer Spans = 0;

 protected:
  void RenderSpan(const TValueSpan& Span, Integer DstY) override {
    ++Spans;
    TPolygonRenderer32VPR::RenderSpan(Span, DstY);
  }
};

TArrayOfArrayOfFloatPoint RandomOutlines(std::mt19937& Rng) {
  std::uniform_real_distribution<Single> Pos(-20, 140), Rad(0.3f, 70);
  std::uniform_int_distribution<int> Kind(0, 2), Count(1, 3), Sides(3, 24);
  TArrayOfArrayOfFloatPoint Out;
  for (int n = Count(Rng); n > 0; --n) {
    TArrayOfFloatPoint P;
    const int k = Kind(Rng);
    if (k == 0) {
      P = Circle(Pos(Rng), Pos(Rng), Rad(Rng), Sides(Rng) * 3);
    } else if (k == 1) {
      P = Box(Pos(Rng), Pos(Rng), Pos(Rng), Pos(Rng));
    } else {
      for (int i = Sides(Rng); i > 0; --i) P.push_back({Pos(Rng), Pos(Rng)});
    }
    Out.push_back(P);
  }
  return Out;
}

}  // namespace

TEST(Pix32_Polygons_qn, InteriorRunsPaintAsTheValueSpans) {
  std::mt19937 Rng(2026);
  std::uniform_int_distribution<Cardinal> Any(0, 0xFFFFFFFFu);
  std::uniform_real_distribution<Single> Edge(-10, 130);
  Integer SpanCount = 0;
  for (int Case = 0; Case < 400; ++Case) {
    TCustomBitmap32 A, B;
    A.SetSize(120, 110);
    for (Integer Y = 0; Y < A.Height(); ++Y)
      for (Integer X = 0; X < A.Width(); ++X) A.ScanLine(Y)[X] = Any(Rng);
    B.Assign(&A);
    TColor32 Color = Any(Rng);
    if (Case % 7 == 0) Color |= 0xFF000000u;
    const auto Outlines = RandomOutlines(Rng);
    const auto Mode = Case % 2 ? TPolyFillMode::pfEvenOdd : TPolyFillMode::pfNonZero;
    const TFloatRect Clip = Case % 3 ? FloatRect(A.BoundsRect()) : TFloatRect(Edge(Rng), Edge(Rng), Edge(Rng), Edge(Rng));
    TPolygonRenderer32VPR Runs(&A);
    TSpanRenderer Spans(&B);
    for (TPolygonRenderer32VPR* R : {static_cast<TPolygonRenderer32VPR*>(&Runs), static_cast<TPolygonRenderer32VPR*>(&Spans)}) {
      R->SetColor(Color);
      R->SetFillMode(Mode);
      R->PolyPolygonFS(Outlines, Clip);
    }
    SpanCount += Spans.Spans;
    for (Integer Y = 0; Y < A.Height(); ++Y)
      for (Integer X = 0; X < A.Width(); ++X)
        ASSERT_EQ(Px(A, X, Y), Px(B, X, Y)) << "case " << Case << " at " << X << "," << Y;
  }
  EXPECT_GT(SpanCount, 400 * 40);  // the descendant did take the span path
}

}  // namespace t_pix32_polygons_renderers_test
