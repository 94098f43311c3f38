// The picker edit: the drop-down opened under the edit by its icon and
// closed by a second icon press, a press outside, a pick or an automatic
// close; the value coming back with its text and one report; the text
// rebuilds and their change events; typed text read back, with the warning
// for unreadable text; and edits or forms freed while the other is open.
#include "tests/skin/extended/DateTimePickerTestSupport.h"

#include <memory>

#include "platform/classes/FormText.h"
#include "platform/rtl/ComStrs.h"

namespace t_u_quarn_datetime_picker_test {

using namespace qn;
using pickertest::TCounter;

namespace {

class uQuarnDatetimePicker : public pickertest::PickerTest {
 protected:
  // Runs the posted release of a closed form.
  void Settle() { Wait(5); }
};

TEST_F(uQuarnDatetimePicker, NewPickerShowsABlankAndItsIcon) {
  auto* p = MakePicker();
  EXPECT_EQ(p->Text(), u" ");
  EXPECT_TRUE(p->ReadOnly());
  EXPECT_EQ(p->Width(), 145);
  EXPECT_EQ(p->ChangedCount(), 0);
  ASSERT_EQ(p->EdItems()->Count(), 1);
  TQnEditItem* icon = p->EdItems()->Items(0);
  EXPECT_EQ(icon->Image(), u"QuarnCalendar_18_N");
  EXPECT_EQ(icon->ImageHot(), u"QuarnCalendar_18_H");
  // Anchored 28 pixels from the right edge; the picture is 18 x 18.
  EXPECT_EQ(icon->GetRect(), TRect(145 - 28, 5, 145 - 10, 23));
  EXPECT_EQ(icon->Tag(), 0);
  EXPECT_EQ(p->DefineOKText(), u"确认");
  EXPECT_EQ(p->DefineSuText(), u"日");
  EXPECT_EQ(p->DefineMoText(), u"一");
  // The value starts as now.
  EXPECT_NEAR(double(p->DateTime()), double(vcl::Now()), 1.0 / 86400);
}

TEST_F(uQuarnDatetimePicker, IconOpensTheFormUnderTheEditAndASecondPressClosesIt) {
  auto* p = MakePicker(30, 50);
  p->SetDateTime(DT(2026, 12, 10, 10, 20, 30));
  TQnDateTimePickerForm* f = Open(p);
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(QnDateTimePickerForm, f);
  EXPECT_TRUE(f->Visible());
  EXPECT_EQ(f->Owner(), p);
  EXPECT_EQ(f->FormStyle(), fsStayOnTop);
  EXPECT_TRUE(GetWindowLongW(f->Handle(), GWL_EXSTYLE) & WS_EX_TOPMOST);
  const TPoint at = FRoot->ClientToScreen(TPoint(30 + 1, 50 + p->Height() + 1));
  EXPECT_EQ(f->Left(), at.X);
  EXPECT_EQ(f->Top(), at.Y);
  EXPECT_EQ(p->EdItems()->Items(0)->Tag(), 1);
  EXPECT_EQ(f->QnLikeMenuDlg1->DestWin(), f);
  // The form shows the edit's value and its texts.
  EXPECT_EQ(f->qrnclndr1->Date(), EncodeDate(2026, 12, 10));
  EXPECT_EQ(f->lblMinute->Caption(), u"20");
  EXPECT_EQ(f->btnOK->Caption(), u"确认");
  EXPECT_EQ(f->qrnclndr1->TextMo(), u"一");

  // The pointer rests on the icon, outside the form: the form's dialog
  // holds the pointer, so the second press reaches the form first.
  Wait(30);
  EXPECT_TRUE(f->QnLikeMenuDlg1->Captured());
  ClickIcon(p);
  Settle();
  EXPECT_EQ(p->DropDownForm(), nullptr);
  EXPECT_EQ(QnDateTimePickerForm, nullptr);
  EXPECT_EQ(p->EdItems()->Items(0)->Tag(), 0);
  // So the next press opens it again.
  Wait(600);
  ClickIcon(p, -6);
  f = p->DropDownForm();
  ASSERT_NE(f, nullptr);
  EXPECT_TRUE(f->Visible());
  // Before the dialog holds the pointer the edit gets the press itself (a
  // little to the right, so it is no double click).
  EXPECT_FALSE(f->QnLikeMenuDlg1->Captured());
  ClickIcon(p, 6);
  Settle();
  EXPECT_EQ(p->DropDownForm(), nullptr);
  EXPECT_EQ(p->EdItems()->Items(0)->Tag(), 0);
  EXPECT_EQ(Open(p) != nullptr, true);
  Wait(30);
  ClickIcon(p);
  Settle();
}

TEST_F(uQuarnDatetimePicker, PressesElsewhereCloseTheForm) {
  auto* p = MakePicker();
  TCounter picks;
  p->SetOnPickDone(TNotifyEvent(&picks, &TCounter::Hit));
  TQnDateTimePickerForm* f = Open(p);
  ASSERT_NE(f, nullptr);
  // A press on the edit's text, away from the icon.
  MoveTo(p, 10, 10);
  Wait(30);
  Press();
  Release();
  Settle();
  EXPECT_EQ(p->DropDownForm(), nullptr);
  EXPECT_EQ(p->EdItems()->Items(0)->Tag(), 0);
  // And one on the root form.
  f = Open(p);
  ASSERT_NE(f, nullptr);
  MoveTo(FRoot.get(), 450, 250);
  Wait(30);
  Press();
  Release();
  Settle();
  EXPECT_EQ(p->DropDownForm(), nullptr);
  EXPECT_EQ(picks.Count, 0);
  // A right press on the icon opens nothing (the edit's menu comes up and
  // Escape closes it).
  const TRect r = p->EdItems()->Items(0)->GetRect();
  MoveTo(p, r.Left + 5, r.Top + 5);
  InputMouseDown(VK_RBUTTON);
  InputMouseUp(VK_RBUTTON);
  InputKeyDown(VK_ESCAPE);
  InputKeyUp(VK_ESCAPE);
  PumpKeys();
  EXPECT_EQ(p->DropDownForm(), nullptr);
}

TEST_F(uQuarnDatetimePicker, NeighbouringMonthDayPicksAtOnce) {
  auto* p = MakePicker();
  p->SetFormat(u"yyyy-mm-dd hh:nn:ss.zzz");
  p->SetDateTime(DT(2026, 12, 10, 10, 20, 30));
  TCounter picks;
  p->SetOnPickDone(TNotifyEvent(&picks, &TCounter::Hit));
  TQnDateTimePickerForm* f = Open(p);
  ASSERT_NE(f, nullptr);
  // 2 January 2027 is greyed in the last row of December.
  const TDayCell* cell = CellOf(f->qrnclndr1, EncodeDate(2027, 1, 2));
  ASSERT_NE(cell, nullptr);
  EXPECT_FALSE(cell->IsValidDayOfMonth);
  ClickCell(f->qrnclndr1, EncodeDate(2027, 1, 2));
  EXPECT_EQ(picks.Count, 1);
  EXPECT_EQ(p->DateTime(), DT(2027, 1, 2, 10, 20, 30, 1));
  EXPECT_EQ(p->Text(), u"2027-01-02 10:20:30.001");
  Settle();
  EXPECT_EQ(p->DropDownForm(), nullptr);
  EXPECT_EQ(p->EdItems()->Items(0)->Tag(), 0);

  // Without AutoClose a day only moves the focus.
  p->SetAutoClose(false);
  f = Open(p);
  ASSERT_NE(f, nullptr);
  EXPECT_FALSE(f->AutoClose());
  ClickCell(f->qrnclndr1, EncodeDate(2027, 1, 20));
  Settle();
  EXPECT_EQ(picks.Count, 1);
  EXPECT_EQ(p->DropDownForm(), f);
  EXPECT_EQ(f->qrnclndr1->Date(), EncodeDate(2027, 1, 20));
  Click(f->btnOK);
  Settle();
  EXPECT_EQ(picks.Count, 2);
  EXPECT_EQ(p->DateTime(), DT(2027, 1, 20, 10, 20, 30, 1));
}

TEST_F(uQuarnDatetimePicker, ClearThenOkPicksMidnightWithOneMillisecond) {
  auto* p = MakePicker();
  p->SetFormat(u"yyyy/mm/dd hh:nn:ss.zzz");
  p->SetDateTime(DT(2025, 5, 17, 21, 45, 12));
  TCounter picks, changes;
  p->SetOnPickDone(TNotifyEvent(&picks, &TCounter::Hit));
  p->SetOnChange(TNotifyEvent(&changes, &TCounter::Hit));
  TQnDateTimePickerForm* f = Open(p);
  ASSERT_NE(f, nullptr);
  Click(f->btnClear);
  EXPECT_EQ(p->DropDownForm(), f);
  Click(f->btnOK);
  Settle();
  EXPECT_EQ(picks.Count, 1);
  EXPECT_EQ(changes.Count, 1);
  EXPECT_EQ(p->DateTime(), DT(2025, 5, 17, 0, 0, 0, 1));
  EXPECT_EQ(p->Time(), EncodeTime(0, 0, 0, 1));
  EXPECT_EQ(p->Date(), EncodeDate(2025, 5, 17));
  EXPECT_EQ(p->Text(), u"2025/05/17 00:00:00.001");
  EXPECT_EQ(p->DropDownForm(), nullptr);
  // Leaving the read-only edit reads nothing back: the value keeps its
  // millisecond.
  p->SetFocus();
  FRoot->SetFocus();
  usertest::Pump();
  EXPECT_EQ(p->DateTime(), DT(2025, 5, 17, 0, 0, 0, 1));

  // The hour box's pick travels the same way.
  f = Open(p);
  ASSERT_NE(f, nullptr);
  Click(f->lblHour);
  TQuarnTimeBox* box = f->TimeBox();
  ASSERT_NE(box, nullptr);
  box->UpdateCells();
  const TRect seven = box->HourCell(2, 1).Rect;
  ClickAt(box, (seven.Left + seven.Right) / 2, (seven.Top + seven.Bottom) / 2);
  EXPECT_EQ(f->lblHour->Caption(), u"07");
  Click(f->btnOK);
  Settle();
  EXPECT_EQ(p->Text(), u"2025/05/17 07:00:00.001");
}

TEST_F(uQuarnDatetimePicker, DateKindShowsAndPicksTheDateAlone) {
  auto* p = MakePicker();
  p->SetDateTime(DT(2024, 2, 29, 16, 0, 0));
  p->SetKind(tkDate);
  EXPECT_EQ(p->Text(), DateToStr(EncodeDate(2024, 2, 29)));
  TQnDateTimePickerForm* f = Open(p);
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(f->Kind(), tkDate);
  EXPECT_FALSE(f->pnl4->Visible());
  EXPECT_FALSE(f->pnlTime->Visible());
  Click(f->btnOK);
  Settle();
  EXPECT_EQ(p->DateTime(), DT(2024, 2, 29, 0, 0, 0, 1));
  EXPECT_EQ(p->Text(), DateToStr(EncodeDate(2024, 2, 29)));
}

TEST_F(uQuarnDatetimePicker, RangeReachesTheCalendarAndCrossedEndsAreRefused) {
  auto* p = MakePicker();
  p->SetMaxDate(EncodeDate(2030, 6, 30));
  p->SetMinDate(EncodeDate(2030, 6, 1));
  EXPECT_THROW(p->SetMinDate(EncodeDate(2030, 7, 1)), Exception);
  EXPECT_THROW(p->SetMaxDate(EncodeDate(2030, 5, 1)), Exception);
  EXPECT_EQ(p->MinDate(), EncodeDate(2030, 6, 1));
  EXPECT_EQ(p->MaxDate(), EncodeDate(2030, 6, 30));
  // A value before the range opens the calendar inside it; the days
  // outside cannot be picked.
  p->SetDateTime(DT(2030, 5, 20, 12));
  TQnDateTimePickerForm* f = Open(p);
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(f->qrnclndr1->MinDate(), EncodeDate(2030, 6, 1));
  EXPECT_GE(f->qrnclndr1->Date(), EncodeDate(2030, 6, 1));
  EXPECT_LE(f->qrnclndr1->Date(), EncodeDate(2030, 6, 30));
  TCounter picks;
  p->SetOnPickDone(TNotifyEvent(&picks, &TCounter::Hit));
  ClickCell(f->qrnclndr1, EncodeDate(2030, 5, 31));
  EXPECT_EQ(picks.Count, 0);
  ClickCell(f->qrnclndr1, EncodeDate(2030, 6, 12));
  Settle();
  EXPECT_EQ(picks.Count, 1);
  EXPECT_EQ(p->DateTime(), DT(2030, 6, 12, 12, 0, 0, 1));
  // Both ends opened again.
  p->SetMinDate(0);
  p->SetMaxDate(0);
  EXPECT_NO_THROW(p->SetMinDate(EncodeDate(2040, 1, 1)));
}

TEST_F(uQuarnDatetimePicker, FormNearTheBottomOfAnOffsetWorkAreaMovesUp) {
  TMonitorConfig a, b;
  a.Bounds = TRect(0, 0, 1024, 768);
  a.Primary = true;
  b.Bounds = TRect(1024, 200, 2048, 968);
  b.WorkArea = TRect(1024, 200, 2048, 928);
  SetScreenConfiguration({a, b});
  FRoot->SetBounds(1300, 650, 500, 250);
  usertest::Pump();
  auto* p = MakePicker(20, 150);
  TQnDateTimePickerForm* f = Open(p);
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(f->Top(), 928 - 232);
  EXPECT_EQ(f->Left(), 1300 + 20 + 1);
  Wait(30);
  ClickIcon(p);
  Settle();
}

TEST_F(uQuarnDatetimePicker, TextRebuildsAndTheirChangeEvents) {
  auto* p = MakePicker();
  TCounter changes;
  p->SetOnChange(TNotifyEvent(&changes, &TCounter::Hit));
  const TDateTime v = DT(2026, 3, 4, 5, 6, 7);
  p->SetDateTime(v);
  EXPECT_EQ(p->Text(), DateTimeToStr(v));
  EXPECT_EQ(changes.Count, 0);
  p->SetFormat(u"yyyy/mm/dd hh:nn");
  EXPECT_EQ(p->Text(), u"2026/03/04 05:06");
  EXPECT_EQ(changes.Count, 0);
  EXPECT_EQ(p->ChangedCount(), 2);
  // The third rebuild is the first one heard.
  p->SetTime(EncodeTime(23, 59, 0, 0));
  EXPECT_EQ(p->Text(), u"2026/03/04 23:59");
  EXPECT_EQ(changes.Count, 1);
  p->SetDate(EncodeDate(2030, 1, 1));
  EXPECT_EQ(p->Text(), u"2030/01/01 23:59");
  EXPECT_EQ(changes.Count, 2);
  // Unchanged values rebuild nothing.
  p->SetDate(EncodeDate(2030, 1, 1));
  p->SetFormat(u"yyyy/mm/dd hh:nn");
  EXPECT_EQ(changes.Count, 2);
  // Date-only without a format: the system's date text, the time kept.
  p->SetFormat(u"");
  p->SetKind(tkDate);
  EXPECT_EQ(p->Text(), DateToStr(EncodeDate(2030, 1, 1)));
  EXPECT_EQ(p->DateTime(), DT(2030, 1, 1, 23, 59));
}

TEST_F(uQuarnDatetimePicker, SilentRebuildsAreStillDrawn) {
  auto* p = MakePicker();
  usertest::Pump();
  auto ink = [&] {
    Integer n = 0;
    TBitmap32* b = p->Buffer();
    for (Integer y = 4; y < p->Height() - 4; ++y)
      for (Integer x = 4; x < 100; ++x) n += (b->GetPixel(x, y) & 0xFFu) < 0x80u;
    return n;
  };
  EXPECT_EQ(ink(), 0);
  p->SetDateTime(DT(2026, 3, 4, 5, 6, 7));
  usertest::Pump();
  EXPECT_GT(ink(), 30);
}

TEST_F(uQuarnDatetimePicker, TypedTextIsReadBackWhenLeaving) {
  auto* p = MakePicker();
  auto* other = Make<TQuarnEdit>(20, 100, 100, 26);
  p->SetReadOnly(false);
  p->SetDateTime(DT(2001, 2, 3, 4, 5, 6));
  // Readable text becomes the value.
  Click(p);
  p->SelectAll();
  Type(u"12/25/2026 10:30:00");
  Click(other);
  EXPECT_TRUE(FBoxes.empty());
  EXPECT_EQ(p->DateTime(), DT(2026, 12, 25, 10, 30, 0));

  // Unreadable text: the warning, and now in its place.
  Click(p);
  p->SelectAll();
  Type(u"abc");
  const TDateTime before = vcl::Now();
  Click(other);
  ASSERT_EQ(FBoxes.size(), 1u);
  EXPECT_EQ(FBoxes[0].Owner, nullptr);
  EXPECT_EQ(FBoxes[0].Text, String(sFailSetCalDateTime));
  EXPECT_EQ(FBoxes[0].Caption, u"Warning");
  EXPECT_EQ(FBoxes[0].Flags, UINT(MB_OK | MB_ICONEXCLAMATION));
  EXPECT_NEAR(double(p->DateTime()), double(before), 2.0 / 86400);
  EXPECT_EQ(p->Text(), DateTimeToStr(p->DateTime()));

  // With a format of its own, unreadable text is left alone.
  p->SetFormat(u"dd.mm.yyyy");
  p->SetDateTime(DT(2010, 10, 10));
  Click(p);
  p->SelectAll();
  Type(u"xyz");
  Click(other);
  EXPECT_EQ(FBoxes.size(), 1u);
  EXPECT_EQ(p->DateTime(), DT(2010, 10, 10));
  EXPECT_EQ(p->Text(), u"xyz");
}

TEST_F(uQuarnDatetimePicker, StoredInFormFilesWithoutItsText) {
  auto* p = MakePicker();
  p->SetName(u"Picker1");
  p->SetFormat(u"yyyy-mm-dd");
  p->SetDateTime(DT(2022, 8, 9, 10, 11, 12));
  p->SetDefineOKText(u"OK");
  p->SetKind(tkDate);
  const std::string text = ComponentToText(p);
  EXPECT_EQ(text.find("  Text = "), std::string::npos) << text;
  EXPECT_NE(text.find("Kind = tkDate"), std::string::npos) << text;
  EXPECT_NE(text.find("DefineOKText = 'OK'"), std::string::npos);
  EXPECT_EQ(text.find("ReadOnly"), std::string::npos);
  EXPECT_EQ(text.find("AutoClose"), std::string::npos);
  // Read back into a new picker: the value and its text come with it.
  delete p;
  auto* q = MakePicker(20, 80);
  TextToComponent(text, q);
  EXPECT_EQ(q->Kind(), tkDate);
  EXPECT_EQ(q->Format(), u"yyyy-mm-dd");
  EXPECT_EQ(q->DefineOKText(), u"OK");
  EXPECT_TRUE(q->ReadOnly());
  EXPECT_EQ(q->DateTime(), DT(2022, 8, 9, 10, 11, 12));
  EXPECT_EQ(q->Text(), u"2022-08-09");
}

TEST_F(uQuarnDatetimePicker, EditFreedWhileItsFormIsOpen) {
  auto* p = MakePicker();
  TQnDateTimePickerForm* f = Open(p);
  ASSERT_NE(f, nullptr);
  Wait(30);
  delete p;
  EXPECT_EQ(QnDateTimePickerForm, nullptr);
  Wait(30);
  auto* q = MakePicker(20, 60);
  f = Open(q);
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(QnDateTimePickerForm, f);
  // Closed by OK, then the edit goes before the form's release runs.
  Click(f->btnOK);
  delete q;
  Settle();
  EXPECT_EQ(QnDateTimePickerForm, nullptr);
}

TEST_F(uQuarnDatetimePicker, OneDropDownForTheProcess) {
  auto* p = MakePicker(20, 20);
  auto* q = MakePicker(250, 20);
  TQnDateTimePickerForm* f = Open(p);
  ASSERT_NE(f, nullptr);
  // Opened from code while the first is up: the first closes and its
  // edit's icon is ready to open it again.
  q->SetDateTime(DT(2000, 1, 1));
  const TRect r = q->EdItems()->Items(0)->GetRect();
  SendMessageW(q->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2));
  SendMessageW(q->Handle(), WM_LBUTTONUP, 0, MAKELPARAM((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2));
  TQnDateTimePickerForm* g = q->DropDownForm();
  ASSERT_NE(g, nullptr);
  EXPECT_EQ(QnDateTimePickerForm, g);
  Settle();
  EXPECT_EQ(p->DropDownForm(), nullptr);
  EXPECT_EQ(p->EdItems()->Items(0)->Tag(), 0);
  EXPECT_EQ(q->EdItems()->Items(0)->Tag(), 1);
  EXPECT_EQ(QnDateTimePickerForm, g);
  Click(g->btnOK);
  Settle();
  EXPECT_EQ(q->DateTime(), DT(2000, 1, 1, 0, 0, 0, 1));
}

}  // namespace

}  // namespace t_u_quarn_datetime_picker_test
