#include <gtest/gtest.h>

#include "tests/platform/gdi/GdiTestSupport.h"

namespace t_gdi_surface_test {

using namespace vcl;
using namespace gditest;

TEST(Platform_Gdi, SurfaceDCDrawsAtItsOriginInsideItsVisibleRegion) {
  auto surface = TGdiSurface::Create(40, 30);
  HRGN vis = CreateRectRgn(10, 5, 30, 25);
  HDC dc = CreateSurfaceDC(surface, {10, 5}, vis);
  DeleteObject(vis);
  ASSERT_NE(dc, nullptr);
  EXPECT_EQ(GetDCSurface(dc), surface);
  RECT box;
  EXPECT_EQ(GetClipBox(dc, &box), SIMPLEREGION);
  EXPECT_EQ(box, TRect(0, 0, 20, 20));
  HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
  RECT all{-100, -100, 100, 100};
  FillRect(dc, &all, red);
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 40; ++x) {
      bool inside = x >= 10 && x < 30 && y >= 5 && y < 25;
      EXPECT_EQ(surface->Pixel(x, y), inside ? 0x00FF0000u : 0u) << x << "," << y;
    }
  EXPECT_EQ(SetPixel(dc, 0, 0, RGB(0, 0, 255)), RGB(0, 0, 255));
  EXPECT_EQ(surface->Pixel(10, 5), 0x000000FFu);
  EXPECT_EQ(GetPixel(dc, 0, 0), RGB(0, 0, 255));
  EXPECT_EQ(GetPixel(dc, -1, 0), CLR_INVALID);

  // Moving the DC (the window moved) keeps its clip region in device terms.
  IntersectClipRect(dc, 0, 0, 5, 5);
  ASSERT_TRUE(SetSurfaceDCOrigin(dc, {0, 0}, nullptr));
  EXPECT_EQ(GetClipBox(dc, &box), SIMPLEREGION);
  EXPECT_EQ(box, TRect(0, 0, 5, 5));
  EXPECT_TRUE(DeleteDC(dc));
  EXPECT_FALSE(DeleteDC(dc));
  DeleteObject(red);
}

TEST(Platform_Gdi, BitBltFromASurfaceDCCarriesAllFourBytes) {
  auto surface = TGdiSurface::Create(8, 8);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) surface->Pixel(x, y) = 0x80000000u | uint32_t(x * 16 + y);
  HDC screen = CreateSurfaceDC(surface, {2, 2}, nullptr);
  TDib dib(4, 4, 0);
  ASSERT_TRUE(BitBlt(dib.DC, 0, 0, 4, 4, screen, 1, 1, SRCCOPY));
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) EXPECT_EQ(dib.At(x, y), 0x80000000u | uint32_t((x + 3) * 16 + y + 3));
  DeleteDC(screen);
}

TEST(Platform_GdiRegion, AlgebraAndQueries) {
  HRGN a = CreateRectRgn(0, 0, 10, 10);
  HRGN b = CreateRectRgn(5, 5, 15, 15);
  HRGN r = CreateRectRgn(0, 0, 0, 0);
  EXPECT_EQ(CombineRgn(r, a, b, RGN_AND), SIMPLEREGION);
  RECT box;
  GetRgnBox(r, &box);
  EXPECT_EQ(box, TRect(5, 5, 10, 10));
  EXPECT_EQ(CombineRgn(r, a, b, RGN_OR), COMPLEXREGION);
  EXPECT_EQ(CombineRgn(r, a, a, RGN_DIFF), NULLREGION);
  EXPECT_EQ(CombineRgn(r, a, nullptr, RGN_COPY), SIMPLEREGION);
  EXPECT_TRUE(EqualRgn(r, a));
  EXPECT_TRUE(PtInRegion(a, 0, 0));
  EXPECT_TRUE(PtInRegion(a, 9, 9));
  EXPECT_FALSE(PtInRegion(a, 10, 9));
  EXPECT_FALSE(PtInRegion(a, 9, 10));
  EXPECT_EQ(CombineRgn(r, a, b, 99), ERROR);
  for (HRGN h : {a, b, r}) EXPECT_TRUE(DeleteObject(h));
  EXPECT_FALSE(PtInRegion(a, 0, 0));
}

}  // namespace t_gdi_surface_test
