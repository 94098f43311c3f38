// Character classification and case mapping for UTF-16 code units. The
// tables cover the scripts the system shows: Latin (with Latin-1, Extended-A
// and -B and the Vietnamese block), Greek, Cyrillic, Armenian, Hebrew,
// Arabic, the CJK blocks and full-width forms. Surrogates are neither
// letters nor digits.
#pragma once
#include "platform/rtl/MacroShield.h"

#include "platform/rtl/Types.h"

namespace vcl {

Char ToUpper(Char c);
Char ToLower(Char c);
bool IsUpper(Char c);
bool IsLower(Char c);
bool IsLetter(Char c);
// Decimal digits of every script in the tables, not only 0..9.
bool IsDigit(Char c);
bool IsNumber(Char c);
bool IsLetterOrDigit(Char c);
bool IsWhiteSpace(Char c);
bool IsControl(Char c);
bool IsPunctuation(Char c);
inline bool IsHighSurrogate(Char c) { return c >= 0xD800 && c <= 0xDBFF; }
inline bool IsLowSurrogate(Char c) { return c >= 0xDC00 && c <= 0xDFFF; }
inline bool IsSurrogate(Char c) { return c >= 0xD800 && c <= 0xDFFF; }

namespace detail {
// The letter without its accent (U+00E9 -> 'e') for Latin-1 and Latin
// Extended-A letters; other characters map to themselves. Used for the
// linguistic comparisons.
Char BaseLetter(Char c);
}  // namespace detail

}  // namespace vcl

#include "platform/rtl/MacroShieldEnd.h"
