// Hooks the node model calls into code that paints, scrolls, selects, edits
// and sorts. The base tree answers them with their neutral behaviour: a
// repaint of the window where one is due, the selection kept as a plain
// array of nodes, no editor, no sorting and no scrolling of the view.
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

void TBaseLazyTree_qn::CancelEditNode() {
  if (FStates.Contains(tsEditing) || FStates.Contains(tsEditPending)) DoCancelEdit();
}

void TBaseLazyTree_qn::DoFocusNode(PLazyNode Node, bool) {
  if (Node == FRoot) Node = nullptr;
  if (Node == FFocusedNode) return;
  if (FEditNode && FEditNode != Node) DoCancelEdit();
  FFocusedNode = Node;
}

void TBaseLazyTree_qn::DoFocusChange(PLazyNode Node, TColumnIndex) {
  if (Assigned(OnFocusChanged)) OnFocusChanged(this, Node);
}

void TBaseLazyTree_qn::ResetRangeAnchor() { FRangeAnchor = FFocusedNode; }

void TBaseLazyTree_qn::InternalAddToSelection(const TNodeArray& NewItems, Integer NewLength, bool) {
  for (Integer i = 0; i < NewLength; ++i) {
    PLazyNode n = NewItems[size_t(i)];
    if (!n || n->States.Contains(vsSelected)) continue;
    n->States.Include(vsSelected);
    if (size_t(FSelectionCount) < FSelection.size()) FSelection[size_t(FSelectionCount)] = n;
    else FSelection.push_back(n);
    ++FSelectionCount;
    FLastSelected = n;
  }
}

void TBaseLazyTree_qn::InternalRemoveFromSelection(PLazyNode Node) {
  if (!Node->States.Contains(vsSelected)) return;
  Node->States.Exclude(vsSelected);
  auto end = FSelection.begin() + FSelectionCount;
  auto it = std::find(FSelection.begin(), end, Node);
  if (it != end) {
    std::copy(it + 1, end, it);
    --FSelectionCount;
    FSelection[size_t(FSelectionCount)] = nullptr;
  }
  if (FLastSelected == Node) FLastSelected = nullptr;
}

void TBaseLazyTree_qn::RemoveFromSelection(PLazyNode Node) {
  if (!Node->States.Contains(vsSelected)) return;
  InternalRemoveFromSelection(Node);
  Change(Node);
}

void TBaseLazyTree_qn::ClearSelection() {
  bool any = FSelectionCount > 0;
  for (Integer i = 0; i < FSelectionCount; ++i)
    if (FSelection[size_t(i)]) FSelection[size_t(i)]->States.Exclude(vsSelected);
  FSelection.clear();
  FSelectionCount = 0;
  FLastSelected = nullptr;
  if (any) Change(nullptr);
}

Integer TBaseLazyTree_qn::PackArray() {
  // Nodes leave the array when they are freed, so it never holds stale
  // entries; there is nothing to compact.
  return -1;
}

TNodeArray TBaseLazyTree_qn::GetSortedSelection(bool Resolve) {
  TNodeArray result;
  for (PLazyNode n = GetFirstNoInit(false); n;) {
    if (n->States.Contains(vsSelected)) {
      result.push_back(n);
      if (Resolve) {
        // Only the topmost selected node of a subtree: its descendants go
        // with it.
        PLazyNode next = nullptr;
        for (PLazyNode run = n; run && run != FRoot && !next; run = run->Parent) next = run->NextSibling;
        n = next;
        continue;
      }
    }
    n = GetNextNoInit(n, false);
  }
  return result;
}

void TBaseLazyTree_qn::Sort(PLazyNode, TColumnIndex, Integer, bool) {}

void TBaseLazyTree_qn::SortTree(TColumnIndex, Integer, bool) {}

void TBaseLazyTree_qn::CancelHintAndLeave() { DoStateChange({}, {tsHint}); }

void TBaseLazyTree_qn::EmptyClipboardMarks() {
  for (PLazyNode n = GetFirstNoInit(false); n; n = GetNextNoInit(n, false)) n->States.Exclude(vsCutOrCopy);
}

void TBaseLazyTree_qn::MoveTo(PLazyNode Source, PLazyNode Target, TVTNodeAttachMode Mode, bool) {
  if (!Source || Source == FRoot || Mode == amNoWhere || FOptions->MiscOptions().Contains(toReadOnly)) return;
  if (!Target) Target = FRoot;
  if (Target == FRoot) {
    if (Mode == amInsertBefore) Mode = amAddChildFirst;
    else if (Mode == amInsertAfter) Mode = amAddChildLast;
  }
  if (Target == Source || HasAsParent(Target, Source))
    throw ELazyTreeError(SWrongMoveError, hcTFEWrongMove);
  InterruptValidation();
  InternalDisconnectNode(Source, true, true);
  InternalConnectNode(Source, Target, this, Mode);
  InvalidateCache();
  if (FUpdateCount == 0) {
    ValidateCache();
    UpdateScrollBars(true);
    if (HandleAllocated()) Invalidate();
  }
  StructureChange(Source, crNodeMoved);
}

}  // namespace qn
