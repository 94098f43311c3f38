// TComponentList: an object list of components that forgets a component the
// moment it is freed elsewhere (it listens through free notification), and
// frees its components itself while OwnsObjects is true.
#pragma once
#include "platform/rtl/MacroShield.h"

#include <memory>

#include "platform/classes/Component.h"
#include "platform/classes/Lists.h"

namespace vcl {

class TComponentList : public TObjectList {
  QN_CLASS(TComponentList, TObjectList)
 public:
  explicit TComponentList(bool AOwnsObjects = true);
  ~TComponentList() override;

  Integer Add(TComponent* AComponent) { return TObjectList::Add(AComponent); }
  void Insert(Integer Index, TComponent* AComponent) { TObjectList::Insert(Index, AComponent); }
  Integer Remove(TComponent* AComponent) { return TObjectList::Remove(AComponent); }
  TComponent* Extract(TComponent* Item) { return static_cast<TComponent*>(TObjectList::Extract(Item)); }
  Integer IndexOf(TComponent* AComponent) const { return TObjectList::IndexOf(AComponent); }
  TComponent* Items(Integer Index) const { return static_cast<TComponent*>(Get(Index)); }
  TComponent* operator[](Integer Index) const { return Items(Index); }
  TComponent* First() const { return static_cast<TComponent*>(TList::First()); }
  TComponent* Last() const { return static_cast<TComponent*>(TList::Last()); }

 protected:
  void Notify(Pointer Ptr, TListNotification Action) override;

 private:
  class TNexus;
  std::unique_ptr<TNexus> FNexus;
};

}  // namespace vcl

#include "platform/rtl/MacroShieldEnd.h"
