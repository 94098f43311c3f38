// Moving and copying between trees through the node stream: order, events,
// refusals, read-only targets, and the totals of both trees after long runs
// of random moves and copies.
#include <gtest/gtest.h>

#include <random>

#include "tests/treeview/LazyTrees_qn_StreamTestSupport.h"

namespace t_lazy_trees_qn_cross_tree_test {

using namespace qn;
using namespace streamtest;

namespace {

// Top-level nodes with the given ids; each gets the caption "c<id>".
std::vector<PLazyNode> AddNodes(THostTree& T, PLazyNode Parent, std::initializer_list<Cardinal> Ids) {
  std::vector<PLazyNode> out;
  for (Cardinal id : Ids) {
    PLazyNode n = T.AddChild(Parent);
    T.InitNode(n);
    T.SetId(n, id);
    T.Captions[id] = u"c" + std::u16string(1, char16_t(u'0' + id % 10));
    out.push_back(n);
  }
  return out;
}

std::vector<Cardinal> ChildIds(THostTree& T, PLazyNode Parent) {
  std::vector<Cardinal> ids;
  for (PLazyNode c = (Parent ? Parent : T.RootNode())->FirstChild; c; c = c->NextSibling) ids.push_back(T.Id(c));
  return ids;
}

}  // namespace

TEST(LazyTrees_qn_CrossTree, MovingIntoAnotherTreeKeepsOrderAndReportsTheNewNode) {
  THostTree source, target;
  auto top = AddNodes(source, nullptr, {1, 2});
  AddNodes(source, top[0], {11, 12, 13});
  source.SetExpanded(top[0], true);
  auto dest = AddNodes(target, nullptr, {7});
  AddNodes(target, dest[0], {70, 71});
  auto picture = Picture(&source, top[0], 1);

  std::vector<PLazyNode> moved;
  source.OnNodeMoved = [&](TBaseLazyTree_qn*, PLazyNode Node) { moved.push_back(Node); };
  target.OnNodeMoved = [&](TBaseLazyTree_qn*, PLazyNode) { ADD_FAILURE() << "the target tree reports nothing"; };
  source.MoveTo(top[0], dest[0], amAddChildLast);
  ASSERT_EQ(moved.size(), 1u);
  EXPECT_EQ(TreeFromNode(moved[0]), &target);
  EXPECT_EQ(moved[0], dest[0]->LastChild);
  EXPECT_EQ(Picture(&target, moved[0], 1), picture);
  EXPECT_EQ(ChildIds(source, nullptr), (std::vector<Cardinal>{2}));
  EXPECT_EQ(source.LiveNodeBlocks(), 2u);
  treetest::ExpectConsistent(&source, "source");
  treetest::ExpectConsistent(&target, "target");

  // Children only, as first children: they keep their order, as inside
  // one tree; after a node they come in reverse, as inside one tree.
  PLazyNode m = moved[0];
  moved.clear();
  target.OnNodeMoved = nullptr;
  target.MoveTo(m, top[1], amAddChildFirst, true);
  EXPECT_EQ(ChildIds(source, top[1]), (std::vector<Cardinal>{11, 12, 13}));
  EXPECT_EQ(moved.size(), 0u);
  EXPECT_EQ(m->ChildCount, 0u);
  target.MoveTo(m, top[1], amInsertAfter, false);
  target.MoveTo(dest[0], top[1], amInsertAfter, true);
  EXPECT_EQ(ChildIds(source, nullptr), (std::vector<Cardinal>{2, 71, 70, 1}));
  EXPECT_EQ(target.RootNodeCount(), 1u);
  treetest::ExpectConsistent(&source, "source 2");
  treetest::ExpectConsistent(&target, "target 2");

  // The node setter moves across trees too.
  PLazyNode two = source.RootNode()->FirstChild;
  source.SetNodeParent(two, dest[0]);
  EXPECT_EQ(ChildIds(target, dest[0]), (std::vector<Cardinal>{2}));
  EXPECT_EQ(ChildIds(source, nullptr), (std::vector<Cardinal>{71, 70, 1}));
  EXPECT_EQ(ChildIds(target, dest[0]->FirstChild), (std::vector<Cardinal>{11, 12, 13}));
}

TEST(LazyTrees_qn_CrossTree, CopiesFollowTheStreamOrderAndRefusalsLeaveNoTrace) {
  THostTree t, other;
  auto top = AddNodes(t, nullptr, {1, 2});
  AddNodes(t, top[1], {21, 22, 23});
  // A nil target copies to the first top-level place of the same tree.
  PLazyNode copy = t.CopyTo(top[1], static_cast<PLazyNode>(nullptr), amInsertAfter);
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(copy, t.RootNode()->FirstChild);
  EXPECT_EQ(ChildIds(t, nullptr), (std::vector<Cardinal>{2, 1, 2}));
  EXPECT_EQ(ChildIds(t, copy), (std::vector<Cardinal>{21, 22, 23}));
  treetest::ExpectConsistent(&t, "copy");

  // Children one after another as first children come out reversed.
  auto o = AddNodes(other, nullptr, {9});
  PLazyNode result = t.CopyTo(top[1], o[0], amAddChildFirst, true);
  EXPECT_EQ(result, o[0]);
  EXPECT_EQ(ChildIds(other, o[0]), (std::vector<Cardinal>{23, 22, 21}));
  EXPECT_EQ(ChildIds(t, top[1]), (std::vector<Cardinal>{21, 22, 23}));

  // Refused per node: the refused copies are deleted again.
  std::vector<PLazyNode> structure;
  other.OnStructureChange = [&](TBaseLazyTree_qn*, PLazyNode Node, TChangeReason Reason) {
    if (Reason == crNodeCopied) structure.push_back(Node);
  };
  other.OnNodeCopying = [&](TBaseLazyTree_qn* Sender, PLazyNode Node, PLazyNode Target, bool& Allowed) {
    EXPECT_EQ(Sender, &other);
    EXPECT_EQ(Target, nullptr);
    Allowed = other.Id(Node) != 22;
  };
  std::vector<Cardinal> copied;
  other.OnNodeCopied = [&](TBaseLazyTree_qn*, PLazyNode Node) { copied.push_back(other.Id(Node)); };
  Cardinal blocks = other.LiveNodeBlocks();
  t.CopyTo(top[1], &other, amAddChildLast, true);
  EXPECT_EQ(copied, (std::vector<Cardinal>{21, 23}));
  EXPECT_EQ(ChildIds(other, nullptr), (std::vector<Cardinal>{9, 21, 23}));
  EXPECT_EQ(other.LiveNodeBlocks(), blocks + 2);
  EXPECT_EQ(structure, (std::vector<PLazyNode>{nullptr}));
  EXPECT_NE(t.CopyTo(top[0], &other, amAddChildLast, false), nullptr);
  structure.clear();
  other.OnNodeCopying = [](TBaseLazyTree_qn*, PLazyNode, PLazyNode, bool& Allowed) { Allowed = false; };
  auto before = Picture(&other, other.RootNode()->FirstChild);
  EXPECT_EQ(t.CopyTo(top[1], &other, amAddChildLast, false), nullptr);
  EXPECT_EQ(Picture(&other, other.RootNode()->FirstChild), before);
  EXPECT_EQ(structure, (std::vector<PLazyNode>{top[1]}));
  treetest::ExpectConsistent(&other, "refused");
}

TEST(LazyTrees_qn_CrossTree, ReadOnlyTargetsTakeNothing) {
  THostTree t, locked;
  auto top = AddNodes(t, nullptr, {1, 2});
  auto l = AddNodes(locked, nullptr, {5});
  locked.SetMisc(toReadOnly, true);
  bool asked = false;
  t.OnNodeMoving = [&](TBaseLazyTree_qn*, PLazyNode, PLazyNode, bool&) { asked = true; };
  t.MoveTo(top[0], l[0], amAddChildLast);
  EXPECT_EQ(t.CopyTo(top[1], l[0], amAddChildLast), nullptr);
  EXPECT_FALSE(asked);
  EXPECT_EQ(ChildIds(t, nullptr), (std::vector<Cardinal>{1, 2}));
  EXPECT_EQ(locked.RootNode()->TotalCount, 2u);
  // A refused move changes neither tree.
  THostTree open;
  auto o = AddNodes(open, nullptr, {8});
  t.OnNodeMoving = [](TBaseLazyTree_qn*, PLazyNode, PLazyNode, bool& Allowed) { Allowed = false; };
  t.MoveTo(top[0], o[0], amInsertBefore);
  EXPECT_EQ(ChildIds(t, nullptr), (std::vector<Cardinal>{1, 2}));
  EXPECT_EQ(ChildIds(open, nullptr), (std::vector<Cardinal>{8}));
}

TEST(LazyTrees_qn_CrossTree, ATransferWhoseReadingFailsLeavesBothTreesAsTheyWere) {
  // The receiving tree's reader raises at the node with the given id: the
  // first one read, one deep inside, or the last one.
  struct TCase {
    bool Move, ChildrenOnly, SameTree;
    Cardinal FailAt;
    int Target;  // 0: the target tree's root, else the node with this id
    TVTNodeAttachMode Mode;
  };
  const TCase cases[] = {
      {false, false, false, 1, 7, amAddChildLast},    {false, false, false, 121, 0, amInsertAfter},
      {false, true, false, 13, 7, amAddChildFirst},   {false, false, true, 13, 2, amAddChildFirst},
      {false, true, true, 121, 2, amInsertBefore},    {true, false, false, 121, 7, amAddChildLast},
      {true, true, false, 13, 70, amInsertAfter},     {true, true, false, 11, 0, amAddChildLast},
      {true, false, false, 1, 70, amInsertBefore},
  };
  for (size_t i = 0; i < std::size(cases); ++i) {
    const TCase& c = cases[i];
    SCOPED_TRACE(i);
    THostTree source, other;
    source.SetMulti(true);
    other.SetMulti(true);
    auto top = AddNodes(source, nullptr, {1, 2});
    auto kids = AddNodes(source, top[0], {11, 12, 13});
    AddNodes(source, kids[1], {121});
    source.SetExpanded(top[0], true);
    for (PLazyNode n : {top[0], kids[1], kids[2]}) source.AddToSelection(n);
    auto seven = AddNodes(other, nullptr, {7});
    auto seventy = AddNodes(other, seven[0], {70});
    other.AddToSelection(seventy[0]);
    THostTree& target = c.SameTree ? source : other;
    PLazyNode at = c.Target == 0 ? target.RootNode()
                   : c.Target == 2 ? top[1]
                   : c.Target == 7 ? seven[0]
                                   : seventy[0];
    target.OnLoadNode = [&target, &c](TBaseLazyTree_qn*, PLazyNode Node, TStream* Stream) {
      Cardinal id = 0;
      Stream->Read(&id, 4);
      target.SetId(Node, id);
      if (id == c.FailAt) throw Exception(u"cannot take this one");
    };
    THostTree* trees[] = {&source, &other};
    std::vector<std::vector<TNodePicture>> pictures;
    std::vector<Integer> selected;
    std::vector<Cardinal> blocks;
    for (THostTree* t : trees) {
      pictures.push_back(Picture(t, t->RootNode()->FirstChild));
      selected.push_back(t->SelectedCount());
      blocks.push_back(t->LiveNodeBlocks());
    }
    if (c.Move) EXPECT_THROW(source.MoveTo(top[0], at, c.Mode, c.ChildrenOnly), Exception);
    else EXPECT_THROW(source.CopyTo(top[0], at, c.Mode, c.ChildrenOnly), Exception);
    for (size_t k = 0; k < 2; ++k) {
      THostTree* t = trees[k];
      EXPECT_EQ(Picture(t, t->RootNode()->FirstChild), pictures[k]) << k;
      EXPECT_EQ(t->SelectedCount(), selected[k]) << k;
      EXPECT_EQ(t->LiveNodeBlocks(), blocks[k]) << k;
      treetest::ExpectConsistent(t, "after the failed transfer");
      // Every entry of the selection is a live node of the tree.
      t->ClearSelection();
    }
  }
}

TEST(LazyTrees_qn_CrossTree, HandlersThatDeleteCopiesWhileACopyRunsLeaveASoundSelection) {
  // Four selected children copied into another tree, whose OnNodeCopied
  // deletes the copy made before; the reader raises at the last one, or not.
  for (bool fail : {false, true}) {
    SCOPED_TRACE(fail);
    THostTree source, other;
    source.SetMulti(true);
    other.SetMulti(true);
    PLazyNode parent = AddNodes(source, nullptr, {1})[0];
    for (PLazyNode n : AddNodes(source, parent, {11, 12, 13, 14})) source.AddToSelection(n);
    AddNodes(other, nullptr, {7});
    PLazyNode previous = nullptr;
    other.OnNodeCopied = [&](TBaseLazyTree_qn*, PLazyNode Node) {
      if (previous) other.DeleteNode(previous);
      previous = Node;
    };
    other.OnLoadNode = [&](TBaseLazyTree_qn*, PLazyNode Node, TStream* Stream) {
      Cardinal id = 0;
      Stream->Read(&id, 4);
      other.SetId(Node, id);
      if (fail && id == 14) throw Exception(u"cannot take this one");
    };
    if (fail) EXPECT_THROW(source.CopyTo(parent, &other, amAddChildLast, true), Exception);
    else source.CopyTo(parent, &other, amAddChildLast, true);
    EXPECT_EQ(ChildIds(other, nullptr), fail ? (std::vector<Cardinal>{7}) : (std::vector<Cardinal>{7, 14}));
    EXPECT_EQ(other.SelectedCount(), fail ? 0 : 1);
    EXPECT_EQ(other.LiveNodeBlocks(), other.RootNode()->TotalCount);
    treetest::ExpectConsistent(&other, "other");
    // Every entry of the selection is a live node of the tree.
    other.ClearSelection();
  }
}

TEST(LazyTrees_qn_CrossTree, ATargetTheTreeHasNotInitializedGetsItsOwnChildrenBeforeTheNewOnes) {
  // The host gives every top-level node two children (id 0) when it is
  // initialized; the target is not, until the transfer.
  for (bool move : {false, true})
    for (bool sameTree : {false, true})
      for (TVTNodeAttachMode mode : {amAddChildFirst, amAddChildLast}) {
        SCOPED_TRACE(testing::Message() << move << sameTree << int(mode));
        THostTree source, other;
        THostTree& target = sameTree ? source : other;
        PLazyNode node = AddNodes(source, nullptr, {5})[0];
        PLazyNode at = target.AddChild(nullptr);
        target.OnInitNode = [](TBaseLazyTree_qn*, PLazyNode Parent, PLazyNode, TLazyNodeInitStates& States) {
          if (!Parent) States.Include(ivsHasChildren);
        };
        target.OnInitChildren = [](TBaseLazyTree_qn*, PLazyNode, Cardinal& Count) { Count = 2; };
        if (move) source.MoveTo(node, at, mode);
        else source.CopyTo(node, at, mode);
        EXPECT_EQ(ChildIds(target, at),
                  mode == amAddChildFirst ? (std::vector<Cardinal>{5, 0, 0}) : (std::vector<Cardinal>{0, 0, 5}));
        treetest::ExpectConsistent(&target, "target");
      }
}

TEST(LazyTrees_qn_CrossTree, RandomMovesAndCopiesKeepBothTreesConsistent) {
  std::mt19937 rng(2129);
  auto pick = [&](size_t n) { return size_t(std::uniform_int_distribution<size_t>(0, n - 1)(rng)); };
  THostTree a, b;
  a.SetMulti(true);
  b.SetMulti(true);
  Cardinal nextId = 0;
  BuildRandom(&a, rng, nextId, 40);
  BuildRandom(&b, rng, nextId, 40);
  THostTree* trees[2] = {&a, &b};
  Cardinal moves = 0, copies = 0, refusedInside = 0;
  for (int step = 0; step < 500; ++step) {
    SCOPED_TRACE(step);
    THostTree* from = trees[pick(2)];
    THostTree* to = trees[pick(2)];
    auto sources = treetest::AllNodes(from);
    auto targets = treetest::AllNodes(to);
    if (sources.empty()) continue;
    PLazyNode source = sources[pick(sources.size())];
    PLazyNode target = targets.empty() || pick(8) == 0 ? to->RootNode() : targets[pick(targets.size())];
    auto mode = TVTNodeAttachMode(1 + pick(4));
    bool childrenOnly = pick(3) == 0;
    if (pick(2) == 0 || from->RootNode()->TotalCount > 150 || to->RootNode()->TotalCount > 150) {
      try {
        from->MoveTo(source, target, mode, childrenOnly);
        ++moves;
      } catch (const ELazyTreeError& e) {
        EXPECT_EQ(e.HelpContext, hcTFEWrongMove);
        ++refusedInside;
      }
    } else {
      from->CopyTo(source, target, mode, childrenOnly);
      ++copies;
    }
    treetest::ExpectConsistent(&a, "a");
    treetest::ExpectConsistent(&b, "b");
    ASSERT_FALSE(HasFailure());
    for (THostTree* t : trees) {
      // Every selected node is in the selection and nothing else is.
      Integer selected = 0;
      for (PLazyNode n : treetest::AllNodes(t)) selected += n->States.Contains(vsSelected) ? 1 : 0;
      EXPECT_EQ(selected, t->SelectedCount());
      EXPECT_EQ(t->LiveNodeBlocks(), t->RootNode()->TotalCount);
    }
  }
  EXPECT_GT(moves, 100u);
  EXPECT_GT(copies, 100u);
}

}  // namespace t_lazy_trees_qn_cross_tree_test
