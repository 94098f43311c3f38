// The skinned list view: bars that follow the native view per view style
// and scroll it by differences, a cleared view under a shown bar, the flat
// header (subclassed only with column headers; its height at the next
// layout; background, divider and bottom line by probes; a column's image
// and caption placed as one block), and the caption shortening against a
// measured reference.
#include <gtest/gtest.h>

#include "platform/rtl/SysUtils.h"
#include "skin/controls/uQuarnListView.h"
#include "tests/skin/controls/SkinControlsTestSupport.h"

namespace t_u_quarn_list_view_test {

using namespace qn;
using namespace skintest;

namespace {

class uQuarnListView : public RootTest {
 protected:
  TQuarnListView* MakeView(TViewStyle style, Integer items, Integer h = 200) {
    auto* v = Make<TQuarnListView>(10, 10, 300, h);
    v->SetViewStyle(style);
    for (const char16_t* c : {u"Name", u"Kind"}) {
      TListColumn* col = v->Columns()->Add();
      col->SetCaption(c);
      col->SetWidth(120);
    }
    for (Integer i = 0; i < items; ++i) v->Items()->Add()->SetCaption(u"Item " + IntToStr(i));
    usertest::Pump();
    return v;
  }
  TQuarnScrollBar* Bar(TScrollBarKind kind) {
    auto* b = kind == sbVertical ? Make<TQuarnScrollBar>(320, 10, 10, 200) : Make<TQuarnScrollBar>(10, 250, 300, 10);
    b->SetKind(kind);
    return b;
  }
  Integer RowHeight(TQuarnListView* v) {
    TRect r = v->Items()->Item(0)->DisplayRect(drBounds);
    return r.Height();
  }
};

TEST_F(uQuarnListView, ReportBarFollowsRowsAndScrollsByItemHeights) {
  auto* v = MakeView(vsReport, 100);
  Integer rh = RowHeight(v), top = v->Items()->Item(0)->DisplayRect(drBounds).Top;
  EXPECT_EQ(top, 27);  // the flat header is 25 high and the rows start 2 below it
  v->SetHeight(top + 10 * rh + rh / 2);
  auto* bar = Bar(sbVertical);
  v->SetVScrollBar(bar);
  EXPECT_TRUE(bar->Visible());
  EXPECT_EQ(bar->PageSize(), 10);
  EXPECT_EQ(bar->Max(), 99);
  EXPECT_EQ(bar->LargeChange(), 10);
  std::vector<TObject*> changes;
  struct Sink : TObject {
    std::vector<TObject*>* Out;
    void Changed(TObject* s) { Out->push_back(s); }
  } sink;
  sink.Out = &changes;
  v->SetOnScrollBarChange(TNotifyEvent(&sink, &Sink::Changed));
  bar->SetPosition(3);
  EXPECT_EQ(v->LV(LVM_GETTOPINDEX, 0, 0), 3);
  EXPECT_EQ(v->Items()->Item(3)->DisplayRect(drBounds).Top, top);
  EXPECT_EQ(changes, (std::vector<TObject*>{bar}));
  // Keys move the view; the bar follows at the next synchronisation.
  v->Scroll(0, 5 * rh);
  v->UpDateScrollBars();
  EXPECT_EQ(bar->Position(), 8);
  // Clearing the items under a shown bar, then dragging it, is safe.
  v->Items()->Clear();
  v->UpDateScrollBars();
  bar->SetPosition(0);
  bar->SetPosition(5);
  EXPECT_EQ(v->Items()->Count(), 0);
}

TEST_F(uQuarnListView, ListStyleFarArrowSendsOneLineRight) {
  auto* v = MakeView(vsList, 60, 120);
  auto* bar = Bar(sbHorizontal);
  v->SetHScrollBar(bar);
  ASSERT_TRUE(bar->Visible());
  Integer lines = 0;
  TWndMethod old = v->WindowProc();
  v->SetWindowProc([&lines, old](TMessage& m) {
    if (m.Msg == WM_HSCROLL && LOWORD(m.WParam) == SB_LINERIGHT) ++lines;
    old(m);
  });
  Integer rows = Integer(v->LV(LVM_GETCOUNTPERPAGE, 0, 0)) /
                 std::max<Integer>(1, v->Width() / v->Items()->Item(0)->DisplayRect(drBounds).Width());
  // The far arrow is the bar's right end.
  MoveTo(bar, bar->Width() - 3, 4);
  Press();
  Release();
  EXPECT_EQ(lines, 1);
  EXPECT_EQ(bar->Position(), 1);
  EXPECT_EQ(v->LV(LVM_GETTOPINDEX, 0, 0), rows);
  v->SetWindowProc(nullptr);
}

TEST_F(uQuarnListView, IconViewBarsInPixels) {
  auto* v = MakeView(vsIcon, 40, 150);
  auto* bar = Bar(sbVertical);
  v->SetVScrollBar(bar);
  ASSERT_TRUE(bar->Visible());
  EXPECT_EQ(bar->PageSize(), 150);
  EXPECT_EQ(bar->SmallChange(), std::max<Integer>(1, RowHeight(v) / 2));
  bar->SetPosition(30);
  POINT o;
  ASSERT_TRUE(v->LV(LVM_GETORIGIN, 0, reinterpret_cast<LPARAM>(&o)));
  EXPECT_EQ(o.Y, 30);
}

TEST_F(uQuarnListView, FlatHeaderSubclassedOnlyWithColumnHeaders) {
  auto* v = MakeView(vsReport, 3);
  HWND hdr = reinterpret_cast<HWND>(v->LV(LVM_GETHEADER, 0, 0));
  ASSERT_NE(hdr, nullptr);
  EXPECT_EQ(v->HeaderHandle(), hdr);
  RECT hr;
  GetWindowRect(hdr, &hr);
  EXPECT_EQ(hr.Bottom - hr.Top, 25);
  EXPECT_EQ(hr.Right - hr.Left, v->ClientWidth() + 25);
  // Probes: background, the divider at right - 1 and the bottom line.
  UpdateWindow(hdr);
  HDC dc = GetDC(hdr);
  EXPECT_EQ(GetPixel(dc, 60, 5), COLORREF(0xFCFCFC));
  EXPECT_EQ(GetPixel(dc, 119, 5), COLORREF(0xFBF1E8));
  EXPECT_EQ(GetPixel(dc, 60, 24), COLORREF(0xFBF1E8));
  // Past the last section: background with the bottom line.
  EXPECT_EQ(GetPixel(dc, 260, 5), COLORREF(0xFCFCFC));
  EXPECT_EQ(GetPixel(dc, 260, 24), COLORREF(0xFBF1E8));
  ReleaseDC(hdr, dc);
  // The height shows at the next layout; a new window re-subclasses.
  v->SetHeaderHeight(40);
  GetWindowRect(hdr, &hr);
  EXPECT_EQ(hr.Bottom - hr.Top, 25);
  v->SetWidth(v->Width() + 10);
  GetWindowRect(hdr, &hr);
  EXPECT_EQ(hr.Bottom - hr.Top, 40);
  EXPECT_EQ(v->Items()->Item(0)->DisplayRect(drBounds).Top, 42);
  v->RecreateWnd();
  v->HandleNeeded();
  EXPECT_EQ(v->HeaderHandle(), reinterpret_cast<HWND>(v->LV(LVM_GETHEADER, 0, 0)));
  EXPECT_NE(v->HeaderHandle(), nullptr);
  // Without column headers the header keeps the platform's procedure.
  v->SetShowColumnHeaders(false);
  v->HandleNeeded();
  EXPECT_EQ(v->HeaderHandle(), nullptr);
}

// A column's image and caption are placed together: centred or right-aligned
// as one block with the 10-pixel gap, or from the left once the caption had
// to be shortened.
TEST_F(uQuarnListView, HeaderImageAndCaptionMoveAsOneBlock) {
  auto* v = MakeView(vsReport, 3);
  auto* images = new TCustomImageList(v);
  images->SetSize(16, 16);
  TBitmap red;
  red.SetSize(16, 16);
  red.Canvas()->Brush()->SetColor(static_cast<TColor>(0x000000FF));
  red.Canvas()->FillRect(TRect(0, 0, 16, 16));
  images->Add(&red, nullptr);
  v->SetSmallImages(images);
  TListColumn* col = v->Columns()->Items(0);
  col->SetImageIndex(0);
  HWND hdr = v->HeaderHandle();
  ASSERT_NE(hdr, nullptr);
  TBitmap meter;
  meter.SetSize(4, 4);
  meter.Canvas()->Font()->Assign(v->Font());
  // Columns of the header row through its middle: where the image starts
  // and where the caption's first and last ink fall.
  struct Row { Integer ImageLeft = -1, InkLeft = -1, InkRight = -1; };
  auto probe = [&]() {
    InvalidateRect(hdr, nullptr, true);
    UpdateWindow(hdr);
    HDC dc = GetDC(hdr);
    Row r;
    for (Integer x = 1; x < 118; ++x) {
      const COLORREF c = GetPixel(dc, x, 12);
      if (c == COLORREF(0x0000FF) && r.ImageLeft < 0) r.ImageLeft = x;
      bool ink = false;
      for (Integer y = 2; y < 23 && !ink; ++y) {
        const COLORREF p = GetPixel(dc, x, y);
        ink = p != COLORREF(0xFCFCFC) && p != COLORREF(0x0000FF);
      }
      if (ink) {
        if (r.InkLeft < 0) r.InkLeft = x;
        r.InkRight = x;
      }
    }
    ReleaseDC(hdr, dc);
    return r;
  };
  const Integer tw = meter.Canvas()->TextWidth(u"Name");
  col->SetAlignment(taCenter);
  Row r = probe();
  // B is the section less 5 on each side: 5..115.
  EXPECT_EQ(r.ImageLeft, 5 + 110 / 2 - (tw + 16 + 10) / 2);
  EXPECT_GE(r.InkLeft, r.ImageLeft + 26);
  EXPECT_LE(r.InkLeft, r.ImageLeft + 28);
  col->SetAlignment(taRightJustify);
  r = probe();
  EXPECT_EQ(r.ImageLeft, 115 - tw - 16 - 10);
  EXPECT_LE(r.InkRight, 115);
  EXPECT_GE(r.InkRight, 115 - 3);
  // Too long to fit: shortened, and then placed from the left whatever the
  // alignment.
  col->SetCaption(u"Harbour master's register of ships");
  r = probe();
  EXPECT_EQ(r.ImageLeft, 5);
  EXPECT_LE(r.InkRight, 115);
}

TEST_F(uQuarnListView, CaptionsShortenToTheLongestFittingPrefix) {
  TBitmap bmp;
  bmp.SetSize(10, 10);
  TCanvas* c = bmp.Canvas();
  const String s = u"Harbour master's register";
  EXPECT_EQ(ShortenHeaderCaption(c, s, c->TextWidth(s)), s);
  for (Integer w = 0; w < c->TextWidth(s); w += 7) {
    SCOPED_TRACE(w);
    String r = ShortenHeaderCaption(c, s, w);
    ASSERT_GE(r.size(), 3u);
    ASSERT_EQ(r.substr(r.size() - 3), u"...");
    String prefix = r.substr(0, r.size() - 3);
    EXPECT_EQ(s.compare(0, prefix.size(), prefix), 0);
    if (!prefix.empty()) {
      EXPECT_LE(c->TextWidth(r), w);
    }
    // One more character would not fit.
    if (prefix.size() < s.size()) {
      EXPECT_GT(c->TextWidth(s.substr(0, prefix.size() + 1) + u"..."), w);
    }
  }
}

}  // namespace

}  // namespace t_u_quarn_list_view_test
