// Mouse handling: what lies under a point (hit testing), the button
// messages and the three routines they end in, node height tracking with the
// mouse, hot tracking, the cursor, the start of drags, and the rubber band's
// selection.
#include <algorithm>
#include <cmath>

#include "platform/vcl/ControlMessages.h"
#include "platform/vcl/Forms.h"
#include "treeview/LazyTrees_qn.h"
#include "treeview/LazyTrees_qn_Internal.h"

namespace qn {

using lazytrees_internal::ChangeBiDiModeAlignment;

namespace {

inline TCheckState PressedForm(TCheckState State) { return TCheckState(Byte(State) | 1); }
inline TCheckState NormalForm(TCheckState State) { return TCheckState(Byte(State) & ~1); }

TRect Ordered(const TRect& R) {
  return TRect(std::min(R.Left, R.Right), std::min(R.Top, R.Bottom), std::max(R.Left, R.Right),
               std::max(R.Top, R.Bottom));
}

TShiftState ModifiersOf(Integer Keys) {
  TShiftState result;
  if (Keys & MK_SHIFT) result.Include(ssShift);
  if (Keys & MK_CONTROL) result.Include(ssCtrl);
  // Alt has no MK_ flag; the keyboard state knows it.
  if (GetKeyState(VK_MENU) < 0) result.Include(ssAlt);
  return result;
}

}  // namespace

// ---------------------------------------------------------------------------
// Hit testing

void TBaseLazyTree_qn::GetHitTestInfoAt(Integer X, Integer Y, bool Relative, THitInfo& HitInfo) {
  HitInfo = THitInfo();
  Integer clientWidth = ClientWidth(), clientHeight = ClientHeight();
  if (X < 0) HitInfo.HitPositions.Include(hiToLeft);
  else if (X > std::max(RangeX(), clientWidth)) HitInfo.HitPositions.Include(hiToRight);
  if (Y < 0) HitInfo.HitPositions.Include(hiAbove);
  else if (Y > std::max(RangeY(), clientHeight)) HitInfo.HitPositions.Include(hiBelow);
  if (!HitInfo.HitPositions.Empty()) return;

  TLazyTreeColumns* columns = FHeader->Columns();
  if (Relative) {
    // Fixed columns stay in client coordinates, everything else scrolls.
    if (X >= columns->GetVisibleFixedWidth()) X += FEffectiveOffsetX;
    Y -= FOffsetY;
  }
  Integer nodeTop = 0;
  HitInfo.HitNode = GetNodeAt(X, Y, false, nodeTop);
  if (!HitInfo.HitNode) {
    HitInfo.HitPositions.Include(hiNowhere);
    return;
  }
  PLazyNode node = HitInfo.HitNode;
  if (!node->States.Contains(vsInitialized)) InitNode(node);

  Integer left = 0, right = std::max(RangeX(), clientWidth);
  if (FHeader->UseColumns()) {
    HitInfo.HitColumn = columns->GetColumnAndBounds(TPoint(X, Y), left, right, false);
    if (HitInfo.HitColumn > NoColumn && FOptions->AutoOptions().Contains(toAutoSpanColumns)) {
      // An empty cell belongs to the text of the nearest filled one on its
      // left; empty cells after the hit one widen it.
      TColumnIndex hit = HitInfo.HitColumn;
      while (ColumnIsEmpty(node, HitInfo.HitColumn)) {
        TColumnIndex previous = columns->GetPreviousVisibleColumn(HitInfo.HitColumn);
        if (previous <= NoColumn) break;
        HitInfo.HitColumn = previous;
        left -= columns->Items(previous)->Width();
      }
      for (TColumnIndex c = columns->GetNextVisibleColumn(hit); c > NoColumn && ColumnIsEmpty(node, c);
           c = columns->GetNextVisibleColumn(c))
        right += columns->Items(c)->Width();
    }
  }
  X -= left;
  right -= left;
  if (HitInfo.HitColumn == InvalidColumn) {
    HitInfo.HitPositions.Include(hiNowhere);
    return;
  }
  HitInfo.HitPositions = THitPositions{hiOnItem};
  if (FOptions->MiscOptions().Contains(toNodeHeightResize)) {
    Integer bottom = nodeTop + Integer(node->NodeHeight);
    if (Y <= nodeTop + 1) HitInfo.HitPositions.Include(hiUpperSplitter);
    else if (Y >= bottom - 3) HitInfo.HitPositions.Include(hiLowerSplitter);
  }
  TBiDiMode bidi = BiDiMode();
  TAlignment alignment = FAlignment;
  if (columns->IsValidColumn(HitInfo.HitColumn)) {
    bidi = columns->Items(HitInfo.HitColumn)->BiDiMode();
    alignment = columns->Items(HitInfo.HitColumn)->Alignment();
  }
  if (bidi == bdLeftToRight) DetermineHitPositionLTR(HitInfo, X, right, alignment);
  else DetermineHitPositionRTL(HitInfo, X, right, alignment);
}

// Both directions lay a cell out the same way from their start edge: the
// indentation with the button, the check box, the state and the normal image,
// then the text. Offset is counted from the start edge; true when the point
// lies before the text (or report mode settles it), else TextStart is where
// the text's room begins.
bool TBaseLazyTree_qn::HitBeforeText(THitInfo& HitInfo, Integer Offset, Integer& TextStart) {
  PLazyNode node = HitInfo.HitNode;
  TColumnIndex column = HitInfo.HitColumn;
  bool MainColumnHit = column == HeaderMainColumn();
  const TVTPaintOptions& paint = FOptions->PaintOptions();
  Integer indent = 0;
  if (MainColumnHit) {
    if (paint.Contains(toFixedIndent)) {
      indent = Integer(FIndent);
    } else {
      indent = Integer(FIndent) * Integer(GetNodeLevel(node));
      if (paint.Contains(toShowRoot)) indent += Integer(FIndent);
    }
  }
  if (MainColumnHit && Offset < FMargin + indent) {
    if (paint.Contains(toShowButtons) && node->States.Contains(vsHasChildren)) {
      // The whole last indentation level counts as the button; "exact" is
      // where the button is painted.
      if (Offset >= indent - Integer(FIndent)) HitInfo.HitPositions.Include(hiOnItemButton);
      if (FPlusBM->Empty()) PrepareBitmaps(true, false);
      Integer width = FPlusBM->Width();
      Integer buttonLeft = indent - Integer(FIndent) + Integer(std::nearbyint((Integer(FIndent) - width) / 2.0)) + 1;
      if (Offset >= buttonLeft && Offset < buttonLeft + width) HitInfo.HitPositions.Include(hiOnItemButtonExact);
    }
    if (!HitInfo.HitPositions.Contains(hiOnItemButton)) HitInfo.HitPositions.Include(hiOnItemIndent);
    return true;
  }
  // Report mode leaves the cells of other columns as plain items.
  if (!MainColumnHit && FOptions->MiscOptions().Contains(toReportMode)) return true;
  Integer pos = FMargin + indent;
  if (MainColumnHit && FOptions->MiscOptions().Contains(toCheckSupport) && FCheckImages &&
      node->CheckType != ctNone) {
    pos += FCheckImages->Width() + 2;
    if (Offset < pos) {
      HitInfo.HitPositions = THitPositions{hiOnItem, hiOnItemCheckbox};
      return true;
    }
  }
  if (FStateImages && HasImage(node, ikState, column)) {
    pos += FStateImages->Width() + 2;
    if (Offset < pos) {
      HitInfo.HitPositions.Include(hiOnStateIcon);
      return true;
    }
  }
  if (FImages && HasImage(node, ikNormal, column)) {
    pos += GetNodeImageSize(node).cx + 2;
    if (Offset < pos) {
      HitInfo.HitPositions.Include(hiOnNormalIcon);
      return true;
    }
  }
  TextStart = pos;
  return false;
}

// The text's place in its room [RoomLeft, RoomRight) of the cell, in screen
// terms: a text wider than its room is all label.
static THitPosition LabelHit(Integer Offset, Integer RoomLeft, Integer RoomRight, Integer TextWidth,
                             TAlignment Alignment) {
  if (RoomRight - RoomLeft < TextWidth) return hiOnItemLabel;
  switch (Alignment) {
    case taRightJustify: return Offset < RoomRight - TextWidth ? hiOnItemLeft : hiOnItemLabel;
    case taCenter: {
      Integer l = (RoomLeft + RoomRight - TextWidth) / 2;
      return Offset < l ? hiOnItemLeft : Offset < l + TextWidth ? hiOnItemLabel : hiOnItemRight;
    }
    default: return Offset < RoomLeft + TextWidth ? hiOnItemLabel : hiOnItemRight;
  }
}

void TBaseLazyTree_qn::DetermineHitPositionLTR(THitInfo& HitInfo, Integer Offset, Integer Right,
                                               TAlignment Alignment) {
  Integer pos = 0;
  if (HitBeforeText(HitInfo, Offset, pos)) return;
  HitInfo.HitPositions.Include(
      LabelHit(Offset, pos, Right, DoGetNodeWidth(HitInfo.HitNode, HitInfo.HitColumn), Alignment));
}

void TBaseLazyTree_qn::DetermineHitPositionRTL(THitInfo& HitInfo, Integer Offset, Integer Right,
                                               TAlignment Alignment) {
  // Laid out from the right edge: the decorations are found at the mirrored
  // offset, the text by the mirrored alignment left of them.
  Integer pos = 0;
  if (HitBeforeText(HitInfo, Right - 1 - Offset, pos)) return;
  HitInfo.HitPositions.Include(LabelHit(Offset, 0, Right - pos, DoGetNodeWidth(HitInfo.HitNode, HitInfo.HitColumn),
                                        ChangeBiDiModeAlignment(Alignment)));
}

// ---------------------------------------------------------------------------
// Button messages

THitInfo TBaseLazyTree_qn::MessageHitInfo(TMessage& Message) {
  THitInfo hit;
  TWMMouse m(Message);
  GetHitTestInfoAt(m.XPos(), m.YPos(), true, hit);
  return hit;
}

bool TBaseLazyTree_qn::MouseDispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_LBUTTONDOWN: WMLButtonDown(Message); return true;
    case WM_LBUTTONUP: WMLButtonUp(Message); return true;
    case WM_LBUTTONDBLCLK: WMLButtonDblClk(Message); return true;
    case WM_RBUTTONDOWN: WMRButtonDown(Message); return true;
    case WM_RBUTTONUP: WMRButtonUp(Message); return true;
    case WM_RBUTTONDBLCLK: WMRButtonDblClk(Message); return true;
    case WM_MBUTTONDOWN: WMMButtonDown(Message); return true;
    case WM_MBUTTONUP: WMMButtonUp(Message); return true;
    case WM_MBUTTONDBLCLK: WMMButtonDblClk(Message); return true;
    case WM_SETCURSOR: WMSetCursor(Message); return true;
    case CM_MOUSEENTER: CMMouseEnter(Message); return true;
    case CM_MOUSELEAVE: CMMouseLeave(Message); return true;
    default: return false;
  }
}

void TBaseLazyTree_qn::WndProc(TMessage& Message) {
  // A header gesture sees its messages first; the header answers each
  // message once.
  bool headerAsked = FHeader && !FHeader->States().Empty();
  if (headerAsked && FHeader->HandleMessage(Message)) return;
  if (!ComponentState().Contains(csDesigning) &&
      (Message.Msg == WM_LBUTTONDOWN || Message.Msg == WM_LBUTTONDBLCLK) && DragMode() == dmAutomatic &&
      DragKind() == dkDrag) {
    TControlState state = ControlState();
    state.Include(csLButtonDown);
    SetControlState(state);
    Dispatch(Message);
    return;
  }
  if (FHeader && !headerAsked && FHeader->HandleMessage(Message)) return;
  FocusOnNonClientPress(Message);
  inherited::WndProc(Message);
}

void TBaseLazyTree_qn::WMLButtonDown(TMessage& Message) {
  DoStateChange({tsLeftButtonDown});
  inherited::Dispatch(Message);
  HandleMouseDown(Message, MessageHitInfo(Message));
}

void TBaseLazyTree_qn::WMLButtonUp(TMessage& Message) {
  DoStateChange({}, {tsLeftButtonDown, tsNodeHeightTracking, tsNodeHeightTrackPending});
  HandleMouseUp(Message, MessageHitInfo(Message));
  inherited::Dispatch(Message);
}

void TBaseLazyTree_qn::WMLButtonDblClk(TMessage& Message) {
  DoStateChange({tsLeftDblClick});
  inherited::Dispatch(Message);
  HandleMouseDblClick(Message, MessageHitInfo(Message));
  DoStateChange({}, {tsLeftDblClick});
}

void TBaseLazyTree_qn::WMRButtonDown(TMessage& Message) {
  DoStateChange({tsRightButtonDown});
  if (!FHeader->States().Empty()) return;
  inherited::Dispatch(Message);
  if (FOptions->SelectionOptions().Contains(toRightClickSelect)) HandleMouseDown(Message, MessageHitInfo(Message));
}

void TBaseLazyTree_qn::WMRButtonUp(TMessage& Message) {
  DoStateChange({}, {tsRightButtonDown, tsPopupMenuShown});
  if (!FHeader->States().Empty()) return;
  if (Application) Application->CancelHint();
  if (IsMouseSelecting() && PopupMenu()) {
    // The menu takes over: the band ends here.
    DoStateChange({}, {tsDrawSelPending, tsDrawSelecting});
    Invalidate();
  }
  inherited::Dispatch(Message);
  THitInfo hit = MessageHitInfo(Message);
  if (FOptions->SelectionOptions().Contains(toRightClickSelect)) HandleMouseUp(Message, hit);
  if (!PopupMenu()) DoPopupMenu(hit.HitNode, hit.HitColumn, TWMMouse(Message).Pos());
}

void TBaseLazyTree_qn::WMRButtonDblClk(TMessage& Message) {
  DoStateChange({tsRightDblClick});
  inherited::Dispatch(Message);
  if (FOptions->SelectionOptions().Contains(toRightClickSelect))
    HandleMouseDblClick(Message, MessageHitInfo(Message));
  DoStateChange({}, {tsRightDblClick});
}

void TBaseLazyTree_qn::WMMButtonDown(TMessage& Message) {
  DoStateChange({tsMiddleButtonDown});
  if (!FHeader->States().Empty()) return;
  inherited::Dispatch(Message);
  bool panning = FStates.Contains(tsWheelPanning) || FStates.Contains(tsWheelScrolling);
  if (FOptions->MiscOptions().Contains(toWheelPanning) && !panning &&
      (ClientWidth() < RangeX() || ClientHeight() < RangeY())) {
    FLastClickPos = TWMMouse(Message).Pos();
    StartWheelPanning(FLastClickPos);
  } else {
    StopWheelPanning();
    if (FOptions->SelectionOptions().Contains(toMiddleClickSelect)) HandleMouseDown(Message, MessageHitInfo(Message));
  }
}

void TBaseLazyTree_qn::WMMButtonUp(TMessage& Message) {
  DoStateChange({}, {tsMiddleButtonDown});
  if (FStates.Contains(tsWheelPanning) || FStates.Contains(tsWheelScrolling)) {
    // Released without moving: the view keeps following the mouse until the
    // next click. Released after panning with the button held: done.
    if (FStates.Contains(tsWheelScrolling)) DoStateChange({}, {tsWheelPanning});
    else StopWheelPanning();
  } else if (FHeader->States().Empty()) {
    inherited::Dispatch(Message);
    if (FOptions->SelectionOptions().Contains(toMiddleClickSelect)) HandleMouseUp(Message, MessageHitInfo(Message));
  }
}

void TBaseLazyTree_qn::WMMButtonDblClk(TMessage& Message) {
  DoStateChange({tsMiddleDblClick});
  inherited::Dispatch(Message);
  if (FOptions->SelectionOptions().Contains(toMiddleClickSelect))
    HandleMouseDblClick(Message, MessageHitInfo(Message));
  DoStateChange({}, {tsMiddleDblClick});
}

// ---------------------------------------------------------------------------
// The three routines the buttons end in

bool TBaseLazyTree_qn::PressCheckBox(const THitInfo& HitInfo) {
  PLazyNode node = HitInfo.HitNode;
  if (!node || FStates.Contains(tsMouseCheckPending) || FStates.Contains(tsKeyCheckPending) ||
      node->States.Contains(vsDisabled))
    return false;
  TCheckState next = DetermineNextCheckState(node->CheckType, node->CheckState);
  // A double click presses the box again, so two quick clicks toggle twice.
  bool left = FStates.Contains(tsLeftButtonDown) || FStates.Contains(tsLeftDblClick);
  if (!left || !DoChecking(node, next)) return false;
  DoStateChange({tsMouseCheckPending});
  FCheckNode = node;
  FPendingCheckState = next;
  node->CheckState = PressedForm(node->CheckState);
  InvalidateNode(node);
  return true;
}

void TBaseLazyTree_qn::HandleMouseDown(TMessage& Message, const THitInfo& HitInfo) {
  if (FStates.Contains(tsWheelPanning) || FStates.Contains(tsWheelScrolling)) {
    StopWheelPanning();
    return;
  }
  if (FStates.Contains(tsEditPending)) {
    StopTimer(EditTimer);
    DoStateChange({}, {tsEditPending});
  }
  if (FStates.Contains(tsEditing)) EndEditNode();
  TWMMouse m(Message);
  THitInfo hit = HitInfo;
  if (!Focused() && CanFocus()) {
    // Focus handlers may change the tree: look again.
    ::vcl::SetFocus(Handle());
    GetHitTestInfoAt(m.XPos(), m.YPos(), true, hit);
  }
  TLazyTreeColumns* columns = FHeader->Columns();
  columns->FClickIndex = hit.HitColumn;
  const TVTSelectionOptions selection = FOptions->SelectionOptions();
  const TVTMiscOptions misc = FOptions->MiscOptions();
  const THitPositions& at = hit.HitPositions;

  bool newColumn = false;
  TColumnIndex column = FFocusedColumn;
  if (at.Contains(hiOnItemLabel) || selection.Contains(toFullRowSelect) || misc.Contains(toGridExtensions)) {
    newColumn = hit.HitColumn != FFocusedColumn;
    column = selection.Contains(toExtendedFocus) ? hit.HitColumn : HeaderMainColumn();
  }
  // A column the header does not let take the focus, or the one that has
  // it already, is no change of column.
  if (newColumn && (!FHeader->AllowFocus(column) || column == FFocusedColumn)) {
    newColumn = false;
    column = FFocusedColumn;
  }
  bool newNode = FFocusedNode != hit.HitNode;
  TShiftState shift = ModifiersOf(m.Keys());
  bool altPressed = shift.Contains(ssAlt);
  shift.Exclude(ssAlt);
  bool isLabelHit = !altPressed && !selection.Contains(toSimpleDrawSelection) &&
                    (at.Contains(hiOnItemLabel) || at.Contains(hiOnNormalIcon));
  bool isCellHit = !altPressed && !isLabelHit && hit.HitNode && !at.Contains(hiOnItemButton) &&
                   !at.Contains(hiOnItemCheckbox) &&
                   (selection.Contains(toFullRowSelect) || (misc.Contains(toGridExtensions) && hit.HitColumn > NoColumn));
  bool isAnyHit = isLabelHit || isCellHit;
  bool multiSelect = selection.Contains(toMultiSelect);
  bool shiftEmpty = shift.Empty();
  bool nodeSelected = isAnyHit && GetSelected(hit.HitNode);
  bool fullRowDrag = misc.Contains(toFullRowDrag);
  if (fullRowDrag && multiSelect)
    fullRowDrag = isCellHit && !at.Contains(hiNowhere) &&
                  (nodeSelected || at.Contains(hiOnItemLabel) || at.Contains(hiOnNormalIcon));
  bool isHeightTracking = Message.Msg == WM_LBUTTONDOWN && at.Contains(hiOnItem) &&
                          (at.Contains(hiUpperSplitter) || at.Contains(hiLowerSplitter));
  bool dragRunning =
      FStates.Contains(tsOLEDragging) || FStates.Contains(tsOLEDragPending) || TControl::Dragging();
  bool autoDrag = (DragMode() == dmAutomatic || dragRunning) && (!isCellHit || fullRowDrag);
  if (hit.HitNode && !autoDrag && DragMode() != dmAutomatic)
    autoDrag = DoBeforeDrag(hit.HitNode, column) && (fullRowDrag || isLabelHit);

  if (isHeightTracking) {
    PLazyNode track = at.Contains(hiUpperSplitter) ? GetPreviousVisible(hit.HitNode, true) : hit.HitNode;
    if (CanSplitterResizeNode(m.Pos(), track, hit.HitColumn)) {
      FHeightTrackNode = track;
      FHeightTrackColumn = hit.HitColumn;
      FHeightTrackPoint = GetDisplayRect(track, FHeightTrackColumn, false).TopLeft();
      DoStateChange({tsNodeHeightTrackPending});
      return;
    }
  }
  if (at.Contains(hiOnItemButton) && hit.HitNode && hit.HitNode->States.Contains(vsHasChildren)) {
    ToggleNode(hit.HitNode);
    return;
  }
  if (at.Contains(hiOnItemCheckbox)) {
    PressCheckBox(hit);
    return;
  }
  if ((FRoot->ChildCount > 0 && shiftEmpty) || FSelectionCount == 0) {
    PLazyNode level = hit.HitNode ? hit.HitNode : GetLastVisibleNoInit(nullptr, true);
    FLastSelectionLevel = level ? Integer(GetNodeLevel(level)) : -1;
  }
  if (multiSelect && shiftEmpty && !at.Contains(hiOnItemCheckbox) && isAnyHit && autoDrag && nodeSelected &&
      !FSelectionLocked)
    DoStateChange({tsClearPending});
  bool canClear = !autoDrag && (!FStates.Contains(tsRightButtonDown) ||
                                !HasPopupMenu(hit.HitNode, hit.HitColumn, m.Pos()));
  if (!selection.Contains(toDisableDrawSelection) && !isLabelHit && !fullRowDrag && multiSelect) {
    SetCapture(Handle());
    DoStateChange({tsDrawSelPending});
    FDrawSelShiftState = shift;
    FNewSelRect = TRect(m.XPos() + FEffectiveOffsetX, m.YPos() - FOffsetY, m.XPos() + FEffectiveOffsetX,
                        m.YPos() - FOffsetY);
    FLastSelRect = TRect();
  }
  if (!FSelectionLocked && !FStates.Contains(tsClearPending) &&
      ((!isAnyHit && !fullRowDrag && multiSelect && shiftEmpty) ||
       (isAnyHit && (!nodeSelected || canClear) && (shiftEmpty || !multiSelect)))) {
    if (nodeSelected || (altPressed && hit.HitNode && hit.HitColumn == HeaderMainColumn() &&
                         !at.Contains(hiNowhere))) {
      // The node stays selected alone, without a round of events for it.
      Integer before = FSelectionCount;
      InternalClearSelection();
      InternalAddToSelection(hit.HitNode, true);
      if (before > 1) {
        Invalidate();
        Change(nullptr);
      }
    } else {
      ClearSelection();
    }
  }
  if (Focused() && (at.Contains(hiOnItemLabel) || (misc.Contains(toGridExtensions) && at.Contains(hiOnItem))) &&
      nodeSelected && !newColumn && shiftEmpty)
    DoStateChange({tsEditPending});

  if (!(selection.Contains(toDisableDrawSelection) || isLabelHit || fullRowDrag || !multiSelect ||
        (isCellHit && !at.Contains(hiNowhere))))
    return;
  FLastClickPos = m.Pos();
  if (isAnyHit && DoFocusChanging(FFocusedNode, hit.HitNode, FFocusedColumn, column)) {
    if (newColumn) {
      InvalidateColumn(FFocusedColumn);
      InvalidateColumn(column);
      FFocusedColumn = column;
    }
    if (DragKind() == dkDock) {
      StopTimer(ScrollTimer);
      DoStateChange({}, {tsScrollPending, tsScrolling});
    }
    PLazyNode lastFocused = FFocusedNode;
    if (newNode) DoFocusNode(hit.HitNode, false);
    if (multiSelect && !shiftEmpty) {
      HandleClickSelection(lastFocused, hit.HitNode, shift, autoDrag);
    } else {
      if (shiftEmpty) FRangeAnchor = hit.HitNode;
      if (!GetSelected(hit.HitNode)) AddToSelection(hit.HitNode);
    }
    if (newNode || newColumn) {
      const TVTAutoOptions autoOptions = FOptions->AutoOptions();
      if (FFocusedNode)
        ScrollIntoView(FFocusedNode, selection.Contains(toCenterScrollIntoView),
                       !autoOptions.Contains(toDisableAutoscrollOnFocus) && !selection.Contains(toFullRowSelect));
      DoFocusChange(FFocusedNode, FFocusedColumn);
    }
  }
  if (autoDrag && isAnyHit &&
      (FStates.Contains(tsLeftButtonDown) || FStates.Contains(tsRightButtonDown) ||
       FStates.Contains(tsMiddleButtonDown)))
    BeginDrag(false);
}

void TBaseLazyTree_qn::HandleMouseUp(TMessage& Message, const THitInfo& HitInfo) {
  ReleaseCapture();
  if (FStates.Contains(tsVCLDragPending)) return;
  if (IsMouseSelecting()) {
    DoStateChange({}, {tsDrawSelPending, tsDrawSelecting, tsToggleFocusedSelection});
    Invalidate();
  }
  if (FStates.Contains(tsClearPending)) {
    bool wasSelected = GetSelected(FFocusedNode);
    ClearSelection();
    if (wasSelected) AddToSelection(FFocusedNode);
  }
  if (FStates.Contains(tsToggleFocusedSelection) && HitInfo.HitNode && HitInfo.HitNode == FFocusedNode) {
    if (GetSelected(HitInfo.HitNode)) RemoveFromSelection(HitInfo.HitNode);
    else AddToSelection(HitInfo.HitNode);
    InvalidateNode(HitInfo.HitNode);
  }
  DoStateChange({}, {tsOLEDragPending, tsOLEDragging, tsClearPending, tsDrawSelPending, tsToggleFocusedSelection,
                     tsScrollPending, tsScrolling});
  StopTimer(ScrollTimer);
  if (FStates.Contains(tsMouseCheckPending)) {
    DoStateChange({}, {tsMouseCheckPending});
    if (PLazyNode node = FCheckNode) {
      // Released outside the item: a change of mind, the box comes back.
      if (HitInfo.HitNode == node && HitInfo.HitPositions.Contains(hiOnItem)) {
        node->CheckState = NormalForm(node->CheckState);
        DoCheckClick(node, FPendingCheckState);
      } else {
        node->CheckState = NormalForm(node->CheckState);
      }
      FCheckNode = nullptr;
      InvalidateNode(node);
    }
  }
  TShiftState shift = KeysToShiftState(Word(TWMMouse(Message).Keys()));
  TLazyTreeColumns* columns = FHeader->Columns();
  if (columns->FClickIndex > NoColumn && columns->FClickIndex == HitInfo.HitColumn)
    DoColumnClick(HitInfo.HitColumn, shift);
  if (HitInfo.HitNode) DoNodeClick(HitInfo);
  if (FStates.Contains(tsEditPending)) {
    if (HitInfo.HitNode && HitInfo.HitNode == FFocusedNode && HitInfo.HitPositions.Contains(hiOnItem) &&
        FOptions->MiscOptions().Contains(toEditOnClick) && CanEdit(FFocusedNode, HitInfo.HitColumn)) {
      FEditColumn = FFocusedColumn;
      SetTimer(Handle(), EditTimer, FEditDelay, nullptr);
    } else {
      DoStateChange({}, {tsEditPending});
    }
  }
}

void TBaseLazyTree_qn::HandleMouseDblClick(TMessage& Message, const THitInfo& HitInfo) {
  bool shouldEdit = !FStates.Contains(tsEditing) && FOptions->MiscOptions().Contains(toEditOnDblClick);
  if (FStates.Contains(tsEditPending)) {
    StopTimer(EditTimer);
    DoStateChange({}, {tsEditPending});
  }
  bool editEnded = true;
  if (FStates.Contains(tsEditing)) editEnded = EndEditNode();
  if (editEnded) {
    TShiftState shift = KeysToShiftState(Word(TWMMouse(Message).Keys()));
    const THitPositions& at = HitInfo.HitPositions;
    if (HitInfo.HitColumn == FHeader->Columns()->FClickIndex) DoColumnDblClick(HitInfo.HitColumn, shift);
    if (HitInfo.HitNode) DoNodeDblClick(HitInfo);
    bool resized = false;
    if (at.Contains(hiOnItem) && HitInfo.HitColumn > NoColumn &&
        FHeader->Columns()->IsValidColumn(HitInfo.HitColumn) &&
        FHeader->Columns()->Items(HitInfo.HitColumn)->Options().Contains(coFixed)) {
      PLazyNode node = nullptr;
      if (at.Contains(hiUpperSplitter)) node = GetPreviousVisible(HitInfo.HitNode, true);
      else if (at.Contains(hiLowerSplitter)) node = HitInfo.HitNode;
      if (node && node != FRoot && FOptions->MiscOptions().Contains(toNodeHeightDblClickResize) &&
          DoNodeHeightDblClickResize(node, HitInfo.HitColumn, shift, TWMMouse(Message).Pos())) {
        SetNodeHeight(node, FDefaultNodeHeight);
        UpdateWindow(Handle());
        shouldEdit = false;
        resized = true;
      }
    }
    if (!resized) {
      if (at.Contains(hiOnItemCheckbox)) {
        if (PressCheckBox(HitInfo)) shouldEdit = false;
      } else if (at.Contains(hiOnItemButton) && HitInfo.HitNode) {
        ToggleNode(HitInfo.HitNode);
        shouldEdit = false;
      } else if (FOptions->MiscOptions().Contains(toToggleOnDblClick) &&
                 (at.Contains(hiOnItemButton) || at.Contains(hiOnItemLabel) || at.Contains(hiOnNormalIcon) ||
                  at.Contains(hiOnStateIcon) || FOptions->SelectionOptions().Contains(toFullRowSelect)) &&
                 HitInfo.HitNode) {
        ToggleNode(HitInfo.HitNode);
        shouldEdit = false;
      }
    }
  }
  if (shouldEdit && FFocusedNode && HitInfo.HitNode == FFocusedNode && HitInfo.HitColumn == FFocusedColumn &&
      CanEdit(FFocusedNode, HitInfo.HitColumn)) {
    DoStateChange({tsEditPending});
    FEditColumn = FFocusedColumn;
    SetTimer(Handle(), EditTimer, FEditDelay, nullptr);
  }
}

// ---------------------------------------------------------------------------
// Moves: height tracking, drags, panning, hot tracking and the rubber band

void TBaseLazyTree_qn::MouseMove(TShiftState Shift, Integer X, Integer Y) {
  if (FStates.Contains(tsNodeHeightTrackPending)) {
    // The first move makes a press on a splitter a height drag; whatever
    // else was waiting for the mouse is off.
    if (Application) Application->CancelHint();
    StopWheelPanning();
    for (UINT_PTR id : {ExpandTimer, EditTimer, HeaderTimer, ScrollTimer, SearchTimer}) StopTimer(id);
    FSearchBuffer.clear();
    FLastSearchNode = nullptr;
    DoStateChange({tsNodeHeightTracking},
                  {tsScrollPending, tsScrolling, tsEditPending, tsOLEDragPending, tsVCLDragPending,
                   tsIncrementalSearching, tsNodeHeightTrackPending});
  }
  if (FStates.Contains(tsDrawSelPending)) {
    if (CalculateSelectionRect(X, Y)) {
      InvalidateSelectionBands(false);
      UpdateWindow(Handle());
    }
    TRect band = Ordered(FNewSelRect);
    if (band.Width() > Mouse->DragThreshold() || band.Height() > Mouse->DragThreshold()) {
      if (FStates.Contains(tsClearPending)) {
        DoStateChange({}, {tsClearPending});
        ClearSelection();
      }
      DoStateChange({tsDrawSelecting}, {tsDrawSelPending});
      FFocusedColumn = HeaderMainColumn();
      if (HandleDrawSelection(X, Y)) Invalidate();
    }
    return;
  }
  if (FStates.Contains(tsNodeHeightTracking) && FHeightTrackNode) {
    TPoint track = FHeightTrackPoint;
    if (DoNodeHeightTracking(FHeightTrackNode, FHeightTrackColumn, FHeader->GetShiftState(), track, TPoint(X, Y))) {
      FHeightTrackPoint = track;
      // A node is never less than one pixel high.
      if (Y <= FHeightTrackPoint.Y) Y = FHeightTrackPoint.Y + 1;
      SetNodeHeight(FHeightTrackNode, Cardinal(Y - FHeightTrackPoint.Y));
      UpdateWindow(Handle());
      return;
    }
  }
  if (FStates.Contains(tsWheelPanning) && FStates.Contains(tsWheelScrolling) &&
      (std::abs(X - FLastClickPos.X) >= Mouse->DragThreshold() ||
       std::abs(Y - FLastClickPos.Y) >= Mouse->DragThreshold()))
    DoStateChange({}, {tsWheelScrolling});  // the button is held: panning by dragging
  if (FStates.Contains(tsOLEDragPending) &&
      (std::abs(X - FLastClickPos.X) >= FDragThreshold || std::abs(Y - FLastClickPos.Y) >= FDragThreshold)) {
    DoDragging(FLastClickPos);
    return;
  }
  if (CanAutoScroll()) DoAutoScroll(X, Y);
  if (FStates.Contains(tsWheelPanning) || FStates.Contains(tsWheelScrolling)) AdjustPanningCursor(X, Y);
  if (!IsMouseSelecting()) {
    HandleHotTrack(X, Y);
    inherited::MouseMove(Shift, X, Y);
  } else if (!FStates.Contains(tsScrolling) && CalculateSelectionRect(X, Y)) {
    if (HandleDrawSelection(X, Y)) Invalidate();
    else InvalidateSelectionBands();
    UpdateWindow(Handle());
  }
}

void TBaseLazyTree_qn::InvalidateSelectionBands(bool WithLast) {
  if (!HandleAllocated()) return;
  TRect bands = Ordered(FNewSelRect);
  if (WithLast) UnionRect(bands, bands, Ordered(FLastSelRect));
  // The band's outline is drawn on its edge: take one pixel more.
  bands.Right += 1;
  bands.Bottom += 1;
  OffsetRect(bands, -FEffectiveOffsetX, FOffsetY);
  RECT r = bands;
  InvalidateRect(Handle(), &r, false);
}

void TBaseLazyTree_qn::HandleHotTrack(Integer X, Integer Y) {
  THitInfo hit;
  GetHitTestInfoAt(X, Y, true, hit);
  const THitPositions& at = hit.HitPositions;
  bool hot = at.Contains(hiOnItemLabel) || at.Contains(hiOnItemCheckbox) ||
             (FStates.Contains(tsUseExplorerTheme) && at.Contains(hiOnItemButtonExact)) ||
             (FOptions->SelectionOptions().Contains(toFullRowSelect) && !at.Contains(hiNowhere));
  PLazyNode node = hot ? hit.HitNode : nullptr;
  const TVTPaintOptions& paint = FOptions->PaintOptions();
  bool doInvalidate = false;
  if (node != FCurrentHotNode || hit.HitColumn != FCurrentHotColumn) {
    doInvalidate = paint.Contains(toHotTrack) || FOptions->MiscOptions().Contains(toCheckSupport);
    PLazyNode old = FCurrentHotNode;
    DoHotChange(old, node);
    if (old && doInvalidate) InvalidateNode(old);
    FCurrentHotNode = node;
    FCurrentHotColumn = hit.HitColumn;
  }
  bool buttonIsHit = at.Contains(hiOnItemButtonExact) && paint.Contains(toHotTrack);
  if (FCurrentHotNode) {
    if (buttonIsHit != FHotNodeButtonHit || doInvalidate) {
      FHotNodeButtonHit = buttonIsHit;
      InvalidateNode(FCurrentHotNode);
    }
  } else {
    FHotNodeButtonHit = false;
  }
}

void TBaseLazyTree_qn::DoHotChange(PLazyNode Old, PLazyNode New) {
  if (Assigned(OnHotChange)) OnHotChange(this, Old, New);
}

// ---------------------------------------------------------------------------
// Node heights, clicks, cursors, entering and leaving

bool TBaseLazyTree_qn::CanSplitterResizeNode(TPoint P, PLazyNode Node, TColumnIndex Column) {
  bool result = FOptions->MiscOptions().Contains(toNodeHeightResize) && Node && Node != FRoot && Column > NoColumn &&
                FHeader->Columns()->IsValidColumn(Column) &&
                FHeader->Columns()->Items(Column)->Options().Contains(coFixed);
  return DoCanSplitterResizeNode(P, Node, Column, result);
}

bool TBaseLazyTree_qn::DoCanSplitterResizeNode(TPoint P, PLazyNode Node, TColumnIndex Column, bool Allowed) {
  if (Assigned(OnCanSplitterResizeNode)) OnCanSplitterResizeNode(this, P, Node, Column, Allowed);
  return Allowed;
}

bool TBaseLazyTree_qn::DoNodeHeightTracking(PLazyNode Node, TColumnIndex Column, TShiftState Shift,
                                            TPoint& TrackPoint, TPoint P) {
  bool allowed = true;
  if (Assigned(OnNodeHeightTracking)) OnNodeHeightTracking(this, Node, Column, Shift, TrackPoint, P, allowed);
  return allowed;
}

bool TBaseLazyTree_qn::DoNodeHeightDblClickResize(PLazyNode Node, TColumnIndex Column, TShiftState Shift,
                                                  TPoint P) {
  bool allowed = true;
  if (Assigned(OnNodeHeightDblClickResize)) OnNodeHeightDblClickResize(this, Node, Column, Shift, P, allowed);
  return allowed;
}

void TBaseLazyTree_qn::DoNodeClick(const THitInfo& HitInfo) {
  if (Assigned(OnNodeClick)) OnNodeClick(this, HitInfo);
}

void TBaseLazyTree_qn::DoNodeDblClick(const THitInfo& HitInfo) {
  if (Assigned(OnNodeDblClick)) OnNodeDblClick(this, HitInfo);
}

void TBaseLazyTree_qn::DoGetCursor(TCursor& Cursor) {
  if (Assigned(OnGetCursor)) OnGetCursor(this, Cursor);
}

void TBaseLazyTree_qn::DoMouseEnter() { inherited::MouseEnter(); }

void TBaseLazyTree_qn::DoMouseLeave() { inherited::MouseLeave(); }

// The platform reports the tree's own entering and leaving here (not its
// children's).
void TBaseLazyTree_qn::MouseEnter() { DoMouseEnter(); }

void TBaseLazyTree_qn::MouseLeave() { DoMouseLeave(); }

void TBaseLazyTree_qn::WMSetCursor(TMessage& Message) {
  bool panning = FStates.Contains(tsWheelPanning) || FStates.Contains(tsWheelScrolling);
  if (reinterpret_cast<HWND>(Message.WParam) != Handle() || ComponentState().Contains(csDesigning) || panning ||
      Screen->Cursor() != crDefault) {
    inherited::Dispatch(Message);
    return;
  }
  if (FHeader->HandleMessage(Message)) return;
  TCursor cursor = crDefault;
  if (FOptions->MiscOptions().Contains(toNodeHeightResize)) {
    POINT p;
    GetCursorPos(&p);
    ::vcl::ScreenToClient(Handle(), &p);
    THitInfo hit;
    GetHitTestInfoAt(p.X, p.Y, true, hit);
    const THitPositions& at = hit.HitPositions;
    if (at.Contains(hiOnItem) && (at.Contains(hiUpperSplitter) || at.Contains(hiLowerSplitter))) {
      PLazyNode node = at.Contains(hiUpperSplitter) ? GetPreviousVisible(hit.HitNode, true) : hit.HitNode;
      if (CanSplitterResizeNode(TPoint(p.X, p.Y), node, hit.HitColumn)) cursor = crVertSplit;
    }
  }
  if (cursor == crDefault) {
    if (FOptions->PaintOptions().Contains(toHotTrack) && FCurrentHotNode && FHotCursor != crDefault)
      cursor = FHotCursor;
    else
      cursor = Cursor();
  }
  DoGetCursor(cursor);
  ::vcl::SetCursor(Screen->Cursors(Integer(cursor)));
  Message.Result = 1;
}

void TBaseLazyTree_qn::CMMouseEnter(TMessage& Message) { inherited::Dispatch(Message); }

void TBaseLazyTree_qn::CMMouseLeave(TMessage& Message) {
  if (Message.LParam == 0) {
    DoStateChange({}, {tsHint});
    FLastHintRect = TRect();
    if (!FStates.Contains(tsWheelPanning) && !FStates.Contains(tsWheelScrolling)) {
      StopTimer(ScrollTimer);
      DoStateChange({}, {tsScrollPending, tsScrolling});
    }
    if (FCurrentHotNode) {
      PLazyNode old = FCurrentHotNode;
      DoHotChange(old, nullptr);
      if (FOptions->PaintOptions().Contains(toHotTrack) || FOptions->MiscOptions().Contains(toCheckSupport))
        InvalidateNode(old);
      FCurrentHotNode = nullptr;
    }
    FHotNodeButtonHit = false;
    TLazyTreeColumns* columns = FHeader->Columns();
    columns->FDownIndex = NoColumn;
    columns->FHoverIndex = NoColumn;
    columns->FCheckBoxHit = false;
  }
  // Fires OnMouseLeave through MouseLeave.
  inherited::Dispatch(Message);
}

// ---------------------------------------------------------------------------
// Drag start

void TBaseLazyTree_qn::BeginDrag(bool Immediate, Integer Threshold) {
  if (FDragType == dtVCL) {
    DoStateChange({tsVCLDragPending});
    inherited::BeginDrag(Immediate, Threshold);
    return;
  }
  if (FStates.Contains(tsOLEDragging) || FStates.Contains(tsOLEDragPending)) return;
  FDragThreshold = Threshold >= 0 ? Threshold : Mouse->DragThreshold();
  if (Immediate) DoDragging(FLastClickPos);
  else DoStateChange({tsOLEDragPending});
}

bool TBaseLazyTree_qn::DoBeforeDrag(PLazyNode Node, TColumnIndex Column) {
  bool allowed = false;
  if (Assigned(OnDragAllowed)) OnDragAllowed(this, Node, Column, allowed);
  return allowed;
}

void TBaseLazyTree_qn::DoDragging(TPoint P) {
  DoCancelEdit();
  if (FCurrentHotNode) {
    InvalidateNode(FCurrentHotNode);
    FCurrentHotNode = nullptr;
  }
  if (FFocusedNode && !FFocusedNode->States.Contains(vsSelected)) {
    AddToSelection(FFocusedNode);
    InvalidateNode(FFocusedNode);
  }
  if (HandleAllocated()) UpdateWindow(Handle());
  FDragSelection = GetSortedSelection(true);
  DoStateChange({tsOLEDragging}, {tsOLEDragPending, tsClearPending});
  TDragObject* dragObject = nullptr;
  try {
    DoStartDrag(dragObject);
    if (dragObject) DoStateChange({tsUserDragObject});
    delete dragObject;
    dragObject = nullptr;
    TIntf<IDataObject> data = DragManager()->GetDataObject();
    PrepareDragImage(P, data.get());
    FLastDropMode = dmOnNode;
    FLastDragEffect = DROPEFFECT_NONE;
    DWORD allowed = 0;
    if (FDragOperations.Contains(doCopy)) allowed |= DROPEFFECT_COPY;
    if (FDragOperations.Contains(doMove)) allowed |= DROPEFFECT_MOVE;
    if (FDragOperations.Contains(doLink)) allowed |= DROPEFFECT_LINK;
    if (allowed == 0) allowed = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;
    DragAndDrop(allowed, data.get(), FLastDragEffect);
    if (FDragManager) FDragManager->ForceDragLeave();
  } catch (...) {
    delete dragObject;
    if (FDragImage) FDragImage->EndDrag();
    FDragSelection.clear();
    DoStateChange({}, {tsOLEDragging});
    throw;
  }
  // Whatever became of the drag, the source ends it.
  lazytrees_internal::TDeferredError err;
  err.Run([&] {
    TPoint p;
    GetCursorPos(&p);
    if (HandleAllocated()) p = ScreenToClient(p);
    DoEndDrag(this, p.X, p.Y);
  });
  if (FDragImage) FDragImage->EndDrag();
  if (FLastDragEffect == DROPEFFECT_MOVE && FOptions->AutoOptions().Contains(toAutoDeleteMovedNodes))
    err.Run([&] { DeleteSelectedNodes(); });
  FDragSelection.clear();
  DoStateChange({}, {tsOLEDragging});
  err.RaiseIfAny();
}

void TBaseLazyTree_qn::DoEndDrag(TObject* Target, Integer X, Integer Y) {
  inherited::DoEndDrag(Target, X, Y);
  DragFinished();
}

void TBaseLazyTree_qn::DragCanceled() {
  inherited::DragCanceled();
  DragFinished();
}

// ---------------------------------------------------------------------------
// The rubber band's selection

bool TBaseLazyTree_qn::HandleDrawSelection(Integer, Integer) {
  if (!FRoot || !FRoot->FirstChild || !FStates.Contains(tsDrawSelecting)) return false;
  TRect newRect = Ordered(FNewSelRect), oldRect = Ordered(FLastSelRect);
  ClearTempCache();
  TColumnIndex main = HeaderMainColumn();
  TAlignment alignment = FAlignment;
  TBiDiMode bidi = BiDiMode();
  Integer left = 0, right = ClientWidth();
  TLazyTreeColumns* columns = FHeader->Columns();
  if (FHeader->UseColumns() && columns->IsValidColumn(main)) {
    alignment = columns->Items(main)->Alignment();
    bidi = columns->Items(main)->BiDiMode();
    columns->GetColumnBounds(main, left, right);
  }
  bool result = bidi == bdLeftToRight
                    ? CollectSelectedNodesLTR(main, left, right, alignment, oldRect, newRect)
                    : CollectSelectedNodesRTL(main, left, right, alignment, oldRect, newRect);
  PackArray();
  if (FTempNodeCount > 0) AddToSelection(FTempNodeCache, Integer(FTempNodeCount), false);
  ClearTempCache();
  return result;
}

bool TBaseLazyTree_qn::DrawSelectionHits(PLazyNode Node, Integer RowTop, TColumnIndex MainColumn, Integer NodeLeft,
                                         Integer NodeRight, TAlignment Alignment, bool RTL, const TRect& R) {
  Integer rowBottom = RowTop + Integer(Node->NodeHeight);
  if (RowTop >= R.Bottom || rowBottom <= R.Top) return false;
  if (FOptions->SelectionOptions().Contains(toSimpleDrawSelection)) return true;
  const TVTPaintOptions& paint = FOptions->PaintOptions();
  // Everything before the text, counted from the column's start edge.
  Integer before = FMargin;
  if (paint.Contains(toFixedIndent)) before += Integer(FIndent);
  else before += Integer(FIndent) * (Integer(GetNodeLevel(Node)) + (paint.Contains(toShowRoot) ? 1 : 0));
  if (FOptions->MiscOptions().Contains(toCheckSupport) && FCheckImages && Node->CheckType != ctNone)
    before += FCheckImages->Width() + 2;
  if (FStateImages && HasImage(Node, ikState, MainColumn)) before += FStateImages->Width() + 2;
  if (FImages && HasImage(Node, ikNormal, MainColumn)) before += GetNodeImageSize(Node).cx + 2;
  // The text may run on over empty neighbours: the following columns
  // left to right, the preceding ones right to left.
  TLazyTreeColumns* columns = FHeader->Columns();
  if (FOptions->AutoOptions().Contains(toAutoSpanColumns) && columns->IsValidColumn(MainColumn)) {
    for (TColumnIndex c = RTL ? columns->GetPreviousVisibleColumn(MainColumn) : columns->GetNextVisibleColumn(MainColumn);
         c > NoColumn && ColumnIsEmpty(Node, c);
         c = RTL ? columns->GetPreviousVisibleColumn(c) : columns->GetNextVisibleColumn(c)) {
      if (RTL) NodeLeft -= columns->Items(c)->Width();
      else NodeRight += columns->Items(c)->Width();
    }
  }
  Integer textLeft = NodeLeft, textRight = NodeRight;
  if (RTL) textRight -= before;
  else textLeft += before;
  Integer width = DoGetNodeWidth(Node, MainColumn);
  TAlignment physical = RTL ? ChangeBiDiModeAlignment(Alignment) : Alignment;
  if (width < textRight - textLeft) {
    switch (physical) {
      case taRightJustify: textLeft = textRight - width; break;
      case taCenter:
        textLeft += (textRight - textLeft - width) / 2;
        textRight = textLeft + width;
        break;
      default: textRight = textLeft + width; break;
    }
  }
  return textLeft < R.Right && textRight > R.Left;
}

bool TBaseLazyTree_qn::CollectSelectedNodes(TColumnIndex MainColumn, Integer NodeLeft, Integer NodeRight,
                                            TAlignment Alignment, const TRect& OldRect, const TRect& NewRect,
                                            bool RTL) {
  bool toggle = FDrawSelShiftState.Contains(ssCtrl);
  Integer minY = std::min(OldRect.Top, NewRect.Top), maxY = std::max(OldRect.Bottom, NewRect.Bottom);
  Integer rowTop = 0;
  PLazyNode node = GetNodeAt(0, minY, false, rowTop);
  bool result = false;
  while (node) {
    if (!node->States.Contains(vsInitialized)) InitNode(node);
    bool wasInside = DrawSelectionHits(node, rowTop, MainColumn, NodeLeft, NodeRight, Alignment, RTL, OldRect);
    bool isInside = DrawSelectionHits(node, rowTop, MainColumn, NodeLeft, NodeRight, Alignment, RTL, NewRect);
    if (wasInside != isInside) {
      result = true;
      bool selectIt = toggle ? !node->States.Contains(vsSelected) : isInside;
      if (selectIt) InternalCacheNode(node);
      else if (node->States.Contains(vsSelected)) InternalRemoveFromSelection(node);
    }
    rowTop += Integer(node->NodeHeight);
    if (rowTop > maxY) break;
    node = GetNextVisible(node, true);
  }
  return result;
}

bool TBaseLazyTree_qn::CollectSelectedNodesLTR(TColumnIndex MainColumn, Integer NodeLeft, Integer NodeRight,
                                               TAlignment Alignment, const TRect& OldRect, const TRect& NewRect) {
  return CollectSelectedNodes(MainColumn, NodeLeft, NodeRight, Alignment, OldRect, NewRect, false);
}

bool TBaseLazyTree_qn::CollectSelectedNodesRTL(TColumnIndex MainColumn, Integer NodeLeft, Integer NodeRight,
                                               TAlignment Alignment, const TRect& OldRect, const TRect& NewRect) {
  return CollectSelectedNodes(MainColumn, NodeLeft, NodeRight, Alignment, OldRect, NewRect, true);
}

}  // namespace qn
