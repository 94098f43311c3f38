// Accessibility: the IAccessible interface a screen reader walks, the
// hand-over of an object from a window's WM_GETOBJECT answer to the client
// that asked, and the standard object a window gets when it answers 0.
//
// LresultFromObject keeps a reference to the object in a process table and
// answers a positive cookie; ObjectFromLresult redeems that cookie exactly
// once. A number that was never handed out, or one already redeemed, yields
// no pointer: a window's answer cannot be turned into an arbitrary address.
// Cookies nobody redeems are released when the thread that made them calls
// its last OleUninitialize, or when the unit is finalised.
#pragma once
#include "platform/rtl/MacroShield.h"

#include "platform/ole/OleAuto.h"
#include "platform/user/ComboBox.h"
#include "platform/user/User.h"

namespace vcl {

constexpr LONG ROLE_SYSTEM_TITLEBAR = 0x1, ROLE_SYSTEM_MENUBAR = 0x2, ROLE_SYSTEM_SCROLLBAR = 0x3,
               ROLE_SYSTEM_GRIP = 0x4, ROLE_SYSTEM_SOUND = 0x5, ROLE_SYSTEM_CURSOR = 0x6, ROLE_SYSTEM_CARET = 0x7,
               ROLE_SYSTEM_ALERT = 0x8, ROLE_SYSTEM_WINDOW = 0x9, ROLE_SYSTEM_CLIENT = 0xA,
               ROLE_SYSTEM_MENUPOPUP = 0xB, ROLE_SYSTEM_MENUITEM = 0xC, ROLE_SYSTEM_TOOLTIP = 0xD,
               ROLE_SYSTEM_APPLICATION = 0xE, ROLE_SYSTEM_DOCUMENT = 0xF, ROLE_SYSTEM_PANE = 0x10,
               ROLE_SYSTEM_CHART = 0x11, ROLE_SYSTEM_DIALOG = 0x12, ROLE_SYSTEM_BORDER = 0x13,
               ROLE_SYSTEM_GROUPING = 0x14, ROLE_SYSTEM_SEPARATOR = 0x15, ROLE_SYSTEM_TOOLBAR = 0x16,
               ROLE_SYSTEM_STATUSBAR = 0x17, ROLE_SYSTEM_TABLE = 0x18, ROLE_SYSTEM_COLUMNHEADER = 0x19,
               ROLE_SYSTEM_ROWHEADER = 0x1A, ROLE_SYSTEM_COLUMN = 0x1B, ROLE_SYSTEM_ROW = 0x1C,
               ROLE_SYSTEM_CELL = 0x1D, ROLE_SYSTEM_LINK = 0x1E, ROLE_SYSTEM_HELPBALLOON = 0x1F,
               ROLE_SYSTEM_CHARACTER = 0x20, ROLE_SYSTEM_LIST = 0x21, ROLE_SYSTEM_LISTITEM = 0x22,
               ROLE_SYSTEM_OUTLINE = 0x23, ROLE_SYSTEM_OUTLINEITEM = 0x24, ROLE_SYSTEM_PAGETAB = 0x25,
               ROLE_SYSTEM_PROPERTYPAGE = 0x26, ROLE_SYSTEM_INDICATOR = 0x27, ROLE_SYSTEM_GRAPHIC = 0x28,
               ROLE_SYSTEM_STATICTEXT = 0x29, ROLE_SYSTEM_TEXT = 0x2A, ROLE_SYSTEM_PUSHBUTTON = 0x2B,
               ROLE_SYSTEM_CHECKBUTTON = 0x2C, ROLE_SYSTEM_RADIOBUTTON = 0x2D, ROLE_SYSTEM_COMBOBOX = 0x2E,
               ROLE_SYSTEM_DROPLIST = 0x2F, ROLE_SYSTEM_PROGRESSBAR = 0x30, ROLE_SYSTEM_DIAL = 0x31,
               ROLE_SYSTEM_HOTKEYFIELD = 0x32, ROLE_SYSTEM_SLIDER = 0x33, ROLE_SYSTEM_SPINBUTTON = 0x34,
               ROLE_SYSTEM_DIAGRAM = 0x35, ROLE_SYSTEM_ANIMATION = 0x36, ROLE_SYSTEM_EQUATION = 0x37,
               ROLE_SYSTEM_BUTTONDROPDOWN = 0x38, ROLE_SYSTEM_BUTTONMENU = 0x39,
               ROLE_SYSTEM_BUTTONDROPDOWNGRID = 0x3A, ROLE_SYSTEM_WHITESPACE = 0x3B,
               ROLE_SYSTEM_PAGETABLIST = 0x3C, ROLE_SYSTEM_CLOCK = 0x3D, ROLE_SYSTEM_SPLITBUTTON = 0x3E,
               ROLE_SYSTEM_IPADDRESS = 0x3F, ROLE_SYSTEM_OUTLINEBUTTON = 0x40;

// STATE_SYSTEM_PRESSED and STATE_SYSTEM_INVISIBLE come with the combo box's
// state of its button (platform/user/ComboBox.h): one definition for a program
// that includes both.
constexpr LONG STATE_SYSTEM_NORMAL = 0, STATE_SYSTEM_UNAVAILABLE = 0x1, STATE_SYSTEM_SELECTED = 0x2,
               STATE_SYSTEM_FOCUSED = 0x4, STATE_SYSTEM_CHECKED = 0x10,
               STATE_SYSTEM_MIXED = 0x20, STATE_SYSTEM_INDETERMINATE = STATE_SYSTEM_MIXED,
               STATE_SYSTEM_READONLY = 0x40, STATE_SYSTEM_HOTTRACKED = 0x80, STATE_SYSTEM_DEFAULT = 0x100,
               STATE_SYSTEM_EXPANDED = 0x200, STATE_SYSTEM_COLLAPSED = 0x400, STATE_SYSTEM_BUSY = 0x800,
               STATE_SYSTEM_FLOATING = 0x1000, STATE_SYSTEM_MARQUEED = 0x2000, STATE_SYSTEM_ANIMATED = 0x4000,
               STATE_SYSTEM_OFFSCREEN = 0x10000, STATE_SYSTEM_SIZEABLE = 0x20000,
               STATE_SYSTEM_MOVEABLE = 0x40000, STATE_SYSTEM_SELFVOICING = 0x80000,
               STATE_SYSTEM_FOCUSABLE = 0x100000, STATE_SYSTEM_SELECTABLE = 0x200000,
               STATE_SYSTEM_LINKED = 0x400000, STATE_SYSTEM_TRAVERSED = 0x800000,
               STATE_SYSTEM_MULTISELECTABLE = 0x1000000, STATE_SYSTEM_EXTSELECTABLE = 0x2000000,
               STATE_SYSTEM_ALERT_LOW = 0x4000000, STATE_SYSTEM_ALERT_MEDIUM = 0x8000000,
               STATE_SYSTEM_ALERT_HIGH = 0x10000000, STATE_SYSTEM_PROTECTED = 0x20000000,
               STATE_SYSTEM_HASPOPUP = 0x40000000, STATE_SYSTEM_VALID = 0x7FFFFFFF;

constexpr LONG NAVDIR_MIN = 0, NAVDIR_UP = 1, NAVDIR_DOWN = 2, NAVDIR_LEFT = 3, NAVDIR_RIGHT = 4, NAVDIR_NEXT = 5,
               NAVDIR_PREVIOUS = 6, NAVDIR_FIRSTCHILD = 7, NAVDIR_LASTCHILD = 8, NAVDIR_MAX = 9;

constexpr LONG SELFLAG_NONE = 0, SELFLAG_TAKEFOCUS = 0x1, SELFLAG_TAKESELECTION = 0x2,
               SELFLAG_EXTENDSELECTION = 0x4, SELFLAG_ADDSELECTION = 0x8, SELFLAG_REMOVESELECTION = 0x10,
               SELFLAG_VALID = 0x1F;

struct IAccessible : virtual IDispatch {
  static constexpr TGUID IID = MakeGUID("{618736E0-3C3D-11CF-810C-00AA00389B71}");
  virtual HRESULT get_accParent(IDispatch** ppdispParent) = 0;
  virtual HRESULT get_accChildCount(LONG* pcountChildren) = 0;
  virtual HRESULT get_accChild(VARIANT varChild, IDispatch** ppdispChild) = 0;
  virtual HRESULT get_accName(VARIANT varChild, BSTR* pszName) = 0;
  virtual HRESULT get_accValue(VARIANT varChild, BSTR* pszValue) = 0;
  virtual HRESULT get_accDescription(VARIANT varChild, BSTR* pszDescription) = 0;
  virtual HRESULT get_accRole(VARIANT varChild, VARIANT* pvarRole) = 0;
  virtual HRESULT get_accState(VARIANT varChild, VARIANT* pvarState) = 0;
  virtual HRESULT get_accHelp(VARIANT varChild, BSTR* pszHelp) = 0;
  virtual HRESULT get_accHelpTopic(BSTR* pszHelpFile, VARIANT varChild, LONG* pidTopic) = 0;
  virtual HRESULT get_accKeyboardShortcut(VARIANT varChild, BSTR* pszKeyboardShortcut) = 0;
  virtual HRESULT get_accFocus(VARIANT* pvarChild) = 0;
  virtual HRESULT get_accSelection(VARIANT* pvarChildren) = 0;
  virtual HRESULT get_accDefaultAction(VARIANT varChild, BSTR* pszDefaultAction) = 0;
  virtual HRESULT accSelect(LONG flagsSelect, VARIANT varChild) = 0;
  virtual HRESULT accLocation(LONG* pxLeft, LONG* pyTop, LONG* pcxWidth, LONG* pcyHeight, VARIANT varChild) = 0;
  virtual HRESULT accNavigate(LONG navDir, VARIANT varStart, VARIANT* pvarEndUpAt) = 0;
  virtual HRESULT accHitTest(LONG xLeft, LONG yTop, VARIANT* pvarChild) = 0;
  virtual HRESULT accDoDefaultAction(VARIANT varChild) = 0;
  virtual HRESULT put_accName(VARIANT varChild, BSTR szName) = 0;
  virtual HRESULT put_accValue(VARIANT varChild, BSTR szValue) = 0;

 protected:
  ~IAccessible() = default;
};
constexpr TGUID IID_IAccessible = IAccessible::IID;

// Server side: an object handed out as a WM_GETOBJECT answer.
LRESULT LresultFromObject(const TGUID& riid, WPARAM wParam, IUnknown* punk);
// Client side: redeems the answer once, querying the object for riid.
HRESULT ObjectFromLresult(LRESULT lResult, const TGUID& riid, WPARAM wParam, void** ppv);

// Sends WM_GETOBJECT; a window answering 0 gets the standard object.
HRESULT AccessibleObjectFromWindow(HWND hwnd, DWORD idObject, const TGUID& riid, void** ppv);
// The object an event names: with a child id, the child's own object when
// it has one (varChild CHILDID_SELF), else its parent with varChild idChild.
HRESULT AccessibleObjectFromEvent(HWND hwnd, DWORD idObject, DWORD idChild, IAccessible** ppacc, VARIANT* pvarChild);
// The plain object of a window's client area (OBJID_CLIENT) or of the
// window itself (OBJID_WINDOW): its text, role, state, rectangle, hit test
// and parent. E_INVALIDARG for other object ids or a bad window.
HRESULT CreateStdAccessibleObject(HWND hwnd, LONG idObject, const TGUID& riid, void** ppv);

// Our own, for tests: cookies handed out and not yet redeemed.
Integer PendingObjectCookies();
// Releases the calling thread's unredeemed cookies (its last
// OleUninitialize does this).
void ReleaseThreadObjectCookies();
void RegisterOleAccUnits();

}  // namespace vcl

#include "platform/rtl/MacroShieldEnd.h"
