#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "tests/treeview/LazyTreeTestSupport.h"

namespace t_lazy_trees_qn_sort_test {

using namespace treetest;

namespace {

// A tree whose nodes carry a key and their creation number.
struct TKeyed {
  Integer Key;
  Integer Serial;
};

class TSortTree : public TBaseLazyTree_qn {
 public:
  TSortTree() : TBaseLazyTree_qn(nullptr) { SetNodeDataSize(Integer(sizeof(TKeyed))); }
  using TBaseLazyTree_qn::DoStateChange;
  TKeyed& Key(PLazyNode N) { return *GetNodeData<TKeyed>(N); }
  void CompareByKey() {
    OnCompareNodes = [this](TBaseLazyTree_qn*, PLazyNode A, PLazyNode B, TColumnIndex, Integer& R) {
      ++Comparisons;
      if (CancelAt >= 0 && Comparisons == CancelAt) CancelOperation();
      R = Key(A).Key < Key(B).Key ? -1 : Key(A).Key > Key(B).Key ? 1 : 0;
    };
  }
  long Comparisons = 0;
  long CancelAt = -1;
};

std::unique_ptr<TSortTree> MakeSortTree() { return std::make_unique<TSortTree>(); }

// Links, counts and indices of one sibling list are consistent.
void ExpectList(PLazyNode Parent, const std::string& Where) {
  PLazyNode prev = nullptr;
  Cardinal i = 0;
  for (PLazyNode n = Parent->FirstChild; n; n = n->NextSibling, ++i) {
    ASSERT_EQ(n->PrevSibling, prev) << Where;
    ASSERT_EQ(n->Index, i) << Where;
    ASSERT_EQ(n->Parent, Parent) << Where;
    prev = n;
  }
  ASSERT_EQ(Parent->LastChild, prev) << Where;
  ASSERT_EQ(Parent->ChildCount, i) << Where;
}

TEST(LazyTrees_qn_Sort, RandomListsEqualStableSort) {
  std::mt19937 rng(5);
  for (int round = 0; round < 1000; ++round) {
    auto t = MakeSortTree();
    t->CompareByKey();
    Cardinal count = std::uniform_int_distribution<Cardinal>(0, 300)(rng);
    Integer distinct = std::uniform_int_distribution<Integer>(1, 6)(rng);
    t->BeginUpdate();
    t->SetRootNodeCount(count);
    std::vector<TKeyed> records;
    Integer serial = 0;
    for (PLazyNode n = t->GetFirst(); n; n = t->GetNextSibling(n)) {
      t->Key(n) = {std::uniform_int_distribution<Integer>(0, distinct)(rng), serial++};
      records.push_back(t->Key(n));
    }
    t->EndUpdate();
    TSortDirection dir = round % 2 ? sdDescending : sdAscending;
    std::stable_sort(records.begin(), records.end(), [&](const TKeyed& a, const TKeyed& b) {
      return dir == sdAscending ? a.Key < b.Key : a.Key > b.Key;
    });
    bool cancel = round % 5 == 4 && count > 2;
    if (cancel) t->CancelAt = std::uniform_int_distribution<long>(1, long(count))(rng);
    t->Sort(nullptr, NoColumn, dir, false);
    std::string where = "round " + std::to_string(round);
    ExpectList(t->RootNode(), where);
    std::vector<Integer> got;
    for (PLazyNode n = t->RootNode()->FirstChild; n; n = n->NextSibling) got.push_back(t->Key(n).Serial);
    if (cancel) {
      std::vector<Integer> sorted = got;
      std::sort(sorted.begin(), sorted.end());
      for (Integer i = 0; i < Integer(count); ++i) ASSERT_EQ(sorted[size_t(i)], i) << where << ": a permutation";
      EXPECT_FALSE(t->OperationCanceled()) << "the operation ended";
    } else {
      ASSERT_EQ(got.size(), records.size());
      for (size_t i = 0; i < got.size(); ++i) ASSERT_EQ(got[i], records[i].Serial) << where << " at " << i;
    }
    if (HasFatalFailure()) return;
  }
}

// The sort as a top-down merge of the linked list itself: the first N div 2
// nodes and the rest, each sorted, then merged; once the handler cancelled
// or raised, comparisons count as equal. Keys stand for the nodes.
struct TListMergeReference {
  bool Ascending;
  long CancelAt, RaiseAt;
  long Calls = 0;
  bool Stopped = false;
  bool TakeSecond(Integer A, Integer B) {
    if (Stopped) return false;
    ++Calls;
    if (Calls == RaiseAt) {
      Stopped = true;
      return false;
    }
    if (Calls == CancelAt) Stopped = true;
    return Ascending ? A > B : A < B;
  }
  std::vector<TKeyed> Sort(std::vector<TKeyed> List) {
    if (List.size() < 2) return List;
    size_t half = List.size() / 2;
    std::vector<TKeyed> a = Sort({List.begin(), List.begin() + long(half)});
    std::vector<TKeyed> b = Sort({List.begin() + long(half), List.end()});
    std::vector<TKeyed> out;
    size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) out.push_back(TakeSecond(a[i].Key, b[j].Key) ? b[j++] : a[i++]);
    out.insert(out.end(), a.begin() + long(i), a.end());
    out.insert(out.end(), b.begin() + long(j), b.end());
    return out;
  }
};

// A handler that cancels or raises at any comparison leaves exactly the
// order the list merge leaves, after exactly as many comparisons; the
// list stays whole and renumbered either way.
TEST(LazyTrees_qn_Sort, CancelOrRaiseMidwayMatchesTheListMerge) {
  std::mt19937 rng(23);
  for (int round = 0; round < 600; ++round) {
    auto t = MakeSortTree();
    Cardinal count = std::uniform_int_distribution<Cardinal>(2, round % 10 == 0 ? 2000 : 150)(rng);
    Integer distinct = std::uniform_int_distribution<Integer>(1, round % 3 ? 8 : 100000)(rng);
    t->BeginUpdate();
    t->SetRootNodeCount(count);
    std::vector<TKeyed> records;
    Integer serial = 0;
    for (PLazyNode n = t->GetFirst(); n; n = t->GetNextSibling(n)) {
      t->Key(n) = {std::uniform_int_distribution<Integer>(0, distinct)(rng), serial++};
      records.push_back(t->Key(n));
    }
    t->EndUpdate();
    TSortDirection dir = round % 2 ? sdDescending : sdAscending;
    long total = long(count) * 12;
    long cancelAt = round % 3 == 0 ? std::uniform_int_distribution<long>(1, total)(rng) : -1;
    long raiseAt = round % 3 == 1 ? std::uniform_int_distribution<long>(1, total)(rng) : -1;
    TListMergeReference ref{dir == sdAscending, cancelAt, raiseAt};
    std::vector<TKeyed> expected = ref.Sort(records);

    long calls = 0, renumbered = 0;
    t->OnCompareNodes = [&](TBaseLazyTree_qn* S, PLazyNode A, PLazyNode B, TColumnIndex, Integer& R) {
      ++calls;
      // Nodes still being compared keep their place until the sort is over.
      if (A->Index != Cardinal(t->Key(A).Serial) || B->Index != Cardinal(t->Key(B).Serial)) ++renumbered;
      if (calls == raiseAt) throw Exception(u"compare failed");
      if (calls == cancelAt) S->CancelOperation();
      Integer a = t->Key(A).Key, b = t->Key(B).Key;
      R = a < b ? -1 : a > b ? 1 : 0;
    };
    bool raised = false;
    try {
      t->Sort(nullptr, NoColumn, dir, false);
    } catch (const Exception&) {
      raised = true;
    }
    std::string where = "round " + std::to_string(round);
    EXPECT_EQ(raised, raiseAt > 0 && ref.Calls >= raiseAt) << where;
    EXPECT_EQ(calls, ref.Calls) << where << ": comparisons made";
    EXPECT_EQ(renumbered, 0) << where;
    ExpectList(t->RootNode(), where);
    std::vector<Integer> got, want;
    for (PLazyNode n = t->RootNode()->FirstChild; n; n = n->NextSibling) got.push_back(t->Key(n).Serial);
    for (const TKeyed& k : expected) want.push_back(k.Serial);
    ASSERT_EQ(got, want) << where;
    EXPECT_FALSE(t->OperationCanceled()) << where;
    if (HasFatalFailure()) return;
  }
}

TEST(LazyTrees_qn_Sort, SortTreeUnderAutoSortOnlyExpanded) {
  auto t = MakeSortTree();
  t->CompareByKey();
  t->BeginUpdate();
  t->SetRootNodeCount(2);
  PLazyNode open = t->GetFirst(), shut = t->GetNextSibling(open);
  for (PLazyNode p : {open, shut}) {
    t->SetChildCount(p, 4);
    Integer k = 10;
    for (PLazyNode c = p->FirstChild; c; c = c->NextSibling) t->Key(c) = {k--, 0};
  }
  t->Key(open) = {5, 0};
  t->Key(shut) = {1, 0};
  t->SetExpanded(open, true);
  t->EndUpdate();  // sorts the tree: toAutoSort is on and nodes can be compared
  EXPECT_EQ(t->RootNode()->FirstChild, shut);
  EXPECT_EQ(t->Key(open->FirstChild).Key, 7) << "expanded children sorted";
  EXPECT_EQ(t->Key(shut->FirstChild).Key, 10) << "collapsed children left for later";
  ExpectList(open, "open");
  ExpectList(shut, "shut");
  ExpectConsistent(t.get(), "sorted tree");
}

TEST(LazyTrees_qn_Sort, AutoSortNeedsAComparison) {
  auto t = MakeSortTree();
  int inits = 0;
  t->OnInitNode = [&](TBaseLazyTree_qn*, PLazyNode, PLazyNode, TLazyNodeInitStates&) { ++inits; };
  t->SetRootNodeCount(3);
  EXPECT_EQ(inits, 0) << "nothing to compare with: the nodes stay uninitialized";
  t->BeginUpdate();
  t->EndUpdate();
  EXPECT_EQ(inits, 0);

  auto u = MakeSortTree();
  u->SetRootNodeCount(3);
  Integer k = 3;
  for (PLazyNode n = u->GetFirst(); n; n = u->GetNextSibling(n)) u->Key(n) = {k--, 0};
  u->CompareByKey();
  u->BeginUpdate();
  u->EndUpdate();
  std::vector<Integer> keys;
  for (PLazyNode n = u->GetFirst(); n; n = u->GetNextSibling(n)) keys.push_back(u->Key(n).Key);
  EXPECT_EQ(keys, (std::vector<Integer>{1, 2, 3}));
}

TEST(LazyTrees_qn_Sort, MovesInsideTheTree) {
  auto t = MakeSortTree();
  t->SetRootNodeCount(3);
  PLazyNode a = t->GetFirst(), b = t->GetNextSibling(a), c = t->GetNextSibling(b);
  t->SetChildCount(a, 4);
  Integer serial = 0;
  for (PLazyNode n : AllNodes(t.get())) t->Key(n) = {0, serial++};
  PLazyNode a1 = a->FirstChild, a2 = a1->NextSibling;

  // Into its own subtree: error 2001 and nothing changed.
  try {
    t->MoveTo(a, a2, amAddChildLast, false);
    ADD_FAILURE() << "moved into its own subtree";
  } catch (const ELazyTreeError& e) {
    EXPECT_EQ(e.HelpContext, 2001);
  }
  EXPECT_EQ(a2->Parent, a);
  EXPECT_EQ(t->RootNode()->FirstChild, a);
  ExpectConsistent(t.get(), "after the refused move");

  // A refused move changes nothing.
  t->OnNodeMoving = [](TBaseLazyTree_qn*, PLazyNode, PLazyNode, bool& Allowed) { Allowed = false; };
  t->MoveTo(c, a, amAddChildFirst, false);
  EXPECT_EQ(c->Parent, t->RootNode());
  t->OnNodeMoving = nullptr;

  // The children after their parent, each right after it: reversed.
  std::vector<PLazyNode> kids;
  for (PLazyNode k = a->FirstChild; k; k = k->NextSibling) kids.push_back(k);
  int moved = 0;
  t->OnNodeMoved = [&](TBaseLazyTree_qn*, PLazyNode) { ++moved; };
  t->MoveTo(a, a, amInsertAfter, true);
  EXPECT_EQ(moved, 4);
  std::vector<PLazyNode> order;
  for (PLazyNode n = t->RootNode()->FirstChild; n; n = n->NextSibling) order.push_back(n);
  EXPECT_EQ(order, (std::vector<PLazyNode>{a, kids[3], kids[2], kids[1], kids[0], b, c}));
  ExpectList(t->RootNode(), "after children out");

  // All of them as first children of c keep their order.
  t->MoveTo(a, c, amAddChildLast, false);
  t->SetChildCount(b, 3);
  std::vector<PLazyNode> bk;
  for (PLazyNode k = b->FirstChild; k; k = k->NextSibling) bk.push_back(k);
  t->MoveTo(b, c, amAddChildFirst, true);
  std::vector<PLazyNode> ck;
  for (PLazyNode k = c->FirstChild; k; k = k->NextSibling) ck.push_back(k);
  EXPECT_EQ(ck, (std::vector<PLazyNode>{bk[0], bk[1], bk[2], a}));
  ExpectConsistent(t.get(), "after the moves");
}

TEST(LazyTrees_qn_Sort, RandomMovesKeepTheTotals) {
  std::mt19937 rng(11);
  auto t = MakeSortTree();
  t->SetRootNodeCount(20);
  for (PLazyNode n = t->GetFirst(); n; n = t->GetNextSibling(n)) {
    t->SetChildCount(n, 3);
    t->SetExpanded(n, rng() % 2 == 0);
  }
  const TVTNodeAttachMode modes[] = {amInsertBefore, amInsertAfter, amAddChildFirst, amAddChildLast};
  for (int i = 0; i < 1000; ++i) {
    std::vector<PLazyNode> all = AllNodes(t.get());
    PLazyNode s = all[rng() % all.size()], d = all[rng() % all.size()];
    TVTNodeAttachMode mode = modes[rng() % 4];
    bool kids = rng() % 4 == 0;
    try {
      t->MoveTo(s, d, mode, kids);
    } catch (const ELazyTreeError&) {
      ASSERT_TRUE(t->HasAsParent(d, s)) << "only moves into the own subtree fail";
    }
    if (rng() % 10 == 0) t->ToggleNode(all[rng() % all.size()]);
    if (i % 50 == 0) ExpectConsistent(t.get(), "move " + std::to_string(i));
    if (HasFailure()) return;
  }
  ExpectConsistent(t.get(), "after 1000 moves");
}

TEST(LazyTrees_qn_Sort, CutCopyMarks) {
  auto t = MakeSortTree();
  t->TreeOptions()->SetSelectionOptions({toMultiSelect});
  t->SetRootNodeCount(3);
  PLazyNode p = t->GetFirst();
  t->SetChildCount(p, 2);
  PLazyNode child = p->FirstChild;
  t->SetSelected(p, true);
  t->SetSelected(child, true);
  t->MarkCutCopyNodes();
  EXPECT_EQ(t->CutCopyCount(), 2u);
  EXPECT_EQ(t->GetSortedCutCopySet(true), TNodeArray{p});
  EXPECT_EQ(t->GetSortedCutCopySet(false), (TNodeArray{p, child}));

  t->DoStateChange({tsCutPending});
  t->FinishCutOrCopy();
  EXPECT_EQ(t->RootNodeCount(), 2u);
  EXPECT_EQ(t->RootNode()->TotalCount, 3u) << "the parent's subtree went once";
  EXPECT_FALSE(t->TreeStates().Contains(tsCutPending));

  PLazyNode q = t->GetFirst();
  t->SetSelected(q, true);
  t->MarkCutCopyNodes();
  t->DoStateChange({tsCopyPending});
  t->CancelCutOrCopy();
  EXPECT_EQ(t->CutCopyCount(), 0u);
  EXPECT_FALSE(t->TreeStates().Contains(tsCopyPending));
}

}  // namespace

}  // namespace t_lazy_trees_qn_sort_test
