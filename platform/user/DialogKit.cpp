#include "platform/user/DialogKit.h"

#include <algorithm>
#include <mutex>

#include "platform/user/CommonDialogs.h"

namespace vcl {

namespace {
constexpr const char16_t* kDialogClass = u"#32770";
std::mutex gStackLock;
std::vector<HWND> gOpen;

void RegisterDialogClass() {
  static bool done = [] {
    WNDCLASSEXW wc;
    wc.style = CS_SAVEBITS | CS_DBLCLKS;
    wc.lpfnWndProc = &dialogkit::Dialog::Proc;
    wc.lpszClassName = kDialogClass;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    RegisterClassExW(&wc);
    return true;
  }();
  (void)done;
}
}  // namespace

HWND ActiveDialogWindow() {
  std::lock_guard<std::mutex> lk(gStackLock);
  return gOpen.empty() ? nullptr : gOpen.back();
}

namespace dialogkit {

HFONT MakeMessageFont(int height, int weight) {
  NONCLIENTMETRICSW ncm;
  LOGFONTW lf;
  if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, ncm.cbSize, &ncm, 0)) lf = ncm.lfMessageFont;
  if (height) lf.lfHeight = height;
  if (weight) lf.lfWeight = weight;
  return CreateFontIndirectW(&lf);
}

TSize TextSize(HDC dc, const String& text, UINT format, Integer maxWidth) {
  RECT r{0, 0, maxWidth, 0};
  DrawTextW(dc, text.c_str(), int(text.size()), &r, format | DT_CALCRECT);
  return TSize(r.Right - r.Left, r.Bottom - r.Top);
}

Dialog::~Dialog() {
  if (Hwnd && IsWindow(Hwnd)) {
    SetWindowLongPtrW(Hwnd, GWLP_USERDATA, 0);
    DestroyWindow(Hwnd);
  }
  if (Font) DeleteObject(Font);
}

void Dialog::End(int r) {
  if (Done) return;
  Done = true;
  Result = r;
}

TRect Dialog::Client() const {
  RECT r{};
  if (Hwnd) GetClientRect(Hwnd, &r);
  return r;
}

void Dialog::Invalidate() {
  if (Hwnd) InvalidateRect(Hwnd, nullptr, false);
}

void Dialog::Create(HWND owner, const String& caption, TSize clientSize, bool closeBox, bool topmost) {
  RegisterDialogClass();
  DWORD style = WS_POPUP | WS_CAPTION | WS_CLIPCHILDREN | (closeBox ? WS_SYSMENU : 0);
  DWORD ex = WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE | (topmost ? WS_EX_TOPMOST : 0);
  RECT r{0, 0, clientSize.cx, clientSize.cy};
  AdjustWindowRectEx(&r, style, false, ex);
  Integer w = r.Right - r.Left, h = r.Bottom - r.Top;
  // Centred on the owner, or on the work area of the monitor the owner (or
  // the primary one) is on; always inside that work area.
  HMONITOR mon = owner ? MonitorFromWindow(owner, MONITOR_DEFAULTTONEAREST)
                       : MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY);
  MONITORINFO mi;
  GetMonitorInfoW(mon, &mi);
  TRect work = mi.rcWork;
  TRect around = work;
  if (owner && IsWindowVisible(owner) && !IsIconic(owner)) {
    RECT o;
    GetWindowRect(owner, &o);
    around = o;
  }
  Integer x = around.Left + (around.Width() - w) / 2, y = around.Top + (around.Height() - h) / 2;
  x = std::max(work.Left, std::min(x, work.Right - w));
  y = std::max(work.Top, std::min(y, work.Bottom - h));
  Hwnd = CreateWindowExW(ex, kDialogClass, caption.c_str(), style, x, y, w, h, owner, nullptr, nullptr, nullptr);
  if (Hwnd) {
    SetWindowLongPtrW(Hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    if (Font) SendMessageW(Hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(Font), 0);
  }
}

void Dialog::PlaceButtons(Integer clientWidth, Integer clientHeight) {
  constexpr Integer bw = 88, bh = 26, gap = 8, margin = 12;
  Integer x = clientWidth - margin - Integer(Buttons.size()) * bw - (Integer(Buttons.size()) - 1) * gap;
  Integer y = clientHeight - StripHeight + (StripHeight - bh) / 2;
  for (auto& b : Buttons) {
    b.Rect = TRect(x, y, x + bw, y + bh);
    x += bw + gap;
  }
}

int Dialog::Run(HWND owner, const std::function<bool()>& respond) {
  if (!Hwnd) {
    End(DefaultResult());
    return Result;
  }
  bool ownerWasEnabled = owner && IsWindow(owner) && IsWindowEnabled(owner);
  if (ownerWasEnabled) EnableWindow(owner, false);
  {
    std::lock_guard<std::mutex> lk(gStackLock);
    gOpen.push_back(Hwnd);
  }
  ShowWindow(Hwnd, SW_SHOW);
  SetActiveWindow(Hwnd);
  SetFocus(Hwnd);
  UpdateWindow(Hwnd);
  bool asked = false;
  while (!Done) {
    if (!IsWindow(Hwnd) || (owner && !IsWindow(owner))) {
      End(DefaultResult());
      break;
    }
    MSG m;
    if (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
      if (m.message == WM_QUIT) {
        // The application's own loop still has to see it.
        PostQuitMessage(int(m.wParam));
        End(DefaultResult());
        break;
      }
      // Keys typed while the dialog is open are the dialog's, whichever
      // window the queue would route them to.
      if (m.message >= WM_KEYFIRST && m.message <= WM_KEYLAST && m.hwnd != Hwnd && !IsChild(Hwnd, m.hwnd))
        m.hwnd = Hwnd;
      TranslateMessage(&m);
      DispatchMessageW(&m);
      continue;
    }
    if (!asked) {
      asked = true;
      if (respond && respond()) break;
      continue;
    }
    if (!ModalIdle()) End(DefaultResult());
  }
  // The owner comes back before the dialog goes, so activation returns to it.
  if (ownerWasEnabled && IsWindow(owner)) EnableWindow(owner, true);
  {
    std::lock_guard<std::mutex> lk(gStackLock);
    gOpen.erase(std::remove(gOpen.begin(), gOpen.end(), Hwnd), gOpen.end());
  }
  if (IsWindow(Hwnd)) {
    SetWindowLongPtrW(Hwnd, GWLP_USERDATA, 0);
    DestroyWindow(Hwnd);
  }
  Hwnd = nullptr;
  if (owner && IsWindow(owner) && IsWindowVisible(owner)) SetActiveWindow(owner);
  return Result;
}

int Dialog::ButtonAt(const TPoint& p) const {
  for (size_t i = 0; i < Buttons.size(); ++i)
    if (Buttons[i].Enabled && PtInRect(Buttons[i].Rect, p)) return int(i);
  return -1;
}

void Dialog::MoveFocus(int step) {
  int n = int(Buttons.size());
  if (n == 0) return;
  int i = Focus < 0 ? (step > 0 ? -1 : n) : Focus;
  for (int k = 0; k < n; ++k) {
    i = (i + step + n) % n;
    if (Buttons[size_t(i)].Enabled) break;
  }
  Focus = i;
  Default = i;
  Invalidate();
}

bool Dialog::Accelerator(Char c) {
  Char up = Char(c >= u'a' && c <= u'z' ? c - 32 : c);
  for (auto& b : Buttons) {
    size_t amp = b.Text.find(u'&');
    if (amp == String::npos || amp + 1 >= b.Text.size() || !b.Enabled) continue;
    Char a = b.Text[amp + 1];
    if (a >= u'a' && a <= u'z') a = Char(a - 32);
    if (a == up) {
      Command(b.Id);
      return true;
    }
  }
  return false;
}

void Dialog::PaintButton(HDC dc, int index) {
  const Button& b = Buttons[size_t(index)];
  bool pressed = Pressed == index && PressedInside;
  bool hot = Hot == index && Pressed < 0;
  bool def = Default == index;
  COLORREF fill = RGB(0xE1, 0xE1, 0xE1), line = RGB(0xAD, 0xAD, 0xAD), ink = GetSysColor(COLOR_BTNTEXT);
  if (!b.Enabled) {
    fill = RGB(0xCC, 0xCC, 0xCC);
    line = RGB(0xBF, 0xBF, 0xBF);
    ink = GetSysColor(COLOR_GRAYTEXT);
  } else if (pressed) {
    fill = RGB(0xCC, 0xE4, 0xF7);
    line = RGB(0x00, 0x54, 0x99);
  } else if (hot) {
    fill = RGB(0xE5, 0xF1, 0xFB);
    line = RGB(0x00, 0x78, 0xD7);
  } else if (def) {
    line = RGB(0x00, 0x78, 0xD7);
  }
  HBRUSH br = CreateSolidBrush(fill);
  HPEN pen = CreatePen(PS_SOLID, 1, line);
  HGDIOBJ ob = SelectObject(dc, br), op = SelectObject(dc, pen);
  Rectangle(dc, b.Rect.Left, b.Rect.Top, b.Rect.Right, b.Rect.Bottom);
  if (def && b.Enabled) {
    // The default button's frame is drawn twice as thick.
    SelectObject(dc, GetStockObject(NULL_BRUSH));
    Rectangle(dc, b.Rect.Left + 1, b.Rect.Top + 1, b.Rect.Right - 1, b.Rect.Bottom - 1);
  }
  SelectObject(dc, ob);
  SelectObject(dc, op);
  DeleteObject(br);
  DeleteObject(pen);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, ink);
  RECT tr = b.Rect;
  if (pressed) OffsetRect(tr, 1, 1);
  DrawTextW(dc, b.Text.c_str(), int(b.Text.size()), &tr, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  if (Focus == index && GetFocus() == Hwnd) {
    RECT fr = b.Rect;
    InflateRect(fr, -3, -3);
    SetTextColor(dc, RGB(0, 0, 0));
    SetBkColor(dc, RGB(0xFF, 0xFF, 0xFF));
    DrawFocusRect(dc, &fr);
  }
}

LRESULT Dialog::Proc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  auto* d = reinterpret_cast<Dialog*>(GetWindowLongPtrW(h, GWLP_USERDATA));
  if (!d) return DefWindowProcW(h, msg, wp, lp);
  switch (msg) {
    case WM_ERASEBKGND: return 1;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(h, &ps);
      TRect c = d->Client();
      HBRUSH white = CreateSolidBrush(GetSysColor(COLOR_WINDOW));
      RECT body{0, 0, c.Right, c.Bottom - d->StripHeight};
      FillRect(dc, &body, white);
      DeleteObject(white);
      RECT strip{0, c.Bottom - d->StripHeight, c.Right, c.Bottom};
      FillRect(dc, &strip, GetSysColorBrush(COLOR_BTNFACE));
      HGDIOBJ of = d->Font ? SelectObject(dc, d->Font) : nullptr;
      d->PaintBody(dc, c);
      for (size_t i = 0; i < d->Buttons.size(); ++i) d->PaintButton(dc, int(i));
      if (of) SelectObject(dc, of);
      EndPaint(h, &ps);
      return 0;
    }
    case WM_SETFOCUS:
    case WM_KILLFOCUS: d->Invalidate(); return 0;
    case WM_GETDLGCODE: return 0x0004;  // every key
    case WM_MOUSEMOVE: {
      TPoint p(GET_X_LPARAM(lp), GET_Y_LPARAM(lp));
      if (d->Pressed >= 0) {
        bool inside = PtInRect(d->Buttons[size_t(d->Pressed)].Rect, p);
        if (inside != d->PressedInside) {
          d->PressedInside = inside;
          d->Invalidate();
        }
      } else {
        int hot = d->ButtonAt(p);
        if (hot != d->Hot) {
          d->Hot = hot;
          d->Invalidate();
        }
      }
      return 0;
    }
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
      TPoint p(GET_X_LPARAM(lp), GET_Y_LPARAM(lp));
      int i = d->ButtonAt(p);
      if (i >= 0) {
        d->Pressed = i;
        d->PressedInside = true;
        d->Focus = i;
        d->Default = i;
        SetCapture(h);
        d->Invalidate();
      } else if (d->BodyMouseDown(p, msg == WM_LBUTTONDBLCLK)) {
        d->Invalidate();
      }
      return 0;
    }
    case WM_LBUTTONUP: {
      if (d->Pressed < 0) return 0;
      int i = d->Pressed;
      bool inside = d->PressedInside;
      d->Pressed = -1;
      ReleaseCapture();
      d->Invalidate();
      if (inside) d->Command(d->Buttons[size_t(i)].Id);
      return 0;
    }
    case WM_CAPTURECHANGED:
      if (d->Pressed >= 0) {
        d->Pressed = -1;
        d->Invalidate();
      }
      return 0;
    case WM_KEYDOWN:
      if (d->BodyKey(wp)) {
        d->Invalidate();
        return 0;
      }
      switch (wp) {
        case VK_RETURN:
          if (d->Default >= 0 && d->Buttons[size_t(d->Default)].Enabled) d->Command(d->Buttons[size_t(d->Default)].Id);
          return 0;
        case VK_ESCAPE:
          if (int r = d->EscapeResult()) d->Command(r);
          return 0;
        case VK_SPACE:
          if (d->Focus >= 0) d->Command(d->Buttons[size_t(d->Focus)].Id);
          return 0;
        case VK_TAB: d->MoveFocus(GetKeyState(VK_SHIFT) < 0 ? -1 : 1); return 0;
        case VK_LEFT:
        case VK_UP: d->MoveFocus(-1); return 0;
        case VK_RIGHT:
        case VK_DOWN: d->MoveFocus(1); return 0;
        default: return 0;
      }
    case WM_CHAR:
    case WM_SYSCHAR:
      if (wp > u' ' && d->Accelerator(Char(wp))) return 0;
      if (msg == WM_SYSCHAR) break;
      return 0;
    case WM_CLOSE:
      if (int r = d->EscapeResult()) d->Command(r);
      return 0;
    case WM_DESTROY:
      // Destroyed from outside (its owner went): the default answer.
      d->End(d->DefaultResult());
      break;
    default: break;
  }
  return DefWindowProcW(h, msg, wp, lp);
}

}  // namespace dialogkit
}  // namespace vcl
