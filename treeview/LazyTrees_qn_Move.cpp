// Moving nodes inside the tree, sorting sibling lists and the marks of a
// pending clipboard cut or copy.
#include <algorithm>
#include <exception>
#include <memory>
#include <utility>

#include "treeview/LazyTrees_qn.h"
#include "treeview/LazyTrees_qn_Internal.h"

namespace qn {

using lazytrees_internal::TUpdateCountGuard;

namespace {
inline constexpr const char16_t* SSourceNotInTree = u"The source tree must contain the source node.";
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

namespace {
// Writes Source, or its children, into a memory stream for another tree (or
// another place). Reversed writes the children from the last to the first.
void WriteTransfer(TBaseLazyTree_qn* Tree, TMemoryStream* Stream, PLazyNode Source, bool ChildrenOnly,
                   bool Reversed) {
  // Room for the usual node up front: grown in the stream's small steps, a
  // large subtree would be moved in memory over and over.
  Stream->SetCapacity(Int64(Source->TotalCount) * 64);
  if (!ChildrenOnly) {
    Tree->WriteNode(Stream, Source);
  } else if (Reversed) {
    for (PLazyNode c = Source->LastChild; c; c = c->PrevSibling) Tree->WriteNode(Stream, c);
  } else {
    for (PLazyNode c = Source->FirstChild; c; c = c->NextSibling) Tree->WriteNode(Stream, c);
  }
  Stream->SetPosition(0);
}
}  // namespace

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
  // A read-only tree takes no nodes, as it takes no copies.
  if (targetTree != this && targetTree->FOptions->MiscOptions().Contains(toReadOnly)) return;
  if (Target == targetTree->FRoot) {
    if (Mode == amInsertBefore) Mode = amAddChildFirst;
    else if (Mode == amInsertAfter) Mode = amAddChildLast;
  } else {
    // Initializing the target may give it children still to be made: both
    // happen, as for a copy, or the moved nodes would be its only ones.
    if (!Target->States.Contains(vsInitialized)) targetTree->InitNode(Target);
    if (Target->States.Contains(vsHasChildren) && Target->ChildCount == 0) targetTree->InitChildren(Target);
  }

  bool allowed = DoNodeMoving(Source, Target == targetTree->FRoot ? nullptr : Target);
  bool elsewhere = targetTree != this;
  if (allowed && elsewhere) {
    // Into another tree through the node stream. The children go in the
    // order a move inside one tree gives them: last to first when each
    // becomes the first child.
    TMemoryStream stream;
    WriteTransfer(this, &stream, Source, ChildrenOnly, Mode == amAddChildFirst);
    targetTree->BeginUpdate();
    try {
      targetTree->InterruptValidation();
      // A move that fails part-way takes back what arrived: the nodes stay
      // where they were, and only there.
      TNodeLoad load(targetTree);
      while (stream.Position() < stream.Size()) DoNodeMoved(load.Read(&stream, 2, Target, Mode));
      load.Commit();
    } catch (...) {
      targetTree->EndUpdate();
      throw;
    }
    targetTree->EndUpdate();
    BeginUpdate();
    try {
      if (ChildrenOnly) DeleteChildren(Source, false);
      else DeleteNode(Source, true);
    } catch (...) {
      EndUpdate();
      throw;
    }
    EndUpdate();
  } else if (allowed) {
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
    if (elsewhere && targetTree->HandleAllocated()) targetTree->Invalidate();
  }
  // A node that left for another tree no longer exists here.
  StructureChange(ChildrenOnly || (allowed && elsewhere) ? nullptr : Source, crNodeMoved);
}

void TBaseLazyTree_qn::MoveTo(PLazyNode Node, TBaseLazyTree_qn* Tree, TVTNodeAttachMode Mode, bool ChildrenOnly) {
  TreeAssert(Tree != nullptr, STreeMustNotBeNil);
  MoveTo(Node, Tree->FRoot, Mode, ChildrenOnly);
}

// ---------------------------------------------------------------------------
// Copying

PLazyNode TBaseLazyTree_qn::CopyTo(PLazyNode Source, PLazyNode Target, TVTNodeAttachMode Mode, bool ChildrenOnly) {
  if (!Source || Source == FRoot || Mode == amNoWhere) return nullptr;
  TreeAssert(TreeFromNode(Source) == this, SSourceNotInTree);
  TBaseLazyTree_qn* targetTree = this;
  if (!Target) {
    Target = FRoot;
    Mode = amAddChildFirst;
  } else {
    targetTree = TreeFromNode(Target);
  }
  if (targetTree->FOptions->MiscOptions().Contains(toReadOnly)) return nullptr;
  PLazyNode targetRoot = targetTree->FRoot;
  if (Target == targetRoot) {
    if (Mode == amInsertBefore) Mode = amAddChildFirst;
    else if (Mode == amInsertAfter) Mode = amAddChildLast;
  } else if (Mode == amAddChildFirst || Mode == amAddChildLast) {
    // The copies join the target's children, which must exist first.
    if (!Target->States.Contains(vsInitialized)) targetTree->InitNode(Target);
    if (Target->States.Contains(vsHasChildren) && Target->ChildCount == 0) targetTree->InitChildren(Target);
  }

  // Written completely before anything is added, so a copy into the
  // source's own subtree reads only what was there.
  TMemoryStream stream;
  WriteTransfer(this, &stream, Source, ChildrenOnly, false);
  PLazyNode result = nullptr;
  PLazyNode reportedTarget = Target == targetRoot ? nullptr : Target;
  targetTree->BeginUpdate();
  try {
    targetTree->InterruptValidation();
    // A copy that fails part-way takes back the copies made so far.
    TNodeLoad load(targetTree);
    while (stream.Position() < stream.Size()) {
      PLazyNode node = load.Read(&stream, 2, Target, Mode);
      if (targetTree->DoNodeCopying(node, reportedTarget)) {
        targetTree->DoNodeCopied(node);
        result = node;
      } else {
        load.DropLast();
        result = nullptr;
      }
    }
    load.Commit();
    if (ChildrenOnly) result = reportedTarget;
  } catch (...) {
    targetTree->EndUpdate();
    throw;
  }
  targetTree->EndUpdate();
  targetTree->InvalidateCache();
  if (targetTree->FUpdateCount == 0) {
    targetTree->ValidateCache();
    targetTree->UpdateScrollBars(true);
    if (targetTree->HandleAllocated()) targetTree->Invalidate();
  }
  targetTree->StructureChange(ChildrenOnly ? nullptr : Source, crNodeCopied);
  return result;
}

PLazyNode TBaseLazyTree_qn::CopyTo(PLazyNode Source, TBaseLazyTree_qn* Tree, TVTNodeAttachMode Mode,
                                   bool ChildrenOnly) {
  TreeAssert(Tree != nullptr, STreeMustNotBeNil);
  return CopyTo(Source, Tree->FRoot, Mode, ChildrenOnly);
}

// ---------------------------------------------------------------------------
// Sorting

namespace {
// How far ahead in each run the merge fetches records: a comparison takes a
// few nanoseconds, a record from the far cache many more. The arrays are
// padded for the reads past their end.
constexpr size_t kFetchAhead = 16;

// A stable top-down merge sort of a sibling list, run on an array of the
// children's pointers: a list of N is split into its first N div 2 and its
// remaining nodes, each part sorted, and the two merged, taking from the
// second part only when the comparison says so. These are the splits and
// the comparisons, in the same order, that merging the linked list itself
// would make, so a handler that cancels or raises halfway leaves the same
// order. The array spares the walk along the links, which misses the cache
// at every step once the records are shuffled, and lets the merge fetch the
// records of the next comparisons ahead. The last merge links each node it
// places, as merging the list would: a placed node is not compared again,
// and the nodes still compared keep their links and index until placed.
//
// Compare(A, B) is the host's comparison, Canceled() whether the running
// operation was cancelled. Once it is, or once a comparison raised, nothing
// is compared any more and every remaining merge keeps its runs in order.
template <bool Ascending, class TCompare, class TCanceled>
class TSiblingSorter {
 public:
  // Comparisons mostly read the user data: Lookahead is its offset in a
  // node, the line fetched ahead.
  TSiblingSorter(PLazyNode First, TCompare Compare, TCanceled Canceled, size_t Lookahead)
      : FNext(First), FCompare(Compare), FCanceled(Canceled), FLookahead(Lookahead), FStopped(Canceled()) {}

  // Sorts the next N (at least 2) nodes of the list into Into, From being
  // scratch of the same size. The leaves take their nodes from the list as
  // the recursion reaches them, left to right: the walk along the links
  // then overlaps the comparisons instead of missing the cache on its own.
  // The halves are sorted into From, swapping the roles at every level, so
  // merging never copies back.
  void SortRun(PLazyNode* Into, PLazyNode* From, size_t N, bool Top = false) {
    if (N == 2) {
      Into[0] = Take();
      Into[1] = Take();
      if (!FStopped && Step(Into[0], Into[1])) std::swap(Into[0], Into[1]);
      return;
    }
    size_t half = N / 2;
    if (half > 1)
      SortRun(From, Into, half);
    else
      From[0] = Take();
    SortRun(From + half, Into + half, N - half);
    if (Top) {
      // Every node has been taken from the list by now and a node placed
      // by the last merge is never compared again: it is linked into its
      // new place while its record is still near.
      Merge<true>(From, From + half, From + half, From + N, Into);
      FPrev->NextSibling = nullptr;
      Linked = true;
    } else {
      Merge<false>(From, From + half, From + half, From + N, Into);
    }
  }

  std::exception_ptr Error;
  // The last merge linked the siblings in their new order and numbered them.
  bool Linked = false;

 private:
  PLazyNode Take() {
    PLazyNode n = FNext;
    FNext = n->NextSibling;
    return n;
  }

  // Whether B goes before A. Descending takes the second node on a negative
  // result: the result is compared, not negated, so the lowest Integer
  // cannot overflow.
  static bool TakeSecond(Integer C) { return Ascending ? C > 0 : C < 0; }

  bool Step(PLazyNode A, PLazyNode B) {
    Integer c;
    try {
      c = FCompare(A, B);
    } catch (...) {
      Error = std::current_exception();
      FStopped = true;
      return false;
    }
    if (FCanceled()) FStopped = true;
    return TakeSecond(c);
  }

  // Both runs hold at least one node.
  template <bool Link>
  void Merge(const PLazyNode* A, const PLazyNode* AEnd, const PLazyNode* B, const PLazyNode* BEnd,
             PLazyNode* Out) {
    auto emit = [&](PLazyNode N) {
      *Out++ = N;
      if constexpr (Link) {
        N->PrevSibling = FPrev;
        if (FPrev) FPrev->NextSibling = N;
        N->Index = FIndex++;
        FPrev = N;
      }
    };
    if (!FStopped) {
      // Local copies stay in registers across the host's calls.
      TCompare compare = FCompare;
      TCanceled canceled = FCanceled;
      const size_t lookahead = FLookahead;
      // A node read past a run's end is only fetched, never compared.
      auto fetch = [lookahead](PLazyNode Node) {
        __builtin_prefetch(reinterpret_cast<const Byte*>(Node) + lookahead);
      };
      // The heads of both runs stay in registers across the host's call.
      PLazyNode a = *A, b = *B;
      for (;;) {
        Integer c;
        try {
          c = compare(a, b);
        } catch (...) {
          Error = std::current_exception();
          FStopped = true;
          break;
        }
        fetch(A[kFetchAhead]);
        fetch(B[kFetchAhead]);
        // After a take only the run taken from can have run out.
        if (TakeSecond(c)) {
          emit(b);
          if (++B == BEnd) break;
          b = *B;
        } else {
          emit(a);
          if (++A == AEnd) break;
          a = *A;
        }
        if (canceled()) {
          FStopped = true;
          break;
        }
      }
      if (!FStopped && canceled()) FStopped = true;
    }
    // The tails are mostly a node or two: a call to copy them costs more.
    while (A != AEnd) emit(*A++);
    while (B != BEnd) emit(*B++);
  }

  PLazyNode FNext;
  PLazyNode FPrev = nullptr;
  Cardinal FIndex = 0;
  TCompare FCompare;
  TCanceled FCanceled;
  size_t FLookahead;
  bool FStopped;
};

template <bool Ascending, class TCompare, class TCanceled>
std::exception_ptr SortSiblings(PLazyNode First, PLazyNode* Into, PLazyNode* From, size_t N, TCompare Compare,
                                TCanceled Canceled, size_t Lookahead, bool& Linked) {
  TSiblingSorter<Ascending, TCompare, TCanceled> sorter(First, Compare, Canceled, Lookahead);
  sorter.SortRun(Into, From, N, true);
  Linked = sorter.Linked;
  return sorter.Error;
}
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
    const size_t count = Node->ChildCount;
    // Two arrays for the children, the run being merged and its scratch,
    // back to back. Small lists, the usual case when a whole tree is
    // sorted, stay on the stack; the heap one is taken before anything
    // changes, so running out of memory leaves the list as it was.
    constexpr size_t kLocal = 64, kPad = kFetchAhead;
    PLazyNode local[2 * kLocal + kPad];
    std::unique_ptr<PLazyNode[]> heap;
    PLazyNode* into = local;
    if (count > kLocal) {
      heap.reset(new PLazyNode[2 * count + kPad]());
      into = heap.get();
    }
    // The merge fetches ahead past a run's end without looking: entries not
    // written yet must hold a pointer, nil will do.
    if (into == local) std::fill_n(local, 2 * count + kPad, nullptr);
    PLazyNode* from = into + count;

    StartOperation(okSortNode);
    // The flags are read directly: this runs after every comparison.
    auto compare = [this, Column](PLazyNode A, PLazyNode B) { return DoCompare(A, B, Column); };
    auto canceled = [this] { return FOperationCanceled && FOperationCount > 0; };
    bool linked = false;
    error = Direction == sdAscending ? SortSiblings<true>(Node->FirstChild, into, from, count, compare, canceled,
                                                        UserDataOffset(), linked)
                                     : SortSiblings<false>(Node->FirstChild, into, from, count, compare, canceled,
                                                         UserDataOffset(), linked);

    if (!linked) {
      // A pair: the sort ended in a leaf.
      PLazyNode prev = nullptr;
      for (size_t i = 0; i < count; ++i) {
        PLazyNode n = into[i];
        n->PrevSibling = prev;
        n->NextSibling = i + 1 < count ? into[i + 1] : nullptr;
        n->Index = Cardinal(i);
        prev = n;
      }
    }
    Node->FirstChild = into[0];
    Node->LastChild = into[count - 1];
    InvalidateCache();
    EndOperation(okSortNode);
  }
  if (FUpdateCount == 0) {
    ValidateCache();
    if (HandleAllocated()) Invalidate();
  }
  // A raising comparison is raised once the list is whole again.
  if (error) std::rethrow_exception(error);
}

void TBaseLazyTree_qn::SortTree(TColumnIndex Column, TSortDirection Direction, bool DoInit) {
  if (FRoot->TotalCount <= 2) return;
  {
    TUpdateCountGuard batch(FUpdateCount);
    if (Column >= NoColumn) {
      StartOperation(okSortTree);
      bool onlyExpanded = FOptions->AutoOptions().Contains(toAutoSort);
      // Each node's children are sorted before any of them is entered; the
      // walk follows the links, not the stack, as the tree may be deeper
      // than the stack. A cancelled operation leaves every level at once.
      auto sortAll = [&] {
        PLazyNode level = FRoot;
        Sort(level, Column, Direction, DoInit);
        PLazyNode c = level->FirstChild;
        for (;;) {
          if (c && !OperationCanceled()) {
            if (DoInit && !c->States.Contains(vsInitialized)) InitNode(c);
            if (c->States.Contains(vsInitialized) && (!onlyExpanded || c->States.Contains(vsExpanded))) {
              level = c;
              Sort(level, Column, Direction, DoInit);
              c = level->FirstChild;
            } else {
              c = c->NextSibling;
            }
            continue;
          }
          if (level == FRoot) return;
          c = level->NextSibling;
          level = level->Parent;
        }
      };
      try {
        sortAll();
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
