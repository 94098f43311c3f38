// Text layout under any text and flags: DrawText (wrapping, prefixes, tabs,
// ellipses, DT_MODIFYSTRING), ExtTextOut with advances, extents and glyph
// outlines. The box provider keeps runs fast and independent of the fonts
// installed. Layout: 4 bytes format, 2 bytes width, 1 byte height, 1 byte
// escapement step, then UTF-16 text.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/gdi/FontEngine.h"

using namespace vcl;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 8) return 0;
  UINT format;
  std::memcpy(&format, data, 4);
  int w = (data[4] | (data[5] << 8)) % 400;
  int h = data[6];
  int esc = (data[7] % 8) * 450;
  size_t n = (size - 8) / 2;
  // Room for DT_MODIFYSTRING's four extra characters.
  std::vector<WCHAR> text(n + 5, 0);
  std::memcpy(text.data(), data + 8, n * 2);

  TGlyphProviderPtr old = SetGlyphProvider(BoxGlyphProvider());
  BITMAPINFO bi{};
  bi.bmiHeader.biWidth = 96;
  bi.bmiHeader.biHeight = -64;
  bi.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HBITMAP bmp = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ oldBmp = SelectObject(dc, bmp);
  HFONT font = CreateFontW(-12 - int(data[6] % 8), 0, esc, esc, FW_NORMAL, 0, data[7] & 0x40, data[7] & 0x80, 0, 0,
                           0, 0, 0, u"Tahoma");
  HGDIOBJ oldFont = SelectObject(dc, font);
  SetBkMode(dc, (data[7] & 0x20) ? OPAQUE : TRANSPARENT);

  RECT r{3, 2, 3 + w, 2 + h};
  std::vector<uint32_t> before(static_cast<uint32_t*>(bits), static_cast<uint32_t*>(bits) + 96 * 64);
  int height = DrawTextW(dc, text.data(), int(n), &r, format);
  // DT_TABSTOP's tab count takes the byte DT_CALCRECT lives in.
  if ((format & DT_CALCRECT) && !(format & DT_TABSTOP)) {
    // Measuring draws nothing and reports the rectangle it returns.
    if (std::memcmp(before.data(), bits, before.size() * 4) != 0) std::abort();
    if (r.Bottom - r.Top != height || r.Right < r.Left) std::abort();
  }
  if (text[n + 4] != 0) std::abort();

  std::vector<int> dx(n);
  for (size_t i = 0; i < n; ++i) dx[i] = int(text[i] % 13) - 3;
  ExtTextOutW(dc, 5, 30, ETO_CLIPPED | ETO_OPAQUE, &r, text.data(), UINT(n), dx.data());
  SetTextAlign(dc, TA_UPDATECP | TA_CENTER | TA_BASELINE);
  TextOutW(dc, 0, 0, text.data(), int(n));
  int fit = 0;
  std::vector<int> partial(n + 1);
  SIZE sz;
  GetTextExtentExPointW(dc, text.data(), int(n), w, &fit, partial.data(), &sz);
  if (fit < 0 || size_t(fit) > n) std::abort();
  MAT2 m{{0, 1}, {0, 0}, {0, 0}, {0, -1}};
  GLYPHMETRICS gm;
  std::vector<uint8_t> buf(256);
  for (size_t i = 0; i < n && i < 4; ++i)
    GetGlyphOutlineW(dc, text[i], GGO_NATIVE, &gm, DWORD(buf.size()), buf.data(), &m);

  SelectObject(dc, oldFont);
  DeleteObject(font);
  SelectObject(dc, oldBmp);
  DeleteDC(dc);
  DeleteObject(bmp);
  SetGlyphProvider(old);
  return 0;
}
