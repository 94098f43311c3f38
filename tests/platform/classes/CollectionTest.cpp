#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/classes/Classes.h"

namespace t_collection_test {

using namespace vcl;

namespace {

std::vector<std::string>* gLog = nullptr;
void Log(const std::string& s) {
  if (gLog) gLog->push_back(s);
}

class TNamedItem : public TCollectionItem {
  QN_CLASS_CREATE(TNamedItem, TCollectionItem, TCollection)
 public:
  explicit TNamedItem(TCollection* c) : TCollectionItem(c), Tag("new") {}
  std::string Tag;
  void Assign(TPersistent* Source) override {
    if (auto* s = dynamic_cast<TNamedItem*>(Source)) Tag = s->Tag;
    else inherited::Assign(Source);
  }
  void Touch() { Changed(false); }
  void TouchAll() { Changed(true); }

 protected:
  String GetDisplayName() override { return FromUtf8(Tag); }
};

// Hooks see fully built items: the tag is set by TNamedItem's constructor.
std::string Who(TCollectionItem* item) {
  if (!item) return "nil";
  auto* n = dynamic_cast<TNamedItem*>(item);
  return n ? n->Tag : "?";
}

class TLogCollection : public TCollection {
  QN_CLASS(TLogCollection, TCollection)
 public:
  TLogCollection() : TCollection(TNamedItem::StaticClass()) {}
  TNamedItem* Item(Integer i) const { return static_cast<TNamedItem*>(GetItem(i)); }

 protected:
  void Added(TCollectionItem* Item) override { Log("Added " + Who(Item)); }
  void Deleting(TCollectionItem* Item) override { Log("Deleting " + Who(Item)); }
  void Notify(TCollectionItem* Item, TCollectionNotification Action) override {
    const char* a = Action == cnAdded ? "cnAdded" : Action == cnDeleting ? "cnDeleting" : "cnExtracting";
    Log(std::string("Notify ") + a + " " + Who(Item) + " count=" + std::to_string(Count()));
    inherited::Notify(Item, Action);
  }
  void Update(TCollectionItem* Item) override { Log("Update " + Who(Item)); }
};

struct TLog {
  TLog() { gLog = &Lines; }
  ~TLog() { gLog = nullptr; }
  std::vector<std::string> Take() {
    auto r = Lines;
    Lines.clear();
    return r;
  }
  std::vector<std::string> Lines;
};

using Lines = std::vector<std::string>;

std::vector<std::string> Tags(const TLogCollection& c) {
  std::vector<std::string> r;
  for (Integer i = 0; i < c.Count(); ++i) r.push_back(c.Item(i)->Tag);
  return r;
}

}  // namespace

TEST(Platform_Collection, HookOrderOutsideAnUpdateBracket) {
  TLog log;
  TLogCollection c;
  auto* a = static_cast<TNamedItem*>(c.Add());
  EXPECT_EQ(log.Take(), (Lines{"Notify cnAdded new count=1", "Added new", "Update nil"}));
  a->Tag = "a";
  auto* b = static_cast<TNamedItem*>(c.Insert(0));
  b->Tag = "b";
  // Insert is Add and a move: two whole-collection updates.
  EXPECT_EQ(log.Take(), (Lines{"Notify cnAdded new count=2", "Added new", "Update nil", "Update nil"}));
  EXPECT_EQ(Tags(c), (Lines{"b", "a"}));
  a->SetIndex(0);
  EXPECT_EQ(log.Take(), (Lines{"Update nil"}));
  a->Touch();
  a->TouchAll();
  EXPECT_EQ(log.Take(), (Lines{"Update a", "Update nil"}));
  c.Delete(0);
  // Deleting runs while the item is still listed; extraction follows.
  EXPECT_EQ(log.Take(), (Lines{"Notify cnDeleting a count=2", "Deleting a", "Notify cnExtracting a count=2",
                               "Update nil"}));
  c.Add();
  log.Take();
  c.Clear();
  EXPECT_EQ(log.Take(), (Lines{"Notify cnDeleting new count=2", "Deleting new", "Notify cnExtracting new count=2",
                               "Notify cnDeleting b count=1", "Deleting b", "Notify cnExtracting b count=1",
                               "Update nil"}));
  c.Clear();  // nothing to clear: no update either
  EXPECT_TRUE(log.Take().empty());
}

TEST(Platform_Collection, UpdatesWaitForTheOutermostEndUpdate) {
  TLog log;
  TLogCollection c;
  c.BeginUpdate();
  c.BeginUpdate();
  auto* a = static_cast<TNamedItem*>(c.Add());
  c.Add()->SetIndex(0);
  a->Touch();
  c.Delete(1);
  c.Clear();
  EXPECT_EQ(c.UpdateCount(), 2);
  EXPECT_EQ(log.Take(), (Lines{"Notify cnAdded new count=1", "Added new", "Notify cnAdded new count=2", "Added new",
                               "Notify cnDeleting new count=2", "Deleting new", "Notify cnExtracting new count=2",
                               "Notify cnDeleting new count=1", "Deleting new", "Notify cnExtracting new count=1"}));
  c.EndUpdate();
  EXPECT_TRUE(log.Take().empty());
  c.EndUpdate();
  EXPECT_EQ(log.Take(), (Lines{"Update nil"}));
  c.EndUpdate();  // unmatched: the count stays at 0 and later updates still run
  log.Take();
  c.Add();
  EXPECT_EQ(log.Take().back(), "Update nil");
}

TEST(Platform_Collection, IdsIndexesAndNamePaths) {
  TComponent form(nullptr);
  form.SetName(u"Form1");
  TOwnedCollection c(&form, TNamedItem::StaticClass());
  for (int i = 0; i < 4; ++i) c.Add();
  c.Delete(1);
  TCollectionItem* e = c.Add();
  EXPECT_EQ(e->ID(), 4);  // IDs are never reused
  EXPECT_EQ(c.FindItemID(1), nullptr);
  EXPECT_EQ(c.FindItemID(2), c.Items(1));
  c.Move(3, 0);
  EXPECT_EQ(c.Items(0), e);
  EXPECT_EQ(e->Index(), 0);
  EXPECT_THROW(e->SetIndex(9), EListError);
  EXPECT_THROW(c.Items(4), EListError);
  EXPECT_EQ(c.Owner(), &form);
  EXPECT_EQ(c.GetNamePath(), u"TOwnedCollection");  // no property name known
  c.SetPropName(u"Items");
  EXPECT_EQ(c.GetNamePath(), u"Form1.Items");
  EXPECT_EQ(e->GetNamePath(), u"Form1.Items[0]");
  EXPECT_EQ(e->DisplayName(), u"new");
  TCollectionItem loose(nullptr);
  EXPECT_EQ(loose.GetNamePath(), u"TCollectionItem");
  EXPECT_EQ(loose.DisplayName(), u"TCollectionItem");
  c.ClearAndResetID();
  EXPECT_EQ(c.Add()->ID(), 0);
  EXPECT_THROW(TCollection{TObject::StaticClass()}, EInvalidCast);
}

TEST(Platform_Collection, AssignCopiesItemsInOneBracket) {
  TLog log;
  TLogCollection a, b;
  for (const char* t : {"x", "y", "z"}) static_cast<TNamedItem*>(a.Add())->Tag = t;
  b.Add();
  log.Take();
  b.Assign(&a);
  EXPECT_EQ(Tags(b), (Lines{"x", "y", "z"}));
  auto lines = log.Take();
  EXPECT_EQ(std::count(lines.begin(), lines.end(), "Update nil"), 1);
  EXPECT_EQ(lines.back(), "Update nil");
  b.Assign(&b);  // assigning to itself keeps the items
  EXPECT_EQ(Tags(b), (Lines{"x", "y", "z"}));
  b.SetItem(0, a.Item(2));
  EXPECT_EQ(b.Item(0)->Tag, "z");
  TCollection plain(TCollectionItem::StaticClass());
  plain.Add();
  EXPECT_THROW(plain.SetItem(0, a.Item(0)), EConvertError);
  EXPECT_THROW(b.Assign(&plain), EConvertError);  // items that cannot copy each other
}

TEST(Platform_Collection, ItemsMoveBetweenCollectionsAndDieCleanly) {
  TLog log;
  auto* c = new TLogCollection;
  TLogCollection other;
  auto* a = static_cast<TNamedItem*>(c->Add());
  a->Tag = "a";
  log.Take();
  a->SetCollection(&other);
  EXPECT_EQ(log.Take(), (Lines{"Notify cnExtracting a count=1", "Update nil", "Notify cnAdded a count=1", "Added a",
                               "Update nil"}));
  EXPECT_EQ(c->Count(), 0);
  EXPECT_EQ(a->Collection(), &other);
  delete a;  // an item freed directly leaves its collection first
  EXPECT_EQ(log.Take(), (Lines{"Notify cnExtracting a count=1", "Update nil"}));
  EXPECT_EQ(other.Count(), 0);
  for (const char* t : {"p", "q"}) static_cast<TNamedItem*>(c->Add())->Tag = t;
  log.Take();
  delete c;  // the derived hooks still hear every deletion, without updates
  EXPECT_EQ(log.Take(), (Lines{"Notify cnDeleting q count=2", "Deleting q", "Notify cnExtracting q count=2",
                               "Notify cnDeleting p count=1", "Deleting p", "Notify cnExtracting p count=1"}));
}

}  // namespace t_collection_test
