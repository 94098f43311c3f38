// The caret: one for the server, owned by a window of one thread.
//
// While it is shown and in the visible half of its blink period it is drawn
// by inverting the pixels under it on the owner's top-level surface; the
// blink follows the one clock and is brought up to date whenever a thread
// retrieves messages, whenever a caret function runs and whenever a test
// asks; on the real-time clock a waiting owner thread wakes for each change. A window that paints (BeginPaint to EndPaint) has the caret taken
// off first, so painting never mixes with inverted pixels.
#include <algorithm>

#include "platform/gdi/GdiSurface.h"
#include "platform/user/ServerInput.h"

namespace vcl::server {

namespace {

const HBITMAP kGrayCaret = reinterpret_cast<HBITMAP>(uintptr_t(1));

struct CaretState {
  HWND Owner = nullptr;
  DWORD Thread = 0;
  HBITMAP Bitmap = nullptr;  // nullptr: solid; kGrayCaret: half-tone; else XOR pattern
  TGdiSurfacePtr Pattern;
  int W = 0, H = 0;
  TPoint Pos;
  int HideLevel = 1;     // shown at 0; a new caret starts hidden
  HWND Painting = nullptr;  // a window between BeginPaint and EndPaint
  Int64 PhaseStart = 0;
  UINT BlinkMs = 530;
  // What is inverted on the screen now.
  bool Drawn = false;
  HWND DrawnTop = nullptr;
  TRect DrawnRect;  // top-level surface coordinates
};

CaretState& C() {
  static auto* c = new CaretState;
  return *c;
}

void Invert(HWND top, const TRect& r) {
  Window* t = Find(top);
  if (!t) return;
  auto s = SurfaceOf(t);
  TRect part;
  if (!IntersectRect(part, r, s->BoundsRect())) return;
  CaretState& c = C();
  for (int y = part.Top; y < part.Bottom; ++y) {
    uint32_t* row = s->Scanline(y);
    for (int x = part.Left; x < part.Right; ++x) {
      int px = x - r.Left, py = y - r.Top;
      uint32_t mask = 0x00FFFFFF;
      if (c.Bitmap == kGrayCaret) {
        if ((px + py) & 1) continue;
      } else if (c.Pattern) {
        mask = px < c.Pattern->Width && py < c.Pattern->Height ? c.Pattern->Pixel(px, py) & 0x00FFFFFF : 0;
      }
      row[x] ^= mask;
    }
  }
  TRect onScreen = part;
  OffsetRect(onScreen, t->Rect.Left, t->Rect.Top);
  // A display repaints just the caret's cells.
  if (S().Hook.ScreenDamaged) ScreenDamaged(onScreen);
  else ScreenChanged();
}

void Undraw() {
  CaretState& c = C();
  if (!c.Drawn) return;
  c.Drawn = false;
  Invert(c.DrawnTop, c.DrawnRect);
}

bool PhaseOn(const CaretState& c) {
  if (c.BlinkMs == INFINITE || c.BlinkMs == 0) return true;
  Int64 elapsed = std::max<Int64>(0, ClockMs() - c.PhaseStart);
  return (elapsed / Int64(c.BlinkMs)) % 2 == 0;
}

// Where the caret would be drawn now; false when nowhere.
bool Place(HWND& top, TRect& r) {
  CaretState& c = C();
  Window* w = FindLive(c.Owner);
  if (!w || !VisibleChain(w)) return false;
  Window* t = TopOf(w);
  TPoint off = OffsetInTop(w);
  TRect client = Bounds(off.X + w->Client.Left, off.Y + w->Client.Top, w->Client.Width(), w->Client.Height());
  TRect caret = Bounds(client.Left + c.Pos.X, client.Top + c.Pos.Y, c.W, c.H);
  if (!IntersectRect(r, caret, client)) return false;
  top = t->Handle;
  return true;
}

// The caret is owned by a window of the calling thread; lock held.
bool Mine(HWND h) {
  CaretState& c = C();
  if (!c.Owner || !FindLive(c.Owner)) return false;
  if (c.Thread != CurrentThreadId()) return false;
  return !h || h == c.Owner;
}

void Restart() { C().PhaseStart = ClockMs(); }

void Drop() {
  Undraw();
  CaretState& c = C();
  c.Owner = nullptr;
  c.Pattern.reset();
  c.Bitmap = nullptr;
  c.HideLevel = 1;
  c.Painting = nullptr;
}

}  // namespace

void SyncCaret() {
  CaretState& c = C();
  if (c.Owner && !FindLive(c.Owner)) Drop();
  HWND top = nullptr;
  TRect r;
  bool want = c.Owner && c.HideLevel == 0 && !c.Painting && PhaseOn(c) && Place(top, r);
  if (c.Drawn && (!want || top != c.DrawnTop || r != c.DrawnRect)) Undraw();
  if (want && !c.Drawn) {
    Invert(top, r);
    c.Drawn = true;
    c.DrawnTop = top;
    c.DrawnRect = r;
  }
}

void CaretPaintBegin(HWND h) {
  CaretState& c = C();
  if (!c.Owner || c.Owner != h) return;
  c.Painting = h;
  Undraw();
}

void CaretPaintEnd(HWND h) {
  CaretState& c = C();
  if (c.Painting != h) return;
  c.Painting = nullptr;
  SyncCaret();
}

void DropCaretOf(HWND h) {
  if (C().Owner == h) Drop();
}

Int64 CaretDue(ThreadQueue& q) {
  CaretState& c = C();
  if (ClockVirtual() || !c.Owner || c.Thread != q.ThreadId || c.HideLevel > 0 || c.BlinkMs == 0 ||
      c.BlinkMs == INFINITE)
    return INT64_MAX;
  Int64 elapsed = std::max<Int64>(0, ClockMs() - c.PhaseStart);
  return c.PhaseStart + (elapsed / Int64(c.BlinkMs) + 1) * Int64(c.BlinkMs);
}

bool CaretDrawn() {
  SyncCaret();
  return C().Drawn;
}

}  // namespace vcl::server

namespace vcl {

using namespace server;

bool CreateCaret(HWND h, HBITMAP bitmap, int width, int height) {
  TGdiSurfacePtr pattern;
  if (bitmap && bitmap != kGrayCaret) {
    BITMAP bm;
    if (!GetObjectW(bitmap, sizeof bm, &bm)) {
      SetLastError(ERROR_INVALID_HANDLE);
      return false;
    }
    width = bm.bmWidth;
    height = std::abs(bm.bmHeight);
    pattern = GetBitmapSurface(bitmap);
  }
  if (width <= 0) width = GetSystemMetrics(SM_CXBORDER);
  if (height <= 0) height = GetSystemMetrics(SM_CYBORDER);
  std::lock_guard<std::mutex> lk(S().Lock);
  Window* w = FindLive(h);
  if (!w || w->ThreadId != CurrentThreadId()) {
    SetLastError(w ? ERROR_ACCESS_DENIED : ERROR_INVALID_WINDOW_HANDLE);
    return false;
  }
  Drop();
  CaretState& c = C();
  c.Owner = h;
  c.Thread = w->ThreadId;
  c.Bitmap = bitmap;
  c.Pattern = pattern;
  c.W = width;
  c.H = height;
  c.Pos = TPoint();
  c.HideLevel = 1;
  Restart();
  return true;
}

bool DestroyCaret() {
  std::lock_guard<std::mutex> lk(S().Lock);
  if (!Mine(nullptr)) return false;
  Drop();
  return true;
}

bool ShowCaret(HWND h) {
  std::lock_guard<std::mutex> lk(S().Lock);
  if (!Mine(h)) return false;
  CaretState& c = C();
  if (c.HideLevel > 0 && --c.HideLevel == 0) Restart();
  SyncCaret();
  return true;
}

bool HideCaret(HWND h) {
  std::lock_guard<std::mutex> lk(S().Lock);
  if (!Mine(h)) return false;
  ++C().HideLevel;
  SyncCaret();
  return true;
}

bool SetCaretPos(int x, int y) {
  std::lock_guard<std::mutex> lk(S().Lock);
  if (!Mine(nullptr)) return false;
  CaretState& c = C();
  if (c.Pos == TPoint(x, y)) return true;
  c.Pos = TPoint(x, y);
  Restart();  // a moved caret shows at once
  SyncCaret();
  return true;
}

bool GetCaretPos(POINT* p) {
  if (!p) return false;
  std::lock_guard<std::mutex> lk(S().Lock);
  if (!Mine(nullptr)) return false;
  *p = C().Pos;
  return true;
}

UINT GetCaretBlinkTime() {
  std::lock_guard<std::mutex> lk(S().Lock);
  return C().BlinkMs;
}

bool SetCaretBlinkTime(UINT ms) {
  std::lock_guard<std::mutex> lk(S().Lock);
  C().BlinkMs = ms;
  Restart();
  SyncCaret();
  return true;
}

}  // namespace vcl
