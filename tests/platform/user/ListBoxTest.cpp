#include "platform/user/Edit.h"  // RegisterSystemControlClasses
#include "platform/user/ListBox.h"
#include "tests/platform/user/UserTestSupport.h"

namespace t_list_box_test {

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

SCROLLINFO Info(HWND h, int bar) {
  SCROLLINFO si;
  si.fMask = SIF_ALL;
  GetScrollInfo(h, bar, &si);
  return si;
}

// What reached the list itself, through a subclass in front of the class.
std::vector<UINT>* gListLog = nullptr;
WNDPROC gListProc = nullptr;
LRESULT CALLBACK_ListSpy(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  if (gListLog && (msg == WM_ERASEBKGND || msg == WM_PAINT)) gListLog->push_back(msg);
  if (msg == WM_NCCALCSIZE && GetPropW(h, u"NoFrame")) return 0;
  return CallWindowProcW(gListProc, h, msg, wp, lp);
}

struct Drawn {
  UINT Item, Action, State;
  RECT Rect;
};

class Platform_ListBox : public InputServerTest {
 protected:
  void SetUp() override {
    InputServerTest::SetUp();
    RegisterSystemControlClasses();
    Parent = MakeTop(100, 100, 500, 400);
    SetActiveWindow(Parent);
    SetHandler(Parent, [this](HWND, UINT msg, WPARAM, LPARAM lp, bool& handled) -> LRESULT {
      handled = false;
      if (msg == WM_MEASUREITEM) {
        auto* mi = reinterpret_cast<MEASUREITEMSTRUCT*>(lp);
        ++Measures;
        mi->itemHeight = mi->itemID >= 1000 ? 20 : MeasureHeight + mi->itemID;
        handled = true;
        return 1;
      }
      if (msg == WM_DRAWITEM) {
        auto* di = reinterpret_cast<DRAWITEMSTRUCT*>(lp);
        Draws.push_back({di->itemID, di->itemAction, di->itemState, di->rcItem});
        handled = true;
        return 1;
      }
      return 0;
    });
  }
  void TearDown() override {
    gListLog = nullptr;
    InputServerTest::TearDown();
  }
  HWND MakeList(DWORD style, int x, int y, int w, int h) {
    HWND l = CreateWindowExW(0, WC_LISTBOX, u"", WS_CHILD | WS_VISIBLE | style, x, y, w, h, Parent,
                             reinterpret_cast<HMENU>(intptr_t(9)), nullptr, nullptr);
    SendMessageW(l, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), 0);
    return l;
  }
  void Add(HWND l, std::initializer_list<const char16_t*> items) {
    for (auto s : items) SendMessageW(l, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(s));
  }
  std::vector<UINT> Codes(HWND l) {
    std::lock_guard<std::mutex> lk(LogLock());
    std::vector<UINT> r;
    for (auto& e : Log())
      if (e.Hwnd == Parent && e.Msg == WM_COMMAND && reinterpret_cast<HWND>(e.LParam) == l) r.push_back(HIWORD(e.WParam));
    return r;
  }
  void Key(int vk) {
    InputKeyDown(vk);
    InputKeyUp(vk);
    Drain();
  }
  HWND Parent = nullptr;
  int Measures = 0;
  UINT MeasureHeight = 20;
  std::vector<Drawn> Draws;
};

TEST_F(Platform_ListBox, RowsScrollInformationAndTopIndex) {
  // Owner-drawn rows of 20 in 114 pixels: five fit.
  HWND l = MakeList(LBS_OWNERDRAWFIXED | LBS_HASSTRINGS | LBS_NOINTEGRALHEIGHT | LBS_NOTIFY | WS_VSCROLL |
                        LBS_DISABLENOSCROLL,
                    10, 10, 150, 114);
  EXPECT_EQ(Measures, 1);  // once, at creation
  EXPECT_EQ(SendMessageW(l, LB_GETITEMHEIGHT, 0, 0), 20);
  RECT cr;
  GetClientRect(l, &cr);
  ASSERT_EQ(cr.Bottom, 114);
  Add(l, {u"one", u"two", u"three", u"four", u"five"});
  SCROLLINFO si = Info(l, SB_VERT);
  EXPECT_EQ(si.nMax, 4);
  EXPECT_EQ(si.nPage, 5u);
  Add(l, {u"six"});
  si = Info(l, SB_VERT);
  EXPECT_EQ(si.nMax, 5);
  EXPECT_EQ(si.nPage, 5u);
  EXPECT_EQ(si.nPos, 0);
  Add(l, {u"seven", u"eight", u"nine"});
  // The top index keeps the last page full.
  EXPECT_EQ(SendMessageW(l, LB_SETTOPINDEX, 8, 0), 0);
  EXPECT_EQ(SendMessageW(l, LB_GETTOPINDEX, 0, 0), 4);
  EXPECT_EQ(Info(l, SB_VERT).nPos, 4);
  EXPECT_EQ(SendMessageW(l, LB_SETTOPINDEX, 9, 0), LB_ERR);
  SendMessageW(l, WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 3), 0);
  EXPECT_EQ(SendMessageW(l, LB_GETTOPINDEX, 0, 0), 3);
  SendMessageW(l, WM_VSCROLL, SB_LINEUP, 0);
  EXPECT_EQ(SendMessageW(l, LB_GETTOPINDEX, 0, 0), 2);
  SendMessageW(l, WM_VSCROLL, SB_BOTTOM, 0);
  EXPECT_EQ(SendMessageW(l, LB_GETTOPINDEX, 0, 0), 4);
  SendMessageW(l, WM_VSCROLL, SB_TOP, 0);
  SetSystemParameter(SPI_GETWHEELSCROLLLINES, 2);
  SendMessageW(l, WM_MOUSEWHEEL, MAKEWPARAM(0, -WHEEL_DELTA), 0);
  EXPECT_EQ(SendMessageW(l, LB_GETTOPINDEX, 0, 0), 2);
  // Item rectangles and hit tests follow the top index.
  RECT r;
  EXPECT_EQ(SendMessageW(l, LB_GETITEMRECT, 3, reinterpret_cast<LPARAM>(&r)), 1);
  EXPECT_EQ(r.Top, 20);
  EXPECT_EQ(r.Bottom, 40);
  RECT untouched{1, 2, 3, 4};
  EXPECT_EQ(SendMessageW(l, LB_GETITEMRECT, 99, reinterpret_cast<LPARAM>(&untouched)), LB_ERR);
  EXPECT_EQ(untouched.Left, 1);
  EXPECT_EQ(SendMessageW(l, LB_ITEMFROMPOINT, 0, MAKELPARAM(10, 45)), MAKELRESULT(4, 0));
  EXPECT_EQ(HIWORD(SendMessageW(l, LB_ITEMFROMPOINT, 0, MAKELPARAM(10, 200))), 1);
  // Heights outside 1..255 are refused.
  EXPECT_EQ(SendMessageW(l, LB_SETITEMHEIGHT, 0, 0), LB_ERR);
  EXPECT_EQ(SendMessageW(l, LB_SETITEMHEIGHT, 0, 300), LB_ERR);
  EXPECT_EQ(SendMessageW(l, LB_GETITEMHEIGHT, 0, 0), 20);
  // Deleting until it fits disables the bar but keeps it.
  while (SendMessageW(l, LB_GETCOUNT, 0, 0) > 4) SendMessageW(l, LB_DELETESTRING, 0, 0);
  EXPECT_EQ(Info(l, SB_VERT).nMax, 3);
  EXPECT_EQ(SendMessageW(l, LB_GETTOPINDEX, 0, 0), 0);
  EXPECT_TRUE(GetWindowLongW(l, GWL_STYLE) & WS_VSCROLL);
}

TEST_F(Platform_ListBox, IntegralHeightHiddenBarsAndFramesWithoutRoom) {
  HWND l = MakeList(WS_VSCROLL, 10, 10, 150, 0);
  int h = int(SendMessageW(l, LB_GETITEMHEIGHT, 0, 0));
  SetWindowPos(l, nullptr, 0, 0, 150, h * 4 + h / 2, SWP_NOMOVE | SWP_NOZORDER);
  // Sized to an odd height, the list cuts itself to whole rows.
  RECT cr;
  GetClientRect(l, &cr);
  EXPECT_EQ(cr.Bottom % h, 0);
  // Without LBS_DISABLENOSCROLL the server hides a bar whose range fits;
  // the information stays current all the same.
  gListProc = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(l, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(CALLBACK_ListSpy)));
  for (int i = 0; i < 10; ++i) SendMessageW(l, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(u"item"));
  EXPECT_TRUE(GetWindowLongW(l, GWL_STYLE) & WS_VSCROLL);
  while (SendMessageW(l, LB_GETCOUNT, 0, 0) > 2) SendMessageW(l, LB_DELETESTRING, 0, 0);
  EXPECT_FALSE(GetWindowLongW(l, GWL_STYLE) & WS_VSCROLL);
  EXPECT_EQ(Info(l, SB_VERT).nMax, 1);
  for (int i = 0; i < 10; ++i) SendMessageW(l, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(u"more"));
  EXPECT_EQ(Info(l, SB_VERT).nMax, 11);
  // A frame that gives the bars no room: the information still follows.
  SetPropW(l, u"NoFrame", reinterpret_cast<HANDLE>(1));
  SetWindowPos(l, nullptr, 0, 0, 150, h * 5, SWP_NOMOVE | SWP_NOZORDER | SWP_FRAMECHANGED);
  GetClientRect(l, &cr);
  EXPECT_EQ(cr.Right, 150);
  SCROLLINFO si = Info(l, SB_VERT);
  EXPECT_EQ(si.nPage, 5u);
  SendMessageW(l, LB_SETTOPINDEX, 11, 0);
  EXPECT_EQ(Info(l, SB_VERT).nPos, 7);
  RemovePropW(l, u"NoFrame");
}

TEST_F(Platform_ListBox, KeysSelectAndScrollWithAnEraseFirst) {
  HWND l = MakeList(LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL, 10, 10, 150, 0);
  int h = int(SendMessageW(l, LB_GETITEMHEIGHT, 0, 0));
  SetWindowPos(l, nullptr, 0, 0, 150, h * 3, SWP_NOMOVE | SWP_NOZORDER);
  Add(l, {u"apple", u"banana", u"cherry", u"date", u"elder", u"fig", u"avocado"});
  std::vector<UINT> seen;
  gListLog = &seen;
  gListProc = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(l, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(CALLBACK_ListSpy)));
  SetFocus(l);
  UpdateWindow(Parent);
  ClearLog();
  Key(VK_DOWN);  // the caret starts at 0: the first Down selects item 1
  EXPECT_EQ(SendMessageW(l, LB_GETCURSEL, 0, 0), 1);
  Key(VK_DOWN);
  seen.clear();
  Key(VK_DOWN);  // past the last row: scrolls
  EXPECT_EQ(SendMessageW(l, LB_GETTOPINDEX, 0, 0), 1);
  UpdateWindow(l);
  // The paint erases before it draws anything.
  ASSERT_GE(seen.size(), 2u);
  EXPECT_EQ(seen[0], UINT(WM_PAINT));
  EXPECT_EQ(seen[1], UINT(WM_ERASEBKGND));
  EXPECT_EQ(Codes(l), (std::vector<UINT>{LBN_SELCHANGE, LBN_SELCHANGE, LBN_SELCHANGE}));
  Key(VK_END);
  EXPECT_EQ(SendMessageW(l, LB_GETCURSEL, 0, 0), 6);
  EXPECT_EQ(SendMessageW(l, LB_GETTOPINDEX, 0, 0), 4);
  Key(VK_HOME);
  EXPECT_EQ(SendMessageW(l, LB_GETCURSEL, 0, 0), 0);
  // Type-ahead goes to the next item with the letter, wrapping.
  InputType(u"a");
  Drain();
  EXPECT_EQ(SendMessageW(l, LB_GETCURSEL, 0, 0), 6);
  InputType(u"a");
  Drain();
  EXPECT_EQ(SendMessageW(l, LB_GETCURSEL, 0, 0), 0);
  // LB_SETCURSEL sends no notification.
  ClearLog();
  SendMessageW(l, LB_SETCURSEL, 4, 0);
  EXPECT_TRUE(Codes(l).empty());
  EXPECT_EQ(SendMessageW(l, LB_SETCURSEL, 40, 0), LB_ERR);
  EXPECT_EQ(SendMessageW(l, LB_GETCURSEL, 0, 0), LB_ERR);
  gListLog = nullptr;
}

TEST_F(Platform_ListBox, FindStringCasesAndTexts) {
  HWND l = MakeList(0, 10, 10, 150, 100);
  Add(l, {u"Alpha", u"beta", u"ALPINE", u"gamma", u"alp"});
  auto find = [&](UINT msg, int from, const char16_t* s) {
    return SendMessageW(l, msg, WPARAM(intptr_t(from)), reinterpret_cast<LPARAM>(s));
  };
  EXPECT_EQ(find(LB_FINDSTRING, -1, u"alp"), 0);
  EXPECT_EQ(find(LB_FINDSTRING, 0, u"alp"), 2);
  EXPECT_EQ(find(LB_FINDSTRING, 2, u"alp"), 4);
  EXPECT_EQ(find(LB_FINDSTRING, 4, u"ALP"), 0);  // wraps once
  EXPECT_EQ(find(LB_FINDSTRING, -1, u"delta"), LB_ERR);
  EXPECT_EQ(find(LB_FINDSTRING, 3, u"gamma"), 3);  // its own start, after a full turn
  EXPECT_EQ(find(LB_FINDSTRINGEXACT, -1, u"ALP"), 4);
  EXPECT_EQ(find(LB_FINDSTRING, 99, u"b"), 1);
  EXPECT_EQ(find(LB_SELECTSTRING, -1, u"ga"), 3);
  EXPECT_EQ(SendMessageW(l, LB_GETCURSEL, 0, 0), 3);
  // Texts: lengths first, nothing written for an index outside.
  EXPECT_EQ(SendMessageW(l, LB_GETTEXTLEN, 2, 0), 6);
  char16_t buf[8] = {u'#', u'#', u'#', u'#', u'#', u'#', u'#', u'#'};
  EXPECT_EQ(SendMessageW(l, LB_GETTEXT, 2, reinterpret_cast<LPARAM>(buf)), 6);
  EXPECT_EQ(String(buf), u"ALPINE");
  buf[0] = u'#';
  EXPECT_EQ(SendMessageW(l, LB_GETTEXT, 9, reinterpret_cast<LPARAM>(buf)), LB_ERR);
  EXPECT_EQ(buf[0], u'#');
  EXPECT_EQ(SendMessageW(l, LB_GETTEXTLEN, 9, 0), LB_ERR);
  EXPECT_EQ(SendMessageW(l, LB_GETITEMDATA, 9, 0), LB_ERR);
  SendMessageW(l, LB_SETITEMDATA, 1, 77);
  EXPECT_EQ(SendMessageW(l, LB_GETITEMDATA, 1, 0), 77);
  // Sorted lists insert in order, ignoring case.
  HWND s = MakeList(LBS_SORT, 10, 120, 150, 100);
  Add(s, {u"pear", u"Apple", u"banana", u"apricot"});
  char16_t t[16];
  std::vector<String> order;
  for (int i = 0; i < 4; ++i) {
    SendMessageW(s, LB_GETTEXT, WPARAM(i), reinterpret_cast<LPARAM>(t));
    order.push_back(t);
  }
  EXPECT_EQ(order, (std::vector<String>{u"Apple", u"apricot", u"banana", u"pear"}));
}

TEST_F(Platform_ListBox, OwnerDrawStatesAndVariableHeights) {
  HWND l = MakeList(LBS_OWNERDRAWFIXED | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT, 10, 10, 150, 100);
  for (int i = 0; i < 3; ++i) SendMessageW(l, LB_ADDSTRING, 0, 100 + i);
  EXPECT_EQ(SendMessageW(l, LB_GETITEMDATA, 1, 0), 101);
  UpdateWindow(Parent);
  Draws.clear();
  InvalidateRect(l, nullptr, true);
  UpdateWindow(l);
  ASSERT_EQ(Draws.size(), 3u);
  for (UINT i = 0; i < 3; ++i) {
    EXPECT_EQ(Draws[i].Item, i);
    EXPECT_EQ(Draws[i].Action, UINT(ODA_DRAWENTIRE));
    EXPECT_EQ(Draws[i].State, 0u);
    EXPECT_EQ(Draws[i].Rect.Top, LONG(i * 20));
  }
  // Changes draw just the items concerned, with their action, at once.
  SetFocus(l);
  Draws.clear();
  SendMessageW(l, LB_SETCURSEL, 1, 0);
  auto actions = [this](UINT item) {
    std::vector<std::pair<UINT, UINT>> v;
    for (auto& d : Draws)
      if (d.Item == item) v.emplace_back(d.Action, d.State);
    return v;
  };
  using AS = std::vector<std::pair<UINT, UINT>>;
  EXPECT_EQ(actions(1), (AS{{ODA_SELECT, ODS_SELECTED | ODS_FOCUS}, {ODA_FOCUS, ODS_SELECTED | ODS_FOCUS}}));
  Draws.clear();
  InputKeyDown(VK_DOWN);
  InputKeyUp(VK_DOWN);
  Drain();
  EXPECT_EQ(actions(1), (AS{{ODA_SELECT, 0u}, {ODA_FOCUS, 0u}}));
  EXPECT_EQ(actions(2), (AS{{ODA_SELECT, ODS_SELECTED | ODS_FOCUS}, {ODA_FOCUS, ODS_SELECTED | ODS_FOCUS}}));
  Draws.clear();
  SetFocus(Parent);
  EXPECT_EQ(actions(2), (AS{{ODA_FOCUS, ODS_SELECTED}}));
  UpdateWindow(l);
  EXPECT_EQ(Draws.size(), 1u);  // nothing left to paint
  EnableWindow(l, false);
  Draws.clear();
  UpdateWindow(l);
  ASSERT_FALSE(Draws.empty());
  for (auto& d : Draws) EXPECT_TRUE(d.State & ODS_DISABLED);
  // Variable heights: one measure per item, rows stacked by them.
  Measures = 0;
  MeasureHeight = 10;
  HWND v = MakeList(LBS_OWNERDRAWVARIABLE | LBS_NOINTEGRALHEIGHT | WS_VSCROLL, 200, 10, 150, 40);
  for (int i = 0; i < 6; ++i) SendMessageW(v, LB_ADDSTRING, 0, i);
  EXPECT_EQ(Measures, 6);
  RECT r;
  SendMessageW(v, LB_GETITEMRECT, 3, reinterpret_cast<LPARAM>(&r));
  EXPECT_EQ(r.Top, 10 + 11 + 12);
  EXPECT_EQ(r.Bottom - r.Top, 13);
  EXPECT_EQ(SendMessageW(v, LB_GETITEMHEIGHT, 2, 0), 12);
  // The last page full: items 4 and 5 (14 + 15 pixels) fit in 40, item 3 no more.
  SendMessageW(v, LB_SETTOPINDEX, 5, 0);
  EXPECT_EQ(SendMessageW(v, LB_GETTOPINDEX, 0, 0), 4);
}

TEST_F(Platform_ListBox, MultiColumnGeometryAndScrolling) {
  HWND l = MakeList(LBS_MULTICOLUMN | LBS_NOINTEGRALHEIGHT | WS_HSCROLL, 10, 10, 200, 0);
  int h = int(SendMessageW(l, LB_GETITEMHEIGHT, 0, 0));
  SetWindowPos(l, nullptr, 0, 0, 200, h * 4 + 2, SWP_NOMOVE | SWP_NOZORDER);
  SendMessageW(l, LB_SETCOLUMNWIDTH, 60, 0);
  for (int i = 0; i < 18; ++i) SendMessageW(l, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(u"cell"));
  RECT cr;
  GetClientRect(l, &cr);
  int rows = cr.Bottom / h;
  int cols = (18 + rows - 1) / rows;
  SCROLLINFO si = Info(l, SB_HORZ);
  EXPECT_EQ(si.nMax, cols - 1);
  EXPECT_EQ(int(si.nPage), cr.Right / 60);
  EXPECT_EQ(si.nPos, 0);
  RECT r;
  SendMessageW(l, LB_GETITEMRECT, WPARAM(rows + 1), reinterpret_cast<LPARAM>(&r));
  EXPECT_EQ(r.Left, 60);
  EXPECT_EQ(r.Top, h);
  SendMessageW(l, WM_HSCROLL, SB_LINERIGHT, 0);
  EXPECT_EQ(SendMessageW(l, LB_GETTOPINDEX, 0, 0), rows);
  EXPECT_EQ(Info(l, SB_HORZ).nPos, 1);
  // The top index goes to the first item of its column.
  SendMessageW(l, LB_SETTOPINDEX, WPARAM(rows + 1), 0);
  EXPECT_EQ(SendMessageW(l, LB_GETTOPINDEX, 0, 0), rows);
  SendMessageW(l, LB_GETITEMRECT, WPARAM(rows + 1), reinterpret_cast<LPARAM>(&r));
  EXPECT_EQ(r.Left, 0);
  EXPECT_EQ(SendMessageW(l, LB_ITEMFROMPOINT, 0, MAKELPARAM(70, 1)), MAKELRESULT(2 * rows, 0));
}

TEST_F(Platform_ListBox, ClicksTogglesRangesAndDragScrolling) {
  HWND multi = MakeList(LBS_MULTIPLESEL | LBS_NOTIFY, 10, 10, 150, 100);
  Add(multi, {u"a", u"b", u"c", u"d"});
  int h = int(SendMessageW(multi, LB_GETITEMHEIGHT, 0, 0));
  POINT o{0, 0};
  ClientToScreen(multi, &o);
  auto click = [&](POINT origin, int row, bool shift = false, bool ctrl = false) {
    if (shift) InputKeyDown(VK_SHIFT);
    if (ctrl) InputKeyDown(VK_CONTROL);
    InputMouseMove(origin.X + 20, origin.Y + row * h + h / 2);
    InputMouseDown(VK_LBUTTON);
    InputMouseUp(VK_LBUTTON);
    if (ctrl) InputKeyUp(VK_CONTROL);
    if (shift) InputKeyUp(VK_SHIFT);
    Drain();
    AdvanceClock(1000);
  };
  click(o, 1);
  click(o, 3);
  click(o, 1);
  EXPECT_EQ(SendMessageW(multi, LB_GETSELCOUNT, 0, 0), 1);
  EXPECT_EQ(SendMessageW(multi, LB_GETSEL, 3, 0), 1);
  int items[4] = {};
  EXPECT_EQ(SendMessageW(multi, LB_GETSELITEMS, 4, reinterpret_cast<LPARAM>(items)), 1);
  EXPECT_EQ(items[0], 3);

  HWND ext = MakeList(LBS_EXTENDEDSEL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL, 200, 10, 150, 0);
  SetWindowPos(ext, nullptr, 0, 0, 150, h * 3, SWP_NOMOVE | SWP_NOZORDER);
  for (int i = 0; i < 12; ++i) SendMessageW(ext, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(u"row"));
  POINT e{0, 0};
  ClientToScreen(ext, &e);
  click(e, 0);
  click(e, 2, true);
  EXPECT_EQ(SendMessageW(ext, LB_GETSELCOUNT, 0, 0), 3);
  click(e, 1, false, true);  // Ctrl toggles one out
  EXPECT_EQ(SendMessageW(ext, LB_GETSELCOUNT, 0, 0), 2);
  EXPECT_EQ(SendMessageW(ext, LB_GETSEL, 1, 0), 0);
  // A press dragged below the list selects a range and scrolls on the clock.
  ClearLog();
  InputMouseMove(e.X + 20, e.Y + h / 2);
  InputMouseDown(VK_LBUTTON);
  Drain();
  EXPECT_EQ(GetCapture(), ext);
  InputMouseMove(e.X + 20, e.Y + h * 3 + 30);
  Drain();
  for (int i = 0; i < 4; ++i) {
    AdvanceClock(60);
    Drain();
  }
  EXPECT_GE(SendMessageW(ext, LB_GETTOPINDEX, 0, 0), 3);
  EXPECT_GE(SendMessageW(ext, LB_GETSELCOUNT, 0, 0), 6);
  // Items deleted meanwhile keep caret and anchor inside the list.
  while (SendMessageW(ext, LB_GETCOUNT, 0, 0) > 2) SendMessageW(ext, LB_DELETESTRING, 0, 0);
  EXPECT_LT(SendMessageW(ext, LB_GETCARETINDEX, 0, 0), 2);
  EXPECT_LT(SendMessageW(ext, LB_GETANCHORINDEX, 0, 0), 2);
  AdvanceClock(60);
  Drain();
  InputMouseUp(VK_LBUTTON);
  Drain();
  EXPECT_EQ(GetCapture(), nullptr);
  auto codes = Codes(ext);
  EXPECT_FALSE(codes.empty());
  // A double click.
  ClearLog();
  AdvanceClock(1000);
  InputMouseMove(e.X + 20, e.Y + h / 2);
  for (int i = 0; i < 2; ++i) {
    InputMouseDown(VK_LBUTTON);
    InputMouseUp(VK_LBUTTON);
  }
  Drain();
  codes = Codes(ext);
  EXPECT_EQ(std::count(codes.begin(), codes.end(), LBN_DBLCLK), 1);
}


// The first column right of x0 in rows [y0, y1) that holds a dark pixel of
// a list painted into a 32-bit surface; -1 when none.
int FirstInk(HWND l, int x0, int y0, int y1) {
  RECT c;
  GetClientRect(l, &c);
  BITMAPINFO bi;
  bi.bmiHeader.biWidth = c.Right;
  bi.bmiHeader.biHeight = -c.Bottom;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP bmp = CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(dc, bmp);
  FillRect(dc, &c, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  SendMessageW(l, WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
  int found = -1;
  auto* px = static_cast<uint32_t*>(bits);
  for (int x = x0; x < c.Right && found < 0; ++x)
    for (int y = y0; y < y1 && y < c.Bottom; ++y)
      if ((px[size_t(y) * size_t(c.Right) + size_t(x)] & 0xFF) < 100) {
        found = x;
        break;
      }
  SelectObject(dc, old);
  DeleteObject(bmp);
  DeleteDC(dc);
  return found;
}

TEST_F(Platform_ListBox, TabStopsAndHorizontalExtent) {
  HWND plain = MakeList(LBS_NOINTEGRALHEIGHT, 10, 10, 300, 100);
  int stop = 40;
  EXPECT_EQ(SendMessageW(plain, LB_SETTABSTOPS, 1, reinterpret_cast<LPARAM>(&stop)), 0);  // no LBS_USETABSTOPS
  HWND a = MakeList(LBS_USETABSTOPS | LBS_NOINTEGRALHEIGHT, 10, 120, 300, 100);
  HWND b = MakeList(LBS_USETABSTOPS | LBS_NOINTEGRALHEIGHT, 10, 230, 300, 100);
  int bad[] = {20, 10};
  EXPECT_EQ(SendMessageW(a, LB_SETTABSTOPS, 2, reinterpret_cast<LPARAM>(bad)), 0);  // stops run rightwards
  int stops[] = {40, 100};
  EXPECT_EQ(SendMessageW(a, LB_SETTABSTOPS, 2, reinterpret_cast<LPARAM>(stops)), 1);
  for (HWND l : {plain, a, b}) Add(l, {u"a\tb\tc"});
  HDC dc = CreateCompatibleDC(nullptr);
  SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
  TEXTMETRICW tm;
  GetTextMetricsW(dc, &tm);
  SIZE sa{0, 0};
  GetTextExtentPoint32W(dc, u"a", 1, &sa);
  DeleteDC(dc);
  int after = 2 + sa.cx + 1, h = int(SendMessageW(a, LB_GETITEMHEIGHT, 0, 0));
  // The second word starts at its stop: 40 dialog units, then 100; the
  // default is every 32; without the style a tab is a blank.
  int xa = FirstInk(a, after, 0, h), xb = FirstInk(b, after, 0, h), xp = FirstInk(plain, after, 0, h);
  EXPECT_NEAR(xa, 2 + 40 * tm.tmAveCharWidth / 4, 2);
  EXPECT_NEAR(xb, 2 + 32 * tm.tmAveCharWidth / 4, 2);
  EXPECT_LT(xp, xb);
  EXPECT_NEAR(FirstInk(a, xa + 10, 0, h), 2 + 100 * tm.tmAveCharWidth / 4, 2);

  // A single column wider than its window scrolls sideways by pixels.
  HWND w = MakeList(LBS_NOINTEGRALHEIGHT | WS_HSCROLL, 10, 340, 150, 60);
  Add(w, {u"one", u"two"});
  SendMessageW(w, LB_SETHORIZONTALEXTENT, 400, 0);
  EXPECT_EQ(SendMessageW(w, LB_GETHORIZONTALEXTENT, 0, 0), 400);
  RECT c;
  GetClientRect(w, &c);
  SCROLLINFO si = Info(w, SB_HORZ);
  EXPECT_EQ(si.nMax, 399);
  EXPECT_EQ(si.nPage, UINT(c.Right));
  SendMessageW(w, WM_HSCROLL, SB_LINERIGHT, 0);
  EXPECT_EQ(Info(w, SB_HORZ).nPos, tm.tmAveCharWidth);
  SendMessageW(w, WM_HSCROLL, SB_RIGHT, 0);
  EXPECT_EQ(Info(w, SB_HORZ).nPos, 400 - c.Right);
  RECT r;
  SendMessageW(w, LB_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&r));
  EXPECT_EQ(r.Left, -(400 - c.Right));
  EXPECT_EQ(r.Right, c.Right);
  EXPECT_EQ(SendMessageW(w, LB_ITEMFROMPOINT, 0, MAKELPARAM(5, r.Top + 1)), MAKELRESULT(1, 0));
  // Narrowing the extent pulls the view back.
  SendMessageW(w, LB_SETHORIZONTALEXTENT, 200, 0);
  EXPECT_EQ(Info(w, SB_HORZ).nPos, 200 - c.Right);
}

}  // namespace

}  // namespace t_list_box_test
