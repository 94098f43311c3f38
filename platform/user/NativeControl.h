// The host's native controls keep a C++ object per window, made at
// WM_NCCREATE and dropped after WM_NCDESTROY; a message of a window that has
// none goes to the default procedure. The object is held while its message
// runs, so a window destroyed from inside its own handler frees it only
// afterwards.
#pragma once
#include "platform/rtl/MacroShield.h"

#include <memory>
#include <mutex>
#include <unordered_map>

#include "platform/user/User.h"

namespace vcl {

template <class T>
class TNativeControls {
 public:
  // After runs on the object after every message but the window's last.
  template <class AfterMessage>
  LRESULT Dispatch(HWND h, UINT msg, WPARAM wp, LPARAM lp, AfterMessage After) {
    std::shared_ptr<T> c;
    {
      std::lock_guard<std::mutex> lk(FLock);
      auto it = FMap.find(h);
      if (it != FMap.end()) c = it->second;
      else if (msg == WM_NCCREATE) c = FMap[h] = std::make_shared<T>(h);
    }
    if (!c) return DefWindowProcW(h, msg, wp, lp);
    LRESULT r = c->Proc(msg, wp, lp);
    if (msg == WM_NCDESTROY) {
      c->Dead = true;
      std::lock_guard<std::mutex> lk(FLock);
      FMap.erase(h);
    } else {
      After(*c);
    }
    return r;
  }
  LRESULT Dispatch(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    return Dispatch(h, msg, wp, lp, [](T&) {});
  }

 private:
  std::mutex FLock;
  std::unordered_map<HWND, std::shared_ptr<T>> FMap;
};

}  // namespace vcl

#include "platform/rtl/MacroShieldEnd.h"
