// A scripted session through the input driver: a window is moved by its
// caption and sized from its corner, a pop-up menu is opened with a right
// click and cancelled with Escape, and a layered window with soft edges is
// shown over it. The window lists what it was told, and the final screen is
// saved as interaction.png (with the open menu as interaction-menu.png).
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "examples/gallery/Gallery.h"
#include "platform/desktop/Desktop.h"

namespace gallery {

namespace {

using namespace vcl;

std::vector<String>& Journal() {
  static std::vector<String> j;
  return j;
}

void Note(const String& s) {
  auto& j = Journal();
  j.push_back(s);
}

String Num(int v) {
  std::string s = std::to_string(v);
  return String(s.begin(), s.end());
}

HMENU gMenu = nullptr;

LRESULT NotesProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_ENTERSIZEMOVE:
      Note(u"WM_ENTERSIZEMOVE");
      return 0;
    case WM_EXITSIZEMOVE: {
      RECT r;
      GetWindowRect(h, &r);
      Note(u"WM_EXITSIZEMOVE: at " + Num(r.Left) + u", " + Num(r.Top) + u", " + Num(r.Width()) + u" x " +
           Num(r.Height()));
      InvalidateRect(h, nullptr, true);
      return 0;
    }
    case WM_GETMINMAXINFO: {
      auto* m = reinterpret_cast<MINMAXINFO*>(lp);
      m->ptMinTrackSize = TPoint(280, 200);
      return 0;
    }
    case WM_CONTEXTMENU: {
      Note(u"WM_CONTEXTMENU: TrackPopupMenu");
      int r = TrackPopupMenu(gMenu, TPM_RETURNCMD, GET_X_LPARAM(lp), GET_Y_LPARAM(lp), 0, h, nullptr);
      Note(r ? u"chosen" : u"TrackPopupMenu: cancelled, no WM_COMMAND");
      InvalidateRect(h, nullptr, true);
      return 0;
    }
    case WM_INITMENUPOPUP:
      Note(u"WM_INITMENUPOPUP");
      return 0;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(h, &ps);
      RECT r;
      GetClientRect(h, &r);
      FillRect(dc, &r, GetSysColorBrush(COLOR_WINDOW));
      // A ruled notepad: a margin line and blue rules under each entry.
      HBRUSH rule = CreateSolidBrush(RGB(200, 220, 240)), margin = CreateSolidBrush(RGB(236, 160, 160));
      for (int y = 26; y < r.Bottom; y += 20) {
        RECT l(r.Left, y, r.Right, y + 1);
        FillRect(dc, &l, rule);
      }
      RECT m(r.Left + 30, r.Top, r.Left + 31, r.Bottom);
      FillRect(dc, &m, margin);
      DeleteObject(rule);
      DeleteObject(margin);
      SetBkMode(dc, TRANSPARENT);
      LOGFONTW lf;
      SystemParametersInfoW(SPI_GETICONTITLELOGFONT, sizeof lf, &lf, 0);
      HFONT font = CreateFontIndirectW(&lf);
      HGDIOBJ old = SelectObject(dc, font);
      SetTextColor(dc, RGB(40, 50, 70));
      // The notes window keeps the journal; the other one shows a list.
      static const std::vector<String> kInbox = {u"Re: frame metrics", u"Menu loop review", u"Soft shadows for pop-ups",
                                                 u"Build is green"};
      bool journal = GetWindowLongPtrW(h, GWLP_USERDATA) != 0;
      int y = 8;
      for (const String& line : journal ? Journal() : kInbox) {
        RECT t(r.Left + 38, y, r.Right - 6, y + 18);
        DrawTextW(dc, line.c_str(), int(line.size()), &t, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
        y += 20;
      }
      SelectObject(dc, old);
      DeleteObject(font);
      EndPaint(h, &ps);
      return 0;
    }
    default:
      return DefWindowProcW(h, msg, wp, lp);
  }
}

void PumpAll() {
  MSG m;
  for (int n = 0; n < 10000 && PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE); ++n) {
    TranslateMessage(&m);
    DispatchMessageW(&m);
  }
}

// A rounded panel whose edges fade out over a few pixels, with a line of text,
// as premultiplied pixels for UpdateLayeredWindow.
HWND SoftPanel(int x, int y, int w, int h) {
  HWND wnd = CreateWindowExW(WS_EX_LAYERED | WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, u"QnNotes", u"",
                             WS_POPUP, x, y, w, h, nullptr, nullptr, nullptr, nullptr);
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  bi.bmiHeader.biWidth = w;
  bi.bmiHeader.biHeight = -h;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HDC mem = CreateCompatibleDC(nullptr);
  HBITMAP bmp = CreateDIBSection(mem, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ oldBmp = SelectObject(mem, bmp);
  // The text first, white on black, read back as coverage.
  RECT all(0, 0, w, h);
  FillRect(mem, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  LOGFONTW lf;
  SystemParametersInfoW(SPI_GETICONTITLELOGFONT, sizeof lf, &lf, 0);
  lf.lfHeight = -15;
  lf.lfWeight = 700;
  HFONT font = CreateFontIndirectW(&lf);
  HGDIOBJ oldFont = SelectObject(mem, font);
  SetBkMode(mem, TRANSPARENT);
  SetTextColor(mem, RGB(255, 255, 255));
  RECT t1(0, h / 2 - 20, w, h / 2);
  DrawTextW(mem, u"Layered window", -1, &t1, DT_SINGLELINE | DT_CENTER | DT_VCENTER | DT_NOPREFIX);
  lf.lfHeight = -12;
  lf.lfWeight = 400;
  HFONT small = CreateFontIndirectW(&lf);
  SelectObject(mem, small);
  RECT t2(0, h / 2, w, h / 2 + 20);
  DrawTextW(mem, u"per-pixel alpha, soft edges", -1, &t2, DT_SINGLELINE | DT_CENTER | DT_VCENTER | DT_NOPREFIX);
  SelectObject(mem, oldFont);
  DeleteObject(font);
  DeleteObject(small);
  auto* px = static_cast<uint32_t*>(bits);
  const double radius = 22, soft = 10;
  for (int j = 0; j < h; ++j)
    for (int i = 0; i < w; ++i) {
      // Distance inside the rounded rectangle, faded over the soft band.
      double cx = std::clamp(i + 0.5, radius, w - radius), cy = std::clamp(j + 0.5, radius, h - radius);
      double d = radius - std::hypot(i + 0.5 - cx, j + 0.5 - cy);
      double a = std::clamp(d / soft, 0.0, 1.0);
      a = a * a * (3 - 2 * a);
      // A dark glass panel, a little lighter at the top.
      double shade = 1.0 - double(j) / h * 0.35;
      double r = 24 * shade, g = 44 * shade, b = 78 * shade;
      double alpha = 0.82 * a;
      double text = (px[size_t(j) * size_t(w) + size_t(i)] & 0xFF) / 255.0;
      // Text in white over the panel, at the panel's coverage.
      r = r * (1 - text) + 255 * text;
      g = g * (1 - text) + 255 * text;
      b = b * (1 - text) + 255 * text;
      double ta = alpha + (a - alpha) * text;
      auto ch = [&](double v) { return uint32_t(std::lround(std::clamp(v * ta, 0.0, 255.0))); };
      px[size_t(j) * size_t(w) + size_t(i)] =
          (uint32_t(std::lround(ta * 255)) << 24) | (ch(r) << 16) | (ch(g) << 8) | ch(b);
    }
  POINT src(0, 0), dst(x, y);
  SIZE size(w, h);
  BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
  UpdateLayeredWindow(wnd, nullptr, &dst, &size, mem, &src, 0, &blend, ULW_ALPHA);
  ShowWindow(wnd, SW_SHOWNA);
  SelectObject(mem, oldBmp);
  DeleteObject(bmp);
  DeleteDC(mem);
  return wnd;
}

}  // namespace

std::vector<std::string> InteractionPage(const std::string& outDir) {
  std::vector<std::string> out;
  Journal().clear();
  WNDCLASSEXW wc;
  wc.lpfnWndProc = NotesProc;
  wc.hbrBackground = reinterpret_cast<HBRUSH>(uintptr_t(COLOR_WINDOW + 1));
  wc.lpszClassName = u"QnNotes";
  RegisterClassExW(&wc);
  SetScreenSize(800, 600);
  SetDesktopColor(RGB(58, 96, 136));
  SetVirtualClock(true);
  ResetInput();
  // Every input the script needs is queued before the loops run; a loop that
  // still waits for more means the script is wrong, so it ends.
  TModalIdleHook oldHook = SetModalIdleHook([] { return false; });

  gMenu = CreatePopupMenu();
  AppendMenuW(gMenu, MF_STRING, 1, u"&Undo\tCtrl+Z");
  AppendMenuW(gMenu, MF_SEPARATOR, 0, nullptr);
  AppendMenuW(gMenu, MF_STRING, 2, u"Cu&t\tCtrl+X");
  AppendMenuW(gMenu, MF_STRING, 3, u"&Copy\tCtrl+C");
  AppendMenuW(gMenu, MF_STRING | MF_GRAYED, 4, u"&Paste\tCtrl+V");
  AppendMenuW(gMenu, MF_SEPARATOR, 0, nullptr);
  AppendMenuW(gMenu, MF_STRING | MF_CHECKED, 5, u"&Word wrap");

  HWND back = CreateWindowExW(0, u"QnNotes", u"Inbox", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 420, 40, 340, 250, nullptr,
                              nullptr, nullptr, nullptr);
  HWND notes = CreateWindowExW(WS_EX_CLIENTEDGE, u"QnNotes", u"Session notes", WS_OVERLAPPEDWINDOW | WS_VSCROLL | WS_VISIBLE,
                               40, 60, 300, 220, nullptr, nullptr, nullptr, nullptr);
  SetWindowLongPtrW(notes, GWLP_USERDATA, 1);
  SCROLLINFO si;
  si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
  si.nMax = 40;
  si.nPage = 12;
  SetScrollInfo(notes, SB_VERT, &si, true);
  PumpAll();

  // Click the notes window to the front, then drag it by its caption.
  RECT r;
  GetWindowRect(notes, &r);
  int capY = r.Top + GetSystemMetrics(SM_CXFRAME) + GetSystemMetrics(SM_CXPADDEDBORDER) + GetSystemMetrics(SM_CYCAPTION) / 2;
  InputMouseMove(r.Left + 120, capY);
  InputMouseDown(VK_LBUTTON);
  for (int i = 1; i <= 6; ++i) InputMouseMove(r.Left + 120 + i * 15, capY + i * 10);
  InputMouseUp(VK_LBUTTON);
  PumpAll();

  // Size it from the bottom-right corner.
  GetWindowRect(notes, &r);
  InputMouseMove(r.Right - 2, r.Bottom - 2);
  InputMouseDown(VK_LBUTTON);
  for (int i = 1; i <= 5; ++i) InputMouseMove(r.Right - 2 + i * 36, r.Bottom - 2 + i * 26);
  InputMouseUp(VK_LBUTTON);
  PumpAll();

  // A right click opens the context menu; the pointer rests on an item, the
  // screen is saved with the menu open, and Escape cancels it.
  GetWindowRect(notes, &r);
  POINT at(r.Left + 150, r.Top + 120);
  InputMouseMove(at.X, at.Y);
  InputMouseDown(VK_RBUTTON);
  InputMouseUp(VK_RBUTTON);
  std::string menuPath = outDir + "/interaction-menu.png";
  NotePicture(menuPath, "the pop-up menu open, the pointer on Copy");
  SetModalIdleHook([&menuPath, &out] {
    static int step = 0;
    if (step == 0) {
      HWND m = FindWindowW(u"#32768", nullptr);
      RECT mr;
      GetWindowRect(m, &mr);
      InputMouseMove(mr.Left + 40, mr.Top + 60);  // over an item
      ++step;
      return true;
    }
    if (step == 1) {
      SaveScreenSnapshot(menuPath);
      out.push_back(menuPath);
      InputKeyDown(VK_ESCAPE);
      InputKeyUp(VK_ESCAPE);
      ++step;
      return true;
    }
    return false;
  });
  PumpAll();
  SetModalIdleHook([] { return false; });

  // A layered panel with soft edges over the corner of the notes window.
  GetWindowRect(notes, &r);
  HWND panel = SoftPanel(r.Right - 150, r.Bottom - 60, 250, 90);
  PumpAll();

  std::string path = outDir + "/interaction.png";
  NotePicture(path, "the end: the menu cancelled with Escape, the layered window shown");
  SaveScreenSnapshot(path);
  Hold();  // live: the page stays up until its windows are closed
  out.push_back(path);

  DestroyWindow(panel);
  DestroyWindow(notes);
  DestroyWindow(back);
  DestroyMenu(gMenu);
  gMenu = nullptr;
  SetModalIdleHook(oldHook);
  ResetInput();
  SetVirtualClock(false);
  UnregisterClassW(u"QnNotes", nullptr);
  ResetScreenConfiguration();
  return out;
}

}  // namespace gallery
