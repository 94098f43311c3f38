// The component messages and what they do: text, font and colour
// propagation, enabled/visible/showing, CM_CANCELMODE, wheel bubbling,
// z-order, canvases outside painting, auto-size and scrolling.
#include <gtest/gtest.h>

#include <map>

#include "tests/platform/vcl/ControlsTestSupport.h"

namespace t_controls_messages_test {

using namespace vcl;
using namespace controlstest;

namespace {

class Platform_Controls_Messages : public ControlsTest {
 protected:
  void SetUp() override {
    ControlsTest::SetUp();
    host = Host(100, 100, 400, 300);
    root = new TBox(nullptr);
    root->SetName(u"root");
    root->SetBounds(0, 0, 400, 300);
    root->SetColor(clWhite);
    root->SetParentWindow(host);
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
  // Counts the messages a control's WindowProc sees.
  static void Count(TControl* c, std::map<UINT, int>& counts) {
    TWndMethod old = c->WindowProc();
    c->SetWindowProc([&counts, old](TMessage& m) {
      ++counts[m.Msg];
      old(m);
    });
  }
  static uint32_t Pixel(HWND h, int x, int y) { return CaptureWindow(h).Pixel(x, y) & 0xFFFFFF; }

  HWND host = nullptr;
  TBox* root = nullptr;
};

TEST_F(Platform_Controls_Messages, TextChangesAndCaptionsFollowingTheName) {
  auto* box = Make<TBox>(root, u"box", Bounds(0, 0, 50, 50));
  auto* spot = Make<TSpot>(root, u"spot", Bounds(60, 0, 50, 50));
  std::map<UINT, int> boxMsgs, spotMsgs;
  Count(box, boxMsgs);
  Count(spot, spotMsgs);
  box->SetText(u"one");
  box->SetText(u"one");
  spot->SetCaption(u"two");
  EXPECT_EQ(boxMsgs[CM_TEXTCHANGED], 1);
  EXPECT_EQ(spotMsgs[CM_TEXTCHANGED], 1);
  EXPECT_EQ(GetWindowText(box->Handle()), u"one");
  EXPECT_EQ(spot->GetTextLen(), 3);
  Char buf[3];
  EXPECT_EQ(spot->GetTextBuf(buf, 3), 2);
  EXPECT_EQ(String(buf), u"tw");

  // csSetCaption: the caption follows the name while they are equal.
  spot->SetControlStyle(spot->ControlStyle() + TControlStyle{csSetCaption});
  spot->SetCaption(u"spot");
  spot->SetName(u"spot2");
  EXPECT_EQ(spot->Caption(), u"spot2");
  spot->SetCaption(u"own");
  spot->SetName(u"spot3");
  EXPECT_EQ(spot->Caption(), u"own");
  box->SetName(u"box2");  // no csSetCaption
  EXPECT_EQ(box->Caption(), u"one");
  box->SetWindowProc(nullptr);
  spot->SetWindowProc(nullptr);
}

TEST_F(Platform_Controls_Messages, FontAndColourFlowFromParentsUntilSetLocally) {
  auto* panel = Make<TBox>(root, u"panel", Bounds(0, 0, 200, 200));
  auto* inner = Make<TSpot>(panel, u"inner", Bounds(0, 0, 20, 20));
  auto* own = Make<TSpot>(panel, u"own", Bounds(30, 0, 20, 20));
  own->Font()->SetName(u"Courier New");
  EXPECT_FALSE(own->ParentFont());
  own->SetColor(clRed);
  EXPECT_FALSE(own->ParentColor());

  root->Font()->SetHeight(-20);
  root->SetColor(clYellow);
  EXPECT_EQ(panel->Font()->Height(), -20);
  EXPECT_EQ(inner->Font()->Height(), -20);
  EXPECT_TRUE(inner->ParentFont());
  EXPECT_EQ(inner->Color(), clYellow);
  EXPECT_TRUE(inner->ParentColor());
  EXPECT_EQ(own->Font()->Height(), -11);
  EXPECT_EQ(own->Color(), clRed);
  // The windowed panel's background brush follows its colour.
  EXPECT_EQ(panel->Brush()->Color(), clYellow);

  own->SetParentFont(true);
  own->SetParentColor(true);
  EXPECT_EQ(own->Font()->Name(), root->Font()->Name());
  EXPECT_EQ(own->Font()->Height(), -20);
  EXPECT_EQ(own->Color(), clYellow);

  // A new child takes its parent's look when it joins.
  auto* late = new TSpot(nullptr);
  late->SetParent(panel);
  EXPECT_EQ(late->Font()->Height(), -20);
  EXPECT_EQ(late->Color(), clYellow);
}

TEST_F(Platform_Controls_Messages, EnabledVisibleAndShowing) {
  auto* panel = Make<TBox>(root, u"panel", Bounds(0, 0, 200, 200));
  auto* child = Make<TBox>(panel, u"child", Bounds(10, 10, 50, 50));
  auto* spot = Make<TSpot>(panel, u"spot", Bounds(100, 10, 50, 50));
  EXPECT_TRUE(child->Showing());
  EXPECT_TRUE(IsWindowVisible(child->Handle()));

  panel->Hide();
  EXPECT_FALSE(panel->Showing());
  EXPECT_FALSE(child->Showing());
  EXPECT_FALSE(IsWindowVisible(child->Handle()));
  EXPECT_TRUE(child->Visible());
  panel->Show();
  EXPECT_TRUE(child->Showing());
  EXPECT_TRUE(IsWindowVisible(child->Handle()));

  // A control made invisible before its parent shows gets no window.
  auto* later = new TBox(nullptr);
  later->SetVisible(false);
  later->SetParent(panel);
  EXPECT_FALSE(later->HandleAllocated());

  child->SetEnabled(false);
  EXPECT_FALSE(IsWindowEnabled(child->Handle()));
  child->SetEnabled(true);
  EXPECT_TRUE(IsWindowEnabled(child->Handle()));
  // Disabled windowless controls are passed over by hit-testing unless asked.
  spot->SetEnabled(false);
  EXPECT_EQ(panel->ControlAtPos(TPoint(110, 20), false), nullptr);
  EXPECT_EQ(panel->ControlAtPos(TPoint(110, 20), true), spot);
  EXPECT_EQ(panel->ControlAtPos(TPoint(20, 20), false, true), child);
  EXPECT_EQ(root->ControlAtPos(TPoint(20, 20), false, true, true), child);
}

TEST_F(Platform_Controls_Messages, APressCancelsModesOfTheFocusedControl) {
  auto* focused = Make<TBox>(root, u"focused", Bounds(0, 0, 50, 50));
  auto* spot = Make<TSpot>(root, u"spot", Bounds(100, 100, 50, 50));
  TControl* cancelledBy = nullptr;
  int cancels = 0;
  TWndMethod old = focused->WindowProc();
  focused->SetWindowProc([&, old](TMessage& m) {
    if (m.Msg == CM_CANCELMODE) {
      ++cancels;
      cancelledBy = MessageControl(m);
    }
    old(m);
  });
  focused->SetFocus();
  InputMouseMove(220, 220);
  InputMouseDown(VK_LBUTTON);
  InputMouseUp(VK_LBUTTON);
  Pump();
  EXPECT_EQ(cancels, 1);
  EXPECT_EQ(cancelledBy, spot);
  focused->SetWindowProc(nullptr);
}

TEST_F(Platform_Controls_Messages, WheelTurnsBubbleUpUntilHandled) {
  auto* panel = Make<TBox>(root, u"panel", Bounds(0, 0, 200, 200));
  auto* child = Make<TBox>(panel, u"child", Bounds(10, 10, 50, 50));
  std::vector<std::string> seen;
  bool panelTakes = true;
  panel->SetOnMouseWheel([&](TObject*, TShiftState, Integer delta, TPoint, bool& handled) {
    seen.push_back("panel " + std::to_string(delta));
    handled = panelTakes;
  });
  root->SetOnMouseWheelDown([&](TObject*, TShiftState, TPoint, bool& handled) {
    seen.push_back("root down");
    handled = true;
  });
  child->SetFocus();
  InputMouseMove(130, 130);
  InputMouseWheel(-WHEEL_DELTA);
  Pump();
  EXPECT_EQ(seen, (std::vector<std::string>{"panel -120"}));
  panelTakes = false;
  seen.clear();
  InputMouseWheel(-WHEEL_DELTA);
  Pump();
  EXPECT_EQ(seen, (std::vector<std::string>{"panel -120", "root down"}));
}

TEST_F(Platform_Controls_Messages, ZOrderDecidesWhatIsOnTop) {
  auto* red = Make<TSpot>(root, u"red", Bounds(10, 10, 50, 50));
  red->SetColor(clRed);
  auto* lime = Make<TSpot>(root, u"lime", Bounds(30, 30, 50, 50));
  lime->SetColor(clLime);
  Pump();
  EXPECT_EQ(Pixel(root->Handle(), 40, 40), 0x00FF00u);
  red->BringToFront();
  Pump();
  EXPECT_EQ(Pixel(root->Handle(), 40, 40), 0xFF0000u);
  EXPECT_EQ(root->ControlAtPos(TPoint(40, 40), false), red);
  EXPECT_EQ(root->Controls(1), red);

  auto* w1 = Make<TBox>(root, u"w1", Bounds(100, 10, 50, 50));
  w1->SetColor(clBlue);
  auto* w2 = Make<TBox>(root, u"w2", Bounds(120, 30, 50, 50));
  w2->SetColor(clYellow);
  Pump();
  EXPECT_EQ(Pixel(root->Handle(), 130, 40), 0xFFFF00u);
  w2->SendToBack();
  Pump();
  EXPECT_EQ(Pixel(root->Handle(), 130, 40), 0x0000FFu);
  EXPECT_EQ(GetWindow(root->Handle(), GW_CHILD), w1->Handle());
  // Windows stay above the windowless controls whatever their order.
  lime->SetBounds(100, 100, 100, 100);
  lime->BringToFront();
  w1->SetBounds(150, 150, 20, 20);
  Pump();
  EXPECT_EQ(Pixel(root->Handle(), 160, 160), 0x0000FFu);
}

TEST_F(Platform_Controls_Messages, CanvasesDrawOutsidePainting) {
  auto* box = Make<TBox>(root, u"box", Bounds(10, 10, 100, 100));
  auto* spot = Make<TSpot>(root, u"spot", Bounds(200, 50, 40, 40));
  Pump();
  box->Canvas()->Brush()->SetColor(clBlue);
  box->Canvas()->FillRect(TRect(0, 0, 10, 10));
  // The graphic control draws on its parent's window, at its place and
  // clipped to it.
  spot->Canvas()->Brush()->SetColor(clRed);
  spot->Canvas()->FillRect(TRect(-20, -20, 100, 100));
  EXPECT_EQ(Pixel(box->Handle(), 5, 5), 0x0000FFu);
  EXPECT_EQ(Pixel(root->Handle(), 205, 55), 0xFF0000u);
  EXPECT_EQ(Pixel(root->Handle(), 199, 55), 0xFFFFFFu);
  EXPECT_EQ(Pixel(root->Handle(), 245, 55), 0xFFFFFFu);
  // The DCs go back after the current message; the canvases work on.
  FreeDeviceContexts();
  EXPECT_FALSE(box->Canvas()->HandleAllocated());
  spot->Canvas()->FillRect(TRect(0, 0, 1, 1));
  FreeDeviceContexts();
}

TEST_F(Platform_Controls_Messages, AutoSizeHoldsTheChildrenAndScrollByMovesThem) {
  auto* panel = Make<TBox>(root, u"panel", Bounds(0, 0, 50, 50));
  auto* a = Make<TSpot>(panel, u"a", Bounds(10, 10, 100, 20));
  auto* b = Make<TBox>(panel, u"b", Bounds(20, 60, 30, 40));
  panel->SetAutoSize(true);
  EXPECT_EQ(panel->BoundsRect(), Bounds(0, 0, 110, 100));
  a->SetWidth(150);
  EXPECT_EQ(panel->Width(), 160);
  panel->SetAutoSize(false);

  panel->ScrollBy(-5, 7);
  EXPECT_EQ(a->BoundsRect(), Bounds(5, 17, 150, 20));
  EXPECT_EQ(b->BoundsRect(), Bounds(15, 67, 30, 40));
  RECT r;
  GetWindowRect(b->Handle(), &r);
  MapWindowPoints(nullptr, panel->Handle(), reinterpret_cast<POINT*>(&r), 2);
  EXPECT_EQ(r, Bounds(15, 67, 30, 40));
}

}  // namespace

}  // namespace t_controls_messages_test
