// The skinned trees: native bars kept out of the frame, the native scroll
// state copied to the skinned bars, the bars scrolling the tree, and the
// border panel's frame following focus and hover.
#include "treeview/uQuarnLazyTree.h"

#include "platform/vcl/ControlMessages.h"

namespace qn {

namespace {

constexpr DWORD kNativeBars = WS_HSCROLL | WS_VSCROLL;

// Clears what of Old this tree set up, unless the tree still refers to it
// through another property.
void Release(TComponent* Tree, TComponent* Old, std::initializer_list<const TComponent*> StillUsed) {
  if (!Old) return;
  for (const TComponent* c : StillUsed)
    if (c == Old) return;
  Old->RemoveFreeNotification(Tree);
}

}  // namespace

template <class TParent>
TQuarnLazyTree<TParent>::TQuarnLazyTree(TComponent* AOwner) : TParent(AOwner) {
  this->SetBorderStyle(bsNone);
}

template <class TParent>
TQuarnLazyTree<TParent>::~TQuarnLazyTree() {
  // A bar outliving the tree must not call into it.
  for (bool vertical : {true, false})
    if (TQuarnScrollBar* bar = vertical ? FVScrollBar : FHScrollBar)
      if (bar->OnChange() == ChangeHandler(vertical)) bar->SetOnChange(nullptr);
}

template <class TParent>
TNotifyEvent TQuarnLazyTree<TParent>::ChangeHandler(bool Vertical) {
  return Vertical ? TNotifyEvent(this, &TQuarnLazyTree::VScrollBarChange)
                  : TNotifyEvent(this, &TQuarnLazyTree::HScrollBarChange);
}

template <class TParent>
void TQuarnLazyTree<TParent>::SetBar(TQuarnScrollBar*& Field, TQuarnScrollBar* Value, bool Vertical) {
  TQuarnScrollBar* old = Field;
  Field = Value;
  if (old && old != Value) {
    if (old->OnChange() == ChangeHandler(Vertical)) old->SetOnChange(nullptr);
    Release(this, old, {FVScrollBar, FHScrollBar, FQuarnBorderPanel});
  }
  if (!Value) return;
  Value->FreeNotification(this);
  if (Designing()) return;
  Value->SetMin(0);
  Value->SetMax(0);
  Value->SetPosition(0);
  Value->SetAutoHide(true);
  Value->SetSmallChange(20);
  Value->SetBindingWinControl(this);
  Value->SetOnChange(ChangeHandler(Vertical));
  // A tree that already scrolls shows it on the new bar at once.
  if (this->HandleAllocated()) UpDateScrollRanges();
}

template <class TParent>
void TQuarnLazyTree<TParent>::SetQuarnBorderPanel(TQuarnBorderPanel* Value) {
  TQuarnBorderPanel* old = FQuarnBorderPanel;
  FQuarnBorderPanel = Value;
  if (old && old != Value) Release(this, old, {FVScrollBar, FHScrollBar, FQuarnBorderPanel});
  if (!Value) return;
  Value->FreeNotification(this);
  // The frame follows what the tree reports, not the panel's own mouse.
  Value->SetCMMouse(false);
}

template <class TParent>
void TQuarnLazyTree<TParent>::UpDateScrollRanges() {
  UpdateVerticalScrollBar(false);
  UpdateHorizontalScrollBar(false);
}

template <class TParent>
void TQuarnLazyTree<TParent>::Notification(TComponent* AComponent, TOperation Operation) {
  inherited::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  if (AComponent == FVScrollBar) FVScrollBar = nullptr;
  if (AComponent == FHScrollBar) FHScrollBar = nullptr;
  if (AComponent == FQuarnBorderPanel) FQuarnBorderPanel = nullptr;
}

template <class TParent>
void TQuarnLazyTree<TParent>::AlignControls(TControl* AControl, TRect& Rect) {
  UpDateScrollRanges();
  inherited::AlignControls(AControl, Rect);
}

template <class TParent>
void TQuarnLazyTree<TParent>::CreateParams(TCreateParams& Params) {
  inherited::CreateParams(Params);
  Params.Style &= ~kNativeBars;
}

template <class TParent>
void TQuarnLazyTree<TParent>::DoScroll(Integer DeltaX, Integer DeltaY) {
  inherited::DoScroll(DeltaX, DeltaY);
  // A scroll the bars caused is not written back into them.
  if (!FLockUpdate) UpDateScrollRanges();
}

template <class TParent>
void TQuarnLazyTree<TParent>::UpdateHorizontalScrollBar(bool DoRepaint) {
  inherited::UpdateHorizontalScrollBar(DoRepaint);
  SyncBar(FHScrollBar, SB_HORZ);
}

template <class TParent>
void TQuarnLazyTree<TParent>::UpdateVerticalScrollBar(bool DoRepaint) {
  inherited::UpdateVerticalScrollBar(DoRepaint);
  SyncBar(FVScrollBar, SB_VERT);
}

template <class TParent>
void TQuarnLazyTree<TParent>::SyncBar(TQuarnScrollBar* Skinned, int Bar) {
  if (!Skinned || Designing()) return;
  if (!this->Enabled()) {
    Skinned->SetEnabled(false);
    return;
  }
  SCROLLINFO si{};
  si.cbSize = sizeof si;
  si.fMask = SIF_ALL;
  // Without a window there is no scroll state; asking for the handle would
  // create one.
  bool ok = this->HandleAllocated() && GetScrollInfo(this->Handle(), Bar, &si);
  // The base tree empties a bar it has nothing to scroll with (page 0);
  // otherwise the page covers the canvas when it reaches one past nMax.
  if (!ok || si.nPage == 0 || Int64(si.nPage) >= Int64(si.nMax) + 1) {
    Skinned->SetRange(0, 0, 0, 0);
    if (Skinned->Enabled()) Skinned->SetEnabled(false);
  } else {
    Skinned->SetRange(0, si.nMax, si.nPos, Integer(si.nPage));
    if (!Skinned->Enabled()) Skinned->SetEnabled(true);
  }
}

template <class TParent>
void TQuarnLazyTree<TParent>::VScrollBarChange(TObject* Sender) {
  BarChanged(FVScrollBar, Sender, true);
}

template <class TParent>
void TQuarnLazyTree<TParent>::HScrollBarChange(TObject* Sender) {
  BarChanged(FHScrollBar, Sender, false);
}

template <class TParent>
void TQuarnLazyTree<TParent>::BarChanged(TQuarnScrollBar* Bar, TObject* Sender, bool Vertical) {
  if (!Bar) return;
  this->BeginUpdate();
  FLockUpdate = true;
  struct TEnd {
    TQuarnLazyTree* T;
    ~TEnd() {
      T->FLockUpdate = false;
      T->EndUpdate();
    }
  } end{this};
  Integer position = Bar->Position();
  if (Vertical) {
    this->SetOffsetY(-position);
  } else if (this->UseRightToLeftAlignment()) {
    // Right to left the bar counts from the canvas's right end, as the
    // native bar does.
    this->SetOffsetX(position - this->RangeX() + this->ClientWidth());
  } else {
    this->SetOffsetX(-position);
  }
  if (Assigned(FOnScrollBarChange)) FOnScrollBarChange(Sender);
}

template <class TParent>
void TQuarnLazyTree<TParent>::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_NCCALCSIZE:
      // The base tree's range code may have switched a native bar on since;
      // taking the bit away before the calculation keeps the room.
      if (this->HandleAllocated()) {
        const LONG style = GetWindowLongW(this->Handle(), GWL_STYLE);
        if (DWORD(style) & kNativeBars) SetWindowLongW(this->Handle(), GWL_STYLE, LONG(DWORD(style) & ~kNativeBars));
      }
      inherited::Dispatch(Message);
      return;
    case CM_ENTER:
    case CM_EXIT:
    case CM_MOUSEENTER:
    case CM_MOUSELEAVE: {
      inherited::Dispatch(Message);
      if (!FQuarnBorderPanel) return;
      const bool mouse = Message.Msg == CM_MOUSEENTER || Message.Msg == CM_MOUSELEAVE;
      FQuarnBorderPanel->UpdateFrame(mouse, Message.Msg == CM_ENTER || Message.Msg == CM_MOUSEENTER);
      return;
    }
    case CM_ENABLEDCHANGED:
      // Bars disabled with the tree come back with it.
      inherited::Dispatch(Message);
      UpDateScrollRanges();
      return;
    default: inherited::Dispatch(Message);
  }
}

template class TQuarnLazyTree<TLazyStringTree_qn>;
template class TQuarnLazyTree<TLazyDrawTree_qn>;

void InitQuarnLazyTree() {
  RegisterClasses({TQuarnLazyStringTree::StaticClass(), TQuarnLazyDrawTree::StaticClass()});
}

}  // namespace qn

QN_PUBLISHED_IMPL(qn::TQuarnLazyStringTree)
QN_PUBLISHED_IMPL(qn::TQuarnLazyDrawTree)
