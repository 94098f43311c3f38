#include <memory>
#include <random>

#include "tests/platform/user/LayeredSupport.h"

namespace t_layered_test {

using namespace vcl;
using namespace usertest;

namespace {

class Platform_Layered : public ShapeTest {};

bool Ulw(HWND h, Picture* pic, const POINT* dst, const SIZE* size, const POINT* src, DWORD flags, Byte k = 255,
         bool perPixel = true, COLORREF key = 0) {
  BLENDFUNCTION bf;
  bf.SourceConstantAlpha = k;
  bf.AlphaFormat = perPixel ? AC_SRC_ALPHA : 0;
  return UpdateLayeredWindow(h, nullptr, dst, size, pic ? pic->Dc : nullptr, src, key, &bf, flags);
}

TEST_F(Platform_Layered, UpdateLayeredWindowComposesPerPixelAlphaOverTheScreen) {
  HWND below = MakeTop(0, 0, 100, 240);
  PaintSolid(below, RGB(250, 200, 10));
  HWND h = MakeTop(60, 50, 80, 40, WS_POPUP | WS_VISIBLE, WS_EX_LAYERED);
  Pump();
  // Nothing is shown before the window has a picture, and nothing is hit.
  EXPECT_EQ(CaptureScreen().Pixel(120, 60), Opaque(kDesk));
  EXPECT_EQ(WindowFromPoint(TPoint(120, 60)), nullptr);
  // A picture of random premultiplied pixels, taken from (7, 3) of a larger one.
  Picture pic(100, 60);
  std::mt19937 rng(20);
  for (int y = 0; y < pic.H; ++y)
    for (int x = 0; x < pic.W; ++x) {
      uint32_t a = rng() % 256;
      a = x % 11 == 0 ? 0 : x % 13 == 0 ? 255 : a;
      pic.At(x, y) = Premul(RGB(rng() % 256, rng() % 256, rng() % 256), a);
    }
  POINT dst(70, 60), src(7, 3);
  SIZE size(90, 50);
  ClearLog();
  ASSERT_TRUE(Ulw(h, &pic, &dst, &size, &src, ULW_ALPHA));
  // The window moved and took the picture's size, told as any move is.
  RECT wr;
  GetWindowRect(h, &wr);
  EXPECT_EQ(wr, Bounds(70, 60, 90, 50));
  EXPECT_EQ(MessagesOf(h, {WM_WINDOWPOSCHANGED}).size(), 1u);
  for (Byte k : {Byte(255), Byte(128)}) {
    SCOPED_TRACE(int(k));
    if (k != 255) {
      ASSERT_TRUE(Ulw(h, &pic, nullptr, nullptr, &src, ULW_ALPHA, k));
    }
    TScreenImage s = CaptureScreen();
    int worst = 0;
    for (int y = 0; y < 50; ++y)
      for (int x = 0; x < 90; ++x) {
        uint32_t back = 70 + x < 100 ? Opaque(RGB(250, 200, 10)) : Opaque(kDesk);
        worst = std::max(worst, ColorDistance(s.Pixel(70 + x, 60 + y), OverRef(pic.At(7 + x, 3 + y), back, k)));
      }
    EXPECT_LE(worst, 1);
    EXPECT_EQ(s.Pixel(69, 59), Opaque(RGB(250, 200, 10)));
    EXPECT_EQ(s.Pixel(160, 110), Opaque(kDesk));
  }
  // Without AC_SRC_ALPHA the colours show at the constant alpha; ULW_OPAQUE
  // shows them as they are.
  ASSERT_TRUE(Ulw(h, &pic, nullptr, nullptr, &src, ULW_ALPHA, 100, false));
  TScreenImage s = CaptureScreen();
  EXPECT_LE(ColorDistance(s.Pixel(120, 70), MixRef(pic.At(57, 13), Opaque(kDesk), 100)), 1);
  ASSERT_TRUE(Ulw(h, &pic, nullptr, nullptr, &src, ULW_OPAQUE));
  EXPECT_EQ(CaptureScreen().Pixel(120, 70), pic.At(57, 13) | 0xFF000000u);
}

TEST_F(Platform_Layered, TransparentPixelsAndTheColourKeyLetThePointerThrough) {
  HWND below = MakeTop(0, 0, 320, 240);
  HWND h = MakeTop(100, 100, 60, 40, WS_POPUP | WS_VISIBLE, WS_EX_LAYERED);
  Pump();
  // Left half clear, a faint column, right half opaque; a keyed square inside.
  Picture pic(60, 40);
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 60; ++x) pic.At(x, y) = x < 30 ? 0 : x == 30 ? Premul(RGB(255, 0, 0), 1) : Premul(RGB(0, 0, 255), 255);
  for (int y = 10; y < 20; ++y)
    for (int x = 40; x < 50; ++x) pic.At(x, y) = Premul(RGB(0, 255, 0), 255);
  ASSERT_TRUE(Ulw(h, &pic, nullptr, nullptr, nullptr, ULW_ALPHA));
  EXPECT_EQ(WindowFromPoint(TPoint(110, 110)), below);
  EXPECT_EQ(WindowFromPoint(TPoint(130, 110)), h);  // alpha 1 still takes the pointer
  EXPECT_EQ(WindowFromPoint(TPoint(145, 115)), h);
  EXPECT_EQ(ChildWindowFromPoint(GetDesktopWindow(), TPoint(110, 110)), below);
  // The same through queued input: the move over the clear half goes below.
  Pump();
  ClearLog();
  InputMouseMove(110, 110);
  InputMouseMove(150, 130);
  Pump();
  EXPECT_EQ(MessagesOf(below, {WM_MOUSEMOVE}).size(), 1u);
  EXPECT_EQ(MessagesOf(h, {WM_MOUSEMOVE}).size(), 1u);
  // The colour key, with and without alpha: keyed pixels show what is below
  // and are not hit.
  ASSERT_TRUE(Ulw(h, &pic, nullptr, nullptr, nullptr, ULW_ALPHA | ULW_COLORKEY, 255, true, RGB(0, 255, 0)));
  EXPECT_EQ(WindowFromPoint(TPoint(145, 115)), below);
  EXPECT_EQ(WindowFromPoint(TPoint(155, 115)), h);
  ASSERT_TRUE(Ulw(h, &pic, nullptr, nullptr, nullptr, ULW_COLORKEY, 255, true, RGB(0, 255, 0)));
  TScreenImage s = CaptureScreen();
  EXPECT_EQ(s.Pixel(145, 115), Opaque(GetSysColor(COLOR_WINDOW)));
  EXPECT_EQ(s.Pixel(155, 115), Opaque(RGB(0, 0, 255)));
  EXPECT_EQ(s.Pixel(110, 110), 0xFF000000u);  // no alpha: the clear pixels show black
  EXPECT_EQ(WindowFromPoint(TPoint(110, 110)), h);
  EXPECT_EQ(WindowFromPoint(TPoint(145, 115)), below);
  // WS_EX_TRANSPARENT passes every point on.
  SetWindowLongPtrW(h, GWL_EXSTYLE, WS_EX_LAYERED | WS_EX_TRANSPARENT);
  ASSERT_TRUE(Ulw(h, &pic, nullptr, nullptr, nullptr, ULW_OPAQUE));
  EXPECT_EQ(WindowFromPoint(TPoint(155, 115)), below);
  EXPECT_EQ(CaptureScreen().Pixel(155, 115), Opaque(RGB(0, 0, 255)));
}

TEST_F(Platform_Layered, ConstantAlphaAndColourKeyOverThePaintedSurface) {
  HWND below = MakeTop(0, 0, 320, 240);
  PaintSolid(below, RGB(0, 0, 0));
  HWND h = MakeTop(50, 50, 100, 60, WS_POPUP | WS_VISIBLE, WS_EX_LAYERED);
  SetHandler(h, [](HWND hw, UINT msg, WPARAM, LPARAM, bool& handled) -> LRESULT {
    handled = msg == WM_PAINT;
    if (!handled) return 0;
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hw, &ps);
    RECT l(0, 0, 50, 60), r(50, 0, 100, 60);
    HBRUSH white = CreateSolidBrush(RGB(255, 255, 255)), key = CreateSolidBrush(RGB(255, 0, 255));
    FillRect(dc, &l, white);
    FillRect(dc, &r, key);
    DeleteObject(white);
    DeleteObject(key);
    EndPaint(hw, &ps);
    return 0;
  });
  InvalidateRect(h, nullptr, false);
  ASSERT_TRUE(SetLayeredWindowAttributes(h, 0, 128, LWA_ALPHA));
  Pump();
  TScreenImage s = CaptureScreen();
  // 50 % white over black: 128.
  EXPECT_EQ(s.Pixel(60, 60), 0xFF808080u);
  EXPECT_EQ(s.Pixel(60, 60), MixRef(0xFFFFFFFFu, 0xFF000000u, 128));
  EXPECT_EQ(WindowFromPoint(TPoint(120, 60)), h);
  COLORREF key = 1;
  Byte alpha = 0;
  DWORD flags = 0;
  ASSERT_TRUE(GetLayeredWindowAttributes(h, &key, &alpha, &flags));
  EXPECT_EQ(alpha, 128);
  EXPECT_EQ(flags, LWA_ALPHA);
  // The colour key cuts the magenta half away, for the eye and the pointer.
  ASSERT_TRUE(SetLayeredWindowAttributes(h, RGB(255, 0, 255), 255, LWA_COLORKEY));
  s = CaptureScreen();
  EXPECT_EQ(s.Pixel(60, 60), 0xFFFFFFFFu);
  EXPECT_EQ(s.Pixel(120, 60), 0xFF000000u);
  EXPECT_EQ(WindowFromPoint(TPoint(120, 60)), below);
  EXPECT_EQ(WindowFromPoint(TPoint(60, 60)), h);
  // Alpha 0 hides the window and lets every point through.
  ASSERT_TRUE(SetLayeredWindowAttributes(h, 0, 0, LWA_ALPHA));
  EXPECT_EQ(CaptureScreen().Pixel(60, 60), 0xFF000000u);
  EXPECT_EQ(WindowFromPoint(TPoint(60, 60)), below);
}

TEST_F(Platform_Layered, TheTwoModesExcludeEachOtherUntilTheStyleIsReset) {
  HWND plain = MakeTop(0, 0, 20, 20);
  HWND h = MakeTop(50, 50, 40, 30, WS_POPUP | WS_VISIBLE, WS_EX_LAYERED);
  Picture pic(40, 30);
  pic.Fill(Premul(RGB(0, 200, 0), 255));
  // Only layered windows take either call.
  SetLastError(0);
  EXPECT_FALSE(Ulw(plain, &pic, nullptr, nullptr, nullptr, ULW_ALPHA));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_FALSE(SetLayeredWindowAttributes(plain, 0, 10, LWA_ALPHA));
  EXPECT_FALSE(Ulw(HwndFromValue(0x7777), &pic, nullptr, nullptr, nullptr, ULW_ALPHA));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_WINDOW_HANDLE);
  // A picture first: the attributes cannot be read.
  ASSERT_TRUE(Ulw(h, &pic, nullptr, nullptr, nullptr, ULW_ALPHA));
  EXPECT_FALSE(GetLayeredWindowAttributes(h, nullptr, nullptr, nullptr));
  // Attributes switch the window to its painted surface; pictures then fail.
  ASSERT_TRUE(SetLayeredWindowAttributes(h, 0, 255, LWA_ALPHA));
  SetLastError(0);
  EXPECT_FALSE(Ulw(h, &pic, nullptr, nullptr, nullptr, ULW_ALPHA));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  // Clearing and setting the style again starts afresh: hidden until told.
  SetWindowLongPtrW(h, GWL_EXSTYLE, 0);
  EXPECT_FALSE(GetLayeredWindowAttributes(h, nullptr, nullptr, nullptr));
  Pump();
  EXPECT_EQ(CaptureScreen().Pixel(60, 60), Opaque(GetSysColor(COLOR_WINDOW)));
  SetWindowLongPtrW(h, GWL_EXSTYLE, WS_EX_LAYERED);
  EXPECT_EQ(CaptureScreen().Pixel(60, 60), Opaque(kDesk));
  EXPECT_TRUE(Ulw(h, &pic, nullptr, nullptr, nullptr, ULW_ALPHA));
  EXPECT_EQ(CaptureScreen().Pixel(60, 60), Opaque(RGB(0, 200, 0)));
}

TEST_F(Platform_Layered, GdiDrawingAfterAPictureDoesNotChangeTheScreen) {
  HWND h = MakeTop(30, 30, 50, 50, WS_POPUP | WS_VISIBLE, WS_EX_LAYERED);
  PaintSolid(h, RGB(255, 0, 0));
  Picture pic(50, 50);
  for (int y = 0; y < 50; ++y)
    for (int x = 0; x < 50; ++x) pic.At(x, y) = Premul(RGB(0, x * 5, y * 5), 40 + x * 4);
  ASSERT_TRUE(Ulw(h, &pic, nullptr, nullptr, nullptr, ULW_ALPHA));
  Pump();
  TScreenImage before = CaptureScreen();
  HDC dc = GetDC(h);
  RECT r(0, 0, 50, 50);
  FillRect(dc, &r, reinterpret_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  ReleaseDC(h, dc);
  InvalidateRect(h, nullptr, true);
  Pump();
  // Changing the source afterwards does not reach the screen either: the
  // picture was copied.
  pic.Fill(0xFFFFFFFFu);
  EXPECT_EQ(CaptureScreen().Pixels, before.Pixels);
  // The window's own snapshot is its picture, with straight alpha.
  TScreenImage own = CaptureWindow(h);
  ASSERT_EQ(own.Width, 50);
  uint32_t p = own.Pixel(10, 10);
  EXPECT_EQ(p >> 24, 80u);
  EXPECT_NEAR(double((p >> 8) & 0xFF), 50.0, 2.0);
}

TEST_F(Platform_Layered, PositionBlendAndDirtyPartsWithoutANewPicture) {
  HWND h = MakeTop(10, 10, 40, 40, WS_POPUP | WS_VISIBLE, WS_EX_LAYERED);
  Picture pic(40, 40);
  pic.Fill(Premul(RGB(255, 255, 255), 255));
  ASSERT_TRUE(Ulw(h, &pic, nullptr, nullptr, nullptr, ULW_ALPHA));
  // A fade step and a move keep the picture.
  POINT to(100, 100);
  ASSERT_TRUE(Ulw(h, nullptr, &to, nullptr, nullptr, ULW_ALPHA, 51));
  TScreenImage s = CaptureScreen();
  EXPECT_EQ(s.Pixel(20, 20), Opaque(kDesk));
  EXPECT_EQ(s.Pixel(120, 120), OverRef(0xFFFFFFFFu, Opaque(kDesk), 51));
  // A new size needs a new picture.
  SIZE bigger(60, 60);
  SetLastError(0);
  EXPECT_FALSE(Ulw(h, nullptr, nullptr, &bigger, nullptr, ULW_ALPHA));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  // Bad arguments change nothing.
  POINT outside(10, 10);
  EXPECT_FALSE(Ulw(h, &pic, nullptr, nullptr, &outside, ULW_ALPHA));  // the source runs off the bitmap
  EXPECT_FALSE(Ulw(h, &pic, nullptr, nullptr, nullptr, 0x10));
  SIZE none(0, 10);
  EXPECT_FALSE(Ulw(h, &pic, nullptr, &none, nullptr, ULW_ALPHA));
  EXPECT_FALSE(UpdateLayeredWindow(h, nullptr, nullptr, nullptr, pic.Dc, nullptr, 0, nullptr, ULW_ALPHA));
  EXPECT_EQ(CaptureScreen().Pixels, s.Pixels);
  // Only the dirty rectangle is taken from the source.
  Picture red(40, 40);
  red.Fill(Premul(RGB(255, 0, 0), 255));
  BLENDFUNCTION bf;
  bf.AlphaFormat = AC_SRC_ALPHA;
  RECT dirty(0, 0, 10, 40);
  UPDATELAYEREDWINDOWINFO info;
  info.hdcSrc = red.Dc;
  info.pblend = &bf;
  info.dwFlags = ULW_ALPHA;
  info.prcDirty = &dirty;
  ASSERT_TRUE(UpdateLayeredWindowIndirect(h, &info));
  s = CaptureScreen();
  EXPECT_EQ(s.Pixel(105, 120), 0xFFFF0000u);
  EXPECT_EQ(s.Pixel(115, 120), 0xFFFFFFFFu);
  info.cbSize = 12;
  EXPECT_FALSE(UpdateLayeredWindowIndirect(h, &info));
}

TEST_F(Platform_Layered, HiddenAndDestroyedLayeredWindowsLeaveTheScreen) {
  HWND h = MakeTop(10, 10, 40, 40, WS_POPUP, WS_EX_LAYERED);
  Picture pic(40, 40);
  pic.Fill(Premul(RGB(255, 255, 255), 255));
  // A hidden window takes its picture and shows it once shown.
  ASSERT_TRUE(Ulw(h, &pic, nullptr, nullptr, nullptr, ULW_ALPHA));
  EXPECT_EQ(CaptureScreen().Pixel(20, 20), Opaque(kDesk));
  ShowWindow(h, SW_SHOWNA);
  EXPECT_EQ(CaptureScreen().Pixel(20, 20), 0xFFFFFFFFu);
  DestroyWindow(h);
  EXPECT_EQ(CaptureScreen().Pixel(20, 20), Opaque(kDesk));
}

}  // namespace

namespace {

// The skinned form's shape: a rounded window region set on every size
// change, a title band that answers HTCAPTION, and four layered border
// windows with soft, per-pixel alpha that follow the form wherever it goes.
class Platform_SkinShape : public ShapeTest {
 protected:
  static constexpr int kEdge = 8, kTitle = 20;
  static constexpr COLORREF kFace = RGB(230, 230, 240);
  HWND Form = nullptr;
  HWND Border[4] = {};
  std::unique_ptr<Picture> Shadow;

  // The shadow picture: black whose alpha fades from 160 next to the form to
  // nothing kEdge pixels away; each border takes its part of it.
  void MakeShadow(int w, int h) {
    Shadow = std::make_unique<Picture>(w + 2 * kEdge, h + 2 * kEdge);
    for (int y = 0; y < Shadow->H; ++y)
      for (int x = 0; x < Shadow->W; ++x) {
        int dx = std::max({0, kEdge - x, x - (kEdge + w - 1)}), dy = std::max({0, kEdge - y, y - (kEdge + h - 1)});
        int d = std::max(dx, dy);
        Shadow->At(x, y) = d == 0 ? 0 : Premul(RGB(0, 0, 0), uint32_t(160 * (kEdge - d + 1) / (kEdge + 1)));
      }
  }
  // Border i's rectangle in the shadow picture (left, top, right, bottom).
  TRect Part(int i, int w, int h) const {
    switch (i) {
      case 0: return TRect(0, kEdge, kEdge, kEdge + h);
      case 1: return TRect(0, 0, w + 2 * kEdge, kEdge);
      case 2: return TRect(kEdge + w, kEdge, w + 2 * kEdge, kEdge + h);
      default: return TRect(0, kEdge + h, w + 2 * kEdge, h + 2 * kEdge);
    }
  }
  void Follow() {
    RECT fr;
    GetWindowRect(Form, &fr);
    if (!Shadow || Shadow->W != fr.Width() + 2 * kEdge || Shadow->H != fr.Height() + 2 * kEdge)
      MakeShadow(fr.Width(), fr.Height());
    BLENDFUNCTION bf;
    bf.AlphaFormat = AC_SRC_ALPHA;
    for (int i = 0; i < 4; ++i) {
      TRect p = Part(i, fr.Width(), fr.Height());
      POINT dst(fr.Left - kEdge + p.Left, fr.Top - kEdge + p.Top), src(p.Left, p.Top);
      SIZE size(p.Width(), p.Height());
      ASSERT_TRUE(UpdateLayeredWindow(Border[i], nullptr, &dst, &size, Shadow->Dc, &src, 0, &bf, ULW_ALPHA));
    }
  }
  void SetUp() override {
    ShapeTest::SetUp();
    SetVirtualClock(true);
    Form = MakeTop(60, 50, 160, 120, WS_POPUP);
    SetHandler(Form, [this](HWND hw, UINT msg, WPARAM wp, LPARAM lp, bool& handled) -> LRESULT {
      switch (msg) {
        case WM_NCHITTEST: {
          RECT r;
          GetWindowRect(hw, &r);
          return GET_Y_LPARAM(lp) < r.Top + kTitle ? HTCAPTION : HTCLIENT;
        }
        case WM_SIZE:
          SetWindowRgn(hw, CreateRoundRectRgn(0, 0, LOWORD(lp) + 1, HIWORD(lp) + 1, 24, 24), true);
          return 0;
        case WM_WINDOWPOSCHANGED:
          if (Border[3]) Follow();
          DefWindowProcW(hw, msg, wp, lp);
          return 0;
        case WM_PAINT: {
          PAINTSTRUCT ps;
          HDC dc = BeginPaint(hw, &ps);
          HBRUSH b = CreateSolidBrush(kFace);
          FillRect(dc, &ps.rcPaint, b);
          DeleteObject(b);
          EndPaint(hw, &ps);
          return 0;
        }
        default:
          handled = false;
          return 0;
      }
    });
    SendMessageW(Form, WM_SIZE, 0, MAKELPARAM(160, 120));
    for (HWND& b : Border)
      b = CreateWindowExW(WS_EX_LAYERED | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, TestClass(), u"", WS_POPUP, 0, 0, 1, 1,
                          Form, nullptr, nullptr, nullptr);
    Follow();
    ShowWindow(Form, SW_SHOW);
    for (HWND b : Border) ShowWindow(b, SW_SHOWNA);
    Pump();
  }
  void TearDown() override {
    std::fill(std::begin(Border), std::end(Border), nullptr);  // the form stops following
    ShapeTest::TearDown();
  }
  // Checks the screen around the form at (x, y): soft edges over the desktop,
  // the rounded corners cut, the face inside.
  void ExpectShapeAt(int x, int y) {
    TScreenImage s = CaptureScreen();
    const uint32_t desk = Opaque(kDesk);
    EXPECT_EQ(s.Pixel(x + 80, y + 60), Opaque(kFace));
    EXPECT_EQ(s.Pixel(x + 1, y + 1), desk);  // cut by the rounded region
    EXPECT_EQ(s.Pixel(x + 20, y), Opaque(kFace));
    for (int d = 1; d <= kEdge; ++d) {
      uint32_t shade = Premul(RGB(0, 0, 0), uint32_t(160 * (kEdge - d + 1) / (kEdge + 1)));
      EXPECT_LE(ColorDistance(s.Pixel(x - d, y + 60), OverRef(shade, desk, 255)), 1) << d;
      EXPECT_LE(ColorDistance(s.Pixel(x + 80, y + 120 - 1 + d), OverRef(shade, desk, 255)), 1) << d;
    }
    EXPECT_EQ(s.Pixel(x - kEdge - 1, y + 60), desk);
  }
};

TEST_F(Platform_SkinShape, RoundedFormWithFourLayeredBordersFollowingIt) {
  ExpectShapeAt(60, 50);
  // The borders stay above their owner and take the pointer only where they show.
  HWND below = MakeTop(0, 0, 320, 240);
  PaintSolid(below, kDesk);
  SetWindowPos(below, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  EXPECT_EQ(WindowFromPoint(TPoint(60 - 3, 110)), Border[0]);
  EXPECT_EQ(WindowFromPoint(TPoint(60 + 20, 50 - 3)), Border[1]);
  EXPECT_EQ(WindowFromPoint(TPoint(62, 52)), below);  // the cut corner is not the form's
  EXPECT_EQ(WindowFromPoint(TPoint(140, 110)), Form);
  // Dragged by its title through queued input: the borders follow.
  ClearLog();
  InputMouseMove(140, 60);
  InputMouseDown(VK_LBUTTON);
  InputMouseMove(150, 75);
  InputMouseMove(170, 90);
  InputMouseUp(VK_LBUTTON);
  Pump();
  RECT fr;
  GetWindowRect(Form, &fr);
  EXPECT_EQ(fr, Bounds(90, 80, 160, 120));
  Pump();
  ExpectShapeAt(90, 80);
  EXPECT_EQ(GetActiveWindow(), Form);
  // A resize renews the region and the borders' pictures.
  SetWindowPos(Form, nullptr, 0, 0, 120, 100, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  Pump();
  TScreenImage s = CaptureScreen();
  EXPECT_EQ(s.Pixel(90 + 119, 80 + 99), Opaque(kDesk));  // the new bottom-right corner is round
  EXPECT_EQ(s.Pixel(90 + 60, 80 + 99), Opaque(kFace));
  EXPECT_LE(ColorDistance(s.Pixel(90 + 120, 80 + 50), OverRef(Premul(0, 160 * kEdge / (kEdge + 1)), Opaque(kDesk), 255)),
            1);
}

}  // namespace

}  // namespace t_layered_test
