// The title-bar marquee on a skinned form and on a layered alpha form: the
// scroll position per Step and Speed against a plain model, wrapping and
// stopping, blank text, the link behaviour and the drag without it, a form
// narrower than the stretch, no step before the title bar was saved, and
// what reaches the screen.
#include <gtest/gtest.h>

#include "platform/classes/Streams.h"
#include "skin/extended/uQuarnHint.h"
#include "skin/extended/uQuarnNCMessage.h"
#include "tests/skin/extended/AlphaFormTestSupport.h"

namespace t_u_quarn_ncmessage_test {

using namespace qn;
using alphatest::Near;

namespace {

class TClicks : public TObject {
 public:
  Integer Count = 0;
  void Click(TObject*) { ++Count; }
};

class uQuarnNCMessage : public alphatest::AlphaTest {
 protected:
  // A skinned form of W x 300 at (50, 50) with a marquee.
  TQuarnNCMessage* OnSkinnedForm(Integer W, const String& Text = u"Quarterly figures are in") {
    FForm = NewForm(50, 50, W, 300);
    FForm->SetBorderStyle(bsSizeable);
    FSkin = new TQuarnForm(FForm);
    auto* m = Marquee(FForm, Text);
    Show(FForm);
    return m;
  }
  TQuarnNCMessage* OnAlphaForm(Integer W) {
    FForm = NewForm(50, 50, W, 300);
    FAlpha = new TQuarnAlphaForm(FForm);
    FAlpha->SetBackground(u"SolidFF408060");
    auto* m = Marquee(FForm, u"Quarterly figures are in");
    Show(FForm);
    return m;
  }
  static TQuarnNCMessage* Marquee(TForm* F, const String& Text) {
    auto* m = new TQuarnNCMessage(F);
    m->Font()->SetName(u"DejaVu Sans");
    m->Font()->SetSize(10);
    m->Font()->SetColor(clBlack);
    m->SetText(Text);
    return m;
  }
  // The model of one step: in from the right edge at the start, left by
  // Step, back at the right edge (or stopped) once the text has left,
  // never right of the stretch.
  static bool ModelStep(Integer& X, bool First, Integer Step, Integer TextWidth, const TRect& R, bool Loop) {
    if (First) X = R.Right;
    X -= Step;
    if (X + TextWidth < R.Left) {
      if (!Loop) return false;
      X = R.Right;
    } else if (X > R.Right) {
      X = R.Right;
    }
    return true;
  }
  TForm* FForm = nullptr;
  TQuarnForm* FSkin = nullptr;
  TQuarnAlphaForm* FAlpha = nullptr;
};

}  // namespace

TEST_F(uQuarnNCMessage, DefaultsAndTheStretchAtTheRightOfTheTitle) {
  auto* m = OnSkinnedForm(800);
  EXPECT_EQ(m->Width(), 400);
  EXPECT_EQ(m->Speed(), 100u);
  EXPECT_EQ(m->Step(), 2);
  EXPECT_EQ(m->Cursor(), crHandPoint);
  EXPECT_EQ(m->HotFont()->Color(), TColor(0xFF0000));
  EXPECT_TRUE(m->LoopMode());
  EXPECT_TRUE(m->ActiveScroll());
  EXPECT_FALSE(m->AllowClick());
  EXPECT_EQ(m->Pos()->Align(), TNCCtrlAlign::caRight);
  EXPECT_TRUE(m->FHooked);
  EXPECT_TRUE(m->Scrolling());
  // Ends 150 pixels left of the right edge, 5 below the top.
  EXPECT_EQ(m->MessageRect(), TRect(250, 5, 650, 5 + m->TextHeight()));
  EXPECT_GT(m->TextWidth(), 100);
  // Step 0 is taken as 1.
  m->SetStep(0);
  EXPECT_EQ(m->Step(), 1);
  EXPECT_THROW(m->SetWidth(-1), EArgumentOutOfRangeException);
  EXPECT_EQ(m->Width(), 400);
}

TEST_F(uQuarnNCMessage, StepsFollowStepAndSpeedAndWrapOrStop) {
  for (const bool loop : {true, false})
    for (const Integer step : {1, 3, 7}) {
      auto* m = OnSkinnedForm(800);
      m->SetLoopMode(loop);
      m->SetStep(Byte(step));
      m->SetSpeed(40);
      const TRect r = m->MessageRect();
      Integer x = m->DispX();
      bool running = true;
      Integer steps = 0;
      // Long enough to leave the stretch at least once at the slowest step.
      while (steps < (r.Width() + m->TextWidth()) / step + 20) {
        Wait(39);
        ASSERT_EQ(m->DispX(), x) << "a step before its time";
        Wait(1);
        if (running) running = ModelStep(x, steps == 0, step, m->TextWidth(), r, loop);
        ASSERT_EQ(m->DispX(), x) << "step " << steps << " of " << step << (loop ? " looping" : "");
        ASSERT_EQ(m->Scrolling(), running);
        ++steps;
        if (!running) break;
      }
      EXPECT_EQ(running, loop);
      if (!loop) {
        // Gone until something restarts it.
        Wait(200);
        EXPECT_EQ(m->DispX(), x);
        m->SetText(u"Again");
        EXPECT_TRUE(m->Scrolling());
        Wait(40);
        EXPECT_EQ(m->DispX(), r.Right - step);
      }
      FForms.clear();
      usertest::Pump();
    }
}

TEST_F(uQuarnNCMessage, BlankTextNeverDraws) {
  auto* m = OnSkinnedForm(800, u"   ");
  const TRect w = WindowRect(FForm);
  const TScreenImage before = CaptureScreen();
  Wait(500);
  EXPECT_EQ(m->FramesDrawn(), 0);
  EXPECT_EQ(m->DispX(), 0);
  const TScreenImage after = CaptureScreen();
  for (Integer x = w.Left + 250; x < w.Left + 650; ++x)
    ASSERT_EQ(after.Pixel(x, w.Top + 10), before.Pixel(x, w.Top + 10));
  m->SetText(u"");
  Wait(300);
  EXPECT_EQ(m->FramesDrawn(), 0);
}

TEST_F(uQuarnNCMessage, NoStepBeforeAPaintSavedTheTitleBar) {
  // A form nobody hosts the marquee on: nothing paints it, nothing steps.
  FForm = NewForm(50, 50, 800, 300);
  auto* m = Marquee(FForm, u"Waiting");
  Show(FForm);
  Wait(600);
  EXPECT_EQ(m->DispX(), 0);
  EXPECT_EQ(m->FramesDrawn(), 0);
}

TEST_F(uQuarnNCMessage, StepsDrawTheTextAndARepaintKeepsTheFrame) {
  auto* m = OnSkinnedForm(800, u"WWWWWWWWWW");
  m->SetSpeed(10);
  m->SetStep(5);
  const TRect w = WindowRect(FForm);
  // Half way through the stretch.
  Wait(10 * (200 / 5 + 1));
  ASSERT_GT(m->FramesDrawn(), 30);
  const TRect r = m->MessageRect();
  const Integer y = w.Top + r.Top + m->TextHeight() / 2;
  auto dark = [&](const TScreenImage& s) {
    Integer n = 0;
    for (Integer x = w.Left + r.Left; x < w.Left + r.Right; ++x) n += (s.Pixel(x, y) & 0xFF) < 0x60;
    return n;
  };
  m->StopScroll();
  const TScreenImage shown = CaptureScreen();
  EXPECT_GT(dark(shown), 10);
  // Nothing dark left of the text.
  for (Integer x = w.Left + r.Left; x < w.Left + m->DispX() - 1; ++x) ASSERT_GE(shown.Pixel(x, y) & 0xFF, 0x60u);
  // A full repaint of the frame shows the same frame.
  FSkin->PaintFrame();
  const TScreenImage again = CaptureScreen();
  for (Integer x = w.Left + r.Left; x < w.Left + r.Right; ++x) ASSERT_EQ(again.Pixel(x, y), shown.Pixel(x, y));
}

TEST_F(uQuarnNCMessage, WithoutAllowClickAPressDragsTheForm) {
  auto* m = OnSkinnedForm(800);
  const TRect before = WindowRect(FForm);
  const TRect r = m->MessageRect();
  MoveTo(FForm, r.Left + 100, r.Top + 4);
  ASSERT_TRUE(m->FMouseEnter);
  EXPECT_FALSE(gHookedCursor);
  EXPECT_EQ(m->State(), TNCButtonState::bsNormal);
  InputMouseDown(VK_LBUTTON);
  InputMouseMove(before.Left + r.Left + 140, before.Top + r.Top + 34);
  InputMouseUp(VK_LBUTTON);
  usertest::Pump();
  const TRect after = WindowRect(FForm);
  EXPECT_EQ(after.Left - before.Left, 40);
  EXPECT_EQ(after.Top - before.Top, 30);
}

TEST_F(uQuarnNCMessage, AsALinkItSetsTheCursorAndFiresOnClick) {
  auto* m = OnSkinnedForm(800);
  TClicks clicks;
  m->SetAllowClick(true);
  m->SetOnClick(TNotifyEvent(&clicks, &TClicks::Click));
  const TRect before = WindowRect(FForm);
  const TRect r = m->MessageRect();
  MoveTo(FForm, r.Left + 100, r.Top + 4);
  ASSERT_TRUE(m->FMouseEnter);
  EXPECT_TRUE(gHookedCursor);
  EXPECT_EQ(m->State(), TNCButtonState::bsHot);
  EXPECT_EQ(GetCursor(), Screen->Cursors(crHandPoint));
  Press();
  Release();
  EXPECT_EQ(clicks.Count, 1);
  EXPECT_EQ(WindowRect(FForm), before);
  // Off the stretch: the flag and the hot state go.
  MoveTo(FForm, r.Left - 60, r.Top + 4);
  EXPECT_FALSE(m->FMouseEnter);
  EXPECT_FALSE(gHookedCursor);
  EXPECT_EQ(m->State(), TNCButtonState::bsNormal);
  // A press on the text let go elsewhere is no click.
  MoveTo(FForm, r.Left + 100, r.Top + 4);
  Press();
  MoveTo(FForm, r.Left - 60, r.Top + 4);
  Release();
  EXPECT_EQ(clicks.Count, 1);
  // Cursor 0 leaves the cursor alone.
  m->SetCursor(0);
  MoveTo(FForm, r.Left + 100, r.Top + 4);
  EXPECT_FALSE(gHookedCursor);
}

TEST_F(uQuarnNCMessage, AFormNarrowerThanTheStretch) {
  // The stretch starts 250 pixels left of the window.
  auto* m = OnSkinnedForm(300);
  m->SetSpeed(5);
  m->SetStep(9);
  EXPECT_EQ(m->MessageRect().Left, -250);
  Wait(1500);
  EXPECT_GT(m->FramesDrawn(), 100);
  FSkin->PaintFrame();
  // Narrower still, and wider again, while it runs.
  FForm->SetWidth(160);
  Wait(300);
  FForm->SetWidth(900);
  Wait(300);
  EXPECT_EQ(m->MessageRect().Right, 750);
}

TEST_F(uQuarnNCMessage, OnAnAlphaFormEachStepRecomposes) {
  auto* m = OnAlphaForm(800);
  Wait(60);
  ASSERT_TRUE(m->FHooked);
  m->SetSpeed(20);
  m->SetStep(4);
  TBitmap32 saved;
  FAlpha->SetSaveBitmap(&saved);
  Wait(20 * 60);
  const Integer composed = FAlpha->ComposeCount();
  const Integer frames = m->FramesDrawn();
  Wait(20 * 5);
  EXPECT_EQ(m->FramesDrawn() - frames, 5);
  EXPECT_EQ(FAlpha->ComposeCount() - composed, 5);
  // As a link on the layered form: the hand stays while the pointer moves
  // over the text.
  m->SetAllowClick(true);
  const TRect lr = m->MessageRect();
  // Below the 10-pixel sizing band along the top edge.
  MoveTo(FForm, lr.Left + 50, lr.Top + 6);
  ASSERT_TRUE(m->FMouseEnter);
  EXPECT_TRUE(gHookedCursor);
  const HWND h = FForm->Handle();
  EXPECT_EQ(SendMessageW(h, WM_SETCURSOR, reinterpret_cast<WPARAM>(h), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)), 1);
  EXPECT_EQ(GetCursor(), Screen->Cursors(crHandPoint));
  MoveTo(FForm, 200, 200);
  EXPECT_FALSE(gHookedCursor);
  m->SetAllowClick(false);
  // The composed picture carries the text at the marquee's place, opaque.
  const TRect r = m->MessageRect();
  const Integer y = r.Top + m->TextHeight() / 2;
  Integer dark = 0;
  for (Integer x = std::max(r.Left, m->DispX()); x < r.Right; ++x) {
    const TColor32 c = saved.GetPixel(x, y);
    EXPECT_EQ(c >> 24, 255u);
    dark += (c & 0xFF) < 0x40 && ((c >> 8) & 0xFF) < 0x40;
  }
  EXPECT_GT(dark, 5);
  // And so does the screen.
  const TRect w = WindowRect(FForm);
  EXPECT_FALSE(Near(ScreenAt(w.Left + m->DispX() + 3, w.Top + y), 0x408060, 30) &&
               Near(ScreenAt(w.Left + m->DispX() + 8, w.Top + y), 0x408060, 30) &&
               Near(ScreenAt(w.Left + m->DispX() + 12, w.Top + y), 0x408060, 30));
  FAlpha->SetSaveBitmap(nullptr);
}

// What a form file keeps of the three components comes back as it was.
TEST_F(uQuarnNCMessage, PublishedPropertiesSurviveAFormFile) {
  FForm = NewForm(50, 50, 800, 300);
  auto* m = Marquee(FForm, u"Stored text");
  m->SetStep(5);
  m->SetSpeed(35);
  m->SetWidth(260);
  m->SetAllowClick(true);
  m->SetLoopMode(false);
  m->SetCursor(crIBeam);
  m->HotFont()->SetColor(TColor(0x00339900));
  m->Pos()->SetXValue(90);
  auto* a = new TQuarnAlphaForm(nullptr);
  a->SetBackground(u"SolidFF102030");
  a->SetHitTestWidth(6);
  a->SetEnabledMove(false);
  auto* h = new TQuarnHint(nullptr);
  h->SetHintDirection(hdLeft);
  h->SetFrameColor(TColor(0x00112233));
  h->SetAutoPosition(false);
  h->SetHintPauseTime(900);
  TMemoryStream sm, sa, sh;
  sm.WriteComponent(m);
  sa.WriteComponent(a);
  sh.WriteComponent(h);
  delete a;
  delete h;
  Application->SetHintPause(100);

  auto* m2 = new TQuarnNCMessage(FForm);
  sm.SetPosition(0);
  sm.ReadComponent(m2);
  EXPECT_EQ(m2->Text(), u"Stored text");
  EXPECT_EQ(m2->Step(), 5);
  EXPECT_EQ(m2->Speed(), 35u);
  EXPECT_EQ(m2->Width(), 260);
  EXPECT_TRUE(m2->AllowClick());
  EXPECT_FALSE(m2->LoopMode());
  EXPECT_EQ(m2->Cursor(), crIBeam);
  EXPECT_EQ(m2->HotFont()->Color(), TColor(0x00339900));
  EXPECT_EQ(m2->Font()->Size(), 10);
  EXPECT_EQ(m2->Pos()->XValue(), 90);
  EXPECT_EQ(m2->Pos()->YValue(), 5);
  auto a2 = std::make_unique<TQuarnAlphaForm>(nullptr);
  sa.SetPosition(0);
  sa.ReadComponent(a2.get());
  EXPECT_EQ(a2->Background(), u"SolidFF102030");
  EXPECT_EQ(a2->HitTestWidth(), 6);
  EXPECT_FALSE(a2->EnabledMove());
  auto h2 = std::make_unique<TQuarnHint>(nullptr);
  sh.SetPosition(0);
  sh.ReadComponent(h2.get());
  EXPECT_EQ(h2->HintDirection(), hdLeft);
  EXPECT_EQ(h2->FrameColor(), TColor(0x00112233));
  EXPECT_EQ(h2->HintColor(), TQuarnHint::kHintColor);
  EXPECT_FALSE(h2->AutoPosition());
  EXPECT_EQ(h2->HintPauseTime(), 900);
  EXPECT_EQ(Application->HintPause(), 900);
}

}  // namespace t_u_quarn_ncmessage_test
