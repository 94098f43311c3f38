// The server object, thread identities and queues, and the one clock.
#include <sys/syscall.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <climits>
#include <thread>

#include "platform/rtl/SysUtils.h"
#include "platform/user/Server.h"

namespace vcl::server {

namespace {

std::atomic<bool> gVirtual{false};
std::atomic<Int64> gVirtualTicks{0};
thread_local DWORD tThreadId = 0;

Int64 RealTicks() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return Int64(ts.tv_sec) * 10000000 + ts.tv_nsec / 100;
}

void DropWindowTree(Server& s, Window* w) {
  for (Window* c : w->Children) DropWindowTree(s, c);
  w->Children.clear();
  OnWindowDestroyed(w);
  if (w->Class) --w->Class->Windows;
  s.Windows.erase(HwndValue(w->Handle));
}

void Unlink(Server& s, Window* w) {
  auto drop = [w](std::vector<Window*>& v) {
    for (auto it = v.begin(); it != v.end(); ++it)
      if (*it == w) { v.erase(it); return; }
  };
  if (w->Parent) drop(w->Parent->Children);
  else if (w->MessageOnly) drop(s.MessageOnly);
  else drop(s.TopLevels);
  VisibilityChanged();
}

// Ends a thread's part in the server: its windows go away without messages
// (the thread can no longer run their procedures) and every message still
// waiting for it is answered with 0 so that no sender waits for ever.
void DetachThread(const std::shared_ptr<ThreadQueue>& q) {
  Server& s = S();
  std::lock_guard<std::mutex> lk(s.Lock);
  q->Alive = false;
  std::vector<Window*> mine;
  for (auto& [h, w] : s.Windows)
    if (w->ThreadId == q->ThreadId && (!w->Parent || w->Parent->ThreadId != q->ThreadId)) mine.push_back(w.get());
  for (Window* w : mine) {
    if (!s.Windows.count(HwndValue(w->Handle))) continue;
    Unlink(s, w);
    DropWindowTree(s, w);
  }
  for (auto& sm : q->SentIn) {
    sm->Done = true;
    sm->Result = 0;
    if (sm->Sender) sm->Sender->Cv.notify_all();
  }
  q->SentIn.clear();
  q->Posted.clear();
  q->Timers.clear();
  s.Queues.erase(q->ThreadId);
  if (!mine.empty()) ScreenChanged();
}

struct QueueHolder {
  std::shared_ptr<ThreadQueue> Queue;
  ~QueueHolder() {
    if (Queue) DetachThread(Queue);
  }
};
thread_local QueueHolder tQueue;

}  // namespace

Server& S() {
  // Never destroyed: worker threads may still be detaching at exit.
  static Server* server = [] {
    auto* s = new Server;
    Monitor m;
    m.Handle = reinterpret_cast<HMONITOR>(uintptr_t(0x10001));
    m.Bounds = TRect(0, 0, 1920, 1080);
    m.Work = TRect(0, 0, 1920, 1040);
    m.Primary = true;
    m.Device = u"\\\\.\\DISPLAY1";
    s->Monitors.push_back(m);
    return s;
  }();
  return *server;
}

DWORD CurrentThreadId() {
  if (!tThreadId) tThreadId = vcl::GetCurrentThreadId();
  return tThreadId;
}

std::shared_ptr<ThreadQueue> CurrentQueue() {
  if (!tQueue.Queue) {
    auto q = std::make_shared<ThreadQueue>();
    q->ThreadId = CurrentThreadId();
    Server& s = S();
    std::lock_guard<std::mutex> lk(s.Lock);
    s.Queues[q->ThreadId] = q;
    if (!s.MainThreadId) s.MainThreadId = q->ThreadId;
    tQueue.Queue = q;
  }
  return tQueue.Queue;
}

Window* Find(HWND h) {
  auto& m = S().Windows;
  auto it = m.find(HwndValue(h));
  return it == m.end() ? nullptr : it->second.get();
}

Window* FindLive(HWND h) { return Find(h); }

ThreadQueue* QueueOf(DWORD tid) {
  auto& m = S().Queues;
  auto it = m.find(tid);
  return it == m.end() ? nullptr : it->second.get();
}

Window* TopOf(Window* w) {
  while (w && w->Parent) w = w->Parent;
  return w;
}

TRect ScreenRect(const Window* w) {
  TRect r = w->Rect;
  for (const Window* p = w->Parent; p; p = p->Parent) {
    OffsetRect(r, p->Rect.Left + p->Client.Left, p->Rect.Top + p->Client.Top);
  }
  return r;
}

TRect ScreenClient(const Window* w) {
  TRect r = ScreenRect(w);
  return TRect(r.Left + w->Client.Left, r.Top + w->Client.Top, r.Left + w->Client.Right,
               r.Top + w->Client.Bottom);
}

TPoint OffsetInTop(const Window* w) {
  TRect r = ScreenRect(w), t = ScreenRect(TopOf(const_cast<Window*>(w)));
  return TPoint(r.Left - t.Left, r.Top - t.Top);
}

bool VisibleChain(const Window* w) {
  for (; w; w = w->Parent)
    if (!(w->Style & WS_VISIBLE)) return false;
  return true;
}

void Wake(ThreadQueue& q, UINT bits) {
  q.WakeBits |= bits;
  q.ChangedBits |= bits;
  Notify(q);
}

void Notify(ThreadQueue& q) {
  q.Cv.notify_all();
  Server& s = S();
  if (s.Hook.DisplayWake && q.ThreadId == s.DisplayThread) s.Hook.DisplayWake();
}

void WaitQueue(std::unique_lock<std::mutex>& lk, ThreadQueue& q, const std::chrono::steady_clock::time_point* until) {
  Server& s = S();
  if (s.Hook.DisplayWait && q.ThreadId == s.DisplayThread) {
    s.Hook.DisplayWait(lk, q, until);
    return;
  }
  if (until) q.Cv.wait_until(lk, *until);
  else q.Cv.wait(lk);
}

void WakeAll(UINT bits) {
  for (auto& [tid, q] : S().Queues) Wake(*q, bits);
}

Int64 ClockTicks() { return gVirtual.load() ? gVirtualTicks.load() : RealTicks(); }
Int64 ClockMs() { return ClockTicks() / 10000; }
bool ClockVirtual() { return gVirtual.load(); }

void SetClockVirtual(bool on) {
  if (on == gVirtual.load()) return;
  if (on) {
    // Now follows the virtual clock from the wall-clock time of the switch.
    TDateTime base = vcl::Now();
    Int64 baseTicks = RealTicks();
    gVirtualTicks.store(baseTicks);
    SetNowHook([base, baseTicks] { return base + double(gVirtualTicks.load() - baseTicks) / 864000000000.0; });
  } else {
    SetNowHook(nullptr);
  }
  gVirtual.store(on);
  std::lock_guard<std::mutex> lk(S().Lock);
  WakeAll(QS_TIMER);
}

void AdvanceClock(Int64 ms) {
  if (ms <= 0 || !gVirtual.load()) return;
  gVirtualTicks.fetch_add(ms * 10000);
  std::lock_guard<std::mutex> lk(S().Lock);
  WakeAll(QS_TIMER);
}

// Lock held: moves the virtual clock forward to ms and wakes the queues whose
// timers may have come due.
void AdvanceClockTo(Int64 ms) {
  Int64 target = ms * 10000;
  Int64 cur = gVirtualTicks.load();
  while (cur < target && !gVirtualTicks.compare_exchange_weak(cur, target)) {
  }
  WakeAll(QS_TIMER);
}

}  // namespace vcl::server

namespace vcl {

using namespace server;

// Weak, so that the thread unit's identities (when linked) are the ones
// every layer sees; the server only needs them to be stable per thread.
__attribute__((weak)) DWORD GetCurrentThreadId() { return static_cast<DWORD>(syscall(SYS_gettid)); }
DWORD GetCurrentProcessId() { return static_cast<DWORD>(getpid()); }

DWORD GetTickCount() { return static_cast<DWORD>(ClockMs()); }
UInt64 GetTickCount64() { return static_cast<UInt64>(ClockMs()); }
DWORD timeGetTime() { return static_cast<DWORD>(ClockMs()); }

bool QueryPerformanceCounter(Int64* count) {
  if (!count) return false;
  *count = ClockTicks();
  return true;
}

bool QueryPerformanceFrequency(Int64* frequency) {
  if (!frequency) return false;
  *frequency = 10000000;
  return true;
}

void Sleep(DWORD ms) {
  if (ClockVirtual()) {
    AdvanceClock(ms);
    std::this_thread::yield();
    return;
  }
  if (ms == 0) std::this_thread::yield();
  else std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

}  // namespace vcl
