// The component messages of the control layer (CM_*), the notifications a
// parent reflects back to the native child they came from (CN_*), the dialog
// codes of WM_GETDLGCODE, and typed views of the message records.
//
// Numbering is our own: the CM_* messages count up from CM_BASE; a reflected
// message is CN_BASE plus the window message it reflects, so CN_KEYDOWN is
// CN_BASE + WM_KEYDOWN.
#pragma once
#include "platform/rtl/MacroShield.h"

#include "platform/user/Notify.h"  // the dialog codes of WM_GETDLGCODE

namespace vcl {

class TControl;

constexpr UINT CM_BASE = 0xB000;

constexpr UINT CM_ACTIVATE = CM_BASE + 0, CM_DEACTIVATE = CM_BASE + 1, CM_GOTFOCUS = CM_BASE + 2,
               CM_LOSTFOCUS = CM_BASE + 3, CM_CANCELMODE = CM_BASE + 4, CM_DIALOGKEY = CM_BASE + 5,
               CM_DIALOGCHAR = CM_BASE + 6, CM_FOCUSCHANGED = CM_BASE + 7,
               CM_PARENTFONTCHANGED = CM_BASE + 8, CM_PARENTCOLORCHANGED = CM_BASE + 9,
               CM_HITTEST = CM_BASE + 10, CM_VISIBLECHANGED = CM_BASE + 11,
               CM_ENABLEDCHANGED = CM_BASE + 12, CM_COLORCHANGED = CM_BASE + 13,
               CM_FONTCHANGED = CM_BASE + 14, CM_CURSORCHANGED = CM_BASE + 15,
               CM_CTL3DCHANGED = CM_BASE + 16, CM_PARENTCTL3DCHANGED = CM_BASE + 17,
               CM_TEXTCHANGED = CM_BASE + 18, CM_MOUSEENTER = CM_BASE + 19,
               CM_MOUSELEAVE = CM_BASE + 20, CM_MENUCHANGED = CM_BASE + 21,
               CM_APPKEYDOWN = CM_BASE + 22, CM_APPSYSCOMMAND = CM_BASE + 23,
               CM_BUTTONPRESSED = CM_BASE + 24, CM_SHOWINGCHANGED = CM_BASE + 25,
               CM_ENTER = CM_BASE + 26, CM_EXIT = CM_BASE + 27, CM_DESIGNHITTEST = CM_BASE + 28,
               CM_ICONCHANGED = CM_BASE + 29, CM_WANTSPECIALKEY = CM_BASE + 30,
               CM_INVOKEHELP = CM_BASE + 31, CM_WINDOWHOOK = CM_BASE + 32,
               CM_RELEASE = CM_BASE + 33, CM_SHOWHINTCHANGED = CM_BASE + 34,
               CM_PARENTSHOWHINTCHANGED = CM_BASE + 35, CM_SYSCOLORCHANGE = CM_BASE + 36,
               CM_WININICHANGE = CM_BASE + 37, CM_FONTCHANGE = CM_BASE + 38,
               CM_TIMECHANGE = CM_BASE + 39, CM_TABSTOPCHANGED = CM_BASE + 40,
               CM_UIACTIVATE = CM_BASE + 41, CM_UIDEACTIVATE = CM_BASE + 42,
               CM_DOCWINDOWACTIVATE = CM_BASE + 43, CM_CONTROLLISTCHANGE = CM_BASE + 44,
               CM_GETDATALINK = CM_BASE + 45, CM_CHILDKEY = CM_BASE + 46, CM_DRAG = CM_BASE + 47,
               CM_HINTSHOW = CM_BASE + 48, CM_DIALOGHANDLE = CM_BASE + 49,
               CM_ISTOOLCONTROL = CM_BASE + 50, CM_RECREATEWND = CM_BASE + 51,
               CM_INVALIDATE = CM_BASE + 52, CM_SYSFONTCHANGED = CM_BASE + 53,
               CM_CONTROLCHANGE = CM_BASE + 54, CM_CHANGED = CM_BASE + 55,
               CM_BORDERCHANGED = CM_BASE + 59, CM_BIDIMODECHANGED = CM_BASE + 60,
               CM_PARENTBIDIMODECHANGED = CM_BASE + 61, CM_ALLCHILDRENFLIPPED = CM_BASE + 62,
               CM_ACTIONUPDATE = CM_BASE + 63, CM_ACTIONEXECUTE = CM_BASE + 64,
               CM_HINTSHOWPAUSE = CM_BASE + 65, CM_MOUSEWHEEL = CM_BASE + 67,
               CM_ISSHORTCUT = CM_BASE + 68, CM_UPDATEACTIONS = CM_BASE + 69,
               CM_SETACTIVECONTROL = CM_BASE + 71, CM_POPUPHWNDDESTROY = CM_BASE + 72,
               CM_CREATEPOPUP = CM_BASE + 73, CM_DESTROYHANDLE = CM_BASE + 74,
               CM_MOUSEACTIVATE = CM_BASE + 75, CM_CONTROLLISTCHANGING = CM_BASE + 76,
               CM_BUFFEREDPRINTCLIENT = CM_BASE + 77, CM_DOUBLEBUFFEREDCHANGED = CM_BASE + 79,
               CM_PARENTDOUBLEBUFFEREDCHANGED = CM_BASE + 80, CM_THEMECHANGED = CM_BASE + 81;

constexpr UINT CN_BASE = 0xBC00;
constexpr UINT CN_CHARTOITEM = CN_BASE + 0x002F, CN_COMMAND = CN_BASE + WM_COMMAND,
               CN_COMPAREITEM = CN_BASE + 0x0039, CN_CTLCOLORBTN = CN_BASE + WM_CTLCOLORBTN,
               CN_CTLCOLORDLG = CN_BASE + WM_CTLCOLORDLG, CN_CTLCOLOREDIT = CN_BASE + WM_CTLCOLOREDIT,
               CN_CTLCOLORLISTBOX = CN_BASE + WM_CTLCOLORLISTBOX,
               CN_CTLCOLORMSGBOX = CN_BASE + WM_CTLCOLORMSGBOX,
               CN_CTLCOLORSCROLLBAR = CN_BASE + WM_CTLCOLORSCROLLBAR,
               CN_CTLCOLORSTATIC = CN_BASE + WM_CTLCOLORSTATIC, CN_DELETEITEM = CN_BASE + 0x002D,
               CN_DRAWITEM = CN_BASE + WM_DRAWITEM, CN_HSCROLL = CN_BASE + WM_HSCROLL,
               CN_MEASUREITEM = CN_BASE + WM_MEASUREITEM, CN_PARENTNOTIFY = CN_BASE + WM_PARENTNOTIFY,
               CN_VKEYTOITEM = CN_BASE + 0x002E, CN_VSCROLL = CN_BASE + WM_VSCROLL,
               CN_KEYDOWN = CN_BASE + WM_KEYDOWN, CN_KEYUP = CN_BASE + WM_KEYUP,
               CN_CHAR = CN_BASE + WM_CHAR, CN_SYSKEYDOWN = CN_BASE + WM_SYSKEYDOWN,
               CN_SYSCHAR = CN_BASE + WM_SYSCHAR, CN_NOTIFY = CN_BASE + WM_NOTIFY;


// ---------------------------------------------------------------------------
// Typed views of a TMessage. Each holds a reference to the message, so what
// a handler writes (a zeroed key, a Result) is what the sender sees.

struct TWMKey {
  explicit TWMKey(TMessage& m) : Message(m) {}
  TMessage& Message;
  Word CharCode() const { return static_cast<Word>(Message.WParam); }
  void SetCharCode(Word v) { Message.WParam = v; }
  // The key data of the platform: repeat count, scan code, flags (bit 29:
  // Alt held, bit 30: previous state, bit 31: released).
  Integer KeyData() const { return static_cast<Integer>(Message.LParam); }
  LRESULT& Result() { return Message.Result; }
};
using TWMKeyDown = TWMKey;
using TWMKeyUp = TWMKey;
using TWMChar = TWMKey;
using TCMDialogKey = TWMKey;
using TCMDialogChar = TWMKey;
using TCMWantSpecialKey = TWMKey;

struct TWMMouse {
  explicit TWMMouse(TMessage& m) : Message(m) {}
  TMessage& Message;
  // MK_* flags.
  Integer Keys() const { return static_cast<Integer>(Message.WParam); }
  Integer XPos() const { return GET_X_LPARAM(Message.LParam); }
  Integer YPos() const { return GET_Y_LPARAM(Message.LParam); }
  TPoint Pos() const { return TPoint(XPos(), YPos()); }
  LRESULT& Result() { return Message.Result; }
};

// WM_MOUSEWHEEL and CM_MOUSEWHEEL: keys and delta in WParam, the screen
// point in LParam.
struct TWMMouseWheel {
  explicit TWMMouseWheel(TMessage& m) : Message(m) {}
  TMessage& Message;
  Integer Keys() const { return LOWORD(Message.WParam); }
  Integer WheelDelta() const { return static_cast<int16_t>(HIWORD(Message.WParam)); }
  TPoint Pos() const { return TPoint(GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam)); }
  LRESULT& Result() { return Message.Result; }
};
using TCMMouseWheel = TWMMouseWheel;

// WM_PAINT: a DC in WParam means "paint into this DC" rather than into the
// window's own update region.
struct TWMPaint {
  explicit TWMPaint(TMessage& m) : Message(m) {}
  TMessage& Message;
  HDC DC() const { return reinterpret_cast<HDC>(Message.WParam); }
  LRESULT& Result() { return Message.Result; }
};
using TWMEraseBkgnd = TWMPaint;

// CM_HITTEST: a client point in LParam; the answer is HTCLIENT where the
// control takes the mouse there, HTNOWHERE where it lets it through.
struct TCMHitTest {
  explicit TCMHitTest(TMessage& m) : Message(m) {}
  TMessage& Message;
  TPoint Pos() const { return TPoint(GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam)); }
  LRESULT& Result() { return Message.Result; }
};

// CM_CANCELMODE, CM_FOCUSCHANGED, CM_MOUSEENTER/CM_MOUSELEAVE: a control in
// LParam.
inline TControl* MessageControl(const TMessage& m) { return reinterpret_cast<TControl*>(m.LParam); }
inline LPARAM ControlParam(const TControl* c) { return reinterpret_cast<LPARAM>(c); }

// CM_HINTSHOW carries a pointer to this record in LParam; a handler fills
// or changes it, and a non-zero Result cancels the hint.
class THintWindow;
struct THintInfo {
  TControl* HintControl = nullptr;
  // The class of hint window to show it in (nullptr: the application's).
  TClass HintWindowClass = nullptr;
  TPoint HintPos;  // screen coordinates
  Integer HintMaxWidth = 0;
  Integer HintColor = 0;  // a TColor
  // The area (HintControl's client coordinates) within which the hint stays.
  TRect CursorRect;
  TPoint CursorPos;  // HintControl's client coordinates
  Integer ReshowTimeout = 0;
  Integer HideTimeout = 0;
  String HintStr;
  void* HintData = nullptr;
};
inline THintInfo* HintInfoOf(const TMessage& m) { return reinterpret_cast<THintInfo*>(m.LParam); }

}  // namespace vcl

#include "platform/rtl/MacroShieldEnd.h"
