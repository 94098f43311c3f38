#include "platform/vcl/Forms.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "platform/classes/Streaming.h"
#include "platform/desktop/Display.h"
#include "platform/rtl/SysUtils.h"
#include "platform/vcl/Themes.h"

namespace vcl {

TApplication* Application = nullptr;
TScreen* Screen = nullptr;
TMouse* Mouse = nullptr;
TClass HintWindowClass = nullptr;

// ---------------------------------------------------------------------------
// TMouse

TPoint TMouse::CursorPos() const {
  POINT p;
  GetCursorPos(&p);
  return p;
}

bool TMouse::WheelPresent() const { return GetSystemMetrics(SM_MOUSEWHEELPRESENT) != 0; }

// ---------------------------------------------------------------------------
// TMonitor

namespace {
MONITORINFO InfoOf(HMONITOR m) {
  MONITORINFO mi;
  if (!GetMonitorInfoW(m, &mi)) mi = MONITORINFO();
  return mi;
}
}  // namespace

TRect TMonitor::BoundsRect() const { return InfoOf(FHandle).rcMonitor; }
TRect TMonitor::WorkareaRect() const { return InfoOf(FHandle).rcWork; }
bool TMonitor::Primary() const { return (InfoOf(FHandle).dwFlags & MONITORINFOF_PRIMARY) != 0; }

// ---------------------------------------------------------------------------
// TScreen

namespace {

// The split cursors have no stock counterpart, so they are drawn here:
// two bars with an arrow pointing away from each, black with a white
// outline, 32 x 32 with the hotspot in the middle. Horizontal is the
// cursor of a splitter that moves left and right.
HCURSOR MakeSplitCursor(bool Horizontal) {
  constexpr int N = 32;
  bool black[N][N] = {};
  auto set = [&](int along, int across) {
    // along: the direction the arrows point; across: the bars' direction.
    if (Horizontal) black[across][along] = true;
    else black[along][across] = true;
  };
  for (int a = 8; a <= 24; ++a) {
    set(14, a);
    set(17, a);
  }
  for (int x = 7; x <= 13; ++x) set(x, 16);
  for (int x = 18; x <= 24; ++x) set(x, 16);
  for (int d = 0; d <= 3; ++d)
    for (int a = 16 - d; a <= 16 + d; ++a) {
      set(7 + d, a);
      set(24 - d, a);
    }
  // Rows of 32 bits, most significant bit first; AND mask over XOR mask.
  std::vector<Byte> bits(size_t(N) * 2 * 4, 0);
  for (int y = 0; y < N; ++y)
    for (int x = 0; x < N; ++x) {
      bool outline = false;
      for (int dy = -1; dy <= 1 && !black[y][x]; ++dy)
        for (int dx = -1; dx <= 1; ++dx) {
          int yy = y + dy, xx = x + dx;
          if (yy >= 0 && yy < N && xx >= 0 && xx < N && black[yy][xx]) outline = true;
        }
      bool transparent = !black[y][x] && !outline;
      Byte bit = Byte(0x80 >> (x & 7));
      if (transparent) bits[size_t(y) * 4 + size_t(x >> 3)] |= bit;
      if (outline) bits[size_t(y + N) * 4 + size_t(x >> 3)] |= bit;
    }
  HBITMAP mask = CreateBitmap(N, N * 2, 1, 1, bits.data());
  ICONINFO ii;
  ii.fIcon = 0;
  ii.xHotspot = 16;
  ii.yHotspot = 16;
  ii.hbmMask = mask;
  HCURSOR c = CreateIconIndirect(&ii);
  DeleteObject(mask);
  return c;
}

}  // namespace

void TScreen::CreateCursors() {
  FArrowCursor = LoadCursorW(nullptr, IDC_ARROW);
  FDefaultCursor = FArrowCursor;
  const std::pair<TCursor, const char16_t*> stock[] = {
      {crArrow, IDC_ARROW},       {crCross, IDC_CROSS},       {crIBeam, IDC_IBEAM},
      {crSizeNESW, IDC_SIZENESW}, {crSizeNS, IDC_SIZENS},     {crSizeNWSE, IDC_SIZENWSE},
      {crSizeWE, IDC_SIZEWE},     {crUpArrow, IDC_UPARROW},   {crHourGlass, IDC_WAIT},
      {crNo, IDC_NO},             {crAppStart, IDC_APPSTARTING}, {crHelp, IDC_HELP},
      {crHandPoint, IDC_HAND},    {crSizeAll, IDC_SIZEALL},
  };
  for (auto& [id, name] : stock)
    if (HCURSOR h = LoadCursorW(nullptr, name)) FCursors.emplace_back(id, h);
  if (HCURSOR h = MakeSplitCursor(true)) FCursors.emplace_back(crHSplit, h);
  if (HCURSOR h = MakeSplitCursor(false)) FCursors.emplace_back(crVSplit, h);
}

TScreen::TScreen(TComponent* AOwner)
    : TComponent(AOwner), FHintFont(std::make_unique<TFont>()), FMenuFont(std::make_unique<TFont>()) {
  HDC dc = GetDC(nullptr);
  if (dc) {
    FPixelsPerInch = GetDeviceCaps(dc, LOGPIXELSY);
    ReleaseDC(nullptr, dc);
  }
  if (FPixelsPerInch <= 0) FPixelsPerInch = 96;
  ResetFonts();
  CreateCursors();
}

TScreen::~TScreen() {
  for (auto& [id, h] : FCursors) DestroyCursor(h);
  FCursors.clear();
}

Integer TScreen::Width() const { return GetSystemMetrics(SM_CXSCREEN); }
Integer TScreen::Height() const { return GetSystemMetrics(SM_CYSCREEN); }

TRect TScreen::WorkAreaRect() const {
  RECT r;
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &r, 0);
  return r;
}

TRect TScreen::DesktopRect() const {
  Integer x = GetSystemMetrics(SM_XVIRTUALSCREEN), y = GetSystemMetrics(SM_YVIRTUALSCREEN);
  return TRect(x, y, x + GetSystemMetrics(SM_CXVIRTUALSCREEN), y + GetSystemMetrics(SM_CYVIRTUALSCREEN));
}

TMonitor* TScreen::FindMonitor(HMONITOR Handle) {
  if (!Handle) return nullptr;
  for (auto& m : FMonitorStore)
    if (m->FHandle == Handle) return m.get();
  FMonitorStore.push_back(std::make_unique<TMonitor>());
  FMonitorStore.back()->FHandle = Handle;
  return FMonitorStore.back().get();
}

void TScreen::RefreshMonitors() {
  std::vector<HMONITOR> handles;
  EnumDisplayMonitors(
      nullptr, nullptr,
      [](HMONITOR m, HDC, RECT*, LPARAM p) {
        reinterpret_cast<std::vector<HMONITOR>*>(p)->push_back(m);
        return true;
      },
      reinterpret_cast<LPARAM>(&handles));
  FMonitors.clear();
  for (HMONITOR h : handles) {
    TMonitor* m = FindMonitor(h);
    m->FMonitorNum = static_cast<Integer>(FMonitors.size());
    FMonitors.push_back(m);
  }
}

Integer TScreen::MonitorCount() {
  RefreshMonitors();
  return static_cast<Integer>(FMonitors.size());
}

TMonitor* TScreen::Monitors(Integer Index) {
  RefreshMonitors();
  if (Index < 0 || Index >= static_cast<Integer>(FMonitors.size()))
    throw EListError(Format(u"List index out of bounds (%d)", {Index}));
  return FMonitors[static_cast<size_t>(Index)];
}

TMonitor* TScreen::PrimaryMonitor() {
  RefreshMonitors();
  for (TMonitor* m : FMonitors)
    if (m->Primary()) return m;
  return FMonitors.empty() ? nullptr : FMonitors.front();
}

namespace {
DWORD MonitorFlags(TMonitorDefaultTo d) {
  switch (d) {
    case mdNull: return MONITOR_DEFAULTTONULL;
    case mdPrimary: return MONITOR_DEFAULTTOPRIMARY;
    default: return MONITOR_DEFAULTTONEAREST;
  }
}
}  // namespace

TMonitor* TScreen::MonitorFromPoint(const TPoint& Point, TMonitorDefaultTo Default) {
  RefreshMonitors();
  return FindMonitor(vcl::MonitorFromPoint(Point, MonitorFlags(Default)));
}

TMonitor* TScreen::MonitorFromRect(const TRect& Rect, TMonitorDefaultTo Default) {
  RefreshMonitors();
  RECT r = Rect;
  return FindMonitor(vcl::MonitorFromRect(&r, MonitorFlags(Default)));
}

TMonitor* TScreen::MonitorFromWindow(HWND Handle, TMonitorDefaultTo Default) {
  RefreshMonitors();
  return FindMonitor(vcl::MonitorFromWindow(Handle, MonitorFlags(Default)));
}

void TScreen::ResetFonts() {
  NONCLIENTMETRICSW ncm;
  if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, ncm.cbSize, &ncm, 0)) {
    FHintFont->SetHandle(CreateFontIndirectW(&ncm.lfStatusFont));
    FMenuFont->SetHandle(CreateFontIndirectW(&ncm.lfMenuFont));
  }
  FHintFont->SetColor(clInfoText);
  FMenuFont->SetColor(clMenuText);
}

void TScreen::SetCursor(TCursor Value) {
  if (Value == FCursor) return;
  FCursor = Value;
  if (Value == crDefault) {
    // Let the window under the pointer choose its own cursor again.
    POINT p;
    GetCursorPos(&p);
    HWND h = WindowFromPoint(p);
    if (h && GetWindowThreadProcessId(h, nullptr) == GetCurrentThreadId()) {
      LRESULT code = SendMessageW(h, WM_NCHITTEST, 0, MAKELPARAM(p.X, p.Y));
      SendMessageW(h, WM_SETCURSOR, reinterpret_cast<WPARAM>(h), MAKELPARAM(static_cast<int>(code), WM_MOUSEMOVE));
      return;
    }
  }
  ::vcl::SetCursor(Cursors(Value));
}

HCURSOR TScreen::Cursors(Integer Index) const {
  if (Index == crNone) return nullptr;
  if (Index != crDefault)
    for (auto& [id, h] : FCursors)
      if (id == Index) return h;
  return FDefaultCursor;
}

void TScreen::SetCursors(Integer Index, HCURSOR Handle) {
  if (Index == crDefault) {
    FDefaultCursor = Handle ? Handle : FArrowCursor;
    return;
  }
  if (Index == crNone) return;
  auto it = std::find_if(FCursors.begin(), FCursors.end(), [&](auto& e) { return e.first == Index; });
  if (it != FCursors.end()) {
    if (it->second == Handle) return;
    DestroyCursor(it->second);
    FCursors.erase(it);
  }
  if (Handle) FCursors.emplace_back(Index, Handle);
}

TCustomForm* TScreen::Forms(Integer Index) const {
  if (Index < 0 || Index >= FormCount()) throw EListError(Format(u"List index out of bounds (%d)", {Index}));
  return FForms[static_cast<size_t>(Index)];
}

Integer TScreen::IndexOfForm(TCustomForm* AForm) const {
  auto it = std::find(FForms.begin(), FForms.end(), AForm);
  return it == FForms.end() ? -1 : static_cast<Integer>(it - FForms.begin());
}

void TScreen::AddForm(TCustomForm* AForm) { FForms.push_back(AForm); }

void TScreen::RemoveForm(TCustomForm* AForm) {
  FForms.erase(std::remove(FForms.begin(), FForms.end(), AForm), FForms.end());
  FSaveFocusedList.erase(std::remove(FSaveFocusedList.begin(), FSaveFocusedList.end(), AForm),
                         FSaveFocusedList.end());
  bool changed = false;
  if (FActiveForm == AForm) {
    FActiveForm = nullptr;
    FActiveControl = nullptr;
    changed = true;
  }
  if (FFocusedForm == AForm) FFocusedForm = nullptr;
  if (changed && OnActiveFormChange && !ComponentState().Contains(csDestroying)) OnActiveFormChange(this);
}

// ---------------------------------------------------------------------------
// TApplication

namespace {
constexpr const char16_t* kAppClass = u"TApplication";
bool gAppClassRegistered = false;
constexpr UINT_PTR kHintTimer = 0x4854;

// How far below the pointer's hot spot its picture reaches, so that a hint
// placed under the pointer is not covered by it.
Integer CursorHeightMargin() {
  HCURSOR c = GetCursor();
  ICONINFO ii;
  if (!c || !GetIconInfo(c, &ii)) return GetSystemMetrics(SM_CYCURSOR);
  BITMAP bm;
  Integer bottom = -1;
  if (ii.hbmMask && GetObjectW(ii.hbmMask, sizeof bm, &bm)) {
    // Monochrome cursors stack the AND mask over the XOR mask; a pixel
    // shows where AND is 0 or XOR is 1.
    Integer h = ii.hbmColor ? bm.bmHeight : bm.bmHeight / 2;
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, ii.hbmMask);
    for (Integer y = h - 1; y >= 0 && bottom < 0; --y)
      for (Integer x = 0; x < bm.bmWidth; ++x) {
        bool andClear = (GetPixel(dc, x, y) & 0xFFFFFF) == 0;
        bool xorSet = !ii.hbmColor && (GetPixel(dc, x, y + h) & 0xFFFFFF) != 0;
        if (andClear || xorSet) {
          bottom = y;
          break;
        }
      }
    SelectObject(dc, old);
    DeleteDC(dc);
  }
  if (ii.hbmMask) DeleteObject(ii.hbmMask);
  if (ii.hbmColor) DeleteObject(ii.hbmColor);
  if (bottom < 0) return GetSystemMetrics(SM_CYCURSOR);
  return bottom - Integer(ii.yHotspot) + 1;
}
}  // namespace

TApplication::TApplication(TComponent* AOwner) : TComponent(AOwner) {
  FTitle = ChangeFileExt(ExtractFileName(ParamStr(0)), u"");
  FActive = GetActiveWindow() != nullptr;
}

TApplication::~TApplication() {
  CancelHint();
  DestroyHandle();
}

LRESULT TApplication::AppWndProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  auto* app = reinterpret_cast<TApplication*>(GetWindowLongPtrW(h, GWLP_USERDATA));
  if (!app) return DefWindowProcW(h, msg, wp, lp);
  TMessage m{msg, wp, lp, 0};
  try {
    app->WndProc(m);
  } catch (...) {
    app->HandleException(app);
  }
  return m.Result;
}

void TApplication::CreateHandle() {
  if (!gAppClassRegistered) {
    WNDCLASSEXW wc;
    wc.lpfnWndProc = &TApplication::AppWndProc;
    wc.lpszClassName = kAppClass;
    RegisterClassExW(&wc);
    gAppClassRegistered = true;
  }
  // Zero-sized in the middle of the screen: it stands for the application
  // without ever covering a pixel.
  Integer x = GetSystemMetrics(SM_CXSCREEN) / 2, y = GetSystemMetrics(SM_CYSCREEN) / 2;
  FHandle = CreateWindowExW(0, kAppClass, FTitle.c_str(),
                            WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS | WS_SYSMENU | WS_MINIMIZEBOX, x, y, 0, 0,
                            nullptr, nullptr, nullptr, nullptr);
  if (!FHandle) throw EOSError(u"Error creating window", GetLastError());
  SetWindowLongPtrW(FHandle, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

void TApplication::DestroyHandle() {
  if (!FHandle) return;
  HWND h = FHandle;
  FHandle = nullptr;
  if (IsWindow(h)) {
    SetWindowLongPtrW(h, GWLP_USERDATA, 0);
    DestroyWindow(h);
  }
}

HWND TApplication::Handle() {
  // Someone else may have destroyed the window (tests sweep up top-level
  // windows); a new one stands in.
  if (!FHandle || !IsWindow(FHandle)) CreateHandle();
  return FHandle;
}

void TApplication::SetTitle(const String& Value) {
  FTitle = Value;
  if (FHandle && IsWindow(FHandle)) SetWindowTextW(FHandle, FTitle.c_str());
}

void TApplication::WndProc(TMessage& Message) {
  // The newest hook first. A hook may unhook itself or another while it
  // runs: the walk goes over a copy, and a hook that left meanwhile is
  // skipped.
  auto hooks = FWindowHooks;
  for (auto it = hooks.rbegin(); it != hooks.rend(); ++it) {
    if (std::find(FWindowHooks.begin(), FWindowHooks.end(), *it) == FWindowHooks.end()) continue;
    if ((*it)(Message)) return;
  }
  switch (Message.Msg) {
    case WM_NCDESTROY:
      if (FHandle && !IsWindow(FHandle)) FHandle = nullptr;
      break;
    case WM_CLOSE:
      if (FMainForm) FMainForm->Close();
      return;
    case WM_ACTIVATEAPP:
      FActive = Message.WParam != 0;
      if (!FActive) CancelHint();
      break;
    case WM_TIMER:
      if (Message.WParam == kHintTimer) {
        HintTimerExpired();
        return;
      }
      break;
    case WM_THEMECHANGED:
      // The theme handles of the old look are stale.
      ThemeServices()->ApplyThemeChange();
      break;
    case WM_SYSCOMMAND:
      switch (Message.WParam & 0xFFF0) {
        case SC_MINIMIZE: Minimize(); return;
        case SC_RESTORE: Restore(); return;
        default: break;
      }
      break;
    default: break;
  }
  Message.Result = DefWindowProcW(FHandle, Message.Msg, Message.WParam, Message.LParam);
}

void TApplication::HookMainWindow(const TWindowHook& Hook) {
  if (Hook) FWindowHooks.push_back(Hook);
}

void TApplication::UnhookMainWindow(const TWindowHook& Hook) {
  for (auto it = FWindowHooks.begin(); it != FWindowHooks.end(); ++it)
    if (*it == Hook) {
      FWindowHooks.erase(it);
      return;
    }
}

void TApplication::Terminate() { PostQuitMessage(0); }

void TApplication::Notification(TComponent* AComponent, TOperation Operation) {
  inherited::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  if (AComponent == FMainForm) FMainForm = nullptr;
  if (AComponent == FHintControl) {
    // The control goes while its hint is pending or up.
    FHintControl = nullptr;
    CancelHint();
  }
  auto it = std::find(FHintWindows.begin(), FHintWindows.end(), AComponent);
  if (it != FHintWindows.end()) {
    FHintWindows.erase(it);
    if (FHintWindow == AComponent) FHintWindow = nullptr;
    if (FActiveHintWindow == AComponent) FActiveHintWindow = nullptr;
  }
}

// ---------------------------------------------------------------------------
// Hints

void TApplication::SetHintControl(TControl* Control) {
  if (FHintControl == Control) return;
  if (FHintControl) FHintControl->RemoveFreeNotification(this);
  FHintControl = Control;
  if (Control) Control->FreeNotification(this);
}

THintWindow* TApplication::HintWindowOf(TClass Class) {
  if (!Class || !Class->InheritsFrom(THintWindow::StaticClass())) Class = THintWindow::StaticClass();
  for (THintWindow* w : FHintWindows)
    if (w->ClassType() == Class) return w;
  auto* w = static_cast<THintWindow*>(Class->Create(this));
  w->SetColor(FHintColor);
  FHintWindows.push_back(w);
  return w;
}

void TApplication::SetShowHint(bool Value) {
  if (FShowHint == Value) return;
  FShowHint = Value;
  if (Value) {
    FHintWindow = HintWindowOf(HintWindowClass);
    return;
  }
  CancelHint();
  // Every hint window goes; the next ones are made of the class current then.
  std::vector<THintWindow*> windows;
  windows.swap(FHintWindows);
  FHintWindow = FActiveHintWindow = nullptr;
  for (THintWindow* w : windows) delete w;
}

void TApplication::SetHint(const String& Value) {
  if (FHint == Value) return;
  FHint = Value;
  if (OnHint) OnHint(this);
}

void TApplication::SetHintColor(TColor Value) {
  FHintColor = Value;
  for (THintWindow* w : FHintWindows) w->SetColor(Value);
}

void TApplication::StartHintTimer(Integer Value, THintTimerMode Mode) {
  StopHintTimer();
  FHintTimerMode = Mode;
  if (SetTimer(Handle(), kHintTimer, UINT(std::max<Integer>(Value, 0)), nullptr)) FHintTimerRunning = true;
  else HintTimerExpired();
}

void TApplication::StopHintTimer() {
  if (!FHintTimerRunning) return;
  FHintTimerRunning = false;
  if (FHandle && IsWindow(FHandle)) KillTimer(FHandle, kHintTimer);
}

void TApplication::HintTimerExpired() {
  StopHintTimer();
  if (FHintTimerMode == THintTimerMode::Hide) HideHint();
  else ActivateHint(Mouse ? Mouse->CursorPos() : TPoint());
}

void TApplication::HintMouseMessage(TControl* Control, TMessage& Message) {
  if (!FShowHint || !Control) return;
  TPoint screen = Control->ClientToScreen(TWMMouse(Message).Pos());
  TControl* c = FindDragTarget(screen, true);
  while (c && !c->ShowHint()) c = c->Parent();
  if (c && c->ComponentState().Contains(csDesigning)) c = nullptr;
  if (!c) {
    CancelHint();
    return;
  }
  if (c == FHintControl && PtInRect(FHintCursorRect, c->ScreenToClient(screen))) return;
  bool wasActive = FHintActive;
  Integer pause = wasActive ? FHintShortPause : FHintPause;
  c->Perform(CM_HINTSHOWPAUSE, wasActive ? 1 : 0, reinterpret_cast<LPARAM>(&pause));
  CancelHint();
  FHintActive = wasActive;
  SetHintControl(c);
  FHintCursorRect = TRect();
  StartHintTimer(pause, THintTimerMode::Show);
}

void TApplication::ActivateHint(const TPoint& CursorPos) {
  StopHintTimer();
  if (!FShowHint || !FHintControl) return;
  // The pointer may have left the control while the pause ran.
  TControl* under = FindDragTarget(CursorPos, true);
  while (under && !under->ShowHint()) under = under->Parent();
  if (under != FHintControl || !FHintControl->ShowHint()) {
    CancelHint();
    return;
  }
  TControl* control = FHintControl;
  THintInfo info;
  info.HintControl = control;
  info.HintWindowClass = HintWindowClass;
  info.HintPos = TPoint(CursorPos.X, CursorPos.Y + CursorHeightMargin());
  info.HintMaxWidth = Screen ? Screen->Width() : GetSystemMetrics(SM_CXSCREEN);
  info.HintColor = FHintColor;
  info.CursorRect = control->ClientRect();
  info.CursorPos = control->ScreenToClient(CursorPos);
  info.HintStr = GetShortHint(GetHint(control));
  info.ReshowTimeout = 0;
  info.HideTimeout = FHintHidePause;
  info.HintData = nullptr;
  // The control first, so the application's handler sees what it filled in.
  bool canShow = control->Perform(CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&info)) == 0;
  if (canShow && OnShowHint) OnShowHint(info.HintStr, canShow, info);
  // A handler may have freed the control.
  if (FHintControl != control) return;
  FHintActive = canShow;
  FHintCursorRect = info.CursorRect;
  if (!canShow || info.HintStr.empty()) {
    HideHint();
    return;
  }
  THintWindow* w = HintWindowOf(info.HintWindowClass);
  if (FActiveHintWindow && FActiveHintWindow != w) FActiveHintWindow->ReleaseHandle();
  FActiveHintWindow = w;
  w->SetColor(TColor(info.HintColor));
  TRect r = w->CalcHintRect(info.HintMaxWidth, info.HintStr, info.HintData);
  OffsetRect(r, info.HintPos.X, info.HintPos.Y);
  w->ActivateHintData(r, info.HintStr, info.HintData);
  if (info.ReshowTimeout > 0) StartHintTimer(info.ReshowTimeout, THintTimerMode::Show);
  else StartHintTimer(info.HideTimeout, THintTimerMode::Hide);
}

void TApplication::HideHint() {
  if (FActiveHintWindow && FActiveHintWindow->HandleAllocated() && IsWindowVisible(FActiveHintWindow->Handle()))
    ShowWindow(FActiveHintWindow->Handle(), SW_HIDE);
}

void TApplication::CancelHint() {
  HideHint();
  StopHintTimer();
  FHintActive = false;
  SetHintControl(nullptr);
  FHintCursorRect = TRect();
}

void TApplication::SetMainFormOnTaskBar(bool Value) {
  if (FMainFormOnTaskBar == Value) return;
  FMainFormOnTaskBar = Value;
  // The main form's owner window and taskbar style change with it.
  if (FMainForm && FMainForm->HandleAllocated()) FMainForm->RecreateWnd();
}

void TApplication::Run() {
  if (!FMainForm) return;
  // The loop shows its forms on the display chosen now: a real one when
  // there is one and nobody asked for headless.
  try {
    ChooseDisplay();
  } catch (EDisplayError& e) {
    std::fprintf(stderr, "Quarn: %s\n", ToUtf8(e.Message()).c_str());
    std::exit(EXIT_FAILURE);
  }
  if (FShowMainForm) {
    if (FMainForm->WindowState() == wsMinimized) Minimize();
    FMainForm->SetVisible(true);
  }
  do {
    try {
      HandleMessage();
    } catch (...) {
      HandleException(this);
    }
  } while (!FTerminated);
}

void TApplication::Minimize() {
  if (FMainForm && FMainFormOnTaskBar) {
    if (FMainForm->HandleAllocated()) ShowWindow(FMainForm->Handle(), SW_MINIMIZE);
  } else {
    ShowWindow(Handle(), SW_MINIMIZE);
  }
  if (OnMinimize) OnMinimize(this);
}

void TApplication::Restore() {
  if (FMainForm && FMainFormOnTaskBar) {
    if (FMainForm->HandleAllocated() && IsIconic(FMainForm->Handle())) ShowWindow(FMainForm->Handle(), SW_RESTORE);
  } else if (FHandle && IsIconic(FHandle)) {
    ShowWindow(FHandle, SW_RESTORE);
  }
  if (OnRestore) OnRestore(this);
}

bool TApplication::ProcessMessage(MSG& Msg) {
  if (!PeekMessageW(&Msg, nullptr, 0, 0, PM_REMOVE)) return false;
  if (Msg.message == WM_QUIT) {
    FTerminated = true;
    return true;
  }
  if (FActiveHintWindow && FHintControl && FActiveHintWindow->IsHintMsg(Msg)) CancelHint();
  bool handled = false;
  if (OnMessage) OnMessage(Msg, handled);
  // Keys go to their control first (CN_KEYDOWN...), which routes the ones
  // it does not want to its form.
  if (!handled && !IsControlKeyMsg(Msg)) {
    TranslateMessage(&Msg);
    DispatchMessageW(&Msg);
  }
  return true;
}

void TApplication::ProcessMessages() {
  MSG m;
  while (ProcessMessage(m)) {
  }
}

void TApplication::Idle(const MSG&) {
  // The pointer may have moved onto another control without a message
  // saying so (a window moved under it, a control was shown or freed).
  DoMouseIdle();
  TControl* hovered = MouseControl();
  if (FShowHint && !hovered) CancelHint();
  SetHint(GetLongHint(GetHint(hovered)));
  bool done = true;
  try {
    if (OnIdle) OnIdle(this, done);
    // Where the actions of the visible forms bring themselves up to date.
    if (done && Screen) {
      std::vector<TCustomForm*> forms;
      for (Integer i = 0; i < Screen->FormCount(); ++i) forms.push_back(Screen->Forms(i));
      for (TCustomForm* f : forms)
        if (Screen->IndexOfForm(f) >= 0 && f->Visible()) f->Perform(CM_UPDATEACTIONS, 0, 0);
    }
  } catch (...) {
    HandleException(this);
  }
  if (!done) return;
  // A modal loop waits through the window server's modal idle, which a
  // test's idle hook may end (the loop then cancels) instead of blocking.
  if (FModalLevel > 0) {
    if (!ModalIdle()) FModalIdleGaveUp = true;
  } else {
    WaitMessage();
  }
}

void TApplication::HandleMessage() {
  MSG m;
  if (!ProcessMessage(m)) Idle(m);
}

void TApplication::HandleException(TObject* Sender) {
  if (HWND c = GetCapture()) SendMessageW(c, WM_CANCELMODE, 0, 0);
  std::exception_ptr ep = std::current_exception();
  if (!ep) return;
  auto report = [&](Exception& e) {
    if (OnException) OnException(Sender, &e);
    else ShowException(&e);
  };
  try {
    std::rethrow_exception(ep);
  } catch (EAbort&) {
  } catch (Exception& e) {
    report(e);
  } catch (std::exception& e) {
    Exception x(FromUtf8(e.what()));
    report(x);
  } catch (...) {
    Exception x(u"Unknown exception");
    report(x);
  }
}

void TApplication::ShowException(Exception* E) {
  String msg = E ? E->Message() : String();
  if (!msg.empty() && msg.back() > u'.') msg += u'.';
  std::fprintf(stderr, "%s: %s\n", ToUtf8(FTitle).c_str(), ToUtf8(msg).c_str());
}

// ---------------------------------------------------------------------------
// The unit

void InitForms() {
  RegisterCursorIdents();
  RegisterClasses({TForm::StaticClass()});
  Mouse = new TMouse;
  Screen = new TScreen(nullptr);
  Application = new TApplication(nullptr);
  SetApplicationHandleException([](TObject* Sender) {
    if (Application) Application->HandleException(Sender);
  });
  HintWindowClass = THintWindow::StaticClass();
  SetHintMouseHandler([](TControl* Control, TMessage& Message) {
    if (Application) Application->HintMouseMessage(Control, Message);
  });
  SetControlCursorHandler([](TCursor Cursor) {
    if (!Screen) return false;
    // The screen's cursor overrides every control's; crDefault leaves the
    // window's class cursor.
    TCursor c = Screen->Cursor() != crDefault ? Screen->Cursor() : Cursor;
    if (c == crDefault) return false;
    ::vcl::SetCursor(Screen->Cursors(c));
    return true;
  });
}

void DoneForms() {
  SetHintMouseHandler(nullptr);
  SetControlCursorHandler(nullptr);
  SetApplicationHandleException(nullptr);
  FreeAndNil(Application);
  FreeAndNil(Screen);
  FreeAndNil(Mouse);
  UnregisterIntegerConsts(u"TCursor");
  if (gAppClassRegistered) {
    UnregisterClassW(kAppClass, nullptr);
    gAppClassRegistered = false;
  }
}

}  // namespace vcl

QN_PUBLISHED_IMPL(vcl::TForm)
