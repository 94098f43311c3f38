// Batches (BeginUpdate/EndUpdate), synchronous mode, the two change events
// and their delay timers, tree states and long operations.
#include "treeview/LazyTrees_qn.h"
#include "treeview/LazyTrees_qn_Internal.h"

namespace qn {

using namespace lazytrees_internal;

namespace {
bool IsDestroying(const TBaseLazyTree_qn* Tree) { return Tree->ComponentState().Contains(csDestroying); }
}  // namespace

void TBaseLazyTree_qn::DoUpdating(TVTUpdateState State) {
  if (Assigned(OnUpdating)) OnUpdating(this, State);
}

void TBaseLazyTree_qn::SetUpdateState(bool Updating) {
  if (Visible() && HandleAllocated() && FUpdateCount == 0)
    SendMessageW(Handle(), WM_SETREDRAW, Updating ? 0 : 1, 0);
}

void TBaseLazyTree_qn::BeginUpdate() {
  if (!IsDestroying(this)) {
    if (FUpdateCount == 0) {
      DoUpdating(usBegin);
      SetUpdateState(true);
    } else {
      DoUpdating(usUpdate);
    }
  }
  ++FUpdateCount;
  DoStateChange({tsUpdating});
}

void TBaseLazyTree_qn::EndUpdate() {
  if (FUpdateCount > 0) --FUpdateCount;
  if (IsDestroying(this)) return;
  // Every step runs even when a handler raises, so that redrawing is
  // switched back on and the batch really ends.
  TDeferredError err;
  if (FUpdateCount == 0 && FStates.Contains(tsUpdating)) {
    if (FStates.Contains(tsUpdateHiddenChildrenNeeded)) {
      DetermineHiddenChildrenFlagAllNodes();
      DoStateChange({}, {tsUpdateHiddenChildrenNeeded});
    }
    DoStateChange({}, {tsUpdating});
    Integer n = PackArray();
    if (n >= 0) FSelectionCount = n;
    InvalidateCache();
    ValidateCache();
    if (HandleAllocated()) UpdateScrollBars(false);
    if (FStates.Contains(tsStructureChangePending))
      err.Run([&] { DoStructureChange(FLastStructureChangeNode, FLastStructureChangeReason); });
    if (FStates.Contains(tsChangePending)) err.Run([&] { DoChange(FLastChangedNode); });
    if (AutoSortAllowed()) err.Run([&] { SortTree(FSortColumn, FSortDirection, true); });
    SetUpdateState(false);
    if (HandleAllocated()) Invalidate();
    UpdateDesigner();
  }
  err.Run([&] { DoUpdating(FUpdateCount == 0 ? usEnd : usUpdate); });
  err.RaiseIfAny();
}

void TBaseLazyTree_qn::BeginSynch() {
  if (!IsDestroying(this)) {
    if (FSynchUpdateCount == 0) {
      DoUpdating(usBeginSynch);
      for (UINT_PTR id : {ChangeTimer, StructureChangeTimer, ExpandTimer, EditTimer, HeaderTimer, ScrollTimer,
                          SearchTimer})
        StopTimer(id);
      // With its timer stopped nothing else would forget the typed text, and
      // the next key would extend a search the host has long left.
      FSearchBuffer.clear();
      FLastSearchNode = nullptr;
      DoStateChange({}, {tsEditPending, tsScrollPending, tsScrolling, tsIncrementalSearching});
      if (FStates.Contains(tsStructureChangePending))
        DoStructureChange(FLastStructureChangeNode, FLastStructureChangeReason);
      if (FStates.Contains(tsChangePending)) DoChange(FLastChangedNode);
    } else {
      DoUpdating(usSynch);
    }
  }
  ++FSynchUpdateCount;
  DoStateChange({tsSynchMode});
}

void TBaseLazyTree_qn::EndSynch() {
  if (FSynchUpdateCount > 0) --FSynchUpdateCount;
  if (IsDestroying(this)) return;
  if (FSynchUpdateCount == 0) {
    DoStateChange({}, {tsSynchMode});
    DoUpdating(usEndSynch);
  } else {
    DoUpdating(usSynch);
  }
}

void TBaseLazyTree_qn::StopTimer(UINT_PTR ID) {
  if (HandleAllocated()) KillTimer(Handle(), ID);
}

void TBaseLazyTree_qn::StructureChange(PLazyNode Node, TChangeReason Reason) {
  AdviseChangeEvent(true, Node, Reason);
  if (FUpdateCount != 0) return;
  // A tree without a window has no timer to wait for; it reports at once.
  if (FChangeDelay > 0 && !FStates.Contains(tsSynchMode) && HandleAllocated())
    SetTimer(Handle(), StructureChangeTimer, FChangeDelay, nullptr);
  else
    DoStructureChange(Node, Reason);
}

void TBaseLazyTree_qn::Change(PLazyNode Node) {
  AdviseChangeEvent(false, Node, crIgnore);
  if (FUpdateCount != 0) return;
  if (FChangeDelay > 0 && !FStates.Contains(tsSynchMode) && HandleAllocated())
    SetTimer(Handle(), ChangeTimer, FChangeDelay, nullptr);
  else
    DoChange(Node);
}

void TBaseLazyTree_qn::AdviseChangeEvent(bool StructureChange, PLazyNode Node, TChangeReason Reason) {
  if (StructureChange) {
    if (FStates.Contains(tsStructureChangePending)) StopTimer(StructureChangeTimer);
    else DoStateChange({tsStructureChangePending});
    FLastStructureChangeNode = Node;
    if (FLastStructureChangeReason == crIgnore) FLastStructureChangeReason = Reason;
    else if (Reason != crIgnore) FLastStructureChangeReason = crAccumulated;
  } else {
    if (FStates.Contains(tsChangePending)) StopTimer(ChangeTimer);
    else DoStateChange({tsChangePending});
    FLastChangedNode = Node;
  }
}

void TBaseLazyTree_qn::DoStructureChange(PLazyNode Node, TChangeReason Reason) {
  StopTimer(StructureChangeTimer);
  // The pending state is cleared even when the handler raises, or the next
  // change would be folded into one that was already reported.
  struct TReset {
    TBaseLazyTree_qn* T;
    ~TReset() {
      T->DoStateChange({}, {tsStructureChangePending});
      T->FLastStructureChangeNode = nullptr;
      T->FLastStructureChangeReason = crIgnore;
    }
  } reset{this};
  if (Assigned(OnStructureChange)) OnStructureChange(this, Node, Reason);
}

void TBaseLazyTree_qn::DoChange(PLazyNode Node) {
  StopTimer(ChangeTimer);
  struct TReset {
    TBaseLazyTree_qn* T;
    ~TReset() {
      T->DoStateChange({}, {tsChangePending});
      T->FLastChangedNode = nullptr;
    }
  } reset{this};
  if (Assigned(OnChange)) OnChange(this, Node);
}

void TBaseLazyTree_qn::DoStateChange(TLazyTreeStates Enter, TLazyTreeStates Leave) {
  if (Assigned(OnStateChange) && !((Enter - FStates) + (Leave * FStates)).Empty())
    OnStateChange(this, Enter, Leave);
  FStates = FStates + Enter - Leave;
  if (Enter.Contains(tsStopValidation)) FStopValidation.store(true);
  else if (Leave.Contains(tsStopValidation)) FStopValidation.store(false);
}

// ---------------------------------------------------------------------------
// Long operations

void TBaseLazyTree_qn::DoStartOperation(TVTOperationKind OperationKind) {
  if (Assigned(OnStartOperation)) OnStartOperation(this, OperationKind);
}

void TBaseLazyTree_qn::DoEndOperation(TVTOperationKind OperationKind) {
  if (Assigned(OnEndOperation)) OnEndOperation(this, OperationKind);
}

void TBaseLazyTree_qn::StartOperation(TVTOperationKind OperationKind) {
  ++FOperationCount;
  DoStartOperation(OperationKind);
  if (FOperationCount == 1) FOperationCanceled = false;
}

void TBaseLazyTree_qn::EndOperation(TVTOperationKind OperationKind) {
  TreeAssert(FOperationCount > 0, SEndOperationUnbalanced);
  --FOperationCount;
  DoEndOperation(OperationKind);
}

void TBaseLazyTree_qn::CancelOperation() {
  if (FOperationCount > 0) FOperationCanceled = true;
}

bool TBaseLazyTree_qn::GetOperationCanceled() const { return FOperationCanceled && FOperationCount > 0; }

}  // namespace qn
