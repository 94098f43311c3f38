// Gradients and colour blending against their formulas, text glow, monitors,
// DPI suffixes of image ids, and the method callbacks of uQnCBTM.
#include <gtest/gtest.h>

#include <random>

#include "platform/desktop/Desktop.h"
#include "platform/gdi/Gdi.h"
#include "skin/foundation/uQnCBTM.h"
#include "skin/foundation/uQnComm.h"

namespace t_u_qn_comm_test {

using namespace qn;

namespace {

// A plain top-level window of a class of the test's own.
HWND PlainWindow(Integer X, Integer Y) {
  static bool registered = [] {
    WNDCLASSEXW wc;
    wc.lpfnWndProc = DefWindowProcW;
    wc.lpszClassName = u"QnCommTestWnd";
    RegisterClassExW(&wc);
    return true;
  }();
  (void)registered;
  return CreateWindowExW(0, u"QnCommTestWnd", u"", WS_POPUP, X, Y, 50, 50, nullptr, nullptr, nullptr, nullptr);
}

TColor32 RGBOf(TColor C) {
  const Cardinal c = static_cast<Cardinal>(ColorToRGB(C));
  return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
}

TEST(uQnComm, GradientsAreExactAtBothEndsAndResolveSystemColours) {
  TBitmap32 b;
  b.SetSize(40, 30);
  b.Clear(0xFF000000u);
  const TColor c1 = 0x00102030, c2 = 0x00F0E0D0;
  FillGradient(b.Canvas(), c1, c2, TRect(5, 3, 35, 28), true);
  EXPECT_EQ(b.GetPixel(5, 10) & 0xFFFFFFu, RGBOf(c1));
  EXPECT_EQ(b.GetPixel(34, 10) & 0xFFFFFFu, RGBOf(c2));
  EXPECT_EQ(b.GetPixel(4, 10), 0xFF000000u);  // nothing outside Rect
  EXPECT_EQ(b.GetPixel(35, 10), 0xFF000000u);
  // Step i of 30: c1 + (c2 - c1) * i / 29, rounded.
  for (Integer i = 0; i < 30; ++i) {
    const TColor32 p = b.GetPixel(5 + i, 20);
    EXPECT_EQ((p >> 16) & 0xFF, (Cardinal)std::lround(0x30 + (0xD0 - 0x30) * i / 29.0)) << i;
    EXPECT_EQ(p & 0xFF, (Cardinal)std::lround(0x10 + (0xF0 - 0x10) * i / 29.0)) << i;
  }
  FillGradient(b.Canvas(), clBtnFace, clWindow, TRect(0, 0, 10, 12), false);
  EXPECT_EQ(b.GetPixel(3, 0) & 0xFFFFFFu, RGBOf(clBtnFace));
  EXPECT_EQ(b.GetPixel(3, 11) & 0xFFFFFFu, RGBOf(clWindow));

  Byte r, g, bl;
  TColor2RGB(0x00AABBCC, r, g, bl);
  EXPECT_EQ(r, 0xCC);
  EXPECT_EQ(g, 0xBB);
  EXPECT_EQ(bl, 0xAA);
}

// The bitmap form writes what the canvas form leaves, pixel for pixel: random
// bands in both directions, in and partly out of the bitmap, from single
// lines to long runs of one colour, over pictures with any alpha; and with a
// clip region on the bitmap's device context it still keeps to it.
TEST(uQnComm, GradientOnABitmapMatchesTheCanvas) {
  std::mt19937 rng(105);
  auto any = [&rng](Integer Lo, Integer Hi) { return std::uniform_int_distribution<Integer>(Lo, Hi)(rng); };
  TBitmap32 viaCanvas, direct;
  for (Integer k = 0; k < 300; ++k) {
    const Integer w = any(1, 40), h = any(1, 30);
    viaCanvas.SetSize(w, h);
    direct.SetSize(w, h);
    for (Integer i = 0; i < w * h; ++i) viaCanvas.Bits()[i] = direct.Bits()[i] = TColor32(rng());
    const TColor c1 = TColor(rng() & 0xFFFFFF), c2 = k % 5 == 0 ? TColor(Cardinal(c1) ^ 0x010101) : TColor(rng() & 0xFFFFFF);
    const Integer l = any(-10, w), t = any(-10, h);
    const TRect r(l, t, l + any(1, 50), t + any(1, 40));
    const bool horizontal = k % 2 == 0;
    const bool clipped = k % 7 == 0;
    if (clipped)
      for (TBitmap32* b : {&viaCanvas, &direct}) {
        HRGN rgn = CreateRectRgn(0, 0, w / 2 + 1, h);
        SelectClipRgn(b->Canvas()->Handle(), rgn);
        DeleteObject(rgn);
      }
    FillGradient(viaCanvas.Canvas(), c1, c2, r, horizontal);
    FillGradient(&direct, c1, c2, r, horizontal);
    for (Integer i = 0; i < w * h; ++i)
      ASSERT_EQ(direct.Bits()[i], viaCanvas.Bits()[i]) << "case " << k << " pixel " << i;
    if (clipped)
      for (TBitmap32* b : {&viaCanvas, &direct}) SelectClipRgn(b->Canvas()->Handle(), nullptr);
  }
}

TEST(uQnComm, ColorBlendFollowsItsFormulaForRandomInputs) {
  std::mt19937 rng(8);
  for (int round = 0; round < 40; ++round) {
    TBitmap32 b;
    b.SetSize(16, 9);
    for (Integer i = 0; i < 16 * 9; ++i) b.Bits()[i] = rng();
    TBitmap32 before;
    before.Assign(&b);
    const TColor color = static_cast<TColor>(rng() & 0xFFFFFF);
    const Integer alpha = rng() % 256;
    // Through a device context, or in place with the rectangle reaching past
    // the picture on some side.
    const bool inPlace = round % 2 == 1;
    const TRect r(2, 1, 2 + rng() % 14, 1 + rng() % 8);
    if (inPlace) {
      const TRect wide(round % 4 == 1 ? -3 : r.Left, r.Top, round % 4 == 3 ? 30 : r.Right, r.Bottom);
      ColorBlend(&b, wide, color, alpha);
    } else {
      ColorBlend(b.Canvas()->Handle(), r, color, alpha);
    }
    const TRect hit = !inPlace ? r : TRect(round % 4 == 1 ? 0 : r.Left, r.Top, round % 4 == 3 ? 16 : r.Right, r.Bottom);
    for (Integer y = 0; y < 9; ++y)
      for (Integer x = 0; x < 16; ++x) {
        const TColor32 d = before.GetPixel(x, y), got = b.GetPixel(x, y);
        if (x < hit.Left || x >= hit.Right || y < hit.Top || y >= hit.Bottom) {
          ASSERT_EQ(got, d);
          continue;
        }
        const Cardinal cr = color & 0xFF, cg = (color >> 8) & 0xFF, cb = (color >> 16) & 0xFF;
        auto f = [&](Cardinal c, Cardinal dd) { return (c * alpha + dd * (255 - alpha) + 127) / 255; };
        ASSERT_EQ((got >> 16) & 0xFF, f(cr, (d >> 16) & 0xFF));
        ASSERT_EQ((got >> 8) & 0xFF, f(cg, (d >> 8) & 0xFF));
        ASSERT_EQ(got & 0xFF, f(cb, d & 0xFF));
        ASSERT_EQ(got >> 24, d >> 24);
      }
  }
}

// Every byte value in every channel, at alphas at and next to the ends and
// the middle, against the formula: the rows are blended four pixels at a time.
TEST(uQnComm, ColorBlendIsExactForEveryByte) {
  std::mt19937 rng(3);
  for (const Integer alpha : {0, 1, 127, 128, 254, 255, Integer(rng() % 256)}) {
    TBitmap32 b;
    b.SetSize(67, 4);  // rows of 67: four-pixel steps and a tail
    for (Integer i = 0; i < 67 * 4; ++i) {
      const Cardinal v = Cardinal(i) & 0xFF;
      b.Bits()[i] = (v << 24) | (((v + 85) & 0xFF) << 16) | (((v + 170) & 0xFF) << 8) | (255 - v);
    }
    TBitmap32 before;
    before.Assign(&b);
    const TColor color = static_cast<TColor>(rng() & 0xFFFFFF);
    ColorBlend(&b, b.BoundsRect(), color, alpha);
    const Cardinal c[3] = {Cardinal(color) & 0xFF, (Cardinal(color) >> 8) & 0xFF, (Cardinal(color) >> 16) & 0xFF};
    for (Integer i = 0; i < 67 * 4; ++i) {
      const TColor32 d = before.Bits()[i], got = b.Bits()[i];
      ASSERT_EQ(got >> 24, d >> 24);
      for (int k = 0; k < 3; ++k) {
        const Cardinal dd = (d >> (16 - 8 * k)) & 0xFF;
        ASSERT_EQ((got >> (16 - 8 * k)) & 0xFF, (c[k] * Cardinal(alpha) + dd * (255 - Cardinal(alpha)) + 127) / 255)
            << "alpha " << alpha << " pixel " << i << " channel " << k;
      }
    }
  }
}

// Pixels the glow changed, and the farthest of them from Rect.
struct Spread {
  int Changed = 0;
  int Farthest = 0;
};

Spread Glow(Integer Strength, const String& Text) {
  TBitmap32 b;
  b.SetSize(200, 80);
  b.Clear(0xFF202020u);
  b.Canvas()->Font()->SetName(u"DejaVu Sans");
  b.Canvas()->Font()->SetSize(11);
  const TRect r(60, 30, 140, 50);
  DrawEffectText(b.Canvas(), r, Text, DT_CENTER | DT_VCENTER | DT_SINGLELINE, 0, 0x0000FFFF, Strength, false);
  Spread s;
  for (Integer y = 0; y < 80; ++y)
    for (Integer x = 0; x < 200; ++x)
      if ((b.GetPixel(x, y) & 0xFFFFFFu) != 0x202020u) {
        ++s.Changed;
        const int dx = std::max({r.Left - x, x - (r.Right - 1), 0});
        const int dy = std::max({r.Top - y, y - (r.Bottom - 1), 0});
        s.Farthest = std::max({s.Farthest, dx, dy});
      }
  return s;
}

TEST(uQnComm, EffectTextGlowsWithinItsStrength) {
  EXPECT_EQ(Glow(4, u"").Changed, 0);
  EXPECT_EQ(Glow(4, u"   ").Changed, 0);
  const Spread s1 = Glow(1, u"Quarn glow"), s4 = Glow(4, u"Quarn glow"), s10 = Glow(10, u"Quarn glow");
  EXPECT_GT(s1.Changed, 0);
  EXPECT_LT(s1.Changed, s4.Changed);
  EXPECT_LT(s4.Changed, s10.Changed);
  EXPECT_LE(s1.Farthest, 1 + 1);
  EXPECT_LE(s4.Farthest, 4 + 1);
  EXPECT_LE(s10.Farthest, 10 + 1);
  EXPECT_GE(s10.Farthest, 3);
}

TEST(uQnComm, TextExtentsRectanglesAndMonitors) {
  TBitmap32 b;
  b.SetSize(10, 10);
  b.Canvas()->Font()->SetName(u"DejaVu Sans");
  b.Canvas()->Font()->SetSize(10);
  HDC dc = b.Canvas()->Handle();
  const Integer w1 = CalcTextWidthW(dc, u"Skin"), w2 = CalcTextWidthW(dc, u"Skin skin");
  EXPECT_GT(w1, 10);
  EXPECT_GT(w2, w1);
  EXPECT_EQ(CalcTextWidthW(dc, u""), 0);
  EXPECT_GT(CalcTextHeightW(dc, u"Skin"), 8);
  EXPECT_GT(CalcTextHeightW(dc, u"two\nlines"), CalcTextHeightW(dc, u"one"));

  TRect r(1, 2, 11, 7);
  EXPECT_EQ(GetRectWidth(r), 10);
  EXPECT_EQ(RectHeight(r), 5);
  IncRect(r, 3, -2);
  EXPECT_EQ(r, TRect(4, 0, 14, 5));

  // Two monitors: a window on the second gets the second's areas.
  SetScreenConfiguration({{TRect(0, 0, 800, 600), TRect(0, 0, 800, 560), true},
                          {TRect(800, 100, 1824, 868), TRect(800, 130, 1824, 868), false}});
  HWND h = PlainWindow(900, 200);
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(GetMonitorWorkArea(h, true), TRect(800, 130, 1824, 868));
  EXPECT_EQ(GetMonitorWorkArea(h, false), TRect(800, 100, 1824, 868));
  EXPECT_EQ(GetMonitorWorkArea(nullptr, true), TRect(0, 0, 800, 560));
  DestroyWindow(h);
  ResetScreenConfiguration();

  EXPECT_FALSE(AppIsHighDPIMode());
  EXPECT_EQ(GetDPIScaledPixels(nullptr, 17), 17);
  EXPECT_EQ(GetDPIScaledPoint(nullptr, TPoint(3, -4)), TPoint(3, -4));
}

TEST(uQnComm, DpiSuffixesOfImageIds) {
  EXPECT_EQ(IncludeDPIScaleText(u"btn@DPI150", ds200), u"btn@DPI200");
  EXPECT_EQ(IncludeDPIScaleText(u"btn@DPI150", ds100), u"btn");
  EXPECT_EQ(IncludeDPIScaleText(u"btn", ds300), u"btn@DPI300");
  EXPECT_EQ(IncludeDPIScaleText(u"a@DPI200_hot", ds150), u"a_hot@DPI150");
  EXPECT_EQ(GetDPIScaleTextFromResID(u"btn@DPI150"), u"@DPI150");
  EXPECT_EQ(GetDPIScaleTextFromResID(u"btn@DPI1"), u"@DPI1");  // never past the end
  EXPECT_EQ(GetDPIScaleTextFromResID(u"btn@DP"), u"");
  EXPECT_EQ(GetDPIScaleTextFromResID(u"x@DPI300@DPI150"), u"@DPI300");
  EXPECT_EQ(GetDPIScaleFromResID(u"btn@DPI300"), ds300);
  EXPECT_EQ(GetDPIScaleFromResID(u"btn@DPI1"), ds100);
  EXPECT_EQ(GetDPIScaleFromResID(u"btn"), ds100);
  for (auto s : {ds100, ds150, ds200, ds300}) EXPECT_EQ(TextToQnResDPIScale(QnResDPIScaleToText(s)), s);
  EXPECT_EQ(QnResDPIScaleToText(ds100), u"");
  EXPECT_EQ(TextToQnResDPIScale(u"@dpi150"), ds100);
}

struct TCallbackOwner {
  int Calls = 0;
  DWORD LastEvent = 0;
  HWND LastWnd = nullptr;
  void OnEvent(HWINEVENTHOOK, DWORD Event, HWND Wnd, LONG, LONG, DWORD, DWORD) {
    ++Calls;
    LastEvent = Event;
    LastWnd = Wnd;
  }
};

TEST(uQnCBTM, CallbacksReachTheirObjectsAndSlotsComeBack) {
  TCallbackOwner a, b;
  const Integer before = InstructionCount();
  WINEVENTPROC pa = MakeInstruction(TQnWinEventMethod(&a, &TCallbackOwner::OnEvent));
  WINEVENTPROC pb = MakeInstruction(TQnWinEventMethod(&b, &TCallbackOwner::OnEvent));
  ASSERT_NE(pa, nullptr);
  ASSERT_NE(pb, nullptr);
  EXPECT_NE(pa, pb);
  pa(nullptr, 7, reinterpret_cast<HWND>(0x10), 0, 0, 0, 0);
  pb(nullptr, 9, nullptr, 0, 0, 0, 0);
  pb(nullptr, 9, nullptr, 0, 0, 0, 0);
  EXPECT_EQ(a.Calls, 1);
  EXPECT_EQ(a.LastEvent, 7u);
  EXPECT_EQ(a.LastWnd, reinterpret_cast<HWND>(0x10));
  EXPECT_EQ(b.Calls, 2);

  // Through the platform's WinEvent hook.
  HWINEVENTHOOK hook = SetWinEventHook(EVENT_OBJECT_SHOW, EVENT_OBJECT_SHOW, nullptr, pa, 0, 0,
                                       WINEVENT_OUTOFCONTEXT);
  ASSERT_NE(hook, nullptr);
  HWND h = PlainWindow(0, 0);
  ShowWindow(h, SW_SHOW);
  MSG m;
  while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);
  EXPECT_GE(a.Calls, 2);
  EXPECT_EQ(a.LastEvent, static_cast<DWORD>(EVENT_OBJECT_SHOW));
  UnhookWinEvent(hook);
  DestroyWindow(h);

  FreeInstruction(pa);
  FreeInstruction(pa);  // twice: nothing
  const int calls = a.Calls;
  pa(nullptr, 1, nullptr, 0, 0, 0, 0);  // a freed slot calls nobody
  EXPECT_EQ(a.Calls, calls);
  FreeInstruction(pb);
  EXPECT_EQ(InstructionCount(), before);
  EXPECT_EQ(MakeInstruction(TQnWinEventMethod()), nullptr);

  std::vector<WINEVENTPROC> all;
  for (Integer i = 0; i < MaxInstructions + 3; ++i)
    if (WINEVENTPROC p = MakeInstruction(TQnWinEventMethod(&a, &TCallbackOwner::OnEvent))) all.push_back(p);
  EXPECT_EQ(static_cast<Integer>(all.size()), MaxInstructions - before);
  for (auto p : all) FreeInstruction(p);
}

}  // namespace

}  // namespace t_u_qn_comm_test
