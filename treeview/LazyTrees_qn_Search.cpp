// Incremental search and the tree's window timers. Typing jumps to the next
// node whose text starts with what was typed; a pause of
// IncrementalSearchTimeout ends the run. The delayed work of the tree (drag
// expand, edit start, auto scroll, change events, search time-out, theme
// refresh) arrives here as WM_TIMER, and losing the focus or cancel mode
// stop what would otherwise fire into a changed situation.
#include "platform/rtl/Kernel.h"
#include "platform/vcl/Forms.h"
#include "treeview/LazyTrees_qn.h"

namespace qn {

namespace {

// How a search walks the tree: which nodes it may visit, in which direction.
struct TSearchWalk {
  TBaseLazyTree_qn* Tree;
  TVTIncrementalSearch Mode;
  bool Forward;

  PLazyNode First() const {
    // A backward walk starts at the last node.
    if (!Forward) return Last();
    switch (Mode) {
      case TVTIncrementalSearch::isInitializedOnly: return Tree->GetFirstNoInit();
      case TVTIncrementalSearch::isVisibleOnly: return Tree->GetFirstVisible(nullptr, true);
      default: return Tree->GetFirst();
    }
  }
  PLazyNode Last() const {
    switch (Mode) {
      case TVTIncrementalSearch::isInitializedOnly: return Tree->GetLastNoInit(nullptr, false);
      case TVTIncrementalSearch::isVisibleOnly: return Tree->GetLastVisible(nullptr, true);
      default: return Tree->GetLast(nullptr, false);
    }
  }
  PLazyNode Next(PLazyNode Node) const {
    switch (Mode) {
      case TVTIncrementalSearch::isInitializedOnly:
        return Forward ? Tree->GetNextNoInit(Node) : Tree->GetPreviousNoInit(Node);
      case TVTIncrementalSearch::isVisibleOnly:
        return Forward ? Tree->GetNextVisible(Node) : Tree->GetPreviousVisible(Node);
      default: return Forward ? Tree->GetNext(Node) : Tree->GetPrevious(Node);
    }
  }
  // One node on, wrapping to the first node at the end; nil stays only in an
  // empty tree.
  PLazyNode Step(PLazyNode Node) const {
    PLazyNode result = Node ? Next(Node) : nullptr;
    return result ? result : First();
  }
};

}  // namespace

void TBaseLazyTree_qn::SetSearchOption(TVTIncrementalSearch Value) {
  if (FIncrementalSearch == Value) return;
  FIncrementalSearch = Value;
  if (Value == TVTIncrementalSearch::isNone) EndIncrementalSearch();
}

void TBaseLazyTree_qn::StartSearchTimer() {
  if (HandleAllocated()) SetTimer(Handle(), SearchTimer, FSearchTimeout, nullptr);
}

void TBaseLazyTree_qn::EndIncrementalSearch() {
  StopTimer(SearchTimer);
  DoStateChange({}, {tsIncrementalSearching});
  FSearchBuffer.clear();
  FLastSearchNode = nullptr;
}

void TBaseLazyTree_qn::HandleIncrementalSearch(Word CharCode) {
  StopTimer(SearchTimer);
  if (FIncrementalSearch == TVTIncrementalSearch::isNone) return;
  if (CharCode != 0) {
    DoStateChange({tsIncrementalSearching});
    bool isBackspace = CharCode == VK_BACK;
    if (!(isBackspace && FSearchBuffer.empty())) {
      PLazyNode startNode = nullptr;
      switch (FSearchStart) {
        case ssAlwaysStartOver: break;
        case ssLastHit: startNode = FLastSearchNode; break;
        case ssFocusedNode: startNode = FFocusedNode; break;
      }
      if (startNode) {
        if (FIncrementalSearch == TVTIncrementalSearch::isInitializedOnly &&
            !startNode->States.Contains(vsInitialized))
          startNode = nullptr;
        else if (FIncrementalSearch == TVTIncrementalSearch::isVisibleOnly &&
                 (!GetFullyVisible(startNode) || GetEffectivelyFiltered(startNode)))
          startNode = nullptr;
      }
      // A backspace goes back the way the search came.
      bool forward = (FSearchDirection == sdForward) != isBackspace;
      TSearchWalk walk{this, FIncrementalSearch, forward};
      Char typed = Char(CharCode);
      bool sameLetter = FSearchBuffer.size() == 1 && !isBackspace && FSearchBuffer[0] == typed;
      // A node that starts with the doubled letter wins over cycling.
      if (sameLetter && startNode && DoIncrementalSearch(startNode, FSearchBuffer + typed) == 0)
        sameLetter = false;

      PLazyNode run = startNode;
      if (FSearchBuffer.empty() || !run || sameLetter || isBackspace) run = walk.Step(run);
      if (run) {
        String searchText;
        if (sameLetter) {
          searchText = FSearchBuffer;
        } else if (isBackspace) {
          FSearchBuffer.pop_back();
          searchText = FSearchBuffer;
        } else {
          searchText = FSearchBuffer + typed;
        }
        // The walk visits every candidate once; the start node comes last, so
        // a start node that is the only match still counts as found and the
        // typed text is kept.
        PLazyNode from = run;
        PLazyNode found = nullptr;
        do {
          if (DoIncrementalSearch(run, searchText) == 0) {
            found = run;
            break;
          }
          run = walk.Next(run);
          if (!run && startNode) run = walk.First();
        } while (run && run != from);
        if (found) {
          ClearSelection();
          FSearchBuffer = searchText;
          FLastSearchNode = found;
          SetFocusedNode(found);
          SetSelected(found, true);
        } else {
          MessageBeep(MB_OK);
        }
      }
    }
  }
  StartSearchTimer();
}

void TBaseLazyTree_qn::DoDragExpand() {
  StopTimer(ExpandTimer);
  PLazyNode target = FDropTargetNode;
  if (target && (target->ChildCount > 0 || target->States.Contains(vsHasChildren)) &&
      !target->States.Contains(vsExpanded)) {
    // The expansion moves what lies under the source's picture.
    TBaseLazyTree_qn* source = DragImageSource(FDragManager ? FDragManager->GetDragSource() : nullptr);
    HideDragImageOver(source);
    ToggleNode(target);
    if (HandleAllocated()) UpdateWindow(Handle());
    if (source) source->FDragImage->ShowDragImage();
  }
}

void TBaseLazyTree_qn::WMTimer(TMessage& Message) {
  switch (Message.WParam) {
    case ExpandTimer:
      DoDragExpand();
      break;
    case EditTimer:
      DoEdit();
      break;
    case ScrollTimer:
      ScrollTimerExpired();
      break;
    case ChangeTimer:
      if (FStates.Contains(tsChangePending)) DoChange(FLastChangedNode);
      else StopTimer(ChangeTimer);
      break;
    case StructureChangeTimer:
      if (FStates.Contains(tsStructureChangePending))
        DoStructureChange(FLastStructureChangeNode, FLastStructureChangeReason);
      else StopTimer(StructureChangeTimer);
      break;
    case SearchTimer:
      EndIncrementalSearch();
      break;
    case ThemeChangedTimer:
      // A foreign theme change rebuilds the window.
      StopTimer(ThemeChangedTimer);
      RecreateWnd();
      break;
    default:
      // The header's timer is the header's; higher ids belong to others.
      break;
  }
}

void TBaseLazyTree_qn::WMKillFocus(TMessage& Message) {
  inherited::Dispatch(Message);
  if (Application) Application->CancelHint();
  StopWheelPanning();
  for (UINT_PTR id : {ExpandTimer, EditTimer, HeaderTimer, ScrollTimer, SearchTimer}) StopTimer(id);
  FSearchBuffer.clear();
  FLastSearchNode = nullptr;
  DoStateChange({}, {tsScrollPending, tsScrolling, tsEditPending, tsLeftButtonDown, tsRightButtonDown,
                     tsMiddleButtonDown, tsOLEDragPending, tsVCLDragPending, tsIncrementalSearching,
                     tsNodeHeightTrackPending, tsNodeHeightTracking});
  RepaintForFocusChange();
  HandOverFocusToEmbeddedObject();
}

void TBaseLazyTree_qn::WMCancelMode(TMessage& Message) {
  for (UINT_PTR id : {ExpandTimer, EditTimer, HeaderTimer, ScrollTimer, SearchTimer, ThemeChangedTimer})
    StopTimer(id);
  FSearchBuffer.clear();
  FLastSearchNode = nullptr;
  DoStateChange({}, {tsClearPending, tsEditPending, tsOLEDragPending, tsVCLDragPending, tsDrawSelPending,
                     tsDrawSelecting, tsIncrementalSearching});
  inherited::Dispatch(Message);
}

bool TBaseLazyTree_qn::TimerDispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_TIMER:
      if (Message.WParam < ExpandTimer || Message.WParam > ThemeChangedTimer || Message.WParam == HeaderTimer)
        return false;
      WMTimer(Message);
      return true;
    case WM_KILLFOCUS:
      WMKillFocus(Message);
      return true;
    case WM_CANCELMODE:
      WMCancelMode(Message);
      return true;
    default:
      return false;
  }
}

}  // namespace qn
