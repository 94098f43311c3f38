#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <sstream>

#include "tests/treeview/LazyTreeTestSupport.h"

namespace t_lazy_trees_qn_nodes_test {

using namespace treetest;

namespace {

// Exposes the tree's bookkeeping to the tests.
class TProbeTree : public TBaseLazyTree_qn {
 public:
  using TBaseLazyTree_qn::TBaseLazyTree_qn;
  using TBaseLazyTree_qn::AllocateInternalDataArea;
  using TBaseLazyTree_qn::Change;
  using TBaseLazyTree_qn::FCheckNode;
  using TBaseLazyTree_qn::FCurrentHotNode;
  using TBaseLazyTree_qn::FDropTargetNode;
  using TBaseLazyTree_qn::FLastChangedNode;
  using TBaseLazyTree_qn::FLastSearchNode;
  using TBaseLazyTree_qn::FLastSelected;
  using TBaseLazyTree_qn::FLastStructureChangeNode;
  using TBaseLazyTree_qn::FLastVCLDragTarget;
  using TBaseLazyTree_qn::InternalCacheNode;
  using TBaseLazyTree_qn::DoStateChange;
};

class LazyTrees_qn_Nodes : public ::testing::Test {};

// Makes sure a node's child list exists, so that structure operations on it
// keep tree and model in step (a host never adds children to a list it has
// not handed out yet).
void Materialize(TBaseLazyTree_qn* T, PLazyNode N) {
  if (N == T->RootNode()) return;
  T->ValidateNode(N, false);
  if (N->States.Contains(vsHasChildren) && N->ChildCount == 0) T->ValidateChildren(N, false);
}

void RunRandomized(uint32_t Seed, bool VariableHeights) {
  TTreeModel model(Seed);
  THostedTree host(model);
  TBaseLazyTree_qn* t = host.Tree;
  if (VariableHeights) {
    TVTMiscOptions m = t->TreeOptions()->MiscOptions();
    m.Include(toVariableNodeHeight);
    t->TreeOptions()->SetMiscOptions(m);
    // Measuring gives every node a height of its own, once.
    t->OnMeasureItem = [&](TBaseLazyTree_qn*, TCanvas*, PLazyNode N, Integer& H) {
      H = Integer(10 + host.ModelOf(N)->Id % 17);
    };
  }
  std::mt19937 rng(Seed);
  auto pick = [&](int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); };
  Cardinal depth = 0;
  {
    auto& kids = model.Kids(model.Root());
    for (int i = 0; i < 6; ++i) kids.push_back(model.NewNode(model.Root()));
    t->SetRootNodeCount(6);
  }
  for (int step = 0; step < 10000; ++step) {
    std::vector<PLazyNode> all = AllNodes(t);
    PLazyNode n = all.empty() ? nullptr : all[size_t(pick(int(all.size())))];
    int op = pick(20);
    // Deletions and resets are rarer than growth so the trees get big
    // enough to have deep, partly shown subtrees.
    if ((op == 3 || op == 10) && pick(3) != 0 && all.size() < 400) op = 1;
    std::ostringstream what;
    what << "seed " << Seed << " step " << step << " op " << op;
    if (!n && op != 0 && op != 1 && op != 12 && op != 13) op = 0;
    if (all.size() > 3000 && (op == 0 || op == 1 || op == 8 || op == 14)) op = 3;
    switch (op) {
      case 0: {  // child count of a node (or the root)
        PLazyNode p = (n && pick(8)) ? n : t->RootNode();
        Materialize(t, p);
        auto& kids = model.Kids(host.ModelOf(p));
        Cardinal k = Cardinal(pick(p == t->RootNode() ? 12 : 6));
        while (kids.size() > k) kids.pop_back();
        while (kids.size() < k) kids.push_back(model.NewNode(host.ModelOf(p)));
        t->SetChildCount(p == t->RootNode() ? nullptr : p, k);
        break;
      }
      case 1: {
        PLazyNode p = (n && pick(2)) ? n : t->RootNode();
        Materialize(t, p);
        model.Kids(host.ModelOf(p)).push_back(model.NewNode(host.ModelOf(p)));
        PLazyNode added = t->AddChild(p == t->RootNode() ? nullptr : p);
        ASSERT_EQ(added, p->LastChild) << what.str();
        break;
      }
      case 2: {
        auto mode = TVTNodeAttachMode(1 + pick(4));
        PLazyNode parent;
        Cardinal at;
        if (mode == amInsertBefore || mode == amInsertAfter) {
          parent = n->Parent;
          at = n->Index + (mode == amInsertAfter ? 1 : 0);
        } else {
          Materialize(t, n);
          parent = n;
          at = mode == amAddChildFirst ? 0 : Cardinal(model.Kids(host.ModelOf(n)).size());
        }
        auto& kids = model.Kids(host.ModelOf(parent));
        kids.insert(kids.begin() + at, model.NewNode(host.ModelOf(parent)));
        PLazyNode added = t->InsertNode(n, mode);
        ASSERT_EQ(added->Parent, parent) << what.str();
        ASSERT_EQ(added->Index, at) << what.str();
        break;
      }
      case 3: {
        auto& kids = model.Kids(host.ModelOf(n->Parent));
        kids.erase(kids.begin() + n->Index);
        t->DeleteNode(n);
        break;
      }
      case 4:
        t->SetVisible(n, !n->States.Contains(vsVisible));
        break;
      case 5:
        t->SetFiltered(n, !n->States.Contains(vsFiltered));
        break;
      case 6:
        t->SetNodeHeight(n, pick(50) == 0 ? 70000 : Cardinal(pick(40)));
        break;
      case 7:
      case 8:
        t->ToggleNode(n);
        break;
      case 9:
        t->ReinitNode(n, pick(2) == 0);
        break;
      case 10:
        t->ResetNode(n);
        break;
      case 11:
        if (depth < 3) {
          t->BeginUpdate();
          ++depth;
        }
        break;
      case 12:
      case 13:
        if (depth > 0) {
          t->EndUpdate();
          --depth;
        }
        break;
      case 14:
        if (pick(4) == 0) t->FullExpand(n);
        else t->FullCollapse(pick(2) ? n : nullptr);
        break;
      case 15: {
        TVTPaintOptions p = t->TreeOptions()->PaintOptions();
        if (p.Contains(toShowFilteredNodes)) p.Exclude(toShowFilteredNodes);
        else p.Include(toShowFilteredNodes);
        t->TreeOptions()->SetPaintOptions(p);
        break;
      }
      case 16: {
        TVTAutoOptions a = t->TreeOptions()->AutoOptions();
        if (a.Contains(toAutoFreeOnCollapse)) a.Exclude(toAutoFreeOnCollapse);
        else a.Include(toAutoFreeOnCollapse);
        t->TreeOptions()->SetAutoOptions(a);
        break;
      }
      case 17:
        if (pick(60) == 0) {
          t->Clear();
          model.Kids(model.Root()).clear();
        } else {
          t->ValidateNode(n, pick(4) == 0);
        }
        break;
      case 18:
        t->SetExpanded(n, true);
        break;
      default:
        t->SetMultiline(n, true);
        t->SetDisabled(n, pick(2) == 0);
        break;
    }
    ExpectConsistent(t, what.str());
    ExpectMatchesModel(host, what.str());
    if (::testing::Test::HasFailure()) return;
  }
  if (getenv("QN_TREE_STATS")) printf("nodes %zu visible %u inits %d\n", AllNodes(t).size(), t->VisibleCount(), host.InitNodeCalls);
  while (depth-- > 0) t->EndUpdate();
  ExpectConsistent(t, "after the batches");
  t->Clear();
  EXPECT_EQ(t->LiveNodeBlocks(), 1u);
  EXPECT_EQ(t->RootNode()->TotalCount, 1u);
  EXPECT_EQ(t->VisibleCount(), 0u);
}

TEST_F(LazyTrees_qn_Nodes, RandomizedOperationsKeepTotalsLinksAndModel) {
  RunRandomized(1, false);
  RunRandomized(20261207, false);
}

TEST_F(LazyTrees_qn_Nodes, RandomizedWithMeasuredHeights) { RunRandomized(77, true); }

TEST_F(LazyTrees_qn_Nodes, NewTreeAndRootNodeCount) {
  std::vector<std::pair<PLazyNode, TChangeReason>> changes;
  int inits = 0;
  TBaseLazyTree_qn t(nullptr);
  EXPECT_EQ(t.RootNode()->TotalCount, 1u);
  EXPECT_EQ(t.TotalCount(), 0u);
  t.OnStructureChange = [&](TBaseLazyTree_qn*, PLazyNode N, TChangeReason R) { changes.push_back({N, R}); };
  t.OnInitNode = [&](TBaseLazyTree_qn*, PLazyNode, PLazyNode, TLazyNodeInitStates&) { ++inits; };
  t.SetRootNodeCount(3);
  ASSERT_EQ(changes.size(), 1u);
  EXPECT_EQ(changes[0].first, nullptr);
  EXPECT_EQ(changes[0].second, crChildAdded);
  Cardinal i = 0;
  for (PLazyNode n = t.RootNode()->FirstChild; n; n = n->NextSibling, ++i) {
    EXPECT_EQ(n->Index, i);
    EXPECT_FALSE(n->States.Contains(vsInitialized));
  }
  EXPECT_EQ(i, 3u);
  EXPECT_EQ(inits, 0);
  EXPECT_EQ(t.TotalCount(), 3u);
  EXPECT_EQ(inits, 3);  // the total initializes the whole tree
}

TEST_F(LazyTrees_qn_Nodes, ShrinkingDeletesLastFirstAndReportsChildAdded) {
  std::vector<Cardinal> freed;
  std::vector<TChangeReason> reasons;
  TBaseLazyTree_qn t(nullptr);
  t.SetRootNodeCount(5);
  for (PLazyNode n = t.RootNode()->FirstChild; n; n = n->NextSibling) *t.GetNodeData<Cardinal>(n) = n->Index;
  t.OnFreeNode = [&](TBaseLazyTree_qn* S, PLazyNode N) { freed.push_back(*S->GetNodeData<Cardinal>(N)); };
  t.OnStructureChange = [&](TBaseLazyTree_qn*, PLazyNode, TChangeReason R) { reasons.push_back(R); };
  t.SetChildCount(nullptr, 2);
  EXPECT_EQ(freed, (std::vector<Cardinal>{4, 3, 2}));
  ASSERT_FALSE(reasons.empty());
  EXPECT_EQ(reasons.back(), crChildAdded);
  ExpectConsistent(&t, "shrunk");
}

TEST_F(LazyTrees_qn_Nodes, InsertNodeModesAroundTheRootAndRenumbering) {
  TBaseLazyTree_qn t(nullptr);
  t.SetRootNodeCount(3);
  PLazyNode first = t.RootNode()->FirstChild;
  PLazyNode before = t.InsertNode(nullptr, amInsertBefore);
  EXPECT_EQ(t.RootNode()->FirstChild, before);
  PLazyNode after = t.InsertNode(nullptr, amInsertAfter);
  EXPECT_EQ(t.RootNode()->LastChild, after);
  EXPECT_EQ(t.InsertNode(first, amNoWhere), nullptr);
  PLazyNode x = t.InsertNode(before, amInsertBefore);
  EXPECT_EQ(x->Index, 0u);
  Cardinal i = 0;
  for (PLazyNode n = t.RootNode()->FirstChild; n; n = n->NextSibling) EXPECT_EQ(n->Index, i++);
  EXPECT_EQ(i, 6u);
  EXPECT_EQ(first->Index, 2u);
  ExpectConsistent(&t, "inserted");
}

TEST_F(LazyTrees_qn_Nodes, FilteredByTheHostLeavesCountAndHeight) {
  TBaseLazyTree_qn t(nullptr);
  t.OnInitNode = [](TBaseLazyTree_qn*, PLazyNode, PLazyNode N, TLazyNodeInitStates& S) {
    if (N->Index == 1) S.Include(ivsFiltered);
  };
  t.SetRootNodeCount(3);
  EXPECT_EQ(t.VisibleCount(), 3u);
  Cardinal before = t.RootNode()->TotalHeight;
  t.ValidateNode(nullptr, true);
  EXPECT_EQ(t.VisibleCount(), 2u);
  EXPECT_EQ(t.RootNode()->TotalHeight, before - t.DefaultNodeHeight());
  // Initializing again must not take the row out a second time.
  t.ReinitNode(t.RootNode()->FirstChild->NextSibling, false);
  EXPECT_EQ(t.RootNode()->TotalHeight, before - t.DefaultNodeHeight());
  ExpectConsistent(&t, "filtered");
}

TEST_F(LazyTrees_qn_Nodes, FreeNodeSeesTheNodeUnlinkedAndForgotten) {
  bool seen = false;
  TProbeTree t(nullptr);
  t.SetRootNodeCount(3);
  PLazyNode victim = t.RootNode()->FirstChild->NextSibling;
  t.ValidateNode(victim, false);
  t.SetFocusedNode(victim);
  t.FLastChangedNode = t.FCurrentHotNode = t.FDropTargetNode = t.FLastStructureChangeNode = t.FCheckNode =
      t.FLastSearchNode = t.FLastVCLDragTarget = t.FLastSelected = victim;
  t.DoStateChange({tsMouseCheckPending});
  t.OnFreeNode = [&](TBaseLazyTree_qn* S, PLazyNode N) {
    seen = true;
    EXPECT_EQ(N, victim);
    for (PLazyNode c = S->RootNode()->FirstChild; c; c = c->NextSibling) EXPECT_NE(c, N);
    EXPECT_EQ(S->RootNode()->ChildCount, 2u);
    EXPECT_EQ(S->FocusedNode(), nullptr);
    EXPECT_EQ(t.FLastChangedNode, nullptr);
    EXPECT_EQ(t.FCurrentHotNode, nullptr);
    EXPECT_EQ(t.FDropTargetNode, nullptr);
    EXPECT_EQ(t.FLastStructureChangeNode, nullptr);
    EXPECT_EQ(t.FCheckNode, nullptr);
    EXPECT_EQ(t.FLastSearchNode, nullptr);
    EXPECT_EQ(t.FLastVCLDragTarget, nullptr);
    EXPECT_EQ(t.FLastSelected, nullptr);
    EXPECT_FALSE(S->TreeStates().Contains(tsMouseCheckPending));
  };
  t.DeleteNode(victim);
  EXPECT_TRUE(seen);
  t.OnFreeNode = nullptr;
}

TEST_F(LazyTrees_qn_Nodes, UserDataSizeAndInitialData) {
  TBaseLazyTree_qn t(nullptr);
  t.SetRootNodeCount(1);
  // A pointer fits in the default size.
  EXPECT_EQ(t.NodeDataSize(), Integer(sizeof(Pointer)));
  int anchor = 0;
  PLazyNode n = t.AddChild(nullptr, &anchor);
  EXPECT_EQ(*t.GetNodeData<int*>(n), &anchor);
  EXPECT_EQ(reinterpret_cast<uintptr_t>(t.GetNodeData(n)) % alignof(Pointer), 0u);

  TBaseLazyTree_qn small(nullptr);
  small.OnGetNodeDataSize = [](TBaseLazyTree_qn*, Integer& Size) { Size = 2; };
  try {
    small.AddChild(nullptr, &anchor);
    FAIL() << "no error for user data that does not fit";
  } catch (const ELazyTreeError& e) {
    EXPECT_EQ(e.HelpContext, 2008);
    EXPECT_EQ(e.Message(), String(SCannotSetUserData));
  }
  EXPECT_EQ(small.RootNodeCount(), 1u);  // created and linked before the check
}

TEST_F(LazyTrees_qn_Nodes, RunTimeDataSizeRecreatesRootNodes) {
  int freed = 0;
  TBaseLazyTree_qn t(nullptr);
  t.SetRootNodeCount(10);
  t.ValidateNode(t.RootNode()->FirstChild, false);
  t.ValidateNode(t.RootNode()->LastChild, false);
  PLazyNode oldFirst = t.RootNode()->FirstChild;
  t.OnFreeNode = [&](TBaseLazyTree_qn*, PLazyNode) { ++freed; };
  t.SetNodeDataSize(64);
  EXPECT_EQ(freed, 2);  // only the initialized ones are announced
  EXPECT_EQ(t.RootNodeCount(), 10u);
  EXPECT_FALSE(t.RootNode()->FirstChild->States.Contains(vsInitialized));
  std::memset(t.GetNodeData(t.RootNode()->LastChild), 0xAB, 64);
  (void)oldFirst;
  ExpectConsistent(&t, "recreated");
}

TEST_F(LazyTrees_qn_Nodes, InternalDataAreasAndTheirLimits) {
  TProbeTree t(nullptr);
  Cardinal a = t.AllocateInternalDataArea(3);
  Cardinal b = t.AllocateInternalDataArea(5);
  EXPECT_EQ(a, TreeNodeSize);
  EXPECT_EQ(b, TreeNodeSize + 8);
  EXPECT_EQ(t.UserDataOffset() % 8, 0u);
  t.SetRootNodeCount(2);
  EXPECT_THROW(t.AllocateInternalDataArea(4), EAssertionFailed);
}

TEST_F(LazyTrees_qn_Nodes, ReadOnlyTurnsStructureChangesIntoNoOps) {
  TBaseLazyTree_qn t(nullptr);
  t.SetRootNodeCount(2);
  PLazyNode n = t.RootNode()->FirstChild;
  t.SetNodeHeight(n, 30);
  TVTMiscOptions m = t.TreeOptions()->MiscOptions();
  m.Include(toReadOnly);
  t.TreeOptions()->SetMiscOptions(m);
  EXPECT_EQ(t.AddChild(nullptr), nullptr);
  t.SetChildCount(nullptr, 5);
  t.DeleteNode(n);
  t.Clear();
  t.SetNodeHeight(n, 12);
  t.SetHasChildren(n, true);
  t.DeleteChildren(nullptr);
  EXPECT_EQ(t.RootNodeCount(), 2u);
  EXPECT_EQ(n->NodeHeight, 30);
  EXPECT_FALSE(n->States.Contains(vsHasChildren));
}

TEST_F(LazyTrees_qn_Nodes, HeightsAreClampedToSixteenBits) {
  TBaseLazyTree_qn t(nullptr);
  t.SetRootNodeCount(2);
  PLazyNode n = t.RootNode()->FirstChild;
  t.SetNodeHeight(n, 70000);
  EXPECT_EQ(n->NodeHeight, 65535);
  ExpectConsistent(&t, "clamped");
  t.SetDefaultNodeHeight(100000);
  EXPECT_EQ(t.DefaultNodeHeight(), 65535u);
  t.AddChild(nullptr);
  EXPECT_EQ(t.RootNode()->LastChild->NodeHeight, 65535);
  ExpectConsistent(&t, "default clamped");
  t.SetDefaultNodeHeight(0);
  EXPECT_EQ(t.DefaultNodeHeight(), 18u);
}

TEST_F(LazyTrees_qn_Nodes, RaisingFreeHandlerLeavesNoBatchAndNoNodes) {
  TBaseLazyTree_qn t(nullptr);
  t.SetRootNodeCount(4);
  t.ValidateNode(nullptr, true);
  t.OnFreeNode = [](TBaseLazyTree_qn*, PLazyNode N) {
    if (N->Index == 2) throw Exception(u"handler failed");
  };
  EXPECT_THROW(t.Clear(), Exception);
  EXPECT_EQ(t.UpdateCount(), 0u);
  EXPECT_FALSE(t.TreeStates().Contains(tsUpdating));
  EXPECT_FALSE(t.RootNode()->States.Contains(vsClearing));
  EXPECT_EQ(t.RootNodeCount(), 0u);
  EXPECT_EQ(t.LiveNodeBlocks(), 1u);
  ExpectConsistent(&t, "after a failing handler");
  t.OnFreeNode = nullptr;
  t.SetRootNodeCount(3);
  EXPECT_EQ(t.RootNodeCount(), 3u);
}

TEST_F(LazyTrees_qn_Nodes, TreeFromNodeAndScratchList) {
  TProbeTree t(nullptr);
  t.SetRootNodeCount(1);
  PLazyNode child = t.AddChild(t.AddChild(t.RootNode()->FirstChild));
  EXPECT_EQ(TreeFromNode(child), &t);
  EXPECT_EQ(TreeFromNode(t.RootNode()), &t);
  EXPECT_THROW(TreeFromNode(nullptr), EAssertionFailed);
  for (int i = 0; i < 150; ++i) t.InternalCacheNode(child);
}

TEST_F(LazyTrees_qn_Nodes, VisibilityAcrossCollapsedAndHiddenParents) {
  TBaseLazyTree_qn t(nullptr);
  t.SetRootNodeCount(2);
  PLazyNode a = t.RootNode()->FirstChild;
  t.SetChildCount(a, 3);
  EXPECT_EQ(t.VisibleCount(), 2u);  // a is collapsed
  t.ToggleNode(a);
  EXPECT_EQ(t.VisibleCount(), 5u);
  t.SetVisible(a, false);
  EXPECT_EQ(t.VisibleCount(), 1u);
  t.SetVisible(a->FirstChild, false);
  t.SetVisible(a, true);
  EXPECT_EQ(t.VisibleCount(), 4u);
  t.SetFullyVisible(a->FirstChild, true);
  EXPECT_EQ(t.VisibleCount(), 5u);
  EXPECT_THROW(t.SetVisible(nullptr, true), EAssertionFailed);
  EXPECT_THROW(t.GetVisiblePath(t.RootNode()), EAssertionFailed);
  ExpectConsistent(&t, "visibility");
}

TEST_F(LazyTrees_qn_Nodes, DeletionFreesChildrenLastFirstBeforeTheirParent) {
  // a(a1(a11), a2), b; "f" frees a node, "s" reports a child deleted
  // under it (the root as "-") outside a batch.
  struct TCase {
    const char* Name;
    std::function<void(TBaseLazyTree_qn&, std::map<std::string, PLazyNode>&)> Run;
    std::vector<std::string> Events;
  };
  const std::vector<TCase> cases = {
      {"Clear", [](TBaseLazyTree_qn& T, auto&) { T.Clear(); }, {"f b", "f a2", "f a11", "f a1", "f a"}},
      {"DeleteNode a",
       [](TBaseLazyTree_qn& T, auto& N) { T.DeleteNode(N["a"]); },
       {"s -", "f a2", "f a11", "f a1", "s a", "f a"}},
      {"DeleteNode a1",
       [](TBaseLazyTree_qn& T, auto& N) { T.DeleteNode(N["a1"]); },
       {"s a", "f a11", "s a1", "f a1"}},
      {"DeleteChildren a",
       [](TBaseLazyTree_qn& T, auto& N) { T.DeleteChildren(N["a"]); },
       {"f a2", "f a11", "f a1", "s a"}},
      {"DeleteChildren root",
       [](TBaseLazyTree_qn& T, auto&) { T.DeleteChildren(nullptr); },
       {"f b", "f a2", "f a11", "f a1", "f a", "s -"}},
      {"destruction", [](TBaseLazyTree_qn& T, auto&) { delete &T; }, {"f b", "f a2", "f a11", "f a1", "f a"}},
  };
  for (const TCase& c : cases) {
    auto* t = new TBaseLazyTree_qn(nullptr);
    t->SetNodeDataSize(Integer(sizeof(Pointer)));
    std::map<std::string, PLazyNode> nodes;
    std::map<PLazyNode, std::string> names{{nullptr, "-"}};
    auto add = [&](const char* Name, const char* Parent) {
      PLazyNode n = t->AddChild(Parent ? nodes[Parent] : nullptr);
      t->ValidateNode(n, false);
      nodes[Name] = n;
      names[n] = Name;
    };
    add("a", nullptr);
    add("b", nullptr);
    add("a1", "a");
    add("a2", "a");
    add("a11", "a1");
    std::vector<std::string> events;
    t->OnFreeNode = [&](TBaseLazyTree_qn*, PLazyNode N) { events.push_back("f " + names[N]); };
    t->OnStructureChange = [&](TBaseLazyTree_qn*, PLazyNode N, TChangeReason R) {
      if (R == crChildDeleted) events.push_back("s " + names[N]);
    };
    c.Run(*t, nodes);
    EXPECT_EQ(events, c.Events) << c.Name;
    if (std::string(c.Name) != "destruction") {
      ExpectConsistent(t, c.Name);
      t->OnFreeNode = nullptr;
      t->OnStructureChange = nullptr;
      delete t;
    }
  }
}

TEST_F(LazyTrees_qn_Nodes, DeepChainsAreDeletedWithoutNativeRecursion) {
  // A thread stack of 1 MB holds a few thousand levels of native frames;
  // the chains here are far deeper.
  constexpr size_t Depth = 200000;
  RunOnSmallStack([&] {
    TBaseLazyTree_qn t(nullptr);
    size_t freed = 0;
    t.OnFreeNode = [&](TBaseLazyTree_qn*, PLazyNode) { ++freed; };
    PLazyNode top = BuildChain(&t, Depth);
    for (PLazyNode n = top; n; n = n->FirstChild) t.ValidateNode(n, false);
    PLazyNode middle = top;
    for (size_t i = 0; i < Depth / 2; ++i) middle = middle->FirstChild;
    t.DeleteChildren(middle);
    EXPECT_EQ(freed, Depth / 2 - 1);
    EXPECT_EQ(t.RootNode()->TotalCount, Depth / 2 + 2);
    t.DeleteNode(top->FirstChild);
    EXPECT_EQ(freed, Depth - 1);
    EXPECT_EQ(t.LiveNodeBlocks(), 2u);

    // A handler raising deep down stops neither the other notifications nor
    // the freeing, and leaves no batch open.
    BuildChain(&t, Depth);
    freed = 0;
    t.OnFreeNode = [&](TBaseLazyTree_qn*, PLazyNode) {
      if (++freed == Depth / 3) throw Exception(u"handler failed");
    };
    for (PLazyNode n = t.RootNode()->LastChild; n; n = n->FirstChild) t.ValidateNode(n, false);
    EXPECT_THROW(t.Clear(), Exception);
    EXPECT_EQ(freed, Depth + 1);
    EXPECT_EQ(t.UpdateCount(), 0u);
    EXPECT_EQ(t.LiveNodeBlocks(), 1u);

    // The destructor takes a chain along.
    BuildChain(&t, Depth);
    t.OnFreeNode = nullptr;
  });
}

}  // namespace

namespace {
TEST_F(LazyTrees_qn_Nodes, AMillionNodesFromTheSlabs) {
  // Enough nodes for the node pool to run through all its slab sizes.
  TBaseLazyTree_qn t(nullptr);
  t.SetRootNodeCount(1000000);
  Cardinal n = 0;
  for (PLazyNode run = t.RootNode()->LastChild; run; run = run->PrevSibling, ++n)
    ASSERT_EQ(run->Index, 999999u - n);
  EXPECT_EQ(n, 1000000u);
  EXPECT_EQ(t.LiveNodeBlocks(), 1000001u);
  t.SetRootNodeCount(10);
  EXPECT_EQ(t.LiveNodeBlocks(), 11u);
}
}  // namespace

}  // namespace t_lazy_trees_qn_nodes_test
