// The speedometer on a plain form: which tick labels it writes and in what
// colour (glyph probes against hand-drawn text), the range rules, and the
// glide on the virtual clock — frame count, where the needle comes to rest
// and a restart from the needle's current place.
#include <gtest/gtest.h>

#include <cmath>

#include "platform/rtl/SysUtils.h"
#include "skin/extended/uQuarnSpeedometer.h"
#include "tests/common/Golden.h"
#include "tests/skin/controls/SkinControlsTestSupport.h"
#include "tests/skin/extended/GaugeTestSupport.h"

namespace t_u_quarn_speedometer_test {

using namespace qn;
using namespace gaugetest;

namespace {

// Counts its finished pictures.
class TCountingSpeedometer : public TQuarnSpeedometer {
 public:
  using TQuarnSpeedometer::TQuarnSpeedometer;
  int Paints = 0;

 protected:
  void DrawBody(TBitmap32* Buffer) override {
    ++Paints;
    TQuarnSpeedometer::DrawBody(Buffer);
  }
};

const TColor32 kTrack = GaugeColor32(static_cast<TColor>(0x008FE6FF));
const TColor32 kArc = GaugeColor32(static_cast<TColor>(0x00F5A542));

class uQuarnSpeedometer : public skintest::RootTest {
 protected:
  void SetUp() override {
    skintest::RootTest::SetUp();
    FRoot->SetBounds(40, 40, 700, 400);
    usertest::Pump();
  }
  TCountingSpeedometer* Dial(int X = 10) {
    auto* S = Make<TCountingSpeedometer>(X, 10, 326, 326);
    S->SetOnChanged([this](TObject*) { ++Changes; });
    return S;
  }
  // The text box of label K (0 at the low end .. 10 at the high end) of a
  // 326 x 326 dial of thickness 23 showing Text, found from the dial's
  // geometry: ring side 285, labels on radius 142 - the widest end label.
  TRect LabelBox(TQuarnSpeedometer* S, int K, const String& Text) {
    auto B = std::make_unique<TBitmap32>();
    B->SetSize(8, 8);
    B->Font()->Assign(S->FontTicks());
    const int L = std::max(B->TextWidth(IntToStr(S->MaxValue())), B->TextWidth(IntToStr(S->MinValue())));
    const TSize Sz = B->TextExtent(Text);
    const double Th = M_PI * (120.0 + 30.0 * K) / 180.0;
    double X = std::cos(Th) * (142 - L) + 163, Y = std::sin(Th) * (142 - L) + 163;
    double OY = (-Sz.cy) / 2;
    if (K == 0 || K == 10) OY -= 11.5;
    const int Left = int(Round(X + (-Sz.cx) / 2)), Top = int(Round(Y + OY));
    return TRect(Left, Top, Left + Sz.cx, Top + Sz.cy);
  }
  // Text drawn by hand at the label box of K in Colour over the bare form.
  std::unique_ptr<TBitmap32> HandDrawn(TQuarnSpeedometer* S, const TRect& R, const String& Text, TColor Colour) {
    auto Ref = std::make_unique<TBitmap32>();
    Ref->SetSize(326, 326);
    Ref->Clear(0xFF000000u | RootColour());
    Ref->Font()->Assign(S->FontTicks());
    Ref->Font()->SetColor(Colour);
    Ref->Textout(R.Left, R.Top, Text);
    return Ref;
  }
  // Over the ink of Text (and of Other, when given) at label K: the pixels
  // where the dial differs from Text drawn by hand in Colour. The track may
  // run through the box's corners, so only ink counts.
  int GlyphMismatch(TQuarnSpeedometer* S, int K, const String& Text, TColor Colour, const String& Other = u"") {
    TBitmap32* P = Picture(S);
    const TRect R = LabelBox(S, K, Text);
    auto Ref = HandDrawn(S, R, Text, Colour);
    auto Alt = HandDrawn(S, R, Other.empty() ? Text : Other, Colour);
    const TColor32 Bg = 0xFF000000u | RootColour();
    int N = 0;
    for (int y = R.Top - 2; y < R.Bottom + 2; ++y)
      for (int x = R.Left - 2; x < R.Right + 2; ++x) {
        const bool Ink = !Near(Ref->GetPixel(x, y), Bg, 24) || !Near(Alt->GetPixel(x, y), Bg, 24);
        if (Ink && !Near(P->GetPixel(x, y), Ref->GetPixel(x, y), 24)) ++N;
      }
    return N;
  }
  // Runs the clock until the glide is over, at most Limit ms.
  void GlideOut(TQuarnSpeedometer* S, int Limit = 2000) {
    for (int i = 0; i < Limit && S->Gliding(); ++i) Wait(1);
    Wait(40);
  }
  int Changes = 0;
};

}  // namespace

TEST_F(uQuarnSpeedometer, DefaultsAndLabelColours) {
  auto* S = Dial();
  EXPECT_EQ(S->ControlStyle(), (TControlStyle{csAcceptsControls, csCaptureMouse, csClickEvents, csDoubleClicks}));
  EXPECT_EQ(S->ArrowWidth(), 15);
  EXPECT_EQ(S->CircleThickness(), 23);
  EXPECT_EQ(S->FontTicks()->Size(), 11);
  EXPECT_FALSE(S->ActiveAnimate());
  EXPECT_DOUBLE_EQ(S->StartAngle(), 150);
  const TColor Grey = static_cast<TColor>(0x00484848), Blue = static_cast<TColor>(0x00F5A542);
  for (int K = 0; K <= 10; ++K) {
    SCOPED_TRACE(K);
    const String T = IntToStr(K * 10);
    const TColor Want = K <= 5 ? Blue : Grey, Other = K <= 5 ? Grey : Blue;
    const int Good = GlyphMismatch(S, K, T, Want), Bad = GlyphMismatch(S, K, T, Other);
    EXPECT_LE(Good, 8);
    EXPECT_GT(Bad, 12);
  }
  EXPECT_THROW(S->SetArrowWidth(-2), Exception);
  EXPECT_EQ(S->ArrowWidth(), 15);
}

TEST_F(uQuarnSpeedometer, LabelsStepByATenthOfTheRangeRoundedDown) {
  auto* S = Dial();
  S->SetMaxValue(95);
  const TColor Grey = static_cast<TColor>(0x00484848), Blue = static_cast<TColor>(0x00F5A542);
  for (int K = 0; K <= 10; ++K) {
    SCOPED_TRACE(K);
    const TColor C = K * 9 <= 50 ? Blue : Grey;
    EXPECT_LE(GlyphMismatch(S, K, IntToStr(K * 9), C), 8);
  }
  EXPECT_LE(GlyphMismatch(S, 10, u"90", Grey, u"95"), 8);
  EXPECT_GT(GlyphMismatch(S, 10, u"95", Grey, u"90"), 12);
}

TEST_F(uQuarnSpeedometer, ValueClampsAndReportsEveryAcceptedChange) {
  auto* S = Dial();
  S->SetValue(150);
  EXPECT_EQ(S->Value(), 100);
  EXPECT_EQ(Changes, 1);
  S->SetValue(100);
  EXPECT_EQ(Changes, 1);
  EXPECT_DOUBLE_EQ(S->StartAngle(), 0);
  S->SetValue(-5);
  EXPECT_EQ(S->Value(), 0);
  EXPECT_DOUBLE_EQ(S->StartAngle(), 300);
  EXPECT_EQ(Changes, 2);
  // Pulls by the ends report nothing.
  S->SetValue(60);
  S->SetMaxValue(40);
  EXPECT_EQ(S->Value(), 40);
  EXPECT_DOUBLE_EQ(S->StartAngle(), 0);
  S->SetMinValue(45);
  EXPECT_EQ(S->Value(), 45);
  EXPECT_EQ(Changes, 3);
}

TEST_F(uQuarnSpeedometer, ArcAndNeedleFollowTheValue) {
  auto* S = Dial();
  // Probe points on the track's middle line (radius 142.5), degrees
  // clockwise from twelve; the dial runs from 210 round to 150.
  auto OnTrack = [&](TBitmap32* B, double Deg) {
    const double A = Deg * M_PI / 180;
    return B->GetPixel(int(std::lround(163 + 142.5 * std::sin(A))), int(std::lround(163 - 142.5 * std::cos(A))));
  };
  auto OnNeedle = [&](TBitmap32* B, double Deg) {
    const double A = Deg * M_PI / 180;
    return B->GetPixel(int(std::lround(163 + 70 * std::sin(A))), int(std::lround(163 - 70 * std::cos(A))));
  };
  const TColor32 Bg = 0xFF000000u | RootColour();
  struct Case {
    int Value;
    double Needle;
  };
  for (const Case& C : {Case{0, 210}, Case{50, 0}, Case{80, 90}, Case{100, 150}}) {
    SCOPED_TRACE(C.Value);
    S->SetValue(C.Value);
    TBitmap32* B = Picture(S);
    EXPECT_FALSE(Near(OnNeedle(B, C.Needle), Bg, 30));
    EXPECT_TRUE(Near(OnNeedle(B, C.Needle + 45), Bg, 2));
    EXPECT_TRUE(Near(OnTrack(B, 180), Bg, 2));  // the open bottom
    if (C.Value > 0) EXPECT_TRUE(Near(OnTrack(B, 220), kArc, 3));
    else EXPECT_TRUE(Near(OnTrack(B, 220), kTrack, 3));
    if (C.Value < 100) { EXPECT_TRUE(Near(OnTrack(B, C.Needle + 12), kTrack, 3)); }
    if (C.Value > 10) { EXPECT_TRUE(Near(OnTrack(B, C.Needle - 12), kArc, 3)); }
  }
}

TEST_F(uQuarnSpeedometer, GlideRepaintsSixteenTimesAndRestsOnTheValue) {
  auto* S = Dial();
  auto* Jump = Dial(340);
  S->SetValue(20);
  Jump->SetValue(80);
  Wait(50);
  S->SetActiveAnimate(true);
  S->Paints = 0;
  Changes = 0;
  S->SetValue(80);
  EXPECT_EQ(Changes, 1);
  EXPECT_EQ(S->Value(), 80);
  EXPECT_TRUE(S->Gliding());
  std::vector<double> Angles;
  TBitmapHolder Frame15(nullptr);
  for (int Ms = 0; Ms < 1000; ++Ms) {
    const int Before = S->Paints;
    Wait(1);
    if (S->Paints != Before) {
      Angles.push_back(S->StartAngle());
      if (S->Paints == 15) Frame15.Set(Crop(S->Buffer(), 0, 0, 326, 326));
    }
  }
  EXPECT_FALSE(S->Gliding());
  ASSERT_EQ(S->Paints, 16);
  ASSERT_EQ(Angles.size(), 16u);
  // From S(20) = 240 towards S(80) = 60, never back, ending on it exactly.
  EXPECT_DOUBLE_EQ(Angles.front(), 240);
  for (size_t i = 1; i < Angles.size(); ++i) EXPECT_LT(Angles[i], Angles[i - 1]) << i;
  EXPECT_GT(Angles[14], 60);
  EXPECT_DOUBLE_EQ(Angles.back(), 60);
  // The last frame is the picture a jump to 80 makes; the 15th is not.
  EXPECT_EQ(Mismatches(S->Buffer(), Jump->Buffer(), 0), 0);
  EXPECT_GT(Mismatches(Frame15.Get(), Jump->Buffer(), 8), 10);
}

TEST_F(uQuarnSpeedometer, ANewValueMidGlideRestartsFromTheNeedle) {
  auto* S = Dial();
  auto* Jump = Dial(340);
  Jump->SetValue(30);
  S->SetValue(20);
  S->SetActiveAnimate(true);
  S->SetValue(80);
  S->Paints = 0;
  while (S->Paints < 5) Wait(1);
  const double Here = S->StartAngle();
  EXPECT_LT(Here, 240);
  EXPECT_GT(Here, 60);
  Changes = 0;
  S->SetValue(30);
  EXPECT_EQ(Changes, 1);
  S->Paints = 0;
  while (S->Paints < 1) Wait(1);
  EXPECT_DOUBLE_EQ(S->StartAngle(), Here);  // the first eased offset is 0
  while (S->Paints < 2) Wait(1);
  EXPECT_GT(S->StartAngle(), Here);  // back towards 30
  GlideOut(S);
  EXPECT_EQ(S->Paints, 16);
  EXPECT_DOUBLE_EQ(S->StartAngle(), 210);
  EXPECT_EQ(Mismatches(Picture(S), Picture(Jump), 0), 0);
  // Switched off, a change is one repaint; switching off mid-glide settles.
  S->SetActiveAnimate(false);
  Wait(40);
  S->Paints = 0;
  S->SetValue(90);
  Wait(200);
  EXPECT_EQ(S->Paints, 1);
  EXPECT_DOUBLE_EQ(S->StartAngle(), 30);
  S->SetActiveAnimate(true);
  S->SetValue(10);
  Wait(65);
  S->SetActiveAnimate(false);
  EXPECT_FALSE(S->Gliding());
  EXPECT_DOUBLE_EQ(S->StartAngle(), 270);
}

TEST_F(uQuarnSpeedometer, EqualEndsLabelEveryTickWithTheMinimum) {
  auto* S = Dial();
  S->SetMaxValue(40);
  S->SetMinValue(40);
  EXPECT_EQ(S->Value(), 40);
  EXPECT_EQ(S->StartAngle(), 0);
  const TColor Grey = static_cast<TColor>(0x00484848);
  for (int K = 0; K <= 10; ++K) EXPECT_LE(GlyphMismatch(S, K, u"40", Grey), 8) << K;
  TBitmap32* B = Picture(S);
  for (double Deg : {240.0, 300.0, 0.0, 60.0, 120.0}) {
    const double A = Deg * M_PI / 180;
    EXPECT_TRUE(Near(B->GetPixel(int(std::lround(163 + 142.5 * std::sin(A))),
                                 int(std::lround(163 - 142.5 * std::cos(A)))),
                     kTrack, 3))
        << Deg;
  }
  // A glide within equal ends divides by nothing either.
  S->SetActiveAnimate(true);
  S->SetValue(41);
  GlideOut(S);
  EXPECT_EQ(S->StartAngle(), 0);
}

TEST_F(uQuarnSpeedometer, GoldenPictures) {
  for (int V : {0, 50, 100}) {
    auto* S = Dial();
    S->SetValue(V);
    qntest::ExpectMatchesGolden(ToScreenImage(Picture(S)), "speedometer-" + std::to_string(V), 2, 12);
    delete S;
  }
}

}  // namespace t_u_quarn_speedometer_test
