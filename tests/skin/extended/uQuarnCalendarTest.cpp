// The calendar's grid against a plain reference (every month of three
// decades, two worked months cell by cell), its geometry, the colours of
// cells and texts by probes, the range, the setters' refusals and month
// steps, and the mouse.
#include <gtest/gtest.h>

#include <cmath>

#include "platform/classes/FormText.h"
#include "platform/rtl/DateUtils.h"
#include "skin/extended/uQuarnCalendar.h"
#include "tests/skin/controls/SkinControlsTestSupport.h"

namespace t_u_quarn_calendar_test {

using namespace qn;

namespace {

class uQuarnCalendar : public skintest::RootTest {
 protected:
  TQuarnCalendar* Calendar(Word Y, Word M, Word D) {
    auto* c = Make<TQuarnCalendar>(20, 20, 232, 157);
    c->SetDate(EncodeDate(Y, M, D));
    Picture(c);
    return c;
  }
  // The pointer on a cell's middle.
  void Over(TQuarnCalendar* C, Integer Col, Integer Row) {
    const TRect r = C->DayCells()[size_t(Col)][size_t(Row)].Rect;
    MoveTo(C, (r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
  }
  static bool Near(TColor32 A, TColor32 B, Integer Tol = 2) {
    for (int s = 0; s < 24; s += 8)
      if (std::abs(Integer((A >> s) & 255) - Integer((B >> s) & 255)) > Tol) return false;
    return true;
  }
  static TColor32 Rgb(TColor C) { return Color32(ColorToRGB(C)) & 0xFFFFFFu; }
  static Integer Count(TBitmap32* B, const TRect& R, TColor32 C) {
    Integer n = 0;
    for (Integer y = R.Top; y < R.Bottom; ++y)
      for (Integer x = R.Left; x < R.Right; ++x) n += Near(B->GetPixel(x, y), C);
    return n;
  }
};

class TLog : public TObject {
 public:
  Integer Changes = 0, Draws = 0, Clicks = 0;
  TDate Clicked = 0;
  void Changed(TObject*) { ++Changes; }
  void Drawing(TObject*, TCanvas*, TDayCell&) { ++Draws; }
  void Click(TObject*, TDayCell& C) {
    ++Clicks;
    Clicked = C.Date;
  }
};

TEST_F(uQuarnCalendar, GridMatchesTheCalendarOfEveryMonth) {
  auto* c = Make<TQuarnCalendar>(20, 20, 232, 157);
  for (Word y = 2000; y < 2031; ++y)
    for (Word m = 1; m <= 12; ++m) {
      c->SetDate(EncodeDate(y, m, 1));
      c->UpdateCells();
      const TDateTime first = EncodeDate(y, m, 1);
      // Sunday-first weeks: the grid starts on the Sunday on or before the
      // first and runs on day by day.
      const TDateTime start = first - (DayOfWeek(first) - 1);
      for (Integer row = 0; row < 6; ++row)
        for (Integer col = 0; col < 7; ++col) {
          const TDayCell& cell = c->DayCells()[size_t(col)][size_t(row)];
          const TDateTime want = start + row * 7 + col;
          ASSERT_EQ(cell.Date, want) << y << "-" << m << " " << col << "," << row;
          EXPECT_EQ(cell.IsValidDayOfMonth, MonthOf(want) == m);
          EXPECT_EQ(cell.Text, IntToStr(Integer(DayOf(want))));
          EXPECT_FALSE(cell.Disabled);
        }
    }
}

TEST_F(uQuarnCalendar, WorkedMonthsAndGeometry) {
  // February 2015: 28 days from a Sunday; rows 4 and 5 are all March.
  auto* c = Calendar(2015, 2, 10);
  const auto& g = c->DayCells();
  for (Integer i = 0; i < 28; ++i) {
    const TDayCell& cell = g[size_t(i % 7)][size_t(i / 7)];
    EXPECT_EQ(cell.Text, IntToStr(i + 1));
    EXPECT_TRUE(cell.IsValidDayOfMonth);
  }
  for (Integer i = 28; i < 42; ++i) {
    const TDayCell& cell = g[size_t(i % 7)][size_t(i / 7)];
    EXPECT_EQ(cell.Text, IntToStr(i - 27));
    EXPECT_FALSE(cell.IsValidDayOfMonth);
    EXPECT_EQ(MonthOf(cell.Date), 3);
  }
  // May 2015: 31 days from a Friday.
  c->SetDate(EncodeDate(2015, 5, 10));
  Picture(c);
  const char16_t* row0[7] = {u"26", u"27", u"28", u"29", u"30", u"1", u"2"};
  const char16_t* row5[7] = {u"31", u"1", u"2", u"3", u"4", u"5", u"6"};
  for (size_t col = 0; col < 7; ++col) {
    EXPECT_EQ(g[col][0].Text, row0[col]);
    EXPECT_EQ(g[col][0].IsValidDayOfMonth, col >= 5);
    EXPECT_EQ(g[col][5].Text, row5[col]);
    EXPECT_EQ(g[col][5].IsValidDayOfMonth, col == 0);
  }
  EXPECT_EQ(g[0][1].Text, u"3");
  EXPECT_EQ(g[4][5].Date, EncodeDate(2015, 6, 4));
  EXPECT_EQ(g[0][0].Date, EncodeDate(2015, 4, 26));

  // 232 x 157: cells 32 x 21 with one-pixel gaps under a 24-pixel header.
  EXPECT_EQ(c->CellWidth(), 32);
  EXPECT_EQ(c->CellHeight(), 21);
  EXPECT_EQ(g[0][0].Rect, TRect(1, 25, 33, 46));
  EXPECT_EQ(g[1][0].Rect, TRect(34, 25, 66, 46));
  EXPECT_EQ(g[6][5].Rect, TRect(199, 135, 231, 156));
  EXPECT_EQ(c->HeaderRect(), TRect(0, 0, 232, 24));
  EXPECT_EQ(c->HeaderCol(6), TRect(199, 0, 231, 24));
  // A resize recomputes them.
  c->SetBounds(20, 20, 302, 181);
  Picture(c);
  EXPECT_EQ(c->CellWidth(), 42);
  EXPECT_EQ(c->CellHeight(), 25);
}

TEST_F(uQuarnCalendar, CellAndTextColours) {
  auto* c = Calendar(2015, 5, 13);
  c->SetHolidayTextColor(TColor(0x000000C0));
  const TColor32 holiday = 0xC00000u, grey = 0x999999u, light = 0xC4C4C4u, black = 0;
  TBitmap32* p = Picture(c);
  const auto& g = c->DayCells();
  // Fills: the focus day, other cells; the header and the frame.
  const TRect focus = g[3][2].Rect;  // 13 May, a Wednesday
  EXPECT_TRUE(Near(p->GetPixel(focus.Left + 1, focus.Top + 1), 0xE3E3E3u));
  EXPECT_TRUE(Near(p->GetPixel(g[2][2].Rect.Left + 1, g[2][2].Rect.Top + 1), 0xFFFFFFu));
  EXPECT_TRUE(Near(p->GetPixel(5, 5), 0xF6F6F6u));
  EXPECT_TRUE(Near(p->GetPixel(100, 23), 0xC6C6C6u));
  EXPECT_TRUE(Near(p->GetPixel(0, 100), 0xC6C6C6u));
  EXPECT_TRUE(Near(p->GetPixel(231, 156), 0xC6C6C6u));
  // Texts: weekend columns in the holiday colour, weekdays in the cell
  // font's, neighbouring months grey even at the weekend.
  EXPECT_GT(Count(p, g[0][1].Rect, holiday), 0);  // Sunday 3 May
  EXPECT_GT(Count(p, g[6][1].Rect, holiday), 0);  // Saturday 9 May
  EXPECT_EQ(Count(p, g[1][1].Rect, holiday), 0);
  EXPECT_GT(Count(p, g[1][1].Rect, black), 0);
  EXPECT_GT(Count(p, g[0][0].Rect, grey), 0);  // Sunday 26 April
  EXPECT_EQ(Count(p, g[0][0].Rect, holiday), 0);
  EXPECT_GT(Count(p, g[6][5].Rect, grey), 0);  // Saturday 6 June
  // Disabled wins over both.
  c->SetMinDate(EncodeDate(2015, 5, 5));
  p = Picture(c);
  EXPECT_GT(Count(p, g[0][1].Rect, light), 0);  // Sunday 3 May
  EXPECT_EQ(Count(p, g[0][1].Rect, holiday), 0);
  EXPECT_GT(Count(p, g[0][0].Rect, light), 0);
  EXPECT_EQ(Count(p, g[0][0].Rect, grey), 0);
  EXPECT_GT(Count(p, g[2][1].Rect, black), 0);  // 5 May, the first day in range

  // The hot cell: the focus colour at half strength over the background.
  Over(c, 4, 3);
  p = Picture(c);
  EXPECT_EQ(c->HotCell(), &g[4][3]);
  const TRect hot = g[4][3].Rect;
  const TColor32 bg = RootColour();
  TColor32 want = 0;
  for (int s = 0; s < 24; s += 8) {
    const Integer b = Integer((bg >> s) & 255);
    want |= TColor32(b + (0xE3 - b) * 128 / 255) << s;
  }
  EXPECT_TRUE(Near(p->GetPixel(hot.Left + 1, hot.Top + 1), want, 3));
  MoveTo(FRoot.get(), 400, 250);
  EXPECT_EQ(c->HotCell(), nullptr);
}

TEST_F(uQuarnCalendar, RangeAndClicks) {
  auto* c = Calendar(2015, 5, 13);
  TLog log;
  c->SetOnCellClick(qn::uQuarnCalendar::TCellClickEvent(&log, &TLog::Click));
  const auto& g = c->DayCells();
  // A neighbouring month's day: focused inside the grid still shown.
  Over(c, 0, 0);
  Press();
  Release();
  EXPECT_EQ(log.Clicks, 1);
  EXPECT_EQ(log.Clicked, EncodeDate(2015, 4, 26));
  EXPECT_EQ(c->Month(), 4);
  EXPECT_EQ(c->FocusDay(), 26);
  TBitmap32* p = Picture(c);
  EXPECT_EQ(g[0][0].Date, EncodeDate(2015, 4, 26));
  EXPECT_EQ(g[6][5].Date, EncodeDate(2015, 6, 6));
  EXPECT_TRUE(Near(p->GetPixel(g[0][0].Rect.Left + 1, g[0][0].Rect.Top + 1), 0xE3E3E3u));

  // Days outside the range ignore the pointer and clicks.
  c->SetDate(EncodeDate(2015, 5, 13));
  c->SetRange(EncodeDate(2015, 5, 5) + 0.75, EncodeDate(2015, 5, 20) + 0.5);
  Picture(c);
  EXPECT_TRUE(g[2][1].Disabled == false);  // 5 May: the whole day counts
  EXPECT_TRUE(g[1][1].Disabled);
  EXPECT_FALSE(g[3][3].Disabled);  // 20 May
  EXPECT_TRUE(g[4][3].Disabled);
  Over(c, 3, 2);
  EXPECT_EQ(c->HotCell(), &g[3][2]);
  Over(c, 1, 1);
  EXPECT_EQ(c->HotCell(), &g[3][2]);
  // The kept hot cell lies elsewhere: a press here picks nothing.
  c->SetFocusDay(14);
  Press();
  Release();
  EXPECT_EQ(log.Clicks, 1);
  EXPECT_EQ(c->FocusDay(), 14);
  c->SetFocusDay(13);
  Over(c, 5, 4);  // 29 May, out of range
  EXPECT_EQ(c->HotCell(), &g[3][2]);
  MoveTo(FRoot.get(), 400, 250);
  Over(c, 5, 4);
  EXPECT_EQ(c->HotCell(), nullptr);
  Press();
  Release();
  EXPECT_EQ(log.Clicks, 1);
  EXPECT_EQ(c->FocusDay(), 13);
  Over(c, 3, 3);
  Press();
  Release();
  EXPECT_EQ(log.Clicks, 2);
  EXPECT_EQ(log.Clicked, EncodeDate(2015, 5, 20));

  // Setters refuse days outside the range.
  c->SetFocusDay(2);
  EXPECT_EQ(c->FocusDay(), 20);
  c->SetFocusDay(21);
  EXPECT_EQ(c->FocusDay(), 20);
  c->SetFocusDay(15);
  EXPECT_EQ(c->FocusDay(), 15);
  c->SetYear(2016);
  EXPECT_EQ(c->Year(), 2015);
}

TEST_F(uQuarnCalendar, RangeContradictionsAndSetRange) {
  auto* c = Calendar(2015, 5, 13);
  c->SetMinDate(EncodeDate(2015, 5, 1));
  try {
    c->SetMaxDate(EncodeDate(2015, 4, 1));
    FAIL() << "no exception";
  } catch (const Exception& e) {
    EXPECT_NE(e.Message().find(DateToStr(EncodeDate(2015, 5, 1))), String::npos) << ToUtf8(e.Message());
  }
  EXPECT_EQ(c->MaxDate(), 0);
  c->SetMaxDate(EncodeDate(2015, 6, 30));
  try {
    c->SetMinDate(EncodeDate(2015, 7, 1));
    FAIL() << "no exception";
  } catch (const Exception& e) {
    EXPECT_NE(e.Message().find(DateToStr(EncodeDate(2015, 6, 30))), String::npos) << ToUtf8(e.Message());
  }
  EXPECT_EQ(c->MinDate(), EncodeDate(2015, 5, 1));
  // Either end opens again with 0, whatever the other end.
  c->SetMaxDate(0);
  EXPECT_EQ(c->MaxDate(), 0);
  c->SetMinDate(0);
  EXPECT_EQ(c->MinDate(), 0);

  // The focus moves into a new range, to its nearer end.
  c->SetRange(EncodeDate(2015, 6, 3) + 0.5, 0);
  EXPECT_EQ(c->Date(), EncodeDate(2015, 6, 3));
  c->SetRange(0, EncodeDate(2015, 4, 20));
  EXPECT_EQ(c->Date(), EncodeDate(2015, 4, 20));
  c->SetRange(EncodeDate(2015, 4, 1), EncodeDate(2015, 4, 30));
  EXPECT_EQ(c->Date(), EncodeDate(2015, 4, 20));
  // Form files keep only the ends that are set.
  TQuarnCalendar plain(nullptr);
  EXPECT_EQ(ComponentToText(&plain).find("MinDate"), std::string::npos);
  const std::string text = ComponentToText(c);
  EXPECT_NE(text.find("MinDate"), std::string::npos) << text;
  TQuarnCalendar back(nullptr);
  TextToComponent(text, &back);
  EXPECT_EQ(back.MinDate(), EncodeDate(2015, 4, 1));
  EXPECT_EQ(back.MaxDate(), EncodeDate(2015, 4, 30));
  EXPECT_EQ(back.Date(), EncodeDate(2015, 4, 20));
}

TEST_F(uQuarnCalendar, YearAndMonthSteps) {
  auto* c = Calendar(2016, 2, 29);
  c->SetYear(2015);
  EXPECT_EQ(c->Date(), EncodeDate(2015, 2, 28));
  c->SetDate(EncodeDate(2016, 1, 31));
  c->SetMonth(0);
  EXPECT_EQ(c->Date(), EncodeDate(2015, 12, 31));
  c->SetMonth(13);
  EXPECT_EQ(c->Date(), EncodeDate(2016, 1, 31));
  c->SetMonth(2);
  EXPECT_EQ(c->Date(), EncodeDate(2016, 2, 29));
  c->SetMonth(4);
  EXPECT_EQ(c->Date(), EncodeDate(2016, 4, 29));

  // With a range the same steps raise nothing; a minimum resets the focus
  // day to the 1st on a month change.
  c->SetRange(EncodeDate(2000, 1, 1), EncodeDate(2030, 12, 31));
  c->SetDate(EncodeDate(2016, 2, 29));
  EXPECT_NO_THROW(c->SetYear(2015));
  EXPECT_EQ(c->Date(), EncodeDate(2015, 2, 28));
  c->SetDate(EncodeDate(2016, 1, 15));
  EXPECT_NO_THROW(c->SetMonth(0));
  EXPECT_EQ(c->Date(), EncodeDate(2015, 12, 1));
  EXPECT_NO_THROW(c->SetMonth(13));
  EXPECT_EQ(c->Date(), EncodeDate(2016, 1, 1));
  // The range's ends stop the steps.
  c->SetDate(EncodeDate(2000, 1, 10));
  c->SetMonth(0);
  EXPECT_EQ(c->Date(), EncodeDate(2000, 1, 1));
  c->SetDate(EncodeDate(2030, 12, 10));
  c->SetMonth(13);
  EXPECT_EQ(c->Year(), 2030);
  EXPECT_EQ(c->Month(), 12);

  // A date beyond the calendar raises and leaves the month as it was.
  c->SetDate(EncodeDate(2016, 3, 5));
  EXPECT_THROW(c->SetDate(3000000.0), EConvertError);
  EXPECT_EQ(c->Date(), EncodeDate(2016, 3, 5));

  // Today's month, the focus day kept where the month has it.
  c->SetRange(0, 0);
  c->SetDate(EncodeDate(2016, 1, 31));
  c->GoToday();
  Word y, m, d;
  DecodeDate(vcl::Date(), y, m, d);
  EXPECT_EQ(c->Year(), y);
  EXPECT_EQ(c->Month(), m);
  EXPECT_EQ(c->FocusDay(), std::min<Word>(31, DaysInAMonth(y, m)));
}

TEST_F(uQuarnCalendar, EventsPerRecomputationAndCell) {
  auto* c = Calendar(2015, 5, 13);
  TLog log;
  c->SetOnChanged(TNotifyEvent(&log, &TLog::Changed));
  c->SetOnCellDrawing(TDrawCellEvent(&log, &TLog::Drawing));
  Picture(c);
  EXPECT_EQ(log.Changes, 0);  // nothing marked it
  EXPECT_EQ(log.Draws, 42);
  c->SetMonth(6);
  c->SetYear(2016);
  Picture(c);
  EXPECT_EQ(log.Changes, 1);
  EXPECT_EQ(log.Draws, 84);
  c->SetFocusDay(3);  // no recomputation
  Picture(c);
  EXPECT_EQ(log.Changes, 1);
  EXPECT_EQ(log.Draws, 126);
}

}  // namespace

}  // namespace t_u_quarn_calendar_test
