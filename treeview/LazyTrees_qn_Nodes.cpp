// Node allocation and on-demand initialization, the structure operations
// (child counts, add, insert, delete, clear), the running totals every node
// keeps, and the per-node property accessors.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <vector>

#include "treeview/LazyTrees_qn.h"
#include "treeview/LazyTrees_qn_Internal.h"

namespace qn {

using namespace lazytrees_internal;

namespace {

Word ClampHeight(Cardinal Value) { return Word(std::min<Cardinal>(Value, 65535)); }

}  // namespace

// ---------------------------------------------------------------------------
// Allocation

PLazyNode TBaseLazyTree_qn::MakeNewNode() {
  if (!ComponentState().Contains(csDesigning) && FNodeDataSize == -1) {
    Integer size = FNodeDataSize;
    ValidateNodeDataSize(size);
    FNodeDataSize = std::max(size, 0);
  }
  auto* node = static_cast<PLazyNode>(FNodePool.Allocate(NodeBlockSize()));
  node->TotalCount = 1;
  node->NodeHeight = ClampHeight(FDefaultNodeHeight);
  node->TotalHeight = node->NodeHeight;
  node->States = TLazyNodeStates{vsVisible};
  node->Align = 50;
  return node;
}

void TBaseLazyTree_qn::FreeNodeBlock(PLazyNode Node) { FNodePool.Free(Node, NodeBlockSize()); }

void TBaseLazyTree_qn::InitRootNode(Cardinal OldSize) {
  Cardinal size = TreeNodeSize + FTotalInternalDataSize;
  if (FRoot) {
    auto* p = static_cast<Byte*>(std::realloc(static_cast<void*>(FRoot), size));
    if (!p) throw EOutOfMemory(u"Out of memory");
    if (size > OldSize) std::memset(p + OldSize, 0, size - OldSize);
    FRoot = reinterpret_cast<PLazyNode>(p);
  } else {
    FRoot = static_cast<PLazyNode>(std::calloc(1, size));
    if (!FRoot) throw EOutOfMemory(u"Out of memory");
  }
  FRootSize = size;
  FRoot->PrevSibling = FRoot;
  FRoot->NextSibling = FRoot;
  FRoot->Parent = reinterpret_cast<PLazyNode>(this);
  FRoot->States = TLazyNodeStates{vsInitialized, vsExpanded, vsHasChildren, vsVisible};
  FRoot->TotalCount = 1;
  FRoot->NodeHeight = ClampHeight(FDefaultNodeHeight);
  FRoot->TotalHeight = FRoot->NodeHeight;
  FRoot->Align = 50;
}

Cardinal TBaseLazyTree_qn::AllocateInternalDataArea(Cardinal Size) {
  TreeAssert(FRoot == nullptr || FRoot->FirstChild == nullptr, SInternalDataTooLate);
  Cardinal result = TreeNodeSize + FTotalInternalDataSize;
  // Rounded to 8 so that the user data behind the areas stays aligned for
  // the pointers hosts keep there.
  FTotalInternalDataSize += (Size + 7) & ~Cardinal(7);
  InitRootNode(FRootSize);
  return result;
}

void TBaseLazyTree_qn::ValidateNodeDataSize(Integer& Size) {
  Size = Integer(sizeof(Pointer));
  if (Assigned(OnGetNodeDataSize)) OnGetNodeDataSize(this, Size);
}

Pointer TBaseLazyTree_qn::GetNodeData(PLazyNode Node) {
  TreeAssert(FNodeDataSize > 0, SNodeDataSizeNotSet);
  if (!Node || Node == FRoot) return nullptr;
  Node->States.Include(vsOnFreeNodeCallRequired);
  return reinterpret_cast<Byte*>(Node) + TreeNodeSize + FTotalInternalDataSize;
}

void TBaseLazyTree_qn::SetNodeDataSize(Integer Value) {
  if (Value < -1) Value = -1;
  if (Value == FNodeDataSize) return;
  TComponentState cs = ComponentState();
  if (!cs.Contains(csLoading) && !cs.Contains(csDesigning)) {
    // The nodes go with the size they were made with, then come back fresh.
    Cardinal count = GetRootNodeCount();
    Clear();
    FNodeDataSize = Value;
    SetRootNodeCount(count);
  } else {
    FNodeDataSize = Value;
  }
}

// ---------------------------------------------------------------------------
// Initialization

void TBaseLazyTree_qn::DoInitNode(PLazyNode Parent, PLazyNode Node, TLazyNodeInitStates& InitStates) {
  if (Assigned(OnInitNode)) OnInitNode(this, Parent, Node, InitStates);
}

void TBaseLazyTree_qn::DoInitChildren(PLazyNode Node, Cardinal& ChildCount) {
  if (Assigned(OnInitChildren)) OnInitChildren(this, Node, ChildCount);
}

void TBaseLazyTree_qn::InitNode(PLazyNode Node) {
  TLazyNodeInitStates init;
  if (Node->States.Contains(vsInitialized)) init.Include(ivsReInit);
  Node->States.Include(vsInitialized);
  DoInitNode(Node->Parent == FRoot ? nullptr : Node->Parent, Node, init);
  if (init.Contains(ivsDisabled)) Node->States.Include(vsDisabled);
  if (init.Contains(ivsHasChildren)) Node->States.Include(vsHasChildren);
  if (init.Contains(ivsSelected)) {
    FSingletonNodeArray[0] = Node;
    InternalAddToSelection(FSingletonNodeArray, 1, false);
  }
  if (init.Contains(ivsMultiline)) Node->States.Include(vsMultiline);
  // A node the host filters again on re-initialization is already out of the
  // totals; taking its row out twice would corrupt them.
  if (init.Contains(ivsFiltered) && !Node->States.Contains(vsFiltered)) {
    Node->States.Include(vsFiltered);
    if (!FOptions->PaintOptions().Contains(toShowFilteredNodes)) {
      InterruptValidation();
      AdjustTotalHeight(Node, -Integer(Node->NodeHeight), true);
      if (GetFullyVisible(Node)) --FVisibleCount;
      if (Node->Parent != FRoot) {
        if (FUpdateCount > 0) DoStateChange({tsUpdateHiddenChildrenNeeded});
        else DetermineHiddenChildrenFlag(Node->Parent);
      }
      InvalidateCache();
      UpdateScrollBars(true);
    }
  }
  if (Node->States.Contains(vsExpanded) != init.Contains(ivsExpanded)) {
    if (init.Contains(ivsExpanded)) ToggleNode(Node);
    else if (Node->States.Contains(vsHasChildren)) InitChildren(Node);
  }
}

void TBaseLazyTree_qn::InitChildren(PLazyNode Node) {
  if (!Node || Node == FRoot || !Node->States.Contains(vsHasChildren)) return;
  Cardinal count = Node->ChildCount;
  DoInitChildren(Node, count);
  if (count != Node->ChildCount) SetChildCount(Node, count);
  if (count == 0) Node->States.Exclude(vsHasChildren);
}

// The deep walks below follow the links (first child, next sibling, parent)
// instead of recursing: a tree may be a million levels deep, and a frame per
// level overflows any thread's stack long before that. Each keeps the order
// in which the recursive description visits the nodes and reads the links at
// the same moments, so the host sees the same calls.

void TBaseLazyTree_qn::ValidateSubtree(PLazyNode Node) {
  // Node is initialized already; its descendants in pre-order.
  if (Node->States.Contains(vsHasChildren) && Node->ChildCount == 0) InitChildren(Node);
  WalkSubtree(Node, [this](PLazyNode N) {
    if (!N->States.Contains(vsInitialized)) InitNode(N);
    if (N->States.Contains(vsHasChildren) && N->ChildCount == 0) InitChildren(N);
    return true;
  });
}

void TBaseLazyTree_qn::ValidateNode(PLazyNode Node, bool Recursive) {
  if (!Node) Node = FRoot;
  else if (!Node->States.Contains(vsInitialized)) InitNode(Node);
  if (Recursive) ValidateSubtree(Node);
}

void TBaseLazyTree_qn::ValidateChildren(PLazyNode Node, bool Recursive) {
  if (!Node) Node = FRoot;
  if (Recursive) {
    ValidateSubtree(Node);
    return;
  }
  if (Node->States.Contains(vsHasChildren) && Node->ChildCount == 0) InitChildren(Node);
  for (PLazyNode c = Node->FirstChild; c; c = c->NextSibling)
    if (!c->States.Contains(vsInitialized)) InitNode(c);
}

void TBaseLazyTree_qn::ReinitOne(PLazyNode Node) {
  Node->States -= TLazyNodeStates{vsChecking, vsCutOrCopy, vsDeleting, vsHeightMeasured};
  InitNode(Node);
}

void TBaseLazyTree_qn::ReinitSubtree(PLazyNode Node) {
  // Each node's next sibling is taken before the node is re-initialized (the
  // host may change what follows it), so the walk keeps one per level.
  std::vector<PLazyNode> following;
  InitChildren(Node);
  PLazyNode run = Node->FirstChild;
  for (;;) {
    if (!run) {
      if (following.empty()) return;
      run = following.back();
      following.pop_back();
      continue;
    }
    PLazyNode next = run->NextSibling;
    ReinitOne(run);
    InitChildren(run);
    following.push_back(next);
    run = run->FirstChild;
  }
}

void TBaseLazyTree_qn::ReinitNode(PLazyNode Node, bool Recursive) {
  if (Node && Node != FRoot) ReinitOne(Node);
  if (Recursive) ReinitSubtree(Node ? Node : FRoot);
}

void TBaseLazyTree_qn::ReinitChildren(PLazyNode Node, bool Recursive) {
  if (!Node) Node = FRoot;
  if (Recursive) {
    ReinitSubtree(Node);
    return;
  }
  InitChildren(Node);
  PLazyNode c = Node->FirstChild;
  while (c) {
    PLazyNode next = c->NextSibling;
    ReinitNode(c, false);
    c = next;
  }
}

void TBaseLazyTree_qn::DoReset(PLazyNode Node) {
  if (Assigned(OnResetNode)) OnResetNode(this, Node);
}

void TBaseLazyTree_qn::ResetNode(PLazyNode Node) {
  AbandonEdit();
  if (!Node || Node == FRoot) {
    Clear();
    return;
  }
  DoReset(Node);
  DeleteChildren(Node, false);
  if (Node->States.Contains(vsExpanded)) {
    // A reset node shows only its own row.
    Node->States.Exclude(vsExpanded);
    AdjustTotalHeight(Node, Integer(OwnRowHeight(Node)), false);
  }
  Node->States -= TLazyNodeStates{vsInitialized, vsChecking, vsCutOrCopy, vsDeleting, vsHasChildren,
                                  vsExpanded, vsHeightMeasured};
  InvalidateNode(Node);
}

// ---------------------------------------------------------------------------
// Structure

Cardinal TBaseLazyTree_qn::GetRootNodeCount() const { return FRoot ? FRoot->ChildCount : 0; }

Cardinal TBaseLazyTree_qn::GetChildCount(PLazyNode Node) const {
  if (!Node) Node = FRoot;
  return Node ? Node->ChildCount : 0;
}

void TBaseLazyTree_qn::SetRootNodeCount(Cardinal Value) {
  if (ComponentState().Contains(csLoading)) {
    FRoot->ChildCount = Value;
    DoStateChange({tsNeedRootCountUpdate});
    return;
  }
  if (FRoot->ChildCount == Value) return;
  BeginUpdate();
  try {
    InterruptValidation();
    SetChildCount(FRoot, Value);
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

void TBaseLazyTree_qn::SetChildCount(PLazyNode Node, Cardinal NewChildCount) {
  if (FOptions->MiscOptions().Contains(toReadOnly)) return;
  if (!Node) Node = FRoot;
  if (NewChildCount == 0) {
    DeleteChildren(Node, false);
    return;
  }
  if (NewChildCount == Node->ChildCount) return;
  InterruptValidation();
  if (NewChildCount > Node->ChildCount) {
    Cardinal index = 0;
    if (Node->LastChild) index = Node->LastChild->Index + 1;
    else Node->States.Include(vsHasChildren);
    Node->States -= TLazyNodeStates{vsAllChildrenHidden, vsHeightMeasured};
    Cardinal added = NewChildCount - Node->ChildCount;
    Int64 heights = 0;
    for (Cardinal i = 0; i < added; ++i) {
      PLazyNode child = MakeNewNode();
      child->Index = index++;
      child->PrevSibling = Node->LastChild;
      child->Parent = Node;
      if (Node->LastChild) Node->LastChild->NextSibling = child;
      else Node->FirstChild = child;
      Node->LastChild = child;
      heights += child->NodeHeight;
    }
    if (Node->States.Contains(vsExpanded)) {
      AdjustTotalHeight(Node, Integer(heights), true);
      if (GetFullyVisible(Node)) FVisibleCount += added;
    }
    AdjustTotalCount(Node, Integer(added), true);
    Node->ChildCount = NewChildCount;
    if (FUpdateCount == 0 && AutoSortAllowed())
      Sort(Node, FSortColumn, FSortDirection, true);
    InvalidateCache();
  } else {
    while (Node->ChildCount > NewChildCount) DeleteNode(Node->LastChild, true);
  }
  if (FUpdateCount == 0) {
    ValidateCache();
    UpdateScrollBars(true);
    if (HandleAllocated()) Invalidate();
  }
  StructureChange(Node == FRoot ? nullptr : Node, crChildAdded);
}

PLazyNode TBaseLazyTree_qn::AddChild(PLazyNode Parent, Pointer UserData) {
  if (FOptions->MiscOptions().Contains(toReadOnly)) return nullptr;
  CancelEditNode();
  if (!Parent) Parent = FRoot;
  if (!Parent->States.Contains(vsInitialized)) InitNode(Parent);
  {
    TUpdateCountGuard batch(FUpdateCount);
    SetChildCount(Parent, Parent->ChildCount + 1);
    Parent->States.Exclude(vsAllChildrenHidden);
  }
  PLazyNode result = Parent->LastChild;
  if (UserData) {
    if (FNodeDataSize < Integer(sizeof(Pointer))) throw ELazyTreeError(SCannotSetUserData, hcTFECannotSetUserData);
    std::memcpy(reinterpret_cast<Byte*>(result) + UserDataOffset(), &UserData, sizeof(Pointer));
    result->States.Include(vsOnFreeNodeCallRequired);
  }
  InvalidateCache();
  if (FUpdateCount == 0) {
    ValidateCache();
    if (FStates.Contains(tsStructureChangePending)) StructureChange(Parent == FRoot ? nullptr : Parent, crChildAdded);
    if (AutoSortAllowed())
      Sort(Parent, FSortColumn, FSortDirection, true);
    InvalidateToBottom(Parent);
    UpdateScrollBars(true);
  }
  return result;
}

PLazyNode TBaseLazyTree_qn::InsertNode(PLazyNode Node, TVTNodeAttachMode Mode, Pointer UserData) {
  if (Mode == amNoWhere) return nullptr;
  CancelEditNode();
  if (!Node) Node = FRoot;
  PLazyNode result = MakeNewNode();
  if (Node == FRoot) {
    if (Mode == amInsertBefore) Mode = amAddChildFirst;
    else if (Mode == amInsertAfter) Mode = amAddChildLast;
  }
  if ((Mode == amAddChildFirst || Mode == amAddChildLast) && !Node->States.Contains(vsInitialized)) {
    try {
      InitNode(Node);
    } catch (...) {
      FreeNodeBlock(result);
      throw;
    }
  }
  // The worker may be walking the list the new node joins.
  InterruptValidation();
  InternalConnectNode(result, Node, this, Mode);
  InvalidateCache();
  if (UserData) {
    if (FNodeDataSize < Integer(sizeof(Pointer))) throw ELazyTreeError(SCannotSetUserData, hcTFECannotSetUserData);
    std::memcpy(reinterpret_cast<Byte*>(result) + UserDataOffset(), &UserData, sizeof(Pointer));
    result->States.Include(vsOnFreeNodeCallRequired);
  }
  if (FUpdateCount == 0) {
    if (AutoSortAllowed()) {
      PLazyNode target = (Mode == amInsertBefore || Mode == amInsertAfter) ? Node->Parent : Node;
      Sort(target, FSortColumn, FSortDirection, true);
    }
    ValidateCache();
    UpdateScrollBars(true);
    InvalidateToBottom(Mode == amInsertBefore ? result : Node);
  }
  StructureChange(result, crNodeAdded);
  return result;
}

void TBaseLazyTree_qn::InternalConnectNode(PLazyNode Node, PLazyNode Destination, TBaseLazyTree_qn* Target,
                                           TVTNodeAttachMode Mode) {
  PLazyNode parent = nullptr;
  switch (Mode) {
    case amNoWhere:
      return;
    case amInsertBefore:
      parent = Destination->Parent;
      Node->PrevSibling = Destination->PrevSibling;
      Node->NextSibling = Destination;
      Destination->PrevSibling = Node;
      if (Node->PrevSibling) Node->PrevSibling->NextSibling = Node;
      else parent->FirstChild = Node;
      Node->Index = Destination->Index;
      for (PLazyNode s = Destination; s; s = s->NextSibling) ++s->Index;
      break;
    case amInsertAfter:
      parent = Destination->Parent;
      Node->NextSibling = Destination->NextSibling;
      Node->PrevSibling = Destination;
      Destination->NextSibling = Node;
      if (Node->NextSibling) Node->NextSibling->PrevSibling = Node;
      else parent->LastChild = Node;
      Node->Index = Destination->Index + 1;
      for (PLazyNode s = Node->NextSibling; s; s = s->NextSibling) ++s->Index;
      break;
    case amAddChildFirst:
      parent = Destination;
      Node->PrevSibling = nullptr;
      Node->NextSibling = parent->FirstChild;
      if (parent->FirstChild) parent->FirstChild->PrevSibling = Node;
      else parent->LastChild = Node;
      parent->FirstChild = Node;
      Node->Index = 0;
      for (PLazyNode s = Node->NextSibling; s; s = s->NextSibling) ++s->Index;
      break;
    case amAddChildLast:
      parent = Destination;
      Node->NextSibling = nullptr;
      Node->PrevSibling = parent->LastChild;
      Node->Index = parent->LastChild ? parent->LastChild->Index + 1 : 0;
      if (parent->LastChild) parent->LastChild->NextSibling = Node;
      else parent->FirstChild = Node;
      parent->LastChild = Node;
      break;
  }
  Node->Parent = parent;
  ++parent->ChildCount;
  parent->States.Include(vsHasChildren);
  Target->AdjustTotalCount(parent, Integer(Node->TotalCount), true);
  // The parent's height holds every visible child while it is expanded,
  // whether or not the parent itself can be seen now.
  if (parent->States.Contains(vsExpanded) && Node->States.Contains(vsVisible))
    Target->AdjustTotalHeight(parent, Integer(Node->TotalHeight), true);
  if (Target->GetFullyVisible(Node))
    Target->FVisibleCount += Target->CountVisibleChildren(Node) + (Target->GetEffectivelyVisible(Node) ? 1 : 0);
  Node->States -= TLazyNodeStates{vsChecking, vsCutOrCopy, vsDeleting, vsClearing};
  if (parent != Target->FRoot) {
    if (Target->GetEffectivelyVisible(Node)) parent->States.Exclude(vsAllChildrenHidden);
    else if (parent->ChildCount == 1) parent->States.Include(vsAllChildrenHidden);
  }
}

void TBaseLazyTree_qn::InternalDisconnectNode(PLazyNode Node, bool KeepFocus, bool Reindex) {
  TreeAssert(Node != nullptr && Node != FRoot, SNodeNilOrRoot);
  TDeferredError err;
  if (Node == FFocusedNode && !KeepFocus) {
    err.Run([&] {
      DoFocusNode(nullptr, false);
      DoFocusChange(FFocusedNode, FFocusedColumn);
    });
    // A focus change that an edit refused still must not keep a node
    // that is going away.
    if (FFocusedNode == Node) FFocusedNode = nullptr;
  }
  if (Node == FRangeAnchor) ResetRangeAnchor();
  PLazyNode parent = Node->Parent;
  if (Node->States.Contains(vsDeleting)) {
    err.RaiseIfAny();
    return;
  }
  Node->States.Exclude(vsChecking);
  // Measured before the parent may collapse below: a node seen until now
  // leaves the visible count even when it was its parent's last child.
  Cardinal seen = 0;
  if (GetFullyVisible(Node)) seen = CountVisibleChildren(Node) + (GetEffectivelyVisible(Node) ? 1 : 0);
  --parent->ChildCount;
  bool wasVisible = parent->States.Contains(vsExpanded) && Node->States.Contains(vsVisible);
  if (parent->ChildCount == 0) {
    parent->States -= TLazyNodeStates{vsAllChildrenHidden, vsHasChildren};
    if (parent != FRoot) parent->States.Exclude(vsExpanded);
  }
  AdjustTotalCount(parent, -Integer(Node->TotalCount), true);
  if (wasVisible) AdjustTotalHeight(parent, -Integer(Node->TotalHeight), true);
  FVisibleCount -= seen;
  if (Node->PrevSibling) Node->PrevSibling->NextSibling = Node->NextSibling;
  else parent->FirstChild = Node->NextSibling;
  if (Node->NextSibling) {
    Node->NextSibling->PrevSibling = Node->PrevSibling;
    if (Reindex) {
      Cardinal index = Node->Index;
      for (PLazyNode s = Node->NextSibling; s; s = s->NextSibling) s->Index = index++;
    }
  } else {
    parent->LastChild = Node->PrevSibling;
  }
  Node->PrevSibling = nullptr;
  Node->NextSibling = nullptr;
  // Judged after the node left the list, so the flag reflects the children
  // that remain.
  if (parent != FRoot && !parent->States.Contains(vsClearing)) {
    if (FUpdateCount == 0) DetermineHiddenChildrenFlag(parent);
    else DoStateChange({tsUpdateHiddenChildrenNeeded});
  }
  err.RaiseIfAny();
}

// A subtree goes level by level on a stack of its own, whatever its depth:
// a chain of nodes may be far deeper than the native stack allows frames.
// The steps and the events are those of deleting each node's children,
// last to first, before the node itself.

// One node going: what is held between deleting its children and freeing it.
struct TBaseLazyTree_qn::TNodeDeletion {
  PLazyNode Node = nullptr;
  PLazyNode Parent = nullptr;
  bool ParentClearing = false;
  TPoint OldOffset;
  TDeferredError Err;
};

// One node's children going, last to first, each with its own subtree.
struct TBaseLazyTree_qn::TChildDeletion {
  PLazyNode Node = nullptr;
  bool ResetHasChildren = false;
  bool ParentVisible = false;
  // Holds one of the update count while the children go.
  bool Batched = false;
  TPoint OldOffset;
  TDeferredError Err;
  // The child to go next, and the one going now.
  PLazyNode Next = nullptr;
  TNodeDeletion Child;
};

bool TBaseLazyTree_qn::BeginNodeDeletion(TNodeDeletion& Step) {
  PLazyNode Node = Step.Node;
  if (!Node || Node == FRoot || FOptions->MiscOptions().Contains(toReadOnly)) return false;
  TreeAssert(!FStates.Contains(tsIterating), SDeleteWhileIterating);
  PLazyNode parent = Step.Parent = Node->Parent;
  bool parentClearing = Step.ParentClearing = parent->States.Contains(vsClearing);
  TDeferredError& err = Step.Err;
  if (FEditNode && (FEditNode == Node || HasAsParent(FEditNode, Node))) err.Run([&] { AbandonEdit(); });
  if (!parentClearing) err.Run([&] { StructureChange(parent == FRoot ? nullptr : parent, crChildDeleted); });
  Step.OldOffset = TPoint(-FEffectiveOffsetX, FOffsetY);
  if (!Node->States.Contains(vsSelected)) {
    InvalidateToBottom(parent);
  } else if (FUpdateCount == 0) {
    bool wasSynch = FStates.Contains(tsSynchMode);
    DoStateChange({tsSynchMode});
    err.Run([&] { RemoveSelectedNode(Node); });
    if (!wasSynch) DoStateChange({}, {tsSynchMode});
    InvalidateToBottom(parent);
  } else {
    InternalRemoveFromSelection(Node);
  }
  if (FStates.Contains(tsHint)) CancelHintAndLeave();
  if (!parentClearing) InterruptValidation();
  return true;
}

void TBaseLazyTree_qn::EndNodeDeletion(TNodeDeletion& Step, bool Reindex) {
  PLazyNode Node = Step.Node, parent = Step.Parent;
  TDeferredError& err = Step.Err;
  err.Run([&] { InternalDisconnectNode(Node, false, Reindex); });
  err.Run([&] { DoFreeNode(Node); });
  if (!Step.ParentClearing) {
    DetermineHiddenChildrenFlag(parent);
    InvalidateCache();
    if (FUpdateCount == 0) {
      ValidateCache();
      UpdateScrollBars(true);
      if (TPoint(-FEffectiveOffsetX, FOffsetY) != Step.OldOffset && HandleAllocated()) Invalidate();
    }
  }
  err.RaiseIfAny();
}

void TBaseLazyTree_qn::DeleteNode(PLazyNode Node, bool Reindex) {
  TNodeDeletion step;
  step.Node = Node;
  if (!BeginNodeDeletion(step)) return;
  step.Err.Run([&] { DeleteChildren(Node, false); });
  EndNodeDeletion(step, Reindex);
}

void TBaseLazyTree_qn::ClearReferencesTo(PLazyNode Node) {
  if (FLastChangedNode == Node) FLastChangedNode = nullptr;
  if (FCurrentHotNode == Node) FCurrentHotNode = nullptr;
  if (FDropTargetNode == Node) FDropTargetNode = nullptr;
  if (FLastStructureChangeNode == Node) FLastStructureChangeNode = nullptr;
  if (FLastSearchNode == Node) FLastSearchNode = nullptr;
  if (FLastVCLDragTarget == Node) FLastVCLDragTarget = nullptr;
  if (!FDragSelection.empty()) std::erase(FDragSelection, Node);
  if (FLastSelected == Node) FLastSelected = nullptr;
  if (FFocusedNode == Node) FFocusedNode = nullptr;
  if (FRangeAnchor == Node) FRangeAnchor = nullptr;
  if (FEditNode == Node) FEditNode = nullptr;
  if (FCheckNode == Node) {
    FCheckNode = nullptr;
    DoStateChange({}, {tsKeyCheckPending, tsMouseCheckPending});
  }
  if (FHeightTrackNode == Node) {
    FHeightTrackNode = nullptr;
    DoStateChange({}, {tsNodeHeightTracking, tsNodeHeightTrackPending});
  }
  for (Cardinal i = 0; i < FTempNodeCount; ++i)
    if (FTempNodeCache[i] == Node) FTempNodeCache[i] = nullptr;
}

void TBaseLazyTree_qn::DoFreeNode(PLazyNode Node) {
  TDeferredError err;
  // An editor never outlives its node.
  if (FEditNode == Node) err.Run([&] { AbandonEdit(); });
  ClearReferencesTo(Node);
  if (Node->States.Contains(vsInitialized) || Node->States.Contains(vsOnFreeNodeCallRequired)) {
    if (Assigned(OnFreeNode)) err.Run([&] { OnFreeNode(this, Node); });
  }
  FreeNodeBlock(Node);
  err.RaiseIfAny();
}

bool TBaseLazyTree_qn::BeginChildDeletion(TChildDeletion& Frame, const TChildDeletion* Outer) {
  PLazyNode Node = Frame.Node;
  if (Node->ChildCount == 0 || FOptions->MiscOptions().Contains(toReadOnly)) {
    if (Frame.ResetHasChildren) Node->States.Exclude(vsHasChildren);
    return false;
  }
  TreeAssert(!FStates.Contains(tsIterating), SDeleteWhileIterating);
  ++FUpdateCount;
  Frame.Batched = true;
  try {
    InterruptValidation();
  } catch (...) {
    if (FUpdateCount > 0) --FUpdateCount;
    Frame.Batched = false;
    throw;
  }
  Frame.OldOffset = TPoint(-FEffectiveOffsetX, FOffsetY);
  // Below the first level the path up is the one just walked down: looking
  // it up again for every level would cost the depth each time.
  if (Outer)
    Frame.ParentVisible = Outer->ParentVisible && Node->States.Contains(vsVisible) && Node->States.Contains(vsExpanded);
  else
    Frame.ParentVisible = Node == FRoot || (GetFullyVisible(Node) && Node->States.Contains(vsExpanded));
  Node->States.Include(vsClearing);
  Frame.Next = Node->LastChild;
  return true;
}

void TBaseLazyTree_qn::EndChildDeletion(TChildDeletion& Frame) {
  struct TRelease {
    TBaseLazyTree_qn* Tree;
    TChildDeletion& Frame;
    void operator()() {
      if (Frame.Batched && Tree->FUpdateCount > 0) --Tree->FUpdateCount;
      Frame.Batched = false;
    }
    ~TRelease() { (*this)(); }
  } release{this, Frame};
  PLazyNode Node = Frame.Node;
  TDeferredError& err = Frame.Err;
  Node->States.Exclude(vsClearing);
  if (Frame.ResetHasChildren) Node->States.Exclude(vsHasChildren);
  if (Node != FRoot) Node->States.Exclude(vsExpanded);
  Node->ChildCount = 0;
  if (Node == FRoot) {
    FRoot->TotalHeight = FRoot->NodeHeight;
    FRoot->TotalCount = 1;
    UpdateVerticalRange();
  } else if (!Node->States.Contains(vsDeleting)) {
    AdjustTotalHeight(Node, Integer(OwnRowHeight(Node)), false);
    AdjustTotalCount(Node, 1, false);
  }
  Node->FirstChild = nullptr;
  Node->LastChild = nullptr;
  release();
  InvalidateCache();
  if (FUpdateCount == 0) {
    Integer n = PackArray();
    if (n >= 0) FSelectionCount = n;
    ValidateCache();
    UpdateScrollBars(true);
    if (HandleAllocated()) {
      if (TPoint(-FEffectiveOffsetX, FOffsetY) == Frame.OldOffset) InvalidateToBottom(Node);
      else Invalidate();
    }
  }
  // The hidden root is never handed to handlers.
  err.Run([&] { StructureChange(Node == FRoot ? nullptr : Node, crChildDeleted); });
  err.RaiseIfAny();
}

void TBaseLazyTree_qn::DeleteChildren(PLazyNode Node, bool ResetHasChildren) {
  if (!Node) Node = FRoot;
  TChildDeletion first;
  first.Node = Node;
  first.ResetHasChildren = ResetHasChildren;
  if (!BeginChildDeletion(first, nullptr)) return;

  std::vector<TChildDeletion> stack;
  // Only running out of memory leaves the loop early: every level still
  // held gives back its part of the update count.
  struct TUnwind {
    TBaseLazyTree_qn* Tree;
    TChildDeletion& First;
    std::vector<TChildDeletion>& Stack;
    ~TUnwind() {
      auto release = [&](TChildDeletion& f) {
        if (f.Batched && Tree->FUpdateCount > 0) --Tree->FUpdateCount;
        f.Batched = false;
      };
      release(First);
      for (TChildDeletion& f : Stack) release(f);
    }
  } unwind{this, first, stack};
  stack.push_back(std::move(first));
  first.Batched = false;

  for (;;) {
    TChildDeletion& f = stack.back();
    if (PLazyNode child = f.Next) {
      PLazyNode prev = child->PrevSibling;
      if (f.ParentVisible && GetEffectivelyVisible(child)) --FVisibleCount;
      child->States.Include(vsDeleting);
      if (prev) prev->NextSibling = nullptr;
      // Kept current so that no link ever points at a freed node, even while
      // a handler looks at the tree from OnFreeNode.
      f.Node->LastChild = prev;
      if (!prev) f.Node->FirstChild = nullptr;
      f.Next = prev;
      f.Child = TNodeDeletion{};
      f.Child.Node = child;
      bool begun = false;
      f.Err.Run([&] { begun = BeginNodeDeletion(f.Child); });
      if (!begun) continue;
      TChildDeletion inner;
      inner.Node = child;
      bool deeper = false;
      f.Child.Err.Run([&] { deeper = BeginChildDeletion(inner, &f); });
      if (deeper) {
        stack.push_back(std::move(inner));
        inner.Batched = false;
        continue;
      }
      f.Err.Run([&] { EndNodeDeletion(f.Child, true); });
      continue;
    }
    TChildDeletion done = std::move(f);
    f.Batched = false;
    stack.pop_back();
    if (stack.empty()) {
      EndChildDeletion(done);
      return;
    }
    TChildDeletion& outer = stack.back();
    outer.Child.Err.Run([&] { EndChildDeletion(done); });
    outer.Err.Run([&] { EndNodeDeletion(outer.Child, true); });
  }
}

void TBaseLazyTree_qn::DeleteSelectedNodes() {
  if (FSelectionCount <= 0 || FOptions->MiscOptions().Contains(toReadOnly)) return;
  BeginUpdate();
  try {
    TNodeArray nodes = GetSortedSelection(true);
    for (size_t i = nodes.size(); i-- > 1;) DeleteNode(nodes[i], nodes[i]->Parent != nodes[i - 1]->Parent);
    if (!nodes.empty()) DeleteNode(nodes[0], true);
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

void TBaseLazyTree_qn::Clear() {
  if (FOptions->MiscOptions().Contains(toReadOnly) && !ComponentState().Contains(csDestroying)) return;
  BeginUpdate();
  TDeferredError err;
  InterruptValidation();
  err.Run([&] { CancelEditNode(); });
  if (FStates.Contains(tsCopyPending) || FStates.Contains(tsCutPending)) {
    err.Run([&] { ReleaseClipboardObject(); });
    EmptyClipboardMarks();
    DoStateChange({}, {tsCopyPending, tsCutPending});
  }
  err.Run([&] { ClearSelection(); });
  FFocusedNode = FLastSelected = FCurrentHotNode = FDropTargetNode = FLastChangedNode = FRangeAnchor = FCheckNode =
      FLastVCLDragTarget = FLastSearchNode = nullptr;
  err.Run([&] { DeleteChildren(FRoot, true); });
  FOffsetX = 0;
  FOffsetY = 0;
  err.Run([&] { EndUpdate(); });
  err.RaiseIfAny();
}

// ---------------------------------------------------------------------------
// Totals

void TBaseLazyTree_qn::AdjustTotalCount(PLazyNode Node, Integer Value, bool Relative) {
  Integer difference = Relative ? Value : Value - Integer(Node->TotalCount);
  if (difference == 0) return;
  for (PLazyNode run = Node;; run = run->Parent) {
    run->TotalCount += Cardinal(difference);
    if (run == FRoot) break;
  }
}

void TBaseLazyTree_qn::AdjustTotalHeight(PLazyNode Node, Integer Value, bool Relative) {
  Integer difference = Relative ? Value : Value - Integer(Node->TotalHeight);
  if (difference != 0) {
    PLazyNode run = Node;
    for (;;) {
      run->TotalHeight += Cardinal(difference);
      if (!run->States.Contains(vsVisible) || run == FRoot || !run->Parent->States.Contains(vsExpanded)) break;
      run = run->Parent;
    }
  }
  UpdateVerticalRange();
}

namespace {
// Adds each node's total to its parent's once the node's own subtree is
// done: a post-order walk of Node's descendants over the links.
template <class Add>
void SumUpSubtree(PLazyNode Node, Add AddToParent) {
  PLazyNode run = Node->FirstChild;
  if (!run) return;
  for (;;) {
    if (run->FirstChild) {
      run = run->FirstChild;
      continue;
    }
    for (;;) {
      AddToParent(run->Parent, run);
      if (run->NextSibling) {
        run = run->NextSibling;
        break;
      }
      run = run->Parent;
      if (run == Node) return;
    }
  }
}
}  // namespace

void TBaseLazyTree_qn::FixupTotalCount(PLazyNode Node) {
  SumUpSubtree(Node, [](PLazyNode Parent, PLazyNode Child) { Parent->TotalCount += Child->TotalCount; });
}

void TBaseLazyTree_qn::FixupTotalHeight(PLazyNode Node) {
  SumUpSubtree(Node, [](PLazyNode Parent, PLazyNode Child) {
    if (Parent->States.Contains(vsExpanded) && Child->States.Contains(vsVisible))
      Parent->TotalHeight += Child->TotalHeight;
  });
}

Cardinal TBaseLazyTree_qn::GetTotalCount() {
  {
    TUpdateCountGuard batch(FUpdateCount);
    ValidateNode(FRoot, true);
  }
  return FRoot->TotalCount - 1;
}

Cardinal TBaseLazyTree_qn::CountVisibleChildren(PLazyNode Node) {
  if (!Node->States.Contains(vsExpanded)) return 0;
  // Down through visible, expanded nodes only: what a collapsed or hidden
  // node holds is not in view.
  Cardinal result = 0;
  WalkSubtree(Node, [&](PLazyNode N) {
    if (!N->States.Contains(vsVisible)) return false;
    if (GetEffectivelyVisible(N)) ++result;
    return N->States.Contains(vsExpanded);
  });
  return result;
}

void TBaseLazyTree_qn::DetermineHiddenChildrenFlag(PLazyNode Node) {
  if (Node->ChildCount > 0) {
    bool anyShown = false;
    for (PLazyNode c = Node->FirstChild; c && !anyShown; c = c->NextSibling) anyShown = GetEffectivelyVisible(c);
    if (anyShown) Node->States.Exclude(vsAllChildrenHidden);
    else Node->States.Include(vsAllChildrenHidden);
  } else if (!Node->States.Contains(vsHasChildren)) {
    Node->States.Include(vsAllChildrenHidden);
  } else {
    Node->States.Exclude(vsAllChildrenHidden);
  }
}

void TBaseLazyTree_qn::DetermineHiddenChildrenFlagAllNodes() {
  for (PLazyNode n = GetFirstNoInit(false); n; n = GetNextNoInit(n, false)) DetermineHiddenChildrenFlag(n);
}

void TBaseLazyTree_qn::InternalCacheNode(PLazyNode Node) {
  if (FTempNodeCount == FTempNodeCache.size()) {
    size_t len = FTempNodeCache.size();
    FTempNodeCache.resize(len < 100 ? 100 : len + len / 10);
  }
  FTempNodeCache[FTempNodeCount++] = Node;
}

void TBaseLazyTree_qn::ClearTempCache() {
  FTempNodeCache.clear();
  FTempNodeCount = 0;
}

Cardinal TBaseLazyTree_qn::OwnRowHeight(PLazyNode Node) const {
  return GetEffectivelyFiltered(Node) ? 0 : Node->NodeHeight;
}

// ---------------------------------------------------------------------------
// Node properties

bool TBaseLazyTree_qn::GetVisible(PLazyNode Node) {
  if (!Node) Node = FRoot;
  if (!Node->States.Contains(vsInitialized)) InitNode(Node);
  return Node->States.Contains(vsVisible);
}

void TBaseLazyTree_qn::SetVisible(PLazyNode Node, bool Value) {
  TreeAssert(Node != nullptr && Node != FRoot, SInvalidParameter);
  if (Node->States.Contains(vsVisible) == Value) return;
  InterruptValidation();
  PLazyNode parent = Node->Parent;
  bool needRepaint = false;
  if (Value) {
    Node->States.Include(vsVisible);
    if (parent->States.Contains(vsExpanded)) AdjustTotalHeight(parent, Integer(Node->TotalHeight), true);
    if (GetVisiblePath(Node)) {
      FVisibleCount += CountVisibleChildren(Node) + (GetEffectivelyVisible(Node) ? 1 : 0);
      needRepaint = true;
    }
    if (!GetEffectivelyFiltered(Node)) parent->States.Exclude(vsAllChildrenHidden);
  } else {
    if (parent->States.Contains(vsExpanded)) AdjustTotalHeight(parent, -Integer(Node->TotalHeight), true);
    if (GetVisiblePath(Node)) {
      FVisibleCount -= CountVisibleChildren(Node) + (GetEffectivelyVisible(Node) ? 1 : 0);
      needRepaint = true;
    }
    Node->States.Exclude(vsVisible);
    if (FUpdateCount > 0) DoStateChange({tsUpdateHiddenChildrenNeeded});
    else DetermineHiddenChildrenFlag(parent);
  }
  InvalidateCache();
  if (needRepaint && FUpdateCount == 0) {
    ValidateCache();
    UpdateScrollBars(true);
    if (HandleAllocated()) Invalidate();
  }
}

bool TBaseLazyTree_qn::GetFiltered(PLazyNode Node) const { return Node && Node->States.Contains(vsFiltered); }

void TBaseLazyTree_qn::SetFiltered(PLazyNode Node, bool Value) {
  TreeAssert(Node != nullptr && Node != FRoot, SInvalidParameter);
  if (!Node->States.Contains(vsInitialized)) InitNode(Node);
  if (Node->States.Contains(vsFiltered) == Value) return;
  InterruptValidation();
  bool show = FOptions->PaintOptions().Contains(toShowFilteredNodes);
  // Measured while the flag is unchanged: measuring adjusts the totals of
  // an unfiltered row itself, and must not be counted twice.
  Cardinal height = show ? 0 : GetNodeHeight(Node);
  PLazyNode parent = Node->Parent;
  bool needRepaint = false;
  if (!Value) {
    Node->States.Exclude(vsFiltered);
    if (!show) {
      AdjustTotalHeight(Node, Integer(height), true);
      if (GetFullyVisible(Node)) {
        ++FVisibleCount;
        needRepaint = true;
      }
    }
    if (Node->States.Contains(vsVisible)) parent->States.Exclude(vsAllChildrenHidden);
  } else {
    Node->States.Include(vsFiltered);
    if (!show) {
      AdjustTotalHeight(Node, -Integer(height), true);
      if (GetFullyVisible(Node)) {
        --FVisibleCount;
        needRepaint = true;
      }
    }
    if (FUpdateCount > 0) DoStateChange({tsUpdateHiddenChildrenNeeded});
    else DetermineHiddenChildrenFlag(parent);
  }
  InvalidateCache();
  if (needRepaint && FUpdateCount == 0) {
    ValidateCache();
    UpdateScrollBars(true);
    if (HandleAllocated()) Invalidate();
  }
}

bool TBaseLazyTree_qn::GetDisabled(PLazyNode Node) const { return Node && Node->States.Contains(vsDisabled); }

void TBaseLazyTree_qn::SetDisabled(PLazyNode Node, bool Value) {
  if (!Node || Node->States.Contains(vsDisabled) == Value) return;
  if (Value) Node->States.Include(vsDisabled);
  else Node->States.Exclude(vsDisabled);
  if (FUpdateCount == 0) InvalidateNode(Node);
}

bool TBaseLazyTree_qn::GetMultiline(PLazyNode Node) const {
  return Node && Node != FRoot && Node->States.Contains(vsMultiline);
}

void TBaseLazyTree_qn::SetMultiline(PLazyNode Node, bool Value) {
  if (!Node || Node == FRoot || Node->States.Contains(vsMultiline) == Value) return;
  if (Value) Node->States.Include(vsMultiline);
  else Node->States.Exclude(vsMultiline);
  if (FUpdateCount == 0) InvalidateNode(Node);
}

bool TBaseLazyTree_qn::GetHasChildren(PLazyNode Node) const {
  if (!Node) Node = FRoot;
  return Node->States.Contains(vsHasChildren);
}

void TBaseLazyTree_qn::SetHasChildren(PLazyNode Node, bool Value) {
  if (!Node || FOptions->MiscOptions().Contains(toReadOnly)) return;
  if (Value) {
    Node->States.Include(vsHasChildren);
  } else {
    Node->States.Exclude(vsHasChildren);
    DeleteChildren(Node, false);
  }
}

Cardinal TBaseLazyTree_qn::GetNodeHeight(PLazyNode Node) {
  if (!Node || Node == FRoot) return 0;
  if (FOptions->MiscOptions().Contains(toVariableNodeHeight) && !Node->States.Contains(vsDeleting)) {
    if (!Node->States.Contains(vsInitialized)) InitNode(Node);
    MeasureItemHeight(Canvas(), Node);
  }
  return Node->NodeHeight;
}

void TBaseLazyTree_qn::DoMeasureItem(TCanvas* TargetCanvas, PLazyNode Node, Integer& NodeHeight) {
  if (Assigned(OnMeasureItem)) OnMeasureItem(this, TargetCanvas, Node, NodeHeight);
}

void TBaseLazyTree_qn::MeasureItemHeight(TCanvas* Canvas, PLazyNode Node) {
  if (Node->States.Contains(vsHeightMeasured)) return;
  Node->States.Include(vsHeightMeasured);
  if (!FOptions->MiscOptions().Contains(toVariableNodeHeight)) return;
  Integer height = Node->NodeHeight;
  if (GetCurrentThreadId() != MainThreadID()) {
    TThread::Synchronize(nullptr, TThreadMethod([&] { DoMeasureItem(Canvas, Node, height); }));
  } else {
    DoMeasureItem(Canvas, Node, height);
  }
  if (height != Integer(Node->NodeHeight)) SetNodeHeight(Node, Cardinal(std::max(height, 0)));
}

void TBaseLazyTree_qn::SetNodeHeight(PLazyNode Node, Cardinal Value) {
  if (!Node || Node == FRoot || FOptions->MiscOptions().Contains(toReadOnly)) return;
  // Heights are stored in 16 bits; the totals move by what was stored.
  Word stored = ClampHeight(Value);
  if (stored == Node->NodeHeight) return;
  bool filtered = GetEffectivelyFiltered(Node);
  bool shown = GetFullyVisible(Node) && !filtered;
  // The worker reads heights while it walks; it lets go of the tree first.
  if (shown) InterruptValidation();
  Integer difference = Integer(stored) - Integer(Node->NodeHeight);
  Node->NodeHeight = stored;
  if (!filtered) {
    AdjustTotalHeight(Node, difference, true);
    UpdateEditBounds();
  }
  if (shown) {
    InvalidateCache();
    if (FUpdateCount == 0 && !FStates.Contains(tsPainting) && !FStates.Contains(tsSizing)) {
      ValidateCache();
      InvalidateToBottom(Node);
      UpdateScrollBars(true);
    }
  }
}

void TBaseLazyTree_qn::SetDefaultNodeHeight(Cardinal Value) {
  if (Value == 0) Value = 18;
  Value = ClampHeight(Value);
  if (Value == FDefaultNodeHeight) return;
  Integer difference = Integer(Value) - Integer(FDefaultNodeHeight);
  FRoot->NodeHeight = Word(Integer(FRoot->NodeHeight) + difference);
  FRoot->TotalHeight += Cardinal(difference);
  FDefaultNodeHeight = Value;
  InvalidateCache();
  if (FUpdateCount == 0 && HandleAllocated() && !ComponentState().Contains(csLoading)) {
    ValidateCache();
    UpdateScrollBars(true);
    ScrollIntoView(FFocusedNode, FOptions->SelectionOptions().Contains(toCenterScrollIntoView), true);
    Invalidate();
  }
}

PLazyNode TBaseLazyTree_qn::GetNodeParent(PLazyNode Node) const {
  if (!Node || Node->Parent == FRoot) return nullptr;
  return Node->Parent;
}

bool TBaseLazyTree_qn::GetVisiblePath(PLazyNode Node) const {
  TreeAssert(Node != nullptr && Node != FRoot, SInvalidParameters);
  PLazyNode run = Node->Parent;
  while (run != FRoot && run->States.Contains(vsExpanded) && run->States.Contains(vsVisible)) run = run->Parent;
  return run == FRoot;
}

void TBaseLazyTree_qn::SetVisiblePath(PLazyNode Node, bool Value) {
  TreeAssert(Node != nullptr && Node != FRoot, SInvalidParameter);
  if (!Value) return;
  for (PLazyNode run = Node->Parent; run != FRoot; run = run->Parent)
    if (!run->States.Contains(vsExpanded)) ToggleNode(run);
}

bool TBaseLazyTree_qn::GetFullyVisible(PLazyNode Node) const {
  TreeAssert(Node != nullptr, SInvalidParameter);
  return Node->States.Contains(vsVisible) && (Node == FRoot || GetVisiblePath(Node));
}

void TBaseLazyTree_qn::SetFullyVisible(PLazyNode Node, bool Value) {
  TreeAssert(Node != nullptr && Node != FRoot, SInvalidParameter);
  SetVisible(Node, Value);
  if (!Value) return;
  for (PLazyNode run = Node->Parent; run != FRoot; run = run->Parent) {
    if (!run->States.Contains(vsExpanded)) ToggleNode(run);
    if (!run->States.Contains(vsVisible)) SetVisible(run, true);
  }
}

bool TBaseLazyTree_qn::GetEffectivelyFiltered(PLazyNode Node) const {
  return Node && Node->States.Contains(vsFiltered) && !FOptions->PaintOptions().Contains(toShowFilteredNodes);
}

bool TBaseLazyTree_qn::GetEffectivelyVisible(PLazyNode Node) const {
  return Node->States.Contains(vsVisible) && !GetEffectivelyFiltered(Node);
}

bool TBaseLazyTree_qn::GetChildrenInitialized(PLazyNode Node) const {
  return !Node->States.Contains(vsHasChildren) || Node->ChildCount > 0;
}

bool TBaseLazyTree_qn::GetExpanded(PLazyNode Node) const { return Node && Node->States.Contains(vsExpanded); }

void TBaseLazyTree_qn::SetExpanded(PLazyNode Node, bool Value) {
  if (Node && Node != FRoot && Node->States.Contains(vsExpanded) != Value) ToggleNode(Node);
}

void TBaseLazyTree_qn::SetNodeParent(PLazyNode Node, PLazyNode Value) {
  if (Node && Value && Value != Node->Parent) MoveTo(Node, Value, amAddChildLast, false);
}

}  // namespace qn
