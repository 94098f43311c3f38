// The ExtCtrls unit of the host layer: TTimer, the non-visual component
// that calls OnTimer every Interval milliseconds on the thread that made it.
#pragma once

#include "platform/classes/Component.h"
#include "platform/classes/PropInfo.h"
#include "platform/user/User.h"

namespace vcl {

// Ticks on the window server's one clock: a window timer on a hidden
// utility window, so OnTimer runs from the creating thread's message loop
// (in virtual-clock tests, when a loop would otherwise wait for it).
// Any change of Enabled, Interval or OnTimer starts the interval afresh;
// the timer runs only while it is enabled, has a non-zero interval and has
// a handler.
class TTimer : public TComponent {
  QN_CLASS_CREATE(TTimer, TComponent, TComponent)
 public:
  explicit TTimer(TComponent* AOwner);
  ~TTimer() override;

  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool Value);
  Cardinal Interval() const { return FInterval; }
  void SetInterval(Cardinal Value);
  TNotifyEvent OnTimer() const { return FOnTimer; }
  void SetOnTimer(const TNotifyEvent& Value);

  QN_PUBLISHED(TTimer) {
    QN_PROP(Enabled).Default(true);
    QN_PROP(Interval).Default(1000);
    QN_PROP(OnTimer);
  }

 protected:
  // Calls OnTimer; descendants may tick without a handler by overriding it.
  virtual void Timer();

 private:
  void UpdateTimer();
  void WndProc(TMessage& Msg);

  bool FEnabled = true;
  Cardinal FInterval = 1000;
  TNotifyEvent FOnTimer;
  HWND FWindowHandle = nullptr;
  bool FRunning = false;
};

}  // namespace vcl
