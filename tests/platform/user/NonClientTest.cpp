// The non-client area: hit-testing over framed windows, a window that keeps
// all of itself as client area, the classic frame's pixels, caption buttons,
// scroll-bar clicks and the system commands of the keyboard.
#include <algorithm>

#include "tests/common/Golden.h"
#include "tests/platform/user/UserTestSupport.h"

namespace t_non_client_test {

using namespace vcl;
using namespace usertest;

namespace {

class NonClientTest : public InputServerTest {
 protected:
  static LRESULT Hit(HWND h, int x, int y) { return SendMessageW(h, WM_NCHITTEST, 0, MAKELPARAM(x, y)); }
  static TRect ScreenClientRect(HWND h) {
    RECT r;
    GetClientRect(h, &r);
    POINT o{0, 0};
    ClientToScreen(h, &o);
    OffsetRect(r, o.X, o.Y);
    return r;
  }
  // Dispatches with character translation, as an application's loop does.
  static void PumpKeys() {
    MSG m;
    for (int n = 0; n < 1000 && PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE); ++n) {
      TranslateMessage(&m);
      DispatchMessageW(&m);
    }
  }
  static void Click(int x, int y) {
    InputMouseMove(x, y);
    InputMouseDown(VK_LBUTTON);
    InputMouseUp(VK_LBUTTON);
    Pump();
  }
  static uint32_t Rgb(int sysColor) {
    COLORREF c = GetSysColor(sysColor);
    return (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
  }
  static uint32_t At(const TScreenImage& img, int x, int y) { return img.Pixel(x, y) & 0xFFFFFF; }
  // The messages of one kind a window got, with their parameters.
  static std::vector<Logged> Of(HWND h, UINT msg) {
    std::vector<Logged> r;
    std::lock_guard<std::mutex> lk(LogLock());
    for (auto& l : Log())
      if (l.Hwnd == h && l.Msg == msg) r.push_back(l);
    return r;
  }
};

class Platform_NonClient : public NonClientTest {};

TEST_F(Platform_NonClient, HitTestOverAFramedWindow) {
  HWND h = MakeTop(100, 100, 400, 300, WS_OVERLAPPEDWINDOW | WS_VSCROLL | WS_HSCROLL | WS_VISIBLE);
  const int f = Frame(), cap = GetSystemMetrics(SM_CYCAPTION), corner = GetSystemMetrics(SM_CXSIZE);
  const int bw = GetSystemMetrics(SM_CXSIZE) - 2, sb = GetSystemMetrics(SM_CXVSCROLL);
  const int capY = 100 + f + cap / 2, closeX = 500 - f - 2 - bw / 2;
  struct Case {
    int X, Y;
    LRESULT Want;
  };
  const Case cases[] = {
      {99, 200, HTNOWHERE},
      {500, 200, HTNOWHERE},
      {100, 250, HTLEFT},
      {499, 250, HTRIGHT},
      {300, 100, HTTOP},
      {300, 399, HTBOTTOM},
      {101, 101, HTTOPLEFT},
      {100 + corner - 1, 100, HTTOPLEFT},
      {100 + corner, 100, HTTOP},
      {100, 100 + corner - 1, HTTOPLEFT},
      {100, 100 + corner, HTLEFT},
      {498, 101, HTTOPRIGHT},
      {101, 398, HTBOTTOMLEFT},
      {498, 398, HTBOTTOMRIGHT},
      {300, capY, HTCAPTION},
      {300, 100 + f + cap - 1, HTCAPTION},  // the line under the caption belongs to it
      {closeX, capY, HTCLOSE},
      {closeX - bw - 2, capY, HTMAXBUTTON},
      {closeX - 2 * bw - 2, capY, HTMINBUTTON},
      {100 + f + 3, capY, HTSYSMENU},
      {300, 250, HTCLIENT},
      {500 - f - sb / 2, 250, HTVSCROLL},
      {300, 400 - f - sb / 2, HTHSCROLL},
      {500 - f - sb / 2, 400 - f - sb / 2, HTBOTTOMRIGHT},  // the size box
  };
  for (const Case& c : cases) EXPECT_EQ(Hit(h, c.X, c.Y), c.Want) << c.X << "," << c.Y;

  // Every point: client exactly where the client rectangle is, sizing codes
  // only on the frame band.
  TRect cr = ScreenClientRect(h);
  for (int y = 95; y < 405; y += 3)
    for (int x = 95; x < 505; x += 3) {
      LRESULT hit = Hit(h, x, y);
      bool inWindow = x >= 100 && x < 500 && y >= 100 && y < 400;
      ASSERT_EQ(hit == HTCLIENT, PtInRect(cr, TPoint(x, y))) << x << "," << y;
      ASSERT_EQ(hit == HTNOWHERE, !inWindow) << x << "," << y;
      if (hit >= HTLEFT && hit <= HTBOTTOMRIGHT && !(x > 475 && y > 375)) {
        bool band = x < 100 + f || x >= 500 - f || y < 100 + f || y >= 400 - f;
        ASSERT_TRUE(band) << x << "," << y;
      }
    }
}

TEST_F(Platform_NonClient, HitTestFollowsTheStyles) {
  const int f = Frame(), cap = GetSystemMetrics(SM_CYCAPTION);
  // A plain border: no sizing.
  HWND border = MakeTop(100, 100, 200, 100, WS_POPUP | WS_BORDER | WS_VISIBLE);
  EXPECT_EQ(Hit(border, 100, 150), HTBORDER);
  EXPECT_EQ(Hit(border, 101, 150), HTCLIENT);
  // A dialog frame with a caption: a close button, no min/max, no sizing.
  HWND dlg = MakeTop(400, 100, 300, 200, WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE);
  int df = GetSystemMetrics(SM_CXDLGFRAME);
  int bw = GetSystemMetrics(SM_CXSIZE) - 2;
  int capY = 100 + df + cap / 2;
  EXPECT_EQ(Hit(dlg, 400, 200), HTBORDER);
  EXPECT_EQ(Hit(dlg, 700 - df - 2 - bw / 2, capY), HTCLOSE);
  EXPECT_EQ(Hit(dlg, 700 - df - 2 - bw - 10, capY), HTCAPTION);
  // A tool window: a small caption, only a close button, no system menu.
  HWND tool = MakeTop(100, 400, 300, 200, WS_OVERLAPPEDWINDOW | WS_VISIBLE, WS_EX_TOOLWINDOW);
  int sbw = GetSystemMetrics(SM_CXSMSIZE) - 2;
  int tY = 400 + f + GetSystemMetrics(SM_CYSMCAPTION) / 2;
  EXPECT_EQ(Hit(tool, 400 - f - 2 - sbw / 2, tY), HTCLOSE);
  EXPECT_EQ(Hit(tool, 400 - f - 2 - sbw - 10, tY), HTCAPTION);
  EXPECT_EQ(Hit(tool, 100 + f + 3, tY), HTCAPTION);
  // A minimised window is all caption.
  HWND mini = MakeTop(500, 500, 300, 200, WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  ShowWindow(mini, SW_MINIMIZE);
  TRect r;
  GetWindowRect(mini, &r);
  EXPECT_EQ(Hit(mini, r.Left + 1, r.Top + 1), HTCAPTION);
  EXPECT_EQ(Hit(mini, r.Left + r.Width() / 2, r.Bottom - 1), HTCAPTION);
}

TEST_F(Platform_NonClient, AWindowThatKeepsNonClientCalcGetsAllOfItselfAsClient) {
  DefaultHandler() = [](HWND, UINT msg, WPARAM, LPARAM, bool& handled) -> LRESULT {
    handled = msg == WM_NCCALCSIZE;  // answered by doing nothing
    return 0;
  };
  HWND h = MakeTop(100, 100, 400, 300, WS_OVERLAPPEDWINDOW | WS_VSCROLL | WS_HSCROLL | WS_VISIBLE,
                   WS_EX_CLIENTEDGE);
  Pump();
  EXPECT_EQ(ScreenClientRect(h), Bounds(100, 100, 400, 300));
  // The bars keep their state but take no room and answer no hit-test.
  SCROLLINFO si;
  si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
  si.nMin = 0;
  si.nMax = 99;
  si.nPage = 10;
  si.nPos = 40;
  SetScrollInfo(h, SB_VERT, &si, true);
  EXPECT_EQ(GetScrollPos(h, SB_VERT), 40);
  for (auto p : {TPoint(105, 110), TPoint(495, 250), TPoint(300, 395), TPoint(100, 100)})
    EXPECT_EQ(Hit(h, p.X, p.Y), HTCLIENT);
  SetWindowPos(h, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED);
  SetWindowPos(h, nullptr, 120, 100, 420, 320, SWP_NOZORDER);
  Pump();
  EXPECT_EQ(ScreenClientRect(h), Bounds(120, 100, 420, 320));
  // No frame is drawn: the corner shows the client background.
  TScreenImage img = CaptureWindow(h);
  EXPECT_EQ(At(img, 0, 0), Rgb(COLOR_WINDOW));
  EXPECT_EQ(At(img, 410, 10), Rgb(COLOR_WINDOW));
}

TEST_F(Platform_NonClient, ClassicFrameProbesAndCaptionActivation) {
  HWND h = MakeTop(100, 100, 320, 200, WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  SendMessageW(h, WM_NCACTIVATE, 1, 0);
  Pump();
  const int f = Frame(), cap = GetSystemMetrics(SM_CYCAPTION);
  TScreenImage img = CaptureWindow(h);
  // A raised outer edge, the caption's first colour at its left end, the
  // face under the caption and the client background.
  EXPECT_EQ(At(img, 0, 0), Rgb(COLOR_3DLIGHT));
  EXPECT_EQ(At(img, 319, 199), Rgb(COLOR_3DDKSHADOW));
  EXPECT_EQ(At(img, f + 1, f + 1), Rgb(COLOR_ACTIVECAPTION));
  EXPECT_EQ(At(img, 160, f + cap - 1), Rgb(COLOR_BTNFACE));
  EXPECT_EQ(At(img, 160, 100), Rgb(COLOR_WINDOW));
  // The close button carries a glyph in the button text colour.
  int bw = GetSystemMetrics(SM_CXSIZE) - 2;
  int glyph = 0;
  for (int y = f + 2; y < f + cap - 3; ++y)
    for (int x = 320 - f - 2 - bw; x < 320 - f - 2; ++x) glyph += At(img, x, y) == Rgb(COLOR_BTNTEXT);
  EXPECT_GT(glyph, 10);
  // Caption text: light (anti-aliased) pixels on the dark caption right of the icon.
  int text = 0;
  for (int y = f; y < f + cap - 1; ++y)
    for (int x = f + cap; x < 160; ++x) {
      uint32_t p = At(img, x, y);
      text += (p & 0xFF) > 0xC0 && ((p >> 8) & 0xFF) > 0xC0 && ((p >> 16) & 0xFF) > 0xC0;
    }
  EXPECT_GT(text, 10);

  // Deactivation repaints the caption through WM_NCPAINT with a region.
  ClearLog();
  SendMessageW(h, WM_NCACTIVATE, 0, 0);
  auto paints = Of(h, WM_NCPAINT);
  ASSERT_EQ(paints.size(), 1u);
  EXPECT_GT(paints[0].WParam, 1u);
  img = CaptureWindow(h);
  EXPECT_EQ(At(img, f + 1, f + 1), Rgb(COLOR_INACTIVECAPTION));
  // Asked not to repaint, it does not.
  ClearLog();
  SendMessageW(h, WM_NCACTIVATE, 1, -1);
  EXPECT_TRUE(Of(h, WM_NCPAINT).empty());
}

// Each border style a form can have: the client area is inset by the frame
// and caption the metrics give, and exactly that frame is painted around it,
// the caption band inside the frame.
TEST_F(Platform_NonClient, EveryBorderStylePaintsTheFrameItsClientIsInsetBy) {
  const int fixed = GetSystemMetrics(SM_CXFIXEDFRAME), sizing = Frame(), line = GetSystemMetrics(SM_CXBORDER);
  const int cap = GetSystemMetrics(SM_CYCAPTION), small = GetSystemMetrics(SM_CYSMCAPTION);
  const int edge = GetSystemMetrics(SM_CXEDGE);
  struct Case {
    const char* Name;
    DWORD Style, Ex;
    int Frame, Caption, Edge;
  };
  const Case cases[] = {
      {"none", WS_POPUP, 0, 0, 0, 0},
      {"border", WS_POPUP | WS_BORDER, 0, line, 0, 0},
      {"single", WS_CAPTION | WS_BORDER | WS_SYSMENU | WS_MINIMIZEBOX, 0, fixed, cap, 0},
      {"sizeable", WS_CAPTION | WS_THICKFRAME | WS_SYSMENU, 0, sizing, cap, 0},
      {"dialog", WS_POPUP | WS_CAPTION | WS_SYSMENU, WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE, fixed, cap, 0},
      {"dialog frame without caption", WS_POPUP | WS_DLGFRAME, 0, fixed, 0, 0},
      {"tool window", WS_CAPTION | WS_BORDER | WS_SYSMENU, WS_EX_TOOLWINDOW, fixed, small, 0},
      {"sizeable tool window", WS_CAPTION | WS_THICKFRAME | WS_SYSMENU, WS_EX_TOOLWINDOW, sizing, small, 0},
      {"single with a client edge", WS_CAPTION | WS_BORDER | WS_SYSMENU, WS_EX_CLIENTEDGE, fixed, cap, edge},
  };
  const int W = 300, H = 200, mid = H - 20;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    HWND h = CreateWindowExW(c.Ex, TestClass(), u"", c.Style, 100, 100, W, H, nullptr, nullptr, nullptr, nullptr);
    ShowWindow(h, SW_SHOWNA);
    SendMessageW(h, WM_NCACTIVATE, 1, 0);
    Pump();
    TRect cr = ScreenClientRect(h);
    const int side = c.Frame + c.Edge;
    EXPECT_EQ(cr, TRect(100 + side, 100 + side + c.Caption, 100 + W - side, 100 + H - side));
    TScreenImage img = CaptureWindow(h);
    const int f = c.Frame;
    // The frame's outer and inner pixels on each side, then the client.
    uint32_t outer = f == 0 ? Rgb(COLOR_WINDOW) : f == 1 ? Rgb(COLOR_WINDOWFRAME) : Rgb(COLOR_3DLIGHT);
    uint32_t inner = f == 0 ? Rgb(COLOR_WINDOW) : f == 1 ? Rgb(COLOR_WINDOWFRAME) : Rgb(COLOR_BTNFACE);
    EXPECT_EQ(At(img, 0, mid), outer);
    EXPECT_EQ(At(img, W / 2, 0), outer);
    if (f >= 2) {
      EXPECT_EQ(At(img, W - 1, mid), Rgb(COLOR_3DDKSHADOW));
      EXPECT_EQ(At(img, W / 2, H - 1), Rgb(COLOR_3DDKSHADOW));
    } else {
      EXPECT_EQ(At(img, W - 1, mid), outer);
    }
    if (f > 0) {
      EXPECT_EQ(At(img, f - 1, mid), inner);
      EXPECT_EQ(At(img, W - f, mid), inner);
      EXPECT_EQ(At(img, W / 2, H - f), inner);
    }
    if (c.Caption) {
      // The band starts inside the frame, in the caption's first colour.
      EXPECT_EQ(At(img, f, f), Rgb(COLOR_ACTIVECAPTION));
      EXPECT_EQ(At(img, f + 2, f - 1), inner);
      EXPECT_EQ(At(img, f - 1, f + 2), inner);
      EXPECT_EQ(At(img, f, f + c.Caption - 2), Rgb(COLOR_ACTIVECAPTION));
      EXPECT_EQ(At(img, f, f + c.Caption - 1), Rgb(COLOR_BTNFACE));
    }
    if (c.Edge) {
      // A sunken edge between the frame and the client.
      EXPECT_EQ(At(img, f, mid), Rgb(COLOR_3DSHADOW));
      EXPECT_EQ(At(img, f + 1, mid), Rgb(COLOR_3DDKSHADOW));
    }
    EXPECT_EQ(At(img, side, side + c.Caption), Rgb(COLOR_WINDOW));
    EXPECT_EQ(At(img, W - side - 1, H - side - 1), Rgb(COLOR_WINDOW));
    DestroyWindow(h);
  }
}

TEST_F(Platform_NonClient, NcPaintDrawsOnlyTheUpdateRegion) {
  HWND h = MakeTop(100, 100, 320, 200, WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  Pump();
  HDC dc = GetWindowDC(h);
  RECT all(0, 0, 320, 200);
  FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  ReleaseDC(h, dc);
  HRGN left = CreateRectRgn(100, 100, 150, 300);  // screen coordinates
  SendMessageW(h, WM_NCPAINT, reinterpret_cast<WPARAM>(left), 0);
  DeleteObject(left);
  TScreenImage img = CaptureWindow(h);
  EXPECT_EQ(At(img, 0, 0), Rgb(COLOR_3DLIGHT));
  EXPECT_EQ(At(img, 319, 199), 0u);
  EXPECT_EQ(At(img, 200, 0), 0u);
  SendMessageW(h, WM_NCPAINT, 1, 0);
  img = CaptureWindow(h);
  EXPECT_EQ(At(img, 319, 199), Rgb(COLOR_3DDKSHADOW));
}

TEST_F(Platform_NonClient, ClassicFrameGolden) {
  HWND h = CreateWindowExW(WS_EX_CLIENTEDGE, TestClass(), u"Quarn frame", WS_OVERLAPPEDWINDOW | WS_VSCROLL | WS_HSCROLL,
                           40, 40, 260, 180, nullptr, nullptr, nullptr, nullptr);
  SCROLLINFO si;
  si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
  si.nMax = 99;
  si.nPage = 25;
  si.nPos = 30;
  SetScrollInfo(h, SB_VERT, &si, false);
  si.nPos = 0;
  SetScrollInfo(h, SB_HORZ, &si, false);
  ShowWindow(h, SW_SHOW);
  SendMessageW(h, WM_NCACTIVATE, 1, 0);
  Pump();
  HWND tool = CreateWindowExW(WS_EX_TOOLWINDOW, TestClass(), u"Tool", WS_POPUP | WS_CAPTION | WS_SYSMENU, 0, 0, 150,
                              60, nullptr, nullptr, nullptr, nullptr);
  ShowWindow(tool, SW_SHOWNA);
  Pump();
  TScreenImage a = CaptureWindow(h), b = CaptureWindow(tool);
  TScreenImage sheet;
  sheet.Width = a.Width + b.Width + 10;
  sheet.Height = std::max(a.Height, b.Height);
  sheet.Pixels.assign(size_t(sheet.Width) * size_t(sheet.Height), 0xFF808080);
  auto at = [&](int x, int y) -> uint32_t& { return sheet.Pixels[size_t(y) * size_t(sheet.Width) + size_t(x)]; };
  for (int y = 0; y < a.Height; ++y)
    for (int x = 0; x < a.Width; ++x) at(x, y) = a.Pixel(x, y) | 0xFF000000;
  for (int y = 0; y < b.Height; ++y)
    for (int x = 0; x < b.Width; ++x) at(a.Width + 10 + x, y) = b.Pixel(x, y) | 0xFF000000;
  qntest::ExpectMatchesGolden(sheet, "classic-frame", 2, 40);
}

TEST_F(Platform_NonClient, CaptionButtonsActOnReleaseOverThemselves) {
  HWND h = MakeTop(100, 100, 400, 300, WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  Pump();
  const int f = Frame(), cap = GetSystemMetrics(SM_CYCAPTION), bw = GetSystemMetrics(SM_CXSIZE) - 2;
  const int capY = 100 + f + cap / 2, closeX = 500 - f - 2 - bw / 2;
  // Pressed on close, released elsewhere: nothing happens.
  InputMouseMove(closeX, capY);
  InputMouseDown(VK_LBUTTON);
  InputMouseMove(300, 250);
  InputMouseUp(VK_LBUTTON);
  Pump();
  EXPECT_TRUE(IsWindow(h));
  EXPECT_EQ(GetCapture(), nullptr);
  // The maximise button maximises, and then restores.
  Click(closeX - bw - 2, capY);
  EXPECT_TRUE(IsZoomed(h));
  TRect r;
  GetWindowRect(h, &r);
  int mx = r.Right - f - 2 - bw / 2 - bw - 2, my = r.Top + f + cap / 2;
  EXPECT_EQ(Hit(h, mx, my), HTMAXBUTTON);
  Click(mx, my);
  EXPECT_FALSE(IsZoomed(h));
  // The close button closes.
  Click(closeX, capY);
  EXPECT_FALSE(IsWindow(h));
}

TEST_F(Platform_NonClient, ScrollBarClicksScroll) {
  HWND h = MakeTop(100, 100, 300, 300, WS_OVERLAPPEDWINDOW | WS_VSCROLL | WS_VISIBLE);
  SCROLLINFO si;
  si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
  si.nMax = 100;
  si.nPage = 10;
  si.nPos = 0;
  SetScrollInfo(h, SB_VERT, &si, true);
  Pump();
  TRect cr = ScreenClientRect(h);
  const int sb = GetSystemMetrics(SM_CXVSCROLL);
  int x = cr.Right + sb / 2;
  auto codes = [&] {
    std::vector<int> r;
    for (auto& l : Of(h, WM_VSCROLL)) r.push_back(LOWORD(l.WParam));
    return r;
  };
  ClearLog();
  Click(x, cr.Bottom - sb / 2);  // the down arrow
  EXPECT_EQ(codes(), (std::vector<int>{int(SB_LINEDOWN), int(SB_ENDSCROLL)}));
  ClearLog();
  Click(x, cr.Bottom - sb - 5);  // the track below the thumb
  EXPECT_EQ(codes(), (std::vector<int>{int(SB_PAGEDOWN), int(SB_ENDSCROLL)}));
  // The thumb follows the pointer.
  ClearLog();
  InputMouseMove(x, cr.Top + sb + 2);
  InputMouseDown(VK_LBUTTON);
  InputMouseMove(x, cr.Top + sb + 40);
  InputMouseMove(x, cr.Top + sb + 120);
  InputMouseUp(VK_LBUTTON);
  Pump();
  auto v = Of(h, WM_VSCROLL);
  ASSERT_EQ(v.size(), 4u);
  EXPECT_EQ(LOWORD(v[0].WParam), SB_THUMBTRACK);
  EXPECT_EQ(LOWORD(v[1].WParam), SB_THUMBTRACK);
  EXPECT_GT(HIWORD(v[1].WParam), HIWORD(v[0].WParam));
  EXPECT_GT(HIWORD(v[0].WParam), 0);
  EXPECT_EQ(LOWORD(v[2].WParam), SB_THUMBPOSITION);
  EXPECT_EQ(HIWORD(v[2].WParam), HIWORD(v[1].WParam));
  EXPECT_EQ(LOWORD(v[3].WParam), SB_ENDSCROLL);
}

TEST_F(Platform_NonClient, AltSpaceOpensTheWindowMenuAndAltF4Closes) {
  HWND h = MakeTop(100, 100, 400, 300, WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  Pump();
  SetFocus(h);
  InputKeyDown(VK_MENU);
  InputKeyDown(VK_SPACE);
  InputKeyUp(VK_SPACE);
  InputKeyUp(VK_MENU);
  InputType(u"n");  // Mi&nimize
  PumpKeys();
  EXPECT_TRUE(IsIconic(h));
  auto init = Of(h, WM_INITMENUPOPUP);
  ASSERT_EQ(init.size(), 1u);
  EXPECT_EQ(HIWORD(uintptr_t(init[0].LParam)), 1);  // the window menu
  ShowWindow(h, SW_RESTORE);
  SetFocus(h);
  InputKeyDown(VK_MENU);
  InputKeyDown(VK_F1 + 3);
  InputKeyUp(VK_F1 + 3);
  InputKeyUp(VK_MENU);
  PumpKeys();
  EXPECT_FALSE(IsWindow(h));
}

}  // namespace

}  // namespace t_non_client_test
