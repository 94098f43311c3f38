#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "graphics/raster/Pix32_qn.h"
#include "platform/classes/Strings.h"
#include "platform/vcl/Bitmap.h"

namespace t_pix32_qn_bases_test {

using namespace qn;

namespace {

struct TCountingMap : TCustomMap {
  int Changes = 0, Resizes = 0, Destroyed = 0;
  TCountingMap() {
    SetOnChange([this](TObject*) { ++Changes; });
    SetOnResize([this](TObject*) { ++Resizes; });
  }
};

int GDestroyed = 0;

struct ICounted : virtual IInterface {
  static constexpr TGUID IID = MakeGUID("{0B2D4C1E-6A37-4E21-9C55-7D1E0F3A9B10}");
  virtual Integer Value() = 0;
};

class TCounted : public TThreadPersistent, public ICounted {
  QN_CLASS(TCounted, TThreadPersistent)
  QN_INTERFACES(ICounted)
 public:
  explicit TCounted(bool Counted) {
    FRefCounted = Counted;
    // A counted object takes its first reference itself, as backends do.
    if (Counted) _AddRef();
  }
  ~TCounted() override { ++GDestroyed; }
  Integer Value() override { return 42; }
};

}  // namespace

TEST(Pix32_qn, MapSizeClampsAndDetectsNoOps) {
  TCountingMap m;
  EXPECT_TRUE(m.Empty());
  EXPECT_TRUE(m.SetSize(-5, 3));
  EXPECT_EQ(m.Width(), 0);
  EXPECT_EQ(m.Height(), 3);
  EXPECT_EQ(m.Changes, 1);
  EXPECT_EQ(m.Resizes, 1);
  EXPECT_FALSE(m.SetSize(-5, 3));
  EXPECT_FALSE(m.SetSize(0, 3));
  EXPECT_EQ(m.Changes, 1);
  EXPECT_EQ(m.Resizes, 1);
  m.SetWidth(7);
  EXPECT_EQ(m.Width(), 7);
  EXPECT_FALSE(m.Empty());
  m.SetHeight(-1);
  EXPECT_EQ(m.Height(), 0);
  EXPECT_TRUE(m.Empty());
  m.SetSize(4, 4);
  m.Delete();
  EXPECT_EQ(m.Width(), 0);
  EXPECT_EQ(m.Height(), 0);
}

TEST(Pix32_qn, SetSizeFromMapNilOrRejectsOthers) {
  TCountingMap a, b;
  a.SetSize(12, 9);
  b.SetSizeFrom(&a);
  EXPECT_EQ(b.Width(), 12);
  EXPECT_EQ(b.Height(), 9);
  TStringList list;
  try {
    b.SetSizeFrom(&list);
    FAIL() << "no exception";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), u"Can't set size from 'TStringList'");
  }
  EXPECT_EQ(b.Width(), 12);
  TBitmap graphic;
  graphic.SetSize(5, 6);
  b.SetSizeFrom(&graphic);
  EXPECT_EQ(b.Width(), 5);
  EXPECT_EQ(b.Height(), 6);
  b.SetSizeFrom(nullptr);
  EXPECT_TRUE(b.Empty());
  EXPECT_EQ(b.Width(), 0);
}

TEST(Pix32_qn, UpdateBracketsDropChangesAndEndUpdateIsSilent) {
  TCountingMap m;
  m.BeginUpdate();
  m.BeginUpdate();
  m.Changed();
  m.SetSize(3, 3);  // storage changes, notification is dropped
  m.EndUpdate();
  m.Changed();
  m.EndUpdate();
  EXPECT_EQ(m.Changes, 0);
  EXPECT_EQ(m.Resizes, 1);  // resizing is not a change notification
  EXPECT_EQ(m.Width(), 3);
  m.Changed();
  EXPECT_EQ(m.Changes, 1);
  try {
    m.EndUpdate();
    FAIL() << "no assertion";
  } catch (const EAssertionFailed& e) {
    EXPECT_EQ(e.Message(), u"Unpaired TThreadPersistent.EndUpdate");
  }
  EXPECT_EQ(m.UpdateCount(), 0);
}

TEST(Pix32_qn, ReferenceCountingFreesOnceAtLastRelease) {
  GDestroyed = 0;
  auto* obj = new TCounted(true);
  {
    TIntf<ICounted> a;
    ASSERT_TRUE(Supports(static_cast<TObject*>(obj), a));
    EXPECT_EQ(a->Value(), 42);
    TIntf<ICounted> b = a;
    EXPECT_EQ(obj->RefCount(), 3);
    // Freeing while references remain is refused and leaves it alive.
    try {
      obj->Free();
      FAIL() << "no exception";
    } catch (const Exception& e) {
      EXPECT_EQ(e.Message(), u"Unmatched reference counting.");
    }
    EXPECT_EQ(GDestroyed, 0);
    EXPECT_EQ(obj->_Release(), 2);  // the creator's own reference
  }
  EXPECT_EQ(GDestroyed, 1);

  // Not counted: references are ignored and the owner frees.
  auto* plain = new TCounted(false);
  {
    TIntf<ICounted> a;
    ASSERT_TRUE(Supports(static_cast<TObject*>(plain), a));
    EXPECT_EQ(plain->_AddRef(), -1);
    EXPECT_EQ(plain->_Release(), -1);
  }
  EXPECT_EQ(GDestroyed, 1);
  plain->Free();
  EXPECT_EQ(GDestroyed, 2);

  void* p = nullptr;
  TCounted c(false);
  EXPECT_EQ(c.QueryInterface(IInterface::IID, &p), S_OK);
  EXPECT_EQ(c.QueryInterface(MakeGUID("{11111111-2222-3333-4444-555555555555}"), &p), E_NOINTERFACE);
  EXPECT_EQ(p, nullptr);
}

TEST(Pix32_qn, ThreadLockIsReentrantAndCounted) {
  TThreadPersistent t;
  t.Lock();
  t.Lock();
  EXPECT_EQ(t.LockCount(), 2);
  t.Unlock();
  t.Unlock();
  EXPECT_EQ(t.LockCount(), 0);
  TObject* made = TThreadPersistent::StaticClass()->Create();
  EXPECT_TRUE(made->Is<TThreadPersistent>());
  delete made;
}

TEST(Pix32_qn_Thread, LockSerialisesAndCountsStayExact) {
  GDestroyed = 0;
  TThreadPersistent shared;
  auto* counted = new TCounted(true);
  long long total = 0;
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t)
    threads.emplace_back([&] {
      for (int i = 0; i < 5000; ++i) {
        shared.Lock();
        shared.Lock();  // re-entrant on the same thread
        ++total;
        shared.Unlock();
        shared.Unlock();
        counted->_AddRef();
        counted->_Release();
      }
    });
  for (auto& th : threads) th.join();
  EXPECT_EQ(total, 20000);
  EXPECT_EQ(shared.LockCount(), 0);
  EXPECT_EQ(counted->RefCount(), 1);
  EXPECT_EQ(GDestroyed, 0);
  counted->_Release();
  EXPECT_EQ(GDestroyed, 1);
}

}  // namespace t_pix32_qn_bases_test
