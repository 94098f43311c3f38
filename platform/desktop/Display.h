// Where the screen is shown. Headless keeps it in memory only: tests, CI and
// pictures. X11 shows the whole composed screen in one window (the
// "monitor") of an X server and takes the pointer and keys of the person in
// front of it through the input driver, so programs behave the same on
// either: only what reaches the screen and where input comes from differ.
//
// A program's message loop picks the display when it starts
// (TApplication::Run calls ChooseDisplay): QN_DISPLAY=headless keeps it
// headless, QN_DISPLAY=x11 insists on X11, and otherwise X11 is used when
// DISPLAY names a server that opens. The virtual clock stays headless.
// While the X11 display is up the clock stays real (SetVirtualClock(true) is
// ignored) and the screen keeps the monitor window's size (a new screen
// configuration is ignored).
#pragma once
#include "platform/rtl/MacroShield.h"

#include <cstdint>
#include <string>

#include "platform/rtl/System.h"

namespace vcl {

QN_EXCEPTION(EDisplayError, Exception)

enum class TDisplayKind { Headless, X11 };

// Whether this build carries the X11 backend.
bool X11DisplayBuilt();
// Picks the display as described above, once: later calls return the kind in
// use. Raises EDisplayError when QN_DISPLAY=x11 and no display opens.
TDisplayKind ChooseDisplay();
// Opens the X11 display (name empty: $DISPLAY) whatever the environment
// says. Raises EDisplayError when it cannot, when the clock is virtual or
// when another display is up.
void StartX11Display(const std::string& name = "");
// Back to headless; the X window closes.
void StopDisplay();
TDisplayKind CurrentDisplay();

struct TDisplayInfo {
  uint32_t Window = 0;  // the X window that shows the screen
  int Width = 0;
  int Height = 0;
  bool SharedMemory = false;  // frames go through MIT-SHM, else PutImage
};
TDisplayInfo DisplayInfo();
// Shows what changed since the last frame now, without waiting for the
// frame time (everything: the whole screen), and returns once the server
// has the pixels. Returns the number of pixels sent.
int64_t PresentDisplay(bool everything = false);
// Why the display ended by itself (a lost connection); empty if it did not.
std::string DisplayError();

}  // namespace vcl

#include "platform/rtl/MacroShieldEnd.h"
