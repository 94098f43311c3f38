// Mouse input on the header: pressing and clicking cells (check boxes and
// sorting included), the pop-up menu, dragging a splitter to change a column
// width or the lower edge to change the height, double-click auto-fit, moving
// a column by dragging its picture, hot tracking on the header timer, the
// split cursors and cancelling a gesture.
//
// The header lives in the tree's non-client area: a press arrives as a
// non-client message in screen coordinates; once a gesture captured the
// mouse the moves and the release arrive as client messages whose Y is
// negative inside the header. Events see Y + Height (the header's top row is
// 0).
#include <algorithm>
#include <cstdlib>

#include "platform/vcl/ControlMessages.h"
#include "platform/vcl/Forms.h"
#include "treeview/LazyTrees_qn.h"

namespace qn {

namespace {

constexpr THeaderStates TrackingStates{hsColumnWidthTracking, hsColumnWidthTrackPending, hsHeightTracking,
                                       hsHeightTrackPending};
constexpr THeaderStates GestureStates{hsDragging,       hsDragPending,          hsColumnWidthTracking,
                                      hsColumnWidthTrackPending, hsHeightTracking, hsHeightTrackPending};

TPoint MessagePoint(const TMessage& Message) {
  return TPoint(GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam));
}

// The shift state a button message carries in its key flags.
TShiftState KeyFlagsShiftState(WPARAM Keys) {
  TShiftState s;
  if (Keys & MK_SHIFT) s.Include(ssShift);
  if (Keys & MK_CONTROL) s.Include(ssCtrl);
  if (GetKeyState(VK_MENU) < 0) s.Include(ssAlt);
  return s;
}

}  // namespace

// ---------------------------------------------------------------------------
// The columns' part

bool TLazyTreeColumns::GetNewIndex(TPoint P, TColumnIndex& OldIndex) {
  TColumnIndex index = ColumnFromPosition(TPoint(P.X, P.Y + FHeader->Height()), true);
  if (index == OldIndex) return false;
  if (IsValidColumn(OldIndex)) FHeader->Invalidate(Items(OldIndex));
  OldIndex = index;
  if (IsValidColumn(OldIndex)) FHeader->Invalidate(Items(OldIndex));
  return true;
}

bool TLazyTreeColumns::AdjustHoverColumn(TPoint P) { return GetNewIndex(P, FHoverIndex); }

TColumnIndex TLazyTreeColumns::AdjustDownColumn(TPoint P) {
  P.Y += FHeader->Height();
  TColumnIndex index = ColumnFromPosition(P, true);
  if (IsValidColumn(index) && index != FDownIndex) {
    TLazyTreeColumn* c = Items(index);
    if (c->FOptions.Contains(coAllowClick) && c->FOptions.Contains(coEnabled)) {
      if (IsValidColumn(FDownIndex)) FHeader->Invalidate(Items(FDownIndex));
      FDownIndex = index;
      FCheckBoxHit = c->FHasImage && PtInRect(c->FImageRect, P) && c->FCheckBox;
      FHeader->Invalidate(c);
    }
  }
  return index;
}

void TLazyTreeColumns::HandleClick(TPoint P, TMouseButton Button, bool Force, bool DblClick) {
  TBaseLazyTree_qn* t = Tree();
  P.Y += FHeader->Height();
  TColumnIndex index = ColumnFromPosition(P, true);
  TVTHeaderHitInfo hit;
  hit.X = P.X;
  hit.Y = P.Y;
  hit.Shift = TVTHeader::GetShiftState();
  if (DblClick) hit.Shift.Include(ssDouble);
  hit.Button = Button;
  TColumnIndex clicked = FClickIndex;
  if (IsValidColumn(index) && Items(index)->FOptions.Contains(coAllowClick) && (index == FDownIndex || Force)) {
    TLazyTreeColumn* c = Items(index);
    FClickIndex = index;
    hit.Column = index;
    hit.HitPosition = {hhiOnColumn};
    if (c->FHasImage && PtInRect(c->FImageRect, P)) {
      hit.HitPosition.Include(hhiOnIcon);
      if (c->FCheckBox) {
        if (Button == mbLeft) t->UpdateColumnCheckState(c);
        hit.HitPosition.Include(hhiOnCheckbox);
      }
    }
  } else {
    FClickIndex = NoColumn;
    hit.Column = NoColumn;
    hit.HitPosition = {hhiNoWhere};
  }
  clicked = FClickIndex;
  if (FHeader->FOptions.Contains(hoHeaderClickAutoSort) && Button == mbLeft && !DblClick &&
      !hit.HitPosition.Contains(hhiOnCheckbox) && hit.Column >= 0) {
    if (FHeader->FSortColumn != hit.Column) {
      FHeader->SetSortColumn(hit.Column);
      FHeader->SetSortDirection(Items(hit.Column)->FDefaultSortDirection);
    } else {
      FHeader->SetSortDirection(FHeader->FSortDirection == sdDescending ? sdAscending : sdDescending);
    }
  }
  if (DblClick) t->DoHeaderDblClick(hit);
  else t->DoHeaderClick(hit);
  // The handlers may have deleted columns: only cells still there repaint.
  if (!hit.HitPosition.Contains(hhiNoWhere) && IsValidColumn(hit.Column)) FHeader->Invalidate(Items(hit.Column));
  if (IsValidColumn(clicked) && clicked != index) FHeader->Invalidate(Items(clicked));
}

// ---------------------------------------------------------------------------
// The header's part

bool TVTHeader::ColumnSplitterHit(TPoint P) {
  if (!FOptions.Contains(hoColumnResize) || !DetermineSplitterIndex(P)) return false;
  if (InHeader(P)) return true;
  // Below the header only the right edge of the fixed area can be grabbed,
  // and only over the node rows.
  TColumnIndex track = FColumns->FTrackIndex;
  if (!FColumns->IsValidColumn(track) || !FColumns->Items(track)->FOptions.Contains(coFixed)) return false;
  TColumnIndex next = FColumns->GetNextVisibleColumn(track);
  return FColumns->IsValidColumn(next) && !FColumns->Items(next)->FOptions.Contains(coFixed) &&
         P.Y <= FOwner->FRangeY;
}

bool TVTHeader::HandleMessage(TMessage& Message) {
  TBaseLazyTree_qn* t = FOwner;
  bool designing = t->ComponentState().Contains(csDesigning);
  switch (Message.Msg) {
    case WM_SIZE:
      if (!t->FStates.Contains(tsWindowCreating)) {
        if (FOptions.Contains(hoAutoResize) && !FStates.Contains(hsAutoSizing)) {
          FColumns->AdjustAutoSize(InvalidColumn);
          Invalidate(nullptr);
        } else if (!FStates.Contains(hsScaling)) {
          RescaleHeader();
          Invalidate(nullptr);
        }
      }
      return false;
    case CM_BIDIMODECHANGED:
      for (Integer i = 0; i < FColumns->Count(); ++i)
        if (FColumns->Items(i)->FOptions.Contains(coParentBidiMode)) FColumns->Items(i)->ParentBiDiModeChanged();
      return false;
    case WM_NCMBUTTONDOWN:
    case WM_NCRBUTTONDOWN: {
      TPoint p = t->ScreenToClient(MessagePoint(Message));
      if (InHeader(p))
        t->DoHeaderMouseDown(Message.Msg == WM_NCMBUTTONDOWN ? mbMiddle : mbRight, GetShiftState(), p.X,
                             p.Y + FHeight);
      return false;
    }
    case WM_NCMBUTTONUP: {
      TPoint p = t->ScreenToClient(MessagePoint(Message));
      if (InHeader(p)) {
        FColumns->HandleClick(p, mbMiddle, true, false);
        t->DoHeaderMouseUp(mbMiddle, GetShiftState(), p.X, p.Y + FHeight);
        FColumns->FDownIndex = NoColumn;
        FColumns->FCheckBoxHit = false;
      }
      return false;
    }
    case WM_NCLBUTTONDBLCLK:
    case WM_NCRBUTTONDBLCLK:
    case WM_NCMBUTTONDBLCLK:
    case WM_LBUTTONDBLCLK:
      if (designing && Message.Msg == WM_LBUTTONDBLCLK) return false;
      return DoubleClick(Message, Message.Msg != WM_LBUTTONDBLCLK);
    case WM_NCLBUTTONDOWN:
    case WM_LBUTTONDOWN: {
      if (designing && Message.Msg == WM_LBUTTONDOWN) return false;
      THeaderStates before = FStates;
      LeftButtonDown(Message, Message.Msg == WM_NCLBUTTONDOWN);
      return FStates != before;
    }
    case WM_NCRBUTTONUP:
      if (designing) return false;
      return RightButtonUp(Message);
    case WM_NCLBUTTONUP:
    case WM_LBUTTONUP: {
      bool dragging = FStates.Contains(hsDragging);
      LeftButtonUp(Message, Message.Msg == WM_NCLBUTTONUP);
      if (dragging) Message.Result = 0;
      return dragging;
    }
    case WM_NCMOUSEMOVE:
      Hover(Message);
      return false;
    case WM_MOUSEMOVE:
      return HandleHeaderMouseMove(Message);
    case WM_TIMER:
      if (Message.WParam != HeaderTimer) return false;
      return HeaderTimerFired(Message);
    case WM_SETCURSOR:
      return SetHeaderCursor(Message);
    case WM_KILLFOCUS:
      return CancelGesture(Message);
    case WM_KEYDOWN:
      if (Message.WParam != VK_ESCAPE) return false;
      return CancelGesture(Message);
    default:
      return false;
  }
}

void TVTHeader::LeftButtonDown(TMessage& Message, bool NonClient) {
  TBaseLazyTree_qn* t = FOwner;
  if (Application) Application->CancelHint();
  t->StopTimer(ScrollTimer);
  t->DoStateChange({}, {tsScrollPending, tsScrolling});
  t->StopTimer(EditTimer);
  t->DoStateChange({}, {tsEditPending});
  TPoint p;
  if (NonClient) {
    FDragStart = MessagePoint(Message);
    p = t->ScreenToClient(FDragStart);
  } else {
    p = MessagePoint(Message);
    FDragStart = t->ClientToScreen(p);
  }
  bool inHeader = InHeader(p);
  bool heightSplit = InHeaderSplitterArea(p) && CanSplitterResize(p);
  bool columnSplit = !heightSplit && ColumnSplitterHit(p);
  TShiftState shift = GetShiftState();
  if (heightSplit || columnSplit) {
    FTrackStart = p;
    FColumns->FHoverIndex = NoColumn;
    if (heightSplit) {
      DoBeforeHeightTracking(shift);
      FStates.Include(hsHeightTrackPending);
    } else {
      DoBeforeColumnWidthTracking(FColumns->FTrackIndex, shift);
      FStates.Include(hsColumnWidthTrackPending);
    }
    SetCapture(t->Handle());
    Message.Result = 0;
  } else if (inHeader) {
    TColumnIndex hit = FColumns->AdjustDownColumn(p);
    if (FOptions.Contains(hoDrag) && FColumns->IsValidColumn(hit) &&
        FColumns->Items(hit)->FOptions.Contains(coDraggable)) {
      FStates.Include(hsDragPending);
      SetCapture(t->Handle());
      Message.Result = 0;
    }
  }
  if (inHeader) t->DoHeaderMouseDown(mbLeft, shift, p.X, p.Y + FHeight);
}

bool TVTHeader::HandleHeaderMouseMove(TMessage& Message) {
  TBaseLazyTree_qn* t = FOwner;
  TPoint p = MessagePoint(Message);
  if (FStates.Contains(hsColumnWidthTrackPending)) {
    t->StopTimer(HeaderTimer);
    FStates.Exclude(hsColumnWidthTrackPending);
    FStates.Include(hsColumnWidthTracking);
    Message.Result = 0;
    return true;
  }
  if (FStates.Contains(hsHeightTrackPending)) {
    t->StopTimer(HeaderTimer);
    FStates.Exclude(hsHeightTrackPending);
    FStates.Include(hsHeightTracking);
    Message.Result = 0;
    return true;
  }
  if (FStates.Contains(hsColumnWidthTracking)) {
    TColumnIndex track = FColumns->FTrackIndex;
    if (FColumns->IsValidColumn(track) && DoColumnWidthTracking(track, GetShiftState(), FTrackPoint, p)) {
      TLazyTreeColumn* c = FColumns->Items(track);
      bool rtl = t->UseRightToLeftAlignment();
      Integer newWidth = rtl ? FTrackPoint.X - p.X : p.X - FTrackPoint.X;
      TColumnIndex next =
          rtl ? FColumns->GetPreviousVisibleColumn(track) : FColumns->GetNextVisibleColumn(track);
      // The auto-size column keeps filling the client: its neighbour takes
      // the change instead.
      if (FOptions.Contains(hoAutoResize) && track == FAutoSizeIndex && FColumns->IsValidColumn(next) &&
          FColumns->Items(next)->FOptions.Contains(coResizable) && c->FMinWidth < newWidth &&
          newWidth < c->FMaxWidth) {
        TLazyTreeColumn* n = FColumns->Items(next);
        n->SetWidth(n->FWidth - newWidth + c->FWidth);
      } else {
        c->SetWidth(newWidth);
      }
    }
    Message.Result = 0;
    return true;
  }
  if (FStates.Contains(hsHeightTracking)) {
    if (DoHeightTracking(p, GetShiftState())) SetHeight(FHeight + p.Y);
    Message.Result = 0;
    return true;
  }
  if (FStates.Contains(hsDragPending)) {
    TPoint s = t->ClientToScreen(p);
    if (FOptions.Contains(hoDrag) && t->DoHeaderDragging(FColumns->FDownIndex)) {
      Integer threshold = Mouse ? Mouse->DragThreshold() : 5;
      if (std::abs(FDragStart.X - s.X) > threshold || std::abs(FDragStart.Y - s.Y) > threshold) {
        t->StopTimer(HeaderTimer);
        FColumns->FDownIndex = NoColumn;
        FColumns->FHoverIndex = NoColumn;
        // The pressed and the hot look both go before the picture is taken.
        Invalidate(nullptr);
        if (t->HandleAllocated()) UpdateWindow(t->Handle());
        PrepareDrag(s, FDragStart);
        FStates.Exclude(hsDragPending);
        // A drag that found no column to carry stays a press that ends
        // with the release.
        if (FColumns->IsValidColumn(FColumns->FDragIndex)) FStates.Include(hsDragging);
        Message.Result = 0;
        return true;
      }
    }
    return false;
  }
  if (FStates.Contains(hsDragging)) {
    DragTo(t->ClientToScreen(p));
    Message.Result = 0;
    return true;
  }
  return false;
}

void TVTHeader::PrepareDrag(TPoint P, TPoint Start) {
  TBaseLazyTree_qn* t = FOwner;
  FColumns->FDropTarget = NoColumn;
  TPoint s = t->ScreenToClient(Start);
  s.Y += FHeight;
  FColumns->FDragIndex = FColumns->ColumnFromPosition(s, true);
  if (!FColumns->IsValidColumn(FColumns->FDragIndex)) {
    FColumns->FDragIndex = NoColumn;
    return;
  }
  TLazyTreeColumn* c = FColumns->Items(FColumns->FDragIndex);
  bool rtl = t->UseRightToLeftAlignment();
  Integer rtlOffset = rtl ? t->ComputeRTLOffset(false) : 0;
  TBitmap image;
  image.SetPixelFormat(TPixelFormat::pf32bit);
  image.SetSize(std::max(c->FWidth, 1), std::max(FHeight, 1));
  image.Canvas()->Brush()->SetColor(clBtnFace);
  image.Canvas()->FillRect(TRect(0, 0, image.Width(), image.Height()));
  FColumns->PaintHeader(image.Canvas(), TRect(c->FLeft, 0, c->FLeft + c->FWidth, image.Height()),
                        TPoint(-rtlOffset, 0), rtlOffset);
  TPoint position(c->Left() + (rtl ? t->ComputeRTLOffset(true) : 0), 0);
  position = t->ClientToScreen(position);
  position.Y -= FHeight;
  FDragImage->SetMoveRestriction(FOptions.Contains(hoRestrictDrag) ? dmrHorizontalOnly : dmrNone);
  FDragImage->PrepareDrag(&image, position, P, nullptr);
  FDragImage->ShowDragImage();
}

void TVTHeader::DragTo(TPoint P) {
  TBaseLazyTree_qn* t = FOwner;
  TPoint c = t->ScreenToClient(P);
  c.Y += FHeight;
  TColumnIndex target = FColumns->ColumnFromPosition(c, true);
  bool needRepaint = target != InvalidColumn && target != FColumns->FDropTarget;
  if (FColumns->IsValidColumn(target)) {
    Integer left = 0, right = 0;
    FColumns->GetColumnBounds(target, left, right);
    bool before = (left + right) / 2 > c.X;
    if (before != FColumns->FDropBefore) {
      FColumns->FDropBefore = before;
      needRepaint = true;
    }
  }
  if (needRepaint) {
    if (FColumns->IsValidColumn(FColumns->FDropTarget)) Invalidate(FColumns->Items(FColumns->FDropTarget));
    FColumns->FDropTarget = NoColumn;
    if (FColumns->IsValidColumn(target)) {
      FColumns->FDropTarget = target;
      Invalidate(FColumns->Items(target));
    }
  }
  FDragImage->DragTo(P, needRepaint);
}

void TVTHeader::EndColumnDrag() {
  if (FOwner->HandleAllocated() && GetCapture() == FOwner->Handle()) ReleaseCapture();
  FDragImage->EndDrag();
  FStates.Exclude(hsDragging);
  FColumns->FDropTarget = NoColumn;
  Invalidate(nullptr);
}

void TVTHeader::LeftButtonUp(TMessage& Message, bool NonClient) {
  TBaseLazyTree_qn* t = FOwner;
  if (Application) Application->CancelHint();
  THeaderStates states = FStates;
  if (!states.Empty()) {
    ReleaseCapture();
    if (states.Contains(hsDragging)) {
      TPoint p = NonClient ? MessagePoint(Message) : t->ClientToScreen(MessagePoint(Message));
      RECT wr;
      GetWindowRect(t->Handle(), &wr);
      FDragImage->EndDrag();
      TColumnIndex drag = FColumns->FDragIndex, target = FColumns->FDropTarget;
      if (FColumns->IsValidColumn(drag) && FColumns->IsValidColumn(target) && target != drag &&
          PtInRect(TRect(wr.Left, wr.Top, wr.Right, wr.Bottom), p)) {
        TLazyTreeColumn* c = FColumns->Items(drag);
        Integer oldPosition = Integer(c->FPosition);
        Integer dt = Integer(FColumns->Items(target)->FPosition), dp = oldPosition;
        Integer position;
        if (FColumns->FDropBefore) position = dp < dt ? std::max(0, dt - 1) : dt;
        else position = dp < dt ? dt : dt + 1;
        c->SetPosition(TColumnPosition(position));
        t->DoHeaderDragged(drag, oldPosition);
      } else if (FColumns->IsValidColumn(drag)) {
        t->DoHeaderDraggedOut(drag, p);
      }
      FColumns->FDropTarget = NoColumn;
      Invalidate(nullptr);
      Message.Result = 0;
    }
  }
  if (NonClient) {
    TPoint p = t->ScreenToClient(MessagePoint(Message));
    FColumns->HandleClick(p, mbLeft, false, false);
    t->DoHeaderMouseUp(mbLeft, GetShiftState(), p.X, p.Y + FHeight);
  } else {
    TPoint p = MessagePoint(Message);
    if (FColumns->IsValidColumn(FColumns->FDownIndex)) FColumns->HandleClick(p, mbLeft, false, false);
    if (!states.Empty()) t->DoHeaderMouseUp(mbLeft, KeyFlagsShiftState(Message.WParam), p.X, p.Y);
  }
  if (FColumns->IsValidColumn(FColumns->FTrackIndex)) {
    if (states.Contains(hsColumnWidthTracking)) DoAfterColumnWidthTracking(FColumns->FTrackIndex);
    if (FColumns->IsValidColumn(FColumns->FTrackIndex)) Invalidate(FColumns->Items(FColumns->FTrackIndex));
  }
  FColumns->FTrackIndex = NoColumn;
  if (FColumns->IsValidColumn(FColumns->FDownIndex)) Invalidate(FColumns->Items(FColumns->FDownIndex));
  FColumns->FDownIndex = NoColumn;
  if (states.Contains(hsHeightTracking)) DoAfterHeightTracking();
  FStates -= GestureStates;
}

bool TVTHeader::DoubleClick(TMessage& Message, bool NonClient) {
  TBaseLazyTree_qn* t = FOwner;
  TPoint p = NonClient ? t->ScreenToClient(MessagePoint(Message)) : MessagePoint(Message);
  TShiftState shift = GetShiftState();
  if (FOptions.Contains(hoHeightDblClickResize) && InHeaderSplitterArea(p) && FDefaultHeight > 0) {
    if (DoHeightDblClickResize(p, shift) && FDefaultHeight > 0) SetHeight(FMinHeight);
    return true;
  }
  bool left = Message.Msg == WM_NCLBUTTONDBLCLK || Message.Msg == WM_LBUTTONDBLCLK;
  if (left && FOptions.Contains(hoDblClickResize) && ColumnSplitterHit(p) &&
      FColumns->IsValidColumn(FColumns->FTrackIndex)) {
    TColumnIndex track = FColumns->FTrackIndex;
    if (DoColumnWidthDblClickResize(track, p, shift)) {
      Integer position = Integer(FColumns->Items(track)->FPosition);
      AutoFitColumns(true, smaUseColumnOption, position, position);
    }
    Message.Result = 0;
    return true;
  }
  if (NonClient && InHeader(p)) {
    TMouseButton button = Message.Msg == WM_NCRBUTTONDBLCLK   ? mbRight
                          : Message.Msg == WM_NCMBUTTONDBLCLK ? mbMiddle
                                                              : mbLeft;
    if (button == mbLeft) FColumns->AdjustDownColumn(p);
    FColumns->HandleClick(p, button, true, true);
  }
  return false;
}

bool TVTHeader::RightButtonUp(TMessage& Message) {
  TBaseLazyTree_qn* t = FOwner;
  if (Application) Application->CancelHint();
  TPoint screen = MessagePoint(Message);
  TPoint p = t->ScreenToClient(screen);
  if (!InHeader(p)) return false;
  FColumns->HandleClick(p, mbRight, true, false);
  t->DoHeaderMouseUp(mbRight, GetShiftState(), p.X, p.Y + FHeight);
  FColumns->FDownIndex = NoColumn;
  FColumns->FTrackIndex = NoColumn;
  FColumns->FCheckBoxHit = false;
  TPopupMenu* menu = FPopupMenu;
  if (!menu) menu = DoGetPopupMenu(FColumns->ColumnFromPosition(TPoint(p.X, p.Y + FHeight), true), p);
  if (!menu) return false;
  t->StopTimer(ScrollTimer);
  t->StopTimer(HeaderTimer);
  FColumns->FHoverIndex = NoColumn;
  t->DoStateChange({}, {tsScrollPending, tsScrolling});
  menu->SetPopupComponent(t);
  menu->Popup(screen.X, screen.Y);
  return true;
}

void TVTHeader::Hover(TMessage& Message) {
  TBaseLazyTree_qn* t = FOwner;
  TPoint p = t->ScreenToClient(MessagePoint(Message));
  t->DoHeaderMouseMove(GetShiftState(), p.X, p.Y + FHeight);
  if (!InHeader(p)) return;
  bool changed = FColumns->AdjustHoverColumn(p);
  bool pressedElsewhere =
      FColumns->IsValidColumn(FColumns->FDownIndex) && FColumns->FDownIndex != FColumns->FHoverIndex;
  if (!changed && !pressedElsewhere) return;
  SetTimer(t->Handle(), HeaderTimer, 50, nullptr);
  if (FOptions.Contains(hoShowHint) && Application) {
    TMessage m = Message;
    m.LParam = MAKELPARAM(Word(p.X), Word(p.Y + FHeight));
    Application->HintMouseMessage(t, m);
  }
}

bool TVTHeader::HeaderTimerFired(TMessage& Message) {
  TBaseLazyTree_qn* t = FOwner;
  POINT cursor;
  GetCursorPos(&cursor);
  TPoint p = t->ScreenToClient(TPoint(cursor.X, cursor.Y));
  bool pressedElsewhere =
      FColumns->IsValidColumn(FColumns->FDownIndex) && FColumns->FDownIndex != FColumns->FHoverIndex;
  if (InHeader(p) && !pressedElsewhere) return false;
  t->StopTimer(HeaderTimer);
  FColumns->FHoverIndex = FColumns->FClickIndex = FColumns->FDownIndex = NoColumn;
  FColumns->FCheckBoxHit = false;
  Invalidate(nullptr);
  Message.Result = 0;
  return true;
}

bool TVTHeader::SetHeaderCursor(TMessage& Message) {
  TBaseLazyTree_qn* t = FOwner;
  if (t->ComponentState().Contains(csDesigning) || !FStates.Empty()) {
    Message.Result = 1;
    return true;
  }
  POINT cursor;
  GetCursorPos(&cursor);
  TPoint p = t->ScreenToClient(TPoint(cursor.X, cursor.Y));
  bool columnSplit = ColumnSplitterHit(p);
  bool heightSplit = InHeaderSplitterArea(p) && CanSplitterResize(p);
  if (!columnSplit && !heightSplit) return false;
  HCURSOR c = Screen->Cursors(Integer(t->Cursor()));
  if (heightSplit && FOptions.Contains(hoHeightResize)) c = Screen->Cursors(crVertSplit);
  else if (columnSplit) c = Screen->Cursors(crHeaderSplit);
  t->DoGetHeaderCursor(c);
  if (c == Screen->Cursors(crDefault)) return false;
  ::vcl::SetCursor(c);
  Message.Result = 1;
  return true;
}

bool TVTHeader::CancelGesture(TMessage& Message) {
  if (FStates.Contains(hsDragging)) {
    EndColumnDrag();
    Message.Result = 0;
    return true;
  }
  if ((FStates * TrackingStates).Empty()) return false;
  ReleaseCapture();
  if (FStates.Contains(hsColumnWidthTracking) || FStates.Contains(hsColumnWidthTrackPending))
    DoAfterColumnWidthTracking(FColumns->FTrackIndex);
  else
    DoAfterHeightTracking();
  FStates -= TrackingStates;
  Message.Result = 0;
  return true;
}

}  // namespace qn
