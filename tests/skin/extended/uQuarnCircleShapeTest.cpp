// The circle image shape over a plain form: what it leaves of the parent,
// where the picture and the ring fall for square and oval controls, when a
// new ring colour shows, both ways a skin image is handed to GDI+, and a
// golden picture.
#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/classes/FormText.h"
#include "skin/extended/uQuarnCircleShape.h"
#include "tests/common/Golden.h"
#include "tests/skin/controls/SkinControlsTestSupport.h"
#include "tests/skin/extended/SliderTestSupport.h"

namespace t_u_quarn_circle_shape_test {

using namespace qn;

namespace {

bool Near(TColor32 A, TColor32 B, int Tol) {
  for (int S = 0; S < 24; S += 8)
    if (std::abs(int((A >> S) & 0xFF) - int((B >> S) & 0xFF)) > Tol) return false;
  return true;
}

class uQuarnCircleShape : public skintest::RootTest {
 protected:
  void SetUp() override {
    RootTest::SetUp();
    Source.Add(u"AvatarOpaque", 64, 64, 0xFF30A050u);
    Source.Add(u"AvatarAlpha", 64, 64, 0xFFD06020u, true);
    // Half of it transparent: the parent shows through there.
    TBitmap32* Half = Source.Add(u"AvatarHalf", 64, 64, 0xFF3050D0u, true);
    Half->FillRect(32, 0, 64, 64, 0x00000000u);
  }
  TQuarnCircleShape* Shape(Integer X, Integer Y, Integer W, Integer H, const TQnResID& Picture) {
    auto* C = Make<TQuarnCircleShape>(X, Y, W, H);
    C->SetPicture(Picture);
    usertest::Pump();
    return C;
  }
  TColor32 At(TQuarnCircleShape* C, Integer X, Integer Y) { return C->Buffer()->GetPixel(X, Y) & 0xFFFFFFu; }
  slidertest::TPictureSource Source;
};

TEST_F(uQuarnCircleShape, NoPictureLeavesTheBackground) {
  for (const TQnResID& Id : {TQnResID(), TQnResID(u"NoSuchAvatar")}) {
    auto* C = Shape(10, 10, 120, 120, Id);
    EXPECT_EQ(C->Width(), 120);
    for (Integer Y = 0; Y < 120; Y += 5)
      for (Integer X = 0; X < 120; X += 5) ASSERT_EQ(At(C, X, Y), RootColour()) << X << "," << Y;
    delete C;
  }
}

TEST_F(uQuarnCircleShape, BothImageFormsAreCutIntoTheCircleWithARing) {
  for (const auto& [Id, Colour] : {std::pair<TQnResID, TColor32>{u"AvatarOpaque", 0x30A050u},
                                   std::pair<TQnResID, TColor32>{u"AvatarAlpha", 0xD06020u}}) {
    SCOPED_TRACE(std::string(Id.begin(), Id.end()));
    auto* C = Shape(10, 10, 120, 120, Id);
    EXPECT_TRUE(Near(At(C, 60, 60), Colour, 2));
    EXPECT_TRUE(Near(At(C, 15, 60), Colour, 2));
    // The corners keep the parent.
    EXPECT_EQ(At(C, 4, 4), RootColour());
    EXPECT_EQ(At(C, 115, 115), RootColour());
    // The ring on the left edge leans to the ring's blue ($00EBB71C).
    const TColor32 Edge = At(C, 0, 60);
    EXPECT_GT(int(Edge & 0xFF), int(Colour & 0xFF) + 20);
    delete C;
  }
  // A transparent half shows the parent inside the circle.
  auto* C = Shape(10, 10, 120, 120, u"AvatarHalf");
  EXPECT_TRUE(Near(At(C, 30, 60), 0x3050D0u, 2));
  EXPECT_TRUE(Near(At(C, 90, 60), RootColour(), 2));
}

TEST_F(uQuarnCircleShape, AnOvalControlDrawsAnEllipse) {
  auto* C = Shape(10, 10, 200, 80, u"AvatarOpaque");
  // Inside the ellipse near its left and right ends, outside near the
  // corners a circle of the height would have filled.
  EXPECT_TRUE(Near(At(C, 8, 40), 0x30A050u, 2));
  EXPECT_TRUE(Near(At(C, 192, 40), 0x30A050u, 2));
  EXPECT_EQ(At(C, 30, 6), RootColour());
  EXPECT_TRUE(Near(At(C, 100, 6), 0x30A050u, 2));
  // The ring runs along the bottom edge.
  EXPECT_GT(int(At(C, 100, 79) & 0xFF), 0x50 + 20);
}

TEST_F(uQuarnCircleShape, AColourChangeShowsAtTheNextRepaint) {
  auto* C = Shape(10, 10, 120, 120, u"AvatarOpaque");
  const TColor32 Before = At(C, 0, 60);
  C->SetColor(static_cast<TColor>(0x000000FF));  // red
  usertest::Pump();
  EXPECT_EQ(At(C, 0, 60), Before);
  C->Invalidate();
  usertest::Pump();
  const TColor32 After = At(C, 0, 60);
  EXPECT_GT(int((After >> 16) & 0xFF), int((Before >> 16) & 0xFF) + 20);
  // A new picture repaints at once.
  C->SetPicture(u"AvatarAlpha");
  usertest::Pump();
  EXPECT_TRUE(Near(At(C, 60, 60), 0xD06020u, 2));
}

TEST_F(uQuarnCircleShape, DefaultsAndFormFile) {
  auto* C = Shape(10, 10, 120, 120, u"AvatarOpaque");
  EXPECT_EQ(C->Alpha(), 0);
  EXPECT_EQ(C->BorderSides(), TSides{});
  EXPECT_EQ(C->Color(), static_cast<TColor>(0x00EBB71C));
  EXPECT_TRUE(C->ControlStyle().Contains(csAcceptsControls));
  EXPECT_TRUE(C->ControlStyle().Contains(csOpaque));
  C->SetName(u"Avatar1");
  std::string Text = ComponentToText(C);
  EXPECT_EQ(Text.find("Alpha"), std::string::npos);
  EXPECT_EQ(Text.find("BorderSides"), std::string::npos);
  EXPECT_EQ(Text.find("Color"), std::string::npos);
  EXPECT_NE(Text.find("AvatarOpaque"), std::string::npos);
  C->SetAlpha(192);
  C->SetBorderSides({sdLeft, sdTop, sdRight, sdBottom});
  C->SetColor(clRed);
  auto* T = new TQuarnCircleShape(nullptr);
  TextToComponent(ComponentToText(C), T);
  EXPECT_EQ(T->Alpha(), 192);
  EXPECT_EQ(T->BorderSides(), (TSides{sdLeft, sdTop, sdRight, sdBottom}));
  EXPECT_EQ(T->Color(), clRed);
  EXPECT_EQ(T->Picture(), u"AvatarOpaque");
  delete T;
}

TEST_F(uQuarnCircleShape, GoldenPicture) {
  Shape(10, 10, 100, 100, u"AvatarOpaque");
  auto* White = Shape(120, 10, 100, 100, u"AvatarHalf");
  White->SetColor(static_cast<TColor>(0x00FFFFFF));
  White->Invalidate();
  Shape(230, 20, 160, 80, u"AvatarAlpha");
  usertest::Pump();
  FRoot->Repaint();
  usertest::Pump();
  TScreenImage Shot = CaptureWindow(FRoot->Handle(), true);
  TScreenImage Part;
  Part.Width = 400;
  Part.Height = 120;
  for (Integer Y = 0; Y < Part.Height; ++Y)
    for (Integer X = 0; X < Part.Width; ++X) Part.Pixels.push_back(Shot.Pixel(X, Y));
  qntest::ExpectMatchesGolden(Part, "circle-shape", 2, 8);
}

}  // namespace

}  // namespace t_u_quarn_circle_shape_test
