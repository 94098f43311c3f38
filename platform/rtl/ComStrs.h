// The common-control strings the date pickers report with. The host keeps no
// resource-string table, so they are constants; "%s" takes a date text
// (DateToStr).
#pragma once
#include "platform/rtl/MacroShield.h"

#include "platform/rtl/Types.h"

namespace vcl {

inline constexpr const char16_t* sDateTimeMin = u"Date is less than the minimum of %s";
inline constexpr const char16_t* sDateTimeMax = u"Date exceeds the maximum of %s";
inline constexpr const char16_t* sFailSetCalDateTime = u"Failed to set the calendar date or time";

}  // namespace vcl

#include "platform/rtl/MacroShieldEnd.h"
