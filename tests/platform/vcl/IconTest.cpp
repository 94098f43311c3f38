// Icons: .ico files of every depth, AND masks and alpha, HICON objects and
// their drawing, the stock icons, and rejection of bad files.
#include <gtest/gtest.h>

#include "tests/platform/vcl/VclTestSupport.h"

namespace t_icon_test {

using namespace vcl;
using namespace vcltest;

namespace {

// One picture: straight 0xAARRGGBB pixels (alpha only meaningful at 32
// bits) and a mask (1: transparent), top row first.
struct TIconPicture {
  int W, H, Bpp;
  std::vector<uint32_t> Colors;  // palette for depths up to 8
  std::vector<unsigned> Index;   // per pixel: palette index or colour
  std::vector<Byte> Mask;
};

std::vector<Byte> EncodeImage(const TIconPicture& p) {
  size_t xs = size_t(((p.W * p.Bpp + 31) / 32) * 4), ms = size_t(((p.W + 31) / 32) * 4);
  size_t table = p.Bpp <= 8 ? (size_t(1) << p.Bpp) : 0;
  std::vector<Byte> d(40 + table * 4 + xs * size_t(p.H) + ms * size_t(p.H), 0);
  Put32(d, 0, 40);
  Put32(d, 4, uint32_t(p.W));
  Put32(d, 8, uint32_t(p.H * 2));
  Put16(d, 12, 1);
  Put16(d, 14, unsigned(p.Bpp));
  for (size_t i = 0; i < table && i < p.Colors.size(); ++i) Put32(d, 40 + 4 * i, p.Colors[i] & 0xFFFFFF);
  size_t xo = 40 + table * 4, mo = xo + xs * size_t(p.H);
  for (int y = 0; y < p.H; ++y) {
    size_t row = xo + size_t(p.H - 1 - y) * xs, mrow = mo + size_t(p.H - 1 - y) * ms;
    for (int x = 0; x < p.W; ++x) {
      unsigned v = p.Index[size_t(y * p.W + x)];
      switch (p.Bpp) {
        case 1: d[row + size_t(x >> 3)] |= Byte(v << (7 - (x & 7))); break;
        case 4: d[row + size_t(x >> 1)] |= Byte(v << ((x & 1) ? 0 : 4)); break;
        case 8: d[row + size_t(x)] = Byte(v); break;
        case 24:
          d[row + size_t(3 * x)] = Byte(v);
          d[row + size_t(3 * x + 1)] = Byte(v >> 8);
          d[row + size_t(3 * x + 2)] = Byte(v >> 16);
          break;
        default: Put32(d, row + size_t(4 * x), v); break;
      }
      if (p.Mask[size_t(y * p.W + x)]) d[mrow + size_t(x >> 3)] |= Byte(0x80 >> (x & 7));
    }
  }
  return d;
}

std::vector<Byte> MakeIco(const std::vector<std::vector<Byte>>& images, const std::vector<std::pair<int, int>>& sizes) {
  std::vector<Byte> f(6 + 16 * images.size(), 0);
  Put16(f, 2, 1);
  Put16(f, 4, unsigned(images.size()));
  for (size_t i = 0; i < images.size(); ++i) {
    size_t e = 6 + 16 * i;
    f[e] = Byte(sizes[i].first);
    f[e + 1] = Byte(sizes[i].second);
    Put16(f, e + 4, 1);
    Put32(f, e + 8, uint32_t(images[i].size()));
    Put32(f, e + 12, uint32_t(f.size()));
    f.insert(f.end(), images[i].begin(), images[i].end());
  }
  return f;
}

TIconPicture RandomPicture(int bpp, int size, std::mt19937& rng) {
  TIconPicture p{size, size, bpp, {}, {}, {}};
  if (bpp <= 8)
    for (int i = 0; i < (1 << bpp); ++i) p.Colors.push_back(rng() & 0xFFFFFF);
  for (int i = 0; i < size * size; ++i) {
    if (bpp <= 8) p.Index.push_back(rng() % (1u << bpp));
    else if (bpp == 24) p.Index.push_back(rng() & 0xFFFFFF);
    else p.Index.push_back(rng());
    p.Mask.push_back(Byte(rng() % 3 == 0));
  }
  return p;
}

// What TIcon::Pixels should give for a picture.
std::vector<uint32_t> Expected(const TIconPicture& p) {
  bool alpha = false;
  if (p.Bpp == 32)
    for (unsigned v : p.Index)
      if (v >> 24) alpha = true;
  std::vector<uint32_t> out;
  for (size_t i = 0; i < p.Index.size(); ++i) {
    uint32_t c = p.Bpp <= 8 ? p.Colors[p.Index[i]] & 0xFFFFFF : p.Index[i];
    if (alpha) out.push_back(c);
    else out.push_back(p.Mask[i] ? 0u : (c & 0xFFFFFF) | 0xFF000000u);
  }
  return out;
}

}  // namespace

TEST(Platform_Icon, EveryDepthLoadsAndSavesBackByteForByte) {
  std::mt19937 rng(21);
  for (int bpp : {1, 4, 8, 24, 32}) {
    SCOPED_TRACE(bpp);
    TIconPicture p = RandomPicture(bpp, 16, rng);
    std::vector<Byte> file = MakeIco({EncodeImage(p)}, {{16, 16}});
    TIcon icon;
    LoadBytes(icon, file);
    EXPECT_EQ(icon.Width(), 16);
    EXPECT_EQ(icon.Pixels(), Expected(p));
    EXPECT_EQ(SaveBytes(icon), file);
  }
}

TEST(Platform_Icon, SeveralImagesThePngKindAndTheRequestedSize) {
  std::mt19937 rng(4);
  TIconPicture small = RandomPicture(8, 16, rng), large = RandomPicture(32, 32, rng);
  TPngImage png(COLOR_RGBALPHA, 8, 48, 48);
  png.SetPixels(3, 4, clRed);
  png.AlphaScanline(4)[3] = 200;
  std::vector<Byte> file = MakeIco({EncodeImage(small), EncodeImage(large), SaveBytes(png)}, {{16, 16}, {32, 32}, {48, 48}});
  TIcon icon;
  LoadBytes(icon, file);
  EXPECT_EQ(icon.ImageCount(), 3);
  EXPECT_EQ(icon.Width(), 32);  // closest to the default request of 32 x 32
  EXPECT_EQ(icon.Pixels(), Expected(large));
  icon.SetSize(16, 16);
  EXPECT_EQ(icon.Pixels(), Expected(small));
  icon.SetSize(48, 48);
  EXPECT_EQ(icon.Pixels()[4 * 48 + 3], 0xC8FF0000u);
  EXPECT_EQ(icon.Pixels()[0], 0u);
  EXPECT_EQ(SaveBytes(icon), file);
  // The picture class finds icons by extension and by signature.
  TPicture pic;
  TBytesStream s(file);
  pic.LoadFromStream(&s);
  EXPECT_NE(dynamic_cast<TIcon*>(pic.Graphic()), nullptr);
}

TEST(Platform_Icon, HandlesDrawWithMaskOrAlpha) {
  int before = IconObjectCount();
  {
    // A masked icon: pixel (0,0) opaque red, (1,0) transparent.
    TIconPicture p{2, 1, 24, {}, {0xFF0000u, 0}, {0, 1}};
    TIcon icon;
    LoadBytes(icon, MakeIco({EncodeImage(p)}, {{2, 1}}));
    HICON h = icon.Handle();
    ASSERT_NE(h, nullptr);
    TBitmap b;
    b.SetPixelFormat(TPixelFormat::pf32bit);
    b.SetSize(3, 1);
    auto* px = static_cast<uint32_t*>(b.ScanLine(0));
    px[0] = px[1] = px[2] = 0xFF0000FFu;  // opaque blue
    b.Canvas()->Draw(0, 0, &icon);
    EXPECT_EQ(px[0], 0x00FF0000u);  // drawn: colour with alpha 0
    EXPECT_EQ(px[1], 0xFF0000FFu);  // transparent: untouched
    EXPECT_EQ(px[2], 0xFF0000FFu);
    // An alpha icon blends over what is there.
    TIconPicture a{1, 1, 32, {}, {0x80FFFFFFu}, {0}};
    TIcon ai;
    LoadBytes(ai, MakeIco({EncodeImage(a)}, {{1, 1}}));
    px[2] = 0xFF000000u;
    ai.Draw(b.Canvas(), TRect(2, 0, 3, 1));
    EXPECT_NEAR(int(px[2] & 0xFF), 128, 1);
    EXPECT_EQ(px[2] >> 24, 0xFFu);
    // GetIconInfo hands out copies; a new icon made from them is the same.
    ICONINFO ii;
    ASSERT_TRUE(GetIconInfo(ai.Handle(), &ii));
    HICON copy = CreateIconIndirect(&ii);
    DeleteObject(ii.hbmColor);
    DeleteObject(ii.hbmMask);
    TIcon taken;
    taken.SetHandle(copy);
    EXPECT_EQ(taken.Width(), 1);
    EXPECT_EQ(taken.Pixels(), ai.Pixels());
    // Saved from a handle, the icon is one 32-bit image.
    TIcon reread;
    LoadBytes(reread, SaveBytes(taken));
    EXPECT_EQ(reread.Pixels(), ai.Pixels());
  }
  EXPECT_EQ(IconObjectCount(), before);
  TIcon empty;
  EXPECT_EQ(empty.Handle(), nullptr);
}

TEST(Platform_Icon, StockIconsAreOurOwnPictures) {
  HICON logo = LoadIcon(nullptr, IDI_WINLOGO);
  ASSERT_NE(logo, nullptr);
  EXPECT_EQ(LoadIcon(nullptr, IDI_WINLOGO), logo);
  EXPECT_TRUE(DestroyIcon(logo));
  EXPECT_EQ(LoadIcon(nullptr, IDI_WINLOGO), logo);  // stock icons survive
  EXPECT_EQ(LoadIcon(nullptr, MAKEINTRESOURCEW(1)), nullptr);
  TIcon icon;
  icon.SetHandle(CopyIcon(logo));
  EXPECT_EQ(icon.Width(), 32);
  std::vector<uint32_t> px = icon.Pixels();
  EXPECT_EQ(px[0] >> 24, 0u);             // the corner is transparent
  EXPECT_EQ(px[8 * 32 + 8] >> 24, 255u);  // a pane is opaque
  EXPECT_NE(LoadIcon(nullptr, IDI_ERROR), nullptr);
  EXPECT_NE(LoadIcon(nullptr, IDI_APPLICATION), nullptr);
}

TEST(Platform_Icon, BadFilesAreRejectedAndLeaveTheIconAsItWas) {
  std::mt19937 rng(8);
  TIconPicture p = RandomPicture(8, 16, rng);
  TIcon keep;
  LoadBytes(keep, MakeIco({EncodeImage(p)}, {{16, 16}}));
  std::vector<uint32_t> before = keep.Pixels();
  TIconPicture q = RandomPicture(4, 8, rng);
  std::vector<Byte> good = MakeIco({EncodeImage(q)}, {{8, 8}});
  auto expectRejected = [&](const std::vector<Byte>& f) {
    bool raised = false;
    try {
      LoadBytes(keep, f);
    } catch (const EInvalidGraphic&) {
      raised = true;
    } catch (const EReadError&) {
      raised = true;
    }
    EXPECT_TRUE(raised);
    EXPECT_EQ(keep.Width(), 16);
    EXPECT_EQ(keep.Pixels(), before);
  };
  for (size_t n = 0; n < good.size(); n += 3) expectRejected(std::vector<Byte>(good.begin(), good.begin() + Int64(n)));
  std::vector<Byte> f = good;
  Put32(f, 6 + 12, 100000);
  expectRejected(f);  // image offset past the end
  f = good;
  Put16(f, 2, 7);
  expectRejected(f);  // not an icon or cursor
  f = good;
  Put32(f, 22 + 4, 0x7FFFFFFF);
  expectRejected(f);  // width overflowing
  f = good;
  Put32(f, 22 + 32, 3);  // three colours, while the pixels use up to sixteen
  expectRejected(f);
}

TEST(Platform_Icon, DrawIconExStretchesAndDrawsPartsOnRequest) {
  // 2 x 2: top row opaque green, bottom row transparent.
  ICONINFO ii;
  uint32_t colour[4] = {0x0000FF00u, 0x0000FF00u, 0, 0};
  ii.hbmColor = CreateBitmap(2, 2, 1, 32, colour);
  Byte mask[4] = {0x00, 0, 0xC0, 0};  // word-aligned rows: row 1 all set
  ii.hbmMask = CreateBitmap(2, 2, 1, 1, mask);
  HICON h = CreateIconIndirect(&ii);
  DeleteObject(ii.hbmColor);
  DeleteObject(ii.hbmMask);
  ASSERT_NE(h, nullptr);
  TBitmap b;
  b.SetPixelFormat(TPixelFormat::pf32bit);
  b.SetSize(4, 4);
  auto reset = [&] {
    for (int y = 0; y < 4; ++y) {
      auto* r = static_cast<uint32_t*>(b.ScanLine(y));
      for (int x = 0; x < 4; ++x) r[x] = 0xFFFF0000u;
    }
  };
  auto at = [&](int x, int y) { return static_cast<uint32_t*>(b.ScanLine(y))[x]; };
  reset();
  ASSERT_TRUE(DrawIconEx(b.Canvas()->Handle(), 0, 0, h, 4, 4, 0, nullptr, DI_NORMAL));
  EXPECT_EQ(at(3, 1), 0x0000FF00u);  // the top row, stretched over two rows
  EXPECT_EQ(at(0, 2), 0xFFFF0000u);  // the transparent half is untouched
  reset();
  DrawIconEx(b.Canvas()->Handle(), 0, 0, h, 2, 2, 0, nullptr, DI_MASK);
  EXPECT_EQ(at(0, 0), 0u);           // AND with a clear mask bit
  EXPECT_EQ(at(0, 1), 0xFFFF0000u);
  reset();
  DrawIconEx(b.Canvas()->Handle(), 0, 0, h, 2, 2, 0, nullptr, DI_IMAGE);
  EXPECT_EQ(at(0, 1), 0u);           // the colour bitmap alone
  // A flicker-free brush fills behind the icon.
  reset();
  HBRUSH brush = CreateSolidBrush(RGB(0, 0, 255));
  DrawIconEx(b.Canvas()->Handle(), 0, 0, h, 2, 2, 0, brush, DI_NORMAL);
  EXPECT_EQ(at(1, 1), 0x000000FFu);
  EXPECT_EQ(at(2, 1), 0xFFFF0000u);
  DeleteObject(brush);
  EXPECT_TRUE(DestroyIcon(h));
  EXPECT_FALSE(DestroyIcon(h));
}

}  // namespace t_icon_test
