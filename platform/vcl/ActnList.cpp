// Actions, action lists and action links.
#include "platform/vcl/ActnList.h"

#include <algorithm>

#include "platform/classes/Streaming.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/Menus.h"

namespace vcl {

// ---------------------------------------------------------------------------
// TShortCutList

Integer TShortCutList::IndexOfShortCut(TShortCut ShortCut) {
  for (Integer i = 0; i < Count(); ++i)
    if (TextToShortCut(Strings(i)) == ShortCut) return i;
  return -1;
}

TShortCut TShortCutList::ShortCuts(Integer Index) { return TextToShortCut(Strings(Index)); }

// ---------------------------------------------------------------------------
// TContainedAction

TContainedAction::TContainedAction(TComponent* AOwner) : TBasicAction(AOwner) {}

TContainedAction::~TContainedAction() {
  if (FActionList) FActionList->RemoveAction(this);
}

void TContainedAction::SetActionList(TCustomActionList* Value) {
  if (Value == FActionList) return;
  if (FActionList) FActionList->RemoveAction(this);
  if (Value) Value->AddAction(this);
}

void TContainedAction::SetCategory(const String& Value) {
  if (Value == FCategory) return;
  FCategory = Value;
  if (FActionList) FActionList->Change();
}

Integer TContainedAction::Index() const {
  if (!FActionList) return -1;
  auto& v = FActionList->FActions;
  auto it = std::find(v.begin(), v.end(), this);
  return it == v.end() ? -1 : Integer(it - v.begin());
}

void TContainedAction::SetIndex(Integer Value) {
  Integer cur = Index();
  if (cur < 0) return;
  auto& v = FActionList->FActions;
  Value = std::clamp(Value, 0, Integer(v.size()) - 1);
  if (Value == cur) return;
  v.erase(v.begin() + cur);
  v.insert(v.begin() + Value, this);
  FActionList->Change();
}

bool TContainedAction::Execute() {
  if (FActionList && FActionList->ExecuteAction(this)) return true;
  if (Application && Application->ExecuteAction(this)) return true;
  return TBasicAction::Execute();
}

bool TContainedAction::Update() {
  if (FActionList && FActionList->UpdateAction(this)) return true;
  if (Application && Application->UpdateAction(this)) return true;
  return TBasicAction::Update();
}

TComponent* TContainedAction::GetParentComponent() {
  if (FActionList) return FActionList;
  return TBasicAction::GetParentComponent();
}

bool TContainedAction::HasParent() { return FActionList != nullptr || TBasicAction::HasParent(); }

void TContainedAction::SetParentComponent(TComponent* AParent) {
  if (auto* l = dynamic_cast<TCustomActionList*>(AParent)) SetActionList(l);
}

void TContainedAction::ReadState(TReader* Reader) {
  TBasicAction::ReadState(Reader);
  if (auto* l = dynamic_cast<TCustomActionList*>(Reader->Parent())) SetActionList(l);
}

// ---------------------------------------------------------------------------
// TCustomAction

TCustomAction::TCustomAction(TComponent* AOwner) : TContainedAction(AOwner) {}

TCustomAction::~TCustomAction() = default;

void TCustomAction::Assign(TPersistent* Source) {
  auto* a = dynamic_cast<TCustomAction*>(Source);
  if (!a) {
    TContainedAction::Assign(Source);
    return;
  }
  SetAutoCheck(a->AutoCheck());
  SetCaption(a->Caption());
  SetChecked(a->Checked());
  SetEnabled(a->Enabled());
  SetGroupIndex(a->GroupIndex());
  SetHelpContext(a->HelpContext());
  SetHint(a->Hint());
  SetImageIndex(a->ImageIndex());
  SetShortCut(a->ShortCut());
  SetVisible(a->Visible());
  SetDisableIfNoHandler(a->DisableIfNoHandler());
  SetOnExecute(a->OnExecute());
  SetOnUpdate(a->OnUpdate());
}

// Every setter hands the new value to the links first, while they can still
// tell (by comparing with the old value) whether their client follows.
#define QN_ACTION_SETTER(Field, Value, LinkSetter)                        \
  if ((Value) == Field) return;                                           \
  {                                                                       \
    std::vector<TBasicActionLink*> clients = FClients;                    \
    for (TBasicActionLink* l : clients)                                   \
      if (auto* al = dynamic_cast<TActionLink*>(l)) al->LinkSetter(Value); \
  }                                                                       \
  Field = (Value);                                                        \
  Change();

void TCustomAction::SetCaption(const String& Value) { QN_ACTION_SETTER(FCaption, Value, SetCaption) }
void TCustomAction::SetHint(const String& Value) { QN_ACTION_SETTER(FHint, Value, SetHint) }
void TCustomAction::SetEnabled(bool Value) { QN_ACTION_SETTER(FEnabled, Value, SetEnabled) }
void TCustomAction::SetVisible(bool Value) { QN_ACTION_SETTER(FVisible, Value, SetVisible) }
void TCustomAction::SetImageIndex(TImageIndex Value) { QN_ACTION_SETTER(FImageIndex, Value, SetImageIndex) }
void TCustomAction::SetShortCut(TShortCut Value) { QN_ACTION_SETTER(FShortCut, Value, SetShortCut) }
void TCustomAction::SetHelpContext(Integer Value) { QN_ACTION_SETTER(FHelpContext, Value, SetHelpContext) }
void TCustomAction::SetAutoCheck(bool Value) { QN_ACTION_SETTER(FAutoCheck, Value, SetAutoCheck) }

void TCustomAction::SetGroupIndex(Integer Value) {
  QN_ACTION_SETTER(FGroupIndex, Value, SetGroupIndex)
  if (FChecked && FGroupIndex > 0) {
    bool c = FChecked;
    FChecked = false;
    SetChecked(c);
  }
}

void TCustomAction::SetChecked(bool Value) {
  if (FChecking || Value == FChecked) return;
  FChecking = true;
  try {
    {
      std::vector<TBasicActionLink*> clients = FClients;
      for (TBasicActionLink* l : clients)
        if (auto* al = dynamic_cast<TActionLink*>(l)) al->SetChecked(Value);
    }
    FChecked = Value;
    // The others of the group in the same list go off.
    if (Value && FGroupIndex > 0 && ActionList())
      for (Integer i = 0; i < ActionList()->ActionCount(); ++i)
        if (auto* a = dynamic_cast<TCustomAction*>(ActionList()->Actions(i)))
          if (a != this && a->FGroupIndex == FGroupIndex) a->SetChecked(false);
    Change();
  } catch (...) {
    FChecking = false;
    throw;
  }
  FChecking = false;
}

#undef QN_ACTION_SETTER

TShortCutList* TCustomAction::SecondaryShortCuts() {
  if (!FSecondaryShortCuts) FSecondaryShortCuts = std::make_unique<TShortCutList>();
  return FSecondaryShortCuts.get();
}

void TCustomAction::SetSecondaryShortCuts(TShortCutList* Value) { SecondaryShortCuts()->Assign(Value); }

TCustomImageList* TCustomAction::Images() const { return ActionList() ? ActionList()->Images() : nullptr; }

bool TCustomAction::Execute() {
  Update();
  if (!FEnabled) return false;
  if (FAutoCheck) SetChecked(FGroupIndex > 0 ? true : !FChecked);
  return TContainedAction::Execute();
}

bool TCustomAction::Update() {
  bool r = TContainedAction::Update();
  // Nobody looked after the action: it can run exactly when it has a handler.
  if (!r && FDisableIfNoHandler) SetEnabled(static_cast<bool>(OnExecute()));
  return r;
}

// ---------------------------------------------------------------------------
// TCustomActionList

TCustomActionList::TCustomActionList(TComponent* AOwner)
    : TComponent(AOwner), FImageChangeLink(std::make_unique<TChangeLink>()) {
  FImageChangeLink->OnChange = TNotifyEvent(this, &TCustomActionList::ImageListChange);
}

TCustomActionList::~TCustomActionList() {
  FImageChangeLink.reset();
  // The actions stay (their owner frees them) but leave the list.
  std::vector<TContainedAction*> actions = std::move(FActions);
  for (TContainedAction* a : actions) a->FActionList = nullptr;
}

void TCustomActionList::SetImages(TCustomImageList* Value) {
  if (Value == FImages) return;
  if (FImages) {
    FImages->UnRegisterChanges(FImageChangeLink.get());
    FImages->RemoveFreeNotification(this);
  }
  FImages = Value;
  if (FImages) {
    FImages->RegisterChanges(FImageChangeLink.get());
    FImages->FreeNotification(this);
  }
  Change();
}

void TCustomActionList::ImageListChange(TObject*) { Change(); }

void TCustomActionList::SetState(TActionListState Value) {
  if (Value == FState) return;
  FState = Value;
  if (FState == asSuspendedEnabled)
    for (TContainedAction* a : FActions)
      if (auto* ca = dynamic_cast<TCustomAction*>(a)) ca->SetEnabled(true);
  Change();
}

bool TCustomActionList::ExecuteAction(TBasicAction* Action) {
  if (FState != asNormal) return true;  // suspended: nothing runs
  bool handled = false;
  if (FOnExecute) FOnExecute(Action, handled);
  return handled;
}

bool TCustomActionList::UpdateAction(TBasicAction* Action) {
  if (FState != asNormal) return true;  // suspended: nothing updates
  bool handled = false;
  if (FOnUpdate) FOnUpdate(Action, handled);
  return handled;
}

bool TCustomActionList::IsShortCut(TShortCut ShortCut) {
  if (!ShortCut) return false;
  std::vector<TContainedAction*> actions = FActions;
  for (TContainedAction* a : actions) {
    auto* ca = dynamic_cast<TCustomAction*>(a);
    if (!ca) continue;
    if (ca->ShortCut() == ShortCut ||
        (ca->IsSecondaryShortCutsStored() && ca->SecondaryShortCuts()->IndexOfShortCut(ShortCut) >= 0)) {
      ca->Update();
      if (!ca->Enabled()) return false;
      ca->HandleShortCut();
      return true;
    }
  }
  return false;
}

void TCustomActionList::AddAction(TContainedAction* Action) {
  if (!Action || Action->FActionList == this) return;
  if (Action->FActionList) Action->FActionList->RemoveAction(Action);
  FActions.push_back(Action);
  Action->FActionList = this;
  Action->FreeNotification(this);
  Change();
}

void TCustomActionList::RemoveAction(TContainedAction* Action) {
  auto it = std::find(FActions.begin(), FActions.end(), Action);
  if (it == FActions.end()) return;
  FActions.erase(it);
  Action->FActionList = nullptr;
  Action->RemoveFreeNotification(this);
  Change();
}

void TCustomActionList::GetChildren(const TGetChildProc& Proc, TComponent* Root) {
  for (TContainedAction* a : FActions)
    if (a->Owner() == Root) Proc(a);
}

void TCustomActionList::SetChildOrder(TComponent* Child, Integer Order) {
  if (auto* a = dynamic_cast<TContainedAction*>(Child)) a->SetIndex(Order);
}

void TCustomActionList::Change() {
  if (FOnChange) FOnChange(this);
}

void TCustomActionList::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  if (AComponent == FImages) SetImages(nullptr);
  if (auto* a = dynamic_cast<TContainedAction*>(AComponent)) RemoveAction(a);
}

// ---------------------------------------------------------------------------
// TControlActionLink

bool TControlActionLink::IsCaptionLinked() {
  return TActionLink::IsCaptionLinked() && FClient && FClient->Caption() == CustomAction()->Caption();
}
bool TControlActionLink::IsEnabledLinked() {
  return TActionLink::IsEnabledLinked() && FClient && FClient->Enabled() == CustomAction()->Enabled();
}
bool TControlActionLink::IsHintLinked() {
  return TActionLink::IsHintLinked() && FClient && FClient->Hint() == CustomAction()->Hint();
}
bool TControlActionLink::IsVisibleLinked() {
  return TActionLink::IsVisibleLinked() && FClient && FClient->Visible() == CustomAction()->Visible();
}
bool TControlActionLink::IsOnExecuteLinked() { return FAction && FClient && FClient->OnClick() == FAction->OnExecute(); }

void TControlActionLink::SetCaption(const String& Value) {
  if (IsCaptionLinked()) FClient->SetCaption(Value);
}
void TControlActionLink::SetEnabled(bool Value) {
  if (IsEnabledLinked()) FClient->SetEnabled(Value);
}
void TControlActionLink::SetHint(const String& Value) {
  if (IsHintLinked()) FClient->SetHint(Value);
}
void TControlActionLink::SetVisible(bool Value) {
  if (IsVisibleLinked()) FClient->SetVisible(Value);
}
void TControlActionLink::SetOnExecute(const TNotifyEvent& Value) {
  if (IsOnExecuteLinked()) FClient->SetOnClick(Value);
}

}  // namespace vcl

QN_PUBLISHED_IMPL(vcl::TAction)
QN_PUBLISHED_IMPL(vcl::TActionList)
