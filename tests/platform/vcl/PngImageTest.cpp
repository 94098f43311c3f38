// TPngImage against files written by libpng in the test: every colour type,
// bit depth and interlacing, transparency, and conversions with TBitmap.
#include <gtest/gtest.h>
#include <png.h>

#include "tests/platform/vcl/VclTestSupport.h"

namespace t_png_image_test {

using namespace vcl;
using namespace vcltest;

namespace {

struct TSamplePicture {
  int W = 0, H = 0, ColorType = 0, Depth = 8;
  bool Interlace = false;
  std::vector<std::vector<uint16_t>> Samples;  // per pixel, per channel (raw)
  std::vector<png_color> Palette;
  std::vector<Byte> TrnsAlpha;
  bool Trns = false;
  png_color_16 TrnsColor{};
};

int Channels(int ct) { return ct == 2 ? 3 : ct == 6 ? 4 : ct == 4 ? 2 : 1; }

void WriteCb(png_structp png, png_bytep d, size_t n) {
  auto* v = static_cast<std::vector<Byte>*>(png_get_io_ptr(png));
  v->insert(v->end(), d, d + n);
}
void FlushCb(png_structp) {}

std::vector<Byte> WritePng(const TSamplePicture& p) {
  std::vector<Byte> out;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  png_set_write_fn(png, &out, WriteCb, FlushCb);
  png_set_check_for_invalid_index(png, -1);
  png_set_IHDR(png, info, png_uint_32(p.W), png_uint_32(p.H), p.Depth, p.ColorType,
               p.Interlace ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  if (p.ColorType == 3) png_set_PLTE(png, info, const_cast<png_colorp>(p.Palette.data()), int(p.Palette.size()));
  if (p.Trns) {
    png_color_16 c = p.TrnsColor;
    png_set_tRNS(png, info, p.TrnsAlpha.empty() ? nullptr : const_cast<png_bytep>(p.TrnsAlpha.data()),
                 p.ColorType == 3 ? int(p.TrnsAlpha.size()) : 1, &c);
  }
  png_write_info(png, info);
  if (p.Depth < 8) png_set_packing(png);
  int ch = Channels(p.ColorType), bps = p.Depth == 16 ? 2 : 1;
  std::vector<std::vector<Byte>> rows(size_t(p.H), std::vector<Byte>(size_t(p.W * ch * bps)));
  std::vector<png_bytep> ptrs;
  for (int y = 0; y < p.H; ++y) {
    for (int x = 0; x < p.W; ++x)
      for (int c = 0; c < ch; ++c) {
        uint16_t v = p.Samples[size_t(y * p.W + x)][size_t(c)];
        Byte* d = &rows[size_t(y)][size_t((x * ch + c) * bps)];
        if (bps == 2) {
          d[0] = Byte(v >> 8);
          d[1] = Byte(v);
        } else {
          d[0] = Byte(v);
        }
      }
    ptrs.push_back(rows[size_t(y)].data());
  }
  png_write_image(png, ptrs.data());
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  return out;
}

TSamplePicture RandomPicture(int ct, int depth, bool interlace, std::mt19937& rng) {
  TSamplePicture p;
  p.W = 11;
  p.H = 9;
  p.ColorType = ct;
  p.Depth = depth;
  p.Interlace = interlace;
  unsigned max = depth == 16 ? 65535 : (1u << depth) - 1;
  if (ct == 3) {
    unsigned n = std::min(1u << depth, 100u);
    for (unsigned i = 0; i < n; ++i) p.Palette.push_back({Byte(rng()), Byte(rng()), Byte(rng())});
    max = n - 1;
  }
  for (int i = 0; i < p.W * p.H; ++i) {
    std::vector<uint16_t> s;
    for (int c = 0; c < Channels(ct); ++c) s.push_back(uint16_t(rng() % (max + 1)));
    p.Samples.push_back(s);
  }
  return p;
}

}  // namespace

TEST(Platform_PngImage, EveryColourTypeAndDepthDecodesToItsSamples) {
  std::mt19937 rng(3);
  const std::vector<std::pair<int, std::vector<int>>> kinds = {
      {0, {1, 2, 4, 8, 16}}, {2, {8, 16}}, {3, {1, 2, 4, 8}}, {4, {8, 16}}, {6, {8, 16}}};
  for (const auto& [ct, depths] : kinds)
    for (int depth : depths)
      for (bool interlace : {false, true}) {
        SCOPED_TRACE(testing::Message() << "type " << ct << " depth " << depth << " interlace " << interlace);
        TSamplePicture p = RandomPicture(ct, depth, interlace, rng);
        TPngImage png;
        LoadBytes(png, WritePng(p));
        ASSERT_EQ(png.Width(), p.W);
        ASSERT_EQ(png.Header()->ColorType(), ct);
        ASSERT_EQ(png.Header()->BitDepth(), depth);
        EXPECT_EQ(png.InterlaceMethod(), interlace ? TInterlaceMethod::imAdam7 : TInterlaceMethod::imNone);
        int colourChannels = ct == 2 || ct == 6 ? 3 : 1;
        for (int y = 0; y < p.H; ++y)
          for (int x = 0; x < p.W; ++x) {
            const auto& s = p.Samples[size_t(y * p.W + x)];
            for (int c = 0; c < colourChannels; ++c) {
              int at = x * colourChannels + (colourChannels == 3 ? 2 - c : 0);  // BGR in memory
              unsigned v = png.Scanline(y)[at];
              if (depth == 16) v = v << 8 | png.ExtraScanline(y)[at];
              ASSERT_EQ(v, s[size_t(c)]) << x << "," << y;
            }
            if (ct == 4 || ct == 6) {
              unsigned a = png.AlphaScanline(y)[x];
              ASSERT_EQ(a, unsigned(s.back() >> (depth == 16 ? 8 : 0)));
            } else {
              ASSERT_EQ(png.AlphaScanline(y), nullptr);
            }
          }
        EXPECT_EQ(png.TransparencyMode(),
                  ct >= 4 ? TPNGTransparencyMode::ptmPartial : TPNGTransparencyMode::ptmNone);
        // Saved and read again, nothing is lost.
        TPngImage again;
        LoadBytes(again, SaveBytes(png));
        std::vector<uint32_t> a, b;
        png.GetARGB(a);
        again.GetARGB(b);
        EXPECT_EQ(a, b);
        EXPECT_EQ(again.Header()->BitDepth(), depth);
        if (depth == 16) {
          EXPECT_EQ(std::vector<Byte>(again.ExtraScanline(0), again.ExtraScanline(0) + 3),
                    std::vector<Byte>(png.ExtraScanline(0), png.ExtraScanline(0) + 3));
        }
      }
}

TEST(Platform_PngImage, TransparencyChunks) {
  std::mt19937 rng(9);
  // Palette with partial alpha.
  TSamplePicture p = RandomPicture(3, 8, false, rng);
  p.Trns = true;
  p.TrnsAlpha = {0, 128, 255};
  TPngImage png;
  LoadBytes(png, WritePng(p));
  EXPECT_EQ(png.TransparencyMode(), TPNGTransparencyMode::ptmPartial);
  std::vector<uint32_t> argb;
  png.GetARGB(argb);
  for (size_t i = 0; i < argb.size(); ++i) {
    unsigned idx = p.Samples[i][0];
    unsigned alpha = idx < 3 ? p.TrnsAlpha[idx] : 255;
    ASSERT_EQ(argb[i] >> 24, alpha);
    ASSERT_EQ(argb[i] & 0xFFFFFF, (unsigned(p.Palette[idx].red) << 16) | (p.Palette[idx].green << 8) | p.Palette[idx].blue);
  }
  // One transparent RGB colour: bit transparency.
  TSamplePicture q = RandomPicture(2, 8, false, rng);
  q.Samples[5] = {10, 20, 30};
  q.Trns = true;
  q.TrnsColor.red = 10;
  q.TrnsColor.green = 20;
  q.TrnsColor.blue = 30;
  LoadBytes(png, WritePng(q));
  EXPECT_EQ(png.TransparencyMode(), TPNGTransparencyMode::ptmBit);
  EXPECT_EQ(png.TransparentColor(), TColor(RGB(10, 20, 30)));
  png.GetARGB(argb);
  EXPECT_EQ(argb[5], 0x000A141Eu);
  // CreateAlpha turns the tRNS colour into an alpha channel...
  png.CreateAlpha();
  EXPECT_EQ(png.Header()->ColorType(), COLOR_RGBALPHA);
  EXPECT_EQ(png.AlphaScanline(0)[5], 0);
  EXPECT_EQ(png.AlphaScanline(0)[4], 255);
  // ...which RemoveTransparency drops again.
  png.RemoveTransparency();
  EXPECT_EQ(png.Header()->ColorType(), COLOR_RGB);
  EXPECT_EQ(png.TransparencyMode(), TPNGTransparencyMode::ptmNone);
  // Setting a transparent colour writes a tRNS chunk that survives saving.
  png.SetTransparentColor(TColor(RGB(10, 20, 30)));
  TPngImage back;
  LoadBytes(back, SaveBytes(png));
  EXPECT_EQ(back.TransparencyMode(), TPNGTransparencyMode::ptmBit);
  EXPECT_EQ(back.TransparentColor(), TColor(RGB(10, 20, 30)));
  // Grey at 2 bits: the tRNS grey is a raw sample.
  TSamplePicture g = RandomPicture(0, 2, false, rng);
  g.Trns = true;
  g.TrnsColor.gray = 2;
  LoadBytes(png, WritePng(g));
  EXPECT_EQ(png.TransparentColor(), TColor(RGB(170, 170, 170)));
  png.GetARGB(argb);
  for (size_t i = 0; i < argb.size(); ++i) ASSERT_EQ(argb[i] >> 24, g.Samples[i][0] == 2 ? 0u : 255u);
}

TEST(Platform_PngImage, ConversionsWithBitmaps) {
  // pf32bit: colour only, as RGB.
  TBitmap b;
  b.SetPixelFormat(TPixelFormat::pf32bit);
  b.SetSize(3, 2);
  auto* r0 = static_cast<uint32_t*>(b.ScanLine(0));
  r0[0] = 0x80FF0000u;
  r0[1] = 0xFF00FF00u;
  TPngImage png;
  png.Assign(&b);
  EXPECT_EQ(png.Header()->ColorType(), COLOR_RGB);
  EXPECT_EQ(png.Pixels(0, 0), clRed);
  EXPECT_EQ(png.Pixels(1, 0), clLime);
  // pf8bit: paletted with the bitmap's table and indices.
  TBitmap p;
  p.SetPixelFormat(TPixelFormat::pf8bit);
  p.SetSize(4, 1);
  static_cast<Byte*>(p.ScanLine(0))[2] = 12;
  png.Assign(&p);
  EXPECT_EQ(png.Header()->ColorType(), COLOR_PALETTE);
  EXPECT_EQ(png.Header()->BitDepth(), 8);
  EXPECT_EQ(png.Scanline(0)[2], 12);
  EXPECT_EQ(png.Palette().size(), 256u);
  // Partial alpha comes back as a pf32bit bitmap with straight alpha.
  TPngImage a(COLOR_RGBALPHA, 8, 2, 1);
  a.SetPixels(0, 0, clRed);
  a.AlphaScanline(0)[0] = 77;
  TBitmap out;
  out.Assign(&a);
  EXPECT_EQ(out.PixelFormat(), TPixelFormat::pf32bit);
  EXPECT_EQ(out.AlphaFormat(), TAlphaFormat::afDefined);
  EXPECT_EQ(static_cast<uint32_t*>(out.ScanLine(0))[0], 0x4DFF0000u);
  // Drawing blends: alpha 77 red over white.
  TBitmap canvas(2, 1);
  canvas.Canvas()->Brush()->SetColor(clWhite);
  canvas.Canvas()->FillRect(TRect(0, 0, 2, 1));
  a.AlphaScanline(0)[1] = 0;
  canvas.Canvas()->Draw(0, 0, &a);
  TColor c = canvas.Canvas()->Pixels(0, 0);
  EXPECT_EQ(GetRValue(c), 255);
  EXPECT_NEAR(GetGValue(c), 255 - 77, 1);
  EXPECT_EQ(canvas.Canvas()->Pixels(1, 0), clWhite);
}

TEST(Platform_PngImage, CompressionInterlaceAndStreamPosition) {
  TPngImage png(COLOR_RGB, 8, 40, 40);
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 40; ++x) png.SetPixels(x, y, TColor(RGB(Byte(x * 6), Byte(y * 6), 0)));
  png.SetCompressionLevel(0);
  size_t stored = SaveBytes(png).size();
  png.SetCompressionLevel(9);
  size_t packed = SaveBytes(png).size();
  EXPECT_LT(packed, stored);
  png.SetInterlaceMethod(TInterlaceMethod::imAdam7);
  TBytes interlaced = SaveBytes(png);
  // Two images back to back: each load stops after its own IEND.
  TBytesStream s;
  png.SaveToStream(&s);
  TPngImage small(COLOR_GRAYSCALE, 1, 3, 3);
  small.SaveToStream(&s);
  s.WriteBuffer("tail", 4);
  s.SetPosition(0);
  TPngImage first, second;
  first.LoadFromStream(&s);
  second.LoadFromStream(&s);
  EXPECT_EQ(first.Width(), 40);
  EXPECT_EQ(first.InterlaceMethod(), TInterlaceMethod::imAdam7);
  EXPECT_EQ(first.Pixels(39, 20), TColor(RGB(234, 120, 0)));
  EXPECT_EQ(second.Width(), 3);
  char tail[4];
  s.ReadBuffer(tail, 4);
  EXPECT_EQ(std::string(tail, 4), "tail");
}

TEST(Platform_PngImage, BadFilesAreRejectedAndLeaveTheImageAsItWas) {
  TPngImage keep(COLOR_GRAYSCALE, 8, 2, 2);
  keep.SetPixels(1, 1, clWhite);
  TPngImage src(COLOR_PALETTE, 4, 9, 9);
  TBytes good = SaveBytes(src);
  auto expectRejected = [&](const std::vector<Byte>& file) {
    bool raised = false;
    try {
      LoadBytes(keep, file);
    } catch (const EInvalidGraphic&) {
      raised = true;
    } catch (const EReadError&) {
      raised = true;
    }
    EXPECT_TRUE(raised);
    EXPECT_EQ(keep.Width(), 2);
    EXPECT_EQ(keep.Header()->ColorType(), COLOR_GRAYSCALE);
    EXPECT_EQ(keep.Pixels(1, 1), clWhite);
  };
  for (size_t n = 0; n < good.size(); n += 5) expectRejected(std::vector<Byte>(good.begin(), good.begin() + Int64(n)));
  std::vector<Byte> f = good;
  f[20] ^= 0x40;  // the header's CRC no longer matches
  expectRejected(f);
  // An index past a short palette.
  TSamplePicture p;
  p.W = 2;
  p.H = 1;
  p.ColorType = 3;
  p.Depth = 8;
  p.Palette = {{1, 2, 3}, {4, 5, 6}};
  p.Samples = {{0}, {5}};
  expectRejected(WritePng(p));
}

TEST(Platform_PngImage, PaletteAlphaChunkAndStretchedDrawing) {
  TPngImage p(COLOR_PALETTE, 2, 2, 2);
  EXPECT_FALSE(p.HasTransparencyChunk());
  p.CreateAlpha();  // a palette gains an all-opaque tRNS chunk
  EXPECT_TRUE(p.HasTransparencyChunk());
  p.SetTransparentColor(TColor(RGB(0, 0, 0)));  // entry 0 of the grey ramp
  EXPECT_EQ(p.TransparentColor(), clBlack);
  EXPECT_EQ(p.TransparencyMode(), TPNGTransparencyMode::ptmBit);
  p.Scanline(0)[1] = 3;  // white, opaque; everything else index 0, transparent
  TBitmap dst(4, 4);
  dst.Canvas()->Brush()->SetColor(clRed);
  dst.Canvas()->FillRect(TRect(0, 0, 4, 4));
  dst.Canvas()->StretchDraw(TRect(0, 0, 4, 4), &p);
  EXPECT_EQ(dst.Canvas()->Pixels(3, 0), clWhite);
  EXPECT_EQ(dst.Canvas()->Pixels(2, 1), clWhite);
  EXPECT_EQ(dst.Canvas()->Pixels(0, 0), clRed);
  EXPECT_EQ(dst.Canvas()->Pixels(3, 3), clRed);
}

}  // namespace t_png_image_test
