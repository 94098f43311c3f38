// The action basics of the Classes unit: an action (TBasicAction) runs a
// piece of work for whatever client invokes it, and clients (controls, menu
// items) follow it through action links. The action lists and the actions
// with captions, checks and shortcuts live in the ActnList unit
// (platform/vcl).
//
// An action that goes clears every link to it, so no client is left with a
// dangling action; clients also ask for its free notification.
#pragma once
#include "platform/rtl/MacroShield.h"

#include <vector>

#include "platform/classes/Component.h"

namespace vcl {

class TBasicAction;

// A key with its shift keys: the virtual key in the low byte, scShift,
// scCtrl and scAlt above it; 0 is none.
using TShortCut = Word;
inline constexpr TShortCut scShift = 0x2000, scCtrl = 0x4000, scAlt = 0x8000, scNone = 0;

// A list's or the application's say in running (updating) an action:
// Handled ends the search for someone to do it.
using TActionEvent = TEvent<void(TBasicAction* Action, bool& Handled)>;

// A client's view of one action.
class TBasicActionLink : public TObject {
  QN_CLASS(TBasicActionLink, TObject)
 public:
  explicit TBasicActionLink(TObject* AClient);
  ~TBasicActionLink() override;

  // Runs the action with AComponent as its invoking component.
  virtual bool Execute(TComponent* AComponent = nullptr);
  virtual bool Update();
  TBasicAction* Action() const { return FAction; }
  virtual void SetAction(TBasicAction* Value);
  // Called whenever the action reports a change.
  TNotifyEvent OnChange;

 protected:
  friend class TBasicAction;
  virtual void AssignClient(TObject* /*AClient*/) {}
  virtual void Change();
  // Whether the client's click event is the action's OnExecute.
  virtual bool IsOnExecuteLinked() { return true; }
  virtual void SetOnExecute(const TNotifyEvent& /*Value*/) {}

  TBasicAction* FAction = nullptr;
};

class TBasicAction : public TComponent {
  QN_CLASS_CREATE(TBasicAction, TComponent, TComponent)
 public:
  explicit TBasicAction(TComponent* AOwner);
  ~TBasicAction() override;

  // Target protocol: a target the action can act on, and how.
  virtual bool HandlesTarget(TObject* /*Target*/) { return false; }
  virtual void UpdateTarget(TObject* /*Target*/) {}
  virtual void ExecuteTarget(TObject* /*Target*/) {}
  // Fires OnExecute (OnUpdate); true when there was a handler.
  virtual bool Execute();
  virtual bool Update();
  // The client that invoked the action last.
  TComponent* ActionComponent() const { return FActionComponent; }
  void SetActionComponent(TComponent* Value);

  const TNotifyEvent& OnExecute() const { return FOnExecute; }
  virtual void SetOnExecute(const TNotifyEvent& Value);
  const TNotifyEvent& OnUpdate() const { return FOnUpdate; }
  void SetOnUpdate(const TNotifyEvent& Value);

  void RegisterChanges(TBasicActionLink* Value);
  void UnRegisterChanges(TBasicActionLink* Value);
  Integer ClientCount() const { return Integer(FClients.size()); }
  TBasicActionLink* Clients(Integer Index) const { return FClients[size_t(Index)]; }

 protected:
  virtual void Change();
  void Notification(TComponent* AComponent, TOperation Operation) override;

  std::vector<TBasicActionLink*> FClients;
  TNotifyEvent FOnChange;

 private:
  TComponent* FActionComponent = nullptr;
  TNotifyEvent FOnExecute, FOnUpdate;
};

}  // namespace vcl

#include "platform/rtl/MacroShieldEnd.h"
