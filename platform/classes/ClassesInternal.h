// Host-internal helpers that the streaming, form-text and property units share.
#pragma once

#include "platform/rtl/System.h"

#include <charconv>
#include <clocale>
#include <cstdlib>
#include <string>

namespace vcl::classes_detail {

inline char16_t FoldAscii(char16_t c) { return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - 32) : c; }

// Identifiers of forms and properties match without regard to ASCII case.
inline bool SameIdent(const String& a, const String& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
  return true;
}

inline String IntStr(Int64 v) { return FromUtf8(std::to_string(v)); }

// Numbers in form files and streams are spelled with a point whatever locale
// the program chose with setlocale: the C library's conversions follow its
// LC_NUMERIC (a comma under de_DE), these never do.
inline locale_t CNumericLocale() {
  static const locale_t c = newlocale(LC_ALL_MASK, "C", locale_t(nullptr));
  return c;
}
// strtof, strtod and strtold as in the C locale: the same overflow to an
// infinity and the same end of the number.
template <class T>
T ParseFloatC(const char* s) {
  if constexpr (sizeof(T) == sizeof(float)) return strtof_l(s, nullptr, CNumericLocale());
  else if constexpr (sizeof(T) == sizeof(double)) return strtod_l(s, nullptr, CNumericLocale());
  else return strtold_l(s, nullptr, CNumericLocale());
}
// printf's %.<prec>g (general), %.<prec>e (scientific) or %.<prec>f (fixed)
// in the C locale.
template <class T>
std::string FormatFloatC(T v, std::chars_format format, int prec) {
  char buf[96];
  auto r = std::to_chars(buf, buf + sizeof buf, v, format, prec);
  return std::string(buf, r.ptr);
}

}  // namespace vcl::classes_detail
