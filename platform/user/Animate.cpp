// AnimateWindow: a synchronous show or hide animation on the one clock. The
// window's look carries the animation (Clip, Shift and Alpha of its screen
// look), so every frame goes through the same composition as the screen.
#include <algorithm>
#include <cmath>

#include "platform/user/Server.h"

namespace vcl::server {

namespace {

constexpr DWORD kAnimFrameMs = 10;
constexpr DWORD kAnimFlags = AW_HOR_POSITIVE | AW_HOR_NEGATIVE | AW_VER_POSITIVE | AW_VER_NEGATIVE | AW_CENTER |
                             AW_HIDE | AW_ACTIVATE | AW_SLIDE | AW_BLEND;

int Part(int n, double shown) { return int(std::lround(double(n) * shown)); }

// One axis of a roll or slide: the shown band [lo, hi) of n pixels and how
// far the content moves with it.
void Axis(DWORD flags, bool positive, bool negative, int n, double shown, int& lo, int& hi, int& shift) {
  lo = 0;
  hi = n;
  shift = 0;
  if (!positive && !negative) return;
  int part = Part(n, shown);
  // Showing left to right grows from the left edge; hiding left to right
  // shrinks towards the right edge; the negative direction mirrors both.
  bool atStart = !(flags & AW_HIDE) == positive;
  if (atStart) {
    hi = part;
    shift = part - n;
  } else {
    lo = n - part;
    shift = n - part;
  }
  if (!(flags & AW_SLIDE)) shift = 0;  // a roll uncovers the content in place
}

}  // namespace

void ApplyAnimation(const Window* top, ScreenLook& look) {
  if (!top->Animating) return;
  double shown = std::clamp(top->AnimShown, 0.0, 1.0);
  DWORD f = top->AnimFlags;
  int w = look.Clip.Width(), h = look.Clip.Height();
  if (f & AW_BLEND) {
    look.Alpha = uint32_t(std::lround(look.Alpha * shown));
    return;
  }
  if (f & AW_CENTER) {
    int cw = Part(w, shown), ch = Part(h, shown);
    look.Clip = Bounds((w - cw) / 2, (h - ch) / 2, cw, ch);
    return;
  }
  int x0, x1, dx, y0, y1, dy;
  Axis(f, f & AW_HOR_POSITIVE, (f & AW_HOR_NEGATIVE) && !(f & AW_HOR_POSITIVE), w, shown, x0, x1, dx);
  Axis(f, f & AW_VER_POSITIVE, (f & AW_VER_NEGATIVE) && !(f & AW_VER_POSITIVE), h, shown, y0, y1, dy);
  look.Clip = TRect(x0, y0, x1, y1);
  look.Shift = TPoint(dx, dy);
}

}  // namespace vcl::server

namespace vcl {

using namespace server;

namespace {

void SetShown(HWND h, double shown) {
  std::lock_guard<std::mutex> lk(S().Lock);
  Window* w = Find(h);
  if (!w) return;
  w->AnimShown = shown;
  if (!w->Parent) ScreenChanged();
}

}  // namespace

bool AnimateWindow(HWND h, DWORD dwTime, DWORD dwFlags) {
  bool hide = dwFlags & AW_HIDE;
  {
    std::lock_guard<std::mutex> lk(S().Lock);
    Window* w = Find(h);
    if (!w) {
      SetLastError(ERROR_INVALID_WINDOW_HANDLE);
      return false;
    }
    if (w->ThreadId != CurrentThreadId()) {
      SetLastError(ERROR_SUCCESS);
      return false;
    }
    if (dwFlags & ~kAnimFlags) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return false;
    }
    bool visible = (w->Style & WS_VISIBLE) != 0;
    if (visible != hide) {
      SetLastError(ERROR_SUCCESS);
      return false;
    }
    bool directed = dwFlags & (AW_HOR_POSITIVE | AW_HOR_NEGATIVE | AW_VER_POSITIVE | AW_VER_NEGATIVE);
    if ((!(dwFlags & (AW_BLEND | AW_CENTER)) && !directed) || ((dwFlags & AW_BLEND) && w->IsChild())) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return false;
    }
    if (w->Animating) {  // a window procedure asked again while its window is animating
      SetLastError(ERROR_SUCCESS);
      return false;
    }
    w->Animating = true;
    w->AnimFlags = dwFlags;
    w->AnimShown = hide ? 1 : 0;
  }
  // The window is painted before the first frame, so the frames show its content.
  if (!hide) ShowWindow(h, (dwFlags & AW_ACTIVATE) ? SW_SHOW : SW_SHOWNA);
  UpdateWindow(h);
  Int64 start = ClockMs();
  for (;;) {
    Int64 elapsed = ClockMs() - start;
    double done = dwTime == 0 ? 1.0 : std::min(1.0, double(elapsed) / double(dwTime));
    SetShown(h, hide ? 1.0 - done : done);
    if (done >= 1.0 || !IsWindow(h)) break;
    Sleep(DWORD(std::min<Int64>(kAnimFrameMs, Int64(dwTime) - elapsed)));
  }
  if (hide) ShowWindow(h, SW_HIDE);
  std::lock_guard<std::mutex> lk(S().Lock);
  Window* w = Find(h);
  if (!w) return false;
  w->Animating = false;
  w->AnimShown = 1;
  if (!w->Parent) ScreenChanged();
  return true;
}

}  // namespace vcl
