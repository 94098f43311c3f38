// uQuarnSpinEdit: the library-drawn edit holding a whole number, with an up
// and a down image button inside its right edge. Buttons, the Up and Down
// keys and a held button step the value within its bounds; typed text
// becomes the value on Enter or when the edit loses the focus.
#pragma once
#include "platform/rtl/MacroShield.h"

#include <memory>

#include "skin/controls/uQuarnEdit.h"

namespace qn {

class TQuarnSpinEdit : public TQuarnPngEdit {
  QN_CLASS_CREATE(TQuarnSpinEdit, TQuarnPngEdit, TComponent)
 public:
  explicit TQuarnSpinEdit(TComponent* AOwner);
  ~TQuarnSpinEdit() override;

  // V itself when the bounds are equal (then there are none), else V
  // clamped into them.
  Integer CheckValue(Integer V) const;
  void SetValue(Integer V);
  // The typed text is read once after typing (0 when it is no number).
  Integer GetValue();
  Integer Value() { return GetValue(); }
  Integer MinValue() const { return FMinValue; }
  void SetMinValue(Integer Value);
  Integer MaxValue() const { return FMaxValue; }
  void SetMaxValue(Integer Value);
  Integer StepSize() const { return FStepSize; }
  void SetStepSize(Integer Value) { FStepSize = Value; }
  const TNotifyEvent& OnUpButtonClick() const { return FOnUpButtonClick; }
  void SetOnUpButtonClick(const TNotifyEvent& Value) { FOnUpButtonClick = Value; }
  const TNotifyEvent& OnDownButtonClick() const { return FOnDownButtonClick; }
  void SetOnDownButtonClick(const TNotifyEvent& Value) { FOnDownButtonClick = Value; }

  // A step by the buttons: only inside the bounds, then the button's event.
  void spin_upClick(TObject* Sender);
  void spin_downClick(TObject* Sender);

  void Dispatch(TMessage& Message) override;

  String TextProp() const { return FText; }
  void SetTextProp(const String& Value) { SetText(Value); }
  Integer MaxLengthProp() { return GetMaxLength(); }
  void SetMaxLengthProp(Integer Value) { SetMaxLength(Value); }
  Integer ValueProp() { return GetValue(); }

  QN_PUBLISHED_DECL(TQuarnSpinEdit) {
    QN_PROP(MinValue).Default(0);
    QN_PROP(MaxValue).Default(100);
    QN_PROP(StepSize).Default(1);
    P.Property(u"Value", &TQuarnSpinEdit::ValueProp, &TQuarnSpinEdit::SetValue).Default(0);
    QN_PROP(OnUpButtonClick).TypeName(u"TNotifyEvent");
    QN_PROP(OnDownButtonClick).TypeName(u"TNotifyEvent");
    P.Property(u"Font", &TControl::Font, &TControl::SetFont).Stored(&TControl::IsFontStored);
    QN_PROP(FontHint);
    QN_PROP(BorderNormal).TypeName(u"TQnResID");
    QN_PROP(BorderHot).TypeName(u"TQnResID");
    QN_PROP(ReadOnly).Default(false);
    P.Property(u"Text", &TQuarnSpinEdit::TextProp, &TQuarnSpinEdit::SetTextProp);
    P.Property(u"MaxLength", &TQuarnSpinEdit::MaxLengthProp, &TQuarnSpinEdit::SetMaxLengthProp).Default(0);
    QN_PROP(EdItems);
    QN_PROP(Space);
    QN_PROP(OnChange).TypeName(u"TNotifyEvent");
    QN_EDIT_CONTROL_PROPS(P);
  }

 protected:
  void KeyDown(Word& Key, TShiftState Shift) override;
  void KeyPress(Char& Key) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void DoEnter() override;
  void DoExit() override;
  void WMSize(TMessage& Message);
  void DoTimer(TObject* Sender);
  // GetValue + Delta, saturated to the integer range before the bounds
  // (so a step past the largest integer does not wrap to the smallest).
  Integer Stepped(Int64 Delta);
  // The text as a number, 0 when it is none.
  Integer TextValue() const;

  Integer FValue = 0;
  Integer FMinValue = 0;
  Integer FMaxValue = 100;
  Integer FStepSize = 1;
  std::unique_ptr<uSimpleTimer::TSimpleTimer> FTimer;
  bool FKeyInput = false;
  Integer FOldValue = 0;
  TNotifyEvent FOnUpButtonClick;
  TNotifyEvent FOnDownButtonClick;
};

void InitQuarnSpinEdit();

}  // namespace qn

#include "platform/rtl/MacroShieldEnd.h"
