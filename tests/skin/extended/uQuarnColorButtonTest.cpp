// The colour and corner buttons over a one-colour sheet: the fill of each
// state, the content's pressed shift, the border lines, the rounded shapes
// (anti-aliased and cut by a window region that follows the size), the
// focus frame, caption layout, form files, and the corner button's pictures
// against golden images.
#include <gtest/gtest.h>

#include "platform/classes/FormText.h"
#include "platform/vcl/ControlMessages.h"
#include "skin/extended/uQuarnColorButton.h"
#include "skin/extended/uQuarnCornerButton.h"
#include "tests/common/Golden.h"
#include "tests/skin/controls/ButtonTestSupport.h"

namespace t_u_quarn_color_button_test {

using namespace qn;
using namespace buttontest;

namespace {

class uQuarnColorButton : public ButtonTest {};
class uQuarnCornerButton : public ButtonTest {};

class TPaintCounter : public TObject {
 public:
  Integer Paints = 0;
  void Painted(TObject*, TBitmap32*) { ++Paints; }
};

// Where pixels of colour C lie within R: the bounding box, empty when none.
TRect Extent(TBitmap32* B, const TRect& R, TColor32 C) {
  TRect e(R.Right, R.Bottom, R.Left, R.Top);
  for (Integer y = R.Top; y < R.Bottom; ++y)
    for (Integer x = R.Left; x < R.Right; ++x)
      if (ButtonTest::Near(B->GetPixel(x, y), C)) {
        e.Left = std::min(e.Left, x);
        e.Top = std::min(e.Top, y);
        e.Right = std::max(e.Right, x + 1);
        e.Bottom = std::max(e.Bottom, y + 1);
      }
  return e;
}

TEST_F(uQuarnColorButton, FillOfEveryStateAndThePressedShift) {
  auto* b = Make<TQuarnColorButton>(20, 20, 80, 30);
  EXPECT_EQ(b->Width(), 80);
  EXPECT_EQ(b->Height(), 30);
  b->SetCaption(String());
  b->SetImage(u"Strip1");
  b->ImageOffset()->SetX(50);
  b->ImageOffset()->SetY(5);
  b->SetPressedOffset(2);
  const TColor32 image = FrameColour(0);
  MoveTo(FSheet, 390, 290);
  TBitmap32* p = Paint(b);
  EXPECT_TRUE(Near(p->GetPixel(5, 15), Rgb(TColor(0x003854FF))));
  EXPECT_TRUE(Near(p->GetPixel(50, 5), image));
  EXPECT_FALSE(Near(p->GetPixel(49, 5), image));

  MoveTo(b, 5, 15);
  EXPECT_TRUE(Near(Paint(b)->GetPixel(5, 15), Rgb(TColor(0x004343E0))));
  // A press inside: the pointer is over it, so hot, and the content shifts.
  Press();
  p = Paint(b);
  EXPECT_TRUE(Near(p->GetPixel(5, 15), Rgb(TColor(0x004343E0))));
  EXPECT_FALSE(Near(p->GetPixel(51, 6), image));
  EXPECT_TRUE(Near(p->GetPixel(52, 7), image));
  // The pressed pointer leaves: the pressed fill.
  MoveTo(FSheet, 390, 290);
  p = Paint(b);
  EXPECT_TRUE(Near(p->GetPixel(5, 15), Rgb(TColor(0x00DA9956))));
  Release();
  EXPECT_TRUE(Near(Paint(b)->GetPixel(5, 15), Rgb(TColor(0x003854FF))));
  b->SetDown(true);
  p = Paint(b);
  EXPECT_TRUE(Near(p->GetPixel(5, 15), Rgb(TColor(0x00DA9956))));
  EXPECT_TRUE(Near(p->GetPixel(52, 7), image));
  b->SetDown(false);

  // Disabled: grey fill and a grey caption in any state.
  b->SetImage(TQnResID());
  b->SetCaption(u"Mmm");
  b->SetEnabled(false);
  p = Paint(b);
  EXPECT_TRUE(Near(p->GetPixel(3, 3), Rgb(TColor(0x00D3D3D3))));
  EXPECT_GT(Count(p, b->ClientRect(), Rgb(TColor(0x008C8C8C))), 10);
  EXPECT_EQ(Count(p, b->ClientRect(), 0xFFFFFFu), 0);
  b->SetEnabled(true);
  EXPECT_GT(Count(Paint(b), b->ClientRect(), 0xFFFFFFu), 10);
}

TEST_F(uQuarnColorButton, BorderSidesRoundShapesAndAlpha) {
  auto* b = Make<TQuarnColorButton>(20, 20, 80, 30);
  b->SetCaption(String());
  b->SetBorderColor(TColor(0x0000FF00));
  b->SetBorderSides(TSides{sdLeft, sdTop});
  const TColor32 line = 0x00FF00u, fill = Rgb(TColor(0x003854FF));
  TBitmap32* p = Paint(b);
  EXPECT_TRUE(Near(p->GetPixel(0, 15), line));
  EXPECT_TRUE(Near(p->GetPixel(40, 0), line));
  EXPECT_TRUE(Near(p->GetPixel(79, 15), fill));
  EXPECT_TRUE(Near(p->GetPixel(40, 29), fill));
  b->SetBorderSides(TSides{sdRight, sdBottom});
  p = Paint(b);
  EXPECT_TRUE(Near(p->GetPixel(79, 15), line));
  EXPECT_TRUE(Near(p->GetPixel(40, 29), line));
  EXPECT_TRUE(Near(p->GetPixel(0, 15), fill));
  EXPECT_TRUE(Near(p->GetPixel(1, 28), fill));

  // Rounded and anti-aliased: the sheet at the corners, no lines anywhere.
  b->SetBorderSides(TSides{sdLeft, sdTop, sdRight, sdBottom});
  b->SetRoundFrame(true);
  b->SetRoundSize(8);
  p = Paint(b);
  EXPECT_TRUE(Near(p->GetPixel(0, 0), SheetColour));
  EXPECT_TRUE(Near(p->GetPixel(79, 29), SheetColour));
  EXPECT_EQ(Count(p, b->ClientRect(), line), 0);
  EXPECT_TRUE(Near(p->GetPixel(0, 15), fill));
  // A radius past half the height is held at it: the ends are half circles
  // and the middle stays filled.
  b->SetRoundSize(100);
  p = Paint(b);
  EXPECT_TRUE(Near(p->GetPixel(40, 15), fill));
  EXPECT_TRUE(Near(p->GetPixel(40, 1), fill));
  EXPECT_TRUE(Near(p->GetPixel(2, 3), SheetColour));
  EXPECT_TRUE(Near(p->GetPixel(1, 15), fill));

  // Region-cut: no lines either, the fill reaches the buffer's corners.
  b->SetRoundSize(8);
  b->SetSmoothRound(false);
  p = Paint(b);
  EXPECT_EQ(Count(p, b->ClientRect(), line), 0);
  EXPECT_TRUE(Near(p->GetPixel(0, 0), fill));

  b->SetRoundFrame(false);
  b->SetAlpha(0);
  p = Paint(b);
  EXPECT_TRUE(Near(p->GetPixel(40, 15), SheetColour));
  EXPECT_TRUE(Near(p->GetPixel(0, 15), line));
  b->SetAlpha(128);
  const TColor32 half = Paint(b)->GetPixel(40, 15);
  EXPECT_FALSE(Near(half, SheetColour));
  EXPECT_FALSE(Near(half, fill));
}

TEST_F(uQuarnColorButton, BorderColourOnlyStoredFocusFrameOnFocus) {
  auto* b = Make<TQuarnColorButton>(20, 20, 80, 30);
  b->SetCaption(String());
  b->SetBorderSides(TSides{sdLeft});
  TPaintCounter counter;
  b->SetOnCustomPaint(TCustomPaintEvent(&counter, &TPaintCounter::Painted));
  Paint(b);
  const Integer before = counter.Paints;
  b->SetBorderColor(TColor(0x000000FF));
  Pump();
  EXPECT_EQ(counter.Paints, before);
  EXPECT_FALSE(Near(b->Buffer()->GetPixel(0, 15), 0xFF0000u));
  EXPECT_TRUE(Near(Paint(b)->GetPixel(0, 15), 0xFF0000u));
  b->SetNormalColor(clBlack);
  Pump();
  EXPECT_GT(counter.Paints, before + 1);

  // The focus rectangle: a dotted ring one pixel in, only when asked for.
  const TColor32 fill = 0;
  auto ring = [&](TBitmap32* p) {
    Integer n = 0;
    for (Integer x = 2; x < 78; ++x) n += !Near(p->GetPixel(x, 1), fill) + !Near(p->GetPixel(x, 28), fill);
    for (Integer y = 2; y < 28; ++y) n += !Near(p->GetPixel(78, y), fill);
    return n;
  };
  b->SetFocus();
  Pump();
  EXPECT_TRUE(b->Focused());
  EXPECT_EQ(ring(Paint(b)), 0);
  b->SetShowFocusFrame(true);
  const Integer paints = counter.Paints;
  EXPECT_GT(ring(Paint(b)), 60);
  // Focus moving away repaints by itself and takes the ring along.
  auto* other = Make<TQuarnColorButton>(150, 20, 80, 30);
  other->SetFocus();
  Pump();
  EXPECT_GT(counter.Paints, paints + 1);
  EXPECT_EQ(ring(b->Buffer()), 0);
}

TEST_F(uQuarnColorButton, CaptionLayout) {
  auto* b = Make<TQuarnColorButton>(20, 20, 60, 80, u"Mmmm Wwww");
  const TColor32 white = 0xFFFFFFu;
  const TRect one = Extent(Paint(b), b->ClientRect(), white);
  ASSERT_LT(one.Left, one.Right);
  b->SetWordWrap(true);
  const TRect two = Extent(Paint(b), b->ClientRect(), white);
  ASSERT_LT(two.Left, two.Right);
  // Two lines, the block centred vertically.
  EXPECT_GT(two.Bottom - two.Top, (one.Bottom - one.Top) * 3 / 2);
  EXPECT_LE(std::abs(two.Top - (80 - two.Bottom)), 3);
  EXPECT_LE(std::abs(one.Top - (80 - one.Bottom)), 3);

  // The caption offset moves the left and top edges only, so a centred
  // caption moves by half of it.
  b->SetWordWrap(false);
  b->SetBounds(20, 20, 120, 30);
  b->SetCaption(u"Mm");
  const TRect base = Extent(Paint(b), b->ClientRect(), white);
  b->CaptionOffset()->SetX(20);
  const TRect moved = Extent(Paint(b), b->ClientRect(), white);
  EXPECT_NEAR(moved.Left - base.Left, 10, 1);
  b->CaptionOffset()->SetX(0);

  // A drop-down menu takes its width off the caption's right.
  auto* menu = new TPopupMenu(FForm.get());
  b->SetDropdownMenu(menu);
  const Integer dw = b->DropdownMenuWidth();
  ASSERT_GT(dw, 2);
  const TRect narrowed = Extent(Paint(b), TRect(0, 0, 120 - dw, 30), white);
  EXPECT_NEAR((narrowed.Left + narrowed.Right) - (base.Left + base.Right), -dw, 2);
}

TEST_F(uQuarnColorButton, WindowRegionFollowsShapeAndSize) {
  auto* b = Make<TQuarnColorButton>(20, 20, 80, 30);
  b->SetRoundFrame(true);
  b->SetSmoothRound(false);
  b->SetRoundSize(16);
  Pump();
  auto at = [&](Integer X, Integer Y) {
    const TPoint s = b->ClientToScreen(TPoint(X, Y));
    return WindowFromPoint(POINT(s.X, s.Y));
  };
  EXPECT_EQ(at(0, 0), FSheet->Handle());
  EXPECT_EQ(at(40, 15), b->Handle());
  EXPECT_EQ(at(79, 29), FSheet->Handle());

  // A recreated window gets its region again.
  b->RecreateWnd();
  Pump();
  EXPECT_EQ(at(0, 0), FSheet->Handle());
  EXPECT_EQ(at(40, 15), b->Handle());

  // Anchored to all sides, the button grows with the sheet; the region is
  // made for the new size.
  b->SetAnchors(TAnchors{akLeft, akTop, akRight, akBottom});
  FSheet->SetBounds(0, 0, 400, 340);
  Pump();
  ASSERT_EQ(b->Height(), 70);
  EXPECT_EQ(at(40, 60), b->Handle());
  EXPECT_EQ(at(79, 69), FSheet->Handle());
  EXPECT_EQ(at(2, 68), FSheet->Handle());
  EXPECT_EQ(at(40, 68), b->Handle());

  b->SetRoundSize(0);
  Pump();
  EXPECT_EQ(at(0, 0), b->Handle());
  b->SetRoundSize(16);
  Pump();
  EXPECT_EQ(at(0, 0), FSheet->Handle());
  RECT box;
  EXPECT_NE(GetWindowRgnBox(b->Handle(), &box), ERROR);
  // Anti-aliased rounding needs no region: it goes.
  b->SetSmoothRound(true);
  Pump();
  EXPECT_EQ(at(0, 0), b->Handle());
  EXPECT_EQ(GetWindowRgnBox(b->Handle(), &box), ERROR);
}

TEST_F(uQuarnColorButton, FormFileRoundTrip) {
  TQuarnColorButton a(nullptr);
  const std::string plain = ComponentToText(&a);
  for (const char* name : {"NormalColor", "HotColor", "PressedColor", "BorderColor", "RoundFrame", "RoundSize", "SmoothRound", "Alpha",
                           "BorderSides", "CaptionVisible"})
    EXPECT_EQ(plain.find(name), std::string::npos) << name << "\n" << plain;
  // Colours equal to defaults an earlier version declared come back.
  a.SetPressedColor(TColor(0x001A1A9D));
  a.SetNormalColor(TColor(0x00102030));
  a.SetRoundFrame(true);
  a.SetSmoothRound(false);
  a.SetRoundSize(7);
  a.SetAlpha(90);
  a.SetBorderSides(TSides{sdTop, sdBottom});
  a.SetHotImage(u"Glow");
  a.SetCaptionVisible(false);
  const std::string text = ComponentToText(&a);
  TQuarnColorButton b(nullptr);
  TextToComponent(text, &b);
  EXPECT_EQ(b.PressedColor(), TColor(0x001A1A9D));
  EXPECT_EQ(b.NormalColor(), TColor(0x00102030));
  EXPECT_TRUE(b.RoundFrame());
  EXPECT_FALSE(b.SmoothRound());
  EXPECT_EQ(b.RoundSize(), 7);
  EXPECT_EQ(b.Alpha(), 90);
  EXPECT_EQ(b.BorderSides(), (TSides{sdTop, sdBottom}));
  EXPECT_EQ(b.HotImage(), u"Glow");
  EXPECT_FALSE(b.CaptionVisible());
  EXPECT_EQ(ComponentToText(&b), text);
}

// ---- corner button ----------------------------------------------------------

TScreenImage Picture(TBitmap32* B) {
  TScreenImage s;
  s.Width = B->Width();
  s.Height = B->Height();
  s.Pixels.resize(size_t(s.Width) * size_t(s.Height));
  for (Integer y = 0; y < s.Height; ++y)
    for (Integer x = 0; x < s.Width; ++x) s.Pixels[size_t(y) * size_t(s.Width) + size_t(x)] = B->GetPixel(x, y);
  return s;
}

TEST_F(uQuarnCornerButton, Goldens) {
  struct Case {
    const char* Name;
    TQnCorners Corners;
    TSides Sides;
    Integer Width;
  };
  const TSides all{sdLeft, sdTop, sdRight, sdBottom};
  const TQnCorners four{TQnCorner::TopLeft, TQnCorner::TopRight, TQnCorner::BottomLeft, TQnCorner::BottomRight};
  const Case cases[] = {{"corner-button-default", four, all, 1},
                        {"corner-button-left-rounded", TQnCorners{TQnCorner::TopLeft, TQnCorner::BottomLeft}, all, 1},
                        {"corner-button-no-border", four, TSides{}, 1},
                        {"corner-button-border-3", four, all, 3}};
  for (const Case& c : cases) {
    auto* b = Make<TQuarnCornerButton>(20, 20, 90, 32, u"Go");
    b->SetCorners(c.Corners);
    b->SetBorderSides(c.Sides);
    b->SetBorderWidth(c.Width);
    TBitmap32* p = Paint(b);
    qntest::ExpectMatchesGolden(Picture(p), c.Name, 3, 12);
    delete b;
  }
}

TEST_F(uQuarnCornerButton, SidesCornersAndStates) {
  auto* b = Make<TQuarnCornerButton>(20, 20, 90, 32);
  const TColor32 border = Rgb(TColor(0x00FF7A0A)), white = 0xFFFFFFu;
  TBitmap32* p = Paint(b);
  // Default: rounded corners show the sheet, straight sides are border.
  EXPECT_TRUE(Near(p->GetPixel(0, 0), SheetColour));
  EXPECT_TRUE(Near(p->GetPixel(0, 16), border));
  EXPECT_TRUE(Near(p->GetPixel(45, 0), border));
  EXPECT_TRUE(Near(p->GetPixel(89, 16), border));
  EXPECT_TRUE(Near(p->GetPixel(45, 31), border));
  EXPECT_TRUE(Near(p->GetPixel(45, 16), white));

  // Square right corners are filled and bordered.
  b->SetCorners(TQnCorners{TQnCorner::TopLeft, TQnCorner::BottomLeft});
  p = Paint(b);
  EXPECT_TRUE(Near(p->GetPixel(0, 0), SheetColour));
  EXPECT_TRUE(Near(p->GetPixel(89, 0), border));
  EXPECT_TRUE(Near(p->GetPixel(89, 31), border));
  EXPECT_TRUE(Near(p->GetPixel(87, 2), white));

  // Without border sides every edge is the fill.
  b->SetBorderSides(TSides{});
  p = Paint(b);
  EXPECT_EQ(Count(p, b->ClientRect(), border), 0);
  EXPECT_TRUE(Near(p->GetPixel(89, 0), white));

  // A square top-right corner starts the right side B pixels down.
  b->SetCorners(TQnCorners{});
  b->SetBorderSides(TSides{sdRight});
  b->SetBorderWidth(3);
  p = Paint(b);
  for (Integer i = 0; i < 3; ++i) {
    EXPECT_TRUE(Near(p->GetPixel(89 - i, 2), white)) << i;
    EXPECT_TRUE(Near(p->GetPixel(89 - i, 3), border)) << i;
    EXPECT_TRUE(Near(p->GetPixel(89 - i, 31), border)) << i;
  }
  EXPECT_TRUE(Near(p->GetPixel(86, 16), white));
  EXPECT_TRUE(Near(p->GetPixel(0, 0), white));

  // States: the hot fill while pressed inside, no shift by default.
  b->SetBorderSides(TSides{});
  MoveTo(b, 45, 16);
  EXPECT_TRUE(Near(Paint(b)->GetPixel(45, 16), Rgb(TColor(0x00CF9354))));
  Press();
  EXPECT_TRUE(Near(Paint(b)->GetPixel(45, 16), Rgb(TColor(0x00CF9354))));
  MoveTo(FSheet, 390, 290);
  EXPECT_TRUE(Near(Paint(b)->GetPixel(45, 16), Rgb(TColor(0x00FF7A0A))));
  Release();
  b->SetEnabled(false);
  EXPECT_TRUE(Near(Paint(b)->GetPixel(45, 16), Rgb(TColor(0x00D3D3D3))));
}

TEST_F(uQuarnCornerButton, FormFileRoundTrip) {
  TQuarnCornerButton a(nullptr);
  EXPECT_EQ(a.PressedOffset(), 0);
  const std::string plain = ComponentToText(&a);
  for (const char* name : {"NormalColor", "HotColor", "PressedColor", "BorderColor", "RoundFrame", "RoundSize", "BorderSides",
                           "PressedOffset", "Corners", "BorderWidth"})
    EXPECT_EQ(plain.find(name), std::string::npos) << name << "\n" << plain;
  a.SetNormalColor(TColor(0x003854FF));
  a.SetHotColor(TColor(0x004343E0));
  a.SetRoundFrame(false);
  a.SetRoundSize(3);
  a.SetBorderSides(TSides{});
  a.SetPressedOffset(1);
  a.SetCorners(TQnCorners{TQnCorner::BottomRight});
  a.SetBorderWidth(2);
  const std::string text = ComponentToText(&a);
  TQuarnCornerButton b(nullptr);
  TextToComponent(text, &b);
  EXPECT_EQ(b.NormalColor(), TColor(0x003854FF));
  EXPECT_EQ(b.HotColor(), TColor(0x004343E0));
  EXPECT_FALSE(b.RoundFrame());
  EXPECT_EQ(b.RoundSize(), 3);
  EXPECT_EQ(b.BorderSides(), TSides{});
  EXPECT_EQ(b.PressedOffset(), 1);
  EXPECT_EQ(b.Corners(), TQnCorners{TQnCorner::BottomRight});
  EXPECT_EQ(b.BorderWidth(), 2);
  EXPECT_EQ(ComponentToText(&b), text);
}

}  // namespace

}  // namespace t_u_quarn_color_button_test
