// The toolbar's picture: frames and their cache, state fonts and images,
// the press shift, the drop-down arrow, spacer lines, scroll buttons, the
// body held after a resize, and one golden picture of everything at once.
#include <cstdlib>

#include "platform/vcl/Menus.h"
#include "skin/foundation/uQuarnResManager.h"
#include "tests/common/Golden.h"
#include "tests/skin/extended/ToolbarTestSupport.h"

namespace t_u_quarn_toolbar_paint_test {

using namespace qn;
using toolbartest::ImageColour;

namespace {

class uQuarnToolbar_Paint : public toolbartest::ToolbarTest {
 protected:
  // Pixels of A and B that differ in RGB inside R (clipped to both).
  static Integer Differences(const TBitmap32& A, const TBitmap32& B, TRect R) {
    R.Right = std::min({R.Right, A.Width(), B.Width()});
    R.Bottom = std::min({R.Bottom, A.Height(), B.Height()});
    Integer n = 0;
    for (Integer y = std::max(0, R.Top); y < R.Bottom; ++y)
      for (Integer x = std::max(0, R.Left); x < R.Right; ++x)
        if (Rgb(A.GetPixel(x, y)) != Rgb(B.GetPixel(x, y))) ++n;
    return n;
  }
  static Integer Differences(const TBitmap32& A, const TBitmap32& B) {
    return Differences(A, B, TRect(0, 0, A.Width(), A.Height()));
  }
  static Integer Count(const TBitmap32& A, const TRect& R, TColor32 Colour) {
    Integer n = 0;
    for (Integer y = R.Top; y < R.Bottom; ++y)
      for (Integer x = R.Left; x < R.Right; ++x)
        if (Rgb(A.GetPixel(x, y)) == Rgb(Colour)) ++n;
    return n;
  }
};

TEST_F(uQuarnToolbar_Paint, InactiveButtonImageDrawsNoFrames) {
  TQuarnToolbar* empty = Bar();
  TQuarnToolbar* b = Bar();
  AddItems(b, 4);
  for (Integer i = 0; i < 4; ++i) b->Items()->Items(i)->Text()->SetVisible(false);
  b->Items()->Items(1)->SetDown(true);
  b->SetHotItemIndex(2);
  const auto withFrames = Shot(b);
  const auto none = Shot(empty);
  EXPECT_GT(Differences(*withFrames, *none, b->Items()->Items(1)->Rect()), 100);
  EXPECT_GT(Differences(*withFrames, *none, b->Items()->Items(2)->Rect()), 100);
  b->ButtonImage()->SetActive(false);
  EXPECT_EQ(Differences(*Shot(b), *none), 0);
}

TEST_F(uQuarnToolbar_Paint, StateFramesAndFonts) {
  TQuarnToolbar* b = Bar();
  AddItems(b, 3);
  for (Integer i = 0; i < 3; ++i) b->Items()->Items(i)->Text()->SetText(u"WWWW");
  for (TFont* f : {b->Font(), b->FontHot(), b->FontDown()}) f->SetSize(16);
  b->Font()->SetColor(static_cast<TColor>(0x00000080));
  b->FontHot()->SetColor(static_cast<TColor>(0x00008000));
  b->FontDown()->SetColor(static_cast<TColor>(0x00800000));
  b->Items()->Items(2)->SetDown(true);
  b->SetHotItemIndex(1);
  const auto p = Shot(b);
  // Each item's text in its state's colour, and nobody else's.
  const TColor32 colours[3] = {0x800000u, 0x008000u, 0x000080u};
  for (Integer i = 0; i < 3; ++i) {
    const TRect r = b->Items()->Items(i)->Rect();
    for (Integer c = 0; c < 3; ++c) {
      if (c == i) EXPECT_GT(Count(*p, r, colours[c]), 10) << i;
      else EXPECT_EQ(Count(*p, r, colours[c]), 0) << i << " " << c;
    }
  }
  // The three frames differ from one another.
  const TRect r0 = b->Items()->Items(0)->Rect(), r1 = b->Items()->Items(1)->Rect();
  Integer frameDiffs = 0;
  for (Integer x = 0; x < r0.Width(); ++x)
    if (Rgb(p->GetPixel(r0.Left + x, r0.Top + 1)) != Rgb(p->GetPixel(r1.Left + x, r1.Top + 1))) ++frameDiffs;
  EXPECT_GT(frameDiffs, 10);
}

TEST_F(uQuarnToolbar_Paint, DisabledItemsTurnGreyAndTakeTheirOwnImage) {
  TQuarnToolbar* b = Bar();
  b->SetImages(TestImages(16));
  AddItems(b, 2);
  for (Integer i = 0; i < 2; ++i) {
    TQuarnToolbarItem* it = b->Items()->Items(i);
    it->Text()->SetText(u"WWWW");
    it->SetImageIndex(0);
    it->SetImageDisableIndex(2);
    it->SetImageHotIndex(3);
  }
  b->Items()->Items(1)->SetEnabled(false);
  b->SetHotItemIndex(1);
  b->Font()->SetSize(14);
  b->FontHot()->SetSize(14);
  const auto p = Shot(b);
  const TColor32 grey = 0xD1D1D1u;
  const TRect r0 = b->Items()->Items(0)->Rect(), r1 = b->Items()->Items(1)->Rect();
  EXPECT_EQ(Count(*p, r0, grey), 0);
  EXPECT_GT(Count(*p, r1, grey), 10);
  // Images: ilBottom centres image and text together.
  TBitmap32 probe;
  probe.SetSize(4, 4);
  probe.Font()->Assign(b->Font());
  const Integer th = probe.TextExtent(u"WWWW").cy;
  auto imageAt = [&](const TRect& r) {
    return TPoint(r.Left + (r.Width() - 16) / 2 + 8, r.Top + (r.Height() - 16 - th) / 2 + 8);
  };
  const TPoint a = imageAt(r0), d = imageAt(r1);
  EXPECT_EQ(Rgb(p->GetPixel(a.X, a.Y)), Rgb(ImageColour(0)));
  // The disabled one is the disable image under the focus blend: nearer
  // to image 2's colour than to image 0's or the hot image's.
  const TColor32 got = p->GetPixel(d.X, d.Y);
  auto dist = [](TColor32 x, TColor32 y) {
    Integer s = 0;
    for (int k = 0; k < 24; k += 8) s += std::abs(Integer((x >> k) & 255) - Integer((y >> k) & 255));
    return s;
  };
  const TColor32 c2 = Rgb(ImageColour(2)), c0 = Rgb(ImageColour(0)), c3 = Rgb(ImageColour(3));
  EXPECT_LT(dist(got, c2), dist(got, c0));
  EXPECT_LT(dist(got, c2), dist(got, c3));
}

TEST_F(uQuarnToolbar_Paint, PressShiftOnlyForPushedGroupZeroItems) {
  struct Case {
    Integer Group;
    bool AllowAllUp, Down, Hot, ScrollHot, Shifted;
  };
  const Case cases[] = {
      {0, true, true, false, false, true},    // a down toggle, mouse elsewhere
      {5, false, true, true, false, false},   // a down radio item
      {0, false, true, true, false, true},    // a plain button held under the mouse
      {0, false, true, false, false, false},  // down, mouse elsewhere
      {0, true, false, true, false, false},   // up
      {0, true, true, true, true, false},     // a scroll button is hot
  };
  TCustomImageList* images = TestImages(16);
  for (const Case& c : cases) {
    TQuarnToolbar* b = Bar(400);
    b->SetImages(images);
    AddItems(b, 8);
    TQuarnToolbarItem* it = b->Items()->Items(0);
    it->Text()->SetVisible(false);
    it->SetImageIndex(0);
    it->SetGroupIndex(c.Group);
    it->SetAllowAllUp(c.AllowAllUp);
    it->SetDown(c.Down);
    if (c.ScrollHot) b->ScrollBack();
    b->SetHotItemIndex(c.Hot ? 0 : -1);
    const auto p = Shot(b);
    const TRect r = it->Rect();
    const Integer x = r.Left + (r.Width() - 16) / 2, y = r.Top + (r.Height() - 16) / 2;
    const bool at0 = Rgb(p->GetPixel(x, y)) == Rgb(ImageColour(0));
    const bool at1 = Rgb(p->GetPixel(x + 16, y + 16)) == Rgb(ImageColour(0));
    EXPECT_NE(at0, at1) << (&c - cases);
    EXPECT_EQ(at1, c.Shifted) << (&c - cases);
    delete b;
  }
}

TEST_F(uQuarnToolbar_Paint, DropDownArrowIsCentredInItsArea) {
  TQuarnToolbar* plain = Bar();
  TQuarnToolbar* b = Bar();
  AddItems(plain, 2);
  AddItems(b, 2);
  auto* menu = new TPopupMenu(FRoot.get());
  b->Items()->Items(1)->SetDropdownMenu(menu);
  for (TQuarnToolbar* t : {plain, b})
    for (Integer i = 0; i < 2; ++i) t->Items()->Items(i)->Text()->SetVisible(false);
  const auto with = Shot(b);
  // Expected: the plain picture with the whole normal arrow frame blended
  // 8 pixels below the top of the 48-pixel area (its 32 rows fit in 42).
  auto expected = Shot(plain);
  const TRect mr = b->Items()->Items(1)->MenuButtonRect();
  EXPECT_EQ(mr.Height(), 48);
  EXPECT_EQ(mr.Width(), 16);
  EXPECT_EQ(mr.Right, b->Items()->Items(1)->Rect().Right);
  TPngPictures arrow;
  arrow.SetImage(u"QuarnDropdownMenu");
  arrow.SetCount(4);
  TQuarnImage frame;
  ASSERT_TRUE(arrow.GetNormalImage(&frame));
  ASSERT_EQ(frame.Height(), 32);
  frame.DrawTo(expected.get(), mr.Left, mr.Top + 8);
  EXPECT_EQ(Differences(*with, *expected), 0);
  EXPECT_GT(Differences(*with, *Shot(plain)), 20);
}

TEST_F(uQuarnToolbar_Paint, SpacerLinesSitInTheMiddle) {
  TQuarnToolbar* b = Bar();
  b->SetSpaceSize(10);
  AddItems(b, 3);
  b->Items()->Items(1)->SetKind(tkSpacer);
  b->Items()->Items(1)->SetLineColor(static_cast<TColor>(0x00123456));
  auto p = Shot(b);
  TRect r = b->Items()->Items(1)->Rect();
  EXPECT_EQ(r.Width(), 8);
  const TColor32 line = Rgb(static_cast<TColor>(0x00123456));
  const Integer x = r.Left + 3;
  for (Integer y = r.Top; y < r.Bottom; ++y) EXPECT_EQ(Rgb(p->GetPixel(x, y)), line) << y;
  EXPECT_NE(Rgb(p->GetPixel(x, r.Top - 1)), line);
  EXPECT_EQ(Count(*p, TRect(0, 0, p->Width(), p->Height()), line), r.Height());

  b->SetMultiLine(true);
  b->SetHeight(200);
  Wait(12);
  p = Shot(b);
  r = b->Items()->Items(1)->Rect();
  const Integer y = r.Top + (r.Height() - 2) / 2;
  for (Integer xx = r.Left; xx < r.Right; ++xx) EXPECT_EQ(Rgb(p->GetPixel(xx, y)), line) << xx;
  EXPECT_EQ(Count(*p, TRect(0, 0, p->Width(), p->Height()), line), r.Width());
}

TEST_F(uQuarnToolbar_Paint, ScrollButtonsOnlyWhileOverflowing) {
  TQuarnToolbar* b = Bar(300);
  TQuarnToolbar* hidden = Bar(300);
  hidden->SetScrollButtonVisible(false);
  AddItems(b, 3);
  AddItems(hidden, 3);
  EXPECT_EQ(Differences(*Shot(b), *Shot(hidden)), 0);
  AddItems(b, 5);
  AddItems(hidden, 5);
  auto p = Shot(b);
  ASSERT_TRUE(b->EnabledScroll());
  EXPECT_GT(Differences(*p, *Shot(hidden), b->GoFrontBtnRect()), 50);
  EXPECT_GT(Differences(*p, *Shot(hidden), b->GoBackBtnRect()), 50);
  // At the start the back button shows its disabled frame, the front its
  // normal one; one step front enables the back button.
  TPngPictures back;
  back.SetImage(u"QuarnBrower_back");
  back.SetCount(4);
  TQuarnImage disabled, normal;
  ASSERT_TRUE(back.GetFrame(3, &disabled));
  ASSERT_TRUE(back.GetFrame(0, &normal));
  auto expect = [&](const TBitmap32& Pic, TQuarnImage& Frame) {
    auto ref = Shot(hidden);
    Frame.DrawTo(ref.get(), b->GoBackBtnRect().Left, b->GoBackBtnRect().Top);
    return Differences(Pic, *ref, b->GoBackBtnRect());
  };
  EXPECT_EQ(expect(*p, disabled), 0);
  b->ScrollFront();
  hidden->ScrollFront();
  p = Shot(b);
  // The front button is hot now, the back one normal.
  EXPECT_EQ(expect(*p, normal), 0);
}

TEST_F(uQuarnToolbar_Paint, NoHotLookWhileAScrollButtonIsHot) {
  TQuarnToolbar* b = Bar(200);
  TQuarnToolbar* ref = Bar(200);
  for (TQuarnToolbar* t : {b, ref}) {
    t->SetImages(TestImages(16));
    AddItems(t, 6);
    t->Items()->Items(1)->SetImageIndex(0);
    t->Items()->Items(1)->SetImageHotIndex(3);
  }
  const auto calm = Shot(ref);
  b->ScrollBack();  // at the start: no step, but the back button is hot
  b->SetHotItemIndex(1);
  EXPECT_EQ(Differences(*Shot(b), *calm), 0);
  ref->SetHotItemIndex(1);
  EXPECT_GT(Differences(*Shot(ref), *calm, ref->Items()->Items(1)->Rect()), 50);
}

TEST_F(uQuarnToolbar_Paint, FrameCacheRebuildsByTheRules) {
  TQuarnToolbar* b = Bar(103);
  AddItems(b, 5);
  Shot(b);
  Integer n = b->FrameCacheBuilds();
  // Fixed widths: nothing more until something invalidates the frames.
  Shot(b);
  EXPECT_EQ(b->FrameCacheBuilds(), n);
  b->SetButtonWidth(40);
  Shot(b);
  EXPECT_EQ(b->FrameCacheBuilds(), n + 1);
  // Shared widths with a remainder: the first and the last item each paint.
  b->SetButtonWidth(0);
  Shot(b);
  n = b->FrameCacheBuilds();
  Shot(b);
  EXPECT_EQ(b->FrameCacheBuilds(), n + 2);
  // Without a remainder only a stale mark rebuilds.
  b->SetWidth(100);
  Wait(12);
  Shot(b);
  n = b->FrameCacheBuilds();
  Shot(b);
  EXPECT_EQ(b->FrameCacheBuilds(), n);
  // Automatic widths: every button each paint, spacers never.
  b->SetAutoButtonWidth(true);
  b->Items()->Items(2)->SetKind(tkSpacer);
  Shot(b);
  n = b->FrameCacheBuilds();
  Shot(b);
  EXPECT_EQ(b->FrameCacheBuilds(), n + 4);
  // Frames off: no slicing at all.
  b->ButtonImage()->SetActive(false);
  Shot(b);
  n = b->FrameCacheBuilds();
  Shot(b);
  EXPECT_EQ(b->FrameCacheBuilds(), n);

  // A new button image, and a reloaded skin, are sliced anew at once.
  TQuarnToolbar* c = Bar();
  AddItems(c, 3);
  Shot(c);
  n = c->FrameCacheBuilds();
  const auto before = Shot(c);
  c->ButtonImage()->SetImage(u"QuarnBorderNormal");
  c->ButtonImage()->SetCount(1);
  c->ButtonImage()->SetNormal(0);
  const auto after = Shot(c);
  EXPECT_EQ(c->FrameCacheBuilds(), n + 1);
  EXPECT_GT(Differences(*before, *after, c->Items()->Items(0)->Rect()), 50);
  TQuarnResManagerObj()->Reload();
  Shot(c);
  EXPECT_EQ(c->FrameCacheBuilds(), n + 2);
}

TEST_F(uQuarnToolbar_Paint, BodyHeldForTenMillisecondsAfterAResize) {
  TQuarnToolbar* b = Bar(200);
  b->SetButtonWidth(0);
  AddItems(b, 2);
  const auto old = Shot(b);
  EXPECT_EQ(b->Items()->Items(0)->Rect().Width(), 100);
  b->SetWidth(300);
  usertest::Pump();
  const auto held = Shot(b);
  // No layout ran: the old rectangles, the old picture in the old area.
  EXPECT_EQ(b->Items()->Items(0)->Rect().Width(), 100);
  EXPECT_EQ(Differences(*held, *old, TRect(0, 0, 200, 52)), 0);
  Wait(10);
  const auto fresh = Shot(b);
  EXPECT_EQ(b->Items()->Items(0)->Rect().Width(), 150);
  EXPECT_GT(Differences(*fresh, *old, TRect(0, 0, 200, 52)), 50);
}

TEST_F(uQuarnToolbar_Paint, GoldenPicture) {
  TQuarnToolbar* b = Bar(540, 60);
  b->SetImages(TestImages(16));
  b->SetBorderSides(TSides{sdLeft, sdTop, sdRight, sdBottom});
  b->SetButtonWidth(64);
  b->Font()->SetColor(static_cast<TColor>(0x00402010));
  const TToolbarItemLayout layouts[4] = {ilBottom, ilTop, ilLeft, ilRight};
  for (Integer i = 0; i < 4; ++i) {
    TQuarnToolbarItem* it = b->Items()->Add();
    it->Text()->SetText(u"Ab");
    it->SetImageIndex(i);
    it->SetTextLayout(layouts[i]);
  }
  b->Items()->Items(1)->SetGroupIndex(1);
  b->Items()->Items(1)->SetDown(true);
  b->Items()->Add()->SetKind(tkSpacer);
  TQuarnToolbarItem* menuItem = b->Items()->Add();
  menuItem->Text()->SetText(u"Menu");
  menuItem->SetDropdownMenu(new TPopupMenu(FRoot.get()));
  TQuarnToolbarItem* off = b->Items()->Add();
  off->Text()->SetText(u"Off");
  off->SetImageIndex(4);
  off->SetEnabled(false);
  TQuarnToolbarItem* glow = b->Items()->Add();
  glow->Text()->SetText(u"Glow");
  glow->Text()->Light()->SetActive(true);
  glow->Text()->Light()->SetColor(static_cast<TColor>(0x0000C0FF));
  b->SetHotItemIndex(0);
  const auto p = Shot(b);
  TScreenImage shot;
  shot.Width = p->Width();
  shot.Height = p->Height();
  for (Integer y = 0; y < shot.Height; ++y)
    for (Integer x = 0; x < shot.Width; ++x) shot.Pixels.push_back(p->GetPixel(x, y) | 0xFF000000u);
  qntest::ExpectMatchesGolden(shot, "toolbar", 2, 30);
}

}  // namespace

}  // namespace t_u_quarn_toolbar_paint_test
