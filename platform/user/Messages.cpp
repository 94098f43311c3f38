// Sending, posting and retrieving messages; waiting; kernel events.
//
// Retrieval order: sent messages from other threads are served first (never
// returned), then posted messages in arrival order, WM_QUIT once the posted
// messages are gone, input, WM_PAINT while a window of the thread needs
// painting (parents before children), and WM_TIMER for a due timer.
#include <algorithm>
#include <chrono>
#include <climits>
#include <unordered_map>

#include "platform/user/ServerInput.h"

namespace vcl::server {

namespace {

using Lock = std::unique_lock<std::mutex>;

struct KernelEvent {
  bool Manual = false;
  bool Signaled = false;
};
std::unordered_map<HANDLE, std::unique_ptr<KernelEvent>>& Events() {
  static auto* m = new std::unordered_map<HANDLE, std::unique_ptr<KernelEvent>>;
  return *m;
}

// Real-time deadline of a wait of ms milliseconds (INFINITE: none).
std::chrono::steady_clock::time_point Deadline(DWORD ms) {
  return std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
}

bool MatchesWindow(HWND filter, HWND h) {
  if (!filter) return true;
  if (filter == HwndFromValue(-1)) return h == nullptr;
  if (h == filter) return true;
  Window* w = Find(h);
  for (Window* p = w ? w->Parent : nullptr; p; p = p->Parent)
    if (p->Handle == filter) return true;
  return false;
}

bool InRange(UINT msg, UINT min, UINT max) {
  if (min == 0 && max == 0) return true;
  if (min <= max) return msg >= min && msg <= max;
  return msg >= min || msg <= max;  // a reversed range wraps, as on the platform
}

MSG MakeMsg(HWND h, UINT m, WPARAM wp, LPARAM lp) {
  MSG r;
  r.hwnd = h;
  r.message = m;
  r.wParam = wp;
  r.lParam = lp;
  r.time = static_cast<DWORD>(ClockMs());
  return r;
}

// Serves every sent message waiting for this thread. The lock is released
// while each procedure runs.
bool ServeSent(Lock& lk, ThreadQueue& q) {
  bool any = false;
  while (!q.SentIn.empty()) {
    auto sm = q.SentIn.front();
    q.SentIn.pop_front();
    q.Serving.push_back(sm);
    lk.unlock();
    LRESULT r = 0;
    try {
      r = DeliverSent(sm->Hwnd, sm->Msg, sm->WParam, sm->LParam, false);
    } catch (...) {
      lk.lock();
      q.Serving.pop_back();
      if (!sm->Done) {
        sm->Done = true;
        if (sm->Sender) sm->Sender->Cv.notify_all();
      }
      throw;
    }
    lk.lock();
    q.Serving.pop_back();
    if (!sm->Done) {
      sm->Result = r;
      sm->Done = true;
      if (sm->Sender) sm->Sender->Cv.notify_all();
    }
    any = true;
  }
  return any;
}

// Timers: the due one with the earliest due time that matches the filter.
Timer* DueTimer(ThreadQueue& q, HWND filter, Int64 now) {
  Timer* best = nullptr;
  for (auto& t : q.Timers) {
    if (t.Due > now || !MatchesWindow(filter, t.Hwnd)) continue;
    if (!best || t.Due < best->Due) best = &t;
  }
  return best;
}

// One look at the queue. Lock held; procedures of sent messages and the
// synchronisation hook run with it released.
bool TryGet(Lock& lk, ThreadQueue& q, HWND filter, UINT min, UINT max, bool remove, MSG& out) {
  Server& s = S();
  if (s.Hook.CheckSynchronize && q.ThreadId == s.MainThreadId) {
    auto hook = s.Hook.CheckSynchronize;
    lk.unlock();
    hook();
    lk.lock();
  }
  ServeSent(lk, q);
  ServeRetrievalExtras(lk, q);
  q.WakeBits &= ~(QS_SENDMESSAGE);
  for (auto it = q.Posted.begin(); it != q.Posted.end(); ++it) {
    if (!MatchesWindow(filter, it->hwnd) || !InRange(it->message, min, max)) continue;
    out = *it;
    if (remove) q.Posted.erase(it);
    q.LastMessageTime = out.time;
    return true;
  }
  q.WakeBits &= ~(QS_POSTMESSAGE | QS_ALLPOSTMESSAGE);
  if (q.QuitPending && InRange(WM_QUIT, min, max)) {
    out = MakeMsg(nullptr, WM_QUIT, WPARAM(q.QuitCode), 0);
    if (remove) q.QuitPending = false;
    return true;
  }
  if (s.Hook.PeekInput && s.Hook.PeekInput(lk, q, filter, min, max, remove, out)) return true;
  // Only once the input that came before it is routed: a move may have
  // ended the hover.
  HoverPoll(q);
  // Routing input may have posted messages (an input method's characters, a
  // hover); they come before paints and timers.
  for (auto& m : q.Posted)
    if (MatchesWindow(filter, m.hwnd) && InRange(m.message, min, max)) return TryGet(lk, q, filter, min, max, remove, out);
  if (InRange(WM_PAINT, min, max)) {
    if (Window* w = FindPaintWindow(q, filter)) {
      out = MakeMsg(w->Handle, WM_PAINT, 0, 0);
      return true;
    }
  }
  q.WakeBits &= ~QS_PAINT;
  // A queue without timers has none due: the clock is not read for it.
  if (InRange(WM_TIMER, min, max) && !q.Timers.empty()) {
    Int64 now = ClockMs();
    if (Timer* t = DueTimer(q, filter, now)) {
      out = MakeMsg(t->Hwnd, WM_TIMER, t->Id, reinterpret_cast<LPARAM>(t->Proc));
      // Once per due period: the next one is a whole period from now, so a
      // late loop never sees a pile of timer messages.
      if (remove) t->Due = now + t->Elapse;
      return true;
    }
  }
  q.WakeBits &= ~QS_TIMER;
  return false;
}

// Waits for something to arrive (lock held). In virtual-clock mode a thread
// with nothing else to do and a timer pending moves the clock to it.
void Block(Lock& lk, ThreadQueue& q, std::chrono::steady_clock::time_point* deadline) {
  Int64 due = NextTimerDue(q);
  if (due != INT64_MAX) {
    if (ClockVirtual()) {
      AdvanceClockTo(due);
      return;
    }
    Int64 wait = due - ClockMs();
    if (wait <= 0) return;
    auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(wait);
    if (deadline && *deadline < until) until = *deadline;
    WaitQueue(lk, q, &until);
    return;
  }
  WaitQueue(lk, q, deadline);
}

bool BadFilter(HWND filter) {
  if (!filter || filter == HwndFromValue(-1)) return false;
  Window* w = Find(filter);
  return !w || w->ThreadId != CurrentThreadId();
}

}  // namespace

Int64 NextTimerDue(ThreadQueue& q) {
  Int64 best = ExtrasDue(q);
  if (S().Hook.InputDue) best = std::min(best, S().Hook.InputDue());
  for (auto& t : q.Timers) best = std::min(best, t.Due);
  return best;
}

void RemoveWindowTimers(Window* w) {
  if (!w->Queue) return;
  auto& v = w->Queue->Timers;
  v.erase(std::remove_if(v.begin(), v.end(), [w](const Timer& t) { return t.Hwnd == w->Handle; }), v.end());
}

LRESULT Send(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  DWORD_PTR r = 0;
  SendMessageTimeoutW(h, msg, wp, lp, SMTO_NORMAL, INFINITE, &r);
  return LRESULT(r);
}

}  // namespace vcl::server

namespace vcl {

using namespace server;

LRESULT SendMessageW(HWND h, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (h == HWND_BROADCAST) {
    std::vector<HWND> all;
    {
      std::lock_guard<std::mutex> lk(S().Lock);
      for (Window* w : S().TopLevels) all.push_back(w->Handle);
    }
    for (HWND t : all) Send(t, msg, wParam, lParam);
    return 1;
  }
  return Send(h, msg, wParam, lParam);
}

bool SendMessageTimeoutW(HWND h, UINT msg, WPARAM wParam, LPARAM lParam, UINT flags, UINT timeoutMs,
                         DWORD_PTR* result) {
  if (result) *result = 0;
  if (h == HWND_BROADCAST) {
    std::vector<HWND> all;
    {
      std::lock_guard<std::mutex> lk(S().Lock);
      for (Window* w : S().TopLevels) all.push_back(w->Handle);
    }
    for (HWND t : all) SendMessageTimeoutW(t, msg, wParam, lParam, flags, timeoutMs, nullptr);
    return true;
  }
  auto me = CurrentQueue();
  Server& s = S();
  Lock lk(s.Lock);
  Window* w = Find(h);
  if (!w) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return false;
  }
  if (w->ThreadId == me->ThreadId) {
    lk.unlock();
    LRESULT r = DeliverSent(h, msg, wParam, lParam, true);
    if (result) *result = DWORD_PTR(r);
    return true;
  }
  ThreadQueue* target = w->Queue;
  if (!target || !target->Alive) return false;
  auto sm = std::make_shared<SentMessage>();
  sm->Hwnd = h;
  sm->Msg = msg;
  sm->WParam = wParam;
  sm->LParam = lParam;
  sm->Sender = me;
  target->SentIn.push_back(sm);
  Wake(*target, QS_SENDMESSAGE);
  auto deadline = Deadline(timeoutMs);
  // While waiting, this thread serves messages sent to it, so two threads
  // sending to each other do not deadlock.
  while (!sm->Done) {
    if (!(flags & SMTO_BLOCK) && ServeSent(lk, *me)) continue;
    if (sm->Done) break;
    if (timeoutMs == INFINITE) {
      me->Cv.wait(lk);
    } else if (me->Cv.wait_until(lk, deadline) == std::cv_status::timeout && !sm->Done) {
      // Not served in time: withdraw it if it has not started.
      for (auto& [tid, q] : s.Queues) {
        auto& in = q->SentIn;
        in.erase(std::remove(in.begin(), in.end(), sm), in.end());
      }
      sm->Sender.reset();
      SetLastError(ERROR_TIMEOUT);
      return false;
    }
  }
  if (result) *result = DWORD_PTR(sm->Result);
  return true;
}

bool SendNotifyMessageW(HWND h, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (h == HWND_BROADCAST) {
    std::vector<HWND> all;
    {
      std::lock_guard<std::mutex> lk(S().Lock);
      for (Window* w : S().TopLevels) all.push_back(w->Handle);
    }
    // A window that went while the others were served is skipped.
    for (HWND t : all) SendNotifyMessageW(t, msg, wParam, lParam);
    return true;
  }
  Server& s = S();
  Lock lk(s.Lock);
  Window* w = Find(h);
  if (!w) return false;
  if (w->ThreadId == CurrentThreadId()) {
    lk.unlock();
    DeliverSent(h, msg, wParam, lParam, true);
    return true;
  }
  auto sm = std::make_shared<SentMessage>();
  sm->Hwnd = h;
  sm->Msg = msg;
  sm->WParam = wParam;
  sm->LParam = lParam;
  sm->Notify = true;
  w->Queue->SentIn.push_back(sm);
  Wake(*w->Queue, QS_SENDMESSAGE);
  return true;
}

bool PostMessageW(HWND h, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (!h) return PostThreadMessageW(GetCurrentThreadId(), msg, wParam, lParam);
  CurrentQueue();
  Server& s = S();
  std::lock_guard<std::mutex> lk(s.Lock);
  if (h == HWND_BROADCAST) {
    for (Window* w : s.TopLevels) {
      w->Queue->Posted.push_back(MakeMsg(w->Handle, msg, wParam, lParam));
      Wake(*w->Queue, QS_POSTMESSAGE | QS_ALLPOSTMESSAGE);
    }
    return true;
  }
  Window* w = Find(h);
  if (!w || !w->Queue || !w->Queue->Alive) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return false;
  }
  w->Queue->Posted.push_back(MakeMsg(h, msg, wParam, lParam));
  Wake(*w->Queue, QS_POSTMESSAGE | QS_ALLPOSTMESSAGE);
  return true;
}

bool PostThreadMessageW(DWORD threadId, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (threadId == GetCurrentThreadId()) CurrentQueue();
  std::lock_guard<std::mutex> lk(S().Lock);
  ThreadQueue* q = QueueOf(threadId);
  if (!q || !q->Alive) {
    SetLastError(ERROR_INVALID_THREAD_ID);
    return false;
  }
  q->Posted.push_back(MakeMsg(nullptr, msg, wParam, lParam));
  Wake(*q, QS_POSTMESSAGE | QS_ALLPOSTMESSAGE);
  return true;
}

void PostQuitMessage(int exitCode) {
  auto q = CurrentQueue();
  std::lock_guard<std::mutex> lk(S().Lock);
  q->QuitPending = true;
  q->QuitCode = exitCode;
  Wake(*q, QS_POSTMESSAGE);
}

int GetMessageW(MSG* msg, HWND h, UINT filterMin, UINT filterMax) {
  if (!msg) return -1;
  auto q = CurrentQueue();
  Lock lk(S().Lock);
  if (BadFilter(h)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return -1;
  }
  for (;;) {
    if (TryGet(lk, *q, h, filterMin, filterMax, true, *msg)) break;
    if (h && h != HwndFromValue(-1) && !Find(h)) {
      SetLastError(ERROR_INVALID_WINDOW_HANDLE);
      return -1;
    }
    Block(lk, *q, nullptr);
  }
  q->ChangedBits = 0;
  lk.unlock();
  CallGetMessageHook(*msg, true);
  return msg->message == WM_QUIT ? 0 : 1;
}

bool PeekMessageW(MSG* msg, HWND h, UINT filterMin, UINT filterMax, UINT removeFlags) {
  auto q = CurrentQueue();
  Lock lk(S().Lock);
  MSG tmp;
  if (!msg) msg = &tmp;
  if (BadFilter(h)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return false;
  }
  q->ChangedBits = 0;
  bool remove = (removeFlags & PM_REMOVE) != 0;
  if (!TryGet(lk, *q, h, filterMin, filterMax, remove, *msg)) return false;
  lk.unlock();
  CallGetMessageHook(*msg, remove);
  return true;
}

LRESULT DispatchMessageW(const MSG* msg) {
  if (!msg) return 0;
  if (msg->message == WM_TIMER && msg->lParam) {
    // Only a callback that belongs to a living timer is called.
    TIMERPROC proc = nullptr;
    {
      auto q = CurrentQueue();
      std::lock_guard<std::mutex> lk(S().Lock);
      for (auto& t : q->Timers)
        if (t.Hwnd == msg->hwnd && t.Id == msg->wParam && reinterpret_cast<LPARAM>(t.Proc) == msg->lParam)
          proc = t.Proc;
    }
    if (proc) proc(msg->hwnd, WM_TIMER, msg->wParam, static_cast<DWORD>(ClockMs()));
    return 0;
  }
  if (!msg->hwnd) return 0;
  {
    std::lock_guard<std::mutex> lk(S().Lock);
    Window* w = Find(msg->hwnd);
    if (!w || w->ThreadId != CurrentThreadId()) {
      SetLastError(w ? ERROR_ACCESS_DENIED : ERROR_INVALID_WINDOW_HANDLE);
      return 0;
    }
  }
  LRESULT r = Deliver(msg->hwnd, msg->message, msg->wParam, msg->lParam);
  if (msg->message == WM_PAINT) {
    // A procedure that did not validate would get WM_PAINT for ever.
    std::lock_guard<std::mutex> lk(S().Lock);
    if (Window* w = Find(msg->hwnd)) {
      if (NeedsPaint(w)) ValidateAfterPaint(w);
    }
  }
  return r;
}

bool WaitMessage() {
  auto q = CurrentQueue();
  Lock lk(S().Lock);
  for (;;) {
    MSG m;
    if (TryGet(lk, *q, nullptr, 0, 0, false, m)) return true;
    Block(lk, *q, nullptr);
  }
}

DWORD GetQueueStatus(UINT flags) {
  auto q = CurrentQueue();
  std::lock_guard<std::mutex> lk(S().Lock);
  UINT cur = 0;
  if (!q->Posted.empty() || q->QuitPending) cur |= QS_POSTMESSAGE | QS_ALLPOSTMESSAGE;
  if (!q->SentIn.empty()) cur |= QS_SENDMESSAGE;
  if (FindPaintWindow(*q, nullptr)) cur |= QS_PAINT;
  if (NextTimerDue(*q) <= ClockMs()) cur |= QS_TIMER;
  DWORD r = (DWORD(q->ChangedBits & flags) << 16) | (cur & flags);
  q->ChangedBits &= ~flags;
  return r;
}

DWORD MsgWaitForMultipleObjectsEx(DWORD count, const HANDLE* handles, DWORD ms, DWORD wakeMask,
                                  DWORD flags) {
  auto q = CurrentQueue();
  Lock lk(S().Lock);
  auto deadline = Deadline(ms == INFINITE ? 0 : ms);
  bool expired = false;
  for (;;) {
    // Handles first.
    auto& ev = Events();
    bool all = (flags & MWMO_WAITALL) != 0;
    DWORD signaled = 0, first = count;
    for (DWORD i = 0; i < count; ++i) {
      auto it = ev.find(handles[i]);
      if (it == ev.end()) return WAIT_FAILED;
      if (it->second->Signaled) {
        ++signaled;
        if (first == count) first = i;
      }
    }
    if ((all && count && signaled == count) || (!all && first < count)) {
      for (DWORD i = 0; i < count; ++i) {
        auto& e = *ev[handles[i]];
        if (!e.Manual && (all || i == first)) e.Signaled = false;
      }
      return WAIT_OBJECT_0 + (all ? 0 : first);
    }
    UINT have = 0;
    if (!q->SentIn.empty()) have |= QS_SENDMESSAGE;
    if (!q->Posted.empty() || q->QuitPending) have |= QS_POSTMESSAGE | QS_ALLPOSTMESSAGE;
    if (FindPaintWindow(*q, nullptr)) have |= QS_PAINT;
    Int64 due = NextTimerDue(*q);
    if (due <= ClockMs()) have |= QS_TIMER;
    UINT fresh = (flags & MWMO_INPUTAVAILABLE) ? have : (have & (q->ChangedBits | QS_SENDMESSAGE | QS_TIMER));
    if (fresh & wakeMask) {
      q->ChangedBits &= ~wakeMask;
      return WAIT_OBJECT_0 + count;
    }
    if ((wakeMask & QS_TIMER) && due != INT64_MAX && ClockVirtual()) {
      AdvanceClockTo(due);
      continue;
    }
    if (ms == 0 || expired) return WAIT_TIMEOUT;
    auto until = deadline;
    if ((wakeMask & QS_TIMER) && due != INT64_MAX && !ClockVirtual()) {
      auto t = std::chrono::steady_clock::now() + std::chrono::milliseconds(std::max<Int64>(0, due - ClockMs()));
      if (ms == INFINITE || t < until) until = t;
    }
    bool unlimited = ms == INFINITE && !((wakeMask & QS_TIMER) && due != INT64_MAX);
    if (S().Hook.DisplayWait && q->ThreadId == S().DisplayThread) {
      // The display's wait gives no timeout status: look once more, then give up.
      WaitQueue(lk, *q, unlimited ? nullptr : &until);
      if (ms != INFINITE && std::chrono::steady_clock::now() >= deadline) expired = true;
    } else if (unlimited) {
      q->Cv.wait(lk);
    } else if (q->Cv.wait_until(lk, until) == std::cv_status::timeout && ms != INFINITE &&
               std::chrono::steady_clock::now() >= deadline) {
      return WAIT_TIMEOUT;
    }
  }
}

DWORD MsgWaitForMultipleObjects(DWORD count, const HANDLE* handles, bool waitAll, DWORD ms, DWORD wakeMask) {
  return MsgWaitForMultipleObjectsEx(count, handles, ms, wakeMask, waitAll ? MWMO_WAITALL : 0);
}

bool InSendMessage() {
  auto q = CurrentQueue();
  std::lock_guard<std::mutex> lk(S().Lock);
  return !q->Serving.empty();
}

DWORD InSendMessageEx(void*) {
  auto q = CurrentQueue();
  std::lock_guard<std::mutex> lk(S().Lock);
  if (q->Serving.empty()) return ISMEX_NOSEND;
  auto& sm = q->Serving.back();
  DWORD r = sm->Notify ? ISMEX_NOTIFY : ISMEX_SEND;
  if (sm->Done) r |= ISMEX_REPLIED;
  return r;
}

bool ReplyMessage(LRESULT result) {
  auto q = CurrentQueue();
  std::lock_guard<std::mutex> lk(S().Lock);
  if (q->Serving.empty()) return false;
  auto& sm = q->Serving.back();
  if (sm->Done) return false;
  sm->Result = result;
  sm->Done = true;
  if (sm->Sender) sm->Sender->Cv.notify_all();
  return true;
}

DWORD GetMessageTime() {
  auto q = CurrentQueue();
  std::lock_guard<std::mutex> lk(S().Lock);
  return q->LastMessageTime;
}

DWORD GetMessagePos() {
  auto q = CurrentQueue();
  std::lock_guard<std::mutex> lk(S().Lock);
  return q->LastMessagePos;
}

// ---------------------------------------------------------------------------
// Kernel events

HANDLE CreateEventW(void*, bool manualReset, bool initialState, const char16_t*) {
  auto e = std::make_unique<KernelEvent>();
  e->Manual = manualReset;
  e->Signaled = initialState;
  HANDLE h = e.get();
  std::lock_guard<std::mutex> lk(S().Lock);
  Events()[h] = std::move(e);
  return h;
}

bool SetEvent(HANDLE h) {
  std::lock_guard<std::mutex> lk(S().Lock);
  auto it = Events().find(h);
  if (it == Events().end()) return false;
  it->second->Signaled = true;
  for (auto& [tid, q] : S().Queues) Notify(*q);
  return true;
}

bool ResetEvent(HANDLE h) {
  std::lock_guard<std::mutex> lk(S().Lock);
  auto it = Events().find(h);
  if (it == Events().end()) return false;
  it->second->Signaled = false;
  return true;
}

DWORD WaitForSingleObject(HANDLE h, DWORD ms) {
  auto q = CurrentQueue();
  Lock lk(S().Lock);
  auto deadline = Deadline(ms == INFINITE ? 0 : ms);
  for (;;) {
    auto it = Events().find(h);
    if (it == Events().end()) return WAIT_FAILED;
    if (it->second->Signaled) {
      if (!it->second->Manual) it->second->Signaled = false;
      return WAIT_OBJECT_0;
    }
    if (ms == INFINITE) q->Cv.wait(lk);
    else if (q->Cv.wait_until(lk, deadline) == std::cv_status::timeout) {
      auto again = Events().find(h);
      if (again != Events().end() && again->second->Signaled) continue;
      return WAIT_TIMEOUT;
    }
  }
}

bool CloseHandle(HANDLE h) {
  std::lock_guard<std::mutex> lk(S().Lock);
  return Events().erase(h) > 0;
}

// ---------------------------------------------------------------------------
// Timers

UINT_PTR SetTimer(HWND h, UINT_PTR id, UINT elapseMs, TIMERPROC proc) {
  auto me = CurrentQueue();
  Server& s = S();
  std::lock_guard<std::mutex> lk(s.Lock);
  ThreadQueue* q = me.get();
  if (h) {
    Window* w = Find(h);
    if (!w || w->ThreadId != me->ThreadId) {
      SetLastError(w ? ERROR_ACCESS_DENIED : ERROR_INVALID_WINDOW_HANDLE);
      return 0;
    }
    q = w->Queue;
  }
  elapseMs = std::clamp<UINT>(elapseMs, USER_TIMER_MINIMUM, USER_TIMER_MAXIMUM);
  for (auto& t : q->Timers) {
    if (t.Hwnd == h && t.Id == id && (h || id)) {
      // Restarting an id replaces the timer and starts its period afresh.
      t.Elapse = elapseMs;
      t.Proc = proc;
      t.Due = ClockMs() + elapseMs;
      Wake(*q, 0);
      return h ? (id ? id : 1) : id;
    }
  }
  if (!h) {
    do {
      id = s.NextThreadTimer++;
      if (s.NextThreadTimer == 0) s.NextThreadTimer = 0x7FFF0000;
    } while (std::any_of(q->Timers.begin(), q->Timers.end(), [id](const Timer& t) { return !t.Hwnd && t.Id == id; }));
  }
  Timer t;
  t.Hwnd = h;
  t.Id = id;
  t.Elapse = elapseMs;
  t.Proc = proc;
  t.Due = ClockMs() + elapseMs;
  q->Timers.push_back(t);
  Wake(*q, 0);
  return h ? (id ? id : 1) : id;
}

bool KillTimer(HWND h, UINT_PTR id) {
  auto me = CurrentQueue();
  std::lock_guard<std::mutex> lk(S().Lock);
  ThreadQueue* q = me.get();
  if (h) {
    Window* w = Find(h);
    if (!w) return false;
    q = w->Queue;
  }
  auto& v = q->Timers;
  auto it = std::find_if(v.begin(), v.end(), [&](const Timer& t) { return t.Hwnd == h && t.Id == id; });
  if (it == v.end()) return false;
  v.erase(it);
  return true;
}

}  // namespace vcl
