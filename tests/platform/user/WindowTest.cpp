#include "tests/platform/user/UserTestSupport.h"

namespace t_window_test {

using namespace vcl;
using namespace usertest;

namespace {

class Platform_Window : public ServerTest {};

TEST_F(Platform_Window, CreationSendsTheMessagesInOrder) {
  HWND h = MakeTop(10, 20, 200, 100, WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  ASSERT_TRUE(h);
  std::vector<UINT> want = {WM_GETMINMAXINFO, WM_NCCREATE, WM_NCCALCSIZE, WM_CREATE, WM_SIZE, WM_MOVE,
                            WM_SHOWWINDOW, WM_WINDOWPOSCHANGING, WM_WINDOWPOSCHANGED};
  auto got = MessagesOf(h, {WM_GETMINMAXINFO, WM_NCCREATE, WM_NCCALCSIZE, WM_CREATE, WM_SIZE, WM_MOVE,
                            WM_SHOWWINDOW, WM_WINDOWPOSCHANGING, WM_WINDOWPOSCHANGED});
  EXPECT_EQ(got, want);
  EXPECT_TRUE(IsWindowVisible(h));
  EXPECT_EQ(GetWindowText(h), u"top");
  EXPECT_EQ(GetClassName(h), u"QnTestWnd");
  // The overlapped frame: thick border of 8 and a 23-pixel caption.
  RECT wr, cr;
  GetWindowRect(h, &wr);
  GetClientRect(h, &cr);
  EXPECT_EQ(wr, TRect(10, 20, 210, 120));
  EXPECT_EQ(cr, TRect(0, 0, 184, 61));
  POINT p(0, 0);
  ClientToScreen(h, &p);
  EXPECT_EQ(p, TPoint(18, 51));
  RECT adj(0, 0, 184, 61);
  AdjustWindowRectEx(&adj, WS_OVERLAPPEDWINDOW, false, 0);
  EXPECT_EQ(adj, TRect(-8, -31, 192, 69));
}

TEST_F(Platform_Window, CreateFailsWhenTheProcedureRefuses) {
  DefaultHandler() = [](HWND, UINT msg, WPARAM, LPARAM, bool& handled) -> LRESULT {
    handled = msg == WM_CREATE;
    return -1;
  };
  EXPECT_EQ(MakeTop(0, 0, 10, 10), nullptr);
  DefaultHandler() = nullptr;
  EXPECT_EQ(CreateWindowExW(0, u"NoSuchClass", u"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_CANNOT_FIND_WND_CLASS);
}

TEST_F(Platform_Window, SetWindowPosHonoursAWritableWindowPos) {
  HWND h = MakeTop(0, 0, 100, 100);
  SetHandler(h, [](HWND, UINT msg, WPARAM, LPARAM lp, bool& handled) -> LRESULT {
    handled = msg == WM_WINDOWPOSCHANGING;
    if (handled) reinterpret_cast<WINDOWPOS*>(lp)->cx = 77;  // the window keeps its width in check
    return 0;
  });
  ClearLog();
  ASSERT_TRUE(SetWindowPos(h, nullptr, 5, 6, 300, 40, SWP_NOZORDER | SWP_NOACTIVATE));
  std::vector<UINT> want = {WM_WINDOWPOSCHANGING, WM_NCCALCSIZE, WM_WINDOWPOSCHANGED, WM_MOVE, WM_SIZE};
  EXPECT_EQ(MessagesOf(h, {WM_WINDOWPOSCHANGING, WM_NCCALCSIZE, WM_WINDOWPOSCHANGED, WM_MOVE, WM_SIZE}), want);
  RECT r;
  GetWindowRect(h, &r);
  EXPECT_EQ(r, TRect(5, 6, 82, 46));
  // WM_SIZE carries the client size.
  std::lock_guard<std::mutex> lk(LogLock());
  for (auto& l : Log())
    if (l.Hwnd == h && l.Msg == WM_SIZE) {
      EXPECT_EQ(l.LParam, MAKELPARAM(77, 40));
    }
}

TEST_F(Platform_Window, DestroyOrderAndParentNotify) {
  HWND p = MakeTop(0, 0, 100, 100);
  HWND c = MakeChild(p, 0, 0, 10, 10, WS_CHILD | WS_VISIBLE, 7);
  HWND g = MakeChild(c, 0, 0, 5, 5);
  EXPECT_EQ(MessagesOf(p, {WM_PARENTNOTIFY}).size(), 2u);  // c, and g through c
  EXPECT_EQ(GetDlgCtrlID(c), 7);
  EXPECT_EQ(GetDlgItem(p, 7), c);
  EXPECT_TRUE(IsChild(p, g));
  ClearLog();
  ASSERT_TRUE(DestroyWindow(p));
  std::vector<std::pair<HWND, UINT>> seq;
  {
    std::lock_guard<std::mutex> lk(LogLock());
    for (auto& l : Log())
      if (l.Msg == WM_DESTROY || l.Msg == WM_NCDESTROY) seq.emplace_back(l.Hwnd, l.Msg);
  }
  std::vector<std::pair<HWND, UINT>> want = {{p, WM_DESTROY}, {c, WM_DESTROY}, {g, WM_DESTROY},
                                             {g, WM_NCDESTROY}, {c, WM_NCDESTROY}, {p, WM_NCDESTROY}};
  EXPECT_EQ(seq, want);
  EXPECT_FALSE(IsWindow(p));
  EXPECT_FALSE(IsWindow(c));
  EXPECT_FALSE(IsWindow(g));
  // Destroying a child alone tells its parent.
  HWND p2 = MakeTop(0, 0, 100, 100);
  HWND c2 = MakeChild(p2, 0, 0, 10, 10, WS_CHILD | WS_VISIBLE, 9);
  ClearLog();
  DestroyWindow(c2);
  std::lock_guard<std::mutex> lk(LogLock());
  int notes = 0;
  for (auto& l : Log())
    if (l.Hwnd == p2 && l.Msg == WM_PARENTNOTIFY && l.WParam == MAKEWPARAM(WM_DESTROY, 9) && l.LParam == HwndValue(c2)) ++notes;
  EXPECT_EQ(notes, 1);
}

TEST_F(Platform_Window, DefaultProcedureBubblesWheelAndContextMenu) {
  HWND p = MakeTop(0, 0, 100, 100);
  HWND c = MakeChild(p, 0, 0, 10, 10);
  ClearLog();
  SendMessageW(c, WM_MOUSEWHEEL, MAKEWPARAM(0, 120), MAKELPARAM(5, 5));
  SendMessageW(c, WM_CONTEXTMENU, WPARAM(HwndValue(c)), MAKELPARAM(5, 5));
  EXPECT_EQ(MessagesOf(p, {WM_MOUSEWHEEL, WM_CONTEXTMENU}), (std::vector<UINT>{WM_MOUSEWHEEL, WM_CONTEXTMENU}));
  HICON icon = reinterpret_cast<HICON>(uintptr_t(0x1234));
  EXPECT_EQ(SendMessageW(p, WM_SETICON, 1, reinterpret_cast<LPARAM>(icon)), 0);
  EXPECT_EQ(SendMessageW(p, WM_GETICON, 1, 0), reinterpret_cast<LRESULT>(icon));
  EXPECT_EQ(SendMessageW(p, WM_GETICON, 0, 0), 0);
  HDC dc = GetDC(p);
  EXPECT_EQ(SendMessageW(p, WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(dc), 0),
            reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW)));
  EXPECT_EQ(GetBkColor(dc), GetSysColor(COLOR_WINDOW));
  ReleaseDC(p, dc);
}

TEST_F(Platform_Window, ZOrderKeepsTheTopmostBandInFront) {
  HWND a = MakeTop(0, 0, 10, 10);
  HWND t = MakeTop(0, 0, 10, 10, WS_POPUP | WS_VISIBLE, WS_EX_TOPMOST);
  HWND b = MakeTop(0, 0, 10, 10);
  EXPECT_EQ(GetTopWindow(nullptr), t);
  EXPECT_EQ(GetWindow(t, GW_HWNDNEXT), b);
  EXPECT_EQ(GetWindow(b, GW_HWNDNEXT), a);
  SetWindowPos(a, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  EXPECT_EQ(GetWindow(t, GW_HWNDNEXT), a);
  SetWindowPos(t, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  EXPECT_FALSE(GetWindowLongPtrW(t, GWL_EXSTYLE) & WS_EX_TOPMOST);
  SetWindowPos(b, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  SetWindowPos(a, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  EXPECT_EQ(GetTopWindow(nullptr), b);
  // Children: creation order is z-order from the top; HWND_BOTTOM moves last.
  HWND c1 = MakeChild(a, 0, 0, 1, 1), c2 = MakeChild(a, 0, 0, 1, 1);
  EXPECT_EQ(GetWindow(a, GW_CHILD), c1);
  SetWindowPos(c1, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  EXPECT_EQ(GetWindow(a, GW_CHILD), c2);
  EXPECT_EQ(GetAncestor(c1, GA_ROOT), a);
  EXPECT_EQ(GetAncestor(a, GA_PARENT), GetDesktopWindow());
}

TEST_F(Platform_Window, ParentsOwnersAndCoordinates) {
  HWND owner = MakeTop(100, 100, 300, 200);
  HWND popup = CreateWindowExW(0, TestClass(), u"pop", WS_POPUP, 0, 0, 50, 50, owner, nullptr, nullptr, nullptr);
  EXPECT_EQ(GetWindow(popup, GW_OWNER), owner);
  EXPECT_EQ(GetParent(popup), owner);  // a pop-up's parent is its owner
  HWND child = MakeChild(owner, 10, 20, 30, 40);
  POINT pts[2] = {{0, 0}, {5, 5}};
  MapWindowPoints(child, nullptr, pts, 2);
  EXPECT_EQ(pts[0], TPoint(110, 120));
  EXPECT_EQ(pts[1], TPoint(115, 125));
  HWND other = MakeTop(0, 0, 100, 100);
  EXPECT_EQ(SetParent(child, other), owner);
  EXPECT_EQ(GetParent(child), other);
  POINT p(0, 0);
  ClientToScreen(child, &p);
  EXPECT_EQ(p, TPoint(10, 20));
  EXPECT_EQ(SetParent(other, child), nullptr);  // no cycles
  // Destroying the owner takes its owned windows along.
  DestroyWindow(owner);
  EXPECT_FALSE(IsWindow(popup));
  EXPECT_TRUE(IsWindow(child));
}

TEST_F(Platform_Window, TextLongsAndSubclassing) {
  HWND h = MakeTop(0, 0, 10, 10);
  EXPECT_TRUE(SetWindowTextW(h, u"Hello"));
  char16_t buf[4];
  EXPECT_EQ(GetWindowTextW(h, buf, 4), 3);
  EXPECT_EQ(String(buf), u"Hel");
  EXPECT_EQ(GetWindowTextLengthW(h), 5);
  SetWindowLongPtrW(h, GWLP_USERDATA, 1234);
  EXPECT_EQ(GetWindowLongPtrW(h, GWLP_USERDATA), 1234);
  // A method subclasses the window and passes on what it does not handle.
  auto old = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(h, GWLP_WNDPROC));
  int seen = 0;
  WNDPROC sub = MakeObjectInstance([&](TMessage& m) {
    if (m.Msg == WM_USER + 1) {
      ++seen;
      m.Result = 42;
      return;
    }
    m.Result = CallWindowProcW(old, h, m.Msg, m.WParam, m.LParam);
  });
  EXPECT_EQ(SetWindowLongPtrW(h, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(sub)), reinterpret_cast<LONG_PTR>(old));
  EXPECT_EQ(SendMessageW(h, WM_USER + 1, 0, 0), 42);
  EXPECT_EQ(GetWindowText(h), u"Hello");  // WM_GETTEXT went through to the old procedure
  EXPECT_EQ(seen, 1);
  SetWindowLongPtrW(h, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(old));
  FreeObjectInstance(sub);
  // Style changes announce themselves.
  ClearLog();
  SetWindowLongPtrW(h, GWL_STYLE, LONG_PTR(WS_POPUP | WS_VISIBLE | WS_BORDER));
  EXPECT_EQ(MessagesOf(h, {WM_STYLECHANGING, WM_STYLECHANGED}), (std::vector<UINT>{WM_STYLECHANGING, WM_STYLECHANGED}));
  EXPECT_TRUE(GetWindowLongPtrW(h, GWL_STYLE) & WS_BORDER);
}

TEST_F(Platform_Window, UtilityWindowsAndRegisteredMessages) {
  UINT a = RegisterWindowMessageW(u"QnPing"), b = RegisterWindowMessageW(u"qnping");
  EXPECT_GE(a, 0xC000u);
  EXPECT_EQ(a, b);
  EXPECT_NE(RegisterWindowMessageW(u"QnPong"), a);
  std::vector<UINT> got;
  HWND u = AllocateHWnd([&](TMessage& m) {
    if (m.Msg >= WM_USER) got.push_back(m.Msg);
    m.Result = 5;
  });
  ASSERT_TRUE(u);
  EXPECT_EQ(SendMessageW(u, a, 0, 0), 5);
  PostMessageW(u, WM_USER + 3, 0, 0);
  Pump();
  EXPECT_EQ(got, (std::vector<UINT>{a, WM_USER + 3}));
  // Utility windows are not top-level windows: broadcasts and EnumWindows skip them.
  std::vector<HWND> tops;
  EnumWindows(EnumCollect, reinterpret_cast<LPARAM>(&tops));
  EXPECT_EQ(std::count(tops.begin(), tops.end(), u), 0);
  HWND t = MakeTop(0, 0, 1, 1);
  ClearLog();
  SendMessageW(HWND_BROADCAST, a, 1, 2);
  EXPECT_EQ(MessagesOf(t, {a}).size(), 1u);
  EXPECT_EQ(got.size(), 2u);
  DeallocateHWnd(u);
  EXPECT_FALSE(IsWindow(u));
  EXPECT_EQ(FindWindowW(u"QnTestWnd", u"top"), t);
}

TEST_F(Platform_Window, ShowStatesAndEmptyNonClientAnswer) {
  HWND h = MakeTop(100, 100, 300, 200, WS_OVERLAPPEDWINDOW);
  EXPECT_FALSE(ShowWindow(h, SW_SHOWNA));
  EXPECT_TRUE(IsWindowVisible(h));
  ShowWindow(h, SW_MAXIMIZE);
  EXPECT_TRUE(IsZoomed(h));
  RECT r, work;
  GetWindowRect(h, &r);
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  EXPECT_EQ(r, TRect(work.Left - 8, work.Top - 8, work.Right + 8, work.Bottom + 8));
  ShowWindow(h, SW_RESTORE);
  GetWindowRect(h, &r);
  EXPECT_EQ(r, TRect(100, 100, 400, 300));
  ShowWindow(h, SW_MINIMIZE);
  EXPECT_TRUE(IsIconic(h));
  ShowWindow(h, SW_RESTORE);
  EXPECT_TRUE(ShowWindow(h, SW_HIDE));
  EXPECT_FALSE(IsWindowVisible(h));
  // A window that answers WM_NCCALCSIZE by doing nothing has client = window.
  HWND bare = MakeTop(0, 0, 120, 80, WS_OVERLAPPEDWINDOW | WS_VSCROLL);
  SetHandler(bare, [](HWND, UINT msg, WPARAM, LPARAM, bool& handled) -> LRESULT {
    handled = msg == WM_NCCALCSIZE;
    return 0;
  });
  SetWindowPos(bare, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED);
  GetClientRect(bare, &r);
  EXPECT_EQ(r, TRect(0, 0, 120, 80));
  EnableWindow(bare, false);
  EXPECT_FALSE(IsWindowEnabled(bare));
  EXPECT_EQ(MessagesOf(bare, {WM_ENABLE}).size(), 1u);
}

TEST_F(Platform_Window, ScrollBarStateKeepsThePlatformsConventions) {
  HWND h = MakeTop(0, 0, 200, 200, WS_POPUP | WS_VISIBLE);
  SCROLLINFO si;
  si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
  si.nMin = 0;
  si.nMax = 99;
  si.nPage = 30;
  si.nPos = 95;
  EXPECT_EQ(SetScrollInfo(h, SB_VERT, &si, true), 70);  // the position stops a page before the end
  EXPECT_TRUE(GetWindowLongPtrW(h, GWL_STYLE) & WS_VSCROLL);  // a range to scroll shows the bar
  RECT cr;
  GetClientRect(h, &cr);
  EXPECT_EQ(cr.Right, 200 - GetSystemMetrics(SM_CXVSCROLL));
  si.nPage = 500;  // larger than the range: clamped, and nothing left to scroll
  si.fMask = SIF_PAGE;
  SetScrollInfo(h, SB_VERT, &si, true);
  SCROLLINFO got;
  got.fMask = SIF_ALL;
  ASSERT_TRUE(GetScrollInfo(h, SB_VERT, &got));
  EXPECT_EQ(got.nPage, 100u);
  EXPECT_EQ(got.nPos, 0);
  EXPECT_FALSE(GetWindowLongPtrW(h, GWL_STYLE) & WS_VSCROLL);
  EXPECT_EQ(SetScrollPos(h, SB_HORZ, 5, false), 0);
  SetScrollRange(h, SB_HORZ, 10, 20, false);
  int mn, mx;
  GetScrollRange(h, SB_HORZ, &mn, &mx);
  EXPECT_EQ(mn, 10);
  EXPECT_EQ(mx, 20);
  EXPECT_EQ(GetScrollPos(h, SB_HORZ), 10);
  EXPECT_TRUE(EnableScrollBar(h, SB_HORZ, ESB_DISABLE_BOTH));
  EXPECT_FALSE(EnableScrollBar(h, SB_HORZ, ESB_DISABLE_BOTH));
}

TEST_F(Platform_Window, SystemInformationAndOverrides) {
  EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 1920);
  EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 1080);
  EXPECT_EQ(GetSystemMetrics(SM_CXVSCROLL), 17);
  EXPECT_EQ(GetSystemMetrics(SM_CYCAPTION), 23);
  SetSystemMetric(SM_CXVSCROLL, 20);
  EXPECT_EQ(GetSystemMetrics(SM_CXVSCROLL), 20);
  UINT lines = 0;
  ASSERT_TRUE(SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &lines, 0));
  EXPECT_EQ(lines, 3u);
  int32_t fade = 0;
  SystemParametersInfoW(SPI_GETSELECTIONFADE, 0, &fade, 0);
  EXPECT_EQ(fade, 1);
  SystemParametersInfoW(SPI_SETSELECTIONFADE, 0, nullptr, 0);
  SystemParametersInfoW(SPI_GETSELECTIONFADE, 0, &fade, 0);
  EXPECT_EQ(fade, 0);
  EXPECT_EQ(HIWORD(GetComCtlVersion()), 6);
  NONCLIENTMETRICSW ncm;
  ASSERT_TRUE(SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, ncm.cbSize, &ncm, 0));
  EXPECT_EQ(ncm.iScrollWidth, 20);  // follows the override above
  EXPECT_EQ(ncm.iCaptionHeight + 1, GetSystemMetrics(SM_CYCAPTION));
  EXPECT_EQ(String(ncm.lfMessageFont.lfFaceName), u"Segoe UI");
  ncm.cbSize = 12;
  EXPECT_FALSE(SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, 12, &ncm, 0));
  EXPECT_EQ(GetSystemDefaultLCID(), 0x0409u);
  EXPECT_EQ(GetLocaleStr(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, u"?"), u".");
  SetSystemLocale(0x0407);
  EXPECT_EQ(GetLocaleStr(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, u"?"), u",");
  SetLocaleInfo(LOCALE_SSHORTDATE, u"yyyy-MM-dd");
  EXPECT_EQ(GetLocaleStr(LOCALE_USER_DEFAULT, LOCALE_SSHORTDATE, u""), u"yyyy-MM-dd");
  char16_t small[2];
  EXPECT_EQ(GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SLONGDATE, small, 2), 0);
  EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
  HWND h = MakeTop(0, 0, 10, 10);
  DWORD pid = 0;
  EXPECT_EQ(GetWindowThreadProcessId(h, &pid), GetCurrentThreadId());
  EXPECT_EQ(pid, GetCurrentProcessId());
}

TEST_F(Platform_Window, MonitorsFollowTheScreenConfiguration) {
  TMonitorConfig a, b;
  a.Bounds = TRect(0, 0, 1000, 800);
  a.Primary = true;
  b.Bounds = TRect(1000, 0, 1800, 600);
  b.WorkArea = TRect(1000, 0, 1800, 580);
  SetScreenConfiguration({a, b});
  EXPECT_EQ(GetSystemMetrics(SM_CMONITORS), 2);
  EXPECT_EQ(GetSystemMetrics(SM_CXVIRTUALSCREEN), 1800);
  HMONITOR m2 = MonitorFromPoint(TPoint(1500, 10), MONITOR_DEFAULTTONULL);
  ASSERT_TRUE(m2);
  MONITORINFOEXW mi;
  ASSERT_TRUE(GetMonitorInfoW(m2, &mi));
  EXPECT_EQ(mi.rcWork, TRect(1000, 0, 1800, 580));
  EXPECT_EQ(mi.dwFlags, 0u);
  EXPECT_EQ(String(mi.szDevice), u"\\\\.\\DISPLAY2");
  EXPECT_EQ(MonitorFromPoint(TPoint(5000, 5000), MONITOR_DEFAULTTONULL), nullptr);
  EXPECT_EQ(MonitorFromPoint(TPoint(5000, 10), MONITOR_DEFAULTTONEAREST), m2);
  HWND h = MakeTop(900, 0, 400, 100);  // mostly on the second monitor
  EXPECT_EQ(MonitorFromWindow(h, MONITOR_DEFAULTTONULL), m2);
  RECT work;
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  EXPECT_EQ(work, TRect(0, 0, 1000, 760));
  std::vector<TRect> seen;
  EnumDisplayMonitors(nullptr, nullptr, [](HMONITOR, HDC, RECT* r, LPARAM p) {
    reinterpret_cast<std::vector<TRect>*>(p)->push_back(*r);
    return true;
  }, reinterpret_cast<LPARAM>(&seen));
  EXPECT_EQ(seen, (std::vector<TRect>{a.Bounds, b.Bounds}));
  ResetScreenConfiguration();
  EXPECT_EQ(GetSystemMetrics(SM_CMONITORS), 1);
}

}  // namespace

}  // namespace t_window_test
