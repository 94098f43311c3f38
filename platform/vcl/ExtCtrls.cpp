#include "platform/vcl/ExtCtrls.h"

#include "platform/vcl/Forms.h"
#include "platform/vcl/Graphic.h"

namespace vcl {

TTimer::TTimer(TComponent* AOwner) : TComponent(AOwner) {
  FWindowHandle = AllocateHWnd([this](TMessage& Msg) { WndProc(Msg); });
}

TTimer::~TTimer() {
  FEnabled = false;
  if (FRunning) KillTimer(FWindowHandle, 1);
  DeallocateHWnd(FWindowHandle);
}

void TTimer::UpdateTimer() {
  // Killing first makes every change start a whole interval afresh.
  if (FRunning) KillTimer(FWindowHandle, 1);
  FRunning = false;
  if (FInterval != 0 && FEnabled && FOnTimer) {
    if (!SetTimer(FWindowHandle, 1, FInterval, nullptr)) throw EOutOfResources(u"Not enough timers available");
    FRunning = true;
  }
}

void TTimer::SetEnabled(bool Value) {
  if (Value == FEnabled) return;
  FEnabled = Value;
  UpdateTimer();
}

void TTimer::SetInterval(Cardinal Value) {
  if (Value == FInterval) return;
  FInterval = Value;
  UpdateTimer();
}

void TTimer::SetOnTimer(const TNotifyEvent& Value) {
  FOnTimer = Value;
  UpdateTimer();
}

void TTimer::Timer() {
  if (FOnTimer) FOnTimer(this);
}

void TTimer::WndProc(TMessage& Msg) {
  if (Msg.Msg != WM_TIMER) {
    Msg.Result = DefWindowProcW(FWindowHandle, Msg.Msg, Msg.WParam, Msg.LParam);
    return;
  }
  try {
    Timer();
  } catch (...) {
    if (!Application) throw;
    Application->HandleException(this);
  }
}

}  // namespace vcl
