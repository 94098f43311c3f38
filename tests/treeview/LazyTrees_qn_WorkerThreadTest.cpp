#include <gtest/gtest.h>

#include <random>

#include "platform/desktop/Desktop.h"
#include "tests/treeview/LazyTreeTestSupport.h"

namespace t_lazy_trees_qn_worker_thread_test {

using namespace treetest;

namespace {

class LazyTrees_qn_WorkerThread : public ::testing::Test {
 protected:
  void SetUp() override {
    Form = new TForm(nullptr);
    Form->SetBounds(0, 0, 400, 300);
  }
  void TearDown() override { delete Form; }
  TBaseLazyTree_qn* MakeTree() {
    auto* t = new TBaseLazyTree_qn(Form);
    t->SetParent(Form);
    t->SetBounds(0, 0, 300, 200);
    Form->Show();
    t->HandleNeeded();
    return t;
  }
  // Serves the worker until the cache is complete (or a bound of rounds).
  static bool WaitForCache(TBaseLazyTree_qn* T) {
    for (int i = 0; i < 200000 && !T->TreeStates().Contains(tsUseCache); ++i) {
      MSG m;
      while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);
      CheckSynchronize(1);
    }
    return T->TreeStates().Contains(tsUseCache);
  }
  TForm* Form = nullptr;
};

TEST_F(LazyTrees_qn_WorkerThread, ThresholdAndEntries) {
  TBaseLazyTree_qn* t = MakeTree();
  t->SetRootNodeCount(2000);
  for (int i = 0; i < 50; ++i) CheckSynchronize(1);
  EXPECT_FALSE(t->TreeStates().Contains(tsUseCache));
  EXPECT_TRUE(t->TreeStates().Contains(tsValidationNeeded));
  t->SetRootNodeCount(4001);
  ASSERT_TRUE(WaitForCache(t));
  const TCache& c = t->PositionCache();
  ASSERT_EQ(c.size(), 3u);
  std::vector<PLazyNode> all = AllNodes(t);
  EXPECT_EQ(c[0].Node, all[0]);
  EXPECT_EQ(c[1].Node, all[2000]);
  EXPECT_EQ(c[2].Node, all[4000]);
  EXPECT_EQ(c[2].AbsoluteTop, 4000 * t->DefaultNodeHeight());
  EXPECT_FALSE(t->TreeStates().Contains(tsValidating));
  // Any change leaves the cache at once.
  t->SetNodeHeight(all[10], 40);
  EXPECT_FALSE(t->TreeStates().Contains(tsUseCache));
  ASSERT_TRUE(WaitForCache(t));
  t->SetRootNodeCount(4500);
  ASSERT_TRUE(WaitForCache(t));
  EXPECT_EQ(t->PositionCache().size(), 3u);
  // The entry at or before a node, and its top.
  Cardinal pos = 0;
  EXPECT_EQ(t->FindInPositionCache(all[3999], pos), all[2000]);
  EXPECT_EQ(pos, t->PositionCache()[1].AbsoluteTop);
  EXPECT_EQ(t->FindInPositionCache(t->RootNode()->LastChild, pos), all[4000]);
  EXPECT_EQ(t->FindInPositionCache(all[0], pos), all[0]);
  EXPECT_EQ(pos, 0u);
}

TEST_F(LazyTrees_qn_WorkerThread, NodeAtEqualsALinearWalkWithAndWithoutTheCache) {
  TBaseLazyTree_qn* t = MakeTree();
  std::mt19937 rng(3);
  t->BeginUpdate();
  t->SetRootNodeCount(2000);
  for (PLazyNode n = t->RootNode()->FirstChild; n; n = n->NextSibling) t->SetChildCount(n, 99);
  for (PLazyNode n = t->RootNode()->FirstChild; n; n = n->NextSibling) {
    if (rng() % 3 == 0) t->ToggleNode(n);
    t->SetNodeHeight(n, 5 + rng() % 30);
  }
  t->EndUpdate();
  std::vector<PLazyNode> rows;
  std::vector<Cardinal> tops;
  Cardinal top = 0;
  for (PLazyNode n = t->GetFirstVisibleNoInit(); n; n = t->GetNextVisibleNoInit(n)) {
    rows.push_back(n);
    tops.push_back(top);
    top += n->NodeHeight;
  }
  // A walk from the top costs the whole height per look-up; without the
  // cache fewer look-ups cover the same ground.
  auto expectRows = [&](const char* what, int lookups) {
    std::mt19937 yr(11);
    for (int i = 0; i < lookups; ++i) {
      Integer y = Integer(yr() % (top + 100));
      Integer nodeTop = -1;
      PLazyNode got = t->GetNodeAt(0, y, false, nodeTop);
      auto it = std::upper_bound(tops.begin(), tops.end(), Cardinal(y));
      PLazyNode want = Cardinal(y) >= top ? nullptr : rows[size_t(it - tops.begin()) - 1];
      ASSERT_EQ(got, want) << what << " at " << y;
      if (got) {
        EXPECT_EQ(Cardinal(nodeTop), tops[size_t(it - tops.begin()) - 1]);
      }
    }
    Integer nt;
    EXPECT_EQ(t->GetNodeAt(0, -5, false, nt), rows.front());
  };
  EXPECT_FALSE(t->TreeStates().Contains(tsUseCache));
  expectRows("without the cache", 1000);
  t->ValidateCache();
  ASSERT_TRUE(WaitForCache(t));
  expectRows("with the cache", 10000);

  // Children drawn above their parents: the rows come in post-order.
  TVTPaintOptions p = t->TreeOptions()->PaintOptions();
  p.Include(toChildrenAbove);
  t->TreeOptions()->SetPaintOptions(p);
  rows.clear();
  tops.clear();
  top = 0;
  for (PLazyNode n : AllNodes(t, true)) {
    if (!Shown(t, n)) continue;
    rows.push_back(n);
    tops.push_back(top);
    top += n->NodeHeight;
  }
  expectRows("children above, without the cache", 300);
  ASSERT_TRUE(WaitForCache(t));
  expectRows("children above, with the cache", 3000);
}

TEST_F(LazyTrees_qn_WorkerThread, ChangesWhileValidatingNeverUseAStaleCache) {
  TBaseLazyTree_qn* t = MakeTree();
  t->SetRootNodeCount(30000);
  std::mt19937 rng(5);
  for (int round = 0; round < 100; ++round) {
    std::vector<PLazyNode> top;
    for (PLazyNode n = t->RootNode()->FirstChild; n; n = n->NextSibling) top.push_back(n);
    PLazyNode n = top[rng() % top.size()];
    switch (rng() % 4) {
      case 0: t->AddChild(n); break;
      case 1: t->DeleteNode(n); break;
      case 2:
        if (n->ChildCount == 0) t->SetChildCount(n, 1 + rng() % 5);
        t->ToggleNode(n);
        break;
      default: t->SetNodeHeight(n, n->NodeHeight + 1 + rng() % 40); break;
    }
    EXPECT_FALSE(t->TreeStates().Contains(tsUseCache));
    // Let the worker get into the walk before the next change stops it.
    for (int i = 0; i < int(rng() % 4); ++i) {
      MSG msg;
      while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
      CheckSynchronize(1);
    }
  }
  ExpectConsistent(t, "after the rounds");
  ASSERT_TRUE(WaitForCache(t));
}

TEST_F(LazyTrees_qn_WorkerThread, HostEventsOnlyOnTheMainThreadAndWorkerLife) {
  TBaseLazyTree_qn* t = MakeTree();
  std::vector<TThreadID> threads;
  TVTMiscOptions m = t->TreeOptions()->MiscOptions();
  m.Include(toVariableNodeHeight);
  t->TreeOptions()->SetMiscOptions(m);
  t->OnInitNode = [&](TBaseLazyTree_qn*, PLazyNode, PLazyNode, TLazyNodeInitStates&) {
    threads.push_back(GetCurrentThreadId());
  };
  t->OnMeasureItem = [&](TBaseLazyTree_qn*, TCanvas*, PLazyNode, Integer&) { threads.push_back(GetCurrentThreadId()); };
  t->SetRootNodeCount(5000);
  ASSERT_TRUE(WaitForCache(t));
  (void)t->GetNodeAt(0, 100);
  for (TThreadID id : threads) EXPECT_EQ(id, MainThreadID());
  EXPECT_NE(WorkerThread(), nullptr);
  EXPECT_NE(WorkEvent(), nullptr);
  t->OnInitNode = nullptr;
  t->OnMeasureItem = nullptr;
  delete t;
  EXPECT_EQ(WorkerThread(), nullptr);
  EXPECT_EQ(WorkEvent(), nullptr);
  TBaseLazyTree_qn* again = MakeTree();
  EXPECT_NE(WorkerThread(), nullptr);
  again->SetRootNodeCount(2500);
  EXPECT_TRUE(WaitForCache(again));
}

class TFailingTree : public TBaseLazyTree_qn {
 public:
  using TBaseLazyTree_qn::TBaseLazyTree_qn;
  std::atomic<int> Passes{0};
  bool DoValidateCache() override {
    ++Passes;
    throw Exception(u"validation failed");
  }
};

TEST_F(LazyTrees_qn_WorkerThread, FailingValidationStillEndsThePass) {
  auto* t = new TFailingTree(Form);
  t->SetParent(Form);
  Form->Show();
  t->HandleNeeded();
  t->SetRootNodeCount(3000);
  // Serve the worker until its failing pass has ended with its state change
  // and closing step.
  for (int i = 0; i < 20000 && (t->Passes.load() == 0 || WorkerThread()->CurrentTree() == t); ++i) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    CheckSynchronize(1);
  }
  EXPECT_EQ(t->Passes.load(), 1);
  EXPECT_FALSE(t->TreeStates().Contains(tsValidating));
  EXPECT_FALSE(t->TreeStates().Contains(tsUseCache));
  EXPECT_TRUE(t->TreeStates().Contains(tsValidationNeeded));
  EXPECT_EQ(WorkerThread()->CurrentTree(), nullptr);
}

}  // namespace

}  // namespace t_lazy_trees_qn_worker_thread_test
