// The toolbar's mouse, keyboard and hint handling: hover state, presses
// and releases on items, drop-down arrows and scroll buttons, the repeat
// timer of a held scroll button, arrow keys and the hot item's hint.
#include "platform/vcl/ControlMessages.h"
#include "platform/vcl/Forms.h"
#include "skin/extended/uQuarnToolbar.h"

namespace qn {

namespace {

bool ButtonHolds(const TRect& R, const TPoint& P) { return P.X >= R.Left && P.X < R.Right && P.Y >= R.Top && P.Y < R.Bottom; }

TPoint MessagePoint(const TMessage& Message) {
  return TPoint(static_cast<int16_t>(Message.LParam & 0xFFFF), static_cast<int16_t>((Message.LParam >> 16) & 0xFFFF));
}

}  // namespace

void TQuarnCustomToolbar::SetAllowArrowKeys(bool Value) {
  if (FAllowArrowKeys == Value) return;
  FAllowArrowKeys = Value;
  SetTabStop(Value);
  SetOptions(Value ? TPaintBoxOptions{pboWantArrowKeys} : TPaintBoxOptions{});
}

void TQuarnCustomToolbar::WMMouseMove(TMessage& Message) {
  TQuarnCustomPanel::Dispatch(Message);
  const TPoint p = MessagePoint(Message);
  const bool scrollActive = FEnabledScroll && FScrollButtonVisible;
  for (const auto& [rect, kind] : {std::pair{FGoBackBtnRect, gbBack}, std::pair{FGoFrontBtnRect, gbFront}}) {
    if (scrollActive && ButtonHolds(rect, p)) {
      FHotItemIndex = -1;
      if (FHotOtherBtn != kind) {
        FHotOtherBtn = kind;
        Invalidate();
      }
      return;
    }
  }
  bool repaint = false, found = false;
  // The arrow area counts only while it is the hot item's: leaving it for a
  // gap or a plain item must not leave a press aimed at an arrow.
  TOtherButtonKind area = gbNone;
  for (Integer i = 0; i < FItems->Count(); ++i) {
    TQuarnToolbarItem* it = FItems->GetItems(i);
    if (!it->Enabled() || !it->Visible() || !ButtonHolds(it->FRect, p)) continue;
    found = true;
    if (i != FHotItemIndex) {
      FHotItemIndex = i;
      repaint = true;
      if (ShowHint()) Application->CancelHint();
      Application->ActivateHint(ClientToScreen(p));
    }
    if (it->FDropdownMenu && ButtonHolds(it->FMenuButtonRect, p)) area = gbMenu;
    break;
  }
  if (area != FHotOtherBtn) {
    FHotOtherBtn = area;
    repaint = true;
  }
  if (repaint) {
    Invalidate();
  } else if (!found && FHotItemIndex != -1) {
    FHotItemIndex = -1;
    Invalidate();
  }
}

void TQuarnCustomToolbar::WMLButtonDown(TMessage& Message) {
  TQuarnCustomPanel::Dispatch(Message);
  if (FHotOtherBtn == gbBack || FHotOtherBtn == gbFront) {
    FDownOtherBtn = true;
    FTimer->SetEnabled(true);
    return;
  }
  FFocusItemIndex = GetItemAt(MessagePoint(Message));
  if (FFocusItemIndex == -1) return;
  FDownOtherBtn = FHotOtherBtn == gbMenu;
  if (FDownOtherBtn) {
    Invalidate();
    return;
  }
  TQuarnToolbarItem* it = FItems->GetItems(FFocusItemIndex);
  if (!it->Enabled()) return;
  if (!it->AllowAllUp()) DoSetItemDown();
  else it->FDown = !it->FDown;
}

void TQuarnCustomToolbar::WMLButtonUp(TMessage& Message) {
  TQuarnCustomPanel::Dispatch(Message);
  const bool wasOther = FDownOtherBtn;
  FDownOtherBtn = false;
  FTimer->SetEnabled(false);
  if (FFocusItemIndex >= 0) {
    if (wasOther && FHotOtherBtn != gbMenu) {
      Invalidate();
      return;
    }
    if (FFocusItemIndex < FItems->Count()) {
      TQuarnToolbarItem* it = FItems->GetItems(FFocusItemIndex);
      if (it->FDropdownMenu && FHotOtherBtn == gbMenu) {
        const TPoint at = ClientToScreen(
            TPoint(it->FRect.Left + FDropdownMenuOffset->X(), it->FRect.Bottom + FDropdownMenuOffset->Y()));
        it->FDropdownMenu->Popup(at.X, at.Y);
        return;
      }
      if (it->FDown && it->FGroupIndex == 0 && !it->FAllowAllUp) it->FDown = false;
      if (FFocusItemIndex == FHotItemIndex && it->Enabled() && it->Kind() == tkButton) it->Click();
    }
  }
  Invalidate();
}

void TQuarnCustomToolbar::CMHintShow(TMessage& Message) {
  TQuarnCustomPanel::Dispatch(Message);
  THintInfo* info = HintInfoOf(Message);
  if (info && FHotItemIndex >= 0 && FHotItemIndex < FItems->Count()) info->HintStr = FItems->GetItems(FHotItemIndex)->Hint();
}

void TQuarnCustomToolbar::KeyDown(Word& Key, TShiftState Shift) {
  TQuarnCustomPanel::KeyDown(Key, Shift);
  if (!FAllowArrowKeys) return;
  SetOptions(TPaintBoxOptions{pboWantArrowKeys});
  const Word back = FMultiLine ? VK_UP : VK_LEFT, front = FMultiLine ? VK_DOWN : VK_RIGHT;
  if (Key == back && FFocusItemIndex - 1 >= 0) SetFocusItemIndex(FFocusItemIndex - 1);
  else if (Key == front && FFocusItemIndex + 1 <= FItems->Count() - 1) SetFocusItemIndex(FFocusItemIndex + 1);
}

}  // namespace qn
