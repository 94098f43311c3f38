#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "platform/classes/Classes.h"

namespace t_list_test {

using namespace vcl;

namespace {

class TLoggingList : public TList {
  QN_CLASS(TLoggingList, TList)
 public:
  std::vector<std::string> Log;
  ~TLoggingList() override { Clear(); }

 protected:
  void Notify(Pointer Ptr, TListNotification Action) override {
    const char* a = Action == lnAdded ? "add" : Action == lnExtracted ? "extract" : "delete";
    Log.push_back(std::string(a) + " " + std::to_string(*static_cast<int*>(Ptr)));
  }
};

class TCounted : public TObject {
  QN_CLASS(TCounted, TObject)
 public:
  explicit TCounted(int* alive) : FAlive(alive) { ++*FAlive; }
  ~TCounted() override { --*FAlive; }

 private:
  int* FAlive;
};

Integer CompareInts(Pointer a, Pointer b) { return *static_cast<int*>(a) - *static_cast<int*>(b); }

}  // namespace

TEST(Platform_List, NotificationsFollowEveryChange) {
  int v[5] = {0, 1, 2, 3, 4};
  TLoggingList l;
  l.Add(&v[0]);
  l.Add(nullptr);  // nil is never announced
  l.Insert(0, &v[1]);
  l.Delete(1);
  EXPECT_EQ(l.Extract(&v[1]), &v[1]);
  EXPECT_EQ(l.Extract(&v[4]), nullptr);
  l.Add(&v[2]);
  l.Add(&v[3]);
  l.SetItem(2, &v[4]);
  EXPECT_EQ(l.Remove(&v[2]), 1);
  l.Clear();
  EXPECT_EQ(l.Log, (std::vector<std::string>{"add 0", "add 1", "delete 0", "extract 1", "add 2", "add 3", "delete 3",
                                             "add 4", "delete 2", "delete 4"}));
  EXPECT_EQ(l.Count(), 0);
}

TEST(Platform_List, IndexErrorsCarryTheIndex) {
  TList l;
  int x = 1;
  l.Add(&x);
  auto msg = [&](auto f) {
    try {
      f();
    } catch (const EListError& e) {
      return ToUtf8(e.Message());
    }
    return std::string("no error");
  };
  EXPECT_EQ(msg([&] { l.Get(1); }), "List index out of bounds (1)");
  EXPECT_EQ(msg([&] { l.Delete(-1); }), "List index out of bounds (-1)");
  EXPECT_EQ(msg([&] { l.Insert(3, &x); }), "List index out of bounds (3)");
  EXPECT_EQ(msg([&] { l.Move(0, 1); }), "List index out of bounds (1)");
  EXPECT_EQ(msg([&] { l.SetCapacity(0); }), "List capacity out of bounds (0)");
  EXPECT_EQ(msg([&] { l.SetCount(-2); }), "List count out of bounds (-2)");
  TList empty;
  EXPECT_THROW(empty.First(), EListError);
  EXPECT_THROW(empty.Last(), EListError);
  l.Insert(1, &x);  // the end is a valid insertion point
  EXPECT_EQ(l.Count(), 2);
}

TEST(Platform_List, MoveExchangePackAndSortAgainstAVector) {
  std::mt19937 rng(7);
  std::vector<int> store(40);
  for (int i = 0; i < 40; ++i) store[i] = static_cast<int>(rng() % 10);
  TList l;
  std::vector<int*> ref;
  for (auto& s : store) {
    l.Add(&s);
    ref.push_back(&s);
  }
  for (int step = 0; step < 200; ++step) {
    int a = static_cast<int>(rng() % ref.size()), b = static_cast<int>(rng() % ref.size());
    if (step % 2) {
      l.Move(a, b);
      int* p = ref[a];
      ref.erase(ref.begin() + a);
      ref.insert(ref.begin() + b, p);
    } else {
      l.Exchange(a, b);
      std::swap(ref[a], ref[b]);
    }
  }
  for (int i = 0; i < l.Count(); ++i) ASSERT_EQ(l[i], ref[i]);
  l.Sort(CompareInts);
  std::stable_sort(ref.begin(), ref.end(), [](int* x, int* y) { return *x < *y; });
  for (int i = 0; i < l.Count(); ++i) ASSERT_EQ(l[i], ref[i]) << i;  // stable: same pointers
  l.SetCount(45);
  l.SetItem(42, &store[0]);
  l.Pack();
  EXPECT_EQ(l.Count(), 41);
  EXPECT_EQ(l.Last(), &store[0]);
}

TEST(Platform_List, ObjectListOwnsUnlessToldOtherwise) {
  int alive = 0;
  {
    TObjectList l;
    for (int i = 0; i < 4; ++i) l.Add(new TCounted(&alive));
    EXPECT_EQ(alive, 4);
    l.Delete(0);
    EXPECT_EQ(alive, 3);
    TObject* kept = l.Extract(l.Items(0));
    EXPECT_EQ(alive, 3);
    delete kept;
    l.Add(new TObject);
    EXPECT_EQ(l.FindInstanceOf(TObject::StaticClass()), 2);
    EXPECT_EQ(l.FindInstanceOf(TObject::StaticClass(), false), 0);
  }
  EXPECT_EQ(alive, 0);
  TCounted c(&alive);
  {
    TObjectList l(false);
    l.Add(&c);
  }
  EXPECT_EQ(alive, 1);
  Generics::TObjectList<TCounted> g;
  g.Add(new TCounted(&alive));
  g.Add(new TCounted(&alive));
  g.Delete(0);
  EXPECT_EQ(alive, 2);
  g.Clear();
  EXPECT_EQ(alive, 1);
}

TEST(Platform_List, ThreadListHonoursDuplicates) {
  TThreadList t;
  int a = 0, b = 0;
  t.Add(&a);
  t.Add(&a);
  EXPECT_EQ(t.LockList()->Count(), 1);
  t.UnlockList();
  t.SetDuplicates(dupError);
  EXPECT_THROW(t.Add(&a), EListError);
  t.SetDuplicates(dupAccept);
  t.Add(&a);
  t.Add(&b);
  TList* l = t.LockList();
  TList* again = t.LockList();  // re-entrant
  EXPECT_EQ(l, again);
  EXPECT_EQ(l->Count(), 3);
  t.UnlockList();
  t.UnlockList();
  t.Remove(&a);
  t.Clear();
  EXPECT_EQ(t.LockList()->Count(), 0);
  t.UnlockList();
}

}  // namespace t_list_test
