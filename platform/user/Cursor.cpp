// The standard cursors, the cursor display counter, the pointer position and
// its clip rectangle, and hover tracking (TrackMouseEvent with TME_HOVER).
#include <cmath>
#include <map>
#include <vector>

#include "platform/gdi/GdiIcon.h"
#include "platform/user/Resources.h"
#include "platform/user/ServerInput.h"

namespace vcl::server {

namespace {

// ---------------------------------------------------------------------------
// The standard cursor pictures: black shapes with a white rim on 32 x 32
// alpha icons, drawn from a few polygons, strokes and rings.

struct PtF {
  double X, Y;
};
struct Shape {
  std::vector<std::vector<PtF>> Fills;
  std::vector<std::pair<PtF, PtF>> Strokes;
  std::vector<std::pair<PtF, double>> Rings;  // centre, radius
  TPoint Hotspot;
};

bool InPolygon(const std::vector<PtF>& poly, double x, double y) {
  bool in = false;
  for (size_t i = 0, j = poly.size() - 1; i < poly.size(); j = i++) {
    const PtF &a = poly[i], &b = poly[j];
    if ((a.Y > y) != (b.Y > y) && x < (b.X - a.X) * (y - a.Y) / (b.Y - a.Y) + a.X) in = !in;
  }
  return in;
}

double SegmentDistance(PtF a, PtF b, double x, double y) {
  double dx = b.X - a.X, dy = b.Y - a.Y;
  double len2 = dx * dx + dy * dy;
  double t = len2 > 0 ? ((x - a.X) * dx + (y - a.Y) * dy) / len2 : 0;
  t = std::fmax(0.0, std::fmin(1.0, t));
  double px = a.X + t * dx - x, py = a.Y + t * dy - y;
  return std::sqrt(px * px + py * py);
}

void AddArrow(Shape& s) {
  s.Fills.push_back({{1, 1}, {1, 19}, {5.5, 14.5}, {8.5, 21.5}, {11, 20.5}, {8, 13.5}, {13.5, 13.5}});
  s.Hotspot = TPoint(1, 1);
}

void AddDoubleArrow(Shape& s, PtF a, PtF b) {
  s.Strokes.push_back({a, b});
  double dx = b.X - a.X, dy = b.Y - a.Y, len = std::sqrt(dx * dx + dy * dy);
  double ux = dx / len, uy = dy / len, nx = -uy, ny = ux;
  auto head = [&](PtF tip, double dir) {
    PtF base{tip.X + dir * ux * 6, tip.Y + dir * uy * 6};
    s.Fills.push_back({{tip.X - dir * ux * 2, tip.Y - dir * uy * 2},
                       {base.X + nx * 5, base.Y + ny * 5},
                       {base.X - nx * 5, base.Y - ny * 5}});
  };
  head(a, 1);
  head(b, -1);
}

Shape ShapeOf(int id) {
  Shape s;
  s.Hotspot = TPoint(16, 16);
  switch (id) {
    case 32512: AddArrow(s); break;
    case 32513:  // I-beam
      s.Strokes = {{{16, 5}, {16, 27}}, {{12, 4}, {20, 4}}, {{12, 28}, {20, 28}}};
      break;
    case 32514:  // hourglass
      s.Fills = {{{9, 5}, {23, 5}, {16, 16}}, {{16, 16}, {23, 27}, {9, 27}}};
      s.Strokes = {{{8, 4}, {24, 4}}, {{8, 28}, {24, 28}}};
      break;
    case 32515: s.Strokes = {{{16, 4}, {16, 28}}, {{4, 16}, {28, 16}}}; break;
    case 32516:
      s.Fills = {{{16, 2}, {24, 12}, {19, 12}, {19, 28}, {13, 28}, {13, 12}, {8, 12}}};
      s.Hotspot = TPoint(16, 2);
      break;
    case 32642: AddDoubleArrow(s, {7, 7}, {25, 25}); break;
    case 32643: AddDoubleArrow(s, {25, 7}, {7, 25}); break;
    case 32644: AddDoubleArrow(s, {4, 16}, {28, 16}); break;
    case 32645: AddDoubleArrow(s, {16, 4}, {16, 28}); break;
    case 32640:
    case 32646:
      AddDoubleArrow(s, {4, 16}, {28, 16});
      AddDoubleArrow(s, {16, 4}, {16, 28});
      break;
    case 32641: s.Fills = {{{8, 8}, {24, 8}, {24, 24}, {8, 24}}}; break;
    case 32648:  // no
      s.Rings = {{{16, 16}, 10}};
      s.Strokes = {{{9, 23}, {23, 9}}};
      break;
    case 32649:  // hand
      s.Fills = {{{11, 2}, {15, 2}, {15, 12}, {24, 14}, {24, 25}, {20, 30}, {12, 30}, {6, 21}, {7, 16}, {11, 19}}};
      s.Hotspot = TPoint(13, 2);
      break;
    case 32650:  // working in the background
      AddArrow(s);
      s.Rings = {{{23, 23}, 5}};
      break;
    case 32651:  // help
      AddArrow(s);
      s.Rings = {{{23, 9}, 4}};
      s.Strokes = {{{23, 13}, {23, 18}}, {{23, 21.5}, {23, 22.5}}};
      break;
    default: break;
  }
  return s;
}

HCURSOR MakeCursor(int id) {
  Shape s = ShapeOf(id);
  constexpr int N = 32;
  bool core[N][N] = {};
  for (int y = 0; y < N; ++y)
    for (int x = 0; x < N; ++x) {
      double cx = x + 0.5, cy = y + 0.5;
      bool in = false;
      for (auto& f : s.Fills) in = in || InPolygon(f, cx, cy);
      for (auto& [a, b] : s.Strokes) in = in || SegmentDistance(a, b, cx, cy) <= 1.0;
      for (auto& [c, r] : s.Rings) in = in || std::fabs(std::hypot(cx - c.X, cy - c.Y) - r) <= 1.0;
      core[y][x] = in;
    }
  std::vector<uint32_t> pixels(N * N, 0);
  for (int y = 0; y < N; ++y)
    for (int x = 0; x < N; ++x) {
      if (core[y][x]) {
        pixels[size_t(y * N + x)] = 0xFF000000u;
        continue;
      }
      bool rim = false;
      for (int dy = -1; dy <= 1 && !rim; ++dy)
        for (int dx = -1; dx <= 1 && !rim; ++dx) {
          int nx = x + dx, ny = y + dy;
          rim = nx >= 0 && ny >= 0 && nx < N && ny < N && core[ny][nx];
        }
      if (rim) pixels[size_t(y * N + x)] = 0xFFFFFFFFu;
    }
  std::vector<Byte> mask(size_t(N / 8) * N, 0);
  ICONINFO info;
  info.fIcon = 0;
  info.xHotspot = DWORD(s.Hotspot.X);
  info.yHotspot = DWORD(s.Hotspot.Y);
  info.hbmColor = CreateBitmap(N, N, 1, 32, pixels.data());
  info.hbmMask = CreateBitmap(N, N, 1, 1, mask.data());
  HICON h = CreateIconIndirect(&info);
  DeleteObject(info.hbmColor);
  DeleteObject(info.hbmMask);
  MarkIconShared(h);  // DestroyCursor on a loaded cursor must leave it for the next caller
  return h;
}

bool StandardId(uintptr_t id) {
  return (id >= 32512 && id <= 32516) || (id >= 32640 && id <= 32646) || (id >= 32648 && id <= 32651);
}

// ---------------------------------------------------------------------------
// Pointer state; the lock guards it.

struct PointerState {
  int ShowCount = 0;
  bool Clipped = false;
  TRect Clip;
  MovePointerFn Mover = nullptr;
  // Hover tracking.
  HWND HoverTrack = nullptr;
  bool HoverNonClient = false;
  DWORD HoverTime = 0;
  TPoint HoverAnchor;
  Int64 HoverStart = 0;
  LRESULT HoverHit = HTCLIENT;
};

PointerState& P() {
  static auto* p = new PointerState;
  return *p;
}

TRect VirtualScreen() {
  TRect vs;
  for (auto& m : S().Monitors) UnionRect(vs, vs, m.Bounds);
  return vs;
}

void MovePointer(int x, int y) {
  MovePointerFn mover;
  {
    std::lock_guard<std::mutex> lk(S().Lock);
    mover = P().Mover;
    if (!mover) {
      S().CursorPos = ClampToClip(TPoint(x, y));
      return;
    }
  }
  mover(x, y);
}

}  // namespace

TPoint ClampToClip(TPoint p) {
  PointerState& st = P();
  if (!st.Clipped) return p;
  p.X = std::clamp(p.X, st.Clip.Left, std::max(st.Clip.Left, st.Clip.Right - 1));
  p.Y = std::clamp(p.Y, st.Clip.Top, std::max(st.Clip.Top, st.Clip.Bottom - 1));
  return p;
}

void SetMovePointerHook(MovePointerFn fn) {
  std::lock_guard<std::mutex> lk(S().Lock);
  P().Mover = fn;
}

void StartHover(HWND h, bool nonClient, DWORD ms) {
  PointerState& st = P();
  st.HoverTrack = h;
  st.HoverNonClient = nonClient;
  st.HoverTime = ms == HOVER_DEFAULT ? ParameterLocked(SPI_GETMOUSEHOVERTIME) : ms;
  st.HoverAnchor = S().CursorPos;
  st.HoverStart = ClockMs();
}

void CancelHover(HWND h, bool nonClient) {
  PointerState& st = P();
  if (st.HoverTrack == h && st.HoverNonClient == nonClient) st.HoverTrack = nullptr;
}

bool QueryHover(HWND& h, bool& nonClient, DWORD& ms) {
  PointerState& st = P();
  if (st.HoverTrack && !FindLive(st.HoverTrack)) st.HoverTrack = nullptr;
  h = st.HoverTrack;
  nonClient = st.HoverNonClient;
  ms = st.HoverTime;
  return h != nullptr;
}

void HoverCheck(HWND target, bool nonClient, TPoint pt, DWORD time) {
  PointerState& st = P();
  if (!st.HoverTrack) return;
  if (target != st.HoverTrack || nonClient != st.HoverNonClient) {
    st.HoverTrack = nullptr;  // left the tracked area: no hover there any more
    return;
  }
  UINT w = ParameterLocked(SPI_GETMOUSEHOVERWIDTH), h = ParameterLocked(SPI_GETMOUSEHOVERHEIGHT);
  if (std::abs(pt.X - st.HoverAnchor.X) > int(w / 2) || std::abs(pt.Y - st.HoverAnchor.Y) > int(h / 2)) {
    // Out of the hover rectangle: the wait starts again around the new point.
    st.HoverAnchor = pt;
    Int64 now = ClockMs();  // message times are the clock's low 32 bits
    st.HoverStart = now - Int64(DWORD(DWORD(now) - time));
  }
}

void SetHoverHit(LRESULT hit) { P().HoverHit = hit; }

Int64 HoverDue(ThreadQueue& q) {
  PointerState& st = P();
  if (!st.HoverTrack) return INT64_MAX;
  Window* w = FindLive(st.HoverTrack);
  if (!w || w->ThreadId != q.ThreadId) return INT64_MAX;
  return st.HoverStart + Int64(st.HoverTime);
}

void HoverPoll(ThreadQueue& q) {
  PointerState& st = P();
  // Every look at the queue comes here: with no hover tracked there is no
  // due time, and no reason to read the clock.
  const Int64 due = HoverDue(q);
  if (due == INT64_MAX || due > ClockMs()) return;
  Window* w = FindLive(st.HoverTrack);
  if (!w || !w->Queue) return;
  Server& s = S();
  MSG m;
  m.hwnd = st.HoverTrack;
  m.time = DWORD(ClockMs());
  m.pt = s.CursorPos;
  if (st.HoverNonClient) {
    m.message = WM_NCMOUSEHOVER;
    m.wParam = WPARAM(st.HoverHit);
    m.lParam = MAKELPARAM(s.CursorPos.X, s.CursorPos.Y);
  } else {
    const Byte* ks = s.KeyState;
    WPARAM keys = 0;
    if (ks[VK_LBUTTON] & 0x80) keys |= MK_LBUTTON;
    if (ks[VK_RBUTTON] & 0x80) keys |= MK_RBUTTON;
    if (ks[VK_MBUTTON] & 0x80) keys |= MK_MBUTTON;
    if (ks[VK_SHIFT] & 0x80) keys |= MK_SHIFT;
    if (ks[VK_CONTROL] & 0x80) keys |= MK_CONTROL;
    TRect c = ScreenClient(w);
    m.message = WM_MOUSEHOVER;
    m.wParam = keys;
    m.lParam = MAKELPARAM(s.CursorPos.X - c.Left, s.CursorPos.Y - c.Top);
  }
  st.HoverTrack = nullptr;  // once; the window asks again for another
  w->Queue->Posted.push_back(m);
  Wake(*w->Queue, QS_POSTMESSAGE);
}

void ResetHover() { P().HoverTrack = nullptr; }

bool CursorShownLocked() { return P().ShowCount >= 0; }

void ResetPointer() {
  PointerState& st = P();
  st.HoverTrack = nullptr;
  st.Clipped = false;
  st.ShowCount = 0;
}

}  // namespace vcl::server

namespace vcl {

using namespace server;

HCURSOR LoadCursorW(HINSTANCE inst, const char16_t* name) {
  uintptr_t id = reinterpret_cast<uintptr_t>(name);
  // A module's own cursors come from its resources, shared like the stock ones.
  if (inst) return static_cast<HCURSOR>(LoadImageW(inst, name, IMAGE_CURSOR, 0, 0, LR_DEFAULTSIZE | LR_SHARED));
  if (!StandardId(id)) return nullptr;
  static auto* m = new std::mutex;
  static auto* cache = new std::map<uintptr_t, HCURSOR>;
  std::lock_guard<std::mutex> g(*m);
  HCURSOR& c = (*cache)[id];
  if (!c) c = MakeCursor(int(id));
  return c;
}

int ShowCursor(bool show) {
  std::lock_guard<std::mutex> lk(S().Lock);
  return show ? ++P().ShowCount : --P().ShowCount;
}

bool SetCursorPos(int x, int y) {
  MovePointer(x, y);
  return true;
}

bool ClipCursor(const RECT* r) {
  TPoint inside;
  bool move = false;
  {
    std::lock_guard<std::mutex> lk(S().Lock);
    PointerState& st = P();
    if (!r) {
      st.Clipped = false;
      return true;
    }
    TRect want(r->Left, r->Top, r->Right, r->Bottom);
    TRect clip;
    if (want.Right < want.Left) std::swap(want.Left, want.Right);
    if (want.Bottom < want.Top) std::swap(want.Top, want.Bottom);
    // The pointer stays on the screen: an area beyond it is cut to it.
    if (!IntersectRect(clip, want, VirtualScreen())) clip = Bounds(want.Left, want.Top, 1, 1);
    st.Clipped = true;
    st.Clip = clip;
    inside = ClampToClip(S().CursorPos);
    move = inside != TPoint(S().CursorPos);
  }
  if (move) MovePointer(inside.X, inside.Y);
  return true;
}

bool GetClipCursor(RECT* r) {
  if (!r) return false;
  std::lock_guard<std::mutex> lk(S().Lock);
  *r = P().Clipped ? P().Clip : VirtualScreen();
  return true;
}

}  // namespace vcl
