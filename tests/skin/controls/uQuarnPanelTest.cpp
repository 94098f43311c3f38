// Panels over a known parent picture: body opacity, the user hook, border
// lines down to the smallest sizes, design-time lines, gradient anchors;
// the border panel's two-pixel frame and its hot rules; form files.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "platform/classes/FormText.h"
#include "platform/vcl/ControlMessages.h"
#include "skin/controls/uQuarnPanel.h"
#include "skin/foundation/uQnPix32Lib.h"
#include "tests/platform/user/UserTestSupport.h"
#include "tests/skin/controls/PictureRootSupport.h"

namespace t_u_quarn_panel_test {

using namespace qn;
using skintest::TPictureRoot;
using skintest::TPlainRoot;
using skintest::Rgb;

namespace {

class TCounter : public TObject {
 public:
  Integer Calls = 0;
  void Draw(TObject*, TBitmap32*) { ++Calls; }
};

class uQuarnPanel : public usertest::ServerTest {
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
  template <class T = TQuarnPanel>
  T* Panel(Integer X, Integer Y, Integer W, Integer H) {
    auto* p = new T(FRoot);
    p->SetParent(FRoot);
    p->SetBounds(X, Y, W, H);
    return p;
  }
  // Brings the buffer up to date now.
  static TBitmap32* Paint(TQuarnCustomControl* C) {
    C->Invalidate();
    usertest::Pump();
    return C->Buffer();
  }
  HWND FHost = nullptr;
  std::unique_ptr<TPlainRoot> FTop;
  TPictureRoot* FRoot = nullptr;
};


// Channel-wise distance, for blended and anti-aliased pixels.
Integer Dist(TColor32 a, TColor32 b) {
  Integer d = 0;
  for (int s = 0; s < 24; s += 8) d = std::max(d, std::abs(Integer((a >> s) & 255) - Integer((b >> s) & 255)));
  return d;
}

TEST_F(uQuarnPanel, DefaultsAndClientRect) {
  auto* p = Panel(0, 0, 185, 114);
  auto* fresh = new TQuarnPanel(FRoot);
  EXPECT_EQ(fresh->Width(), 185);
  EXPECT_EQ(fresh->Height(), 114);
  EXPECT_EQ(fresh->ControlStyle(), (TControlStyle{csAcceptsControls, csCaptureMouse, csClickEvents, csDoubleClicks}));
  EXPECT_EQ(fresh->Alpha(), 192);
  TRect r = p->ClientRect();
  p->AdjustClientRect(r);
  EXPECT_EQ(r, TRect(2, 2, 183, 112));
  p->SetDoubleBorder(false);
  p->SetBorderSides(TSides{sdLeft, sdBottom});
  r = p->ClientRect();
  p->AdjustClientRect(r);
  EXPECT_EQ(r, TRect(1, 0, 185, 113));
  p->SetBorderSides(TSides{});
  r = p->ClientRect();
  p->AdjustClientRect(r);
  EXPECT_EQ(r, p->ClientRect());
}

TEST_F(uQuarnPanel, AlphaZeroShowsTheParentAndEmptySidesDrawNoLine) {
  auto* p = Panel(30, 40, 120, 80);
  p->SetAlpha(0);
  p->SetBorderSides(TSides{});
  TBitmap32* b = Paint(p);
  Integer bad = 0;
  for (Integer y = 0; y < 80; ++y)
    for (Integer x = 0; x < 120; ++x)
      if (Rgb(b->GetPixel(x, y)) != Rgb(TPictureRoot::At(30 + x, 40 + y))) ++bad;
  EXPECT_EQ(bad, 0);
}

TEST_F(uQuarnPanel, OpacityAndTheUserHook) {
  auto* p = Panel(30, 40, 120, 80);
  p->SetColor(static_cast<TColor>(0x00204080));
  TCounter counter;
  p->SetOnCustomDraw(TQnCustomDrawEvent(&counter, &TCounter::Draw));
  p->SetAlpha(255);
  TBitmap32* b = Paint(p);
  EXPECT_EQ(counter.Calls, 0);
  EXPECT_EQ(Rgb(b->GetPixel(60, 40)), Rgb(static_cast<TColor>(0x00204080)));

  p->SetAlpha(128);
  Paint(p);
  EXPECT_EQ(counter.Calls, 1);
  Paint(p);
  EXPECT_EQ(counter.Calls, 2);
  // Half the body colour over the parent, within rounding.
  const TColor32 under = TPictureRoot::At(30 + 60, 40 + 40), body = Rgb(static_cast<TColor>(0x00204080));
  const TColor32 got = b->GetPixel(60, 40);
  for (int s = 0; s < 24; s += 8) {
    const Integer want = (Integer((body >> s) & 255) * 128 + Integer((under >> s) & 255) * 127) / 255;
    EXPECT_LE(std::abs(Integer((got >> s) & 255) - want), 2) << s;
  }
}

TEST_F(uQuarnPanel, BorderLinesAtTheSmallestSizes) {
  const TColor border = static_cast<TColor>(0x00103070);
  const TColor32 outer = Rgb(border), white = 0xFFFFFFu;
  auto make = [&](Integer w, Integer h) {
    auto* p = Panel(10, 10, w, h);
    p->SetAlpha(0);
    p->SetBorderColor(border);
    return Paint(p);
  };
  TBitmap32* b1 = make(1, 1);
  EXPECT_EQ(Rgb(b1->GetPixel(0, 0)), outer);
  TBitmap32* b2 = make(2, 2);
  // No room for inner lines: every pixel ends as the outer colour.
  for (Integer y = 0; y < 2; ++y)
    for (Integer x = 0; x < 2; ++x) EXPECT_EQ(Rgb(b2->GetPixel(x, y)), outer) << x << "," << y;
  TBitmap32* b3 = make(3, 3);
  for (Integer y = 0; y < 3; ++y)
    for (Integer x = 0; x < 3; ++x) EXPECT_EQ(Rgb(b3->GetPixel(x, y)), x == 1 && y == 1 ? white : outer) << x << "," << y;
  // A larger one: outer ring, inner white ring, parent inside.
  auto* big = Panel(50, 50, 20, 10);
  big->SetAlpha(0);
  big->SetBorderColor(border);
  TBitmap32* b = Paint(big);
  EXPECT_EQ(Rgb(b->GetPixel(19, 5)), outer);
  EXPECT_EQ(Rgb(b->GetPixel(18, 5)), white);
  EXPECT_EQ(Rgb(b->GetPixel(10, 9)), outer);
  EXPECT_EQ(Rgb(b->GetPixel(10, 8)), white);
  EXPECT_EQ(Rgb(b->GetPixel(10, 5)), Rgb(TPictureRoot::At(60, 55)));
}

TEST_F(uQuarnPanel, DesignTimeLinesAndOpaqueBody) {
  auto* p = Panel(30, 40, 60, 30);
  p->SetAlpha(0);
  TCounter counter;
  p->SetOnCustomDraw(TQnCustomDrawEvent(&counter, &TCounter::Draw));
  p->SetDesigning(true);
  TBitmap32* b = Paint(p);
  EXPECT_EQ(counter.Calls, 0);
  // The faint line over the parent; the inside is the parent itself.
  const TColor32 under = TPictureRoot::At(30, 55);
  const TColor32 want = Color32(0x17, 0xB4, 0xBB, 0);
  const TColor32 got = b->GetPixel(0, 15);
  for (int s = 0; s < 24; s += 8) {
    const Integer w = (Integer((want >> s) & 255) * 0xB0 + Integer((under >> s) & 255) * (255 - 0xB0)) / 255;
    EXPECT_LE(std::abs(Integer((got >> s) & 255) - w), 2) << s;
  }
  EXPECT_EQ(Rgb(b->GetPixel(1, 15)), Rgb(TPictureRoot::At(31, 55)));
  p->SetAlpha(100);
  b = Paint(p);
  EXPECT_EQ(counter.Calls, 0);
  EXPECT_EQ(Rgb(b->GetPixel(10, 10)), 0xFFFFFFu);
}

TEST_F(uQuarnPanel, GradientAnchorsAndExactEnds) {
  auto* p = Panel(0, 0, 185, 114);
  p->SetBackgroundFillType(ftGradient);
  p->SetBorderSides(TSides{});
  const TColor s = p->GradientStartColor(), e = p->GradientEndColor();
  // Reference of one step of a gradient of n lines from a to b.
  auto step = [](TColor a, TColor b, Integer i, Integer n) {
    TColor32 r = 0;
    const TColor32 ca = Rgb(a), cb = Rgb(b);
    for (int sh = 0; sh < 24; sh += 8) {
      const double va = (ca >> sh) & 255, vb = (cb >> sh) & 255;
      r |= TColor32(std::lround(va + (vb - va) * i / (n - 1))) << sh;
    }
    return r;
  };
  TBitmap32* b = Paint(p);
  // gaCenter, vertical: g = 68, m = 57; the upper band starts 11 rows above
  // the panel and is clipped, the lower one runs from m - 1 to the bottom.
  EXPECT_EQ(Rgb(b->GetPixel(20, 0)), step(e, s, 11, 68));
  EXPECT_EQ(Rgb(b->GetPixel(20, 56)), Rgb(s));
  EXPECT_EQ(Rgb(b->GetPixel(20, 113)), Rgb(e));
  EXPECT_EQ(Rgb(b->GetPixel(184, 113)), Rgb(e));

  p->SetGradientAlign(gaLeft);
  b = Paint(p);
  EXPECT_EQ(Rgb(b->GetPixel(20, 0)), Rgb(s));
  EXPECT_EQ(Rgb(b->GetPixel(20, 67)), Rgb(e));
  EXPECT_EQ(Rgb(b->GetPixel(20, 90)), Rgb(TPictureRoot::At(20, 90)));

  p->SetGradientDirection(gdHorizontal);
  p->SetGradientAlign(gaRight);
  b = Paint(p);
  // g = 111: from E at 74 to S at the right edge; the left stays the parent.
  EXPECT_EQ(Rgb(b->GetPixel(74, 50)), Rgb(e));
  EXPECT_EQ(Rgb(b->GetPixel(184, 50)), Rgb(s));
  EXPECT_EQ(Rgb(b->GetPixel(73, 50)), Rgb(TPictureRoot::At(73, 50)));
}

TEST_F(uQuarnPanel, BorderPanelCopiesOnlyTheTwoPixelFrame) {
  auto* bp = Panel<TQuarnBorderPanel>(40, 30, 90, 60);
  EXPECT_EQ(bp->Alpha(), 0);
  bp->SetNCSize(7);
  TRect r;
  bp->AdjustClientRect(r);
  EXPECT_EQ(r, TRect(7, 7, 83, 53));
  TBitmap32* b = Paint(bp);
  TQuarnImage* normal = TQuarnResManagerObj()->GetImageByName(u"QuarnBorderNormal");
  ASSERT_NE(normal, nullptr);
  TBitmap32 ref;
  ref.SetSize(90, 60);
  for (Integer y = 0; y < 60; ++y)
    for (Integer x = 0; x < 90; ++x) ref.SetPixel(x, y, TPictureRoot::At(40 + x, 30 + y));
  StretchBitmap(normal, &ref, false);
  Integer bandBad = 0, insideBad = 0;
  for (Integer y = 0; y < 60; ++y)
    for (Integer x = 0; x < 90; ++x) {
      const bool band = x < 2 || y < 2 || x >= 88 || y >= 58;
      if (band && Rgb(b->GetPixel(x, y)) != Rgb(ref.GetPixel(x, y))) ++bandBad;
      if (!band && Rgb(b->GetPixel(x, y)) != Rgb(TPictureRoot::At(40 + x, 30 + y))) ++insideBad;
    }
  EXPECT_EQ(bandBad, 0);
  EXPECT_EQ(insideBad, 0);

  // Without either image the buffer keeps the parent everywhere.
  bp->SetBorderEffectNormal(u"NoSuchFrame");
  bp->SetBorderEffectHot(u"NoSuchFrameEither");
  b = Paint(bp);
  EXPECT_EQ(Rgb(b->GetPixel(0, 0)), Rgb(TPictureRoot::At(40, 30)));
  EXPECT_EQ(Rgb(b->GetPixel(89, 59)), Rgb(TPictureRoot::At(129, 89)));
}

TEST_F(uQuarnPanel, BorderPanelHotRules) {
  auto* bp = Panel<TQuarnBorderPanel>(40, 30, 90, 60);
  auto* inner = new TPictureRoot(bp);
  inner->SetParent(bp);
  inner->SetBounds(10, 10, 40, 30);
  usertest::Pump();
  EXPECT_FALSE(bp->Hot());
  bp->UpdateFrame(false, true);
  EXPECT_TRUE(bp->Hot());
  bp->SetActiveHotFrame(false);
  EXPECT_FALSE(bp->Hot());
  bp->SetActiveHotFrame(true);
  bp->UpdateFrame(false, false);
  bp->SetOverControl(true);
  EXPECT_TRUE(bp->Hot());
  bp->SetOverControl(false);
  bp->SetFocus();
  EXPECT_TRUE(bp->Hot());
  TQuarnImage* hot = TQuarnResManagerObj()->GetImageByName(u"QuarnBorderHot");
  TQuarnImage* normal = TQuarnResManagerObj()->GetImageByName(u"QuarnBorderNormal");
  ASSERT_TRUE(hot && normal);
  TBitmap32 h, n;
  h.SetSize(90, 60);
  n.SetSize(90, 60);
  h.Clear(0xFF000000u);
  n.Clear(0xFF000000u);
  StretchBitmap(hot, &h, false);
  StretchBitmap(normal, &n, false);
  ASSERT_NE(Rgb(h.GetPixel(45, 0)), Rgb(n.GetPixel(45, 0)));
  TBitmap32* b = Paint(bp);
  EXPECT_LT(Dist(b->GetPixel(45, 0), h.GetPixel(45, 0)), Dist(b->GetPixel(45, 0), n.GetPixel(45, 0)));
  FRoot->SetFocus();
  EXPECT_FALSE(bp->Hot());

  // The pointer moves from the panel onto the hosted child: the panel's
  // leave is followed by the child's enter, forwarded up; the frame stays hot.
  bp->Perform(CM_MOUSEENTER, 0, 0);
  EXPECT_TRUE(bp->OverControl());
  bp->Perform(CM_MOUSELEAVE, 0, 0);
  inner->Perform(CM_MOUSEENTER, 0, 0);
  EXPECT_TRUE(bp->OverControl());
  inner->Perform(CM_MOUSELEAVE, 0, 0);
  EXPECT_FALSE(bp->OverControl());

  // A host drives the frame itself: leaving keeps the flag, entering sets
  // it only while the inner control does not hold it.
  bp->SetCMMouse(false);
  bp->UpdateFrame(true, true);
  bp->Perform(CM_MOUSELEAVE, 0, 0);
  EXPECT_TRUE(bp->OverControl());
  bp->UpdateFrame(true, false);
  bp->SetInControl(true);
  bp->Perform(CM_MOUSEENTER, 0, 0);
  EXPECT_FALSE(bp->OverControl());
  bp->SetInControl(false);
  bp->Perform(CM_MOUSEENTER, 0, 0);
  EXPECT_TRUE(bp->OverControl());

  // At design time the flags do not move.
  bp->SetDesigning(true);
  bp->UpdateFrame(true, false);
  EXPECT_TRUE(bp->OverControl());
}

TEST_F(uQuarnPanel, FormFileRoundTrip) {
  TQuarnPanel a(nullptr);
  const std::string plain = ComponentToText(&a);
  for (const char* name : {"Alpha", "BorderSides", "GradientSize", "DoubleBorder", "BorderColor", "GradientAlign"})
    EXPECT_EQ(plain.find(name), std::string::npos) << name << "\n" << plain;
  a.SetAlpha(40);
  a.SetBorderSides(TSides{sdTop});
  a.SetGradientAlign(gaRight);
  a.SetGradientDirection(gdHorizontal);
  a.SetBackgroundFillType(ftGradient);
  a.SetDoubleBorder(false);
  a.SetBackgroundImage(u"QuarnFlatBtn");
  const std::string text = ComponentToText(&a);
  for (const char* name : {"Alpha = 40", "BorderSides = [sdTop]", "GradientAlign = gaRight",
                           "GradientDirection = gdHorizontal", "ftGradient", "DoubleBorder = False",
                           "BackgroundImage = 'QuarnFlatBtn'"})
    EXPECT_NE(text.find(name), std::string::npos) << name << "\n" << text;
  TQuarnPanel b(nullptr);
  TextToComponent(text, &b);
  EXPECT_EQ(ComponentToText(&b), text);

  TQuarnBorderPanel c(nullptr);
  const std::string bplain = ComponentToText(&c);
  for (const char* name : {"Alpha", "BorderEffect", "ActiveHotFrame"})
    EXPECT_EQ(bplain.find(name), std::string::npos) << name << "\n" << bplain;
  c.SetBorderEffectHot(u"MyHot");
  c.SetAlpha(10);
  const std::string btext = ComponentToText(&c);
  EXPECT_NE(btext.find("BorderEffectHot = 'MyHot'"), std::string::npos) << btext;
  TQuarnBorderPanel d(nullptr);
  TextToComponent(btext, &d);
  EXPECT_EQ(d.BorderEffectHot(), u"MyHot");
  EXPECT_EQ(d.Alpha(), 10);
  EXPECT_EQ(d.BorderEffectNormal(), u"QuarnBorderNormal");
}

}  // namespace

}  // namespace t_u_quarn_panel_test
