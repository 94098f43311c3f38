// The label, the check box, the radio button and the group box.
#include <algorithm>

#include "platform/rtl/SysUtils.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/StdCtrls.h"
#include "platform/vcl/Themes.h"

namespace vcl {

namespace {
// Measured on a DC of the screen: the control may have no window yet.
Integer LineHeight(TFont* Font) {
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, Font->Handle());
  TEXTMETRICW tm;
  GetTextMetricsW(dc, &tm);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  return tm.tmHeight;
}
}  // namespace

// ---------------------------------------------------------------------------
// TCustomLabel

TCustomLabel::TCustomLabel(TComponent* AOwner) : TGraphicControl(AOwner) {
  // A label answers presses like any control: OnClick, OnDblClick, and the
  // pointer held from press to release.
  FControlStyle = FControlStyle + TControlStyle{csReplicatable, csCaptureMouse, csClickEvents, csDoubleClicks};
  SetBounds(0, 0, 65, 17);
  SetAutoSize(true);
}

void TCustomLabel::SetAlignment(TAlignment Value) {
  if (FAlignment == Value) return;
  FAlignment = Value;
  Invalidate();
}

void TCustomLabel::SetLayout(TTextLayout Value) {
  if (FLayout == Value) return;
  FLayout = Value;
  Invalidate();
}

void TCustomLabel::SetShowAccelChar(bool Value) {
  if (FShowAccelChar == Value) return;
  FShowAccelChar = Value;
  AdjustBounds();
  Invalidate();
}

void TCustomLabel::SetWordWrap(bool Value) {
  if (FWordWrap == Value) return;
  FWordWrap = Value;
  AdjustBounds();
  Invalidate();
}

void TCustomLabel::SetTransparent(bool Value) {
  if (FTransparent == Value) return;
  FTransparent = Value;
  Invalidate();
}

void TCustomLabel::SetFocusControl(TWinControl* Value) {
  if (FFocusControl == Value) return;
  if (FFocusControl) FFocusControl->RemoveFreeNotification(this);
  FFocusControl = Value;
  if (Value) Value->FreeNotification(this);
}

void TCustomLabel::Notification(TComponent* AComponent, TOperation Operation) {
  inherited::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FFocusControl) FFocusControl = nullptr;
}

void TCustomLabel::SetAutoSize(bool Value) {
  inherited::SetAutoSize(Value);
  AdjustBounds();
}

UINT TCustomLabel::DrawTextFlags() const {
  static const UINT align[] = {DT_LEFT, DT_RIGHT, DT_CENTER};
  UINT f = DT_EXPANDTABS | align[size_t(FAlignment)];
  f |= FWordWrap ? DT_WORDBREAK : 0;
  if (!FShowAccelChar) f |= DT_NOPREFIX;
  return f;
}

void TCustomLabel::DoDrawText(TRect& Rect, UINT Flags) {
  HDC dc = Canvas()->Handle();
  Canvas()->Font()->Assign(Font());
  DoDrawText(dc, Rect, Flags);
}

void TCustomLabel::DoDrawText(HDC dc, TRect& Rect, UINT Flags) {
  String text = Caption();
  // An empty caption still measures one line.
  if ((Flags & DT_CALCRECT) && (text.empty() || (FShowAccelChar && text == u"&"))) text = u" ";
  HGDIOBJ old = SelectObject(dc, Font()->Handle());
  SetBkMode(dc, TRANSPARENT);
  RECT r = Rect;
  if (!Enabled() && !(Flags & DT_CALCRECT)) {
    // Embossed, as disabled text is drawn everywhere else.
    RECT hi = r;
    OffsetRect(hi, 1, 1);
    SetTextColor(dc, ColorToColorRef(clBtnHighlight));
    DrawTextW(dc, text.c_str(), int(text.size()), &hi, Flags);
    SetTextColor(dc, ColorToColorRef(clBtnShadow));
  } else {
    SetTextColor(dc, ColorToColorRef(Font()->Color()));
  }
  DrawTextW(dc, text.c_str(), int(text.size()), &r, Flags);
  SelectObject(dc, old);
  Rect = r;
}

void TCustomLabel::Paint() {
  TCanvas* c = Canvas();
  TRect client(0, 0, Width(), Height());
  if (!FTransparent) {
    c->Brush()->SetColor(Color());
    c->Brush()->SetStyle(TBrushStyle::bsSolid);
    c->FillRect(client);
  }
  TRect r = client;
  UINT flags = DrawTextFlags();
  if (FLayout != tlTop) {
    TRect calc = client;
    DoDrawText(calc, flags | DT_CALCRECT);
    Integer dy = client.Height() - calc.Height();
    r.Top += FLayout == tlBottom ? dy : dy / 2;
  }
  DoDrawText(r, flags);
}

void TCustomLabel::Loaded() {
  inherited::Loaded();
  // Sized to the caption in the font it ended with, not the size stored.
  AdjustBounds();
}

void TCustomLabel::AdjustBounds() {
  if (!AutoSize() || ComponentState().Contains(csLoading)) return;
  TRect r(0, 0, FWordWrap ? Width() : 0, 0);
  // Measured on a DC of the screen: the label may have no parent yet.
  HDC screen = GetDC(nullptr);
  DoDrawText(screen, r, DrawTextFlags() | DT_CALCRECT);
  ReleaseDC(nullptr, screen);
  // Wrapped text keeps the width it was given and takes the height it needs.
  if (FWordWrap) {
    SetBounds(Left(), Top(), Width(), r.Height());
    return;
  }
  Integer x = Left();
  if (FAlignment == taRightJustify) x = Left() + Width() - r.Width();
  else if (FAlignment == taCenter) x = Left() + (Width() - r.Width()) / 2;
  SetBounds(x, Top(), r.Width(), r.Height());
}

void TCustomLabel::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CM_TEXTCHANGED:
    case CM_FONTCHANGED:
      inherited::Dispatch(Message);
      AdjustBounds();
      Invalidate();
      return;
    case CM_DIALOGCHAR: {
      TWMKey key(Message);
      if (FFocusControl && Enabled() && FShowAccelChar && IsAccel(key.CharCode(), Caption()) &&
          FFocusControl->CanFocus()) {
        FFocusControl->SetFocus();
        Message.Result = 1;
        return;
      }
      break;
    }
    default: break;
  }
  inherited::Dispatch(Message);
}

// ---------------------------------------------------------------------------
// TButtonControl

namespace {
constexpr Integer kMark = 13;  // the check box's square, the radio's circle
}  // namespace

TButtonControl::TButtonControl(TComponent* AOwner) : TCustomControl(AOwner) {
  // No csClickEvents: the state change is the click and fires OnClick.
  FControlStyle = TControlStyle{csSetCaption, csCaptureMouse};
  SetTabStop(true);
  SetParentColor(true);
}

void TButtonControl::SetAlignment(TLeftRight Value) {
  if (Value == taCenter) throw EInvalidOperation(u"A button's caption is left or right of its mark");
  if (FAlignment == Value) return;
  FAlignment = Value;
  Invalidate();
}

void TButtonControl::SetWordWrap(bool Value) {
  if (FWordWrap == Value) return;
  FWordWrap = Value;
  Invalidate();
}

TRect TButtonControl::MarkRect() {
  Integer top = (Height() - kMark) / 2;
  Integer left = FAlignment == taRightJustify ? 0 : Width() - kMark;
  return TRect(left, top, left + kMark, top + kMark);
}

void TButtonControl::SetPressed(bool Value) {
  if (FPressed == Value) return;
  FPressed = Value;
  Invalidate();
}

void TButtonControl::Paint() {
  TCanvas* c = Canvas();
  HDC dc = c->Handle();
  TRect client(0, 0, Width(), Height());
  c->Brush()->SetColor(Color());
  c->Brush()->SetStyle(TBrushStyle::bsSolid);
  c->FillRect(client);
  TRect mark = MarkRect();
  TCheckBoxState state = DrawnState();
  bool hot = FMouseDown && FPressed;
  TThemeServices* themes = ThemeServices();
  bool themed = false;
  if (themes->Enabled()) {
    TThemedButton b;
    if (IsRadio()) {
      bool on = state == cbChecked;
      b = !Enabled() ? (on ? tbRadioButtonCheckedDisabled : tbRadioButtonUncheckedDisabled)
          : FPressed ? (on ? tbRadioButtonCheckedPressed : tbRadioButtonUncheckedPressed)
                     : (on ? tbRadioButtonCheckedNormal : tbRadioButtonUncheckedNormal);
    } else {
      int base = state == cbChecked ? int(tbCheckBoxCheckedNormal)
                 : state == cbGrayed ? int(tbCheckBoxMixedNormal)
                                     : int(tbCheckBoxUncheckedNormal);
      b = TThemedButton(base + (!Enabled() ? 3 : FPressed ? 2 : hot ? 1 : 0));
    }
    themed = themes->DrawElement(dc, themes->GetElementDetails(b), mark);
  }
  if (!themed) {
    RECT m = mark;
    UINT s = (IsRadio() ? DFCS_BUTTONRADIO : state == cbGrayed ? DFCS_BUTTON3STATE : DFCS_BUTTONCHECK) |
             (state != cbUnchecked ? DFCS_CHECKED : 0) | (FPressed ? DFCS_PUSHED : 0) |
             (Enabled() ? 0 : DFCS_INACTIVE);
    DrawFrameControl(dc, &m, DFC_BUTTON, s);
  }
  // The caption beside the mark.
  TRect text = FAlignment == taRightJustify ? TRect(mark.Right + 4, 0, Width(), Height())
                                            : TRect(0, 0, mark.Left - 4, Height());
  c->Font()->Assign(Font());
  HGDIOBJ old = SelectObject(dc, c->Font()->Handle());
  SetBkMode(dc, TRANSPARENT);
  String caption = Caption();
  UINT flags = (FWordWrap ? DT_WORDBREAK : DT_SINGLELINE | DT_VCENTER) |
               (FAlignment == taRightJustify ? DT_LEFT : DT_RIGHT);
  RECT tr = text;
  if (FWordWrap) {
    RECT calc = tr;
    DrawTextW(dc, caption.c_str(), int(caption.size()), &calc, flags | DT_CALCRECT);
    Integer dy = (text.Height() - (calc.Bottom - calc.Top)) / 2;
    tr.Top += std::max<Integer>(0, dy);
  }
  if (!Enabled()) {
    RECT hi = tr;
    OffsetRect(hi, 1, 1);
    SetTextColor(dc, ColorToColorRef(clBtnHighlight));
    DrawTextW(dc, caption.c_str(), int(caption.size()), &hi, flags);
    SetTextColor(dc, ColorToColorRef(clBtnShadow));
  } else {
    SetTextColor(dc, ColorToColorRef(Font()->Color()));
  }
  DrawTextW(dc, caption.c_str(), int(caption.size()), &tr, flags);
  if (Focused()) {
    RECT calc = tr;
    DrawTextW(dc, caption.c_str(), int(caption.size()), &calc, flags | DT_CALCRECT);
    if (FAlignment != taRightJustify) OffsetRect(calc, (tr.Right - calc.Right), 0);
    if (!FWordWrap) OffsetRect(calc, 0, (tr.Bottom - tr.Top - (calc.Bottom - calc.Top)) / 2);
    InflateRect(calc, 1, 1);
    DrawFocusRect(dc, &calc);
  }
  SelectObject(dc, old);
}

void TButtonControl::KeyDown(Word& Key, TShiftState Shift) {
  inherited::KeyDown(Key, Shift);
  if (Key == VK_SPACE) {
    FSpaceDown = true;
    SetPressed(true);
  }
}

void TButtonControl::KeyUp(Word& Key, TShiftState Shift) {
  inherited::KeyUp(Key, Shift);
  if (Key == VK_SPACE && FSpaceDown) {
    FSpaceDown = false;
    SetPressed(false);
    Toggle();
  }
}

void TButtonControl::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  if (Button == mbLeft) {
    FMouseDown = true;
    if (CanFocus() && !Focused()) SetFocus();
    SetPressed(true);
  }
  inherited::MouseDown(Button, Shift, X, Y);
}

void TButtonControl::MouseMove(TShiftState Shift, Integer X, Integer Y) {
  if (FMouseDown) SetPressed(X >= 0 && Y >= 0 && X < Width() && Y < Height());
  inherited::MouseMove(Shift, X, Y);
}

void TButtonControl::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  if (Button == mbLeft && FMouseDown) {
    FMouseDown = false;
    bool inside = FPressed;
    SetPressed(false);
    // The state changes before OnClick, which the change itself fires.
    if (inside) Toggle();
  }
  inherited::MouseUp(Button, Shift, X, Y);
}

void TButtonControl::DoEnter() {
  inherited::DoEnter();
  Invalidate();
}

void TButtonControl::DoExit() {
  FSpaceDown = false;
  SetPressed(false);
  inherited::DoExit();
  Invalidate();
}

void TButtonControl::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_GETDLGCODE:
      // A radio button keeps the arrows: they move the check through its group.
      Message.Result = IsRadio() ? DLGC_BUTTON | DLGC_RADIOBUTTON | DLGC_WANTARROWS : DLGC_BUTTON;
      return;
    case BM_GETCHECK: Message.Result = LRESULT(DrawnState()); return;
    case BM_SETCHECK:
      // Set as a program sets it: the same as the property.
      if (auto* cb = dynamic_cast<TCustomCheckBox*>(this)) {
        if (Message.WParam <= BST_INDETERMINATE) cb->SetState(TCheckBoxState(Message.WParam));
      } else {
        SetChecked(Message.WParam == BST_CHECKED);
      }
      Message.Result = 0;
      return;
    case BM_CLICK:
      if (Enabled()) Toggle();
      Message.Result = 0;
      return;
    case CM_DIALOGCHAR: {
      TWMKey key(Message);
      if (IsAccel(key.CharCode(), Caption()) && CanFocus()) {
        SetFocus();
        if (Focused()) Toggle();
        Message.Result = 1;
        return;
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

// ---------------------------------------------------------------------------
// Check box

TCustomCheckBox::TCustomCheckBox(TComponent* AOwner) : TButtonControl(AOwner) { SetBounds(0, 0, 97, 17); }

void TCustomCheckBox::SetState(TCheckBoxState Value) {
  if (FState == Value) return;
  FState = Value;
  Invalidate();
  if (!ComponentState().Contains(csLoading)) Click();
}

void TCustomCheckBox::SetChecked(bool Value) { SetState(Value ? cbChecked : cbUnchecked); }

void TCustomCheckBox::Toggle() {
  switch (FState) {
    case cbUnchecked: SetState(FAllowGrayed ? cbGrayed : cbChecked); break;
    case cbChecked: SetState(cbUnchecked); break;
    case cbGrayed: SetState(cbChecked); break;
  }
}

// ---------------------------------------------------------------------------
// Radio button

TRadioButton::TRadioButton(TComponent* AOwner) : TButtonControl(AOwner) {
  SetBounds(0, 0, 113, 17);
  // Unchecked, it is reached by the arrows from the checked one, not by Tab.
  SetTabStop(false);
}

void TRadioButton::SetChecked(bool Value) {
  if (FChecked == Value) return;
  FChecked = Value;
  SetTabStop(Value);
  Invalidate();
  if (!Value) return;
  if (TWinControl* p = Parent())
    for (Integer i = 0; i < p->ControlCount(); ++i)
      if (auto* r = dynamic_cast<TRadioButton*>(p->Controls(i)); r && r != this) r->SetChecked(false);
  if (!ComponentState().Contains(csLoading)) Click();
}

void TRadioButton::Toggle() { SetChecked(true); }

void TRadioButton::KeyDown(Word& Key, TShiftState Shift) {
  // The arrows move to the next radio button of the group and check it.
  if ((Key == VK_DOWN || Key == VK_RIGHT || Key == VK_UP || Key == VK_LEFT) && Parent()) {
    std::vector<TRadioButton*> group;
    for (Integer i = 0; i < Parent()->ControlCount(); ++i)
      if (auto* r = dynamic_cast<TRadioButton*>(Parent()->Controls(i)); r && r->Enabled() && r->Visible())
        group.push_back(r);
    auto it = std::find(group.begin(), group.end(), this);
    if (it != group.end() && group.size() > 1) {
      size_t i = size_t(it - group.begin());
      size_t n = group.size();
      size_t next = (Key == VK_DOWN || Key == VK_RIGHT) ? (i + 1) % n : (i + n - 1) % n;
      group[next]->SetFocus();
      group[next]->SetChecked(true);
      Key = 0;
      return;
    }
  }
  inherited::KeyDown(Key, Shift);
}

// ---------------------------------------------------------------------------
// Group box

TCustomGroupBox::TCustomGroupBox(TComponent* AOwner) : TCustomControl(AOwner) {
  FControlStyle = TControlStyle{csAcceptsControls, csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks,
                                csReplicatable};
  SetBounds(0, 0, 185, 105);
  SetParentColor(true);
}

void TCustomGroupBox::AdjustClientRect(TRect& Rect) {
  inherited::AdjustClientRect(Rect);
  // The caption's line sits in the frame's top edge.
  Rect.Top += LineHeight(Font());
  Rect.Left += 2;
  Rect.Right -= 2;
  Rect.Bottom -= 2;
  if (Rect.Bottom < Rect.Top) Rect.Bottom = Rect.Top;
}

void TCustomGroupBox::Paint() {
  TCanvas* c = Canvas();
  HDC dc = c->Handle();
  c->Font()->Assign(Font());
  c->Brush()->SetColor(Color());
  c->Brush()->SetStyle(TBrushStyle::bsSolid);
  c->FillRect(TRect(0, 0, Width(), Height()));
  Integer h = LineHeight(Font());
  RECT frame{0, h / 2, Width(), Height()};
  DrawEdge(dc, &frame, EDGE_ETCHED, BF_RECT);
  String caption = Caption();
  if (caption.empty()) return;
  HGDIOBJ old = SelectObject(dc, c->Font()->Handle());
  RECT calc{0, 0, 0, 0};
  DrawTextW(dc, caption.c_str(), int(caption.size()), &calc, DT_SINGLELINE | DT_CALCRECT);
  RECT text{8, 0, 8 + calc.Right + 4, h};
  // The caption interrupts the frame.
  HBRUSH b = CreateSolidBrush(ColorToColorRef(Color()));
  FillRect(dc, &text, b);
  DeleteObject(b);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, ColorToColorRef(Enabled() ? Font()->Color() : clGrayText));
  RECT tr{text.Left + 2, 0, text.Right, h};
  DrawTextW(dc, caption.c_str(), int(caption.size()), &tr, DT_SINGLELINE);
  SelectObject(dc, old);
}

void TCustomGroupBox::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CM_TEXTCHANGED:
    case CM_FONTCHANGED:
      inherited::Dispatch(Message);
      Realign();
      Invalidate();
      return;
    case CM_DIALOGCHAR: {
      // Its accelerator focuses its first control.
      TWMKey key(Message);
      if (IsAccel(key.CharCode(), Caption()) && CanFocus()) {
        SelectFirst();
        Message.Result = 1;
        return;
      }
      break;
    }
    default: break;
  }
  inherited::Dispatch(Message);
}

// ---------------------------------------------------------------------------

void RegisterStdCtrlsClasses() {
  RegisterClasses({TButton::StaticClass(), TEdit::StaticClass(), TMemo::StaticClass(), TListBox::StaticClass(),
                   TComboBox::StaticClass(), TLabel::StaticClass(), TCheckBox::StaticClass(),
                   TRadioButton::StaticClass(), TGroupBox::StaticClass()});
}

}  // namespace vcl

QN_PUBLISHED_IMPL(vcl::TLabel)
QN_PUBLISHED_IMPL(vcl::TCheckBox)
QN_PUBLISHED_IMPL(vcl::TRadioButton)
QN_PUBLISHED_IMPL(vcl::TGroupBox)
