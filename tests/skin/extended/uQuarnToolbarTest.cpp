// The toolbar's model: radio groups and the down state, the owned item
// collection, action links, freed partners, clicks and form files.
#include <string>
#include <vector>

#include "platform/classes/FormText.h"
#include "platform/vcl/ActnList.h"
#include "platform/vcl/Menus.h"
#include "tests/skin/extended/ToolbarTestSupport.h"

namespace t_u_quarn_toolbar_test {

using namespace qn;

namespace {

class uQuarnToolbar : public toolbartest::ToolbarTest {};

// Records the toolbar's events in order.
class TRecorder : public TObject {
 public:
  std::vector<std::string> Log;
  void Down(TObject* Sender, const Integer Index) {
    Log.push_back("down " + std::to_string(Index) + (dynamic_cast<TQuarnToolbarItem*>(Sender) ? " item" : " bar"));
  }
  void Click(TObject* Sender, const Integer Index) {
    Log.push_back("itemclick " + std::to_string(Index) + (dynamic_cast<TQuarnToolbar*>(Sender) ? " bar" : ""));
  }
  void Focus(TObject*) { Log.push_back("focus"); }
  void OwnClick(TObject* Sender) {
    Log.push_back("onclick" + std::string(dynamic_cast<TQuarnToolbarItem*>(Sender) ? " item" : ""));
  }
  void Popup(TObject*) { Log.push_back("popup"); }
  void Execute(TObject*) { Log.push_back("execute"); }
};

std::vector<bool> Downs(TQuarnCustomToolbar* B) {
  std::vector<bool> d;
  for (Integer i = 0; i < B->Items()->Count(); ++i) d.push_back(B->Items()->Items(i)->Down());
  return d;
}

TEST_F(uQuarnToolbar, DownStateFollowsTheGroupRule) {
  TQuarnToolbar* b = Bar();
  AddItems(b, 6);
  const Integer groups[] = {2, 2, 2, 0, 0, 5};
  for (Integer i = 0; i < 6; ++i) b->Items()->Items(i)->SetGroupIndex(groups[i]);
  b->Items()->Items(0)->SetDown(true);
  b->Items()->Items(5)->SetDown(true);
  TRecorder rec;
  b->SetOnItemDown(TToolbarClickEvent(&rec, &TRecorder::Down));
  b->SetOnItemFocusChanged(TNotifyEvent(&rec, &TRecorder::Focus));

  // Down on a group-2 item releases the others of group 2 only, and the
  // item reports itself twice: once from the group rule, once from the setter.
  b->Items()->Items(2)->SetDown(true);
  EXPECT_EQ(Downs(b), (std::vector<bool>{false, false, true, false, false, true}));
  EXPECT_EQ(rec.Log, (std::vector<std::string>{"down 2 item", "focus", "down 2 item"}));
  EXPECT_EQ(b->FocusItemIndex(), 2);

  // Up fires nothing and touches nobody else.
  rec.Log.clear();
  b->Items()->Items(2)->SetDown(false);
  EXPECT_TRUE(rec.Log.empty());
  EXPECT_EQ(Downs(b), (std::vector<bool>{false, false, false, false, false, true}));

  // A plain press in group 0 releases a down AllowAllUp item of group 0.
  b->Items()->Items(4)->SetAllowAllUp(true);
  b->Items()->Items(4)->SetDown(true);
  rec.Log.clear();
  b->SetFocusItemIndex(3);
  EXPECT_EQ(Downs(b), (std::vector<bool>{false, false, false, true, false, true}));
  EXPECT_EQ(rec.Log, (std::vector<std::string>{"down 3 item", "focus"}));

  // Focus indexes outside the items change nothing and fire nothing.
  rec.Log.clear();
  b->SetFocusItemIndex(6);
  b->SetFocusItemIndex(-1);
  EXPECT_TRUE(rec.Log.empty());
  EXPECT_EQ(Downs(b), (std::vector<bool>{false, false, false, true, false, true}));
}

TEST_F(uQuarnToolbar, CollectionAddsInsertsAndKnowsItsToolbar) {
  TQuarnToolbar* b = Bar();
  AddItems(b, 2);
  TQuarnToolbarItem* a = b->Items()->AddItem(nullptr, -1);
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(a->Index(), 2);
  EXPECT_EQ(a->Toolbar(), b);
  TQuarnToolbarItem* i = b->Items()->Insert(-1);
  EXPECT_EQ(i->Index(), 3);
  TQuarnToolbarItem* first = b->Items()->Insert(0);
  EXPECT_EQ(first->Index(), 0);
  EXPECT_EQ(b->Items()->Count(), 5);
  EXPECT_EQ(b->Items()->GetOwner(), b);

  // Defaults of a new item.
  EXPECT_EQ(first->Text()->Text(), u"Text");
  EXPECT_EQ(first->DisplayName(), u"Text");
  EXPECT_EQ(first->ImageIndex(), -1);
  EXPECT_EQ(first->LineColor(), static_cast<TColor>(0x00848484));
  EXPECT_TRUE(first->Visible() && first->Enabled() && !first->Down());
  first->Text()->SetText(u"");
  EXPECT_EQ(first->DisplayName(), u"TQuarnToolbarItem");

  // A collection without a toolbar makes no items of its own.
  TQuarnToolbarItems loose(nullptr);
  EXPECT_EQ(loose.AddItem(nullptr, -1), nullptr);
  EXPECT_EQ(loose.Insert(0), nullptr);
  EXPECT_EQ(loose.Count(), 0);
  // An item moved in from a toolbar changes sides.
  EXPECT_EQ(loose.AddItem(i, -1), i);
  EXPECT_EQ(i->Toolbar(), nullptr);
  EXPECT_EQ(b->Items()->Count(), 4);
  EXPECT_EQ(loose.Count(), 1);
}

TEST_F(uQuarnToolbar, AssignCopiesAnItem) {
  TQuarnToolbar* b = Bar();
  AddItems(b, 2);
  TQuarnToolbarItem* s = b->Items()->Items(0);
  s->SetImageIndex(3);
  s->SetImageHotIndex(4);
  s->SetKind(tkSpacer);
  s->SetTextLayout(ilRight);
  s->SetGroupIndex(7);
  s->SetTag(9);
  s->Text()->SetText(u"copied");
  s->Text()->Light()->SetActive(true);
  TQuarnToolbarItem* d = b->Items()->Items(1);
  d->Assign(s);
  EXPECT_EQ(d->ImageIndex(), 3);
  EXPECT_EQ(d->ImageHotIndex(), 4);
  EXPECT_EQ(d->Kind(), tkSpacer);
  EXPECT_EQ(d->TextLayout(), ilRight);
  EXPECT_EQ(d->GroupIndex(), 7);
  EXPECT_EQ(d->Tag(), 9);
  EXPECT_EQ(d->Text()->Text(), u"copied");
  EXPECT_TRUE(d->Text()->Light()->Active());
}

TEST_F(uQuarnToolbar, ActionLinkFollowsLinkedPropertiesOnly) {
  TQuarnToolbar* b = Bar();
  AddItems(b, 1);
  TRecorder rec;
  auto* act = new TAction(FRoot.get());
  act->SetCaption(u"Save");
  act->SetOnExecute(TNotifyEvent(&rec, &TRecorder::Execute));
  TQuarnToolbarItem* it = b->Items()->Items(0);
  // At run time the action's values replace the item's.
  it->SetAction(act);
  EXPECT_EQ(it->Action(), act);
  EXPECT_EQ(it->Text()->Text(), u"Save");
  EXPECT_TRUE(it->OnClick() == act->OnExecute());
  act->SetCaption(u"Save all");
  act->SetEnabled(false);
  EXPECT_EQ(it->Text()->Text(), u"Save all");
  EXPECT_FALSE(it->Enabled());
  // A property the item set itself no longer follows.
  it->Text()->SetText(u"Mine");
  act->SetCaption(u"Again");
  act->SetVisible(false);
  EXPECT_EQ(it->Text()->Text(), u"Mine");
  EXPECT_FALSE(it->Visible());
  it->Click();
  EXPECT_EQ(rec.Log, (std::vector<std::string>{"execute"}));
  it->SetAction(nullptr);
  EXPECT_EQ(it->Action(), nullptr);
  act->SetCaption(u"Gone");
  EXPECT_EQ(it->Text()->Text(), u"Mine");
}

TEST_F(uQuarnToolbar, FreedPartnersLeaveNoReferences) {
  TQuarnToolbar* b = Bar();
  AddItems(b, 3);
  TCustomImageList* images = TestImages();
  b->SetImages(images);
  auto* menu = new TPopupMenu(FRoot.get());
  auto* shared = new TPopupMenu(FRoot.get());
  auto* act = new TAction(FRoot.get());
  b->Items()->Items(0)->SetDropdownMenu(menu);
  b->Items()->Items(0)->SetAction(act);
  b->Items()->Items(1)->SetDropdownMenu(shared);
  b->Items()->Items(2)->SetDropdownMenu(shared);
  b->Items()->Items(2)->SetImageIndex(1);
  Shot(b);
  delete images;
  EXPECT_EQ(b->Images(), nullptr);
  delete menu;
  EXPECT_EQ(b->Items()->Items(0)->DropdownMenu(), nullptr);
  delete act;
  EXPECT_EQ(b->Items()->Items(0)->Action(), nullptr);
  EXPECT_EQ(b->Items()->Items(0)->ActionLink(), nullptr);
  // One of two users lets go of a shared menu: the other still hears of
  // its end.
  b->Items()->Items(1)->SetDropdownMenu(nullptr);
  delete shared;
  EXPECT_EQ(b->Items()->Items(2)->DropdownMenu(), nullptr);
  Shot(b);
  // And an item deleted while holding a menu leaves the menu alone.
  auto* late = new TPopupMenu(FRoot.get());
  b->Items()->Items(2)->SetDropdownMenu(late);
  b->Items()->Delete(2);
  delete late;
  Shot(b);
}

TEST_F(uQuarnToolbar, ClickRunsOnClickBeforeTheMenuAndOnItemClick) {
  TQuarnToolbar* b = Bar();
  AddItems(b, 2);
  TRecorder rec;
  auto* menu = new TPopupMenu(FRoot.get());
  menu->SetOnPopup(TNotifyEvent(&rec, &TRecorder::Popup));
  b->SetOnItemClick(TToolbarClickEvent(&rec, &TRecorder::Click));
  TQuarnToolbarItem* it = b->Items()->Items(1);
  it->SetDropdownMenu(menu);
  it->SetOnClick(TNotifyEvent(&rec, &TRecorder::OwnClick));
  Shot(b);
  it->Click();
  EXPECT_EQ(rec.Log, (std::vector<std::string>{"onclick item", "itemclick 1 bar"}));
  EXPECT_EQ(b->FocusItemIndex(), 1);
  EXPECT_FALSE(it->Down());
}

TEST_F(uQuarnToolbar, FormFileRoundTrip) {
  TQuarnToolbar plain(nullptr);
  EXPECT_TRUE(plain.BorderSides().Empty());
  EXPECT_EQ(plain.Height(), 52);
  EXPECT_EQ(plain.Align(), alTop);
  EXPECT_TRUE(plain.DelayRefresh());
  EXPECT_TRUE(plain.ControlStyle().Contains(csActionClient));
  const std::string fresh = ComponentToText(&plain);
  for (const char* name : {"BorderSides", "ButtonWidth", "Align", "DelayRefresh", "ButtonImage.Count"})
    EXPECT_EQ(fresh.find(name), std::string::npos) << name << "\n" << fresh;

  TQuarnToolbar a(nullptr);
  a.SetBorderSides(TSides{sdLeft, sdTop, sdRight, sdBottom});
  a.SetButtonWidth(0);
  a.SetMultiLine(true);
  a.DropdownMenuOffset()->SetX(5);
  AddItems(&a, 2);
  a.Items()->Items(1)->SetKind(tkSpacer);
  a.Items()->Items(0)->SetGroupIndex(3);
  a.Items()->Items(0)->SetTextLayout(ilLeft);
  a.Items()->Items(0)->Text()->Light()->SetActive(true);
  const std::string text = ComponentToText(&a);
  for (const char* name : {"BorderSides = [sdLeft, sdTop, sdRight, sdBottom]", "ButtonWidth = 0", "Kind = tkSpacer",
                           "TextLayout = ilLeft", "GroupIndex = 3", "DropdownMenuOffset.X = 5"})
    EXPECT_NE(text.find(name), std::string::npos) << name << "\n" << text;
  TQuarnToolbar b(nullptr);
  TextToComponent(text, &b);
  EXPECT_EQ(b.BorderSides(), (TSides{sdLeft, sdTop, sdRight, sdBottom}));
  ASSERT_EQ(b.Items()->Count(), 2);
  EXPECT_EQ(b.Items()->Items(1)->Kind(), tkSpacer);
  EXPECT_TRUE(b.Items()->Items(0)->Text()->Light()->Active());
  EXPECT_EQ(ComponentToText(&b), text);
}

// A form that owns an action and a toolbar, read from a form file.
class TActionHost : public TComponent {
  QN_CLASS_CREATE(TActionHost, TComponent, TComponent)
 public:
  explicit TActionHost(TComponent* AOwner) : TComponent(AOwner) {}
};

TEST_F(uQuarnToolbar, LoadedItemKeepsItsTextAgainstTheAction) {
  RegisterClasses({TActionHost::StaticClass(), TAction::StaticClass()});
  TActionHost host(nullptr);
  TextToComponent(
      "object Host: TActionHost\n"
      "  object Act1: TAction\n"
      "    Caption = 'Open'\n"
      "  end\n"
      "  object Bar: TQuarnToolbar\n"
      "    Items = <\n"
      "      item\n"
      "        Action = Act1\n"
      "        Text.Text = 'Text'\n"
      "      end\n"
      "      item\n"
      "        Action = Act1\n"
      "        Text.Text = ''\n"
      "      end>\n"
      "  end\n"
      "end\n",
      &host);
  auto* act = dynamic_cast<TAction*>(host.FindComponent(u"Act1"));
  auto* bar = dynamic_cast<TQuarnToolbar*>(host.FindComponent(u"Bar"));
  ASSERT_TRUE(act && bar);
  ASSERT_EQ(bar->Items()->Count(), 2);
  EXPECT_EQ(bar->Items()->Items(0)->Action(), act);
  EXPECT_EQ(bar->Items()->Items(0)->Text()->Text(), u"Text");
  EXPECT_EQ(bar->Items()->Items(1)->Text()->Text(), u"Open");
  // The same action set at run time brings its caption.
  TQuarnToolbarItem* fresh = bar->Items()->Add();
  fresh->SetAction(act);
  EXPECT_EQ(fresh->Text()->Text(), u"Open");
}

}  // namespace

}  // namespace t_u_quarn_toolbar_test
