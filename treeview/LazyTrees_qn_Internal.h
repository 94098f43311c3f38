// Helpers shared by the tree's source files (not part of the unit's
// interface).
#pragma once

#include <exception>
#include <utility>

#include "platform/rtl/Types.h"
#include "platform/vcl/ExtCtrls.h"

namespace qn {
class TBaseLazyTree_qn;
class TVTDataObject;
}  // namespace qn

namespace qn::lazytrees_internal {

// The live trees of the process under 32-bit tokens that are never reused,
// so a reference to a tree that is gone resolves to nothing. Forgetting a
// tree detaches the data objects made from it.
void RememberLiveTree(TBaseLazyTree_qn* Tree);
void ForgetLiveTree(TBaseLazyTree_qn* Tree);
vcl::Cardinal LiveTreeToken(const TBaseLazyTree_qn* Tree);
TBaseLazyTree_qn* LiveTreeOfToken(vcl::Cardinal Token);
bool AttachDataObject(TBaseLazyTree_qn* Tree, TVTDataObject* DataObject);
void DetachDataObject(TBaseLazyTree_qn* Tree, TVTDataObject* DataObject);

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

// Visits Node's descendants in pre-order over the links (first child, next
// sibling, parent) instead of a call per level, since a tree may be far
// deeper than any stack. Visit(run) says whether to go down into run's
// children; the links are read after it, so it may make them.
template <class NodePtr, class Visit>
void WalkSubtree(NodePtr Node, Visit&& Enter) {
  NodePtr run = Node->FirstChild;
  while (run) {
    if (Enter(run) && run->FirstChild) {
      run = run->FirstChild;
      continue;
    }
    while (!run->NextSibling) {
      run = run->Parent;
      if (run == Node) return;
    }
    run = run->NextSibling;
  }
}

// Right-to-left cells mirror the horizontal alignment.
inline vcl::TAlignment ChangeBiDiModeAlignment(vcl::TAlignment A) {
  using enum vcl::TAlignment;
  return A == taLeftJustify ? taRightJustify : A == taRightJustify ? taLeftJustify : A;
}

}  // namespace qn::lazytrees_internal
