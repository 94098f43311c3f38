#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "platform/rtl/Math.h"
#include "platform/rtl/System.h"

namespace t_system_test {

using namespace vcl;

namespace {

class TAnimal : public TObject {
  QN_CLASS_CREATE(TAnimal, TObject, TObject)
 public:
  explicit TAnimal(TObject* owner) : Owner(owner) {}
  TObject* Owner;
  int Calls = 0;
  void Handler(TObject*) { ++Calls; }
  void Other(TObject*) { Calls += 10; }
};

class TDog : public TAnimal {
  QN_CLASS_CREATE(TDog, TAnimal, TObject)
 public:
  using TAnimal::TAnimal;
};

enum class TColorKind { ckRed, ckGreen, ckBlue, ckFar = 200 };

}  // namespace

TEST(Platform_System, MetaclassesCarryNameParentAndConstructor) {
  TDog dog(nullptr);
  EXPECT_EQ(dog.ClassName(), u"TDog");
  EXPECT_EQ(dog.ClassParent(), TAnimal::StaticClass());
  EXPECT_TRUE(dog.InheritsFrom(TObject::StaticClass()));
  EXPECT_FALSE(TAnimal::StaticClass()->InheritsFrom(TDog::StaticClass()));

  TClass cls = TDog::StaticClass();
  std::unique_ptr<TObject> made(cls->Create(&dog));
  EXPECT_EQ(made->ClassType(), TDog::StaticClass());
  EXPECT_EQ(static_cast<TDog*>(made.get())->Owner, &dog);
  EXPECT_THROW(TObject::StaticClass()->Create(), EAbstractError);
}

TEST(Platform_System, ClassRegistryFindsByExactName) {
  RegisterClass(TDog::StaticClass());
  EXPECT_EQ(GetClass(u"TDog"), TDog::StaticClass());
  EXPECT_EQ(GetClass(u"tdog"), nullptr);
  EXPECT_THROW(FindClass(u"TCat"), EClassNotFound);
  UnRegisterClass(TDog::StaticClass());
  EXPECT_EQ(GetClass(u"TDog"), nullptr);
}

TEST(Platform_System, CheckedCasts) {
  TDog dog(nullptr);
  TObject* o = &dog;
  EXPECT_EQ(As<TAnimal>(o), &dog);
  EXPECT_THROW(As<Exception>(o), EInvalidCast);
  EXPECT_EQ(As<TAnimal>(static_cast<TObject*>(nullptr)), nullptr);
  EXPECT_TRUE(Is<TAnimal>(o));
  EXPECT_FALSE(Is<Exception>(o));
}

TEST(Platform_System, EventsCompareByObjectAndMethod) {
  TAnimal a(nullptr), b(nullptr);
  TNotifyEvent e1(&a, &TAnimal::Handler), e2 = MakeEvent(&a, &TAnimal::Handler);
  TNotifyEvent e3(&b, &TAnimal::Handler), e4(&a, &TAnimal::Other), none;
  EXPECT_TRUE(e1 == e2);
  EXPECT_FALSE(e1 == e3);
  EXPECT_FALSE(e1 == e4);
  EXPECT_FALSE(Assigned(none));
  EXPECT_TRUE(none == nullptr);
  e1(nullptr);
  e4(nullptr);
  EXPECT_EQ(a.Calls, 11);

  int hits = 0;
  TNotifyEvent l1([&](TObject*) { ++hits; }), l2([&](TObject*) { ++hits; });
  TNotifyEvent l1copy = l1;
  EXPECT_TRUE(l1 == l1copy);
  EXPECT_FALSE(l1 == l2);
  l1copy(nullptr);
  EXPECT_EQ(hits, 1);
}

TEST(Platform_System, SetsOfEnumerations) {
  using S = TSet<TColorKind>;
  S a{TColorKind::ckRed, TColorKind::ckBlue}, b{TColorKind::ckBlue, TColorKind::ckFar};
  EXPECT_TRUE(a.Contains(TColorKind::ckRed));
  EXPECT_FALSE(a.Contains(TColorKind::ckGreen));
  EXPECT_EQ((a + b).Count(), 3);
  EXPECT_EQ(a * b, S{TColorKind::ckBlue});
  EXPECT_EQ(a - b, S{TColorKind::ckRed});
  EXPECT_TRUE(S{TColorKind::ckBlue} <= a);
  EXPECT_FALSE(b <= a);
  EXPECT_EQ(a.Bits(), 0b101u);
  EXPECT_EQ(S::FromBits(0b110), (S{TColorKind::ckGreen, TColorKind::ckBlue}));
  std::vector<TColorKind> seen(b.begin(), b.end());
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[1], TColorKind::ckFar);
  EXPECT_TRUE(S{}.empty());
}

TEST(Platform_System, RoundingRulesAreDefinedEverywhere) {
  EXPECT_EQ(Round(2.5), 2);
  EXPECT_EQ(Round(-2.5), -2);
  EXPECT_EQ(Round(3.5), 4);
  EXPECT_EQ(Round(0.49999999999999994), 0);
  EXPECT_EQ(Trunc(-2.7), -2);
  EXPECT_EQ(Floor(-2.5), -3);
  EXPECT_EQ(Ceil(-2.5), -2);
  const double nan = std::numeric_limits<double>::quiet_NaN();
  EXPECT_EQ(Round(nan), std::numeric_limits<Int64>::min());
  EXPECT_EQ(Round(1e30), std::numeric_limits<Int64>::max());
  EXPECT_EQ(Round(-1e30), std::numeric_limits<Int64>::min());
  EXPECT_EQ(Floor(1e30), std::numeric_limits<Integer>::max());
  EXPECT_EQ(Floor(nan), std::numeric_limits<Integer>::min());
  EXPECT_EQ(Shr(-1, 28), 15);
  EXPECT_EQ(Sar(-16, 2), -4);
  EXPECT_EQ(Div(-7, 2), -3);
  EXPECT_EQ(Mod(-7, 2), -1);
  EXPECT_THROW(Div(1, 0), EDivByZero);
}

TEST(Platform_System, Utf8RoundTripAndRepair) {
  String s = u"A\u00e9\u4e2d\U0001F600";
  EXPECT_EQ(FromUtf8(ToUtf8(s)), s);
  EXPECT_EQ(ToUtf8(String(1, char16_t(0xD800))), "\xEF\xBF\xBD");
  EXPECT_EQ(FromUtf8(std::string("\xC3")), u"\uFFFD");
}

TEST(Platform_System, ExceptionsCarryMessages) {
  try {
    throw EConvertError(u"bad \u00e9");
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), u"bad \u00e9");
    EXPECT_STREQ(e.what(), "bad \xC3\xA9");
    EXPECT_EQ(e.ClassName(), u"EConvertError");
  }
  EXPECT_THROW(Assert(false, u"x"), EAssertionFailed);
  EXPECT_NO_THROW(Assert(true));
}

TEST(Platform_Rect, Win32Helpers) {
  TRect r;
  EXPECT_FALSE(IntersectRect(r, Rect(0, 0, 10, 10), Rect(10, 0, 20, 10)));
  EXPECT_EQ(r, TRect());
  EXPECT_TRUE(IntersectRect(r, Rect(0, 0, 10, 10), Rect(5, -5, 20, 5)));
  EXPECT_EQ(r, Rect(5, 0, 10, 5));
  EXPECT_TRUE(UnionRect(r, Rect(0, 0, 0, 0), Rect(1, 1, 2, 2)));
  EXPECT_EQ(r, Rect(1, 1, 2, 2));
  EXPECT_TRUE(PtInRect(Rect(0, 0, 10, 10), Point(0, 9)));
  EXPECT_FALSE(PtInRect(Rect(0, 0, 10, 10), Point(10, 5)));
  EXPECT_EQ(Bounds(2, 3, 4, 5), Rect(2, 3, 6, 8));
}

}  // namespace t_system_test
