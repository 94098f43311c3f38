// The toolbar's layout: shared and automatic widths, rows and columns,
// spacers, overflow, scroll steps, scroll-button placement, hit-tests and
// the offset reset on deletions.
#include <random>
#include <string>
#include <vector>

#include "tests/skin/extended/ToolbarTestSupport.h"

namespace t_u_quarn_toolbar_layout_test {

using namespace qn;

namespace {

class uQuarnToolbar_Layout : public toolbartest::ToolbarTest {
 protected:
  // The width the buffer's font gives Text, as the toolbar measures it.
  static Integer TextWidth(TQuarnCustomToolbar* B, const String& Text) {
    TBitmap32 probe;
    probe.SetSize(8, 8);
    probe.Font()->Assign(B->Font());
    return probe.TextExtent(Text).cx;
  }
  static std::vector<TRect> Rects(TQuarnCustomToolbar* B) {
    std::vector<TRect> r;
    for (Integer i = 0; i < B->Items()->Count(); ++i) r.push_back(B->Items()->Items(i)->Rect());
    return r;
  }
};

class TWidthLog : public TObject {
 public:
  std::vector<std::string> Log;
  void Width(TObject* Sender, Integer& W) {
    auto* it = dynamic_cast<TQuarnToolbarItem*>(Sender);
    Log.push_back("width " + std::to_string(it ? it->Index() : -1));
    if (it && it->Tag() == 1) W = 77;
  }
  void Draw(TObject*, TBitmap32*, TQuarnToolbarItemData* Item) { Log.push_back("draw " + std::to_string(Item->Index())); }
};

TEST_F(uQuarnToolbar_Layout, SharedWidthGivesTheRemainderToTheLastItem) {
  TQuarnToolbar* b = Bar(103, 52);
  b->SetButtonWidth(0);
  AddItems(b, 5);
  Shot(b);
  std::vector<TRect> r = Rects(b);
  // 103 / 5 = 20 rest 3; the cursor starts at the gap and steps width + gap.
  const Integer top = (52 - 48) / 2;
  for (Integer i = 0; i < 5; ++i) {
    EXPECT_EQ(r[i].Left, 3 + 23 * i) << i;
    EXPECT_EQ(r[i].Width(), i == 4 ? 23 : 20) << i;
    EXPECT_EQ(r[i].Top, top);
    EXPECT_EQ(r[i].Height(), 48);
  }
  // With the last item of the collection hidden nobody gets the rest.
  AddItems(b, 1);
  b->Items()->Items(5)->SetVisible(false);
  Shot(b);
  r = Rects(b);
  for (Integer i = 0; i < 5; ++i) EXPECT_EQ(r[i].Width(), 20) << i;
  EXPECT_EQ(b->GetItemAt(TPoint(r[4].Right - 1, 20)), 4);
  EXPECT_EQ(b->GetItemAt(TPoint(r[4].Right, 20)), -1);

  // No visible items: nothing laid out, nothing overflows.
  for (Integer i = 0; i < 6; ++i) b->Items()->Items(i)->SetVisible(false);
  Shot(b);
  EXPECT_FALSE(b->EnabledScroll());
  EXPECT_EQ(b->ContentEnd(), TPoint(3, 0));
  EXPECT_EQ(b->GetItemAt(TPoint(10, 20)), -1);
}

TEST_F(uQuarnToolbar_Layout, AutomaticWidthsFromTheText) {
  TQuarnToolbar* b = Bar(600, 52);
  b->SetAutoButtonWidth(true);
  AddItems(b, 4);
  b->Items()->Items(0)->Text()->SetText(u"Text");
  b->Items()->Items(1)->Text()->SetText(u"A much longer caption");
  b->Items()->Items(2)->SetKind(tkSpacer);
  b->Items()->Items(3)->Text()->SetText(u"W");
  TWidthLog log;
  b->SetOnButtonWidthChanged(TToolbarButtonWidthEvent(&log, &TWidthLog::Width));
  b->SetOnDrawItem(TQnToolbarItemDrawEnvent(&log, &TWidthLog::Draw));
  Shot(b);
  std::vector<TRect> r = Rects(b);
  EXPECT_EQ(r[0].Width(), TextWidth(b, u"Text") + 14);
  EXPECT_EQ(r[1].Width(), TextWidth(b, u"A much longer caption") + 14);
  EXPECT_EQ(r[1].Left, r[0].Right + 3);
  // A spacer is one gap wide but takes two.
  EXPECT_EQ(r[2].Left, r[1].Right + 3 + 1);
  EXPECT_EQ(r[2].Width(), 3 - 2);
  EXPECT_EQ(r[3].Left, r[1].Right + 3 + 6);
  // The width event and the draw event alternate per item, in order.
  EXPECT_EQ(log.Log, (std::vector<std::string>{"width 0", "draw 0", "width 1", "draw 1", "width 2", "draw 2",
                                               "width 3", "draw 3"}));

  // Side text adds the image and another margin; the event has the last say.
  b->SetImages(TestImages(16));
  b->Items()->Items(0)->SetTextLayout(ilLeft);
  b->Items()->Items(1)->SetTextLayout(ilRight);
  b->Items()->Items(3)->SetTag(1);
  Shot(b);
  r = Rects(b);
  EXPECT_EQ(r[0].Width(), TextWidth(b, u"Text") + 44);
  EXPECT_EQ(r[1].Width(), TextWidth(b, u"A much longer caption") + 44);
  EXPECT_EQ(r[3].Width(), 77);

  // A column ignores automatic widths.
  b->SetMultiLine(true);
  b->SetButtonWidth(60);
  log.Log.clear();
  Shot(b);
  r = Rects(b);
  EXPECT_EQ(r[0].Width(), 60);
  EXPECT_EQ(r[3].Width(), 60);
  EXPECT_EQ(log.Log, (std::vector<std::string>{"draw 0", "draw 1", "draw 2", "draw 3"}));
}

TEST_F(uQuarnToolbar_Layout, ColumnsCentreItemsAndStackThem) {
  TQuarnToolbar* b = Bar(100, 400);
  b->SetMultiLine(true);
  b->SetButtonWidth(60);
  b->SetButtonHeight(30);
  b->SetSpaceSize(4);
  AddItems(b, 3);
  b->Items()->Items(1)->SetKind(tkSpacer);
  Shot(b);
  const std::vector<TRect> r = Rects(b);
  EXPECT_EQ(r[0], TRect(20, 4, 80, 34));
  // Spacer: inset 4 across, one gap long less a pixel each end.
  EXPECT_EQ(r[1], TRect(24, 39, 76, 41));
  EXPECT_EQ(r[2], TRect(20, 46, 80, 76));
  EXPECT_EQ(b->ContentEnd().Y, 80);
  EXPECT_FALSE(b->EnabledScroll());
}

TEST_F(uQuarnToolbar_Layout, OverflowStartsPastAnExactFit) {
  // Each item takes 48 + 3: six fill 306 exactly.
  TQuarnToolbar* b = Bar(306, 52);
  AddItems(b, 6);
  Shot(b);
  EXPECT_FALSE(b->EnabledScroll());
  b->SetWidth(305);
  Wait(20);
  Shot(b);
  EXPECT_TRUE(b->EnabledScroll());

  // The same in a column: six of 30 + 3 in 198.
  TQuarnToolbar* c = Bar(80, 198);
  c->SetMultiLine(true);
  c->SetButtonHeight(30);
  AddItems(c, 6);
  Shot(c);
  EXPECT_FALSE(c->EnabledScroll());
  c->SetHeight(197);
  Wait(20);
  Shot(c);
  EXPECT_TRUE(c->EnabledScroll());
}

TEST_F(uQuarnToolbar_Layout, ScrollButtonsSitAtTheEnd) {
  TQuarnToolbar* b = Bar(300, 52);
  EXPECT_EQ(b->GoFrontBtnRect(), TRect(269, 2, 299, 31));
  EXPECT_EQ(b->GoBackBtnRect(), TRect(238, 2, 268, 31));
  TQuarnToolbar* c = Bar(120, 300);
  c->SetMultiLine(true);
  c->SetHeight(310);
  usertest::Pump();
  // Stacked at the bottom right, back above front.
  EXPECT_EQ(c->GoFrontBtnRect(), TRect(89, 279, 119, 308));
  EXPECT_EQ(c->GoBackBtnRect(), TRect(89, 249, 119, 278));
}

TEST_F(uQuarnToolbar_Layout, ScrollStepsComeBackToZero) {
  std::mt19937 rng(113);
  for (Integer round = 0; round < 12; ++round) {
    const bool multi = round % 2 == 1;
    TQuarnToolbar* b = multi ? Bar(80, 200) : Bar(200, 52);
    b->SetMultiLine(multi);
    b->SetButtonHeight(multi ? 30 : 48);
    b->SetScrollSize(Integer(rng() % 40) + 1);
    const Integer n = Integer(rng() % 12) + 7;
    AddItems(b, n);
    Shot(b);
    ASSERT_TRUE(b->EnabledScroll());
    const Integer len = 200;
    // Front until the end stops it; the content end then lies within reach.
    Integer steps = 0;
    for (Integer guard = 0; guard < 500; ++guard) {
      const TPoint before = b->DispOffset();
      b->ScrollFront();
      Shot(b);
      if (b->DispOffset() == before && b->StopScroll()) break;
      ++steps;
    }
    const Integer end = multi ? b->ContentEnd().Y : b->ContentEnd().X;
    EXPECT_LE(end, len) << round;
    EXPECT_GT(end + b->ScrollSize(), len) << round;
    const Integer off = multi ? b->DispOffset().Y : b->DispOffset().X;
    EXPECT_EQ(off, -steps * b->ScrollSize()) << round;
    // Back by whole steps lands on exactly 0 and no further.
    for (Integer guard = 0; guard < 500; ++guard) {
      b->ScrollBack();
      Shot(b);
      const Integer o = multi ? b->DispOffset().Y : b->DispOffset().X;
      ASSERT_LE(o, 0);
      if (o == 0 && b->StopScroll()) break;
    }
    EXPECT_EQ(b->DispOffset(), TPoint(0, 0)) << round;
    delete b;
  }
}

TEST_F(uQuarnToolbar_Layout, HitsFollowTheRectangles) {
  TQuarnToolbar* b = Bar(300, 52);
  AddItems(b, 3);
  b->Items()->Items(1)->SetEnabled(false);
  Shot(b);
  // Items at 3, 54, 105; gaps between.
  EXPECT_EQ(b->GetItemAt(TPoint(3, 2)), 0);
  EXPECT_EQ(b->GetItemAt(TPoint(51, 10)), -1);
  EXPECT_EQ(b->GetItemAt(TPoint(60, 10)), 1);
  EXPECT_EQ(b->GetItemAt(TPoint(60, 1)), -1);
  EXPECT_EQ(b->GetItemAt(TPoint(152, 49)), 2);
  EXPECT_EQ(b->GetItemAt(TPoint(153, 20)), -1);
  // Scrolling moves the rectangles with the offset.
  AddItems(b, 5);
  Shot(b);
  b->ScrollFront();
  Shot(b);
  EXPECT_EQ(b->Items()->Items(0)->Rect().Left, 3 - 15);
  EXPECT_EQ(b->GetItemAt(TPoint(3 - 15 + 47, 20)), 0);
}

TEST_F(uQuarnToolbar_Layout, DeletionsResetTheOffsetOnceTheRestFits) {
  TQuarnToolbar* b = Bar(200, 52);
  AddItems(b, 6);  // 6 x 51 = 306 > 200
  Shot(b);
  b->ScrollFront();
  Shot(b);
  ASSERT_EQ(b->DispOffset().X, -15);
  // Five left: 5 x 48 + 6 x 3 = 258, still too long.
  b->Items()->Delete(5);
  EXPECT_EQ(b->DispOffset().X, -15);
  b->Items()->Delete(4);  // 4 x 48 + 15 = 207
  EXPECT_EQ(b->DispOffset().X, -15);
  b->Items()->Delete(3);  // 3 x 48 + 12 = 156 < 200
  EXPECT_EQ(b->DispOffset().X, 0);
  // The last deletion always resets.
  b->Items()->Clear();
  AddItems(b, 1);
  Shot(b);
  b->ScrollFront();
  b->ScrollBack();
  b->ScrollFront();
  Shot(b);
  b->Items()->Delete(0);
  EXPECT_EQ(b->DispOffset(), TPoint(0, 0));
}

}  // namespace

}  // namespace t_u_quarn_toolbar_layout_test
