#include "platform/classes/InterfaceList.h"

namespace vcl {

namespace {

// The object's identity: its IInterface as QueryInterface answers it.
IInterface* Identity(IInterface* p) {
  if (!p) return nullptr;
  void* q = nullptr;
  if (p->QueryInterface(IInterface::IID, &q) != S_OK || !q) return p;
  auto* u = static_cast<IInterface*>(q);
  u->_Release();
  return u;
}

}  // namespace

TInterfaceList::~TInterfaceList() {
  // Items released outside the list's storage: a release may reach back.
  std::vector<TIntf<IInterface>> items;
  {
    std::lock_guard<std::recursive_mutex> lk(FLock);
    items.swap(FList);
  }
}

void TInterfaceList::CheckIndex(Integer Index, Integer Limit) {
  if (Index < 0 || Index >= Limit) vcl::TList::Error(u"List index out of bounds (%d)", Index);
}

Integer TInterfaceList::Add(const TIntf<IInterface>& Item) {
  std::lock_guard<std::recursive_mutex> lk(FLock);
  FList.push_back(Item);
  return Integer(FList.size()) - 1;
}

void TInterfaceList::Insert(Integer Index, const TIntf<IInterface>& Item) {
  std::lock_guard<std::recursive_mutex> lk(FLock);
  CheckIndex(Index, Integer(FList.size()) + 1);
  FList.insert(FList.begin() + Index, Item);
}

Integer TInterfaceList::Remove(const TIntf<IInterface>& Item) {
  TIntf<IInterface> gone;
  std::lock_guard<std::recursive_mutex> lk(FLock);
  Integer i = IndexOf(Item);
  if (i >= 0) {
    gone = FList[size_t(i)];
    FList.erase(FList.begin() + i);
  }
  return i;
}

void TInterfaceList::Delete(Integer Index) {
  TIntf<IInterface> gone;
  std::lock_guard<std::recursive_mutex> lk(FLock);
  CheckIndex(Index, Integer(FList.size()));
  gone = FList[size_t(Index)];
  FList.erase(FList.begin() + Index);
}

Integer TInterfaceList::IndexOf(const TIntf<IInterface>& Item) {
  std::lock_guard<std::recursive_mutex> lk(FLock);
  IInterface* want = Identity(Item.get());
  for (size_t i = 0; i < FList.size(); ++i)
    if (FList[i].get() == Item.get() || Identity(FList[i].get()) == want) return Integer(i);
  return -1;
}

Integer TInterfaceList::Count() {
  std::lock_guard<std::recursive_mutex> lk(FLock);
  return Integer(FList.size());
}

TIntf<IInterface> TInterfaceList::Items(Integer Index) {
  std::lock_guard<std::recursive_mutex> lk(FLock);
  CheckIndex(Index, Integer(FList.size()));
  return FList[size_t(Index)];
}

void TInterfaceList::SetItems(Integer Index, const TIntf<IInterface>& Item) {
  TIntf<IInterface> old;
  std::lock_guard<std::recursive_mutex> lk(FLock);
  CheckIndex(Index, Integer(FList.size()));
  old = FList[size_t(Index)];
  FList[size_t(Index)] = Item;
}

TIntf<IInterface> TInterfaceList::First() { return Items(0); }

TIntf<IInterface> TInterfaceList::Last() {
  std::lock_guard<std::recursive_mutex> lk(FLock);
  return Items(Integer(FList.size()) - 1);
}

void TInterfaceList::Clear() {
  std::vector<TIntf<IInterface>> items;
  std::lock_guard<std::recursive_mutex> lk(FLock);
  items.swap(FList);
}

void TInterfaceList::Exchange(Integer Index1, Integer Index2) {
  std::lock_guard<std::recursive_mutex> lk(FLock);
  CheckIndex(Index1, Integer(FList.size()));
  CheckIndex(Index2, Integer(FList.size()));
  std::swap(FList[size_t(Index1)], FList[size_t(Index2)]);
}

}  // namespace vcl
