#include "skin/controls/uQnCustomButton.h"

#include "platform/gdi/GdiText.h"
#include "platform/vcl/ControlMessages.h"
#include "skin/foundation/uQnComm.h"

namespace qn {

void TQnBtnItemOffset::Assign(TPersistent* Source) {
  if (auto* s = dynamic_cast<TQnBtnItemOffset*>(Source)) {
    SetX(s->FX);
    SetY(s->FY);
    return;
  }
  TPersistent::Assign(Source);
}

void TQnBtnItemOffset::SetX(Integer Value) {
  if (FX == Value) return;
  FX = Value;
  if (FOwner) FOwner->Invalidate();
}

void TQnBtnItemOffset::SetY(Integer Value) {
  if (FY == Value) return;
  FY = Value;
  if (FOwner) FOwner->Invalidate();
}

// ---------------------------------------------------------------------------

TQuarnCustomButton::TQuarnCustomButton(TComponent* AOwner) : TQuarnCustomControl(AOwner) {
  // No automatic click events: the button's own handlers decide when a
  // press is a click.
  SetControlStyle(TControlStyle{csCaptureMouse, csSetCaption, csDoubleClicks, csReplicatable, csReflector});
  FHotFont = std::make_unique<TFont>();
  FLayers = std::make_unique<TPngPictures>();
  FLayers->SetPicturesChanged(TNotifyEvent(this, &TQuarnCustomButton::PictureChanged));
  FPictures = std::make_unique<TPngPictures>();
  FPictures->SetPicturesChanged(TNotifyEvent(this, &TQuarnCustomButton::PictureChanged));
  FDropdownMenuPictures = std::make_unique<TPngPictures>();
  FDropdownMenuPictures->SetImage(u"QuarnDropdownMenu");
  FDropdownMenuPictures->SetCount(4);
  SetTabStop(true);
  SetAutoInvalidate(true);
  SetBounds(Left(), Top(), 75, 25);
  FImageOffset = std::make_unique<TQnBtnItemOffset>(this);
  FCaptionOffset = std::make_unique<TQnBtnItemOffset>(this);
  FLayersOffset = std::make_unique<TQnBtnItemOffset>(this);
  FDropdownMenuOffset = std::make_unique<TQnDropdownOffset>(this);
  FTimer = std::make_unique<uSimpleTimer::TSimpleTimer>();
  FTimer->SetInterval(10);
  FTimer->SetOnTimer(TNotifyEvent(this, &TQuarnCustomButton::RepeatTimer));
  FActiveCycleDown = std::make_unique<uSimpleTimer::TSimpleTimer>();
  FActiveCycleDown->SetInterval(300);
  FActiveCycleDown->SetOnTimer(TNotifyEvent(this, &TQuarnCustomButton::HoldTimer));
}

TQuarnCustomButton::~TQuarnCustomButton() {
  FTimer->SetEnabled(false);
  FActiveCycleDown->SetEnabled(false);
}

void TQuarnCustomButton::PictureChanged(TObject*) {
  FPictureChanged = true;
  Invalidate();
}

void TQuarnCustomButton::SetCaptionVisible(bool Value) {
  FCaptionVisible = Value;
  Invalidate();
}

void TQuarnCustomButton::SetGroupIndex(Integer Value) {
  FGroupIndex = Value;
  Invalidate();
}

void TQuarnCustomButton::SetLayerMode(bool Value) {
  if (FLayerMode == Value) return;
  FLayerMode = Value;
  Invalidate();
}

void TQuarnCustomButton::SetStreach(bool Value) {
  if (FStreach == Value) return;
  FStreach = Value;
  Invalidate();
}

void TQuarnCustomButton::SetShowFocusFrame(bool Value) {
  if (FShowFocusFrame == Value) return;
  FShowFocusFrame = Value;
  Invalidate();
}

void TQuarnCustomButton::SetImageOffset(TQnBtnItemOffset* Value) {
  if (Value) FImageOffset->Assign(Value);
  Invalidate();
}

void TQuarnCustomButton::SetCaptionOffset(TQnBtnItemOffset* Value) {
  if (Value) FCaptionOffset->Assign(Value);
  Invalidate();
}

void TQuarnCustomButton::SetLayersOffset(TQnBtnItemOffset* Value) {
  if (Value && (Value->X() != FLayersOffset->X() || Value->Y() != FLayersOffset->Y())) FLayersOffset->Assign(Value);
  Invalidate();
}

void TQuarnCustomButton::SetDropdownMenu(TPopupMenu* Value) {
  if (FDropdownMenu == Value) return;
  if (FDropdownMenu) FDropdownMenu->RemoveFreeNotification(this);
  FDropdownMenu = Value;
  if (FDropdownMenu) FDropdownMenu->FreeNotification(this);
  ResetDropdownMenuRect();
  Invalidate();
}

void TQuarnCustomButton::ResetDropdownMenuRect() {
  if (!FDropdownMenu) {
    FDropdownMenuRect = TRect();
    return;
  }
  FDropdownMenuRect = ClientRect();
  FDropdownMenuRect.Left = FDropdownMenuRect.Right - FDropdownMenuPictures->GetSingleWidth() - 2;
}

Integer TQuarnCustomButton::DropdownMenuWidth() const {
  return FDropdownMenu ? FDropdownMenuRect.Right - FDropdownMenuRect.Left : 0;
}

bool TQuarnCustomButton::InDropdownRect(Integer X, Integer Y) const {
  const TRect& r = FDropdownMenuRect;
  return FDropdownMenu && X >= r.Left && Y >= r.Top && X < r.Right && Y < r.Bottom;
}

void TQuarnCustomButton::SetDown(bool Value) {
  if (FDown == Value) return;
  FDown = Value;
  if (Value) TurnSiblingsOff();
  Invalidate();
}

void TQuarnCustomButton::TurnSiblingsOff() {
  TWinControl* p = Parent();
  if (!p) return;
  for (Integer i = 0; i < p->ControlCount(); ++i) {
    auto* b = dynamic_cast<TQuarnCustomButton*>(p->Controls(i));
    if (b && b != this && b->FGroupIndex == FGroupIndex) b->SetDown(false);
  }
}

void TQuarnCustomButton::SetDefault(bool Value) {
  FDefault = Value;
  if (!HandleAllocated() || !FCanFocused) return;
  // Every button of the form re-decides which one Enter clicks.
  if (TCustomForm* f = GetParentForm(this))
    f->Perform(CM_FOCUSCHANGED, 0, ControlParam(f->ActiveControl()));
}

void TQuarnCustomButton::CreateWnd() {
  TQuarnCustomControl::CreateWnd();
  FActive = FDefault;
}

void TQuarnCustomButton::ScaleControlsForDpi(Integer NewPPI) {
  TQuarnCustomControl::ScaleControlsForDpi(NewPPI);
  ResetDropdownMenuRect();
}

void TQuarnCustomButton::Notification(TComponent* AComponent, TOperation Operation) {
  TQuarnCustomControl::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FDropdownMenu) {
    FDropdownMenu = nullptr;
    ResetDropdownMenuRect();
    Invalidate();
  }
}

void TQuarnCustomButton::Click() {
  FLastClick = GetTickCount64();
  if (FCanFocused) {
    TCustomForm* f = GetParentForm(this);
    if (f && f->FormState().Contains(fsModal)) f->SetModalResult(FModalResult);
  }
  FSkipNextClick = false;
  TQuarnCustomControl::Click();
}

// ---- mouse ----------------------------------------------------------------

void TQuarnCustomButton::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_MOUSEMOVE: WMMouseMove(Message); return;
    case WM_LBUTTONDOWN: WMLButtonDown(Message); return;
    case WM_LBUTTONUP: WMLButtonUp(Message); return;
    case WM_SIZE: WMSize(Message); return;
    case CM_MOUSEENTER: CMMouseEnter(Message); return;
    case CM_MOUSELEAVE: CMMouseLeave(Message); return;
    case CM_FONTCHANGED: CMFONTCHANGED(Message); return;
    case CM_DIALOGCHAR: CMDialogChar(Message); return;
    case CM_DIALOGKEY: CMDialogKey(Message); return;
    case CM_FOCUSCHANGED: CMFocusChanged(Message); return;
    default: TQuarnCustomControl::Dispatch(Message);
  }
}

void TQuarnCustomButton::CMMouseEnter(TMessage& Message) {
  TQuarnCustomControl::Dispatch(Message);
  if (FIgnoreMouse || Designing()) return;
  // Forwarded notifications of hosted controls are not this button's.
  if (Message.LParam && MessageControl(Message) != this) return;
  FMouseIn = true;
  Invalidate();
}

void TQuarnCustomButton::CMMouseLeave(TMessage& Message) {
  TQuarnCustomControl::Dispatch(Message);
  if (FIgnoreMouse || Designing()) return;
  if (Message.LParam && MessageControl(Message) != this) return;
  FMouseDown = false;
  FMouseIn = false;
  FMouseInDropdownMenuRect = false;
  FPressedInDropdownMenuRect = false;
  Invalidate();
}

void TQuarnCustomButton::WMMouseMove(TMessage& Message) {
  TQuarnCustomControl::Dispatch(Message);
  if (FIgnoreMouse || !FDropdownMenu) return;
  const bool in = InDropdownRect(GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam));
  if (in == FMouseInDropdownMenuRect) return;
  FMouseInDropdownMenuRect = in;
  if (HandleAllocated()) {
    RECT r = FDropdownMenuRect;
    InvalidateRect(Handle(), &r, false);
  }
}

void TQuarnCustomButton::OpenDropdownMenu() {
  FPressedInDropdownMenuRect = true;
  Invalidate();
  TPoint p(Left() + FDropdownMenuOffset->X(), Top() + Height() + FDropdownMenuOffset->Y());
  if (TWinControl* parent = Parent()) p = parent->ClientToScreen(p);
  // Blocks until the menu closes; the press that opened it is spent.
  if (FDropdownMenu) FDropdownMenu->Popup(p.X, p.Y);
  FSkipNextClick = true;
  SetDown(false);
}

void TQuarnCustomButton::WMLButtonDown(TMessage& Message) {
  TQuarnCustomControl::Dispatch(Message);
  if (FIgnoreMouse) return;
  const Integer x = GET_X_LPARAM(Message.LParam), y = GET_Y_LPARAM(Message.LParam);
  if (FMouseInDropdownMenuRect) {
    OpenDropdownMenu();
  } else if (!InDropdownRect(x, y) && !FSkipNextClick) {
    const bool menu = !OnClick() && FDropdownMenu;
    FActiveCycleDown->SetEnabled(true);
    FMouseDown = true;
    // Outside a group there is nothing for AllowAllUp to toggle; honouring
    // it would leave the press without Down and so the release without a
    // click.
    const bool allowAllUp = FAllowAllUp && FGroupIndex != 0;
    if (!FDown && !allowAllUp) {
      FMouseIn = true;
      SetDown(true);
    }
    if (menu) OpenDropdownMenu();
  } else {
    FSkipNextClick = false;
  }
}

void TQuarnCustomButton::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  TQuarnCustomControl::MouseDown(Button, Shift, X, Y);
  if (FGroupIndex > 0 && !FDown && !FAllowAllUp) SetDown(true);
}

void TQuarnCustomButton::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  TQuarnCustomControl::MouseUp(Button, Shift, X, Y);
}

void TQuarnCustomButton::WMLButtonUp(TMessage& Message) {
  TQuarnCustomControl::Dispatch(Message);
  if (FIgnoreMouse) return;
  FTimer->SetEnabled(false);
  FActiveCycleDown->SetEnabled(false);
  FMouseDown = false;
  const bool wasDown = FDown;
  POINT cursor;
  GetCursorPos(&cursor);
  FMouseIn = HandleAllocated() && WindowFromPoint(cursor) == Handle();
  if (FGroupIndex == 0) {
    if (FMouseIn) {
      SetDown(false);
      if (wasDown) Click();
    } else {
      FDown = false;
    }
  } else if (FMouseIn) {
    SetDown(FAllowAllUp ? !FDown : true);
    Click();
  }
  FSkipNextClick = false;
  if (HandleAllocated() && Visible()) Invalidate();
  if (FDropdownMenu) {
    FPressedInDropdownMenuRect = false;
    Invalidate();
  }
}

void TQuarnCustomButton::WMSize(TMessage& Message) {
  TQuarnCustomControl::Dispatch(Message);
  ResetDropdownMenuRect();
}

void TQuarnCustomButton::HoldTimer(TObject*) {
  FActiveCycleDown->SetEnabled(false);
  FTimer->SetEnabled(true);
}

void TQuarnCustomButton::RepeatTimer(TObject*) {
  if (FCycleDownClick && FOnCycleDownClick) FOnCycleDownClick(this);
}

// ---- keys and focus -------------------------------------------------------

void TQuarnCustomButton::WndProc(TMessage& Message) {
  TQuarnCustomControl::WndProc(Message);
  if (!FCanFocused) return;
  switch (Message.Msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      if (!FIgnoreMouse && !Designing() && !Focused() && CanFocus()) {
        FClicksDisabled = true;
        SetFocus();
        FClicksDisabled = false;
      }
      break;
    case WM_KEYDOWN:
      if (Message.WParam == VK_SPACE) SetDown(true);
      else if (Message.WParam == VK_RETURN) Click();
      break;
    case WM_KEYUP:
      if (Message.WParam == VK_SPACE) {
        SetDown(false);
        Click();
      }
      break;
    default: break;
  }
}

void TQuarnCustomButton::CMDialogChar(TMessage& Message) {
  TWMKey key(Message);
  if (IsAccel(key.CharCode(), Caption()) && CanFocus() && FCanFocused) {
    // A held accelerator repeats; only one click per 100 ms gets through
    // unless the button repeats on purpose.
    const UInt64 now = GetTickCount64();
    if (now - FLastClick > 100 || FCycleDownClick) Click();
    Message.Result = 1;
    return;
  }
  TQuarnCustomControl::Dispatch(Message);
}

void TQuarnCustomButton::CMDialogKey(TMessage& Message) {
  TWMKey key(Message);
  if (key.CharCode() == VK_RETURN && FActive && Enabled()) {
    Click();
    Message.Result = 1;
    return;
  }
  if (key.CharCode() == VK_ESCAPE && FCancel && FCanFocused && KeyDataToShiftState(key.KeyData()).Empty() &&
      CanFocus()) {
    Click();
    Message.Result = 1;
    return;
  }
  TQuarnCustomControl::Dispatch(Message);
}

void TQuarnCustomButton::CMFocusChanged(TMessage& Message) {
  TControl* c = MessageControl(Message);
  auto* button = dynamic_cast<TQuarnCustomButton*>(c);
  FActive = button ? button == this : FDefault;
  if (FCanFocused && FDefault) {
    if (button && button != this && FMouseIn) {
      FMouseIn = false;
      Invalidate();
    } else if (!button && !FMouseIn) {
      Invalidate();
    }
  }
  TQuarnCustomControl::Dispatch(Message);
}

void TQuarnCustomButton::CMFONTCHANGED(TMessage& Message) {
  TQuarnCustomControl::Dispatch(Message);
  Invalidate();
}

// ---- drawing --------------------------------------------------------------

namespace {
Integer StateIndex(const TQuarnCustomButton* Button, TPngPictures* Strip, bool UseDisabled) {
  if (!Strip->Active()) return -1;
  if (Button->IsHot()) return Strip->Hot();
  if (UseDisabled && !Button->Enabled()) return Strip->Disable();
  if (Button->IsPressed()) return Strip->Pressed();
  return Strip->Normal();
}
}  // namespace

bool TQuarnCustomButton::StateFrame(TPngPictures* Strip, TQuarnImage* Image, bool UseDisabled) {
  const Integer i = StateIndex(this, Strip, UseDisabled);
  return i >= 0 && Strip->GetFrame(i, Image);
}

bool TQuarnCustomButton::StateFrameRect(TPngPictures* Strip, TQuarnImage*& Source, TRect& Rect, bool UseDisabled) {
  const Integer i = StateIndex(this, Strip, UseDisabled);
  return i >= 0 && Strip->FrameRect(i, Source, Rect);
}

void TQuarnCustomButton::DrawStateCaption(TBitmap32* Buffer, TRect R) {
  TFont* font = IsHot() ? FHotFont.get() : Font();
  Buffer->Font()->Assign(font);
  if (!Enabled()) Buffer->Font()->SetColor(static_cast<TColor>(0x00B2B2B2));
  Cardinal format = DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_WORDBREAK;
  const String text = Caption();
  if (FWordWrap) {
    format = DT_CENTER | DT_VCENTER | DT_WORDBREAK;
    Buffer->Canvas()->Font()->Assign(Buffer->Font());
    Buffer->Canvas()->TextExtent(String());
    RECT m(0, 0, R.Right - R.Left, 0);
    String t = text;
    DrawTextW(Buffer->Canvas()->Handle(), t.data(), Integer(t.size()), &m, format | DT_CALCRECT);
    R.Top = ((R.Bottom - R.Top) - (m.Bottom - m.Top)) / 2;
  }
  Buffer->Textout(R, format, text);
}

void TQuarnCustomButton::FinishFace(TBitmap32* Buffer, bool FocusFrame) {
  if (Designing()) Buffer->FrameRectTS(0, 0, Width(), Height(), 0xB017B4BBu);
  if (FocusFrame) DrawFocusFrame(Buffer);
  if (FOnCustomPaint) FOnCustomPaint(this, Buffer);
}

void TQuarnCustomButton::DrawBody(TBitmap32* Buffer) {
  Buffer->BeginUpdate();
  TRect image = ClientRect(), caption = ClientRect();
  image.Left += FImageOffset->X();
  image.Top += FImageOffset->Y();
  caption.Left += FCaptionOffset->X();
  caption.Top += FCaptionOffset->Y();
  TQuarnImage frame;
  const bool got = StateFrame(FPictures.get(), &frame);
  if (!IsHot() && Enabled() && IsPressed()) {
    image.Left += FPressedOffset;
    caption.Left += FPressedOffset + 1;
    caption.Bottom += FPressedOffset;
  }
  if (got) {
    if (FStreach) frame.DrawTo(Buffer, ClientRect());
    else frame.DrawTo(Buffer, image.Left, image.Top);
  }
  if (FLayerMode) DrawLayers(Buffer);
  DrawDropdownMenu(Buffer);
  if (FCaptionVisible) DrawStateCaption(Buffer, caption);
  FinishFace(Buffer, true);
  Buffer->EndUpdate();
}

void TQuarnCustomButton::DrawLayers(TBitmap32* Buffer) {
  TQuarnImage frame;
  if (!StateFrame(FLayers.get(), &frame)) return;
  Integer x = FLayersOffset->X(), y = FLayersOffset->Y();
  if (IsPressed() && !IsHot()) {
    x += FPressedOffset;
    y += FPressedOffset;
  }
  frame.DrawTo(Buffer, x, y);
}

void TQuarnCustomButton::DrawDropdownMenu(TBitmap32* Buffer) {
  if (!FDropdownMenu) return;
  TQuarnImage frame;
  bool got;
  if (FPressedInDropdownMenuRect) got = FDropdownMenuPictures->GetPressedImage(&frame);
  else if (FMouseInDropdownMenuRect) got = FDropdownMenuPictures->GetHotImage(&frame);
  else got = FDropdownMenuPictures->GetNormalImage(&frame);
  if (!got) return;
  std::unique_ptr<TQuarnImage> band(SpliteImgCenterPart(&frame, Height() - 4, frame.Width()));
  if (!band) return;
  band->DrawTo(Buffer, FDropdownMenuRect.Left, (Height() - band->Height()) / 2);
}

}  // namespace qn

QN_PUBLISHED_IMPL(qn::TQnBtnItemOffset)
QN_PUBLISHED_IMPL(qn::TQnDropdownOffset)
