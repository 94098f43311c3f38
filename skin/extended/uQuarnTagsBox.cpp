#include "skin/extended/uQuarnTagsBox.h"

#include <algorithm>
#include <cmath>

#include "graphics/vector/Pix32_Polygons_qn.h"
#include "graphics/vector/Pix32_VectorUtils_qn.h"
#include "platform/classes/Strings.h"
#include "platform/rtl/SysUtils.h"
#include "platform/vcl/Forms.h"
#include "skin/foundation/uQnComm.h"

namespace qn {

namespace {

bool TagInRect(const TRect& R, Integer X, Integer Y) { return X >= R.Left && X < R.Right && Y >= R.Top && Y < R.Bottom; }

TColor32 TagColor(TColor C) { return Color32(ColorToRGB(C)) | 0xFF000000u; }

}  // namespace

// ---------------------------------------------------------------------------
// Colours and items

void TTBItemColors::Assign(TPersistent* Source) {
  auto* s = dynamic_cast<TTBItemColors*>(Source);
  if (!s) {
    TPersistent::Assign(Source);
    return;
  }
  SetColor(s->FColor);
  SetHotColor(s->FHotColor);
  SetFontColor(s->FFontColor);
  SetHotFontColor(s->FHotFontColor);
}

TQnTagsBoxItem::TQnTagsBoxItem(TCollection* Collection) : TCollectionItem(Collection) {
  FColors = std::make_unique<TTBItemColors>();
  FColors->SetOnChanged(TNotifyEvent(this, &TQnTagsBoxItem::ColorsChanged));
}

TQnTagsBoxItem::~TQnTagsBoxItem() = default;

TQuarnCustomTagsBox* TQnTagsBoxItem::Box() const {
  auto* items = dynamic_cast<TQnTagsBoxItems*>(Collection());
  return items ? items->TagsBox() : nullptr;
}

void TQnTagsBoxItem::Assign(TPersistent* Source) {
  auto* s = dynamic_cast<TQnTagsBoxItem*>(Source);
  if (!s) {
    TCollectionItem::Assign(Source);
    return;
  }
  FColors->Assign(s->FColors.get());
  SetCaption(s->FCaption);
}

void TQnTagsBoxItem::SetVisible(bool Value) {
  if (FVisible == Value) return;
  FVisible = Value;
  Changed(false);
}

void TQnTagsBoxItem::SetEnabled(bool Value) {
  if (FEnabled == Value) return;
  FEnabled = Value;
  Changed(false);
}

void TQnTagsBoxItem::SetCaption(const String& Value) {
  if (FCaption == Value) return;
  FCaption = Value;
  Changed(false);
}

void TQnTagsBoxItem::Click() {
  if (FOnClick) FOnClick(this);
  if (TQuarnCustomTagsBox* b = Box()) b->DoClickItem(this, Index());
}

void TQnTagsBoxItem::Invalidate() {
  TQuarnCustomTagsBox* b = Box();
  if (!b || !b->HandleAllocated()) return;
  b->SetBufferValid(false);
  RECT r = FRect;
  InvalidateRect(b->Handle(), &r, false);
}

TQnTagsBoxItems::TQnTagsBoxItems(TQuarnCustomTagsBox* Box)
    : TCollection(TQnTagsBoxItemData::StaticClass()), FBox(Box) {}

TPersistent* TQnTagsBoxItems::GetOwner() { return FBox; }

TQnTagsBoxItem* TQnTagsBoxItems::AddItem(TQnTagsBoxItem* Item, Integer Index) {
  TQnTagsBoxItem* item = Item ? Item : Add();
  if (item->Collection() != this) item->SetCollection(this);
  if (Index >= 0 && Index < Count()) item->SetIndex(Index);
  return item;
}

void TQnTagsBoxItems::Added(TCollectionItem* Item) {
  TCollection::Added(Item);
  if (UpdateCount() == 0 && FBox) FBox->DoChanged();
}

void TQnTagsBoxItems::Deleting(TCollectionItem* Item) {
  const bool live = UpdateCount() == 0 && FBox && !FBox->ComponentState().Contains(csDestroying);
  if (FBox) FBox->DoFreeItem(FBox, static_cast<TQnTagsBoxItem*>(Item));
  TCollection::Deleting(Item);
  if (!live) return;
  FBox->Invalidate();
  FBox->DoChanged();
}

void TQnTagsBoxItems::Update(TCollectionItem* Item) {
  TCollection::Update(Item);
  if (UpdateCount() != 0 || !FBox || FBox->ComponentState().Contains(csDestroying)) return;
  FBox->UpdateScrollBar();
  FBox->Invalidate();
  FBox->DoChanged();
}

// ---------------------------------------------------------------------------
// The box

TQuarnCustomTagsBox::TQuarnCustomTagsBox(TComponent* AOwner) : TQuarnCustomPanel(AOwner) {
  FItems = std::make_unique<TQnTagsBoxItems>(this);
  FDeleteButton = std::make_unique<TQuarnColorControls_DeleteButton>();
  FDeleteButton->SetOnChanged(TNotifyEvent(this, &TQuarnCustomTagsBox::DeleteButtonChanged));
  FDispOffset = TPoint(FMarginBorderSize, FMarginBorderSize);
  FAlpha = 255;
  SetTransparent(false);
  SetBounds(Left(), Top(), 300, 116);
}

TQuarnCustomTagsBox::~TQuarnCustomTagsBox() {
  FItems.reset();
  FDeleteButton.reset();
}

String TQuarnCustomTagsBox::Text() {
  TStringList list;
  list.SetStrictDelimiter(true);
  for (Integer i = 0; i < FItems->Count(); ++i) list.Add(FItems->Items(i)->Caption());
  return list.CommaText();
}

void TQuarnCustomTagsBox::SetText(const String& Value) {
  TStringList list;
  list.SetStrictDelimiter(true);
  list.SetCommaText(Value);
  FItems->BeginUpdate();
  try {
    FItems->Clear();
    for (Integer i = 0; i < list.Count(); ++i)
      if (!Trim(list[i]).empty()) FItems->Add()->SetCaption(list[i]);
  } catch (...) {
    FItems->EndUpdate();
    throw;
  }
  FItems->EndUpdate();
}

void TQuarnCustomTagsBox::SetMarginBorderSize(Integer Value) {
  if (FMarginBorderSize == Value) return;
  FMarginBorderSize = Value;
  FDispOffset = TPoint(Value, Value);
  Invalidate();
}

void TQuarnCustomTagsBox::SetHideScrollbar(bool Value) {
  FHideScrollbar = Value;
  FResetScrollbarSize = true;
  Invalidate();
}

void TQuarnCustomTagsBox::SetFocusItemIndex(Integer Value) {
  if (Value == FFocusItemIndex) return;
  bool allow = true;
  DoFocusChanging(this, FFocusItemIndex, Value, allow);
  if (!allow) return;
  FFocusItemIndex = Value;
  Invalidate();
}

TQnTagsBoxItem* TQuarnCustomTagsBox::GetItemAt(const TPoint& P) {
  if (FItemBeginIndex < 0 || FItems->Count() <= FItemEndIndex) return nullptr;
  for (Integer i = FItemBeginIndex; i <= FItemEndIndex; ++i)
    if (TagInRect(FItems->Items(i)->FRect, P.X, P.Y)) return FItems->Items(i);
  return nullptr;
}

Integer TQuarnCustomTagsBox::DeleteButtonSize() {
  if (!FDeleteButton->Visible()) return 0;
  return Integer(std::lround(2.0 * GetDPIScaledPixels(this, FItemHeight) / 3));
}

Integer TQuarnCustomTagsBox::CalcItemsHeight() {
  const Integer H = GetDPIScaledPixels(this, FItemHeight), S = GetDPIScaledPixels(this, FItemSpaceSize);
  const Integer M = GetDPIScaledPixels(this, FMarginBorderSize);
  Integer x = M, rows = M, last = 0;
  bool any = false;
  for (Integer i = 0; i < FItems->Count(); ++i) {
    TQnTagsBoxItem* item = FItems->Items(i);
    if (!item->FVisible) continue;
    any = true;
    const Integer w = item->FRect.Right - item->FRect.Left;
    if (w + x >= Width() - M) {
      rows += H + S;
      x = M;
    }
    last = H + S;
    x += w + S;
  }
  // Nothing shown has no height.
  if (!any) return 0;
  return M + rows + last - S;
}

void TQuarnCustomTagsBox::UpdateScrollBar() {
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
  FResetScrollbarSize = false;
}

void TQuarnCustomTagsBox::DoShowScrollBar() {
  if (FScrollBar) return;
  FScrollBar = new TQuarnScrollBar(this);
  FScrollBar->SetKind(sbVertical);
  FScrollBar->SetWidth(10);
  FScrollBar->SetPageSize(0);
  FScrollBar->SetMin(0);
  FScrollBar->SetPosition(0);
  FScrollBar->SetOnChange(TNotifyEvent(this, &TQuarnCustomTagsBox::ScrollBarChange));
  FScrollBar->SetParent(this);
  FScrollBar->SetAlign(alRight);
  FScrollBar->SetVisible(true);
}

void TQuarnCustomTagsBox::DoHideScrollBar() {
  FDispOffset = TPoint(FMarginBorderSize, FMarginBorderSize);
  if (!FScrollBar) return;
  TQuarnScrollBar* bar = FScrollBar;
  FScrollBar = nullptr;
  bar->SetVisible(false);
  delete bar;
}

void TQuarnCustomTagsBox::ScrollBarChange(TObject*) {
  if (!FScrollBar) return;
  FDispOffset.Y = FMarginBorderSize - FScrollBar->Position();
  if (!HandleAllocated()) return;
  KillTimer(Handle(), QnIconListScrollTimerID);
  SetTimer(Handle(), QnIconListScrollTimerID, 5, nullptr);
}

// ---------------------------------------------------------------------------
// Painting

void TQuarnCustomTagsBox::DrawBody(TBitmap32* Buffer) {
  TQuarnCustomPanel::DrawBody(Buffer);
  Buffer->BeginUpdate();
  const Integer H = GetDPIScaledPixels(this, FItemHeight), MinW = GetDPIScaledPixels(this, FItemMinWidth);
  const Integer S = GetDPIScaledPixels(this, FItemSpaceSize), M = GetDPIScaledPixels(this, FMarginBorderSize);
  const Integer D = DeleteButtonSize();
  const Integer x0 = FDispOffset.X;
  Integer x = x0, y = FDispOffset.Y;
  FItemBeginIndex = FItems->Count() - 1;
  FItemEndIndex = -1;
  Buffer->Font()->Assign(Font());
  Integer laid = 0;
  for (Integer i = 0; i < FItems->Count(); ++i) {
    TQnTagsBoxItem* item = FItems->Items(i);
    if (!item->FVisible) continue;
    Buffer->Font()->Assign(Font());
    const Integer W = std::max(Buffer->TextWidth(item->FCaption) + H + D / 2, MinW);
    // The first chip shown never wraps, whatever its index.
    if (Width() - M - 10 < x + W && laid > 0) {
      x = x0;
      y += H + S;
    }
    ++laid;
    const TRect R(x, y, x + W, y + H);
    item->FRect = R;
    const Integer dx = R.Right - H / 2 - D / 2, dy = R.Top + (H - D) / 2;
    item->FDeleteBtnRect = TRect(dx, dy, dx + D, dy + D);
    if (R.Bottom >= 0 && R.Top <= Height()) {
      FItemBeginIndex = std::min(FItemBeginIndex, i);
      FItemEndIndex = std::max(FItemEndIndex, i);
      const bool hot = i == FHotItemIndex;
      TTBItemColors* colors = item->FColors.get();
      const TFloat r = TFloat(FRoundRadius);
      const TArrayOfFloatPoint corners{TFloatPoint(R.Left + r, R.Top + r), TFloatPoint(R.Right - r, R.Top + r),
                                       TFloatPoint(R.Right - r, R.Bottom - r), TFloatPoint(R.Left + r, R.Bottom - r)};
      const TArrayOfFloatPoint chip = Grow(corners, r, TJoinStyle::jsRound, true, 4.0f);
      if (!chip.empty()) PolygonFS(Buffer, chip, TagColor(hot ? colors->HotColor() : colors->Color()));
      TRect text = R;
      if (FDeleteButton->Visible()) {
        text.Right -= H / 2;
        FDeleteButton->SetState(hot && FMouseInDeleteButton ? bsHot : bsNormal);
        FDeleteButton->Draw(Buffer, item->FDeleteBtnRect);
        text.Top -= D;
        text.Bottom += D;
      }
      Buffer->Font()->SetColor(hot ? colors->HotFontColor() : colors->FontColor());
      Buffer->Textout(text, DT_CENTER | DT_VCENTER | DT_SINGLELINE, item->FCaption);
      DoDrawItem(Buffer, item);
    }
    x += W + S;
  }
  if (FResetScrollbarSize) UpdateScrollBar();
  Buffer->EndUpdate();
}

// ---------------------------------------------------------------------------
// Events

void TQuarnCustomTagsBox::DoDrawItem(TBitmap32* Buffer, TQnTagsBoxItem* Item) {
  if (FOnDrawItem) FOnDrawItem(this, Buffer, dynamic_cast<TQnTagsBoxItemData*>(Item));
}
void TQuarnCustomTagsBox::DoHotChanged(Integer OldIndex, Integer NewIndex) {
  if (FOnHotChanged) FOnHotChanged(this, OldIndex, NewIndex);
}
void TQuarnCustomTagsBox::DoClickItem(TObject* Sender, Integer Index) {
  if (FOnClickItem) FOnClickItem(Sender, Index);
}
void TQuarnCustomTagsBox::DoFreeItem(TObject* Sender, TQnTagsBoxItem* Item) {
  if (FOnFreeItem) FOnFreeItem(Sender, Item);
}
void TQuarnCustomTagsBox::DoFocusChanging(TObject* Sender, Integer OldIndex, Integer NewIndex, bool& Allow) {
  if (FOnFocusChanging) FOnFocusChanging(Sender, OldIndex, NewIndex, Allow);
}
void TQuarnCustomTagsBox::DoChanged() {
  FResetScrollbarSize = true;
  if (FOnChanged) FOnChanged(this);
}
void TQuarnCustomTagsBox::DoGetCursor(TCursor& Cursor) {
  if (FOnGetCursor) FOnGetCursor(this, Cursor);
}

// ---------------------------------------------------------------------------
// Mouse

void TQuarnCustomTagsBox::HitTest(Integer X, Integer Y) {
  for (Integer i = 0; i < FItems->Count(); ++i) {
    TQnTagsBoxItem* item = FItems->Items(i);
    if (!item->FEnabled || !item->FVisible || !TagInRect(item->FRect, X, Y)) continue;
    const bool inDelete = FDeleteButton->Visible() && TagInRect(item->FDeleteBtnRect, X, Y);
    bool changed = inDelete != FMouseInDeleteButton;
    FMouseInDeleteButton = inDelete;
    if (i != FHotItemIndex) {
      const Integer old = FHotItemIndex;
      FHotItemIndex = i;
      DoHotChanged(old, i);
      FMousePressed = false;
      changed = true;
    }
    if (changed) Invalidate();
    return;
  }
  // Between chips the last one stays hot.
}

void TQuarnCustomTagsBox::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  TQuarnCustomPanel::MouseDown(Button, Shift, X, Y);
  if (Button != mbLeft && Button != mbRight) return;
  if (CanFocus()) SetFocus();
  HitTest(X, Y);
  if (FHotItemIndex < 0) return;
  bool allow = true;
  DoFocusChanging(this, FFocusItemIndex, FHotItemIndex, allow);
  if (!allow || Button != mbLeft) return;
  FMousePressed = true;
  FFocusItemIndex = FHotItemIndex;
}

void TQuarnCustomTagsBox::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  TQuarnCustomPanel::MouseUp(Button, Shift, X, Y);
  if (Button != mbLeft) return;
  FMousePressed = false;
  if (ValidIndex(FFocusItemIndex) && FFocusItemIndex == FHotItemIndex && FItems->Items(FHotItemIndex)->FEnabled) {
    if (!FMouseInDeleteButton) {
      FItems->Items(FHotItemIndex)->Click();
    } else {
      bool canDelete = true;
      if (FOnDeleteClick) FOnDeleteClick(this, FHotItemIndex, canDelete);
      if (canDelete && ValidIndex(FHotItemIndex)) {
        const Integer index = FHotItemIndex;
        FMouseInDeleteButton = false;
        FHotItemIndex = -1;
        FItems->Delete(index);
      }
    }
  }
  Invalidate();
}

void TQuarnCustomTagsBox::MouseLeave() {
  TQuarnCustomPanel::MouseLeave();
  FMousePressed = false;
  FMouseInDeleteButton = false;
  if (FHotItemIndex >= 0) FHotItemIndex = -1;
  Invalidate();
}

// ---------------------------------------------------------------------------
// Messages

void TQuarnCustomTagsBox::CreateHandle() {
  TQuarnCustomPanel::CreateHandle();
  UpdateScrollBar();
}

void TQuarnCustomTagsBox::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_MOUSEMOVE:
      TQuarnCustomPanel::Dispatch(Message);
      HitTest(static_cast<SHORT>(LOWORD(Message.LParam)), static_cast<SHORT>(HIWORD(Message.LParam)));
      return;
    case WM_MOUSEWHEEL: {
      if (!FScrollBar) break;
      const auto delta = static_cast<SHORT>(HIWORD(Message.WParam));
      const Int64 p = Int64(FScrollBar->Position()) + (delta >= 0 ? -Int64(FScrollSize) : Int64(FScrollSize));
      FScrollBar->SetPosition(static_cast<Integer>(std::clamp<Int64>(p, INT32_MIN, INT32_MAX)));
      Message.Result = 1;
      return;
    }
    case WM_SIZE:
      TQuarnCustomPanel::Dispatch(Message);
      if (!Designing()) FResetScrollbarSize = true;
      return;
    case WM_TIMER:
      TQuarnCustomPanel::Dispatch(Message);
      if (Message.WParam == QnIconListScrollTimerID) {
        KillTimer(Handle(), QnIconListScrollTimerID);
        Invalidate();
      }
      return;
    case WM_SETCURSOR:
      if (reinterpret_cast<HWND>(Message.WParam) == Handle() && !Designing() && Screen &&
          Screen->Cursor() == crDefault) {
        TCursor cursor = crDefault;
        DoGetCursor(cursor);
        ::vcl::SetCursor(Screen->Cursors(cursor));
        Message.Result = 1;
        return;
      }
      break;
    default: break;
  }
  TQuarnCustomPanel::Dispatch(Message);
}

void InitQuarnTagsBox() {
  RegisterClasses({TQuarnTagsBox::StaticClass(), TQnTagsBoxItem::StaticClass(), TQnTagsBoxItemData::StaticClass(),
                   TTBItemColors::StaticClass()});
}

}  // namespace qn

QN_PUBLISHED_IMPL(qn::TTBItemColors)
QN_PUBLISHED_IMPL(qn::TQnTagsBoxItem)
QN_PUBLISHED_IMPL(qn::TQuarnTagsBox)
