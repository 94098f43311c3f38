#include "tests/platform/user/LayeredSupport.h"

namespace t_window_rgn_test {

using namespace vcl;
using namespace usertest;

namespace {

class Platform_WindowRgn : public ShapeTest {};

// Paints the whole window rectangle (frame included) through the window DC.
void PaintWhole(HWND h, COLORREF c) {
  HDC dc = GetWindowDC(h);
  RECT wr;
  GetWindowRect(h, &wr);
  RECT r(0, 0, wr.Width(), wr.Height());
  HBRUSH b = CreateSolidBrush(c);
  FillRect(dc, &r, b);
  DeleteObject(b);
  ReleaseDC(h, dc);
}

TEST_F(Platform_WindowRgn, AShapedWindowPaintsAndShowsOnlyInsideItsRegion) {
  HWND h = MakeTop(100, 50, 100, 80, WS_POPUP | WS_VISIBLE | WS_BORDER);
  // An ellipse, in window coordinates.
  ASSERT_NE(SetWindowRgn(h, CreateEllipticRgn(0, 0, 100, 80), true), 0);
  PaintWhole(h, RGB(255, 0, 0));
  TScreenImage s = CaptureScreen();
  TScreenImage own = CaptureWindow(h);
  HRGN probe = CreateEllipticRgn(0, 0, 100, 80);
  int wrongScreen = 0, wrongSurface = 0;
  for (int y = 0; y < 80; ++y)
    for (int x = 0; x < 100; ++x) {
      bool in = PtInRegion(probe, x, y);
      if (s.Pixel(100 + x, 50 + y) != (in ? 0xFFFF0000u : Opaque(kDesk))) ++wrongScreen;
      // Outside the region the window DC never touched the surface.
      if (!in && own.Pixel(x, y) == 0xFFFF0000u) ++wrongSurface;
    }
  DeleteObject(probe);
  EXPECT_EQ(wrongScreen, 0);
  EXPECT_EQ(wrongSurface, 0);
  // Replaced by a rectangle in the middle: the corners of the old ellipse go too.
  ASSERT_NE(SetWindowRgn(h, CreateRectRgn(20, 20, 80, 60), true), 0);
  Pump();
  s = CaptureScreen();
  EXPECT_EQ(s.Pixel(150, 90), Opaque(GetSysColor(COLOR_WINDOW)));  // repainted by WM_PAINT
  EXPECT_EQ(s.Pixel(110, 90), Opaque(kDesk));
  // Removing the region shows the whole rectangle again.
  ASSERT_NE(SetWindowRgn(h, nullptr, true), 0);
  Pump();
  EXPECT_EQ(CaptureScreen().Pixel(100, 50), CaptureWindow(h).Pixel(0, 0));  // the frame's corner
}

TEST_F(Platform_WindowRgn, ChildRegionsClipTheChildAndLetTheParentShowThrough) {
  HWND p = MakeTop(0, 0, 200, 150, WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN);
  HWND c = MakeChild(p, 50, 40, 60, 60);
  PaintSolid(p, RGB(0, 0, 255));
  PaintSolid(c, RGB(255, 0, 0));
  SetWindowRgn(c, CreateEllipticRgn(0, 0, 60, 60), true);
  Pump();
  TScreenImage s = CaptureScreen();
  EXPECT_EQ(s.Pixel(80, 70), 0xFFFF0000u);  // the child's centre
  EXPECT_EQ(s.Pixel(51, 41), 0xFF0000FFu);  // its corner: the parent painted there
  // Hit-testing agrees: the corner is the parent's.
  EXPECT_EQ(WindowFromPoint(TPoint(80, 70)), c);
  EXPECT_EQ(WindowFromPoint(TPoint(51, 41)), p);
  EXPECT_EQ(ChildWindowFromPoint(p, TPoint(80, 70)), c);
  EXPECT_EQ(ChildWindowFromPoint(p, TPoint(51, 41)), p);
  EXPECT_EQ(ChildWindowFromPoint(p, TPoint(250, 10)), nullptr);
}

TEST_F(Platform_WindowRgn, HitTestingAndInputFollowRegions) {
  HWND below = MakeTop(0, 0, 320, 240);
  // Topmost, so the click that activates (and raises) below leaves it on top.
  HWND h = MakeTop(100, 100, 100, 100, WS_POPUP | WS_VISIBLE, WS_EX_TOPMOST);
  SetWindowRgn(h, CreateEllipticRgn(0, 0, 100, 100), false);
  Pump();
  EXPECT_EQ(WindowFromPoint(TPoint(150, 150)), h);
  EXPECT_EQ(WindowFromPoint(TPoint(102, 102)), below);  // in the rectangle, outside the ellipse
  ClearLog();
  InputMouseMove(102, 102);
  InputMouseDown(VK_LBUTTON);
  InputMouseUp(VK_LBUTTON);
  InputMouseMove(150, 150);
  Pump();
  EXPECT_EQ(MessagesOf(below, {WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_LBUTTONUP}),
            (std::vector<UINT>{WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_LBUTTONUP}));
  EXPECT_EQ(MessagesOf(h, {WM_MOUSEMOVE}), (std::vector<UINT>{WM_MOUSEMOVE}));
  // A region far away from the window's origin: only its part inside the
  // window rectangle counts.
  SetWindowRgn(h, CreateRectRgn(90, 90, 300, 300), false);
  EXPECT_EQ(WindowFromPoint(TPoint(195, 195)), h);
  EXPECT_EQ(WindowFromPoint(TPoint(205, 205)), below);
}

TEST_F(Platform_WindowRgn, ChildWindowFromPointExSkipsAsAsked) {
  HWND p = MakeTop(0, 0, 200, 200, WS_POPUP | WS_VISIBLE | WS_BORDER);
  HWND hidden = MakeChild(p, 10, 10, 50, 50, WS_CHILD);
  HWND disabled = MakeChild(p, 10, 10, 50, 50, WS_CHILD | WS_VISIBLE | WS_DISABLED);
  HWND clear = CreateWindowExW(WS_EX_TRANSPARENT, TestClass(), u"", WS_CHILD | WS_VISIBLE, 10, 10, 50, 50, p,
                               nullptr, nullptr, nullptr);
  HWND plain = MakeChild(p, 10, 10, 50, 50);
  // Children come in creation order from the top: hidden, disabled, clear, plain.
  TPoint pt(20, 20);
  EXPECT_EQ(ChildWindowFromPointEx(p, pt, CWP_ALL), hidden);
  EXPECT_EQ(ChildWindowFromPointEx(p, pt, CWP_SKIPINVISIBLE), disabled);
  EXPECT_EQ(ChildWindowFromPointEx(p, pt, CWP_SKIPINVISIBLE | CWP_SKIPDISABLED), clear);
  EXPECT_EQ(ChildWindowFromPointEx(p, pt, CWP_SKIPINVISIBLE | CWP_SKIPDISABLED | CWP_SKIPTRANSPARENT), plain);
  // The parent's own region bounds it.
  SetWindowRgn(p, CreateRectRgn(0, 0, 100, 100), false);
  EXPECT_EQ(ChildWindowFromPointEx(p, TPoint(150, 150), CWP_ALL), nullptr);
  EXPECT_EQ(ChildWindowFromPointEx(p, TPoint(80, 80), CWP_ALL), p);
  SetLastError(0);
  EXPECT_EQ(ChildWindowFromPointEx(HwndFromValue(0x7777), pt, CWP_ALL), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_WINDOW_HANDLE);
}

TEST_F(Platform_WindowRgn, TheWindowOwnsItsRegion) {
  int before = GdiObjectCount(OBJ_REGION);
  HWND h = MakeTop(10, 10, 80, 60);
  Pump();
  HRGN first = CreateRectRgn(0, 0, 40, 30), second = CreateRoundRectRgn(0, 0, 81, 61, 20, 20);
  // Coordinates are relative to the window rectangle; a copy comes back.
  ASSERT_NE(SetWindowRgn(h, first, false), 0);
  HRGN copy = CreateRectRgn(0, 0, 0, 0);
  EXPECT_EQ(GetWindowRgn(h, copy), SIMPLEREGION);
  RECT box;
  EXPECT_EQ(GetWindowRgnBox(h, &box), SIMPLEREGION);
  EXPECT_EQ(box, TRect(0, 0, 40, 30));
  // bRedraw false leaves painting to the caller; true asks for it.
  EXPECT_FALSE(GetUpdateRect(h, nullptr, false));
  // Replacing frees the old region; setting the same one again keeps it.
  ASSERT_NE(SetWindowRgn(h, second, true), 0);
  EXPECT_EQ(GetObjectType(first), 0u);
  EXPECT_TRUE(GetUpdateRect(h, nullptr, false));
  ASSERT_NE(SetWindowRgn(h, second, false), 0);
  EXPECT_EQ(GetObjectType(second), OBJ_REGION);
  EXPECT_EQ(GetWindowRgn(h, copy), COMPLEXREGION);
  // Removing frees it, and then there is nothing to read.
  ASSERT_NE(SetWindowRgn(h, nullptr, false), 0);
  EXPECT_EQ(GetObjectType(second), 0u);
  EXPECT_EQ(GetWindowRgn(h, copy), ERROR);
  EXPECT_EQ(GetWindowRgnBox(h, &box), ERROR);
  // Failures leave the caller's region with the caller.
  HRGN mine = CreateRectRgn(0, 0, 5, 5);
  SetLastError(0);
  EXPECT_EQ(SetWindowRgn(HwndFromValue(0x7777), mine, true), 0);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_WINDOW_HANDLE);
  EXPECT_EQ(GetObjectType(mine), OBJ_REGION);
  // Destroying the window frees the region it holds.
  ASSERT_NE(SetWindowRgn(h, mine, false), 0);
  DestroyWindow(h);
  EXPECT_EQ(GetObjectType(mine), 0u);
  DeleteObject(copy);
  EXPECT_EQ(GdiObjectCount(OBJ_REGION), before);
}

}  // namespace

}  // namespace t_window_rgn_test
