// The row loops behind fills, copies, nearest stretching and AlphaBlend give
// the same pixels as the general per-pixel transfers: random surfaces,
// rectangles (partly outside, mirrored), clip regions and alphas, each
// transfer run once each way on identical destinations.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "platform/gdi/GdiRows.h"
#include "tests/platform/gdi/GdiTestSupport.h"

namespace t_gdi_fast_path_test {

using namespace vcl;
using namespace gditest;

namespace {

// Pixels in runs, so that the vector loops meet whole blocks of transparent,
// opaque and mixed pixels as well as ragged ends.
void FillRandom(TDib& d, std::mt19937& rng, bool premultiplied) {
  int i = 0;
  const int n = d.W * d.H;
  while (i < n) {
    const int run = 1 + int(rng() % 24);
    const unsigned kind = rng() % 4;  // 0 zero, 1 opaque, 2 random alpha, 3 alpha 0 with colour
    for (int k = 0; k < run && i < n; ++k, ++i) {
      uint32_t a = kind == 0 ? 0 : kind == 1 ? 255 : kind == 2 ? rng() & 0xFF : 0;
      uint32_t v = a << 24;
      for (int c = 0; c < 24; c += 8) {
        uint32_t x = rng() & 0xFF;
        if (kind == 0) x = 0;
        else if (premultiplied && kind != 3) x = x % (a + 1);
        v |= x << c;
      }
      d.Bits[i] = v;
    }
  }
}

// A clip of one to three rectangles, or none.
void RandomClip(HDC dc, int w, int h, std::mt19937& rng) {
  if (rng() % 3 == 0) {
    SelectClipRgn(dc, nullptr);
    return;
  }
  HRGN all = CreateRectRgn(0, 0, 0, 0);
  const int parts = 1 + int(rng() % 3);
  for (int p = 0; p < parts; ++p) {
    int l = int(rng() % unsigned(w)), t = int(rng() % unsigned(h));
    HRGN r = CreateRectRgn(l, t, l + 1 + int(rng() % unsigned(w)), t + 1 + int(rng() % unsigned(h)));
    CombineRgn(all, all, r, RGN_OR);
    DeleteObject(r);
  }
  SelectClipRgn(dc, all);
  DeleteObject(all);
}

// Two destinations with the same pixels and clip, one drawn through the row
// loops and one through the general transfers.
struct TPair {
  TDib Fast, General;
  TPair(int w, int h) : Fast(w, h), General(w, h) {}
  void Same() { std::copy(Fast.Bits, Fast.Bits + Fast.W * Fast.H, General.Bits); }
  template <class F>
  void Run(F&& draw) {
    draw(Fast.DC, true);
    gdi::GdiForceGeneralTransfers(true);
    draw(General.DC, false);
    gdi::GdiForceGeneralTransfers(false);
  }
  int Differences() const {
    int n = 0;
    for (int i = 0; i < Fast.W * Fast.H; ++i) n += Fast.Bits[i] != General.Bits[i];
    return n;
  }
};

}  // namespace

TEST(Platform_GdiBlt, RowLoopsMatchTheGeneralTransfers) {
  std::mt19937 rng(20261207);
  auto coord = [&](int n) { return int(rng() % unsigned(n + 16)) - 8; };
  for (int trial = 0; trial < 400; ++trial) {
    const int w = 1 + int(rng() % 70), h = 1 + int(rng() % 40);
    const int sw0 = 1 + int(rng() % 70), sh0 = 1 + int(rng() % 40);
    TPair dst(w, h);
    TDib src(sw0, sh0);
    const int op = trial % 5;
    FillRandom(dst.Fast, rng, op == 4);
    FillRandom(src, rng, op == 4);
    dst.Same();
    const uint32_t seed = rng();
    std::mt19937 clipA(seed), clipB(seed);
    RandomClip(dst.Fast.DC, w, h, clipA);
    RandomClip(dst.General.DC, w, h, clipB);
    const int x = coord(w), y = coord(h), cw = int(rng() % unsigned(w + 8)), ch = int(rng() % unsigned(h + 8));
    const int sx = coord(sw0), sy = coord(sh0);
    // Onto itself: the source is the destination being drawn.
    const bool self = rng() % 4 == 0;
    SCOPED_TRACE(testing::Message() << "trial " << trial << " op " << op << " self " << self);
    switch (op) {
      case 0: {  // solid fills and the constant raster operations
        HBRUSH b = CreateSolidBrush(RGB(rng() & 0xFF, rng() & 0xFF, rng() & 0xFF));
        const DWORD rops[] = {PATCOPY, BLACKNESS, WHITENESS};
        const DWORD rop = rops[rng() % 3];
        dst.Run([&](HDC dc, bool) {
          RECT r{x, y, x + cw, y + ch};
          HGDIOBJ old = SelectObject(dc, b);
          if (rop == PATCOPY) FillRect(dc, &r, b);
          else PatBlt(dc, x, y, cw, ch, rop);
          SelectObject(dc, old);
        });
        DeleteObject(b);
        break;
      }
      case 1:  // copies, overlapping ones included
        dst.Run([&](HDC dc, bool) {
          HDC s = self ? dc : src.DC;
          BitBlt(dc, x, y, cw, ch, s, sx, sy, SRCCOPY);
        });
        break;
      case 2:
      case 3: {  // nearest stretching, mirrored on either axis
        const int sw = (1 + int(rng() % unsigned(sw0 + 4))) * (rng() % 5 == 0 ? -1 : 1);
        const int sh = (1 + int(rng() % unsigned(sh0 + 4))) * (rng() % 5 == 0 ? -1 : 1);
        const int dw = cw * (rng() % 6 == 0 ? -1 : 1);
        dst.Run([&](HDC dc, bool) {
          SetStretchBltMode(dc, COLORONCOLOR);
          StretchBlt(dc, x, y, dw, ch, src.DC, sx, sy, sw, sh, SRCCOPY);
        });
        break;
      }
      case 4: {  // AlphaBlend, per-pixel alpha with and without a constant alpha
        const BYTE k = rng() % 2 ? 255 : BYTE(rng() & 0xFF);
        const BYTE format = rng() % 5 ? AC_SRC_ALPHA : 0;
        const BLENDFUNCTION bf{AC_SRC_OVER, 0, k, format};
        dst.Run([&](HDC dc, bool) {
          HDC s = self ? dc : src.DC;
          AlphaBlend(dc, x, y, cw, ch, s, sx, sy, cw, ch, bf);
        });
        break;
      }
    }
    ASSERT_EQ(dst.Differences(), 0);
  }
  // Onto itself, one pixel down and right: every pixel is read before the
  // blend over it, as if the source had been copied first.
  TPair p(40, 30);
  FillRandom(p.Fast, rng, true);
  p.Same();
  const BLENDFUNCTION bf{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
  p.Run([&](HDC dc, bool) { AlphaBlend(dc, 1, 1, 39, 29, dc, 0, 0, 39, 29, bf); });
  EXPECT_EQ(p.Differences(), 0);
}

// The row loops alone, on lengths around the vector width and on every
// alignment, against the per-pixel formulas they stand for.
TEST(Platform_GdiBlt, RowLoopsOnEveryLengthAndAlignment) {
  std::mt19937 rng(7);
  std::vector<uint32_t> s(80), d(80), ref(80);
  std::vector<int> cols(80);
  for (int off = 0; off < 8; ++off)
    for (int n = 0; n + off <= 72; ++n) {
      for (auto& v : s) {
        const uint32_t kind = rng() % 3;
        v = kind == 0 ? 0 : kind == 1 ? (rng() | 0xFF000000u) : rng();
      }
      for (auto& v : d) v = rng();
      // Source-over, byte by byte with exact rounding.
      ref = d;
      for (int i = off; i < off + n; ++i) {
        const uint32_t sv = s[size_t(i)], ia = 255 - (sv >> 24);
        uint32_t r = 0;
        for (int c = 0; c < 32; c += 8) {
          const uint32_t t = ((ref[size_t(i)] >> c) & 0xFF) * ia;
          r |= std::min<uint32_t>(255, ((sv >> c) & 0xFF) + (t + 127) / 255) << c;
        }
        ref[size_t(i)] = r;
      }
      std::vector<uint32_t> out = d;
      gdi::OverRow(s.data() + off, out.data() + off, size_t(n));
      ASSERT_EQ(out, ref) << "over, offset " << off << " length " << n;
      // Fill and copy.
      out = d;
      ref = d;
      std::fill(ref.begin() + off, ref.begin() + off + n, 0x12345678u);
      gdi::FillRow(out.data() + off, size_t(n), 0x12345678u);
      ASSERT_EQ(out, ref) << "fill, offset " << off << " length " << n;
      out = d;
      std::copy(s.begin() + 3, s.begin() + 3 + n, ref.begin() + off);
      gdi::CopyRow(s.data() + 3, out.data() + off, size_t(n));
      ASSERT_EQ(out, ref) << "copy, offset " << off << " length " << n;
      // Copy of rows: two rows of n from rows 40 pixels apart into rows 50
      // apart; the pixels between the rows stay.
      if (n <= 30 && off + 50 + n <= int(d.size())) {
        out = d;
        ref = d;
        for (int y = 0; y < 2; ++y) std::copy(s.begin() + y * 40, s.begin() + y * 40 + n, ref.begin() + off + y * 50);
        gdi::CopyRows(s.data(), 40 * 4, out.data() + off, 50 * 4, size_t(n), 2);
        ASSERT_EQ(out, ref) << "copy rows, offset " << off << " length " << n;
      }
      // Nearest: any column map.
      for (int i = 0; i < n; ++i) cols[size_t(i)] = int(rng() % 80);
      out = d;
      ref = d;
      for (int i = 0; i < n; ++i) ref[size_t(off + i)] = s[size_t(cols[size_t(i)])];
      gdi::NearestRow(s.data(), cols.data(), out.data() + off, size_t(n));
      ASSERT_EQ(out, ref) << "nearest, offset " << off << " length " << n;
    }
}

// Blocks of rows: every row length up to 70 (short, overlapping-end and
// aligned-loop rows) at every destination alignment, from rows 75 pixels
// apart into rows 83 apart; the pixels between the rows stay.
TEST(Platform_GdiBlt, CopyRowsMovesEveryRowAndNothingBetween) {
  std::mt19937 rng(41);
  constexpr int kRows = 5, kSrc = 75, kDst = 83;
  std::vector<uint32_t> s(size_t(kSrc) * kRows), d(size_t(kDst) * kRows + 8);
  for (int n = 0; n <= 70; ++n)
    for (int off = 0; off < 8; ++off) {
      for (auto& v : s) v = rng();
      for (auto& v : d) v = rng();
      std::vector<uint32_t> ref = d, out = d;
      for (int y = 0; y < kRows; ++y)
        std::copy(s.begin() + y * kSrc, s.begin() + y * kSrc + n, ref.begin() + off + y * kDst);
      gdi::CopyRows(s.data(), kSrc * 4, out.data() + off, kDst * 4, size_t(n), kRows);
      ASSERT_EQ(out, ref) << "length " << n << " offset " << off;
    }
}

// A 1:1 copy of 32-bit DIB bits goes straight to the target; it must land
// exactly as the decoded transfer does, for top-down and bottom-up pictures,
// source rectangles reaching past the picture, origins and clips, and for
// bits that are the target's own memory.
TEST(Platform_GdiBlt, DirectDibCopiesMatchTheGeneralTransfers) {
  std::mt19937 rng(5150);
  auto coord = [&](int n) { return int(rng() % unsigned(n + 16)) - 8; };
  for (int trial = 0; trial < 300; ++trial) {
    const int w = 1 + int(rng() % 70), h = 1 + int(rng() % 40);
    const int pw = 1 + int(rng() % 70), ph = 1 + int(rng() % 40);
    TPair dst(w, h);
    FillRandom(dst.Fast, rng, false);
    dst.Same();
    TDib pic(pw, ph);
    FillRandom(pic, rng, false);
    const bool self = rng() % 5 == 0;
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi.bmiHeader.biWidth = self ? w : pw;
    bi.bmiHeader.biHeight = (self ? h : ph) * (rng() % 2 ? 1 : -1);
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    const uint32_t seed = rng();
    std::mt19937 clipA(seed), clipB(seed);
    RandomClip(dst.Fast.DC, w, h, clipA);
    RandomClip(dst.General.DC, w, h, clipB);
    const int ox = int(rng() % 9) - 4, oy = int(rng() % 9) - 4;
    const int x = coord(w), y = coord(h), cw = 1 + int(rng() % unsigned(w + 8)), ch = 1 + int(rng() % unsigned(h + 8));
    const int sx = coord(pw), sy = coord(ph);
    SCOPED_TRACE(testing::Message() << "trial " << trial << " self " << self);
    // Drawn onto itself, each side reads its own pixels: the general side
    // gets a copy of the fast side's starting pixels.
    dst.Run([&](HDC dc, bool fast) {
      SetWindowOrgEx(dc, ox, oy, nullptr);
      const uint32_t* bits = self ? (fast ? dst.Fast.Bits : dst.General.Bits) : pic.Bits;
      StretchDIBits(dc, x, y, cw, ch, sx, sy, cw, ch, bits, &bi, DIB_RGB_COLORS, SRCCOPY);
    });
    ASSERT_EQ(dst.Differences(), 0);
  }
}

// Blending a bare surface gives the pixels of AlphaBlend from a memory DC
// holding the same pixels: random premultiplied pictures, positions partly
// outside, clip regions, destination viewport origins and constant alphas,
// through the row loops and the general transfers alike.
TEST(Platform_GdiBlt, SurfaceBlendMatchesAlphaBlendFromAMemoryDC) {
  std::mt19937 rng(31);
  for (int trial = 0; trial < 200; ++trial) {
    const int w = 1 + int(rng() % 60), h = 1 + int(rng() % 40);
    const int sw = 1 + int(rng() % 40), sh = 1 + int(rng() % 30);
    TPair viaDC(w, h), viaSurface(w, h);
    TDib src(sw, sh);
    FillRandom(viaDC.Fast, rng, false);
    FillRandom(src, rng, true);
    viaDC.Same();
    std::copy(viaDC.Fast.Bits, viaDC.Fast.Bits + w * h, viaSurface.Fast.Bits);
    viaSurface.Same();
    const uint32_t seed = rng();
    for (TDib* d : {&viaDC.Fast, &viaDC.General, &viaSurface.Fast, &viaSurface.General}) {
      std::mt19937 clip(seed);
      RandomClip(d->DC, w, h, clip);
      SetViewportOrgEx(d->DC, int(seed % 7) - 3, int(seed % 5) - 2, nullptr);
    }
    const int x = int(rng() % unsigned(w + 16)) - 8, y = int(rng() % unsigned(h + 16)) - 8;
    const BLENDFUNCTION bf{AC_SRC_OVER, 0, BYTE(rng() % 2 ? 255 : rng() & 0xFF), BYTE(rng() % 5 ? AC_SRC_ALPHA : 0)};
    viaDC.Run([&](HDC dc, bool) { ASSERT_TRUE(AlphaBlend(dc, x, y, sw, sh, src.DC, 0, 0, sw, sh, bf)); });
    const TGdiSurfacePtr pixels = GetBitmapSurface(src.Bmp);
    viaSurface.Run([&](HDC dc, bool) { ASSERT_TRUE(AlphaBlendSurface(dc, x, y, *pixels, bf)); });
    SCOPED_TRACE(testing::Message() << "trial " << trial);
    ASSERT_TRUE(std::equal(viaDC.Fast.Bits, viaDC.Fast.Bits + w * h, viaSurface.Fast.Bits));
    ASSERT_TRUE(std::equal(viaDC.General.Bits, viaDC.General.Bits + w * h, viaSurface.General.Bits));
  }
}

}  // namespace t_gdi_fast_path_test
