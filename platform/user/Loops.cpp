// Modal loops: the idle step every loop shares, the move and size loops of
// WM_SYSCOMMAND and drag detection. Each loop reads the thread's own queue,
// handles the input it is about and dispatches everything else, so timers,
// posted messages and paints keep running while it lasts.
#include <algorithm>

#include "platform/user/Server.h"

namespace vcl {

using namespace server;

namespace {

std::mutex gIdleLock;
TModalIdleHook gIdleHook;

bool IsMouseMessage(UINT m) {
  return (m >= WM_MOUSEFIRST && m <= WM_MOUSELAST) || (m >= WM_NCMOUSEMOVE && m <= WM_NCMBUTTONDBLCLK);
}
bool IsKeyMessage(UINT m) { return m >= WM_KEYFIRST && m <= WM_KEYLAST; }

int Clamp(int v, int lo, int hi) { return std::max(lo, std::min(v, std::max(lo, hi))); }

}  // namespace

TModalIdleHook SetModalIdleHook(TModalIdleHook hook) {
  std::lock_guard<std::mutex> lk(gIdleLock);
  TModalIdleHook old = std::move(gIdleHook);
  gIdleHook = std::move(hook);
  return old;
}

bool ModalIdle() {
  // Input held back by a pause is still to come: wait for it rather than
  // give up.
  bool held;
  {
    std::lock_guard<std::mutex> lk(S().Lock);
    held = S().Hook.InputDue && S().Hook.InputDue() != INT64_MAX;
  }
  if (held) {
    WaitMessage();
    return true;
  }
  TModalIdleHook hook;
  {
    std::lock_guard<std::mutex> lk(gIdleLock);
    hook = gIdleHook;
  }
  if (hook) return hook();
  WaitMessage();
  return true;
}

bool ModalGetMessage(MSG* msg) {
  if (!msg) return false;
  for (;;) {
    if (PeekMessageW(msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg->message == WM_QUIT) {
        // The loop ends; the application's own loop still has to see it.
        PostQuitMessage(int(msg->wParam));
        return false;
      }
      return true;
    }
    if (!ModalIdle()) return false;
  }
}

namespace server {

void SizeMoveLoop(HWND h, WPARAM command) {
  bool move = (command & 0xFFF0) == SC_MOVE;
  int edge = move ? 0 : int(command & 0xF);
  TRect orig;
  TPoint parentOrigin;
  {
    std::lock_guard<std::mutex> lk(S().Lock);
    Window* w = FindLive(h);
    // A minimised or maximised window keeps its place.
    if (!w || w->Minimized || w->Maximized || !(w->Style & WS_VISIBLE)) return;
    orig = ScreenRect(w);
    if (w->IsChild()) parentOrigin = ScreenClient(w->Parent).TopLeft();
  }
  bool mouse = GetKeyState(VK_LBUTTON) < 0;
  TPoint start;
  {
    DWORD pos = GetMessagePos();
    start = TPoint(GET_X_LPARAM(LPARAM(pos)), GET_Y_LPARAM(LPARAM(pos)));
  }
  if (!mouse) {
    // From the keyboard the loop starts with the pointer at the window's
    // centre (moving) or on the edge being sized.
    start = TPoint((orig.Left + orig.Right) / 2, (orig.Top + orig.Bottom) / 2);
  }
  MINMAXINFO mmi{};
  if (!move) mmi = QueryMinMaxInfo(h);

  Send(h, WM_ENTERSIZEMOVE, 0, 0);
  SetCapture(h);
  TRect cur = orig;
  TPoint pt = start;
  auto apply = [&](TPoint p) {
    int dx = p.X - start.X, dy = p.Y - start.Y;
    TRect r = orig;
    if (move) {
      OffsetRect(r, dx, dy);
      Send(h, WM_MOVING, 0, reinterpret_cast<LPARAM>(&r));
      // Only the top-left corner of the answer counts: a move keeps the size.
      r = Bounds(r.Left, r.Top, orig.Width(), orig.Height());
    } else {
      bool left = edge == WMSZ_LEFT || edge == WMSZ_TOPLEFT || edge == WMSZ_BOTTOMLEFT;
      bool right = edge == WMSZ_RIGHT || edge == WMSZ_TOPRIGHT || edge == WMSZ_BOTTOMRIGHT;
      bool top = edge == WMSZ_TOP || edge == WMSZ_TOPLEFT || edge == WMSZ_TOPRIGHT;
      bool bottom = edge == WMSZ_BOTTOM || edge == WMSZ_BOTTOMLEFT || edge == WMSZ_BOTTOMRIGHT;
      int cx = orig.Width() + (left ? -dx : right ? dx : 0);
      int cy = orig.Height() + (top ? -dy : bottom ? dy : 0);
      cx = Clamp(cx, mmi.ptMinTrackSize.X, mmi.ptMaxTrackSize.X);
      cy = Clamp(cy, mmi.ptMinTrackSize.Y, mmi.ptMaxTrackSize.Y);
      // The opposite edge stays where it was.
      if (left) r.Left = r.Right - cx;
      else r.Right = r.Left + cx;
      if (top) r.Top = r.Bottom - cy;
      else r.Bottom = r.Top + cy;
      Send(h, WM_SIZING, WPARAM(edge), reinterpret_cast<LPARAM>(&r));
    }
    if (r == cur) return;
    cur = r;
    SetWindowPos(h, nullptr, r.Left - parentOrigin.X, r.Top - parentOrigin.Y, r.Width(), r.Height(),
                 SWP_NOZORDER | SWP_NOACTIVATE | (move ? SWP_NOSIZE : 0));
  };

  bool cancel = false;
  for (;;) {
    MSG m;
    if (!ModalGetMessage(&m)) {
      cancel = true;
      break;
    }
    if (IsMouseMessage(m.message)) {
      if (m.message == WM_MOUSEMOVE || m.message == WM_NCMOUSEMOVE) {
        if (mouse) {
          pt = m.pt;
          apply(pt);
        }
      } else if (m.message == WM_LBUTTONUP || m.message == WM_NCLBUTTONUP) {
        if (mouse) {
          if (m.pt != pt) apply(m.pt);
          break;
        }
      } else if (!mouse && (m.message == WM_LBUTTONDOWN || m.message == WM_NCLBUTTONDOWN)) {
        break;  // a click ends a keyboard move where it is
      }
    } else if (IsKeyMessage(m.message)) {
      if (m.message == WM_KEYDOWN || m.message == WM_SYSKEYDOWN) {
        int step = 8;
        switch (m.wParam) {
          case VK_ESCAPE: cancel = true; break;
          case VK_RETURN: break;
          case VK_LEFT:
          case VK_RIGHT:
          case VK_UP:
          case VK_DOWN: {
            if (!move && edge == 0) {
              // The first arrow picks the edge a keyboard size moves.
              edge = m.wParam == VK_LEFT ? WMSZ_LEFT : m.wParam == VK_RIGHT ? WMSZ_RIGHT
                     : m.wParam == VK_UP ? WMSZ_TOP : WMSZ_BOTTOM;
            }
            if (m.wParam == VK_LEFT) pt.X -= step;
            if (m.wParam == VK_RIGHT) pt.X += step;
            if (m.wParam == VK_UP) pt.Y -= step;
            if (m.wParam == VK_DOWN) pt.Y += step;
            apply(pt);
            continue;
          }
          default: continue;
        }
        break;
      }
    } else {
      DispatchMessageW(&m);
    }
    if (GetCapture() != h || !IsWindow(h)) break;  // someone took the capture: the loop ends
  }
  if (cancel && IsWindow(h) && cur != orig)
    SetWindowPos(h, nullptr, orig.Left - parentOrigin.X, orig.Top - parentOrigin.Y, orig.Width(), orig.Height(),
                 SWP_NOZORDER | SWP_NOACTIVATE);
  if (GetCapture() == h) ReleaseCapture();
  if (IsWindow(h)) Send(h, WM_EXITSIZEMOVE, 0, 0);
}

}  // namespace server

bool DragDetect(HWND h, POINT p) {
  if (!IsWindow(h) || GetKeyState(VK_LBUTTON) >= 0) return false;
  int cx = GetSystemMetrics(SM_CXDRAG), cy = GetSystemMetrics(SM_CYDRAG);
  // The box is centred on the point.
  TRect box(p.X - cx / 2, p.Y - cy / 2, p.X - cx / 2 + cx + 1, p.Y - cy / 2 + cy + 1);
  SetCapture(h);
  bool drag = false;
  for (;;) {
    MSG m;
    if (!ModalGetMessage(&m)) break;
    if (m.message == WM_MOUSEMOVE || m.message == WM_NCMOUSEMOVE) {
      if (!PtInRect(box, m.pt)) {
        drag = true;
        break;
      }
    } else if (m.message == WM_LBUTTONUP || m.message == WM_NCLBUTTONUP ||
               (m.message == WM_KEYDOWN && m.wParam == VK_ESCAPE)) {
      break;
    } else if (!IsMouseMessage(m.message) && !IsKeyMessage(m.message)) {
      DispatchMessageW(&m);
    }
    if (GetCapture() != h) break;
  }
  if (GetCapture() == h) ReleaseCapture();
  return drag;
}

}  // namespace vcl
