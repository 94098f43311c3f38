// Alignment with margins, anchors, constraints and the CanResize veto.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "tests/platform/vcl/ControlsTestSupport.h"

namespace t_controls_layout_test {

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

namespace {

class Platform_Controls_Anchors : public ControlsTest {};

TEST_F(Platform_Controls_Anchors, AnchoredControlsKeepTheirDistancesWhenTheParentResizes) {
  HWND host = Host(0, 0, 800, 600);
  auto* root = new TBox(nullptr);
  root->SetBounds(0, 0, 400, 300);
  root->SetParentWindow(host);
  auto make = [&](TAnchors a, TRect r, bool windowed) {
    TControl* c = windowed ? static_cast<TControl*>(new TBox(root)) : new TSpot(root);
    c->SetBoundsRect(r);
    c->SetParent(root);
    c->SetAnchors(a);
    return c;
  };
  TControl* corner = make({akRight, akBottom}, Bounds(300, 250, 80, 30), true);
  TControl* stretch = make({akLeft, akTop, akRight}, Bounds(10, 10, 380, 20), false);
  TControl* centred = make({}, Bounds(180, 135, 40, 30), false);
  TControl* all = make({akLeft, akTop, akRight, akBottom}, Bounds(20, 40, 100, 100), true);
  TControl* plain = make({akLeft, akTop}, Bounds(5, 200, 10, 10), false);

  root->SetBounds(0, 0, 500, 350);
  EXPECT_EQ(corner->BoundsRect(), Bounds(400, 300, 80, 30));
  EXPECT_EQ(stretch->BoundsRect(), Bounds(10, 10, 480, 20));
  // Centred: the centre keeps its proportional place.
  EXPECT_EQ(centred->BoundsRect(), Bounds(230, 160, 40, 30));
  EXPECT_EQ(all->BoundsRect(), Bounds(20, 40, 200, 150));
  EXPECT_EQ(plain->BoundsRect(), Bounds(5, 200, 10, 10));

  // Back to the first size: everything returns.
  root->SetBounds(0, 0, 400, 300);
  EXPECT_EQ(corner->BoundsRect(), Bounds(300, 250, 80, 30));
  EXPECT_EQ(stretch->BoundsRect(), Bounds(10, 10, 380, 20));
  EXPECT_EQ(centred->BoundsRect(), Bounds(180, 135, 40, 30));
  EXPECT_EQ(all->BoundsRect(), Bounds(20, 40, 100, 100));

  // Moving an anchored control makes its new place the rule.
  corner->SetLeft(200);
  root->SetBounds(0, 0, 450, 300);
  EXPECT_EQ(corner->BoundsRect(), Bounds(250, 250, 80, 30));
  delete root;
}

class Platform_Controls_Constraints : public ControlsTest {};

TEST_F(Platform_Controls_Constraints, ConstraintsClampAndCanResizeVetoes) {
  auto* root = new TBox(nullptr);
  root->SetBounds(0, 0, 400, 300);
  auto* c = new TSpot(root);
  c->SetParent(root);
  c->Constraints()->SetMinWidth(50);
  c->Constraints()->SetMaxWidth(100);
  c->Constraints()->SetMinHeight(20);
  c->Constraints()->SetMaxHeight(60);
  c->SetBounds(5, 6, 10, 200);
  EXPECT_EQ(c->BoundsRect(), Bounds(5, 6, 50, 60));
  c->SetBounds(5, 6, 70, 30);
  EXPECT_EQ(c->BoundsRect(), Bounds(5, 6, 70, 30));
  // Tightening a constraint applies it to the present size.
  c->Constraints()->SetMaxWidth(60);
  EXPECT_EQ(c->Width(), 60);
  // A maximum below the minimum takes the minimum with it.
  c->Constraints()->SetMaxHeight(10);
  EXPECT_EQ(c->Constraints()->MinHeight(), 10);
  EXPECT_EQ(c->Height(), 10);

  // OnConstrainedResize may change the limits for this one resize.
  c->SetOnConstrainedResize([](TObject*, Integer& minW, Integer&, Integer& maxW, Integer&) {
    minW = 0;
    maxW = 500;
  });
  c->SetWidth(300);
  EXPECT_EQ(c->Width(), 300);
  c->SetOnConstrainedResize(nullptr);

  // CanResize: a veto leaves size and place alone; a handler may also
  // change the size asked for.
  int asked = 0;
  c->Constraints()->SetMaxWidth(0);
  c->SetOnCanResize([&](TObject*, Integer& w, Integer& h, bool& ok) {
    ++asked;
    if (w > 150) ok = false;
    w = w / 10 * 10;
  });
  TRect before = c->BoundsRect();
  c->SetBounds(1, 2, 200, 40);
  EXPECT_EQ(c->BoundsRect(), before);
  c->SetBounds(1, 2, 128, 40);
  EXPECT_EQ(c->BoundsRect(), Bounds(1, 2, 120, 10));  // MaxHeight 10 still holds
  EXPECT_GE(asked, 2);
  delete root;
}

TEST_F(Platform_Controls_Constraints, AlignedControlsThatCannotTakeTheirShareStayAtTheirEdge) {
  auto* root = new TBox(nullptr);
  root->SetBounds(0, 0, 400, 300);
  auto* right = new TSpot(root);
  right->SetParent(root);
  right->SetWidth(200);
  right->Constraints()->SetMaxWidth(100);
  right->SetAlign(alRight);
  auto* bottom = new TSpot(root);
  bottom->SetParent(root);
  bottom->SetHeight(40);
  bottom->SetAlign(alBottom);
  auto* client = new TSpot(root);
  client->SetParent(root);
  client->SetAlign(alClient);
  client->Constraints()->SetMaxHeight(100);

  // Bottom bars are placed before right ones; the right one takes 100 of
  // its 200 and sits at the right edge; the client is what is left.
  EXPECT_EQ(bottom->BoundsRect(), Bounds(0, 260, 400, 40));
  EXPECT_EQ(right->BoundsRect(), Bounds(300, 0, 100, 260));
  EXPECT_EQ(client->BoundsRect(), Bounds(0, 0, 300, 100));

  // The bottom bar refuses a new width but still follows the bottom edge.
  bottom->SetOnCanResize([&](TObject*, Integer& w, Integer& h, bool& ok) { ok = w == 400; });
  root->SetBounds(0, 0, 500, 350);
  EXPECT_EQ(bottom->BoundsRect(), Bounds(0, 310, 400, 40));
  EXPECT_EQ(right->BoundsRect(), Bounds(400, 0, 100, 310));
  EXPECT_EQ(client->BoundsRect(), Bounds(0, 0, 400, 100));
  delete root;
}

}  // namespace

namespace {

// Random aligned children against a plain reference: bars take their outer
// size (control plus margins) from the edges in the order top, bottom,
// left, right; the client control gets what is left; nothing overlaps.
TEST(Platform_Controls_AlignProperty, RandomLayoutsMatchTheReference) {
  std::mt19937 rng(20261207);
  auto rnd = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  for (int round = 0; round < 200; ++round) {
    auto* root = new TBox(nullptr);
    int W = rnd(300, 600), H = rnd(300, 600);
    root->SetBounds(0, 0, W, H);
    struct Kid {
      TControl* C;
      TAlign A;
    };
    std::vector<Kid> kids;
    int n = rnd(1, 8);
    bool client = false;
    for (int i = 0; i < n; ++i) {
      TAlign a = static_cast<TAlign>(rnd(1, 5));
      if (a == alClient && client) a = alTop;
      client |= a == alClient;
      TControl* c = rnd(0, 1) ? static_cast<TControl*>(new TBox(nullptr)) : new TSpot(nullptr);
      c->SetBounds(0, 0, rnd(5, 30), rnd(5, 30));
      if (rnd(0, 1)) {
        c->Margins()->SetBounds(rnd(0, 5), rnd(0, 5), rnd(0, 5), rnd(0, 5));
        c->SetAlignWithMargins(true);
      }
      c->SetParent(root);
      c->SetAlign(a);
      kids.push_back({c, a});
    }
    // Shuffle the parent's size after the fact: the layout must follow.
    W = rnd(300, 600);
    H = rnd(300, 600);
    root->SetBounds(0, 0, W, H);

    auto outer = [](TControl* c) {
      TMargins* m = c->Margins();
      return Bounds(m->ControlLeft(), m->ControlTop(), m->ControlWidth(), m->ControlHeight());
    };
    // The reference: stacking order within one kind is their order on screen.
    TRect R(0, 0, W, H);
    for (TAlign a : {alTop, alBottom, alLeft, alRight}) {
      std::vector<TControl*> same;
      for (auto& k : kids)
        if (k.A == a) same.push_back(k.C);
      std::sort(same.begin(), same.end(), [&](TControl* x, TControl* y) {
        switch (a) {
          case alTop: return outer(x).Top < outer(y).Top;
          case alBottom: return outer(x).Bottom > outer(y).Bottom;
          case alLeft: return outer(x).Left < outer(y).Left;
          default: return outer(x).Right > outer(y).Right;
        }
      });
      for (TControl* c : same) {
        TRect o = outer(c);
        TRect want;
        switch (a) {
          case alTop: want = Bounds(R.Left, R.Top, R.Width(), o.Height()); R.Top += o.Height(); break;
          case alBottom: want = Bounds(R.Left, R.Bottom - o.Height(), R.Width(), o.Height()); R.Bottom -= o.Height(); break;
          case alLeft: want = Bounds(R.Left, R.Top, o.Width(), R.Height()); R.Left += o.Width(); break;
          default: want = Bounds(R.Right - o.Width(), R.Top, o.Width(), R.Height()); R.Right -= o.Width(); break;
        }
        ASSERT_EQ(o, want) << "round " << round << " align " << int(a);
      }
    }
    for (auto& k : kids) {
      if (k.A == alClient) {
        ASSERT_EQ(outer(k.C), R) << "round " << round;
      }
    }
    for (size_t i = 0; i < kids.size(); ++i)
      for (size_t j = i + 1; j < kids.size(); ++j) {
        TRect x;
        ASSERT_FALSE(IntersectRect(x, outer(kids[i].C), outer(kids[j].C))) << "round " << round;
      }
    delete root;
  }
}

}  // namespace

}  // namespace t_controls_layout_test
