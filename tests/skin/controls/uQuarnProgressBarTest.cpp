// The progress bar: the filled width against its formula for many ranges,
// the blank cases, ValueAt's rounding and clamping against a reference, and
// the slider driven through the input queue on the virtual clock.
#include <cmath>
#include <random>

#include "skin/controls/uQuarnProgressBar.h"
#include "tests/skin/controls/SkinControlsTestSupport.h"

namespace t_u_quarn_progress_bar_test {

using namespace qn;

namespace {

class uQuarnProgressBar : public skintest::RootTest {
 protected:
  TQuarnProgressBar* Bar(Integer W = 150, Integer H = 17, Integer Y = 20) {
    return Make<TQuarnProgressBar>(20, Y, W, H);
  }
  TQuarnProgressBar* Slider(Integer W = 102) {
    auto* b = Bar(W);
    b->TrackButton()->SetNormal(u"QuarnBar_thumb");
    b->TrackButton()->SetVisible(true);
    Picture(b);  // lays out the track and the thumb
    return b;
  }
  // Columns of the middle row where A and B differ.
  static std::vector<Integer> Differing(TBitmap32* A, TBitmap32* B) {
    std::vector<Integer> cols;
    const Integer y = A->Height() / 2;
    for (Integer x = 0; x < A->Width(); ++x)
      if (A->GetPixel(x, y) != B->GetPixel(x, y)) cols.push_back(x);
    return cols;
  }
};

TEST_F(uQuarnProgressBar, FilledWidthFollowsTheValueOverManyRanges) {
  // A reference bar without a progress image shows the groove alone; the
  // bar under test differs from it exactly in the first w columns.
  struct Case {
    Integer W, Min, Max, Value;
  };
  std::vector<Case> cases = {{150, 0, 100, 50}, {150, 0, 100, 0}, {150, 0, 100, 100}, {100, -50, 50, 0},
                             {151, 0, 3, 1},    {30, 0, 7, 3},    {64, 5, 5, 5}};
  std::mt19937 rng(7);
  for (int i = 0; i < 20; ++i) {
    const Integer w = 30 + Integer(rng() % 200), lo = Integer(rng() % 41) - 20, hi = lo + Integer(rng() % 300);
    cases.push_back({w, lo, hi, lo + Integer(rng() % (hi - lo + 1))});
  }
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.W << " " << c.Min << ".." << c.Max << " at " << c.Value);
    auto* b = Bar(c.W);
    auto* ref = Bar(c.W);
    for (auto* x : {b, ref}) {
      x->SetMaxValue(c.Max);
      x->SetMinValue(c.Min);
      x->SetValue(c.Value);
    }
    ref->SetBar_Progress(u"");
    const double range = c.Max == c.Min ? 1.0 : double(c.Max - c.Min);
    const Integer want = std::max<Integer>(0, Integer(std::trunc((c.Value - c.Min) / range * c.W)));
    const auto cols = Differing(Picture(b), Picture(ref));
    ASSERT_EQ(Integer(cols.size()), want);
    if (want) {
      EXPECT_EQ(cols.front(), 0);
      EXPECT_EQ(cols.back(), want - 1);
    }
    delete b;
    delete ref;
  }
}

TEST_F(uQuarnProgressBar, BlankBelowThirtyPixelsOrWithoutItsGroove) {
  const TColor32 root = RootColour();
  auto blank = [&](TBitmap32* P) {
    for (Integer y = 0; y < P->Height(); ++y)
      for (Integer x = 0; x < P->Width(); ++x)
        if ((P->GetPixel(x, y) & 0xFFFFFFu) != root) return false;
    return true;
  };
  auto* narrow = Bar(29);
  narrow->Caption()->SetText(u"Busy");
  narrow->SetValue(100);
  EXPECT_TRUE(blank(Picture(narrow)));
  narrow->SetWidth(30);
  EXPECT_FALSE(blank(Picture(narrow)));
  // No groove: no progress, thumb or caption either.
  auto* bare = Bar(150, 17, 60);
  bare->SetBar_Background(u"NoSuchImage");
  bare->Caption()->SetText(u"Busy");
  bare->TrackButton()->SetNormal(u"QuarnBar_thumb");
  bare->TrackButton()->SetVisible(true);
  EXPECT_TRUE(blank(Picture(bare)));
  // A caption with a glow changes the picture around its text only.
  auto* plain = Bar(150, 30, 100);
  auto* glow = Bar(150, 30, 140);
  glow->Caption()->SetText(u"Busy");
  glow->Caption()->Light()->SetActive(true);
  glow->Caption()->Light()->SetColor(clWhite);
  TBitmap32* a = Picture(plain);
  TBitmap32* g = Picture(glow);
  Integer diff = 0, far = 0;
  for (Integer y = 0; y < 30; ++y)
    for (Integer x = 0; x < 150; ++x)
      if (a->GetPixel(x, y) != g->GetPixel(x, y)) {
        ++diff;
        if (x < 30 || x >= 120) ++far;
      }
  EXPECT_GT(diff, 50);
  EXPECT_EQ(far, 0);
}

TEST_F(uQuarnProgressBar, ValueAtRoundsHalvesToEvenAndClamps) {
  auto* b = Slider(102);  // track 1..101: 100 pixels
  ASSERT_EQ(b->TrackRect(), TRect(1, 1, 101, 16));
  b->SetMaxValue(10);
  // (X - 1) / 100 * 10: halves at 5, 15, 25, 35 go to 0, 2, 2, 4.
  EXPECT_EQ(b->ValueAt(6, 5), 0);
  EXPECT_EQ(b->ValueAt(16, 5), 2);
  EXPECT_EQ(b->ValueAt(26, 5), 2);
  EXPECT_EQ(b->ValueAt(36, 5), 4);
  EXPECT_EQ(b->ValueAt(-500, 5), 0);
  EXPECT_EQ(b->ValueAt(5000, 5), 10);
  // Against an exact reference over random ranges and points.
  std::mt19937 rng(11);
  for (int i = 0; i < 2000; ++i) {
    const Integer lo = Integer(rng() % 2001) - 1000, hi = lo + Integer(rng() % 3000);
    b->SetMaxValue(hi);
    b->SetMinValue(lo);
    const Integer x = Integer(rng() % 160) - 30;
    // Exactly, in integers: lo + n / 100 with halves to the even value.
    const int64_t n = int64_t(x - 1) * (hi - lo) + int64_t(lo) * 100;
    int64_t q = n >= 0 ? n / 100 : -((-n + 99) / 100);  // floor
    const int64_t rem = n - q * 100;                     // 0..99
    if (rem > 50 || (rem == 50 && (q & 1))) ++q;
    const int64_t want = std::clamp<int64_t>(q, lo, hi);
    ASSERT_EQ(b->ValueAt(x, 5), Integer(want)) << lo << ".." << hi << " x " << x;
  }
}

TEST_F(uQuarnProgressBar, ThumbDragClampsAndReportsEachChange) {
  auto* b = Slider(102);
  Integer changes = 0;
  b->SetOnChanged([&](TObject*) { ++changes; });
  b->SetValue(50);
  changes = 0;
  Picture(b);
  const TRect t = b->ThumbRect();
  ASSERT_EQ(t.Right - t.Left, 15);
  // Grabbed at its centre: the value under the pointer is X - 1.
  MoveTo(b, t.Left + 7, 8);
  Press();
  MoveTo(b, 61, 8);
  EXPECT_EQ(b->Value(), 60);
  EXPECT_EQ(changes, 1);
  MoveTo(b, 400, 8);
  EXPECT_EQ(b->Value(), 100);
  MoveTo(b, -300, 8);
  EXPECT_EQ(b->Value(), 0);
  const Integer beforeRelease = changes;
  Release();
  EXPECT_EQ(changes, beforeRelease);  // the release only confirms the value
  EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(uQuarnProgressBar, UpdateCountSilencesOnChanged) {
  auto* b = Bar();
  Integer changes = 0;
  b->SetOnChanged([&](TObject*) { ++changes; });
  const TColor32 before = Picture(b)->GetPixel(40, 8);
  b->BeginUpdate();
  b->SetValue(10);
  EXPECT_EQ(changes, 0);
  EXPECT_NE(Picture(b)->GetPixel(40, 8), before);  // repainted all the same
  b->EndUpdate();
  b->SetValue(10);
  EXPECT_EQ(changes, 0);
  b->SetValue(11);
  EXPECT_EQ(changes, 1);
  // Range setters move the value without a word.
  b->SetMaxValue(5);
  EXPECT_EQ(b->Value(), 5);
  b->SetMinValue(8);
  EXPECT_EQ(b->Value(), 8);
  EXPECT_EQ(changes, 1);
}

TEST_F(uQuarnProgressBar, HeldTrackClickRepeatsAfter200ThenEvery100Ms) {
  auto* b = Slider(102);
  b->SetValue(10);
  Picture(b);
  MoveTo(b, 81, 8);  // ValueAt = 80, right of the thumb
  Press();
  EXPECT_EQ(b->Value(), 80);
  EXPECT_TRUE(b->RepeatTimer()->Enabled());
  // Pull the value back; each repeat of the held click brings it to the
  // point again.
  b->SetValue(20);
  Wait(199);
  EXPECT_EQ(b->Value(), 20);
  Wait(1);
  EXPECT_EQ(b->Value(), 80);
  b->SetValue(20);
  Wait(99);
  EXPECT_EQ(b->Value(), 20);
  Wait(1);
  EXPECT_EQ(b->Value(), 80);
  Release();
  EXPECT_FALSE(b->RepeatTimer()->Enabled());
  EXPECT_EQ(b->RepeatTimer()->Interval(), 200u);
  b->SetValue(20);
  Wait(400);
  EXPECT_EQ(b->Value(), 20);
}

TEST_F(uQuarnProgressBar, KeysStepTheValueOnlyWithTheThumbShown) {
  auto* b = Bar();
  b->SetFocus();
  usertest::Pump();
  ASSERT_TRUE(b->Focused());
  EXPECT_EQ(b->Perform(WM_GETDLGCODE, 0, 0), DLGC_WANTARROWS);
  Key(VK_RIGHT);
  Key(VK_END);
  EXPECT_EQ(b->Value(), 50);
  b->TrackButton()->SetVisible(true);
  const struct {
    int VK;
    Integer Want;
  } steps[] = {{VK_RIGHT, 51}, {VK_UP, 52},    {VK_ADD, 53},  {VK_LEFT, 52}, {VK_DOWN, 51}, {VK_SUBTRACT, 50},
               {VK_PRIOR, 51}, {VK_NEXT, 50},  {VK_END, 100}, {VK_UP, 100},  {VK_PRIOR, 100}, {VK_HOME, 0},
               {VK_DOWN, 0},   {VK_NEXT, 0}};
  for (const auto& s : steps) {
    Key(s.VK);
    EXPECT_EQ(b->Value(), s.Want) << "key " << s.VK;
  }
}

TEST_F(uQuarnProgressBar, NarrowSlidersNeitherFailNorMove) {
  for (Integer w = 0; w <= 2; ++w) {
    SCOPED_TRACE(w);
    auto* b = Slider(w);
    b->SetValue(30);
    Picture(b);
    EXPECT_EQ(b->ValueAt(0, 0), 30);
    EXPECT_EQ(b->ValueAt(1, 5), 30);
    b->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(0, 5));
    b->Perform(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(1, 5));
    b->Perform(WM_LBUTTONUP, 0, MAKELPARAM(1, 5));
    EXPECT_EQ(b->Value(), 30);
    delete b;
  }
}

TEST_F(uQuarnProgressBar, ThumbStaysInsideWhenAlwaysShown) {
  auto* b = Slider(102);
  b->SetValue(0);
  Picture(b);
  EXPECT_EQ(b->ThumbRect().Left, 0);  // the formula gives -15
  b->SetValue(100);
  Picture(b);
  EXPECT_EQ(b->ThumbRect().Right, 102);
  b->TrackButton()->SetAlwaysShow(false);
  b->SetValue(0);
  Picture(b);
  EXPECT_EQ(b->ThumbRect().Left, -15);
  // Equal bounds place it with range 1.
  b->TrackButton()->SetAlwaysShow(true);
  b->SetMaxValue(5);
  b->SetMinValue(5);
  Picture(b);
  EXPECT_EQ(b->ThumbRect().Left, 0);
}

}  // namespace

}  // namespace t_u_quarn_progress_bar_test
