#include "platform/rtl/TypInfo.h"

namespace vcl {

namespace {
bool IsBlank(char16_t c) { return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r'; }

String TrimBlanks(const String& s, size_t from, size_t to) {
  while (from < to && IsBlank(s[from])) ++from;
  while (to > from && IsBlank(s[to - 1])) --to;
  return s.substr(from, to - from);
}

char16_t FoldAscii(char16_t c) { return c >= u'a' && c <= u'z' ? c - 32 : c; }

bool SameIdent(const String& a, const String& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
  return true;
}
}  // namespace

TEnumTypeInfo::TEnumTypeInfo(const char16_t* typeName, const char16_t* names) : FName(typeName) {
  String all(names);
  size_t start = 0;
  for (size_t i = 0; i <= all.size(); ++i) {
    if (i == all.size() || all[i] == u',') {
      String n = TrimBlanks(all, start, i);
      if (!n.empty()) FNames.push_back(std::move(n));
      start = i + 1;
    }
  }
}

TEnumTypeInfo::TEnumTypeInfo(String typeName, std::vector<String> names)
    : FName(std::move(typeName)), FNames(std::move(names)) {}

String TEnumTypeInfo::NameOf(Integer value) const {
  if (value < 0 || value >= Count()) return String();
  return FNames[static_cast<size_t>(value)];
}

Integer TEnumTypeInfo::ValueOf(const String& name) const {
  for (size_t i = 0; i < FNames.size(); ++i)
    if (SameIdent(FNames[i], name)) return static_cast<Integer>(i);
  return -1;
}

String GetEnumName(PTypeInfo info, Integer value) { return info ? info->NameOf(value) : String(); }
Integer GetEnumValue(PTypeInfo info, const String& name) { return info ? info->ValueOf(name) : -1; }

PTypeInfo QnEnumTypeInfo(bool*) {
  static const TEnumTypeInfo info(u"Boolean", u"False, True");
  return &info;
}

String SetToString(PTypeInfo info, UInt64 bits, bool brackets) {
  String s;
  for (Integer i = 0; i < info->Count() && i < 64; ++i) {
    if (!((bits >> i) & 1)) continue;
    if (!s.empty()) s += u',';
    s += info->NameOf(i);
  }
  return brackets ? u"[" + s + u"]" : s;
}

UInt64 StringToSet(PTypeInfo info, const String& value) {
  String v = TrimBlanks(value, 0, value.size());
  if (!v.empty() && v.front() == u'[') {
    if (v.back() != u']') throw EConvertError(u"Invalid property element: " + value);
    v = v.substr(1, v.size() - 2);
  }
  UInt64 bits = 0;
  size_t start = 0;
  for (size_t i = 0; i <= v.size(); ++i) {
    if (i < v.size() && v[i] != u',') continue;
    String n = TrimBlanks(v, start, i);
    start = i + 1;
    if (n.empty()) {
      if (i == v.size() && bits == 0 && TrimBlanks(v, 0, v.size()).empty()) break;
      throw EConvertError(u"Invalid property element: " + value);
    }
    Integer e = info->ValueOf(n);
    if (e < 0 || e >= 64) throw EConvertError(u"Invalid property element: " + n);
    bits |= UInt64(1) << e;
  }
  return bits;
}

namespace detail {
void RaiseInvalidEnumName(PTypeInfo info, const String& name) {
  throw EConvertError(u"'" + name + u"' is not a valid " + info->Name() + u" value");
}
}  // namespace detail

}  // namespace vcl
