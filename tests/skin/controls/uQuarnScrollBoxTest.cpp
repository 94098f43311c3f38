// The scroll box: ranges from the children's extents, the corrections when
// the box grows or the content shrinks while scrolled, scrolling by the
// difference from where the children are, the public scrolling operations,
// repaints during a thumb drag, and the bars following the box's visibility.
// A random walk checks that children and bars never drift apart.
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <random>

#include "platform/vcl/ExtCtrls.h"
#include "platform/vcl/StdCtrls.h"
#include "skin/controls/uQuarnScrollBox.h"
#include "tests/skin/controls/SkinControlsTestSupport.h"

namespace t_u_quarn_scroll_box_test {

using namespace qn;

namespace {

// Counts the paints the window server asks for.
class TCountingBox : public TQuarnScrollBox {
  QN_CLASS(TCountingBox, TQuarnScrollBox)
 public:
  explicit TCountingBox(TComponent* AOwner) : TQuarnScrollBox(AOwner) {}
  Integer Paints = 0;
  void WndProc(TMessage& Message) override {
    if (Message.Msg == WM_PAINT && Message.WParam == 0) ++Paints;
    TQuarnScrollBox::WndProc(Message);
  }
};

class uQuarnScrollBox : public skintest::RootTest {
 protected:
  template <class B = TQuarnScrollBox>
  B* Box(TWinControl* Parent, Integer X, Integer Y) {
    auto* b = new B(FRoot.get());
    b->SetParent(Parent);
    b->SetBounds(X, Y, 150, 150);
    FH = Make<TQuarnScrollBar>(X, Y + 155, 150, 10);
    FV = new TQuarnScrollBar(FRoot.get());
    FV->SetKind(sbVertical);
    FV->SetParent(FRoot.get());
    FV->SetBounds(X + 155, Y, 10, 150);
    return b;
  }
  TPanel* Child(TWinControl* Box, Integer X, Integer Y, Integer W, Integer H) {
    auto* c = new TPanel(FRoot.get());
    c->SetParent(Box);
    c->SetBounds(X, Y, W, H);
    return c;
  }
  static void Run() { Application->ProcessMessages(); }
  TQuarnScrollBar* FH = nullptr;
  TQuarnScrollBar* FV = nullptr;
};

TEST_F(uQuarnScrollBox, WideChildGivesTheRangeAndScrollsByTheBar) {
  auto* box = Box(FRoot.get(), 20, 20);
  EXPECT_EQ(box->Alpha(), 0);
  EXPECT_TRUE(box->BorderSides().Empty());
  auto* wide = Child(box, 0, 10, 400, 40);
  auto* small = Child(box, 10, 60, 30, 30);
  box->SetHScrollBar(FH);
  box->SetVScrollBar(FV);
  EXPECT_TRUE(FH->Visible());
  EXPECT_EQ(FH->Max(), 399);
  EXPECT_EQ(FH->PageSize(), 150);
  EXPECT_EQ(FH->Position(), 0);
  EXPECT_FALSE(FH->CanFocused());
  EXPECT_FALSE(FV->Visible());  // 90 high fits in 150
  FH->SetPosition(250);
  EXPECT_EQ(wide->Left(), -250);
  EXPECT_EQ(small->Left(), -240);
  EXPECT_EQ(box->OldHScrollBarPos(), 250);
  FH->SetPosition(300);
  EXPECT_EQ(FH->Position(), 250);  // the last page
  EXPECT_EQ(wide->Left(), -250);

  // Once all fits again the children go back to the origin and the bar hides.
  delete wide;
  Run();
  EXPECT_EQ(small->Left(), 10);
  EXPECT_EQ(small->Top(), 60);
  EXPECT_FALSE(FH->Visible());
  EXPECT_EQ(FH->Position(), 0);
  EXPECT_EQ(box->OldHScrollBarPos(), 0);
}

TEST_F(uQuarnScrollBox, WideningAnAlignedBoxWhileScrolledBringsTheChildrenBack) {
  auto* holder = new TPanel(FRoot.get());
  holder->SetParent(FRoot.get());
  holder->SetBounds(10, 10, 460, 200);
  auto* box = Box(holder, 0, 0);
  box->SetAlign(alLeft);
  box->SetWidth(150);
  auto* wide = Child(box, 0, 0, 400, 40);
  box->SetHScrollBar(FH);
  ASSERT_EQ(box->ClientWidth(), 150);
  FH->SetPosition(250);
  ASSERT_EQ(wide->Left(), -250);
  box->SetWidth(300);
  Run();
  EXPECT_EQ(box->ClientWidth(), 300);
  EXPECT_EQ(wide->Left(), -100);
  EXPECT_EQ(FH->Position(), 100);
  EXPECT_EQ(FH->PageSize(), 300);
  EXPECT_EQ(FH->Max(), 399);
  // Narrowing keeps the scroll where it is.
  box->SetWidth(200);
  Run();
  EXPECT_EQ(wide->Left(), -100);
  EXPECT_EQ(FH->Position(), 100);
  EXPECT_EQ(FH->PageSize(), 200);
}

TEST_F(uQuarnScrollBox, ContentShrinkingWhileScrolledClosesTheGap) {
  auto* box = Box(FRoot.get(), 20, 20);
  auto* wide = Child(box, 0, 0, 400, 40);
  box->SetHScrollBar(FH);
  FH->SetPosition(250);
  // The child loses 100 pixels at its end: the view moves back by the gap.
  wide->SetWidth(300);
  Run();
  EXPECT_EQ(FH->Max(), 299);
  EXPECT_EQ(FH->Position(), 150);
  EXPECT_EQ(wide->Left(), -150);
  EXPECT_EQ(wide->Left() + wide->Width(), 150);  // its end at the box's edge
}

TEST_F(uQuarnScrollBox, PublicScrollingMovesExactlyOnce) {
  auto* box = Box(FRoot.get(), 20, 20);
  auto* big = Child(box, 0, 0, 400, 500);
  box->SetHScrollBar(FH);
  box->SetVScrollBar(FV);
  box->HScroll(100);
  EXPECT_EQ(big->Left(), -100);
  EXPECT_EQ(FH->Position(), 100);
  box->HScroll(100);
  EXPECT_EQ(big->Left(), -100);
  box->HScroll(30);
  EXPECT_EQ(big->Left(), -30);
  box->HScroll(5000);
  EXPECT_EQ(big->Left(), -250);
  box->VScroll(5000);
  EXPECT_EQ(FV->Position(), 350);  // the last pixel row reaches the bottom
  EXPECT_EQ(big->Top() + big->Height(), 150);
  box->VScroll(-20);
  EXPECT_EQ(big->Top(), 0);

  // A control to the right comes in with its right edge at the box's edge,
  // one larger than the box with its top-left corner.
  auto* far = Child(box, 0, 0, 40, 20);
  far->SetLeft(300 - FH->Position());
  box->HScroll(0);
  box->ScrollToControl(far);
  EXPECT_EQ(far->Left() + far->Width(), 150);
  EXPECT_EQ(FH->Position(), 190);
  box->ScrollToControl(big);
  EXPECT_EQ(big->Left(), 0);
  EXPECT_EQ(big->Top(), 0);
  // Already in view: nothing moves.
  auto* near = Child(box, 20, 20, 30, 30);
  box->ScrollToControl(near);
  EXPECT_EQ(near->Left(), 20);
  EXPECT_EQ(FH->Position(), 0);

  // Without anything to scroll the operations do nothing.
  auto* quiet = Box(FRoot.get(), 250, 20);
  Child(quiet, 0, 0, 50, 50);
  quiet->SetHScrollBar(FH);
  quiet->HScroll(20);
  EXPECT_EQ(FH->Position(), 0);
}

TEST_F(uQuarnScrollBox, VerticalDragRepaintsEachStepAndOnceAtRelease) {
  auto* box = Box<TCountingBox>(FRoot.get(), 20, 20);
  auto* tall = Child(box, 0, 0, 100, 600);
  box->SetVScrollBar(FV);
  Run();
  FV->CalcRects();
  const TRect th = FV->Button(TQuarnScrollBar::BtnThumb).Rect;
  const Integer y0 = (th.Top + th.Bottom) / 2;
  MoveTo(FV, 5, y0);
  Press();
  for (Integer step = 1; step <= 4; ++step) {
    box->Paints = 0;
    const Integer before = FV->Position();
    MoveTo(FV, 5, y0 + step * 10);
    Run();
    ASSERT_NE(FV->Position(), before);
    EXPECT_EQ(tall->Top(), -FV->Position());
    EXPECT_GE(box->Paints, 1) << "step " << step;
  }
  box->Paints = 0;
  Release();
  Run();
  EXPECT_EQ(box->Paints, 1);
}

TEST_F(uQuarnScrollBox, BarsFollowTheBoxVisibilityAndFocusOnClick) {
  auto* box = Box(FRoot.get(), 20, 20);
  Child(box, 0, 0, 400, 40);
  box->SetHScrollBar(FH);
  box->SetVScrollBar(FV);
  ASSERT_TRUE(FH->Visible());
  ASSERT_FALSE(FV->Visible());
  box->SetVisible(false);
  EXPECT_FALSE(FH->Visible());
  EXPECT_FALSE(FV->Visible());
  box->SetVisible(true);
  EXPECT_TRUE(FH->Visible());
  EXPECT_FALSE(FV->Visible());  // nothing to scroll that way

  // A click focuses the box only with CanFocused.
  auto* edit = new TEdit(FRoot.get());
  edit->SetParent(FRoot.get());
  edit->SetBounds(300, 20, 80, 21);
  edit->SetFocus();
  Run();
  MoveTo(box, 140, 140);
  Press();
  Release();
  EXPECT_FALSE(box->Focused());
  box->SetCanFocused(true);
  Press();
  Release();
  EXPECT_TRUE(box->Focused());
}

TEST_F(uQuarnScrollBox, ChildrenAndBarsNeverDriftApart) {
  std::mt19937 rng(62);
  auto* box = Box(FRoot.get(), 20, 20);
  box->SetHScrollBar(FH);
  box->SetVScrollBar(FV);
  // Where each child would be with both bars at 0.
  std::map<TControl*, TPoint> home;
  auto add = [&] {
    const Integer x = Integer(rng() % 300), y = Integer(rng() % 300);
    const Integer w = 10 + Integer(rng() % 250), h = 10 + Integer(rng() % 250);
    TPanel* c = Child(box, x - box->OldHScrollBarPos(), y - box->OldVScrollBarPos(), w, h);
    home[c] = TPoint(x, y);
  };
  for (int i = 0; i < 3; ++i) add();
  for (int step = 0; step < 1500; ++step) {
    switch (rng() % 6) {
      case 0: add(); break;
      case 1:
        if (!home.empty()) {
          auto it = std::next(home.begin(), Integer(rng() % home.size()));
          TControl* c = it->first;
          home.erase(it);
          delete c;
        }
        break;
      case 2: FH->SetPosition(Integer(rng() % 500)); break;
      case 3: FV->SetPosition(Integer(rng() % 500)); break;
      case 4: box->SetBounds(box->Left(), box->Top(), 60 + Integer(rng() % 250), 60 + Integer(rng() % 250)); break;
      default: box->HScroll(Integer(rng() % 400)); break;
    }
    Run();
    Integer right = 0, bottom = 0;
    for (auto& [c, p] : home) {
      ASSERT_EQ(c->Left(), p.X - box->OldHScrollBarPos()) << "step " << step;
      ASSERT_EQ(c->Top(), p.Y - box->OldVScrollBarPos()) << "step " << step;
      right = std::max(right, p.X + c->Width());
      bottom = std::max(bottom, p.Y + c->Height());
    }
    ASSERT_EQ(box->OldHScrollBarPos(), FH->Position()) << "step " << step;
    ASSERT_EQ(box->OldVScrollBarPos(), FV->Position()) << "step " << step;
    // A bar shows exactly while the content is larger than the box, and
    // then spans the content with a page of the client size.
    ASSERT_EQ(FH->Visible(), right > box->ClientWidth()) << "step " << step;
    ASSERT_EQ(FV->Visible(), bottom > box->ClientHeight()) << "step " << step;
    if (FH->Visible()) {
      ASSERT_EQ(FH->Max(), right - 1) << "step " << step;
      ASSERT_EQ(FH->PageSize(), box->ClientWidth()) << "step " << step;
    }
  }
}

}  // namespace

}  // namespace t_u_quarn_scroll_box_test
