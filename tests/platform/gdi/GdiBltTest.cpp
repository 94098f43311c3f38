// Block transfers: every raster operation, depth conversions, stretching,
// masks, transparency and AlphaBlend against their formulas.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "tests/platform/gdi/GdiTestSupport.h"

namespace t_gdi_blt_test {

using namespace vcl;
using namespace gditest;

namespace {
// Bit i of the operation's truth table is the result for pattern bit
// (i >> 2) & 1, source bit (i >> 1) & 1 and destination bit i & 1.
uint32_t RopReference(DWORD rop, uint32_t p, uint32_t s, uint32_t d) {
  uint32_t r = 0;
  for (int bit = 0; bit < 32; ++bit) {
    unsigned i = (((p >> bit) & 1) << 2) | (((s >> bit) & 1) << 1) | ((d >> bit) & 1);
    r |= uint32_t(((rop >> 16) >> i) & 1) << bit;
  }
  return r;
}
}  // namespace

TEST(Platform_GdiBlt, EveryRasterOperationOnKnownBytes) {
  const uint32_t S = 0x5AC3F00Fu, D = 0x3C96A55Au, P = 0x00E11E78u;  // brushes have alpha 0
  TDib src(2, 1, S), dst(2, 1, D);
  HBRUSH brush = CreateSolidBrush(PixelToColorRef(P));
  SelectObject(dst.DC, brush);
  for (DWORD index = 0; index < 256; ++index) {
    DWORD rop = index << 16;
    dst.At(0, 0) = D;
    ASSERT_TRUE(BitBlt(dst.DC, 0, 0, 1, 1, src.DC, 0, 0, rop));
    ASSERT_EQ(dst.At(0, 0), RopReference(rop, P, S, D)) << std::hex << "rop " << index;
    ASSERT_EQ(dst.At(1, 0), D);
  }
  // The named operations are the documented expressions.
  struct {
    DWORD Rop;
    uint32_t Value;
  } named[] = {{SRCCOPY, S},          {SRCPAINT, S | D},        {SRCAND, S & D},       {SRCINVERT, S ^ D},
               {SRCERASE, S & ~D},    {NOTSRCCOPY, ~S},         {NOTSRCERASE, ~(S | D)}, {MERGECOPY, P & S},
               {MERGEPAINT, ~S | D},  {PATCOPY, P},             {PATPAINT, P | ~S | D}, {PATINVERT, P ^ D},
               {DSTINVERT, ~D},       {BLACKNESS, 0},           {WHITENESS, ~0u}};
  for (auto& n : named) {
    dst.At(0, 0) = D;
    BitBlt(dst.DC, 0, 0, 1, 1, src.DC, 0, 0, n.Rop);
    EXPECT_EQ(dst.At(0, 0), n.Value) << std::hex << n.Rop;
  }
  SelectObject(dst.DC, GetStockObject(WHITE_BRUSH));
  DeleteObject(brush);
}

TEST(Platform_GdiBlt, MonochromeConversions) {
  TDib colour(4, 1, 0);
  colour.At(0, 0) = 0x00FFFFFF;
  colour.At(1, 0) = 0xFF123456;
  colour.At(2, 0) = 0x00123456;
  colour.At(3, 0) = 0;
  HDC mdc = CreateCompatibleDC(nullptr);
  HBITMAP mono = CreateBitmap(4, 1, 1, 1, nullptr);
  SelectObject(mdc, mono);
  // Colour to monochrome: the source's background colour becomes white.
  SetBkColor(colour.DC, RGB(0x12, 0x34, 0x56));
  BitBlt(mdc, 0, 0, 4, 1, colour.DC, 0, 0, SRCCOPY);
  Byte bits[2] = {};
  GetBitmapBits(mono, 2, bits);
  EXPECT_EQ(bits[0], 0x60);  // pixels 1 and 2
  // Monochrome to colour: 0 takes the text colour, 1 the background colour.
  TDib out(4, 1, 0xFFFFFFFFu);
  SetTextColor(out.DC, RGB(255, 0, 0));
  SetBkColor(out.DC, RGB(0, 0, 255));
  BitBlt(out.DC, 0, 0, 4, 1, mdc, 0, 0, SRCCOPY);
  EXPECT_EQ(out.At(0, 0), 0x00FF0000u);
  EXPECT_EQ(out.At(1, 0), 0x000000FFu);
  EXPECT_EQ(out.At(2, 0), 0x000000FFu);
  EXPECT_EQ(out.At(3, 0), 0x00FF0000u);
  // Drawing on a monochrome bitmap maps colours to black or white.
  SetPixel(mdc, 0, 0, RGB(200, 200, 200));
  SetPixel(mdc, 1, 0, RGB(40, 40, 90));
  EXPECT_EQ(GetPixel(mdc, 0, 0), RGB(255, 255, 255));
  EXPECT_EQ(GetPixel(mdc, 1, 0), RGB(0, 0, 0));
  DeleteDC(mdc);
  DeleteObject(mono);
}

TEST(Platform_GdiBlt, OverlappingCopyScrolls) {
  TDib dib(10, 10, 0);
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 10; ++x) dib.At(x, y) = uint32_t(y * 10 + x);
  BitBlt(dib.DC, 1, 2, 8, 7, dib.DC, 0, 0, SRCCOPY);
  for (int y = 2; y < 9; ++y)
    for (int x = 1; x < 9; ++x) EXPECT_EQ(dib.At(x, y), uint32_t((y - 2) * 10 + x - 1));
  EXPECT_EQ(dib.At(0, 5), 50u);
  // Source pixels outside the source leave the destination alone.
  TDib small(2, 2, 0xAAAAAAAAu), big(4, 4, 0x11111111u);
  BitBlt(big.DC, 0, 0, 4, 4, small.DC, 0, 0, SRCCOPY);
  EXPECT_EQ(big.At(1, 1), 0xAAAAAAAAu);
  EXPECT_EQ(big.At(2, 2), 0x11111111u);
}

TEST(Platform_GdiBlt, StretchNearestAndHalftone) {
  TDib src(2, 2, 0);
  src.At(0, 0) = 0x10203040u;
  src.At(1, 0) = 0x50607080u;
  src.At(0, 1) = 0x90A0B0C0u;
  src.At(1, 1) = 0xD0E0F000u;
  TDib big(4, 4, 0);
  SetStretchBltMode(big.DC, COLORONCOLOR);
  StretchBlt(big.DC, 0, 0, 4, 4, src.DC, 0, 0, 2, 2, SRCCOPY);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) EXPECT_EQ(big.At(x, y), src.At(x / 2, y / 2));
  // Mirrored by opposite signs.
  TDib mir(2, 2, 0);
  StretchBlt(mir.DC, 1, 0, -2, 2, src.DC, 0, 0, 2, 2, SRCCOPY);
  EXPECT_EQ(mir.At(0, 0), src.At(1, 0));
  EXPECT_EQ(mir.At(1, 1), src.At(0, 1));
  // Halftone shrinking averages each covered block, all four bytes.
  TDib four(4, 2, 0);
  const uint32_t v[8] = {0x00000000, 0x04080C10, 0xFF00FF00, 0x0100FF00, 0x08101820, 0x0C182430, 0x01020304, 0x03040506};
  for (int i = 0; i < 8; ++i) four.At(i % 4, i / 4) = v[i];
  TDib half(2, 1, 0);
  SetStretchBltMode(half.DC, HALFTONE);
  StretchBlt(half.DC, 0, 0, 2, 1, four.DC, 0, 0, 4, 2, SRCCOPY);
  auto avg = [](std::initializer_list<uint32_t> px) {
    uint32_t r = 0;
    for (int c = 0; c < 32; c += 8) {
      double s = 0;
      for (uint32_t p : px) s += (p >> c) & 0xFF;
      r |= uint32_t(std::floor(s / double(px.size()) + 0.5)) << c;
    }
    return r;
  };
  EXPECT_EQ(half.At(0, 0), avg({v[0], v[1], v[4], v[5]}));
  EXPECT_EQ(half.At(1, 0), avg({v[2], v[3], v[6], v[7]}));
  // Nearest shrinking takes whole source pixels.
  SetStretchBltMode(half.DC, COLORONCOLOR);
  StretchBlt(half.DC, 0, 0, 2, 1, four.DC, 0, 0, 4, 2, SRCCOPY);
  for (int x = 0; x < 2; ++x) {
    bool found = false;
    for (uint32_t p : v) found |= half.At(x, 0) == p;
    EXPECT_TRUE(found);
  }
}

TEST(Platform_GdiBlt, AlphaBlendFollowsTheFormula) {
  std::mt19937 rng(5);
  auto check = [&](BLENDFUNCTION bf, bool premultiplied = true) {
    TDib src(16, 16, 0), dst(16, 16, 0);
    for (int i = 0; i < 256; ++i) {
      uint32_t a = rng() & 0xFF;
      uint32_t s = a << 24;
      for (int c = 0; c < 24; c += 8) s |= (bf.AlphaFormat && premultiplied ? (rng() % (a + 1)) : (rng() & 0xFF)) << c;
      src.Bits[i] = s;
      dst.Bits[i] = rng();
    }
    std::vector<uint32_t> before(dst.Bits, dst.Bits + 256);
    ASSERT_TRUE(AlphaBlend(dst.DC, 0, 0, 16, 16, src.DC, 0, 0, 16, 16, bf));
    double k = bf.SourceConstantAlpha / 255.0;
    for (int i = 0; i < 256; ++i) {
      uint32_t s = src.Bits[i], d = before[size_t(i)], got = dst.Bits[i];
      double sa = ((s >> 24) & 0xFF) * k;
      for (int c = 0; c < 32; c += 8) {
        double sc = ((s >> c) & 0xFF) * k, dc = (d >> c) & 0xFF;
        double e = bf.AlphaFormat ? sc + dc * (1 - sa / 255.0) : sc + dc * (1 - k);
        e = std::min(255.0, e);
        ASSERT_NEAR(double((got >> c) & 0xFF), e, 0.5 + 1e-9) << "pixel " << i << " byte " << c / 8;
      }
    }
  };
  check({AC_SRC_OVER, 0, 255, AC_SRC_ALPHA});
  check({AC_SRC_OVER, 0, 100, AC_SRC_ALPHA});
  check({AC_SRC_OVER, 0, 77, 0});
  check({AC_SRC_OVER, 0, 255, 0});
  check({AC_SRC_OVER, 0, 255, AC_SRC_ALPHA}, false);  // saturates
  // Clipped to both surfaces; negative sizes fail.
  TDib s(4, 4, 0xFFFFFFFFu), d(4, 4, 0xFF000000u);
  BLENDFUNCTION bf{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
  EXPECT_TRUE(AlphaBlend(d.DC, 2, 2, 4, 4, s.DC, 0, 0, 4, 4, bf));
  EXPECT_EQ(d.At(3, 3), 0xFFFFFFFFu);
  EXPECT_EQ(d.At(1, 1), 0xFF000000u);
  EXPECT_TRUE(AlphaBlend(d.DC, 0, 0, 4, 4, s.DC, 2, 2, 4, 4, bf));
  EXPECT_EQ(d.At(0, 0), 0xFFFFFFFFu);
  EXPECT_FALSE(AlphaBlend(d.DC, 0, 0, -1, 4, s.DC, 0, 0, 4, 4, bf));
  // Onto itself, shifted: the source is read before it is overwritten.
  TDib self(6, 1, 0);
  for (int i = 0; i < 6; ++i) self.Bits[i] = 0x10101010u * uint32_t(i + 1);
  std::vector<uint32_t> orig(self.Bits, self.Bits + 6);
  BLENDFUNCTION half{AC_SRC_OVER, 0, 128, 0};
  EXPECT_TRUE(AlphaBlend(self.DC, 1, 0, 5, 1, self.DC, 0, 0, 5, 1, half));
  for (int i = 1; i < 6; ++i)
    for (int c = 0; c < 32; c += 8) {
      double e = ((orig[size_t(i - 1)] >> c) & 0xFF) * 128 / 255.0 + ((orig[size_t(i)] >> c) & 0xFF) * 127 / 255.0;
      EXPECT_NEAR(double((self.Bits[i] >> c) & 0xFF), e, 0.5 + 1e-9);
    }
}

TEST(Platform_GdiBlt, MaskAndTransparentTransfers) {
  TDib src(4, 1, 0x00AA0000u), dst(4, 1, 0x000000BBu);
  Byte maskBits[2] = {0xA0, 0};  // pixels 0 and 2
  HBITMAP mask = CreateBitmap(4, 1, 1, 1, maskBits);
  EXPECT_TRUE(MaskBlt(dst.DC, 0, 0, 4, 1, src.DC, 0, 0, mask, 0, 0, MAKEROP4(SRCCOPY, DSTINVERT)));
  EXPECT_EQ(dst.At(0, 0), 0x00AA0000u);
  EXPECT_EQ(dst.At(1, 0), ~0x000000BBu);
  EXPECT_EQ(dst.At(2, 0), 0x00AA0000u);
  HBITMAP colour = CreateCompatibleBitmap(nullptr, 4, 1);
  EXPECT_FALSE(MaskBlt(dst.DC, 0, 0, 4, 1, src.DC, 0, 0, colour, 0, 0, SRCCOPY));
  DeleteObject(colour);
  DeleteObject(mask);

  TDib key(2, 2, 0xFF00FF00u), out(4, 4, 0xFF000000u);
  key.At(1, 1) = 0x80123456u;
  EXPECT_TRUE(TransparentBlt(out.DC, 0, 0, 4, 4, key.DC, 0, 0, 2, 2, RGB(0, 255, 0)));
  EXPECT_EQ(out.At(0, 0), 0xFF000000u);
  EXPECT_EQ(out.At(3, 3), 0x80123456u);
  EXPECT_EQ(out.At(2, 2), 0x80123456u);
}

TEST(Platform_GdiBlt, DibOrientationAndDibTransfers) {
  // Bottom-up: the first row in memory is the bottom of the picture.
  TDib up(3, 2, 0, false), down(3, 2, 0, true);
  SetPixel(up.DC, 0, 0, RGB(1, 2, 3));
  SetPixel(down.DC, 0, 0, RGB(1, 2, 3));
  EXPECT_EQ(up.Bits[3], 0x00010203u);
  EXPECT_EQ(down.Bits[0], 0x00010203u);
  DIBSECTION ds;
  ASSERT_EQ(GetObject(up.Bmp, sizeof ds, &ds), int(sizeof ds));
  EXPECT_EQ(ds.dsBm.bmBits, static_cast<void*>(up.Bits));
  EXPECT_EQ(ds.dsBmih.biHeight, 2);
  EXPECT_EQ(ds.dsBm.bmWidthBytes, 12);

  // GetDIBits in either order, and depth round trips through SetDIBits.
  TDib pic(5, 3, 0);
  for (int i = 0; i < 15; ++i) pic.Bits[i] = (i % 3 == 0) ? 0x00FFFFFFu : (i % 3 == 1) ? 0x00800000u : 0x00000080u;
  for (int bpp : {1, 4, 8, 24, 32}) {
    for (int sign : {1, -1}) {
      std::vector<Byte> info(sizeof(BITMAPINFOHEADER) + 256 * 4);
      auto* bi = reinterpret_cast<BITMAPINFO*>(info.data());
      bi->bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
      bi->bmiHeader.biWidth = 5;
      bi->bmiHeader.biHeight = 3 * sign;
      bi->bmiHeader.biBitCount = WORD(bpp);
      ASSERT_EQ(GetDIBits(pic.DC, pic.Bmp, 0, 3, nullptr, bi, DIB_RGB_COLORS), 1);
      std::vector<Byte> bits(bi->bmiHeader.biSizeImage);
      ASSERT_EQ(GetDIBits(pic.DC, pic.Bmp, 0, 3, bits.data(), bi, DIB_RGB_COLORS), 3);
      HBITMAP back = CreateCompatibleBitmap(nullptr, 5, 3);
      ASSERT_EQ(SetDIBits(nullptr, back, 0, 3, bits.data(), bi, DIB_RGB_COLORS), 3);
      auto s = GetBitmapSurface(back);
      for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x) {
          uint32_t want = pic.Bits[y * 5 + x];
          if (bpp == 1) want = want == 0x00FFFFFFu ? want : 0;
          EXPECT_EQ(s->Pixel(x, y), want) << bpp << " bpp, sign " << sign << " at " << x << "," << y;
        }
      DeleteObject(back);
    }
  }
  // An 8-bit DIB section: GDI draws through to its indexes.
  std::vector<Byte> info(sizeof(BITMAPINFOHEADER) + 256 * 4);
  auto* bi = reinterpret_cast<BITMAPINFO*>(info.data());
  bi->bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  bi->bmiHeader.biPlanes = 1;
  bi->bmiHeader.biWidth = 4;
  bi->bmiHeader.biHeight = -2;
  bi->bmiHeader.biBitCount = 8;
  bi->bmiHeader.biClrUsed = 2;
  bi->bmiColors[0] = {0, 0, 0, 0};
  reinterpret_cast<RGBQUAD*>(bi->bmiColors)[1] = {0, 0, 255, 0};
  void* p = nullptr;
  HBITMAP eight = CreateDIBSection(nullptr, bi, DIB_RGB_COLORS, &p, nullptr, 0);
  ASSERT_NE(eight, nullptr);
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, eight);
  RECT r{1, 1, 3, 2};
  HBRUSH red = CreateSolidBrush(RGB(250, 0, 0));
  FillRect(dc, &r, red);
  auto* idx = static_cast<Byte*>(p);
  EXPECT_EQ(idx[4 + 1], 1);
  EXPECT_EQ(idx[4 + 0], 0);
  EXPECT_EQ(GetPixel(dc, 2, 1), RGB(255, 0, 0));
  SelectObject(dc, old);
  DeleteDC(dc);
  DeleteObject(red);
  DeleteObject(eight);
}

TEST(Platform_GdiBlt, StretchDIBitsAndSetDIBitsToDevice) {
  // A bottom-up 2x2 DIB: memory row 0 is the picture's bottom row.
  uint32_t px[4] = {0x00000001u, 0x00000002u, 0x00000003u, 0x00000004u};
  BITMAPINFO bi{};
  bi.bmiHeader.biWidth = 2;
  bi.bmiHeader.biHeight = 2;
  bi.bmiHeader.biBitCount = 32;
  TDib dst(4, 4, 0xFFFFFFFFu);
  EXPECT_EQ(SetDIBitsToDevice(dst.DC, 0, 0, 2, 2, 0, 0, 0, 2, px, &bi, DIB_RGB_COLORS), 2);
  EXPECT_EQ(dst.At(0, 0), 3u);
  EXPECT_EQ(dst.At(1, 1), 2u);
  // The source rectangle of a bottom-up DIB is measured from the bottom.
  EXPECT_EQ(StretchDIBits(dst.DC, 2, 2, 2, 2, 0, 0, 1, 1, px, &bi, DIB_RGB_COLORS, SRCCOPY), 2);
  EXPECT_EQ(dst.At(2, 2), 1u);
  EXPECT_EQ(dst.At(3, 3), 1u);
  // A top-down picture drawn a rectangle at a time, scan lines given as
  // the rectangle's height from scan 0, as the graphics library paints.
  uint32_t pic[16];
  for (int i = 0; i < 16; ++i) pic[i] = 0x100u + uint32_t(i);
  BITMAPINFO td{};
  td.bmiHeader.biWidth = 4;
  td.bmiHeader.biHeight = -4;
  td.bmiHeader.biBitCount = 32;
  TDib view(4, 4, 0);
  EXPECT_EQ(SetDIBitsToDevice(view.DC, 1, 2, 2, 2, 1, 2, 0, 2, pic, &td, DIB_RGB_COLORS), 2);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x)
      EXPECT_EQ(view.At(x, y), (x >= 1 && x < 3 && y >= 2) ? pic[y * 4 + x] : 0u) << x << "," << y;
  GdiForceSetDIBitsToDeviceFailure(true);
  EXPECT_EQ(SetDIBitsToDevice(dst.DC, 0, 0, 2, 2, 0, 0, 0, 2, px, &bi, DIB_RGB_COLORS), 0);
  GdiForceSetDIBitsToDeviceFailure(false);
  bi.bmiHeader.biBitCount = 7;
  EXPECT_EQ(StretchDIBits(dst.DC, 0, 0, 2, 2, 0, 0, 2, 2, px, &bi, DIB_RGB_COLORS, SRCCOPY), 0);
}

TEST(Platform_GdiBlt, LowerDepthAndMappedDibSections) {
  // A 24-bit section: the caller's bytes and GDI see each other's writes.
  BITMAPINFO bi{};
  bi.bmiHeader.biWidth = 3;
  bi.bmiHeader.biHeight = -2;
  bi.bmiHeader.biBitCount = 24;
  void* p = nullptr;
  HBITMAP b24 = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &p, nullptr, 0);
  ASSERT_NE(b24, nullptr);
  auto* bytes = static_cast<Byte*>(p);
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, b24);
  bytes[0] = 0x30;  // blue, green, red of pixel (0, 0)
  bytes[1] = 0x20;
  bytes[2] = 0x10;
  SetPixel(dc, 1, 1, RGB(0xAA, 0xBB, 0xCC));
  EXPECT_EQ(bytes[12 + 3], 0xCC);  // rows are padded to 12 bytes
  EXPECT_EQ(bytes[12 + 5], 0xAA);
  EXPECT_EQ(GetPixel(dc, 0, 0), RGB(0x10, 0x20, 0x30));
  bytes[12] = 0xFF;
  EXPECT_EQ(GetPixel(dc, 0, 1), RGB(0, 0, 0xFF));
  DIBSECTION ds;
  ASSERT_EQ(GetObject(b24, sizeof ds, &ds), int(sizeof ds));
  EXPECT_EQ(ds.dsBm.bmBitsPixel, 24);
  EXPECT_EQ(ds.dsBm.bmWidthBytes, 12);
  SelectObject(dc, old);
  DeleteObject(b24);

  // Sections from a mapping: the mapper supplies the memory.
  static uint32_t mapped[16];
  SetDIBSectionMapper([](HANDLE section, DWORD offset, size_t size) -> Byte* {
    if (section != reinterpret_cast<HANDLE>(uintptr_t(7)) || size > sizeof mapped - offset) return nullptr;
    return reinterpret_cast<Byte*>(mapped) + offset;
  });
  BITMAPINFO b32{};
  b32.bmiHeader.biWidth = 2;
  b32.bmiHeader.biHeight = -2;
  b32.bmiHeader.biBitCount = 32;
  HBITMAP m = CreateDIBSection(nullptr, &b32, DIB_RGB_COLORS, &p, reinterpret_cast<HANDLE>(uintptr_t(7)), 16);
  ASSERT_NE(m, nullptr);
  EXPECT_EQ(p, static_cast<void*>(&mapped[4]));
  old = SelectObject(dc, m);
  SetPixel(dc, 1, 1, RGB(1, 2, 3));
  EXPECT_EQ(mapped[4 + 3], 0x00010203u);
  GetObject(m, sizeof ds, &ds);
  EXPECT_EQ(ds.dshSection, reinterpret_cast<HANDLE>(uintptr_t(7)));
  EXPECT_EQ(ds.dsOffset, 16u);
  EXPECT_EQ(CreateDIBSection(nullptr, &b32, DIB_RGB_COLORS, &p, reinterpret_cast<HANDLE>(uintptr_t(8)), 0), nullptr);
  SetDIBSectionMapper(nullptr);
  EXPECT_EQ(CreateDIBSection(nullptr, &b32, DIB_RGB_COLORS, &p, reinterpret_cast<HANDLE>(uintptr_t(7)), 0), nullptr);
  SelectObject(dc, old);
  DeleteObject(m);
  DeleteDC(dc);
}

// A picture drawn into a clipped target with an origin decodes only the
// rows the clip shows; what lands must be what drawing it whole gives, for
// top-down and bottom-up pictures of both depths, stretched sideways or not.
TEST(Platform_GdiBlt, StretchDIBitsIntoAClippedBandMatchesTheWholePicture) {
  std::mt19937 rng(77);
  for (int round = 0; round < 300; ++round) {
    const int bpp = rng() % 2 ? 32 : 24, pw = 1 + int(rng() % 40), ph = 1 + int(rng() % 40);
    const size_t stride = ((size_t(pw) * bpp + 31) / 32) * 4;
    std::vector<Byte> bits(stride * size_t(ph));
    for (Byte& b : bits) b = Byte(rng());
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi.bmiHeader.biWidth = pw;
    bi.bmiHeader.biHeight = rng() % 2 ? ph : -ph;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = WORD(bpp);
    const int sx = int(rng() % pw), sy = int(rng() % ph);
    const int sw = 1 + int(rng() % (pw - sx)), sh = 1 + int(rng() % (ph - sy));
    const int w = rng() % 2 ? sw : 1 + int(rng() % 50);
    const int x = int(rng() % 30) - 10, y = int(rng() % 30) - 10;
    const int ox = int(rng() % 9) - 4, oy = int(rng() % 9) - 4;
    TDib whole(40, 40, 0xFF123456u), band(40, 40, 0xFF123456u);
    SetWindowOrgEx(whole.DC, ox, oy, nullptr);
    SetWindowOrgEx(band.DC, ox, oy, nullptr);
    const int cy0 = int(rng() % 40), cy1 = cy0 + 1 + int(rng() % (40 - cy0));
    HRGN clip = CreateRectRgn(2, cy0, 38, cy1);
    SelectClipRgn(band.DC, clip);
    DeleteObject(clip);
    ASSERT_NE(StretchDIBits(whole.DC, x, y, w, sh, sx, sy, sw, sh, bits.data(), &bi, DIB_RGB_COLORS, SRCCOPY), 0);
    ASSERT_NE(StretchDIBits(band.DC, x, y, w, sh, sx, sy, sw, sh, bits.data(), &bi, DIB_RGB_COLORS, SRCCOPY), 0);
    for (int py = 0; py < 40; ++py)
      for (int px = 0; px < 40; ++px) {
        const bool in = px >= 2 && px < 38 && py >= cy0 && py < cy1;
        ASSERT_EQ(band.At(px, py), in ? whole.At(px, py) : 0xFF123456u)
            << "round " << round << " at " << px << "," << py;
      }
  }
}

}  // namespace t_gdi_blt_test
