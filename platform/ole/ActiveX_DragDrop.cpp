// Drop targets and the modal drag loop.
#include <atomic>
#include <cmath>
#include <mutex>
#include <vector>

#include "platform/gdi/GdiIcon.h"
#include "platform/ole/OleInternal.h"
#include "platform/ole/DragDropQuery.h"
#include "platform/user/Server.h"

namespace vcl {

namespace {

// ---------------------------------------------------------------------------
// The registry of drop targets

struct TRegistered {
  HWND Wnd = nullptr;
  TIntf<IDropTarget> Target;
};

struct TTargets {
  std::mutex Lock;
  std::vector<TRegistered> Items;
};

TTargets& T() {
  static auto* t = new TTargets;
  return *t;
}

TIntf<IDropTarget> Unregister(HWND h) {
  std::lock_guard<std::mutex> lk(T().Lock);
  for (auto it = T().Items.begin(); it != T().Items.end(); ++it)
    if (it->Wnd == h) {
      TIntf<IDropTarget> t = std::move(it->Target);
      T().Items.erase(it);
      return t;
    }
  return nullptr;
}

TIntf<IDropTarget> TargetOf(HWND h) {
  std::lock_guard<std::mutex> lk(T().Lock);
  for (auto& r : T().Items)
    if (r.Wnd == h) return r.Target;
  return nullptr;
}

// A destroyed window's target goes with it.
void WindowGone(HWND h) { Unregister(h); }

// The window under the point or its nearest ancestor that is a registered
// target of this thread.
HWND TargetWindowAt(POINTL pt) {
  DWORD me = GetCurrentThreadId();
  for (HWND h = WindowFromPoint(POINT{pt.x, pt.y}); h; h = GetAncestor(h, GA_PARENT)) {
    if (GetWindowThreadProcessId(h, nullptr) == me && TargetOf(h)) return h;
    if (h == GetDesktopWindow()) break;
  }
  return nullptr;
}

// ---------------------------------------------------------------------------
// The drag cursors: the arrow with a badge for the effect.

HCURSOR MakeDragCursor(DWORD effect) {
  constexpr int N = 32;
  auto inArrow = [](double x, double y) {
    static const double poly[][2] = {{1, 1}, {1, 19}, {5.5, 14.5}, {8.5, 21.5}, {11, 20.5}, {8, 13.5}, {13.5, 13.5}};
    bool in = false;
    for (size_t i = 0, j = 6; i < 7; j = i++) {
      const double *a = poly[i], *b = poly[j];
      if ((a[1] > y) != (b[1] > y) && x < (b[0] - a[0]) * (y - a[1]) / (b[1] - a[1]) + a[0]) in = !in;
    }
    return in;
  };
  std::vector<uint32_t> px(N * N, 0);
  bool core[N][N] = {};
  for (int y = 0; y < N; ++y)
    for (int x = 0; x < N; ++x) core[y][x] = inArrow(x + 0.5, y + 0.5);
  for (int y = 0; y < N; ++y)
    for (int x = 0; x < N; ++x) {
      if (core[y][x]) {
        px[size_t(y * N + x)] = 0xFF000000u;
        continue;
      }
      bool rim = false;
      for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx) {
          int nx = x + dx, ny = y + dy;
          rim = rim || (nx >= 0 && ny >= 0 && nx < N && ny < N && core[ny][nx]);
        }
      if (rim) px[size_t(y * N + x)] = 0xFFFFFFFFu;
    }
  // The badge: a white box with a black frame below right of the arrow.
  const int l = 14, t = 18, r = 27, b = 31;
  for (int y = t; y < b; ++y)
    for (int x = l; x < r; ++x) {
      bool frame = x == l || x == r - 1 || y == t || y == b - 1;
      px[size_t(y * N + x)] = frame ? 0xFF000000u : 0xFFFFFFFFu;
    }
  auto dot = [&](int x, int y) { px[size_t(y * N + x)] = 0xFF000000u; };
  const int cx = (l + r) / 2, cy = (t + b) / 2;
  if (effect == DROPEFFECT_COPY) {
    for (int i = -3; i <= 3; ++i) {
      dot(cx + i, cy);
      dot(cx, cy + i);
    }
  } else if (effect == DROPEFFECT_LINK) {
    // A bent arrow pointing up and right.
    for (int i = 0; i <= 5; ++i) dot(cx - 3, cy + 2 - i + 1);
    for (int i = 0; i <= 5; ++i) dot(cx - 3 + i, cy - 3);
    dot(cx + 1, cy - 5);
    dot(cx + 1, cy - 1);
    dot(cx + 2, cy - 4);
    dot(cx + 2, cy - 2);
  }
  std::vector<Byte> mask(size_t(N / 8) * N, 0);
  ICONINFO info;
  info.fIcon = 0;
  info.xHotspot = 1;
  info.yHotspot = 1;
  info.hbmColor = CreateBitmap(N, N, 1, 32, px.data());
  info.hbmMask = CreateBitmap(N, N, 1, 1, mask.data());
  HCURSOR c = CreateIconIndirect(&info);
  DeleteObject(info.hbmColor);
  DeleteObject(info.hbmMask);
  return c;
}

// ---------------------------------------------------------------------------
// The loop

thread_local bool tDragging = false;
std::atomic<TDragWatcher> gWatcher{nullptr};

void Tell(TDragPhase phase, IDataObject* obj, POINTL pt) {
  if (TDragWatcher w = gWatcher.load()) w(phase, obj, pt);
}

constexpr UINT_PTR kRepeatTimer = 1;
constexpr UINT kRepeatMs = 50;
constexpr const Char* kTrackerClass = u"OleDragTracker";

bool IsMouseMessage(UINT m) {
  return (m >= WM_MOUSEFIRST && m <= WM_MOUSELAST) || (m >= WM_NCMOUSEMOVE && m <= WM_NCMBUTTONDBLCLK);
}
bool IsKeyMessage(UINT m) { return m >= WM_KEYFIRST && m <= WM_KEYLAST; }

DWORD KeyStateNow() {
  DWORD k = 0;
  if (GetKeyState(VK_LBUTTON) < 0) k |= MK_LBUTTON;
  if (GetKeyState(VK_RBUTTON) < 0) k |= MK_RBUTTON;
  if (GetKeyState(VK_MBUTTON) < 0) k |= MK_MBUTTON;
  if (GetKeyState(VK_SHIFT) < 0) k |= MK_SHIFT;
  if (GetKeyState(VK_CONTROL) < 0) k |= MK_CONTROL;
  if (GetKeyState(VK_MENU) < 0) k |= MK_ALT;
  return k;
}

class TDragLoop {
 public:
  TDragLoop(IDataObject* obj, IDropSource* src, DWORD ok) : FObj(obj), FSrc(src), FOk(ok) {}

  ~TDragLoop() {
    // Whatever way the loop ended, the capture, the cursor and the loop's
    // window are given back.
    if (FTracker) {
      KillTimer(FTracker, kRepeatTimer);
      if (GetCapture() == FTracker) ReleaseCapture();
      DestroyWindow(FTracker);
    }
    SetCursor(FOldCursor);
    tDragging = false;
    if (FTold) Tell(TDragPhase::End, FObj, FPt);
  }

  HRESULT Run(DWORD* pdwEffect) {
    tDragging = true;
    static std::once_flag registered;
    std::call_once(registered, [] {
      WNDCLASSEXW wc;
      wc.lpfnWndProc = DefWindowProcW;
      wc.lpszClassName = kTrackerClass;
      RegisterClassExW(&wc);
    });
    FOldCursor = GetCursor();
    FTracker = CreateWindowExW(0, kTrackerClass, u"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    if (!FTracker) return E_OUTOFMEMORY;
    SetCapture(FTracker);
    DWORD pos = GetMessagePos();
    FPt = POINTL{GET_X_LPARAM(LPARAM(pos)), GET_Y_LPARAM(LPARAM(pos))};
    FKeys = KeyStateNow();
    FTold = true;
    Tell(TDragPhase::Begin, FObj, FPt);
    HRESULT r = Step(GetKeyState(VK_ESCAPE) < 0);
    SetTimer(FTracker, kRepeatTimer, kRepeatMs, nullptr);
    while (r == S_OK) {
      MSG m;
      if (!ModalGetMessage(&m)) {
        r = DRAGDROP_S_CANCEL;  // the idle hook gave up, or the application quits
        break;
      }
      bool escape = false, repeat = false;
      if (IsMouseMessage(m.message)) {
        FPt = POINTL{m.pt.X, m.pt.Y};
      } else if (IsKeyMessage(m.message)) {
        escape = (m.message == WM_KEYDOWN || m.message == WM_SYSKEYDOWN) && m.wParam == VK_ESCAPE;
      } else if (m.message == WM_TIMER && m.hwnd == FTracker && m.wParam == kRepeatTimer) {
        repeat = true;
      } else {
        DispatchMessageW(&m);
        if (GetCapture() != FTracker) r = DRAGDROP_S_CANCEL;  // somebody took the capture
        continue;
      }
      FKeys = KeyStateNow();
      r = Step(escape || GetKeyState(VK_ESCAPE) < 0);
      // Repeats come while the pointer rests: the period starts over with
      // each input.
      if (!repeat && r == S_OK) SetTimer(FTracker, kRepeatTimer, kRepeatMs, nullptr);
    }
    DropTargetStillThere();
    *pdwEffect = DROPEFFECT_NONE;
    if (r == DRAGDROP_S_DROP) {
      if (FTarget && (FEffect & ~DROPEFFECT_SCROLL) != DROPEFFECT_NONE) {
        TIntf<IDropTarget> t = std::move(FTarget);
        DWORD e = FOk;
        HRESULT hr = t->Drop(FObj, FKeys, FPt, &e);
        *pdwEffect = Failed(hr) ? DROPEFFECT_NONE : (e & FOk);
      } else {
        Leave();
      }
      return DRAGDROP_S_DROP;
    }
    Leave();
    return Failed(r) ? r : DRAGDROP_S_CANCEL;
  }

 private:
  // One round: ask the source, tell the target, let the source show it.
  HRESULT Step(bool escape) {
    HRESULT q = FSrc->QueryContinueDrag(escape ? TRUE : FALSE, FKeys);
    if (q != S_OK) return q;
    Track();
    Tell(TDragPhase::Move, FObj, FPt);
    if (FSrc->GiveFeedback(FEffect) == DRAGDROP_S_USEDEFAULTCURSORS) SetCursor(OleDragCursor(FEffect));
    return S_OK;
  }

  // A target revoked or destroyed meanwhile is not called again.
  void DropTargetStillThere() {
    if (FTarget && !(FTargetWnd && IsWindow(FTargetWnd) && TargetOf(FTargetWnd) == FTarget)) {
      FTarget = nullptr;
      FTargetWnd = nullptr;
    }
  }

  void Leave() {
    DropTargetStillThere();
    if (TIntf<IDropTarget> t = std::move(FTarget)) t->DragLeave();
    FTargetWnd = nullptr;
  }

  void Track() {
    DropTargetStillThere();
    HWND h = TargetWindowAt(FPt);
    TIntf<IDropTarget> t = h ? TargetOf(h) : nullptr;
    if (h && h == FTargetWnd && t == FTarget) {
      DWORD e = FOk;
      HRESULT hr = FTarget->DragOver(FKeys, FPt, &e);
      FEffect = Failed(hr) ? DROPEFFECT_NONE : (e & (FOk | DROPEFFECT_SCROLL));
      return;
    }
    if (h && h == FRefused) {
      FEffect = DROPEFFECT_NONE;
      return;
    }
    Leave();
    FRefused = nullptr;
    FEffect = DROPEFFECT_NONE;
    if (!t) return;
    DWORD e = FOk;
    HRESULT hr = t->DragEnter(FObj, FKeys, FPt, &e);
    if (Failed(hr)) {
      // It does not want this drag: it is passed over until the pointer
      // goes elsewhere.
      FRefused = h;
      return;
    }
    FTarget = std::move(t);
    FTargetWnd = h;
    FEffect = e & (FOk | DROPEFFECT_SCROLL);
  }

  IDataObject* FObj;
  IDropSource* FSrc;
  DWORD FOk;
  HWND FTracker = nullptr;
  HCURSOR FOldCursor = nullptr;
  HWND FTargetWnd = nullptr;
  HWND FRefused = nullptr;
  TIntf<IDropTarget> FTarget;
  DWORD FEffect = DROPEFFECT_NONE;
  POINTL FPt;
  DWORD FKeys = 0;
  bool FTold = false;  // the watcher saw the beginning, so it sees the end
};

}  // namespace

namespace ole {

void StartDragDrop() {
  std::lock_guard<std::mutex> lk(server::S().Lock);
  server::S().Hook.WindowNcDestroyed = WindowGone;
}

}  // namespace ole

HRESULT RegisterDragDrop(HWND hwnd, IDropTarget* pDropTarget) {
  if (!ole::OleStarted()) return CO_E_NOTINITIALIZED;
  if (!hwnd || !IsWindow(hwnd)) return DRAGDROP_E_INVALIDHWND;
  if (!pDropTarget) return E_INVALIDARG;
  std::lock_guard<std::mutex> lk(T().Lock);
  for (auto& r : T().Items)
    if (r.Wnd == hwnd) return DRAGDROP_E_ALREADYREGISTERED;
  T().Items.push_back(TRegistered{hwnd, pDropTarget});
  return S_OK;
}

HRESULT RevokeDragDrop(HWND hwnd) {
  if (!hwnd || !IsWindow(hwnd)) return DRAGDROP_E_INVALIDHWND;
  TIntf<IDropTarget> gone = Unregister(hwnd);
  return gone ? S_OK : DRAGDROP_E_NOTREGISTERED;
}

void SetDragWatcher(TDragWatcher watcher) { gWatcher.store(watcher); }

bool IsDragDropRegistered(HWND hwnd) { return hwnd && TargetOf(hwnd) != nullptr; }

HRESULT DoDragDrop(IDataObject* pDataObj, IDropSource* pDropSource, DWORD dwOKEffects, DWORD* pdwEffect) {
  if (!pdwEffect || !pDataObj || !pDropSource) return E_INVALIDARG;
  *pdwEffect = DROPEFFECT_NONE;
  if (!ole::OleStarted()) return CO_E_NOTINITIALIZED;
  if (tDragging) return E_UNEXPECTED;
  TIntf<IDataObject> keepObj(pDataObj);
  TIntf<IDropSource> keepSrc(pDropSource);
  TDragLoop loop(pDataObj, pDropSource, dwOKEffects);
  return loop.Run(pdwEffect);
}

HCURSOR OleDragCursor(DWORD dwEffect) {
  DWORD e = dwEffect & ~DROPEFFECT_SCROLL;
  if (e & DROPEFFECT_MOVE) e = DROPEFFECT_MOVE;
  else if (e & DROPEFFECT_COPY) e = DROPEFFECT_COPY;
  else if (e & DROPEFFECT_LINK) e = DROPEFFECT_LINK;
  if (e == DROPEFFECT_NONE) return LoadCursorW(nullptr, IDC_NO);
  static std::mutex lock;
  static HCURSOR cursors[5] = {};
  std::lock_guard<std::mutex> lk(lock);
  if (!cursors[e]) cursors[e] = MakeDragCursor(e);
  return cursors[e];
}

}  // namespace vcl
