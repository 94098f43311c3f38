// The expand box: the title height's bounds, folding to the title and back,
// what alClient and AllowCollapse refuse, clicks on the title through the
// input queue, the client area below the title, and where the title text
// and icons land in the picture.
#include "platform/classes/FormText.h"
#include "skin/controls/uQuarnExpandBox.h"
#include "tests/skin/controls/SkinControlsTestSupport.h"

namespace t_u_quarn_expand_box_test {

using namespace qn;

namespace {

class uQuarnExpandBox : public skintest::RootTest {
 protected:
  // A click on the box, far enough from the last one in time not to make a
  // double click.
  void Click(TQuarnExpandBox* B, Integer X, Integer Y) {
    Wait(600);
    MoveTo(B, X, Y);
    Press();
    Release();
  }
  TQuarnExpandBox* Box(Integer H = 150) {
    auto* b = Make<TQuarnExpandBox>(20, 20, 200, H);
    b->SetOnChanged([this](TObject*) { ++FChanged; });
    return b;
  }
  Integer FChanged = 0;
};

TEST_F(uQuarnExpandBox, TitleHeightStaysWithinTheBox) {
  auto* b = Box(150);
  EXPECT_EQ(b->TitleHeight(), 25);
  EXPECT_EQ(b->Caption(), u" ");
  b->SetTitleHeight(0);
  EXPECT_EQ(b->TitleHeight(), 1);
  b->SetTitleHeight(400);
  EXPECT_EQ(b->TitleHeight(), 150);
  b->SetTitleHeight(30);
  EXPECT_EQ(FChanged, 3);
  // Resizing below the title raises the height to it.
  b->SetBounds(20, 20, 200, 10);
  EXPECT_EQ(b->Height(), 30);
  // The client area lies under the title, inside the frame.
  b->SetHeight(150);
  auto* child = new TQuarnExpandBox(b);
  child->SetParent(b);
  child->SetAlign(alClient);
  EXPECT_EQ(child->BoundsRect(), TRect(1, 30, 199, 149));
}

TEST_F(uQuarnExpandBox, FoldsToTheTitleAndOpensToTheRememberedHeight) {
  auto* b = Box(150);
  b->SetExpand(false);
  EXPECT_EQ(b->Height(), 26);
  EXPECT_EQ(FChanged, 1);
  b->SetExpand(true);
  EXPECT_EQ(b->Height(), 150);
  // A title click flips the flag; a click below the title does nothing.
  Click(b, 100, 10);
  EXPECT_FALSE(b->Expand());
  EXPECT_EQ(b->Height(), 26);
  Click(b, 100, 10);
  EXPECT_TRUE(b->Expand());
  EXPECT_EQ(b->Height(), 150);
  Click(b, 100, 60);
  EXPECT_TRUE(b->Expand());
  // Without AllowCollapse: Expand := False is refused; a click flips the
  // flag but every resize is remembered, so the height stays.
  b->SetAllowCollapse(false);
  b->SetExpand(false);
  EXPECT_TRUE(b->Expand());
  b->SetHeight(120);
  Click(b, 100, 10);
  EXPECT_FALSE(b->Expand());
  EXPECT_EQ(b->Height(), 120);
}

TEST_F(uQuarnExpandBox, AlClientRefusesToFoldButAClickStillFlips) {
  auto* b = Box(150);
  b->SetAlign(alClient);
  usertest::Pump();
  const Integer h = b->Height();
  ASSERT_EQ(h, FRoot->ClientHeight());
  b->SetExpand(false);
  EXPECT_TRUE(b->Expand());
  Click(b, 100, 10);
  EXPECT_FALSE(b->Expand());
  EXPECT_EQ(b->Height(), h);
}

TEST_F(uQuarnExpandBox, TitlePicture) {
  auto* b = Box(100);
  b->SetTransparent(false);
  b->SetTitle(u"|||");
  const TColor32 title = Color32(ColorToRGB(b->TitleColor())) & 0xFFFFFFu;
  const TColor32 line = Color32(ColorToRGB(b->BorderColor())) & 0xFFFFFFu;
  // The first column of the title band (rows 2..22) that is neither title
  // colour nor frame: where the text starts.
  auto firstInk = [&](TBitmap32* P, Integer From = 1) {
    for (Integer x = From; x < 150; ++x)
      for (Integer y = 2; y < 23; ++y)
        if ((P->GetPixel(x, y) & 0xFFFFFFu) != title) return x;
    return -1;
  };
  TBitmap32* p = Picture(b);
  EXPECT_EQ(p->GetPixel(0, 50) & 0xFFFFFFu, line);
  EXPECT_EQ(p->GetPixel(199, 50) & 0xFFFFFFu, line);
  EXPECT_EQ(p->GetPixel(100, 99) & 0xFFFFFFu, line);
  EXPECT_EQ(p->GetPixel(100, 0) & 0xFFFFFFu, line);
  EXPECT_EQ(p->GetPixel(100, 24) & 0xFFFFFFu, line);  // the separator while open
  EXPECT_EQ(p->GetPixel(100, 12) & 0xFFFFFFu, title);
  const Integer plain = firstInk(p);
  EXPECT_GE(plain, 10);
  EXPECT_LE(plain, 11);
  b->SetTitleIcon(u"QuarnSearch_icon");  // 14 wide, drawn from x = 5
  p = Picture(b);
  EXPECT_EQ(firstInk(p), 5);
  // The text moves on by the icon's width.
  const Integer shifted = firstInk(p, 20);
  EXPECT_GE(shifted, 24);
  EXPECT_LE(shifted, 25);
  // The expand icon sits 5 pixels from the right edge; no icon without
  // AllowCollapse.
  auto iconInk = [&](TBitmap32* P) {
    Integer n = 0;
    for (Integer x = 200 - 5 - 16; x < 200 - 5; ++x)
      for (Integer y = 4; y < 21; ++y) n += (P->GetPixel(x, y) & 0xFFFFFFu) != title;
    return n;
  };
  EXPECT_GT(iconInk(Picture(b)), 50);
  b->SetAllowCollapse(false);
  EXPECT_EQ(iconInk(Picture(b)), 0);
}

TEST_F(uQuarnExpandBox, FormTextKeepsDefaultsOut) {
  TQuarnExpandBox b(nullptr);
  b.SetName(u"Box");
  std::string text = ComponentToText(&b);
  for (const char* n : {"TitleHeight", "ExpandIcon", "CollapseIcon", "Title ", "TitleColor", "BorderColor",
                        "AllowCollapse", "Expand "})
    EXPECT_EQ(text.find(n), std::string::npos) << n << "\n" << text;
  b.SetTitle(u"Files");
  b.SetTitleHeight(30);
  b.SetBorderColor(TColor(0x123456));
  text = ComponentToText(&b);
  TQuarnExpandBox c(nullptr);
  TextToComponent(text, &c);
  EXPECT_EQ(c.Title(), u"Files");
  EXPECT_EQ(c.TitleHeight(), 30);
  EXPECT_EQ(c.BorderColor(), TColor(0x123456));
}

}  // namespace

}  // namespace t_u_quarn_expand_box_test
