// The spin edit driven by keys, characters and its buttons on the virtual
// clock: bounds and their absence, the repeat of a held button, the value
// taken from typed text on Enter and on leaving, and steps at the ends of
// the integer range.
#include <gtest/gtest.h>

#include <climits>

#include "platform/classes/FormText.h"
#include "platform/vcl/Clipbrd.h"
#include "skin/controls/uQuarnSpinEdit.h"
#include "tests/skin/controls/SkinControlsTestSupport.h"

namespace t_u_quarn_spin_edit_test {

using namespace qn;

namespace {

class SpinTest : public skintest::RootTest {
 protected:
  void SetUp() override {
    skintest::RootTest::SetUp();
    FSpin = Make<TQuarnSpinEdit>(20, 20, 120, 26);
    FSpin->SetOnChange([this](TObject*) { ++FChanges; });
    FSpin->SetOnUpButtonClick([this](TObject*) { ++FUps; });
    FSpin->SetOnDownButtonClick([this](TObject*) { ++FDowns; });
    FSpin->SetOnKeyDown([this](TObject*, Word&, TShiftState) { ++FKeyDowns; });
    FOther = Make<TQuarnSpinEdit>(20, 80, 120, 26);
    FSpin->SetFocus();
    usertest::Pump();
  }
  void Chars(const String& S) {
    for (Char c : S) SendMessageW(FSpin->Handle(), WM_CHAR, WPARAM(c), 0);
    usertest::Pump();
  }
  // The middle of the up (0) or down (1) button.
  TPoint ButtonPoint(Integer I) {
    const TRect r = FSpin->EdItems()->Items(I)->GetRect();
    return TPoint((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
  }
  void PressButton(Integer I) {
    const TPoint p = ButtonPoint(I);
    MoveTo(FSpin, p.X, p.Y);
    Press();
  }

  TQuarnSpinEdit* FSpin = nullptr;
  TQuarnSpinEdit* FOther = nullptr;
  Integer FChanges = 0, FUps = 0, FDowns = 0, FKeyDowns = 0;
};

using uQuarnSpinEdit = SpinTest;

TEST_F(uQuarnSpinEdit, BuildsItsButtonsAndDefaults) {
  EXPECT_EQ(FSpin->MinValue(), 0);
  EXPECT_EQ(FSpin->MaxValue(), 100);
  EXPECT_EQ(FSpin->StepSize(), 1);
  EXPECT_EQ(FSpin->Text(), u"0");
  EXPECT_FALSE(FSpin->AutoSelect());
  ASSERT_EQ(FSpin->EdItems()->Count(), 2);
  const char16_t* ids[2][3] = {{u"QuarnSpin_normal_up", u"QuarnSpin_highlight_up", u"QuarnSpin_pushed_up"},
                               {u"QuarnSpin_normal_down", u"QuarnSpin_highlight_down", u"QuarnSpin_pushed_down"}};
  for (Integer i = 0; i < 2; ++i) {
    TQnEditItem* it = FSpin->EdItems()->Items(i);
    EXPECT_EQ(it->Kind(), ikButton);
    EXPECT_EQ(it->Pos()->Align(), agRight);
    EXPECT_EQ(it->Pos()->X(), 24);
    EXPECT_EQ(it->Pos()->Y(), i == 0 ? 1 : 13);
    EXPECT_EQ(it->Image(), ids[i][0]);
    EXPECT_EQ(it->ImageHot(), ids[i][1]);
    EXPECT_EQ(it->ImagePress(), ids[i][2]);
    EXPECT_EQ(it->GetRect(), TRect(96, it->Pos()->Y(), 116, it->Pos()->Y() + 11));
  }
  // Without fixed margins the pair is centred in the height.
  FSpin->Space()->SetActive(false);
  FSpin->SetHeight(40);
  usertest::Pump();
  EXPECT_EQ(FSpin->EdItems()->Items(0)->Pos()->Y(), 9);
  EXPECT_EQ(FSpin->EdItems()->Items(1)->Pos()->Y(), 20);
  FSpin->Space()->SetActive(true);
  FSpin->SetHeight(30);
  usertest::Pump();
  EXPECT_EQ(FSpin->EdItems()->Items(0)->Pos()->Y(), 9);

  // Form-file round trip of the published values.
  FSpin->SetMinValue(-5);
  FSpin->SetMaxValue(50);
  FSpin->SetStepSize(5);
  FSpin->SetValue(35);
  const std::string text = ComponentToText(FSpin);
  EXPECT_NE(text.find("MinValue = -5"), std::string::npos);
  EXPECT_NE(text.find("Value = 35"), std::string::npos);
  auto* back = new TQuarnSpinEdit(FRoot.get());
  back->SetParent(FRoot.get());
  TextToComponent(text, back);
  EXPECT_EQ(back->MinValue(), -5);
  EXPECT_EQ(back->MaxValue(), 50);
  EXPECT_EQ(back->StepSize(), 5);
  EXPECT_EQ(back->Value(), 35);
  EXPECT_EQ(back->EdItems()->Count(), 2);
}

// Equal bounds (as at construction): keys step without bound, the buttons
// still refuse to pass MaxValue; the keys never fire OnKeyDown nor the
// button events.
TEST_F(uQuarnSpinEdit, EqualBoundsLetKeysRunButButtonsStop) {
  FSpin->SetMaxValue(0);
  ASSERT_EQ(FSpin->MinValue(), FSpin->MaxValue());
  for (int i = 0; i < 3; ++i) Key(VK_UP);
  EXPECT_EQ(FSpin->Value(), 3);
  EXPECT_EQ(FSpin->Text(), u"3");
  for (int i = 0; i < 5; ++i) Key(VK_DOWN);
  EXPECT_EQ(FSpin->Value(), -2);
  EXPECT_EQ(FKeyDowns, 0);
  EXPECT_EQ(FUps + FDowns, 0);
  PressButton(0);
  Release();
  EXPECT_EQ(FSpin->Value(), -1);
  EXPECT_EQ(FUps, 1);
  FSpin->SetValue(0);
  PressButton(0);
  Release();
  EXPECT_EQ(FSpin->Value(), 0);
  EXPECT_EQ(FUps, 1);
}

// Up at MaxValue (button or key) leaves it there; only a real step by the
// button fires its event.
TEST_F(uQuarnSpinEdit, StepsStopAtTheBoundsAndFireOnlyOnRealSteps) {
  FSpin->SetMaxValue(10);
  FSpin->SetMinValue(-3);
  FSpin->SetStepSize(4);
  FSpin->SetValue(9);
  PressButton(0);
  Release();
  EXPECT_EQ(FSpin->Value(), 9);
  EXPECT_EQ(FUps, 0);
  Key(VK_UP);
  EXPECT_EQ(FSpin->Value(), 10);
  FSpin->SetValue(2);
  PressButton(0);
  Release();
  EXPECT_EQ(FSpin->Value(), 6);
  EXPECT_EQ(FUps, 1);
  Wait(400);  // no repeat after the release
  EXPECT_EQ(FSpin->Value(), 6);
  PressButton(1);
  Release();
  EXPECT_EQ(FSpin->Value(), 2);
  PressButton(1);
  Release();
  EXPECT_EQ(FSpin->Value(), -2);
  EXPECT_EQ(FDowns, 2);
  PressButton(1);
  Release();
  EXPECT_EQ(FSpin->Value(), -2);
  EXPECT_EQ(FDowns, 2);
  // The key clamps where the button refuses.
  Key(VK_DOWN);
  EXPECT_EQ(FSpin->Value(), -3);
  Key(VK_DOWN);
  EXPECT_EQ(FSpin->Value(), -3);
  // Bounds pull the value in when they move past it.
  FSpin->SetMinValue(0);
  EXPECT_EQ(FSpin->Value(), 0);
  FSpin->SetValue(10);
  FSpin->SetMaxValue(7);
  EXPECT_EQ(FSpin->Value(), 7);
}

// Holding the up button repeats every 150 ms through the bounds check and
// stays at MaxValue; the release stops it.
TEST_F(uQuarnSpinEdit, HeldButtonRepeatsAndStopsAtMax) {
  FSpin->SetMaxValue(10);
  FSpin->SetValue(5);
  PressButton(0);
  EXPECT_EQ(FSpin->Value(), 6);
  Wait(149);
  EXPECT_EQ(FSpin->Value(), 6);
  Wait(2);
  EXPECT_EQ(FSpin->Value(), 7);
  Wait(150);
  EXPECT_EQ(FSpin->Value(), 8);
  Wait(1500);
  EXPECT_EQ(FSpin->Value(), 10);
  EXPECT_EQ(FSpin->Text(), u"10");
  EXPECT_EQ(FUps, 1);
  Release();
  FSpin->SetValue(9);
  PressButton(0);
  EXPECT_EQ(FSpin->Value(), 10);
  const Integer changes = FChanges;
  Wait(600);
  EXPECT_EQ(FSpin->Value(), 10);
  EXPECT_EQ(FChanges, changes);  // the text stays, so no change
  Release();
  // Down repeats too.
  PressButton(1);
  Wait(151);
  Release();
  EXPECT_EQ(FSpin->Value(), 8);
  Wait(600);
  EXPECT_EQ(FSpin->Value(), 8);
}

// Only digits, signs and control characters are typed; text that is no
// number becomes 0 (clamped) on Enter; leaving commits the typed value and
// fires one more change.
TEST_F(uQuarnSpinEdit, TypedTextBecomesTheValueOnEnterAndExit) {
  FSpin->SetMinValue(5);
  FSpin->SetMaxValue(10);
  FSpin->SelectAll();
  Chars(u"7x+a");
  EXPECT_EQ(FSpin->Text(), u"7+");
  Clipboard()->SetAsText(u"abc");
  FSpin->SelectAll();
  InputKeyDown(VK_CONTROL);
  Key('V');
  InputKeyUp(VK_CONTROL);
  usertest::Pump();
  EXPECT_EQ(FSpin->Text(), u"abc");
  Key(VK_RETURN);
  EXPECT_EQ(FSpin->Value(), 5);
  EXPECT_EQ(FSpin->Text(), u"5");

  FSpin->SetMaxValue(100);
  FSpin->Clear();
  Chars(u"42");
  const Integer before = FChanges;
  FOther->SetFocus();
  usertest::Pump();
  EXPECT_EQ(FSpin->Value(), 42);
  EXPECT_EQ(FChanges, before + 1);
  // Entering and leaving without a change fires nothing.
  FSpin->SetFocus();
  usertest::Pump();
  FOther->SetFocus();
  usertest::Pump();
  EXPECT_EQ(FChanges, before + 1);
  // Typed text is read by Value once.
  FSpin->SetFocus();
  usertest::Pump();
  Key(VK_END);
  Key(VK_BACK);
  Key(VK_BACK);
  Chars(u"77");
  EXPECT_EQ(FSpin->Value(), 77);
}

// A step past the ends of the integer range saturates instead of wrapping.
TEST_F(uQuarnSpinEdit, StepsSaturateAtTheIntegerEnds) {
  FSpin->SetMaxValue(0);  // unbounded
  FSpin->SetStepSize(10);
  FSpin->SetValue(INT_MAX - 3);
  Key(VK_UP);
  EXPECT_EQ(FSpin->Value(), INT_MAX);
  Key(VK_UP);
  EXPECT_EQ(FSpin->Value(), INT_MAX);
  FSpin->SetValue(INT_MIN + 2);
  Key(VK_DOWN);
  EXPECT_EQ(FSpin->Value(), INT_MIN);
  // Bounded at the top of the range: the button refuses, the repeat holds.
  FSpin->SetMinValue(-10);
  FSpin->SetMaxValue(INT_MAX);
  FSpin->SetValue(INT_MAX - 1);
  PressButton(0);
  EXPECT_EQ(FSpin->Value(), INT_MAX - 1);
  Wait(400);
  EXPECT_EQ(FSpin->Value(), INT_MAX);
  Release();
  FSpin->SetStepSize(INT_MAX);
  FSpin->SetValue(-10);
  PressButton(1);
  Release();
  EXPECT_EQ(FSpin->Value(), -10);
  EXPECT_EQ(FDowns, 0);
}

}  // namespace

}  // namespace t_u_quarn_spin_edit_test
