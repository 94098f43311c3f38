// Notifications on the virtual clock, on a screen whose work area does not
// start at the origin: stacking into columns, explicit places, heights, the
// fade read every 10 ms (on the window and on the composed screen), the
// pause and the pointer, the focus, the button, and freeing while open.
#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <vector>

#include "platform/desktop/Desktop.h"
#include "platform/vcl/Forms.h"
#include "skin/extended/uQuarnPopupMessage.h"
#include "tests/platform/user/UserTestSupport.h"

namespace t_u_quarn_popup_message_test {

using namespace qn;

namespace {

// Records what the component reports.
struct TEvents : TObject {
  std::vector<TObject*> Clicks, Closes, ButtonClicks;
  std::vector<Integer> CloseAlpha;
  void Click(TObject* S) { Clicks.push_back(S); }
  void Close(TObject* S) {
    Closes.push_back(S);
    if (auto* f = dynamic_cast<TQuarnPopupForm*>(S)) CloseAlpha.push_back(f->AlphaBlendValue());
  }
  void Button(TObject* S) { ButtonClicks.push_back(S); }
};

const TRect kWork(120, 60, 1100, 740);
constexpr COLORREF kDesktop = RGB(20, 40, 60);

class PopupTest : public usertest::InputServerTest {
 protected:
  void SetUp() override {
    usertest::InputServerTest::SetUp();
    SetScreenConfiguration({{TRect(0, 0, 1280, 800), kWork, true}});
    SetDesktopColor(kDesktop);
    FRoot.reset(new TForm(nullptr));
    FRoot->SetPosition(poDesigned);
    FRoot->SetBorderStyle(bsNone);
    FRoot->SetBounds(130, 70, 200, 120);
    FRoot->Show();
    usertest::Pump();
    FMsg.reset(new TQuarnPopupMessage(nullptr));
    FMsg->SetOnClick(TNotifyEvent(&FEvents, &TEvents::Click));
    FMsg->SetOnClose(TNotifyEvent(&FEvents, &TEvents::Close));
    FMsg->SetOnButtonClick(TNotifyEvent(&FEvents, &TEvents::Button));
  }
  void TearDown() override {
    FMsg.reset();
    usertest::Pump();
    FRoot.reset();
    usertest::Pump();
    FreeDeviceContexts();
    ResetScreenConfiguration();
    usertest::InputServerTest::TearDown();
  }
  // The clock in 1-ms steps, so every timer fires when it is due.
  static void Wait(Integer Ms) {
    for (Integer i = 0; i < Ms; ++i) {
      AdvanceClock(1);
      usertest::Pump();
    }
  }
  static TRect WindowRect(HWND H) {
    RECT r;
    GetWindowRect(H, &r);
    return r;
  }
  static TRect WindowRect(TQuarnPopupForm* F) { return WindowRect(F->Handle()); }
  // Where a point of a control is on the screen.
  static void MoveOver(TControl* C) {
    const TPoint p = C->ClientToScreen(TPoint(C->Width() / 2, C->Height() / 2));
    InputMouseMove(p.X, p.Y);
    usertest::Pump();
  }
  static void ClickOn(TControl* C) {
    MoveOver(C);
    InputMouseDown(VK_LBUTTON);
    InputMouseUp(VK_LBUTTON);
    usertest::Pump();
  }
  static void MoveAway() {
    InputMouseMove(5, 5);
    usertest::Pump();
  }
  void ExpectFocusUnmoved() {
    EXPECT_EQ(GetActiveWindow(), FRoot->Handle());
    EXPECT_EQ(GetFocus(), FRoot->Handle());
  }

  std::unique_ptr<TForm> FRoot;
  std::unique_ptr<TQuarnPopupMessage> FMsg;
  TEvents FEvents;
};

using uQuarnPopupMessage = PopupTest;

TEST_F(uQuarnPopupMessage, Heights) {
  FMsg->SetClosePause(0);
  // Short texts: MinHeight + TextOffsetY + the title band.
  EXPECT_EQ(FMsg->NotificationHeight(u"short", 0, 0), 147);
  TQuarnPopupForm* a = FMsg->Popup(u"Title", u"short");
  EXPECT_EQ(WindowRect(a).Height(), 147);
  EXPECT_EQ(WindowRect(a).Width(), 228);
  // An icon (40 x 40) changes nothing in the height, only the text's place.
  TQuarnPopupForm* b = FMsg->Popup(u"Title", u"short", miSuccess);
  EXPECT_EQ(WindowRect(b).Height(), 147);
  ASSERT_NE(b->IconPanel(), nullptr);
  EXPECT_EQ(b->IconPanel()->BoundsRect(), TRect(10, 20, 50, 60));
  EXPECT_EQ(b->Msg()->BoundsRect().TopLeft(), TPoint(60, 20));
  EXPECT_EQ(b->Msg()->Width(), 228 - 60 - 10);
  EXPECT_EQ(a->Msg()->BoundsRect().TopLeft(), TPoint(10, 20));
  EXPECT_EQ(a->Msg()->Width(), 208);
  // The button adds 35 and sits 31 above the bottom, centred on the width.
  FMsg->Button()->SetVisible(true);
  FMsg->Button()->SetCaption(u"Open");
  TQuarnPopupForm* c = FMsg->Popup(u"Title", u"short");
  EXPECT_EQ(WindowRect(c).Height(), 182);
  ASSERT_NE(c->Button(), nullptr);
  EXPECT_EQ(c->Button()->Caption(), u"Open");
  EXPECT_EQ(c->Button()->Top(), 182 - 27 - 31);
  EXPECT_EQ(c->Button()->Left(), (228 - 75) / 2);
  // Long texts over many widths: the wrapped height + 20 + TextOffsetY + 27.
  FMsg->Button()->SetVisible(false);
  String text;
  for (int words = 1; words < 90; words += 7) {
    while (Integer(text.size()) < words * 6) text += u"word ";
    for (Integer w : {160, 228, 300}) {
      FMsg->SetWidth(w);
      const Integer m = FMsg->GetMsgHeight(text, w - 20);
      EXPECT_EQ(FMsg->NotificationHeight(text, 0, 0), m < 100 ? 147 : m + 67) << words << " " << w;
    }
  }
  // The measure grows with the text and shrinks with the width.
  EXPECT_GT(FMsg->GetMsgHeight(text, 100), FMsg->GetMsgHeight(text, 300));
  EXPECT_GT(FMsg->GetMsgHeight(text + text, 200), FMsg->GetMsgHeight(text, 200));
}

// A random run of automatic popups and closes against the placement rules:
// the first at the work area's bottom-right corner less one pixel, each
// next one directly above the newest, a new column when the work area's top
// would be crossed (left of the newest, or again at the right edge), and a
// restart at the right edge instead of a column outside the work area.
TEST_F(uQuarnPopupMessage, StackingIntoColumns) {
  for (bool autoAlign : {true, false}) {
    std::mt19937 rng(autoAlign ? 7 : 8);
    FMsg->SetAutoAlign(autoAlign);
    FMsg->SetClosePause(0);
    FMsg->SetActiveAnimate(false);
    FMsg->SetWidth(200);
    TPoint newest(0, 0);
    bool any = false;
    for (int i = 0; i < 60; ++i) {
      FMsg->Button()->SetVisible(rng() % 3 == 0);
      const Integer H = FMsg->Button()->Visible() ? 182 : 147;
      TPoint want;
      if (FMsg->List().empty()) {
        want = TPoint(kWork.Right - 200 - 1, kWork.Bottom - H - 1);
      } else {
        want = TPoint(newest.X, newest.Y - H - 1);
        if (want.Y < kWork.Top) {
          want.Y = kWork.Bottom - H - 1;
          want.X = autoAlign ? newest.X - 201 : kWork.Right - 201;
          if (want.X < kWork.Left) want.X = kWork.Right - 201;
        }
      }
      TQuarnPopupForm* f = FMsg->Popup(u"T", u"text");
      const TRect r = WindowRect(f);
      ASSERT_EQ(r.TopLeft(), want) << i;
      ASSERT_EQ(r.Height(), H);
      newest = want;
      any = true;
      // Now and then one in the middle closes: nothing else moves.
      if (rng() % 4 == 0 && FMsg->List().size() > 2) {
        std::vector<TRect> before;
        for (auto* g : FMsg->List()) before.push_back(WindowRect(g));
        TQuarnPopupForm* victim = FMsg->List()[FMsg->List().size() / 2];
        victim->Close();
        usertest::Pump();
        size_t k = 0;
        for (auto* g : FMsg->List()) {
          while (k < before.size() && before[k] != WindowRect(g)) ++k;
          EXPECT_LT(k, before.size()) << "a notification moved";
        }
      }
      // Every window stays inside the work area.
      EXPECT_GE(r.Left, kWork.Left);
      EXPECT_GE(r.Top, kWork.Top);
      EXPECT_LT(r.Right, kWork.Right);
      EXPECT_LT(r.Bottom, kWork.Bottom);
    }
    EXPECT_TRUE(any);
    // Every one closes on the component's end of the run.
    FMsg.reset(new TQuarnPopupMessage(nullptr));
    usertest::Pump();
  }
}

TEST_F(uQuarnPopupMessage, ExplicitPlaceClosesTheOthersNewestFirst) {
  FMsg->SetClosePause(0);
  std::vector<TQuarnPopupForm*> open;
  std::vector<HWND> handles;
  for (int i = 0; i < 3; ++i) {
    open.push_back(FMsg->Popup(u"T", u"auto"));
    handles.push_back(open.back()->Handle());
  }
  // X beyond the right edge is pulled back: right edge one pixel inside.
  TQuarnPopupForm* f = FMsg->PopupXY(u"T", u"here", miInformation, 5000, 400);
  EXPECT_EQ(WindowRect(f).TopLeft(), TPoint(kWork.Right - 228 - 1, 400 - 147 - 1));
  EXPECT_EQ(FEvents.Closes, (std::vector<TObject*>{open[2], open[1], open[0]}));
  ASSERT_EQ(FMsg->List().size(), 1u);
  EXPECT_EQ(FMsg->List()[0], f);
  usertest::Pump();
  for (HWND h : handles) EXPECT_FALSE(IsWindow(h));
  // Inside the work area X is the left edge less one.
  TQuarnPopupForm* g = FMsg->PopupXY(u"T", u"there", miNone, 300, 500);
  EXPECT_EQ(WindowRect(g).TopLeft(), TPoint(299, 500 - 147 - 1));
  // A full Popup keeps its id.
  TQuarnPopupForm* h = FMsg->Popup(u"T", u"id", miFailue, u"job-7", 0, 0);
  EXPECT_EQ(h->ID(), u"job-7");
  EXPECT_EQ(WindowRect(h).TopLeft(), TPoint(299, 500 - 147 - 1 - 147 - 1));
}

TEST_F(uQuarnPopupMessage, FadeInPauseFadeOutAndFree) {
  FMsg->SetClosePause(1000);
  TQuarnPopupForm* f = FMsg->Popup(u"Fade", u"in and out");
  const HWND h = f->Handle();
  auto alpha = [h] {
    Byte a = 0;
    GetLayeredWindowAttributes(h, nullptr, &a, nullptr);
    return Integer(a);
  };
  std::vector<Integer> in{alpha()}, wantIn;
  for (int a = 0; a <= 250; a += 10) wantIn.push_back(a);
  wantIn.push_back(255);
  wantIn.push_back(255);
  for (int i = 0; i < 27; ++i) {
    Wait(10);
    in.push_back(alpha());
    EXPECT_EQ(alpha(), f->AlphaBlendValue());
  }
  EXPECT_EQ(in, wantIn);
  // The pause counts from the popup: at 1000 ms the fade out begins.
  Wait(1000 - 270 - 1);
  EXPECT_FALSE(f->BlendHide());
  Wait(1);
  EXPECT_TRUE(f->BlendHide());
  std::vector<Integer> out{alpha()}, wantOut;
  for (int a = 255; a > 0; a -= 10) wantOut.push_back(a);
  for (int i = 0; i < 25; ++i) {
    Wait(10);
    out.push_back(alpha());
  }
  EXPECT_EQ(out, wantOut);
  EXPECT_TRUE(FEvents.Closes.empty());
  Wait(10);
  // Closed at alpha 0 and freed.
  ASSERT_EQ(FEvents.Closes.size(), 1u);
  EXPECT_EQ(FEvents.CloseAlpha, std::vector<Integer>{0});
  EXPECT_FALSE(IsWindow(h));
  EXPECT_TRUE(FMsg->List().empty());
}

// The fade reaches the composed screen: a client pixel is the client colour
// over the desktop at the window's alpha.
TEST_F(uQuarnPopupMessage, FadeOnTheScreen) {
  FMsg->SetClosePause(0);
  FMsg->SetClientColor(TColor(RGB(240, 200, 100)));
  TQuarnPopupForm* f = FMsg->Popup(u"Fade", u"");
  const TRect r = WindowRect(f);
  const TPoint probe(r.Left + 6, r.Bottom - 8);
  for (int step = 0; step < 27; ++step) {
    const TScreenImage s = CaptureScreen();
    const uint32_t px = s.Pixel(probe.X, probe.Y);
    const Integer a = f->AlphaBlendValue();
    auto mix = [a](int fore, int back) { return (fore * a + back * (255 - a) + 127) / 255; };
    EXPECT_NEAR(int((px >> 16) & 0xFF), mix(240, 20), 2) << a;
    EXPECT_NEAR(int((px >> 8) & 0xFF), mix(200, 40), 2) << a;
    EXPECT_NEAR(int(px & 0xFF), mix(100, 60), 2) << a;
    Wait(10);
  }
  EXPECT_EQ(f->AlphaBlendValue(), 255);
}

TEST_F(uQuarnPopupMessage, ClosePauseZeroStays) {
  FMsg->SetClosePause(0);
  TQuarnPopupForm* f = FMsg->Popup(u"Stays", u"until closed");
  Wait(300);
  MoveOver(f->Msg());
  Wait(100);
  MoveAway();
  Wait(8000);
  EXPECT_TRUE(IsWindowVisible(f->Handle()));
  EXPECT_EQ(f->AlphaBlendValue(), 255);
  EXPECT_FALSE(f->Timer()->Enabled());
  // The title-bar close button closes it at once, without a fade.
  const TRect b = f->CloseNCButton()->GetRect();
  const TRect wr = WindowRect(f);
  InputMouseMove(wr.Left + (b.Left + b.Right) / 2, wr.Top + (b.Top + b.Bottom) / 2);
  InputMouseDown(VK_LBUTTON);
  InputMouseUp(VK_LBUTTON);
  usertest::Pump();
  EXPECT_EQ(FEvents.Closes.size(), 1u);
  EXPECT_EQ(FEvents.CloseAlpha, std::vector<Integer>{255});
  EXPECT_TRUE(FMsg->List().empty());
  ExpectFocusUnmoved();
}

TEST_F(uQuarnPopupMessage, PointerHoldsAndRestartsThePause) {
  FMsg->SetClosePause(1000);
  TQuarnPopupForm* f = FMsg->Popup(u"Hover", u"over me");
  const HWND h = f->Handle();
  // Entering during the fade in: full at once, and the pause stops.
  Wait(50);
  EXPECT_EQ(f->AlphaBlendValue(), 50);
  MoveOver(f->Msg());
  EXPECT_EQ(f->AlphaBlendValue(), 255);
  Wait(3000);
  EXPECT_FALSE(f->BlendHide());
  // Leaving starts the whole pause again from that moment.
  MoveAway();
  Wait(999);
  EXPECT_FALSE(f->BlendHide());
  Wait(100);
  EXPECT_TRUE(f->BlendHide());
  // Entering during the fade out restores full opacity and holds it.
  Wait(60);
  EXPECT_LT(f->AlphaBlendValue(), 255);
  MoveOver(f->Msg());
  EXPECT_EQ(f->AlphaBlendValue(), 255);
  Wait(2000);
  EXPECT_EQ(f->AlphaBlendValue(), 255);
  EXPECT_TRUE(IsWindow(h));
  // Out again: a full pause, then the fade, then gone.
  MoveAway();
  Wait(990);
  EXPECT_EQ(f->AlphaBlendValue(), 255);
  Wait(110 + 270);
  EXPECT_FALSE(IsWindow(h));
  EXPECT_EQ(FEvents.Closes.size(), 1u);
  ExpectFocusUnmoved();
}

TEST_F(uQuarnPopupMessage, NeverTakesTheFocus) {
  SetFocus(FRoot->Handle());
  FMsg->SetClosePause(0);
  FMsg->Button()->SetVisible(true);
  TQuarnPopupForm* a = FMsg->Popup(u"One", u"first", miInformation);
  TQuarnPopupForm* b = FMsg->Popup(u"Two", u"second");
  Wait(300);
  ExpectFocusUnmoved();
  // The window: a topmost tool pop-up of its own, no owner, no taskbar entry.
  const HWND h = a->Handle();
  EXPECT_EQ(GetWindowLongW(h, GWL_STYLE) & (WS_POPUP | WS_CHILD | WS_CAPTION | WS_THICKFRAME), LONG(WS_POPUP));
  const LONG ex = GetWindowLongW(h, GWL_EXSTYLE);
  EXPECT_TRUE(ex & WS_EX_TOOLWINDOW);
  EXPECT_TRUE(ex & WS_EX_TOPMOST);
  EXPECT_FALSE(ex & WS_EX_APPWINDOW);
  EXPECT_EQ(GetWindow(h, GW_OWNER), nullptr);
  // Clicks on its text, icon and body tell the component which part; the
  // focus stays where it was.
  ClickOn(a->Msg());
  ClickOn(a->IconPanel());
  const TPoint body = a->ClientToScreen(TPoint(a->ClientWidth() - 6, 6));
  InputMouseMove(body.X, body.Y);
  InputMouseDown(VK_LBUTTON);
  InputMouseUp(VK_LBUTTON);
  usertest::Pump();
  EXPECT_EQ(FEvents.Clicks, (std::vector<TObject*>{a->Msg(), a->IconPanel(), a}));
  ExpectFocusUnmoved();
  // The button: its event with the button as Sender, then the window closes.
  TQuarnButton* button = b->Button();
  const HWND hb = b->Handle();
  ClickOn(button);
  EXPECT_EQ(FEvents.ButtonClicks, std::vector<TObject*>{button});
  EXPECT_EQ(FEvents.Closes, std::vector<TObject*>{b});
  usertest::Pump();
  EXPECT_FALSE(IsWindow(hb));
  EXPECT_EQ(FMsg->List(), std::vector<TQuarnPopupForm*>{a});
  ExpectFocusUnmoved();
}

TEST_F(uQuarnPopupMessage, FreedWhileOpen) {
  FMsg->SetClosePause(500);
  std::vector<HWND> handles;
  for (int i = 0; i < 4; ++i) handles.push_back(FMsg->Popup(u"T", u"open")->Handle());
  // One freed by code leaves the list.
  delete FMsg->List()[1];
  EXPECT_FALSE(IsWindow(handles[1]));
  EXPECT_EQ(FMsg->List().size(), 3u);
  // The component goes with three open and mid-fade: they close without
  // events and are freed; their timers never call back into it.
  Wait(100);
  FMsg.reset();
  usertest::Pump();
  for (HWND h : handles) EXPECT_FALSE(IsWindow(h));
  Wait(2000);
  EXPECT_TRUE(FEvents.Closes.empty());
}

}  // namespace

}  // namespace t_u_quarn_popup_message_test
