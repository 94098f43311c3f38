// The up-down control: a position within a range and two arrow buttons.
#include <algorithm>
#include <mutex>
#include <unordered_map>

#include "platform/comctl/TabControl.h"

namespace vcl {

namespace {

struct UpDown {
  int Lo = 0, Hi = 100, Pos = 0;
  int Pressed = 0;  // -1 the first button, 1 the second, 0 none
};

std::mutex gUpDownsLock;
std::unordered_map<HWND, UpDown>& UpDowns() {
  static std::unordered_map<HWND, UpDown> m;
  return m;
}

UpDown* Find(HWND h) {
  std::lock_guard<std::mutex> lk(gUpDownsLock);
  auto it = UpDowns().find(h);
  return it == UpDowns().end() ? nullptr : &it->second;
}

void Arrow(HDC dc, const RECT& r, bool horz, bool first, bool enabled) {
  int cx = (r.Left + r.Right) / 2, cy = (r.Top + r.Bottom) / 2;
  int s = std::max(2, std::min(r.Right - r.Left, r.Bottom - r.Top) / 4);
  POINT p[3];
  if (horz) {
    int d = first ? -1 : 1;
    p[0] = POINT(cx - d * s / 2 - d, cy - s);
    p[1] = POINT(cx - d * s / 2 - d, cy + s);
    p[2] = POINT(cx + d * (s + 1) / 2, cy);
  } else {
    int d = first ? -1 : 1;
    p[0] = POINT(cx - s, cy - d * s / 2);
    p[1] = POINT(cx + s, cy - d * s / 2);
    p[2] = POINT(cx, cy + d * (s + 1) / 2);
  }
  HBRUSH br = GetSysColorBrush(enabled ? COLOR_BTNTEXT : COLOR_GRAYTEXT);
  HGDIOBJ ob = SelectObject(dc, br);
  HGDIOBJ op = SelectObject(dc, GetStockObject(NULL_PEN));
  Polygon(dc, p, 3);
  SelectObject(dc, op);
  SelectObject(dc, ob);
}

void Halves(HWND h, RECT& a, RECT& b) {
  RECT c;
  GetClientRect(h, &c);
  a = b = c;
  if (GetWindowLongW(h, GWL_STYLE) & UDS_HORZ) a.Right = b.Left = c.Right / 2;
  else a.Bottom = b.Top = c.Bottom / 2;
}

LRESULT UpDownProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCCREATE) {
    std::lock_guard<std::mutex> lk(gUpDownsLock);
    UpDowns()[h] = UpDown();
    return DefWindowProcW(h, msg, wp, lp);
  }
  UpDown* u = Find(h);
  if (!u) return DefWindowProcW(h, msg, wp, lp);
  DWORD st = DWORD(GetWindowLongW(h, GWL_STYLE));
  switch (msg) {
    case UDM_SETRANGE:
      u->Hi = short(LOWORD(uintptr_t(lp)));
      u->Lo = short(HIWORD(uintptr_t(lp)));
      return 0;
    case UDM_SETRANGE32:
      u->Lo = int(intptr_t(wp));
      u->Hi = int(lp);
      return 0;
    case UDM_GETRANGE:
      return MAKELRESULT(WORD(u->Hi), WORD(u->Lo));
    case UDM_GETRANGE32:
      if (wp) *reinterpret_cast<int*>(wp) = u->Lo;
      if (lp) *reinterpret_cast<int*>(lp) = u->Hi;
      return 0;
    case UDM_SETPOS:
    case UDM_SETPOS32: {
      int old = u->Pos;
      int v = msg == UDM_SETPOS ? short(LOWORD(uintptr_t(lp))) : int(lp);
      u->Pos = std::clamp(v, std::min(u->Lo, u->Hi), std::max(u->Lo, u->Hi));
      InvalidateRect(h, nullptr, true);
      return old;
    }
    case UDM_GETPOS:
      return MAKELRESULT(WORD(u->Pos), 0);
    case UDM_GETPOS32:
      if (lp) *reinterpret_cast<BOOL*>(lp) = 0;
      return u->Pos;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
      RECT a, b;
      Halves(h, a, b);
      POINT p(GET_X_LPARAM(lp), GET_Y_LPARAM(lp));
      // The first button (left or up) steps down for a horizontal control
      // and up for a vertical one, as scroll bars do.
      bool first = PtInRect(a, p);
      int delta = (st & UDS_HORZ) ? (first ? -1 : 1) : (first ? 1 : -1);
      if (u->Lo > u->Hi) delta = -delta;
      u->Pressed = first ? -1 : 1;
      InvalidateRect(h, nullptr, true);
      NMUPDOWN nm;
      nm.hdr.code = UDN_DELTAPOS;
      nm.iPos = u->Pos;
      nm.iDelta = delta;
      if (SendNotify(h, nm.hdr)) return 0;
      if (!(u = Find(h))) return 0;
      int lo = std::min(u->Lo, u->Hi), hi = std::max(u->Lo, u->Hi);
      int np = u->Pos + nm.iDelta;
      if (np < lo) np = (st & UDS_WRAP) ? hi : lo;
      if (np > hi) np = (st & UDS_WRAP) ? lo : hi;
      if (np == u->Pos) return 0;
      u->Pos = np;
      HWND parent = GetParent(h);
      UINT sm = (st & UDS_HORZ) ? WM_HSCROLL : WM_VSCROLL;
      if (parent) {
        SendMessageW(parent, sm, MAKEWPARAM(SB_THUMBPOSITION, WORD(np)), reinterpret_cast<LPARAM>(h));
        SendMessageW(parent, sm, MAKEWPARAM(SB_ENDSCROLL, WORD(np)), reinterpret_cast<LPARAM>(h));
      }
      return 0;
    }
    case WM_LBUTTONUP:
      u->Pressed = 0;
      InvalidateRect(h, nullptr, true);
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = wp ? reinterpret_cast<HDC>(wp) : BeginPaint(h, &ps);
      RECT a, b;
      Halves(h, a, b);
      int lo = std::min(u->Lo, u->Hi), hi = std::max(u->Lo, u->Hi);
      bool en = IsWindowEnabled(h);
      for (int k = 0; k < 2; ++k) {
        RECT r = k == 0 ? a : b;
        FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
        DrawEdge(dc, &r, (u->Pressed == (k == 0 ? -1 : 1)) ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
        // A button that cannot move further shows greyed.
        bool can = (st & UDS_WRAP) || ((st & UDS_HORZ) ? (k == 0 ? u->Pos > lo : u->Pos < hi)
                                                         : (k == 0 ? u->Pos < hi : u->Pos > lo));
        Arrow(dc, r, (st & UDS_HORZ) != 0, k == 0, en && can);
      }
      if (!wp) EndPaint(h, &ps);
      return 0;
    }
    case WM_NCDESTROY: {
      std::lock_guard<std::mutex> lk(gUpDownsLock);
      UpDowns().erase(h);
      return DefWindowProcW(h, msg, wp, lp);
    }
    default:
      return DefWindowProcW(h, msg, wp, lp);
  }
}

}  // namespace

void RegisterTabControlClass();
void RegisterListViewClass();

void RegisterUpDownClass() {
  static std::once_flag once;
  std::call_once(once, [] {
    WNDCLASSEXW wc;
    wc.style = CS_GLOBALCLASS | CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = UpDownProc;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = UPDOWN_CLASS;
    RegisterClassExW(&wc);
  });
}

void InitCommonControls() {
  RegisterUpDownClass();
  RegisterTabControlClass();
  RegisterListViewClass();
}

BOOL InitCommonControlsEx(const INITCOMMONCONTROLSEX* icc) {
  if (!icc || icc->dwSize != sizeof(INITCOMMONCONTROLSEX)) return 0;
  InitCommonControls();
  return 1;
}

}  // namespace vcl
