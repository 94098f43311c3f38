#include "platform/classes/Component.h"

#include "platform/rtl/SysUtils.h"

#include <algorithm>

namespace vcl {

namespace {

void EraseOne(std::vector<TComponent*>& list, TComponent* c) {
  auto it = std::find(list.begin(), list.end(), c);
  if (it != list.end()) list.erase(it);
}

}  // namespace

bool IsValidIdent(const String& Ident) {
  if (Ident.empty()) return false;
  auto alpha = [](char16_t c) { return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || c == u'_'; };
  if (!alpha(Ident[0])) return false;
  for (char16_t c : Ident)
    if (!alpha(c) && !(c >= u'0' && c <= u'9')) return false;
  return true;
}

TComponent::TComponent(TComponent* AOwner) {
  if (AOwner) AOwner->InsertComponent(this);
}

TComponent::~TComponent() {
  if (!FComponentState.Contains(csDestroying)) Destroying();
  RemoveFreeNotifications();
  // Owned components may free one another from their destructors; the loop
  // re-reads the list after every deletion, so nothing is freed twice.
  while (!FComponents.empty()) {
    TComponent* instance = FComponents.back();
    try {
      if (instance->FComponentState.Contains(csFreeNotification) ||
          (FComponentState.Contains(csDesigning) && FComponentState.Contains(csInline)))
        RemoveComponent(instance);
    } catch (...) {
    }
    if (instance->FOwner == this) Remove(instance);
    delete instance;
  }
  if (TComponent* owner = FOwner) {
    try {
      owner->Notification(this, opRemove);
    } catch (...) {
    }
    if (FOwner == owner) owner->Remove(this);
  }
}

void TComponent::BeforeDestruction() {
  if (!FComponentState.Contains(csDestroying)) Destroying();
  RemoveFreeNotifications();
}

void TComponent::Destroying() {
  if (FComponentState.Contains(csDestroying)) return;
  FComponentState.Include(csDestroying);
  for (size_t i = 0; i < FComponents.size(); ++i) FComponents[i]->Destroying();
}

void TComponent::DestroyComponents() {
  while (!FComponents.empty()) {
    TComponent* instance = FComponents.back();
    if (instance->FComponentState.Contains(csFreeNotification) ||
        (FComponentState.Contains(csDesigning) && FComponentState.Contains(csInline)))
      RemoveComponent(instance);
    else
      Remove(instance);
    delete instance;
  }
}

TComponent* TComponent::Components(Integer Index) const {
  if (Index < 0 || Index >= ComponentCount())
    throw EListError(u"List index out of bounds (" + FromUtf8(std::to_string(Index)) + u")");
  return FComponents[static_cast<size_t>(Index)];
}

Integer TComponent::ComponentIndex() const {
  if (!FOwner) return -1;
  auto& list = FOwner->FComponents;
  auto it = std::find(list.begin(), list.end(), this);
  return it == list.end() ? -1 : static_cast<Integer>(it - list.begin());
}

void TComponent::SetComponentIndex(Integer Value) {
  if (!FOwner) return;
  Integer i = ComponentIndex();
  if (i < 0) return;
  Integer count = FOwner->ComponentCount();
  Value = std::clamp(Value, 0, count - 1);
  if (Value == i) return;
  auto& list = FOwner->FComponents;
  list.erase(list.begin() + i);
  list.insert(list.begin() + Value, this);
}

void TComponent::SetName(const TComponentName& NewName) {
  if (FName == NewName) return;
  if (!NewName.empty() && !IsValidIdent(NewName))
    throw EComponentError(u"'" + NewName + u"' is not a valid component name");
  if (FOwner) FOwner->ValidateRename(this, FName, NewName);
  else ValidateRename(nullptr, FName, NewName);
  ChangeName(NewName);
}

void TComponent::ChangeName(const TComponentName& NewName) { FName = NewName; }

void TComponent::ValidateRename(TComponent* AComponent, const String& CurName, const String& NewName) {
  if (AComponent && !SameText(CurName, NewName) && AComponent->FOwner == this && FindComponent(NewName))
    throw EComponentError(u"A component named " + NewName + u" already exists");
}

void TComponent::ValidateContainer(TComponent* AComponent) { AComponent->ValidateInsert(this); }
void TComponent::ValidateInsert(TComponent*) {}

TComponent* TComponent::FindComponent(const String& AName) const {
  if (AName.empty()) return nullptr;
  for (TComponent* c : FComponents)
    if (SameText(c->FName, AName)) return c;
  return nullptr;
}

void TComponent::Insert(TComponent* AComponent) {
  FComponents.push_back(AComponent);
  AComponent->FOwner = this;
}

void TComponent::Remove(TComponent* AComponent) {
  AComponent->FOwner = nullptr;
  EraseOne(FComponents, AComponent);
}

void TComponent::InsertComponent(TComponent* AComponent) {
  if (!AComponent || AComponent->FOwner == this) return;
  AComponent->ValidateContainer(this);
  // Checked before anything moves: a clash leaves both owners as they were.
  // Two siblings with one name would make FindComponent and form files
  // ambiguous, so a clash is refused on insertion as on renaming.
  if (!AComponent->FName.empty() && FindComponent(AComponent->FName))
    throw EComponentError(u"A component named " + AComponent->FName + u" already exists");
  if (AComponent->FOwner) AComponent->FOwner->RemoveComponent(AComponent);
  Insert(AComponent);
  if (FComponentState.Contains(csDesigning)) AComponent->SetDesigning(true);
  Notification(AComponent, opInsert);
}

void TComponent::RemoveComponent(TComponent* AComponent) {
  if (!AComponent || AComponent->FOwner != this) return;
  ValidateRename(AComponent, AComponent->FName, u"");
  try {
    Notification(AComponent, opRemove);
  } catch (...) {
    Remove(AComponent);
    throw;
  }
  Remove(AComponent);
}

void TComponent::Notification(TComponent* AComponent, TOperation Operation) {
  if (Operation == opRemove && AComponent) RemoveFreeNotification(AComponent);
  // A component may leave (or free another) while hearing the news; walk
  // from the end and re-clamp so every remaining one is told once.
  Integer i = ComponentCount() - 1;
  while (i >= 0) {
    FComponents[static_cast<size_t>(i)]->Notification(AComponent, Operation);
    --i;
    if (i >= ComponentCount()) i = ComponentCount() - 1;
  }
}

void TComponent::FreeNotification(TComponent* AComponent) {
  if (!AComponent || AComponent == this) return;
  // Components of one owner hear of each other through the owner already.
  if (!FOwner || AComponent->FOwner != FOwner) {
    if (std::find(FFreeNotifies.begin(), FFreeNotifies.end(), AComponent) == FFreeNotifies.end()) {
      FFreeNotifies.push_back(AComponent);
      AComponent->FreeNotification(this);
    }
  }
  FComponentState.Include(csFreeNotification);
}

void TComponent::RemoveNotification(TComponent* AComponent) { EraseOne(FFreeNotifies, AComponent); }

void TComponent::RemoveFreeNotification(TComponent* AComponent) {
  if (!AComponent) return;
  RemoveNotification(AComponent);
  AComponent->RemoveNotification(this);
}

void TComponent::RemoveFreeNotifications() noexcept {
  // Each partner is unlinked before it is told, so a partner whose
  // Notification does not call the inherited one cannot make this loop spin.
  while (!FFreeNotifies.empty()) {
    TComponent* partner = FFreeNotifies.back();
    FFreeNotifies.pop_back();
    partner->RemoveNotification(this);
    try {
      partner->Notification(this, opRemove);
    } catch (...) {
    }
  }
}

void TComponent::SetSubComponent(bool IsSubComponent) {
  if (IsSubComponent) FComponentStyle.Include(csSubComponent);
  else FComponentStyle.Exclude(csSubComponent);
}

TPersistent* TComponent::GetOwner() { return FOwner; }
String TComponent::GetNamePath() { return FName; }

TComponent* TComponent::GetParentComponent() { return nullptr; }
bool TComponent::HasParent() { return false; }
void TComponent::SetParentComponent(TComponent*) {}
void TComponent::GetChildren(const TGetChildProc&, TComponent*) {}
TComponent* TComponent::GetChildOwner() { return nullptr; }
TComponent* TComponent::GetChildParent() { return this; }
void TComponent::SetChildOrder(TComponent*, Integer) {}

void TComponent::Loaded() { FComponentState.Exclude(csLoading); }
void TComponent::Updating() { FComponentState.Include(csUpdating); }
void TComponent::Updated() { FComponentState.Exclude(csUpdating); }

// ReadState and WriteState are defined by the streaming unit (Streaming.cpp).

void TComponent::SetDesigning(bool Value, bool SetChildren) {
  if (Value) FComponentState.Include(csDesigning);
  else FComponentState.Exclude(csDesigning);
  if (SetChildren)
    for (TComponent* c : FComponents) c->SetDesigning(Value, true);
}

void TComponent::SetInline(bool Value) {
  if (Value) FComponentState.Include(csInline);
  else FComponentState.Exclude(csInline);
}

void TComponent::SetAncestor(bool Value) {
  if (Value) FComponentState.Include(csAncestor);
  else FComponentState.Exclude(csAncestor);
  for (TComponent* c : FComponents) c->SetAncestor(Value);
}

void TComponent::SetDesignInstance(bool Value) {
  if (Value) FComponentState.Include(csDesignInstance);
  else FComponentState.Exclude(csDesignInstance);
}

TComponent* CreateComponent(TComponentClass ComponentClass, TComponent* AOwner) {
  if (!ComponentClass || !ComponentClass->InheritsFrom(TComponent::StaticClass()))
    throw EInvalidCast(u"Invalid class typecast");
  return static_cast<TComponent*>(ComponentClass->Create(AOwner));
}

}  // namespace vcl
