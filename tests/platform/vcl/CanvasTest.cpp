// The canvas: realising its objects into the DC, change notifications,
// locking, and drawing on bitmaps under the alpha rule.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "tests/platform/vcl/VclTestSupport.h"

namespace t_canvas_test {

using namespace vcl;
using namespace vcltest;

namespace {
// A pf32bit bitmap whose every pixel is opaque `colour` (alpha 255).
void FillOpaque(TBitmap& b, uint32_t colour) {
  for (Integer y = 0; y < b.Height(); ++y) {
    auto* r = static_cast<uint32_t*>(b.ScanLine(y));
    for (Integer x = 0; x < b.Width(); ++x) r[x] = 0xFF000000u | colour;
  }
}
uint32_t At(TBitmap& b, int x, int y) { return static_cast<uint32_t*>(b.ScanLine(y))[x]; }
}  // namespace

TEST(Platform_Canvas, ObjectsAreRealisedIntoTheDC) {
  TBitmap b(20, 20);
  TCanvas* c = b.Canvas();
  c->Pen()->SetColor(clRed);
  c->Pen()->SetMode(TPenMode::pmNotXor);
  c->Brush()->SetColor(clLime);
  c->Font()->SetHeight(-20);
  c->Rectangle(2, 2, 10, 10);
  EXPECT_FALSE(c->State().Contains(TCanvasStates::csFontValid));  // no text drawn yet
  // Asking for the handle realises every object: raw calls on it see the
  // canvas's current font, not a stale one.
  HDC dc = c->Handle();
  EXPECT_EQ(GetCurrentObject(dc, OBJ_FONT), c->Font()->Handle());
  EXPECT_EQ(GetCurrentObject(dc, OBJ_PEN), c->Pen()->Handle());
  EXPECT_EQ(GetCurrentObject(dc, OBJ_BRUSH), c->Brush()->Handle());
  EXPECT_EQ(GetROP2(dc), R2_NOTXORPEN);
  EXPECT_EQ(GetBkColor(dc), RGB(0, 255, 0));
  EXPECT_TRUE(c->State().Contains(TCanvasStates::csPenValid));

  // Changing a pen drops it from the DC; the next call selects the new one.
  HPEN old = c->Pen()->Handle();
  c->Pen()->SetColor(clBlue);
  EXPECT_FALSE(c->State().Contains(TCanvasStates::csPenValid));
  EXPECT_NE(GetCurrentObject(dc, OBJ_PEN), old);
  c->Pen()->SetMode(TPenMode::pmCopy);
  c->MoveTo(0, 15);
  c->LineTo(19, 15);
  EXPECT_EQ(c->Pixels(5, 15), clBlue);
  EXPECT_EQ(c->PenPos(), TPoint(19, 15));
  EXPECT_EQ(c->ClipRect(), TRect(0, 0, 20, 20));
}

TEST(Platform_Canvas, EveryDrawingCallIsBracketedByChangingAndChanged) {
  TBitmap b(16, 16);
  TCanvas* c = b.Canvas();
  std::string log;
  c->OnChanging = [&](TObject*) { log += "<"; };
  c->OnChange = [&](TObject*) { log += ">"; };
  c->FillRect(TRect(0, 0, 4, 4));
  c->Ellipse(0, 0, 8, 8);
  c->RoundRect(0, 0, 8, 8, 3, 3);
  c->Polygon({{0, 0}, {5, 0}, {0, 5}});
  c->Polyline({{0, 0}, {5, 5}});
  c->Arc(0, 0, 8, 8, 8, 4, 0, 4);
  c->Pie(0, 0, 8, 8, 8, 4, 0, 4);
  c->Chord(0, 0, 8, 8, 8, 4, 0, 4);
  c->FrameRect(TRect(1, 1, 6, 6));
  c->DrawFocusRect(TRect(1, 1, 6, 6));
  c->SetPixels(3, 3, clRed);
  c->LineTo(4, 4);
  std::string expected;
  for (int i = 0; i < 12; ++i) expected += "<>";
  EXPECT_EQ(log, expected);
  log.clear();
  c->MoveTo(1, 1);  // moving draws nothing
  EXPECT_EQ(log, "");
  // A bitmap hears of its canvas's changes.
  TBitmap other(4, 4);
  int changes = 0;
  other.OnChange = [&](TObject*) { ++changes; };
  other.Canvas()->FillRect(TRect(0, 0, 2, 2));
  EXPECT_EQ(changes, 1);
}

TEST(Platform_Canvas, ACanvasWithoutADeviceContextCannotDraw) {
  TCanvas c;
  try {
    c.FillRect(TRect(0, 0, 1, 1));
    FAIL();
  } catch (const EInvalidOperation& e) {
    EXPECT_EQ(e.Message(), u"Canvas does not allow drawing");
  }
  // A DC set from outside is used and not owned.
  TBitmap b(4, 4);
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, b.Handle());
  c.SetHandle(dc);
  c.Brush()->SetColor(clYellow);
  c.FillRect(TRect(0, 0, 4, 4));
  c.SetHandle(nullptr);
  EXPECT_EQ(GetPixel(dc, 1, 1), RGB(255, 255, 0));
  SelectObject(dc, old);
  EXPECT_TRUE(DeleteDC(dc));
}

TEST(Platform_Canvas, LockIsReentrantAndExcludesOtherThreads) {
  TCanvas c;
  c.Lock();
  c.Lock();
  EXPECT_EQ(c.LockCount(), 2);
  std::atomic<bool> got{true};
  std::thread([&] { got = c.TryLock(); }).join();
  EXPECT_FALSE(got);
  c.Unlock();
  c.Unlock();
  std::thread([&] {
    got = c.TryLock();
    if (got) c.Unlock();
  }).join();
  EXPECT_TRUE(got);
}

TEST(Platform_Canvas, DrawingOnA32BitBitmapLeavesAlphaZeroOnTouchedPixels) {
  TBitmap b;
  b.SetPixelFormat(TPixelFormat::pf32bit);
  b.SetSize(10, 10);
  FillOpaque(b, 0x00FFFFFF);
  b.Canvas()->Pen()->SetColor(clRed);
  b.Canvas()->MoveTo(1, 5);
  b.Canvas()->LineTo(8, 5);
  for (int x = 0; x < 10; ++x) {
    uint32_t p = At(b, x, 5);
    if (x >= 1 && x < 8) EXPECT_EQ(p, 0x00FF0000u) << x;  // red, alpha 0
    else EXPECT_EQ(p, 0xFFFFFFFFu) << x;                  // untouched, LineTo leaves its end out
  }
  EXPECT_EQ(At(b, 4, 4), 0xFFFFFFFFu);
  b.Canvas()->Brush()->SetColor(clBlue);
  b.Canvas()->FillRect(TRect(0, 8, 10, 10));
  EXPECT_EQ(At(b, 3, 9), 0x000000FFu);
  EXPECT_EQ(At(b, 3, 7), 0xFFFFFFFFu);
  b.Canvas()->SetPixels(0, 0, clLime);
  EXPECT_EQ(At(b, 0, 0), 0x0000FF00u);
}

TEST(Platform_Canvas, CopyRectDrawAndFloodFill) {
  TBitmap src(4, 4), dst(8, 8);
  src.Canvas()->Brush()->SetColor(clRed);
  src.Canvas()->FillRect(TRect(0, 0, 4, 4));
  dst.Canvas()->Brush()->SetColor(clWhite);
  dst.Canvas()->FillRect(TRect(0, 0, 8, 8));
  dst.Canvas()->CopyRect(TRect(0, 0, 8, 8), src.Canvas(), TRect(0, 0, 2, 2));
  EXPECT_EQ(dst.Canvas()->Pixels(7, 7), clRed);
  dst.Canvas()->FillRect(TRect(0, 0, 8, 8));
  dst.Canvas()->SetCopyMode(cmSrcInvert);
  dst.Canvas()->Draw(2, 2, &src);  // white xor red = cyan
  EXPECT_EQ(dst.Canvas()->Pixels(3, 3), clAqua);
  EXPECT_EQ(dst.Canvas()->Pixels(1, 1), clWhite);
  dst.Canvas()->SetCopyMode(cmSrcCopy);

  // A frame, then a flood fill of its inside only.
  dst.Canvas()->FillRect(TRect(0, 0, 8, 8));
  dst.Canvas()->Brush()->SetColor(clBlack);
  dst.Canvas()->FrameRect(TRect(1, 1, 7, 7));
  dst.Canvas()->Brush()->SetColor(clGreen);
  dst.Canvas()->FloodFill(3, 3, clBlack, TFillStyle::fsBorder);
  EXPECT_EQ(dst.Canvas()->Pixels(3, 3), clGreen);
  EXPECT_EQ(dst.Canvas()->Pixels(5, 5), clGreen);
  EXPECT_EQ(dst.Canvas()->Pixels(1, 1), clBlack);
  EXPECT_EQ(dst.Canvas()->Pixels(0, 0), clWhite);
  dst.Canvas()->Brush()->SetColor(clYellow);
  dst.Canvas()->FloodFill(0, 0, clWhite, TFillStyle::fsSurface);
  EXPECT_EQ(dst.Canvas()->Pixels(7, 0), clYellow);
  EXPECT_EQ(dst.Canvas()->Pixels(4, 4), clGreen);
}

TEST(Platform_Canvas, DrawHonoursTransparencyAndAlpha) {
  TBitmap dst;
  dst.SetPixelFormat(TPixelFormat::pf32bit);
  dst.SetSize(4, 1);
  FillOpaque(dst, 0x00000000);
  // Transparent colour: the bottom-left pixel's colour unless fixed.
  TBitmap t(2, 1);
  t.Canvas()->SetPixels(0, 0, clRed);
  t.Canvas()->SetPixels(1, 0, clBlue);
  t.SetTransparent(true);
  EXPECT_EQ(t.TransparentColor(), clRed);
  dst.Canvas()->Draw(0, 0, &t);
  EXPECT_EQ(At(dst, 0, 0), 0xFF000000u);
  EXPECT_EQ(At(dst, 1, 0) & 0xFFFFFF, 0x0000FFu);
  // Straight alpha is blended: half-transparent white over black.
  TBitmap a;
  a.SetPixelFormat(TPixelFormat::pf32bit);
  a.SetSize(1, 1);
  *static_cast<uint32_t*>(a.ScanLine(0)) = 0x80FFFFFFu;
  a.SetAlphaFormat(TAlphaFormat::afDefined);
  dst.Canvas()->Draw(3, 0, &a);
  uint32_t p = At(dst, 3, 0);
  EXPECT_NEAR(int(p & 0xFF), 128, 1);
  EXPECT_EQ(p >> 24, 0xFFu);
  // The pixels of the source are not rewritten by drawing.
  EXPECT_EQ(*static_cast<uint32_t*>(a.ScanLine(0)), 0x80FFFFFFu);
}

}  // namespace t_canvas_test
