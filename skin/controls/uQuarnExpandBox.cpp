#include "skin/controls/uQuarnExpandBox.h"

#include "platform/vcl/ControlMessages.h"

namespace qn {

namespace {

TQuarnImage* Img(const TQnResID& ID) {
  if (ID.empty()) return nullptr;
  TQuarnImage* i = TQuarnResManagerObj()->GetImageByName(ID);
  return i && !i->Empty() ? i : nullptr;
}

}  // namespace

TQuarnExpandBox::TQuarnExpandBox(TComponent* AOwner)
    : TQuarnCustomControl(AOwner), FTitleFont(std::make_unique<TFont>()) {
  SetControlStyle(TControlStyle{csAcceptsControls, csCaptureMouse, csClickEvents, csDoubleClicks});
  FTitleFont->SetSize(9);
  FTitleFont->SetStyle(TFontStyles{TFontStyle::fsBold});
  FTitleFont->SetColor(static_cast<TColor>(0x00FFFFFF));
  SetColor(clWhite);
  FExpandedHeight = Height();
  SetCaption(u" ");
}

void TQuarnExpandBox::SetTitleHeight(Integer Value) {
  if (Value < 1) Value = 1;
  if (Value > Height()) Value = Height();
  if (FTitleHeight == Value) return;
  FTitleHeight = Value;
  DoChanged();
}

void TQuarnExpandBox::SetTitleIcon(const TQnResID& Value) {
  if (FTitleIcon == Value) return;
  FTitleIcon = Value;
  Invalidate();
}

void TQuarnExpandBox::SetTitleColor(TColor Value) {
  if (FTitleColor == Value) return;
  FTitleColor = Value;
  DoChanged();
}

void TQuarnExpandBox::SetExpandIcon(const TQnResID& Value) {
  if (FExpandIcon == Value) return;
  FExpandIcon = Value;
  Invalidate();
}

void TQuarnExpandBox::SetCollapseIcon(const TQnResID& Value) {
  if (FCollapseIcon == Value) return;
  FCollapseIcon = Value;
  Invalidate();
}

void TQuarnExpandBox::SetTitle(const String& Value) {
  if (FTitle == Value) return;
  FTitle = Value;
  DoChanged();
}

void TQuarnExpandBox::SetExpand(bool Value) {
  if (FExpand == Value) return;
  // A box that may not fold, or fills its parent, stays open.
  if (!Value && (!FAllowCollapse || Align() == alClient)) return;
  FExpand = Value;
  DoExpand();
}

void TQuarnExpandBox::DoExpand() {
  if (Designing()) {
    // The form being designed keeps the box's size; only the icon turns.
    Invalidate();
    return;
  }
  if (!FExpand && FAllowCollapse && Align() != alClient) {
    FExpandedHeight = Height();
    SetHeight(FTitleHeight + 1);
  } else {
    SetHeight(FExpandedHeight);
  }
  DoChanged();
}

void TQuarnExpandBox::DoChanged() {
  Invalidate();
  if (FOnChanged) FOnChanged(this);
}

void TQuarnExpandBox::AdjustClientRect(TRect& Rect) {
  TQuarnCustomControl::AdjustClientRect(Rect);
  Rect.Top += FTitleHeight;
  Rect.Left += 1;
  Rect.Right -= 1;
  Rect.Bottom -= 1;
}

bool TQuarnExpandBox::CanResize(Integer& NewWidth, Integer& NewHeight) {
  TQuarnCustomControl::CanResize(NewWidth, NewHeight);
  if (NewHeight < FTitleHeight)
    NewHeight = FTitleHeight;
  else if (!FAllowCollapse)
    FExpandedHeight = NewHeight;
  return true;
}

void TQuarnExpandBox::SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight) {
  TQuarnCustomControl::SetBounds(ALeft, ATop, AWidth, AHeight);
}

void TQuarnExpandBox::DrawBody(TBitmap32* Buffer) {
  const Integer W = Width(), H = Height(), h = FTitleHeight;
  Buffer->BeginUpdate();
  const TColor32 line = Color32(ColorToRGB(FBorderColor)) | 0xFF000000u;
  if (!Transparent()) Buffer->FillRectS(0, 0, W, h, Color32(ColorToRGB(FTitleColor)) | 0xFF000000u);
  Buffer->LineS(0, 0, W - 1, 0, line);
  if (FExpand) Buffer->LineS(0, h - 1, W, h - 1, line);
  Integer w = 0;
  if (TQuarnImage* icon = Img(FTitleIcon)) {
    icon->SetDrawMode(TDrawMode::dmBlend);
    icon->DrawTo(Buffer, 5, (h - icon->Height()) / 2);
    w = icon->Width();
  }
  Buffer->Font()->Assign(FTitleFont.get());
  TRect r(w + 10, 0, W, h);
  Buffer->TextoutW(r, DT_VCENTER | DT_SINGLELINE, FTitle);
  if (FAllowCollapse) {
    if (TQuarnImage* icon = Img(FExpand ? FExpandIcon : FCollapseIcon)) {
      icon->SetDrawMode(TDrawMode::dmBlend);
      icon->DrawTo(Buffer, W - 5 - icon->Width(), (h - icon->Height()) / 2);
    }
  }
  Buffer->LineS(0, 0, 0, H, line);
  Buffer->LineS(W - 1, 0, W - 1, H, line);
  Buffer->LineS(0, H - 1, W - 1, H - 1, line);
  Buffer->EndUpdate();
}

void TQuarnExpandBox::WMLButtonDown(TMessage& Message) {
  TQuarnCustomControl::Dispatch(Message);
  const Integer x = GET_X_LPARAM(Message.LParam), y = GET_Y_LPARAM(Message.LParam);
  if (x >= 0 && x < Width() && y >= 0 && y < FTitleHeight) {
    FExpand = !FExpand;
    DoExpand();
  }
}

void TQuarnExpandBox::WMMove(TMessage& Message) {
  TQuarnCustomControl::Dispatch(Message);
  if (AutoInvalidate()) Invalidate();
}

void TQuarnExpandBox::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_LBUTTONDOWN: WMLButtonDown(Message); return;
    case WM_MOVE: WMMove(Message); return;
    default: TQuarnCustomControl::Dispatch(Message);
  }
}

void InitQuarnExpandBox() { RegisterClasses({TQuarnExpandBox::StaticClass()}); }

}  // namespace qn

QN_PUBLISHED_IMPL(qn::TQuarnExpandBox)
