#include "skin/extended/frmQnDateTimePicker.h"

#include "platform/classes/Streaming.h"
#include "platform/rtl/DateUtils.h"
#include "platform/rtl/SysUtils.h"
#include "skin/foundation/uQnComm.h"

namespace qn {

TQnDateTimePickerForm* QnDateTimePickerForm = nullptr;

namespace {

// The colour buttons all share one look: a pale face, a blue press and a
// grey frame on every side.
#define QN_PICKER_BUTTON(Name, L, T, W, H, Text, Handler) \
  "    object " Name ": TQuarnColorButton\n"                \
  "      Left = " L "\n"                                   \
  "      Top = " T "\n"                                    \
  "      Width = " W "\n"                                  \
  "      Height = " H "\n"                                 \
  "      HotFont.Color = clBlack\n"                        \
  "      HotFont.Height = -12\n"                           \
  "      HotFont.Name = 'Tahoma'\n"                        \
  "      HotFont.Style = []\n"                             \
  "      Caption = " Text "\n"                             \
  "      Font.Color = clBlack\n"                           \
  "      Font.Height = -12\n"                              \
  "      Font.Name = 'Tahoma'\n"                           \
  "      Font.Style = []\n"                                \
  "      ParentFont = False\n"                             \
  "      OnClick = " Handler "\n"                          \
  "      NormalColor = 16185078\n"                         \
  "      HotColor = clWhite\n"                             \
  "      PressedColor = 14326102\n"                        \
  "      BorderColor = 13027014\n"                         \
  "      BorderSides = [sdLeft, sdTop, sdRight, sdBottom]\n" \
  "    end\n"

const char* const kPickerForm =
    "object QnDateTimePickerForm: TQnDateTimePickerForm\n"
    "  Left = 0\n"
    "  Top = 0\n"
    "  BorderStyle = bsNone\n"
    "  Caption = 'QnDateTimePickerForm'\n"
    "  ClientHeight = 232\n"
    "  ClientWidth = 248\n"
    "  Color = clWhite\n"
    "  Font.Color = clWindowText\n"
    "  Font.Height = -11\n"
    "  Font.Name = 'Tahoma'\n"
    "  Font.Style = []\n"
    "  OldCreateOrder = False\n"
    "  Position = poDesigned\n"
    "  Scaled = False\n"
    "  OnClose = FormClose\n"
    "  OnCreate = FormCreate\n"
    "  OnDestroy = FormDestroy\n"
    "  OnShow = FormShow\n"
    "  PixelsPerInch = 96\n"
    "  TextHeight = 13\n"
    "  object pnl5: TQuarnPanel\n"
    "    Left = 0\n"
    "    Top = 0\n"
    "    Width = 248\n"
    "    Height = 232\n"
    "    Align = alClient\n"
    "    Alpha = 255\n"
    "    BorderColor = 13027014\n"
    "    DoubleBorder = False\n"
    QN_PICKER_BUTTON("btnDecYear", "8", "8", "20", "25", "'<'", "btnDecYearClick")
    "    object pnl1: TQuarnPanel\n"
    "      Left = 28\n"
    "      Top = 8\n"
    "      Width = 63\n"
    "      Height = 25\n"
    "      BorderSides = [sdTop, sdBottom]\n"
    "      BorderColor = 13027014\n"
    "      DoubleBorder = False\n"
    "      object lblYear: TLabel\n"
    "        Left = 6\n"
    "        Top = 5\n"
    "        Width = 51\n"
    "        Height = 14\n"
    "        Cursor = crHandPoint\n"
    "        Alignment = taCenter\n"
    "        AutoSize = False\n"
    "        Caption = '2015'\n"
    "        Font.Color = clWindowText\n"
    "        Font.Height = -12\n"
    "        Font.Name = 'Tahoma'\n"
    "        Font.Style = []\n"
    "        ParentFont = False\n"
    "        OnClick = lblYearClick\n"
    "      end\n"
    "    end\n"
    QN_PICKER_BUTTON("btnAddYear", "91", "8", "20", "25", "'>'", "btnAddYearClick")
    QN_PICKER_BUTTON("btnDecMonth", "160", "8", "20", "25", "'<'", "btnDecMonthClick")
    "    object pnl2: TQuarnPanel\n"
    "      Left = 180\n"
    "      Top = 8\n"
    "      Width = 40\n"
    "      Height = 25\n"
    "      BorderSides = [sdTop, sdBottom]\n"
    "      BorderColor = 13027014\n"
    "      DoubleBorder = False\n"
    "      object lblMonth: TLabel\n"
    "        Left = 4\n"
    "        Top = 5\n"
    "        Width = 32\n"
    "        Height = 14\n"
    "        Cursor = crHandPoint\n"
    "        Alignment = taCenter\n"
    "        AutoSize = False\n"
    "        Caption = '06'\n"
    "        Font.Color = clWindowText\n"
    "        Font.Height = -12\n"
    "        Font.Name = 'Tahoma'\n"
    "        Font.Style = []\n"
    "        ParentFont = False\n"
    "        OnClick = lblMonthClick\n"
    "      end\n"
    "    end\n"
    QN_PICKER_BUTTON("btnAddMonth", "220", "8", "20", "25", "'>'", "btnAddMonthClick")
    "    object qrnclndr1: TQuarnCalendar\n"
    "      Left = 8\n"
    "      Top = 38\n"
    "      Width = 232\n"
    "      Height = 157\n"
    "      HolidayTextColor = clBlack\n"
    "      HeaderColor = 16185078\n"
    "      HeaderFont.Color = clBlack\n"
    "      HeaderFont.Height = -12\n"
    "      HeaderFont.Name = 'Tahoma'\n"
    "      HeaderFont.Style = []\n"
    "      HeaderHeight = 24\n"
    "      CellColor = clWhite\n"
    "      CellFocusColor = 14935011\n"
    "      CellFont.Color = clBlack\n"
    "      CellFont.Height = -11\n"
    "      CellFont.Name = 'Tahoma'\n"
    "      CellFont.Style = []\n"
    "      TextSu = #26085\n"
    "      TextMo = #19968\n"
    "      TextTu = #20108\n"
    "      TextWe = #19977\n"
    "      TextTh = #22235\n"
    "      TextFr = #20116\n"
    "      TextSa = #20845\n"
    "      Year = 2015\n"
    "      Month = 6\n"
    "      FocusDay = 22\n"
    "      Padding = 0\n"
    "      FrameColor = 13027014\n"
    "      Alpha = 0\n"
    "      OnCellClick = qrnclndr1CellClick\n"
    "      OnChanged = qrnclndr1Changed\n"
    "    end\n"
    "    object pnl4: TQuarnPanel\n"
    "      Left = 8\n"
    "      Top = 201\n"
    "      Width = 36\n"
    "      Height = 23\n"
    "      Color = 16185078\n"
    "      BorderColor = 13027014\n"
    "      DoubleBorder = False\n"
    "      object lblTime: TLabel\n"
    "        Left = 2\n"
    "        Top = 4\n"
    "        Width = 33\n"
    "        Height = 14\n"
    "        Alignment = taCenter\n"
    "        AutoSize = False\n"
    "        Caption = #26102#38388\n"
    "        Font.Color = clWindowText\n"
    "        Font.Height = -12\n"
    "        Font.Name = 'Tahoma'\n"
    "        Font.Style = []\n"
    "        ParentFont = False\n"
    "      end\n"
    "    end\n"
    "    object pnlTime: TQuarnPanel\n"
    "      Left = 41\n"
    "      Top = 201\n"
    "      Width = 84\n"
    "      Height = 23\n"
    "      BorderSides = [sdTop, sdRight, sdBottom]\n"
    "      BorderColor = 13027014\n"
    "      DoubleBorder = False\n"
    "      object lblHour: TLabel\n"
    "        Left = 9\n"
    "        Top = 4\n"
    "        Width = 12\n"
    "        Height = 13\n"
    "        Cursor = crHandPoint\n"
    "        Caption = '00'\n"
    "        OnClick = lblHourClick\n"
    "      end\n"
    "      object lbl2: TLabel\n"
    "        Left = 26\n"
    "        Top = 3\n"
    "        Width = 4\n"
    "        Height = 13\n"
    "        Caption = ':'\n"
    "      end\n"
    "      object lblMinute: TLabel\n"
    "        Tag = 1\n"
    "        Left = 36\n"
    "        Top = 4\n"
    "        Width = 12\n"
    "        Height = 13\n"
    "        Cursor = crHandPoint\n"
    "        Caption = '00'\n"
    "        OnClick = lblHourClick\n"
    "      end\n"
    "      object lbl3: TLabel\n"
    "        Left = 54\n"
    "        Top = 3\n"
    "        Width = 4\n"
    "        Height = 13\n"
    "        Caption = ':'\n"
    "      end\n"
    "      object lblSecond: TLabel\n"
    "        Tag = 2\n"
    "        Left = 65\n"
    "        Top = 4\n"
    "        Width = 12\n"
    "        Height = 13\n"
    "        Cursor = crHandPoint\n"
    "        Caption = '00'\n"
    "        OnClick = lblHourClick\n"
    "      end\n"
    "    end\n"
    QN_PICKER_BUTTON("btnClear", "131", "201", "37", "23", "#28165#31354", "btnClearClick")
    QN_PICKER_BUTTON("btnGoToday", "167", "201", "37", "23", "#20170#22825", "btnGoTodayClick")
    QN_PICKER_BUTTON("btnOK", "203", "201", "37", "23", "#30830#35748", "btnOKClick")
    "  end\n"
    "  object QnLikeMenuDlg1: TQnLikeMenuDlg\n"
    "  end\n"
    "end\n";

#undef QN_PICKER_BUTTON

String TwoDigits(Integer Value) { return Format(u"%.2d", {Value}); }

}  // namespace

TQnDateTimePickerForm::TQnDateTimePickerForm(TComponent* AOwner) : TForm(AOwner) {}

TQnDateTimePickerForm::~TQnDateTimePickerForm() {
  // However the form goes (closed, or with the edit that owns it), the
  // process-wide reference never outlives it.
  if (QnDateTimePickerForm == this) QnDateTimePickerForm = nullptr;
}

template <class T>
T* TQnDateTimePickerForm::Part(const Char* Name) {
  T* c = dynamic_cast<T*>(FindComponent(Name));
  if (!c) throw EComponentError(u"The date-time picker's form lacks " + String(Name));
  return c;
}

void TQnDateTimePickerForm::FindParts() {
  pnl5 = Part<TQuarnPanel>(u"pnl5");
  btnDecYear = Part<TQuarnColorButton>(u"btnDecYear");
  pnl1 = Part<TQuarnPanel>(u"pnl1");
  lblYear = Part<TLabel>(u"lblYear");
  btnAddYear = Part<TQuarnColorButton>(u"btnAddYear");
  btnDecMonth = Part<TQuarnColorButton>(u"btnDecMonth");
  pnl2 = Part<TQuarnPanel>(u"pnl2");
  lblMonth = Part<TLabel>(u"lblMonth");
  btnAddMonth = Part<TQuarnColorButton>(u"btnAddMonth");
  qrnclndr1 = Part<TQuarnCalendar>(u"qrnclndr1");
  pnl4 = Part<TQuarnPanel>(u"pnl4");
  lblTime = Part<TLabel>(u"lblTime");
  pnlTime = Part<TQuarnPanel>(u"pnlTime");
  lblHour = Part<TLabel>(u"lblHour");
  lbl2 = Part<TLabel>(u"lbl2");
  lblMinute = Part<TLabel>(u"lblMinute");
  lbl3 = Part<TLabel>(u"lbl3");
  lblSecond = Part<TLabel>(u"lblSecond");
  btnClear = Part<TQuarnColorButton>(u"btnClear");
  btnGoToday = Part<TQuarnColorButton>(u"btnGoToday");
  btnOK = Part<TQuarnColorButton>(u"btnOK");
  QnLikeMenuDlg1 = Part<TQnLikeMenuDlg>(u"QnLikeMenuDlg1");
}

void TQnDateTimePickerForm::FormCreate(TObject*) {
  FindParts();
  FKind = tkDateTime;
  FTextHour = u"小时";
  FTextMinute = u"分钟";
  FTextSecond = u"秒钟";
  FMaxDate = 0;
  FMinDate = 0;
  FAutoClose = true;
  // The captions and day names the resource shows are the texts' starting
  // values, so a form used on its own keeps them when it is shown.
  FTextClear = btnClear->Caption();
  FTextToday = btnGoToday->Caption();
  FTextOK = btnOK->Caption();
  FTextTime = lblTime->Caption();
  FTextSu = qrnclndr1->TextSu();
  FTextMo = qrnclndr1->TextMo();
  FTextTu = qrnclndr1->TextTu();
  FTextWe = qrnclndr1->TextWe();
  FTextTh = qrnclndr1->TextTh();
  FTextFr = qrnclndr1->TextFr();
  FTextSa = qrnclndr1->TextSa();

  FEdit = new TEdit(this);
  FEdit->SetVisible(false);
  FEdit->SetBorderStyle(bsNone);
  FEdit->SetImeMode(imClose);
  FEdit->SetBounds(0, 0, 50, 16);
  FEdit->Font()->SetSize(9);
  FEdit->SetOnKeyPress(TKeyPressEvent(this, &TQnDateTimePickerForm::EditKeyPress));
  FEdit->SetOnExit(TNotifyEvent(this, &TQnDateTimePickerForm::EditExit));
  SetScaled(AppIsHighDPIMode());
}

void TQnDateTimePickerForm::FormDestroy(TObject*) {
  delete FEdit;
  FEdit = nullptr;
}

void TQnDateTimePickerForm::CreateParams(TCreateParams& Params) {
  TForm::CreateParams(Params);
  // A tool pop-up: no caption, no taskbar button, no shadow. Staying on top
  // is kept when the form style asks for it.
  Params.Style = WS_POPUP | WS_CLIPCHILDREN;
  Params.ExStyle = WS_EX_TOOLWINDOW | (Params.ExStyle & WS_EX_TOPMOST);
  Params.WindowClass.style = (Params.WindowClass.style | CS_SAVEBITS) & ~CS_DROPSHADOW;
}

void TQnDateTimePickerForm::Notification(TComponent* AComponent, TOperation Operation) {
  TForm::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  if (AComponent == FQuarnTimeBox) FQuarnTimeBox = nullptr;
  if (AComponent == FEdit) FEdit = nullptr;
}

void TQnDateTimePickerForm::FormShow(TObject*) {
  qrnclndr1->SetTextSu(FTextSu);
  qrnclndr1->SetTextMo(FTextMo);
  qrnclndr1->SetTextTu(FTextTu);
  qrnclndr1->SetTextWe(FTextWe);
  qrnclndr1->SetTextTh(FTextTh);
  qrnclndr1->SetTextFr(FTextFr);
  qrnclndr1->SetTextSa(FTextSa);
  qrnclndr1->Invalidate();
  // Kept inside the work area of the monitor the form is on, which need
  // not start at the screen's origin.
  const TRect wa = GetMonitorWorkArea(Handle(), true);
  Integer l = Left(), t = Top();
  if (t + Height() > wa.Bottom) t = wa.Bottom - Height();
  if (l + Width() > wa.Right) l = wa.Right - Width();
  if (t < wa.Top) t = wa.Top;
  if (l < wa.Left) l = wa.Left;
  if (l != Left() || t != Top()) SetBounds(l, t, Width(), Height());
}

void TQnDateTimePickerForm::FormClose(TObject*, TCloseAction& Action) {
  Action = caFree;
  if (QnDateTimePickerForm == this) QnDateTimePickerForm = nullptr;
}

// ---------------------------------------------------------------------------
// Year and month

void TQnDateTimePickerForm::btnDecYearClick(TObject*) { qrnclndr1->SetYear(Word(qrnclndr1->Year() - 1)); }
void TQnDateTimePickerForm::btnAddYearClick(TObject*) { qrnclndr1->SetYear(Word(qrnclndr1->Year() + 1)); }
void TQnDateTimePickerForm::btnDecMonthClick(TObject*) { qrnclndr1->SetMonth(Word(qrnclndr1->Month() - 1)); }
void TQnDateTimePickerForm::btnAddMonthClick(TObject*) { qrnclndr1->SetMonth(Word(qrnclndr1->Month() + 1)); }

void TQnDateTimePickerForm::qrnclndr1Changed(TObject*) {
  lblYear->SetCaption(IntToStr(Integer(qrnclndr1->Year())));
  lblMonth->SetCaption(IntToStr(Integer(qrnclndr1->Month())));
}

void TQnDateTimePickerForm::StartEditing(TQuarnPanel* Host, Integer Value, Integer Tag) {
  if (!FEdit) return;
  FEdit->SetParent(Host);
  FEdit->SetBounds((Host->Width() - FEdit->Width()) / 2, (Host->Height() - FEdit->Height()) / 2, FEdit->Width(),
                   FEdit->Height());
  FEdit->SetText(IntToStr(Value));
  FEdit->SetTag(Tag);
  FEdit->Show();
  FEdit->SelectAll();
  if (FEdit->CanFocus()) FEdit->SetFocus();
}

void TQnDateTimePickerForm::lblYearClick(TObject*) { StartEditing(pnl1, qrnclndr1->Year(), 1); }
void TQnDateTimePickerForm::lblMonthClick(TObject*) { StartEditing(pnl2, qrnclndr1->Month(), 2); }

void TQnDateTimePickerForm::EditKeyPress(TObject* Sender, Char& Key) {
  if (Key == u'\r' || Key == 27) {
    Key = 0;
    EditExit(Sender);
  } else if (Key < u'0' || Key > u'9') {
    Key = 0;
  }
}

void TQnDateTimePickerForm::EditExit(TObject*) {
  // Hiding the editor moves the focus away from it, which exits again.
  if (FApplying || !FEdit || !FEdit->Visible()) return;
  FApplying = true;
  struct Done {
    bool& Flag;
    ~Done() { Flag = false; }
  } done{FApplying};
  const NativeInt tag = FEdit->Tag();
  FEdit->SetTag(0);
  Integer v = 0;
  // Numbers the calendar cannot show are dropped like a thirteenth month;
  // a Word would wrap 65537 round to year 1.
  if (TryStrToInt(Trim(FEdit->Text()), v)) {
    if (tag == 1 && v >= 1 && v <= 9999) qrnclndr1->SetYear(Word(v));
    else if (tag == 2 && v >= 1 && v <= 12) qrnclndr1->SetMonth(Word(v));
  }
  FEdit->Hide();
}

// ---------------------------------------------------------------------------
// Time

TLabel* TQnDateTimePickerForm::TimeLabel(Integer Tag) const {
  switch (Tag) {
    case 0: return lblHour;
    case 1: return lblMinute;
    case 2: return lblSecond;
    default: return nullptr;
  }
}

void TQnDateTimePickerForm::lblHourClick(TObject* Sender) {
  auto* label = dynamic_cast<TLabel*>(Sender);
  if (!label || !TimeLabel(Integer(label->Tag()))) return;
  delete FQuarnTimeBox;
  FQuarnTimeBox = nullptr;
  auto* box = new TQuarnTimeBox(this);
  FQuarnTimeBox = box;
  box->SetKind(static_cast<TQnBoxKind>(label->Tag()));
  box->SetTextHour(FTextHour);
  box->SetTextMinute(FTextMinute);
  box->SetTextSecond(FTextSecond);
  box->SetOnCellClick(uQuarnTimeBox::TCellClickEvent(this, &TQnDateTimePickerForm::TimeBoxCellClick));
  box->SetFocusNum(StrToIntDef(label->Caption(), 0));
  const Integer timeTop = pnlTime->Top();
  if (box->Kind() == bkHour)
    box->SetBounds(qrnclndr1->Left(), timeTop - 125 + 1, 127, 125);
  else
    box->SetBounds(qrnclndr1->Left(), qrnclndr1->Top(), qrnclndr1->Width(), timeTop + 1 - qrnclndr1->Top());
  box->SetParent(this);
  box->BringToFront();
}

void TQnDateTimePickerForm::TimeBoxCellClick(TObject* Sender, TQnNumCell& Data) {
  auto* box = dynamic_cast<TQuarnTimeBox*>(Sender);
  if (!box) return;
  if (TLabel* label = TimeLabel(static_cast<Integer>(box->Kind()))) label->SetCaption(TwoDigits(Data.Num));
}

// ---------------------------------------------------------------------------
// Calendar and buttons

void TQnDateTimePickerForm::qrnclndr1CellClick(TObject*, TDayCell& Data) {
  if (!Data.IsValidDayOfMonth) {
    Word y, m, d;
    DecodeDate(Data.Date, y, m, d);
    lblYear->SetCaption(IntToStr(Integer(y)));
    lblMonth->SetCaption(IntToStr(Integer(m)));
  }
  if (FAutoClose) btnOKClick(this);
}

void TQnDateTimePickerForm::btnClearClick(TObject*) {
  lblHour->SetCaption(u"00");
  lblMinute->SetCaption(u"00");
  lblSecond->SetCaption(u"00");
}

void TQnDateTimePickerForm::btnGoTodayClick(TObject*) {
  const TDateTime now = Now();
  qrnclndr1->SetDate(now);
  // The calendar skips a date equal to the last one it was given, even
  // when the steppers have moved it since.
  if (qrnclndr1->Date() != DateOf(now)) {
    Word y, m, d;
    DecodeDate(now, y, m, d);
    qrnclndr1->SetYear(y);
    qrnclndr1->SetMonth(m);
    qrnclndr1->SetFocusDay(d);
  }
}

void TQnDateTimePickerForm::btnOKClick(TObject*) {
  if (FOnSelected) FOnSelected(this);
  QnLikeMenuDlg1->Stop();
}

// ---------------------------------------------------------------------------
// Properties

TDateTime TQnDateTimePickerForm::DateTime() {
  // Year and month from the calendar itself: its labels follow it only at
  // its next paint.
  Word h = 0, n = 0, s = 0;
  if (FKind == tkDateTime) {
    h = Word(StrToIntDef(lblHour->Caption(), 0));
    n = Word(StrToIntDef(lblMinute->Caption(), 0));
    s = Word(StrToIntDef(lblSecond->Caption(), 0));
  }
  FDateTime = EncodeDateTime(qrnclndr1->Year(), qrnclndr1->Month(), qrnclndr1->FocusDay(), h, n, s, 1);
  return FDateTime;
}

void TQnDateTimePickerForm::SetDateTime(TDateTime Value) {
  if (Value == FDateTime) return;
  Word y, m, d, h, n, s, ms;
  DecodeDateTime(Value, y, m, d, h, n, s, ms);
  FDateTime = Value;
  qrnclndr1->SetYear(y);
  qrnclndr1->SetMonth(m);
  qrnclndr1->SetFocusDay(d);
  if (FKind == tkDateTime) {
    lblHour->SetCaption(TwoDigits(h));
    lblMinute->SetCaption(TwoDigits(n));
    lblSecond->SetCaption(TwoDigits(s));
  }
}

void TQnDateTimePickerForm::SetKind(TQnDateTimeKind Value) {
  if (Value == FKind) return;
  FKind = Value;
  const bool time = Value == tkDateTime;
  pnl4->SetVisible(time);
  pnlTime->SetVisible(time);
}

void TQnDateTimePickerForm::SetMaxDate(TDate Value) {
  if (Value == FMaxDate) return;
  qrnclndr1->SetMaxDate(Value);
  FMaxDate = Value;
}

void TQnDateTimePickerForm::SetMinDate(TDate Value) {
  if (Value == FMinDate) return;
  qrnclndr1->SetMinDate(Value);
  FMinDate = Value;
}

void TQnDateTimePickerForm::SetTextClear(const String& Value) {
  if (Value == FTextClear) return;
  FTextClear = Value;
  btnClear->SetCaption(Value);
}

void TQnDateTimePickerForm::SetTextToday(const String& Value) {
  if (Value == FTextToday) return;
  FTextToday = Value;
  btnGoToday->SetCaption(Value);
}

void TQnDateTimePickerForm::SetTextOK(const String& Value) {
  if (Value == FTextOK) return;
  FTextOK = Value;
  btnOK->SetCaption(Value);
}

void TQnDateTimePickerForm::SetTextTime(const String& Value) {
  if (Value == FTextTime) return;
  FTextTime = Value;
  lblTime->SetCaption(Value);
}

void InitQnDateTimePicker() {
  RegisterClasses({TQnDateTimePickerForm::StaticClass(), TQuarnPanel::StaticClass(), TLabel::StaticClass(),
                   TQuarnColorButton::StaticClass(), TQuarnCalendar::StaticClass(), TQnLikeMenuDlg::StaticClass()});
  RegisterFormResource(u"TQnDateTimePickerForm", kPickerForm);
}

}  // namespace qn
