// Unit initialisation: each unit of the system registers an initialisation
// and a finalisation with the names of the units it uses. InitializeUnits runs
// them once per process, each unit after the units it uses (registration order
// otherwise); FinalizeUnits runs the finalisations in reverse. No unit does
// work during static initialisation.
#pragma once
#include "platform/rtl/MacroShield.h"

#include <string>
#include <vector>

namespace vcl {

struct TUnitInfo {
  const char* Name;
  std::vector<const char*> Uses;
  void (*Initialization)() = nullptr;
  void (*Finalization)() = nullptr;
};

// Registering a unit twice keeps the first registration.
void RegisterUnit(const TUnitInfo& unit);
// Raises EInvalidOperation for a use of an unregistered unit or a cycle.
void InitializeUnits();
void FinalizeUnits();
bool UnitsInitialized();
// Names in the order their initialisations ran (empty before InitializeUnits).
std::vector<std::string> UnitInitOrder();

}  // namespace vcl

#include "platform/rtl/MacroShieldEnd.h"
