// The tooltip pop-up: plain tips and balloons.
#include "platform/comctl/Tooltip.h"

#include <algorithm>
#include <map>
#include <mutex>

#include "platform/gdi/GdiText.h"
#include "platform/user/Notify.h"

namespace vcl {

namespace {

struct TipState {
  String Title;
  WPARAM Icon = TTI_NONE;  // a TTI_* kind or an HICON
};

std::mutex gTipLock;
std::map<HWND, TipState>& States() {
  static std::map<HWND, TipState> m;
  return m;
}

TipState StateOf(HWND h) {
  std::lock_guard<std::mutex> lk(gTipLock);
  auto it = States().find(h);
  return it == States().end() ? TipState{} : it->second;
}

bool IsBalloon(HWND h) { return (GetWindowLongPtrW(h, GWL_STYLE) & TTS_BALLOON) != 0; }

HFONT TipFont(bool bold) {
  LOGFONTW lf;
  lf.lfHeight = -12;
  lf.lfWeight = bold ? FW_BOLD : FW_NORMAL;
  const char16_t face[] = u"Tahoma";
  std::copy(std::begin(face), std::end(face), lf.lfFaceName);
  return CreateFontIndirectW(&lf);
}

HICON TitleIcon(WPARAM kind) {
  switch (kind) {
    case TTI_NONE: return nullptr;
    case TTI_INFO: return LoadIconW(nullptr, IDI_INFORMATION);
    case TTI_WARNING: return LoadIconW(nullptr, IDI_WARNING);
    case TTI_ERROR: return LoadIconW(nullptr, IDI_ERROR);
    default: return reinterpret_cast<HICON>(kind);
  }
}

constexpr int PlainPad = 4, BalloonPad = 10, IconSize = 16, IconGap = 6, Radius = 12;

struct Layout {
  SIZE Size;
  RECT Title, Text;
  POINT IconAt;
  bool HasIcon = false;
};

RECT MeasureText(HDC dc, HFONT font, const String& s, int wrapWidth) {
  RECT r{0, 0, wrapWidth > 0 ? wrapWidth : 10000, 0};
  if (s.empty()) return RECT{0, 0, 0, 0};
  HGDIOBJ old = SelectObject(dc, font);
  DrawTextW(dc, s.c_str(), int(s.size()), &r,
            DT_CALCRECT | DT_NOPREFIX | (wrapWidth > 0 ? DT_WORDBREAK : DT_SINGLELINE));
  SelectObject(dc, old);
  return r;
}

Layout LayOut(HWND h, HDC dc) {
  Layout l;
  String text = GetWindowText(h);
  HFONT plain = TipFont(false);
  if (!IsBalloon(h)) {
    RECT t = MeasureText(dc, plain, text, 0);
    l.Text = RECT{PlainPad, PlainPad, PlainPad + t.Right, PlainPad + t.Bottom};
    l.Size = SIZE{t.Right + 2 * PlainPad, t.Bottom + 2 * PlainPad};
    DeleteObject(plain);
    return l;
  }
  TipState st = StateOf(h);
  HFONT bold = TipFont(true);
  RECT title = MeasureText(dc, bold, st.Title, 0);
  RECT body = MeasureText(dc, plain, text, TooltipBalloonTextWidth);
  l.HasIcon = TitleIcon(st.Icon) != nullptr;
  int titleW = title.Right + (l.HasIcon ? IconSize + IconGap : 0);
  int titleH = std::max<int>(title.Bottom, l.HasIcon ? IconSize : 0);
  int y = BalloonPad;
  l.IconAt = POINT(BalloonPad, y + (titleH - IconSize) / 2);
  int tx = BalloonPad + (l.HasIcon ? IconSize + IconGap : 0);
  l.Title = RECT{tx, y + (titleH - title.Bottom) / 2, tx + title.Right, y + (titleH + title.Bottom) / 2};
  if (titleH) y += titleH + 6;
  l.Text = RECT{BalloonPad, y, BalloonPad + body.Right, y + body.Bottom};
  y += body.Bottom;
  l.Size = SIZE{std::max(titleW, int(body.Right)) + 2 * BalloonPad, y + BalloonPad};
  DeleteObject(bold);
  DeleteObject(plain);
  return l;
}

void Paint(HWND h) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(h, &ps);
  RECT rc;
  GetClientRect(h, &rc);
  Layout l = LayOut(h, dc);
  HBRUSH bg = CreateSolidBrush(GetSysColor(COLOR_INFOBK));
  HPEN frame = CreatePen(PS_SOLID, 1, RGB(118, 118, 118));
  HGDIOBJ ob = SelectObject(dc, bg), op = SelectObject(dc, frame);
  if (IsBalloon(h)) RoundRect(dc, 0, 0, rc.Right, rc.Bottom, Radius, Radius);
  else Rectangle(dc, 0, 0, rc.Right, rc.Bottom);
  SelectObject(dc, ob);
  SelectObject(dc, op);
  DeleteObject(bg);
  DeleteObject(frame);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(COLOR_INFOTEXT));
  String text = GetWindowText(h);
  HFONT plain = TipFont(false);
  HGDIOBJ of = SelectObject(dc, plain);
  if (IsBalloon(h)) {
    TipState st = StateOf(h);
    if (HICON icon = TitleIcon(st.Icon)) DrawIconEx(dc, l.IconAt.X, l.IconAt.Y, icon, IconSize, IconSize, 0, nullptr, DI_NORMAL);
    HFONT bold = TipFont(true);
    SelectObject(dc, bold);
    RECT t = l.Title;
    DrawTextW(dc, st.Title.c_str(), int(st.Title.size()), &t, DT_NOPREFIX | DT_SINGLELINE);
    SelectObject(dc, plain);
    DeleteObject(bold);
    RECT b = l.Text;
    DrawTextW(dc, text.c_str(), int(text.size()), &b, DT_NOPREFIX | DT_WORDBREAK);
  } else {
    RECT b = l.Text;
    DrawTextW(dc, text.c_str(), int(text.size()), &b, DT_NOPREFIX | DT_SINGLELINE);
  }
  SelectObject(dc, of);
  DeleteObject(plain);
  EndPaint(h, &ps);
}

void Reshape(HWND h) {
  if (!IsBalloon(h)) return;
  RECT r;
  GetWindowRect(h, &r);
  SetWindowRgn(h, CreateRoundRectRgn(0, 0, r.Right - r.Left + 1, r.Bottom - r.Top + 1, Radius, Radius), true);
}

LRESULT TooltipProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_PAINT:
      Paint(h);
      return 0;
    case WM_ERASEBKGND: return 1;
    case WM_MOUSEACTIVATE: return MA_NOACTIVATE;
    case WM_SIZE:
      Reshape(h);
      return 0;
    case TTM_SETTITLEW: {
      std::lock_guard<std::mutex> lk(gTipLock);
      TipState& st = States()[h];
      st.Icon = wp;
      st.Title = lp ? String(reinterpret_cast<const char16_t*>(lp)) : String();
      InvalidateRect(h, nullptr, true);
      return 1;
    }
    case WM_SETTEXT: {
      LRESULT r = DefWindowProcW(h, msg, wp, lp);
      InvalidateRect(h, nullptr, true);
      return r;
    }
    case WM_LBUTTONDOWN: {
      if (HWND owner = GetWindow(h, GW_OWNER)) {
        NMHDR n;
        n.hwndFrom = h;
        n.idFrom = 0;
        n.code = NM_CLICK;
        SendMessageW(owner, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&n));
      }
      return 0;
    }
    case WM_NCDESTROY: {
      std::lock_guard<std::mutex> lk(gTipLock);
      States().erase(h);
      break;
    }
    default: break;
  }
  return DefWindowProcW(h, msg, wp, lp);
}

}  // namespace

void RegisterTooltipClass() {
  static std::once_flag once;
  std::call_once(once, [] {
    WNDCLASSEXW wc;
    wc.style = CS_GLOBALCLASS | CS_DROPSHADOW;
    wc.lpfnWndProc = TooltipProc;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = TOOLTIPS_CLASSW;
    RegisterClassExW(&wc);
  });
}

SIZE TooltipContentSize(HWND tip) {
  if (!IsWindow(tip)) return SIZE{0, 0};
  HDC dc = GetDC(tip);
  Layout l = LayOut(tip, dc);
  ReleaseDC(tip, dc);
  return l.Size;
}

}  // namespace vcl
