// The pixels of a sheet drawn with GDI into a bitmap, read back through the
// public GetDIBits as an opaque screen image: GDI leaves the alpha byte of
// what it draws at 0, and a sheet is a picture to look at, not to compose.
#pragma once

#include <cstring>

#include "platform/desktop/Desktop.h"

namespace gallery {

inline vcl::TScreenImage BitmapImage(vcl::HDC dc, vcl::HBITMAP bmp, int width, int height) {
  vcl::TScreenImage img;
  img.Width = width;
  img.Height = height;
  img.Pixels.assign(size_t(width) * size_t(height), 0);
  vcl::BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = width;
  bi.bmiHeader.biHeight = -height;  // top-down rows, as the image keeps them
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  vcl::GetDIBits(dc, bmp, 0, vcl::UINT(height), img.Pixels.data(), &bi, vcl::DIB_RGB_COLORS);
  for (uint32_t& p : img.Pixels) p |= 0xFF000000u;
  return img;
}

// Draws a captured image onto dc with its top-left corner at (x0, y0).
inline void BlitImage(vcl::HDC dc, const vcl::TScreenImage& img, int x0, int y0) {
  vcl::BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = img.Width;
  bi.bmiHeader.biHeight = -img.Height;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  vcl::StretchDIBits(dc, x0, y0, img.Width, img.Height, 0, 0, img.Width, img.Height, img.Pixels.data(), &bi,
                     vcl::DIB_RGB_COLORS, vcl::SRCCOPY);
}

}  // namespace gallery
