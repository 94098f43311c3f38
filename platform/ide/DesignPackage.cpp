#include "platform/ide/DesignPackage.h"

#include <cstring>

#include "platform/ide/DesignIntf.h"
#include "platform/rtl/SysUtils.h"
#include "platform/user/Resources.h"

namespace vcl {

namespace {

struct TDesignUnit {
  TUnitInfo Info;
  void (*Register)();
};

struct TPackageState {
  std::vector<TDesignUnit> Units;
  std::vector<size_t> Initialized;  // in run order
  bool Loaded = false;
  TIdeServices* SavedServices = nullptr;
  String ModuleName = u"QuarnDesign.bpl";
};

TPackageState& State() {
  static TPackageState s;
  return s;
}

// A handle of its own, apart from the program's.
constexpr uintptr_t kPackageInstance = 0x10000000;
constexpr DWORD kErrorModNotFound = 126;

std::vector<size_t> InitOrder() {
  auto& units = State().Units;
  std::vector<int> mark(units.size(), 0);
  std::vector<size_t> order;
  auto find = [&](const char* name) -> long {
    for (size_t i = 0; i < units.size(); ++i)
      if (std::strcmp(units[i].Info.Name, name) == 0) return long(i);
    return -1;  // a unit of the library: initialised already
  };
  auto visit = [&](auto&& self, size_t i) -> void {
    if (mark[i] == 2) return;
    if (mark[i] == 1) throw EInvalidOperation(u"Circular unit reference to " + FromUtf8(units[i].Info.Name));
    mark[i] = 1;
    for (const char* u : units[i].Info.Uses)
      if (long j = find(u); j >= 0) self(self, size_t(j));
    mark[i] = 2;
    order.push_back(i);
  };
  for (size_t i = 0; i < units.size(); ++i) visit(visit, i);
  return order;
}

}  // namespace

void RegisterDesignUnit(const TUnitInfo& Unit, void (*Register)()) {
  for (auto& u : State().Units)
    if (std::strcmp(u.Info.Name, Unit.Name) == 0) return;
  State().Units.push_back({Unit, Register});
}

void ClearDesignUnits() {
  if (State().Loaded) UnloadDesignPackage();
  State().Units.clear();
}

void LoadDesignPackage(TIdeServices* Host) {
  auto& s = State();
  if (s.Loaded) throw EInvalidOperation(u"The design package is already loaded");
  std::vector<size_t> order = InitOrder();
  s.SavedServices = SetIdeServices(Host);
  s.Loaded = true;
  s.Initialized.clear();
  try {
    for (size_t i : order) {
      if (s.Units[i].Info.Initialization) s.Units[i].Info.Initialization();
      s.Initialized.push_back(i);
    }
    for (auto& u : s.Units)
      if (u.Register) u.Register();
  } catch (...) {
    UnloadDesignPackage();
    throw;
  }
}

void UnloadDesignPackage() {
  auto& s = State();
  if (!s.Loaded) return;
  auto done = std::move(s.Initialized);
  s.Initialized.clear();
  for (auto it = done.rbegin(); it != done.rend(); ++it) {
    try {
      if (s.Units[*it].Info.Finalization) s.Units[*it].Info.Finalization();
    } catch (...) {
      // One unit's failure must not keep the others loaded.
    }
  }
  ResetRegistrations();
  SetIdeServices(s.SavedServices);
  s.SavedServices = nullptr;
  s.Loaded = false;
  s.Initialized = std::move(done);  // kept for DesignUnitInitOrder
}

bool DesignPackageLoaded() { return State().Loaded; }

std::vector<std::string> DesignUnitInitOrder() {
  std::vector<std::string> r;
  for (size_t i : State().Initialized) r.emplace_back(State().Units[i].Info.Name);
  return r;
}

HINSTANCE DesignPackageInstance() { return reinterpret_cast<HINSTANCE>(kPackageInstance); }
void SetDesignModuleName(const String& FileName) { State().ModuleName = FileName; }
String DesignModuleName() { return State().ModuleName; }

DWORD GetModuleFileNameW(HMODULE Module, Char* FileName, DWORD Size) {
  String name;
  if (Module == DesignPackageInstance()) name = State().ModuleName;
  else if (!Module || Module == static_cast<HINSTANCE>(HInstance)) name = GetModuleFileName();
  else {
    SetLastError(kErrorModNotFound);
    return 0;
  }
  if (!FileName || Size == 0) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  if (name.size() < Size) {
    std::copy(name.begin(), name.end(), FileName);
    FileName[name.size()] = 0;
    SetLastError(0);
    return DWORD(name.size());
  }
  std::copy(name.begin(), name.begin() + (Size - 1), FileName);
  FileName[Size - 1] = 0;
  SetLastError(ERROR_INSUFFICIENT_BUFFER);
  return Size;
}

}  // namespace vcl
