// Pop-up tips and edit tips on the virtual clock, with the input driver and
// the composed screen: placement, the pause and its restart by mouse moves,
// following a moving anchor, hiding with the anchor form's activation, the
// close button, and the freed-anchor and window-list faults.
#include <gtest/gtest.h>

#include <memory>

#include "platform/vcl/Forms.h"
#include "platform/vcl/StdCtrls.h"
#include "skin/controls/uQuarnEditTips.h"
#include "tests/platform/user/UserTestSupport.h"

namespace t_u_quarn_tips_test {

using namespace qn;

namespace {

class TipsTest : public usertest::InputServerTest {
 protected:
  void SetUp() override {
    usertest::InputServerTest::SetUp();
    SetScreenSize(1024, 768);
    FForm.reset(new TForm(nullptr));
    FForm->SetPosition(poDesigned);
    FForm->SetBorderStyle(bsNone);
    FForm->SetBounds(100, 100, 500, 300);
    FAnchor = new TPanel(FForm.get());
    FAnchor->SetParent(FForm.get());
    FAnchor->SetBounds(40, 50, 200, 60);
    FForm->Show();
    usertest::Pump();
  }
  void TearDown() override {
    FTips.reset();
    FOther.reset();
    FForm.reset();
    FreeDeviceContexts();
    usertest::InputServerTest::TearDown();
  }
  // The clock in 10-ms steps so every 50-ms tick is served on time.
  void Wait(Integer Ms) {
    for (Integer i = 0; i < Ms; i += 10) {
      AdvanceClock(10);
      usertest::Pump();
    }
  }
  static TRect WindowRect(HWND H) {
    RECT r;
    GetWindowRect(H, &r);
    return r;
  }
  std::unique_ptr<TForm> FForm, FOther;
  TPanel* FAnchor = nullptr;
  std::unique_ptr<TQuarnTips> FTips;
};

using uQuarnTips = TipsTest;

TEST_F(uQuarnTips, PlacementAndHeights) {
  FTips = std::make_unique<TQuarnTips>(nullptr);
  EXPECT_EQ(FTips->Show(u"", u"x", nullptr, nullptr), nullptr);
  // A 5-px rect and one taller than the screen both become 10 high;
  // the rect is rewritten to the screen through the anchor's parent.
  TRect small(10, 20, 210, 25);
  HWND a = FTips->Show(u"", u"short", FAnchor, &small, hdCustom);
  const TPoint origin = FForm->ClientToScreen(TPoint(10, 20));
  EXPECT_EQ(small, TRect(origin.X, origin.Y, origin.X + 200, origin.Y + 10));
  TRect tall(10, 20, 210, 5000);
  FTips->Show(u"", u"short", FAnchor, &tall, hdCustom);
  EXPECT_EQ(tall.Height(), 10);
  // The window: the rect's place and width, text height + 10 high.
  const TRect wa = WindowRect(a);
  EXPECT_EQ(wa.TopLeft(), origin);
  EXPECT_EQ(wa.Width(), 200);
  EXPECT_EQ(wa.Height(), std::max(FTips->GetTipsHeight(u"short"), 10) + 10);
  EXPECT_TRUE(IsWindowVisible(a));
  // Never activated, never focused.
  EXPECT_EQ(GetActiveWindow(), FForm->Handle());
  EXPECT_EQ(GetWindowLongW(a, GWL_STYLE) & (WS_POPUP | WS_CHILD | WS_CAPTION), LONG(WS_POPUP));
  EXPECT_EQ(GetWindowLongW(a, GWL_EXSTYLE), LONG(WS_EX_TOOLWINDOW));

  // hdTop: over the anchor's client area, a title adding its row.
  HWND t = FTips->Show(u"Title", u"text", FAnchor, nullptr, hdTop);
  auto* tw = static_cast<TQuarnTipsWindow*>(FTips->List()->Last());
  const TRect wt = WindowRect(t);
  EXPECT_EQ(wt.TopLeft(), FAnchor->ClientToScreen(TPoint(0, 0)));
  EXPECT_EQ(wt.Width(), FAnchor->ClientWidth());
  EXPECT_EQ(wt.Height(), tw->TipsHeight(nullptr).cy + 10 + tw->TitleHeight() + 6);
  // hdBottom: the same window ends at the anchor's bottom.
  HWND b = FTips->Show(u"Title", u"text", FAnchor, nullptr, hdBottom);
  EXPECT_EQ(WindowRect(b).Bottom, FAnchor->ClientToScreen(TPoint(0, FAnchor->ClientHeight())).Y);
  // hdCustom without a rect goes on top instead of reading nothing.
  HWND c = FTips->Show(u"", u"text", FAnchor, nullptr, hdCustom);
  EXPECT_EQ(WindowRect(c).TopLeft(), FAnchor->ClientToScreen(TPoint(0, 0)));
  // A screen rect alone is taken as it is.
  TRect screen(600, 500, 700, 530);
  HWND s = FTips->Show(u"", u"text", nullptr, &screen);
  EXPECT_EQ(WindowRect(s), screen);
  // The close button: 4 px from the right, 5 from the top, the image's size.
  auto* sw = static_cast<TQuarnTipsWindow*>(FTips->List()->Last());
  EXPECT_EQ(sw->CloseButtonRect(), TRect(100 - 12 - 4, 5, 100 - 4, 17));
  FTips->CloseSubTipsWindow();
  EXPECT_EQ(FTips->List()->Count(), 0);
  EXPECT_FALSE(IsWindow(a));
}

TEST_F(uQuarnTips, PauseRestartsOnMouseMovesAndFadesOut) {
  FTips = std::make_unique<TQuarnTips>(nullptr);
  TRect r(300, 200, 500, 260);
  HWND h = FTips->Show(u"", u"pause", nullptr, &r);
  Wait(2000);
  // The pointer moves over the tip now and then: the pause starts again.
  for (int i = 0; i < 3; ++i) {
    InputMouseMove(320 + i * 5, 230);
    usertest::Pump();
    Wait(2000);
    EXPECT_TRUE(IsWindowVisible(h));
  }
  const DWORD last = GetTickCount() - 2000;
  // Resting: closes 3500 ms after the last move, fading over 500 ms.
  Wait(1400);
  EXPECT_TRUE(IsWindowVisible(h));
  Wait(200);
  EXPECT_FALSE(IsWindow(h));
  const DWORD closedAt = GetTickCount();
  EXPECT_GE(closedAt - last, 3500u + 500u);
  EXPECT_LE(closedAt - last, 3500u + 500u + 120u);

  // PauseTime 0: never closes by itself.
  FTips->SetPauseTime(0);
  HWND k = FTips->Show(u"", u"stays", nullptr, &r);
  Wait(20000);
  EXPECT_TRUE(IsWindowVisible(k));
}

TEST_F(uQuarnTips, FollowsTheAnchorAndHidesWithItsForm) {
  FTips = std::make_unique<TQuarnTips>(nullptr);
  FTips->SetPauseTime(0);
  FTips->SetHideOfParentDeactivate(true);
  TRect r(0, -30, 150, 0);
  HWND h = FTips->Show(u"", u"follow", FAnchor, &r, hdCustom);
  const TRect start = WindowRect(h);
  FAnchor->SetBounds(70, 90, 200, 60);
  Wait(50);
  EXPECT_EQ(WindowRect(h).TopLeft(), TPoint(start.Left + 30, start.Top + 40));
  // The form moves: the anchor's screen place moves, and the tip with it.
  FForm->SetBounds(150, 120, 500, 300);
  Wait(50);
  EXPECT_EQ(WindowRect(h).TopLeft(), TPoint(start.Left + 80, start.Top + 60));

  // Another form takes the activation: the tip hides, and shows again
  // when the anchor's form is active; it never takes the activation.
  FOther.reset(new TForm(nullptr));
  FOther->SetPosition(poDesigned);
  FOther->SetBounds(700, 400, 200, 200);
  FOther->Show();
  usertest::Pump();
  Wait(60);
  EXPECT_FALSE(IsWindowVisible(h));
  FForm->SetFocus();
  SetActiveWindow(FForm->Handle());
  usertest::Pump();
  Wait(60);
  EXPECT_TRUE(IsWindowVisible(h));
  EXPECT_EQ(GetActiveWindow(), FForm->Handle());

  // A hidden anchor is no longer followed.
  FAnchor->SetVisible(false);
  const TRect before = WindowRect(h);
  FForm->SetBounds(200, 150, 500, 300);
  Wait(100);
  EXPECT_EQ(WindowRect(h), before);
}

TEST_F(uQuarnTips, FreedAnchorCloseButtonAndWindowList) {
  FTips = std::make_unique<TQuarnTips>(nullptr);
  FTips->SetPauseTime(1000);
  TRect r(0, 0, 200, 40);
  HWND h = FTips->Show(u"T", u"anchor goes", FAnchor, &r, hdCustom);
  delete FAnchor;
  FAnchor = nullptr;
  // No reading through the freed anchor (the sanitizers watch); the pause
  // still closes the tip.
  Wait(200);
  EXPECT_TRUE(IsWindowVisible(h));
  Wait(1500);
  EXPECT_FALSE(IsWindow(h));

  // A click on the close button (its rect from the image) closes at once.
  FTips->SetPauseTime(0);
  TRect s(300, 300, 500, 360);
  HWND c = FTips->Show(u"", u"click to close", nullptr, &s);
  auto* w = static_cast<TQuarnTipsWindow*>(FTips->List()->Last());
  const TRect b = w->CloseButtonRect();
  ASSERT_FALSE(b.IsEmpty());
  InputMouseMove(300 + b.Left + 3, 300 + b.Top + 3);
  usertest::Pump();
  EXPECT_EQ(w->MouseInTips(), itCloseButton);
  InputMouseDown(VK_LBUTTON);
  usertest::Pump();
  InputMouseUp(VK_LBUTTON);
  usertest::Pump();
  EXPECT_FALSE(IsWindow(c));
  EXPECT_EQ(GetActiveWindow(), FForm->Handle());

  // Shown and closed a hundred times: the list keeps only the live ones.
  FTips->SetPauseTime(100);
  for (int i = 0; i < 100; ++i) {
    FTips->Show(u"", u"again", nullptr, &s);
    Wait(700);
  }
  EXPECT_LE(FTips->List()->Count(), 1);
}

TEST_F(uQuarnTips, CentredTextIsOneLine) {
  FTips = std::make_unique<TQuarnTips>(nullptr);
  FTips->SetPauseTime(0);
  FTips->SetCloseButtonVisible(false);
  FTips->SetAlignmentVertical(taVerticalCenter);
  FTips->TipsFont()->SetColor(clBlack);
  TRect s(200, 200, 400, 300);
  FTips->Show(u"", u"first line\nsecond line", nullptr, &s);
  usertest::Pump();
  TScreenImage shot = CaptureScreen();
  // Ink rows inside the frame: one line's height, around the middle.
  Integer top = 1000, bottom = -1;
  for (Integer y = 202; y < 298; ++y)
    for (Integer x = 202; x < 398; ++x)
      if ((shot.Pixel(x, y) & 0xFFFFFF) == 0) {
        top = std::min(top, y);
        bottom = std::max(bottom, y);
      }
  ASSERT_GE(bottom, top);
  const Integer lineH = FTips->GetTipsHeight(u"x");
  EXPECT_LE(bottom - top + 1, lineH);
  EXPECT_NEAR((top + bottom) / 2, 250, lineH / 2);
  // The frame and fill colours.
  const auto rgb = [](TColor c) {
    const uint32_t v = ColorToRGB(c);
    return ((v & 0xFF) << 16) | (v & 0xFF00) | ((v >> 16) & 0xFF);
  };
  EXPECT_EQ(shot.Pixel(200, 250) & 0xFFFFFF, rgb(FTips->FrameColor()));
  EXPECT_EQ(shot.Pixel(203, 205) & 0xFFFFFF, rgb(FTips->TipsColor()));
}

// ---------------------------------------------------------------------------

using uQuarnEditTips = TipsTest;

TEST_F(uQuarnEditTips, OneTipRightOfTheOwnerSizedToItsLines) {
  auto* edit = new TPanel(FForm.get());
  edit->SetParent(FForm.get());
  edit->SetBounds(20, 200, 120, 24);
  usertest::Pump();
  auto* tips = new TQuarnEditTips(edit);
  EXPECT_EQ(tips->PauseTime(), 3000);
  EXPECT_FALSE(tips->CloseButtonVisible());
  EXPECT_TRUE(tips->HideOfParentDeactivate());

  HWND first = tips->Show(u"one");
  HWND second = tips->Show(u"Two lines\nthe second is longer");
  EXPECT_FALSE(IsWindow(first));
  EXPECT_TRUE(IsWindowVisible(second));
  EXPECT_EQ(tips->List()->Count(), 1);

  const TRect w = WindowRect(second);
  const TSize text = tips->GetTipsSize(u"Two lines\nthe second is longer");
  // Measured independently: the longest line + 10 wide.
  TBitmap32 m;
  m.SetSize(4, 4);
  m.Canvas()->Font()->Assign(tips->TipsFont());
  EXPECT_EQ(text.cx, m.Canvas()->TextWidth(u"the second is longer"));
  EXPECT_EQ(w.Width(), text.cx + 10);
  EXPECT_EQ(w.Height(), std::max(text.cy, 10) + 10);
  // Right of the owner, vertically centred on it.
  const TPoint p = FForm->ClientToScreen(TPoint(20 + 120 + 5, 200 + (24 - text.cy) / 2 - 5));
  EXPECT_EQ(w.TopLeft(), p);
  // The window's frame is drawn in the red of the preset.
  usertest::Pump();
  TScreenImage shot = CaptureScreen();
  EXPECT_EQ(shot.Pixel(w.Left, w.Top + 3) & 0xFFFFFF, 0xD93B4Au);
  // Closes 3000 ms after the last movement (and its fade).
  Wait(3600);
  EXPECT_FALSE(IsWindow(second));
  tips->Hide();
  EXPECT_EQ(tips->List()->Count(), 0);
}

}  // namespace

}  // namespace t_u_quarn_tips_test
