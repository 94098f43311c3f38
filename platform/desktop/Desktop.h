// The screen of the host layer: its configuration (monitors, work areas,
// desktop colour), the composed image of the top-level windows, snapshots as
// PNG files, the clock control and the system settings tests override.
//
// The screen image is the desktop colour with the visible top-level windows
// drawn over it bottom to top (the topmost band last), each clipped to its
// window region. Layered windows compose with their alpha: a picture from
// UpdateLayeredWindow by the premultiplied "over", a surface shown through
// SetLayeredWindowAttributes at its constant alpha; colour-keyed pixels leave
// what is below. Pixels of images are 0xAARRGGBB values.
#pragma once
#include "platform/rtl/MacroShield.h"

#include <string>
#include <vector>

#include "platform/user/User.h"

namespace vcl {

struct TMonitorConfig {
  TRect Bounds;
  TRect WorkArea;  // empty: the bounds less a 40-pixel taskbar strip at the bottom
  bool Primary = false;
};

// One monitor of the given size (1920x1080 by default). Ignored while the
// X11 display is up: the screen is its window (Display.h).
void SetScreenSize(Integer width, Integer height);
void SetScreenConfiguration(const std::vector<TMonitorConfig>& monitors);
void ResetScreenConfiguration();
void SetDesktopColor(COLORREF color);
COLORREF GetDesktopColor();

struct TScreenImage {
  Integer Width = 0;
  Integer Height = 0;
  std::vector<uint32_t> Pixels;  // rows top-down
  uint32_t Pixel(Integer x, Integer y) const { return Pixels[size_t(y) * size_t(Width) + size_t(x)]; }
};

// The composed virtual screen, with what screen DCs drew on it.
TScreenImage CaptureScreen();
// Forgets what screen DCs drew (tests start from the windows alone).
void ClearScreenOverlay();
// A window's pixels as held on its top-level surface: the whole window
// rectangle, or only the client area. Empty for an invalid window. For a
// window shown by UpdateLayeredWindow, the part of its picture instead, with
// straight (not premultiplied) alpha.
TScreenImage CaptureWindow(HWND h, bool clientOnly = false);
// Writes an image as an 8-bit RGBA PNG; raises EInOutError when the file
// cannot be written.
void SavePng(const TScreenImage& image, const std::string& fileName);
void SaveScreenSnapshot(const std::string& fileName);
void SaveWindowSnapshot(HWND h, const std::string& fileName, bool clientOnly = false);
// With QN_SNAPSHOT_DIR set, writes every visible top-level window there as
// "<tag>-<n>-<class>.png" and returns the paths; otherwise does nothing.
std::vector<std::string> DumpTopLevelWindows(const std::string& tag);

// The one clock. In virtual mode it moves only by AdvanceClock, Sleep, and
// message loops that would otherwise wait for a timer. The X11 display keeps
// the clock real: turning the virtual clock on there is ignored.
void SetVirtualClock(bool on);
bool IsVirtualClock();
void AdvanceClock(DWORD ms);

// System settings for tests; ResetSystemSettings restores the defaults.
void SetSystemMetric(int index, int value);
void SetSystemParameter(UINT spiGet, UINT value);
void ResetSystemSettings();
void SetSystemLocale(LCID lcid);
void SetLocaleInfo(LCTYPE type, const String& value);

// The input driver. Events go into the system input queue at once (the
// pointer position and GetAsyncKeyState follow immediately) and are routed to
// a window when a thread retrieves them: to the capture window, else to the
// window under the point, asked with WM_NCHITTEST; keys go to the focus
// window. Buttons are VK_LBUTTON, VK_RBUTTON or VK_MBUTTON.
void InputMouseMove(Integer x, Integer y);
void InputMouseDown(int button);
void InputMouseUp(int button);
// A wheel turn in multiples of WHEEL_DELTA, to the focus window.
void InputMouseWheel(int delta, bool horizontal = false);
void InputKeyDown(int vk);
void InputKeyUp(int vk);
// Types text on the US layout: key presses and releases with Shift as needed.
void InputType(const String& text);
// Delivers a string composed with the input method to the focus window:
// WM_IME_STARTCOMPOSITION, WM_IME_COMPOSITION with GCS_RESULTSTR and
// WM_IME_ENDCOMPOSITION, sent when the input is retrieved. The default
// handling turns the result into WM_IME_CHAR and then WM_CHAR messages. A
// window without an input context gets the characters as WM_CHAR.
void InputImeComposition(const String& text);
// An input method that fails: while not 0, every query of a result string
// (ImmGetCompositionStringW with GCS_RESULTSTR) answers this negative error
// code.
void SetImeResultError(LONG code);
// Whether the caret is drawn now (shown and in the visible blink phase).
bool IsCaretShown();
// Holds back the input queued after it until the clock has moved ms
// milliseconds on (counted from when the pause itself is reached). Meanwhile
// the pointer and the key state stay as they were, and a message loop with
// nothing else to do moves the virtual clock to its next timer or to the
// end of the pause; modal loops wait for held input instead of giving up.
void InputPause(DWORD ms);
// Drops queued input, ends leave and hover tracking, frees the pointer from
// its clip rectangle and releases every key and button.
void ResetInput();

}  // namespace vcl

#include "platform/rtl/MacroShieldEnd.h"
