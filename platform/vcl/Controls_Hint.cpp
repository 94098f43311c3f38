#include <algorithm>

#include "platform/vcl/Controls.h"
#include "platform/vcl/Forms.h"

namespace vcl {

String GetShortHint(const String& Hint) {
  size_t bar = Hint.find(u'|');
  return bar == String::npos ? Hint : Hint.substr(0, bar);
}

String GetLongHint(const String& Hint) {
  size_t bar = Hint.find(u'|');
  return bar == String::npos ? Hint : Hint.substr(bar + 1);
}

String GetHint(TControl* Control) {
  for (; Control; Control = Control->Parent())
    if (!Control->Hint().empty()) return Control->Hint();
  return String();
}

THintWindow::THintWindow(TComponent* AOwner) : TCustomControl(AOwner) {
  SetColor(clInfoBk);
  if (Screen) Canvas()->Font()->Assign(Screen->HintFont());
  Canvas()->Brush()->SetStyle(TBrushStyle::bsClear);
}

void THintWindow::CreateParams(TCreateParams& Params) {
  inherited::CreateParams(Params);
  Params.Style = WS_POPUP | WS_BORDER;
  Params.ExStyle |= WS_EX_TOOLWINDOW | WS_EX_TOPMOST;
  Params.WindowClass.style |= CS_SAVEBITS | CS_DROPSHADOW;
  Params.WndParent = Application ? Application->Handle() : nullptr;
}

void THintWindow::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_NCHITTEST: Message.Result = HTTRANSPARENT; return;
    case WM_MOUSEACTIVATE: Message.Result = MA_NOACTIVATE; return;
    default: break;
  }
  inherited::Dispatch(Message);
}

TRect THintWindow::CalcHintRect(Integer MaxWidth, const String& AHint, void*) {
  if (Screen) Canvas()->Font()->Assign(Screen->HintFont());
  RECT r{0, 0, MaxWidth, 0};
  HDC dc = Canvas()->Handle();
  HGDIOBJ old = SelectObject(dc, Canvas()->Font()->Handle());
  DrawTextW(dc, AHint.c_str(), int(AHint.size()), &r, DT_CALCRECT | DT_LEFT | DT_WORDBREAK | DT_NOPREFIX);
  SelectObject(dc, old);
  // Room for the two-pixel text inset on each side.
  return TRect(r.Left, r.Top, r.Right + 6, r.Bottom + 2);
}

void THintWindow::ActivateHint(TRect Rect, const String& AHint) {
  SetCaption(AHint);
  Rect.Bottom += 4;
  Integer w = Rect.Width(), h = Rect.Height();
  // Inside the work area of the monitor the hint starts on.
  TRect work = Screen ? Screen->MonitorFromPoint(Rect.TopLeft())->WorkareaRect() : Rect;
  if (Rect.Left + w > work.Right) Rect.Left = work.Right - w;
  if (Rect.Left < work.Left) Rect.Left = work.Left;
  if (Rect.Top + h > work.Bottom) Rect.Top = work.Bottom - h;
  if (Rect.Top < work.Top) Rect.Top = work.Top;
  SetBounds(Rect.Left, Rect.Top, w, h);
  HWND wnd = Handle();
  SetWindowPos(wnd, HWND_TOPMOST, Rect.Left, Rect.Top, w, h, SWP_NOACTIVATE);
  if (!IsWindowVisible(wnd)) {
    BOOL animate = false, fade = false;
    SystemParametersInfoW(SPI_GETTOOLTIPANIMATION, 0, &animate, 0);
    if (animate) {
      SystemParametersInfoW(SPI_GETTOOLTIPFADE, 0, &fade, 0);
      AnimateWindow(wnd, 100, fade ? AW_BLEND : AW_SLIDE | AW_VER_POSITIVE);
    }
    ShowWindow(wnd, SW_SHOWNOACTIVATE);
  }
  Invalidate();
  Update();
}

void THintWindow::ActivateHintData(TRect Rect, const String& AHint, void*) { ActivateHint(Rect, AHint); }

bool THintWindow::IsHintMsg(const MSG& Msg) {
  UINT m = Msg.message;
  return (m >= WM_KEYFIRST && m <= WM_KEYLAST) || m == CM_ACTIVATE || m == CM_DEACTIVATE || m == CM_APPKEYDOWN ||
         m == CM_APPSYSCOMMAND || m == WM_COMMAND || (m > WM_MOUSEMOVE && m <= WM_MOUSELAST) ||
         m == WM_NCMOUSEMOVE;
}

void THintWindow::ReleaseHandle() { DestroyHandle(); }

void THintWindow::Paint() {
  TCanvas* c = Canvas();
  TRect r = ClientRect();
  c->Brush()->SetStyle(TBrushStyle::bsSolid);
  c->Brush()->SetColor(Color());
  c->FillRect(r);
  r.Left += 2;
  r.Top += 2;
  if (Screen) c->Font()->Assign(Screen->HintFont());
  c->Brush()->SetStyle(TBrushStyle::bsClear);
  String text = Caption();
  RECT dr = r;
  // The raw DC call needs the canvas's font and colour selected by hand.
  HDC dc = c->Handle();
  HGDIOBJ old = SelectObject(dc, c->Font()->Handle());
  SetTextColor(dc, COLORREF(ColorToRGB(c->Font()->Color())));
  SetBkMode(dc, TRANSPARENT);
  DrawTextW(dc, text.c_str(), int(text.size()), &dr, DT_LEFT | DT_NOPREFIX | DT_WORDBREAK);
  SelectObject(dc, old);
}

}  // namespace vcl
