#include "skin/extended/uQuarnDatetimePicker.h"

#include "platform/rtl/ComStrs.h"
#include "platform/rtl/DateUtils.h"
#include "platform/rtl/SysUtils.h"
#include "platform/user/CommonDialogs.h"

namespace qn {

TQuarnDatetimePicker::TQuarnDatetimePicker(TComponent* AOwner) : TQuarnEdit(AOwner) {
  const TDateTime now = vcl::Now();
  FDateTime = now;
  FDate = DateOf(now);
  FTime = TimeOf(now);
  FMinuteText = u"分钟";
  FSecondsText = u"秒钟";
  FHourText = u"小时";
  FDefineTextTime = u"时间";
  FDefineTextClear = u"清空";
  FDefineTextOK = u"确认";
  FDefineTextToday = u"今天";
  FDefineSuText = u"日";
  FDefineTuText = u"二";
  FDefineThText = u"四";
  FDefineSaText = u"六";
  FDefineFrText = u"五";
  FDefineWeText = u"三";
  FDefineMoText = u"一";

  TQnEditItem* icon = FItems->Add();
  icon->Pos()->SetAlign(agRight);
  icon->Pos()->SetX(28);
  icon->Pos()->SetY(5);
  icon->SetImage(u"QuarnCalendar_18_N");
  icon->SetImageHot(u"QuarnCalendar_18_H");
  SetText(u" ");
  SetReadOnly(true);
  SetWidth(145);
}

TQuarnDatetimePicker::~TQuarnDatetimePicker() {
  // The form goes while this edit is whole: it notifies the edit, and
  // nothing of it is left to call back into a half-destroyed one.
  if (TQnDateTimePickerForm* f = FForm) delete f;
}

// ---------------------------------------------------------------------------
// Text

void TQuarnDatetimePicker::Rebuild() {
  FCheckText = false;
  try {
    ResetDateTimeText();
  } catch (...) {
    FCheckText = true;
    throw;
  }
  FCheckText = true;
}

void TQuarnDatetimePicker::ResetDateTimeText() {
  ++FChangedCount;
  String s;
  if (!FFormat.empty()) s = FormatDateTime(FFormat, DateTime());
  else if (FKind == tkDateTime) s = DateTimeToStr(DateTime());
  else s = DateToStr(FDate);
  SetText(s);
  FOwnText = FText;
  FOwnTextSet = true;
}

void TQuarnDatetimePicker::Split() {
  FDate = DateOf(FDateTime);
  FTime = TimeOf(FDateTime);
}

void TQuarnDatetimePicker::CheckText() {
  if (!FCheckText) return;
  const String s = Trim(FText);
  if (s.empty()) return;
  if (FOwnTextSet && FText == FOwnText) return;
  TDateTime dt = 0;
  const bool parsed = TryStrToDateTime(s, dt);
  if (!Trim(FFormat).empty()) {
    // With a format of its own the text may well not parse by the system's
    // settings; it is then left alone and the last value stays.
    if (!parsed) return;
    FDateTime = dt;
    Split();
    FOwnText = FText;
    FOwnTextSet = true;
    return;
  }
  if (parsed) {
    FDateTime = dt;
    Split();
    FOwnText = FText;
    FOwnTextSet = true;
    return;
  }
  MessageBoxW(nullptr, sFailSetCalDateTime, u"Warning", MB_OK | MB_ICONEXCLAMATION);
  FDateTime = vcl::Now();
  Split();
  // The text that could not be read gives way to the value taken instead.
  Rebuild();
}

void TQuarnDatetimePicker::SetText(const String& Value) {
  TQuarnEdit::SetText(Value);
  if (FText != Value) CheckText();
}

void TQuarnDatetimePicker::Change() {
  // The text setter repaints by itself; only the report waits.
  if (FChangedCount > 2) TQuarnEdit::Change();
}

void TQuarnDatetimePicker::DoExit() {
  TQuarnEdit::DoExit();
  CheckText();
}

// ---------------------------------------------------------------------------
// Value

TDateTime TQuarnDatetimePicker::DateTime() {
  CheckText();
  FDateTime = ComposeDateTime(DateOf(FDate), TimeOf(FTime));
  return FDateTime;
}

void TQuarnDatetimePicker::SetDateTime(TDateTime Value) {
  FCheckText = false;
  FDateTime = Value;
  Split();
  Rebuild();
}

void TQuarnDatetimePicker::SetKind(TQnDateTimeKind Value) {
  if (Value == FKind) return;
  FKind = Value;
  Rebuild();
}

void TQuarnDatetimePicker::SetFormat(const String& Value) {
  if (Value == FFormat) return;
  FFormat = Value;
  Rebuild();
}

void TQuarnDatetimePicker::SetDate(TDate Value) {
  if (Value == FDate) return;
  FDate = Value;
  Rebuild();
}

void TQuarnDatetimePicker::SetTime(TTime Value) {
  if (Value == FTime) return;
  FTime = Value;
  Rebuild();
}

void TQuarnDatetimePicker::SetMaxDate(TDate Value) {
  if (Value != 0 && FMinDate != 0 && Value < FMinDate)
    throw Exception(String(sDateTimeMin), {DateToStr(FMinDate)});
  FMaxDate = Value;
}

void TQuarnDatetimePicker::SetMinDate(TDate Value) {
  if (Value != 0 && FMaxDate != 0 && Value > FMaxDate)
    throw Exception(String(sDateTimeMax), {DateToStr(FMaxDate)});
  FMinDate = Value;
}

// ---------------------------------------------------------------------------
// The drop-down

TQnEditItem* TQuarnDatetimePicker::Item0() const { return FItems->Count() > 0 ? FItems->Items(0) : nullptr; }

void TQuarnDatetimePicker::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  TQuarnEdit::MouseDown(Button, Shift, X, Y);
  // The right button keeps the edit's own menu and opens nothing.
  if (Button != mbLeft || ComponentState().Contains(csDesigning)) return;
  TQnEditItem* item = Item0();
  if (!item || !item->Visible() || !item->Enabled() || !PtInRect(item->GetRect(), TPoint(X, Y))) return;
  if (item->Tag() != 0) {
    item->SetTag(0);
    if (FForm) FForm->QnLikeMenuDlg1->Stop();
    return;
  }
  OpenForm();
}

void TQuarnDatetimePicker::OpenForm() {
  if (!Parent()) return;
  // One drop-down for the whole process: another edit's is closed first,
  // through its dialog, so that edit hears of it.
  if (QnDateTimePickerForm && QnDateTimePickerForm != FForm) QnDateTimePickerForm->QnLikeMenuDlg1->Stop();
  if (FForm) {
    // Still on its way out after a close.
    TQnDateTimePickerForm* old = FForm;
    FForm = nullptr;
    delete old;
  }
  const TPoint at = Parent()->ClientToScreen(TPoint(Left() + 1, Top() + Height() + 1));
  const TDateTime value = DateTime();
  TQnDateTimePickerForm* f = TCustomForm::Create<TQnDateTimePickerForm>(this);
  FForm = f;
  f->FreeNotification(this);
  try {
    f->SetFormStyle(fsStayOnTop);
    f->SetOnSelected(TNotifyEvent(this, &TQuarnDatetimePicker::DoSelected));
    f->SetAutoClose(FAutoClose);
    f->SetBounds(at.X, at.Y, f->Width(), f->Height());
    f->SetKind(FKind);
    f->SetMaxDate(FMaxDate);
    f->SetMinDate(FMinDate);
    f->SetDateTime(value);
    f->SetTextHour(FHourText);
    f->SetTextMinute(FMinuteText);
    f->SetTextSecond(FSecondsText);
    f->SetTextClear(FDefineTextClear);
    f->SetTextToday(FDefineTextToday);
    f->SetTextOK(FDefineTextOK);
    f->SetTextTime(FDefineTextTime);
    f->SetTextSu(FDefineSuText);
    f->SetTextMo(FDefineMoText);
    f->SetTextTu(FDefineTuText);
    f->SetTextWe(FDefineWeText);
    f->SetTextTh(FDefineThText);
    f->SetTextFr(FDefineFrText);
    f->SetTextSa(FDefineSaText);
    QnDateTimePickerForm = f;
    f->Show();
  } catch (...) {
    FForm = nullptr;
    delete f;
    throw;
  }
  if (TQnEditItem* item = Item0()) item->SetTag(1);
  f->QnLikeMenuDlg1->SetOnMouseClickOutside(TNotifyEvent(this, &TQuarnDatetimePicker::DoMouseClickOutside));
  f->QnLikeMenuDlg1->Capture(f);
}

void TQuarnDatetimePicker::DoMouseClickOutside(TObject*) {
  TQnEditItem* item = Item0();
  if (item && HandleAllocated()) {
    POINT p;
    GetCursorPos(&p);
    const TPoint c = ScreenToClient(TPoint(p.X, p.Y));
    // A press on the icon itself leaves the toggle to MouseDown.
    if (!PtInRect(item->GetRect(), c)) item->SetTag(0);
  }
  if (FForm) FForm->Close();
}

void TQuarnDatetimePicker::DoSelected(TObject* Sender) {
  auto* f = dynamic_cast<TQnDateTimePickerForm*>(Sender);
  if (!f) return;
  FCheckText = false;
  SetDateTime(f->DateTime());
  FCheckText = true;
  if (FOnPickDone) FOnPickDone(this);
}

void TQuarnDatetimePicker::Notification(TComponent* AComponent, TOperation Operation) {
  TQuarnEdit::Notification(AComponent, Operation);
  if (Operation != opRemove || AComponent != FForm || !FForm) return;
  // The form went by itself (picked, pressed outside, closed by code): the
  // icon opens it again at the next press.
  FForm = nullptr;
  if (TQnEditItem* item = Item0()) item->SetTag(0);
}

void InitQuarnDatetimePicker() { RegisterClasses({TQuarnDatetimePicker::StaticClass()}); }

}  // namespace qn

QN_PUBLISHED_IMPL(qn::TQuarnDatetimePicker)
