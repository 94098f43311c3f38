// Markers drawn into a bitmap's device context over a known grey: the fill,
// the outline and the text probed for the default look, half alpha, clear
// brush and pen, rounded corners, and the abstract base.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

#include "graphics/raster/Pix32_qn.h"
#include "platform/classes/FormText.h"
#include "platform/rtl/SysUtils.h"
#include "skin/extended/uQuarnMarker.h"

namespace t_u_quarn_marker_test {

using namespace qn;

namespace {

constexpr TColor32 kGround = 0xC0C0C0u;
constexpr TColor32 kFill = 0x1C7EFBu;  // $00FB7E1C as RGB

int Ch(TColor32 C, int S) { return int((C >> S) & 0xFF); }
int Sum(TColor32 C) { return Ch(C, 0) + Ch(C, 8) + Ch(C, 16); }
bool Near(TColor32 A, TColor32 B, int Tol) {
  for (int S = 0; S < 24; S += 8)
    if (std::abs(Ch(A, S) - Ch(B, S)) > Tol) return false;
  return true;
}

class uQuarnMarker : public ::testing::Test {
 protected:
  // The marker drawn at (10, 10) of a fresh grey picture.
  std::unique_ptr<TBitmap32> Draw(TQuarnMarker* M) {
    auto B = std::make_unique<TBitmap32>();
    B->SetSize(60, 40);
    B->Clear(0xFF000000u | kGround);
    M->SetX(10);
    M->SetY(10);
    M->Draw(B->Canvas()->Handle());
    return B;
  }
  static TColor32 At(TBitmap32* B, Integer X, Integer Y) { return B->GetPixel(X, Y) & 0xFFFFFFu; }
  // The brightest pixel of the marker's middle, where the text lies.
  static TColor32 Brightest(TBitmap32* B) {
    TColor32 Best = 0;
    for (Integer Y = 13; Y < 26; ++Y)
      for (Integer X = 14; X < 25; ++X)
        if (Sum(At(B, X, Y)) > Sum(Best)) Best = At(B, X, Y);
    return Best;
  }
  // Left edge of the circle (the outline) and a point of fill beside the text.
  static TColor32 Edge(TBitmap32* B) { return At(B, 10, 19); }
  static TColor32 Fill(TBitmap32* B) { return At(B, 13, 19); }
  TQuarnCircleMarker Marker{nullptr};
};

TEST_F(uQuarnMarker, TheDefaultIsAFilledCircleWithOutlineAndWhiteZero) {
  EXPECT_EQ(Marker.Width(), 19);
  EXPECT_EQ(Marker.Height(), 19);
  EXPECT_EQ(Marker.Text(), u"0");
  EXPECT_EQ(Marker.Brush()->Color(), static_cast<TColor>(0x00FB7E1C));
  EXPECT_EQ(Marker.Font()->Color(), clWhite);
  EXPECT_EQ(Marker.Font()->Size(), 9);
  auto B = Draw(&Marker);
  EXPECT_TRUE(Near(Fill(B.get()), kFill, 3));
  EXPECT_TRUE(Near(At(B.get(), 19, 12), kFill, 3));
  // The outline: darker than fill and ground.
  EXPECT_LT(Sum(Edge(B.get())), Sum(kFill) - 60);
  // Outside the circle: corners of its box and beyond it.
  EXPECT_EQ(At(B.get(), 10, 10), kGround);
  EXPECT_EQ(At(B.get(), 28, 28), kGround);
  EXPECT_EQ(At(B.get(), 30, 19), kGround);
  // The text: near white in the middle.
  EXPECT_GT(Sum(Brightest(B.get())), 3 * 230);
  // A marker without text has none.
  Marker.SetText(u"");
  auto E = Draw(&Marker);
  EXPECT_LT(Sum(Brightest(E.get())), Sum(kFill) + 10);
}

TEST_F(uQuarnMarker, HalfAlphaHalvesFillAndOutlineButNotText) {
  auto Full = Draw(&Marker);
  Marker.SetAlpha(128);
  auto Half = Draw(&Marker);
  for (int S = 0; S < 24; S += 8) {
    const int Want = (Ch(kFill, S) * 128 + Ch(kGround, S) * 127) / 255;
    EXPECT_NEAR(Ch(Fill(Half.get()), S), Want, 3);
  }
  // The outline lies halfway between its full colour and the ground.
  const int FullEdge = Sum(Edge(Full.get())), HalfEdge = Sum(Edge(Half.get()));
  EXPECT_GT(HalfEdge, FullEdge + 40);
  EXPECT_LT(HalfEdge, Sum(kGround) - 40);
  EXPECT_GT(Sum(Brightest(Half.get())), 3 * 230);
}

TEST_F(uQuarnMarker, ClearBrushOrPenDrawsTheRest) {
  Marker.Brush()->SetStyle(TBrushStyle::bsClear);
  auto NoFill = Draw(&Marker);
  EXPECT_EQ(Fill(NoFill.get()), kGround);
  EXPECT_LT(Sum(Edge(NoFill.get())), Sum(kGround) - 100);
  EXPECT_GT(Sum(Brightest(NoFill.get())), 3 * 230);

  Marker.Brush()->SetStyle(TBrushStyle::bsSolid);
  Marker.Pen()->SetStyle(TPenStyle::psClear);
  auto NoLine = Draw(&Marker);
  EXPECT_TRUE(Near(Fill(NoLine.get()), kFill, 3));
  // The edge is only the fill's smoothed border: no dark outline.
  EXPECT_GT(Sum(Edge(NoLine.get())), Sum(kFill) - 10);
  EXPECT_GT(Sum(Brightest(NoLine.get())), 3 * 230);
}

TEST_F(uQuarnMarker, RoundSizeGivesARoundedRectangle) {
  auto Circle = Draw(&Marker);
  Marker.SetRoundSize(4);
  Marker.SetWidth(30);
  auto Round = Draw(&Marker);
  // Near the corner a circle leaves the ground; a radius of 4 fills it.
  EXPECT_EQ(At(Circle.get(), 11, 11), kGround);
  EXPECT_TRUE(Near(At(Round.get(), 12, 12), kFill, 3));
  EXPECT_NE(At(Round.get(), 11, 11), kGround);
  EXPECT_TRUE(Near(At(Round.get(), 37, 12), kFill, 3));
  EXPECT_EQ(At(Round.get(), 10, 10), kGround);
  EXPECT_EQ(At(Round.get(), 41, 19), kGround);
  // The straight top side is outlined along its length.
  EXPECT_LT(Sum(At(Round.get(), 25, 10)), Sum(kFill) - 60);
}

TEST_F(uQuarnMarker, TheBaseIsAbstractAndDCZeroDrawsNothing) {
  TQuarnMarker Base(nullptr);
  TBitmap32 B;
  B.SetSize(30, 30);
  EXPECT_THROW(Base.Draw(B.Canvas()->Handle()), EAbstractError);
  EXPECT_NO_THROW(Marker.Draw(nullptr));
}

TEST_F(uQuarnMarker, EmptyMarkersAndCellHeightFonts) {
  // No size: nothing drawn, nothing raised.
  Marker.SetWidth(0);
  auto Empty = Draw(&Marker);
  for (Integer Y = 0; Y < 40; Y += 3)
    for (Integer X = 0; X < 60; X += 3) ASSERT_EQ(At(Empty.get(), X, Y), kGround);
  Marker.SetWidth(-5);
  EXPECT_NO_THROW(Draw(&Marker));
  // A font set by its cell height (a negative point size) still writes.
  Marker.SetWidth(19);
  Marker.Font()->SetHeight(12);
  ASSERT_LT(Marker.Font()->Size(), 0);
  auto Cell = Draw(&Marker);
  EXPECT_GT(Sum(Brightest(Cell.get())), 3 * 230);
}

TEST_F(uQuarnMarker, SettersStoreAndTheFormFileKeepsEverything) {
  TComponent Owner(nullptr);
  auto* M = new TQuarnCircleMarker(&Owner);
  M->SetName(u"Marker1");
  TPen Pen;
  Pen.SetColor(clRed);
  M->SetPen(&Pen);
  Pen.SetColor(clBlue);
  EXPECT_EQ(M->Pen()->Color(), clRed);
  M->SetText(u"12");
  M->SetAlpha(200);
  M->SetRoundSize(3);
  const std::string Text = ComponentToText(M);
  // Without stored defaults everything but RoundSize 0 is written.
  for (const char* Name : {"Width", "Height", "X", "Y", "Text", "Alpha", "RoundSize"})
    EXPECT_NE(Text.find(Name), std::string::npos) << Name;
  auto* T = new TQuarnCircleMarker(nullptr);
  TextToComponent(Text, T);
  EXPECT_EQ(T->Text(), u"12");
  EXPECT_EQ(T->Alpha(), 200);
  EXPECT_EQ(T->RoundSize(), 3);
  EXPECT_EQ(T->Pen()->Color(), clRed);
  delete T;
}

}  // namespace

}  // namespace t_u_quarn_marker_test
