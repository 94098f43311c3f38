#include "platform/vcl/StdCtrls.h"

#include "platform/vcl/Forms.h"

namespace vcl {

TButton::TButton(TComponent* AOwner) : TCustomControl(AOwner) {
  // No csDoubleClicks: a quick second press is a second click.
  FControlStyle = TControlStyle{csSetCaption, csClickEvents, csCaptureMouse, csOpaque};
  SetBounds(0, 0, 75, 25);
  SetTabStop(true);
  SetParentColor(false);
  SetColor(clBtnFace);
}

void TButton::SetDefault(bool Value) {
  if (FDefault == Value) return;
  FDefault = Value;
  // Without a focused button the default one is the one Enter clicks.
  TWinControl* root = GetRootControl(this);
  TWinControl* focused = root ? root->FocusedControl() : nullptr;
  if (!::vcl::Is<TButton>(focused)) {
    FActive = Value;
    Invalidate();
  }
}

void TButton::Click() {
  if (TCustomForm* form = GetParentForm(this)) form->SetModalResult(FModalResult);
  inherited::Click();
}

void TButton::SetPressed(bool Value) {
  if (FPressed == Value) return;
  FPressed = Value;
  Invalidate();
}

void TButton::KeyDown(Word& Key, TShiftState Shift) {
  inherited::KeyDown(Key, Shift);
  if (Key == VK_SPACE) {
    FSpaceDown = true;
    SetPressed(true);
  }
}

void TButton::KeyUp(Word& Key, TShiftState Shift) {
  inherited::KeyUp(Key, Shift);
  if (Key == VK_SPACE && FSpaceDown) {
    FSpaceDown = false;
    SetPressed(false);
    Click();
  }
}

void TButton::DoEnter() {
  inherited::DoEnter();
  Invalidate();
}

void TButton::DoExit() {
  FSpaceDown = false;
  SetPressed(false);
  inherited::DoExit();
  Invalidate();
}

void TButton::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  if (Button == mbLeft) {
    FMouseDown = true;
    if (CanFocus() && !Focused()) SetFocus();
    SetPressed(true);
  }
  inherited::MouseDown(Button, Shift, X, Y);
}

void TButton::MouseMove(TShiftState Shift, Integer X, Integer Y) {
  // Pushed in only while the pointer is over it.
  if (FMouseDown) SetPressed(X >= 0 && Y >= 0 && X < Width() && Y < Height());
  inherited::MouseMove(Shift, X, Y);
}

void TButton::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  if (Button == mbLeft) {
    FMouseDown = false;
    SetPressed(false);
  }
  inherited::MouseUp(Button, Shift, X, Y);
}

void TButton::Paint() {
  TCanvas* c = Canvas();
  HDC dc = c->Handle();
  RECT r(0, 0, Width(), Height());
  bool focused = Focused();
  // The button Enter would click wears a dark frame.
  if (FActive) {
    c->Brush()->SetColor(clWindowFrame);
    c->FrameRect(TRect(r.Left, r.Top, r.Right, r.Bottom));
    InflateRect(r, -1, -1);
  }
  UINT state = DFCS_BUTTONPUSH | (FPressed ? DFCS_PUSHED : 0) | (Enabled() ? 0 : DFCS_INACTIVE);
  DrawFrameControl(dc, &r, DFC_BUTTON, state);
  RECT text = r;
  if (FPressed) OffsetRect(text, 1, 1);
  c->Font()->Assign(Font());
  c->Brush()->SetStyle(TBrushStyle::bsClear);
  String caption = Caption();
  // Through the canvas, so the font and the transparent background are
  // selected into the DC first.
  const TTextFormat fmt{TTextFormats::tfCenter, TTextFormats::tfVerticalCenter, TTextFormats::tfSingleLine};
  auto draw = [&](const RECT& where) {
    TRect r2 = where;
    String t = caption;
    c->TextRect(r2, t, fmt);
  };
  if (Enabled()) {
    draw(text);
  } else {
    // Disabled text is embossed: a highlight one pixel down-right, the
    // shadow colour over it.
    RECT hi = text;
    OffsetRect(hi, 1, 1);
    c->Font()->SetColor(clBtnHighlight);
    draw(hi);
    c->Font()->SetColor(clBtnShadow);
    draw(text);
  }
  c->Brush()->SetStyle(TBrushStyle::bsSolid);
  if (focused) {
    RECT f = r;
    InflateRect(f, -4, -4);
    DrawFocusRect(c->Handle(), &f);
  }
}

void TButton::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_GETDLGCODE:
      // A button keeps no key from dialog navigation; Enter goes to the
      // form, which gives it to the active button.
      Message.Result = DLGC_BUTTON | (FActive ? DLGC_DEFPUSHBUTTON : DLGC_UNDEFPUSHBUTTON);
      return;
    case CM_DIALOGKEY: {
      TWMKey key(Message);
      if (((key.CharCode() == VK_RETURN && FActive) || (key.CharCode() == VK_ESCAPE && FCancel)) &&
          KeyDataToShiftState(key.KeyData()).Empty() && CanFocus()) {
        Click();
        Message.Result = 1;
        return;
      }
      break;
    }
    case CM_DIALOGCHAR: {
      TWMKey key(Message);
      if (IsAccel(key.CharCode(), Caption()) && CanFocus()) {
        Click();
        Message.Result = 1;
        return;
      }
      break;
    }
    case CM_FOCUSCHANGED: {
      // A focused button is the one Enter clicks; otherwise the default.
      TControl* sender = MessageControl(Message);
      bool active = ::vcl::Is<TButton>(sender) ? sender == this : FDefault;
      if (active != FActive) {
        FActive = active;
        Invalidate();
      }
      break;
    }
    case CM_TEXTCHANGED:
    case CM_ENABLEDCHANGED:
    case CM_FONTCHANGED:
      Invalidate();
      break;
    default: break;
  }
  inherited::Dispatch(Message);
}

}  // namespace vcl
