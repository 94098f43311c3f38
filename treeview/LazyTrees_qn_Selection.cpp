// Selection and focus. The selection is an array of node links kept in
// ascending address order, so membership is a binary search and adding many
// nodes is one sort of the newcomers and one merge. Inside a batch, removed
// entries are only marked (the link plus 1; node records are 8-aligned, so
// a real link never has the low bit) and one pack at the end drops them.
#include <algorithm>
#include <cstdint>
#include <cstring>

#include "treeview/LazyTrees_qn.h"

namespace qn {

namespace {
inline constexpr const char16_t* SNodeNotNil = u"Node must not be nil!";
inline constexpr const char16_t* SEndNodeNotNil = u"EndNode must not be nil!";

inline uintptr_t Address(PLazyNode Node) { return reinterpret_cast<uintptr_t>(Node); }
inline bool IsMarked(PLazyNode Node) { return (Address(Node) & 1) != 0; }
inline PLazyNode Marked(PLazyNode Node) { return reinterpret_cast<PLazyNode>(Address(Node) | 1); }
}  // namespace

// ---------------------------------------------------------------------------
// The array

bool TBaseLazyTree_qn::FindNodeInSelection(PLazyNode P, Integer& Index, Integer LowBound, Integer HighBound) {
  Integer low = LowBound < 0 ? 0 : LowBound;
  Integer high = HighBound < 0 ? FSelectionCount - 1 : HighBound;
  bool result = false;
  if (high < low) {
    Index = low;
    return false;
  }
  uintptr_t key = Address(P);
  while (low <= high) {
    Integer mid = low + (high - low) / 2;
    uintptr_t at = Address(FSelection[size_t(mid)]);
    if (at >= key) {
      high = mid - 1;
      if (at == key) result = true;
    } else {
      low = mid + 1;
    }
  }
  Index = low;
  return result;
}

Integer TBaseLazyTree_qn::PackArray(TNodeArray& TheArray, Integer Count) {
  if (TheArray.empty() || Count <= 0) return -1;
  Count = std::min(Count, Integer(TheArray.size()));
  Integer kept = 0;
  for (Integer i = 0; i < Count; ++i) {
    PLazyNode n = TheArray[size_t(i)];
    if (!IsMarked(n)) TheArray[size_t(kept++)] = n;
  }
  return kept;
}

bool TBaseLazyTree_qn::InternalAddToSelection(PLazyNode Node, bool ForceInsert) {
  TreeAssert(Node != nullptr, SNodeNotNil);
  FSingletonNodeArray.resize(1);
  FSingletonNodeArray[0] = Node;
  return InternalAddToSelection(FSingletonNodeArray, 1, ForceInsert);
}

bool TBaseLazyTree_qn::InternalAddToSelection(const TNodeArray& NewItems, Integer NewLength, bool ForceInsert) {
  NewLength = std::min(NewLength, Integer(NewItems.size()));
  if (NewLength <= 0) return false;
  // The caller's array stays as it was: the items are marked in a copy.
  TNodeArray items(NewItems.begin(), NewItems.begin() + NewLength);
  TVTSelectionOptions options = FOptions->SelectionOptions();
  if (ForceInsert) {
    for (PLazyNode n : items) {
      n->States.Include(vsSelected);
      if (Assigned(OnAddToSelection)) OnAddToSelection(this, n);
    }
  } else {
    bool level = options.Contains(toLevelSelectConstraint);
    bool sibling = options.Contains(toSiblingSelectConstraint);
    if (level && FLastSelectionLevel < 0 && items[0]) FLastSelectionLevel = Integer(GetNodeLevel(items[0]));
    if (sibling && !FRangeAnchor) FRangeAnchor = items[0];
    for (PLazyNode& n : items) {
      bool refuse = !n || n == FRoot || n->States.Contains(vsSelected) || n->States.Contains(vsDisabled) ||
                    (level && Integer(GetNodeLevel(n)) != FLastSelectionLevel) ||
                    (sibling && FRangeAnchor && n->Parent != FRangeAnchor->Parent);
      if (refuse) {
        n = Marked(n);
        continue;
      }
      n->States.Include(vsSelected);
      if (Assigned(OnAddToSelection)) OnAddToSelection(this, n);
    }
  }
  // Only what was really added joins the array (and the count).
  Integer count = PackArray(items, NewLength);
  if (count <= 0) return false;
  items.resize(size_t(count));
  // Nodes made one after another, as a load makes them, mostly come from the
  // node slabs in address order or in its reverse: a look costs less than
  // a sort.
  auto before = [](PLazyNode a, PLazyNode b) { return Address(a) < Address(b); };
  if (std::is_sorted(items.rbegin(), items.rend(), before)) std::reverse(items.begin(), items.end());
  else if (!std::is_sorted(items.begin(), items.end(), before)) std::sort(items.begin(), items.end(), before);

  size_t total = size_t(FSelectionCount) + size_t(count);
  if (FSelection.size() <= total) FSelection.resize(total);
  // Merge from the top: every block of existing entries above the next new
  // item moves up once, by the number of new items still to place.
  Integer pending = count;
  Integer existing = FSelectionCount;
  while (pending > 0) {
    PLazyNode item = items[size_t(pending - 1)];
    if (existing == 0) {
      std::memmove(&FSelection[0], &items[0], size_t(pending) * sizeof(PLazyNode));
      break;
    }
    Integer at;
    FindNodeInSelection(item, at, 0, existing - 1);
    if (at < existing)
      std::memmove(&FSelection[size_t(at + pending)], &FSelection[size_t(at)],
                   size_t(existing - at) * sizeof(PLazyNode));
    FSelection[size_t(at + pending - 1)] = item;
    existing = at;
    --pending;
  }
  FSelectionCount += count;
  FLastSelected = items.back();
  return true;
}

void TBaseLazyTree_qn::AddToSelection(PLazyNode Node) {
  if (FSelectionLocked) return;
  TreeAssert(Node != nullptr, SNodeNotNil);
  if (InternalAddToSelection(Node, false)) {
    InvalidateNode(Node);
    Change(Node);
  }
}

void TBaseLazyTree_qn::AddToSelection(const TNodeArray& NewItems, Integer NewLength, bool ForceInsert) {
  if (!InternalAddToSelection(NewItems, NewLength, ForceInsert)) return;
  if (NewLength == 1) {
    InvalidateNode(NewItems[0]);
    Change(NewItems[0]);
  } else {
    if (HandleAllocated()) Invalidate();
    Change(nullptr);
  }
}

void TBaseLazyTree_qn::DoRemoveFromSelection(PLazyNode Node) {
  if (Assigned(OnRemoveFromSelection)) OnRemoveFromSelection(this, Node);
}

void TBaseLazyTree_qn::RemoveSelectedNode(PLazyNode Node) {
  if (!Node->States.Contains(vsSelected)) return;
  Node->States.Exclude(vsSelected);
  Integer index;
  if (FindNodeInSelection(Node, index, -1, -1)) {
    std::memmove(&FSelection[size_t(index)], &FSelection[size_t(index + 1)],
                 size_t(FSelectionCount - index - 1) * sizeof(PLazyNode));
    --FSelectionCount;
    FSelection.resize(size_t(FSelectionCount));
  }
  if (FLastSelected == Node) FLastSelected = nullptr;
  if (FSelectionCount == 0) ResetRangeAnchor();
  DoRemoveFromSelection(Node);
  Change(Node);
}

void TBaseLazyTree_qn::RemoveFromSelection(PLazyNode Node) {
  if (FSelectionLocked) return;
  TreeAssert(Node != nullptr, SNodeNotNil);
  RemoveSelectedNode(Node);
}

void TBaseLazyTree_qn::InternalRemoveFromSelection(PLazyNode Node) {
  Integer index;
  if (!FindNodeInSelection(Node, index, -1, -1)) return;
  Node->States.Exclude(vsSelected);
  FSelection[size_t(index)] = Marked(Node);
  if (FLastSelected == Node) FLastSelected = nullptr;
  DoRemoveFromSelection(Node);
  AdviseChangeEvent(false, Node, crIgnore);
}

void TBaseLazyTree_qn::InternalClearSelection() {
  // Marked entries are links plus one; they must go before the nodes are
  // touched.
  Integer kept = PackArray();
  if (kept >= 0) FSelectionCount = kept;
  while (FSelectionCount > 0) {
    PLazyNode n = FSelection[size_t(--FSelectionCount)];
    n->States.Exclude(vsSelected);
    DoRemoveFromSelection(n);
  }
  ResetRangeAnchor();
  FSelection.clear();
  FSelectionCount = 0;
  FLastSelected = nullptr;
  DoStateChange({}, {tsClearPending});
}

void TBaseLazyTree_qn::ClearSelection() {
  if (FSelectionLocked || FSelectionCount <= 0 || ComponentState().Contains(csDestroying)) return;
  if (FUpdateCount == 0 && HandleAllocated() && FVisibleCount > 0) {
    // Only the rows of selected nodes inside the client area are repainted.
    Integer top = 0;
    PLazyNode n = GetNodeAt(0, 0, true, top);
    Integer bottom = ClientHeight(), met = 0;
    while (n && top < bottom && met < FSelectionCount) {
      if (n->States.Contains(vsSelected)) {
        InvalidateNode(n);
        ++met;
      }
      top += Integer(OwnRowHeight(n));
      n = GetNextVisibleNoInit(n, true);
    }
  }
  InternalClearSelection();
  Change(nullptr);
}

void TBaseLazyTree_qn::ResetRangeAnchor() {
  FRangeAnchor = FFocusedNode;
  FLastSelectionLevel = -1;
}

// ---------------------------------------------------------------------------
// Selecting

void TBaseLazyTree_qn::SetSelected(PLazyNode Node, bool Value) {
  if (FSelectionLocked || !Node || Node == FRoot || Value == Node->States.Contains(vsSelected)) return;
  if (Value) {
    if (FSelectionCount == 0) FRangeAnchor = Node;
    else if (!FOptions->SelectionOptions().Contains(toMultiSelect)) ClearSelection();
    AddToSelection(Node);
    TColumnIndex main = HeaderMainColumn();
    if ((FFocusedColumn == NoColumn || !HeaderColumnVisible(FFocusedColumn)) && main > NoColumn) {
      if (HeaderColumnVisible(main) && HeaderAllowsFocus(main)) FFocusedColumn = main;
      else FFocusedColumn = HeaderFirstVisibleFocusColumn();
    }
    if (!FRangeAnchor) FRangeAnchor = Node;
  } else {
    RemoveFromSelection(Node);
    if (FSelectionCount == 0) ResetRangeAnchor();
  }
  if (GetFullyVisible(Node) && !GetEffectivelyFiltered(Node)) InvalidateNode(Node);
}

void TBaseLazyTree_qn::SelectNodes(PLazyNode StartNode, PLazyNode EndNode, bool AddOnly) {
  TreeAssert(EndNode != nullptr, SEndNodeNotNil);
  if (FSelectionLocked) return;
  ClearTempCache();
  if (!StartNode) {
    StartNode = GetFirstVisible(nullptr, true);
  } else if (!GetFullyVisible(StartNode)) {
    StartNode = GetPreviousVisible(StartNode, true);
    if (!StartNode) StartNode = GetFirstVisible(nullptr, true);
  }
  if (!StartNode) return;
  if (CompareNodePositions(StartNode, EndNode, true) > 0) std::swap(StartNode, EndNode);
  PLazyNode anchor = FRangeAnchor;
  if (!AddOnly) InternalClearSelection();
  for (PLazyNode n = StartNode; n; n = GetNextVisible(n, true)) {
    InternalCacheNode(n);
    if (n == EndNode) break;
  }
  AddToSelection(FTempNodeCache, Integer(FTempNodeCount), false);
  ClearTempCache();
  if (anchor && anchor->States.Contains(vsSelected)) FRangeAnchor = anchor;
}

void TBaseLazyTree_qn::ToggleSelection(PLazyNode StartNode, PLazyNode EndNode) {
  TreeAssert(EndNode != nullptr, SEndNodeNotNil);
  if (FSelectionLocked) return;
  if (!StartNode) {
    StartNode = FRoot->FirstChild;
  } else if (!GetFullyVisible(StartNode)) {
    StartNode = GetPreviousVisible(StartNode, true);
    if (!StartNode) StartNode = FRoot->FirstChild;
  }
  if (!StartNode) return;
  Integer order = CompareNodePositions(StartNode, EndNode, true);
  if (order == 0) return;
  if (order > 0) std::swap(StartNode, EndNode);
  ClearTempCache();
  PLazyNode anchor = FRangeAnchor;
  auto toggle = [this](PLazyNode n) {
    if (n->States.Contains(vsSelected)) InternalRemoveFromSelection(n);
    else InternalCacheNode(n);
  };
  if (!anchor || CompareNodePositions(StartNode, anchor, true) < 0) toggle(StartNode);
  for (PLazyNode n = GetNextVisible(StartNode, true); n && n != EndNode; n = GetNextVisible(n, true)) {
    // The anchor itself is never toggled off.
    if (n != anchor) toggle(n);
  }
  if (!anchor || CompareNodePositions(EndNode, anchor, true) > 0) toggle(EndNode);
  Integer kept = PackArray();
  if (kept >= 0) FSelectionCount = kept;
  if (anchor && !anchor->States.Contains(vsSelected)) InternalCacheNode(anchor);
  AddToSelection(FTempNodeCache, Integer(FTempNodeCount), false);
  ClearTempCache();
}

void TBaseLazyTree_qn::UnselectNodes(PLazyNode StartNode, PLazyNode EndNode) {
  TreeAssert(EndNode != nullptr, SEndNodeNotNil);
  if (FSelectionLocked) return;
  if (!StartNode) {
    StartNode = FRoot->FirstChild;
  } else if (!GetFullyVisible(StartNode)) {
    StartNode = GetPreviousVisible(StartNode, true);
    if (!StartNode) StartNode = FRoot->FirstChild;
  }
  if (!StartNode) return;
  if (CompareNodePositions(StartNode, EndNode, true) > 0) std::swap(StartNode, EndNode);
  for (PLazyNode n = StartNode; n; n = GetNextVisible(n, true)) {
    if (n->States.Contains(vsSelected)) InternalRemoveFromSelection(n);
    if (n == EndNode) break;
  }
  Integer kept = PackArray();
  if (kept >= 0) FSelectionCount = kept;
}

void TBaseLazyTree_qn::SelectAll(bool VisibleOnly) {
  if (FSelectionLocked || !FOptions->SelectionOptions().Contains(toMultiSelect)) return;
  ClearTempCache();
  PLazyNode n = VisibleOnly ? GetFirstVisible(nullptr, true) : GetFirst();
  while (n) {
    if (!n->States.Contains(vsSelected)) InternalCacheNode(n);
    n = VisibleOnly ? GetNextVisible(n, true) : GetNext(n);
  }
  if (FTempNodeCount > 0) AddToSelection(FTempNodeCache, Integer(FTempNodeCount), false);
  ClearTempCache();
  if (HandleAllocated()) Invalidate();
}

void TBaseLazyTree_qn::InvertSelection(bool VisibleOnly) {
  if (FSelectionLocked || !FOptions->SelectionOptions().Contains(toMultiSelect)) return;
  ClearTempCache();
  PLazyNode n = VisibleOnly ? GetFirstVisibleNoInit(nullptr, true) : FRoot->FirstChild;
  while (n) {
    if (n->States.Contains(vsSelected)) InternalRemoveFromSelection(n);
    else InternalCacheNode(n);
    n = VisibleOnly ? GetNextVisibleNoInit(n, true) : GetNextNoInit(n);
  }
  Integer kept = PackArray();
  if (kept >= 0) FSelectionCount = kept;
  bool added = FTempNodeCount > 0;
  if (added) AddToSelection(FTempNodeCache, Integer(FTempNodeCount), false);
  ClearTempCache();
  if (HandleAllocated()) Invalidate();
  if (!added) Change(nullptr);
}

void TBaseLazyTree_qn::HandleClickSelection(PLazyNode LastFocused, PLazyNode NewNode, TShiftState Shift,
                                            bool DragPending) {
  (void)LastFocused;
  bool ctrl = Shift.Contains(ssCtrl), shift = Shift.Contains(ssShift);
  if (ctrl && shift) {
    if (FRangeAnchor) SelectNodes(FRangeAnchor, NewNode, true);
    else SelectNodes(nullptr, NewNode, true);
    if (HandleAllocated()) Invalidate();
  } else if (ctrl) {
    if (!FOptions->SelectionOptions().Contains(toSiblingSelectConstraint)) FRangeAnchor = NewNode;
    if (DragPending) {
      // Toggled when the button goes up without a drag.
      DoStateChange({tsToggleFocusedSelection});
    } else if (NewNode->States.Contains(vsSelected)) {
      RemoveFromSelection(NewNode);
    } else {
      AddToSelection(NewNode);
    }
    if (HandleAllocated()) Invalidate();
  } else if (shift) {
    if (!FRangeAnchor) {
      FRangeAnchor = FRoot->FirstChild;
    } else {
      SelectNodes(FRangeAnchor, NewNode, false);
      if (HandleAllocated()) Invalidate();
    }
  } else {
    if (!NewNode->States.Contains(vsSelected)) {
      AddToSelection(NewNode);
      InvalidateNode(NewNode);
    }
    FRangeAnchor = NewNode;
  }
}

TNodeArray TBaseLazyTree_qn::GetSortedSelection(bool Resolve) {
  TNodeArray result;
  result.reserve(size_t(std::max(FSelectionCount, 0)));
  Integer found = 0;
  for (PLazyNode n = GetFirstNoInit(false); n && found < FSelectionCount;) {
    if (n->States.Contains(vsSelected)) {
      result.push_back(n);
      ++found;
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

// ---------------------------------------------------------------------------
// Focus

bool TBaseLazyTree_qn::DoFocusChanging(PLazyNode OldNode, PLazyNode NewNode, TColumnIndex OldColumn,
                                       TColumnIndex NewColumn) {
  bool allowed = OldColumn == NewColumn || HeaderAllowsFocus(NewColumn);
  if (Assigned(OnFocusChanging)) OnFocusChanging(this, OldNode, NewNode, OldColumn, NewColumn, allowed);
  return allowed;
}

void TBaseLazyTree_qn::DoFocusChange(PLazyNode Node, TColumnIndex Column) {
  if (Assigned(OnFocusChanged)) OnFocusChanged(this, Node, Column);
  if (HasAccessibleItem() && HandleAllocated()) {
    for (DWORD event : {0x800Bu, 0x800Cu, 0x800Eu, 0x800Au, 0x8006u, 0x8005u})
      NotifyWinEvent(event, Handle(), OBJID_CLIENT, CHILDID_SELF);
  }
}

void TBaseLazyTree_qn::DoFocusNode(PLazyNode Node, bool Ask) {
  if (FStates.Contains(tsEditing) && !EndEditNode()) return;
  if (Node == FRoot) Node = nullptr;
  TVTAutoOptions autoOptions = FOptions->AutoOptions();
  bool autoExpand = autoOptions.Contains(toAutoExpand);
  if (Node != FFocusedNode && (!Ask || DoFocusChanging(FFocusedNode, Node, FFocusedColumn, FFocusedColumn))) {
    if (FFocusedNode) {
      if (autoExpand && Node && FFocusedNode->Parent == Node->Parent && FFocusedNode->States.Contains(vsExpanded))
        ToggleNode(FFocusedNode);
      else
        InvalidateNode(FFocusedNode);
    }
    FFocusedNode = Node;
  }
  if (FFocusedNode) {
    if (HeaderUsesColumns() && !HeaderColumnValid(FFocusedColumn)) FFocusedColumn = HeaderMainColumn();
    if (autoExpand && !FFocusedNode->States.Contains(vsExpanded) &&
        (FFocusedNode->ChildCount > 0 || FFocusedNode->States.Contains(vsHasChildren)))
      ToggleNode(FFocusedNode);
    InvalidateNode(FFocusedNode);
    if (FUpdateCount == 0 && !autoOptions.Contains(toDisableAutoscrollOnFocus)) {
      TVTSelectionOptions sel = FOptions->SelectionOptions();
      bool buttons = FStates.Contains(tsLeftButtonDown) || FStates.Contains(tsMiddleButtonDown) ||
                     FStates.Contains(tsRightButtonDown);
      ScrollIntoView(FFocusedNode, sel.Contains(toCenterScrollIntoView) && !buttons, !sel.Contains(toFullRowSelect));
    }
  }
  if (FSelectionCount == 0) ResetRangeAnchor();
}

void TBaseLazyTree_qn::SetFocusedNode(PLazyNode Node) {
  if (Node == FRoot) Node = nullptr;
  PLazyNode was = FFocusedNode;
  DoFocusNode(Node, true);
  if (FFocusedNode != was && FFocusedNode == Node) DoFocusChange(Node, FFocusedColumn);
}

void TBaseLazyTree_qn::SetFocusedColumn(TColumnIndex Value) {
  if (Value == FFocusedColumn || !DoFocusChanging(FFocusedNode, FFocusedNode, FFocusedColumn, Value)) return;
  CancelEditNode();
  InvalidateColumn(FFocusedColumn);
  InvalidateColumn(Value);
  FFocusedColumn = Value;
  if (FFocusedNode && !FOptions->AutoOptions().Contains(toDisableAutoscrollOnFocus)) {
    if (ScrollIntoView(FFocusedNode, FOptions->SelectionOptions().Contains(toCenterScrollIntoView), true))
      InvalidateNode(FFocusedNode);
  }
  if (FDropTargetNode) InvalidateNode(FDropTargetNode);
  DoFocusChange(FFocusedNode, FFocusedColumn);
}

void TBaseLazyTree_qn::SetFocusedNodeAndColumn(PLazyNode Node, TColumnIndex Column) {
  if (Node == FRoot) Node = nullptr;
  TColumnIndex column = HeaderAllowsFocus(Column) ? Column : FFocusedColumn;
  bool changed = Node != FFocusedNode || column != FFocusedColumn;
  TColumnIndex previous = FFocusedColumn;
  FFocusedColumn = column;
  DoFocusNode(Node, true);
  if (FFocusedNode == Node) {
    CancelEditNode();
    if (changed) DoFocusChange(FFocusedNode, FFocusedColumn);
  } else {
    FFocusedColumn = previous;
  }
}

void TBaseLazyTree_qn::EnsureNodeFocused() {
  if (!FFocusedNode) SetFocusedNode(GetFirstVisible(nullptr, true));
}

}  // namespace qn
