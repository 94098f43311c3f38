// The position cache and the one process-wide worker thread that rebuilds
// it for trees with more than CacheThreshold visible nodes. The worker never
// writes a tree's states itself: it sends WM_CHANGESTATE to the tree's
// window and ends every pass with Synchronize, so states change on the main
// thread; the main thread, when it must wait for the worker, serves exactly
// those two kinds of work.
#include <algorithm>
#include <cmath>
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
  inherited::DestroyWnd();
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
    if (count % CacheThreshold == 0) {
      FPositionCache[index] = {node, top};
      if (++index >= FPositionCache.size()) break;
    }
    // Heights as stored: the worker never initializes or measures a node
    // (that would run host events on this thread).
    top += node->NodeHeight;
    node = GetNextVisibleNoInit(node, true);
    if (!node) break;
    ++count;
  }
  if (!stopped && index < FPositionCache.size() && last) {
    FPositionCache.resize(index + 1);
    FPositionCache[index] = {last, lastTop};
  }
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
  while (run) {
    Cardinal h = GetNodeHeight(run);
    if (Cardinal(position) < top + h) {
      NodeTop = Integer(top) + (Relative ? FOffsetY : 0);
      return run;
    }
    top += h;
    run = GetNextVisibleNoInit(run, true);
  }
  return nullptr;
}

PLazyNode TBaseLazyTree_qn::GetNodeAt(Integer X, Integer Y) {
  Integer top;
  return GetNodeAt(X, Y, true, top);
}

PLazyNode TBaseLazyTree_qn::GetNodeAt(const TPoint& P) { return GetNodeAt(P.X, P.Y); }

}  // namespace qn
