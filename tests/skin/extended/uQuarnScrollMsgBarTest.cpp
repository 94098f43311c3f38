// The message bar under the virtual clock and the input driver: when slides
// come, where every layer stands at each step of a slide (against the easing
// table), the mouse pause, hover and click, the rotation rules, and the
// liveness of a slide whose message loop frees items or the bar itself.
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "platform/rtl/SysUtils.h"
#include "skin/extended/uQuarnScrollMsgBar.h"
#include "tests/skin/controls/SkinControlsTestSupport.h"

namespace t_u_quarn_scroll_msg_bar_test {

using namespace qn;

namespace {

// Records the place of every item whenever a slide hands over to its
// message loop, and lets a test act at that moment.
class TProbeBar : public TQuarnScrollMsgBar {
 public:
  using TQuarnScrollMsgBar::TQuarnScrollMsgBar;
  struct TStep {
    UInt64 Time;
    std::vector<TScrollMsgBarItem*> Items;
    std::vector<double> Tops;
  };
  std::vector<TStep> Steps;
  std::function<void(TProbeBar*)> OnStep;

 protected:
  void SlideStepMessages() override {
    TStep S{GetTickCount64(), {}, {}};
    for (Integer i = 0; i < Count(); ++i) {
      S.Items.push_back(GetItem(i));
      S.Tops.push_back(GetItem(i)->Location().Top);
    }
    Steps.push_back(S);
    if (OnStep) OnStep(this);
    TQuarnScrollMsgBar::SlideStepMessages();
  }
};

class uQuarnScrollMsgBar : public skintest::RootTest {
 protected:
  TProbeBar* Bar(Integer Items, Integer Interval = 300) {
    auto* B = Make<TProbeBar>(20, 20, 350, 36);
    B->SetScrollInterval(Interval);
    for (Integer i = 0; i < Items; ++i) B->AddItem()->Text()->SetText(u"Message number " + IntToStr(i));
    usertest::Pump();
    return B;
  }
  // Checks the steps of one slide from Out to In (indexes when it ran; -1
  // for none) against the easing table.
  static void ExpectSlide(const std::vector<TProbeBar::TStep>& Steps, size_t First, Integer Out, Integer In,
                          bool Up, Integer N) {
    const Integer H = 36;
    const TResultArray V = TQnAnimateEasing::GenerateValues(H, N, TEasingType::etQuadEaseIn);
    const double Dir = Up ? 1 : -1;
    ASSERT_GE(Steps.size(), First + size_t(N));
    for (Integer K = 0; K < N; ++K) {
      const TProbeBar::TStep& St = Steps[First + size_t(K)];
      const Integer S = N - 1 - K;
      SCOPED_TRACE(testing::Message() << "step " << K);
      if (Out >= 0) {
        const double Want = St.Items[size_t(Out)]->OriginalY() - Dir * (V[size_t(K)] + (S == 0 ? H + 1 : 0));
        EXPECT_NEAR(St.Tops[size_t(Out)], Want, 1e-3);
      }
      const double WantIn = St.Items[size_t(In)]->OriginalY() + (S == 0 ? 0 : Dir * V[size_t(S)]);
      EXPECT_NEAR(St.Tops[size_t(In)], WantIn, 1e-3);
    }
  }
  static double Top(TProbeBar* B, Integer I) { return B->GetItem(I)->Location().Top; }
  // A point on item I's text where it stands now.
  static TPoint OnText(TProbeBar* B, Integer I) {
    const TRect& R = B->GetItem(I)->Text()->Rect();
    return TPoint(R.Left + 3, Integer(Top(B, I)) + (R.Top + R.Bottom) / 2);
  }
};

TEST_F(uQuarnScrollMsgBar, SlidesComeOnTimeAlongTheCurve) {
  const UInt64 T0 = GetTickCount64();
  auto* B = Bar(2);
  // Laid out and parked below the bar.
  EXPECT_EQ(B->GetItem(0)->OriginalY(), (36 - B->GetItem(0)->ItemSize().cy) / 2);
  EXPECT_EQ(Top(B, 0), 37);
  Wait(329);
  EXPECT_TRUE(B->Steps.empty());
  Wait(1);
  // The first tick came at 30 ms; the slide one interval later.
  ASSERT_EQ(B->Steps.size(), 15u);
  EXPECT_EQ(B->Steps[0].Time, T0 + 330);
  ExpectSlide(B->Steps, 0, -1, 0, true, 15);
  EXPECT_EQ(B->ItemIndex(), 0);
  const UInt64 End = B->LastScrollTime();
  EXPECT_EQ(End, B->Steps.back().Time + 2);

  Wait(400);
  ASSERT_EQ(B->Steps.size(), 30u);
  ExpectSlide(B->Steps, 15, 0, 1, true, 15);
  // Counted from the end of the last slide, at the timer's next tick.
  EXPECT_GE(B->Steps[15].Time, End + 300);
  EXPECT_LT(B->Steps[15].Time, End + 300 + 31);
  EXPECT_EQ(B->ItemIndex(), 1);
  EXPECT_EQ(Top(B, 1), B->GetItem(1)->OriginalY());
  EXPECT_LT(Top(B, 0) + B->GetItem(0)->ItemSize().cy, 0);
}

TEST_F(uQuarnScrollMsgBar, TheMouseOnTheTextPausesHighlightsAndClicks) {
  auto* B = Bar(2);
  B->SetAutoScroll(false);
  B->Next();
  ASSERT_EQ(B->ItemIndex(), 0);
  std::vector<TScrollMsgBarItem*> Clicked;
  B->SetOnItemClick([&](TObject*, TScrollMsgBarItem* I) { Clicked.push_back(I); });

  auto RedInText = [&] {
    B->Invalidate();
    usertest::Pump();
    const TRect& R = B->GetItem(0)->Text()->Rect();
    const Integer T = Integer(Top(B, 0));
    for (Integer y = R.Top + T; y < R.Bottom + T; ++y)
      for (Integer x = R.Left; x < R.Right; ++x) {
        const TColor32 C = B->Buffer()->GetPixel(x, y);
        if (((C >> 16) & 0xFF) > 150 && (C & 0xFF) < 100 && ((C >> 8) & 0xFF) < 100) return true;
      }
    return false;
  };
  EXPECT_FALSE(RedInText());
  const TPoint P = OnText(B, 0);
  MoveTo(B, P.X, P.Y);
  EXPECT_EQ(B->GetItem(0)->MouseInObject(), ioText);
  EXPECT_EQ(B->Cursor(), crHandPoint);
  EXPECT_TRUE(RedInText());
  // Hovering does not lay the item out again: it stays in view.
  EXPECT_EQ(Top(B, 0), B->GetItem(0)->OriginalY());

  B->SetAutoScroll(true);
  Wait(800);
  EXPECT_EQ(B->ItemIndex(), 0);
  EXPECT_TRUE(B->Steps.size() == 15u);

  Press();
  Release();
  ASSERT_EQ(Clicked.size(), 1u);
  EXPECT_EQ(Clicked[0], B->GetItem(0));

  MoveTo(B, 345, 2);
  EXPECT_EQ(B->GetItem(0)->MouseInObject(), ioNone);
  EXPECT_EQ(B->Cursor(), crDefault);
  Press();
  Release();
  EXPECT_EQ(Clicked.size(), 1u);
  Wait(360);
  EXPECT_EQ(B->ItemIndex(), 1);

  // Leaving the bar while on the text resumes too.
  B->SetAutoScroll(false);
  const TPoint Q = OnText(B, 1);
  MoveTo(B, Q.X, Q.Y);
  ASSERT_EQ(B->GetItem(1)->MouseInObject(), ioText);
  MoveTo(B, 360, 100);
  B->SetAutoScroll(true);
  Wait(360);
  EXPECT_EQ(B->ItemIndex(), 0);
}

TEST_F(uQuarnScrollMsgBar, RotationRules) {
  auto* B = Bar(3);
  B->SetAutoScroll(false);
  B->SetLoopMode(false);
  B->Next();
  B->Next();
  B->Next();
  EXPECT_EQ(B->ItemIndex(), 2);
  const size_t Before = B->Steps.size();
  B->Next();
  EXPECT_EQ(B->Steps.size(), Before);
  EXPECT_EQ(B->ItemIndex(), 2);
  EXPECT_EQ(Top(B, 2), B->GetItem(2)->OriginalY());

  B->SetLoopMode(true);
  B->Next();
  EXPECT_EQ(B->ItemIndex(), 0);
  B->GetItem(1)->SetVisible(false);
  B->Next();
  EXPECT_EQ(B->ItemIndex(), 2);
  const size_t First = B->Steps.size();
  B->Prev();
  EXPECT_EQ(B->ItemIndex(), 0);
  ExpectSlide(B->Steps, First, 2, 0, false, 15);
  B->Prev();
  EXPECT_EQ(B->ItemIndex(), 2);

  // A text change lays the shown item out again, below the bar.
  B->GetItem(2)->Text()->SetText(u"Changed");
  EXPECT_EQ(Top(B, 2), 37);

  B->ReStart();
  EXPECT_EQ(B->ItemIndex(), 0);
  EXPECT_EQ(B->GetLastVisibleItem(), 2);
  EXPECT_EQ(B->GetPrevVisibleItem(2), 0);
  EXPECT_EQ(B->GetNextVisibleItem(2), -1);
}

TEST_F(uQuarnScrollMsgBar, OneVisibleItemComesInOnceAndAutoScrollWaitsAFullInterval) {
  auto* B = Bar(1);
  Wait(330);
  EXPECT_EQ(B->Steps.size(), 15u);
  Wait(1000);
  EXPECT_EQ(B->Steps.size(), 15u);
  EXPECT_EQ(B->ItemIndex(), 0);

  auto* C = Bar(2);
  C->SetAutoScroll(false);
  EXPECT_EQ(C->LastScrollTime(), 0u);
  Wait(1000);
  EXPECT_TRUE(C->Steps.empty());
  const UInt64 On = GetTickCount64();
  C->SetAutoScroll(true);
  Wait(329);
  EXPECT_TRUE(C->Steps.empty());
  Wait(1);
  ASSERT_FALSE(C->Steps.empty());
  EXPECT_EQ(C->Steps[0].Time, On + 330);
}

TEST_F(uQuarnScrollMsgBar, FewStepsAndATickCountPastThirtyTwoBits) {
  auto* B = Bar(2);
  B->SetAutoScroll(false);
  for (Integer Steps : {0, 1}) {
    B->SetAnimateStep(Steps);
    const size_t First = B->Steps.size();
    B->Next();
    ASSERT_EQ(B->Steps.size(), First + 1);
    const Integer Shown = B->ItemIndex();
    EXPECT_EQ(B->Steps[First].Tops[size_t(Shown)], B->GetItem(Shown)->OriginalY());
    if (Steps == 1) { EXPECT_EQ(B->Steps[First].Tops[size_t(1 - Shown)], B->GetItem(1 - Shown)->OriginalY() - 37); }
  }

  const UInt64 Now = GetTickCount64();
  const UInt64 Near = (UInt64(1) << 32) - 500;
  if (Now < Near) AdvanceClock(DWORD(Near - Now));
  auto* C = Bar(2);
  Wait(2000);
  EXPECT_GT(GetTickCount64(), UInt64(1) << 32);
  // One slide every 330 ms or so, straight across the 32-bit wrap.
  EXPECT_GE(C->Steps.size(), 15u * 5);
}

TEST_F(uQuarnScrollMsgBar, ACallDuringASlideReturnsAtOnce) {
  auto* B = Bar(3);
  B->SetAutoScroll(false);
  Integer Calls = 0;
  B->OnStep = [&](TProbeBar* Self) {
    ++Calls;
    Self->Next();
    Self->Prev();
  };
  B->Next();
  EXPECT_EQ(Calls, 15);
  EXPECT_EQ(B->Steps.size(), 15u);
  EXPECT_EQ(B->ItemIndex(), 0);
  EXPECT_FALSE(B->Scrolling());
}

TEST_F(uQuarnScrollMsgBar, ItemsDeletedInAndAfterASlide) {
  auto* B = Bar(3);
  B->SetAutoScroll(false);
  B->Next();
  // The shown item goes in mid-slide: the incoming one lands in place and
  // is the shown one under its new index.
  TScrollMsgBarItem* Incoming = B->GetItem(1);
  B->OnStep = [](TProbeBar* Self) {
    if (Self->Steps.size() == 20) Self->Delete(0);
  };
  B->Next();
  EXPECT_EQ(B->Steps.size(), 20u);
  EXPECT_EQ(B->Count(), 2);
  EXPECT_EQ(B->ItemIndex(), 0);
  EXPECT_EQ(B->GetItem(0), Incoming);
  EXPECT_EQ(Top(B, 0), Incoming->OriginalY());

  // Everything goes in mid-slide.
  B->OnStep = [](TProbeBar* Self) {
    if (Self->Steps.size() == 25) Self->Clear();
  };
  B->Next();
  EXPECT_EQ(B->Count(), 0);
  EXPECT_EQ(B->GetItem(B->ItemIndex()), nullptr);
  B->OnStep = nullptr;
  B->Next();
  B->Prev();

  // After a slide: the index stays, and the next slide starts from it.
  auto* C = Bar(3);
  C->SetAutoScroll(false);
  C->Next();
  C->Next();
  C->Delete(1);
  EXPECT_EQ(C->ItemIndex(), 1);
  C->Next();
  EXPECT_EQ(C->ItemIndex(), 0);
  C->Clear();
  C->Next();
  C->Prev();
  EXPECT_EQ(C->Count(), 0);
}

TEST_F(uQuarnScrollMsgBar, TheBarFreedInMidSlide) {
  auto* B = Bar(2);
  B->SetAutoScroll(false);
  B->Next();
  // The paint handler has the bar freed by the slide's own message loop.
  uSimpleTimer::TSimpleTimer Killer;
  Killer.SetInterval(1);
  Integer Paints = 0;
  TProbeBar* Doomed = B;
  Killer.SetOnTimer([&](TObject*) {
    Killer.SetEnabled(false);
    delete Doomed;
    Doomed = nullptr;
  });
  B->SetOnItemPaint([&](TObject*, TScrollMsgBarItem*, TBitmap32*) {
    if (++Paints == 3) Killer.SetEnabled(true);
  });
  B->Next();
  EXPECT_EQ(Doomed, nullptr);
  Wait(100);
}

// The paint handler frees the bar it paints for: the paint stops touching
// the bar, its layers and its buffer at once, by every route a paint takes.
TEST_F(uQuarnScrollMsgBar, TheBarFreedInItsOwnItemPaint) {
  struct Case {
    const char* Name;
    bool DuringSlide;  // else once the slide is over
    std::function<void(TProbeBar*)> Repaint;
  };
  const Case cases[] = {
      {"a step of a slide (the changed parts)", true, nullptr},
      {"a full repaint", false, [](TProbeBar* B) { B->ForceFullInvalidate(); }},
      {"a partial repaint", false, [](TProbeBar* B) { B->GetItem(B->ItemIndex())->DoInvalidate(); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    const int Objects = GdiObjectCount();
    auto* B = Bar(2);
    B->SetAutoScroll(false);
    TProbeBar* Doomed = B;
    bool Armed = c.DuringSlide;
    // Freed while painting the first of the layers (the parked one paints
    // too): the other layers, stages and rectangles of the paint remain.
    B->SetOnItemPaint([&](TObject* Sender, TScrollMsgBarItem* Item, TBitmap32* Buffer) {
      ASSERT_EQ(Sender, Doomed);
      Buffer->FillRectS(Item->IconRect(), 0xFF102030);
      if (Armed) {
        delete Doomed;
        Doomed = nullptr;
      }
    });
    B->Next();
    if (!c.DuringSlide) {
      ASSERT_EQ(Doomed, B);
      Armed = true;
      c.Repaint(B);
      usertest::Pump();
    }
    EXPECT_EQ(Doomed, nullptr);
    Wait(100);
    // Everything the bar held went with it, the buffer's DC and font too.
    EXPECT_EQ(GdiObjectCount(), Objects);
  }
}

}  // namespace

}  // namespace t_u_quarn_scroll_msg_bar_test
