// Shared helpers of the window-server tests: a logging window class, message
// pumping, and a fixture that leaves the server as it found it.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <mutex>
#include <vector>

#include "platform/desktop/Desktop.h"
#include "platform/user/User.h"

namespace usertest {

using namespace vcl;

struct Logged {
  HWND Hwnd;
  UINT Msg;
  WPARAM WParam;
  LPARAM LParam;
};

// Every window of the class "QnTestWnd" logs its messages here and then runs
// the handler registered for it (if any), else DefWindowProcW.
inline std::mutex& LogLock() {
  static std::mutex m;
  return m;
}
inline std::vector<Logged>& Log() {
  static std::vector<Logged> v;
  return v;
}
using Handler = std::function<LRESULT(HWND, UINT, WPARAM, LPARAM, bool& handled)>;
inline std::map<HWND, Handler>& Handlers() {
  static std::map<HWND, Handler> m;
  return m;
}
inline Handler& DefaultHandler() {
  static Handler h;
  return h;
}

inline LRESULT CALLBACK_TestProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  Handler handler;
  {
    std::lock_guard<std::mutex> lk(LogLock());
    Log().push_back({h, msg, wp, lp});
    auto it = Handlers().find(h);
    if (it != Handlers().end()) handler = it->second;
    else handler = DefaultHandler();
  }
  if (handler) {
    bool handled = true;
    LRESULT r = handler(h, msg, wp, lp, handled);
    if (handled) return r;
  }
  return DefWindowProcW(h, msg, wp, lp);
}

inline const char16_t* TestClass() {
  static bool done = [] {
    WNDCLASSEXW wc;
    wc.lpfnWndProc = CALLBACK_TestProc;
    wc.lpszClassName = u"QnTestWnd";
    wc.hbrBackground = reinterpret_cast<HBRUSH>(uintptr_t(COLOR_WINDOW + 1));
    RegisterClassExW(&wc);
    return true;
  }();
  (void)done;
  return u"QnTestWnd";
}

inline void SetHandler(HWND h, Handler f) {
  std::lock_guard<std::mutex> lk(LogLock());
  Handlers()[h] = std::move(f);
}

inline void ClearLog() {
  std::lock_guard<std::mutex> lk(LogLock());
  Log().clear();
}

// The messages one window received, in order (optionally only those listed).
inline std::vector<UINT> MessagesOf(HWND h, const std::vector<UINT>& only = {}) {
  std::lock_guard<std::mutex> lk(LogLock());
  std::vector<UINT> r;
  for (auto& l : Log())
    if (l.Hwnd == h && (only.empty() || std::find(only.begin(), only.end(), l.Msg) != only.end())) r.push_back(l.Msg);
  return r;
}

inline HWND MakeTop(int x, int y, int w, int h, DWORD style = WS_POPUP | WS_VISIBLE, DWORD ex = 0) {
  return CreateWindowExW(ex, TestClass(), u"top", style, x, y, w, h, nullptr, nullptr, nullptr, nullptr);
}

inline HWND MakeChild(HWND parent, int x, int y, int w, int h, DWORD style = WS_CHILD | WS_VISIBLE, int id = 0) {
  return CreateWindowExW(0, TestClass(), u"child", style, x, y, w, h, parent,
                         reinterpret_cast<HMENU>(intptr_t(id)), nullptr, nullptr);
}

// Dispatches everything waiting (bounded, so a paint that never validates fails).
inline int Pump(int limit = 1000) {
  MSG m;
  int n = 0;
  while (n < limit && PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
    DispatchMessageW(&m);
    ++n;
  }
  return n;
}

inline bool EnumCollect(HWND h, LPARAM p) {
  reinterpret_cast<std::vector<HWND>*>(p)->push_back(h);
  return true;
}

class ServerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TestClass();
    ClearLog();
  }
  void TearDown() override {
    std::vector<HWND> tops;
    EnumThreadWindows(GetCurrentThreadId(), EnumCollect, reinterpret_cast<LPARAM>(&tops));
    for (HWND h : tops) DestroyWindow(h);
    Pump();
    MSG m;
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
    }
    {
      std::lock_guard<std::mutex> lk(LogLock());
      Handlers().clear();
      DefaultHandler() = nullptr;
      Log().clear();
    }
    SetVirtualClock(false);
    ResetSystemSettings();
  }
};

// A server test that drives the input queue on the virtual clock; it leaves no
// capture, focus or pressed key behind for the next test.
class InputServerTest : public ServerTest {
 protected:
  void SetUp() override {
    ServerTest::SetUp();
    ResetInput();
    SetVirtualClock(true);
  }
  void TearDown() override {
    ReleaseCapture();
    SetFocus(nullptr);
    ResetInput();
    ServerTest::TearDown();
  }
  // The width of a sizing frame.
  static int Frame() { return GetSystemMetrics(SM_CXFRAME) + GetSystemMetrics(SM_CXPADDEDBORDER); }
};

// Sets the modal loops' idle hook for one test; it gets the number of the call.
class IdleHook {
 public:
  explicit IdleHook(std::function<bool(int)> f) {
    old_ = SetModalIdleHook([this, f] { return f(++calls_); });
  }
  ~IdleHook() { SetModalIdleHook(old_); }
  int Calls() const { return calls_; }

 private:
  int calls_ = 0;
  TModalIdleHook old_;
};

}  // namespace usertest
