// The layered image control's background on a shown form: the parent under
// the layers while transparent, its colour otherwise, and a background that
// follows the parent after a resize and CWM_CHECKPARENTBG but never shows a
// stale layer where one moved away.
#include <gtest/gtest.h>

#include "graphics/raster/Pix32_Layers_qn.h"
#include "tests/skin/controls/SkinControlsTestSupport.h"

namespace t_u_quarn_ctrls_layer_control_test {

using namespace qn;

namespace {

constexpr TColor32 LayerColour = 0xFFE01020u;

class uQuarnCtrls_LayerControl : public skintest::RootTest {
 protected:
  TQuarnCustomLayerControl* Bar(bool Transparent) {
    auto* C = new TQuarnCustomLayerControl(FRoot.get());
    C->SetTransparent(Transparent);
    C->SetParent(FRoot.get());
    C->SetBounds(50, 50, 120, 40);
    C->SetRepaintMode(rmOptimizer);
    Layer = C->Layers()->Add<TPositionedLayer>();
    Layer->SetLocation(TFloatRect(10, 10, 30, 30));
    Layer->SetOnPaint([this](TObject*, TBitmap32* Buffer) {
      const TFloatRect& L = Layer->Location();
      Buffer->FillRectS(TRect(Integer(L.Left), Integer(L.Top), Integer(L.Right), Integer(L.Bottom)), LayerColour);
    });
    usertest::Pump();
    return C;
  }
  static TColor32 At(TQuarnCustomLayerControl* C, Integer X, Integer Y) { return C->Buffer()->GetPixel(X, Y) & 0xFFFFFFu; }
  TPositionedLayer* Layer = nullptr;
};

TEST_F(uQuarnCtrls_LayerControl, TransparentShowsTheParentUnderItsLayers) {
  auto* C = Bar(true);
  EXPECT_EQ(At(C, 5, 5), RootColour());
  EXPECT_EQ(At(C, 100, 30), RootColour());
  EXPECT_EQ(At(C, 15, 15), LayerColour & 0xFFFFFFu);

  // A layer moving away leaves the parent behind it, not its old picture.
  Layer->SetLocation(TFloatRect(60, 10, 80, 30));
  usertest::Pump();
  EXPECT_EQ(At(C, 15, 15), RootColour());
  EXPECT_EQ(At(C, 65, 15), LayerColour & 0xFFFFFFu);
}

TEST_F(uQuarnCtrls_LayerControl, OpaqueShowsItsColourAndFollowsIt) {
  auto* C = Bar(false);
  EXPECT_FALSE(TQuarnCustomLayerControl(nullptr).Transparent());
  EXPECT_EQ(At(C, 5, 5), 0xFFFFFFu);
  C->SetColor(static_cast<TColor>(0x00336699));
  usertest::Pump();
  EXPECT_EQ(At(C, 5, 5), Color32(static_cast<TColor>(0x00336699)) & 0xFFFFFFu);
  EXPECT_EQ(At(C, 15, 15), LayerColour & 0xFFFFFFu);
}

TEST_F(uQuarnCtrls_LayerControl, RetakesTheBackgroundAfterSizeAndParentNotice) {
  auto* C = Bar(true);
  FRoot->SetColor(static_cast<TColor>(0x00108030));
  usertest::Pump();
  Layer->SetLocation(TFloatRect(12, 10, 32, 30));
  usertest::Pump();
  PostMessageW(C->Handle(), CWM_CHECKPARENTBG, 0, 0);
  usertest::Pump();
  EXPECT_EQ(At(C, 100, 5), RootColour());
  EXPECT_EQ(At(C, 20, 20), LayerColour & 0xFFFFFFu);

  FRoot->SetColor(static_cast<TColor>(0x00802010));
  usertest::Pump();
  C->SetBounds(50, 50, 160, 60);
  usertest::Pump();
  EXPECT_EQ(At(C, 150, 55), RootColour());
  EXPECT_EQ(At(C, 5, 5), RootColour());
  EXPECT_EQ(At(C, 20, 20), LayerColour & 0xFFFFFFu);
}

}  // namespace

}  // namespace t_u_quarn_ctrls_layer_control_test
