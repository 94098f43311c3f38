// TInterfaceList against a vector of references, and its reference counts.
#include <gtest/gtest.h>

#include <random>

#include "platform/classes/InterfaceList.h"
#include "platform/rtl/SysUtils.h"

namespace t_interface_list_test {

namespace {

using namespace vcl;

struct IItem : virtual IInterface {
  static constexpr TGUID IID = MakeGUID("{6B1E0D5A-6C43-4F0B-9D0E-2C1A7E3B9F01}");
  virtual Integer Id() = 0;
};
struct IOther : virtual IInterface {
  static constexpr TGUID IID = MakeGUID("{6B1E0D5A-6C43-4F0B-9D0E-2C1A7E3B9F02}");
};

class TItem : public TInterfacedObject, public virtual IItem, public virtual IOther {
  QN_CLASS(TItem, TInterfacedObject)
  QN_INTERFACES(IItem, IOther)
 public:
  explicit TItem(Integer id) : FId(id) {}
  Integer Id() override { return FId; }

 private:
  Integer FId;
};

TEST(Platform_InterfaceList, RandomOperationsAgreeWithAVectorAndCountsReturn) {
  std::mt19937 rng(77);
  std::vector<TIntf<IItem>> pool;
  for (int i = 0; i < 8; ++i) pool.emplace_back(new TItem(i));
  {
    TIntf<TInterfaceList> list(new TInterfaceList);
    std::vector<IInterface*> ref;
    auto base = [](const TIntf<IItem>& p) { return static_cast<IInterface*>(p.get()); };
    for (int step = 0; step < 2000; ++step) {
      const auto& item = pool[rng() % pool.size()];
      int n = int(ref.size());
      switch (rng() % 7) {
        case 0: EXPECT_EQ(list->Add(TIntf<IInterface>(item)), n); ref.push_back(base(item)); break;
        case 1: {
          int at = int(rng() % (n + 1));
          list->Insert(at, TIntf<IInterface>(item));
          ref.insert(ref.begin() + at, base(item));
          break;
        }
        case 2: {
          auto it = std::find(ref.begin(), ref.end(), base(item));
          int want = it == ref.end() ? -1 : int(it - ref.begin());
          EXPECT_EQ(list->Remove(TIntf<IInterface>(item)), want);
          if (it != ref.end()) ref.erase(it);
          break;
        }
        case 3:
          if (n) {
            int at = int(rng() % n);
            list->Delete(at);
            ref.erase(ref.begin() + at);
          }
          break;
        case 4: {
          // Found through another interface of the same object.
          TIntf<IOther> other = IntfCast<IOther>(item);
          auto it = std::find(ref.begin(), ref.end(), base(item));
          EXPECT_EQ(list->IndexOf(TIntf<IInterface>(other.get())), it == ref.end() ? -1 : int(it - ref.begin()));
          break;
        }
        case 5: {
          // Out of range: an error and no change.
          EXPECT_THROW(list->Delete(n), EListError);
          EXPECT_THROW(list->Insert(n + 1, TIntf<IInterface>(item)), EListError);
          EXPECT_THROW(list->Items(-1), EListError);
          break;
        }
        case 6:
          if (rng() % 50 == 0) {
            list->Clear();
            ref.clear();
          }
          break;
      }
      ASSERT_EQ(list->Count(), int(ref.size()));
      if (!ref.empty()) {
        EXPECT_EQ(list->First().get(), ref.front());
        EXPECT_EQ(list->Last().get(), ref.back());
      }
    }
    for (int i = 0; i < int(ref.size()); ++i) EXPECT_EQ(list->Items(i).get(), ref[size_t(i)]);
    // Each entry holds one reference.
    for (const auto& p : pool) {
      auto* obj = dynamic_cast<TItem*>(p.get());
      EXPECT_EQ(obj->RefCount(), 1 + Integer(std::count(ref.begin(), ref.end(), base(p))));
    }
    list->Lock();
    list->Unlock();
  }
  for (const auto& p : pool) EXPECT_EQ(dynamic_cast<TItem*>(p.get())->RefCount(), 1);
}

}  // namespace

}  // namespace t_interface_list_test
