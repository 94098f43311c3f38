// The package entry points: Initialize runs every unit initialisation once,
// in dependency order; Finalize runs the finalisations in reverse.
#pragma once
#include "platform/rtl/MacroShield.h"

#include <string>

namespace qn {

void Initialize();
void Finalize();
// Version, compiler and build type, for the gallery and bug reports.
std::string BuildInfo();

}  // namespace qn

extern "C" {
void Initialize();
void Finalize();
}

#include "platform/rtl/MacroShieldEnd.h"
