// Window shapes for hit-testing: window regions, the pixels layered and
// animated top-level windows show, and ChildWindowFromPointEx.
#include "platform/user/Server.h"

namespace vcl::server {

bool InShape(Window* w, TPoint p) {
  TRect r = ScreenRect(w);
  if (!PtInRect(r, p)) return false;
  TPoint in(p.X - r.Left, p.Y - r.Top);
  if (w->WindowRgn && !PtInRegion(w->WindowRgn, in.X, in.Y)) return false;
  bool top = !w->Parent && !w->MessageOnly;
  if (top && ((w->ExStyle & WS_EX_LAYERED) || w->Animating)) return LookAlphaAt(LookOf(w), in) != 0;
  return true;
}

}  // namespace vcl::server

namespace vcl {

using namespace server;

namespace {

bool Skip(const Window* w, UINT flags) {
  return ((flags & CWP_SKIPINVISIBLE) && !(w->Style & WS_VISIBLE)) ||
         ((flags & CWP_SKIPDISABLED) && (w->Style & WS_DISABLED)) ||
         ((flags & CWP_SKIPTRANSPARENT) && (w->ExStyle & WS_EX_TRANSPARENT));
}

}  // namespace

HWND ChildWindowFromPointEx(HWND parent, POINT p, UINT flags) {
  std::lock_guard<std::mutex> lk(S().Lock);
  if (parent == GetDesktopWindow()) {
    // The desktop's children are the top-level windows, its client area the screen.
    for (Window* t : S().TopLevels)
      if (!Skip(t, flags) && InShape(t, p)) return t->Handle;
    return parent;
  }
  Window* w = Find(parent);
  if (!w) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return nullptr;
  }
  TRect client = ScreenClient(w);
  TPoint sp(p.X + client.Left, p.Y + client.Top);
  if (!InShape(w, sp)) return nullptr;
  // Children show only inside the client area.
  if (PtInRect(client, sp))
    for (Window* c : w->Children)
      if (!Skip(c, flags) && InShape(c, sp)) return c->Handle;
  return parent;
}

HWND ChildWindowFromPoint(HWND parent, POINT p) { return ChildWindowFromPointEx(parent, p, CWP_ALL); }

}  // namespace vcl
