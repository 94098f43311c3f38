// Cut, copy and paste through the OLE clipboard, and the insertion of
// transferred nodes that paste and drop share.
//
// A copy copies nothing at once: the selection is marked and a data object
// that renders the marked nodes goes on the clipboard. A paste reads "Lazy
// Tree Data" from whatever object is there; when that object names a live
// tree of this process that cut its nodes, they are moved instead.
//
// Data from the clipboard or a drop may come from anybody: a block's byte
// count is checked against the block, a stream that ends early or holds
// rubbish raises before anything it added stays in the tree.
#include <cstring>
#include <vector>

#include "platform/classes/Streams.h"
#include "platform/ole/ActiveX.h"
#include "platform/ole/AxCtrls.h"
#include "platform/user/User.h"
#include "treeview/LazyTrees_qn.h"
#include "treeview/LazyTrees_qn_Internal.h"

namespace qn {

using namespace lazytrees_internal;

// ---------------------------------------------------------------------------
// TOLEMemoryStream

TOLEMemoryStream::TOLEMemoryStream(const void* Memory, Int64 Size) { SetPointer(const_cast<void*>(Memory), Size); }

Integer TOLEMemoryStream::Write(const void*, Integer) {
  throw EStreamError(u"Can't write to a read-only memory stream");
}

namespace {

TFormatEtc LazyTreeDataFormat() {
  TFormatEtc f;
  f.cfFormat = CF_LAZYTREE;
  f.ptd = nullptr;
  f.dwAspect = DVASPECT_CONTENT;
  f.lindex = -1;
  f.tymed = TYMED_ISTREAM | TYMED_HGLOBAL;
  return f;
}

// Releases a medium GetData handed out, whatever else happens.
struct TMediumGuard {
  STGMEDIUM& Medium;
  bool Held;
  ~TMediumGuard() {
    if (Held && Medium.tymed != TYMED_NULL && !(Medium.tymed & (Medium.tymed - 1))) ReleaseStgMedium(&Medium);
  }
};

// Unlocks a locked block on every way out.
struct TLockGuard {
  HGLOBAL Block = nullptr;
  ~TLockGuard() {
    if (Block) GlobalUnlock(Block);
  }
};

}  // namespace

// ---------------------------------------------------------------------------
// Copy, cut, flush

void TBaseLazyTree_qn::ReleaseClipboardObject() {
  TIntf<IDataObject> object = std::move(FClipboardObject);
  FClipboardObject = nullptr;
  // Somebody else's object may have replaced ours meanwhile: that one stays.
  if (object && OleIsCurrentClipboard(object.get()) == S_OK) OleSetClipboard(nullptr);
}

void TBaseLazyTree_qn::CopyToClipBoard() {
  if (FSelectionCount == 0) return;
  TIntf<IDataObject> object(new TVTDataObject(this, true));
  // Putting a new object on the clipboard releases any earlier one of ours,
  // whose marks go with it; only then are the new ones set.
  if (OleSetClipboard(object.get()) != S_OK) return;
  FClipboardObject = object;
  EmptyClipboardMarks();
  MarkCutCopyNodes();
  DoStateChange({tsCopyPending}, {tsCutPending});
  if (HandleAllocated()) Invalidate();
}

void TBaseLazyTree_qn::CutToClipBoard() {
  if (FSelectionCount == 0 || FOptions->MiscOptions().Contains(toReadOnly)) return;
  TIntf<IDataObject> object(new TVTDataObject(this, true));
  if (OleSetClipboard(object.get()) != S_OK) return;
  FClipboardObject = object;
  EmptyClipboardMarks();
  MarkCutCopyNodes();
  DoStateChange({tsCutPending}, {tsCopyPending});
  if (HandleAllocated()) Invalidate();
}

void TBaseLazyTree_qn::FlushClipboard() {
  if (!FStates.Contains(tsCopyPending) && !FStates.Contains(tsCutPending)) return;
  DoStateChange({tsClipboardFlushing});
  HRESULT hr = S_OK;
  try {
    hr = OleFlushClipboard();
  } catch (...) {
    DoStateChange({}, {tsClipboardFlushing});
    throw;
  }
  (void)hr;
  // The clipboard holds rendered data now, no object of ours.
  FClipboardObject = nullptr;
  CancelCutOrCopy();
  DoStateChange({}, {tsClipboardFlushing});
}

// ---------------------------------------------------------------------------
// Paste and drop

bool TBaseLazyTree_qn::PasteFromClipboard() {
  if (FOptions->MiscOptions().Contains(toReadOnly)) return false;
  IDataObject* raw = nullptr;
  if (OleGetClipboard(&raw) != S_OK || !raw) throw ELazyTreeError(SClipboardFailed, hcTFEClipboardFailed);
  TIntf<IDataObject> object;
  object.Attach(raw);
  TBaseLazyTree_qn* source = GetTreeFromDataObject(object.get());
  const bool optimized = source && source->FStates.Contains(tsCutPending);
  bool result = ProcessOLEData(source, object.get(), FFocusedNode, FDefaultPasteMode, optimized);
  if (source) {
    if (source != this) {
      source->FinishCutOrCopy();
    } else if (optimized) {
      // The nodes moved here are not waiting for anything any more.
      EmptyClipboardMarks();
      DoStateChange({}, {tsCutPending});
      if (HandleAllocated()) Invalidate();
    }
  }
  return result;
}

bool TBaseLazyTree_qn::ProcessDrop(IDataObject* DataObject, PLazyNode TargetNode, Integer& Effect,
                                   TVTNodeAttachMode Mode) {
  if (Mode == amNoWhere || !DataObject) {
    Effect = DROPEFFECT_NONE;
    return false;
  }
  bool result = false;
  BeginUpdate();
  TBaseLazyTree_qn* source = GetTreeFromDataObject(DataObject);
  if (source) source->BeginUpdate();
  try {
    if ((Effect & DROPEFFECT_MOVE) && source) {
      result = ProcessOLEData(source, DataObject, TargetNode, Mode, !(Effect & DROPEFFECT_COPY));
      // Moved already: the drag source must not delete anything again.
      Effect = DROPEFFECT_NONE;
    } else if (Effect & (DROPEFFECT_COPY | DROPEFFECT_MOVE)) {
      result = ProcessOLEData(source, DataObject, TargetNode, Mode, false);
    }
  } catch (...) {
    // The source keeps its nodes when nothing arrived here.
    Effect = DROPEFFECT_NONE;
    result = false;
  }
  TDeferredError err;
  if (source) err.Run([&] { source->EndUpdate(); });
  err.Run([&] { EndUpdate(); });
  err.RaiseIfAny();
  return result;
}

bool TBaseLazyTree_qn::ProcessOLEData(TBaseLazyTree_qn* Source, IDataObject* DataObject, PLazyNode TargetNode,
                                      TVTNodeAttachMode Mode, bool Optimized) {
  if (!DataObject || CF_LAZYTREE == 0 || FOptions->MiscOptions().Contains(toReadOnly)) return false;
  TFormatEtc format = LazyTreeDataFormat();
  if (DataObject->QueryGetData(&format) != S_OK) return false;
  // A target that is no node of this tree (freed meanwhile, or another
  // tree's) cannot take anything.
  if (TargetNode && TargetNode != FRoot && !IsLiveNode(TargetNode)) return false;
  if (Mode == amNoWhere) return false;

  bool result = false;
  BeginUpdate();
  try {
    if (!TargetNode) TargetNode = FRoot;
    if (TargetNode == FRoot) {
      if (Mode == amInsertBefore) Mode = amAddChildFirst;
      else if (Mode == amInsertAfter) Mode = amAddChildLast;
    }
    if (Optimized && Source) {
      TNodeArray nodes = Source->FStates.Contains(tsOLEDragging) ? Source->FDragSelection
                                                                  : Source->GetSortedCutCopySet(true);
      // Each node lands at the same place: the walk order keeps the order.
      const bool forward = Mode == amInsertBefore || Mode == amAddChildLast;
      PLazyNode target = TargetNode == FRoot ? nullptr : TargetNode;
      auto moveOne = [&](PLazyNode node) {
        // Nodes that went during an earlier move, or would go into their
        // own subtree, stay where they are.
        if (!Source->IsLiveNode(node) || node == TargetNode) return;
        if (TargetNode != FRoot && Source == this && HasAsParent(TargetNode, node)) return;
        if (target) Source->MoveTo(node, target, Mode, false);
        else Source->MoveTo(node, this, Mode, false);
      };
      if (forward)
        for (PLazyNode n : nodes) moveOne(n);
      else
        for (auto it = nodes.rbegin(); it != nodes.rend(); ++it) moveOne(*it);
      result = true;
    } else {
      const TChangeReason reason = Source == this ? crNodeCopied : crNodeAdded;
      STGMEDIUM medium{};
      format = LazyTreeDataFormat();
      if (DataObject->GetData(&format, &medium) == S_OK) {
        TMediumGuard mediumGuard{medium, true};
        TLockGuard lock;
        std::unique_ptr<TStream> stream;
        if (medium.tymed == TYMED_ISTREAM && medium.pstm) {
          stream = std::make_unique<TOleStream>(medium.pstm);
        } else if (medium.tymed == TYMED_HGLOBAL && medium.hGlobal) {
          const size_t size = GlobalSize(medium.hGlobal);
          if (const auto* p = static_cast<const Byte*>(GlobalLock(medium.hGlobal))) {
            lock.Block = medium.hGlobal;
            int32_t n = 0;
            // The leading count is believed only when the block holds it.
            if (size >= 4) {
              std::memcpy(&n, p, 4);
              if (n >= 0 && size_t(n) <= size - 4) stream = std::make_unique<TOLEMemoryStream>(p + 4, Int64(n));
            }
          }
        }
        if (stream) {
          // Read completely first: data that breaks off leaves nothing here.
          TNodeArray added;
          PLazyNode target = TargetNode;
          TVTNodeAttachMode mode = Mode;
          InterruptValidation();
          if (target != FRoot && (mode == amAddChildFirst || mode == amAddChildLast)) {
            if (!target->States.Contains(vsInitialized)) InitNode(target);
            if (target->States.Contains(vsHasChildren) && target->ChildCount == 0) InitChildren(target);
          }
          {
            TNodeLoad load(this);
            while (stream->Position() < stream->Size()) {
              const Int64 before = stream->Position();
              PLazyNode node = load.Read(stream.get(), 2, target, mode);
              // A stream that stands still would add nodes for ever.
              if (stream->Position() <= before) throw ELazyTreeError(SStreamTooSmall, hcTFEStreamTooSmall);
              if (mode == amInsertAfter) target = node;
            }
            load.Commit();
            added = load.Added();
          }
          PLazyNode reported = TargetNode == FRoot ? nullptr : TargetNode;
          for (PLazyNode node : added) {
            if (DoNodeCopying(node, reported)) {
              DoNodeCopied(node);
              StructureChange(node, reason);
            } else {
              DeleteNode(node, true);
            }
          }
          result = true;
        }
      }
    }
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
  return result;
}

// ---------------------------------------------------------------------------
// Messages

void TBaseLazyTree_qn::WMCopy(TMessage&) { CopyToClipBoard(); }
void TBaseLazyTree_qn::WMCut(TMessage&) { CutToClipBoard(); }
void TBaseLazyTree_qn::WMPaste(TMessage&) { PasteFromClipboard(); }

}  // namespace qn
