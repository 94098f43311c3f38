// TBitmap: pixel formats, BMP files of every depth and compression, and
// rejection of bad files without touching the bitmap.
#include <gtest/gtest.h>

#include "tests/platform/vcl/VclTestSupport.h"

namespace t_bitmap_test {

using namespace vcl;
using namespace vcltest;

namespace {

std::vector<Byte> Rows(TBitmap& b) {
  std::vector<Byte> out;
  Integer n = b.BytesPerScanLine();
  for (Integer y = 0; y < b.Height(); ++y) {
    auto* r = static_cast<const Byte*>(b.ScanLine(y));
    out.insert(out.end(), r, r + n);
  }
  return out;
}

// Palette indices (one per pixel) -> RLE8 or RLE4 data, rows bottom-up,
// with encoded runs, absolute runs and line ends.
std::vector<Byte> EncodeRle(const std::vector<std::vector<Byte>>& rowsTopDown, bool rle4) {
  std::vector<Byte> out;
  for (size_t r = rowsTopDown.size(); r-- > 0;) {
    const auto& row = rowsTopDown[r];
    size_t x = 0;
    while (x < row.size()) {
      size_t run = 1;
      while (x + run < row.size() && row[x + run] == row[x] && run < 255) ++run;
      if (run >= 2 || row.size() - x < 3) {
        out.push_back(Byte(run));
        out.push_back(rle4 ? Byte(row[x] << 4 | row[x]) : row[x]);
        x += run;
        continue;
      }
      // An absolute run up to the next repeat.
      size_t n = 0;
      while (x + n < row.size() && n < 255 && !(x + n + 1 < row.size() && row[x + n] == row[x + n + 1])) ++n;
      if (n < 3) {
        out.push_back(1);
        out.push_back(rle4 ? Byte(row[x] << 4 | row[x]) : row[x]);
        ++x;
        continue;
      }
      out.push_back(0);
      out.push_back(Byte(n));
      std::vector<Byte> bytes;
      for (size_t i = 0; i < n; ++i) {
        if (!rle4) bytes.push_back(row[x + i]);
        else if (i % 2 == 0) bytes.push_back(Byte(row[x + i] << 4));
        else bytes.back() |= row[x + i];
      }
      if (bytes.size() & 1) bytes.push_back(0);
      out.insert(out.end(), bytes.begin(), bytes.end());
      x += n;
    }
    out.push_back(0);
    out.push_back(0);
  }
  out.push_back(0);
  out.push_back(1);
  return out;
}

std::vector<Byte> GreyTable(int n) {
  std::vector<Byte> t;
  for (int i = 0; i < n; ++i) {
    Byte v = Byte(i * 255 / (n - 1));
    for (Byte b : {v, v, v, Byte(0)}) t.push_back(b);
  }
  return t;
}

}  // namespace

TEST(Platform_Bitmap, EveryPixelFormatRoundTripsThroughABmpFile) {
  std::mt19937 rng(11);
  for (TPixelFormat f : {TPixelFormat::pf1bit, TPixelFormat::pf4bit, TPixelFormat::pf8bit, TPixelFormat::pf15bit,
                         TPixelFormat::pf16bit, TPixelFormat::pf24bit, TPixelFormat::pf32bit}) {
    TBitmap b;
    b.SetPixelFormat(f);
    b.SetSize(13, 7);
    for (Integer y = 0; y < b.Height(); ++y) {
      auto* r = static_cast<Byte*>(b.ScanLine(y));
      for (Integer i = 0; i < b.BytesPerScanLine(); ++i) r[i] = Byte(rng());
    }
    TBytes file = SaveBytes(b);
    TBitmap c;
    LoadBytes(c, file);
    ASSERT_EQ(c.PixelFormat(), f) << int(f);
    ASSERT_EQ(c.Width(), 13);
    ASSERT_EQ(c.Height(), 7);
    EXPECT_EQ(Rows(c), Rows(b)) << int(f);
    EXPECT_EQ(c.Colors().size(), b.Colors().size());
    EXPECT_EQ(SaveBytes(c), file);
  }
}

TEST(Platform_Bitmap, TopDownAndBottomUpFilesGiveTheSamePicture) {
  // 24-bit, 3 x 2: rows are padded to 12 bytes.
  std::vector<Byte> top = {0, 0, 255, 0, 255, 0, 255, 0, 0, 0, 0, 0};
  std::vector<Byte> bottom = {255, 255, 255, 0, 0, 0, 128, 128, 128, 0, 0, 0};
  std::vector<Byte> bu = bottom, td = top;
  bu.insert(bu.end(), top.begin(), top.end());
  td.insert(td.end(), bottom.begin(), bottom.end());
  TBitmap a, b;
  LoadBytes(a, MakeBmp(3, 2, 24, BI_RGB, {}, bu));
  LoadBytes(b, MakeBmp(3, -2, 24, BI_RGB, {}, td));
  EXPECT_EQ(Rows(a), Rows(b));
  EXPECT_EQ(a.Canvas()->Pixels(0, 0), clRed);
  EXPECT_EQ(a.Canvas()->Pixels(1, 0), clLime);
  EXPECT_EQ(a.Canvas()->Pixels(0, 1), clWhite);
  EXPECT_EQ(b.Canvas()->Pixels(2, 1), TColor(0x808080));
}

TEST(Platform_Bitmap, RunLengthFilesDecodeToTheirIndices) {
  std::mt19937 rng(5);
  for (bool rle4 : {false, true}) {
    int w = 23, h = 9, colours = rle4 ? 16 : 200;
    std::vector<std::vector<Byte>> rows(static_cast<size_t>(h), std::vector<Byte>(static_cast<size_t>(w)));
    for (auto& r : rows)
      for (size_t x = 0; x < r.size(); ++x)
        r[x] = (rng() % 3 == 0 || x == 0) ? Byte(rng() % unsigned(colours)) : r[x - 1];
    TBitmap b;
    LoadBytes(b, MakeBmp(w, h, rle4 ? 4 : 8, rle4 ? BI_RLE4 : BI_RLE8, GreyTable(colours), EncodeRle(rows, rle4),
                         uint32_t(colours)));
    ASSERT_EQ(b.PixelFormat(), rle4 ? TPixelFormat::pf4bit : TPixelFormat::pf8bit);
    for (int y = 0; y < h; ++y) {
      auto* r = static_cast<const Byte*>(b.ScanLine(y));
      for (int x = 0; x < w; ++x) {
        Byte v = rle4 ? Byte((r[x >> 1] >> ((x & 1) ? 0 : 4)) & 15) : r[x];
        ASSERT_EQ(v, rows[size_t(y)][size_t(x)]) << rle4 << " " << x << "," << y;
      }
    }
  }
  // A delta skips pixels (they stay index 0) and the end marker stops early.
  std::vector<Byte> data = {2, 5, 0, 2, 1, 1, 1, 7, 0, 1};
  TBitmap d;
  LoadBytes(d, MakeBmp(4, 3, 8, BI_RLE8, GreyTable(8), data, 8));
  auto row = [&](int y) { return static_cast<const Byte*>(d.ScanLine(y)); };
  EXPECT_EQ(row(2)[0], 5);  // bottom row
  EXPECT_EQ(row(2)[1], 5);
  EXPECT_EQ(row(2)[2], 0);
  EXPECT_EQ(row(1)[3], 7);  // after moving one right and one up
  EXPECT_EQ(row(0)[0], 0);
}

TEST(Platform_Bitmap, BitfieldsAndOldHeadersAreRead) {
  // 32 bits with the channels in unusual places; read into pf32bit.
  std::vector<Byte> masks(12);
  Put32(masks, 0, 0x0000FF00);  // red
  Put32(masks, 4, 0x00FF0000);  // green
  Put32(masks, 8, 0xFF000000);  // blue
  std::vector<Byte> px(4);
  Put32(px, 0, 0x30201000);  // red 0x10, green 0x20, blue 0x30
  TBitmap b;
  LoadBytes(b, MakeBmp(1, 1, 32, BI_BITFIELDS, masks, px));
  EXPECT_EQ(b.PixelFormat(), TPixelFormat::pf32bit);
  EXPECT_EQ(b.Canvas()->Pixels(0, 0), TColor(RGB(0x10, 0x20, 0x30)));
  // 16 bits 5-6-5 stay pf16bit; 4-4-4 become 32 bits.
  Put32(masks, 0, 0xF800);
  Put32(masks, 4, 0x07E0);
  Put32(masks, 8, 0x001F);
  std::vector<Byte> p16 = {0x00, 0xF8, 0, 0};  // pure red, padded row
  LoadBytes(b, MakeBmp(1, 1, 16, BI_BITFIELDS, masks, p16));
  EXPECT_EQ(b.PixelFormat(), TPixelFormat::pf16bit);
  EXPECT_EQ(b.Canvas()->Pixels(0, 0), clRed);
  Put32(masks, 0, 0x0F00);
  Put32(masks, 4, 0x00F0);
  Put32(masks, 8, 0x000F);
  std::vector<Byte> p444 = {0xF0, 0x0F, 0, 0};  // red 0xF, green 0xF, blue 0
  LoadBytes(b, MakeBmp(1, 1, 16, BI_BITFIELDS, masks, p444));
  EXPECT_EQ(b.PixelFormat(), TPixelFormat::pf32bit);
  EXPECT_EQ(b.Canvas()->Pixels(0, 0), clYellow);

  // A BITMAPCOREHEADER file with a three-byte colour table.
  std::vector<Byte> f(14 + 12);
  f[0] = 'B';
  f[1] = 'M';
  Put32(f, 14, 12);
  Put16(f, 18, 2);
  Put16(f, 20, 1);
  Put16(f, 22, 1);
  Put16(f, 24, 4);
  f.insert(f.end(), {0, 0, 255, 255, 0, 0});  // red, blue
  for (int i = 2; i < 16; ++i) f.insert(f.end(), {0, 0, 0});
  Put32(f, 10, uint32_t(f.size()));
  f.insert(f.end(), {0x01, 0, 0, 0});  // pixel 0 red, pixel 1 blue
  TBitmap core;
  LoadBytes(core, f);
  EXPECT_EQ(core.PixelFormat(), TPixelFormat::pf4bit);
  EXPECT_EQ(core.Canvas()->Pixels(0, 0), clRed);
  EXPECT_EQ(core.Canvas()->Pixels(1, 0), clBlue);
}

TEST(Platform_Bitmap, BadFilesAreRejectedAndLeaveTheBitmapAsItWas) {
  TBitmap keep(5, 4);
  keep.Canvas()->Brush()->SetColor(clTeal);
  keep.Canvas()->FillRect(TRect(0, 0, 5, 4));
  std::vector<Byte> before = Rows(keep);
  auto expectRejected = [&](const std::vector<Byte>& file, const char* what) {
    bool raised = false;
    try {
      LoadBytes(keep, file);
    } catch (const EInvalidGraphic&) {
      raised = true;
    } catch (const EReadError&) {
      raised = true;
    }
    EXPECT_TRUE(raised) << what;
    EXPECT_EQ(keep.Width(), 5) << what;
    EXPECT_EQ(Rows(keep), before) << what;
  };
  TBitmap src;
  src.SetPixelFormat(TPixelFormat::pf8bit);
  src.SetSize(6, 5);
  TBytes good = SaveBytes(src);
  // Every cut short version.
  for (size_t n = 1; n < good.size(); n += 7) expectRejected(std::vector<Byte>(good.begin(), good.begin() + Int64(n)), "cut");

  std::vector<Byte> f = good;
  Put32(f, 10, 100000);
  expectRejected(f, "pixel offset past the end");
  f = good;
  Put32(f, 10, 20);
  expectRejected(f, "pixel offset inside the header");
  f = MakeBmp(0x10000, 0x10000, 24, BI_RGB, {}, {1, 2, 3});
  expectRejected(f, "size overflowing");
  f = MakeBmp(-3, 2, 24, BI_RGB, {}, std::vector<Byte>(24));
  expectRejected(f, "negative width");
  f = MakeBmp(2, 2, 7, BI_RGB, {}, std::vector<Byte>(16));
  expectRejected(f, "depth");
  f = MakeBmp(2, -2, 8, BI_RLE8, GreyTable(4), {2, 1, 0, 1}, 4);
  expectRejected(f, "top-down RLE");
  f = MakeBmp(2, 1, 8, BI_RGB, GreyTable(4), {1, 9, 0, 0}, 4);
  expectRejected(f, "palette index out of range");
  f = MakeBmp(2, 1, 8, BI_RLE8, GreyTable(4), {2, 9, 0, 1}, 4);
  expectRejected(f, "RLE palette index out of range");
  f = MakeBmp(2, 2, 8, BI_RLE8, GreyTable(4), {2, 1, 0}, 4);
  expectRejected(f, "RLE data without its end");
  f = MakeBmp(2, 2, 8, BI_RLE8, GreyTable(4), {0, 5, 1, 1}, 4);
  expectRejected(f, "absolute run past the data");
  f = good;
  f[0] = 'X';
  expectRejected(f, "signature");
}

TEST(Platform_Bitmap, SizeFormatAndScanLines) {
  TBitmap b(4, 4);
  EXPECT_EQ(b.PixelFormat(), TPixelFormat::pfDevice);
  b.Canvas()->Brush()->SetColor(clRed);
  b.Canvas()->FillRect(TRect(0, 0, 4, 4));
  b.SetSize(6, 2);  // keeps the top-left part
  EXPECT_EQ(b.Canvas()->Pixels(3, 1), clRed);
  EXPECT_EQ(b.Canvas()->Pixels(5, 1), clBlack);
  b.SetPixelFormat(TPixelFormat::pf8bit);
  EXPECT_EQ(b.Canvas()->Pixels(0, 0), clRed);
  EXPECT_EQ(b.Colors().size(), 256u);
  b.SetPixelFormat(TPixelFormat::pf24bit);
  EXPECT_EQ(b.Canvas()->Pixels(0, 0), clRed);
  EXPECT_EQ(b.BytesPerScanLine(), 20);
  // Row 0 is the top row and lies at the end of the memory.
  EXPECT_EQ(static_cast<Byte*>(b.ScanLine(0)) - static_cast<Byte*>(b.ScanLine(1)), 20);
  EXPECT_THROW(b.ScanLine(2), EInvalidGraphic);
  EXPECT_THROW(b.ScanLine(-1), EInvalidGraphic);
  b.SetMonochrome(true);
  EXPECT_EQ(b.PixelFormat(), TPixelFormat::pf1bit);
  // A device-dependent bitmap becomes a DIB when its rows are asked for.
  TBitmap d(3, 3);
  d.SetHandleType(TBitmapHandleType::bmDDB);
  EXPECT_EQ(d.HandleType(), TBitmapHandleType::bmDDB);
  d.Canvas()->SetPixels(1, 1, clBlue);
  d.ScanLine(0);
  EXPECT_EQ(d.HandleType(), TBitmapHandleType::bmDIB);
  EXPECT_EQ(d.Canvas()->Pixels(1, 1), clBlue);
  // An empty bitmap saves nothing, and nothing loads as empty.
  TBitmap e;
  EXPECT_TRUE(SaveBytes(e).empty());
  LoadBytes(d, {});
  EXPECT_TRUE(d.Empty());
  // Width then Height, one at a time, as form code sets them.
  TBitmap w;
  w.SetWidth(8);
  EXPECT_TRUE(w.Empty());
  EXPECT_EQ(w.Width(), 8);
  EXPECT_THROW(w.ScanLine(0), EInvalidGraphic);
  w.SetHeight(5);
  EXPECT_FALSE(w.Empty());
  EXPECT_EQ(w.Width(), 8);
  EXPECT_EQ(w.Height(), 5);
  w.Canvas()->SetPixels(7, 4, clLime);
  EXPECT_EQ(w.Canvas()->Pixels(7, 4), clLime);
}

TEST(Platform_Bitmap, AssignCopiesEverything) {
  TBitmap a;
  a.SetPixelFormat(TPixelFormat::pf4bit);
  a.SetSize(5, 5);
  static_cast<Byte*>(a.ScanLine(2))[1] = 0x9C;
  a.SetTransparentColor(clRed);
  a.SetTransparent(true);
  TBitmap b;
  b.Assign(&a);
  EXPECT_EQ(b.PixelFormat(), TPixelFormat::pf4bit);
  EXPECT_EQ(static_cast<Byte*>(b.ScanLine(2))[1], 0x9C);
  EXPECT_TRUE(b.Transparent());
  EXPECT_EQ(b.TransparentColor(), clRed);
  EXPECT_EQ(b.TransparentMode(), TTransparentMode::tmFixed);
  b.Assign(nullptr);
  EXPECT_TRUE(b.Empty());
  // A handle taken over becomes the bitmap's picture.
  HBITMAP h = CreateCompatibleBitmap(nullptr, 3, 2);
  b.SetHandle(h);
  EXPECT_EQ(b.Width(), 3);
  EXPECT_EQ(b.Height(), 2);
}

TEST(Platform_Bitmap, VersionFiveHeadersResourcesAndOpacity) {
  // A BITMAPV5HEADER with an alpha mask in its masks.
  std::vector<Byte> f(14 + 124, 0);
  f[0] = 'B';
  f[1] = 'M';
  Put32(f, 14, 124);
  Put32(f, 18, 1);
  Put32(f, 22, 1);
  Put16(f, 26, 1);
  Put16(f, 28, 32);
  Put32(f, 30, BI_BITFIELDS);
  Put32(f, 54, 0x00FF0000);
  Put32(f, 58, 0x0000FF00);
  Put32(f, 62, 0x000000FF);
  Put32(f, 66, 0xFF000000);
  Put32(f, 10, uint32_t(f.size()));
  f.insert(f.end(), {0x33, 0x22, 0x11, 0x80});
  TBitmap b;
  LoadBytes(b, f);
  EXPECT_EQ(b.PixelFormat(), TPixelFormat::pf32bit);
  EXPECT_EQ(*static_cast<uint32_t*>(b.ScanLine(0)), 0x80112233u);

  // A bitmap resource is a DIB without the file header.
  static std::vector<Byte> dib;
  dib.assign(f.begin() + 14, f.end());
  RegisterResource(u"QN_TEST_DIB", u"#2", dib.data(), dib.size());
  TBitmap r;
  r.LoadFromResourceName(0, u"QN_TEST_DIB");
  EXPECT_EQ(*static_cast<uint32_t*>(r.ScanLine(0)), 0x80112233u);
  UnregisterResource(u"QN_TEST_DIB", u"#2");
  EXPECT_THROW(r.LoadFromResourceName(0, u"QN_TEST_DIB"), EResNotFound);

  // Drawn at a constant opacity: half of white over black.
  TBitmap white(2, 2), dst(2, 2);
  white.Canvas()->Brush()->SetColor(clWhite);
  white.Canvas()->FillRect(TRect(0, 0, 2, 2));
  dst.Canvas()->Brush()->SetColor(clBlack);
  dst.Canvas()->FillRect(TRect(0, 0, 2, 2));
  dst.Canvas()->Draw(0, 0, &white, 128);
  EXPECT_NEAR(GetRValue(dst.Canvas()->Pixels(1, 1)), 128, 1);
}

TEST(Platform_Bitmap, GetDIBCopiesThePictureForStretchDIBits) {
  TBitmap src;
  src.SetPixelFormat(TPixelFormat::pf24bit);
  src.SetSize(3, 2);
  src.Canvas()->SetPixels(0, 0, clRed);
  src.Canvas()->SetPixels(2, 1, clBlue);
  DWORD infoSize = 0, imageSize = 0;
  GetDIBSizes(src.Handle(), infoSize, imageSize);
  EXPECT_EQ(infoSize, DWORD(sizeof(BITMAPINFOHEADER)));
  EXPECT_EQ(imageSize, 12u * 2u);  // nine bytes a row, padded to twelve
  std::vector<Byte> info(infoSize), bits(imageSize);
  ASSERT_TRUE(GetDIB(src.Handle(), src.Palette(), info.data(), bits.data()));
  TBitmap dst(6, 4);
  StretchDIBits(dst.Canvas()->Handle(), 0, 0, 6, 4, 0, 0, 3, 2, bits.data(),
                reinterpret_cast<BITMAPINFO*>(info.data()), DIB_RGB_COLORS, SRCCOPY);
  EXPECT_EQ(dst.Canvas()->Pixels(1, 1), clRed);
  EXPECT_EQ(dst.Canvas()->Pixels(5, 3), clBlue);
  EXPECT_EQ(dst.Canvas()->Pixels(3, 0), clBlack);
  TBitmap p;
  p.SetPixelFormat(TPixelFormat::pf8bit);
  p.SetSize(1, 1);
  EXPECT_NE(p.Palette(), nullptr);
  EXPECT_EQ(src.Palette(), nullptr);
  GetDIBSizes(p.Handle(), infoSize, imageSize);
  EXPECT_EQ(infoSize, DWORD(sizeof(BITMAPINFOHEADER) + 1024));
}

TEST(Platform_Bitmap, A32BitDIBSectionIsAdoptedAsItIs) {
  for (bool topDown : {true, false}) {
    SCOPED_TRACE(topDown);
    struct {
      BITMAPINFOHEADER h;
      RGBQUAD c[4];
    } bi;
    bi.h.biWidth = 3;
    bi.h.biHeight = topDown ? -2 : 2;
    bi.h.biBitCount = 32;
    void* p = nullptr;
    HBITMAP h = CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&bi), DIB_RGB_COLORS, &p, nullptr, 0);
    ASSERT_NE(h, nullptr);
    auto* px = static_cast<uint32_t*>(p);
    px[0] = 0x80FF0000u;  // the first row in memory
    TBitmap b;
    b.SetHandle(h);
    EXPECT_EQ(b.Handle(), h);
    EXPECT_EQ(b.PixelFormat(), TPixelFormat::pf32bit);
    int firstRow = topDown ? 0 : 1;
    EXPECT_EQ(static_cast<uint32_t*>(b.ScanLine(firstRow))[0], 0x80FF0000u);
    EXPECT_EQ(b.Canvas()->Pixels(0, firstRow), clRed);
    // The memory stays the picture: drawing shows through the pointer.
    b.Canvas()->SetPixels(2, firstRow, clLime);
    EXPECT_EQ(px[2] & 0xFFFFFF, 0x00FF00u);
    // Saved, it reads back the same way up.
    TBitmap c;
    LoadBytes(c, SaveBytes(b));
    EXPECT_EQ(static_cast<uint32_t*>(c.ScanLine(firstRow))[0], 0x80FF0000u);
    b.SetSize(4, 3);
    EXPECT_EQ(static_cast<uint32_t*>(b.ScanLine(firstRow))[0], 0x80FF0000u);
  }
}

// A 1-bit DIB section is a picture in its own two colours, in either order:
// every route that reads it into colour gives the table's colours, whatever
// text and background colours the destination has. Only a monochrome
// device-dependent bitmap takes those.
TEST(Platform_Bitmap, OneBitDibSectionsKeepTheirColourTable) {
  const RGBQUAD tables[][2] = {{{255, 64, 64, 0}, {64, 255, 64, 0}},     // (64,64,255) then (64,255,64)
                               {{255, 255, 255, 0}, {0, 0, 0, 0}},       // white then black
                               {{0, 0, 0, 0}, {255, 255, 255, 0}}};      // black then white
  constexpr Integer W = 19, H = 5;
  auto bit = [](Integer x, Integer y) { return (x * 7 + y * 3) % 5 < 2; };
  for (const auto& t : tables) {
    SCOPED_TRACE(testing::Message() << "table " << int(t[0].rgbRed) << "/" << int(t[1].rgbRed));
    auto color = [&](Integer x, Integer y) {
      const RGBQUAD& q = t[bit(x, y) ? 1 : 0];
      return TColor(RGB(q.rgbRed, q.rgbGreen, q.rgbBlue));
    };
    TBitmap src;
    src.SetPixelFormat(TPixelFormat::pf1bit);
    src.SetSize(W, H);
    src.SetColors({t[0], t[1]});
    for (Integer y = 0; y < H; ++y) {
      auto* r = static_cast<Byte*>(src.ScanLine(y));
      std::memset(r, 0, size_t(src.BytesPerScanLine()));
      for (Integer x = 0; x < W; ++x)
        if (bit(x, y)) r[x >> 3] |= Byte(0x80 >> (x & 7));
    }
    auto expectPicture = [&](const char* route, auto&& at) {
      int wrong = 0;
      for (Integer y = 0; y < H; ++y)
        for (Integer x = 0; x < W; ++x)
          if (at(x, y) != color(x, y)) ++wrong;
      EXPECT_EQ(wrong, 0) << route;
    };
    expectPicture("Canvas.Pixels", [&](Integer x, Integer y) { return src.Canvas()->Pixels(x, y); });
    for (TPixelFormat f : {TPixelFormat::pf24bit, TPixelFormat::pf32bit}) {
      TBitmap b;
      b.Assign(&src);
      b.SetPixelFormat(f);
      Integer step = f == TPixelFormat::pf24bit ? 3 : 4;
      expectPicture(f == TPixelFormat::pf24bit ? "pf24bit" : "pf32bit", [&](Integer x, Integer y) {
        auto* p = static_cast<const Byte*>(b.ScanLine(y)) + x * step;
        return TColor(RGB(p[2], p[1], p[0]));
      });
    }
    TBitmap dst(W, H);
    dst.SetPixelFormat(TPixelFormat::pf32bit);
    SetTextColor(dst.Canvas()->Handle(), RGB(200, 0, 200));
    SetBkColor(dst.Canvas()->Handle(), RGB(0, 200, 200));
    dst.Canvas()->Draw(0, 0, &src);
    expectPicture("Canvas.Draw", [&](Integer x, Integer y) { return dst.Canvas()->Pixels(x, y); });
    TBitmap stretched(W * 2, H * 2);
    stretched.Canvas()->StretchDraw(TRect(0, 0, W * 2, H * 2), &src);
    expectPicture("StretchDraw", [&](Integer x, Integer y) { return stretched.Canvas()->Pixels(2 * x + 1, 2 * y); });
    TJPEGImage j;
    j.Assign(&src);
    expectPicture("TJPEGImage.Assign", [&](Integer x, Integer y) { return j.Bitmap()->Canvas()->Pixels(x, y); });
    // Drawing the table's colours into it picks those entries.
    TBitmap paint;
    paint.Assign(&src);
    for (Integer y = 0; y < H; ++y)
      for (Integer x = 0; x < W; ++x) paint.Canvas()->SetPixels(x, y, color(W - 1 - x, y));
    expectPicture("SetPixels", [&](Integer x, Integer y) { return paint.Canvas()->Pixels(W - 1 - x, y); });
  }
  // A monochrome DDB still paints in the destination's text (0) and
  // background (1) colours.
  BYTE bits[2] = {0x80, 0};
  HBITMAP ddb = CreateBitmap(2, 1, 1, 1, bits);
  HDC src = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(src, ddb);
  TBitmap dst(2, 1);
  SetTextColor(dst.Canvas()->Handle(), RGB(200, 0, 200));
  SetBkColor(dst.Canvas()->Handle(), RGB(0, 200, 200));
  BitBlt(dst.Canvas()->Handle(), 0, 0, 2, 1, src, 0, 0, SRCCOPY);
  EXPECT_EQ(dst.Canvas()->Pixels(0, 0), TColor(RGB(0, 200, 200)));
  EXPECT_EQ(dst.Canvas()->Pixels(1, 0), TColor(RGB(200, 0, 200)));
  SelectObject(src, old);
  DeleteDC(src);
  DeleteObject(ddb);
}

}  // namespace t_bitmap_test
