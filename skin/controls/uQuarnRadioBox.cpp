#include "skin/controls/uQuarnRadioBox.h"

#include "platform/vcl/ControlMessages.h"

namespace qn {

TQuarnRadioBox::TQuarnRadioBox(TComponent* AOwner) : TQuarnCustomControl(AOwner) {
  SetControlStyle(TControlStyle{csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks});
  FLight = std::make_unique<TQnLightClass>();
  SetTabStop(true);
  SetBounds(Left(), Top(), 113, 17);
}

void TQuarnRadioBox::SetChecked(bool Value) {
  if (FChecked != Value) {
    FChecked = Value;
    FOldChecked = Value;
    if (Value) {
      TurnSiblingsOff();
      // Old and new state agree, so this reports nothing: only a press
      // clicks.
      Click();
    }
    DoChanged();
  }
  Invalidate();
}

void TQuarnRadioBox::SetPictures(const TQnResID& Value) {
  if (FPictures == Value) return;
  FPictures = Value;
  Invalidate();
}

void TQuarnRadioBox::DoChanged() {
  if (FOnChanged) FOnChanged(this);
}

void TQuarnRadioBox::TurnSiblingsOff() {
  TWinControl* p = Parent();
  if (!p) return;
  for (Integer i = 0; i < p->ControlCount(); ++i) {
    auto* r = dynamic_cast<TQuarnRadioBox*>(p->Controls(i));
    if (r && r != this && r->FGroupIndex == FGroupIndex) r->SetChecked(false);
  }
}

void TQuarnRadioBox::Click() {
  if (FChecked == FOldChecked) return;
  FOldChecked = FChecked;
  TQuarnCustomControl::Click();
}

void TQuarnRadioBox::CreateWnd() {
  TQuarnCustomControl::CreateWnd();
  SendMessageW(Handle(), BM_SETCHECK, FChecked ? 1 : 0, 0);
}

Integer TQuarnRadioBox::FrameIndex() const {
  if (FPressed) return 1;
  if (FChecked) return FMouseInControl ? 2 : 1;
  return FMouseInControl ? 3 : 0;
}

void TQuarnRadioBox::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case BM_SETCHECK: BMSetCheck(Message); return;
    case WM_LBUTTONDOWN: WMLButtonDown(Message); return;
    case WM_LBUTTONUP: WMLButtonUp(Message); return;
    case WM_LBUTTONDBLCLK: WMLButtonDblClk(Message); return;
    case WM_KEYDOWN: WMKeyDown(Message); return;
    case WM_KEYUP: WMKeyUp(Message); return;
    case WM_MOUSEMOVE: WMMouseMove(Message); return;
    case CM_MOUSEENTER: CMMouseEnter(Message); return;
    case CM_MOUSELEAVE: CMMouseLeave(Message); return;
    case WM_SETFOCUS: WMSetFocus(Message); return;
    case WM_KILLFOCUS: WMKillFocus(Message); return;
    case CM_DIALOGCHAR: CMDialogChar(Message); return;
    case CN_COMMAND: CNCommand(Message); return;
    default: TQuarnCustomControl::Dispatch(Message);
  }
}

void TQuarnRadioBox::BMSetCheck(TMessage& Message) {
  TQuarnCustomControl::Dispatch(Message);
  Message.Result = FChecked ? 1 : 0;
  Invalidate();
}

// A press checks, never unchecks; the click that follows the release
// reports the change.
void TQuarnRadioBox::WMLButtonDown(TMessage& Message) {
  TQuarnCustomControl::Dispatch(Message);
  if (CanFocus()) SetFocus();
  if (FChecked) return;
  FChecked = true;
  TurnSiblingsOff();
  DoChanged();
  Invalidate();
}

void TQuarnRadioBox::WMLButtonUp(TMessage& Message) {
  TQuarnCustomControl::Dispatch(Message);
  FPressed = false;
  Invalidate();
}

void TQuarnRadioBox::WMLButtonDblClk(TMessage& Message) { TQuarnCustomControl::Dispatch(Message); }

void TQuarnRadioBox::WMKeyDown(TMessage& Message) {
  TQuarnCustomControl::Dispatch(Message);
  if (Message.WParam == VK_SPACE) SetChecked(true);
}

void TQuarnRadioBox::WMKeyUp(TMessage& Message) {
  TQuarnCustomControl::Dispatch(Message);
  if (Message.WParam == VK_SPACE) Invalidate();
}

void TQuarnRadioBox::WMMouseMove(TMessage& Message) { StateBoxMessage(this, Message, FMouseInControl, FPressed); }

void TQuarnRadioBox::CMMouseEnter(TMessage& Message) { StateBoxMessage(this, Message, FMouseInControl, FPressed); }

void TQuarnRadioBox::CMMouseLeave(TMessage& Message) { StateBoxMessage(this, Message, FMouseInControl, FPressed); }

void TQuarnRadioBox::WMSetFocus(TMessage& Message) { StateBoxMessage(this, Message, FMouseInControl, FPressed); }

void TQuarnRadioBox::WMKillFocus(TMessage& Message) { StateBoxMessage(this, Message, FMouseInControl, FPressed); }

void TQuarnRadioBox::CMDialogChar(TMessage& Message) { StateBoxMessage(this, Message, FMouseInControl, FPressed); }

// The notifications of a native button: clicked checks, double-clicked
// reports a double click.
void TQuarnRadioBox::CNCommand(TMessage& Message) {
  switch (HIWORD(Message.WParam)) {
    case 0: SetChecked(true); break;
    case 4: DblClick(); break;
    default: break;
  }
}

void TQuarnRadioBox::DrawBody(TBitmap32* Buffer) {
  Buffer->BeginUpdate();
  DrawStateBoxFace(this, Buffer, FPictures, FrameIndex(), FLight.get());
  Buffer->EndUpdate();
}

}  // namespace qn

QN_PUBLISHED_IMPL(qn::TQuarnRadioBox)
