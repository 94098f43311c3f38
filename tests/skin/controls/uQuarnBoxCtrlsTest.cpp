// The group box over a known parent picture: where the caption row's lines
// start and stop, the box lines, the check box's geometry and its hold on
// the children, and form files.
#include <gtest/gtest.h>

#include <memory>

#include "platform/classes/FormText.h"
#include "platform/gdi/GdiText.h"
#include "skin/controls/uQuarnBoxCtrls.h"
#include "skin/controls/uQuarnPanel.h"
#include "tests/platform/user/UserTestSupport.h"
#include "tests/skin/controls/PictureRootSupport.h"

namespace t_u_quarn_box_ctrls_test {

using namespace qn;
using skintest::TPictureRoot;
using skintest::TPlainRoot;
using skintest::Rgb;

namespace {


class uQuarnBoxCtrls_GroupBox : public usertest::ServerTest {
 protected:
  void SetUp() override {
    usertest::ServerTest::SetUp();
    FHost = usertest::MakeTop(20, 20, 400, 300);
    FTop = std::make_unique<TPlainRoot>(nullptr);
    FTop->SetBounds(0, 0, 400, 300);
    FTop->SetParentWindow(FHost);
    FRoot = new TPictureRoot(FTop.get());
    FRoot->SetParent(FTop.get());
    FRoot->SetBounds(0, 0, 400, 300);
  }
  void TearDown() override {
    FTop.reset();
    FreeDeviceContexts();
    usertest::ServerTest::TearDown();
  }
  TQuarnGroupBox* Box(Integer X, Integer Y, Integer W, Integer H, const String& Caption = u"Caption") {
    auto* g = new TQuarnGroupBox(FRoot);
    g->SetParent(FRoot);
    g->SetBounds(X, Y, W, H);
    g->SetCaption(Caption);
    return g;
  }
  static TBitmap32* Paint(TQuarnCustomControl* C) {
    C->Invalidate();
    usertest::Pump();
    return C->Buffer();
  }
  // The caption's width in the box's font, measured as the box measures it.
  static Integer CaptionWidth(TQuarnGroupBox* G) {
    TBitmap32 b;
    b.SetSize(4, 4);
    b.Canvas()->Font()->Assign(G->Font());
    b.Canvas()->TextExtent(String());
    return CalcTextWidthW(b.Canvas()->Handle(), G->Caption());
  }
  // Whether the buffer's pixel is the parent's, seen through.
  static bool Parent(TBitmap32* B, TControl* C, Integer x, Integer y) {
    return Rgb(B->GetPixel(x, y)) == Rgb(TPictureRoot::At(C->Left() + x, C->Top() + y));
  }
  HWND FHost = nullptr;
  std::unique_ptr<TPlainRoot> FTop;
  TPictureRoot* FRoot = nullptr;
};

TEST_F(uQuarnBoxCtrls_GroupBox, DefaultsAndClientRect) {
  auto* g = Box(10, 10, 200, 100);
  EXPECT_EQ(g->ControlStyle(), (TControlStyle{csAcceptsControls, csCaptureMouse, csClickEvents, csDoubleClicks}));
  EXPECT_EQ(TQuarnGroupBox(nullptr).Caption(), u"Caption");
  TRect r = g->ClientRect();
  g->AdjustClientRect(r);
  EXPECT_EQ(r, TRect(0, 15, 200, 100));
  g->SetFrameStyle(fsBox);
  g->SetCaptionHeight(20);
  r = g->ClientRect();
  g->AdjustClientRect(r);
  EXPECT_EQ(r, TRect(1, 20, 199, 99));
}

// The line row of each alignment: exact end colours, five pixels of air
// next to the caption, the parent everywhere else on the row.
TEST_F(uQuarnBoxCtrls_GroupBox, LineBandsByAlignment) {
  auto* g = Box(10, 10, 240, 60, u"Group");
  const Integer w = 240, tw = CaptionWidth(g), y = (15 - 1) / 2;
  const TColor32 start = Rgb(g->LineStartColor()), stop = Rgb(g->LineStopColor());
  // Left: from caption + 5 to the right edge, start colour first.
  TBitmap32* b = Paint(g);
  EXPECT_TRUE(Parent(b, g, tw + 4, y));
  EXPECT_EQ(Rgb(b->GetPixel(tw + 5, y)), start);
  EXPECT_EQ(Rgb(b->GetPixel(w - 1, y)), stop);
  EXPECT_TRUE(Parent(b, g, 150, y - 1));
  EXPECT_TRUE(Parent(b, g, 150, y + 1));
  // Right: from 0 to caption - 5, stop colour first.
  g->SetCaptionAlignment(taRightJustify);
  b = Paint(g);
  EXPECT_EQ(Rgb(b->GetPixel(0, y)), stop);
  EXPECT_EQ(Rgb(b->GetPixel(w - tw - 6, y)), start);
  EXPECT_TRUE(Parent(b, g, w - tw - 5, y));
  // Centre: two bands fading outwards.
  g->SetCaptionAlignment(taCenter);
  b = Paint(g);
  const Integer m = (w - tw) / 2;
  EXPECT_EQ(Rgb(b->GetPixel(0, y)), stop);
  EXPECT_EQ(Rgb(b->GetPixel(m - 6, y)), start);
  EXPECT_TRUE(Parent(b, g, m - 5, y));
  EXPECT_TRUE(Parent(b, g, m + tw + 4, y));
  EXPECT_EQ(Rgb(b->GetPixel(m + tw + 5, y)), start);
  EXPECT_EQ(Rgb(b->GetPixel(w - 1, y)), stop);
}

TEST_F(uQuarnBoxCtrls_GroupBox, NothingWithoutRoomOrRow) {
  auto* g = Box(10, 10, 120, 50);
  g->SetCaptionHeight(0);
  g->CheckBox()->SetVisible(true);
  TBitmap32* b = Paint(g);
  for (Integer y = 0; y < 50; ++y)
    for (Integer x = 0; x < 120; ++x) ASSERT_TRUE(Parent(b, g, x, y)) << x << "," << y;
  // A caption wider than the box leaves no band: the row beyond the text is
  // the parent, and nothing is drawn left of the box either.
  auto* n = Box(10, 100, 60, 40, u"A caption far too wide for its box");
  n->SetLight(true);
  b = Paint(n);
  for (Integer y = 0; y < 40; ++y) ASSERT_TRUE(y < 15 || Parent(b, n, 30, y)) << y;
  for (Integer y = 15; y < 40; ++y)
    for (Integer x = 0; x < 60; ++x) ASSERT_TRUE(Parent(b, n, x, y));
  n->SetCaptionAlignment(taRightJustify);
  b = Paint(n);
  for (Integer y = 15; y < 40; ++y)
    for (Integer x = 0; x < 60; ++x) ASSERT_TRUE(Parent(b, n, x, y));
}

// fsBox with the check box on the left: the top line stops five pixels and
// the box's width before the caption; the sides run down from the line.
TEST_F(uQuarnBoxCtrls_GroupBox, BoxGeometryFromTheCheckImage) {
  auto* g = Box(10, 10, 200, 80, u"Box");
  g->SetFrameStyle(fsBox);
  g->CheckBox()->SetVisible(true);
  TBitmap32* b = Paint(g);
  TDynQuarnImage frames;
  SpliteImg(TQuarnResManagerObj()->GetImageByName(u"QuarnCheckBox"), 4, frames);
  ASSERT_EQ(frames.size(), 4u);
  const Integer cw = frames[0]->Width(), fh = frames[0]->Height();
  FreeDynImg(frames);
  const Integer tw = CaptionWidth(g), y = 7, c = Rgb(g->LineStartColor());
  const Integer left = 20 + 3 + cw + 3;  // the caption's left edge
  EXPECT_EQ(g->CheckBox()->HitRect(), TRect(23, 7 - fh / 2, 23 + left + cw, 7 - fh / 2 + fh));
  EXPECT_EQ(Rgb(b->GetPixel(left - 5 - cw - 1, y)), TColor32(c));
  EXPECT_TRUE(Parent(b, g, left - 5 - cw, y));
  EXPECT_TRUE(Parent(b, g, left + tw + 4, y));
  EXPECT_EQ(Rgb(b->GetPixel(left + tw + 5, y)), TColor32(c));
  for (Integer row : {y, 15, 40, 79}) {
    EXPECT_EQ(Rgb(b->GetPixel(0, row)), TColor32(c)) << row;
    EXPECT_EQ(Rgb(b->GetPixel(199, row)), TColor32(c)) << row;
  }
  EXPECT_TRUE(Parent(b, g, 0, y - 1));
  EXPECT_TRUE(Parent(b, g, 100, 40));
  EXPECT_EQ(Rgb(b->GetPixel(100, 79)), TColor32(c));
  // A missing image draws no box and takes no room.
  g->CheckBox()->SetPictures(u"NoSuchImage");
  b = Paint(g);
  EXPECT_TRUE(Parent(b, g, 23 + cw / 2, y));
  EXPECT_EQ(Rgb(b->GetPixel(14, y)), TColor32(c));
  EXPECT_TRUE(Parent(b, g, 15, y));
}

TEST_F(uQuarnBoxCtrls_GroupBox, CheckBoxRulesTheChildren) {
  auto* g = Box(10, 10, 200, 120);
  auto* a = new TQuarnPanel(g);
  a->SetParent(g);
  auto* d = new TQuarnPanel(g);
  d->SetParent(g);
  d->SetEnabled(false);
  // Hidden, a change of Checked leaves the children alone.
  g->CheckBox()->SetChecked(false);
  EXPECT_TRUE(a->Enabled());
  g->CheckBox()->SetChecked(true);
  // Showing the box does not touch them either.
  g->CheckBox()->SetVisible(true);
  EXPECT_FALSE(d->Enabled());
  g->CheckBox()->SetChecked(false);
  EXPECT_FALSE(a->Enabled());
  EXPECT_FALSE(d->Enabled());
  auto* late = new TQuarnPanel(g);
  late->SetParent(g);
  EXPECT_FALSE(late->Enabled());
  g->CheckBox()->SetChecked(true);
  EXPECT_TRUE(a->Enabled() && d->Enabled() && late->Enabled());
  auto* later = new TQuarnPanel(g);
  later->SetEnabled(false);
  later->SetParent(g);
  EXPECT_TRUE(later->Enabled());
  // Assigning another check box goes through the setters.
  TGroupBoxCheckBox other(nullptr);
  other.SetVisible(true);
  other.SetChecked(false);
  other.SetPictures(u"QuarnRadiobtn");
  g->SetCheckBox(&other);
  EXPECT_FALSE(g->CheckBox()->Checked());
  EXPECT_EQ(g->CheckBox()->Pictures(), u"QuarnRadiobtn");
  EXPECT_FALSE(a->Enabled());
}

TEST_F(uQuarnBoxCtrls_GroupBox, ClickInTheHitRectToggles) {
  auto* g = Box(10, 10, 200, 120);
  g->CheckBox()->SetVisible(true);
  auto* child = new TQuarnPanel(g);
  child->SetParent(g);
  TBitmap32* b = Paint(g);
  const TRect r = g->CheckBox()->HitRect();
  ASSERT_GT(r.Width(), 0);
  const TColor32 checked = b->GetPixel(r.Left + 7, r.Top + 7);
  auto at = [&](UINT msg, Integer x, Integer y) {
    g->Perform(msg, msg == WM_LBUTTONDOWN ? MK_LBUTTON : 0, MAKELPARAM(x, y));
  };
  // Outside the rect (right and bottom edges are outside): nothing.
  at(WM_MOUSEMOVE, r.Right, r.Top);
  at(WM_LBUTTONDOWN, r.Right, r.Top);
  at(WM_LBUTTONUP, r.Right, r.Top);
  EXPECT_TRUE(g->CheckBox()->Checked());
  at(WM_MOUSEMOVE, r.Left, r.Bottom - 1);
  EXPECT_TRUE(g->CheckBox()->MouseInControl());
  at(WM_LBUTTONDOWN, r.Left, r.Bottom - 1);
  at(WM_LBUTTONUP, r.Left, r.Bottom - 1);
  EXPECT_FALSE(g->CheckBox()->Checked());
  EXPECT_FALSE(child->Enabled());
  // The hot unchecked frame differs from the checked one.
  b = Paint(g);
  EXPECT_NE(b->GetPixel(r.Left + 7, r.Top + 7), checked);
}

TEST_F(uQuarnBoxCtrls_GroupBox, ShineOnlyAtRunTimeAndOnLines) {
  auto* g = Box(10, 10, 240, 60, u"Group");
  const Integer y = 7, tw = CaptionWidth(g);
  g->SetLight(true);
  TBitmap32* b = Paint(g);
  // White at a low alpha lifts the rows around the band.
  auto lifted = [&](Integer x, Integer yy) {
    const TColor32 p = b->GetPixel(x, yy), q = TPictureRoot::At(10 + x, 10 + yy);
    return ((p >> 16) & 255) > ((q >> 16) & 255) && ((p >> 8) & 255) > ((q >> 8) & 255);
  };
  EXPECT_TRUE(lifted(150, y - 2));
  EXPECT_TRUE(lifted(150, y + 2));
  EXPECT_TRUE(Parent(b, g, 150, y + 6));
  EXPECT_TRUE(Parent(b, g, tw / 2, y + 4));
  g->SetLight(false);
  b = Paint(g);
  EXPECT_TRUE(Parent(b, g, 150, y - 2));
}

TEST_F(uQuarnBoxCtrls_GroupBox, FormFileRoundTrip) {
  TQuarnGroupBox a(nullptr);
  const std::string plain = ComponentToText(&a);
  for (const char* name : {"CaptionHeight", "FrameStyle", "LineStartColor", "Light =", "CheckBox.", "Alignment"})
    EXPECT_EQ(plain.find(name), std::string::npos) << name << "\n" << plain;
  a.SetFrameStyle(fsBox);
  a.SetCaptionAlignment(taCenter);
  a.SetCaptionHeight(22);
  a.SetLight(true);
  a.SetCaption(u"Options");
  a.CheckBox()->SetVisible(true);
  a.CheckBox()->SetChecked(false);
  a.CheckBox()->SetPictures(u"MyBox");
  a.CaptionLight()->SetActive(true);
  const std::string text = ComponentToText(&a);
  for (const char* name : {"FrameStyle = fsBox", "CaptionAlignment = taCenter", "CaptionHeight = 22", "Light = True",
                           "CheckBox.Visible = True", "CheckBox.Checked = False", "CheckBox.Pictures = 'MyBox'",
                           "CaptionLight.Active = True", "Caption = 'Options'"})
    EXPECT_NE(text.find(name), std::string::npos) << name << "\n" << text;
  TQuarnGroupBox b(nullptr);
  TextToComponent(text, &b);
  EXPECT_EQ(ComponentToText(&b), text);
  EXPECT_FALSE(b.CheckBox()->Checked());
}

}  // namespace

}  // namespace t_u_quarn_box_ctrls_test
