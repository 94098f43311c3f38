// The Forms unit of the host layer: forms, the application object, the
// screen and the mouse. Application, Screen and Mouse exist between the
// unit's initialisation and finalisation (qn::Initialize / qn::Finalize).
#pragma once
#include "platform/rtl/MacroShield.h"

#include <functional>
#include <memory>
#include <vector>

#include "platform/classes/BasicActions.h"
#include "platform/classes/Component.h"
#include "platform/classes/Streaming.h"
#include "platform/user/CommonDialogs.h"
#include "platform/user/User.h"
#include "platform/vcl/Controls.h"
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
  // Whether an automatic drag begins with the press itself (else past the
  // threshold).
  bool DragImmediate() const { return FDragImmediate; }
  void SetDragImmediate(bool Value) { FDragImmediate = Value; }
  // Whether a drag of the drag manager is under way.
  bool IsDragging() const { return DragInProgress(); }
  bool WheelPresent() const;

 private:
  Integer FDragThreshold = 5;
  bool FDragImmediate = true;
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
  // it is set back to crDefault (Controls asks for it on WM_SETCURSOR).
  TCursor Cursor() const { return FCursor; }
  void SetCursor(TCursor Value);
  // The cursor handles by id. The standard ids come from the window
  // server, the split cursors are drawn here; an id nobody set gives the
  // default (arrow) cursor, crNone gives none. Setting an id takes over the handle (it is destroyed when
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

  // The forms that exist, the most recently focused first.
  Integer FormCount() const { return static_cast<Integer>(FForms.size()); }
  TCustomForm* Forms(Integer Index) const;
  Integer CustomFormCount() const { return FormCount(); }
  TCustomForm* CustomForms(Integer Index) const { return Forms(Index); }
  Integer IndexOfForm(TCustomForm* AForm) const;
  // The form that last received the focus, and its focused control.
  TCustomForm* ActiveForm() const { return FActiveForm; }
  TCustomForm* ActiveCustomForm() const { return FActiveForm; }
  TWinControl* ActiveControl() const { return FActiveControl; }
  TCustomForm* FocusedForm() const { return FFocusedForm; }

  TNotifyEvent OnActiveFormChange;
  TNotifyEvent OnActiveControlChange;

 private:
  friend class TCustomForm;
  void AddForm(TCustomForm* AForm);
  void RemoveForm(TCustomForm* AForm);
  void CreateCursors();
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
  std::vector<TCustomForm*> FForms;
  TCustomForm* FActiveForm = nullptr;
  TWinControl* FActiveControl = nullptr;
  TCustomForm* FFocusedForm = nullptr;
  // The focused forms the running modal loops will give the focus back to.
  std::vector<TCustomForm*> FSaveFocusedList;
};

// ---------------------------------------------------------------------------
// The application

using TIdleEvent = TEvent<void(TObject* Sender, bool& Done)>;
using TMessageEvent = TEvent<void(MSG& Msg, bool& Handled)>;
using TExceptionEvent = TEvent<void(TObject* Sender, Exception* E)>;
// A hook on the application window: true when it handled the message.
using TWindowHook = TEvent<bool(TMessage& Message)>;
// Asked before a hint shows: may change the text and the record, or say no.
using TShowHintEvent = TEvent<void(String& HintStr, bool& CanShow, THintInfo& HintInfo)>;

// Asked before a help request goes out: may answer it (CallHelp false).
using THelpEvent = TEvent<bool(Word Command, NativeInt Data, bool& CallHelp)>;

// The help commands of a request.
constexpr Word HELP_CONTEXT = 0x0001, HELP_QUIT = 0x0002, HELP_CONTENTS = 0x0003, HELP_INDEX = 0x0003,
               HELP_HELPONHELP = 0x0004, HELP_SETINDEX = 0x0005, HELP_CONTEXTPOPUP = 0x0008,
               HELP_FORCEFILE = 0x0009, HELP_KEY = 0x0101, HELP_COMMAND = 0x0102, HELP_PARTIALKEY = 0x0105;

// One help request as the application made it. There is no help viewer:
// requests are recorded for whoever wants to know (tests).
struct THelpRequest {
  Word Command = 0;
  NativeInt Data = 0;  // the context number (keywords are in Keyword)
  String Keyword;
  String HelpFile;
};

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
  // Reports an exception without a handler: on the error stream, so that
  // an unattended program never stops on a box nobody answers.
  void ShowException(Exception* E);
  // The platform's message box over the active window, with the thread's
  // other windows disabled while it is open; returns the button's id.
  Integer MessageBox(const String& Text, const String& Caption, Integer Flags = MB_OK);

  // Hooks see the application window's messages first, the last added
  // first; a hook that answers true ends the message there.
  void HookMainWindow(const TWindowHook& Hook);
  void UnhookMainWindow(const TWindowHook& Hook);

  // Forms. CreateForm(Reference) makes a form owned by the application
  // (read from its form resources, see TCustomForm::Create); the first
  // TForm made becomes MainForm.
  template <class T>
  void CreateForm(T*& Reference);
  TCustomForm* MainForm() const { return FMainForm; }
  bool ShowMainForm() const { return FShowMainForm; }
  void SetShowMainForm(bool Value) { FShowMainForm = Value; }
  // Whether the main form has a taskbar button of its own (else the
  // application window stands for the program and owns every form).
  bool MainFormOnTaskBar() const { return FMainFormOnTaskBar; }
  void SetMainFormOnTaskBar(bool Value);
  // Shows the main form (unless ShowMainForm is off) and runs the message
  // loop until Terminate; without a main form it returns at once.
  void Run();
  // Minimises (restores) the main form, or the application window when the
  // main form is not on the taskbar.
  void Minimize();
  void Restore();

  TNotifyEvent OnMinimize;
  TNotifyEvent OnRestore;

  // Nesting of running modal loops.
  Integer ModalLevel() const { return FModalLevel; }
  void ModalStarted() { ++FModalLevel; }
  void ModalFinished() { --FModalLevel; }

  TIdleEvent OnIdle;
  TMessageEvent OnMessage;
  // The application's part of running and updating actions: the event,
  // then CM_ACTIONEXECUTE / CM_ACTIONUPDATE to the active form.
  bool ExecuteAction(TBasicAction* Action) override;
  bool UpdateAction(TBasicAction* Action) override;
  TActionEvent OnActionExecute;
  TActionEvent OnActionUpdate;
  TExceptionEvent OnException;

  // --- Help (Forms_Help.cpp). Each request asks OnHelp first; unless it
  // says not to, the request goes to the help system, which records it in
  // HelpLog. The answer says whether the request went out with a help file.
  String HelpFile() const { return FHelpFile; }
  void SetHelpFile(const String& Value) { FHelpFile = Value; }
  // The file requests go to (HelpFile; forms keep none of their own).
  String CurrentHelpFile() const;
  bool HelpContext(THelpContext Context);
  bool HelpKeyword(const String& Keyword);
  bool HelpCommand(Integer Command, NativeInt Data);
  bool HelpJump(const String& JumpID);
  THelpEvent OnHelp;
  const std::vector<THelpRequest>& HelpLog() const { return FHelpLog; }
  void ClearHelpLog() { FHelpLog.clear(); }

  // --- Hints
  // Whether one of the application's windows is active (WM_ACTIVATEAPP).
  bool Active() const { return FActive; }
  // Off cancels any hint and frees the hint window; on makes a window of
  // HintWindowClass.
  bool ShowHint() const { return FShowHint; }
  void SetShowHint(bool Value);
  // The long part of the hint of the control under the pointer, kept up to
  // date at idle; OnHint fires when it changes.
  String Hint() const { return FHint; }
  void SetHint(const String& Value);
  TNotifyEvent OnHint;
  TColor HintColor() const { return FHintColor; }
  void SetHintColor(TColor Value);
  // How long the pointer rests before a hint shows, before the next one
  // shows while one is up, and how long a hint stays (ms).
  Integer HintPause() const { return FHintPause; }
  void SetHintPause(Integer Value) { FHintPause = Value; }
  Integer HintShortPause() const { return FHintShortPause; }
  void SetHintShortPause(Integer Value) { FHintShortPause = Value; }
  Integer HintHidePause() const { return FHintHidePause; }
  void SetHintHidePause(Integer Value) { FHintHidePause = Value; }
  // Whether hints of actions add their shortcut.
  bool HintShortCuts() const { return FHintShortCuts; }
  void SetHintShortCuts(bool Value) { FHintShortCuts = Value; }
  TShowHintEvent OnShowHint;
  // Every control calls this on WM_MOUSEMOVE: starts the pause for the
  // control under the pointer, or cancels the hint.
  void HintMouseMessage(TControl* Control, TMessage& Message);
  // Asks the hint control (CM_HINTSHOW, then OnShowHint) and shows its hint
  // for the pointer at CursorPos (screen coordinates).
  void ActivateHint(const TPoint& CursorPos);
  // Hides the hint and forgets its control.
  void CancelHint();
  // Hides the hint window; the hint stays current.
  void HideHint();
  // The hint window of HintWindowClass (nil while ShowHint is off), and
  // the one showing or shown last.
  THintWindow* HintWindow() const { return FHintWindow; }
  THintWindow* ActiveHintWindow() const { return FActiveHintWindow; }
  TControl* HintControl() const { return FHintControl; }

  // One message: false when none was waiting. WM_QUIT sets Terminated.
  bool ProcessMessage(MSG& Msg);
  // What the loop does when no message waits: hover tracking, OnIdle,
  // updates of actions, then (unless OnIdle said not Done) WaitMessage, or
  // ModalIdle inside a modal loop.
  void Idle(const MSG& Msg);

 protected:
  virtual void WndProc(TMessage& Message);
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  friend class TCustomForm;
  static LRESULT AppWndProc(HWND h, UINT msg, WPARAM wp, LPARAM lp);
  void CreateHandle();
  void DestroyHandle();
  enum class THintTimerMode { Show, Hide };
  void StartHintTimer(Integer Value, THintTimerMode Mode);
  void StopHintTimer();
  void HintTimerExpired();
  THintWindow* HintWindowOf(TClass Class);
  void SetHintControl(TControl* Control);

  HWND FHandle = nullptr;
  String FTitle;
  bool FTerminated = false;
  bool FModalIdleGaveUp = false;
  bool FShowMainForm = true;
  bool FMainFormOnTaskBar = true;
  TCustomForm* FMainForm = nullptr;
  Integer FModalLevel = 0;
  std::vector<TWindowHook> FWindowHooks;
  bool FActive = false;
  bool FShowHint = true;
  bool FHintActive = false;
  bool FHintShortCuts = true;
  bool FHintTimerRunning = false;
  String FHint;
  TColor FHintColor = clInfoBk;
  Integer FHintPause = 500, FHintShortPause = 50, FHintHidePause = 2500;
  THintTimerMode FHintTimerMode = THintTimerMode::Show;
  TControl* FHintControl = nullptr;
  TRect FHintCursorRect;
  THintWindow* FHintWindow = nullptr;        // of HintWindowClass
  THintWindow* FActiveHintWindow = nullptr;  // showing, or shown last
  std::vector<THintWindow*> FHintWindows;    // one per class asked for
  String FHelpFile;
  std::vector<THelpRequest> FHelpLog;
  bool DoHelp(Word Command, NativeInt Data, const String& Keyword);
};

// The class Application makes hint windows of (THintWindow unless set).
extern TClass HintWindowClass;

// ---------------------------------------------------------------------------
// Forms

enum class TFormBorderStyle : Byte { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
QN_ENUM_NAMES(TFormBorderStyle, bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin)
using enum TFormBorderStyle;

enum class TBorderIcon : Byte { biSystemMenu, biMinimize, biMaximize, biHelp };
QN_ENUM_NAMES(TBorderIcon, biSystemMenu, biMinimize, biMaximize, biHelp)
using enum TBorderIcon;
using TBorderIcons = TSet<TBorderIcon>;
QN_TYPE_NAME(TBorderIcons)

enum class TFormStyle : Byte { fsNormal, fsStayOnTop };
QN_ENUM_NAMES(TFormStyle, fsNormal, fsStayOnTop)
using enum TFormStyle;

enum class TFormStateItem : Byte { fsCreating, fsVisible, fsShowing, fsModal, fsActivated };
using enum TFormStateItem;
using TFormState = TSet<TFormStateItem>;

enum class TPosition : Byte {
  poDesigned, poDefault, poDefaultPosOnly, poDefaultSizeOnly, poScreenCenter, poDesktopCenter,
  poMainFormCenter, poOwnerFormCenter
};
QN_ENUM_NAMES(TPosition, poDesigned, poDefault, poDefaultPosOnly, poDefaultSizeOnly, poScreenCenter,
              poDesktopCenter, poMainFormCenter, poOwnerFormCenter)
using enum TPosition;

enum class TWindowState : Byte { wsNormal, wsMinimized, wsMaximized };
QN_ENUM_NAMES(TWindowState, wsNormal, wsMinimized, wsMaximized)
using enum TWindowState;

enum class TDefaultMonitor : Byte { dmDesktop, dmPrimary, dmMainForm, dmActiveForm };
QN_ENUM_NAMES(TDefaultMonitor, dmDesktop, dmPrimary, dmMainForm, dmActiveForm)
using enum TDefaultMonitor;

enum class TCloseAction : Byte { caNone, caHide, caFree, caMinimize };
using enum TCloseAction;

using TModalResult = Integer;
inline constexpr TModalResult mrNone = 0, mrOk = 1, mrCancel = 2, mrAbort = 3, mrRetry = 4, mrIgnore = 5,
                              mrYes = 6, mrNo = 7, mrClose = 8, mrHelp = 9, mrTryAgain = 10,
                              mrContinue = 11, mrAll = 12, mrNoToAll = 13, mrYesToAll = 14;

using TCloseEvent = TEvent<void(TObject* Sender, TCloseAction& Action)>;
using TCloseQueryEvent = TEvent<void(TObject* Sender, bool& CanClose)>;

// What a form's components tell the designer that edits the form: the
// design host sets it on the forms it designs; nil at run time.
class IDesignerHook {
 public:
  virtual ~IDesignerHook() = default;
  // The form (one of its components) changed and needs saving.
  virtual void Modified() = 0;
};

// A top-level window with controls: the root of its control tree. It keeps
// the active control (the one that has, or gets, the focus when the form is
// active), routes the keys its controls leave alone (Tab and the arrows
// move the focus; Enter and Escape go to the default and cancel buttons;
// accelerators), and runs modally.
//
// new TForm(Owner) makes an empty form (the platform's CreateNew);
// TCustomForm::Create<T>(Owner) makes a T and reads its form resources.
// A form starts hidden.
class TCustomForm : public TWinControl {
  QN_CLASS(TCustomForm, TWinControl)
 public:
  explicit TCustomForm(TComponent* AOwner);
  ~TCustomForm() override;
  void BeforeDestruction() override;

  // Makes a T owned by AOwner from the form resources of its class and its
  // parents (raising EResNotFound when a class other than TForm has none),
  // then calls OnCreate. A form that fails to read is freed.
  template <class T>
  static T* Create(TComponent* AOwner);

  TCustomForm* AsCustomForm() override { return this; }

  // Visible and in front.
  void Show();
  // Shows the form, disables the thread's other windows and dispatches
  // messages until ModalResult is set (Close sets mrCancel), then hides the
  // form and returns the result. When the window server's modal idle hook
  // gives up on an empty queue, the loop ends with mrCancel. Raises EInvalidOperation "Cannot make a
  // visible window modal" for a form that is already visible.
  virtual Integer ShowModal();
  // OnCloseQuery, then OnClose with caHide; a modal form only sets
  // ModalResult to mrCancel. What happens then depends on the action: the
  // main form terminates the application, caHide hides, caMinimize
  // minimises, caFree releases.
  void Close();
  virtual bool CloseQuery();
  // Frees the form once the message being handled is done (posts
  // CM_RELEASE to itself).
  void Release();

  TModalResult ModalResult() const { return FModalResult; }
  void SetModalResult(TModalResult Value) { FModalResult = Value; }
  TWinControl* ActiveControl() const { return FActiveControl; }
  void SetActiveControl(TWinControl* Control);
  TFormState FormState() const { return FFormState; }
  bool Active() const { return FActive; }
  // The designer editing the form, or nil; not owned.
  IDesignerHook* Designer() const { return FDesigner; }
  void SetDesigner(IDesignerHook* Value) { FDesigner = Value; }

  TFormBorderStyle BorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TFormBorderStyle Value);
  TBorderIcons BorderIcons() const { return FBorderIcons; }
  void SetBorderIcons(TBorderIcons Value);
  TFormStyle FormStyle() const { return FFormStyle; }
  void SetFormStyle(TFormStyle Value);
  TPosition Position() const { return FPosition; }
  void SetPosition(TPosition Value);
  TWindowState WindowState() const;
  void SetWindowState(TWindowState Value);
  TDefaultMonitor DefaultMonitor() const { return FDefaultMonitor; }
  void SetDefaultMonitor(TDefaultMonitor Value) { FDefaultMonitor = Value; }
  // The monitor the form is on (the nearest one).
  TMonitor* Monitor();

  // Constant opacity (AlphaBlendValue, 0..255) and a colour shown
  // transparent, both through the window's layered attributes.
  bool AlphaBlend() const { return FAlphaBlend; }
  void SetAlphaBlend(bool Value);
  Byte AlphaBlendValue() const { return FAlphaBlendValue; }
  void SetAlphaBlendValue(Byte Value);
  bool TransparentColor() const { return FTransparentColor; }
  void SetTransparentColor(bool Value);
  TColor TransparentColorValue() const { return FTransparentColorValue; }
  void SetTransparentColorValue(TColor Value);

  // The form sees its controls' key messages (OnKeyDown, OnKeyPress,
  // OnKeyUp) before they do, and may consume them by zeroing the key.
  bool KeyPreview() const { return FKeyPreview; }
  void SetKeyPreview(bool Value) { FKeyPreview = Value; }
  bool PreviewKeys() override { return FKeyPreview; }
  // A key the focused control left alone, tried as a shortcut of the
  // form's action lists; true when an action ran.
  virtual bool IsShortCut(TWMKey& Message);
  // Brings the actions of the form's visible controls and of its menus'
  // items up to date (the application's idle step asks for it).
  void UpdateActions();
  // Designed at PixelsPerInch; with Scaled set a form read from a file
  // designed at another density is scaled to the screen's (positions,
  // sizes and fonts by the screen's density over the file's), and
  // PixelsPerInch becomes the screen's.
  bool Scaled() const { return FScaled; }
  void SetScaled(bool Value) { FScaled = Value; }
  Integer PixelsPerInch() const { return FPixelsPerInch; }
  void SetPixelsPerInch(Integer Value) { FPixelsPerInch = Value > 0 ? Value : 96; }
  // Kept for files of older designers: OnCreate always runs once the form
  // is read, whatever this says.
  bool OldCreateOrder() const { return FOldCreateOrder; }
  void SetOldCreateOrder(bool Value) { FOldCreateOrder = Value; }

  // The client area as it would show now, painted into a new bitmap the
  // caller frees.
  TBitmap* GetFormImage();
  TCanvas* Canvas() const { return FCanvas.get(); }

  const TNotifyEvent& OnCreate() const { return FOnCreate; }
  void SetOnCreate(const TNotifyEvent& Value) { FOnCreate = Value; }
  const TNotifyEvent& OnDestroy() const { return FOnDestroy; }
  void SetOnDestroy(const TNotifyEvent& Value) { FOnDestroy = Value; }
  const TNotifyEvent& OnShow() const { return FOnShow; }
  void SetOnShow(const TNotifyEvent& Value) { FOnShow = Value; }
  const TNotifyEvent& OnHide() const { return FOnHide; }
  void SetOnHide(const TNotifyEvent& Value) { FOnHide = Value; }
  const TNotifyEvent& OnActivate() const { return FOnActivate; }
  void SetOnActivate(const TNotifyEvent& Value) { FOnActivate = Value; }
  const TNotifyEvent& OnDeactivate() const { return FOnDeactivate; }
  void SetOnDeactivate(const TNotifyEvent& Value) { FOnDeactivate = Value; }
  const TNotifyEvent& OnPaint() const { return FOnPaint; }
  void SetOnPaint(const TNotifyEvent& Value) { FOnPaint = Value; }
  const TCloseEvent& OnClose() const { return FOnClose; }
  void SetOnClose(const TCloseEvent& Value) { FOnClose = Value; }
  const TCloseQueryEvent& OnCloseQuery() const { return FOnCloseQuery; }
  void SetOnCloseQuery(const TCloseQueryEvent& Value) { FOnCloseQuery = Value; }

  // Root hooks of the control tree.
  bool SetFocusedControl(TWinControl* Control) override;
  void FocusControl(TWinControl* Control) override;
  void DefocusControl(TWinControl* Control, bool Removing) override;
  void SetFocus() override;

  void Dispatch(TMessage& Message) override;
  void GetChildren(const TGetChildProc& Proc, TComponent* Root) override;
  // Calls OnCreate (Create<T> does, once the form is read).
  virtual void DoCreate();

 protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void PaintWindow(HDC DC) override;
  // Read with Scaled on and another PixelsPerInch than the screen's, the
  // form is scaled to the screen (ScaleForDensity).
  void ReadState(TReader* Reader) override;
  void Loaded() override;
  void ScaleForDensity(Integer M, Integer D);
  // "TextHeight": the designer's font height, read and written back.
  void DefineProperties(TFiler* Filer) override;
  // Without a window the client area is what the frame its styles give
  // will leave.
  void SetClientSize(const TPoint& Value) override;
  TRect GetClientRect() override;
  virtual void DoDestroy();
  virtual void DoShow();
  virtual void DoHide();
  virtual void DoClose(TCloseAction& Action);
  virtual void Activate();
  virtual void Deactivate();
  virtual void Paint();
  // What ShowModal does each time ModalResult turns non-zero: asks
  // CloseQuery/OnClose, and keeps the loop going for caNone.
  void CloseModal();

 private:
  void CMShowingChanged(TMessage& Message);
  void CMDialogKey(TMessage& Message);
  void CMActionExecuteUpdate(TMessage& Message);
  void WMActivate(TMessage& Message);
  void SetWindowFocus();
  void SetActive(bool Value);
  void ApplyPosition();
  void UpdateLayered();
  TCreateParams StyleParams();
  bool SendFocusMessage(HWND Handle, UINT Msg);

  TModalResult FModalResult = mrNone;
  TWinControl* FActiveControl = nullptr;
  IDesignerHook* FDesigner = nullptr;
  TFormState FFormState;
  bool FActive = false;
  bool FPositioned = false;
  bool FStyleOnly = false;  // CreateParams asked only for the styles
  TPoint FLoadedClientSize{-1, -1};
  TFormBorderStyle FBorderStyle = bsSizeable;
  TBorderIcons FBorderIcons{biSystemMenu, biMinimize, biMaximize};
  TFormStyle FFormStyle = fsNormal;
  TPosition FPosition = poDefaultPosOnly;
  TWindowState FWindowState = wsNormal;
  TDefaultMonitor FDefaultMonitor = dmActiveForm;
  bool FAlphaBlend = false;
  Byte FAlphaBlendValue = 255;
  bool FTransparentColor = false;
  TColor FTransparentColorValue = 0;
  bool FKeyPreview = false;
  bool FScaled = true;
  Integer FPixelsPerInch = 96;
  bool FOldCreateOrder = false;
  Integer FTextHeight = 0;
  std::unique_ptr<TControlCanvas> FCanvas;
  TNotifyEvent FOnCreate, FOnDestroy, FOnShow, FOnHide, FOnActivate, FOnDeactivate, FOnPaint;
  TCloseEvent FOnClose;
  TCloseQueryEvent FOnCloseQuery;
};

// The form class of applications, with its properties published.
class TForm : public TCustomForm {
  QN_CLASS_CREATE(TForm, TCustomForm, TComponent)
 public:
  explicit TForm(TComponent* AOwner) : TCustomForm(AOwner) {}
  // The platform's CreateNew: an empty form, no form resource read.
  static TForm* CreateNew(TComponent* AOwner) { return new TForm(AOwner); }

  QN_PUBLISHED_DECL(TForm) {
    P.Property(u"ActiveControl", &TCustomForm::ActiveControl, &TCustomForm::SetActiveControl);
    P.Property(u"AlphaBlend", &TCustomForm::AlphaBlend, &TCustomForm::SetAlphaBlend).Default(false);
    P.Property(u"AlphaBlendValue", &TCustomForm::AlphaBlendValue, &TCustomForm::SetAlphaBlendValue).Default(255);
    P.Property(u"BorderIcons", &TCustomForm::BorderIcons, &TCustomForm::SetBorderIcons)
        .Default(TBorderIcons{biSystemMenu, biMinimize, biMaximize});
    P.Property(u"BorderStyle", &TCustomForm::BorderStyle, &TCustomForm::SetBorderStyle).Default(bsSizeable);
    P.Property(u"Caption", &TControl::Caption, &TControl::SetCaption).TypeName(u"TCaption");
    P.Property(u"ClientHeight", &TControl::ClientHeight, &TControl::SetClientHeight).Stored(false);
    P.Property(u"ClientWidth", &TControl::ClientWidth, &TControl::SetClientWidth).Stored(false);
    P.Property(u"Color", &TControl::Color, &TControl::SetColor).Stored(&TControl::IsColorStored).TypeName(u"TColor").Default(clBtnFace);
    P.Property(u"DefaultMonitor", &TCustomForm::DefaultMonitor, &TCustomForm::SetDefaultMonitor)
        .Default(dmActiveForm);
    P.Property(u"Enabled", &TControl::Enabled, &TControl::SetEnabled).Default(true);
    P.Property(u"Font", &TControl::Font, &TControl::SetFont).Stored(&TControl::IsFontStored);
    P.Property(u"FormStyle", &TCustomForm::FormStyle, &TCustomForm::SetFormStyle).Default(fsNormal);
    P.Property(u"KeyPreview", &TCustomForm::KeyPreview, &TCustomForm::SetKeyPreview).Default(false);
    P.Property(u"OldCreateOrder", &TCustomForm::OldCreateOrder, &TCustomForm::SetOldCreateOrder).Default(false);
    P.Property(u"PixelsPerInch", &TCustomForm::PixelsPerInch, &TCustomForm::SetPixelsPerInch).NoDefault();
    P.Property(u"Position", &TCustomForm::Position, &TCustomForm::SetPosition).Default(poDefaultPosOnly);
    P.Property(u"Scaled", &TCustomForm::Scaled, &TCustomForm::SetScaled).Default(true);
    P.Property(u"ShowHint", &TControl::ShowHint, &TControl::SetShowHint).Stored(&TControl::IsShowHintStored).Default(false);
    P.Property(u"TransparentColor", &TCustomForm::TransparentColor, &TCustomForm::SetTransparentColor)
        .Default(false);
    P.Property(u"TransparentColorValue", &TCustomForm::TransparentColorValue,
               &TCustomForm::SetTransparentColorValue)
        .TypeName(u"TColor")
        .Default(0);
    P.Property(u"Visible", &TControl::Visible, &TControl::SetVisible).Default(false);
    P.Property(u"WindowState", &TCustomForm::WindowState, &TCustomForm::SetWindowState).Default(wsNormal);
    P.Property(u"OnActivate", &TCustomForm::OnActivate, &TCustomForm::SetOnActivate);
    P.Property(u"OnClick", &TControl::OnClick, &TControl::SetOnClick);
    P.Property(u"OnClose", &TCustomForm::OnClose, &TCustomForm::SetOnClose);
    P.Property(u"OnCloseQuery", &TCustomForm::OnCloseQuery, &TCustomForm::SetOnCloseQuery);
    P.Property(u"OnCreate", &TCustomForm::OnCreate, &TCustomForm::SetOnCreate);
    P.Property(u"OnDeactivate", &TCustomForm::OnDeactivate, &TCustomForm::SetOnDeactivate);
    P.Property(u"OnDestroy", &TCustomForm::OnDestroy, &TCustomForm::SetOnDestroy);
    P.Property(u"OnHide", &TCustomForm::OnHide, &TCustomForm::SetOnHide);
    P.Property(u"OnKeyDown", &TWinControl::OnKeyDown, &TWinControl::SetOnKeyDown);
    P.Property(u"OnKeyPress", &TWinControl::OnKeyPress, &TWinControl::SetOnKeyPress);
    P.Property(u"OnKeyUp", &TWinControl::OnKeyUp, &TWinControl::SetOnKeyUp);
    P.Property(u"OnPaint", &TCustomForm::OnPaint, &TCustomForm::SetOnPaint);
    P.Property(u"OnResize", &TControl::OnResize, &TControl::SetOnResize);
    P.Property(u"OnShow", &TCustomForm::OnShow, &TCustomForm::SetOnShow);
  }
};

template <class T>
T* TCustomForm::Create(TComponent* AOwner) {
  T* form = new T(AOwner);
  try {
    if (form->ClassType() != TForm::StaticClass()) {
      form->FFormState.Include(fsCreating);
      bool found = InitInheritedComponent(form, TForm::StaticClass());
      form->FFormState.Exclude(fsCreating);
      if (!found) throw EResNotFound::CreateFmt(u"Resource %s not found", {form->ClassName()});
    }
    form->DoCreate();
  } catch (...) {
    delete form;
    throw;
  }
  return form;
}

template <class T>
void TApplication::CreateForm(T*& Reference) {
  Reference = nullptr;
  T* form = TCustomForm::Create<T>(this);
  Reference = form;
  if (!FMainForm && ::vcl::Is<TForm>(form)) {
    form->HandleNeeded();
    FMainForm = form;
  }
}

extern TApplication* Application;
extern TScreen* Screen;
extern TMouse* Mouse;

// Scripted modal forms, for tests and demos that drive dialogs: each
// ShowModal takes the next script queued, and runs it (with the form) the
// first time its loop finds the queue empty; the script may act on the form
// (click, type, set ModalResult). A ShowModal without a script keeps the
// usual rule (it cancels when the modal idle hook gives up). Every run is
// recorded.
using TModalScript = std::function<void(TCustomForm* Form)>;
void SetModalScript(TModalScript Proc);
Integer PendingModalScripts();
void ClearModalScripts();
struct TModalRun {
  String FormClass;
  String FormName;
  bool Scripted = false;
  TModalResult Result = mrNone;
};
std::vector<TModalRun> ModalRuns();
void ClearModalRuns();

// The unit's initialisation and finalisation.
void InitForms();
void DoneForms();

}  // namespace vcl

#include "platform/rtl/MacroShieldEnd.h"
