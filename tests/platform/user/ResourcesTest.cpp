// Module resources: bitmaps (device, DIB section, colour-mapped), icons and
// cursors by size from files of several images, shared cursors for the
// screen's table, copies, and resources that are missing or malformed.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

#include "platform/classes/Streams.h"
#include "platform/comctl/CommCtrl.h"
#include "platform/user/Resources.h"
#include "platform/user/User.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/ImgList.h"

namespace t_resources_test {

using namespace vcl;

namespace {

void Put16(std::vector<Byte>& v, size_t at, unsigned x) {
  v[at] = Byte(x);
  v[at + 1] = Byte(x >> 8);
}
void Put32(std::vector<Byte>& v, size_t at, uint32_t x) {
  for (int i = 0; i < 4; ++i) v[at + size_t(i)] = Byte(x >> (8 * i));
}

// A packed 24-bit DIB (bottom-up rows) of 0x00RRGGBB pixels given top row first.
std::vector<Byte> PackedDib24(int w, int h, const std::vector<uint32_t>& px) {
  size_t stride = size_t((w * 3 + 3) / 4 * 4);
  std::vector<Byte> d(40 + stride * size_t(h), 0);
  Put32(d, 0, 40);
  Put32(d, 4, uint32_t(w));
  Put32(d, 8, uint32_t(h));
  Put16(d, 12, 1);
  Put16(d, 14, 24);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      uint32_t c = px[size_t(y * w + x)];
      Byte* p = &d[40 + stride * size_t(h - 1 - y) + size_t(x) * 3];
      p[0] = Byte(c);
      p[1] = Byte(c >> 8);
      p[2] = Byte(c >> 16);
    }
  return d;
}

// One image of an icon file: a 32-bit DIB with alpha, twice as high, with
// an all-clear AND mask.
std::vector<Byte> IconImage32(int w, int h, uint32_t argb) {
  size_t andStride = size_t((w + 31) / 32 * 4);
  std::vector<Byte> d(40 + size_t(w * h * 4) + andStride * size_t(h), 0);
  Put32(d, 0, 40);
  Put32(d, 4, uint32_t(w));
  Put32(d, 8, uint32_t(h * 2));
  Put16(d, 12, 1);
  Put16(d, 14, 32);
  for (int i = 0; i < w * h; ++i) Put32(d, 40 + size_t(i) * 4, argb);
  return d;
}

// An .ico (or .cur, with hotspots) file from its images.
std::vector<Byte> IconFile(const std::vector<std::pair<int, std::vector<Byte>>>& images, bool cursor, int hx = 0,
                           int hy = 0) {
  std::vector<Byte> f(6 + 16 * images.size(), 0);
  Put16(f, 2, cursor ? 2 : 1);
  Put16(f, 4, unsigned(images.size()));
  for (size_t i = 0; i < images.size(); ++i) {
    size_t e = 6 + 16 * i;
    int side = images[i].first;
    f[e] = Byte(side);
    f[e + 1] = Byte(side);
    Put16(f, e + 4, cursor ? unsigned(hx) : 1);
    Put16(f, e + 6, cursor ? unsigned(hy) : 32);
    Put32(f, e + 8, uint32_t(images[i].second.size()));
    Put32(f, e + 12, uint32_t(f.size()));
    f.insert(f.end(), images[i].second.begin(), images[i].second.end());
  }
  return f;
}

std::vector<uint32_t> ReadBack(HBITMAP b, int& w, int& h) {
  BITMAP bm;
  GetObjectW(b, sizeof bm, &bm);
  w = bm.bmWidth;
  h = std::abs(bm.bmHeight);
  std::vector<uint32_t> px(size_t(w * h));
  BITMAPINFO bi;
  bi.bmiHeader.biWidth = w;
  bi.bmiHeader.biHeight = -h;
  bi.bmiHeader.biBitCount = 32;
  HDC dc = CreateCompatibleDC(nullptr);
  GetDIBits(dc, b, 0, UINT(h), px.data(), &bi, DIB_RGB_COLORS);
  DeleteDC(dc);
  for (auto& p : px) p &= 0xFFFFFF;
  return px;
}

uint32_t Sys(int i) {
  COLORREF c = GetSysColor(i);
  return (uint32_t(GetRValue(c)) << 16) | (uint32_t(GetGValue(c)) << 8) | GetBValue(c);
}

class Platform_Resources : public ::testing::Test {
 protected:
  // Resources keep pointers to their bytes, which live in the fixture.
  std::vector<std::vector<Byte>> Keep;
  std::vector<std::pair<String, String>> Names;
  void Add(const String& name, const String& type, std::vector<Byte> bytes) {
    Keep.push_back(std::move(bytes));
    RegisterResource(name, type, Keep.back().data(), Keep.back().size());
    Names.emplace_back(name, type);
  }
  void SetUp() override { Keep.reserve(32); }
  void TearDown() override {
    for (auto& [n, t] : Names) UnregisterResource(n, t);
  }
};

TEST_F(Platform_Resources, BitmapsLoadAsDeviceBitmapsOrDibSectionsOfTheirDepth) {
  const int w = 5, h = 3;
  std::vector<uint32_t> px(w * h);
  for (int i = 0; i < w * h; ++i) px[size_t(i)] = uint32_t(i * 0x0A1B2C) & 0xFFFFFF;
  Add(u"QN_RES_BMP", u"#2", PackedDib24(w, h, px));
  Add(u"#4711", u"#2", PackedDib24(w, h, px));
  for (HBITMAP b : {LoadBitmapW(HInstance, u"QN_RES_BMP"), LoadBitmapW(HInstance, MAKEINTRESOURCEW(4711))}) {
    ASSERT_NE(b, nullptr);
    int rw, rh;
    EXPECT_EQ(ReadBack(b, rw, rh), px);
    DIBSECTION ds;
    EXPECT_NE(GetObjectW(b, sizeof ds, &ds), int(sizeof ds));  // a device bitmap
    DeleteObject(b);
  }
  auto* dib = static_cast<HBITMAP>(LoadImageW(HInstance, u"QN_RES_BMP", IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
  ASSERT_NE(dib, nullptr);
  DIBSECTION ds;
  ASSERT_EQ(GetObjectW(dib, sizeof ds, &ds), int(sizeof ds));
  EXPECT_EQ(ds.dsBm.bmBitsPixel, 24);
  int rw, rh;
  EXPECT_EQ(ReadBack(dib, rw, rh), px);
  DeleteObject(dib);
  // LR_LOADTRANSPARENT: the first pixel's colour becomes the window colour.
  auto* tr = static_cast<HBITMAP>(LoadImageW(HInstance, u"QN_RES_BMP", IMAGE_BITMAP, 0, 0, LR_LOADTRANSPARENT));
  std::vector<uint32_t> got = ReadBack(tr, rw, rh);
  for (size_t i = 0; i < px.size(); ++i) EXPECT_EQ(got[i], px[i] == px[0] ? Sys(COLOR_WINDOW) : px[i]);
  DeleteObject(tr);
  // Missing and malformed ones give nothing.
  EXPECT_EQ(LoadBitmapW(HInstance, u"NO_SUCH"), nullptr);
  std::vector<Byte> cut = PackedDib24(w, h, px);
  cut.resize(cut.size() - 3);
  Add(u"QN_RES_CUT", u"#2", cut);
  EXPECT_EQ(LoadBitmapW(HInstance, u"QN_RES_CUT"), nullptr);
}

// BI_BITFIELDS: a plain header is followed by the three masks, a longer one
// holds them at offset 40; a header between the two has no room for them
// and is refused, read in a buffer of exactly its bytes.
TEST_F(Platform_Resources, BitfieldMasksComeFromTheHeaderOnlyWhenItHoldsThem) {
  auto dib = [](uint32_t headerSize, bool masksAfter) {
    std::vector<Byte> d(headerSize + (masksAfter ? 12 : 0) + 4, 0);
    Put32(d, 0, headerSize);
    Put32(d, 4, 1);
    Put32(d, 8, 1);
    Put16(d, 12, 1);
    Put16(d, 14, 16);
    Put32(d, 16, 3);  // BI_BITFIELDS
    const size_t masks = masksAfter ? headerSize : 40;
    if (headerSize >= 52 || masksAfter) {
      Put32(d, masks, 0xF800);
      Put32(d, masks + 4, 0x07E0);
      Put32(d, masks + 8, 0x001F);
    }
    Put16(d, d.size() - 4, 0xF800);  // one pure red 5-6-5 pixel
    return d;
  };
  for (uint32_t size : {40u, 108u}) {
    std::vector<Byte> d = dib(size, size == 40);
    std::unique_ptr<Byte[]> exact(new Byte[d.size()]);
    std::memcpy(exact.get(), d.data(), d.size());
    HBITMAP b = CreateBitmapFromPackedDIB(exact.get(), d.size());
    ASSERT_NE(b, nullptr) << size;
    int rw, rh;
    EXPECT_EQ(ReadBack(b, rw, rh), std::vector<uint32_t>{0xFF0000u}) << size;
    DeleteObject(b);
  }
  for (uint32_t size : {41u, 44u, 51u}) {
    std::vector<Byte> d = dib(size, false);
    std::unique_ptr<Byte[]> exact(new Byte[d.size()]);
    std::memcpy(exact.get(), d.data(), d.size());
    EXPECT_EQ(CreateBitmapFromPackedDIB(exact.get(), d.size()), nullptr) << size;
  }
}

TEST_F(Platform_Resources, MappedBitmapsTakeTheSystemColoursOfTheirFourGreys) {
  const uint32_t other = 0x123456;
  std::vector<uint32_t> px = {0x000000, 0x808080, 0xC0C0C0, 0xFFFFFF, other, 0x000000};
  Add(u"QN_MAPPED", u"#2", PackedDib24(3, 2, px));
  HBITMAP b = CreateMappedBitmap(HInstance, reinterpret_cast<intptr_t>(u"QN_MAPPED"), 0, nullptr, 0);
  ASSERT_NE(b, nullptr);
  int w, h;
  std::vector<uint32_t> got = ReadBack(b, w, h);
  EXPECT_EQ(got, (std::vector<uint32_t>{Sys(COLOR_BTNTEXT), Sys(COLOR_BTNSHADOW), Sys(COLOR_BTNFACE),
                                        Sys(COLOR_WINDOW), other, Sys(COLOR_BTNTEXT)}));
  DeleteObject(b);
  // Under other system colours the same resource maps to them.
  int idx = COLOR_BTNFACE;
  COLORREF face = RGB(1, 2, 3), saved = GetSysColor(COLOR_BTNFACE);
  SetSysColors(1, &idx, &face);
  COLORMAP own[1] = {{RGB(0x12, 0x34, 0x56), RGB(9, 9, 9)}};
  HBITMAP c = CreateMappedBitmap(HInstance, reinterpret_cast<intptr_t>(u"QN_MAPPED"), 0, nullptr, 0);
  HBITMAP d = CreateMappedBitmap(HInstance, reinterpret_cast<intptr_t>(u"QN_MAPPED"), 0, own, 1);
  SetSysColors(1, &idx, &saved);
  EXPECT_EQ(ReadBack(c, w, h)[2], 0x010203u);
  std::vector<uint32_t> custom = ReadBack(d, w, h);
  EXPECT_EQ(custom[4], 0x090909u);
  EXPECT_EQ(custom[0], 0x000000u);  // an own map replaces the default one
  DeleteObject(c);
  DeleteObject(d);
}

TEST_F(Platform_Resources, IconsAndCursorsPickTheClosestImageAndCursorsAreSharedForTheScreen) {
  Add(u"QN_ICON", u"#14",
      IconFile({{16, IconImage32(16, 16, 0xFF00FF00u)}, {32, IconImage32(32, 32, 0x800000FFu)}}, false));
  auto sizeOf = [](HICON i) {
    ICONINFO ii;
    GetIconInfo(i, &ii);
    BITMAP bm;
    GetObjectW(ii.hbmColor, sizeof bm, &bm);
    DeleteObject(ii.hbmColor);
    DeleteObject(ii.hbmMask);
    return bm.bmWidth;
  };
  for (auto [ask, want] : std::vector<std::pair<int, int>>{{16, 16}, {20, 16}, {30, 32}, {48, 32}, {0, 32}}) {
    auto* i = static_cast<HICON>(LoadImageW(HInstance, u"QN_ICON", IMAGE_ICON, ask, ask, 0));
    ASSERT_NE(i, nullptr) << ask;
    EXPECT_EQ(sizeOf(i), want) << ask;
    DestroyIcon(i);
  }
  Add(u"QN_CURSOR", u"#12", IconFile({{32, IconImage32(32, 32, 0xFF000000u)}}, true, 3, 5));
  HCURSOR c = LoadCursorW(HInstance, u"QN_CURSOR");
  ASSERT_NE(c, nullptr);
  ICONINFO ii;
  ASSERT_TRUE(GetIconInfo(c, &ii));
  DeleteObject(ii.hbmColor);
  DeleteObject(ii.hbmMask);
  EXPECT_FALSE(ii.fIcon);
  EXPECT_EQ(ii.xHotspot, 3u);
  EXPECT_EQ(ii.yHotspot, 5u);
  // Shared: the same handle again, alive after a destroy.
  EXPECT_EQ(LoadCursorW(HInstance, u"QN_CURSOR"), c);
  DestroyCursor(c);
  EXPECT_TRUE(GetIconInfo(c, &ii));
  DeleteObject(ii.hbmColor);
  DeleteObject(ii.hbmMask);
  // The screen's cursor table takes it under an id of its own.
  TScreen screen(nullptr);
  screen.SetCursors(63, c);
  EXPECT_EQ(screen.Cursors(63), c);
  EXPECT_EQ(LoadCursorW(HInstance, u"QN_NOTHING"), nullptr);
  EXPECT_EQ(LoadImageW(HInstance, u"QN_ICON", IMAGE_CURSOR, 0, 0, 0), nullptr);  // a type it is not
}

TEST_F(Platform_Resources, CopiesStretchConvertOrGiveBackTheOriginal) {
  std::vector<uint32_t> px(4 * 2);
  for (size_t i = 0; i < px.size(); ++i) px[i] = uint32_t(0x100000 * (i + 1) + i);
  Add(u"QN_COPY", u"#2", PackedDib24(4, 2, px));
  HBITMAP b = LoadBitmapW(HInstance, u"QN_COPY");
  EXPECT_EQ(CopyImage(b, IMAGE_BITMAP, 0, 0, LR_COPYRETURNORG), b);
  EXPECT_EQ(CopyImage(b, IMAGE_BITMAP, 4, 2, LR_COPYRETURNORG), b);
  auto* same = static_cast<HBITMAP>(CopyImage(b, IMAGE_BITMAP, 0, 0, 0));
  ASSERT_NE(same, b);
  int w, h;
  EXPECT_EQ(ReadBack(same, w, h), px);
  // Twice as large: every source pixel becomes a 2 x 2 block.
  auto* big = static_cast<HBITMAP>(CopyImage(b, IMAGE_BITMAP, 8, 4, LR_COPYRETURNORG | LR_CREATEDIBSECTION));
  ASSERT_NE(big, b);
  DIBSECTION ds;
  EXPECT_EQ(GetObjectW(big, sizeof ds, &ds), int(sizeof ds));
  std::vector<uint32_t> g = ReadBack(big, w, h);
  ASSERT_EQ(w, 8);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 8; ++x) EXPECT_EQ(g[size_t(y * 8 + x)], px[size_t((y / 2) * 4 + x / 2)]);
  auto* moved = static_cast<HBITMAP>(CopyImage(same, IMAGE_BITMAP, 2, 1, LR_COPYDELETEORG));
  ASSERT_NE(moved, nullptr);
  EXPECT_EQ(GetObjectType(same), 0u);
  for (HBITMAP x : {b, big, moved}) DeleteObject(x);
}

TEST_F(Platform_Resources, AnImageListLoadsAStripFromTheResources) {
  const int side = 6, n = 4;
  std::vector<uint32_t> px(size_t(side * n * side));
  for (int y = 0; y < side; ++y)
    for (int x = 0; x < side * n; ++x) px[size_t(y * side * n + x)] = (x % side == y) ? 0xFF00FF : 0x102030u * uint32_t(x / side + 1);
  Add(u"QN_STRIP", u"#2", PackedDib24(side * n, side, px));
  TImageList l(nullptr);
  ASSERT_TRUE(l.GetResource(rtBitmap, u"QN_STRIP", 0, TLoadResources(), TColor(0xFF00FF)));
  EXPECT_EQ(l.Count(), n);
  EXPECT_EQ(l.Width(), side);
  TBitmap b;
  ASSERT_TRUE(l.GetBitmap(2, &b));
  auto* row = static_cast<const uint32_t*>(b.ScanLine(1));
  EXPECT_EQ(row[1] >> 24, 0u);  // the key colour is a hole
  EXPECT_EQ(row[0] & 0xFFFFFF, 0x102030u * 3);
  EXPECT_FALSE(l.GetResource(rtBitmap, u"QN_NOT_THERE", 0, TLoadResources(), clNone));
  EXPECT_EQ(l.Count(), n);  // a failed load leaves the list alone
}

}  // namespace

}  // namespace t_resources_test
