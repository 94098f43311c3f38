// What the window server offers for subclass chains and for windows that
// follow their owner: a procedure in front of a window's procedure, the
// WM_SHOWWINDOW reasons sent to owned windows, and the end of a session.
#pragma once
#include "platform/rtl/MacroShield.h"

#include "platform/user/User.h"

namespace vcl {

// A procedure that every message delivered to the window passes through
// before the window procedure, whatever GWLP_WNDPROC is swapped to beneath
// it; it calls on with CallWindowProcW(GetWindowLongPtrW(h, GWLP_WNDPROC)).
// nullptr removes it. Only the window's own thread may set it. Subclass
// chains (SetWindowSubclass) are built on it.
bool SetWindowInterposer(HWND h, WNDPROC interposer);

// WM_SHOWWINDOW's LParam when a window shows or hides because of another:
// its owner was minimised (closing) or restored (opening). The default
// handling hides or shows the window; a window that keeps the message
// stays as it is.
constexpr LPARAM SW_PARENTCLOSING = 1, SW_OTHERZOOM = 2, SW_PARENTOPENING = 3, SW_OTHERUNZOOM = 4;
constexpr UINT WM_ENDSESSION = 0x0016;
constexpr LPARAM ENDSESSION_CLOSEAPP = 0x00000001, ENDSESSION_CRITICAL = 0x40000000, ENDSESSION_LOGOFF = 0x80000000;

}  // namespace vcl

#include "platform/rtl/MacroShieldEnd.h"
