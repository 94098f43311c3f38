#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <numbers>
#include <vector>

#include "graphics/raster/Pix32_Blend_qn.h"
#include "graphics/raster/Pix32_qn.h"
#include "graphics/vector/Pix32_ColorGradients_qn.h"
#include "graphics/vector/Pix32_Polygons_qn.h"
#include "graphics/vector/Pix32_VectorUtils_qn.h"

namespace t_pix32_gauge_helpers_test {

using namespace qn;

namespace {
TFloatPoint F(const TFixedPoint& P) { return FloatPoint(P.X / 65536.0f, P.Y / 65536.0f); }
std::vector<TColor32> Pixels(TCustomBitmap32& B) {
  return {B.ScanLine(0), B.ScanLine(0) + size_t(B.Width()) * B.Height()};
}
}  // namespace

TEST(Pix32_VectorUtils_qn, ArcPointsAndRotation) {
  const TArrayOfFixedPoint A = GetArcPoints(FloatRect(0, 0, 100, 100), 0, 90);
  ASSERT_GE(A.size(), 2u);
  EXPECT_EQ(F(A.front()), FloatPoint(100, 50));
  EXPECT_EQ(F(A.back()), FloatPoint(50, 0));
  // Counter-clockwise on screen: the middle point is up and to the right.
  const TFloatPoint M = F(A[A.size() / 2]);
  EXPECT_GT(M.X, 75);
  EXPECT_LT(M.Y, 25);
  for (const TFixedPoint& P : A) EXPECT_NEAR(std::hypot(F(P).X - 50, F(P).Y - 50), 50, 0.01);
  EXPECT_EQ(A.size(), size_t(std::ceil(CalculateCircleSteps(50) / 4.0) + 1));

  // Reversed angles run the other way, over the same points.
  const TArrayOfFixedPoint R = GetArcPoints(FloatRect(0, 0, 100, 100), 90, 0);
  ASSERT_EQ(R.size(), A.size());
  EXPECT_EQ(F(R.front()), FloatPoint(50, 0));
  EXPECT_EQ(F(R.back()), FloatPoint(100, 50));
  // An ellipse: radii from the rectangle.
  const TArrayOfFixedPoint E = GetArcPoints(FloatRect(0, 0, 200, 100), 90, 180);
  EXPECT_EQ(F(E.front()), FloatPoint(100, 0));
  EXPECT_EQ(F(E.back()), FloatPoint(0, 50));

  EXPECT_EQ(GetArcPoints(FloatRect(0, 0, 100, 100), 30, 30).size(), 1u);
  EXPECT_TRUE(GetArcPoints(FloatRect(0, 0, 0, 100), 0, 90).empty());
  EXPECT_TRUE(GetArcPoints(FloatRect(10, 0, 0, 100), 0, 90).empty());
  EXPECT_TRUE(GetArcPoints(FloatRect(0, 0, 100, 100), 0, std::nanf("")).empty());
  EXPECT_TRUE(GetArcPoints(FloatRect(0, 0, INFINITY, 100), 0, 90).empty());
  // A huge sweep is capped.
  EXPECT_LE(GetArcPoints(FloatRect(0, 0, 1e6f, 1e6f), 0, 1e9f).size(), size_t(MaxAutoSteps) + 1);

  // Rotation: positive angles turn counter-clockwise on screen.
  TArrayOfFixedPoint P{TFixedPoint(Fixed(1), 0), TFixedPoint(Fixed(12), Fixed(10))};
  RotatePoints(P, TFixedPoint(0, 0), std::numbers::pi_v<float> / 2);
  EXPECT_NEAR(F(P[0]).X, 0, 1e-4);
  EXPECT_NEAR(F(P[0]).Y, -1, 1e-4);
  TArrayOfFixedPoint Q{TFixedPoint(Fixed(12), Fixed(10))};
  RotatePoints(Q, TFixedPoint(Fixed(10), Fixed(10)), std::numbers::pi_v<float>);
  EXPECT_NEAR(F(Q[0]).X, 8, 1e-4);
  EXPECT_NEAR(F(Q[0]).Y, 10, 1e-4);
  // Far out the result saturates instead of wrapping.
  TArrayOfFixedPoint S{TFixedPoint(0x7FFF0000, 0)};
  RotatePoints(S, TFixedPoint(-0x7FFF0000, 0), std::numbers::pi_v<float>);
  EXPECT_EQ(S[0].X, std::numeric_limits<TFixed>::min());
  EXPECT_EQ(FloatPoints(FixedPoints(TArrayOfFloatPoint{{1.5f, -2.25f}})), (TArrayOfFloatPoint{{1.5f, -2.25f}}));
}

TEST(Pix32_Polygons_qn, SimpleFillFillsThenOutlines) {
  const TArrayOfFloatPoint Star{{20, 2}, {25, 35}, {2, 14}, {38, 14}, {15, 35}};
  TCustomBitmap32 A, B;
  for (TCustomBitmap32* X : {&A, &B}) {
    X->SetSize(40, 40);
    X->Clear(0xFFFFFFFFu);
  }
  SimpleFill(&A, Star, 0xFF336699u, 0xFF336699u, TPolyFillMode::pfNonZero);
  PolygonFS(&B, Star, 0xFF336699u, TPolyFillMode::pfNonZero);
  EXPECT_EQ(Pixels(A), Pixels(B));
  // The 16.16 form draws the same.
  B.Clear(0xFFFFFFFFu);
  SimpleFill(&B, FixedPoints(Star), 0xFF336699u, 0xFF336699u);
  EXPECT_EQ(Pixels(A), Pixels(B));
  // A different edge colour strokes the closed outline on top.
  A.Clear(0xFFFFFFFFu);
  B.Clear(0xFFFFFFFFu);
  SimpleFill(&B, Star, 0xFFFF0000u, 0xFF336699u);
  PolygonFS(&A, Star, 0xFF336699u, TPolyFillMode::pfNonZero);
  PolylineFS(&A, Star, 0xFFFF0000u, true, 1.0f);
  EXPECT_EQ(Pixels(A), Pixels(B));
  // Fewer than three points: nothing.
  B.Clear(0xFFFFFFFFu);
  SimpleFill(&B, TArrayOfFloatPoint{{0, 0}, {39, 39}}, 0xFF000000u, 0xFF000000u);
  for (TColor32 C : Pixels(B)) ASSERT_EQ(C, 0xFFFFFFFFu);
}

TEST(Pix32_ColorGradients_qn, LinearGradientFiller) {
  TColor32Gradient G;
  G.AddColorStop(0.0f, 0xFFFF0000u);
  G.AddColorStop(1.0f, 0xFF0000FFu);
  TLinearGradientPolygonFiller Table(&G), Direct(&G);
  Direct.SetUseLookUpTable(false);
  EXPECT_TRUE(Table.UseLookUpTable());
  EXPECT_EQ(Table.WrapMode(), TWrapMode::wmClamp);
  for (TLinearGradientPolygonFiller* Fl : {&Table, &Direct}) {
    Fl->SetStartPoint(FloatPoint(20, 0));
    Fl->SetEndPoint(FloatPoint(220, 0));
  }
  TCustomBitmap32 A, B;
  for (TCustomBitmap32* X : {&A, &B}) {
    X->SetSize(240, 4);
    X->Clear(0xFF000000u);
  }
  FillBitmap(&A, &Table);
  FillBitmap(&B, &Direct);
  for (Integer X = 0; X < 240; ++X) {
    const TColor32 P = A.ScanLine(1)[X], Q = B.ScanLine(1)[X];
    for (int S = 0; S < 32; S += 8) ASSERT_NEAR(int((P >> S) & 0xFF), int((Q >> S) & 0xFF), 1) << X;
  }
  // The ends hold the stop colours under clamp, before and beyond the axis.
  EXPECT_EQ(A.ScanLine(0)[0], 0xFFFF0000u);
  EXPECT_EQ(A.ScanLine(0)[239], 0xFF0000FFu);
  EXPECT_EQ(B.ScanLine(0)[0], 0xFFFF0000u);
  EXPECT_EQ(B.ScanLine(0)[239], 0xFF0000FFu);

  // Past the end (pixel 220: index Round(t·511) = 512), repeat starts over
  // at the first entry and mirror turns back at the last; further on,
  // mirror walks back towards the start.
  Table.SetWrapMode(TWrapMode::wmRepeat);
  FillBitmap(&A, &Table);
  EXPECT_EQ(A.ScanLine(0)[220], 0xFFFF0000u);
  EXPECT_GT((A.ScanLine(0)[230] >> 16) & 0xFF, 200u);
  Table.SetWrapMode(TWrapMode::wmMirror);
  FillBitmap(&A, &Table);
  EXPECT_EQ(A.ScanLine(0)[220], 0xFF0000FFu);
  EXPECT_GT((A.ScanLine(0)[239] >> 16) & 0xFF, (A.ScanLine(0)[221] >> 16) & 0xFF);
  EXPECT_LT((A.ScanLine(0)[239] >> 16) & 0xFF, 60u);

  // Coinciding points: t = 0 everywhere. No gradient: nothing drawn.
  Table.SetEndPoint(Table.StartPoint());
  FillBitmap(&A, &Table);
  EXPECT_EQ(A.ScanLine(3)[200], 0xFFFF0000u);
  TLinearGradientPolygonFiller None(nullptr);
  A.Clear(0xFF000000u);
  PolygonFS(&A, TArrayOfFloatPoint{{0, 0}, {200, 0}, {200, 4}}, &None);
  for (TColor32 C : Pixels(A)) ASSERT_EQ(C, 0xFF000000u);
}

namespace {
// A gradient whose table entry i has red i / 2 and blue 255 - i / 2, so a
// sample names its entry (to within the pair).
TColor32Gradient* Ramp() {
  auto* G = new TColor32Gradient;
  G->AddColorStop(0.0f, 0xFF0000FFu);
  G->AddColorStop(1.0f, 0xFFFF0000u);
  return G;
}
Integer Entry(TColor32 C) { return Integer(((C >> 16) & 0xFF) * 512 / 255); }
}  // namespace

TEST(Pix32_ColorGradients_qn, GradientSamplersFollowTheirRules) {
  std::unique_ptr<TColor32Gradient> G(Ramp());
  TRadialGradientSampler Radial(G.get());
  EXPECT_EQ(Radial.WrapMode(), TWrapMode::wmMirror);
  Radial.SetRadius(511);
  Radial.SetWrapMode(TWrapMode::wmClamp);
  Radial.PrepareSampling();
  EXPECT_EQ(Radial.GetSampleFloat(0, 0), 0xFF0000FFu);
  EXPECT_EQ(Radial.GetSampleFloat(511, 0), 0xFFFF0000u);
  EXPECT_EQ(Radial.GetSampleFloat(2000, 0), 0xFFFF0000u);
  EXPECT_NEAR(Entry(Radial.GetSampleFloat(0, 256)), 256, 4);
  Radial.SetWrapMode(TWrapMode::wmRepeat);
  EXPECT_EQ(Radial.GetSampleFloat(512, 0), 0xFF0000FFu);
  EXPECT_EQ(Radial.GetSampleFixed(65536 * 3, 65536 * 4), Radial.GetSampleFloat(3, 4));
  EXPECT_EQ(Radial.GetSampleInt(3, 4), Radial.GetSampleFloat(3, 4));
  // A gradient change shows at the next PrepareSampling, not before.
  Radial.Gradient()->SetStartColor(0xFF00FF00u);
  EXPECT_EQ(Radial.GetSampleFloat(0, 0), 0xFF0000FFu);
  Radial.PrepareSampling();
  EXPECT_EQ(Radial.GetSampleFloat(0, 0), 0xFF00FF00u);
  // Radius 0: an infinite scale, clean under the sanitizers.
  Radial.SetRadius(0);
  Radial.PrepareSampling();
  (void)Radial.GetSampleFloat(0, 0);
  (void)Radial.GetSampleFloat(5, 5);

  // The default X sampler grades along +X; Angle π/2 does the same.
  TXGradientSampler X(G.get());
  X.SetRadius(511);
  X.SetWrapMode(TWrapMode::wmClamp);
  X.PrepareSampling();
  EXPECT_NEAR(Entry(X.GetSampleFloat(300, 40)), 300, 4);
  EXPECT_EQ(X.GetSampleFloat(300, 40), X.GetSampleFloat(300, -90));
  const TColor32 Default = X.GetSampleFloat(200, 7);
  X.SetAngle(std::numbers::pi_v<float> / 2);
  EXPECT_EQ(X.GetSampleFloat(200, 7), Default);

  // Start, middle and end colours along the axis under clamp; the end point
  // reads back.
  TLinearGradientSampler L;
  L.SimpleGradient(FloatPoint(0, 0), 0xFF0000FFu, FloatPoint(100, 0), 0xFFFF0000u);
  L.SetWrapMode(TWrapMode::wmClamp);
  L.PrepareSampling();
  EXPECT_EQ(L.GetSampleFloat(0, 10), 0xFF0000FFu);
  EXPECT_NEAR(Entry(L.GetSampleFloat(50, -3)), 256, 4);
  EXPECT_EQ(L.GetSampleFloat(100, 0), 0xFFFF0000u);
  EXPECT_EQ(L.GetSampleFloat(-50, 0), 0xFF0000FFu);
  EXPECT_NEAR(L.EndPoint().X, 100, 1e-3);
  EXPECT_NEAR(L.EndPoint().Y, 0, 1e-3);
  // A diagonal axis keeps its direction and length.
  L.SetPoints(FloatPoint(10, 10), FloatPoint(40, 50));
  EXPECT_NEAR(L.EndPoint().X, 40, 1e-3);
  EXPECT_NEAR(L.EndPoint().Y, 50, 1e-3);
  L.SetStartPoint(FloatPoint(0, 0));
  EXPECT_NEAR(L.EndPoint().X, 40, 1e-3);
  L.PrepareSampling();
  EXPECT_EQ(L.GetSampleFloat(0, 0), 0xFF0000FFu);
  EXPECT_EQ(L.GetSampleFloat(40, 50), 0xFFFF0000u);

  // Conic: the angle from the centre; diamond: the larger coordinate.
  TConicGradientSampler C(G.get());
  C.SetCenter(FloatPoint(10, 10));
  C.SetWrapMode(TWrapMode::wmClamp);
  C.PrepareSampling();
  EXPECT_EQ(C.GetSampleFloat(20, 10), 0xFF0000FFu);
  EXPECT_EQ(C.GetSampleFloat(0, 10.0001f), 0xFFFF0000u);
  TDiamondGradientSampler D(G.get());
  D.SetRadius(511);
  D.SetWrapMode(TWrapMode::wmClamp);
  D.PrepareSampling();
  EXPECT_EQ(D.GetSampleFloat(100, 300), D.GetSampleFloat(-300, 50));

  // Assignment carries the gradient, centre, radius and angle.
  TXGradientSampler Copy;
  Copy.Assign(&L);
  Copy.PrepareSampling();
  EXPECT_EQ(Copy.GetSampleFloat(20, 25), L.GetSampleFloat(20, 25));
}

TEST(Pix32_ColorGradients_qn, SamplerRowsEqualPixelSamples) {
  std::unique_ptr<TColor32Gradient> G(Ramp());
  TLinearGradientSampler L(G.get());
  L.SetPoints(FloatPoint(13.3f, -7), FloatPoint(211, 90.5f));
  TRadialGradientSampler R(G.get());
  R.SetCenter(FloatPoint(50.5f, 20.25f));
  R.SetRadius(77);
  TXGradientSampler X(G.get());
  // Radii that send the values out of range or to no number at the centre.
  TRadialGradientSampler Zero(G.get()), Tiny(G.get());
  Zero.SetCenter(FloatPoint(3, 17));
  Zero.SetRadius(0);
  Tiny.SetCenter(FloatPoint(-2.5e9f, 20));
  Tiny.SetRadius(1e-3f);
  // Along the rows: every row alike, so a row may be kept between calls.
  TLinearGradientSampler H(G.get());
  H.SetPoints(FloatPoint(13.3f, 40), FloatPoint(211, 40));
  for (TWrapMode M : {TWrapMode::wmClamp, TWrapMode::wmRepeat, TWrapMode::wmMirror})
    for (TCustomSampler* S : {static_cast<TCustomSampler*>(&L), static_cast<TCustomSampler*>(&R),
                              static_cast<TCustomSampler*>(&X), static_cast<TCustomSampler*>(&H),
                              static_cast<TCustomSampler*>(&Zero), static_cast<TCustomSampler*>(&Tiny)}) {
      static_cast<TCustomGradientSampler*>(S)->SetWrapMode(M);
      S->PrepareSampling();
      for (Integer Y : {-300, -1, 0, 17, 555})
        for (Integer X0 : {-400, -3, 0, 250}) {
          std::vector<TColor32> Row(700);
          S->GetSampleSpanInt(X0, Y, 700, Row.data());
          for (Integer I = 0; I < 700; ++I) ASSERT_EQ(Row[I], S->GetSampleInt(X0 + I, Y)) << X0 + I << "," << Y;
        }
    }
  // A kept row follows a moved axis, even without a new PrepareSampling.
  std::vector<TColor32> Row(300);
  H.GetSampleSpanInt(0, 5, 300, Row.data());
  H.SetStartPoint(FloatPoint(100, 40));
  H.GetSampleSpanInt(0, 5, 300, Row.data());
  for (Integer I = 0; I < 300; ++I) ASSERT_EQ(Row[I], H.GetSampleInt(I, 5)) << I;
}

namespace {
// Hands on another sampler's samples without saying anything of their
// alpha, so a filler over it takes its general path.
class TPassOnSampler : public TCustomSampler {
  QN_CLASS(TPassOnSampler, TCustomSampler)
 public:
  explicit TPassOnSampler(TCustomSampler* Inner) : FInner(Inner) {}
  TColor32 GetSampleInt(Integer X, Integer Y) override { return FInner->GetSampleInt(X, Y); }
  TColor32 GetSampleFloat(Single X, Single Y) override { return FInner->GetSampleFloat(X, Y); }
  void PrepareSampling() override { FInner->PrepareSampling(); }
  void FinalizeSampling() override { FInner->FinalizeSampling(); }

 private:
  TCustomSampler* FInner;
};

// A rule of its own, whose samples need not come from the table.
class TOwnRuleSampler : public TLinearGradientSampler {
  QN_CLASS(TOwnRuleSampler, TLinearGradientSampler)
 public:
  using TLinearGradientSampler::TLinearGradientSampler;
  TColor32 GetSampleFloat(Single X, Single Y) override { return TLinearGradientSampler::GetSampleFloat(X, Y) & 0x7FFFFFFFu; }
};
}  // namespace

// Samplers whose samples are all opaque are written straight into the
// bitmap; the picture is the one of the general path, which forces every
// sample opaque, for every rule with a row shortcut and without, every wrap
// mode, shapes with and without runs of full coverage, and again at the
// next rendering, which may reuse what the last one kept.
TEST(Pix32_ColorGradients_qn, OpaqueSamplesFillAsTheGeneralPath) {
  TColor32Gradient G;
  G.AddColorStop(0.0f, 0xFF1E3A8Au);
  G.AddColorStop(0.35f, 0xFF38BDF8u);
  G.AddColorStop(1.0f, 0xFFF97316u);
  TLinearGradientSampler Along(&G), Slanted(&G);
  Along.SetPoints(FloatPoint(30.5f, 0), FloatPoint(150, 0));
  Slanted.SetPoints(FloatPoint(20, 10), FloatPoint(140, 100));
  TRadialGradientSampler Radial(&G);
  Radial.SetCenter(FloatPoint(90, 60));
  Radial.SetRadius(45);
  TConicGradientSampler Conic(&G);
  Conic.SetCenter(FloatPoint(70, 50));
  TDiamondGradientSampler Diamond(&G);
  Diamond.SetCenter(FloatPoint(100, 40));
  Diamond.SetRadius(30);
  const TArrayOfArrayOfFloatPoint Shapes[] = {
      {{{0, 0}, {200, 0}, {200, 120}, {0, 120}}},
      {{{3.3f, 2.7f}, {181.5f, 5.1f}, {177.2f, 117.4f}, {9.6f, 110.2f}}},
      {Star(FloatPoint(100, 60), 20.0f, 58.0f, 9), Star(FloatPoint(100, 60), 8.0f, 16.0f, 5)},
  };
  for (TCustomGradientLookUpTableSampler* S : {static_cast<TCustomGradientLookUpTableSampler*>(&Along),
                                               static_cast<TCustomGradientLookUpTableSampler*>(&Slanted),
                                               static_cast<TCustomGradientLookUpTableSampler*>(&Radial),
                                               static_cast<TCustomGradientLookUpTableSampler*>(&Conic),
                                               static_cast<TCustomGradientLookUpTableSampler*>(&Diamond)})
    for (TWrapMode M : {TWrapMode::wmClamp, TWrapMode::wmRepeat, TWrapMode::wmMirror}) {
      S->SetWrapMode(M);
      TPassOnSampler Plain(S);
      TSamplerFiller Direct(S), General(&Plain);
      for (const auto& Shape : Shapes)
        for (int Round = 0; Round < 2; ++Round) {
          TCustomBitmap32 A, B;
          for (TCustomBitmap32* X : {&A, &B}) {
            X->SetSize(200, 120);
            X->Clear(0x80405060u);
          }
          PolyPolygonFS(&A, Shape, &Direct, TPolyFillMode::pfNonZero);
          EXPECT_TRUE(S->HasOpaqueSamples());
          PolyPolygonFS(&B, Shape, &General, TPolyFillMode::pfNonZero);
          ASSERT_EQ(Pixels(A), Pixels(B)) << ToUtf8(S->ClassName()) << " wrap " << int(M) << " shape "
                                          << (&Shape - Shapes) << " round " << Round;
        }
    }
  EXPECT_FALSE(TPassOnSampler(&Along).HasOpaqueSamples());

  // A changed gradient shows at the next rendering, though the axis and so
  // the kept row's other inputs stay the same; a translucent stop turns the
  // general path back on, which makes the samples opaque as before.
  Along.SetWrapMode(TWrapMode::wmClamp);
  for (TColor32 End : {0xFF22C55Eu, 0xFFEF4444u, 0x80A855F7u}) {
    G.SetEndColor(End);
    Along.SetGradient(&G);
    TLinearGradientSampler Fresh(&G);
    Fresh.SetPoints(FloatPoint(30.5f, 0), FloatPoint(150, 0));
    Fresh.SetWrapMode(TWrapMode::wmClamp);
    TPassOnSampler Plain(&Fresh);
    TSamplerFiller Direct(&Along), General(&Plain);
    TCustomBitmap32 A, B;
    for (TCustomBitmap32* X : {&A, &B}) {
      X->SetSize(200, 120);
      X->Clear(0x80405060u);
    }
    PolyPolygonFS(&A, Shapes[0], &Direct, TPolyFillMode::pfNonZero);
    EXPECT_EQ(Along.HasOpaqueSamples(), End >> 24 == 0xFF);
    PolyPolygonFS(&B, Shapes[0], &General, TPolyFillMode::pfNonZero);
    ASSERT_EQ(Pixels(A), Pixels(B)) << std::hex << End;
    EXPECT_EQ(A.ScanLine(7)[199], End | 0xFF000000u);
  }

  // Unprepared, or with a rule of its own, a sampler claims nothing.
  G.SetEndColor(0xFFF97316u);
  TOwnRuleSampler Own(&G);
  TLinearGradientSampler Unprepared(&G);
  Own.PrepareSampling();
  EXPECT_FALSE(Own.HasOpaqueSamples());
  EXPECT_FALSE(Unprepared.HasOpaqueSamples());
  Unprepared.PrepareSampling();
  EXPECT_TRUE(Unprepared.HasOpaqueSamples());
  Unprepared.SetRadius(10);
  EXPECT_FALSE(Unprepared.HasOpaqueSamples());
}

// The table filler keeps its table and row from one rendering to the next
// only while the stops stay the same.
TEST(Pix32_ColorGradients_qn, LinearGradientFillerFollowsChangedStops) {
  TColor32Gradient G;
  G.AddColorStop(0.0f, 0xFF1E3A8Au);
  G.AddColorStop(1.0f, 0xFFF97316u);
  TLinearGradientPolygonFiller Kept(&G);
  Kept.SetStartPoint(FloatPoint(10, 0));
  Kept.SetEndPoint(FloatPoint(110, 0));
  TCustomBitmap32 A;
  A.SetSize(120, 6);
  FillBitmap(&A, &Kept);
  // Same count of stops, other colours and offsets; then one stop more.
  const TArrayOfColor32GradientStop Changes[] = {{{0.0f, 0xFF1E3A8Au}, {1.0f, 0xFF22C55Eu}},
                                                 {{0.25f, 0xFF1E3A8Au}, {1.0f, 0xFF22C55Eu}},
                                                 {{0.0f, 0xFF1E3A8Au}, {0.5f, 0x80FFFFFFu}, {1.0f, 0xFF22C55Eu}}};
  for (const auto& Stops : Changes) {
    G.SetColors(Stops);
    TLinearGradientPolygonFiller Fresh(&G);
    Fresh.SetStartPoint(FloatPoint(10, 0));
    Fresh.SetEndPoint(FloatPoint(110, 0));
    TCustomBitmap32 B;
    B.SetSize(120, 6);
    A.Clear(0xFF000000u);
    B.Clear(0xFF000000u);
    FillBitmap(&A, &Kept);
    FillBitmap(&B, &Fresh);
    ASSERT_EQ(Pixels(A), Pixels(B)) << &Stops - Changes;
  }
}

// The table filler against the plain rule: entry Fold(Round(t·511)) of the
// 512-entry table at every pixel centre, for axes of every direction
// (exactly along the rows among them), every wrap mode, opaque and
// translucent gradients.
TEST(Pix32_ColorGradients_qn, LinearGradientFillerRowsFollowTheRule) {
  TColor32Gradient G;
  G.AddColorStop(0.0f, 0xFF1E3A8Au);
  G.AddColorStop(0.4f, 0xFF38BDF8u);
  G.AddColorStop(1.0f, 0xFFF97316u);
  TColor32Gradient Glass;
  Glass.Assign(&G);
  Glass.SetEndColor(0x80F97316u);
  const TFloatPoint Axes[][2] = {{{10, 3}, {90, 3}},     {{90.5f, 7}, {10, 7}}, {{5, 5}, {60, 40}},
                                 {{50, -20}, {50, 60}},  {{-30, 2}, {-10, 2}},  {{0, 0}, {3, 0}}};
  for (TColor32Gradient* Gr : {&G, &Glass})
    for (const auto& A : Axes)
      for (TWrapMode M : {TWrapMode::wmClamp, TWrapMode::wmRepeat, TWrapMode::wmMirror}) {
        TColor32 Table[512];
        Gr->FillColorLookUpTable(Table, 512);
        TLinearGradientPolygonFiller F(Gr);
        F.SetStartPoint(A[0]);
        F.SetEndPoint(A[1]);
        F.SetWrapMode(M);
        TCustomBitmap32 B;
        B.SetSize(120, 9);
        B.Clear(0xFF204060u);
        FillBitmap(&B, &F);
        const double Ax = double(A[1].X) - A[0].X, Ay = double(A[1].Y) - A[0].Y, L2 = Ax * Ax + Ay * Ay;
        for (Integer Y = 0; Y < 9; ++Y)
          for (Integer X = 0; X < 120; ++X) {
            const double T = ((X + 0.5 - A[0].X) * Ax + (Y + 0.5 - A[0].Y) * Ay) / L2;
            auto Expected = [&](Integer K) {
              const Integer I = M == TWrapMode::wmClamp ? std::clamp(K, 0, 511)
                                : M == TWrapMode::wmRepeat ? (K & 511)
                                                           : ((K & 512) ? 511 - (K & 511) : (K & 511));
              TColor32 C = 0xFF204060u;
              if (Table[I] >> 24 == 255)
                C = Table[I];
              else
                BlendMemEx(Table[I], C, 255);
              return C;
            };
            // On an exact half the filler's own rounding of t may fall
            // either way.
            const double V = T * 511;
            const Integer I = Integer(std::nearbyint(V));
            TColor32 Want = Expected(I);
            if (std::fabs(std::fabs(V - std::floor(V)) - 0.5) < 1e-6 && B.ScanLine(Y)[X] != Want)
              Want = Expected(Integer(std::floor(V)) == I ? I + 1 : I - 1);
            ASSERT_EQ(B.ScanLine(Y)[X], Want) << X << "," << Y << " axis " << (&A - Axes) << " wrap " << int(M) << " index " << I;
          }
      }
}

// Fillers with a run routine get long runs of full coverage apart from the
// lines between them; the picture is the one the line routine alone makes
// of whole rows with their weights.
TEST(Pix32_Polygons_qn, RunsOfFullCoverageFillAsTheirLines) {
  TColor32Gradient Opaque, Glass;
  Opaque.AddColorStop(0.0f, 0xFF1E3A8Au);
  Opaque.AddColorStop(0.5f, 0xFF38BDF8u);
  Opaque.AddColorStop(1.0f, 0xFFF97316u);
  Glass.Assign(&Opaque);
  Glass.SetEndColor(0x60F97316u);
  TLinearGradientPolygonFiller Along(&Opaque), Slanted(&Glass);
  Along.SetStartPoint(FloatPoint(20, 0));
  Along.SetEndPoint(FloatPoint(170, 0));
  Slanted.SetStartPoint(FloatPoint(10, 10));
  Slanted.SetEndPoint(FloatPoint(150, 90));
  Slanted.SetWrapMode(TWrapMode::wmMirror);
  TLinearGradientSampler LS(&Opaque);
  LS.SetPoints(FloatPoint(30, 0), FloatPoint(160, 0));
  TRadialGradientSampler RS(&Glass);
  RS.SetCenter(FloatPoint(90, 60));
  RS.SetRadius(50);
  TSamplerFiller LF(&LS), RF(&RS);
  const TArrayOfArrayOfFloatPoint Shapes[] = {
      {{{0, 0}, {200, 0}, {200, 120}, {0, 120}}},
      {{{3.3f, 2.7f}, {181.5f, 5.1f}, {177.2f, 117.4f}, {9.6f, 110.2f}}},
      {Star(FloatPoint(100, 60), 20.0f, 58.0f, 9), Star(FloatPoint(100, 60), 8.0f, 16.0f, 5)},
  };
  for (TCustomPolygonFiller* F : {static_cast<TCustomPolygonFiller*>(&Along), static_cast<TCustomPolygonFiller*>(&Slanted),
                                  static_cast<TCustomPolygonFiller*>(&LF), static_cast<TCustomPolygonFiller*>(&RF)}) {
    ASSERT_TRUE(Assigned(F->GetFillRun()));
    for (const auto& S : Shapes) {
      TCustomBitmap32 A, B;
      for (TCustomBitmap32* X : {&A, &B}) {
        X->SetSize(200, 120);
        X->Clear(0xFF405060u);
      }
      PolyPolygonFS(&A, S, F, TPolyFillMode::pfNonZero);
      TCallbackPolygonFiller Lines;
      Lines.SetFillLineEvent(F->GetFillLine());
      F->BeginRendering();
      PolyPolygonFS(&B, S, &Lines, TPolyFillMode::pfNonZero);
      F->EndRendering();
      ASSERT_EQ(Pixels(A), Pixels(B)) << ToUtf8(F->ClassName()) << ", shape " << (&S - Shapes);
    }
  }
  // The per-pixel form and descendants keep to whole lines.
  Along.SetUseLookUpTable(false);
  EXPECT_FALSE(Assigned(Along.GetFillRun()));
}

// A rectangle on whole pixels is filled without working out coverage; the
// picture is the one of the same rectangle given with a fifth point on an
// edge, which takes the coverage path.
TEST(Pix32_Polygons_qn, PixelAlignedRectanglesFillAsTheCoveragePath) {
  TColor32Gradient G;
  G.AddColorStop(0.0f, 0xFF1E3A8Au);
  G.AddColorStop(1.0f, 0x80F97316u);
  TLinearGradientPolygonFiller Lin(&G);
  Lin.SetStartPoint(FloatPoint(10, 5));
  Lin.SetEndPoint(FloatPoint(90, 40));
  TRadialGradientSampler RS(&G);
  RS.SetCenter(FloatPoint(40, 30));
  RS.SetRadius(30);
  TSamplerFiller SF(&RS);
  // Opaque colours along the rows or across them: boxes copied or filled
  // whole, which must come out as the rows would.
  TColor32Gradient Solid;
  Solid.AddColorStop(0.0f, 0xFF1E3A8Au);
  Solid.AddColorStop(0.6f, 0xFF38BDF8u);
  Solid.AddColorStop(1.0f, 0xFFF97316u);
  TLinearGradientPolygonFiller Along(&Solid), Across(&Solid);
  Along.SetStartPoint(FloatPoint(12.5f, 3));
  Along.SetEndPoint(FloatPoint(41, 3));
  Along.SetWrapMode(TWrapMode::wmRepeat);
  Across.SetStartPoint(FloatPoint(30, 4));
  Across.SetEndPoint(FloatPoint(30, 22.5f));
  Across.SetWrapMode(TWrapMode::wmMirror);
  TLinearGradientSampler LS(&Solid);
  LS.SetPoints(FloatPoint(8, 0), FloatPoint(77, 0));
  LS.SetWrapMode(TWrapMode::wmClamp);
  TSamplerFiller LF(&LS);
  TCallbackPolygonFiller Lines;  // no run routine
  const struct {
    TFloatRect R;
    TFloatRect Clip;
  } Cases[] = {{FloatRect(3, 2, 97, 58), FloatRect(0, 0, 100, 60)},   {FloatRect(-20, -5, 40, 70), FloatRect(0, 0, 100, 60)},
               {FloatRect(10, 10, 60, 50), FloatRect(20, 0, 45, 33)}, {FloatRect(10, 10, 60, 50), FloatRect(20.5f, 0, 45, 33)},
               {FloatRect(10, 10.5f, 60, 50), FloatRect(0, 0, 100, 60)}, {FloatRect(70, 10, 90, 30), FloatRect(0, 0, 50, 60)}};
  for (TCustomPolygonFiller* F :
       {static_cast<TCustomPolygonFiller*>(&Lin), static_cast<TCustomPolygonFiller*>(&SF),
        static_cast<TCustomPolygonFiller*>(&Along), static_cast<TCustomPolygonFiller*>(&Across),
        static_cast<TCustomPolygonFiller*>(&LF), static_cast<TCustomPolygonFiller*>(&Lines)}) {
    if (F == &Lines) Lines.SetFillLineEvent(Lin.GetFillLine());
    {
      // Only the opaque boxes along or across the axis go whole.
      TCustomBitmap32 Probe;
      Probe.SetSize(20, 10);
      F->BeginRendering();
      EXPECT_EQ(F->FillBox(&Probe, Rect(2, 1, 18, 9)), F == &Along || F == &Across || F == &LF)
          << ToUtf8(F->ClassName());
      F->EndRendering();
    }
    for (const auto& C : Cases)
      for (bool Reverse : {false, true}) {
        const TFloatRect& R = C.R;
        TArrayOfFloatPoint Box{{R.Left, R.Top}, {R.Right, R.Top}, {R.Right, R.Bottom}, {R.Left, R.Bottom}};
        TArrayOfFloatPoint Five{{R.Left, R.Top}, {(R.Left + R.Right) / 2, R.Top}, {R.Right, R.Top}, {R.Right, R.Bottom},
                                {R.Left, R.Bottom}};
        if (Reverse) {
          std::reverse(Box.begin(), Box.end());
          std::reverse(Five.begin(), Five.end());
        }
        TCustomBitmap32 A, B;
        for (TCustomBitmap32* X : {&A, &B}) {
          X->SetSize(100, 60);
          X->Clear(0xFF405060u);
        }
        TPolygonRenderer32VPR RA(&A), RB(&B);
        for (TPolygonRenderer32VPR* Rr : {&RA, &RB}) {
          Rr->SetFiller(F);
          Rr->SetFillMode(TPolyFillMode::pfNonZero);
        }
        if (F == &Lines) Lin.BeginRendering();
        RA.PolygonFS(Box, C.Clip);
        RB.PolygonFS(Five, C.Clip);
        ASSERT_EQ(Pixels(A), Pixels(B)) << (&C - Cases) << (Reverse ? " reversed" : "");
      }
  }
}

}  // namespace t_pix32_gauge_helpers_test
