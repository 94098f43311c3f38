// The spin edit: bounds, steps by buttons, keys and a repeat timer, and the
// typed text taken as the value on Enter and on leaving.
#include "skin/controls/uQuarnSpinEdit.h"

#include <algorithm>
#include <cstdint>

#include "platform/rtl/SysUtils.h"
#include "skin/foundation/uQuarnResManager.h"

namespace qn {

namespace {

struct TSpinButton {
  Integer Y;
  const char16_t* Image;
  const char16_t* ImageHot;
  const char16_t* ImagePress;
};

constexpr TSpinButton kButtons[2] = {
    {1, u"QuarnSpin_normal_up", u"QuarnSpin_highlight_up", u"QuarnSpin_pushed_up"},
    {13, u"QuarnSpin_normal_down", u"QuarnSpin_highlight_down", u"QuarnSpin_pushed_down"}};

constexpr NativeInt kUp = 0, kDown = 1;

}  // namespace

TQuarnSpinEdit::TQuarnSpinEdit(TComponent* AOwner) : TQuarnPngEdit(AOwner) {
  FTimer = std::make_unique<uSimpleTimer::TSimpleTimer>();
  FTimer->SetInterval(150);
  FTimer->SetEnabled(false);
  FTimer->SetOnTimer(TNotifyEvent(this, &TQuarnSpinEdit::DoTimer));
  for (const TSpinButton& b : kButtons) {
    TQnEditItem* item = FItems->Add();
    item->SetKind(ikButton);
    item->Pos()->SetAlign(agRight);
    item->Pos()->SetX(24);
    item->Pos()->SetY(b.Y);
    item->SetImage(b.Image);
    item->SetImageHot(b.ImageHot);
    item->SetImagePress(b.ImagePress);
  }
  SetAutoSelect(false);
  FKeyInput = false;
  // Both bounds are 0 here, so this value is taken unbounded.
  FMinValue = FMaxValue = 0;
  SetValue(0);
  FMaxValue = 100;
  FMinValue = 0;
  FStepSize = 1;
}

TQuarnSpinEdit::~TQuarnSpinEdit() {
  // The repeat must not tick into a half-destroyed edit.
  FTimer.reset();
}

Integer TQuarnSpinEdit::CheckValue(Integer V) const {
  if (FMinValue == FMaxValue) return V;
  if (V < FMinValue) return FMinValue;
  if (V > FMaxValue) return FMaxValue;
  return V;
}

void TQuarnSpinEdit::SetValue(Integer V) {
  FValue = CheckValue(V);
  SetText(IntToStr(FValue));
}

Integer TQuarnSpinEdit::TextValue() const { return StrToIntDef(FText, 0); }

Integer TQuarnSpinEdit::GetValue() {
  if (FKeyInput) {
    FValue = TextValue();
    FKeyInput = false;
  }
  return FValue;
}

void TQuarnSpinEdit::SetMinValue(Integer Value) {
  FMinValue = Value;
  if (GetValue() < FMinValue) SetValue(FMinValue);
}

void TQuarnSpinEdit::SetMaxValue(Integer Value) {
  FMaxValue = Value;
  if (GetValue() > FMaxValue) SetValue(FMaxValue);
}

Integer TQuarnSpinEdit::Stepped(Int64 Delta) {
  const Int64 v = Int64(GetValue()) + Delta;
  return Integer(std::clamp<Int64>(v, INT32_MIN, INT32_MAX));
}

void TQuarnSpinEdit::spin_upClick(TObject*) {
  const Int64 v = Int64(GetValue()) + FStepSize;
  if (v > FMaxValue) return;
  SetValue(Integer(v));
  if (Assigned(FOnUpButtonClick)) FOnUpButtonClick(this);
}

void TQuarnSpinEdit::spin_downClick(TObject*) {
  const Int64 v = Int64(GetValue()) - FStepSize;
  if (v < FMinValue) return;
  SetValue(Integer(v));
  if (Assigned(FOnDownButtonClick)) FOnDownButtonClick(this);
}

void TQuarnSpinEdit::KeyDown(Word& Key, TShiftState Shift) {
  switch (Key) {
    case VK_RETURN:
      SetValue(TextValue());
      TQuarnPngEdit::KeyDown(Key, Shift);
      return;
    case VK_UP: SetValue(Stepped(FStepSize)); return;
    case VK_DOWN: SetValue(Stepped(-Int64(FStepSize))); return;
    default:
      FKeyInput = true;
      TQuarnPngEdit::KeyDown(Key, Shift);
  }
}

void TQuarnSpinEdit::KeyPress(Char& Key) {
  const bool accepted = (Key >= u'0' && Key <= u'9') || Key == u'+' || Key == u'-' || Key < 32;
  if (!accepted) {
    Key = 0;
    return;
  }
  FKeyInput = true;
  TQuarnPngEdit::KeyPress(Key);
}

void TQuarnSpinEdit::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  TQuarnPngEdit::MouseDown(Button, Shift, X, Y);
  if (FItems->Count() < 2) return;
  const TPoint p(X, Y);
  if (PtInRect(FItems->Items(0)->GetRect(), p)) {
    spin_upClick(this);
    FTimer->SetTag(kUp);
    FTimer->SetEnabled(true);
  } else if (PtInRect(FItems->Items(1)->GetRect(), p)) {
    spin_downClick(this);
    FTimer->SetTag(kDown);
    FTimer->SetEnabled(true);
  }
}

void TQuarnSpinEdit::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  TQuarnPngEdit::MouseUp(Button, Shift, X, Y);
  FTimer->SetEnabled(false);
}

void TQuarnSpinEdit::DoTimer(TObject*) {
  if (FTimer->Tag() == kUp) SetValue(Stepped(FStepSize));
  else SetValue(Stepped(-Int64(FStepSize)));
}

void TQuarnSpinEdit::DoEnter() {
  TQuarnPngEdit::DoEnter();
  FOldValue = FValue;
}

void TQuarnSpinEdit::DoExit() {
  TQuarnPngEdit::DoExit();
  SetValue(TextValue());
  if (FOldValue != FValue) Change();
}

void TQuarnSpinEdit::Dispatch(TMessage& Message) {
  if (Message.Msg == WM_SIZE) {
    WMSize(Message);
    return;
  }
  TQuarnPngEdit::Dispatch(Message);
}

void TQuarnSpinEdit::WMSize(TMessage& Message) {
  TQuarnPngEdit::Dispatch(Message);
  // With fixed margins the buttons keep their places; otherwise the pair is
  // centred in the height.
  if (FSpace->Active() || FItems->Count() < 2) return;
  TQuarnResManager* store = TQuarnResManagerObj();
  const auto height = [&](TQnEditItem* Item) {
    TQuarnImage* img = Item->Image().empty() ? nullptr : store->GetImageByName(Item->Image());
    return img ? img->Height() : 0;
  };
  const Integer h0 = height(FItems->Items(0)), h1 = height(FItems->Items(1));
  const Integer y = (Height() - h0 - h1) / 2;
  FItems->Items(0)->Pos()->SetY(y);
  FItems->Items(1)->Pos()->SetY(y + h0);
}

void InitQuarnSpinEdit() { RegisterClasses({TQuarnSpinEdit::StaticClass()}); }

}  // namespace qn

QN_PUBLISHED_IMPL(qn::TQuarnSpinEdit)
