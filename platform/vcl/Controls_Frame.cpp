// TWinControl's frame: bevels and BorderWidth in the non-client area,
// Ctl3D, and the help request F1 makes.
#include <algorithm>

#include "platform/vcl/Controls.h"
#include "platform/vcl/Forms.h"

namespace vcl {

namespace {

// The room each bevelled edge takes.
Integer BevelRoom(TBevelKind Kind, TBevelCut Inner, TBevelCut Outer, Integer Width) {
  if (Kind == bkNone) return 0;
  Integer e = 0;
  if (Inner != bvNone) e += Width;
  if (Outer != bvNone) e += Width;
  return e;
}

UINT InnerEdge(TBevelCut c) { return c == bvLowered ? BDR_SUNKENINNER : c == bvRaised ? BDR_RAISEDINNER : 0; }
UINT OuterEdge(TBevelCut c) { return c == bvLowered ? BDR_SUNKENOUTER : c == bvRaised ? BDR_RAISEDOUTER : 0; }

}  // namespace

void TWinControl::FrameChanged() {
  if (!FHandle) return;
  SetWindowPos(FHandle, nullptr, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
  RedrawWindow(FHandle, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_ERASE);
  Realign();
}

void TWinControl::SetBevelEdges(TBevelEdges Value) {
  if (FBevelEdges == Value) return;
  FBevelEdges = Value;
  FrameChanged();
}

void TWinControl::SetBevelInner(TBevelCut Value) {
  if (FBevelInner == Value) return;
  FBevelInner = Value;
  FrameChanged();
}

void TWinControl::SetBevelOuter(TBevelCut Value) {
  if (FBevelOuter == Value) return;
  FBevelOuter = Value;
  FrameChanged();
}

void TWinControl::SetBevelKind(TBevelKind Value) {
  if (FBevelKind == Value) return;
  FBevelKind = Value;
  FrameChanged();
}

void TWinControl::SetBevelWidth(TBevelWidth Value) {
  // A bevel is at least one pixel wide.
  Value = std::max<TBevelWidth>(Value, 1);
  if (FBevelWidth == Value) return;
  FBevelWidth = Value;
  FrameChanged();
}

void TWinControl::SetBorderWidth(TBorderWidth Value) {
  Value = std::max<TBorderWidth>(Value, 0);
  if (FBorderWidth == Value) return;
  FBorderWidth = Value;
  FrameChanged();
}

void TWinControl::SetCtl3D(bool Value) {
  FParentCtl3D = false;
  if (FCtl3D == Value) return;
  FCtl3D = Value;
  Perform(CM_CTL3DCHANGED, 0, 0);
}

void TWinControl::SetParentCtl3D(bool Value) {
  if (FParentCtl3D == Value) return;
  FParentCtl3D = Value;
  if (Value && FParent && !ComponentState().Contains(csReading)) Perform(CM_PARENTCTL3DCHANGED, 0, 0);
}

void TWinControl::ApplyCtl3D(TCreateParams& Params) {
  FFlatBorder = false;
  if (!FCtl3D && (Params.ExStyle & WS_EX_CLIENTEDGE)) {
    Params.ExStyle &= ~DWORD(WS_EX_CLIENTEDGE);
    Params.Style |= WS_BORDER;
    FFlatBorder = true;
  }
}

void TWinControl::WMNCCalcSize(TMessage& Message) {
  DefaultHandler(Message);
  RECT* r = Message.WParam ? &reinterpret_cast<NCCALCSIZE_PARAMS*>(Message.LParam)->rgrc[0]
                           : reinterpret_cast<RECT*>(Message.LParam);
  if (!r) return;
  r->Left += FBorderWidth;
  r->Top += FBorderWidth;
  r->Right -= FBorderWidth;
  r->Bottom -= FBorderWidth;
  if (Integer e = BevelRoom(FBevelKind, FBevelInner, FBevelOuter, FBevelWidth)) {
    if (FBevelEdges.Contains(beLeft)) r->Left += e;
    if (FBevelEdges.Contains(beTop)) r->Top += e;
    if (FBevelEdges.Contains(beRight)) r->Right -= e;
    if (FBevelEdges.Contains(beBottom)) r->Bottom -= e;
  }
  // A frame wider than the window leaves an empty client area, never an
  // inverted one.
  r->Right = std::max(r->Right, r->Left);
  r->Bottom = std::max(r->Bottom, r->Top);
}

void TWinControl::WMNCPaint(TMessage& Message) {
  DefaultHandler(Message);
  if (!FHandle || (FBevelKind == bkNone && FBorderWidth <= 0)) return;
  RECT wr;
  GetWindowRect(FHandle, &wr);
  TRect rc(0, 0, wr.Right - wr.Left, wr.Bottom - wr.Top);
  DWORD style = DWORD(GetWindowLongW(FHandle, GWL_STYLE)), ex = DWORD(GetWindowLongW(FHandle, GWL_EXSTYLE));
  // Inside the window's own border.
  if (style & WS_THICKFRAME) InflateRect(rc, -GetSystemMetrics(SM_CXFRAME), -GetSystemMetrics(SM_CYFRAME));
  else if (style & WS_BORDER) InflateRect(rc, -1, -1);
  if (ex & WS_EX_CLIENTEDGE) InflateRect(rc, -GetSystemMetrics(SM_CXEDGE), -GetSystemMetrics(SM_CYEDGE));
  // The client area and the scroll bars beside it keep their pixels.
  RECT cr;
  ::vcl::GetClientRect(FHandle, &cr);
  POINT origin(0, 0);
  ::vcl::ClientToScreen(FHandle, &origin);
  TRect client(cr);
  OffsetRect(client, origin.X - wr.Left, origin.Y - wr.Top);
  if (style & WS_VSCROLL) client.Right += GetSystemMetrics(SM_CXVSCROLL);
  if (style & WS_HSCROLL) client.Bottom += GetSystemMetrics(SM_CYHSCROLL);
  HDC dc = GetWindowDC(FHandle);
  if (!dc) return;
  IntersectClipRect(dc, rc.Left, rc.Top, rc.Right, rc.Bottom);
  ExcludeClipRect(dc, client.Left, client.Top, client.Right, client.Bottom);
  RECT fill = rc;
  FillRect(dc, &fill, Brush()->Handle());
  if (FBevelKind != bkNone) {
    UINT edges = 0;
    if (FBevelEdges.Contains(beLeft)) edges |= BF_LEFT;
    if (FBevelEdges.Contains(beTop)) edges |= BF_TOP;
    if (FBevelEdges.Contains(beRight)) edges |= BF_RIGHT;
    if (FBevelEdges.Contains(beBottom)) edges |= BF_BOTTOM;
    UINT flags = edges | (FBevelKind == bkSoft ? BF_SOFT : 0) | (FBevelKind == bkFlat ? BF_FLAT : 0) |
                 (FCtl3D ? 0 : BF_MONO);
    RECT er = rc;
    DrawEdge(dc, &er, InnerEdge(FBevelInner) | OuterEdge(FBevelOuter), flags);
  }
  ReleaseDC(FHandle, dc);
}

bool TWinControl::InvokeHelp() {
  if (!Application) return false;
  for (TControl* c = this; c; c = c->Parent()) {
    if (c->HelpType() == htContext && c->HelpContext() != 0) {
      Application->HelpContext(c->HelpContext());
      return true;
    }
    if (c->HelpType() == htKeyword && !c->HelpKeyword().empty()) {
      Application->HelpKeyword(c->HelpKeyword());
      return true;
    }
  }
  return false;
}

}  // namespace vcl
