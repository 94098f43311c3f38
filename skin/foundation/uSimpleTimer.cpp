#include "skin/foundation/uSimpleTimer.h"

namespace qn {

namespace detail {

UINT_PTR TTimerWindow::Start(TWindowTimerBase* Timer, Cardinal Interval) {
  if (!FHandle) FHandle = AllocateHWnd([this](TMessage& Msg) { WndProc(Msg); });
  const UINT_PTR id = FNextId++;
  if (!SetTimer(FHandle, id, Interval, nullptr)) return 0;
  FLive.emplace(id, Timer);
  return id;
}

void TTimerWindow::Stop(UINT_PTR Id) {
  if (!Id) return;
  FLive.erase(Id);
  if (FHandle) KillTimer(FHandle, Id);
}

void TTimerWindow::Free() {
  for (auto& [id, timer] : FLive) timer->FId = 0;
  FLive.clear();
  if (FHandle) {
    DeallocateHWnd(FHandle);
    FHandle = nullptr;
  }
}

void TTimerWindow::WndProc(TMessage& Msg) {
  if (Msg.Msg == WM_TIMER) {
    auto it = FLive.find(static_cast<UINT_PTR>(Msg.WParam));
    // A tick for a timer that has gone meanwhile is dropped.
    if (it != FLive.end()) it->second->Timer();
    return;
  }
  Msg.Result = DefWindowProcW(FHandle, Msg.Msg, Msg.WParam, Msg.LParam);
}

TWindowTimerBase::~TWindowTimerBase() { FWindow.Stop(FId); }

void TWindowTimerBase::Update() {
  FWindow.Stop(FId);
  FId = 0;
  if (FEnabled && FInterval > 0) FId = FWindow.Start(this, FInterval);
}

void TWindowTimerBase::SetInterval(Cardinal Value) {
  if (FInterval == Value) return;
  FInterval = Value;
  Update();
}

void TWindowTimerBase::SetEnabled(bool Value) {
  if (FEnabled == Value) return;
  FEnabled = Value;
  Update();
}

void TWindowTimerBase::Timer() {
  if (FOnTimer) FOnTimer(this);
}

}  // namespace detail

namespace uSimpleTimer {

detail::TTimerWindow& SharedTimerWindow() {
  static detail::TTimerWindow window;
  return window;
}

TSimpleTimer::TSimpleTimer() : TWindowTimerBase(SharedTimerWindow()) {}

}  // namespace uSimpleTimer

void DoneSimpleTimer() { uSimpleTimer::SharedTimerWindow().Free(); }

}  // namespace qn
