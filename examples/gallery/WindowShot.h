// What the pages that show pop-ups with their form share: running the
// message loop a few rounds on the virtual clock, and one picture of several
// top-level windows cut from the composed screen, so a list hanging below a
// form shows with it.
#pragma once

#include <algorithm>
#include <initializer_list>

#include "platform/desktop/Desktop.h"
#include "platform/user/User.h"

namespace gallery {

// Dispatches what is queued, then lets 60 ms pass, Rounds times: paints,
// posted work and short timers all run.
inline void PumpRounds(int Rounds = 4) {
  vcl::MSG m;
  for (int round = 0; round < Rounds; ++round) {
    while (vcl::PeekMessageW(&m, nullptr, 0, 0, vcl::PM_REMOVE)) {
      vcl::TranslateMessage(&m);
      vcl::DispatchMessageW(&m);
    }
    vcl::AdvanceClock(60);
  }
}

// The screen under the union of the windows' rectangles.
inline vcl::TScreenImage CutWindows(std::initializer_list<vcl::HWND> Windows) {
  vcl::RECT u{};
  bool first = true;
  for (vcl::HWND h : Windows) {
    vcl::RECT r;
    vcl::GetWindowRect(h, &r);
    if (first) u = r;
    u.Left = std::min(u.Left, r.Left);
    u.Top = std::min(u.Top, r.Top);
    u.Right = std::max(u.Right, r.Right);
    u.Bottom = std::max(u.Bottom, r.Bottom);
    first = false;
  }
  const vcl::TScreenImage screen = vcl::CaptureScreen();
  vcl::TScreenImage shot;
  shot.Width = std::min<vcl::Integer>(u.Right, screen.Width) - u.Left;
  shot.Height = std::min<vcl::Integer>(u.Bottom, screen.Height) - u.Top;
  shot.Pixels.resize(size_t(std::max(0, shot.Width)) * size_t(std::max(0, shot.Height)));
  for (vcl::Integer y = 0; y < shot.Height; ++y)
    for (vcl::Integer x = 0; x < shot.Width; ++x)
      shot.Pixels[size_t(y) * size_t(shot.Width) + size_t(x)] = screen.Pixel(u.Left + x, u.Top + y);
  return shot;
}

}  // namespace gallery
