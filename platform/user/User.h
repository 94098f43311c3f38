// The window server of the host layer: windows, classes and procedures, the
// per-thread message queues in the platform's retrieval order, timers on the
// one clock, painting, scroll-bar state, system metrics and parameters,
// monitors, locale and the process/thread identities. Functions keep the
// platform's names, arguments and results; where the platform returns BOOL
// they return bool (GetMessageW keeps its three-valued int).
#pragma once
#include "platform/rtl/MacroShield.h"

#include <cstddef>
#include <cstdint>
#include <functional>

#include "platform/classes/Threads.h"  // GetCurrentThreadId, MainThreadID
#include "platform/gdi/Gdi.h"
#include "platform/rtl/Kernel.h"  // GetLastError and the error codes
#include "platform/rtl/Types.h"

namespace vcl {

// ---------------------------------------------------------------------------
// Handles and scalar types

struct HWND__;
using HWND = HWND__*;  // a window; never a plain integer, never dereferenced
struct HINSTANCE__;
using HINSTANCE = HINSTANCE__*;
using HMODULE = HINSTANCE;
struct HMENU__;
using HMENU = HMENU__*;
struct HICON__;
using HICON = HICON__*;
using HCURSOR = HICON;
struct HMONITOR__;
using HMONITOR = HMONITOR__*;

using ATOM = uint16_t;
using UINT_PTR = uintptr_t;
using LONG_PTR = intptr_t;
using DWORD_PTR = uintptr_t;
using WPARAM = uintptr_t;
using LPARAM = intptr_t;
using LRESULT = intptr_t;
using LCID = DWORD;
using LCTYPE = DWORD;

constexpr WORD LOWORD(uintptr_t v) { return static_cast<WORD>(v & 0xFFFF); }
constexpr WORD HIWORD(uintptr_t v) { return static_cast<WORD>((v >> 16) & 0xFFFF); }
constexpr int16_t GET_X_LPARAM(LPARAM v) { return static_cast<int16_t>(v & 0xFFFF); }
constexpr int16_t GET_Y_LPARAM(LPARAM v) { return static_cast<int16_t>((v >> 16) & 0xFFFF); }
constexpr LPARAM MAKELPARAM(int lo, int hi) {
  return static_cast<LPARAM>(static_cast<int32_t>((static_cast<uint32_t>(lo) & 0xFFFF) |
                                                  ((static_cast<uint32_t>(hi) & 0xFFFF) << 16)));
}
constexpr WPARAM MAKEWPARAM(int lo, int hi) {
  return static_cast<WPARAM>((static_cast<uint32_t>(lo) & 0xFFFF) | ((static_cast<uint32_t>(hi) & 0xFFFF) << 16));
}
constexpr LRESULT MAKELRESULT(int lo, int hi) { return MAKELPARAM(lo, hi); }

inline HWND HwndFromValue(intptr_t v) { return reinterpret_cast<HWND>(v); }
inline intptr_t HwndValue(HWND h) { return reinterpret_cast<intptr_t>(h); }

inline const HWND HWND_TOP = HwndFromValue(0);
inline const HWND HWND_BOTTOM = HwndFromValue(1);
inline const HWND HWND_TOPMOST = HwndFromValue(-1);
inline const HWND HWND_NOTOPMOST = HwndFromValue(-2);
inline const HWND HWND_MESSAGE = HwndFromValue(-3);
inline const HWND HWND_BROADCAST = HwndFromValue(0xFFFF);

// ---------------------------------------------------------------------------
// Procedures and records

using WNDPROC = LRESULT (*)(HWND, UINT, WPARAM, LPARAM);
using TIMERPROC = void (*)(HWND, UINT, UINT_PTR, DWORD);
using WNDENUMPROC = bool (*)(HWND, LPARAM);
using SENDASYNCPROC = void (*)(HWND, UINT, ULONG_PTR, LRESULT);

// The message record of the component layer. A window procedure written as a
// method takes one of these.
struct TMessage {
  UINT Msg = 0;
  WPARAM WParam = 0;
  LPARAM LParam = 0;
  LRESULT Result = 0;
};
using TWndMethod = std::function<void(TMessage&)>;

struct MSG {
  HWND hwnd = nullptr;
  UINT message = 0;
  WPARAM wParam = 0;
  LPARAM lParam = 0;
  DWORD time = 0;
  POINT pt;
};

struct WNDCLASSEXW {
  UINT cbSize = sizeof(WNDCLASSEXW);
  UINT style = 0;
  WNDPROC lpfnWndProc = nullptr;
  int cbClsExtra = 0;
  int cbWndExtra = 0;
  HINSTANCE hInstance = nullptr;
  HICON hIcon = nullptr;
  HCURSOR hCursor = nullptr;
  // A brush, or a system colour index + 1 cast to HBRUSH (COLOR_WINDOW + 1).
  HBRUSH hbrBackground = nullptr;
  const char16_t* lpszMenuName = nullptr;
  const char16_t* lpszClassName = nullptr;
  HICON hIconSm = nullptr;
};

struct CREATESTRUCTW {
  void* lpCreateParams = nullptr;
  HINSTANCE hInstance = nullptr;
  HMENU hMenu = nullptr;
  HWND hwndParent = nullptr;
  int cy = 0;
  int cx = 0;
  int y = 0;
  int x = 0;
  LONG style = 0;
  const char16_t* lpszName = nullptr;
  const char16_t* lpszClass = nullptr;
  DWORD dwExStyle = 0;
};

struct WINDOWPOS {
  HWND hwnd = nullptr;
  HWND hwndInsertAfter = nullptr;
  int x = 0;
  int y = 0;
  int cx = 0;
  int cy = 0;
  UINT flags = 0;
};

struct NCCALCSIZE_PARAMS {
  RECT rgrc[3];
  WINDOWPOS* lppos = nullptr;
};

struct MINMAXINFO {
  POINT ptReserved;
  POINT ptMaxSize;
  POINT ptMaxPosition;
  POINT ptMinTrackSize;
  POINT ptMaxTrackSize;
};

struct STYLESTRUCT {
  DWORD styleOld = 0;
  DWORD styleNew = 0;
};

struct PAINTSTRUCT {
  HDC hdc = nullptr;
  bool fErase = false;  // the background still needs erasing
  RECT rcPaint;
  bool fRestore = false;
  bool fIncUpdate = false;
  Byte rgbReserved[32] = {};
};

struct NONCLIENTMETRICSW {
  UINT cbSize = sizeof(NONCLIENTMETRICSW);
  int iBorderWidth = 0;
  int iScrollWidth = 0;
  int iScrollHeight = 0;
  int iCaptionWidth = 0;
  int iCaptionHeight = 0;
  LOGFONTW lfCaptionFont;
  int iSmCaptionWidth = 0;
  int iSmCaptionHeight = 0;
  LOGFONTW lfSmCaptionFont;
  int iMenuWidth = 0;
  int iMenuHeight = 0;
  LOGFONTW lfMenuFont;
  LOGFONTW lfStatusFont;
  LOGFONTW lfMessageFont;
  int iPaddedBorderWidth = 0;
};

struct SCROLLINFO {
  UINT cbSize = sizeof(SCROLLINFO);
  UINT fMask = 0;
  int nMin = 0;
  int nMax = 0;
  UINT nPage = 0;
  int nPos = 0;
  int nTrackPos = 0;
};

struct MONITORINFO {
  DWORD cbSize = sizeof(MONITORINFO);
  RECT rcMonitor;
  RECT rcWork;
  DWORD dwFlags = 0;
};

struct MONITORINFOEXW : MONITORINFO {
  MONITORINFOEXW() { cbSize = sizeof(MONITORINFOEXW); }
  char16_t szDevice[32] = {};
};

// ---------------------------------------------------------------------------
// Messages

constexpr UINT WM_NULL = 0x0000, WM_CREATE = 0x0001, WM_DESTROY = 0x0002, WM_MOVE = 0x0003,
               WM_SIZE = 0x0005, WM_ACTIVATE = 0x0006, WM_SETFOCUS = 0x0007, WM_KILLFOCUS = 0x0008,
               WM_ENABLE = 0x000A, WM_SETREDRAW = 0x000B, WM_SETTEXT = 0x000C, WM_GETTEXT = 0x000D,
               WM_GETTEXTLENGTH = 0x000E, WM_PAINT = 0x000F, WM_CLOSE = 0x0010,
               WM_QUERYENDSESSION = 0x0011, WM_QUIT = 0x0012, WM_ERASEBKGND = 0x0014,
               WM_SYSCOLORCHANGE = 0x0015, WM_SHOWWINDOW = 0x0018, WM_SETTINGCHANGE = 0x001A,
               WM_WININICHANGE = 0x001A, WM_ACTIVATEAPP = 0x001C, WM_FONTCHANGE = 0x001D,
               WM_TIMECHANGE = 0x001E, WM_CANCELMODE = 0x001F, WM_SETCURSOR = 0x0020,
               WM_MOUSEACTIVATE = 0x0021, WM_CHILDACTIVATE = 0x0022, WM_GETMINMAXINFO = 0x0024,
               WM_NEXTDLGCTL = 0x0028, WM_DRAWITEM = 0x002B, WM_MEASUREITEM = 0x002C,
               WM_SETFONT = 0x0030, WM_GETFONT = 0x0031, WM_WINDOWPOSCHANGING = 0x0046,
               WM_WINDOWPOSCHANGED = 0x0047, WM_NOTIFY = 0x004E, WM_CONTEXTMENU = 0x007B,
               WM_STYLECHANGING = 0x007C, WM_STYLECHANGED = 0x007D, WM_DISPLAYCHANGE = 0x007E,
               WM_GETICON = 0x007F, WM_SETICON = 0x0080, WM_NCCREATE = 0x0081,
               WM_NCDESTROY = 0x0082, WM_NCCALCSIZE = 0x0083, WM_NCHITTEST = 0x0084,
               WM_NCPAINT = 0x0085, WM_NCACTIVATE = 0x0086, WM_GETDLGCODE = 0x0087,
               WM_NCMOUSEMOVE = 0x00A0, WM_NCLBUTTONDOWN = 0x00A1, WM_NCLBUTTONUP = 0x00A2,
               WM_NCLBUTTONDBLCLK = 0x00A3, WM_NCRBUTTONDOWN = 0x00A4, WM_NCRBUTTONUP = 0x00A5,
               WM_NCRBUTTONDBLCLK = 0x00A6, WM_NCMBUTTONDOWN = 0x00A7, WM_NCMBUTTONUP = 0x00A8,
               WM_NCMBUTTONDBLCLK = 0x00A9, WM_KEYFIRST = 0x0100, WM_KEYDOWN = 0x0100,
               WM_KEYUP = 0x0101, WM_CHAR = 0x0102, WM_DEADCHAR = 0x0103, WM_SYSKEYDOWN = 0x0104,
               WM_SYSKEYUP = 0x0105, WM_SYSCHAR = 0x0106, WM_SYSDEADCHAR = 0x0107,
               WM_UNICHAR = 0x0109, WM_KEYLAST = 0x0109, WM_IME_STARTCOMPOSITION = 0x010D,
               WM_IME_ENDCOMPOSITION = 0x010E, WM_IME_COMPOSITION = 0x010F,
               WM_INITDIALOG = 0x0110, WM_COMMAND = 0x0111, WM_SYSCOMMAND = 0x0112,
               WM_TIMER = 0x0113, WM_HSCROLL = 0x0114, WM_VSCROLL = 0x0115, WM_INITMENU = 0x0116,
               WM_INITMENUPOPUP = 0x0117, WM_MENUSELECT = 0x011F, WM_MENUCHAR = 0x0120,
               WM_ENTERIDLE = 0x0121, WM_CTLCOLORMSGBOX = 0x0132, WM_CTLCOLOREDIT = 0x0133,
               WM_CTLCOLORLISTBOX = 0x0134, WM_CTLCOLORBTN = 0x0135, WM_CTLCOLORDLG = 0x0136,
               WM_CTLCOLORSCROLLBAR = 0x0137, WM_CTLCOLORSTATIC = 0x0138,
               WM_MOUSEFIRST = 0x0200, WM_MOUSEMOVE = 0x0200, WM_LBUTTONDOWN = 0x0201,
               WM_LBUTTONUP = 0x0202, WM_LBUTTONDBLCLK = 0x0203, WM_RBUTTONDOWN = 0x0204,
               WM_RBUTTONUP = 0x0205, WM_RBUTTONDBLCLK = 0x0206, WM_MBUTTONDOWN = 0x0207,
               WM_MBUTTONUP = 0x0208, WM_MBUTTONDBLCLK = 0x0209, WM_MOUSEWHEEL = 0x020A,
               WM_XBUTTONDOWN = 0x020B, WM_XBUTTONUP = 0x020C, WM_XBUTTONDBLCLK = 0x020D,
               WM_MOUSEHWHEEL = 0x020E, WM_MOUSELAST = 0x020E, WM_PARENTNOTIFY = 0x0210,
               WM_ENTERMENULOOP = 0x0211, WM_EXITMENULOOP = 0x0212, WM_SIZING = 0x0214,
               WM_CAPTURECHANGED = 0x0215, WM_MOVING = 0x0216, WM_ENTERSIZEMOVE = 0x0231,
               WM_EXITSIZEMOVE = 0x0232, WM_DROPFILES = 0x0233, WM_IME_SETCONTEXT = 0x0281,
               WM_IME_NOTIFY = 0x0282, WM_IME_CHAR = 0x0286, WM_MOUSEHOVER = 0x02A1,
               WM_NCMOUSELEAVE = 0x02A2, WM_MOUSELEAVE = 0x02A3, WM_CUT = 0x0300,
               WM_COPY = 0x0301, WM_PASTE = 0x0302, WM_CLEAR = 0x0303, WM_UNDO = 0x0304,
               WM_PRINT = 0x0317, WM_PRINTCLIENT = 0x0318, WM_THEMECHANGED = 0x031A,
               WM_USER = 0x0400, WM_APP = 0x8000;

// WM_PRINT / WM_PRINTCLIENT options.
constexpr LPARAM PRF_CHECKVISIBLE = 0x01, PRF_NONCLIENT = 0x02, PRF_CLIENT = 0x04,
                 PRF_ERASEBKGND = 0x08, PRF_CHILDREN = 0x10, PRF_OWNED = 0x20;
// WM_SIZE kinds.
constexpr WPARAM SIZE_RESTORED = 0, SIZE_MINIMIZED = 1, SIZE_MAXIMIZED = 2;
// WM_SYSCOMMAND commands.
constexpr WPARAM SC_SIZE = 0xF000, SC_MOVE = 0xF010, SC_MINIMIZE = 0xF020, SC_MAXIMIZE = 0xF030,
                 SC_NEXTWINDOW = 0xF040, SC_CLOSE = 0xF060, SC_KEYMENU = 0xF100,
                 SC_RESTORE = 0xF120;
// WM_NCHITTEST answers.
constexpr LRESULT HTERROR = -2, HTTRANSPARENT = -1, HTNOWHERE = 0, HTCLIENT = 1, HTCAPTION = 2,
                  HTSYSMENU = 3, HTGROWBOX = 4, HTMENU = 5, HTHSCROLL = 6, HTVSCROLL = 7,
                  HTMINBUTTON = 8, HTMAXBUTTON = 9, HTLEFT = 10, HTRIGHT = 11, HTTOP = 12,
                  HTTOPLEFT = 13, HTTOPRIGHT = 14, HTBOTTOM = 15, HTBOTTOMLEFT = 16,
                  HTBOTTOMRIGHT = 17, HTBORDER = 18, HTCLOSE = 20, HTHELP = 21;

// ---------------------------------------------------------------------------
// Styles

constexpr DWORD WS_OVERLAPPED = 0x00000000, WS_POPUP = 0x80000000, WS_CHILD = 0x40000000,
                WS_MINIMIZE = 0x20000000, WS_VISIBLE = 0x10000000, WS_DISABLED = 0x08000000,
                WS_CLIPSIBLINGS = 0x04000000, WS_CLIPCHILDREN = 0x02000000,
                WS_MAXIMIZE = 0x01000000, WS_CAPTION = 0x00C00000, WS_BORDER = 0x00800000,
                WS_DLGFRAME = 0x00400000, WS_VSCROLL = 0x00200000, WS_HSCROLL = 0x00100000,
                WS_SYSMENU = 0x00080000, WS_THICKFRAME = 0x00040000, WS_GROUP = 0x00020000,
                WS_TABSTOP = 0x00010000, WS_MINIMIZEBOX = 0x00020000, WS_MAXIMIZEBOX = 0x00010000,
                WS_TILED = WS_OVERLAPPED, WS_ICONIC = WS_MINIMIZE, WS_SIZEBOX = WS_THICKFRAME,
                WS_CHILDWINDOW = WS_CHILD,
                WS_OVERLAPPEDWINDOW = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME |
                                      WS_MINIMIZEBOX | WS_MAXIMIZEBOX,
                WS_POPUPWINDOW = WS_POPUP | WS_BORDER | WS_SYSMENU;

constexpr DWORD WS_EX_DLGMODALFRAME = 0x00000001, WS_EX_NOPARENTNOTIFY = 0x00000004,
                WS_EX_TOPMOST = 0x00000008, WS_EX_ACCEPTFILES = 0x00000010,
                WS_EX_TRANSPARENT = 0x00000020, WS_EX_MDICHILD = 0x00000040,
                WS_EX_TOOLWINDOW = 0x00000080, WS_EX_WINDOWEDGE = 0x00000100,
                WS_EX_CLIENTEDGE = 0x00000200, WS_EX_CONTEXTHELP = 0x00000400,
                WS_EX_RIGHT = 0x00001000, WS_EX_RTLREADING = 0x00002000,
                WS_EX_LEFTSCROLLBAR = 0x00004000, WS_EX_CONTROLPARENT = 0x00010000,
                WS_EX_STATICEDGE = 0x00020000, WS_EX_APPWINDOW = 0x00040000,
                WS_EX_LAYERED = 0x00080000, WS_EX_NOINHERITLAYOUT = 0x00100000,
                WS_EX_LAYOUTRTL = 0x00400000, WS_EX_COMPOSITED = 0x02000000,
                WS_EX_NOACTIVATE = 0x08000000,
                WS_EX_OVERLAPPEDWINDOW = WS_EX_WINDOWEDGE | WS_EX_CLIENTEDGE;

constexpr UINT CS_VREDRAW = 0x0001, CS_HREDRAW = 0x0002, CS_DBLCLKS = 0x0008, CS_OWNDC = 0x0020,
               CS_CLASSDC = 0x0040, CS_PARENTDC = 0x0080, CS_NOCLOSE = 0x0200,
               CS_SAVEBITS = 0x0800, CS_BYTEALIGNCLIENT = 0x1000, CS_BYTEALIGNWINDOW = 0x2000,
               CS_GLOBALCLASS = 0x4000, CS_DROPSHADOW = 0x00020000;

constexpr int CW_USEDEFAULT = static_cast<int>(0x80000000);

// ---------------------------------------------------------------------------
// Positions, visibility, relations

constexpr UINT SWP_NOSIZE = 0x0001, SWP_NOMOVE = 0x0002, SWP_NOZORDER = 0x0004,
               SWP_NOREDRAW = 0x0008, SWP_NOACTIVATE = 0x0010, SWP_FRAMECHANGED = 0x0020,
               SWP_DRAWFRAME = SWP_FRAMECHANGED, SWP_SHOWWINDOW = 0x0040, SWP_HIDEWINDOW = 0x0080,
               SWP_NOCOPYBITS = 0x0100, SWP_NOOWNERZORDER = 0x0200,
               SWP_NOREPOSITION = SWP_NOOWNERZORDER, SWP_NOSENDCHANGING = 0x0400,
               SWP_NOCLIENTSIZE = 0x0800, SWP_NOCLIENTMOVE = 0x1000, SWP_DEFERERASE = 0x2000,
               SWP_ASYNCWINDOWPOS = 0x4000, SWP_STATECHANGED = 0x8000;

constexpr int SW_HIDE = 0, SW_SHOWNORMAL = 1, SW_NORMAL = 1, SW_SHOWMINIMIZED = 2,
              SW_SHOWMAXIMIZED = 3, SW_MAXIMIZE = 3, SW_SHOWNOACTIVATE = 4, SW_SHOW = 5,
              SW_MINIMIZE = 6, SW_SHOWMINNOACTIVE = 7, SW_SHOWNA = 8, SW_RESTORE = 9,
              SW_SHOWDEFAULT = 10, SW_FORCEMINIMIZE = 11;

constexpr UINT GW_HWNDFIRST = 0, GW_HWNDLAST = 1, GW_HWNDNEXT = 2, GW_HWNDPREV = 3, GW_OWNER = 4,
               GW_CHILD = 5, GW_ENABLEDPOPUP = 6;
constexpr UINT GA_PARENT = 1, GA_ROOT = 2, GA_ROOTOWNER = 3;

constexpr int GWLP_WNDPROC = -4, GWLP_HINSTANCE = -6, GWLP_HWNDPARENT = -8, GWLP_ID = -12,
              GWL_STYLE = -16, GWL_EXSTYLE = -20, GWLP_USERDATA = -21;
constexpr int GCLP_MENUNAME = -8, GCLP_HBRBACKGROUND = -10, GCLP_HCURSOR = -12, GCLP_HICON = -14,
              GCLP_HMODULE = -16, GCL_CBWNDEXTRA = -18, GCL_CBCLSEXTRA = -20,
              GCLP_WNDPROC = -24, GCL_STYLE = -26, GCLP_HICONSM = -34;

// ---------------------------------------------------------------------------
// Message retrieval and sending

constexpr UINT PM_NOREMOVE = 0x0000, PM_REMOVE = 0x0001, PM_NOYIELD = 0x0002;
constexpr UINT QS_KEY = 0x0001, QS_MOUSEMOVE = 0x0002, QS_MOUSEBUTTON = 0x0004,
               QS_POSTMESSAGE = 0x0008, QS_TIMER = 0x0010, QS_PAINT = 0x0020,
               QS_SENDMESSAGE = 0x0040, QS_HOTKEY = 0x0080, QS_ALLPOSTMESSAGE = 0x0100,
               QS_RAWINPUT = 0x0400, QS_MOUSE = QS_MOUSEMOVE | QS_MOUSEBUTTON,
               QS_INPUT = QS_MOUSE | QS_KEY | QS_RAWINPUT,
               QS_ALLEVENTS = QS_INPUT | QS_POSTMESSAGE | QS_TIMER | QS_PAINT | QS_HOTKEY,
               QS_ALLINPUT = QS_ALLEVENTS | QS_SENDMESSAGE;
constexpr DWORD INFINITE = 0xFFFFFFFF, WAIT_OBJECT_0 = 0, WAIT_ABANDONED_0 = 0x80,
                WAIT_TIMEOUT = 258, WAIT_FAILED = 0xFFFFFFFF;
constexpr DWORD MWMO_WAITALL = 0x0001, MWMO_ALERTABLE = 0x0002, MWMO_INPUTAVAILABLE = 0x0004;
constexpr UINT SMTO_NORMAL = 0x0000, SMTO_BLOCK = 0x0001, SMTO_ABORTIFHUNG = 0x0002,
               SMTO_NOTIMEOUTIFNOTHUNG = 0x0008, SMTO_ERRORONEXIT = 0x0020;
constexpr DWORD ISMEX_NOSEND = 0, ISMEX_SEND = 1, ISMEX_NOTIFY = 2, ISMEX_CALLBACK = 4,
                ISMEX_REPLIED = 8;
constexpr UINT USER_TIMER_MINIMUM = 0x0000000A, USER_TIMER_MAXIMUM = 0x7FFFFFFF;

// ---------------------------------------------------------------------------
// Painting and scrolling

constexpr UINT RDW_INVALIDATE = 0x0001, RDW_INTERNALPAINT = 0x0002, RDW_ERASE = 0x0004,
               RDW_VALIDATE = 0x0008, RDW_NOINTERNALPAINT = 0x0010, RDW_NOERASE = 0x0020,
               RDW_NOCHILDREN = 0x0040, RDW_ALLCHILDREN = 0x0080, RDW_UPDATENOW = 0x0100,
               RDW_ERASENOW = 0x0200, RDW_FRAME = 0x0400, RDW_NOFRAME = 0x0800;
constexpr DWORD DCX_WINDOW = 0x00000001, DCX_CACHE = 0x00000002, DCX_NORESETATTRS = 0x00000004,
                DCX_CLIPCHILDREN = 0x00000008, DCX_CLIPSIBLINGS = 0x00000010,
                DCX_PARENTCLIP = 0x00000020, DCX_EXCLUDERGN = 0x00000040,
                DCX_INTERSECTRGN = 0x00000080, DCX_EXCLUDEUPDATE = 0x00000100,
                DCX_INTERSECTUPDATE = 0x00000200, DCX_LOCKWINDOWUPDATE = 0x00000400,
                DCX_VALIDATE = 0x00200000;
constexpr UINT SW_SCROLLCHILDREN = 0x0001, SW_INVALIDATE = 0x0002, SW_ERASE = 0x0004,
               SW_SMOOTHSCROLL = 0x0010;

constexpr UINT SIF_RANGE = 0x0001, SIF_PAGE = 0x0002, SIF_POS = 0x0004,
               SIF_DISABLENOSCROLL = 0x0008, SIF_TRACKPOS = 0x0010,
               SIF_ALL = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_TRACKPOS;
constexpr int SB_HORZ = 0, SB_VERT = 1, SB_CTL = 2, SB_BOTH = 3;
constexpr UINT ESB_ENABLE_BOTH = 0, ESB_DISABLE_BOTH = 3, ESB_DISABLE_LEFT = 1,
               ESB_DISABLE_RIGHT = 2, ESB_DISABLE_UP = 1, ESB_DISABLE_DOWN = 2,
               ESB_DISABLE_LTUP = 1, ESB_DISABLE_RTDN = 2;

// ---------------------------------------------------------------------------
// System information

constexpr int SM_CXSCREEN = 0, SM_CYSCREEN = 1, SM_CXVSCROLL = 2, SM_CYHSCROLL = 3,
              SM_CYCAPTION = 4, SM_CXBORDER = 5, SM_CYBORDER = 6, SM_CXDLGFRAME = 7,
              SM_CXFIXEDFRAME = 7, SM_CYDLGFRAME = 8, SM_CYFIXEDFRAME = 8, SM_CYVTHUMB = 9,
              SM_CXHTHUMB = 10, SM_CXICON = 11, SM_CYICON = 12, SM_CXCURSOR = 13,
              SM_CYCURSOR = 14, SM_CYMENU = 15, SM_CXFULLSCREEN = 16, SM_CYFULLSCREEN = 17,
              SM_CYKANJIWINDOW = 18, SM_MOUSEPRESENT = 19, SM_CYVSCROLL = 20, SM_CXHSCROLL = 21,
              SM_DEBUG = 22, SM_SWAPBUTTON = 23, SM_CXMIN = 28, SM_CYMIN = 29, SM_CXSIZE = 30,
              SM_CYSIZE = 31, SM_CXFRAME = 32, SM_CXSIZEFRAME = 32, SM_CYFRAME = 33,
              SM_CYSIZEFRAME = 33, SM_CXMINTRACK = 34, SM_CYMINTRACK = 35,
              SM_CXDOUBLECLK = 36, SM_CYDOUBLECLK = 37, SM_CXICONSPACING = 38,
              SM_CYICONSPACING = 39, SM_MENUDROPALIGNMENT = 40, SM_CMOUSEBUTTONS = 43,
              SM_CXEDGE = 45, SM_CYEDGE = 46, SM_CXSMICON = 49, SM_CYSMICON = 50,
              SM_CYSMCAPTION = 51, SM_CXSMSIZE = 52, SM_CYSMSIZE = 53, SM_CXMENUSIZE = 54,
              SM_CYMENUSIZE = 55, SM_CXMINIMIZED = 57, SM_CYMINIMIZED = 58,
              SM_CXMAXTRACK = 59, SM_CYMAXTRACK = 60, SM_CXMAXIMIZED = 61, SM_CYMAXIMIZED = 62,
              SM_CXDRAG = 68, SM_CYDRAG = 69, SM_CXMENUCHECK = 71, SM_CYMENUCHECK = 72,
              SM_MOUSEWHEELPRESENT = 75, SM_XVIRTUALSCREEN = 76, SM_YVIRTUALSCREEN = 77,
              SM_CXVIRTUALSCREEN = 78, SM_CYVIRTUALSCREEN = 79, SM_CMONITORS = 80,
              SM_SAMEDISPLAYFORMAT = 81, SM_CXFOCUSBORDER = 83, SM_CYFOCUSBORDER = 84,
              SM_CXPADDEDBORDER = 92, SM_CMETRICS = 97, SM_REMOTESESSION = 0x1000;

constexpr UINT SPI_GETKEYBOARDSPEED = 0x000A, SPI_GETKEYBOARDDELAY = 0x0016,
               SPI_GETICONTITLELOGFONT = 0x001F, SPI_GETDRAGFULLWINDOWS = 0x0026,
               SPI_SETDRAGFULLWINDOWS = 0x0025, SPI_GETNONCLIENTMETRICS = 0x0029,
               SPI_SETWORKAREA = 0x002F, SPI_GETWORKAREA = 0x0030, SPI_GETHIGHCONTRAST = 0x0042,
               SPI_GETANIMATION = 0x0048, SPI_GETFONTSMOOTHING = 0x004A,
               SPI_GETMOUSEHOVERWIDTH = 0x0062, SPI_GETMOUSEHOVERHEIGHT = 0x0064,
               SPI_GETMOUSEHOVERTIME = 0x0066, SPI_GETWHEELSCROLLLINES = 0x0068,
               SPI_SETWHEELSCROLLLINES = 0x0069, SPI_GETWHEELSCROLLCHARS = 0x006C,
               SPI_SETWHEELSCROLLCHARS = 0x006D, SPI_GETMENUANIMATION = 0x1002,
               SPI_SETMENUANIMATION = 0x1003, SPI_GETCOMBOBOXANIMATION = 0x1004,
               SPI_GETLISTBOXSMOOTHSCROLLING = 0x1006, SPI_GETGRADIENTCAPTIONS = 0x1008,
               SPI_GETKEYBOARDCUES = 0x100A, SPI_GETMENUUNDERLINES = 0x100A,
               SPI_GETHOTTRACKING = 0x100E, SPI_GETMENUFADE = 0x1012, SPI_SETMENUFADE = 0x1013,
               SPI_GETSELECTIONFADE = 0x1014, SPI_SETSELECTIONFADE = 0x1015,
               SPI_GETTOOLTIPANIMATION = 0x1016, SPI_SETTOOLTIPANIMATION = 0x1017,
               SPI_GETTOOLTIPFADE = 0x1018, SPI_SETTOOLTIPFADE = 0x1019,
               SPI_GETFLATMENU = 0x1022, SPI_GETDROPSHADOW = 0x1024,
               SPI_GETCLIENTAREAANIMATION = 0x1042, SPI_GETCARETWIDTH = 0x2006;
constexpr UINT SPIF_UPDATEINIFILE = 0x0001, SPIF_SENDCHANGE = 0x0002;

constexpr DWORD MONITOR_DEFAULTTONULL = 0, MONITOR_DEFAULTTOPRIMARY = 1,
                MONITOR_DEFAULTTONEAREST = 2, MONITORINFOF_PRIMARY = 1;

constexpr LCID LOCALE_USER_DEFAULT = 0x0400, LOCALE_SYSTEM_DEFAULT = 0x0800,
               LOCALE_INVARIANT = 0x007F;
constexpr LCTYPE LOCALE_NOUSEROVERRIDE = 0x80000000, LOCALE_RETURN_NUMBER = 0x20000000,
                 LOCALE_ILANGUAGE = 0x0001, LOCALE_SLANGUAGE = 0x0002,
                 LOCALE_SENGLANGUAGE = 0x1001, LOCALE_SABBREVLANGNAME = 0x0003,
                 LOCALE_SCOUNTRY = 0x0006, LOCALE_SENGCOUNTRY = 0x1002, LOCALE_SLIST = 0x000C,
                 LOCALE_IMEASURE = 0x000D, LOCALE_SDECIMAL = 0x000E, LOCALE_STHOUSAND = 0x000F,
                 LOCALE_SGROUPING = 0x0010, LOCALE_IDIGITS = 0x0011, LOCALE_ILZERO = 0x0012,
                 LOCALE_SNATIVEDIGITS = 0x0013, LOCALE_SCURRENCY = 0x0014,
                 LOCALE_SMONDECIMALSEP = 0x0016, LOCALE_SMONTHOUSANDSEP = 0x0017,
                 LOCALE_ICURRDIGITS = 0x0019, LOCALE_ICURRENCY = 0x001B,
                 LOCALE_INEGCURR = 0x001C, LOCALE_SDATE = 0x001D, LOCALE_STIME = 0x001E,
                 LOCALE_SSHORTDATE = 0x001F, LOCALE_SLONGDATE = 0x0020, LOCALE_IDATE = 0x0021,
                 LOCALE_ITIME = 0x0023, LOCALE_S1159 = 0x0028, LOCALE_S2359 = 0x0029,
                 LOCALE_SDAYNAME1 = 0x002A, LOCALE_SABBREVDAYNAME1 = 0x0031,
                 LOCALE_SMONTHNAME1 = 0x0038, LOCALE_SABBREVMONTHNAME1 = 0x0044,
                 LOCALE_IDEFAULTLANGUAGE = 0x0009, LOCALE_IDEFAULTCODEPAGE = 0x000B,
                 LOCALE_IDEFAULTANSICODEPAGE = 0x1004, LOCALE_SISO639LANGNAME = 0x0059,
                 LOCALE_SISO3166CTRYNAME = 0x005A, LOCALE_SNAME = 0x005C,
                 LOCALE_STIMEFORMAT = 0x1003, LOCALE_IFIRSTDAYOFWEEK = 0x100C,
                 LOCALE_SNEGATIVESIGN = 0x0051, LOCALE_SPOSITIVESIGN = 0x0050;

// ---------------------------------------------------------------------------
// Window classes

ATOM RegisterClassExW(const WNDCLASSEXW* wc);
bool UnregisterClassW(const char16_t* className, HINSTANCE inst);
bool GetClassInfoExW(HINSTANCE inst, const char16_t* className, WNDCLASSEXW* wc);
int GetClassNameW(HWND h, char16_t* buffer, int maxCount);
String GetClassName(HWND h);
ULONG_PTR GetClassLongPtrW(HWND h, int index);
ULONG_PTR SetClassLongPtrW(HWND h, int index, LONG_PTR value);

// ---------------------------------------------------------------------------
// Windows

HWND CreateWindowExW(DWORD exStyle, const char16_t* className, const char16_t* windowName,
                     DWORD style, int x, int y, int width, int height, HWND parent, HMENU menu,
                     HINSTANCE inst, void* param);
bool DestroyWindow(HWND h);
bool IsWindow(HWND h);
bool IsWindowVisible(HWND h);
bool IsWindowEnabled(HWND h);
bool IsChild(HWND parent, HWND h);
bool IsIconic(HWND h);
bool IsZoomed(HWND h);
bool EnableWindow(HWND h, bool enable);  // returns whether it was disabled before
bool ShowWindow(HWND h, int cmd);        // returns whether it was visible before
bool SetWindowPos(HWND h, HWND insertAfter, int x, int y, int cx, int cy, UINT flags);
bool MoveWindow(HWND h, int x, int y, int width, int height, bool repaint);
// A batch of moves applied together: DeferWindowPos collects them (nothing
// moves yet) and EndDeferWindowPos applies them in the order given. A
// DeferWindowPos naming a window that does not exist (or a
// window of another thread) frees the batch and answers nullptr; the moves
// collected so far are dropped, and the caller must not use the old handle.
struct HDWP__;
using HDWP = HDWP__*;
HDWP BeginDeferWindowPos(int numWindows);
HDWP DeferWindowPos(HDWP batch, HWND h, HWND insertAfter, int x, int y, int cx, int cy, UINT flags);
bool EndDeferWindowPos(HDWP batch);
bool BringWindowToTop(HWND h);
bool GetWindowRect(HWND h, RECT* r);
bool GetClientRect(HWND h, RECT* r);
bool AdjustWindowRectEx(RECT* r, DWORD style, bool menu, DWORD exStyle);
bool ClientToScreen(HWND h, POINT* p);
bool ScreenToClient(HWND h, POINT* p);
// Returns the offset packed as MAKELONG(dx, dy), as the platform does.
int MapWindowPoints(HWND from, HWND to, POINT* points, UINT count);
HWND GetParent(HWND h);
HWND SetParent(HWND child, HWND newParent);
HWND GetWindow(HWND h, UINT cmd);
HWND GetAncestor(HWND h, UINT flags);
HWND GetTopWindow(HWND h);
HWND GetDesktopWindow();
HWND GetNextWindow(HWND h, UINT cmd);
bool EnumWindows(WNDENUMPROC proc, LPARAM param);
bool EnumChildWindows(HWND parent, WNDENUMPROC proc, LPARAM param);
bool EnumThreadWindows(DWORD threadId, WNDENUMPROC proc, LPARAM param);
HWND FindWindowW(const char16_t* className, const char16_t* windowName);
HWND FindWindowExW(HWND parent, HWND childAfter, const char16_t* className,
                   const char16_t* windowName);
int GetWindowTextW(HWND h, char16_t* buffer, int maxCount);
int GetWindowTextLengthW(HWND h);
bool SetWindowTextW(HWND h, const char16_t* text);
String GetWindowText(HWND h);
LONG_PTR GetWindowLongPtrW(HWND h, int index);
LONG_PTR SetWindowLongPtrW(HWND h, int index, LONG_PTR value);
LONG GetWindowLongW(HWND h, int index);
LONG SetWindowLongW(HWND h, int index, LONG value);
int GetDlgCtrlID(HWND h);
HWND GetDlgItem(HWND parent, int id);
bool SetPropW(HWND h, const char16_t* name, HANDLE data);
HANDLE GetPropW(HWND h, const char16_t* name);
HANDLE RemovePropW(HWND h, const char16_t* name);
DWORD GetWindowThreadProcessId(HWND h, DWORD* processId);

LRESULT CallWindowProcW(WNDPROC proc, HWND h, UINT msg, WPARAM wParam, LPARAM lParam);
LRESULT DefWindowProcW(HWND h, UINT msg, WPARAM wParam, LPARAM lParam);

// A window procedure made from a bound callable, for subclassing with
// SetWindowLongPtrW(GWLP_WNDPROC) and for CallWindowProcW; it stays valid until
// FreeObjectInstance. Call it only through CallWindowProcW.
WNDPROC MakeObjectInstance(TWndMethod method);
void FreeObjectInstance(WNDPROC proc);
// A hidden message-only utility window whose procedure is the callable. It is
// not a top-level window: broadcasts and enumerations skip it.
HWND AllocateHWnd(TWndMethod method);
void DeallocateHWnd(HWND h);

UINT RegisterWindowMessageW(const char16_t* name);

// ---------------------------------------------------------------------------
// Messages

LRESULT SendMessageW(HWND h, UINT msg, WPARAM wParam, LPARAM lParam);
// Returns false on time-out or for a window that went away; result gets 0 then.
bool SendMessageTimeoutW(HWND h, UINT msg, WPARAM wParam, LPARAM lParam, UINT flags,
                         UINT timeoutMs, DWORD_PTR* result);
bool SendNotifyMessageW(HWND h, UINT msg, WPARAM wParam, LPARAM lParam);
bool PostMessageW(HWND h, UINT msg, WPARAM wParam, LPARAM lParam);
bool PostThreadMessageW(DWORD threadId, UINT msg, WPARAM wParam, LPARAM lParam);
void PostQuitMessage(int exitCode);
// > 0 for a message, 0 for WM_QUIT, -1 for an invalid window filter.
int GetMessageW(MSG* msg, HWND h, UINT filterMin, UINT filterMax);
bool PeekMessageW(MSG* msg, HWND h, UINT filterMin, UINT filterMax, UINT removeFlags);
bool TranslateMessage(const MSG* msg);
LRESULT DispatchMessageW(const MSG* msg);
bool WaitMessage();
// Waits for one of the handles (events made by CreateEventW) or for queue
// input of the kinds in wakeMask, serving sent messages meanwhile. Returns
// WAIT_OBJECT_0 + i for a handle, WAIT_OBJECT_0 + count for input, or
// WAIT_TIMEOUT.
DWORD MsgWaitForMultipleObjects(DWORD count, const HANDLE* handles, bool waitAll, DWORD ms,
                                DWORD wakeMask);
DWORD MsgWaitForMultipleObjectsEx(DWORD count, const HANDLE* handles, DWORD ms, DWORD wakeMask,
                                  DWORD flags);
DWORD GetQueueStatus(UINT flags);
bool InSendMessage();
DWORD InSendMessageEx(void* reserved);
bool ReplyMessage(LRESULT result);
DWORD GetMessageTime();
DWORD GetMessagePos();

// Kernel events, enough for waiting alongside the message queue.
HANDLE CreateEventW(void* attributes, bool manualReset, bool initialState, const char16_t* name);
bool SetEvent(HANDLE h);
bool ResetEvent(HANDLE h);
DWORD WaitForSingleObject(HANDLE h, DWORD ms);
bool CloseHandle(HANDLE h);

// ---------------------------------------------------------------------------
// Timers and the clock

UINT_PTR SetTimer(HWND h, UINT_PTR id, UINT elapseMs, TIMERPROC proc);
bool KillTimer(HWND h, UINT_PTR id);
DWORD GetTickCount();
UInt64 GetTickCount64();
DWORD timeGetTime();
bool QueryPerformanceCounter(Int64* count);
bool QueryPerformanceFrequency(Int64* frequency);
void Sleep(DWORD ms);

// ---------------------------------------------------------------------------
// Painting

bool InvalidateRect(HWND h, const RECT* r, bool erase);
bool InvalidateRgn(HWND h, HRGN rgn, bool erase);
bool ValidateRect(HWND h, const RECT* r);
bool ValidateRgn(HWND h, HRGN rgn);
bool GetUpdateRect(HWND h, RECT* r, bool erase);
// The region type (NULLREGION, SIMPLEREGION, COMPLEXREGION) or ERROR.
int GetUpdateRgn(HWND h, HRGN rgn, bool erase);
bool RedrawWindow(HWND h, const RECT* r, HRGN rgn, UINT flags);
bool UpdateWindow(HWND h);
HDC BeginPaint(HWND h, PAINTSTRUCT* ps);
bool EndPaint(HWND h, const PAINTSTRUCT* ps);
HDC GetDC(HWND h);  // nullptr: the screen, as composed (kept up to date while open)
HDC GetDCEx(HWND h, HRGN clip, DWORD flags);
HDC GetWindowDC(HWND h);
int ReleaseDC(HWND h, HDC dc);
HWND WindowFromDC(HDC dc);
// "DISPLAY" (or a monitor's device name): a DC over the screen. What it
// draws stays on the screen until the window beneath shows something else
// there. "WINSPOOL" or no driver with a printer's name (none: the default
// printer) and an optional DEVMODEW: a printer DC (platform/gdi/WinSpool.h).
HDC CreateDCW(const char16_t* driver, const char16_t* device, const char16_t* output, const void* devMode);
// The same as an information context: a printer's only measures.
HDC CreateICW(const char16_t* driver, const char16_t* device, const char16_t* output, const void* devMode);
// SYSRGN: the part of the screen a DC draws on, in screen coordinates (a
// window DC's area cut by its parents, clip flags, window regions and the
// top-level windows above; a screen DC's is the virtual screen). 1, 0 when
// empty, -1 for a bad DC. CLIPRGN, METARGN, APIRGN answer the clip region.
constexpr int CLIPRGN = 1, METARGN = 2, APIRGN = 3, SYSRGN = 4;
int GetRandomRgn(HDC dc, HRGN rgn, int which);
int ScrollWindowEx(HWND h, int dx, int dy, const RECT* scroll, const RECT* clip, HRGN update,
                   RECT* updateRect, UINT flags);
bool ScrollWindow(HWND h, int dx, int dy, const RECT* scroll, const RECT* clip);
bool ScrollDC(HDC dc, int dx, int dy, const RECT* scroll, const RECT* clip, HRGN update, RECT* updateRect);
bool LockWindowUpdate(HWND h);
// The window owns rgn afterwards (window coordinates; nullptr removes it).
int SetWindowRgn(HWND h, HRGN rgn, bool redraw);
int GetWindowRgn(HWND h, HRGN rgn);
int GetWindowRgnBox(HWND h, RECT* r);

// ---------------------------------------------------------------------------
// Layered windows, animation and child hit-testing (Layered.cpp, Animate.cpp)

// A WS_EX_LAYERED top-level window shows nothing until UpdateLayeredWindow
// gives it a picture or SetLayeredWindowAttributes makes it show its painted
// surface. The two modes exclude each other: after SetLayeredWindowAttributes,
// UpdateLayeredWindow fails until WS_EX_LAYERED is cleared and set again.
// Pixels a layered window shows with alpha 0 (or in its colour key) let the
// pointer through, as WS_EX_TRANSPARENT windows do.
constexpr DWORD ULW_COLORKEY = 0x00000001, ULW_ALPHA = 0x00000002, ULW_OPAQUE = 0x00000004;
constexpr DWORD LWA_COLORKEY = 0x00000001, LWA_ALPHA = 0x00000002;

struct UPDATELAYEREDWINDOWINFO {
  DWORD cbSize = sizeof(UPDATELAYEREDWINDOWINFO);
  HDC hdcDst = nullptr;
  const POINT* pptDst = nullptr;
  const SIZE* psize = nullptr;
  HDC hdcSrc = nullptr;
  const POINT* pptSrc = nullptr;
  COLORREF crKey = 0;
  const BLENDFUNCTION* pblend = nullptr;
  DWORD dwFlags = 0;
  const RECT* prcDirty = nullptr;  // window coordinates; nullptr: the whole picture
};

// Takes the picture (premultiplied alpha with AC_SRC_ALPHA) from hdcSrc at
// pptSrc, moves the window to pptDst (screen) and sizes it to psize; nullptr
// keeps the current value. Without hdcSrc the picture stays and only the
// position, blend and key change. hdcDst is not used.
bool UpdateLayeredWindow(HWND h, HDC hdcDst, const POINT* pptDst, const SIZE* psize, HDC hdcSrc,
                         const POINT* pptSrc, COLORREF crKey, const BLENDFUNCTION* pblend, DWORD dwFlags);
bool UpdateLayeredWindowIndirect(HWND h, const UPDATELAYEREDWINDOWINFO* info);
bool SetLayeredWindowAttributes(HWND h, COLORREF crKey, Byte bAlpha, DWORD dwFlags);
// Fails for a window whose look comes from UpdateLayeredWindow.
bool GetLayeredWindowAttributes(HWND h, COLORREF* pcrKey, Byte* pbAlpha, DWORD* pdwFlags);

constexpr DWORD AW_HOR_POSITIVE = 0x00000001, AW_HOR_NEGATIVE = 0x00000002, AW_VER_POSITIVE = 0x00000004,
                AW_VER_NEGATIVE = 0x00000008, AW_CENTER = 0x00000010, AW_HIDE = 0x00010000,
                AW_ACTIVATE = 0x00020000, AW_SLIDE = 0x00040000, AW_BLEND = 0x00080000;
// Shows or hides a window with an animation that runs to its end before the
// call returns, on the one clock (instantly in virtual mode). Fails for a
// window already in the asked state, for a roll or slide without a
// direction, for AW_BLEND on a child window (ERROR_INVALID_PARAMETER), and
// for a window of another thread (last error ERROR_SUCCESS).
bool AnimateWindow(HWND h, DWORD dwTime, DWORD dwFlags);

constexpr UINT CWP_ALL = 0x0000, CWP_SKIPINVISIBLE = 0x0001, CWP_SKIPDISABLED = 0x0002,
               CWP_SKIPTRANSPARENT = 0x0004;
// The child of parent (not a deeper descendant) under a point in parent's
// client coordinates, honouring window regions; parent itself when no child
// is there, nullptr when the point lies outside parent.
HWND ChildWindowFromPointEx(HWND parent, POINT p, UINT flags);
HWND ChildWindowFromPoint(HWND parent, POINT p);

using MONITORENUMPROC = bool (*)(HMONITOR, HDC, RECT*, LPARAM);
bool EnumDisplayMonitors(HDC dc, const RECT* clip, MONITORENUMPROC proc, LPARAM data);

// ---------------------------------------------------------------------------
// Scroll bars

int SetScrollInfo(HWND h, int bar, const SCROLLINFO* si, bool redraw);
bool GetScrollInfo(HWND h, int bar, SCROLLINFO* si);
int GetScrollPos(HWND h, int bar);
int SetScrollPos(HWND h, int bar, int pos, bool redraw);
bool GetScrollRange(HWND h, int bar, int* minPos, int* maxPos);
bool SetScrollRange(HWND h, int bar, int minPos, int maxPos, bool redraw);
bool ShowScrollBar(HWND h, int bar, bool show);
bool EnableScrollBar(HWND h, UINT bar, UINT arrows);

// ---------------------------------------------------------------------------
// System information

int GetSystemMetrics(int index);
bool SystemParametersInfoW(UINT action, UINT uiParam, void* pvParam, UINT winIni);
// Records the sound in the kernel's beep log (Kernel.h); there is no speaker.
bool MessageBeep(UINT type);
UINT GetDoubleClickTime();
bool SetDoubleClickTime(UINT ms);
// The common-controls version as MAKELONG(minor, major): 6.0.
DWORD GetComCtlVersion();
HMONITOR MonitorFromWindow(HWND h, DWORD flags);
HMONITOR MonitorFromPoint(POINT p, DWORD flags);
HMONITOR MonitorFromRect(const RECT* r, DWORD flags);
bool GetMonitorInfoW(HMONITOR m, MONITORINFO* info);
LCID GetSystemDefaultLCID();
LCID GetUserDefaultLCID();
WORD GetSystemDefaultLangID();
WORD GetUserDefaultLangID();
int GetLocaleInfoW(LCID locale, LCTYPE type, char16_t* buffer, int size);
String GetLocaleStr(LCID locale, LCTYPE type, const String& deflt);
DWORD GetCurrentProcessId();
DWORD GetCurrentThreadId();

// ---------------------------------------------------------------------------
// Input: capture, focus and the keyboard state

constexpr WPARAM MK_LBUTTON = 0x0001, MK_RBUTTON = 0x0002, MK_SHIFT = 0x0004, MK_CONTROL = 0x0008,
                 MK_MBUTTON = 0x0010, MK_XBUTTON1 = 0x0020, MK_XBUTTON2 = 0x0040;
constexpr int VK_LBUTTON = 0x01, VK_RBUTTON = 0x02, VK_CANCEL = 0x03, VK_MBUTTON = 0x04,
              VK_XBUTTON1 = 0x05, VK_XBUTTON2 = 0x06, VK_BACK = 0x08, VK_TAB = 0x09,
              VK_RETURN = 0x0D, VK_SHIFT = 0x10, VK_CONTROL = 0x11, VK_MENU = 0x12, VK_PAUSE = 0x13,
              VK_CAPITAL = 0x14, VK_ESCAPE = 0x1B, VK_SPACE = 0x20, VK_PRIOR = 0x21, VK_NEXT = 0x22,
              VK_END = 0x23, VK_HOME = 0x24, VK_LEFT = 0x25, VK_UP = 0x26, VK_RIGHT = 0x27,
              VK_DOWN = 0x28, VK_INSERT = 0x2D, VK_DELETE = 0x2E, VK_NUMPAD0 = 0x60,
              VK_MULTIPLY = 0x6A, VK_ADD = 0x6B, VK_SUBTRACT = 0x6D, VK_DECIMAL = 0x6E,
              VK_DIVIDE = 0x6F, VK_F1 = 0x70, VK_F2 = 0x71, VK_LSHIFT = 0xA0, VK_RSHIFT = 0xA1,
              VK_LCONTROL = 0xA2, VK_RCONTROL = 0xA3, VK_LMENU = 0xA4, VK_RMENU = 0xA5,
              VK_OEM_1 = 0xBA, VK_OEM_PLUS = 0xBB, VK_OEM_COMMA = 0xBC, VK_OEM_MINUS = 0xBD,
              VK_OEM_PERIOD = 0xBE, VK_OEM_2 = 0xBF, VK_OEM_3 = 0xC0, VK_OEM_4 = 0xDB,
              VK_OEM_5 = 0xDC, VK_OEM_6 = 0xDD, VK_OEM_7 = 0xDE;
constexpr int WHEEL_DELTA = 120;

using SHORT = int16_t;

HWND SetCapture(HWND h);
bool ReleaseCapture();
HWND GetCapture();
HWND SetFocus(HWND h);
HWND GetFocus();
// The state as of the last input message retrieved (bit 15: down, bit 0: toggled).
SHORT GetKeyState(int vk);
// The state now, as the input driver has it.
SHORT GetAsyncKeyState(int vk);
bool GetKeyboardState(Byte* state256);
// The US layout: the key and shift state (high byte: 1 Shift, 2 Ctrl) that
// types a character, -1 for none; the character a key makes in a state.
SHORT VkKeyScanW(char16_t c);
int ToUnicode(UINT vk, UINT scanCode, const Byte* state256, char16_t* buffer, int size, UINT flags);

// The visible, enabled window under a screen point, deepest child first.
HWND WindowFromPoint(POINT p);
bool GetCursorPos(POINT* p);
constexpr DWORD TME_HOVER = 0x00000001, TME_LEAVE = 0x00000002, TME_NONCLIENT = 0x00000010,
                TME_QUERY = 0x40000000, TME_CANCEL = 0x80000000;
struct TRACKMOUSEEVENT {
  DWORD cbSize = sizeof(TRACKMOUSEEVENT);
  DWORD dwFlags = 0;
  HWND hwndTrack = nullptr;
  DWORD dwHoverTime = 0;
};
// Leave tracking: WM_MOUSELEAVE (WM_NCMOUSELEAVE with TME_NONCLIENT) is
// posted once when the pointer leaves the window's client (non-client) area.
// Hover tracking: WM_MOUSEHOVER (WM_NCMOUSEHOVER) is posted once the pointer
// has stayed in the hover rectangle for the hover time (HOVER_DEFAULT: the
// system's) on the clock; leaving the tracked area ends it.
bool TrackMouseEvent(TRACKMOUSEEVENT* e);

// The cursor shown; WM_SETCURSOR's default sets the class cursor in the client area.
HCURSOR SetCursor(HCURSOR c);
HCURSOR GetCursor();

// ---------------------------------------------------------------------------
// Activation, caret, cursors, keyboard layout, input method and hooks

constexpr WORD WA_INACTIVE = 0, WA_ACTIVE = 1, WA_CLICKACTIVE = 2;
constexpr LRESULT MA_ACTIVATE = 1, MA_ACTIVATEANDEAT = 2, MA_NOACTIVATE = 3, MA_NOACTIVATEANDEAT = 4;
constexpr UINT WM_NCMOUSEHOVER = 0x02A0;

// The active top-level window (one for the server); the foreground window is
// the same. SetActiveWindow returns the previous one, nullptr on failure.
HWND SetActiveWindow(HWND h);
HWND GetActiveWindow();
bool SetForegroundWindow(HWND h);
HWND GetForegroundWindow();

// The caret: one for the server, owned by a window. It blinks on the clock
// and is drawn by inverting the window's pixels while visible.
bool CreateCaret(HWND h, HBITMAP bitmap, int width, int height);
bool DestroyCaret();
bool ShowCaret(HWND h);
bool HideCaret(HWND h);
bool SetCaretPos(int x, int y);
bool GetCaretPos(POINT* p);
UINT GetCaretBlinkTime();
bool SetCaretBlinkTime(UINT ms);

// The standard cursors' resource ids.
#ifndef IDC_ARROW
#define IDC_ARROW (reinterpret_cast<const char16_t*>(uintptr_t(32512)))
#define IDC_IBEAM (reinterpret_cast<const char16_t*>(uintptr_t(32513)))
#define IDC_WAIT (reinterpret_cast<const char16_t*>(uintptr_t(32514)))
#define IDC_CROSS (reinterpret_cast<const char16_t*>(uintptr_t(32515)))
#define IDC_UPARROW (reinterpret_cast<const char16_t*>(uintptr_t(32516)))
#define IDC_SIZE (reinterpret_cast<const char16_t*>(uintptr_t(32640)))
#define IDC_ICON (reinterpret_cast<const char16_t*>(uintptr_t(32641)))
#define IDC_SIZENWSE (reinterpret_cast<const char16_t*>(uintptr_t(32642)))
#define IDC_SIZENESW (reinterpret_cast<const char16_t*>(uintptr_t(32643)))
#define IDC_SIZEWE (reinterpret_cast<const char16_t*>(uintptr_t(32644)))
#define IDC_SIZENS (reinterpret_cast<const char16_t*>(uintptr_t(32645)))
#define IDC_SIZEALL (reinterpret_cast<const char16_t*>(uintptr_t(32646)))
#define IDC_NO (reinterpret_cast<const char16_t*>(uintptr_t(32648)))
#define IDC_HAND (reinterpret_cast<const char16_t*>(uintptr_t(32649)))
#define IDC_APPSTARTING (reinterpret_cast<const char16_t*>(uintptr_t(32650)))
#define IDC_HELP (reinterpret_cast<const char16_t*>(uintptr_t(32651)))
#endif
// The standard cursors (instance nullptr), or a module cursor resource
// (Resources.h); nullptr for anything else.
HCURSOR LoadCursorW(HINSTANCE inst, const char16_t* name);
// The display counter: the cursor shows while it is >= 0. Returns the new count.
int ShowCursor(bool show);
// Moves the pointer as the input driver would (clamped to the clip rectangle).
bool SetCursorPos(int x, int y);
// Confines the pointer to r (screen coordinates); nullptr frees it.
bool ClipCursor(const RECT* r);
bool GetClipCursor(RECT* r);
constexpr DWORD HOVER_DEFAULT = 0xFFFFFFFF;

// The US layout's scan codes and characters.
constexpr UINT MAPVK_VK_TO_VSC = 0, MAPVK_VSC_TO_VK = 1, MAPVK_VK_TO_CHAR = 2,
               MAPVK_VSC_TO_VK_EX = 3, MAPVK_VK_TO_VSC_EX = 4;
UINT MapVirtualKeyW(UINT code, UINT mapType);
// The character a key makes, in the low byte of *chars; 1 or 0 characters.
int ToAscii(UINT vk, UINT scanCode, const Byte* state256, WORD* chars, UINT flags);
constexpr int VK_PROCESSKEY = 0xE5, VK_LWIN = 0x5B, VK_RWIN = 0x5C, VK_APPS = 0x5D,
              VK_SNAPSHOT = 0x2C, VK_NUMLOCK = 0x90, VK_SCROLL = 0x91, VK_SEPARATOR = 0x6C,
              VK_CLEAR = 0x0C, VK_F24 = 0x87;

// The input-method stand-in: one input context per window, made with the
// window; detaching it (ImmAssociateContext with nullptr) turns composition
// off for the window.
struct HIMC__;
using HIMC = HIMC__*;
constexpr DWORD GCS_COMPSTR = 0x0008, GCS_RESULTSTR = 0x0800;
constexpr DWORD CFS_DEFAULT = 0x0000, CFS_RECT = 0x0001, CFS_POINT = 0x0002,
                CFS_FORCE_POSITION = 0x0020;
struct COMPOSITIONFORM {
  DWORD dwStyle = 0;
  POINT ptCurrentPos;
  RECT rcArea;
};
HIMC ImmGetContext(HWND h);
bool ImmReleaseContext(HWND h, HIMC imc);
// Returns the context the window had.
HIMC ImmAssociateContext(HWND h, HIMC imc);
// The string's size in bytes; with a buffer, copies at most bufLen bytes.
LONG ImmGetCompositionStringW(HIMC imc, DWORD index, void* buffer, DWORD bufLen);
bool ImmSetCompositionFontW(HIMC imc, const LOGFONTW* font);
bool ImmGetCompositionFontW(HIMC imc, LOGFONTW* font);
bool ImmSetCompositionWindow(HIMC imc, const COMPOSITIONFORM* form);
bool ImmGetCompositionWindow(HIMC imc, COMPOSITIONFORM* form);

// Hooks. A thread id of 0 hooks every thread of the process.
constexpr int WH_GETMESSAGE = 3, WH_CALLWNDPROC = 4, WH_CBT = 5, WH_KEYBOARD = 2, WH_MOUSE = 7,
              WH_CALLWNDPROCRET = 12;
constexpr int HC_ACTION = 0, HC_NOREMOVE = 3;
constexpr int HCBT_MOVESIZE = 0, HCBT_MINMAX = 1, HCBT_ACTIVATE = 5, HCBT_CREATEWND = 3,
              HCBT_DESTROYWND = 4, HCBT_SETFOCUS = 9;
struct HHOOK__;
using HHOOK = HHOOK__*;
using HOOKPROC = LRESULT (*)(int code, WPARAM wParam, LPARAM lParam);
struct CWPSTRUCT {
  LPARAM lParam = 0;
  WPARAM wParam = 0;
  UINT message = 0;
  HWND hwnd = nullptr;
};
struct CWPRETSTRUCT {
  LRESULT lResult = 0;
  LPARAM lParam = 0;
  WPARAM wParam = 0;
  UINT message = 0;
  HWND hwnd = nullptr;
};
struct MOUSEHOOKSTRUCT {
  POINT pt;
  HWND hwnd = nullptr;
  UINT wHitTestCode = 0;
  ULONG_PTR dwExtraInfo = 0;
};
struct CBT_CREATEWNDW {
  CREATESTRUCTW* lpcs = nullptr;
  HWND hwndInsertAfter = nullptr;
};
struct CBTACTIVATESTRUCT {
  bool fMouse = false;
  HWND hWndActive = nullptr;
};
HHOOK SetWindowsHookExW(int idHook, HOOKPROC proc, HINSTANCE inst, DWORD threadId);
bool UnhookWindowsHookEx(HHOOK hook);
LRESULT CallNextHookEx(HHOOK hook, int code, WPARAM wParam, LPARAM lParam);

// WinEvents, delivered out of context: on the installing thread while it
// retrieves messages.
constexpr DWORD EVENT_MIN = 0x00000001, EVENT_MAX = 0x7FFFFFFF, EVENT_SYSTEM_FOREGROUND = 0x0003,
                EVENT_OBJECT_CREATE = 0x8000, EVENT_OBJECT_DESTROY = 0x8001,
                EVENT_OBJECT_SHOW = 0x8002, EVENT_OBJECT_HIDE = 0x8003,
                EVENT_OBJECT_REORDER = 0x8004, EVENT_OBJECT_FOCUS = 0x8005, EVENT_OBJECT_SELECTION = 0x8006,
                EVENT_OBJECT_SELECTIONADD = 0x8007, EVENT_OBJECT_SELECTIONREMOVE = 0x8008,
                EVENT_OBJECT_SELECTIONWITHIN = 0x8009, EVENT_OBJECT_STATECHANGE = 0x800A,
                EVENT_OBJECT_LOCATIONCHANGE = 0x800B, EVENT_OBJECT_NAMECHANGE = 0x800C,
                EVENT_OBJECT_DESCRIPTIONCHANGE = 0x800D, EVENT_OBJECT_VALUECHANGE = 0x800E;
constexpr DWORD WINEVENT_OUTOFCONTEXT = 0x0000, WINEVENT_SKIPOWNTHREAD = 0x0001,
                WINEVENT_SKIPOWNPROCESS = 0x0002, WINEVENT_INCONTEXT = 0x0004;
constexpr LONG OBJID_WINDOW = 0, OBJID_SYSMENU = -1, OBJID_TITLEBAR = -2, OBJID_MENU = -3, OBJID_CLIENT = -4,
               OBJID_VSCROLL = -5, OBJID_HSCROLL = -6, OBJID_SIZEGRIP = -7, OBJID_CARET = -8, OBJID_CURSOR = -9,
               OBJID_ALERT = -10, OBJID_SOUND = -11, OBJID_QUERYCLASSNAMEIDX = -12, OBJID_NATIVEOM = -16,
               CHILDID_SELF = 0;
// Asks a window for its accessible object (LParam: the object id); 0 leaves
// it to the standard object.
constexpr UINT WM_GETOBJECT = 0x003D;
struct HWINEVENTHOOK__;
using HWINEVENTHOOK = HWINEVENTHOOK__*;
using WINEVENTPROC = void (*)(HWINEVENTHOOK hook, DWORD event, HWND h, LONG idObject, LONG idChild,
                              DWORD eventThread, DWORD eventTime);
HWINEVENTHOOK SetWinEventHook(DWORD eventMin, DWORD eventMax, HMODULE module, WINEVENTPROC proc,
                              DWORD processId, DWORD threadId, DWORD flags);
bool UnhookWinEvent(HWINEVENTHOOK hook);
void NotifyWinEvent(DWORD event, HWND h, LONG idObject, LONG idChild);

// ---------------------------------------------------------------------------
// Non-client area, window placement, modal loops and menus
// (NonClient.cpp, Loops.cpp, Menus.cpp)

constexpr UINT WM_UNINITMENUPOPUP = 0x0125;
// Asks a menu window (class "#32768") which menu it shows.
constexpr UINT MN_GETHMENU = 0x01E1;
// Owner-drawn menu items (MFT_OWNERDRAW): the owner measures each item with
// WM_MEASUREITEM and draws it with WM_DRAWITEM; hwndItem is the HMENU.
constexpr UINT ODT_MENU = 1;
constexpr UINT ODA_DRAWENTIRE = 0x0001, ODA_SELECT = 0x0002, ODA_FOCUS = 0x0004;
constexpr UINT ODS_SELECTED = 0x0001, ODS_GRAYED = 0x0002, ODS_DISABLED = 0x0004, ODS_CHECKED = 0x0008,
               ODS_FOCUS = 0x0010, ODS_DEFAULT = 0x0020;
struct MEASUREITEMSTRUCT {
  UINT CtlType = 0;
  UINT CtlID = 0;
  UINT itemID = 0;
  UINT itemWidth = 0;
  UINT itemHeight = 0;
  ULONG_PTR itemData = 0;
};
struct DRAWITEMSTRUCT {
  UINT CtlType = 0;
  UINT CtlID = 0;
  UINT itemID = 0;
  UINT itemAction = 0;
  UINT itemState = 0;
  HWND hwndItem = nullptr;
  HDC hDC = nullptr;
  RECT rcItem;
  ULONG_PTR itemData = 0;
};
// WM_SYSCOMMAND: the low four bits of SC_SIZE carry the edge (WMSZ_*); those of
// SC_MOVE a hit code (SC_MOVE | HTCAPTION starts a drag with the button down).
constexpr WPARAM SC_MOUSEMENU = 0xF090;
constexpr WPARAM WMSZ_LEFT = 1, WMSZ_RIGHT = 2, WMSZ_TOP = 3, WMSZ_TOPLEFT = 4, WMSZ_TOPRIGHT = 5,
                 WMSZ_BOTTOM = 6, WMSZ_BOTTOMLEFT = 7, WMSZ_BOTTOMRIGHT = 8;

// WM_HSCROLL / WM_VSCROLL requests.
constexpr WPARAM SB_LINEUP = 0, SB_LINELEFT = 0, SB_LINEDOWN = 1, SB_LINERIGHT = 1, SB_PAGEUP = 2,
                 SB_PAGELEFT = 2, SB_PAGEDOWN = 3, SB_PAGERIGHT = 3, SB_THUMBPOSITION = 4,
                 SB_THUMBTRACK = 5, SB_TOP = 6, SB_LEFT = 6, SB_BOTTOM = 7, SB_RIGHT = 7, SB_ENDSCROLL = 8;

constexpr UINT WPF_SETMINPOSITION = 0x0001, WPF_RESTORETOMAXIMIZED = 0x0002;
struct WINDOWPLACEMENT {
  UINT length = sizeof(WINDOWPLACEMENT);
  UINT flags = 0;
  UINT showCmd = 0;
  POINT ptMinPosition;
  POINT ptMaxPosition;
  RECT rcNormalPosition;  // workspace coordinates (relative to the primary work area)
};
bool GetWindowPlacement(HWND h, WINDOWPLACEMENT* wp);
bool SetWindowPlacement(HWND h, const WINDOWPLACEMENT* wp);

// Captures the mouse and watches the input queue: true once the pointer leaves
// the SM_CXDRAG x SM_CYDRAG box around p (screen coordinates) with the left
// button down, false when the button is released first or Escape is pressed.
bool DragDetect(HWND h, POINT p);

// Every modal loop of the host layer (move and size loops, menus, drag
// detection, caption buttons, and the modal loops of the component layer)
// reads the input queue with ModalGetMessage. When the queue holds nothing -
// no input, sent or posted message, paint or due timer - the loop calls
// ModalIdle instead of blocking: with an idle hook set, the hook runs and its
// answer decides (true: look at the queue again, false: the loop gives up as if
// cancelled); without one, the thread waits as GetMessageW would. Tests set a
// hook so that a loop short of input fails instead of waiting for ever.
using TModalIdleHook = std::function<bool()>;
// Returns the hook that was set before.
TModalIdleHook SetModalIdleHook(TModalIdleHook hook);
bool ModalIdle();
// The next message for a modal loop (removed from the queue). False when the
// idle hook gave up or WM_QUIT arrived (it is posted again for the outer loop).
bool ModalGetMessage(MSG* msg);

constexpr UINT MF_INSERT = 0x0000, MF_CHANGE = 0x0080, MF_APPEND = 0x0100, MF_DELETE = 0x0200,
               MF_REMOVE = 0x1000, MF_BYCOMMAND = 0x0000, MF_BYPOSITION = 0x0400,
               MF_SEPARATOR = 0x0800, MF_ENABLED = 0x0000, MF_GRAYED = 0x0001, MF_DISABLED = 0x0002,
               MF_UNCHECKED = 0x0000, MF_CHECKED = 0x0008, MF_STRING = 0x0000, MF_BITMAP = 0x0004,
               MF_OWNERDRAW = 0x0100, MF_POPUP = 0x0010, MF_MENUBARBREAK = 0x0020,
               MF_MENUBREAK = 0x0040, MF_UNHILITE = 0x0000, MF_HILITE = 0x0080, MF_DEFAULT = 0x1000,
               MF_RIGHTJUSTIFY = 0x4000, MF_MOUSESELECT = 0x8000, MF_SYSMENU = 0x2000;
constexpr UINT MFT_STRING = MF_STRING, MFT_BITMAP = MF_BITMAP, MFT_MENUBARBREAK = MF_MENUBARBREAK,
               MFT_MENUBREAK = MF_MENUBREAK, MFT_OWNERDRAW = MF_OWNERDRAW, MFT_RADIOCHECK = 0x0200,
               MFT_SEPARATOR = MF_SEPARATOR, MFT_RIGHTORDER = 0x2000, MFT_RIGHTJUSTIFY = MF_RIGHTJUSTIFY;
constexpr UINT MFS_GRAYED = 0x0003, MFS_DISABLED = MFS_GRAYED, MFS_CHECKED = MF_CHECKED,
               MFS_HILITE = MF_HILITE, MFS_ENABLED = MF_ENABLED, MFS_UNCHECKED = MF_UNCHECKED,
               MFS_UNHILITE = MF_UNHILITE, MFS_DEFAULT = MF_DEFAULT;
constexpr UINT MIIM_STATE = 0x0001, MIIM_ID = 0x0002, MIIM_SUBMENU = 0x0004, MIIM_CHECKMARKS = 0x0008,
               MIIM_TYPE = 0x0010, MIIM_DATA = 0x0020, MIIM_STRING = 0x0040, MIIM_BITMAP = 0x0080,
               MIIM_FTYPE = 0x0100;
constexpr UINT TPM_LEFTBUTTON = 0x0000, TPM_RIGHTBUTTON = 0x0002, TPM_LEFTALIGN = 0x0000,
               TPM_CENTERALIGN = 0x0004, TPM_RIGHTALIGN = 0x0008, TPM_TOPALIGN = 0x0000,
               TPM_VCENTERALIGN = 0x0010, TPM_BOTTOMALIGN = 0x0020, TPM_HORIZONTAL = 0x0000,
               TPM_VERTICAL = 0x0040, TPM_NONOTIFY = 0x0080, TPM_RETURNCMD = 0x0100,
               TPM_RECURSE = 0x0001, TPM_NOANIMATION = 0x4000;

struct MENUITEMINFOW {
  UINT cbSize = sizeof(MENUITEMINFOW);
  UINT fMask = 0;
  UINT fType = 0;
  UINT fState = 0;
  UINT wID = 0;
  HMENU hSubMenu = nullptr;
  HBITMAP hbmpChecked = nullptr;
  HBITMAP hbmpUnchecked = nullptr;
  ULONG_PTR dwItemData = 0;
  char16_t* dwTypeData = nullptr;  // the text (MIIM_STRING / MFT_STRING)
  UINT cch = 0;
  HBITMAP hbmpItem = nullptr;
};
struct TPMPARAMS {
  UINT cbSize = sizeof(TPMPARAMS);
  RECT rcExclude;  // screen area the menu keeps clear of
};

HMENU CreateMenu();
HMENU CreatePopupMenu();
// Destroys the menu and the submenus it holds.
bool DestroyMenu(HMENU m);
bool IsMenu(HMENU m);
// newItem: a command id, or the submenu's HMENU cast to UINT_PTR with MF_POPUP.
bool AppendMenuW(HMENU m, UINT flags, UINT_PTR newItem, const char16_t* text);
bool InsertMenuW(HMENU m, UINT position, UINT flags, UINT_PTR newItem, const char16_t* text);
bool InsertMenuItemW(HMENU m, UINT item, bool byPosition, const MENUITEMINFOW* info);
// RemoveMenu keeps a submenu alive; DeleteMenu destroys it.
bool RemoveMenu(HMENU m, UINT position, UINT flags);
bool DeleteMenu(HMENU m, UINT position, UINT flags);
int GetMenuItemCount(HMENU m);
// The command id at a position; -1 (as UINT) for a submenu or no item.
UINT GetMenuItemID(HMENU m, int position);
HMENU GetSubMenu(HMENU m, int position);
// The item's MF_* state (with the item count in the high byte for submenus), -1 for none.
UINT GetMenuState(HMENU m, UINT item, UINT flags);
int GetMenuStringW(HMENU m, UINT item, char16_t* buffer, int maxCount, UINT flags);
bool GetMenuItemInfoW(HMENU m, UINT item, bool byPosition, MENUITEMINFOW* info);
bool SetMenuItemInfoW(HMENU m, UINT item, bool byPosition, const MENUITEMINFOW* info);
// Both return the previous state (MF_GRAYED|MF_DISABLED, MF_CHECKED), -1 for no item.
UINT EnableMenuItem(HMENU m, UINT item, UINT enable);
DWORD CheckMenuItem(HMENU m, UINT item, UINT check);
bool CheckMenuRadioItem(HMENU m, UINT first, UINT last, UINT check, UINT flags);
// Shows the pop-up menu at a screen point and runs the menu loop: the
// owner gets WM_ENTERMENULOOP, WM_INITMENUPOPUP, WM_MENUSELECT, WM_EXITMENULOOP
// and, for a chosen item, a posted WM_COMMAND. With TPM_RETURNCMD the chosen id
// is returned instead (0 when cancelled) and no WM_COMMAND is posted; without
// it the result is 1 for a choice and 0 for a cancelled menu.
int TrackPopupMenuEx(HMENU m, UINT flags, int x, int y, HWND owner, const TPMPARAMS* params);
int TrackPopupMenu(HMENU m, UINT flags, int x, int y, int reserved, HWND owner, const RECT* reserved2);
// Cancels the menu loop under way.
bool EndMenu();
// A stand-in for the user in tests and scripted demos: once a menu loop has
// opened its first menu (after WM_INITMENUPOPUP) it asks the responder,
// which answers true with the command of an item at any submenu depth, or
// false for none. The loop then ends exactly as that choice or a cancel by
// the user would: the submenus on the way open and the item is selected
// (WM_INITMENUPOPUP, WM_MENUSELECT), then WM_EXITMENULOOP and the posted
// WM_COMMAND or the TPM_RETURNCMD result. A separator, a disabled item or an
// unknown command cannot be chosen and cancels. Without a responder the
// loop runs on queued input. Returns the previous responder.
using TMenuResponder = std::function<bool(HMENU Menu, UINT& Command)>;
TMenuResponder SetMenuResponder(TMenuResponder Responder);

}  // namespace vcl

#include "platform/rtl/MacroShieldEnd.h"
