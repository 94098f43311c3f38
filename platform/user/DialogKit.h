// Host-internal: what the platform's own dialogs share: a window of the class "#32770"
// with a white body and a strip of push buttons, keyboard and mouse
// handling of those buttons, and the modal loop with its responder and
// default answer. Internal to the window server.
#pragma once

#include <functional>
#include <vector>

#include "platform/user/User.h"

namespace vcl::dialogkit {

struct Button {
  TRect Rect;
  String Text;  // "&" marks the accelerator
  int Id = 0;
  bool Enabled = true;
};

class Dialog {
 public:
  virtual ~Dialog();

  HWND Hwnd = nullptr;
  HFONT Font = nullptr;
  std::vector<Button> Buttons;
  int Focus = 0;     // the button with the focus (-1: the body has it)
  int Default = 0;   // the button Enter presses
  int Hot = -1;      // the button under the pointer
  int Pressed = -1;  // the button held down with the mouse
  bool PressedInside = false;
  bool Done = false;
  int Result = 0;
  Integer StripHeight = 48;  // the button strip at the bottom

  // The answer when the dialog cannot ask (idle hook gave up, owner gone).
  virtual int DefaultResult() const = 0;
  // Escape and the close box: the answer, or 0 when they do nothing.
  virtual int EscapeResult() const { return 0; }
  virtual void PaintBody(HDC dc, const TRect& client) {}
  virtual bool BodyMouseDown(const TPoint& p, bool dbl) { return false; }
  virtual bool BodyKey(WPARAM vk) { return false; }
  // A button was pressed; the default ends the dialog with its id.
  virtual void Command(int id) { End(id); }

  void End(int r);
  // Makes the window (hidden), client size ClientSize, centred on the
  // owner (or the work area) and kept inside the work area.
  void Create(HWND owner, const String& caption, TSize clientSize, bool closeBox, bool topmost);
  // Shows the dialog and runs its loop. respond is called once, the first
  // time the queue is empty; true means it answered (through End).
  int Run(HWND owner, const std::function<bool()>& respond);
  void Invalidate();
  // Lays out the buttons right-aligned in the strip.
  void PlaceButtons(Integer clientWidth, Integer clientHeight);
  TRect Client() const;

  static LRESULT Proc(HWND h, UINT msg, WPARAM wp, LPARAM lp);

 protected:
  void PaintButton(HDC dc, int index);
  int ButtonAt(const TPoint& p) const;
  void MoveFocus(int step);
  bool Accelerator(Char c);
};

// The font of message boxes (lfMessageFont), made once per call.
HFONT MakeMessageFont(int height = 0, int weight = 0);
// Extent of one line / a word-wrapped block of text.
TSize TextSize(HDC dc, const String& text, UINT format, Integer maxWidth);

}  // namespace vcl::dialogkit
