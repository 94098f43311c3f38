#include <atomic>
#include <chrono>
#include <thread>

#include "platform/rtl/SysUtils.h"
#include "tests/platform/user/UserTestSupport.h"

using namespace vcl;
using namespace usertest;

namespace {

class Platform_Messages : public ServerTest {};
class Platform_MessagesThread : public ServerTest {};
class Platform_Timers : public ServerTest {};

TEST_F(Platform_Messages, RetrievalOrderPostedThenPaintThenTimer) {
  SetVirtualClock(true);
  HWND h = MakeTop(0, 0, 50, 50);
  Pump();  // the first paint
  SetTimer(h, 1, 20, nullptr);
  InvalidateRect(h, nullptr, true);
  PostMessageW(h, WM_USER + 1, 0, 0);
  PostThreadMessageW(GetCurrentThreadId(), WM_USER + 2, 0, 0);
  PostMessageW(h, WM_USER + 3, 0, 0);
  AdvanceClock(25);
  std::vector<UINT> got;
  MSG m;
  for (int i = 0; i < 5; ++i) {
    ASSERT_GT(GetMessageW(&m, nullptr, 0, 0), 0);
    got.push_back(m.message);
    DispatchMessageW(&m);
  }
  EXPECT_EQ(got, (std::vector<UINT>{WM_USER + 1, WM_USER + 2, WM_USER + 3, WM_PAINT, WM_TIMER}));
  EXPECT_FALSE(PeekMessageW(&m, nullptr, 0, 0, PM_NOREMOVE));
}

TEST_F(Platform_Messages, FiltersNoRemoveAndQuit) {
  HWND a = MakeTop(0, 0, 10, 10), b = MakeTop(0, 0, 10, 10);
  Pump();
  PostMessageW(a, WM_USER + 1, 0, 0);
  PostMessageW(b, WM_USER + 2, 0, 0);
  PostMessageW(a, WM_APP, 0, 0);
  PostQuitMessage(3);
  MSG m;
  ASSERT_TRUE(PeekMessageW(&m, b, 0, 0, PM_NOREMOVE));
  EXPECT_EQ(m.message, WM_USER + 2u);
  ASSERT_TRUE(PeekMessageW(&m, nullptr, WM_APP, WM_APP, PM_REMOVE));
  EXPECT_EQ(m.hwnd, a);
  EXPECT_EQ(GetMessageW(&m, nullptr, 0, 0), 1);
  EXPECT_EQ(m.message, WM_USER + 1u);
  EXPECT_EQ(GetMessageW(&m, nullptr, 0, 0), 1);
  EXPECT_EQ(m.message, WM_USER + 2u);
  // WM_QUIT once the posted messages are gone.
  EXPECT_EQ(GetMessageW(&m, nullptr, 0, 0), 0);
  EXPECT_EQ(m.wParam, 3u);
  EXPECT_FALSE(PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(Platform_Messages, ParentsPaintBeforeChildren) {
  HWND p = MakeTop(0, 0, 100, 100);
  HWND c = MakeChild(p, 10, 10, 30, 30);
  HWND g = MakeChild(c, 1, 1, 5, 5);
  HWND c2 = MakeChild(p, 50, 50, 30, 30);
  Pump();
  ClearLog();
  // Invalidate the children first so the order cannot come from the calls.
  InvalidateRect(g, nullptr, false);
  InvalidateRect(c2, nullptr, false);
  InvalidateRect(c, nullptr, false);
  InvalidateRect(p, nullptr, false);
  Pump();
  std::vector<HWND> order;
  {
    std::lock_guard<std::mutex> lk(LogLock());
    for (auto& l : Log())
      if (l.Msg == WM_PAINT) order.push_back(l.Hwnd);
  }
  ASSERT_EQ(order.size(), 4u);
  auto pos = [&](HWND h) { return std::find(order.begin(), order.end(), h) - order.begin(); };
  EXPECT_EQ(pos(p), 0);
  EXPECT_LT(pos(c), pos(g));
}

TEST_F(Platform_Messages, SendMessageIsReentrantOnOneThread) {
  HWND h = MakeTop(0, 0, 10, 10);
  std::vector<int> trace;
  SetHandler(h, [&](HWND hw, UINT msg, WPARAM wp, LPARAM, bool& handled) -> LRESULT {
    handled = msg == WM_USER;
    if (!handled) return 0;
    trace.push_back(int(wp));
    LRESULT inner = wp < 3 ? SendMessageW(hw, WM_USER, wp + 1, 0) : 0;
    trace.push_back(-int(wp));
    return inner + LRESULT(wp);
  });
  EXPECT_EQ(SendMessageW(h, WM_USER, 0, 0), 0 + 1 + 2 + 3);
  EXPECT_EQ(trace, (std::vector<int>{0, 1, 2, 3, -3, -2, -1, 0}));
  EXPECT_FALSE(InSendMessage());
}

// A worker thread with a window and a message loop that ends on WM_QUIT.
struct Worker {
  std::thread Thread;
  std::atomic<HWND> Hwnd{nullptr};
  std::atomic<DWORD> Tid{0};
  std::function<LRESULT(HWND, UINT, WPARAM, LPARAM, bool&)> Handler;
  void Start() {
    Thread = std::thread([this] {
      HWND h = MakeTop(0, 0, 10, 10, WS_POPUP);
      SetHandler(h, Handler);
      Tid = GetCurrentThreadId();
      Hwnd = h;
      MSG m;
      while (GetMessageW(&m, nullptr, 0, 0) > 0) DispatchMessageW(&m);
      DestroyWindow(h);
    });
    for (int i = 0; i < 5000 && !Hwnd; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  void Stop() {
    PostThreadMessageW(Tid, WM_QUIT, 0, 0);
    Thread.join();
  }
};

TEST_F(Platform_MessagesThread, WorkerSendServedWhileMainWaitsInItsOwnSend) {
  HWND mainWnd = MakeTop(0, 0, 10, 10, WS_POPUP);
  SetHandler(mainWnd, [](HWND, UINT msg, WPARAM wp, LPARAM, bool& handled) -> LRESULT {
    handled = msg == WM_USER + 5;
    EXPECT_TRUE(!handled || InSendMessage());
    return LRESULT(wp * 10);
  });
  Worker w;
  w.Handler = [mainWnd](HWND, UINT msg, WPARAM wp, LPARAM, bool& handled) -> LRESULT {
    handled = msg == WM_USER + 4;
    if (!handled) return 0;
    // The main thread is blocked in its send to us; our send back must still be served.
    DWORD_PTR r = 0;
    if (!SendMessageTimeoutW(mainWnd, WM_USER + 5, wp, 0, SMTO_NORMAL, 5000, &r)) return -1;
    return LRESULT(r) + 1;
  };
  w.Start();
  ASSERT_TRUE(w.Hwnd.load());
  DWORD_PTR r = 0;
  ASSERT_TRUE(SendMessageTimeoutW(w.Hwnd, WM_USER + 4, 7, 0, SMTO_NORMAL, 5000, &r));
  EXPECT_EQ(r, 71u);
  w.Stop();
}

TEST_F(Platform_MessagesThread, WorkerSendBlocksWhileMainIsBusy) {
  HWND mainWnd = MakeTop(0, 0, 10, 10, WS_POPUP);
  std::atomic<bool> served{false}, returned{false};
  SetHandler(mainWnd, [&](HWND, UINT msg, WPARAM, LPARAM, bool& handled) -> LRESULT {
    handled = msg == WM_USER + 6;
    if (handled) served = true;
    return 99;
  });
  HANDLE started = CreateEventW(nullptr, true, false, nullptr);
  LRESULT result = 0;
  std::thread t([&] {
    SetEvent(started);
    DWORD_PTR r = 0;
    if (SendMessageTimeoutW(mainWnd, WM_USER + 6, 0, 0, SMTO_NORMAL, 10000, &r)) result = LRESULT(r);
    returned = true;
  });
  ASSERT_EQ(WaitForSingleObject(started, 5000), WAIT_OBJECT_0);
  // Busy: no retrieval, so the worker stays blocked.
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  EXPECT_FALSE(served.load());
  EXPECT_FALSE(returned.load());
  // Retrieval serves it (a sent message is never returned by PeekMessage).
  MSG m;
  for (int i = 0; i < 5000 && !returned; ++i) {
    EXPECT_FALSE(PeekMessageW(&m, nullptr, WM_USER + 6, WM_USER + 6, PM_REMOVE));
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  t.join();
  EXPECT_TRUE(served.load());
  EXPECT_EQ(result, 99);
  CloseHandle(started);
}

TEST_F(Platform_MessagesThread, ReplyMessageReleasesTheSenderEarly) {
  HWND mainWnd = MakeTop(0, 0, 10, 10, WS_POPUP);
  HANDLE replied = CreateEventW(nullptr, true, false, nullptr);
  HANDLE finish = CreateEventW(nullptr, true, false, nullptr);
  SetHandler(mainWnd, [&](HWND, UINT msg, WPARAM, LPARAM, bool& handled) -> LRESULT {
    handled = msg == WM_USER + 7;
    if (!handled) return 0;
    EXPECT_EQ(InSendMessageEx(nullptr) & ISMEX_SEND, ISMEX_SEND);
    EXPECT_TRUE(ReplyMessage(5));
    // The sender runs on while this handler still works.
    EXPECT_EQ(WaitForSingleObject(finish, 5000), WAIT_OBJECT_0);
    return 6;
  });
  LRESULT got = 0;
  std::thread t([&] {
    DWORD_PTR r = 0;
    SendMessageTimeoutW(mainWnd, WM_USER + 7, 0, 0, SMTO_NORMAL, 5000, &r);
    got = LRESULT(r);
    SetEvent(finish);
  });
  // Serve it, bounded.
  DWORD res = MsgWaitForMultipleObjects(0, nullptr, false, 5000, QS_SENDMESSAGE);
  EXPECT_EQ(res, WAIT_OBJECT_0);
  MSG m;
  PeekMessageW(&m, nullptr, 0, 0, PM_NOREMOVE);
  t.join();
  EXPECT_EQ(got, 5);
  CloseHandle(replied);
  CloseHandle(finish);
}

TEST_F(Platform_MessagesThread, PostedToAnotherThreadAndTimedOutSends) {
  std::atomic<int> posted{0}, atLast{-1};
  HANDLE done = CreateEventW(nullptr, true, false, nullptr);
  Worker w;
  w.Handler = [&](HWND, UINT msg, WPARAM, LPARAM, bool& handled) -> LRESULT {
    handled = msg == WM_USER + 8 || msg == WM_USER + 9 || msg == WM_USER + 10;
    if (msg == WM_USER + 8) ++posted;
    if (msg == WM_USER + 10) {
      atLast = posted.load();
      SetEvent(done);
    }
    if (msg == WM_USER + 9) std::this_thread::sleep_for(std::chrono::milliseconds(300));
    return 0;
  };
  w.Start();
  for (int i = 0; i < 3; ++i) PostMessageW(w.Hwnd, WM_USER + 8, 0, 0);
  PostMessageW(w.Hwnd, WM_USER + 10, 0, 0);
  ASSERT_EQ(WaitForSingleObject(done, 5000), WAIT_OBJECT_0);
  EXPECT_EQ(atLast.load(), 3);  // first in, first out
  CloseHandle(done);
  DWORD_PTR r;
  EXPECT_FALSE(SendMessageTimeoutW(w.Hwnd, WM_USER + 9, 0, 0, SMTO_NORMAL, 20, &r));
  EXPECT_EQ(GetLastError(), ERROR_TIMEOUT);
  w.Stop();
  EXPECT_FALSE(IsWindow(w.Hwnd));
  EXPECT_FALSE(PostThreadMessageW(w.Tid, WM_USER, 0, 0));
}

TEST_F(Platform_Timers, FiftyMillisecondTimerFiresTwentyTimesInASecond) {
  SetVirtualClock(true);
  HWND h = MakeTop(0, 0, 10, 10, WS_POPUP);
  DWORD start = GetTickCount();
  SetTimer(h, 7, 50, nullptr);
  int fired = 0;
  std::vector<DWORD> times;
  MSG m;
  // The loop would block; the virtual clock jumps to each due time instead.
  while (GetTickCount() - start < 1000) {
    ASSERT_GT(GetMessageW(&m, nullptr, 0, 0), 0);
    if (m.message == WM_TIMER && m.wParam == 7) {
      ++fired;
      times.push_back(GetTickCount() - start);
    }
    DispatchMessageW(&m);
  }
  EXPECT_EQ(fired, 20);
  for (size_t i = 0; i < times.size(); ++i) EXPECT_EQ(times[i], DWORD(50 * (i + 1)));
  EXPECT_EQ(GetTickCount() - start, 1000u);
}

TEST_F(Platform_Timers, NeverTwiceForOnePeriod) {
  SetVirtualClock(true);
  HWND h = MakeTop(0, 0, 10, 10, WS_POPUP);
  Pump();
  SetTimer(h, 1, 50, nullptr);
  AdvanceClock(1000);  // twenty periods pass without retrieval
  MSG m;
  ASSERT_TRUE(PeekMessageW(&m, nullptr, WM_TIMER, WM_TIMER, PM_REMOVE));
  EXPECT_FALSE(PeekMessageW(&m, nullptr, WM_TIMER, WM_TIMER, PM_REMOVE));
  AdvanceClock(49);
  EXPECT_FALSE(PeekMessageW(&m, nullptr, WM_TIMER, WM_TIMER, PM_REMOVE));
  AdvanceClock(1);
  EXPECT_TRUE(PeekMessageW(&m, nullptr, WM_TIMER, WM_TIMER, PM_REMOVE));
  // PM_NOREMOVE sees it without using up the period.
  AdvanceClock(50);
  EXPECT_TRUE(PeekMessageW(&m, nullptr, WM_TIMER, WM_TIMER, PM_NOREMOVE));
  EXPECT_TRUE(PeekMessageW(&m, nullptr, WM_TIMER, WM_TIMER, PM_REMOVE));
  EXPECT_TRUE(KillTimer(h, 1));
  EXPECT_FALSE(KillTimer(h, 1));
  AdvanceClock(100);
  EXPECT_FALSE(PeekMessageW(&m, nullptr, WM_TIMER, WM_TIMER, PM_REMOVE));
}

TEST_F(Platform_Timers, SleepAdvancesTheVirtualClock) {
  SetVirtualClock(true);
  DWORD t0 = GetTickCount();
  Int64 q0, q1, f;
  QueryPerformanceCounter(&q0);
  QueryPerformanceFrequency(&f);
  auto real0 = std::chrono::steady_clock::now();
  Sleep(5000);
  QueryPerformanceCounter(&q1);
  EXPECT_EQ(GetTickCount() - t0, 5000u);
  EXPECT_EQ(timeGetTime() - t0, 5000u);
  EXPECT_EQ((q1 - q0) * 1000 / f, 5000);
  EXPECT_LT(std::chrono::steady_clock::now() - real0, std::chrono::seconds(2));
  // Now follows the same clock.
  TDateTime n0 = vcl::Now();
  Sleep(60000);
  EXPECT_NEAR((vcl::Now() - n0) * 1440.0, 1.0, 1e-6);
  // Nothing else moves it.
  DWORD t1 = GetTickCount();
  MSG m;
  PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE);
  EXPECT_EQ(GetTickCount(), t1);
}

int gCallbacks = 0;
void CALLBACK_Timer(HWND, UINT msg, UINT_PTR, DWORD) {
  if (msg == WM_TIMER) ++gCallbacks;
}

TEST_F(Platform_Timers, RestartCallbacksAndThreadTimers) {
  SetVirtualClock(true);
  HWND h = MakeTop(0, 0, 10, 10, WS_POPUP);
  Pump();
  SetTimer(h, 3, 100, nullptr);
  AdvanceClock(80);
  SetTimer(h, 3, 100, nullptr);  // restarting replaces: the period starts again
  AdvanceClock(80);
  MSG m;
  EXPECT_FALSE(PeekMessageW(&m, nullptr, WM_TIMER, WM_TIMER, PM_REMOVE));
  AdvanceClock(20);
  EXPECT_TRUE(PeekMessageW(&m, nullptr, WM_TIMER, WM_TIMER, PM_REMOVE));
  KillTimer(h, 3);
  gCallbacks = 0;
  UINT_PTR id = SetTimer(nullptr, 0, 30, CALLBACK_Timer);
  ASSERT_NE(id, 0u);
  ASSERT_GT(GetMessageW(&m, nullptr, 0, 0), 0);  // jumps to the due time
  EXPECT_EQ(m.message, WM_TIMER);
  EXPECT_EQ(m.hwnd, nullptr);
  EXPECT_EQ(m.wParam, id);
  DispatchMessageW(&m);
  EXPECT_EQ(gCallbacks, 1);
  EXPECT_TRUE(KillTimer(nullptr, id));
  // A window's timers die with it.
  SetTimer(h, 9, 10, nullptr);
  DestroyWindow(h);
  AdvanceClock(50);
  EXPECT_FALSE(PeekMessageW(&m, nullptr, WM_TIMER, WM_TIMER, PM_REMOVE));
}

}  // namespace

namespace {

TEST_F(Platform_MessagesThread, AThreadThatEndsAnswersItsPendingSends) {
  HANDLE ready = CreateEventW(nullptr, true, false, nullptr);
  std::atomic<HWND> wnd{nullptr};
  std::thread t([&] {
    wnd = MakeTop(0, 0, 10, 10, WS_POPUP);
    SetEvent(ready);
    // Never retrieves: the send below waits until the thread is gone.
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  });
  ASSERT_EQ(WaitForSingleObject(ready, 5000), WAIT_OBJECT_0);
  auto t0 = std::chrono::steady_clock::now();
  DWORD_PTR r = 7;
  SendMessageTimeoutW(wnd, WM_USER, 0, 0, SMTO_NORMAL, 10000, &r);
  EXPECT_EQ(r, 0u);
  EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::seconds(5));
  t.join();
  EXPECT_FALSE(IsWindow(wnd));  // its windows went with it
  EXPECT_EQ(SendMessageW(wnd, WM_USER, 0, 0), 0);
  CloseHandle(ready);
}

TEST_F(Platform_MessagesThread, WaitingForEventsAndQueueInput) {
  HANDLE ev = CreateEventW(nullptr, false, false, nullptr);
  EXPECT_EQ(MsgWaitForMultipleObjects(1, &ev, false, 0, QS_ALLINPUT), WAIT_TIMEOUT);
  std::thread t([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    SetEvent(ev);
  });
  EXPECT_EQ(MsgWaitForMultipleObjects(1, &ev, false, 5000, QS_ALLINPUT), WAIT_OBJECT_0);
  t.join();
  // Auto-reset: taken by the wait.
  EXPECT_EQ(WaitForSingleObject(ev, 0), WAIT_TIMEOUT);
  DWORD me = GetCurrentThreadId();
  std::thread poster([me] {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    PostThreadMessageW(me, WM_USER + 20, 0, 0);
  });
  EXPECT_EQ(MsgWaitForMultipleObjects(1, &ev, false, 5000, QS_POSTMESSAGE), WAIT_OBJECT_0 + 1);
  poster.join();
  EXPECT_NE(GetQueueStatus(QS_POSTMESSAGE) & QS_POSTMESSAGE, 0u);
  EXPECT_TRUE(WaitMessage());
  MSG m;
  ASSERT_TRUE(PeekMessageW(&m, HwndFromValue(-1), 0, 0, PM_REMOVE));
  EXPECT_EQ(m.message, WM_USER + 20u);
  EXPECT_EQ(m.hwnd, nullptr);
  EXPECT_TRUE(CloseHandle(ev));
  EXPECT_EQ(WaitForSingleObject(ev, 0), WAIT_FAILED);
}

}  // namespace

namespace {

TEST_F(Platform_Timers, RealTimeTimersWakeABlockedLoop) {
  ASSERT_FALSE(IsVirtualClock());
  HWND h = MakeTop(0, 0, 10, 10, WS_POPUP);
  Pump();
  SetTimer(h, 2, 15, nullptr);
  EXPECT_EQ(MsgWaitForMultipleObjects(0, nullptr, false, 5000, QS_TIMER), WAIT_OBJECT_0);
  MSG m;
  ASSERT_TRUE(PeekMessageW(&m, nullptr, WM_TIMER, WM_TIMER, PM_REMOVE));
  EXPECT_EQ(m.wParam, 2u);
  ASSERT_GT(GetMessageW(&m, nullptr, 0, 0), 0);  // blocks until the next period
  EXPECT_EQ(m.message, WM_TIMER);
  KillTimer(h, 2);
}

}  // namespace

#include "platform/classes/Threads.h"

namespace t_messages_test {

namespace {

TEST_F(Platform_MessagesThread, SynchronizeAndQueueRunDuringRetrieval) {
  ASSERT_EQ(MainThreadID(), GetCurrentThreadId());
  DWORD me = GetCurrentThreadId();
  std::atomic<DWORD> ranOn{0};
  std::atomic<int> queued{0};
  std::thread t([&] {
    // Blocks until the main thread, waiting in GetMessageW, runs it.
    TThread::Synchronize(nullptr, TThreadMethod([&] { ranOn = GetCurrentThreadId(); }));
    TThread::Queue(nullptr, TThreadMethod([&] { ++queued; }));
    PostThreadMessageW(me, WM_USER + 30, 0, 0);
  });
  MSG m;
  ASSERT_GT(GetMessageW(&m, nullptr, 0, 0), 0);
  EXPECT_EQ(m.message, WM_USER + 30u);
  t.join();
  EXPECT_EQ(ranOn.load(), me);
  PeekMessageW(&m, nullptr, 0, 0, PM_NOREMOVE);  // a queued method runs at the next look
  EXPECT_EQ(queued.load(), 1);
}

}  // namespace

}  // namespace t_messages_test
