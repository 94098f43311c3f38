// The common list view ("SysListView32"): items with sub-items shown as
// large icons, small icons, a list running down columns, or report rows
// under a "SysHeader32" header; selection, focus, check boxes, label
// editing and the LVN_* notifications to the parent.
//
// Geometry (our documented rules; scroll information is kept whatever the
// window's scroll-bar styles, so hosts that hide the bars can read it):
//   - Report: rows of one height, the larger of the font's height plus 4
//     and the small (or state) image's height plus 2, from the header's
//     bottom (the top HDM_LAYOUT leaves). Vertical information in rows
//     (nMax count - 1, nPage whole rows per page, nPos the top index),
//     horizontal in pixels over the columns' width. The header is created
//     when the view first enters report style and scrolls sideways with
//     the rows.
//   - List: items run down columns of whole rows; a column is as wide as
//     the widest item (or LVM_SETCOLUMNWIDTH's width). Horizontal
//     information in columns (nPos the first column shown).
//   - Icons: a grid of cells filled row by row, both axes in pixels
//     (nMax = content extent - 1, nPage = client size). A large-icon cell
//     is the image's width plus 43 (at least 75) by the image's height plus
//     two text lines plus 10; a small-icon cell is as wide as the widest item.
#pragma once
#include "platform/rtl/MacroShield.h"

#include "platform/comctl/Header.h"

namespace vcl {

constexpr const char16_t* WC_LISTVIEW = u"SysListView32";

constexpr DWORD LVS_ICON = 0x0000, LVS_REPORT = 0x0001, LVS_SMALLICON = 0x0002, LVS_LIST = 0x0003,
                LVS_TYPEMASK = 0x0003, LVS_SINGLESEL = 0x0004, LVS_SHOWSELALWAYS = 0x0008,
                LVS_SORTASCENDING = 0x0010, LVS_SORTDESCENDING = 0x0020, LVS_SHAREIMAGELISTS = 0x0040,
                LVS_NOLABELWRAP = 0x0080, LVS_AUTOARRANGE = 0x0100, LVS_EDITLABELS = 0x0200,
                LVS_OWNERDRAWFIXED = 0x0400, LVS_ALIGNLEFT = 0x0800, LVS_OWNERDATA = 0x1000,
                LVS_NOSCROLL = 0x2000, LVS_NOCOLUMNHEADER = 0x4000, LVS_NOSORTHEADER = 0x8000;
constexpr DWORD LVS_EX_GRIDLINES = 0x0001, LVS_EX_SUBITEMIMAGES = 0x0002, LVS_EX_CHECKBOXES = 0x0004,
                LVS_EX_TRACKSELECT = 0x0008, LVS_EX_HEADERDRAGDROP = 0x0010, LVS_EX_FULLROWSELECT = 0x0020,
                LVS_EX_ONECLICKACTIVATE = 0x0040, LVS_EX_TWOCLICKACTIVATE = 0x0080, LVS_EX_FLATSB = 0x0100,
                LVS_EX_INFOTIP = 0x0400, LVS_EX_UNDERLINEHOT = 0x0800, LVS_EX_UNDERLINECOLD = 0x1000;

constexpr UINT LVM_FIRST = 0x1000, LVM_GETBKCOLOR = 0x1000, LVM_SETBKCOLOR = 0x1001, LVM_GETIMAGELIST = 0x1002,
               LVM_SETIMAGELIST = 0x1003, LVM_GETITEMCOUNT = 0x1004, LVM_DELETEITEM = 0x1008,
               LVM_DELETEALLITEMS = 0x1009, LVM_GETNEXTITEM = 0x100C, LVM_GETITEMRECT = 0x100E,
               LVM_GETITEMPOSITION = 0x1010, LVM_HITTEST = 0x1012, LVM_ENSUREVISIBLE = 0x1013,
               LVM_SCROLL = 0x1014, LVM_REDRAWITEMS = 0x1015, LVM_ARRANGE = 0x1016, LVM_GETEDITCONTROL = 0x1018,
               LVM_DELETECOLUMN = 0x101C, LVM_GETCOLUMNWIDTH = 0x101D, LVM_SETCOLUMNWIDTH = 0x101E,
               LVM_GETHEADER = 0x101F, LVM_GETVIEWRECT = 0x1022, LVM_GETTEXTCOLOR = 0x1023,
               LVM_SETTEXTCOLOR = 0x1024, LVM_GETTEXTBKCOLOR = 0x1025, LVM_SETTEXTBKCOLOR = 0x1026,
               LVM_GETTOPINDEX = 0x1027, LVM_GETCOUNTPERPAGE = 0x1028, LVM_GETORIGIN = 0x1029,
               LVM_UPDATE = 0x102A, LVM_SETITEMSTATE = 0x102B, LVM_GETITEMSTATE = 0x102C,
               LVM_SORTITEMS = 0x1030, LVM_GETSELECTEDCOUNT = 0x1032, LVM_SETEXTENDEDLISTVIEWSTYLE = 0x1036,
               LVM_GETEXTENDEDLISTVIEWSTYLE = 0x1037, LVM_SUBITEMHITTEST = 0x1039,
               LVM_SETCOLUMNORDERARRAY = 0x103A, LVM_GETCOLUMNORDERARRAY = 0x103B,
               LVM_GETSELECTIONMARK = 0x1042, LVM_SETSELECTIONMARK = 0x1043, LVM_GETITEMW = 0x104B,
               LVM_SETITEMW = 0x104C, LVM_INSERTITEMW = 0x104D, LVM_FINDITEMW = 0x1053,
               LVM_GETSTRINGWIDTHW = 0x1057, LVM_GETCOLUMNW = 0x105F, LVM_SETCOLUMNW = 0x1060,
               LVM_INSERTCOLUMNW = 0x1061, LVM_GETITEMTEXTW = 0x1073, LVM_SETITEMTEXTW = 0x1074,
               LVM_EDITLABELW = 0x1076, LVM_CANCELEDITLABEL = 0x10B3;

constexpr UINT LVIF_TEXT = 0x0001, LVIF_IMAGE = 0x0002, LVIF_PARAM = 0x0004, LVIF_STATE = 0x0008,
               LVIF_INDENT = 0x0010;
constexpr UINT LVIS_FOCUSED = 0x0001, LVIS_SELECTED = 0x0002, LVIS_CUT = 0x0004, LVIS_DROPHILITED = 0x0008,
               LVIS_OVERLAYMASK = 0x0F00, LVIS_STATEIMAGEMASK = 0xF000;
constexpr UINT INDEXTOSTATEIMAGEMASK(UINT i) { return i << 12; }
constexpr UINT LVNI_ALL = 0x0000, LVNI_FOCUSED = 0x0001, LVNI_SELECTED = 0x0002, LVNI_ABOVE = 0x0100,
               LVNI_BELOW = 0x0200, LVNI_TOLEFT = 0x0400, LVNI_TORIGHT = 0x0800;
constexpr WPARAM LVSIL_NORMAL = 0, LVSIL_SMALL = 1, LVSIL_STATE = 2;
constexpr int LVIR_BOUNDS = 0, LVIR_ICON = 1, LVIR_LABEL = 2, LVIR_SELECTBOUNDS = 3;
constexpr UINT LVHT_NOWHERE = 0x0001, LVHT_ONITEMICON = 0x0002, LVHT_ONITEMLABEL = 0x0004,
               LVHT_ONITEMSTATEICON = 0x0008, LVHT_ONITEM = 0x000E, LVHT_ABOVE = 0x0008, LVHT_BELOW = 0x0010,
               LVHT_TORIGHT = 0x0020, LVHT_TOLEFT = 0x0040;
constexpr WPARAM LVA_DEFAULT = 0x0000, LVA_ALIGNLEFT = 0x0001, LVA_ALIGNTOP = 0x0002, LVA_SNAPTOGRID = 0x0005;
constexpr UINT LVCF_FMT = 0x0001, LVCF_WIDTH = 0x0002, LVCF_TEXT = 0x0004, LVCF_SUBITEM = 0x0008,
               LVCF_IMAGE = 0x0010, LVCF_ORDER = 0x0020;
constexpr int LVCFMT_LEFT = 0x0000, LVCFMT_RIGHT = 0x0001, LVCFMT_CENTER = 0x0002, LVCFMT_JUSTIFYMASK = 0x0003,
              LVCFMT_IMAGE = 0x0800, LVCFMT_BITMAP_ON_RIGHT = 0x1000, LVCFMT_COL_HAS_IMAGES = 0x8000;
constexpr int LVSCW_AUTOSIZE = -1, LVSCW_AUTOSIZE_USEHEADER = -2;
constexpr UINT LVFI_PARAM = 0x0001, LVFI_STRING = 0x0002, LVFI_PARTIAL = 0x0008, LVFI_WRAP = 0x0020,
               LVFI_NEARESTXY = 0x0040;
constexpr UINT ODT_LISTVIEW = 102;

struct LVITEMW {
  UINT mask = 0;
  int iItem = 0;
  int iSubItem = 0;
  UINT state = 0;
  UINT stateMask = 0;
  char16_t* pszText = nullptr;
  int cchTextMax = 0;
  int iImage = 0;
  LPARAM lParam = 0;
  int iIndent = 0;
};

struct LVCOLUMNW {
  UINT mask = 0;
  int fmt = 0;
  int cx = 0;
  char16_t* pszText = nullptr;
  int cchTextMax = 0;
  int iSubItem = 0;
  int iImage = 0;
  int iOrder = 0;
};

struct LVHITTESTINFO {
  POINT pt;
  UINT flags = 0;
  int iItem = -1;
  int iSubItem = 0;
};

struct LVFINDINFOW {
  UINT flags = 0;
  const char16_t* psz = nullptr;
  LPARAM lParam = 0;
  POINT pt;
  UINT vkDirection = 0;
};

// LVN_ITEMCHANGING/-CHANGED, LVN_INSERTITEM, LVN_DELETEITEM, LVN_COLUMNCLICK
// (iSubItem the column), LVN_BEGINDRAG.
struct NMLISTVIEW {
  NMHDR hdr;
  int iItem = -1;
  int iSubItem = 0;
  UINT uNewState = 0;
  UINT uOldState = 0;
  UINT uChanged = 0;
  POINT ptAction;
  LPARAM lParam = 0;
};

// NM_CLICK, NM_DBLCLK, NM_RCLICK of the list view.
struct NMITEMACTIVATE {
  NMHDR hdr;
  int iItem = -1;
  int iSubItem = 0;
  UINT uNewState = 0;
  UINT uOldState = 0;
  UINT uChanged = 0;
  POINT ptAction;
  LPARAM lParam = 0;
  UINT uKeyFlags = 0;
};

// LVN_BEGINLABELEDITW and LVN_ENDLABELEDITW (pszText nullptr: cancelled).
struct NMLVDISPINFOW {
  NMHDR hdr;
  LVITEMW item;
};

struct NMLVKEYDOWN {
  NMHDR hdr;
  WORD wVKey = 0;
  UINT flags = 0;
};

// LVM_SORTITEMS: compares two items' lParams; negative puts the first first.
using PFNLVCOMPARE = int (*)(LPARAM, LPARAM, LPARAM);

constexpr UINT LVN_ITEMCHANGING = UINT(-100), LVN_ITEMCHANGED = UINT(-101), LVN_INSERTITEM = UINT(-102),
               LVN_DELETEITEM = UINT(-103), LVN_DELETEALLITEMS = UINT(-104), LVN_COLUMNCLICK = UINT(-108),
               LVN_BEGINDRAG = UINT(-109), LVN_BEGINRDRAG = UINT(-111), LVN_KEYDOWN = UINT(-155),
               LVN_BEGINLABELEDITW = UINT(-175), LVN_ENDLABELEDITW = UINT(-176);

void RegisterListViewClass();

}  // namespace vcl

#include "platform/rtl/MacroShieldEnd.h"
