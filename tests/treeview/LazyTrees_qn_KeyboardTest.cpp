// The tree at the keyboard, played through the input driver on the virtual
// clock: focus and range selection, grid focus, pages, Home/End, the signs
// of both keyboards, the space-bar check, Escape, the popup menu of the Apps
// key, the help chain, F2, a tree without nodes, the key action hook and the
// dialog manager's Tab.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "examples/gallery/TreeKeyboardSheet.h"
#include "platform/desktop/Desktop.h"
#include "platform/user/Notify.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/Menus.h"
#include "platform/vcl/StdCtrls.h"
#include "tests/common/Golden.h"
#include "treeview/LazyTrees_qn_StringTree.h"

namespace t_lazy_trees_qn_keyboard_test {

using namespace qn;

namespace {

class TKeyTree : public TLazyStringTree_qn {
  QN_CLASS(TKeyTree, TLazyStringTree_qn)
 public:
  explicit TKeyTree(TComponent* AOwner) : TLazyStringTree_qn(AOwner) {}
  using TBaseLazyTree_qn::FCheckNode;
  // Keys handed to the incremental search (counted even when one is
  // already waiting for its character).
  int SearchKeys = 0;
  void DoStateChange(TLazyTreeStates Enter, TLazyTreeStates Leave = {}) override {
    if (Enter.Contains(tsIncrementalSearchPending)) ++SearchKeys;
    inherited::DoStateChange(Enter, Leave);
  }
  // Editing reached through overrides: which cells may be edited, and the
  // edits started.
  bool Editable = false;
  std::vector<TColumnIndex> Edits;
  bool CanEdit(PLazyNode, TColumnIndex) override { return Editable; }
  void DoEdit() override { Edits.push_back(FEditColumn); }
};

class LazyTrees_qn_Keyboard : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetInput();
    SetVirtualClock(true);
    Form = new TForm(nullptr);
    Form->SetPosition(poDesigned);
    Form->SetBounds(40, 30, 520, 400);
    T = new TKeyTree(Form);
    T->SetParent(Form);
    T->SetBounds(10, 10, 400, 200);
    for (auto [text, width] : {std::pair{u"Name", 150}, {u"Kind", 100}, {u"Size", 80}}) {
      TLazyTreeColumn* c = T->Header()->Columns()->Add();
      c->SetText(text);
      c->SetWidth(width);
    }
    T->Header()->SetOptions(T->Header()->Options() + TVTHeaderOptions{hoVisible});
    // Three folders of four files, the folders open.
    T->SetRootNodeCount(3);
    for (PLazyNode n = T->GetFirst(); n; n = T->GetNextSibling(n)) {
      T->SetChildCount(n, 4);
      T->SetExpanded(n, true);
    }
    T->SetOnGetText([this](TBaseLazyTree_qn*, PLazyNode N, TColumnIndex Column, TVSTTextType, String& Text) {
      Text = Name(N) + u"/" + IntToStr(Column);
    });
    Form->Show();
    T->SetFocus();
    Pump();
  }
  void TearDown() override {
    SetMenuResponder(nullptr);
    delete Form;
    ResetInput();
    if (Application) Application->ClearHelpLog();
    SetVirtualClock(false);
  }
  static void Pump() { Application->ProcessMessages(); }
  // A key pressed and released with the given modifiers held.
  void Key(int VK, std::initializer_list<int> Modifiers = {}) {
    for (int m : Modifiers) InputKeyDown(m);
    InputKeyDown(VK);
    InputKeyUp(VK);
    for (int m : Modifiers) InputKeyUp(m);
    Pump();
  }
  // "2.1": the second folder's second file; "1": the first folder.
  String Name(PLazyNode N) {
    if (N->Parent == T->RootNode()) return IntToStr(Integer(N->Index + 1));
    return Name(N->Parent) + u"." + IntToStr(Integer(N->Index + 1));
  }
  PLazyNode Node(const String& Path) {
    for (PLazyNode n = T->GetFirst(); n; n = T->GetNext(n))
      if (Name(n) == Path) return n;
    return nullptr;
  }
  String Focused() { return T->FocusedNode() ? Name(T->FocusedNode()) : String(u"-"); }
  String Selection() {
    String s;
    for (PLazyNode n = T->GetFirst(); n; n = T->GetNext(n))
      if (T->GetSelected(n)) s += (s.empty() ? u"" : u" ") + Name(n);
    return s;
  }
  void Options(TVTSelectionOptions Selection, TVTMiscOptions Misc = {}) {
    T->TreeOptions()->SetSelectionOptions(T->TreeOptions()->SelectionOptions() + Selection);
    T->TreeOptions()->SetMiscOptions(T->TreeOptions()->MiscOptions() + Misc);
  }
  TForm* Form = nullptr;
  TKeyTree* T = nullptr;
};

TEST_F(LazyTrees_qn_Keyboard, ArrowsMoveFocusAndShiftExtendsTheRange) {
  Options({toMultiSelect});
  Key(VK_DOWN);
  EXPECT_EQ(Focused(), u"1");
  EXPECT_EQ(Selection(), u"1");
  Key(VK_DOWN);
  Key(VK_DOWN, {VK_SHIFT});
  Key(VK_DOWN, {VK_SHIFT});
  EXPECT_EQ(Focused(), u"1.3");
  EXPECT_EQ(Selection(), u"1.1 1.2 1.3");
  // Back towards the anchor gives the nodes up again, past it takes new ones.
  Key(VK_UP, {VK_SHIFT});
  Key(VK_UP, {VK_SHIFT});
  Key(VK_UP, {VK_SHIFT});
  EXPECT_EQ(Focused(), u"1");
  EXPECT_EQ(Selection(), u"1 1.1");
  // Shift+End toggles the range from where the focus stood, the anchor
  // kept; from the anchor itself it selects through to the last node.
  Key(VK_END, {VK_SHIFT});
  EXPECT_EQ(T->SelectedCount(), 14);
  EXPECT_FALSE(T->GetSelected(Node(u"1")));
  Key(VK_HOME);
  Key(VK_END, {VK_SHIFT});
  EXPECT_EQ(T->SelectedCount(), 15);
  Key(VK_HOME);
  EXPECT_EQ(Focused(), u"1");
  EXPECT_EQ(Selection(), u"1");
  // Left collapses an open folder, Right opens it and then enters it,
  // Backspace goes to the parent.
  Key(VK_LEFT);
  EXPECT_FALSE(T->Expanded(Node(u"1")));
  Key(VK_RIGHT);
  EXPECT_TRUE(T->Expanded(Node(u"1")));
  Key(VK_RIGHT);
  EXPECT_EQ(Focused(), u"1.1");
  Key(VK_BACK);
  EXPECT_EQ(Focused(), u"1");
  // Ctrl moves the view, not the focus.
  T->SetFocusedNode(Node(u"3.4"));
  Integer y = T->OffsetY();
  Key(VK_UP, {VK_CONTROL});
  EXPECT_EQ(T->OffsetY(), y + Integer(T->DefaultNodeHeight()));
  EXPECT_EQ(Focused(), u"3.4");
}

TEST_F(LazyTrees_qn_Keyboard, ShiftLeftFromAChildDependsOnItsPlaceAndTheAnchor) {
  Options({toMultiSelect});
  // A first child whose parent lies after the anchor leaves the selection.
  T->SetFocusedNode(Node(u"1.4"));
  Key(VK_UP);
  Key(VK_DOWN);  // anchor 1.4
  Key(VK_DOWN, {VK_SHIFT});
  Key(VK_DOWN, {VK_SHIFT});
  EXPECT_EQ(Selection(), u"1.4 2 2.1");
  Key(VK_LEFT, {VK_SHIFT});
  EXPECT_EQ(Focused(), u"2");
  EXPECT_EQ(Selection(), u"1.4 2");
  // A later sibling selects from where it stood up to the parent.
  T->ClearSelection();
  T->SetFocusedNode(Node(u"3.3"));
  Key(VK_DOWN);
  Key(VK_UP);  // anchor 3.3
  Key(VK_LEFT, {VK_SHIFT});
  EXPECT_EQ(Focused(), u"3");
  EXPECT_EQ(Selection(), u"3 3.1 3.2 3.3");
}

TEST_F(LazyTrees_qn_Keyboard, GridFocusMovesOverCellsAndSkipsRefusedOnes) {
  Options({toExtendedFocus}, {toGridExtensions});
  T->SetWantTabs(true);
  T->SetFocusedNodeAndColumn(Node(u"1"), 0);
  Key(VK_TAB);
  EXPECT_EQ(T->FocusedColumn(), 1);
  Key(VK_TAB);
  Key(VK_TAB);
  EXPECT_EQ(Focused(), u"1.1");
  EXPECT_EQ(T->FocusedColumn(), 0);
  Key(VK_TAB, {VK_SHIFT});
  EXPECT_EQ(Focused(), u"1");
  EXPECT_EQ(T->FocusedColumn(), 2);
  // Left and Right walk the columns and stop at the ends.
  Key(VK_LEFT);
  Key(VK_LEFT);
  Key(VK_LEFT);
  EXPECT_EQ(T->FocusedColumn(), 0);
  Key(VK_RIGHT);
  EXPECT_EQ(T->FocusedColumn(), 1);
  EXPECT_EQ(Focused(), u"1");
  // A refused cell is skipped: the Kind column of 1.1 and every cell of
  // 1.2 but its size.
  T->OnFocusChanging = [this](TBaseLazyTree_qn*, PLazyNode, PLazyNode NewNode, TColumnIndex, TColumnIndex NewColumn,
                              bool& Allowed) {
    String n = Name(NewNode);
    if ((n == u"1.1" && NewColumn == 1) || (n == u"1.2" && NewColumn != 2)) Allowed = false;
  };
  T->SetFocusedNodeAndColumn(Node(u"1.1"), 0);
  Key(VK_TAB);
  EXPECT_EQ(T->FocusedColumn(), 2);
  Key(VK_TAB);
  EXPECT_EQ(Focused(), u"1.2");
  EXPECT_EQ(T->FocusedColumn(), 2);
  // Home and End go to the first and last cell the focus may take; the
  // handler is asked about the focused node's cells.
  Key(VK_HOME, {VK_CONTROL});
  EXPECT_EQ(Focused(), u"1");
  EXPECT_EQ(T->FocusedColumn(), 2);
  T->OnFocusChanging = nullptr;
  Key(VK_HOME, {VK_CONTROL});
  EXPECT_EQ(Focused(), u"1");
  EXPECT_EQ(T->FocusedColumn(), 0);
  Key(VK_END, {VK_CONTROL});
  EXPECT_EQ(Focused(), u"3.4");
  EXPECT_EQ(T->FocusedColumn(), 2);
}

TEST_F(LazyTrees_qn_Keyboard, TabLeavesTheTreeUnlessItWantsTabs) {
  auto* edit = new TEdit(Form);
  edit->SetParent(Form);
  edit->SetBounds(10, 230, 200, 24);
  T->SetTabOrder(0);
  Pump();
  EXPECT_EQ(T->Perform(WM_GETDLGCODE, 0, 0), DLGC_WANTARROWS | DLGC_WANTCHARS);
  T->SetFocus();
  Key(VK_TAB);
  EXPECT_TRUE(edit->Focused());
  T->SetWantTabs(true);
  EXPECT_EQ(T->Perform(WM_GETDLGCODE, 0, 0), DLGC_WANTARROWS | DLGC_WANTCHARS | DLGC_WANTTAB);
  T->SetFocus();
  Key(VK_TAB);
  EXPECT_TRUE(T->Focused());
  // Released, the tab focuses a node when none has the focus.
  EXPECT_EQ(Focused(), u"1");
}

TEST_F(LazyTrees_qn_Keyboard, PagesOfNodesAndOfColumns) {
  // A client area of 100 pixels, rows of 18: five steps either way.
  T->SetHeight(T->Height() - T->ClientHeight() + 100);
  ASSERT_EQ(T->ClientHeight(), 100);
  T->SetFocusedNode(Node(u"1"));
  Key(VK_NEXT);
  EXPECT_EQ(Focused(), u"2");
  Key(VK_PRIOR);
  EXPECT_EQ(Focused(), u"1");
  // A tall node weighs twice on a page up, which adds it when it gets there
  // and again when it tests the next step: one step across it, where a
  // page down takes three.
  T->SetNodeHeight(Node(u"1.3"), 60);
  T->SetFocusedNode(Node(u"1.4"));
  Key(VK_PRIOR);
  EXPECT_EQ(Focused(), u"1.3");
  T->SetFocusedNode(Node(u"1.2"));
  Key(VK_NEXT);
  EXPECT_EQ(Focused(), u"2");
  T->SetHeight(200);

  // Shift+Alt pages columns, never onto a fixed one.
  TLazyTreeColumn* extra = T->Header()->Columns()->Add();
  extra->SetText(u"Owner");
  extra->SetWidth(60);
  TLazyTreeColumn* name = T->Header()->Columns()->Items(0);
  name->SetOptions(name->Options() + TVTColumnOptions{coFixed});
  T->SetFocusedColumn(3);
  Key(VK_PRIOR, {VK_SHIFT, VK_MENU});
  EXPECT_EQ(T->FocusedColumn(), 1) << "the fixed Name column is not entered";
  Key(VK_NEXT, {VK_SHIFT, VK_MENU});
  EXPECT_EQ(T->FocusedColumn(), 3);
  // Shift+Ctrl pages the view sideways.
  T->SetOffsetX(0);
  Key(VK_NEXT, {VK_SHIFT, VK_CONTROL});
  EXPECT_LT(T->OffsetX(), 0);
  Key(VK_PRIOR, {VK_SHIFT, VK_CONTROL});
  EXPECT_EQ(T->OffsetX(), 0);
}

TEST_F(LazyTrees_qn_Keyboard, CtrlHomeAndEndScrollWithoutMovingTheFocus) {
  TLazyTreeColumn* wide = T->Header()->Columns()->Items(2);
  wide->SetWidth(400);
  T->SetFocusedNode(Node(u"2.2"));
  Key(VK_END, {VK_CONTROL});
  EXPECT_EQ(Focused(), u"2.2");
  EXPECT_EQ(T->OffsetX(), -(T->RangeX() - T->ClientWidth()));
  EXPECT_EQ(T->BottomNode(), Node(u"3.4"));
  Key(VK_HOME, {VK_CONTROL});
  EXPECT_EQ(Focused(), u"2.2");
  EXPECT_EQ(T->OffsetX(), 0);
  EXPECT_EQ(T->TopNode(), Node(u"1"));
  // Right to left, both keys go to the far end.
  T->SetBiDiMode(bdRightToLeft);
  Key(VK_HOME, {VK_CONTROL});
  Integer far = T->OffsetX();
  EXPECT_EQ(far, -(T->RangeX() - T->ClientWidth()));
  Key(VK_END, {VK_CONTROL});
  EXPECT_EQ(T->OffsetX(), far);
  EXPECT_EQ(Focused(), u"2.2");
}

TEST_F(LazyTrees_qn_Keyboard, SignsOfBothKeyboardsExpandAndCollapseButFeedARunningSearch) {
  T->FullCollapse();
  T->SetFocusedNode(Node(u"2"));
  Key(VK_ADD);
  EXPECT_TRUE(T->Expanded(Node(u"2")));
  Key(VK_OEM_MINUS);
  EXPECT_FALSE(T->Expanded(Node(u"2")));
  Key(VK_OEM_PLUS, {VK_SHIFT});  // "+" on the main keyboard
  EXPECT_TRUE(T->Expanded(Node(u"2")));
  Key(VK_SUBTRACT);
  EXPECT_FALSE(T->Expanded(Node(u"2")));
  Key(VK_OEM_PLUS, {VK_SHIFT, VK_CONTROL});  // Ctrl+Shift+Plus: everything
  for (PLazyNode n = T->GetFirst(); n; n = T->GetNextSibling(n)) EXPECT_TRUE(T->Expanded(n));
  Key(VK_SUBTRACT, {VK_SHIFT, VK_CONTROL});
  for (PLazyNode n = T->GetFirst(); n; n = T->GetNextSibling(n)) EXPECT_FALSE(T->Expanded(n));
  Key('8', {VK_SHIFT});  // "*"
  EXPECT_TRUE(T->Expanded(Node(u"2")));
  Key(VK_OEM_2);  // "/"
  EXPECT_FALSE(T->Expanded(Node(u"2")));
  EXPECT_EQ(T->SearchKeys, 0);

  // With the hot key reversed, Ctrl+Shift+Plus fits the columns instead.
  T->TreeOptions()->SetMiscOptions(T->TreeOptions()->MiscOptions() + TVTMiscOptions{toReverseFullExpandHotKey});
  TLazyTreeColumn* kind = T->Header()->Columns()->Items(1);
  kind->SetOptions(kind->Options() + TVTColumnOptions{coSmartResize});
  Key(VK_ADD, {VK_SHIFT, VK_CONTROL});
  EXPECT_FALSE(T->Expanded(Node(u"1")));
  EXPECT_NE(kind->Width(), 100);
  Key(VK_SUBTRACT, {VK_SHIFT, VK_CONTROL});
  EXPECT_EQ(kind->Width(), 100) << "restored";

  // While a search runs the signs are typed into it.
  T->DoStateChange({tsIncrementalSearching});
  for (int vk : {VK_ADD, VK_SUBTRACT, VK_MULTIPLY, VK_DIVIDE, VK_OEM_MINUS}) Key(vk);
  EXPECT_EQ(T->SearchKeys, 5);
  EXPECT_FALSE(T->Expanded(Node(u"2")));
}

TEST_F(LazyTrees_qn_Keyboard, SpaceChecksOnReleaseOnlyWhileNothingCameBetween) {
  Options({}, {toCheckSupport});
  for (PLazyNode n = T->GetFirst(); n; n = T->GetNext(n)) T->SetCheckType(n, ctCheckBox);
  PLazyNode a = Node(u"1.1");
  T->SetFocusedNode(a);
  InputKeyDown(VK_SPACE);
  Pump();
  EXPECT_EQ(T->GetCheckState(a), csUncheckedPressed);
  InputKeyUp(VK_SPACE);
  Pump();
  EXPECT_EQ(T->GetCheckState(a), csCheckedNormal);
  // Another key between drops it.
  InputKeyDown(VK_SPACE);
  Pump();
  EXPECT_EQ(T->GetCheckState(a), csCheckedPressed);
  Key(VK_SHIFT);
  InputKeyUp(VK_SPACE);
  Pump();
  EXPECT_EQ(T->GetCheckState(a), csCheckedNormal);
  // A focus moved meanwhile cancels it, and the box is no longer pressed.
  InputKeyDown(VK_SPACE);
  Pump();
  T->SetFocusedNode(Node(u"1.2"));
  InputKeyUp(VK_SPACE);
  Pump();
  EXPECT_EQ(T->GetCheckState(a), csCheckedNormal);
  EXPECT_EQ(T->FCheckNode, nullptr);
  // Disabled nodes and pending mouse checks take nothing, and the key
  // does not go to the search either.
  T->SetDisabled(Node(u"1.2"), true);
  Key(VK_SPACE);
  EXPECT_EQ(T->GetCheckState(Node(u"1.2")), csUncheckedNormal);
  T->SetFocusedNode(a);
  T->DoStateChange({tsMouseCheckPending});
  Key(VK_SPACE);
  EXPECT_EQ(T->GetCheckState(a), csCheckedNormal);
  EXPECT_EQ(T->SearchKeys, 0);
  // A node without a check box searches.
  T->DoStateChange({}, {tsMouseCheckPending});
  T->SetCheckType(a, ctNone);
  Key(VK_SPACE);
  EXPECT_EQ(T->SearchKeys, 1);
}

TEST_F(LazyTrees_qn_Keyboard, EscapeAppsHelpAndF2) {
  // Escape: a rubber band first, then an edit, else nothing.
  T->DoStateChange({tsDrawSelecting, tsEditing});
  Key(VK_ESCAPE);
  EXPECT_FALSE(T->TreeStates().Contains(tsDrawSelecting));
  EXPECT_TRUE(T->IsEditing());
  Key(VK_ESCAPE);
  EXPECT_FALSE(T->IsEditing());
  Key(VK_ESCAPE);
  EXPECT_EQ(T->SearchKeys, 0);

  // Apps: the node's handler says nothing and lets the parent answer.
  auto* menu = new TPopupMenu(Form);
  auto* item = new TMenuItem(menu);
  item->SetCaption(u"Open");
  menu->Items()->Add(item);
  std::vector<String> asked;
  T->OnGetPopupMenu = [&](TBaseLazyTree_qn*, PLazyNode N, TColumnIndex, TPoint, bool& AskParent, TPopupMenu*& M) {
    asked.push_back(N ? Name(N) : String(u"nil"));
    if (N && Name(N) == u"2") M = menu;
    if (N && Name(N) == u"3.1") AskParent = false;
  };
  int loops = 0;
  SetMenuResponder([&](HMENU, UINT&) {
    ++loops;
    return false;
  });
  T->SetFocusedNodeAndColumn(Node(u"2.3"), 1);
  Key(VK_APPS);
  EXPECT_EQ(loops, 1);
  EXPECT_EQ(menu->PopupComponent(), T);
  EXPECT_EQ(asked, (std::vector<String>{u"2.3", u"2"}));
  TRect text = T->GetDisplayRect(Node(u"2.3"), 1, true);
  TPoint centre = T->ClientToScreen(TPoint(text.Left + std::min(text.Width(), 100) / 2, (text.Top + text.Bottom) / 2));
  EXPECT_EQ(menu->PopupPoint().X, centre.X);
  EXPECT_EQ(menu->PopupPoint().Y, centre.Y);
  EXPECT_TRUE(T->TreeStates().Contains(tsPopupMenuShown));
  EXPECT_TRUE(T->HasPopupMenu(Node(u"2.1"), 0, TPoint()));
  asked.clear();
  EXPECT_FALSE(T->HasPopupMenu(Node(u"3.1"), 0, TPoint())) << "the handler stopped the walk";
  EXPECT_FALSE(T->HasPopupMenu(nullptr, 0, TPoint()));
  EXPECT_EQ(asked, (std::vector<String>{u"3.1", u"nil"}));
  T->SetFocusedNode(Node(u"1"));
  Key(VK_APPS);
  EXPECT_EQ(loops, 1);

  // F1: the innermost node with a topic, else the tree's own context.
  T->SetOnGetHelpContext([&](TBaseLazyTree_qn*, PLazyNode N, TColumnIndex, Integer& Context) {
    if (Name(N) == u"2") Context = 77;
  });
  T->SetHelpContext(12);
  Application->ClearHelpLog();
  T->SetFocusedNode(Node(u"2.4"));
  Key(VK_F1);
  T->SetFocusedNode(Node(u"3.4"));
  Key(VK_F1);
  ASSERT_EQ(Application->HelpLog().size(), 2u);
  EXPECT_EQ(Application->HelpLog()[0].Data, 77);
  EXPECT_EQ(Application->HelpLog()[1].Data, 12);

  // F2 edits the focused cell only with no modifier held.
  T->Editable = true;
  T->SetFocusedColumn(2);
  Key(VK_F2, {VK_SHIFT});
  EXPECT_TRUE(T->Edits.empty());
  Key(VK_F2);
  EXPECT_EQ(T->Edits, std::vector<TColumnIndex>{2});
  T->Editable = false;
  Key(VK_F2);
  EXPECT_EQ(T->Edits.size(), 1u);
}

TEST_F(LazyTrees_qn_Keyboard, KeyActionCtrlAAndATreeWithoutNodes) {
  Options({toMultiSelect});
  // The hook may swallow a key or turn it into another.
  T->SetOnKeyAction([](TBaseLazyTree_qn*, Word& Key, TShiftState& Shift, bool& DoDefault) {
    if (Key == VK_DOWN) DoDefault = false;
    if (Key == 'Q') {
      Key = 'A';
      Shift = TShiftState{ssCtrl};
    }
  });
  Key(VK_DOWN);
  EXPECT_EQ(Focused(), u"-");
  Key('Q');
  EXPECT_EQ(T->SelectedCount(), 15);
  T->SetOnKeyAction(nullptr);
  T->ClearSelection();
  // Ctrl with the keypad's 1 (the key code of a lower-case a) selects
  // nothing; a plain A goes to the search.
  Key(VK_NUMPAD0 + 1, {VK_CONTROL});
  EXPECT_EQ(T->SelectedCount(), 0);
  Key('A');
  EXPECT_EQ(T->SearchKeys, 1);

  // Without nodes the arrows take the other keys' way: they search too.
  T->Clear();
  T->SearchKeys = 0;
  Key(VK_DOWN);
  Key('K');
  Key('K', {VK_CONTROL});
  EXPECT_EQ(T->SearchKeys, 2);
  EXPECT_EQ(Focused(), u"-");
}

TEST_F(LazyTrees_qn_Keyboard, GallerySheetMatchesItsGoldenImage) {
  auto sheet = gallery::TTreeKeyboardSheet::Render();
  qntest::ExpectMatchesGolden(sheet, "tree-keyboard", 8,
                              gallery::TTreeKeyboardSheet::kWidth * gallery::TTreeKeyboardSheet::kHeight / 200);
}

}  // namespace

}  // namespace t_lazy_trees_qn_keyboard_test
