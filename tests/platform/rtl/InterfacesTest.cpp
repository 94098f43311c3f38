#include <gtest/gtest.h>

#include <thread>

#include "platform/rtl/System.h"
#include "platform/rtl/SysUtils.h"

namespace t_interfaces_test {

using namespace vcl;

namespace {

struct IShape : virtual IInterface {
  static constexpr TGUID IID = MakeGUID("{6A1B2C3D-0001-4E5F-8A9B-0C1D2E3F4A5B}");
  virtual Integer Area() = 0;
};
struct INamed : virtual IInterface {
  static constexpr TGUID IID = MakeGUID("{6A1B2C3D-0002-4E5F-8A9B-0C1D2E3F4A5B}");
  virtual String Name() = 0;
};
struct IShape3D : virtual IShape {
  static constexpr TGUID IID = MakeGUID("{6A1B2C3D-0003-4E5F-8A9B-0C1D2E3F4A5B}");
  virtual Integer Volume() = 0;
};

int gDestroyed = 0;

class TSquare : public TInterfacedObject, public IShape, public INamed {
  QN_CLASS(TSquare, TInterfacedObject)
  QN_INTERFACES(IShape, INamed)
 public:
  explicit TSquare(Integer side) : FSide(side) {}
  ~TSquare() override { ++gDestroyed; }
  Integer Area() override { return FSide * FSide; }
  String Name() override { return u"square"; }

 private:
  Integer FSide;
};

// Lists only the derived interface: IShape is then not answered.
class TCube : public TInterfacedObject, public IShape3D {
  QN_CLASS(TCube, TInterfacedObject)
  QN_INTERFACES(IShape3D)
 public:
  ~TCube() override { ++gDestroyed; }
  Integer Area() override { return 6; }
  Integer Volume() override { return 1; }
};

// Hands a reference to itself out while it is being built.
class TSelfRegistering : public TInterfacedObject, public INamed {
  QN_CLASS(TSelfRegistering, TInterfacedObject)
  QN_INTERFACES(INamed)
 public:
  explicit TSelfRegistering(std::vector<String>& log) {
    TConstructionGuard guard(this);
    TIntf<INamed> me(this);
    log.push_back(me->Name());
  }
  ~TSelfRegistering() override { ++gDestroyed; }
  String Name() override { return u"self"; }
};

class TStatic : public TNoRefCountObject, public INamed {
  QN_CLASS(TStatic, TNoRefCountObject)
  QN_INTERFACES(INamed)
 public:
  String Name() override { return u"static"; }
};

}  // namespace

TEST(Platform_Interfaces, GuidsConvertBothWays) {
  constexpr TGUID g = MakeGUID("{00000000-0000-0000-C000-000000000046}");
  static_assert(g == IInterface::IID);
  static_assert(g.D4[0] == 0xC0 && g.D4[7] == 0x46);
  EXPECT_EQ(GUIDToString(IShape::IID), u"{6A1B2C3D-0001-4E5F-8A9B-0C1D2E3F4A5B}");
  EXPECT_EQ(StringToGUID(u"{6a1b2c3d-0001-4e5f-8a9b-0c1d2e3f4a5b}"), IShape::IID);
  for (const char16_t* bad : {u"", u"{6A1B2C3D-0001-4E5F-8A9B-0C1D2E3F4A5}", u"6A1B2C3D-0001-4E5F-8A9B-0C1D2E3F4A5B",
                              u"{6A1B2C3D-0001-4E5F-8A9B-0C1D2E3F4A5G}", u"{6A1B2C3D+0001-4E5F-8A9B-0C1D2E3F4A5B}"}) {
    TGUID g2;
    EXPECT_FALSE(TryStringToGUID(bad, g2)) << ToUtf8(bad);
  }
  try {
    StringToGUID(u"nope");
    FAIL();
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message(), u"'nope' is not a valid GUID value");
  }
  TGUID a = CreateGUID(), b = CreateGUID();
  EXPECT_NE(a, b);
  EXPECT_EQ(StringToGUID(GUIDToString(a)), a);
  EXPECT_EQ(a.D3 >> 12, 4);
}

TEST(Platform_Interfaces, ReferenceCountingFreesExactlyOnce) {
  gDestroyed = 0;
  {
    auto* sq = new TSquare(3);
    EXPECT_EQ(sq->RefCount(), 0);  // counts start at 0, as on the platform
    TIntf<IShape> shape(sq);
    EXPECT_EQ(sq->RefCount(), 1);
    {
      TIntf<IShape> copy = shape;
      TIntf<INamed> named;
      EXPECT_TRUE(Supports(shape, named));
      EXPECT_EQ(named->Name(), u"square");
      EXPECT_EQ(sq->RefCount(), 3);
      TIntf<IInterface> root = shape;  // conversion to a base interface
      EXPECT_EQ(sq->RefCount(), 4);
      TIntf<IShape> moved = std::move(copy);
      EXPECT_EQ(sq->RefCount(), 4);
      EXPECT_FALSE(copy);
    }
    EXPECT_EQ(sq->RefCount(), 1);
    EXPECT_EQ(shape->Area(), 9);
    const TIntf<IShape>& alias = shape;
    shape = alias;  // self-assignment keeps the object
    EXPECT_EQ(sq->RefCount(), 1);
    EXPECT_EQ(gDestroyed, 0);
  }
  EXPECT_EQ(gDestroyed, 1);

  // Reassignment releases the old object, not the new.
  TIntf<IShape> s = new TSquare(2);
  s = new TSquare(4);
  EXPECT_EQ(gDestroyed, 2);
  EXPECT_EQ(s->Area(), 16);
  s = nullptr;
  EXPECT_EQ(gDestroyed, 3);
}

TEST(Platform_Interfaces, QueryInterfaceAndSupports) {
  gDestroyed = 0;
  TIntf<IShape> shape = new TSquare(5);
  void* p = reinterpret_cast<void*>(1);
  EXPECT_EQ(shape->QueryInterface(IShape3D::IID, &p), E_NOINTERFACE);
  EXPECT_EQ(E_NOINTERFACE, static_cast<HRESULT>(0x80004002u));
  EXPECT_EQ(p, nullptr);
  EXPECT_EQ(shape->QueryInterface(IInterface::IID, &p), S_OK);
  static_cast<IInterface*>(p)->_Release();
  EXPECT_TRUE(Supports(shape, INamed::IID));
  EXPECT_FALSE(Supports(shape, IShape3D::IID));
  EXPECT_EQ(IntfCast<INamed>(shape)->Name(), u"square");
  EXPECT_FALSE(IntfCast<IShape3D>(shape));

  // Object-side test without taking a reference: the object survives.
  auto* raw = new TSquare(1);
  EXPECT_TRUE(Supports(raw, IShape::IID));
  EXPECT_FALSE(Supports(raw, IShape3D::IID));
  EXPECT_EQ(raw->RefCount(), 0);
  {
    TIntf<INamed> n;
    EXPECT_TRUE(Supports(raw, n));
    EXPECT_EQ(raw->RefCount(), 1);
  }
  EXPECT_EQ(gDestroyed, 1);  // the out reference was the only one

  TIntf<IShape3D> cube = new TCube;
  TIntf<IShape> asShape;
  EXPECT_FALSE(Supports(cube, asShape));  // not listed, as on the platform
  TIntf<IShape> upcast = cube;            // a static conversion still works
  EXPECT_EQ(upcast->Area(), 6);
  cube = nullptr;
  EXPECT_EQ(gDestroyed, 1);
  upcast = nullptr;
  EXPECT_EQ(gDestroyed, 2);
  shape = nullptr;
  EXPECT_EQ(gDestroyed, 3);
}

TEST(Platform_Interfaces, ReferencesDuringConstructionDoNotFree) {
  gDestroyed = 0;
  std::vector<String> log;
  auto* obj = new TSelfRegistering(log);
  EXPECT_EQ(gDestroyed, 0);
  EXPECT_EQ(obj->RefCount(), 0);
  ASSERT_EQ(log.size(), 1u);
  { TIntf<INamed> n = obj; }
  EXPECT_EQ(gDestroyed, 1);
}

TEST(Platform_Interfaces, NonCountedObjectsBelongToTheirOwner) {
  TStatic obj;
  {
    TIntf<INamed> n = &obj;
    TIntf<INamed> n2 = n;
    EXPECT_EQ(n->_AddRef(), -1);
    EXPECT_EQ(n->_Release(), -1);
    EXPECT_EQ(n2->Name(), u"static");
    TIntf<IInterface> any;
    EXPECT_TRUE(Supports(&obj, any));
  }
  EXPECT_EQ(obj.Name(), u"static");  // still alive: destroyed by its scope only
  TObject plain;
  EXPECT_FALSE(Supports(&plain, IInterface::IID));
}

TEST(Platform_Interfaces_Thread, CountingIsThreadSafe) {
  gDestroyed = 0;
  TIntf<IShape> shared = new TSquare(2);
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t)
    threads.emplace_back([shared] {
      for (int i = 0; i < 2000; ++i) {
        TIntf<IShape> local = shared;
        TIntf<INamed> n;
        Supports(local, n);
      }
    });
  for (auto& th : threads) th.join();
  EXPECT_EQ(gDestroyed, 0);
  shared = nullptr;
  EXPECT_EQ(gDestroyed, 1);
}

}  // namespace t_interfaces_test
