// Edge docking driven by real caption drags on the virtual clock: the top
// edge away from the corners, the corner where the side wins, the left and
// right edges, switching off, work areas that do not start at 0 (a task bar
// at the top, a second monitor left of the first), and the form's hook
// chain with another hook removed before or after.
#include <gtest/gtest.h>

#include <memory>

#include "platform/vcl/WindowHooks.h"
#include "skin/extended/uQnQQAlign.h"
#include "tests/skin/controls/SkinControlsTestSupport.h"

namespace t_u_qn_qqalign_test {

using namespace qn;

namespace {

class uQnQQAlign : public skintest::RootTest {
 protected:
  void SetUp() override {
    RootTest::SetUp();
    FForm = std::make_unique<TForm>(nullptr);
    FForm->SetPosition(poDesigned);
    FForm->SetBorderStyle(bsSingle);
    FForm->SetBounds(300, 200, 300, 200);
    FAlign = new TQnQQAlign(FForm.get());
    FForm->Show();
    usertest::Pump();
  }
  void TearDown() override {
    FForm.reset();
    ResetScreenConfiguration();
    RootTest::TearDown();
  }
  // Grabs the caption and drags the form by (DX, DY) in a few steps.
  void DragBy(Integer DX, Integer DY) {
    const TPoint grab(FForm->Left() + FForm->Width() / 2, FForm->Top() + 8);
    InputMouseMove(grab.X, grab.Y);
    InputMouseDown(VK_LBUTTON);
    for (Integer i = 1; i <= 4; ++i) InputMouseMove(grab.X + DX * i / 4, grab.Y + DY * i / 4);
    InputMouseUp(VK_LBUTTON);
    usertest::Pump();
  }
  void PointerAt(Integer X, Integer Y) {
    InputMouseMove(X, Y);
    usertest::Pump();
  }
  std::unique_ptr<TForm> FForm;
  TQnQQAlign* FAlign = nullptr;
};

TEST_F(uQnQQAlign, TopEdgeAwayFromTheCornersDocksHidesAndComesBack) {
  EXPECT_TRUE(FAlign->Active());
  EXPECT_EQ(FAlign->Anchors(), TAnchors{akTop});
  EXPECT_FALSE(FAlign->Polling());
  DragBy(0, -300);
  EXPECT_EQ(FForm->Top(), 0);  // held at the edge, not dragged past it
  EXPECT_EQ(FForm->Left(), 300);
  EXPECT_EQ(FAlign->CurAnchors(), TAnchors{akTop});
  EXPECT_TRUE(FAlign->Polling());

  // The pointer away: hidden to its 2-pixel strip within one poll.
  PointerAt(800, 600);
  Wait(30);
  EXPECT_EQ(FForm->Top(), 2 - FForm->Height());
  RECT r;
  GetWindowRect(FForm->Handle(), &r);
  EXPECT_EQ(r.Bottom, 2);
  // Wandering elsewhere keeps it there.
  PointerAt(100, 400);
  Wait(60);
  EXPECT_EQ(FForm->Top(), 2 - FForm->Height());

  // Back over the strip: shown at the edge again.
  PointerAt(450, 1);
  Wait(30);
  EXPECT_EQ(FForm->Top(), 0);
  // Over a point of the client area it stays.
  PointerAt(450, 100);
  Wait(60);
  EXPECT_EQ(FForm->Top(), 0);

  // Dragged away from every edge: undocked, and the poll stops.
  DragBy(0, 150);
  EXPECT_EQ(FForm->Top(), 150);
  EXPECT_TRUE(FAlign->CurAnchors().Empty());
  EXPECT_FALSE(FAlign->Polling());
  PointerAt(900, 700);
  Wait(60);
  EXPECT_EQ(FForm->Top(), 150);
}

TEST_F(uQnQQAlign, AFormShownAtTheEdgeIsDockedWithoutADrag) {
  FForm->Hide();
  FForm->SetBounds(200, 0, 300, 200);
  EXPECT_FALSE(FAlign->Polling());
  FForm->Show();
  usertest::Pump();
  EXPECT_EQ(FAlign->CurAnchors(), TAnchors{akTop});
  EXPECT_TRUE(FAlign->Polling());
  PointerAt(900, 700);
  Wait(30);
  EXPECT_EQ(FForm->Top(), 2 - FForm->Height());
}

TEST_F(uQnQQAlign, AtTheTopLeftCornerTheLeftEdgeCountsAndTheFormStays) {
  DragBy(-300, -300);
  EXPECT_EQ(FForm->Top(), 0);
  EXPECT_EQ(FForm->Left(), 0);
  EXPECT_EQ(FAlign->CurAnchors(), TAnchors{akLeft});
  PointerAt(900, 700);
  Wait(90);
  // akLeft is not allowed, so nothing hides.
  EXPECT_EQ(FForm->Top(), 0);
  EXPECT_EQ(FForm->Left(), 0);
}

TEST_F(uQnQQAlign, LeftAndRightEdgesHoldAndHideSideways) {
  FAlign->SetAnchors(TAnchors{akLeft});
  DragBy(-500, 0);
  EXPECT_EQ(FForm->Left(), 0);
  EXPECT_TRUE(FAlign->CurAnchors().Contains(akLeft));
  PointerAt(900, 700);
  Wait(30);
  EXPECT_EQ(FForm->Left(), 2 - FForm->Width());
  PointerAt(1, 300);
  Wait(30);
  EXPECT_EQ(FForm->Left(), 0);

  FAlign->SetAnchors(TAnchors{akRight});
  DragBy(900, 0);
  EXPECT_EQ(FForm->Left(), 1024 - FForm->Width());
  EXPECT_TRUE(FAlign->CurAnchors().Contains(akRight));
  PointerAt(100, 700);
  Wait(30);
  EXPECT_EQ(FForm->Left(), 1022);
  PointerAt(1023, 300);
  Wait(30);
  EXPECT_EQ(FForm->Left(), 1024 - FForm->Width());
}

TEST_F(uQnQQAlign, InactiveNeitherDocksNorPolls) {
  DragBy(0, -300);
  PointerAt(800, 600);
  Wait(30);
  ASSERT_EQ(FForm->Top(), 2 - FForm->Height());
  FAlign->SetActive(false);
  EXPECT_FALSE(FAlign->Polling());
  // Hidden at the edge, it stays there.
  PointerAt(450, 1);
  Wait(90);
  EXPECT_EQ(FForm->Top(), 2 - FForm->Height());

  // Back on: judged where it stands, docked and polled again.
  FForm->SetTop(120);
  FAlign->SetActive(true);
  EXPECT_FALSE(FAlign->Polling());
  FAlign->SetActive(false);
  DragBy(0, -300);
  EXPECT_LT(FForm->Top(), 0);  // nothing holds it
  EXPECT_FALSE(FAlign->Polling());
}

TEST_F(uQnQQAlign, AMaximisedFormIsLeftAlone) {
  DragBy(0, -300);
  ASSERT_TRUE(FAlign->Polling());
  FForm->SetWindowState(wsMaximized);
  usertest::Pump();
  const TRect maxed = FForm->BoundsRect();
  PointerAt(800, 600);
  Wait(90);
  EXPECT_EQ(FForm->BoundsRect(), maxed);
}

TEST_F(uQnQQAlign, TaskBarAtTheTopMovesTheEdge) {
  SetScreenConfiguration({{TRect(0, 0, 1024, 768), TRect(0, 40, 1024, 768), true}});
  usertest::Pump();
  DragBy(0, -300);
  EXPECT_EQ(FForm->Top(), 40);
  EXPECT_EQ(FAlign->CurAnchors(), TAnchors{akTop});
  PointerAt(800, 600);
  Wait(30);
  EXPECT_EQ(FForm->Top(), 42 - FForm->Height());
  PointerAt(450, 41);
  Wait(30);
  EXPECT_EQ(FForm->Top(), 40);
}

TEST_F(uQnQQAlign, SecondMonitorLeftOfTheFirstDocksToItsOwnEdges) {
  // The second monitor stands higher; its work area ends 40 pixels above
  // its bottom.
  SetScreenConfiguration({{TRect(0, 0, 1024, 768), TRect(), true}, {TRect(-800, -100, 0, 500), TRect(), false}});
  usertest::Pump();
  DragBy(-700, 0);  // onto the second monitor
  ASSERT_LT(FForm->Left() + FForm->Width(), 0);
  FAlign->SetAnchors(TAnchors{akTop, akRight});
  DragBy(0, -400);
  EXPECT_EQ(FForm->Top(), -100);
  EXPECT_EQ(FAlign->CurAnchors(), TAnchors{akTop});
  PointerAt(-700, 400);
  Wait(30);
  EXPECT_EQ(FForm->Top(), -98 - FForm->Height());
  PointerAt(FForm->Left() + 100, -99);
  Wait(30);
  EXPECT_EQ(FForm->Top(), -100);

  // Its right edge borders the first monitor: held there, and hidden onto
  // the first monitor but for the strip, judged by the second's edge.
  DragBy(0, 200);
  DragBy(200, 0);
  EXPECT_EQ(FForm->Left(), -FForm->Width());
  EXPECT_TRUE(FAlign->CurAnchors().Contains(akRight));
  PointerAt(-700, 400);
  Wait(30);
  EXPECT_EQ(FForm->Left(), -2);
  PointerAt(-1, FForm->Top() + 50);
  Wait(30);
  EXPECT_EQ(FForm->Left(), -FForm->Width());
}

class TCounter : public TObject {
 public:
  Integer Seen = 0;
};

TEST_F(uQnQQAlign, RemovedInEitherOrderWithAnotherHookOnTheForm) {
  for (int order = 0; order < 2; ++order) {
    auto form = std::make_unique<TForm>(nullptr);
    form->SetPosition(poDesigned);
    form->SetBorderStyle(bsSingle);
    form->SetBounds(300, 200, 300, 200);
    auto* align = new TQnQQAlign(form.get());
    TCounter counter;
    std::unique_ptr<TWindowProcHook> other;
    other = HookWindowProc(form.get(), [&](TMessage& M) {
      ++counter.Seen;
      other->CallNext(M);
    });
    form->Show();
    usertest::Pump();
    EXPECT_EQ(WindowProcHookCount(form.get()), 2);
    if (order == 0) {
      delete align;
      SendMessageW(form->Handle(), WM_NULL, 0, 0);
      other.reset();
    } else {
      other.reset();
      SendMessageW(form->Handle(), WM_NULL, 0, 0);
      // A drag still works through the remaining link.
      RECT r = TRect(300, -50, 600, 150);
      SendMessageW(form->Handle(), WM_MOVING, 0, reinterpret_cast<LPARAM>(&r));
      EXPECT_EQ(r.Top, 0);
      delete align;
    }
    EXPECT_EQ(WindowProcHookCount(form.get()), 0);
    const Integer before = counter.Seen;
    SendMessageW(form->Handle(), WM_NULL, 0, 0);
    form->SetTop(-30);
    usertest::Pump();
    EXPECT_EQ(counter.Seen, before);
    EXPECT_EQ(form->Top(), -30);
  }
}

TEST_F(uQnQQAlign, OnlyAFormCanOwnIt) {
  EXPECT_THROW(TQnQQAlign(nullptr), EComponentError);
  TComponent holder(nullptr);
  EXPECT_THROW(new TQnQQAlign(&holder), EComponentError);
  EXPECT_EQ(holder.ComponentCount(), 0);
}

}  // namespace

}  // namespace t_u_qn_qqalign_test
