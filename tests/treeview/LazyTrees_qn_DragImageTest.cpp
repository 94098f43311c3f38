// The self-drawn drag picture: its alpha channel, moves over the screen by
// random steps under each restriction against a picture shown afresh at the
// same place, the screen given back exactly, and which moves count.
#include <gtest/gtest.h>

#include <random>

#include "platform/desktop/Desktop.h"
#include "platform/vcl/Forms.h"
#include "treeview/LazyTrees_qn_Appearance.h"
#include "treeview/LazyTrees_qn_StringTree.h"

namespace t_lazy_trees_qn_drag_image_test {

using namespace qn;

namespace {

class LazyTrees_qn_DragImage : public ::testing::Test {
 protected:
  void SetUp() override {
    SetVirtualClock(true);
    ResetInput();
    ClearScreenOverlay();
    SavedMMX = MMXAvailable;
    MMXAvailable = true;
    Form = new TForm(nullptr);
    Form->SetPosition(poDesigned);
    Form->SetBounds(20, 20, 460, 360);
    T = new TLazyStringTree_qn(Form);
    T->SetParent(Form);
    T->SetBounds(8, 8, 420, 300);
    T->SetRootNodeCount(40);
    T->SetOnGetText([](TBaseLazyTree_qn* Tree, PLazyNode N, TColumnIndex, TVSTTextType, String& Text) {
      Text = u"Row number " + IntToStr(Integer(Tree->AbsoluteIndex(N))) + u" with some text";
    });
    Form->Show();
    Application->ProcessMessages();
    Picture.SetPixelFormat(TPixelFormat::pf32bit);
    Picture.SetSize(64, 36);
    for (Integer y = 0; y < 36; ++y) {
      auto* row = static_cast<uint32_t*>(Picture.ScanLine(y));
      for (Integer x = 0; x < 64; ++x) row[x] = 0xFF000000u | uint32_t(x * 4) << 16 | uint32_t(y * 7) << 8 | 0x60;
    }
  }
  void TearDown() override {
    delete Form;
    MMXAvailable = SavedMMX;
    ClearScreenOverlay();
    ResetSystemSettings();
  }
  static uint32_t Alpha(TBitmap* B, Integer X, Integer Y) {
    return static_cast<uint32_t*>(B->ScanLine(Y))[X] >> 24;
  }

  TForm* Form = nullptr;
  TLazyStringTree_qn* T = nullptr;
  TBitmap Picture;
  bool SavedMMX = false;
};

TEST_F(LazyTrees_qn_DragImage, AlphaFadesFromTheCentreAndTheKeyIsClear) {
  TVTDragImage img(T);
  TBitmap square;
  square.SetPixelFormat(TPixelFormat::pf32bit);
  square.SetSize(41, 41);
  square.Canvas()->Brush()->SetColor(clRed);
  square.Canvas()->FillRect(TRect(0, 0, 41, 41));
  square.Canvas()->Brush()->SetColor(clBlue);
  square.Canvas()->FillRect(TRect(10, 10, 31, 31));
  img.PrepareDrag(&square, TPoint(0, 0), TPoint(0, 0));
  TBitmap* a = img.Picture();
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(Alpha(a, 20, 20), 255u);
  EXPECT_EQ(Alpha(a, 0, 0), 1u);
  EXPECT_EQ(Alpha(a, 40, 40), 1u);
  // Falling off with the distance from the centre in every direction.
  for (Integer d = 1; d < 20; ++d) {
    EXPECT_LT(Alpha(a, 20 + d, 20), Alpha(a, 20 + d - 1, 20)) << d;
    EXPECT_EQ(Alpha(a, 20 - d, 20), Alpha(a, 20, 20 + d)) << d;
  }
  img.EndDrag();
  // With the key colour red only the blue square keeps its fade.
  img.SetColorKey(clRed);
  img.PrepareDrag(&square, TPoint(0, 0), TPoint(0, 0));
  a = img.Picture();
  EXPECT_EQ(Alpha(a, 5, 20), 0u);
  EXPECT_EQ(Alpha(a, 20, 5), 0u);
  EXPECT_EQ(Alpha(a, 20, 20), 255u);
  EXPECT_GT(Alpha(a, 12, 12), 0u);
  // Without the packed-integer unit the tree draws nothing.
  img.EndDrag();
  MMXAvailable = false;
  img.PrepareDrag(&square, TPoint(0, 0), TPoint(0, 0));
  EXPECT_TRUE(img.States().Empty());
  EXPECT_EQ(img.Picture(), nullptr);
}

TEST_F(LazyTrees_qn_DragImage, MovesEqualAPictureShownAfreshAndTheScreenComesBack) {
  Application->ProcessMessages();
  TScreenImage base = CaptureScreen();
  std::mt19937 rng(1806);
  const TVTDragMoveRestriction restrictions[] = {dmrNone, dmrHorizontalOnly, dmrVerticalOnly};
  for (TVTDragMoveRestriction restriction : restrictions) {
    TVTDragImage img(T);
    img.SetMoveRestriction(restriction);
    img.SetFade(restriction == dmrVerticalOnly);
    TPoint hot(200, 160), pos(150, 120);
    img.PrepareDrag(&Picture, pos, hot);
    img.ShowDragImage();
    ASSERT_TRUE(img.GetVisible());
    for (int step = 0; step < 24; ++step) {
      // Small steps overlap the old place; some jump clear of it.
      int reach = step % 5 == 0 ? 90 : 20;
      TPoint p(hot.X + std::uniform_int_distribution<int>(-reach, reach)(rng),
               hot.Y + std::uniform_int_distribution<int>(-reach, reach)(rng));
      p.X = std::clamp(p.X, 120, 300);
      p.Y = std::clamp(p.Y, 100, 240);
      bool moves = img.WillMove(p);
      EXPECT_EQ(img.DragTo(p, false), moves);
      if (restriction != dmrVerticalOnly) pos.X += p.X - hot.X;
      if (restriction != dmrHorizontalOnly) pos.Y += p.Y - hot.Y;
      hot = p;
      ASSERT_EQ(img.ImagePosition(), pos) << step;
      EXPECT_EQ(img.GetDragImageRect(), TRect(pos.X, pos.Y, pos.X + 64, pos.Y + 36));
      TScreenImage moved = CaptureScreen();
      if (step % 4 != 3) continue;
      // The reference: the picture hidden (the screen must be the base
      // again), then one shown afresh at the same place.
      img.HideDragImage();
      ASSERT_EQ(CaptureScreen().Pixels, base.Pixels) << "restriction " << int(restriction) << " step " << step;
      TVTDragImage fresh(T);
      fresh.SetFade(img.Fade());
      fresh.PrepareDrag(&Picture, pos, hot);
      fresh.ShowDragImage();
      ASSERT_EQ(CaptureScreen().Pixels, moved.Pixels) << "restriction " << int(restriction) << " step " << step;
      fresh.EndDrag();
      img.ShowDragImage();
    }
    img.EndDrag();
    EXPECT_FALSE(img.GetVisible());
    EXPECT_TRUE(img.GetDragImageRect().IsEmpty());
    EXPECT_EQ(CaptureScreen().Pixels, base.Pixels);
  }
}

TEST_F(LazyTrees_qn_DragImage, OnlyMovesAlongAllowedAxesCount) {
  TVTDragImage img(T);
  img.SetMoveRestriction(dmrHorizontalOnly);
  img.PrepareDrag(&Picture, TPoint(100, 100), TPoint(120, 110));
  // Hidden: nothing moves on the screen.
  EXPECT_FALSE(img.WillMove(TPoint(130, 110)));
  img.ShowDragImage();
  EXPECT_FALSE(img.WillMove(TPoint(120, 150)));
  EXPECT_FALSE(img.DragTo(TPoint(120, 150), false));
  EXPECT_EQ(img.ImagePosition(), TPoint(100, 100));
  EXPECT_TRUE(img.WillMove(TPoint(125, 150)));
  EXPECT_TRUE(img.DragTo(TPoint(125, 150), false));
  EXPECT_EQ(img.ImagePosition(), TPoint(105, 100));
  // A forced repaint counts even without a move.
  EXPECT_TRUE(img.DragTo(TPoint(125, 150), true));
  img.SetMoveRestriction(dmrVerticalOnly);
  EXPECT_FALSE(img.WillMove(TPoint(160, 150)));
  EXPECT_TRUE(img.WillMove(TPoint(125, 151)));
}

}  // namespace

}  // namespace t_lazy_trees_qn_drag_image_test
