// The circle progress gauge on a plain form: where the value arc ends and
// the dot sits for several values (so the arc and rotation routines turn the
// right way), what the number reads, the range rules and when it reports.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

#include "platform/rtl/SysUtils.h"
#include "skin/extended/uQuarnCircleProgress.h"
#include "tests/common/Golden.h"
#include "tests/skin/controls/SkinControlsTestSupport.h"
#include "tests/skin/extended/GaugeTestSupport.h"

namespace t_u_quarn_circle_progress_test {

using namespace qn;
using namespace gaugetest;

namespace {

class uQuarnCircleProgress : public skintest::RootTest {
 protected:
  TQuarnCircleProgress* Gauge() {
    auto* G = Make<TQuarnCircleProgress>(10, 10, 180, 180);
    G->SetOnChanged([this](TObject*) { ++Changes; });
    return G;
  }
  // The pixel on the ring's middle line at Deg degrees clockwise from twelve
  // o'clock (180 x 180, thickness 14: ring side 155).
  static TColor32 OnRing(TBitmap32* B, double Deg) {
    const double A = Deg * M_PI / 180, R = 155 / 2.0;
    return B->GetPixel(int(std::lround(90 + R * std::sin(A))), int(std::lround(90 - R * std::cos(A))));
  }
  // The part of the picture the number and caption occupy.
  static TBitmap32Ptr Middle(TBitmap32* B) { return Crop(B, 35, 55, 110, 70); }
  int Changes = 0;
};

const TColor32 kTrack = GaugeColor32(static_cast<TColor>(0x008FE6FF));
const TColor32 kArc = GaugeColor32(static_cast<TColor>(0x00F5A542));
const TColor32 kDot = GaugeColor32(static_cast<TColor>(0x00FFFFFF));

}  // namespace

TEST_F(uQuarnCircleProgress, DefaultsAndTheStartAngle) {
  auto* G = Gauge();
  EXPECT_EQ(G->ControlStyle(), (TControlStyle{csAcceptsControls, csCaptureMouse, csClickEvents, csDoubleClicks}));
  auto* Fresh = new TQuarnCircleProgress(FRoot.get());
  EXPECT_EQ(Fresh->Width(), 180);
  EXPECT_EQ(Fresh->Height(), 180);
  EXPECT_EQ(Fresh->CircleThickness(), 14);
  EXPECT_EQ(Fresh->Caption()->Text(), u"%");
  EXPECT_EQ(Fresh->Caption()->Font()->Size(), 27);
  EXPECT_EQ(Fresh->Caption()->Font()->Color(), static_cast<TColor>(0x00484848));
  delete Fresh;
  EXPECT_DOUBLE_EQ(G->StartAngle(), 179.5);
  EXPECT_EQ(G->PercentText(), u"50");
  // Against the plain formula over a sweep of ranges and values.
  for (int Min = -30; Min <= 30; Min += 15)
    for (int Span = 1; Span <= 200; Span += 37) {
      G->SetMaxValue(Min + Span);
      G->SetMinValue(Min);
      for (int V = Min; V <= Min + Span; V += 7) {
        G->SetValue(V);
        const double P = double(V - Min) / Span;
        EXPECT_NEAR(G->StartAngle(), 359 - P * 359, 1e-9);
        EXPECT_EQ(G->PercentText(), IntToStr(Round(P * 100)));
      }
    }
  EXPECT_THROW(G->SetCircleThickness(-1), Exception);
  EXPECT_EQ(G->CircleThickness(), 14);
}

TEST_F(uQuarnCircleProgress, ArcEndAndDotFollowTheValueClockwiseFromTwelve) {
  auto* G = Gauge();
  struct Case {
    int Value;
    double Inside, Beyond, Dot;  // degrees clockwise from twelve
  };
  const Case Cases[] = {{0, -1, 90, 0}, {25, 45, 110, 90}, {50, 135, 200, 180}, {100, 180, -1, 359}};
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.Value);
    G->SetValue(C.Value);
    TBitmap32* B = Picture(G);
    if (C.Inside >= 0) { EXPECT_TRUE(Near(OnRing(B, C.Inside), kArc, 3)); }
    // The arc starts just after twelve and its round end lies short of Beyond.
    if (C.Value > 0) { EXPECT_TRUE(Near(OnRing(B, 8), kArc, 3)); }
    if (C.Beyond >= 0) { EXPECT_TRUE(Near(OnRing(B, C.Beyond), kTrack, 3)); }
    EXPECT_TRUE(Near(OnRing(B, C.Dot), kDot, 3));
    // Across the ring from the dot there is no dot.
    EXPECT_FALSE(Near(OnRing(B, C.Dot + 180), kDot, 40));
  }
  // Value 0 leaves the whole track bare.
  G->SetValue(0);
  TBitmap32* B = Picture(G);
  for (double D = 20; D < 350; D += 30) EXPECT_TRUE(Near(OnRing(B, D), kTrack, 3)) << D;
}

TEST_F(uQuarnCircleProgress, RingSideAndOuterEdge) {
  auto* G = Gauge();
  G->SetValue(0);
  TBitmap32* B = Picture(G);
  // Side 155 centred in 180: the outer edge at x = 90 - 77.5 - 7 = 5.5.
  EXPECT_TRUE(Near(B->GetPixel(6, 90), kTrack, 3));
  EXPECT_TRUE(Near(B->GetPixel(4, 90), 0xFF000000u | RootColour(), 3));
  EXPECT_FALSE(Near(B->GetPixel(5, 90), kTrack, 20));
  EXPECT_TRUE(Near(B->GetPixel(173, 90), kTrack, 3));
  EXPECT_TRUE(Near(B->GetPixel(175, 90), 0xFF000000u | RootColour(), 3));
  // Inner edge at 90 - 77.5 + 7 = 19.5.
  EXPECT_TRUE(Near(B->GetPixel(18, 90), kTrack, 3));
  EXPECT_TRUE(Near(B->GetPixel(21, 90), 0xFF000000u | RootColour(), 3));
}

TEST_F(uQuarnCircleProgress, TheNumberReadsThePercentOfTheRange) {
  auto* A = Gauge();
  TBitmapHolder Fifty(Middle(Picture(A)));
  // Against the text drawn by hand at the place the layout gives.
  TBitmapHolder Ref(Middle(Picture(A)));
  {
    auto Own = std::make_unique<TBitmap32>();
    Own->SetSize(180, 180);
    Own->Clear(0xFF000000u | RootColour());
    Own->Font()->Assign(A->Caption()->Font());
    const TSize N = Own->TextExtent(u"50");
    Own->Font()->SetSize(11);
    const int WC = Own->TextWidth(u"%");
    const int X = (180 - N.cx - WC) / 2, Y = (180 - N.cy) / 2;
    Own->Font()->SetSize(27);
    Own->Textout(X, Y, u"50");
    Own->Font()->SetSize(11);
    Own->Textout(X + N.cx + 1, Y, u"%");
    Ref.Set(Middle(Own.get()));
  }
  EXPECT_LE(Mismatches(Fifty.Get(), Ref.Get(), 8), 0);
  // 100 of 50..150 reads the same; 51 of 0..100 does not.
  A->SetMaxValue(150);
  A->SetMinValue(50);
  A->SetValue(100);
  EXPECT_EQ(Mismatches(Middle(Picture(A)).get(), Fifty.Get(), 8), 0);
  A->SetValue(101);
  EXPECT_GT(Mismatches(Middle(Picture(A)).get(), Fifty.Get(), 8), 10);
  // Equal ends: "0", as a 0..100 gauge at 0 reads, and no arc.
  auto* Z = Make<TQuarnCircleProgress>(200, 10, 180, 180);
  Z->SetValue(0);
  TBitmapHolder Zero(Middle(Picture(Z)));
  A->SetMaxValue(70);
  A->SetMinValue(70);
  EXPECT_EQ(A->Value(), 70);
  EXPECT_EQ(A->StartAngle(), 0);
  EXPECT_EQ(A->PercentText(), u"0");
  TBitmap32* B = Picture(A);
  EXPECT_EQ(Mismatches(Middle(B).get(), Zero.Get(), 8), 0);
  EXPECT_TRUE(Near(OnRing(B, 90), kTrack, 3));
  EXPECT_TRUE(Near(OnRing(B, 270), kTrack, 3));
  // An invisible caption leaves the middle empty.
  A->Caption()->SetVisible(false);
  EXPECT_EQ(Count(Middle(Picture(A)).get(), 0xFF000000u | RootColour(), 2), 110 * 70);
}

TEST_F(uQuarnCircleProgress, MinAboveMaxDrawsOnlyTheTrack) {
  auto* G = Gauge();
  G->SetMinValue(120);
  EXPECT_EQ(G->Value(), 120);
  G->SetValue(60);
  EXPECT_EQ(G->Value(), 120);  // below the minimum is taken as the minimum
  TBitmap32* B = Picture(G);
  for (double D = 0; D < 360; D += 30) EXPECT_TRUE(Near(OnRing(B, D), kTrack, 3)) << D;
  EXPECT_EQ(Count(Middle(B).get(), 0xFF000000u | RootColour(), 2), 110 * 70);
  G->SetValue(500);
  EXPECT_EQ(G->Value(), 100);
}

TEST_F(uQuarnCircleProgress, ReportsOnlyOutsideTheBracketAndNotForPulls) {
  auto* G = Gauge();
  G->SetValue(70);
  EXPECT_EQ(Changes, 1);
  G->SetValue(70);
  G->SetValue(300);
  EXPECT_EQ(G->Value(), 100);
  EXPECT_EQ(Changes, 2);
  G->BeginUpdate();
  G->SetValue(10);
  G->BeginUpdate();
  G->SetValue(20);
  G->EndUpdate();
  G->SetValue(30);
  G->EndUpdate();
  EXPECT_EQ(Changes, 2);
  EXPECT_EQ(G->Value(), 30);
  G->SetMaxValue(20);
  EXPECT_EQ(G->Value(), 20);
  G->SetMinValue(25);
  EXPECT_EQ(G->Value(), 25);
  EXPECT_EQ(Changes, 2);
  // Below a minimum that lies above the maximum: the minimum, unchanged.
  G->SetValue(0);
  EXPECT_EQ(G->Value(), 25);
  EXPECT_EQ(Changes, 2);
  G->SetMinValue(0);
  G->SetValue(5);
  EXPECT_EQ(Changes, 3);
}

TEST_F(uQuarnCircleProgress, CaptionAndColourChangesRepaint) {
  auto* G = Gauge();
  TBitmapHolder Before(Middle(Picture(G)));
  auto C = std::make_unique<TQnCaption>();
  C->Assign(G->Caption());
  C->SetText(u"pt");
  G->SetCaption(C.get());
  usertest::Pump();
  EXPECT_GT(Mismatches(Middle(G->Buffer()).get(), Before.Get(), 8), 10);
  EXPECT_EQ(G->Caption()->Text(), u"pt");
  G->Caption()->Font()->SetColor(clRed);
  usertest::Pump();
  EXPECT_GT(Count(Middle(G->Buffer()).get(), 0xFFFF0000u, 10), 10);
  auto Colours = std::make_unique<TCircleProgressColors>();
  Colours->SetCircleNormalColor(clLime);
  G->SetColors(Colours.get());
  usertest::Pump();
  EXPECT_TRUE(Near(OnRing(G->Buffer(), 270), 0xFF00FF00u, 3));
  EXPECT_EQ(G->Colors()->CircleProgressColor(), static_cast<TColor>(0x00F5A542));
}

TEST_F(uQuarnCircleProgress, GoldenPictures) {
  for (int V : {0, 50, 100}) {
    auto* G = Gauge();
    G->SetValue(V);
    qntest::ExpectMatchesGolden(ToScreenImage(Picture(G)), "circle-progress-" + std::to_string(V), 2, 12);
    delete G;
  }
}

}  // namespace t_u_quarn_circle_progress_test
