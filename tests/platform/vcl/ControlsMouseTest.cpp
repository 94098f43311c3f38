// Mouse handling: hover tracking with CM_MOUSEENTER/CM_MOUSELEAVE, clicks,
// double clicks and capture as the control styles ask for them.
#include <gtest/gtest.h>

#include <map>

#include "tests/platform/vcl/ControlsTestSupport.h"

namespace t_controls_mouse_test {

using namespace vcl;
using namespace controlstest;

namespace {

class Platform_Controls_Mouse : public ControlsTest {
 protected:
  // Host at (100, 100); root fills it; A (windowed) holds A1 (windowless);
  // B is windowless on the root; C is windowed on the root.
  void SetUp() override {
    ControlsTest::SetUp();
    host = Host(100, 100, 400, 300);
    root = new TBox(nullptr);
    root->SetName(u"root");
    root->SetBounds(0, 0, 400, 300);
    root->SetParentWindow(host);
    A = Make<TBox>(root, u"A", Bounds(10, 10, 100, 100));
    A1 = Make<TSpot>(A, u"A1", Bounds(10, 10, 30, 30));
    B = Make<TSpot>(root, u"B", Bounds(200, 10, 50, 50));
    C = Make<TBox>(root, u"C", Bounds(200, 150, 100, 100));
    Pump();
  }
  void TearDown() override {
    delete root;
    ControlsTest::TearDown();
  }
  template <class T>
  T* Make(TWinControl* parent, const char16_t* name, TRect r) {
    auto* c = new T(nullptr);
    c->SetName(name);
    c->SetBoundsRect(r);
    c->SetParent(parent);
    return c;
  }
  static std::string N(TControl* c) { return c ? ToUtf8(c->Name()) : "nil"; }
  // Records enter/leave events and what each parent heard forwarded.
  void WatchHover(std::vector<std::string>& log) {
    for (TControl* c : std::initializer_list<TControl*>{root, A, A1, B, C}) {
      c->SetOnMouseEnter([&log, c](TObject*) { log.push_back("enter " + N(c)); });
      c->SetOnMouseLeave([&log, c](TObject*) { log.push_back("leave " + N(c)); });
    }
    TWndMethod old = root->WindowProc();
    root->SetWindowProc([&log, old](TMessage& m) {
      if ((m.Msg == CM_MOUSEENTER || m.Msg == CM_MOUSELEAVE) && m.LParam)
        log.push_back(std::string(m.Msg == CM_MOUSEENTER ? "root heard enter " : "root heard leave ") +
                      N(MessageControl(m)));
      old(m);
    });
  }
  // A leave message that the input stage posts is read on the next round.
  void Move(int x, int y) {
    InputMouseMove(x, y);
    Pump();
    Pump();
  }
  void Click(int button = VK_LBUTTON) {
    InputMouseDown(button);
    InputMouseUp(button);
    Pump();
  }

  HWND host = nullptr;
  TBox* root = nullptr;
  TBox* A = nullptr;
  TSpot* A1 = nullptr;
  TSpot* B = nullptr;
  TBox* C = nullptr;
};

TEST_F(Platform_Controls_Mouse, EnterAndLeaveFollowThePointerAcrossNestedControls) {
  std::vector<std::string> log;
  WatchHover(log);
  Move(105, 105);  // the root itself
  EXPECT_EQ(MouseControl(), root);
  Move(130, 130);  // A1, inside A
  EXPECT_EQ(MouseControl(), A1);
  Move(180, 180);  // A, outside A1
  Move(320, 130);  // B, windowless on the root
  Move(350, 300);  // C, a window
  EXPECT_EQ(MouseControl(), C);
  std::vector<std::string> want = {
      "enter root",
      "leave root", "enter A1", "root heard enter A1",
      "leave A1", "root heard leave A1", "enter A", "root heard enter A",
      "leave A", "root heard leave A", "enter B", "root heard enter B",
      "leave B", "root heard leave B", "enter C", "root heard enter C",
  };
  EXPECT_EQ(log, want);

  // Leaving every window: the window that tracked the pointer reports it.
  log.clear();
  Move(320, 130);
  log.clear();
  Move(20, 20);
  EXPECT_EQ(MouseControl(), nullptr);
  EXPECT_EQ(log, (std::vector<std::string>{"leave B", "root heard leave B"}));

  // Idle processing notices a control that moved under a still pointer.
  log.clear();
  Move(160, 160);  // A
  log.clear();
  A1->SetBounds(40, 40, 30, 30);  // now under the pointer (A's client 50,50)
  DoMouseIdle();
  EXPECT_EQ(MouseControl(), A1);
  EXPECT_EQ(log, (std::vector<std::string>{"leave A", "root heard leave A", "enter A1", "root heard enter A1"}));

  // A control that goes is forgotten, without a late CM_MOUSELEAVE.
  log.clear();
  delete A1;
  A1 = nullptr;
  EXPECT_EQ(MouseControl(), nullptr);
  EXPECT_TRUE(log.empty());
}

TEST_F(Platform_Controls_Mouse, ClickNeedsPressAndReleaseInsideWithClickEvents) {
  std::map<std::string, int> clicks;
  for (TControl* c : std::initializer_list<TControl*>{A, B, C})
    c->SetOnClick([&clicks, c](TObject*) { ++clicks[N(c)]; });
  A->SetControlStyle(A->ControlStyle() + TControlStyle{csClickEvents, csCaptureMouse});
  B->SetControlStyle(B->ControlStyle() + TControlStyle{csClickEvents, csCaptureMouse});
  // C has no csClickEvents: presses are only presses.

  Move(150, 150);
  Click();
  Move(320, 130);
  Click();
  Move(350, 300);
  Click();
  EXPECT_EQ(clicks, (std::map<std::string, int>{{"A", 1}, {"B", 1}}));

  // Pressed inside, released outside: no click, for windows and windowless
  // controls alike (the capture brings the release back to them).
  for (auto [x, y] : {std::pair{150, 150}, std::pair{320, 130}}) {
    Move(x, y);
    InputMouseDown(VK_LBUTTON);
    Pump();
    Move(450, 380);
    InputMouseUp(VK_LBUTTON);
    Pump();
  }
  EXPECT_EQ(clicks, (std::map<std::string, int>{{"A", 1}, {"B", 1}}));

  // Pressed, wandered off and came back: a click.
  Move(320, 130);
  InputMouseDown(VK_LBUTTON);
  Pump();
  Move(450, 380);
  Move(321, 131);
  InputMouseUp(VK_LBUTTON);
  Pump();
  EXPECT_EQ(clicks["B"], 2);

  // The right button never clicks.
  Move(150, 150);
  Click(VK_RBUTTON);
  EXPECT_EQ(clicks["A"], 1);
}

TEST_F(Platform_Controls_Mouse, DoubleClicksOnlyWithDoubleClicksStyle) {
  SetVirtualClock(true);
  struct Count {
    int clicks = 0, dbl = 0, downs = 0, doubleDowns = 0;
  };
  std::map<std::string, Count> n;
  for (TControl* c : std::initializer_list<TControl*>{A, B, C}) {
    c->SetControlStyle(c->ControlStyle() + TControlStyle{csClickEvents});
    c->SetOnClick([&n, c](TObject*) { ++n[N(c)].clicks; });
    c->SetOnDblClick([&n, c](TObject*) { ++n[N(c)].dbl; });
    c->SetOnMouseDown([&n, c](TObject*, TMouseButton, TShiftState s, Integer, Integer) {
      ++n[N(c)].downs;
      if (s.Contains(ssDouble)) ++n[N(c)].doubleDowns;
    });
  }
  A->SetControlStyle(A->ControlStyle() + TControlStyle{csDoubleClicks});
  B->SetControlStyle(B->ControlStyle() + TControlStyle{csDoubleClicks});

  for (auto [x, y] : {std::pair{150, 150}, std::pair{320, 130}, std::pair{350, 300}}) {
    Move(x, y);
    Click();
    Click();
    AdvanceClock(2000);
  }
  // With the style: one click, one double click, the second press marked.
  EXPECT_EQ(n["A"].clicks, 1);
  EXPECT_EQ(n["A"].dbl, 1);
  EXPECT_EQ(n["A"].doubleDowns, 1);
  EXPECT_EQ(n["B"].clicks, 1);
  EXPECT_EQ(n["B"].dbl, 1);
  EXPECT_EQ(n["B"].downs, 2);
  // Without it: two plain clicks.
  EXPECT_EQ(n["C"].clicks, 2);
  EXPECT_EQ(n["C"].dbl, 0);
  EXPECT_EQ(n["C"].downs, 2);
  EXPECT_EQ(n["C"].doubleDowns, 0);
}

TEST_F(Platform_Controls_Mouse, PressCapturesOnlyWithCaptureMouse) {
  A->SetControlStyle(A->ControlStyle() + TControlStyle{csCaptureMouse});
  B->SetControlStyle(B->ControlStyle() + TControlStyle{csCaptureMouse});
  std::vector<TPoint> moves;
  A->SetOnMouseMove([&](TObject*, TShiftState, Integer x, Integer y) { moves.push_back(TPoint(x, y)); });

  Move(150, 150);
  InputMouseDown(VK_LBUTTON);
  Pump();
  EXPECT_EQ(GetCapture(), A->Handle());
  EXPECT_TRUE(A->MouseCapture());
  EXPECT_EQ(GetCaptureControl(), A);
  moves.clear();
  Move(450, 380);  // far outside A: still reported to A, in A's coordinates
  ASSERT_FALSE(moves.empty());
  EXPECT_EQ(moves.back(), TPoint(340, 270));
  InputMouseUp(VK_LBUTTON);
  Pump();
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_FALSE(A->MouseCapture());

  // A windowless control captures through its parent's window.
  std::vector<TPoint> bMoves;
  B->SetOnMouseMove([&](TObject*, TShiftState, Integer x, Integer y) { bMoves.push_back(TPoint(x, y)); });
  Move(320, 130);
  InputMouseDown(VK_LBUTTON);
  Pump();
  EXPECT_EQ(GetCapture(), root->Handle());
  EXPECT_EQ(GetCaptureControl(), B);
  EXPECT_TRUE(B->MouseCapture());
  Move(150, 150);  // over A, but B has the mouse
  ASSERT_FALSE(bMoves.empty());
  EXPECT_EQ(bMoves.back(), TPoint(-150, 40));
  InputMouseUp(VK_LBUTTON);
  Pump();
  EXPECT_EQ(GetCaptureControl(), nullptr);

  // Without the style a press takes nothing.
  Move(350, 300);
  InputMouseDown(VK_LBUTTON);
  Pump();
  EXPECT_EQ(GetCapture(), nullptr);
  InputMouseUp(VK_LBUTTON);
  Pump();
}

}  // namespace

}  // namespace t_controls_mouse_test
