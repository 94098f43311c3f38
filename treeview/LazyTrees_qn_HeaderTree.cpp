// The tree's side of the header: its rectangle, the widest content of a
// column, the column rules of focus and the relays of column and header
// events.
#include <algorithm>

#include "treeview/LazyTrees_qn.h"
#include "treeview/LazyTrees_qn_Appearance.h"

namespace qn {

TClass TBaseLazyTree_qn::GetColumnClass() const { return TLazyTreeColumn::StaticClass(); }

void TBaseLazyTree_qn::SetHeader(TVTHeader* Value) { FHeader->Assign(Value); }

void TBaseLazyTree_qn::UpdateHeaderRect() {
  // The whole window less its frame (the border dimensions are negative).
  TSize border = GetBorderDimensions();
  FHeaderRect = TRect(-border.cx, -border.cy, Width() + border.cx, Height() + border.cy);
  Integer offsetX = Integer(BorderWidth()), offsetY = Integer(BorderWidth());
  if (BevelKind() != bkNone) {
    Integer edge = 0;
    if (BevelInner() != bvNone) edge += Integer(BevelWidth());
    if (BevelOuter() != bvNone) edge += Integer(BevelWidth());
    if (BevelEdges().Contains(beLeft)) offsetX += edge;
    if (BevelEdges().Contains(beTop)) offsetY += edge;
  }
  FHeaderRect.Left += offsetX;
  FHeaderRect.Right -= offsetX;
  FHeaderRect.Top += offsetY;
  FHeaderRect.Bottom -= offsetY;
  if (FHeader->Options().Contains(hoVisible)) {
    if (FHeaderRect.Left <= FHeaderRect.Right) FHeaderRect.Bottom = FHeaderRect.Top + FHeader->Height();
    else FHeaderRect = TRect(0, 0, 0, 0);
  } else {
    FHeaderRect.Bottom = FHeaderRect.Top;
  }
}

void TBaseLazyTree_qn::HeaderWindowCreated() {
  if (FHeader->States().Contains(hsNeedScaling)) FHeader->RescaleHeader();
  if (FHeader->Options().Contains(hoAutoResize)) FHeader->Columns()->AdjustAutoSize(InvalidColumn, true);
  UpdateHeaderRect();
}

TColumnIndex TBaseLazyTree_qn::HeaderMainColumn() const { return FHeader->MainColumn(); }
bool TBaseLazyTree_qn::HeaderUsesColumns() const { return FHeader->UseColumns(); }
bool TBaseLazyTree_qn::HeaderAllowsFocus(TColumnIndex Column) const { return FHeader->AllowFocus(Column); }
bool TBaseLazyTree_qn::HeaderColumnValid(TColumnIndex Column) const {
  return FHeader->Columns()->IsValidColumn(Column);
}
bool TBaseLazyTree_qn::HeaderColumnVisible(TColumnIndex Column) const {
  return FHeader->Columns()->IsValidColumn(Column) &&
         FHeader->Columns()->Items(Column)->Options().Contains(coVisible);
}
TColumnIndex TBaseLazyTree_qn::HeaderFirstVisibleFocusColumn() const {
  return FHeader->Columns()->GetFirstVisibleColumn(true);
}

void TBaseLazyTree_qn::UpdateColumnCheckState(TLazyTreeColumn* Column) {
  Column->SetCheckState(DetermineNextCheckState(Column->CheckType(), Column->CheckState()));
}

void TBaseLazyTree_qn::MainColumnChanged() {
  DoCancelEdit();
  if (HasAccessibleItem() && HandleAllocated()) NotifyWinEvent(0x800C, Handle(), OBJID_CLIENT, CHILDID_SELF);
}

Integer TBaseLazyTree_qn::GetMaxColumnWidth(TColumnIndex Column, bool UseSmartColumnWidth) {
  TLazyTreeColumns* columns = FHeader->Columns();
  if (OperationCanceled()) return columns->IsValidColumn(Column) ? columns->Items(Column)->Width() : 0;
  StartOperation(okGetMaxColumnWidth);
  Integer result = 0;
  try {
    if (Assigned(OnBeforeGetMaxColumnWidth)) OnBeforeGetMaxColumnWidth(FHeader.get(), Column, UseSmartColumnWidth);
    Integer stateOffset = FStateImages ? FStateImages->Width() + 2 : 0;
    Integer checkOffset = FCheckImages ? FCheckImages->Width() + 2 : 0;
    TVTPaintOptions paint = FOptions->PaintOptions();
    PLazyNode node = GetFirstVisible(nullptr, true);
    PLazyNode stop = nullptr;
    if (UseSmartColumnWidth) {
      Integer top = 0;
      node = GetNodeAt(0, 0, true, top);
      Integer bottomTop = 0;
      PLazyNode bottom = GetNodeAt(0, ClientHeight() - 1, true, bottomTop);
      stop = bottom ? GetNextVisible(bottom, true) : nullptr;
    }
    bool main = Column == FHeader->MainColumn() || !columns->IsValidColumn(Column);
    Integer textLeft = 0;
    bool withCheck = false;
    if (main && node) {
      Integer level = Integer(GetNodeLevel(node));
      if (paint.Contains(toFixedIndent)) textLeft = Integer(FIndent);
      else if (paint.Contains(toShowRoot)) textLeft = (level + 1) * Integer(FIndent);
      else textLeft = level * Integer(FIndent);
      withCheck = FOptions->MiscOptions().Contains(toCheckSupport) && FCheckImages;
    }
    textLeft += FMargin;
    // Once one node had a normal image, every later one is measured with
    // the image's room.
    bool imageSeen = false;
    PLazyNode previous = node;
    while (node && node != stop && !OperationCanceled()) {
      if (main && !paint.Contains(toFixedIndent) && previous != node)
        textLeft += (Integer(GetNodeLevel(node)) - Integer(GetNodeLevel(previous))) * Integer(FIndent);
      Integer left = textLeft;
      if (withCheck && node->CheckType != ctNone) left += checkOffset;
      if (FImages && (imageSeen || HasImage(node, ikNormal, Column))) {
        imageSeen = true;
        left += FImages->Width() + 2;
      }
      if (FStateImages && HasImage(node, ikState, Column)) left += stateOffset;
      Integer width = DoGetNodeWidth(node, Column) + DoGetNodeExtraWidth(node, Column) +
                      DoGetCellContentMargin(node, Column, ccmtAllSides).X;
      result = std::max(result, left + width);
      previous = node;
      node = GetNextVisible(node, true);
    }
    if (paint.Contains(toShowVertGridLines)) ++result;
    if (Assigned(OnAfterGetMaxColumnWidth)) OnAfterGetMaxColumnWidth(FHeader.get(), Column, result);
  } catch (...) {
    EndOperation(okGetMaxColumnWidth);
    throw;
  }
  EndOperation(okGetMaxColumnWidth);
  return result;
}

void TBaseLazyTree_qn::DoColumnResize(TColumnIndex Column) {
  if (ComponentState().Contains(csLoading) || !HandleAllocated()) return;
  for (PLazyNode n = GetFirstInitialized(); n; n = GetNextInitialized(n))
    if (n->States.Contains(vsMultiline)) n->States.Exclude(vsHeightMeasured);
  UpdateHorizontalScrollBar(true);
  TLazyTreeColumns* columns = FHeader->Columns();
  if (columns->IsValidColumn(Column)) {
    Invalidate();
    FHeader->Invalidate(columns->Items(Column), true);
  }
  if (!FHeader->States().Contains(hsColumnWidthTracking) && !FHeader->States().Contains(hsResizing))
    UpdateWindow(Handle());
  if (!ComponentState().Contains(csUpdating)) UpdateDesigner();
  if (!FHeader->States().Contains(hsResizing) && Assigned(OnColumnResize)) OnColumnResize(FHeader.get(), Column);
  if (FStates.Contains(tsEditing)) UpdateEditBounds();
}

void TBaseLazyTree_qn::DoColumnClick(TColumnIndex Column, TShiftState Shift) {
  if (Assigned(OnColumnClick)) OnColumnClick(this, Column, Shift);
}

void TBaseLazyTree_qn::DoColumnDblClick(TColumnIndex Column, TShiftState Shift) {
  if (Assigned(OnColumnDblClick)) OnColumnDblClick(this, Column, Shift);
}

bool TBaseLazyTree_qn::ColumnIsEmpty(PLazyNode Node, TColumnIndex Column) {
  bool empty = true;
  if (Assigned(OnGetCellIsEmpty)) OnGetCellIsEmpty(this, Node, Column, empty);
  return empty;
}

void TBaseLazyTree_qn::DoHeaderClick(const TVTHeaderHitInfo& HitInfo) {
  if (Assigned(OnHeaderClick)) OnHeaderClick(FHeader.get(), HitInfo);
}

void TBaseLazyTree_qn::DoHeaderDblClick(const TVTHeaderHitInfo& HitInfo) {
  if (Assigned(OnHeaderDblClick)) OnHeaderDblClick(FHeader.get(), HitInfo);
}

void TBaseLazyTree_qn::DoHeaderMouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  if (Assigned(OnHeaderMouseDown)) OnHeaderMouseDown(FHeader.get(), Button, Shift, X, Y);
}

void TBaseLazyTree_qn::DoHeaderMouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  if (Assigned(OnHeaderMouseUp)) OnHeaderMouseUp(FHeader.get(), Button, Shift, X, Y);
}

void TBaseLazyTree_qn::DoHeaderMouseMove(TShiftState Shift, Integer X, Integer Y) {
  if (Assigned(OnHeaderMouseMove)) OnHeaderMouseMove(FHeader.get(), Shift, X, Y);
}

bool TBaseLazyTree_qn::DoHeaderDragging(TColumnIndex Column) {
  bool allowed = true;
  if (Assigned(OnHeaderDragging)) OnHeaderDragging(FHeader.get(), Column, allowed);
  return allowed;
}

void TBaseLazyTree_qn::DoHeaderDragged(TColumnIndex Column, Integer OldPosition) {
  if (Assigned(OnHeaderDragged)) OnHeaderDragged(FHeader.get(), Column, OldPosition);
}

void TBaseLazyTree_qn::DoHeaderDraggedOut(TColumnIndex Column, TPoint DropPosition) {
  if (Assigned(OnHeaderDraggedOut)) OnHeaderDraggedOut(FHeader.get(), Column, DropPosition);
}

void TBaseLazyTree_qn::DoGetHeaderCursor(HCURSOR& Cursor) {
  if (Assigned(OnGetHeaderCursor)) OnGetHeaderCursor(FHeader.get(), Cursor);
}

}  // namespace qn

namespace qn {

// ---------------------------------------------------------------------------
// The header in the non-client area

bool TBaseLazyTree_qn::HeaderAreaDispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_NCCALCSIZE: WMNCCalcSize(Message); return true;
    case WM_NCHITTEST: WMNCHitTest(Message); return true;
    case WM_PRINT: WMPrint(Message); return true;
    default: return false;
  }
}

void TBaseLazyTree_qn::WMNCCalcSize(TMessage& Message) {
  inherited::Dispatch(Message);
  if (!FHeader->Options().Contains(hoVisible)) return;
  RECT* r = Message.WParam ? &reinterpret_cast<NCCALCSIZE_PARAMS*>(Message.LParam)->rgrc[0]
                           : reinterpret_cast<RECT*>(Message.LParam);
  if (!r) return;
  // The band above the client area; a window lower than the header keeps
  // an empty client area rather than an inverted one.
  r->Top = std::min(r->Top + FHeader->Height(), r->Bottom);
}

void TBaseLazyTree_qn::WMNCHitTest(TMessage& Message) {
  inherited::Dispatch(Message);
  if (!FHeader->Options().Contains(hoVisible) || ComponentState().Contains(csDesigning)) return;
  POINT p{GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam)};
  ::vcl::ScreenToClient(Handle(), &p);
  // The header counts as border: no caption dragging or sizing from it.
  if (FHeader->InHeader(TPoint(p.X, p.Y))) Message.Result = HTBORDER;
}

void TBaseLazyTree_qn::WMPrint(TMessage& Message) {
  // The default printing fills the non-client band the header lives in, so
  // the header goes on top of it afterwards.
  inherited::Dispatch(Message);
  bool hidden = (Message.LParam & PRF_CHECKVISIBLE) && !IsWindowVisible(Handle());
  // The default printing draws the classic sunken edge; a themed window
  // shows the theme's edge there, and the print must look like the window.
  if (!hidden && (Message.LParam & PRF_NONCLIENT) && FStates.Contains(tsUseThemes))
    TreeThemes::PaintBorderOn(this, reinterpret_cast<HDC>(Message.WParam));
  if (!hidden && FHeader->Options().Contains(hoVisible))
    FHeader->Columns()->PaintHeader(reinterpret_cast<HDC>(Message.WParam), FHeaderRect, -FEffectiveOffsetX);
}

void TBaseLazyTree_qn::InitializeFirstColumnValues(TVTPaintInfo& PaintInfo) {
  TLazyTreeColumns* columns = FHeader->Columns();
  PaintInfo.Column = columns->GetFirstVisibleColumn();
  if (columns->IsValidColumn(PaintInfo.Column)) {
    TLazyTreeColumn* c = columns->Items(PaintInfo.Column);
    PaintInfo.CellRect.Right = PaintInfo.CellRect.Left + c->Width();
    PaintInfo.Position = c->Position();
  } else {
    PaintInfo.Position = 0;
  }
}

// A header that takes its font from the tree follows every change of it.
void TBaseLazyTree_qn::SyncHeaderFont() {
  if (FHeader && FHeader->ParentFont()) FHeader->Font()->Assign(Font());
}

}  // namespace qn
