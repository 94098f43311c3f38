// The notification area: icons, the taskbar window, tips and balloons.
#include <algorithm>
#include <cstring>
#include <memory>

#include "platform/comctl/Tooltip.h"
#include "platform/shell/ShellAPI.h"
#include "platform/shell/ShellInternal.h"
#include "platform/user/Notify.h"

namespace vcl {

namespace {

constexpr int CellSize = 24, IconSize = 16, RightMargin = 8;
constexpr UINT_PTR TipTimer = 1, BalloonTimer = 2;
constexpr DWORD BalloonMinMs = 10000, BalloonMaxMs = 30000;

struct TrayIcon {
  HWND Wnd = nullptr;
  UINT Id = 0;
  UINT Callback = 0;
  HICON Icon = nullptr;
  String Tip;
  bool ShowTip = false;
  bool Hidden = false;
  UINT Version = 0;
};

struct TrayState {
  std::vector<std::unique_ptr<TrayIcon>> Icons;  // in the order they came
  HWND Tray = nullptr, Tip = nullptr, Balloon = nullptr;
  TrayIcon* TipFor = nullptr;      // the icon whose tip shows or is due
  TrayIcon* BalloonFor = nullptr;  // the icon whose balloon shows
  HICON BalloonIcon = nullptr;     // our copy of a user balloon icon
  TrayIcon* Focused = nullptr;
  HHOOK Cbt = nullptr;
  bool Fail = false;
  std::vector<TNotifyIconCall> Log;
};

TrayState& T() {
  static TrayState s;
  return s;
}

String ReadText(const char16_t* a, size_t capacity) {
  // An unterminated text ends one short of its capacity, where the
  // terminator belongs.
  size_t n = 0;
  while (n + 1 < capacity && a[n]) ++n;
  return String(a, n);
}

TrayIcon* FindIcon(HWND h, UINT id) {
  for (auto& i : T().Icons)
    if (i->Wnd == h && i->Id == id) return i.get();
  return nullptr;
}

RECT StripRect() {
  MONITORINFO mi;
  GetMonitorInfoW(MonitorFromPoint(POINT(0, 0), MONITOR_DEFAULTTOPRIMARY), &mi);
  RECT m = mi.rcMonitor, w = mi.rcWork;
  if (w.Bottom < m.Bottom) return RECT{m.Left, w.Bottom, m.Right, m.Bottom};
  if (w.Top > m.Top) return RECT{m.Left, m.Top, m.Right, w.Top};
  if (w.Right < m.Right) return RECT{w.Right, m.Top, m.Right, m.Bottom};
  if (w.Left > m.Left) return RECT{m.Left, m.Top, w.Left, m.Bottom};
  return RECT{m.Left, m.Bottom - 40, m.Right, m.Bottom};
}

std::vector<TrayIcon*> Shown() {
  std::vector<TrayIcon*> v;
  for (auto& i : T().Icons)
    if (!i->Hidden) v.push_back(i.get());
  return v;
}

// The cell of a shown icon in the taskbar's client coordinates.
bool CellOf(const TrayIcon* icon, RECT* r) {
  RECT strip = StripRect();
  int k = 0;
  for (TrayIcon* i : Shown()) {
    if (i == icon) {
      int right = strip.Width() - RightMargin - k * CellSize;
      *r = RECT{right - CellSize, 0, right, strip.Height()};
      return true;
    }
    ++k;
  }
  return false;
}

TrayIcon* IconAt(POINT client) {
  for (TrayIcon* i : Shown()) {
    RECT r;
    if (CellOf(i, &r) && client.X >= r.Left && client.X < r.Right && client.Y >= r.Top && client.Y < r.Bottom)
      return i;
  }
  return nullptr;
}

POINT Anchor(const TrayIcon* i) {
  RECT r;
  if (!T().Tray || !CellOf(i, &r)) return POINT();
  POINT p((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
  ClientToScreen(T().Tray, &p);
  return p;
}

void Notify(const TrayIcon* i, UINT event, POINT screen) {
  if (!i->Callback || !IsWindow(i->Wnd)) return;
  if (i->Version >= NOTIFYICON_VERSION_4)
    PostMessageW(i->Wnd, i->Callback, MAKEWPARAM(screen.X, screen.Y), MAKELPARAM(int(event), int(i->Id)));
  else
    PostMessageW(i->Wnd, i->Callback, i->Id, LPARAM(event));
}

void HideTip() {
  TrayState& s = T();
  s.TipFor = nullptr;
  if (s.Tray) KillTimer(s.Tray, TipTimer);
  if (s.Tip && IsWindowVisible(s.Tip)) ShowWindow(s.Tip, SW_HIDE);
}

// Ends the balloon; with an event, its owner hears of it.
void HideBalloon(UINT event) {
  TrayState& s = T();
  TrayIcon* owner = s.BalloonFor;
  s.BalloonFor = nullptr;
  if (s.Tray) KillTimer(s.Tray, BalloonTimer);
  if (s.Balloon) {
    DestroyWindow(s.Balloon);
    s.Balloon = nullptr;
  }
  if (s.BalloonIcon) {
    DestroyIcon(s.BalloonIcon);
    s.BalloonIcon = nullptr;
  }
  if (owner && event) Notify(owner, event, Anchor(owner));
}

void Relayout();

void DropIcon(TrayIcon* i, bool tellBalloon) {
  TrayState& s = T();
  if (s.BalloonFor == i) HideBalloon(tellBalloon ? NIN_BALLOONHIDE : 0);
  if (s.TipFor == i) HideTip();
  if (s.Focused == i) s.Focused = nullptr;
  if (i->Icon) DestroyIcon(i->Icon);
  s.Icons.erase(std::find_if(s.Icons.begin(), s.Icons.end(), [&](auto& p) { return p.get() == i; }));
}

// Icons of a window that goes leave with it, before anything else could be
// posted to it.
LRESULT CALLBACK_TrayCbt(int code, WPARAM wp, LPARAM lp) {
  if (code == HCBT_DESTROYWND) {
    HWND dying = reinterpret_cast<HWND>(wp);
    bool any = false;
    for (size_t k = T().Icons.size(); k-- > 0;)
      if (T().Icons[k]->Wnd == dying) {
        DropIcon(T().Icons[k].get(), false);
        any = true;
      }
    if (any) Relayout();
  }
  return CallNextHookEx(T().Cbt, code, wp, lp);
}

void PaintTray(HWND h) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(h, &ps);
  RECT rc;
  GetClientRect(h, &rc);
  HBRUSH bg = CreateSolidBrush(RGB(32, 38, 50));
  FillRect(dc, &rc, bg);
  DeleteObject(bg);
  HBRUSH edge = CreateSolidBrush(RGB(70, 82, 104));
  RECT top{0, 0, rc.Right, 1};
  FillRect(dc, &top, edge);
  DeleteObject(edge);
  for (TrayIcon* i : Shown()) {
    RECT c;
    if (!CellOf(i, &c)) continue;
    if (i == T().Focused) {
      HBRUSH f = CreateSolidBrush(RGB(58, 68, 88));
      FillRect(dc, &c, f);
      DeleteObject(f);
    }
    if (i->Icon)
      DrawIconEx(dc, c.Left + (CellSize - IconSize) / 2, (c.Top + c.Bottom - IconSize) / 2, i->Icon, IconSize,
                 IconSize, 0, nullptr, DI_NORMAL);
  }
  EndPaint(h, &ps);
}

void ShowTipFor(TrayIcon* i) {
  TrayState& s = T();
  if (!s.Tip) {
    s.Tip = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, TOOLTIPS_CLASSW, u"", WS_POPUP | TTS_ALWAYSTIP, 0, 0,
                            10, 10, s.Tray, nullptr, nullptr, nullptr);
  }
  SetWindowTextW(s.Tip, i->Tip.c_str());
  SIZE sz = TooltipContentSize(s.Tip);
  POINT a = Anchor(i);
  RECT strip = StripRect();
  int x = std::clamp<int>(a.X - sz.cx / 2, strip.Left, strip.Right - sz.cx);
  SetWindowPos(s.Tip, HWND_TOPMOST, x, strip.Top - sz.cy - 2, sz.cx, sz.cy, SWP_NOACTIVATE | SWP_SHOWWINDOW);
  InvalidateRect(s.Tip, nullptr, true);
}

LRESULT TrayProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  TrayState& s = T();
  switch (msg) {
    case WM_MOUSEACTIVATE: return MA_NOACTIVATE;
    case WM_ERASEBKGND: return 1;
    case WM_PAINT:
      PaintTray(h);
      return 0;
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
    case WM_MBUTTONDBLCLK: {
      POINT p(GET_X_LPARAM(lp), GET_Y_LPARAM(lp));
      TrayIcon* i = IconAt(p);
      if (msg == WM_MOUSEMOVE) {
        TRACKMOUSEEVENT t;
        t.dwFlags = TME_LEAVE;
        t.hwndTrack = h;
        TrackMouseEvent(&t);
        if (i != s.TipFor) {
          HideTip();
          bool wantsTip = i && !i->Tip.empty() && (i->Version < NOTIFYICON_VERSION_4 || i->ShowTip);
          if (wantsTip) {
            s.TipFor = i;
            UINT hover = 400;
            SystemParametersInfoW(SPI_GETMOUSEHOVERTIME, 0, &hover, 0);
            SetTimer(h, TipTimer, hover, nullptr);
          }
        }
      } else {
        HideTip();
      }
      if (!i) return 0;
      POINT screen = p;
      ClientToScreen(h, &screen);
      Notify(i, msg, screen);
      if (i->Version >= NOTIFYICON_VERSION) {
        // The record may be gone once the posts above ran a nested loop:
        // look it up again.
        if (msg == WM_LBUTTONUP) Notify(i, NIN_SELECT, screen);
        if (msg == WM_RBUTTONUP) Notify(i, WM_CONTEXTMENU, screen);
      }
      return 0;
    }
    case WM_MOUSELEAVE:
      HideTip();
      return 0;
    case WM_KEYDOWN:
      if ((wp == WPARAM(VK_RETURN) || wp == WPARAM(VK_SPACE)) && s.Focused &&
          s.Focused->Version >= NOTIFYICON_VERSION)
        Notify(s.Focused, NIN_KEYSELECT, Anchor(s.Focused));
      return 0;
    case WM_TIMER:
      if (wp == TipTimer) {
        KillTimer(h, TipTimer);
        if (s.TipFor) ShowTipFor(s.TipFor);
      } else if (wp == BalloonTimer) {
        HideBalloon(NIN_BALLOONTIMEOUT);
      }
      return 0;
    case WM_NOTIFY: {
      auto* n = reinterpret_cast<const NMHDR*>(lp);
      if (n && n->hwndFrom == s.Balloon && n->code == NM_CLICK) {
        TrayIcon* owner = s.BalloonFor;
        s.BalloonFor = nullptr;
        HideBalloon(0);
        if (owner) Notify(owner, NIN_BALLOONUSERCLICK, Anchor(owner));
      }
      return 0;
    }
    default: break;
  }
  return DefWindowProcW(h, msg, wp, lp);
}

void EnsureClass() {
  static bool done = [] {
    RegisterTooltipClass();
    WNDCLASSEXW wc;
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = TrayProc;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = u"Shell_TrayWnd";
    return RegisterClassExW(&wc) != 0;
  }();
  (void)done;
}

void Relayout() {
  TrayState& s = T();
  if (s.Icons.empty()) {
    HideTip();
    HideBalloon(0);
    if (s.Tip) DestroyWindow(s.Tip);
    if (s.Tray) DestroyWindow(s.Tray);
    s.Tip = s.Tray = nullptr;
    if (s.Cbt) UnhookWindowsHookEx(s.Cbt);
    s.Cbt = nullptr;
    return;
  }
  RECT strip = StripRect();
  if (!s.Tray) {
    EnsureClass();
    s.Tray = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, u"Shell_TrayWnd", u"", WS_POPUP,
                             strip.Left, strip.Top, strip.Width(), strip.Height(), nullptr, nullptr, nullptr, nullptr);
    SetWindowPos(s.Tray, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    s.Cbt = SetWindowsHookExW(WH_CBT, CALLBACK_TrayCbt, nullptr, GetCurrentThreadId());
  }
  InvalidateRect(s.Tray, nullptr, true);
}

std::vector<uint32_t> IconPixels(HICON icon) {
  std::vector<uint32_t> px;
  if (!icon) return px;
  BITMAPINFO bi;
  bi.bmiHeader.biWidth = IconSize;
  bi.bmiHeader.biHeight = -IconSize;
  bi.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP bmp = CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (bmp && bits) {
    HGDIOBJ old = SelectObject(dc, bmp);
    std::memset(bits, 0, IconSize * IconSize * 4);
    DrawIconEx(dc, 0, 0, icon, IconSize, IconSize, 0, nullptr, DI_NORMAL);
    px.assign(static_cast<uint32_t*>(bits), static_cast<uint32_t*>(bits) + IconSize * IconSize);
    for (uint32_t& p : px) p &= 0x00FFFFFF;
    SelectObject(dc, old);
  }
  if (bmp) DeleteObject(bmp);
  DeleteDC(dc);
  return px;
}

void ShowBalloon(TrayIcon* i, const NOTIFYICONDATAW& d, const String& text, bool full) {
  TrayState& s = T();
  if (s.BalloonFor || s.Balloon) HideBalloon(NIN_BALLOONHIDE);
  String title = ReadText(d.szInfoTitle, 64);
  WPARAM kind = TTI_NONE;
  switch (d.dwInfoFlags & NIIF_ICON_MASK) {
    case NIIF_INFO: kind = TTI_INFO; break;
    case NIIF_WARNING: kind = TTI_WARNING; break;
    case NIIF_ERROR: kind = TTI_ERROR; break;
    case NIIF_USER: {
      HICON src = (full && d.hBalloonIcon) ? d.hBalloonIcon : i->Icon;
      if (src) s.BalloonIcon = CopyIcon(src);
      if (s.BalloonIcon) kind = reinterpret_cast<WPARAM>(s.BalloonIcon);
      break;
    }
    default: break;
  }
  s.Balloon = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, TOOLTIPS_CLASSW, text.c_str(),
                              WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX | TTS_BALLOON, 0, 0, 10, 10, s.Tray, nullptr,
                              nullptr, nullptr);
  SendMessageW(s.Balloon, TTM_SETTITLEW, kind, reinterpret_cast<LPARAM>(title.c_str()));
  SIZE sz = TooltipContentSize(s.Balloon);
  POINT a = Anchor(i);
  RECT strip = StripRect();
  int x = std::clamp<int>(a.X - sz.cx + 24, strip.Left, strip.Right - sz.cx);
  SetWindowPos(s.Balloon, HWND_TOPMOST, x, strip.Top - sz.cy - 4, sz.cx, sz.cy, SWP_NOACTIVATE | SWP_SHOWWINDOW);
  s.BalloonFor = i;
  SetTimer(s.Tray, BalloonTimer, std::clamp<DWORD>(d.uTimeout, BalloonMinMs, BalloonMaxMs), nullptr);
  Notify(i, NIN_BALLOONSHOW, a);
}

bool Apply(TrayIcon* i, const NOTIFYICONDATAW& d, bool full) {
  if (d.uFlags & NIF_MESSAGE) i->Callback = d.uCallbackMessage;
  if (d.uFlags & NIF_ICON) {
    if (i->Icon) DestroyIcon(i->Icon);
    i->Icon = d.hIcon ? CopyIcon(d.hIcon) : nullptr;
  }
  if (d.uFlags & NIF_TIP) i->Tip = ReadText(d.szTip, 128);
  i->ShowTip = (d.uFlags & NIF_SHOWTIP) != 0;
  if (d.uFlags & NIF_STATE) {
    bool hide = (d.dwStateMask & NIS_HIDDEN) && (d.dwState & NIS_HIDDEN);
    if (d.dwStateMask & NIS_HIDDEN) i->Hidden = hide;
    if (hide && T().TipFor == i) HideTip();
  }
  Relayout();
  if (d.uFlags & NIF_INFO) {
    String text = ReadText(d.szInfo, 256);
    if (text.empty()) {
      if (T().BalloonFor == i) HideBalloon(NIN_BALLOONHIDE);
    } else if (!i->Hidden) {
      ShowBalloon(i, d, text, full);
    }
  }
  return true;
}

TNotifyIconCall Record(DWORD action, const NOTIFYICONDATAW* d) {
  TNotifyIconCall c;
  c.Action = action;
  if (!d) return c;
  c.Size = d->cbSize;
  c.Wnd = d->hWnd;
  c.Id = d->uID;
  c.Flags = d->uFlags;
  c.CallbackMessage = d->uCallbackMessage;
  c.Tip = ReadText(d->szTip, 128);
  c.Info = ReadText(d->szInfo, 256);
  c.InfoTitle = ReadText(d->szInfoTitle, 64);
  c.State = d->dwState;
  c.StateMask = d->dwStateMask;
  c.TimeoutOrVersion = d->uTimeout;
  c.InfoFlags = d->dwInfoFlags;
  if (d->uFlags & NIF_ICON) c.IconPixels = IconPixels(d->hIcon);
  return c;
}

bool Run(DWORD action, const NOTIFYICONDATAW* d) {
  TrayState& s = T();
  if (s.Fail || !d) return false;
  bool full = d->cbSize == sizeof(NOTIFYICONDATAW);
  if (!full && d->cbSize != NOTIFYICONDATAW_V2_SIZE) return false;
  TrayIcon* i = FindIcon(d->hWnd, d->uID);
  switch (action) {
    case NIM_ADD: {
      if (i || !IsWindow(d->hWnd)) return false;
      auto n = std::make_unique<TrayIcon>();
      n->Wnd = d->hWnd;
      n->Id = d->uID;
      TrayIcon* added = n.get();
      s.Icons.push_back(std::move(n));
      return Apply(added, *d, full);
    }
    case NIM_MODIFY: return i && Apply(i, *d, full);
    case NIM_DELETE:
      if (!i) return false;
      DropIcon(i, true);
      Relayout();
      return true;
    case NIM_SETFOCUS:
      if (!i || i->Hidden) return false;
      s.Focused = i;
      SetFocus(s.Tray);
      InvalidateRect(s.Tray, nullptr, true);
      return true;
    case NIM_SETVERSION:
      if (!i || (d->uVersion != 0 && d->uVersion != NOTIFYICON_VERSION && d->uVersion != NOTIFYICON_VERSION_4))
        return false;
      i->Version = d->uVersion;
      return true;
    default: return false;
  }
}

}  // namespace

bool Shell_NotifyIconW(DWORD dwMessage, const NOTIFYICONDATAW* lpData) {
  TNotifyIconCall c = Record(dwMessage, lpData);
  c.Succeeded = Run(dwMessage, lpData);
  T().Log.push_back(std::move(c));
  return T().Log.back().Succeeded;
}

HRESULT Shell_NotifyIconGetRect(const NOTIFYICONIDENTIFIER* identifier, RECT* iconLocation) {
  if (!identifier || !iconLocation || identifier->cbSize != sizeof(NOTIFYICONIDENTIFIER)) return E_INVALIDARG;
  TrayIcon* i = FindIcon(identifier->hWnd, identifier->uID);
  RECT r;
  if (!i || !T().Tray || !CellOf(i, &r)) return E_FAIL;
  POINT tl(r.Left, r.Top), br(r.Right, r.Bottom);
  ClientToScreen(T().Tray, &tl);
  ClientToScreen(T().Tray, &br);
  *iconLocation = RECT{tl.X, tl.Y, br.X, br.Y};
  return S_OK;
}

std::vector<TNotifyIconCall> TakeShellNotifyLog() { return std::exchange(T().Log, {}); }

void SetShellNotifyFailure(bool fail) { T().Fail = fail; }

void RestartShell() {
  TrayState& s = T();
  HideTip();
  HideBalloon(0);
  for (auto& i : s.Icons)
    if (i->Icon) DestroyIcon(i->Icon);
  s.Icons.clear();
  s.Focused = nullptr;
  Relayout();
  PostMessageW(HWND_BROADCAST, RegisterWindowMessageW(u"TaskbarCreated"), 0, 0);
}

HWND ShellTrayWindow() { return T().Tray; }
HWND ShellTooltipWindow() { return T().Tip; }
HWND ShellBalloonWindow() { return T().Balloon; }

}  // namespace vcl
