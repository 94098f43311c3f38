#include "platform/vcl/StdActns.h"

#include "platform/vcl/Clipbrd.h"

namespace vcl {

TEditAction::~TEditAction() {
  if (FControl) FControl->RemoveFreeNotification(this);
}

bool TEditAction::HandlesTarget(TObject* Target) {
  auto* edit = dynamic_cast<TCustomEdit*>(Target);
  if (!edit || (FControl && edit != FControl)) return false;
  return edit->Focused();
}

void TEditAction::UpdateTarget(TObject*) {}

void TEditAction::SetControl(TCustomEdit* Value) {
  if (Value == FControl) return;
  if (FControl) FControl->RemoveFreeNotification(this);
  FControl = Value;
  if (FControl) FControl->FreeNotification(this);
}

void TEditAction::Notification(TComponent* AComponent, TOperation Operation) {
  TAction::Notification(AComponent, Operation);
  if (Operation == TOperation::opRemove && AComponent == FControl) FControl = nullptr;
}

void TEditCut::UpdateTarget(TObject* Target) { SetEnabled(Edit(Target)->SelLength() > 0 && !Edit(Target)->ReadOnly()); }
// A read-only edit keeps its text even when the action is run without an update.
void TEditCut::ExecuteTarget(TObject* Target) {
  if (Edit(Target)->ReadOnly()) Edit(Target)->CopyToClipboard();
  else Edit(Target)->CutToClipboard();
}

void TEditCopy::UpdateTarget(TObject* Target) { SetEnabled(Edit(Target)->SelLength() > 0); }
void TEditCopy::ExecuteTarget(TObject* Target) { Edit(Target)->CopyToClipboard(); }

void TEditPaste::UpdateTarget(TObject* Target) {
  SetEnabled(!Edit(Target)->ReadOnly() && (Clipboard()->HasFormat(CF_UNICODETEXT) || Clipboard()->HasFormat(CF_TEXT)));
}
void TEditPaste::ExecuteTarget(TObject* Target) {
  if (!Edit(Target)->ReadOnly()) Edit(Target)->PasteFromClipboard();
}

void TEditSelectAll::UpdateTarget(TObject* Target) {
  Integer len = Integer(Edit(Target)->Text().size());
  SetEnabled(len > 0 && Edit(Target)->SelLength() != len);
}
void TEditSelectAll::ExecuteTarget(TObject* Target) { Edit(Target)->SelectAll(); }

void TEditUndo::UpdateTarget(TObject* Target) { SetEnabled(Edit(Target)->CanUndo()); }
void TEditUndo::ExecuteTarget(TObject* Target) { Edit(Target)->Undo(); }

void TEditDelete::UpdateTarget(TObject* Target) {
  SetEnabled(Edit(Target)->SelLength() > 0 && !Edit(Target)->ReadOnly());
}
void TEditDelete::ExecuteTarget(TObject* Target) {
  if (!Edit(Target)->ReadOnly()) Edit(Target)->ClearSelection();
}

}  // namespace vcl
