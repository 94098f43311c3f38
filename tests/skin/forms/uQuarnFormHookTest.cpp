// The window-procedure hook base: when it hooks, the order messages take,
// hooks and hand-made WindowProc swaps going in any order, and the
// registries of skinned controls and forms.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "skin/forms/uQuarnForm.h"

namespace t_u_quarn_form_hook_test {

using namespace qn;

namespace {

constexpr UINT kProbe = WM_USER + 77;
std::vector<std::string> GLog;

class TLogForm : public TForm {
  QN_CLASS(TLogForm, TForm)
 public:
  explicit TLogForm(TComponent* AOwner) : TForm(AOwner) {}
  void WndProc(TMessage& Message) override {
    if (Message.Msg == kProbe) GLog.push_back("form");
    inherited::WndProc(Message);
  }
};

class TLogHook : public TQnHookWindowProc {
  QN_CLASS(TLogHook, TQnHookWindowProc)
 public:
  TLogHook(TComponent* AOwner, std::string Name) : TQnHookWindowProc(AOwner), FName(std::move(Name)) {}
  bool Swallow = false;

 protected:
  void NewWndProc(TMessage& Message) override {
    if (Message.Msg == kProbe) {
      GLog.push_back(FName);
      if (Swallow) {
        Message.Result = 42;
        return;
      }
    }
    inherited::NewWndProc(Message);
  }

 private:
  std::string FName;
};

std::vector<std::string> Probe(TControl* c) {
  GLog.clear();
  c->Perform(kProbe, 0, 0);
  return GLog;
}

using TLog = std::vector<std::string>;

}  // namespace

TEST(uQuarnForm_Hook, HooksOnlyAFormAtRunTime) {
  std::unique_ptr<TLogForm> form(new TLogForm(nullptr));
  auto* hook = new TLogHook(form.get(), "hook");
  EXPECT_TRUE(hook->Hooked());
  EXPECT_EQ(hook->DestForm(), form.get());
  EXPECT_EQ(Probe(form.get()), (TLog{"hook", "form"}));
  delete hook;
  EXPECT_EQ(Probe(form.get()), (TLog{"form"}));

  TComponent plain(nullptr);
  TLogHook notForm(&plain, "x");
  EXPECT_FALSE(notForm.Hooked());
  EXPECT_EQ(notForm.DestForm(), nullptr);

  form->SetDesigning(true);
  TLogHook designing(form.get(), "design");
  EXPECT_FALSE(designing.Hooked());
  EXPECT_EQ(Probe(form.get()), (TLog{"form"}));
  form->RemoveComponent(&designing);
}

TEST(uQuarnForm_Hook, NewerHooksSeeMessagesFirstAndMayKeepThem) {
  std::unique_ptr<TLogForm> form(new TLogForm(nullptr));
  auto* a = new TLogHook(form.get(), "a");
  auto* b = new TLogHook(form.get(), "b");
  EXPECT_EQ(Probe(form.get()), (TLog{"b", "a", "form"}));
  b->Swallow = true;
  GLog.clear();
  EXPECT_EQ(form->Perform(kProbe, 0, 0), 42);
  EXPECT_EQ(GLog, (TLog{"b"}));
  delete a;
  delete b;
  EXPECT_EQ(WindowProcHookCount(form.get()), 0);
}

TEST(uQuarnForm_Hook, HooksAndHandMadeSwapsUndoneInAnyOrder) {
  for (int order = 0; order < 2; ++order) {
    std::unique_ptr<TLogForm> form(new TLogForm(nullptr));
    auto* a = new TLogHook(form.get(), "a");
    auto* b = new TLogHook(form.get(), "b");
    // Someone saves WindowProc and puts their own in front, the old way.
    TWndMethod saved = form->WindowProc();
    form->SetWindowProc([saved](TMessage& m) {
      if (m.Msg == kProbe) GLog.push_back("swap");
      saved(m);
    });
    EXPECT_EQ(Probe(form.get()), (TLog{"swap", "b", "a", "form"}));
    if (order == 0) {
      delete a;
      EXPECT_EQ(Probe(form.get()), (TLog{"swap", "b", "form"}));
      delete b;
    } else {
      delete b;
      EXPECT_EQ(Probe(form.get()), (TLog{"swap", "a", "form"}));
      delete a;
    }
    EXPECT_EQ(Probe(form.get()), (TLog{"swap", "form"}));
    form->SetWindowProc(saved);
    saved = nullptr;
    EXPECT_EQ(Probe(form.get()), (TLog{"form"}));
    // A hook made now still works on the restored procedure.
    auto* d = new TLogHook(form.get(), "d");
    EXPECT_EQ(Probe(form.get()), (TLog{"d", "form"}));
    delete d;
    EXPECT_EQ(Probe(form.get()), (TLog{"form"}));
  }
}

TEST(uQuarnForm_Hook, FormFreesItsHooksWhileGoing) {
  for (int n = 1; n <= 3; ++n) {
    auto* form = new TLogForm(nullptr);
    for (int i = 0; i < n; ++i) new TLogHook(form, "h" + std::to_string(i));
    form->HandleNeeded();
    EXPECT_EQ(WindowProcHookCount(form), n);
    delete form;  // the hooks go with it, after the form's window
  }
}

TEST(uQuarnForm_Hook, HookRemovedWhileItsMessageRunsStillPassesItOn) {
  std::unique_ptr<TLogForm> form(new TLogForm(nullptr));
  auto* a = new TLogHook(form.get(), "a");
  std::unique_ptr<TWindowProcHook> self;
  self = HookWindowProc(form.get(), [&](TMessage& m) {
    if (m.Msg == kProbe) GLog.push_back("self");
    self->Remove();
    self->CallNext(m);
  });
  EXPECT_EQ(Probe(form.get()), (TLog{"self", "a", "form"}));
  EXPECT_EQ(Probe(form.get()), (TLog{"a", "form"}));
  delete a;
  EXPECT_EQ(WindowProcHookCount(form.get()), 0);
}

TEST(uQuarnForm_Registry, SkinnedControlsAndFormsComeAndGo) {
  TQnWinControlHelper* controls = TQnWinControlHelperObj();
  EXPECT_EQ(controls, TQnWinControlHelperObj());
  const Integer base = controls->Count();
  std::unique_ptr<TLogForm> host(new TLogForm(nullptr));
  auto* panel = new TWinControl(host.get());
  controls->Add(panel);
  controls->Add(panel);
  EXPECT_EQ(controls->Count(), base + 1);
  EXPECT_EQ(controls->Items(controls->IndexOf(panel)), panel);
  controls->Remove(host.get());  // never added: nothing happens
  EXPECT_EQ(controls->Count(), base + 1);
  delete panel;  // gone without removing itself
  EXPECT_EQ(controls->Count(), base);
  EXPECT_THROW(controls->Items(base), EListError);

  TQnFormSkinHelper* forms = TQnFormSkinHelperObj();
  const Integer fbase = forms->GetCount();
  auto* f1 = new TLogForm(nullptr);
  auto* f2 = new TLogForm(nullptr);
  TComponent skin1(nullptr), skin2(nullptr);
  forms->Add(f1, &skin1);
  forms->Add(f2, &skin2);
  forms->Add(f1, &skin1);
  EXPECT_EQ(forms->GetCount(), fbase + 2);
  EXPECT_GE(forms->IndexOfForm(f2), 0);
  EXPECT_EQ(forms->Items(forms->IndexOfForm(f2)).SkinForm, &skin2);
  delete f1;  // the form goes before its skin
  EXPECT_EQ(forms->IndexOfForm(f1), -1);
  EXPECT_EQ(forms->GetCount(), fbase + 1);
  forms->Remove(&skin2);
  EXPECT_EQ(forms->GetCount(), fbase);
  forms->Remove(&skin2);
  EXPECT_EQ(forms->GetCount(), fbase);
  delete f2;
}

}  // namespace t_u_quarn_form_hook_test
