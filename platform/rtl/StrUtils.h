// The platform's StrUtils: tests and pieces of strings ("Text" forms ignore
// case, "Str" forms do not). Pos and PosEx live in SysUtils.
#pragma once
#include "platform/rtl/MacroShield.h"

#include <vector>

#include "platform/rtl/SysUtils.h"

namespace vcl {

String LeftStr(const String& s, Integer count);
String RightStr(const String& s, Integer count);
String MidStr(const String& s, Integer start, Integer count);
bool StartsStr(const String& sub, const String& s);
bool StartsText(const String& sub, const String& s);
bool EndsStr(const String& sub, const String& s);
bool EndsText(const String& sub, const String& s);
bool ContainsStr(const String& s, const String& sub);
bool ContainsText(const String& s, const String& sub);
inline bool AnsiStartsText(const String& sub, const String& s) { return StartsText(sub, s); }
inline bool AnsiEndsText(const String& sub, const String& s) { return EndsText(sub, s); }
inline bool AnsiContainsText(const String& s, const String& sub) { return ContainsText(s, sub); }
String ReplaceStr(const String& s, const String& from, const String& to);
String ReplaceText(const String& s, const String& from, const String& to);
String DupeString(const String& s, Integer count);
String ReverseString(const String& s);
// Index of s in values (-1 when absent).
Integer IndexStr(const String& s, std::initializer_list<String> values);
Integer IndexText(const String& s, std::initializer_list<String> values);
inline bool MatchStr(const String& s, std::initializer_list<String> values) { return IndexStr(s, values) >= 0; }
inline bool MatchText(const String& s, std::initializer_list<String> values) { return IndexText(s, values) >= 0; }
inline String IfThen(bool cond, const String& t, const String& f = String()) { return cond ? t : f; }
// Pieces between any of the delimiter characters (empty pieces kept).
std::vector<String> SplitString(const String& s, const String& delimiters);

}  // namespace vcl

#include "platform/rtl/MacroShieldEnd.h"
