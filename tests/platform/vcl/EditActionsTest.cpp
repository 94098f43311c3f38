// The standard edit actions: enabled states over selections, read-only
// edits and the clipboard; execution on the focused edit only; a control
// that claims an action class in its ExecuteAction first.
#include <memory>

#include "platform/user/Clipboard.h"
#include "platform/vcl/Clipbrd.h"
#include "platform/vcl/StdActns.h"
#include "platform/vcl/StdCtrls.h"
#include "tests/platform/vcl/FormsTestSupport.h"

namespace t_edit_actions_test {

using namespace vcl;
using namespace formstest;

namespace {

// An edit that runs copy actions its own way.
class TClaimingEdit : public TEdit {
 public:
  using TEdit::TEdit;
  int Claimed = 0;
  bool ExecuteAction(TBasicAction* Action) override {
    if (dynamic_cast<TEditCopy*>(Action)) {
      ++Claimed;
      return true;
    }
    return TEdit::ExecuteAction(Action);
  }
};

class Platform_EditActions : public FormsTest {
 protected:
  void SetUp() override {
    FormsTest::SetUp();
    ResetClipboard();
    Form.reset(new TForm(nullptr));
    Form->SetBounds(100, 100, 400, 300);
    List = new TActionList(Form.get());
    Cut = Add(new TEditCut(Form.get()));
    Copy = Add(new TEditCopy(Form.get()));
    Paste = Add(new TEditPaste(Form.get()));
    SelAll = Add(new TEditSelectAll(Form.get()));
    Undo = Add(new TEditUndo(Form.get()));
    Del = Add(new TEditDelete(Form.get()));
    A = MakeEdit<TEdit>(10);
    B = MakeEdit<TClaimingEdit>(40);
    Form->Show();
    Application->ProcessMessages();
  }
  void TearDown() override {
    Form.reset();
    ResetClipboard();
    FormsTest::TearDown();
  }
  template <class A>
  A* Add(A* a) {
    a->SetActionList(List);
    return a;
  }
  template <class E>
  E* MakeEdit(Integer y) {
    E* e = new E(Form.get());
    e->SetParent(Form.get());
    e->SetBounds(10, y, 200, 22);
    return e;
  }
  void Focus(TWinControl* c) {
    c->SetFocus();
    Application->ProcessMessages();
  }
  // Enabled states of cut, copy, paste, select all, undo, delete.
  std::string States() {
    std::string s;
    for (TCustomAction* a : {static_cast<TCustomAction*>(Cut), static_cast<TCustomAction*>(Copy),
                             static_cast<TCustomAction*>(Paste), static_cast<TCustomAction*>(SelAll),
                             static_cast<TCustomAction*>(Undo), static_cast<TCustomAction*>(Del)}) {
      a->Update();
      s += a->Enabled() ? '1' : '0';
    }
    return s;
  }
  std::unique_ptr<TForm> Form;
  TActionList* List = nullptr;
  TEditCut* Cut = nullptr;
  TEditCopy* Copy = nullptr;
  TEditPaste* Paste = nullptr;
  TEditSelectAll* SelAll = nullptr;
  TEditUndo* Undo = nullptr;
  TEditDelete* Del = nullptr;
  TEdit* A = nullptr;
  TClaimingEdit* B = nullptr;
};

TEST_F(Platform_EditActions, EnabledStatesFollowSelectionReadOnlyAndClipboard) {
  A->SetText(u"hello world");
  Focus(A);
  A->SetSelStart(0);
  A->SetSelLength(0);
  //           cut copy paste all undo delete
  EXPECT_EQ(States(), "000100");
  A->SetSelStart(6);
  A->SetSelLength(5);
  EXPECT_EQ(States(), "110101");
  A->SelectAll();
  EXPECT_EQ(States(), "110001");  // everything selected: nothing left to select
  Clipboard()->SetAsText(u"pasted");
  EXPECT_EQ(States(), "111001");
  A->SetReadOnly(true);
  EXPECT_EQ(States(), "010000");
  A->SetReadOnly(false);
  A->SetText(u"");
  EXPECT_EQ(States(), "001000");
  // Without a focused edit none of them has a target.
  auto* button = new TButton(Form.get());
  button->SetParent(Form.get());
  button->SetBounds(10, 100, 80, 25);
  A->SetText(u"text");
  Focus(button);
  EXPECT_EQ(States(), "000000");
}

TEST_F(Platform_EditActions, ExecutionReachesTheFocusedEditOnly) {
  A->SetText(u"alpha beta");
  B->SetText(u"other");
  Focus(A);
  A->SetSelStart(6);
  A->SetSelLength(4);
  EXPECT_TRUE(Cut->Execute());
  EXPECT_EQ(A->Text(), u"alpha ");
  EXPECT_EQ(Clipboard()->AsText(), u"beta");
  EXPECT_EQ(B->Text(), u"other");
  EXPECT_TRUE(Undo->Execute());
  EXPECT_EQ(A->Text(), u"alpha beta");
  A->SetSelStart(0);
  A->SetSelLength(0);
  EXPECT_TRUE(Paste->Execute());
  EXPECT_EQ(A->Text(), u"betaalpha beta");
  EXPECT_TRUE(SelAll->Execute());
  EXPECT_EQ(A->SelLength(), 14);
  EXPECT_TRUE(Del->Execute());
  EXPECT_EQ(A->Text(), u"");
  EXPECT_EQ(B->Text(), u"other");
  // A read-only edit keeps its text whatever runs.
  A->SetText(u"fixed");
  A->SetReadOnly(true);
  A->SelectAll();
  Cut->ExecuteTarget(A);
  Del->ExecuteTarget(A);
  Paste->ExecuteTarget(A);
  EXPECT_EQ(A->Text(), u"fixed");
  EXPECT_EQ(Clipboard()->AsText(), u"fixed");  // cut of a read-only edit copies

  // Bound to one edit, the action ignores the others even when focused.
  Copy->SetControl(A);
  EXPECT_FALSE(Copy->HandlesTarget(B));
  Focus(B);
  EXPECT_FALSE(Copy->HandlesTarget(A));  // not focused
  B->SelectAll();
  Copy->Update();
  EXPECT_FALSE(Copy->Enabled());
  Copy->SetControl(nullptr);
  delete A;  // the action forgets a control that goes
  A = nullptr;
}

TEST_F(Platform_EditActions, AControlClaimingTheClassWins) {
  B->SetText(u"claimed");
  Clipboard()->SetAsText(u"untouched");
  Focus(B);
  B->SelectAll();
  EXPECT_TRUE(Copy->Execute());
  EXPECT_EQ(B->Claimed, 1);
  EXPECT_EQ(Clipboard()->AsText(), u"untouched");
  // Other classes still reach it the usual way.
  EXPECT_TRUE(Del->Execute());
  EXPECT_EQ(B->Text(), u"");
  EXPECT_EQ(B->Claimed, 1);
}

TEST_F(Platform_EditActions, ControlFreedWhileBound) {
  Cut->SetControl(A);
  delete A;
  A = nullptr;
  EXPECT_EQ(Cut->Control(), nullptr);
}

}  // namespace

}  // namespace t_edit_actions_test
