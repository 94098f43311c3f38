// uSimpleTimer: TSimpleTimer, a repeating timer whose ticks arrive on the
// user-interface thread through one hidden window that all timers of the
// unit share. uQnSimpleTimer has a twin of it with a window of its own; the
// two classes live in namespaces named after their units.
//
// Each enabled timer holds an id from its window's registry of live timers,
// new on every start. A tick still queued for an id that has gone (a timer
// stopped, restarted or freed, even inside its own OnTimer) finds nothing
// in the registry and is dropped.
#pragma once
#include "platform/rtl/MacroShield.h"

#include <unordered_map>

#include "graphics/raster/QnBase.h"
#include "platform/rtl/System.h"
#include "platform/user/User.h"

namespace qn {

namespace detail {

class TWindowTimerBase;

// The hidden window of one timer unit; made on the first start, freed with
// the unit.
class TTimerWindow {
 public:
  // The unit's finalisation frees the window; at process exit the window
  // server may already be gone, so destruction leaves it alone.
  TTimerWindow() = default;
  UINT_PTR Start(TWindowTimerBase* Timer, Cardinal Interval);
  void Stop(UINT_PTR Id);
  // The window, nil before the first start and after Free.
  HWND Handle() const { return FHandle; }
  Integer LiveCount() const { return static_cast<Integer>(FLive.size()); }
  void Free();

 private:
  void WndProc(TMessage& Msg);
  HWND FHandle = nullptr;
  UINT_PTR FNextId = 1;
  std::unordered_map<UINT_PTR, TWindowTimerBase*> FLive;
};

class TWindowTimerBase : public TObject {
  QN_CLASS(TWindowTimerBase, TObject)
 public:
  ~TWindowTimerBase() override;

  Cardinal Interval() const { return FInterval; }
  // Changing it while enabled starts a new period.
  void SetInterval(Cardinal Value);
  bool Enabled() const { return FEnabled; }
  // True starts repeating ticks (none while Interval is 0); False stops them.
  void SetEnabled(bool Value);
  TNotifyEvent OnTimer() const { return FOnTimer; }
  void SetOnTimer(const TNotifyEvent& Value) { FOnTimer = Value; }
  NativeInt Tag() const { return FTag; }
  void SetTag(NativeInt Value) { FTag = Value; }
  // The window the ticks come through (nil before any timer of the unit ran).
  HWND WindowHandle() const { return FWindow.Handle(); }

 protected:
  explicit TWindowTimerBase(TTimerWindow& Window) : FWindow(Window) {}
  virtual void Timer();

 private:
  friend class TTimerWindow;
  void Update();
  TTimerWindow& FWindow;
  Cardinal FInterval = 1000;
  bool FEnabled = false;
  TNotifyEvent FOnTimer;
  NativeInt FTag = 0;
  UINT_PTR FId = 0;
};

}  // namespace detail

namespace uSimpleTimer {

class TSimpleTimer : public detail::TWindowTimerBase {
  QN_CLASS(TSimpleTimer, detail::TWindowTimerBase)
 public:
  // Interval 1000, disabled, no handler.
  TSimpleTimer();
};

// The unit's shared window (for tests and the unit's finalisation).
detail::TTimerWindow& SharedTimerWindow();

}  // namespace uSimpleTimer

void DoneSimpleTimer();

}  // namespace qn

#include "platform/rtl/MacroShieldEnd.h"
