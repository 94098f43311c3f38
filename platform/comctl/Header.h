// The common header control ("SysHeader32"): a row of column captions that
// can be clicked, resized by their dividers and, with HDS_DRAGDROP,
// reordered by dragging. The list view makes one for its report view.
//
// Geometry (our documented rules): items lie side by side in display order
// (the order array) from x = 0, each as wide as its width; HDM_LAYOUT asks
// for the font's height plus 8 (or the image's plus 6 when taller), none
// with HDS_HIDDEN. A point within 3 pixels of an item's right edge is on its
// divider.
#pragma once
#include "platform/rtl/MacroShield.h"

#include "platform/comctl/CommCtrl.h"
#include "platform/user/Notify.h"

namespace vcl {

constexpr const char16_t* WC_HEADER = u"SysHeader32";

constexpr DWORD HDS_HORZ = 0x0000, HDS_BUTTONS = 0x0002, HDS_HOTTRACK = 0x0004, HDS_HIDDEN = 0x0008,
                HDS_DRAGDROP = 0x0040, HDS_FULLDRAG = 0x0080;

constexpr UINT HDM_FIRST = 0x1200, HDM_GETITEMCOUNT = 0x1200, HDM_DELETEITEM = 0x1202, HDM_LAYOUT = 0x1205,
               HDM_HITTEST = 0x1206, HDM_GETITEMRECT = 0x1207, HDM_SETIMAGELIST = 0x1208,
               HDM_GETIMAGELIST = 0x1209, HDM_INSERTITEMW = 0x120A, HDM_GETITEMW = 0x120B,
               HDM_SETITEMW = 0x120C, HDM_ORDERTOINDEX = 0x120F, HDM_GETORDERARRAY = 0x1211,
               HDM_SETORDERARRAY = 0x1212;

constexpr UINT HDI_WIDTH = 0x0001, HDI_HEIGHT = HDI_WIDTH, HDI_TEXT = 0x0002, HDI_FORMAT = 0x0004,
               HDI_LPARAM = 0x0008, HDI_BITMAP = 0x0010, HDI_IMAGE = 0x0020, HDI_ORDER = 0x0080;
constexpr int HDF_LEFT = 0x0000, HDF_RIGHT = 0x0001, HDF_CENTER = 0x0002, HDF_JUSTIFYMASK = 0x0003,
              HDF_IMAGE = 0x0800, HDF_BITMAP_ON_RIGHT = 0x1000, HDF_STRING = 0x4000, HDF_OWNERDRAW = 0x8000;

constexpr UINT HHT_NOWHERE = 0x0001, HHT_ONHEADER = 0x0002, HHT_ONDIVIDER = 0x0004, HHT_ONDIVOPEN = 0x0008,
               HHT_ABOVE = 0x0100, HHT_BELOW = 0x0200, HHT_TORIGHT = 0x0400, HHT_TOLEFT = 0x0800;

// WM_NOTIFY codes of the common controls.
constexpr UINT NM_CLICK = UINT(-2), NM_DBLCLK = UINT(-3), NM_RETURN = UINT(-4), NM_RCLICK = UINT(-5),
               NM_RDBLCLK = UINT(-6), NM_SETFOCUS = UINT(-7), NM_KILLFOCUS = UINT(-8);
// Header notifications; a non-zero answer to the -ING and BEGIN ones (and to
// HDN_ENDDRAG) refuses the change.
constexpr UINT HDN_BEGINDRAG = UINT(-310), HDN_ENDDRAG = UINT(-311), HDN_ITEMCHANGINGW = UINT(-320),
               HDN_ITEMCHANGEDW = UINT(-321), HDN_ITEMCLICKW = UINT(-322), HDN_ITEMDBLCLICKW = UINT(-323),
               HDN_DIVIDERDBLCLICKW = UINT(-325), HDN_BEGINTRACKW = UINT(-326), HDN_ENDTRACKW = UINT(-327),
               HDN_TRACKW = UINT(-328);

struct HDITEMW {
  UINT mask = 0;
  int cxy = 0;
  char16_t* pszText = nullptr;
  HBITMAP hbm = nullptr;
  int cchTextMax = 0;
  int fmt = 0;
  LPARAM lParam = 0;
  int iImage = 0;
  int iOrder = 0;
};

struct HDLAYOUT {
  RECT* prc = nullptr;
  WINDOWPOS* pwpos = nullptr;
};

struct HDHITTESTINFO {
  POINT pt;
  UINT flags = 0;
  int iItem = -1;
};

// The item's current settings ride in pitem (HDI_WIDTH and the new width
// while tracking, HDI_ORDER and the new display position on HDN_ENDDRAG).
struct NMHEADERW {
  NMHDR hdr;
  int iItem = -1;
  int iButton = 0;
  HDITEMW* pitem = nullptr;
};

void RegisterHeaderClass();

}  // namespace vcl

#include "platform/rtl/MacroShieldEnd.h"
