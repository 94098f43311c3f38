// The pixels of a sheet drawn with GDI into a bitmap, read back through the
// public GetDIBits as an opaque screen image: GDI leaves the alpha byte of
// what it draws at 0, and a sheet is a picture to look at, not to compose.
#pragma once

#include <algorithm>
#include <cstring>
#include <functional>
#include <vector>

#include "platform/desktop/Desktop.h"
#include "platform/gdi/GdiIcon.h"
#include "platform/vcl/Graphics.h"

namespace vcl {
class TForm;
}

namespace gallery {

// Where a sheet hands the form that holds its controls, laid out as the
// picture shows them, and the finished picture to the live gallery; unset
// when the sheet is only drawn.
using TSheetLive = std::function<void(vcl::TForm* Form, const vcl::TScreenImage& Picture)>;

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

// Lays a cursor's opaque pixels over a screen picture with its hotspot at pt
// (screen pictures have no pointer of their own).
inline void DrawCursor(vcl::TScreenImage& image, vcl::HCURSOR cursor, vcl::TPoint pt) {
  using namespace vcl;
  ICONINFO ii;
  if (!GetIconInfo(cursor, &ii)) return;
  std::vector<uint32_t> px(32 * 32);
  BITMAPINFO bmi{};
  bmi.bmiHeader.biWidth = 32;
  bmi.bmiHeader.biHeight = -32;
  bmi.bmiHeader.biPlanes = 1;
  bmi.bmiHeader.biBitCount = 32;
  HDC dc = CreateCompatibleDC(nullptr);
  GetDIBits(dc, ii.hbmColor, 0, 32, px.data(), &bmi, DIB_RGB_COLORS);
  DeleteDC(dc);
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 32; ++x) {
      int sx = pt.X - Integer(ii.xHotspot) + x, sy = pt.Y - Integer(ii.yHotspot) + y;
      uint32_t c = px[size_t(y * 32 + x)];
      if ((c >> 24) == 0xFF && sx >= 0 && sy >= 0 && sx < image.Width && sy < image.Height)
        image.Pixels[size_t(sy) * size_t(image.Width) + size_t(sx)] = c;
    }
  DeleteObject(ii.hbmColor);
  DeleteObject(ii.hbmMask);
}

// The part of an image inside r (clipped to the image).
inline vcl::TScreenImage CropImage(const vcl::TScreenImage& img, vcl::TRect r) {
  vcl::TScreenImage out;
  r.Left = std::max(r.Left, 0);
  r.Top = std::max(r.Top, 0);
  r.Right = std::min(r.Right, img.Width);
  r.Bottom = std::min(r.Bottom, img.Height);
  if (r.Right <= r.Left || r.Bottom <= r.Top) return out;
  out.Width = r.Width();
  out.Height = r.Height();
  out.Pixels.resize(size_t(out.Width) * size_t(out.Height));
  for (int y = 0; y < out.Height; ++y)
    std::copy_n(img.Pixels.begin() + std::ptrdiff_t(size_t(r.Top + y) * size_t(img.Width) + size_t(r.Left)), out.Width,
                out.Pixels.begin() + std::ptrdiff_t(size_t(y) * size_t(out.Width)));
  return out;
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
