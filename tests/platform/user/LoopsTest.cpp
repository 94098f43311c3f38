// The modal loops driven by queued input: moving, sizing, drag detection,
// the idle hook, and the messages that keep flowing while a loop runs.
#include <algorithm>

#include "tests/platform/user/UserTestSupport.h"

namespace t_loops_test {

using namespace vcl;
using namespace usertest;

namespace {

class LoopTest : public InputServerTest {
 protected:
  void TearDown() override {
    InputServerTest::TearDown();
    ResetScreenConfiguration();
  }
  static TRect RectOf(HWND h) {
    TRect r;
    GetWindowRect(h, &r);
    return r;
  }
  // A point in the middle of the caption's free part.
  static TPoint CaptionPoint(HWND h) {
    TRect r = RectOf(h);
    return TPoint(r.Left + r.Width() / 3, r.Top + Frame() + GetSystemMetrics(SM_CYCAPTION) / 2);
  }
  static HWND Framed(int x, int y, int w, int h, DWORD extra = 0) {
    return MakeTop(x, y, w, h, WS_OVERLAPPEDWINDOW | WS_VISIBLE | extra);
  }
  // The log's messages of a window between two messages (exclusive).
  static std::vector<UINT> Between(HWND h, UINT first, UINT last) {
    auto all = MessagesOf(h);
    auto a = std::find(all.begin(), all.end(), first), b = std::find(all.begin(), all.end(), last);
    if (a == all.end() || b == all.end() || b < a) return {};
    return std::vector<UINT>(a + 1, b);
  }
};

class Platform_MoveLoop : public LoopTest {};
class Platform_SizeLoop : public LoopTest {};
class Platform_ModalIdle : public LoopTest {};

TEST_F(Platform_MoveLoop, CaptionDragMovesByThePointerDelta) {
  HWND h = Framed(100, 100, 300, 200);
  Pump();
  ClearLog();
  TPoint p = CaptionPoint(h);
  InputMouseMove(p.X, p.Y);
  InputMouseDown(VK_LBUTTON);
  InputMouseMove(p.X + 30, p.Y + 25);
  InputMouseMove(p.X + 60, p.Y + 75);
  InputMouseUp(VK_LBUTTON);
  Pump();
  EXPECT_EQ(RectOf(h), Bounds(160, 175, 300, 200));
  EXPECT_EQ(GetCapture(), nullptr);
  auto seq = MessagesOf(h, {WM_ENTERSIZEMOVE, WM_MOVING, WM_MOVE, WM_EXITSIZEMOVE, WM_SIZING});
  EXPECT_EQ(seq, (std::vector<UINT>{WM_ENTERSIZEMOVE, WM_MOVING, WM_MOVE, WM_MOVING, WM_MOVE, WM_EXITSIZEMOVE}));
  // The client area's new origin arrives with the last WM_MOVE.
  LPARAM last = 0;
  {
    std::lock_guard<std::mutex> lk(LogLock());
    for (auto& l : Log())
      if (l.Hwnd == h && l.Msg == WM_MOVE) last = l.LParam;
  }
  POINT origin{0, 0};
  ClientToScreen(h, &origin);
  EXPECT_EQ(TPoint(GET_X_LPARAM(last), GET_Y_LPARAM(last)), origin);
}

TEST_F(Platform_MoveLoop, MovingRectangleClampsTheTopLeftOnly) {
  HWND h = Framed(100, 100, 300, 200);
  // Keeps the window right of x = 80 and below y = 90; the answer's size is
  // nonsense on purpose: a move keeps the window's size.
  SetHandler(h, [](HWND, UINT msg, WPARAM, LPARAM lp, bool& handled) -> LRESULT {
    handled = msg == WM_MOVING;
    if (handled) {
      auto* r = reinterpret_cast<RECT*>(lp);
      r->Left = std::max<int>(r->Left, 80);
      r->Top = std::max<int>(r->Top, 90);
      r->Right = r->Left + 5;
      r->Bottom = r->Top + 5;
      return 1;
    }
    return 0;
  });
  Pump();
  TPoint p = CaptionPoint(h);
  InputMouseMove(p.X, p.Y);
  InputMouseDown(VK_LBUTTON);
  InputMouseMove(p.X - 70, p.Y + 40);
  InputMouseUp(VK_LBUTTON);
  Pump();
  EXPECT_EQ(RectOf(h), Bounds(80, 140, 300, 200));
}

TEST_F(Platform_MoveLoop, EscapePutsTheWindowBackAndChildMovesStayInTheParent) {
  HWND h = Framed(100, 100, 300, 200);
  Pump();
  TPoint p = CaptionPoint(h);
  InputMouseMove(p.X, p.Y);
  InputMouseDown(VK_LBUTTON);
  InputMouseMove(p.X + 50, p.Y + 50);
  InputKeyDown(VK_ESCAPE);
  InputKeyUp(VK_ESCAPE);
  InputMouseUp(VK_LBUTTON);
  SetFocus(h);
  Pump();
  EXPECT_EQ(RectOf(h), Bounds(100, 100, 300, 200));
  EXPECT_EQ(MessagesOf(h, {WM_EXITSIZEMOVE}).size(), 1u);

  // A captioned child moves in its parent's client coordinates.
  HWND parent = MakeTop(500, 100, 400, 400);
  HWND child = CreateWindowExW(0, TestClass(), u"child", WS_CHILD | WS_VISIBLE | WS_CAPTION | WS_SYSMENU, 10, 20,
                               200, 150, parent, nullptr, nullptr, nullptr);
  Pump();
  p = CaptionPoint(child);
  InputMouseMove(p.X, p.Y);
  InputMouseDown(VK_LBUTTON);
  InputMouseMove(p.X + 15, p.Y + 7);
  InputMouseUp(VK_LBUTTON);
  Pump();
  EXPECT_EQ(RectOf(child), Bounds(525, 127, 200, 150));
}

TEST_F(Platform_MoveLoop, KeyboardMoveFromTheSystemCommand) {
  HWND h = Framed(100, 100, 300, 200);
  Pump();
  SetFocus(h);
  InputKeyDown(VK_RIGHT);
  InputKeyDown(VK_RIGHT);
  InputKeyDown(VK_DOWN);
  InputKeyDown(VK_RETURN);
  SendMessageW(h, WM_SYSCOMMAND, SC_MOVE, 0);
  EXPECT_EQ(RectOf(h), Bounds(116, 108, 300, 200));
}

TEST_F(Platform_SizeLoop, BottomRightCornerRespectsMinMaxInfo) {
  HWND h = Framed(100, 100, 300, 200);
  std::vector<TRect> asked;
  SetHandler(h, [&asked](HWND, UINT msg, WPARAM wp, LPARAM lp, bool& handled) -> LRESULT {
    if (msg == WM_SIZING) {
      EXPECT_EQ(wp, WMSZ_BOTTOMRIGHT);
      asked.push_back(*reinterpret_cast<RECT*>(lp));
    }
    handled = msg == WM_GETMINMAXINFO;
    if (handled) {
      auto* m = reinterpret_cast<MINMAXINFO*>(lp);
      m->ptMinTrackSize = TPoint(200, 150);
      m->ptMaxTrackSize = TPoint(420, 310);
    }
    return 0;
  });
  Pump();
  ClearLog();
  InputMouseMove(399, 299);
  EXPECT_EQ(SendMessageW(h, WM_NCHITTEST, 0, MAKELPARAM(399, 299)), HTBOTTOMRIGHT);
  InputMouseDown(VK_LBUTTON);
  InputMouseMove(900, 800);  // beyond the largest size
  InputMouseMove(500, 400);
  InputMouseMove(110, 120);  // below the smallest
  InputMouseUp(VK_LBUTTON);
  Pump();
  EXPECT_EQ(RectOf(h), Bounds(100, 100, 200, 150));
  // Each step was asked about with the limits already applied.
  EXPECT_EQ(asked, (std::vector<TRect>{Bounds(100, 100, 420, 310), TRect(100, 100, 501, 401),
                                       Bounds(100, 100, 200, 150)}));
  EXPECT_EQ(MessagesOf(h, {WM_SIZING}).size(), 3u);
  auto sizes = MessagesOf(h, {WM_ENTERSIZEMOVE, WM_SIZE, WM_EXITSIZEMOVE});
  ASSERT_GE(sizes.size(), 3u);
  EXPECT_EQ(sizes.front(), WM_ENTERSIZEMOVE);
  EXPECT_EQ(sizes.back(), WM_EXITSIZEMOVE);
}

TEST_F(Platform_SizeLoop, EveryEdgeKeepsTheOppositeOneInPlace) {
  // Dragging each sizing edge by the same delta: the edges it names follow
  // the pointer, the others stay, and WM_SIZING names the edge.
  struct Case {
    LRESULT Hit;
    WPARAM Edge;
    bool L, T, R, B;
  };
  const Case cases[] = {
      {HTLEFT, WMSZ_LEFT, true, false, false, false},
      {HTRIGHT, WMSZ_RIGHT, false, false, true, false},
      {HTTOP, WMSZ_TOP, false, true, false, false},
      {HTBOTTOM, WMSZ_BOTTOM, false, false, false, true},
      {HTTOPLEFT, WMSZ_TOPLEFT, true, true, false, false},
      {HTTOPRIGHT, WMSZ_TOPRIGHT, false, true, true, false},
      {HTBOTTOMLEFT, WMSZ_BOTTOMLEFT, true, false, false, true},
      {HTBOTTOMRIGHT, WMSZ_BOTTOMRIGHT, false, false, true, true},
  };
  for (const Case& c : cases) {
    HWND h = Framed(200, 200, 400, 300);
    Pump();
    ClearLog();
    // The press goes to the hit code directly, as a window that answers
    // WM_NCHITTEST itself would have it.
    InputMouseMove(300, 300);
    InputMouseDown(VK_LBUTTON);
    Pump();
    InputMouseMove(300 + 17, 300 - 23);
    InputMouseUp(VK_LBUTTON);
    SendMessageW(h, WM_NCLBUTTONDOWN, WPARAM(c.Hit), MAKELPARAM(300, 300));
    TRect r = RectOf(h);
    TRect want(200 + (c.L ? 17 : 0), 200 + (c.T ? -23 : 0), 600 + (c.R ? 17 : 0), 500 + (c.B ? -23 : 0));
    EXPECT_EQ(r, want) << "hit " << c.Hit;
    auto edges = MessagesOf(h, {WM_SIZING});
    EXPECT_EQ(edges.size(), 1u) << "hit " << c.Hit;
    {
      std::lock_guard<std::mutex> lk(LogLock());
      for (auto& l : Log())
        if (l.Hwnd == h && l.Msg == WM_SIZING) {
          EXPECT_EQ(l.WParam, c.Edge);
        }
    }
    DestroyWindow(h);
    ResetInput();
  }
}

TEST_F(Platform_SizeLoop, MaximiseFillsTheWorkAreaOfTheWindowsMonitor) {
  TMonitorConfig a, b;
  a.Bounds = TRect(0, 0, 1024, 768);
  a.Primary = true;
  b.Bounds = TRect(1024, 0, 2048, 600);
  b.WorkArea = TRect(1024, 30, 2048, 600);  // a bar at the top
  SetScreenConfiguration({a, b});
  HWND h = Framed(1200, 100, 300, 200);
  Pump();
  SendMessageW(h, WM_SYSCOMMAND, SC_MAXIMIZE, 0);
  EXPECT_TRUE(IsZoomed(h));
  // The frame lies just outside the work area; caption and client inside.
  int f = Frame();
  EXPECT_EQ(RectOf(h), TRect(1024 - f, 30 - f, 2048 + f, 600 + f));
  RECT cr;
  GetClientRect(h, &cr);
  POINT o{0, 0};
  ClientToScreen(h, &o);
  EXPECT_EQ(o, TPoint(1024, 30 + GetSystemMetrics(SM_CYCAPTION)));
  EXPECT_EQ(cr.Right, 1024);
  EXPECT_EQ(o.Y + cr.Bottom, 600);
  // A maximised window neither moves nor sizes, and its frame does not size.
  EXPECT_EQ(SendMessageW(h, WM_NCHITTEST, 0, MAKELPARAM(1024 - f + 1, 300)), HTBORDER);
  SendMessageW(h, WM_SYSCOMMAND, SC_MOVE, 0);
  EXPECT_EQ(RectOf(h).Left, 1024 - f);

  // Minimised from maximised, it comes back maximised; then restored normal.
  SendMessageW(h, WM_SYSCOMMAND, SC_MINIMIZE, 0);
  EXPECT_TRUE(IsIconic(h));
  WINDOWPLACEMENT wp;
  ASSERT_TRUE(GetWindowPlacement(h, &wp));
  EXPECT_EQ(wp.showCmd, UINT(SW_SHOWMINIMIZED));
  EXPECT_EQ(wp.flags & WPF_RESTORETOMAXIMIZED, WPF_RESTORETOMAXIMIZED);
  EXPECT_EQ(wp.rcNormalPosition, Bounds(1200, 100, 300, 200));
  SendMessageW(h, WM_SYSCOMMAND, SC_RESTORE, 0);
  EXPECT_TRUE(IsZoomed(h));
  SendMessageW(h, WM_SYSCOMMAND, SC_RESTORE, 0);
  EXPECT_FALSE(IsZoomed(h));
  EXPECT_EQ(RectOf(h), Bounds(1200, 100, 300, 200));
}

TEST_F(Platform_SizeLoop, PlacementRoundTripsThroughTheStates) {
  HWND h = Framed(100, 100, 300, 200);
  WINDOWPLACEMENT wp;
  ASSERT_TRUE(GetWindowPlacement(h, &wp));
  EXPECT_EQ(wp.showCmd, UINT(SW_SHOWNORMAL));
  EXPECT_EQ(wp.rcNormalPosition, Bounds(100, 100, 300, 200));
  // Minimised with a new normal rectangle and a maximised way back.
  wp.showCmd = SW_SHOWMINIMIZED;
  wp.flags = WPF_RESTORETOMAXIMIZED;
  wp.rcNormalPosition = Bounds(50, 60, 320, 240);
  ASSERT_TRUE(SetWindowPlacement(h, &wp));
  EXPECT_TRUE(IsIconic(h));
  ShowWindow(h, SW_RESTORE);
  EXPECT_TRUE(IsZoomed(h));
  ShowWindow(h, SW_RESTORE);
  EXPECT_EQ(RectOf(h), Bounds(50, 60, 320, 240));
  // Normal placement of a normal window moves it.
  wp.showCmd = SW_SHOWNORMAL;
  wp.flags = 0;
  wp.rcNormalPosition = Bounds(10, 20, 330, 250);
  ASSERT_TRUE(SetWindowPlacement(h, &wp));
  EXPECT_EQ(RectOf(h), Bounds(10, 20, 330, 250));
  WINDOWPLACEMENT bad;
  bad.length = 3;
  EXPECT_FALSE(SetWindowPlacement(h, &bad));
}

TEST_F(Platform_ModalIdle, AnEmptyQueueCallsTheHookWhichEndsTheLoop) {
  HWND h = Framed(100, 100, 300, 200);
  Pump();
  ClearLog();
  IdleHook hook([](int) { return false; });
  SendMessageW(h, WM_SYSCOMMAND, SC_MOVE, 0);  // from the keyboard: waits for keys
  EXPECT_EQ(hook.Calls(), 1);
  EXPECT_EQ(RectOf(h), Bounds(100, 100, 300, 200));
  EXPECT_EQ(MessagesOf(h, {WM_ENTERSIZEMOVE, WM_EXITSIZEMOVE}),
            (std::vector<UINT>{WM_ENTERSIZEMOVE, WM_EXITSIZEMOVE}));
  EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(Platform_ModalIdle, TimersPostsAndPaintsRunWhileTheLoopWaits) {
  HWND h = Framed(100, 100, 300, 200);
  Pump();
  SetFocus(h);
  ClearLog();
  SetTimer(h, 7, 50, nullptr);
  PostMessageW(h, WM_APP + 1, 0, 0);
  InvalidateRect(h, nullptr, true);
  // The first idle call lets time pass, the second queues the keys that end
  // the loop, a third would be a fault.
  IdleHook hook([](int n) {
    if (n == 1) AdvanceClock(60);
    if (n == 2) {
      InputKeyDown(VK_LEFT);
      InputKeyDown(VK_RETURN);
    }
    return n <= 2;
  });
  SendMessageW(h, WM_SYSCOMMAND, SC_MOVE, 0);
  KillTimer(h, 7);
  EXPECT_EQ(hook.Calls(), 2);
  auto inside = Between(h, WM_ENTERSIZEMOVE, WM_EXITSIZEMOVE);
  auto has = [&](UINT m) { return std::count(inside.begin(), inside.end(), m); };
  EXPECT_EQ(has(WM_APP + 1), 1);
  EXPECT_EQ(has(WM_PAINT), 1);
  EXPECT_EQ(has(WM_TIMER), 1);
  EXPECT_EQ(RectOf(h), Bounds(92, 100, 300, 200));
}

TEST_F(Platform_ModalIdle, QuitEndsTheLoopAndStaysForTheOuterLoop) {
  HWND h = Framed(100, 100, 300, 200);
  Pump();
  IdleHook hook([](int) { return false; });
  PostQuitMessage(5);
  SendMessageW(h, WM_SYSCOMMAND, SC_MOVE, 0);
  EXPECT_EQ(hook.Calls(), 0);
  MSG m;
  ASSERT_TRUE(PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(m.message, WM_QUIT);
  EXPECT_EQ(m.wParam, 5u);
}

TEST_F(Platform_ModalIdle, DragDetectWatchesTheDragBox) {
  HWND h = MakeTop(100, 100, 200, 200);
  int result = -1;
  SetHandler(h, [&result](HWND w, UINT msg, WPARAM, LPARAM lp, bool& handled) -> LRESULT {
    handled = msg == WM_LBUTTONDOWN;
    if (handled) {
      POINT p{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
      ClientToScreen(w, &p);
      result = DragDetect(w, p) ? 1 : 0;
    }
    return 0;
  });
  Pump();
  // Inside the box, then out of it.
  InputMouseMove(150, 150);
  InputMouseDown(VK_LBUTTON);
  InputMouseMove(151, 152);
  InputMouseMove(150 + GetSystemMetrics(SM_CXDRAG), 150);
  InputMouseUp(VK_LBUTTON);
  Pump();
  EXPECT_EQ(result, 1);
  // Released inside the box: no drag.
  result = -1;
  InputMouseMove(160, 160);
  InputMouseDown(VK_LBUTTON);
  InputMouseMove(161, 161);
  InputMouseUp(VK_LBUTTON);
  Pump();
  EXPECT_EQ(result, 0);
  EXPECT_EQ(GetCapture(), nullptr);
}

}  // namespace

}  // namespace t_loops_test
