// Helpers shared by the tree's source files (not part of the unit's
// interface).
#pragma once

#include <exception>
#include <utility>

#include "platform/rtl/Types.h"
#include "platform/vcl/ExtCtrls.h"

namespace qn::lazytrees_internal {

// Raises what an event handler threw only after the structure is whole
// again, so a failing handler cannot leave links or counters half changed.
class TDeferredError {
 public:
  template <class F>
  void Run(F&& f) {
    try {
      f();
    } catch (...) {
      if (!FError) FError = std::current_exception();
    }
  }
  void RaiseIfAny() {
    if (FError) std::rethrow_exception(std::exchange(FError, nullptr));
  }

 private:
  std::exception_ptr FError;
};

// Holds the update count raised for one operation and gives it back however
// the operation ends.
class TUpdateCountGuard {
 public:
  explicit TUpdateCountGuard(vcl::Cardinal& Count) : FCount(Count) { ++FCount; }
  ~TUpdateCountGuard() { Release(); }
  void Release() {
    if (FHeld && FCount > 0) --FCount;
    FHeld = false;
  }

 private:
  vcl::Cardinal& FCount;
  bool FHeld = true;
};

// Right-to-left cells mirror the horizontal alignment.
inline vcl::TAlignment ChangeBiDiModeAlignment(vcl::TAlignment A) {
  using enum vcl::TAlignment;
  return A == taLeftJustify ? taRightJustify : A == taRightJustify ? taLeftJustify : A;
}

}  // namespace qn::lazytrees_internal
