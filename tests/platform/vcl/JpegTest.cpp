// TJPEGImage: encoding and decoding through libjpeg, options, and bad data.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

#include <jpeglib.h>

#include "tests/platform/vcl/VclTestSupport.h"

namespace t_jpeg_test {

using namespace vcl;
using namespace vcltest;

namespace {
TBitmap* Gradient(int w, int h) {
  auto* b = new TBitmap;
  b->SetPixelFormat(TPixelFormat::pf24bit);
  b->SetSize(w, h);
  for (int y = 0; y < h; ++y) {
    auto* r = static_cast<Byte*>(b->ScanLine(y));
    for (int x = 0; x < w; ++x) {
      r[3 * x] = Byte(x * 255 / (w - 1));      // blue
      r[3 * x + 1] = Byte(y * 255 / (h - 1));  // green
      r[3 * x + 2] = 200;                      // red
    }
  }
  return b;
}
}  // namespace

TEST(Platform_Jpeg, EncodedPicturesDecodeCloseToTheOriginal) {
  std::unique_ptr<TBitmap> src(Gradient(64, 48));
  for (bool progressive : {false, true}) {
    TJPEGImage j;
    j.Assign(src.get());
    j.SetCompressionQuality(95);
    j.SetProgressiveEncoding(progressive);
    TBytes data = SaveBytes(j);
    ASSERT_GT(data.size(), 100u);
    EXPECT_EQ(data[0], 0xFF);
    EXPECT_EQ(data[1], 0xD8);
    TJPEGImage back;
    LoadBytes(back, data);
    ASSERT_EQ(back.Width(), 64);
    ASSERT_EQ(back.Height(), 48);
    TBitmap out;
    out.Assign(&back);
    int worst = 0;
    for (int y = 0; y < 48; ++y)
      for (int x = 0; x < 64; ++x) {
        TColor a = src->Canvas()->Pixels(x, y), b = out.Canvas()->Pixels(x, y);
        worst = std::max({worst, std::abs(GetRValue(a) - GetRValue(b)), std::abs(GetGValue(a) - GetGValue(b)),
                          std::abs(GetBValue(a) - GetBValue(b))});
      }
    EXPECT_LE(worst, 12);
  }
  // Lower quality gives less data.
  TJPEGImage lo, hi;
  lo.SetCompressionQuality(10);
  hi.SetCompressionQuality(95);
  lo.Assign(src.get());
  hi.Assign(src.get());
  EXPECT_LT(SaveBytes(lo).size(), SaveBytes(hi).size());
}

TEST(Platform_Jpeg, ScaleAndGreyscaleRedecode) {
  std::unique_ptr<TBitmap> src(Gradient(64, 48));
  TJPEGImage j;
  j.Assign(src.get());
  TBytes data = SaveBytes(j);
  TJPEGImage k;
  LoadBytes(k, data);
  k.SetScale(TJPEGScale::jsQuarter);
  EXPECT_EQ(k.Width(), 16);
  EXPECT_EQ(k.Height(), 12);
  k.SetScale(TJPEGScale::jsFullSize);
  k.SetGrayscale(true);
  EXPECT_EQ(k.Bitmap()->PixelFormat(), TPixelFormat::pf8bit);
  TColor c = k.Bitmap()->Canvas()->Pixels(10, 10);
  EXPECT_EQ(GetRValue(c), GetGValue(c));
  EXPECT_EQ(GetGValue(c), GetBValue(c));
  // Drawn onto a canvas, it shows the picture.
  TBitmap canvas(64, 48);
  k.SetGrayscale(false);
  canvas.Canvas()->Draw(0, 0, &k);
  EXPECT_NEAR(GetRValue(canvas.Canvas()->Pixels(32, 24)), 200, 12);
  EXPECT_TRUE(TPicture::FindGraphicClassForExtension(u"jpg") == TJPEGImage::StaticClass());
}

TEST(Platform_Jpeg, BadDataIsRejectedAndLeavesTheImageAsItWas) {
  std::unique_ptr<TBitmap> src(Gradient(32, 32));
  TJPEGImage j;
  j.Assign(src.get());
  TBytes good = SaveBytes(j);
  TJPEGImage keep;
  LoadBytes(keep, good);
  TColor before = keep.Bitmap()->Canvas()->Pixels(5, 5);
  auto expectRejected = [&](const std::vector<Byte>& f) {
    EXPECT_THROW(LoadBytes(keep, f), EInvalidGraphic);
    EXPECT_EQ(keep.Width(), 32);
    EXPECT_EQ(keep.Bitmap()->Canvas()->Pixels(5, 5), before);
  };
  expectRejected({});
  expectRejected({0xFF, 0xD8, 0xFF});
  expectRejected(std::vector<Byte>(good.begin(), good.begin() + Int64(good.size() / 2)));
  expectRejected(std::vector<Byte>(good.begin(), good.begin() + 200));
  std::vector<Byte> f = good;
  f[0] = 0;
  expectRejected(f);
}

namespace {
// A 4x4 CMYK JPEG as the common writers store it: inverted samples, with
// the Adobe marker libjpeg writes for four-component images.
std::vector<Byte> CmykJpeg(Byte c, Byte m, Byte y, Byte k) {
  jpeg_compress_struct ci;
  jpeg_error_mgr err;
  ci.err = jpeg_std_error(&err);
  jpeg_create_compress(&ci);
  unsigned char* out = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&ci, &out, &size);
  ci.image_width = 4;
  ci.image_height = 4;
  ci.input_components = 4;
  ci.in_color_space = JCS_CMYK;
  jpeg_set_defaults(&ci);
  jpeg_set_quality(&ci, 100, TRUE);
  jpeg_start_compress(&ci, TRUE);
  Byte row[16];
  for (int x = 0; x < 4; ++x) {
    row[4 * x] = Byte(255 - c);
    row[4 * x + 1] = Byte(255 - m);
    row[4 * x + 2] = Byte(255 - y);
    row[4 * x + 3] = Byte(255 - k);
  }
  while (ci.next_scanline < ci.image_height) {
    JSAMPROW r = row;
    jpeg_write_scanlines(&ci, &r, 1);
  }
  jpeg_finish_compress(&ci);
  std::vector<Byte> v(out, out + size);
  jpeg_destroy_compress(&ci);
  std::free(out);
  return v;
}
}  // namespace

TEST(Platform_Jpeg, CmykPicturesBecomeRgb) {
  TJPEGImage j;
  LoadBytes(j, CmykJpeg(0, 255, 255, 0));  // red
  TColor c = j.Bitmap()->Canvas()->Pixels(1, 1);
  EXPECT_GE(GetRValue(c), 250);
  EXPECT_LE(GetGValue(c), 5);
  EXPECT_LE(GetBValue(c), 5);
  LoadBytes(j, CmykJpeg(0, 0, 0, 128));  // half black: grey
  c = j.Bitmap()->Canvas()->Pixels(1, 1);
  EXPECT_NEAR(GetRValue(c), 127, 3);
  EXPECT_EQ(GetRValue(c), GetBValue(c));
}

}  // namespace t_jpeg_test
