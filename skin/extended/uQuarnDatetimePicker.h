// uQuarnDatetimePicker: the library-drawn edit as a date and time field. A
// calendar icon at its right end drops the picker form down under the edit;
// the value picked there comes back as text, formatted by Format or by the
// system's date and time format. The edit is read-only by default; made
// writable, the text typed into it is read back as a date-time when it
// loses the focus.
#pragma once
#include "platform/rtl/MacroShield.h"

#include "skin/controls/uQuarnEdit.h"
#include "skin/extended/frmQnDateTimePicker.h"

namespace qn {

class TQuarnDatetimePicker : public TQuarnEdit {
  QN_CLASS_CREATE(TQuarnDatetimePicker, TQuarnEdit, TComponent)
 public:
  explicit TQuarnDatetimePicker(TComponent* AOwner);
  ~TQuarnDatetimePicker() override;

  // ---- virtual slots after the edit's
  // Writes the value into the text: by Format, else the system's date and
  // time (tkDateTime) or date (tkDate) text.
  virtual void ResetDateTimeText();
  // Reads typed text back into the value.
  virtual void CheckText();

  void SetText(const String& Value) override;

  // The whole value: the date of Date with the time of Time.
  TDateTime DateTime();
  TDateTime GetDateTime() { return DateTime(); }
  void SetDateTime(TDateTime Value);

  bool AutoClose() const { return FAutoClose; }
  void SetAutoClose(bool Value) { FAutoClose = Value; }
  TQnDateTimeKind Kind() const { return FKind; }
  void SetKind(TQnDateTimeKind Value);
  String Format() const { return FFormat; }
  void SetFormat(const String& Value);
  TDate Date() const { return FDate; }
  void SetDate(TDate Value);
  TTime Time() const { return FTime; }
  void SetTime(TTime Value);
  // The range the form's calendar gets when it opens (0: that end open). A
  // range whose ends cross is refused here, where it is set, rather than
  // by the form at the next press on the icon.
  TDate MaxDate() const { return FMaxDate; }
  void SetMaxDate(TDate Value);
  TDate MinDate() const { return FMinDate; }
  void SetMinDate(TDate Value);
  String DefineHourText() const { return FHourText; }
  void SetDefineHourText(const String& Value) { FHourText = Value; }
  String DefineMinuteText() const { return FMinuteText; }
  void SetDefineMinuteText(const String& Value) { FMinuteText = Value; }
  String DefineSecondsText() const { return FSecondsText; }
  void SetDefineSecondsText(const String& Value) { FSecondsText = Value; }
  String DefineClearText() const { return FDefineTextClear; }
  void SetDefineClearText(const String& Value) { FDefineTextClear = Value; }
  String DefineTodayText() const { return FDefineTextToday; }
  void SetDefineTodayText(const String& Value) { FDefineTextToday = Value; }
  String DefineOKText() const { return FDefineTextOK; }
  void SetDefineOKText(const String& Value) { FDefineTextOK = Value; }
  String DefineTimeText() const { return FDefineTextTime; }
  void SetDefineTimeText(const String& Value) { FDefineTextTime = Value; }
  String DefineSuText() const { return FDefineSuText; }
  void SetDefineSuText(const String& Value) { FDefineSuText = Value; }
  String DefineMoText() const { return FDefineMoText; }
  void SetDefineMoText(const String& Value) { FDefineMoText = Value; }
  String DefineTuText() const { return FDefineTuText; }
  void SetDefineTuText(const String& Value) { FDefineTuText = Value; }
  String DefineWeText() const { return FDefineWeText; }
  void SetDefineWeText(const String& Value) { FDefineWeText = Value; }
  String DefineThText() const { return FDefineThText; }
  void SetDefineThText(const String& Value) { FDefineThText = Value; }
  String DefineFrText() const { return FDefineFrText; }
  void SetDefineFrText(const String& Value) { FDefineFrText = Value; }
  String DefineSaText() const { return FDefineSaText; }
  void SetDefineSaText(const String& Value) { FDefineSaText = Value; }
  const TNotifyEvent& OnPickDone() const { return FOnPickDone; }
  void SetOnPickDone(const TNotifyEvent& Value) { FOnPickDone = Value; }

  // The drop-down form this edit has open, or nil.
  TQnDateTimePickerForm* DropDownForm() const { return FForm; }
  // Number of text rebuilds so far.
  Int64 ChangedCount() const { return FChangedCount; }

  QN_PUBLISHED_DECL(TQuarnDatetimePicker) {
    QN_PROP(AutoClose).Default(true);
    QN_PROP(Kind).Default(tkDateTime);
    QN_PROP(Format);
    QN_PROP(Date).TypeName(u"TDate");
    QN_PROP(Time).TypeName(u"TTime");
    QN_PROP(MaxDate).TypeName(u"TDate");
    QN_PROP(MinDate).TypeName(u"TDate");
    QN_PROP(DefineHourText);
    QN_PROP(DefineMinuteText);
    QN_PROP(DefineSecondsText);
    QN_PROP(DefineClearText);
    QN_PROP(DefineTodayText);
    QN_PROP(DefineOKText);
    QN_PROP(DefineTimeText);
    QN_PROP(DefineSuText);
    QN_PROP(DefineMoText);
    QN_PROP(DefineTuText);
    QN_PROP(DefineWeText);
    QN_PROP(DefineThText);
    QN_PROP(DefineFrText);
    QN_PROP(DefineSaText);
    QN_PROP(OnPickDone).TypeName(u"TNotifyEvent");
    QN_PROP(ReadOnly).Default(true);
    P.Property(u"Text", &TQuarnEdit::TextProp, &TQuarnEdit::SetTextProp).Stored(false);
  }

 protected:
  void Change() override;
  void DoExit() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;

  // The form's dialog reports a press outside the form.
  void DoMouseClickOutside(TObject* Sender);
  // The form reports a picked value.
  void DoSelected(TObject* Sender);

 private:
  // Rebuilds the text with typed-text checking off.
  void Rebuild();
  // Date and time parts of FDateTime into FDate and FTime.
  void Split();
  TQnEditItem* Item0() const;
  void OpenForm();

  TQnDateTimeKind FKind = tkDateTime;
  TDateTime FDateTime = 0;
  String FFormat;
  String FMinuteText, FSecondsText, FHourText;
  TNotifyEvent FOnPickDone;
  TDate FDate = 0;
  TDate FMaxDate = 0, FMinDate = 0;
  TTime FTime = 0;
  String FDefineTextTime, FDefineTextClear, FDefineTextOK, FDefineTextToday;
  bool FCheckText = true;
  bool FAutoClose = true;
  Int64 FChangedCount = 0;
  String FDefineSuText, FDefineTuText, FDefineThText, FDefineSaText, FDefineFrText, FDefineWeText, FDefineMoText;
  TQnDateTimePickerForm* FForm = nullptr;
  // The text as the control last wrote it: text equal to it is the value
  // itself and is not read back (reading would drop milliseconds, and the
  // time of a date-only text).
  String FOwnText;
  bool FOwnTextSet = false;
};

void InitQuarnDatetimePicker();

}  // namespace qn

#include "platform/rtl/MacroShieldEnd.h"
