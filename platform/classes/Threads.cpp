#include "platform/classes/Threads.h"

#include <sys/syscall.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <deque>
#include <memory>
#include <system_error>

namespace vcl {

namespace {

struct TSyncEntry {
  TThread* Thread = nullptr;
  TThreadMethod Method;
  bool Synchronous = false;
  bool Done = false;
  std::exception_ptr Error;
};

// One lock and one condition for everything that crosses to the main
// thread: queued work, finished synchronisations and ended threads.
struct TSyncState {
  std::mutex Lock;
  std::condition_variable Cond;
  std::deque<std::shared_ptr<TSyncEntry>> Queue;
  std::function<void()> WakeHook;
  std::atomic<TThreadID> MainThread{0};
  // Whether Queue holds anything, readable without the lock: the message
  // loop asks on every message it looks at, and mostly nothing is queued.
  // Written under the lock whenever Queue changes.
  std::atomic<bool> Queued{false};
};

TSyncState& Sync() {
  static TSyncState s;
  return s;
}

thread_local TThreadID tThreadID = 0;
thread_local TThread* tCurrent = nullptr;
thread_local std::unique_ptr<TThread> tExternal;
thread_local int tFactoryDepth = 0;

TThreadID CallerID() {
  if (tThreadID == 0) tThreadID = static_cast<TThreadID>(::syscall(SYS_gettid));
  return tThreadID;
}

bool IsMainThread() {
  TThreadID main = Sync().MainThread.load();
  return main != 0 && main == CallerID();
}

void Enqueue(TThread* AThread, const TThreadMethod& Method, bool Synchronous, std::shared_ptr<TSyncEntry>* Out) {
  auto e = std::make_shared<TSyncEntry>();
  e->Thread = AThread;
  e->Method = Method;
  e->Synchronous = Synchronous;
  std::function<void()> hook;
  {
    std::lock_guard g(Sync().Lock);
    Sync().Queue.push_back(e);
    Sync().Queued.store(true, std::memory_order_release);
    hook = Sync().WakeHook;
  }
  Sync().Cond.notify_all();
  if (hook) hook();
  if (Out) *Out = e;
}

String Hex(Cardinal v) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%X", v);
  return FromUtf8(buf);
}

}  // namespace

// Stands for a thread the library did not start (the main thread, say).
class TExternalThread : public TThread {
  QN_CLASS(TExternalThread, TThread)
 public:
  TExternalThread() : TThread(TExternal{}) {}

 protected:
  void Execute() override {}
};

TThreadID MainThreadID() { return Sync().MainThread.load(); }

void SetWakeMainThreadHook(std::function<void()> Hook) {
  std::lock_guard g(Sync().Lock);
  Sync().WakeHook = std::move(Hook);
}

bool CheckSynchronize(Integer TimeoutMs) {
  auto& s = Sync();
  if (s.MainThread.load() == 0) s.MainThread.store(CallerID());
  if (!IsMainThread())
    throw EThread(u"CheckSynchronize called from thread $" + Hex(CallerID()) +
                  u", which is NOT the main thread");
  // Work queued after this look wakes the main thread, which looks again.
  if (TimeoutMs <= 0 && !s.Queued.load(std::memory_order_acquire)) return false;
  std::unique_lock l(s.Lock);
  if (s.Queue.empty() && TimeoutMs > 0)
    s.Cond.wait_for(l, std::chrono::milliseconds(TimeoutMs), [&] { return !s.Queue.empty(); });
  // The message loop asks on every message it looks at, and mostly nothing
  // is queued: then no deque is made, since even an empty one allocates.
  if (s.Queue.empty()) return false;
  std::deque<std::shared_ptr<TSyncEntry>> work;
  work.swap(s.Queue);
  s.Queued.store(false, std::memory_order_release);
  l.unlock();
  while (!work.empty()) {
    auto e = work.front();
    work.pop_front();
    if (e->Synchronous) {
      try {
        e->Method();
      } catch (...) {
        e->Error = std::current_exception();
      }
      {
        std::lock_guard g(s.Lock);
        e->Done = true;
      }
      s.Cond.notify_all();
    } else {
      try {
        e->Method();
      } catch (...) {
        // What did not run yet goes back to the front, so no waiting
        // Synchronize is left hanging.
        {
          std::lock_guard g(s.Lock);
          s.Queue.insert(s.Queue.begin(), work.begin(), work.end());
          s.Queued.store(!s.Queue.empty(), std::memory_order_release);
        }
        throw;
      }
    }
  }
  return true;
}

void InitThreads() { Sync().MainThread.store(CallerID()); }

void DoneThreads() {
  std::lock_guard g(Sync().Lock);
  Sync().WakeHook = nullptr;
}

// ---------------------------------------------------------------------------
// TThread

TThread::TFactoryScope::TFactoryScope() { ++tFactoryDepth; }
TThread::TFactoryScope::~TFactoryScope() { --tFactoryDepth; }

TThread::TThread(bool CreateSuspended) : FCreateSuspended(CreateSuspended) {
  if (!CreateSuspended && tFactoryDepth == 0)
    throw EThread(u"A running thread is created with TThread::Create; otherwise create it suspended and call Start");
}

TThread::TThread(TExternal) : FCreateSuspended(false), FExternal(true) {
  FThreadID.store(CallerID());
  FStarted.store(true);
}

void* TThread::operator new(std::size_t n) { return ::operator new(n); }
void TThread::operator delete(void* p) { ::operator delete(p); }

void TThread::operator delete(TThread* p, std::destroying_delete_t) {
  void* whole = dynamic_cast<void*>(p);
  p->BeforeDestruction();
  p->~TThread();
  ::operator delete(whole);
}

void TThread::AfterConstruction() {
  if (!FCreateSuspended) Start();
}

void TThread::Start() {
  if (FExternal || FStarted.exchange(true))
    throw EThread(u"Cannot call Start on a running or suspended thread");
  // The new thread waits until its handle and id are stored, so a thread
  // that frees itself cannot end before Start is done with the object. The
  // gate lives on the heap: Start may return while the thread still reads it.
  struct TGate {
    std::atomic<TThreadID> Id{0};
    std::atomic<bool> Go{false};
  };
  auto gate = std::make_shared<TGate>();
  try {
    FHandle = std::thread([this, gate] {
      gate->Id.store(CallerID());
      gate->Id.notify_all();
      gate->Go.wait(false);
      Run();
    });
  } catch (const std::system_error& e) {
    FStarted.store(false);
    throw EThread(u"Thread creation error: " + FromUtf8(e.what()));
  }
  gate->Id.wait(0);
  FThreadID.store(gate->Id.load());
  gate->Go.store(true);
  gate->Go.notify_all();
}

void TThread::Run() {
  tCurrent = this;
  if (!FTerminated.load()) {
    try {
      Execute();
    } catch (...) {
      FFatalException = std::current_exception();
    }
  }
  bool freeThread = FFreeOnTerminate.load();
  FFinished.store(true);
  try {
    DoTerminate();
  } catch (...) {
    // OnTerminate's failure must not keep the thread from ending.
  }
  if (freeThread) {
    delete this;
    return;
  }
  {
    std::lock_guard g(Sync().Lock);
    FExited.store(true);
  }
  Sync().Cond.notify_all();
}

void TThread::DoTerminate() {
  if (OnTerminate) Synchronize(this, TThreadMethod([this] { OnTerminate(this); }));
}

void TThread::Terminate() {
  FTerminated.store(true);
  TerminatedSet();
}

void TThread::TerminatedSet() {}

Integer TThread::WaitFor() {
  if (FExternal) throw EThread(u"Cannot call WaitFor on an external thread");
  if (!FStarted.load()) throw EThread(u"Cannot wait for a thread that was never started");
  if (CallerID() == FThreadID) throw EThread(u"A thread cannot wait for itself");
  if (FFreeOnTerminate.load()) throw EThread(u"Cannot call WaitFor on a thread that frees itself");
  auto& s = Sync();
  if (IsMainThread()) {
    // The thread may need the main thread (Synchronize, OnTerminate) to end.
    for (;;) {
      {
        std::unique_lock l(s.Lock);
        s.Cond.wait(l, [&] { return FExited.load() || !s.Queue.empty(); });
        if (FExited.load()) break;
      }
      CheckSynchronize(0);
    }
  } else {
    std::unique_lock l(s.Lock);
    s.Cond.wait(l, [&] { return FExited.load(); });
  }
  Join();
  return FReturnValue.load();
}

void TThread::Join() {
  if (FHandle.joinable() && FHandle.get_id() != std::this_thread::get_id()) FHandle.join();
}

void TThread::BeforeDestruction() {
  if (FExternal) return;
  if (FHandle.joinable() && FHandle.get_id() == std::this_thread::get_id()) {
    FHandle.detach();  // freeing itself at its end
    return;
  }
  if (FStarted.load() && !FExited.load() && FHandle.joinable()) {
    Terminate();
    FFreeOnTerminate.store(false);
    try {
      WaitFor();
    } catch (...) {
      // A queued method failed while we waited; the thread still ends.
      std::unique_lock l(Sync().Lock);
      Sync().Cond.wait(l, [&] { return FExited.load(); });
    }
  }
  Join();
}

TThread::~TThread() {
  BeforeDestruction();
  RemoveQueuedEvents(this);
}

void TThread::Synchronize(TThread* AThread, const TThreadMethod& Method) {
  if (!Method) return;
  if (IsMainThread()) {
    Method();
    return;
  }
  std::shared_ptr<TSyncEntry> e;
  Enqueue(AThread, Method, true, &e);
  {
    std::unique_lock l(Sync().Lock);
    Sync().Cond.wait(l, [&] { return e->Done; });
  }
  if (e->Error) std::rethrow_exception(e->Error);
}

void TThread::Queue(TThread* AThread, const TThreadMethod& Method) {
  if (!Method) return;
  if (IsMainThread()) {
    Method();
    return;
  }
  Enqueue(AThread, Method, false, nullptr);
}

void TThread::ForceQueue(TThread* AThread, const TThreadMethod& Method) {
  if (Method) Enqueue(AThread, Method, false, nullptr);
}

void TThread::RemoveQueuedEvents(TThread* AThread) {
  std::lock_guard g(Sync().Lock);
  auto& q = Sync().Queue;
  for (auto it = q.begin(); it != q.end();) {
    if ((*it)->Thread == AThread && !(*it)->Synchronous) it = q.erase(it);
    else ++it;
  }
  Sync().Queued.store(!q.empty(), std::memory_order_release);
}

TThread* TThread::CurrentThread() {
  if (tCurrent) return tCurrent;
  if (!tExternal) tExternal.reset(new TExternalThread);
  return tExternal.get();
}

// ---------------------------------------------------------------------------
// Locks

void TEventObject::SetEvent() {
  {
    std::lock_guard g(FLock);
    FSignaled = true;
  }
  if (FManualReset) FCond.notify_all();
  else FCond.notify_one();
}

void TEventObject::ResetEvent() {
  std::lock_guard g(FLock);
  FSignaled = false;
}

TWaitResult TEventObject::WaitFor(Cardinal TimeoutMs) {
  std::unique_lock l(FLock);
  auto signaled = [&] { return FSignaled; };
  if (TimeoutMs == Infinite) FCond.wait(l, signaled);
  else if (!FCond.wait_for(l, std::chrono::milliseconds(TimeoutMs), signaled)) return wrTimeout;
  if (!FManualReset) FSignaled = false;
  return wrSignaled;
}

void TMultiReadExclusiveWriteSynchronizer::BeginRead() {
  TThreadID me = CallerID();
  std::unique_lock l(FLock);
  auto it = FReaders.find(me);
  // Nested reads (and reads inside one's own write) never wait, or a
  // waiting writer would deadlock with us.
  if (FWriter != me && it == FReaders.end())
    FCond.wait(l, [&] { return FWriter == 0 && FWaitingWriters == 0; });
  ++FReaders[me];
}

void TMultiReadExclusiveWriteSynchronizer::EndRead() {
  TThreadID me = CallerID();
  {
    std::lock_guard g(FLock);
    auto it = FReaders.find(me);
    if (it == FReaders.end()) return;
    if (--it->second == 0) FReaders.erase(it);
  }
  FCond.notify_all();
}

bool TMultiReadExclusiveWriteSynchronizer::BeginWrite() {
  TThreadID me = CallerID();
  std::unique_lock l(FLock);
  if (FWriter == me) {
    ++FWriteDepth;
    return true;
  }
  UInt64 seq = FWriteSeq;
  // A reader asking to write sets its reads aside while it waits, so two
  // readers doing so at once cannot block each other.
  Integer myReads = 0;
  if (auto it = FReaders.find(me); it != FReaders.end()) {
    myReads = it->second;
    FReaders.erase(it);
    FCond.notify_all();
  }
  ++FWaitingWriters;
  FCond.wait(l, [&] { return FWriter == 0 && FReaders.empty(); });
  --FWaitingWriters;
  FWriter = me;
  FWriteDepth = 1;
  ++FWriteSeq;
  if (myReads) FReaders[me] = myReads;
  return FWriteSeq == seq + 1;
}

void TMultiReadExclusiveWriteSynchronizer::EndWrite() {
  TThreadID me = CallerID();
  {
    std::lock_guard g(FLock);
    if (FWriter != me) return;
    if (--FWriteDepth > 0) return;
    FWriter = 0;
  }
  FCond.notify_all();
}

}  // namespace vcl
