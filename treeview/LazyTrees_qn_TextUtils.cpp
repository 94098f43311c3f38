// Text helpers of the tree unit: shortening a text with an ellipsis, word
// wrapping into a width and measuring a (multi-line) text as DrawText lays
// it out. The header's captions and the string tree's cells use them.
#include <algorithm>
#include <vector>

#include "platform/gdi/Gdi.h"
#include "platform/rtl/Character.h"
#include "treeview/LazyTrees_qn.h"

namespace qn {

namespace {

const String Ellipsis = u"...";

Integer ExtentOf(HDC DC, const Char* S, Integer Count) {
  SIZE size{};
  GetTextExtentPoint32W(DC, S, Count, &size);
  return size.cx;
}

Integer DrawWidthOf(HDC DC, const String& S, Cardinal DrawFormat) {
  TRect r(0, 0, 0, 0);
  GetStringDrawRect(DC, S, r, DrawFormat);
  return r.Right - r.Left;
}

}  // namespace

String ShortenString(HDC DC, const String& S, Integer Width, Integer EllipsisWidth) {
  if (S.empty() || Width <= 0) return String();
  if (EllipsisWidth == 0) EllipsisWidth = ExtentOf(DC, Ellipsis.c_str(), 3);
  if (Width <= EllipsisWidth) return String();
  // A text that fits stays whole: an ellipsis would hide nothing.
  if (ExtentOf(DC, S.c_str(), Integer(S.size())) <= Width) return S;
  // The longest prefix that leaves room for the ellipsis; extents grow with
  // the prefix, so a binary search finds it.
  Integer low = 0, high = Integer(S.size()) - 1;
  while (low < high) {
    Integer n = Integer(Cardinal(low + high + 1) >> 1);
    if (ExtentOf(DC, S.c_str(), n) + EllipsisWidth <= Width) low = n;
    else high = n - 1;
  }
  // Cutting between the halves of a surrogate pair would leave a broken
  // character before the ellipsis.
  if (low > 0 && IsHighSurrogate(S[std::size_t(low - 1)])) --low;
  return S.substr(0, std::size_t(low)) + Ellipsis;
}

void GetStringDrawRect(HDC DC, const String& S, TRect& Bounds, Cardinal DrawFormat) {
  Bounds.Right = Bounds.Left + 1;
  Bounds.Bottom = Bounds.Top + 1;
  RECT r = Bounds;
  DrawTextW(DC, S.c_str(), Integer(S.size()), &r, DrawFormat | DT_CALCRECT);
  Bounds = r;
}

String WrapString(HDC DC, const String& S, const TRect& Bounds, bool RTL, Cardinal DrawFormat) {
  String text = Trim(S);
  if (text.empty()) return String();
  const Integer width = Bounds.Right - Bounds.Left;

  // Split at single spaces (two in a row give an empty word). The next word
  // to place is always the last entry: the text's first word, or for
  // right-to-left text its last one, since those lines fill from the end.
  std::vector<String> words;
  for (std::size_t start = 0;;) {
    std::size_t space = text.find(u' ', start);
    words.push_back(text.substr(start, space == String::npos ? String::npos : space - start));
    if (space == String::npos) break;
    start = space + 1;
  }
  if (!RTL) std::reverse(words.begin(), words.end());

  std::vector<String> lines;
  String line;
  while (!words.empty()) {
    String& word = words.back();
    String candidate = line.empty() ? word : RTL ? word + u" " + line : line + u" " + word;
    if (DrawWidthOf(DC, candidate, DrawFormat) <= width) {
      line = std::move(candidate);
      words.pop_back();
      continue;
    }
    if (!line.empty()) {
      lines.push_back(std::move(line));
      line.clear();
      continue;
    }
    // The word alone is too wide: the longest part that fits goes on a line
    // of its own (left part, right part for right-to-left text), one
    // character at least, and the rest waits for the next line.
    Integer length = Integer(word.size());
    Integer take = length <= 1 ? length : 1;
    for (Integer n = length - 1; n >= 2; --n) {
      String part = RTL ? word.substr(std::size_t(length - n)) : word.substr(0, std::size_t(n));
      if (DrawWidthOf(DC, part, DrawFormat) <= width) {
        take = n;
        break;
      }
    }
    // A cut inside a surrogate pair moves so that the part shrinks, unless
    // the pair is all there is to take.
    if (RTL) {
      Integer cut = length - take;
      if (cut > 0 && IsHighSurrogate(word[std::size_t(cut - 1)])) cut = cut + 1 < length ? cut + 1 : cut - 1;
      lines.push_back(word.substr(std::size_t(cut)));
      word.erase(std::size_t(cut));
    } else {
      Integer cut = take;
      if (cut > 0 && cut < length && IsHighSurrogate(word[std::size_t(cut - 1)])) cut = cut > 1 ? cut - 1 : cut + 1;
      lines.push_back(word.substr(0, std::size_t(cut)));
      word.erase(0, std::size_t(cut));
    }
    if (word.empty()) words.pop_back();
  }
  if (!line.empty()) lines.push_back(std::move(line));

  // Right-to-left lines were made from the end of the text backwards; they
  // are laid out top to bottom in reading order all the same.
  if (RTL) std::reverse(lines.begin(), lines.end());
  String result;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (i > 0) result += u'\n';
    result += lines[i];
  }
  return result;
}

}  // namespace qn
