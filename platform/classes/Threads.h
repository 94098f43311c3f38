// Threads and locks.
//
// TThread runs Execute on its own thread. C++ builds base classes first, so
// a thread cannot start from TThread's constructor (Execute would run on a
// half-built object): create a running thread with TThread::Create<T>(args)
// (which starts it once T is built unless the constructor asked for
// CreateSuspended), or create it suspended and call Start. Constructing a
// non-suspended thread any other way raises EThread.
//
// Synchronize and Queue hand methods to the main thread, which runs them in
// arrival order when it calls CheckSynchronize (the window server does so
// while it retrieves messages; SetWakeMainThreadHook lets it hear that work
// is waiting). Synchronize waits for its method and re-raises its exception
// in the calling thread; Queue does not wait. Both run the method at once
// when called on the main thread (ForceQueue always queues).
//
// The synchronisation event is TEventObject (TSimpleEvent is the manual-reset
// one): vcl::TEvent is already the closure template every event property
// uses. Code written against the platform's name can say
// vcl::SyncObjs::TEvent, an alias of TEventObject.
#pragma once
#include "platform/rtl/MacroShield.h"

#include <atomic>
#include <condition_variable>
#include <exception>
#include <functional>
#include <map>
#include <mutex>
#include <new>
#include <thread>

#include "platform/rtl/System.h"

namespace vcl {

using TThreadID = Cardinal;
// A method or any callable (lambdas included).
using TThreadMethod = TEvent<void()>;
using TThreadProcedure = TThreadMethod;

// The thread that initialised the library. Thread IDs are the host's thread
// ids, the same the window server's GetCurrentThreadId reports.
TThreadID MainThreadID();

// Runs what other threads handed to the main thread; waits up to TimeoutMs
// for work when there is none. Returns true when it ran something. Raises
// EThread when called from another thread; an exception of a queued method
// propagates (what was not run yet stays queued).
bool CheckSynchronize(Integer TimeoutMs = 0);
// Called (on the queueing thread) whenever work is queued for the main thread.
void SetWakeMainThreadHook(std::function<void()> Hook);

class TThread : public TObject {
  QN_CLASS(TThread, TObject)
 public:
  explicit TThread(bool CreateSuspended);
  // Terminates and waits for a thread still running (see BeforeDestruction).
  ~TThread() override;

  // Builds a T and starts it unless it was created suspended.
  template <class T, class... A>
  static T* Create(A&&... args) {
    TFactoryScope scope;
    T* t = new T(std::forward<A>(args)...);
    t->AfterConstruction();
    return t;
  }

  static void operator delete(TThread* p, std::destroying_delete_t);
  static void operator delete(void* p);
  static void* operator new(std::size_t n);

  // Starts a suspended thread; EThread "Cannot call Start on a running or
  // suspended thread" otherwise.
  void Start();
  void Terminate();
  // Waits for the thread to end (running synchronised work meanwhile when
  // called on the main thread) and returns ReturnValue.
  Integer WaitFor();

  bool Terminated() const { return FTerminated.load(); }
  bool Finished() const { return FFinished.load(); }
  bool Suspended() const { return !FStarted.load(); }
  bool FreeOnTerminate() const { return FFreeOnTerminate.load(); }
  void SetFreeOnTerminate(bool Value) { FFreeOnTerminate.store(Value); }
  // 0 until the thread is started.
  TThreadID ThreadID() const { return FThreadID.load(); }
  Integer ReturnValue() const { return FReturnValue.load(); }
  // The exception Execute ended with (null when none).
  std::exception_ptr FatalException() const { return FFatalException; }

  // Runs on the main thread (through Synchronize) after Execute returns.
  TNotifyEvent OnTerminate;

  void Synchronize(const TThreadMethod& Method) { Synchronize(this, Method); }
  void Queue(const TThreadMethod& Method) { Queue(this, Method); }
  static void Synchronize(TThread* AThread, const TThreadMethod& Method);
  static void Queue(TThread* AThread, const TThreadMethod& Method);
  static void ForceQueue(TThread* AThread, const TThreadMethod& Method);
  // Drops work AThread queued that has not run yet.
  static void RemoveQueuedEvents(TThread* AThread);
  // The TThread running the caller; for other threads (the main one
  // included) a stand-in object that lives as long as that thread.
  static TThread* CurrentThread();

 protected:
  virtual void Execute() = 0;
  virtual void DoTerminate();
  virtual void TerminatedSet();
  // Starts the thread unless it was created suspended (see Create).
  virtual void AfterConstruction();
  // Terminates and waits while the derived object is still whole.
  virtual void BeforeDestruction();
  void SetReturnValue(Integer Value) { FReturnValue.store(Value); }

 private:
  struct TFactoryScope {
    TFactoryScope();
    ~TFactoryScope();
  };
  friend class TExternalThread;
  struct TExternal {};
  explicit TThread(TExternal);
  void Run();
  void Join();

  std::thread FHandle;
  std::atomic<TThreadID> FThreadID{0};
  bool FCreateSuspended;
  bool FExternal = false;
  std::atomic<bool> FStarted{false};
  std::atomic<bool> FTerminated{false};
  std::atomic<bool> FFinished{false};
  std::atomic<bool> FExited{false};
  std::atomic<bool> FFreeOnTerminate{false};
  std::atomic<Integer> FReturnValue{0};
  std::exception_ptr FFatalException;
};

// ---------------------------------------------------------------------------
// Locks

class TSynchroObject : public TObject {
  QN_CLASS(TSynchroObject, TObject)
 public:
  virtual void Acquire() = 0;
  virtual void Release() = 0;
};

// A re-entrant lock.
class TCriticalSection : public TSynchroObject {
  QN_CLASS(TCriticalSection, TSynchroObject)
 public:
  void Acquire() override { FLock.lock(); }
  void Release() override { FLock.unlock(); }
  void Enter() { Acquire(); }
  void Leave() { Release(); }
  bool TryEnter() { return FLock.try_lock(); }

 private:
  std::recursive_mutex FLock;
};

enum class TWaitResult { wrSignaled, wrTimeout, wrAbandoned, wrError, wrIOCompletion };
inline constexpr TWaitResult wrSignaled = TWaitResult::wrSignaled;
inline constexpr TWaitResult wrTimeout = TWaitResult::wrTimeout;
inline constexpr TWaitResult wrAbandoned = TWaitResult::wrAbandoned;
inline constexpr TWaitResult wrError = TWaitResult::wrError;
inline constexpr TWaitResult wrIOCompletion = TWaitResult::wrIOCompletion;

// The platform's event object: signalled by SetEvent; a manual-reset event
// stays signalled until ResetEvent, an auto-reset one lets one waiter through.
class TEventObject : public TSynchroObject {
  QN_CLASS(TEventObject, TSynchroObject)
 public:
  explicit TEventObject(bool ManualReset = true, bool InitialState = false)
      : FManualReset(ManualReset), FSignaled(InitialState) {}
  void SetEvent();
  void ResetEvent();
  // Waits for ever with Infinite (the same value as the window server's INFINITE).
  static constexpr Cardinal Infinite = 0xFFFFFFFFu;
  TWaitResult WaitFor(Cardinal TimeoutMs = Infinite);
  void Acquire() override { WaitFor(Infinite); }
  void Release() override {}

 private:
  std::mutex FLock;
  std::condition_variable FCond;
  bool FManualReset;
  bool FSignaled;
};

class TSimpleEvent : public TEventObject {
  QN_CLASS(TSimpleEvent, TEventObject)
 public:
  TSimpleEvent() : TEventObject(true, false) {}
};

namespace SyncObjs {
using TEvent = TEventObject;
}  // namespace SyncObjs

// Many readers or one writer. Re-entrant: a writer may read and write again,
// a reader may read again or ask to write; BeginWrite returns false when
// another writer got in while this one waited (what was read may be stale).
class TMultiReadExclusiveWriteSynchronizer : public TObject {
  QN_CLASS(TMultiReadExclusiveWriteSynchronizer, TObject)
 public:
  void BeginRead();
  void EndRead();
  bool BeginWrite();
  void EndWrite();

 private:
  std::mutex FLock;
  std::condition_variable FCond;
  TThreadID FWriter = 0;
  Integer FWriteDepth = 0;
  Integer FWaitingWriters = 0;
  UInt64 FWriteSeq = 0;
  std::map<TThreadID, Integer> FReaders;
};
using TMREWSync = TMultiReadExclusiveWriteSynchronizer;

// Atomic operations on shared integers (and pointers): Increment and
// Decrement return the new value, the others the value before.
template <class T>
T InterlockedIncrement(T& Addend) {
  return std::atomic_ref<T>(Addend).fetch_add(1) + 1;
}
template <class T>
T InterlockedDecrement(T& Addend) {
  return std::atomic_ref<T>(Addend).fetch_sub(1) - 1;
}
template <class T>
T InterlockedExchange(T& Target, T Value) {
  return std::atomic_ref<T>(Target).exchange(Value);
}
template <class T>
T InterlockedExchangeAdd(T& Addend, T Value) {
  return std::atomic_ref<T>(Addend).fetch_add(Value);
}
template <class T>
T InterlockedCompareExchange(T& Destination, T Exchange, T Comparand) {
  std::atomic_ref<T>(Destination).compare_exchange_strong(Comparand, Exchange);
  return Comparand;
}

// Unit initialisation: records the main thread.
void InitThreads();
void DoneThreads();

}  // namespace vcl

#include "platform/rtl/MacroShieldEnd.h"
