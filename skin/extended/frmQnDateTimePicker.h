// frmQnDateTimePicker: the borderless pop-up a date-time picker edit drops
// down under itself. Year and month steppers (whose numbers can be typed in
// place), a month calendar, the time as three two-digit labels that pop up
// a time box, and the buttons Clear, Today and OK. A menu-like dialog on the
// form reports a press outside it, so the edit can close it like a menu.
//
// The layout lives in the form's text resource; the form is made from it
// with TCustomForm::Create<TQnDateTimePickerForm>.
#pragma once
#include "platform/rtl/MacroShield.h"

#include "platform/vcl/Forms.h"
#include "platform/vcl/StdCtrls.h"
#include "skin/controls/uQuarnPanel.h"
#include "skin/extended/uQnLikeMenuDlg.h"
#include "skin/extended/uQuarnCalendar.h"
#include "skin/extended/uQuarnColorButton.h"
#include "skin/extended/uQuarnTimeBox.h"

namespace qn {

enum class TQnDateTimeKind { tkDateTime, tkDate };
QN_ENUM_NAMES(TQnDateTimeKind, tkDateTime, tkDate)
using enum TQnDateTimeKind;

class TQnDateTimePickerForm : public TForm {
  QN_CLASS_CREATE(TQnDateTimePickerForm, TForm, TComponent)
 public:
  explicit TQnDateTimePickerForm(TComponent* AOwner);
  ~TQnDateTimePickerForm() override;

  // The components of the form resource.
  TQuarnPanel* pnl5 = nullptr;
  TQuarnColorButton* btnDecYear = nullptr;
  TQuarnPanel* pnl1 = nullptr;
  TLabel* lblYear = nullptr;
  TQuarnColorButton* btnAddYear = nullptr;
  TQuarnColorButton* btnDecMonth = nullptr;
  TQuarnPanel* pnl2 = nullptr;
  TLabel* lblMonth = nullptr;
  TQuarnColorButton* btnAddMonth = nullptr;
  TQuarnCalendar* qrnclndr1 = nullptr;
  TQuarnPanel* pnl4 = nullptr;
  TLabel* lblTime = nullptr;
  TQuarnPanel* pnlTime = nullptr;
  TLabel* lblHour = nullptr;
  TLabel* lbl2 = nullptr;
  TLabel* lblMinute = nullptr;
  TLabel* lbl3 = nullptr;
  TLabel* lblSecond = nullptr;
  TQuarnColorButton* btnClear = nullptr;
  TQuarnColorButton* btnGoToday = nullptr;
  TQuarnColorButton* btnOK = nullptr;
  TQnLikeMenuDlg* QnLikeMenuDlg1 = nullptr;

  // The handlers the resource names.
  void FormCreate(TObject* Sender);
  void FormDestroy(TObject* Sender);
  void FormShow(TObject* Sender);
  void FormClose(TObject* Sender, TCloseAction& Action);
  void btnDecYearClick(TObject* Sender);
  void btnAddYearClick(TObject* Sender);
  void btnDecMonthClick(TObject* Sender);
  void btnAddMonthClick(TObject* Sender);
  void lblYearClick(TObject* Sender);
  void lblMonthClick(TObject* Sender);
  // One handler for the hour, minute and second labels; their Tag tells
  // which part of the time they show.
  void lblHourClick(TObject* Sender);
  void btnClearClick(TObject* Sender);
  void btnGoTodayClick(TObject* Sender);
  void btnOKClick(TObject* Sender);
  void qrnclndr1CellClick(TObject* Sender, TDayCell& Data);
  void qrnclndr1Changed(TObject* Sender);

  bool AutoClose() const { return FAutoClose; }
  void SetAutoClose(bool Value) { FAutoClose = Value; }
  TQnDateTimeKind Kind() const { return FKind; }
  void SetKind(TQnDateTimeKind Value);
  // The date shown and, for tkDateTime, the time of the labels, with 1 ms.
  TDateTime DateTime();
  TDateTime GetDateTime() { return DateTime(); }
  void SetDateTime(TDateTime Value);
  TDate MaxDate() const { return FMaxDate; }
  void SetMaxDate(TDate Value);
  TDate MinDate() const { return FMinDate; }
  void SetMinDate(TDate Value);
  String TextHour() const { return FTextHour; }
  void SetTextHour(const String& Value) { FTextHour = Value; }
  String TextMinute() const { return FTextMinute; }
  void SetTextMinute(const String& Value) { FTextMinute = Value; }
  String TextSecond() const { return FTextSecond; }
  void SetTextSecond(const String& Value) { FTextSecond = Value; }
  String TextClear() const { return FTextClear; }
  void SetTextClear(const String& Value);
  String TextToday() const { return FTextToday; }
  void SetTextToday(const String& Value);
  String TextOK() const { return FTextOK; }
  void SetTextOK(const String& Value);
  String TextTime() const { return FTextTime; }
  void SetTextTime(const String& Value);
  String TextSu() const { return FTextSu; }
  void SetTextSu(const String& Value) { FTextSu = Value; }
  String TextMo() const { return FTextMo; }
  void SetTextMo(const String& Value) { FTextMo = Value; }
  String TextTu() const { return FTextTu; }
  void SetTextTu(const String& Value) { FTextTu = Value; }
  String TextWe() const { return FTextWe; }
  void SetTextWe(const String& Value) { FTextWe = Value; }
  String TextTh() const { return FTextTh; }
  void SetTextTh(const String& Value) { FTextTh = Value; }
  String TextFr() const { return FTextFr; }
  void SetTextFr(const String& Value) { FTextFr = Value; }
  String TextSa() const { return FTextSa; }
  void SetTextSa(const String& Value) { FTextSa = Value; }
  const TNotifyEvent& OnSelected() const { return FOnSelected; }
  void SetOnSelected(const TNotifyEvent& Value) { FOnSelected = Value; }

  // The open time box (nil when none was opened), and the in-place editor
  // of the year and the month.
  TQuarnTimeBox* TimeBox() const { return FQuarnTimeBox; }
  TEdit* Editor() const { return FEdit; }

  QN_PUBLISHED(TQnDateTimePickerForm) {
    QN_METHOD(FormCreate);
    QN_METHOD(FormDestroy);
    QN_METHOD(FormShow);
    QN_METHOD(FormClose);
    QN_METHOD(btnDecYearClick);
    QN_METHOD(btnAddYearClick);
    QN_METHOD(btnDecMonthClick);
    QN_METHOD(btnAddMonthClick);
    QN_METHOD(lblYearClick);
    QN_METHOD(lblMonthClick);
    QN_METHOD(lblHourClick);
    QN_METHOD(btnClearClick);
    QN_METHOD(btnGoTodayClick);
    QN_METHOD(btnOKClick);
    QN_METHOD(qrnclndr1CellClick);
    QN_METHOD(qrnclndr1Changed);
  }

 protected:
  void CreateParams(TCreateParams& Params) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  template <class T>
  T* Part(const Char* Name);
  void FindParts();
  // Opens the in-place editor over Host, holding Value; Tag 1 is the year,
  // 2 the month.
  void StartEditing(TQuarnPanel* Host, Integer Value, Integer Tag);
  void EditKeyPress(TObject* Sender, Char& Key);
  void EditExit(TObject* Sender);
  void TimeBoxCellClick(TObject* Sender, TQnNumCell& Data);
  TLabel* TimeLabel(Integer Tag) const;

  TQuarnTimeBox* FQuarnTimeBox = nullptr;
  String FTextToday;
  String FTextTime;
  String FTextMinute;
  String FTextHour;
  String FTextClear;
  String FTextSecond;
  String FTextOK;
  TQnDateTimeKind FKind = tkDateTime;
  TDateTime FDateTime = 0;
  TNotifyEvent FOnSelected;
  TDate FMaxDate = 0;
  TDate FMinDate = 0;
  bool FAutoClose = true;
  String FTextSu, FTextMo, FTextTu, FTextWe, FTextTh, FTextFr, FTextSa;
  TEdit* FEdit = nullptr;
  // Set while the editor applies its value, so the exit its own hiding
  // causes does not apply it twice.
  bool FApplying = false;
};

// The drop-down form that is open, if any: one at a time for the process.
extern TQnDateTimePickerForm* QnDateTimePickerForm;

// The unit's initialisation: the form's classes and its text resource.
void InitQnDateTimePicker();

}  // namespace qn

#include "platform/rtl/MacroShieldEnd.h"
