// Hooks the node model calls into code that paints, scrolls and edits. The
// base tree answers them with their neutral behaviour: a repaint of the
// window where one is due, no editor and no scrolling of the view.
#include <algorithm>

#include "treeview/LazyTrees_qn.h"

namespace qn {

void TBaseLazyTree_qn::InvalidateNode(PLazyNode) {
  if (HandleAllocated() && FUpdateCount == 0) Invalidate();
}

void TBaseLazyTree_qn::InvalidateToBottom(PLazyNode) {
  if (HandleAllocated() && FUpdateCount == 0) Invalidate();
}

void TBaseLazyTree_qn::UpdateScrollBars(bool) {}

void TBaseLazyTree_qn::UpdateVerticalRange() {
  if (FRoot) FRangeY = Integer(FRoot->TotalHeight) - Integer(FRoot->NodeHeight);
}

void TBaseLazyTree_qn::UpdateHorizontalRange() {}

void TBaseLazyTree_qn::UpdateRanges() {
  UpdateVerticalRange();
  UpdateHorizontalRange();
}

bool TBaseLazyTree_qn::ScrollIntoView(PLazyNode, bool, bool) { return false; }

void TBaseLazyTree_qn::SetTopNode(PLazyNode) {}

void TBaseLazyTree_qn::SetBottomNode(PLazyNode) {}

void TBaseLazyTree_qn::SetOffsetY(Integer Value) {
  Integer lowest = 0;
  if (HandleAllocated()) lowest = std::min(0, ClientHeight() - FRangeY);
  Value = std::clamp(Value, lowest, 0);
  if (Value == FOffsetY) return;
  FOffsetY = Value;
  if (HandleAllocated()) Invalidate();
}

void TBaseLazyTree_qn::UpdateEditBounds() {}

void TBaseLazyTree_qn::DoCancelEdit() {
  DoStateChange({}, {tsEditing, tsEditPending});
  FEditNode = nullptr;
}

bool TBaseLazyTree_qn::EndEditNode() {
  // Without an editor there is nothing that could refuse to end.
  DoCancelEdit();
  return true;
}

void TBaseLazyTree_qn::InvalidateColumn(TColumnIndex) {
  if (HandleAllocated() && FUpdateCount == 0) Invalidate();
}

void TBaseLazyTree_qn::CancelEditNode() {
  if (FStates.Contains(tsEditing) || FStates.Contains(tsEditPending)) DoCancelEdit();
}

void TBaseLazyTree_qn::CancelHintAndLeave() { DoStateChange({}, {tsHint}); }

void TBaseLazyTree_qn::EmptyClipboardMarks() {
  for (PLazyNode n = GetFirstNoInit(false); n; n = GetNextNoInit(n, false)) n->States.Exclude(vsCutOrCopy);
}

}  // namespace qn
