#include "skin/foundation/uQnSimpleTimer.h"

namespace qn {

namespace uQnSimpleTimer {

detail::TTimerWindow& SharedTimerWindow() {
  static detail::TTimerWindow window;
  return window;
}

TSimpleTimer::TSimpleTimer() : TWindowTimerBase(SharedTimerWindow()) {}

TSimpleTimer::TSimpleTimer(Cardinal Interval, const TNotifyEvent& OnTimer) : TWindowTimerBase(SharedTimerWindow()) {
  SetInterval(Interval);
  SetOnTimer(OnTimer);
}

}  // namespace uQnSimpleTimer

void DoneQnSimpleTimer() { uQnSimpleTimer::SharedTimerWindow().Free(); }

}  // namespace qn
