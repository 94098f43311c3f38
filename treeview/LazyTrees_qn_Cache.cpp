// The position cache and the one process-wide worker thread that rebuilds
// it for trees with more than CacheThreshold visible nodes. The worker never
// writes a tree's states itself: it sends WM_CHANGESTATE to the tree's
// window and ends every pass with Synchronize, so states change on the main
// thread; the main thread, when it must wait for the worker, serves exactly
// those two kinds of work.
#include <algorithm>
#include <cmath>
#include <exception>
#include <thread>

#include "treeview/LazyTrees_qn.h"

namespace qn {

namespace {
TWorkerThread* GWorker = nullptr;
HANDLE GWorkEvent = nullptr;

TLazyTreeStates ToTreeStates(TChangeStates S) {
  TLazyTreeStates r;
  if (S.Contains(csStopValidation)) r.Include(tsStopValidation);
  if (S.Contains(csUseCache)) r.Include(tsUseCache);
  if (S.Contains(csValidating)) r.Include(tsValidating);
  if (S.Contains(csValidationNeeded)) r.Include(tsValidationNeeded);
  return r;
}
}  // namespace

TWorkerThread* WorkerThread() { return GWorker; }
HANDLE WorkEvent() { return GWorkEvent; }

void AddThreadReference() {
  if (!GWorker) {
    GWorkEvent = CreateEventW(nullptr, false, false, nullptr);
    if (!GWorkEvent) RaiseLastOSError(Integer(GetLastError()));
    GWorker = TThread::Create<TWorkerThread>(false);
  }
  ++GWorker->FRefCount;
}

void ReleaseThreadReference(TBaseLazyTree_qn* Tree) {
  if (!GWorker) return;
  if (GWorker->FRefCount > 0) --GWorker->FRefCount;
  Tree->InterruptValidation();
  if (GWorker->FRefCount == 0) {
    GWorker->Terminate();
    SetEvent(GWorkEvent);
    TWorkerThread* w = GWorker;
    GWorker = nullptr;
    delete w;  // waits for the thread
    CloseHandle(GWorkEvent);
    GWorkEvent = nullptr;
  }
}

// ---------------------------------------------------------------------------
// The worker

TWorkerThread::TWorkerThread(bool CreateSuspended)
    : TThread(CreateSuspended), FWaiterList(std::make_unique<TThreadList>()) {}

TWorkerThread::~TWorkerThread() = default;

void TWorkerThread::Execute() {
  // The thread's name for debuggers: "LazyTrees.TWorkerThread".
  HANDLE event = GWorkEvent;
  while (!Terminated()) {
    WaitForSingleObject(event, INFINITE);
    if (Terminated()) break;
    TList* list = FWaiterList->LockList();
    if (list->Count() > 0) {
      FCurrentTree.store(static_cast<TBaseLazyTree_qn*>(list->Items(0)));
      list->Delete(0);
      if (list->Count() > 0) SetEvent(event);
    } else {
      FCurrentTree.store(nullptr);
    }
    FWaiterList->UnlockList();
    TBaseLazyTree_qn* tree = FCurrentTree.load();
    if (!tree) continue;
    TChangeStates enter;
    try {
      ChangeTreeStates({csValidating}, {csUseCache});
      if (!tree->FStopValidation.load() && tree->DoValidateCache()) enter = {csUseCache};
    } catch (...) {
      // A failing pass still ends below, so the tree never stays validating.
    }
    TChangeStates leave{csStopValidation, csValidating};
    if (enter.Contains(csUseCache)) leave.Include(csValidationNeeded);
    ChangeTreeStates(enter, leave);
    bool measured = enter.Contains(csUseCache);
    try {
      // Work that touches the window runs on the main thread.
      Synchronize(TThreadMethod([tree, measured] {
        tree->UpdateEditBounds();
        if (measured && tree->TreeOptions()->MiscOptions().Contains(toVariableNodeHeight)) tree->UpdateScrollBars(true);
      }));
    } catch (...) {
    }
    FCurrentTree.store(nullptr);
  }
}

void TWorkerThread::AddTree(TBaseLazyTree_qn* Tree) {
  TreeAssert(Tree != nullptr, STreeMustNotBeNil);
  Tree->DoStateChange({}, {tsStopValidation});
  TList* list = FWaiterList->LockList();
  if (list->IndexOf(Tree) < 0) list->Add(Tree);
  FWaiterList->UnlockList();
}

void TWorkerThread::RemoveTree(TBaseLazyTree_qn* Tree) {
  TreeAssert(Tree != nullptr, STreeMustNotBeNil);
  TList* list = FWaiterList->LockList();
  list->Remove(Tree);
  FWaiterList->UnlockList();
  WaitForValidationTermination(Tree);
}

void TWorkerThread::ChangeTreeStates(TChangeStates EnterStates, TChangeStates LeaveStates) {
  TBaseLazyTree_qn* tree = FCurrentTree.load();
  if (!tree) return;
  HWND window = tree->FValidationWindow.load();
  if (window) SendMessageW(window, WM_CHANGESTATE, WPARAM(EnterStates.Bits), LPARAM(LeaveStates.Bits));
}

void TWorkerThread::WaitForValidationTermination(TBaseLazyTree_qn* Tree) {
  while (FCurrentTree.load() == Tree) {
    HWND window = Tree->FValidationWindow.load();
    MSG m;
    // Serves the worker's sent state changes (PeekMessage delivers them
    // whatever the filter) and its closing Synchronize, nothing else.
    if (window && PeekMessageW(&m, window, WM_CHANGESTATE, WM_CHANGESTATE, PM_REMOVE)) {
      TranslateMessage(&m);
      DispatchMessageW(&m);
    }
    if (!CheckSynchronize(0)) std::this_thread::yield();
  }
}

// ---------------------------------------------------------------------------
// Tree side

void TBaseLazyTree_qn::WMChangeState(TMessage& Message) {
  TChangeStates enter, leave;
  enter.Bits = Byte(Message.WParam & 0xFF);
  leave.Bits = Byte(Message.LParam & 0xFF);
  DoStateChange(ToTreeStates(enter), ToTreeStates(leave));
}

void TBaseLazyTree_qn::DestroyWnd() {
  // The worker reaches the tree through its window; it lets go first.
  InterruptValidation();
  FValidationWindow.store(nullptr);
  // The panning marker is owned by this window and goes with it.
  StopWheelPanning();
  // The editor's window went before this one (keeping or dropping its text
  // as the string options say); its edit is over.
  std::exception_ptr editError;
  if (FStates.Contains(tsEditing) || FStates.Contains(tsEditPending)) {
    try {
      AbandonEdit();
    } catch (...) {
      editError = std::current_exception();
    }
  }
  inherited::DestroyWnd();
  if (editError) std::rethrow_exception(editError);
}

Integer TBaseLazyTree_qn::CalculateCacheEntryCount() const {
  if (FVisibleCount <= 1) return 0;
  return Integer(std::ceil(static_cast<long double>(FVisibleCount) / static_cast<float>(CacheThreshold)));
}

void TBaseLazyTree_qn::InvalidateCache() { DoStateChange({tsValidationNeeded}, {tsUseCache}); }

void TBaseLazyTree_qn::ValidateCache() {
  InterruptValidation();
  FStartIndex = 0;
  if (FStates.Contains(tsValidationNeeded) && FVisibleCount > CacheThreshold && GWorker) {
    FValidationWindow.store(HandleAllocated() ? WindowHandle() : nullptr);
    GWorker->AddTree(this);
    SetEvent(GWorkEvent);
  }
}

void TBaseLazyTree_qn::InterruptValidation() {
  DoStateChange({tsStopValidation}, {tsUseCache});
  if (GWorker) {
    bool wasValidating = FStates.Contains(tsValidating);
    GWorker->RemoveTree(this);
    if (wasValidating) DoStateChange({tsValidationNeeded});
  }
}

bool TBaseLazyTree_qn::DoValidateCache() {
  if (FStopValidation.load()) return false;
  if (FStartIndex == 0) FPositionCache.clear();
  Integer length = CalculateCacheEntryCount();
  FPositionCache.resize(size_t(length));
  if (FStartIndex > Cardinal(length)) FStartIndex = Cardinal(length);
  Cardinal index, top;
  PLazyNode node;
  if (FStartIndex > 0 && FPositionCache[FStartIndex - 1].Node) {
    index = FStartIndex - 1;
    node = FPositionCache[index].Node;
    top = FPositionCache[index].AbsoluteTop;
  } else {
    index = 0;
    top = 0;
    node = GetFirstVisibleNoInit(nullptr, true);
  }
  // A finer index over the same walk, one mark every RowIndexStep rows,
  // so that a look-up passes a few dozen nodes instead of up to
  // CacheThreshold; it is only built by a walk from the first row.
  FRowIndex.clear();
  bool fine = index == 0;
  if (fine) FRowIndex.reserve(FVisibleCount / RowIndexStep + 2);
  Cardinal count = 0;
  PLazyNode last = node;
  Cardinal lastTop = top;
  bool stopped = false;
  while (node) {
    if (FStopValidation.load()) {
      stopped = true;
      break;
    }
    last = node;
    lastTop = top;
    if (fine && count % RowIndexStep == 0) FRowIndex.push_back({node, top});
    if (count % CacheThreshold == 0 && index < FPositionCache.size()) {
      FPositionCache[index] = {node, top};
      // A full array ends the walk, unless the fine index still needs the
      // rows after its last mark.
      if (++index >= FPositionCache.size() && !fine) break;
    }
    // Heights as stored: the worker never initializes or measures a node
    // (that would run host events on this thread).
    top += node->NodeHeight;
    node = NextShownNoInit(node);
    if (!node) break;
    ++count;
  }
  if (!stopped && index < FPositionCache.size() && last) {
    FPositionCache.resize(index + 1);
    FPositionCache[index] = {last, lastTop};
  }
  // The fine index must cover every row or none: a walk that ended at a
  // full coarse array has not seen the rows after its last mark.
  if (stopped || !fine || node) FRowIndex.clear();
  else if (last && (FRowIndex.empty() || FRowIndex.back().Node != last)) FRowIndex.push_back({last, lastTop});
  return count > 0 && !stopped;
}

PLazyNode TBaseLazyTree_qn::FindInPositionCache(PLazyNode Node, Cardinal& CurrentPos) const {
  Integer low = 0, high = Integer(FPositionCache.size()) - 1, found = -1;
  while (low <= high) {
    Integer mid = (low + high) / 2;
    if (CompareNodePositions(FPositionCache[size_t(mid)].Node, Node) > 0) {
      high = mid - 1;
    } else {
      found = mid;
      low = mid + 1;
    }
  }
  if (found < 0) {
    CurrentPos = 0;
    return nullptr;
  }
  CurrentPos = FPositionCache[size_t(found)].AbsoluteTop;
  return FPositionCache[size_t(found)].Node;
}

PLazyNode TBaseLazyTree_qn::FindInPositionCache(Cardinal Position, Cardinal& CurrentPos) const {
  Integer low = 0, high = Integer(FPositionCache.size()) - 1, found = -1;
  while (low <= high) {
    Integer mid = (low + high) / 2;
    if (FPositionCache[size_t(mid)].AbsoluteTop <= Position) {
      found = mid;
      low = mid + 1;
    } else {
      high = mid - 1;
    }
  }
  if (found < 0) {
    CurrentPos = 0;
    return nullptr;
  }
  CurrentPos = FPositionCache[size_t(found)].AbsoluteTop;
  return FPositionCache[size_t(found)].Node;
}

PLazyNode TBaseLazyTree_qn::GetNodeAt(Integer X, Integer Y, bool Relative, Integer& NodeTop) {
  (void)X;
  if (Y < 0) Y = 0;
  Integer position = Relative ? Y - FOffsetY : Y;
  if (position < 0) position = 0;
  Cardinal top = 0;
  PLazyNode run = nullptr;
  if (FStates.Contains(tsUseCache)) run = FindInPositionCache(Cardinal(position), top);
  if (!run) {
    run = GetFirstVisibleNoInit(nullptr, true);
    top = 0;
  }
  if (run && !FOptions->MiscOptions().Contains(toVariableNodeHeight) &&
      !FOptions->PaintOptions().Contains(toChildrenAbove)) {
    Cardinal found = 0;
    PLazyNode result = nullptr;
    // From the nearer of the two cache entries around the position.
    const TCacheEntry* after = nullptr;
    if (FStates.Contains(tsUseCache)) {
      const TCache& index = FRowIndex.empty() ? FPositionCache : FRowIndex;
      auto it = std::upper_bound(index.begin(), index.end(), Cardinal(position),
                                 [](Cardinal p, const TCacheEntry& e) { return p < e.AbsoluteTop; });
      if (it != index.begin() && !FRowIndex.empty()) {
        run = std::prev(it)->Node;
        top = std::prev(it)->AbsoluteTop;
      }
      if (it != index.end() && it->Node) after = &*it;
    }
    if (after && after->AbsoluteTop - Cardinal(position) < Cardinal(position) - top)
      result = RowBefore(after->Node, after->AbsoluteTop, Cardinal(position), found);
    else
      result = RowAt(run, top, Cardinal(position), found);
    if (result) NodeTop = Integer(found) + (Relative ? FOffsetY : 0);
    return result;
  }
  while (run) {
    Cardinal h = GetNodeHeight(run);
    if (Cardinal(position) < top + h) {
      NodeTop = Integer(top) + (Relative ? FOffsetY : 0);
      return run;
    }
    top += h;
    run = NextShownNoInit(run);
  }
  return nullptr;
}

PLazyNode TBaseLazyTree_qn::RowAt(PLazyNode Start, Cardinal StartTop, Cardinal Position, Cardinal& RowTop) const {
  // The same rows as stepping through the shown nodes one by one, but a
  // whole subtree is passed at once by its total height (which holds
  // exactly the shown rows below it), and the step is a plain loop over the
  // links: this is what every paint and hit test runs.
  bool showFiltered = FOptions->PaintOptions().Contains(toShowFilteredNodes);
  PLazyNode node = Start;
  Cardinal top = StartTop;
  for (;;) {
    Cardinal total = node->TotalHeight;
    if (Position < top + total) {
      Cardinal own = (node->States.Contains(vsFiltered) && !showFiltered) ? 0 : node->NodeHeight;
      if (Position < top + own) {
        RowTop = top;
        return node;
      }
      top += own;
      PLazyNode child = node->FirstChild;
      while (child && !child->States.Contains(vsVisible)) child = child->NextSibling;
      if (!child) return nullptr;
      node = child;
      continue;
    }
    top += total;
    PLazyNode next;
    for (;;) {
      next = node->NextSibling;
      while (next && !next->States.Contains(vsVisible)) next = next->NextSibling;
      if (next) break;
      node = node->Parent;
      if (node == FRoot) return nullptr;
    }
    node = next;
  }
}

PLazyNode TBaseLazyTree_qn::RowBefore(PLazyNode Start, Cardinal StartTop, Cardinal Position,
                                      Cardinal& RowTop) const {
  // Backwards in display order, a subtree or a parent's own row at a time,
  // until the position lies in what was passed.
  bool showFiltered = FOptions->PaintOptions().Contains(toShowFilteredNodes);
  PLazyNode node = Start;
  Cardinal top = StartTop;
  for (;;) {
    PLazyNode prev = node->PrevSibling;
    while (prev && !prev->States.Contains(vsVisible)) prev = prev->PrevSibling;
    if (prev) {
      top -= prev->TotalHeight;
      node = prev;
      if (Position >= top) return RowAt(prev, top, Position, RowTop);
      continue;
    }
    node = node->Parent;
    if (node == FRoot) return nullptr;
    Cardinal own = (node->States.Contains(vsFiltered) && !showFiltered) ? 0 : node->NodeHeight;
    top -= own;
    if (Position >= top) {
      RowTop = top;
      return node;
    }
  }
}

PLazyNode TBaseLazyTree_qn::GetNodeAt(Integer X, Integer Y) {
  Integer top;
  return GetNodeAt(X, Y, true, top);
}

PLazyNode TBaseLazyTree_qn::GetNodeAt(const TPoint& P) { return GetNodeAt(P.X, P.Y); }

}  // namespace qn
