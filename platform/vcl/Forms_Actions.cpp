// The forms' and the application's part in running and updating actions,
// and in shortcuts.
#include "platform/vcl/ActnList.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/Menus.h"

namespace vcl {

namespace {

// The active form first, then the main form when it is another.
bool DispatchAction(UINT Msg, TBasicAction* Action) {
  if (!Screen) return false;
  TCustomForm* active = Screen->ActiveForm();
  if (active && active->Perform(Msg, 0, reinterpret_cast<LPARAM>(Action)) != 0) return true;
  TCustomForm* main = Application ? Application->MainForm() : nullptr;
  return main && main != active && Screen->IndexOfForm(main) >= 0 &&
         main->Perform(Msg, 0, reinterpret_cast<LPARAM>(Action)) != 0;
}

void UpdateControlActions(TWinControl* Container) {
  for (Integer i = 0; i < Container->ControlCount(); ++i) {
    TControl* c = Container->Controls(i);
    if (!c->Visible()) continue;
    if (c->ControlStyle().Contains(csActionClient)) c->InitiateAction();
    if (auto* w = dynamic_cast<TWinControl*>(c); w && w->Showing()) UpdateControlActions(w);
  }
}

}  // namespace

bool TApplication::ExecuteAction(TBasicAction* Action) {
  bool handled = false;
  if (OnActionExecute) OnActionExecute(Action, handled);
  return handled || DispatchAction(CM_ACTIONEXECUTE, Action);
}

bool TApplication::UpdateAction(TBasicAction* Action) {
  bool handled = false;
  if (OnActionUpdate) OnActionUpdate(Action, handled);
  return handled || DispatchAction(CM_ACTIONUPDATE, Action);
}

void TCustomForm::CMActionExecuteUpdate(TMessage& Message) {
  auto* action = reinterpret_cast<TBasicAction*>(Message.LParam);
  bool execute = Message.Msg == CM_ACTIONEXECUTE;
  Message.Result = 0;
  if (!action) return;
  // The focused control is the likeliest target, then the form itself.
  TWinControl* focused = FocusedControl() ? FocusedControl() : ActiveControl();
  if (focused && focused != this && (execute ? focused->ExecuteAction(action) : focused->UpdateAction(action))) {
    Message.Result = 1;
    return;
  }
  if (execute ? ExecuteAction(action) : UpdateAction(action)) Message.Result = 1;
}

void TCustomForm::UpdateActions() {
  if (ComponentState().Contains(csDesigning) || !Showing()) return;
  InitiateAction();
  for (Integer i = 0; i < ComponentCount(); ++i)
    if (auto* m = dynamic_cast<TMenu*>(Components(i))) m->Items()->InitiateActions();
  UpdateControlActions(this);
}

bool TCustomForm::IsShortCut(TWMKey& Message) {
  TShortCut sc = ShortCutFromMessage(Message);
  if (!sc) return false;
  for (Integer i = 0; i < ComponentCount(); ++i)
    if (auto* l = dynamic_cast<TCustomActionList*>(Components(i)))
      if (l->IsShortCut(sc)) return true;
  return false;
}

}  // namespace vcl
