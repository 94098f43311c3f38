// Drawing on the screen: what screen DCs draw stays over the windows until
// a window beneath paints there or shows something else; and the visible
// region of a DC in screen coordinates.
#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <vector>

#include "tests/platform/user/UserTestSupport.h"

namespace t_screen_dctest {

namespace {

using namespace vcl;
using namespace usertest;

constexpr COLORREF kDesk = RGB(0, 128, 128), kWhite = RGB(255, 255, 255), kRed = RGB(255, 0, 0),
                   kGreen = RGB(0, 255, 0);

uint32_t Px(COLORREF c) { return 0xFF000000u | (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c); }

// Fills the update region (not the whole client area) with the colour.
void PaintUpdateWith(HWND h, COLORREF* c) {
  SetHandler(h, [c](HWND hw, UINT msg, WPARAM, LPARAM, bool& handled) -> LRESULT {
    handled = msg == WM_PAINT || msg == WM_ERASEBKGND;
    if (msg == WM_ERASEBKGND) return 1;
    if (!handled) return 0;
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hw, &ps);
    HBRUSH b = CreateSolidBrush(*c);
    FillRect(dc, &ps.rcPaint, b);
    DeleteObject(b);
    EndPaint(hw, &ps);
    return 0;
  });
}

void ScreenFill(const RECT& r, COLORREF c) {
  HDC dc = GetDC(nullptr);
  HBRUSH b = CreateSolidBrush(c);
  FillRect(dc, &r, b);
  DeleteObject(b);
  ReleaseDC(nullptr, dc);
}

class Platform_ScreenDC : public ServerTest {
 protected:
  void SetUp() override {
    ServerTest::SetUp();
    SetDesktopColor(kDesk);
    ClearScreenOverlay();
  }
  void TearDown() override {
    ServerTest::TearDown();
    ClearScreenOverlay();
    SetDesktopColor(0xFFFFFFFF);
  }
};

TEST_F(Platform_ScreenDC, DrawingStaysUntilTheWindowBeneathRepaintsThere) {
  COLORREF color = kWhite;
  HWND h = MakeTop(100, 100, 200, 150);
  PaintUpdateWith(h, &color);
  Pump();
  ScreenFill(RECT(50, 50, 250, 200), kRed);
  TScreenImage s = CaptureScreen();
  EXPECT_EQ(s.Pixel(60, 60), Px(kRed));     // over the desktop
  EXPECT_EQ(s.Pixel(150, 150), Px(kRed));   // over the window
  EXPECT_EQ(s.Pixel(249, 199), Px(kRed));
  EXPECT_EQ(s.Pixel(250, 150), Px(kWhite));
  EXPECT_EQ(s.Pixel(40, 40), Px(kDesk));
  // A later screen DC reads it back; the window's own pixels are untouched.
  HDC dc = GetDC(nullptr);
  EXPECT_EQ(GetPixel(dc, 150, 150), kRed);
  ReleaseDC(nullptr, dc);
  EXPECT_EQ(CaptureWindow(h).Pixel(50, 50), Px(kWhite));

  // The window repaints a part beneath in another colour: only that part changes.
  color = kGreen;
  RECT part(20, 20, 60, 60);  // screen 120..160
  InvalidateRect(h, &part, true);
  UpdateWindow(h);
  s = CaptureScreen();
  EXPECT_EQ(s.Pixel(125, 125), Px(kGreen));
  EXPECT_EQ(s.Pixel(159, 159), Px(kGreen));
  EXPECT_EQ(s.Pixel(160, 159), Px(kRed));
  EXPECT_EQ(s.Pixel(200, 180), Px(kRed));
  EXPECT_EQ(s.Pixel(60, 60), Px(kRed));

  // Moving the window uncovers desktop and shows the window elsewhere: the
  // drawing goes wherever the picture beneath changed.
  SetWindowPos(h, nullptr, 400, 300, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  Pump();
  s = CaptureScreen();
  EXPECT_EQ(s.Pixel(60, 60), Px(kRed));    // desktop beneath, unchanged
  EXPECT_EQ(s.Pixel(150, 150), Px(kDesk));  // was window, now desktop
  EXPECT_EQ(s.Pixel(550, 420), Px(kWhite));
  EXPECT_EQ(s.Pixel(430, 330), Px(kGreen));  // the window took its own pixels along
}

// A window that paints overwrites the drawing where it paints, whether or not
// its pixels change there; the drawing stays wherever nothing painted.
TEST_F(Platform_ScreenDC, APaintOfTheSamePictureStillOverwritesTheDrawing) {
  const RECT part(20, 20, 60, 60);  // client coordinates; screen 120..160
  struct Case {
    const char* Name;
    std::function<void(HWND window, HWND cover)> Act;
    std::vector<TPoint> Gone, Kept;  // screen points
  };
  const Case cases[] = {
      {"InvalidateRect and UpdateWindow",
       [&](HWND h, HWND) {
         InvalidateRect(h, &part, true);
         UpdateWindow(h);
       },
       {{120, 120}, {159, 159}},
       {{160, 159}, {200, 180}, {60, 60}, {260, 290}}},
      {"RedrawWindow",
       [&](HWND h, HWND) { RedrawWindow(h, &part, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW); },
       {{120, 120}, {159, 159}},
       {{160, 159}, {200, 180}, {60, 60}}},
      {"drawing through GetDC",
       [&](HWND h, HWND) {
         HDC dc = GetDC(h);
         HBRUSH b = CreateSolidBrush(kWhite);
         FillRect(dc, &part, b);
         DeleteObject(b);
         ReleaseDC(h, dc);
       },
       {{120, 120}, {159, 159}},
       {{160, 159}, {200, 180}, {60, 60}}},
      {"a whole repaint under a window above",
       [&](HWND h, HWND) {
         InvalidateRect(h, nullptr, true);
         UpdateWindow(h);
       },
       {{120, 120}, {200, 180}},
       {{260, 290}, {60, 60}}},
      {"a move over the same colour",
       [&](HWND h, HWND) { SetWindowPos(h, nullptr, 104, 100, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE); },
       {{101, 120}, {200, 180}, {303, 120}},
       {{60, 60}, {260, 290}}},
      {"a window shown over it, in the same colour",
       [&](HWND, HWND cover) {
         SetWindowPos(cover, HWND_TOP, 140, 140, 40, 40, SWP_NOACTIVATE | SWP_SHOWWINDOW);
         UpdateWindow(cover);
       },
       {{140, 140}, {179, 179}},
       {{130, 130}, {200, 180}, {60, 60}}},
  };
  COLORREF white = kWhite;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    ClearScreenOverlay();
    HWND h = MakeTop(100, 100, 200, 150);
    PaintUpdateWith(h, &white);
    // A window above the lower part of h, and one kept hidden until a case shows it.
    HWND above = MakeTop(240, 230, 100, 100);
    PaintUpdateWith(above, &white);
    HWND cover = MakeTop(0, 0, 40, 40, WS_POPUP);
    PaintUpdateWith(cover, &white);
    Pump();
    ScreenFill(RECT(50, 50, 320, 300), kRed);
    c.Act(h, cover);
    Pump();
    TScreenImage s = CaptureScreen();
    for (TPoint p : c.Gone) EXPECT_NE(s.Pixel(p.X, p.Y), Px(kRed)) << p.X << "," << p.Y;
    for (TPoint p : c.Kept) EXPECT_EQ(s.Pixel(p.X, p.Y), Px(kRed)) << p.X << "," << p.Y;
    DestroyWindow(cover);
    DestroyWindow(above);
    DestroyWindow(h);
  }
}

// A window of no background brush shows, until it paints, what was on the
// screen under it when it was shown, and reads that back from the screen.
TEST_F(Platform_ScreenDC, AWindowShowsWhatWasBeneathItUntilItPaints) {
  static bool registered = [] {
    WNDCLASSEXW wc;
    wc.lpfnWndProc = CALLBACK_TestProc;
    wc.lpszClassName = u"QnTestBare";
    return RegisterClassExW(&wc) != 0;
  }();
  ASSERT_TRUE(registered);
  COLORREF below = kGreen, own = kWhite;
  HWND back = MakeTop(100, 100, 300, 200);
  PaintUpdateWith(back, &below);
  Pump();
  HWND h = CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, u"QnTestBare", u"", WS_POPUP, 150, 150, 100, 60, nullptr,
                           nullptr, nullptr, nullptr);
  // Its paint reads the screen's bottom row under it, then paints the top half.
  COLORREF read = 0;
  SetHandler(h, [&](HWND hw, UINT msg, WPARAM, LPARAM, bool& handled) -> LRESULT {
    handled = msg == WM_PAINT || msg == WM_ERASEBKGND;
    if (msg == WM_ERASEBKGND) return 1;
    if (!handled) return 0;
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hw, &ps);
    HDC screen = GetDC(nullptr);
    RECT wr;
    GetWindowRect(hw, &wr);
    read = GetPixel(screen, wr.Left + 10, wr.Bottom - 1);
    ReleaseDC(nullptr, screen);
    HBRUSH b = CreateSolidBrush(own);
    RECT top(0, 0, 100, 30);
    FillRect(dc, &top, b);
    DeleteObject(b);
    EndPaint(hw, &ps);
    return 0;
  });
  for (COLORREF now : {kGreen, kRed}) {
    SCOPED_TRACE(now == kGreen ? "first show" : "shown again elsewhere");
    below = now;
    InvalidateRect(back, nullptr, true);
    UpdateWindow(back);
    if (now == kRed) SetWindowPos(h, nullptr, 200, 200, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    ShowWindow(h, SW_SHOWNA);
    UpdateWindow(h);
    EXPECT_EQ(read, now);
    RECT wr;
    GetWindowRect(h, &wr);
    TScreenImage s = CaptureScreen();
    EXPECT_EQ(s.Pixel(wr.Left + 50, wr.Top + 10), Px(kWhite));
    EXPECT_EQ(s.Pixel(wr.Left + 50, wr.Bottom - 1), Px(now));
    EXPECT_EQ(CaptureWindow(h).Pixel(99, 59) & 0xFFFFFFu, Px(now) & 0xFFFFFFu);
    ShowWindow(h, SW_HIDE);
  }
  DestroyWindow(h);
  DestroyWindow(back);
}

TEST_F(Platform_ScreenDC, ZOrderHidingAndLayeredChangesTakeBackTheirPixels) {
  COLORREF white = kWhite, green = kGreen;
  HWND a = MakeTop(100, 100, 200, 100);
  PaintUpdateWith(a, &white);
  HWND b = MakeTop(200, 150, 200, 100);  // above a, overlapping 200..300 x 150..200
  PaintUpdateWith(b, &green);
  HWND l = MakeTop(500, 100, 100, 100, WS_POPUP | WS_VISIBLE, WS_EX_LAYERED);
  PaintUpdateWith(l, &white);
  SetLayeredWindowAttributes(l, 0, 255, LWA_ALPHA);
  Pump();
  ScreenFill(RECT(80, 80, 620, 280), kRed);
  TScreenImage s = CaptureScreen();
  for (TPoint p : {TPoint(250, 170), TPoint(150, 120), TPoint(350, 220), TPoint(550, 150), TPoint(90, 90)})
    EXPECT_EQ(s.Pixel(p.X, p.Y), Px(kRed)) << p.X << "," << p.Y;

  // Raising a changes only the overlap, where white now shows instead of green.
  SetWindowPos(a, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  Pump();
  s = CaptureScreen();
  EXPECT_EQ(s.Pixel(250, 170), Px(kWhite));
  EXPECT_EQ(s.Pixel(150, 120), Px(kRed));
  EXPECT_EQ(s.Pixel(350, 220), Px(kRed));
  // Hiding b shows the desktop in its place.
  ShowWindow(b, SW_HIDE);
  Pump();
  s = CaptureScreen();
  EXPECT_EQ(s.Pixel(350, 220), Px(kDesk));
  EXPECT_EQ(s.Pixel(150, 120), Px(kRed));
  // A layered window at half opacity shows something new everywhere.
  SetLayeredWindowAttributes(l, 0, 128, LWA_ALPHA);
  s = CaptureScreen();
  EXPECT_NE(s.Pixel(550, 150), Px(kRed));
  EXPECT_NE(s.Pixel(550, 150), Px(kWhite));
  EXPECT_EQ(s.Pixel(90, 90), Px(kRed));
}

TEST_F(Platform_ScreenDC, SaveDrawRestoreLeavesTheScreenAsItWas) {
  COLORREF color = kWhite;
  HWND h = MakeTop(100, 100, 200, 150);
  PaintUpdateWith(h, &color);
  Pump();
  TScreenImage before = CaptureScreen();
  RECT area(80, 80, 180, 160);
  // Save what is there, draw a picture over it, and put it back later.
  HDC screen = GetDC(nullptr);
  HDC mem = CreateCompatibleDC(screen);
  HBITMAP saved = CreateCompatibleBitmap(screen, 100, 80);
  HGDIOBJ old = SelectObject(mem, saved);
  BitBlt(mem, 0, 0, 100, 80, screen, area.Left, area.Top, SRCCOPY);
  HBRUSH b = CreateSolidBrush(RGB(10, 20, 30));
  RECT pic(90, 90, 170, 150);
  FillRect(screen, &pic, b);
  DeleteObject(b);
  ReleaseDC(nullptr, screen);
  TScreenImage during = CaptureScreen();
  EXPECT_EQ(during.Pixel(95, 95), Px(RGB(10, 20, 30)));
  EXPECT_EQ(during.Pixel(150, 140), Px(RGB(10, 20, 30)));

  // A display DC made and deleted outside GetDC draws on the same screen.
  HDC disp = CreateDCW(u"DISPLAY", nullptr, nullptr, nullptr);
  EXPECT_EQ(GetPixel(disp, 95, 95), RGB(10, 20, 30));
  SetPixel(disp, 500, 500, kRed);
  DeleteDC(disp);
  EXPECT_EQ(CaptureScreen().Pixel(500, 500), Px(kRed));
  // A DC still open shows in a capture, and sees other DCs' drawing.
  HDC open = GetDC(nullptr);
  SetPixelV(open, 0, 0, kRed);
  EXPECT_EQ(CaptureScreen().Pixel(0, 0), Px(kRed));
  ScreenFill(RECT(600, 600, 610, 610), kGreen);
  EXPECT_EQ(GetPixel(open, 605, 605), kGreen);
  HBRUSH desk = CreateSolidBrush(kDesk);
  RECT square(600, 600, 610, 610);
  FillRect(open, &square, desk);
  DeleteObject(desk);
  ReleaseDC(nullptr, open);

  screen = GetDC(nullptr);
  BitBlt(screen, area.Left, area.Top, 100, 80, mem, 0, 0, SRCCOPY);
  SetPixel(screen, 500, 500, kDesk);
  SetPixel(screen, 0, 0, kDesk);
  ReleaseDC(nullptr, screen);
  TScreenImage after = CaptureScreen();
  ASSERT_EQ(after.Width, before.Width);
  size_t diff = 0;
  for (size_t i = 0; i < after.Pixels.size(); ++i) diff += (after.Pixels[i] & 0xFFFFFF) != (before.Pixels[i] & 0xFFFFFF);
  EXPECT_EQ(diff, 0u);
  // Nothing of the picture is left to come back when the window repaints the same.
  color = kWhite;
  InvalidateRect(h, nullptr, true);
  UpdateWindow(h);
  EXPECT_EQ(CaptureScreen().Pixel(95, 95), Px(kDesk));
  EXPECT_EQ(CaptureScreen().Pixel(150, 140), Px(kWhite));
  SelectObject(mem, old);
  DeleteObject(saved);
  DeleteDC(mem);
}

TEST_F(Platform_ScreenDC, RandomRegionOfAHalfCoveredWindow) {
  HWND a = MakeTop(100, 100, 200, 200);
  HWND b = MakeTop(200, 100, 200, 200);  // above a, over its right half
  HWND child = MakeChild(a, 10, 10, 30, 30);
  Pump();
  HRGN rgn = CreateRectRgn(0, 0, 0, 0);
  HDC dc = GetDCEx(a, nullptr, DCX_WINDOW | DCX_CACHE | DCX_CLIPCHILDREN | DCX_CLIPSIBLINGS);
  ASSERT_EQ(GetRandomRgn(dc, rgn, SYSRGN), 1);
  RECT box;
  GetRgnBox(rgn, &box);
  EXPECT_EQ(box, RECT(100, 100, 200, 300));
  EXPECT_FALSE(PtInRegion(rgn, 115, 115));  // the child is cut out
  EXPECT_TRUE(PtInRegion(rgn, 105, 105));
  EXPECT_FALSE(PtInRegion(rgn, 200, 150));
  ReleaseDC(a, dc);
  // The client DC of the child, in screen coordinates.
  dc = GetDC(child);
  ASSERT_EQ(GetRandomRgn(dc, rgn, SYSRGN), 1);
  GetRgnBox(rgn, &box);
  EXPECT_EQ(box, RECT(110, 110, 140, 140));
  ReleaseDC(child, dc);
  // Wholly covered: empty.
  SetWindowPos(b, nullptr, 50, 50, 400, 400, SWP_NOZORDER);
  dc = GetDC(a);
  EXPECT_EQ(GetRandomRgn(dc, rgn, SYSRGN), 0);
  ReleaseDC(a, dc);
  // The screen's is the virtual screen; a bad DC is an error.
  dc = GetDC(nullptr);
  ASSERT_EQ(GetRandomRgn(dc, rgn, SYSRGN), 1);
  GetRgnBox(rgn, &box);
  EXPECT_EQ(box, RECT(0, 0, GetSystemMetrics(SM_CXVIRTUALSCREEN), GetSystemMetrics(SM_CYVIRTUALSCREEN)));
  ReleaseDC(nullptr, dc);
  EXPECT_EQ(GetRandomRgn(reinterpret_cast<HDC>(uintptr_t(0xBAD0)), rgn, SYSRGN), -1);
  // A DC that outlived its window shows nothing; a memory DC its bitmap.
  dc = GetDC(child);
  DestroyWindow(child);
  EXPECT_EQ(GetRandomRgn(dc, rgn, SYSRGN), 0);
  ReleaseDC(nullptr, dc);
  HDC mem = CreateCompatibleDC(nullptr);
  HDC adc = GetDC(a);
  HBITMAP bmp = CreateCompatibleBitmap(adc, 30, 20);
  ReleaseDC(a, adc);
  HGDIOBJ old = SelectObject(mem, bmp);
  ASSERT_EQ(GetRandomRgn(mem, rgn, SYSRGN), 1);
  GetRgnBox(rgn, &box);
  EXPECT_EQ(box, RECT(0, 0, 30, 20));
  SelectObject(mem, old);
  DeleteObject(bmp);
  DeleteDC(mem);
  DeleteObject(rgn);
}

TEST_F(Platform_ScreenDC, RandomRegionMatchesStackedRectanglesOnRandomLayouts) {
  std::mt19937 rng(149);
  for (int round = 0; round < 12; ++round) {
    std::vector<std::pair<HWND, TRect>> wins;  // front first
    int n = 2 + int(rng() % 4);
    for (int i = 0; i < n; ++i) {
      TRect r = Bounds(int(rng() % 300), int(rng() % 300), 20 + int(rng() % 200), 20 + int(rng() % 200));
      HWND h = MakeTop(r.Left, r.Top, r.Width(), r.Height());
      // Each new window goes to the front.
      wins.insert(wins.begin(), {h, r});
    }
    HRGN rgn = CreateRectRgn(0, 0, 0, 0);
    for (size_t k = 0; k < wins.size(); ++k) {
      HDC dc = GetWindowDC(wins[k].first);
      int res = GetRandomRgn(dc, rgn, SYSRGN);
      ReleaseDC(wins[k].first, dc);
      bool any = false;
      for (int y = 0; y < 540; y += 7)
        for (int x = 0; x < 540; x += 7) {
          bool want = PtInRect(wins[k].second, TPoint(x, y));
          for (size_t j = 0; j < k && want; ++j) want = !PtInRect(wins[j].second, TPoint(x, y));
          any = any || want;
          ASSERT_EQ(bool(PtInRegion(rgn, x, y)), want) << round << " " << k << " " << x << "," << y;
        }
      if (any) {
        EXPECT_EQ(res, 1);  // a sliver between the samples may leave any false
      }
    }
    DeleteObject(rgn);
    for (auto& w : wins) DestroyWindow(w.first);
  }
}

}  // namespace

TEST_F(Platform_ScreenDC, AnOpenScreenDCThatOnlyReadsSeesWhatWindowsShowNow) {
  COLORREF color = kWhite;
  HWND h = MakeTop(100, 100, 200, 150);
  PaintUpdateWith(h, &color);
  Pump();
  HDC dc = GetDC(nullptr);
  EXPECT_EQ(GetPixel(dc, 150, 150), kWhite);
  // A repaint, a move and a hide while the DC stays open.
  color = kGreen;
  InvalidateRect(h, nullptr, true);
  UpdateWindow(h);
  EXPECT_EQ(GetPixel(dc, 150, 150), kGreen);
  SetWindowPos(h, nullptr, 400, 100, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  Pump();
  EXPECT_EQ(GetPixel(dc, 150, 150), kDesk);
  EXPECT_EQ(GetPixel(dc, 450, 150), kGreen);
  // Once it drew, it keeps its copy (its drawing is measured against it)
  // until it is released.
  SetPixel(dc, 10, 10, kRed);
  ShowWindow(h, SW_HIDE);
  EXPECT_EQ(GetPixel(dc, 10, 10), kRed);
  ReleaseDC(nullptr, dc);
  TScreenImage s = CaptureScreen();
  EXPECT_EQ(s.Pixel(10, 10), Px(kRed));
  EXPECT_EQ(s.Pixel(450, 150), Px(kDesk));
  DestroyWindow(h);
}

}  // namespace t_screen_dctest
