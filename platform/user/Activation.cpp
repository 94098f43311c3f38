// Activation of top-level windows, the foreground, WM_MOUSEACTIVATE on a
// click into an inactive window, WM_CANCELMODE, and the default answers of
// the input messages (activation, cursor shapes, the input method).
#include <algorithm>

#include "platform/user/ServerInput.h"

namespace vcl::server {

namespace {

HWND gActive = nullptr;

HWND LiveActive() {
  if (gActive && !FindLive(gActive)) gActive = nullptr;
  return gActive;
}

bool InTree(const Window* w, HWND root) {
  for (; w; w = w->Parent)
    if (w->Handle == root) return true;
  return false;
}

// A window owned, directly or through its owners, by one being destroyed
// goes with it and must not take the activation over.
bool OwnerDying(const Window* t) {
  for (int depth = 0; t && depth < 64; ++depth) {
    if (t->Destroying) return true;
    t = t->Owner ? Find(t->Owner) : nullptr;
  }
  return false;
}

bool Eligible(const Window* t) {
  return CanActivate(t) && (t->Style & WS_VISIBLE) && !(t->Style & WS_DISABLED) && !t->Minimized &&
         !OwnerDying(t);
}

// Who takes the activation when the active window leaves: its owner when it
// can, else the frontmost window that can. Lock held.
HWND Successor(const Window* leaving) {
  if (leaving->Owner) {
    Window* o = Find(leaving->Owner);
    if (o && o != leaving && Eligible(o)) return o->Handle;
  }
  for (Window* t : S().TopLevels)
    if (t != leaving && Eligible(t)) return t->Handle;
  return nullptr;
}

std::vector<HWND> TopLevelsOf(DWORD tid) {
  std::vector<HWND> r;
  for (Window* t : S().TopLevels)
    if (t->ThreadId == tid) r.push_back(t->Handle);
  return r;
}

bool StillActive(HWND h) {
  std::lock_guard<std::mutex> lk(S().Lock);
  return LiveActive() == h;
}

HCURSOR CursorForHit(LRESULT hit) {
  switch (hit) {
    case HTLEFT:
    case HTRIGHT: return LoadCursorW(nullptr, IDC_SIZEWE);
    case HTTOP:
    case HTBOTTOM: return LoadCursorW(nullptr, IDC_SIZENS);
    case HTTOPLEFT:
    case HTBOTTOMRIGHT: return LoadCursorW(nullptr, IDC_SIZENWSE);
    case HTTOPRIGHT:
    case HTBOTTOMLEFT: return LoadCursorW(nullptr, IDC_SIZENESW);
    default: return LoadCursorW(nullptr, IDC_ARROW);
  }
}

HWND ParentOfChild(HWND h) {
  std::lock_guard<std::mutex> lk(S().Lock);
  Window* w = Find(h);
  return w && w->IsChild() ? w->Parent->Handle : nullptr;
}

bool DoActivate(HWND top, bool click, bool raise) {
  HWND old;
  {
    std::lock_guard<std::mutex> lk(S().Lock);
    if (top) {
      Window* w = FindLive(top);
      if (!w) return false;
      w = TopOf(w);
      top = w->Handle;
      if (!CanActivate(w)) return false;
    }
    old = LiveActive();
    if (old == top) return true;
  }
  if (top) {
    CBTACTIVATESTRUCT cbt;
    cbt.fMouse = click;
    cbt.hWndActive = old;
    if (CallCbt(HCBT_ACTIVATE, reinterpret_cast<WPARAM>(top), reinterpret_cast<LPARAM>(&cbt))) return false;
  }
  DWORD oldTid = 0, newTid = 0;
  bool oldMin = false, newMin = false;
  {
    std::lock_guard<std::mutex> lk(S().Lock);
    Window* nw = top ? FindLive(top) : nullptr;
    if (top && !nw) return false;
    old = LiveActive();
    if (old == top) return true;
    gActive = top;
    if (Window* ow = old ? Find(old) : nullptr) {
      oldTid = ow->ThreadId;
      oldMin = ow->Minimized;
    }
    if (nw) {
      newTid = nw->ThreadId;
      newMin = nw->Minimized;
      RaiseWinEvent(EVENT_SYSTEM_FOREGROUND, top, OBJID_WINDOW, CHILDID_SELF);
    }
  }
  // Each step checks that nobody moved the activation elsewhere meanwhile;
  // a handler that did so has already run the whole sequence for its window.
  if (old) {
    Send(old, WM_NCACTIVATE, 0, reinterpret_cast<LPARAM>(top));
    Send(old, WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, oldMin ? 1 : 0), reinterpret_cast<LPARAM>(top));
    if (oldTid != newTid) {
      std::vector<HWND> app;
      {
        std::lock_guard<std::mutex> lk(S().Lock);
        app = TopLevelsOf(oldTid);
      }
      for (HWND a : app) Send(a, WM_ACTIVATEAPP, 0, LPARAM(newTid));
    }
    // The focus does not stay in a window that is no longer active.
    HWND lost = nullptr;
    {
      std::lock_guard<std::mutex> lk(S().Lock);
      HWND f = S().Focus;
      Window* fw = f ? FindLive(f) : nullptr;
      if (fw && InTree(fw, old)) {
        S().Focus = nullptr;
        lost = f;
      }
    }
    if (lost) Send(lost, WM_KILLFOCUS, 0, 0);
  }
  if (!top || !StillActive(top)) return true;
  if (raise) SetWindowPos(top, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  if (oldTid != newTid) {
    std::vector<HWND> app;
    {
      std::lock_guard<std::mutex> lk(S().Lock);
      app = TopLevelsOf(newTid);
    }
    for (HWND a : app) Send(a, WM_ACTIVATEAPP, 1, LPARAM(oldTid));
  }
  if (!StillActive(top)) return true;
  Send(top, WM_NCACTIVATE, 1, reinterpret_cast<LPARAM>(old));
  if (!StillActive(top)) return true;
  Send(top, WM_ACTIVATE, MAKEWPARAM(click ? WA_CLICKACTIVE : WA_ACTIVE, newMin ? 1 : 0),
       reinterpret_cast<LPARAM>(old));
  return true;
}

}  // namespace

bool CanActivate(const Window* t) {
  return t && !t->Parent && !t->MessageOnly && !t->Destroying && !(t->ExStyle & WS_EX_NOACTIVATE);
}

HWND ActiveLocked() { return LiveActive(); }

bool Activate(HWND top, bool clickActive) { return DoActivate(top, clickActive, true); }

bool MouseActivate(HWND target, LRESULT hit, UINT msg) {
  HWND top;
  {
    std::lock_guard<std::mutex> lk(S().Lock);
    Window* w = FindLive(target);
    if (!w) return false;
    top = TopOf(w)->Handle;
    if (top == LiveActive()) return false;
  }
  LRESULT r = Send(target, WM_MOUSEACTIVATE, reinterpret_cast<WPARAM>(top), MAKELPARAM(int(hit), int(msg)));
  bool eat = r == MA_ACTIVATEANDEAT || r == MA_NOACTIVATEANDEAT;
  if (r != MA_NOACTIVATE && r != MA_NOACTIVATEANDEAT) {
    bool may;
    {
      std::lock_guard<std::mutex> lk(S().Lock);
      Window* t = FindLive(top);
      may = t && CanActivate(t) && !(t->Style & WS_DISABLED);
    }
    if (may) DoActivate(top, true, true);
  }
  return eat;
}

void AfterWindowPos(HWND h, UINT flags, bool shown, bool hidden, bool movedOrSized) {
  HWND next = nullptr;
  bool handOver = false, activate = false;
  {
    std::lock_guard<std::mutex> lk(S().Lock);
    Window* w = FindLive(h);
    if (!w) return;
    if (shown) RaiseWinEvent(EVENT_OBJECT_SHOW, h, OBJID_WINDOW, CHILDID_SELF);
    if (hidden) RaiseWinEvent(EVENT_OBJECT_HIDE, h, OBJID_WINDOW, CHILDID_SELF);
    if (movedOrSized) RaiseWinEvent(EVENT_OBJECT_LOCATIONCHANGE, h, OBJID_WINDOW, CHILDID_SELF);
    if (w->Parent || w->MessageOnly) return;
    bool minimizedAway = w->Minimized && (flags & SWP_STATECHANGED) && (flags & SWP_NOACTIVATE);
    if ((hidden || minimizedAway) && LiveActive() == h) {
      handOver = true;
      next = Successor(w);
    } else if (!(flags & SWP_NOACTIVATE) && (w->Style & WS_VISIBLE) && CanActivate(w)) {
      activate = true;
    }
  }
  if (handOver) DoActivate(next, false, true);
  else if (activate) DoActivate(h, false, (flags & SWP_NOZORDER) != 0);
}

void BeforeDestroy(HWND h) {
  HWND next = nullptr;
  bool handOver = false;
  {
    std::lock_guard<std::mutex> lk(S().Lock);
    Window* w = Find(h);
    if (!w) return;
    std::vector<Window*> tree{w};
    for (size_t i = 0; i < tree.size(); ++i)
      for (Window* c : tree[i]->Children) tree.push_back(c);
    for (Window* t : tree) {
      RaiseWinEvent(EVENT_OBJECT_DESTROY, t->Handle, OBJID_WINDOW, CHILDID_SELF);
      DropCaretOf(t->Handle);
      DropImeOf(t->Handle);
    }
    if (!w->Parent && LiveActive() == h) {
      handOver = true;
      next = Successor(w);
    }
  }
  if (handOver) DoActivate(next, false, true);
}

void BeforeDisable(HWND h) {
  Send(h, WM_CANCELMODE, 0, 0);
  bool lose = false;
  {
    std::lock_guard<std::mutex> lk(S().Lock);
    HWND f = S().Focus;
    Window* fw = f ? FindLive(f) : nullptr;
    lose = fw && InTree(fw, h);
  }
  // A disabled window takes no keys, so it cannot keep the focus.
  if (lose) SetFocus(nullptr);
}

bool DefInputProc(HWND h, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
  switch (msg) {
    case WM_ACTIVATE: {
      result = 0;
      if (LOWORD(wp) == WA_INACTIVE || HIWORD(wp)) return true;
      bool inside;
      {
        std::lock_guard<std::mutex> lk(S().Lock);
        HWND f = S().Focus;
        Window* fw = f ? FindLive(f) : nullptr;
        inside = fw && InTree(fw, h);
      }
      if (!inside) SetFocus(h);
      return true;
    }
    case WM_MOUSEACTIVATE: {
      // The parent has the first say, so a container can keep clicks on its
      // children from activating it.
      HWND parent = ParentOfChild(h);
      LRESULT r = parent ? Send(parent, WM_MOUSEACTIVATE, wp, lp) : 0;
      result = r ? r : MA_ACTIVATE;
      return true;
    }
    case WM_CANCELMODE:
      result = 0;
      if (GetCapture() == h) ReleaseCapture();
      return true;
    case WM_SETCURSOR: {
      result = 0;
      HWND parent = ParentOfChild(h);
      HCURSOR cls = nullptr;
      {
        std::lock_guard<std::mutex> lk(S().Lock);
        Window* w = Find(h);
        if (!w) return true;
        cls = w->Class->Cursor;
      }
      if (parent && Send(parent, WM_SETCURSOR, wp, lp)) {
        result = 1;
        return true;
      }
      LRESULT hit = LRESULT(int16_t(LOWORD(uintptr_t(lp))));
      if (hit == HTCLIENT) {
        if (!cls) return true;  // the window sets its own
        SetCursor(cls);
      } else {
        SetCursor(CursorForHit(hit));
      }
      result = 1;
      return true;
    }
    case WM_IME_STARTCOMPOSITION:
    case WM_IME_ENDCOMPOSITION:
    case WM_IME_SETCONTEXT:
    case WM_IME_NOTIFY:
      result = 0;
      return true;
    case WM_IME_COMPOSITION: {
      // The result string comes back as one WM_IME_CHAR per character, after
      // the composition messages the input method is still sending.
      result = 0;
      if (!(DWORD(lp) & GCS_RESULTSTR)) return true;
      HIMC imc = ImmGetContext(h);
      if (!imc) return true;
      LONG bytes = ImmGetCompositionStringW(imc, GCS_RESULTSTR, nullptr, 0);
      String text(size_t(std::max<LONG>(0, bytes)) / 2, u'\0');
      if (!text.empty()) ImmGetCompositionStringW(imc, GCS_RESULTSTR, text.data(), DWORD(bytes));
      ImmReleaseContext(h, imc);
      for (char16_t c : text) PostMessageW(h, WM_IME_CHAR, c, 1);
      return true;
    }
    case WM_IME_CHAR:
      result = 0;
      PostMessageW(h, WM_CHAR, wp, lp);
      return true;
    default:
      return false;
  }
}

}  // namespace vcl::server

namespace vcl {

using namespace server;

HWND SetActiveWindow(HWND h) {
  HWND old;
  {
    std::lock_guard<std::mutex> lk(S().Lock);
    if (h && !FindLive(h)) {
      SetLastError(ERROR_INVALID_WINDOW_HANDLE);
      return nullptr;
    }
    old = LiveActive();
  }
  return DoActivate(h, false, true) ? old : nullptr;
}

HWND GetActiveWindow() {
  std::lock_guard<std::mutex> lk(S().Lock);
  return LiveActive();
}

bool SetForegroundWindow(HWND h) {
  {
    std::lock_guard<std::mutex> lk(S().Lock);
    if (!FindLive(h)) {
      SetLastError(ERROR_INVALID_WINDOW_HANDLE);
      return false;
    }
  }
  return DoActivate(h, false, true);
}

HWND GetForegroundWindow() { return GetActiveWindow(); }

}  // namespace vcl
