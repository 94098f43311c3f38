// The callout panel over a known parent picture: where its pointer and
// border lines fall on each side, the client area its children get, and
// its form-file values.
#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/classes/FormText.h"
#include "skin/extended/uQuarnCalloutPanel.h"
#include "tests/skin/controls/PictureRootSupport.h"
#include "tests/common/Golden.h"
#include "tests/skin/controls/SkinControlsTestSupport.h"

namespace t_u_quarn_callout_panel_test {

using namespace qn;
using skintest::TPictureRoot;

namespace {

constexpr TColor kBorder = static_cast<TColor>(0x00D9CBBA);

class uQuarnCalloutPanel : public skintest::RootTest {
 protected:
  void SetUp() override {
    RootTest::SetUp();
    Root = Make<TPictureRoot>(0, 0, 400, 280);
  }
  TQuarnCalloutPanel* Callout(Integer X, Integer Y, Integer W = 120, Integer H = 120) {
    auto* C = new TQuarnCalloutPanel(FRoot.get());
    C->SetParent(Root);
    C->SetBounds(X, Y, W, H);
    usertest::Pump();
    return C;
  }
  TColor32 At(TQuarnCalloutPanel* C, Integer X, Integer Y) {
    usertest::Pump();
    return C->Buffer()->GetPixel(X, Y) & 0xFFFFFFu;
  }
  // What the parent shows at that point of the callout.
  TColor32 Under(TQuarnCalloutPanel* C, Integer X, Integer Y) {
    return TPictureRoot::At(C->Left() + X, C->Top() + Y) & 0xFFFFFFu;
  }
  TPictureRoot* Root = nullptr;
};

TColor32 Rgb(TColor C) { return Color32(ColorToRGB(C)) & 0xFFFFFFu; }

// The side line after the pointer's base is anti-aliased: within a level or two.
bool Close(TColor32 A, TColor32 B) {
  for (int S = 0; S < 24; S += 8)
    if (std::abs(int((A >> S) & 0xFF) - int((B >> S) & 0xFF)) > 2) return false;
  return true;
}

}  // namespace

TEST_F(uQuarnCalloutPanel, TheDefaultPointerAndClientArea) {
  auto* C = Callout(20, 20);
  EXPECT_EQ(C->Alpha(), 255);
  EXPECT_FALSE(C->DoubleBorder());
  EXPECT_EQ(C->CalloutStart(), 49);
  // Base line at y 11 with a gap from x 49 to 71, where the pointer opens.
  EXPECT_EQ(At(C, 30, 11), Rgb(kBorder));
  EXPECT_EQ(At(C, 48, 11), Rgb(kBorder));
  EXPECT_EQ(At(C, 60, 11), Rgb(clWhite));
  EXPECT_TRUE(Close(At(C, 90, 11), Rgb(kBorder)));
  // The pointer: white inside, the parent beside it, its tip at (60, 0).
  EXPECT_EQ(At(C, 60, 7), Rgb(clWhite));
  EXPECT_EQ(At(C, 40, 5), Under(C, 40, 5));
  EXPECT_NE(At(C, 60, 0), Under(C, 60, 0));
  EXPECT_EQ(At(C, 50, 0), Under(C, 50, 0));
  // Sides and body.
  EXPECT_EQ(At(C, 0, 60), Rgb(kBorder));
  EXPECT_EQ(At(C, 119, 60), Rgb(kBorder));
  EXPECT_EQ(At(C, 60, 119), Rgb(kBorder));
  EXPECT_EQ(At(C, 60, 60), Rgb(clWhite));
  EXPECT_EQ(At(C, 0, 5), Under(C, 0, 5));

  auto* Child = new TPanel(FRoot.get());
  Child->SetParent(C);
  Child->SetAlign(alClient);
  usertest::Pump();
  EXPECT_EQ(Child->Top(), 11);
  EXPECT_EQ(Child->Left(), 0);
  EXPECT_EQ(Child->Height(), 109);
  // Children follow a new side at the next alignment.
  C->SetCalloutPosition(cpLeft);
  EXPECT_EQ(Child->Top(), 11);
  C->Realign();
  EXPECT_EQ(Child->Top(), 0);
  EXPECT_EQ(Child->Left(), 11);
  EXPECT_EQ(Child->Width(), 109);
}

TEST_F(uQuarnCalloutPanel, EachSideOfThePointer) {
  auto* C = Callout(20, 20);
  C->SetCalloutPosition(cpLeft);
  C->SetCalloutOffset(10);
  // Base from y 10 to 32 on x 11, tip at (0, 21).
  EXPECT_EQ(At(C, 11, 5), Rgb(kBorder));
  EXPECT_EQ(At(C, 11, 9), Rgb(kBorder));
  EXPECT_EQ(At(C, 11, 21), Rgb(clWhite));
  EXPECT_TRUE(Close(At(C, 11, 40), Rgb(kBorder)));
  EXPECT_EQ(At(C, 7, 21), Rgb(clWhite));
  EXPECT_NE(At(C, 0, 21), Under(C, 0, 21));
  EXPECT_EQ(At(C, 0, 60), Under(C, 0, 60));
  EXPECT_EQ(At(C, 60, 0), Rgb(kBorder));
  EXPECT_EQ(At(C, 5, 0), Under(C, 5, 0));
  EXPECT_EQ(At(C, 119, 60), Rgb(kBorder));
  EXPECT_EQ(At(C, 60, 119), Rgb(kBorder));

  C->SetCalloutOffset(0);
  C->SetCalloutPosition(cpBottom);
  // Base on y 108 from x 49 to 71, tip at (60, 119).
  EXPECT_EQ(At(C, 30, 108), Rgb(kBorder));
  EXPECT_EQ(At(C, 60, 108), Rgb(clWhite));
  EXPECT_EQ(At(C, 60, 113), Rgb(clWhite));
  EXPECT_EQ(At(C, 30, 115), Under(C, 30, 115));
  EXPECT_NE(At(C, 60, 119), Under(C, 60, 119));
  EXPECT_EQ(At(C, 0, 60), Rgb(kBorder));
  EXPECT_EQ(At(C, 119, 60), Rgb(kBorder));
  EXPECT_EQ(At(C, 60, 0), Rgb(kBorder));
  EXPECT_EQ(At(C, 0, 112), Under(C, 0, 112));

  C->SetCalloutPosition(cpRight);
  // Base on x 108 from y 49 to 71, tip at (119, 60).
  EXPECT_EQ(At(C, 108, 30), Rgb(kBorder));
  EXPECT_EQ(At(C, 108, 60), Rgb(clWhite));
  EXPECT_EQ(At(C, 113, 60), Rgb(clWhite));
  EXPECT_EQ(At(C, 115, 30), Under(C, 115, 30));
  EXPECT_NE(At(C, 119, 60), Under(C, 119, 60));
  EXPECT_EQ(At(C, 60, 0), Rgb(kBorder));
  EXPECT_EQ(At(C, 60, 119), Rgb(kBorder));
  EXPECT_EQ(At(C, 0, 60), Rgb(kBorder));
}

TEST_F(uQuarnCalloutPanel, BorderSidesDoNotMatterButSizeDoes) {
  auto* C = Callout(20, 20);
  C->SetBorderSides(TSides{});
  EXPECT_EQ(At(C, 0, 60), Rgb(kBorder));
  EXPECT_EQ(At(C, 119, 60), Rgb(kBorder));
  EXPECT_EQ(At(C, 60, 119), Rgb(kBorder));
  EXPECT_EQ(At(C, 30, 11), Rgb(kBorder));
  // Translucent body over the parent: a blend of both.
  C->SetAlpha(128);
  const TColor32 P = Under(C, 60, 60), B = At(C, 60, 60);
  EXPECT_NEAR(static_cast<int>(B & 0xFF), (static_cast<int>(P & 0xFF) + 255) / 2, 2);
  // No width: nothing to draw, and nothing raised.
  C->SetWidth(0);
  usertest::Pump();
  C->SetWidth(1);
  usertest::Pump();
}

TEST_F(uQuarnCalloutPanel, FormFileRoundTrip) {
  auto* C = Callout(0, 0);
  C->SetName(u"Callout1");
  C->SetAlpha(192);
  C->SetDoubleBorder(true);
  C->SetCalloutPosition(cpRight);
  C->SetCalloutLength(15);
  auto* T = new TQuarnCalloutPanel(nullptr);
  TextToComponent(ComponentToText(C), T);
  EXPECT_EQ(T->Alpha(), 192);
  EXPECT_TRUE(T->DoubleBorder());
  EXPECT_EQ(T->CalloutPosition(), cpRight);
  EXPECT_EQ(T->CalloutLength(), 15);
  EXPECT_EQ(T->CalloutWidth(), 22);
  delete T;
  // Defaults are not written; a fresh panel reads back as constructed.
  auto* D = Callout(0, 0);
  D->SetName(u"Callout2");
  const std::string Text = ComponentToText(D);
  EXPECT_EQ(Text.find("Alpha"), std::string::npos);
  EXPECT_EQ(Text.find("DoubleBorder"), std::string::npos);
}

TEST_F(uQuarnCalloutPanel, GoldenPicture) {
  const TQnCalloutPosition Sides[] = {cpTop, cpLeft, cpBottom, cpRight};
  for (Integer I = 0; I < 4; ++I) {
    auto* C = Callout(10 + I * 95, 10, 85, 90);
    C->SetCalloutPosition(Sides[I]);
    C->SetAlpha(200);
    C->SetBorderColor(static_cast<TColor>(0x00804020));
    if (I == 3) {
      C->SetBackgroundImage(u"QuarnMsgIcon_OK");
      C->SetBackgroundOffsetX(10);
      C->SetBackgroundOffsetY(20);
    }
  }
  usertest::Pump();
  FRoot->Repaint();
  usertest::Pump();
  TScreenImage Shot = CaptureWindow(FRoot->Handle(), true);
  TScreenImage Part;
  Part.Width = 400;
  Part.Height = 110;
  for (Integer Y = 0; Y < Part.Height; ++Y)
    for (Integer X = 0; X < Part.Width; ++X) Part.Pixels.push_back(Shot.Pixel(X, Y));
  qntest::ExpectMatchesGolden(Part, "callout-panel", 2, 8);
}

}  // namespace t_u_quarn_callout_panel_test
