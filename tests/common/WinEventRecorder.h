// Records the WinEvents raised in the process while it lives, as
// (event, hwnd, idObject, idChild). Events arrive out of context, when the
// recording thread retrieves messages: pump before reading Events.
#pragma once

#include <vector>

#include "platform/user/User.h"

namespace qntest {

struct TWinEventRecord {
  vcl::DWORD Event;
  vcl::HWND Hwnd;
  vcl::LONG IdObject;
  vcl::LONG IdChild;
  friend bool operator==(const TWinEventRecord&, const TWinEventRecord&) = default;
};

class TWinEventRecorder {
 public:
  explicit TWinEventRecorder(vcl::DWORD eventMin = vcl::EVENT_MIN, vcl::DWORD eventMax = vcl::EVENT_MAX) {
    Current() = this;
    FHook = vcl::SetWinEventHook(eventMin, eventMax, nullptr, &Proc, 0, 0, vcl::WINEVENT_OUTOFCONTEXT);
  }
  ~TWinEventRecorder() {
    vcl::UnhookWinEvent(FHook);
    if (Current() == this) Current() = nullptr;
  }
  TWinEventRecorder(const TWinEventRecorder&) = delete;
  TWinEventRecorder& operator=(const TWinEventRecorder&) = delete;

  // Delivers what is pending to this thread, then answers the list.
  const std::vector<TWinEventRecord>& Events() {
    vcl::MSG m;
    while (vcl::PeekMessageW(&m, nullptr, 0, 0, vcl::PM_REMOVE)) {
      vcl::TranslateMessage(&m);
      vcl::DispatchMessageW(&m);
    }
    return FEvents;
  }
  // The events of one window, in order.
  std::vector<TWinEventRecord> EventsOf(vcl::HWND h) {
    std::vector<TWinEventRecord> r;
    for (const auto& e : Events())
      if (e.Hwnd == h) r.push_back(e);
    return r;
  }
  void Clear() {
    Events();
    FEvents.clear();
  }

 private:
  static TWinEventRecorder*& Current() {
    static TWinEventRecorder* c = nullptr;
    return c;
  }
  static void Proc(vcl::HWINEVENTHOOK, vcl::DWORD event, vcl::HWND h, vcl::LONG idObject, vcl::LONG idChild,
                   vcl::DWORD, vcl::DWORD) {
    if (Current()) Current()->FEvents.push_back({event, h, idObject, idChild});
  }
  vcl::HWINEVENTHOOK FHook = nullptr;
  std::vector<TWinEventRecord> FEvents;
};

}  // namespace qntest
