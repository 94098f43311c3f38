#include <random>

#include "platform/user/Clipboard.h"
#include "platform/user/Edit.h"
#include "tests/platform/user/UserTestSupport.h"

namespace t_edit_test {

using namespace vcl;
using namespace usertest;

namespace {

// Retrieves and dispatches everything waiting, typing as the message loop does.
void Drain(int limit = 2000) {
  MSG m;
  for (int n = 0; n < limit && PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE); ++n) {
    TranslateMessage(&m);
    DispatchMessageW(&m);
  }
}

String TextOf(HWND h) { return GetWindowText(h); }

struct Sel {
  DWORD Start = 0, End = 0;
};
Sel SelOf(HWND e) {
  Sel s;
  SendMessageW(e, EM_GETSEL, reinterpret_cast<WPARAM>(&s.Start), reinterpret_cast<LPARAM>(&s.End));
  return s;
}

SCROLLINFO VInfo(HWND e, int bar = SB_VERT) {
  SCROLLINFO si;
  si.fMask = SIF_ALL;
  GetScrollInfo(e, bar, &si);
  return si;
}

// Whether the bar's arrows are disabled: EnableScrollBar answers whether it
// changed anything, so asking for the state the bar is in answers false.
bool BarDisabled(HWND e, int bar) {
  bool changed = EnableScrollBar(e, UINT(bar), ESB_DISABLE_BOTH);
  if (changed) EnableScrollBar(e, UINT(bar), ESB_ENABLE_BOTH);
  return !changed;
}

class Platform_Edit : public InputServerTest {
 protected:
  void SetUp() override {
    InputServerTest::SetUp();
    RegisterSystemControlClasses();
    ResetClipboard();
    Parent = MakeTop(100, 100, 400, 300);
    SetActiveWindow(Parent);
  }
  void TearDown() override {
    ResetClipboard();
    InputServerTest::TearDown();
  }
  HWND MakeEdit(DWORD style, int x, int y, int w, int h, const char16_t* text = u"") {
    HWND e = CreateWindowExW(0, WC_EDIT, text, WS_CHILD | WS_VISIBLE | style, x, y, w, h, Parent,
                             reinterpret_cast<HMENU>(intptr_t(7)), nullptr, nullptr);
    HFONT f = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    SendMessageW(e, WM_SETFONT, reinterpret_cast<WPARAM>(f), 0);
    return e;
  }
  // The EN_* codes the parent received from e, in order.
  std::vector<UINT> Codes(HWND e) {
    std::lock_guard<std::mutex> lk(LogLock());
    std::vector<UINT> r;
    for (auto& l : Log())
      if (l.Hwnd == Parent && l.Msg == WM_COMMAND && reinterpret_cast<HWND>(l.LParam) == e) {
        EXPECT_EQ(LOWORD(l.WParam), 7);
        r.push_back(HIWORD(l.WParam));
      }
    return r;
  }
  static int Count(const std::vector<UINT>& v, UINT code) { return int(std::count(v.begin(), v.end(), code)); }
  int LineHeight(HWND e) {
    HDC dc = GetDC(e);
    SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(e, WM_GETFONT, 0, 0)));
    TEXTMETRICW tm;
    GetTextMetricsW(dc, &tm);
    ReleaseDC(e, dc);
    return tm.tmHeight;
  }
  HWND Parent = nullptr;
};

// ---------------------------------------------------------------------------
// Scroll information and notifications

TEST_F(Platform_Edit, TypingPastTheViewScrollsAndKeepsTheBarsInformation) {
  HWND e = MakeEdit(ES_MULTILINE | ES_AUTOVSCROLL | WS_VSCROLL, 10, 10, 200, 0);
  int lh = LineHeight(e);
  RECT wr;
  GetWindowRect(e, &wr);
  SetWindowPos(e, nullptr, 0, 0, 200, lh * 4 + lh / 2, SWP_NOMOVE | SWP_NOZORDER);
  SetFocus(e);
  Drain();
  // Nothing to scroll yet: the bar is there but disabled.
  EXPECT_TRUE(GetWindowLongW(e, GWL_STYLE) & WS_VSCROLL);
  EXPECT_TRUE(BarDisabled(e, SB_VERT));
  ClearLog();
  InputType(u"one\rtwo\rthree\rfour");
  Drain();
  EXPECT_EQ(Count(Codes(e), EN_VSCROLL), 0);
  SCROLLINFO si = VInfo(e);
  EXPECT_EQ(si.nMax, 3);
  EXPECT_EQ(si.nPage, 4u);
  EXPECT_EQ(si.nPos, 0);
  InputType(u"\rfive\rsix");
  Drain();
  auto codes = Codes(e);
  EXPECT_EQ(Count(codes, EN_VSCROLL), 2);
  EXPECT_EQ(Count(codes, EN_CHANGE), 27);
  si = VInfo(e);
  EXPECT_EQ(si.nMin, 0);
  EXPECT_EQ(si.nMax, 5);
  EXPECT_EQ(si.nPage, 4u);
  EXPECT_EQ(si.nPos, 2);
  EXPECT_EQ(SendMessageW(e, EM_GETFIRSTVISIBLELINE, 0, 0), 2);
  EXPECT_FALSE(BarDisabled(e, SB_VERT));
  // Every scroll notification comes before the change that caused it is reported.
  size_t firstV = std::find(codes.begin(), codes.end(), EN_VSCROLL) - codes.begin();
  ASSERT_LT(firstV, codes.size());
  EXPECT_EQ(codes[firstV + 1], EN_CHANGE);

  // Deleting until it fits: back to the top, the bar disabled but kept.
  ClearLog();
  for (int i = 0; i < 9; ++i) InputType(u"\b");
  Drain();
  si = VInfo(e);
  EXPECT_EQ(si.nMax, 3);
  EXPECT_EQ(si.nPos, 0);
  EXPECT_GE(int(si.nPage), si.nMax + 1);
  EXPECT_TRUE(GetWindowLongW(e, GWL_STYLE) & WS_VSCROLL);
  EXPECT_TRUE(BarDisabled(e, SB_VERT));
  EXPECT_EQ(Count(Codes(e), EN_VSCROLL), 2);  // one line at a time
  // Growing again enables it.
  InputType(u"\rx\ry");
  Drain();
  si = VInfo(e);
  EXPECT_EQ(si.nMax, 5);
  EXPECT_EQ(si.nPos, 2);
  EXPECT_FALSE(BarDisabled(e, SB_VERT));

  // Scroll messages and the wheel move the view and the information.
  SendMessageW(e, WM_VSCROLL, SB_TOP, 0);
  EXPECT_EQ(VInfo(e).nPos, 0);
  SendMessageW(e, WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 1), 0);
  EXPECT_EQ(VInfo(e).nPos, 1);
  SendMessageW(e, WM_VSCROLL, SB_BOTTOM, 0);
  EXPECT_EQ(VInfo(e).nPos, 2);
  EXPECT_EQ(SendMessageW(e, EM_SCROLL, SB_LINEUP, 0), MAKELRESULT(-1, 1));
  SetSystemParameter(SPI_GETWHEELSCROLLLINES, 1);
  SendMessageW(e, WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), 0);
  EXPECT_EQ(VInfo(e).nPos, 0);
  SendMessageW(e, EM_LINESCROLL, 0, 5);
  EXPECT_EQ(VInfo(e).nPos, 2);
}

// A frame that gives the bars no room (as a memo with bars of its own does)
// must not stop the edit from keeping their information.
LRESULT CALLBACK_NoFrame(HWND h, UINT msg, WPARAM wp, LPARAM lp);
WNDPROC gEditProc = nullptr;
LRESULT CALLBACK_NoFrame(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCCALCSIZE) return 0;
  return CallWindowProcW(gEditProc, h, msg, wp, lp);
}

TEST_F(Platform_Edit, BarsWithoutRoomStillGetTheirInformation) {
  HWND e = MakeEdit(ES_MULTILINE | ES_AUTOVSCROLL | WS_VSCROLL | WS_HSCROLL, 10, 10, 150, 60);
  gEditProc = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(e, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(CALLBACK_NoFrame)));
  SetWindowPos(e, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED);
  RECT cr;
  GetClientRect(e, &cr);
  EXPECT_EQ(cr.Right, 150);
  EXPECT_EQ(cr.Bottom, 60);
  int lh = LineHeight(e);
  SetFocus(e);
  InputType(u"a\rb\rc\rd\re\rf\rg\rh a much longer line than the edit is wide");
  Drain();
  SCROLLINFO v = VInfo(e), hz = VInfo(e, SB_HORZ);
  EXPECT_EQ(v.nMax, 7);
  EXPECT_EQ(int(v.nPage), 60 / lh);
  EXPECT_EQ(v.nPos, 8 - int(v.nPage));
  RECT fr;
  SendMessageW(e, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&fr));
  EXPECT_EQ(int(hz.nPage), fr.Right - fr.Left);
  EXPECT_GT(hz.nMax, int(hz.nPage));
  EXPECT_GT(hz.nPos, 0);
  EXPECT_TRUE(GetWindowLongW(e, GWL_STYLE) & WS_VSCROLL);
  EXPECT_FALSE(BarDisabled(e, SB_HORZ));
  // Home brings the horizontal view back.
  InputKeyDown(VK_HOME);
  InputKeyUp(VK_HOME);
  Drain();
  EXPECT_EQ(VInfo(e, SB_HORZ).nPos, 0);
  SetWindowTextW(e, u"short");
  EXPECT_TRUE(BarDisabled(e, SB_HORZ));
  EXPECT_TRUE(BarDisabled(e, SB_VERT));
  EXPECT_EQ(VInfo(e).nMax, 0);
}

TEST_F(Platform_Edit, RedrawOffInsideTheScrollNotificationFreezesThePixels) {
  HWND e = MakeEdit(ES_MULTILINE | ES_AUTOVSCROLL, 10, 10, 200, 0);
  int lh = LineHeight(e);
  SetWindowPos(e, nullptr, 0, 0, 200, lh * 3, SWP_NOMOVE | SWP_NOZORDER);
  bool freeze = false;
  SetHandler(Parent, [&](HWND, UINT msg, WPARAM wp, LPARAM lp, bool& handled) -> LRESULT {
    handled = false;
    if (msg == WM_COMMAND && HIWORD(wp) == EN_VSCROLL && freeze)
      SendMessageW(reinterpret_cast<HWND>(lp), WM_SETREDRAW, 0, 0);
    return 0;
  });
  SetFocus(e);
  InputType(u"alpha\rbeta\rgamma");
  Drain();
  UpdateWindow(Parent);
  HideCaret(e);
  TScreenImage before = CaptureWindow(e, true);
  freeze = true;
  InputType(u"\rdelta\repsilon");
  Drain();
  UpdateWindow(Parent);
  EXPECT_EQ(CaptureWindow(e, true).Pixels, before.Pixels);
  EXPECT_EQ(VInfo(e).nPos, 0);  // no bars: nothing kept
  EXPECT_EQ(SendMessageW(e, EM_GETFIRSTVISIBLELINE, 0, 0), 2);
  // Back on, nothing is repainted until someone asks.
  freeze = false;
  SendMessageW(e, WM_SETREDRAW, 1, 0);
  Drain();
  UpdateWindow(e);
  EXPECT_EQ(CaptureWindow(e, true).Pixels, before.Pixels);
  InvalidateRect(e, nullptr, true);
  UpdateWindow(e);
  EXPECT_NE(CaptureWindow(e, true).Pixels, before.Pixels);
}

// ---------------------------------------------------------------------------
// Editing

TEST_F(Platform_Edit, ReadOnlyRefusesChangesButCopies) {
  HWND e = MakeEdit(ES_MULTILINE | ES_READONLY, 10, 10, 200, 80, u"fixed text");
  SetFocus(e);
  SendMessageW(e, EM_SETSEL, 0, 5);
  ClearLog();
  InputType(u"xy\b\r\x18\x16\x1A");
  InputKeyDown(VK_DELETE);
  InputKeyUp(VK_DELETE);
  Drain();
  SendMessageW(e, WM_CUT, 0, 0);
  SendMessageW(e, WM_CLEAR, 0, 0);
  SendMessageW(e, WM_PASTE, 0, 0);
  EXPECT_EQ(SendMessageW(e, WM_UNDO, 0, 0), 0);
  EXPECT_EQ(TextOf(e), u"fixed text");
  EXPECT_EQ(Count(Codes(e), EN_CHANGE), 0);
  EXPECT_FALSE(IsClipboardFormatAvailable(CF_UNICODETEXT));
  InputType(u"\x03");
  Drain();
  ASSERT_TRUE(OpenClipboard(nullptr));
  auto* p = static_cast<const char16_t*>(GlobalLock(GetClipboardData(CF_UNICODETEXT)));
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(String(p), u"fixed");
  GlobalUnlock(GetClipboardData(CF_UNICODETEXT));
  CloseClipboard();
  // Programs still change it; and it can be made writable again.
  SendMessageW(e, EM_REPLACESEL, 0, reinterpret_cast<LPARAM>(u"set"));
  EXPECT_EQ(TextOf(e), u"set text");
  SendMessageW(e, EM_SETREADONLY, 0, 0);
  EXPECT_FALSE(GetWindowLongW(e, GWL_STYLE) & ES_READONLY);
  InputType(u"!");
  Drain();
  EXPECT_EQ(TextOf(e), u"set! text");
}

TEST_F(Platform_Edit, UndoIsOneLevelAndRedoesWhenRepeated) {
  HWND e = MakeEdit(0, 10, 10, 200, 24);
  SetFocus(e);
  EXPECT_EQ(SendMessageW(e, EM_CANUNDO, 0, 0), 0);
  InputType(u"hello world");
  Drain();
  // One typing run undoes as a whole.
  EXPECT_EQ(SendMessageW(e, EM_CANUNDO, 0, 0), 1);
  SendMessageW(e, EM_SETSEL, 6, 11);
  InputType(u"there");
  Drain();
  EXPECT_EQ(TextOf(e), u"hello there");
  InputType(u"\x1A");
  Drain();
  EXPECT_EQ(TextOf(e), u"hello world");
  EXPECT_EQ(SelOf(e).Start, 6u);
  EXPECT_EQ(SelOf(e).End, 11u);
  InputType(u"\x1A");
  Drain();
  EXPECT_EQ(TextOf(e), u"hello there");
  // Cut, paste and delete each undo on their own.
  SendMessageW(e, EM_SETSEL, 0, 6);
  SendMessageW(e, WM_CUT, 0, 0);
  EXPECT_EQ(TextOf(e), u"there");
  SendMessageW(e, EM_SETSEL, 5, 5);
  SendMessageW(e, WM_PASTE, 0, 0);
  EXPECT_EQ(TextOf(e), u"therehello ");
  SendMessageW(e, WM_UNDO, 0, 0);
  EXPECT_EQ(TextOf(e), u"there");
  SendMessageW(e, EM_EMPTYUNDOBUFFER, 0, 0);
  EXPECT_EQ(SendMessageW(e, EM_CANUNDO, 0, 0), 0);
  EXPECT_EQ(SendMessageW(e, WM_UNDO, 0, 0), 0);
  EXPECT_EQ(TextOf(e), u"there");
  // A new text forgets the old one.
  SetWindowTextW(e, u"fresh");
  EXPECT_EQ(SendMessageW(e, EM_CANUNDO, 0, 0), 0);
  EXPECT_EQ(SendMessageW(e, EM_GETMODIFY, 0, 0), 0);
}

TEST_F(Platform_Edit, KeysMoveTheCaretAndExtendTheSelection) {
  HWND e = MakeEdit(ES_MULTILINE | ES_AUTOVSCROLL | ES_AUTOHSCROLL, 10, 10, 300, 120,
                    u"first line\r\nsecond one\r\nthird");
  SetFocus(e);
  auto key = [](int vk, bool shift = false, bool ctrl = false) {
    if (shift) InputKeyDown(VK_SHIFT);
    if (ctrl) InputKeyDown(VK_CONTROL);
    InputKeyDown(vk);
    InputKeyUp(vk);
    if (ctrl) InputKeyUp(VK_CONTROL);
    if (shift) InputKeyUp(VK_SHIFT);
    Drain();
  };
  SendMessageW(e, EM_SETSEL, 0, 0);
  key(VK_END);
  EXPECT_EQ(SelOf(e).End, 10u);
  key(VK_RIGHT);  // over the line break in one step
  EXPECT_EQ(SelOf(e).End, 12u);
  key(VK_RIGHT, false, true);
  EXPECT_EQ(SelOf(e).End, 19u);  // start of "one"
  key(VK_DOWN);
  EXPECT_EQ(SelOf(e).End, 29u);  // end of the shorter "third"
  key(VK_HOME, true);
  EXPECT_EQ(SelOf(e).Start, 24u);
  EXPECT_EQ(SelOf(e).End, 29u);
  key(VK_HOME, true, true);
  EXPECT_EQ(SelOf(e).Start, 0u);
  EXPECT_EQ(SelOf(e).End, 29u);
  // Left collapses a selection to its start.
  key(VK_LEFT);
  EXPECT_EQ(SelOf(e).Start, 0u);
  EXPECT_EQ(SelOf(e).End, 0u);
  key(VK_END, false, true);
  EXPECT_EQ(SelOf(e).End, 29u);
  key(VK_LEFT, true, true);
  EXPECT_EQ(SelOf(e).Start, 24u);
  // Delete takes a line break whole; Backspace too.
  SendMessageW(e, EM_SETSEL, 10, 10);
  key(VK_DELETE);
  EXPECT_EQ(TextOf(e), u"first linesecond one\r\nthird");
  InputType(u"\r");
  Drain();
  EXPECT_EQ(TextOf(e), u"first line\r\nsecond one\r\nthird");
  InputType(u"\b");
  Drain();
  EXPECT_EQ(TextOf(e), u"first linesecond one\r\nthird");
  // Selection anchors stay where the selection began.
  SendMessageW(e, EM_SETSEL, 15, 10);
  EXPECT_EQ(SelOf(e).Start, 10u);
  key(VK_RIGHT, true);
  EXPECT_EQ(SelOf(e).Start, 11u);
  EXPECT_EQ(SelOf(e).End, 15u);
  // Ctrl+A selects everything.
  InputType(u"\x01");
  Drain();
  EXPECT_EQ(SelOf(e).Start, 0u);
  EXPECT_EQ(SelOf(e).End, DWORD(GetWindowTextLengthW(e)));
}

TEST_F(Platform_Edit, FiltersLimitsAndNotifications) {
  HWND num = MakeEdit(ES_NUMBER | ES_AUTOHSCROLL, 10, 10, 100, 24);
  SetFocus(num);
  InputType(u"4a2-7");
  Drain();
  EXPECT_EQ(TextOf(num), u"427");
  HWND up = MakeEdit(ES_UPPERCASE | ES_AUTOHSCROLL, 10, 40, 100, 24, u"Mixed");
  EXPECT_EQ(TextOf(up), u"MIXED");
  SendMessageW(up, EM_LIMITTEXT, 7, 0);
  EXPECT_EQ(SendMessageW(up, EM_GETLIMITTEXT, 0, 0), 7);
  SetFocus(up);
  SendMessageW(up, EM_SETSEL, 5, 5);
  ClearLog();
  InputType(u"abcd");
  Drain();
  EXPECT_EQ(TextOf(up), u"MIXEDAB");
  auto codes = Codes(up);
  EXPECT_EQ(Count(codes, EN_MAXTEXT), 2);
  EXPECT_EQ(Count(codes, EN_CHANGE), 2);
  // EN_UPDATE comes before each EN_CHANGE.
  std::vector<UINT> changes;
  for (UINT c : codes)
    if (c == EN_UPDATE || c == EN_CHANGE) changes.push_back(c);
  EXPECT_EQ(changes, (std::vector<UINT>{EN_UPDATE, EN_CHANGE, EN_UPDATE, EN_CHANGE}));
  // A single line takes only the first line of a paste.
  HWND one = MakeEdit(ES_AUTOHSCROLL, 10, 70, 100, 24);
  SendMessageW(one, EM_REPLACESEL, 0, reinterpret_cast<LPARAM>(u"top\r\nbottom"));
  EXPECT_EQ(TextOf(one), u"top");
  // WM_SETTEXT: a single line reports the change, a multi-line edit does not.
  HWND multi = MakeEdit(ES_MULTILINE, 10, 100, 100, 60);
  ClearLog();
  SetWindowTextW(one, u"x");
  SetWindowTextW(multi, u"y");
  EXPECT_EQ(Count(Codes(one), EN_CHANGE), 1);
  EXPECT_EQ(Count(Codes(multi), EN_CHANGE), 0);
  EXPECT_EQ(Count(Codes(multi), EN_UPDATE), 1);
  // Focus notifications.
  ClearLog();
  SetFocus(multi);
  SetFocus(one);
  EXPECT_EQ(Codes(multi), (std::vector<UINT>{EN_SETFOCUS, EN_KILLFOCUS}));
  // A password shows its character and keeps the text off the clipboard.
  HWND pw = MakeEdit(ES_PASSWORD | ES_AUTOHSCROLL, 10, 130, 100, 24, u"secret");
  EXPECT_EQ(SendMessageW(pw, EM_GETPASSWORDCHAR, 0, 0), u'*');
  SendMessageW(pw, EM_SETSEL, 0, -1);
  SendMessageW(pw, WM_COPY, 0, 0);
  EXPECT_FALSE(IsClipboardFormatAvailable(CF_UNICODETEXT));
  SendMessageW(pw, EM_SETPASSWORDCHAR, 0, 0);
  EXPECT_FALSE(GetWindowLongW(pw, GWL_STYLE) & ES_PASSWORD);
  // Margins make the formatting rectangle; EM_SETRECT replaces it.
  SendMessageW(pw, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, MAKELPARAM(5, 7));
  EXPECT_EQ(SendMessageW(pw, EM_GETMARGINS, 0, 0), MAKELRESULT(5, 7));
  RECT cr, fr;
  GetClientRect(pw, &cr);
  SendMessageW(pw, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&fr));
  EXPECT_EQ(fr.Left, 5);
  EXPECT_EQ(fr.Right, cr.Right - 7);
  RECT set{10, 2, 60, 20};
  SendMessageW(pw, EM_SETRECTNP, 0, reinterpret_cast<LPARAM>(&set));
  SendMessageW(pw, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&fr));
  EXPECT_EQ(fr, set);
  EXPECT_EQ(GET_X_LPARAM(SendMessageW(pw, EM_POSFROMCHAR, 0, 0)), 10);
}

TEST_F(Platform_Edit, CopiesNeverWritePastTheBuffer) {
  HWND e = MakeEdit(ES_MULTILINE, 10, 10, 200, 80, u"abcdef\r\nxy");
  char16_t buf[16];
  std::fill(std::begin(buf), std::end(buf), u'#');
  EXPECT_EQ(SendMessageW(e, WM_GETTEXT, 0, reinterpret_cast<LPARAM>(buf)), 0);
  EXPECT_EQ(buf[0], u'#');
  EXPECT_EQ(SendMessageW(e, WM_GETTEXT, 5, 0), 0);
  EXPECT_EQ(SendMessageW(e, WM_GETTEXT, 4, reinterpret_cast<LPARAM>(buf)), 3);
  EXPECT_EQ(String(buf), u"abc");
  EXPECT_EQ(buf[4], u'#');
  // EM_GETLINE: the size in the first word; no terminator is promised.
  std::fill(std::begin(buf), std::end(buf), u'#');
  buf[0] = 3;
  EXPECT_EQ(SendMessageW(e, EM_GETLINE, 0, reinterpret_cast<LPARAM>(buf)), 3);
  EXPECT_EQ(String(buf, 3), u"abc");
  EXPECT_EQ(buf[3], u'#');
  buf[0] = 0;
  EXPECT_EQ(SendMessageW(e, EM_GETLINE, 0, reinterpret_cast<LPARAM>(buf)), 0);
  EXPECT_EQ(SendMessageW(e, EM_GETLINE, 0, 0), 0);
  buf[0] = 10;
  EXPECT_EQ(SendMessageW(e, EM_GETLINE, 1, reinterpret_cast<LPARAM>(buf)), 2);
  EXPECT_EQ(String(buf), u"xy");
  EXPECT_EQ(SendMessageW(e, EM_GETLINE, 2, reinterpret_cast<LPARAM>(buf)), 0);
}

// ---------------------------------------------------------------------------
// Layout against a reference

// Greedy word wrap measured with whole-substring extents.
struct RefLayout {
  std::vector<int> Starts;
};
RefLayout Reference(HDC dc, const String& t, int width) {
  RefLayout r;
  auto extent = [&](int a, int b) {
    SIZE sz{};
    GetTextExtentPoint32W(dc, t.c_str() + a, b - a, &sz);
    return int(sz.cx);
  };
  int n = int(t.size()), p = 0;
  while (true) {
    int e = int(t.find(u"\r\n", size_t(p)));
    if (e < 0) e = n;
    int q = p;
    r.Starts.push_back(q);
    while (extent(q, e) > width) {
      int fit = q + 1;
      while (fit < e && extent(q, fit + 1) <= width) ++fit;
      int brk = fit;
      for (int k = fit; k > q; --k)
        if (t[size_t(k) - 1] == u' ') {
          brk = k;
          break;
        }
      while (brk < e && t[size_t(brk)] == u' ') ++brk;
      if (brk >= e) break;
      q = brk;
      r.Starts.push_back(q);
    }
    if (e >= n) break;
    p = e + 2;
  }
  return r;
}

TEST_F(Platform_Edit, WrappedLayoutMatchesAReferenceOverRandomTexts) {
  std::mt19937 rng(33);
  const String words[] = {u"a", u"edit", u"Quarn", u"wrapping", u"of", u"lines", u"WWWWWWWWWWWWWWW", u"ij", u"mm"};
  for (int round = 0; round < 40; ++round) {
    String t;
    int count = int(rng() % 30);
    for (int i = 0; i < count; ++i) {
      t += words[rng() % 9];
      int sep = int(rng() % 10);
      t += sep < 7 ? u" " : sep < 8 ? u"  " : sep < 9 ? u"\r\n" : u"";
    }
    HWND e = MakeEdit(ES_MULTILINE, 0, 0, 34 + int(rng() % 200), 400, t.c_str());
    RECT fr;
    SendMessageW(e, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&fr));
    int width = fr.Right - fr.Left;
    ASSERT_GT(width, 20);
    HDC dc = CreateCompatibleDC(nullptr);
    SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    TEXTMETRICW tm;
    GetTextMetricsW(dc, &tm);
    RefLayout ref = Reference(dc, t, width);
    SCOPED_TRACE(testing::Message() << "round " << round << " width " << width);
    ASSERT_EQ(SendMessageW(e, EM_GETLINECOUNT, 0, 0), LRESULT(ref.Starts.size()));
    for (size_t i = 0; i < ref.Starts.size(); ++i) {
      ASSERT_EQ(SendMessageW(e, EM_LINEINDEX, i, 0), ref.Starts[i]);
      int end = i + 1 < ref.Starts.size() ? ref.Starts[i + 1] : int(t.size());
      for (int k = ref.Starts[i]; k < end; ++k) {
        if (k > ref.Starts[i] && t[size_t(k) - 1] == u'\r') continue;  // inside a line break
        SIZE sz{};
        GetTextExtentPoint32W(dc, t.c_str() + ref.Starts[i], k - ref.Starts[i], &sz);
        LRESULT pos = SendMessageW(e, EM_POSFROMCHAR, WPARAM(k), 0);
        ASSERT_EQ(GET_X_LPARAM(pos), fr.Left + sz.cx) << k;
        ASSERT_EQ(GET_Y_LPARAM(pos), fr.Top + int(i) * tm.tmHeight) << k;
        ASSERT_EQ(SendMessageW(e, EM_LINEFROMCHAR, WPARAM(k), 0), LRESULT(i)) << k;
        // A point on the character's left half finds it.
        if (k < end && t[size_t(k)] != u'\r' && t[size_t(k)] != u' ') {
          LRESULT at = SendMessageW(e, EM_CHARFROMPOS, 0, MAKELPARAM(fr.Left + sz.cx + 1, fr.Top + int(i) * tm.tmHeight + 2));
          ASSERT_EQ(LOWORD(at), k);
          ASSERT_EQ(HIWORD(at), i);
        }
      }
    }
    DeleteDC(dc);
    DestroyWindow(e);
  }
}

// ---------------------------------------------------------------------------
// Painting

TEST_F(Platform_Edit, PaintsInTheParentsColoursAndLeavesANullBrushAlone) {
  HWND e = MakeEdit(ES_MULTILINE, 0, 0, 120, 40, u"Text");
  bool clear = false;
  SetHandler(Parent, [&](HWND, UINT msg, WPARAM wp, LPARAM, bool& handled) -> LRESULT {
    handled = msg == WM_CTLCOLOREDIT || msg == WM_CTLCOLORSTATIC;
    if (!handled) return 0;
    HDC dc = reinterpret_cast<HDC>(wp);
    SetTextColor(dc, RGB(200, 0, 0));
    if (clear) {
      SetBkMode(dc, TRANSPARENT);
      return reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH));
    }
    SetBkColor(dc, RGB(0, 0, 200));
    return reinterpret_cast<LRESULT>(GetStockObject(BLACK_BRUSH));
  });
  HDC mem = CreateCompatibleDC(nullptr);
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  bi.bmiHeader.biWidth = 120;
  bi.bmiHeader.biHeight = -40;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HBITMAP bmp = CreateDIBSection(mem, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  SelectObject(mem, bmp);
  auto* px = static_cast<uint32_t*>(bits);
  auto fill = [&] { std::fill(px, px + 120 * 40, 0x00336699u); };
  auto count = [&](uint32_t rgb) { return std::count_if(px, px + 120 * 40, [&](uint32_t v) { return (v & 0xFFFFFF) == rgb; }); };

  fill();
  SendMessageW(e, WM_PAINT, reinterpret_cast<WPARAM>(mem), 0);
  EXPECT_EQ(count(0x336699), 0);  // the black brush covered everything
  EXPECT_GT(count(0xC80000), 5);  // text in the parent's colour
  EXPECT_EQ(px[39 * 120 + 119] & 0xFFFFFF, 0u);
  // OPAQUE text cells take the background colour.
  EXPECT_GT(count(0x0000C8), 5);

  clear = true;
  fill();
  SendMessageW(e, WM_PAINT, reinterpret_cast<WPARAM>(mem), 0);
  long keep = count(0x336699), ink = count(0xC80000);
  EXPECT_GT(ink, 5);
  EXPECT_EQ(count(0x0000C8), 0);
  // Everything that is not ink (or its anti-aliased rim) stays as it was.
  EXPECT_GT(keep, 120 * 40 - 3 * ink - 200);
  EXPECT_EQ(px[39 * 120 + 119] & 0xFFFFFF, 0x336699u);
  // WM_ERASEBKGND with the null brush leaves the pixels too.
  SendMessageW(e, WM_ERASEBKGND, reinterpret_cast<WPARAM>(mem), 0);
  EXPECT_EQ(count(0x336699), keep);

  // Read-only edits ask with WM_CTLCOLORSTATIC; selections use the highlight.
  ClearLog();
  SendMessageW(e, EM_SETREADONLY, 1, 0);
  SendMessageW(e, EM_SETSEL, 0, 4);
  SetFocus(e);
  fill();
  SendMessageW(e, WM_PAINT, reinterpret_cast<WPARAM>(mem), 0);
  EXPECT_EQ(MessagesOf(Parent, {WM_CTLCOLOREDIT, WM_CTLCOLORSTATIC}), std::vector<UINT>{WM_CTLCOLORSTATIC});
  DWORD hl = GetSysColor(COLOR_HIGHLIGHT);
  EXPECT_GT(count((GetRValue(hl) << 16) | (GetGValue(hl) << 8) | GetBValue(hl)), 20);
  DeleteDC(mem);
  DeleteObject(bmp);
}

// ---------------------------------------------------------------------------
// Mouse

TEST_F(Platform_Edit, ClicksDragsAndDoubleClicks) {
  HWND e = MakeEdit(ES_MULTILINE | ES_AUTOVSCROLL | WS_VSCROLL, 20, 20, 200, 0,
                    u"alpha beta gamma\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n8");
  int lh = LineHeight(e);
  SetWindowPos(e, nullptr, 0, 0, 200, lh * 3, SWP_NOMOVE | SWP_NOZORDER);
  Drain();
  POINT o{0, 0};
  ClientToScreen(e, &o);
  auto charPoint = [&](int i) {
    LRESULT p = SendMessageW(e, EM_POSFROMCHAR, WPARAM(i), 0);
    return POINT(o.X + GET_X_LPARAM(p) + 1, o.Y + GET_Y_LPARAM(p) + lh / 2);
  };
  POINT p = charPoint(6);
  InputMouseMove(p.X, p.Y);
  InputMouseDown(VK_LBUTTON);
  InputMouseUp(VK_LBUTTON);
  Drain();
  EXPECT_EQ(GetFocus(), e);
  EXPECT_EQ(SelOf(e).Start, 6u);
  EXPECT_EQ(SelOf(e).End, 6u);
  AdvanceClock(1000);
  // A drag selects, and below the view it scrolls on the clock.
  InputMouseDown(VK_LBUTTON);
  Drain();
  EXPECT_EQ(GetCapture(), e);
  POINT q = charPoint(10);
  InputMouseMove(q.X, q.Y);
  Drain();
  EXPECT_EQ(SelOf(e).Start, 6u);
  EXPECT_EQ(SelOf(e).End, 10u);
  ClearLog();
  InputMouseMove(q.X, o.Y + lh * 3 + 20);
  Drain();
  for (int i = 0; i < 5; ++i) {
    AdvanceClock(60);
    Drain();
  }
  EXPECT_GT(SendMessageW(e, EM_GETFIRSTVISIBLELINE, 0, 0), 1);
  EXPECT_GT(Count(Codes(e), EN_VSCROLL), 1);
  EXPECT_GT(SelOf(e).End, 20u);
  EXPECT_EQ(SelOf(e).Start, 6u);
  InputMouseUp(VK_LBUTTON);
  Drain();
  EXPECT_EQ(GetCapture(), nullptr);
  int top = int(SendMessageW(e, EM_GETFIRSTVISIBLELINE, 0, 0));
  AdvanceClock(500);
  Drain();
  EXPECT_EQ(SendMessageW(e, EM_GETFIRSTVISIBLELINE, 0, 0), top);
  // A double click takes the word.
  SendMessageW(e, WM_VSCROLL, SB_TOP, 0);
  AdvanceClock(1000);
  POINT w = charPoint(13);
  InputMouseMove(w.X, w.Y);
  for (int i = 0; i < 2; ++i) {
    InputMouseDown(VK_LBUTTON);
    InputMouseUp(VK_LBUTTON);
  }
  Drain();
  EXPECT_EQ(SelOf(e).Start, 11u);
  EXPECT_EQ(SelOf(e).End, 16u);
}

TEST_F(Platform_Edit, TheContextMenuEditsTheText) {
  HWND e = MakeEdit(ES_AUTOHSCROLL, 20, 20, 200, 24, u"menu text");
  SendMessageW(e, EM_SETSEL, 0, 4);
  std::vector<std::pair<UINT, UINT>> states;
  UINT pick = EditMenuCopy;
  SetMenuResponder([&](HMENU m, UINT& cmd) {
    states.clear();
    for (int i = 0; i < GetMenuItemCount(m); ++i)
      states.emplace_back(GetMenuItemID(m, i), GetMenuState(m, UINT(i), MF_BYPOSITION) & MF_GRAYED);
    cmd = pick;
    return true;
  });
  SendMessageW(e, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(e), MAKELPARAM(50, 50));
  std::vector<std::pair<UINT, UINT>> want{{EditMenuUndo, MF_GRAYED}, {0, 0}, {EditMenuCut, 0}, {EditMenuCopy, 0},
                                          {EditMenuPaste, MF_GRAYED}, {EditMenuDelete, 0}, {0, 0},
                                          {EditMenuSelectAll, 0}};
  EXPECT_EQ(states, want);
  EXPECT_TRUE(IsClipboardFormatAvailable(CF_UNICODETEXT));
  pick = EditMenuSelectAll;
  SendMessageW(e, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(e), MAKELPARAM(50, 50));
  EXPECT_EQ(SelOf(e).End, 9u);
  pick = EditMenuPaste;
  SendMessageW(e, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(e), -1);
  EXPECT_EQ(TextOf(e), u"menu");
  pick = EditMenuUndo;
  SendMessageW(e, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(e), -1);
  EXPECT_EQ(TextOf(e), u"menu text");
  SetMenuResponder(nullptr);
}

}  // namespace

}  // namespace t_edit_test
