// The time box: the grids of both kinds against their geometry, the empty
// 25th hour cell, the focus reset, the close cross (drawn, hot, pressed),
// the title, and a pick that reports and hides.
#include <gtest/gtest.h>

#include "skin/extended/uQuarnTimeBox.h"
#include "tests/skin/controls/SkinControlsTestSupport.h"

namespace t_u_quarn_time_box_test {

using namespace qn;

namespace {

class uQuarnTimeBox : public skintest::RootTest {
 protected:
  TQuarnTimeBox* Box(TQnBoxKind Kind) {
    auto* b = Make<TQuarnTimeBox>(20, 20, 128, 128);
    b->SetKind(Kind);
    Picture(b);
    return b;
  }
  void Over(TQuarnTimeBox* B, const TRect& R) { MoveTo(B, (R.Left + R.Right) / 2, (R.Top + R.Bottom) / 2); }
  static Integer Dark(TBitmap32* B, const TRect& R) {
    Integer n = 0;
    for (Integer y = R.Top; y < R.Bottom; ++y)
      for (Integer x = R.Left; x < R.Right; ++x) n += (B->GetPixel(x, y) & 0xFFu) < 0x60u;
    return n;
  }
};

class TPicks : public TObject {
 public:
  Integer Count = 0, Num = -1;
  bool VisibleThen = false;
  TQuarnTimeBox* Box = nullptr;
  void Pick(TObject*, TQnNumCell& C) {
    ++Count;
    Num = C.Num;
    VisibleThen = Box->Visible();
  }
};

TEST_F(uQuarnTimeBox, GridsOfBothKinds) {
  auto* b = Box(bkHour);
  EXPECT_EQ(b->Width(), 128);
  EXPECT_EQ(b->Height(), 128);
  // Hours: 23 x 18 cells, 2-pixel gaps, numbered row by row.
  EXPECT_EQ(b->HourCell(0, 0).Rect, TRect(2, 25, 25, 43));
  EXPECT_EQ(b->HourCell(1, 0).Rect, TRect(27, 25, 50, 43));
  EXPECT_EQ(b->HourCell(0, 1).Rect, TRect(2, 45, 25, 63));
  EXPECT_EQ(b->HourCell(3, 4).Rect, TRect(77, 105, 100, 123));
  for (Integer r = 0; r < 5; ++r)
    for (Integer c = 0; c < 5; ++c) {
      const TQnNumCell& cell = b->HourCell(c, r);
      if (r * 5 + c == 24) continue;
      EXPECT_EQ(cell.Num, r * 5 + c);
      EXPECT_TRUE(cell.Enabled);
      EXPECT_EQ(cell.Rect.Width(), 23);
      EXPECT_EQ(cell.Rect.Height(), 18);
    }
  EXPECT_FALSE(b->HourCell(4, 4).Enabled);
  EXPECT_TRUE(b->HourCell(4, 4).Rect.IsEmpty());

  // Minutes: (128 - 22) div 10 = 10 wide, (128 - 23 - 14) div 6 = 15 high.
  b->SetKind(bkMinute);
  Picture(b);
  EXPECT_EQ(b->MinuteCell(0, 0).Rect, TRect(2, 25, 12, 40));
  EXPECT_EQ(b->MinuteCell(9, 5).Rect, TRect(110, 110, 120, 125));
  EXPECT_EQ(b->MinuteCell(9, 5).Num, 59);
  EXPECT_EQ(b->MinuteCell(3, 2).Num, 23);
  // A resize recomputes them.
  b->SetBounds(20, 20, 242, 142);
  Picture(b);
  EXPECT_EQ(b->MinuteCell(1, 0).Rect, TRect(26, 25, 48, 42));
}

TEST_F(uQuarnTimeBox, EmptyHourCellAndFocusReset) {
  auto* b = Box(bkMinute);
  b->SetFocusNum(45);
  Picture(b);
  EXPECT_EQ(b->FocusNum(), 45);
  b->SetKind(bkHour);
  TBitmap32* p = Picture(b);
  EXPECT_EQ(b->FocusNum(), 0);
  // The 0 cell shows the focus; the 25th place is the panel's plain body.
  const TRect zero = b->HourCell(0, 0).Rect;
  EXPECT_EQ(p->GetPixel(zero.Left + 1, zero.Top + 1) & 0xFFFFFFu, 0xE3E3E3u);
  const TRect empty(102, 105, 125, 123);
  EXPECT_GT(Dark(p, b->HourCell(3, 4).Rect), 0);
  EXPECT_EQ(Dark(p, empty), 0);
  TPicks picks;
  picks.Box = b;
  b->SetOnCellClick(qn::uQuarnTimeBox::TCellClickEvent(&picks, &TPicks::Pick));
  Over(b, empty);
  EXPECT_EQ(b->HotCell(), nullptr);
  p = Picture(b);
  EXPECT_EQ(Dark(p, empty), 0);
  EXPECT_EQ(p->GetPixel(110, 110) & 0xFFFFFFu, 0xFFFFFFu);
  Press();
  Release();
  EXPECT_EQ(picks.Count, 0);
  EXPECT_TRUE(b->Visible());
}

TEST_F(uQuarnTimeBox, CloseCrossAndTitle) {
  auto* b = Box(bkSecond);
  TBitmap32* p = Picture(b);
  // At rest the cross is the close square shrunk by 7; hot, by 6.
  EXPECT_FALSE(b->HotCloseBtn());
  EXPECT_EQ(p->GetPixel(113, 8) & 0xFFFFFFu, 0u);
  EXPECT_EQ(p->GetPixel(120, 8) & 0xFFFFFFu, 0u);
  EXPECT_NE(p->GetPixel(112, 7) & 0xFFFFFFu, 0u);
  EXPECT_NE(p->GetPixel(121, 7) & 0xFFFFFFu, 0u);
  MoveTo(b, 116, 11);
  EXPECT_TRUE(b->HotCloseBtn());
  p = Picture(b);
  EXPECT_EQ(p->GetPixel(112, 7) & 0xFFFFFFu, 0u);
  EXPECT_EQ(p->GetPixel(121, 7) & 0xFFFFFFu, 0u);
  // The close square's left and top edges count as on it.
  MoveTo(b, 105, 0);
  EXPECT_TRUE(b->HotCloseBtn());
  MoveTo(b, 104, 5);
  EXPECT_FALSE(b->HotCloseBtn());

  // A press on the title elsewhere does nothing.
  TPicks picks;
  picks.Box = b;
  b->SetOnCellClick(qn::uQuarnTimeBox::TCellClickEvent(&picks, &TPicks::Pick));
  b->SetFocusNum(5);
  MoveTo(b, 30, 10);
  Press();
  Release();
  EXPECT_TRUE(b->Visible());
  EXPECT_EQ(b->FocusNum(), 5);
  EXPECT_EQ(picks.Count, 0);
  // The cross hides the box without a pick.
  MoveTo(b, 116, 11);
  Press();
  Release();
  EXPECT_FALSE(b->Visible());
  EXPECT_EQ(picks.Count, 0);
  EXPECT_EQ(b->FocusNum(), 5);
}

TEST_F(uQuarnTimeBox, PickReportsThenHides) {
  auto* b = Box(bkMinute);
  TPicks picks;
  picks.Box = b;
  b->SetOnCellClick(qn::uQuarnTimeBox::TCellClickEvent(&picks, &TPicks::Pick));
  const TRect r = b->MinuteCell(7, 3).Rect;  // 37
  Over(b, r);
  EXPECT_EQ(b->HotCell()->Num, 37);
  TBitmap32* p = Picture(b);
  // Hot: the focus colour at half strength over white.
  const TColor32 hot = p->GetPixel(r.Left + 1, r.Top + 1) & 0xFFFFFFu;
  EXPECT_NEAR(Integer(hot & 0xFF), 0xF1, 2);
  // Off the grid, the hot cell goes.
  MoveTo(b, 1, 60);
  EXPECT_EQ(b->HotCell(), nullptr);
  Over(b, r);
  Press();
  Release();
  EXPECT_EQ(picks.Count, 1);
  EXPECT_EQ(picks.Num, 37);
  EXPECT_TRUE(picks.VisibleThen);
  EXPECT_EQ(b->FocusNum(), 37);
  EXPECT_FALSE(b->Visible());
  // Shown again: the pick is the focus cell.
  b->Show();
  MoveTo(FRoot.get(), 400, 250);
  p = Picture(b);
  EXPECT_EQ(p->GetPixel(r.Left + 1, r.Top + 1) & 0xFFFFFFu, 0xE3E3E3u);
  EXPECT_EQ(b->HotCell(), nullptr);
}

}  // namespace

}  // namespace t_u_quarn_time_box_test
