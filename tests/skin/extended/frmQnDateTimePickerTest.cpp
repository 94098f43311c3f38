// The picker's drop-down form: what its resource makes, the window it asks
// for, the steppers across the year, the in-place year and month editors
// with their key filter, the time boxes and their picks, Clear, Today and
// OK (also queued before any paint), the date-only kind, and the clamp into
// a work area that does not start at the origin.
#include "tests/skin/extended/DateTimePickerTestSupport.h"

#include "platform/desktop/Desktop.h"

namespace t_frm_qn_date_time_picker_test {

using namespace qn;
using pickertest::TCounter;

namespace {

class frmQnDateTimePicker : public pickertest::PickerTest {
 protected:
  // A form of its own, owned by the root, shown at (X, Y) of the screen.
  TQnDateTimePickerForm* MakeForm(Integer X = 600, Integer Y = 80) {
    auto* f = TCustomForm::Create<TQnDateTimePickerForm>(FRoot.get());
    f->SetBounds(X, Y, f->Width(), f->Height());
    f->Show();
    Paint(f);
    return f;
  }
  // Clicks a label of the form: the label's own point on the screen.
  void ClickLabel(TLabel* L) { ClickAt(L, L->Width() / 2, L->Height() / 2); }
};

TEST_F(frmQnDateTimePicker, ResourceMakesTheLayoutWithItsHandlers) {
  auto* f = MakeForm();
  EXPECT_EQ(f->ClientWidth(), 248);
  EXPECT_EQ(f->ClientHeight(), 232);
  EXPECT_EQ(f->Color(), clWhite);
  EXPECT_EQ(f->Font()->Name(), u"Tahoma");
  EXPECT_EQ(f->Font()->Height(), -11);
  EXPECT_FALSE(f->Scaled());
  EXPECT_EQ(f->Caption(), u"QnDateTimePickerForm");
  EXPECT_EQ(f->pnl5->Align(), alClient);
  EXPECT_EQ(f->lblYear->Parent(), f->pnl1);
  EXPECT_EQ(f->lblMonth->Parent(), f->pnl2);
  EXPECT_EQ(f->lblTime->Parent(), f->pnl4);
  EXPECT_EQ(f->lblSecond->Parent(), f->pnlTime);
  EXPECT_EQ(f->lblYear->Cursor(), crHandPoint);
  EXPECT_EQ(f->lblYear->Alignment(), taCenter);
  EXPECT_FALSE(f->lblYear->AutoSize());
  EXPECT_EQ(f->lblHour->Tag(), 0);
  EXPECT_EQ(f->lblMinute->Tag(), 1);
  EXPECT_EQ(f->lblSecond->Tag(), 2);
  EXPECT_EQ(f->btnClear->Caption(), u"清空");
  EXPECT_EQ(f->btnGoToday->Caption(), u"今天");
  EXPECT_EQ(f->btnOK->Caption(), u"确认");
  EXPECT_EQ(f->lblTime->Caption(), u"时间");
  EXPECT_EQ(f->btnOK->NormalColor(), TColor(16185078));
  EXPECT_EQ(f->btnOK->BorderSides(), (TSides{sdLeft, sdTop, sdRight, sdBottom}));
  EXPECT_EQ(f->pnl1->BorderSides(), (TSides{sdTop, sdBottom}));
  EXPECT_EQ(f->qrnclndr1->BoundsRect(), TRect(8, 38, 240, 195));
  EXPECT_EQ(f->qrnclndr1->TextSu(), u"日");
  EXPECT_EQ(f->qrnclndr1->CellFocusColor(), TColor(14935011));
  EXPECT_EQ(f->qrnclndr1->Date(), EncodeDate(2015, 6, 22));
  // Every handler the resource names is bound to this form.
  using F = TQnDateTimePickerForm;
  EXPECT_TRUE(f->btnDecYear->OnClick() == TNotifyEvent(f, &F::btnDecYearClick));
  EXPECT_TRUE(f->btnAddMonth->OnClick() == TNotifyEvent(f, &F::btnAddMonthClick));
  EXPECT_TRUE(f->btnOK->OnClick() == TNotifyEvent(f, &F::btnOKClick));
  EXPECT_TRUE(f->lblSecond->OnClick() == TNotifyEvent(f, &F::lblHourClick));
  EXPECT_TRUE(f->lblMonth->OnClick() == TNotifyEvent(f, &F::lblMonthClick));
  EXPECT_TRUE(f->qrnclndr1->OnChanged() == TNotifyEvent(f, &F::qrnclndr1Changed));
  EXPECT_TRUE(f->OnShow() == TNotifyEvent(f, &F::FormShow));
  EXPECT_TRUE(f->OnClose() == TCloseEvent(f, &F::FormClose));
  ASSERT_NE(f->QnLikeMenuDlg1, nullptr);
  // The calendar's year and month reach their labels once it has painted.
  EXPECT_EQ(f->lblYear->Caption(), u"2015");
  EXPECT_EQ(f->lblMonth->Caption(), u"6");
  // Starting texts are the resource's, so a form used on its own keeps them.
  EXPECT_EQ(f->TextClear(), u"清空");
  EXPECT_EQ(f->TextSa(), u"六");
  EXPECT_EQ(f->TextHour(), u"小时");
  ASSERT_NE(f->Editor(), nullptr);
  EXPECT_FALSE(f->Editor()->Visible());
  EXPECT_EQ(f->Editor()->BorderStyle(), bsNone);
  EXPECT_EQ(f->Editor()->ImeMode(), imClose);

  // The window: a tool pop-up without caption, saving the bits below it
  // and casting no shadow.
  const DWORD style = DWORD(GetWindowLongW(f->Handle(), GWL_STYLE));
  // Top-level windows always clip their siblings.
  EXPECT_EQ(style & ~DWORD(WS_VISIBLE | WS_CLIPSIBLINGS), DWORD(WS_POPUP | WS_CLIPCHILDREN));
  EXPECT_EQ(DWORD(GetWindowLongW(f->Handle(), GWL_EXSTYLE)) & ~DWORD(WS_EX_TOPMOST), DWORD(WS_EX_TOOLWINDOW));
  const auto cls = GetClassLongPtrW(f->Handle(), GCL_STYLE);
  EXPECT_TRUE(cls & CS_SAVEBITS);
  EXPECT_FALSE(cls & CS_DROPSHADOW);
}

TEST_F(frmQnDateTimePicker, PropertiesReachTheControls) {
  auto* f = MakeForm();
  f->SetTextClear(u"Clear");
  f->SetTextToday(u"Today");
  f->SetTextOK(u"OK");
  f->SetTextTime(u"Time");
  EXPECT_EQ(f->btnClear->Caption(), u"Clear");
  EXPECT_EQ(f->btnGoToday->Caption(), u"Today");
  EXPECT_EQ(f->btnOK->Caption(), u"OK");
  EXPECT_EQ(f->lblTime->Caption(), u"Time");
  f->SetMinDate(EncodeDate(2020, 1, 1));
  f->SetMaxDate(EncodeDate(2020, 12, 31));
  EXPECT_EQ(f->qrnclndr1->MinDate(), EncodeDate(2020, 1, 1));
  EXPECT_EQ(f->qrnclndr1->MaxDate(), EncodeDate(2020, 12, 31));
  // A minimum after the maximum is refused and changes nothing.
  EXPECT_THROW(f->SetMinDate(EncodeDate(2021, 1, 1)), Exception);
  EXPECT_EQ(f->MinDate(), EncodeDate(2020, 1, 1));
  EXPECT_EQ(f->qrnclndr1->MinDate(), EncodeDate(2020, 1, 1));

  f->SetTextSu(u"Su");
  f->SetTextSa(u"Sa");
  // Weekday texts reach the calendar when the form is shown.
  EXPECT_EQ(f->qrnclndr1->TextSu(), u"日");
  f->Hide();
  f->Show();
  EXPECT_EQ(f->qrnclndr1->TextSu(), u"Su");
  EXPECT_EQ(f->qrnclndr1->TextSa(), u"Sa");

  f->SetDateTime(DT(2020, 2, 29, 13, 5, 9));
  EXPECT_EQ(f->qrnclndr1->Date(), EncodeDate(2020, 2, 29));
  EXPECT_EQ(f->lblHour->Caption(), u"13");
  EXPECT_EQ(f->lblMinute->Caption(), u"05");
  EXPECT_EQ(f->lblSecond->Caption(), u"09");
  EXPECT_EQ(f->DateTime(), DT(2020, 2, 29, 13, 5, 9, 1));
}

TEST_F(frmQnDateTimePicker, SteppersCrossTheYear) {
  auto* f = MakeForm();
  f->SetDateTime(DT(2026, 12, 10, 8));
  Paint(f);
  EXPECT_EQ(f->lblMonth->Caption(), u"12");
  Click(f->btnAddMonth);
  Paint(f);
  EXPECT_EQ(f->qrnclndr1->Year(), 2027);
  EXPECT_EQ(f->qrnclndr1->Month(), 1);
  EXPECT_EQ(f->lblYear->Caption(), u"2027");
  EXPECT_EQ(f->lblMonth->Caption(), u"1");
  Click(f->btnDecMonth);
  Click(f->btnDecMonth);
  Paint(f);
  EXPECT_EQ(f->qrnclndr1->Year(), 2026);
  EXPECT_EQ(f->qrnclndr1->Month(), 11);
  Click(f->btnAddYear);
  Click(f->btnAddYear);
  Click(f->btnDecYear);
  Paint(f);
  EXPECT_EQ(f->lblYear->Caption(), u"2027");
  EXPECT_EQ(f->DateTime(), DT(2027, 11, 10, 8, 0, 0, 1));
}

TEST_F(frmQnDateTimePicker, MonthAndYearEditors) {
  auto* f = MakeForm();
  f->SetDateTime(DT(2026, 12, 10));
  Paint(f);
  TEdit* e = f->Editor();

  // The month editor opens centred in its panel, all selected.
  ClickLabel(f->lblMonth);
  EXPECT_TRUE(e->Visible());
  EXPECT_EQ(e->Parent(), f->pnl2);
  EXPECT_EQ(e->BoundsRect(), TRect(-5, 4, 45, 20));
  EXPECT_EQ(e->Text(), u"12");
  EXPECT_EQ(e->SelLength(), 2);
  EXPECT_TRUE(e->Focused());
  EXPECT_EQ(e->Tag(), 2);
  // 13 is no month: Enter hides the editor and leaves the month.
  Type(u"13");
  EXPECT_EQ(e->Text(), u"13");
  Key(VK_RETURN);
  EXPECT_FALSE(e->Visible());
  EXPECT_EQ(f->qrnclndr1->Month(), 12);
  // Escape applies the typed month just like Enter; letters never arrive.
  ClickLabel(f->lblMonth);
  Type(u"x3-");
  EXPECT_EQ(e->Text(), u"3");
  Key(VK_ESCAPE);
  EXPECT_FALSE(e->Visible());
  EXPECT_EQ(f->qrnclndr1->Month(), 3);
  EXPECT_TRUE(f->Visible());

  // The year editor sits in its own panel and takes 1..9999 only.
  ClickLabel(f->lblYear);
  EXPECT_EQ(e->Parent(), f->pnl1);
  EXPECT_EQ(e->BoundsRect(), TRect(6, 4, 56, 20));
  EXPECT_EQ(e->Text(), u"2026");
  EXPECT_EQ(e->Tag(), 1);
  for (const char16_t* bad : {u"99999", u"0", u"65537"}) {
    if (!e->Visible()) ClickLabel(f->lblYear);
    Type(bad);
    Key(VK_RETURN);
    EXPECT_FALSE(e->Visible());
    EXPECT_EQ(f->qrnclndr1->Year(), 2026) << ToUtf8(bad);
    // OK still gives a date.
    EXPECT_EQ(f->DateTime(), DT(2026, 3, 10, 0, 0, 0, 1));
  }
  ClickLabel(f->lblYear);
  Type(u"1999");
  // Leaving the editor by a click elsewhere applies it too.
  Click(f->btnClear);
  EXPECT_FALSE(e->Visible());
  EXPECT_EQ(f->qrnclndr1->Year(), 1999);
}

TEST_F(frmQnDateTimePicker, TimeBoxesPickIntoTheirLabels) {
  auto* f = MakeForm();
  f->SetDateTime(DT(2026, 12, 10, 15, 42, 3));
  ClickLabel(f->lblHour);
  TQuarnTimeBox* box = f->TimeBox();
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(box->Kind(), bkHour);
  EXPECT_EQ(box->BoundsRect(), TRect(8, 77, 135, 202));
  EXPECT_EQ(box->FocusNum(), 15);
  EXPECT_EQ(box->TextHour(), u"小时");
  EXPECT_TRUE(box->Visible());
  box->UpdateCells();
  // Hour 7: the third cell of the second row.
  const TRect seven = box->HourCell(2, 1).Rect;
  ASSERT_EQ(box->HourCell(2, 1).Num, 7);
  ClickAt(box, (seven.Left + seven.Right) / 2, (seven.Top + seven.Bottom) / 2);
  EXPECT_EQ(f->lblHour->Caption(), u"07");
  EXPECT_FALSE(box->Visible());

  // Minutes and seconds cover the calendar down to the time row.
  f->SetTextMinute(u"Minute");
  ClickLabel(f->lblMinute);
  box = f->TimeBox();
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(box->Kind(), bkMinute);
  EXPECT_EQ(box->TextMinute(), u"Minute");
  EXPECT_EQ(box->BoundsRect(), TRect(8, 38, 240, 202));
  EXPECT_EQ(box->FocusNum(), 42);
  // A second label replaces the open box.
  ClickLabel(f->lblSecond);
  EXPECT_NE(f->TimeBox(), nullptr);
  EXPECT_EQ(f->TimeBox()->Kind(), bkSecond);
  Integer boxes = 0;
  for (Integer i = 0; i < f->ComponentCount(); ++i) boxes += dynamic_cast<TQuarnTimeBox*>(f->Components(i)) != nullptr;
  EXPECT_EQ(boxes, 1);
  box = f->TimeBox();
  box->UpdateCells();
  const TRect s59 = box->MinuteCell(9, 5).Rect;
  ClickAt(box, (s59.Left + s59.Right) / 2, (s59.Top + s59.Bottom) / 2);
  EXPECT_EQ(f->lblSecond->Caption(), u"59");
  EXPECT_EQ(f->DateTime(), DT(2026, 12, 10, 7, 42, 59, 1));
}

TEST_F(frmQnDateTimePicker, ClearTodayAndOk) {
  auto* f = MakeForm();
  TCounter selected;
  f->SetOnSelected(TNotifyEvent(&selected, &TCounter::Hit));
  f->SetDateTime(DT(2020, 3, 14, 9, 26, 53));
  Click(f->btnClear);
  EXPECT_EQ(f->lblHour->Caption(), u"00");
  EXPECT_EQ(f->lblMinute->Caption(), u"00");
  EXPECT_EQ(f->lblSecond->Caption(), u"00");
  EXPECT_TRUE(f->Visible());
  EXPECT_EQ(f->qrnclndr1->Date(), EncodeDate(2020, 3, 14));
  EXPECT_EQ(selected.Count, 0);
  EXPECT_EQ(f->DateTime(), DT(2020, 3, 14, 0, 0, 0, 1));

  // Today, then OK, with only mouse messages run in between: no paint
  // comes between them, so the month labels still show March when OK reads
  // the value.
  auto clickWithoutPaint = [](TControl* C) {
    const TPoint p = C->ClientToScreen(TPoint(C->Width() / 2, C->Height() / 2));
    auto mouseOnly = [] {
      MSG m;
      while (PeekMessageW(&m, nullptr, WM_MOUSEFIRST, WM_MOUSELAST, PM_REMOVE)) DispatchMessageW(&m);
    };
    InputMouseMove(p.X, p.Y);
    mouseOnly();
    InputMouseDown(VK_LBUTTON);
    mouseOnly();
    InputMouseUp(VK_LBUTTON);
    mouseOnly();
  };
  TDateTime picked = 0;
  struct TReader : TObject {
    TDateTime Value = 0;
    String MonthLabel;
    Integer Count = 0;
    void Read(TObject* S) {
      auto* form = static_cast<TQnDateTimePickerForm*>(S);
      Value = form->DateTime();
      MonthLabel = form->lblMonth->Caption();
      ++Count;
    }
  } reader;
  f->SetOnSelected(TNotifyEvent(&reader, &TReader::Read));
  clickWithoutPaint(f->btnGoToday);
  clickWithoutPaint(f->btnOK);
  ASSERT_EQ(reader.Count, 1);
  EXPECT_EQ(reader.MonthLabel, u"3");
  picked = reader.Value;
  Word y, mo, d;
  DecodeDate(picked, y, mo, d);
  Word ty, tm, td;
  DecodeDate(vcl::Date(), ty, tm, td);
  EXPECT_EQ(y, ty);
  EXPECT_EQ(mo, tm);
  EXPECT_EQ(d, td);
  EXPECT_EQ(TimeOf(picked), EncodeTime(0, 0, 0, 1));
  usertest::Pump();
}

TEST_F(frmQnDateTimePicker, TodayAfterSteppingAwayFromAnEarlierToday) {
  auto* f = MakeForm();
  Click(f->btnGoToday);
  EXPECT_EQ(f->qrnclndr1->Date(), vcl::Date());
  Click(f->btnAddYear);
  Click(f->btnAddMonth);
  EXPECT_NE(f->qrnclndr1->Date(), vcl::Date());
  Click(f->btnGoToday);
  EXPECT_EQ(f->qrnclndr1->Date(), vcl::Date());
}

TEST_F(frmQnDateTimePicker, DateKindHidesTheTime) {
  auto* f = MakeForm();
  f->SetDateTime(DT(2024, 7, 1, 18, 30, 0));
  f->SetKind(tkDate);
  EXPECT_FALSE(f->pnl4->Visible());
  EXPECT_FALSE(f->pnlTime->Visible());
  EXPECT_EQ(f->DateTime(), DT(2024, 7, 1, 0, 0, 0, 1));
  f->SetKind(tkDateTime);
  EXPECT_TRUE(f->pnl4->Visible());
  EXPECT_TRUE(f->pnlTime->Visible());
  EXPECT_EQ(f->DateTime(), DT(2024, 7, 1, 18, 30, 0, 1));
}

TEST_F(frmQnDateTimePicker, ShownInsideTheWorkAreaOfItsMonitor) {
  // A second monitor right of the first and lower down, its taskbar strip
  // at the bottom: its work area ends at y 828 and x 2048.
  TMonitorConfig a, b;
  a.Bounds = TRect(0, 0, 1024, 768);
  a.Primary = true;
  b.Bounds = TRect(1024, 100, 2048, 868);
  b.WorkArea = TRect(1024, 100, 2048, 828);
  SetScreenConfiguration({a, b});
  auto* f = TCustomForm::Create<TQnDateTimePickerForm>(FRoot.get());
  f->SetBounds(1900, 700, f->Width(), f->Height());
  f->Show();
  EXPECT_EQ(f->Top(), 828 - 232);
  EXPECT_EQ(f->Left(), 2048 - 248);
  f->Hide();
  // One that fits stays where it was put.
  f->SetBounds(1100, 300, f->Width(), f->Height());
  f->Show();
  EXPECT_EQ(f->BoundsRect(), TRect(1100, 300, 1348, 532));
  f->Hide();
  // Left of the work area on the primary monitor: moved right into it.
  f->SetBounds(-40, 600, f->Width(), f->Height());
  f->Show();
  EXPECT_EQ(f->Left(), 0);
  EXPECT_EQ(f->Top(), 728 - 232);
}

TEST_F(frmQnDateTimePicker, ClosingFreesTheFormAndClearsTheReference) {
  auto* f = MakeForm();
  QnDateTimePickerForm = f;
  f->Close();
  EXPECT_EQ(QnDateTimePickerForm, nullptr);
  const HWND h = f->Handle();
  usertest::Pump();
  EXPECT_FALSE(IsWindow(h));
  // Freed without closing: the reference goes with it.
  auto* g = MakeForm();
  QnDateTimePickerForm = g;
  delete g;
  EXPECT_EQ(QnDateTimePickerForm, nullptr);
}

}  // namespace

}  // namespace t_frm_qn_date_time_picker_test
