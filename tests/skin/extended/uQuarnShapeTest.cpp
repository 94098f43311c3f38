// The shape control on a plain form: outlines of each kind, what the fill
// alpha and the pen do to the pixels, dash lengths along an edge, when
// changes repaint, and bad path data that must not escape painting.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "platform/classes/FormText.h"
#include "skin/extended/uQuarnShape.h"
#include "tests/skin/controls/SkinControlsTestSupport.h"

namespace t_u_quarn_shape_test {

using namespace qn;

namespace {

class TCountingShape : public TQuarnShape {
  QN_CLASS(TCountingShape, TQuarnShape)
 public:
  using TQuarnShape::TQuarnShape;
  int Paints = 0;

 protected:
  void DrawBody(TBitmap32* Buffer) override {
    ++Paints;
    TQuarnShape::DrawBody(Buffer);
  }
};

TColor32 Rgb(TColor C) { return Color32(ColorToRGB(C)) & 0xFFFFFFu; }

constexpr TColor kBrush = static_cast<TColor>(0x008B6366);
constexpr TColor kPen = static_cast<TColor>(0x00566FF8);

class uQuarnShape : public skintest::RootTest {
 protected:
  TCountingShape* Shape(Integer W = 65, Integer H = 65) {
    auto* S = Make<TCountingShape>(10, 10, W, H);
    return S;
  }
  TColor32 At(TCountingShape* S, Integer X, Integer Y) { return S->Buffer()->GetPixel(X, Y) & 0xFFFFFFu; }
  void Paint() { usertest::Pump(); }
};

}  // namespace

TEST_F(uQuarnShape, DefaultCircleAndItsPenOutline) {
  auto* S = Shape();
  const TArrayOfFloatPoint Plain = S->BuildOutline();
  ASSERT_EQ(Plain.size(), 35u);
  for (const TFloatPoint& P : Plain) EXPECT_NEAR(std::hypot(P.X - 32.5, P.Y - 32.5), 31.5, 1e-3);
  S->Buffer();
  Paint();
  EXPECT_EQ(At(S, 32, 32), Rgb(kBrush));
  EXPECT_EQ(At(S, 1, 1), RootColour());

  S->Pen()->SetVisible(true);
  const TArrayOfFloatPoint Penned = S->BuildOutline();
  ASSERT_EQ(Penned.size(), 34u);
  for (const TFloatPoint& P : Penned) EXPECT_NEAR(std::hypot(P.X - 32.5, P.Y - 32.5), 30.5, 1e-3);
  // Alpha clears the fill only; the outline stays opaque.
  S->SetAlpha(0);
  Paint();
  EXPECT_EQ(At(S, 32, 32), RootColour());
  EXPECT_EQ(At(S, 62, 32), Rgb(kPen));
  EXPECT_EQ(At(S, 2, 32), Rgb(kPen));
  EXPECT_EQ(At(S, 32, 62), Rgb(kPen));
  S->SetAlpha(255);
  Paint();
  EXPECT_EQ(At(S, 32, 32), Rgb(kBrush));
  EXPECT_EQ(At(S, 62, 32), Rgb(kPen));
}

TEST_F(uQuarnShape, OutlinesOfTheBoxKinds) {
  auto* S = Shape(200, 100);
  S->SetShape(skSquare);
  const TArrayOfFloatPoint Sq = S->BuildOutline();
  ASSERT_EQ(Sq.size(), 4u);
  EXPECT_EQ(Sq[0].X, 1);
  EXPECT_EQ(Sq[0].Y, 1);
  EXPECT_EQ(Sq[2].X, 99);
  EXPECT_EQ(Sq[2].Y, 99);
  Paint();
  EXPECT_EQ(At(S, 1, 50), Rgb(kBrush));
  EXPECT_EQ(At(S, 98, 98), Rgb(kBrush));
  EXPECT_EQ(At(S, 99, 50), RootColour());
  EXPECT_EQ(At(S, 150, 50), RootColour());
  EXPECT_EQ(At(S, 0, 50), RootColour());

  S->SetShape(skRectangle);
  Paint();
  EXPECT_EQ(At(S, 198, 98), Rgb(kBrush));
  EXPECT_EQ(At(S, 199, 50), RootColour());
  EXPECT_EQ(At(S, 100, 99), RootColour());

  // A rounded corner leaves the corner pixel bare; the straight edge stays.
  S->SetShape(skRoundRect);
  S->SetRoundRadius(20);
  Paint();
  EXPECT_EQ(At(S, 3, 3), RootColour());
  EXPECT_EQ(At(S, 100, 1), Rgb(kBrush));
  EXPECT_EQ(At(S, 1, 50), Rgb(kBrush));
  EXPECT_EQ(At(S, 196, 96), RootColour());
  S->SetShape(skRoundSquare);
  Paint();
  EXPECT_EQ(At(S, 50, 50), Rgb(kBrush));
  EXPECT_EQ(At(S, 120, 50), RootColour());
  EXPECT_EQ(At(S, 96, 96), RootColour());

  // The ellipse keeps its pen inside the control on every side.
  S->SetShape(skEllipse);
  S->Pen()->SetVisible(true);
  S->Pen()->SetWidth(6);
  Paint();
  EXPECT_EQ(At(S, 199, 50), RootColour());
  EXPECT_EQ(At(S, 0, 50), RootColour());
  EXPECT_EQ(At(S, 100, 99), RootColour());
  EXPECT_EQ(At(S, 196 - 1, 50), Rgb(kPen));
  EXPECT_EQ(At(S, 4 + 1, 50), Rgb(kPen));
  EXPECT_EQ(At(S, 100, 4 + 1), Rgb(kPen));
}

TEST_F(uQuarnShape, RoundRadiusIsAtLeastOneAndRepaintsOnlyRoundedKinds) {
  auto* S = Shape();
  S->SetRoundRadius(-5);
  EXPECT_EQ(S->RoundRadius(), 1);
  S->SetRoundRadius(0);
  EXPECT_EQ(S->RoundRadius(), 1);
  Paint();
  const int Before = S->Paints;
  S->SetRoundRadius(25);
  Paint();
  EXPECT_EQ(S->Paints, Before);
  S->SetSvgPath(u"M 0 0 L 60 0 L 60 60 Z");
  Paint();
  EXPECT_EQ(S->Paints, Before);
  S->SetShape(skRoundSquare);
  Paint();
  EXPECT_EQ(S->Paints, Before + 1);
  // The radius set while it was a circle is the one drawn.
  EXPECT_EQ(At(S, 4, 4), RootColour());
  EXPECT_EQ(At(S, 9, 9), Rgb(kBrush));
  S->SetRoundRadius(1);
  Paint();
  EXPECT_EQ(S->Paints, Before + 2);
  EXPECT_EQ(At(S, 2, 2), Rgb(kBrush));
  // Brush and pen setters copy into the owned objects, which repaint.
  TQnBrush Fill;
  Fill.SetColor(clRed);
  S->SetBrush(&Fill);
  EXPECT_NE(S->Brush(), &Fill);
  Paint();
  EXPECT_EQ(S->Paints, Before + 3);
  EXPECT_EQ(At(S, 32, 32), Rgb(clRed));
}

TEST_F(uQuarnShape, DashAndDotLengthsAlongTheTopEdge) {
  const auto Runs = [&](TQnPenStyle Style) {
    auto* S = Shape(200, 60);
    S->SetShape(skRectangle);
    S->Brush()->SetVisible(false);
    S->Pen()->SetVisible(true);
    S->Pen()->SetStyle(Style);
    Paint();
    // Row 2 lies inside the 2-pixel pen along the top edge, which starts at
    // x 2; runs of pen and gap pixels from there.
    std::vector<int> R;
    bool On = true;
    int Len = 0;
    for (Integer X = 2; X < 120; ++X) {
      const bool Pen = At(S, X, 2) == Rgb(kPen);
      const bool Bare = At(S, X, 2) == RootColour();
      EXPECT_TRUE(Pen || Bare) << X;
      if (Pen == On) {
        ++Len;
      } else {
        R.push_back(Len);
        Len = 1;
        On = Pen;
      }
    }
    delete S;
    return R;
  };
  const std::vector<int> Dash = Runs(psDash);
  ASSERT_GE(Dash.size(), 4u);
  EXPECT_EQ(std::vector<int>(Dash.begin(), Dash.begin() + 4), (std::vector<int>{21, 7, 21, 7}));
  const std::vector<int> Dot = Runs(psDot);
  ASSERT_GE(Dot.size(), 8u);
  EXPECT_EQ(std::vector<int>(Dot.begin(), Dot.begin() + 8), (std::vector<int>{5, 3, 5, 3, 5, 3, 5, 3}));
}

TEST_F(uQuarnShape, BadPathDataPaintsWhatEndedAndRaisesNothing) {
  int Raised = 0;
  Application->OnException = [&](TObject*, Exception*) { ++Raised; };
  auto* S = Shape(80, 80);
  S->SetSvgPath(u"M 0 0 L 60 0 L 60 60 Z M 5 5 L 70");
  S->SetShape(skSVG);
  S->Invalidate();
  Paint();
  S->Invalidate();
  Paint();
  Application->OnException = nullptr;
  EXPECT_EQ(Raised, 0);
  EXPECT_GE(S->Paints, 2);
  EXPECT_EQ(At(S, 55, 10), Rgb(kBrush));
  EXPECT_EQ(At(S, 10, 55), RootColour());
  String Msg;
  EXPECT_FALSE(ValidateSvgPath(S->SvgPath(), Msg));
  EXPECT_EQ(Msg, u"No Data");
  // The SVG kind uses the pen when it is shown, opaque whatever the alpha.
  S->SetSvgPath(u"M 10 40 L 60 40");
  S->Pen()->SetVisible(true);
  S->Pen()->SetWidth(4);
  S->SetAlpha(0);
  Paint();
  EXPECT_EQ(At(S, 30, 40), Rgb(kPen));
  EXPECT_EQ(At(S, 30, 45), RootColour());
}

TEST_F(uQuarnShape, FormFileRoundTrip) {
  auto* S = Make<TQuarnShape>(0, 0, 65, 65);
  S->SetName(u"Shape1");
  S->SetShape(skSVG);
  S->SetSvgPath(u"M0 0 L 10 10");
  S->SetAlpha(90);
  S->Pen()->SetStyle(psDot);
  S->Pen()->SetVisible(true);
  S->Brush()->SetColor(clLime);
  S->SetRoundRadius(3);
  const std::string Text = ComponentToText(S);
  auto* T = new TQuarnShape(nullptr);
  TextToComponent(Text, T);
  EXPECT_EQ(T->Shape(), skSVG);
  EXPECT_EQ(T->SvgPath(), u"M0 0 L 10 10");
  EXPECT_EQ(T->Alpha(), 90);
  EXPECT_EQ(T->Pen()->Style(), psDot);
  EXPECT_TRUE(T->Pen()->Visible());
  EXPECT_EQ(T->Pen()->Width(), 2);
  EXPECT_EQ(T->Brush()->Color(), clLime);
  EXPECT_EQ(T->RoundRadius(), 3);
  EXPECT_EQ(T->ControlStyle(), (TControlStyle{csAcceptsControls, csCaptureMouse, csClickEvents, csDoubleClicks}));
  delete T;
}
TEST_F(uQuarnShape, AnOversizedRadiusRoundsFully) {
  auto* S = Shape(200, 100);
  S->SetShape(skRoundRect);
  S->SetRoundRadius(500);
  EXPECT_EQ(S->RoundRadius(), 500);
  S->Pen()->SetVisible(true);
  Paint();
  EXPECT_EQ(At(S, 100, 50), Rgb(kBrush));
  EXPECT_EQ(At(S, 100, 2), Rgb(kPen));
  EXPECT_EQ(At(S, 2, 50), Rgb(kPen));
  EXPECT_EQ(At(S, 197, 50), Rgb(kPen));
  EXPECT_EQ(At(S, 6, 6), RootColour());
  EXPECT_EQ(At(S, 193, 93), RootColour());
  S->SetShape(skRoundSquare);
  Paint();
  EXPECT_EQ(At(S, 50, 50), Rgb(kBrush));
  EXPECT_EQ(At(S, 50, 2), Rgb(kPen));
  EXPECT_EQ(At(S, 8, 8), RootColour());
  EXPECT_EQ(At(S, 120, 50), RootColour());
}

}  // namespace t_u_quarn_shape_test
