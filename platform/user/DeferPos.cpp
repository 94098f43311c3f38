// Deferred window positions and the message beep.
#include <memory>
#include <mutex>
#include <unordered_set>
#include <vector>

#include "platform/rtl/Kernel.h"
#include "platform/user/User.h"

namespace vcl {

struct HDWP__ {
  struct TMove {
    HWND Window, InsertAfter;
    int X, Y, Cx, Cy;
    UINT Flags;
  };
  std::vector<TMove> Moves;
};

namespace {

// Batches alive, so that a stale or forged handle is refused instead of
// being freed twice or read after it went.
std::mutex gDeferLock;
std::unordered_set<HDWP> gBatches;

bool Take(HDWP batch) {
  std::lock_guard<std::mutex> lk(gDeferLock);
  return gBatches.erase(batch) != 0;
}

bool Alive(HDWP batch) {
  std::lock_guard<std::mutex> lk(gDeferLock);
  return gBatches.count(batch) != 0;
}

}  // namespace

HDWP BeginDeferWindowPos(int numWindows) {
  if (numWindows < 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  auto* b = new HDWP__;
  b->Moves.reserve(size_t(numWindows));
  std::lock_guard<std::mutex> lk(gDeferLock);
  gBatches.insert(b);
  return b;
}

HDWP DeferWindowPos(HDWP batch, HWND h, HWND insertAfter, int x, int y, int cx, int cy, UINT flags) {
  if (!Alive(batch)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  bool usable = h && IsWindow(h) &&
                GetWindowThreadProcessId(h, nullptr) == GetCurrentThreadId();
  if (!usable) {
    // The whole batch is given up, as the platform does.
    if (Take(batch)) delete batch;
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return nullptr;
  }
  batch->Moves.push_back({h, insertAfter, x, y, cx, cy, flags});
  return batch;
}

bool EndDeferWindowPos(HDWP batch) {
  if (!Take(batch)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return false;
  }
  std::unique_ptr<HDWP__> owned(batch);
  bool ok = true;
  // A window destroyed by an earlier move's messages is skipped, not an error
  // for the rest.
  for (const auto& m : owned->Moves)
    if (IsWindow(m.Window) && !SetWindowPos(m.Window, m.InsertAfter, m.X, m.Y, m.Cx, m.Cy, m.Flags)) ok = false;
  return ok;
}

bool MessageBeep(UINT type) {
  TBeepRecord r;
  r.SoundType = type;
  RecordBeep(r);
  return true;
}

}  // namespace vcl
