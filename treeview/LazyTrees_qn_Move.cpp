// Moving nodes inside the tree, sorting sibling lists and the marks of a
// pending clipboard cut or copy.
#include <exception>

#include "treeview/LazyTrees_qn.h"
#include "treeview/LazyTrees_qn_Internal.h"

namespace qn {

using lazytrees_internal::TUpdateCountGuard;

namespace {
inline constexpr const char16_t* SSourceNotInTree = u"The source tree must contain the source node.";
inline constexpr const char16_t* SNoStreamTransfer =
    u"Nodes move into another tree through the node stream, which this tree cannot write yet.";
}  // namespace

// ---------------------------------------------------------------------------
// Events

bool TBaseLazyTree_qn::DoNodeMoving(PLazyNode Node, PLazyNode Target) {
  bool allowed = true;
  if (Assigned(OnNodeMoving)) OnNodeMoving(this, Node, Target, allowed);
  return allowed;
}

void TBaseLazyTree_qn::DoNodeMoved(PLazyNode Node) {
  if (Assigned(OnNodeMoved)) OnNodeMoved(this, Node);
}

bool TBaseLazyTree_qn::DoNodeCopying(PLazyNode Node, PLazyNode Target) {
  bool allowed = true;
  if (Assigned(OnNodeCopying)) OnNodeCopying(this, Node, Target, allowed);
  return allowed;
}

void TBaseLazyTree_qn::DoNodeCopied(PLazyNode Node) {
  if (Assigned(OnNodeCopied)) OnNodeCopied(this, Node);
}

Integer TBaseLazyTree_qn::DoCompare(PLazyNode Node1, PLazyNode Node2, TColumnIndex Column) {
  Integer result = 0;
  if (Assigned(OnCompareNodes)) OnCompareNodes(this, Node1, Node2, Column, result);
  return result;
}

bool TBaseLazyTree_qn::AutoSortAllowed() const {
  return FOptions->AutoOptions().Contains(toAutoSort) && FSortColumn > InvalidColumn && CanCompareNodes();
}

// ---------------------------------------------------------------------------
// Moving

void TBaseLazyTree_qn::MoveTo(PLazyNode Source, PLazyNode Target, TVTNodeAttachMode Mode, bool ChildrenOnly) {
  if (!Source || Source == FRoot || Mode == amNoWhere || FOptions->MiscOptions().Contains(toReadOnly)) return;
  TreeAssert(TreeFromNode(Source) == this, SSourceNotInTree);
  if (Target == Source && !(ChildrenOnly && (Mode == amInsertBefore || Mode == amInsertAfter))) return;
  TBaseLazyTree_qn* targetTree = this;
  if (!Target) {
    Target = FRoot;
    Mode = amAddChildFirst;
  } else {
    targetTree = TreeFromNode(Target);
  }
  TreeAssert(targetTree == this, SNoStreamTransfer);
  if (Target == FRoot) {
    if (Mode == amInsertBefore) Mode = amAddChildFirst;
    else if (Mode == amInsertAfter) Mode = amAddChildLast;
  } else if (!Target->States.Contains(vsInitialized)) {
    InitNode(Target);
  } else if (Target->States.Contains(vsHasChildren) && Target->ChildCount == 0) {
    InitChildren(Target);
  }

  bool allowed = DoNodeMoving(Source, Target == FRoot ? nullptr : Target);
  if (allowed) {
    if (Target != Source && HasAsParent(Target, Source)) throw ELazyTreeError(SWrongMoveError, hcTFEWrongMove);
    InterruptValidation();
    if (ChildrenOnly) {
      // Added as first children one by one, the last child goes first so
      // that the order stays.
      bool reverse = Mode == amAddChildFirst;
      PLazyNode child = reverse ? Source->LastChild : Source->FirstChild;
      while (child) {
        PLazyNode next = reverse ? child->PrevSibling : child->NextSibling;
        InternalDisconnectNode(child, true, false);
        InternalConnectNode(child, Target, this, Mode);
        DoNodeMoved(child);
        child = next;
      }
    } else {
      InternalDisconnectNode(Source, true, true);
      InternalConnectNode(Source, Target, this, Mode);
      DoNodeMoved(Source);
    }
  }
  InvalidateCache();
  if (allowed && FUpdateCount == 0) {
    ValidateCache();
    UpdateScrollBars(true);
    if (HandleAllocated()) Invalidate();
  }
  StructureChange(ChildrenOnly ? nullptr : Source, crNodeMoved);
}

void TBaseLazyTree_qn::MoveTo(PLazyNode Node, TBaseLazyTree_qn* Tree, TVTNodeAttachMode Mode, bool ChildrenOnly) {
  TreeAssert(Tree != nullptr, STreeMustNotBeNil);
  MoveTo(Node, Tree->FRoot, Mode, ChildrenOnly);
}

// ---------------------------------------------------------------------------
// Sorting

namespace {
// A top-down merge sort over the sibling links: no array, records are only
// relinked. A raising comparison stops comparing (the rest keeps its order)
// and is raised once the list is whole again.
struct TListSorter {
  TBaseLazyTree_qn* Tree;
  TColumnIndex Column;
  bool Ascending;
  std::exception_ptr Error;
  Integer (*Compare)(TBaseLazyTree_qn*, PLazyNode, PLazyNode, TColumnIndex);

  bool TakeSecond(PLazyNode A, PLazyNode B) {
    if (Error || Tree->OperationCanceled()) return false;
    Integer c = 0;
    try {
      c = Compare(Tree, A, B, Column);
    } catch (...) {
      Error = std::current_exception();
      return false;
    }
    return Ascending ? c > 0 : c < 0;
  }
  PLazyNode Merge(PLazyNode A, PLazyNode B) {
    PLazyNode head = nullptr;
    PLazyNode* tail = &head;
    while (A && B) {
      if (TakeSecond(A, B)) {
        *tail = B;
        B = B->NextSibling;
      } else {
        *tail = A;
        A = A->NextSibling;
      }
      tail = &(*tail)->NextSibling;
    }
    *tail = A ? A : B;
    return head;
  }
  // Sorts the first N nodes of List and leaves List at the node after them.
  PLazyNode SortList(PLazyNode& List, Cardinal N) {
    if (N == 1) {
      PLazyNode node = List;
      List = List->NextSibling;
      node->NextSibling = nullptr;
      return node;
    }
    PLazyNode first = SortList(List, N / 2);
    PLazyNode second = SortList(List, (N + 1) / 2);
    return Merge(first, second);
  }
};
}  // namespace

void TBaseLazyTree_qn::Sort(PLazyNode Node, TColumnIndex Column, TSortDirection Direction, bool DoInit) {
  InterruptValidation();
  if (FStates.Contains(tsEditPending)) {
    StopTimer(EditTimer);
    DoStateChange({}, {tsEditPending});
  }
  if (FStates.Contains(tsEditing) && !EndEditNode()) return;
  if (!Node) Node = FRoot;
  if (!Node->States.Contains(vsHasChildren) && Node->ChildCount == 0) return;
  if (DoInit) {
    if (Node->ChildCount == 0) InitChildren(Node);
    ValidateChildren(Node, false);
  }
  std::exception_ptr error;
  if (Node->ChildCount > 1) {
    StartOperation(okSortNode);
    TListSorter sorter{this, Column, Direction == sdAscending, nullptr,
                       [](TBaseLazyTree_qn* T, PLazyNode A, PLazyNode B, TColumnIndex C) {
                         return T->DoCompare(A, B, C);
                       }};
    PLazyNode list = Node->FirstChild;
    PLazyNode sorted = sorter.SortList(list, Node->ChildCount);
    error = sorter.Error;
    Node->FirstChild = sorted;
    PLazyNode prev = nullptr;
    Cardinal index = 0;
    for (PLazyNode n = sorted; n; n = n->NextSibling) {
      n->PrevSibling = prev;
      n->Index = index++;
      prev = n;
    }
    Node->LastChild = prev;
    InvalidateCache();
    EndOperation(okSortNode);
  }
  if (FUpdateCount == 0) {
    ValidateCache();
    if (HandleAllocated()) Invalidate();
  }
  if (error) std::rethrow_exception(error);
}

void TBaseLazyTree_qn::SortTree(TColumnIndex Column, TSortDirection Direction, bool DoInit) {
  if (FRoot->TotalCount <= 2) return;
  {
    TUpdateCountGuard batch(FUpdateCount);
    if (Column >= NoColumn) {
      StartOperation(okSortTree);
      bool onlyExpanded = FOptions->AutoOptions().Contains(toAutoSort);
      auto sortLevel = [&](auto& self, PLazyNode Node) -> void {
        Sort(Node, Column, Direction, DoInit);
        for (PLazyNode c = Node->FirstChild; c && !OperationCanceled(); c = c->NextSibling) {
          if (DoInit && !c->States.Contains(vsInitialized)) InitNode(c);
          if (c->States.Contains(vsInitialized) && (!onlyExpanded || c->States.Contains(vsExpanded))) self(self, c);
        }
      };
      try {
        sortLevel(sortLevel, FRoot);
      } catch (...) {
        EndOperation(okSortTree);
        throw;
      }
      EndOperation(okSortTree);
    }
    InvalidateCache();
  }
  if (FUpdateCount == 0) {
    ValidateCache();
    if (HandleAllocated()) Invalidate();
  }
}

// ---------------------------------------------------------------------------
// Cut and copy marks

void TBaseLazyTree_qn::MarkCutCopyNodes() {
  for (PLazyNode n : GetSortedSelection(false))
    if (!n->States.Contains(vsDisabled)) {
      n->States.Include(vsCutOrCopy);
      InvalidateNode(n);
    }
}

void TBaseLazyTree_qn::CancelCutOrCopy() {
  if (!FStates.Contains(tsCutPending) && !FStates.Contains(tsCopyPending)) return;
  for (PLazyNode n = FRoot->FirstChild; n; n = GetNextNoInit(n)) n->States.Exclude(vsCutOrCopy);
  DoStateChange({}, {tsCutPending, tsCopyPending});
  if (HandleAllocated()) Invalidate();
}

void TBaseLazyTree_qn::FinishCutOrCopy() {
  if (!FStates.Contains(tsCutPending)) return;
  PLazyNode n = FRoot->FirstChild;
  while (n) {
    if (n->States.Contains(vsCutOrCopy)) {
      PLazyNode next = NextSiblingOfSubtree(n);
      DeleteNode(n, true);
      n = next;
    } else {
      n = GetNextNoInit(n);
    }
  }
  DoStateChange({}, {tsCutPending});
}

Cardinal TBaseLazyTree_qn::GetCutCopyCount() {
  Cardinal count = 0;
  for (PLazyNode n = GetFirstCutCopy(); n; n = GetNextCutCopy(n)) ++count;
  return count;
}

TNodeArray TBaseLazyTree_qn::GetSortedCutCopySet(bool Resolve) {
  TNodeArray result;
  size_t found = 0;
  PLazyNode n = FRoot->FirstChild;
  while (n) {
    if (n->States.Contains(vsCutOrCopy)) {
      if (found == result.size()) result.resize(result.empty() ? 100 : result.size() + result.size() / 10);
      result[found++] = n;
      if (Resolve) {
        n = NextSiblingOfSubtree(n);
        continue;
      }
    }
    n = GetNextNoInit(n);
  }
  result.resize(found);
  return result;
}

}  // namespace qn
