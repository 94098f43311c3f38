#include "skin/extended/uQuarnIconButtonList.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/comctl/CommCtrl.h"
#include "platform/rtl/Math.h"
#include "platform/vcl/Bitmap.h"
#include "platform/vcl/Forms.h"
#include "skin/foundation/uQnComm.h"
#include "skin/foundation/uQnPix32Lib.h"
#include "skin/foundation/uQuarnResManager.h"

namespace qn {

namespace {

// Rect of Src copied opaquely to (DX, DY) of Dst; what lies outside either
// bitmap is left alone.
void CopyPixels(TBitmap32* Src, const TRect& R, TBitmap32* Dst, Integer DX, Integer DY) {
  // Clip the source rectangle against both bitmaps once, then copy rows.
  Integer l = std::max({R.Left, 0, R.Left - DX}), t = std::max({R.Top, 0, R.Top - DY});
  Integer r = std::min({R.Right, Src->Width(), Dst->Width() - DX + R.Left});
  Integer b = std::min({R.Bottom, Src->Height(), Dst->Height() - DY + R.Top});
  if (l >= r || t >= b) return;
  for (Integer y = t; y < b; ++y)
    std::memcpy(Dst->GetPixelPtr(DX + (l - R.Left), DY + (y - R.Top)), Src->GetPixelPtr(l, y),
                size_t(r - l) * sizeof(TColor32));
}

bool InRect(const TRect& R, Integer X, Integer Y) { return X >= R.Left && X < R.Right && Y >= R.Top && Y < R.Bottom; }

// Columns (or rows) of cells of Pitch that fit Span, at most Count; the
// alignment's offset. Pitch <= 0 makes no grid, so the origin is 0.
Integer AlignedOrigin(Integer Span, Integer M, Integer Pitch, Integer Cell, Integer Count, bool Centre) {
  (void)Cell;
  if (Pitch <= 0 || !(Pitch + 2 * M < Span)) return 0;
  const Integer n = std::min((Span - 2 * M) / Pitch, Count);
  const Integer S = Pitch - Cell;
  if (Centre) return ((Span - 2 * M - Pitch * n + S) / 2) + M;
  return Span - (M + Pitch * n - S);
}

}  // namespace

// ---------------------------------------------------------------------------
// Items

TQnIconButtonItem::TQnIconButtonItem(TCollection* Collection) : TCollectionItem(Collection) {
  FAngle = Single(Random(6) - 3);
}

TQuarnCustomIconButtonList* TQnIconButtonItem::List() const {
  auto* items = dynamic_cast<TQnIconButtonItems*>(Collection());
  return items ? items->IconButtonList() : nullptr;
}

void TQnIconButtonItem::Assign(TPersistent* Source) {
  auto* s = dynamic_cast<TQnIconButtonItem*>(Source);
  if (!s) {
    TCollectionItem::Assign(Source);
    return;
  }
  SetVisible(s->FVisible);
  SetEnabled(s->FEnabled);
  SetCaption(s->FCaption);
  SetCaptionHint(s->FCaptionHint);
  SetTag(s->FTag);
  SetChecked(s->FChecked);
  SetReadOnly(s->FReadOnly);
  SetOwnerDraw(s->FOwnerDraw);
  SetImageNormalIndex(s->FImageNormalIndex);
  SetImageHotIndex(s->FImageHotIndex);
  SetImagePressedIndex(s->FImagePressedIndex);
  SetImageDisibleIndex(s->FImageDisibleIndex);
}

void TQnIconButtonItem::SetIndexField(Integer& Field, Integer Value) {
  if (Field == Value) return;
  Field = Value;
  Changed(false);
}

void TQnIconButtonItem::SetVisible(bool Value) {
  if (FVisible == Value) return;
  FVisible = Value;
  Changed(false);
}

void TQnIconButtonItem::SetEnabled(bool Value) {
  if (FEnabled == Value) return;
  FEnabled = Value;
  Changed(false);
}

void TQnIconButtonItem::SetCaption(const String& Value) {
  if (FCaption == Value) return;
  FCaption = Value;
  Changed(false);
}

void TQnIconButtonItem::SetChecked(bool Value) {
  if (FChecked == Value) return;
  FChecked = Value;
  Changed(false);
}

void TQnIconButtonItem::Click() {
  if (FOnClick) FOnClick(this);
  if (TQuarnCustomIconButtonList* l = List()) l->DoClickItem(this, Index());
}

void TQnIconButtonItem::Invalidate() {
  TQuarnCustomIconButtonList* l = List();
  if (!l) return;
  if (l->FRedrawItems->IndexOf(this) < 0) l->FRedrawItems->Add(this);
  l->LockBuffer();
  if (l->HandleAllocated()) {
    // The buffer is rebuilt, but only the cell reaches the window.
    l->SetBufferValid(false);
    RECT r = FRect;
    InvalidateRect(l->Handle(), &r, false);
  }
}

TQnIconButtonItems::TQnIconButtonItems(TQuarnCustomIconButtonList* List)
    : TCollection(TQnIconButtonItemData::StaticClass()), FIconButtonList(List) {}

TPersistent* TQnIconButtonItems::GetOwner() { return FIconButtonList; }

TQnIconButtonItem* TQnIconButtonItems::AddItem(TQnIconButtonItem* Item, Integer Index) {
  TQnIconButtonItem* item = Item;
  if (!item) item = FIconButtonList ? FIconButtonList->CreateIconButtonItem() : Add();
  if (item->Collection() != this) item->SetCollection(this);
  if (Index >= 0 && Index < Count()) item->SetIndex(Index);
  return item;
}

void TQnIconButtonItems::Update(TCollectionItem* Item) {
  TCollection::Update(Item);
  if (UpdateCount() != 0 || !FIconButtonList || FIconButtonList->ComponentState().Contains(csDestroying)) return;
  FIconButtonList->UpdateScrollBar();
  FIconButtonList->Invalidate();
}

void TQnIconButtonItems::Deleting(TCollectionItem* Item) {
  TQuarnCustomIconButtonList* l = FIconButtonList;
  auto* item = static_cast<TQnIconButtonItem*>(Item);
  if (l) l->DoFreeItem(l, item);
  TCollection::Deleting(Item);
  if (l && UpdateCount() == 0 && !l->ComponentState().Contains(csDestroying)) l->Invalidate();
}

// Items leave by Delete or by being freed on their own; either way a drag
// whose item or placeholder goes away must not touch it later.
void TQnIconButtonItems::Notify(TCollectionItem* Item, TCollectionNotification Action) {
  TCollection::Notify(Item, Action);
  TQuarnCustomIconButtonList* l = FIconButtonList;
  if (!l || Action == cnAdded) return;
  auto* item = static_cast<TQnIconButtonItem*>(Item);
  if (l->FSourceDragButtonItem == item) l->FSourceDragButtonItem = nullptr;
  if (l->FDestDragButtonItem == item) l->FDestDragButtonItem = nullptr;
  if (l->FRedrawItems) l->FRedrawItems->Remove(item);
}

// ---------------------------------------------------------------------------
// The drag object

TQnItemDragObject::TQnItemDragObject(TQuarnCustomIconButtonList* List) : FList(List) {}

TQnItemDragObject::~TQnItemDragObject() {
  if (FList) FList->ForgetDragObject(this);
}

TDragImageList* TQnItemDragObject::GetDragImages() {
  if (FDragImages || !FList) return FDragImages.get();
  TQnIconButtonItem* item = FList->FSourceDragButtonItem;
  if (!item) return nullptr;
  TCustomImageList* images = FList->FImages;
  const Integer w = images ? images->Width() : FList->FItemWidth;
  const Integer h = images ? images->Height() : FList->FItemHeight;
  if (w <= 0 || h <= 0) return nullptr;
  TBitmap bmp;
  bmp.SetPixelFormat(TPixelFormat::pf32bit);
  bmp.SetSize(w, h);
  bmp.Canvas()->Brush()->SetColor(clFuchsia);
  bmp.Canvas()->FillRect(TRect(0, 0, w, h));
  if (images) {
    const Integer index = item->ImageHotIndex() >= 0 ? item->ImageHotIndex() : item->ImageNormalIndex();
    if (index >= 0 && index < images->Count()) images->Draw(bmp.Canvas(), 0, 0, index, true);
  } else {
    FList->Buffer()->DrawTo(bmp.Canvas()->Handle(), TRect(0, 0, w, h), item->Rect());
  }
  FDragImages = std::make_unique<TDragImageList>(nullptr);
  FDragImages->SetSize(w, h);
  FDragImages->AddMasked(&bmp, clFuchsia);
  return FDragImages.get();
}

void TQnItemDragObject::Finished(TObject* Target, Integer X, Integer Y, bool Accepted) {
  TDragObjectEx::Finished(Target, X, Y, Accepted);
  if (FList && FOnFinished) FOnFinished(this);
}

void TQnItemDragObject::ForgetControl(TControl* C) {
  TDragObjectEx::ForgetControl(C);
  if (C == FList) FList = nullptr;
}

// ---------------------------------------------------------------------------
// The list

TQuarnCustomIconButtonList::TQuarnCustomIconButtonList(TComponent* AOwner) : TQuarnCustomPanel(AOwner) {
  FImagesChangeLink = std::make_unique<TChangeLink>();
  FImagesChangeLink->OnChange = TNotifyEvent(this, &TQuarnCustomIconButtonList::ImagesChange);
  FItems = std::make_unique<TQnIconButtonItems>(this);
  FRedrawItems = std::make_unique<TRedrawList>();
  FDispOffset = TPoint(FMarginBorderSize, FMarginBorderSize);
  SetBounds(Left(), Top(), 361, 281);
}

TQuarnCustomIconButtonList::~TQuarnCustomIconButtonList() {
  if (FDragObject) {
    FDragObject->ForgetControl(this);
    FDragObject = nullptr;
  }
  FSourceDragButtonItem = FDestDragButtonItem = nullptr;
  FItems.reset();
  FRedrawItems.reset();
  if (FImages) FImages->UnRegisterChanges(FImagesChangeLink.get());
  FImagesChangeLink.reset();
}

TQnIconButtonItem* TQuarnCustomIconButtonList::CreateIconButtonItem() {
  return static_cast<TQnIconButtonItem*>(FItems->Add());
}

void TQuarnCustomIconButtonList::SetImages(TCustomImageList* Value) {
  if (FImages == Value) return;
  if (FImages) {
    FImages->UnRegisterChanges(FImagesChangeLink.get());
    FImages->RemoveFreeNotification(this);
  }
  FImages = Value;
  if (FImages) {
    FImages->RegisterChanges(FImagesChangeLink.get());
    FImages->FreeNotification(this);
  }
  Invalidate();
}

void TQuarnCustomIconButtonList::ImagesChange(TObject*) { Update(); }

void TQuarnCustomIconButtonList::Notification(TComponent* AComponent, TOperation Operation) {
  TQuarnCustomPanel::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FImages) {
    FImages = nullptr;
    Invalidate();
  }
}

void TQuarnCustomIconButtonList::SetItemWidth(Integer Value) {
  if (Value < 1) return;
  Change(FItemWidth, Value);
}

void TQuarnCustomIconButtonList::SetItemHeight(Integer Value) {
  if (Value < 1) return;
  FItemHeight = Value;
}

void TQuarnCustomIconButtonList::SetItemSpaceSize(Integer Value) { Change(FItemSpaceSize, Value); }

void TQuarnCustomIconButtonList::SetMarginBorderSize(Integer Value) {
  if (FMarginBorderSize == Value) return;
  FMarginBorderSize = Value;
  FDispOffset = TPoint(Value, Value);
  Invalidate();
}

void TQuarnCustomIconButtonList::SetAlignWithItems(TQnItemHAlign Value) { Change(FAlignWithItems, Value); }
void TQuarnCustomIconButtonList::SetCaptionVisible(bool Value) { Change(FCaptionVisible, Value); }
void TQuarnCustomIconButtonList::SetCaptionWordWarp(bool Value) { Change(FCaptionWordwarp, Value); }
void TQuarnCustomIconButtonList::SetItemHotImage(const TQnResID& Value) { Change(FItemHotImage, Value); }
void TQuarnCustomIconButtonList::SetShakeInEdit(bool Value) { Change(FShakeInEdit, Value); }

void TQuarnCustomIconButtonList::EnterEdit() {
  FEditing = true;
  if (FShakeInEdit && HandleAllocated()) SetTimer(Handle(), QnIconListShakeTimerID, 10, nullptr);
  Invalidate();
}

void TQuarnCustomIconButtonList::ExitEdit() {
  FEditing = false;
  if (FShakeInEdit && HandleAllocated()) KillTimer(Handle(), QnIconListShakeTimerID);
  Invalidate();
}

void TQuarnCustomIconButtonList::SetFocusItemIndex(Integer Value) {
  if (Value == FFocusItemIndex) return;
  bool allow = true;
  DoFocusChanging(this, FFocusItemIndex, Value, allow);
  if (!allow) return;
  FFocusItemIndex = Value;
  Invalidate();
}

TQnIconButtonItem* TQuarnCustomIconButtonList::GetItemAt(const TPoint& P) {
  if (FItemBeginIndex < 0 || FItems->Count() <= FItemEndIndex) return nullptr;
  for (Integer i = FItemBeginIndex; i <= FItemEndIndex; ++i) {
    TQnIconButtonItem* item = FItems->Items(i);
    if (InRect(item->FRect, P.X, P.Y)) return item;
  }
  return nullptr;
}

void TQuarnCustomIconButtonList::LockBuffer() {
  TBitmap32* b = Buffer();
  auto copy = std::make_unique<TBitmap32>();
  copy->SetSize(b->Width(), b->Height());
  CopyPixels(b, TRect(0, 0, b->Width(), b->Height()), copy.get(), 0, 0);
  FItemsBuffer = std::move(copy);
}

bool TQuarnCustomIconButtonList::DragRunning() const { return Dragging(); }

// ---------------------------------------------------------------------------
// Layout

TPoint TQuarnCustomIconButtonList::GridOrigin() {
  const Integer W = GetDPIScaledPixels(this, FItemWidth), H = GetDPIScaledPixels(this, FItemHeight);
  const Integer S = GetDPIScaledPixels(this, FItemSpaceSize), M = GetDPIScaledPixels(this, FMarginBorderSize);
  const Integer n = FItems->Count();
  TPoint o;
  o.X = FAlignWithItems == ihaLeft ? FDispOffset.X : AlignedOrigin(Width(), M, S + W, W, n, FAlignWithItems == ihaCenter);
  o.Y = FAlignVWithItems == ihavTop ? FDispOffset.Y
                                    : AlignedOrigin(Height(), M, S + H, H, n, FAlignVWithItems == ihavCenter);
  return o;
}

Integer TQuarnCustomIconButtonList::CalcItemsHeight() {
  const Integer W = GetDPIScaledPixels(this, FItemWidth), H = GetDPIScaledPixels(this, FItemHeight);
  const Integer S = GetDPIScaledPixels(this, FItemSpaceSize), M = GetDPIScaledPixels(this, FMarginBorderSize);
  Integer x = M, rows = M, last = 0;
  bool any = false;
  for (TCollectionItem* ci : *FItems) {
    auto* item = static_cast<TQnIconButtonItem*>(ci);
    if (!item->FVisible) continue;
    any = true;
    if (x + W >= Width() - M) {
      rows += H + S;
      x = M;
    }
    last = H + S;
    x += W + S;
  }
  // Nothing shown has no height, so the bar goes.
  if (!any) return 0;
  return M + rows + last - S;
}

// ---------------------------------------------------------------------------
// Scroll bar

void TQuarnCustomIconButtonList::UpdateScrollBar() {
  if (FItems->Count() == 0 || FHideScrollbar) {
    DoHideScrollBar();
    return;
  }
  const Integer total = CalcItemsHeight();
  const Integer c = ClientHeight() == 0 ? 1 : ClientHeight();
  if (total / c < 1) {
    DoHideScrollBar();
    return;
  }
  DoShowScrollBar();
  FScrollBar->SetSmallChange(FScrollSize);
  FScrollBar->SetLargeChange(2 * FScrollSize);
  const Integer p = FScrollBar->Position() == 0 ? -FMarginBorderSize : std::abs(FDispOffset.Y);
  FScrollBar->SetRange(0, total, p, ClientHeight());
}

void TQuarnCustomIconButtonList::DoShowScrollBar() {
  if (FScrollBar) return;
  FScrollBar = new TQuarnScrollBar(this);
  FScrollBar->SetKind(sbVertical);
  FScrollBar->SetWidth(10);
  FScrollBar->SetPageSize(0);
  FScrollBar->SetMin(0);
  FScrollBar->SetPosition(0);
  FScrollBar->SetOnChange(TNotifyEvent(this, &TQuarnCustomIconButtonList::ScrollBarChange));
  FScrollBar->SetParent(this);
  FScrollBar->SetAlign(alRight);
  FScrollBar->SetVisible(true);
}

void TQuarnCustomIconButtonList::DoHideScrollBar() {
  FDispOffset = TPoint(FMarginBorderSize, FMarginBorderSize);
  if (!FScrollBar) return;
  TQuarnScrollBar* bar = FScrollBar;
  FScrollBar = nullptr;
  bar->SetVisible(false);
  delete bar;
}

void TQuarnCustomIconButtonList::ScrollBarChange(TObject*) {
  if (!FScrollBar) return;
  FDispOffset.Y = FMarginBorderSize - FScrollBar->Position();
  if (!HandleAllocated()) return;
  KillTimer(Handle(), QnIconListScrollTimerID);
  SetTimer(Handle(), QnIconListScrollTimerID, 5, nullptr);
}

// ---------------------------------------------------------------------------
// Painting

void TQuarnCustomIconButtonList::DrawItemFace(TBitmap32* Work, TQnIconButtonItem* Item, Integer Index,
                                              const TRect& R) {
  const Integer W = R.Right - R.Left, H = R.Bottom - R.Top;
  if (!Item->FOwnerDraw) {
    Integer textH = 0;
    if (FCaptionVisible) {
      Work->Font()->Assign(Font());
      textH = Work->TextHeight(u"Aa");
    }
    const Integer imgH = FImages ? FImages->Height() : 0;
    Integer iconX = 0, iconY = 0;
    const bool hot = Index == FHotItemIndex;
    if (hot) {
      if (TQuarnImage* hotImage = TQuarnResManagerObj()->GetImageByName(FItemHotImage))
        DrawImage(hotImage, Work, ftAutoStretch);
    }
    if (FImages && Item->FImageNormalIndex >= 0 && Item->FImageNormalIndex < FImages->Count()) {
      iconX = (W - FImages->Width()) / 2;
      iconY = FCaptionVisible ? (H - FImages->Height() - textH) / 2 : (H - FImages->Height()) / 2;
      Integer index;
      if (!Item->FEnabled) {
        index = Item->FImageDisibleIndex;
      } else if (hot && !DragRunning()) {
        index = Item->FImageHotIndex;
        if (FMousePressed) {
          iconX += FPressedOffset;
          iconY += FPressedOffset;
          index = Item->FImagePressedIndex >= 0 ? Item->FImagePressedIndex : Item->FImageHotIndex;
        }
      } else {
        index = Item->FImageNormalIndex;
      }
      if (index < 0) index = Item->FImageNormalIndex;
      if (index >= 0 && index < FImages->Count()) FImages->Draw(Work->Canvas(), iconX, iconY, index, true);
    }
    if (FCaptionVisible) {
      if (!FCaptionWordwarp) {
        TRect tr(0, iconY + imgH + 3, W, iconY + imgH + 3 + textH + 1);
        Work->Textout(tr, DT_CENTER | DT_VCENTER | DT_SINGLELINE, Item->FCaption);
      } else {
        Work->Canvas()->Font()->Assign(Work->Font());
        RECT m(0, 0, W - 10, 0);
        String t = Item->FCaption;
        DrawTextW(Work->Canvas()->Handle(), t.data(), Integer(t.size()), &m, DT_CALCRECT | DT_WORDBREAK);
        const Integer h = m.Bottom - m.Top;
        TRect tr(5, H - h, W - 5, H);
        Work->Textout(tr, DT_CENTER | DT_WORDBREAK | DT_EDITCONTROL, Item->FCaption);
      }
    }
  }
  if (!FEditing || Item->FOwnerDraw) return;
  if (!Item->FReadOnly) {
    // Only the badge under the pointer lights up.
    const bool hotBadge = FMouseInDeleteButton && Index == FHotItemIndex;
    TQuarnImage* badge = TQuarnResManagerObj()->GetImageByName(hotBadge ? FPngDeleteHot : FPngDeleteNormal);
    if (badge) {
      const Integer at = FMousePressed ? 2 : 1;
      badge->DrawTo(Work, at, at);
      Item->FDeleteBtnRect = TRect(R.Left, R.Top, R.Left + badge->Width(), R.Top + badge->Height());
    } else {
      Item->FDeleteBtnRect = TRect();
    }
  }
  if (FShakeInEdit && Index != FHotItemIndex && !DragRunning()) {
    if (Item->FAngleReverse) {
      Item->FAngle += 1.0f;
      if (Item->FAngle > 2.0f) {
        Item->FAngle = 2.0f;
        Item->FAngleReverse = false;
      }
    } else {
      Item->FAngle -= 1.0f;
      if (Item->FAngle < -2.0f) {
        Item->FAngle = -2.0f;
        Item->FAngleReverse = true;
      }
    }
    ShakeBitmap(Work, Item->FAngle);
  }
}

void TQuarnCustomIconButtonList::DrawBody(TBitmap32* Buffer) {
  const bool partial = FRedrawItems->Count() > 0 && FItemsBuffer;
  TQuarnCustomPanel::DrawBody(Buffer);
  if (partial) {
    // Everything but the queued cells comes back from the snapshot; those
    // cells start again from the fresh panel.
    TBitmap32 fresh;
    fresh.SetSize(Buffer->Width(), Buffer->Height());
    CopyPixels(Buffer, TRect(0, 0, Buffer->Width(), Buffer->Height()), &fresh, 0, 0);
    CopyPixels(FItemsBuffer.get(), TRect(0, 0, FItemsBuffer->Width(), FItemsBuffer->Height()), Buffer, 0, 0);
    for (Integer k = 0; k < FRedrawItems->Count(); ++k) {
      const TRect r = static_cast<TQnIconButtonItem*>(FRedrawItems->Get(k))->FRect;
      CopyPixels(&fresh, r, Buffer, r.Left, r.Top);
    }
  }
  FItemsBuffer.reset();
  Buffer->BeginUpdate();
  const TPoint origin = GridOrigin();
  const Integer W = GetDPIScaledPixels(this, FItemWidth), H = GetDPIScaledPixels(this, FItemHeight);
  const Integer S = GetDPIScaledPixels(this, FItemSpaceSize), M = GetDPIScaledPixels(this, FMarginBorderSize);
  Integer x = origin.X, y = origin.Y;
  TBitmap32 work;
  work.SetSize(W, H);
  FItemBeginIndex = FItems->Count() - 1;
  FItemEndIndex = -1;
  const bool dragging = DragRunning();
  Integer laid = 0;
  for (Integer i = 0; i < FItems->Count(); ++i) {
    TQnIconButtonItem* item = FItems->Items(i);
    if (!item->FVisible) continue;
    // The first cell shown never wraps, whatever its index.
    if (Width() - M < x + W && laid > 0) {
      x = origin.X;
      y += H + S;
    }
    ++laid;
    const TRect R(x, y, x + W, y + H);
    item->FRect = R;
    if (dragging && item == FDestDragButtonItem) {
      x += W + S;
      continue;
    }
    if (R.Bottom >= 0 && Height() >= R.Top) {
      FItemBeginIndex = std::min(FItemBeginIndex, i);
      FItemEndIndex = std::max(FItemEndIndex, i);
      const bool wanted = !partial || FRedrawItems->IndexOf(item) >= 0;
      if (wanted) {
        work.Clear(0);
        CopyPixels(Buffer, R, &work, 0, 0);
        DrawItemFace(&work, item, i, R);
        CopyPixels(&work, TRect(0, 0, W, H), Buffer, R.Left, R.Top);
        DoDrawItem(Buffer, item);
      }
    }
    x += W + S;
  }
  FRedrawItems->Clear();
  DrawBorder(Buffer);
  Buffer->EndUpdate();
}

// ---------------------------------------------------------------------------
// Virtual events

void TQuarnCustomIconButtonList::DoDrawItem(TBitmap32* Buffer, TQnIconButtonItem* Item) {
  if (FOnDrawItem) FOnDrawItem(this, Buffer, dynamic_cast<TQnIconButtonItemData*>(Item));
}

void TQuarnCustomIconButtonList::DoHotChanged(Integer OldIndex, Integer NewIndex) {
  if (FOnHotChanged) FOnHotChanged(this, OldIndex, NewIndex);
}

void TQuarnCustomIconButtonList::DoClickItem(TObject* Sender, Integer Index) {
  if (FOnClickItem) FOnClickItem(Sender, Index);
}

void TQuarnCustomIconButtonList::DoFreeItem(TObject* Sender, TQnIconButtonItem* Item) {
  if (FOnFreeItem) FOnFreeItem(Sender, Item);
}

void TQuarnCustomIconButtonList::DoFocusChanging(TObject* Sender, Integer OldIndex, Integer NewIndex, bool& Allow) {
  if (FOnFocusChanging) FOnFocusChanging(Sender, OldIndex, NewIndex, Allow);
}

void TQuarnCustomIconButtonList::DoGetCursor(TCursor& Cursor) {
  if (FOnGetCursor) FOnGetCursor(this, Cursor);
}

// ---------------------------------------------------------------------------
// Mouse

void TQuarnCustomIconButtonList::GetHitTest(Integer X, Integer Y) {
  const Integer old = FHotItemIndex;
  Integer hit = -1;
  for (Integer i = 0; i < FItems->Count(); ++i) {
    TQnIconButtonItem* item = FItems->Items(i);
    if (item->FEnabled && item->FVisible && InRect(item->FRect, X, Y)) {
      hit = i;
      break;
    }
  }
  if (hit >= 0) {
    if (hit != FHotItemIndex) {
      FHotItemIndex = hit;
      DoHotChanged(old, hit);
      FMousePressed = false;
    }
    TQnIconButtonItem* item = FItems->Items(hit);
    FMouseInDeleteButton = FEditing && !item->FReadOnly && InRect(item->FDeleteBtnRect, X, Y);
  } else if (FHotItemIndex >= 0 && !DragRunning()) {
    FHotItemIndex = -1;
    FMouseInDeleteButton = false;
    DoHotChanged(old, -1);
  }
  if (FHotItemIndex != old && FRedrawItems->Count() == 0 && !FFastDrawMode) Invalidate();
}

void TQuarnCustomIconButtonList::MouseLeave() {
  TQuarnCustomPanel::MouseLeave();
  FMousePressed = false;
  if (FHotItemIndex >= 0 && !DragRunning()) {
    FHotItemIndex = -1;
    FMouseInDeleteButton = false;
    if (!FFastDrawMode) Invalidate();
  }
}

void TQuarnCustomIconButtonList::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  TQuarnCustomPanel::MouseDown(Button, Shift, X, Y);
  if (Button != mbLeft && Button != mbRight) return;
  if (CanFocus()) SetFocus();
  GetHitTest(X, Y);
  if (FHotItemIndex < 0) return;
  bool allow = true;
  DoFocusChanging(this, FFocusItemIndex, FHotItemIndex, allow);
  if (!allow) return;
  if (Button == mbLeft && !FEditing) FMousePressed = true;
  const Integer oldFocus = FFocusItemIndex;
  FFocusItemIndex = FHotItemIndex;
  if (!ValidIndex(FFocusItemIndex)) return;
  TQnIconButtonItem* item = FItems->Items(FFocusItemIndex);
  if (!item->FEnabled) return;
  if (!FEditing) {
    if (!FMultiChecked && ValidIndex(oldFocus)) FItems->Items(oldFocus)->SetChecked(false);
    item->SetChecked(!item->FChecked);
  } else if (FAutoDrag && !FMouseInDeleteButton && Button == mbLeft) {
    StartItemDrag(FFocusItemIndex, X, Y);
    return;
  }
  if (FFastDrawMode) item->Invalidate();
  else Invalidate();
}

void TQuarnCustomIconButtonList::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  TQuarnCustomPanel::MouseUp(Button, Shift, X, Y);
  if (Button != mbLeft) return;
  FMousePressed = false;
  if (ValidIndex(FFocusItemIndex) && FFocusItemIndex == FHotItemIndex) {
    TQnIconButtonItem* item = FItems->Items(FHotItemIndex);
    if (item->FEnabled) {
      if (FEditing && FMouseInDeleteButton && !item->FOwnerDraw) {
        bool canDelete = true;
        if (FOnDeleteClick) FOnDeleteClick(this, FHotItemIndex, canDelete);
        if (canDelete && ValidIndex(FHotItemIndex)) {
          FMouseInDeleteButton = false;
          FItems->Delete(FHotItemIndex);
        }
      } else if (!FEditing || item->FOwnerDraw) {
        item->Click();
      }
      if (FFastDrawMode && ValidIndex(FFocusItemIndex)) FItems->Items(FFocusItemIndex)->Invalidate();
    }
  }
  if (!FFastDrawMode) Invalidate();
}

// ---------------------------------------------------------------------------
// Drag reordering

void TQuarnCustomIconButtonList::StartItemDrag(Integer Index, Integer X, Integer Y) {
  FDragItemIndex = Index;
  TQnIconButtonItem* item = FItems->Items(Index);
  FSourceDragButtonItem = item;
  item->SetVisible(false);
  BeginDrag(false, -1);
  if (!Dragging()) {
    // No drag came of it (another one runs): the item shows again.
    if (FSourceDragButtonItem) FSourceDragButtonItem->SetVisible(true);
    FSourceDragButtonItem = nullptr;
    return;
  }
  if (FDragObject) {
    if (TDragImageList* images = FDragObject->GetDragImages())
      ImageList_SetDragCursorImage(images->Handle(), 0, 0, 0);
  }
  bool accept = false;
  DragOver(nullptr, X, Y, dsDragMove, accept);
}

void TQuarnCustomIconButtonList::DoStartDrag(TDragObject*& DragObject) {
  TQuarnCustomPanel::DoStartDrag(DragObject);
  if (!FAutoDrag) return;
  auto* o = new TQnItemDragObject(this);
  o->SetAlwaysShowDragImages(true);
  o->SetOnFinished(TNotifyEvent(this, &TQuarnCustomIconButtonList::DragFinished));
  DragObject = o;
  FDragObject = o;
  if (FDestDragButtonItem) {
    TQnIconButtonItem* p = FDestDragButtonItem;
    FDestDragButtonItem = nullptr;
    delete p;
  }
}

void TQuarnCustomIconButtonList::DragOver(TObject* Source, Integer X, Integer Y, TDragState State, bool& Accept) {
  TQuarnCustomPanel::DragOver(Source, X, Y, State, Accept);
  if (!FAutoDrag) return;
  auto* itemSource = dynamic_cast<TQnItemDragObject*>(Source);
  Accept = InRect(ClientRect(), X, Y) && (!Source || (itemSource && itemSource->List() == this));
  GetHitTest(X, Y);
  Integer target = FItems->Count();
  if (ValidIndex(FHotItemIndex)) {
    const TRect& r = FItems->Items(FHotItemIndex)->FRect;
    if (X < r.Left + (r.Right - r.Left) / 2 && Source) target = std::max(FHotItemIndex - 1, 0);
    else target = FHotItemIndex + 1 < FItems->Count() ? FHotItemIndex + 1 : FItems->Count();
  }
  if (FDestDragButtonItem && FDestDragButtonItem->Index() == FHotItemIndex) return;
  if (FDestDragButtonItem) {
    TQnIconButtonItem* p = FDestDragButtonItem;
    FDestDragButtonItem = nullptr;
    delete p;
  }
  if (!Accept) return;
  target = std::clamp(target, 0, FItems->Count());
  FDestDragButtonItem = FItems->Insert(target < FItems->Count() ? target : -1);
}

void TQuarnCustomIconButtonList::DragFinished(TObject*) {
  FDragObject = nullptr;
  TQnIconButtonItem* source = FSourceDragButtonItem;
  TQnIconButtonItem* dest = FDestDragButtonItem;
  FSourceDragButtonItem = FDestDragButtonItem = nullptr;
  FDragItemIndex = -1;
  if (source) {
    source->SetVisible(true);
    if (dest) source->SetIndex(dest->Index());
  }
  delete dest;
  Invalidate();
}

void TQuarnCustomIconButtonList::ForgetDragObject(TQnItemDragObject* O) {
  if (FDragObject == O) FDragObject = nullptr;
}

// ---------------------------------------------------------------------------
// Messages

void TQuarnCustomIconButtonList::CreateHandle() {
  TQuarnCustomPanel::CreateHandle();
  UpdateScrollBar();
}

void TQuarnCustomIconButtonList::WMMouseMove(TMessage& Message) {
  TQuarnCustomPanel::Dispatch(Message);
  GetHitTest(static_cast<SHORT>(LOWORD(Message.LParam)), static_cast<SHORT>(HIWORD(Message.LParam)));
}

void TQuarnCustomIconButtonList::WMMouseWheel(TMessage& Message) {
  if (!FScrollBar) {
    TQuarnCustomPanel::Dispatch(Message);
    return;
  }
  const auto delta = static_cast<SHORT>(HIWORD(Message.WParam));
  const Int64 p = Int64(FScrollBar->Position()) + (delta >= 0 ? -Int64(FScrollSize) : Int64(FScrollSize));
  FScrollBar->SetPosition(static_cast<Integer>(std::clamp<Int64>(p, INT32_MIN, INT32_MAX)));
  Message.Result = 1;
}

void TQuarnCustomIconButtonList::WMSize(TMessage& Message) {
  TQuarnCustomPanel::Dispatch(Message);
  UpdateScrollBar();
}

void TQuarnCustomIconButtonList::WMTimer(TMessage& Message) {
  TQuarnCustomPanel::Dispatch(Message);
  if (Message.WParam == QnIconListScrollTimerID) {
    KillTimer(Handle(), QnIconListScrollTimerID);
    Invalidate();
  } else if (Message.WParam == QnIconListShakeTimerID) {
    if (FShakeInEdit && !DragRunning()) Invalidate();
  }
}

void TQuarnCustomIconButtonList::WMSetCursor(TMessage& Message) {
  if (reinterpret_cast<HWND>(Message.WParam) == Handle() && !Designing() && Screen && Screen->Cursor() == crDefault) {
    TCursor cursor = crDefault;
    DoGetCursor(cursor);
    ::vcl::SetCursor(Screen->Cursors(cursor));
    Message.Result = 1;
    return;
  }
  TQuarnCustomPanel::Dispatch(Message);
}

void TQuarnCustomIconButtonList::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_MOUSEMOVE: WMMouseMove(Message); return;
    case WM_MOUSEWHEEL: WMMouseWheel(Message); return;
    case WM_SIZE: WMSize(Message); return;
    case WM_TIMER: WMTimer(Message); return;
    case WM_SETCURSOR: WMSetCursor(Message); return;
    default: TQuarnCustomPanel::Dispatch(Message);
  }
}

void InitQuarnIconButtonList() {
  RegisterClasses({TQuarnIconButtonList::StaticClass(), TQnIconButtonItem::StaticClass(),
                   TQnIconButtonItemData::StaticClass()});
}

}  // namespace qn
QN_PUBLISHED_IMPL(qn::TQnIconButtonItem)
QN_PUBLISHED_IMPL(qn::TQuarnIconButtonList)
