// Actions: links to controls and menu items in both directions, the order
// in which running an action is offered around, idle updates,
// DisableIfNoHandler, check groups, shortcuts through the form's action
// lists, and actions or lists freed while linked.
#include <memory>
#include <string>
#include <vector>

#include "platform/rtl/SysUtils.h"
#include "platform/vcl/ActnList.h"
#include "platform/vcl/ExtCtrls.h"
#include "platform/vcl/Menus.h"
#include "platform/vcl/StdCtrls.h"
#include "tests/platform/vcl/FormsTestSupport.h"

namespace t_actions_test {

using namespace vcl;
using namespace formstest;

namespace {

class Platform_Actions : public FormsTest {
 protected:
  void TearDown() override {
    if (Application) {
      Application->OnActionExecute = nullptr;
      Application->OnActionUpdate = nullptr;
    }
    FormsTest::TearDown();
  }
};

TForm* MakeForm() {
  auto* f = new TForm(nullptr);
  f->SetPosition(poDesigned);
  f->SetBorderStyle(bsSingle);
  f->SetBounds(60, 60, 320, 200);
  return f;
}

TButton* MakeButton(TForm* f, Integer y) {
  auto* b = new TButton(f);
  b->SetParent(f);
  b->SetBounds(10, y, 90, 25);
  return b;
}

TEST_F(Platform_Actions, ControlsAndMenuItemsFollowTheActionUntilTheySetAPropertyThemselves) {
  std::unique_ptr<TForm> f(MakeForm());
  auto* list = new TActionList(f.get());
  auto* act = new TAction(f.get());
  act->SetActionList(list);
  act->SetCaption(u"Save");
  act->SetHint(u"Save the file");
  act->SetShortCut(ShortCut('S', TShiftState{ssCtrl}));
  act->SetImageIndex(3);
  int runs = 0;
  act->SetOnExecute([&runs](TObject*) { ++runs; });
  TButton* button = MakeButton(f.get(), 10);
  button->SetAction(act);
  auto* pm = new TPopupMenu(f.get());
  auto* item = new TMenuItem(f.get());
  pm->Items()->Add(item);
  item->SetAction(act);
  EXPECT_TRUE(button->ControlStyle().Contains(csActionClient));
  EXPECT_EQ(button->Caption(), u"Save");
  EXPECT_EQ(button->Hint(), u"Save the file");
  EXPECT_EQ(item->Caption(), u"Save");
  EXPECT_EQ(item->ShortCut(), act->ShortCut());
  EXPECT_EQ(item->ImageIndex(), 3);
  // The action's changes reach both.
  act->SetCaption(u"Save all");
  act->SetEnabled(false);
  act->SetVisible(false);
  act->SetChecked(true);
  EXPECT_EQ(button->Caption(), u"Save all");
  EXPECT_FALSE(button->Enabled());
  EXPECT_FALSE(button->Visible());
  EXPECT_EQ(item->Caption(), u"Save all");
  EXPECT_FALSE(item->Enabled());
  EXPECT_FALSE(item->Visible());
  EXPECT_TRUE(item->Checked());
  // The built menu shows what the item now has.
  act->SetVisible(true);
  act->SetEnabled(true);
  char16_t text[64];
  GetMenuStringW(pm->Handle(), 0, text, 64, MF_BYPOSITION);
  EXPECT_EQ(String(text), u"Save all\tCtrl+S");
  // A caption the button sets itself stays; the rest still follows.
  button->SetCaption(u"Mine");
  act->SetCaption(u"Store");
  act->SetHint(u"Store it");
  EXPECT_EQ(button->Caption(), u"Mine");
  EXPECT_EQ(button->Hint(), u"Store it");
  EXPECT_EQ(item->Caption(), u"Store");
  // Clicks run the action, from the control and from the item.
  button->Click();
  item->Click();
  EXPECT_EQ(runs, 2);
  // A new handler on the action becomes the clients' click.
  int second = 0;
  act->SetOnExecute([&second](TObject*) { ++second; });
  EXPECT_TRUE(button->OnClick() == act->OnExecute());
  button->Click();
  EXPECT_EQ(second, 1);
  // A click handler of the button's own wins over the action.
  int own = 0;
  button->SetOnClick([&own](TObject*) { ++own; });
  button->Click();
  EXPECT_EQ(own, 1);
  EXPECT_EQ(second, 1);
}

// An action that acts on TTarget controls and logs every step it is
// offered to.
class TTarget : public TCustomControl {
  QN_CLASS(TTarget, TCustomControl)
 public:
  explicit TTarget(TComponent* AOwner) : TCustomControl(AOwner) { SetTabStop(true); }
};

std::vector<std::string>* gLog = nullptr;

class TTargetAction : public TAction {
  QN_CLASS(TTargetAction, TAction)
 public:
  using TAction::TAction;
  bool Accept = false;
  bool HandlesTarget(TObject* Target) override {
    if (gLog && dynamic_cast<TComponent*>(Target))
      gLog->push_back("asks " + ToUtf8(static_cast<TComponent*>(Target)->Name()));
    return Accept && dynamic_cast<TTarget*>(Target) != nullptr;
  }
  void ExecuteTarget(TObject* Target) override {
    if (gLog) gLog->push_back("target " + ToUtf8(static_cast<TComponent*>(Target)->Name()));
  }
  void UpdateTarget(TObject* Target) override {
    if (gLog) gLog->push_back("update target " + ToUtf8(static_cast<TComponent*>(Target)->Name()));
  }
};

TEST_F(Platform_Actions, ExecutionIsOfferedToListApplicationFormControlThenTheAction) {
  std::vector<std::string> log;
  gLog = &log;
  std::unique_ptr<TForm> f(MakeForm());
  f->SetName(u"Form");
  auto* target = new TTarget(f.get());
  target->SetName(u"Target");
  target->SetParent(f.get());
  target->SetBounds(10, 10, 50, 50);
  auto* list = new TActionList(f.get());
  auto* act = new TTargetAction(f.get());
  act->SetActionList(list);
  f->SetActiveControl(target);
  f->Show();
  Application->ProcessMessages();
  ASSERT_EQ(Screen->ActiveForm(), f.get());
  // The update that precedes every run stops at the list here.
  list->SetOnUpdate([](TBasicAction*, bool& handled) { handled = true; });
  // Stage k handles it; every stage before it is asked, none after.
  for (int stage = 0; stage < 4; ++stage) {
    log.clear();
    list->SetOnExecute([&, stage](TBasicAction*, bool& handled) {
      log.push_back("list");
      handled = stage == 0;
    });
    Application->OnActionExecute = [&, stage](TBasicAction*, bool& handled) {
      log.push_back("application");
      handled = stage == 1;
    };
    act->Accept = stage == 2;
    act->SetOnExecute([&](TObject*) { log.push_back("action"); });
    EXPECT_TRUE(act->Execute());
    std::vector<std::vector<std::string>> want = {
        {"list"},
        {"list", "application"},
        {"list", "application", "asks Target", "target Target"},
        {"list", "application", "asks Target", "asks Form", "action"},
    };
    EXPECT_EQ(log, want[size_t(stage)]) << stage;
  }
  // A disabled action runs nothing at all.
  log.clear();
  act->SetOnUpdate([&](TObject* s) { static_cast<TAction*>(s)->SetEnabled(false); });
  list->SetOnUpdate(nullptr);
  Application->OnActionUpdate = nullptr;
  list->SetOnExecute(nullptr);
  EXPECT_FALSE(act->Execute());
  EXPECT_EQ(std::count(log.begin(), log.end(), "action"), 0);
  gLog = nullptr;
}

TEST_F(Platform_Actions, TheIdleStepUpdatesTheActionsOfVisibleControlsAndDisablesActionsWithoutHandlers) {
  std::unique_ptr<TForm> f(MakeForm());
  auto* list = new TActionList(f.get());
  auto* shown = new TAction(f.get());
  auto* hiddenAct = new TAction(f.get());
  auto* orphan = new TAction(f.get());  // no handler at all
  for (TAction* a : {shown, hiddenAct, orphan}) a->SetActionList(list);
  int shownUpdates = 0, hiddenUpdates = 0;
  shown->SetOnUpdate([&](TObject*) { ++shownUpdates; });
  hiddenAct->SetOnUpdate([&](TObject*) { ++hiddenUpdates; });
  TButton* b1 = MakeButton(f.get(), 10);
  TButton* b2 = MakeButton(f.get(), 40);
  TButton* b3 = MakeButton(f.get(), 70);
  b1->SetAction(shown);
  b2->SetAction(hiddenAct);
  b2->SetVisible(false);
  b3->SetAction(orphan);
  f->Show();
  Application->ProcessMessages();
  MSG m;
  SetModalIdleHook([] { return false; });
  Application->Idle(m);
  EXPECT_GE(shownUpdates, 1);
  EXPECT_EQ(hiddenUpdates, 0);
  EXPECT_FALSE(orphan->Enabled());
  EXPECT_FALSE(b3->Enabled());
  // With a handler it comes back at the next idle step.
  orphan->SetOnExecute([](TObject*) {});
  Application->Idle(m);
  EXPECT_TRUE(orphan->Enabled());
  EXPECT_TRUE(b3->Enabled());
  // Without DisableIfNoHandler nobody touches it.
  auto* free = new TAction(f.get());
  free->SetDisableIfNoHandler(false);
  TButton* b4 = MakeButton(f.get(), 100);
  b4->SetAction(free);
  Application->Idle(m);
  EXPECT_TRUE(free->Enabled());
  // The application can answer the updates for everyone.
  int appUpdates = 0;
  Application->OnActionUpdate = [&](TBasicAction*, bool& handled) {
    ++appUpdates;
    handled = true;
  };
  shownUpdates = 0;
  Application->Idle(m);
  EXPECT_EQ(shownUpdates, 0);
  EXPECT_GE(appUpdates, 3);
}

TEST_F(Platform_Actions, AutoCheckActionsOfAGroupCheckOneAtATime) {
  TActionList list(nullptr);
  std::vector<std::unique_ptr<TAction>> acts;
  for (int i = 0; i < 3; ++i) {
    acts.push_back(std::make_unique<TAction>(nullptr));
    acts.back()->SetActionList(&list);
    acts.back()->SetGroupIndex(4);
    acts.back()->SetAutoCheck(true);
    acts.back()->SetOnExecute([](TObject*) {});
  }
  TAction loose(nullptr);
  loose.SetActionList(&list);
  loose.SetAutoCheck(true);
  loose.SetOnExecute([](TObject*) {});
  TPopupMenu pm(nullptr);
  std::vector<TMenuItem*> items;
  for (auto& a : acts) {
    auto* i = new TMenuItem(&pm);
    i->SetRadioItem(true);
    i->SetAction(a.get());
    pm.Items()->Add(i);
    items.push_back(i);
  }
  for (int pick : {1, 2, 2, 0}) {
    acts[size_t(pick)]->Execute();
    for (int i = 0; i < 3; ++i) {
      EXPECT_EQ(acts[size_t(i)]->Checked(), i == pick);
      EXPECT_EQ(items[size_t(i)]->Checked(), i == pick);
    }
  }
  // Outside a group, AutoCheck toggles.
  loose.Execute();
  EXPECT_TRUE(loose.Checked());
  loose.Execute();
  EXPECT_FALSE(loose.Checked());
  for (auto& a : acts) a->SetActionList(nullptr);
  loose.SetActionList(nullptr);
}

class TKeyTarget : public TCustomControl {
  QN_CLASS(TKeyTarget, TCustomControl)
 public:
  explicit TKeyTarget(TComponent* AOwner) : TCustomControl(AOwner) { SetTabStop(true); }
  std::vector<Word> Keys;

 protected:
  void KeyDown(Word& Key, TShiftState Shift) override {
    Keys.push_back(Key);
    inherited::KeyDown(Key, Shift);
  }
};

TEST_F(Platform_Actions, ShortcutsRunTheFormsActionsBeforeTheFocusedControlSeesThem) {
  std::unique_ptr<TForm> f(MakeForm());
  auto* box = new TKeyTarget(f.get());
  box->SetParent(f.get());
  box->SetBounds(10, 10, 80, 40);
  auto* list = new TActionList(f.get());
  auto* save = new TAction(f.get());
  save->SetActionList(list);
  save->SetShortCut(ShortCut('S', TShiftState{ssCtrl}));
  save->SecondaryShortCuts()->Add(u"F2");
  int saves = 0;
  save->SetOnExecute([&](TObject*) { ++saves; });
  auto* off = new TAction(f.get());
  off->SetActionList(list);
  off->SetShortCut(ShortCut('D', TShiftState{ssCtrl}));
  off->SetOnExecute([](TObject*) { FAIL() << "a disabled action ran"; });
  off->SetOnUpdate([](TObject* s) { static_cast<TAction*>(s)->SetEnabled(false); });
  f->SetActiveControl(box);
  f->Show();
  Application->ProcessMessages();
  ASSERT_TRUE(box->Focused());
  InputKeyDown(VK_CONTROL);
  for (int k : {'S', 'D'}) {
    InputKeyDown(k);
    InputKeyUp(k);
  }
  InputKeyUp(VK_CONTROL);
  InputKeyDown(VK_F1 + 1);
  InputKeyUp(VK_F1 + 1);
  InputKeyDown('X');
  InputKeyUp('X');
  Application->ProcessMessages();
  EXPECT_EQ(saves, 2);
  EXPECT_EQ(box->Keys, (std::vector<Word>{VK_CONTROL, 'D', 'X'}));
}

TEST_F(Platform_Actions, FreedActionsAndListsLeaveNoDanglingLinks) {
  std::unique_ptr<TForm> f(MakeForm());
  auto* list = new TActionList(f.get());
  auto* act = new TAction(f.get());
  act->SetActionList(list);
  act->SetCaption(u"Go");
  TButton* b = MakeButton(f.get(), 10);
  b->SetAction(act);
  TPopupMenu pm(nullptr);
  auto* item = new TMenuItem(&pm);
  pm.Items()->Add(item);
  item->SetAction(act);
  TBasicActionLink plain(nullptr);
  plain.SetAction(act);
  delete act;
  EXPECT_EQ(b->Action(), nullptr);
  EXPECT_FALSE(b->ControlStyle().Contains(csActionClient));
  EXPECT_EQ(item->Action(), nullptr);
  EXPECT_EQ(plain.Action(), nullptr);
  EXPECT_EQ(list->ActionCount(), 0);
  b->Click();
  item->Click();  // nothing to run, nothing to crash
  // A list that goes first leaves its actions without a list.
  auto* act2 = new TAction(f.get());
  act2->SetActionList(list);
  TImageList images(nullptr);
  list->SetImages(&images);
  delete list;
  EXPECT_EQ(act2->ActionList(), nullptr);
  EXPECT_EQ(act2->Images(), nullptr);
  act2->SetOnExecute([](TObject*) {});
  EXPECT_TRUE(act2->Execute());
}

}  // namespace

}  // namespace t_actions_test
