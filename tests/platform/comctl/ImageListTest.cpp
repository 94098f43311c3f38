// The common controls' image lists: strips with colour keys, the drawing
// styles by pixel probes, overlays, and the list operations against a plain
// vector of images.
#include <gtest/gtest.h>

#include <cstdlib>
#include <random>
#include <vector>

#include "platform/comctl/CommCtrl.h"
#include "platform/user/User.h"

namespace t_image_list_test {

using namespace vcl;

namespace {

// A 32-bit bitmap from top-down 0xAARRGGBB pixels.
HBITMAP Bitmap(int w, int h, const std::vector<uint32_t>& px) { return CreateBitmap(w, h, 1, 32, px.data()); }

// A drawing surface: a DIB section in a memory DC, read back directly.
struct Surface {
  int W, H;
  HDC Dc;
  HBITMAP Bmp;
  uint32_t* Bits = nullptr;
  HGDIOBJ Old;
  Surface(int w, int h, uint32_t fill) : W(w), H(h) {
    BITMAPINFO bi;
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;
    bi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    Bmp = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    Bits = static_cast<uint32_t*>(bits);
    for (int i = 0; i < w * h; ++i) Bits[i] = fill;
    Dc = CreateCompatibleDC(nullptr);
    Old = SelectObject(Dc, Bmp);
  }
  ~Surface() {
    SelectObject(Dc, Old);
    DeleteDC(Dc);
    DeleteObject(Bmp);
  }
  uint32_t At(int x, int y) const { return Bits[y * W + x] & 0xFFFFFF; }
};

int Ch(uint32_t c, int shift) { return int((c >> shift) & 0xFF); }
uint32_t Rgb(int r, int g, int b) { return (uint32_t(r) << 16) | (uint32_t(g) << 8) | uint32_t(b); }
uint32_t FromRef(COLORREF c) { return Rgb(GetRValue(c), GetGValue(c), GetBValue(c)); }

// Each channel within tol of the expected one.
::testing::AssertionResult Near(uint32_t got, uint32_t want, int tol = 1) {
  for (int s : {0, 8, 16})
    if (std::abs(Ch(got, s) - Ch(want, s)) > tol)
      return ::testing::AssertionFailure() << std::hex << "got " << got << " want " << want;
  return ::testing::AssertionSuccess();
}

// The mix of two colours with f parts in 256 of the second.
uint32_t Mix(uint32_t a, uint32_t b, int f) {
  auto m = [&](int s) { return (Ch(a, s) * (256 - f) + Ch(b, s) * f) / 256; };
  return Rgb(m(16), m(8), m(0));
}

constexpr uint32_t kKey = 0xFF00FF;

TEST(Platform_ImageList, AMaskedStripOfNineGivesNineImagesWithTheKeyColourTransparent) {
  std::mt19937 rng(8);
  const int n = 9, cx = 16, cy = 16;
  std::vector<uint32_t> strip(size_t(n * cx * cy));
  for (auto& p : strip) p = (rng() % 4 == 0) ? kKey : (rng() & 0xFFFFFF);
  // Nobody else may use the key by chance.
  for (auto& p : strip)
    if (p != kKey && (p & 0xFFFFFF) == kKey) p ^= 1;
  HIMAGELIST il = ImageList_Create(cx, cy, ILC_MASK | ILC_COLOR32, 0, 4);
  HBITMAP b = Bitmap(n * cx, cy, strip);
  ASSERT_EQ(ImageList_AddMasked(il, b, RGB(255, 0, 255)), 0);
  DeleteObject(b);
  ASSERT_EQ(ImageList_GetImageCount(il), n);
  const uint32_t bg = Rgb(10, 20, 30), bk = Rgb(1, 200, 3);
  Surface s(n * cx, 2 * cy, bg);
  ImageList_SetBkColor(il, RGB(1, 200, 3));
  for (int i = 0; i < n; ++i) {
    ASSERT_TRUE(ImageList_Draw(il, i, s.Dc, i * cx, 0, ILD_TRANSPARENT));
    ASSERT_TRUE(ImageList_Draw(il, i, s.Dc, i * cx, cy, ILD_NORMAL));  // over the list's background
  }
  for (int y = 0; y < cy; ++y)
    for (int x = 0; x < n * cx; ++x) {
      uint32_t want = strip[size_t(y * n * cx + x)] & 0xFFFFFF;
      bool key = want == kKey;
      ASSERT_EQ(s.At(x, y), key ? bg : want) << x << "," << y;
      ASSERT_EQ(s.At(x, y + cy), key ? bk : want) << x << "," << y;
    }
  ImageList_Destroy(il);
}

TEST(Platform_ImageList, DrawingStylesMixBlendMaskGreyAndOverlayAsDocumented) {
  const int cx = 8, cy = 8;
  const uint32_t c = Rgb(200, 100, 40), fg = Rgb(240, 40, 0), bg = Rgb(250, 250, 250), dot = Rgb(0, 0, 0);
  std::vector<uint32_t> img(cx * cy, c | 0xFF000000u);
  std::vector<uint32_t> mask(cx * cy, 0);
  mask[0] = 0xFFFFFF;  // the top-left pixel is transparent
  std::vector<uint32_t> overlay(cx * cy, 0);
  overlay[size_t(7 * cx + 7)] = dot | 0xFF000000u;  // a one-pixel overlay in the corner, alpha elsewhere 0
  // An alpha image: half-transparent red.
  std::vector<uint32_t> half(cx * cy, 0x80FF0000u);
  HIMAGELIST il = ImageList_Create(cx, cy, ILC_MASK | ILC_COLOR32, 0, 4);
  HBITMAP bi = Bitmap(cx, cy, img), bm = CreateBitmap(cx, cy, 1, 32, mask.data()), bo = Bitmap(cx, cy, overlay),
          bh = Bitmap(cx, cy, half);
  ASSERT_EQ(ImageList_Add(il, bi, bm), 0);
  ASSERT_EQ(ImageList_Add(il, bo, nullptr), 1);
  ASSERT_EQ(ImageList_Add(il, bh, nullptr), 2);
  for (HBITMAP b : {bi, bm, bo, bh}) DeleteObject(b);
  ASSERT_TRUE(ImageList_SetOverlayImage(il, 1, 1));

  struct Case {
    const char* Name;
    UINT Style;
    COLORREF Bk, Fg;
    DWORD State;
    uint32_t Body;    // expected at (3, 3)
    uint32_t Corner;  // expected at the masked (0, 0)
  };
  const uint32_t hl = FromRef(GetSysColor(COLOR_HIGHLIGHT));
  const uint32_t grey = [&] {
    int l = (200 * 77 + 100 * 151 + 40 * 28 + 128) >> 8;
    return Rgb(l, l, l);
  }();
  const Case cases[] = {
      {"normal over CLR_NONE", ILD_NORMAL, CLR_NONE, CLR_NONE, 0, c, bg},
      {"background colour", ILD_NORMAL, RGB(9, 8, 7), CLR_NONE, 0, c, Rgb(9, 8, 7)},
      {"transparent despite colour", ILD_TRANSPARENT, RGB(9, 8, 7), CLR_NONE, 0, c, bg},
      {"blend 50", ILD_TRANSPARENT | ILD_BLEND50, CLR_NONE, RGB(240, 40, 0), 0, Mix(c, fg, 128), bg},
      {"blend 25", ILD_TRANSPARENT | ILD_BLEND25, CLR_NONE, RGB(240, 40, 0), 0, Mix(c, fg, 64), bg},
      {"blend with highlight", ILD_TRANSPARENT | ILD_BLEND50, CLR_NONE, CLR_DEFAULT, 0, Mix(c, hl, 128), bg},
      {"mask", ILD_MASK, CLR_NONE - 1, CLR_NONE, 0, 0, 0xFFFFFF},
      {"transparent mask", ILD_MASK | ILD_TRANSPARENT, CLR_NONE, CLR_NONE, 0, 0, bg},
      {"saturate", ILD_TRANSPARENT, CLR_NONE, CLR_NONE, ILS_SATURATE, grey, bg},
  };
  for (const Case& k : cases) {
    Surface s(cx, cy, bg);
    IMAGELISTDRAWPARAMS p;
    p.himl = il;
    p.i = 0;
    p.hdcDst = s.Dc;
    p.rgbBk = k.Bk == CLR_NONE - 1 ? RGB(5, 5, 5) : k.Bk;
    p.rgbFg = k.Fg;
    p.fStyle = k.Style;
    p.fState = k.State;
    ASSERT_TRUE(ImageList_DrawIndirect(&p)) << k.Name;
    EXPECT_TRUE(Near(s.At(3, 3), k.Body)) << k.Name;
    EXPECT_TRUE(Near(s.At(0, 0), k.Corner, 0)) << k.Name;
  }
  {
    // DrawEx: its own background under the mask and its own blend colour.
    Surface s(cx, cy, bg);
    ASSERT_TRUE(ImageList_DrawEx(il, 0, s.Dc, 0, 0, 0, 0, RGB(1, 2, 3), RGB(240, 40, 0), ILD_BLEND50));
    EXPECT_EQ(s.At(0, 0), Rgb(1, 2, 3));
    EXPECT_TRUE(Near(s.At(3, 3), Mix(c, fg, 128)));
    // A part of the image only: 4 x 4 from (0, 0).
    Surface t(cx, cy, bg);
    ASSERT_TRUE(ImageList_DrawEx(il, 0, t.Dc, 0, 0, 4, 4, CLR_NONE, CLR_NONE, ILD_NORMAL));
    EXPECT_EQ(t.At(3, 3), c);
    EXPECT_EQ(t.At(5, 5), bg);
  }
  {
    // Overlay 1 is image 1: its dot lands on image 0's corner.
    Surface s(cx, cy, bg);
    ASSERT_TRUE(ImageList_Draw(il, 0, s.Dc, 0, 0, ILD_TRANSPARENT | INDEXTOOVERLAYMASK(1)));
    EXPECT_EQ(s.At(7, 7), dot);
    EXPECT_EQ(s.At(6, 7), c);
    EXPECT_EQ(s.At(0, 0), bg);
  }
  {
    // The alpha image composes by its alpha, over the destination or the
    // background colour; ILS_ALPHA scales alpha further.
    Surface s(cx, cy, bg);
    ASSERT_TRUE(ImageList_Draw(il, 2, s.Dc, 0, 0, ILD_TRANSPARENT));
    EXPECT_TRUE(Near(s.At(2, 2), Mix(bg, Rgb(255, 0, 0), 0x80), 2));
    Surface t(cx, cy, bg);
    ASSERT_TRUE(ImageList_DrawEx(il, 2, t.Dc, 0, 0, 0, 0, RGB(0, 0, 255), CLR_NONE, ILD_NORMAL));
    EXPECT_TRUE(Near(t.At(2, 2), Mix(Rgb(0, 0, 255), Rgb(255, 0, 0), 0x80), 2));
    Surface u(cx, cy, bg);
    IMAGELISTDRAWPARAMS p;
    p.himl = il;
    p.i = 0;
    p.hdcDst = u.Dc;
    p.rgbBk = CLR_NONE;
    p.fState = ILS_ALPHA;
    p.Frame = 64;
    ASSERT_TRUE(ImageList_DrawIndirect(&p));
    EXPECT_TRUE(Near(u.At(3, 3), Mix(bg, c, 64), 2));
  }
  ImageList_Destroy(il);
}

// The colour of image i, read from the list's own bitmaps.
uint32_t ImageColour(HIMAGELIST il, int i) {
  IMAGEINFO info;
  if (!ImageList_GetImageInfo(il, i, &info)) return 0xDEAD;
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, info.hbmImage);
  COLORREF c = GetPixel(dc, info.rcImage.Left + 1, 1);
  SelectObject(dc, old);
  DeleteDC(dc);
  return FromRef(c);
}

TEST(Platform_ImageList, ListOperationsMatchAPlainVectorOfImages) {
  std::mt19937 rng(44);
  const int cx = 4, cy = 4;
  HIMAGELIST il = ImageList_Create(cx, cy, ILC_MASK | ILC_COLOR32, 0, 2);
  std::vector<uint32_t> ref;
  auto solid = [&](uint32_t colour) {
    std::vector<uint32_t> px(cx * cy, colour | 0xFF000000u);
    return Bitmap(cx, cy, px);
  };
  uint32_t next = 1;
  for (int step = 0; step < 300; ++step) {
    int n = int(ref.size());
    switch (rng() % 6) {
      case 0:
      case 1: {
        uint32_t colour = Rgb(int(next % 251), int(next * 7 % 253), int(next * 13 % 255));
        ++next;
        HBITMAP b = solid(colour);
        ASSERT_EQ(ImageList_Add(il, b, nullptr), n);
        DeleteObject(b);
        ref.push_back(colour);
        break;
      }
      case 2:
        if (n) {
          int i = int(rng() % unsigned(n));
          ASSERT_TRUE(ImageList_Remove(il, i));
          ref.erase(ref.begin() + i);
        }
        break;
      case 3:
        if (n) {
          int a = int(rng() % unsigned(n)), b = int(rng() % unsigned(n));
          ASSERT_TRUE(ImageList_Copy(il, a, il, b, ILCF_SWAP));
          std::swap(ref[size_t(a)], ref[size_t(b)]);
        }
        break;
      case 4:
        if (n) {
          int a = int(rng() % unsigned(n)), b = int(rng() % unsigned(n));
          ASSERT_TRUE(ImageList_Copy(il, a, il, b, ILCF_MOVE));
          ref[size_t(a)] = ref[size_t(b)];
        }
        break;
      case 5:
        if (n) {
          int i = int(rng() % unsigned(n));
          uint32_t colour = Rgb(int(rng() % 256), int(rng() % 256), int(rng() % 256));
          HBITMAP b = solid(colour);
          ASSERT_TRUE(ImageList_Replace(il, i, b, nullptr));
          DeleteObject(b);
          ref[size_t(i)] = colour;
        }
        break;
    }
    ASSERT_EQ(ImageList_GetImageCount(il), int(ref.size()));
    for (size_t i = 0; i < ref.size(); ++i) ASSERT_EQ(ImageColour(il, int(i)), ref[i]) << "step " << step;
  }
  // Out of range and bad handles are refused.
  EXPECT_FALSE(ImageList_Remove(il, int(ref.size())));
  EXPECT_FALSE(ImageList_Draw(il, -1, nullptr, 0, 0, 0));
  ImageList_Destroy(il);
  EXPECT_EQ(ImageList_GetImageCount(il), 0);
  EXPECT_EQ(ImageList_Add(il, nullptr, nullptr), -1);
}

TEST(Platform_ImageList, IconsComeAndGoWithTheirTransparency) {
  const int cx = 6, cy = 6;
  std::vector<uint32_t> px(cx * cy);
  for (int i = 0; i < cx * cy; ++i) px[size_t(i)] = (i % 3 == 0) ? 0 : (0xFF000000u | Rgb(i * 7, 90, 200 - i));
  HIMAGELIST a = ImageList_Create(cx, cy, ILC_MASK | ILC_COLOR32, 0, 1);
  HBITMAP b = Bitmap(cx, cy, px);
  ImageList_Add(a, b, nullptr);
  DeleteObject(b);
  HICON icon = ImageList_GetIcon(a, 0, ILD_NORMAL);
  ASSERT_NE(icon, nullptr);
  HIMAGELIST c = ImageList_Create(cx, cy, ILC_MASK | ILC_COLOR32, 0, 1);
  ASSERT_EQ(ImageList_AddIcon(c, icon), 0);
  DestroyIcon(icon);
  const uint32_t bg = Rgb(33, 66, 99);
  Surface s1(cx, cy, bg), s2(cx, cy, bg);
  ImageList_Draw(a, 0, s1.Dc, 0, 0, ILD_TRANSPARENT);
  ImageList_Draw(c, 0, s2.Dc, 0, 0, ILD_TRANSPARENT);
  for (int y = 0; y < cy; ++y)
    for (int x = 0; x < cx; ++x) {
      EXPECT_EQ(s1.At(x, y), s2.At(x, y));
      EXPECT_EQ(s1.At(x, y), (y * cx + x) % 3 == 0 ? bg : px[size_t(y * cx + x)] & 0xFFFFFF);
    }
  ImageList_Destroy(a);
  ImageList_Destroy(c);
}

}  // namespace

// The plain style takes a shortcut; greying an image that is already grey
// changes no channel, so the same draws through the general path must give
// the same pixels: alpha images with every alpha from 0 to 255, masked
// pixels, lists without alpha, over the destination and over a background
// colour, whole images and parts.
TEST(Platform_ImageList, PlainDrawsMatchTheGeneralPathOnGreyImages) {
  std::mt19937 rng(91);
  const int cx = 16, cy = 16;
  for (UINT flags : {UINT(ILC_MASK | ILC_COLOR32), UINT(ILC_MASK | ILC_COLOR24), UINT(ILC_COLOR32)}) {
    HIMAGELIST il = ImageList_Create(cx, cy, flags, 0, 4);
    for (int k = 0; k < 4; ++k) {
      std::vector<uint32_t> px(cx * cy), mask(cx * cy);
      for (int i = 0; i < cx * cy; ++i) {
        const uint32_t l = rng() % 256;
        // Every alpha once, then random ones; image 3 opaque throughout.
        const uint32_t a = k == 3 ? 255 : i < 256 && k == 0 ? uint32_t(i) : rng() % 256;
        px[size_t(i)] = a << 24 | l << 16 | l << 8 | l;
        mask[size_t(i)] = rng() % 5 == 0 ? 0xFFFFFF : 0;
      }
      HBITMAP b = Bitmap(cx, cy, px), m = CreateBitmap(cx, cy, 1, 32, mask.data());
      ASSERT_EQ(ImageList_Add(il, b, m), k);
      DeleteObject(b);
      DeleteObject(m);
    }
    for (int k = 0; k < 4; ++k)
      for (COLORREF bk : {CLR_NONE, RGB(7, 150, 240)})
        for (int part : {0, 5}) {
          std::vector<uint32_t> back(cx * cy);
          for (uint32_t& c : back) c = rng() & 0xFFFFFF;
          Surface plain(cx, cy, 0), general(cx, cy, 0);
          std::copy(back.begin(), back.end(), plain.Bits);
          std::copy(back.begin(), back.end(), general.Bits);
          IMAGELISTDRAWPARAMS p;
          p.himl = il;
          p.i = k;
          p.x = part;
          p.y = part / 2;
          p.xBitmap = part;
          p.yBitmap = part / 2;
          p.rgbBk = bk;
          p.rgbFg = CLR_NONE;
          p.fStyle = bk == CLR_NONE ? ILD_TRANSPARENT : ILD_NORMAL;
          p.hdcDst = plain.Dc;
          ASSERT_TRUE(ImageList_DrawIndirect(&p));
          p.hdcDst = general.Dc;
          p.fState = ILS_SATURATE;
          ASSERT_TRUE(ImageList_DrawIndirect(&p));
          for (int i = 0; i < cx * cy; ++i)
            ASSERT_EQ(plain.Bits[i], general.Bits[i]) << "flags " << flags << " image " << k << " pixel " << i;
        }
    ImageList_Destroy(il);
  }
}

}  // namespace t_image_list_test
