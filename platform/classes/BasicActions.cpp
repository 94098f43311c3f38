#include "platform/classes/BasicActions.h"

#include <algorithm>

namespace vcl {

// ---------------------------------------------------------------------------
// TComponent as an action target

bool TComponent::ExecuteAction(TBasicAction* Action) {
  if (!Action || !Action->HandlesTarget(this)) return false;
  Action->ExecuteTarget(this);
  return true;
}

bool TComponent::UpdateAction(TBasicAction* Action) {
  if (!Action || !Action->HandlesTarget(this)) return false;
  Action->UpdateTarget(this);
  return true;
}

// ---------------------------------------------------------------------------
// TBasicActionLink

TBasicActionLink::TBasicActionLink(TObject* AClient) { AssignClient(AClient); }

TBasicActionLink::~TBasicActionLink() {
  if (FAction) FAction->UnRegisterChanges(this);
}

bool TBasicActionLink::Execute(TComponent* AComponent) {
  if (!FAction) return false;
  FAction->SetActionComponent(AComponent);
  bool r = false;
  try {
    r = FAction->Execute();
  } catch (...) {
    // The action may be gone by now (freed by its own handler).
    if (FAction) FAction->SetActionComponent(nullptr);
    throw;
  }
  if (FAction) FAction->SetActionComponent(nullptr);
  return r;
}

bool TBasicActionLink::Update() { return FAction && FAction->Update(); }

void TBasicActionLink::SetAction(TBasicAction* Value) {
  if (Value == FAction) return;
  if (FAction) FAction->UnRegisterChanges(this);
  FAction = Value;
  if (FAction) FAction->RegisterChanges(this);
}

void TBasicActionLink::Change() {
  if (OnChange) OnChange(FAction);
}

// ---------------------------------------------------------------------------
// TBasicAction

TBasicAction::TBasicAction(TComponent* AOwner) : TComponent(AOwner) {}

TBasicAction::~TBasicAction() {
  std::vector<TBasicActionLink*> clients = std::move(FClients);
  for (TBasicActionLink* l : clients) l->FAction = nullptr;
  if (FActionComponent) FActionComponent->RemoveFreeNotification(this);
}

bool TBasicAction::Execute() {
  if (!FOnExecute) return false;
  FOnExecute(this);
  return true;
}

bool TBasicAction::Update() {
  if (!FOnUpdate) return false;
  FOnUpdate(this);
  return true;
}

void TBasicAction::SetActionComponent(TComponent* Value) {
  if (Value == FActionComponent) return;
  if (FActionComponent) FActionComponent->RemoveFreeNotification(this);
  FActionComponent = Value;
  if (FActionComponent) FActionComponent->FreeNotification(this);
}

void TBasicAction::SetOnExecute(const TNotifyEvent& Value) {
  if (Value == FOnExecute) return;
  // Clients whose click was the old handler take the new one.
  std::vector<TBasicActionLink*> clients = FClients;
  for (TBasicActionLink* l : clients) l->SetOnExecute(Value);
  FOnExecute = Value;
  Change();
}

void TBasicAction::SetOnUpdate(const TNotifyEvent& Value) {
  if (Value == FOnUpdate) return;
  FOnUpdate = Value;
  Change();
}

void TBasicAction::RegisterChanges(TBasicActionLink* Value) {
  if (Value && std::find(FClients.begin(), FClients.end(), Value) == FClients.end()) FClients.push_back(Value);
}

void TBasicAction::UnRegisterChanges(TBasicActionLink* Value) {
  auto it = std::find(FClients.begin(), FClients.end(), Value);
  if (it != FClients.end()) FClients.erase(it);
}

void TBasicAction::Change() {
  std::vector<TBasicActionLink*> clients = FClients;
  for (TBasicActionLink* l : clients)
    if (std::find(FClients.begin(), FClients.end(), l) != FClients.end()) l->Change();
  if (FOnChange) FOnChange(this);
}

void TBasicAction::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FActionComponent) FActionComponent = nullptr;
}

}  // namespace vcl
