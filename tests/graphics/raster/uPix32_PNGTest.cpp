#include <gtest/gtest.h>
#include <png.h>

#include <csetjmp>
#include <random>
#include <vector>

#include "graphics/raster/uPix32_PNG.h"
#include "tests/common/TestSupport.h"

namespace t_u_pix32_pngtest {

using namespace qn;

namespace {

// A PNG written by libpng itself, so that the files do not come from the
// reader under test.
struct PngSpec {
  int W = 1, H = 1, ColorType = PNG_COLOR_TYPE_RGB, BitDepth = 8;
  bool Interlace = false;
  std::vector<png_color> Palette;
  std::vector<png_byte> TrnsAlpha;  // palette alpha
  bool TrnsColour = false;
  png_color_16 Trns{};
  std::vector<std::vector<png_byte>> Rows;
};

std::vector<Byte> Encode(const PngSpec& s) {
  std::vector<Byte> out;
  png_structp p = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(p);
  if (setjmp(png_jmpbuf(p))) {
    png_destroy_write_struct(&p, &info);
    return {};
  }
  png_set_write_fn(
      p, &out,
      [](png_structp pp, png_bytep d, png_size_t n) {
        auto* o = static_cast<std::vector<Byte>*>(png_get_io_ptr(pp));
        o->insert(o->end(), d, d + n);
      },
      [](png_structp) {});
  png_set_IHDR(p, info, png_uint_32(s.W), png_uint_32(s.H), s.BitDepth, s.ColorType,
               s.Interlace ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  if (!s.Palette.empty()) png_set_PLTE(p, info, s.Palette.data(), int(s.Palette.size()));
  if (!s.TrnsAlpha.empty()) png_set_tRNS(p, info, s.TrnsAlpha.data(), int(s.TrnsAlpha.size()), nullptr);
  if (s.TrnsColour) png_set_tRNS(p, info, nullptr, 0, &s.Trns);
  png_write_info(p, info);
  std::vector<png_bytep> rows;
  for (auto& r : s.Rows) rows.push_back(const_cast<png_bytep>(r.data()));
  png_write_image(p, rows.data());
  png_write_end(p, info);
  png_destroy_write_struct(&p, &info);
  return out;
}

std::unique_ptr<TMemoryStream> StreamOf(const std::vector<Byte>& bytes, size_t prefix = 0) {
  auto s = std::make_unique<TMemoryStream>();
  std::vector<Byte> junk(prefix, 0xA5);
  if (prefix) s->WriteBuffer(junk.data(), Integer(prefix));
  s->WriteBuffer(bytes.data(), Integer(bytes.size()));
  s->SetPosition(Int64(prefix));
  return s;
}

struct Loaded {
  std::vector<TColor32> Pixels;
  bool Alpha = false;
  TDrawMode Mode = TDrawMode::dmOpaque;
};

Loaded Load(const PngSpec& spec) {
  const auto bytes = Encode(spec);
  EXPECT_FALSE(bytes.empty());
  Loaded r;
  TBitmap32 b;
  auto s = StreamOf(bytes);
  LoadPNGintoBitmap32(&b, s.get(), r.Alpha);
  EXPECT_EQ(b.Width(), spec.W);
  EXPECT_EQ(b.Height(), spec.H);
  r.Pixels.assign(b.Bits(), b.Bits() + b.Width() * b.Height());
  TBitmap32 c;
  auto t = StreamOf(bytes);
  LoadPNGintoBitmap32(&c, t.get());
  r.Mode = c.DrawMode();
  EXPECT_EQ(r.Mode, r.Alpha ? TDrawMode::dmBlend : TDrawMode::dmOpaque);
  return r;
}

}  // namespace

TEST(uPix32_PNG, EveryColourTypeLoadsWithItsAlpha) {
  PngSpec grey;
  grey.W = 2;
  grey.ColorType = PNG_COLOR_TYPE_GRAY;
  grey.Rows = {{0x40, 0xC0}};
  auto g = Load(grey);
  EXPECT_EQ(g.Pixels, (std::vector<TColor32>{0xFF404040u, 0xFFC0C0C0u}));
  EXPECT_FALSE(g.Alpha);

  PngSpec greyAlpha = grey;
  greyAlpha.ColorType = PNG_COLOR_TYPE_GRAY_ALPHA;
  greyAlpha.Rows = {{0x40, 0x80, 0xC0, 0x00}};
  auto ga = Load(greyAlpha);
  EXPECT_EQ(ga.Pixels, (std::vector<TColor32>{0x80404040u, 0x00C0C0C0u}));
  EXPECT_TRUE(ga.Alpha);

  PngSpec rgb;
  rgb.W = 2;
  rgb.Rows = {{0x11, 0x22, 0x33, 0xFE, 0x00, 0x01}};
  auto c = Load(rgb);
  EXPECT_EQ(c.Pixels, (std::vector<TColor32>{0xFF112233u, 0xFFFE0001u}));
  EXPECT_FALSE(c.Alpha);

  PngSpec rgba = rgb;
  rgba.ColorType = PNG_COLOR_TYPE_RGBA;
  rgba.Rows = {{0x11, 0x22, 0x33, 0x44, 0xFE, 0x00, 0x01, 0xFF}};
  auto ca = Load(rgba);
  EXPECT_EQ(ca.Pixels, (std::vector<TColor32>{0x44112233u, 0xFFFE0001u}));
  EXPECT_TRUE(ca.Alpha);

  PngSpec deep = rgb;
  deep.BitDepth = 16;
  deep.Rows = {{0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC, 0xFF, 0xFF, 0x00, 0x00, 0x80, 0x00}};
  auto d = Load(deep);
  EXPECT_EQ(d.Pixels, (std::vector<TColor32>{0xFF12569Au, 0xFFFF0080u}));
}

TEST(uPix32_PNG, PaletteAlphaIsKeptPerPixel) {
  PngSpec pal;
  pal.W = 3;
  pal.ColorType = PNG_COLOR_TYPE_PALETTE;
  pal.Palette = {{0xFF, 0x00, 0x00}, {0x00, 0xFF, 0x00}, {0x00, 0x00, 0xFF}};
  pal.Rows = {{0, 1, 2}};
  auto opaque = Load(pal);
  EXPECT_EQ(opaque.Pixels, (std::vector<TColor32>{0xFFFF0000u, 0xFF00FF00u, 0xFF0000FFu}));
  EXPECT_FALSE(opaque.Alpha);

  pal.TrnsAlpha = {0x00, 0x80};  // the third entry stays opaque
  auto partial = Load(pal);
  EXPECT_EQ(partial.Pixels, (std::vector<TColor32>{0x00FF0000u, 0x8000FF00u, 0xFF0000FFu}));
  EXPECT_TRUE(partial.Alpha);
  EXPECT_EQ(partial.Mode, TDrawMode::dmBlend);
}

TEST(uPix32_PNG, OneTransparentColourAndInterlacedPictures) {
  PngSpec key;
  key.W = 3;
  key.Rows = {{0x10, 0x20, 0x30, 0x10, 0x20, 0x31, 0x10, 0x20, 0x30}};
  key.TrnsColour = true;
  key.Trns.red = 0x10;
  key.Trns.green = 0x20;
  key.Trns.blue = 0x30;
  auto k = Load(key);
  EXPECT_EQ(k.Pixels, (std::vector<TColor32>{0x00102030u, 0xFF102031u, 0x00102030u}));
  EXPECT_TRUE(k.Alpha);

  PngSpec lace;
  lace.W = 9;
  lace.H = 9;
  lace.ColorType = PNG_COLOR_TYPE_RGBA;
  lace.Interlace = true;
  std::vector<TColor32> want;
  for (int y = 0; y < 9; ++y) {
    std::vector<png_byte> row;
    for (int x = 0; x < 9; ++x) {
      const png_byte r = png_byte(x * 20), g = png_byte(y * 20), b = png_byte(x + y), a = png_byte(255 - x * y);
      row.insert(row.end(), {r, g, b, a});
      want.push_back(TColor32(a) << 24 | TColor32(r) << 16 | TColor32(g) << 8 | b);
    }
    lace.Rows.push_back(row);
  }
  auto l = Load(lace);
  EXPECT_EQ(l.Pixels, want);
}

TEST(uPix32_PNG, APngAtAnOffsetLoadsFromWhereTheStreamStands) {
  PngSpec rgba;
  rgba.W = 2;
  rgba.ColorType = PNG_COLOR_TYPE_RGBA;
  rgba.Rows = {{1, 2, 3, 4, 5, 6, 7, 8}};
  const auto bytes = Encode(rgba);
  auto s = StreamOf(bytes, 13);
  TBitmap32 b;
  bool alpha = false;
  LoadPNGintoBitmap32(&b, s.get(), alpha);
  EXPECT_TRUE(alpha);
  EXPECT_EQ(b.GetPixel(0, 0), 0x04010203u);
  EXPECT_EQ(b.GetPixel(1, 0), 0x08050607u);
  EXPECT_EQ(s->Position(), Int64(13 + bytes.size()));
}

TEST(uPix32_PNG, BrokenDataRaisesAndLeavesTheBitmap) {
  PngSpec rgb;
  rgb.W = 2;
  rgb.H = 2;
  rgb.Rows = {{1, 2, 3, 4, 5, 6}, {7, 8, 9, 10, 11, 12}};
  auto bytes = Encode(rgb);
  bytes.resize(bytes.size() / 2);
  TBitmap32 b;
  b.SetSize(1, 1);
  b.SetPixel(0, 0, 0x12345678u);
  auto s = StreamOf(bytes);
  bool alpha = true;
  EXPECT_THROW(LoadPNGintoBitmap32(&b, s.get(), alpha), Exception);
  EXPECT_EQ(b.Width(), 1);
  EXPECT_EQ(b.GetPixel(0, 0), 0x12345678u);
}

TEST(uPix32_PNG, SavedPicturesComeBackPixelForPixel) {
  TBitmap32 b;
  b.SetSize(7, 5);
  std::mt19937 rng(3);
  for (Integer i = 0; i < 35; ++i) b.Bits()[i] = rng();
  const std::string dir = qntest::MakeTempDir("pngsave");
  const String withAlpha = FromUtf8(dir) + u"/alpha.png", without = FromUtf8(dir) + u"/plain.png";

  ASSERT_TRUE(SaveBitmap32ToPNG(&b, true, 0, withAlpha, 9, TInterlaceMethod::imAdam7));
  TBitmap32 c;
  bool alpha = false;
  LoadPNGintoBitmap32(&c, withAlpha, alpha);
  EXPECT_TRUE(alpha);
  for (Integer i = 0; i < 35; ++i) ASSERT_EQ(c.Bits()[i], b.Bits()[i]) << i;

  ASSERT_TRUE(SaveBitmap32ToPNG(&b, false, 0, without));
  LoadPNGintoBitmap32(&c, without, alpha);
  EXPECT_FALSE(alpha);
  for (Integer i = 0; i < 35; ++i) ASSERT_EQ(c.Bits()[i], b.Bits()[i] | 0xFF000000u) << i;

  TPngImage png;
  ASSERT_TRUE(SaveBitmap32ToPNG(&b, &png));
  EXPECT_EQ(png.Header()->ColorType(), COLOR_RGBALPHA);
  EXPECT_EQ(png.CompressionLevel(), 9);
  TMemoryStream s;
  png.SaveToStream(&s);
  s.SetPosition(0);
  LoadPNGintoBitmap32(&c, &s);
  EXPECT_EQ(c.DrawMode(), TDrawMode::dmBlend);
  for (Integer i = 0; i < 35; ++i) ASSERT_EQ(c.Bits()[i], b.Bits()[i]) << i;

  EXPECT_FALSE(SaveBitmap32ToPNG(nullptr, &png));
  EXPECT_FALSE(SaveBitmap32ToPNG(&b, true, 0, FromUtf8(dir) + u"/no/such/folder/x.png"));
}

}  // namespace t_u_pix32_pngtest
