// Expanding and collapsing: ToggleNode keeps the height and visible-count
// bookkeeping, asks the host through events, creates children on demand and
// afterwards lets the view follow; FullExpand and FullCollapse walk a
// subtree inside one batch. The animated branches join ToggleNode with the
// animation code; here every toggle is applied at once.
#include "treeview/LazyTrees_qn.h"
#include "treeview/LazyTrees_qn_Internal.h"

namespace qn {

using namespace lazytrees_internal;

bool TBaseLazyTree_qn::DoExpanding(PLazyNode Node) {
  bool allowed = true;
  if (Assigned(OnExpanding)) OnExpanding(this, Node, allowed);
  return allowed;
}

bool TBaseLazyTree_qn::DoCollapsing(PLazyNode Node) {
  bool allowed = true;
  if (Assigned(OnCollapsing)) OnCollapsing(this, Node, allowed);
  return allowed;
}

void TBaseLazyTree_qn::DoExpanded(PLazyNode Node) {
  if (Assigned(OnExpanded)) OnExpanded(this, Node);
}

void TBaseLazyTree_qn::DoCollapsed(PLazyNode Node) {
  if (Assigned(OnCollapsed)) OnCollapsed(this, Node);
}

void TBaseLazyTree_qn::ToggleCollapse(PLazyNode Node, bool& NeedUpdate) {
  if (!DoCollapsing(Node)) return;
  NeedUpdate = true;
  InterruptValidation();
  AdjustTotalHeight(Node, Integer(OwnRowHeight(Node)), false);
  if (GetFullyVisible(Node)) FVisibleCount -= CountVisibleChildren(Node);
  Node->States.Exclude(vsExpanded);
  DoCollapsed(Node);
  if (FOptions->AutoOptions().Contains(toAutoFreeOnCollapse) && Node->ChildCount > 0) {
    DeleteChildren(Node, false);
    // The node keeps its button and makes its children again when it is
    // next expanded.
    Node->States.Include(vsHasChildren);
  }
}

void TBaseLazyTree_qn::ToggleExpand(PLazyNode Node, bool& NeedUpdate, Integer& HeightDelta) {
  if (!DoExpanding(Node)) return;
  NeedUpdate = true;
  if (!Node->States.Contains(vsInitialized)) InitNode(Node);
  // Initializing may have expanded the node already (ivsExpanded).
  if (Node->States.Contains(vsExpanded)) return;
  if (Node->States.Contains(vsHasChildren) && Node->ChildCount == 0) InitChildren(Node);
  if (Node->ChildCount == 0) return;
  HeightDelta = 0;
  bool measure = FOptions->MiscOptions().Contains(toVariableNodeHeight);
  for (PLazyNode c = Node->FirstChild; c; c = c->NextSibling) {
    if (!c->States.Contains(vsVisible)) continue;
    // A host can only measure a node it has described.
    if (measure) GetNodeHeight(c);
    HeightDelta += Integer(c->TotalHeight);
  }
  if (AutoSortAllowed())
    Sort(Node, FSortColumn, FSortDirection, false);
  InterruptValidation();
  Node->States.Include(vsExpanded);
  AdjustTotalHeight(Node, HeightDelta, true);
  if (GetFullyVisible(Node)) FVisibleCount += CountVisibleChildren(Node);
  DoExpanded(Node);
}

void TBaseLazyTree_qn::ToggleNode(PLazyNode Node) {
  TreeAssert(Node != nullptr, SNodeMustNotBeNil);
  if (Node->States.Contains(vsToggling) || Node->States.Contains(vsDeleting)) return;
  bool wasToggling = FStates.Contains(tsToggling);
  DoStateChange({tsToggling});
  Node->States.Include(vsToggling);
  struct TLeave {
    TBaseLazyTree_qn* T;
    PLazyNode N;
    bool WasToggling;
    ~TLeave() {
      N->States.Exclude(vsToggling);
      if (!WasToggling) T->DoStateChange({}, {tsToggling});
    }
  } leave{this, Node, wasToggling};

  bool needUpdate = false;
  Integer heightDelta = 0;
  bool expanding = !Node->States.Contains(vsExpanded);
  // Where the node sat before the change decides how the view follows.
  TRect r;
  Integer clientHeight = 0;
  bool viewFollows = FUpdateCount == 0 && HandleAllocated() && Node != FRoot && GetFullyVisible(Node);
  if (viewFollows) {
    clientHeight = ClientHeight();
    Integer top = 0;
    for (PLazyNode run = GetFirstVisibleNoInit(nullptr, true); run && run != Node;
         run = GetNextVisibleNoInit(run, true))
      top += Integer(run->NodeHeight);
    r = TRect(0, top + FOffsetY, ClientWidth(), top + FOffsetY + Integer(Node->NodeHeight));
  }
  if (expanding) ToggleExpand(Node, needUpdate, heightDelta);
  else ToggleCollapse(Node, needUpdate);
  if (!needUpdate) return;

  InvalidateCache();
  if (FUpdateCount > 0) {
    UpdateRanges();
    return;
  }
  ValidateCache();
  if (Node->ChildCount == 0) {
    InvalidateNode(Node);
    return;
  }
  UpdateRanges();
  UpdateScrollBars(true);
  bool fullRepaint = false;
  if (viewFollows && !FStates.Contains(tsExpanding) && !FStates.Contains(tsPainting)) {
    bool childrenAbove = FOptions->PaintOptions().Contains(toChildrenAbove);
    bool autoScroll = FOptions->AutoOptions().Contains(toAutoScrollOnExpand);
    bool holdable = Integer(Node->NodeHeight) + heightDelta <= clientHeight;
    bool inView, fits;
    if (!childrenAbove) {
      inView = holdable;
      fits = r.Bottom + heightDelta <= clientHeight;
    } else {
      inView = holdable && FRangeY >= clientHeight;
      fits = r.Top - heightDelta >= 0;
    }
    if (Node->States.Contains(vsExpanded) && (autoScroll || childrenAbove)) {
      if (childrenAbove) {
        fullRepaint = true;
        if ((inView && fits && r.Top < clientHeight) || !autoScroll) SetOffsetY(FOffsetY - heightDelta);
        else if (holdable && r.Top < clientHeight) SetOffsetY(FOffsetY - heightDelta + r.Top);
        else SetBottomNode(Node);
      } else if (inView) {
        fullRepaint = ScrollIntoView(GetLastVisibleNoInit(Node, true), false, false);
      } else {
        SetTopNode(Node);
        fullRepaint = true;
      }
    } else if (childrenAbove) {
      SetOffsetY(FOffsetY - heightDelta);
      fullRepaint = true;
    }
  }
  if (HandleAllocated()) {
    if (fullRepaint) Invalidate();
    else InvalidateToBottom(Node);
  }
}

PLazyNode TBaseLazyTree_qn::NextSiblingOfSubtree(PLazyNode Node) const {
  for (PLazyNode run = Node; run && run != FRoot; run = run->Parent)
    if (run->NextSibling) return run->NextSibling;
  return nullptr;
}

void TBaseLazyTree_qn::FullExpand(PLazyNode Node) {
  if (FRoot->TotalCount < 2) return;
  DoStateChange({tsExpanding});
  BeginUpdate();
  TDeferredError err;
  err.Run([&] {
    PLazyNode stop = nullptr;
    PLazyNode run;
    if (Node && Node != FRoot) {
      stop = NextSiblingOfSubtree(Node);
      run = Node;
    } else {
      run = FRoot->FirstChild;
    }
    if (run && !run->States.Contains(vsInitialized)) InitNode(run);
    while (run && run != stop) {
      if (!run->States.Contains(vsExpanded)) ToggleNode(run);
      run = GetNext(run);
    }
  });
  err.Run([&] { EndUpdate(); });
  DoStateChange({}, {tsExpanding});
  err.RaiseIfAny();
}

void TBaseLazyTree_qn::FullCollapse(PLazyNode Node) {
  if (FRoot->TotalCount < 2) return;
  PLazyNode stop = (!Node || Node == FRoot) ? nullptr : Node;
  DoStateChange({tsCollapsing});
  BeginUpdate();
  TDeferredError err;
  err.Run([&] {
    PLazyNode run = GetLastVisibleNoInit(stop, false, true);
    while (run && run != stop) {
      if (run->States.Contains(vsExpanded) && run->States.Contains(vsHasChildren)) ToggleNode(run);
      run = GetPreviousNoInit(run);
    }
    if (stop && stop->States.Contains(vsExpanded) && stop->States.Contains(vsHasChildren)) ToggleNode(stop);
  });
  err.Run([&] { EndUpdate(); });
  DoStateChange({}, {tsCollapsing});
  err.RaiseIfAny();
}

}  // namespace qn
