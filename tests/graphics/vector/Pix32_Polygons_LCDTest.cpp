#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "graphics/raster/Pix32_Blend_qn.h"
#include "graphics/raster/Pix32_qn_Routines.h"
#include "graphics/vector/Pix32_Polygons_qn.h"
#include "graphics/vector/Pix32_VectorUtils_qn.h"

namespace t_pix32_polygons_lcdtest {

using namespace qn;

namespace {

constexpr TColor32 kInk = 0xFF3366CCu;

std::vector<TColor32> Pixels(TCustomBitmap32& B) {
  return {B.ScanLine(0), B.ScanLine(0) + size_t(B.Width()) * B.Height()};
}

// Counts rectangle change reports.
class TReportingBitmap : public TCustomBitmap32 {
 public:
  using TCustomBitmap32::Changed;
  void Changed(const TRect& Area, Cardinal Info) override {
    ++Reports;
    TCustomBitmap32::Changed(Area, Info);
  }
  Integer Reports = 0;
};

TArrayOfFloatPoint Box(float L, float T, float R, float B) { return {{L, T}, {R, T}, {R, B}, {L, B}}; }

// Subpixel shares straight from the definition: c = |floor(v·65536)|,
// folded or clamped by the fill rule, then t = c·A·86 / 2^24.
std::vector<int> Shares(const std::vector<float>& V, TPolyFillMode Mode, TColor32 Color) {
  std::vector<int> T;
  for (float X : V) {
    Int64 C = std::llabs(Int64(std::floor(double(X) * 65536.0)));
    if (Mode == TPolyFillMode::pfEvenOdd) {
      C &= 0x1FFFF;
      if (C > 65535) C = 0x1FFFF - C;
    } else {
      C = std::min<Int64>(C, 65536);
    }
    T.push_back(int((C * Int64(Color >> 24) * 86) >> 24));
  }
  return T;
}

// The first pass as a plain convolution: byte j < N sums shares j-2 .. j
// through the gamma table; bytes N and N+1 keep the raw tail sums.
std::vector<int> FirstPass(const std::vector<int>& T) {
  const int N = int(T.size());
  auto At = [&](int I) { return I >= 0 && I < N ? T[I] : 0; };
  std::vector<int> P(N + 4, 0);
  for (int J = 0; J < N; ++J) P[J] = GAMMA_TABLE[At(J - 2) + At(J - 1) + At(J)];
  P[N] = At(N - 2) + At(N - 1);
  P[N + 1] = At(N - 1);
  return P;
}

}  // namespace

TEST(Pix32_Polygons_qn, SubpixelRenderersAreRegisteredAfterTheExactOne) {
  ASSERT_NE(PolygonRendererList, nullptr);
  ASSERT_GE(PolygonRendererList->Count(), 3);
  EXPECT_EQ(PolygonRendererList->Items(0), TPolygonRenderer32VPR::StaticClass());
  EXPECT_EQ(PolygonRendererList->Items(1), TPolygonRenderer32LCD::StaticClass());
  EXPECT_EQ(PolygonRendererList->Items(2), TPolygonRenderer32LCD2::StaticClass());
  EXPECT_EQ(PolygonRendererList->Find(u"TPolygonRenderer32LCD"), TPolygonRenderer32LCD::StaticClass());
  EXPECT_EQ(PolygonRendererList->Find(u"TPolygonRenderer32LCD2"), TPolygonRenderer32LCD2::StaticClass());
  EXPECT_EQ(PolygonRendererList->Find(u"TPolygonRenderer32VPR"), TPolygonRenderer32VPR::StaticClass());
}

TEST(Pix32_Polygons_qn, SubpixelWeightsMatchTheFilterModel) {
  std::mt19937 Rng(99);
  std::uniform_real_distribution<float> Cover(-2.5f, 2.5f);
  for (int K = 0; K < 300; ++K) {
    const int N = 1 + int(Rng() % 40);
    std::vector<float> V(N);
    // Runs of equal values exercise the last-value cache.
    for (int I = 0; I < N; ++I) V[I] = (I > 0 && Rng() % 3 == 0) ? V[I - 1] : Cover(Rng);
    const TPolyFillMode Mode = K % 2 ? TPolyFillMode::pfNonZero : TPolyFillMode::pfEvenOdd;
    const TColor32 Color = (Cardinal(Rng() % 256) << 24) | 0x123456u;
    const std::vector<int> L = FirstPass(Shares(V, Mode, Color));

    std::vector<Byte> Got(N + 4, 0xEE);
    TPolygonRenderer32LCD::FillProc(Mode)(V.data(), Got.data(), N, Color);
    for (int J = 0; J < N + 4; ++J) ASSERT_EQ(Got[J], L[J]) << "LCD byte " << J << " of " << N;

    // The second pass: a three-tap box over the first pass, every byte
    // reading the first pass's values, tail included.
    std::vector<Byte> Got2(N + 4, 0xEE);
    TPolygonRenderer32LCD2::FillProc(Mode)(V.data(), Got2.data(), N, Color);
    auto At = [&](int I) { return I >= 0 ? L[I] : 0; };
    for (int J = 0; J < N + 4; ++J) ASSERT_EQ(Got2[J], (At(J) + At(J - 1) + At(J - 2)) / 3) << "LCD2 byte " << J << " of " << N;
  }
}

TEST(Pix32_Polygons_qn, SubpixelSpansInTheBitmap) {
  for (int Variant = 0; Variant < 2; ++Variant) {
    SCOPED_TRACE(Variant ? "LCD2" : "LCD");
    auto Fill = [&](TCustomBitmap32& B, const TArrayOfFloatPoint& P) {
      Variant ? PolygonFS_LCD2(&B, P, kInk) : PolygonFS_LCD(&B, P, kInk);
    };
    TCustomBitmap32 B;
    B.SetSize(30, 12);
    B.Clear(0xFFFFFFFFu);
    Fill(B, Box(5, 2, 20, 9));
    // Inside, an opaque colour lands exactly.
    EXPECT_EQ(B.ScanLine(5)[12], kInk);
    // Left of the span: the second variant's filter reaches one subpixel
    // into the neighbour, blue only; the first variant's spill carries no
    // weight there.
    const TColor32 Left = B.ScanLine(5)[4];
    EXPECT_EQ(Left & 0xFFFFFF00u, 0xFFFFFF00u);
    if (Variant)
      EXPECT_LT(Left & 0xFFu, 0xFFu);
    else
      EXPECT_EQ(Left, 0xFFFFFFFFu);
    EXPECT_EQ(B.ScanLine(5)[2], 0xFFFFFFFFu);
    EXPECT_EQ(B.ScanLine(1)[12], 0xFFFFFFFFu);

    // A span starting at column 0 spills into nothing: the previous row's
    // last pixel stays as it was. A span ending at the last column writes
    // nothing past the row (the next row's first pixel stays).
    TCustomBitmap32 E;
    E.SetSize(16, 6);
    E.Clear(0xFFFFFFFFu);
    Fill(E, Box(0, 1, 16, 3));
    Fill(E, Box(0, 0, 16, 1));
    Fill(E, Box(0, 5, 16, 6));
    // The filter takes the edge pixels' outer subpixels only partly.
    EXPECT_NE(E.ScanLine(0)[15], 0xFFFFFFFFu);
    EXPECT_NE(E.ScanLine(0)[0], 0xFFFFFFFFu);
    EXPECT_EQ(E.ScanLine(0)[8], kInk);
    EXPECT_EQ(E.ScanLine(3)[0], 0xFFFFFFFFu);
    EXPECT_EQ(E.ScanLine(4)[15], 0xFFFFFFFFu);
    EXPECT_EQ(E.ScanLine(2)[8], kInk);
  }
}

TEST(Pix32_Polygons_qn, SubpixelRenderersIgnoreFillersAndStayInsideTheBitmap) {
  const TArrayOfFloatPoint Shape{{-40, -10}, {60.3f, 4.7f}, {12.2f, 50}, {3.4f, 9.1f}};
  TCustomBitmap32 A, B;
  A.SetSize(25, 17);
  B.SetSize(25, 17);
  A.Clear(0xFF808080u);
  B.Clear(0xFF808080u);
  TPolygonRenderer32LCD2 R1(&A, TPolyFillMode::pfNonZero), R2(&B, TPolyFillMode::pfNonZero);
  R1.SetColor(0xC0FF2020u);
  R2.SetColor(0xC0FF2020u);
  TInvertPolygonFiller Invert;
  R2.SetFiller(&Invert);
  // Clips far larger than the bitmap: only the bitmap's pixels are touched
  // (an out-of-bounds write would trip the address checker).
  R1.PolyPolygonFS(PolyPolygon(Shape), FloatRect(-100, -100, 300, 300));
  R2.PolyPolygonFS(PolyPolygon(Shape), FloatRect(-100, -100, 300, 300));
  EXPECT_EQ(Pixels(A), Pixels(B));
  EXPECT_NE(A.ScanLine(10)[10], 0xFF808080u);

  // Empty, inverted and NaN clips draw and report nothing.
  TReportingBitmap C;
  C.SetSize(10, 10);
  C.Clear(0xFF000000u);
  C.Reports = 0;
  TPolygonRenderer32LCD R3(&C);
  R3.SetColor(0xFFFFFFFFu);
  const float NaN = std::nanf("");
  for (const TFloatRect& Clip : {FloatRect(5, 5, 5, 9), FloatRect(8, 0, 2, 10), FloatRect(NaN, 0, 10, 10)})
    R3.PolyPolygonFS(PolyPolygon(Box(0, 0, 10, 10)), Clip);
  EXPECT_EQ(C.Reports, 0);
  EXPECT_EQ(C.ScanLine(5)[5], 0xFF000000u);
  // A drawn fill reports once.
  PolygonFS_LCD(&C, Box(1, 1, 4, 4), 0xFFFFFFFFu);
  EXPECT_EQ(C.Reports, 1);

  // The clip rectangle of the entry points limits the fill.
  TCustomBitmap32 D;
  D.SetSize(20, 20);
  D.Clear(0xFF000000u);
  PolygonFS_LCD(&D, Box(0, 0, 20, 20), Rect(5, 5, 10, 10), 0xFFFFFFFFu);
  EXPECT_EQ(D.ScanLine(7)[7], 0xFFFFFFFFu);
  EXPECT_EQ(D.ScanLine(12)[7], 0xFF000000u);
  EXPECT_EQ(D.ScanLine(7)[12], 0xFF000000u);
  // The fixed forms take 16.16 points.
  TCustomBitmap32 F;
  F.SetSize(20, 20);
  F.Clear(0xFF000000u);
  PolygonXS_LCD2(&F, TArrayOfFixedPoint{{2 << 16, 2 << 16}, {18 << 16, 2 << 16}, {18 << 16, 18 << 16}}, 0xFFFFFFFFu);
  EXPECT_EQ(F.ScanLine(4)[14], 0xFFFFFFFFu);
  EXPECT_EQ(F.ScanLine(14)[4], 0xFF000000u);
}

}  // namespace t_pix32_polygons_lcdtest
