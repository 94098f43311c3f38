// Notifications of native controls to their parent: the WM_NOTIFY header,
// the owner-draw records of list-like controls, and helpers that send
// WM_COMMAND and WM_NOTIFY as the platform's controls do.
#pragma once
#include "platform/rtl/MacroShield.h"

#include "platform/user/User.h"

namespace vcl {

// WM_GETDLGCODE answers: which keys a control keeps for itself instead of
// leaving them to dialog navigation.
constexpr LRESULT DLGC_WANTARROWS = 0x0001, DLGC_WANTTAB = 0x0002, DLGC_WANTALLKEYS = 0x0004,
                  DLGC_WANTMESSAGE = 0x0004, DLGC_HASSETSEL = 0x0008, DLGC_DEFPUSHBUTTON = 0x0010,
                  DLGC_UNDEFPUSHBUTTON = 0x0020, DLGC_RADIOBUTTON = 0x0040, DLGC_WANTCHARS = 0x0080,
                  DLGC_STATIC = 0x0100, DLGC_BUTTON = 0x2000;

struct NMHDR {
  HWND hwndFrom = nullptr;
  UINT_PTR idFrom = 0;
  UINT code = 0;
};

constexpr UINT WM_DELETEITEM = 0x002D, WM_COMPAREITEM = 0x0039;
constexpr UINT ODT_LISTBOX = 2, ODT_COMBOBOX = 3, ODT_BUTTON = 4, ODT_STATIC = 5;

struct DELETEITEMSTRUCT {
  UINT CtlType = 0;
  UINT CtlID = 0;
  UINT itemID = 0;
  HWND hwndItem = nullptr;
  ULONG_PTR itemData = 0;
};

struct COMPAREITEMSTRUCT {
  UINT CtlType = 0;
  UINT CtlID = 0;
  HWND hwndItem = nullptr;
  UINT itemID1 = 0;
  ULONG_PTR itemData1 = 0;
  UINT itemID2 = 0;
  ULONG_PTR itemData2 = 0;
  DWORD dwLocaleId = 0;
};

// WM_COMMAND (MAKEWPARAM(id, code), the control) to the control's parent.
LRESULT SendCommandNotify(HWND control, UINT code);
// WM_NOTIFY (id, header) to the control's parent, the header's window and
// id filled in.
LRESULT SendNotify(HWND control, NMHDR& header);

}  // namespace vcl

#include "platform/rtl/MacroShieldEnd.h"
