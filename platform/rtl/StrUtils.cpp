#include "platform/rtl/StrUtils.h"

#include <algorithm>

namespace vcl {

String LeftStr(const String& s, Integer count) { return Copy(s, 1, count); }
String RightStr(const String& s, Integer count) {
  if (count <= 0) return String();
  return count >= Length(s) ? s : s.substr(s.size() - static_cast<size_t>(count));
}
String MidStr(const String& s, Integer start, Integer count) { return Copy(s, start, count); }

bool StartsStr(const String& sub, const String& s) { return s.compare(0, sub.size(), sub) == 0 && s.size() >= sub.size(); }
bool EndsStr(const String& sub, const String& s) {
  return s.size() >= sub.size() && s.compare(s.size() - sub.size(), sub.size(), sub) == 0;
}
bool StartsText(const String& sub, const String& s) {
  return s.size() >= sub.size() && AnsiSameText(s.substr(0, sub.size()), sub);
}
bool EndsText(const String& sub, const String& s) {
  return s.size() >= sub.size() && AnsiSameText(s.substr(s.size() - sub.size()), sub);
}
bool ContainsStr(const String& s, const String& sub) { return s.find(sub) != String::npos; }
bool ContainsText(const String& s, const String& sub) { return AnsiUpperCase(s).find(AnsiUpperCase(sub)) != String::npos; }

String ReplaceStr(const String& s, const String& from, const String& to) {
  return StringReplace(s, from, to, {TReplaceFlag::rfReplaceAll});
}
String ReplaceText(const String& s, const String& from, const String& to) {
  return StringReplace(s, from, to, {TReplaceFlag::rfReplaceAll, TReplaceFlag::rfIgnoreCase});
}

String DupeString(const String& s, Integer count) {
  String r;
  for (Integer i = 0; i < count; ++i) r += s;
  return r;
}

String ReverseString(const String& s) {
  String r(s.rbegin(), s.rend());
  // Keep surrogate pairs in order.
  for (size_t i = 0; i + 1 < r.size(); ++i)
    if (r[i] >= 0xDC00 && r[i] <= 0xDFFF && r[i + 1] >= 0xD800 && r[i + 1] <= 0xDBFF) {
      std::swap(r[i], r[i + 1]);
      ++i;
    }
  return r;
}

Integer IndexStr(const String& s, std::initializer_list<String> values) {
  Integer i = 0;
  for (const auto& v : values) {
    if (v == s) return i;
    ++i;
  }
  return -1;
}
Integer IndexText(const String& s, std::initializer_list<String> values) {
  Integer i = 0;
  for (const auto& v : values) {
    if (AnsiSameText(v, s)) return i;
    ++i;
  }
  return -1;
}

std::vector<String> SplitString(const String& s, const String& delimiters) {
  std::vector<String> r;
  size_t start = 0;
  for (size_t i = 0; i <= s.size(); ++i) {
    if (i == s.size() || delimiters.find(s[i]) != String::npos) {
      r.push_back(s.substr(start, i - start));
      start = i + 1;
    }
  }
  return r;
}

}  // namespace vcl
