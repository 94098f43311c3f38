#include <png.h>

#include <cstdio>
#include <filesystem>

#include "platform/rtl/System.h"
#include "tests/common/TestSupport.h"
#include "tests/platform/user/UserTestSupport.h"

namespace t_desktop_test {

using namespace vcl;
using namespace usertest;

namespace {

class Platform_Desktop : public ServerTest {
 protected:
  void TearDown() override {
    ServerTest::TearDown();
    SetDesktopColor(RGB(0, 0, 0));
    ResetScreenConfiguration();
  }
};

void Fill(HWND h, COLORREF c) {
  SetHandler(h, [c](HWND hw, UINT msg, WPARAM, LPARAM, bool& handled) -> LRESULT {
    handled = msg == WM_PAINT;
    if (!handled) return 0;
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hw, &ps);
    RECT r;
    GetClientRect(hw, &r);
    HBRUSH b = CreateSolidBrush(c);
    FillRect(dc, &r, b);
    DeleteObject(b);
    EndPaint(hw, &ps);
    return 0;
  });
  InvalidateRect(h, nullptr, false);
}

uint32_t Px(COLORREF c) { return 0xFF000000u | (uint32_t(GetRValue(c)) << 16) | (uint32_t(GetGValue(c)) << 8) | GetBValue(c); }

TEST_F(Platform_Desktop, CompositionStacksWindowsWithTheTopmostBandAndRegions) {
  SetScreenSize(400, 300);
  SetDesktopColor(RGB(10, 20, 30));
  HWND top = MakeTop(150, 150, 100, 100, WS_POPUP | WS_VISIBLE, WS_EX_TOPMOST);
  HWND a = MakeTop(0, 0, 200, 200);
  HWND b = MakeTop(100, 100, 200, 150);
  HWND round = MakeTop(300, 0, 100, 100);
  Fill(top, RGB(0, 0, 255));
  Fill(a, RGB(255, 0, 0));
  Fill(b, RGB(0, 255, 0));
  Fill(round, RGB(255, 255, 0));
  SetWindowRgn(round, CreateEllipticRgn(0, 0, 100, 100), true);
  Pump();
  TScreenImage s = CaptureScreen();
  ASSERT_EQ(s.Width, 400);
  ASSERT_EQ(s.Height, 300);
  EXPECT_EQ(s.Pixel(50, 50), Px(RGB(255, 0, 0)));     // only a
  EXPECT_EQ(s.Pixel(120, 120), Px(RGB(0, 255, 0)));   // b above a
  EXPECT_EQ(s.Pixel(160, 160), Px(RGB(0, 0, 255)));   // the topmost window above both
  EXPECT_EQ(s.Pixel(350, 50), Px(RGB(255, 255, 0)));  // inside the ellipse
  EXPECT_EQ(s.Pixel(302, 2), Px(RGB(10, 20, 30)));    // outside it: the desktop
  EXPECT_EQ(s.Pixel(10, 290), Px(RGB(10, 20, 30)));
  // Raising a stays below the topmost band.
  SetWindowPos(a, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  s = CaptureScreen();
  EXPECT_EQ(s.Pixel(120, 120), Px(RGB(255, 0, 0)));
  EXPECT_EQ(s.Pixel(160, 160), Px(RGB(0, 0, 255)));
  // Hiding and moving need no repaint: each window keeps its own surface.
  ShowWindow(top, SW_HIDE);
  SetWindowPos(b, nullptr, 0, 200, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  s = CaptureScreen();
  EXPECT_EQ(s.Pixel(160, 160), Px(RGB(255, 0, 0)));
  EXPECT_EQ(s.Pixel(10, 250), Px(RGB(0, 255, 0)));
  // The screen DC reads the same image.
  HDC sdc = GetDC(nullptr);
  EXPECT_EQ(GetPixel(sdc, 10, 250), RGB(0, 255, 0));
  HDC mem = CreateCompatibleDC(sdc);
  HBITMAP bmp = CreateCompatibleBitmap(sdc, 10, 10);
  HGDIOBJ old = SelectObject(mem, bmp);
  BitBlt(mem, 0, 0, 10, 10, sdc, 5, 245, SRCCOPY);
  EXPECT_EQ(GetPixel(mem, 5, 5), RGB(0, 255, 0));
  SelectObject(mem, old);
  DeleteObject(bmp);
  DeleteDC(mem);
  ReleaseDC(nullptr, sdc);
  HDC disp = CreateDCW(u"DISPLAY", nullptr, nullptr, nullptr);
  ASSERT_TRUE(disp);
  EXPECT_EQ(GetPixel(disp, 50, 50), RGB(255, 0, 0));
  DeleteDC(disp);
}

TEST_F(Platform_Desktop, DropShadowClassesCastAShadow) {
  SetScreenSize(200, 200);
  SetDesktopColor(RGB(200, 200, 200));
  WNDCLASSEXW wc;
  wc.style = CS_DROPSHADOW;
  wc.lpfnWndProc = DefWindowProcW;
  wc.hbrBackground = reinterpret_cast<HBRUSH>(uintptr_t(COLOR_WINDOW + 1));
  wc.lpszClassName = u"QnShadowWnd";
  RegisterClassExW(&wc);
  HWND h = CreateWindowExW(0, u"QnShadowWnd", u"", WS_POPUP | WS_VISIBLE, 20, 20, 50, 50, nullptr, nullptr, nullptr, nullptr);
  Pump();
  TScreenImage s = CaptureScreen();
  uint32_t below = s.Pixel(40, 71), farAway = s.Pixel(150, 150);
  EXPECT_EQ(farAway, Px(RGB(200, 200, 200)));
  EXPECT_LT(below & 0xFF, 200u);               // darker just below the window
  EXPECT_EQ(s.Pixel(19, 71), farAway);           // nothing left of the window
  EXPECT_EQ(s.Pixel(40, 40), Px(GetSysColor(COLOR_WINDOW)));
  SetSystemParameter(SPI_GETDROPSHADOW, 0);
  EXPECT_EQ(CaptureScreen().Pixel(40, 71), farAway);
  DestroyWindow(h);
  UnregisterClassW(u"QnShadowWnd", nullptr);
}

TEST_F(Platform_Desktop, ChildrenPaintIntoTheirTopLevelSurface) {
  SetScreenSize(300, 200);
  HWND p = MakeTop(50, 40, 120, 100, WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN);
  HWND c = MakeChild(p, 10, 10, 50, 30);
  HWND sib = MakeChild(p, 40, 20, 50, 30, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS);
  Fill(p, RGB(200, 200, 200));
  Fill(c, RGB(255, 0, 0));
  Fill(sib, RGB(0, 0, 255));
  Pump();
  TScreenImage s = CaptureScreen();
  EXPECT_EQ(s.Pixel(50 + 5, 40 + 5), Px(RGB(200, 200, 200)));
  EXPECT_EQ(s.Pixel(50 + 15, 40 + 15), Px(RGB(255, 0, 0)));
  // sib is below c in z-order and clips itself against it.
  EXPECT_EQ(s.Pixel(50 + 45, 40 + 25), Px(RGB(255, 0, 0)));
  EXPECT_EQ(s.Pixel(50 + 80, 40 + 45), Px(RGB(0, 0, 255)));
  TScreenImage ci = CaptureWindow(c, true);
  ASSERT_EQ(ci.Width, 50);
  EXPECT_EQ(ci.Pixel(0, 0), Px(RGB(255, 0, 0)));
}

TEST_F(Platform_Desktop, SnapshotPngEqualsTheSurface) {
  HWND h = MakeTop(10, 10, 64, 48, WS_OVERLAPPED | WS_CAPTION | WS_VISIBLE);
  SetHandler(h, [](HWND hw, UINT msg, WPARAM, LPARAM, bool& handled) -> LRESULT {
    handled = msg == WM_PAINT;
    if (!handled) return 0;
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hw, &ps);
    for (int y = 0; y < 48; ++y)
      for (int x = 0; x < 64; ++x) SetPixelV(dc, x, y, RGB(x * 4, y * 5, (x ^ y) & 0xFF));
    EndPaint(hw, &ps);
    return 0;
  });
  Pump();
  std::string dir = qntest::MakeTempDir("snapshot");
  std::string file = dir + "/w.png";
  SaveWindowSnapshot(h, file);
  FILE* f = std::fopen(file.c_str(), "rb");
  ASSERT_TRUE(f);
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  ASSERT_FALSE(setjmp(png_jmpbuf(png)));
  png_init_io(png, f);
  png_read_info(png, info);
  int w = int(png_get_image_width(png, info)), hgt = int(png_get_image_height(png, info));
  ASSERT_EQ(png_get_color_type(png, info), PNG_COLOR_TYPE_RGB_ALPHA);
  std::vector<png_byte> rows(size_t(w) * size_t(hgt) * 4);
  std::vector<png_bytep> ptrs(static_cast<size_t>(hgt));
  for (int y = 0; y < hgt; ++y) ptrs[size_t(y)] = &rows[size_t(y) * size_t(w) * 4];
  png_read_image(png, ptrs.data());
  png_destroy_read_struct(&png, &info, nullptr);
  std::fclose(f);
  RECT wr;
  GetWindowRect(h, &wr);
  ASSERT_EQ(w, wr.Width());
  ASSERT_EQ(hgt, wr.Height());
  // Every pixel, read back through the whole-window DC.
  HDC dc = GetWindowDC(h);
  int bad = 0;
  for (int y = 0; y < hgt; ++y)
    for (int x = 0; x < w; ++x) {
      const png_byte* p = &rows[(size_t(y) * size_t(w) + size_t(x)) * 4];
      if (RGB(p[0], p[1], p[2]) != GetPixel(dc, x, y) || p[3] != 255) ++bad;
    }
  ReleaseDC(h, dc);
  EXPECT_EQ(bad, 0);
  // And the client part, at its offset.
  TScreenImage client = CaptureWindow(h, true);
  EXPECT_EQ(client.Pixel(3, 2), Px(RGB(12, 10, 1)));
  std::filesystem::remove_all(dir);
}

TEST_F(Platform_Desktop, SnapshotDirectoryDumpsTopLevelWindows) {
  std::string dir = qntest::MakeTempDir("dump");
  HWND h = MakeTop(0, 0, 20, 20);
  Fill(h, RGB(1, 2, 3));
  Pump();
  EXPECT_TRUE(DumpTopLevelWindows("t").empty() || std::getenv("QN_SNAPSHOT_DIR"));
  setenv("QN_SNAPSHOT_DIR", dir.c_str(), 1);
  auto files = DumpTopLevelWindows("t");
  unsetenv("QN_SNAPSHOT_DIR");
  ASSERT_EQ(files.size(), 1u);
  EXPECT_TRUE(std::filesystem::exists(files[0]));
  EXPECT_THROW(SavePng(TScreenImage{}, dir + "/none.png"), EInOutError);
  EXPECT_THROW(SaveScreenSnapshot(dir + "/no/such/folder/x.png"), EInOutError);
  std::filesystem::remove_all(dir);
}

}  // namespace

}  // namespace t_desktop_test
