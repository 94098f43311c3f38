// Window hooks (call-window, get-message, mouse, keyboard, CBT) and
// out-of-context WinEvent hooks.
//
// A hook chain is called from a snapshot, so hooks may be removed in any
// order, also from inside a hook: a removed hook is skipped from then on and
// CallNextHookEx keeps working for the hook that is running. A thread does
// not re-enter a chain it is running (a hook that sends messages does not
// see its own call-window hook again).
#include <algorithm>
#include <atomic>
#include <deque>

#include "platform/user/ServerInput.h"

namespace vcl::server {

namespace {

constexpr int kHookKinds = 16;

struct HookRec {
  HHOOK Handle = nullptr;
  int Id = 0;
  HOOKPROC Proc = nullptr;
  DWORD Thread = 0;  // 0: every thread
  bool Removed = false;
};

struct WinEventRec {
  HWINEVENTHOOK Handle = nullptr;
  DWORD Min = 0, Max = 0;
  WINEVENTPROC Proc = nullptr;
  DWORD Process = 0, Thread = 0, Flags = 0;
  DWORD Owner = 0;  // the installing thread, which runs the callback
  bool Removed = false;
};

struct PendingEvent {
  std::shared_ptr<WinEventRec> Hook;
  DWORD Event = 0;
  HWND Hwnd = nullptr;
  LONG Object = 0, Child = 0;
  DWORD Thread = 0, Time = 0;
};

struct HookState {
  std::vector<std::shared_ptr<HookRec>> Hooks;  // newest first
  std::vector<std::shared_ptr<WinEventRec>> WinHooks;
  std::unordered_map<DWORD, std::deque<PendingEvent>> Pending;  // by owner thread
  uintptr_t NextHandle = 0x60000;
};

HookState& H() {
  static auto* st = new HookState;  // never destroyed: threads may still run hooks at exit
  return *st;
}

std::atomic<int> gInstalled[kHookKinds];

int Slot(int id) { return id + 1; }  // WH_* run from -1 up

bool ValidKind(int id) {
  return id == WH_CALLWNDPROC || id == WH_CALLWNDPROCRET || id == WH_GETMESSAGE || id == WH_MOUSE ||
         id == WH_KEYBOARD || id == WH_CBT;
}

// The chain a thread is running, for CallNextHookEx.
struct Frame {
  std::vector<std::shared_ptr<HookRec>> Chain;
  size_t Pos = 0;
};
// A deque, so a nested chain never moves the frames of the chains below it.
thread_local std::deque<Frame> tFrames;
thread_local int tBusy[kHookKinds] = {};

LRESULT CallFrom(Frame& f, size_t from, int code, WPARAM wp, LPARAM lp) {
  for (size_t i = from; i < f.Chain.size(); ++i) {
    {
      std::lock_guard<std::mutex> lk(S().Lock);
      if (f.Chain[i]->Removed) continue;
    }
    size_t saved = f.Pos;
    f.Pos = i;
    LRESULT r = f.Chain[i]->Proc(code, wp, lp);
    f.Pos = saved;
    return r;
  }
  return 0;
}

LRESULT CallHooks(int id, int code, WPARAM wp, LPARAM lp) {
  if (gInstalled[Slot(id)].load(std::memory_order_relaxed) == 0 || tBusy[Slot(id)]) return 0;
  Frame f;
  {
    std::lock_guard<std::mutex> lk(S().Lock);
    DWORD me = CurrentThreadId();
    for (auto& h : H().Hooks)
      if (h->Id == id && !h->Removed && (h->Thread == 0 || h->Thread == me)) f.Chain.push_back(h);
  }
  if (f.Chain.empty()) return 0;
  struct Busy {
    int slot;
    explicit Busy(int s) : slot(s) { ++tBusy[slot]; }
    ~Busy() {
      --tBusy[slot];
      tFrames.pop_back();
    }
  };
  tFrames.push_back(std::move(f));
  Busy busy(Slot(id));
  return CallFrom(tFrames.back(), 0, code, wp, lp);
}

}  // namespace

LRESULT CallCbt(int code, WPARAM wp, LPARAM lp) { return CallHooks(WH_CBT, code, wp, lp); }

bool CallInputHook(int idHook, WPARAM wp, LPARAM lp) { return CallHooks(idHook, HC_ACTION, wp, lp) != 0; }

void CallGetMessageHook(MSG& msg, bool removed) {
  CallHooks(WH_GETMESSAGE, HC_ACTION, removed ? PM_REMOVE : PM_NOREMOVE, reinterpret_cast<LPARAM>(&msg));
}

LRESULT DeliverSent(HWND h, UINT msg, WPARAM wp, LPARAM lp, bool fromThisThread) {
  if (gInstalled[Slot(WH_CALLWNDPROC)].load(std::memory_order_relaxed)) {
    CWPSTRUCT c;
    c.hwnd = h;
    c.message = msg;
    c.wParam = wp;
    c.lParam = lp;
    CallHooks(WH_CALLWNDPROC, HC_ACTION, fromThisThread ? 1 : 0, reinterpret_cast<LPARAM>(&c));
  }
  LRESULT r = Deliver(h, msg, wp, lp);
  if (gInstalled[Slot(WH_CALLWNDPROCRET)].load(std::memory_order_relaxed)) {
    CWPRETSTRUCT c;
    c.hwnd = h;
    c.message = msg;
    c.wParam = wp;
    c.lParam = lp;
    c.lResult = r;
    CallHooks(WH_CALLWNDPROCRET, HC_ACTION, fromThisThread ? 1 : 0, reinterpret_cast<LPARAM>(&c));
  }
  return r;
}

void RaiseWinEvent(DWORD event, HWND h, LONG idObject, LONG idChild) {
  HookState& st = H();
  if (st.WinHooks.empty()) return;
  DWORD tid = CurrentThreadId();
  DWORD pid = GetCurrentProcessId();
  DWORD now = DWORD(ClockMs());
  for (auto& w : st.WinHooks) {
    if (w->Removed || event < w->Min || event > w->Max) continue;
    if (w->Process && w->Process != pid) continue;
    if (w->Thread && w->Thread != tid) continue;
    if ((w->Flags & WINEVENT_SKIPOWNPROCESS) || ((w->Flags & WINEVENT_SKIPOWNTHREAD) && w->Owner == tid)) continue;
    PendingEvent p;
    p.Hook = w;
    p.Event = event;
    p.Hwnd = h;
    p.Object = idObject;
    p.Child = idChild;
    p.Thread = tid;
    p.Time = now;
    st.Pending[w->Owner].push_back(p);
    if (ThreadQueue* q = QueueOf(w->Owner)) q->Cv.notify_all();
  }
}

void ServeRetrievalExtras(std::unique_lock<std::mutex>& lk, ThreadQueue& q) {
  HookState& st = H();
  for (int guard = 0; guard < 100000; ++guard) {
    auto it = st.Pending.find(q.ThreadId);
    if (it == st.Pending.end() || it->second.empty()) break;
    PendingEvent p = it->second.front();
    it->second.pop_front();
    if (p.Hook->Removed) continue;
    lk.unlock();
    p.Hook->Proc(p.Hook->Handle, p.Event, p.Hwnd, p.Object, p.Child, p.Thread, p.Time);
    lk.lock();
  }
  SyncCaret();
}

Int64 ExtrasDue(ThreadQueue& q) { return std::min(HoverDue(q), CaretDue(q)); }

namespace {
std::vector<HWND>& Vetoed() {
  static auto* v = new std::vector<HWND>;
  return *v;
}
}  // namespace

bool CbtCreateVetoed(HWND h, CREATESTRUCTW* cs) {
  CBT_CREATEWNDW c;
  c.lpcs = cs;
  c.hwndInsertAfter = HWND_TOP;
  if (!CallCbt(HCBT_CREATEWND, reinterpret_cast<WPARAM>(h), reinterpret_cast<LPARAM>(&c))) return false;
  std::lock_guard<std::mutex> lk(S().Lock);
  Vetoed().push_back(h);
  return true;
}

bool CbtDestroyVetoed(HWND h) {
  {
    std::lock_guard<std::mutex> lk(S().Lock);
    auto& v = Vetoed();
    auto it = std::find(v.begin(), v.end(), h);
    if (it != v.end()) {
      v.erase(it);
      return false;
    }
  }
  return CallCbt(HCBT_DESTROYWND, reinterpret_cast<WPARAM>(h), 0) != 0;
}

}  // namespace vcl::server

namespace vcl {

using namespace server;

HHOOK SetWindowsHookExW(int idHook, HOOKPROC proc, HINSTANCE, DWORD threadId) {
  if (!ValidKind(idHook) || !proc) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  auto rec = std::make_shared<HookRec>();
  rec->Id = idHook;
  rec->Proc = proc;
  rec->Thread = threadId;
  std::lock_guard<std::mutex> lk(S().Lock);
  rec->Handle = reinterpret_cast<HHOOK>(H().NextHandle);
  H().NextHandle += 4;
  H().Hooks.insert(H().Hooks.begin(), rec);
  gInstalled[Slot(idHook)].fetch_add(1);
  return rec->Handle;
}

bool UnhookWindowsHookEx(HHOOK hook) {
  std::lock_guard<std::mutex> lk(S().Lock);
  auto& v = H().Hooks;
  for (auto it = v.begin(); it != v.end(); ++it) {
    if ((*it)->Handle != hook) continue;
    (*it)->Removed = true;
    gInstalled[Slot((*it)->Id)].fetch_sub(1);
    v.erase(it);
    return true;
  }
  SetLastError(ERROR_INVALID_HANDLE);
  return false;
}

LRESULT CallNextHookEx(HHOOK hook, int code, WPARAM wParam, LPARAM lParam) {
  if (tFrames.empty()) return 0;
  Frame& f = tFrames.back();
  size_t at = f.Pos;
  for (size_t i = 0; i < f.Chain.size(); ++i)
    if (f.Chain[i]->Handle == hook) {
      at = i;
      break;
    }
  return CallFrom(f, at + 1, code, wParam, lParam);
}

HWINEVENTHOOK SetWinEventHook(DWORD eventMin, DWORD eventMax, HMODULE, WINEVENTPROC proc, DWORD processId,
                              DWORD threadId, DWORD flags) {
  if (!proc || eventMin > eventMax || (flags & WINEVENT_INCONTEXT)) {
    // In-context callbacks would run inside other processes; there are none here.
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  CurrentQueue();  // the callbacks are served by this thread's queue
  auto rec = std::make_shared<WinEventRec>();
  rec->Min = eventMin;
  rec->Max = eventMax;
  rec->Proc = proc;
  rec->Process = processId;
  rec->Thread = threadId;
  rec->Flags = flags;
  rec->Owner = CurrentThreadId();
  std::lock_guard<std::mutex> lk(S().Lock);
  rec->Handle = reinterpret_cast<HWINEVENTHOOK>(H().NextHandle);
  H().NextHandle += 4;
  H().WinHooks.push_back(rec);
  return rec->Handle;
}

bool UnhookWinEvent(HWINEVENTHOOK hook) {
  std::lock_guard<std::mutex> lk(S().Lock);
  auto& v = H().WinHooks;
  for (auto it = v.begin(); it != v.end(); ++it) {
    if ((*it)->Handle != hook) continue;
    (*it)->Removed = true;
    v.erase(it);
    return true;
  }
  return false;
}

void NotifyWinEvent(DWORD event, HWND h, LONG idObject, LONG idChild) {
  std::lock_guard<std::mutex> lk(S().Lock);
  RaiseWinEvent(event, h, idObject, idChild);
}

}  // namespace vcl
