// The button base's behaviour through the input driver on the virtual
// clock: clicks and releases outside, sticky groups, the accelerator's
// debounce, the drop-down menu and its swallowed press, press-and-hold
// repeat, and a modal form's Enter and Escape buttons.
#include <gtest/gtest.h>

#include "platform/vcl/ControlMessages.h"
#include "skin/controls/uQuarnButton.h"
#include "skin/controls/uQuarnCheckBox.h"
#include "tests/skin/controls/ButtonTestSupport.h"

namespace t_u_qn_custom_button_test {

using namespace qn;
using namespace buttontest;

namespace {

class uQnCustomButton : public ButtonTest {
 protected:
  TQuarnImageButton* Button(Integer X, Integer Y, TCounter* C = nullptr) {
    auto* b = Make<TQuarnImageButton>(X, Y, 60, 24);
    if (C) b->SetOnClick(TNotifyEvent(C, &TCounter::Click));
    return b;
  }
};

TEST_F(uQnCustomButton, PressAndReleaseInsideOrOutside) {
  TCounter c;
  auto* b = Button(20, 20, &c);
  EXPECT_EQ(b->ControlStyle(),
            (TControlStyle{csCaptureMouse, csSetCaption, csDoubleClicks, csReplicatable, csReflector}));
  EXPECT_TRUE(b->TabStop());
  ClickOn(b);
  EXPECT_EQ(c.Clicks, 1);
  EXPECT_FALSE(b->Down());
  EXPECT_TRUE(b->Focused());
  // Pressed, dragged away and released elsewhere: a change of mind.
  MoveTo(b, 30, 12);
  Press();
  EXPECT_TRUE(b->IsPressed());
  MoveTo(b, 200, 150);
  Release();
  EXPECT_EQ(c.Clicks, 1);
  EXPECT_FALSE(b->Down());
  EXPECT_FALSE(b->IsPressed());
}

TEST_F(uQnCustomButton, GroupsKeepOneDown) {
  TCounter c[3];
  TQuarnImageButton* g[3];
  for (Integer i = 0; i < 3; ++i) {
    g[i] = Button(20 + i * 70, 20, &c[i]);
    g[i]->SetGroupIndex(1);
  }
  auto* loose = Button(20, 60);
  loose->SetDown(true);
  for (Integer round = 0; round < 2; ++round)
    for (Integer i = 0; i < 3; ++i) {
      ClickOn(g[i]);
      for (Integer j = 0; j < 3; ++j) EXPECT_EQ(g[j]->Down(), i == j) << i << " " << j;
      EXPECT_EQ(c[i].Clicks, round + 1);
    }
  // Another group is not touched.
  EXPECT_TRUE(loose->Down());
  // AllowAllUp: the release toggles, the press does not set Down.
  for (auto* b : g) b->SetAllowAllUp(true);
  ClickOn(g[0]);
  EXPECT_TRUE(g[0]->Down());
  EXPECT_FALSE(g[2]->Down());
  ClickOn(g[0]);
  EXPECT_FALSE(g[0]->Down());
  EXPECT_EQ(c[0].Clicks, 4);
}

TEST_F(uQnCustomButton, GroupZeroIsAGroupAndIgnoresAllowAllUp) {
  auto* a = Button(20, 20);
  auto* b = Button(100, 20);
  a->SetDown(true);
  b->SetDown(true);
  EXPECT_FALSE(a->Down());
  // With AllowAllUp outside a group a press would never be down, and the
  // release would never click: such a button clicks like any other.
  TCounter c;
  a->SetOnClick(TNotifyEvent(&c, &TCounter::Click));
  a->SetAllowAllUp(true);
  ClickOn(a);
  ClickOn(a);
  EXPECT_EQ(c.Clicks, 2);
  EXPECT_FALSE(a->Down());
}

TEST_F(uQnCustomButton, AcceleratorDebounce) {
  TCounter c;
  auto* b = Button(20, 20, &c);
  b->SetCaption(u"&Save");
  auto hit = [&] { return b->Perform(CM_DIALOGCHAR, u's', 0); };
  AdvanceClock(1000);
  EXPECT_EQ(hit(), 1);
  AdvanceClock(99);
  EXPECT_EQ(hit(), 1);
  EXPECT_EQ(c.Clicks, 1);
  AdvanceClock(101);
  hit();
  EXPECT_EQ(c.Clicks, 2);
  b->SetCycleDownClick(true);
  AdvanceClock(10);
  hit();
  EXPECT_EQ(c.Clicks, 3);
  EXPECT_EQ(b->Perform(CM_DIALOGCHAR, u'x', 0), 0);
  // A button that does not take the focus leaves the key to others.
  b->SetCanFocused(false);
  AdvanceClock(500);
  EXPECT_EQ(hit(), 0);
  EXPECT_EQ(c.Clicks, 3);
}

TEST_F(uQnCustomButton, DropdownMenuOpensAndSwallowsTheNextPress) {
  auto* menu = new TPopupMenu(FForm.get());
  menu->Items()->Add(NewItem(u"One", 0, false, true, TNotifyEvent(), 0, u""));
  Integer opened = 0;
  menu->SetOnPopup([&](TObject*) { ++opened; });
  auto* b = Make<TQuarnButton>(40, 30, 90, 27, u"Menu");
  b->SetDropdownMenu(menu);
  // The arrow area: one frame of the arrow strip plus two pixels.
  const Integer arrow = b->DropdownMenuPictures()->GetSingleWidth() + 2;
  EXPECT_EQ(b->DropdownMenuRect(), TRect(90 - arrow, 0, 90, 27));
  // No OnClick: a press on the face opens the menu; the idle hook closes it.
  MoveTo(b, 20, 10);
  Press();
  EXPECT_EQ(opened, 1);
  EXPECT_EQ(IdleGiveUps, 1);
  EXPECT_EQ(menu->PopupPoint(), FSheet->ClientToScreen(TPoint(40 - 4, 30 + 27 - 4)));
  EXPECT_FALSE(b->Down());
  EXPECT_TRUE(b->SkipNextClick());
  ReleaseCapture();
  // The next press on the face only clears the swallow flag.
  TCounter c;
  Press();
  EXPECT_FALSE(b->SkipNextClick());
  EXPECT_FALSE(b->Down());
  Release();
  EXPECT_EQ(opened, 1);
  // With OnClick the face clicks, and only the arrow area opens the menu.
  b->SetOnClick(TNotifyEvent(&c, &TCounter::Click));
  ClickOn(b, 20, 10);
  EXPECT_EQ(c.Clicks, 1);
  EXPECT_EQ(opened, 1);
  MoveTo(b, 90 - arrow / 2, 13);
  Press();
  EXPECT_EQ(opened, 2);
  ReleaseCapture();
  Release();
  // Freeing the menu forgets it.
  delete menu;
  EXPECT_EQ(b->DropdownMenu(), nullptr);
  EXPECT_EQ(b->DropdownMenuWidth(), 0);
}

TEST_F(uQnCustomButton, PressAndHoldRepeats) {
  TCounter c;
  auto* b = Button(20, 20);
  b->SetOnCycleDownClick(TNotifyEvent(&c, &TCounter::Repeat));
  MoveTo(b, 10, 10);
  Press();
  Wait(400);
  Release();
  EXPECT_EQ(c.Repeats, 0);
  b->SetCycleDownClick(true);
  Press();
  Wait(299);
  EXPECT_EQ(c.Repeats, 0);
  Wait(101);  // the hold fired at 300, then a tick every 10 ms
  EXPECT_GE(c.Repeats, 9);
  EXPECT_LE(c.Repeats, 10);
  Release();
  const Integer n = c.Repeats;
  Wait(100);
  EXPECT_EQ(c.Repeats, n);
}

TEST_F(uQnCustomButton, ModalFormEnterAndEscape) {
  std::unique_ptr<TForm> dlg(new TForm(nullptr));
  dlg->SetPosition(poDesigned);
  dlg->SetBounds(150, 150, 300, 120);
  auto* ok = new TQuarnButton(dlg.get());
  ok->SetParent(dlg.get());
  ok->SetBounds(20, 60, 75, 27);
  ok->SetCaption(u"OK");
  ok->SetModalResult(mrOk);
  ok->SetDefault(true);
  auto* cancel = new TQuarnButton(dlg.get());
  cancel->SetParent(dlg.get());
  cancel->SetBounds(120, 60, 75, 27);
  cancel->SetCaption(u"Cancel");
  cancel->SetModalResult(mrCancel);
  cancel->SetCancel(true);
  auto* other = new TQuarnCheckBox(dlg.get());
  other->SetParent(dlg.get());
  other->SetBounds(20, 20, 100, 17);
  dlg->SetActiveControl(other);
  dlg->HandleNeeded();
  InputKeyDown(VK_RETURN);
  InputKeyUp(VK_RETURN);
  EXPECT_EQ(dlg->ShowModal(), mrOk);
  InputKeyDown(VK_ESCAPE);
  InputKeyUp(VK_ESCAPE);
  EXPECT_EQ(dlg->ShowModal(), mrCancel);
  // Focus on the cancel button makes it the one Enter clicks.
  dlg->SetActiveControl(cancel);
  InputKeyDown(VK_RETURN);
  InputKeyUp(VK_RETURN);
  EXPECT_EQ(dlg->ShowModal(), mrCancel);
  EXPECT_TRUE(cancel->Active());
  EXPECT_FALSE(ok->Active());
  // Back on a non-button, the default button is active again.
  dlg->SetActiveControl(other);
  InputKeyDown(VK_RETURN);
  InputKeyUp(VK_RETURN);
  EXPECT_EQ(dlg->ShowModal(), mrOk);
  EXPECT_EQ(IdleGiveUps, 0);
}

TEST_F(uQnCustomButton, SpaceAndEnterKeys) {
  TCounter c;
  auto* b = Button(20, 20, &c);
  b->SetFocus();
  Pump();
  InputKeyDown(VK_SPACE);
  Pump();
  EXPECT_TRUE(b->Down());
  InputKeyUp(VK_SPACE);
  Pump();
  EXPECT_FALSE(b->Down());
  EXPECT_EQ(c.Clicks, 1);
}

}  // namespace

}  // namespace t_u_qn_custom_button_test
