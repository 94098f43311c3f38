// The window server's list box, the system class "LISTBOX": strings or
// owner-drawn items with item data, single, multiple and extended
// selection, one or several columns, the LB_* messages, the LBN_*
// notifications (with LBS_NOTIFY), WM_VKEYTOITEM / WM_CHARTOITEM (with
// LBS_WANTKEYBOARDINPUT) and scroll information for the bars the window was
// created with.
//
// Geometry: rows of the item height from the top index; without
// LBS_NOINTEGRALHEIGHT the window is cut to whole rows when created or
// sized; visible rows = client height div item height. With
// LBS_MULTICOLUMN items run down columns of that many rows, each
// LB_SETCOLUMNWIDTH wide, and the horizontal information counts columns.
#pragma once
#include "platform/rtl/MacroShield.h"

#include "platform/user/Notify.h"

namespace vcl {

constexpr const char16_t* WC_LISTBOX = u"LISTBOX";

constexpr DWORD LBS_NOTIFY = 0x0001, LBS_SORT = 0x0002, LBS_NOREDRAW = 0x0004, LBS_MULTIPLESEL = 0x0008,
                LBS_OWNERDRAWFIXED = 0x0010, LBS_OWNERDRAWVARIABLE = 0x0020, LBS_HASSTRINGS = 0x0040,
                LBS_USETABSTOPS = 0x0080, LBS_NOINTEGRALHEIGHT = 0x0100, LBS_MULTICOLUMN = 0x0200,
                LBS_WANTKEYBOARDINPUT = 0x0400, LBS_EXTENDEDSEL = 0x0800, LBS_DISABLENOSCROLL = 0x1000,
                LBS_NODATA = 0x2000, LBS_NOSEL = 0x4000,
                LBS_STANDARD = LBS_NOTIFY | LBS_SORT | WS_VSCROLL | WS_BORDER;

constexpr UINT LB_ADDSTRING = 0x0180, LB_INSERTSTRING = 0x0181, LB_DELETESTRING = 0x0182,
               LB_SELITEMRANGEEX = 0x0183, LB_RESETCONTENT = 0x0184, LB_SETSEL = 0x0185,
               LB_SETCURSEL = 0x0186, LB_GETSEL = 0x0187, LB_GETCURSEL = 0x0188, LB_GETTEXT = 0x0189,
               LB_GETTEXTLEN = 0x018A, LB_GETCOUNT = 0x018B, LB_SELECTSTRING = 0x018C,
               LB_GETTOPINDEX = 0x018E, LB_FINDSTRING = 0x018F, LB_GETSELCOUNT = 0x0190,
               LB_GETSELITEMS = 0x0191, LB_SETTABSTOPS = 0x0192, LB_GETHORIZONTALEXTENT = 0x0193,
               LB_SETHORIZONTALEXTENT = 0x0194, LB_SETCOLUMNWIDTH = 0x0195, LB_SETTOPINDEX = 0x0197,
               LB_GETITEMRECT = 0x0198, LB_GETITEMDATA = 0x0199, LB_SETITEMDATA = 0x019A,
               LB_SELITEMRANGE = 0x019B, LB_SETANCHORINDEX = 0x019C, LB_GETANCHORINDEX = 0x019D,
               LB_SETCARETINDEX = 0x019E, LB_GETCARETINDEX = 0x019F, LB_SETITEMHEIGHT = 0x01A0,
               LB_GETITEMHEIGHT = 0x01A1, LB_FINDSTRINGEXACT = 0x01A2, LB_SETCOUNT = 0x01A7,
               LB_INITSTORAGE = 0x01A8, LB_ITEMFROMPOINT = 0x01A9;
constexpr LRESULT LB_OKAY = 0, LB_ERR = -1, LB_ERRSPACE = -2;

// WM_COMMAND notification codes.
constexpr UINT LBN_ERRSPACE = UINT(-2), LBN_SELCHANGE = 1, LBN_DBLCLK = 2, LBN_SELCANCEL = 3,
               LBN_SETFOCUS = 4, LBN_KILLFOCUS = 5;

// To the parent of a list box with LBS_WANTKEYBOARDINPUT: WParam MAKEWPARAM(key
// or character, caret index), LParam the list. Answers: −1 default handling,
// −2 handled, ≥ 0 an item to go to.
constexpr UINT WM_VKEYTOITEM = 0x002E, WM_CHARTOITEM = 0x002F;

// Registers the class (RegisterSystemControlClasses does; idempotent).
void RegisterListBoxClass();

}  // namespace vcl

#include "platform/rtl/MacroShieldEnd.h"
