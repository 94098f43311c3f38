// The notification area driven by scripted input on the virtual clock:
// record checks and failures, the callbacks of each version, tips, balloons
// and their ends, the shell restarting, and the window-level behaviour the
// tray icon component relies on (broadcasts, owned windows on minimise,
// application hooks leaving mid-message).
#include <gtest/gtest.h>

#include <cstring>

#include "platform/comctl/Tooltip.h"
#include "platform/shell/ShellAPI.h"
#include "platform/user/OwnedWindows.h"
#include "platform/vcl/Forms.h"
#include "tests/platform/user/UserTestSupport.h"

namespace t_tray_test {

using namespace vcl;

namespace {

constexpr UINT CB = WM_APP + 11;

struct Callback {
  WPARAM WParam;
  LPARAM LParam;
  bool operator==(const Callback&) const = default;
};

HICON MakeIcon(COLORREF c) {
  BITMAPINFO bi;
  bi.bmiHeader.biWidth = 16;
  bi.bmiHeader.biHeight = -16;
  bi.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HBITMAP color = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  auto* px = static_cast<uint32_t*>(bits);
  for (int i = 0; i < 256; ++i) px[i] = 0xFF000000u | (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
  HBITMAP mask = CreateBitmap(16, 16, 1, 1, nullptr);
  ICONINFO ii;
  ii.hbmColor = color;
  ii.hbmMask = mask;
  HICON icon = CreateIconIndirect(&ii);
  DeleteObject(color);
  DeleteObject(mask);
  return icon;
}

class Platform_Tray : public ::testing::Test {
 protected:
  void SetUp() override {
    SetVirtualClock(true);
    ResetInput();
    usertest::ClearLog();
    Owner = usertest::MakeTop(10, 10, 100, 100, WS_POPUP);  // hidden: callbacks need no visible window
    Red = MakeIcon(RGB(220, 30, 30));
    Blue = MakeIcon(RGB(30, 60, 220));
    TakeShellNotifyLog();
  }
  void TearDown() override {
    RestartShell();
    if (IsWindow(Owner)) DestroyWindow(Owner);
    DestroyIcon(Red);
    DestroyIcon(Blue);
    ResetInput();
    AdvanceClock(2000);
    usertest::Pump();
    SetShellNotifyFailure(false);
  }
  NOTIFYICONDATAW Data(UINT id, UINT flags = NIF_MESSAGE | NIF_ICON) {
    NOTIFYICONDATAW d;
    d.hWnd = Owner;
    d.uID = id;
    d.uFlags = flags;
    d.uCallbackMessage = CB;
    d.hIcon = id == 1 ? Red : Blue;
    return d;
  }
  bool Add(UINT id, UINT version = 0) {
    NOTIFYICONDATAW d = Data(id);
    if (!Shell_NotifyIconW(NIM_ADD, &d)) return false;
    d.uVersion = version;
    return Shell_NotifyIconW(NIM_SETVERSION, &d);
  }
  POINT Centre(UINT id) {
    NOTIFYICONIDENTIFIER ni;
    ni.hWnd = Owner;
    ni.uID = id;
    RECT r;
    EXPECT_EQ(Shell_NotifyIconGetRect(&ni, &r), S_OK);
    return POINT((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
  }
  void Click(POINT p, int button = VK_LBUTTON) {
    InputMouseMove(p.X, p.Y);
    InputMouseDown(button);
    InputMouseUp(button);
  }
  std::vector<Callback> Callbacks() {
    usertest::Pump();
    std::vector<Callback> v;
    std::lock_guard<std::mutex> lk(usertest::LogLock());
    for (auto& l : usertest::Log())
      if (l.Hwnd == Owner && l.Msg == CB) v.push_back({l.WParam, l.LParam});
    usertest::Log().clear();
    return v;
  }
  std::vector<LPARAM> Events() {
    std::vector<LPARAM> v;
    for (auto& c : Callbacks()) v.push_back(c.LParam);
    return v;
  }
  HWND Owner = nullptr;
  HICON Red = nullptr, Blue = nullptr;
};

}  // namespace

TEST_F(Platform_Tray, RecordsAreCheckedAndFailuresLeaveNothing) {
  NOTIFYICONDATAW d = Data(1);
  d.cbSize = 100;
  EXPECT_FALSE(Shell_NotifyIconW(NIM_ADD, &d));
  d = Data(1);
  EXPECT_FALSE(Shell_NotifyIconW(NIM_MODIFY, &d));
  EXPECT_FALSE(Shell_NotifyIconW(NIM_DELETE, &d));
  EXPECT_FALSE(Shell_NotifyIconW(NIM_SETVERSION, &d));
  EXPECT_EQ(ShellTrayWindow(), nullptr);
  SetShellNotifyFailure(true);
  EXPECT_FALSE(Shell_NotifyIconW(NIM_ADD, &d));
  SetShellNotifyFailure(false);
  EXPECT_EQ(ShellTrayWindow(), nullptr);
  d.cbSize = NOTIFYICONDATAW_V2_SIZE;  // the older record is taken too
  EXPECT_TRUE(Shell_NotifyIconW(NIM_ADD, &d));
  EXPECT_FALSE(Shell_NotifyIconW(NIM_ADD, &d));
  d.uVersion = 5;
  EXPECT_FALSE(Shell_NotifyIconW(NIM_SETVERSION, &d));
  HWND tray = ShellTrayWindow();
  ASSERT_NE(tray, nullptr);
  EXPECT_EQ(GetClassName(tray), u"Shell_TrayWnd");
  EXPECT_TRUE(IsWindowVisible(tray));
  EXPECT_TRUE(GetWindowLongPtrW(tray, GWL_EXSTYLE) & WS_EX_TOPMOST);
  EXPECT_TRUE(GetWindowLongPtrW(tray, GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
  EXPECT_NE(GetActiveWindow(), tray);
  // The strip outside the work area, and the first icon at its right end.
  RECT wr, work;
  GetWindowRect(tray, &wr);
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  EXPECT_EQ(wr.Top, work.Bottom);
  EXPECT_EQ(wr.Height(), 40);
  NOTIFYICONIDENTIFIER ni;
  ni.hWnd = Owner;
  ni.uID = 1;
  RECT cell;
  ASSERT_EQ(Shell_NotifyIconGetRect(&ni, &cell), S_OK);
  EXPECT_EQ(cell.Width(), 24);
  EXPECT_EQ(cell.Right, wr.Right - 8);
  EXPECT_TRUE(Shell_NotifyIconW(NIM_DELETE, &d));
  EXPECT_EQ(ShellTrayWindow(), nullptr);
  auto log = TakeShellNotifyLog();
  ASSERT_EQ(log.size(), 9u);
  std::vector<bool> ok;
  for (auto& c : log) ok.push_back(c.Succeeded);
  EXPECT_EQ(ok, (std::vector<bool>{false, false, false, false, false, true, false, false, true}));
  ASSERT_EQ(log[5].IconPixels.size(), 256u);
  EXPECT_EQ(log[5].IconPixels[0], 0xDC1E1Eu);
  EXPECT_EQ(log[5].Size, NOTIFYICONDATAW_V2_SIZE);
  EXPECT_EQ(log[0].Size, 100u);
}

TEST_F(Platform_Tray, IconsShowOnTheTaskbarAndKeepCopies) {
  ASSERT_TRUE(Add(1));
  ASSERT_TRUE(Add(2));
  // The caller's icons may go: the shell drew its own copies.
  DestroyIcon(Red);
  Red = MakeIcon(RGB(0, 0, 0));
  usertest::Pump();
  POINT a = Centre(1), b = Centre(2);
  EXPECT_EQ(a.Y, b.Y);
  EXPECT_EQ(a.X - b.X, 24);
  HDC screen = GetDC(nullptr);
  EXPECT_EQ(GetPixel(screen, a.X, a.Y), RGB(220, 30, 30));
  EXPECT_EQ(GetPixel(screen, b.X, b.Y), RGB(30, 60, 220));
  // A hidden icon leaves its cell to the next.
  NOTIFYICONDATAW d = Data(1, NIF_STATE);
  d.dwState = d.dwStateMask = NIS_HIDDEN;
  ASSERT_TRUE(Shell_NotifyIconW(NIM_MODIFY, &d));
  usertest::Pump();
  EXPECT_EQ(Centre(2).X, a.X);
  EXPECT_EQ(GetPixel(screen, a.X, a.Y), RGB(30, 60, 220));
  EXPECT_EQ(GetPixel(screen, b.X, b.Y), RGB(32, 38, 50));
  NOTIFYICONIDENTIFIER ni;
  ni.hWnd = Owner;
  ni.uID = 1;
  RECT r;
  EXPECT_EQ(Shell_NotifyIconGetRect(&ni, &r), E_FAIL);
  ReleaseDC(nullptr, screen);
}

TEST_F(Platform_Tray, TwoIconsOfOneWindowSeeOnlyTheirOwnId) {
  ASSERT_TRUE(Add(1));
  ASSERT_TRUE(Add(2));
  Click(Centre(2));
  auto cbs = Callbacks();
  ASSERT_FALSE(cbs.empty());
  for (auto& c : cbs) EXPECT_EQ(c.WParam, 2u);
  AdvanceClock(1000);
  Click(Centre(1));
  for (auto& c : Callbacks()) EXPECT_EQ(c.WParam, 1u);
}

TEST_F(Platform_Tray, MouseMessagesOfVersionsZeroAndThree) {
  ASSERT_TRUE(Add(1, 0));
  ASSERT_TRUE(Add(2, NOTIFYICON_VERSION));
  POINT p0 = Centre(1), p3 = Centre(2);
  Click(p0);
  EXPECT_EQ(Events(), (std::vector<LPARAM>{WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_LBUTTONUP}));
  Click(p0);  // at once, at the same place: a double click
  EXPECT_EQ(Events(), (std::vector<LPARAM>{WM_MOUSEMOVE, WM_LBUTTONDBLCLK, WM_LBUTTONUP}));
  AdvanceClock(1000);
  Click(p0, VK_RBUTTON);
  EXPECT_EQ(Events(), (std::vector<LPARAM>{WM_MOUSEMOVE, WM_RBUTTONDOWN, WM_RBUTTONUP}));
  AdvanceClock(1000);
  Click(p3);
  EXPECT_EQ(Events(), (std::vector<LPARAM>{WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_LBUTTONUP, NIN_SELECT}));
  AdvanceClock(1000);
  Click(p3, VK_RBUTTON);
  EXPECT_EQ(Events(), (std::vector<LPARAM>{WM_MOUSEMOVE, WM_RBUTTONDOWN, WM_RBUTTONUP, WM_CONTEXTMENU}));
  // Enter and Space after the shell gave the icon the focus.
  NOTIFYICONDATAW d = Data(2, 0);
  ASSERT_TRUE(Shell_NotifyIconW(NIM_SETFOCUS, &d));
  InputKeyDown(VK_RETURN);
  InputKeyUp(VK_RETURN);
  InputKeyDown(VK_SPACE);
  InputKeyUp(VK_SPACE);
  EXPECT_EQ(Events(), (std::vector<LPARAM>{NIN_KEYSELECT, NIN_KEYSELECT}));
}

TEST_F(Platform_Tray, VersionFourPacksTheEventAndThePointer) {
  ASSERT_TRUE(Add(7, NOTIFYICON_VERSION_4));
  POINT p = Centre(7);
  Click(p);
  auto cbs = Callbacks();
  ASSERT_EQ(cbs.size(), 4u);
  UINT want[] = {WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_LBUTTONUP, NIN_SELECT};
  for (size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(LOWORD(cbs[i].LParam), want[i]);
    EXPECT_EQ(HIWORD(cbs[i].LParam), 7u);
    EXPECT_EQ(GET_X_LPARAM(LPARAM(cbs[i].WParam)), p.X);
    EXPECT_EQ(GET_Y_LPARAM(LPARAM(cbs[i].WParam)), p.Y);
  }
}

TEST_F(Platform_Tray, TipShowsAfterTheHoverTimeCutToItsCapacity) {
  NOTIFYICONDATAW d = Data(1, NIF_MESSAGE | NIF_ICON | NIF_TIP);
  for (char16_t& c : d.szTip) c = u'a';  // no terminator at all
  ASSERT_TRUE(Shell_NotifyIconW(NIM_ADD, &d));
  EXPECT_EQ(TakeShellNotifyLog().back().Tip.size(), 127u);
  POINT p = Centre(1);
  InputMouseMove(p.X, p.Y);
  usertest::Pump();
  EXPECT_TRUE(ShellTooltipWindow() == nullptr || !IsWindowVisible(ShellTooltipWindow()));
  UINT hover = 0;
  SystemParametersInfoW(SPI_GETMOUSEHOVERTIME, 0, &hover, 0);
  AdvanceClock(hover + 1);
  usertest::Pump();
  HWND tip = ShellTooltipWindow();
  ASSERT_NE(tip, nullptr);
  EXPECT_TRUE(IsWindowVisible(tip));
  EXPECT_EQ(GetClassName(tip), u"tooltips_class32");
  EXPECT_EQ(GetWindowText(tip), String(127, u'a'));
  RECT tr, strip;
  GetWindowRect(tip, &tr);
  GetWindowRect(ShellTrayWindow(), &strip);
  EXPECT_LE(tr.Bottom, strip.Top);
  // Leaving the icon takes the tip away.
  InputMouseMove(p.X, strip.Top - 300);
  usertest::Pump();
  EXPECT_FALSE(IsWindowVisible(tip));
}

TEST_F(Platform_Tray, BalloonsShowEndByClickOrTimeOutAndOneAtATime) {
  ASSERT_TRUE(Add(1, NOTIFYICON_VERSION));
  ASSERT_TRUE(Add(2, NOTIFYICON_VERSION));
  Callbacks();
  auto balloon = [&](UINT id, const char16_t* text, UINT timeout) {
    NOTIFYICONDATAW d = Data(id, NIF_INFO);
    std::u16string t = text;
    std::copy(t.begin(), t.end(), d.szInfo);
    std::copy_n(u"Title", 5, d.szInfoTitle);
    d.uTimeout = timeout;
    d.dwInfoFlags = NIIF_WARNING;
    return Shell_NotifyIconW(NIM_MODIFY, &d);
  };
  // Shown, then clicked.
  ASSERT_TRUE(balloon(1, u"Hello", 1000));
  EXPECT_EQ(Callbacks(), (std::vector<Callback>{{1, NIN_BALLOONSHOW}}));
  HWND b = ShellBalloonWindow();
  ASSERT_NE(b, nullptr);
  EXPECT_TRUE(GetWindowLongPtrW(b, GWL_STYLE) & TTS_BALLOON);
  EXPECT_EQ(GetWindowText(b), u"Hello");
  RECT br;
  GetWindowRect(b, &br);
  InputMouseMove(br.Left + 20, br.Top + 12);
  InputMouseDown(VK_LBUTTON);
  InputMouseUp(VK_LBUTTON);
  EXPECT_EQ(Callbacks(), (std::vector<Callback>{{1, NIN_BALLOONUSERCLICK}}));
  EXPECT_EQ(ShellBalloonWindow(), nullptr);
  // A short time-out is stretched to 10 s, a long one cut to 30 s.
  for (auto [asked, due] : {std::pair<UINT, DWORD>{1000, 10000}, {60000, 30000}}) {
    ASSERT_TRUE(balloon(2, u"Again", asked));
    EXPECT_EQ(Callbacks(), (std::vector<Callback>{{2, NIN_BALLOONSHOW}}));
    AdvanceClock(due - 5);
    EXPECT_TRUE(Callbacks().empty());
    AdvanceClock(10);
    EXPECT_EQ(Callbacks(), (std::vector<Callback>{{2, NIN_BALLOONTIMEOUT}}));
    EXPECT_EQ(ShellBalloonWindow(), nullptr);
  }
  // Replaced by another icon's balloon, emptied, and gone with its icon.
  ASSERT_TRUE(balloon(1, u"First", 0));
  ASSERT_TRUE(balloon(2, u"Second", 0));
  EXPECT_EQ(Callbacks(), (std::vector<Callback>{{1, NIN_BALLOONSHOW}, {1, NIN_BALLOONHIDE}, {2, NIN_BALLOONSHOW}}));
  ASSERT_TRUE(balloon(2, u"", 0));
  EXPECT_EQ(Callbacks(), (std::vector<Callback>{{2, NIN_BALLOONHIDE}}));
  ASSERT_TRUE(balloon(1, u"Third", 0));
  NOTIFYICONDATAW d = Data(1, 0);
  ASSERT_TRUE(Shell_NotifyIconW(NIM_DELETE, &d));
  EXPECT_EQ(Callbacks(), (std::vector<Callback>{{1, NIN_BALLOONSHOW}, {1, NIN_BALLOONHIDE}}));
  EXPECT_EQ(ShellBalloonWindow(), nullptr);
}

TEST_F(Platform_Tray, IconsOfADestroyedWindowGoAtOnce) {
  ASSERT_TRUE(Add(1));
  NOTIFYICONDATAW d = Data(1, NIF_INFO);
  std::copy_n(u"Going", 5, d.szInfo);
  ASSERT_TRUE(Shell_NotifyIconW(NIM_MODIFY, &d));
  POINT p = Centre(1);
  DestroyWindow(Owner);
  EXPECT_EQ(ShellTrayWindow(), nullptr);
  EXPECT_EQ(ShellBalloonWindow(), nullptr);
  Click(p);
  AdvanceClock(40000);
  usertest::Pump();
  // The balloon never got to tell anything: the window was gone first.
  EXPECT_TRUE(Callbacks().empty());
}

TEST_F(Platform_Tray, RestartPostsTaskbarCreatedToEveryTopLevelWindow) {
  ASSERT_TRUE(Add(1));
  UINT created = RegisterWindowMessageW(u"TaskbarCreated");
  HWND child = usertest::MakeChild(Owner, 0, 0, 10, 10);
  int utility = 0;
  HWND util = AllocateHWnd([&](TMessage& m) {
    if (m.Msg == created) ++utility;
  });
  int app = 0;
  TWindowHook hook = TWindowHook([&](TMessage& m) {
    if (m.Msg == created) ++app;
    return false;
  });
  Application->HookMainWindow(hook);
  // The application hears the broadcast through its own window, which an
  // earlier test may or may not have made.
  ASSERT_NE(Application->Handle(), nullptr);
  RestartShell();
  EXPECT_EQ(ShellTrayWindow(), nullptr);
  usertest::Pump();
  EXPECT_EQ(usertest::MessagesOf(Owner, {created}).size(), 1u);  // hidden, still told
  EXPECT_TRUE(usertest::MessagesOf(child, {created}).empty());
  EXPECT_EQ(utility, 0);
  EXPECT_EQ(app, 1);
  // The icons were forgotten: adding again works.
  EXPECT_TRUE(Add(1));
  Application->UnhookMainWindow(hook);
  DeallocateHWnd(util);
}

TEST(Platform_Shell, SendNotifyMessageReachesEveryTopLevelWindow) {
  usertest::ClearLog();
  HWND a = usertest::MakeTop(0, 0, 10, 10, WS_POPUP);
  HWND b = usertest::MakeTop(0, 0, 10, 10);
  HWND c = usertest::MakeChild(b, 0, 0, 5, 5);
  EXPECT_TRUE(SendNotifyMessageW(HWND_BROADCAST, WM_APP + 3, 1, 2));
  EXPECT_EQ(usertest::MessagesOf(a, {WM_APP + 3}).size(), 1u);
  EXPECT_EQ(usertest::MessagesOf(b, {WM_APP + 3}).size(), 1u);
  EXPECT_TRUE(usertest::MessagesOf(c, {WM_APP + 3}).empty());
  DestroyWindow(a);
  DestroyWindow(b);
}

TEST(Platform_Shell, OwnedWindowsLeaveAndReturnWithTheirOwner) {
  usertest::ClearLog();
  HWND owner = usertest::MakeTop(0, 0, 200, 200, WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  HWND owned = CreateWindowExW(0, usertest::TestClass(), u"owned", WS_POPUP | WS_VISIBLE, 20, 20, 50, 50, owner,
                               nullptr, nullptr, nullptr);
  HWND hiddenOwned = CreateWindowExW(0, usertest::TestClass(), u"hidden", WS_POPUP, 20, 20, 50, 50, owner, nullptr,
                                     nullptr, nullptr);
  // One owned window keeps itself on screen by not passing the message on.
  HWND stubborn = CreateWindowExW(0, usertest::TestClass(), u"stays", WS_POPUP | WS_VISIBLE, 20, 20, 50, 50, owner,
                                  nullptr, nullptr, nullptr);
  usertest::SetHandler(stubborn, [](HWND, UINT msg, WPARAM, LPARAM, bool& handled) -> LRESULT {
    handled = msg == WM_SHOWWINDOW;
    return 0;
  });
  usertest::ClearLog();
  ShowWindow(owner, SW_MINIMIZE);
  EXPECT_FALSE(IsWindowVisible(owned));
  EXPECT_TRUE(IsWindowVisible(stubborn));
  EXPECT_TRUE(usertest::MessagesOf(hiddenOwned, {WM_SHOWWINDOW}).empty());
  auto showOf = [](HWND h) {
    std::vector<std::pair<WPARAM, LPARAM>> v;
    std::lock_guard<std::mutex> lk(usertest::LogLock());
    for (auto& l : usertest::Log())
      if (l.Hwnd == h && l.Msg == WM_SHOWWINDOW) v.push_back({l.WParam, l.LParam});
    return v;
  };
  EXPECT_EQ(showOf(owned), (std::vector<std::pair<WPARAM, LPARAM>>{{0, SW_PARENTCLOSING}}));
  usertest::ClearLog();
  ShowWindow(owner, SW_RESTORE);
  EXPECT_TRUE(IsWindowVisible(owned));
  EXPECT_FALSE(IsWindowVisible(hiddenOwned));
  EXPECT_EQ(showOf(owned), (std::vector<std::pair<WPARAM, LPARAM>>{{1, SW_PARENTOPENING}}));
  DestroyWindow(owner);
  usertest::Pump();
}

TEST(Platform_Shell, AHookUnhookedByAnotherMidMessageIsNotCalled) {
  std::vector<int> calls;
  TWindowHook first, second;
  first = TWindowHook([&](TMessage& m) {
    if (m.Msg == WM_APP + 9) calls.push_back(1);
    return false;
  });
  second = TWindowHook([&](TMessage& m) {
    if (m.Msg == WM_APP + 9) {
      calls.push_back(2);
      Application->UnhookMainWindow(first);
    }
    return false;
  });
  Application->HookMainWindow(first);
  Application->HookMainWindow(second);  // newest: runs first
  SendMessageW(Application->Handle(), WM_APP + 9, 0, 0);
  EXPECT_EQ(calls, (std::vector<int>{2}));
  Application->UnhookMainWindow(second);
}

}  // namespace t_tray_test
