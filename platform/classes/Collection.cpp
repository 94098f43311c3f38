#include "platform/classes/Collection.h"

#include "platform/classes/ClassesInternal.h"

#include <algorithm>
#include <string>

namespace vcl {

using namespace classes_detail;

namespace {
[[noreturn]] void IndexError(Integer Index) {
  throw EListError(u"List index out of bounds (" + IntStr(Index) + u")");
}
}  // namespace

TCollection::TCollection(TCollectionItemClass ItemClass) : FItemClass(ItemClass) {
  if (!ItemClass || !ItemClass->InheritsFrom(TCollectionItem::StaticClass()))
    throw EInvalidCast(u"Invalid class typecast");
}

void TCollection::BeforeDestruction() {
  // No Update while going; the derived hooks still hear every deletion.
  FUpdateCount = 1;
  Clear();
}

TCollection::~TCollection() {
  FUpdateCount = 1;
  while (!FItems.empty()) delete FItems.back();
}

TCollectionItem* TCollection::Add() {
  FDeferAnnounce = true;
  TCollectionItem* item;
  try {
    item = static_cast<TCollectionItem*>(FItemClass->Create(this));
  } catch (...) {
    FDeferAnnounce = false;
    throw;
  }
  FDeferAnnounce = false;
  if (item->FCollection == this && !item->FAnnounced) Announce(item);
  return item;
}

TCollectionItem* TCollection::Insert(Integer Index) {
  TCollectionItem* item = Add();
  item->SetIndex(Index);
  return item;
}

void TCollection::Delete(Integer Index) {
  TCollectionItem* item = GetItem(Index);
  Notify(item, cnDeleting);
  delete item;
}

void TCollection::Clear() {
  if (FItems.empty()) return;
  BeginUpdate();
  try {
    while (!FItems.empty()) Delete(Count() - 1);
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

void TCollection::ClearAndResetID() {
  Clear();
  FNextID = 0;
}

void TCollection::Move(Integer CurIndex, Integer NewIndex) { GetItem(CurIndex)->SetIndex(NewIndex); }

TCollectionItem* TCollection::FindItemID(Integer ID) const {
  for (TCollectionItem* item : FItems)
    if (item->FID == ID) return item;
  return nullptr;
}

TCollectionItem* TCollection::GetItem(Integer Index) const {
  if (Index < 0 || Index >= Count()) IndexError(Index);
  return FItems[static_cast<size_t>(Index)];
}

void TCollection::SetItem(Integer Index, TCollectionItem* Value) { GetItem(Index)->Assign(Value); }

void TCollection::BeginUpdate() { ++FUpdateCount; }

void TCollection::EndUpdate() {
  // An unmatched EndUpdate must not leave the count negative, which would
  // silence every later Update.
  if (FUpdateCount > 0) --FUpdateCount;
  Changed();
}

void TCollection::Changed() {
  if (FUpdateCount == 0) Update(nullptr);
}

void TCollection::Assign(TPersistent* Source) {
  auto* src = dynamic_cast<TCollection*>(Source);
  if (!src) {
    inherited::Assign(Source);
    return;
  }
  // Clearing first would empty the source as well.
  if (src == this) return;
  BeginUpdate();
  try {
    Clear();
    for (Integer i = 0; i < src->Count(); ++i) Add()->Assign(src->GetItem(i));
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

String TCollection::GetNamePath() {
  String result = ClassName();
  TPersistent* owner = GetOwner();
  if (!owner) return result;
  String s = owner->GetNamePath();
  if (s.empty() || FPropName.empty()) return result;
  return s + u"." + FPropName;
}

void TCollection::Added(TCollectionItem*) {}
void TCollection::Deleting(TCollectionItem*) {}

void TCollection::Notify(TCollectionItem* Item, TCollectionNotification Action) {
  switch (Action) {
    case TCollectionNotification::cnAdded: Added(Item); break;
    case TCollectionNotification::cnDeleting: Deleting(Item); break;
    case TCollectionNotification::cnExtracting: break;
  }
}

void TCollection::Update(TCollectionItem*) {}
void TCollection::SetItemName(TCollectionItem*) {}

void TCollection::InsertItem(TCollectionItem* Item) {
  FItems.push_back(Item);
  Item->FCollection = this;
  Item->FID = FNextID++;
  SetItemName(Item);
  if (FDeferAnnounce) {
    // Add announces the item once its constructors have all run.
    FDeferAnnounce = false;
    return;
  }
  Announce(Item);
}

void TCollection::Announce(TCollectionItem* Item) {
  Item->FAnnounced = true;
  Notify(Item, cnAdded);
  Changed();
}

void TCollection::RemoveItem(TCollectionItem* Item) {
  if (Item->FAnnounced) Notify(Item, cnExtracting);
  auto it = std::find(FItems.begin(), FItems.end(), Item);
  if (it != FItems.end()) FItems.erase(it);
  Item->FCollection = nullptr;
  Item->FAnnounced = false;
  Changed();
}

// ---------------------------------------------------------------------------

TCollectionItem::TCollectionItem(TCollection* Collection) {
  if (Collection) Collection->InsertItem(this);
}

void TCollectionItem::BeforeDestruction() {
  if (FCollection) FCollection->RemoveItem(this);
}

TCollectionItem::~TCollectionItem() {
  if (!FCollection) return;
  try {
    FCollection->RemoveItem(this);
  } catch (...) {
    // Out of the list regardless, so the collection never holds a freed item.
    auto& items = FCollection->FItems;
    items.erase(std::remove(items.begin(), items.end(), this), items.end());
  }
}

void TCollectionItem::SetCollection(TCollection* Value) {
  if (FCollection == Value) return;
  if (FCollection) FCollection->RemoveItem(this);
  if (Value) Value->InsertItem(this);
}

Integer TCollectionItem::GetIndex() const {
  if (!FCollection) return -1;
  auto& items = FCollection->FItems;
  auto it = std::find(items.begin(), items.end(), this);
  return it == items.end() ? -1 : static_cast<Integer>(it - items.begin());
}

void TCollectionItem::SetIndex(Integer Value) {
  Integer cur = GetIndex();
  if (cur < 0 || cur == Value) return;
  auto& items = FCollection->FItems;
  if (Value < 0 || Value >= static_cast<Integer>(items.size())) IndexError(Value);
  items.erase(items.begin() + cur);
  items.insert(items.begin() + Value, this);
  Changed(true);
}

void TCollectionItem::SetDisplayName(const String&) { Changed(false); }
String TCollectionItem::GetDisplayName() { return ClassName(); }
TPersistent* TCollectionItem::GetOwner() { return FCollection; }

String TCollectionItem::GetNamePath() {
  if (!FCollection) return ClassName();
  return FCollection->GetNamePath() + u"[" + IntStr(GetIndex()) + u"]";
}

void TCollectionItem::Changed(bool AllItems) {
  if (FCollection && FCollection->FUpdateCount == 0) FCollection->Update(AllItems ? nullptr : this);
}

}  // namespace vcl
