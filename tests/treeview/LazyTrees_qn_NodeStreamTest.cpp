// The node stream: exact bytes of known trees, old layouts, round trips of
// random trees against their own picture, adding under random targets, and
// streams that are truncated, corrupt or hostile.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <random>
#include <string>

#include "tests/treeview/LazyTrees_qn_StreamTestSupport.h"

namespace t_lazy_trees_qn_node_stream_test {

using namespace qn;
using namespace streamtest;

namespace {

// a (id 1, expanded, checked check box, selected) > b (id 2, expanded) > c
// (id 3), then d (id 0: no user data) at the top; captions "a" to "d".
TBytesV GoldenTree() {
  return {MAGIC(2), U32(2),
          // a
          U32(1), U32(157),
          U32(2), U32(127), U32(1), U32(18), U16(0x1E1), 50, 2, 2, U32(0),
          // b
          U32(1), U32(102),
          U32(2), U32(72), U32(1), U32(18), U16(0xE1), 50, 0, 0, U32(0),
          // c
          U32(1), U32(47),
          U32(2), U32(17), U32(0), U32(18), U16(0x81), 50, 0, 0, U32(0),
          U32(4), U32(4), U32(3),
          U32(3), U32(2), U16('c'),
          // the rest of b
          U32(4), U32(4), U32(2),
          U32(3), U32(2), U16('b'),
          // the rest of a
          U32(4), U32(4), U32(1),
          U32(3), U32(2), U16('a'),
          // d
          U32(1), U32(35),
          U32(2), U32(17), U32(0), U32(18), U16(0x81), 50, 0, 0, U32(0),
          U32(3), U32(2), U16('d')};
}
constexpr size_t GoldenB = 49, GoldenBSize = 110;

void BuildGolden(THostTree& T) {
  T.SetMulti(true);
  PLazyNode a = T.AddChild(nullptr);
  PLazyNode d = T.AddChild(nullptr);
  PLazyNode b = T.AddChild(a);
  PLazyNode c = T.AddChild(b);
  Cardinal id = 0;
  for (PLazyNode n : {a, b, c}) {
    T.InitNode(n);
    T.SetId(n, ++id);
  }
  T.InitNode(d);
  T.Captions = {{0, u"d"}, {1, u"a"}, {2, u"b"}, {3, u"c"}};
  T.SetExpanded(a, true);
  T.SetExpanded(b, true);
  T.SetCheckType(a, ctCheckBox);
  T.SetCheckState(a, csCheckedNormal);
  T.AddToSelection(a);
}

Integer HelpContextOf(const std::function<void()>& F) {
  try {
    F();
  } catch (const ELazyTreeError& e) {
    return e.HelpContext;
  } catch (const EReadError&) {
    return -1;
  }
  return 0;
}

}  // namespace

TEST(LazyTrees_qn_NodeStream, EmptyTreeIsTheHeaderAndACountOfZero) {
  THostTree t;
  EXPECT_EQ(Save(&t), (TBytesV{MAGIC(2), U32(0)}));
  THostTree u;
  u.AddChild(nullptr);
  int copied = 0;
  u.OnNodeCopied = [&](TBaseLazyTree_qn*, PLazyNode Node) {
    EXPECT_EQ(Node, nullptr);
    ++copied;
  };
  auto s = StreamOf(Save(&t));
  u.LoadFromStream(s.get());
  EXPECT_EQ(u.RootNodeCount(), 0u);
  EXPECT_EQ(copied, 1);
}

TEST(LazyTrees_qn_NodeStream, KnownTreesWriteTheirExactBytesAndReadBack) {
  THostTree t;
  BuildGolden(t);
  EXPECT_EQ(Save(&t), GoldenTree());

  // One node alone: a count of 1 and exactly b's chunk from the tree.
  TBytesV single{MAGIC(2), U32(1)};
  TBytesV golden = GoldenTree();
  single.insert(single.end(), golden.begin() + GoldenB, golden.begin() + GoldenB + GoldenBSize);
  EXPECT_EQ(Save(&t, t.RootNode()->FirstChild->FirstChild), single);

  THostTree u;
  u.SetMulti(true);
  auto s = StreamOf(golden);
  u.LoadFromStream(s.get());
  EXPECT_EQ(Picture(&u, u.RootNode()->FirstChild), Picture(&t, t.RootNode()->FirstChild));
  treetest::ExpectConsistent(&u, "golden");
  ASSERT_EQ(u.SelectedCount(), 1);
  EXPECT_EQ(u.GetFirstSelected(), u.RootNode()->FirstChild);
  EXPECT_EQ(u.VisibleCount(), 4u);

  // A tree that knows no captions skips their chunks and reads the rest.
  TBaseLazyTree_qn plain(nullptr);
  plain.SetNodeDataSize(4);
  std::vector<Cardinal> ids;
  plain.OnLoadNode = [&](TBaseLazyTree_qn*, PLazyNode, TStream* S) {
    Cardinal id;
    S->Read(&id, 4);
    ids.push_back(id);
  };
  s->SetPosition(0);
  plain.LoadFromStream(s.get());
  EXPECT_EQ(ids, (std::vector<Cardinal>{3, 2, 1}));
  EXPECT_EQ(plain.TotalCount(), 4u);
  treetest::ExpectConsistent(&plain, "plain");
}

TEST(LazyTrees_qn_NodeStream, UnknownChunksAreSkippedAndShortUserReadersRepositioned) {
  TBytesV bytes = GoldenTree();
  // d gains a chunk of type 9 with five bytes: its size grows by 13.
  size_t d = bytes.size() - 43;
  bytes[d + 4] = 35 + 13;
  TBytesV extra{U32(9), U32(5), 1, 2, 3, 4, 5};
  bytes.insert(bytes.begin() + long(d) + 8 + 25, extra.begin(), extra.end());
  THostTree t, u;
  BuildGolden(t);
  u.SetMulti(true);
  // A handler that reads two of the four bytes: the reader moves on anyway.
  u.OnLoadNode = [&](TBaseLazyTree_qn*, PLazyNode Node, TStream* S) {
    Cardinal id = 0;
    S->Read(&id, 2);
    u.SetId(Node, id);
  };
  auto s = StreamOf(bytes);
  u.LoadFromStream(s.get());
  EXPECT_EQ(Picture(&u, u.RootNode()->FirstChild), Picture(&t, t.RootNode()->FirstChild));
}

TEST(LazyTrees_qn_NodeStream, VersionOneStreamsMapTheOldSelectedBit) {
  // No root count, 12-byte bodies, loaded until the stream ends.
  TBytesV bytes{MAGIC(1),
                U32(1), U32(20), U32(2), U32(12), U32(0), U32(20), 0x81, 50, 0, 0,
                U32(1), U32(20), U32(2), U32(12), U32(0), U32(22), 0x01, 50, 0, 0};
  for (bool multi : {true, false}) {
    THostTree t;
    t.SetMulti(multi);
    auto s = StreamOf(bytes);
    t.LoadFromStream(s.get());
    ASSERT_EQ(t.RootNodeCount(), 2u);
    PLazyNode first = t.RootNode()->FirstChild, second = first->NextSibling;
    EXPECT_TRUE(first->States.Contains(vsVisible));
    EXPECT_EQ(first->States.Contains(vsSelected), multi);
    EXPECT_TRUE(second->States.Contains(vsVisible));
    EXPECT_FALSE(second->States.Contains(vsSelected));
    EXPECT_EQ(second->NodeHeight, 22);
    EXPECT_EQ(t.SelectedCount(), multi ? 1 : 0);
    treetest::ExpectConsistent(&t, "version 1");
  }
}

TEST(LazyTrees_qn_NodeStream, HeaderErrorsDifferPerLoader) {
  TBytesV good = GoldenTree();
  TBytesV wrongFirst = good;
  wrongFirst[0] = 0x46;
  TBytesV version3 = good;
  version3[6] = 3;
  TBytesV anyUnit4 = good;
  anyUnit4[8] = 0x77;
  TBytesV shortHeader(good.begin(), good.begin() + 11);

  auto load = [](const TBytesV& B) {
    THostTree t;
    t.AddChild(nullptr);
    auto s = StreamOf(B);
    Integer hc = HelpContextOf([&] { t.LoadFromStream(s.get()); });
    // The tree is cleared before the header is read.
    EXPECT_EQ(t.RootNodeCount(), hc == 0 ? 2u : 0u);
    return hc;
  };
  auto add = [](const TBytesV& B) {
    THostTree t;
    t.AddChild(nullptr);
    auto s = StreamOf(B);
    Integer hc = HelpContextOf([&] { t.AddFromStream(s.get(), nullptr); });
    EXPECT_EQ(t.RootNodeCount(), hc == 0 ? 3u : 1u);
    return hc;
  };
  EXPECT_EQ(load(wrongFirst), hcTFEWrongStreamFormat);
  EXPECT_EQ(add(wrongFirst), hcTFEWrongStreamVersion);
  EXPECT_EQ(load(version3), hcTFEWrongStreamVersion);
  EXPECT_EQ(add(version3), hcTFEWrongStreamVersion);
  EXPECT_EQ(load(shortHeader), hcTFEStreamTooSmall);
  EXPECT_EQ(add(shortHeader), -1);  // the stream's own read error
  EXPECT_EQ(load(anyUnit4), 0);
  EXPECT_EQ(add(anyUnit4), 0);
}

TEST(LazyTrees_qn_NodeStream, RandomTreesSurviveARoundTrip) {
  std::mt19937 rng(129);
  for (int round = 0; round < 200; ++round) {
    SCOPED_TRACE(round);
    THostTree t;
    bool multi = round % 3 != 0;
    bool initOnSave = round % 4 != 0;
    t.SetMulti(multi);
    t.SetMisc(toInitOnSave, initOnSave);
    Cardinal nextId = 0;
    BuildRandom(&t, rng, nextId);
    TBytesV bytes = Save(&t);
    if (initOnSave) {
      for (PLazyNode n : treetest::AllNodes(&t)) EXPECT_TRUE(n->States.Contains(vsInitialized));
    }
    THostTree u;
    u.SetMulti(multi);
    auto s = StreamOf(bytes);
    u.LoadFromStream(s.get());
    auto expected = Picture(&t, t.RootNode()->FirstChild);
    if (!multi)
      for (auto& p : expected) std::get<3>(p) = Word(std::get<3>(p) & ~TLazyNodeStates::Bit(vsSelected));
    ASSERT_EQ(Picture(&u, u.RootNode()->FirstChild), expected);
    treetest::ExpectConsistent(&u, "loaded");
    if (multi) {
      EXPECT_EQ(u.SelectedCount(), t.SelectedCount());
    }
    // A loaded tree's stream reads back to the same stream.
    TBytesV again = Save(&u);
    THostTree w;
    w.SetMulti(multi);
    auto s2 = StreamOf(again);
    w.LoadFromStream(s2.get());
    EXPECT_EQ(Save(&w), again);
  }
}

namespace {
// The layout written out plainly, one call per level: the reference for
// the writer on shallow trees.
void ReferenceNode(THostTree& T, PLazyNode N, TBytesV& Out) {
  auto put = [&](size_t At, size_t Value) {
    Cardinal v = Cardinal(Value);
    std::memcpy(&Out[At], &v, 4);
  };
  auto append = [&](std::initializer_list<Byte> B) { Out.insert(Out.end(), B); };
  size_t start = Out.size();
  append({U32(1), U32(0)});
  size_t base = Out.size();
  Word states = Word(N->States.Load() & ~0x2216u);
  append({U32(2), U32(0), U32(N->ChildCount), U32(N->NodeHeight), U16(states), N->Align, Byte(N->CheckState),
          Byte(N->CheckType), U32(0)});
  for (PLazyNode c = N->FirstChild; c; c = c->NextSibling) ReferenceNode(T, c, Out);
  put(base + 4, Out.size() - base - 8);
  if (Cardinal id = T.Id(N)) append({U32(4), U32(4), U32(id)});
  auto caption = T.Captions.find(T.Id(N));
  if (N->States.Contains(vsInitialized) && caption != T.Captions.end() && !caption->second.empty()) {
    append({U32(3), U32(2 * caption->second.size())});
    for (char16_t ch : caption->second) append({U16(ch)});
  }
  put(start + 4, Out.size() - start - 8);
}
}  // namespace

TEST(LazyTrees_qn_NodeStream, RandomTreesWriteWhatTheReferenceWrites) {
  std::mt19937 rng(4242);
  for (int round = 0; round < 150; ++round) {
    SCOPED_TRACE(round);
    THostTree t;
    t.SetMulti(round % 2 == 0);
    t.SetMisc(toInitOnSave, false);
    Cardinal nextId = 0;
    BuildRandom(&t, rng, nextId);
    // Some nodes uninitialized with children.
    std::vector<PLazyNode> all = treetest::AllNodes(&t);
    for (size_t i = 0; i < all.size(); i += 5)
      if (all[i]->ChildCount > 0) all[i]->States.Exclude(vsInitialized);
    TBytesV expected{MAGIC(2), U32(t.RootNode()->ChildCount)};
    for (PLazyNode n = t.RootNode()->FirstChild; n; n = n->NextSibling) ReferenceNode(t, n, expected);
    ASSERT_EQ(Save(&t), expected);
    PLazyNode one = all[size_t(rng() % all.size())];
    expected = {MAGIC(2), U32(1)};
    ReferenceNode(t, one, expected);
    ASSERT_EQ(Save(&t, one), expected);
  }
}

TEST(LazyTrees_qn_NodeStream, EachNodeIsSavedAfterItsChildren) {
  // "i" initializes a node, "c" its children, "s" saves its user data and
  // "t" asks for its caption; nodes are named by their index path.
  struct TCase {
    const char* Name;
    bool InitOnSave;
    std::vector<std::string> Events;
  };
  const TCase cases[] = {
      {"initialized", false, {"s 0.0", "t 0.0", "s 0", "t 0", "s 1", "t 1"}},
      {"initialized on saving",
       true,
       {"i 0", "c 0", "i 0.0", "s 0.0", "t 0.0", "i 0.1", "s 0.1", "t 0.1", "s 0", "t 0", "i 1", "c 1", "i 1.0",
        "s 1.0", "t 1.0", "i 1.1", "s 1.1", "t 1.1", "s 1", "t 1"}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    THostTree t;
    t.SetMisc(toInitOnSave, c.InitOnSave);
    std::vector<std::string> events;
    std::function<std::string(PLazyNode)> name = [&](PLazyNode N) -> std::string {
      std::string own = std::to_string(N->Index);
      return N->Parent == t.RootNode() ? own : name(N->Parent) + "." + own;
    };
    t.OnInitNode = [&](TBaseLazyTree_qn*, PLazyNode Parent, PLazyNode N, TLazyNodeInitStates& S) {
      events.push_back("i " + name(N));
      t.SetId(N, 1);
      if (!Parent) S.Include(ivsHasChildren);
    };
    t.OnInitChildren = [&](TBaseLazyTree_qn*, PLazyNode N, Cardinal& Count) {
      events.push_back("c " + name(N));
      Count = 2;
    };
    t.SetOnGetText([&](TBaseLazyTree_qn*, PLazyNode N, TColumnIndex, TVSTTextType Type, String& Text) {
      if (Type == ttNormal) events.push_back("t " + name(N));
      Text = u"x";
    });
    t.OnSaveNode = [&](TBaseLazyTree_qn*, PLazyNode N, TStream* S) {
      events.push_back("s " + name(N));
      Cardinal id = 1;
      S->Write(&id, 4);
    };
    t.SetRootNodeCount(2);
    if (!c.InitOnSave) {
      // Only the first node's first child exists, and every node is
      // initialized.
      t.ValidateNode(t.RootNode()->FirstChild, false);
      t.SetChildCount(t.RootNode()->FirstChild, 1);
      t.ValidateNode(nullptr, true);
      t.SetChildCount(t.RootNode()->LastChild, 0);
    }
    events.clear();
    Save(&t);
    EXPECT_EQ(events, c.Events);
  }
}

TEST(LazyTrees_qn_NodeStream, AddFromStreamAppendsUnderRandomTargets) {
  std::mt19937 rng(4129);
  for (int round = 0; round < 60; ++round) {
    SCOPED_TRACE(round);
    THostTree source, target;
    source.SetMulti(true);
    target.SetMulti(true);
    Cardinal nextId = 0;
    BuildRandom(&source, rng, nextId, 20);
    BuildRandom(&target, rng, nextId, 30);
    auto nodes = treetest::AllNodes(&target);
    size_t pickAt = std::uniform_int_distribution<size_t>(0, nodes.size())(rng);
    PLazyNode at = pickAt == nodes.size() ? nullptr : nodes[pickAt];
    if (at && !at->States.Contains(vsInitialized)) target.InitNode(at);
    PLazyNode parent = at ? at : target.RootNode();
    Cardinal before = parent->ChildCount;
    Cardinal selectedBefore = Cardinal(target.SelectedCount());
    PLazyNode copiedNode = reinterpret_cast<PLazyNode>(1);
    target.OnNodeCopied = [&](TBaseLazyTree_qn*, PLazyNode Node) { copiedNode = Node; };
    auto s = StreamOf(Save(&source));
    target.AddFromStream(s.get(), at);
    EXPECT_EQ(copiedNode, at);
    ASSERT_EQ(parent->ChildCount, before + source.RootNodeCount());
    PLazyNode first = parent->FirstChild;
    for (Cardinal i = 0; i < before; ++i) first = first->NextSibling;
    // The source's captions live in its own book; the target learns them.
    EXPECT_EQ(Picture(&target, first), Picture(&source, source.RootNode()->FirstChild));
    EXPECT_EQ(Cardinal(target.SelectedCount()), selectedBefore + Cardinal(source.SelectedCount()));
    treetest::ExpectConsistent(&target, "after add");
  }
}

TEST(LazyTrees_qn_NodeStream, EveryCutBeforeTheLastCountedNodeRaisesAndLeavesTheTargetAsItWas) {
  // Saved streams cut at every length: the golden tree followed by the
  // host's own tail (a cut inside the tail still has every counted node),
  // random trees (ids from 100 on, so their captions leave the golden
  // ones alone), and a save that broke off in the second node.
  struct TShape {
    TBytesV Bytes;
    size_t NodesEnd;
  };
  std::vector<TShape> shapes;
  TBytesV golden = GoldenTree();
  shapes.push_back({golden, golden.size()});
  shapes[0].Bytes.insert(shapes[0].Bytes.end(), {'t', 'a', 'i', 'l'});
  std::mt19937 rng(282);
  Cardinal nextId = 100;
  for (int i = 0; i < 3; ++i) {
    THostTree t;
    t.SetMulti(true);
    BuildRandom(&t, rng, nextId, 14);
    TBytesV bytes = Save(&t);
    shapes.push_back({bytes, bytes.size()});
  }
  {
    THostTree t;
    BuildGolden(t);
    t.OnSaveNode = [](TBaseLazyTree_qn*, PLazyNode Node, TStream*) {
      if (Node->Index == 1) throw Exception(u"host failure");
    };
    TMemoryStream s;
    EXPECT_THROW(t.SaveToStream(&s), Exception);
    const Byte* p = static_cast<const Byte*>(s.Memory());
    TBytesV broken(p, p + s.Size());
    // The whole broken save is a cut of its own.
    shapes.push_back({broken, broken.size() + 1});
  }
  for (size_t k = 0; k < shapes.size(); ++k) {
    const TShape& shape = shapes[k];
    for (size_t cut = 0; cut <= shape.Bytes.size(); ++cut) {
      SCOPED_TRACE(testing::Message() << "shape " << k << " cut " << cut);
      const bool whole = cut >= shape.NodesEnd;
      TBytesV part(shape.Bytes.begin(), shape.Bytes.begin() + long(cut));
      {
        THostTree t;
        t.SetMulti(true);
        t.AddChild(nullptr);
        auto s = StreamOf(part);
        Integer hc = HelpContextOf([&] { t.LoadFromStream(s.get()); });
        EXPECT_EQ(hc == 0, whole);
        if (!whole) {
          EXPECT_EQ(t.RootNodeCount(), 0u);
          EXPECT_EQ(t.SelectedCount(), 0);
          EXPECT_EQ(t.LiveNodeBlocks(), 1u);
        }
        treetest::ExpectConsistent(&t, "load");
      }
      {
        THostTree t;
        t.SetMulti(true);
        BuildGolden(t);
        auto before = Picture(&t, t.RootNode()->FirstChild);
        const Cardinal blocks = t.LiveNodeBlocks();
        auto s = StreamOf(part);
        Integer hc = HelpContextOf([&] { t.AddFromStream(s.get(), t.RootNode()->FirstChild->FirstChild); });
        EXPECT_EQ(hc == 0, whole);
        if (!whole) {
          EXPECT_EQ(Picture(&t, t.RootNode()->FirstChild), before);
          EXPECT_EQ(t.SelectedCount(), 1);
          EXPECT_EQ(t.LiveNodeBlocks(), blocks);
        }
        treetest::ExpectConsistent(&t, "add");
      }
    }
  }
  // Without a count the nodes run to the end of the stream: a version 1
  // stream cut between its nodes loads the ones before the cut.
  TBytesV one{MAGIC(1), U32(1), U32(20), U32(2), U32(12), U32(0), U32(20), 0x81, 50, 0, 0};
  TBytesV two = one;
  two.insert(two.end(), one.begin() + 12, one.end());
  for (const TBytesV& bytes : {one, two}) {
    THostTree t;
    auto s = StreamOf(bytes);
    t.LoadFromStream(s.get());
    EXPECT_EQ(t.RootNodeCount(), bytes.size() == one.size() ? 1u : 2u);
  }
}

TEST(LazyTrees_qn_NodeStream, HostileChunksEndInOrderlyErrors) {
  auto load = [](const TBytesV& B) {
    THostTree t;
    t.SetMulti(true);
    auto s = StreamOf(B);
    Integer hc = HelpContextOf([&] { t.LoadFromStream(s.get()); });
    treetest::ExpectConsistent(&t, "hostile");
    return hc;
  };
  const TBytesV base{U32(2), U32(17), U32(0), U32(18), U16(0x81), 50, 0, 0, U32(0)};
  auto node = [&](Integer Size, const TBytesV& Body) {
    TBytesV out{MAGIC(2), U32(1), U32(1), U32(Cardinal(Size))};
    out.insert(out.end(), Body.begin(), Body.end());
    return out;
  };
  // A first chunk that is not a node.
  EXPECT_EQ(load(TBytesV{MAGIC(2), U32(1), U32(2), U32(17)}), hcTFECorruptStream1);
  // Negative and oversized node sizes.
  EXPECT_EQ(load(node(-8, base)), hcTFECorruptStream2);
  EXPECT_EQ(load(node(1000, base)), hcTFECorruptStream2);
  // Sub-chunks running past the node's end.
  EXPECT_EQ(load(node(20, base)), hcTFECorruptStream2);
  TBytesV user = base;
  user.insert(user.end(), {U32(4), U32(100), 1, 2, 3, 4});
  EXPECT_EQ(load(node(Integer(user.size()), user)), hcTFECorruptStream2);
  TBytesV negative = base;
  negative.insert(negative.end(), {U32(7), U32(0xFFFFFFF0)});
  EXPECT_EQ(load(node(Integer(negative.size()), negative)), hcTFECorruptStream2);
  // A body that promises four billion children with none following: the
  // missing anchor is found at once, nothing is allocated for the count.
  TBytesV greedy{U32(2), U32(17), U32(0xFFFFFFFF), U32(18), U16(0xE1), 50, 0, 0, U32(0)};
  EXPECT_EQ(load(node(25, greedy)), hcTFECorruptStream1);
  // A base chunk shorter than its body.
  TBytesV stub{U32(2), U32(3), 1, 2, 3};
  EXPECT_EQ(load(node(11, stub)), hcTFECorruptStream2);
  // An odd caption: the whole characters are read, the odd byte skipped.
  TBytesV odd = base;
  odd.insert(odd.end(), {U32(3), U32(5), U16('x'), U16('y'), 0x7A});
  {
    THostTree t;
    auto s = StreamOf(node(Integer(odd.size()), odd));
    t.LoadFromStream(s.get());
    EXPECT_EQ(t.Captions[0], u"xy");
  }
}

TEST(LazyTrees_qn_NodeStream, TransientFlagsFromAStreamAreDropped) {
  // Deleting, toggling, clearing, checking, cut/copy and the hidden-children
  // flag all set on a childless node; invalid check values and alignment.
  Word states = Word(0x01 | 0x80 | 0x2216 | 0x0800 | 0x4000 | 0x0400 | 0x20);
  TBytesV bytes{MAGIC(2), U32(1), U32(1), U32(25), U32(2), U32(17), U32(0), U32(18), U16(states), 200, 9, 9, U32(0)};
  THostTree t;
  auto s = StreamOf(bytes);
  t.LoadFromStream(s.get());
  PLazyNode n = t.RootNode()->FirstChild;
  ASSERT_NE(n, nullptr);
  EXPECT_EQ(n->States.Load() & (0x2216 | 0x0800 | 0x4000), 0);
  EXPECT_FALSE(n->States.Contains(vsExpanded));  // no children to show
  EXPECT_TRUE(n->States.Contains(vsAllChildrenHidden));
  EXPECT_EQ(n->CheckState, csUncheckedNormal);
  EXPECT_EQ(n->CheckType, ctNone);
  EXPECT_LE(n->Align, 100);
  treetest::ExpectConsistent(&t, "transient");
  t.DeleteNode(n);
  EXPECT_EQ(t.RootNodeCount(), 0u);
  EXPECT_EQ(t.LiveNodeBlocks(), 1u);
}

TEST(LazyTrees_qn_NodeStream, DeepChainsSaveAndLoadBackAtAnyDepth) {
  // Deeper than a reader once allowed: what is saved loads, and adds under
  // its own deepest node.
  constexpr size_t Depth = 5000;
  THostTree t;
  treetest::BuildChain(&t, Depth);
  EXPECT_EQ(Save(&t).size(), 16 + 33 * Depth);
  TBytesV chain = ChainStream(Depth);
  THostTree u;
  auto s = StreamOf(chain);
  u.LoadFromStream(s.get());
  EXPECT_EQ(ChainDepth(u.RootNode()->FirstChild), Depth);
  EXPECT_EQ(u.RootNode()->TotalCount, Depth + 1);
  EXPECT_EQ(Difference(Save(&u), chain), "");
  PLazyNode bottom = u.RootNode()->FirstChild;
  while (bottom->FirstChild) bottom = bottom->FirstChild;
  s->SetPosition(0);
  u.AddFromStream(s.get(), bottom);
  EXPECT_EQ(ChainDepth(u.RootNode()->FirstChild), 2 * Depth);
  EXPECT_EQ(u.RootNode()->TotalCount, 2 * Depth + 1);
}

TEST(LazyTrees_qn_NodeStream, AMillionLevelsAreBuiltSavedLoadedCopiedAndFreed) {
  // On a 1 MB stack, where a native frame per level would end after a few
  // thousand.
  constexpr size_t Depth = 1000000;
  treetest::RunOnSmallStack([&] {
    TBaseLazyTree_qn t(nullptr);
    treetest::BuildChain(&t, Depth);
    TBytesV saved = Save(&t);
    ASSERT_EQ(saved.size(), 16 + 33 * Depth);
    TBaseLazyTree_qn u(nullptr);
    auto s = StreamOf(saved);
    u.LoadFromStream(s.get());
    EXPECT_EQ(ChainDepth(u.RootNode()->FirstChild), Depth);
    saved = Save(&u);
    EXPECT_EQ(saved.size(), 16 + 33 * Depth);

    auto w = std::make_unique<TBaseLazyTree_qn>(nullptr);
    ASSERT_NE(u.CopyTo(u.RootNode()->FirstChild, w.get(), amAddChildLast), nullptr);
    EXPECT_EQ(w->RootNode()->TotalCount, Depth + 1);
    EXPECT_EQ(Difference(Save(w.get()), saved), "");
    w.reset();
    t.Clear();
    EXPECT_EQ(t.LiveNodeBlocks(), 1u);
    // u goes with its chain.
  });
}

TEST(LazyTrees_qn_NodeStream, ChildrenOfUninitializedNodesAreSavedWithThem) {
  // p (visible, with children, never initialized) > c (initialized, id 7).
  TBytesV c{U32(1), U32(37), U32(2), U32(17), U32(0), U32(18), U16(0x481), 50, 0, 0, U32(0), U32(4), U32(4), U32(7)};
  TBytesV bytes{MAGIC(2), U32(1), U32(1), U32(70), U32(2), U32(62), U32(1), U32(18), U16(0xC0), 50, 0, 0, U32(0)};
  bytes.insert(bytes.end(), c.begin(), c.end());
  for (bool initOnSave : {false, true}) {
    SCOPED_TRACE(initOnSave);
    THostTree t;
    t.SetMisc(toInitOnSave, initOnSave);
    auto s = StreamOf(bytes);
    t.LoadFromStream(s.get());
    ASSERT_FALSE(t.RootNode()->FirstChild->States.Contains(vsInitialized));
    TBytesV saved = Save(&t);
    if (!initOnSave) {
      EXPECT_EQ(Difference(saved, bytes), "");
    }
    THostTree u;
    s = StreamOf(saved);
    u.LoadFromStream(s.get());
    ASSERT_EQ(u.RootNode()->TotalCount, 3u);
    EXPECT_EQ(u.Id(u.RootNode()->FirstChild->FirstChild), 7u);
  }
}

TEST(LazyTrees_qn_NodeStream, ReadOnlyTreesIgnoreLoadsAndFilesRoundTrip) {
  THostTree t;
  BuildGolden(t);
  auto before = Picture(&t, t.RootNode()->FirstChild);
  t.SetMisc(toReadOnly, true);
  TBytesV other{MAGIC(2), U32(0)};
  auto s = StreamOf(other);
  t.LoadFromStream(s.get());
  s->SetPosition(0);
  t.AddFromStream(s.get(), nullptr);
  EXPECT_EQ(Picture(&t, t.RootNode()->FirstChild), before);

  auto path = std::filesystem::temp_directory_path() / ("qn-nodestream-" + std::to_string(::getpid()) + ".vtd");
  String name = FromUtf8(path.string());
  t.SaveToFile(name);
  EXPECT_EQ(std::filesystem::file_size(path), GoldenTree().size());
  THostTree u;
  u.SetMulti(true);
  u.LoadFromFile(name);
  EXPECT_EQ(Picture(&u, u.RootNode()->FirstChild), before);
  std::filesystem::remove(path);
}

TEST(LazyTrees_qn_NodeStream, TreeEventsSurroundTheNodesOfAWholeLoad) {
  THostTree t;
  BuildGolden(t);
  t.OnSaveTree = [](TBaseLazyTree_qn*, TStream* S) { S->Write("tail", 4); };
  TBytesV bytes = Save(&t);
  ASSERT_EQ(bytes.size(), GoldenTree().size() + 4);
  EXPECT_EQ(std::string(bytes.end() - 4, bytes.end()), "tail");
  // The root count stops the nodes before the tree's own data.
  std::string seen;
  THostTree u;
  u.OnLoadTree = [&](TBaseLazyTree_qn*, TStream* S) {
    char b[4];
    S->Read(b, 4);
    seen.assign(b, 4);
  };
  auto s = StreamOf(bytes);
  u.LoadFromStream(s.get());
  EXPECT_EQ(seen, "tail");
  EXPECT_EQ(u.RootNodeCount(), 2u);
  seen.clear();
  s->SetPosition(0);
  u.AddFromStream(s.get(), nullptr);
  EXPECT_EQ(seen, "");
  EXPECT_EQ(u.RootNodeCount(), 4u);
}

}  // namespace t_lazy_trees_qn_node_stream_test
