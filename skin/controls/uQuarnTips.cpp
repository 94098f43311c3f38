#include "skin/controls/uQuarnTips.h"

#include <algorithm>

#include "platform/gdi/GdiText.h"
#include "platform/vcl/ControlMessages.h"
#include "platform/vcl/Forms.h"
#include "skin/foundation/uQuarnResManager.h"

namespace qn {

namespace {

constexpr UINT kShowNoActivate = SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW;                // 0x51
constexpr UINT kRaiseNoActivate = SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_SHOWWINDOW;  // 0x53
constexpr UINT kMeasureFlags = DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX | DT_EDITCONTROL | DT_END_ELLIPSIS;
constexpr UINT kTextFlags = DT_WORDBREAK | DT_NOPREFIX | DT_EDITCONTROL | DT_END_ELLIPSIS;

// DrawText's measure of Text in Font, starting from R.
TRect MeasureText(TFont* Font, const String& Text, TRect R, UINT Format) {
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, Font->Handle());
  RECT rc = R;
  DrawTextW(dc, Text.c_str(), int(Text.size()), &rc, Format);
  SelectObject(dc, old);
  DeleteDC(dc);
  return rc;
}

}  // namespace

// ---------------------------------------------------------------------------
// TQuarnCustomTips

TQuarnCustomTips::TQuarnCustomTips(TComponent* AOwner) : TComponent(AOwner) {
  FList = std::make_unique<TList>();
  FTipsFont = std::make_unique<TFont>();
  FTipsFont->SetSize(9);
  FTipsFont->SetColor(static_cast<TColor>(0x00006DF2));
  FTitleFont = std::make_unique<TFont>();
  FTitleFont->SetSize(10);
  FTitleFont->SetStyle(TFontStyles{TFontStyle::fsBold});
  FTitleFont->SetColor(static_cast<TColor>(0x005145E3));
}

TQuarnCustomTips::~TQuarnCustomTips() { CloseSubTipsWindow(); }

void TQuarnCustomTips::CloseSubTipsWindow() {
  for (Integer i = FList->Count() - 1; i >= 0; --i) {
    auto* w = static_cast<TQuarnTipsWindow*>(FList->Items(i));
    FList->Delete(i);
    delete w;
  }
}

void TQuarnCustomTips::FreeClosedWindows() {
  for (Integer i = FList->Count() - 1; i >= 0; --i) {
    auto* w = static_cast<TQuarnTipsWindow*>(FList->Items(i));
    if (!w->Closed()) continue;
    FList->Delete(i);
    delete w;
  }
}

TSize TQuarnCustomTips::GetTipsSize(const String& Text) {
  const TRect r = MeasureText(FTipsFont.get(), Text, TRect(0, 0, 900, 0), DT_CALCRECT);
  return TSize(r.Width(), r.Height());
}

HWND TQuarnCustomTips::Show(const String& Title, const String& Tips, TWinControl* Control, TRect* Rect,
                            TTipsDirection Direction) {
  if (!Control && !Rect) return nullptr;
  // A custom place needs a rectangle; without one the tip goes on top.
  if (Direction == hdCustom && !Rect) Direction = hdTop;
  // Windows that closed themselves are of no more use; without this a tip
  // shown on every keystroke would keep every window it ever made.
  FreeClosedWindows();
  FTipsDirection = Direction;
  auto* w = new TQuarnTipsWindow(this);
  FList->Add(w);
  if (Control && Rect) {
    const TPoint p = Control->Parent() ? Control->Parent()->ClientToScreen(Rect->TopLeft())
                                       : Control->ClientToScreen(Rect->TopLeft());
    Integer h = Rect->Height();
    if (!(h > 10 && h < GetSystemMetrics(SM_CYSCREEN))) h = 10;
    const Integer width = Rect->Width();
    *Rect = TRect(p.X, p.Y, p.X + width, p.Y + h);
  }
  w->ActivateTips(Title, Tips, Control, Rect);
  return w->Handle();
}

// ---------------------------------------------------------------------------
// TQuarnTipsWindow

TQuarnTipsWindow::TQuarnTipsWindow(TQuarnCustomTips* TipsComponent) : TCustomControl(nullptr), FTipsObj(TipsComponent) {
  FMemBmp = std::make_unique<TBitmap32>();
  FTimer = std::make_unique<uSimpleTimer::TSimpleTimer>();
  FTimer->SetInterval(50);
  FTimer->SetOnTimer(TNotifyEvent(this, &TQuarnTipsWindow::DoOnTimer));
  FTimer->SetEnabled(true);
  SetControlStyle(ControlStyle() - TControlStyle{csOpaque} + TControlStyle{csCaptureMouse, csClickEvents});
  FCloseButton = std::make_unique<TPngPictures>();
  FCloseButton->SetImage(u"QuarnMini_close_btn");
  FCloseButton->SetCount(2);
  FCloseButton->SetNormal(0);
  FCloseButton->SetHot(1);
  FCloseButton->SetPressed(1);
  FCloseButton->SetActive(true);
  Canvas()->Brush()->SetStyle(TBrushStyle::bsClear);
  FT1 = Int64(GetTickCount64());
}

TQuarnTipsWindow::~TQuarnTipsWindow() {
  FTimer.reset();
  if (FParentControl) FParentControl->RemoveFreeNotification(this);
}

void TQuarnTipsWindow::CreateParams(TCreateParams& Params) {
  TCustomControl::CreateParams(Params);
  Params.Style = WS_POPUP;
  Params.ExStyle = WS_EX_TOOLWINDOW;
  Params.WndParent = nullptr;
  Params.WindowClass.style = (Params.WindowClass.style | CS_SAVEBITS) & ~UINT(CS_DROPSHADOW);
}

void TQuarnTipsWindow::Notification(TComponent* AComponent, TOperation Operation) {
  TCustomControl::Notification(AComponent, Operation);
  // A freed anchor leaves the tip where it is; the pause still closes it.
  if (Operation == opRemove && AComponent == FParentControl) FParentControl = nullptr;
}

Integer TQuarnTipsWindow::TitleHeight() {
  return MeasureText(FTipsObj->TitleFont(), u"Ww", TRect(), DT_CALCRECT | DT_SINGLELINE).Height();
}

TSize TQuarnTipsWindow::TipsHeight(const TRect* Rect) {
  TRect r;
  if (Rect) r = *Rect;
  else if (FParentControl) r = FParentControl->ClientRect();
  Integer w = r.Width() - 4;
  if (FTipsObj->CloseButtonVisible()) w -= FCloseButton->GetSingleWidth();
  const TRect m = MeasureText(FTipsObj->TipsFont(), FTips, TRect(0, 0, w, 0), kMeasureFlags);
  TSize s(m.Width(), m.Height());
  if (Rect && s.cy < Rect->Height()) s.cy = Rect->Height();
  return s;
}

TPoint TQuarnTipsWindow::AnchorScreenPos(TWinControl* Control) {
  if (Control->Parent()) return Control->Parent()->ClientToScreen(TPoint(Control->Left(), Control->Top()));
  return TPoint(Control->Left(), Control->Top());
}

void TQuarnTipsWindow::ActivateTips(const String& Title, const String& Tips, TWinControl* Control, TRect* Rect) {
  FTitle = Title;
  FTips = Tips;
  SetCaption(Tips);
  FQnTips = FTipsObj;
  TRect wr;
  Integer h = 0;
  const Integer titleExtra = TitleVisible() ? TitleHeight() + 6 : 0;
  if (Control) {
    if (FParentControl && FParentControl != Control) FParentControl->RemoveFreeNotification(this);
    FParentControl = Control;
    Control->FreeNotification(this);
    FOldParentControlPos = AnchorScreenPos(Control);
    FTipsSize = TipsHeight(Rect);
    h = FTipsSize.cy + 10;
    const TRect client = Control->ClientRect();
    TPoint p;
    switch (FTipsObj->TipsDirection()) {
      case hdBottom: p = Control->ClientToScreen(TPoint(0, client.Bottom - (h + titleExtra))); break;
      case hdCustom:
        if (Rect) {
          p = Rect->TopLeft();
          break;
        }
        [[fallthrough]];
      case hdTop: p = Control->ClientToScreen(TPoint(0, 0)); break;
    }
    wr = TRect(p.X, p.Y, p.X + client.Width(), p.Y + client.Height());
    if (Rect) {
      wr.Left = Rect->Left;
      wr.Right = Rect->Right;
    }
  } else {
    FParentControl = nullptr;
    wr = *Rect;
    h = Rect->Height();
  }
  wr.Bottom = wr.Top + h + titleExtra;
  SetBounds(wr.Left, wr.Top, wr.Width(), wr.Height());
  FMemBmp->SetSize(wr.Width(), wr.Height());

  // What lies under the window, so nothing flashes before the first paint.
  HDC screen = CreateDCW(u"DISPLAY", nullptr, nullptr, nullptr);
  if (screen) {
    BitBlt(FMemBmp->GetHDC(), 0, 0, wr.Width(), wr.Height(), screen, wr.Left, wr.Top, SRCCOPY);
    DeleteDC(screen);
  }
  SetWindowPos(Handle(), nullptr, wr.Left, wr.Top, 0, 0, kShowNoActivate);
  FMemBmp->DrawTo(Canvas()->Handle(), 0, 0);
}

void TQuarnTipsWindow::Paint() {
  const TRect client = ClientRect();
  if (FMemBmp->Width() != client.Width() || FMemBmp->Height() != client.Height())
    FMemBmp->SetSize(client.Width(), client.Height());
  TQuarnCustomTips* tips = FTipsObj;
  TCanvas* c = FMemBmp->Canvas();
  c->Pen()->SetStyle(TPenStyle::psSolid);
  c->Pen()->SetWidth(1);
  c->Pen()->SetColor(tips->FrameColor());
  c->Brush()->SetStyle(TBrushStyle::bsSolid);
  c->Brush()->SetColor(tips->TipsColor());
  c->Rectangle(client);

  TRect r = client;
  InflateRect(r, -4, -4);
  const bool button = tips->CloseButtonVisible();
  r.Right -= button ? FCloseButton->GetSingleWidth() + 2 : 2;
  c->Brush()->SetStyle(TBrushStyle::bsClear);
  if (TitleVisible()) {
    c->Font()->Assign(tips->TitleFont());
    c->TextExtent(String());  // selects the font and its colour into the DC
    SetBkMode(c->Handle(), TRANSPARENT);
    RECT tr = r;
    DrawTextW(c->Handle(), FTitle.c_str(), int(FTitle.size()), &tr, DT_NOPREFIX);
    r.Top += TitleHeight() + 4;
  }
  UINT format = kTextFlags;
  switch (tips->AlignmentHorizontal()) {
    case taLeftJustify: format |= DT_LEFT; break;
    case taRightJustify: format |= DT_RIGHT; break;
    case taCenter: format |= DT_CENTER; break;
  }
  switch (tips->AlignmentVertical()) {
    case taAlignTop: break;
    case taAlignBottom: format |= DT_BOTTOM | DT_SINGLELINE; break;
    case taVerticalCenter: format |= DT_VCENTER | DT_SINGLELINE; break;
  }
  c->Font()->Assign(tips->TipsFont());
  c->TextExtent(String());
  SetBkMode(c->Handle(), TRANSPARENT);
  RECT tr = r;
  DrawTextW(c->Handle(), FTips.c_str(), int(FTips.size()), &tr, format);
  // GDI left the alpha of what it touched at 0; the frame is opaque.
  FMemBmp->ResetAlpha();

  if (button && !FCloseButtonRect.IsEmpty()) {
    TQuarnImage frame;
    const bool got = FMouseInTips == itCloseButton
                         ? (FMousePressed ? FCloseButton->GetPressedImage(&frame) : FCloseButton->GetHotImage(&frame))
                         : FCloseButton->GetNormalImage(&frame);
    if (got) frame.DrawTo(FMemBmp.get(), FCloseButtonRect.Left, FCloseButtonRect.Top);
  }
  FMemBmp->DrawTo(Canvas()->Handle(), 0, 0);
}

void TQuarnTipsWindow::WMSize(TMessage& Message) {
  TCustomControl::Dispatch(Message);
  if (FTipsObj->CloseButtonVisible()) {
    const Integer w = ClientWidth();
    const Integer bw = FCloseButton->GetSingleWidth(), bh = FCloseButton->GetSingleHeight();
    FCloseButtonRect = TRect(w - bw - 4, 5, w - 4, 5 + bh);
  } else {
    FCloseButtonRect = TRect();
  }
}

void TQuarnTipsWindow::WMMouseMove(TMessage& Message) {
  TCustomControl::Dispatch(Message);
  FT1 = Int64(GetTickCount64());
  const Integer x = Integer(int16_t(LOWORD(uintptr_t(Message.LParam))));
  const Integer y = Integer(int16_t(HIWORD(uintptr_t(Message.LParam))));
  const bool over = x >= FCloseButtonRect.Left && y >= FCloseButtonRect.Top && x < FCloseButtonRect.Right &&
                    y < FCloseButtonRect.Bottom;
  const TMouseInTips now = over ? itCloseButton : itNone;
  if (now != FMouseInTips) {
    FMouseInTips = now;
    Invalidate();
  }
}

void TQuarnTipsWindow::Click() {
  TCustomControl::Click();
  if (FMouseInTips == itCloseButton) DoClose(false);
}

void TQuarnTipsWindow::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_ERASEBKGND: Message.Result = 1; return;
    // A click on the tip (its close button included) leaves the
    // activation where it was, as showing it did.
    case WM_MOUSEACTIVATE: Message.Result = MA_NOACTIVATE; return;
    case WM_SIZE: WMSize(Message); return;
    case WM_MOUSEMOVE: WMMouseMove(Message); return;
    case WM_LBUTTONDOWN:
      TCustomControl::Dispatch(Message);
      FMousePressed = true;
      return;
    case WM_LBUTTONUP:
      TCustomControl::Dispatch(Message);
      FMousePressed = false;
      return;
    case CM_MOUSELEAVE:
      TCustomControl::Dispatch(Message);
      FMouseInTips = itNone;
      FMousePressed = false;
      Invalidate();
      return;
    case WM_CLOSE:
      FClosed = true;
      TCustomControl::Dispatch(Message);
      return;
    default: TCustomControl::Dispatch(Message);
  }
}

void TQuarnTipsWindow::DoOnTimer(TObject*) {
  // A tick must never take the message loop down with it.
  try {
    FT2 = Int64(GetTickCount64());
    TQuarnCustomTips* tips = FindQuarnTips();
    if (tips && tips->PauseTime() > 0 && FT2 - FT1 >= Int64(tips->PauseTime())) {
      FTimer->SetEnabled(false);
      DoClose(true);
      return;
    }
    if (!FParentControl || !FParentControl->Visible() || !HandleAllocated()) return;
    const TPoint p = AnchorScreenPos(FParentControl);
    if (p != FOldParentControlPos) {
      RECT wr;
      GetWindowRect(Handle(), &wr);
      SetWindowPos(Handle(), nullptr, wr.Left + p.X - FOldParentControlPos.X, wr.Top + p.Y - FOldParentControlPos.Y,
                   0, 0, kShowNoActivate);
      FOldParentControlPos = p;
    }
    TCustomForm* form = GetParentForm(FParentControl);
    if (form && tips && tips->HideOfParentDeactivate()) {
      if (form->Active())
        SetWindowPos(Handle(), HWND_TOP, 0, 0, 0, 0, kRaiseNoActivate);
      else
        ShowWindow(Handle(), SW_HIDE);
    }
  } catch (...) {
  }
}

void TQuarnTipsWindow::DoClose(bool Animate) {
  FTimer->SetEnabled(false);
  if (Animate && HandleAllocated()) AnimateWindow(Handle(), 500, AW_BLEND | AW_HIDE);
  Close();
}

void TQuarnTipsWindow::Close() {
  if (HandleAllocated()) SendMessageW(Handle(), WM_CLOSE, 0, 0);
  FClosed = true;
}

}  // namespace qn

namespace qn {

void InitQuarnTips() { RegisterClasses({TQuarnTips::StaticClass()}); }

}  // namespace qn

QN_PUBLISHED_IMPL(qn::TQuarnTips)
