#include <gtest/gtest.h>

#include <map>
#include <random>
#include <set>
#include <vector>

#include "graphics/raster/Pix32_Containers_qn.h"

namespace t_pix32_containers_test {

using namespace qn;

namespace {

PItem Ptr(NativeUInt v) { return reinterpret_cast<PItem>(v); }

}  // namespace

TEST(Pix32_Containers_qn, PointerMapBucketsAndAdd) {
  EXPECT_EQ(TPointerMap::BucketOf(Ptr(0x1234510)), TPointerMap::BucketOf(Ptr(0x12345FF)));
  EXPECT_EQ(TPointerMap::BucketOf(Ptr(0x1234510)), 0x45);
  EXPECT_EQ(TPointerMap::BucketOf(Ptr(0x1234510 + 256)), 0x46);
  EXPECT_EQ(TPointerMap::BucketOf(Ptr(0xFF00)), 255);

  TPointerMap m;
  bool isNew = false;
  PPData slot = m.Add(Ptr(0x1000), Ptr(7), isNew);
  EXPECT_TRUE(isNew);
  EXPECT_EQ(*slot, Ptr(7));
  PPData again = m.Add(Ptr(0x1000), Ptr(9), isNew);
  EXPECT_FALSE(isNew);
  EXPECT_EQ(again, slot);
  EXPECT_EQ(*again, Ptr(7));  // the data is not replaced
  EXPECT_EQ(m.Count(), 1);

  // Growth of one bucket: 4, 8, 12, then 28 (16 at lengths 9..64).
  for (NativeUInt i = 1; i < 13; ++i) m.Add(Ptr(0x1000 + i * 0x10000));
  EXPECT_EQ(m.Bucket(0x10).Count, 13);
  EXPECT_EQ(m.Bucket(0x10).Items.size(), 28u);

  EXPECT_TRUE(m.Contains(Ptr(0x1000 + 5 * 0x10000)));
  EXPECT_EQ(m.Remove(Ptr(0x1000)), Ptr(7));
  EXPECT_FALSE(m.Contains(Ptr(0x1000)));
  EXPECT_EQ(m.Remove(Ptr(0x1000)), nullptr);
  EXPECT_EQ(m.Count(), 12);

  m.SetData(Ptr(0x21000), Ptr(3));
  EXPECT_EQ(m.GetData(Ptr(0x21000)), Ptr(3));
  EXPECT_THROW(m.GetData(Ptr(0x77)), EListError);
  EXPECT_THROW(m.SetData(Ptr(0x77), nullptr), EListError);
  m.Clear();
  EXPECT_EQ(m.Count(), 0);
  EXPECT_TRUE(m.Bucket(0x10).Items.empty());
}

TEST(Pix32_Containers_qn, PointerMapIteratorVisitsEveryItemOnce) {
  {
    TPointerMap empty;
    TPointerMapIterator it(&empty);
    EXPECT_FALSE(it.Next());
  }
  {
    TPointerMap one;
    one.Add(Ptr(0xABFF00), Ptr(1));
    TPointerMapIterator it(&one);
    ASSERT_TRUE(it.Next());
    EXPECT_EQ(it.Item(), Ptr(0xABFF00));
    EXPECT_EQ(it.Data(), Ptr(1));
    EXPECT_FALSE(it.Next());
  }
  // Random maps against a reference: every pair exactly once, buckets
  // increasing, items inside a bucket from the last added to the first.
  std::mt19937 rng(5);
  for (int round = 0; round < 50; ++round) {
    TPointerMap m;
    std::map<NativeUInt, NativeUInt> ref;
    const int n = static_cast<int>(rng() % 400);
    for (int i = 0; i < n; ++i) {
      NativeUInt k = (rng() % 0x40000) | 1;
      if (rng() % 8 == 0) k = 0xFF00 | (rng() % 256) | 0x100000;  // bucket 255
      if (ref.count(k)) continue;
      ref[k] = static_cast<NativeUInt>(i + 1);
      m.Add(Ptr(k), Ptr(ref[k]));
    }
    for (int i = 0; i < n / 4 && !ref.empty(); ++i) {
      auto it = ref.begin();
      std::advance(it, static_cast<long>(rng() % ref.size()));
      m.Remove(Ptr(it->first));
      ref.erase(it);
    }
    ASSERT_EQ(m.Count(), static_cast<Integer>(ref.size()));
    TPointerMapIterator it(&m);
    std::set<NativeUInt> seen;
    Integer lastBucket = -1;
    while (it.Next()) {
      const auto k = reinterpret_cast<NativeUInt>(it.Item());
      ASSERT_TRUE(seen.insert(k).second);
      ASSERT_EQ(reinterpret_cast<NativeUInt>(it.Data()), ref.at(k));
      ASSERT_GE(TPointerMap::BucketOf(it.Item()), lastBucket);
      lastBucket = TPointerMap::BucketOf(it.Item());
    }
    ASSERT_EQ(seen.size(), ref.size());
  }
}

TEST(Pix32_Containers_qn, RectListGrowthAndBounds) {
  TRectList l;
  EXPECT_EQ(l.Capacity(), 0);
  EXPECT_EQ(l.Get(0), nullptr);
  for (int i = 0; i < 17; ++i) {
    l.Add(Rect(i, i, i + 1, i + 1));
    if (i == 0) {
      EXPECT_EQ(l.Capacity(), 8);
    } else if (i == 8) {
      EXPECT_EQ(l.Capacity(), 16);
    } else if (i == 16) {
      EXPECT_EQ(l.Capacity(), 48);
    }
  }
  EXPECT_EQ(l.Count(), 17);
  EXPECT_EQ(l.Get(-1), nullptr);
  EXPECT_EQ(l.Get(l.Count()), nullptr);
  EXPECT_EQ(*l.Get(16), Rect(16, 16, 17, 17));
  EXPECT_EQ(l.IndexOf(Rect(3, 3, 4, 4)), 3);
  EXPECT_EQ(l.Remove(Rect(3, 3, 4, 4)), 3);
  EXPECT_EQ(*l.Get(3), Rect(4, 4, 5, 5));
  l.Insert(0, Rect(-1, -1, 0, 0));
  EXPECT_EQ(*l.Get(0), Rect(-1, -1, 0, 0));
  EXPECT_EQ(*l.Get(1), Rect(0, 0, 1, 1));
  l.Move(0, 2);
  EXPECT_EQ(*l.Get(2), Rect(-1, -1, 0, 0));
  l.Exchange(0, 1);
  EXPECT_EQ(*l.Get(0), Rect(1, 1, 2, 2));
  l.Pack();
  EXPECT_EQ(l.Count(), 17);
  l.SetCount(20);
  EXPECT_EQ(*l.Get(19), Rect(0, 0, 0, 0));
  l.Clear();
  EXPECT_EQ(l.Count(), 0);
  EXPECT_EQ(l.Capacity(), 10);
  // A block appended after what the list holds, past its capacity; none
  // appended leaves it as it is.
  std::vector<TRect> block;
  for (Integer i = 0; i < 25; ++i) block.push_back(Rect(i, -i, 2 * i, 3 * i));
  l.Add(Rect(7, 7, 8, 8));
  EXPECT_EQ(l.AddRects(block.data(), 25), 1);
  EXPECT_EQ(l.AddRects(block.data(), 0), 26);
  ASSERT_EQ(l.Count(), 26);
  EXPECT_GE(l.Capacity(), 26);
  EXPECT_EQ(*l.Get(0), Rect(7, 7, 8, 8));
  for (Integer i = 0; i < 25; ++i) EXPECT_EQ(*l.Get(i + 1), block[size_t(i)]);
}

TEST(Pix32_Containers_qn, ClassListFindsExactNames) {
  TClassList l;
  l.Add(TRectList::StaticClass());
  l.Add(TLinkedList::StaticClass());
  EXPECT_EQ(l.Find(u"TLinkedList"), TLinkedList::StaticClass());
  EXPECT_EQ(l.Find(u"tlinkedlist"), nullptr);
  EXPECT_EQ(l.Find(u"TNothing"), nullptr);
  TStringList names;
  l.GetClassNames(&names);
  EXPECT_EQ(names.Text(), String(u"TRectList\r\nTLinkedList\r\n"));
  EXPECT_EQ(l.IndexOf(TLinkedList::StaticClass()), 1);
}

TEST(Pix32_Containers_qn, LinkedListLinksAndExchanges) {
  TLinkedList l;
  std::vector<Pointer> freed;
  l.SetOnFreeData([&](Pointer d) { freed.push_back(d); });
  PLinkedNode a = l.Add();
  EXPECT_EQ(l.Count(), 1);
  l.Remove(a);
  EXPECT_EQ(l.Count(), 0);
  EXPECT_EQ(l.Head(), nullptr);
  EXPECT_EQ(l.Tail(), nullptr);
  EXPECT_EQ(freed, std::vector<Pointer>{nullptr});
  freed.clear();

  PLinkedNode n[5];
  for (int i = 0; i < 5; ++i) {
    n[i] = l.Add();
    n[i]->Data = Ptr(static_cast<NativeUInt>(i + 1));
  }
  auto order = [&] {
    std::vector<NativeUInt> v;
    for (PLinkedNode p = l.Head(); p; p = p->Next) v.push_back(reinterpret_cast<NativeUInt>(p->Data));
    std::vector<NativeUInt> back;
    for (PLinkedNode p = l.Tail(); p; p = p->Prev) back.insert(back.begin(), reinterpret_cast<NativeUInt>(p->Data));
    EXPECT_EQ(v, back);  // both directions agree
    return v;
  };
  l.Exchange(n[1], n[2]);  // neighbours
  EXPECT_EQ(order(), (std::vector<NativeUInt>{1, 3, 2, 4, 5}));
  l.Exchange(n[1], n[2]);  // neighbours given the other way round
  EXPECT_EQ(order(), (std::vector<NativeUInt>{1, 2, 3, 4, 5}));
  l.Exchange(n[0], n[4]);  // head and tail
  EXPECT_EQ(order(), (std::vector<NativeUInt>{5, 2, 3, 4, 1}));
  EXPECT_EQ(l.Head(), n[4]);
  EXPECT_EQ(l.Tail(), n[0]);
  l.Exchange(n[0], n[3]);  // tail with its neighbour
  EXPECT_EQ(order(), (std::vector<NativeUInt>{5, 2, 3, 1, 4}));
  l.Exchange(n[4], n[4]);
  l.Exchange(nullptr, n[4]);
  EXPECT_EQ(l.IndexOf(n[3]), 4);
  EXPECT_EQ(l.GetNode(3), n[0]);
  EXPECT_EQ(l.GetNode(9), nullptr);
  PLinkedNode p = l.Tail();
  Advance(p, -2);
  EXPECT_EQ(p, n[2]);

  auto* x = new TLinkedNode;
  x->Data = Ptr(99);
  l.InsertBefore(l.Head(), x);
  EXPECT_EQ(l.Head(), x);
  EXPECT_EQ(l.Count(), 6);
  l.Remove(n[2]);
  EXPECT_EQ(freed, std::vector<Pointer>{Ptr(3)});
  l.Clear();
  EXPECT_EQ(freed.size(), 6u);
  EXPECT_EQ(l.Count(), 0);
}

namespace {

enum class TTestKind { tkOne, tkTwo, tkThree };
QN_ENUM_NAMES(TTestKind, tkOne, tkTwo, tkThree)

class TSub : public TPersistent {
  QN_CLASS(TSub, TPersistent)
 public:
  Integer V = 0;
  void Assign(TPersistent* Source) override {
    if (auto* s = dynamic_cast<TSub*>(Source)) V = s->V;
    else inherited::Assign(Source);
  }
};

class TSettings : public TPersistent {
  QN_CLASS(TSettings, TPersistent)
 public:
  TSettings() : FSub(new TSub) {}
  ~TSettings() override { delete FSub; }
  Integer Size() const { return FSize; }
  void SetSize(Integer v) { FSize = v; }
  TTestKind Kind() const { return FKind; }
  void SetKind(TTestKind v) { FKind = v; }
  Single Ratio() const { return FRatio; }
  void SetRatio(Single v) { FRatio = v; }
  String Caption() const { return FCaption; }
  void SetCaption(const String& v) { FCaption = v; }
  TSub* Sub() const { return FSub; }
  void SetSub(TSub* v) { FSub->Assign(v); }
  TNotifyEvent OnChange() const { return FOnChange; }
  void SetOnChange(const TNotifyEvent& v) { FOnChange = v; }

  QN_PUBLISHED(TSettings) {
    QN_PROP(Size);
    QN_PROP(Kind);
    QN_PROP(Ratio);
    QN_PROP(Caption);
    QN_PROP(Sub);
    QN_PROP(OnChange);
  }

 private:
  Integer FSize = 0;
  TTestKind FKind = TTestKind::tkOne;
  Single FRatio = 0;
  String FCaption;
  TSub* FSub;
  TNotifyEvent FOnChange;
};

}  // namespace

TEST(Pix32_Containers_qn, SmartAssignCopiesValuesNotEvents) {
  TSettings a, b;
  a.SetSize(17);
  a.SetKind(TTestKind::tkThree);
  a.SetRatio(0.25f);
  a.SetCaption(u"hello");
  a.Sub()->V = 5;
  int fired = 0;
  a.SetOnChange([&](TObject*) { ++fired; });
  SmartAssign(&a, &b);
  EXPECT_EQ(b.Size(), 17);
  EXPECT_EQ(b.Kind(), TTestKind::tkThree);
  EXPECT_EQ(b.Ratio(), 0.25f);
  EXPECT_EQ(b.Caption(), u"hello");
  EXPECT_EQ(b.Sub()->V, 5);
  EXPECT_FALSE(Assigned(b.OnChange()));

  // Restricted kinds copy only those; with events asked for, they come too.
  TSettings c;
  SmartAssign(&a, &c, TTypeKinds{tkInteger, tkMethod});
  EXPECT_EQ(c.Size(), 17);
  EXPECT_EQ(c.Caption(), u"");
  EXPECT_TRUE(Assigned(c.OnChange()));

  // A destination that publishes nothing of the kind is left alone.
  TSub plain;
  SmartAssign(&a, &plain);
  EXPECT_EQ(plain.V, 0);
}

}  // namespace t_pix32_containers_test
