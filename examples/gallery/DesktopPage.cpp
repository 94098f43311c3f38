// Two overlapping top-level windows with child windows, painted through
// WM_PAINT, and the composed screen saved as desktop.png.
#include <string>
#include <vector>

#include "examples/gallery/Gallery.h"
#include "platform/desktop/Desktop.h"

namespace gallery {

namespace {

using namespace vcl;

struct Look {
  COLORREF Face;
  COLORREF Band;
  bool TagAtBottom = false;  // where a sibling covers the top
};

LRESULT PagePaint(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg != WM_PAINT) return DefWindowProcW(h, msg, wp, lp);
  const Look* look = reinterpret_cast<const Look*>(GetWindowLongPtrW(h, GWLP_USERDATA));
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(h, &ps);
  RECT r;
  GetClientRect(h, &r);
  HBRUSH face = CreateSolidBrush(look->Face), band = CreateSolidBrush(look->Band);
  FillRect(dc, &r, face);
  // Horizontal bands every 12 pixels, and a frame one pixel inside the edge.
  for (int y = 6; y < r.Bottom; y += 12) {
    RECT b(r.Left + 4, y, r.Right - 4, y + 2);
    FillRect(dc, &b, band);
  }
  RECT f = r;
  InflateRect(f, -1, -1);
  FrameRect(dc, &f, reinterpret_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  // The window's text names what it is, on a white tag so it reads on
  // every face.
  WCHAR text[80];
  const int n = GetWindowTextW(h, text, 80);
  if (n > 0 && ((GetWindowLongW(h, GWL_STYLE) & WS_CHILD) || (GetWindowLongW(h, GWL_EXSTYLE) & WS_EX_TOOLWINDOW))) {
    SetBkMode(dc, OPAQUE);
    SetBkColor(dc, RGB(255, 255, 255));
    SetTextColor(dc, RGB(28, 34, 44));
    HFONT font = CreateFontW(-11, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, u"DejaVu Sans");
    HGDIOBJ old = SelectObject(dc, font);
    RECT t = look->TagAtBottom ? RECT{10, r.Bottom - 24, r.Right - 10, r.Bottom - 8} : RECT{10, 8, r.Right - 10, 24};
    DrawTextW(dc, text, n, &t, DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
    SelectObject(dc, old);
    DeleteObject(font);
  }
  DeleteObject(face);
  DeleteObject(band);
  EndPaint(h, &ps);
  return 0;
}

HWND Make(DWORD ex, DWORD style, const char16_t* title, int x, int y, int w, int h, HWND parent, const Look* look) {
  HWND wnd = CreateWindowExW(ex, u"QnGalleryWnd", title, style, x, y, w, h, parent, nullptr, nullptr, nullptr);
  SetWindowLongPtrW(wnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(look));
  InvalidateRect(wnd, nullptr, true);
  return wnd;
}

}  // namespace

std::vector<std::string> DesktopPage(const std::string& outDir) {
  static const Look kBack{RGB(236, 240, 246), RGB(196, 210, 232)}, kFront{RGB(250, 244, 230), RGB(234, 214, 170)},
      kRed{RGB(214, 72, 64), RGB(170, 40, 36)}, kGreen{RGB(76, 164, 96), RGB(40, 120, 60)},
      kBlue{RGB(60, 110, 200), RGB(30, 70, 150)}, kTip{RGB(255, 255, 225), RGB(230, 220, 160)},
      kRedUnder{RGB(214, 72, 64), RGB(170, 40, 36), true};
  WNDCLASSEXW wc;
  wc.style = CS_HREDRAW | CS_VREDRAW;
  wc.lpfnWndProc = PagePaint;
  wc.hbrBackground = reinterpret_cast<HBRUSH>(uintptr_t(COLOR_WINDOW + 1));
  wc.lpszClassName = u"QnGalleryWnd";
  RegisterClassExW(&wc);
  SetScreenSize(800, 600);
  SetDesktopColor(RGB(48, 86, 128));

  HWND back = Make(0, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN | WS_VISIBLE, u"Back", 60, 50, 420, 320, nullptr, &kBack);
  Make(WS_EX_CLIENTEDGE, WS_CHILD | WS_VISIBLE, u" child, client edge ", 20, 20, 160, 110, back, &kRed);
  Make(0, WS_CHILD | WS_VISIBLE | WS_VSCROLL, u" child with a bar ", 200, 20, 180, 230, back, &kGreen);
  HWND front = Make(0, WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN | WS_VISIBLE, u"Front", 300, 220,
                    380, 260, nullptr, &kFront);
  Make(0, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, u" child, on top ", 20, 20, 200, 120, front, &kBlue);
  Make(0, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, u" under its sibling ", 150, 90, 180, 110, front, &kRedUnder);
  // A topmost pop-up with a rounded region over both.
  HWND tip = Make(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, WS_POPUP | WS_VISIBLE, u" topmost, round region ", 420, 120, 160,
                  90, nullptr, &kTip);
  SetWindowRgn(tip, CreateRoundRectRgn(0, 0, 161, 91, 24, 24), true);
  (void)kGreen;

  MSG m;
  while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);
  std::vector<std::string> out;
  std::string path = outDir + "/desktop.png";
  SaveScreenSnapshot(path);
  Hold();  // live: the page stays up until its windows are closed
  out.push_back(path);
  for (auto& p : DumpTopLevelWindows("desktop")) out.push_back(p);
  DestroyWindow(tip);
  DestroyWindow(front);
  DestroyWindow(back);
  UnregisterClassW(u"QnGalleryWnd", nullptr);
  ResetScreenConfiguration();
  return out;
}

}  // namespace gallery
