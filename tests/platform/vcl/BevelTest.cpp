// The frame members of windowed controls: the room bevels and BorderWidth
// take and the pixels they leave, Ctl3D's client edge or flat border and
// its inheritance, and OnMouseActivate's say over activation.
#include <memory>

#include "platform/gdi/Gdi.h"
#include "tests/platform/vcl/ControlsTestSupport.h"
#include "tests/platform/vcl/FormsTestSupport.h"

namespace t_bevel_test {

using namespace vcl;
using namespace controlstest;

namespace {

// Paints its client area white, so the frame (in its colour) stands apart.
class TFramed : public TBox {
  QN_CLASS(TFramed, TBox)
 public:
  explicit TFramed(TComponent* AOwner) : TBox(AOwner) { SetColor(clYellow); }

 protected:
  void Paint() override {
    Canvas()->Brush()->SetColor(clWhite);
    Canvas()->FillRect(ClientRect());
  }
};

uint32_t Sys(int index) {
  COLORREF c = GetSysColor(index);
  return (uint32_t(GetRValue(c)) << 16) | (uint32_t(GetGValue(c)) << 8) | GetBValue(c);
}

class Platform_Bevel : public ControlsTest {
 protected:
  void SetUp() override {
    ControlsTest::SetUp();
    host = Host(100, 100, 400, 300);
    root = new TBox(nullptr);
    root->SetBounds(0, 0, 400, 300);
    root->SetColor(clBlue);
    root->SetParentWindow(host);
  }
  void TearDown() override {
    delete root;
    ControlsTest::TearDown();
  }
  TFramed* Make(DWORD exStyle = 0) {
    auto* c = new TFramed(nullptr);
    c->ExtraExStyle = exStyle;
    c->SetBounds(20, 20, 120, 90);
    c->SetParent(root);
    return c;
  }
  uint32_t At(TWinControl* c, int x, int y) {
    RedrawWindow(c->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_UPDATENOW);
    Pump();
    TScreenImage img = CaptureWindow(c->Handle());
    return img.Pixel(x, y) & 0xFFFFFF;
  }
  HWND host = nullptr;
  TBox* root = nullptr;
};

// The colour the outer (or lone) ring puts on the top-left of each kind.
uint32_t TopLeftOf(TBevelKind kind, TBevelCut cut, bool outer) {
  if (kind == bkFlat) return outer ? Sys(COLOR_BTNSHADOW) : Sys(COLOR_BTNFACE);
  bool soft = kind == bkSoft;
  if (outer) return cut == bvLowered ? Sys(soft ? COLOR_3DDKSHADOW : COLOR_3DSHADOW)
                                     : Sys(soft ? COLOR_3DHILIGHT : COLOR_3DLIGHT);
  return cut == bvLowered ? Sys(soft ? COLOR_3DSHADOW : COLOR_3DDKSHADOW) : Sys(soft ? COLOR_3DLIGHT : COLOR_3DHILIGHT);
}

TEST_F(Platform_Bevel, EveryKindTakesItsRoomAndDrawsItsEdgesInsideTheBorderBand) {
  const TBevelKind kinds[] = {bkNone, bkTile, bkSoft, bkFlat};
  const TBevelCut cuts[] = {bvNone, bvLowered, bvRaised, bvSpace};
  const TBevelEdges edgeSets[] = {TBevelEdges{beLeft, beTop, beRight, beBottom}, TBevelEdges{beLeft, beBottom}};
  int checked = 0;
  for (TBevelKind kind : kinds)
    for (TBevelCut inner : cuts)
      for (TBevelCut outer : cuts)
        for (const TBevelEdges& edges : edgeSets)
          for (int width : {1, 3})
            for (int border : {0, 2}) {
              SCOPED_TRACE(testing::Message() << "kind " << int(kind) << " inner " << int(inner) << " outer "
                                              << int(outer) << " width " << width << " border " << border
                                              << " edges " << (edges.Contains(beTop) ? "all" : "left+bottom"));
              TFramed* c = Make();
              c->SetBevelKind(kind);
              c->SetBevelInner(inner);
              c->SetBevelOuter(outer);
              c->SetBevelEdges(edges);
              c->SetBevelWidth(width);
              c->SetBorderWidth(border);
              // The room, from a plain reading of the rule.
              int e = kind == bkNone ? 0 : (inner != bvNone ? width : 0) + (outer != bvNone ? width : 0);
              int l = border + (edges.Contains(beLeft) ? e : 0), t = border + (edges.Contains(beTop) ? e : 0);
              int r = border + (edges.Contains(beRight) ? e : 0), b = border + (edges.Contains(beBottom) ? e : 0);
              TRect cr = c->ClientRect();
              EXPECT_EQ(cr.Width(), 120 - l - r);
              EXPECT_EQ(cr.Height(), 90 - t - b);
              TPoint origin = c->ClientToScreen(TPoint(0, 0));
              RECT wr;
              GetWindowRect(c->Handle(), &wr);
              EXPECT_EQ(TPoint(origin.X - wr.Left, origin.Y - wr.Top), TPoint(l, t));
              // The client keeps its own pixels.
              EXPECT_EQ(At(c, l + 5, t + 5), 0xFFFFFFu);
              // The outermost pixel of the left edge, half way down.
              if (l > 0) {
                uint32_t want = 0xFFFF00;  // the control's colour: BorderWidth, or a bevel that draws nothing
                bool drawsOuter = outer == bvLowered || outer == bvRaised;
                bool drawsInner = inner == bvLowered || inner == bvRaised;
                if (kind != bkNone && drawsOuter) want = TopLeftOf(kind, outer, true);
                else if (kind != bkNone && drawsInner) want = TopLeftOf(kind, inner, false);
                EXPECT_EQ(At(c, 0, 45), want);
              }
              delete c;
              ++checked;
            }
  EXPECT_EQ(checked, 4 * 4 * 4 * 2 * 2 * 2);
}

TEST_F(Platform_Bevel, BevelsChangeWithTheWindowAndTheBorderSitsInsideTheClientEdge) {
  TFramed* c = Make(WS_EX_CLIENTEDGE);
  int edge = GetSystemMetrics(SM_CXEDGE);
  EXPECT_EQ(c->ClientRect().Width(), 120 - 2 * edge);
  EXPECT_EQ(At(c, edge + 1, 45), 0xFFFFFFu);  // shown once before the frame changes
  c->SetBorderWidth(4);
  EXPECT_EQ(c->ClientRect().Width(), 120 - 2 * edge - 8);
  // The band is inside the client edge, in the control's colour.
  EXPECT_EQ(At(c, edge + 1, 45), 0xFFFF00u);
  EXPECT_NE(At(c, 0, 45), 0xFFFF00u);
  // A frame wider than the window leaves no client area, not a negative one.
  c->SetBorderWidth(100);
  EXPECT_EQ(c->ClientRect().Width(), 0);
  EXPECT_EQ(c->ClientRect().Height(), 0);
  delete c;
}

TEST_F(Platform_Bevel, Ctl3DChoosesClientEdgeOrFlatBorderAndChildrenFollowTheirParent) {
  TFramed* c = Make(WS_EX_CLIENTEDGE);
  auto* child = new TFramed(nullptr);
  child->ExtraExStyle = WS_EX_CLIENTEDGE;
  child->SetBounds(5, 5, 40, 30);
  child->SetParent(c);
  child->HandleNeeded();
  At(c, 0, 0);  // shown once before the frame changes
  EXPECT_TRUE(GetWindowLongW(c->Handle(), GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
  c->SetCtl3D(false);
  EXPECT_FALSE(GetWindowLongW(c->Handle(), GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
  EXPECT_TRUE(GetWindowLongW(c->Handle(), GWL_STYLE) & WS_BORDER);
  EXPECT_EQ(c->ClientRect().Width(), 118);
  EXPECT_FALSE(child->Ctl3D());
  EXPECT_TRUE(child->ParentCtl3D());
  EXPECT_TRUE(GetWindowLongW(child->Handle(), GWL_STYLE) & WS_BORDER);
  // A child that chose for itself keeps its choice.
  child->SetCtl3D(true);
  EXPECT_FALSE(child->ParentCtl3D());
  c->SetCtl3D(true);
  EXPECT_TRUE(GetWindowLongW(c->Handle(), GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
  c->SetCtl3D(false);
  EXPECT_TRUE(child->Ctl3D());
  // Flat bevels without Ctl3D: the mono frame colour.
  c->SetBevelKind(bkTile);
  c->SetBevelOuter(bvRaised);
  EXPECT_EQ(At(c, 1, 45), Sys(COLOR_WINDOWFRAME));
  delete c;
}

TEST_F(Platform_Bevel, PlatformDefaultsOfTheControlMembers) {
  TFramed* c = Make();
  EXPECT_EQ(c->BevelKind(), bkNone);
  EXPECT_EQ(c->BevelInner(), bvRaised);
  EXPECT_EQ(c->BevelOuter(), bvLowered);
  EXPECT_EQ(c->BevelEdges(), (TBevelEdges{beLeft, beTop, beRight, beBottom}));
  EXPECT_EQ(c->BevelWidth(), 1);
  EXPECT_EQ(c->BorderWidth(), 0);
  EXPECT_TRUE(c->Ctl3D());
  EXPECT_EQ(c->ImeMode(), imDontCare);
  EXPECT_EQ(c->HelpType(), htContext);
  EXPECT_EQ(c->DragCursor(), crDrag);
  EXPECT_EQ(c->DragMode(), dmManual);
  c->SetHelpKeyword(u"orders");
  EXPECT_EQ(c->HelpType(), htKeyword);
  c->SetHelpContext(12);
  EXPECT_EQ(c->HelpType(), htContext);
  delete c;
}

class Platform_Bevel_Forms : public formstest::FormsTest {};

TEST_F(Platform_Bevel_Forms, OnMouseActivateDecidesWhetherAClickActivatesTheForm) {
  std::unique_ptr<TForm> a(new TForm(nullptr)), b(new TForm(nullptr));
  a->SetPosition(poDesigned);
  b->SetPosition(poDesigned);
  a->SetBounds(50, 50, 300, 200);
  b->SetBounds(400, 50, 300, 200);
  auto* pad = new TBox(b.get());
  pad->SetParent(b.get());
  pad->SetBounds(10, 10, 100, 60);
  int asked = 0;
  TMouseButton button = mbRight;
  pad->SetOnMouseActivate([&](TObject*, TMouseButton Button, TShiftState, Integer X, Integer Y, Integer HitTest,
                              TMouseActivate& Result) {
    ++asked;
    button = Button;
    EXPECT_EQ(TPoint(X, Y), TPoint(20, 15));
    EXPECT_EQ(HitTest, HTCLIENT);
    Result = maNoActivate;
  });
  b->Show();
  a->Show();
  Application->ProcessMessages();
  ASSERT_EQ(GetActiveWindow(), a->Handle());
  TPoint p = pad->ClientToScreen(TPoint(20, 15));
  InputMouseMove(p.X, p.Y);
  InputMouseDown(VK_LBUTTON);
  InputMouseUp(VK_LBUTTON);
  Application->ProcessMessages();
  EXPECT_EQ(asked, 1);
  EXPECT_EQ(button, mbLeft);
  EXPECT_EQ(GetActiveWindow(), a->Handle());
  // Without a handler the platform's default activates.
  pad->SetOnMouseActivate(nullptr);
  InputMouseDown(VK_LBUTTON);
  InputMouseUp(VK_LBUTTON);
  Application->ProcessMessages();
  EXPECT_EQ(GetActiveWindow(), b->Handle());
}

}  // namespace

}  // namespace t_bevel_test
