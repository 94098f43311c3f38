// The image slider under the virtual clock and the input driver: the order
// and timing of automatic advances, every frame of slides, jumps and fades
// against the easing tables, buttons, dots and clicks, and the liveness of
// a transition whose message loop frees the slider or empties its list.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <vector>

#include "platform/classes/FormText.h"
#include "platform/rtl/SysUtils.h"
#include "skin/extended/uQuarnImageSlider.h"
#include "skin/foundation/uQnAnimateEasing.h"
#include "tests/skin/controls/SkinControlsTestSupport.h"
#include "tests/skin/extended/SliderTestSupport.h"

namespace t_u_quarn_image_slider_test {

using namespace qn;

namespace {

constexpr Integer W = 632, H = 340;
constexpr TColor32 kColours[] = {0xFFD03030u, 0xFF30A050u, 0xFF3050D0u, 0xFFE0A020u,
                                 0xFF8040A0u, 0xFF20A0A0u, 0xFF606060u};

// Records the state of every frame of a transition as it hands over to its
// message loop, and every paint, and lets a test act at a frame.
class TProbeSlider : public TQuarnImageSlider {
 public:
  using TQuarnImageSlider::TQuarnImageSlider;
  struct TFrame {
    UInt64 Time;
    TRect Display;
    Integer Alpha;
    Integer Hot;
  };
  std::vector<TFrame> Frames;
  std::vector<TFrame> Paints;
  std::function<void(TProbeSlider*)> OnFrame;
  // Set to make the next mouse hit land on this dot index, as a hit
  // routine of a descendant may.
  Integer ForcedDot = -100;
  void PaintDotsOn(TBitmap32* B) const { PaintDots(B); }

  void DoMouseHit(Integer X, Integer Y) override {
    if (ForcedDot == -100) {
      TQuarnImageSlider::DoMouseHit(X, Y);
      return;
    }
    FCursorOnItem = coDotButton;
    FDotButtonCursorHotIndex = ForcedDot;
  }

 protected:
  void FrameMessages() override {
    Frames.push_back({GetTickCount64(), FDisplayRect, FSliderAlphaValue, FHotItemIndex});
    if (OnFrame) OnFrame(this);
    TQuarnImageSlider::FrameMessages();
  }
  void DrawBody(TBitmap32* Buffer) override {
    Paints.push_back({GetTickCount64(), FDisplayRect, FSliderAlphaValue, FHotItemIndex});
    TQuarnImageSlider::DrawBody(Buffer);
  }
};

class uQuarnImageSlider : public skintest::RootTest {
 protected:
  void SetUp() override {
    RootTest::SetUp();
    FRoot->SetBounds(10, 10, 700, 420);
    for (Integer i = 0; i < 7; ++i) Source.Add(u"Slide" + IntToStr(i), 160, 90, kColours[i]);
    usertest::Pump();
  }
  TProbeSlider* Slider(Integer Items, Integer Interval = 300, Integer Speed = 10) {
    auto* S = Make<TProbeSlider>(20, 20, W, H);
    S->SetSliderInterval(Interval);
    S->SetSliderSpeed(Speed);
    for (Integer i = 0; i < Items; ++i) S->Images()->Add()->SetImage(u"Slide" + IntToStr(i));
    usertest::Pump();
    return S;
  }
  static TColor32 At(TProbeSlider* S, Integer X, Integer Y) { return S->Buffer()->GetPixel(X, Y) | 0xFF000000u; }
  // The centre of image I's dot cell, as laid out by the last paint.
  static TPoint Dot(TProbeSlider* S, Integer I) {
    const TRect& R = S->Images()->Items(I)->DotButtonRect();
    return TPoint((R.Left + R.Right) / 2, (R.Top + R.Bottom) / 2);
  }
  void Click(TControl* C, TPoint P) {
    MoveTo(C, P.X, P.Y);
    Press();
    Release();
  }
  slidertest::TPictureSource Source;
};

// Every change the automatic advance made: the index shown after it, and
// when it started and ended.
struct TAdvance {
  Integer Index;
  UInt64 Start, End;
};

std::vector<TAdvance> Advances(TProbeSlider* S) {
  std::vector<TAdvance> A;
  size_t First = 0;
  for (size_t i = 1; i <= S->Frames.size(); ++i)
    if (i == S->Frames.size() || S->Frames[i].Hot != S->Frames[i - 1].Hot) {
      A.push_back({S->Frames[First].Hot, S->Frames[First].Time, S->Frames[i - 1].Time});
      First = i;
    }
  return A;
}

TEST_F(uQuarnImageSlider, AutomaticAdvanceGoesBackAndForthOrRoundRobin) {
  for (TSliderType Type : {stLeftRight, stFade}) {
    SCOPED_TRACE(Type == stLeftRight ? "left-right" : "fade");
    auto* S = Slider(3);
    S->SetSliderType(Type);
    std::vector<std::pair<Integer, UInt64>> Changed;
    S->SetOnSliderPageChanged([&](TObject*) { Changed.push_back({S->HotItemIndex(), GetTickCount64()}); });
    EXPECT_EQ(S->HotItemIndex(), 0);
    const UInt64 T0 = GetTickCount64();
    Wait(2600);
    std::vector<Integer> Seen;
    for (auto& C : Changed) Seen.push_back(C.first);
    ASSERT_GE(Seen.size(), 6u);
    Seen.resize(6);
    if (Type == stLeftRight) EXPECT_EQ(Seen, (std::vector<Integer>{1, 2, 1, 0, 1, 2}));
    else EXPECT_EQ(Seen, (std::vector<Integer>{1, 2, 0, 1, 2, 0}));
    // Each transition starts at the first tick one interval after the last
    // one ended (the timer polls every 100 ms).
    const std::vector<TAdvance> A = Advances(S);
    ASSERT_EQ(A.size(), Changed.size());
    UInt64 LastEnd = T0;
    for (size_t i = 0; i < A.size(); ++i) {
      EXPECT_GE(A[i].Start, LastEnd + 300) << i;
      EXPECT_LT(A[i].Start, LastEnd + 300 + 101) << i;
      LastEnd = Changed[i].second;
    }
    EXPECT_EQ(Changed.back().second, static_cast<UInt64>(S->LastAutoSlider()));
    delete S;
  }
}

TEST_F(uQuarnImageSlider, FadeFramesFollowTheTableAndEndOpaque) {
  auto* S = Slider(3, 300, 50);
  S->SetAutoSlider(false);
  S->SetSliderType(stFade);
  S->Paints.clear();
  S->SetHotItemIndex(2);
  const TResultArray V = TQnAnimateEasing::GenerateValues(255, 50, etCubicEaseIn);
  ASSERT_EQ(S->Frames.size(), 50u);
  for (size_t i = 0; i < 50; ++i) EXPECT_EQ(S->Frames[i].Alpha, std::lround(V[i])) << i;
  // The table stops at 240; the last picture is fully opaque.
  EXPECT_EQ(S->Frames.back().Alpha, 240);
  ASSERT_FALSE(S->Paints.empty());
  EXPECT_EQ(S->Paints.back().Alpha, 255);
  EXPECT_EQ(S->SliderAlphaValue(), 255);
  EXPECT_EQ(S->DisplayRect(), S->ImageIndexRect(2));
  EXPECT_EQ(At(S, 300, 100), kColours[2]);
  // Frames are 5 ms apart.
  EXPECT_EQ(S->Frames[1].Time - S->Frames[0].Time, 5u);

  // Mid-fade the image lies over the white panel at the frame's alpha.
  S->OnFrame = [&](TProbeSlider* P) {
    if (P->Frames.size() != 40) return;
    const TColor32 C = At(P, 300, 100), Want = kColours[0];
    const Integer A = P->SliderAlphaValue();
    for (int Sh = 0; Sh < 24; Sh += 8) {
      const int Expect = (int((Want >> Sh) & 0xFF) * A + 255 * (255 - A)) / 255;
      EXPECT_NEAR(int((C >> Sh) & 0xFF), Expect, 2);
    }
  };
  S->Frames.clear();
  S->SetHotItemIndex(0);
  EXPECT_EQ(S->Frames.size(), 50u);
}

TEST_F(uQuarnImageSlider, SlidesAndJumpsLandOnTheTarget) {
  auto* S = Slider(7, 300, 20);
  S->SetAutoSlider(false);
  // One step: ease-out over one image width, from the old window.
  S->SetHotItemIndex(1);
  {
    const TResultArray V = TQnAnimateEasing::GenerateValues(W, 20, etExpoEaseOut);
    ASSERT_EQ(S->Frames.size(), 20u);
    for (size_t i = 0; i < 20; ++i) EXPECT_EQ(S->Frames[i].Display.Left, std::lround(V[i])) << i;
    EXPECT_LT(S->Frames.back().Display.Left, W);
    EXPECT_EQ(S->Paints.back().Display, S->ImageIndexRect(1));
    EXPECT_EQ(At(S, 300, 100), kColours[1]);
  }
  // Back by one: the same table, leftwards.
  S->Frames.clear();
  S->SetHotItemIndex(0);
  {
    const TResultArray V = TQnAnimateEasing::GenerateValues(W, 20, etExpoEaseOut);
    ASSERT_EQ(S->Frames.size(), 20u);
    for (size_t i = 0; i < 20; ++i) EXPECT_EQ(S->Frames[i].Display.Left, W - std::lround(V[i])) << i;
    EXPECT_EQ(S->DisplayRect(), S->ImageIndexRect(0));
  }
  // The fourth dot from the first (d = 3): SliderSpeed x 1 frames, walking
  // an ease-in table backwards onto the target.
  S->Frames.clear();
  Click(S, Dot(S, 3));
  {
    const TResultArray V = TQnAnimateEasing::GenerateValues(3 * W, 20, etExpoEaseIn);
    ASSERT_EQ(S->Frames.size(), 20u);
    for (size_t i = 0; i < 20; ++i) EXPECT_EQ(S->Frames[i].Display.Left, 3 * W - std::lround(V[19 - i])) << i;
    EXPECT_EQ(S->Frames.back().Display.Left, 3 * W);
    EXPECT_EQ(S->HotItemIndex(), 3);
  }
  // Mid-slide the window shows two neighbouring images side by side.
  S->SetHotItemIndex(0);
  S->Frames.clear();
  S->OnFrame = [&](TProbeSlider* P) {
    if (P->Frames.size() != 10) return;
    const Integer L = P->DisplayRect().Left, Split = W - L % W;
    ASSERT_GT(Split, 2);
    ASSERT_LT(Split, W - 2);
    EXPECT_EQ(At(P, Split - 2, 60), kColours[L / W]);
    EXPECT_EQ(At(P, Split + 1, 60), kColours[L / W + 1]);
  };
  // First to seventh: d = 6, k = 2.
  S->SetHotItemIndex(6);
  EXPECT_EQ(S->Frames.size(), 40u);
  EXPECT_EQ(S->Frames.back().Display, S->ImageIndexRect(6));
  EXPECT_EQ(At(S, 300, 100), kColours[6]);
}

// A fade leaves the window and the index a later slide starts from where it
// ended, so switching the kind mid-way slides from the image shown.
TEST_F(uQuarnImageSlider, ASlideAfterAFadeStartsFromTheShownImage) {
  auto* S = Slider(3, 300, 10);
  S->SetAutoSlider(false);
  S->SetSliderType(stFade);
  S->SetHotItemIndex(2);
  S->SetSliderType(stLeftRight);
  S->Frames.clear();
  S->SetHotItemIndex(1);
  ASSERT_EQ(S->Frames.size(), 10u);
  EXPECT_EQ(S->Frames.front().Display.Left, 2 * W);
  for (size_t i = 1; i < S->Frames.size(); ++i) EXPECT_LE(S->Frames[i].Display.Left, S->Frames[i - 1].Display.Left);
  EXPECT_EQ(S->DisplayRect(), S->ImageIndexRect(1));
  EXPECT_EQ(At(S, 300, 100), kColours[1]);
}

TEST_F(uQuarnImageSlider, ButtonsAndDots) {
  auto* S = Slider(3);
  S->SetAutoSlider(false);
  std::vector<std::string> Events;
  S->SetOnLeftButtonClick([&](TObject*) { Events.push_back("left"); });
  S->SetOnRightButtonClick([&](TObject*) { Events.push_back("right"); });
  S->SetOnDotButtonClick([&](TObject*) { Events.push_back("dot"); });
  std::vector<TQuarnSliderItem*> Items;
  S->SetOnItemClick([&](TObject*, TQuarnSliderItem* I) { Items.push_back(I); });

  // On the first image only the right button shows, at the middle right.
  EXPECT_FALSE(S->LeftButtonVisible());
  EXPECT_TRUE(S->RightButtonVisible());
  const Integer Bw = S->ButtonRight()->GetSingleWidth(), Bh = S->ButtonRight()->GetSingleHeight();
  ASSERT_GT(Bw, 0);
  EXPECT_EQ(S->ButtonRightRect(), TRect(W - Bw, (H - Bh) / 2, W, (H - Bh) / 2 + Bh));
  EXPECT_EQ(At(S, 10, H / 2), kColours[0]);
  // The dots: a row of 25 x 20 cells centred near the bottom.
  EXPECT_EQ(S->Images()->Items(0)->DotButtonRect(), TRect(278, 310, 303, 330));
  EXPECT_EQ(S->Images()->Items(2)->DotButtonRect(), TRect(328, 350 - 40, 353, 330));
  // The shown dot: grey ring round a slate centre; the others white.
  const TPoint D0 = Dot(S, 0), D1 = Dot(S, 1);
  EXPECT_EQ(At(S, 278 + 10, 320), 0xFFA7936Eu);
  EXPECT_EQ(At(S, 278 + 10 + 6, 320), 0xFFCCCCCCu);
  EXPECT_EQ(At(S, 303 + 11, 320), 0xFFFFFFFFu);

  // Hand cursor over a button and a dot, the default over the image.
  const TRect R = S->ButtonRightRect();
  MoveTo(S, (R.Left + R.Right) / 2, (R.Top + R.Bottom) / 2);
  EXPECT_EQ(S->CursorOnItem(), coRightButton);
  EXPECT_EQ(S->Cursor(), crHandPoint);
  MoveTo(S, D1.X, D1.Y);
  EXPECT_EQ(S->CursorOnItem(), coDotButton);
  EXPECT_EQ(S->DotButtonCursorHotIndex(), 1);
  EXPECT_EQ(S->Cursor(), crHandPoint);
  MoveTo(S, 300, 100);
  EXPECT_EQ(S->CursorOnItem(), coNone);
  EXPECT_EQ(S->Cursor(), crDefault);
  // The hot frame replaces the normal one under the pointer.
  MoveTo(S, 20, 20);
  const TColor32 Normal = At(S, R.Left + Bw / 2, R.Top + Bh / 2);
  MoveTo(S, R.Left + 2, R.Top + 2);
  usertest::Pump();
  EXPECT_NE(At(S, R.Left + Bw / 2, R.Top + Bh / 2), Normal);

  Click(S, TPoint(R.Left + 2, R.Top + 2));
  EXPECT_EQ(S->HotItemIndex(), 1);
  EXPECT_TRUE(S->LeftButtonVisible());
  EXPECT_TRUE(S->RightButtonVisible());
  Click(S, TPoint(R.Left + 2, R.Top + 2));
  EXPECT_EQ(S->HotItemIndex(), 2);
  // On the last image the right button is gone: a click there is on the image.
  EXPECT_FALSE(S->RightButtonVisible());
  EXPECT_EQ(At(S, W - 5, H / 2), kColours[2]);
  Click(S, TPoint(R.Left + 2, R.Top + 2));
  ASSERT_EQ(Items.size(), 1u);
  EXPECT_EQ(Items[0], S->Images()->Items(2));
  EXPECT_EQ(S->HotItemIndex(), 2);
  const TRect L = S->ButtonLeftRect();
  Click(S, TPoint(L.Left + 3, L.Top + 3));
  EXPECT_EQ(S->HotItemIndex(), 1);
  Click(S, D0);
  EXPECT_EQ(S->HotItemIndex(), 0);
  EXPECT_EQ(Events, (std::vector<std::string>{"right", "right", "left", "dot"}));

  // A dot that names no image still reports the click and changes nothing.
  S->ForcedDot = 5;
  Click(S, TPoint(300, 100));
  EXPECT_EQ(Events.back(), "dot");
  EXPECT_EQ(S->HotItemIndex(), 0);
  S->ForcedDot = -100;

  // Without the options neither buttons nor dots show.
  S->SetOptions({});
  usertest::Pump();
  EXPECT_FALSE(S->RightButtonVisible());
  EXPECT_FALSE(S->DotButtonVisible());
  EXPECT_EQ(At(S, D1.X - 1, D1.Y), kColours[0]);
}

// The frames blend a picture of the dots made once; it must give what
// painting them straight onto the image gives.
TEST_F(uQuarnImageSlider, DotsFromTheirPictureMatchDotsPaintedDirectly) {
  auto* S = Slider(5);
  S->SetAutoSlider(false);
  for (Integer Hot : {0, 3, 4}) {
    S->SetHotItemIndex(Hot);
    S->Invalidate();
    usertest::Pump();
    const TRect First = S->Images()->Items(0)->DotButtonRect();
    TBitmap32 Direct;
    Direct.SetSize(5 * 25, 20);
    Direct.Clear(kColours[Hot]);
    S->PaintDotsOn(&Direct);
    Integer Bad = 0, Drawn = 0;
    for (Integer y = 0; y < 20; ++y)
      for (Integer x = 0; x < 5 * 25; ++x) {
        const TColor32 A = At(S, First.Left + x, First.Top + y), B = Direct.GetPixel(x, y) | 0xFF000000u;
        if (B != (kColours[Hot] | 0xFF000000u)) ++Drawn;
        for (int Sh = 0; Sh < 24; Sh += 8)
          if (std::abs(int((A >> Sh) & 0xFF) - int((B >> Sh) & 0xFF)) > 2) {
            ++Bad;
            break;
          }
      }
    EXPECT_EQ(Bad, 0) << Hot;
    EXPECT_GT(Drawn, 5 * 60);
  }
}

TEST_F(uQuarnImageSlider, ALongListsDotsRunPastBothSides) {
  auto* S = Make<TProbeSlider>(20, 20, W, H);
  S->SetAutoSlider(false);
  S->Images()->BeginUpdate();
  for (Integer i = 0; i < 40; ++i) S->Images()->Add()->SetImage(u"Slide" + IntToStr(i % 7));
  S->Images()->EndUpdate();
  usertest::Pump();
  // 40 cells of 25 pixels: the row starts 184 pixels left of the control.
  EXPECT_EQ(S->Images()->Items(0)->DotButtonRect().Left, (W - 40 * 25) / 2);
  const TRect Cell = S->Images()->Items(8)->DotButtonRect();
  ASSERT_GE(Cell.Left, 0);
  EXPECT_EQ(At(S, Cell.Left + 11, Cell.Top + 10), 0xFFFFFFFFu);
  // A dot inside the control still answers the mouse.
  Click(S, TPoint(Cell.Left + 11, Cell.Top + 10));
  EXPECT_EQ(S->HotItemIndex(), 8);
  EXPECT_EQ(At(S, Cell.Left + 10, Cell.Top + 10), 0xFFA7936Eu);
}

TEST_F(uQuarnImageSlider, AnIndexChangeDuringATransitionIsIgnored) {
  auto* S = Slider(3, 300, 20);
  S->SetAutoSlider(false);
  S->OnFrame = [&](TProbeSlider* P) {
    if (P->Frames.size() == 5) {
      P->SetHotItemIndex(0);
      P->SetHotItemIndex(2);
      EXPECT_EQ(P->HotItemIndex(), 1);
    }
  };
  S->SetHotItemIndex(1);
  EXPECT_EQ(S->Frames.size(), 20u);
  EXPECT_EQ(S->HotItemIndex(), 1);
  EXPECT_FALSE(S->Slideing());
}

TEST_F(uQuarnImageSlider, AnExceptionInATransitionLeavesTheSliderUsable) {
  auto* S = Slider(3, 300, 10);
  S->SetAutoSlider(false);
  S->OnFrame = [](TProbeSlider* P) {
    if (P->Frames.size() == 3) throw Exception(u"handler failed");
  };
  EXPECT_THROW(S->SetHotItemIndex(1), Exception);
  EXPECT_FALSE(S->Slideing());
  S->OnFrame = nullptr;
  S->Frames.clear();
  S->SetHotItemIndex(2);
  EXPECT_EQ(S->Frames.size(), 10u);
  EXPECT_EQ(S->HotItemIndex(), 2);
}

TEST_F(uQuarnImageSlider, AnEmptyListDrawsOnlyThePanel) {
  auto* S = Slider(0);
  S->SetColor(static_cast<TColor>(0x00E0D0C0));
  S->Invalidate();
  usertest::Pump();
  EXPECT_EQ(S->HotItemIndex(), -1);
  EXPECT_EQ(S->ImageIndexRect(0), TRect());
  EXPECT_EQ(S->ImageIndexRect(-1), TRect());
  EXPECT_FALSE(S->DotButtonVisible());
  for (Integer y = 0; y < H; y += 7)
    for (Integer x = 0; x < W; x += 7) ASSERT_EQ(At(S, x, y), 0xFFC0D0E0u) << x << "," << y;
  // Nothing advances either.
  Wait(800);
  EXPECT_TRUE(S->Frames.empty());
  // Items arriving rebuild the strip; the first one shows.
  S->Images()->Add()->SetImage(u"Slide3");
  usertest::Pump();
  EXPECT_EQ(S->HotItemIndex(), 0);
  EXPECT_EQ(S->ImageIndexRect(0), TRect(0, 0, W, H));
  EXPECT_EQ(At(S, 300, 100), kColours[3]);
  // An unknown image leaves its page white; the next paint takes it.
  S->Images()->Items(0)->SetImage(u"NoSuchImage");
  EXPECT_EQ(At(S, 300, 100), kColours[3]);
  S->Invalidate();
  usertest::Pump();
  EXPECT_EQ(At(S, 300, 100), 0xFFFFFFFFu);
}

TEST_F(uQuarnImageSlider, TheSliderFreedDuringATransition) {
  {
    // From the page-changed handler of a timer-driven transition.
    auto* S = Slider(3);
    TProbeSlider* Doomed = S;
    S->SetOnSliderPageChanged([&](TObject*) {
      delete Doomed;
      Doomed = nullptr;
    });
    Wait(500);
    EXPECT_EQ(Doomed, nullptr);
    Wait(500);
  }
  {
    // By another timer while a click's transition runs its frames.
    auto* S = Slider(3, 300, 20);
    S->SetAutoSlider(false);
    uSimpleTimer::TSimpleTimer Killer;
    Killer.SetInterval(1);
    TProbeSlider* Doomed = S;
    bool Fired = false;
    S->SetOnRightButtonClick([&](TObject*) { Fired = true; });
    Killer.SetOnTimer([&](TObject*) {
      Killer.SetEnabled(false);
      delete Doomed;
      Doomed = nullptr;
    });
    S->OnFrame = [&](TProbeSlider* P) {
      if (P->Frames.size() == 4) Killer.SetEnabled(true);
    };
    const TRect R = S->ButtonRightRect();
    Click(S, TPoint(R.Left + 2, R.Top + 2));
    EXPECT_EQ(Doomed, nullptr);
    EXPECT_FALSE(Fired);
    Wait(200);
  }
}

TEST_F(uQuarnImageSlider, ItemsClearedDuringATransition) {
  for (TSliderType Type : {stLeftRight, stFade}) {
    auto* S = Slider(4, 300, 20);
    S->SetAutoSlider(false);
    S->SetSliderType(Type);
    Integer Pages = 0;
    S->SetOnSliderPageChanged([&](TObject*) { ++Pages; });
    S->OnFrame = [&](TProbeSlider* P) {
      if (P->Frames.size() == 6) P->Images()->Clear();
    };
    S->SetHotItemIndex(3);
    EXPECT_EQ(S->Frames.size(), 6u);
    EXPECT_FALSE(S->Slideing());
    EXPECT_EQ(S->HotItemIndex(), -1);
    EXPECT_EQ(Pages, 1);
    usertest::Pump();
    // A later list works as a new one.
    S->OnFrame = nullptr;
    S->Images()->Add()->SetImage(u"Slide0");
    S->Images()->Add()->SetImage(u"Slide1");
    S->Frames.clear();
    S->SetHotItemIndex(1);
    EXPECT_EQ(S->Frames.size(), 20u);
    EXPECT_EQ(At(S, 300, 100), kColours[1]);
    delete S;
  }
}

TEST_F(uQuarnImageSlider, AdvancesAcrossTheThirtyTwoBitTickCount) {
  // The clock just below 2^32 ms: a 32-bit count wraps within the interval.
  const UInt64 Now = GetTickCount64();
  const UInt64 Goal = (UInt64(1) << 32) - 150;
  AdvanceClock(DWORD(Goal - Now));
  usertest::Pump();
  auto* S = Slider(2, 300, 5);
  ASSERT_LT(GetTickCount64(), UInt64(1) << 32);
  Wait(500);
  ASSERT_FALSE(S->Frames.empty());
  EXPECT_GE(S->Frames.front().Time, UInt64(1) << 32);
  EXPECT_EQ(S->HotItemIndex(), 1);
  Wait(500);
  EXPECT_EQ(S->HotItemIndex(), 0);
}

TEST_F(uQuarnImageSlider, AtDesignTimeTheFirstImageAndDotsShowAndNothingMoves) {
  auto* S = Slider(3, 300, 5);
  S->SetAutoSlider(false);
  S->SetHotItemIndex(2);
  S->SetDesigning(true);
  S->SetAutoSlider(true);
  S->Invalidate();
  usertest::Pump();
  EXPECT_EQ(At(S, 300, 100), kColours[0]);
  // No arrows at design time: the left edge shows the image too.
  EXPECT_EQ(At(S, 10, H / 2), kColours[0]);
  // The dots mark the shown index.
  const TRect D2 = S->Images()->Items(2)->DotButtonRect();
  EXPECT_EQ(At(S, D2.Left + 10, D2.Top + 10), 0xFFA7936Eu);
  const size_t Frames = S->Frames.size();
  Wait(1000);
  EXPECT_EQ(S->Frames.size(), Frames);
  EXPECT_EQ(S->HotItemIndex(), 2);
}

TEST_F(uQuarnImageSlider, SizeChangesRebuildTheStrip) {
  auto* S = Slider(2);
  S->SetAutoSlider(false);
  S->SetHotItemIndex(1);
  S->SetBounds(20, 20, 400, 200);
  usertest::Pump();
  S->Invalidate();
  usertest::Pump();
  EXPECT_EQ(S->BufferImage()->PageWidth(), 400);
  EXPECT_EQ(S->BufferImage()->Height(), 200);
  EXPECT_EQ(S->ImageIndexRect(1), TRect(400, 0, 800, 200));
  // Without AutoImageSize the old strip stays.
  S->SetAutoImageSize(false);
  S->SetBounds(20, 20, 300, 150);
  usertest::Pump();
  EXPECT_EQ(S->BufferImage()->PageWidth(), 400);
}

TEST_F(uQuarnImageSlider, FormFileRoundTrip) {
  auto* S = Slider(2);
  S->SetName(u"Slider1");
  S->SetSliderType(stFade);
  S->SetSliderInterval(4500);
  S->SetOptions({soDotButtonVisible});
  S->Images()->Items(1)->SetTitle(u"Second");
  S->Images()->Items(1)->SetDescription(u"The second picture");
  S->ButtonLeft()->SetNormal(1);
  const std::string Text = ComponentToText(S);
  EXPECT_EQ(Text.find("Alpha"), std::string::npos);
  EXPECT_EQ(Text.find("DoubleBorder"), std::string::npos);
  EXPECT_EQ(Text.find("AutoImageSize"), std::string::npos);
  auto* T = new TQuarnImageSlider(nullptr);
  TextToComponent(Text, T);
  EXPECT_EQ(T->SliderType(), stFade);
  EXPECT_EQ(T->SliderInterval(), 4500);
  EXPECT_EQ(T->Options(), TImageSliderOptions{soDotButtonVisible});
  ASSERT_EQ(T->Images()->Count(), 2);
  EXPECT_EQ(T->Images()->Items(1)->Image(), u"Slide1");
  EXPECT_EQ(T->Images()->Items(1)->Title(), u"Second");
  EXPECT_EQ(T->Images()->Items(1)->Description(), u"The second picture");
  EXPECT_EQ(T->ButtonLeft()->Normal(), 1);
  EXPECT_EQ(T->ButtonLeft()->Count(), 4);
  EXPECT_EQ(T->ButtonRight()->Image(), u"QuarnSlides");
  // Copying an item takes its data too.
  int Tag = 0;
  S->Images()->Items(0)->Data = &Tag;
  T->Images()->Items(0)->Assign(S->Images()->Items(0));
  EXPECT_EQ(T->Images()->Items(0)->Data, &Tag);
  EXPECT_EQ(T->Images()->Items(0)->Image(), u"Slide0");
  delete T;
  // A fresh slider's defaults; it goes with items in its list.
  TQuarnImageSlider D(nullptr);
  D.Images()->Add()->SetImage(u"Slide0");
  D.Images()->Add();
  EXPECT_EQ(D.Width(), W);
  EXPECT_EQ(D.Height(), H);
  EXPECT_EQ(D.Alpha(), 255);
  EXPECT_FALSE(D.DoubleBorder());
  EXPECT_EQ(D.BorderSides(), TSides{});
  EXPECT_EQ(D.ButtonLeft()->Normal(), 2);
  EXPECT_EQ(D.ButtonLeft()->Hot(), 0);
  EXPECT_EQ(D.ButtonRight()->Normal(), 3);
  EXPECT_EQ(D.ButtonRight()->Hot(), 1);
}

}  // namespace

}  // namespace t_u_quarn_image_slider_test
