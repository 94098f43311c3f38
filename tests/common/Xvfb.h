// A private X server (Xvfb on a free display number) for display tests, and
// a person in front of it: a connection of the test's own that reads windows
// back and plays pointer and keys through XTEST.
#pragma once

#ifdef QN_HAVE_X11
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/xcb.h>
#include <xcb/xtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/desktop/Desktop.h"

namespace xtest {

using vcl::TScreenImage;

// A private X server for one test.
class Xvfb {
 public:
  ~Xvfb() { Kill(); }
  // Starts it; false (with why) when it cannot.
  bool Start(std::string& why) {
    int fds[2];
    if (pipe(fds) != 0) {
      why = "no pipe";
      return false;
    }
    pid_ = fork();
    if (pid_ == 0) {
      close(fds[0]);
      int devnull = open("/dev/null", O_WRONLY);
      if (devnull >= 0) {
        dup2(devnull, 1);
        dup2(devnull, 2);
      }
      std::string fd = std::to_string(fds[1]);
      execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-nolisten", "tcp", "-screen", "0", "1024x768x24",
             static_cast<char*>(nullptr));
      _exit(127);
    }
    close(fds[1]);
    if (pid_ < 0) {
      close(fds[0]);
      why = "fork failed";
      return false;
    }
    // The server writes its display number once it listens.
    std::string number;
    pollfd p{fds[0], POLLIN, 0};
    auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (std::chrono::steady_clock::now() < until) {
      if (poll(&p, 1, 100) <= 0) continue;
      char c;
      ssize_t n = read(fds[0], &c, 1);
      if (n <= 0) break;
      if (c == '\n') break;
      number += c;
    }
    close(fds[0]);
    if (number.empty()) {
      why = "Xvfb did not start (is the xvfb package installed?)";
      Kill();
      return false;
    }
    name_ = ":" + number;
    return true;
  }
  void Kill() {
    if (pid_ > 0) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
      pid_ = -1;
    }
  }
  const std::string& Name() const { return name_; }

 private:
  pid_t pid_ = -1;
  std::string name_;
};

// The test's own connection: reads the window back and plays a person.
class Person {
 public:
  explicit Person(const std::string& display) { c_ = xcb_connect(display.c_str(), nullptr); }
  ~Person() { xcb_disconnect(c_); }
  bool Ok() const { return c_ && !xcb_connection_has_error(c_); }
  xcb_window_t Root() const { return xcb_setup_roots_iterator(xcb_get_setup(c_)).data->root; }

  // The window's pixels as 0x00RRGGBB.
  TScreenImage Read(xcb_window_t w, int width, int height) {
    TScreenImage img;
    img.Width = width;
    img.Height = height;
    img.Pixels.resize(size_t(width) * size_t(height));
    // In bands, so one reply stays below the request limit.
    for (int y = 0; y < height; y += 64) {
      int n = std::min(64, height - y);
      auto* r = xcb_get_image_reply(
          c_, xcb_get_image(c_, XCB_IMAGE_FORMAT_Z_PIXMAP, w, 0, int16_t(y), uint16_t(width), uint16_t(n), ~0u),
          nullptr);
      if (!r) return {};
      const uint32_t* px = reinterpret_cast<const uint32_t*>(xcb_get_image_data(r));
      for (int i = 0; i < n * width; ++i) img.Pixels[size_t(y) * size_t(width) + size_t(i)] = px[i] & 0x00FFFFFF;
      free(r);
    }
    return img;
  }
  void MoveTo(int x, int y) { Fake(XCB_MOTION_NOTIFY, 0, x, y); }
  void Button(int b, bool down) { Fake(down ? XCB_BUTTON_PRESS : XCB_BUTTON_RELEASE, uint8_t(b), 0, 0); }
  void Key(uint32_t keysym, bool down) { Fake(down ? XCB_KEY_PRESS : XCB_KEY_RELEASE, KeycodeOf(keysym), 0, 0); }
  void Focus(xcb_window_t w) {
    xcb_set_input_focus(c_, XCB_INPUT_FOCUS_POINTER_ROOT, w, XCB_CURRENT_TIME);
    Flush();
  }
  // What a window manager sends when the person closes the window.
  void AskToClose(xcb_window_t w) {
    xcb_client_message_event_t e{};
    e.response_type = XCB_CLIENT_MESSAGE;
    e.window = w;
    e.format = 32;
    e.type = Atom("WM_PROTOCOLS");
    e.data.data32[0] = Atom("WM_DELETE_WINDOW");
    e.data.data32[1] = XCB_CURRENT_TIME;
    xcb_send_event(c_, 0, w, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&e));
    Flush();
  }
  void Flush() { free(xcb_get_input_focus_reply(c_, xcb_get_input_focus(c_), nullptr)); }

 private:
  void Fake(uint8_t type, uint8_t detail, int x, int y) {
    xcb_test_fake_input(c_, type, detail, XCB_CURRENT_TIME, type == XCB_MOTION_NOTIFY ? Root() : XCB_NONE,
                        int16_t(x), int16_t(y), 0);
    Flush();
  }
  xcb_atom_t Atom(const char* n) {
    auto* r = xcb_intern_atom_reply(c_, xcb_intern_atom(c_, 0, uint16_t(strlen(n)), n), nullptr);
    xcb_atom_t a = r ? r->atom : 0;
    free(r);
    return a;
  }
  uint8_t KeycodeOf(uint32_t keysym) {
    const xcb_setup_t* s = xcb_get_setup(c_);
    int count = s->max_keycode - s->min_keycode + 1;
    auto* r = xcb_get_keyboard_mapping_reply(c_, xcb_get_keyboard_mapping(c_, s->min_keycode, uint8_t(count)), nullptr);
    uint8_t found = 0;
    if (r) {
      const xcb_keysym_t* syms = xcb_get_keyboard_mapping_keysyms(r);
      for (int k = 0; k < count && !found; ++k)
        for (int i = 0; i < r->keysyms_per_keycode; ++i)
          if (syms[k * r->keysyms_per_keycode + i] == keysym) {
            found = uint8_t(s->min_keycode + k);
            break;
          }
      free(r);
    }
    return found;
  }
  xcb_connection_t* c_ = nullptr;
};


}  // namespace xtest
#endif
