// The library-drawn edit as the user meets it: clicks resolved against the
// text measure, the caret's blink on the virtual clock, hover and focus
// borders, in-box items taking and giving back room, hint and selection
// colours on the picture, the own context menu, the check item, and input
// method results.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "platform/desktop/Desktop.h"
#include "platform/vcl/Clipbrd.h"
#include "platform/vcl/Menus.h"
#include "skin/controls/uQuarnEdit.h"
#include "skin/foundation/uQuarnResManager.h"
#include "tests/skin/controls/SkinControlsTestSupport.h"

namespace t_u_quarn_edit_view_test {

using namespace qn;

namespace {

constexpr TColor kCaret = static_cast<TColor>(0x000000FF);  // red

class EditViewTest : public skintest::RootTest {
 protected:
  void SetUp() override {
    skintest::RootTest::SetUp();
    FEdit = Make<TQuarnEdit>(20, 20, 200, 26);
    FEdit->Font()->SetName(u"Tahoma");
    FEdit->Font()->SetSize(9);
    FEdit->SetCursorColor(kCaret);
    FOther = Make<TQuarnEdit>(20, 80, 200, 26);
  }
  void TearDown() override {
    SetMenuResponder(nullptr);
    SetSystemLocale(0x0409);
    skintest::RootTest::TearDown();
  }
  void Click(TControl* C, Integer X, Integer Y, int Button = VK_LBUTTON) {
    MoveTo(C, X, Y);
    InputMouseDown(Button);
    usertest::Pump();
    InputMouseUp(Button);
    usertest::Pump();
    // Far enough apart that no two clicks make a double-click.
    AdvanceClock(1000);
    usertest::Pump();
  }
  void Key(int Vk, bool Shift = false, bool Ctrl = false) {
    if (Ctrl) InputKeyDown(VK_CONTROL);
    if (Shift) InputKeyDown(VK_SHIFT);
    InputKeyDown(Vk);
    InputKeyUp(Vk);
    if (Shift) InputKeyUp(VK_SHIFT);
    if (Ctrl) InputKeyUp(VK_CONTROL);
    usertest::Pump();
  }
  void Focus(TWinControl* C) {
    C->SetFocus();
    usertest::Pump();
  }
  // Width of one character in the edit's font, measured apart from it.
  Integer CharWidth(const String& C) {
    TBitmap32 b;
    b.SetSize(1, 1);
    b.Font()->Assign(FEdit->Font());
    return b.TextWidthW(C);
  }
  TColor32 At(Integer X, Integer Y) { return FEdit->Buffer()->GetPixelS(X, Y) & 0xFFFFFF; }
  // Whether the caret stands in its column now.
  bool CaretDrawn() {
    TBitmap32* b = Picture(FEdit);
    const Integer x = FEdit->CursorXPos();
    const TColor32 red = Color32(kCaret) & 0xFFFFFF;
    return (b->GetPixelS(x, FEdit->Space()->Top() + 3) & 0xFFFFFF) == red;
  }
  // Dark pixels (text ink) inside the rectangle of the finished picture.
  Integer Ink(TQuarnCustomControl* C, const TRect& R) {
    TBitmap32* b = Picture(C);
    Integer n = 0;
    for (Integer y = R.Top; y < R.Bottom; ++y)
      for (Integer x = R.Left; x < R.Right; ++x) {
        const TColor32 p = b->GetPixelS(x, y);
        if (RedComponent(p) + GreenComponent(p) + BlueComponent(p) < 300) ++n;
      }
    return n;
  }
  TColor32 ImagePixel(const char16_t* Id, Integer X, Integer Y) {
    return TQuarnResManagerObj()->GetImageByName(Id)->GetPixelS(X, Y) & 0xFFFFFF;
  }

  TQuarnEdit* FEdit = nullptr;
  TQuarnEdit* FOther = nullptr;
};

using uQuarnEdit_View = EditViewTest;

// With equal character widths the caret goes to the boundary at or left of
// the click, or to the next one when the click lies less than 4 pixels
// before it; the same from a scrolled start.
TEST_F(uQuarnEdit_View, ClicksAroundBoundariesPlaceTheCaretByTheFourPixelRule) {
  const Integer w = CharWidth(u"m");
  ASSERT_GE(w, 5);
  FEdit->SetText(String(10, u'm'));
  const Integer left = FEdit->Space()->Left();
  for (Integer p = 2; p <= 8; p += 3) {
    const Integer boundary = left + p * w;
    const struct {
      Integer Offset, Want;
    } cases[] = {{-5, p - 1}, {-4, p - 1}, {-3, p}};
    for (const auto& c : cases) {
      Click(FEdit, boundary + c.Offset, 12);
      EXPECT_EQ(FEdit->CursorPos(), c.Want) << "boundary " << p << " offset " << c.Offset;
      EXPECT_EQ(FEdit->SelLength(), 0);
    }
  }
  // Scrolled: a long text with the caret at its end shows its tail.
  FEdit->SetText(String(60, u'm'));
  Focus(FEdit);
  Key(VK_END);
  const Integer first = FEdit->FirstDisplayChar();
  ASSERT_GT(first, 10);
  for (Integer p = first + 2; p <= first + 8; p += 3) {
    // Position p lies (p - first + 1) cells right of the text area's edge.
    const Integer boundary = left + (p - first + 1) * w;
    for (Integer off : {-5, -4, -3}) {
      Key(VK_END);
      ASSERT_EQ(FEdit->FirstDisplayChar(), first);
      Click(FEdit, boundary + off, 12);
      EXPECT_EQ(FEdit->CursorPos(), off == -3 ? p : p - 1) << "scrolled boundary " << p << " offset " << off;
    }
  }
  // Past the text and on empty text.
  Click(FEdit, FEdit->Width() - 6, 12);
  EXPECT_GE(FEdit->CursorPos(), first);
  FEdit->Clear();
  Click(FEdit, 80, 12);
  EXPECT_EQ(FEdit->CursorPos(), 0);
}

// Dragging with the button held selects; a drag never leaves the caret
// between the halves of a pair.
TEST_F(uQuarnEdit_View, DraggingSelectsAndStepsOverPairs) {
  const Integer w = CharWidth(u"m");
  FEdit->SetText(u"mmmmmmmm");
  const Integer left = FEdit->Space()->Left();
  MoveTo(FEdit, left + 2 * w - 5, 12);
  Press();
  MoveTo(FEdit, left + 6 * w - 5, 12);
  EXPECT_EQ(FEdit->SelStart(), 1);
  EXPECT_EQ(FEdit->SelLength(), 4);
  MoveTo(FEdit, left - 2, 12);
  EXPECT_EQ(FEdit->SelStart(), 0);
  EXPECT_EQ(FEdit->SelLength(), 1);
  Release();
  AdvanceClock(1000);
  usertest::Pump();
  // Moving without the button changes nothing.
  MoveTo(FEdit, left + 7 * w, 12);
  EXPECT_EQ(FEdit->SelLength(), 1);

  const String pair = u"\U0001F600";
  FEdit->SetText(u"ab" + pair + pair + u"cd");
  for (Integer x = left; x < left + 120; x += 3) {
    Click(FEdit, x, 12);
    const Integer c = FEdit->CursorPos();
    ASSERT_FALSE(c > 0 && c < Integer(FEdit->Text().size()) && FEdit->Text()[size_t(c)] >= 0xDC00 &&
                 FEdit->Text()[size_t(c)] <= 0xDFFF)
        << "caret between halves at x " << x;
  }
  MoveTo(FEdit, left, 12);
  Press();
  for (Integer x = left; x < left + 120; x += 2) {
    MoveTo(FEdit, x, 12);
    const Integer c = FEdit->CursorPos();
    ASSERT_FALSE(c > 0 && c < Integer(FEdit->Text().size()) && FEdit->Text()[size_t(c)] >= 0xDC00 &&
                 FEdit->Text()[size_t(c)] <= 0xDFFF)
        << "drag caret between halves at x " << x;
  }
  Release();
}

// The caret blinks every 500 ms while focused; a caret move shows it and
// restarts the phase; focus loss and an auto-selecting double-click stop it.
TEST_F(uQuarnEdit_View, CaretBlinksAndStops) {
  FEdit->SetText(u"ab ");
  Focus(FEdit);
  Key(VK_END);
  EXPECT_TRUE(CaretDrawn());
  Wait(490);
  EXPECT_TRUE(CaretDrawn());
  Wait(20);
  EXPECT_FALSE(CaretDrawn());
  Wait(500);
  EXPECT_TRUE(CaretDrawn());
  Wait(500);
  EXPECT_FALSE(CaretDrawn());
  // A move in the hidden phase shows it at once, for a whole phase.
  Key(VK_LEFT);
  EXPECT_TRUE(CaretDrawn());
  Wait(490);
  EXPECT_TRUE(CaretDrawn());
  Wait(20);
  EXPECT_FALSE(CaretDrawn());

  Focus(FOther);
  for (int i = 0; i < 4; ++i) {
    Wait(250);
    EXPECT_FALSE(CaretDrawn());
  }

  // Double-click: all selected, the caret hidden and no longer blinking.
  FEdit->SetText(u"two words");
  MoveTo(FEdit, 30, 12);
  Press();
  Release();
  Wait(20);
  Press();
  Release();
  EXPECT_EQ(FEdit->SelStart(), 0);
  EXPECT_EQ(FEdit->SelLength(), 9);
  for (int i = 0; i < 6; ++i) {
    Wait(250);
    EXPECT_FALSE(CaretDrawn()) << "after " << (i + 1) * 250 << " ms";
  }
  Key(VK_END);
  EXPECT_TRUE(CaretDrawn());
}

// Hot border while hovered or focused, the normal one otherwise; the
// frame's left column shows which.
TEST_F(uQuarnEdit_View, BorderFollowsHoverAndFocus) {
  const TColor32 normal = ImagePixel(u"QuarnBorderNormal", 1, 15);
  const TColor32 hot = ImagePixel(u"QuarnBorderHot", 1, 15);
  ASSERT_NE(normal, hot);
  Focus(FOther);
  MoveTo(FRoot.get(), 400, 250);
  Picture(FEdit);
  EXPECT_EQ(At(1, 13), normal);
  MoveTo(FEdit, 60, 12);
  Picture(FEdit);
  EXPECT_EQ(At(1, 13), hot);
  MoveTo(FRoot.get(), 400, 250);
  Picture(FEdit);
  EXPECT_EQ(At(1, 13), normal);
  Focus(FEdit);
  Picture(FEdit);
  EXPECT_EQ(At(1, 13), hot);
  // Hover and leave while focused: still hot.
  MoveTo(FEdit, 60, 12);
  MoveTo(FRoot.get(), 400, 250);
  Picture(FEdit);
  EXPECT_EQ(At(1, 13), hot);
  Focus(FOther);
  Picture(FEdit);
  EXPECT_EQ(At(1, 13), normal);
  // A missing hot image falls back to the normal one.
  FEdit->SetBorderHot(u"NoSuchImage");
  Focus(FEdit);
  Picture(FEdit);
  EXPECT_EQ(At(1, 13), normal);
  // No border at all, and the body colour inside 2 pixels.
  FEdit->SetBorderVisible(false);
  FEdit->SetColor(static_cast<TColor>(0x00E0F0FF));
  Picture(FEdit);
  EXPECT_EQ(At(1, 13), RootColour());
  EXPECT_EQ(At(2, 13), Color32(static_cast<TColor>(0x00E0F0FF)) & 0xFFFFFF);
}

// A visible right item takes its room from the text area (text never runs
// into it); hiding it gives the room back.
TEST_F(uQuarnEdit_View, RightItemKeepsTextOutAndHidingItReturnsTheRoom) {
  TQnEditItem* item = FEdit->EdItems()->Add();
  item->SetKind(ikButton);
  item->SetImage(u"QuarnSpin_normal_up");  // 20 x 11
  item->Pos()->SetAlign(agRight);
  item->Pos()->SetX(24);
  item->Pos()->SetY(1);
  FEdit->SetText(String(40, u'm'));
  Picture(FEdit);
  EXPECT_EQ(FEdit->RightOffset(), 24);
  const Integer W = FEdit->Width();
  // Below the item's image, right of the text area: no ink.
  const TRect band(W - 28, 13, W - 4, 22);
  EXPECT_EQ(Ink(FEdit, band), 0);
  EXPECT_GT(Ink(FEdit, TRect(W - 60, 13, W - 28, 22)), 0);
  item->SetVisible(false);
  Picture(FEdit);
  EXPECT_EQ(FEdit->RightOffset(), 0);
  EXPECT_GT(Ink(FEdit, band), 0);
  // And back.
  item->SetVisible(true);
  Picture(FEdit);
  EXPECT_EQ(FEdit->RightOffset(), 24);
  EXPECT_EQ(Ink(FEdit, band), 0);
}

// The hint shows only while the text is empty, in the hint colour at the
// text's place, and (with TextHintHideInKey) not while focused.
TEST_F(uQuarnEdit_View, HintOnlyForEmptyText) {
  FEdit->SetTextHint(u"Type a name");
  FEdit->FontHint()->SetColor(static_cast<TColor>(0x000080FF));  // orange
  Focus(FOther);
  const auto orange = [&] {
    TBitmap32* b = Picture(FEdit);
    Integer n = 0;
    for (Integer y = 0; y < b->Height(); ++y)
      for (Integer x = 0; x < b->Width(); ++x) {
        const TColor32 p = b->GetPixelS(x, y);
        // Orange, not the red caret.
        if (RedComponent(p) > 200 && GreenComponent(p) > 60 && GreenComponent(p) < 200 && BlueComponent(p) < 120) ++n;
      }
    return n;
  };
  EXPECT_GT(orange(), 20);
  FEdit->SetText(u"x");
  EXPECT_EQ(orange(), 0);
  FEdit->Clear();
  FEdit->SetTextHintHideInKey(true);
  EXPECT_GT(orange(), 20);
  Focus(FEdit);
  EXPECT_EQ(orange(), 0);
  // Disabled: the hint turns grey.
  Focus(FOther);
  FEdit->SetEnabled(false);
  EXPECT_EQ(orange(), 0);
}

// The selection is painted in the highlight colour with the highlight text
// colour over it; unselected text keeps the font colour.
TEST_F(uQuarnEdit_View, SelectionColours) {
  FEdit->SetText(u"MMMM MMMM");
  Focus(FEdit);
  Key(VK_HOME);
  for (int i = 0; i < 4; ++i) Key(VK_RIGHT, true);
  TBitmap32* b = Picture(FEdit);
  const TColor32 hl = Color32(clHighlight) & 0xFFFFFF;
  const Integer w4 = CharWidth(u"MMMM");
  const Integer left = FEdit->Space()->Left(), top = FEdit->Space()->Top();
  const auto dark = [&](TColor32 p) {
    return (p & 0xFFFFFF) != hl && RedComponent(p) + GreenComponent(p) + BlueComponent(p) < 100;
  };
  const auto light = [&](TColor32 p) {
    return (p & 0xFFFFFF) != hl && RedComponent(p) > 200 && GreenComponent(p) > 200 && BlueComponent(p) > 200;
  };
  // Selected: highlight behind light glyphs, nothing in the font's black.
  Integer hlCount = 0, lightInSel = 0, darkInSel = 0, darkOutside = 0, hlOutside = 0;
  for (Integer y = top; y < top + 12; ++y) {
    for (Integer x = left; x < left + w4; ++x) {
      const TColor32 p = b->GetPixelS(x, y);
      hlCount += (p & 0xFFFFFF) == hl;
      lightInSel += light(p);
      darkInSel += dark(p);
    }
    for (Integer x = left + w4 + 2; x < left + 2 * w4; ++x) {
      const TColor32 p = b->GetPixelS(x, y);
      hlOutside += (p & 0xFFFFFF) == hl;
      darkOutside += dark(p);
    }
  }
  EXPECT_GT(hlCount, w4 * 3);
  EXPECT_GT(lightInSel, 10);
  EXPECT_EQ(darkInSel, 0);
  EXPECT_EQ(hlOutside, 0);
  EXPECT_GT(darkOutside, 10);
  // Disabled: no highlight.
  FEdit->SetEnabled(false);
  b = Picture(FEdit);
  hlCount = 0;
  for (Integer y = top; y < top + 12; ++y)
    for (Integer x = left; x < left + w4; ++x) hlCount += (b->GetPixelS(x, y) & 0xFFFFFF) == hl;
  EXPECT_EQ(hlCount, 0);
}

// Right click opens the edit's own menu, rebuilt with the enabled states of
// the moment; its items act; a PopupMenu set on the edit wins.
TEST_F(uQuarnEdit_View, OwnMenuStatesActionsAndCaptions) {
  struct TSeen {
    std::vector<String> Captions;
    std::vector<bool> Enabled;
  } seen;
  Integer choose = -1;  // index of the item to click, -1 cancels
  TPopupMenu* menu = FEdit->GetPopupMenu();
  ASSERT_NE(menu, nullptr);
  SetMenuResponder([&](HMENU, UINT& command) {
    seen = TSeen();
    for (Integer i = 0; i < menu->Items()->Count(); ++i) {
      seen.Captions.push_back(menu->Items()->Items(i)->Caption());
      seen.Enabled.push_back(menu->Items()->Items(i)->Enabled());
    }
    if (choose < 0) return false;
    command = menu->Items()->Items(choose)->Command();
    return true;
  });
  const auto rightClick = [&] { Click(FEdit, 60, 12, VK_RBUTTON); };

  Clipboard()->Clear();
  FEdit->SetText(u"hello world");
  Focus(FEdit);
  Key(VK_HOME);
  rightClick();
  ASSERT_EQ(seen.Captions, (std::vector<String>{u"Cut", u"Copy", u"Paste", u"Delete", u"-", u"Select All"}));
  EXPECT_EQ(seen.Enabled, (std::vector<bool>{true, false, false, false, false, true}));
  EXPECT_TRUE(menu->Items()->Items(4)->IsLine());

  // With a selection and text on the clipboard: Copy, Paste and Delete.
  Clipboard()->SetAsText(u"XY\r\nsecond");
  Key(VK_HOME);
  for (int i = 0; i < 5; ++i) Key(VK_RIGHT, true);
  rightClick();
  EXPECT_EQ(seen.Enabled, (std::vector<bool>{true, true, true, true, false, true}));
  // Paste replaces the selection with the first line only.
  choose = 2;
  rightClick();
  EXPECT_EQ(FEdit->Text(), u"XY world");
  // Select All, then Copy.
  choose = 5;
  rightClick();
  EXPECT_EQ(FEdit->SelLength(), 8);
  choose = 1;
  rightClick();
  EXPECT_EQ(Clipboard()->AsText(), u"XY world");
  // Delete clears the selection; Cut takes it to the clipboard.
  Key(VK_HOME);
  Key(VK_RIGHT, true);
  Key(VK_RIGHT, true);
  choose = 3;
  rightClick();
  EXPECT_EQ(FEdit->Text(), u" world");
  Key(VK_END);
  for (int i = 0; i < 5; ++i) Key(VK_LEFT, true);
  choose = 0;
  rightClick();
  EXPECT_EQ(FEdit->Text(), u" ");
  EXPECT_EQ(Clipboard()->AsText(), u"world");

  // Read-only: nothing that edits is enabled.
  choose = -1;
  FEdit->SetText(u"fixed");
  FEdit->SelectAll();
  FEdit->SetReadOnly(true);
  rightClick();
  EXPECT_EQ(seen.Enabled, (std::vector<bool>{false, true, false, false, false, true}));
  FEdit->SetReadOnly(false);

  // The other locale's captions.
  SetSystemLocale(2052);
  rightClick();
  EXPECT_EQ(seen.Captions, (std::vector<String>{u"\u526A\u5207", u"\u590D\u5236", u"\u7C98\u8D34", u"\u5220\u9664",
                                                u"-", u"\u5168\u9009"}));
  SetSystemLocale(0x0409);

  // A menu of the application's own comes instead.
  TPopupMenu own(nullptr);
  auto* mine = new TMenuItem(&own);
  mine->SetCaption(u"Mine");
  own.Items()->Add(mine);
  FEdit->SetPopupMenu(&own);
  menu = &own;
  rightClick();
  EXPECT_EQ(seen.Captions, std::vector<String>{u"Mine"});
  FEdit->SetPopupMenu<TPopupMenu>(nullptr);
}

// The check item flips Checked and its images; clearing the items and then
// toggling is safe, and the next setting brings the item back.
TEST_F(uQuarnEdit_View, CheckItemTogglesAndSurvivesClearedItems) {
  FEdit->SetShowCheckBox(true);
  ASSERT_EQ(FEdit->EdItems()->Count(), 1);
  TQnEditItem* item = FEdit->EdItems()->Items(0);
  EXPECT_EQ(item->Image(), u"QuarnUncheckedCheckbox_18");
  EXPECT_EQ(item->ImageHot(), u"QuarnUncheckedCheckbox_18_h");
  const TRect r = item->GetRect();
  EXPECT_EQ(r, TRect(5, 6, 23, 24));
  Integer clicks = 0;
  item->SetOnClick([&](TObject*) { ++clicks; });
  Click(FEdit, 12, 14);
  EXPECT_TRUE(FEdit->Checked());
  EXPECT_EQ(item->Image(), u"QuarnCheckedCheckbox_18");
  EXPECT_EQ(item->ImageHot(), u"QuarnCheckedCheckbox_18_h");
  EXPECT_EQ(clicks, 1);
  // The built-in skin names the hover images differently, so the hot item
  // shows its normal image: the picture under the pointer is the checked box.
  MoveTo(FEdit, 12, 14);
  TBitmap32* b = Picture(FEdit);
  TQuarnImage* checked = TQuarnResManagerObj()->GetImageByName(u"QuarnCheckedCheckbox_18");
  EXPECT_EQ(b->GetPixelS(5 + 9, 6 + 9) & 0xFFFFFF, checked->GetPixelS(9, 9) & 0xFFFFFF);
  Click(FEdit, 12, 14);
  EXPECT_FALSE(FEdit->Checked());
  // Text clicks leave it alone.
  Click(FEdit, 120, 14);
  EXPECT_FALSE(FEdit->Checked());

  FEdit->EdItems()->Clear();
  Click(FEdit, 12, 14);
  FEdit->SetChecked(true);
  Picture(FEdit);
  ASSERT_EQ(FEdit->EdItems()->Count(), 1);
  EXPECT_EQ(FEdit->EdItems()->Items(0)->Image(), u"QuarnCheckedCheckbox_18");
  FEdit->SetShowCheckBox(false);
  EXPECT_FALSE(FEdit->EdItems()->Items(0)->Visible());
  Click(FEdit, 12, 14);
  EXPECT_TRUE(FEdit->Checked());
  delete FEdit->EdItems()->Items(0);
  FEdit->SetShowCheckBox(true);
  ASSERT_EQ(FEdit->EdItems()->Count(), 1);
  EXPECT_TRUE(FEdit->EdItems()->Items(0)->Visible());
}

// A hovered button item turns hot (its hot image, its cursor) and gets the
// click; leaving the edit drops the hot item.
TEST_F(uQuarnEdit_View, ButtonItemHoverAndClick) {
  TQnEditItem* item = FEdit->EdItems()->Add();
  item->SetKind(ikButton);
  item->SetImage(u"QuarnSpin_normal_up");
  item->SetImageHot(u"QuarnSpin_highlight_up");
  item->SetImagePress(u"QuarnSpin_pushed_up");
  item->SetCurosor(crHandPoint);
  item->Pos()->SetAlign(agRight);
  item->Pos()->SetX(24);
  item->Pos()->SetY(8);
  Integer clicks = 0;
  item->SetOnClick([&](TObject*) { ++clicks; });
  const Integer x = FEdit->Width() - 24;
  const auto shows = [&](const char16_t* Id) {
    TBitmap32* b = Picture(FEdit);
    TQuarnImage* img = TQuarnResManagerObj()->GetImageByName(Id);
    return (b->GetPixelS(x + 10, 8 + 8) & 0xFFFFFF) == (img->GetPixelS(10, 8) & 0xFFFFFF);
  };
  ASSERT_FALSE((TQuarnResManagerObj()->GetImageByName(u"QuarnSpin_normal_up")->GetPixelS(10, 8) & 0xFFFFFF) ==
               (TQuarnResManagerObj()->GetImageByName(u"QuarnSpin_highlight_up")->GetPixelS(10, 8) & 0xFFFFFF));
  MoveTo(FEdit, 60, 12);
  EXPECT_TRUE(shows(u"QuarnSpin_normal_up"));
  EXPECT_EQ(FEdit->Cursor(), crIBeam);
  MoveTo(FEdit, x + 10, 14);
  EXPECT_EQ(FEdit->EdItems()->HotIndex(), 0);
  EXPECT_EQ(FEdit->Cursor(), crHandPoint);
  EXPECT_TRUE(shows(u"QuarnSpin_highlight_up"));
  Press();
  EXPECT_TRUE(shows(u"QuarnSpin_pushed_up"));
  Release();
  EXPECT_EQ(clicks, 1);
  MoveTo(FEdit, 60, 12);
  EXPECT_EQ(FEdit->EdItems()->HotIndex(), -1);
  EXPECT_EQ(FEdit->Cursor(), crIBeam);
  MoveTo(FEdit, x + 10, 14);
  MoveTo(FRoot.get(), 400, 250);
  EXPECT_EQ(FEdit->EdItems()->HotIndex(), -1);
  // Disabled items are no buttons.
  item->SetEnabled(false);
  Click(FEdit, x + 10, 14);
  EXPECT_EQ(clicks, 1);
}

// Input method: the composition font and window are set on the context, a
// result goes through the filter and the length limit, DisableIME detaches
// and re-attaches the context and swallows the messages, and a result the
// context cannot give inserts nothing.
TEST_F(uQuarnEdit_View, InputMethodResultsAndDetaching) {
  FEdit->Space()->SetTop(5);
  Focus(FEdit);
  InputImeComposition(u"\u4F60\u597D");
  usertest::Pump();
  EXPECT_EQ(FEdit->Text(), u"\u4F60\u597D");
  HIMC imc = ImmGetContext(FEdit->Handle());
  ASSERT_NE(imc, nullptr);
  LOGFONTW lf{};
  ASSERT_TRUE(ImmGetCompositionFontW(imc, &lf));
  LOGFONTW want{};
  GetObjectW(FEdit->Font()->Handle(), sizeof(want), &want);
  EXPECT_EQ(String(lf.lfFaceName), String(want.lfFaceName));
  EXPECT_EQ(lf.lfHeight, want.lfHeight);
  COMPOSITIONFORM form;
  ASSERT_TRUE(ImmGetCompositionWindow(imc, &form));
  EXPECT_EQ(form.dwStyle, CFS_RECT);
  EXPECT_EQ(TRect(form.rcArea), TRect(0, 5, FEdit->Width(), FEdit->Height()));
  // The window was placed before the result came: at the empty text's caret.
  EXPECT_EQ(form.ptCurrentPos.Y, 5);
  EXPECT_EQ(form.ptCurrentPos.X, FEdit->Space()->Left() - 1);
  ImmReleaseContext(FEdit->Handle(), imc);
  // The next composition starts at the caret after the text.
  InputImeComposition(u"!");
  usertest::Pump();
  imc = ImmGetContext(FEdit->Handle());
  ImmGetCompositionWindow(imc, &form);
  ImmReleaseContext(FEdit->Handle(), imc);
  EXPECT_EQ(form.ptCurrentPos.X, FEdit->Space()->Left() + CharWidth(u"\u4F60\u597D"));

  // Filter and length limit.
  FEdit->Clear();
  FEdit->SetTextKind(tkEN);
  FEdit->SetMaxLength(4);
  InputImeComposition(u"ab1cdef");
  usertest::Pump();
  EXPECT_EQ(FEdit->Text(), u"abcd");
  FEdit->SetTextKind(tkAll);
  FEdit->SetMaxLength(0);

  // Detached: no context, composition messages swallowed.
  FEdit->Clear();
  FEdit->SetDisableIME(true);
  EXPECT_EQ(ImmGetContext(FEdit->Handle()), nullptr);
  SendMessageW(FEdit->Handle(), WM_IME_COMPOSITION, 0, LPARAM(GCS_RESULTSTR));
  EXPECT_EQ(FEdit->Text(), u"");
  FEdit->SetDisableIME(false);
  imc = ImmGetContext(FEdit->Handle());
  EXPECT_NE(imc, nullptr);
  ImmReleaseContext(FEdit->Handle(), imc);
  InputImeComposition(u"\u597D");
  usertest::Pump();
  EXPECT_EQ(FEdit->Text(), u"\u597D");

  // A context without a result (length 0) or with an error code inserts
  // nothing.
  FEdit->Clear();
  SetImeResultError(-2);
  SendMessageW(FEdit->Handle(), WM_IME_COMPOSITION, 0, LPARAM(GCS_RESULTSTR));
  SetImeResultError(0);
  EXPECT_EQ(FEdit->Text(), u"");

  // Set before the window exists, the setting takes effect when it is made.
  auto* early = new TQuarnEdit(FRoot.get());
  early->SetDisableIME(true);
  early->SetParent(FRoot.get());
  early->SetBounds(20, 150, 100, 26);
  usertest::Pump();
  EXPECT_EQ(ImmGetContext(early->Handle()), nullptr);
  early->SetDisableIME(false);
  EXPECT_NE(ImmGetContext(early->Handle()), nullptr);
}

// Typing hides the edit tip at once; font changes fire OnChange.
TEST_F(uQuarnEdit_View, TypingHidesTheTipAndFontChangesFireOnChange) {
  Focus(FEdit);
  HWND tip = FEdit->Tips()->Show(u"Letters only");
  usertest::Pump();
  ASSERT_TRUE(IsWindow(tip) && IsWindowVisible(tip));
  InputType(u"a");
  // Keys become characters the way the application's loop makes them.
  MSG m;
  while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&m);
    DispatchMessageW(&m);
  }
  EXPECT_EQ(FEdit->Text(), u"a");
  EXPECT_FALSE(IsWindow(tip) && IsWindowVisible(tip));
  Integer changes = 0;
  FEdit->SetOnChange([&](TObject*) { ++changes; });
  FEdit->Font()->SetSize(12);
  usertest::Pump();
  EXPECT_EQ(changes, 1);
}

}  // namespace

}  // namespace t_u_quarn_edit_view_test
