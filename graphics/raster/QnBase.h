// Base header of the graphics library: the library lives in namespace qn and
// sees the host layer's names through one using-directive, made here only.
#pragma once
#include "platform/rtl/MacroShield.h"

#include "platform/rtl/Math.h"
#include "platform/rtl/System.h"
#include "platform/rtl/Types.h"

namespace qn {
using namespace vcl;
}  // namespace qn

#include "platform/rtl/MacroShieldEnd.h"
