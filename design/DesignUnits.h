// The design package's units. They ask the design host for its services
// while they start, so they are not run with the library's own units: the
// host runs them when it loads the design package.
#pragma once
#include "platform/rtl/MacroShield.h"

namespace qn {

// Hands every design unit to the host's list (each once).
void RegisterDesignUnits();

}  // namespace qn

#include "platform/rtl/MacroShieldEnd.h"
