// Expanding and collapsing: ToggleNode keeps the height and visible-count
// bookkeeping, asks the host through events, creates children on demand and
// afterwards lets the view follow; FullExpand and FullCollapse walk a
// subtree inside one batch. A toggle in view may be animated first
// (LazyTrees_qn_Animation.cpp).
#include <vector>

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

// ---------------------------------------------------------------------------
// Heights during a full expand or collapse
//
// A toggle changes the total height of the node and of every ancestor it
// shows in, and asks whether the node is in view by looking at every
// ancestor: one walk to the root per toggle, so expanding or collapsing all
// of a chain a million deep took a million times a million steps. While the
// full walk runs, the path from the root to the node being walked is kept
// here instead: a toggle changes its own node's total at once and leaves the
// rest with the node, which hands it to its parent when the walk leaves it.
// The sums reach every ancestor once and end as they would have; only the
// ancestors of the node being walked lag behind until the walk passes them.

struct TBaseLazyTree_qn::TDeferredHeights {
  struct TLevel {
    PLazyNode Node;
    Integer Pending;     // added to Node already, not yet to its ancestors
    bool FullyVisible;   // Node and every ancestor shown (read on entry)
  };
  TBaseLazyTree_qn* Tree;
  TDeferredHeights* Outer;
  std::vector<TLevel> Path;

  explicit TDeferredHeights(TBaseLazyTree_qn* T) : Tree(T), Outer(T->FDeferredHeights) {
    Path.push_back({T->FRoot, 0, true});
    T->FDeferredHeights = this;
  }
  ~TDeferredHeights() { Tree->FDeferredHeights = Outer; }

  void Push(PLazyNode Node) {
    const TLevel& top = Path.back();
    bool shown = Node->States.Contains(vsVisible) && top.FullyVisible &&
                 (top.Node == Tree->FRoot || top.Node->States.Contains(vsExpanded));
    Path.push_back({Node, 0, shown});
  }
  void Pop() {
    TLevel left = Path.back();
    Path.pop_back();
    PLazyNode n = left.Node;
    if (left.Pending == 0 || !n->States.Contains(vsVisible) || !n->Parent->States.Contains(vsExpanded)) return;
    if (Path.back().Node == n->Parent) {
      n->Parent->TotalHeight += Cardinal(left.Pending);
      Path.back().Pending += left.Pending;
    } else {
      // The host moved the node while it was walked: its parent of now.
      Tree->AdjustTotalHeight(n->Parent, left.Pending, true);
    }
  }
  // Makes the path end at Node, built from the root down: when the walk
  // starts, and when a host changed the structure under it.
  void Rebuild(PLazyNode Node) {
    while (Path.size() > 1) Pop();
    std::vector<PLazyNode> chain;
    for (PLazyNode run = Node; run != Tree->FRoot; run = run->Parent) chain.push_back(run);
    for (size_t i = chain.size(); i-- > 0;) Push(chain[i]);
  }
  // The walk went on in pre-order from the path's end to Next: to a child,
  // or to the next sibling of the end or of one of its ancestors.
  void Forward(PLazyNode Next) {
    while (Path.size() > 1 && Path.back().Node != Next->Parent) Pop();
    if (Path.back().Node == Next->Parent) Push(Next);
    else Rebuild(Next);
  }
  // The walk went back in pre-order from the path's end to Previous: to the
  // parent, or to the last node of an earlier sibling's subtree.
  void Backward(PLazyNode Previous) {
    PLazyNode from = Path.back().Node;
    if (Path.size() > 1) Pop();
    if (Previous == from->Parent && Path.back().Node == Previous) return;
    std::vector<PLazyNode> chain;
    PLazyNode run = Previous;
    for (; run != Tree->FRoot && run != Path.back().Node; run = run->Parent) chain.push_back(run);
    if (run != Path.back().Node) {
      Rebuild(Previous);
      return;
    }
    for (size_t i = chain.size(); i-- > 0;) Push(chain[i]);
  }
  void Finish() {
    while (Path.size() > 1) Pop();
    Tree->UpdateVerticalRange();
  }
};

bool TBaseLazyTree_qn::FullyVisibleInWalk(PLazyNode Node) const {
  if (FDeferredHeights && FDeferredHeights->Path.back().Node == Node) return FDeferredHeights->Path.back().FullyVisible;
  return GetFullyVisible(Node);
}

void TBaseLazyTree_qn::AdjustToggledHeight(PLazyNode Node, Integer Value, bool Relative) {
  if (!FDeferredHeights || FDeferredHeights->Path.back().Node != Node) {
    AdjustTotalHeight(Node, Value, Relative);
    return;
  }
  Integer difference = Relative ? Value : Value - Integer(Node->TotalHeight);
  Node->TotalHeight += Cardinal(difference);
  FDeferredHeights->Path.back().Pending += difference;
}

void TBaseLazyTree_qn::ToggleCollapse(PLazyNode Node, bool& NeedUpdate, Integer& HeightDelta,
                                      TToggleView& View) {
  if (!DoCollapsing(Node)) return;
  NeedUpdate = true;
  HeightDelta = Integer(OwnRowHeight(Node)) - Integer(Node->TotalHeight);
  if (View.Shown && FOptions->AnimationOptions().Contains(toAnimatedToggle) && !FStates.Contains(tsCollapsing))
    AnimateCollapse(Node, HeightDelta, View);
  InterruptValidation();
  AdjustToggledHeight(Node, Integer(OwnRowHeight(Node)), false);
  if (FullyVisibleInWalk(Node)) FVisibleCount -= CountVisibleChildren(Node);
  Node->States.Exclude(vsExpanded);
  DoCollapsed(Node);
  if (FOptions->AutoOptions().Contains(toAutoFreeOnCollapse) && Node->ChildCount > 0) {
    DeleteChildren(Node, false);
    // The node keeps its button and makes its children again when it is
    // next expanded.
    Node->States.Include(vsHasChildren);
  }
}

void TBaseLazyTree_qn::ToggleExpand(PLazyNode Node, bool& NeedUpdate, Integer& HeightDelta, TToggleView& View) {
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
  if (View.Shown) {
    // How the children fit decides both the animation and where the view
    // goes afterwards.
    Integer ch = View.ClientHeight;
    View.Holdable = Integer(Node->NodeHeight) + HeightDelta <= ch;
    if (!FOptions->PaintOptions().Contains(toChildrenAbove)) {
      View.InView = View.Holdable;
      View.Fits = View.R.Bottom + HeightDelta <= ch;
    } else {
      View.InView = View.Holdable && FRangeY >= ch;
      View.Fits = View.R.Top - HeightDelta >= 0;
      View.BottomIn = View.R.Bottom <= ch;
    }
    if (View.R.Top < ch && !FStates.Contains(tsExpanding) && !FStates.Contains(tsPainting) &&
        FOptions->AnimationOptions().Contains(toAnimatedToggle))
      AnimateExpand(Node, HeightDelta, View);
  }
  if (AutoSortAllowed())
    Sort(Node, FSortColumn, FSortDirection, false);
  InterruptValidation();
  Node->States.Include(vsExpanded);
  AdjustToggledHeight(Node, HeightDelta, true);
  if (FullyVisibleInWalk(Node)) FVisibleCount += CountVisibleChildren(Node);
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
  TToggleView view;
  view.Shown = FUpdateCount == 0 && HandleAllocated() && Node != FRoot && GetFullyVisible(Node);
  if (view.Shown) {
    view.ClientHeight = ClientHeight();
    Integer top = 0;
    for (PLazyNode run = GetFirstVisibleNoInit(nullptr, true); run && run != Node; run = NextShownNoInit(run))
      top += Integer(run->NodeHeight);
    view.R = TRect(0, top + FOffsetY, ClientWidth(), top + FOffsetY + Integer(Node->NodeHeight));
  }
  if (expanding) ToggleExpand(Node, needUpdate, heightDelta, view);
  else ToggleCollapse(Node, needUpdate, heightDelta, view);
  if (!needUpdate) return;

  InvalidateCache();
  if (FUpdateCount > 0) {
    // A full expand or collapse toggles every node; measuring the rows in
    // view for the width after each one made expanding a million nodes take
    // seconds. The width is measured once when the walk ends (or when it is
    // asked for before then).
    if (FStates.Contains(tsExpanding) || FStates.Contains(tsCollapsing)) {
      UpdateVerticalRange();
      FRangeXPending = true;
    } else {
      UpdateRanges();
    }
    return;
  }
  ValidateCache();
  if (Node->ChildCount == 0) {
    InvalidateNode(Node);
    return;
  }
  Integer offsetBefore = FOffsetY;
  UpdateRanges();
  UpdateScrollBars(true);
  // A range that shrank under the view moved it: every row is elsewhere.
  bool fullRepaint = view.FullRepaint || FOffsetY != offsetBefore;
  if (view.Shown && !FStates.Contains(tsExpanding) && !FStates.Contains(tsPainting)) {
    bool childrenAbove = FOptions->PaintOptions().Contains(toChildrenAbove);
    bool autoScroll = FOptions->AutoOptions().Contains(toAutoScrollOnExpand);
    const TRect& r = view.R;
    Integer clientHeight = view.ClientHeight;
    if (Node->States.Contains(vsExpanded) && (autoScroll || childrenAbove)) {
      if (childrenAbove) {
        fullRepaint = true;
        if ((view.InView && view.Fits && r.Top < clientHeight) || !autoScroll) SetOffsetY(FOffsetY - heightDelta);
        else if (view.Holdable && r.Top < clientHeight) SetOffsetY(FOffsetY - heightDelta + r.Top);
        else SetBottomNode(Node);
      } else if (view.InView) {
        fullRepaint = ScrollIntoView(GetLastVisibleNoInit(Node, true), false, false) || fullRepaint;
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
  TDeferredHeights heights(this);
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
    if (run) heights.Rebuild(run);
    while (run && run != stop) {
      if (!run->States.Contains(vsExpanded)) ToggleNode(run);
      run = GetNext(run);
      if (run && run != stop) heights.Forward(run);
    }
  });
  err.Run([&] { heights.Finish(); });
  err.Run([&] { SettleRangeX(); });
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
  TDeferredHeights heights(this);
  err.Run([&] {
    PLazyNode run = GetLastVisibleNoInit(stop, false, true);
    if (run) heights.Rebuild(run);
    while (run && run != stop) {
      if (run->States.Contains(vsExpanded) && run->States.Contains(vsHasChildren)) ToggleNode(run);
      run = GetPreviousNoInit(run);
      if (run) heights.Backward(run);
    }
    if (stop && stop->States.Contains(vsExpanded) && stop->States.Contains(vsHasChildren)) ToggleNode(stop);
  });
  err.Run([&] { heights.Finish(); });
  err.Run([&] { SettleRangeX(); });
  err.Run([&] { EndUpdate(); });
  DoStateChange({}, {tsCollapsing});
  err.RaiseIfAny();
}

}  // namespace qn
