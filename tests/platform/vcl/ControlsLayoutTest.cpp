// Alignment with margins, anchors, constraints and the CanResize veto.
#include <gtest/gtest.h>

#include "tests/platform/vcl/ControlsTestSupport.h"

using namespace vcl;
using namespace controlstest;

namespace {

class Platform_Controls_Layout : public ControlsTest, public ::testing::WithParamInterface<bool> {
 protected:
  // A child of the wanted kind (windowed when the parameter says so).
  TControl* Child(TWinControl* parent, TAlign align, Integer w, Integer h) {
    TControl* c = GetParam() ? static_cast<TControl*>(new TBox(nullptr)) : new TSpot(nullptr);
    c->SetBounds(0, 0, w, h);
    c->SetParent(parent);
    c->SetAlign(align);
    return c;
  }
  // The bounds as the window server has them, for windowed children.
  static TRect WindowBounds(TControl* c) {
    auto* w = dynamic_cast<TWinControl*>(c);
    if (!w || !w->HandleAllocated()) return c->BoundsRect();
    RECT r;
    GetWindowRect(w->Handle(), &r);
    MapWindowPoints(nullptr, GetParent(w->Handle()), reinterpret_cast<POINT*>(&r), 2);
    return r;
  }
};

TEST_P(Platform_Controls_Layout, AlignedChildrenShareTheClientAreaWithMargins) {
  HWND host = Host();
  auto* root = new TBox(nullptr);
  root->SetBounds(0, 0, 400, 300);
  root->SetParentWindow(host);
  TControl* top2 = Child(root, alNone, 10, 10);
  top2->SetTop(100);  // below top1 once both are aligned to the top
  top2->SetAlign(alTop);
  TControl* top1 = Child(root, alTop, 10, 30);
  top1->SetAlignWithMargins(true);
  TControl* bottom = Child(root, alBottom, 10, 20);
  TControl* left = Child(root, alLeft, 50, 10);
  left->Margins()->SetBounds(2, 2, 2, 2);
  left->SetAlignWithMargins(true);
  TControl* right = Child(root, alRight, 40, 10);
  TControl* client = Child(root, alClient, 10, 10);

  EXPECT_EQ(top1->BoundsRect(), Bounds(3, 3, 394, 30));
  EXPECT_EQ(top2->BoundsRect(), Bounds(0, 36, 400, 10));
  EXPECT_EQ(bottom->BoundsRect(), Bounds(0, 280, 400, 20));
  EXPECT_EQ(left->BoundsRect(), Bounds(2, 48, 50, 230));
  EXPECT_EQ(right->BoundsRect(), Bounds(360, 46, 40, 234));
  EXPECT_EQ(client->BoundsRect(), Bounds(54, 46, 306, 234));

  root->SetBounds(0, 0, 500, 400);
  EXPECT_EQ(top1->BoundsRect(), Bounds(3, 3, 494, 30));
  EXPECT_EQ(top2->BoundsRect(), Bounds(0, 36, 500, 10));
  EXPECT_EQ(bottom->BoundsRect(), Bounds(0, 380, 500, 20));
  EXPECT_EQ(left->BoundsRect(), Bounds(2, 48, 50, 330));
  EXPECT_EQ(right->BoundsRect(), Bounds(460, 46, 40, 334));
  EXPECT_EQ(client->BoundsRect(), Bounds(54, 46, 406, 334));
  for (TControl* c : {top1, top2, bottom, left, right, client}) EXPECT_EQ(WindowBounds(c), c->BoundsRect());

  // Hiding a bar gives its room to the client; margins changes apply at once.
  top2->Hide();
  EXPECT_EQ(client->BoundsRect(), Bounds(54, 36, 406, 344));
  top1->Margins()->SetBounds(0, 0, 0, 10);
  EXPECT_EQ(top1->BoundsRect(), Bounds(0, 0, 500, 30));
  EXPECT_EQ(client->BoundsRect(), Bounds(54, 40, 406, 340));
  delete root;
}

INSTANTIATE_TEST_SUITE_P(Kinds, Platform_Controls_Layout, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Windowed" : "Windowless"; });

}  // namespace
