// Helpers for forcing processor variants in tests.
#pragma once

#include <vector>

#include "graphics/raster/Pix32_Bindings_qn.h"

namespace rastertest {

// Every implementation registered for an ID that this processor can run, in
// order of registration.
inline std::vector<qn::PFunctionInfo> Variants(qn::TFunctionRegistry* r, qn::Integer id) {
  std::vector<qn::PFunctionInfo> v;
  for (qn::Integer i = 0; i < r->Count(); ++i)
    if (r->Items(i)->FunctionID == id && r->Items(i)->CPUFeatures <= qn::CPUFeatures()) v.push_back(r->Items(i));
  return v;
}

// A priority callback that lets only the given implementation qualify.
inline qn::TFunctionPriority Only(qn::PFunctionInfo info) {
  return [info](qn::PFunctionInfo i) { return i == info ? 0 : qn::INVALID_PRIORITY; };
}

// Binds one implementation for the scope, then restores the default binding.
class ForceVariant {
 public:
  ForceVariant(qn::TFunctionRegistry* r, qn::PFunctionInfo info) : FReg(r), FId(info->FunctionID) {
    FReg->Rebind(FId, Only(info));
  }
  ~ForceVariant() { FReg->Rebind(FId); }
  ForceVariant(const ForceVariant&) = delete;
  ForceVariant& operator=(const ForceVariant&) = delete;

 private:
  qn::TFunctionRegistry* FReg;
  qn::Integer FId;
};

}  // namespace rastertest
