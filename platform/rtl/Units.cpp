#include "platform/rtl/Units.h"

#include <algorithm>
#include <cstring>
#include <mutex>

#include "platform/rtl/System.h"

namespace vcl {

namespace {
struct UnitTable {
  std::mutex lock;
  std::vector<TUnitInfo> units;
  std::vector<size_t> order;  // indices of initialised units, in run order
  bool initialized = false;
};
UnitTable& Table() {
  static UnitTable t;
  return t;
}
}  // namespace

void RegisterUnit(const TUnitInfo& unit) {
  auto& t = Table();
  std::lock_guard g(t.lock);
  for (auto& u : t.units)
    if (std::strcmp(u.Name, unit.Name) == 0) return;
  t.units.push_back(unit);
}

void InitializeUnits() {
  auto& t = Table();
  std::unique_lock g(t.lock);
  if (t.initialized) return;
  // Depth-first over the uses, in registration order: the platform's rule.
  std::vector<int> state(t.units.size(), 0);  // 0 new, 1 visiting, 2 done
  std::vector<size_t> order;
  auto find = [&](const char* name) -> size_t {
    for (size_t i = 0; i < t.units.size(); ++i)
      if (std::strcmp(t.units[i].Name, name) == 0) return i;
    throw EInvalidOperation(u"Unit " + FromUtf8(name) + u" is used but not registered");
  };
  auto visit = [&](auto&& self, size_t i) -> void {
    if (state[i] == 2) return;
    if (state[i] == 1) throw EInvalidOperation(u"Circular unit reference to " + FromUtf8(t.units[i].Name));
    state[i] = 1;
    for (const char* u : t.units[i].Uses) self(self, find(u));
    state[i] = 2;
    order.push_back(i);
  };
  for (size_t i = 0; i < t.units.size(); ++i) visit(visit, i);
  t.initialized = true;
  auto units = t.units;
  g.unlock();
  // Run outside the lock: an initialisation may itself register classes.
  std::vector<size_t> done;
  try {
    for (size_t i : order) {
      if (units[i].Initialization) units[i].Initialization();
      done.push_back(i);
    }
  } catch (...) {
    for (auto it = done.rbegin(); it != done.rend(); ++it)
      if (units[*it].Finalization) units[*it].Finalization();
    g.lock();
    t.initialized = false;
    throw;
  }
  g.lock();
  t.order = std::move(done);
}

void FinalizeUnits() {
  auto& t = Table();
  std::unique_lock g(t.lock);
  if (!t.initialized) return;
  auto order = std::move(t.order);
  auto units = t.units;
  t.order.clear();
  t.initialized = false;
  g.unlock();
  for (auto it = order.rbegin(); it != order.rend(); ++it) {
    try {
      if (units[*it].Finalization) units[*it].Finalization();
    } catch (...) {
      // A finalisation must not keep the others from running.
    }
  }
}

bool UnitsInitialized() {
  auto& t = Table();
  std::lock_guard g(t.lock);
  return t.initialized;
}

std::vector<std::string> UnitInitOrder() {
  auto& t = Table();
  std::lock_guard g(t.lock);
  std::vector<std::string> names;
  for (size_t i : t.order) names.emplace_back(t.units[i].Name);
  return names;
}

}  // namespace vcl
