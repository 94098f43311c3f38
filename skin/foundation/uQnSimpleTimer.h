// uQnSimpleTimer: the twin of uSimpleTimer's TSimpleTimer with a hidden
// window of its own, and a constructor that takes the interval and handler.
#pragma once
#include "platform/rtl/MacroShield.h"

#include "skin/foundation/uSimpleTimer.h"

namespace qn {

namespace uQnSimpleTimer {

class TSimpleTimer : public detail::TWindowTimerBase {
  QN_CLASS(TSimpleTimer, detail::TWindowTimerBase)
 public:
  // Interval 1000, disabled, no handler.
  TSimpleTimer();
  // Disabled too: the caller enables it.
  TSimpleTimer(Cardinal Interval, const TNotifyEvent& OnTimer);
};

detail::TTimerWindow& SharedTimerWindow();

}  // namespace uQnSimpleTimer

void DoneQnSimpleTimer();

}  // namespace qn

#include "platform/rtl/MacroShieldEnd.h"
