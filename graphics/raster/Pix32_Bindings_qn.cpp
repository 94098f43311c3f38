#include "graphics/raster/Pix32_Bindings_qn.h"

namespace qn {

Integer DefaultPriorityProc(PFunctionInfo Info) {
  return Info->CPUFeatures <= CPUFeatures() ? 0 : INVALID_PRIORITY;
}

TFunctionPriority DefaultPriority = DefaultPriorityProc;

void TFunctionRegistry::Clear() {
  FItems.clear();
  FBindings.clear();
}

void TFunctionRegistry::RegisterBinding(Integer FunctionID, PPointer BindVariable, const char* Name) {
  auto b = std::make_unique<TFunctionBinding>();
  b->FunctionID = FunctionID;
  b->BindVariable = BindVariable;
  b->Name = Name ? Name : "";
  FBindings.push_back(std::move(b));
}

void TFunctionRegistry::Add(Integer FunctionID, Pointer Proc, TCPUFeatures Features, Integer Flags,
                            const char* Name) {
  auto i = std::make_unique<TFunctionInfo>();
  i->FunctionID = FunctionID;
  i->Proc = Proc;
  i->CPUFeatures = Features;
  i->Flags = Flags;
  i->Name = Name ? Name : "";
  FItems.push_back(std::move(i));
}

Pointer TFunctionRegistry::FindFunction(Integer FunctionID, const TFunctionPriority& PriorityCallback) const {
  const TFunctionPriority& cb = PriorityCallback ? PriorityCallback : DefaultPriority;
  Integer best = INVALID_PRIORITY;
  Pointer result = nullptr;
  // From the last added down, taking only strictly better ones: among equal
  // priorities the implementation added last wins.
  for (auto it = FItems.rbegin(); it != FItems.rend(); ++it) {
    if ((*it)->FunctionID != FunctionID) continue;
    Integer p = cb(it->get());
    if (p < best) {
      best = p;
      result = (*it)->Proc;
    }
  }
  return result;
}

void TFunctionRegistry::Rebind(Integer FunctionID, const TFunctionPriority& PriorityCallback) {
  for (auto& b : FBindings)
    if (b->FunctionID == FunctionID) *b->BindVariable = FindFunction(FunctionID, PriorityCallback);
}

void TFunctionRegistry::RebindAll(const TFunctionPriority& PriorityCallback) {
  for (auto& b : FBindings) *b->BindVariable = FindFunction(b->FunctionID, PriorityCallback);
}

PFunctionInfo TFunctionRegistry::Items(Integer Index) const {
  if (Index < 0 || Index >= Count()) throw EListError(u"List index out of bounds");
  return FItems[Index].get();
}

void TFunctionRegistry::SetItems(Integer Index, const TFunctionInfo& Value) { *Items(Index) = Value; }

PFunctionBinding TFunctionRegistry::Bindings(Integer Index) const {
  if (Index < 0 || Index >= BindingCount()) throw EListError(u"List index out of bounds");
  return FBindings[Index].get();
}

PFunctionInfo TFunctionRegistry::BoundInfo(Integer BindingIndex) const {
  PFunctionBinding b = Bindings(BindingIndex);
  for (auto it = FItems.rbegin(); it != FItems.rend(); ++it)
    if ((*it)->FunctionID == b->FunctionID && (*it)->Proc == *b->BindVariable) return it->get();
  return nullptr;
}

namespace {
std::vector<TFunctionRegistry*>* gRegistryList = nullptr;
}

TFunctionRegistry* NewRegistry(const String& Name) {
  if (!gRegistryList) gRegistryList = new std::vector<TFunctionRegistry*>();
  auto* r = new TFunctionRegistry();
  r->SetName(Name);
  gRegistryList->push_back(r);
  return r;
}

const std::vector<TFunctionRegistry*>* RegistryList() { return gRegistryList; }

void FreeRegistries() {
  if (!gRegistryList) return;
  while (!gRegistryList->empty()) {
    delete gRegistryList->back();
    gRegistryList->pop_back();
  }
  delete gRegistryList;
  gRegistryList = nullptr;
}

}  // namespace qn
