// The X11 display against a private X server (Xvfb on a free display
// number): what the window shows, real input arriving as window messages,
// closing the window, and the server going away. Skipped with a message
// where no Xvfb starts or the build has no X11 display.
#include <gtest/gtest.h>

#include "platform/desktop/Display.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/StdCtrls.h"
#include "tests/common/Xvfb.h"
#include "tests/platform/user/UserTestSupport.h"

#ifdef QN_HAVE_X11
#include <chrono>
#include <functional>
#endif

namespace t_x11_display_test {

using namespace vcl;
using namespace usertest;

namespace {

#ifdef QN_HAVE_X11

using xtest::Person;
using xtest::Xvfb;

class Platform_X11Display : public ServerTest {
 protected:
  void SetUp() override {
    ServerTest::SetUp();
    ResetInput();
    SetVirtualClock(false);
    SetScreenSize(640, 480);
    std::string why;
    if (!server_.Start(why)) GTEST_SKIP() << "no X server for the X11 display tests: " << why;
    StartX11Display(server_.Name());
    info_ = DisplayInfo();
    person_ = std::make_unique<Person>(server_.Name());
    ASSERT_TRUE(person_->Ok());
  }
  void TearDown() override {
    person_.reset();
    StopDisplay();
    server_.Kill();
    ReleaseCapture();
    SetFocus(nullptr);
    ResetInput();
    ResetScreenConfiguration();
    ServerTest::TearDown();
  }
  // Runs the message loop, waiting the way programs wait (on the display),
  // until done says so or two seconds have passed. Returns done's last word.
  bool RunUntil(const std::function<bool()>& done) {
    auto until = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (!done()) {
      if (std::chrono::steady_clock::now() > until) return false;
      MsgWaitForMultipleObjects(0, nullptr, false, 50, QS_ALLINPUT);
      MSG m;
      while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
        if (m.message == WM_QUIT) {
          quit_ = int(m.wParam);
          continue;
        }
        TranslateMessage(&m);
        DispatchMessageW(&m);
      }
    }
    return true;
  }
  // The window's pixels equal the composed screen's colours.
  void ExpectShowsScreen(const char* when) {
    TScreenImage screen = CaptureScreen();
    TScreenImage shown = person_->Read(info_.Window, info_.Width, info_.Height);
    ASSERT_EQ(shown.Width, screen.Width) << when;
    ASSERT_EQ(shown.Height, screen.Height) << when;
    int wrong = 0, firstX = -1, firstY = -1;
    for (int y = 0; y < screen.Height; ++y)
      for (int x = 0; x < screen.Width; ++x)
        if ((screen.Pixel(x, y) & 0x00FFFFFF) != shown.Pixel(x, y) && wrong++ == 0) {
          firstX = x;
          firstY = y;
        }
    EXPECT_EQ(wrong, 0) << when << ": first at " << firstX << "," << firstY;
  }
  Xvfb server_;
  std::unique_ptr<Person> person_;
  TDisplayInfo info_;
  int quit_ = -1;
};

void Fill(HWND h, COLORREF c) {
  SetHandler(h, [c](HWND w, UINT msg, WPARAM, LPARAM, bool& handled) -> LRESULT {
    handled = false;
    if (msg != WM_PAINT) return 0;
    handled = true;
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(w, &ps);
    HBRUSH b = CreateSolidBrush(c);
    RECT r;
    GetClientRect(w, &r);
    FillRect(dc, &r, b);
    DeleteObject(b);
    EndPaint(w, &ps);
    return 0;
  });
}

TEST_F(Platform_X11Display, WindowShowsTheComposedScreenThroughPaintsMovesAndLayers) {
  EXPECT_EQ(info_.Width, 640);
  EXPECT_EQ(info_.Height, 480);
  HWND a = MakeTop(20, 30, 200, 150, WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  HWND b = MakeTop(150, 100, 180, 120);
  Fill(b, RGB(200, 40, 40));
  HWND child = MakeChild(b, 10, 10, 60, 30);
  Fill(child, RGB(30, 160, 60));
  Pump();
  PresentDisplay();
  ExpectShowsScreen("after painting");

  // Only what changed travels: a moved window shows where it went and
  // uncovers what it hid.
  SetWindowPos(b, nullptr, 300, 260, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  Pump();
  int64_t sent = PresentDisplay();
  EXPECT_LT(sent, 640 * 480 / 2);
  ExpectShowsScreen("after a move");

  // A repaint of one child sends about that child.
  Fill(child, RGB(250, 220, 0));
  InvalidateRect(child, nullptr, true);
  Pump();
  sent = PresentDisplay();
  EXPECT_LE(sent, 60 * 30 * 2);
  ExpectShowsScreen("after a child repainted");

  // A layered window at half opacity, then a new picture.
  HWND l = MakeTop(60, 60, 120, 90, WS_POPUP | WS_VISIBLE, WS_EX_LAYERED);
  Fill(l, RGB(0, 0, 255));
  SetLayeredWindowAttributes(l, 0, 128, LWA_ALPHA);
  Pump();
  PresentDisplay();
  ExpectShowsScreen("after a layered window appeared");
  SetLayeredWindowAttributes(l, 0, 40, LWA_ALPHA);
  Pump();
  PresentDisplay();
  ExpectShowsScreen("after the layered window faded");
  DestroyWindow(l);
  DestroyWindow(a);
  Pump();
  PresentDisplay();
  ExpectShowsScreen("after windows went");
}

TEST_F(Platform_X11Display, WithoutSharedMemoryFramesGoThroughPutImage) {
  EXPECT_TRUE(info_.SharedMemory);  // Xvfb offers it
  StopDisplay();
  setenv("QN_X11_NO_SHM", "1", 1);
  StartX11Display(server_.Name());
  unsetenv("QN_X11_NO_SHM");
  info_ = DisplayInfo();
  EXPECT_FALSE(info_.SharedMemory);
  HWND a = MakeTop(100, 80, 300, 200, WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  Fill(MakeChild(a, 20, 20, 100, 50), RGB(10, 120, 200));
  Pump();
  PresentDisplay();
  ExpectShowsScreen("through PutImage");
  SetWindowPos(a, nullptr, 5, 5, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  Pump();
  PresentDisplay();
  ExpectShowsScreen("through PutImage after a move");
}

TEST_F(Platform_X11Display, PointerAndKeysArriveAsTheMessagesOfTheWindowsUnderThem) {
  auto* form = new TForm(Application);
  form->SetPosition(poDesigned);
  form->SetBounds(40, 40, 300, 200);
  int clicks = 0;
  auto* button = new TButton(form);
  button->SetParent(form);
  button->SetCaption(u"Press");
  button->SetBounds(20, 20, 100, 30);
  button->SetOnClick([&](TObject*) { ++clicks; });
  form->Show();
  Pump();

  // A click through the X server fires the button.
  TPoint at = button->ClientToScreen(TPoint(50, 15));
  person_->MoveTo(at.X, at.Y);
  person_->Button(1, true);
  person_->Button(1, false);
  EXPECT_TRUE(RunUntil([&] { return clicks == 1; }));

  // Typing "Ab" into a focused window: keys, then characters, in order.
  HWND edit = MakeChild(form->Handle(), 20, 80, 200, 24);
  SetFocus(edit);
  Pump();
  ClearLog();
  person_->Focus(info_.Window);
  person_->Key(0xffe1, true);  // Shift_L
  person_->Key('a', true);
  person_->Key('a', false);
  person_->Key(0xffe1, false);
  person_->Key('b', true);
  person_->Key('b', false);
  auto typed = [&] {
    std::vector<std::pair<UINT, WPARAM>> v;
    std::lock_guard<std::mutex> lk(LogLock());
    for (auto& m : Log())
      if (m.Hwnd == edit && (m.Msg == WM_KEYDOWN || m.Msg == WM_CHAR)) v.push_back({m.Msg, m.WParam});
    return v;
  };
  EXPECT_TRUE(RunUntil([&] { return typed().size() >= 5; }));
  std::vector<std::pair<UINT, WPARAM>> want = {
      {WM_KEYDOWN, VK_SHIFT}, {WM_KEYDOWN, 'A'}, {WM_CHAR, 'A'}, {WM_KEYDOWN, 'B'}, {WM_CHAR, 'b'}};
  EXPECT_EQ(typed(), want);

  // The wheel turns for the focus window.
  ClearLog();
  person_->Button(4, true);
  person_->Button(4, false);
  person_->Button(5, true);
  person_->Button(5, false);
  auto wheels = [&] {
    std::vector<int> v;
    std::lock_guard<std::mutex> lk(LogLock());
    for (auto& m : Log())
      if (m.Hwnd == edit && m.Msg == WM_MOUSEWHEEL) v.push_back(int(int16_t(HIWORD(m.WParam))));
    return v;
  };
  EXPECT_TRUE(RunUntil([&] { return wheels().size() >= 2; }));
  EXPECT_EQ(wheels(), (std::vector<int>{WHEEL_DELTA, -WHEEL_DELTA}));
  delete form;
}

TEST_F(Platform_X11Display, ClosingTheWindowClosesTheFormsAndEndsTheLoop) {
  HWND a = MakeTop(10, 10, 200, 100, WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  HWND b = MakeTop(250, 10, 200, 100, WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  HWND hiddenForm = MakeTop(10, 200, 200, 100, WS_OVERLAPPEDWINDOW);
  Pump();
  ClearLog();
  person_->AskToClose(info_.Window);
  EXPECT_TRUE(RunUntil([&] { return quit_ >= 0; }));
  EXPECT_EQ(quit_, 0);
  EXPECT_EQ(MessagesOf(a, {WM_CLOSE}).size(), 1u);
  EXPECT_EQ(MessagesOf(b, {WM_CLOSE}).size(), 1u);
  EXPECT_TRUE(MessagesOf(hiddenForm, {WM_CLOSE}).empty());
  // The default answer to WM_CLOSE destroys the window.
  EXPECT_FALSE(IsWindow(a));
  EXPECT_FALSE(IsWindow(b));
}

TEST_F(Platform_X11Display, ALostServerEndsTheLoopWithItsMessage) {
  MakeTop(10, 10, 200, 100, WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  Pump();
  testing::internal::CaptureStderr();
  server_.Kill();
  bool ended = RunUntil([&] { return quit_ >= 0; });
  std::string err = testing::internal::GetCapturedStderr();
  EXPECT_TRUE(ended);
  EXPECT_EQ(quit_, 1);
  EXPECT_EQ(CurrentDisplay(), TDisplayKind::Headless);
  EXPECT_NE(DisplayError().find("lost the connection to the X display"), std::string::npos);
  EXPECT_NE(err.find("lost the connection"), std::string::npos);
  // The program goes on headless: its windows still paint and compose.
  Pump();
  EXPECT_EQ(CaptureScreen().Width, 640);
}

#endif

TEST(Platform_DisplayChoice, HeadlessUnlessAskedAndNoX11CodeRunsInTests) {
  // The test programs keep the display headless whatever DISPLAY says.
  EXPECT_EQ(ChooseDisplay(), TDisplayKind::Headless);
  EXPECT_EQ(CurrentDisplay(), TDisplayKind::Headless);
  EXPECT_EQ(PresentDisplay(), 0);
  EXPECT_EQ(DisplayInfo().Window, 0u);
  // A virtual clock never runs on a display.
  SetVirtualClock(true);
  EXPECT_THROW(StartX11Display(":0"), EDisplayError);
  SetVirtualClock(false);
}

}  // namespace

}  // namespace t_x11_display_test
