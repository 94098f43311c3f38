#include <gtest/gtest.h>

#include "platform/desktop/Desktop.h"
#include "tests/treeview/LazyTreeTestSupport.h"

namespace t_lazy_trees_qn_batches_test {

using namespace treetest;

namespace {

class TProbeTree : public TBaseLazyTree_qn {
 public:
  using TBaseLazyTree_qn::TBaseLazyTree_qn;
  using TBaseLazyTree_qn::Change;
  using TBaseLazyTree_qn::DoStateChange;
};

class LazyTrees_qn_Batches : public ::testing::Test {
 protected:
  void SetUp() override { SetVirtualClock(true); }
  void TearDown() override {
    MSG m;
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
    }
    SetVirtualClock(false);
  }
  static void Pump() {
    MSG m;
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);
  }
};

TEST_F(LazyTrees_qn_Batches, UpdatingSequenceWithSurplusEnd) {
  std::vector<TVTUpdateState> seen;
  TBaseLazyTree_qn t(nullptr);
  t.OnUpdating = [&](TBaseLazyTree_qn*, TVTUpdateState S) { seen.push_back(S); };
  t.BeginUpdate();
  t.BeginUpdate();
  EXPECT_EQ(t.UpdateCount(), 2u);
  t.EndUpdate();
  t.EndUpdate();
  t.EndUpdate();
  EXPECT_EQ(t.UpdateCount(), 0u);
  EXPECT_EQ(seen, (std::vector<TVTUpdateState>{usBegin, usUpdate, usUpdate, usEnd, usEnd}));
  t.BeginSynch();
  t.BeginSynch();
  t.EndSynch();
  t.EndSynch();
  EXPECT_EQ(std::vector<TVTUpdateState>(seen.begin() + 5, seen.end()),
            (std::vector<TVTUpdateState>{usBeginSynch, usSynch, usSynch, usEndSynch}));
  EXPECT_FALSE(t.TreeStates().Contains(tsSynchMode));
  t.OnUpdating = nullptr;
}

TEST_F(LazyTrees_qn_Batches, OneAccumulatedStructureChangeThenTheContentChange) {
  std::vector<std::string> log;
  TProbeTree t(nullptr);
  t.OnStructureChange = [&](TBaseLazyTree_qn*, PLazyNode, TChangeReason R) {
    log.push_back(R == crAccumulated ? "structure accumulated" : "structure " + std::to_string(int(R)));
  };
  t.OnChange = [&](TBaseLazyTree_qn*, PLazyNode) { log.push_back("change"); };
  t.BeginUpdate();
  PLazyNode a = t.AddChild(nullptr);
  t.Change(a);
  t.AddChild(nullptr);
  EXPECT_TRUE(log.empty());
  t.EndUpdate();
  EXPECT_EQ(log, (std::vector<std::string>{"structure accumulated", "change"}));
  // Outside a batch each operation reports at once.
  log.clear();
  t.InsertNode(a, amInsertAfter);
  EXPECT_EQ(log, (std::vector<std::string>{"structure " + std::to_string(int(crNodeAdded))}));
  t.OnStructureChange = nullptr;
  t.OnChange = nullptr;
}

TEST_F(LazyTrees_qn_Batches, ChangeDelayCoalescesOnTheClockAndSynchModeIgnoresIt) {
  std::vector<PLazyNode> changed;
  TForm* form = new TForm(nullptr);
  form->SetBounds(10, 10, 300, 300);
  auto* t = new TProbeTree(form);
  t->SetParent(form);
  form->Show();
  Pump();
  t->SetRootNodeCount(10);
  t->SetChangeDelay(200);
  t->OnChange = [&](TBaseLazyTree_qn*, PLazyNode N) { changed.push_back(N); };
  std::vector<PLazyNode> nodes = AllNodes(t);
  for (PLazyNode n : nodes) {
    t->Change(n);
    AdvanceClock(10);
    Pump();
  }
  EXPECT_TRUE(changed.empty());
  AdvanceClock(180);
  Pump();
  EXPECT_TRUE(changed.empty());  // 190 ms after the last change
  AdvanceClock(10);
  Pump();
  ASSERT_EQ(changed.size(), 1u);
  EXPECT_EQ(changed[0], nodes.back());
  AdvanceClock(1000);
  Pump();
  EXPECT_EQ(changed.size(), 1u);

  t->BeginSynch();
  t->Change(nodes[3]);
  EXPECT_EQ(changed.size(), 2u);
  t->EndSynch();
  t->OnChange = nullptr;
  delete form;
}

TEST_F(LazyTrees_qn_Batches, DelayedChangeWithoutWindowArrivesAtOnce) {
  int changes = 0;
  TProbeTree t(nullptr);
  t.SetChangeDelay(200);
  t.OnStructureChange = [&](TBaseLazyTree_qn*, PLazyNode, TChangeReason) { ++changes; };
  t.SetChildCount(nullptr, 3);
  EXPECT_EQ(changes, 1);
  EXPECT_FALSE(t.TreeStates().Contains(tsStructureChangePending));
  t.OnStructureChange = nullptr;
}

TEST_F(LazyTrees_qn_Batches, StateChangeOnlyForRealChanges) {
  std::vector<std::pair<TLazyTreeStates, TLazyTreeStates>> seen;
  TProbeTree t(nullptr);
  t.OnStateChange = [&](TBaseLazyTree_qn*, TLazyTreeStates E, TLazyTreeStates L) { seen.push_back({E, L}); };
  t.DoStateChange({tsHint});
  t.DoStateChange({tsHint});
  t.DoStateChange({}, {tsEditing});
  t.DoStateChange({}, {tsHint});
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[0].first, TLazyTreeStates{tsHint});
  EXPECT_EQ(seen[1].second, TLazyTreeStates{tsHint});
  t.OnStateChange = nullptr;
}

TEST_F(LazyTrees_qn_Batches, RaisingHandlerStillEndsTheBatch) {
  std::vector<TVTUpdateState> seen;
  TBaseLazyTree_qn t(nullptr);
  t.OnStructureChange = [](TBaseLazyTree_qn*, PLazyNode, TChangeReason) { throw Exception(u"no"); };
  t.OnUpdating = [&](TBaseLazyTree_qn*, TVTUpdateState S) { seen.push_back(S); };
  t.BeginUpdate();
  t.SetChildCount(nullptr, 2);
  EXPECT_THROW(t.EndUpdate(), Exception);
  EXPECT_EQ(t.UpdateCount(), 0u);
  EXPECT_FALSE(t.TreeStates().Contains(tsUpdating));
  EXPECT_FALSE(t.TreeStates().Contains(tsStructureChangePending));
  EXPECT_EQ(seen.back(), usEnd);
  t.OnStructureChange = nullptr;
  t.OnUpdating = nullptr;
}

TEST_F(LazyTrees_qn_Batches, LongOperationsNestAndCancel) {
  std::vector<int> log;
  TBaseLazyTree_qn t(nullptr);
  t.OnStartOperation = [&](TBaseLazyTree_qn*, TVTOperationKind K) { log.push_back(int(K)); };
  t.OnEndOperation = [&](TBaseLazyTree_qn*, TVTOperationKind K) { log.push_back(-1 - int(K)); };
  t.CancelOperation();
  EXPECT_FALSE(t.OperationCanceled());
  t.StartOperation(okSortTree);
  t.StartOperation(okSortNode);
  t.CancelOperation();
  EXPECT_TRUE(t.OperationCanceled());
  t.EndOperation(okSortNode);
  t.EndOperation(okSortTree);
  EXPECT_FALSE(t.OperationCanceled());
  EXPECT_THROW(t.EndOperation(okSortTree), EAssertionFailed);
  EXPECT_EQ(log, (std::vector<int>{int(okSortTree), int(okSortNode), -1 - int(okSortNode), -1 - int(okSortTree)}));
  t.StartOperation(okSortTree);
  EXPECT_FALSE(t.OperationCanceled());  // the outermost start clears the flag
  t.EndOperation(okSortTree);
  t.OnStartOperation = nullptr;
  t.OnEndOperation = nullptr;
}

}  // namespace

}  // namespace t_lazy_trees_qn_batches_test
