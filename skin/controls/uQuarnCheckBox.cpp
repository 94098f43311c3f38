#include "skin/controls/uQuarnCheckBox.h"

#include <cstring>
#include <mutex>

#include "platform/gdi/GdiText.h"
#include "platform/vcl/ControlMessages.h"
#include "skin/foundation/uQnComm.h"

namespace qn {

namespace {

// Frame Index of a strip of Count frames side by side, copied into one
// picture every box shares, held under StripLock until it is drawn:
// splitting the whole strip on each paint made and freed a picture per
// frame. Null where SpliteImg would give no frames.
TQuarnImage* StripFrame(const TQuarnImage* Strip, Integer Count, Integer Index) {
  if (!Strip || Strip->Empty() || Index < 0 || Index >= Count) return nullptr;
  const Integer fw = Strip->Width() / Count, h = Strip->Height();
  if (fw <= 0) return nullptr;
  static TQuarnImage* const frame = new TQuarnImage();
  frame->SetSize(fw, h);
  for (Integer y = 0; y < h; ++y)
    std::memcpy(frame->ScanLine(y), Strip->ScanLine(y) + Index * fw, static_cast<size_t>(fw) * sizeof(TColor32));
  return frame;
}

// Windows of other threads may paint boxes at the same time.
std::mutex StripLock;

}  // namespace

void DrawStateBoxFace(TControl* Control, TBitmap32* Buffer, const TQnResID& Pictures, Integer Index,
                      TQnLightClass* Light) {
  const Integer w = Control->Width(), h = Control->Height();
  const bool rtl = Control->UseRightToLeftAlignment();
  const TQuarnImage* strip = TQuarnResManagerObj()->GetImageByName(Pictures);
  Integer fw;
  {
    std::lock_guard<std::mutex> hold(StripLock);
    TQuarnImage* f = StripFrame(strip, 4, Index);
    if (!f) return;
    fw = f->Width();
    f->DrawTo(Buffer, rtl ? w - fw : 0, h / 2 - f->Height() / 2);
  }
  TRect r = rtl ? TRect(0, 0, w - fw - 3, h) : TRect(fw + 3, 0, w, h);
  const Cardinal format = rtl ? DT_VCENTER | DT_SINGLELINE | DT_RIGHT : DT_VCENTER | DT_SINGLELINE;
  const String text = Control->Caption();
  Buffer->Font()->Assign(Control->Font());
  if (Light && Light->Active()) {
    Buffer->Canvas()->Font()->Assign(Control->Font());
    DrawEffectText(Buffer->Canvas(), r, text, format, 0, Light->Color(), Light->BlurRadius(), false);
  }
  if (!Control->Enabled()) Buffer->Font()->SetColor(static_cast<TColor>(0x00D1D1D1));
  Buffer->Textout(r, format, text);
}

void StateBoxMessage(TQuarnCustomControl* Box, TMessage& Message, bool& MouseInControl, bool Pressed) {
  switch (Message.Msg) {
    case CM_DIALOGCHAR:
      if (IsAccel(TWMKey(Message).CharCode(), Box->Caption()) && Box->CanFocus()) {
        Box->SetFocus();
        Message.Result = 1;
        return;
      }
      Box->TQuarnCustomControl::Dispatch(Message);
      return;
    case WM_MOUSEMOVE:
      Box->TQuarnCustomControl::Dispatch(Message);
      if (Pressed) Box->Invalidate();
      return;
    case CM_MOUSEENTER:
    case CM_MOUSELEAVE:
      Box->TQuarnCustomControl::Dispatch(Message);
      MouseInControl = Message.Msg == CM_MOUSEENTER;
      Box->Invalidate();
      return;
    default:
      Box->TQuarnCustomControl::Dispatch(Message);
      Box->Invalidate();
  }
}

TQuarnCheckBox::TQuarnCheckBox(TComponent* AOwner) : TQuarnCustomControl(AOwner) {
  SetControlStyle(TControlStyle{csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks});
  FLight = std::make_unique<TQnLightClass>();
  SetTabStop(true);
  SetBounds(Left(), Top(), 113, 17);
}

void TQuarnCheckBox::SetChecked(bool Value) {
  if (FChecked == Value) return;
  FChecked = Value;
  Invalidate();
  DoChanged();
}

void TQuarnCheckBox::SetPictures(const TQnResID& Value) {
  if (FPictures == Value) return;
  FPictures = Value;
  Invalidate();
}

void TQuarnCheckBox::DoChanged() {
  if (FOnChanged) FOnChanged(this);
}

void TQuarnCheckBox::CreateWnd() {
  TQuarnCustomControl::CreateWnd();
  SendMessageW(Handle(), BM_SETCHECK, FChecked ? 1 : 0, 0);
}

void TQuarnCheckBox::Click() { TQuarnCustomControl::Click(); }

Integer TQuarnCheckBox::FrameIndex() const {
  if (FPressed) return 3;
  if (FChecked) return FMouseInControl ? 3 : 2;
  return FMouseInControl ? 1 : 0;
}

void TQuarnCheckBox::Dispatch(TMessage& Message) {
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
    default: TQuarnCustomControl::Dispatch(Message);
  }
}

// Answers the state; the message never changes it.
void TQuarnCheckBox::BMSetCheck(TMessage& Message) {
  TQuarnCustomControl::Dispatch(Message);
  Message.Result = FChecked ? 1 : 0;
  Invalidate();
}

void TQuarnCheckBox::WMLButtonDown(TMessage& Message) {
  TQuarnCustomControl::Dispatch(Message);
  if (CanFocus()) SetFocus();
  SetChecked(!FChecked);
}

void TQuarnCheckBox::WMLButtonUp(TMessage& Message) { TQuarnCustomControl::Dispatch(Message); }
void TQuarnCheckBox::WMLButtonDblClk(TMessage& Message) { TQuarnCustomControl::Dispatch(Message); }
void TQuarnCheckBox::WMKeyUp(TMessage& Message) { TQuarnCustomControl::Dispatch(Message); }

void TQuarnCheckBox::WMKeyDown(TMessage& Message) {
  TQuarnCustomControl::Dispatch(Message);
  if (Message.WParam != VK_SPACE) return;
  SetChecked(!FChecked);
  Invalidate();
}

void TQuarnCheckBox::WMMouseMove(TMessage& Message) { StateBoxMessage(this, Message, FMouseInControl, FPressed); }

void TQuarnCheckBox::CMMouseEnter(TMessage& Message) { StateBoxMessage(this, Message, FMouseInControl, FPressed); }

void TQuarnCheckBox::CMMouseLeave(TMessage& Message) { StateBoxMessage(this, Message, FMouseInControl, FPressed); }

void TQuarnCheckBox::WMSetFocus(TMessage& Message) { StateBoxMessage(this, Message, FMouseInControl, FPressed); }

void TQuarnCheckBox::WMKillFocus(TMessage& Message) { StateBoxMessage(this, Message, FMouseInControl, FPressed); }

void TQuarnCheckBox::CMDialogChar(TMessage& Message) { StateBoxMessage(this, Message, FMouseInControl, FPressed); }

void TQuarnCheckBox::DrawBody(TBitmap32* Buffer) {
  Buffer->BeginUpdate();
  DrawStateBoxFace(this, Buffer, FPictures, FrameIndex(), FLight.get());
  Buffer->EndUpdate();
}

}  // namespace qn

QN_PUBLISHED_IMPL(qn::TQuarnCheckBox)
