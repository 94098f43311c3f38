#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/classes/Classes.h"

namespace t_component_test {

using namespace vcl;

namespace {

std::vector<std::string>* gLog = nullptr;

void Log(const std::string& s) {
  if (gLog) gLog->push_back(s);
}

// Records what it hears, and what the sender looked like at that moment.
class TProbe : public TComponent {
  QN_CLASS_CREATE(TProbe, TComponent, TComponent)
 public:
  explicit TProbe(TComponent* AOwner, const std::string& id = "") : TComponent(AOwner), Id(id) {}
  ~TProbe() override { Log("free " + Id); }
  std::string Id;
  TComponent* Victim = nullptr;  // freed from this one's destructor
  TComponent* Watched = nullptr;

  void Notification(TComponent* AComponent, TOperation Operation) override {
    std::string who = AComponent ? ToUtf8(AComponent->ClassName()) : "nil";
    if (auto* p = dynamic_cast<TProbe*>(AComponent)) who += ":" + p->Id;
    bool dying = AComponent && AComponent->ComponentState().Contains(csDestroying);
    Log(Id + (Operation == opInsert ? " ins " : " rem ") + who + (dying ? " dying" : ""));
    if (Operation == opRemove && AComponent == Watched) Watched = nullptr;
    inherited::Notification(AComponent, Operation);
  }
};

class TKiller : public TProbe {
  QN_CLASS_CREATE(TKiller, TProbe, TComponent)
 public:
  using TProbe::TProbe;
  ~TKiller() override { delete Victim; }
};

class TLog {
 public:
  TLog() { gLog = &Lines; }
  ~TLog() { gLog = nullptr; }
  std::vector<std::string> Lines;
};

}  // namespace

TEST(Platform_Component, OwnedComponentsGoInReverseCreationOrder) {
  TLog log;
  auto* root = new TProbe(nullptr, "root");
  new TProbe(root, "a");
  new TProbe(root, "b");
  auto* c = new TProbe(root, "c");
  new TProbe(c, "c1");
  EXPECT_EQ(root->ComponentCount(), 3);
  log.Lines.clear();
  delete root;
  std::vector<std::string> frees;
  for (auto& l : log.Lines)
    if (l.rfind("free", 0) == 0) frees.push_back(l);
  // The owner's own destructor body runs first, then the owned ones, c's own first.
  EXPECT_EQ(frees, (std::vector<std::string>{"free root", "free c", "free c1", "free b", "free a"}));
}

TEST(Platform_Component, FreeNotificationPartnerHearsBeforeTheComponentGoes) {
  TLog log;
  auto* form = new TProbe(nullptr, "form");
  auto* other = new TProbe(nullptr, "other");
  auto* watcher = new TProbe(other, "watcher");
  auto* target = new TProbe(form, "target");
  watcher->Watched = target;
  target->FreeNotification(watcher);
  EXPECT_TRUE(target->ComponentState().Contains(csFreeNotification));
  log.Lines.clear();
  delete target;
  ASSERT_GE(log.Lines.size(), 2u);
  // The partner hears first, while the component is still whole and marked
  // csDestroying; only then does the destructor run and the owner tree hear.
  EXPECT_EQ(log.Lines[0], "watcher rem TProbe:target dying");
  EXPECT_EQ(log.Lines[1], "free target");
  EXPECT_EQ(watcher->Watched, nullptr);
  EXPECT_EQ(form->ComponentCount(), 0);
  // The partnership is gone on both sides: freeing the watcher tells no one.
  log.Lines.clear();
  delete watcher;
  // The owner hears only after the destructors ran, so it sees a bare TComponent.
  EXPECT_EQ(log.Lines, (std::vector<std::string>{"free watcher", "other rem TComponent dying"}));
  delete other;
  delete form;
}

TEST(Platform_Component, FreeNotificationIsMutualAndRemovable) {
  TLog log;
  auto* a = new TProbe(nullptr, "a");
  auto* b = new TProbe(nullptr, "b");
  a->FreeNotification(b);
  a->RemoveFreeNotification(b);
  log.Lines.clear();
  delete a;
  EXPECT_EQ(log.Lines, (std::vector<std::string>{"free a"}));
  auto* c = new TProbe(nullptr, "c");
  c->FreeNotification(b);
  log.Lines.clear();
  delete b;  // mutual: c hears of b although b asked nothing
  EXPECT_EQ(log.Lines.front(), "c rem TProbe:b dying");
  delete c;
}

TEST(Platform_Component, SiblingPartnersHearThroughTheirOwnerWhenItGoes) {
  TLog log;
  auto* form = new TProbe(nullptr, "form");
  auto* user = new TProbe(form, "user");
  auto* images = new TProbe(form, "images");
  images->FreeNotification(user);
  log.Lines.clear();
  delete form;
  // images (created last) goes first and, being marked csFreeNotification,
  // leaves through RemoveComponent so the form tree (user included) hears.
  bool heard = false;
  for (auto& l : log.Lines) heard |= l.rfind("user rem TProbe:images", 0) == 0;
  EXPECT_TRUE(heard);
}

TEST(Platform_Component, OwnedComponentMayFreeASiblingFromItsDestructor) {
  TLog log;
  auto* root = new TProbe(nullptr, "root");
  auto* victim = new TProbe(root, "victim");
  auto* killer = new TKiller(root, "killer");
  auto* last = new TProbe(root, "last");
  killer->Victim = victim;
  (void)last;
  log.Lines.clear();
  delete root;  // ASan reports a double free if the victim is freed twice
  std::vector<std::string> frees;
  for (auto& l : log.Lines)
    if (l.rfind("free", 0) == 0) frees.push_back(l);
  // TKiller's destructor frees the victim before TProbe's logs the killer.
  EXPECT_EQ(frees, (std::vector<std::string>{"free root", "free last", "free victim", "free killer"}));
}

TEST(Platform_Component, InsertAndRemoveNotifyTheWholeOwnerTree) {
  TLog log;
  TProbe root(nullptr, "root");
  auto* group = new TProbe(&root, "group");
  new TProbe(group, "leaf");
  log.Lines.clear();
  auto* x = new TProbe(nullptr, "x");
  root.InsertComponent(x);
  // Owner first, then its components from the last down, depth first.
  EXPECT_EQ(log.Lines, (std::vector<std::string>{"root ins TProbe:x", "x ins TProbe:x", "group ins TProbe:x",
                                                 "leaf ins TProbe:x"}));
  EXPECT_EQ(x->Owner(), &root);
  log.Lines.clear();
  root.RemoveComponent(x);
  EXPECT_EQ(log.Lines.size(), 4u);
  EXPECT_EQ(log.Lines[0], "root rem TProbe:x");
  EXPECT_EQ(x->Owner(), nullptr);
  EXPECT_EQ(x->ComponentIndex(), -1);
  // Moving between owners leaves the first owner properly.
  group->InsertComponent(x);
  root.InsertComponent(x);
  EXPECT_EQ(group->ComponentCount(), 1);
  EXPECT_EQ(x->Owner(), &root);
  EXPECT_EQ(x->ComponentIndex(), 1);
}

TEST(Platform_Component, NamesAreValidatedAndUniqueAmongSiblings) {
  TComponent owner(nullptr);
  auto* a = new TComponent(&owner);
  auto* b = new TComponent(&owner);
  a->SetName(u"Button1");
  EXPECT_EQ(owner.FindComponent(u"BUTTON1"), a);
  EXPECT_EQ(owner.FindComponent(u""), nullptr);
  try {
    b->SetName(u"button1");
    FAIL();
  } catch (const EComponentError& e) {
    EXPECT_EQ(e.Message(), u"A component named button1 already exists");
  }
  EXPECT_EQ(b->Name(), u"");
  for (const char16_t* bad : {u"1abc", u"a b", u"a-b", u" a", u"ä"}) {
    try {
      b->SetName(bad);
      FAIL() << ToUtf8(bad);
    } catch (const EComponentError& e) {
      EXPECT_EQ(e.Message(), u"'" + String(bad) + u"' is not a valid component name");
    }
  }
  a->SetName(u"BUTTON1");  // a case change of one's own name is no clash
  EXPECT_EQ(a->Name(), u"BUTTON1");
  b->SetName(u"_x9");
  b->SetName(u"");
  EXPECT_EQ(b->Name(), u"");
  // Components of different owners may share a name.
  TComponent other(nullptr);
  auto* c = new TComponent(&other);
  c->SetName(u"Button1");
  // ...but one cannot join a family where its name is taken; nothing moves.
  EXPECT_THROW(owner.InsertComponent(c), EComponentError);
  EXPECT_EQ(c->Owner(), &other);
  EXPECT_EQ(other.ComponentCount(), 1);
  EXPECT_EQ(owner.ComponentCount(), 2);
}

TEST(Platform_Component, ComponentIndexMovesWithinTheOwner) {
  TComponent owner(nullptr);
  TComponent* c[4];
  for (int i = 0; i < 4; ++i) {
    c[i] = new TComponent(&owner);
    c[i]->SetTag(i);
  }
  c[0]->SetComponentIndex(2);
  std::vector<NativeInt> tags;
  for (int i = 0; i < owner.ComponentCount(); ++i) tags.push_back(owner.Components(i)->Tag());
  EXPECT_EQ(tags, (std::vector<NativeInt>{1, 2, 0, 3}));
  c[3]->SetComponentIndex(-5);
  EXPECT_EQ(c[3]->ComponentIndex(), 0);
  c[3]->SetComponentIndex(99);
  EXPECT_EQ(c[3]->ComponentIndex(), 3);
  EXPECT_THROW(owner.Components(4), EListError);
}

TEST(Platform_Component, StateStyleAndClassReferences) {
  TComponent root(nullptr);
  root.SetDesigning(true);
  TComponent* made = CreateComponent(TProbe::StaticClass(), &root);
  EXPECT_EQ(made->ClassName(), u"TProbe");
  EXPECT_EQ(made->Owner(), &root);
  EXPECT_TRUE(made->ComponentState().Contains(csDesigning));
  EXPECT_TRUE(made->ComponentStyle().Contains(csInheritable));
  made->SetSubComponent(true);
  EXPECT_TRUE(made->ComponentStyle().Contains(csSubComponent));
  EXPECT_THROW(CreateComponent(TPersistent::StaticClass(), &root), EInvalidCast);
  made->Updating();
  EXPECT_TRUE(made->ComponentState().Contains(csUpdating));
  made->Updated();
  EXPECT_TRUE(made->ComponentState().Empty() == false);
  EXPECT_FALSE(made->ComponentState().Contains(csUpdating));
  root.DestroyComponents();
  EXPECT_EQ(root.ComponentCount(), 0);
}

namespace {
class TColorBox : public TPersistent {
  QN_CLASS(TColorBox, TPersistent)
 public:
  int Color = 0;
  TPersistent* FOwner = nullptr;
  TPersistent* GetOwner() override { return FOwner; }
  void Assign(TPersistent* Source) override {
    if (auto* s = dynamic_cast<TColorBox*>(Source)) Color = s->Color;
    else inherited::Assign(Source);
  }
};
class TShade : public TPersistent {
  QN_CLASS(TShade, TPersistent)
 public:
  int Level = 0;

 protected:
  // Only the source knows how to copy itself into a TColorBox.
  void AssignTo(TPersistent* Dest) override {
    if (auto* d = dynamic_cast<TColorBox*>(Dest)) d->Color = Level * 10;
    else inherited::AssignTo(Dest);
  }
};
}  // namespace

TEST(Platform_Component, AssignDispatchesToEitherSide) {
  TColorBox a, b;
  TShade s;
  a.Color = 7;
  b.Assign(&a);
  EXPECT_EQ(b.Color, 7);
  s.Level = 3;
  b.Assign(&s);
  EXPECT_EQ(b.Color, 30);
  try {
    s.Assign(&a);
    FAIL();
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message(), u"Cannot assign a TColorBox to a TShade");
  }
  try {
    a.Assign(nullptr);
    FAIL();
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message(), u"Cannot assign a nil to a TColorBox");
  }
}

TEST(Platform_Component, NamePathJoinsOwnerPaths) {
  TComponent form(nullptr);
  form.SetName(u"Form1");
  TColorBox box;
  EXPECT_EQ(box.GetNamePath(), u"TColorBox");
  box.FOwner = &form;
  EXPECT_EQ(box.GetNamePath(), u"Form1.TColorBox");
  EXPECT_EQ(form.GetNamePath(), u"Form1");
}

namespace {
class TFailing : public TComponent {
  QN_CLASS(TFailing, TComponent)
 public:
  explicit TFailing(TComponent* AOwner) : TComponent(AOwner) { throw EInvalidOperation(u"no"); }
};
}  // namespace

TEST(Platform_Component, AFailedConstructionLeavesTheOwnerClean) {
  TLog log;
  TProbe owner(nullptr, "owner");
  EXPECT_THROW(new TFailing(&owner), EInvalidOperation);  // ASan: no leak
  EXPECT_EQ(owner.ComponentCount(), 0);
  // The owner tree heard of the arrival (from TComponent's constructor, so
  // before the derived part existed) and of the departure.
  ASSERT_EQ(log.Lines.size(), 2u);
  EXPECT_EQ(log.Lines[0], "owner ins TComponent");
  EXPECT_EQ(log.Lines[1], "owner rem TComponent dying");
}

TEST(Platform_Component, ComponentListForgetsComponentsFreedElsewhere) {
  TLog log;
  TProbe owner(nullptr, "owner");
  auto* a = new TProbe(&owner, "a");
  auto* b = new TProbe(&owner, "b");
  {
    TComponentList list(false);
    list.Add(a);
    list.Add(b);
    list.Add(a);
    delete a;  // every entry of it goes
    ASSERT_EQ(list.Count(), 1);
    EXPECT_EQ(list[0], b);
    list.Remove(b);
    EXPECT_EQ(list.Count(), 0);
  }
  log.Lines.clear();
  delete b;  // the list let go of b: nothing but the owner hears
  EXPECT_EQ(log.Lines, (std::vector<std::string>{"free b", "owner rem TComponent dying"}));
  {
    TComponentList owning;
    owning.Add(new TProbe(nullptr, "x"));
    owning.Add(new TProbe(nullptr, "y"));
    log.Lines.clear();
  }
  // An owning list frees what it holds (ASan: no leak).
  EXPECT_EQ(log.Lines, (std::vector<std::string>{"free y", "free x"}));
}

}  // namespace t_component_test
