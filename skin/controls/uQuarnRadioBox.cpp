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
    case BM_SETCHECK:
      TQuarnCustomControl::Dispatch(Message);
      Message.Result = FChecked ? 1 : 0;
      Invalidate();
      return;
    case WM_LBUTTONDOWN:
      TQuarnCustomControl::Dispatch(Message);
      if (CanFocus()) SetFocus();
      // The click that follows the press reports the change.
      if (!FChecked) {
        FChecked = true;
        TurnSiblingsOff();
        DoChanged();
        Invalidate();
      }
      return;
    case WM_LBUTTONUP:
      TQuarnCustomControl::Dispatch(Message);
      FPressed = false;
      Invalidate();
      return;
    case WM_KEYDOWN:
      TQuarnCustomControl::Dispatch(Message);
      if (Message.WParam == VK_SPACE) SetChecked(true);
      return;
    case WM_KEYUP:
      TQuarnCustomControl::Dispatch(Message);
      if (Message.WParam == VK_SPACE) Invalidate();
      return;
    case WM_MOUSEMOVE:
      TQuarnCustomControl::Dispatch(Message);
      if (FPressed) Invalidate();
      return;
    case CM_MOUSEENTER:
    case CM_MOUSELEAVE:
      TQuarnCustomControl::Dispatch(Message);
      FMouseInControl = Message.Msg == CM_MOUSEENTER;
      Invalidate();
      return;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      TQuarnCustomControl::Dispatch(Message);
      Invalidate();
      return;
    case CM_DIALOGCHAR:
      if (IsAccel(TWMKey(Message).CharCode(), Caption()) && CanFocus()) {
        SetFocus();
        Message.Result = 1;
        return;
      }
      TQuarnCustomControl::Dispatch(Message);
      return;
    case CN_COMMAND:
      switch (HIWORD(Message.WParam)) {
        case 0: SetChecked(true); break;
        case 4: DblClick(); break;
        default: break;
      }
      return;
    default: TQuarnCustomControl::Dispatch(Message);
  }
}

void TQuarnRadioBox::DrawBody(TBitmap32* Buffer) {
  Buffer->BeginUpdate();
  DrawStateBoxFace(this, Buffer, FPictures, FrameIndex(), FLight.get());
  Buffer->EndUpdate();
}

}  // namespace qn
