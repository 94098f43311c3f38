// The X11 display against a private X server (Xvfb on a free display
// number): what the window shows, real input arriving as window messages,
// closing the window, and the server going away. Skipped with a message
// where no Xvfb starts or the build has no X11 display.
#include <gtest/gtest.h>

#include "platform/desktop/Display.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/StdCtrls.h"
#include "tests/platform/user/UserTestSupport.h"

#ifdef QN_HAVE_X11
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/xcb.h>
#include <xcb/xtest.h>

#include <chrono>
#include <cstring>
#include <functional>
#endif

using namespace vcl;
using namespace usertest;

namespace {

#ifdef QN_HAVE_X11

// A private X server for one test.
class Xvfb {
 public:
  ~Xvfb() { Kill(); }
  // Starts it; false (with why) when it cannot.
  bool Start(std::string& why) {
    int fds[2];
    if (pipe(fds) != 0) {
      why = "no pipe";
      return false;
    }
    pid_ = fork();
    if (pid_ == 0) {
      close(fds[0]);
      int devnull = open("/dev/null", O_WRONLY);
      if (devnull >= 0) {
        dup2(devnull, 1);
        dup2(devnull, 2);
      }
      std::string fd = std::to_string(fds[1]);
      execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-nolisten", "tcp", "-screen", "0", "1024x768x24",
             static_cast<char*>(nullptr));
      _exit(127);
    }
    close(fds[1]);
    if (pid_ < 0) {
      close(fds[0]);
      why = "fork failed";
      return false;
    }
    // The server writes its display number once it listens.
    std::string number;
    pollfd p{fds[0], POLLIN, 0};
    auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (std::chrono::steady_clock::now() < until) {
      if (poll(&p, 1, 100) <= 0) continue;
      char c;
      ssize_t n = read(fds[0], &c, 1);
      if (n <= 0) break;
      if (c == '\n') break;
      number += c;
    }
    close(fds[0]);
    if (number.empty()) {
      why = "Xvfb did not start (is the xvfb package installed?)";
      Kill();
      return false;
    }
    name_ = ":" + number;
    return true;
  }
  void Kill() {
    if (pid_ > 0) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
      pid_ = -1;
    }
  }
  const std::string& Name() const { return name_; }

 private:
  pid_t pid_ = -1;
  std::string name_;
};

// The test's own connection: reads the window back and plays a person.
class Person {
 public:
  explicit Person(const std::string& display) { c_ = xcb_connect(display.c_str(), nullptr); }
  ~Person() { xcb_disconnect(c_); }
  bool Ok() const { return c_ && !xcb_connection_has_error(c_); }
  xcb_window_t Root() const { return xcb_setup_roots_iterator(xcb_get_setup(c_)).data->root; }

  // The window's pixels as 0x00RRGGBB.
  TScreenImage Read(xcb_window_t w, int width, int height) {
    TScreenImage img;
    img.Width = width;
    img.Height = height;
    img.Pixels.resize(size_t(width) * size_t(height));
    // In bands, so one reply stays below the request limit.
    for (int y = 0; y < height; y += 64) {
      int n = std::min(64, height - y);
      auto* r = xcb_get_image_reply(
          c_, xcb_get_image(c_, XCB_IMAGE_FORMAT_Z_PIXMAP, w, 0, int16_t(y), uint16_t(width), uint16_t(n), ~0u),
          nullptr);
      if (!r) return {};
      const uint32_t* px = reinterpret_cast<const uint32_t*>(xcb_get_image_data(r));
      for (int i = 0; i < n * width; ++i) img.Pixels[size_t(y) * size_t(width) + size_t(i)] = px[i] & 0x00FFFFFF;
      free(r);
    }
    return img;
  }
  void MoveTo(int x, int y) { Fake(XCB_MOTION_NOTIFY, 0, x, y); }
  void Button(int b, bool down) { Fake(down ? XCB_BUTTON_PRESS : XCB_BUTTON_RELEASE, uint8_t(b), 0, 0); }
  void Key(uint32_t keysym, bool down) { Fake(down ? XCB_KEY_PRESS : XCB_KEY_RELEASE, KeycodeOf(keysym), 0, 0); }
  void Focus(xcb_window_t w) {
    xcb_set_input_focus(c_, XCB_INPUT_FOCUS_POINTER_ROOT, w, XCB_CURRENT_TIME);
    Flush();
  }
  // What a window manager sends when the person closes the window.
  void AskToClose(xcb_window_t w) {
    xcb_client_message_event_t e{};
    e.response_type = XCB_CLIENT_MESSAGE;
    e.window = w;
    e.format = 32;
    e.type = Atom("WM_PROTOCOLS");
    e.data.data32[0] = Atom("WM_DELETE_WINDOW");
    e.data.data32[1] = XCB_CURRENT_TIME;
    xcb_send_event(c_, 0, w, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&e));
    Flush();
  }
  void Flush() { free(xcb_get_input_focus_reply(c_, xcb_get_input_focus(c_), nullptr)); }

 private:
  void Fake(uint8_t type, uint8_t detail, int x, int y) {
    xcb_test_fake_input(c_, type, detail, XCB_CURRENT_TIME, type == XCB_MOTION_NOTIFY ? Root() : XCB_NONE,
                        int16_t(x), int16_t(y), 0);
    Flush();
  }
  xcb_atom_t Atom(const char* n) {
    auto* r = xcb_intern_atom_reply(c_, xcb_intern_atom(c_, 0, uint16_t(strlen(n)), n), nullptr);
    xcb_atom_t a = r ? r->atom : 0;
    free(r);
    return a;
  }
  uint8_t KeycodeOf(uint32_t keysym) {
    const xcb_setup_t* s = xcb_get_setup(c_);
    int count = s->max_keycode - s->min_keycode + 1;
    auto* r = xcb_get_keyboard_mapping_reply(c_, xcb_get_keyboard_mapping(c_, s->min_keycode, uint8_t(count)), nullptr);
    uint8_t found = 0;
    if (r) {
      const xcb_keysym_t* syms = xcb_get_keyboard_mapping_keysyms(r);
      for (int k = 0; k < count && !found; ++k)
        for (int i = 0; i < r->keysyms_per_keycode; ++i)
          if (syms[k * r->keysyms_per_keycode + i] == keysym) {
            found = uint8_t(s->min_keycode + k);
            break;
          }
      free(r);
    }
    return found;
  }
  xcb_connection_t* c_ = nullptr;
};

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
