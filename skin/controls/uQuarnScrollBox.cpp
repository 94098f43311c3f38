#include "skin/controls/uQuarnScrollBox.h"

#include <algorithm>

#include "platform/vcl/ControlMessages.h"

namespace qn {

TQuarnScrollBox::TQuarnScrollBox(TComponent* AOwner) : TQuarnPanel(AOwner) {
  SetControlStyle(ControlStyle() + TControlStyle{csAcceptsControls});
  SetBorderSides(TSides{});
  // Only the parent's picture shows; the children are the content.
  SetAlpha(0);
  SetColor(static_cast<TColor>(0xFFFFFF));
  SetBounds(Left(), Top(), 150, 150);
}

TQuarnScrollBox::~TQuarnScrollBox() {
  // The bars are not ours and may outlive the box.
  ReleaseBar(FHScrollBar);
  ReleaseBar(FVScrollBar);
}

void TQuarnScrollBox::ReleaseBar(TQuarnScrollBar* Bar) {
  if (!Bar) return;
  Bar->RemoveFreeNotification(this);
  if (Bar->OnChange() == TNotifyEvent(this, &TQuarnScrollBox::HScrollBarChange) ||
      Bar->OnChange() == TNotifyEvent(this, &TQuarnScrollBox::VScrollBarChange))
    Bar->SetOnChange(TNotifyEvent());
  if (Bar->OnLastChange() == TNotifyEvent(this, &TQuarnScrollBox::ScrollBarLastChange))
    Bar->SetOnLastChange(TNotifyEvent());
}

void TQuarnScrollBox::TakeBar(TQuarnScrollBar* Bar, bool Horizontal) {
  Bar->FreeNotification(this);
  Bar->SetCanFocused(false);
  Bar->SetEnabled(true);
  Bar->SetVisible(false);
  // The children start at the origin; a position left over from elsewhere
  // would be taken for a scroll that never happened.
  Bar->SetOnChange(TNotifyEvent());
  Bar->SetRange(0, 0, 0, 0);
  if (Horizontal) {
    FOldHScrollBarPos = 0;
    Bar->SetOnChange(TNotifyEvent(this, &TQuarnScrollBox::HScrollBarChange));
  } else {
    FOldVScrollBarPos = 0;
    Bar->SetOnChange(TNotifyEvent(this, &TQuarnScrollBox::VScrollBarChange));
  }
  Bar->SetOnLastChange(TNotifyEvent(this, &TQuarnScrollBox::ScrollBarLastChange));
}

void TQuarnScrollBox::SetHScrollBar(TQuarnScrollBar* Value) {
  if (FHScrollBar == Value) return;
  ReleaseBar(FHScrollBar);
  FHScrollBar = Value;
  if (!Value) return;
  TakeBar(Value, true);
  GetHRange();
}

void TQuarnScrollBox::SetVScrollBar(TQuarnScrollBar* Value) {
  if (FVScrollBar == Value) return;
  ReleaseBar(FVScrollBar);
  FVScrollBar = Value;
  if (!Value) return;
  TakeBar(Value, false);
  GetVRange();
}

void TQuarnScrollBox::Notification(TComponent* AComponent, TOperation Operation) {
  TQuarnPanel::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  if (AComponent == FVScrollBar) FVScrollBar = nullptr;
  if (AComponent == FHScrollBar) FHScrollBar = nullptr;
}

void TQuarnScrollBox::CreateParams(TCreateParams& Params) {
  TQuarnPanel::CreateParams(Params);
  // A resize must not repaint everything: scrolling relies on the children
  // staying where they are.
  Params.WindowClass.style &= ~(CS_HREDRAW | CS_VREDRAW);
}

void TQuarnScrollBox::Paint() { TCustomPaintBox32_qn::Paint(); }

void TQuarnScrollBox::SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight) {
  const Integer oldW = Width(), oldH = Height();
  TQuarnPanel::SetBounds(ALeft, ATop, AWidth, AHeight);
  FHSizeOffset = (oldW != 0 && Width() > oldW) ? Width() - oldW : 0;
  if (Align() != alNone) GetHRange();
  FVSizeOffset = (oldH != 0 && Height() > oldH) ? Height() - oldH : 0;
  if (Align() != alNone) GetVRange();
}

void TQuarnScrollBox::AdjustClientRect(TRect& Rect) {
  // Aligned children are laid out in an area as large as the scroll range,
  // shifted by the positions.
  Integer top = 0, height = ClientHeight(), left = 0, width = ClientWidth();
  if (FVScrollBar && FVScrollBar->Visible()) {
    top = -FVScrollBar->Position();
    height = std::max(FVScrollBar->Max(), ClientHeight());
  }
  if (FHScrollBar && FHScrollBar->Visible()) {
    left = -FHScrollBar->Position();
    width = std::max(FHScrollBar->Max(), ClientWidth());
  }
  Rect = TRect(left, top, left + width, top + height);
  TQuarnPanel::AdjustClientRect(Rect);
}

void TQuarnScrollBox::AlignControls(TControl* AControl, TRect& Rect) {
  UpDateScrollRange();
  TQuarnPanel::AlignControls(AControl, Rect);
}

void TQuarnScrollBox::UpDateScrollRange() {
  GetHRange();
  GetVRange();
}

void TQuarnScrollBox::GetHRange() { GetRange(true); }
void TQuarnScrollBox::GetVRange() { GetRange(false); }

void TQuarnScrollBox::GetRange(bool Horizontal) {
  TQuarnScrollBar* bar = Horizontal ? FHScrollBar : FVScrollBar;
  if (!bar || !Parent() || FInCheckScrollBars) return;
  Integer& offset = Horizontal ? FHSizeOffset : FVSizeOffset;
  Integer& oldPos = Horizontal ? FOldHScrollBarPos : FOldVScrollBarPos;
  // Children moved back by S are S nearer the origin: the recorded
  // position follows at once, so a position the next SetRange has to clamp
  // is scrolled by the bar's handler from where the children really are.
  auto scrollBack = [&](Integer S) {
    if (Horizontal) ScrollBy(S, 0);
    else ScrollBy(0, S);
    oldPos -= S;
  };

  const Integer client = Horizontal ? ClientWidth() : ClientHeight();
  // Children scrolled out to the left or top end at negative coordinates;
  // 0 stands only for having none.
  bool any = false;
  Integer extent = 0;
  for (Integer i = 0; i < ControlCount(); ++i) {
    TControl* c = Controls(i);
    if (!c->Visible()) continue;
    const Integer end = Horizontal ? c->Left() + c->Width() : c->Top() + c->Height();
    extent = any ? std::max(extent, end) : end;
    any = true;
  }
  const Integer p = bar->Position();
  // The children's extent measured from the unscrolled origin; with none
  // left there is nothing to scroll, wherever the bar stood.
  const Integer content = any ? p + extent : 0;

  bool show = false, hide = false;
  if (content <= client) {
    // Everything fits: back to the origin.
    if (p > 0) scrollBack(p);
    offset = 0;
    bar->SetRange(0, 0, 0, 0);
    hide = bar->Visible();
  } else {
    show = !bar->Visible();
    const Integer m = content - 1;
    if (p >= 1 && extent < client && offset >= 1) {
      // The box grew while scrolled: the children come back by the growth.
      offset = std::min(offset, p);
      scrollBack(offset);
      bar->SetRange(0, m, p - offset, client);
      oldPos = bar->Position();
    } else if (offset == 0 && m < bar->Max() && p >= 1 && extent < client) {
      // The content shrank while scrolled: close the gap at the end.
      const Integer s = std::min(client - extent, p);
      scrollBack(s);
      bar->SetRange(0, m, p - s, client);
      oldPos = bar->Position();
    } else {
      bar->SetRange(0, m, p, client);
      offset = 0;
      oldPos = bar->Position();
    }
  }

  if (!show && !hide) return;
  FInCheckScrollBars = true;
  try {
    bar->SetVisible(show);
    if (Align() != alNone) {
      // The bar beside an aligned box takes or gives room: lay out the
      // parent's children and then ours in the new sizes.
      Parent()->Realign();
      Realign();
    }
  } catch (...) {
    FInCheckScrollBars = false;
    throw;
  }
  FInCheckScrollBars = false;
}

void TQuarnScrollBox::ReChange() {
  SetHeight(Height() + 1);
  SetHeight(Height() - 1);
}

void TQuarnScrollBox::HScrollBarChange(TObject*) {
  if (!FHScrollBar) return;
  const Integer pos = FHScrollBar->Position();
  ScrollBy(-(pos - FOldHScrollBarPos), 0);
  FOldHScrollBarPos = pos;
}

void TQuarnScrollBox::VScrollBarChange(TObject*) {
  if (!FVScrollBar) return;
  const Integer pos = FVScrollBar->Position();
  ScrollBy(0, -(pos - FOldVScrollBarPos));
  Invalidate();
  FOldVScrollBarPos = pos;
}

void TQuarnScrollBox::ScrollBarLastChange(TObject*) { Invalidate(); }

void TQuarnScrollBox::HScroll(Integer Pos) {
  if (!FHScrollBar || FHScrollBar->PageSize() == 0) return;
  // The bar's change handler moves the children, by the difference from
  // where they are; moving them here as well would scroll twice.
  FHScrollBar->SetPosition(Pos);
}

void TQuarnScrollBox::VScroll(Integer Pos) {
  if (!FVScrollBar || FVScrollBar->PageSize() == 0) return;
  const Int64 top = Int64(FVScrollBar->Max()) - FVScrollBar->PageSize() + 1;
  if (Pos > top) Pos = static_cast<Integer>(top);
  FVScrollBar->SetPosition(Pos);
}

void TQuarnScrollBox::ScrollToControl(TControl* Control) {
  if (!Control || Control->Parent() != this) return;
  // Offset that brings [Start, Start + Size) into [0, Client): the start
  // when it lies before the view or the whole does not fit, else just
  // enough to show the end.
  auto delta = [](Integer Start, Integer Size, Integer Client) -> Integer {
    if (Start < 0 || Size > Client) return Start;
    if (Start + Size > Client) return Start + Size - Client;
    return 0;
  };
  if (FHScrollBar && FHScrollBar->Visible() && FHScrollBar->PageSize() != 0)
    if (const Integer dx = delta(Control->Left(), Control->Width(), ClientWidth()))
      FHScrollBar->SetPosition(FHScrollBar->Position() + dx);
  if (FVScrollBar && FVScrollBar->Visible() && FVScrollBar->PageSize() != 0)
    if (const Integer dy = delta(Control->Top(), Control->Height(), ClientHeight()))
      FVScrollBar->SetPosition(FVScrollBar->Position() + dy);
}

void TQuarnScrollBox::WndProc(TMessage& Message) {
  if (FCanFocused && !Designing() &&
      (Message.Msg == WM_LBUTTONDOWN || Message.Msg == WM_LBUTTONDBLCLK) && !Focused()) {
    FClicksDisabled = true;
    try {
      if (HandleAllocated()) ::vcl::SetFocus(WindowHandle());
    } catch (...) {
      FClicksDisabled = false;
      throw;
    }
    FClicksDisabled = false;
    if (!Focused()) return;
  }
  if (Message.Msg == CN_COMMAND && FClicksDisabled) return;
  TQuarnPanel::WndProc(Message);
}

void TQuarnScrollBox::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_WINDOWPOSCHANGING:
      if (Align() == alNone && HandleAllocated()) {
        GetVRange();
        GetHRange();
        return;
      }
      break;
    case CM_VISIBLECHANGED:
      TQuarnPanel::Dispatch(Message);
      if (FVScrollBar) FVScrollBar->SetVisible(Visible());
      if (FHScrollBar) FHScrollBar->SetVisible(Visible());
      // A bar with nothing to scroll must not come back with the box.
      if (Visible()) UpDateScrollRange();
      return;
    default:
      break;
  }
  TQuarnPanel::Dispatch(Message);
}

void InitQuarnScrollBox() { RegisterClasses({TQuarnScrollBox::StaticClass()}); }

}  // namespace qn

QN_PUBLISHED_IMPL(qn::TQuarnScrollBox)
