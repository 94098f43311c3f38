// The skinned combo box and the colour combo box through the input driver
// on the virtual clock: opening below or above, the press-drag-release
// tracking across the pop-up list, every accept and cancel path, the list
// style's keys, wheel and type-ahead, the editor's completion and hooks,
// values, hover and disabled colours, the colour list and its dialog, pixel
// probes of the face and the swatches, and form files.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "platform/classes/FormText.h"
#include "platform/rtl/SysUtils.h"
#include "platform/user/CommonDialogs.h"
#include "platform/vcl/ExtCtrls.h"
#include "skin/controls/uQuarnBoxCtrls.h"
#include "tests/skin/controls/SkinControlsTestSupport.h"

namespace t_u_quarn_combo_box_test {

using namespace qn;

namespace {

const char16_t* const kFruit[] = {u"apple", u"apricot", u"banana", u"blueberry", u"cherry", u"date", u"elderberry",
                                  u"fig",   u"grape",   u"guava",  u"kiwi",      u"lemon",  u"lime", u"mango",
                                  u"melon", u"nectarine", u"orange", u"papaya",  u"peach",  u"pear", u"plum"};

uint32_t Low24(TColor32 C) { return C & 0xFFFFFFu; }

// Records the events a combo fires, in order.
struct TLog {
  std::vector<std::string> Events;
  void Click(TObject*) { Events.push_back("click"); }
  void Change(TObject*) { Events.push_back("change"); }
  void DropDown(TObject*) { Events.push_back("dropdown"); }
  void CloseUp(TObject* Sender) { Events.push_back(Sender ? "closeup(combo)" : "closeup(nil)"); }
  Integer Count(const std::string& E) const { return Integer(std::count(Events.begin(), Events.end(), E)); }
};

class ComboTestBase : public skintest::RootTest {
 protected:
  void SetUp() override {
    skintest::RootTest::SetUp();
    FRoot->SetBorderStyle(bsSingle);
    usertest::Pump();
  }
  template <class T = TQuarnComboBox>
  T* Combo(Integer Items, TQuarnCustomComboBoxStyle Style, Integer X = 20, Integer Y = 20, Integer W = 160) {
    auto* c = Make<T>(X, Y, W, 26);
    c->SetStyle(Style);
    for (Integer i = 0; i < Items; ++i) c->Items()->Add(kFruit[i]);
    c->SetOnClick(TNotifyEvent(&FLog, &TLog::Click));
    c->SetOnChange(TNotifyEvent(&FLog, &TLog::Change));
    c->SetOnDropDown(TNotifyEvent(&FLog, &TLog::DropDown));
    c->SetOnCloseUp(TNotifyEvent(&FLog, &TLog::CloseUp));
    usertest::Pump();
    return c;
  }
  // The pointer onto the drop button, then a left press there.
  void PressButton(TQuarnCustomComboBox* C) {
    const TRect& r = C->DropButton().R;
    MoveTo(C, (r.Left + r.Right) / 2, r.Height() / 2);
    Press();
  }
  // Client point of row Row of the open list (counted from its top row).
  void MoveToRow(TQuarnCustomComboBox* C, Integer Row) {
    TQnListBox* inner = C->ListBox()->ListBox;
    MoveTo(inner, 20, Row * inner->ItemHeight() + inner->ItemHeight() / 2);
  }
  void AltKey(int VK) {
    InputKeyDown(VK_MENU);
    InputKeyDown(VK);
    InputKeyUp(VK);
    InputKeyUp(VK_MENU);
    usertest::Pump();
  }
  // Keys become characters the way the application's loop makes them.
  void Type(const String& Text) {
    InputType(Text);
    MSG m;
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&m);
      DispatchMessageW(&m);
    }
    usertest::Pump();
  }
  void Wheel(Integer Delta) {
    InputMouseWheel(Delta);
    usertest::Pump();
  }
  TLog FLog;
};

class uQuarnBoxCtrls_ComboBox : public ComboTestBase {};
class uQuarnBoxCtrls_ColorComboBox : public ComboTestBase {};

TEST_F(uQuarnBoxCtrls_ComboBox, OpensBelowWithItsRowsAndNeverWhenEmpty) {
  TQuarnComboBox* c = Combo(0, csDropDownList);
  EXPECT_EQ(c->DropDownCount(), 8);
  c->SetDropDownCount(0);
  c->SetDropDownCount(-3);
  EXPECT_EQ(c->DropDownCount(), 8);
  c->DropDown();
  usertest::Pump();
  EXPECT_FALSE(c->IsPopupVisible());
  EXPECT_FALSE(c->Dropped());
  EXPECT_EQ(FLog.Count("dropdown"), 0);

  for (Integer i = 0; i < 12; ++i) c->Items()->Add(kFruit[i]);
  c->SetDropDownCount(5);
  PressButton(c);
  Release();
  ASSERT_TRUE(c->IsPopupVisible());
  EXPECT_EQ(FLog.Count("dropdown"), 1);
  RECT wr;
  GetWindowRect(c->ListBox()->Handle(), &wr);
  const TPoint below = c->ClientToScreen(TPoint(1, 26));
  EXPECT_EQ(TPoint(wr.Left, wr.Top), below);
  EXPECT_EQ(wr.Right - wr.Left, 159);
  EXPECT_EQ(wr.Bottom - wr.Top, 5 * 20 + 4);
  EXPECT_EQ(GetParent(c->ListBox()->Handle()), nullptr);
  EXPECT_NE(c->ListBox()->ScrollBar, nullptr);  // 12 items in 5 rows

  // A second press on the button closes without accepting.
  Release();
  PressButton(c);
  Release();
  EXPECT_FALSE(c->IsPopupVisible());
  EXPECT_EQ(FLog.Events.back(), "closeup(nil)");

  // Fewer items than rows: the list is as tall as the items.
  c->Items()->Clear();
  for (Integer i = 0; i < 3; ++i) c->Items()->Add(kFruit[i]);
  c->DropDown();
  usertest::Pump();
  GetWindowRect(c->ListBox()->Handle(), &wr);
  EXPECT_EQ(wr.Bottom - wr.Top, 3 * 20 + 4);
  EXPECT_EQ(c->ListBox()->ScrollBar, nullptr);
  c->CloseUp(false);
}

TEST_F(uQuarnBoxCtrls_ComboBox, NearTheWorkAreasBottomOpensAbove) {
  // The work area ends 40 pixels above the 768-pixel screen.
  FRoot->SetBounds(40, 560, 400, 200);
  usertest::Pump();
  TQuarnComboBox* c = Combo(10, csDropDownList, 20, 100);
  c->DropDown();
  usertest::Pump();
  RECT wr;
  GetWindowRect(c->ListBox()->Handle(), &wr);
  const TPoint top = c->ClientToScreen(TPoint(0, 0));
  const Integer h = 8 * 20 + 5;
  EXPECT_EQ(wr.Top, top.Y - h);
  EXPECT_LT(wr.Bottom, top.Y);
  EXPECT_EQ(wr.Left, top.X + 1);
  c->CloseUp(false);
}

TEST_F(uQuarnBoxCtrls_ComboBox, PressDragReleaseSelectsOrRestores) {
  TQuarnComboBox* c = Combo(10, csDropDownList);
  c->SetItemIndex(2);
  FLog.Events.clear();

  // Press the button, drag into the list, release on a row.
  PressButton(c);
  ASSERT_TRUE(c->IsPopupVisible());
  MoveToRow(c, 1);
  MoveToRow(c, 3);
  const Integer row = c->ListBox()->TopIndex() + 3;
  EXPECT_EQ(c->ListBox()->ItemIndex(), row);
  Release();
  EXPECT_FALSE(c->IsPopupVisible());
  EXPECT_EQ(c->ItemIndex(), row);
  EXPECT_EQ(c->Text(), kFruit[row]);
  EXPECT_EQ(FLog.Events, (std::vector<std::string>{"dropdown", "change", "click", "closeup(combo)"}));
  EXPECT_EQ(GetCapture(), nullptr);

  // Dragging through the list and releasing outside restores the selection.
  FLog.Events.clear();
  PressButton(c);
  MoveToRow(c, 0);
  EXPECT_NE(c->ListBox()->ItemIndex(), row);
  MoveTo(c, 200, 60);  // right of the list
  Release();
  EXPECT_FALSE(c->IsPopupVisible());
  EXPECT_EQ(c->ItemIndex(), row);
  EXPECT_EQ(FLog.Events, (std::vector<std::string>{"dropdown", "closeup(nil)"}));

  // Open by a click, then a press inside the list and a release there.
  FLog.Events.clear();
  PressButton(c);
  Release();
  ASSERT_TRUE(c->IsPopupVisible());
  MoveToRow(c, 0);  // hover alone moves the highlight
  EXPECT_EQ(c->ListBox()->ItemIndex(), c->ListBox()->TopIndex());
  Press();
  MoveToRow(c, 2);
  const Integer third = c->ListBox()->TopIndex() + 2;
  Release();
  EXPECT_FALSE(c->IsPopupVisible());
  EXPECT_EQ(c->ItemIndex(), third);
  EXPECT_EQ(FLog.Events.back(), "closeup(combo)");
  EXPECT_EQ(GetCapture(), nullptr);

  // Escape cancels like a release outside.
  FLog.Events.clear();
  c->SetFocus();
  PressButton(c);
  Release();
  MoveToRow(c, 4);
  Key(VK_ESCAPE);
  EXPECT_FALSE(c->IsPopupVisible());
  EXPECT_EQ(c->ItemIndex(), third);
  EXPECT_EQ(FLog.Events, (std::vector<std::string>{"dropdown", "closeup(nil)"}));
}

TEST_F(uQuarnBoxCtrls_ComboBox, TheFormStaysActiveAndFocusedWhileTheListIsUsed) {
  TQuarnComboBox* c = Combo(10, csDropDown);
  c->SetFocus();
  usertest::Pump();
  ASSERT_NE(c->Edit(), nullptr);
  EXPECT_EQ(GetFocus(), c->Edit()->Handle());
  const HWND active = GetActiveWindow();
  ASSERT_EQ(active, FRoot->Handle());
  PressButton(c);
  Release();
  ASSERT_TRUE(c->IsPopupVisible());
  MoveToRow(c, 1);
  Press();
  EXPECT_EQ(GetActiveWindow(), active);
  EXPECT_EQ(GetFocus(), c->Edit()->Handle());
  Release();
  EXPECT_EQ(GetActiveWindow(), active);
  EXPECT_EQ(GetFocus(), c->Edit()->Handle());
  EXPECT_EQ(c->Text(), kFruit[1]);
  EXPECT_EQ(c->Edit()->Text(), kFruit[1]);
  EXPECT_EQ(c->SelLength(), Integer(std::u16string(kFruit[1]).size()));
}

TEST_F(uQuarnBoxCtrls_ComboBox, APressOnAnotherControlCancels) {
  TQuarnComboBox* c = Combo(10, csDropDownList);
  auto* other = Make<TPanel>(300, 20, 80, 40);
  c->SetItemIndex(4);
  c->SetFocus();
  usertest::Pump();
  c->DropDown();
  usertest::Pump();
  MoveToRow(c, 1);
  FLog.Events.clear();
  MoveTo(other, 10, 10);
  Press();
  Release();
  EXPECT_FALSE(c->IsPopupVisible());
  EXPECT_EQ(c->ItemIndex(), 4);
  EXPECT_EQ(FLog.Events, (std::vector<std::string>{"closeup(nil)"}));
  // A press on the combo's own list does not count.
  c->DropDown();
  usertest::Pump();
  c->Perform(CM_CANCELMODE, 0, ControlParam(c->ListBox()->ListBox));
  EXPECT_TRUE(c->IsPopupVisible());
  c->Perform(CM_CANCELMODE, 0, ControlParam(other));
  EXPECT_FALSE(c->IsPopupVisible());
}

TEST_F(uQuarnBoxCtrls_ComboBox, DraggingPastTheListAutoScrollsEvery25Ms) {
  TQuarnComboBox* c = Combo(21, csDropDownList);
  c->SetItemIndex(12);
  PressButton(c);
  ASSERT_NE(c->ListBox()->ScrollBar, nullptr);
  EXPECT_EQ(c->ListBox()->TopIndex(), 12);
  MoveToRow(c, 0);
  EXPECT_EQ(c->ListBox()->ItemIndex(), 12);
  // Back over the combo, above the list's top.
  MoveTo(c, 40, 10);
  Wait(24);
  EXPECT_EQ(c->ListBox()->ItemIndex(), 12);
  Wait(1);
  EXPECT_EQ(c->ListBox()->ItemIndex(), 11);
  Wait(75);
  EXPECT_EQ(c->ListBox()->ItemIndex(), 8);
  EXPECT_EQ(c->ListBox()->TopIndex(), 8);
  // Back inside the list the scrolling stops.
  MoveToRow(c, 2);
  const Integer held = c->ListBox()->ItemIndex();
  Wait(100);
  EXPECT_EQ(c->ListBox()->ItemIndex(), held);
  // Below the list it runs downwards, and stops at the last row.
  TQnListBox* inner = c->ListBox()->ListBox;
  MoveTo(inner, 20, inner->Height() + 30);
  Wait(1000);
  EXPECT_EQ(c->ListBox()->ItemIndex(), 20);
  Release();
  EXPECT_EQ(c->ItemIndex(), 12);  // released outside: cancelled
}

TEST_F(uQuarnBoxCtrls_ComboBox, ListStyleKeysAndWheel) {
  TQuarnComboBox* c = Combo(21, csDropDownList);
  c->SetDropDownCount(5);
  c->SetFocus();
  usertest::Pump();
  EXPECT_EQ(c->Perform(CM_WANTSPECIALKEY, VK_DOWN, 0), 1);
  Key(VK_DOWN);
  EXPECT_EQ(c->ItemIndex(), 0);
  Key(VK_RIGHT);
  EXPECT_EQ(c->ItemIndex(), 1);
  Key(VK_UP);
  Key(VK_UP);
  EXPECT_EQ(c->ItemIndex(), 0);
  // Page Down by DropDownCount - 1, Page Up by DropDownCount + 1.
  Key(VK_NEXT);
  EXPECT_EQ(c->ItemIndex(), 4);
  Key(VK_NEXT);
  EXPECT_EQ(c->ItemIndex(), 8);
  Key(VK_PRIOR);
  EXPECT_EQ(c->ItemIndex(), 2);
  Key(VK_PRIOR);
  EXPECT_EQ(c->ItemIndex(), 0);
  c->SetItemIndex(18);
  Key(VK_NEXT);
  EXPECT_EQ(c->ItemIndex(), 20);
  Key(VK_DOWN);
  EXPECT_EQ(c->ItemIndex(), 20);
  EXPECT_EQ(c->Text(), kFruit[20]);

  // Each step reports itself once.
  FLog.Events.clear();
  Key(VK_UP);
  EXPECT_EQ(FLog.Events, (std::vector<std::string>{"change", "click"}));

  // Alt+Down opens, Alt+Up closes without accepting.
  AltKey(VK_DOWN);
  ASSERT_TRUE(c->IsPopupVisible());
  Wheel(-WHEEL_DELTA);  // open: only the highlight moves
  EXPECT_EQ(c->ListBox()->ItemIndex(), 20);
  AltKey(VK_UP);
  EXPECT_FALSE(c->IsPopupVisible());
  EXPECT_EQ(c->ItemIndex(), 19);
  EXPECT_EQ(FLog.Events.back(), "closeup(nil)");

  // Closed, the wheel changes the selection; Enter on an open list accepts.
  Wheel(WHEEL_DELTA);
  EXPECT_EQ(c->ItemIndex(), 18);
  AltKey(VK_DOWN);
  Wheel(-WHEEL_DELTA);
  Key(VK_RETURN);
  EXPECT_FALSE(c->IsPopupVisible());
  EXPECT_EQ(c->ItemIndex(), 19);
  EXPECT_EQ(FLog.Events.back(), "closeup(combo)");
}

TEST_F(uQuarnBoxCtrls_ComboBox, TypeAheadCollectsLettersWithin500Ms) {
  TQuarnComboBox* c = Combo(0, csDropDownList);
  for (const char16_t* s : {u"alpha", u"beta", u"bbq", u"gamma", u"bravo"}) c->Items()->Add(s);
  c->SetFocus();
  usertest::Pump();
  Type(u"b");
  EXPECT_EQ(c->ItemIndex(), 1);
  Wait(100);
  Type(u"b");  // "bb", from the top
  EXPECT_EQ(c->ItemIndex(), 2);
  Wait(500);
  Type(u"b");  // "b" again, after the current item
  EXPECT_EQ(c->ItemIndex(), 4);
  Wait(600);
  Type(u"b");  // wraps round
  EXPECT_EQ(c->ItemIndex(), 1);

  // Without AutoComplete every letter is searched alone.
  c->SetAutoComplete(false);
  Wait(600);
  Type(u"bb");
  EXPECT_EQ(c->ItemIndex(), 4);
}

TEST_F(uQuarnBoxCtrls_ComboBox, ValuesMapItemsAndReselect) {
  TQuarnComboBox* c = Combo(0, csDropDownList);
  c->AddItemValue(u"Red", u"#f00");
  c->AddItemValue(u"Green", u"");
  c->AddItemValue(u"Blue", u"#00f");
  c->InsertItemValue(0, u"Black", u"#000");
  ASSERT_EQ(c->Items()->Count(), 4);
  ASSERT_EQ(c->Values()->Count(), 4);
  EXPECT_EQ(c->GetItemValue(0), u"#000");
  EXPECT_EQ(c->GetItemValue(2), u"Green");  // empty value: the item
  EXPECT_EQ(c->GetItemValue(9), u"");

  c->SetItemIndex(3);
  EXPECT_EQ(c->Value(), u"#00f");
  c->SetItemIndex(2);
  EXPECT_EQ(c->Value(), u"Green");
  c->SetValue(u"#f00");
  EXPECT_EQ(c->ItemIndex(), 1);
  c->SetValue(u"nothing");
  EXPECT_EQ(c->ItemIndex(), -1);
  EXPECT_EQ(c->Value(), u"");

  // A change of Values re-selects the item of the current value.
  c->SetValue(u"#00f");
  ASSERT_EQ(c->ItemIndex(), 3);
  FLog.Events.clear();
  c->Values()->SetStrings(0, u"#00f");  // now the first item carries it
  EXPECT_EQ(c->ItemIndex(), 0);
  EXPECT_EQ(FLog.Count("click"), 1);
  // A change that leaves the item where it is reports nothing.
  FLog.Events.clear();
  c->Values()->Add(u"spare");
  EXPECT_EQ(c->ItemIndex(), 0);
  EXPECT_EQ(FLog.Count("click"), 0);

  c->DeleteItemValue(0);
  EXPECT_EQ(c->Items()->Strings(0), u"Red");
  EXPECT_EQ(c->Values()->Strings(0), u"#f00");
  c->ClearItemsValues();
  EXPECT_EQ(c->Items()->Count(), 0);
  EXPECT_EQ(c->Values()->Count(), 0);

  // In the editor style the text picks the item.
  TQuarnComboBox* e = Combo(0, csDropDown, 20, 80);
  e->AddItemValue(u"one", u"1");
  e->AddItemValue(u"two", u"2");
  e->SetText(u"two");
  EXPECT_EQ(e->Value(), u"2");
  e->SetText(u"three");
  EXPECT_EQ(e->Value(), u"three");
}

TEST_F(uQuarnBoxCtrls_ComboBox, EditorCompletesTypedTextOncePer200Ms) {
  TQuarnComboBox* c = Combo(0, csDropDown);
  for (const char16_t* s : {u"apricot", u"apple", u"banana"}) c->Items()->Add(s);
  c->Items()->Move(1, 0);  // apple, apricot, banana
  c->SetFocus();
  usertest::Pump();
  ASSERT_EQ(GetFocus(), c->Edit()->Handle());
  Type(u"a");
  // One letter in a fresh combo completes to the first match.
  EXPECT_EQ(c->Text(), u"apple");
  EXPECT_EQ(c->SelStart(), 1);
  EXPECT_EQ(c->SelLength(), 4);
  Wait(250);
  Type(u"p");
  EXPECT_EQ(c->Text(), u"apple");
  EXPECT_EQ(c->ItemIndex(), 0);
  EXPECT_EQ(c->SelStart(), 2);
  EXPECT_EQ(c->SelLength(), 3);
  Wait(250);
  Type(u"r");
  EXPECT_EQ(c->Text(), u"apricot");
  EXPECT_EQ(c->ItemIndex(), 1);
  EXPECT_EQ(c->Edit()->SelText(), u"icot");

  // Two keys within 200 ms: only the first completes.
  c->SetText(String());
  Wait(250);
  Type(u"ba");
  EXPECT_EQ(c->Edit()->Text(), u"ba");
  EXPECT_EQ(c->ItemIndex(), 2);  // the typed text still selects its item
  Wait(250);
  Type(u"n");
  EXPECT_EQ(c->Text(), u"banana");
  EXPECT_EQ(c->SelStart(), 3);

  // Without AutoComplete the list only scrolls to the match.
  c->SetAutoComplete(false);
  c->SetItemIndex(-1);
  c->SetText(String());
  Wait(250);
  Type(u"b");
  EXPECT_EQ(c->Text(), u"b");
  EXPECT_EQ(c->ItemIndex(), -1);
}

TEST_F(uQuarnBoxCtrls_ComboBox, EditorStepsWithArrowsAndWheelAndClosesOnFocusLoss) {
  TQuarnComboBox* c = Combo(6, csDropDown);
  auto* other = Make<TQuarnEdit>(20, 200, 100, 26);
  c->SetFocus();
  usertest::Pump();
  FLog.Events.clear();
  Key(VK_DOWN);
  EXPECT_EQ(c->ItemIndex(), 0);
  EXPECT_EQ(c->Text(), kFruit[0]);
  EXPECT_EQ(c->Edit()->SelText(), kFruit[0]);
  EXPECT_EQ(FLog.Count("click"), 1);
  Key(VK_DOWN);
  Key(VK_DOWN);
  EXPECT_EQ(c->ItemIndex(), 2);
  // Up reports its step once, like Down.
  FLog.Events.clear();
  Key(VK_UP);
  EXPECT_EQ(c->ItemIndex(), 1);
  EXPECT_EQ(c->Text(), kFruit[1]);
  EXPECT_EQ(c->Edit()->SelText(), kFruit[1]);
  EXPECT_EQ(FLog.Count("click"), 1);
  MoveTo(c, 40, 10);
  Wheel(-WHEEL_DELTA);
  EXPECT_EQ(c->ItemIndex(), 2);
  Wheel(WHEEL_DELTA);
  Wheel(WHEEL_DELTA);
  EXPECT_EQ(c->ItemIndex(), 0);
  Wheel(WHEEL_DELTA);
  EXPECT_EQ(c->ItemIndex(), 0);

  // An item whose text begins another item's keeps its own selection.
  TQuarnComboBox* pie = Combo(0, csDropDown, 200, 20);
  pie->Items()->Add(u"apple pie");
  pie->Items()->Add(u"apple");
  pie->SetItemIndex(1);
  EXPECT_EQ(pie->ItemIndex(), 1);
  EXPECT_EQ(pie->Text(), u"apple");
  c->SetFocus();
  usertest::Pump();

  // Open, then focus elsewhere: closed without accepting.
  c->DropDown();
  usertest::Pump();
  ASSERT_TRUE(c->IsPopupVisible());
  EXPECT_EQ(GetFocus(), c->Edit()->Handle());
  Key(VK_DOWN);
  EXPECT_TRUE(c->IsPopupVisible());
  other->SetFocus();
  usertest::Pump();
  EXPECT_FALSE(c->IsPopupVisible());
  EXPECT_EQ(c->ItemIndex(), 0);  // the selection from before the list opened
  EXPECT_EQ(FLog.Events.back(), "closeup(nil)");

  // Enter in the editor accepts the highlighted row.
  c->SetFocus();
  usertest::Pump();
  c->DropDown();
  usertest::Pump();
  MoveToRow(c, 1);
  const Integer row = c->ListBox()->ItemIndex();
  Key(VK_RETURN);
  EXPECT_FALSE(c->IsPopupVisible());
  EXPECT_EQ(c->ItemIndex(), row);
  EXPECT_EQ(c->Text(), c->Items()->Strings(row));
}

TEST_F(uQuarnBoxCtrls_ComboBox, HotFrameAndDisabledColours) {
  TQuarnComboBox* c = Combo(4, csDropDown);
  auto* other = Make<TQuarnEdit>(20, 200, 100, 26);
  MoveTo(FRoot.get(), 400, 250);
  EXPECT_FALSE(c->Hot());
  MoveTo(c->Edit(), 10, 10);
  EXPECT_TRUE(c->Hot());
  MoveTo(FRoot.get(), 400, 250);
  EXPECT_FALSE(c->Hot());
  c->SetFocus();
  usertest::Pump();
  EXPECT_TRUE(c->Hot());
  other->SetFocus();
  usertest::Pump();
  EXPECT_FALSE(c->Hot());
  // The arrow turns hot under the pointer.
  const TRect& b = c->DropButton().R;
  MoveTo(c, b.Left + 2, 10);
  EXPECT_TRUE(c->DropButton().MouseIn);
  MoveTo(FRoot.get(), 400, 250);
  EXPECT_FALSE(c->DropButton().MouseIn);

  c->Font()->SetColor(static_cast<TColor>(0x00336699));
  c->SetEnabled(false);
  usertest::Pump();
  EXPECT_EQ(c->Font()->Color(), static_cast<TColor>(0x00CCCCCC));
  ASSERT_NE(c->Edit(), nullptr);
  EXPECT_EQ(c->Edit()->Font()->Color(), static_cast<TColor>(0x00CCCCCC));
  c->SetEnabled(true);
  usertest::Pump();
  EXPECT_EQ(c->Font()->Color(), static_cast<TColor>(0x00336699));
  EXPECT_EQ(c->Edit()->Font()->Color(), static_cast<TColor>(0x00336699));
  // A font that already was the grey comes back black.
  c->Font()->SetColor(static_cast<TColor>(0x00CCCCCC));
  c->SetEnabled(false);
  c->SetEnabled(true);
  EXPECT_EQ(c->Font()->Color(), clBlack);
}

TEST_F(uQuarnBoxCtrls_ComboBox, StyleMovesTheTabStopAndTheFace) {
  TQuarnComboBox* c = Combo(5, csDropDown);
  ASSERT_NE(c->Edit(), nullptr);
  EXPECT_FALSE(c->TabStop());
  EXPECT_TRUE(c->Edit()->TabStop());
  EXPECT_TRUE(c->ComboTabStop());
  EXPECT_EQ(c->Edit()->BoundsRect(), TRect(1, 2, 1 + c->FaceItem().R.Width(), 24));
  EXPECT_EQ(c->DropButton().R, TRect(160 - 19, 0, 160, 26));
  EXPECT_EQ(c->FaceItem().R, TRect(3, 3, 140, 25));
  c->SetStyle(csDropDownList);
  EXPECT_EQ(c->Edit(), nullptr);
  EXPECT_TRUE(c->TabStop());
  c->SetStyle(csDropDown);
  EXPECT_FALSE(c->TabStop());
  c->SetText(u"typed");
  EXPECT_EQ(c->Edit()->Text(), u"typed");
  // A new font reaches the editor, which keeps the text and the tab stop.
  c->Font()->SetSize(12);
  usertest::Pump();
  ASSERT_NE(c->Edit(), nullptr);
  EXPECT_EQ(c->Edit()->Text(), u"typed");
  EXPECT_EQ(c->Edit()->Font()->Size(), 12);
  EXPECT_TRUE(c->Edit()->TabStop());
}

TEST_F(uQuarnBoxCtrls_ComboBox, FacePictureByPixelProbes) {
  TQuarnComboBox* c = Combo(5, csDropDownList);
  c->SetItemIndex(2);
  TBitmap32* b = Picture(c);
  // The arrow, centred in the button.
  TQuarnImage* arrow = TQuarnResManagerObj()->GetImageByName(u"QuarnDrop_arrow_normal");
  ASSERT_NE(arrow, nullptr);
  const TRect& r = c->DropButton().R;
  const Integer ax = r.Left + (r.Width() - arrow->Width()) / 2, ay = (r.Height() - arrow->Height()) / 2;
  // Each visible arrow pixel is the arrow laid over the white body.
  Integer differ = 0, seen = 0;
  for (Integer y = 0; y < arrow->Height(); ++y)
    for (Integer x = 0; x < arrow->Width(); ++x) {
      const TColor32 a = arrow->GetPixel(x, y), got = b->GetPixel(ax + x, ay + y);
      const Integer alpha = Integer(a >> 24);
      if (alpha < 64) continue;
      ++seen;
      for (int shift = 0; shift < 24; shift += 8) {
        const Integer want = (Integer((a >> shift) & 0xFF) * alpha + 255 * (255 - alpha)) / 255;
        if (std::abs(want - Integer((got >> shift) & 0xFF)) > 4) {
          ++differ;
          break;
        }
      }
    }
  EXPECT_GT(seen, 10);
  EXPECT_EQ(differ, 0);
  // Unfocused the face is the combo's colour with dark text on it.
  const TRect& f = c->FaceItem().R;
  EXPECT_EQ(Low24(b->GetPixel(f.Right - 3, f.Top + 2)), 0xFFFFFFu);
  Integer dark = 0;
  for (Integer x = f.Left; x < f.Left + 40; ++x)
    for (Integer y = f.Top; y < f.Bottom - 2; ++y)
      if ((b->GetPixel(x, y) & 0xFF) < 0x60) ++dark;
  EXPECT_GT(dark, 20);
  // Focused, it takes the selected menu colours.
  c->SetMenuItemSeletedColor(static_cast<TColor>(0x00402010));
  c->SetFocus();
  usertest::Pump();
  b = Picture(c);
  EXPECT_EQ(Low24(b->GetPixel(f.Right - 3, f.Top + 2)), 0x102040u);
  EXPECT_TRUE(c->FaceItem().State.Contains(odFocused));

  // An owner-drawn face gets the face's size and the item.
  Integer drawn = -1;
  TRect given;
  c->SetOnComboBoxDrawItem(TQnDrawSkinItemEvent(
      [&](TObject* Sender, TCanvas*, Integer Index, Integer, Integer, TRect R, TOwnerDrawState) {
        EXPECT_EQ(Sender, c);
        drawn = Index;
        given = R;
      }));
  Picture(c);
  EXPECT_EQ(drawn, 2);
  EXPECT_EQ(given, TRect(0, 0, f.Width(), f.Height() - 2));
}

// The open list copies the screen under itself before drawing its frame: its
// last row (and, without a scroll bar, its last column) shows the form
// beneath, each time it opens.
TEST_F(uQuarnBoxCtrls_ComboBox, TheOpenListsLastRowShowsTheFormBeneath) {
  TQuarnComboBox* c = Combo(3, csDropDownList);
  for (TColor formColor : {static_cast<TColor>(0x00204060), static_cast<TColor>(0x0030C0A0)}) {
    SCOPED_TRACE(std::to_string(int(formColor)));
    FRoot->SetColor(formColor);
    usertest::Pump();
    const TScreenImage before = CaptureScreen();
    c->DropDown();
    usertest::Pump();
    ASSERT_TRUE(c->IsPopupVisible());
    RECT wr;
    GetWindowRect(c->ListBox()->Handle(), &wr);
    const TScreenImage open = CaptureScreen();
    Integer differ = 0;
    for (Integer x = wr.Left; x < wr.Right; ++x)
      differ += Low24(open.Pixel(x, wr.Bottom - 1)) != Low24(before.Pixel(x, wr.Bottom - 1));
    if (c->ListBox()->ScrollBar == nullptr)
      for (Integer y = wr.Top; y < wr.Bottom; ++y)
        differ += Low24(open.Pixel(wr.Right - 1, y)) != Low24(before.Pixel(wr.Right - 1, y));
    EXPECT_EQ(differ, 0);
    // The row above is the list's frame, so the row checked is the copy's.
    EXPECT_NE(Low24(open.Pixel(wr.Left + 10, wr.Bottom - 2)), Low24(before.Pixel(wr.Left + 10, wr.Bottom - 2)));
    c->CloseUp(false);
    usertest::Pump();
  }
}

TEST_F(uQuarnBoxCtrls_ComboBox, FormFileRoundTrip) {
  auto* c = Make<TQuarnComboBox>(10, 10, 150, 26);
  c->SetName(u"Combo1");
  c->Items()->Add(u"one");
  c->Items()->Add(u"two");
  c->Values()->Add(u"1");
  c->Values()->Add(u"2");
  c->SetStyle(csDropDownList);
  c->SetItemIndex(1);
  c->SetDropDownCount(12);
  c->SetMenuItemSeletedColor(static_cast<TColor>(0x00112233));
  c->SetMenuItemBackgroudColor(static_cast<TColor>(0x00445566));
  c->SetMenuItemSeletedFontColor(clYellow);
  c->SetMenuItemNormalFontColor(clNavy);
  c->SetMenuFrameColor(clRed);
  c->SetAutoComplete(false);
  const std::string text = ComponentToText(c);
  for (const char* s : {"MenuItemSeletedColor = ", "MenuItemBackgroudColor = ", "MenuItemSeletedFontColor = ",
                        "MenuItemNormalFontColor = ", "MenuFrameColor = ", "Style = csDropDownList",
                        "DropDownCount = 12", "AutoComplete = False", "ItemIndex = 1"})
    EXPECT_NE(text.find(s), std::string::npos) << s;
  EXPECT_EQ(text.find("TQnPopupListBox"), std::string::npos);
  EXPECT_EQ(text.find("TQuarnEdit"), std::string::npos);
  EXPECT_EQ(text.find("DropArrow"), std::string::npos);

  auto* back = new TQuarnComboBox(FRoot.get());
  back->SetParent(FRoot.get());
  c->SetName(u"Before");
  TextToComponent(text, back);
  usertest::Pump();
  EXPECT_EQ(back->Style(), csDropDownList);
  EXPECT_EQ(back->Edit(), nullptr);
  EXPECT_TRUE(back->TabStop());
  EXPECT_EQ(back->Items()->Count(), 2);
  EXPECT_EQ(back->ItemIndex(), 1);
  EXPECT_EQ(back->Value(), u"2");
  EXPECT_EQ(back->DropDownCount(), 12);
  EXPECT_EQ(back->MenuItemSeletedColor(), static_cast<TColor>(0x00112233));
  EXPECT_EQ(back->MenuItemBackgroudColor(), static_cast<TColor>(0x00445566));
  EXPECT_EQ(back->MenuItemSeletedFontColor(), clYellow);
  EXPECT_EQ(back->MenuItemNormalFontColor(), clNavy);
  EXPECT_EQ(back->MenuFrameColor(), clRed);
  EXPECT_FALSE(back->AutoComplete());

  // A load that fails leaves the combo as it was, editor and all.
  auto* bad = Make<TQuarnComboBox>(10, 100, 150, 26);
  EXPECT_ANY_THROW(TextToComponent("object Bad: TQuarnComboBox\n  Style = csDropDownList\n  Nonsense = 1\nend\n", bad));
  EXPECT_EQ(bad->Style(), csDropDown);
  ASSERT_NE(bad->Edit(), nullptr);
  bad->SetText(u"still here");
  EXPECT_EQ(bad->Edit()->Text(), u"still here");

  // The editor style keeps its tab stop through a form file.
  auto* e = Make<TQuarnComboBox>(10, 60, 150, 26);
  e->SetComboTabStop(false);
  auto* e2 = new TQuarnComboBox(FRoot.get());
  e2->SetParent(FRoot.get());
  TextToComponent(ComponentToText(e), e2);
  ASSERT_NE(e2->Edit(), nullptr);
  EXPECT_FALSE(e2->Edit()->TabStop());
  EXPECT_FALSE(e2->TabStop());
}

// ------------------------------------------------------------ colour combo

TEST_F(uQuarnBoxCtrls_ColorComboBox, DefaultListsTheSixteenStandardColours) {
  auto* c = Make<TQuarnColorComboBox>(20, 20, 160, 26);
  EXPECT_EQ(c->Style(), csDropDownList);
  ASSERT_EQ(c->Items()->Count(), 16);
  EXPECT_EQ(c->Items()->Strings(0), u"clBlack");
  EXPECT_EQ(c->Items()->Strings(15), u"clWhite");
  EXPECT_EQ(c->GetColor(9), clRed);
  EXPECT_EQ(c->GetColor(16), QnNoColor);
  EXPECT_EQ(c->Selected(), clBlack);
  EXPECT_EQ(c->ItemIndex(), 0);

  c->SetExStyle(TQnColorBoxStyles{qncbExtendedColors, qncbPrettyNames});
  ASSERT_EQ(c->Items()->Count(), 4);
  EXPECT_EQ(c->Items()->Strings(0), u"Money Green");
  EXPECT_EQ(c->GetColor(0), clMoneyGreen);
  EXPECT_EQ(c->Items()->Strings(3), u"Med Gray");
  EXPECT_EQ(c->ItemIndex(), 0);  // nothing matched black: the first item

  // Every group with none and default kept.
  c->SetExStyle(TQnColorBoxStyles{qncbStandardColors, qncbExtendedColors, qncbSystemColors, qncbIncludeNone,
                                  qncbIncludeDefault});
  Integer all = 0;
  GetColorValues([&](const String&) { ++all; });
  EXPECT_EQ(c->Items()->Count(), all);
  c->SetExStyle(TQnColorBoxStyles{qncbSystemColors});
  EXPECT_EQ(c->Items()->IndexOf(u"clNone"), -1);
  EXPECT_EQ(c->Items()->IndexOf(u"clDefault"), -1);
  EXPECT_EQ(c->Items()->Count(), all - 20 - 2);
  EXPECT_EQ(c->Items()->Strings(0), u"clActiveBorder");

  EXPECT_TRUE(c->Enabled());
  c->SetExStyle(TQnColorBoxStyles{});
  EXPECT_FALSE(c->Enabled());
  EXPECT_EQ(c->Items()->Count(), 0);
  EXPECT_EQ(c->Selected(), QnNoColor);
  c->SetExStyle(TQnColorBoxStyles{qncbPrettyNames, qncbCustomColor});
  EXPECT_TRUE(c->Enabled());
  EXPECT_EQ(c->Items()->Count(), 1);
}

TEST_F(uQuarnBoxCtrls_ColorComboBox, UnlistedColourGoesToTheCustomEntry) {
  auto* c = Make<TQuarnColorComboBox>(20, 20, 160, 26);
  c->SetSelected(clBlue);
  EXPECT_EQ(c->ItemIndex(), 12);
  c->SetSelected(static_cast<TColor>(0x00123456));  // not listed, no custom entry
  EXPECT_EQ(c->ItemIndex(), -1);
  EXPECT_EQ(c->Selected(), QnNoColor);

  c->SetExStyle(TQnColorBoxStyles{qncbStandardColors, qncbCustomColor});
  ASSERT_EQ(c->Items()->Count(), 17);
  EXPECT_EQ(c->Items()->Strings(16), u"Custom...");
  c->SetSelected(static_cast<TColor>(0x00123456));
  EXPECT_EQ(c->ItemIndex(), 16);
  EXPECT_EQ(c->Selected(), static_cast<TColor>(0x00123456));
  // The custom colour survives a re-population.
  c->SetExStyle(TQnColorBoxStyles{qncbStandardColors, qncbCustomColor, qncbPrettyNames});
  EXPECT_EQ(c->GetColor(16), static_cast<TColor>(0x00123456));
  EXPECT_EQ(c->ItemIndex(), 16);
  EXPECT_EQ(c->Items()->Strings(12), u"Blue");
}

TEST_F(uQuarnBoxCtrls_ColorComboBox, OnlyAnAcceptedCloseOnCustomOpensTheDialog) {
  auto* c = Make<TQuarnColorComboBox>(20, 20, 160, 26);
  c->SetExStyle(TQnColorBoxStyles{qncbStandardColors, qncbCustomColor});
  c->SetOnClick(TNotifyEvent(&FLog, &TLog::Click));
  c->SetOnChange(TNotifyEvent(&FLog, &TLog::Change));
  ClearDialogCalls();
  COLORREF offered = 0;
  auto old = SetColorDialogResponder([&](TColorDialogCall& Call) {
    offered = Call.Color;
    Call.Ok = true;
    Call.Result = RGB(10, 200, 30);
    return true;
  });
  c->SetFocus();
  usertest::Pump();

  // Cancelled with the custom entry highlighted: no dialog.
  c->DropDown();
  usertest::Pump();
  c->ListBox()->SetItemIndex(16);
  Key(VK_ESCAPE);
  EXPECT_TRUE(ColorDialogCalls().empty());
  // Accepted on another row: no dialog either.
  c->DropDown();
  usertest::Pump();
  c->ListBox()->SetItemIndex(3);
  Key(VK_RETURN);
  EXPECT_TRUE(ColorDialogCalls().empty());
  EXPECT_EQ(c->Selected(), clOlive);

  // Accepted on "Custom...": the dialog opens in its full form, and its colour
  // is the custom entry's.
  c->DropDown();
  usertest::Pump();
  c->ListBox()->SetItemIndex(16);
  FLog.Events.clear();
  Key(VK_RETURN);
  ASSERT_EQ(ColorDialogCalls().size(), 1u);
  EXPECT_EQ(offered, 0u);
  EXPECT_TRUE(ColorDialogCalls()[0].Flags & CC_FULLOPEN);
  EXPECT_EQ(c->Selected(), static_cast<TColor>(RGB(10, 200, 30)));
  EXPECT_GE(FLog.Count("click"), 2);  // the accept, then the picked colour
  EXPECT_EQ(FLog.Events.back(), "change");

  // Enter on the selected custom entry with the list closed asks again.
  Key(VK_RETURN);
  EXPECT_EQ(ColorDialogCalls().size(), 2u);
  EXPECT_EQ(offered, RGB(10, 200, 30));
  SetColorDialogResponder(old);
}

TEST_F(uQuarnBoxCtrls_ColorComboBox, SwatchesInTheListAndOnTheFace) {
  auto* c = Make<TQuarnColorComboBox>(20, 20, 160, 26);
  c->SetExStyle(TQnColorBoxStyles{qncbStandardColors, qncbCustomColor, qncbPrettyNames});
  c->SetSelected(clTeal);
  // The face: the whole item area but a one-pixel rim is the colour.
  TBitmap32* b = Picture(c);
  const TRect& f = c->FaceItem().R;
  const TColor32 teal = Color32(ColorToRGB(clTeal)) & 0xFFFFFFu;
  EXPECT_EQ(Low24(b->GetPixel(f.Left + 1, f.Top + 1)), teal);
  EXPECT_EQ(Low24(b->GetPixel(f.Right - 2, f.Bottom - 4)), teal);
  EXPECT_NE(Low24(b->GetPixel(f.Left, f.Top)), teal);

  // In the list a colour row is a bar; the custom row a square and its text.
  c->SetSelected(static_cast<TColor>(0x000000C0));  // unlisted: the custom entry
  c->DropDown();
  usertest::Pump();
  TQnListBox* inner = c->ListBox()->ListBox;
  inner->SetTopIndex(9);
  usertest::Pump();
  inner->Invalidate();
  usertest::Pump();
  const TScreenImage s = CaptureWindow(inner->Handle(), true);
  const Integer rowH = inner->ItemHeight();
  const TRect red = inner->ItemRect(9);  // clRed, not selected
  EXPECT_EQ(s.Pixel(red.Left + 1, red.Top + rowH / 2) & 0xFFFFFFu, 0xFF0000u);
  EXPECT_EQ(s.Pixel(red.Right - 4, red.Top + rowH / 2) & 0xFFFFFFu, 0xFF0000u);
  const TRect custom = inner->ItemRect(16);
  EXPECT_EQ(s.Pixel(custom.Left + 2, custom.Top + rowH / 2) & 0xFFFFFFu, 0xC00000u);
  // Beyond the square the row is the selected background with text.
  const Integer textX = custom.Left + 2 + rowH + 5;
  const uint32_t sel = Color32(ColorToRGB(c->MenuItemSeletedColor())) & 0xFFFFFFu;
  EXPECT_EQ(s.Pixel(custom.Right - 6, custom.Top + rowH / 2) & 0xFFFFFFu, sel);
  Integer ink = 0;
  for (Integer x = textX; x < textX + 50; ++x)
    for (Integer y = custom.Top + 2; y < custom.Bottom - 2; ++y)
      if ((s.Pixel(x, y) & 0xFFFFFFu) != sel) ++ink;
  EXPECT_GT(ink, 20);
  c->CloseUp(false);
}

TEST_F(uQuarnBoxCtrls_ColorComboBox, FormFileRoundTrip) {
  auto* c = Make<TQuarnColorComboBox>(10, 10, 150, 26);
  c->SetName(u"Colors1");
  c->SetExStyle(TQnColorBoxStyles{qncbStandardColors, qncbExtendedColors, qncbPrettyNames});
  c->SetSelected(clSkyBlue);
  const std::string text = ComponentToText(c);
  c->SetName(u"Before");
  EXPECT_NE(text.find("qncbPrettyNames"), std::string::npos);
  EXPECT_EQ(text.find("Items"), std::string::npos);
  auto* back = new TQuarnColorComboBox(FRoot.get());
  back->SetParent(FRoot.get());
  TextToComponent(text, back);
  usertest::Pump();
  EXPECT_EQ(back->ExStyle(), (TQnColorBoxStyles{qncbStandardColors, qncbExtendedColors, qncbPrettyNames}));
  EXPECT_EQ(back->Items()->Count(), 20);
  EXPECT_EQ(back->Selected(), clSkyBlue);
  EXPECT_EQ(back->Items()->Strings(back->ItemIndex()), u"Sky Blue");
}

}  // namespace

}  // namespace t_u_quarn_combo_box_test
