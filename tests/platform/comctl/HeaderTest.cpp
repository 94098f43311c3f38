// The native header: layout, item rectangles and the order array (with
// refused counts and indexes), hit tests, clicks, divider tracks with and
// without full drag, item drags that reorder, and the picture by probes.
#include <gtest/gtest.h>

#include "platform/comctl/Header.h"
#include "platform/desktop/Desktop.h"
#include "platform/rtl/SysUtils.h"
#include "tests/platform/user/UserTestSupport.h"

namespace t_header_test {

using namespace vcl;
using namespace usertest;

namespace {

class Platform_Header : public InputServerTest {
 protected:
  void SetUp() override {
    InputServerTest::SetUp();
    InitCommonControls();
    Parent = MakeTop(100, 100, 500, 300);
    SetActiveWindow(Parent);
    SetHandler(Parent, [this](HWND, UINT msg, WPARAM, LPARAM lp, bool& handled) -> LRESULT {
      handled = false;
      if (msg != WM_NOTIFY) return 0;
      handled = true;
      UINT code = reinterpret_cast<NMHDR*>(lp)->code;
      Notes.push_back(code);
      // Only the header's own codes carry the larger record.
      if (int(code) > -300 || int(code) < -399) return 0;
      auto* nm = reinterpret_cast<NMHEADERW*>(lp);
      if (nm->pitem && (nm->pitem->mask & HDI_WIDTH)) Widths.push_back(nm->pitem->cxy);
      if (nm->hdr.code == HDN_ENDDRAG && nm->pitem) DropOrder = nm->pitem->iOrder;
      if (nm->hdr.code == HDN_ITEMCLICKW) Clicked = nm->iItem;
      return nm->hdr.code == VetoCode ? 1 : 0;
    });
  }
  HWND Make(DWORD style, std::initializer_list<int> widths) {
    HWND h = CreateWindowExW(0, WC_HEADER, u"", WS_CHILD | WS_VISIBLE | style, 0, 0, 400, 24, Parent, nullptr, nullptr,
                             nullptr);
    int i = 0;
    for (int w : widths) {
      HDITEMW it;
      it.mask = HDI_WIDTH | HDI_TEXT | HDI_FORMAT;
      it.cxy = w;
      String t = u"Col" + IntToStr(i);
      it.pszText = t.data();
      it.fmt = HDF_LEFT | HDF_STRING;
      SendMessageW(h, HDM_INSERTITEMW, WPARAM(i++), reinterpret_cast<LPARAM>(&it));
    }
    Pump();
    return h;
  }
  std::vector<int> Order(HWND h) {
    int n = int(SendMessageW(h, HDM_GETITEMCOUNT, 0, 0));
    std::vector<int> o(size_t(n), -1);
    SendMessageW(h, HDM_GETORDERARRAY, WPARAM(n), reinterpret_cast<LPARAM>(o.data()));
    return o;
  }
  RECT Rect(HWND h, int i) {
    RECT r{-7, -7, -7, -7};
    SendMessageW(h, HDM_GETITEMRECT, WPARAM(i), reinterpret_cast<LPARAM>(&r));
    return r;
  }
  void Drag(HWND h, int x0, int x1, int y = 10) {
    POINT a{x0, y}, b{x1, y};
    ClientToScreen(h, &a);
    ClientToScreen(h, &b);
    InputMouseMove(a.X, a.Y);
    InputMouseDown(VK_LBUTTON);
    InputMouseMove((a.X + b.X) / 2, b.Y);
    InputMouseMove(b.X, b.Y);
    InputMouseUp(VK_LBUTTON);
    Pump();
  }
  HWND Parent = nullptr;
  std::vector<UINT> Notes;
  std::vector<int> Widths;
  int DropOrder = -1, Clicked = -1;
  UINT VetoCode = 0;
};

TEST_F(Platform_Header, LayoutRectsOrderAndRefusedRequests) {
  HWND h = Make(HDS_BUTTONS, {100, 60, 80});
  EXPECT_EQ(SendMessageW(h, HDM_GETITEMCOUNT, 0, 0), 3);
  RECT r = Rect(h, 1);
  EXPECT_EQ(r.Left, 100);
  EXPECT_EQ(r.Right, 160);

  // The layout asks for the font's height and moves the rows below it.
  RECT rc{0, 0, 300, 200};
  WINDOWPOS wp;
  HDLAYOUT l;
  l.prc = &rc;
  l.pwpos = &wp;
  ASSERT_TRUE(SendMessageW(h, HDM_LAYOUT, 0, reinterpret_cast<LPARAM>(&l)));
  EXPECT_GT(wp.cy, 10);
  EXPECT_EQ(wp.cx, 300);
  EXPECT_EQ(rc.Top, wp.cy);
  EXPECT_TRUE(wp.flags & SWP_SHOWWINDOW);
  SetWindowLongW(h, GWL_STYLE, GetWindowLongW(h, GWL_STYLE) | LONG(HDS_HIDDEN));
  rc = RECT{0, 0, 300, 200};
  SendMessageW(h, HDM_LAYOUT, 0, reinterpret_cast<LPARAM>(&l));
  EXPECT_EQ(wp.cy, 0);
  EXPECT_EQ(rc.Top, 0);

  // A new order moves the rectangles; the display position maps back.
  int order[] = {2, 0, 1};
  ASSERT_TRUE(SendMessageW(h, HDM_SETORDERARRAY, 3, reinterpret_cast<LPARAM>(order)));
  EXPECT_EQ(Order(h), (std::vector<int>{2, 0, 1}));
  EXPECT_EQ(Rect(h, 0).Left, 80);
  EXPECT_EQ(SendMessageW(h, HDM_ORDERTOINDEX, 0, 0), 2);
  int bad[] = {0, 0, 1};
  EXPECT_FALSE(SendMessageW(h, HDM_SETORDERARRAY, 3, reinterpret_cast<LPARAM>(bad)));
  EXPECT_EQ(Order(h), (std::vector<int>{2, 0, 1}));

  // Counts and indexes past the items are refused and nothing is written
  // beyond what the caller gave.
  int guard[5] = {-9, -9, -9, -9, -9};
  EXPECT_FALSE(SendMessageW(h, HDM_GETORDERARRAY, 5, reinterpret_cast<LPARAM>(guard)));
  EXPECT_EQ(guard[0], -9);
  EXPECT_TRUE(SendMessageW(h, HDM_GETORDERARRAY, 2, reinterpret_cast<LPARAM>(guard)));
  EXPECT_EQ(guard[1], 0);
  EXPECT_EQ(guard[2], -9);
  RECT untouched = Rect(h, 3);
  EXPECT_EQ(untouched.Left, -7);
  EXPECT_EQ(Rect(h, -1).Left, -7);

  // Deleting an item closes the gap in the order.
  ASSERT_TRUE(SendMessageW(h, HDM_DELETEITEM, 0, 0));
  EXPECT_EQ(Order(h), (std::vector<int>{1, 0}));
}

TEST_F(Platform_Header, HitTestsClicksAndRightClicks) {
  HWND h = Make(HDS_BUTTONS, {100, 60});
  HDHITTESTINFO ht;
  ht.pt = POINT(50, 10);
  EXPECT_EQ(SendMessageW(h, HDM_HITTEST, 0, reinterpret_cast<LPARAM>(&ht)), 0);
  EXPECT_EQ(ht.flags, HHT_ONHEADER);
  ht.pt = POINT(101, 10);
  EXPECT_EQ(SendMessageW(h, HDM_HITTEST, 0, reinterpret_cast<LPARAM>(&ht)), 0);
  EXPECT_EQ(ht.flags, HHT_ONDIVIDER);
  ht.pt = POINT(300, 10);
  EXPECT_EQ(SendMessageW(h, HDM_HITTEST, 0, reinterpret_cast<LPARAM>(&ht)), -1);
  EXPECT_EQ(ht.flags, HHT_NOWHERE);

  Drag(h, 130, 131);
  EXPECT_EQ(Clicked, 1);
  POINT p{40, 10};
  ClientToScreen(h, &p);
  InputMouseMove(p.X, p.Y);
  InputMouseDown(VK_LBUTTON);
  InputMouseUp(VK_LBUTTON);
  InputMouseDown(VK_LBUTTON);
  InputMouseUp(VK_LBUTTON);
  InputMouseDown(VK_RBUTTON);
  InputMouseUp(VK_RBUTTON);
  Pump();
  EXPECT_NE(std::find(Notes.begin(), Notes.end(), HDN_ITEMDBLCLICKW), Notes.end());
  EXPECT_EQ(Notes.back(), NM_RCLICK);
}

TEST_F(Platform_Header, DividerTracksAndRefusal) {
  // Without full drag the width lands at the release.
  HWND h = Make(HDS_BUTTONS, {100, 60});
  Drag(h, 100, 140);
  std::vector<UINT> want{HDN_BEGINTRACKW, HDN_TRACKW, HDN_TRACKW, HDN_ENDTRACKW, HDN_ITEMCHANGINGW, HDN_ITEMCHANGEDW};
  EXPECT_EQ(Notes, want);
  EXPECT_EQ(Rect(h, 0).Right, 140);
  EXPECT_EQ(Rect(h, 1).Left, 140);
  // With it, every move changes the item.
  DestroyWindow(h);
  Notes.clear();
  Widths.clear();
  h = Make(HDS_BUTTONS | HDS_FULLDRAG, {100, 60});
  Drag(h, 100, 80);
  EXPECT_EQ(std::count(Notes.begin(), Notes.end(), HDN_ITEMCHANGEDW), 2);
  EXPECT_EQ(Rect(h, 0).Right, 80);
  // A refused start leaves the width alone.
  Notes.clear();
  VetoCode = HDN_BEGINTRACKW;
  Drag(h, 80, 150);
  EXPECT_EQ(Notes, (std::vector<UINT>{HDN_BEGINTRACKW}));
  EXPECT_EQ(Rect(h, 0).Right, 80);
}

TEST_F(Platform_Header, DraggingAnItemReordersWithDragDrop) {
  HWND h = Make(HDS_BUTTONS | HDS_DRAGDROP, {100, 60, 80});
  // Item 0 dropped past the middle of item 2 goes last.
  Drag(h, 40, 215);
  EXPECT_NE(std::find(Notes.begin(), Notes.end(), HDN_BEGINDRAG), Notes.end());
  EXPECT_EQ(DropOrder, 2);
  EXPECT_EQ(Order(h), (std::vector<int>{1, 2, 0}));
  EXPECT_EQ(Clicked, -1);
  // A refused drop keeps the order; without the style no drag starts.
  VetoCode = HDN_ENDDRAG;
  Drag(h, 10, 200);
  EXPECT_EQ(Order(h), (std::vector<int>{1, 2, 0}));
  DestroyWindow(h);
  h = Make(HDS_BUTTONS, {100, 60, 80});
  Drag(h, 40, 215);
  EXPECT_EQ(Order(h), (std::vector<int>{0, 1, 2}));
}

TEST_F(Platform_Header, PaintsButtonFacesAndCaptions) {
  HWND h = Make(HDS_BUTTONS, {100, 60});
  UpdateWindow(Parent);
  HDC dc = GetDC(h);
  // Face inside an item, the raised edge's dark right side, and caption
  // ink somewhere in the first item.
  COLORREF face = GetSysColor(COLOR_BTNFACE);
  EXPECT_EQ(GetPixel(dc, 90, 4), face);
  EXPECT_EQ(GetPixel(dc, 99, 10), GetSysColor(COLOR_3DDKSHADOW));
  int ink = 0;
  for (int x = 6; x < 60; ++x)
    for (int y = 4; y < 20; ++y) ink += GetPixel(dc, x, y) != face;
  EXPECT_GT(ink, 10);
  ReleaseDC(h, dc);
}

}  // namespace

}  // namespace t_header_test
