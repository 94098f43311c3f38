#include "skin/controls/uQnItemsInEdit.h"

#include "skin/controls/uQuarnEdit.h"
#include "skin/foundation/uQnComm.h"
#include "skin/foundation/uQuarnResManager.h"

namespace qn {

// ---------------------------------------------------------------------------
// TQnEditItem

TQnEditItem::TQnEditItem(TCollection* Collection) : TCollectionItem(Collection), FOwner(Collection) {
  FFont = std::make_unique<TFont>();
  FPos = std::make_unique<TQnLocateObj>();
  FPos->SetOnChange(TNotifyEvent(this, &TQnEditItem::PosChanged));
}

TQnEditItem::~TQnEditItem() = default;

TQuarnPngEdit* TQnEditItem::Edit() const {
  auto* items = dynamic_cast<TQnEditItems*>(Collection());
  return items ? items->EditOwner() : nullptr;
}

void TQnEditItem::Assign(TPersistent* Source) {
  auto* s = dynamic_cast<TQnEditItem*>(Source);
  if (!s) {
    TCollectionItem::Assign(Source);
    return;
  }
  FCurosor = s->Curosor();
  FFont->Assign(s->Font());
  SetKind(s->Kind());
  SetImage(s->Image());
  SetImageHot(s->ImageHot());
  SetImagePress(s->ImagePress());
  SetText(s->Text());
  FPos->Assign(s->Pos());
  SetVisible(s->Visible());
  FMakeSpace = s->MakeSpace();
  FTag = s->Tag();
}

void TQnEditItem::DoChanged() {
  Changed(true);
  if (Assigned(FOnChanged)) FOnChanged(this);
}

void TQnEditItem::Click() {
  if (Assigned(FOnClick)) FOnClick(this);
}

void TQnEditItem::SetKind(TItemKind Value) {
  if (FKind == Value) return;
  FKind = Value;
  DoChanged();
}

void TQnEditItem::SetImage(const TQnResID& Value) {
  if (FImage == Value) return;
  FImage = Value;
  DoChanged();
}

void TQnEditItem::SetImageHot(const TQnResID& Value) {
  if (FImageHot == Value) return;
  FImageHot = Value;
  DoChanged();
}

void TQnEditItem::SetImagePress(const TQnResID& Value) {
  if (FImagePress == Value) return;
  FImagePress = Value;
  DoChanged();
}

void TQnEditItem::SetText(const String& Value) {
  if (FText == Value) return;
  FText = Value;
  if (FKind == ikText) DoChanged();
}

void TQnEditItem::SetVisible(bool Value) {
  if (FVisible == Value) return;
  FVisible = Value;
  DoChanged();
}

TRect TQnEditItem::GetRect() {
  TQuarnPngEdit* edit = Edit();
  const Integer x = edit ? GetDPIScaledPixels(edit, FPos->X()) : FPos->X();
  const Integer y = edit ? GetDPIScaledPixels(edit, FPos->Y()) : FPos->Y();
  TRect r;
  r.Left = FPos->Align() == agRight && edit ? edit->Width() - x : x;
  r.Top = y;
  if (FKind == ikText) {
    TBitmap32 b;
    b.Font()->Assign(FFont.get());
    const TSize s = b.TextExtentW(FText);
    r.Right = r.Left + s.cx;
    r.Bottom = r.Top + s.cy;
  } else if (TQuarnImage* img = TQuarnResManagerObj()->GetImageByName(FImage)) {
    r.Right = r.Left + img->Width();
    r.Bottom = r.Top + img->Height();
  }
  return r;
}

// ---------------------------------------------------------------------------
// TQnEditItems

TQnEditItems::TQnEditItems(TQuarnPngEdit* Edit)
    : TCollection(Edit ? Edit->GetItemClass() : TQnEditItem::StaticClass()), FEdit(Edit) {}

TPersistent* TQnEditItems::GetOwner() { return FEdit; }

TQnEditItem* TQnEditItems::AddItem(TQnEditItem* Item, Integer Index) {
  TQnEditItem* item = Item;
  if (!item) item = FEdit ? FEdit->CreateNewItem() : Add();
  if (item->Collection() != this) item->SetCollection(this);
  if (Index >= 0 && Index < Count()) item->SetIndex(Index);
  return item;
}

void TQnEditItems::Update(TCollectionItem* Item) {
  TCollection::Update(Item);
  if (UpdateCount() == 0 && Count() > 0 && FEdit) FEdit->Invalidate();
}

void TQnEditItems::Notify(TCollectionItem* Item, TCollectionNotification Action) {
  TCollection::Notify(Item, Action);
  if (Action == TCollectionNotification::cnExtracting && FEdit) FEdit->ItemDeleting(Item);
}

void TQnEditItems::Deleting(TCollectionItem* Item) {
  TCollection::Deleting(Item);
  if (!FEdit) return;
  FEdit->ItemDeleting(Item);
  FEdit->Invalidate();
}

}  // namespace qn

QN_PUBLISHED_IMPL(qn::TQnEditItem)
