// The StdActns unit's edit actions: cut, copy, paste, select all, undo and
// delete on an edit control. Each reaches its target through the usual
// action dispatch (the focused control first, so a control that claims an
// action class in its ExecuteAction wins), and acts only on a focused
// TCustomEdit: the one set as Control, or any when Control is nil.
#pragma once
#include "platform/rtl/MacroShield.h"

#include "platform/vcl/ActnList.h"
#include "platform/vcl/StdCtrls.h"

namespace vcl {

class TEditAction : public TAction {
  QN_CLASS_CREATE(TEditAction, TAction, TComponent)
 public:
  explicit TEditAction(TComponent* AOwner) : TAction(AOwner) {}
  ~TEditAction() override;

  bool HandlesTarget(TObject* Target) override;
  void UpdateTarget(TObject* Target) override;

  TCustomEdit* Control() const { return FControl; }
  void SetControl(TCustomEdit* Value);

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;
  // The edit the action works on (the target once HandlesTarget said yes).
  static TCustomEdit* Edit(TObject* Target) { return static_cast<TCustomEdit*>(Target); }

 private:
  TCustomEdit* FControl = nullptr;
};

class TEditCut : public TEditAction {
  QN_CLASS_CREATE(TEditCut, TEditAction, TComponent)
 public:
  explicit TEditCut(TComponent* AOwner) : TEditAction(AOwner) {}
  void UpdateTarget(TObject* Target) override;
  void ExecuteTarget(TObject* Target) override;
};

class TEditCopy : public TEditAction {
  QN_CLASS_CREATE(TEditCopy, TEditAction, TComponent)
 public:
  explicit TEditCopy(TComponent* AOwner) : TEditAction(AOwner) {}
  void UpdateTarget(TObject* Target) override;
  void ExecuteTarget(TObject* Target) override;
};

class TEditPaste : public TEditAction {
  QN_CLASS_CREATE(TEditPaste, TEditAction, TComponent)
 public:
  explicit TEditPaste(TComponent* AOwner) : TEditAction(AOwner) {}
  void UpdateTarget(TObject* Target) override;
  void ExecuteTarget(TObject* Target) override;
};

class TEditSelectAll : public TEditAction {
  QN_CLASS_CREATE(TEditSelectAll, TEditAction, TComponent)
 public:
  explicit TEditSelectAll(TComponent* AOwner) : TEditAction(AOwner) {}
  void UpdateTarget(TObject* Target) override;
  void ExecuteTarget(TObject* Target) override;
};

class TEditUndo : public TEditAction {
  QN_CLASS_CREATE(TEditUndo, TEditAction, TComponent)
 public:
  explicit TEditUndo(TComponent* AOwner) : TEditAction(AOwner) {}
  void UpdateTarget(TObject* Target) override;
  void ExecuteTarget(TObject* Target) override;
};

class TEditDelete : public TEditAction {
  QN_CLASS_CREATE(TEditDelete, TEditAction, TComponent)
 public:
  explicit TEditDelete(TComponent* AOwner) : TEditAction(AOwner) {}
  void UpdateTarget(TObject* Target) override;
  void ExecuteTarget(TObject* Target) override;
};

}  // namespace vcl

#include "platform/rtl/MacroShieldEnd.h"
