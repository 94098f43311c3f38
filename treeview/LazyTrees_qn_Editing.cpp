// In-place editing: the tree's side of an edit. The tree knows nothing of
// the editor window; it drives whatever IVTEditLink it got through the
// start, bounds, end and cancel steps and keeps its states in line with
// what the link answers.
#include <algorithm>

#include "platform/vcl/Forms.h"
#include "treeview/LazyTrees_qn.h"
#include "treeview/LazyTrees_qn_Header.h"
#include "treeview/LazyTrees_qn_Internal.h"

namespace qn {

using lazytrees_internal::ChangeBiDiModeAlignment;
using lazytrees_internal::TDeferredError;

namespace {
constexpr const char16_t* SInvalidEditColumn = u"Column must be a valid column index (-1 if no header is shown).";
}

bool TBaseLazyTree_qn::EditNode(PLazyNode Node, TColumnIndex Column) {
  TreeAssert(Node != nullptr, SNodeMustNotBeNil);
  TreeAssert(Column >= NoColumn && Column < FHeader->Columns()->Count(), SInvalidEditColumn);
  if (FStates.Contains(tsEditing) || FOptions->MiscOptions().Contains(toReadOnly)) return false;
  SetFocusedNode(Node);
  if (FFocusedNode != Node || !CanEdit(Node, Column)) return false;
  FEditColumn = Column;
  if (!Node->States.Contains(vsInitialized)) InitNode(Node);
  DoEdit();
  return FStates.Contains(tsEditing);
}

bool TBaseLazyTree_qn::EndEditNode() {
  if (FStates.Contains(tsEditing) || FStates.Contains(tsEditPending)) return DoEndEdit();
  return true;
}

bool TBaseLazyTree_qn::CancelEditNode() {
  if (HandleAllocated() && (FStates.Contains(tsEditing) || FStates.Contains(tsEditPending))) return DoCancelEdit();
  return true;
}

bool TBaseLazyTree_qn::CanEdit(PLazyNode Node, TColumnIndex Column) {
  const TVTMiscOptions& misc = FOptions->MiscOptions();
  bool allowed = misc.Contains(toEditable) && Enabled() && !misc.Contains(toReadOnly);
  DoCanEdit(Node, Column, allowed);
  return allowed;
}

void TBaseLazyTree_qn::DoCanEdit(PLazyNode Node, TColumnIndex Column, bool& Allowed) {
  if (Assigned(FOnEditing)) FOnEditing(this, Node, Column, Allowed);
}

TIntf<IVTEditLink> TBaseLazyTree_qn::DoCreateEditor(PLazyNode Node, TColumnIndex Column) {
  TIntf<IVTEditLink> result;
  if (Assigned(FOnCreateEditor)) {
    TIntf<IInterface> link;
    FOnCreateEditor(this, Node, Column, link);
    if (link) Supports(link, result);
  }
  return result;
}

void TBaseLazyTree_qn::DoEdit() {
  if (Application) Application->CancelHint();
  StopTimer(ScrollTimer);
  StopTimer(EditTimer);
  DoStateChange({}, {tsEditPending});
  PLazyNode node = FFocusedNode;
  if (!node || node->States.Contains(vsDisabled) || FOptions->MiscOptions().Contains(toReadOnly) || FEditLink)
    return;
  FEditLink = DoCreateEditor(node, FEditColumn);
  if (!FEditLink) return;
  // The link may drop out of FEditLink while it works (a handler cancels);
  // it lives until this call is done with it.
  TIntf<IVTEditLink> link = FEditLink;
  FEditNode = node;
  DoStateChange({tsEditing}, {tsToggleFocusedSelection, tsClearPending, tsDrawSelPending, tsDrawSelecting,
                              tsMouseCheckPending, tsOLEDragging, tsOLEDragPending, tsScrolling, tsScrollPending});
  ScrollIntoView(node, FOptions->SelectionOptions().Contains(toCenterScrollIntoView),
                 !FOptions->AutoOptions().Contains(toDisableAutoscrollOnEdit));
  // Each step may run handlers; one that ends the edit or deletes the node
  // ends this start too.
  auto stillEditing = [&] { return FStates.Contains(tsEditing) && FEditNode == node && FEditLink == link; };
  bool started = false;
  if (stillEditing() && link->PrepareEdit(this, node, FEditColumn) && stillEditing()) {
    UpdateEditBounds();
    InvalidateNode(node);
    started = link->BeginEdit() && stillEditing();
  }
  if (!started && FEditLink == link) {
    DoStateChange({}, {tsEditing});
    FEditLink = nullptr;
    FEditNode = nullptr;
    // The cell was left blank for the editor.
    if (FFocusedNode == node) InvalidateNode(node);
  }
}

bool TBaseLazyTree_qn::DoEndEdit() {
  StopTimer(EditTimer);
  TIntf<IVTEditLink> link = FEditLink;
  bool result = FStates.Contains(tsEditing) && (!link || link->EndEdit());
  if (result) {
    PLazyNode node = FEditNode;
    DoStateChange({}, {tsEditing});
    FEditLink = nullptr;
    FEditNode = nullptr;
    if (node && HandleAllocated()) InvalidateNode(node);
    if (Assigned(FOnEdited)) FOnEdited(this, FFocusedNode, FEditColumn);
  }
  DoStateChange({}, {tsEditPending});
  return result;
}

bool TBaseLazyTree_qn::DoCancelEdit() {
  StopTimer(EditTimer);
  DoStateChange({}, {tsEditPending});
  TIntf<IVTEditLink> link = FEditLink;
  bool result = FStates.Contains(tsEditing) && (!link || link->CancelEdit());
  if (result) {
    PLazyNode node = FEditNode;
    DoStateChange({}, {tsEditing});
    FEditNode = nullptr;
    if (!ComponentState().Contains(csDestroying)) FEditLink = nullptr;
    if (node && HandleAllocated() && !ComponentState().Contains(csDestroying)) InvalidateNode(node);
    if (Assigned(FOnEditCancelled)) FOnEditCancelled(this, FEditColumn);
  }
  return result;
}

void TBaseLazyTree_qn::AbandonEdit() {
  if (!FStates.Contains(tsEditing) && !FStates.Contains(tsEditPending)) {
    FEditNode = nullptr;
    return;
  }
  TDeferredError err;
  err.Run([&] { DoCancelEdit(); });
  // A link that keeps its edit is let go all the same: the tree never asks
  // it for the node's text again.
  if (FStates.Contains(tsEditing) || FStates.Contains(tsEditPending)) {
    StopTimer(EditTimer);
    DoStateChange({}, {tsEditing, tsEditPending});
    if (!ComponentState().Contains(csDestroying)) FEditLink = nullptr;
  }
  FEditNode = nullptr;
  err.RaiseIfAny();
}

void TBaseLazyTree_qn::UpdateEditBounds() {
  // The validation worker reaches here through Synchronize only; a direct
  // call from another thread must not touch windows.
  if (!FStates.Contains(tsEditing) || !FFocusedNode || !FEditLink || GetCurrentThreadId() != MainThreadID()) return;
  TLazyTreeColumns* columns = FHeader->Columns();
  TRect r = GetDisplayRect(FFocusedNode, FEditColumn, true, !FFocusedNode->States.Contains(vsMultiline));
  if (FOptions->MiscOptions().Contains(toGridExtensions)) {
    TAlignment alignment = FAlignment;
    TBiDiMode bidi = BiDiMode();
    if (columns->IsValidColumn(FEditColumn)) {
      alignment = columns->Items(FEditColumn)->Alignment();
      bidi = columns->Items(FEditColumn)->BiDiMode();
    }
    if (bidi != bdLeftToRight) alignment = ChangeBiDiModeAlignment(alignment);
    // The editor reaches across the free part of the cell, away from where
    // the text is anchored.
    Integer left = 0, right = 0;
    columns->GetColumnBounds(FEditColumn, left, right);
    if (alignment == taLeftJustify) r.Right = right;
    else r.Left = left;
  }
  if (FOptions->PaintOptions().Contains(toShowHorzGridLines)) --r.Bottom;
  // An editor that grew with its text keeps its height.
  r.Bottom = r.Top + std::max(r.Height(), FEditLink->GetBounds().Height());
  FEditLink->SetBounds(r);
}

}  // namespace qn
