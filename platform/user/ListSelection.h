// The selection rules the window server's list-like controls share (the list
// box and the common list view): what a click does to the selection in
// single, multiple and extended mode, and the type-ahead search on item
// texts.
#pragma once
#include "platform/rtl/MacroShield.h"

#include <functional>

#include "platform/rtl/SysUtils.h"
#include "platform/user/User.h"

namespace vcl {

enum class TClickSelect {
  Only,    // the item alone becomes selected, and the anchor
  Toggle,  // the item flips, and becomes the anchor
  Range,   // anchor to item selected, everything else cleared
  Add      // anchor to item selected, the rest kept
};

// Multiple selection without extended rules toggles on every click.
inline TClickSelect ClickSelection(bool multi, bool extended, bool shift, bool ctrl) {
  if (!multi) return TClickSelect::Only;
  if (!extended) return TClickSelect::Toggle;
  if (shift) return ctrl ? TClickSelect::Add : TClickSelect::Range;
  return ctrl ? TClickSelect::Toggle : TClickSelect::Only;
}

// The first item after start (round the end; start itself last) whose text
// begins with prefix, ignoring case; -1 when none does. A start outside the
// items searches from the first.
inline int FindItemPrefix(int count, int start, const String& prefix, const std::function<String(int)>& text) {
  if (count <= 0) return -1;
  if (start < -1 || start >= count) start = -1;
  String want = AnsiUpperCase(prefix);
  for (int k = 1; k <= count; ++k) {
    int i = (start + k) % count;
    if (AnsiUpperCase(text(i)).compare(0, want.size(), want) == 0) return i;
  }
  return -1;
}

// Type-ahead: characters typed within a second of each other build one
// prefix; a character repeated alone steps through the items that begin
// with it.
class TTypeAhead {
 public:
  // The item to go to after typing c at time now (ms) with the caret on
  // caret; -1 when nothing matches.
  int Type(char16_t c, DWORD now, int count, int caret, const std::function<String(int)>& text) {
    if (FPrefix.empty() || now - FLast > 1000) FPrefix.clear();
    FLast = now;
    FPrefix += c;
    bool repeat = FPrefix.find_first_not_of(FPrefix[0]) == String::npos;
    if (repeat) return FindItemPrefix(count, caret, FPrefix.substr(0, 1), text);
    // A longer prefix may still match the caret's own item.
    return FindItemPrefix(count, caret - 1, FPrefix, text);
  }

 private:
  String FPrefix;
  DWORD FLast = 0;
};

}  // namespace vcl

#include "platform/rtl/MacroShieldEnd.h"
