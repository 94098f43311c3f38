#include <atomic>
#include <string>
#include <thread>

#include "tests/platform/user/UserTestSupport.h"

namespace t_hooks_test {

using namespace vcl;
using namespace usertest;

namespace {

// Hook procedures are plain functions; they report here.
std::vector<std::string> gCalls;
HHOOK gA = nullptr, gB = nullptr, gC = nullptr;
bool gCRemovesItself = false;
const UINT kProbe = WM_USER + 77;

LRESULT ChainA(int code, WPARAM wp, LPARAM lp) {
  auto* c = reinterpret_cast<CWPSTRUCT*>(lp);
  if (c->message == kProbe) gCalls.push_back("A");
  return CallNextHookEx(gA, code, wp, lp);
}
LRESULT ChainB(int code, WPARAM wp, LPARAM lp) {
  auto* c = reinterpret_cast<CWPSTRUCT*>(lp);
  if (c->message == kProbe) gCalls.push_back("B");
  return CallNextHookEx(gB, code, wp, lp);
}
LRESULT ChainC(int code, WPARAM wp, LPARAM lp) {
  auto* c = reinterpret_cast<CWPSTRUCT*>(lp);
  if (c->message == kProbe) {
    gCalls.push_back("C");
    if (gCRemovesItself) {
      EXPECT_TRUE(UnhookWindowsHookEx(gC));
      // The rest of the chain is still reachable through the removed hook.
    }
  }
  return CallNextHookEx(gC, code, wp, lp);
}

class HooksTest : public ServerTest {
 protected:
  void SetUp() override {
    ServerTest::SetUp();
    gCalls.clear();
    gCRemovesItself = false;
  }
  void TearDown() override {
    for (HHOOK* h : {&gA, &gB, &gC})
      if (*h) {
        UnhookWindowsHookEx(*h);
        *h = nullptr;
      }
    ServerTest::TearDown();
  }
};

class Platform_Hooks : public HooksTest {};

TEST_F(Platform_Hooks, ChainsRunNewestFirstAndSurviveRemovalInAnyOrder) {
  HWND h = MakeTop(0, 0, 50, 50, WS_POPUP);
  gA = SetWindowsHookExW(WH_CALLWNDPROC, ChainA, nullptr, GetCurrentThreadId());
  gB = SetWindowsHookExW(WH_CALLWNDPROC, ChainB, nullptr, GetCurrentThreadId());
  gC = SetWindowsHookExW(WH_CALLWNDPROC, ChainC, nullptr, 0);
  ASSERT_TRUE(gA && gB && gC);
  SendMessageW(h, kProbe, 0, 0);
  EXPECT_EQ(gCalls, (std::vector<std::string>{"C", "B", "A"}));
  // Posted messages are not seen by the call-window hook.
  gCalls.clear();
  PostMessageW(h, kProbe, 0, 0);
  Pump();
  EXPECT_TRUE(gCalls.empty());
  // The middle one goes: the chain closes over the gap.
  EXPECT_TRUE(UnhookWindowsHookEx(gB));
  EXPECT_FALSE(UnhookWindowsHookEx(gB));
  gB = nullptr;
  gCalls.clear();
  SendMessageW(h, kProbe, 0, 0);
  EXPECT_EQ(gCalls, (std::vector<std::string>{"C", "A"}));
  // The first one removes itself while running and still passes on.
  gCRemovesItself = true;
  gCalls.clear();
  SendMessageW(h, kProbe, 0, 0);
  EXPECT_EQ(gCalls, (std::vector<std::string>{"C", "A"}));
  gC = nullptr;
  gCalls.clear();
  SendMessageW(h, kProbe, 0, 0);
  EXPECT_EQ(gCalls, (std::vector<std::string>{"A"}));
  // A hook for another thread is not called here.
  HHOOK other = SetWindowsHookExW(WH_CALLWNDPROC, ChainB, nullptr, GetCurrentThreadId() + 1);
  gCalls.clear();
  SendMessageW(h, kProbe, 0, 0);
  EXPECT_EQ(gCalls, (std::vector<std::string>{"A"}));
  UnhookWindowsHookEx(other);
  EXPECT_EQ(SetWindowsHookExW(12345, ChainA, nullptr, 0), nullptr);
}

LRESULT gLastResult = 0;
LRESULT RetHook(int code, WPARAM wp, LPARAM lp) {
  auto* c = reinterpret_cast<CWPRETSTRUCT*>(lp);
  if (c->message == kProbe) gLastResult = c->lResult;
  return CallNextHookEx(nullptr, code, wp, lp);
}

LRESULT GetMsgHook(int code, WPARAM wp, LPARAM lp) {
  auto* m = reinterpret_cast<MSG*>(lp);
  if (m->message == kProbe) {
    gCalls.push_back(wp == PM_REMOVE ? "remove" : "peek");
    m->wParam = 99;  // the retriever sees what the hook leaves
  }
  return CallNextHookEx(nullptr, code, wp, lp);
}

TEST_F(Platform_Hooks, ReturnAndGetMessageHooksSeeResultsAndMayChangeMessages) {
  HWND h = MakeTop(0, 0, 50, 50, WS_POPUP);
  SetHandler(h, [](HWND, UINT msg, WPARAM wp, LPARAM, bool& handled) -> LRESULT {
    handled = msg == kProbe;
    return LRESULT(wp) * 2;
  });
  gA = SetWindowsHookExW(WH_CALLWNDPROCRET, RetHook, nullptr, 0);
  gB = SetWindowsHookExW(WH_GETMESSAGE, GetMsgHook, nullptr, 0);
  EXPECT_EQ(SendMessageW(h, kProbe, 21, 0), 42);
  EXPECT_EQ(gLastResult, 42);
  PostMessageW(h, kProbe, 1, 0);
  MSG m;
  ASSERT_TRUE(PeekMessageW(&m, nullptr, kProbe, kProbe, PM_NOREMOVE));
  EXPECT_EQ(m.wParam, 99u);
  ASSERT_EQ(GetMessageW(&m, nullptr, kProbe, kProbe), 1);
  EXPECT_EQ(m.wParam, 99u);
  EXPECT_EQ(gCalls, (std::vector<std::string>{"peek", "remove"}));
}

int gVetoCode = -1;
std::vector<int> gCbtCodes;
LRESULT CbtHook(int code, WPARAM wp, LPARAM lp) {
  gCbtCodes.push_back(code);
  if (code == HCBT_CREATEWND) {
    auto* c = reinterpret_cast<CBT_CREATEWNDW*>(lp);
    EXPECT_NE(c->lpcs, nullptr);
    EXPECT_TRUE(IsWindow(reinterpret_cast<HWND>(wp)));
  }
  if (code == gVetoCode) return 1;
  return CallNextHookEx(nullptr, code, wp, lp);
}

TEST_F(Platform_Hooks, ComputerBasedTrainingHookCanVetoCreationDestructionAndActivation) {
  gA = SetWindowsHookExW(WH_CBT, CbtHook, nullptr, GetCurrentThreadId());
  gCbtCodes.clear();
  gVetoCode = HCBT_CREATEWND;
  EXPECT_EQ(MakeTop(0, 0, 50, 50), nullptr);
  {
    std::lock_guard<std::mutex> lk(LogLock());
    for (auto& l : Log()) EXPECT_NE(l.Msg, UINT(WM_NCCREATE));
  }
  gVetoCode = HCBT_DESTROYWND;
  HWND a = MakeTop(0, 0, 50, 50);
  HWND b = MakeTop(100, 0, 50, 50);
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(GetActiveWindow(), b);
  EXPECT_FALSE(DestroyWindow(a));
  EXPECT_TRUE(IsWindow(a));
  gVetoCode = HCBT_ACTIVATE;
  EXPECT_EQ(SetActiveWindow(a), nullptr);
  EXPECT_EQ(GetActiveWindow(), b);
  EXPECT_NE(std::find(gCbtCodes.begin(), gCbtCodes.end(), HCBT_ACTIVATE), gCbtCodes.end());
  gVetoCode = -1;
  EXPECT_EQ(SetActiveWindow(a), b);
  EXPECT_TRUE(UnhookWindowsHookEx(gA));
  gA = nullptr;
  EXPECT_TRUE(DestroyWindow(a));
}

// WinEvents: what arrived, on which thread.
struct Seen {
  DWORD Event;
  HWND Hwnd;
  LONG Object;
  DWORD EventThread;
  DWORD CalledOn;
};
std::mutex gSeenLock;
std::vector<Seen> gSeen;
void WinEventProc(HWINEVENTHOOK, DWORD event, HWND h, LONG obj, LONG, DWORD thread, DWORD) {
  std::lock_guard<std::mutex> lk(gSeenLock);
  gSeen.push_back({event, h, obj, thread, GetCurrentThreadId()});
}
std::vector<DWORD> EventsFor(HWND h) {
  std::lock_guard<std::mutex> lk(gSeenLock);
  std::vector<DWORD> r;
  for (auto& s : gSeen)
    if (s.Hwnd == h) r.push_back(s.Event);
  return r;
}

TEST_F(Platform_Hooks, WinEventsArriveOnRetrievalOnTheInstallingThread) {
  {
    std::lock_guard<std::mutex> lk(gSeenLock);
    gSeen.clear();
  }
  HWINEVENTHOOK hook = SetWinEventHook(EVENT_OBJECT_CREATE, EVENT_OBJECT_LOCATIONCHANGE, nullptr, WinEventProc, 0,
                                       0, WINEVENT_OUTOFCONTEXT);
  ASSERT_NE(hook, nullptr);
  HWND h = MakeTop(0, 0, 50, 50, WS_POPUP);
  EXPECT_TRUE(EventsFor(h).empty());  // not yet: only when this thread retrieves
  MSG m;
  PeekMessageW(&m, nullptr, 0, 0, PM_NOREMOVE);
  EXPECT_EQ(EventsFor(h), (std::vector<DWORD>{EVENT_OBJECT_CREATE}));
  ShowWindow(h, SW_SHOWNA);
  MoveWindow(h, 10, 10, 60, 60, true);
  ShowWindow(h, SW_HIDE);
  NotifyWinEvent(EVENT_OBJECT_FOCUS, h, OBJID_CLIENT, CHILDID_SELF);
  DestroyWindow(h);
  Pump();
  EXPECT_EQ(EventsFor(h), (std::vector<DWORD>{EVENT_OBJECT_CREATE, EVENT_OBJECT_SHOW, EVENT_OBJECT_LOCATIONCHANGE,
                                              EVENT_OBJECT_HIDE, EVENT_OBJECT_FOCUS, EVENT_OBJECT_DESTROY}));

  // A window made on another thread: the event names that thread, the
  // callback runs here.
  {
    std::lock_guard<std::mutex> lk(gSeenLock);
    gSeen.clear();
  }
  HWND other = nullptr;
  DWORD workerId = 0;
  std::thread worker([&] {
    workerId = GetCurrentThreadId();
    other = CreateWindowExW(0, TestClass(), u"w", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    DestroyWindow(other);
  });
  worker.join();
  Pump();
  {
    std::lock_guard<std::mutex> lk(gSeenLock);
    ASSERT_EQ(gSeen.size(), 2u);
    EXPECT_EQ(gSeen[0].Event, EVENT_OBJECT_CREATE);
    EXPECT_EQ(gSeen[0].Hwnd, other);
    EXPECT_EQ(gSeen[0].EventThread, workerId);
    EXPECT_EQ(gSeen[0].CalledOn, GetCurrentThreadId());
    EXPECT_EQ(gSeen[1].Event, EVENT_OBJECT_DESTROY);
  }
  // Events still waiting for a removed hook are dropped with it; a range
  // limits what a hook gets.
  HWINEVENTHOOK narrow = SetWinEventHook(EVENT_OBJECT_DESTROY, EVENT_OBJECT_DESTROY, nullptr, WinEventProc, 0, 0,
                                         WINEVENT_OUTOFCONTEXT);
  HWND last = MakeTop(0, 0, 10, 10, WS_POPUP);
  EXPECT_TRUE(UnhookWinEvent(hook));
  EXPECT_FALSE(UnhookWinEvent(hook));
  DestroyWindow(last);
  Pump();
  EXPECT_EQ(EventsFor(last), (std::vector<DWORD>{EVENT_OBJECT_DESTROY}));
  UnhookWinEvent(narrow);
  // A change of the foreground window is an event of its own.
  HWINEVENTHOOK fg = SetWinEventHook(EVENT_SYSTEM_FOREGROUND, EVENT_SYSTEM_FOREGROUND, nullptr, WinEventProc, 0, 0,
                                     WINEVENT_OUTOFCONTEXT);
  HWND a = MakeTop(0, 0, 10, 10);
  HWND b = MakeTop(20, 0, 10, 10);
  SetActiveWindow(a);
  Pump();
  EXPECT_EQ(EventsFor(a), (std::vector<DWORD>{EVENT_SYSTEM_FOREGROUND, EVENT_SYSTEM_FOREGROUND}));
  EXPECT_EQ(EventsFor(b), (std::vector<DWORD>{EVENT_SYSTEM_FOREGROUND}));
  // Skipping its own thread, a hook hears nothing of this one.
  UnhookWinEvent(fg);
  fg = SetWinEventHook(EVENT_MIN, EVENT_MAX, nullptr, WinEventProc, 0, 0, WINEVENT_SKIPOWNTHREAD);
  {
    std::lock_guard<std::mutex> lk(gSeenLock);
    gSeen.clear();
  }
  SetActiveWindow(b);
  Pump();
  EXPECT_TRUE(EventsFor(b).empty());
  UnhookWinEvent(fg);
}

}  // namespace

namespace {

std::atomic<int> gSentSeen{0};
LRESULT CountingHook(int code, WPARAM wp, LPARAM lp) {
  if (reinterpret_cast<CWPSTRUCT*>(lp)->message == kProbe) ++gSentSeen;
  return CallNextHookEx(nullptr, code, wp, lp);
}

class Platform_HooksThread : public HooksTest {};

TEST_F(Platform_HooksThread, HooksAndWinEventsServeManyThreadsAtOnce) {
  {
    std::lock_guard<std::mutex> lk(gSeenLock);
    gSeen.clear();
  }
  gSentSeen = 0;
  // A process-wide call-window hook runs on each sending thread; WinEvents
  // from every thread come to this one.
  HHOOK hook = SetWindowsHookExW(WH_CALLWNDPROC, CountingHook, nullptr, 0);
  HWINEVENTHOOK ev = SetWinEventHook(EVENT_OBJECT_CREATE, EVENT_OBJECT_CREATE, nullptr, WinEventProc, 0, 0,
                                     WINEVENT_OUTOFCONTEXT);
  constexpr int kThreads = 4, kWindows = 10;
  std::vector<std::thread> workers;
  for (int t = 0; t < kThreads; ++t)
    workers.emplace_back([] {
      for (int i = 0; i < kWindows; ++i) {
        HWND w = CreateWindowExW(0, TestClass(), u"w", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
        SendMessageW(w, kProbe, 0, 0);
        DestroyWindow(w);
      }
    });
  for (auto& w : workers) w.join();
  Pump();
  UnhookWinEvent(ev);
  UnhookWindowsHookEx(hook);
  EXPECT_EQ(gSentSeen.load(), kThreads * kWindows);
  std::lock_guard<std::mutex> lk(gSeenLock);
  EXPECT_EQ(int(gSeen.size()), kThreads * kWindows);
  for (auto& s : gSeen) EXPECT_EQ(s.CalledOn, GetCurrentThreadId());
}

}  // namespace

}  // namespace t_hooks_test
