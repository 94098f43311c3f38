#include "skin/extended/uQnTrayIcon.h"

#include <algorithm>

#include "platform/comctl/Tooltip.h"
#include "platform/gdi/GdiIcon.h"
#include "platform/rtl/SysUtils.h"
#include "platform/user/OwnedWindows.h"
#include "platform/rtl/Units.h"
#include "platform/vcl/Controls.h"

namespace qn {

namespace {

TTrayIconHandler* gHandler = nullptr;
UINT gTaskbarCreated = 0;
UINT gNextId = 1;  // ids are never handed out twice in a process

// Copies at most N - 1 characters and the terminator; a cut that would
// split a surrogate pair leaves the pair out.
template <size_t N>
void CopyText(char16_t (&to)[N], const String& from) {
  size_t n = std::min(from.size(), N - 1);
  if (n > 0 && n < from.size() && from[n - 1] >= 0xD800 && from[n - 1] <= 0xDBFF) --n;
  std::fill(std::begin(to), std::end(to), u'\0');
  std::copy_n(from.begin(), n, to);
}

TPoint CursorPos() {
  POINT p;
  if (!GetCursorPos(&p)) return TPoint();
  return TPoint(p.X, p.Y);
}

bool OwnerIsWindowed(TComponent* Owner) { return Owner && ::vcl::Is<TWinControl>(Owner); }

}  // namespace

// ---------------------------------------------------------------------------
// The handler

TTrayIconHandler::TTrayIconHandler() {
  FHandle = AllocateHWnd([this](TMessage& m) { HandleIconMessage(m); });
}

TTrayIconHandler::~TTrayIconHandler() {
  if (FHandle) DeallocateHWnd(FHandle);
  if (gHandler == this) gHandler = nullptr;
}

void TTrayIconHandler::Add() { ++FRefCount; }

void TTrayIconHandler::Remove() {
  if (FRefCount > 0) --FRefCount;
}

UINT TTrayIconHandler::Register(TQnTrayIcon* Icon) {
  UINT id = gNextId++;
  FIcons[id] = Icon;
  return id;
}

void TTrayIconHandler::Unregister(UINT Id) { FIcons.erase(Id); }

TQnTrayIcon* TTrayIconHandler::Find(UINT Id) const {
  auto it = FIcons.find(Id);
  return it == FIcons.end() ? nullptr : it->second;
}

void TTrayIconHandler::HandleIconMessage(TMessage& Message) {
  switch (Message.Msg) {
    case WM_DESTROY:
    case WM_CLOSE:
    case WM_QUERYENDSESSION:
    case WM_QUIT:
    case WM_ENDSESSION:
    case WM_NCDESTROY:
      Message.Result = 1;
      return;
    case MM_TRAYNOTIFY:
      // An id nobody holds any more (the icon went with the callback still
      // queued) is dropped.
      if (TQnTrayIcon* icon = Find(UINT(Message.WParam))) icon->HandleNotification(Message.LParam);
      Message.Result = 0;
      return;
    default:
      Message.Result = DefWindowProcW(FHandle, Message.Msg, Message.WParam, Message.LParam);
  }
}

TTrayIconHandler* TrayIconHandler() { return gHandler; }

UINT TaskbarCreatedMessage() { return gTaskbarCreated; }

// ---------------------------------------------------------------------------
// Construction

TQnTrayIcon::TQnTrayIcon(TComponent* AOwner) : TComponent(AOwner) {
  if (!gHandler) gHandler = new TTrayIconHandler;
  gHandler->Add();
  FIconID = gHandler->Register(this);
  FIcon = std::make_unique<TIcon>();
  FIcon->SetOnChange(TNotifyEvent(this, &TQnTrayIcon::IconChanged));
  FIconData.cbSize = NOTIFYICONDATAW_V2_SIZE;
  FIconData.hWnd = gHandler->Handle();
  FIconData.uID = FIconID;
  FIconData.uFlags = NIF_MESSAGE | NIF_ICON;
  if (!Application->Title().empty()) FIconData.uFlags |= NIF_TIP;
  FIconData.uCallbackMessage = MM_TRAYNOTIFY;
  CycleTimer = std::make_unique<uQnSimpleTimer::TSimpleTimer>(0, TNotifyEvent(this, &TQnTrayIcon::CycleTimerProc));
  ClickTimer = std::make_unique<uQnSimpleTimer::TSimpleTimer>(GetDoubleClickTime(),
                                                               TNotifyEvent(this, &TQnTrayIcon::ClickTimerProc));
  ExitTimer = std::make_unique<uQnSimpleTimer::TSimpleTimer>(20, TNotifyEvent(this, &TQnTrayIcon::MouseExitTimerProc));
  SetDesignPreview(FDesignPreview);
  if (!ComponentState().Contains(csDesigning)) {
    FAppHook = TWindowHook(this, &TQnTrayIcon::HookAppProc);
    Application->HookMainWindow(FAppHook);
    // The hook hears the shell's broadcasts through the application's
    // window, so that window must be there.
    Application->Handle();
    if (OwnerIsWindowed(AOwner)) HookForm();
  }
}

TQnTrayIcon::~TQnTrayIcon() {
  SetIconVisible(false);
  SetDesignPreview(false);
  CycleTimer.reset();
  ClickTimer.reset();
  ExitTimer.reset();
  if (FAppHook) Application->UnhookMainWindow(FAppHook);
  UnhookForm();
  if (FIconList) FIconList->RemoveFreeNotification(this);
  if (FPopupMenu) FPopupMenu->RemoveFreeNotification(this);
  if (gHandler) {
    gHandler->Unregister(FIconID);
    gHandler->Remove();
    if (gHandler->RefCount() == 0) delete gHandler;
  }
  FIcon->SetOnChange(nullptr);
}

void TQnTrayIcon::Loaded() {
  TComponent::Loaded();
  if (!ComponentState().Contains(csDesigning) && OwnerIsWindowed(Owner())) {
    bool show = true;
    if (FOnStartup) FOnStartup(this, show);
    if (!show) {
      Application->SetShowMainForm(false);
      HideMainForm();
    }
  }
  ModifyIcon();
  // The stored values take effect now that everything is read.
  bool visible = FIconVisible, cycle = FCycleIcons, enterExit = FWantEnterExitEvents;
  FIconVisible = !visible;
  SetIconVisible(visible);
  SetCycleIcons(cycle);
  SetWantEnterExitEvents(enterExit);
  SetBehavior(FBehavior);
}

void TQnTrayIcon::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  if (AComponent == FIconList) SetIconList(nullptr);
  if (AComponent == FPopupMenu) FPopupMenu = nullptr;
}

// ---------------------------------------------------------------------------
// Shell calls

bool TQnTrayIcon::InitIcon() {
  bool allowed = !ComponentState().Contains(csDesigning) || FDesignPreview || SettingPreview;
  if (!allowed) return false;
  FIconData.hIcon = FIcon->Empty() ? nullptr : FIcon->Handle();
  if (!FHint.empty() && FShowHint) CopyText(FIconData.szTip, FHint);
  else CopyText(FIconData.szTip, String());
  return true;
}

bool TQnTrayIcon::ShowIcon() {
  if (!SettingPreview) FIconVisible = true;
  if (!InitIcon()) return false;
  return Shell_NotifyIconW(NIM_ADD, &FIconData);
}

bool TQnTrayIcon::HideIcon() {
  if (!SettingPreview) FIconVisible = false;
  if (!InitIcon()) return false;
  return Shell_NotifyIconW(NIM_DELETE, &FIconData);
}

bool TQnTrayIcon::ModifyIcon() {
  if (!InitIcon()) return false;
  return Shell_NotifyIconW(NIM_MODIFY, &FIconData);
}

bool TQnTrayIcon::SetFocus() { return Shell_NotifyIconW(NIM_SETFOCUS, &FIconData); }

void TQnTrayIcon::IconChanged(TObject*) {
  if (!FSettingIndex) ModifyIcon();
}

void TQnTrayIcon::ShowBalloonHint(const String& Title, const String& Text, TBalloonHintIcon Icon,
                                  TBalloonHintTimeOut TimeOut) {
  if (TimeOut < 1 || TimeOut > 60)
    throw EArgumentOutOfRangeException(u"A balloon's time-out is 1 to 60 seconds, not " + IntToStr(TimeOut));
  HideBalloonHint();
  CopyText(FIconData.szInfo, Text);
  CopyText(FIconData.szInfoTitle, Title);
  FIconData.uTimeout = UINT(TimeOut) * 1000;
  FIconData.dwInfoFlags = DWORD(Icon);
  // The balloon goes with this call only: were NIF_INFO left in the
  // record, every later change of the icon (a cycle step) would show the
  // balloon again.
  FIconData.uFlags |= NIF_INFO;
  ModifyIcon();
  FIconData.uFlags &= ~NIF_INFO;
}

void TQnTrayIcon::HideBalloonHint() {
  FIconData.uFlags |= NIF_INFO;
  CopyText(FIconData.szInfo, String());
  ModifyIcon();
  FIconData.uFlags &= ~NIF_INFO;
}

// ---------------------------------------------------------------------------
// Properties

void TQnTrayIcon::SetDesignPreview(bool Value) {
  FDesignPreview = Value;
  SettingPreview = true;
  if (ComponentState().Contains(csDesigning)) {
    if (!FIcon->HandleAllocated() && FIcon->Empty() && LoadDefaultIcon())
      FIcon->SetHandle(LoadIconW(nullptr, IDI_WINLOGO));
    SetIconVisible(Value);
  }
  SettingPreview = false;
}

void TQnTrayIcon::SetIcon(TIcon* Value) {
  TNotifyEvent keep = FIcon->OnChange;
  FIcon->SetOnChange(nullptr);
  FIcon->Assign(Value);
  FIcon->SetOnChange(keep);
  ModifyIcon();
}

void TQnTrayIcon::SetIconVisible(bool Value) {
  // An icon that is not there is not deleted again (a preview being turned
  // off is there while IconVisible may say otherwise).
  if (Value) ShowIcon();
  else if (FIconVisible || SettingPreview) HideIcon();
}

void TQnTrayIcon::SetHint(const String& Value) {
  FHint = Value;
  ModifyIcon();
}

void TQnTrayIcon::SetShowHint(bool Value) {
  FShowHint = Value;
  ModifyIcon();
}

void TQnTrayIcon::SetIconList(TCustomImageList* Value) {
  if (FIconList == Value) return;
  if (FIconList) FIconList->RemoveFreeNotification(this);
  FIconList = Value;
  if (FIconList) FIconList->FreeNotification(this);
  SetIconIndex(0);
}

void TQnTrayIcon::SetIconIndex(Integer Value) {
  if (FIconList && FIconList->Count() > 0) {
    FIconIndex = std::clamp<Integer>(Value, 0, FIconList->Count() - 1);
    FSettingIndex = true;
    try {
      FIconList->GetIcon(FIconIndex, FIcon.get());
    } catch (...) {
      FSettingIndex = false;
      throw;
    }
    FSettingIndex = false;
  } else {
    FIconIndex = 0;
  }
  ModifyIcon();
}

void TQnTrayIcon::SetCycleIcons(bool Value) {
  FCycleIcons = Value;
  if (!Value) {
    CycleTimer->SetEnabled(false);
    return;
  }
  SetIconIndex(0);
  CycleTimer->SetInterval(FCycleInterval);
  CycleTimer->SetEnabled(true);
}

void TQnTrayIcon::SetCycleInterval(Cardinal Value) {
  if (Value == FCycleInterval) return;
  FCycleInterval = Value;
  SetCycleIcons(FCycleIcons);
}

void TQnTrayIcon::SetPopupMenu(TPopupMenu* Value) {
  if (FPopupMenu == Value) return;
  if (FPopupMenu) FPopupMenu->RemoveFreeNotification(this);
  FPopupMenu = Value;
  if (FPopupMenu) FPopupMenu->FreeNotification(this);
}

void TQnTrayIcon::SetWantEnterExitEvents(bool Value) {
  FWantEnterExitEvents = Value;
  ExitTimer->SetEnabled(Value);
}

void TQnTrayIcon::SetBehavior(TBehavior Value) {
  FBehavior = Value;
  FIconData.uVersion = Value == bhWin2000 ? NOTIFYICON_VERSION : 0;
  Shell_NotifyIconW(NIM_SETVERSION, &FIconData);
}

// ---------------------------------------------------------------------------
// Callbacks

void TQnTrayIcon::HandleNotification(LPARAM Event) {
  // A handler may free this component: after each event, go on only while
  // the id still names it.
  const UINT id = FIconID;
  auto alive = [id, this] { return gHandler && gHandler->Find(id) == this; };
  const TPoint at = CursorPos();
  const TShiftState shift = KeyboardStateToShiftState();
  auto withMenu = [this] { return FPopupMenu && FPopupMenu->AutoPopup(); };
  switch (UINT(Event)) {
    case WM_MOUSEMOVE:
      if (!FEnabled) return;
      if (FWantEnterExitEvents && FDidExit) {
        FDidExit = false;
        MouseEnter();
        if (!alive()) return;
      }
      LastMoveX = at.X;
      LastMoveY = at.Y;
      MouseMove(shift, at.X, at.Y);
      return;
    case WM_LBUTTONDOWN:
      if (!FEnabled) return;
      if (FOnDblClick) {
        ClickTimer->SetEnabled(false);
        ClickTimer->SetInterval(GetDoubleClickTime());
        ClickTimer->SetEnabled(true);
      }
      FClickStart = true;
      MouseDown(mbLeft, shift + ssLeft, at.X, at.Y);
      if (!alive()) return;
      if (FLeftPopup && withMenu()) {
        SetForegroundWindow(gHandler->Handle());
        PopupAtCursor();
      }
      return;
    case WM_LBUTTONUP:
      if (!FEnabled) return;
      if (FClickStart) {
        FClickReady = true;
        if (!ClickTimer->Enabled()) {
          FClickStart = FClickReady = false;
          Click();
          if (!alive()) return;
        }
      }
      FClickStart = false;
      MouseUp(mbLeft, shift + ssLeft, at.X, at.Y);
      return;
    case WM_LBUTTONDBLCLK:
      if (!FEnabled) return;
      FClickReady = false;
      IsDblClick = true;
      DblClick();
      if (!alive()) return;
      if (withMenu() && !FLeftPopup) {
        TMenuItem* items = FPopupMenu->Items();
        for (Integer i = 0; i < items->Count(); ++i)
          if (items->Items(i)->Default()) {
            items->Items(i)->Click();
            break;
          }
      }
      return;
    case WM_RBUTTONDOWN:
      if (!FEnabled) return;
      MouseDown(mbRight, shift + ssRight, at.X, at.Y);
      if (!alive()) return;
      if (withMenu()) {
        SetForegroundWindow(gHandler->Handle());
        PopupAtCursor();
      }
      return;
    case WM_RBUTTONUP:
      if (FBehavior == bhWin95 && FEnabled) MouseUp(mbRight, shift + ssRight, at.X, at.Y);
      return;
    case NIN_SELECT:
      // A left click's selection: its press and release were reported as
      // such already, and it is no right-button release.
      return;
    case WM_CONTEXTMENU:
    case NIN_KEYSELECT:
      if (FBehavior == bhWin2000 && FEnabled) MouseUp(mbRight, shift + ssRight, at.X, at.Y);
      return;
    case WM_MBUTTONDOWN:
      if (FEnabled) MouseDown(mbMiddle, shift + ssMiddle, at.X, at.Y);
      return;
    case WM_MBUTTONUP:
      if (FEnabled) MouseUp(mbMiddle, shift + ssMiddle, at.X, at.Y);
      return;
    case NIN_BALLOONSHOW:
      if (FOnBalloonHintShow) FOnBalloonHintShow(this);
      return;
    case NIN_BALLOONHIDE:
      if (FOnBalloonHintHide) FOnBalloonHintHide(this);
      return;
    case NIN_BALLOONTIMEOUT:
      if (FOnBalloonHintTimeout) FOnBalloonHintTimeout(this);
      return;
    case NIN_BALLOONUSERCLICK:
      if (FOnBalloonHintClick) FOnBalloonHintClick(this);
      return;
    default: return;
  }
}

void TQnTrayIcon::Click() {
  if (FOnClick) FOnClick(this);
}

void TQnTrayIcon::DblClick() {
  if (FOnDblClick) FOnDblClick(this);
}

void TQnTrayIcon::CycleIcon(Integer NextIndex) {
  if (FOnCycle) FOnCycle(this, NextIndex);
}

void TQnTrayIcon::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  if (FOnMouseDown) FOnMouseDown(this, Button, Shift, X, Y);
}

void TQnTrayIcon::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  if (FOnMouseUp) FOnMouseUp(this, Button, Shift, X, Y);
}

void TQnTrayIcon::MouseMove(TShiftState Shift, Integer X, Integer Y) {
  if (FOnMouseMove) FOnMouseMove(this, Shift, X, Y);
}

void TQnTrayIcon::MouseEnter() {
  if (FOnMouseEnter) FOnMouseEnter(this);
}

void TQnTrayIcon::MouseExit() {
  if (FOnMouseExit) FOnMouseExit(this);
}

void TQnTrayIcon::DoMinimizeToTray() {
  if (FOnMinimizeToTray) FOnMinimizeToTray(this);
  HideMainForm();
  SetIconVisible(true);
}

// ---------------------------------------------------------------------------
// Timers

void TQnTrayIcon::CycleTimerProc(TObject*) {
  if (!FIconList || FIconList->Count() == 0) return;
  const UINT id = FIconID;
  Integer next = FIconIndex + 1 >= FIconList->Count() ? 0 : FIconIndex + 1;
  CycleIcon(next);
  if (gHandler && gHandler->Find(id) == this) SetIconIndex(next);
}

void TQnTrayIcon::ClickTimerProc(TObject*) {
  ClickTimer->SetEnabled(false);
  bool click = !IsDblClick && FClickReady;
  FClickReady = false;
  IsDblClick = false;
  if (click) Click();
}

void TQnTrayIcon::MouseExitTimerProc(TObject*) {
  if (FDidExit) return;
  TPoint p = CursorPos();
  if (p.X != LastMoveX || p.Y != LastMoveY) {
    FDidExit = true;
    MouseExit();
  }
}

// ---------------------------------------------------------------------------
// The menu, the main form and the taskbar

void TQnTrayIcon::Popup(Integer X, Integer Y) {
  if (!FPopupMenu) return;
  if (gHandler) SetForegroundWindow(gHandler->Handle());
  const UINT id = FIconID;
  Application->ProcessMessages();
  if (!gHandler || gHandler->Find(id) != this || !FPopupMenu) return;
  FPopupMenu->SetPopupComponent(this);
  FPopupMenu->Popup(X, Y);
  if (gHandler && gHandler->Find(id) == this && OwnerIsWindowed(Owner())) {
    auto* owner = static_cast<TWinControl*>(Owner());
    if (owner->HandleAllocated()) PostMessageW(owner->Handle(), WM_NULL, 0, 0);
  }
}

void TQnTrayIcon::PopupAtCursor() {
  POINT p;
  if (GetCursorPos(&p)) Popup(p.X, p.Y);
}

void TQnTrayIcon::HideMainForm() {
  if (!OwnerIsWindowed(Owner()) || !Application->MainForm()) return;
  Application->MainForm()->SetVisible(false);
  HideTaskbarIcon();
}

void TQnTrayIcon::ShowMainForm() {
  if (!OwnerIsWindowed(Owner()) || !Application->MainForm()) return;
  Application->Restore();
  TCustomForm* form = Application->MainForm();
  if (form->WindowState() == wsMinimized) form->SetWindowState(wsNormal);
  form->SetVisible(true);
  SetForegroundWindow(Application->Handle());
}

void TQnTrayIcon::HideTaskbarIcon() {
  if (!OwnerIsWindowed(Owner()) || !Application->MainForm()) return;
  if (IsWindowVisible(Application->Handle())) ShowWindow(Application->Handle(), SW_HIDE);
}

void TQnTrayIcon::ShowTaskbarIcon() {
  if (!OwnerIsWindowed(Owner()) || !Application->MainForm()) return;
  if (!IsWindowVisible(Application->Handle())) ShowWindow(Application->Handle(), SW_SHOW);
}

// ---------------------------------------------------------------------------
// Hooks

bool TQnTrayIcon::HookAppProc(TMessage& Message) {
  switch (Message.Msg) {
    case WM_SIZE:
      if (Message.WParam == SIZE_MINIMIZED && FMinimizeToTray) DoMinimizeToTray();
      break;
    case WM_WINDOWPOSCHANGED:
      // The start-up question for forms whose Loaded never asks it; this
      // host has no MDI frame forms, so nothing remains to ask.
      SettingMDIForm = false;
      break;
    case WM_SYSCOMMAND:
      if ((Message.WParam & 0xFFF0) == SC_RESTORE) {
        if (TCustomForm* form = Application->MainForm(); form && form->WindowState() == wsMinimized) {
          form->SetWindowState(wsNormal);
          form->SetVisible(true);
        }
      }
      break;
    default:
      if (gTaskbarCreated && Message.Msg == gTaskbarCreated && FIconVisible) ShowIcon();
  }
  return false;
}

void TQnTrayIcon::HookForm() {
  auto* owner = static_cast<TWinControl*>(Owner());
  HWND h = owner->Handle();
  if (h && SetWindowSubclass(h, FormSubclassProc, FIconID, reinterpret_cast<DWORD_PTR>(this))) FHookedForm = h;
}

void TQnTrayIcon::UnhookForm() {
  // The node left by itself when the window was destroyed.
  if (FHookedForm && IsWindow(FHookedForm)) RemoveWindowSubclass(FHookedForm, FormSubclassProc, FIconID);
  FHookedForm = nullptr;
}

// The owner form's subclass node: the tray icon is its data, alive for as
// long as the node is on (a removed node is never called again).
LRESULT TQnTrayIcon::FormSubclassProc(HWND h, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR data) {
  TMessage m;
  m.Msg = msg;
  m.WParam = wp;
  m.LParam = lp;
  if (reinterpret_cast<TQnTrayIcon*>(data)->HookFormProc(m)) return m.Result;
  return DefSubclassProc(h, msg, wp, lp);
}

bool TQnTrayIcon::HookFormProc(TMessage& Message) {
  if (Message.Msg == WM_SHOWWINDOW && Message.WParam == 1 && Message.LParam == 0) {
    SetForegroundWindow(Application->Handle());
    if (FHookedForm) SetForegroundWindow(FHookedForm);
    return false;
  }
  bool parentClosing = Message.Msg == WM_SHOWWINDOW && Message.WParam == 0 && Message.LParam == SW_PARENTCLOSING &&
                       !Application->Terminated();
  bool minimize = Message.Msg == WM_SYSCOMMAND && (Message.WParam & 0xFFF0) == SC_MINIMIZE;
  if ((parentClosing || minimize) && FMinimizeToTray) {
    DoMinimizeToTray();
    Message.Result = 1;
    return true;
  }
  return false;
}

// ---------------------------------------------------------------------------
// Utilities

bool TQnTrayIcon::BitmapToIcon(TBitmap* Bitmap, TIcon* Icon, TColor MaskColor) {
  std::unique_ptr<TCustomImageList> list(TCustomImageList::CreateSize(16, 16));
  list->AddMasked(Bitmap, MaskColor);
  list->GetIcon(0, Icon);
  return true;
}

TPoint TQnTrayIcon::GetClientIconPos(Integer X, Integer Y) {
  POINT p(X, Y);
  if (HWND h = WindowFromPoint(p)) ScreenToClient(h, &p);
  Integer step = GetSystemMetrics(SM_CYCAPTION) - 1;
  if (step <= 0) return TPoint(p.X - 1, p.Y - 1);
  return TPoint(p.X % step - 1, p.Y % step - 1);
}

namespace {

struct TTipSearch {
  DWORD Process = 0;
  bool Balloon = false;
  HWND Found = nullptr;
};

bool FindTrayWindow(HWND h, LPARAM lp) {
  if (GetClassName(h) != u"Shell_TrayWnd") return true;
  GetWindowThreadProcessId(h, reinterpret_cast<DWORD*>(lp));
  return false;
}

bool FindTip(HWND h, LPARAM lp) {
  auto* s = reinterpret_cast<TTipSearch*>(lp);
  DWORD pid = 0;
  GetWindowThreadProcessId(h, &pid);
  if (pid != s->Process || GetClassName(h) != TOOLTIPS_CLASSW) return true;
  bool balloon = (GetWindowLongPtrW(h, GWL_STYLE) & 0x2) != 0;
  if (balloon != s->Balloon) return true;
  s->Found = h;
  return false;
}

HWND ShellTip(bool balloon) {
  TTipSearch s;
  s.Balloon = balloon;
  EnumWindows(FindTrayWindow, reinterpret_cast<LPARAM>(&s.Process));
  if (!s.Process) return nullptr;
  EnumWindows(FindTip, reinterpret_cast<LPARAM>(&s));
  return s.Found;
}

}  // namespace

HWND TQnTrayIcon::GetTooltipHandle() { return ShellTip(false); }

HWND TQnTrayIcon::GetBalloonHintHandle() { return ShellTip(true); }

// ---------------------------------------------------------------------------
// The unit

void InitQnTrayIcon() {
  if (GetComCtlVersion() >= 0x40047) gTaskbarCreated = RegisterWindowMessageW(u"TaskbarCreated");
  RegisterClasses({TQnTrayIcon::StaticClass()});
}

void DoneQnTrayIcon() {
  delete gHandler;
  gHandler = nullptr;
}

}  // namespace qn

QN_PUBLISHED_IMPL(qn::TQnTrayIcon)
