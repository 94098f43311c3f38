// The design package's life in the host: its units (registered like the
// library's own, but never run by qn::Initialize) are initialised when the
// host loads the package, each unit's Register then runs, and unloading
// finalises them in reverse and drops every registration they made.
//
// The package is a module of its own: GetModuleFileNameW of its instance
// answers the design-module name (settable, as the host would install it).
#pragma once
#include "platform/rtl/MacroShield.h"

#include "platform/ide/ToolsAPI.h"
#include "platform/rtl/Units.h"
#include "platform/user/User.h"

namespace vcl {

// Registering a unit twice keeps the first registration. Register (may be
// nil) is the unit's registration procedure.
void RegisterDesignUnit(const TUnitInfo& Unit, void (*Register)() = nullptr);
// Forgets the registered design units (a loaded package is unloaded first).
void ClearDesignUnits();

// Installs Host as the services (nil: no-services mode), initialises the
// design units (each after the design units it uses) and calls each
// Register in registration order. EInvalidOperation when already loaded; an
// initialisation or Register that raises unloads what was loaded and the
// exception goes on.
void LoadDesignPackage(TIdeServices* Host);
void UnloadDesignPackage();
bool DesignPackageLoaded();
// The unit names in the order they were initialised by the last load.
std::vector<std::string> DesignUnitInitOrder();

HINSTANCE DesignPackageInstance();
void SetDesignModuleName(const String& FileName);
String DesignModuleName();

// The file of a module: the design package's for its instance, the
// program's for nil or the program's instance. Copies at most Size - 1
// characters and a terminator; a longer name is cut, with
// ERROR_INSUFFICIENT_BUFFER and the answer Size. 0 for an unknown module.
DWORD GetModuleFileNameW(HMODULE Module, Char* FileName, DWORD Size);

}  // namespace vcl

#include "platform/rtl/MacroShieldEnd.h"
