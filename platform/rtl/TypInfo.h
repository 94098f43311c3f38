// Run-time type information for enumerations: the name table of an enum that
// is streamed or shown by name, declared once next to the enum:
//
//   enum class TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };
//   QN_ENUM_NAMES(TAlign, alNone, alTop, alBottom, alLeft, alRight, alClient)
//
// The names must be the enum's values in declaration order from 0 (checked
// at compile time). TypeInfo<TAlign>() then gives a TEnumTypeInfo that can be
// handed around, as form-file streaming does with property types.
#pragma once
#include "platform/rtl/MacroShield.h"

#include <optional>
#include <type_traits>
#include <vector>

#include "platform/rtl/System.h"

namespace vcl {

class TEnumTypeInfo {
 public:
  // `names` is the comma-separated list of value names (as the macro spells it).
  TEnumTypeInfo(const char16_t* typeName, const char16_t* names);
  TEnumTypeInfo(String typeName, std::vector<String> names);

  const String& Name() const { return FName; }
  Integer MinValue() const { return 0; }
  Integer MaxValue() const { return static_cast<Integer>(FNames.size()) - 1; }
  Integer Count() const { return static_cast<Integer>(FNames.size()); }
  const std::vector<String>& Names() const { return FNames; }
  // Empty for a value outside MinValue..MaxValue.
  String NameOf(Integer value) const;
  // Case-insensitive (ASCII, as identifiers are); -1 when unknown.
  Integer ValueOf(const String& name) const;

 private:
  String FName;
  std::vector<String> FNames;
};

using PTypeInfo = const TEnumTypeInfo*;

String GetEnumName(PTypeInfo info, Integer value);
Integer GetEnumValue(PTypeInfo info, const String& name);

// Boolean has a table too ("False", "True"), found like any other.
PTypeInfo QnEnumTypeInfo(bool*);

template <class E>
concept HasEnumNames = requires { { QnEnumTypeInfo(static_cast<E*>(nullptr)) } -> std::convertible_to<PTypeInfo>; };

template <class E>
PTypeInfo TypeInfo() {
  static_assert(HasEnumNames<E>, "declare the enum's names with QN_ENUM_NAMES");
  return QnEnumTypeInfo(static_cast<E*>(nullptr));
}

template <class E>
String EnumName(E value) {
  return GetEnumName(TypeInfo<E>(), static_cast<Integer>(value));
}
template <class E>
bool TryEnumValue(const String& name, E& value) {
  Integer v = GetEnumValue(TypeInfo<E>(), name);
  if (v < 0) return false;
  value = static_cast<E>(v);
  return true;
}
// Sets as the platform writes them: "[akLeft,akTop]" (with brackets) or
// "akLeft,akTop". StringToSet accepts either, blanks around names, and raises
// EConvertError for an unknown name.
String SetToString(PTypeInfo info, UInt64 bits, bool brackets = false);
UInt64 StringToSet(PTypeInfo info, const String& value);

template <class E>
String SetToString(const TSet<E>& s, bool brackets = false) {
  return SetToString(TypeInfo<E>(), s.Bits(), brackets);
}
template <class E>
TSet<E> StringToSet(const String& value) {
  return TSet<E>::FromBits(StringToSet(TypeInfo<E>(), value));
}

namespace detail {
[[noreturn]] void RaiseInvalidEnumName(PTypeInfo info, const String& name);
template <class E, size_t N>
constexpr bool EnumNamesInOrder(const E (&values)[N]) {
  for (size_t i = 0; i < N; ++i)
    if (static_cast<size_t>(values[i]) != i) return false;
  return true;
}
}  // namespace detail

// Raises EConvertError for an unknown name.
template <class E>
E EnumValue(const String& name) {
  E v;
  if (!TryEnumValue(name, v)) detail::RaiseInvalidEnumName(TypeInfo<E>(), name);
  return v;
}

// Declares the name table of enum E, at namespace scope in E's namespace, where
// TypeInfo<E>() finds it by argument-dependent lookup.
#define QN_ENUM_NAMES(E, ...)                                                             \
  inline ::vcl::PTypeInfo QnEnumTypeInfo(E*) {                                           \
    static_assert([] {                                                                    \
      using enum E;                                                                       \
      constexpr E values[] = {__VA_ARGS__};                                               \
      return ::vcl::detail::EnumNamesInOrder(values);                                     \
    }(), "QN_ENUM_NAMES: list every value of " #E " in declaration order from 0");        \
    static const ::vcl::TEnumTypeInfo info(u"" #E, u"" #__VA_ARGS__);                     \
    return &info;                                                                         \
  }

}  // namespace vcl

#include "platform/rtl/MacroShieldEnd.h"
