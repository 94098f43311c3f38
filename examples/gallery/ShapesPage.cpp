// Window shapes on the composed screen: a rounded form with four soft
// layered border windows around it, a window at half opacity, a colour-keyed
// ring and a glow given by UpdateLayeredWindow with per-pixel alpha. The
// screen is saved as shapes.png.
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "examples/gallery/Gallery.h"
#include "platform/desktop/Desktop.h"
#include "platform/gdi/GdiText.h"

namespace gallery {

namespace {

using namespace vcl;

constexpr int kEdge = 14;

struct Look {
  COLORREF Face;
  COLORREF Band;
  const char16_t* Text;
};

LRESULT ShapePaint(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  const Look* look = reinterpret_cast<const Look*>(GetWindowLongPtrW(h, GWLP_USERDATA));
  if (msg != WM_PAINT || !look) return DefWindowProcW(h, msg, wp, lp);
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(h, &ps);
  RECT r;
  GetClientRect(h, &r);
  HBRUSH face = CreateSolidBrush(look->Face), band = CreateSolidBrush(look->Band);
  FillRect(dc, &r, face);
  RECT title(r.Left, r.Top, r.Right, r.Top + 26);
  FillRect(dc, &title, band);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, RGB(30, 30, 40));
  RECT text = r;
  text.Top += 32;
  DrawTextW(dc, look->Text, -1, &text, DT_CENTER | DT_WORDBREAK);
  DeleteObject(face);
  DeleteObject(band);
  EndPaint(h, &ps);
  return 0;
}

// A top-down 32-bit picture in a memory DC.
struct Picture {
  HDC Dc;
  HBITMAP Bmp;
  HGDIOBJ Old;
  uint32_t* Bits = nullptr;
  int W, H;
  Picture(int w, int h) : W(w), H(h) {
    BITMAPINFO bi{};
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;
    bi.bmiHeader.biBitCount = 32;
    Dc = CreateCompatibleDC(nullptr);
    void* bits = nullptr;
    Bmp = CreateDIBSection(Dc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    Old = SelectObject(Dc, Bmp);
    Bits = static_cast<uint32_t*>(bits);
  }
  ~Picture() {
    SelectObject(Dc, Old);
    DeleteObject(Bmp);
    DeleteDC(Dc);
  }
  uint32_t& At(int x, int y) { return Bits[size_t(y) * size_t(W) + size_t(x)]; }
};

uint32_t Premul(uint32_t r, uint32_t g, uint32_t b, uint32_t a) {
  return (a << 24) | ((r * a / 255) << 16) | ((g * a / 255) << 8) | (b * a / 255);
}

HWND Make(DWORD ex, DWORD style, int x, int y, int w, int h, HWND owner, const Look* look) {
  HWND wnd = CreateWindowExW(ex, u"QnShapesWnd", u"", style, x, y, w, h, owner, nullptr, nullptr, nullptr);
  if (look) SetWindowLongPtrW(wnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(look));
  return wnd;
}

// The soft border: four layered windows cut from one shadow picture around
// the form's rectangle, with alpha falling off away from the form.
void SoftBorder(HWND form, HWND border[4]) {
  RECT fr;
  GetWindowRect(form, &fr);
  int w = fr.Width(), h = fr.Height();
  Picture shadow(w + 2 * kEdge, h + 2 * kEdge);
  for (int y = 0; y < shadow.H; ++y)
    for (int x = 0; x < shadow.W; ++x) {
      int dx = std::max({0, kEdge - x, x - (kEdge + w - 1)}), dy = std::max({0, kEdge - y, y - (kEdge + h - 1)});
      double d = std::sqrt(double(dx * dx + dy * dy));
      double a = d == 0 ? 0 : std::max(0.0, 1.0 - d / (kEdge + 1));
      shadow.At(x, y) = Premul(0, 8, 24, uint32_t(210 * a * std::sqrt(a)));
    }
  const TRect parts[4] = {TRect(0, kEdge, kEdge, kEdge + h), TRect(0, 0, w + 2 * kEdge, kEdge),
                          TRect(kEdge + w, kEdge, w + 2 * kEdge, kEdge + h), TRect(0, kEdge + h, w + 2 * kEdge, h + 2 * kEdge)};
  BLENDFUNCTION bf;
  bf.AlphaFormat = AC_SRC_ALPHA;
  for (int i = 0; i < 4; ++i) {
    POINT dst(fr.Left - kEdge + parts[i].Left, fr.Top - kEdge + parts[i].Top), src(parts[i].Left, parts[i].Top);
    SIZE size(parts[i].Width(), parts[i].Height());
    UpdateLayeredWindow(border[i], nullptr, &dst, &size, shadow.Dc, &src, 0, &bf, ULW_ALPHA);
  }
}

}  // namespace

std::vector<std::string> ShapesPage(const std::string& outDir) {
  static const Look kBack{RGB(236, 240, 246), RGB(196, 210, 232), u"A plain window under the shapes"},
      kForm{RGB(250, 248, 240), RGB(90, 140, 210), u"A rounded form\nwith a soft layered border"},
      kHalf{RGB(255, 220, 120), RGB(220, 150, 40), u"Half opacity"};
  WNDCLASSEXW wc;
  wc.lpfnWndProc = ShapePaint;
  wc.hbrBackground = reinterpret_cast<HBRUSH>(uintptr_t(COLOR_WINDOW + 1));
  wc.lpszClassName = u"QnShapesWnd";
  RegisterClassExW(&wc);
  SetScreenSize(560, 360);
  SetDesktopColor(RGB(48, 86, 128));

  HWND back = Make(0, WS_POPUP | WS_VISIBLE, 20, 20, 300, 220, nullptr, &kBack);
  // The form: a region with rounded corners, its border following it.
  HWND form = Make(0, WS_POPUP | WS_VISIBLE, 200, 110, 230, 150, nullptr, &kForm);
  SetWindowRgn(form, CreateRoundRectRgn(0, 0, 231, 151, 40, 40), true);
  HWND border[4];
  for (HWND& b : border) {
    b = Make(WS_EX_LAYERED | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, WS_POPUP, 0, 0, 1, 1, form, nullptr);
  }
  SoftBorder(form, border);
  for (HWND b : border) ShowWindow(b, SW_SHOWNA);
  // Half opacity over the plain window and the form.
  HWND half = Make(WS_EX_LAYERED, WS_POPUP | WS_VISIBLE, 60, 170, 200, 110, nullptr, &kHalf);
  SetLayeredWindowAttributes(half, 0, 128, LWA_ALPHA);
  // A ring: everything magenta is keyed away.
  HWND ring = Make(WS_EX_LAYERED, WS_POPUP, 440, 30, 100, 100, nullptr, &kHalf);
  SetLayeredWindowAttributes(ring, RGB(255, 0, 255), 255, LWA_COLORKEY);
  ShowWindow(ring, SW_SHOWNA);
  MSG m;
  while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);
  {
    HDC dc = GetDC(ring);
    RECT all(0, 0, 100, 100);
    HBRUSH key = CreateSolidBrush(RGB(255, 0, 255)), gold = CreateSolidBrush(RGB(230, 180, 40));
    FillRect(dc, &all, key);
    HGDIOBJ ob = SelectObject(dc, gold);
    HGDIOBJ op = SelectObject(dc, GetStockObject(NULL_PEN));
    Ellipse(dc, 0, 0, 101, 101);
    SelectObject(dc, key);
    Ellipse(dc, 25, 25, 76, 76);
    SelectObject(dc, ob);
    SelectObject(dc, op);
    DeleteObject(key);
    DeleteObject(gold);
    ReleaseDC(ring, dc);
  }
  // A glow: a radial gradient of alpha from UpdateLayeredWindow.
  HWND glow = Make(WS_EX_LAYERED | WS_EX_TRANSPARENT, WS_POPUP, 0, 0, 1, 1, nullptr, nullptr);
  {
    Picture p(140, 140);
    for (int y = 0; y < p.H; ++y)
      for (int x = 0; x < p.W; ++x) {
        double d = std::hypot(x - 69.5, y - 69.5) / 70.0;
        double a = std::clamp(1.0 - d, 0.0, 1.0);
        p.At(x, y) = Premul(255, 250, 200, uint32_t(230 * a * a));
      }
    POINT dst(400, 190);
    SIZE size(140, 140);
    BLENDFUNCTION bf;
    bf.AlphaFormat = AC_SRC_ALPHA;
    UpdateLayeredWindow(glow, nullptr, &dst, &size, p.Dc, nullptr, 0, &bf, ULW_ALPHA);
  }
  ShowWindow(glow, SW_SHOWNA);
  while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);

  // Names for the two shapes that carry no text of their own, written on
  // the screen over the desktop.
  {
    HDC sdc = GetDC(nullptr);
    HFONT font = CreateFontW(-12, 0, 0, 0, FW_BOLD, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, u"DejaVu Sans");
    HGDIOBJ old = SelectObject(sdc, font);
    SetBkMode(sdc, TRANSPARENT);
    SetTextColor(sdc, RGB(255, 255, 255));
    RECT ring{436, 136, 560, 152}, glow{380, 318, 560, 334};
    DrawTextW(sdc, u"colour-keyed ring", -1, &ring, DT_CENTER | DT_SINGLELINE | DT_NOPREFIX);
    DrawTextW(sdc, u"per-pixel alpha glow", -1, &glow, DT_CENTER | DT_SINGLELINE | DT_NOPREFIX);
    SelectObject(sdc, old);
    DeleteObject(font);
    ReleaseDC(nullptr, sdc);
  }
  std::vector<std::string> out;
  std::string path = outDir + "/shapes.png";
  SaveScreenSnapshot(path);
  ClearScreenOverlay();
  Hold();  // live: the page stays up until its windows are closed
  out.push_back(path);
  for (HWND h : {glow, ring, half, form, back}) DestroyWindow(h);
  UnregisterClassW(u"QnShapesWnd", nullptr);
  ResetScreenConfiguration();
  return out;
}

}  // namespace gallery
