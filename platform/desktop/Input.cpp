// The input driver: the system input queue and its routing at retrieval.
#include <algorithm>
#include <deque>

#include "platform/desktop/Desktop.h"
#include "platform/user/ServerInput.h"

namespace vcl {

using namespace server;

namespace {

enum class Kind { Move, Down, Up, Wheel, HWheel, KeyDown, KeyUp, Ime, Pause };

struct Event {
  Kind K = Kind::Move;
  TPoint Pt;
  int Code = 0;  // button or virtual key; wheel delta
  DWORD Time = 0;
  UINT DblTime = 0;
  TPoint DblBox;
  Int64 Seq = 0;
  String Text;  // a composed string (Ime)
};

struct InputState {
  std::deque<Event> Events;
  Int64 NextSeq = 1;
  // The last button press, for double clicks.
  int LastButton = 0;
  DWORD LastTime = 0;
  TPoint LastPt;
  HWND LastHwnd = nullptr;
  // A pause in force until PauseEnd (clock ms; 0: none). Input queued
  // meanwhile waits in Held, further pauses among it (Code: their length).
  Int64 PauseEnd = 0;
  std::deque<Event> Held;
};

InputState& In() {
  static InputState st;
  return st;
}

bool MatchesWindow(HWND filter, HWND h) {
  if (!filter) return true;
  if (filter == HwndFromValue(-1)) return false;
  if (h == filter) return true;
  Window* w = Find(h);
  for (Window* p = w ? w->Parent : nullptr; p; p = p->Parent)
    if (p->Handle == filter) return true;
  return false;
}

WPARAM MouseKeys(const Byte* ks) {
  WPARAM r = 0;
  if (ks[VK_LBUTTON] & 0x80) r |= MK_LBUTTON;
  if (ks[VK_RBUTTON] & 0x80) r |= MK_RBUTTON;
  if (ks[VK_MBUTTON] & 0x80) r |= MK_MBUTTON;
  if (ks[VK_SHIFT] & 0x80) r |= MK_SHIFT;
  if (ks[VK_CONTROL] & 0x80) r |= MK_CONTROL;
  return r;
}

UINT ButtonBase(int button) {
  return button == VK_RBUTTON ? WM_RBUTTONDOWN : button == VK_MBUTTON ? WM_MBUTTONDOWN : WM_LBUTTONDOWN;
}

void SetKey(Byte* ks, int vk, bool down) {
  if (down) {
    if (!(ks[vk] & 0x80)) ks[vk] ^= 1;  // toggles on each fresh press
    ks[vk] |= 0x80;
  } else {
    ks[vk] &= Byte(~0x80);
  }
}

// Puts an event into the system input queue; lock held.
void Admit(Event e) {
  Server& s = S();
  e.Time = DWORD(ClockMs());
  e.Seq = In().NextSeq++;
  if (e.K == Kind::Move) s.CursorPos = ClampToClip(e.Pt);
  e.Pt = s.CursorPos;
  if (e.K == Kind::Down || e.K == Kind::KeyDown) SetKey(s.AsyncKeyState, e.Code, true);
  if (e.K == Kind::Up || e.K == Kind::KeyUp) SetKey(s.AsyncKeyState, e.Code, false);
  In().Events.push_back(e);
  WakeAll(QS_INPUT);
}

// Lets through what was held behind pauses that have run out; lock held.
void ReleaseHeld() {
  InputState& st = In();
  Int64 now = ClockMs();
  while (st.PauseEnd != 0 && now >= st.PauseEnd) {
    st.PauseEnd = 0;
    while (!st.Held.empty()) {
      Event e = st.Held.front();
      st.Held.pop_front();
      if (e.K == Kind::Pause) {
        st.PauseEnd = now + e.Code;
        break;
      }
      Admit(e);
    }
  }
}

Int64 HeldInputDue() {
  InputState& st = In();
  return st.PauseEnd != 0 && !st.Held.empty() ? st.PauseEnd : INT64_MAX;
}

void Queue(Event e) {
  std::lock_guard<std::mutex> lk(S().Lock);
  ReleaseHeld();
  if (In().PauseEnd == 0) {
    Admit(e);
    return;
  }
  In().Held.push_back(e);
  // Waiting threads look again and learn when the held input is due.
  for (auto& [id, q] : S().Queues)
    if (q) Notify(*q);
}

// Commits a retrieved event's effect on the key state.
void Commit(const Event& e) {
  Byte* ks = S().KeyState;
  if (e.K == Kind::Down || e.K == Kind::KeyDown) SetKey(ks, e.Code, true);
  if (e.K == Kind::Up || e.K == Kind::KeyUp) SetKey(ks, e.Code, false);
}

void LeaveCheck(HWND target, bool nonClient);

bool PeekInputLocked(std::unique_lock<std::mutex>& lk, ThreadQueue& q, HWND filter, UINT min, UINT max,
                     bool remove, MSG& out) {
  Server& s = S();
  InputState& st = In();
  ReleaseHeld();
  for (int guard = 0; guard < 1000 && !st.Events.empty(); ++guard) {
    Event e = st.Events.front();
    bool mouse = e.K == Kind::Move || e.K == Kind::Down || e.K == Kind::Up;
    HWND target = nullptr;
    LRESULT hit = HTCLIENT;
    bool captured = false;
    if (mouse) {
      if (s.Capture && FindLive(s.Capture)) {
        target = s.Capture;
        captured = true;
      } else {
        target = WindowAt(e.Pt, {});
      }
    } else {
      target = s.Focus && FindLive(s.Focus) ? s.Focus : nullptr;
      if (!target && (e.K == Kind::Wheel || e.K == Kind::HWheel)) target = WindowAt(e.Pt, {});
    }
    Window* w = target ? FindLive(target) : nullptr;
    if (!w) {
      // Nobody to receive it: the state still changes.
      Commit(e);
      st.Events.pop_front();
      if (mouse) {
        LeaveCheck(nullptr, false);
        HoverCheck(nullptr, false, e.Pt, e.Time);
      }
      continue;
    }
    if (w->ThreadId != q.ThreadId) return false;  // another thread's turn
    if (e.K == Kind::Ime) {
      // The input method talks to the focus window with sent messages; the
      // characters it leaves behind are posted.
      st.Events.pop_front();
      lk.unlock();
      DeliverComposition(target, e.Text);
      lk.lock();
      continue;
    }
    if (mouse && !captured) {
      // A window answering HTTRANSPARENT hands the point to what lies below it.
      std::vector<HWND> skip;
      for (;;) {
        lk.unlock();
        hit = Send(target, WM_NCHITTEST, 0, MAKELPARAM(e.Pt.X, e.Pt.Y));
        lk.lock();
        if (hit != HTTRANSPARENT || skip.size() >= 64) break;
        skip.push_back(target);
        HWND below = WindowAt(e.Pt, skip);
        Window* bw = below ? FindLive(below) : nullptr;
        if (!bw || bw->ThreadId != q.ThreadId) break;
        target = below;
      }
      if (st.Events.empty() || st.Events.front().Seq != e.Seq) continue;  // taken meanwhile
      w = FindLive(target);
      if (!w || hit == HTTRANSPARENT) {
        Commit(e);
        st.Events.pop_front();
        LeaveCheck(nullptr, false);
        HoverCheck(nullptr, false, e.Pt, e.Time);
        continue;
      }
    }
    Byte ks[256];
    std::copy(std::begin(s.KeyState), std::end(s.KeyState), ks);
    if (e.K == Kind::Down || e.K == Kind::KeyDown) SetKey(ks, e.Code, true);
    if (e.K == Kind::Up || e.K == Kind::KeyUp) SetKey(ks, e.Code, false);
    bool client = hit == HTCLIENT;
    TRect cr = ScreenClient(w);
    LPARAM clientPos = MAKELPARAM(e.Pt.X - cr.Left, e.Pt.Y - cr.Top);  // signed 16-bit, may be negative
    LPARAM screenPos = MAKELPARAM(e.Pt.X, e.Pt.Y);
    MSG m;
    m.hwnd = target;
    m.time = e.Time;
    m.pt = e.Pt;
    bool dbl = false;
    switch (e.K) {
      case Kind::Move:
        m.message = client ? WM_MOUSEMOVE : WM_NCMOUSEMOVE;
        break;
      case Kind::Down: {
        dbl = (w->Class->Style & CS_DBLCLKS) && st.LastButton == e.Code && st.LastHwnd == target &&
              e.Time - st.LastTime <= e.DblTime && std::abs(e.Pt.X - st.LastPt.X) <= e.DblBox.X / 2 &&
              std::abs(e.Pt.Y - st.LastPt.Y) <= e.DblBox.Y / 2;
        UINT base = ButtonBase(e.Code) + (dbl ? 2 : 0);
        m.message = client ? base : base - (WM_LBUTTONDOWN - WM_NCLBUTTONDOWN);
        break;
      }
      case Kind::Up: {
        UINT base = ButtonBase(e.Code) + 1;
        m.message = client ? base : base - (WM_LBUTTONDOWN - WM_NCLBUTTONDOWN);
        break;
      }
      case Kind::Wheel:
      case Kind::HWheel:
        m.message = e.K == Kind::Wheel ? WM_MOUSEWHEEL : WM_MOUSEHWHEEL;
        m.wParam = MAKEWPARAM(int(MouseKeys(ks)), e.Code);
        m.lParam = screenPos;
        break;
      case Kind::Ime:
      case Kind::Pause:
        break;
      case Kind::KeyDown:
      case Kind::KeyUp: {
        bool down = e.K == Kind::KeyDown;
        bool alt = (ks[VK_MENU] & 0x80) && !(ks[VK_CONTROL] & 0x80);
        m.message = down ? (alt ? WM_SYSKEYDOWN : WM_KEYDOWN) : (alt || e.Code == VK_MENU ? WM_SYSKEYUP : WM_KEYUP);
        bool wasDown = s.KeyState[e.Code] & 0x80;
        bool extended = false;
        UINT scan = ScanCodeOf(UINT(e.Code), &extended);
        m.wParam = WPARAM(e.Code);
        m.lParam = LPARAM(1 | (scan << 16) | (extended ? 1u << 24 : 0) | (alt ? 1u << 29 : 0) |
                          (down ? (wasDown ? 1u << 30 : 0) : (3u << 30)));
        m.lParam = LPARAM(int32_t(uint32_t(m.lParam)));
        break;
      }
    }
    if (mouse) {
      m.wParam = client ? MouseKeys(ks) : WPARAM(hit);
      m.lParam = client ? clientPos : screenPos;
    }
    if (!MatchesWindow(filter, m.hwnd) || !(min == 0 && max == 0 ? true : (m.message >= min && m.message <= max)))
      return false;
    out = m;
    if (!remove) return true;
    st.Events.pop_front();
    Commit(e);
    q.LastMessageTime = m.time;
    q.LastMessagePos = DWORD(MAKELPARAM(e.Pt.X, e.Pt.Y));
    if (mouse) {
      LeaveCheck(target, !client);
      HoverCheck(target, !client, e.Pt, e.Time);
      if (!client) SetHoverHit(hit);
    }
    if (e.K == Kind::Down) {
      // A double click ends the pair: a third press starts a new one.
      st.LastButton = dbl ? 0 : e.Code;
      st.LastTime = e.Time;
      st.LastPt = e.Pt;
      st.LastHwnd = target;
    }
    // The hooks may discard the message; a click into an inactive window
    // asks it whether to activate and whether to keep the click.
    bool keep = true;
    lk.unlock();
    if (mouse) {
      MOUSEHOOKSTRUCT mh;
      mh.pt = e.Pt;
      mh.hwnd = target;
      mh.wHitTestCode = UINT(hit);
      keep = !CallInputHook(WH_MOUSE, m.message, reinterpret_cast<LPARAM>(&mh));
    } else if (e.K == Kind::KeyDown || e.K == Kind::KeyUp) {
      keep = !CallInputHook(WH_KEYBOARD, m.wParam, m.lParam);
    }
    if (keep && e.K == Kind::Down && !captured && MouseActivate(target, hit, m.message)) keep = false;
    if (mouse && !captured && IsWindow(target))
      Send(target, WM_SETCURSOR, reinterpret_cast<WPARAM>(target), MAKELPARAM(int(hit), int(m.message)));
    lk.lock();
    if (!keep) continue;
    return true;
  }
  return false;
}

// Posts the leave message once the pointer is off the tracked window's
// tracked area; lock held.
void LeaveCheck(HWND target, bool nonClient) {
  Server& s = S();
  if (!s.LeaveTrack) return;
  if (!FindLive(s.LeaveTrack)) {
    s.LeaveTrack = nullptr;
    return;
  }
  if (target == s.LeaveTrack && nonClient == s.LeaveNonClient) return;
  HWND h = s.LeaveTrack;
  UINT msg = s.LeaveNonClient ? WM_NCMOUSELEAVE : WM_MOUSELEAVE;
  s.LeaveTrack = nullptr;
  Window* w = Find(h);
  if (!w || !w->Queue) return;
  MSG m;
  m.hwnd = h;
  m.message = msg;
  m.time = DWORD(ClockMs());
  m.pt = s.CursorPos;
  w->Queue->Posted.push_back(m);
  Wake(*w->Queue, QS_POSTMESSAGE);
}

Event MouseEvent(Kind k, int code) {
  Event e;
  e.K = k;
  e.Code = code;
  e.DblTime = GetDoubleClickTime();
  e.DblBox = TPoint(GetSystemMetrics(SM_CXDOUBLECLK), GetSystemMetrics(SM_CYDOUBLECLK));
  return e;
}

}  // namespace

namespace desktop {
void InstallInput() {
  {
    std::lock_guard<std::mutex> lk(S().Lock);
    S().Hook.PeekInput = PeekInputLocked;
    S().Hook.InputDue = HeldInputDue;
  }
  SetMovePointerHook([](int x, int y) { InputMouseMove(x, y); });
}
void RemoveInput() {
  SetMovePointerHook(nullptr);
  std::lock_guard<std::mutex> lk(S().Lock);
  S().Hook.PeekInput = nullptr;
  S().Hook.InputDue = nullptr;
  In().Events.clear();
  In().Held.clear();
  In().PauseEnd = 0;
}
}  // namespace desktop

void InputMouseMove(Integer x, Integer y) {
  Event e = MouseEvent(Kind::Move, 0);
  e.Pt = TPoint(x, y);
  Queue(e);
}
void InputMouseDown(int button) { Queue(MouseEvent(Kind::Down, button)); }
void InputMouseUp(int button) { Queue(MouseEvent(Kind::Up, button)); }
void InputMouseWheel(int delta, bool horizontal) {
  Queue(MouseEvent(horizontal ? Kind::HWheel : Kind::Wheel, delta));
}
void InputKeyDown(int vk) { Queue(MouseEvent(Kind::KeyDown, vk & 0xFF)); }
void InputKeyUp(int vk) { Queue(MouseEvent(Kind::KeyUp, vk & 0xFF)); }

void InputType(const String& text) {
  for (char16_t c : text) {
    SHORT k = VkKeyScanW(c);
    if (k == -1) continue;
    int vk = k & 0xFF;
    bool shift = k & 0x100, ctrl = k & 0x200;
    if (shift) InputKeyDown(VK_SHIFT);
    if (ctrl) InputKeyDown(VK_CONTROL);
    InputKeyDown(vk);
    InputKeyUp(vk);
    if (ctrl) InputKeyUp(VK_CONTROL);
    if (shift) InputKeyUp(VK_SHIFT);
  }
}

void InputPause(DWORD ms) {
  if (ms == 0) return;
  std::lock_guard<std::mutex> lk(S().Lock);
  ReleaseHeld();
  InputState& st = In();
  if (st.PauseEnd == 0) {
    st.PauseEnd = ClockMs() + Int64(ms);
  } else {
    Event e;
    e.K = Kind::Pause;
    e.Code = int(std::min<DWORD>(ms, 0x7FFFFFFF));
    st.Held.push_back(e);
  }
}

void InputImeComposition(const String& text) {
  Event e = MouseEvent(Kind::Ime, 0);
  e.Text = text;
  Queue(e);
}

bool IsCaretShown() {
  std::lock_guard<std::mutex> lk(S().Lock);
  return CaretDrawn();
}

void ResetInput() {
  std::lock_guard<std::mutex> lk(S().Lock);
  ResetPointer();
  In().Events.clear();
  In().Held.clear();
  In().PauseEnd = 0;
  In().LastButton = 0;
  In().LastHwnd = nullptr;
  S().LeaveTrack = nullptr;
  std::fill(std::begin(S().KeyState), std::end(S().KeyState), Byte(0));
  std::fill(std::begin(S().AsyncKeyState), std::end(S().AsyncKeyState), Byte(0));
}

}  // namespace vcl
