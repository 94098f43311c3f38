#include "platform/user/Notify.h"

namespace vcl {

LRESULT SendCommandNotify(HWND control, UINT code) {
  HWND parent = GetParent(control);
  if (!parent) return 0;
  int id = GetDlgCtrlID(control);
  return SendMessageW(parent, WM_COMMAND, MAKEWPARAM(id, int(code)), reinterpret_cast<LPARAM>(control));
}

LRESULT SendNotify(HWND control, NMHDR& header) {
  HWND parent = GetParent(control);
  if (!parent) return 0;
  header.hwndFrom = control;
  header.idFrom = UINT_PTR(GetDlgCtrlID(control));
  return SendMessageW(parent, WM_NOTIFY, header.idFrom, reinterpret_cast<LPARAM>(&header));
}

}  // namespace vcl
