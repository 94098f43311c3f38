// The Forms unit of the host layer: the application object, the screen and
// the mouse. Application, Screen and Mouse exist between the unit's
// initialisation and finalisation (qn::Initialize / qn::Finalize).
#pragma once

#include <memory>
#include <vector>

#include "platform/classes/Component.h"
#include "platform/user/User.h"
#include "platform/vcl/Cursors.h"
#include "platform/vcl/Graphics.h"

namespace vcl {

// ---------------------------------------------------------------------------
// The mouse

class TMouse : public TObject {
  QN_CLASS(TMouse, TObject)
 public:
  // The pointer in screen coordinates.
  TPoint CursorPos() const;
  // How far (pixels) the pointer moves with a button down before a drag
  // begins.
  Integer DragThreshold() const { return FDragThreshold; }
  void SetDragThreshold(Integer Value) { FDragThreshold = Value; }
  bool WheelPresent() const;

 private:
  Integer FDragThreshold = 5;
};

// ---------------------------------------------------------------------------
// The screen

class TMonitor : public TObject {
  QN_CLASS(TMonitor, TObject)
 public:
  HMONITOR Handle() const { return FHandle; }
  // The index in Screen->Monitors.
  Integer MonitorNum() const { return FMonitorNum; }
  Integer Left() const { return BoundsRect().Left; }
  Integer Top() const { return BoundsRect().Top; }
  Integer Width() const { return BoundsRect().Width(); }
  Integer Height() const { return BoundsRect().Height(); }
  TRect BoundsRect() const;
  TRect WorkareaRect() const;
  bool Primary() const;

 private:
  friend class TScreen;
  HMONITOR FHandle = nullptr;
  Integer FMonitorNum = 0;
};

enum class TMonitorDefaultTo { mdNearest, mdNull, mdPrimary };
using enum TMonitorDefaultTo;

class TCustomForm;
class TWinControl;
class TControl;

class TScreen : public TComponent {
  QN_CLASS(TScreen, TComponent)
 public:
  explicit TScreen(TComponent* AOwner);
  ~TScreen() override;

  // The primary monitor's size, and its work area (the screen less the
  // taskbar).
  Integer Width() const;
  Integer Height() const;
  TRect WorkAreaRect() const;
  Integer WorkAreaLeft() const { return WorkAreaRect().Left; }
  Integer WorkAreaTop() const { return WorkAreaRect().Top; }
  Integer WorkAreaWidth() const { return WorkAreaRect().Width(); }
  Integer WorkAreaHeight() const { return WorkAreaRect().Height(); }
  // The bounds of every monitor together.
  TRect DesktopRect() const;

  // Monitors as the window server has them now; the objects live as long
  // as the screen, so a form may keep the one it is on.
  Integer MonitorCount();
  TMonitor* Monitors(Integer Index);
  TMonitor* PrimaryMonitor();
  TMonitor* MonitorFromPoint(const TPoint& Point, TMonitorDefaultTo Default = mdNearest);
  TMonitor* MonitorFromRect(const TRect& Rect, TMonitorDefaultTo Default = mdNearest);
  TMonitor* MonitorFromWindow(HWND Handle, TMonitorDefaultTo Default = mdNearest);

  // A cursor other than crDefault overrides every control's cursor until
  // it is set back to crDefault.
  TCursor Cursor() const { return FCursor; }
  void SetCursor(TCursor Value);
  // The cursor handles by id. The standard ids come from the window
  // server; an id nobody set gives the default (arrow) cursor, crNone
  // gives none. Setting an id takes over the handle (it is destroyed when
  // replaced or when the screen goes); setting crDefault to nullptr brings
  // the arrow back.
  HCURSOR Cursors(Integer Index) const;
  void SetCursors(Integer Index, HCURSOR Handle);

  Integer PixelsPerInch() const { return FPixelsPerInch; }
  TFont* HintFont() const { return FHintFont.get(); }
  void SetHintFont(TFont* Value) { FHintFont->Assign(Value); }
  TFont* MenuFont() const { return FMenuFont.get(); }
  void SetMenuFont(TFont* Value) { FMenuFont->Assign(Value); }
  // Reads the fonts from the system parameters again.
  void ResetFonts();

 private:
  void RefreshMonitors();
  TMonitor* FindMonitor(HMONITOR Handle);

  TCursor FCursor = crDefault;
  HCURSOR FArrowCursor = nullptr;
  HCURSOR FDefaultCursor = nullptr;
  std::vector<std::pair<Integer, HCURSOR>> FCursors;
  Integer FPixelsPerInch = 96;
  std::unique_ptr<TFont> FHintFont, FMenuFont;
  std::vector<std::unique_ptr<TMonitor>> FMonitorStore;
  std::vector<TMonitor*> FMonitors;
};

// ---------------------------------------------------------------------------
// The application

using TIdleEvent = TEvent<void(TObject* Sender, bool& Done)>;
using TMessageEvent = TEvent<void(MSG& Msg, bool& Handled)>;
using TExceptionEvent = TEvent<void(TObject* Sender, Exception* E)>;
// A hook on the application window: true when it handled the message.
using TWindowHook = TEvent<bool(TMessage& Message)>;

class TApplication : public TComponent {
  QN_CLASS(TApplication, TComponent)
 public:
  explicit TApplication(TComponent* AOwner);
  ~TApplication() override;

  // Runs the initialisation that the program asks for before its forms;
  // the units are already initialised, so there is nothing left to do.
  void Initialize() {}

  // The hidden window that stands for the application (its taskbar button
  // when the main form is not on the taskbar), made on first use.
  HWND Handle();
  bool HandleAllocated() const { return FHandle != nullptr; }
  // Defaults to the program's file name without its extension.
  String Title() const { return FTitle; }
  void SetTitle(const String& Value);

  // Posts WM_QUIT; Terminated turns true when the loop retrieves it.
  void Terminate();
  bool Terminated() const { return FTerminated; }
  // Dispatches every message waiting, then returns.
  void ProcessMessages();
  // Dispatches one message, or idles (and waits for one) when none waits.
  void HandleMessage();
  // Hands the exception being handled (call it from a catch block) to
  // OnException, or shows it. EAbort is silent.
  void HandleException(TObject* Sender);
  // Reports an exception without a handler: on the error stream, as there
  // is no screen to show a message box on.
  void ShowException(Exception* E);

  // Hooks see the application window's messages first, the last added
  // first; a hook that answers true ends the message there.
  void HookMainWindow(const TWindowHook& Hook);
  void UnhookMainWindow(const TWindowHook& Hook);

  // Nesting of running modal loops.
  Integer ModalLevel() const { return FModalLevel; }
  void ModalStarted() { ++FModalLevel; }
  void ModalFinished() { --FModalLevel; }

  TIdleEvent OnIdle;
  TMessageEvent OnMessage;
  TExceptionEvent OnException;

  // One message: false when none was waiting. WM_QUIT sets Terminated.
  bool ProcessMessage(MSG& Msg);
  // What the loop does when no message waits: hover tracking, OnIdle,
  // updates of actions, then WaitMessage unless OnIdle said not Done.
  void Idle(const MSG& Msg);

 protected:
  virtual void WndProc(TMessage& Message);

 private:
  static LRESULT AppWndProc(HWND h, UINT msg, WPARAM wp, LPARAM lp);
  void CreateHandle();
  void DestroyHandle();

  HWND FHandle = nullptr;
  String FTitle;
  bool FTerminated = false;
  Integer FModalLevel = 0;
  std::vector<TWindowHook> FWindowHooks;
};

extern TApplication* Application;
extern TScreen* Screen;
extern TMouse* Mouse;

// The unit's initialisation and finalisation.
void InitForms();
void DoneForms();

}  // namespace vcl
