// Windows of controls: recreating them, painting a control tree into a
// foreign DC, focus bookkeeping and key routing.
#include <gtest/gtest.h>

#include "tests/common/TestSupport.h"
#include "tests/platform/vcl/ControlsTestSupport.h"

namespace t_controls_window_test {

using namespace vcl;
using namespace controlstest;

namespace {

class Platform_Controls_Window : public ControlsTest {
 protected:
  template <class T>
  T* Make(TWinControl* parent, const char16_t* name, TRect r, TColor color = clNone) {
    auto* c = new T(nullptr);
    c->SetName(name);
    c->SetBoundsRect(r);
    if (color != clNone) c->SetColor(color);
    c->SetParent(parent);
    return c;
  }
};

TEST_F(Platform_Controls_Window, RecreateWndKeepsChildrenTextAndFocus) {
  HWND host = Host();
  auto* root = new TBox(nullptr);
  root->SetBounds(0, 0, 400, 300);
  root->SetParentWindow(host);
  auto* box = Make<TBox>(root, u"box", Bounds(10, 20, 200, 150));
  box->SetText(u"Hello");
  auto* inner = Make<TBox>(box, u"inner", Bounds(5, 6, 50, 40));
  inner->SetText(u"Inner");
  auto* hidden = Make<TBox>(box, u"hidden", Bounds(60, 6, 50, 40));
  hidden->Hide();
  auto* spot = Make<TSpot>(box, u"spot", Bounds(120, 6, 20, 20));
  inner->SetFocus();
  ASSERT_TRUE(inner->Focused());
  // Text typed into the window directly is what the window holds.
  SetWindowTextW(inner->Handle(), u"Typed");

  HWND oldBox = box->Handle(), oldInner = inner->Handle();
  box->RecreateWnd();
  EXPECT_FALSE(IsWindow(oldBox));
  EXPECT_FALSE(IsWindow(oldInner));
  ASSERT_TRUE(box->HandleAllocated());
  ASSERT_TRUE(inner->HandleAllocated());
  EXPECT_NE(box->Handle(), oldBox);
  EXPECT_EQ(GetWindowText(box->Handle()), u"Hello");
  EXPECT_EQ(box->Text(), u"Hello");
  EXPECT_EQ(inner->Text(), u"Typed");
  EXPECT_EQ(GetParent(inner->Handle()), box->Handle());
  EXPECT_TRUE(IsWindowVisible(inner->Handle()));
  EXPECT_FALSE(hidden->HandleAllocated() && IsWindowVisible(hidden->Handle()));
  EXPECT_EQ(box->ControlCount(), 3);
  EXPECT_EQ(spot->Parent(), box);
  EXPECT_EQ(box->BoundsRect(), Bounds(10, 20, 200, 150));
  EXPECT_EQ(inner->BoundsRect(), Bounds(5, 6, 50, 40));
  EXPECT_EQ(FindControl(inner->Handle()), inner);
  EXPECT_EQ(FindControl(oldInner), nullptr);
  // The focus went back to where it was.
  EXPECT_TRUE(inner->Focused());
  delete root;
}

TEST_F(Platform_Controls_Window, PaintToDrawsWhatTheWindowShows) {
  HWND host = Host(50, 60, 420, 320);
  auto* root = new TBox(nullptr);
  root->SetBounds(0, 0, 400, 300);
  root->SetColor(clWhite);
  root->SetParentWindow(host);
  auto* red = Make<TBox>(root, u"red", Bounds(10, 10, 180, 140), clRed);
  red->PaintFrame = true;
  Make<TSpot>(red, u"green", Bounds(20, 20, 60, 40), clLime);
  auto* bordered = Make<TBox>(red, u"bordered", Bounds(90, 50, 70, 70), clYellow);
  bordered->ExtraStyle = WS_BORDER;
  bordered->RecreateWnd();
  Make<TSpot>(bordered, u"navy", Bounds(-10, 30, 40, 20), clNavy);  // partly outside
  Make<TSpot>(root, u"blue", Bounds(150, 100, 100, 100), clBlue);   // under the window `over`
  auto* over = Make<TBox>(root, u"over", Bounds(200, 150, 150, 120), clFuchsia);
  over->SetParentBackground(false);
  auto* framed = Make<TBox>(root, u"framed", Bounds(30, 200, 100, 60), clAqua);
  framed->SetControlStyle(framed->ControlStyle() + TControlStyle{csFramed});
  framed->SetDoubleBuffered(true);
  Pump();

  TScreenImage shot = CaptureWindow(root->Handle());
  ASSERT_EQ(shot.Width, 400);
  ASSERT_EQ(shot.Height, 300);
  TBitmap bmp;
  bmp.SetPixelFormat(TPixelFormat::pf32bit);
  bmp.SetSize(400, 300);
  root->PaintTo(bmp.Canvas(), 0, 0);
  int differ = 0;
  for (int y = 0; y < 300; ++y) {
    auto* row = static_cast<uint32_t*>(bmp.ScanLine(y));
    for (int x = 0; x < 400; ++x)
      if ((row[x] & 0xFFFFFF) != (shot.Pixel(x, y) & 0xFFFFFF)) ++differ;
  }
  EXPECT_EQ(differ, 0);
  // Probes, so that two blank pictures cannot agree by accident.
  auto px = [&](int x, int y) { return static_cast<uint32_t*>(bmp.ScanLine(y))[x] & 0xFFFFFF; };
  EXPECT_EQ(px(5, 5), 0xFFFFFFu);
  EXPECT_EQ(px(12, 140), 0xFF0000u);
  EXPECT_EQ(px(40, 40), 0x00FF00u);     // green inside red
  EXPECT_EQ(px(150, 70), 0xFFFF00u);    // yellow inside its border
  EXPECT_NE(px(100, 70), 0xFFFF00u);    // the border line, as the server draws it
  EXPECT_EQ(px(120, 100), 0x000080u);   // navy, clipped by the border
  EXPECT_EQ(px(195, 160), 0x0000FFu);   // blue, uncovered
  EXPECT_EQ(px(220, 160), 0xFF00FFu);   // the window over the blue spot
  EXPECT_EQ(px(60, 230), 0x00FFFFu);

  // PaintTo at an offset into a larger picture.
  TBitmap big;
  big.SetPixelFormat(TPixelFormat::pf32bit);
  big.SetSize(500, 400);
  big.Canvas()->Brush()->SetColor(clBlack);
  big.Canvas()->FillRect(TRect(0, 0, 500, 400));
  red->PaintTo(big.Canvas()->Handle(), 100, 50);
  auto bp = [&](int x, int y) { return static_cast<uint32_t*>(big.ScanLine(y))[x] & 0xFFFFFF; };
  EXPECT_EQ(bp(99, 49), 0x000000u);
  EXPECT_EQ(bp(100 + 40, 50 + 40), 0x00FF00u);
  EXPECT_EQ(bp(100 + 2, 50 + 130), 0xFF0000u);
  EXPECT_EQ(bp(100 + 181, 50 + 10), 0x000000u);  // nothing outside the control
  delete root;
}

}  // namespace

}  // namespace t_controls_window_test
