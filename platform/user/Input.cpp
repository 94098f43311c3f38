// Capture, focus, the key state and character translation on a US layout.
#include <algorithm>

#include "platform/user/ServerInput.h"

namespace vcl {

using namespace server;

namespace server {

bool Skipped(const Window* w, const std::vector<HWND>& skip) {
  return std::find(skip.begin(), skip.end(), w->Handle) != skip.end();
}

Window* DeepestAt(Window* w, TPoint p, const std::vector<HWND>& skip) {
  // Window regions, see-through layered pixels and WS_EX_TRANSPARENT hand
  // the point to what lies below.
  if (!(w->Style & WS_VISIBLE) || (w->ExStyle & WS_EX_TRANSPARENT) || !InShape(w, p) || Skipped(w, skip))
    return nullptr;
  if (w->Style & WS_DISABLED) return w;  // a disabled window keeps the point from its children
  if (PtInRect(ScreenClient(w), p))
    for (Window* c : w->Children)
      if (Window* hit = DeepestAt(c, p, skip)) return hit;
  return w;
}

HWND WindowAt(TPoint p, const std::vector<HWND>& skip) {
  for (Window* t : S().TopLevels)
    if (Window* w = DeepestAt(t, p, skip)) return w->Handle;
  return nullptr;
}

}  // namespace server

namespace {

// The character a key makes on a US layout, 0 for none.
char16_t UsChar(int vk, bool shift, bool ctrl) {
  if (ctrl) {
    if (vk >= 'A' && vk <= 'Z') return char16_t(vk - 'A' + 1);
    return 0;
  }
  if (vk >= 'A' && vk <= 'Z') return char16_t(shift ? vk : vk + 32);
  if (vk >= '0' && vk <= '9') return shift ? u")!@#$%^&*("[vk - '0'] : char16_t(vk);
  if (vk >= VK_NUMPAD0 && vk <= VK_NUMPAD0 + 9) return char16_t('0' + vk - VK_NUMPAD0);
  switch (vk) {
    case VK_SPACE: return u' ';
    case VK_RETURN: return u'\r';
    case VK_BACK: return 8;
    case VK_TAB: return u'\t';
    case VK_ESCAPE: return 27;
    case VK_MULTIPLY: return u'*';
    case VK_ADD: return u'+';
    case VK_SUBTRACT: return u'-';
    case VK_DECIMAL: return u'.';
    case VK_DIVIDE: return u'/';
    case VK_OEM_1: return shift ? u':' : u';';
    case VK_OEM_PLUS: return shift ? u'+' : u'=';
    case VK_OEM_COMMA: return shift ? u'<' : u',';
    case VK_OEM_MINUS: return shift ? u'_' : u'-';
    case VK_OEM_PERIOD: return shift ? u'>' : u'.';
    case VK_OEM_2: return shift ? u'?' : u'/';
    case VK_OEM_3: return shift ? u'~' : u'`';
    case VK_OEM_4: return shift ? u'{' : u'[';
    case VK_OEM_5: return shift ? u'|' : u'\\';
    case VK_OEM_6: return shift ? u'}' : u']';
    case VK_OEM_7: return shift ? u'"' : u'\'';
    default: return 0;
  }
}


HWND LiveOrNull(HWND& slot) {
  if (slot && !FindLive(slot)) slot = nullptr;
  return slot;
}

}  // namespace

HWND SetCapture(HWND h) {
  HWND old;
  {
    std::lock_guard<std::mutex> lk(S().Lock);
    Window* w = FindLive(h);
    if (!w) return nullptr;
    old = LiveOrNull(S().Capture);
    S().Capture = h;
  }
  // The loser is told, so it can end whatever drag it was running.
  if (old && old != h) Send(old, WM_CAPTURECHANGED, 0, reinterpret_cast<LPARAM>(h));
  return old;
}

bool ReleaseCapture() {
  HWND old;
  {
    std::lock_guard<std::mutex> lk(S().Lock);
    old = LiveOrNull(S().Capture);
    S().Capture = nullptr;
  }
  if (old) Send(old, WM_CAPTURECHANGED, 0, 0);
  return true;
}

HWND GetCapture() {
  std::lock_guard<std::mutex> lk(S().Lock);
  return LiveOrNull(S().Capture);
}

HWND SetFocus(HWND h) {
  HWND old;
  // The focus lives in the active window: focusing a window of another
  // top-level window activates that one first (its WM_ACTIVATE may already
  // put the focus somewhere).
  HWND activate = nullptr;
  {
    std::lock_guard<std::mutex> lk(S().Lock);
    old = LiveOrNull(S().Focus);
    Window* w = h ? FindLive(h) : nullptr;
    if (w && !(w->Style & WS_DISABLED)) {
      Window* top = TopOf(w);
      if (CanActivate(top) && ActiveLocked() != top->Handle) activate = top->Handle;
    }
  }
  if (activate) Activate(activate, false);
  HWND before = old;
  {
    std::lock_guard<std::mutex> lk(S().Lock);
    old = LiveOrNull(S().Focus);
    if (h) {
      Window* w = FindLive(h);
      if (!w) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
      }
      if (w->Style & WS_DISABLED) return nullptr;
    }
    if (old == h) return before;
    S().Focus = h;
  }
  if (old) Send(old, WM_KILLFOCUS, reinterpret_cast<WPARAM>(h), 0);
  if (h) {
    // The loser may have moved the focus elsewhere meanwhile; then the new
    // owner is not told about a focus it no longer has.
    bool still;
    {
      std::lock_guard<std::mutex> lk(S().Lock);
      still = S().Focus == h && FindLive(h);
    }
    if (still) Send(h, WM_SETFOCUS, reinterpret_cast<WPARAM>(old), 0);
  }
  return before;
}

HWND GetFocus() {
  std::lock_guard<std::mutex> lk(S().Lock);
  return LiveOrNull(S().Focus);
}

SHORT GetKeyState(int vk) {
  if (vk < 0 || vk > 255) return 0;
  std::lock_guard<std::mutex> lk(S().Lock);
  Byte b = S().KeyState[vk];
  return SHORT(((b & 0x80) ? 0x8000 : 0) | (b & 1));
}

SHORT GetAsyncKeyState(int vk) {
  if (vk < 0 || vk > 255) return 0;
  std::lock_guard<std::mutex> lk(S().Lock);
  return SHORT((S().AsyncKeyState[vk] & 0x80) ? 0x8000 : 0);
}

HWND WindowFromPoint(POINT p) {
  std::lock_guard<std::mutex> lk(S().Lock);
  return WindowAt(p, {});
}

bool GetKeyboardState(Byte* state256) {
  if (!state256) return false;
  std::lock_guard<std::mutex> lk(S().Lock);
  std::copy(std::begin(S().KeyState), std::end(S().KeyState), state256);
  return true;
}

SHORT VkKeyScanW(char16_t c) {
  // Searching the layout keeps the two directions from ever disagreeing.
  for (int shift = 0; shift < 2; ++shift)
    for (int vk = 1; vk < 256; ++vk)
      if (vk != VK_ESCAPE && !(vk >= VK_NUMPAD0 && vk <= VK_DIVIDE) && UsChar(vk, shift, false) == c)
        return SHORT(vk | (shift << 8));
  if (c >= 1 && c <= 26) return SHORT(('A' + c - 1) | 0x200);
  if (c == 27) return VK_ESCAPE;
  return -1;
}

int ToUnicode(UINT vk, UINT scanCode, const Byte* state, char16_t* buffer, int size, UINT) {
  // A released key (bit 15 of the scan code) types nothing.
  if (!state || !buffer || size < 1 || vk > 255 || (scanCode & 0x8000)) return 0;
  char16_t c = UsChar(int(vk), state[VK_SHIFT] & 0x80, (state[VK_CONTROL] & 0x80) && !(state[VK_MENU] & 0x80));
  if (!c) return 0;
  buffer[0] = c;
  return 1;
}

bool GetCursorPos(POINT* p) {
  if (!p) return false;
  std::lock_guard<std::mutex> lk(S().Lock);
  *p = S().CursorPos;
  return true;
}

bool TrackMouseEvent(TRACKMOUSEEVENT* e) {
  if (!e || e->cbSize != sizeof(TRACKMOUSEEVENT)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  std::lock_guard<std::mutex> lk(S().Lock);
  Server& s = S();
  if (e->dwFlags & TME_QUERY) {
    LiveOrNull(s.LeaveTrack);
    HWND hover;
    bool hoverNc;
    DWORD hoverMs;
    bool hovering = QueryHover(hover, hoverNc, hoverMs);
    e->dwFlags = s.LeaveTrack ? (TME_LEAVE | (s.LeaveNonClient ? TME_NONCLIENT : 0)) : 0;
    e->hwndTrack = s.LeaveTrack;
    if (hovering && (!s.LeaveTrack || (hover == s.LeaveTrack && hoverNc == s.LeaveNonClient))) {
      e->dwFlags |= TME_HOVER | (hoverNc ? TME_NONCLIENT : 0);
      e->hwndTrack = hover;
      e->dwHoverTime = hoverMs;
    }
    return true;
  }
  if (!FindLive(e->hwndTrack)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return false;
  }
  bool nc = (e->dwFlags & TME_NONCLIENT) != 0;
  if (e->dwFlags & TME_HOVER) {
    if (e->dwFlags & TME_CANCEL) CancelHover(e->hwndTrack, nc);
    else StartHover(e->hwndTrack, nc, e->dwHoverTime);
  }
  if (!(e->dwFlags & TME_LEAVE)) return true;
  if (e->dwFlags & TME_CANCEL) {
    if (s.LeaveTrack == e->hwndTrack && s.LeaveNonClient == nc) s.LeaveTrack = nullptr;
    return true;
  }
  s.LeaveTrack = e->hwndTrack;
  s.LeaveNonClient = nc;
  return true;
}

HCURSOR SetCursor(HCURSOR c) {
  std::lock_guard<std::mutex> lk(S().Lock);
  HCURSOR old = S().Cursor;
  S().Cursor = c;
  return old;
}

HCURSOR GetCursor() {
  std::lock_guard<std::mutex> lk(S().Lock);
  return S().Cursor;
}

bool TranslateMessage(const MSG* msg) {
  if (!msg || (msg->message != WM_KEYDOWN && msg->message != WM_SYSKEYDOWN)) return false;
  bool shift, ctrl, alt;
  {
    std::lock_guard<std::mutex> lk(S().Lock);
    shift = S().KeyState[VK_SHIFT] & 0x80;
    ctrl = S().KeyState[VK_CONTROL] & 0x80;
    alt = S().KeyState[VK_MENU] & 0x80;
  }
  char16_t c = UsChar(int(msg->wParam), shift, ctrl && !alt);
  if (!c) return false;
  PostMessageW(msg->hwnd, msg->message == WM_SYSKEYDOWN ? WM_SYSCHAR : WM_CHAR, c, msg->lParam);
  return true;
}

}  // namespace vcl
