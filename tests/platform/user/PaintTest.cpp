#include <algorithm>
#include <functional>

#include "tests/platform/user/UserTestSupport.h"

namespace t_paint_test {

using namespace vcl;
using namespace usertest;

namespace {

class Platform_Paint : public ServerTest {};

constexpr COLORREF kRed = RGB(255, 0, 0), kBlue = RGB(0, 0, 255);

COLORREF PixelOf(HWND h, int x, int y) {
  HDC dc = GetDC(h);
  COLORREF c = GetPixel(dc, x, y);
  ReleaseDC(h, dc);
  return c;
}

// Fills the whole client area with a colour on WM_PAINT, however large the update region.
void PaintWith(HWND h, COLORREF c, RECT* lastPaint = nullptr) {
  SetHandler(h, [c, lastPaint](HWND hw, UINT msg, WPARAM, LPARAM, bool& handled) -> LRESULT {
    handled = msg == WM_PAINT;
    if (!handled) return 0;
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hw, &ps);
    if (lastPaint) *lastPaint = ps.rcPaint;
    RECT r;
    GetClientRect(hw, &r);
    HBRUSH b = CreateSolidBrush(c);
    FillRect(dc, &r, b);
    DeleteObject(b);
    EndPaint(hw, &ps);
    return 0;
  });
}

TEST_F(Platform_Paint, UpdateRegionArithmetic) {
  HWND h = MakeTop(0, 0, 200, 100);
  Pump();
  RECT a(0, 0, 50, 50), b(100, 0, 150, 50), v(25, 0, 125, 50);
  InvalidateRect(h, &a, false);
  InvalidateRect(h, &b, false);
  ValidateRect(h, &v);
  HRGN rgn = CreateRectRgn(0, 0, 0, 0);
  EXPECT_EQ(GetUpdateRgn(h, rgn, false), COMPLEXREGION);
  HRGN want = CreateRectRgn(0, 0, 25, 50), right = CreateRectRgn(125, 0, 150, 50);
  CombineRgn(want, want, right, RGN_OR);
  EXPECT_TRUE(EqualRgn(rgn, want));
  RECT box;
  EXPECT_TRUE(GetUpdateRect(h, &box, false));
  EXPECT_EQ(box, TRect(0, 0, 150, 50));
  // Invalidation outside the client area is clipped away.
  RECT outside(300, 300, 400, 400);
  InvalidateRect(h, &outside, false);
  GetUpdateRgn(h, rgn, false);
  EXPECT_TRUE(EqualRgn(rgn, want));
  ValidateRect(h, nullptr);
  EXPECT_EQ(GetUpdateRgn(h, rgn, false), NULLREGION);
  EXPECT_FALSE(GetUpdateRect(h, &box, false));
  DeleteObject(rgn);
  DeleteObject(want);
  DeleteObject(right);
}

TEST_F(Platform_Paint, BeginPaintClipsToTheUpdateRegion) {
  HWND h = MakeTop(0, 0, 100, 100);
  PaintWith(h, kBlue);
  Pump();
  EXPECT_EQ(PixelOf(h, 50, 50), kBlue);
  RECT last;
  PaintWith(h, kRed, &last);
  RECT r(10, 20, 30, 40);
  InvalidateRect(h, &r, false);
  Pump();
  EXPECT_EQ(last, r);
  EXPECT_EQ(PixelOf(h, 10, 20), kRed);
  EXPECT_EQ(PixelOf(h, 29, 39), kRed);
  EXPECT_EQ(PixelOf(h, 30, 39), kBlue);
  EXPECT_EQ(PixelOf(h, 9, 20), kBlue);
  EXPECT_EQ(PixelOf(h, 50, 50), kBlue);
  // Nothing invalid: BeginPaint's DC draws nowhere.
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(h, &ps);
  EXPECT_TRUE(IsRectEmpty(ps.rcPaint));
  RECT all(0, 0, 100, 100);
  FillRect(dc, &all, reinterpret_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  EndPaint(h, &ps);
  EXPECT_EQ(PixelOf(h, 50, 50), kBlue);
}

TEST_F(Platform_Paint, EraseUsesTheClassBrushAndChildrenAreClipped) {
  HWND p = MakeTop(0, 0, 100, 100, WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN);
  HWND c = MakeChild(p, 20, 20, 30, 30);
  PaintWith(c, kBlue);
  Pump();
  // The class brush is COLOR_WINDOW; the child painted itself blue.
  EXPECT_EQ(PixelOf(p, 5, 5), GetSysColor(COLOR_WINDOW));
  EXPECT_EQ(PixelOf(c, 5, 5), kBlue);
  // The parent's DC cannot reach into its WS_CLIPCHILDREN child.
  HDC dc = GetDC(p);
  RECT all(0, 0, 100, 100);
  HBRUSH red = CreateSolidBrush(kRed);
  FillRect(dc, &all, red);
  ReleaseDC(p, dc);
  EXPECT_EQ(PixelOf(p, 5, 5), kRed);
  EXPECT_EQ(PixelOf(p, 25, 25), CLR_INVALID);  // clipped away
  EXPECT_EQ(PixelOf(c, 5, 5), kBlue);
  // Without WS_CLIPCHILDREN it can; GetDCEx asks explicitly.
  dc = GetDCEx(p, nullptr, 0);
  FillRect(dc, &all, red);
  ReleaseDC(p, dc);
  EXPECT_EQ(PixelOf(c, 5, 5), kRed);
  DeleteObject(red);
  // Moving the child exposes its old place in the parent.
  Pump();
  SetWindowPos(c, nullptr, 60, 60, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  HRGN u = CreateRectRgn(0, 0, 0, 0);
  GetUpdateRgn(p, u, false);
  EXPECT_TRUE(PtInRegion(u, 25, 25));
  DeleteObject(u);
}

TEST_F(Platform_Paint, SetRedrawOffAccumulatesInvalidations) {
  HWND h = MakeTop(0, 0, 100, 100);
  PaintWith(h, kBlue);
  Pump();
  SendMessageW(h, WM_SETREDRAW, 0, 0);
  RECT a(0, 0, 10, 10), b(50, 50, 60, 60);
  InvalidateRect(h, &a, true);
  InvalidateRect(h, &b, true);
  MSG m;
  EXPECT_FALSE(PeekMessageW(&m, nullptr, WM_PAINT, WM_PAINT, PM_NOREMOVE));
  UpdateWindow(h);
  EXPECT_TRUE(MessagesOf(h, {WM_PAINT}).size() == 1u);  // only the first paint
  SendMessageW(h, WM_SETREDRAW, 1, 0);
  ClearLog();
  RECT last;
  PaintWith(h, kRed, &last);
  ASSERT_TRUE(PeekMessageW(&m, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE));
  DispatchMessageW(&m);
  EXPECT_EQ(last, TRect(0, 0, 60, 60));  // both invalidations, in one paint
  EXPECT_EQ(PixelOf(h, 5, 5), kRed);
  EXPECT_EQ(PixelOf(h, 55, 55), kRed);
  EXPECT_EQ(PixelOf(h, 30, 30), kBlue);
  EXPECT_FALSE(PeekMessageW(&m, nullptr, WM_PAINT, WM_PAINT, PM_NOREMOVE));
}

TEST_F(Platform_Paint, ScrollWindowExMovesPixelsAndInvalidatesTheBand) {
  HWND h = MakeTop(0, 0, 40, 100);
  // Row y gets colour (y, 0, 0).
  SetHandler(h, [](HWND hw, UINT msg, WPARAM, LPARAM, bool& handled) -> LRESULT {
    handled = msg == WM_PAINT;
    if (!handled) return 0;
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hw, &ps);
    for (int y = 0; y < 100; ++y) {
      HBRUSH b = CreateSolidBrush(RGB(y, 0, 0));
      RECT r(0, y, 40, y + 1);
      FillRect(dc, &r, b);
      DeleteObject(b);
    }
    EndPaint(hw, &ps);
    return 0;
  });
  Pump();
  HRGN band = CreateRectRgn(0, 0, 0, 0);
  RECT bandBox;
  EXPECT_EQ(ScrollWindowEx(h, 0, -10, nullptr, nullptr, band, &bandBox, SW_INVALIDATE), SIMPLEREGION);
  EXPECT_EQ(bandBox, TRect(0, 90, 40, 100));
  for (int y = 0; y < 90; y += 7) EXPECT_EQ(PixelOf(h, 20, y), RGB(y + 10, 0, 0)) << y;
  HRGN u = CreateRectRgn(0, 0, 0, 0);
  EXPECT_EQ(GetUpdateRgn(h, u, false), SIMPLEREGION);
  EXPECT_TRUE(EqualRgn(u, band));
  // Scrolling a part: only that part moves, the band is inside it.
  ValidateRect(h, nullptr);
  RECT part(0, 0, 20, 50);
  ScrollWindowEx(h, 5, 0, &part, &part, band, &bandBox, 0);
  EXPECT_EQ(bandBox, TRect(0, 0, 5, 50));
  EXPECT_EQ(PixelOf(h, 25, 10), RGB(20, 0, 0));  // outside the part: unchanged
  EXPECT_EQ(GetUpdateRgn(h, u, false), NULLREGION);  // no SW_INVALIDATE
  // ScrollDC moves what the DC shows and reports the uncovered band.
  HDC dc = GetDC(h);
  COLORREF before = GetPixel(dc, 30, 40);
  RECT all(0, 0, 40, 100);
  ASSERT_TRUE(ScrollDC(dc, 0, 7, &all, &all, band, &bandBox));
  EXPECT_EQ(bandBox, TRect(0, 0, 40, 7));
  EXPECT_EQ(GetPixel(dc, 30, 47), before);
  ReleaseDC(h, dc);
  DeleteObject(u);
  DeleteObject(band);
}

TEST_F(Platform_Paint, PrintPaintsAWindowAndItsChildrenIntoAForeignDC) {
  HWND p = MakeTop(0, 0, 60, 60);
  HWND c = MakeChild(p, 10, 10, 20, 20);
  auto printer = [](COLORREF col) {
    return [col](HWND hw, UINT msg, WPARAM wp, LPARAM, bool& handled) -> LRESULT {
      handled = msg == WM_PRINTCLIENT;
      if (!handled) return 0;
      RECT r;
      GetClientRect(hw, &r);
      HBRUSH b = CreateSolidBrush(col);
      FillRect(reinterpret_cast<HDC>(wp), &r, b);
      DeleteObject(b);
      return 0;
    };
  };
  SetHandler(p, printer(kRed));
  SetHandler(c, printer(kBlue));
  HDC mem = CreateCompatibleDC(nullptr);
  HBITMAP bmp = CreateCompatibleBitmap(GetDC(p), 100, 100);  // a colour bitmap
  HGDIOBJ old = SelectObject(mem, bmp);
  SetViewportOrgEx(mem, 5, 5, nullptr);
  SendMessageW(p, WM_PRINT, reinterpret_cast<WPARAM>(mem), PRF_CLIENT | PRF_CHILDREN);
  SetViewportOrgEx(mem, 0, 0, nullptr);
  EXPECT_EQ(GetPixel(mem, 7, 7), kRed);
  EXPECT_EQ(GetPixel(mem, 20, 20), kBlue);  // child at 10 + offset 5
  EXPECT_EQ(GetPixel(mem, 35, 35), kRed);
  EXPECT_EQ(GetPixel(mem, 2, 2), RGB(0, 0, 0));
  SelectObject(mem, old);
  DeleteObject(bmp);
  DeleteDC(mem);
}

TEST_F(Platform_Paint, LockWindowUpdateHoldsPaintsBack) {
  HWND h = MakeTop(0, 0, 50, 50);
  Pump();
  ASSERT_TRUE(LockWindowUpdate(h));
  EXPECT_FALSE(LockWindowUpdate(h));
  InvalidateRect(h, nullptr, true);
  MSG m;
  EXPECT_FALSE(PeekMessageW(&m, nullptr, WM_PAINT, WM_PAINT, PM_NOREMOVE));
  HDC dc = GetDC(h);
  RECT box;
  EXPECT_EQ(GetClipBox(dc, &box), NULLREGION);
  ReleaseDC(h, dc);
  ASSERT_TRUE(LockWindowUpdate(nullptr));
  EXPECT_TRUE(PeekMessageW(&m, nullptr, WM_PAINT, WM_PAINT, PM_NOREMOVE));
}

}  // namespace

namespace {

TEST_F(Platform_Paint, ResizingRepaintsStripsOrAllByClassStyle) {
  HWND plain = MakeTop(0, 0, 100, 100);  // the test class has no redraw styles
  Pump();
  SetWindowPos(plain, nullptr, 0, 0, 120, 100, SWP_NOMOVE | SWP_NOZORDER);
  HRGN u = CreateRectRgn(0, 0, 0, 0);
  GetUpdateRgn(plain, u, false);
  HRGN strip = CreateRectRgn(100, 0, 120, 100);
  EXPECT_TRUE(EqualRgn(u, strip));
  WNDCLASSEXW wc;
  wc.style = CS_HREDRAW | CS_VREDRAW | CS_OWNDC;
  wc.lpfnWndProc = DefWindowProcW;
  wc.lpszClassName = u"QnRedrawWnd";
  RegisterClassExW(&wc);
  HWND redraw = CreateWindowExW(0, u"QnRedrawWnd", u"", WS_POPUP | WS_VISIBLE, 0, 0, 100, 100, nullptr, nullptr,
                                nullptr, nullptr);
  Pump();
  SetWindowPos(redraw, nullptr, 0, 0, 120, 100, SWP_NOMOVE | SWP_NOZORDER);
  GetUpdateRgn(redraw, u, false);
  RECT box;
  GetRgnBox(u, &box);
  EXPECT_EQ(box, TRect(0, 0, 120, 100));
  // An own DC keeps its state from one GetDC to the next.
  HDC a = GetDC(redraw);
  SetTextColor(a, RGB(1, 2, 3));
  ReleaseDC(redraw, a);
  HDC b = GetDC(redraw);
  EXPECT_EQ(b, a);
  EXPECT_EQ(GetTextColor(b), RGB(1, 2, 3));
  ReleaseDC(redraw, b);
  DestroyWindow(redraw);
  UnregisterClassW(u"QnRedrawWnd", nullptr);
  DeleteObject(u);
  DeleteObject(strip);
}

}  // namespace

namespace {

// Random invalidations and validations against a grid of flags.
TEST_F(Platform_Paint, UpdateRegionMatchesAReferenceGrid) {
  constexpr int W = 48, H = 32;
  HWND h = MakeTop(0, 0, W, H);
  Pump();
  uint32_t seed = 12345;
  auto rnd = [&seed](int n) {
    seed = seed * 1103515245u + 12345u;
    return int((seed >> 16) % uint32_t(n));
  };
  std::vector<bool> grid(W * H, false);
  HRGN u = CreateRectRgn(0, 0, 0, 0);
  for (int step = 0; step < 300; ++step) {
    RECT r(rnd(W + 10) - 5, rnd(H + 10) - 5, 0, 0);
    r.Right = r.Left + rnd(W / 2);
    r.Bottom = r.Top + rnd(H / 2);
    bool inval = rnd(3) != 0;
    if (inval) InvalidateRect(h, &r, false);
    else ValidateRect(h, &r);
    for (int y = std::max(0, r.Top); y < std::min(H, r.Bottom); ++y)
      for (int x = std::max(0, r.Left); x < std::min(W, r.Right); ++x) grid[size_t(y * W + x)] = inval;
    if (step % 25 != 24) continue;
    GetUpdateRgn(h, u, false);
    int mismatches = 0;
    for (int y = 0; y < H; ++y)
      for (int x = 0; x < W; ++x) mismatches += bool(PtInRegion(u, x, y)) != grid[size_t(y * W + x)];
    ASSERT_EQ(mismatches, 0) << "after step " << step;
  }
  DeleteObject(u);
}

}  // namespace

namespace {

TEST_F(Platform_Paint, RedrawWindowNowAndInternalPaint) {
  HWND p = MakeTop(0, 0, 60, 60);
  HWND c = MakeChild(p, 10, 10, 20, 20);
  Pump();
  ClearLog();
  // ERASENOW erases at once but leaves the paint for the queue.
  RedrawWindow(p, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ERASENOW | RDW_NOCHILDREN);
  EXPECT_EQ(MessagesOf(p, {WM_ERASEBKGND, WM_PAINT}), (std::vector<UINT>{WM_ERASEBKGND}));
  // UPDATENOW paints the window and (with ALLCHILDREN) its children before returning.
  RedrawWindow(p, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  EXPECT_EQ(MessagesOf(p, {WM_PAINT}).size(), 1u);
  EXPECT_EQ(MessagesOf(c, {WM_PAINT}).size(), 1u);
  MSG m;
  EXPECT_FALSE(PeekMessageW(&m, nullptr, WM_PAINT, WM_PAINT, PM_NOREMOVE));
  // An internal paint: WM_PAINT with nothing to paint, once.
  RECT seen(1, 1, 2, 2);
  SetHandler(p, [&seen](HWND hw, UINT msg, WPARAM, LPARAM, bool& handled) -> LRESULT {
    handled = msg == WM_PAINT;
    if (!handled) return 0;
    PAINTSTRUCT ps;
    BeginPaint(hw, &ps);
    seen = ps.rcPaint;
    EndPaint(hw, &ps);
    return 0;
  });
  RedrawWindow(p, nullptr, nullptr, RDW_INTERNALPAINT | RDW_NOCHILDREN);
  ASSERT_TRUE(PeekMessageW(&m, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE));
  EXPECT_EQ(m.hwnd, p);
  DispatchMessageW(&m);
  EXPECT_TRUE(IsRectEmpty(seen));
  EXPECT_FALSE(PeekMessageW(&m, nullptr, WM_PAINT, WM_PAINT, PM_NOREMOVE));
}

// A window DC whose visible part is one rectangle is made without a region
// object; it must reach exactly the pixels the general way gives, which an
// extra clip region covering everything forces. Windows clipped by
// siblings, children or their parent, hidden ones and whole-window DCs all
// take part.
TEST_F(Platform_Paint, WindowDCsReachWhatTheirVisibleRegionAllows) {
  constexpr int kW = 60, kH = 50;
  HWND top = MakeTop(0, 0, kW, kH, WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN);
  HWND a = MakeChild(top, 5, 5, 20, 20);
  HWND b = MakeChild(top, 15, 10, 30, 20, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS);
  HWND c = MakeChild(top, 40, 30, 30, 30, WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN);
  HWND hidden = MakeChild(top, 2, 30, 10, 10, WS_CHILD);
  HWND inner = MakeChild(a, 2, 2, 10, 10);
  HWND innerOfC = MakeChild(c, 3, 3, 8, 8);
  Pump();
  HBRUSH black = CreateSolidBrush(RGB(0, 0, 0)), red = CreateSolidBrush(kRed);
  const RECT everything(-1000, -1000, 1000, 1000);
  // The surface's pixels, read in one copy.
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  bi.bmiHeader.biWidth = kW;
  bi.bmiHeader.biHeight = -kH;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HBITMAP shot = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  HDC shotDC = CreateCompatibleDC(nullptr);
  HGDIOBJ oldShot = SelectObject(shotDC, shot);
  auto reached = [&](auto makeDC, HWND h) {
    HDC all = GetWindowDC(top);
    FillRect(all, &everything, black);
    HDC dc = makeDC(h);
    FillRect(dc, &everything, red);
    ReleaseDC(h, dc);
    BitBlt(shotDC, 0, 0, kW, kH, all, 0, 0, SRCCOPY);
    ReleaseDC(top, all);
    std::vector<bool> mask(size_t(kW) * kH);
    const auto* px = static_cast<const uint32_t*>(bits);
    for (size_t i = 0; i < mask.size(); ++i) mask[i] = (px[i] & 0xFFFFFF) == 0xFF0000;
    return mask;
  };
  const HWND windows[] = {top, a, b, c, hidden, inner, innerOfC};
  auto plainDC = [](HWND w, bool whole) { return whole ? GetWindowDC(w) : GetDC(w); };
  // Whether the plain DC of each window reaches what the general way does.
  auto check = [&](bool primed, auto change) {
    for (const bool whole : {false, true}) {
      const DWORD kind = whole ? DCX_WINDOW : 0;
      for (int i = 0; i < 7; ++i) {
        const HWND h = windows[i];
        SCOPED_TRACE(testing::Message() << "window " << i << (whole ? " whole" : " client"));
        // A DC released before the change is kept, and must not be handed
        // out again as it was.
        if (primed) ReleaseDC(h, plainDC(h, whole));
        change(true);
        const auto plain = reached([&](HWND w) { return plainDC(w, whole); }, h);
        // The clipping GetDC takes from the window's style, asked for by flags.
        const DWORD style = DWORD(GetWindowLongW(h, GWL_STYLE));
        DWORD flags = kind | DCX_INTERSECTRGN;
        if (style & WS_CLIPSIBLINGS) flags |= DCX_CLIPSIBLINGS;
        if (!whole && (style & WS_CLIPCHILDREN)) flags |= DCX_CLIPCHILDREN;
        const auto general =
            reached([&](HWND w) { return GetDCEx(w, CreateRectRgn(-1000, -1000, 1000, 1000), flags); }, h);
        EXPECT_EQ(plain, general);
        EXPECT_EQ(std::count(plain.begin(), plain.end(), true) > 0, h != hidden && IsWindowVisible(h));
        change(false);
      }
    }
  };
  check(false, [](bool) {});
  // Every kind of change to what a window shows, made after its DC was
  // released and undone after the comparison.
  constexpr UINT kKeep = SWP_NOZORDER | SWP_NOACTIVATE;
  const DWORD bStyle = DWORD(GetWindowLongW(b, GWL_STYLE));
  const std::pair<const char*, std::function<void(bool)>> changes[] = {
      {"a sibling moves", [&](bool on) { SetWindowPos(b, nullptr, on ? 9 : 15, on ? 4 : 10, 0, 0, kKeep | SWP_NOSIZE); }},
      {"a sibling hides", [&](bool on) { ShowWindow(b, on ? SW_HIDE : SW_SHOWNA); }},
      {"a window is resized", [&](bool on) { SetWindowPos(a, nullptr, 0, 0, on ? 28 : 20, on ? 14 : 20, kKeep | SWP_NOMOVE); }},
      {"a window is restacked",
       [&](bool on) { SetWindowPos(b, on ? HWND_TOP : a, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE); }},
      {"a window moves", [&](bool on) { SetWindowPos(c, nullptr, on ? 33 : 40, on ? 22 : 30, 0, 0, kKeep | SWP_NOSIZE); }},
      {"a window gets a region", [&](bool on) { SetWindowRgn(a, on ? CreateEllipticRgn(0, 0, 20, 20) : nullptr, false); }},
      {"a style changes",
       [&](bool on) { SetWindowLongW(b, GWL_STYLE, LONG(on ? bStyle & ~WS_CLIPSIBLINGS : bStyle)); }},
      {"a window moves to another parent", [&](bool on) { SetParent(inner, on ? c : a); }},
  };
  for (const auto& [what, change] : changes) {
    SCOPED_TRACE(what);
    check(true, change);
  }
  SelectObject(shotDC, oldShot);
  DeleteDC(shotDC);
  DeleteObject(shot);
  DeleteObject(black);
  DeleteObject(red);
}

// A window DC handed out again is a new DC to its caller: what the last
// holder set is gone, and the last holder's handle draws nothing.
TEST_F(Platform_Paint, AWindowDCTakenAgainStartsAfreshAndItsOldHandleIsDead) {
  HWND h = MakeTop(0, 0, 40, 30);
  Pump();
  struct State {
    COLORREF Text, Bk;
    int BkMode, Rop2, Stretch, Fill, Arc, Extra, Saved;
    UINT Align;
    HGDIOBJ Brush, Pen, Font;
    POINT Viewport, Window, BrushOrg, Pos;
    RECT Clip;
    bool operator==(const State&) const = default;
  };
  auto stateOf = [](HDC dc) {
    State s{};
    s.Text = GetTextColor(dc);
    s.Bk = GetBkColor(dc);
    s.BkMode = GetBkMode(dc);
    s.Rop2 = GetROP2(dc);
    s.Stretch = GetStretchBltMode(dc);
    s.Fill = GetPolyFillMode(dc);
    s.Arc = GetArcDirection(dc);
    s.Extra = GetTextCharacterExtra(dc);
    s.Align = GetTextAlign(dc);
    s.Brush = GetCurrentObject(dc, OBJ_BRUSH);
    s.Pen = GetCurrentObject(dc, OBJ_PEN);
    s.Font = GetCurrentObject(dc, OBJ_FONT);
    GetViewportOrgEx(dc, &s.Viewport);
    GetWindowOrgEx(dc, &s.Window);
    GetBrushOrgEx(dc, &s.BrushOrg);
    GetCurrentPositionEx(dc, &s.Pos);
    GetClipBox(dc, &s.Clip);
    // Nothing saved: the first save is level 1.
    s.Saved = SaveDC(dc);
    RestoreDC(dc, -1);
    return s;
  };
  HDC dc = GetDC(h);
  PatBlt(dc, 0, 0, 40, 30, BLACKNESS);
  const State fresh = stateOf(dc);
  HBRUSH blue = CreateSolidBrush(kBlue);
  HPEN pen = CreatePen(PS_DASH, 3, kRed);
  HFONT font = CreateFontW(-20, 0, 0, 0, FW_BOLD, 0, 0, 0, 0, 0, 0, 0, 0, u"Sans");
  for (int round = 0; round < 2; ++round) {
    SCOPED_TRACE(round);
    SelectObject(dc, blue);
    SelectObject(dc, pen);
    SelectObject(dc, font);
    SetTextColor(dc, kRed);
    SetBkColor(dc, kBlue);
    SetBkMode(dc, TRANSPARENT);
    SetROP2(dc, R2_XORPEN);
    SetStretchBltMode(dc, HALFTONE);
    SetPolyFillMode(dc, WINDING);
    SetArcDirection(dc, AD_CLOCKWISE);
    SetTextCharacterExtra(dc, 4);
    SetTextAlign(dc, TA_BOTTOM | TA_RIGHT);
    SetDCBrushColor(dc, kRed);
    SetViewportOrgEx(dc, 5, 6, nullptr);
    SetWindowOrgEx(dc, 1, 2, nullptr);
    SetBrushOrgEx(dc, 3, 3, nullptr);
    MoveToEx(dc, 7, 8, nullptr);
    IntersectClipRect(dc, 0, 0, 4, 4);
    SaveDC(dc);
    ASSERT_FALSE(stateOf(dc) == fresh);
    HDC old = dc;
    ReleaseDC(h, dc);
    // Released: the handle is refused as after DeleteDC, and draws nothing.
    const RECT all{0, 0, 40, 30};
    EXPECT_EQ(PixelOf(h, 2, 2), RGB(0, 0, 0));
    EXPECT_FALSE(FillRect(old, &all, blue));
    EXPECT_EQ(GetPixel(old, 2, 2), CLR_INVALID);
    dc = GetDC(h);
    EXPECT_NE(dc, old);
    EXPECT_FALSE(FillRect(old, &all, blue));
    EXPECT_EQ(PixelOf(h, 2, 2), RGB(0, 0, 0));
    EXPECT_TRUE(stateOf(dc) == fresh);
    // It draws with the defaults everywhere: the white stock brush, the
    // whole window, no offsets.
    EXPECT_TRUE(PatBlt(dc, 0, 0, 40, 30, PATCOPY));
    EXPECT_EQ(GetPixel(dc, 0, 0), RGB(255, 255, 255));
    EXPECT_EQ(GetPixel(dc, 39, 29), RGB(255, 255, 255));
    EXPECT_TRUE(PatBlt(dc, 0, 0, 40, 30, BLACKNESS));
  }
  ReleaseDC(h, dc);
  // A kept DC goes with its window.
  DestroyWindow(h);
  EXPECT_FALSE(FillRect(dc, &fresh.Clip, blue));
  DeleteObject(blue);
  DeleteObject(pen);
  DeleteObject(font);
}

}  // namespace

}  // namespace t_paint_test
