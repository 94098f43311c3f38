// Function bindings: each speed-critical routine is a procedure variable that
// a registry fills with the best implementation the processor can run.
#pragma once
#include "platform/rtl/MacroShield.h"

#include <functional>
#include <memory>
#include <vector>

#include "graphics/raster/Pix32_System_qn.h"
#include "platform/classes/Persistent.h"

namespace qn {

struct TFunctionInfo {
  Integer FunctionID = 0;
  Pointer Proc = nullptr;
  TCPUFeatures CPUFeatures;
  Integer Flags = 0;
  // Short label of the implementation ("plain", "SSE2", ...), for reports.
  const char* Name = "";
};
using PFunctionInfo = TFunctionInfo*;

struct TFunctionBinding {
  Integer FunctionID = 0;
  PPointer BindVariable = nullptr;
  // The variable's name, for reports.
  const char* Name = "";
};
using PFunctionBinding = TFunctionBinding*;

// Smaller is better; INVALID_PRIORITY excludes the implementation.
using TFunctionPriority = std::function<Integer(PFunctionInfo Info)>;
constexpr Integer INVALID_PRIORITY = 0x7FFFFFFF;

Integer DefaultPriorityProc(PFunctionInfo Info);
// The callback used when none is given; initially DefaultPriorityProc.
extern TFunctionPriority DefaultPriority;

class TFunctionRegistry : public TPersistent {
  QN_CLASS(TFunctionRegistry, TPersistent)
 public:
  TFunctionRegistry() = default;
  ~TFunctionRegistry() override { Clear(); }

  void Clear();
  void RegisterBinding(Integer FunctionID, PPointer BindVariable, const char* Name = "");
  template <class F>
  void RegisterBinding(Integer FunctionID, F** BindVariable, const char* Name = "") {
    RegisterBinding(FunctionID, reinterpret_cast<PPointer>(BindVariable), Name);
  }
  void Add(Integer FunctionID, Pointer Proc, TCPUFeatures CPUFeatures = {}, Integer Flags = 0, const char* Name = "");
  template <class F>
  void Add(Integer FunctionID, F* Proc, TCPUFeatures CPUFeatures = {}, Integer Flags = 0, const char* Name = "") {
    Add(FunctionID, reinterpret_cast<Pointer>(Proc), CPUFeatures, Flags, Name);
  }
  Pointer FindFunction(Integer FunctionID, const TFunctionPriority& PriorityCallback = nullptr) const;
  void Rebind(Integer FunctionID, const TFunctionPriority& PriorityCallback = nullptr);
  void RebindAll(const TFunctionPriority& PriorityCallback = nullptr);

  Integer Count() const { return static_cast<Integer>(FItems.size()); }
  PFunctionInfo Items(Integer Index) const;
  void SetItems(Integer Index, const TFunctionInfo& Value);
  Integer BindingCount() const { return static_cast<Integer>(FBindings.size()); }
  PFunctionBinding Bindings(Integer Index) const;
  // The implementation a binding's variable holds now (nullptr when unknown).
  PFunctionInfo BoundInfo(Integer BindingIndex) const;

  const String& Name() const { return FName; }
  void SetName(const String& Value) { FName = Value; }

 private:
  std::vector<std::unique_ptr<TFunctionInfo>> FItems;
  std::vector<std::unique_ptr<TFunctionBinding>> FBindings;
  String FName;
};

// Creates a registry owned by RegistryList.
TFunctionRegistry* NewRegistry(const String& Name);
// Every registry made by NewRegistry, in creation order (nullptr before the first).
const std::vector<TFunctionRegistry*>* RegistryList();
// Frees every registry, last to first (the unit's finalisation).
void FreeRegistries();

}  // namespace qn

#include "platform/rtl/MacroShieldEnd.h"
