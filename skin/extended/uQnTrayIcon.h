// uQnTrayIcon: an icon in the shell's notification area whose callbacks
// become component events (presses, releases, click against double click,
// enter and exit, balloon events), with icon cycling through an image list,
// a pop-up menu, balloon hints, and hiding the main form into the tray.
//
// Every tray icon of the process shares one hidden handler window. The
// shell hands each callback back with the icon's id: a small integer the
// handler maps to its component, so a callback that arrives after its
// component went (queued just before) finds nobody and is dropped.
#pragma once
#include "platform/rtl/MacroShield.h"

#include <map>
#include <memory>

#include "platform/comctl/CommCtrl.h"
#include "platform/shell/ShellAPI.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/Icon.h"
#include "platform/vcl/ImgList.h"
#include "platform/vcl/Menus.h"
#include "skin/foundation/uQnSimpleTimer.h"
#include "skin/foundation/uQuarnIntf.h"

namespace qn {

enum class TBalloonHintIcon : Byte { bitNone, bitInfo, bitWarning, bitError, bitCustom };
QN_ENUM_NAMES(TBalloonHintIcon, bitNone, bitInfo, bitWarning, bitError, bitCustom)
using enum TBalloonHintIcon;

// Seconds, 1..60.
using TBalloonHintTimeOut = Integer;

// The shell's notification behaviour: version 0 or 3.
enum class TBehavior : Byte { bhWin95, bhWin2000 };
QN_ENUM_NAMES(TBehavior, bhWin95, bhWin2000)
using enum TBehavior;

using TCycleEvent = TEvent<void(TObject* Sender, Integer NextIndex)>;
using TStartupEvent = TEvent<void(TObject* Sender, bool& ShowMainForm)>;

class TQnTrayIcon;

// The process's one window for the shell's tray callbacks, counted by the
// tray icons that use it.
class TTrayIconHandler : public TObject {
  QN_CLASS(TTrayIconHandler, TObject)
 public:
  TTrayIconHandler();
  ~TTrayIconHandler() override;

  void Add();
  // Never below 0.
  void Remove();
  Cardinal RefCount() const { return FRefCount; }
  HWND Handle() const { return FHandle; }

  // The id a component's callbacks come back with; ids are never reused.
  UINT Register(TQnTrayIcon* Icon);
  void Unregister(UINT Id);
  TQnTrayIcon* Find(UINT Id) const;

 protected:
  void HandleIconMessage(TMessage& Message);

 private:
  Cardinal FRefCount = 0;
  HWND FHandle = nullptr;
  std::map<UINT, TQnTrayIcon*> FIcons;
};

// The handler while any tray icon lives; nullptr otherwise.
TTrayIconHandler* TrayIconHandler();
// The registered "TaskbarCreated" message (0 before the unit's start-up or
// with common controls older than 4.71).
UINT TaskbarCreatedMessage();

class TQnTrayIcon : public TComponent {
  QN_CLASS_CREATE(TQnTrayIcon, TComponent, TComponent)
 public:
  explicit TQnTrayIcon(TComponent* AOwner);
  ~TQnTrayIcon() override;
  void Loaded() override;

  // Shell calls; each answers whether the shell took it.
  virtual bool LoadDefaultIcon() { return true; }
  virtual bool ShowIcon();
  virtual bool HideIcon();
  virtual bool ModifyIcon();
  bool Refresh() { return ModifyIcon(); }
  bool SetFocus();

  // Title cut to 63 characters, text to 255; Timeout in seconds (1..60,
  // else EArgumentOutOfRangeException and nothing sent).
  void ShowBalloonHint(const String& Title, const String& Text, TBalloonHintIcon Icon, TBalloonHintTimeOut TimeOut);
  void HideBalloonHint();

  void Popup(Integer X, Integer Y);
  void PopupAtCursor();
  void ShowMainForm();
  void HideMainForm();
  void ShowTaskbarIcon();
  void HideTaskbarIcon();
  // The bitmap at 16 x 16 with the colour transparent.
  bool BitmapToIcon(TBitmap* Bitmap, TIcon* Icon, TColor MaskColor);
  TPoint GetClientIconPos(Integer X, Integer Y);
  // The shell's tip and balloon windows (nullptr when not there).
  HWND GetTooltipHandle();
  HWND GetBalloonHintHandle();

  // What the handler window hands on: one shell callback.
  void HandleNotification(LPARAM Event);

  const NOTIFYICONDATAW& IconData() const { return FIconData; }
  UINT IconID() const { return FIconID; }

  // Properties.
  bool DesignPreview() const { return FDesignPreview; }
  void SetDesignPreview(bool Value);
  TCustomImageList* IconList() const { return FIconList; }
  void SetIconList(TCustomImageList* Value);
  bool CycleIcons() const { return FCycleIcons; }
  void SetCycleIcons(bool Value);
  Cardinal CycleInterval() const { return FCycleInterval; }
  void SetCycleInterval(Cardinal Value);
  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool Value) { FEnabled = Value; }
  const String& Hint() const { return FHint; }
  void SetHint(const String& Value);
  bool ShowHint() const { return FShowHint; }
  void SetShowHint(bool Value);
  TIcon* Icon() const { return FIcon.get(); }
  void SetIcon(TIcon* Value);
  bool IconVisible() const { return FIconVisible; }
  void SetIconVisible(bool Value);
  Integer IconIndex() const { return FIconIndex; }
  void SetIconIndex(Integer Value);
  TPopupMenu* PopupMenu() const { return FPopupMenu; }
  void SetPopupMenu(TPopupMenu* Value);
  bool LeftPopup() const { return FLeftPopup; }
  void SetLeftPopup(bool Value) { FLeftPopup = Value; }
  bool WantEnterExitEvents() const { return FWantEnterExitEvents; }
  void SetWantEnterExitEvents(bool Value);
  bool MinimizeToTray() const { return FMinimizeToTray; }
  void SetMinimizeToTray(bool Value) { FMinimizeToTray = Value; }
  TBehavior Behavior() const { return FBehavior; }
  void SetBehavior(TBehavior Value);

#define QN_TRAY_EVENT(Name, Type)                          \
  const Type& Name() const { return F##Name; }             \
  void Set##Name(const Type& Value) { F##Name = Value; }
  QN_TRAY_EVENT(OnClick, TNotifyEvent)
  QN_TRAY_EVENT(OnDblClick, TNotifyEvent)
  QN_TRAY_EVENT(OnMouseDown, TMouseEvent)
  QN_TRAY_EVENT(OnMouseUp, TMouseEvent)
  QN_TRAY_EVENT(OnMouseMove, TMouseMoveEvent)
  QN_TRAY_EVENT(OnMouseEnter, TNotifyEvent)
  QN_TRAY_EVENT(OnMouseExit, TNotifyEvent)
  QN_TRAY_EVENT(OnCycle, TCycleEvent)
  QN_TRAY_EVENT(OnBalloonHintShow, TNotifyEvent)
  QN_TRAY_EVENT(OnBalloonHintHide, TNotifyEvent)
  QN_TRAY_EVENT(OnBalloonHintTimeout, TNotifyEvent)
  QN_TRAY_EVENT(OnBalloonHintClick, TNotifyEvent)
  QN_TRAY_EVENT(OnMinimizeToTray, TNotifyEvent)
  QN_TRAY_EVENT(OnStartup, TStartupEvent)
#undef QN_TRAY_EVENT

  QN_PUBLISHED_DECL(TQnTrayIcon) {
    QN_PROP(DesignPreview).Default(false);
    QN_PROP(IconList);
    QN_PROP(CycleIcons).Default(false);
    QN_PROP(CycleInterval).Default(0);
    QN_PROP(Enabled).Default(true);
    QN_PROP(Hint);
    QN_PROP(ShowHint).Default(true);
    QN_PROP(Icon);
    QN_PROP(IconVisible).Default(false);
    QN_PROP(IconIndex).Default(0);
    QN_PROP(PopupMenu);
    QN_PROP(LeftPopup).Default(false);
    QN_PROP(WantEnterExitEvents).Default(false);
    QN_PROP(MinimizeToTray).Default(false);
    QN_PROP(OnClick).TypeName(u"TNotifyEvent");
    QN_PROP(OnDblClick).TypeName(u"TNotifyEvent");
    QN_PROP(OnMouseDown).TypeName(u"TMouseEvent");
    QN_PROP(OnMouseUp).TypeName(u"TMouseEvent");
    QN_PROP(OnMouseMove).TypeName(u"TMouseMoveEvent");
    QN_PROP(OnMouseEnter).TypeName(u"TNotifyEvent");
    QN_PROP(OnMouseExit).TypeName(u"TNotifyEvent");
    QN_PROP(OnCycle).TypeName(u"TCycleEvent");
    QN_PROP(OnBalloonHintShow).TypeName(u"TNotifyEvent");
    QN_PROP(OnBalloonHintHide).TypeName(u"TNotifyEvent");
    QN_PROP(OnBalloonHintTimeout).TypeName(u"TNotifyEvent");
    QN_PROP(OnBalloonHintClick).TypeName(u"TNotifyEvent");
    QN_PROP(OnMinimizeToTray).TypeName(u"TNotifyEvent");
    QN_PROP(OnStartup).TypeName(u"TStartupEvent");
  }

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;
  bool InitIcon();
  void IconChanged(TObject* Sender);

  // Each fires its event when assigned.
  virtual void Click();
  virtual void DblClick();
  virtual void CycleIcon(Integer NextIndex);
  virtual void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y);
  virtual void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y);
  virtual void MouseMove(TShiftState Shift, Integer X, Integer Y);
  virtual void MouseEnter();
  virtual void MouseExit();
  virtual void DoMinimizeToTray();

  void CycleTimerProc(TObject* Sender);
  void ClickTimerProc(TObject* Sender);
  void MouseExitTimerProc(TObject* Sender);
  bool HookAppProc(TMessage& Message);
  void HookForm();
  void UnhookForm();
  // The owner form's messages, ahead of its window procedure; true when
  // the message ends here (Result set).
  bool HookFormProc(TMessage& Message);

  bool FEnabled = true;
  std::unique_ptr<TIcon> FIcon;
  UINT FIconID = 0;
  bool FIconVisible = false;
  String FHint;
  bool FShowHint = true;
  TPopupMenu* FPopupMenu = nullptr;
  bool FLeftPopup = false;
  TNotifyEvent FOnClick, FOnDblClick, FOnMouseEnter, FOnMouseExit;
  TMouseEvent FOnMouseDown, FOnMouseUp;
  TMouseMoveEvent FOnMouseMove;
  TCycleEvent FOnCycle;
  TNotifyEvent FOnBalloonHintShow, FOnBalloonHintHide, FOnBalloonHintTimeout, FOnBalloonHintClick;
  TNotifyEvent FOnMinimizeToTray;
  TStartupEvent FOnStartup;
  bool FMinimizeToTray = false;
  bool FClickStart = false;
  bool FClickReady = false;
  std::unique_ptr<uQnSimpleTimer::TSimpleTimer> CycleTimer, ClickTimer, ExitTimer;
  Integer LastMoveX = 0, LastMoveY = 0;
  bool FDidExit = true;
  bool FWantEnterExitEvents = false;
  TBehavior FBehavior = bhWin95;
  bool IsDblClick = false;
  Integer FIconIndex = 0;
  bool FDesignPreview = false;
  bool SettingPreview = false;
  bool SettingMDIForm = true;
  TCustomImageList* FIconList = nullptr;
  bool FCycleIcons = false;
  Cardinal FCycleInterval = 0;
  NOTIFYICONDATAW FIconData;

 private:
  static LRESULT FormSubclassProc(HWND h, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id, DWORD_PTR data);
  TWindowHook FAppHook;
  HWND FHookedForm = nullptr;  // the owner's window while our subclass node is on it
  bool FSettingIndex = false;  // SetIconIndex sends its own NIM_MODIFY
};

void InitQnTrayIcon();
void DoneQnTrayIcon();

}  // namespace qn

#include "platform/rtl/MacroShieldEnd.h"
