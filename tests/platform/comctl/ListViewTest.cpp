// The native list view, driven by messages and the input driver on the
// virtual clock with a parent that logs WM_NOTIFY: the header it makes and
// lays out, scroll information per view, hit tests and item rectangles,
// selection (vetoed, extended, keyboard, type-ahead), check boxes, label
// editing, sorting and finding, and the picture by probes.
#include <gtest/gtest.h>

#include "platform/comctl/ListView.h"
#include "platform/desktop/Desktop.h"
#include "platform/rtl/SysUtils.h"
#include "tests/platform/user/UserTestSupport.h"

namespace t_list_view_test {

using namespace vcl;
using namespace usertest;

namespace {

// Pumps with translation, so typed keys arrive as characters too.
void Drain(int limit = 2000) {
  MSG m;
  for (int n = 0; n < limit && PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE); ++n) {
    TranslateMessage(&m);
    DispatchMessageW(&m);
  }
}

class Platform_ListView : public InputServerTest {
 protected:
  void SetUp() override {
    InputServerTest::SetUp();
    InitCommonControls();
    Parent = MakeTop(50, 50, 600, 500);
    SetActiveWindow(Parent);
    SetHandler(Parent, [this](HWND, UINT msg, WPARAM wp, LPARAM lp, bool& handled) -> LRESULT {
      handled = false;
      if (msg == WM_PARENTNOTIFY && LOWORD(wp) == WM_CREATE) Created.push_back(reinterpret_cast<HWND>(lp));
      if (msg != WM_NOTIFY) return 0;
      auto* nm = reinterpret_cast<NMHDR*>(lp);
      handled = true;
      Notes.push_back(nm->code);
      if (nm->code == LVN_ITEMCHANGED) Changed.push_back(*reinterpret_cast<NMLISTVIEW*>(lp));
      if (nm->code == LVN_COLUMNCLICK) Column = reinterpret_cast<NMLISTVIEW*>(lp)->iSubItem;
      if (nm->code == LVN_ENDLABELEDITW) {
        auto* d = reinterpret_cast<NMLVDISPINFOW*>(lp);
        EndTexts.push_back(d->item.pszText ? String(d->item.pszText) : String(u"<nil>"));
        EndItems.push_back(d->item.iItem);
        return AcceptEdit;
      }
      if (nm->code == LVN_ITEMCHANGING) {
        auto* c = reinterpret_cast<NMLISTVIEW*>(lp);
        return (VetoSelect && (c->uNewState & LVIS_SELECTED) && !(c->uOldState & LVIS_SELECTED)) ? 1 : 0;
      }
      if (nm->code == LVN_BEGINLABELEDITW) return VetoEdit;
      return 0;
    });
  }
  HWND Make(DWORD style, int w = 300, int h = 200) {
    HWND v = CreateWindowExW(0, WC_LISTVIEW, u"", WS_CHILD | WS_VISIBLE | style, 10, 10, w, h, Parent,
                             reinterpret_cast<HMENU>(intptr_t(5)), nullptr, nullptr);
    SendMessageW(v, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), 0);
    return v;
  }
  void Columns(HWND v, std::initializer_list<int> widths) {
    int i = 0;
    for (int w : widths) {
      LVCOLUMNW c;
      c.mask = LVCF_WIDTH | LVCF_TEXT;
      c.cx = w;
      String t = u"Column " + IntToStr(i);
      c.pszText = t.data();
      SendMessageW(v, LVM_INSERTCOLUMNW, WPARAM(i++), reinterpret_cast<LPARAM>(&c));
    }
  }
  void Add(HWND v, const String& text, LPARAM param = 0, std::initializer_list<String> subs = {}) {
    LVITEMW it;
    it.mask = LVIF_TEXT | LVIF_PARAM;
    it.iItem = int(SendMessageW(v, LVM_GETITEMCOUNT, 0, 0));
    it.pszText = const_cast<char16_t*>(text.c_str());
    it.lParam = param;
    int i = int(SendMessageW(v, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&it)));
    int s = 1;
    for (const String& t : subs) {
      LVITEMW sub;
      sub.iSubItem = s++;
      sub.pszText = const_cast<char16_t*>(t.c_str());
      SendMessageW(v, LVM_SETITEMTEXTW, WPARAM(i), reinterpret_cast<LPARAM>(&sub));
    }
  }
  void AddMany(HWND v, int n) {
    for (int i = 0; i < n; ++i) Add(v, u"Item " + IntToStr(i), i);
  }
  RECT ItemRect(HWND v, int i, int code = LVIR_BOUNDS) {
    RECT r{code, -7, -7, -7};
    SendMessageW(v, LVM_GETITEMRECT, WPARAM(i), reinterpret_cast<LPARAM>(&r));
    return r;
  }
  SCROLLINFO Info(HWND v, int bar) {
    SCROLLINFO si;
    si.fMask = SIF_ALL;
    GetScrollInfo(v, bar, &si);
    return si;
  }
  UINT State(HWND v, int i, UINT mask = LVIS_SELECTED | LVIS_FOCUSED) {
    return UINT(SendMessageW(v, LVM_GETITEMSTATE, WPARAM(i), LPARAM(mask)));
  }
  String Text(HWND v, int i) {
    char16_t buf[64] = {};
    LVITEMW it;
    it.pszText = buf;
    it.cchTextMax = 64;
    SendMessageW(v, LVM_GETITEMTEXTW, WPARAM(i), reinterpret_cast<LPARAM>(&it));
    return buf;
  }
  void Click(HWND v, POINT p, bool dbl = false) {
    ClientToScreen(v, &p);
    InputMouseMove(p.X, p.Y);
    InputMouseDown(VK_LBUTTON);
    InputMouseUp(VK_LBUTTON);
    if (dbl) {
      InputMouseDown(VK_LBUTTON);
      InputMouseUp(VK_LBUTTON);
    }
    Drain();
  }
  POINT LabelPoint(HWND v, int i) {
    RECT r = ItemRect(v, i, LVIR_LABEL);
    return POINT((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
  }
  void Key(int vk, int mod = 0) {
    if (mod) InputKeyDown(mod);
    InputKeyDown(vk);
    InputKeyUp(vk);
    if (mod) InputKeyUp(mod);
    Drain();
  }
  HWND Parent = nullptr;
  std::vector<UINT> Notes;
  std::vector<NMLISTVIEW> Changed;
  std::vector<HWND> Created;
  std::vector<String> EndTexts;
  std::vector<int> EndItems;
  int Column = -1;
  LRESULT AcceptEdit = 1, VetoEdit = 0;
  bool VetoSelect = false;
};

// A header procedure standing in for a host that reshapes it: wider by 25 as
// it is placed, and laid out 27 pixels tall.
WNDPROC gHeaderProc = nullptr;
LRESULT ReshapedHeader(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_WINDOWPOSCHANGING) {
    reinterpret_cast<WINDOWPOS*>(lp)->cx += 25;
    return 0;
  }
  LRESULT r = CallWindowProcW(gHeaderProc, h, msg, wp, lp);
  if (msg == HDM_LAYOUT) {
    auto* l = reinterpret_cast<HDLAYOUT*>(lp);
    l->pwpos->cy = 27;
    l->prc->Top = 27;
  }
  return r;
}

// Counts the headers a view's procedure hears of through WM_PARENTNOTIFY.
WNDPROC gViewProc = nullptr;
int gHeaderNotices = 0;
LRESULT CountingView(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_PARENTNOTIFY && LOWORD(wp) == WM_CREATE) {
    char16_t cls[50] = {};
    GetClassNameW(reinterpret_cast<HWND>(lp), cls, 50);
    if (String(cls) == u"SysHeader32") ++gHeaderNotices;
  }
  return CallWindowProcW(gViewProc, h, msg, wp, lp);
}

TEST_F(Platform_ListView, HeaderIsMadeForReportViewAndLaidOutThroughItsProcedure) {
  HWND v = Make(LVS_LIST);
  EXPECT_EQ(SendMessageW(v, LVM_GETHEADER, 0, 0), 0);
  gViewProc = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(v, GWLP_WNDPROC));
  gHeaderNotices = 0;
  SetWindowLongPtrW(v, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CountingView));
  // The header arrives when the view first enters report style, announced
  // once to the view's procedure (and on up to its parent).
  SetWindowLongW(v, GWL_STYLE, (GetWindowLongW(v, GWL_STYLE) & ~LONG(LVS_TYPEMASK)) | LONG(LVS_REPORT));
  HWND hdr = reinterpret_cast<HWND>(SendMessageW(v, LVM_GETHEADER, 0, 0));
  ASSERT_NE(hdr, nullptr);
  EXPECT_EQ(gHeaderNotices, 1);
  EXPECT_EQ(std::count(Created.begin(), Created.end(), hdr), 1);
  EXPECT_EQ(GetParent(hdr), v);
  SetWindowLongW(v, GWL_STYLE, (GetWindowLongW(v, GWL_STYLE) & ~LONG(LVS_TYPEMASK)) | LONG(LVS_LIST));
  EXPECT_FALSE(IsWindowVisible(hdr));
  SetWindowLongW(v, GWL_STYLE, (GetWindowLongW(v, GWL_STYLE) & ~LONG(LVS_TYPEMASK)) | LONG(LVS_REPORT));
  EXPECT_EQ(reinterpret_cast<HWND>(SendMessageW(v, LVM_GETHEADER, 0, 0)), hdr);
  EXPECT_EQ(gHeaderNotices, 1);
  EXPECT_TRUE(IsWindowVisible(hdr));
  SetWindowLongPtrW(v, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(gViewProc));

  // A reshaping procedure on the header decides its place and the rows.
  Columns(v, {100, 80});
  AddMany(v, 3);
  gHeaderProc = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(hdr, GWLP_WNDPROC));
  SetWindowLongPtrW(hdr, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ReshapedHeader));
  SetWindowPos(v, nullptr, 0, 0, 320, 200, SWP_NOMOVE | SWP_NOZORDER);
  RECT c, hr;
  GetClientRect(v, &c);
  GetClientRect(hdr, &hr);
  EXPECT_EQ(hr.Right, c.Right + 25);
  EXPECT_EQ(hr.Bottom, 27);
  EXPECT_EQ(ItemRect(v, 0).Top, 27);
  SetWindowLongPtrW(hdr, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(gHeaderProc));
}

TEST_F(Platform_ListView, ReportScrollInformationInRows) {
  HWND v = Make(LVS_REPORT);
  Columns(v, {120, 120});
  AddMany(v, 100);
  int rh = ItemRect(v, 0).Bottom - ItemRect(v, 0).Top;
  int top = ItemRect(v, 0).Top;
  // Ten whole rows and a bit.
  SetWindowPos(v, nullptr, 0, 0, 300, top + 10 * rh + rh / 2, SWP_NOMOVE | SWP_NOZORDER);
  EXPECT_EQ(SendMessageW(v, LVM_GETCOUNTPERPAGE, 0, 0), 10);
  SCROLLINFO si = Info(v, SB_VERT);
  EXPECT_EQ(si.nMin, 0);
  EXPECT_EQ(si.nMax, 99);
  EXPECT_EQ(si.nPage, 10u);
  EXPECT_EQ(si.nPos, 0);
  SendMessageW(v, LVM_SCROLL, 0, 3 * rh);
  EXPECT_EQ(SendMessageW(v, LVM_GETTOPINDEX, 0, 0), 3);
  EXPECT_EQ(Info(v, SB_VERT).nPos, 3);
  EXPECT_EQ(ItemRect(v, 3).Top, top);
  // Scroll codes, the end and the wheel.
  SendMessageW(v, WM_VSCROLL, SB_BOTTOM, 0);
  EXPECT_EQ(SendMessageW(v, LVM_GETTOPINDEX, 0, 0), 90);
  SendMessageW(v, WM_VSCROLL, SB_LINEUP, 0);
  EXPECT_EQ(SendMessageW(v, LVM_GETTOPINDEX, 0, 0), 89);
  SendMessageW(v, WM_MOUSEWHEEL, MAKEWPARAM(0, 120), 0);
  EXPECT_EQ(SendMessageW(v, LVM_GETTOPINDEX, 0, 0), 86);
  SendMessageW(v, LVM_ENSUREVISIBLE, 20, 0);
  EXPECT_EQ(SendMessageW(v, LVM_GETTOPINDEX, 0, 0), 20);
  // Horizontal information in pixels over the columns.
  SendMessageW(v, LVM_SETCOLUMNWIDTH, 1, 280);
  RECT c;
  GetClientRect(v, &c);
  si = Info(v, SB_HORZ);
  EXPECT_EQ(si.nMax, 399);
  EXPECT_EQ(int(si.nPage), int(c.Right));
  EXPECT_EQ(Info(v, SB_VERT).nPage, UINT((c.Bottom - top) / rh));
  SendMessageW(v, WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 50), 0);
  EXPECT_EQ(Info(v, SB_HORZ).nPos, 50);
  EXPECT_EQ(ItemRect(v, 20).Left, -50);
}

TEST_F(Platform_ListView, ListViewScrollsByColumns) {
  HWND v = Make(LVS_LIST, 300, 120);
  AddMany(v, 40);
  int colW = int(SendMessageW(v, LVM_GETCOLUMNWIDTH, 0, 0));
  RECT b = ItemRect(v, 0), c;
  EXPECT_EQ(b.Right - b.Left, colW);
  GetClientRect(v, &c);
  int perCol = c.Bottom / (b.Bottom - b.Top);
  EXPECT_EQ(SendMessageW(v, LVM_GETCOUNTPERPAGE, 0, 0), perCol * (c.Right / colW));
  SCROLLINFO si = Info(v, SB_HORZ);
  EXPECT_EQ(si.nMax, (40 + perCol - 1) / perCol - 1);
  EXPECT_EQ(int(si.nPage), int(c.Right / colW));
  // Item perCol starts the second column.
  EXPECT_EQ(ItemRect(v, perCol).Left, colW);
  SendMessageW(v, WM_HSCROLL, SB_LINERIGHT, 0);
  EXPECT_EQ(Info(v, SB_HORZ).nPos, 1);
  EXPECT_EQ(SendMessageW(v, LVM_GETTOPINDEX, 0, 0), perCol);
  EXPECT_EQ(ItemRect(v, perCol).Left, 0);
  // A fixed column width, and the hit test on a later column.
  SendMessageW(v, LVM_SETCOLUMNWIDTH, 0, 90);
  SendMessageW(v, WM_HSCROLL, SB_LEFT, 0);
  EXPECT_EQ(ItemRect(v, perCol).Left, 90);
  LVHITTESTINFO ht;
  ht.pt = POINT(95, 3);
  EXPECT_EQ(SendMessageW(v, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&ht)), perCol);
}

TEST_F(Platform_ListView, IconViewsScrollInPixels) {
  HIMAGELIST big = ImageList_Create(32, 32, ILC_COLOR32, 4, 4);
  HWND v = Make(LVS_ICON, 300, 150);
  SendMessageW(v, LVM_SETIMAGELIST, LVSIL_NORMAL, reinterpret_cast<LPARAM>(big));
  AddMany(v, 30);
  RECT b0 = ItemRect(v, 0), b1 = ItemRect(v, 1);
  int cw = b0.Right - b0.Left, ch = b0.Bottom - b0.Top;
  EXPECT_EQ(cw, 75);
  EXPECT_EQ(b1.Left, cw);
  RECT c;
  GetClientRect(v, &c);
  int cols = c.Right / cw, rows = (30 + cols - 1) / cols;
  SCROLLINFO v1 = Info(v, SB_VERT);
  EXPECT_EQ(v1.nMax, rows * ch - 1);
  EXPECT_EQ(v1.nPage, UINT(c.Bottom));
  EXPECT_EQ(SendMessageW(v, LVM_GETCOUNTPERPAGE, 0, 0), 30);
  SendMessageW(v, LVM_SCROLL, 0, 40);
  POINT o;
  ASSERT_TRUE(SendMessageW(v, LVM_GETORIGIN, 0, reinterpret_cast<LPARAM>(&o)));
  EXPECT_EQ(o.Y, 40);
  EXPECT_EQ(ItemRect(v, 0).Top, -40);
  RECT vr;
  ASSERT_TRUE(SendMessageW(v, LVM_GETVIEWRECT, 0, reinterpret_cast<LPARAM>(&vr)));
  EXPECT_EQ(vr.Bottom - vr.Top, rows * ch);
  // Icon and label stack in the cell; the label is centred under the icon.
  RECT ic = ItemRect(v, 2, LVIR_ICON), lb = ItemRect(v, 2, LVIR_LABEL);
  EXPECT_EQ(ic.Right - ic.Left, 32);
  EXPECT_GE(lb.Top, ic.Bottom);
  EXPECT_NEAR((lb.Left + lb.Right) / 2.0, (ic.Left + ic.Right) / 2.0, 1.0);
  // Small icons: rows of cells, pixels too; out-of-range rectangles refused.
  SetWindowLongW(v, GWL_STYLE, (GetWindowLongW(v, GWL_STYLE) & ~LONG(LVS_TYPEMASK)) | LONG(LVS_SMALLICON));
  RECT s0 = ItemRect(v, 0);
  EXPECT_EQ(s0.Top, 0);
  EXPECT_EQ(ItemRect(v, 1).Left, s0.Right);
  RECT keep = ItemRect(v, 30);
  EXPECT_EQ(keep.Top, -7);
  DestroyWindow(v);
  ImageList_Destroy(big);
}

TEST_F(Platform_ListView, ColumnOrderFollowsAHeaderDrag) {
  HWND v = Make(LVS_REPORT, 400, 200);
  SendMessageW(v, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_HEADERDRAGDROP);
  Columns(v, {100, 100, 100});
  Add(v, u"a", 0, {u"b", u"c"});
  HWND hdr = reinterpret_cast<HWND>(SendMessageW(v, LVM_GETHEADER, 0, 0));
  POINT a{50, 5}, b{280, 5};
  ClientToScreen(hdr, &a);
  ClientToScreen(hdr, &b);
  InputMouseMove(a.X, a.Y);
  InputMouseDown(VK_LBUTTON);
  InputMouseMove(a.X + 60, a.Y);
  InputMouseMove(b.X, b.Y);
  InputMouseUp(VK_LBUTTON);
  Drain();
  int order[3] = {};
  ASSERT_TRUE(SendMessageW(v, LVM_GETCOLUMNORDERARRAY, 3, reinterpret_cast<LPARAM>(order)));
  EXPECT_EQ(order[0], 1);
  EXPECT_EQ(order[1], 2);
  EXPECT_EQ(order[2], 0);
  // The first column's label now sits after the others.
  EXPECT_EQ(ItemRect(v, 0, LVIR_LABEL).Right, 300);
  EXPECT_EQ(Column, -1);
  // A plain click on a column reports it.
  POINT c{150, 5};
  ClientToScreen(hdr, &c);
  InputMouseMove(c.X, c.Y);
  InputMouseDown(VK_LBUTTON);
  InputMouseUp(VK_LBUTTON);
  Drain();
  EXPECT_EQ(Column, 2);
  // Counts past the columns are refused.
  int guard[4] = {-9, -9, -9, -9};
  EXPECT_FALSE(SendMessageW(v, LVM_GETCOLUMNORDERARRAY, 4, reinterpret_cast<LPARAM>(guard)));
  EXPECT_EQ(guard[0], -9);
}

TEST_F(Platform_ListView, SelectionVetoExtendedAndKeyboard) {
  HWND v = Make(LVS_REPORT, 300, 300);
  Columns(v, {200});
  for (const char16_t* s : {u"apple", u"banana", u"cherry", u"apricot", u"blueberry", u"avocado"}) Add(v, s);
  // A veto keeps the item unselected.
  VetoSelect = true;
  Click(v, LabelPoint(v, 1));
  EXPECT_EQ(State(v, 1, LVIS_SELECTED), 0u);
  VetoSelect = false;
  Click(v, LabelPoint(v, 1));
  EXPECT_EQ(State(v, 1), LVIS_SELECTED | LVIS_FOCUSED);
  ASSERT_FALSE(Changed.empty());
  EXPECT_EQ(Changed.back().iItem, 1);
  // Shift extends from the anchor, Ctrl toggles.
  POINT p = LabelPoint(v, 3);
  ClientToScreen(v, &p);
  InputKeyDown(VK_SHIFT);
  InputMouseMove(p.X, p.Y);
  InputMouseDown(VK_LBUTTON);
  InputMouseUp(VK_LBUTTON);
  InputKeyUp(VK_SHIFT);
  Drain();
  EXPECT_EQ(SendMessageW(v, LVM_GETSELECTEDCOUNT, 0, 0), 3);
  p = LabelPoint(v, 2);
  ClientToScreen(v, &p);
  InputKeyDown(VK_CONTROL);
  InputMouseMove(p.X, p.Y);
  InputMouseDown(VK_LBUTTON);
  InputMouseUp(VK_LBUTTON);
  InputKeyUp(VK_CONTROL);
  Drain();
  EXPECT_EQ(State(v, 2, LVIS_SELECTED), 0u);
  EXPECT_EQ(SendMessageW(v, LVM_GETSELECTEDCOUNT, 0, 0), 2);
  EXPECT_EQ(SendMessageW(v, LVM_GETNEXTITEM, WPARAM(-1), LVNI_FOCUSED), 2);
  // Keys move the focus and the selection with it.
  Key(VK_DOWN);
  EXPECT_EQ(SendMessageW(v, LVM_GETSELECTEDCOUNT, 0, 0), 1);
  EXPECT_EQ(State(v, 3), LVIS_SELECTED | LVIS_FOCUSED);
  Key(VK_END);
  EXPECT_EQ(SendMessageW(v, LVM_GETNEXTITEM, WPARAM(-1), LVNI_SELECTED), 5);
  Key(VK_HOME, VK_SHIFT);
  EXPECT_EQ(SendMessageW(v, LVM_GETSELECTEDCOUNT, 0, 0), 6);
  EXPECT_NE(std::find(Notes.begin(), Notes.end(), LVN_KEYDOWN), Notes.end());
  // Type-ahead: a prefix typed quickly, then a repeated letter stepping on.
  InputType(u"ap");
  Drain();
  EXPECT_EQ(SendMessageW(v, LVM_GETNEXTITEM, WPARAM(-1), LVNI_FOCUSED), 3);
  AdvanceClock(1500);
  InputType(u"bb");
  Drain();
  EXPECT_EQ(SendMessageW(v, LVM_GETNEXTITEM, WPARAM(-1), LVNI_FOCUSED), 1);
  // A click on empty space clears the selection.
  Click(v, POINT(250, 280));
  EXPECT_EQ(SendMessageW(v, LVM_GETSELECTEDCOUNT, 0, 0), 0);
  // Single selection keeps one.
  HWND s = Make(LVS_REPORT | LVS_SINGLESEL, 300, 200);
  Columns(s, {200});
  AddMany(s, 3);
  LVITEMW st;
  st.stateMask = st.state = LVIS_SELECTED;
  SendMessageW(s, LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&st));
  SendMessageW(s, LVM_SETITEMSTATE, 2, reinterpret_cast<LPARAM>(&st));
  EXPECT_EQ(SendMessageW(s, LVM_GETSELECTEDCOUNT, 0, 0), 1);
  EXPECT_EQ(State(s, 2, LVIS_SELECTED), LVIS_SELECTED);
}

TEST_F(Platform_ListView, CheckBoxesToggleByClickAndSpace) {
  HWND v = Make(LVS_REPORT, 300, 200);
  SendMessageW(v, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_CHECKBOXES, LVS_EX_CHECKBOXES);
  Columns(v, {200});
  AddMany(v, 3);
  EXPECT_EQ(State(v, 1, LVIS_STATEIMAGEMASK), INDEXTOSTATEIMAGEMASK(1));
  RECT b = ItemRect(v, 1);
  Changed.clear();
  Click(v, POINT(b.Left + 8, (b.Top + b.Bottom) / 2));
  EXPECT_EQ(State(v, 1, LVIS_STATEIMAGEMASK), INDEXTOSTATEIMAGEMASK(2));
  ASSERT_EQ(Changed.size(), 1u);
  EXPECT_EQ(Changed[0].uNewState & LVIS_STATEIMAGEMASK, INDEXTOSTATEIMAGEMASK(2));
  // The click on the box selects nothing; Space toggles the focused item.
  EXPECT_EQ(State(v, 1, LVIS_SELECTED), 0u);
  Click(v, LabelPoint(v, 2));
  Key(VK_SPACE);
  EXPECT_EQ(State(v, 2, LVIS_STATEIMAGEMASK), INDEXTOSTATEIMAGEMASK(2));
  Key(VK_SPACE);
  EXPECT_EQ(State(v, 2, LVIS_STATEIMAGEMASK), INDEXTOSTATEIMAGEMASK(1));
}

TEST_F(Platform_ListView, LabelEditCommittedCancelledVetoedAndDeleted) {
  HWND v = Make(LVS_REPORT | LVS_EDITLABELS, 300, 200);
  Columns(v, {200});
  AddMany(v, 3);
  // Committed by Enter: the answer takes the text.
  HWND e = reinterpret_cast<HWND>(SendMessageW(v, LVM_EDITLABELW, 1, 0));
  ASSERT_NE(e, nullptr);
  EXPECT_EQ(reinterpret_cast<HWND>(SendMessageW(v, LVM_GETEDITCONTROL, 0, 0)), e);
  EXPECT_EQ(GetFocus(), e);
  InputType(u"Renamed");
  Key(VK_RETURN);
  EXPECT_FALSE(IsWindow(e));
  EXPECT_EQ(EndTexts.back(), u"Renamed");
  EXPECT_EQ(Text(v, 1), u"Renamed");
  EXPECT_EQ(GetFocus(), v);
  // Escape cancels with a nil text.
  e = reinterpret_cast<HWND>(SendMessageW(v, LVM_EDITLABELW, 0, 0));
  InputType(u"zzz");
  Key(VK_ESCAPE);
  EXPECT_EQ(EndTexts.back(), u"<nil>");
  EXPECT_EQ(Text(v, 0), u"Item 0");
  // A refused begin opens nothing.
  VetoEdit = 1;
  EXPECT_EQ(SendMessageW(v, LVM_EDITLABELW, 0, 0), 0);
  VetoEdit = 0;
  // A second click on the focused, selected label edits after the
  // double-click time.
  Click(v, LabelPoint(v, 2));
  AdvanceClock(GetDoubleClickTime() + 10);
  Click(v, LabelPoint(v, 2));
  EXPECT_EQ(SendMessageW(v, LVM_GETEDITCONTROL, 0, 0), 0);
  AdvanceClock(GetDoubleClickTime() + 10);
  Drain();
  e = reinterpret_cast<HWND>(SendMessageW(v, LVM_GETEDITCONTROL, 0, 0));
  ASSERT_NE(e, nullptr);
  // Deleting the item under edit ends the edit, cancelled, naming it while
  // it still exists; the deletion notice follows.
  size_t before = Notes.size();
  SendMessageW(v, LVM_DELETEITEM, 2, 0);
  EXPECT_FALSE(IsWindow(e));
  EXPECT_EQ(EndTexts.back(), u"<nil>");
  EXPECT_EQ(EndItems.back(), 2);
  std::vector<UINT> tail(Notes.begin() + std::ptrdiff_t(before), Notes.end());
  auto end = std::find(tail.begin(), tail.end(), LVN_ENDLABELEDITW);
  auto del = std::find(tail.begin(), tail.end(), LVN_DELETEITEM);
  EXPECT_LT(end - tail.begin(), del - tail.begin());
  EXPECT_EQ(SendMessageW(v, LVM_GETITEMCOUNT, 0, 0), 2);
}

int CALLBACK_ByParamDesc(LPARAM a, LPARAM b, LPARAM) { return int(b - a); }

TEST_F(Platform_ListView, SortingFindingAndSubItems) {
  HWND v = Make(LVS_REPORT | LVS_SORTASCENDING, 300, 200);
  Columns(v, {100, 100});
  Add(v, u"pear", 1, {u"green"});
  Add(v, u"Apple", 2, {u"red"});
  Add(v, u"fig", 3);
  EXPECT_EQ(Text(v, 0), u"Apple");
  EXPECT_EQ(Text(v, 2), u"pear");
  LVITEMW sub;
  char16_t buf[16] = {};
  sub.iSubItem = 1;
  sub.pszText = buf;
  sub.cchTextMax = 16;
  SendMessageW(v, LVM_GETITEMTEXTW, 0, reinterpret_cast<LPARAM>(&sub));
  EXPECT_EQ(String(buf), u"red");
  SendMessageW(v, LVM_SORTITEMS, 0, reinterpret_cast<LPARAM>(&CALLBACK_ByParamDesc));
  EXPECT_EQ(Text(v, 0), u"fig");
  EXPECT_EQ(Text(v, 2), u"pear");
  LVFINDINFOW fi;
  fi.flags = LVFI_STRING | LVFI_PARTIAL;
  fi.psz = u"AP";
  EXPECT_EQ(SendMessageW(v, LVM_FINDITEMW, WPARAM(-1), reinterpret_cast<LPARAM>(&fi)), 1);
  fi.flags = LVFI_PARAM;
  fi.lParam = 1;
  EXPECT_EQ(SendMessageW(v, LVM_FINDITEMW, WPARAM(-1), reinterpret_cast<LPARAM>(&fi)), 2);
  fi.flags = LVFI_STRING;
  fi.psz = u"fig";
  EXPECT_EQ(SendMessageW(v, LVM_FINDITEMW, 0, reinterpret_cast<LPARAM>(&fi)), -1);
  fi.flags = LVFI_STRING | LVFI_WRAP;
  EXPECT_EQ(SendMessageW(v, LVM_FINDITEMW, 0, reinterpret_cast<LPARAM>(&fi)), 0);
  // Deleting everything notices each item unless the parent declines.
  Notes.clear();
  SendMessageW(v, LVM_DELETEALLITEMS, 0, 0);
  EXPECT_EQ(std::count(Notes.begin(), Notes.end(), LVN_DELETEITEM), 3);
  EXPECT_EQ(SendMessageW(v, LVM_GETITEMCOUNT, 0, 0), 0);
  RECT r{LVIR_BOUNDS, 1, 2, 3};
  EXPECT_FALSE(SendMessageW(v, LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&r)));
  EXPECT_EQ(r.Top, 1);
}

TEST_F(Platform_ListView, PaintsSelectedRowsGridLinesAndOwnerDrawnRows) {
  HWND v = Make(LVS_REPORT | LVS_SHOWSELALWAYS, 300, 200);
  SendMessageW(v, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
  Columns(v, {120, 120});
  AddMany(v, 4);
  SetFocus(v);
  LVITEMW st;
  st.stateMask = st.state = LVIS_SELECTED;
  SendMessageW(v, LVM_SETITEMSTATE, 1, reinterpret_cast<LPARAM>(&st));
  UpdateWindow(Parent);
  HDC dc = GetDC(v);
  RECT b = ItemRect(v, 1);
  // The whole row is highlighted, the sub-item column included.
  EXPECT_EQ(GetPixel(dc, 230, b.Top + 2), GetSysColor(COLOR_HIGHLIGHT));
  EXPECT_EQ(GetPixel(dc, 230, ItemRect(v, 2).Top + 2), GetSysColor(COLOR_WINDOW));
  // Grid lines under each row and at each column's right edge.
  EXPECT_EQ(GetPixel(dc, 60, ItemRect(v, 2).Bottom - 1), GetSysColor(COLOR_BTNFACE));
  EXPECT_EQ(GetPixel(dc, 119, 180), GetSysColor(COLOR_BTNFACE));
  ReleaseDC(v, dc);

  // Owner-drawn rows go to the parent as WM_DRAWITEM.
  std::vector<DRAWITEMSTRUCT> draws;
  SetHandler(Parent, [&](HWND, UINT msg, WPARAM, LPARAM lp, bool& handled) -> LRESULT {
    handled = msg == WM_DRAWITEM;
    if (handled) draws.push_back(*reinterpret_cast<DRAWITEMSTRUCT*>(lp));
    return handled;
  });
  HWND o = Make(LVS_REPORT | LVS_OWNERDRAWFIXED, 300, 200);
  Columns(o, {120});
  AddMany(o, 2);
  UpdateWindow(Parent);
  ASSERT_EQ(draws.size(), 2u);
  EXPECT_EQ(draws[0].CtlType, ODT_LISTVIEW);
  EXPECT_EQ(draws[1].itemID, 1u);
  EXPECT_EQ(draws[1].itemData, 1u);
}

}  // namespace

}  // namespace t_list_view_test
