#include <algorithm>

#include "tests/platform/user/UserTestSupport.h"

namespace t_input_test {

using namespace vcl;
using namespace usertest;

namespace {

class InputTest : public InputServerTest {
 protected:
  // Input messages dispatched, in order, with their parameters.
  std::vector<Logged> Mouse(HWND h) {
    std::vector<Logged> r;
    std::lock_guard<std::mutex> lk(LogLock());
    for (auto& l : Log())
      if (l.Hwnd == h && ((l.Msg >= WM_MOUSEFIRST && l.Msg <= WM_MOUSELAST) ||
                          (l.Msg >= WM_NCMOUSEMOVE && l.Msg <= WM_NCMBUTTONDBLCLK)))
        r.push_back(l);
    return r;
  }
};

class Platform_Input : public InputTest {};
class Platform_Focus : public InputTest {};

TEST_F(Platform_Input, RoutesToTheWindowUnderThePointWithHitTestFirst) {
  HWND back = MakeTop(0, 0, 400, 400);
  HWND front = MakeTop(100, 100, 100, 100);
  HWND child = MakeChild(front, 10, 10, 30, 30);
  Pump();
  ClearLog();
  InputMouseMove(115, 118);
  InputMouseMove(150, 150);
  InputMouseMove(300, 300);
  Pump();
  auto c = Mouse(child);
  ASSERT_EQ(c.size(), 1u);
  EXPECT_EQ(c[0].Msg, WM_MOUSEMOVE);
  EXPECT_EQ(GET_X_LPARAM(c[0].LParam), 5);
  EXPECT_EQ(GET_Y_LPARAM(c[0].LParam), 8);
  auto f = Mouse(front);
  ASSERT_EQ(f.size(), 1u);
  EXPECT_EQ(GET_X_LPARAM(f[0].LParam), 50);
  ASSERT_EQ(Mouse(back).size(), 1u);
  // The window is asked where the point is and told to set the cursor
  // while the message is retrieved, so both come before it.
  EXPECT_EQ(MessagesOf(child, {WM_NCHITTEST, WM_SETCURSOR, WM_MOUSEMOVE}),
            (std::vector<UINT>{WM_NCHITTEST, WM_SETCURSOR, WM_MOUSEMOVE}));
  POINT p;
  GetCursorPos(&p);
  EXPECT_EQ(p, TPoint(300, 300));
}

TEST_F(Platform_Input, HitTestAnswerChoosesNonClientMessages) {
  HWND h = MakeTop(50, 50, 100, 100);
  SetHandler(h, [](HWND, UINT msg, WPARAM, LPARAM lp, bool& handled) -> LRESULT {
    // The press is answered here: the default would start the move loop.
    handled = msg == WM_NCHITTEST || msg == WM_NCLBUTTONDOWN;
    return GET_Y_LPARAM(lp) < 70 ? HTCAPTION : HTCLIENT;
  });
  Pump();
  ClearLog();
  InputMouseMove(60, 60);
  InputMouseDown(VK_LBUTTON);
  InputMouseUp(VK_LBUTTON);
  Pump();
  auto m = Mouse(h);
  ASSERT_EQ(m.size(), 3u);
  EXPECT_EQ(m[0].Msg, WM_NCMOUSEMOVE);
  EXPECT_EQ(m[1].Msg, WM_NCLBUTTONDOWN);
  EXPECT_EQ(m[2].Msg, WM_NCLBUTTONUP);
  EXPECT_EQ(m[1].WParam, WPARAM(HTCAPTION));
  EXPECT_EQ(GET_X_LPARAM(m[1].LParam), 60);  // screen coordinates
  EXPECT_EQ(GET_Y_LPARAM(m[1].LParam), 60);
}

TEST_F(Platform_Input, TransparentHitTestPassesThePointBelow) {
  HWND back = MakeTop(0, 0, 200, 200);
  HWND front = MakeTop(0, 0, 100, 100);
  SetHandler(front, [](HWND, UINT msg, WPARAM, LPARAM, bool& handled) -> LRESULT {
    handled = msg == WM_NCHITTEST;
    return HTTRANSPARENT;
  });
  Pump();
  ClearLog();
  InputMouseMove(50, 50);
  InputMouseDown(VK_LBUTTON);
  Pump();
  EXPECT_TRUE(Mouse(front).empty());
  auto m = Mouse(back);
  ASSERT_EQ(m.size(), 2u);
  EXPECT_EQ(m[1].Msg, WM_LBUTTONDOWN);
  // With nothing below, the event is dropped, yet the button state follows.
  DestroyWindow(back);
  ClearLog();
  InputMouseUp(VK_LBUTTON);
  Pump();
  EXPECT_TRUE(Mouse(front).empty());
  EXPECT_FALSE(GetKeyState(VK_LBUTTON) & 0x8000);
}

const char16_t* CursorClass() {
  static bool done = [] {
    WNDCLASSEXW wc;
    wc.lpfnWndProc = CALLBACK_TestProc;
    wc.lpszClassName = u"QnTestCursorWnd";
    wc.hCursor = reinterpret_cast<HCURSOR>(uintptr_t(0x7777));
    RegisterClassExW(&wc);
    return true;
  }();
  (void)done;
  return u"QnTestCursorWnd";
}

TEST_F(Platform_Input, SetCursorAsksTheParentThenUsesTheClassCursor) {
  HWND top = MakeTop(0, 0, 200, 200);
  ASSERT_NE(CreateWindowExW(0, CursorClass(), u"c", WS_CHILD | WS_VISIBLE, 0, 0, 100, 100, top, nullptr,
                            nullptr, nullptr),
            nullptr);
  HCURSOR mine = reinterpret_cast<HCURSOR>(uintptr_t(0x1234));
  bool parentTakes = true;
  SetHandler(top, [&](HWND, UINT msg, WPARAM, LPARAM, bool& handled) -> LRESULT {
    handled = msg == WM_SETCURSOR && parentTakes;
    if (handled) SetCursor(mine);
    return 1;
  });
  Pump();
  SetCursor(nullptr);
  InputMouseMove(10, 10);
  Pump();
  EXPECT_EQ(GetCursor(), mine);
  parentTakes = false;
  InputMouseMove(20, 20);
  Pump();
  EXPECT_EQ(GetCursor(), reinterpret_cast<HCURSOR>(uintptr_t(0x7777)));
}

TEST_F(Platform_Input, RightReleaseAsksForAContextMenuAtTheScreenPoint) {
  HWND top = MakeTop(100, 100, 200, 200);
  HWND child = MakeChild(top, 10, 10, 50, 50);
  Pump();
  ClearLog();
  InputMouseMove(120, 130);
  InputMouseDown(VK_RBUTTON);
  InputMouseUp(VK_RBUTTON);
  Pump();
  std::vector<Logged> menus;
  {
    std::lock_guard<std::mutex> lk(LogLock());
    for (auto& l : Log())
      if (l.Msg == WM_CONTEXTMENU) menus.push_back(l);
  }
  // The child's default passes it up to the parent.
  ASSERT_EQ(menus.size(), 2u);
  EXPECT_EQ(menus[0].Hwnd, child);
  EXPECT_EQ(menus[1].Hwnd, top);
  EXPECT_EQ(menus[1].WParam, reinterpret_cast<WPARAM>(child));
  EXPECT_EQ(GET_X_LPARAM(menus[0].LParam), 120);
  EXPECT_EQ(GET_Y_LPARAM(menus[0].LParam), 130);
}

TEST_F(Platform_Input, LeaveTrackingPostsOnceWhenThePointerLeaves) {
  HWND a = MakeTop(0, 0, 100, 100);
  HWND child = MakeChild(a, 50, 50, 20, 20);
  Pump();
  InputMouseMove(10, 10);
  Pump();
  TRACKMOUSEEVENT t;
  t.dwFlags = TME_LEAVE;
  t.hwndTrack = a;
  ASSERT_TRUE(TrackMouseEvent(&t));
  TRACKMOUSEEVENT q;
  q.dwFlags = TME_QUERY;
  TrackMouseEvent(&q);
  EXPECT_EQ(q.hwndTrack, a);
  EXPECT_EQ(q.dwFlags, TME_LEAVE);
  ClearLog();
  InputMouseMove(20, 20);  // still inside: nothing
  Pump();
  EXPECT_TRUE(MessagesOf(a, {WM_MOUSELEAVE}).empty());
  InputMouseMove(55, 55);  // over the child: the parent is left
  InputMouseMove(500, 500);
  Pump();
  EXPECT_EQ(MessagesOf(a, {WM_MOUSELEAVE}).size(), 1u);
  EXPECT_TRUE(MessagesOf(child, {WM_MOUSELEAVE}).empty());
  // Cancelled tracking posts nothing.
  InputMouseMove(10, 10);
  Pump();
  TrackMouseEvent(&t);
  t.dwFlags = TME_LEAVE | TME_CANCEL;
  TrackMouseEvent(&t);
  ClearLog();
  InputMouseMove(500, 500);
  Pump();
  EXPECT_TRUE(MessagesOf(a, {WM_MOUSELEAVE}).empty());
}

TEST_F(Platform_Input, CaptureKeepsPressMoveAndReleaseWithNegativeCoordinates) {
  HWND h = MakeTop(200, 200, 100, 100);
  HWND other = MakeTop(0, 0, 150, 150);
  SetHandler(h, [](HWND hw, UINT msg, WPARAM, LPARAM, bool& handled) -> LRESULT {
    handled = msg == WM_LBUTTONDOWN;
    if (handled) SetCapture(hw);
    return 0;
  });
  Pump();
  ClearLog();
  InputMouseMove(210, 220);
  InputMouseDown(VK_LBUTTON);
  Pump();
  EXPECT_EQ(GetCapture(), h);
  InputMouseMove(20, 30);
  InputMouseUp(VK_LBUTTON);
  Pump();
  auto m = Mouse(h);
  ASSERT_EQ(m.size(), 4u);
  EXPECT_EQ(m[1].Msg, WM_LBUTTONDOWN);
  EXPECT_EQ(m[1].WParam, MK_LBUTTON);
  EXPECT_EQ(m[2].Msg, WM_MOUSEMOVE);
  EXPECT_EQ(GET_X_LPARAM(m[2].LParam), -180);
  EXPECT_EQ(GET_Y_LPARAM(m[2].LParam), -170);
  EXPECT_EQ(m[3].Msg, WM_LBUTTONUP);
  EXPECT_EQ(m[3].WParam, 0u);
  EXPECT_EQ(GET_X_LPARAM(m[3].LParam), -180);
  EXPECT_TRUE(Mouse(other).empty());
  ReleaseCapture();
  EXPECT_EQ(MessagesOf(h, {WM_CAPTURECHANGED}).size(), 1u);
  EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(Platform_Input, CaptureChangeTellsTheLoser) {
  HWND a = MakeTop(0, 0, 50, 50);
  HWND b = MakeTop(60, 0, 50, 50);
  EXPECT_EQ(SetCapture(a), nullptr);
  EXPECT_EQ(SetCapture(b), a);
  std::vector<Logged> changed;
  {
    std::lock_guard<std::mutex> lk(LogLock());
    for (auto& l : Log())
      if (l.Msg == WM_CAPTURECHANGED) changed.push_back(l);
  }
  ASSERT_EQ(changed.size(), 1u);
  EXPECT_EQ(changed[0].Hwnd, a);
  EXPECT_EQ(changed[0].LParam, reinterpret_cast<LPARAM>(b));
  DestroyWindow(b);
  EXPECT_EQ(GetCapture(), nullptr);
}

const char16_t* DblClass() {
  static bool done = [] {
    WNDCLASSEXW wc;
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = CALLBACK_TestProc;
    wc.lpszClassName = u"QnTestDblWnd";
    RegisterClassExW(&wc);
    return true;
  }();
  (void)done;
  return u"QnTestDblWnd";
}

std::vector<UINT> Clicks(HWND h) {
  return MessagesOf(h, {WM_LBUTTONDOWN, WM_LBUTTONDBLCLK, WM_RBUTTONDOWN, WM_RBUTTONDBLCLK});
}

TEST_F(Platform_Input, DoubleClickNeedsTheClassStyleTimeAndBox) {
  HWND dbl = CreateWindowExW(0, DblClass(), u"d", WS_POPUP | WS_VISIBLE, 0, 0, 100, 100, nullptr, nullptr,
                             nullptr, nullptr);
  HWND plain = MakeTop(200, 0, 100, 100);
  Pump();
  auto click = [](int x, int y, int button = VK_LBUTTON) {
    InputMouseMove(x, y);
    InputMouseDown(button);
    InputMouseUp(button);
  };
  UINT t = GetDoubleClickTime();
  int box = GetSystemMetrics(SM_CXDOUBLECLK);
  ClearLog();
  // In time and box: a pair, and a third press starts over.
  click(10, 10);
  AdvanceClock(t - 1);
  click(10 + box / 2, 10);
  click(10, 10);
  Pump();
  EXPECT_EQ(Clicks(dbl), (std::vector<UINT>{WM_LBUTTONDOWN, WM_LBUTTONDBLCLK, WM_LBUTTONDOWN}));
  // Too late, too far, or another button: two single clicks.
  AdvanceClock(t + 1);
  ClearLog();
  click(40, 40);
  AdvanceClock(t + 1);
  click(40, 40);
  click(40 + box / 2 + 1, 40);
  click(40 + box / 2 + 1, 40, VK_RBUTTON);
  Pump();
  EXPECT_EQ(Clicks(dbl), (std::vector<UINT>{WM_LBUTTONDOWN, WM_LBUTTONDOWN, WM_LBUTTONDOWN, WM_RBUTTONDOWN}));
  // Without CS_DBLCLKS never a double click.
  AdvanceClock(t + 1);
  ClearLog();
  click(210, 10);
  click(210, 10);
  Pump();
  EXPECT_EQ(Clicks(plain), (std::vector<UINT>{WM_LBUTTONDOWN, WM_LBUTTONDOWN}));
}

TEST_F(Platform_Input, WheelGoesToTheFocusAndBubblesToTheParent) {
  HWND top = MakeTop(0, 0, 100, 100);
  HWND child = MakeChild(top, 0, 0, 50, 50);
  SetFocus(child);
  Pump();
  ClearLog();
  InputMouseMove(90, 90);
  InputMouseWheel(-2 * WHEEL_DELTA);
  Pump();
  auto w = MessagesOf(child, {WM_MOUSEWHEEL});
  ASSERT_EQ(w.size(), 1u);
  std::vector<Logged> got;
  {
    std::lock_guard<std::mutex> lk(LogLock());
    for (auto& l : Log())
      if (l.Msg == WM_MOUSEWHEEL) got.push_back(l);
  }
  ASSERT_EQ(got.size(), 2u);
  EXPECT_EQ(got[1].Hwnd, top);
  EXPECT_EQ(int16_t(HIWORD(got[0].WParam)), -240);
}

TEST_F(Platform_Focus, KillFocusThenSetFocusInOrder) {
  HWND a = MakeTop(0, 0, 50, 50);
  HWND b = MakeChild(a, 0, 0, 10, 10);
  EXPECT_EQ(GetFocus(), a);  // shown, the window was activated and took the focus
  ClearLog();
  EXPECT_EQ(SetFocus(b), a);
  std::vector<Logged> seq;
  {
    std::lock_guard<std::mutex> lk(LogLock());
    for (auto& l : Log())
      if (l.Msg == WM_KILLFOCUS || l.Msg == WM_SETFOCUS) seq.push_back(l);
  }
  ASSERT_EQ(seq.size(), 2u);
  EXPECT_EQ(seq[0].Hwnd, a);
  EXPECT_EQ(seq[0].Msg, UINT(WM_KILLFOCUS));
  EXPECT_EQ(seq[0].WParam, reinterpret_cast<WPARAM>(b));
  EXPECT_EQ(seq[1].Hwnd, b);
  EXPECT_EQ(seq[1].Msg, UINT(WM_SETFOCUS));
  EXPECT_EQ(seq[1].WParam, reinterpret_cast<WPARAM>(a));
  EXPECT_EQ(GetFocus(), b);
  // Setting it again changes nothing; a destroyed focus is no focus.
  ClearLog();
  SetFocus(b);
  EXPECT_TRUE(MessagesOf(b, {WM_SETFOCUS, WM_KILLFOCUS}).empty());
  DestroyWindow(a);
  EXPECT_EQ(GetFocus(), nullptr);
}

TEST_F(Platform_Focus, KeysGoToTheFocusAndTranslateOnAUsLayout) {
  HWND h = MakeTop(0, 0, 50, 50);
  SetFocus(h);
  Pump();
  ClearLog();
  InputKeyDown('A');
  InputKeyUp('A');
  InputKeyDown(VK_SHIFT);
  InputKeyDown('1');
  EXPECT_TRUE(GetAsyncKeyState(VK_SHIFT) & 0x8000);
  EXPECT_FALSE(GetKeyState(VK_SHIFT) & 0x8000);  // not yet retrieved
  InputKeyDown('1');                              // auto-repeat
  InputKeyUp('1');
  InputKeyUp(VK_SHIFT);
  InputKeyDown(VK_OEM_2);
  MSG m;
  std::vector<Logged> keys;
  std::u16string text;
  int guard = 0;
  while (guard++ < 100 && PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
    if (m.message == WM_KEYDOWN && m.wParam == '1') {
      EXPECT_TRUE(GetKeyState(VK_SHIFT) & 0x8000);
    }
    if (m.message >= WM_KEYFIRST && m.message <= WM_KEYLAST) keys.push_back({m.hwnd, m.message, m.wParam, m.lParam});
    if (m.message == WM_CHAR) text += char16_t(m.wParam);
    TranslateMessage(&m);
    DispatchMessageW(&m);
  }
  EXPECT_EQ(text, u"a!!/");
  for (auto& k : keys) EXPECT_EQ(k.Hwnd, h);
  auto downs = std::count_if(keys.begin(), keys.end(), [](auto& k) { return k.Msg == WM_KEYDOWN && k.WParam == '1'; });
  EXPECT_EQ(downs, 2);
  auto repeat = std::find_if(keys.rbegin(), keys.rend(), [](auto& k) { return k.Msg == WM_KEYDOWN && k.WParam == '1'; });
  EXPECT_TRUE(repeat->LParam & (1 << 30));  // was already down
  auto up = std::find_if(keys.begin(), keys.end(), [](auto& k) { return k.Msg == WM_KEYUP; });
  ASSERT_NE(up, keys.end());
  EXPECT_TRUE(uint32_t(up->LParam) & 0x80000000u);
  EXPECT_FALSE(GetKeyState(VK_SHIFT) & 0x8000);
  EXPECT_TRUE(GetKeyState(VK_OEM_2) & 0x8000);
}

TEST_F(Platform_Focus, TypedTextComesBackAsCharactersAndTheLayoutRoundTrips) {
  // Every printable ASCII character maps to a key and back to itself.
  for (char16_t c = 32; c < 127; ++c) {
    SHORT k = VkKeyScanW(c);
    ASSERT_NE(k, -1) << int(c);
    Byte state[256] = {};
    if (k & 0x100) state[VK_SHIFT] = 0x80;
    char16_t out[2] = {};
    ASSERT_EQ(ToUnicode(UINT(k & 0xFF), 0, state, out, 2, 0), 1) << int(c);
    EXPECT_EQ(out[0], c);
  }
  EXPECT_EQ(VkKeyScanW(u'\u00e9'), -1);
  HWND h = MakeTop(0, 0, 50, 50);
  SetFocus(h);
  Pump();
  const String text = u"Hello, World! {x_y} ~42";
  InputType(text);
  MSG m;
  String got;
  int guard = 0;
  while (guard++ < 1000 && PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
    if (m.message == WM_CHAR) got += char16_t(m.wParam);
    TranslateMessage(&m);
  }
  EXPECT_EQ(got, text);
  Byte ks[256];
  ASSERT_TRUE(GetKeyboardState(ks));
  EXPECT_FALSE(ks[VK_SHIFT] & 0x80);
}

TEST_F(Platform_Focus, AltMakesSystemKeys) {
  HWND h = MakeTop(0, 0, 50, 50);
  SetFocus(h);
  Pump();
  ClearLog();
  InputKeyDown(VK_MENU);
  InputKeyDown('F');
  InputKeyUp('F');
  InputKeyUp(VK_MENU);
  MSG m;
  std::vector<UINT> seq;
  int guard = 0;
  while (guard++ < 100 && PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
    if (m.message >= WM_KEYFIRST && m.message <= WM_KEYLAST) seq.push_back(m.message);
    TranslateMessage(&m);
  }
  EXPECT_EQ(seq, (std::vector<UINT>{WM_SYSKEYDOWN, WM_SYSKEYDOWN, WM_SYSCHAR, WM_SYSKEYUP, WM_SYSKEYUP}));
}

TEST_F(Platform_Input, APauseHoldsInputBackAndModalLoopsWaitForIt) {
  HWND h = MakeTop(100, 100, 200, 200);
  int result = -1;
  DWORD waited = 0;
  SetHandler(h, [&](HWND w, UINT msg, WPARAM, LPARAM lp, bool& handled) -> LRESULT {
    handled = msg == WM_LBUTTONDOWN;
    if (handled) {
      POINT p{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
      ClientToScreen(w, &p);
      DWORD start = GetTickCount();
      result = DragDetect(w, p) ? 1 : 0;
      waited = GetTickCount() - start;
    }
    return 0;
  });
  Pump();
  InputMouseMove(150, 150);
  InputMouseDown(VK_LBUTTON);
  InputPause(120);
  InputMouseMove(150 + 2 * GetSystemMetrics(SM_CXDRAG), 150);
  InputMouseUp(VK_LBUTTON);
  // Held back: the pointer and the button stay as they were.
  POINT at;
  GetCursorPos(&at);
  EXPECT_EQ(at.X, 150);
  EXPECT_LT(GetAsyncKeyState(VK_LBUTTON), 0);
  // The modal loop waits for the held input instead of giving up.
  Pump();
  EXPECT_EQ(result, 1);
  EXPECT_GE(waited, 120u);
  EXPECT_LT(waited, 140u);
  EXPECT_EQ(GetCapture(), nullptr);
  // A pause queued behind held input starts when that input comes through.
  DWORD start = GetTickCount();
  InputPause(50);
  InputMouseMove(160, 160);
  InputPause(70);
  InputMouseMove(170, 170);
  MSG m;
  ASSERT_GT(GetMessageW(&m, nullptr, WM_MOUSEMOVE, WM_MOUSEMOVE), 0);
  EXPECT_EQ(m.pt.X, 160);
  EXPECT_EQ(GetTickCount() - start, 50u);
  ASSERT_GT(GetMessageW(&m, nullptr, WM_MOUSEMOVE, WM_MOUSEMOVE), 0);
  EXPECT_EQ(m.pt.X, 170);
  EXPECT_EQ(GetTickCount() - start, 120u);
  // Reset drops what is held.
  InputPause(30);
  InputMouseMove(10, 10);
  ResetInput();
  EXPECT_FALSE(PeekMessageW(&m, nullptr, WM_MOUSEMOVE, WM_MOUSEMOVE, PM_REMOVE));
  // On the real clock a waiting loop sleeps until the pause is over.
  SetVirtualClock(false);
  start = GetTickCount();
  InputPause(20);
  InputMouseMove(130, 130);  // over the window: input nobody takes would be dropped
  ASSERT_GT(GetMessageW(&m, nullptr, WM_MOUSEMOVE, WM_MOUSEMOVE), 0);
  EXPECT_GE(GetTickCount() - start, 20u);
  EXPECT_EQ(m.pt.X, 130);
}

}  // namespace

}  // namespace t_input_test
