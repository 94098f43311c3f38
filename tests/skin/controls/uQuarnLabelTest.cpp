// Labels over a known parent picture: sizing to the measured text, the
// rounded background's corners and edges, and the rules that keep or
// re-fit the bounds; ellipsis, wrapping, glow and the design-time field;
// the form-file round trip.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "platform/classes/FormText.h"
#include "skin/controls/uQuarnLabel.h"
#include "tests/platform/user/UserTestSupport.h"
#include "tests/skin/controls/PictureRootSupport.h"

namespace t_u_quarn_label_test {

using namespace qn;
using skintest::TPictureRoot;
using skintest::TPlainRoot;
using skintest::Rgb;

namespace {

class uQuarnLabel : public usertest::ServerTest {
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
  TQuarnLabel* Label(const String& Caption) {
    auto* l = new TQuarnLabel(FRoot);
    l->SetParent(FRoot);
    l->SetLeft(20);
    l->SetTop(30);
    l->SetCaption(Caption);
    return l;
  }
  // The caption measured the way a reader would: in a DC of its own with
  // the label's font.
  static TSize Measured(TQuarnLabel* L) {
    TBitmap32 b;
    b.SetSize(4, 4);
    b.Canvas()->Font()->Assign(L->Font());
    b.Canvas()->TextExtent(String());
    const HDC dc = b.Canvas()->Handle();
    return TSize{CalcTextWidthW(dc, L->Caption()), CalcTextHeightW(dc, L->Caption())};
  }
  HWND FHost = nullptr;
  std::unique_ptr<TPlainRoot> FTop;
  TPictureRoot* FRoot = nullptr;
};


TEST_F(uQuarnLabel, AutoSizeFollowsTheCaptionButNotARunTimeFont) {
  auto* l = Label(u"Translucent label");
  EXPECT_EQ(l->ControlStyle(),
            (TControlStyle{csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks, csReplicatable}));
  EXPECT_TRUE(l->AutoInvalidate());
  TSize m = Measured(l);
  EXPECT_GT(m.cx, 40);
  EXPECT_EQ(l->Width(), m.cx);
  EXPECT_EQ(l->Height(), m.cy);

  // A bigger font at run time keeps the bounds; the next caption re-fits.
  const Integer w = l->Width();
  l->Font()->SetSize(20);
  EXPECT_EQ(l->Width(), w);
  l->SetCaption(u"Longer translucent label");
  m = Measured(l);
  EXPECT_EQ(l->Width(), m.cx);
  EXPECT_EQ(l->Height(), m.cy);
  EXPECT_GT(m.cy, 20);

  // An ellipsis stops sizing without re-fitting.
  l->SetEllipsisPosition(epEndEllipsis);
  EXPECT_FALSE(l->AutoSize());
  l->SetCaption(u"x");
  EXPECT_EQ(l->Width(), m.cx);
}

TEST_F(uQuarnLabel, RoundBackgroundKeepsTheSizeAndShowsTheParentInTheCorners) {
  auto* l = Label(u"");
  l->SetAutoSize(false);
  l->SetBounds(20, 30, 80, 30);
  l->SetColor(static_cast<TColor>(0x00306090));
  EXPECT_EQ(l->Alpha(), 0);
  l->SetRoundBackground(true);
  EXPECT_EQ(l->Alpha(), 255);
  l->SetRoundSize(8);
  l->Invalidate();
  usertest::Pump();
  TBitmap32* b = l->Buffer();
  const TColor32 body = Color32(0x90, 0x60, 0x30, 0) & 0xFFFFFFu;
  // Corners: the parent; edge middles and the last column and row: the body.
  EXPECT_EQ(Rgb(b->GetPixel(0, 0)), Rgb(TPictureRoot::At(20, 30)));
  EXPECT_EQ(Rgb(b->GetPixel(79, 29)), Rgb(TPictureRoot::At(99, 59)));
  EXPECT_EQ(Rgb(b->GetPixel(79, 0)), Rgb(TPictureRoot::At(99, 30)));
  EXPECT_EQ(Rgb(b->GetPixel(40, 0)), body);
  EXPECT_EQ(Rgb(b->GetPixel(40, 29)), body);
  EXPECT_EQ(Rgb(b->GetPixel(0, 15)), body);
  EXPECT_EQ(Rgb(b->GetPixel(79, 15)), body);
  EXPECT_EQ(Rgb(b->GetPixel(40, 15)), body);

  // On keeps the size even with a new caption; off re-fits.
  l->SetAutoSize(true);
  l->SetCaption(u"Rounded");
  EXPECT_EQ(l->Width(), 80);
  l->SetRoundBackground(false);
  EXPECT_EQ(l->Width(), Measured(l).cx);
}

TEST_F(uQuarnLabel, TextIsPlacedByTheAlignments) {
  auto* l = Label(u"Ag");
  l->Font()->SetColor(clBlack);
  l->SetAutoSize(false);
  l->SetBounds(20, 30, 120, 60);
  // Where ink lands, as a box.
  auto ink = [&]() {
    l->Invalidate();
    usertest::Pump();
    TBitmap32* b = l->Buffer();
    TRect r(1000, 1000, -1, -1);
    for (Integer y = 0; y < b->Height(); ++y)
      for (Integer x = 0; x < b->Width(); ++x)
        if (Rgb(b->GetPixel(x, y)) != Rgb(TPictureRoot::At(20 + x, 30 + y))) {
          r.Left = std::min(r.Left, x);
          r.Top = std::min(r.Top, y);
          r.Right = std::max(r.Right, x);
          r.Bottom = std::max(r.Bottom, y);
        }
    return r;
  };
  const TRect topLeft = ink();
  EXPECT_LT(topLeft.Left, 10);
  EXPECT_LT(topLeft.Top, 10);
  l->SetAlignmentHorizontal(taRightJustify);
  l->SetAlignmentVertical(taAlignBottom);
  const TRect bottomRight = ink();
  EXPECT_GT(bottomRight.Right, 110);
  EXPECT_GT(bottomRight.Bottom, 50);
  l->SetAlignmentHorizontal(taCenter);
  l->SetAlignmentVertical(taVerticalCenter);
  const TRect centre = ink();
  EXPECT_NEAR((centre.Left + centre.Right) / 2, 60, 4);
  EXPECT_NEAR((centre.Top + centre.Bottom) / 2, 30, 5);
  // Wrapped and centred keeps the same vertical place for one line.
  l->SetWordWap(true);
  const TRect wrapped = ink();
  EXPECT_NEAR((wrapped.Top + wrapped.Bottom) / 2, 30, 5);
}

// The caption's cut, wrap and glow, and the grey field that keeps a text
// in the body's colour readable while designing.
TEST_F(uQuarnLabel, EllipsisWrapGlowAndTheDesignField) {
  auto* l = Label(u"alpha beta gamma delta epsilon");
  l->Font()->SetColor(clBlack);
  l->SetAutoSize(false);
  l->SetBounds(20, 30, 70, 60);
  auto paint = [&]() {
    l->Invalidate();
    usertest::Pump();
    return l->Buffer();
  };
  // Ink is what differs from the parent; rows and columns where it lands.
  auto ink = [&](TBitmap32* b) {
    TRect r(1000, 1000, -1, -1);
    for (Integer y = 0; y < b->Height(); ++y)
      for (Integer x = 0; x < b->Width(); ++x) {
        if (Rgb(b->GetPixel(x, y)) != Rgb(TPictureRoot::At(20 + x, 30 + y))) {
          r.Left = std::min(r.Left, x);
          r.Top = std::min(r.Top, y);
          r.Right = std::max(r.Right, x);
          r.Bottom = std::max(r.Bottom, y);
        }
      }
    return r;
  };
  const Integer lineH = Measured(l).cy;
  const TRect plain = ink(paint());
  EXPECT_LT(plain.Bottom, lineH);
  EXPECT_GE(plain.Right, 60);  // one line, running out of the control

  // An end ellipsis changes the line's end but keeps it one line.
  auto pixels = [](TBitmap32* B) {
    std::vector<TColor32> v;
    for (Integer y = 0; y < B->Height(); ++y)
      for (Integer x = 0; x < B->Width(); ++x) v.push_back(B->GetPixel(x, y));
    return v;
  };
  const std::vector<TColor32> before = pixels(paint());
  l->SetEllipsisPosition(epEndEllipsis);
  TBitmap32* b = paint();
  EXPECT_NE(pixels(b), before);
  EXPECT_LT(ink(b).Bottom, lineH);
  l->SetEllipsisPosition(epNone);

  // Wrapping breaks the words over several lines within the width.
  l->SetWordWap(true);
  const TRect wrapped = ink(paint());
  EXPECT_GE(wrapped.Bottom, 2 * lineH);
  EXPECT_LT(wrapped.Right, 70);
  l->SetWordWap(false);

  // The glow lays its colour around the letters, outside the plain ink.
  l->Light()->SetColor(static_cast<TColor>(0x000000FF));
  l->Light()->SetBlurRadius(4);
  l->Light()->SetActive(true);
  b = paint();
  bool reddened = false;
  for (Integer x = 0; x < 70 && !reddened; ++x) {
    const TColor32 c = b->GetPixel(x, plain.Bottom + 2);
    const TColor32 under = TPictureRoot::At(20 + x, 30 + plain.Bottom + 2);
    reddened = ((c >> 16) & 255) > ((under >> 16) & 255) + 8;
  }
  EXPECT_TRUE(reddened);
  l->Light()->SetActive(false);

  // Text in the body's colour: a grey field at design time only.
  l->SetCaption(u"ab");
  l->Font()->SetColor(static_cast<TColor>(0x00FFFFFF));
  b = paint();
  EXPECT_EQ(Rgb(b->GetPixel(60, 50)), Rgb(TPictureRoot::At(80, 80)));
  l->SetDesigning(true);
  b = paint();
  EXPECT_EQ(Rgb(b->GetPixel(60, 50)), Rgb(static_cast<TColor>(0x00C9C6C3)));
  EXPECT_EQ(Rgb(b->GetPixel(0, 0)), Rgb(static_cast<TColor>(0x00C9C6C3)));
}

TEST_F(uQuarnLabel, FormFileRoundTrip) {
  TQuarnLabel a(nullptr);
  const std::string plain = ComponentToText(&a);
  for (const char* name : {"Alpha", "AutoSize", "RoundSize", "AlignmentVertical", "BorderSides", "GradientSize"})
    EXPECT_EQ(plain.find(name), std::string::npos) << name << "\n" << plain;
  a.SetAlignmentVertical(taVerticalCenter);
  a.SetEllipsisPosition(epPathEllipsis);
  a.SetRoundSize(9);
  a.Light()->SetActive(true);
  const std::string text = ComponentToText(&a);
  for (const char* name : {"AlignmentVertical = taVerticalCenter", "EllipsisPosition = epPathEllipsis",
                           "RoundSize = 9", "AutoSize = False", "Light.Active = True"})
    EXPECT_NE(text.find(name), std::string::npos) << name << "\n" << text;
  TQuarnLabel b(nullptr);
  TextToComponent(text, &b);
  EXPECT_EQ(ComponentToText(&b), text);
  EXPECT_TRUE(b.Light()->Active());
}

}  // namespace

}  // namespace t_u_quarn_label_test
