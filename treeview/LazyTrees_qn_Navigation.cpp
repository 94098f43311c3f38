// Walks over the nodes: first, last, next and previous in several senses,
// each in an initializing form and a NoInit form that never calls the host;
// pre-order, or post-order (children before their parent) with
// toChildrenAbove and ConsiderChildrenAbove. Subtree iteration, positions
// and the node enumerations sit on top of them.
#include "treeview/LazyTrees_qn.h"

namespace qn {

bool TBaseLazyTree_qn::ChildrenAbove(bool Consider) const {
  return Consider && FOptions->PaintOptions().Contains(toChildrenAbove);
}

template <bool Init>
void TBaseLazyTree_qn::Touch(PLazyNode Node) {
  if constexpr (Init) {
    if (Node && Node != FRoot && !Node->States.Contains(vsInitialized)) InitNode(Node);
  }
}

template <bool Init>
void TBaseLazyTree_qn::Populate(PLazyNode Node) {
  if constexpr (Init) {
    if (Node != FRoot && Node->States.Contains(vsHasChildren) && Node->ChildCount == 0) InitChildren(Node);
  }
}

// ---------------------------------------------------------------------------
// Plain walks

template <bool Init>
PLazyNode TBaseLazyTree_qn::WalkFirst(bool Above) {
  PLazyNode result = FRoot->FirstChild;
  Touch<Init>(result);
  if (Above) {
    while (result) {
      Populate<Init>(result);
      if (!result->FirstChild) break;
      result = result->FirstChild;
      Touch<Init>(result);
    }
  }
  return result;
}

template <bool Init>
PLazyNode TBaseLazyTree_qn::WalkNext(PLazyNode Node, bool Above) {
  PLazyNode result = nullptr;
  if (!Above) {
    Populate<Init>(Node);
    if (Node->FirstChild) {
      result = Node->FirstChild;
    } else {
      for (PLazyNode run = Node; run != FRoot; run = run->Parent)
        if (run->NextSibling) {
          result = run->NextSibling;
          break;
        }
    }
    Touch<Init>(result);
  } else if (Node->NextSibling) {
    result = Node->NextSibling;
    Touch<Init>(result);
    for (;;) {
      Populate<Init>(result);
      if (!result->FirstChild) break;
      result = result->FirstChild;
      Touch<Init>(result);
    }
  } else if (Node->Parent != FRoot) {
    result = Node->Parent;
    Touch<Init>(result);
  }
  return result;
}

template <bool Init>
PLazyNode TBaseLazyTree_qn::WalkPrevious(PLazyNode Node, bool Above) {
  PLazyNode result = nullptr;
  if (!Above) {
    if (Node->PrevSibling) {
      result = Node->PrevSibling;
      Touch<Init>(result);
      for (;;) {
        Populate<Init>(result);
        if (!result->LastChild) break;
        result = result->LastChild;
        Touch<Init>(result);
      }
    } else if (Node->Parent != FRoot) {
      result = Node->Parent;
    }
  } else {
    Populate<Init>(Node);
    if (Node->LastChild) {
      result = Node->LastChild;
    } else {
      for (PLazyNode run = Node; run != FRoot; run = run->Parent)
        if (run->PrevSibling) {
          result = run->PrevSibling;
          break;
        }
    }
  }
  Touch<Init>(result);
  return result;
}

template <bool Init>
PLazyNode TBaseLazyTree_qn::WalkLast(PLazyNode Node, bool Above) {
  if (!Node) Node = FRoot;
  Touch<Init>(Node);
  Populate<Init>(Node);
  PLazyNode result = Node->LastChild;
  if (!result) return nullptr;
  Touch<Init>(result);
  if (Above) return result;
  for (;;) {
    Populate<Init>(result);
    if (!result->LastChild) break;
    result = result->LastChild;
    Touch<Init>(result);
  }
  return result;
}

PLazyNode TBaseLazyTree_qn::GetFirst(bool ConsiderChildrenAbove) { return WalkFirst<true>(ChildrenAbove(ConsiderChildrenAbove)); }

PLazyNode TBaseLazyTree_qn::GetFirstNoInit(bool ConsiderChildrenAbove) {
  return WalkFirst<false>(ChildrenAbove(ConsiderChildrenAbove));
}

PLazyNode TBaseLazyTree_qn::GetNext(PLazyNode Node, bool ConsiderChildrenAbove) {
  if (!Node) return nullptr;
  TreeAssert(Node != FRoot, SNodeIsHiddenRoot);
  return WalkNext<true>(Node, ChildrenAbove(ConsiderChildrenAbove));
}

PLazyNode TBaseLazyTree_qn::GetNextNoInit(PLazyNode Node, bool ConsiderChildrenAbove) {
  if (!Node) return nullptr;
  TreeAssert(Node != FRoot, SNodeIsHiddenRoot);
  return WalkNext<false>(Node, ChildrenAbove(ConsiderChildrenAbove));
}

PLazyNode TBaseLazyTree_qn::GetPrevious(PLazyNode Node, bool ConsiderChildrenAbove) {
  if (!Node) return nullptr;
  TreeAssert(Node != FRoot, SNodeIsHiddenRoot);
  return WalkPrevious<true>(Node, ChildrenAbove(ConsiderChildrenAbove));
}

PLazyNode TBaseLazyTree_qn::GetPreviousNoInit(PLazyNode Node, bool ConsiderChildrenAbove) {
  if (!Node) return nullptr;
  TreeAssert(Node != FRoot, SNodeIsHiddenRoot);
  return WalkPrevious<false>(Node, ChildrenAbove(ConsiderChildrenAbove));
}

PLazyNode TBaseLazyTree_qn::GetLast(PLazyNode Node, bool ConsiderChildrenAbove) {
  return WalkLast<true>(Node, ChildrenAbove(ConsiderChildrenAbove));
}

PLazyNode TBaseLazyTree_qn::GetLastNoInit(PLazyNode Node, bool ConsiderChildrenAbove) {
  return WalkLast<false>(Node, ChildrenAbove(ConsiderChildrenAbove));
}

PLazyNode TBaseLazyTree_qn::GetFirstChild(PLazyNode Node) {
  if (!Node) Node = FRoot;
  Touch<true>(Node);
  Populate<true>(Node);
  Touch<true>(Node->FirstChild);
  return Node->FirstChild;
}

PLazyNode TBaseLazyTree_qn::GetFirstChildNoInit(PLazyNode Node) { return (Node ? Node : FRoot)->FirstChild; }

PLazyNode TBaseLazyTree_qn::GetLastChild(PLazyNode Node) {
  if (!Node) Node = FRoot;
  Touch<true>(Node);
  Populate<true>(Node);
  Touch<true>(Node->LastChild);
  return Node->LastChild;
}

PLazyNode TBaseLazyTree_qn::GetLastChildNoInit(PLazyNode Node) { return (Node ? Node : FRoot)->LastChild; }

PLazyNode TBaseLazyTree_qn::GetNextSibling(PLazyNode Node) {
  if (!Node) return nullptr;
  TreeAssert(Node != FRoot, SNodeIsHiddenRoot);
  Touch<true>(Node->NextSibling);
  return Node->NextSibling;
}

PLazyNode TBaseLazyTree_qn::GetNextSiblingNoInit(PLazyNode Node) {
  if (!Node) return nullptr;
  TreeAssert(Node != FRoot, SNodeIsHiddenRoot);
  return Node->NextSibling;
}

PLazyNode TBaseLazyTree_qn::GetPreviousSibling(PLazyNode Node) {
  if (!Node) return nullptr;
  TreeAssert(Node != FRoot, SNodeIsHiddenRoot);
  Touch<true>(Node->PrevSibling);
  return Node->PrevSibling;
}

PLazyNode TBaseLazyTree_qn::GetPreviousSiblingNoInit(PLazyNode Node) {
  if (!Node) return nullptr;
  TreeAssert(Node != FRoot, SNodeIsHiddenRoot);
  return Node->PrevSibling;
}

// ---------------------------------------------------------------------------
// Visible walks. A node is shown when it has vsVisible and every ancestor
// below the root is expanded and has vsVisible; the walks step through the
// shown nodes in display order and then skip rows that are filtered out.

template <bool Init>
PLazyNode TBaseLazyTree_qn::FirstShownChild(PLazyNode Node) {
  Populate<Init>(Node);
  for (PLazyNode c = Node->FirstChild; c; c = c->NextSibling) {
    Touch<Init>(c);
    if (c->States.Contains(vsVisible)) return c;
  }
  return nullptr;
}

template <bool Init>
PLazyNode TBaseLazyTree_qn::LastShownChild(PLazyNode Node) {
  Populate<Init>(Node);
  for (PLazyNode c = Node->LastChild; c; c = c->PrevSibling) {
    Touch<Init>(c);
    if (c->States.Contains(vsVisible)) return c;
  }
  return nullptr;
}

template <bool Init>
PLazyNode TBaseLazyTree_qn::NextShownSibling(PLazyNode Node) {
  for (PLazyNode s = Node->NextSibling; s; s = s->NextSibling) {
    Touch<Init>(s);
    if (s->States.Contains(vsVisible)) return s;
  }
  return nullptr;
}

template <bool Init>
PLazyNode TBaseLazyTree_qn::PrevShownSibling(PLazyNode Node) {
  for (PLazyNode s = Node->PrevSibling; s; s = s->PrevSibling) {
    Touch<Init>(s);
    if (s->States.Contains(vsVisible)) return s;
  }
  return nullptr;
}

// Pre-order: the first shown node after Node's whole subtree.
template <bool Init>
PLazyNode TBaseLazyTree_qn::ShownAfterSubtree(PLazyNode Node) {
  for (PLazyNode run = Node; run != FRoot; run = run->Parent)
    if (PLazyNode s = NextShownSibling<Init>(run)) return s;
  return nullptr;
}

// Post-order: the last shown node before Node's whole subtree.
template <bool Init>
PLazyNode TBaseLazyTree_qn::ShownBeforeSubtree(PLazyNode Node) {
  for (PLazyNode run = Node; run != FRoot; run = run->Parent)
    if (PLazyNode s = PrevShownSibling<Init>(run)) return s;
  return nullptr;
}

// Post-order: the first shown node of a shown node's subtree.
template <bool Init>
PLazyNode TBaseLazyTree_qn::ShownDescend(PLazyNode Node) {
  while (Node->States.Contains(vsExpanded)) {
    PLazyNode c = FirstShownChild<Init>(Node);
    if (!c) break;
    Node = c;
  }
  return Node;
}

template <bool Init>
PLazyNode TBaseLazyTree_qn::ShownNext(PLazyNode Node, bool Above) {
  if (!Above) {
    if (Node->States.Contains(vsExpanded))
      if (PLazyNode c = FirstShownChild<Init>(Node)) return c;
    return ShownAfterSubtree<Init>(Node);
  }
  if (PLazyNode s = NextShownSibling<Init>(Node)) return ShownDescend<Init>(s);
  return Node->Parent == FRoot ? nullptr : Node->Parent;
}

template <bool Init>
PLazyNode TBaseLazyTree_qn::ShownPrevious(PLazyNode Node, bool Above) {
  if (!Above) {
    if (PLazyNode p = PrevShownSibling<Init>(Node)) {
      while (p->States.Contains(vsExpanded)) {
        PLazyNode c = LastShownChild<Init>(p);
        if (!c) break;
        p = c;
      }
      return p;
    }
    return Node->Parent == FRoot ? nullptr : Node->Parent;
  }
  if (Node->States.Contains(vsExpanded))
    if (PLazyNode c = LastShownChild<Init>(Node)) return c;
  return ShownBeforeSubtree<Init>(Node);
}

void TBaseLazyTree_qn::FindShownAnchor(PLazyNode Node, PLazyNode& Shown, PLazyNode& Below) const {
  PLazyNode run = Node->Parent;
  while (run != FRoot && !GetFullyVisible(run)) run = run->Parent;
  Shown = run;
  Below = Node;
  while (Below->Parent != Shown) Below = Below->Parent;
}

template <bool Init>
PLazyNode TBaseLazyTree_qn::VisibleNext(PLazyNode Node, bool Above) {
  PLazyNode result;
  if (!GetFullyVisible(Node)) {
    // Continue after the part of the tree that is not shown: below a
    // collapsed ancestor, or under a hidden one.
    PLazyNode shown, below;
    FindShownAnchor(Node, shown, below);
    bool collapsed = shown != FRoot && !shown->States.Contains(vsExpanded);
    if (!Above) result = ShownAfterSubtree<Init>(collapsed ? shown : below);
    else result = collapsed ? shown : ShownNext<Init>(below, true);
  } else {
    result = ShownNext<Init>(Node, Above);
  }
  while (result && GetEffectivelyFiltered(result)) result = ShownNext<Init>(result, Above);
  return result;
}

PLazyNode TBaseLazyTree_qn::NextShownNoInit(PLazyNode Node) {
  const bool above = ChildrenAbove(true);
  PLazyNode result = ShownNext<false>(Node, above);
  while (result && GetEffectivelyFiltered(result)) result = ShownNext<false>(result, above);
  return result;
}

template <bool Init>
PLazyNode TBaseLazyTree_qn::VisiblePrevious(PLazyNode Node, bool Above) {
  PLazyNode result;
  if (!GetFullyVisible(Node)) {
    PLazyNode shown, below;
    FindShownAnchor(Node, shown, below);
    bool collapsed = shown != FRoot && !shown->States.Contains(vsExpanded);
    if (!Above) result = collapsed ? shown : ShownPrevious<Init>(below, false);
    else result = ShownBeforeSubtree<Init>(collapsed ? shown : below);
  } else {
    result = ShownPrevious<Init>(Node, Above);
  }
  while (result && GetEffectivelyFiltered(result)) result = ShownPrevious<Init>(result, Above);
  return result;
}

template <bool Init>
PLazyNode TBaseLazyTree_qn::VisibleFirst(PLazyNode Node, bool Above, bool IncludeFiltered) {
  if (!Node) Node = FRoot;
  Touch<Init>(Node);
  PLazyNode result = FirstShownChild<Init>(Node);
  if (!result) return nullptr;
  if (Above) result = ShownDescend<Init>(result);
  if (!IncludeFiltered && GetEffectivelyFiltered(result)) result = VisibleNext<Init>(result, Above);
  return result;
}

template <bool Init>
PLazyNode TBaseLazyTree_qn::VisibleLast(PLazyNode Node, bool Above, bool IncludeFiltered) {
  if (!Node) Node = FRoot;
  if (Node != FRoot && !Node->States.Contains(vsExpanded)) return nullptr;
  PLazyNode result = LastShownChild<Init>(Node);
  if (!result) return nullptr;
  if (!Above) {
    while (result->States.Contains(vsExpanded)) {
      PLazyNode c = LastShownChild<Init>(result);
      if (!c) break;
      result = c;
    }
  }
  if (!IncludeFiltered && GetEffectivelyFiltered(result)) result = VisiblePrevious<Init>(result, Above);
  return result;
}

template <bool Init>
PLazyNode TBaseLazyTree_qn::VisibleChild(PLazyNode Node, bool Last, bool IncludeFiltered) {
  if (!Node) Node = FRoot;
  Touch<Init>(Node);
  Populate<Init>(Node);
  for (PLazyNode c = Last ? Node->LastChild : Node->FirstChild; c; c = Last ? c->PrevSibling : c->NextSibling) {
    Touch<Init>(c);
    if (c->States.Contains(vsVisible) && (IncludeFiltered || !GetEffectivelyFiltered(c))) return c;
  }
  return nullptr;
}

template <bool Init>
PLazyNode TBaseLazyTree_qn::VisibleSibling(PLazyNode Node, bool Forward, bool IncludeFiltered) {
  TreeAssert(Node != nullptr && Node != FRoot, SInvalidParameter);
  for (PLazyNode s = Forward ? Node->NextSibling : Node->PrevSibling; s; s = Forward ? s->NextSibling : s->PrevSibling) {
    Touch<Init>(s);
    if (s->States.Contains(vsVisible) && (IncludeFiltered || !GetEffectivelyFiltered(s))) return s;
  }
  return nullptr;
}

PLazyNode TBaseLazyTree_qn::GetFirstVisible(PLazyNode Node, bool ConsiderChildrenAbove, bool IncludeFiltered) {
  return VisibleFirst<true>(Node, ChildrenAbove(ConsiderChildrenAbove), IncludeFiltered);
}

PLazyNode TBaseLazyTree_qn::GetFirstVisibleNoInit(PLazyNode Node, bool ConsiderChildrenAbove, bool IncludeFiltered) {
  return VisibleFirst<false>(Node, ChildrenAbove(ConsiderChildrenAbove), IncludeFiltered);
}

PLazyNode TBaseLazyTree_qn::GetNextVisible(PLazyNode Node, bool ConsiderChildrenAbove) {
  if (!Node) return nullptr;
  TreeAssert(Node != FRoot, SNodeIsHiddenRoot);
  return VisibleNext<true>(Node, ChildrenAbove(ConsiderChildrenAbove));
}

PLazyNode TBaseLazyTree_qn::GetNextVisibleNoInit(PLazyNode Node, bool ConsiderChildrenAbove) {
  if (!Node) return nullptr;
  TreeAssert(Node != FRoot, SNodeIsHiddenRoot);
  return VisibleNext<false>(Node, ChildrenAbove(ConsiderChildrenAbove));
}

PLazyNode TBaseLazyTree_qn::GetPreviousVisible(PLazyNode Node, bool ConsiderChildrenAbove) {
  if (!Node) return nullptr;
  TreeAssert(Node != FRoot, SNodeIsHiddenRoot);
  return VisiblePrevious<true>(Node, ChildrenAbove(ConsiderChildrenAbove));
}

PLazyNode TBaseLazyTree_qn::GetPreviousVisibleNoInit(PLazyNode Node, bool ConsiderChildrenAbove) {
  if (!Node) return nullptr;
  TreeAssert(Node != FRoot, SNodeIsHiddenRoot);
  return VisiblePrevious<false>(Node, ChildrenAbove(ConsiderChildrenAbove));
}

PLazyNode TBaseLazyTree_qn::GetLastVisible(PLazyNode Node, bool ConsiderChildrenAbove, bool IncludeFiltered) {
  return VisibleLast<true>(Node, ChildrenAbove(ConsiderChildrenAbove), IncludeFiltered);
}

PLazyNode TBaseLazyTree_qn::GetLastVisibleNoInit(PLazyNode Node, bool ConsiderChildrenAbove, bool IncludeFiltered) {
  return VisibleLast<false>(Node, ChildrenAbove(ConsiderChildrenAbove), IncludeFiltered);
}

PLazyNode TBaseLazyTree_qn::GetFirstVisibleChild(PLazyNode Node, bool IncludeFiltered) {
  return VisibleChild<true>(Node, false, IncludeFiltered);
}
PLazyNode TBaseLazyTree_qn::GetFirstVisibleChildNoInit(PLazyNode Node, bool IncludeFiltered) {
  return VisibleChild<false>(Node, false, IncludeFiltered);
}
PLazyNode TBaseLazyTree_qn::GetLastVisibleChild(PLazyNode Node, bool IncludeFiltered) {
  return VisibleChild<true>(Node, true, IncludeFiltered);
}
PLazyNode TBaseLazyTree_qn::GetLastVisibleChildNoInit(PLazyNode Node, bool IncludeFiltered) {
  return VisibleChild<false>(Node, true, IncludeFiltered);
}
PLazyNode TBaseLazyTree_qn::GetNextVisibleSibling(PLazyNode Node, bool IncludeFiltered) {
  return VisibleSibling<true>(Node, true, IncludeFiltered);
}
PLazyNode TBaseLazyTree_qn::GetNextVisibleSiblingNoInit(PLazyNode Node, bool IncludeFiltered) {
  return VisibleSibling<false>(Node, true, IncludeFiltered);
}
PLazyNode TBaseLazyTree_qn::GetPreviousVisibleSibling(PLazyNode Node, bool IncludeFiltered) {
  return VisibleSibling<true>(Node, false, IncludeFiltered);
}
PLazyNode TBaseLazyTree_qn::GetPreviousVisibleSiblingNoInit(PLazyNode Node, bool IncludeFiltered) {
  return VisibleSibling<false>(Node, false, IncludeFiltered);
}

PLazyNode TBaseLazyTree_qn::GetVisibleParent(PLazyNode Node, bool IncludeFiltered) {
  TreeAssert(Node != nullptr, SNodeMustNotBeNil);
  TreeAssert(Node != FRoot, SNodeIsHiddenRoot);
  PLazyNode run = Node->Parent;
  while (run != FRoot && !(GetFullyVisible(run) && (IncludeFiltered || !GetEffectivelyFiltered(run))))
    run = run->Parent;
  return run;
}

// ---------------------------------------------------------------------------
// Filtered scans

PLazyNode TBaseLazyTree_qn::GetFirstLeaf() { return GetNextLeaf(nullptr); }

PLazyNode TBaseLazyTree_qn::GetNextLeaf(PLazyNode Node) {
  PLazyNode run = (!Node || Node == FRoot) ? GetFirst(false) : GetNext(Node, false);
  while (run && run->States.Contains(vsHasChildren)) run = GetNext(run, false);
  return run;
}

PLazyNode TBaseLazyTree_qn::GetPreviousLeaf(PLazyNode Node) {
  PLazyNode run = (!Node || Node == FRoot) ? GetLast(nullptr, false) : GetPrevious(Node, false);
  while (run && run->States.Contains(vsHasChildren)) run = GetPrevious(run, false);
  return run;
}

PLazyNode TBaseLazyTree_qn::GetFirstLevel(Cardinal NodeLevel) {
  PLazyNode run = GetFirst(false);
  if (!run || GetNodeLevel(run) == NodeLevel) return run;
  return GetNextLevel(run, NodeLevel);
}

// The level moves with the walk (one down to a child, one up per parent
// left) rather than being counted from the root at every node, which on a
// deep chain made a search quadratic in its depth.
PLazyNode TBaseLazyTree_qn::GetNextLevel(PLazyNode Node, Cardinal NodeLevel) {
  if (!Node || Node == FRoot) return nullptr;
  PLazyNode run = Node;
  Cardinal level = GetNodeLevel(run);
  for (;;) {
    PLazyNode from = run;
    if (level < NodeLevel) {
      run = GetNext(run, false);
    } else {
      // Nothing below a node at or beyond the level can be on it.
      PLazyNode up = run;
      while (up != FRoot && !up->NextSibling) up = up->Parent;
      if (up == FRoot) return nullptr;
      run = GetNextSibling(up);
    }
    if (!run) return nullptr;
    if (run->Parent == from) {
      ++level;
    } else {
      for (PLazyNode p = from; p->Parent != run->Parent; p = p->Parent) --level;
    }
    if (level == NodeLevel) return run;
  }
}

PLazyNode TBaseLazyTree_qn::GetPreviousLevel(PLazyNode Node, Cardinal NodeLevel) {
  if (!Node || Node == FRoot) return nullptr;
  PLazyNode run = GetPrevious(Node, false);
  if (!run) return nullptr;
  Cardinal level = GetNodeLevel(run);
  while (run) {
    if (level == NodeLevel) return run;
    if (level > NodeLevel) {
      // The ancestor on the level comes right before its whole subtree.
      for (; level > NodeLevel; --level) run = run->Parent;
      return run;
    }
    PLazyNode from = run;
    run = GetPrevious(run, false);
    if (!run) return nullptr;
    if (run == from->Parent) {
      --level;
    } else {
      // The last descendant of an earlier sibling: its depth below the
      // sibling's parent.
      for (PLazyNode p = run; p->Parent != from->Parent; p = p->Parent) ++level;
    }
  }
  return nullptr;
}

PLazyNode TBaseLazyTree_qn::GetFirstInitialized(bool ConsiderChildrenAbove) {
  PLazyNode run = GetFirstNoInit(ConsiderChildrenAbove);
  if (run && !run->States.Contains(vsInitialized)) run = GetNextInitialized(run, ConsiderChildrenAbove);
  return run;
}

PLazyNode TBaseLazyTree_qn::GetNextInitialized(PLazyNode Node, bool ConsiderChildrenAbove) {
  PLazyNode run = GetNextNoInit(Node, ConsiderChildrenAbove);
  while (run && !run->States.Contains(vsInitialized)) run = GetNextNoInit(run, ConsiderChildrenAbove);
  return run;
}

PLazyNode TBaseLazyTree_qn::GetPreviousInitialized(PLazyNode Node, bool ConsiderChildrenAbove) {
  PLazyNode run = GetPreviousNoInit(Node, ConsiderChildrenAbove);
  while (run && !run->States.Contains(vsInitialized)) run = GetPreviousNoInit(run, ConsiderChildrenAbove);
  return run;
}

PLazyNode TBaseLazyTree_qn::GetLastInitialized(PLazyNode Node, bool ConsiderChildrenAbove) {
  PLazyNode run = GetLastNoInit(Node, ConsiderChildrenAbove);
  if (run && !run->States.Contains(vsInitialized)) run = GetPreviousInitialized(run, ConsiderChildrenAbove);
  return run;
}

namespace {
// Scans with the NoInit walk; only the node found is initialized.
template <class Match>
PLazyNode ScanNext(TBaseLazyTree_qn* Tree, PLazyNode Node, bool Above, bool Forward, Match&& match) {
  PLazyNode run;
  if (!Node || Node == Tree->RootNode())
    run = Forward ? Tree->GetFirstNoInit(Above) : Tree->GetLastNoInit(nullptr, Above);
  else
    run = Forward ? Tree->GetNextNoInit(Node, Above) : Tree->GetPreviousNoInit(Node, Above);
  while (run && !match(run)) run = Forward ? Tree->GetNextNoInit(run, Above) : Tree->GetPreviousNoInit(run, Above);
  if (run && !run->States.Contains(vsInitialized)) Tree->ValidateNode(run, false);
  return run;
}
}  // namespace

PLazyNode TBaseLazyTree_qn::GetFirstSelected(bool ConsiderChildrenAbove) {
  return GetNextSelected(nullptr, ConsiderChildrenAbove);
}

PLazyNode TBaseLazyTree_qn::GetNextSelected(PLazyNode Node, bool ConsiderChildrenAbove) {
  if (FSelectionCount < 1) return nullptr;
  return ScanNext(this, Node, ConsiderChildrenAbove, true, [](PLazyNode n) { return n->States.Contains(vsSelected); });
}

PLazyNode TBaseLazyTree_qn::GetPreviousSelected(PLazyNode Node, bool ConsiderChildrenAbove) {
  if (FSelectionCount < 1) return nullptr;
  return ScanNext(this, Node, ConsiderChildrenAbove, false, [](PLazyNode n) { return n->States.Contains(vsSelected); });
}

PLazyNode TBaseLazyTree_qn::GetFirstChecked(TCheckState State, bool ConsiderChildrenAbove) {
  return GetNextChecked(nullptr, State, ConsiderChildrenAbove);
}

PLazyNode TBaseLazyTree_qn::GetNextChecked(PLazyNode Node, TCheckState State, bool ConsiderChildrenAbove) {
  return ScanNext(this, Node, ConsiderChildrenAbove, true, [State](PLazyNode n) { return n->CheckState == State; });
}

PLazyNode TBaseLazyTree_qn::GetPreviousChecked(PLazyNode Node, TCheckState State, bool ConsiderChildrenAbove) {
  return ScanNext(this, Node, ConsiderChildrenAbove, false, [State](PLazyNode n) { return n->CheckState == State; });
}

PLazyNode TBaseLazyTree_qn::GetFirstCutCopy(bool ConsiderChildrenAbove) {
  return GetNextCutCopy(nullptr, ConsiderChildrenAbove);
}

PLazyNode TBaseLazyTree_qn::GetNextCutCopy(PLazyNode Node, bool ConsiderChildrenAbove) {
  return ScanNext(this, Node, ConsiderChildrenAbove, true, [](PLazyNode n) { return n->States.Contains(vsCutOrCopy); });
}

PLazyNode TBaseLazyTree_qn::GetPreviousCutCopy(PLazyNode Node, bool ConsiderChildrenAbove) {
  return ScanNext(this, Node, ConsiderChildrenAbove, false, [](PLazyNode n) { return n->States.Contains(vsCutOrCopy); });
}

// ---------------------------------------------------------------------------
// Positions

Cardinal TBaseLazyTree_qn::GetNodeLevel(PLazyNode Node) const {
  Cardinal level = 0;
  if (!Node || Node == FRoot) return 0;
  for (PLazyNode run = Node->Parent; run != FRoot; run = run->Parent) ++level;
  return level;
}

bool TBaseLazyTree_qn::HasAsParent(PLazyNode Node, PLazyNode PotentialParent) const {
  if (!Node || !PotentialParent || Node == PotentialParent || Node == FRoot) return false;
  PLazyNode run = Node->Parent;
  while (run != FRoot && run != PotentialParent) run = run->Parent;
  return run == PotentialParent;
}

Cardinal TBaseLazyTree_qn::AbsoluteIndex(PLazyNode Node) {
  if (!Node || Node == FRoot) return 0;
  Touch<true>(Node);
  Cardinal result = 0;
  PLazyNode run = Node;
  for (;;) {
    if (run->PrevSibling) {
      run = run->PrevSibling;
      result += run->TotalCount;
    } else {
      run = run->Parent;
      if (run == FRoot) break;
      ++result;
    }
  }
  return result;
}

Integer TBaseLazyTree_qn::CompareNodePositions(PLazyNode Node1, PLazyNode Node2, bool ConsiderChildrenAbove) const {
  TreeAssert(Node1 != nullptr && Node2 != nullptr, SNodesNeverNil);
  if (Node1 == Node2) return 0;
  bool above = ChildrenAbove(ConsiderChildrenAbove);
  if (HasAsParent(Node1, Node2)) return above ? -1 : 1;
  if (HasAsParent(Node2, Node1)) return above ? 1 : -1;
  Cardinal l1 = GetNodeLevel(Node1), l2 = GetNodeLevel(Node2);
  PLazyNode a = Node1, b = Node2;
  for (; l1 > l2; --l1) a = a->Parent;
  for (; l2 > l1; --l2) b = b->Parent;
  while (a->Parent != b->Parent) {
    a = a->Parent;
    b = b->Parent;
  }
  return Integer(a->Index) - Integer(b->Index);
}

Integer TBaseLazyTree_qn::CountLevelDifference(PLazyNode Node1, PLazyNode Node2) const {
  TreeAssert(Node1 != nullptr && Node2 != nullptr, SBothNodesAssigned);
  return Integer(GetNodeLevel(Node2)) - Integer(GetNodeLevel(Node1));
}

// ---------------------------------------------------------------------------
// Subtree iteration

PLazyNode TBaseLazyTree_qn::IterateSubtree(PLazyNode Node, const TVTGetNodeProc& Callback, Pointer Data,
                                           TLazyNodeStates Filter, bool DoInit, bool ChildNodesOnly) {
  TreeAssert(Node != FRoot, SNodeIsHiddenRoot);
  bool wasIterating = FStates.Contains(tsIterating);
  DoStateChange({tsIterating});
  // A raising callback must not leave the tree marked as iterating: every
  // later deletion would fail.
  struct TLeave {
    TBaseLazyTree_qn* T;
    bool Was;
    ~TLeave() {
      if (!Was) T->DoStateChange({}, {tsIterating});
    }
  } leave{this, wasIterating};
  auto step = [&](PLazyNode n) { return DoInit ? GetNext(n, false) : GetNextNoInit(n, false); };
  PLazyNode run, stop = nullptr;
  if (Node) {
    if (DoInit) Touch<true>(Node);
    stop = NextSiblingOfSubtree(Node);
    run = Node;
  } else {
    run = GetFirstNoInit(false);
  }
  if (run && DoInit) Touch<true>(run);
  if (ChildNodesOnly && Node) {
    bool hasChildren = Node->ChildCount > 0 || (DoInit && Node->States.Contains(vsHasChildren));
    run = hasChildren ? step(Node) : nullptr;
    if (run && !HasAsParent(run, Node)) run = nullptr;
  }
  while (run && run != stop) {
    if (Filter.Empty() || Filter <= run->States) {
      bool abort = false;
      Callback(this, run, Data, abort);
      if (abort) return run;
    }
    run = step(run);
  }
  return nullptr;
}

// ---------------------------------------------------------------------------
// Enumerations

TVTLazyNodeEnumerator TVTLazyNodeEnumeration::GetEnumerator() const {
  TVTLazyNodeEnumerator e;
  e.FEnumeration = this;
  return e;
}

bool TVTLazyNodeEnumerator::MoveNext() {
  if (!FCanModeNext) return false;
  FNode = FEnumeration->GetNext(FNode);
  FCanModeNext = FNode != nullptr;
  return FCanModeNext;
}

PLazyNode TVTLazyNodeEnumeration::GetNext(PLazyNode Node) const {
  TBaseLazyTree_qn* t = FTree;
  bool c = FConsiderChildrenAbove;
  switch (FMode) {
    case vneAll:
      return Node ? t->GetNext(Node, c) : t->GetFirst(c);
    case vneChecked:
      return Node ? t->GetNextChecked(Node, FState, c) : t->GetFirstChecked(FState, c);
    case vneChild:
      return Node ? t->GetNextSibling(Node) : t->GetFirstChild(FNode);
    case vneCutCopy:
      return Node ? t->GetNextCutCopy(Node, c) : t->GetFirstCutCopy(c);
    case vneInitialized:
      return Node ? t->GetNextInitialized(Node, c) : t->GetFirstInitialized(c);
    case vneLeaf:
      return Node ? t->GetNextLeaf(Node) : t->GetFirstLeaf();
    case vneLevel:
      return Node ? t->GetNextLevel(Node, FNodeLevel) : t->GetFirstLevel(FNodeLevel);
    case vneNoInit:
      return Node ? t->GetNextNoInit(Node, c) : t->GetFirstNoInit(c);
    case vneSelected:
      return Node ? t->GetNextSelected(Node, c) : t->GetFirstSelected(c);
    case vneVisible: {
      if (Node) return t->GetNextVisible(Node, c);
      PLazyNode first = t->GetFirstVisible(FNode, c, FIncludeFiltered);
      if (first && !FIncludeFiltered && t->GetEffectivelyFiltered(first)) first = t->GetNextVisible(first, c);
      return first;
    }
    case vneVisibleChild:
      return Node ? t->GetNextVisibleSibling(Node, FIncludeFiltered) : t->GetFirstVisibleChild(FNode, FIncludeFiltered);
    case vneVisibleNoInitChild:
      return Node ? t->GetNextVisibleSiblingNoInit(Node, FIncludeFiltered)
                  : t->GetFirstVisibleChildNoInit(FNode, FIncludeFiltered);
    case vneVisibleNoInit: {
      if (Node) return t->GetNextVisibleNoInit(Node, c);
      PLazyNode first = t->GetFirstVisibleNoInit(FNode, c, FIncludeFiltered);
      if (first && !FIncludeFiltered && t->GetEffectivelyFiltered(first)) first = t->GetNextVisibleNoInit(first, c);
      return first;
    }
  }
  return nullptr;
}

namespace {
TVTLazyNodeEnumeration MakeEnumeration(TBaseLazyTree_qn* Tree, TVZLazyNodeEnumerationMode Mode, bool Above,
                                       PLazyNode Node = nullptr, Cardinal Level = 0,
                                       TCheckState State = csCheckedNormal, bool IncludeFiltered = false) {
  TVTLazyNodeEnumeration e;
  e.FMode = Mode;
  e.FTree = Tree;
  e.FConsiderChildrenAbove = Above;
  e.FNode = Node;
  e.FNodeLevel = Level;
  e.FState = State;
  e.FIncludeFiltered = IncludeFiltered;
  return e;
}
}  // namespace

TVTLazyNodeEnumeration TBaseLazyTree_qn::Nodes(bool ConsiderChildrenAbove) {
  return MakeEnumeration(this, vneAll, ConsiderChildrenAbove);
}
TVTLazyNodeEnumeration TBaseLazyTree_qn::CheckedNodes(TCheckState State, bool ConsiderChildrenAbove) {
  return MakeEnumeration(this, vneChecked, ConsiderChildrenAbove, nullptr, 0, State);
}
TVTLazyNodeEnumeration TBaseLazyTree_qn::ChildNodes(PLazyNode Node) {
  return MakeEnumeration(this, vneChild, false, Node);
}
TVTLazyNodeEnumeration TBaseLazyTree_qn::CutCopyNodes(bool ConsiderChildrenAbove) {
  return MakeEnumeration(this, vneCutCopy, ConsiderChildrenAbove);
}
TVTLazyNodeEnumeration TBaseLazyTree_qn::InitializedNodes(bool ConsiderChildrenAbove) {
  return MakeEnumeration(this, vneInitialized, ConsiderChildrenAbove);
}
TVTLazyNodeEnumeration TBaseLazyTree_qn::LeafNodes() { return MakeEnumeration(this, vneLeaf, false); }
TVTLazyNodeEnumeration TBaseLazyTree_qn::LevelNodes(Cardinal NodeLevel) {
  return MakeEnumeration(this, vneLevel, false, nullptr, NodeLevel);
}
TVTLazyNodeEnumeration TBaseLazyTree_qn::NoInitNodes(bool ConsiderChildrenAbove) {
  return MakeEnumeration(this, vneNoInit, ConsiderChildrenAbove);
}
TVTLazyNodeEnumeration TBaseLazyTree_qn::SelectedNodes(bool ConsiderChildrenAbove) {
  return MakeEnumeration(this, vneSelected, ConsiderChildrenAbove);
}
TVTLazyNodeEnumeration TBaseLazyTree_qn::VisibleNodes(PLazyNode Node, bool ConsiderChildrenAbove,
                                                      bool IncludeFiltered) {
  return MakeEnumeration(this, vneVisible, ConsiderChildrenAbove, Node, 0, csCheckedNormal, IncludeFiltered);
}
TVTLazyNodeEnumeration TBaseLazyTree_qn::VisibleChildNodes(PLazyNode Node, bool IncludeFiltered) {
  return MakeEnumeration(this, vneVisibleChild, false, Node, 0, csCheckedNormal, IncludeFiltered);
}
TVTLazyNodeEnumeration TBaseLazyTree_qn::VisibleChildNoInitNodes(PLazyNode Node, bool IncludeFiltered) {
  return MakeEnumeration(this, vneVisibleNoInitChild, false, Node, 0, csCheckedNormal, IncludeFiltered);
}
TVTLazyNodeEnumeration TBaseLazyTree_qn::VisibleNoInitNodes(PLazyNode Node, bool ConsiderChildrenAbove,
                                                            bool IncludeFiltered) {
  return MakeEnumeration(this, vneVisibleNoInit, ConsiderChildrenAbove, Node, 0, csCheckedNormal, IncludeFiltered);
}

}  // namespace qn
