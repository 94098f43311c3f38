// Host-internal helpers that the streaming, form-text and property units share.
#pragma once

#include "platform/rtl/System.h"

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

}  // namespace vcl::classes_detail
