#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <memory>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "tests/treeview/LazyTreeTestSupport.h"

namespace t_lazy_trees_qn_selection_test {

using namespace treetest;

namespace {

// A tree that opens the click selection and counts the selection events.
class TSelTree : public TBaseLazyTree_qn {
 public:
  TSelTree() : TBaseLazyTree_qn(nullptr) {
    OnAddToSelection = [this](TBaseLazyTree_qn*, PLazyNode) { ++Adds; };
    OnRemoveFromSelection = [this](TBaseLazyTree_qn*, PLazyNode) { ++Removes; };
    OnChange = [this](TBaseLazyTree_qn*, PLazyNode Node) {
      ++Changes;
      if (!Node) ++NilChanges;
    };
  }
  using TBaseLazyTree_qn::HandleClickSelection;
  using TBaseLazyTree_qn::ResetRangeAnchor;
  void SetMulti(TVTSelectionOptions Extra = {}) {
    TreeOptions()->SetSelectionOptions(TVTSelectionOptions{toMultiSelect} + Extra);
  }
  int Adds = 0, Removes = 0, Changes = 0, NilChanges = 0;
};

// Every node: N roots with up to 3 children each, all expanded.
std::vector<PLazyNode> Build(TSelTree& T, Cardinal Roots, std::mt19937& Rng) {
  T.SetRootNodeCount(Roots);
  for (PLazyNode n = T.GetFirst(); n; n = T.GetNextSibling(n)) {
    Cardinal kids = std::uniform_int_distribution<Cardinal>(0, 3)(Rng);
    if (kids) {
      T.SetChildCount(n, kids);
      T.SetExpanded(n, true);
    }
  }
  return AllNodes(&T);
}

// The array's first SelectedCount entries are exactly the selected nodes,
// strictly ascending by address, and the events balance.
void ExpectSelectionSound(TSelTree& T, const std::string& Where) {
  std::set<uintptr_t> flagged;
  for (PLazyNode n : AllNodes(&T))
    if (n->States.Contains(vsSelected)) flagged.insert(reinterpret_cast<uintptr_t>(n));
  ASSERT_EQ(size_t(T.SelectedCount()), flagged.size()) << Where;
  const TNodeArray& a = T.SelectionArray();
  ASSERT_GE(a.size(), flagged.size()) << Where;
  auto it = flagged.begin();
  for (Integer i = 0; i < T.SelectedCount(); ++i, ++it) {
    ASSERT_EQ(reinterpret_cast<uintptr_t>(a[size_t(i)]), *it) << Where << " entry " << i;
  }
  EXPECT_EQ(T.Adds - T.Removes, T.SelectedCount()) << Where;
}

TEST(LazyTrees_qn_Selection, RandomOperationsKeepTheArraySound) {
  for (uint32_t seed : {1u, 7u, 42u, 1234u, 99991u}) {
    SCOPED_TRACE(seed);
    std::mt19937 rng(seed);
    auto tHolder = std::make_unique<TSelTree>();
    TSelTree& t = *tHolder;
    t.SetMulti();
    std::vector<PLazyNode> nodes = Build(t, 40, rng);
    auto pick = [&]() -> PLazyNode {
      if (nodes.empty()) return nullptr;
      return nodes[std::uniform_int_distribution<size_t>(0, nodes.size() - 1)(rng)];
    };
    auto refresh = [&] { nodes = AllNodes(&t); };
    int depth = 0;
    for (int step = 0; step < 1500; ++step) {
      int op = std::uniform_int_distribution<int>(0, 15)(rng);
      PLazyNode a = pick(), b = pick();
      switch (op) {
        case 0: case 1:
          if (a) t.SetSelected(a, rng() % 3 != 0);
          break;
        case 2: {
          TNodeArray items;
          int n = std::uniform_int_distribution<int>(1, 12)(rng);
          for (int i = 0; i < n; ++i) items.push_back(pick());
          // Runs in address order or its reverse, as loads make them, skip the sort.
          if (step % 3 == 1) std::sort(items.begin(), items.end(), std::less<>());
          if (step % 3 == 2) std::sort(items.begin(), items.end(), std::greater<>());
          if (!items.empty() && items[0]) {
            items.push_back(items[0]);  // a duplicate
            t.AddToSelection(items, Integer(items.size()), false);
          }
          break;
        }
        case 3:
          if (a) t.RemoveFromSelection(a);
          break;
        case 4:
          if (a && b) t.ToggleSelection(a, b);
          break;
        case 5:
          if (a && b) t.SelectNodes(a, b, rng() % 2 == 0);
          break;
        case 6:
          if (a && b) t.UnselectNodes(a, b);
          break;
        case 7:
          t.InvertSelection(rng() % 2 == 0);
          break;
        case 8:
          if (rng() % 4 == 0) t.SelectAll(rng() % 2 == 0);
          break;
        case 9:
          t.ClearSelection();
          break;
        case 10:
          if (a) {
            t.DeleteNode(a);
            refresh();
          }
          break;
        case 11:
          if (depth < 3) {
            t.BeginUpdate();
            ++depth;
          }
          break;
        case 12:
          if (depth > 0) {
            t.EndUpdate();
            --depth;
          }
          break;
        case 13:
          // Only unselected nodes change their disabled state, so "never
          // enters while disabled" can be checked.
          if (a && !a->States.Contains(vsSelected)) t.SetDisabled(a, !t.GetDisabled(a));
          break;
        case 14:
          if (a && a->ChildCount > 0) t.ToggleNode(a);
          break;
        case 15:
          if (a && rng() % 3 == 0) {
            t.AddChild(a);
            refresh();
          }
          break;
      }
      if (depth == 0) {
        ExpectSelectionSound(t, "step " + std::to_string(step) + " op " + std::to_string(op));
        for (PLazyNode n : nodes) {
          if (n->States.Contains(vsSelected)) {
            ASSERT_FALSE(n->States.Contains(vsDisabled));
          }
        }
        if (::testing::Test::HasFatalFailure()) return;
      }
    }
    while (depth-- > 0) t.EndUpdate();
    ExpectSelectionSound(t, "end");
    t.Clear();
    EXPECT_EQ(t.SelectedCount(), 0);
    EXPECT_EQ(t.Adds, t.Removes);
  }
}

TEST(LazyTrees_qn_Selection, SelectAllIsOneChange) {
  auto tHolder = std::make_unique<TSelTree>();
  TSelTree& t = *tHolder;
  t.SetMulti();
  t.SetRootNodeCount(10000);
  PLazyNode disabled = t.GetFirst();
  t.SetDisabled(disabled, true);
  t.Changes = t.NilChanges = 0;
  t.SelectAll(false);
  EXPECT_EQ(t.Adds, 9999);
  EXPECT_EQ(t.Changes, 1);
  EXPECT_EQ(t.NilChanges, 1);
  EXPECT_FALSE(t.GetSelected(disabled)) << "a disabled node never enters";
  const TNodeArray& a = t.SelectionArray();
  EXPECT_TRUE(std::is_sorted(a.begin(), a.begin() + t.SelectedCount(), [](PLazyNode x, PLazyNode y) {
    return reinterpret_cast<uintptr_t>(x) < reinterpret_cast<uintptr_t>(y);
  }));
  // Without multi-selection it does nothing.
  auto uHolder = std::make_unique<TSelTree>();
  TSelTree& u = *uHolder;
  u.SetRootNodeCount(5);
  u.SelectAll(false);
  EXPECT_EQ(u.SelectedCount(), 0);
}

TEST(LazyTrees_qn_Selection, LevelAndSiblingConstraints) {
  auto tHolder = std::make_unique<TSelTree>();
  TSelTree& t = *tHolder;
  t.SetMulti({toLevelSelectConstraint});
  t.SetRootNodeCount(3);
  PLazyNode r0 = t.GetFirst(), r1 = t.GetNextSibling(r0), r2 = t.GetNextSibling(r1);
  t.SetChildCount(r0, 2);
  t.SetChildCount(r1, 2);
  t.SetExpanded(r0, true);
  t.SetExpanded(r1, true);
  PLazyNode c00 = t.GetFirstChild(r0), c10 = t.GetFirstChild(r1);

  // A Shift range from a child to a later root node: only children (the
  // level of the first node added).
  t.HandleClickSelection(nullptr, c00, {}, false);
  t.HandleClickSelection(c00, r2, TShiftState{ssShift}, false);
  for (PLazyNode n : AllNodes(&t)) EXPECT_EQ(t.GetSelected(n), t.GetNodeLevel(n) == 1);
  EXPECT_EQ(t.LastSelectionLevel(), 1);
  t.ResetRangeAnchor();
  EXPECT_EQ(t.LastSelectionLevel(), -1);
  t.ClearSelection();
  t.SetSelected(r1, true);
  EXPECT_TRUE(t.GetSelected(r1)) << "the level was cleared, so a root level may start";
  t.SetSelected(c10, true);
  EXPECT_FALSE(t.GetSelected(c10));

  auto sHolder = std::make_unique<TSelTree>();
  TSelTree& s = *sHolder;
  s.SetMulti({toSiblingSelectConstraint});
  s.SetRootNodeCount(2);
  PLazyNode p = s.GetFirst(), q = s.GetNextSibling(p);
  s.SetChildCount(p, 3);
  s.SetChildCount(q, 3);
  PLazyNode a = s.GetFirstChild(p), b = s.GetLastChild(p), c = s.GetFirstChild(q);
  s.SetSelected(a, true);
  EXPECT_EQ(s.RangeAnchor(), a);
  s.SetSelected(b, true);
  s.SetSelected(c, true);
  EXPECT_TRUE(s.GetSelected(b));
  EXPECT_FALSE(s.GetSelected(c)) << "another parent than the anchor's";
  EXPECT_EQ(s.SelectedCount(), 2);
}

TEST(LazyTrees_qn_Selection, SingleSelectionAndSwitchingMultiSelect) {
  auto tHolder = std::make_unique<TSelTree>();
  TSelTree& t = *tHolder;
  t.SetRootNodeCount(4);
  PLazyNode a = t.GetFirst(), b = t.GetNextSibling(a), c = t.GetNextSibling(b);
  t.SetSelected(a, true);
  t.SetSelected(b, true);
  EXPECT_FALSE(t.GetSelected(a)) << "the other node is cleared first";
  EXPECT_TRUE(t.GetSelected(b));
  EXPECT_EQ(t.SelectedCount(), 1);

  t.SetMulti();
  EXPECT_EQ(t.SelectedCount(), 0) << "switching multi-selection on clears";
  for (PLazyNode n : {a, b, c}) t.SetSelected(n, true);
  EXPECT_EQ(t.SelectedCount(), 3);
  int removes = t.Removes;
  t.TreeOptions()->SetSelectionOptions({});
  EXPECT_EQ(t.SelectedCount(), 0);
  EXPECT_EQ(t.Removes - removes, 3);
  for (PLazyNode n : {a, b, c}) EXPECT_FALSE(t.GetSelected(n));

  // A locked selection keeps still, and deleting a selected node still
  // takes it out of the array.
  t.SetMulti();
  t.SetSelected(a, true);
  t.SetSelected(b, true);
  t.SetSelectionLocked(true);
  t.SetSelected(c, true);
  t.ClearSelection();
  EXPECT_EQ(t.SelectedCount(), 2);
  t.DeleteNode(a);
  EXPECT_EQ(t.SelectedCount(), 1);
  EXPECT_EQ(t.SelectionArray()[0], b);
  t.SetSelectionLocked(false);
  ExpectSelectionSound(t, "after the locked deletion");
}

TEST(LazyTrees_qn_Selection, ClickSelection) {
  auto tHolder = std::make_unique<TSelTree>();
  TSelTree& t = *tHolder;
  t.SetMulti();
  t.SetRootNodeCount(6);
  std::vector<PLazyNode> n = AllNodes(&t);

  // Ctrl on a selected node with a drag pending: kept, toggled later.
  t.HandleClickSelection(nullptr, n[1], {}, false);
  t.HandleClickSelection(n[1], n[1], TShiftState{ssCtrl}, true);
  EXPECT_TRUE(t.GetSelected(n[1]));
  EXPECT_TRUE(t.TreeStates().Contains(tsToggleFocusedSelection));
  // Without a drag the Ctrl-click toggles at once.
  t.HandleClickSelection(n[1], n[1], TShiftState{ssCtrl}, false);
  EXPECT_FALSE(t.GetSelected(n[1]));
  t.HandleClickSelection(n[1], n[3], TShiftState{ssCtrl}, false);
  EXPECT_TRUE(t.GetSelected(n[3]));
  EXPECT_EQ(t.RangeAnchor(), n[3]);

  // Shift with no anchor takes the first root child as the anchor.
  auto uHolder = std::make_unique<TSelTree>();
  TSelTree& u = *uHolder;
  u.SetMulti();
  u.SetRootNodeCount(6);
  std::vector<PLazyNode> m = AllNodes(&u);
  u.HandleClickSelection(nullptr, m[4], TShiftState{ssShift}, false);
  EXPECT_EQ(u.RangeAnchor(), m[0]);
  u.HandleClickSelection(nullptr, m[2], TShiftState{ssShift}, false);
  for (int i = 0; i < 6; ++i) EXPECT_EQ(u.GetSelected(m[size_t(i)]), i <= 2) << i;
  // A new Shift range replaces the selection; Ctrl+Shift adds one.
  u.HandleClickSelection(nullptr, m[5], {}, false);
  EXPECT_EQ(u.RangeAnchor(), m[5]);
  u.HandleClickSelection(nullptr, m[4], TShiftState{ssShift}, false);
  EXPECT_EQ(u.SelectedCount(), 2);
  u.HandleClickSelection(nullptr, m[1], TShiftState{ssShift, ssCtrl}, false);
  EXPECT_EQ(u.SelectedCount(), 5);
  EXPECT_FALSE(u.GetSelected(m[0]));
  ExpectSelectionSound(u, "ranges");

  // The anchor is never toggled off by a toggled range.
  u.ClearSelection();
  u.SetSelected(m[2], true);
  EXPECT_EQ(u.RangeAnchor(), m[2]);
  u.ToggleSelection(m[0], m[4]);
  EXPECT_TRUE(u.GetSelected(m[2]));
  EXPECT_TRUE(u.GetSelected(m[1]));
  EXPECT_TRUE(u.GetSelected(m[0]));
  EXPECT_TRUE(u.GetSelected(m[3]));
  EXPECT_TRUE(u.GetSelected(m[4]));
  u.ToggleSelection(m[0], m[4]);
  EXPECT_EQ(u.SelectedCount(), 1);
  EXPECT_TRUE(u.GetSelected(m[2]));
}

TEST(LazyTrees_qn_Selection, BatchesLeaveTheCountStale) {
  auto tHolder = std::make_unique<TSelTree>();
  TSelTree& t = *tHolder;
  t.SetMulti();
  t.SetRootNodeCount(5);
  std::vector<PLazyNode> n = AllNodes(&t);
  for (PLazyNode x : n) t.SetSelected(x, true);
  t.BeginUpdate();
  t.DeleteNode(n[1]);
  t.DeleteNode(n[3]);
  EXPECT_EQ(t.SelectedCount(), 5) << "stale inside the batch";
  t.EndUpdate();
  EXPECT_EQ(t.SelectedCount(), 3);
  ExpectSelectionSound(t, "after the batch");
  EXPECT_EQ(t.GetSortedSelection(false), (TNodeArray{n[0], n[2], n[4]}));
}

TEST(LazyTrees_qn_Selection, FocusEventsVetoAndDeletion) {
  auto tHolder = std::make_unique<TSelTree>();
  TSelTree& t = *tHolder;
  t.SetRootNodeCount(3);
  std::vector<PLazyNode> n = AllNodes(&t);
  std::vector<std::string> log;
  bool veto = false;
  t.OnFocusChanging = [&](TBaseLazyTree_qn*, PLazyNode Old, PLazyNode New, TColumnIndex, TColumnIndex,
                          bool& Allowed) {
    log.push_back("changing " + std::to_string(Old ? Old->Index : 99) + "->" + std::to_string(New ? New->Index : 99));
    if (veto) Allowed = false;
  };
  t.OnFocusChanged = [&](TBaseLazyTree_qn*, PLazyNode Node, TColumnIndex Column) {
    log.push_back("changed " + std::to_string(Node ? Node->Index : 99) + " col " + std::to_string(Column));
  };
  t.SetFocusedNode(n[0]);
  EXPECT_EQ(log, (std::vector<std::string>{"changing 99->0", "changed 0 col -1"}));
  log.clear();
  veto = true;
  t.SetFocusedNode(n[2]);
  EXPECT_EQ(t.FocusedNode(), n[0]);
  EXPECT_EQ(log, (std::vector<std::string>{"changing 0->2"}));
  veto = false;
  log.clear();
  t.SetFocusedNode(n[2]);
  t.SetFocusedNode(n[2]);
  EXPECT_EQ(log.size(), 2u) << "focusing the same node again asks nothing";
  log.clear();
  t.DeleteNode(n[2]);
  EXPECT_EQ(t.FocusedNode(), nullptr);
  EXPECT_EQ(log, (std::vector<std::string>{"changed 99 col -1"}));
  // Without columns the focused column cannot move away from -1.
  log.clear();
  t.SetFocusedColumn(2);
  EXPECT_EQ(t.FocusedColumn(), NoColumn);
  t.EnsureNodeFocused();
  EXPECT_EQ(t.FocusedNode(), n[0]);
}

TEST(LazyTrees_qn_Selection, AutoExpandFollowsTheFocus) {
  auto tHolder = std::make_unique<TSelTree>();
  TSelTree& t = *tHolder;
  TVTAutoOptions a = t.TreeOptions()->AutoOptions();
  t.TreeOptions()->SetAutoOptions(a + TVTAutoOptions{toAutoExpand});
  t.SetRootNodeCount(3);
  std::vector<PLazyNode> roots = AllNodes(&t);
  for (PLazyNode r : roots) t.SetChildCount(r, 2);
  t.SetFocusedNode(roots[0]);
  EXPECT_TRUE(t.Expanded(roots[0]));
  t.SetFocusedNode(roots[1]);
  EXPECT_FALSE(t.Expanded(roots[0])) << "the old sibling collapses";
  EXPECT_TRUE(t.Expanded(roots[1]));
  PLazyNode child = t.GetFirstChild(roots[1]);
  t.SetFocusedNode(child);
  EXPECT_TRUE(t.Expanded(roots[1])) << "a parent is no sibling";
  ExpectConsistent(&t, "auto expand");
}

}  // namespace

}  // namespace t_lazy_trees_qn_selection_test
