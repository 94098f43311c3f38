// Shared-window timers on the virtual clock: periods, restarts, the shared
// and the twin windows, and timers that go while ticks are on their way.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "platform/desktop/Desktop.h"
#include "skin/foundation/uQnSimpleTimer.h"
#include "skin/foundation/uSimpleTimer.h"

namespace t_u_simple_timer_test {

// The suites carry the units' names, so the units' namespaces are reached
// through these names only.
using STimer = ::qn::uSimpleTimer::TSimpleTimer;
using QTimer = ::qn::uQnSimpleTimer::TSimpleTimer;
using namespace vcl;

namespace {

class TimerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetVirtualClock(true);
    Start = GetTickCount();
  }
  void TearDown() override {
    MSG m;
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
    }
    SetVirtualClock(false);
  }
  // Retrieves and dispatches messages until Done; with nothing queued the
  // retrieval waits for the next due timer, which moves the virtual clock.
  template <class F>
  void RunUntil(F Done, int MaxMessages = 200) {
    MSG m;
    for (int i = 0; i < MaxMessages && !Done(); ++i)
      if (GetMessageW(&m, nullptr, 0, 0) > 0) DispatchMessageW(&m);
  }
  DWORD Now() const { return GetTickCount() - Start; }
  DWORD Start = 0;
};

class uSimpleTimer : public TimerTest {};
class uQnSimpleTimer : public TimerTest {};

struct TTicks {
  const TimerTest* Test;
  std::vector<DWORD> At;
  DWORD Start;
  void Tick(TObject*) { At.push_back(GetTickCount() - Start); }
};

TEST_F(uSimpleTimer, TicksAtItsIntervalAndRestartsOnChanges) {
  STimer t;
  EXPECT_EQ(t.Interval(), 1000u);
  EXPECT_FALSE(t.Enabled());
  EXPECT_FALSE(static_cast<bool>(t.OnTimer()));

  TTicks log{this, {}, Start};
  t.SetOnTimer(TNotifyEvent(&log, &TTicks::Tick));
  t.SetInterval(100);
  t.SetEnabled(true);
  RunUntil([&] { return log.At.size() >= 3; });
  EXPECT_EQ(log.At, (std::vector<DWORD>{100, 200, 300}));

  // A new interval while enabled starts a whole new period from now.
  AdvanceClock(60);
  t.SetInterval(50);
  RunUntil([&] { return log.At.size() >= 4; });
  EXPECT_EQ(log.At.back(), 410u);

  // Disabled, it stays silent while another timer drives the loop.
  t.SetEnabled(false);
  STimer driver;
  int driven = 0;
  driver.SetInterval(30);
  driver.SetOnTimer(TNotifyEvent([&](TObject*) { ++driven; }));
  driver.SetEnabled(true);
  RunUntil([&] { return driven >= 6; });
  EXPECT_EQ(log.At.size(), 4u);
}

TEST_F(uSimpleTimer, ZeroIntervalNeverTicksAndTimersShareOneWindow) {
  STimer zero, driver;
  int zeroTicks = 0, driven = 0;
  zero.SetInterval(0);
  zero.SetOnTimer(TNotifyEvent([&](TObject*) { ++zeroTicks; }));
  zero.SetEnabled(true);
  EXPECT_TRUE(zero.Enabled());
  driver.SetInterval(20);
  driver.SetOnTimer(TNotifyEvent([&](TObject*) { ++driven; }));
  driver.SetEnabled(true);
  RunUntil([&] { return driven >= 5; });
  EXPECT_EQ(zeroTicks, 0);

  // Given an interval while enabled, it starts.
  zero.SetInterval(15);
  RunUntil([&] { return zeroTicks >= 2; });
  EXPECT_EQ(zeroTicks, 2);

  ASSERT_NE(zero.WindowHandle(), nullptr);
  EXPECT_EQ(zero.WindowHandle(), driver.WindowHandle());
  EXPECT_EQ(::qn::uSimpleTimer::SharedTimerWindow().LiveCount(), 2);
}

TEST_F(uSimpleTimer, FreeingInsideItsOwnTickAndStaleTicksAreSafe) {
  auto* doomed = new STimer();
  int doomedTicks = 0, driven = 0;
  doomed->SetInterval(10);
  doomed->SetOnTimer(TNotifyEvent([&](TObject* Sender) {
    ++doomedTicks;
    delete static_cast<STimer*>(Sender);
  }));
  doomed->SetEnabled(true);
  STimer driver;
  driver.SetInterval(25);
  driver.SetOnTimer(TNotifyEvent([&](TObject*) { ++driven; }));
  driver.SetEnabled(true);
  RunUntil([&] { return driven >= 3; });
  EXPECT_EQ(doomedTicks, 1);

  // Ticks posted for ids that no live timer holds are dropped.
  const HWND w = driver.WindowHandle();
  for (WPARAM id = 0; id < 64; ++id) PostMessageW(w, WM_TIMER, id + 1000, 0);
  const int before = driven;
  MSG m;
  while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);
  EXPECT_EQ(driven, before);
  EXPECT_EQ(doomedTicks, 1);
}

TEST_F(uQnSimpleTimer, HasAWindowOfItsOwnAndTakesIntervalAndHandler) {
  TTicks log{this, {}, Start};
  QTimer twin(40, TNotifyEvent(&log, &TTicks::Tick));
  EXPECT_EQ(twin.Interval(), 40u);
  EXPECT_FALSE(twin.Enabled());
  twin.SetEnabled(true);
  EXPECT_TRUE(twin.Enabled());
  STimer other;
  other.SetInterval(1000);
  other.SetEnabled(true);
  RunUntil([&] { return log.At.size() >= 2; });
  EXPECT_EQ(log.At, (std::vector<DWORD>{40, 80}));
  ASSERT_NE(twin.WindowHandle(), nullptr);
  EXPECT_NE(twin.WindowHandle(), other.WindowHandle());

  QTimer plain;
  EXPECT_EQ(plain.Interval(), 1000u);
  EXPECT_FALSE(plain.Enabled());
  EXPECT_EQ(plain.WindowHandle(), twin.WindowHandle());
}

}  // namespace

}  // namespace t_u_simple_timer_test
