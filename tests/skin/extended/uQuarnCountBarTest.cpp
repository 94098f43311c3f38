// The count bar: its windows of page numbers for the worked sizes, moving
// through presses and the navigation operations, the edge cases of few or
// no pages and narrow cells, the hand cursor and its stored Alpha.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "platform/classes/FormText.h"
#include "platform/rtl/SysUtils.h"
#include "skin/extended/uQuarnCountBar.h"
#include "tests/skin/controls/SkinControlsTestSupport.h"

namespace t_u_quarn_count_bar_test {

using namespace qn;

namespace {

class uQuarnCountBar : public skintest::RootTest {
 protected:
  TQuarnCountBar* Bar(Cardinal Pages) {
    auto* B = Make<TQuarnCountBar>(10, 10, 390, 34);
    B->SetOnNumChanged([this](TObject*) { ++NumChanged; });
    B->SetNumCount(Pages);
    Picture(B);
    return B;
  }
  // The captions in order, the current page's in brackets.
  static std::string Cells(TQuarnCountBar* B) {
    std::string s;
    for (Integer i = 0; i < B->Items()->Count(); ++i) {
      const std::string c = ToUtf8(TQuarnCustomCountBar::Rec(B->Items()->Items(i))->Caption);
      if (!s.empty()) s += " ";
      s += i == B->FocusItemIndex() ? "[" + c + "]" : c;
    }
    return s;
  }
  void PressCell(TQuarnCountBar* B, const String& Caption) {
    for (Integer i = 0; i < B->Items()->Count(); ++i)
      if (TQuarnCustomCountBar::Rec(B->Items()->Items(i))->Caption == Caption) {
        Picture(B);
        const TRect& r = B->Items()->Items(i)->Rect();
        AdvanceClock(1000);
        MoveTo(B, (r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
        Press();
        Release();
        return;
      }
    ADD_FAILURE() << "no cell " << ToUtf8(Caption);
  }
  int NumChanged = 0;
};

}  // namespace

TEST_F(uQuarnCountBar, TheWorkedExampleWindows) {
  auto* B = Bar(20);
  EXPECT_EQ(Cells(B), "< [1] 2 3 4 5 6 7 8 ... 20 >");
  EXPECT_EQ(B->FocusNum(), 1u);
  EXPECT_TRUE(B->SkipTo(15));
  EXPECT_EQ(Cells(B), "< 11 12 13 14 [15] 16 17 18 19 20 >");
  EXPECT_EQ(B->NumBegin(), 11u);
  EXPECT_EQ(B->NumEnd(), 20u);
  // A page already shown only moves the focus.
  EXPECT_TRUE(B->SkipTo(12));
  EXPECT_EQ(Cells(B), "< 11 [12] 13 14 15 16 17 18 19 20 >");
  // V + K - 1 = NumCount: the window ends at the last page and starts at V.
  EXPECT_TRUE(B->SkipTo(2));
  EXPECT_EQ(Cells(B), "< [2] 3 4 5 6 7 8 9 ... 20 >");
  EXPECT_TRUE(B->SkipTo(11));
  EXPECT_EQ(Cells(B), "< [11] 12 13 14 15 16 17 18 19 20 >");
  // All pages fit: no skip cell.
  B->SetNumCount(6);
  EXPECT_EQ(Cells(B), "< [1] 2 3 4 5 6 >");
  EXPECT_FALSE(B->SkipTo(7));
  EXPECT_FALSE(B->SkipTo(0));
}

TEST_F(uQuarnCountBar, NoPagesLeaveOnlyNavigationAndNothingToSkipTo) {
  auto* B = Bar(0);
  EXPECT_EQ(Cells(B), "< >");
  for (Integer v : {-1, 0, 1, 5}) EXPECT_FALSE(B->SkipTo(v));
  // Next and previous fire even when nothing moves.
  int next = 0, prev = 0, first = 0, last = 0;
  B->SetOnNextClick([&](TObject*) { ++next; });
  B->SetOnPreviousClick([&](TObject*) { ++prev; });
  B->SetOnFirstClick([&](TObject*) { ++first; });
  B->SetOnLastClick([&](TObject*) { ++last; });
  B->NextClick();
  B->PreviousClick();
  B->FirstClick();
  B->LastClick();
  EXPECT_EQ(next + prev + first + last, 4);
  B->SetNumCount(20);
  B->SkipTo(20);
  B->NextClick();
  EXPECT_EQ(B->FocusNum(), 20u);
  EXPECT_EQ(next, 2);
  B->SkipTo(1);
  B->PreviousClick();
  EXPECT_EQ(B->FocusNum(), 1u);
  EXPECT_EQ(prev, 2);
  B->NextClick();
  EXPECT_EQ(B->FocusNum(), 2u);
  B->LastClick();
  EXPECT_EQ(B->FocusNum(), 20u);
  B->FirstClick();
  EXPECT_EQ(B->FocusNum(), 1u);
}

TEST_F(uQuarnCountBar, PressesMoveThePageAndTheSkipCellOnlyReports) {
  auto* B = Bar(20);
  int skips = 0;
  B->SetOnSkipClick([&](TObject*) { ++skips; });
  NumChanged = 0;
  PressCell(B, u"5");
  EXPECT_EQ(B->FocusNum(), 5u);
  EXPECT_EQ(NumChanged, 1);
  EXPECT_EQ(Cells(B), "< 1 2 3 4 [5] 6 7 8 ... 20 >");
  PressCell(B, u"...");
  EXPECT_EQ(skips, 1);
  EXPECT_EQ(B->FocusNum(), 5u);
  EXPECT_EQ(Cells(B), "< 1 2 3 4 [5] 6 7 8 ... 20 >");
  PressCell(B, u">");
  EXPECT_EQ(B->FocusNum(), 6u);
  PressCell(B, u"20");
  EXPECT_EQ(B->FocusNum(), 20u);
  PressCell(B, u"<");
  EXPECT_EQ(B->FocusNum(), 19u);
  // The hand shows over the hot cell.
  Picture(B);
  const TRect& r = B->Items()->Items(1)->Rect();
  MoveTo(B, r.Left + 5, r.Top + 5);
  B->Perform(WM_SETCURSOR, reinterpret_cast<WPARAM>(B->Handle()), HTCLIENT);
  EXPECT_EQ(GetCursor(), Screen->Cursors(crHandPoint));
}

TEST_F(uQuarnCountBar, KindsMaxItemsResizingAndDegenerateCells) {
  auto* B = Bar(20);
  B->SetKinds(TCountKinds{ckPrevious, ckNext, ckSkip});
  EXPECT_EQ(Cells(B), "< ... 20 >");
  NumChanged = 0;
  EXPECT_TRUE(B->SkipTo(7));
  EXPECT_EQ(B->FocusNum(), 7u);
  EXPECT_EQ(NumChanged, 1);
  B->SetKinds(TCountKinds{ckNum, ckFirst, ckPrevious, ckNext, ckLast, ckSkip});
  EXPECT_EQ(Cells(B), "|< < [1] 2 3 4 5 6 ... 20 > >|");
  B->SetMaxItems(4);
  EXPECT_EQ(Cells(B), "|< < [1] 2 3 ... 20 > >|");
  // A resize keeps the cells.
  B->SetBounds(10, 10, 600, 34);
  Picture(B);
  EXPECT_EQ(Cells(B), "|< < [1] 2 3 ... 20 > >|");
  // A spacing that cancels the cell is safe and makes no number cells.
  B->SetMaxItems(0);
  B->SetItemSpaceSize(-28);
  B->SetNumCount(30);
  EXPECT_EQ(Cells(B), "|< < > >|");
  Picture(B);
  B->SetNumCount(0xFFFFFFFFu);
  Picture(B);
}

TEST_F(uQuarnCountBar, AlphaSurvivesAFormFileRoundTrip) {
  auto* B = Bar(5);
  B->SetName(u"Pager");
  B->SetAlpha(64);
  B->SetNumCount(9);
  const std::string text = ComponentToText(B);
  EXPECT_NE(text.find("Alpha = 64"), std::string::npos) << text;
  std::unique_ptr<TQuarnCountBar> C(new TQuarnCountBar(nullptr));
  TextToComponent(text, C.get());
  EXPECT_EQ(C->Alpha(), 64);
  EXPECT_EQ(C->NumCount(), 9u);
}

}  // namespace t_u_quarn_count_bar_test
