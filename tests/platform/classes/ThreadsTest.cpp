// Cross-thread tests: the suite's name holds "Thread", so the ThreadSanitizer
// run picks them up.
#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <string>
#include <vector>

#include "platform/classes/Classes.h"

namespace t_threads_test {

using namespace vcl;

namespace {

// Runs a callable as Execute.
class TLambdaThread : public TThread {
  QN_CLASS(TLambdaThread, TThread)
 public:
  TLambdaThread(bool suspended, std::function<void(TLambdaThread*)> body)
      : TThread(suspended), Body(std::move(body)) {}
  ~TLambdaThread() override { if (Destroyed) Destroyed->store(true); }
  std::function<void(TLambdaThread*)> Body;
  std::atomic<bool>* Destroyed = nullptr;
  using TThread::SetReturnValue;
  using TThread::Terminated;

 protected:
  void Execute() override { Body(this); }
};

// Pumps the main thread's queue until done() holds.
template <class F>
void PumpUntil(F done) {
  for (int i = 0; i < 20000 && !done(); ++i) CheckSynchronize(1);
  ASSERT_TRUE(done());
}

}  // namespace

TEST(Platform_Threads, SynchronizeRunsOnTheMainThreadWhenItChecks) {
  ASSERT_EQ(TThread::CurrentThread()->ThreadID(), MainThreadID());
  ASSERT_NE(MainThreadID(), 0u);
  std::atomic<TThreadID> ranOn{0};
  std::atomic<int> seenAfter{0};
  int shared = 0;  // touched only on the main thread and after Synchronize returns
  auto* t = TThread::Create<TLambdaThread>(false, [&](TLambdaThread* self) {
    EXPECT_NE(TThread::CurrentThread()->ThreadID(), MainThreadID());
    EXPECT_EQ(TThread::CurrentThread(), self);
    self->Synchronize(TThreadMethod([&] {
      ranOn = TThread::CurrentThread()->ThreadID();
      shared = 42;
    }));
    seenAfter = shared;  // Synchronize waited for the method
    self->SetReturnValue(7);
  });
  EXPECT_EQ(t->WaitFor(), 7);  // WaitFor on the main thread serves the Synchronize
  EXPECT_EQ(ranOn.load(), MainThreadID());
  EXPECT_EQ(seenAfter.load(), 42);
  EXPECT_TRUE(t->Finished());
  EXPECT_EQ(TThread::CurrentThread()->ThreadID(), MainThreadID());
  delete t;
}

TEST(Platform_Threads, QueueKeepsArrivalOrderAndWakesTheMainThread) {
  std::atomic<int> wakes{0};
  SetWakeMainThreadHook([&] { ++wakes; });
  std::vector<int> order;  // main thread only
  std::atomic<bool> queued{false};
  auto* t = TThread::Create<TLambdaThread>(false, [&](TLambdaThread* self) {
    for (int i = 0; i < 100; ++i) self->Queue(TThreadMethod([&order, i] { order.push_back(i); }));
    TThread::Queue(nullptr, TThreadMethod([&order] { order.push_back(1000); }));
    queued = true;
    self->Synchronize(TThreadMethod([&order] { order.push_back(-1); }));
  });
  t->WaitFor();
  SetWakeMainThreadHook(nullptr);
  ASSERT_EQ(order.size(), 102u);
  for (int i = 0; i < 100; ++i) EXPECT_EQ(order[i], i);
  EXPECT_EQ(order[100], 1000);
  EXPECT_EQ(order[101], -1);  // Synchronize after the queued ones
  EXPECT_EQ(wakes.load(), 102);
  // On the main thread Queue runs at once, ForceQueue waits for the check.
  int x = 0;
  TThread::Queue(nullptr, TThreadMethod([&] { x = 1; }));
  EXPECT_EQ(x, 1);
  TThread::ForceQueue(nullptr, TThreadMethod([&] { x = 2; }));
  EXPECT_EQ(x, 1);
  EXPECT_TRUE(CheckSynchronize());
  EXPECT_EQ(x, 2);
  EXPECT_FALSE(CheckSynchronize());
  delete t;
}

TEST(Platform_Threads, ExceptionsCrossBackToTheirThread) {
  std::atomic<bool> caught{false};
  auto* t = TThread::Create<TLambdaThread>(false, [&](TLambdaThread* self) {
    try {
      self->Synchronize(TThreadMethod([] { throw EConvertError(u"bad"); }));
    } catch (const EConvertError& e) {
      caught = e.Message() == u"bad";
    }
    throw EInvalidOperation(u"execute failed");
  });
  t->WaitFor();
  EXPECT_TRUE(caught.load());
  ASSERT_TRUE(t->FatalException());
  try {
    std::rethrow_exception(t->FatalException());
  } catch (const EInvalidOperation& e) {
    EXPECT_EQ(e.Message(), u"execute failed");
  }
  delete t;
  // A queued method's exception surfaces in CheckSynchronize; the rest stays queued.
  std::vector<int> ran;
  auto* q = new TLambdaThread(true, [&](TLambdaThread*) {
    TThread::Queue(nullptr, TThreadMethod([] { throw EAbort(u"stop"); }));
    TThread::Queue(nullptr, TThreadMethod([&ran] { ran.push_back(1); }));
  });
  std::atomic<bool> done{false};
  q->OnTerminate = TNotifyEvent([&](TObject*) { done = true; });
  q->Start();
  bool threw = false;
  while (!done) {
    try {
      CheckSynchronize(1);
    } catch (const EAbort&) {
      threw = true;
    }
  }
  EXPECT_TRUE(threw);
  EXPECT_EQ(ran, std::vector<int>{1});
  q->WaitFor();
  delete q;
}

TEST(Platform_Threads, ThreadLifecycleRules) {
  // Suspended until Start; Terminate is seen by Execute.
  std::atomic<int> loops{0};
  auto* t = new TLambdaThread(true, [&](TLambdaThread* self) {
    while (!self->Terminated()) {
      ++loops;
      std::this_thread::yield();
    }
  });
  EXPECT_TRUE(t->Suspended());
  EXPECT_THROW(t->WaitFor(), EThread);
  t->Start();
  EXPECT_THROW(t->Start(), EThread);
  while (loops.load() == 0) std::this_thread::yield();
  std::atomic<bool> destroyed{false};
  t->Destroyed = &destroyed;
  delete t;  // terminates and waits while the object is still whole
  EXPECT_TRUE(destroyed.load());
  // A running thread cannot be built around TThread::Create.
  EXPECT_THROW(new TLambdaThread(false, [](TLambdaThread*) {}), EThread);

  // FreeOnTerminate: the thread frees itself after OnTerminate ran on the main thread.
  std::atomic<bool> freed{false};
  std::atomic<TThreadID> terminateOn{0};
  auto* f = new TLambdaThread(true, [](TLambdaThread*) {});
  f->Destroyed = &freed;
  f->SetFreeOnTerminate(true);
  f->OnTerminate = TNotifyEvent([&](TObject*) { terminateOn = TThread::CurrentThread()->ThreadID(); });
  EXPECT_THROW(f->WaitFor(), EThread);
  f->Start();
  PumpUntil([&] { return freed.load(); });
  EXPECT_EQ(terminateOn.load(), MainThreadID());
  // Only the main thread checks for synchronisation.
  std::atomic<bool> refused{false};
  auto* w = TThread::Create<TLambdaThread>(false, [&](TLambdaThread*) {
    try {
      CheckSynchronize();
    } catch (const EThread& e) {
      refused = e.Message().find(u"which is NOT the main thread") != String::npos;
    }
  });
  w->WaitFor();
  EXPECT_TRUE(refused.load());
  delete w;
}

TEST(Platform_Threads, QueuedWorkOfAFreedThreadIsDropped) {
  std::atomic<bool> ran{false};
  auto* t = TThread::Create<TLambdaThread>(false, [&](TLambdaThread* self) {
    TThread::ForceQueue(self, TThreadMethod([&] { ran = true; }));
  });
  // Wait without serving the queue, then free the thread.
  while (!t->Finished()) std::this_thread::yield();
  delete t;
  CheckSynchronize();
  EXPECT_FALSE(ran.load());
}

TEST(Platform_Threads, CriticalSectionIsReentrantAndExclusive) {
  TCriticalSection cs;
  cs.Enter();
  cs.Enter();  // the owner may enter again
  std::atomic<int> tried{-1};
  std::thread other([&] {
    tried = cs.TryEnter() ? 1 : 0;
  });
  other.join();
  EXPECT_EQ(tried.load(), 0);
  cs.Leave();
  std::thread still([&] { tried = cs.TryEnter() ? 1 : 0; });
  still.join();
  EXPECT_EQ(tried.load(), 0);  // held once more
  cs.Leave();
  std::thread now([&] {
    tried = cs.TryEnter() ? 1 : 0;
    if (tried) cs.Leave();
  });
  now.join();
  EXPECT_EQ(tried.load(), 1);

  // Many threads adding under the lock lose nothing.
  Int64 total = 0;
  std::vector<std::thread> ts;
  for (int i = 0; i < 4; ++i)
    ts.emplace_back([&] {
      for (int k = 0; k < 2000; ++k) {
        cs.Acquire();
        cs.Acquire();
        ++total;
        cs.Release();
        cs.Release();
      }
    });
  for (auto& t : ts) t.join();
  EXPECT_EQ(total, 8000);
}

TEST(Platform_Threads, ReadersShareWritersExcludeThreads) {
  TMultiReadExclusiveWriteSynchronizer sync;
  std::atomic<int> readers{0}, writers{0}, maxReaders{0};
  std::atomic<bool> bad{false};
  int value = 0;
  std::vector<std::thread> ts;
  for (int i = 0; i < 6; ++i)
    ts.emplace_back([&, i] {
      for (int k = 0; k < 300; ++k) {
        if ((k + i) % 5 == 0) {
          bool clean = sync.BeginWrite();
          (void)clean;
          if (++writers != 1 || readers.load() != 0) bad = true;
          sync.BeginRead();  // a writer may read
          ++value;
          sync.EndRead();
          --writers;
          sync.EndWrite();
        } else {
          sync.BeginRead();
          sync.BeginRead();  // nested
          int r = ++readers;
          int m = maxReaders.load();
          while (r > m && !maxReaders.compare_exchange_weak(m, r)) {
          }
          if (writers.load() != 0) bad = true;
          if (k % 7 == 0) {  // promote
            --readers;
            sync.BeginWrite();
            if (++writers != 1) bad = true;
            ++value;
            --writers;
            sync.EndWrite();
            ++readers;
          }
          --readers;
          sync.EndRead();
          sync.EndRead();
        }
      }
    });
  for (auto& t : ts) t.join();
  EXPECT_FALSE(bad.load());
  int promotions = 0, writes = 0;
  for (int i = 0; i < 6; ++i)
    for (int k = 0; k < 300; ++k) {
      if ((k + i) % 5 == 0) ++writes;
      else if (k % 7 == 0) ++promotions;
    }
  EXPECT_EQ(value, writes + promotions);
}

TEST(Platform_Threads, EventObjectsSignalAcrossThreads) {
  TSimpleEvent ready;
  EXPECT_EQ(ready.WaitFor(1), wrTimeout);
  std::thread setter([&] { ready.SetEvent(); });
  EXPECT_EQ(ready.WaitFor(), wrSignaled);
  setter.join();
  EXPECT_EQ(ready.WaitFor(0), wrSignaled);  // manual reset stays signalled
  ready.ResetEvent();
  EXPECT_EQ(ready.WaitFor(0), wrTimeout);

  SyncObjs::TEvent gate(false, false);  // auto reset: one waiter per signal
  std::atomic<int> passed{0};
  std::vector<std::thread> ws;
  for (int i = 0; i < 3; ++i)
    ws.emplace_back([&] {
      if (gate.WaitFor(5000) == wrSignaled) ++passed;
    });
  for (int i = 0; i < 3; ++i) {
    gate.SetEvent();  // one waiter through, then the gate closes again
    while (passed.load() < i + 1) std::this_thread::yield();
  }
  for (auto& w : ws) w.join();
  EXPECT_EQ(passed.load(), 3);
  EXPECT_EQ(gate.WaitFor(0), wrTimeout);
}

TEST(Platform_Threads, InterlockedOperationsFromManyThreads) {
  Integer counter = 0;
  Int64 sum = 0;
  Integer flag = 0;
  std::atomic<int> winners{0};
  std::vector<std::thread> ts;
  for (int i = 0; i < 8; ++i)
    ts.emplace_back([&] {
      for (int k = 0; k < 1000; ++k) {
        InterlockedIncrement(counter);
        InterlockedExchangeAdd<Int64>(sum, 3);
      }
      InterlockedDecrement(counter);
      if (InterlockedCompareExchange(flag, 1, 0) == 0) ++winners;
    });
  for (auto& t : ts) t.join();
  EXPECT_EQ(counter, 8000 - 8);
  EXPECT_EQ(sum, 24000);
  EXPECT_EQ(winners.load(), 1);
  EXPECT_EQ(InterlockedExchange(flag, 5), 1);
  EXPECT_EQ(InterlockedIncrement(flag), 6);
  EXPECT_EQ(InterlockedCompareExchange(flag, 9, 5), 6);  // no match: unchanged
  EXPECT_EQ(flag, 6);
}

}  // namespace t_threads_test
