// Hooks the node model calls into code that paints, scrolls and edits. The
// base tree answers them with their neutral behaviour: a repaint of the
// window where one is due, no editor and no scrolling of the view.
#include <algorithm>

#include "treeview/LazyTrees_qn.h"

namespace qn {

void TBaseLazyTree_qn::UpdateScrollBars(bool) {}

void TBaseLazyTree_qn::UpdateVerticalRange() {
  if (FRoot) FRangeY = Integer(FRoot->TotalHeight) - Integer(FRoot->NodeHeight);
}

void TBaseLazyTree_qn::UpdateHorizontalRange() {
  FRangeX = FHeader->UseColumns() ? FHeader->Columns()->TotalWidth() : Integer(GetMaxRightExtend());
}

// The range, the effective offset and the platform's bar. Moving the view
// itself belongs to the scrolling code: the offset is only kept inside the
// new range here.
void TBaseLazyTree_qn::UpdateHorizontalScrollBar(bool DoRepaint) {
  UpdateHorizontalRange();
  if (FStates.Contains(tsUpdating) || !HandleAllocated()) return;
  bool rtl = UseRightToLeftAlignment();
  Integer client = ClientWidth();
  auto effective = [&] { return rtl ? FRangeX - client + FOffsetX : -FOffsetX; };
  FEffectiveOffsetX = effective();
  TScrollStyle bars = FScrollBarOptions->ScrollBars();
  if (bars != TScrollStyle::ssHorizontal && bars != TScrollStyle::ssBoth) {
    ShowScrollBar(Handle(), SB_HORZ, false);
    FOffsetX = 0;
    FEffectiveOffsetX = effective();
    return;
  }
  SCROLLINFO si{};
  si.cbSize = sizeof si;
  si.fMask = SIF_ALL;
  GetScrollInfo(Handle(), SB_HORZ, &si);
  if (client < FRangeX || FScrollBarOptions->AlwaysVisible()) {
    ShowScrollBar(Handle(), SB_HORZ, true);
    si.nMin = 0;
    si.nMax = FRangeX;
    si.nPos = FEffectiveOffsetX;
    si.nPage = UINT(std::max(0, client + 1));
    si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_TRACKPOS;
    if (FScrollBarOptions->AlwaysVisible()) si.fMask |= SIF_DISABLENOSCROLL;
    SetScrollInfo(Handle(), SB_HORZ, &si, DoRepaint);
  } else {
    si.nMin = si.nMax = si.nPos = 0;
    si.nPage = 0;
    si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    ShowScrollBar(Handle(), SB_HORZ, false);
    SetScrollInfo(Handle(), SB_HORZ, &si, false);
  }
  Integer position = GetScrollPos(Handle(), SB_HORZ);
  FOffsetX = rtl ? position - FRangeX + client : -position;
  FEffectiveOffsetX = effective();
}

void TBaseLazyTree_qn::UpdateRanges() {
  UpdateVerticalRange();
  UpdateHorizontalRange();
}

bool TBaseLazyTree_qn::ScrollIntoView(PLazyNode, bool, bool) { return false; }

void TBaseLazyTree_qn::SetTopNode(PLazyNode) {}

void TBaseLazyTree_qn::SetBottomNode(PLazyNode) {}

void TBaseLazyTree_qn::SetOffsetY(Integer Value) {
  Integer lowest = 0;
  if (HandleAllocated()) lowest = std::min(0, ClientHeight() - FRangeY);
  Value = std::clamp(Value, lowest, 0);
  if (Value == FOffsetY) return;
  FOffsetY = Value;
  if (HandleAllocated()) Invalidate();
}

void TBaseLazyTree_qn::UpdateEditBounds() {}

void TBaseLazyTree_qn::DoCancelEdit() {
  DoStateChange({}, {tsEditing, tsEditPending});
  FEditNode = nullptr;
}

bool TBaseLazyTree_qn::EndEditNode() {
  // Without an editor there is nothing that could refuse to end.
  DoCancelEdit();
  return true;
}

void TBaseLazyTree_qn::CancelEditNode() {
  if (FStates.Contains(tsEditing) || FStates.Contains(tsEditPending)) DoCancelEdit();
}

Integer TBaseLazyTree_qn::DoIncrementalSearch(PLazyNode Node, const String& Text) {
  Integer result = 1;
  if (Assigned(OnIncrementalSearch)) OnIncrementalSearch(this, Node, Text, result);
  return result;
}

String TBaseLazyTree_qn::DoGetNodeHint(PLazyNode, TColumnIndex, TVTTooltipLineBreakStyle&) { return String(); }

String TBaseLazyTree_qn::DoGetNodeTooltip(PLazyNode, TColumnIndex, TVTTooltipLineBreakStyle&) { return String(); }

void TBaseLazyTree_qn::GetTextInfo(PLazyNode, TColumnIndex, TFont* AFont, TRect& R, String& Text) {
  R = TRect();
  Text.clear();
  AFont->Assign(Font());
  Canvas()->Font()->Assign(AFont);
}

TClipboardFormats::TClipboardFormats(TBaseLazyTree_qn* AOwner) : FOwner(AOwner) {
  SetSorted(true);
  SetDuplicates(TDuplicates::dupIgnore);
}

void TBaseLazyTree_qn::SetClipboardFormats(TClipboardFormats* Value) {
  if (Value != FClipboardFormats.get()) FClipboardFormats->Assign(Value);
}

void TBaseLazyTree_qn::CancelHintAndLeave() { DoStateChange({}, {tsHint}); }

void TBaseLazyTree_qn::EmptyClipboardMarks() {
  for (PLazyNode n = GetFirstNoInit(false); n; n = GetNextNoInit(n, false)) n->States.Exclude(vsCutOrCopy);
}

}  // namespace qn
