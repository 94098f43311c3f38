// The tags box driven by the input driver and the virtual clock: chip widths
// against measured text, wrapping, the comma text against the string list's
// own, deletion through the round button, hot tracking over gaps, the
// scroll bar, and the delete button's pixels.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "platform/classes/Strings.h"
#include "platform/rtl/SysUtils.h"
#include "skin/extended/uQuarnTagsBox.h"
#include "tests/common/Golden.h"
#include "tests/skin/controls/SkinControlsTestSupport.h"

namespace t_u_quarn_tags_box_test {

using namespace qn;

namespace {

class uQuarnTagsBox : public skintest::RootTest {
 protected:
  TQuarnTagsBox* Box(Integer W, Integer H, std::initializer_list<const char16_t*> Captions) {
    auto* B = Make<TQuarnTagsBox>(10, 10, W, H);
    B->SetOnCustomDraw([this](TObject*, TBitmap32*) { ++Paints; });
    for (const char16_t* c : Captions) B->Items()->Add()->SetCaption(c);
    Picture(B);
    return B;
  }
  Integer TextWidth(TQuarnTagsBox* B, const String& S) {
    TBitmap32 b;
    b.SetSize(4, 4);
    b.Font()->Assign(B->Font());
    return b.TextWidth(S);
  }
  TPoint Centre(const TRect& R) { return TPoint((R.Left + R.Right) / 2, (R.Top + R.Bottom) / 2); }
  int Paints = 0;
};

}  // namespace

TEST_F(uQuarnTagsBox, ChipWidthsFollowTheMeasuredTextAndTheMinimum) {
  auto* B = Box(400, 116, {u"a", u"A rather long tag", u"Medium tag"});
  EXPECT_EQ(B->DeleteButtonSize(), 17);
  for (Integer i = 0; i < 3; ++i) {
    const TQnTagsBoxItem* it = B->Items()->Items(i);
    const Integer want = std::max(TextWidth(B, it->Caption()) + 25 + 17 / 2, 60);
    EXPECT_EQ(it->Rect().Right - it->Rect().Left, want) << i;
    EXPECT_EQ(it->Rect().Bottom - it->Rect().Top, 25);
    // The button sits centred in the chip's right end.
    const TRect d = it->DeleteBtnRect();
    EXPECT_EQ(d.Right - d.Left, 17);
    EXPECT_EQ(d.Left, it->Rect().Right - 12 - 8);
    EXPECT_EQ(d.Top, it->Rect().Top + 4);
  }
  EXPECT_EQ(B->Items()->Items(0)->Rect().Right - B->Items()->Items(0)->Rect().Left, 60);
  B->DeleteButton()->SetVisible(false);
  Picture(B);
  const TQnTagsBoxItem* it = B->Items()->Items(1);
  EXPECT_EQ(it->Rect().Right - it->Rect().Left, TextWidth(B, it->Caption()) + 25);
  B->SetItemMinWidth(0);
  EXPECT_EQ(B->ItemMinWidth(), 60);
}

TEST_F(uQuarnTagsBox, TheFirstChipNeverWrapsAndAWideOneStandsAlone) {
  auto* B = Box(120, 116, {u"A caption far wider than the whole box", u"b", u"A second caption far too wide"});
  auto* I = B->Items();
  EXPECT_EQ(I->Items(0)->Rect().Left, 10);
  EXPECT_EQ(I->Items(0)->Rect().Top, 10);
  EXPECT_GT(I->Items(0)->Rect().Right, 120);
  EXPECT_EQ(I->Items(1)->Rect().Top, 10 + 25 + 10);
  EXPECT_EQ(I->Items(2)->Rect().Top, 10 + 2 * (25 + 10));
  EXPECT_EQ(I->Items(2)->Rect().Left, 10);
  // Hidden first items do not make the next one wrap.
  I->Items(0)->SetVisible(false);
  Picture(B);
  EXPECT_EQ(I->Items(1)->Rect().Top, 10);
}

TEST_F(uQuarnTagsBox, TextRoundTripsAgainstTheStrictCommaTextOfTheStringList) {
  auto* B = Box(300, 116, {});
  std::mt19937 rng(7);
  const char16_t alphabet[] = u"ab ,\"'xyz";
  for (int round = 0; round < 200; ++round) {
    std::vector<String> captions;
    const int n = 1 + int(rng() % 5);
    for (int k = 0; k < n; ++k) {
      String c;
      const int len = 1 + int(rng() % 7);
      for (int j = 0; j < len; ++j) c += alphabet[rng() % 9];
      if (Trim(c).empty()) c += u"q";
      captions.push_back(c);
    }
    B->Items()->Clear();
    for (const auto& c : captions) B->Items()->Add()->SetCaption(c);
    TStringList ref;
    ref.SetStrictDelimiter(true);
    for (const auto& c : captions) ref.Add(c);
    const String text = B->Text();
    ASSERT_EQ(text, ref.CommaText()) << round;
    B->SetText(text);
    ASSERT_EQ(B->Items()->Count(), Integer(captions.size())) << ToUtf8(text);
    for (Integer i = 0; i < B->Items()->Count(); ++i) ASSERT_EQ(B->Items()->Items(i)->Caption(), captions[i]);
  }
  // A blank middle part makes no chip; blanks around the others stay.
  int changes = 0;
  B->SetOnChanged([&](TObject*) { ++changes; });
  B->SetText(u" red ,  , blue");
  ASSERT_EQ(B->Items()->Count(), 2);
  EXPECT_EQ(B->Items()->Items(0)->Caption(), u" red ");
  EXPECT_EQ(B->Items()->Items(1)->Caption(), u" blue");
  EXPECT_EQ(changes, 1);
}

TEST_F(uQuarnTagsBox, TheDeleteButtonAsksAndDeletesWithoutAClick) {
  auto* B = Box(400, 116, {u"one", u"two", u"three"});
  int clicks = 0;
  bool allow = false;
  std::vector<Integer> asked;
  B->SetOnClickItem([&](TObject*, Integer) { ++clicks; });
  B->SetOnDeleteClick([&](TObject*, Integer I, bool& Can) {
    asked.push_back(I);
    Can = allow;
  });
  const TPoint del = Centre(B->Items()->Items(1)->DeleteBtnRect());
  MoveTo(B, del.X, del.Y);
  EXPECT_TRUE(B->MouseInDeleteButton());
  Press();
  Release();
  EXPECT_EQ(asked, std::vector<Integer>{1});
  EXPECT_EQ(B->Items()->Count(), 3);
  EXPECT_EQ(clicks, 0);
  allow = true;
  AdvanceClock(1000);
  Press();
  Release();
  EXPECT_EQ(B->Items()->Count(), 2);
  EXPECT_EQ(B->Items()->Items(1)->Caption(), u"three");
  EXPECT_EQ(clicks, 0);
  // Off the button the chip clicks.
  Picture(B);
  const TRect r = B->Items()->Items(0)->Rect();
  MoveTo(B, r.Left + 8, r.Top + 12);
  AdvanceClock(1000);
  Press();
  Release();
  EXPECT_EQ(clicks, 1);
}

TEST_F(uQuarnTagsBox, AGapKeepsTheHotChipAndLeavingClearsIt) {
  auto* B = Box(400, 116, {u"one", u"two"});
  std::vector<std::pair<Integer, Integer>> hot;
  B->SetOnHotChanged([&](TObject*, Integer O, Integer N) { hot.push_back({O, N}); });
  const TRect a = B->Items()->Items(0)->Rect();
  MoveTo(B, a.Left + 5, a.Top + 5);
  EXPECT_EQ(B->HotItemIndex(), 0);
  MoveTo(B, a.Right + 4, a.Top + 5);
  EXPECT_EQ(B->HotItemIndex(), 0);
  MoveTo(B, 480, 200);
  EXPECT_EQ(B->HotItemIndex(), -1);
  EXPECT_EQ(hot, (std::vector<std::pair<Integer, Integer>>{{-1, 0}}));
}

TEST_F(uQuarnTagsBox, TheScrollBarComesGoesScrollsAndCoalescesRepaints) {
  auto* B = Box(200, 116, {});
  // Translucent, so every paint reaches the custom-draw hook counted here.
  B->SetAlpha(200);
  EXPECT_EQ(B->ScrollBar(), nullptr);
  for (int i = 0; i < 12; ++i) B->Items()->Add()->SetCaption(u"tag " + IntToStr(i));
  Picture(B);
  Picture(B);
  ASSERT_NE(B->ScrollBar(), nullptr);
  EXPECT_EQ(B->ScrollBar()->Max(), B->CalcItemsHeight());
  Paints = 0;
  for (Integer p = 1; p <= 20; ++p) B->ScrollBar()->SetPosition(p);
  usertest::Pump();
  EXPECT_EQ(Paints, 0);
  Wait(10);
  EXPECT_EQ(Paints, 1);
  EXPECT_EQ(B->Items()->Items(0)->Rect().Top, 10 - 20);
  B->ScrollBar()->SetPosition(0);
  MoveTo(B, 50, 50);
  Press();
  Release();
  InputMouseWheel(-120);
  usertest::Pump();
  EXPECT_EQ(B->ScrollBar()->Position(), 30);
  B->SetText(u"one");
  Picture(B);
  EXPECT_EQ(B->ScrollBar(), nullptr);
}

TEST_F(uQuarnTagsBox, DeleteButtonPixels) {
  TQuarnColorControls_DeleteButton btn;
  int changed = 0;
  btn.SetOnChanged([&](TObject*) { ++changed; });
  btn.SetColor(btn.Color());
  EXPECT_EQ(changed, 0);
  btn.SetXColor(TColor(0x00EAEAEA));
  btn.SetHotColor(TColor(0x000000FF));
  EXPECT_EQ(changed, 0);
  TBitmap32 pic;
  pic.SetSize(88, 34);
  pic.Clear(0xFFFFFFFFu);
  btn.Draw(&pic, TRect(0, 0, 17, 17));
  btn.SetState(bsHot);
  btn.Draw(&pic, TRect(20, 0, 37, 17));
  btn.SetState(bsNormal);
  btn.Draw(&pic, TRect(40, 0, 74, 34));
  EXPECT_EQ(changed, 0);
  // The cross at the centre, the circle between the arms.
  EXPECT_EQ(pic.GetPixel(8, 8) & 0xFFFFFF, 0xEAEAEAu);
  EXPECT_EQ(pic.GetPixel(8, 3) & 0xFFFFFF, 0x6A6A6Au);
  EXPECT_EQ(pic.GetPixel(28, 8) & 0xFFFFFF, 0xFFFFFFu);
  EXPECT_EQ(pic.GetPixel(28, 3) & 0xFFFFFF, 0xFF0000u);
  EXPECT_EQ(pic.GetPixel(0, 0), 0xFFFFFFFFu);
  TScreenImage shot;
  shot.Width = pic.Width();
  shot.Height = pic.Height();
  for (Integer y = 0; y < pic.Height(); ++y)
    for (Integer x = 0; x < pic.Width(); ++x) shot.Pixels.push_back(pic.GetPixel(x, y));
  qntest::ExpectMatchesGolden(shot, "tags-delete-button", 2, 4);
  // Copying takes the five published values.
  TQuarnColorControls_DeleteButton other;
  other.SetVisible(false);
  other.SetXHotColor(clLime);
  btn.Assign(&other);
  EXPECT_FALSE(btn.Visible());
  EXPECT_EQ(btn.XHotColor(), clLime);
}

}  // namespace t_u_quarn_tags_box_test
