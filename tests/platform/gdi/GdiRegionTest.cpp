// Region algebra against simple references.
#include <gtest/gtest.h>

#include <random>

#include "tests/platform/gdi/GdiTestSupport.h"

namespace t_gdi_region_test {

using namespace vcl;

namespace {

struct TRgn {
  HRGN H;
  explicit TRgn(HRGN h) : H(h) {}
  ~TRgn() { DeleteObject(H); }
  TRgn(const TRgn&) = delete;
  TRgn& operator=(const TRgn&) = delete;
  operator HRGN() const { return H; }
};

bool In(HRGN r, int x, int y) { return PtInRegion(r, x, y) != 0; }

// Pixel (x, y) by pixel centres: crossings at height y of half-open edges
// lying at or left of x.
bool PolygonReference(const std::vector<POINT>& pts, int fillMode, int x, int y) {
  int crossings = 0, winding = 0;
  size_t n = pts.size();
  for (size_t i = 0; i < n; ++i) {
    POINT a = pts[i], b = pts[(i + 1) % n];
    if (a.Y == b.Y) continue;
    int dir = a.Y < b.Y ? 1 : -1;
    if (a.Y > b.Y) std::swap(a, b);
    if (y < a.Y || y >= b.Y) continue;
    // crossing x = a.X + (y - a.Y) * (b.X - a.X) / (b.Y - a.Y) <= x, exactly
    Int64 lhs = Int64(a.X) * (b.Y - a.Y) + Int64(y - a.Y) * (b.X - a.X);
    if (lhs <= Int64(x) * (b.Y - a.Y)) {
      ++crossings;
      winding += dir;
    }
  }
  return fillMode == ALTERNATE ? (crossings & 1) : winding != 0;
}

}  // namespace

TEST(Platform_GdiRegion, RoundRectRowsAreSymmetricAndEdgesExclusive) {
  std::mt19937 rng(7);
  for (int i = 0; i < 60; ++i) {
    int w = 1 + int(rng() % 40), h = 1 + int(rng() % 40), ew = int(rng() % 50), eh = int(rng() % 50);
    TRgn r(CreateRoundRectRgn(5, 6, 5 + w, 6 + h, ew, eh));
    SCOPED_TRACE(testing::Message() << w << "x" << h << " corner " << ew << "x" << eh);
    RECT box;
    ASSERT_NE(GetRgnBox(r, &box), ERROR);
    EXPECT_EQ(box, TRect(5, 6, 5 + w, 6 + h));
    for (int y = 6; y < 6 + h; ++y) {
      int first = -1, last = -1, count = 0;
      for (int x = 5; x < 5 + w; ++x)
        if (In(r, x, y)) {
          if (first < 0) first = x;
          last = x;
          ++count;
        }
      ASSERT_GT(count, 0);
      EXPECT_EQ(count, last - first + 1);        // one run per row
      EXPECT_EQ(first - 5, 5 + w - 1 - last);    // symmetric left/right
      int mirror = 6 + h - 1 - (y - 6);          // and top/bottom
      EXPECT_EQ(In(r, first, mirror), true);
      EXPECT_FALSE(In(r, first - 1, mirror));
    }
    EXPECT_FALSE(In(r, 5 + w, 6 + h / 2));
    EXPECT_FALSE(In(r, 5 + w / 2, 6 + h));
  }
}

TEST(Platform_GdiRegion, XorIsUnionMinusIntersection) {
  std::mt19937 rng(11);
  for (int i = 0; i < 40; ++i) {
    auto rnd = [&](int n) { return int(rng() % unsigned(n)); };
    TRgn a(i % 2 ? CreateEllipticRgn(rnd(20), rnd(20), 20 + rnd(30), 20 + rnd(30))
                 : CreateRectRgn(rnd(20), rnd(20), 20 + rnd(30), 20 + rnd(30)));
    TRgn b(CreateRoundRectRgn(rnd(30), rnd(30), 25 + rnd(25), 25 + rnd(25), rnd(20), rnd(20)));
    TRgn x(CreateRectRgn(0, 0, 0, 0)), u(CreateRectRgn(0, 0, 0, 0)), n(CreateRectRgn(0, 0, 0, 0)),
        d(CreateRectRgn(0, 0, 0, 0));
    CombineRgn(x, a, b, RGN_XOR);
    CombineRgn(u, a, b, RGN_OR);
    CombineRgn(n, a, b, RGN_AND);
    CombineRgn(d, u, n, RGN_DIFF);
    EXPECT_TRUE(EqualRgn(x, d));
    for (int y = -1; y < 52; y += 3)
      for (int xx = -1; xx < 52; xx += 2) {
        bool pa = In(a, xx, y), pb = In(b, xx, y);
        ASSERT_EQ(In(x, xx, y), pa != pb);
        ASSERT_EQ(In(u, xx, y), pa || pb);
        ASSERT_EQ(In(n, xx, y), pa && pb);
      }
  }
}

TEST(Platform_GdiRegion, ResultCodesAndEdges) {
  TRgn a(CreateRectRgn(0, 0, 10, 10)), b(CreateRectRgn(20, 0, 30, 10)), r(CreateRectRgn(0, 0, 0, 0));
  EXPECT_EQ(CombineRgn(r, a, b, RGN_AND), NULLREGION);
  EXPECT_EQ(CombineRgn(r, a, b, RGN_OR), COMPLEXREGION);
  EXPECT_EQ(CombineRgn(r, a, b, RGN_XOR), COMPLEXREGION);
  EXPECT_EQ(CombineRgn(r, a, b, RGN_DIFF), SIMPLEREGION);
  EXPECT_EQ(CombineRgn(r, a, nullptr, RGN_COPY), SIMPLEREGION);
  EXPECT_EQ(CombineRgn(r, a, nullptr, RGN_OR), ERROR);
  // Left and top edges belong to a region, right and bottom do not.
  EXPECT_TRUE(In(a, 0, 0));
  EXPECT_TRUE(In(a, 9, 0));
  EXPECT_FALSE(In(a, 10, 0));
  EXPECT_FALSE(In(a, 0, 10));
  EXPECT_FALSE(In(a, -1, 5));
  RECT in{9, 9, 12, 12}, out{10, 10, 12, 12};
  EXPECT_TRUE(RectInRegion(a, &in));
  EXPECT_FALSE(RectInRegion(a, &out));
  EXPECT_EQ(OffsetRgn(a, 5, -5), SIMPLEREGION);
  RECT box;
  GetRgnBox(a, &box);
  EXPECT_EQ(box, TRect(5, -5, 15, 5));
  SetRectRgn(a, 10, 10, 0, 0);  // normalised
  GetRgnBox(a, &box);
  EXPECT_EQ(box, TRect(0, 0, 10, 10));
  TRgn e(CreateRectRgn(5, 5, 5, 20));
  EXPECT_EQ(GetRgnBox(e, &box), NULLREGION);
  EXPECT_EQ(box, TRect());
}

TEST(Platform_GdiRegion, PolygonRegionsMatchTheCrossingRule) {
  std::mt19937 rng(3);
  for (int i = 0; i < 30; ++i) {
    std::vector<POINT> pts(3 + rng() % 6);
    for (auto& p : pts) p = {int(rng() % 40), int(rng() % 40)};
    for (int mode : {ALTERNATE, WINDING}) {
      TRgn r(CreatePolygonRgn(pts.data(), int(pts.size()), mode));
      for (int y = -1; y < 41; ++y)
        for (int x = -1; x < 41; ++x)
          ASSERT_EQ(In(r, x, y), PolygonReference(pts, mode, x, y)) << "polygon " << i << " mode " << mode << " at " << x << "," << y;
    }
  }
  // Two polygons, the second inside the first: a hole with ALTERNATE, filled with WINDING.
  POINT two[8] = {{0, 0}, {20, 0}, {20, 20}, {0, 20}, {5, 5}, {15, 5}, {15, 15}, {5, 15}};
  int counts[2] = {4, 4};
  TRgn alt(CreatePolyPolygonRgn(two, counts, 2, ALTERNATE)), wind(CreatePolyPolygonRgn(two, counts, 2, WINDING));
  EXPECT_FALSE(In(alt, 10, 10));
  EXPECT_TRUE(In(wind, 10, 10));
  EXPECT_TRUE(In(alt, 2, 2));
  EXPECT_EQ(CreatePolygonRgn(two, 4, 7), nullptr);
}

TEST(Platform_GdiRegion, EllipticRegionIsTheDrawnEllipse) {
  TRgn r(CreateEllipticRgn(1, 1, 6, 6));
  const char* rows[5] = {".###.", "#####", "#####", "#####", ".###."};
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 5; ++x) EXPECT_EQ(In(r, x + 1, y + 1), rows[y][x] == '#') << x << "," << y;
  gditest::TDib dib(40, 30, 0xFF000000u);
  SelectObject(dib.DC, GetStockObject(WHITE_PEN));
  SelectObject(dib.DC, GetStockObject(WHITE_BRUSH));
  Ellipse(dib.DC, 3, 2, 36, 27);
  TRgn e(CreateEllipticRgn(3, 2, 36, 27));
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 40; ++x) EXPECT_EQ(In(e, x, y), dib.At(x, y) == 0x00FFFFFFu) << x << "," << y;
}

TEST(Platform_GdiRegion, RegionDataRoundTripAndBadData) {
  TRgn a(CreateEllipticRgn(0, 0, 30, 20));
  DWORD size = GetRegionData(a, 0, nullptr);
  ASSERT_GT(size, sizeof(RGNDATAHEADER));
  std::vector<uint64_t> buf((size + 7) / 8);
  auto* data = reinterpret_cast<RGNDATA*>(buf.data());
  EXPECT_EQ(GetRegionData(a, size - 1, data), 0u);
  ASSERT_EQ(GetRegionData(a, size, data), size);
  EXPECT_EQ(data->rdh.nCount, (size - sizeof(RGNDATAHEADER)) / sizeof(RECT));
  EXPECT_EQ(data->rdh.rcBound, TRect(0, 0, 30, 20));
  TRgn b(ExtCreateRegion(nullptr, size, data));
  ASSERT_NE(b.H, nullptr);
  EXPECT_TRUE(EqualRgn(a, b));
  // A count that does not fit the buffer, a wrong header size or type.
  EXPECT_EQ(ExtCreateRegion(nullptr, size - 16, data), nullptr);
  data->rdh.nCount = 0x7FFFFFFF;
  EXPECT_EQ(ExtCreateRegion(nullptr, size, data), nullptr);
  data->rdh.nCount = 1;
  data->rdh.dwSize = 12;
  EXPECT_EQ(ExtCreateRegion(nullptr, size, data), nullptr);
  EXPECT_EQ(ExtCreateRegion(nullptr, 4, data), nullptr);
}

TEST(Platform_GdiRegion, FillFrameAndInvertRegions) {
  gditest::TDib dib(20, 20, 0xFF000000u);
  TRgn r(CreateRectRgn(2, 2, 12, 10));
  HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
  FrameRgn(dib.DC, r, red, 2, 1);
  auto changed = dib.Changed(0xFF000000u);
  auto inner = gditest::RectSet(4, 3, 10, 9);
  auto all = gditest::RectSet(2, 2, 12, 10);
  for (auto& p : all) EXPECT_EQ(changed.count(p) == 1, inner.count(p) == 0) << p.first << "," << p.second;
  EXPECT_EQ(changed.size(), all.size() - inner.size());
  InvertRgn(dib.DC, r);
  EXPECT_EQ(dib.At(2, 2), 0xFF00FFFFu);
  EXPECT_EQ(dib.At(5, 5), 0x00FFFFFFu);
  SetViewportOrgEx(dib.DC, 5, 5, nullptr);
  FillRgn(dib.DC, r, red);
  EXPECT_EQ(dib.At(7, 7), 0x00FF0000u);
  EXPECT_EQ(dib.At(16, 14), 0x00FF0000u);
  EXPECT_EQ(dib.At(17, 14), 0xFF000000u);
  EXPECT_EQ(dib.At(16, 15), 0xFF000000u);
  DeleteObject(red);
}

}  // namespace t_gdi_region_test
