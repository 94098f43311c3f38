// The size grip in a sizeable form's corner: a press starts the form's own
// sizing loop, which the queued pointer input then drives; a maximized
// form's grip is blank and inert.
#include "skin/controls/uQuarnSizeGrip.h"
#include "tests/skin/controls/SkinControlsTestSupport.h"

namespace t_u_quarn_size_grip_test {

using namespace qn;

namespace {

class uQuarnSizeGrip : public skintest::RootTest {
 protected:
  TFormBorderStyle BorderStyle() const override { return bsSizeable; }
  TQuarnSizeGrip* Grip() {
    return Make<TQuarnSizeGrip>(FRoot->ClientWidth() - 20, FRoot->ClientHeight() - 20, 20, 20);
  }
  // Counts the sizing commands the form receives.
  void WatchCommands() {
    FOld = FRoot->WindowProc();
    FRoot->SetWindowProc([this](TMessage& M) {
      if (M.Msg == WM_SYSCOMMAND && (M.WParam & 0xFFF0) == SC_SIZE) {
        ++FSizeCommands;
        FLastEdge = M.WParam & 0xF;
      }
      FOld(M);
    });
  }
  void TearDown() override {
    if (FOld) FRoot->SetWindowProc(FOld);
    skintest::RootTest::TearDown();
  }
  TWndMethod FOld;
  Integer FSizeCommands = 0;
  WPARAM FLastEdge = 0;
  TRect WindowRect() {
    TRect r;
    GetWindowRect(FRoot->Handle(), &r);
    return r;
  }
};

TEST_F(uQuarnSizeGrip, APressSizesTheFormFromItsCorner) {
  auto* g = Grip();
  WatchCommands();
  EXPECT_EQ(g->Cursor(), crSizeNWSE);
  EXPECT_EQ(g->Anchors(), (TAnchors{akRight, akBottom}));
  Picture(g);
  EXPECT_TRUE(g->Dragged());
  const TRect before = WindowRect();
  // The whole gesture is queued first: the sizing loop reads it.
  const TPoint p = g->ClientToScreen(TPoint(10, 10));
  InputMouseMove(p.X, p.Y);
  InputMouseDown(VK_LBUTTON);
  InputMouseMove(p.X + 20, p.Y + 10);
  InputMouseMove(p.X + 50, p.Y + 30);
  InputMouseUp(VK_LBUTTON);
  usertest::Pump();
  const TRect after = WindowRect();
  EXPECT_EQ(FSizeCommands, 1);
  EXPECT_EQ(FLastEdge, WMSZ_BOTTOMRIGHT);
  EXPECT_EQ(after.Left, before.Left);
  EXPECT_EQ(after.Top, before.Top);
  EXPECT_EQ(after.Width(), before.Width() + 50);
  EXPECT_EQ(after.Height(), before.Height() + 30);
  // Anchored right and bottom, the grip followed the corner.
  EXPECT_EQ(g->Left(), FRoot->ClientWidth() - 20);
  EXPECT_EQ(g->Top(), FRoot->ClientHeight() - 20);
  EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(uQuarnSizeGrip, DrawsItsImageInTheCornerUnlessMaximized) {
  auto* g = Grip();
  WatchCommands();
  TQuarnImage* img = TQuarnResManagerObj()->GetImageByName(u"QuarnDrag_flag");
  ASSERT_NE(img, nullptr);
  const TColor32 root = RootColour();
  auto inked = [&](TBitmap32* P) {
    Integer n = 0, outside = 0;
    for (Integer y = 0; y < 20; ++y)
      for (Integer x = 0; x < 20; ++x)
        if ((P->GetPixel(x, y) & 0xFFFFFFu) != root) {
          ++n;
          // Unscaled, one pixel in from the right and bottom edges.
          if (x < 20 - img->Width() - 1 || y < 20 - img->Height() - 1 || x == 19 || y == 19) ++outside;
        }
    return std::make_pair(n, outside);
  };
  auto [n, outside] = inked(Picture(g));
  EXPECT_GT(n, 10);
  EXPECT_EQ(outside, 0);

  FRoot->SetWindowState(wsMaximized);
  usertest::Pump();
  EXPECT_EQ(inked(Picture(g)).first, 0);
  EXPECT_FALSE(g->Dragged());
  const TRect before = WindowRect();
  MoveTo(g, 10, 10);
  const TPoint p = g->ClientToScreen(TPoint(10, 10));
  InputMouseDown(VK_LBUTTON);
  InputMouseMove(p.X - 60, p.Y - 40);
  InputMouseUp(VK_LBUTTON);
  usertest::Pump();
  EXPECT_EQ(WindowRect(), before);
  EXPECT_EQ(FSizeCommands, 0);
}

}  // namespace

}  // namespace t_u_quarn_size_grip_test
