// The keys a one-value track control answers: arrows and +/- step by one
// inside the range, Page Up/Down by one without the range check, Home/End
// jump to the ends.
#pragma once
#include "platform/rtl/MacroShield.h"

#include <cstdint>

#include "platform/user/User.h"

namespace qn {

// False for a key the track does not take; otherwise Value holds the value
// the key asks for.
inline bool TrackKeyValue(vcl::Word Key, vcl::Integer Min, vcl::Integer Max, vcl::Integer& Value) {
  switch (Key) {
    case VK_UP:
    case VK_RIGHT:
    case VK_ADD:
      if (Value < Max) ++Value;
      return true;
    case VK_LEFT:
    case VK_DOWN:
    case VK_SUBTRACT:
      if (Value > Min) --Value;
      return true;
    case VK_PRIOR:
      if (Value != INT32_MAX) ++Value;
      return true;
    case VK_NEXT:
      if (Value != INT32_MIN) --Value;
      return true;
    case VK_END: Value = Max; return true;
    case VK_HOME: Value = Min; return true;
    default: return false;
  }
}

}  // namespace qn

#include "platform/rtl/MacroShieldEnd.h"
