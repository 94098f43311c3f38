// The search edit's icon and hint, and the password edit: cells instead of
// glyphs, measured and clicked per cell, no text through the window or the
// clipboard, and the real text at once when shown.
#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "platform/vcl/Clipbrd.h"
#include "platform/vcl/Menus.h"
#include "skin/controls/uQuarnPasswordEdit.h"
#include "skin/controls/uQuarnSearchEdit.h"
#include "skin/foundation/uQuarnResManager.h"
#include "tests/skin/controls/SkinControlsTestSupport.h"

namespace t_u_quarn_search_password_edit_test {

using namespace qn;

namespace {

// Pixels of the picture matching the colour test inside the rectangle.
template <class F>
Integer Count(TBitmap32* B, const TRect& R, F Match) {
  Integer n = 0;
  for (Integer y = R.Top; y < R.Bottom; ++y)
    for (Integer x = R.Left; x < R.Right; ++x) n += Match(B->GetPixelS(x, y));
  return n;
}

// Equal colours but for the rounding of blending.
bool Near(TColor32 A, TColor32 B) {
  return std::abs(RedComponent(A) - RedComponent(B)) <= 4 && std::abs(GreenComponent(A) - GreenComponent(B)) <= 4 &&
         std::abs(BlueComponent(A) - BlueComponent(B)) <= 4;
}

using uQuarnSearchEdit = skintest::RootTest;

TEST_F(uQuarnSearchEdit, IconAtTheLeftAndTheHintRightOfIt) {
  auto* s = Make<TQuarnSearchEdit>(20, 20, 140, 26);
  auto* s2 = new TQuarnSearchEdit(FRoot.get());
  EXPECT_EQ(s2->Width(), 140);
  EXPECT_EQ(s->TextHint(), u"Search");
  ASSERT_EQ(s->EdItems()->Count(), 1);
  TQnEditItem* icon = s->EdItems()->Items(0);
  EXPECT_EQ(icon->Kind(), ikImage);
  EXPECT_EQ(icon->Image(), u"QuarnSearch_icon");
  EXPECT_EQ(icon->GetRect(), TRect(4, 5, 18, 19));
  s->FontHint()->SetColor(static_cast<TColor>(0x000080FF));  // orange
  TBitmap32* b = Picture(s);
  const auto orange = [](TColor32 p) {
    return RedComponent(p) > 200 && GreenComponent(p) > 60 && GreenComponent(p) < 200 && BlueComponent(p) < 120;
  };
  EXPECT_EQ(s->LeftOffset(), 18);
  EXPECT_EQ(Count(b, TRect(0, 0, 22, 26), orange), 0);
  EXPECT_GT(Count(b, TRect(22, 0, 140, 26), orange), 20);
  // The icon's own pixels are there.
  TQuarnImage* img = TQuarnResManagerObj()->GetImageByName(u"QuarnSearch_icon");
  Integer same = 0, inked = 0;
  for (Integer y = 0; y < 14; ++y)
    for (Integer x = 0; x < 14; ++x) {
      if (AlphaComponent(img->GetPixelS(x, y)) < 250) continue;
      ++inked;
      same += Near(b->GetPixelS(4 + x, 5 + y), img->GetPixelS(x, y));
    }
  EXPECT_GT(inked, 5);
  EXPECT_EQ(same, inked);
  // Text replaces the hint and starts at the same place.
  s->SetText(u"q");
  b = Picture(s);
  EXPECT_EQ(Count(b, TRect(0, 0, 140, 26), orange), 0);
  const auto dark = [](TColor32 p) { return RedComponent(p) + GreenComponent(p) + BlueComponent(p) < 200; };
  EXPECT_EQ(Count(b, TRect(19, 5, 22, 22), dark), 0);
  EXPECT_GT(Count(b, TRect(22, 5, 34, 22), dark), 0);
}

class PasswordTest : public skintest::RootTest {
 protected:
  void SetUp() override {
    skintest::RootTest::SetUp();
    FPwd = Make<TQuarnPasswordEdit>(20, 20, 160, 26);
    FPwd->Font()->SetName(u"Tahoma");
    FPwd->Font()->SetSize(9);
    FOther = Make<TQuarnPasswordEdit>(20, 80, 160, 26);
  }
  void TearDown() override {
    SetMenuResponder(nullptr);
    skintest::RootTest::TearDown();
  }
  void Click(Integer X, Integer Y, int Button = VK_LBUTTON) {
    MoveTo(FPwd, X, Y);
    InputMouseDown(Button);
    usertest::Pump();
    InputMouseUp(Button);
    usertest::Pump();
    AdvanceClock(1000);
    usertest::Pump();
  }
  void CtrlKey(int Vk) {
    InputKeyDown(VK_CONTROL);
    Key(Vk);
    InputKeyUp(VK_CONTROL);
    usertest::Pump();
  }
  // The disc the built-in image draws, at the middle of cell K.
  bool DiscAt(TBitmap32* B, Integer K) {
    const Integer x = FPwd->Space()->Left() + FPwd->LeftOffset() + K * FPwd->CellWidth() + 4;
    const Integer y = FPwd->Space()->Top() + FPwd->YSpace() + 4;
    return Near(B->GetPixelS(x, y), 0xFF3E4C57);
  }

  TQuarnPasswordEdit* FPwd = nullptr;
  TQuarnPasswordEdit* FOther = nullptr;
};

using uQuarnPasswordEdit = PasswordTest;

TEST_F(uQuarnPasswordEdit, DefaultsAndKeyboardButton) {
  auto* fresh = new TQuarnPasswordEdit(FRoot.get());
  EXPECT_EQ(fresh->Width(), 140);
  EXPECT_EQ(fresh->PasswordChar(), u"QuarnPasswordchar");
  EXPECT_EQ(fresh->XSpace(), 2);
  EXPECT_EQ(fresh->YSpace(), 4);
  EXPECT_FALSE(fresh->ShowPassword());
  EXPECT_EQ(fresh->ImeMode(), imClose);
  EXPECT_EQ(fresh->Space()->Left(), 7);
  EXPECT_TRUE(fresh->BlockWinMsg());
  ASSERT_EQ(fresh->EdItems()->Count(), 1);
  TQnEditItem* kb = fresh->EdItems()->Items(0);
  EXPECT_EQ(kb->Kind(), ikButton);
  EXPECT_EQ(kb->Image(), u"QuarnKeyboard");
  EXPECT_EQ(kb->Pos()->X(), 4);
  EXPECT_EQ(kb->Pos()->Y(), 2);
  Integer clicks = 0;
  FPwd->EdItems()->Items(0)->SetOnClick([&](TObject*) { ++clicks; });
  Click(10, 8);
  EXPECT_EQ(clicks, 1);
}

// Nothing of the password leaves through the window or the clipboard; the
// menu still offers Copy for a selection, and doing it copies nothing.
TEST_F(uQuarnPasswordEdit, TextStaysInsideTheEdit) {
  FPwd->SetText(u"hunter2");
  Char buf[32];
  std::fill(std::begin(buf), std::end(buf), u'#');
  EXPECT_EQ(SendMessageW(FPwd->Handle(), WM_GETTEXT, 32, LPARAM(buf)), 0);
  EXPECT_EQ(buf[0], u'#');
  EXPECT_EQ(SendMessageW(FPwd->Handle(), WM_GETTEXTLENGTH, 0, 0), 0);
  SendMessageW(FPwd->Handle(), WM_SETTEXT, 0, LPARAM(u"other"));
  EXPECT_EQ(FPwd->Text(), u"hunter2");

  Clipboard()->SetAsText(u"before");
  FPwd->SetFocus();
  usertest::Pump();
  FPwd->SelectAll();
  CtrlKey('C');
  EXPECT_EQ(Clipboard()->AsText(), u"before");
  CtrlKey('X');
  EXPECT_EQ(Clipboard()->AsText(), u"before");
  EXPECT_EQ(FPwd->Text(), u"hunter2");

  TPopupMenu* menu = FPwd->GetPopupMenu();
  bool copyEnabled = false;
  UINT copyCommand = 0;
  SetMenuResponder([&](HMENU, UINT& command) {
    TMenuItem* copy = menu->Items()->Items(1);
    copyEnabled = copy->Enabled();
    command = copyCommand = copy->Command();
    return true;
  });
  FPwd->SelectAll();
  Click(60, 12, VK_RBUTTON);
  EXPECT_TRUE(copyEnabled);
  EXPECT_NE(copyCommand, 0u);
  EXPECT_EQ(Clipboard()->AsText(), u"before");
  // Pasting into it still works.
  Key(VK_END);
  CtrlKey('V');
  EXPECT_EQ(FPwd->Text(), u"hunter2before");
}

// Cells of image width + XSpace: measured, painted and hit per cell, and
// ShowPassword switches to the glyphs at once.
TEST_F(uQuarnPasswordEdit, CellsMeasurePaintAndClick) {
  FPwd->SetText(u"iWiWiW");
  const Integer cell = FPwd->CellWidth();
  ASSERT_EQ(cell, 8 + 2);
  EXPECT_EQ(FPwd->GetTextWidth(1, 6, String()), 6 * cell);
  EXPECT_EQ(FPwd->GetTextWidth(2, 3, String()), 3 * cell);
  TBitmap32* b = Picture(FPwd);
  for (Integer k = 0; k < 6; ++k) EXPECT_TRUE(DiscAt(b, k)) << "cell " << k;
  EXPECT_FALSE(DiscAt(b, 6));

  // Clicks resolve on the cells, by the same four-pixel rule as glyphs.
  const Integer left = FPwd->Space()->Left() + FPwd->LeftOffset();
  for (Integer p = 1; p <= 5; ++p) {
    const Integer boundary = left + p * cell;
    Click(boundary - 5, 12);
    EXPECT_EQ(FPwd->CursorPos(), p - 1) << p;
    Click(boundary - 4, 12);
    EXPECT_EQ(FPwd->CursorPos(), p - 1) << p;
    Click(boundary - 3, 12);
    EXPECT_EQ(FPwd->CursorPos(), p) << p;
  }

  // Shown: glyphs, no discs; hidden again: discs.
  FPwd->SetShowPassword(true);
  b = Picture(FPwd);
  Integer discs = 0;
  for (Integer k = 0; k < 6; ++k) discs += DiscAt(b, k);
  EXPECT_LT(discs, 2);
  // Measured by the glyphs again: "i" is narrower than a cell.
  EXPECT_LT(FPwd->GetTextWidth(1, 1, String()), cell);
  EXPECT_LT(FPwd->GetTextWidth(1, String()), cell);
  FPwd->SetShowPassword(false);
  b = Picture(FPwd);
  for (Integer k = 0; k < 6; ++k) EXPECT_TRUE(DiscAt(b, k)) << "cell " << k;

  // A selection covers its cells in the highlight colour.
  FPwd->SetFocus();
  usertest::Pump();
  Key(VK_HOME);
  InputKeyDown(VK_SHIFT);
  Key(VK_RIGHT);
  Key(VK_RIGHT);
  InputKeyUp(VK_SHIFT);
  usertest::Pump();
  b = Picture(FPwd);
  const TColor32 hl = Color32(clHighlight) & 0xFFFFFF;
  // Above the discs, inside the band the selection fills.
  const Integer y = FPwd->Space()->Top() + FPwd->YSpace() - 2;
  EXPECT_EQ(b->GetPixelS(left + 5, y) & 0xFFFFFF, hl);
  EXPECT_EQ(b->GetPixelS(left + cell + 5, y) & 0xFFFFFF, hl);
  EXPECT_NE(b->GetPixelS(left + 2 * cell + 5, y) & 0xFFFFFF, hl);

  // No image of that name: cells of XSpace pixels and nothing drawn.
  FPwd->SetPasswordChar(u"NoSuchImage");
  FPwd->SetXSpace(3);
  EXPECT_EQ(FPwd->CellWidth(), 3);
  EXPECT_EQ(FPwd->GetTextWidth(1, 6, String()), 18);
  FOther->SetFocus();
  usertest::Pump();
  b = Picture(FPwd);
  const auto dark = [](TColor32 p) { return RedComponent(p) + GreenComponent(p) + BlueComponent(p) < 300; };
  EXPECT_EQ(Count(b, TRect(left, 3, FPwd->Width() - 4, 23), dark), 0);
}

// A long password scrolls in cells: the caret's cell stays inside the text
// area and no cell is drawn past it.
TEST_F(uQuarnPasswordEdit, LongPasswordScrollsInCells) {
  FPwd->SetFocus();
  usertest::Pump();
  FPwd->SetText(String(40, u'x'));
  Key(VK_END);
  const Integer cell = FPwd->CellWidth();
  const Integer left = FPwd->Space()->Left() + FPwd->LeftOffset();
  const Integer right = FPwd->Width() - FPwd->Space()->Right();
  const Integer shown = 40 - FPwd->FirstDisplayChar() + 1;
  EXPECT_LT(shown * cell, right - left);
  EXPECT_GE((shown + 1) * cell, right - left - cell);
  TBitmap32* b = Picture(FPwd);
  EXPECT_EQ(FPwd->CursorXPos(), left + shown * cell);
  const auto disc = [](TColor32 p) { return Near(p, 0xFF3E4C57); };
  EXPECT_EQ(Count(b, TRect(right, 0, FPwd->Width(), 26), disc), 0);
}

}  // namespace

}  // namespace t_u_quarn_search_password_edit_test
