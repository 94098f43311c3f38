#include "skin/extended/uQuarnTabset.h"

#include <cstdlib>

#include "platform/comctl/CommCtrl.h"
#include "platform/vcl/Bitmap.h"
#include "platform/vcl/ControlMessages.h"

namespace qn {

namespace {

bool TabHolds(const TRect& R, const TPoint& P) { return P.X >= R.Left && P.X < R.Right && P.Y >= R.Top && P.Y < R.Bottom; }

TPoint TabMessagePoint(const TMessage& Message) {
  return TPoint(static_cast<int16_t>(Message.LParam & 0xFFFF), static_cast<int16_t>((Message.LParam >> 16) & 0xFFFF));
}

constexpr TColor DragMaskColour = static_cast<TColor>(0x00FF00FF);

}  // namespace

// ---------------------------------------------------------------------------
// TQnTabsetItemDragObject

TQnTabsetItemDragObject::TQnTabsetItemDragObject(TQuarnCustomTabset* Tabset) : FTabset(Tabset) {}

TQnTabsetItemDragObject::~TQnTabsetItemDragObject() {
  if (FTabset && FTabset->FDragObject == this) FTabset->FDragObject = nullptr;
}

TDragImageList* TQnTabsetItemDragObject::GetDragImages() {
  if (FDragImages) return FDragImages.get();
  if (!FTabset) return nullptr;
  const Integer index = FTabset->FDragItemIndex;
  if (index < 0 || index >= FTabset->Items()->Count()) return nullptr;
  const TRect r = FTabset->Items()->Items(index)->Rect();
  if (r.Width() <= 0 || r.Height() <= 0) return nullptr;
  // The back buffer has not been repainted since the tab was hidden: it
  // still shows the tab.
  TBitmap bmp;
  bmp.SetPixelFormat(TPixelFormat::pf32bit);
  bmp.SetSize(r.Width(), r.Height());
  bmp.Canvas()->Brush()->SetColor(DragMaskColour);
  TBitmap32* buffer = FTabset->Buffer();
  for (Integer y = 0; y < r.Height(); ++y)
    for (Integer x = 0; x < r.Width(); ++x) {
      const Integer sx = r.Left + x, sy = r.Top + y;
      const TColor32 c = sx >= 0 && sy >= 0 && sx < buffer->Width() && sy < buffer->Height()
                             ? buffer->GetPixel(sx, sy)
                             : Color32(ColorToRGB(DragMaskColour));
      bmp.Canvas()->SetPixels(x, y, static_cast<TColor>(RGB(Byte(c >> 16), Byte(c >> 8), Byte(c))));
    }
  FDragImages = std::make_unique<TDragImageList>(nullptr);
  FDragImages->SetSize(r.Width(), r.Height());
  FDragImages->SetMasked(true);
  FDragImages->AddMasked(&bmp, DragMaskColour);
  return FDragImages.get();
}

void TQnTabsetItemDragObject::HideDragImage() {
  if (TDragImageList* images = GetDragImages()) images->HideDragImage();
}

void TQnTabsetItemDragObject::ShowDragImage() {
  if (TDragImageList* images = GetDragImages()) images->ShowDragImage();
}

void TQnTabsetItemDragObject::Finished(TObject* Target, Integer X, Integer Y, bool Accepted) {
  TDragObjectEx::Finished(Target, X, Y, Accepted);
  if (FOnFinished) FOnFinished(this);
}

// ---------------------------------------------------------------------------
// TQuarnCustomTabset

TQuarnCustomTabset::TQuarnCustomTabset(TComponent* AOwner) : TQuarnCustomToolbar(AOwner) {
  const TNotifyEvent repaint(this, &TQuarnCustomTabset::RepaintOnChange);
  FCloseButton = std::make_unique<TPngPictures>();
  FCloseButton->SetImage(u"QuarnMini_close_btn");
  FCloseButton->SetCount(2);
  FCloseButton->SetNormal(0);
  FCloseButton->SetHot(1);
  FCloseButton->SetPressed(1);
  FCloseButton->SetActive(true);
  FCloseButton->SetPicturesChanged(repaint);
  FCloseButtonOffset = std::make_unique<TQnCloseButtonOffset>();
  FCloseButtonOffset->SetOnChanged(repaint);
  FButtonImage->SetImage(u"QuarnColor_tabs");
  FCBHotIndex = -1;
  SetAlpha(255);
  SetBorderSides(TSides{});
  SetSpaceSize(0);
  SetButtonWidth(110);
  SetButtonHeight(38);
  SetHeight(38);
  Font()->SetSize(9);
  Font()->SetColor(static_cast<TColor>(0x00181818));
  FFontHot->SetSize(9);
  FFontHot->SetColor(static_cast<TColor>(0x005146E3));
  FFontDown->SetSize(9);
  FFontDown->SetColor(static_cast<TColor>(0x00FFFFFF));
  FCloseButtonVisible = false;
  FMousePressed = false;
  FAllowDragTab = false;
  FMouseHooked = false;
}

TQuarnCustomTabset::~TQuarnCustomTabset() {
  // A drag still under way must not reach back into a freed tab set.
  if (FDragObject) {
    FDragObject->FTabset = nullptr;
    FDragObject->SetOnFinished(TNotifyEvent());
  }
  FSourceDragToolbarItem = FDestDragToolbarItem = nullptr;
}

void TQuarnCustomTabset::SetCloseButtonVisible(bool Value) {
  if (FCloseButtonVisible == Value) return;
  FCloseButtonVisible = Value;
  Invalidate();
}

bool TQuarnCustomTabset::IsItem(const TQuarnToolbarItem* Item) const {
  if (!Item) return false;
  for (Integer i = 0; i < FItems->Count(); ++i)
    if (FItems->GetItems(i) == Item) return true;
  return false;
}

void TQuarnCustomTabset::ItemDestroying(TQuarnToolbarItem* Item) {
  TQuarnCustomToolbar::ItemDestroying(Item);
  // Application code may delete tabs in the middle of a drag.
  if (Item == FSourceDragToolbarItem) FSourceDragToolbarItem = nullptr;
  if (Item == FDestDragToolbarItem) FDestDragToolbarItem = nullptr;
}

void TQuarnCustomTabset::FreePlaceholder() {
  TQuarnToolbarItem* p = FDestDragToolbarItem;
  FDestDragToolbarItem = nullptr;
  delete p;
}

TRect TQuarnCustomTabset::CloseButtonRect(const TQuarnToolbarItem* Item) {
  const TRect& r = Item->Rect();
  const Integer w = FCloseButton->GetSingleWidth(), h = FCloseButton->GetSingleHeight();
  const Integer ox = FCloseButtonOffset->X(), oy = FCloseButtonOffset->Y();
  return TRect(r.Right - ox - w, r.Top + oy, r.Right - ox, r.Top + oy + h);
}

bool TQuarnCustomTabset::ShowsCloseButton(TQuarnToolbarItem* Item) {
  if (!FCloseButtonVisible) return false;
  bool show = true;
  if (FOnPaintCloseButton) FOnPaintCloseButton(this, Item, show);
  return show;
}

Integer TQuarnCustomTabset::GetExWidth() {
  if (!FCloseButtonVisible) return 0;
  return FCloseButton->GetSingleWidth() + FCloseButtonOffset->X();
}

void TQuarnCustomTabset::DoButtonWidthChanged(TObject* Sender, Integer& Width) {
  if (FCloseButtonVisible) Width += 22;
  TQuarnCustomToolbar::DoButtonWidthChanged(Sender, Width);
}

void TQuarnCustomTabset::DoDrawItem(TBitmap32* Buffer, TQuarnToolbarItemData* ItemData) {
  TQuarnCustomToolbar::DoDrawItem(Buffer, ItemData);
  if (Designing()) return;
  if (!ShowsCloseButton(ItemData)) return;
  const Integer index = ItemData->Index();
  Integer frame = FCloseButton->Normal();
  if (index == FCBHotIndex) frame = FMousePressed ? FCloseButton->Pressed() : FCloseButton->Hot();
  TQuarnImage* strip = nullptr;
  TRect src;
  if (FCloseButton->FrameRect(frame, strip, src)) {
    const TRect at = CloseButtonRect(ItemData);
    strip->DrawTo(Buffer, at.Left, at.Top, src);
  }
}

void TQuarnCustomTabset::DoOnCloseButtonClick(Integer) {
  if (!FOnCloseButtonClick) return;
  FMouseHooked = true;
  FOnCloseButtonClick(this, FCBHotIndex);
}

void TQuarnCustomTabset::MouseEnter() { TQuarnCustomToolbar::MouseEnter(); }

void TQuarnCustomTabset::MouseLeave() {
  FCBHotIndex = -1;
  FMousePressed = false;
  TQuarnCustomToolbar::MouseLeave();
}

void TQuarnCustomTabset::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_MOUSEMOVE: {
      TQuarnCustomToolbar::WMMouseMove(Message);
      const TPoint p = TabMessagePoint(Message);
      Integer c = -1;
      if (FCloseButtonVisible && FHotOtherBtn == gbNone && FHotItemIndex >= 0 && FHotItemIndex < FItems->Count()) {
        TQuarnToolbarItem* hot = FItems->GetItems(FHotItemIndex);
        if (ShowsCloseButton(hot) && TabHolds(CloseButtonRect(hot), p)) c = FHotItemIndex;
      }
      if (c != FCBHotIndex) {
        FCBHotIndex = c;
        Invalidate();
      }
      if (FAllowDragTab && !FDragObject && FMousePressed && FHotItemIndex >= 0 && FHotItemIndex < FItems->Count() &&
          !FMouseHooked && (std::abs(p.X - FOldMouseDownPt.X) > 10 || std::abs(p.Y - FOldMouseDownPt.Y) > 10)) {
        FDragItemIndex = FHotItemIndex;
        TQuarnToolbarItem* item = FItems->GetItems(FDragItemIndex);
        item->SetVisible(false);
        FSourceDragToolbarItem = item;
        BeginDrag(false, -1);
        if (FDragObject)
          if (TDragImageList* images = FDragObject->GetDragImages())
            ImageList_SetDragCursorImage(images->Handle(), 0, 0, 0);
        bool accept = false;
        DragOver(nullptr, p.X, p.Y, dsDragMove, accept);
      }
      return;
    }
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
      FMouseHooked = false;
      if (!FMousePressed) FOldMouseDownPt = TabMessagePoint(Message);
      if (CanFocus()) SetFocus();
      if (FCloseButtonVisible && FCBHotIndex >= 0 && FCBHotIndex < FItems->Count()) {
        const Integer count = FItems->Count();
        DoOnCloseButtonClick(FCBHotIndex);
        FMousePressed = !FMouseHooked;
        // The handler took tabs away: the one under the pointer is another.
        if (FItems->Count() != count) FCBHotIndex = -1;
      } else {
        TQuarnCustomToolbar::WMLButtonDown(Message);
        FMousePressed = !FMouseHooked;
      }
      return;
    }
    case WM_LBUTTONUP:
      TQuarnCustomToolbar::WMLButtonUp(Message);
      FMouseHooked = false;
      FMousePressed = false;
      return;
    default: TQuarnCustomToolbar::Dispatch(Message);
  }
}

void TQuarnCustomTabset::DoStartDrag(TDragObject*& DragObject) {
  if (!FAllowDragTab) {
    TQuarnCustomToolbar::DoStartDrag(DragObject);
    return;
  }
  auto* o = new TQnTabsetItemDragObject(this);
  o->SetAlwaysShowDragImages(true);
  o->SetOnFinished(TNotifyEvent(this, &TQuarnCustomTabset::DoOnDragFinished));
  DragObject = o;
  FDragObject = o;
  FreePlaceholder();
}

void TQuarnCustomTabset::GetHitTest(Integer X, Integer Y) {
  for (Integer i = 0; i < FItems->Count(); ++i) {
    TQuarnToolbarItem* it = FItems->GetItems(i);
    if (it->Visible() && TabHolds(it->Rect(), TPoint(X, Y))) {
      if (FHotItemIndex != i) {
        FHotItemIndex = i;
        Invalidate();
      }
      return;
    }
  }
}

void TQuarnCustomTabset::DragOver(TObject* Source, Integer X, Integer Y, TDragState State, bool& Accept) {
  TQuarnCustomToolbar::DragOver(Source, X, Y, State, Accept);
  if (!FAllowDragTab) return;
  auto* tabsetDrag = dynamic_cast<TQnTabsetItemDragObject*>(Source);
  Accept = TabHolds(ClientRect(), TPoint(X, Y)) && (!Source || (tabsetDrag && tabsetDrag->Tabset() == this));
  GetHitTest(X, Y);
  const Integer target = FHotItemIndex >= 0 && FHotItemIndex < FItems->Count() ? FHotItemIndex : -1;
  if (FDestDragToolbarItem) {
    if (FDestDragToolbarItem->Index() == FHotItemIndex) return;
    FreePlaceholder();
  }
  if (!Accept) return;
  TQuarnToolbarItem* p = target >= 0 ? FItems->Insert(target) : FItems->Add();
  if (FSourceDragToolbarItem) p->Text()->SetText(FSourceDragToolbarItem->Text()->Text());
  p->Text()->SetVisible(false);
  FDestDragToolbarItem = p;
}

void TQuarnCustomTabset::DoOnDragFinished(TObject*) {
  FDragObject = nullptr;
  if (!FAllowDragTab) return;
  // Either tab may have been deleted by application code during the drag;
  // ItemDestroying has forgotten it then.
  if (TQuarnToolbarItem* src = FSourceDragToolbarItem) {
    src->SetVisible(true);
    if (FDestDragToolbarItem) src->SetIndex(FDestDragToolbarItem->Index());
  }
  FreePlaceholder();
  FSourceDragToolbarItem = nullptr;
  FDragItemIndex = -1;
  Invalidate();
}

void TQuarnCustomTabset::Notification(TComponent* AComponent, TOperation Operation) {
  TQuarnCustomToolbar::Notification(AComponent, Operation);
}

void InitQuarnTabset() { RegisterClasses({TQuarnTabset::StaticClass()}); }

}  // namespace qn

QN_PUBLISHED_IMPL(qn::TQnCloseButtonOffset)
QN_PUBLISHED_IMPL(qn::TQuarnTabset)
