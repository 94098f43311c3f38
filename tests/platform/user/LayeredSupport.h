// Helpers of the window-shape tests: 32-bit pictures in memory DCs, filled
// windows, and the composition formulas the screen must follow.
#pragma once

#include <algorithm>
#include <cmath>

#include "tests/platform/user/UserTestSupport.h"

namespace usertest {

// A top-down 32-bit DIB section selected into a memory DC.
struct Picture {
  HDC Dc = nullptr;
  HBITMAP Bmp = nullptr;
  HGDIOBJ Old = nullptr;
  uint32_t* Bits = nullptr;
  int W = 0, H = 0;
  Picture(int w, int h) : W(w), H(h) {
    BITMAPINFO bi{};
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
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
  Picture(const Picture&) = delete;
  Picture& operator=(const Picture&) = delete;
  uint32_t& At(int x, int y) { return Bits[size_t(y) * size_t(W) + size_t(x)]; }
  void Fill(uint32_t p) { std::fill(Bits, Bits + size_t(W) * size_t(H), p); }
};

// A premultiplied pixel of a colour at an alpha.
inline uint32_t Premul(COLORREF c, uint32_t a) {
  auto ch = [a](uint32_t v) { return (v * a + 127) / 255; };
  return (a << 24) | (ch(GetRValue(c)) << 16) | (ch(GetGValue(c)) << 8) | ch(GetBValue(c));
}

inline uint32_t Opaque(COLORREF c) {
  return 0xFF000000u | (uint32_t(GetRValue(c)) << 16) | (uint32_t(GetGValue(c)) << 8) | GetBValue(c);
}

// The premultiplied "over" of source s scaled by k onto opaque d, in exact
// arithmetic rounded once.
inline uint32_t OverRef(uint32_t s, uint32_t d, uint32_t k) {
  double a = double(s >> 24) * k / (255.0 * 255.0);
  uint32_t out = 0xFF000000u;
  for (int c = 0; c < 24; c += 8) {
    double v = double((s >> c) & 0xFF) * k / 255.0 + double((d >> c) & 0xFF) * (1.0 - a);
    out |= uint32_t(std::min(255.0, std::floor(v + 0.5))) << c;
  }
  return out;
}

// Colour s at constant opacity k over d.
inline uint32_t MixRef(uint32_t s, uint32_t d, uint32_t k) {
  uint32_t out = 0xFF000000u;
  for (int c = 0; c < 24; c += 8) {
    double v = (double((s >> c) & 0xFF) * k + double((d >> c) & 0xFF) * (255 - k)) / 255.0;
    out |= uint32_t(std::floor(v + 0.5)) << c;
  }
  return out;
}

// The largest difference of the colour bytes.
inline int ColorDistance(uint32_t a, uint32_t b) {
  int d = 0;
  for (int c = 0; c < 24; c += 8) d = std::max(d, std::abs(int((a >> c) & 0xFF) - int((b >> c) & 0xFF)));
  return d;
}

// Makes the window paint its client area in one colour.
inline void PaintSolid(HWND h, COLORREF c) {
  SetHandler(h, [c](HWND hw, UINT msg, WPARAM, LPARAM, bool& handled) -> LRESULT {
    handled = msg == WM_PAINT;
    if (!handled) return 0;
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hw, &ps);
    RECT r;
    GetClientRect(hw, &r);
    HBRUSH b = CreateSolidBrush(c);
    FillRect(dc, &r, b);
    DeleteObject(b);
    EndPaint(hw, &ps);
    return 0;
  });
  InvalidateRect(h, nullptr, false);
}

class ShapeTest : public ServerTest {
 protected:
  void SetUp() override {
    ServerTest::SetUp();
    ResetInput();
    SetScreenSize(320, 240);
    SetDesktopColor(kDesk);
  }
  void TearDown() override {
    ReleaseCapture();
    ResetInput();
    ServerTest::TearDown();
    SetDesktopColor(RGB(0, 0, 0));
    ResetScreenConfiguration();
  }
  static constexpr COLORREF kDesk = RGB(40, 80, 120);
};

}  // namespace usertest
