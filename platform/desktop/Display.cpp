// The display backends: the choice between headless and X11, and the X11
// backend itself (XCB with MIT-SHM, xkbcommon for the keyboard).
#include "platform/desktop/Display.h"

#include <cstdio>
#include <cstdlib>

#include "platform/desktop/Desktop.h"
#include "platform/desktop/DesktopInternal.h"
#include "platform/rtl/SysUtils.h"
#include "platform/user/Server.h"
#include "platform/user/ServerInput.h"

#ifdef QN_HAVE_X11
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/ipc.h>
#include <sys/shm.h>
#include <unistd.h>
#include <xcb/shm.h>
#include <xcb/xcb.h>
#include <xkbcommon/xkbcommon-compose.h>
#include <xkbcommon/xkbcommon-x11.h>
#include <xkbcommon/xkbcommon.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <clocale>
#include <map>
#include <mutex>
#include <vector>
#endif

namespace vcl {

using namespace server;

namespace {

TDisplayKind gKind = TDisplayKind::Headless;
bool gChosen = false;
std::string gError;

}  // namespace

#ifdef QN_HAVE_X11

namespace {

using Clock = std::chrono::steady_clock;
// The real clock's vertical frame: a display shows at most this many frames.
constexpr auto kFrame = std::chrono::microseconds(16667);

// What a visible top-level window looked like on the last frame; a change
// damages where it was and where it is.
struct TopRecord {
  HWND Handle = nullptr;
  TRect Rect;
  const void* Source = nullptr;
  uint32_t Alpha = 255;
  bool PerPixel = false;
  bool Animating = false;
  double Shown = 1;
  HRGN Region = nullptr;
  TRect Clip;
  TPoint Shift;
  bool operator==(const TopRecord& o) const {
    return Handle == o.Handle && Rect == o.Rect && Source == o.Source && Alpha == o.Alpha && PerPixel == o.PerPixel &&
           Animating == o.Animating && Shown == o.Shown && Region == o.Region && Clip == o.Clip &&
           Shift.X == o.Shift.X && Shift.Y == o.Shift.Y;
  }
};

struct X11 {
  xcb_connection_t* Conn = nullptr;
  xcb_screen_t* Screen = nullptr;
  xcb_window_t Window = 0;
  xcb_gcontext_t Gc = 0;
  xcb_atom_t Protocols = 0, DeleteWindow = 0;
  std::string Name;
  int Width = 0, Height = 0;
  TPoint Origin;  // the virtual screen's top-left corner: window (0, 0)
  // The frame buffer: MIT-SHM memory shared with the server, else our own.
  bool Shm = false;
  xcb_shm_seg_t Seg = 0;
  int ShmId = -1;
  Byte* ShmBits = nullptr;
  TGdiSurfacePtr Frame;
  uint32_t MaxRequestBytes = 0;
  int WakeFd = -1;
  // Damage since the last frame (screen coordinates).
  std::mutex DamageLock;
  std::vector<TRect> Damage;
  bool GeometryDirty = true;
  std::vector<TopRecord> Tops;
  Clock::time_point NextFrame;
  // Keyboard.
  xkb_context* Xkb = nullptr;
  xkb_keymap* Keymap = nullptr;
  xkb_state* State = nullptr;
  xkb_compose_table* ComposeTable = nullptr;
  xkb_compose_state* Compose = nullptr;
  int KeyboardId = -1;
  Byte PressedVk[256] = {};  // the virtual key each held key code went down as
  // Pointer.
  xcb_font_t CursorFont = 0;
  std::map<uint16_t, xcb_cursor_t> Cursors;  // by cursor-font glyph
  xcb_cursor_t Blank = 0;
  HCURSOR ShownCursor = reinterpret_cast<HCURSOR>(intptr_t(-1));
  bool CursorHidden = false;
  std::vector<std::pair<HCURSOR, uint16_t>> CursorGlyphs;
};

X11* gX = nullptr;

std::string DisplayLabel(const std::string& name) {
  if (!name.empty()) return name;
  const char* d = std::getenv("DISPLAY");
  return d && *d ? d : "(DISPLAY not set)";
}

xcb_atom_t Atom(xcb_connection_t* c, const char* name) {
  auto ck = xcb_intern_atom(c, 0, uint16_t(strlen(name)), name);
  xcb_intern_atom_reply_t* r = xcb_intern_atom_reply(c, ck, nullptr);
  xcb_atom_t a = r ? r->atom : 0;
  free(r);
  return a;
}

void AddDamage(const TRect& r) {
  if (!gX || r.IsEmpty()) return;
  std::lock_guard<std::mutex> g(gX->DamageLock);
  auto& d = gX->Damage;
  // A flood of small paints between two frames becomes one box of them.
  if (d.size() >= 256) {
    TRect box = r;
    for (auto& e : d) UnionRect(box, box, e);
    d.assign(1, box);
    return;
  }
  d.push_back(r);
}

void OnScreenDamaged(const TRect& r) { AddDamage(r); }

void OnScreenChanged() {
  if (!gX) return;
  std::lock_guard<std::mutex> g(gX->DamageLock);
  gX->GeometryDirty = true;
}

void OnDisplayWake() {
  if (!gX || gX->WakeFd < 0) return;
  uint64_t one = 1;
  ssize_t n = write(gX->WakeFd, &one, sizeof one);
  (void)n;
}

// ---------------------------------------------------------------------------
// Frames

// The top-level windows as they stand; lock held.
std::vector<TopRecord> CurrentTops() {
  std::vector<TopRecord> v;
  for (Window* t : S().TopLevels) {
    if (!(t->Style & WS_VISIBLE) || t->Rect.IsEmpty()) continue;
    ScreenLook look = LookOf(t);
    if (look.Hidden || look.Alpha == 0) continue;
    TopRecord r;
    r.Handle = t->Handle;
    r.Rect = t->Rect;
    r.Source = look.Source.get();
    r.Alpha = look.Alpha;
    r.PerPixel = look.PerPixel;
    r.Animating = t->Animating;
    r.Shown = t->AnimShown;
    r.Region = t->WindowRgn;
    r.Clip = look.Clip;
    r.Shift = look.Shift;
    v.push_back(r);
  }
  return v;
}

// Where a window may leave pixels: its rectangle and the drop shadow.
TRect Footprint(const TRect& r) {
  TRect f = r;
  InflateRect(f, 8, 8);
  return f;
}

// The damage of the frame to come, in window coordinates, merged into few
// rectangles; lock held.
std::vector<TRect> TakeDamageLocked(bool everything) {
  X11& x = *gX;
  std::vector<TRect> list;
  bool geometry;
  {
    std::lock_guard<std::mutex> g(x.DamageLock);
    list.swap(x.Damage);
    geometry = x.GeometryDirty;
    x.GeometryDirty = false;
  }
  if (geometry || everything) {
    std::vector<TopRecord> now = CurrentTops();
    bool any = false;
    for (size_t i = 0; i < now.size(); ++i) {
      auto it = std::find_if(x.Tops.begin(), x.Tops.end(), [&](const TopRecord& o) { return o.Handle == now[i].Handle; });
      bool same = it != x.Tops.end() && *it == now[i] && size_t(it - x.Tops.begin()) == i;
      if (same) continue;
      any = true;
      list.push_back(Footprint(now[i].Rect));
      if (it != x.Tops.end()) list.push_back(Footprint(it->Rect));
    }
    for (const TopRecord& o : x.Tops) {
      if (std::none_of(now.begin(), now.end(), [&](const TopRecord& n) { return n.Handle == o.Handle; })) {
        any = true;
        list.push_back(Footprint(o.Rect));
      }
    }
    // Something changed on the screen without moving: a layered picture, a
    // scrolled window, a colour. Every window may show it.
    if (!any && geometry)
      for (const TopRecord& n : now) list.push_back(Footprint(n.Rect));
    x.Tops = std::move(now);
  }
  TRect all(0, 0, x.Width, x.Height);
  if (everything) return {all};
  std::vector<TRect> out;
  int64_t area = 0;
  for (TRect r : list) {
    OffsetRect(r, -x.Origin.X, -x.Origin.Y);
    if (!IntersectRect(r, r, all)) continue;
    // Overlapping parts join, so no pixel is composed twice.
    for (size_t i = 0; i < out.size();) {
      TRect both;
      if (IntersectRect(both, r, out[i])) {
        UnionRect(r, r, out[i]);
        out.erase(out.begin() + std::ptrdiff_t(i));
        i = 0;
      } else {
        ++i;
      }
    }
    out.push_back(r);
  }
  for (auto& r : out) area += int64_t(r.Width()) * r.Height();
  // Many small pieces cost more requests than one box of them.
  if (out.size() > 16) {
    TRect box;
    for (auto& r : out) UnionRect(box, box, r);
    out = {box};
  } else if (area * 10 > int64_t(x.Width) * x.Height * 9) {
    out = {all};
  }
  return out;
}

// The shown cursor follows the host's; lock held for the read.
uint16_t GlyphFor(HCURSOR c) {
  for (auto& [h, g] : gX->CursorGlyphs)
    if (h == c) return g;
  return 68;  // left_ptr
}

void SyncCursorLocked(std::vector<std::pair<xcb_cursor_t, bool>>& change) {
  X11& x = *gX;
  HCURSOR c = S().Cursor;
  bool hidden = !CursorShownLocked();
  if (c == x.ShownCursor && hidden == x.CursorHidden) return;
  x.ShownCursor = c;
  x.CursorHidden = hidden;
  if (hidden || !c) {
    change.push_back({x.Blank, true});
    return;
  }
  uint16_t glyph = GlyphFor(c);
  auto it = x.Cursors.find(glyph);
  if (it == x.Cursors.end()) {
    xcb_cursor_t cur = xcb_generate_id(x.Conn);
    xcb_create_glyph_cursor(x.Conn, cur, x.CursorFont, x.CursorFont, glyph, uint16_t(glyph + 1), 0, 0, 0, 0xFFFF,
                            0xFFFF, 0xFFFF);
    it = x.Cursors.emplace(glyph, cur).first;
  }
  change.push_back({it->second, true});
}

void Sync(xcb_connection_t* c) { free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr)); }

// Sends rectangles of the frame buffer to the window.
void Upload(const std::vector<TRect>& rects) {
  X11& x = *gX;
  for (const TRect& r : rects) {
    if (x.Shm) {
      xcb_shm_put_image(x.Conn, x.Window, x.Gc, uint16_t(x.Width), uint16_t(x.Height), uint16_t(r.Left),
                        uint16_t(r.Top), uint16_t(r.Width()), uint16_t(r.Height()), int16_t(r.Left), int16_t(r.Top),
                        x.Screen->root_depth, XCB_IMAGE_FORMAT_Z_PIXMAP, 0, x.Seg, 0);
      continue;
    }
    // Bands of rows that fit one request.
    size_t rowBytes = size_t(r.Width()) * 4;
    int rows = int(std::max<size_t>(1, (x.MaxRequestBytes - 64) / rowBytes));
    std::vector<Byte> band;
    for (int y = r.Top; y < r.Bottom; y += rows) {
      int n = std::min(rows, r.Bottom - y);
      band.resize(rowBytes * size_t(n));
      for (int i = 0; i < n; ++i)
        memcpy(&band[rowBytes * size_t(i)], x.Frame->Scanline(y + i) + r.Left, rowBytes);
      xcb_put_image(x.Conn, XCB_IMAGE_FORMAT_Z_PIXMAP, x.Window, x.Gc, uint16_t(r.Width()), uint16_t(n),
                    int16_t(r.Left), int16_t(y), 0, x.Screen->root_depth, uint32_t(band.size()), band.data());
    }
  }
}

// Composes and shows the damage; lock held on entry and exit, released
// while the server takes the pixels.
int64_t PresentLocked(std::unique_lock<std::mutex>& lk, bool everything) {
  X11& x = *gX;
  std::vector<TRect> rects = TakeDamageLocked(everything);
  std::vector<std::pair<xcb_cursor_t, bool>> cursor;
  SyncCursorLocked(cursor);
  int64_t pixels = 0;
  TRect vs = desktop::VirtualScreenBoundsLocked();
  for (const TRect& r : rects) {
    // The frame buffer's (0, 0) is the virtual screen's corner.
    desktop::ComposeAreaLocked(x.Frame, r);
    pixels += int64_t(r.Width()) * r.Height();
  }
  (void)vs;
  x.NextFrame = Clock::now() + kFrame;
  if (rects.empty() && cursor.empty()) return 0;
  lk.unlock();
  for (auto& [c, set] : cursor) xcb_change_window_attributes(x.Conn, x.Window, XCB_CW_CURSOR, &c);
  Upload(rects);
  // The frame buffer is written again only after the server has read it.
  Sync(x.Conn);
  lk.lock();
  return pixels;
}

// ---------------------------------------------------------------------------
// Input

int VkOfKeysym(xkb_keysym_t k, bool* shiftedPunct) {
  *shiftedPunct = false;
  if (k >= XKB_KEY_a && k <= XKB_KEY_z) return int('A' + (k - XKB_KEY_a));
  if (k >= XKB_KEY_A && k <= XKB_KEY_Z) return int('A' + (k - XKB_KEY_A));
  if (k >= XKB_KEY_0 && k <= XKB_KEY_9) return int('0' + (k - XKB_KEY_0));
  if (k >= XKB_KEY_F1 && k <= XKB_KEY_F24) return VK_F1 + int(k - XKB_KEY_F1);
  if (k >= XKB_KEY_KP_0 && k <= XKB_KEY_KP_9) return VK_NUMPAD0 + int(k - XKB_KEY_KP_0);
  switch (k) {
    case XKB_KEY_Return: case XKB_KEY_KP_Enter: return VK_RETURN;
    case XKB_KEY_Tab: case XKB_KEY_ISO_Left_Tab: return VK_TAB;
    case XKB_KEY_BackSpace: return VK_BACK;
    case XKB_KEY_Escape: return VK_ESCAPE;
    case XKB_KEY_space: return VK_SPACE;
    case XKB_KEY_Delete: case XKB_KEY_KP_Delete: return VK_DELETE;
    case XKB_KEY_Insert: case XKB_KEY_KP_Insert: return VK_INSERT;
    case XKB_KEY_Home: case XKB_KEY_KP_Home: return VK_HOME;
    case XKB_KEY_End: case XKB_KEY_KP_End: return VK_END;
    case XKB_KEY_Prior: case XKB_KEY_KP_Prior: return VK_PRIOR;
    case XKB_KEY_Next: case XKB_KEY_KP_Next: return VK_NEXT;
    case XKB_KEY_Left: case XKB_KEY_KP_Left: return VK_LEFT;
    case XKB_KEY_Right: case XKB_KEY_KP_Right: return VK_RIGHT;
    case XKB_KEY_Up: case XKB_KEY_KP_Up: return VK_UP;
    case XKB_KEY_Down: case XKB_KEY_KP_Down: return VK_DOWN;
    case XKB_KEY_Shift_L: case XKB_KEY_Shift_R: return VK_SHIFT;
    case XKB_KEY_Control_L: case XKB_KEY_Control_R: return VK_CONTROL;
    case XKB_KEY_Alt_L: case XKB_KEY_Alt_R: case XKB_KEY_Meta_L: case XKB_KEY_Meta_R: return VK_MENU;
    case XKB_KEY_Super_L: return VK_LWIN;
    case XKB_KEY_Super_R: return VK_RWIN;
    case XKB_KEY_Menu: return VK_APPS;
    case XKB_KEY_Caps_Lock: return VK_CAPITAL;
    case XKB_KEY_Num_Lock: return VK_NUMLOCK;
    case XKB_KEY_Scroll_Lock: return VK_SCROLL;
    case XKB_KEY_Pause: return VK_PAUSE;
    case XKB_KEY_Print: return VK_SNAPSHOT;
    case XKB_KEY_KP_Add: return VK_ADD;
    case XKB_KEY_KP_Subtract: return VK_SUBTRACT;
    case XKB_KEY_KP_Multiply: return VK_MULTIPLY;
    case XKB_KEY_KP_Divide: return VK_DIVIDE;
    case XKB_KEY_KP_Decimal: return VK_DECIMAL;
    default: break;
  }
  // Punctuation: the US-layout key that types it.
  uint32_t cp = xkb_keysym_to_utf32(k);
  if (cp >= 0x21 && cp < 0x7F) {
    SHORT s = VkKeyScanW(char16_t(cp));
    if (s != -1 && !(s & 0x600)) {
      *shiftedPunct = (s & 0x100) != 0;
      return s & 0xFF;
    }
  }
  return 0;
}

bool Held(int vk) { return (GetAsyncKeyState(vk) & 0x8000) != 0; }

// Text the layout or the compose table made that the US layout of the
// host would not make from the key: the input method's committed string.
void CommitText(const std::string& utf8) {
  String s = FromUtf8(utf8);
  String keep;
  for (char16_t c : s)
    if (c >= 0x20 && c != 0x7F) keep += c;
  if (!keep.empty()) InputImeComposition(keep);
}

void OnKey(xcb_keycode_t code, bool down) {
  X11& x = *gX;
  if (!down) {
    if (x.State) xkb_state_update_key(x.State, code, XKB_KEY_UP);
    int vk = x.PressedVk[code];
    x.PressedVk[code] = 0;
    if (vk) InputKeyUp(vk);
    return;
  }
  xkb_keysym_t sym = x.State ? xkb_state_key_get_one_sym(x.State, code) : XKB_KEY_NoSymbol;
  char text[64] = {};
  if (x.State) xkb_state_key_get_utf8(x.State, code, text, sizeof text);
  if (x.State) xkb_state_update_key(x.State, code, XKB_KEY_DOWN);
  bool shiftedPunct = false;
  int vk = VkOfKeysym(sym, &shiftedPunct);
  bool ctrlAlt = Held(VK_CONTROL) || Held(VK_MENU);
  bool modifier = vk == VK_SHIFT || vk == VK_CONTROL || vk == VK_MENU || vk == VK_CAPITAL;
  if (x.Compose && !modifier && !ctrlAlt) {
    xkb_compose_state_feed(x.Compose, sym);
    switch (xkb_compose_state_get_status(x.Compose)) {
      case XKB_COMPOSE_COMPOSING:
        return;
      case XKB_COMPOSE_CANCELLED:
        xkb_compose_state_reset(x.Compose);
        return;
      case XKB_COMPOSE_COMPOSED: {
        char composed[64] = {};
        xkb_compose_state_get_utf8(x.Compose, composed, sizeof composed);
        xkb_compose_state_reset(x.Compose);
        CommitText(composed);
        return;
      }
      case XKB_COMPOSE_NOTHING:
        break;
    }
  }
  uint32_t cp = xkb_keysym_to_utf32(sym);
  bool printable = cp >= 0x20 && cp != 0x7F && sym != XKB_KEY_Return && sym != XKB_KEY_KP_Enter;
  if (vk && printable && !ctrlAlt) {
    // The host turns the key into its character on the US layout; where
    // this layout types something else on it, the text comes as committed.
    SHORT us = VkKeyScanW(char16_t(cp));
    bool shift = Held(VK_SHIFT);
    bool caps = (GetKeyState(VK_CAPITAL) & 1) != 0;
    bool letter = vk >= 'A' && vk <= 'Z';
    bool wantShift = (us & 0x100) != 0;
    bool sameKey = us != -1 && (us & 0xFF) == vk && (letter ? wantShift == (shift != caps) : wantShift == shift);
    if (!sameKey) {
      CommitText(text);
      return;
    }
  }
  if (!vk) {
    if (printable && !ctrlAlt) CommitText(text);
    return;
  }
  (void)shiftedPunct;
  x.PressedVk[code] = Byte(vk);
  InputKeyDown(vk);
}

// Lets every held key and button go: the window lost the keyboard.
void ReleaseAll() {
  X11& x = *gX;
  for (int code = 0; code < 256; ++code)
    if (int vk = x.PressedVk[code]) {
      x.PressedVk[code] = 0;
      InputKeyUp(vk);
    }
}

void CloseForms() {
  std::vector<HWND> forms;
  {
    std::lock_guard<std::mutex> lk(S().Lock);
    for (Window* t : S().TopLevels)
      if ((t->Style & WS_VISIBLE) && (t->Style & WS_CAPTION) == WS_CAPTION) forms.push_back(t->Handle);
  }
  for (HWND h : forms) PostMessageW(h, WM_CLOSE, 0, 0);
  PostQuitMessage(0);
}

// Reads what the server sent; the lock is not held. True when something
// arrived that the loop has to look at.
bool ReadEvents() {
  X11& x = *gX;
  bool any = false;
  TPoint last(INT32_MIN, INT32_MIN);
  while (xcb_generic_event_t* ev = xcb_poll_for_event(x.Conn)) {
    uint8_t type = ev->response_type & 0x7F;
    switch (type) {
      case XCB_EXPOSE: {
        auto* e = reinterpret_cast<xcb_expose_event_t*>(ev);
        AddDamage(Bounds(e->x + x.Origin.X, e->y + x.Origin.Y, e->width, e->height));
        any = true;
        break;
      }
      case XCB_MOTION_NOTIFY: {
        auto* e = reinterpret_cast<xcb_motion_notify_event_t*>(ev);
        TPoint p(e->event_x + x.Origin.X, e->event_y + x.Origin.Y);
        if (p.X != last.X || p.Y != last.Y) InputMouseMove(p.X, p.Y);
        last = p;
        any = true;
        break;
      }
      case XCB_BUTTON_PRESS:
      case XCB_BUTTON_RELEASE: {
        auto* e = reinterpret_cast<xcb_button_press_event_t*>(ev);
        bool down = type == XCB_BUTTON_PRESS;
        TPoint p(e->event_x + x.Origin.X, e->event_y + x.Origin.Y);
        if (p.X != last.X || p.Y != last.Y) InputMouseMove(p.X, p.Y);
        last = p;
        switch (e->detail) {
          case 1: down ? InputMouseDown(VK_LBUTTON) : InputMouseUp(VK_LBUTTON); break;
          case 2: down ? InputMouseDown(VK_MBUTTON) : InputMouseUp(VK_MBUTTON); break;
          case 3: down ? InputMouseDown(VK_RBUTTON) : InputMouseUp(VK_RBUTTON); break;
          case 4: if (down) InputMouseWheel(WHEEL_DELTA); break;
          case 5: if (down) InputMouseWheel(-WHEEL_DELTA); break;
          case 6: if (down) InputMouseWheel(-WHEEL_DELTA, true); break;
          case 7: if (down) InputMouseWheel(WHEEL_DELTA, true); break;
          default: break;
        }
        any = true;
        break;
      }
      case XCB_KEY_PRESS:
      case XCB_KEY_RELEASE: {
        auto* e = reinterpret_cast<xcb_key_press_event_t*>(ev);
        OnKey(e->detail, type == XCB_KEY_PRESS);
        any = true;
        break;
      }
      case XCB_FOCUS_OUT:
        ReleaseAll();
        any = true;
        break;
      case XCB_CLIENT_MESSAGE: {
        auto* e = reinterpret_cast<xcb_client_message_event_t*>(ev);
        if (e->type == x.Protocols && e->data.data32[0] == x.DeleteWindow) {
          CloseForms();
          any = true;
        }
        break;
      }
      case 0: {
        // An error of a request that asked for no reply: report, go on.
        auto* e = reinterpret_cast<xcb_generic_error_t*>(ev);
        std::fprintf(stderr, "Quarn: the X server refused a request (error %u, opcode %u.%u)\n", e->error_code,
                     e->major_code, e->minor_code);
        break;
      }
      default:
        if (x.Xkb && type == XCB_MAPPING_NOTIFY) any = true;
        break;
    }
    free(ev);
  }
  return any;
}

void TearDown(X11* x);

// The connection broke: the program ends its loop with the message.
void LostLocked() {
  X11* x = gX;
  gError = "Quarn: lost the connection to the X display " + x->Name + "; the application ends";
  std::fprintf(stderr, "%s\n", gError.c_str());
  Server& s = S();
  s.Hook.DisplayWait = nullptr;
  s.Hook.DisplayWake = nullptr;
  s.Hook.ScreenDamaged = nullptr;
  s.Hook.ScreenChanged = nullptr;
  DWORD tid = s.DisplayThread;
  s.DisplayThread = 0;
  gX = nullptr;
  gKind = TDisplayKind::Headless;
  if (ThreadQueue* q = QueueOf(tid)) {
    q->QuitPending = true;
    q->QuitCode = 1;
    Wake(*q, QS_POSTMESSAGE);
  }
  TearDown(x);
}

void DisplayWaitLocked(std::unique_lock<std::mutex>& lk, ThreadQueue&, const Clock::time_point* until) {
  X11& x = *gX;
  bool pending;
  {
    std::lock_guard<std::mutex> g(x.DamageLock);
    pending = !x.Damage.empty() || x.GeometryDirty;
  }
  if (pending && Clock::now() >= x.NextFrame) {
    PresentLocked(lk, false);
    if (!gX) return;
    pending = false;
  }
  if (xcb_connection_has_error(x.Conn)) {
    LostLocked();
    return;
  }
  lk.unlock();
  bool had = ReadEvents();
  if (!had && !xcb_connection_has_error(x.Conn)) {
    int timeout = -1;
    auto limit = until ? *until : Clock::time_point::max();
    if (pending && x.NextFrame < limit) limit = x.NextFrame;
    if (limit != Clock::time_point::max()) {
      auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(limit - Clock::now()).count();
      timeout = int(std::clamp<int64_t>(ms + 1, 0, 1000000));
    }
    pollfd fds[2] = {{xcb_get_file_descriptor(x.Conn), POLLIN, 0}, {x.WakeFd, POLLIN, 0}};
    poll(fds, 2, timeout);
    if (fds[1].revents & POLLIN) {
      uint64_t n;
      ssize_t r = read(x.WakeFd, &n, sizeof n);
      (void)r;
    }
    ReadEvents();
  }
  lk.lock();
  if (gX && xcb_connection_has_error(gX->Conn)) LostLocked();
}

// Matches the host's standard cursors to glyphs of the X cursor font.
void MapCursors(X11& x) {
  struct {
    const char16_t* Id;
    uint16_t Glyph;
  } table[] = {{IDC_ARROW, 68},     {IDC_IBEAM, 152},    {IDC_WAIT, 150},      {IDC_CROSS, 34},
               {IDC_UPARROW, 22},   {IDC_SIZENWSE, 12},  {IDC_SIZENESW, 14},   {IDC_SIZEWE, 108},
               {IDC_SIZENS, 116},   {IDC_SIZEALL, 52},   {IDC_NO, 88},         {IDC_HAND, 60},
               {IDC_APPSTARTING, 150}, {IDC_HELP, 92}};
  for (auto& t : table)
    if (HCURSOR c = LoadCursorW(nullptr, t.Id)) x.CursorGlyphs.push_back({c, t.Glyph});
}

void SetupKeyboard(X11& x) {
  if (!xkb_x11_setup_xkb_extension(x.Conn, XKB_X11_MIN_MAJOR_XKB_VERSION, XKB_X11_MIN_MINOR_XKB_VERSION,
                                   XKB_X11_SETUP_XKB_EXTENSION_NO_FLAGS, nullptr, nullptr, nullptr, nullptr))
    return;
  x.Xkb = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
  if (!x.Xkb) return;
  x.KeyboardId = xkb_x11_get_core_keyboard_device_id(x.Conn);
  if (x.KeyboardId < 0) return;
  x.Keymap = xkb_x11_keymap_new_from_device(x.Xkb, x.Conn, x.KeyboardId, XKB_KEYMAP_COMPILE_NO_FLAGS);
  if (x.Keymap) x.State = xkb_x11_state_new_from_device(x.Keymap, x.Conn, x.KeyboardId);
  const char* locale = std::getenv("LC_ALL");
  if (!locale || !*locale) locale = std::getenv("LC_CTYPE");
  if (!locale || !*locale) locale = std::getenv("LANG");
  if (!locale || !*locale) locale = "C";
  x.ComposeTable = xkb_compose_table_new_from_locale(x.Xkb, locale, XKB_COMPOSE_COMPILE_NO_FLAGS);
  if (x.ComposeTable) x.Compose = xkb_compose_state_new(x.ComposeTable, XKB_COMPOSE_STATE_NO_FLAGS);
}

void TearDown(X11* x) {
  if (!x) return;
  if (x->Compose) xkb_compose_state_unref(x->Compose);
  if (x->ComposeTable) xkb_compose_table_unref(x->ComposeTable);
  if (x->State) xkb_state_unref(x->State);
  if (x->Keymap) xkb_keymap_unref(x->Keymap);
  if (x->Xkb) xkb_context_unref(x->Xkb);
  if (x->Conn && !xcb_connection_has_error(x->Conn)) {
    if (x->Shm) xcb_shm_detach(x->Conn, x->Seg);
    if (x->Window) xcb_destroy_window(x->Conn, x->Window);
    xcb_flush(x->Conn);
  }
  if (x->Conn) xcb_disconnect(x->Conn);
  x->Frame.reset();
  if (x->ShmBits) shmdt(x->ShmBits);
  if (x->WakeFd >= 0) close(x->WakeFd);
  delete x;
}

// A frame buffer in shared memory, attached on the server; false when the
// server cannot (a remote display, the extension switched off).
bool AttachShm(X11& x) {
  if (std::getenv("QN_X11_NO_SHM")) return false;
  const xcb_query_extension_reply_t* ext = xcb_get_extension_data(x.Conn, &xcb_shm_id);
  if (!ext || !ext->present) return false;
  size_t bytes = size_t(x.Width) * size_t(x.Height) * 4;
  x.ShmId = shmget(IPC_PRIVATE, bytes, IPC_CREAT | 0600);
  if (x.ShmId < 0) return false;
  void* p = shmat(x.ShmId, nullptr, 0);
  if (p == reinterpret_cast<void*>(-1)) {
    shmctl(x.ShmId, IPC_RMID, nullptr);
    return false;
  }
  x.Seg = xcb_generate_id(x.Conn);
  xcb_generic_error_t* err = xcb_request_check(x.Conn, xcb_shm_attach_checked(x.Conn, x.Seg, uint32_t(x.ShmId), 0));
  // Marked for removal now: it goes once both sides have let go.
  shmctl(x.ShmId, IPC_RMID, nullptr);
  if (err) {
    free(err);
    shmdt(p);
    return false;
  }
  x.ShmBits = static_cast<Byte*>(p);
  x.Frame = TGdiSurface::Wrap(x.ShmBits, x.Width, x.Height, NativeInt(x.Width) * 4, nullptr);
  return true;
}

}  // namespace

bool X11DisplayBuilt() { return true; }

void StartX11Display(const std::string& name) {
  if (gX) throw EDisplayError(u"An X11 display is already up");
  if (IsVirtualClock()) throw EDisplayError(u"The X11 display runs on the real clock; the virtual clock is on");
  auto* x = new X11;
  x->Name = DisplayLabel(name);
  auto fail = [&](const std::string& why) {
    TearDown(x);
    throw EDisplayError(FromUtf8("Cannot open the X display " + DisplayLabel(name) + ": " + why));
  };
  int screenNo = 0;
  x->Conn = xcb_connect(name.empty() ? nullptr : name.c_str(), &screenNo);
  if (!x->Conn || xcb_connection_has_error(x->Conn)) fail("no server answers");
  const xcb_setup_t* setup = xcb_get_setup(x->Conn);
  xcb_screen_iterator_t it = xcb_setup_roots_iterator(setup);
  for (int i = 0; i < screenNo && it.rem; ++i) xcb_screen_next(&it);
  if (!it.rem) fail("no such screen");
  x->Screen = it.data;
  // Frames are the screen's 0xAARRGGBB pixels as they are: a 24-bit true
  // colour screen with 32-bit pixels takes them unchanged.
  bool direct = false;
  if (x->Screen->root_depth == 24) {
    for (auto f = xcb_setup_pixmap_formats_iterator(setup); f.rem; xcb_format_next(&f))
      if (f.data->depth == 24 && f.data->bits_per_pixel == 32) direct = true;
    bool lsb = setup->image_byte_order == XCB_IMAGE_ORDER_LSB_FIRST;
    direct = direct && lsb;
  }
  if (!direct) fail("it is not a 24-bit true colour screen with 32-bit pixels");
  // The monitor window is the configured screen, no larger than the real
  // one; the host's screen follows a smaller size.
  TRect vs;
  {
    std::lock_guard<std::mutex> lk(S().Lock);
    vs = desktop::VirtualScreenBoundsLocked();
  }
  x->Width = std::min<int>(vs.Width(), x->Screen->width_in_pixels);
  x->Height = std::min<int>(vs.Height(), x->Screen->height_in_pixels);
  if (x->Width != vs.Width() || x->Height != vs.Height()) {
    SetScreenSize(x->Width, x->Height);
    vs = TRect(0, 0, x->Width, x->Height);
  }
  x->Origin = TPoint(vs.Left, vs.Top);
  x->MaxRequestBytes = xcb_get_maximum_request_length(x->Conn) * 4;
  x->Window = xcb_generate_id(x->Conn);
  uint32_t mask = XCB_CW_BACK_PIXEL | XCB_CW_EVENT_MASK;
  uint32_t values[2] = {x->Screen->black_pixel,
                        XCB_EVENT_MASK_EXPOSURE | XCB_EVENT_MASK_POINTER_MOTION | XCB_EVENT_MASK_BUTTON_PRESS |
                            XCB_EVENT_MASK_BUTTON_RELEASE | XCB_EVENT_MASK_KEY_PRESS | XCB_EVENT_MASK_KEY_RELEASE |
                            XCB_EVENT_MASK_FOCUS_CHANGE | XCB_EVENT_MASK_STRUCTURE_NOTIFY};
  xcb_create_window(x->Conn, x->Screen->root_depth, x->Window, x->Screen->root, 0, 0, uint16_t(x->Width),
                    uint16_t(x->Height), 0, XCB_WINDOW_CLASS_INPUT_OUTPUT, x->Screen->root_visual, mask, values);
  x->Protocols = Atom(x->Conn, "WM_PROTOCOLS");
  x->DeleteWindow = Atom(x->Conn, "WM_DELETE_WINDOW");
  xcb_change_property(x->Conn, XCB_PROP_MODE_REPLACE, x->Window, x->Protocols, XCB_ATOM_ATOM, 32, 1,
                      &x->DeleteWindow);
  std::string title = "Quarn";
  if (const char* p = program_invocation_short_name; p && *p) title += std::string(" - ") + p;
  xcb_change_property(x->Conn, XCB_PROP_MODE_REPLACE, x->Window, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8,
                      uint32_t(title.size()), title.data());
  xcb_change_property(x->Conn, XCB_PROP_MODE_REPLACE, x->Window, Atom(x->Conn, "_NET_WM_NAME"),
                      Atom(x->Conn, "UTF8_STRING"), 8, uint32_t(title.size()), title.data());
  // A fixed size: the screen does not change while the program runs.
  uint32_t hints[18] = {};
  hints[0] = 16 | 32;  // program-specified minimum and maximum size
  hints[5] = hints[7] = uint32_t(x->Width);
  hints[6] = hints[8] = uint32_t(x->Height);
  xcb_change_property(x->Conn, XCB_PROP_MODE_REPLACE, x->Window, XCB_ATOM_WM_NORMAL_HINTS, XCB_ATOM_WM_SIZE_HINTS,
                      32, 18, hints);
  x->Gc = xcb_generate_id(x->Conn);
  uint32_t noExposures = 0;
  xcb_create_gc(x->Conn, x->Gc, x->Window, XCB_GC_GRAPHICS_EXPOSURES, &noExposures);
  x->CursorFont = xcb_generate_id(x->Conn);
  xcb_open_font(x->Conn, x->CursorFont, 6, "cursor");
  xcb_pixmap_t empty = xcb_generate_id(x->Conn);
  xcb_create_pixmap(x->Conn, 1, empty, x->Window, 1, 1);
  x->Blank = xcb_generate_id(x->Conn);
  xcb_create_cursor(x->Conn, x->Blank, empty, empty, 0, 0, 0, 0, 0, 0, 0, 0);
  xcb_free_pixmap(x->Conn, empty);
  x->Shm = AttachShm(*x);
  if (!x->Shm) x->Frame = TGdiSurface::Create(x->Width, x->Height);
  SetupKeyboard(*x);
  MapCursors(*x);
  x->WakeFd = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
  if (x->WakeFd < 0) fail("no wake-up event");
  xcb_map_window(x->Conn, x->Window);
  Sync(x->Conn);
  if (xcb_connection_has_error(x->Conn)) fail("the connection broke while the window was made");
  {
    std::lock_guard<std::mutex> lk(S().Lock);
    Server& s = S();
    gX = x;
    gKind = TDisplayKind::X11;
    gChosen = true;
    gError.clear();
    s.DisplayThread = CurrentThreadId();
    CurrentQueue();
    s.Hook.ScreenDamaged = OnScreenDamaged;
    s.Hook.ScreenChanged = OnScreenChanged;
    s.Hook.DisplayWait = DisplayWaitLocked;
    s.Hook.DisplayWake = OnDisplayWake;
    x->Damage.push_back(vs);
    x->GeometryDirty = true;
    x->NextFrame = Clock::now();
  }
}

void StopDisplay() {
  X11* x;
  {
    std::lock_guard<std::mutex> lk(S().Lock);
    x = gX;
    if (!x) return;
    Server& s = S();
    s.Hook.DisplayWait = nullptr;
    s.Hook.DisplayWake = nullptr;
    s.Hook.ScreenDamaged = nullptr;
    s.Hook.ScreenChanged = nullptr;
    s.DisplayThread = 0;
    gX = nullptr;
    gKind = TDisplayKind::Headless;
  }
  TearDown(x);
}

TDisplayInfo DisplayInfo() {
  std::lock_guard<std::mutex> lk(S().Lock);
  TDisplayInfo i;
  if (!gX) return i;
  i.Window = gX->Window;
  i.Width = gX->Width;
  i.Height = gX->Height;
  i.SharedMemory = gX->Shm;
  return i;
}

int64_t PresentDisplay(bool everything) {
  std::unique_lock<std::mutex> lk(S().Lock);
  if (!gX) return 0;
  if (xcb_connection_has_error(gX->Conn)) {
    LostLocked();
    return 0;
  }
  return PresentLocked(lk, everything);
}

#else  // no X11 in this build

bool X11DisplayBuilt() { return false; }

void StartX11Display(const std::string&) {
  throw EDisplayError(u"This build of Quarn has no X11 display (XCB was not found when it was configured)");
}

void StopDisplay() {}
TDisplayInfo DisplayInfo() { return {}; }
int64_t PresentDisplay(bool) { return 0; }

#endif

TDisplayKind CurrentDisplay() {
  std::lock_guard<std::mutex> lk(S().Lock);
  return gKind;
}

std::string DisplayError() {
  std::lock_guard<std::mutex> lk(S().Lock);
  return gError;
}

TDisplayKind ChooseDisplay() {
  {
    std::lock_guard<std::mutex> lk(S().Lock);
    if (gChosen) return gKind;
    gChosen = true;
  }
  const char* want = std::getenv("QN_DISPLAY");
  std::string w = want ? want : "";
  if (w == "headless") return TDisplayKind::Headless;
  bool insist = w == "x11";
  const char* d = std::getenv("DISPLAY");
  if (!insist && (!d || !*d || IsVirtualClock() || !X11DisplayBuilt())) return TDisplayKind::Headless;
  try {
    StartX11Display();
  } catch (EDisplayError&) {
    if (insist) throw;
    return TDisplayKind::Headless;
  }
  return TDisplayKind::X11;
}

namespace desktop {
void StopDisplayAtExit() {
  StopDisplay();
  std::lock_guard<std::mutex> lk(S().Lock);
  gChosen = false;
}
}  // namespace desktop

}  // namespace vcl
