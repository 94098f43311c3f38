#include <vector>

#include "platform/classes/Streaming.h"
#include "platform/vcl/ExtCtrls.h"
#include "tests/platform/vcl/FormsTestSupport.h"

namespace t_application_test {

using namespace vcl;
using namespace formstest;

namespace {

class Platform_Timer : public FormsTest {};
class Platform_Application : public FormsTest {};
class Platform_Screen : public FormsTest {};

// Records the clock at every tick, relative to a start.
struct TTickLog {
  DWORD Start = GetTickCount();
  std::vector<DWORD> At;
  void Tick(TObject*) { At.push_back(GetTickCount() - Start); }
};

TEST_F(Platform_Timer, TicksEveryIntervalOnTheVirtualClock) {
  TTickLog log;
  TTimer t(nullptr);
  t.SetInterval(100);
  t.SetOnTimer(TNotifyEvent(&log, &TTickLog::Tick));
  // Idling waits for the next due timer, which moves the virtual clock.
  while (log.At.size() < 3) Application->HandleMessage();
  EXPECT_EQ(log.At, (std::vector<DWORD>{100, 200, 300}));
}

TEST_F(Platform_Timer, ReEnablingAndChangesRestartTheInterval) {
  TTickLog log;
  TTimer t(nullptr);
  t.SetInterval(100);
  t.SetOnTimer(TNotifyEvent(&log, &TTickLog::Tick));
  AdvanceClock(60);
  Application->ProcessMessages();
  t.SetEnabled(false);
  t.SetEnabled(true);  // a whole interval from 60
  while (log.At.size() < 1) Application->HandleMessage();
  EXPECT_EQ(log.At.back(), 160u);
  AdvanceClock(30);
  Application->ProcessMessages();
  t.SetInterval(50);  // restarts at 190
  while (log.At.size() < 2) Application->HandleMessage();
  EXPECT_EQ(log.At.back(), 240u);
  // Setting the same value again is no change and keeps the phase.
  AdvanceClock(20);
  t.SetInterval(50);
  t.SetEnabled(true);
  while (log.At.size() < 3) Application->HandleMessage();
  EXPECT_EQ(log.At.back(), 290u);
}

TEST_F(Platform_Timer, RunsOnlyEnabledWithAnIntervalAndAHandler) {
  TTickLog log;
  TTimer t(nullptr);
  t.SetInterval(10);
  AdvanceClock(100);
  Application->ProcessMessages();  // no handler yet: nothing to call
  t.SetEnabled(false);
  t.SetOnTimer(TNotifyEvent(&log, &TTickLog::Tick));
  AdvanceClock(100);
  Application->ProcessMessages();
  t.SetEnabled(true);
  t.SetInterval(0);
  AdvanceClock(100);
  Application->ProcessMessages();
  EXPECT_TRUE(log.At.empty());
  t.SetInterval(10);
  AdvanceClock(10);
  Application->ProcessMessages();
  EXPECT_EQ(log.At.size(), 1u);
}

TEST_F(Platform_Timer, FreeingStopsItAndHandlerErrorsGoToTheApplication) {
  int ticks = 0;
  String seen;
  Application->OnException = [&](TObject* Sender, Exception* E) {
    EXPECT_TRUE(Is<TTimer>(Sender));
    seen = E->Message();
  };
  {
    TTimer t(nullptr);
    t.SetInterval(10);
    t.SetOnTimer([&](TObject*) {
      ++ticks;
      throw EConvertError(u"bad tick");
    });
    AdvanceClock(10);
    Application->ProcessMessages();
    EXPECT_EQ(ticks, 1);
    EXPECT_EQ(seen, u"bad tick");
    AdvanceClock(5);
  }
  AdvanceClock(50);
  Application->ProcessMessages();
  EXPECT_EQ(ticks, 1);
}

TEST_F(Platform_Timer, OwnerFreesItAndItStreamsItsProperties) {
  auto* owner = new TComponent(nullptr);
  auto* t = new TTimer(owner);
  EXPECT_TRUE(IsPublishedProp(t, u"Interval"));
  SetOrdProp(t, u"Interval", 250);
  SetOrdProp(t, u"Enabled", 0);
  EXPECT_EQ(t->Interval(), 250u);
  EXPECT_FALSE(t->Enabled());
  delete owner;
}


struct THookLog {
  std::vector<int> Order;
  bool StopAt2 = false;
  bool One(TMessage& m) {
    if (m.Msg != WM_USER + 7) return false;
    Order.push_back(1);
    m.Result = 1;
    return false;
  }
  bool Two(TMessage& m) {
    if (m.Msg != WM_USER + 7) return false;
    Order.push_back(2);
    m.Result = 2;
    return StopAt2;
  }
};

TEST_F(Platform_Application, HooksSeeTheApplicationWindowsMessagesNewestFirst) {
  THookLog log;
  Application->HookMainWindow(TWindowHook(&log, &THookLog::One));
  Application->HookMainWindow(TWindowHook(&log, &THookLog::Two));
  HWND h = Application->Handle();
  ASSERT_TRUE(IsWindow(h));
  EXPECT_FALSE(IsWindowVisible(h));
  SendMessageW(h, WM_USER + 7, 0, 0);
  EXPECT_EQ(log.Order, (std::vector<int>{2, 1}));
  log.Order.clear();
  log.StopAt2 = true;
  EXPECT_EQ(SendMessageW(h, WM_USER + 7, 0, 0), 2);
  EXPECT_EQ(log.Order, (std::vector<int>{2}));
  // Unhooking finds the hook by its object and method.
  Application->UnhookMainWindow(TWindowHook(&log, &THookLog::Two));
  log.Order.clear();
  SendMessageW(h, WM_USER + 7, 0, 0);
  EXPECT_EQ(log.Order, (std::vector<int>{1}));
}

TEST_F(Platform_Application, TitleIsTheWindowTextAndTheHandleComesBack) {
  Application->SetTitle(u"Shop");
  HWND h = Application->Handle();
  EXPECT_EQ(GetWindowText(h), u"Shop");
  DestroyWindow(h);
  HWND again = Application->Handle();
  EXPECT_TRUE(IsWindow(again));
  EXPECT_EQ(GetWindowText(again), u"Shop");
}

TEST_F(Platform_Application, MessagesPassOnMessageAndTerminateEndsTheLoop) {
  HWND h = Application->Handle();
  std::vector<UINT> seen, dispatched;
  Application->HookMainWindow([&](TMessage& m) {
    if (m.Msg >= WM_USER) dispatched.push_back(m.Msg);
    return false;
  });
  Application->OnMessage = [&](MSG& m, bool& handled) {
    seen.push_back(m.message);
    handled = m.message == WM_USER + 2;
  };
  PostMessageW(h, WM_USER + 1, 0, 0);
  PostMessageW(h, WM_USER + 2, 0, 0);
  PostMessageW(h, WM_USER + 3, 0, 0);
  Application->ProcessMessages();
  EXPECT_EQ(dispatched, (std::vector<UINT>{WM_USER + 1, WM_USER + 3}));
  EXPECT_FALSE(Application->Terminated());
  Application->Terminate();
  EXPECT_FALSE(Application->Terminated());
  Application->ProcessMessages();
  EXPECT_TRUE(Application->Terminated());
}

TEST_F(Platform_Application, IdleRunsOnIdleAndWaitsOnlyWhenDone) {
  int idles = 0;
  Application->OnIdle = [&](TObject* Sender, bool& Done) {
    EXPECT_EQ(Sender, Application);
    ++idles;
    Done = false;  // no waiting: HandleMessage returns at once
  };
  Application->HandleMessage();
  EXPECT_EQ(idles, 1);
  // With a message waiting there is no idle.
  PostMessageW(Application->Handle(), WM_USER, 0, 0);
  Application->HandleMessage();
  EXPECT_EQ(idles, 1);
}

TEST_F(Platform_Application, HandleExceptionReportsAllButAbort) {
  std::vector<String> seen;
  Application->OnException = [&](TObject*, Exception* E) { seen.push_back(E->Message()); };
  try {
    Abort();
  } catch (...) {
    Application->HandleException(nullptr);
  }
  try {
    throw EConvertError(u"one");
  } catch (...) {
    Application->HandleException(nullptr);
  }
  try {
    throw std::runtime_error("two");
  } catch (...) {
    Application->HandleException(nullptr);
  }
  Application->HandleException(nullptr);  // outside a handler: nothing
  EXPECT_EQ(seen, (std::vector<String>{u"one", u"two"}));
}

TEST_F(Platform_Screen, SizesAndMonitorsFollowTheServer) {
  SetScreenConfiguration({{TRect(0, 0, 1024, 768), TRect(), true}, {TRect(1024, 0, 1824, 600), TRect(), false}});
  EXPECT_EQ(Screen->Width(), 1024);
  EXPECT_EQ(Screen->Height(), 768);
  EXPECT_EQ(Screen->WorkAreaRect(), TRect(0, 0, 1024, 728));
  EXPECT_EQ(Screen->DesktopRect(), TRect(0, 0, 1824, 768));
  ASSERT_EQ(Screen->MonitorCount(), 2);
  TMonitor* second = Screen->MonitorFromPoint(TPoint(1500, 100));
  ASSERT_NE(second, nullptr);
  EXPECT_FALSE(second->Primary());
  EXPECT_EQ(second->BoundsRect(), TRect(1024, 0, 1824, 600));
  EXPECT_EQ(second->Width(), 800);
  EXPECT_EQ(Screen->Monitors(second->MonitorNum()), second);
  EXPECT_TRUE(Screen->PrimaryMonitor()->Primary());
  EXPECT_EQ(Screen->MonitorFromPoint(TPoint(5000, 5000), mdNull), nullptr);
  EXPECT_EQ(Screen->MonitorFromRect(TRect(1000, 10, 1300, 50)), second);
  EXPECT_THROW(Screen->Monitors(2), EListError);
  EXPECT_EQ(Screen->PixelsPerInch(), 96);
  EXPECT_FALSE(Screen->HintFont()->Name().empty());
  EXPECT_FALSE(Screen->MenuFont()->Name().empty());
}

TEST_F(Platform_Screen, CursorIdsTakeOverTheirHandles) {
  auto make = [] {
    HBITMAP mask = CreateBitmap(16, 32, 1, 1, nullptr);
    ICONINFO ii;
    ii.fIcon = 0;
    ii.hbmMask = mask;
    HCURSOR c = CreateIconIndirect(&ii);
    DeleteObject(mask);
    return c;
  };
  int before = IconObjectCount();
  HCURSOR a = make(), b = make();
  Screen->SetCursors(5, a);
  EXPECT_EQ(Screen->Cursors(5), a);
  Screen->SetCursors(5, b);  // the replaced one is destroyed
  EXPECT_EQ(Screen->Cursors(5), b);
  EXPECT_EQ(IconObjectCount(), before + 1);
  EXPECT_EQ(Screen->Cursors(crNone), nullptr);
  EXPECT_EQ(Screen->Cursors(77), Screen->Cursors(crDefault));
  Screen->SetCursor(5);
  EXPECT_EQ(GetCursor(), b);
  EXPECT_EQ(Screen->Cursor(), 5);
  Screen->SetCursors(5, nullptr);
  EXPECT_EQ(IconObjectCount(), before);
  Screen->SetCursor(crDefault);
}

TEST_F(Platform_Screen, CursorNamesRoundTrip) {
  EXPECT_EQ(CursorToString(crHandPoint), u"crHandPoint");
  EXPECT_EQ(StringToCursor(u"crSizeWE"), crSizeWE);
  EXPECT_EQ(CursorToString(12), u"12");
  EXPECT_EQ(StringToCursor(u"12"), 12);
  EXPECT_THROW(StringToCursor(u"crNothing"), EConvertError);
  Integer v = 0;
  ASSERT_NE(FindIdentToInt(u"TCursor"), nullptr);
  EXPECT_TRUE(FindIdentToInt(u"TCursor")(u"crHSplit", v));
  EXPECT_EQ(v, crHSplit);
}

TEST_F(Platform_Screen, MouseReadsThePointer) {
  InputMouseMove(123, 45);
  EXPECT_EQ(Mouse->CursorPos(), TPoint(123, 45));
  EXPECT_EQ(Mouse->DragThreshold(), 5);
  EXPECT_TRUE(Mouse->WheelPresent());
}

}  // namespace

}  // namespace t_application_test
