// The tree's remaining window messages as scripted sequences: presses on
// the frame, the context menu against the node menu, focus handed to an
// embedded object, window destruction (timers, drop target, the hint
// animation's flag), enabling, reading direction, scaling, subclassing, the
// hint animation choice under every system setting, and the standard edit
// actions with and without focus, selection, multi-selection and
// read-only.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/desktop/Desktop.h"
#include "platform/ole/DragDropQuery.h"
#include "platform/ole/Ole2.h"
#include "platform/vcl/ActnList.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/Menus.h"
#include "platform/vcl/StdActns.h"
#include "platform/vcl/StdCtrls.h"
#include "treeview/LazyTrees_qn_Appearance.h"
#include "treeview/LazyTrees_qn_StringTree.h"

namespace t_lazy_trees_qn_messages_test {

using namespace qn;

namespace {

class TMsgTree : public TLazyStringTree_qn {
  QN_CLASS(TMsgTree, TLazyStringTree_qn)
 public:
  explicit TMsgTree(TComponent* AOwner) : TLazyStringTree_qn(AOwner) {}
  using TBaseLazyTree_qn::DoStateChange;
  using TBaseLazyTree_qn::FDottedBrush;
  using TWinControl::DestroyHandle;
  int Cuts = 0, Copies = 0, Pastes = 0, Deletes = 0, NcPaints = 0;
  // What held when the platform's part of WM_NCDESTROY ran.
  struct {
    bool Seen = false, ChangeTimerRunning = false, StructureTimerRunning = false, ExpandTimerRunning = false,
         DropTargetRegistered = false;
  } AtNcDestroy;
  HWND Window = nullptr;
  void CutToClipBoard() override { ++Cuts; }
  void CopyToClipBoard() override { ++Copies; }
  bool PasteFromClipboard() override {
    ++Pastes;
    return true;
  }
  void DeleteSelectedNodes() override {
    ++Deletes;
    TLazyStringTree_qn::DeleteSelectedNodes();
  }
  void Dispatch(TMessage& Message) override {
    if (Message.Msg == WM_NCPAINT) ++NcPaints;
    TLazyStringTree_qn::Dispatch(Message);
  }
  void DefaultHandler(TMessage& Message) override {
    if (Message.Msg == WM_NCDESTROY && Window) {
      AtNcDestroy.Seen = true;
      AtNcDestroy.ChangeTimerRunning = KillTimer(Window, ChangeTimer);
      AtNcDestroy.StructureTimerRunning = KillTimer(Window, StructureChangeTimer);
      AtNcDestroy.ExpandTimerRunning = KillTimer(Window, ExpandTimer);
      AtNcDestroy.DropTargetRegistered = IsDragDropRegistered(Window);
    }
    TLazyStringTree_qn::DefaultHandler(Message);
  }
};

// A control hosting an embedded OLE object: it answers for IOleClientSite.
class TOleSite : public TWinControl, public virtual IOleClientSite {
  QN_CLASS(TOleSite, TWinControl)
  QN_INTERFACES(IOleClientSite)
 public:
  explicit TOleSite(TComponent* AOwner) : TWinControl(AOwner) {}
  HRESULT QueryInterface(const TGUID& iid, void** obj) override {
    return GetInterface(iid, obj) ? S_OK : E_NOINTERFACE;
  }
  Integer _AddRef() override { return -1; }
  Integer _Release() override { return -1; }
  HRESULT SaveObject() override { return E_NOTIMPL; }
  HRESULT GetMoniker(DWORD, DWORD, IMoniker**) override { return E_NOTIMPL; }
  HRESULT GetContainer(IUnknown**) override { return E_NOTIMPL; }
  HRESULT ShowObject() override { return S_OK; }
  HRESULT OnShowWindow(BOOL) override { return S_OK; }
  HRESULT RequestNewObjectLayout() override { return E_NOTIMPL; }
};

class TDropTarget : public TInterfacedObject, public virtual IDropTarget {
  QN_CLASS(TDropTarget, TInterfacedObject)
  QN_INTERFACES(IDropTarget)
 public:
  HRESULT DragEnter(IDataObject*, DWORD, POINTL, DWORD* e) override { return *e = 0, S_OK; }
  HRESULT DragOver(DWORD, POINTL, DWORD* e) override { return *e = 0, S_OK; }
  HRESULT DragLeave() override { return S_OK; }
  HRESULT Drop(IDataObject*, DWORD, POINTL, DWORD* e) override { return *e = 0, S_OK; }
};

// An action of the application's own that works on trees.
class TTreeAction : public TAction {
 public:
  using TAction::TAction;
  int Updated = 0, Executed = 0;
  bool HandlesTarget(TObject* Target) override { return dynamic_cast<TBaseLazyTree_qn*>(Target) != nullptr; }
  void UpdateTarget(TObject*) override { ++Updated; }
  void ExecuteTarget(TObject*) override { ++Executed; }
};

// A copy action that serves trees itself: the platform's handling comes
// first.
class TTreeCopy : public TEditCopy {
 public:
  using TEditCopy::TEditCopy;
  int Executed = 0;
  bool HandlesTarget(TObject* Target) override { return dynamic_cast<TBaseLazyTree_qn*>(Target) != nullptr; }
  void ExecuteTarget(TObject*) override { ++Executed; }
};

class MessagesFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    SetVirtualClock(true);
    ResetInput();
    Form = new TForm(nullptr);
    Form->SetPosition(poDesigned);
    Form->SetBounds(40, 30, 520, 420);
    T = new TMsgTree(Form);
    T->SetParent(Form);
    T->SetBounds(10, 10, 300, 240);
    T->SetOnGetText([](TBaseLazyTree_qn* Sender, PLazyNode Node, TColumnIndex, TVSTTextType, String& Text) {
      Text = u"Node " + IntToStr(Integer(Sender->AbsoluteIndex(Node)));
    });
    Other = new TEdit(Form);
    Other->SetParent(Form);
    Other->SetBounds(10, 330, 100, 22);
    Form->Show();
    T->HandleNeeded();
    Pump();
  }
  void TearDown() override {
    SetMenuResponder(nullptr);
    ResetInput();
    delete Form;
    ResetSystemSettings();
  }
  static void Pump() { Application->ProcessMessages(); }
  void Focus(TWinControl* C) {
    C->SetFocus();
    Pump();
  }
  void Options(TVTMiscOptions Add, TVTMiscOptions Remove = {}) {
    T->TreeOptions()->SetMiscOptions((T->TreeOptions()->MiscOptions() + Add) - Remove);
  }
  void SelectionOptions(TVTSelectionOptions Add, TVTSelectionOptions Remove = {}) {
    T->TreeOptions()->SetSelectionOptions((T->TreeOptions()->SelectionOptions() + Add) - Remove);
  }
  void RightClick(TPoint Client) {
    AdvanceClock(1000);
    TPoint s = T->ClientToScreen(Client);
    InputMouseMove(s.X, s.Y);
    Pump();
    InputMouseDown(VK_RBUTTON);
    Pump();
    InputMouseUp(VK_RBUTTON);
    Pump();
  }

  TForm* Form = nullptr;
  TMsgTree* T = nullptr;
  TEdit* Other = nullptr;
};

class LazyTrees_qn_Messages : public MessagesFixture {};

}  // namespace

TEST_F(LazyTrees_qn_Messages, PressesOnTheFrameFocusTheTree) {
  TPoint frame = T->ClientToScreen(TPoint(-1, 5));
  for (UINT msg : {WM_NCLBUTTONDOWN, WM_NCRBUTTONDOWN, WM_NCMBUTTONDOWN}) {
    Focus(Other);
    ASSERT_FALSE(T->Focused());
    T->Perform(msg, HTBORDER, MAKELPARAM(frame.X, frame.Y));
    EXPECT_TRUE(T->Focused()) << msg;
  }
  // Moving over the frame is no press; a disabled tree cannot take it.
  Focus(Other);
  T->Perform(WM_NCMOUSEMOVE, HTBORDER, MAKELPARAM(frame.X, frame.Y));
  EXPECT_FALSE(T->Focused());
  T->SetEnabled(false);
  T->Perform(WM_NCLBUTTONDOWN, HTBORDER, MAKELPARAM(frame.X, frame.Y));
  EXPECT_FALSE(T->Focused());
  EXPECT_TRUE(Other->Focused());
}

TEST_F(LazyTrees_qn_Messages, TheControlsMenuShowsUnlessTheNodeMenuJustDid) {
  T->SetRootNodeCount(5);
  int loops = 0;
  SetMenuResponder([&](HMENU, UINT&) {
    ++loops;
    return false;
  });
  auto* menu = new TPopupMenu(Form);
  auto* item = new TMenuItem(menu);
  item->SetCaption(u"Tree");
  menu->Items()->Add(item);
  T->SetPopupMenu(menu);

  // No node menu: a right click on a node shows the control's menu.
  TRect row = T->GetDisplayRect(T->GetFirst(), NoColumn, true);
  RightClick(TPoint(row.Left + 2, row.Top + 2));
  EXPECT_EQ(loops, 1);
  EXPECT_EQ(menu->PopupComponent(), T);

  // The message ends what was pending before it shows the menu.
  T->DoStateChange({tsClearPending, tsEditPending, tsOLEDragPending, tsVCLDragPending});
  TPoint s = T->ClientToScreen(TPoint(20, 20));
  T->Perform(WM_CONTEXTMENU, WPARAM(T->Handle()), MAKELPARAM(s.X, s.Y));
  EXPECT_EQ(loops, 2);
  for (TLazyTreeState st : {tsClearPending, tsEditPending, tsOLEDragPending, tsVCLDragPending})
    EXPECT_FALSE(T->TreeStates().Contains(st));

  // The Apps key showed the node's menu: a context-menu request from the
  // keyboard right after shows nothing more.
  auto* nodeMenu = new TPopupMenu(Form);
  auto* nodeItem = new TMenuItem(nodeMenu);
  nodeItem->SetCaption(u"Node");
  nodeMenu->Items()->Add(nodeItem);
  T->OnGetPopupMenu = [&](TBaseLazyTree_qn*, PLazyNode N, TColumnIndex, TPoint, bool&, TPopupMenu*& M) {
    if (N) M = nodeMenu;
  };
  Focus(T);
  T->SetFocusedNode(T->GetFirst());
  InputKeyDown(VK_APPS);
  Pump();
  InputKeyUp(VK_APPS);
  Pump();
  EXPECT_EQ(loops, 3);
  EXPECT_EQ(nodeMenu->PopupComponent(), T);
  ASSERT_TRUE(T->TreeStates().Contains(tsPopupMenuShown));
  T->Perform(WM_CONTEXTMENU, WPARAM(T->Handle()), MAKELPARAM(-1, -1));
  EXPECT_EQ(loops, 3);
  T->DoStateChange({}, {tsPopupMenuShown});
  T->Perform(WM_CONTEXTMENU, WPARAM(T->Handle()), MAKELPARAM(-1, -1));
  EXPECT_EQ(loops, 4);
}

TEST_F(LazyTrees_qn_Messages, FocusGoingToAnEmbeddedObjectLeavesItThere) {
  auto* site = new TOleSite(Form);
  site->SetParent(Form);
  site->SetBounds(320, 10, 160, 120);
  site->HandleNeeded();
  // The embedded object's own window: no control of ours.
  HWND object = CreateWindowExW(0, u"EDIT", u"", WS_CHILD | WS_VISIBLE, 80, 60, 70, 50, site->Handle(), nullptr,
                                nullptr, nullptr);
  ASSERT_NE(object, nullptr);
  Pump();
  auto moveTo = [&](TWinControl* Over) {
    TPoint p = Over->ClientToScreen(TPoint(5, 5));
    InputMouseMove(p.X, p.Y);
    Pump();
  };

  // The pointer over a plain control: the tree stays the active control.
  Focus(T);
  ASSERT_EQ(Form->ActiveControl(), T);
  moveTo(Other);
  SetFocus(object);
  Pump();
  EXPECT_EQ(Form->ActiveControl(), T);

  // Over the embedded object's site: the form forgets the tree and the
  // object keeps the focus.
  Focus(T);
  moveTo(site);
  SetFocus(object);
  Pump();
  EXPECT_EQ(Form->ActiveControl(), nullptr);
  EXPECT_EQ(GetFocus(), object);
  DestroyWindow(object);
}

TEST_F(LazyTrees_qn_Messages, DestroyingTheWindowStopsTimersRevokesTheDropTargetAndFlagsTheHint) {
  ASSERT_TRUE(Succeeded(OleInitialize(nullptr)));
  TIntf<IDropTarget> target(new TDropTarget);
  auto destroy = [&] {
    T->Window = T->Handle();
    for (UINT_PTR id : {ExpandTimer, ChangeTimer, StructureChangeTimer}) SetTimer(T->Window, id, 1000, nullptr);
    T->AtNcDestroy = {};
    T->DestroyHandle();
    EXPECT_TRUE(T->AtNcDestroy.Seen);
    T->Window = nullptr;
  };

  ASSERT_TRUE(T->TreeOptions()->MiscOptions().Contains(toAcceptOLEDrop));
  RevokeDragDrop(T->Handle());
  ASSERT_EQ(RegisterDragDrop(T->Handle(), target.get()), S_OK);
  T->Repaint();
  EXPECT_NE(T->FDottedBrush.Handle, nullptr);
  HintWindowDestroyed = false;
  T->DoStateChange({tsInAnimation});
  destroy();
  EXPECT_FALSE(T->AtNcDestroy.ChangeTimerRunning);
  EXPECT_FALSE(T->AtNcDestroy.StructureTimerRunning);
  EXPECT_TRUE(T->AtNcDestroy.ExpandTimerRunning) << "the other timers are not this step's";
  EXPECT_FALSE(T->AtNcDestroy.DropTargetRegistered);
  EXPECT_TRUE(HintWindowDestroyed);
  EXPECT_EQ(T->FDottedBrush.Handle, nullptr);
  T->DoStateChange({}, {tsInAnimation});

  // Without OLE drops the registration is not the tree's to revoke, and
  // without an animation the hint is left alone.
  HintWindowDestroyed = false;
  Options({}, {toAcceptOLEDrop});
  T->HandleNeeded();
  ASSERT_EQ(RegisterDragDrop(T->Handle(), target.get()), S_OK);
  destroy();
  EXPECT_TRUE(T->AtNcDestroy.DropTargetRegistered);
  EXPECT_FALSE(HintWindowDestroyed);
  T->HandleNeeded();
  T->Repaint();
  EXPECT_NE(T->FDottedBrush.Handle, nullptr) << "the brush comes back when lines are painted";
  OleUninitialize();
}

TEST_F(LazyTrees_qn_Messages, EnablingRedrawsTheFrameWithTheHeader) {
  Pump();
  T->NcPaints = 0;
  T->Perform(WM_ENABLE, 1, 0);
  Pump();
  EXPECT_GT(T->NcPaints, 0);
  // At run time the enabled-changed notification leaves it to WM_ENABLE;
  // in the designer it redraws itself.
  T->NcPaints = 0;
  T->Perform(CM_ENABLEDCHANGED, 0, 0);
  Pump();
  EXPECT_EQ(T->NcPaints, 0);
  T->SetDesigning(true);
  T->Perform(CM_ENABLEDCHANGED, 0, 0);
  Pump();
  EXPECT_GT(T->NcPaints, 0);
  T->SetDesigning(false);
}

TEST_F(LazyTrees_qn_Messages, ReadingDirectionReordersColumnsWhenAskedTo) {
  for (int i = 0; i < 3; ++i) T->Header()->Columns()->Add()->SetWidth(60);
  T->Header()->SetOptions(T->Header()->Options() + TVTHeaderOptions{hoVisible});
  auto positions = [&] {
    std::vector<Cardinal> p;
    for (int i = 0; i < 3; ++i) p.push_back(T->Header()->Columns()->Items(i)->Position());
    return p;
  };
  ASSERT_EQ(positions(), (std::vector<Cardinal>{0, 1, 2}));
  // Without the option the order stays.
  T->TreeOptions()->SetAutoOptions(T->TreeOptions()->AutoOptions() - TVTAutoOptions{toAutoBidiColumnOrdering});
  T->SetBiDiMode(bdRightToLeft);
  EXPECT_EQ(positions(), (std::vector<Cardinal>{0, 1, 2}));
  EXPECT_GE(T->EffectiveOffsetX(), 0);
  T->SetBiDiMode(bdLeftToRight);
  T->TreeOptions()->SetAutoOptions(T->TreeOptions()->AutoOptions() + TVTAutoOptions{toAutoBidiColumnOrdering});
  T->SetBiDiMode(bdRightToLeft);
  EXPECT_EQ(positions(), (std::vector<Cardinal>{2, 1, 0}));
  EXPECT_GE(T->EffectiveOffsetX(), 0);
  T->SetBiDiMode(bdLeftToRight);
  EXPECT_EQ(positions(), (std::vector<Cardinal>{0, 1, 2}));
  EXPECT_EQ(T->EffectiveOffsetX(), 0);
}

TEST_F(LazyTrees_qn_Messages, SubclassingIsRefusedAndAlignmentAndReadingFollowTheTree) {
  EXPECT_EQ(T->Perform(0xB7D0, 0, 0), 1);
  EXPECT_EQ(Other->Perform(0xB7D0, 0, 0), 0);
  T->SetAlignment(taRightJustify);
  EXPECT_EQ(T->GetControlsAlignment(), taRightJustify);
  EXPECT_FALSE(T->UseRightToLeftReading());
  T->SetBiDiMode(bdRightToLeftReadingOnly);
  EXPECT_TRUE(T->UseRightToLeftReading());
}

TEST_F(LazyTrees_qn_Messages, ScalingScalesNodeHeightAndHeaderOnlyWhenAskedTo) {
  T->SetBounds(10, 20, 200, 100);
  Integer header = T->Header()->Height();
  ASSERT_TRUE(T->TreeOptions()->AutoOptions().Contains(toAutoChangeScale));
  T->ChangeScale(144, 96);
  EXPECT_EQ(T->BoundsRect(), TRect(15, 30, 315, 180));
  EXPECT_EQ(T->DefaultNodeHeight(), 27u);
  EXPECT_EQ(T->Header()->Height(), MulDiv(header, 3, 2));
  // Back again.
  T->ChangeScale(96, 144);
  EXPECT_EQ(T->BoundsRect(), TRect(10, 20, 210, 120));
  EXPECT_EQ(T->DefaultNodeHeight(), 18u);
  EXPECT_EQ(T->Header()->Height(), header);
  // Without the option only the bounds follow; an equal pair changes
  // nothing; a zero or negative factor is refused and changes nothing.
  T->TreeOptions()->SetAutoOptions(T->TreeOptions()->AutoOptions() - TVTAutoOptions{toAutoChangeScale});
  T->ChangeScale(144, 96);
  EXPECT_EQ(T->BoundsRect(), TRect(15, 30, 315, 180));
  EXPECT_EQ(T->DefaultNodeHeight(), 18u);
  EXPECT_EQ(T->Header()->Height(), header);
  T->TreeOptions()->SetAutoOptions(T->TreeOptions()->AutoOptions() + TVTAutoOptions{toAutoChangeScale});
  T->ChangeScale(120, 120);
  EXPECT_EQ(T->BoundsRect(), TRect(15, 30, 315, 180));
  EXPECT_EQ(T->DefaultNodeHeight(), 18u);
  EXPECT_THROW(T->ChangeScale(0, 96), EArgumentOutOfRangeException);
  EXPECT_THROW(T->ChangeScale(144, 0), EArgumentOutOfRangeException);
  EXPECT_THROW(T->ChangeScale(-3, 96), EArgumentOutOfRangeException);
  EXPECT_EQ(T->BoundsRect(), TRect(15, 30, 315, 180));
  EXPECT_EQ(T->DefaultNodeHeight(), 18u);
  // Plain controls scale their bounds.
  Other->ChangeScale(2, 1);
  EXPECT_EQ(Other->Left(), 20);
  EXPECT_EQ(Other->Top(), 660);
  EXPECT_EQ(Other->Width(), 200);
}

TEST_F(LazyTrees_qn_Messages, HintAnimationUnderEverySystemSetting) {
  bool savedMMX = MMXAvailable;
  for (THintAnimationType type : {hatNone, hatFade, hatSlide, hatSystemDefault})
    for (bool animation : {false, true})
      for (bool fade : {false, true})
        for (bool mmx : {false, true}) {
          T->SetHintAnimation(type);
          SystemParametersInfoW(SPI_SETTOOLTIPANIMATION, 0, animation ? reinterpret_cast<void*>(1) : nullptr, 0);
          SystemParametersInfoW(SPI_SETTOOLTIPFADE, 0, fade ? reinterpret_cast<void*>(1) : nullptr, 0);
          MMXAvailable = mmx;
          THintAnimationType expected = type;
          if (type == hatSystemDefault) expected = !animation ? hatNone : fade ? hatFade : hatSlide;
          if (expected == hatFade && !mmx) expected = hatSlide;
          EXPECT_EQ(T->DoGetAnimationType(), expected)
              << int(type) << " animation " << animation << " fade " << fade << " mmx " << mmx;
        }
  MMXAvailable = savedMMX;
  EXPECT_EQ(T->HintAnimation(), hatSystemDefault) << "the setting itself is kept";
}

TEST_F(LazyTrees_qn_Messages, EditActionsFollowTheTableWhileTheTreeHasTheFocus) {
  auto* list = new TActionList(Form);
  auto* cut = new TEditCut(Form);
  auto* copy = new TEditCopy(Form);
  auto* del = new TEditDelete(Form);
  auto* paste = new TEditPaste(Form);
  auto* all = new TEditSelectAll(Form);
  for (TContainedAction* a : std::initializer_list<TContainedAction*>{cut, copy, del, paste, all})
    a->SetActionList(list);
  // Cut, copy, delete, paste and select all, as enabled after an update.
  auto states = [&] {
    std::string s;
    for (TCustomAction* a : std::initializer_list<TCustomAction*>{cut, copy, del, paste, all}) {
      a->Update();
      s += a->Enabled() ? '1' : '0';
    }
    return s;
  };
  ASSERT_GT(ClipboardFormatList()->Count(), 0) << "the tree's formats are registered";
  T->SetRootNodeCount(4);
  Focus(T);
  EXPECT_EQ(states(), "00010");
  T->SetSelected(T->GetFirst(), true);
  EXPECT_EQ(states(), "11110");
  SelectionOptions({toMultiSelect});
  T->SetSelected(T->GetFirst(), true);
  EXPECT_EQ(states(), "11111");
  // Select all needs a visible node.
  T->SetVisible(T->GetFirst(), false);
  for (PLazyNode n = T->GetFirst(); n; n = T->GetNextSibling(n)) T->SetVisible(n, false);
  EXPECT_EQ(T->VisibleCount(), 0u);
  EXPECT_EQ(states(), "11110");
  for (PLazyNode n = T->GetFirst(); n; n = T->GetNextSibling(n)) T->SetVisible(n, true);

  // Without the focus the tree takes no part: its answer leaves the action
  // as it was.
  Focus(Other);
  cut->SetEnabled(false);
  EXPECT_FALSE(T->UpdateAction(cut));
  EXPECT_FALSE(cut->Enabled());
  Focus(T);

  // Execution reaches the tree's own operations.
  EXPECT_TRUE(copy->Execute());
  EXPECT_TRUE(cut->Execute());
  EXPECT_TRUE(paste->Execute());
  EXPECT_EQ(T->Copies, 1);
  EXPECT_EQ(T->Cuts, 1);
  EXPECT_EQ(T->Pastes, 1);
  EXPECT_TRUE(all->Execute());
  EXPECT_EQ(T->SelectedCount(), 4);
  T->SetVisible(T->GetLast(), false);
  T->ClearSelection();
  EXPECT_TRUE(all->Execute());
  EXPECT_EQ(T->SelectedCount(), 4) << "hidden nodes too";
  T->SetVisible(T->GetLast(), true);
  T->ClearSelection();
  T->SetSelected(T->GetFirst(), true);
  EXPECT_TRUE(del->Execute());
  EXPECT_EQ(T->Deletes, 1);
  EXPECT_EQ(T->RootNodeCount(), 3u);

  // Read-only: what would change the tree is refused; copy and select all
  // still run.
  Options({toReadOnly});
  T->SetSelected(T->GetFirst(), true);
  EXPECT_FALSE(T->ExecuteAction(cut));
  EXPECT_FALSE(T->ExecuteAction(paste));
  EXPECT_FALSE(T->ExecuteAction(del));
  EXPECT_TRUE(T->ExecuteAction(copy));
  EXPECT_TRUE(T->ExecuteAction(all));
  EXPECT_EQ(T->Cuts, 1);
  EXPECT_EQ(T->Pastes, 1);
  EXPECT_EQ(T->Deletes, 1);
  EXPECT_EQ(T->Copies, 2);
  EXPECT_EQ(T->RootNodeCount(), 3u);
  Options({}, {toReadOnly});
}

TEST_F(LazyTrees_qn_Messages, OtherActionsGoToThePlatform) {
  Focus(T);
  T->SetRootNodeCount(2);
  T->SetSelected(T->GetFirst(), true);
  // Undo is no tree action: the platform's edit actions serve edits only.
  auto* undo = new TEditUndo(Form);
  undo->SetEnabled(true);
  EXPECT_FALSE(T->UpdateAction(undo));
  EXPECT_TRUE(undo->Enabled());
  EXPECT_FALSE(T->ExecuteAction(undo));
  // An action of the application's that handles trees is updated and run
  // the platform's way.
  auto* own = new TTreeAction(Form);
  EXPECT_TRUE(T->UpdateAction(own));
  EXPECT_TRUE(T->ExecuteAction(own));
  EXPECT_EQ(own->Updated, 1);
  EXPECT_EQ(own->Executed, 1);
  // A copy action that serves trees itself wins over the tree's copy.
  auto* copy = new TTreeCopy(Form);
  EXPECT_TRUE(T->ExecuteAction(copy));
  EXPECT_EQ(copy->Executed, 1);
  EXPECT_EQ(T->Copies, 0);
}

}  // namespace t_lazy_trees_qn_messages_test
