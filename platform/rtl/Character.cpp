#include "platform/rtl/Character.h"

namespace vcl {

namespace {

// Upper -> lower for one code unit; returns c when it has no lower case.
Char LowerOf(Char c) {
  if (c < 0x80) return c >= u'A' && c <= u'Z' ? c + 32 : c;
  if (c < 0x100) return (c >= 0xC0 && c <= 0xDE && c != 0xD7) ? c + 32 : c;
  if (c < 0x180) {
    if (c == 0x130) return u'i';
    if (c == 0x178) return 0xFF;
    if ((c >= 0x100 && c <= 0x12F) || (c >= 0x132 && c <= 0x137) || (c >= 0x14A && c <= 0x177))
      return (c & 1) ? c : c + 1;
    if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E)) return (c & 1) ? c + 1 : c;
    return c;
  }
  if (c < 0x250) {
    // Latin Extended-B: the regular pairs only.
    if ((c >= 0x1CD && c <= 0x1DC)) return (c & 1) ? c + 1 : c;
    if ((c >= 0x1DE && c <= 0x1EF) || (c >= 0x1F8 && c <= 0x21F) || (c >= 0x222 && c <= 0x233) ||
        (c >= 0x246 && c <= 0x24F))
      return (c & 1) ? c : c + 1;
    if (c == 0x1C4 || c == 0x1C7 || c == 0x1CA || c == 0x1F1) return c + 2;
    if (c == 0x1C5 || c == 0x1C8 || c == 0x1CB || c == 0x1F2) return c + 1;
    return c;
  }
  if (c >= 0x370 && c < 0x400) {
    if (c >= 0x391 && c <= 0x3AB && c != 0x3A2) return c + 32;
    if (c == 0x386) return 0x3AC;
    if (c >= 0x388 && c <= 0x38A) return c + 37;
    if (c == 0x38C) return 0x3CC;
    if (c == 0x38E || c == 0x38F) return c + 63;
    if (c >= 0x3D8 && c <= 0x3EF) return (c & 1) ? c : c + 1;
    return c;
  }
  if (c >= 0x400 && c < 0x530) {
    if (c <= 0x40F) return c + 80;
    if (c <= 0x42F) return c + 32;
    if ((c >= 0x460 && c <= 0x481) || (c >= 0x48A && c <= 0x4BF) || (c >= 0x4D0 && c <= 0x52F))
      return (c & 1) ? c : c + 1;
    if (c == 0x4C0) return 0x4CF;
    if (c >= 0x4C1 && c <= 0x4CE) return (c & 1) ? c + 1 : c;
    return c;
  }
  if (c >= 0x531 && c <= 0x556) return c + 48;
  if (c >= 0x1E00 && c <= 0x1EFF) {
    if (c >= 0x1E96 && c <= 0x1E9F) return c;
    return (c & 1) ? c : c + 1;
  }
  if (c >= 0xFF21 && c <= 0xFF3A) return c + 32;
  return c;
}

// Lower -> upper; returns c when it has no upper case.
Char UpperOf(Char c) {
  if (c < 0x80) return c >= u'a' && c <= u'z' ? c - 32 : c;
  if (c < 0x100) {
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return c - 32;
    if (c == 0xFF) return 0x178;
    return c;
  }
  if (c < 0x180) {
    if (c == 0x131) return u'I';
    if (c == 0x17F) return u'S';
    if ((c >= 0x100 && c <= 0x12F) || (c >= 0x132 && c <= 0x137) || (c >= 0x14A && c <= 0x177))
      return (c & 1) ? c - 1 : c;
    if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E)) return (c & 1) ? c : c - 1;
    return c;
  }
  if (c < 0x250) {
    if ((c >= 0x1CD && c <= 0x1DC)) return (c & 1) ? c : c - 1;
    if ((c >= 0x1DE && c <= 0x1EF) || (c >= 0x1F8 && c <= 0x21F) || (c >= 0x222 && c <= 0x233) ||
        (c >= 0x246 && c <= 0x24F))
      return (c & 1) ? c - 1 : c;
    if (c == 0x1C6 || c == 0x1C9 || c == 0x1CC || c == 0x1F3) return c - 2;
    if (c == 0x1C5 || c == 0x1C8 || c == 0x1CB || c == 0x1F2) return c - 1;
    return c;
  }
  if (c >= 0x370 && c < 0x400) {
    if (c == 0x3C2) return 0x3A3;  // final sigma
    if (c >= 0x3B1 && c <= 0x3CB) return c - 32;
    if (c == 0x3AC) return 0x386;
    if (c >= 0x3AD && c <= 0x3AF) return c - 37;
    if (c == 0x3CC) return 0x38C;
    if (c == 0x3CD || c == 0x3CE) return c - 63;
    if (c >= 0x3D8 && c <= 0x3EF) return (c & 1) ? c - 1 : c;
    return c;
  }
  if (c >= 0x400 && c < 0x530) {
    if (c >= 0x430 && c <= 0x44F) return c - 32;
    if (c >= 0x450 && c <= 0x45F) return c - 80;
    if ((c >= 0x460 && c <= 0x481) || (c >= 0x48A && c <= 0x4BF) || (c >= 0x4D0 && c <= 0x52F))
      return (c & 1) ? c - 1 : c;
    if (c == 0x4CF) return 0x4C0;
    if (c >= 0x4C1 && c <= 0x4CE) return (c & 1) ? c : c - 1;
    return c;
  }
  if (c >= 0x561 && c <= 0x586) return c - 48;
  if (c >= 0x1E00 && c <= 0x1EFF) {
    if (c >= 0x1E96 && c <= 0x1E9F) return c;
    return (c & 1) ? c - 1 : c;
  }
  if (c >= 0xFF41 && c <= 0xFF5A) return c - 32;
  return c;
}

struct TRange {
  Char from, to;
};

bool InRanges(Char c, const TRange* r, size_t n) {
  for (size_t i = 0; i < n; ++i)
    if (c >= r[i].from && c <= r[i].to) return true;
  return false;
}

// Letters without case (or whose case the tables leave alone).
constexpr TRange kUncasedLetters[] = {
    {0xAA, 0xAA},     {0xBA, 0xBA},     {0xDF, 0xDF},     {0x138, 0x138},   {0x149, 0x149},
    {0x180, 0x24F},   {0x250, 0x2AF},   {0x2B0, 0x2C1},   {0x5D0, 0x5EA},   {0x5F0, 0x5F2},
    {0x620, 0x64A},   {0x671, 0x6D3},   {0x904, 0x939},   {0xE01, 0xE30},   {0x10A0, 0x10FF},
    {0x1100, 0x11FF}, {0x3041, 0x3096}, {0x30A1, 0x30FA}, {0x3105, 0x312F}, {0x3400, 0x4DBF},
    {0x4E00, 0x9FFF}, {0xAC00, 0xD7A3}, {0xF900, 0xFAFF}, {0xFF66, 0xFF9D}, {0x3B0, 0x3B0},
    {0x390, 0x390},   {0x3D0, 0x3D7},   {0x587, 0x587},   {0x1E96, 0x1E9F}, {0x3F0, 0x3FF}};

constexpr TRange kDigits[] = {{u'0', u'9'},     {0x660, 0x669},   {0x6F0, 0x6F9},
                              {0x966, 0x96F},   {0xE50, 0xE59},   {0xFF10, 0xFF19}};

}  // namespace

Char ToUpper(Char c) { return UpperOf(c); }
Char ToLower(Char c) { return LowerOf(c); }
bool IsUpper(Char c) { return LowerOf(c) != c || c == 0x130; }
bool IsLower(Char c) { return UpperOf(c) != c || c == 0xDF; }

bool IsLetter(Char c) {
  if (c < 0x80) return (c | 32) >= u'a' && (c | 32) <= u'z';
  if (LowerOf(c) != c || UpperOf(c) != c) return true;
  return InRanges(c, kUncasedLetters, std::size(kUncasedLetters));
}

bool IsDigit(Char c) {
  if (c < 0x80) return c >= u'0' && c <= u'9';
  return InRanges(c, kDigits, std::size(kDigits));
}

bool IsNumber(Char c) { return IsDigit(c) || c == 0xB2 || c == 0xB3 || c == 0xB9 || (c >= 0xBC && c <= 0xBE); }
bool IsLetterOrDigit(Char c) { return IsLetter(c) || IsDigit(c); }

bool IsWhiteSpace(Char c) {
  return c == u' ' || (c >= 0x09 && c <= 0x0D) || c == 0x85 || c == 0xA0 || c == 0x1680 ||
         (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 || c == 0x202F || c == 0x205F ||
         c == 0x3000;
}

bool IsControl(Char c) { return c < 0x20 || (c >= 0x7F && c <= 0x9F); }

bool IsPunctuation(Char c) {
  if (c < 0x80)
    return (c >= u'!' && c <= u'/' && c != u'$' && c != u'+') || c == u':' || c == u';' || c == u'?' ||
           c == u'@' || c == u'[' || c == u'\\' || c == u']' || c == u'_' || c == u'{' || c == u'}';
  return c == 0xA1 || c == 0xA7 || c == 0xAB || c == 0xB6 || c == 0xB7 || c == 0xBB || c == 0xBF ||
         (c >= 0x2010 && c <= 0x2027) || (c >= 0x2030 && c <= 0x205E) || (c >= 0x3001 && c <= 0x3003) ||
         (c >= 0x3008 && c <= 0x3011);
}

namespace detail {

Char BaseLetter(Char c) {
  // Latin-1 letters by their base; the multiplication sign, division sign,
  // sharp s, eth and thorn stay themselves.
  static constexpr char kLatin1[] =
      "AAAAAAACEEEEIIII" "DNOOOOO*OUUUUY**"
      "aaaaaaaceeeeiiii" "dnooooo*ouuuuy*y";
  if (c >= 0xC0 && c <= 0xFF) {
    char b = kLatin1[c - 0xC0];
    if (c == 0xD0 || c == 0xF0 || c == 0xDE || c == 0xFE || c == 0xDF) return c;
    return b == '*' ? c : static_cast<Char>(b);
  }
  // Latin Extended-A, in pairs of (upper, lower) from U+0100.
  static constexpr char kExtA[] =
      "AaAaAaCcCcCcCcDd" "DdEeEeEeEeEeGgGg" "GgGgHhHhIiIiIiIi" "Ii**JjKk*LlLlLlL"
      "lLlNnNnNn***OoOo" "Oo**RrRrRrSsSsSs" "SsTtTtTtUuUuUuUu" "UuUuWwYyYZzZzZz*";
  if (c >= 0x100 && c <= 0x17F) {
    char b = kExtA[c - 0x100];
    return b == '*' ? c : static_cast<Char>(b);
  }
  return c;
}

}  // namespace detail

}  // namespace vcl
