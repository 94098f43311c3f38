// The common tab control ("SysTabControl32") and the up-down control
// ("msctls_updown32") that scrolls a single row of tabs too long for it.
//
// Tab geometry (our documented rules; hit tests and painting use them
// directly, never a rectangle some window procedure answered):
//   - A tab is as long as its text plus twice the horizontal padding
//     (TCM_SETPADDING, default 6, 3), plus the image's width and 3 pixels
//     when it has an image; with TCS_FIXEDWIDTH every tab is the width
//     TCM_SETITEMSIZE gave (0 or none: the widest tab's), never shorter than
//     TCM_SETMINTABWIDTH. A row is as thick as TCM_SETITEMSIZE's height, or
//     (0 or none) the taller of the font's height and the image's plus twice
//     the vertical padding.
//   - Rows run along the tab side 2 pixels in from the control's edges: on
//     top the first tab of a single row lies at (2, 2). TCS_BOTTOM puts them
//     below, TCS_VERTICAL on the left (with TCS_RIGHT on the right);
//     vertical tabs are always multi-line and their text runs along them.
//   - Multi-line rows fill the side's length less 4; with more than one row
//     and without TCS_RAGGEDRIGHT (or TCS_FIXEDWIDTH) each row is stretched
//     to the full length. Tabs rotate so that the selected tab's row lies
//     next to the display area; buttons keep their rows in order and leave
//     3 pixels between buttons and between rows.
//   - The display area is what the tab rows leave of the client rectangle;
//     TCM_ADJUSTRECT(FALSE) answers it less its 2-pixel border and 2 pixels
//     of padding (on top with one row of thickness h in a W x H control:
//     (4, h + 6, W - 4, H - 4)), TRUE the window rectangle around a display
//     rectangle.
//   - A single row longer than the control scrolls: an up-down child sits at
//     its end and picks the first tab shown; the tabs before it lie outside
//     the control.
//   - The selected tab is drawn 2 pixels larger on each side and joined to
//     the display frame; the item rectangle stays the unenlarged one.
#pragma once
#include "platform/rtl/MacroShield.h"

#include "platform/comctl/CommCtrl.h"
#include "platform/user/Notify.h"

namespace vcl {

constexpr const char16_t* WC_TABCONTROL = u"SysTabControl32";
constexpr const char16_t* UPDOWN_CLASS = u"msctls_updown32";

constexpr DWORD TCS_SCROLLOPPOSITE = 0x0001, TCS_BOTTOM = 0x0002, TCS_RIGHT = 0x0002, TCS_MULTISELECT = 0x0004,
                TCS_FLATBUTTONS = 0x0008, TCS_FORCEICONLEFT = 0x0010, TCS_FORCELABELLEFT = 0x0020,
                TCS_HOTTRACK = 0x0040, TCS_VERTICAL = 0x0080, TCS_TABS = 0x0000, TCS_BUTTONS = 0x0100,
                TCS_SINGLELINE = 0x0000, TCS_MULTILINE = 0x0200, TCS_RIGHTJUSTIFY = 0x0000,
                TCS_FIXEDWIDTH = 0x0400, TCS_RAGGEDRIGHT = 0x0800, TCS_FOCUSONBUTTONDOWN = 0x1000,
                TCS_OWNERDRAWFIXED = 0x2000, TCS_TOOLTIPS = 0x4000, TCS_FOCUSNEVER = 0x8000;

constexpr UINT TCM_FIRST = 0x1300, TCM_GETIMAGELIST = 0x1302, TCM_SETIMAGELIST = 0x1303,
               TCM_GETITEMCOUNT = 0x1304, TCM_DELETEITEM = 0x1308, TCM_DELETEALLITEMS = 0x1309,
               TCM_GETITEMRECT = 0x130A, TCM_GETCURSEL = 0x130B, TCM_SETCURSEL = 0x130C, TCM_HITTEST = 0x130D,
               TCM_SETITEMEXTRA = 0x130E, TCM_ADJUSTRECT = 0x1328, TCM_SETITEMSIZE = 0x1329,
               TCM_REMOVEIMAGE = 0x132A, TCM_SETPADDING = 0x132B, TCM_GETROWCOUNT = 0x132C,
               TCM_GETTOOLTIPS = 0x132D, TCM_SETTOOLTIPS = 0x132E, TCM_GETCURFOCUS = 0x132F,
               TCM_SETCURFOCUS = 0x1330, TCM_SETMINTABWIDTH = 0x1331, TCM_DESELECTALL = 0x1332,
               TCM_HIGHLIGHTITEM = 0x1333, TCM_SETEXTENDEDSTYLE = 0x1334, TCM_GETEXTENDEDSTYLE = 0x1335,
               TCM_GETITEMW = 0x133C, TCM_SETITEMW = 0x133D, TCM_INSERTITEMW = 0x133E;

constexpr UINT TCIF_TEXT = 0x0001, TCIF_IMAGE = 0x0002, TCIF_RTLREADING = 0x0004, TCIF_PARAM = 0x0008,
               TCIF_STATE = 0x0010;
constexpr DWORD TCIS_BUTTONPRESSED = 0x0001, TCIS_HIGHLIGHTED = 0x0002;
constexpr UINT TCHT_NOWHERE = 0x0001, TCHT_ONITEMICON = 0x0002, TCHT_ONITEMLABEL = 0x0004,
               TCHT_ONITEM = TCHT_ONITEMICON | TCHT_ONITEMLABEL;
// WM_NOTIFY codes. TCN_SELCHANGING answering non-zero keeps the tab.
constexpr UINT TCN_KEYDOWN = UINT(-550), TCN_SELCHANGE = UINT(-551), TCN_SELCHANGING = UINT(-552),
               TCN_FOCUSCHANGE = UINT(-554);
constexpr UINT ODT_TAB = 101;

struct TCITEMW {
  UINT mask = 0;
  DWORD dwState = 0;
  DWORD dwStateMask = 0;
  char16_t* pszText = nullptr;
  int cchTextMax = 0;
  int iImage = -1;
  LPARAM lParam = 0;
};

struct TCHITTESTINFO {
  POINT pt;
  UINT flags = 0;
};

struct NMTCKEYDOWN {
  NMHDR hdr;
  WORD wVKey = 0;
  UINT flags = 0;
};

// Up-down: a pair of arrow buttons (left/right with UDS_HORZ, else
// up/down). A press steps the position by one within the range (wrapping
// with UDS_WRAP), asks the parent with UDN_DELTAPOS (non-zero keeps it), then
// sends it WM_HSCROLL (UDS_HORZ) or WM_VSCROLL with SB_THUMBPOSITION and the
// new position, and SB_ENDSCROLL.
constexpr DWORD UDS_WRAP = 0x0001, UDS_SETBUDDYINT = 0x0002, UDS_ALIGNRIGHT = 0x0004, UDS_ALIGNLEFT = 0x0008,
                UDS_AUTOBUDDY = 0x0010, UDS_ARROWKEYS = 0x0020, UDS_HORZ = 0x0040, UDS_NOTHOUSANDS = 0x0080,
                UDS_HOTTRACK = 0x0100;
constexpr UINT UDM_SETRANGE = 0x0465, UDM_GETRANGE = 0x0466, UDM_SETPOS = 0x0467, UDM_GETPOS = 0x0468,
               UDM_SETRANGE32 = 0x046F, UDM_GETRANGE32 = 0x0470, UDM_SETPOS32 = 0x0471, UDM_GETPOS32 = 0x0472;
constexpr UINT UDN_DELTAPOS = UINT(-722);

struct NMUPDOWN {
  NMHDR hdr;
  int iPos = 0;
  int iDelta = 0;
};

}  // namespace vcl

#include "platform/rtl/MacroShieldEnd.h"
