#include "skin/forms/uQuarnForm.h"

#include <algorithm>

#include "platform/rtl/SysUtils.h"

namespace qn {

// ---------------------------------------------------------------------------
// TQnHookWindowProc

TQnHookWindowProc::TQnHookWindowProc(TComponent* AOwner) : TComponent(AOwner) {
  auto* form = dynamic_cast<TForm*>(AOwner);
  if (!form || ComponentState().Contains(csDesigning) || AOwner->ComponentState().Contains(csDesigning)) return;
  FDestForm = form;
  FHook = HookWindowProc(form, [this](TMessage& m) { NewWndProc(m); });
}

TQnHookWindowProc::~TQnHookWindowProc() { Unhook(); }

void TQnHookWindowProc::NewWndProc(TMessage& Message) { OldWndProc(Message); }

void TQnHookWindowProc::OldWndProc(TMessage& Message) {
  if (FHook) FHook->CallNext(Message);
}

void TQnHookWindowProc::Unhook() {
  if (FHook) FHook->Remove();
}

// ---------------------------------------------------------------------------
// Registries

namespace {
TQnWinControlHelper* GWinControls = nullptr;
TQnFormSkinHelper* GFormSkins = nullptr;
}  // namespace

TQnWinControlHelper::~TQnWinControlHelper() {
  for (TWinControl* c : FList) RemoveFreeNotification(c);
}

void TQnWinControlHelper::Add(TWinControl* Control) {
  if (!Control || IndexOf(Control) >= 0) return;
  FList.push_back(Control);
  FreeNotification(Control);
}

void TQnWinControlHelper::Remove(TWinControl* Control) {
  auto it = std::find(FList.begin(), FList.end(), Control);
  if (it == FList.end()) return;
  FList.erase(it);
  RemoveFreeNotification(Control);
}

TWinControl* TQnWinControlHelper::Items(Integer Index) const {
  if (Index < 0 || Index >= Count()) throw EListError(u"List index out of bounds (" + IntToStr(Index) + u")");
  return FList[size_t(Index)];
}

Integer TQnWinControlHelper::IndexOf(TWinControl* Control) const {
  auto it = std::find(FList.begin(), FList.end(), Control);
  return it == FList.end() ? -1 : Integer(it - FList.begin());
}

void TQnWinControlHelper::Notification(TComponent* AComponent, TOperation Operation) {
  inherited::Notification(AComponent, Operation);
  if (Operation == opRemove)
    std::erase_if(FList, [&](TWinControl* c) { return static_cast<TComponent*>(c) == AComponent; });
}

TQnWinControlHelper* TQnWinControlHelperObj() {
  if (!GWinControls) GWinControls = new TQnWinControlHelper();
  return GWinControls;
}

TQnFormSkinHelper::~TQnFormSkinHelper() {
  for (const auto& e : FList) {
    RemoveFreeNotification(e.Form);
    if (e.SkinForm) RemoveFreeNotification(e.SkinForm);
  }
}

const TFormSkinHelperDataRec& TQnFormSkinHelper::Items(Integer Index) const {
  if (Index < 0 || Index >= GetCount()) throw EListError(u"List index out of bounds (" + IntToStr(Index) + u")");
  return FList[size_t(Index)];
}

void TQnFormSkinHelper::Add(TCustomForm* Form, TComponent* SkinForm) {
  if (!Form) return;
  Remove(SkinForm);
  FList.push_back({Form, SkinForm});
  FreeNotification(Form);
  if (SkinForm) FreeNotification(SkinForm);
}

void TQnFormSkinHelper::Remove(TComponent* SkinForm) {
  if (!SkinForm) return;
  std::erase_if(FList, [&](const TFormSkinHelperDataRec& e) { return e.SkinForm == SkinForm; });
}

Integer TQnFormSkinHelper::IndexOfForm(TCustomForm* Form) const {
  for (size_t i = 0; i < FList.size(); ++i)
    if (FList[i].Form == Form) return Integer(i);
  return -1;
}

void TQnFormSkinHelper::Notification(TComponent* AComponent, TOperation Operation) {
  inherited::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  std::erase_if(FList, [&](const TFormSkinHelperDataRec& e) {
    return static_cast<TComponent*>(e.Form) == AComponent || e.SkinForm == AComponent;
  });
}

TQnFormSkinHelper* TQnFormSkinHelperObj() {
  if (!GFormSkins) GFormSkins = new TQnFormSkinHelper();
  return GFormSkins;
}

void DoneQuarnForm() {
  delete GWinControls;
  GWinControls = nullptr;
  delete GFormSkins;
  GFormSkins = nullptr;
}

}  // namespace qn

QN_PUBLISHED_IMPL(qn::TQnFormOptions)
QN_PUBLISHED_IMPL(qn::TQuarnForm)
