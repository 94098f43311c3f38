// The native tab control: item and display rectangles on every side with
// one and two rows, row rotation, hit tests against the item rectangles,
// presses refused and allowed by the parent, keys, scrolling a long row, owner
// drawing and the classic picture probed by pixels.
#include <gtest/gtest.h>

#include <random>

#include "platform/comctl/TabControl.h"
#include "platform/gdi/GdiText.h"
#include "tests/platform/user/UserTestSupport.h"

namespace t_tab_control_test {

using namespace vcl;
using namespace usertest;

namespace {

void Drain(int limit = 2000) {
  MSG m;
  for (int n = 0; n < limit && PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE); ++n) {
    TranslateMessage(&m);
    DispatchMessageW(&m);
  }
}

int TextWidth(const char16_t* s) {
  HDC dc = CreateCompatibleDC(nullptr);
  SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
  SIZE sz{0, 0};
  GetTextExtentPoint32W(dc, s, int(std::char_traits<char16_t>::length(s)), &sz);
  DeleteDC(dc);
  return sz.cx;
}

RECT ItemRect(HWND t, int i) {
  RECT r{-1, -1, -1, -1};
  SendMessageW(t, TCM_GETITEMRECT, WPARAM(i), reinterpret_cast<LPARAM>(&r));
  return r;
}

RECT Adjust(HWND t, bool larger, RECT r) {
  SendMessageW(t, TCM_ADJUSTRECT, larger, reinterpret_cast<LPARAM>(&r));
  return r;
}

void Insert(HWND t, std::initializer_list<const char16_t*> texts) {
  for (auto s : texts) {
    TCITEMW it;
    it.mask = TCIF_TEXT | TCIF_PARAM;
    it.pszText = const_cast<char16_t*>(s);
    it.lParam = 100 + SendMessageW(t, TCM_GETITEMCOUNT, 0, 0);
    SendMessageW(t, TCM_INSERTITEMW, WPARAM(SendMessageW(t, TCM_GETITEMCOUNT, 0, 0)), reinterpret_cast<LPARAM>(&it));
  }
}

#define EXPECT_RECT(r, l, t, rr, b)                                                                   \
  do {                                                                                                \
    RECT e_{l, t, rr, b};                                                                             \
    EXPECT_TRUE((r).Left == e_.Left && (r).Top == e_.Top && (r).Right == e_.Right && (r).Bottom == e_.Bottom) \
        << "got (" << (r).Left << "," << (r).Top << "," << (r).Right << "," << (r).Bottom << ")";     \
  } while (0)

class Platform_TabControl : public InputServerTest {
 protected:
  void SetUp() override {
    InputServerTest::SetUp();
    InitCommonControls();
    Parent = MakeTop(100, 100, 500, 400);
    SetActiveWindow(Parent);
    SetHandler(Parent, [this](HWND, UINT msg, WPARAM, LPARAM lp, bool& handled) -> LRESULT {
      handled = false;
      if (msg == WM_NOTIFY) {
        auto* nm = reinterpret_cast<NMHDR*>(lp);
        Notes.push_back(nm->code);
        if (nm->code == TCN_KEYDOWN) Keys.push_back(reinterpret_cast<NMTCKEYDOWN*>(lp)->wVKey);
        handled = true;
        return nm->code == TCN_SELCHANGING ? Veto : 0;
      }
      if (msg == WM_DRAWITEM) {
        auto* di = reinterpret_cast<DRAWITEMSTRUCT*>(lp);
        Draws.push_back(*di);
        handled = true;
        return 1;
      }
      return 0;
    });
  }
  HWND Make(DWORD style, int w = 300, int h = 200) {
    return CreateWindowExW(0, WC_TABCONTROL, u"", WS_CHILD | WS_VISIBLE | style, 10, 10, w, h, Parent,
                           reinterpret_cast<HMENU>(intptr_t(7)), nullptr, nullptr);
  }
  void ClickAt(HWND t, int x, int y) {
    POINT p{x, y};
    ClientToScreen(t, &p);
    InputMouseMove(p.X, p.Y);
    InputMouseDown(VK_LBUTTON);
    InputMouseUp(VK_LBUTTON);
    Drain();
  }
  HWND Parent = nullptr;
  LRESULT Veto = 0;
  std::vector<UINT> Notes;
  std::vector<WORD> Keys;
  std::vector<DRAWITEMSTRUCT> Draws;
};

TEST_F(Platform_TabControl, ItemAndDisplayRectanglesOnEachSide) {
  const int w0 = TextWidth(u"First") + 12, w1 = TextWidth(u"Second") + 12;
  struct Case {
    DWORD Style;
    RECT Item0, Item1, Display;
  };
  const Case cases[] = {
      {0, {2, 2, 2 + w0, 22}, {2 + w0, 2, 2 + w0 + w1, 22}, {4, 26, 296, 196}},
      {TCS_BOTTOM, {2, 178, 2 + w0, 198}, {2 + w0, 178, 2 + w0 + w1, 198}, {4, 4, 296, 174}},
      {TCS_VERTICAL, {2, 2, 22, 2 + w0}, {2, 2 + w0, 22, 2 + w0 + w1}, {26, 4, 296, 196}},
      {TCS_VERTICAL | TCS_RIGHT, {278, 2, 298, 2 + w0}, {278, 2 + w0, 298, 2 + w0 + w1}, {4, 4, 274, 196}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Style);
    HWND t = Make(c.Style);
    Insert(t, {u"First", u"Second"});
    // Height always, width only for fixed-width tabs.
    SendMessageW(t, TCM_SETITEMSIZE, 0, MAKELPARAM(80, 20));
    EXPECT_RECT(ItemRect(t, 0), c.Item0.Left, c.Item0.Top, c.Item0.Right, c.Item0.Bottom);
    EXPECT_RECT(ItemRect(t, 1), c.Item1.Left, c.Item1.Top, c.Item1.Right, c.Item1.Bottom);
    RECT d = Adjust(t, false, RECT{0, 0, 300, 200});
    EXPECT_RECT(d, c.Display.Left, c.Display.Top, c.Display.Right, c.Display.Bottom);
    RECT back = Adjust(t, true, d);
    EXPECT_RECT(back, 0, 0, 300, 200);
    EXPECT_EQ(SendMessageW(t, TCM_GETROWCOUNT, 0, 0), 1);
    // Outside the items: nothing written.
    RECT untouched{1, 2, 3, 4};
    EXPECT_EQ(SendMessageW(t, TCM_GETITEMRECT, 2, reinterpret_cast<LPARAM>(&untouched)), 0);
    EXPECT_RECT(untouched, 1, 2, 3, 4);
    DestroyWindow(t);
  }
  // Fixed width takes the width, and padding changes computed tabs.
  HWND t = Make(TCS_FIXEDWIDTH);
  Insert(t, {u"First", u"Second"});
  SendMessageW(t, TCM_SETITEMSIZE, 0, MAKELPARAM(80, 20));
  EXPECT_RECT(ItemRect(t, 1), 82, 2, 162, 22);
  HWND u = Make(0);
  Insert(u, {u"First"});
  SendMessageW(u, TCM_SETPADDING, 0, MAKELPARAM(10, 3));
  EXPECT_EQ(ItemRect(u, 0).Right, 2 + TextWidth(u"First") + 20);
}

TEST_F(Platform_TabControl, TwoRowsRotateTheSelectedRowInwards) {
  HWND t = Make(TCS_MULTILINE | TCS_FIXEDWIDTH, 250, 200);
  Insert(t, {u"a", u"b", u"c"});
  SendMessageW(t, TCM_SETITEMSIZE, 0, MAKELPARAM(100, 20));
  EXPECT_EQ(SendMessageW(t, TCM_GETROWCOUNT, 0, 0), 2);
  // Tab 0 is selected: its row lies next to the display area.
  EXPECT_RECT(ItemRect(t, 0), 2, 22, 102, 42);
  EXPECT_RECT(ItemRect(t, 1), 102, 22, 202, 42);
  EXPECT_RECT(ItemRect(t, 2), 2, 2, 102, 22);
  EXPECT_RECT(Adjust(t, false, RECT{0, 0, 250, 200}), 4, 46, 246, 196);
  SendMessageW(t, TCM_SETCURSEL, 2, 0);
  EXPECT_RECT(ItemRect(t, 2), 2, 22, 102, 42);
  EXPECT_RECT(ItemRect(t, 0), 2, 2, 102, 22);
  // Without fixed width, rows stretch to the full length unless ragged.
  for (DWORD ragged : {DWORD(0), TCS_RAGGEDRIGHT}) {
    HWND m = Make(TCS_MULTILINE | ragged, 250, 200);
    Insert(m, {u"Alpha", u"Bravo", u"Charlie", u"Delta", u"Echo", u"Foxtrot", u"Golf"});
    ASSERT_GE(SendMessageW(m, TCM_GETROWCOUNT, 0, 0), 2);
    int full = 0;
    for (int i = 0; i < 7; ++i) full += ItemRect(m, i).Right == 248;
    if (ragged) EXPECT_EQ(full, 0);
    else EXPECT_EQ(full, SendMessageW(m, TCM_GETROWCOUNT, 0, 0));
  }
  // Vertical tabs wrap into columns.
  HWND v = Make(TCS_VERTICAL | TCS_FIXEDWIDTH, 300, 250);
  Insert(v, {u"a", u"b", u"c"});
  SendMessageW(v, TCM_SETITEMSIZE, 0, MAKELPARAM(100, 20));
  EXPECT_EQ(SendMessageW(v, TCM_GETROWCOUNT, 0, 0), 2);
  EXPECT_RECT(Adjust(v, false, RECT{0, 0, 300, 250}), 46, 4, 296, 246);
}

TEST_F(Platform_TabControl, HitTestsAgreeWithTheItemRectangles) {
  // Random tab sets, styles and points against a search of the rectangles.
  std::mt19937 rng(34);
  const char16_t* words[] = {u"x", u"Tab", u"Settings", u"A longer caption", u"Mi", u"Page two"};
  const DWORD styles[] = {0, TCS_MULTILINE, TCS_BOTTOM | TCS_MULTILINE, TCS_VERTICAL, TCS_VERTICAL | TCS_RIGHT,
                          TCS_BUTTONS | TCS_MULTILINE, TCS_MULTILINE | TCS_RAGGEDRIGHT};
  for (int round = 0; round < 40; ++round) {
    DWORD style = styles[rng() % std::size(styles)];
    int w = 120 + int(rng() % 300), h = 100 + int(rng() % 200);
    HWND t = Make(style, w, h);
    int n = 1 + int(rng() % 12);
    for (int i = 0; i < n; ++i) Insert(t, {words[rng() % std::size(words)]});
    SendMessageW(t, TCM_SETCURSEL, rng() % unsigned(n), 0);
    std::vector<RECT> rects;
    for (int i = 0; i < n; ++i) rects.push_back(ItemRect(t, i));
    // No two tabs overlap; multi-line tabs stay within the control.
    for (int i = 0; i < n; ++i) {
      for (int j = i + 1; j < n; ++j) {
        RECT x;
        EXPECT_FALSE(IntersectRect(x, rects[size_t(i)], rects[size_t(j)])) << round << ": " << i << " " << j;
      }
    }
    for (int k = 0; k < 60; ++k) {
      TCHITTESTINFO ht;
      ht.pt = POINT(int(rng() % unsigned(w)), int(rng() % unsigned(h)));
      int want = -1;
      for (int i = 0; i < n; ++i)
        if (PtInRect(rects[size_t(i)], ht.pt)) want = i;
      EXPECT_EQ(SendMessageW(t, TCM_HITTEST, 0, reinterpret_cast<LPARAM>(&ht)), want) << round;
      EXPECT_EQ(ht.flags, want < 0 ? TCHT_NOWHERE : TCHT_ONITEMLABEL);
    }
    DestroyWindow(t);
  }
}

TEST_F(Platform_TabControl, PressesAskTheParentAndUseTheControlsOwnGeometry) {
  HWND t = Make(0);
  Insert(t, {u"One", u"Two", u"Three"});
  EXPECT_EQ(SendMessageW(t, TCM_GETCURSEL, 0, 0), 0);
  // The program's own choice tells nobody.
  EXPECT_EQ(SendMessageW(t, TCM_SETCURSEL, 2, 0), 0);
  EXPECT_EQ(SendMessageW(t, TCM_SETCURSEL, 5, 0), -1);
  EXPECT_TRUE(Notes.empty());
  SendMessageW(t, TCM_SETCURSEL, 0, 0);
  RECT r1 = ItemRect(t, 1);
  Veto = 1;
  ClickAt(t, r1.Left + 3, r1.Top + 3);
  EXPECT_EQ(Notes, std::vector<UINT>{TCN_SELCHANGING});
  EXPECT_EQ(SendMessageW(t, TCM_GETCURSEL, 0, 0), 0);
  Notes.clear();
  Veto = 0;
  // A window procedure moving the answered rectangles does not move the tabs.
  static WNDPROC old;
  old = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(t, GWLP_WNDPROC));
  SetWindowLongPtrW(t, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(+[](HWND h, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
                      LRESULT res = CallWindowProcW(old, h, m, wp, lp);
                      if (m == TCM_GETITEMRECT && res) OffsetRect(*reinterpret_cast<RECT*>(lp), 60, 0);
                      return res;
                    }));
  ClickAt(t, r1.Left + 3, r1.Top + 3);
  EXPECT_EQ((std::vector<UINT>{TCN_SELCHANGING, TCN_SELCHANGE}), Notes);
  EXPECT_EQ(SendMessageW(t, TCM_GETCURSEL, 0, 0), 1);
  EXPECT_EQ(GetFocus(), t);
  // A press beside the tabs changes nothing.
  Notes.clear();
  ClickAt(t, 290, 5);
  EXPECT_TRUE(Notes.empty());
  // Deleting the selected tab leaves none selected; earlier ones shift it.
  SendMessageW(t, TCM_DELETEITEM, 0, 0);
  EXPECT_EQ(SendMessageW(t, TCM_GETCURSEL, 0, 0), 0);
  SendMessageW(t, TCM_DELETEITEM, 0, 0);
  EXPECT_EQ(SendMessageW(t, TCM_GETCURSEL, 0, 0), -1);
  TCITEMW it;
  it.mask = TCIF_PARAM;
  EXPECT_EQ(SendMessageW(t, TCM_GETITEMW, 3, reinterpret_cast<LPARAM>(&it)), 0);
  EXPECT_EQ(SendMessageW(t, TCM_GETITEMW, 0, reinterpret_cast<LPARAM>(&it)), 1);
  EXPECT_EQ(it.lParam, 102);
}

TEST_F(Platform_TabControl, ArrowKeysMoveTheSelectionAlongTheTabs) {
  for (DWORD style : {DWORD(0), TCS_VERTICAL}) {
    SCOPED_TRACE(style);
    HWND t = Make(style);
    Insert(t, {u"One", u"Two", u"Three"});
    SetFocus(t);
    Notes.clear();
    Keys.clear();
    int next = style ? VK_DOWN : VK_RIGHT, prev = style ? VK_UP : VK_LEFT, across = style ? VK_RIGHT : VK_DOWN;
    InputKeyDown(next);
    InputKeyUp(next);
    Drain();
    EXPECT_EQ(SendMessageW(t, TCM_GETCURSEL, 0, 0), 1);
    EXPECT_EQ((std::vector<UINT>{TCN_KEYDOWN, TCN_SELCHANGING, TCN_SELCHANGE}), Notes);
    EXPECT_EQ(Keys, std::vector<WORD>{WORD(next)});
    InputKeyDown(across);
    InputKeyUp(across);
    InputKeyDown(VK_END);
    InputKeyUp(VK_END);
    Drain();
    EXPECT_EQ(SendMessageW(t, TCM_GETCURSEL, 0, 0), 2);
    InputKeyDown(next);  // past the last: nothing
    InputKeyUp(next);
    Veto = 1;
    InputKeyDown(prev);
    InputKeyUp(prev);
    Drain();
    Veto = 0;
    EXPECT_EQ(SendMessageW(t, TCM_GETCURSEL, 0, 0), 2);
    DestroyWindow(t);
  }
}

TEST_F(Platform_TabControl, ALongSingleRowScrollsWithAnUpDown) {
  HWND t = Make(0, 200, 120);
  Insert(t, {u"January", u"February", u"March", u"April", u"May", u"June", u"July"});
  HWND spin = FindWindowExW(t, nullptr, UPDOWN_CLASS, nullptr);
  ASSERT_NE(spin, nullptr);
  RECT sr;
  GetWindowRect(spin, &sr);
  POINT p{sr.Right - 3, (sr.Top + sr.Bottom) / 2};
  ScreenToClient(t, &p);
  ClickAt(t, p.X, p.Y);  // lands on the up-down, the right half
  RECT r1 = ItemRect(t, 1);
  EXPECT_EQ(r1.Left, 2);
  EXPECT_LT(ItemRect(t, 0).Right, 3);
  EXPECT_EQ(SendMessageW(t, TCM_GETCURSEL, 0, 0), 0);
  // Selecting the last tab brings it into view.
  SendMessageW(t, TCM_SETCURSEL, 6, 0);
  RECT r6 = ItemRect(t, 6);
  EXPECT_LE(r6.Right, sr.Left - 0 + 200);  // within the control
  EXPECT_GT(r6.Left, 0);
  // Multi-line needs no up-down.
  SetWindowLongW(t, GWL_STYLE, GetWindowLongW(t, GWL_STYLE) | TCS_MULTILINE);
  SendMessageW(t, WM_SIZE, 0, MAKELPARAM(200, 120));
  EXPECT_EQ(FindWindowExW(t, nullptr, UPDOWN_CLASS, nullptr), nullptr);
  EXPECT_GT(SendMessageW(t, TCM_GETROWCOUNT, 0, 0), 1);
}

// A 32-bit surface the control paints into through WM_PAINT's DC.
struct Surface {
  HDC Dc;
  HBITMAP Bmp;
  HGDIOBJ Old;
  uint32_t* Bits = nullptr;
  int W, H;
  Surface(int w, int h) : W(w), H(h) {
    BITMAPINFO bi;
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    Dc = CreateCompatibleDC(nullptr);
    Bmp = CreateDIBSection(Dc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    Bits = static_cast<uint32_t*>(bits);
    Old = SelectObject(Dc, Bmp);
  }
  ~Surface() {
    SelectObject(Dc, Old);
    DeleteObject(Bmp);
    DeleteDC(Dc);
  }
  COLORREF At(int x, int y) const {
    uint32_t p = Bits[size_t(y) * size_t(W) + size_t(x)];
    return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
  }
};

TEST_F(Platform_TabControl, TheSelectedTabStandsProudAndJoinsTheFrame) {
  HWND t = Make(0);
  Insert(t, {u"One", u"Two"});
  SendMessageW(t, TCM_SETITEMSIZE, 0, MAKELPARAM(0, 20));
  Surface s(300, 200);
  SendMessageW(t, WM_PAINT, reinterpret_cast<WPARAM>(s.Dc), 0);
  RECT r0 = ItemRect(t, 0), r1 = ItemRect(t, 1);
  COLORREF light = GetSysColor(COLOR_BTNHIGHLIGHT), face = GetSysColor(COLOR_BTNFACE);
  int mid0 = (r0.Left + r0.Right) / 2, mid1 = (r1.Left + r1.Right) / 2;
  // The frame's top edge at y 22 runs under the other tab but not under the selected one.
  EXPECT_EQ(s.At(mid1, 22), light);
  EXPECT_EQ(s.At(mid0, 22), face);
  // The selected tab's top edge is 2 pixels higher than its neighbour's.
  EXPECT_EQ(s.At(mid0, 0), light);
  EXPECT_EQ(s.At(mid1, 0), face);
  EXPECT_EQ(s.At(mid1, 2), light);
  // Its text is drawn: some dark pixels inside the tab.
  int dark = 0;
  for (int y = r1.Top + 3; y < r1.Bottom - 3; ++y)
    for (int x = r1.Left + 3; x < r1.Right - 3; ++x) dark += GetRValue(s.At(x, y)) < 80;
  EXPECT_GT(dark, 5);
}

TEST_F(Platform_TabControl, OwnerDrawnTabsAreDrawnByTheParent) {
  HWND t = Make(TCS_OWNERDRAWFIXED);
  Insert(t, {u"One", u"Two", u"Three"});
  SendMessageW(t, TCM_SETCURSEL, 1, 0);
  Surface s(300, 200);
  Draws.clear();
  SendMessageW(t, WM_PAINT, reinterpret_cast<WPARAM>(s.Dc), 0);
  ASSERT_EQ(Draws.size(), 3u);
  for (auto& d : Draws) {
    EXPECT_EQ(d.CtlType, ODT_TAB);
    EXPECT_EQ(d.CtlID, 7u);
    EXPECT_EQ(d.hwndItem, t);
    EXPECT_EQ(d.hDC, s.Dc);
    EXPECT_EQ(d.itemData, 100u + d.itemID);
    EXPECT_EQ(d.itemState & ODS_SELECTED, d.itemID == 1 ? ODS_SELECTED : 0u);
    RECT r = ItemRect(t, int(d.itemID));
    RECT x;
    EXPECT_TRUE(IntersectRect(x, r, d.rcItem));
  }
}

}  // namespace

}  // namespace t_tab_control_test
