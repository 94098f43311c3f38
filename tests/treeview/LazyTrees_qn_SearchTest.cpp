// Incremental search on typed characters (with and without a handler that
// compares node texts), its time-out on the virtual clock, and the window
// timers with the resets of focus loss and cancel mode.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/desktop/Desktop.h"
#include "platform/rtl/Kernel.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/StdCtrls.h"
#include "treeview/LazyTrees_qn.h"

namespace t_lazy_trees_qn_search_test {

using namespace qn;

namespace {

class TSearchTree : public TBaseLazyTree_qn {
  QN_CLASS(TSearchTree, TBaseLazyTree_qn)
 public:
  explicit TSearchTree(TComponent* AOwner) : TBaseLazyTree_qn(AOwner) {}
  using TBaseLazyTree_qn::DoStateChange;
  using TBaseLazyTree_qn::FDropTargetNode;
  using TBaseLazyTree_qn::FLastSearchNode;
  using TBaseLazyTree_qn::FSearchBuffer;
  using TBaseLazyTree_qn::HandleIncrementalSearch;
  int Edits = 0;
  void DoEdit() override {
    ++Edits;
    TBaseLazyTree_qn::DoEdit();
  }
};

class SearchFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    SetVirtualClock(true);
    ClearBeepLog();
    Form = new TForm(nullptr);
    Form->SetPosition(poDesigned);
    Form->SetBounds(40, 30, 400, 300);
    T = new TSearchTree(Form);
    T->SetParent(Form);
    T->SetBounds(10, 10, 200, 240);
    Other = new TEdit(Form);
    Other->SetParent(Form);
    Other->SetBounds(220, 10, 100, 24);
    Form->Show();
    T->HandleNeeded();
    T->SetIncrementalSearch(TVTIncrementalSearch::isAll);
    Pump();
  }
  void TearDown() override {
    delete Form;
    ResetInput();
  }
  static void Pump() { Application->ProcessMessages(); }
  static void Run(DWORD Ms) {
    for (DWORD t = 0; t < Ms; ++t) {
      AdvanceClock(1);
      Pump();
    }
  }
  // A flat list of nodes with these captions, compared by a handler as a
  // case-sensitive prefix.
  void Captions(std::vector<std::u16string> Texts) {
    Texts_ = std::move(Texts);
    T->SetRootNodeCount(Cardinal(Texts_.size()));
    T->OnIncrementalSearch = [this](TBaseLazyTree_qn*, PLazyNode Node, const String& Text, Integer& Result) {
      Result = Texts_[T->AbsoluteIndex(Node)].starts_with(Text) ? 0 : 1;
    };
  }
  void Type(const std::u16string& Keys) {
    for (char16_t c : Keys) T->HandleIncrementalSearch(Word(c));
  }
  // The caption of the focused node ("" without one).
  std::u16string Focused() { return T->FocusedNode() ? Texts_[T->AbsoluteIndex(T->FocusedNode())] : u""; }
  PLazyNode Nth(Cardinal I) {
    PLazyNode n = T->GetFirst();
    while (I-- > 0) n = T->GetNext(n);
    return n;
  }
  bool Searching() { return T->TreeStates().Contains(tsIncrementalSearching); }

  TForm* Form = nullptr;
  TSearchTree* T = nullptr;
  TEdit* Other = nullptr;
  std::vector<std::u16string> Texts_;
};

class LazyTrees_qn_Search : public SearchFixture {};
class LazyTrees_qn_Timers : public SearchFixture {};

const std::vector<std::u16string> kFruit{u"apple", u"banana", u"avocado", u"aa battery", u"cherry", u"apricot"};

}  // namespace

TEST_F(LazyTrees_qn_Search, WithoutAHandlerEachSearchFocusesTheNextNode) {
  T->SetRootNodeCount(4);
  // Every node matches: the first character of a search moves one node on,
  // wrapping at the end; further characters of the same search stay.
  std::vector<PLazyNode> seen;
  for (int i = 0; i < 5; ++i) {
    T->HandleIncrementalSearch(u'q');
    T->HandleIncrementalSearch(u'r');
    seen.push_back(T->FocusedNode());
    EXPECT_EQ(T->FSearchBuffer, u"qr");
    Run(T->IncrementalSearchTimeout());
    EXPECT_TRUE(T->FSearchBuffer.empty());
  }
  EXPECT_EQ(seen, (std::vector<PLazyNode>{Nth(0), Nth(1), Nth(2), Nth(3), Nth(0)}));
  EXPECT_EQ(T->SelectedCount(), 1);
  EXPECT_TRUE(T->GetSelected(Nth(0)));
  EXPECT_TRUE(BeepLog().empty());
}

TEST_F(LazyTrees_qn_Search, PrefixesSameLetterCyclingAndNoMatch) {
  Captions(kFruit);
  T->TreeOptions()->SetSelectionOptions(T->TreeOptions()->SelectionOptions() + TVTSelectionOptions{toMultiSelect});
  Type(u"a");
  EXPECT_EQ(Focused(), u"apple");
  // The same letter again cycles through the nodes starting with it.
  Type(u"a");
  EXPECT_EQ(Focused(), u"avocado");
  EXPECT_EQ(T->FSearchBuffer, u"a");
  Type(u"a");
  EXPECT_EQ(Focused(), u"aa battery");
  // Here the doubled letter is a real prefix: it extends the search.
  Type(u"a");
  EXPECT_EQ(Focused(), u"aa battery");
  EXPECT_EQ(T->FSearchBuffer, u"aa");
  // Nothing starts with "aaz": a beep; focus, selection and buffer stay.
  T->SetSelected(Nth(4), true);
  ASSERT_EQ(T->SelectedCount(), 2);
  Type(u"z");
  EXPECT_EQ(BeepLog().size(), 1u);
  EXPECT_EQ(Focused(), u"aa battery");
  EXPECT_EQ(T->SelectedCount(), 2);
  EXPECT_EQ(T->FSearchBuffer, u"aa");
  // A new search after the pause: "ap" goes from the focused node on.
  Run(T->IncrementalSearchTimeout());
  Type(u"ap");
  EXPECT_EQ(Focused(), u"apricot");
  EXPECT_EQ(T->FLastSearchNode, Nth(5));
  EXPECT_EQ(T->SelectedCount(), 1);
  // The focused node as the only match keeps the typed text, so the search
  // goes on from there.
  Run(T->IncrementalSearchTimeout());
  T->SetFocusedNode(Nth(4));
  Type(u"c");
  EXPECT_EQ(Focused(), u"cherry");
  EXPECT_EQ(T->FSearchBuffer, u"c");
  Type(u"h");
  EXPECT_EQ(T->FSearchBuffer, u"ch");
  EXPECT_EQ(BeepLog().size(), 1u);
}

TEST_F(LazyTrees_qn_Search, StartPointsAndDirections) {
  Captions(kFruit);
  T->SetFocusedNode(Nth(4));  // cherry
  T->SetIncrementalSearchDirection(sdBackward);
  Type(u"a");
  EXPECT_EQ(Focused(), u"aa battery");
  Type(u"a");  // doubled letter: a prefix of the start node
  EXPECT_EQ(Focused(), u"aa battery");
  Run(T->IncrementalSearchTimeout());
  Type(u"a");
  EXPECT_EQ(Focused(), u"avocado");

  // Always starting over: the first node forwards, the last backwards.
  Run(T->IncrementalSearchTimeout());
  T->SetIncrementalSearchStart(ssAlwaysStartOver);
  Type(u"a");
  EXPECT_EQ(Focused(), u"apricot");
  Run(T->IncrementalSearchTimeout());
  T->SetIncrementalSearchDirection(sdForward);
  Type(u"b");
  EXPECT_EQ(Focused(), u"banana");
  Run(T->IncrementalSearchTimeout());
  Type(u"av");
  EXPECT_EQ(Focused(), u"avocado");
  Type(u"x");
  EXPECT_EQ(Focused(), u"avocado");
  EXPECT_EQ(BeepLog().size(), 1u);

  // From the last hit rather than the focused node.
  Run(T->IncrementalSearchTimeout());
  T->SetIncrementalSearchStart(ssLastHit);
  Type(u"a");
  EXPECT_EQ(Focused(), u"apple");
  Type(u"a");
  EXPECT_EQ(Focused(), u"avocado");
  T->SetFocusedNode(Nth(4));
  Type(u"a");
  EXPECT_EQ(Focused(), u"aa battery");
}

TEST_F(LazyTrees_qn_Search, BackspaceAndSwitchingSearchOff) {
  Captions(kFruit);
  // Backspace on an empty buffer only restarts the time-out.
  T->HandleIncrementalSearch(VK_BACK);
  EXPECT_EQ(T->FocusedNode(), nullptr);
  EXPECT_TRUE(Searching());
  Run(T->IncrementalSearchTimeout() - 10);
  T->HandleIncrementalSearch(VK_BACK);
  Run(T->IncrementalSearchTimeout() - 10);
  EXPECT_TRUE(Searching());
  Run(20);
  EXPECT_FALSE(Searching());

  Type(u"avo");
  EXPECT_EQ(Focused(), u"avocado");
  // Backspace shortens the buffer and searches back from the node before.
  T->HandleIncrementalSearch(VK_BACK);
  EXPECT_EQ(T->FSearchBuffer, u"av");
  EXPECT_EQ(Focused(), u"avocado");
  T->HandleIncrementalSearch(VK_BACK);
  EXPECT_EQ(T->FSearchBuffer, u"a");
  EXPECT_EQ(Focused(), u"apple");
  EXPECT_TRUE(BeepLog().empty());

  // Switching the search off forgets it at once; typing then does nothing.
  T->SetIncrementalSearch(TVTIncrementalSearch::isNone);
  EXPECT_TRUE(T->FSearchBuffer.empty());
  EXPECT_EQ(T->FLastSearchNode, nullptr);
  EXPECT_FALSE(Searching());
  Type(u"b");
  EXPECT_EQ(Focused(), u"apple");
  EXPECT_FALSE(Searching());
}

TEST_F(LazyTrees_qn_Search, SearchModesChooseTheCandidates) {
  // Two parents with two children each: "p0" {"c00", "c01"}, "p1" {"c10",
  // "c11"}; the children exist once their parent was initialized.
  auto name = [this](PLazyNode N) -> std::u16string {
    if (N->Parent == T->RootNode()) return u"p" + std::u16string(1, char16_t(u'0' + N->Index));
    return u"c" + std::u16string(1, char16_t(u'0' + N->Parent->Index)) + char16_t(u'0' + N->Index);
  };
  T->OnInitNode = [](TBaseLazyTree_qn*, PLazyNode Parent, PLazyNode, TLazyNodeInitStates& S) {
    if (!Parent) S.Include(ivsHasChildren);
  };
  T->OnInitChildren = [](TBaseLazyTree_qn*, PLazyNode, Cardinal& Count) { Count = 2; };
  T->OnIncrementalSearch = [&](TBaseLazyTree_qn*, PLazyNode Node, const String& Text, Integer& Result) {
    Result = name(Node).starts_with(Text) ? 0 : 1;
  };
  T->SetRootNodeCount(2);
  T->SetIncrementalSearch(TVTIncrementalSearch::isVisibleOnly);
  Type(u"c");  // collapsed parents: no child is a candidate
  EXPECT_EQ(BeepLog().size(), 1u);
  EXPECT_EQ(T->FocusedNode(), nullptr);
  Run(T->IncrementalSearchTimeout());
  T->SetIncrementalSearch(TVTIncrementalSearch::isInitializedOnly);
  T->ToggleNode(T->GetFirst());  // p0's children now exist
  T->ToggleNode(T->GetFirst());
  Type(u"c1");
  // "c" finds c00; c10 has not been created, so "c1" finds nothing.
  ASSERT_NE(T->FocusedNode(), nullptr);
  EXPECT_EQ(name(T->FocusedNode()), u"c00");
  EXPECT_EQ(T->FSearchBuffer, u"c");
  EXPECT_EQ(BeepLog().size(), 2u);
  Run(T->IncrementalSearchTimeout());
  T->SetIncrementalSearch(TVTIncrementalSearch::isAll);
  Type(u"c1");
  ASSERT_NE(T->FocusedNode(), nullptr);
  EXPECT_EQ(name(T->FocusedNode()), u"c10");
}

TEST_F(LazyTrees_qn_Search, TimeoutAndFocusLossEndTheSearch) {
  Captions(kFruit);
  T->SetIncrementalSearchTimeout(300);
  Type(u"b");
  EXPECT_EQ(Focused(), u"banana");
  Run(299);
  EXPECT_EQ(T->FSearchBuffer, u"b");
  EXPECT_TRUE(Searching());
  Run(2);
  EXPECT_TRUE(T->FSearchBuffer.empty());
  EXPECT_EQ(T->FLastSearchNode, nullptr);
  EXPECT_FALSE(Searching());

  // Typed on the keyboard this time.
  T->SetFocus();
  Pump();
  InputType(u"ch");
  Pump();
  EXPECT_EQ(T->FSearchBuffer, u"ch");
  Other->SetFocus();
  Pump();
  EXPECT_TRUE(T->FSearchBuffer.empty());
  EXPECT_EQ(T->FLastSearchNode, nullptr);
  EXPECT_FALSE(Searching());
  EXPECT_EQ(Focused(), u"cherry");
}

TEST_F(LazyTrees_qn_Search, SynchModeForgetsTheTypedText) {
  Captions(kFruit);
  Type(u"a");
  EXPECT_EQ(Focused(), u"apple");
  // Entering synch mode stops the search's timer, so it also ends the search:
  // the next letter starts a new one rather than extending "a".
  T->BeginSynch();
  EXPECT_TRUE(T->FSearchBuffer.empty());
  EXPECT_EQ(T->FLastSearchNode, nullptr);
  EXPECT_FALSE(Searching());
  T->EndSynch();
  Type(u"b");
  EXPECT_EQ(T->FSearchBuffer, u"b");
  EXPECT_EQ(Focused(), u"banana");
  EXPECT_TRUE(BeepLog().empty());
}

TEST_F(LazyTrees_qn_Timers, TimerIdsDispatchTheirWork) {
  HWND before = T->Handle();
  TLazyTreeStates states = T->TreeStates();
  // The header's timer and unknown ids are not the tree's.
  T->Perform(WM_TIMER, HeaderTimer, 0);
  T->Perform(WM_TIMER, 9, 0);
  EXPECT_EQ(T->Handle(), before);
  EXPECT_EQ(T->TreeStates(), states);
  EXPECT_EQ(T->Edits, 0);

  // The edit timer starts the (absent) editor, which ends the wait.
  T->DoStateChange({tsEditPending});
  SetTimer(T->Handle(), EditTimer, T->EditDelay(), nullptr);
  Run(T->EditDelay());
  EXPECT_EQ(T->Edits, 1);
  EXPECT_FALSE(T->TreeStates().Contains(tsEditPending));
  Run(T->EditDelay() * 2);
  EXPECT_EQ(T->Edits, 1);

  // The expand timer opens the drop target once.
  T->OnInitNode = [](TBaseLazyTree_qn*, PLazyNode Parent, PLazyNode, TLazyNodeInitStates& S) {
    if (!Parent) S.Include(ivsHasChildren);
  };
  T->OnInitChildren = [](TBaseLazyTree_qn*, PLazyNode, Cardinal& Count) { Count = 3; };
  T->SetRootNodeCount(2);
  PLazyNode target = T->GetFirst();
  T->ToggleNode(target);
  T->ToggleNode(target);
  T->FDropTargetNode = target;
  SetTimer(T->Handle(), ExpandTimer, T->AutoExpandDelay(), nullptr);
  Run(T->AutoExpandDelay());
  EXPECT_TRUE(T->Expanded(target));
  T->ToggleNode(target);
  Run(T->AutoExpandDelay() * 2);
  EXPECT_FALSE(T->Expanded(target));
  T->FDropTargetNode = nullptr;

  // The search timer ends a search.
  T->HandleIncrementalSearch(u'x');
  EXPECT_FALSE(T->FSearchBuffer.empty());
  T->Perform(WM_TIMER, SearchTimer, 0);
  EXPECT_TRUE(T->FSearchBuffer.empty());
  EXPECT_FALSE(T->TreeStates().Contains(tsIncrementalSearching));

  // The theme-changed timer rebuilds the window, once.
  SetTimer(T->Handle(), ThemeChangedTimer, 500, nullptr);
  Run(500);
  HWND after = T->Handle();
  EXPECT_NE(after, before);
  Run(1000);
  EXPECT_EQ(T->Handle(), after);
}

TEST_F(LazyTrees_qn_Timers, CancelModeAndFocusLossStopPendingWork) {
  T->SetFocus();
  Pump();
  // A pending edit and rubber band, a search, and their timers.
  T->DoStateChange({tsEditPending, tsDrawSelPending, tsDrawSelecting, tsClearPending});
  SetTimer(T->Handle(), EditTimer, T->EditDelay(), nullptr);
  T->HandleIncrementalSearch(u'x');
  T->Perform(WM_CANCELMODE, 0, 0);
  for (TLazyTreeState s : {tsEditPending, tsDrawSelPending, tsDrawSelecting, tsClearPending, tsIncrementalSearching})
    EXPECT_FALSE(T->TreeStates().Contains(s));
  EXPECT_TRUE(T->FSearchBuffer.empty());
  Run(T->EditDelay() + T->IncrementalSearchTimeout());
  EXPECT_EQ(T->Edits, 0);

  // Losing the focus: the button and pending states end, the edit never
  // starts.
  T->DoStateChange({tsEditPending, tsLeftButtonDown, tsScrollPending, tsNodeHeightTrackPending});
  SetTimer(T->Handle(), EditTimer, T->EditDelay(), nullptr);
  T->HandleIncrementalSearch(u'x');
  Other->SetFocus();
  Pump();
  for (TLazyTreeState s : {tsEditPending, tsLeftButtonDown, tsScrollPending, tsNodeHeightTrackPending,
                           tsIncrementalSearching})
    EXPECT_FALSE(T->TreeStates().Contains(s));
  Run(T->EditDelay() + 10);
  EXPECT_EQ(T->Edits, 0);
}

}  // namespace t_lazy_trees_qn_search_test
