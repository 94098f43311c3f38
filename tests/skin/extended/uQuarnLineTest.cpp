// The line on a plain form: its gradient's end colours for every anchor in
// both orientations, dash lengths by runs of pixels, and the size rules of
// its kind and AutoSize.
#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "skin/extended/uQuarnLine.h"
#include "tests/common/Golden.h"
#include "tests/skin/controls/SkinControlsTestSupport.h"

namespace t_u_quarn_line_test {

// The suite shares its name with the unit's namespace for its own anchor
// type; inside a namespace of their own the tests see the suite first.
namespace linetest {

using namespace qn;

namespace {

class TCountingLine : public TQuarnLine {
  QN_CLASS(TCountingLine, TQuarnLine)
 public:
  using TQuarnLine::TQuarnLine;
  int Paints = 0;

 protected:
  void DrawBody(TBitmap32* Buffer) override {
    ++Paints;
    TQuarnLine::DrawBody(Buffer);
  }
};

TColor32 Rgb(TColor C) { return Color32(ColorToRGB(C)) & 0xFFFFFFu; }

constexpr TColor kStart = static_cast<TColor>(0x000000FF), kEnd = static_cast<TColor>(0x0000FF00),
                 kBar = static_cast<TColor>(0x00FF0000);

class uQuarnLine : public skintest::RootTest {
 protected:
  TCountingLine* Line(Integer W, Integer H) { return Make<TCountingLine>(10, 10, W, H); }
  TColor32 At(TQuarnLine* L, Integer X, Integer Y) {
    usertest::Pump();
    return L->Buffer()->GetPixel(X, Y) & 0xFFFFFFu;
  }
};

}  // namespace

TEST_F(uQuarnLine, TheDefaultLineIsAllGradient) {
  auto* L = Make<TQuarnLine>(10, 10, 255, 3);
  EXPECT_TRUE(L->AutoInvalidate());
  // The two halves reach past the ends (60 % of the length each side), so
  // the end pixels lie a sixth of the way back towards the centre colour.
  const auto Near = [](TColor32 A, TColor32 B, int Tol) {
    for (int S = 0; S < 24; S += 8)
      if (std::abs(int((A >> S) & 0xFF) - int((B >> S) & 0xFF)) > Tol) return false;
    return true;
  };
  const TColor32 Start = Rgb(static_cast<TColor>(0x00BCAA8C)), End = Rgb(static_cast<TColor>(0x00FDF8F3));
  for (Integer Y = 0; Y < 3; ++Y) {
    EXPECT_EQ(At(L, 126, Y), Start);
    EXPECT_TRUE(Near(At(L, 127, Y), Start, 1));
    EXPECT_TRUE(Near(At(L, 0, Y), End, 20));
    EXPECT_TRUE(Near(At(L, 254, Y), End, 20));
    EXPECT_FALSE(Near(At(L, 0, Y), End, 5));
  }
  // Halfway out, halfway between the colours.
  const TColor32 Mid = At(L, 127 - 76, 1);
  EXPECT_NEAR(static_cast<int>(Mid & 0xFF), (0xBC + 0xFD) / 2, 3);
  L->SetActiveGradient(false);
  L->SetColor(kBar);
  for (Integer X : {0, 60, 127, 254})
    for (Integer Y = 0; Y < 3; ++Y) EXPECT_EQ(At(L, X, Y), Rgb(kBar));
}

TEST_F(uQuarnLine, EveryAnchorEndsInExactColours) {
  for (TLineKind Kind : {lkHorizontal, lkVertical}) {
    for (auto Align : {TQuarnLine::TGradientAlign::gaCenter, TQuarnLine::TGradientAlign::gaLeft,
                       TQuarnLine::TGradientAlign::gaRight}) {
      const bool H = Kind == lkHorizontal;
      auto* L = H ? Line(200, 3) : Line(3, 200);
      L->SetKind(Kind);
      L->SetColor(kBar);
      L->SetGradientStartColor(kStart);
      L->SetGradientEndColor(kEnd);
      L->SetGradientSize(25);
      L->SetGradientAlign(Align);
      const auto P = [&](Integer I) { return H ? At(L, I, 1) : At(L, 1, I); };
      const Integer G = 50;
      SCOPED_TRACE(testing::Message() << (H ? "horizontal " : "vertical ") << static_cast<int>(Align));
      switch (Align) {
        case TQuarnLine::TGradientAlign::gaLeft:
          EXPECT_EQ(P(0), Rgb(kStart));
          EXPECT_EQ(P(G - 1), Rgb(kEnd));
          EXPECT_EQ(P(G), Rgb(kBar));
          break;
        case TQuarnLine::TGradientAlign::gaRight:
          EXPECT_EQ(P(199), Rgb(kStart));
          EXPECT_EQ(P(200 - G), Rgb(kEnd));
          EXPECT_EQ(P(200 - G - 1), Rgb(kBar));
          break;
        case TQuarnLine::TGradientAlign::gaCenter:
          EXPECT_EQ(P(99), Rgb(kStart));
          EXPECT_EQ(P(100 - G), Rgb(kEnd));
          EXPECT_EQ(P(100 - G - 1), Rgb(kBar));
          if (H) {
            EXPECT_EQ(P(100 + G - 1), Rgb(kEnd));
            EXPECT_EQ(P(100 + G), Rgb(kBar));
          } else {
            // The lower half runs on to the bottom edge.
            EXPECT_EQ(P(199), Rgb(kEnd));
          }
          break;
      }
      delete L;
    }
  }
}

TEST_F(uQuarnLine, DashesAndDotsAlongTheTopEdge) {
  const auto Runs = [&](TQnPenStyle Style, TLineKind Kind) {
    auto* L = Kind == lkHorizontal ? Line(120, 3) : Line(3, 120);
    L->SetKind(Kind);
    L->SetActiveGradient(false);
    L->SetColor(kBar);
    L->SetStyle(Style);
    std::vector<int> R;
    bool On = true;
    int Len = 0;
    for (Integer I = 0; I < 120; ++I) {
      const TColor32 A = Kind == lkHorizontal ? At(L, I, 0) : At(L, 0, I);
      const TColor32 B = Kind == lkHorizontal ? At(L, I, 1) : At(L, 1, I);
      const TColor32 C = Kind == lkHorizontal ? At(L, I, 2) : At(L, 2, I);
      EXPECT_EQ(A, B);
      EXPECT_EQ(C, RootColour());
      const bool Dash = A == Rgb(kBar);
      EXPECT_TRUE(Dash || A == RootColour());
      if (Dash == On) {
        ++Len;
      } else {
        R.push_back(Len);
        Len = 1;
        On = Dash;
      }
    }
    delete L;
    return std::vector<int>(R.begin(), R.begin() + std::min<size_t>(R.size(), 6));
  };
  EXPECT_EQ(Runs(psDash, lkHorizontal), (std::vector<int>{21, 7, 21, 7, 21, 7}));
  EXPECT_EQ(Runs(psDot, lkHorizontal), (std::vector<int>{4, 2, 4, 2, 4, 2}));
  EXPECT_EQ(Runs(psDash, lkVertical), (std::vector<int>{21, 7, 21, 7, 21, 7}));
}

TEST_F(uQuarnLine, SizesFollowKindAndAutoSize) {
  auto* L = Line(255, 3);
  usertest::Pump();
  const int Before = L->Paints;
  L->SetGradientSize(150);
  usertest::Pump();
  EXPECT_EQ(L->GradientSize(), 60);
  EXPECT_EQ(L->Paints, Before + 1);
  L->SetGradientSize(0);
  EXPECT_EQ(L->GradientSize(), 0);

  L->SetKind(lkVertical);
  EXPECT_EQ(L->Width(), 3);
  EXPECT_EQ(L->Height(), 255);
  L->SetKind(lkHorizontal);
  EXPECT_EQ(L->Width(), 255);
  EXPECT_EQ(L->Height(), 3);

  L->SetHeight(10);
  L->SetAutoSize(true);
  EXPECT_EQ(L->Height(), 10);
  L->SetWidth(200);
  EXPECT_EQ(L->Height(), 3);
  L->SetAutoSize(false);
  L->SetHeight(0);
  EXPECT_EQ(L->Height(), 1);

  // A line with no length draws no dashes and raises nothing.
  L->SetStyle(psDash);
  L->SetWidth(0);
  usertest::Pump();
}

TEST_F(uQuarnLine, GoldenPicture) {
  const TQnPenStyle Styles[] = {psSolid, psDot, psDash};
  for (Integer I = 0; I < 3; ++I) {
    auto* L = Line(200, 3);
    L->SetTop(10 + I * 12);
    L->SetStyle(Styles[I]);
    L->SetGradientSize(30);
    L->SetGradientAlign(static_cast<TQuarnLine::TGradientAlign>(I));
    L->SetColor(kBar);
    auto* V = Line(3, 80);
    V->SetKind(lkVertical);
    V->SetLeft(230 + I * 12);
    V->SetStyle(Styles[I]);
    V->SetGradientAlign(static_cast<TQuarnLine::TGradientAlign>(I));
  }
  usertest::Pump();
  FRoot->Repaint();
  usertest::Pump();
  TScreenImage Shot = CaptureWindow(FRoot->Handle(), true);
  TScreenImage Part;
  Part.Width = 280;
  Part.Height = 100;
  for (Integer Y = 0; Y < Part.Height; ++Y)
    for (Integer X = 0; X < Part.Width; ++X) Part.Pixels.push_back(Shot.Pixel(X, Y));
  qntest::ExpectMatchesGolden(Part, "line", 2, 8);
}

}  // namespace linetest

}  // namespace t_u_quarn_line_test
