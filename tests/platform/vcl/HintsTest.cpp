#include <memory>

#include "platform/rtl/SysUtils.h"
#include "tests/platform/vcl/FormsTestSupport.h"

namespace t_hints_test {

using namespace vcl;
using namespace formstest;

namespace {

// A control with a hint that can refuse it or change its pause.
class THintTarget : public TCustomControl {
  QN_CLASS(THintTarget, TCustomControl)
 public:
  explicit THintTarget(TComponent* AOwner) : TCustomControl(AOwner) {}
  bool Veto = false;
  Integer Pause = -1;  // -1: leave the pause alone
  int Asked = 0;
  void Dispatch(TMessage& Message) override {
    if (Message.Msg == CM_HINTSHOW) {
      ++Asked;
      if (Veto) {
        Message.Result = 1;
        return;
      }
    }
    if (Message.Msg == CM_HINTSHOWPAUSE && Pause >= 0) *reinterpret_cast<Integer*>(Message.LParam) = Pause;
    inherited::Dispatch(Message);
  }
};

class TOtherHintWindow : public THintWindow {
  QN_CLASS_CREATE(TOtherHintWindow, THintWindow, TComponent)
 public:
  explicit TOtherHintWindow(TComponent* AOwner) : THintWindow(AOwner) {}
};

class Platform_Hints : public FormsTest {
 protected:
  void SetUp() override {
    FormsTest::SetUp();
    Form.reset(new TForm(nullptr));
    Form->SetBounds(100, 100, 420, 300);
    A = Make(10, 10, u"Open|Opens a file");
    B = Make(200, 10, u"Save|Saves the file");
    Form->Show();
    Application->ProcessMessages();
  }
  void TearDown() override {
    HintWindowClass = THintWindow::StaticClass();
    Form.reset();
    FormsTest::TearDown();
  }
  THintTarget* Make(Integer x, Integer y, const String& hint) {
    auto* c = new THintTarget(Form.get());
    c->SetParent(Form.get());
    c->SetBounds(x, y, 150, 80);
    c->SetHint(hint);
    c->SetShowHint(true);
    return c;
  }
  void MoveTo(TControl* c, Integer x, Integer y) {
    TPoint p = c->ClientToScreen(TPoint(x, y));
    InputMouseMove(p.X, p.Y);
    Application->ProcessMessages();
  }
  void Wait(DWORD ms) {
    AdvanceClock(ms);
    Application->ProcessMessages();
  }
  bool Showing() const {
    THintWindow* w = Application->ActiveHintWindow();
    return w && w->HandleAllocated() && IsWindowVisible(w->Handle());
  }
  String Shown() const { return Showing() ? Application->ActiveHintWindow()->Caption() : String(u"(none)"); }
  std::unique_ptr<TForm> Form;
  THintTarget* A = nullptr;
  THintTarget* B = nullptr;
};

TEST_F(Platform_Hints, ShowsAfterThePauseWithoutTakingTheFocus) {
  SetActiveWindow(Form->Handle());
  HWND focus = GetFocus();
  MoveTo(A, 20, 30);
  Wait(499);
  EXPECT_FALSE(Showing());
  Wait(1);
  ASSERT_TRUE(Showing());
  EXPECT_EQ(Shown(), u"Open");
  EXPECT_EQ(Application->HintControl(), A);
  HWND h = Application->ActiveHintWindow()->Handle();
  // Below the pointer, topmost, a tool window that neither activates nor
  // takes the mouse.
  RECT r;
  GetWindowRect(h, &r);
  TPoint p = A->ClientToScreen(TPoint(20, 30));
  EXPECT_GT(r.Top, p.Y);
  EXPECT_EQ(r.Left, p.X);
  EXPECT_TRUE(GetWindowLongW(h, GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
  EXPECT_TRUE(GetWindowLongW(h, GWL_EXSTYLE) & WS_EX_TOPMOST);
  EXPECT_TRUE(GetWindowLongW(h, GWL_STYLE) & WS_BORDER);
  EXPECT_EQ(SendMessageW(h, WM_NCHITTEST, 0, MAKELPARAM(r.Left + 2, r.Top + 2)), HTTRANSPARENT);
  EXPECT_EQ(SendMessageW(h, WM_MOUSEACTIVATE, 0, 0), MA_NOACTIVATE);
  EXPECT_EQ(GetActiveWindow(), Form->Handle());
  EXPECT_EQ(GetFocus(), focus);
  // The hint's background is the info colour, its text drawn on it.
  TScreenImage shot = CaptureWindow(h, true);
  ASSERT_GT(shot.Width, 4);
  TColor info = ColorToRGB(clInfoBk);
  EXPECT_EQ(shot.Pixel(1, 1) & 0xFFFFFF,
            uint32_t(GetRValue(info)) << 16 | uint32_t(GetGValue(info)) << 8 | GetBValue(info));
  // Moving inside the control keeps the hint as it is.
  MoveTo(A, 60, 40);
  EXPECT_TRUE(Showing());
  EXPECT_EQ(A->Asked, 1);
}

TEST_F(Platform_Hints, ControlsAndHandlersShapeTheHint) {
  // CM_HINTSHOW's veto: nothing shows, however long the pointer rests.
  A->Veto = true;
  MoveTo(A, 20, 30);
  Wait(3000);
  EXPECT_FALSE(Showing());
  EXPECT_EQ(A->Asked, 1);
  // CM_HINTSHOWPAUSE may shorten the pause; OnShowHint sees the record.
  B->Pause = 100;
  THintInfo seen;
  struct Handler {
    THintInfo* Seen;
    void Show(String& HintStr, bool& CanShow, THintInfo& Info) {
      *Seen = Info;
      HintStr = u"Save now";
      Info.HideTimeout = 300;
    }
  } handler{&seen};
  Application->OnShowHint = TShowHintEvent(&handler, &Handler::Show);
  MoveTo(B, 30, 40);
  Wait(100);
  ASSERT_TRUE(Showing());
  EXPECT_EQ(Shown(), u"Save now");
  EXPECT_EQ(seen.HintControl, B);
  EXPECT_EQ(seen.HintStr, u"Save");
  EXPECT_EQ(seen.CursorRect, TRect(0, 0, 150, 80));
  EXPECT_EQ(seen.CursorPos, TPoint(30, 40));
  EXPECT_EQ(seen.HideTimeout, 2500);
  EXPECT_EQ(seen.HintMaxWidth, Screen->Width());
  EXPECT_EQ(seen.HintWindowClass, THintWindow::StaticClass());
  EXPECT_GT(seen.HintPos.Y, B->ClientToScreen(TPoint(30, 40)).Y);
  // The handler's hide timeout holds.
  Wait(299);
  EXPECT_TRUE(Showing());
  Wait(1);
  EXPECT_FALSE(Showing());
  Application->OnShowHint = TShowHintEvent();
}

TEST_F(Platform_Hints, MovingOnReshowsAfterTheShortPause) {
  MoveTo(A, 20, 30);
  Wait(500);
  ASSERT_EQ(Shown(), u"Open");
  MoveTo(B, 20, 30);
  EXPECT_FALSE(Showing());
  Wait(49);
  EXPECT_FALSE(Showing());
  Wait(1);
  EXPECT_EQ(Shown(), u"Save");
  // Stays for the hide pause, then goes.
  Wait(2499);
  EXPECT_TRUE(Showing());
  Wait(1);
  EXPECT_FALSE(Showing());
}

TEST_F(Platform_Hints, LeavingKeysAndCancelEndTheHint) {
  MoveTo(A, 20, 30);
  Wait(500);
  ASSERT_TRUE(Showing());
  // Onto the form, which shows no hints: gone at once.
  MoveTo(Form.get(), 5, 250);
  EXPECT_FALSE(Showing());
  EXPECT_EQ(Application->HintControl(), nullptr);
  Wait(1000);
  EXPECT_FALSE(Showing());

  MoveTo(A, 20, 30);
  Wait(500);
  ASSERT_TRUE(Showing());
  InputKeyDown(VK_SHIFT);
  InputKeyUp(VK_SHIFT);
  Application->ProcessMessages();
  EXPECT_FALSE(Showing());

  MoveTo(A, 30, 30);
  Wait(500);
  ASSERT_TRUE(Showing());
  Application->CancelHint();
  EXPECT_FALSE(Showing());
  EXPECT_EQ(Application->HintControl(), nullptr);
  Wait(3000);
  EXPECT_FALSE(Showing());
}

TEST_F(Platform_Hints, AControlThatGoesTakesItsHint) {
  MoveTo(A, 20, 30);
  Wait(200);
  delete A;
  A = nullptr;
  Wait(1000);
  EXPECT_FALSE(Showing());
  EXPECT_EQ(Application->HintControl(), nullptr);
  MoveTo(B, 20, 30);
  Wait(500);
  ASSERT_TRUE(Showing());
  delete B;
  B = nullptr;
  EXPECT_FALSE(Showing());
  EXPECT_EQ(Application->HintControl(), nullptr);
}

TEST_F(Platform_Hints, ShowHintOffAndOnFollowsTheWindowClass) {
  HintWindowClass = TOtherHintWindow::StaticClass();
  Application->SetShowHint(false);
  EXPECT_EQ(Application->HintWindow(), nullptr);
  MoveTo(A, 20, 30);
  Wait(1000);
  EXPECT_FALSE(Showing());
  Application->SetShowHint(true);
  ASSERT_NE(Application->HintWindow(), nullptr);
  EXPECT_EQ(Application->HintWindow()->ClassType(), TOtherHintWindow::StaticClass());
  MoveTo(A, 25, 30);
  Wait(500);
  ASSERT_TRUE(Showing());
  EXPECT_EQ(Application->ActiveHintWindow(), Application->HintWindow());
  // Switching off mid-hint hides and frees it.
  Application->SetShowHint(false);
  EXPECT_EQ(Application->ActiveHintWindow(), nullptr);
  EXPECT_EQ(Application->HintControl(), nullptr);
}

TEST_F(Platform_Hints, ReshowTimeoutAsksAgain) {
  int shows = 0;
  struct Handler {
    int* Shows;
    void Show(String& HintStr, bool&, THintInfo& Info) {
      ++*Shows;
      HintStr = HintStr + u" " + IntToStr(*Shows);
      Info.ReshowTimeout = 100;
    }
  } handler{&shows};
  Application->OnShowHint = TShowHintEvent(&handler, &Handler::Show);
  MoveTo(A, 20, 30);
  Wait(500);
  EXPECT_EQ(Shown(), u"Open 1");
  Wait(100);
  EXPECT_EQ(Shown(), u"Open 2");
  Wait(100);
  EXPECT_EQ(Shown(), u"Open 3");
  Application->OnShowHint = TShowHintEvent();
}

TEST_F(Platform_Hints, HintPartsAndTheLongHint) {
  EXPECT_EQ(GetShortHint(u"Cut|Moves the selection"), u"Cut");
  EXPECT_EQ(GetLongHint(u"Cut|Moves the selection"), u"Moves the selection");
  EXPECT_EQ(GetShortHint(u"Plain"), u"Plain");
  EXPECT_EQ(GetLongHint(u"Plain"), u"Plain");
  EXPECT_EQ(GetLongHint(u"a|b|c"), u"b|c");
  // A control without a hint of its own shows its parent's.
  auto* inner = new THintTarget(Form.get());
  inner->SetParent(A);
  inner->SetBounds(5, 5, 30, 20);
  EXPECT_EQ(GetHint(inner), u"Open|Opens a file");
  // At idle the application takes the long part of what is under the pointer.
  int changes = 0;
  struct Counter {
    int* N;
    void Changed(TObject*) { ++*N; }
  } counter{&changes};
  Application->OnHint = TNotifyEvent(&counter, &Counter::Changed);
  MoveTo(inner, 3, 3);
  MSG m{};
  PostMessageW(Form->Handle(), WM_NULL, 0, 0);
  Application->Idle(m);
  EXPECT_EQ(Application->Hint(), u"Opens a file");
  EXPECT_EQ(changes, 1);
  Application->OnHint = TNotifyEvent();
}

}  // namespace

}  // namespace t_hints_test
