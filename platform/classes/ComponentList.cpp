#include "platform/classes/ComponentList.h"

namespace vcl {

// The list's ear: free notification needs a component on the other end.
class TComponentList::TNexus : public TComponent {
 public:
  explicit TNexus(TComponentList* AList) : TComponent(nullptr), FList(AList) {}
  void Watch(TComponent* C) { C->FreeNotification(this); }
  void Unwatch(TComponent* C) { C->RemoveFreeNotification(this); }

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override {
    if (Operation == opRemove && FList) {
      // A component on its way out leaves the list; it is not freed twice.
      while (FList->IndexOf(AComponent) >= 0) FList->Extract(AComponent);
    }
    TComponent::Notification(AComponent, Operation);
  }

 private:
  TComponentList* FList;
};

TComponentList::TComponentList(bool AOwnsObjects) : TObjectList(AOwnsObjects), FNexus(new TNexus(this)) {}

TComponentList::~TComponentList() { Clear(); }

void TComponentList::Notify(Pointer Ptr, TListNotification Action) {
  auto* c = static_cast<TComponent*>(Ptr);
  if (Action == lnAdded) FNexus->Watch(c);
  else if (IndexOf(c) < 0) FNexus->Unwatch(c);  // the last entry of it went
  TObjectList::Notify(Ptr, Action);
}

}  // namespace vcl
