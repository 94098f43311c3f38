#include "platform/classes/Threads.h"
#include "platform/rtl/Units.h"
#include "platform/user/Edit.h"
#include "platform/user/Server.h"

namespace vcl {

namespace {

// Work handed to the main thread wakes its queue; retrieval on the main
// thread then runs it.
void WakeMainQueue() {
  auto& s = server::S();
  std::lock_guard<std::mutex> lk(s.Lock);
  if (server::ThreadQueue* q = server::QueueOf(s.MainThreadId)) server::Wake(*q, QS_POSTMESSAGE);
}

void InitWindows() {
  auto& s = server::S();
  {
    std::lock_guard<std::mutex> lk(s.Lock);
    s.Hook.CheckSynchronize = [] { return CheckSynchronize(0); };
    s.MainThreadId = MainThreadID() ? MainThreadID() : GetCurrentThreadId();
  }
  SetWakeMainThreadHook(WakeMainQueue);
  RegisterSystemControlClasses();
}

void DoneWindows() {
  SetWakeMainThreadHook(nullptr);
  auto& s = server::S();
  std::lock_guard<std::mutex> lk(s.Lock);
  s.Hook.CheckSynchronize = nullptr;
}

}  // namespace

void RegisterUserUnits() {
  RegisterUnit({"Windows", {"Gdi", "Classes"}, InitWindows, DoneWindows});
  RegisterUnit({"Messages", {"Windows"}, nullptr, nullptr});
}

}  // namespace vcl
