// The position cache. Until the background validation is in place the
// cache is only marked stale and never used, so every position look-up
// walks from the first visible node.
#include "treeview/LazyTrees_qn.h"

namespace qn {

void TBaseLazyTree_qn::InvalidateCache() { DoStateChange({tsValidationNeeded}, {tsUseCache}); }

void TBaseLazyTree_qn::ValidateCache() {
  InterruptValidation();
  FStartIndex = 0;
}

void TBaseLazyTree_qn::InterruptValidation() { DoStateChange({tsStopValidation}, {tsUseCache}); }

bool TBaseLazyTree_qn::DoValidateCache() { return false; }

Integer TBaseLazyTree_qn::CalculateCacheEntryCount() const { return 0; }

PLazyNode TBaseLazyTree_qn::FindInPositionCache(PLazyNode, Cardinal& CurrentPos) const {
  CurrentPos = 0;
  return nullptr;
}

PLazyNode TBaseLazyTree_qn::FindInPositionCache(Cardinal, Cardinal& CurrentPos) const {
  CurrentPos = 0;
  return nullptr;
}

PLazyNode TBaseLazyTree_qn::GetNodeAt(Integer X, Integer Y, bool Relative, Integer& NodeTop) {
  (void)X;
  if (Y < 0) Y = 0;
  Integer position = Relative ? Y - FOffsetY : Y;
  Integer top = 0;
  for (PLazyNode run = GetFirstVisibleNoInit(nullptr, true); run; run = GetNextVisibleNoInit(run, true)) {
    Integer h = Integer(run->NodeHeight);
    if (position < top + h) {
      NodeTop = Relative ? top + FOffsetY : top;
      return run;
    }
    top += h;
  }
  return nullptr;
}

PLazyNode TBaseLazyTree_qn::GetNodeAt(Integer X, Integer Y) {
  Integer top;
  return GetNodeAt(X, Y, true, top);
}

PLazyNode TBaseLazyTree_qn::GetNodeAt(const TPoint& P) { return GetNodeAt(P.X, P.Y); }

void TBaseLazyTree_qn::WMChangeState(TMessage&) {}

void AddThreadReference() {}
void ReleaseThreadReference(TBaseLazyTree_qn*) {}
TWorkerThread* WorkerThread() { return nullptr; }
HANDLE WorkEvent() { return nullptr; }

}  // namespace qn
