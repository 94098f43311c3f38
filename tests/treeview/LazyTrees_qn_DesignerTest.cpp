// A tree on a form in the design host reports the changes it makes itself
// (columns added, resized or changed by its own code, an update batch
// ended) to the form's designer, so that the form is saved with them; not
// while the form is being read, and not outside design mode.
#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "platform/ide/DesignIntf.h"
#include "platform/vcl/ExtCtrls.h"
#include "platform/vcl/Forms.h"
#include "treeview/LazyTrees_qn_StringTree.h"

namespace t_lazy_trees_qn_designer_test {

using namespace qn;

namespace {

TEST(LazyTrees_qn_Designer, ChangesTheTreeMakesItselfMarkTheFormModified) {
  std::unique_ptr<TForm> form(new TForm(nullptr));
  // On a panel: the designer is found through the parent form.
  auto* panel = new TPanel(form.get());
  panel->SetParent(form.get());
  auto* tree = new TLazyStringTree_qn(form.get());
  tree->SetParent(panel);
  tree->Header()->Columns()->Add()->SetWidth(100);
  // As in the designer's form window: resizes reach a tree with a window.
  form->Show();
  tree->HandleNeeded();
  auto designer = std::make_unique<TDesigner>(form.get());
  ASSERT_NE(form->Designer(), nullptr);

  struct Case {
    const char* Name;
    std::function<void(TLazyStringTree_qn*)> Change;
    bool Marks;
  };
  const Case cases[] = {
      {"a column added", [](TLazyStringTree_qn* T) { T->Header()->Columns()->Add(); }, true},
      {"a column resized", [](TLazyStringTree_qn* T) { T->Header()->Columns()->Items(0)->SetWidth(140); }, true},
      {"a column's text changed", [](TLazyStringTree_qn* T) { T->Header()->Columns()->Items(0)->SetText(u"Name"); },
       true},
      {"an update batch ended",
       [](TLazyStringTree_qn* T) {
         T->BeginUpdate();
         T->EndUpdate();
       },
       true},
      {"the form being read",
       [](TLazyStringTree_qn* T) {
         T->Updating();
         T->Header()->Columns()->Add()->SetWidth(60);
         T->BeginUpdate();
         T->EndUpdate();
         T->Updated();
       },
       false},
      {"the tree out of design mode",
       [](TLazyStringTree_qn* T) {
         T->SetDesigning(false);
         T->Header()->Columns()->Items(0)->SetWidth(90);
         T->SetDesigning(true);
       },
       false},
  };
  for (const Case& c : cases) {
    Integer before = designer->ModifiedCount();
    c.Change(tree);
    EXPECT_EQ(designer->ModifiedCount() > before, c.Marks) << c.Name;
  }

  // The form outlives its designer and forgets it: later changes reach no
  // freed designer (the address checker watches).
  designer.reset();
  EXPECT_EQ(form->Designer(), nullptr);
  tree->Header()->Columns()->Items(0)->SetWidth(80);
}

}  // namespace

}  // namespace t_lazy_trees_qn_designer_test
