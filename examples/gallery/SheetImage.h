// The pixels of a sheet drawn with GDI into a bitmap, read back through the
// public GetDIBits as an opaque screen image: GDI leaves the alpha byte of
// what it draws at 0, and a sheet is a picture to look at, not to compose.
#pragma once

#include <cstring>
#include <vector>

#include "platform/desktop/Desktop.h"
#include "platform/vcl/Graphics.h"

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

// A caption for a picture built pixel by pixel: its top-left corner and text,
// in the sheets' heading (bold) or label style.
struct TImageLabel {
  int X = 0, Y = 0;
  vcl::String Text;
  bool Bold = false;
};

inline constexpr vcl::COLORREF kHeadingColor = vcl::RGB(40, 48, 60);
inline constexpr vcl::COLORREF kLabelColor = vcl::RGB(72, 80, 92);

// The image with the labels written over it (the alpha made opaque).
inline vcl::TScreenImage WithLabels(const vcl::TScreenImage& img, const std::vector<TImageLabel>& labels) {
  using namespace vcl;
  TBitmap bmp;
  bmp.SetPixelFormat(TPixelFormat::pf32bit);
  bmp.SetSize(img.Width, img.Height);
  TCanvas* c = bmp.Canvas();
  BlitImage(c->Handle(), img, 0, 0);
  c->Brush()->SetStyle(TBrushStyle::bsClear);
  c->Font()->SetName(u"DejaVu Sans");
  c->Font()->SetSize(8);
  for (const TImageLabel& l : labels) {
    c->Font()->SetStyle(l.Bold ? TFontStyles{TFontStyle::fsBold} : TFontStyles());
    c->Font()->SetColor(TColor(l.Bold ? kHeadingColor : kLabelColor));
    c->TextOut(l.X, l.Y, l.Text);
  }
  return BitmapImage(c->Handle(), bmp.Handle(), img.Width, img.Height);
}

}  // namespace gallery
