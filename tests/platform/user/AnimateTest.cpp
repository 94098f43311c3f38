#include <thread>

#include "platform/user/Server.h"
#include "tests/platform/user/LayeredSupport.h"

namespace t_animate_test {

using namespace vcl;
using namespace usertest;

namespace {

// Every screen change of the animated window: how much of it was shown and
// the screen composed at that moment.
struct Frame {
  double Shown;
  TGdiSurfacePtr Screen;
};
HWND gWatched = nullptr;
std::vector<Frame>& Frames() {
  static std::vector<Frame> v;
  return v;
}
void Record() {  // lock held
  auto& s = server::S();
  server::Window* w = server::Find(gWatched);
  if (w && w->Animating) Frames().push_back({w->AnimShown, s.Hook.ComposeScreen()});
}

class Platform_Animate : public ShapeTest {
 protected:
  void SetUp() override {
    ShapeTest::SetUp();
    SetVirtualClock(true);
  }
  void TearDown() override {
    Watch(nullptr);
    ShapeTest::TearDown();
  }
  // Records the frames of h through the server's screen hook (nullptr: stop,
  // giving the hook back).
  void Watch(HWND h) {
    std::lock_guard<std::mutex> lk(server::S().Lock);
    auto& hook = server::S().Hook.ScreenChanged;
    if (h && hook != Record) saved_ = hook;
    gWatched = h;
    Frames().clear();
    hook = h ? Record : saved_;
  }
  void (*saved_)() = nullptr;
  // The frame half-way through.
  const Frame* Half() {
    for (auto& f : Frames())
      if (f.Shown == 0.5) return &f;
    return nullptr;
  }
  static uint32_t At(const Frame* f, int x, int y) { return f->Screen->Pixel(x, y) | 0xFF000000u; }
};

// Four quadrants: red, blue above green, yellow.
constexpr COLORREF kTL = RGB(255, 0, 0), kTR = RGB(0, 0, 255), kBL = RGB(0, 255, 0), kBR = RGB(255, 255, 0);
void PaintQuadrants(HWND h) {
  SetHandler(h, [](HWND hw, UINT msg, WPARAM, LPARAM, bool& handled) -> LRESULT {
    handled = msg == WM_PAINT;
    if (!handled) return 0;
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hw, &ps);
    RECT c;
    GetClientRect(hw, &c);
    int mx = c.Right / 2, my = c.Bottom / 2;
    const std::pair<RECT, COLORREF> parts[] = {{RECT(0, 0, mx, my), kTL},
                                               {RECT(mx, 0, c.Right, my), kTR},
                                               {RECT(0, my, mx, c.Bottom), kBL},
                                               {RECT(mx, my, c.Right, c.Bottom), kBR}};
    for (auto& [r, col] : parts) {
      HBRUSH b = CreateSolidBrush(col);
      FillRect(dc, &r, b);
      DeleteObject(b);
    }
    EndPaint(hw, &ps);
    return 0;
  });
}

TEST_F(Platform_Animate, BlendFadesInAndOutThroughTheScreenOnTheClock) {
  HWND h = MakeTop(50, 50, 100, 60, WS_POPUP);
  PaintSolid(h, RGB(255, 255, 255));
  Pump();
  ClearLog();
  Watch(h);
  DWORD start = GetTickCount();
  ASSERT_TRUE(AnimateWindow(h, 200, AW_BLEND | AW_ACTIVATE));
  EXPECT_EQ(GetTickCount() - start, 200u);
  EXPECT_TRUE(IsWindowVisible(h));
  EXPECT_EQ(GetActiveWindow(), h);
  // Shown as ShowWindow shows, and painted before the first visible frame.
  auto msgs = MessagesOf(h, {WM_SHOWWINDOW, WM_PAINT});
  ASSERT_GE(msgs.size(), 2u);
  EXPECT_EQ(msgs[0], UINT(WM_SHOWWINDOW));
  EXPECT_EQ(msgs[1], UINT(WM_PAINT));
  // The frames rise from the desktop to white through every step.
  auto& f = Frames();
  ASSERT_GE(f.size(), 20u);
  EXPECT_EQ(f.front().Screen->Pixel(80, 80) | 0xFF000000u, Opaque(kDesk));
  EXPECT_EQ(f.back().Screen->Pixel(80, 80) | 0xFF000000u, 0xFFFFFFFFu);
  for (size_t i = 1; i < f.size(); ++i) EXPECT_GE(f[i].Screen->Pixel(80, 80) & 0xFF, f[i - 1].Screen->Pixel(80, 80) & 0xFF);
  const Frame* half = Half();
  ASSERT_TRUE(half);
  EXPECT_EQ(At(half, 80, 80), MixRef(0xFFFFFFFFu, Opaque(kDesk), 128));
  EXPECT_EQ(CaptureScreen().Pixel(80, 80), 0xFFFFFFFFu);

  ClearLog();
  Watch(h);
  ASSERT_TRUE(AnimateWindow(h, 300, AW_BLEND | AW_HIDE));
  EXPECT_FALSE(IsWindowVisible(h));
  ASSERT_GE(Frames().size(), 30u);
  EXPECT_EQ(Frames().front().Screen->Pixel(80, 80) | 0xFF000000u, 0xFFFFFFFFu);
  EXPECT_EQ(At(Half(), 80, 80), MixRef(0xFFFFFFFFu, Opaque(kDesk), 128));
  auto shows = MessagesOf(h, {WM_SHOWWINDOW});
  ASSERT_EQ(shows.size(), 1u);
  {
    std::lock_guard<std::mutex> lk(LogLock());
    for (auto& l : Log())
      if (l.Hwnd == h && l.Msg == WM_SHOWWINDOW) {
        EXPECT_EQ(l.WParam, 0u);
      }
  }
  EXPECT_EQ(CaptureScreen().Pixel(80, 80), Opaque(kDesk));
  // The hidden window takes the pointer no more.
  EXPECT_EQ(WindowFromPoint(TPoint(80, 80)), nullptr);
}

TEST_F(Platform_Animate, RollsSlidesAndCentreShowTheRightPartAtHalfWay) {
  // The window covers (50, 50)-(150, 110); probes name the quadrant they see.
  struct Case {
    DWORD Flags;
    TPoint Probe[2];
    uint32_t Want[2];
  };
  const uint32_t desk = Opaque(kDesk);
  const Case cases[] = {
      // Roll left to right: the left half, in place.
      {AW_HOR_POSITIVE, {TPoint(60, 60), TPoint(110, 60)}, {Opaque(kTL), desk}},
      // Slide left to right: the right half of the content at the left.
      {AW_SLIDE | AW_HOR_POSITIVE, {TPoint(60, 60), TPoint(110, 60)}, {Opaque(kTR), desk}},
      // Roll and slide bottom to top.
      {AW_VER_NEGATIVE, {TPoint(60, 90), TPoint(60, 60)}, {Opaque(kBL), desk}},
      {AW_SLIDE | AW_VER_NEGATIVE, {TPoint(60, 90), TPoint(60, 60)}, {Opaque(kTL), desk}},
      // Diagonal: one quarter.
      {AW_SLIDE | AW_HOR_NEGATIVE | AW_VER_POSITIVE, {TPoint(110, 60), TPoint(60, 60)}, {Opaque(kBL), desk}},
      // From the centre outward.
      {AW_CENTER, {TPoint(80, 70), TPoint(52, 52)}, {Opaque(kTL), desk}},
      // Hiding rolls away left to right: the right half stays, in place.
      {AW_HIDE | AW_HOR_POSITIVE, {TPoint(60, 60), TPoint(110, 60)}, {desk, Opaque(kTR)}},
      {AW_HIDE | AW_SLIDE | AW_HOR_POSITIVE, {TPoint(60, 60), TPoint(110, 60)}, {desk, Opaque(kTL)}},
      {AW_HIDE | AW_CENTER, {TPoint(140, 100), TPoint(110, 90)}, {desk, Opaque(kBR)}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Flags);
    bool hide = c.Flags & AW_HIDE;
    HWND h = MakeTop(50, 50, 100, 60, hide ? WS_POPUP | WS_VISIBLE : WS_POPUP);
    PaintQuadrants(h);
    InvalidateRect(h, nullptr, false);
    Pump();
    Watch(h);
    HWND active = GetActiveWindow();
    ASSERT_TRUE(AnimateWindow(h, 100, c.Flags));
    if (!hide) {
      EXPECT_EQ(GetActiveWindow(), active);  // shown without AW_ACTIVATE
    }
    const Frame* half = Half();
    ASSERT_TRUE(half);
    EXPECT_EQ(At(half, c.Probe[0].X, c.Probe[0].Y), c.Want[0]);
    EXPECT_EQ(At(half, c.Probe[1].X, c.Probe[1].Y), c.Want[1]);
    EXPECT_EQ(IsWindowVisible(h), !hide);
    Watch(nullptr);
    DestroyWindow(h);
  }
}

TEST_F(Platform_Animate, InvalidCallsFailAsThePlatformDoes) {
  HWND shown = MakeTop(0, 0, 50, 50);
  HWND hidden = MakeTop(0, 0, 50, 50, WS_POPUP);
  HWND child = MakeChild(shown, 0, 0, 10, 10, WS_CHILD);
  SetLastError(0);
  EXPECT_FALSE(AnimateWindow(shown, 100, AW_BLEND));  // already visible
  EXPECT_FALSE(AnimateWindow(hidden, 100, AW_BLEND | AW_HIDE));  // already hidden
  EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
  EXPECT_FALSE(AnimateWindow(hidden, 100, AW_SLIDE));  // a slide needs a direction
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  SetLastError(0);
  EXPECT_FALSE(AnimateWindow(hidden, 100, 0));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  SetLastError(0);
  EXPECT_FALSE(AnimateWindow(child, 100, AW_BLEND));  // fades are for top-level windows
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  SetLastError(0);
  EXPECT_FALSE(AnimateWindow(hidden, 100, AW_BLEND | 0x100));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_FALSE(AnimateWindow(HwndFromValue(0x7777), 100, AW_BLEND));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_WINDOW_HANDLE);
  bool other = true;
  DWORD err = 1;
  std::thread t([&] {
    SetLastError(7);
    other = AnimateWindow(hidden, 100, AW_BLEND);
    err = GetLastError();
  });
  t.join();
  EXPECT_FALSE(other);
  EXPECT_EQ(err, ERROR_SUCCESS);
  EXPECT_FALSE(IsWindowVisible(hidden));
  // Nothing above moved the clock or changed the windows.
  EXPECT_TRUE(IsWindowVisible(shown));
  // A roll of a child window ends shown, with the usual messages.
  ClearLog();
  ASSERT_TRUE(AnimateWindow(child, 50, AW_VER_POSITIVE));
  EXPECT_TRUE(IsWindowVisible(child));
  EXPECT_EQ(MessagesOf(child, {WM_SHOWWINDOW}).size(), 1u);
  ASSERT_TRUE(AnimateWindow(child, 0, AW_HIDE | AW_VER_POSITIVE));
  EXPECT_FALSE(IsWindowVisible(child));
}

}  // namespace

}  // namespace t_animate_test
