#include <gtest/gtest.h>

#include <map>
#include <random>
#include <sstream>

#include "tests/treeview/LazyTreeTestSupport.h"

namespace t_lazy_trees_qn_navigation_test {

using namespace treetest;

namespace {

class TSelectTree : public TBaseLazyTree_qn {
 public:
  using TBaseLazyTree_qn::TBaseLazyTree_qn;
  void Select(PLazyNode N) {
    TNodeArray a{N};
    InternalAddToSelection(a, 1, false);
  }
};

class LazyTrees_qn_Navigation : public ::testing::Test {};

using TNodes = std::vector<PLazyNode>;

TNodes Walk(std::function<PLazyNode()> First, std::function<PLazyNode(PLazyNode)> Next) {
  TNodes out;
  for (PLazyNode n = First(); n && out.size() < 100000; n = Next(n)) out.push_back(n);
  return out;
}

TNodes Reversed(TNodes v) { return TNodes(v.rbegin(), v.rend()); }

template <class Pred>
TNodes Filter(const TNodes& v, Pred p) {
  TNodes out;
  for (PLazyNode n : v)
    if (p(n)) out.push_back(n);
  return out;
}

TNodes FromEnumeration(const TVTLazyNodeEnumeration& e) {
  TNodes out;
  for (PLazyNode n : e) out.push_back(n);
  return out;
}

// Builds a random, partly initialized tree from a model: some nodes
// initialized, expanded, hidden, filtered, selected, checked and marked.
void Shape(TSelectTree* T, THostedTree& Host, std::mt19937& Rng) {
  auto pick = [&](int n) { return std::uniform_int_distribution<int>(0, n - 1)(Rng); };
  Cardinal count = Cardinal(1 + pick(8));
  auto& kids = Host.FModel.Kids(Host.FModel.Root());
  for (Cardinal i = 0; i < count; ++i) kids.push_back(Host.FModel.NewNode(Host.FModel.Root()));
  T->SetRootNodeCount(count);
  for (int round = 0; round < 40; ++round) {
    TNodes all = AllNodes(T);
    PLazyNode n = all[size_t(pick(int(all.size())))];
    switch (pick(9)) {
      case 0:
      case 1:
        T->ToggleNode(n);
        break;
      case 2:
        T->ValidateNode(n, pick(3) == 0);
        break;
      case 3:
        if (pick(3) == 0) T->SetVisible(n, false);
        break;
      case 4:
        T->SetFiltered(n, true);
        break;
      case 5:
        if (n->States.Contains(vsInitialized)) T->Select(n);
        break;
      case 6:
        n->CheckState = TCheckState(pick(3) * 2);
        break;
      case 7:
        n->States.Include(vsCutOrCopy);
        break;
      default:
        T->ValidateChildren(n, false);
        break;
    }
  }
  TVTPaintOptions p = T->TreeOptions()->PaintOptions();
  if (pick(2)) p.Include(toShowFilteredNodes);
  if (pick(2)) p.Include(toChildrenAbove);
  T->TreeOptions()->SetPaintOptions(p);
}

void CheckNoInitWalks(TSelectTree* t, const std::string& where) {
  bool above = t->TreeOptions()->PaintOptions().Contains(toChildrenAbove);
  for (bool consider : {false, true}) {
    bool post = consider && above;
    TNodes order = AllNodes(t, post);
    std::map<PLazyNode, size_t> pos;
    for (size_t i = 0; i < order.size(); ++i) pos[order[i]] = i;
    std::string w = where + (consider ? " considering children above" : "");
    EXPECT_EQ(Walk([&] { return t->GetFirstNoInit(consider); }, [&](PLazyNode n) { return t->GetNextNoInit(n, consider); }),
              order)
        << w;
    EXPECT_EQ(Walk([&] { return t->GetLastNoInit(nullptr, consider); },
                   [&](PLazyNode n) { return t->GetPreviousNoInit(n, consider); }),
              Reversed(order))
        << w;
    EXPECT_EQ(FromEnumeration(t->NoInitNodes(consider)), order) << w;

    // The rows in display order; the visible walks must find, from any node
    // (shown or not), the nearest shown row after or before it.
    TNodes shown = Filter(order, [&](PLazyNode n) { return Shown(t, n) && !EffectivelyFiltered(t, n); });
    EXPECT_EQ(Walk([&] { return t->GetFirstVisibleNoInit(nullptr, consider); },
                   [&](PLazyNode n) { return t->GetNextVisibleNoInit(n, consider); }),
              shown)
        << w;
    EXPECT_EQ(Walk([&] { return t->GetLastVisibleNoInit(nullptr, consider); },
                   [&](PLazyNode n) { return t->GetPreviousVisibleNoInit(n, consider); }),
              Reversed(shown))
        << w;
    EXPECT_EQ(FromEnumeration(t->VisibleNoInitNodes(nullptr, consider)), shown) << w;
    for (PLazyNode n : order) {
      PLazyNode after = nullptr, before = nullptr;
      for (size_t i = pos[n] + 1; i < order.size() && !after; ++i)
        if (Shown(t, order[i]) && !EffectivelyFiltered(t, order[i])) after = order[i];
      for (size_t i = pos[n]; i-- > 0 && !before;)
        if (Shown(t, order[i]) && !EffectivelyFiltered(t, order[i])) before = order[i];
      EXPECT_EQ(t->GetNextVisibleNoInit(n, consider), after) << w;
      EXPECT_EQ(t->GetPreviousVisibleNoInit(n, consider), before) << w;
    }
    auto withState = [&](auto pred) { return Filter(order, pred); };
    EXPECT_EQ(FromEnumeration(t->InitializedNodes(consider)),
              withState([](PLazyNode n) { return n->States.Contains(vsInitialized); }))
        << w;
    EXPECT_EQ(Walk([&] { return t->GetLastInitialized(nullptr, consider); },
                   [&](PLazyNode n) { return t->GetPreviousInitialized(n, consider); }),
              Reversed(withState([](PLazyNode n) { return n->States.Contains(vsInitialized); })))
        << w;
    // Scans initialize only what they find, so the order stays valid.
    TNodes selected = withState([](PLazyNode n) { return n->States.Contains(vsSelected); });
    EXPECT_EQ(FromEnumeration(t->SelectedNodes(consider)), selected) << w;
    EXPECT_EQ(Walk([&] { return t->GetPreviousSelected(nullptr, consider); },
                   [&](PLazyNode n) { return t->GetPreviousSelected(n, consider); }),
              Reversed(selected))
        << w;
    EXPECT_EQ(FromEnumeration(t->CheckedNodes(csMixedNormal, consider)),
              withState([](PLazyNode n) { return n->CheckState == csMixedNormal; }))
        << w;
    EXPECT_EQ(FromEnumeration(t->CutCopyNodes(consider)),
              withState([](PLazyNode n) { return n->States.Contains(vsCutOrCopy); }))
        << w;
  }
  TNodes pre = AllNodes(t);
  std::map<PLazyNode, size_t> pos;
  for (size_t i = 0; i < pre.size(); ++i) pos[pre[i]] = i;
  for (PLazyNode n : pre) {
    Cardinal level = 0;
    for (PLazyNode p = n->Parent; p != t->RootNode(); p = p->Parent) ++level;
    EXPECT_EQ(t->GetNodeLevel(n), level) << where;
    EXPECT_EQ(t->GetVisibleParent(n, true) == t->RootNode() || Shown(t, t->GetVisibleParent(n, true)), true);
    TNodes vkids;
    for (PLazyNode c = n->FirstChild; c; c = c->NextSibling)
      if (c->States.Contains(vsVisible) && !EffectivelyFiltered(t, c)) vkids.push_back(c);
    EXPECT_EQ(FromEnumeration(t->VisibleChildNoInitNodes(n)), vkids) << where;
    EXPECT_EQ(t->GetLastVisibleChildNoInit(n), vkids.empty() ? nullptr : vkids.back()) << where;
  }
  std::mt19937 rng(Cardinal(pre.size()));
  for (int i = 0; i < 60 && pre.size() > 1; ++i) {
    PLazyNode a = pre[rng() % pre.size()], b = pre[rng() % pre.size()];
    Integer c = t->CompareNodePositions(a, b);
    EXPECT_EQ(c < 0, pos[a] < pos[b]) << where;
    EXPECT_EQ(c == 0, a == b) << where;
    if (a->Parent == b->Parent) {
      EXPECT_EQ(c, Integer(a->Index) - Integer(b->Index)) << where;
    }
    EXPECT_EQ(t->CountLevelDifference(a, b), Integer(t->GetNodeLevel(b)) - Integer(t->GetNodeLevel(a)));
    bool ancestor = false;
    for (PLazyNode p = a->Parent; p != t->RootNode(); p = p->Parent) ancestor |= p == b;
    EXPECT_EQ(t->HasAsParent(a, b), ancestor) << where;
  }
}

TEST_F(LazyTrees_qn_Navigation, WalksEqualFlatReferencesOnRandomTrees) {
  for (uint32_t seed = 1; seed <= 500; ++seed) {
    TTreeModel model(seed, 4);
    THostedTree host(model);
    // The hosted tree is a plain base tree; selection needs the probe.
    delete host.Tree;
    auto* t = new TSelectTree(nullptr);
    host.Tree = t;
    THostedTree wiring(model);
    t->SetNodeDataSize(Integer(sizeof(Pointer)));
    t->OnInitNode = wiring.Tree->OnInitNode;
    t->OnInitChildren = wiring.Tree->OnInitChildren;
    std::map<PLazyNode, int> childLists;
    std::mt19937 rng(seed);
    Shape(t, wiring, rng);
    // The wiring maps nodes through the tree it was made for; point it here.
    std::swap(wiring.Tree, host.Tree);
    std::ostringstream where;
    where << "tree " << seed;
    CheckNoInitWalks(t, where.str());

    // The initializing walk visits what the finished tree holds, creating
    // every child list once.
    t->OnInitChildren = [&](TBaseLazyTree_qn* S, PLazyNode N, Cardinal& Count) {
      ++childLists[N];
      Count = Cardinal(model.Kids(wiring.ModelOf(N)).size());
      (void)S;
    };
    bool above = t->TreeOptions()->PaintOptions().Contains(toChildrenAbove);
    TNodes walked = Walk([&] { return t->GetFirst(true); }, [&](PLazyNode n) { return t->GetNext(n, true); });
    EXPECT_EQ(walked, AllNodes(t, above)) << where.str();
    for (auto& [node, times] : childLists) EXPECT_EQ(times, 1) << where.str();
    TNodes back = Walk([&] { return t->GetLast(nullptr, true); }, [&](PLazyNode n) { return t->GetPrevious(n, true); });
    EXPECT_EQ(back, Reversed(AllNodes(t, above))) << where.str();
    TNodes visible = Walk([&] { return t->GetFirstVisible(nullptr, true); },
                          [&](PLazyNode n) { return t->GetNextVisible(n, true); });
    EXPECT_EQ(visible, Filter(AllNodes(t, above), [&](PLazyNode n) { return Shown(t, n) && !EffectivelyFiltered(t, n); }))
        << where.str();
    EXPECT_EQ(FromEnumeration(t->VisibleNodes()), visible) << where.str();
    EXPECT_EQ(FromEnumeration(t->Nodes(true)), walked) << where.str();
    TNodes pre = AllNodes(t);
    for (size_t i = 0; i < pre.size(); ++i) EXPECT_EQ(t->AbsoluteIndex(pre[i]), Cardinal(i)) << where.str();
    EXPECT_EQ(FromEnumeration(t->LeafNodes()),
              Filter(pre, [](PLazyNode n) { return !n->States.Contains(vsHasChildren); }))
        << where.str();
    for (Cardinal level = 0; level < 3; ++level) {
      TNodes onLevel = Filter(pre, [&](PLazyNode n) { return t->GetNodeLevel(n) == level; });
      EXPECT_EQ(FromEnumeration(t->LevelNodes(level)), onLevel) << where.str() << " level " << level;
      if (!onLevel.empty()) {
        EXPECT_EQ(Walk([&] { return onLevel.back(); }, [&](PLazyNode n) { return t->GetPreviousLevel(n, level); }),
                  Reversed(onLevel))
            << where.str() << " level " << level;
      }
    }
    if (::testing::Test::HasFailure()) return;
  }
}

TEST_F(LazyTrees_qn_Navigation, NoInitWalksNeverCallTheHost) {
  TTreeModel model(9, 4);
  THostedTree host(model);
  TBaseLazyTree_qn* t = host.Tree;
  for (int i = 0; i < 5; ++i) model.Kids(model.Root()).push_back(model.NewNode(model.Root()));
  t->SetRootNodeCount(5);
  t->ToggleNode(t->RootNode()->FirstChild);
  t->ValidateNode(t->RootNode()->LastChild, false);
  t->RootNode()->LastChild->CheckState = csCheckedNormal;
  t->RootNode()->LastChild->States.Include(vsCutOrCopy);
  int calls = host.InitNodeCalls + host.InitChildrenCalls;
  for (PLazyNode n : t->NoInitNodes()) (void)n;
  for (PLazyNode n : t->VisibleNoInitNodes()) (void)n;
  (void)t->GetLastVisibleNoInit();
  (void)t->GetFirstSelected();
  EXPECT_EQ(t->GetFirstChecked(), t->RootNode()->LastChild);
  EXPECT_EQ(t->GetFirstCutCopy(), t->RootNode()->LastChild);
  EXPECT_EQ(t->CompareNodePositions(t->RootNode()->FirstChild, t->RootNode()->LastChild), -4);
  EXPECT_EQ(host.InitNodeCalls + host.InitChildrenCalls, calls);
}

TEST_F(LazyTrees_qn_Navigation, EdgeCasesOfTheWalks) {
  TBaseLazyTree_qn t(nullptr);
  int childrenAsked = 0;
  t.OnInitNode = [](TBaseLazyTree_qn*, PLazyNode P, PLazyNode, TLazyNodeInitStates& S) {
    if (!P) S.Include(ivsHasChildren);
  };
  t.OnInitChildren = [&](TBaseLazyTree_qn*, PLazyNode, Cardinal& Count) {
    ++childrenAsked;
    Count = 2;
  };
  t.SetRootNodeCount(3);
  PLazyNode a = t.GetFirst();
  ASSERT_TRUE(a->States.Contains(vsHasChildren));
  EXPECT_EQ(t.GetNextNoInit(a), a->NextSibling);  // nothing created
  EXPECT_EQ(childrenAsked, 0);
  PLazyNode firstChild = t.GetNext(a);
  EXPECT_EQ(childrenAsked, 1);
  EXPECT_EQ(firstChild, a->FirstChild);
  EXPECT_FALSE(t.Expanded(a));
  // A collapsed parent keeps its children out of the visible walk.
  EXPECT_EQ(t.GetNextVisible(a), a->NextSibling);
  t.SetFiltered(a->NextSibling, true);
  EXPECT_EQ(t.GetNextVisible(a), t.RootNode()->LastChild);
  EXPECT_EQ(t.AbsoluteIndex(a->NextSibling), a->TotalCount);
  EXPECT_EQ(t.CompareNodePositions(t.RootNode()->LastChild, a), 2);
  EXPECT_EQ(t.GetNodeLevel(a), 0u);
  EXPECT_EQ(t.GetNodeLevel(firstChild), 1u);

  t.SetVisible(a->FirstChild, false);
  EXPECT_EQ(t.GetFirstVisibleChild(a), a->LastChild);

  EXPECT_THROW(t.GetNext(t.RootNode()), EAssertionFailed);
  EXPECT_THROW(t.GetPreviousNoInit(t.RootNode()), EAssertionFailed);
  EXPECT_THROW(t.GetVisibleParent(nullptr), EAssertionFailed);
  EXPECT_THROW(t.GetNextVisibleSibling(nullptr), EAssertionFailed);
  EXPECT_THROW(t.CompareNodePositions(nullptr, a), EAssertionFailed);
  EXPECT_THROW(t.CountLevelDifference(a, nullptr), EAssertionFailed);
  EXPECT_EQ(t.GetNext(nullptr), nullptr);
}

TEST_F(LazyTrees_qn_Navigation, IterateSubtreeStopsAtTheSubtreeAndGuardsDeletion) {
  TBaseLazyTree_qn t(nullptr);
  t.SetRootNodeCount(3);
  PLazyNode a = t.RootNode()->FirstChild;
  t.SetChildCount(a, 2);
  t.SetChildCount(a->FirstChild, 2);
  TNodes seen;
  PLazyNode aborted = t.IterateSubtree(a, [&](TBaseLazyTree_qn*, PLazyNode N, Pointer, bool&) { seen.push_back(N); },
                                       nullptr);
  EXPECT_EQ(aborted, nullptr);
  EXPECT_EQ(seen, (TNodes{a, a->FirstChild, a->FirstChild->FirstChild, a->FirstChild->LastChild, a->LastChild}));
  seen.clear();
  t.IterateSubtree(a, [&](TBaseLazyTree_qn*, PLazyNode N, Pointer, bool&) { seen.push_back(N); }, nullptr, {}, false,
                   true);
  EXPECT_EQ(seen.front(), a->FirstChild);
  EXPECT_EQ(seen.size(), 4u);
  PLazyNode stopAt = a->FirstChild->LastChild;
  EXPECT_EQ(t.IterateSubtree(nullptr,
                             [&](TBaseLazyTree_qn*, PLazyNode N, Pointer, bool& Abort) { Abort = N == stopAt; },
                             nullptr),
            stopAt);
  // Deleting inside fails, and a raising callback leaves no iteration behind.
  EXPECT_THROW(t.IterateSubtree(a, [&](TBaseLazyTree_qn* S, PLazyNode N, Pointer, bool&) { S->DeleteNode(N); },
                                nullptr),
               EAssertionFailed);
  EXPECT_FALSE(t.TreeStates().Contains(tsIterating));
  t.DeleteNode(a);
  EXPECT_EQ(t.RootNodeCount(), 2u);
  ExpectConsistent(&t, "after iteration");
  EXPECT_THROW(t.IterateSubtree(t.RootNode(), nullptr, nullptr), EAssertionFailed);
}

}  // namespace

}  // namespace t_lazy_trees_qn_navigation_test
