// Helpers for the GDI tests: a 32-bit DIB in a memory DC, pixel reads and
// pixel-set comparisons.
#pragma once

#include <set>
#include <utility>

#include "platform/gdi/GdiSurface.h"

namespace gditest {

using namespace vcl;

// A W x H 32-bit top-down DIB section selected into a memory DC, filled with fill.
struct TDib {
  HDC DC = nullptr;
  HBITMAP Bmp = nullptr;
  HGDIOBJ Old = nullptr;
  uint32_t* Bits = nullptr;
  int W = 0, H = 0;
  TDib(int w, int h, uint32_t fill = 0xFF000000u, bool topDown = true) : W(w), H(h) {
    BITMAPINFO bi{};
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = topDown ? -h : h;
    bi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    Bmp = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    Bits = static_cast<uint32_t*>(bits);
    DC = CreateCompatibleDC(nullptr);
    Old = SelectObject(DC, Bmp);
    for (int i = 0; i < w * h; ++i) Bits[i] = fill;
  }
  ~TDib() {
    SelectObject(DC, Old);
    DeleteDC(DC);
    DeleteObject(Bmp);
  }
  TDib(const TDib&) = delete;
  TDib& operator=(const TDib&) = delete;
  // Top-down pixel (x, y) whatever the memory order.
  uint32_t& At(int x, int y) { return GetBitmapSurface(Bmp)->Pixel(x, y); }
  // The pixels whose value differs from background.
  std::set<std::pair<int, int>> Changed(uint32_t background) {
    std::set<std::pair<int, int>> s;
    for (int y = 0; y < H; ++y)
      for (int x = 0; x < W; ++x)
        if (At(x, y) != background) s.insert({x, y});
    return s;
  }
};

inline std::set<std::pair<int, int>> RectSet(int l, int t, int r, int b) {
  std::set<std::pair<int, int>> s;
  for (int y = t; y < b; ++y)
    for (int x = l; x < r; ++x) s.insert({x, y});
  return s;
}

}  // namespace gditest
