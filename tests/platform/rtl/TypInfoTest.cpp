#include <gtest/gtest.h>

#include "platform/rtl/TypInfo.h"

namespace t_typ_info_test {

namespace sample {
enum class TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient, alCustom };
QN_ENUM_NAMES(TAlign, alNone, alTop, alBottom, alLeft, alRight, alClient, alCustom)
enum class TAnchorKind { akLeft, akTop, akRight, akBottom };
QN_ENUM_NAMES(TAnchorKind, akLeft, akTop, akRight, akBottom)
}  // namespace sample

using namespace vcl;
using sample::TAlign;
using sample::TAnchorKind;

TEST(Platform_TypInfo, EnumNamesBothWays) {
  PTypeInfo info = TypeInfo<TAlign>();
  EXPECT_EQ(info, TypeInfo<TAlign>());  // one object per type
  EXPECT_EQ(info->Name(), u"TAlign");
  EXPECT_EQ(info->MinValue(), 0);
  EXPECT_EQ(info->MaxValue(), 6);
  for (Integer v = info->MinValue(); v <= info->MaxValue(); ++v)
    EXPECT_EQ(GetEnumValue(info, GetEnumName(info, v)), v);
  EXPECT_EQ(GetEnumName(info, 5), u"alClient");
  EXPECT_EQ(GetEnumName(info, 7), u"");
  EXPECT_EQ(GetEnumName(info, -1), u"");
  EXPECT_EQ(GetEnumValue(info, u"ALCLIENT"), 5);
  EXPECT_EQ(GetEnumValue(info, u"alMiddle"), -1);
  EXPECT_EQ(GetEnumValue(info, u""), -1);
  EXPECT_EQ(EnumName(TAlign::alRight), u"alRight");
  TAlign a = TAlign::alNone;
  EXPECT_TRUE(TryEnumValue(u"alTop", a));
  EXPECT_EQ(a, TAlign::alTop);
  EXPECT_FALSE(TryEnumValue(u"top", a));
  EXPECT_EQ(a, TAlign::alTop);
  EXPECT_THROW(EnumValue<TAlign>(u"x"), EConvertError);
  EXPECT_EQ(GetEnumName(TypeInfo<bool>(), 1), u"True");
  EXPECT_EQ(GetEnumValue(TypeInfo<bool>(), u"false"), 0);
}

TEST(Platform_TypInfo, SetsAsText) {
  TSet<TAnchorKind> s{TAnchorKind::akLeft, TAnchorKind::akBottom};
  EXPECT_EQ(SetToString(s, true), u"[akLeft,akBottom]");
  EXPECT_EQ(SetToString(s), u"akLeft,akBottom");
  EXPECT_EQ(SetToString(TSet<TAnchorKind>{}, true), u"[]");
  EXPECT_EQ(StringToSet<TAnchorKind>(u"[ akTop , AKRIGHT ]"), (TSet<TAnchorKind>{TAnchorKind::akTop, TAnchorKind::akRight}));
  EXPECT_EQ(StringToSet<TAnchorKind>(u"[]"), TSet<TAnchorKind>{});
  EXPECT_EQ(StringToSet<TAnchorKind>(SetToString(s)), s);
  EXPECT_THROW(StringToSet<TAnchorKind>(u"[akLeft,akFront]"), EConvertError);
  EXPECT_THROW(StringToSet<TAnchorKind>(u"[akLeft,,akTop]"), EConvertError);
  EXPECT_THROW(StringToSet<TAnchorKind>(u"[akLeft"), EConvertError);
}

}  // namespace t_typ_info_test
