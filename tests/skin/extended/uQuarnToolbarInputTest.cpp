// The toolbar under the input driver and the virtual clock: hover, presses
// and releases, the drop-down arrow, held scroll buttons, arrow keys and
// the hot item's hint.
#include <string>
#include <vector>

#include "platform/vcl/ControlMessages.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/Menus.h"
#include "tests/skin/extended/ToolbarTestSupport.h"

namespace t_u_quarn_toolbar_input_test {

using namespace qn;

namespace {

class uQuarnToolbar_Input : public toolbartest::ToolbarTest {
 protected:
  void TearDown() override {
    SetMenuResponder(nullptr);
    toolbartest::ToolbarTest::TearDown();
  }
  // The middle of item I.
  static TPoint Mid(TQuarnCustomToolbar* B, Integer I) {
    const TRect r = B->Items()->Items(I)->Rect();
    return TPoint((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
  }
  void MoveToItem(TQuarnCustomToolbar* B, Integer I) {
    const TPoint p = Mid(B, I);
    MoveTo(B, p.X, p.Y);
  }
};

class TLog : public TObject {
 public:
  std::vector<std::string> Log;
  void Down(TObject*, const Integer Index) { Log.push_back("down " + std::to_string(Index)); }
  void ItemClick(TObject*, const Integer Index) { Log.push_back("itemclick " + std::to_string(Index)); }
  void Focus(TObject*) { Log.push_back("focus"); }
  void Click(TObject*) { Log.push_back("onclick"); }
};

TEST_F(uQuarnToolbar_Input, PlainButtonGoesDownAndSpringsBack) {
  TQuarnToolbar* b = Bar();
  AddItems(b, 3);
  TLog log;
  b->SetOnItemDown(TToolbarClickEvent(&log, &TLog::Down));
  b->SetOnItemClick(TToolbarClickEvent(&log, &TLog::ItemClick));
  b->Items()->Items(1)->SetOnClick(TNotifyEvent(&log, &TLog::Click));
  Shot(b);
  MoveToItem(b, 1);
  EXPECT_EQ(b->HotItemIndex(), 1);
  Press();
  EXPECT_TRUE(b->Items()->Items(1)->Down());
  EXPECT_EQ(log.Log, (std::vector<std::string>{"down 1"}));
  Release();
  EXPECT_FALSE(b->Items()->Items(1)->Down());
  EXPECT_EQ(log.Log, (std::vector<std::string>{"down 1", "onclick", "itemclick 1"}));

  // Pressed, moved off, released elsewhere: no click, still back up.
  log.Log.clear();
  Press();
  MoveToItem(b, 2);
  Release();
  EXPECT_FALSE(b->Items()->Items(1)->Down());
  EXPECT_EQ(log.Log, (std::vector<std::string>{"down 1"}));
  // A radio item stays down.
  b->Items()->Items(0)->SetGroupIndex(4);
  MoveToItem(b, 0);
  Press();
  Release();
  EXPECT_TRUE(b->Items()->Items(0)->Down());
}

TEST_F(uQuarnToolbar_Input, ArrowAreaOpensTheMenuAtTheItemsCorner) {
  TQuarnToolbar* b = Bar();
  AddItems(b, 3);
  auto* menu = new TPopupMenu(FRoot.get());
  auto* entry = new TMenuItem(menu);
  entry->SetCaption(u"Entry");
  menu->Items()->Add(entry);
  TQuarnToolbarItem* it = b->Items()->Items(1);
  it->SetDropdownMenu(menu);
  TLog log;
  b->SetOnItemClick(TToolbarClickEvent(&log, &TLog::ItemClick));
  Shot(b);
  Integer opened = 0;
  SetMenuResponder([&](HMENU, UINT&) {
    ++opened;
    return false;
  });
  const TRect mr = it->MenuButtonRect();
  MoveTo(b, mr.Left + 4, mr.Top + 20);
  EXPECT_EQ(b->HotOtherBtn(), gbMenu);
  const auto idle = Shot(b);
  Press();
  const auto pressed = Shot(b);
  Integer diffs = 0;
  for (Integer y = mr.Top; y < mr.Bottom; ++y)
    for (Integer x = mr.Left; x < mr.Right; ++x)
      if (Rgb(idle->GetPixel(x, y)) != Rgb(pressed->GetPixel(x, y))) ++diffs;
  EXPECT_GT(diffs, 5);
  EXPECT_FALSE(it->Down());
  Release();
  EXPECT_EQ(opened, 1);
  EXPECT_EQ(menu->PopupPoint(), b->ClientToScreen(TPoint(it->Rect().Left - 4, it->Rect().Bottom - 4)));
  EXPECT_TRUE(log.Log.empty());

  // From the arrow to a plain item: the press goes to that item.
  MoveTo(b, mr.Left + 4, mr.Top + 20);
  MoveToItem(b, 2);
  EXPECT_EQ(b->HotOtherBtn(), gbNone);
  b->Items()->Items(2)->SetGroupIndex(1);
  Press();
  Release();
  EXPECT_TRUE(b->Items()->Items(2)->Down());
  EXPECT_EQ(log.Log, (std::vector<std::string>{"itemclick 2"}));
  EXPECT_EQ(opened, 1);
}

TEST_F(uQuarnToolbar_Input, DisabledItemsTakeNoHoverAndOnlyTheFocus) {
  TQuarnToolbar* b = Bar();
  AddItems(b, 3);
  b->Items()->Items(1)->SetEnabled(false);
  TLog log;
  b->SetOnItemDown(TToolbarClickEvent(&log, &TLog::Down));
  b->SetOnItemClick(TToolbarClickEvent(&log, &TLog::ItemClick));
  Shot(b);
  MoveToItem(b, 0);
  EXPECT_EQ(b->HotItemIndex(), 0);
  MoveToItem(b, 1);
  EXPECT_EQ(b->HotItemIndex(), -1);
  Press();
  Release();
  EXPECT_EQ(b->FocusItemIndex(), 1);
  EXPECT_FALSE(b->Items()->Items(1)->Down());
  EXPECT_TRUE(log.Log.empty());
  // A press on empty space clears the focus index.
  MoveTo(b, 280, 5);
  Press();
  Release();
  EXPECT_EQ(b->FocusItemIndex(), -1);
}

TEST_F(uQuarnToolbar_Input, HeldScrollButtonStepsEveryTenMilliseconds) {
  TQuarnToolbar* b = Bar(300);
  AddItems(b, 10);  // 513 long
  Shot(b);
  ASSERT_TRUE(b->EnabledScroll());
  const TRect f = b->GoFrontBtnRect();
  MoveTo(b, f.Left + 5, f.Top + 5);
  EXPECT_EQ(b->HotOtherBtn(), gbFront);
  EXPECT_EQ(b->HotItemIndex(), -1);
  Press();
  EXPECT_EQ(b->DispOffset().X, 0);
  Wait(10);
  EXPECT_EQ(b->DispOffset().X, -15);
  Wait(30);
  EXPECT_EQ(b->DispOffset().X, -60);
  // To the end: 513 - 300 needs 15 steps; then nothing more moves.
  Wait(400);
  const Integer end = b->DispOffset().X;
  EXPECT_EQ(end, -15 * 15);
  EXPECT_TRUE(b->StopScroll());
  Release();
  // Leaving the control ends the steps even with the button held.
  const TRect k = b->GoBackBtnRect();
  MoveTo(b, k.Left + 5, k.Top + 5);
  EXPECT_EQ(b->HotOtherBtn(), gbBack);
  Press();
  Wait(20);
  const Integer held = b->DispOffset().X;
  EXPECT_GT(held, end);
  MoveTo(FRoot.get(), 5, 290);
  Wait(50);
  EXPECT_EQ(b->DispOffset().X, held);
  Release();
}

TEST_F(uQuarnToolbar_Input, ArrowKeysMoveTheFocusItem) {
  TQuarnToolbar* b = Bar();
  AddItems(b, 3);
  TLog log;
  b->SetOnItemDown(TToolbarClickEvent(&log, &TLog::Down));
  b->SetOnItemFocusChanged(TNotifyEvent(&log, &TLog::Focus));
  b->SetFocus();
  usertest::Pump();
  Key(VK_RIGHT);
  EXPECT_EQ(b->FocusItemIndex(), -1);
  EXPECT_TRUE(log.Log.empty());
  b->SetAllowArrowKeys(true);
  EXPECT_TRUE(b->TabStop());
  EXPECT_EQ(b->Options(), TPaintBoxOptions{pboWantArrowKeys});
  Key(VK_RIGHT);
  EXPECT_EQ(b->FocusItemIndex(), 0);
  EXPECT_EQ(log.Log, (std::vector<std::string>{"down 0", "focus"}));
  Key(VK_RIGHT);
  Key(VK_RIGHT);
  EXPECT_EQ(b->FocusItemIndex(), 2);
  log.Log.clear();
  Key(VK_RIGHT);
  EXPECT_EQ(b->FocusItemIndex(), 2);
  EXPECT_TRUE(log.Log.empty());
  Key(VK_DOWN);
  EXPECT_EQ(b->FocusItemIndex(), 2);
  Key(VK_LEFT);
  EXPECT_EQ(b->FocusItemIndex(), 1);
  b->SetMultiLine(true);
  Key(VK_UP);
  EXPECT_EQ(b->FocusItemIndex(), 0);
  b->SetAllowArrowKeys(false);
  EXPECT_EQ(b->Options(), TPaintBoxOptions{});
}

TEST_F(uQuarnToolbar_Input, HintFollowsTheHotItem) {
  TQuarnToolbar* b = Bar();
  AddItems(b, 2);
  b->SetShowHint(true);
  b->SetHint(u"Bar");
  b->Items()->Items(0)->SetHint(u"First");
  b->Items()->Items(1)->SetHint(u"Second");
  Shot(b);
  MoveToItem(b, 0);
  THintInfo first;
  first.HintControl = b;
  TMessage m0{CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&first), 0};
  b->Dispatch(m0);
  EXPECT_EQ(first.HintStr, u"First");
  MoveToItem(b, 1);
  THintInfo info;
  info.HintControl = b;
  TMessage m{CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&info), 0};
  b->Dispatch(m);
  EXPECT_EQ(info.HintStr, u"Second");

  // Through the application's loop, which runs the hint timers. Reaching a
  // new item cancels the hint; the pointer resting on it shows that item's
  // hint after the pause.
  auto moveTo = [&](Integer I, Integer Dx) {
    const TPoint p = b->ClientToScreen(Mid(b, I));
    InputMouseMove(p.X + Dx, p.Y);
    Application->ProcessMessages();
  };
  auto wait = [](Integer Ms) {
    AdvanceClock(static_cast<DWORD>(Ms));
    Application->ProcessMessages();
  };
  auto shown = []() -> String {
    THintWindow* w = Application->ActiveHintWindow();
    return w && w->HandleAllocated() && IsWindowVisible(w->Handle()) ? w->Caption() : String(u"(none)");
  };
  for (Integer i : {0, 1}) {
    moveTo(i, 0);
    EXPECT_EQ(shown(), u"(none)");
    moveTo(i, 1);
    wait(Application->HintPause() - 1);
    EXPECT_EQ(shown(), u"(none)");
    wait(1);
    EXPECT_EQ(shown(), i == 0 ? u"First" : u"Second");
  }
}

}  // namespace

}  // namespace t_u_quarn_toolbar_input_test
