#include <gtest/gtest.h>
#include <utility>
#include <vector>

#include "tests/treeview/LazyTreeTestSupport.h"

namespace t_lazy_trees_qn_toggle_test {

using namespace treetest;

namespace {

class LazyTrees_qn_Toggle : public ::testing::Test {};

TEST_F(LazyTrees_qn_Toggle, NoChildrenFromTheHostLeavesTheNodeCollapsed) {
  int expanded = 0;
  TBaseLazyTree_qn t(nullptr);
  t.OnInitNode = [](TBaseLazyTree_qn*, PLazyNode, PLazyNode, TLazyNodeInitStates& S) { S.Include(ivsHasChildren); };
  t.OnInitChildren = [](TBaseLazyTree_qn*, PLazyNode, Cardinal& Count) { Count = 0; };
  t.OnExpanded = [&](TBaseLazyTree_qn*, PLazyNode) { ++expanded; };
  t.SetRootNodeCount(1);
  PLazyNode n = t.RootNode()->FirstChild;
  t.ToggleNode(n);
  EXPECT_FALSE(t.Expanded(n));
  EXPECT_FALSE(n->States.Contains(vsHasChildren));
  EXPECT_EQ(expanded, 0);
  ExpectConsistent(&t, "empty expand");
  t.OnExpanded = nullptr;
}

TEST_F(LazyTrees_qn_Toggle, AutoFreeOnCollapseFreesAfterCollapsedAndRecreates) {
  std::vector<std::string> log;
  TBaseLazyTree_qn t(nullptr);
  TVTAutoOptions a = t.TreeOptions()->AutoOptions();
  a.Include(toAutoFreeOnCollapse);
  t.TreeOptions()->SetAutoOptions(a);
  t.OnInitNode = [](TBaseLazyTree_qn*, PLazyNode P, PLazyNode, TLazyNodeInitStates& S) {
    if (!P) S.Include(ivsHasChildren);
  };
  t.OnInitChildren = [&](TBaseLazyTree_qn*, PLazyNode, Cardinal& Count) {
    log.push_back("init children");
    Count = 3;
  };
  t.OnCollapsed = [&](TBaseLazyTree_qn*, PLazyNode) { log.push_back("collapsed"); };
  t.OnFreeNode = [&](TBaseLazyTree_qn*, PLazyNode) { log.push_back("free"); };
  t.SetRootNodeCount(1);
  PLazyNode n = t.RootNode()->FirstChild;
  t.ToggleNode(n);
  t.ValidateChildren(n, false);  // the children get initialized, so freeing them is announced
  EXPECT_EQ(t.VisibleCount(), 4u);
  t.ToggleNode(n);
  EXPECT_EQ(log, (std::vector<std::string>{"init children", "collapsed", "free", "free", "free"}));
  EXPECT_EQ(n->ChildCount, 0u);
  EXPECT_TRUE(n->States.Contains(vsHasChildren));
  EXPECT_EQ(t.VisibleCount(), 1u);
  ExpectConsistent(&t, "freed");
  t.ToggleNode(n);
  EXPECT_EQ(n->ChildCount, 3u);
  EXPECT_EQ(log.back(), "init children");
  ExpectConsistent(&t, "re-created");
  t.OnFreeNode = nullptr;
  t.OnCollapsed = nullptr;
}

TEST_F(LazyTrees_qn_Toggle, NestedToggleOfTheSameNodeAndVeto) {
  int expandedEvents = 0;
  TBaseLazyTree_qn t(nullptr);
  t.SetRootNodeCount(1);
  PLazyNode n = t.RootNode()->FirstChild;
  t.SetChildCount(n, 2);
  t.OnExpanding = [&](TBaseLazyTree_qn* S, PLazyNode N, bool&) {
    S->ToggleNode(N);  // ignored: the node is already toggling
    EXPECT_TRUE(S->TreeStates().Contains(tsToggling));
  };
  t.OnExpanded = [&](TBaseLazyTree_qn*, PLazyNode) { ++expandedEvents; };
  t.ToggleNode(n);
  EXPECT_TRUE(t.Expanded(n));
  EXPECT_EQ(expandedEvents, 1);
  EXPECT_FALSE(t.TreeStates().Contains(tsToggling));
  EXPECT_FALSE(n->States.Contains(vsToggling));
  t.OnCollapsing = [](TBaseLazyTree_qn*, PLazyNode, bool& Allowed) { Allowed = false; };
  t.SetExpanded(n, false);
  EXPECT_TRUE(t.Expanded(n));
  ExpectConsistent(&t, "vetoed");
  t.OnExpanding = nullptr;
  t.OnExpanded = nullptr;
}

TEST_F(LazyTrees_qn_Toggle, FullExpandAndCollapse) {
  int events = 0;
  TBaseLazyTree_qn single(nullptr);
  single.OnExpanding = [&](TBaseLazyTree_qn*, PLazyNode, bool&) { ++events; };
  single.SetRootNodeCount(1);
  single.FullExpand();
  single.FullCollapse();
  single.SetRootNodeCount(0);
  single.FullExpand();
  EXPECT_EQ(events, 1);  // one node is enough to try; an empty tree does nothing
  single.OnExpanding = nullptr;

  TTreeModel model(5, 3);
  THostedTree host(model);
  TBaseLazyTree_qn* t = host.Tree;
  for (int i = 0; i < 4; ++i) model.Kids(model.Root()).push_back(model.NewNode(model.Root()));
  t->SetRootNodeCount(4);
  t->FullExpand();
  ExpectConsistent(t, "expanded");
  ExpectMatchesModel(host, "expanded");
  Cardinal all = t->RootNode()->TotalCount - 1;
  Cardinal filtered = 0;
  for (PLazyNode n : AllNodes(t)) {
    if (n->ChildCount > 0) {
      EXPECT_TRUE(n->States.Contains(vsExpanded));
    }
    if (n->States.Contains(vsFiltered)) ++filtered;
  }
  EXPECT_EQ(t->VisibleCount(), all - filtered);
  EXPECT_FALSE(t->TreeStates().Contains(tsExpanding));
  t->FullCollapse();
  ExpectConsistent(t, "collapsed");
  Cardinal top = 0;
  for (PLazyNode n = t->RootNode()->FirstChild; n; n = n->NextSibling)
    if (!n->States.Contains(vsFiltered)) ++top;
  EXPECT_EQ(t->VisibleCount(), top);

  // The width is measured once the walk ends; a handler asking during the
  // walk still gets the width of that moment, and the final one is what a
  // fresh measure gives.
  t->SetBounds(0, 0, 200, 300);
  t->UpdateRanges();
  const Integer collapsed = t->RangeX();
  std::vector<std::pair<Integer, Integer>> asked;
  t->OnExpanded = [&](TBaseLazyTree_qn* S, PLazyNode) {
    const Integer now = S->RangeX();
    S->UpdateRanges();
    asked.emplace_back(now, S->RangeX());
  };
  t->FullExpand();
  t->OnExpanded = nullptr;
  ASSERT_FALSE(asked.empty());
  for (const auto& [now, fresh] : asked) EXPECT_EQ(now, fresh);
  const Integer expanded = t->RangeX();
  t->UpdateRanges();
  EXPECT_EQ(expanded, t->RangeX());
  EXPECT_GT(expanded, collapsed);  // deeper rows came into view
  t->FullCollapse();
  EXPECT_EQ(t->RangeX(), collapsed);
}

TEST_F(LazyTrees_qn_Toggle, ExpandedFullyVisibleAndAnimationSwitch) {
  TBaseLazyTree_qn t(nullptr);
  t.SetRootNodeCount(1);
  PLazyNode a = t.RootNode()->FirstChild;
  t.SetChildCount(a, 1);
  PLazyNode b = a->FirstChild;
  t.SetChildCount(b, 1);
  PLazyNode c = b->FirstChild;
  EXPECT_FALSE(t.FullyVisible(c));
  t.SetFullyVisible(c, true);
  EXPECT_TRUE(t.Expanded(a));
  EXPECT_TRUE(t.Expanded(b));
  EXPECT_TRUE(t.FullyVisible(c));
  EXPECT_EQ(t.VisibleCount(), 3u);
  EXPECT_FALSE(t.Expanded(nullptr));
  EXPECT_THROW(t.ToggleNode(nullptr), EAssertionFailed);
  t.SetAnimationDuration(0);
  EXPECT_FALSE(t.TreeOptions()->AnimationOptions().Contains(toAnimatedToggle));
  t.SetAnimationDuration(150);
  EXPECT_TRUE(t.TreeOptions()->AnimationOptions().Contains(toAnimatedToggle));
  ExpectConsistent(&t, "path opened");
}

}  // namespace

}  // namespace t_lazy_trees_qn_toggle_test
