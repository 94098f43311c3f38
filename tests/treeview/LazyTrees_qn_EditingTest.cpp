// In-place editing of the lazy string tree, driven through the input driver
// on the virtual clock: the keys of the editor, the rules of who may edit,
// Tab walking, focus loss, the editor's geometry against its cell, nodes
// that go while their editor is open, and an application's own edit link.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "examples/gallery/TreeEditSheet.h"
#include "platform/desktop/Desktop.h"
#include "platform/gdi/GdiText.h"
#include "platform/vcl/ExtCtrls.h"
#include "platform/vcl/Forms.h"
#include "tests/common/Golden.h"
#include "treeview/LazyTrees_qn_DrawTree.h"
#include "treeview/LazyTrees_qn_EditLink.h"
#include "treeview/LazyTrees_qn_Header.h"

namespace t_lazy_trees_qn_editing_test {

using namespace qn;

namespace {

class TEditTree : public TLazyStringTree_qn {
  QN_CLASS(TEditTree, TLazyStringTree_qn)
 public:
  explicit TEditTree(TComponent* AOwner) : TLazyStringTree_qn(AOwner) {}
  using TBaseLazyTree_qn::FEditColumn;
  using TBaseLazyTree_qn::FEditLink;
};

// An application's editor that only records what the tree asks of it.
class TRecordingLink : public TInterfacedObject, public IVTEditLink {
  QN_CLASS(TRecordingLink, TInterfacedObject)
  QN_INTERFACES(IVTEditLink)
 public:
  TRecordingLink(std::vector<std::string>& Log, int& Alive) : FLog(Log), FAlive(Alive) { ++FAlive; }
  ~TRecordingLink() override { --FAlive; }
  bool BeginEdit() override { return Note("Begin", BeginResult); }
  bool CancelEdit() override { return Note("Cancel", CancelResult); }
  bool EndEdit() override { return Note("End", EndResult); }
  bool PrepareEdit(TBaseLazyTree_qn*, PLazyNode Node, TColumnIndex Column) override {
    PreparedNode = Node;
    PreparedColumn = Column;
    return Note("Prepare", PrepareResult);
  }
  TRect GetBounds() override {
    FLog.push_back("GetBounds");
    return Bounds;
  }
  void ProcessMessage(TMessage&) override { FLog.push_back("ProcessMessage"); }
  void SetBounds(TRect R) override {
    FLog.push_back("SetBounds");
    Bounds = R;
  }
  bool PrepareResult = true, BeginResult = true, EndResult = true, CancelResult = true;
  PLazyNode PreparedNode = nullptr;
  TColumnIndex PreparedColumn = InvalidColumn;
  TRect Bounds;

 private:
  bool Note(const char* What, bool Result) {
    FLog.push_back(What);
    return Result;
  }
  std::vector<std::string>& FLog;
  int& FAlive;
};

class EditingFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    SetVirtualClock(true);
    ResetInput();
    Form = new TForm(nullptr);
    Form->SetPosition(poDesigned);
    Form->SetBounds(40, 30, 560, 420);
    Other = new TEdit(Form);
    Other->SetParent(Form);
    Other->SetBounds(10, 340, 100, 22);
    T = new TEditTree(Form);
    T->SetParent(Form);
    T->SetBounds(10, 10, 420, 300);
    T->SetColor(clWhite);
    T->Font()->SetName(u"DejaVu Sans");
    T->Font()->SetSize(9);
    T->SetDefaultNodeHeight(20);
    T->ScrollBarOptions()->SetScrollBars(ssNone);
    TLazyTreeColumns* cols = T->Header()->Columns();
    for (Integer w : {140, 120, 100}) cols->Add()->SetWidth(w);
    cols->Items(2)->SetAlignment(taRightJustify);
    T->Header()->SetOptions(T->Header()->Options() + TVTHeaderOptions{hoVisible});
    T->TreeOptions()->SetMiscOptions(T->TreeOptions()->MiscOptions() + TVTMiscOptions{toEditable});
    T->TreeOptions()->SetSelectionOptions(T->TreeOptions()->SelectionOptions() + TVTSelectionOptions{toExtendedFocus});
    T->SetOnGetText([this](TBaseLazyTree_qn*, PLazyNode Node, TColumnIndex Column, TVSTTextType, String& Text) {
      auto it = Texts.find({Node->Index, Column});
      Text = it != Texts.end() ? it->second : u"Cell " + IntToStr(Integer(Node->Index)) + u"." + IntToStr(Column);
    });
    T->SetOnNewText([this](TBaseLazyTree_qn*, PLazyNode Node, TColumnIndex Column, const String& Text) {
      NewTexts.push_back({Node, Column, Text});
      Texts[{Node->Index, Column}] = Text;
    });
    T->SetOnEdited([this](TBaseLazyTree_qn*, PLazyNode, TColumnIndex) { ++Edited; });
    T->SetOnEditCancelled([this](TBaseLazyTree_qn*, TColumnIndex) { ++Cancelled; });
    T->SetRootNodeCount(6);
    Form->Show();
    T->HandleNeeded();
    Pump();
    T->SetFocus();
    Pump();
  }
  void TearDown() override {
    ResetInput();
    delete Form;
    Pump();
    ResetSystemSettings();
  }
  static void Pump() { Application->ProcessMessages(); }
  static void Run(DWORD Ms) {
    for (DWORD t = 0; t < Ms; t += 10) {
      AdvanceClock(10);
      Pump();
    }
  }
  static void Key(int Vk, int Modifier = 0) {
    if (Modifier) InputKeyDown(Modifier);
    InputKeyDown(Vk);
    InputKeyUp(Vk);
    if (Modifier) InputKeyUp(Modifier);
    Pump();
  }
  static void Type(const String& Text) {
    InputType(Text);
    Pump();
  }
  void Click(TControl* Target, TPoint Client) {
    AdvanceClock(1000);
    TPoint s = Target->ClientToScreen(Client);
    InputMouseMove(s.X, s.Y);
    InputMouseDown(VK_LBUTTON);
    InputMouseUp(VK_LBUTTON);
    Pump();
  }
  PLazyNode Nth(Cardinal I) {
    PLazyNode n = T->GetFirst();
    while (n && I-- > 0) n = T->GetNextSibling(n);
    return n;
  }
  // Focuses a cell and presses F2 there.
  void StartWithF2(PLazyNode Node, TColumnIndex Column) {
    if (!T->Focused()) T->SetFocus();
    T->SetFocusedNodeAndColumn(Node, Column);
    Key(VK_F2);
  }
  // The editor on show (released ones may still wait for their message).
  TVTEdit* Editor() {
    for (Integer i = 0; i < T->ControlCount(); ++i)
      if (auto* e = dynamic_cast<TVTEdit*>(T->Controls(i)); e && e->Visible()) return e;
    return nullptr;
  }
  Integer EditorCount() {
    Integer n = 0;
    for (Integer i = 0; i < T->ControlCount(); ++i) n += dynamic_cast<TVTEdit*>(T->Controls(i)) ? 1 : 0;
    return n;
  }
  String CellText(PLazyNode Node, TColumnIndex Column) { return T->Text(Node, Column); }
  void SetStringOption(TVTStringOption Option, bool On) {
    TVTStringOptions o = T->TreeOptions()->StringOptions();
    if (On) o.Include(Option);
    else o.Exclude(Option);
    T->TreeOptions()->SetStringOptions(o);
  }
  void SetMisc(TVTMiscOption Option, bool On) {
    TVTMiscOptions o = T->TreeOptions()->MiscOptions();
    if (On) o.Include(Option);
    else o.Exclude(Option);
    T->TreeOptions()->SetMiscOptions(o);
  }

  struct TNewText {
    PLazyNode Node;
    TColumnIndex Column;
    String Text;
  };
  TForm* Form = nullptr;
  TEdit* Other = nullptr;
  TEditTree* T = nullptr;
  std::map<std::pair<Cardinal, TColumnIndex>, String> Texts;
  std::vector<TNewText> NewTexts;
  int Edited = 0, Cancelled = 0;
};

using LazyTrees_qn_Editing = EditingFixture;

TEST_F(LazyTrees_qn_Editing, KeysOfTheEditor) {
  PLazyNode a = Nth(1);
  // F2, typing over the selected caption, Return: one new text, one edited.
  StartWithF2(a, 1);
  ASSERT_TRUE(T->IsEditing());
  TVTEdit* e = Editor();
  ASSERT_NE(e, nullptr);
  EXPECT_TRUE(e->Focused());
  EXPECT_EQ(e->Text(), u"Cell 1.1");
  EXPECT_EQ(e->SelLength(), 8);
  // Arrows, Tab, Return and Escape all stay with the editor.
  EXPECT_EQ(e->Perform(WM_GETDLGCODE, 0, 0) & (DLGC_WANTARROWS | DLGC_WANTTAB | DLGC_WANTALLKEYS),
            DLGC_WANTARROWS | DLGC_WANTTAB | DLGC_WANTALLKEYS);
  Type(u"Fresh");
  EXPECT_EQ(e->Text(), u"Fresh");
  Key(VK_RETURN);
  EXPECT_FALSE(T->IsEditing());
  ASSERT_EQ(NewTexts.size(), 1u);
  EXPECT_EQ(NewTexts[0].Node, a);
  EXPECT_EQ(NewTexts[0].Column, 1);
  EXPECT_EQ(NewTexts[0].Text, u"Fresh");
  EXPECT_EQ(Edited, 1);
  EXPECT_EQ(Cancelled, 0);
  EXPECT_EQ(CellText(a, 1), u"Fresh");
  EXPECT_TRUE(T->Focused());
  // The released editor goes with its posted message.
  Pump();
  EXPECT_EQ(EditorCount(), 0);

  // An unchanged text is not handed back.
  StartWithF2(a, 2);
  Key(VK_RETURN);
  EXPECT_EQ(NewTexts.size(), 1u);
  EXPECT_EQ(Edited, 2);

  // Escape: the edit is dropped and its character never reaches the editor.
  StartWithF2(a, 0);
  e = Editor();
  ASSERT_NE(e, nullptr);
  std::vector<Char> pressed;
  e->SetOnKeyPress([&](TObject*, Char& K) { pressed.push_back(K); });
  Type(u"zz");
  Key(VK_ESCAPE);
  EXPECT_FALSE(T->IsEditing());
  EXPECT_EQ(Cancelled, 1);
  EXPECT_EQ(NewTexts.size(), 1u);
  EXPECT_EQ(CellText(a, 0), u"Cell 1.0");
  EXPECT_EQ(pressed, (std::vector<Char>{u'z', u'z'}));
  EXPECT_TRUE(T->Focused());

  // Single line: Up and Down move the caret as Left and Right do; Ctrl+A
  // selects everything again.
  StartWithF2(a, 0);
  e = Editor();
  ASSERT_NE(e, nullptr);
  Key(VK_DOWN);
  EXPECT_EQ(e->SelStart(), 8);
  EXPECT_EQ(e->SelLength(), 0);
  Key(VK_UP);
  EXPECT_EQ(e->SelStart(), 7);
  EXPECT_EQ(T->FocusedNode(), a);
  Key('A', VK_CONTROL);
  EXPECT_EQ(e->SelLength(), 8);
  Type(u"Z");
  EXPECT_EQ(e->Text(), u"Z");
  Key(VK_RETURN);
  EXPECT_EQ(CellText(a, 0), u"Z");

  // Multi-line: Return breaks the line, Ctrl+Return ends the edit.
  PLazyNode m = Nth(3);
  T->SetMultiline(m, true);
  StartWithF2(m, 0);
  e = Editor();
  ASSERT_NE(e, nullptr);
  EXPECT_NE(GetWindowLongW(e->Handle(), GWL_STYLE) & WS_VSCROLL, 0);
  Type(u"one");
  Key(VK_RETURN);
  Type(u"two");
  EXPECT_TRUE(T->IsEditing());
  EXPECT_EQ(e->Text(), u"one\r\ntwo");
  Key(VK_RETURN, VK_CONTROL);
  EXPECT_FALSE(T->IsEditing());
  EXPECT_EQ(CellText(m, 0), u"one\r\ntwo");
  EXPECT_EQ(Edited, 4);
}

TEST_F(LazyTrees_qn_Editing, WhoMayEdit) {
  PLazyNode a = Nth(0);
  std::vector<std::pair<PLazyNode, TColumnIndex>> asked;
  bool allow = false;
  T->SetOnEditing([&](TBaseLazyTree_qn*, PLazyNode Node, TColumnIndex Column, bool& Allowed) {
    asked.push_back({Node, Column});
    if (allow) Allowed = true;
  });
  // Options alone decide when the handler keeps quiet.
  EXPECT_TRUE(T->CanEdit(a, 1));
  SetMisc(toEditable, false);
  EXPECT_FALSE(T->CanEdit(a, 1));
  ASSERT_EQ(asked.size(), 2u);
  EXPECT_EQ(asked[1], std::make_pair(a, TColumnIndex(1)));
  StartWithF2(a, 1);
  EXPECT_FALSE(T->IsEditing());
  // The handler may allow what the options refuse.
  allow = true;
  StartWithF2(a, 1);
  EXPECT_TRUE(T->IsEditing());
  Key(VK_ESCAPE);

  // Read-only refuses whatever the handler says.
  SetMisc(toReadOnly, true);
  StartWithF2(a, 1);
  EXPECT_FALSE(T->IsEditing());
  EXPECT_FALSE(T->EditNode(a, 1));
  SetMisc(toReadOnly, false);

  // A disabled node is never edited; a disabled tree does not allow.
  PLazyNode d = Nth(2);
  T->SetDisabled(d, true);
  StartWithF2(d, 0);
  EXPECT_FALSE(T->IsEditing());
  EXPECT_FALSE(T->EditNode(d, 0));
  allow = false;
  SetMisc(toEditable, true);
  T->SetEnabled(false);
  EXPECT_FALSE(T->CanEdit(a, 0));
  T->SetEnabled(true);

  // EditNode focuses the node; it refuses while another edit runs.
  EXPECT_TRUE(T->EditNode(Nth(4), 2));
  EXPECT_EQ(T->FocusedNode(), Nth(4));
  EXPECT_EQ(T->FEditColumn, 2);
  EXPECT_FALSE(T->EditNode(a, 0));
  EXPECT_TRUE(T->CancelEditNode());
  EXPECT_EQ(Cancelled, 2);

  // Bad arguments are assertions that change nothing.
  try {
    T->EditNode(nullptr, 0);
    ADD_FAILURE() << "nil node accepted";
  } catch (const EAssertionFailed& E) {
    EXPECT_NE(E.Message().find(u"Node must not be nil."), String::npos);
  }
  for (TColumnIndex bad : {TColumnIndex(3), TColumnIndex(-2)}) {
    try {
      T->EditNode(a, bad);
      ADD_FAILURE() << "column " << bad << " accepted";
    } catch (const EAssertionFailed& E) {
      EXPECT_NE(E.Message().find(u"Column must be a valid column index (-1 if no header is shown)."), String::npos);
    }
  }
  EXPECT_FALSE(T->IsEditing());
  EXPECT_EQ(T->FocusedNode(), Nth(4));
}

TEST_F(LazyTrees_qn_Editing, TabWalksTheVisibleNodes) {
  PLazyNode last = T->GetLastVisible();
  PLazyNode before = T->GetPreviousVisible(last);
  StartWithF2(before, 1);
  Type(u"x");
  Key(VK_TAB);
  // The text went back, the next node is being edited in the same column.
  ASSERT_EQ(NewTexts.size(), 1u);
  EXPECT_EQ(NewTexts[0].Node, before);
  EXPECT_TRUE(T->IsEditing());
  EXPECT_EQ(T->FocusedNode(), last);
  EXPECT_EQ(T->FEditColumn, 1);
  ASSERT_NE(Editor(), nullptr);
  EXPECT_EQ(Editor()->Text(), u"Cell 5.1");
  EXPECT_TRUE(Editor()->Focused());
  // On the last node Tab only ends the edit.
  Type(u"y");
  Key(VK_TAB);
  EXPECT_FALSE(T->IsEditing());
  ASSERT_EQ(NewTexts.size(), 2u);
  EXPECT_EQ(NewTexts[1].Node, last);
  EXPECT_EQ(NewTexts[1].Text, u"y");
  EXPECT_EQ(T->FocusedNode(), nullptr);
  EXPECT_EQ(Edited, 2);
  Pump();
  EXPECT_EQ(EditorCount(), 0);
}

TEST_F(LazyTrees_qn_Editing, FocusLossKeepsOrDropsTheText) {
  PLazyNode a = Nth(2);
  ASSERT_TRUE(T->TreeOptions()->StringOptions().Contains(toAutoAcceptEditChange));
  StartWithF2(a, 0);
  Type(u"kept");
  Click(Other, TPoint(5, 5));
  EXPECT_TRUE(Other->Focused());
  EXPECT_FALSE(T->IsEditing());
  ASSERT_EQ(NewTexts.size(), 1u);
  EXPECT_EQ(NewTexts[0].Text, u"kept");
  EXPECT_EQ(Edited, 1);

  SetStringOption(toAutoAcceptEditChange, false);
  T->SetFocus();
  StartWithF2(a, 1);
  Type(u"dropped");
  Click(Other, TPoint(5, 5));
  EXPECT_FALSE(T->IsEditing());
  EXPECT_EQ(NewTexts.size(), 1u);
  EXPECT_EQ(Cancelled, 1);
  EXPECT_EQ(CellText(a, 1), u"Cell 2.1");
  // A click into the tree is no focus loss: the tree ends the edit itself
  // before it takes the focus, keeping the text.
  StartWithF2(a, 1);
  Type(u"again");
  Click(T, TPoint(60, T->GetDisplayRect(Nth(4), 0, false).Top + 5));
  EXPECT_FALSE(T->IsEditing());
  ASSERT_EQ(NewTexts.size(), 2u);
  EXPECT_EQ(NewTexts[1].Text, u"again");
  EXPECT_EQ(Cancelled, 1);
  EXPECT_EQ(T->FocusedNode(), Nth(4));
  Pump();
  EXPECT_EQ(EditorCount(), 0);
}

TEST_F(LazyTrees_qn_Editing, ARebuiltWindowEndsTheEdit) {
  // The editor's window goes with the tree's: a changed text is kept as
  // focus loss would keep it, and the tree is idle again afterwards.
  PLazyNode a = Nth(1);
  StartWithF2(a, 0);
  Type(u"rebuilt");
  T->RecreateWnd();
  Pump();
  EXPECT_FALSE(T->IsEditing());
  ASSERT_EQ(NewTexts.size(), 1u);
  EXPECT_EQ(NewTexts[0].Text, u"rebuilt");
  EXPECT_EQ(Editor(), nullptr);
  SetStringOption(toAutoAcceptEditChange, false);
  StartWithF2(a, 1);
  ASSERT_TRUE(T->IsEditing());
  Type(u"dropped");
  T->RecreateWnd();
  Pump();
  EXPECT_FALSE(T->IsEditing());
  EXPECT_EQ(NewTexts.size(), 1u);
  EXPECT_EQ(Editor(), nullptr);
  // Editing works on the new window.
  StartWithF2(a, 1);
  ASSERT_TRUE(T->IsEditing());
  Type(u"fine");
  Key(VK_RETURN);
  ASSERT_EQ(NewTexts.size(), 2u);
  EXPECT_EQ(CellText(a, 1), u"fine");
  Pump();
  EXPECT_EQ(EditorCount(), 0);
}

TEST_F(LazyTrees_qn_Editing, DestroyingTheTreeWhileEditingStoresNothing) {
  for (bool viaForm : {false, true}) {
    StartWithF2(Nth(1), 1);
    Type(u"lost");
    ASSERT_TRUE(T->IsEditing());
    if (viaForm) {
      delete Form;
      Form = nullptr;
    } else {
      delete T;
    }
    T = nullptr;
    Pump();
    EXPECT_TRUE(NewTexts.empty());
    EXPECT_EQ(Edited, 0);
    if (!viaForm) {
      // Build a fresh tree for the second round.
      TearDown();
      NewTexts.clear();
      Cancelled = Edited = 0;
      SetUp();
    }
  }
}

TEST_F(LazyTrees_qn_Editing, GeometryFollowsTheCell) {
  PLazyNode a = Nth(1);
  // The editor sits on the cell's text and grows with typing.
  StartWithF2(a, 1);
  TVTEdit* e = Editor();
  ASSERT_NE(e, nullptr);
  TRect text = T->GetDisplayRect(a, 1, true, true);
  EXPECT_EQ(e->Left(), text.Left);
  EXPECT_EQ(e->Top(), text.Top);
  Integer before = e->Width();
  Type(u"A much longer caption");
  auto measured = [&](const String& S) {
    HDC dc = GetDC(e->Handle());
    HGDIOBJ old = SelectObject(dc, e->Font()->Handle());
    String t = S + u"yG";
    SIZE size{};
    GetTextExtentPoint32W(dc, t.c_str(), Integer(t.size()), &size);
    SelectObject(dc, old);
    ReleaseDC(e->Handle(), dc);
    return size.cx + 2 * T->TextMargin();
  };
  EXPECT_GT(e->Width(), before);
  EXPECT_EQ(e->Width(), measured(u"A much longer caption"));
  EXPECT_EQ(e->Left(), text.Left);

  // Horizontal scrolling, a resized column before it and a moved window
  // take the editor along.
  T->Header()->Columns()->Items(0)->SetWidth(300);
  Pump();
  text = T->GetDisplayRect(a, 1, true, true);
  EXPECT_EQ(e->Left(), text.Left);
  EXPECT_EQ(e->Left(), 300 + T->Margin());
  // The new layout took the cell's width; a request sizes it to the text
  // again, as far as the client reaches.
  EXPECT_LT(e->Width(), 100);
  e->Perform(CM_AUTOADJUST, 0, 0);
  EXPECT_EQ(e->Left() + e->Width(), std::min(e->Left() + measured(u"A much longer caption"), T->ClientWidth()));
  EXPECT_GT(e->Width(), 100);
  T->SetOffsetX(-60);
  Pump();
  EXPECT_EQ(T->OffsetX(), -60);
  EXPECT_EQ(e->Left(), T->GetDisplayRect(a, 1, true, true).Left);
  EXPECT_EQ(e->Left(), 300 - 60 + T->Margin());
  EXPECT_TRUE(e->Visible());
  Key(VK_ESCAPE);
  T->SetOffsetX(0);

  // A right-aligned cell anchors its editor at the right and grows left.
  StartWithF2(a, 2);
  e = Editor();
  ASSERT_NE(e, nullptr);
  Integer right = e->Left() + e->Width();
  Type(u"Right aligned text");
  EXPECT_EQ(e->Left() + e->Width(), right);
  EXPECT_EQ(e->Width(), measured(u"Right aligned text"));
  Key(VK_ESCAPE);

  // Without columns the node's text follows a resized window when it is
  // anchored at the right.
  T->Header()->Columns()->Clear();
  T->SetAlignment(taRightJustify);
  StartWithF2(a, NoColumn);
  e = Editor();
  ASSERT_NE(e, nullptr);
  right = e->Left() + e->Width();
  T->SetWidth(T->Width() - 50);
  Pump();
  EXPECT_EQ(e->Left() + e->Width(), right - 50);
  Key(VK_ESCAPE);
}

TEST_F(LazyTrees_qn_Editing, BoundsOfTheDefaultLink) {
  PLazyNode a = Nth(0);
  const Integer clientWidth = T->ClientWidth();
  // Straight through the link: a narrow cell still gets 30 pixels, clipped
  // to the client, anchored by the alignment.
  StartWithF2(a, 1);
  ASSERT_TRUE(T->FEditLink);
  TVTEdit* e = Editor();
  ASSERT_NE(e, nullptr);
  T->FEditLink->SetBounds(TRect(50, 20, 60, 40));
  EXPECT_EQ(T->FEditLink->GetBounds(), TRect(50, 20, 80, 40));
  T->FEditLink->SetBounds(TRect(-15, 20, 60, 40));
  EXPECT_EQ(e->BoundsRect(), TRect(0, 20, 60, 40));
  T->FEditLink->SetBounds(TRect(clientWidth - 10, 20, clientWidth, 40));
  EXPECT_EQ(e->BoundsRect(), TRect(clientWidth - 10, 20, clientWidth, 40));
  // A cell that starts beyond the client gets an empty editor at its edge.
  T->FEditLink->SetBounds(TRect(clientWidth + 20, 20, clientWidth + 25, 40));
  EXPECT_EQ(e->BoundsRect(), TRect(clientWidth, 20, clientWidth, 40));
  EXPECT_GE(e->Width(), 0);
  Key(VK_ESCAPE);
  StartWithF2(a, 2);
  e = Editor();
  ASSERT_NE(e, nullptr);
  T->FEditLink->SetBounds(TRect(200, 20, 210, 40));
  EXPECT_EQ(e->BoundsRect(), TRect(180, 20, 210, 40));
  Key(VK_ESCAPE);
  // A right-to-left column mirrors its alignment: left text anchors right.
  T->Header()->Columns()->Items(1)->SetBiDiMode(bdRightToLeft);
  StartWithF2(a, 1);
  e = Editor();
  ASSERT_NE(e, nullptr);
  EXPECT_EQ(e->BiDiMode(), bdRightToLeft);
  T->FEditLink->SetBounds(TRect(200, 20, 210, 40));
  EXPECT_EQ(e->BoundsRect(), TRect(180, 20, 210, 40));
  // A stopped link takes no bounds any more.
  TIntf<IVTEditLink> link = T->FEditLink;
  Key(VK_ESCAPE);
  link->SetBounds(TRect(0, 0, 100, 100));
  EXPECT_EQ(link->GetBounds(), TRect(180, 20, 210, 40));
  EXPECT_FALSE(link->BeginEdit());
  EXPECT_FALSE(link->EndEdit());
  EXPECT_FALSE(link->CancelEdit());
  link = nullptr;
  T->Header()->Columns()->Items(1)->SetBiDiMode(bdLeftToRight);

  // Grid extensions: the editor reaches over the free part of the cell,
  // away from the text's anchor, and does not grow with its text.
  SetMisc(toGridExtensions, true);
  Integer l = 0, r = 0;
  StartWithF2(a, 1);
  e = Editor();
  ASSERT_NE(e, nullptr);
  T->Header()->Columns()->GetColumnBounds(1, l, r);
  TRect text = T->GetDisplayRect(a, 1, true, true);
  EXPECT_EQ(e->Left(), text.Left);
  EXPECT_EQ(e->Top(), text.Top);
  EXPECT_EQ(e->Left() + e->Width(), r);
  Type(u"Grid cells do not grow with their text");
  EXPECT_EQ(e->Left() + e->Width(), r);
  Key(VK_ESCAPE);
  StartWithF2(a, 2);
  e = Editor();
  ASSERT_NE(e, nullptr);
  T->Header()->Columns()->GetColumnBounds(2, l, r);
  text = T->GetDisplayRect(a, 2, true, true);
  EXPECT_EQ(e->Left(), l);
  EXPECT_EQ(e->Left() + e->Width(), text.Right);
  Key(VK_ESCAPE);
}

TEST_F(LazyTrees_qn_Editing, NodesThatGoWhileTheirEditorIsOpen) {
  // A timer handler deletes the edited node: the edit is cancelled at once
  // and nothing is written later, whatever the focus does.
  PLazyNode a = Nth(2);
  auto* timer = new TTimer(Form);
  timer->SetInterval(100);
  timer->SetOnTimer([&](TObject*) {
    timer->SetEnabled(false);
    T->DeleteNode(a);
  });
  StartWithF2(a, 1);
  Type(u"stale");
  ASSERT_TRUE(T->IsEditing());
  TVTEdit* e = Editor();
  ASSERT_NE(e, nullptr);
  timer->SetEnabled(true);
  Run(150);
  EXPECT_FALSE(T->IsEditing());
  EXPECT_EQ(Cancelled, 1);
  EXPECT_EQ(T->FocusedNode(), nullptr);
  EXPECT_EQ(Editor(), nullptr);
  Click(Other, TPoint(5, 5));
  Key(VK_RETURN);
  EXPECT_TRUE(NewTexts.empty());
  EXPECT_EQ(Edited, 0);
  Pump();
  EXPECT_EQ(EditorCount(), 0);

  // The parent of the edited node goes; then a reset and a Clear.
  T->SetFocus();
  PLazyNode parent = Nth(0);
  T->SetChildCount(parent, 2);
  T->SetExpanded(parent, true);
  StartWithF2(parent->FirstChild, 0);
  Type(u"child");
  ASSERT_TRUE(T->IsEditing());
  T->DeleteNode(parent);
  EXPECT_FALSE(T->IsEditing());
  EXPECT_EQ(Cancelled, 2);
  StartWithF2(Nth(1), 0);
  ASSERT_TRUE(T->IsEditing());
  Type(u"reset");
  T->ResetNode(Nth(1));
  EXPECT_FALSE(T->IsEditing());
  StartWithF2(Nth(1), 0);
  ASSERT_TRUE(T->IsEditing());
  Type(u"clear");
  T->Clear();
  EXPECT_FALSE(T->IsEditing());
  EXPECT_EQ(Cancelled, 4);
  Click(Other, TPoint(5, 5));
  Pump();
  EXPECT_TRUE(NewTexts.empty());
  EXPECT_EQ(EditorCount(), 0);
}

TEST_F(LazyTrees_qn_Editing, AnApplicationsOwnLink) {
  std::vector<std::string> log;
  int alive = 0;
  TRecordingLink* current = nullptr;
  TIntf<IInterface> supplied;
  T->SetOnCreateEditor([&](TBaseLazyTree_qn*, PLazyNode, TColumnIndex, TIntf<IInterface>& EditLink) {
    EditLink = supplied;
  });
  auto fresh = [&] {
    log.clear();
    current = new TRecordingLink(log, alive);
    supplied = TIntf<IVTEditLink>(current);
  };
  PLazyNode a = Nth(3);

  // The flow: prepare, lay out, begin; then end with OnEdited.
  fresh();
  StartWithF2(a, 2);
  EXPECT_TRUE(T->IsEditing());
  EXPECT_EQ(log, (std::vector<std::string>{"Prepare", "GetBounds", "SetBounds", "Begin"}));
  EXPECT_EQ(current->PreparedNode, a);
  EXPECT_EQ(current->PreparedColumn, 2);
  // Nothing to keep from before: exactly the cell's text rectangle.
  EXPECT_EQ(current->Bounds, T->GetDisplayRect(a, 2, true, true));
  // A resized column lays the editor out again.
  log.clear();
  T->Header()->Columns()->Items(0)->SetWidth(160);
  EXPECT_EQ(log, (std::vector<std::string>{"GetBounds", "SetBounds"}));
  EXPECT_EQ(current->Bounds.Left, T->GetDisplayRect(a, 2, true, true).Left);
  log.clear();
  EXPECT_TRUE(T->EndEditNode());
  EXPECT_EQ(log, (std::vector<std::string>{"End"}));
  EXPECT_EQ(Edited, 1);
  supplied = nullptr;
  EXPECT_EQ(alive, 0);

  // With grid extensions the bounds reach to the column's edge away from
  // the anchor; a shown horizontal grid line stays uncovered.
  SetMisc(toGridExtensions, true);
  T->TreeOptions()->SetPaintOptions(T->TreeOptions()->PaintOptions() + TVTPaintOptions{toShowHorzGridLines});
  for (TColumnIndex column : {TColumnIndex(1), TColumnIndex(2)}) {
    fresh();
    EXPECT_TRUE(T->EditNode(a, column));
    Integer l = 0, r = 0;
    T->Header()->Columns()->GetColumnBounds(column, l, r);
    TRect expected = T->GetDisplayRect(a, column, true, true);
    if (column == 1) expected.Right = r;
    else expected.Left = l;
    --expected.Bottom;
    EXPECT_EQ(current->Bounds, expected) << column;
    EXPECT_TRUE(T->EndEditNode());
  }
  SetMisc(toGridExtensions, false);
  T->TreeOptions()->SetPaintOptions(T->TreeOptions()->PaintOptions() - TVTPaintOptions{toShowHorzGridLines});
  Edited = 1;

  // A refusing PrepareEdit or BeginEdit leaves the tree idle.
  fresh();
  current->PrepareResult = false;
  StartWithF2(a, 2);
  EXPECT_FALSE(T->IsEditing());
  EXPECT_EQ(log, (std::vector<std::string>{"Prepare"}));
  fresh();
  current->BeginResult = false;
  EXPECT_FALSE(T->EditNode(a, 1));
  EXPECT_EQ(log, (std::vector<std::string>{"Prepare", "GetBounds", "SetBounds", "Begin"}));
  EXPECT_FALSE(T->IsEditing());
  supplied = nullptr;
  EXPECT_EQ(alive, 0);

  // A link that keeps its edit keeps the tree editing, until its node goes.
  fresh();
  current->EndResult = false;
  current->CancelResult = false;
  EXPECT_TRUE(T->EditNode(a, 1));
  EXPECT_FALSE(T->EndEditNode());
  EXPECT_FALSE(T->CancelEditNode());
  EXPECT_TRUE(T->IsEditing());
  EXPECT_EQ(Edited, 1);
  T->DeleteNode(a);
  EXPECT_FALSE(T->IsEditing());
  EXPECT_FALSE(T->FEditLink);
  supplied = nullptr;
  EXPECT_EQ(alive, 0);

  // Something that is no edit link: the string tree's own editor steps in.
  supplied = TIntf<IInterface>(new TInterfacedObject());
  EXPECT_TRUE(T->EditNode(Nth(0), 0));
  EXPECT_NE(Editor(), nullptr);
  Key(VK_ESCAPE);
  supplied = nullptr;

  // The default link on a tree that is no string tree refuses, and neither
  // it nor its editor is left behind.
  auto* draw = new TLazyDrawTree_qn(Form);
  draw->SetParent(Form);
  draw->SetBounds(440, 10, 100, 100);
  draw->SetRootNodeCount(2);
  draw->TreeOptions()->SetMiscOptions(draw->TreeOptions()->MiscOptions() + TVTMiscOptions{toEditable});
  draw->SetOnCreateEditor([](TBaseLazyTree_qn*, PLazyNode, TColumnIndex, TIntf<IInterface>& EditLink) {
    EditLink = TIntf<IVTEditLink>(new TStringEditLink());
  });
  EXPECT_FALSE(draw->EditNode(draw->GetFirst(), NoColumn));
  EXPECT_FALSE(draw->IsEditing());
  // Without any link the base tree does not edit at all.
  draw->SetOnCreateEditor(nullptr);
  EXPECT_FALSE(draw->EditNode(draw->GetFirst(), NoColumn));
}

TEST_F(LazyTrees_qn_Editing, GallerySheetMatchesItsGoldenImage) {
  auto sheet = gallery::TTreeEditSheet::Render();
  qntest::ExpectMatchesGolden(sheet, "tree-edit", 8,
                              gallery::TTreeEditSheet::kWidth * gallery::TTreeEditSheet::kHeight / 200);
}

}  // namespace

}  // namespace t_lazy_trees_qn_editing_test
