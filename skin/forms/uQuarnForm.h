// uQuarnForm: the window-procedure hook base every form-level component
// stands on, and the process-wide registries of skinned windowed controls
// and skinned forms.
#pragma once

#include <memory>
#include <vector>

#include "platform/classes/Component.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/WindowHooks.h"
#include "skin/forms/uQnFormSkinVar.h"

namespace qn {

// Takes over its owner form's messages at run time: NewWndProc sees each
// message first and, in this base, passes it on unchanged. At design time,
// or with an owner that is not a form, nothing is hooked. Several such
// components may hook one form and go in any order.
class TQnHookWindowProc : public TComponent {
  QN_CLASS(TQnHookWindowProc, TComponent)
 public:
  explicit TQnHookWindowProc(TComponent* AOwner);
  ~TQnHookWindowProc() override;
  TForm* DestForm() const { return FDestForm; }
  bool Hooked() const { return FHook != nullptr && FHook->Active(); }

 protected:
  virtual void NewWndProc(TMessage& Message);
  // Passes the message to the procedure that was in place before the hook
  // (the rest of the form's hook chain).
  void OldWndProc(TMessage& Message);
  // Removes the hook early (a component that stops handling its form).
  void Unhook();

  TForm* FDestForm = nullptr;

 private:
  std::unique_ptr<TWindowProcHook> FHook;
};

// The skinned windowed controls alive at run time. Adding twice keeps one
// entry, removing an absent one does nothing, and a control destroyed
// without removing itself leaves the list.
class TQnWinControlHelper : public TComponent {
  QN_CLASS(TQnWinControlHelper, TComponent)
 public:
  TQnWinControlHelper() : TComponent(nullptr) {}
  ~TQnWinControlHelper() override;
  void Add(TWinControl* Control);
  void Remove(TWinControl* Control);
  Integer Count() const { return Integer(FList.size()); }
  TWinControl* Items(Integer Index) const;
  Integer IndexOf(TWinControl* Control) const;

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  std::vector<TWinControl*> FList;
};
TQnWinControlHelper* TQnWinControlHelperObj();

// One skinned form: the form and the form-skin component on it.
struct TFormSkinHelperDataRec {
  TCustomForm* Form = nullptr;
  TComponent* SkinForm = nullptr;
};

// The skinned forms alive at run time. An entry leaves the list when either
// its form or its form skin is destroyed.
class TQnFormSkinHelper : public TComponent {
  QN_CLASS(TQnFormSkinHelper, TComponent)
 public:
  TQnFormSkinHelper() : TComponent(nullptr) {}
  ~TQnFormSkinHelper() override;
  Integer GetCount() const { return Integer(FList.size()); }
  Integer Count() const { return GetCount(); }
  // EListError for an index outside the list.
  const TFormSkinHelperDataRec& Items(Integer Index) const;
  // A second entry for the same form skin replaces the first.
  void Add(TCustomForm* Form, TComponent* SkinForm);
  void Remove(TComponent* SkinForm);
  // -1 when the form has no entry.
  Integer IndexOfForm(TCustomForm* Form) const;

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  void Watch(TComponent* C);
  std::vector<TFormSkinHelperDataRec> FList;
};
TQnFormSkinHelper* TQnFormSkinHelperObj();

void DoneQuarnForm();

}  // namespace qn
