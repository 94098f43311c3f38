#include "skin/extended/uQuarnCalendar.h"

#include <algorithm>
#include <cmath>

#include "platform/gdi/GdiText.h"
#include "platform/rtl/ComStrs.h"
#include "platform/rtl/DateUtils.h"
#include "platform/vcl/ControlMessages.h"

namespace qn {

namespace {
Int64 WholeDay(TDateTime D) { return Int64(std::trunc(D)); }
// The day's date, or 0 (refused) when the day does not exist.
bool DayNumber(Word Y, Word M, Word D, Int64& Day) {
  TDateTime dt;
  if (!TryEncodeDate(Y, M, D, dt)) return false;
  Day = WholeDay(dt);
  return true;
}
Word MonthLength(Word Y, Word M) { return (M >= 1 && M <= 12 && Y >= 1 && Y <= 9999) ? DaysInAMonth(Y, M) : 0; }
TColor32 CalendarColor(TColor C) { return Color32(ColorToRGB(C)) | 0xFF000000u; }
}  // namespace

TQuarnCalendar::TQuarnCalendar(TComponent* AOwner) : TQuarnCustomPanel(AOwner) {
  FHeaderFont = std::make_unique<TFont>();
  FHeaderFont->SetSize(9);
  FHeaderFont->SetColor(clBlack);
  FCellFont = std::make_unique<TFont>();
  FCellFont->SetSize(8);
  FCellFont->SetColor(clBlack);
  FTextSu = u"日";
  FTextMo = u"一";
  FTextTu = u"二";
  FTextWe = u"三";
  FTextTh = u"四";
  FTextFr = u"五";
  FTextSa = u"六";
  Word d;
  DecodeDate(vcl::Date(), FYear, FMonth, d);
  FFocusDay = d;
  FAlpha = 0;
  FDoubleBorder = false;
  SetBounds(Left(), Top(), 232, 157);
}

TQuarnCalendar::~TQuarnCalendar() = default;

void TQuarnCalendar::MarkCells() {
  FResetCells = true;
  Invalidate();
}

bool TQuarnCalendar::OutOfRange(Int64 D) const {
  return (FTruncMin != 0 && FTruncMin > D) || (FTruncMax != 0 && FTruncMax < D);
}

void TQuarnCalendar::SetHolidayTextColor(TColor Value) {
  FHolidayTextColor = Value;
  Invalidate();
}

void TQuarnCalendar::SetHeaderColor(TColor Value) {
  FHeaderColor = Value;
  Invalidate();
}

TDate TQuarnCalendar::Date() const {
  TDateTime d = 0;
  TryEncodeDate(FYear, FMonth, FFocusDay, d);
  return d;
}

void TQuarnCalendar::SetDate(TDate Value) {
  if (Value == FDate) return;
  // Decoded first: a value outside the calendar raises and changes nothing.
  Word y, m, d;
  DecodeDate(Value, y, m, d);
  FDate = Value;
  FYear = y;
  FMonth = m;
  FFocusDay = d;
  MarkCells();
}

void TQuarnCalendar::GoToday() {
  Word y, m, d;
  DecodeDate(vcl::Date(), y, m, d);
  FYear = y;
  FMonth = m;
  FFocusDay = std::min(FFocusDay, DaysInAMonth(y, m));
  MarkCells();
}

void TQuarnCalendar::SetYear(Word Value) {
  // The focus day the year would show, 29 February becoming the 28th.
  const Word len = MonthLength(Value, FMonth);
  if (len == 0) return;
  const Word day = std::min(FFocusDay, len);
  Int64 target;
  if (!DayNumber(Value, FMonth, day, target) || OutOfRange(target)) return;
  if (Value == FYear) return;
  FYear = Value;
  FFocusDay = day;
  MarkCells();
}

void TQuarnCalendar::SetMonth(Word Value) {
  // The month the value means, stepping across the year at 0 and 13.
  Word y = FYear, m = Value;
  if (Value == 0) {
    y = Word(FYear - 1);
    m = 12;
  } else if (Value > 12) {
    y = Word(FYear + 1);
    m = 1;
  }
  const Word len = MonthLength(y, m);
  if (len == 0) return;
  if (FTruncMin != 0) {
    if (FFocusDay <= len) SetFocusDay(1);
    Int64 first;
    if (!DayNumber(y, m, 1, first) || FTruncMin > first) return;
  }
  if (FTruncMax != 0) {
    if (FFocusDay > len) SetFocusDay(len);
    Int64 day;
    if (!DayNumber(y, m, std::min(FFocusDay, len), day) || FTruncMax < day) return;
  }
  if (y == FYear && m == FMonth) return;
  FYear = y;
  FMonth = m;
  FFocusDay = std::min(FFocusDay, len);
  MarkCells();
}

void TQuarnCalendar::SetFocusDay(Word Value) {
  const Word len = MonthLength(FYear, FMonth);
  if (Value < 1 || Value > len) Value = 1;
  Int64 day;
  if (!DayNumber(FYear, FMonth, Value, day) || OutOfRange(day)) return;
  if (Value == FFocusDay) return;
  FFocusDay = Value;
  Invalidate();
}

void TQuarnCalendar::SetMaxDate(TDate Value) {
  // 0 opens the end again, whatever the minimum.
  if (Value != 0 && FMinDate != 0 && Value < FMinDate)
    throw Exception(String(sDateTimeMin), {DateToStr(FMinDate)});
  if (Value == FMaxDate) return;
  SetRange(FMinDate, Value);
}

void TQuarnCalendar::SetMinDate(TDate Value) {
  if (Value != 0 && FMaxDate != 0 && Value > FMaxDate)
    throw Exception(String(sDateTimeMax), {DateToStr(FMaxDate)});
  if (Value == FMinDate) return;
  SetRange(Value, FMaxDate);
}

void TQuarnCalendar::SetRange(TDate AMin, TDate AMax) {
  FMinDate = AMin;
  FMaxDate = AMax;
  FTruncMin = WholeDay(AMin);
  FTruncMax = WholeDay(AMax);
  const Int64 focus = WholeDay(Date());
  Word y, m, d;
  if (FTruncMin != 0 && focus < FTruncMin) {
    DecodeDate(AMin, y, m, d);
    FYear = y;
    FMonth = m;
    FFocusDay = d;
  } else if (FTruncMax != 0 && focus > FTruncMax) {
    DecodeDate(AMax, y, m, d);
    FYear = y;
    FMonth = m;
    FFocusDay = d;
  }
  MarkCells();
}

// ---- the grid ---------------------------------------------------------------

void TQuarnCalendar::UpdateCells() {
  if (!FResetCells) return;
  FResetCells = false;
  const TDateTime first = EncodeDate(FYear, FMonth, 1);
  const Integer firstCol = Integer(DayOfTheWeek(first) % 7);
  const Integer days = DaysInAMonth(FYear, FMonth);
  FCellWidth = (Width() - 8) / 7;
  FCellHeight = (Height() - FHeaderHeight - 5) / 6;
  Integer next = 1, after = 0;
  for (Integer row = 0; row < 6; ++row)
    for (Integer col = 0; col < 7; ++col) {
      TDayCell& c = FDayCells[size_t(col)][size_t(row)];
      const Integer x = FPadding + 1 + col * (FCellWidth + 1);
      const Integer y = FHeaderHeight + FPadding + 1 + row * (FCellHeight + 1);
      c.Rect = TRect(x, y, x + FCellWidth, y + FCellHeight);
      if ((row == 0 && col == firstCol) || (next > 1 && next <= days)) {
        c.Date = first + (next - 1);
        c.IsValidDayOfMonth = true;
        ++next;
      } else if (next > days) {
        c.Date = first + (days - 1) + (++after);
        c.IsValidDayOfMonth = false;
      } else {
        c.Date = first + (col - firstCol);
        c.IsValidDayOfMonth = false;
      }
      c.Text = IntToStr(Integer(DayOf(c.Date)));
      c.Disabled = OutOfRange(WholeDay(c.Date));
    }
  if (FOnChanged) FOnChanged(this);
}

void TQuarnCalendar::DrawBody(TBitmap32* Buffer) {
  Buffer->BeginUpdate();
  UpdateCells();
  FWeekTexts = {FTextSu, FTextMo, FTextTu, FTextWe, FTextTh, FTextFr, FTextSa};
  const Integer w = Width();
  FHeaderRect = TRect(0, 0, w, FHeaderHeight);
  Buffer->FillRectS(FHeaderRect, CalendarColor(FHeaderColor));
  Buffer->LineS(0, FHeaderHeight - 1, w, FHeaderHeight - 1, CalendarColor(FFrameColor));
  constexpr Cardinal kCentred = DT_CENTER | DT_VCENTER | DT_SINGLELINE;
  Buffer->Font()->Assign(FHeaderFont.get());
  Integer x = FPadding + 1;
  for (size_t i = 0; i < 7; ++i) {
    FHeaderCols[i] = TRect(x, 0, x + FCellWidth, FHeaderHeight);
    TRect r = FHeaderCols[i];
    Buffer->Textout(r, kCentred, FWeekTexts[i]);
    x += FCellWidth + 1;
  }
  const Int64 focus = WholeDay(Date());
  for (size_t col = 0; col < 7; ++col)
    for (size_t row = 0; row < 6; ++row) {
      TDayCell& c = FDayCells[col][row];
      if (WholeDay(c.Date) == focus) Buffer->FillRectS(c.Rect, CalendarColor(FCellFocusColor));
      else if (&c == FHotCell) Buffer->FillRectTS(c.Rect, (CalendarColor(FCellFocusColor) & 0xFFFFFFu) | 0x80000000u);
      else Buffer->FillRectS(c.Rect, CalendarColor(FCellColor));
      TColor text = FCellFont->Color();
      if (col == 0 || col == 6) text = FHolidayTextColor;
      if (!c.IsValidDayOfMonth) text = TColor(0x00999999);
      if (c.Disabled) text = TColor(0x00C4C4C4);
      Buffer->Font()->Assign(FCellFont.get());
      Buffer->Font()->SetColor(text);
      TRect r = c.Rect;
      Buffer->Textout(r, kCentred, c.Text);
      if (FOnCellDrawing) FOnCellDrawing(this, Buffer->Canvas(), c);
    }
  Buffer->FrameRectS(0, 0, w, Height(), CalendarColor(FFrameColor));
  Buffer->EndUpdate();
}

// ---- mouse ------------------------------------------------------------------

void TQuarnCalendar::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_MOUSEMOVE: {
      TQuarnCustomPanel::Dispatch(Message);
      const TPoint p(GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam));
      PDayCell found = nullptr;
      for (auto& column : FDayCells) {
        for (TDayCell& c : column)
          if (PtInRect(c.Rect, p)) {
            found = &c;
            break;
          }
        if (found) break;
      }
      // A disabled cell keeps the hot cell it found.
      if (found && found->Disabled) return;
      if (found != FHotCell) {
        FHotCell = found;
        Invalidate();
      }
      return;
    }
    case WM_LBUTTONDOWN:
      TQuarnCustomPanel::Dispatch(Message);
      // A hot cell kept while the pointer is over a disabled day is not
      // the day pressed.
      if (FHotCell && !FHotCell->Disabled &&
          PtInRect(FHotCell->Rect, TPoint(GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam)))) {
        // The grid stays as shown: a neighbouring month's day is focused
        // inside it until the next recomputation.
        Word y, m, d;
        DecodeDate(FHotCell->Date, y, m, d);
        FYear = y;
        FMonth = m;
        FFocusDay = d;
        Invalidate();
        if (FOnCellClick) FOnCellClick(this, *FHotCell);
      }
      return;
    case CM_MOUSELEAVE:
      TQuarnCustomPanel::Dispatch(Message);
      FHotCell = nullptr;
      Invalidate();
      return;
    case WM_SIZE:
      TQuarnCustomPanel::Dispatch(Message);
      MarkCells();
      return;
    default: TQuarnCustomPanel::Dispatch(Message);
  }
}

void InitQuarnCalendar() { RegisterClasses({TQuarnCalendar::StaticClass()}); }

}  // namespace qn

QN_PUBLISHED_IMPL(qn::TQuarnCalendar)
