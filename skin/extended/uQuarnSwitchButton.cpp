#include "skin/extended/uQuarnSwitchButton.h"

#include "platform/vcl/ControlMessages.h"
#include "skin/foundation/uQnComm.h"

namespace qn {

namespace {

std::unique_ptr<TPngPictures> Strip(const TQnResID& Image) {
  auto P = std::make_unique<TPngPictures>();
  P->SetImage(Image);
  P->SetCount(3);
  P->SetNormal(0);
  P->SetHot(1);
  P->SetPressed(2);
  P->SetActive(true);
  return P;
}

}  // namespace

TQuarnSwitchButton::TQuarnSwitchButton(TComponent* AOwner) : TQuarnCustomControl(AOwner) {
  SetControlStyle(TControlStyle{csCaptureMouse, csClickEvents, csDoubleClicks});
  FImageOFF = Strip(u"QuarnSwitch_off");
  FImageON = Strip(u"QuarnSwitch_on");
  SetBounds(Left(), Top(), 34, 18);
  SetTabStop(true);
}

TQuarnSwitchButton::~TQuarnSwitchButton() = default;

void TQuarnSwitchButton::SetChecked(bool Value) {
  if (FChecked == Value) return;
  FChecked = Value;
  DoChange();
}

void TQuarnSwitchButton::DoChange() {
  Invalidate();
  if (FOnChanged) FOnChanged(this);
}

void TQuarnSwitchButton::DrawBody(TBitmap32* Buffer) {
  TPngPictures* Pictures = FChecked ? FImageON.get() : FImageOFF.get();
  TQuarnImage* Image = Pictures->Image().empty() ? nullptr : TQuarnResManagerObj()->GetImageByName(Pictures->Image());
  if (!Image) return;
  TDynQuarnImage Frames;
  SpliteImg(Image, Pictures->Count(), Frames);
  if (Frames.empty()) return;
  const Integer Index = FMouseDown ? Pictures->Pressed() : FMouseIn ? Pictures->Hot() : Pictures->Normal();
  try {
    if (Index >= 0 && Index < static_cast<Integer>(Frames.size())) {
      Frames[static_cast<size_t>(Index)]->SetDrawMode(TDrawMode::dmBlend);
      Frames[static_cast<size_t>(Index)]->DrawTo(Buffer, 0, 0);
    }
    if (FCustomDraw) FCustomDraw(this, Buffer);
  } catch (...) {
    FreeDynImg(Frames);
    throw;
  }
  FreeDynImg(Frames);
}

void TQuarnSwitchButton::WndProc(TMessage& Message) {
  if (FCanFocused) {
    if (Message.Msg == WM_KEYDOWN && Message.WParam == VK_SPACE) {
      SetChecked(!FChecked);
    } else if ((Message.Msg == WM_LBUTTONDOWN || Message.Msg == WM_LBUTTONDBLCLK) &&
               !ComponentState().Contains(csDesigning)) {
      if (HandleAllocated() && GetFocus() != Handle()) ::vcl::SetFocus(Handle());
    }
  }
  TQuarnCustomControl::WndProc(Message);
}

void TQuarnSwitchButton::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_LBUTTONDOWN: WMLButtonDown(Message); return;
    case WM_LBUTTONUP: WMLButtonUp(Message); return;
    case CM_MOUSEENTER: CMMouseEnter(Message); return;
    case CM_MOUSELEAVE: CMMouseLeave(Message); return;
    default: TQuarnCustomControl::Dispatch(Message);
  }
}

void TQuarnSwitchButton::WMLButtonDown(TMessage& Message) {
  TQuarnCustomControl::Dispatch(Message);
  FMouseDown = true;
  SetChecked(!FChecked);
}

void TQuarnSwitchButton::WMLButtonUp(TMessage& Message) {
  TQuarnCustomControl::Dispatch(Message);
  FMouseDown = false;
  Invalidate();
}

void TQuarnSwitchButton::CMMouseEnter(TMessage& Message) {
  TQuarnCustomControl::Dispatch(Message);
  FMouseIn = true;
  Invalidate();
}

void TQuarnSwitchButton::CMMouseLeave(TMessage& Message) {
  TQuarnCustomControl::Dispatch(Message);
  FMouseIn = false;
  Invalidate();
}

void InitQuarnSwitchButton() { RegisterClasses({TQuarnSwitchButton::StaticClass()}); }

}  // namespace qn

QN_PUBLISHED_IMPL(qn::TQuarnSwitchButton)
