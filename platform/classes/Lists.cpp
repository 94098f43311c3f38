#include "platform/classes/Lists.h"

#include <cstdio>
#include <string>

namespace vcl {

void TList::Error(const String& Msg, NativeInt Data) {
  String s = Msg;
  size_t p = s.find(u"%d");
  if (p != String::npos) s.replace(p, 2, FromUtf8(std::to_string(Data)));
  throw EListError(s);
}

TList::~TList() {
  // A descendant's Notify is gone by now; descendants that need it clear
  // the list in their own destructor.
  FList.clear();
}

void TList::CheckIndex(Integer Index) const {
  if (Index < 0 || Index >= Count()) Error(u"List index out of bounds (%d)", Index);
}

Integer TList::Add(Pointer Item) {
  FList.push_back(Item);
  if (Item) Notify(Item, lnAdded);
  return Count() - 1;
}

void TList::Insert(Integer Index, Pointer Item) {
  if (Index < 0 || Index > Count()) Error(u"List index out of bounds (%d)", Index);
  FList.insert(FList.begin() + Index, Item);
  if (Item) Notify(Item, lnAdded);
}

void TList::Delete(Integer Index) {
  CheckIndex(Index);
  Pointer item = FList[static_cast<size_t>(Index)];
  FList.erase(FList.begin() + Index);
  if (item) Notify(item, lnDeleted);
}

Integer TList::Remove(Pointer Item) {
  Integer i = IndexOf(Item);
  if (i >= 0) Delete(i);
  return i;
}

Pointer TList::Extract(Pointer Item) {
  Integer i = IndexOf(Item);
  if (i < 0) return nullptr;
  FList.erase(FList.begin() + i);
  Notify(Item, lnExtracted);
  return Item;
}

Integer TList::IndexOf(Pointer Item) const {
  auto it = std::find(FList.begin(), FList.end(), Item);
  return it == FList.end() ? -1 : static_cast<Integer>(it - FList.begin());
}

void TList::Exchange(Integer Index1, Integer Index2) {
  CheckIndex(Index1);
  CheckIndex(Index2);
  std::swap(FList[static_cast<size_t>(Index1)], FList[static_cast<size_t>(Index2)]);
}

void TList::Move(Integer CurIndex, Integer NewIndex) {
  if (CurIndex == NewIndex) return;
  CheckIndex(CurIndex);
  CheckIndex(NewIndex);
  Pointer item = FList[static_cast<size_t>(CurIndex)];
  FList.erase(FList.begin() + CurIndex);
  FList.insert(FList.begin() + NewIndex, item);
}

void TList::Sort(TListSortCompare Compare) {
  if (Compare) std::stable_sort(FList.begin(), FList.end(), [&](Pointer a, Pointer b) { return Compare(a, b) < 0; });
}

void TList::SortBy(const std::function<Integer(Pointer, Pointer)>& Compare) {
  // Stable merging never reads outside the range, even for a comparison
  // that is not a strict order.
  std::stable_sort(FList.begin(), FList.end(), [&](Pointer a, Pointer b) { return Compare(a, b) < 0; });
}

void TList::Pack() { FList.erase(std::remove(FList.begin(), FList.end(), nullptr), FList.end()); }

void TList::Clear() {
  SetCount(0);
  FList.shrink_to_fit();
}

Pointer TList::Get(Integer Index) const {
  CheckIndex(Index);
  return FList[static_cast<size_t>(Index)];
}

void TList::Put(Integer Index, Pointer Item) {
  CheckIndex(Index);
  Pointer old = FList[static_cast<size_t>(Index)];
  if (old == Item) return;
  FList[static_cast<size_t>(Index)] = Item;
  if (old) Notify(old, lnDeleted);
  if (Item) Notify(Item, lnAdded);
}

void TList::SetCount(Integer NewCount) {
  if (NewCount < 0) Error(u"List count out of bounds (%d)", NewCount);
  if (NewCount > Count()) {
    FList.resize(static_cast<size_t>(NewCount), nullptr);
    return;
  }
  for (Integer i = Count() - 1; i >= NewCount; --i) {
    if (i >= Count()) continue;  // a notification removed more than one
    Delete(i);
  }
}

void TList::SetCapacity(Integer NewCapacity) {
  if (NewCapacity < Count()) Error(u"List capacity out of bounds (%d)", NewCapacity);
  if (static_cast<size_t>(NewCapacity) > FList.capacity()) FList.reserve(static_cast<size_t>(NewCapacity));
  else if (NewCapacity < Capacity()) {
    std::vector<Pointer> v;
    v.reserve(static_cast<size_t>(NewCapacity));
    v.assign(FList.begin(), FList.end());
    FList.swap(v);
  }
}

void TList::Notify(Pointer, TListNotification) {}

// ---------------------------------------------------------------------------

TObjectList::~TObjectList() { Clear(); }

void TObjectList::Notify(Pointer Ptr, TListNotification Action) {
  if (FOwnsObjects && Action == lnDeleted) delete static_cast<TObject*>(Ptr);
  TList::Notify(Ptr, Action);
}

Integer TObjectList::FindInstanceOf(TClass AClass, bool AExact, Integer AStartAt) const {
  for (Integer i = std::max(AStartAt, 0); i < Count(); ++i) {
    auto* o = static_cast<TObject*>(Get(i));
    if (!o) continue;
    if (AExact ? o->ClassType() == AClass : o->InheritsFrom(AClass)) return i;
  }
  return -1;
}

// ---------------------------------------------------------------------------

void TThreadList::Add(Pointer Item) {
  std::lock_guard g(FLock);
  if (FDuplicates == dupAccept || FList.IndexOf(Item) < 0) FList.Add(Item);
  else if (FDuplicates == dupError) {
    char hex[32];
    std::snprintf(hex, sizeof hex, "%llX", static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(Item)));
    throw EListError(u"List does not allow duplicates ($0" + FromUtf8(hex) + u")");
  }
}

void TThreadList::Remove(Pointer Item) {
  std::lock_guard g(FLock);
  FList.Remove(Item);
}

void TThreadList::Clear() {
  std::lock_guard g(FLock);
  FList.Clear();
}

TList* TThreadList::LockList() {
  FLock.lock();
  return &FList;
}

void TThreadList::UnlockList() { FLock.unlock(); }

}  // namespace vcl
