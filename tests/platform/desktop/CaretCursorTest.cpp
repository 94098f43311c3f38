#include <algorithm>

#include "platform/gdi/GdiIcon.h"
#include "tests/platform/user/UserTestSupport.h"

namespace t_caret_cursor_test {

using namespace vcl;
using namespace usertest;

namespace {

class PointerTest : public InputServerTest {
 protected:
  void TearDown() override {
    DestroyCaret();
    InputServerTest::TearDown();
  }
  static uint32_t Rgb(HWND h, int x, int y) { return CaptureWindow(h, true).Pixel(x, y) & 0x00FFFFFF; }
};

class Platform_Caret : public PointerTest {};
class Platform_Cursor : public PointerTest {};
class Platform_Hover : public PointerTest {};

TEST_F(Platform_Caret, BlinksOnTheClockByInvertingTheWindow) {
  HWND h = MakeTop(0, 0, 100, 100);
  Pump();
  const uint32_t paper = Rgb(h, 10, 10);
  const uint32_t ink = paper ^ 0x00FFFFFF;
  UINT blink = GetCaretBlinkTime();
  ASSERT_GT(blink, 0u);
  ASSERT_TRUE(CreateCaret(h, nullptr, 2, 12));
  ASSERT_TRUE(SetCaretPos(10, 10));
  EXPECT_FALSE(IsCaretShown());  // a new caret starts hidden
  ASSERT_TRUE(ShowCaret(h));
  EXPECT_TRUE(IsCaretShown());
  EXPECT_EQ(Rgb(h, 10, 10), ink);
  EXPECT_EQ(Rgb(h, 11, 21), ink);
  EXPECT_EQ(Rgb(h, 12, 10), paper);  // two pixels wide
  EXPECT_EQ(Rgb(h, 10, 22), paper);  // twelve high
  // The screen shows it too.
  EXPECT_EQ(CaptureScreen().Pixel(10, 10) & 0x00FFFFFF, ink);
  // Off for a period, on for the next.
  AdvanceClock(blink);
  Pump();
  EXPECT_FALSE(IsCaretShown());
  EXPECT_EQ(Rgb(h, 10, 10), paper);
  AdvanceClock(blink);
  Pump();
  EXPECT_TRUE(IsCaretShown());
  // Hiding nests; showing again starts a fresh, visible period.
  HideCaret(h);
  HideCaret(nullptr);
  EXPECT_EQ(Rgb(h, 10, 10), paper);
  ShowCaret(h);
  EXPECT_FALSE(IsCaretShown());
  AdvanceClock(blink / 2);
  ShowCaret(h);
  EXPECT_TRUE(IsCaretShown());
  EXPECT_EQ(Rgb(h, 10, 10), ink);
  // Moving puts the old pixels back and shows the caret at once.
  AdvanceClock(blink);
  SetCaretPos(40, 20);
  EXPECT_TRUE(IsCaretShown());
  EXPECT_EQ(Rgb(h, 10, 10), paper);
  EXPECT_EQ(Rgb(h, 40, 20), ink);
  POINT p;
  ASSERT_TRUE(GetCaretPos(&p));
  EXPECT_EQ(p, TPoint(40, 20));
  // Repainting the window does not double-invert it.
  InvalidateRect(h, nullptr, true);
  UpdateWindow(h);
  EXPECT_EQ(Rgb(h, 40, 20), ink);
  EXPECT_EQ(Rgb(h, 40, 32), paper);
  // Only the owner's thread and window control it; the owner's end ends it.
  EXPECT_FALSE(HideCaret(MakeTop(200, 0, 10, 10, WS_POPUP)));
  DestroyWindow(h);
  EXPECT_FALSE(GetCaretPos(&p));
  EXPECT_FALSE(IsCaretShown());
}

TEST_F(Platform_Caret, ClipsToTheClientAreaAndKeepsAFixedBlinkTime) {
  HWND h = MakeTop(0, 0, 100, 100);
  HWND child = MakeChild(h, 20, 20, 30, 30);
  Pump();
  const uint32_t paper = Rgb(h, 60, 30);
  ASSERT_TRUE(CreateCaret(child, nullptr, 0, 40));  // width 0: a border's width
  SetCaretPos(5, 10);
  ShowCaret(child);
  EXPECT_NE(Rgb(h, 25, 30), paper);
  EXPECT_NE(Rgb(h, 25, 49), paper);
  EXPECT_EQ(Rgb(h, 25, 50), Rgb(h, 25, 55));  // cut at the child's bottom edge
  // A gray caret inverts every other pixel.
  ASSERT_TRUE(CreateCaret(child, reinterpret_cast<HBITMAP>(uintptr_t(1)), 4, 4));
  SetCaretPos(0, 0);
  ShowCaret(child);
  EXPECT_NE(Rgb(h, 20, 20), Rgb(h, 19, 20));
  EXPECT_EQ(Rgb(h, 21, 20), Rgb(h, 19, 20));
  EXPECT_NE(Rgb(h, 21, 21), Rgb(h, 19, 20));
  ASSERT_TRUE(CreateCaret(child, nullptr, 0, 40));
  SetCaretPos(5, 10);
  ShowCaret(child);
  UINT old = GetCaretBlinkTime();
  SetCaretBlinkTime(INFINITE);
  AdvanceClock(10 * old);
  Pump();
  EXPECT_TRUE(IsCaretShown());
  SetCaretBlinkTime(old);
  EXPECT_TRUE(DestroyCaret());
  EXPECT_EQ(Rgb(h, 25, 30), Rgb(h, 24, 30));
  EXPECT_FALSE(DestroyCaret());
}

TEST_F(Platform_Cursor, StandardCursorsAreSharedAndDistinct) {
  const char16_t* ids[] = {IDC_ARROW, IDC_IBEAM, IDC_WAIT, IDC_CROSS, IDC_UPARROW, IDC_SIZENWSE, IDC_SIZENESW,
                           IDC_SIZEWE, IDC_SIZENS, IDC_SIZEALL, IDC_NO, IDC_HAND, IDC_APPSTARTING, IDC_HELP};
  std::vector<HCURSOR> seen;
  for (const char16_t* id : ids) {
    HCURSOR c = LoadCursorW(nullptr, id);
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(LoadCursorW(nullptr, id), c);
    EXPECT_EQ(std::count(seen.begin(), seen.end(), c), 0);
    seen.push_back(c);
    // Each has a picture: some opaque pixels, not all.
    ICONINFO info;
    ASSERT_TRUE(GetIconInfo(c, &info));
    BITMAP bm;
    GetObjectW(info.hbmColor, sizeof bm, &bm);
    EXPECT_EQ(bm.bmWidth, 32);
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
  }
  HCURSOR arrow = LoadCursorW(nullptr, IDC_ARROW);
  ICONINFO info;
  ASSERT_TRUE(GetIconInfo(arrow, &info));
  EXPECT_EQ(info.xHotspot, 1u);  // the tip
  DeleteObject(info.hbmColor);
  DeleteObject(info.hbmMask);
  DestroyCursor(arrow);
  EXPECT_TRUE(GetIconInfo(arrow, &info));  // still there for the next caller
  DeleteObject(info.hbmColor);
  DeleteObject(info.hbmMask);
  EXPECT_EQ(LoadCursorW(nullptr, reinterpret_cast<const char16_t*>(uintptr_t(32600))), nullptr);
  EXPECT_EQ(LoadCursorW(reinterpret_cast<HINSTANCE>(uintptr_t(0x400000)), IDC_ARROW), nullptr);
  EXPECT_EQ(ShowCursor(false), -1);
  EXPECT_EQ(ShowCursor(false), -2);
  EXPECT_EQ(ShowCursor(true), -1);
  EXPECT_EQ(ShowCursor(true), 0);
}

TEST_F(Platform_Cursor, ClipRectangleConfinesThePointerAndSetCursorPosIsRouted) {
  HWND h = MakeTop(100, 100, 100, 100);
  Pump();
  InputMouseMove(10, 10);
  Pump();
  ClearLog();
  RECT clip{100, 100, 200, 200};
  ASSERT_TRUE(ClipCursor(&clip));
  POINT p;
  GetCursorPos(&p);
  EXPECT_EQ(p, TPoint(100, 100));  // pulled in at once
  RECT got;
  GetClipCursor(&got);
  EXPECT_EQ(got, clip);
  InputMouseMove(500, 150);
  GetCursorPos(&p);
  EXPECT_EQ(p, TPoint(199, 150));
  InputMouseMove(-40, 400);
  GetCursorPos(&p);
  EXPECT_EQ(p, TPoint(100, 199));
  Pump();
  std::vector<TPoint> moves;
  {
    std::lock_guard<std::mutex> lk(LogLock());
    for (auto& l : Log())
      if (l.Hwnd == h && l.Msg == WM_MOUSEMOVE) moves.push_back(TPoint(GET_X_LPARAM(l.LParam), GET_Y_LPARAM(l.LParam)));
  }
  EXPECT_EQ(moves, (std::vector<TPoint>{TPoint(0, 0), TPoint(99, 50), TPoint(0, 99)}));
  // SetCursorPos is a move like any other, clamped the same way.
  ClearLog();
  SetCursorPos(150, 120);
  SetCursorPos(0, 0);
  Pump();
  EXPECT_EQ(MessagesOf(h, {WM_MOUSEMOVE}).size(), 2u);
  GetCursorPos(&p);
  EXPECT_EQ(p, TPoint(100, 100));
  // Freed: the whole screen again.
  ClipCursor(nullptr);
  GetClipCursor(&got);
  EXPECT_EQ(got, TRect(0, 0, GetSystemMetrics(SM_CXVIRTUALSCREEN), GetSystemMetrics(SM_CYVIRTUALSCREEN)));
  SetCursorPos(5, 6);
  GetCursorPos(&p);
  EXPECT_EQ(p, TPoint(5, 6));
}

TEST_F(Platform_Cursor, DefaultSetCursorShowsSizingShapesOnTheFrame) {
  HWND h = MakeTop(0, 0, 100, 100);
  LRESULT answer = HTCLIENT;
  SetHandler(h, [&](HWND, UINT msg, WPARAM, LPARAM, bool& handled) -> LRESULT {
    handled = msg == WM_NCHITTEST;
    return answer;
  });
  Pump();
  struct Case {
    LRESULT Hit;
    const char16_t* Cursor;
  };
  int x = 10;
  for (Case c : {Case{HTLEFT, IDC_SIZEWE}, Case{HTBOTTOM, IDC_SIZENS}, Case{HTTOPLEFT, IDC_SIZENWSE},
                 Case{HTBOTTOMLEFT, IDC_SIZENESW}, Case{HTCAPTION, IDC_ARROW}, Case{HTRIGHT, IDC_SIZEWE}}) {
    answer = c.Hit;
    InputMouseMove(++x, 10);
    Pump();
    EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, c.Cursor)) << c.Hit;
  }
  // In the client area without a class cursor the window is left to choose.
  SetCursor(nullptr);
  answer = HTCLIENT;
  InputMouseMove(50, 50);
  Pump();
  EXPECT_EQ(GetCursor(), nullptr);
  SetHandler(h, nullptr);
}

TEST_F(Platform_Hover, HoverIsPostedOnceAfterTheHoverTimeInTheHoverRectangle) {
  HWND h = MakeTop(100, 100, 100, 100);
  Pump();
  InputMouseMove(150, 150);
  Pump();
  TRACKMOUSEEVENT t;
  t.dwFlags = TME_HOVER | TME_LEAVE;
  t.hwndTrack = h;
  t.dwHoverTime = 100;
  ASSERT_TRUE(TrackMouseEvent(&t));
  TRACKMOUSEEVENT q;
  q.dwFlags = TME_QUERY;
  TrackMouseEvent(&q);
  EXPECT_EQ(q.dwFlags, TME_HOVER | TME_LEAVE);
  EXPECT_EQ(q.dwHoverTime, 100u);
  ClearLog();
  AdvanceClock(60);
  InputMouseMove(151, 151);  // inside the hover rectangle: the wait goes on
  Pump();
  AdvanceClock(39);
  Pump();
  EXPECT_TRUE(MessagesOf(h, {WM_MOUSEHOVER}).empty());
  AdvanceClock(1);
  Pump();
  std::vector<Logged> hover;
  {
    std::lock_guard<std::mutex> lk(LogLock());
    for (auto& l : Log())
      if (l.Msg == WM_MOUSEHOVER) hover.push_back(l);
  }
  ASSERT_EQ(hover.size(), 1u);
  EXPECT_EQ(hover[0].Hwnd, h);
  EXPECT_EQ(GET_X_LPARAM(hover[0].LParam), 51);
  EXPECT_EQ(GET_Y_LPARAM(hover[0].LParam), 51);
  AdvanceClock(1000);
  Pump();
  EXPECT_EQ(MessagesOf(h, {WM_MOUSEHOVER}).size(), 1u);  // once per request

  // A move out of the hover rectangle starts the wait again; the default
  // time is the system's.
  t.dwFlags = TME_HOVER;
  t.dwHoverTime = HOVER_DEFAULT;
  TrackMouseEvent(&t);
  UINT sys = 0;
  SystemParametersInfoW(SPI_GETMOUSEHOVERTIME, 0, &sys, 0);
  ClearLog();
  AdvanceClock(sys - 10);
  InputMouseMove(170, 170);
  Pump();
  AdvanceClock(sys - 1);
  Pump();
  EXPECT_TRUE(MessagesOf(h, {WM_MOUSEHOVER}).empty());
  AdvanceClock(1);
  Pump();
  EXPECT_EQ(MessagesOf(h, {WM_MOUSEHOVER}).size(), 1u);

  // Leaving the window ends hover tracking.
  TrackMouseEvent(&t);
  ClearLog();
  InputMouseMove(10, 10);
  AdvanceClock(sys * 2);
  Pump();
  EXPECT_TRUE(MessagesOf(h, {WM_MOUSEHOVER}).empty());
}

TEST_F(Platform_Hover, NonClientHoverCarriesTheHitCode) {
  HWND h = MakeTop(100, 100, 100, 100);
  SetHandler(h, [](HWND, UINT msg, WPARAM, LPARAM lp, bool& handled) -> LRESULT {
    handled = msg == WM_NCHITTEST;
    return GET_Y_LPARAM(lp) < 120 ? HTCAPTION : HTCLIENT;
  });
  Pump();
  InputMouseMove(150, 110);
  Pump();
  TRACKMOUSEEVENT t;
  t.dwFlags = TME_HOVER | TME_NONCLIENT;
  t.hwndTrack = h;
  t.dwHoverTime = 50;
  TrackMouseEvent(&t);
  ClearLog();
  AdvanceClock(50);
  Pump();
  std::vector<Logged> hover;
  {
    std::lock_guard<std::mutex> lk(LogLock());
    for (auto& l : Log())
      if (l.Msg == WM_NCMOUSEHOVER || l.Msg == WM_MOUSEHOVER) hover.push_back(l);
  }
  ASSERT_EQ(hover.size(), 1u);
  EXPECT_EQ(hover[0].Msg, WM_NCMOUSEHOVER);
  EXPECT_EQ(hover[0].WParam, WPARAM(HTCAPTION));
  EXPECT_EQ(GET_X_LPARAM(hover[0].LParam), 150);  // screen coordinates
  // Into the client area: the non-client hover is gone.
  TrackMouseEvent(&t);
  InputMouseMove(150, 150);
  AdvanceClock(100);
  ClearLog();
  Pump();
  EXPECT_TRUE(MessagesOf(h, {WM_NCMOUSEHOVER, WM_MOUSEHOVER}).empty());
  SetHandler(h, nullptr);
}

}  // namespace

}  // namespace t_caret_cursor_test
