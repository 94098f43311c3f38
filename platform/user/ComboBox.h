// The window server's combo box, the system class "COMBOBOX": an edit
// child (id 1001; none for CBS_DROPDOWNLIST, which paints the selected
// item itself) over a list of items. CBS_SIMPLE shows the list always,
// under the edit; the drop-down styles show it in a "ComboLBox" pop-up
// below the control (above when the work area has no room below) while it
// is dropped. The CB_* messages and the CBN_* notifications (WM_COMMAND to
// the parent) are the platform's; owner-drawn items come to the parent as
// WM_MEASUREITEM / WM_DRAWITEM with ODT_COMBOBOX, the selection field with
// ODS_COMBOBOXEDIT.
//
// While dropped the combo box holds the capture: a click on an item picks
// it (CBN_SELCHANGE, CBN_SELENDOK, CBN_CLOSEUP), a click elsewhere or
// Escape closes without picking (CBN_SELENDCANCEL, CBN_CLOSEUP). A click on
// the control, F4 and Alt+Down drop the list (CBN_DROPDOWN first); closed,
// the arrows, Home and End move the selection (CBN_SELCHANGE), and letters
// typed in a list style pick the next item they begin. CB_SETCURSEL is
// silent.
#pragma once
#include "platform/rtl/MacroShield.h"

#include "platform/user/Notify.h"

namespace vcl {

constexpr const char16_t* WC_COMBOBOX = u"COMBOBOX";
constexpr const char16_t* WC_COMBOLBOX = u"ComboLBox";
constexpr int ComboEditId = 1001;

constexpr DWORD CBS_SIMPLE = 0x0001, CBS_DROPDOWN = 0x0002, CBS_DROPDOWNLIST = 0x0003,
                CBS_OWNERDRAWFIXED = 0x0010, CBS_OWNERDRAWVARIABLE = 0x0020, CBS_AUTOHSCROLL = 0x0040,
                CBS_OEMCONVERT = 0x0080, CBS_SORT = 0x0100, CBS_HASSTRINGS = 0x0200,
                CBS_NOINTEGRALHEIGHT = 0x0400, CBS_DISABLENOSCROLL = 0x0800, CBS_UPPERCASE = 0x2000,
                CBS_LOWERCASE = 0x4000;

constexpr UINT CB_GETEDITSEL = 0x0140, CB_LIMITTEXT = 0x0141, CB_SETEDITSEL = 0x0142, CB_ADDSTRING = 0x0143,
               CB_DELETESTRING = 0x0144, CB_GETCOUNT = 0x0146, CB_GETCURSEL = 0x0147, CB_GETLBTEXT = 0x0148,
               CB_GETLBTEXTLEN = 0x0149, CB_INSERTSTRING = 0x014A, CB_RESETCONTENT = 0x014B,
               CB_FINDSTRING = 0x014C, CB_SELECTSTRING = 0x014D, CB_SETCURSEL = 0x014E,
               CB_SHOWDROPDOWN = 0x014F, CB_GETITEMDATA = 0x0150, CB_SETITEMDATA = 0x0151,
               CB_GETDROPPEDCONTROLRECT = 0x0152, CB_SETITEMHEIGHT = 0x0153, CB_GETITEMHEIGHT = 0x0154,
               CB_GETDROPPEDSTATE = 0x0157, CB_FINDSTRINGEXACT = 0x0158, CB_GETTOPINDEX = 0x015B,
               CB_SETTOPINDEX = 0x015C, CB_GETDROPPEDWIDTH = 0x015F, CB_SETDROPPEDWIDTH = 0x0160,
               CB_INITSTORAGE = 0x0161, CB_GETCOMBOBOXINFO = 0x0164, CB_SETMINVISIBLE = 0x1701,
               CB_GETMINVISIBLE = 0x1702;
constexpr LRESULT CB_OKAY = 0, CB_ERR = -1, CB_ERRSPACE = -2;

constexpr UINT CBN_ERRSPACE = UINT(-1), CBN_SELCHANGE = 1, CBN_DBLCLK = 2, CBN_SETFOCUS = 3, CBN_KILLFOCUS = 4,
               CBN_EDITCHANGE = 5, CBN_EDITUPDATE = 6, CBN_DROPDOWN = 7, CBN_CLOSEUP = 8, CBN_SELENDOK = 9,
               CBN_SELENDCANCEL = 10;

// An owner-drawn combo box's selection field, as opposed to an item of its list.
constexpr UINT ODS_COMBOBOXEDIT = 0x1000;

constexpr DWORD STATE_SYSTEM_INVISIBLE = 0x8000, STATE_SYSTEM_PRESSED = 0x0008;

struct COMBOBOXINFO {
  DWORD cbSize = sizeof(COMBOBOXINFO);
  RECT rcItem{};    // the edit or the selection field (client coordinates)
  RECT rcButton{};  // the drop button (empty for CBS_SIMPLE)
  DWORD stateButton = 0;
  HWND hwndCombo = nullptr;
  HWND hwndItem = nullptr;  // the edit (nil for CBS_DROPDOWNLIST)
  HWND hwndList = nullptr;
};
// False (ERROR_INVALID_PARAMETER) for a window that is no combo box or a
// record of another size.
bool GetComboBoxInfo(HWND hwndCombo, COMBOBOXINFO* pcbi);

// Registers "COMBOBOX" and "ComboLBox" (idempotent).
void RegisterComboBoxClass();

}  // namespace vcl

#include "platform/rtl/MacroShieldEnd.h"
