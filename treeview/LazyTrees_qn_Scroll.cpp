// Scrolling: the view's offsets over the virtual canvas, the canvas size,
// the platform's scroll bars, bringing nodes and columns into view, the
// wheel, automatic scrolling near the edges while a rubber band or a drag
// runs, and wheel panning with its marker window.
#include <algorithm>
#include <cmath>

#include "platform/comctl/CommCtrl.h"
#include "platform/gdi/Gdi.h"
#include "platform/user/Resources.h"
#include "platform/vcl/ControlMessages.h"
#include "platform/vcl/Forms.h"
#include "treeview/LazyTrees_qn.h"

namespace qn {

namespace {

// The dead zone around the panning start point, in pixels.
constexpr Integer kPanDeadZone = 8;

bool HasHorizontalBar(TScrollStyle S) { return S == TScrollStyle::ssHorizontal || S == TScrollStyle::ssBoth; }
bool HasVerticalBar(TScrollStyle S) { return S == TScrollStyle::ssVertical || S == TScrollStyle::ssBoth; }

// Truncates towards zero and keeps the result inside 32 bits.
Integer TruncPixels(double Value) {
  if (!(Value == Value)) return 0;
  return Integer(std::clamp(std::trunc(Value), -2147483648.0, 2147483647.0));
}

// What is left of A after taking B away when that is a rectangle (B covers
// A's full width or height from one side); A itself otherwise.
TRect Subtracted(const TRect& A, const TRect& B) {
  TRect i;
  if (!IntersectRect(i, A, B)) return A;
  bool fullWidth = i.Left == A.Left && i.Right == A.Right, fullHeight = i.Top == A.Top && i.Bottom == A.Bottom;
  if (fullWidth && fullHeight) return TRect();
  if (fullWidth && i.Top == A.Top) return TRect(A.Left, i.Bottom, A.Right, A.Bottom);
  if (fullWidth && i.Bottom == A.Bottom) return TRect(A.Left, A.Top, A.Right, i.Top);
  if (fullHeight && i.Left == A.Left) return TRect(i.Right, A.Top, A.Right, A.Bottom);
  if (fullHeight && i.Right == A.Right) return TRect(A.Left, A.Top, i.Left, A.Bottom);
  return A;
}

}  // namespace

// ---------------------------------------------------------------------------
// Offsets

void TBaseLazyTree_qn::SetOffsetX(Integer Value) {
  DoSetOffsetXY(TPoint(Value, FOffsetY), DefaultScrollUpdateFlags);
}

void TBaseLazyTree_qn::SetOffsetY(Integer Value) {
  DoSetOffsetXY(TPoint(FOffsetX, Value), DefaultScrollUpdateFlags);
}

void TBaseLazyTree_qn::SetOffsetXY(TPoint Value) { DoSetOffsetXY(Value, DefaultScrollUpdateFlags); }

bool TBaseLazyTree_qn::DoSetOffsetXY(TPoint Value, TScrollUpdateOptions Options, const TRect* ClipRect) {
  Integer clientWidth = ClientWidth(), clientHeight = ClientHeight();
  bool rtl = UseRightToLeftAlignment();
  Integer x = std::min(std::max(Value.X, clientWidth - FRangeX), 0);
  Integer deltaX = x - FOffsetX;
  if (rtl) deltaX = -deltaX;
  Integer y = std::min(std::max(Value.Y, clientHeight - FRangeY), 0);
  Integer deltaY = y - FOffsetY;
  if (deltaX == 0 && deltaY == 0) return false;

  FOffsetX = x;
  FOffsetY = y;
  // The painting reads the effective offset; it follows the offset at once
  // rather than waiting for the bar update, which sizing may skip.
  FEffectiveOffsetX = rtl ? FRangeX - clientWidth + FOffsetX : -FOffsetX;
  if (Application) Application->CancelHint();

  if (FUpdateCount == 0 && HandleAllocated()) {
    bool dragImage = FStates.Contains(tsVCLDragging);
    if (dragImage) ImageList_DragShowNolock(false);
    if (Options.Contains(suoScrollClientArea) && !FStates.Contains(tsToggling)) {
      Integer fixed = FHeader->Columns()->GetVisibleFixedWidth();
      RECT clip{};
      if (ClipRect) clip = *ClipRect;
      if (FOptions->PaintOptions().Contains(toShowBackground) &&
          dynamic_cast<TBitmap*>(FBackground->Graphic()) != nullptr) {
        // A background picture does not move with the content, so nothing
        // can be copied: child windows move by hand and everything repaints.
        std::vector<HWND> children;
        for (HWND c = GetWindow(Handle(), GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) children.push_back(c);
        if (!children.empty()) {
          HDWP batch = BeginDeferWindowPos(Integer(children.size()));
          for (HWND c : children) {
            if (!batch) break;
            RECT r;
            GetWindowRect(c, &r);
            POINT p{r.Left, r.Top};
            ::vcl::ScreenToClient(Handle(), &p);
            batch = DeferWindowPos(batch, c, nullptr, p.X + deltaX, p.Y + deltaY, 0, 0,
                                   SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOSIZE);
          }
          if (batch) EndDeferWindowPos(batch);
        }
        InvalidateRect(Handle(), nullptr, false);
      } else if (deltaX != 0 && fixed > 0) {
        // Fixed columns stay put horizontally; vertically everything moves.
        RECT r = ClientRect();
        r.Left = fixed;
        ScrollWindow(Handle(), deltaX, 0, &r, &r);
        if (deltaY != 0) ScrollWindow(Handle(), 0, deltaY, ClipRect ? &clip : nullptr, ClipRect ? &clip : nullptr);
      } else {
        ScrollWindow(Handle(), deltaX, deltaY, ClipRect ? &clip : nullptr, ClipRect ? &clip : nullptr);
      }
    }
    if (Options.Contains(suoUpdateNCArea)) {
      bool repaintBars = Options.Contains(suoRepaintScrollbars);
      TScrollStyle bars = FScrollBarOptions->ScrollBars();
      if (deltaX != 0) {
        if (Options.Contains(suoRepaintHeader) && FHeader->Options().Contains(hoVisible))
          FHeader->Invalidate(nullptr);
        if (!FStates.Contains(tsSizing) && HasHorizontalBar(bars)) UpdateHorizontalScrollBar(repaintBars);
      }
      if (deltaY != 0 && !FStates.Contains(tsSizing) && !FStates.Contains(tsThumbTracking)) {
        UpdateVerticalScrollBar(repaintBars);
        // Without columns the widest shown node sets the horizontal range.
        if (!FHeader->UseColumns() && !IsMouseSelecting() && HasHorizontalBar(bars))
          UpdateHorizontalScrollBar(repaintBars);
      }
    }
    if (dragImage) ImageList_DragShowNolock(true);
  }
  if (FStates.Contains(tsEditing)) UpdateEditBounds();

  // The node under the mouse changes with the view.
  if (HandleAllocated()) {
    POINT p;
    GetCursorPos(&p);
    ::vcl::ScreenToClient(Handle(), &p);
    if (PtInRect(ClientRect(), TPoint(p.X, p.Y))) HandleHotTrack(p.X, p.Y);
  }
  DoScroll(deltaX, deltaY);
  return true;
}

void TBaseLazyTree_qn::DoScroll(Integer DeltaX, Integer DeltaY) {
  if (Assigned(OnScroll)) OnScroll(this, DeltaX, DeltaY);
}

bool TBaseLazyTree_qn::CalculateSelectionRect(Integer X, Integer Y) {
  if (FStates.Contains(tsDrawSelecting)) FLastSelRect = FNewSelRect;
  Integer right = std::max(ClientWidth(), FRangeX), bottom = std::max(ClientHeight(), FRangeY);
  FNewSelRect.Right = std::clamp(X + FEffectiveOffsetX, 0, right);
  FNewSelRect.Bottom = std::clamp(Y - FOffsetY, 0, bottom);
  return FNewSelRect != FLastSelRect;
}

void TBaseLazyTree_qn::SetBottomSpace(Cardinal Value) {
  if (FBottomSpace == Value) return;
  FBottomSpace = Value;
  UpdateVerticalScrollBar(true);
}

void TBaseLazyTree_qn::SetAutoScrollInterval(TAutoScrollInterval Value) {
  FAutoScrollInterval = std::clamp<TAutoScrollInterval>(Value, 1, 1000);
}

// ---------------------------------------------------------------------------
// Ranges and scroll bars

void TBaseLazyTree_qn::UpdateRanges() {
  UpdateVerticalRange();
  UpdateHorizontalRange();
}

void TBaseLazyTree_qn::UpdateHorizontalRange() {
  FRangeXPending = false;
  FRangeX = FHeader->UseColumns() ? FHeader->Columns()->TotalWidth() : Integer(GetMaxRightExtend());
}

void TBaseLazyTree_qn::SettleRangeX() {
  if (FRangeXPending) UpdateHorizontalRange();
}

Integer TBaseLazyTree_qn::RangeX() const {
  const_cast<TBaseLazyTree_qn*>(this)->SettleRangeX();
  return FRangeX > 0 ? FRangeX : 0;
}

void TBaseLazyTree_qn::UpdateVerticalRange() {
  if (!FRoot) return;
  if (FRoot->TotalHeight < FDefaultNodeHeight) FRoot->TotalHeight = FDefaultNodeHeight;
  FRangeY = Integer(FRoot->TotalHeight) - Integer(FRoot->NodeHeight) + Integer(FBottomSpace);
}

void TBaseLazyTree_qn::UpdateScrollBars(bool DoRepaint) {
  if (!HandleAllocated()) return;
  UpdateVerticalScrollBar(DoRepaint);
  UpdateHorizontalScrollBar(DoRepaint);
}

void TBaseLazyTree_qn::DoShowScrollbar(Integer Bar, bool Show) {
  ShowScrollBar(Handle(), Bar, Show);
  if (Assigned(OnShowScrollbar)) OnShowScrollbar(this, Bar, Show);
}

// The platform bar of a canvas Range pixels long seen through Client
// pixels at Position: shown when it can scroll or must stay (then disabled
// with nothing to scroll), else emptied and hidden. Answers the position
// the bar settled on.
Integer TBaseLazyTree_qn::SetScrollBarInfo(Integer Bar, Integer Range, Integer Position, Integer Client,
                                           bool DoRepaint) {
  SCROLLINFO si{};
  si.cbSize = sizeof si;
  si.fMask = SIF_ALL;
  GetScrollInfo(Handle(), Bar, &si);
  bool always = FScrollBarOptions->AlwaysVisible();
  if (Client < Range || always) {
    DoShowScrollbar(Bar, true);
    si.nMin = 0;
    si.nMax = Range;
    si.nPos = Position;
    si.nPage = UINT(std::max(0, Client + 1));
    si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_TRACKPOS;
    if (always) si.fMask |= SIF_DISABLENOSCROLL;
    SetScrollInfo(Handle(), Bar, &si, DoRepaint);
  } else {
    si.nMin = si.nMax = si.nPos = 0;
    si.nPage = 0;
    DoShowScrollbar(Bar, false);
    SetScrollInfo(Handle(), Bar, &si, false);
  }
  return GetScrollPos(Handle(), Bar);
}

void TBaseLazyTree_qn::UpdateHorizontalScrollBar(bool DoRepaint) {
  UpdateHorizontalRange();
  if (FStates.Contains(tsUpdating) || !HandleAllocated()) return;
  bool rtl = UseRightToLeftAlignment();
  Integer client = ClientWidth();
  FEffectiveOffsetX = rtl ? FRangeX - client + FOffsetX : -FOffsetX;
  if (!HasHorizontalBar(FScrollBarOptions->ScrollBars())) {
    DoShowScrollbar(SB_HORZ, false);
    SetOffsetX(0);
    return;
  }
  // The bar may change the client width; the position it settled on is
  // the one the view takes.
  Integer position = SetScrollBarInfo(SB_HORZ, FRangeX, FEffectiveOffsetX, client, DoRepaint);
  FEffectiveOffsetX = position;
  SetOffsetX(rtl ? position - FRangeX + ClientWidth() : -position);
}

void TBaseLazyTree_qn::UpdateVerticalScrollBar(bool DoRepaint) {
  UpdateVerticalRange();
  if (FStates.Contains(tsUpdating) || !HandleAllocated()) return;
  if (!HasVerticalBar(FScrollBarOptions->ScrollBars())) {
    DoShowScrollbar(SB_VERT, false);
    SetOffsetY(0);
    return;
  }
  SetOffsetY(-SetScrollBarInfo(SB_VERT, FRangeY, -FOffsetY, ClientHeight(), DoRepaint));
}

Integer TBaseLazyTree_qn::ComputeRTLOffset(bool ExcludeScrollBar) {
  bool vbar = ClientHeight() < FRangeY && HasVerticalBar(FScrollBarOptions->ScrollBars());
  Integer bar = vbar ? GetSystemMetrics(SM_CXVSCROLL) : 0;
  Integer width = FHeaderRect.Width();
  Integer result = width < FRangeX + bar ? bar : width - FRangeX;
  if (ExcludeScrollBar && vbar) result -= GetSystemMetrics(SM_CXVSCROLL);
  return result;
}

// ---------------------------------------------------------------------------
// Bringing nodes and columns into view

namespace {
// Expands every collapsed ancestor of Node.
void ExpandParents(TBaseLazyTree_qn* Tree, PLazyNode Node) {
  for (PLazyNode run = Node->Parent; run != Tree->RootNode(); run = run->Parent)
    if (!run->States.Contains(vsExpanded)) Tree->ToggleNode(run);
}
}  // namespace

bool TBaseLazyTree_qn::ScrollIntoView(PLazyNode Node, bool Center, bool Horizontally) {
  if (!Node || Node == FRoot) return false;
  ExpandParents(this, Node);
  // Without a window there is no view to move (and nothing to measure on).
  if (!HandleAllocated()) return false;
  bool scrolled = false;
  // A node that is hidden or filtered out has no place to scroll to.
  bool shown = GetEffectivelyVisible(Node);
  for (PLazyNode run = Node; shown && run != FRoot; run = run->Parent) shown = run->States.Contains(vsVisible);
  if (shown) {
    bool useColumns = FHeader->UseColumns();
    bool textOnly = !FOptions->MiscOptions().Contains(toGridExtensions);
    TColumnIndex column = useColumns && FHeader->Columns()->IsValidColumn(FFocusedColumn) ? FFocusedColumn : NoColumn;
    TRect r = GetDisplayRect(Node, column, textOnly);
    Integer clientHeight = ClientHeight();
    if (r.Top < 0) {
      SetOffsetY(FOffsetY - r.Top + (Center ? clientHeight / 2 : 0));
      scrolled = true;
    } else if (r.Bottom > clientHeight || Center) {
      TScrollStyle bars = FScrollBarOptions->ScrollBars();
      bool hbarShown = HasHorizontalBar(bars) && (FScrollBarOptions->AlwaysVisible() || ClientWidth() < FRangeX);
      SetOffsetY(FOffsetY - r.Bottom + (Center ? clientHeight / 2 : clientHeight));
      // Scrolling may have brought a wider node into view, and with it the
      // horizontal bar, which then covers the bottom of the node.
      if (!useColumns && !hbarShown && HasHorizontalBar(bars) && ClientWidth() < FRangeX)
        SetOffsetY(FOffsetY - GetSystemMetrics(SM_CYHSCROLL));
      scrolled = true;
    }
  }
  if (Horizontally) scrolled = ScrollIntoView(FFocusedColumn, Center) || scrolled;
  return scrolled;
}

bool TBaseLazyTree_qn::ScrollIntoView(TColumnIndex Column, bool Center) {
  TLazyTreeColumns* columns = FHeader->Columns();
  if (!FHeader->UseColumns() || !columns->IsValidColumn(Column)) return false;
  Integer left = columns->Items(Column)->Left();
  Integer right = left + columns->Items(Column)->Width();
  Integer fixed = columns->GetVisibleFixedWidth();
  Integer client = ClientWidth();
  Integer offset = FEffectiveOffsetX;
  if (Center) {
    offset = FEffectiveOffsetX + left - fixed / 2 - client / 2 + (right - left) / 2;
  } else if (right > client) {
    offset = FEffectiveOffsetX + (right - client);
  } else if (left < fixed) {
    offset = FEffectiveOffsetX - (fixed - left);
  }
  if (offset != FEffectiveOffsetX)
    SetOffsetX(UseRightToLeftAlignment() ? client - FRangeX + offset : -offset);
  return true;
}

PLazyNode TBaseLazyTree_qn::TopNode() {
  Integer top = 0;
  return GetNodeAt(0, 0, true, top);
}

PLazyNode TBaseLazyTree_qn::BottomNode() {
  Integer top = 0;
  return GetNodeAt(0, ClientHeight() - 1, true, top);
}

void TBaseLazyTree_qn::SetTopNode(PLazyNode Node) {
  if (!Node || Node == FRoot) return;
  ExpandParents(this, Node);
  if (!HandleAllocated()) return;
  TRect r = GetDisplayRect(Node, FHeader->MainColumn(), true);
  SetOffsetY(FOffsetY - r.Top);
}

void TBaseLazyTree_qn::SetBottomNode(PLazyNode Node) {
  if (!Node || Node == FRoot) return;
  ExpandParents(this, Node);
  if (!HandleAllocated()) return;
  TRect r = GetDisplayRect(Node, FHeader->MainColumn(), true);
  Integer y = FOffsetY + ClientHeight() - r.Top - Integer(GetNodeHeight(Node));
  // The client area is not scrolled here, so what moved is repainted.
  if (DoSetOffsetXY(TPoint(FOffsetX, y), {suoRepaintScrollbars, suoUpdateNCArea}) && HandleAllocated() &&
      FUpdateCount == 0)
    InvalidateRect(Handle(), nullptr, false);
}

// ---------------------------------------------------------------------------
// Messages

bool TBaseLazyTree_qn::ScrollDispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_HSCROLL: WMHScroll(Message); return true;
    case WM_VSCROLL: WMVScroll(Message); return true;
    case CM_MOUSEWHEEL: CMMouseWheel(Message); return true;
    case WM_SIZE: WMSize(Message); return true;
    default: return false;
  }
}

void TBaseLazyTree_qn::WMHScroll(TMessage& Message) {
  Integer dir = UseRightToLeftAlignment() ? -1 : 1;
  Integer page = ClientWidth() - FHeader->Columns()->GetVisibleFixedWidth();
  Integer step = Integer(FScrollBarOptions->HorizontalIncrement());
  switch (LOWORD(Message.WParam)) {
    case SB_LINELEFT: SetOffsetX(FOffsetX + step * dir); break;
    case SB_LINERIGHT: SetOffsetX(FOffsetX - step * dir); break;
    case SB_PAGELEFT: SetOffsetX(FOffsetX + page * dir); break;
    case SB_PAGERIGHT: SetOffsetX(FOffsetX - page * dir); break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK: {
      DoStateChange({tsThumbTracking});
      SCROLLINFO si{};
      si.cbSize = sizeof si;
      si.fMask = SIF_TRACKPOS;
      GetScrollInfo(Handle(), SB_HORZ, &si);
      SetOffsetX(dir < 0 ? ClientWidth() - FRangeX + si.nTrackPos : -si.nTrackPos);
      break;
    }
    case SB_LEFT: SetOffsetX(0); break;
    case SB_RIGHT: SetOffsetX(-FRangeX); break;
    case SB_ENDSCROLL:
      DoStateChange({}, {tsThumbTracking});
      UpdateHorizontalScrollBar(false);
      break;
    default: break;
  }
  Message.Result = 0;
}

void TBaseLazyTree_qn::WMVScroll(TMessage& Message) {
  Integer step = Integer(FScrollBarOptions->VerticalIncrement());
  switch (LOWORD(Message.WParam)) {
    case SB_LINEUP: SetOffsetY(FOffsetY + step); break;
    case SB_LINEDOWN: SetOffsetY(FOffsetY - step); break;
    case SB_PAGEUP: SetOffsetY(FOffsetY + ClientHeight()); break;
    case SB_PAGEDOWN: SetOffsetY(FOffsetY - ClientHeight()); break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK: {
      DoStateChange({tsThumbTracking});
      SCROLLINFO si{};
      si.cbSize = sizeof si;
      si.fMask = SIF_TRACKPOS;
      GetScrollInfo(Handle(), SB_VERT, &si);
      SetOffsetY(-si.nTrackPos);
      break;
    }
    case SB_TOP: SetOffsetY(0); break;
    case SB_BOTTOM: SetOffsetY(-Integer(FRoot->TotalHeight)); break;
    case SB_ENDSCROLL:
      DoStateChange({}, {tsThumbTracking});
      // The bar was left alone while its thumb was dragged.
      UpdateScrollBars(true);
      RedrawWindow(Handle(), nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_NOERASE | RDW_NOCHILDREN);
      break;
    default: break;
  }
  Message.Result = 0;
}

void TBaseLazyTree_qn::CMMouseWheel(TMessage& Message) {
  StopWheelPanning();
  // The wheel events (and a parent that takes the wheel) come first.
  inherited::Dispatch(Message);
  if (Message.Result != 0) return;
  Message.Result = 1;
  TWMMouseWheel m(Message);
  double factor = m.WheelDelta() / 120.0;
  TShiftState shift = KeysToShiftState(Word(m.Keys()));
  bool ctrl = shift.Contains(ssCtrl);
  UINT lines = 3;
  SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
  // The platform's "one page per notch" setting.
  bool pageLines = lines == UINT(-1);
  if (ClientHeight() < FRangeY && !shift.Contains(ssShift)) {
    double amount;
    if (ctrl || pageLines) amount = ClientHeight() * factor;
    else amount = double(lines) * factor * double(FDefaultNodeHeight);
    SetOffsetY(FOffsetY + TruncPixels(amount));
  } else {
    Integer page = ClientWidth() - FHeader->Columns()->GetVisibleFixedWidth();
    double amount;
    if (ctrl || pageLines) amount = page * factor;
    else amount = double(lines) * factor * FHeader->Columns()->GetScrollWidth();
    Integer dir = UseRightToLeftAlignment() ? -1 : 1;
    SetOffsetX(FOffsetX + dir * TruncPixels(amount));
  }
}

void TBaseLazyTree_qn::WMSize(TMessage& Message) {
  inherited::Dispatch(Message);
  if (!HandleAllocated() || FStates.Contains(tsSizing) || FStates.Contains(tsWindowCreating) || ClientHeight() <= 0)
    return;
  DoStateChange({tsSizing});
  struct TLeave {
    TBaseLazyTree_qn* T;
    ~TLeave() { T->DoStateChange({}, {tsSizing}); }
  } leave{this};
  // Spring columns and the right-to-left offset measure the header, which
  // is as wide as the window.
  UpdateHeaderRect();
  FHeader->RescaleHeader();
  FHeader->UpdateSpringColumns();
  UpdateScrollBars(true);
  if (FStates.Contains(tsEditing) && !FHeader->UseColumns()) UpdateEditBounds();
}

// ---------------------------------------------------------------------------
// Auto scroll

bool TBaseLazyTree_qn::CanAutoScroll() {
  bool panning = FStates.Contains(tsWheelPanning) || FStates.Contains(tsWheelScrolling);
  if (!FOptions->AutoOptions().Contains(toAutoScroll) && !panning) return false;
  if (!FHeader->States().Empty()) return false;
  return IsMouseSelecting() || IsDropTarget() || FStates.Contains(tsVCLDragging) || panning;
}

TScrollDirections TBaseLazyTree_qn::DetermineScrollDirections(Integer X, Integer Y) {
  TScrollDirections result;
  if (!CanAutoScroll()) return result;
  using enum TScrollDirection;
  if (FStates.Contains(tsWheelPanning) || FStates.Contains(tsWheelScrolling)) {
    if (X - FLastClickPos.X < -kPanDeadZone) result.Include(sdLeft);
    if (X - FLastClickPos.X > kPanDeadZone) result.Include(sdRight);
    if (Y - FLastClickPos.Y < -kPanDeadZone) result.Include(sdUp);
    if (Y - FLastClickPos.Y > kPanDeadZone) result.Include(sdDown);
    return result;
  }
  Integer zone = Integer(FDefaultNodeHeight);
  Integer clientWidth = ClientWidth(), clientHeight = ClientHeight();
  if (X < zone && FEffectiveOffsetX != 0) result.Include(sdLeft);
  if (clientWidth + FEffectiveOffsetX < FRangeX && X > clientWidth - zone) result.Include(sdRight);
  if (Y < zone && FOffsetY != 0) result.Include(sdUp);
  if (clientHeight - FOffsetY < FRangeY && Y > clientHeight - zone) result.Include(sdDown);
  if (result.Empty()) {
    // Out of every zone: the next entry waits again.
    FDragScrollStart = 0;
    return result;
  }
  // A drag over the tree waits before it scrolls, so that passing the edge
  // on the way to a target does not move the view. The drag target is
  // found at the screen point; a rubber band scrolls at once.
  bool dragging = IsDropTarget();
  if (!dragging && FStates.Contains(tsVCLDragging) && HandleAllocated()) {
    POINT p{X, Y};
    ::vcl::ClientToScreen(Handle(), &p);
    dragging = FindDragTarget(TPoint(p.X, p.Y), false) == this;
  }
  if (dragging) {
    if (FDragScrollStart == 0) FDragScrollStart = timeGetTime();
    if (timeGetTime() - FDragScrollStart < FAutoScrollDelay) result = TScrollDirections();
  }
  return result;
}

void TBaseLazyTree_qn::DoAutoScroll(Integer X, Integer Y) {
  FScrollDirections = DetermineScrollDirections(X, Y);
  if (FStates.Contains(tsWheelPanning) || FStates.Contains(tsWheelScrolling)) return;
  bool running = FStates.Contains(tsScrollPending) || FStates.Contains(tsScrolling);
  if (FScrollDirections.Empty()) {
    if (running) {
      StopTimer(ScrollTimer);
      DoStateChange({}, {tsScrollPending, tsScrolling});
    }
  } else if (!running && HandleAllocated()) {
    DoStateChange({tsScrollPending});
    SetTimer(Handle(), ScrollTimer, FAutoScrollDelay, nullptr);
  }
}

void TBaseLazyTree_qn::ScrollTimerExpired() {
  if (FStates.Contains(tsScrollPending)) {
    if (Application) Application->CancelHint();
    SetTimer(Handle(), ScrollTimer, FAutoScrollInterval, nullptr);
    DoStateChange({tsScrolling}, {tsScrollPending});
  }
  DoTimerScroll();
}

bool TBaseLazyTree_qn::DoTimerScroll() {
  if (!HandleAllocated() || !Visible()) return false;
  using enum TScrollDirection;
  POINT screen;
  GetCursorPos(&screen);
  RECT r = ClientRect();
  MapWindowPoints(Handle(), nullptr, reinterpret_cast<POINT*>(&r), 2);
  bool inRect = PtInRect(TRect(r), TPoint(screen.X, screen.Y));
  POINT p = screen;
  ::vcl::ScreenToClient(Handle(), &p);
  bool panning = FStates.Contains(tsWheelPanning) || FStates.Contains(tsWheelScrolling);
  bool selecting = IsMouseSelecting();
  bool result = false;
  if (!selecting && !inRect && !panning) return false;

  Integer deltaX = 0, deltaY = 0;
  Integer clientWidth = ClientWidth(), clientHeight = ClientHeight();
  Integer stepY = std::min(Integer(FScrollBarOptions->VerticalIncrement()), clientHeight);
  Integer stepX = Integer(FScrollBarOptions->HorizontalIncrement());
  // Outside the client area the step grows with the distance to it.
  auto beyond = [](Integer Distance) { return Distance > 0 ? Distance : 1; };
  if (FScrollDirections.Contains(sdUp)) {
    deltaY = panning ? FLastClickPos.Y - p.Y - kPanDeadZone : stepY * beyond(r.Top - screen.Y);
    if (FOffsetY == 0) FScrollDirections.Exclude(sdUp);
  }
  if (FScrollDirections.Contains(sdDown)) {
    deltaY = panning ? FLastClickPos.Y - p.Y + kPanDeadZone : -stepY * beyond(screen.Y - r.Bottom);
    if (clientHeight - FOffsetY == FRangeY) FScrollDirections.Exclude(sdDown);
  }
  if (FScrollDirections.Contains(sdLeft)) {
    deltaX = panning ? FLastClickPos.X - p.X - kPanDeadZone : stepX * beyond(r.Left - screen.X);
    if (FEffectiveOffsetX == 0) FScrollDirections.Exclude(sdLeft);
  }
  if (FScrollDirections.Contains(sdRight)) {
    deltaX = panning ? FLastClickPos.X - p.X + kPanDeadZone : -stepX * beyond(screen.X - r.Right);
    if (clientWidth + FEffectiveOffsetX == FRangeX) FScrollDirections.Exclude(sdRight);
  }
  if (UseRightToLeftAlignment()) deltaX = -deltaX;

  if (selecting) {
    // Only the part the band does not repaint anyway is scrolled.
    TRect clip = ClientRect();
    OffsetRect(clip, deltaX, deltaY);
    DoSetOffsetXY(TPoint(FOffsetX + deltaX, FOffsetY + deltaY), DefaultScrollUpdateFlags, &clip);
    if (CalculateSelectionRect(p.X, p.Y) && HandleDrawSelection(p.X, p.Y)) {
      InvalidateRect(Handle(), nullptr, false);
    } else {
      // The strip the scroll uncovered, then both band rectangles.
      OffsetRect(clip, deltaX, deltaY);
      RECT s = Subtracted(ClientRect(), clip);
      InvalidateRect(Handle(), &s, false);
      InvalidateSelectionBands();
    }
  } else if (!IsDropTarget() && (deltaX != 0 || deltaY != 0)) {
    // A drag of the drag manager scrolls in its own drag-over handling.
    result = DoSetOffsetXY(TPoint(FOffsetX + deltaX, FOffsetY + deltaY), DefaultScrollUpdateFlags);
  }
  UpdateWindow(Handle());
  if (FScrollDirections.Empty() && !panning) {
    StopTimer(ScrollTimer);
    DoStateChange({}, {tsScrollPending, tsScrolling});
  }
  return result;
}

// ---------------------------------------------------------------------------
// Wheel panning

namespace {
constexpr const char16_t* kPanningWindowClass = u"VTPanningWindow";

// The region of a marker's pixels that are not magenta: one row at a time,
// each run of such pixels a one-pixel-high rectangle.
HRGN RegionOfImage(TBitmap* Image) {
  HRGN result = CreateRectRgn(0, 0, 0, 0);
  Integer w = Image->Width();
  for (Integer y = 0; y < Image->Height(); ++y) {
    const uint32_t* row = static_cast<const uint32_t*>(Image->ScanLine(y));
    Integer x = 0;
    while (x < w) {
      while (x < w && (row[x] & 0xFFFFFF) == 0xFF00FF) ++x;
      Integer start = x;
      while (x < w && (row[x] & 0xFFFFFF) != 0xFF00FF) ++x;
      if (x > start) {
        HRGN run = CreateRectRgn(start, y, x, y + 1);
        CombineRgn(result, result, run, RGN_OR);
        DeleteObject(run);
      }
    }
  }
  return result;
}
}  // namespace

void TBaseLazyTree_qn::StartWheelPanning(TPoint Position) {
  if (!HandleAllocated()) return;
  StopTimer(ScrollTimer);
  DoStateChange({tsWheelPanning, tsWheelScrolling});
  HINSTANCE inst = FindClassHInstance(TBaseLazyTree_qn::StaticClass());
  WNDCLASSEXW wc{};
  bool registered = GetClassInfoExW(inst, kPanningWindowClass, &wc);
  if (!registered || wc.lpfnWndProc != &DefWindowProcW) {
    if (registered) UnregisterClassW(kPanningWindowClass, inst);
    wc = WNDCLASSEXW{};
    wc.lpfnWndProc = &DefWindowProcW;
    wc.hInstance = inst;
    wc.lpszClassName = kPanningWindowClass;
    RegisterClassExW(&wc);
  }
  POINT p{Position.X, Position.Y};
  ::vcl::ClientToScreen(Handle(), &p);
  FPanningWindow = CreateWindowExW(WS_EX_TOOLWINDOW, kPanningWindowClass, nullptr, WS_POPUP, p.X - 16, p.Y - 16, 32,
                                   32, Handle(), nullptr, inst, nullptr);
  bool wide = ClientWidth() < FRangeX, tall = ClientHeight() < FRangeY;
  const char16_t* name = wide && tall ? u"VT_MOVEALL" : wide ? u"VT_MOVEEW" : u"VT_MOVENS";
  FPanningImage = std::make_unique<TBitmap>();
  if (HBITMAP h = LoadBitmapW(inst, name)) FPanningImage->SetHandle(h);
  FPanningImage->SetPixelFormat(TPixelFormat::pf32bit);
  if (FPanningImage->Empty()) {
    StopWheelPanning();
    TreeAssert(false, u"Invalid wheel panning image.");
  }
  SetWindowRgn(FPanningWindow, RegionOfImage(FPanningImage.get()), false);
  FPanningWindowProc = MakeObjectInstance([this](TMessage& M) { PanningWindowProc(M); });
  SetWindowLongPtrW(FPanningWindow, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(FPanningWindowProc));
  ShowWindow(FPanningWindow, SW_SHOWNOACTIVATE);
  ::vcl::SetFocus(Handle());
  SetCapture(Handle());
  SetTimer(Handle(), ScrollTimer, 20, nullptr);
}

void TBaseLazyTree_qn::StopWheelPanning() {
  if (!FStates.Contains(tsWheelPanning) && !FStates.Contains(tsWheelScrolling)) return;
  StopTimer(ScrollTimer);
  if (HandleAllocated() && GetCapture() == Handle()) ReleaseCapture();
  DoStateChange({}, {tsWheelPanning, tsWheelScrolling});
  if (FPanningWindow) {
    DestroyWindow(FPanningWindow);
    FPanningWindow = nullptr;
  }
  if (FPanningWindowProc) {
    FreeObjectInstance(FPanningWindowProc);
    FPanningWindowProc = nullptr;
  }
  FPanningImage.reset();
  if (FPanningCursor) {
    DestroyCursor(FPanningCursor);
    FPanningCursor = nullptr;
  }
  if (Screen) ::vcl::SetCursor(Screen->Cursors(Integer(Cursor())));
}

void TBaseLazyTree_qn::AdjustPanningCursor(Integer X, Integer Y) {
  bool h = ClientWidth() < FRangeX, v = ClientHeight() < FRangeY;
  Integer dx = X - FLastClickPos.X, dy = Y - FLastClickPos.Y;
  const char16_t* name;
  if (std::abs(dx) < kPanDeadZone && std::abs(dy) < kPanDeadZone) {
    name = h && v ? u"VT_MOVEALL" : h ? u"VT_MOVEEW" : u"VT_MOVENS";
  } else if (h && v) {
    if (dx < -kPanDeadZone) name = dy < -kPanDeadZone ? u"VT_MOVENW" : dy > kPanDeadZone ? u"VT_MOVESW" : u"VT_MOVEW";
    else if (dx > kPanDeadZone) name = dy < -kPanDeadZone ? u"VT_MOVENE" : dy > kPanDeadZone ? u"VT_MOVESE" : u"VT_MOVEE";
    else name = Y < FLastClickPos.Y ? u"VT_MOVEN" : u"VT_MOVES";
  } else if (h) {
    name = X < FLastClickPos.X ? u"VT_MOVEW" : u"VT_MOVEE";
  } else {
    name = Y < FLastClickPos.Y ? u"VT_MOVEN" : u"VT_MOVES";
  }
  HCURSOR cursor = LoadCursorW(FindClassHInstance(TBaseLazyTree_qn::StaticClass()), name);
  if (cursor == FPanningCursor) {
    DestroyCursor(cursor);
    return;
  }
  if (FPanningCursor) DestroyCursor(FPanningCursor);
  FPanningCursor = cursor;
  ::vcl::SetCursor(cursor);
}

void TBaseLazyTree_qn::PanningWindowProc(TMessage& Message) {
  if (Message.Msg == WM_PAINT && FPanningImage) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(FPanningWindow, &ps);
    BitBlt(dc, 0, 0, FPanningImage->Width(), FPanningImage->Height(), FPanningImage->Canvas()->Handle(), 0, 0,
           SRCCOPY);
    EndPaint(FPanningWindow, &ps);
    Message.Result = 0;
    return;
  }
  Message.Result = DefWindowProcW(FPanningWindow, Message.Msg, Message.WParam, Message.LParam);
}

}  // namespace qn
