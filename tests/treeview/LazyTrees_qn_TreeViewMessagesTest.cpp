// The tree-view query messages other programs send to a tree: every
// relation of TVM_GETNEXTITEM on changing trees against a reference walk
// made from the links, the item record of TVM_GETITEMW (state bits, images,
// text cut to the caller's buffer), TVM_GETITEMRECT, and handles that are no
// live node of the tree (random, freed, foreign, inside a node) answering 0
// without anything being read or written.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <random>
#include <vector>

#include "platform/comctl/CommCtrl.h"
#include "platform/vcl/Forms.h"
#include "treeview/LazyTrees_qn_StringTree.h"

namespace t_lazy_trees_qn_tree_view_messages_test {

using namespace qn;

namespace {

class TQueryTree : public TLazyStringTree_qn {
  QN_CLASS(TQueryTree, TLazyStringTree_qn)
 public:
  explicit TQueryTree(TComponent* AOwner) : TLazyStringTree_qn(AOwner) {}
};

class TreeViewMessagesFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    Form = new TForm(nullptr);
    Form->SetPosition(poDesigned);
    Form->SetBounds(40, 30, 420, 400);
    T = new TQueryTree(Form);
    T->SetParent(Form);
    T->SetBounds(10, 10, 380, 340);
    T->SetOnGetText([this](TBaseLazyTree_qn*, PLazyNode Node, TColumnIndex, TVSTTextType, String& Text) {
      auto it = Names.find(Node);
      Text = it == Names.end() ? String(u"?") : it->second;
    });
    Form->Show();
    T->HandleNeeded();
    Application->ProcessMessages();
  }
  void TearDown() override { delete Form; }

  PLazyNode Add(PLazyNode Parent, const String& Name) {
    PLazyNode n = T->AddChild(Parent);
    Names[n] = Name;
    return n;
  }
  // Three top-level nodes; "1" has children "1.1" to "1.3", "1.2" has "1.2.1"
  // and "1.2.2"; "3" has "3.1".
  void BuildSmallTree() {
    PLazyNode n1 = Add(nullptr, u"1");
    Add(nullptr, u"2");
    PLazyNode n3 = Add(nullptr, u"3");
    Add(n1, u"1.1");
    PLazyNode n12 = Add(n1, u"1.2");
    Add(n1, u"1.3");
    Add(n12, u"1.2.1");
    Add(n12, u"1.2.2");
    Add(n3, u"3.1");
    T->SetExpanded(n1, true);
  }
  LRESULT Next(UINT Relation, const void* Node) {
    return T->Perform(TVM_GETNEXTITEM, Relation, reinterpret_cast<LPARAM>(Node));
  }
  LRESULT GetItem(TVITEMW& Item) { return T->Perform(TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&Item)); }
  PLazyNode Named(const String& Name) {
    for (auto& [n, s] : Names)
      if (s == Name) return n;
    return nullptr;
  }
  // The shown rows in order, from the links: visible nodes whose ancestors
  // are all expanded and visible.
  std::vector<PLazyNode> ShownRows() {
    std::vector<PLazyNode> rows;
    std::function<void(PLazyNode)> walk = [&](PLazyNode p) {
      for (PLazyNode c = p->FirstChild; c; c = c->NextSibling) {
        if (!c->States.Contains(vsVisible)) continue;
        rows.push_back(c);
        if (c->States.Contains(vsExpanded)) walk(c);
      }
    };
    walk(T->RootNode());
    return rows;
  }
  std::vector<PLazyNode> AllNodes() {
    std::vector<PLazyNode> all;
    std::function<void(PLazyNode)> walk = [&](PLazyNode p) {
      for (PLazyNode c = p->FirstChild; c; c = c->NextSibling) {
        all.push_back(c);
        walk(c);
      }
    };
    walk(T->RootNode());
    return all;
  }
  // Every relation for every node against the links and the row list.
  void ExpectRelationsMatch(const char* Where) {
    std::vector<PLazyNode> rows = ShownRows();
    auto h = [](PLazyNode n) { return reinterpret_cast<LRESULT>(n); };
    EXPECT_EQ(Next(TVGN_ROOT, nullptr), h(T->RootNode()->FirstChild)) << Where;
    EXPECT_EQ(Next(TVGN_FIRSTVISIBLE, nullptr), h(rows.empty() ? nullptr : rows.front())) << Where;
    EXPECT_EQ(Next(TVGN_LASTVISIBLE, nullptr), h(rows.empty() ? nullptr : rows.back())) << Where;
    EXPECT_EQ(Next(TVGN_CARET, nullptr), h(T->FocusedNode())) << Where;
    for (PLazyNode n : AllNodes()) {
      EXPECT_EQ(Next(TVGN_NEXT, n), h(n->NextSibling)) << Where << " " << ToUtf8(Names[n]);
      EXPECT_EQ(Next(TVGN_PREVIOUS, n), h(n->PrevSibling)) << Where;
      EXPECT_EQ(Next(TVGN_PARENT, n), h(n->Parent == T->RootNode() ? nullptr : n->Parent)) << Where;
      EXPECT_EQ(Next(TVGN_CHILD, n), h(n->FirstChild)) << Where;
      auto at = std::find(rows.begin(), rows.end(), n);
      if (at != rows.end()) {
        EXPECT_EQ(Next(TVGN_NEXTVISIBLE, n), h(at + 1 == rows.end() ? nullptr : *(at + 1)))
            << Where << " " << ToUtf8(Names[n]);
        EXPECT_EQ(Next(TVGN_PREVIOUSVISIBLE, n), h(at == rows.begin() ? nullptr : *(at - 1))) << Where;
      }
      // A node is never asked for relations above the last one.
      EXPECT_EQ(Next(11, n), 0) << Where;
      EXPECT_EQ(Next(0x1000, n), 0) << Where;
    }
  }

  TForm* Form = nullptr;
  TQueryTree* T = nullptr;
  std::map<PLazyNode, String> Names;
};

class LazyTrees_qn_TreeViewMessages : public TreeViewMessagesFixture {};

// A record every field of which holds a sentinel, to see what was written.
TVITEMW Sentinel(UINT Mask, const void* Item) {
  TVITEMW item;
  item.mask = Mask;
  item.hItem = static_cast<HTREEITEM>(const_cast<void*>(Item));
  item.state = 0xABCD;
  item.stateMask = 0x1234;
  item.pszText = nullptr;
  item.cchTextMax = 0;
  item.iImage = 77;
  item.iSelectedImage = 78;
  item.cChildren = 79;
  item.lParam = 80;
  return item;
}

bool SameRecord(const TVITEMW& A, const TVITEMW& B) {
  return A.mask == B.mask && A.hItem == B.hItem && A.state == B.state && A.stateMask == B.stateMask &&
         A.pszText == B.pszText && A.cchTextMax == B.cchTextMax && A.iImage == B.iImage &&
         A.iSelectedImage == B.iSelectedImage && A.cChildren == B.cChildren && A.lParam == B.lParam;
}

constexpr UINT AllFields = TVIF_HANDLE | TVIF_CHILDREN | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_STATE | TVIF_TEXT;

}  // namespace

TEST_F(LazyTrees_qn_TreeViewMessages, EveryRelationMatchesTheLinksWhileTheTreeChanges) {
  BuildSmallTree();
  ExpectRelationsMatch("initial");
  // Relations that need a node answer 0 without one; the others ignore it.
  for (UINT r : {TVGN_NEXT, TVGN_PREVIOUS, TVGN_PARENT, TVGN_CHILD, TVGN_NEXTVISIBLE, TVGN_PREVIOUSVISIBLE})
    EXPECT_EQ(Next(r, nullptr), 0) << r;
  EXPECT_EQ(Next(TVGN_ROOT, Named(u"1.2.1")), reinterpret_cast<LRESULT>(Named(u"1")));
  EXPECT_EQ(Next(TVGN_DROPHILITE, nullptr), 0);
  T->SetDropTarget(Named(u"2"), dmOnNode);
  EXPECT_EQ(Next(TVGN_DROPHILITE, nullptr), reinterpret_cast<LRESULT>(Named(u"2")));
  T->SetDropTarget(nullptr, dmNowhere);

  // Random expanding, collapsing, hiding, focusing and adding, with the
  // relations checked after every step.
  std::mt19937 rng(1312);
  for (int step = 0; step < 60; ++step) {
    std::vector<PLazyNode> all = AllNodes();
    PLazyNode n = all[std::uniform_int_distribution<size_t>(0, all.size() - 1)(rng)];
    switch (std::uniform_int_distribution<int>(0, 4)(rng)) {
      case 0: T->ToggleNode(n); break;
      case 1: T->SetVisible(n, !T->GetVisible(n)); break;
      case 2: T->SetFocusedNode(n); break;
      case 3: Add(n, Names[n] + u".n"); break;
      case 4:
        if (all.size() > 4) {
          Names.erase(n);
          std::function<void(PLazyNode)> forget = [&](PLazyNode p) {
            for (PLazyNode c = p->FirstChild; c; c = c->NextSibling) {
              Names.erase(c);
              forget(c);
            }
          };
          forget(n);
          T->DeleteNode(n);
        }
        break;
    }
    ExpectRelationsMatch("after a random step");
    if (HasFailure()) break;
  }
}

TEST_F(LazyTrees_qn_TreeViewMessages, GetItemNeedsAHandleAndFillsOnlyWhatTheMaskAsks) {
  BuildSmallTree();
  PLazyNode n12 = Named(u"1.2");
  // Without TVIF_HANDLE, or without a handle, nothing is filled.
  TVITEMW item = Sentinel(AllFields & ~TVIF_HANDLE, n12);
  TVITEMW before = item;
  EXPECT_EQ(GetItem(item), 0);
  EXPECT_TRUE(SameRecord(item, before));
  item = Sentinel(AllFields, nullptr);
  before = item;
  EXPECT_EQ(GetItem(item), 0);
  EXPECT_TRUE(SameRecord(item, before));
  EXPECT_EQ(T->Perform(TVM_GETITEMW, 0, 0), 0) << "no record at all";

  // Only the children count.
  item = Sentinel(TVIF_HANDLE | TVIF_CHILDREN, n12);
  EXPECT_EQ(GetItem(item), 1);
  EXPECT_EQ(item.cChildren, 2);
  EXPECT_EQ(item.iImage, 77);
  EXPECT_EQ(item.state, 0xABCDu);
  EXPECT_EQ(item.stateMask, 0x1234u);

  // Images: -1 without a handler, else the handler's index per kind.
  item = Sentinel(TVIF_HANDLE | TVIF_IMAGE | TVIF_SELECTEDIMAGE, n12);
  EXPECT_EQ(GetItem(item), 1);
  EXPECT_EQ(item.iImage, -1);
  EXPECT_EQ(item.iSelectedImage, -1);
  T->SetOnGetImageIndex([](TBaseLazyTree_qn*, PLazyNode, TVTImageKind Kind, TColumnIndex Column, bool&,
                          Integer& Index) {
    if (Column == NoColumn) Index = Kind == ikNormal ? 4 : Kind == ikSelected ? 5 : Index;
  });
  EXPECT_EQ(GetItem(item), 1);
  EXPECT_EQ(item.iImage, 4);
  EXPECT_EQ(item.iSelectedImage, 5);
  EXPECT_EQ(item.cChildren, 79);
}

TEST_F(LazyTrees_qn_TreeViewMessages, StateBitsFollowFocusSelectionMarksDropTargetAndImages) {
  BuildSmallTree();
  T->TreeOptions()->SetSelectionOptions(T->TreeOptions()->SelectionOptions() + TVTSelectionOptions{toMultiSelect});
  PLazyNode n1 = Named(u"1"), n11 = Named(u"1.1"), n12 = Named(u"1.2"), n2 = Named(u"2");
  auto state = [&](PLazyNode n) {
    TVITEMW item = Sentinel(TVIF_HANDLE | TVIF_STATE, n);
    EXPECT_EQ(GetItem(item), 1);
    EXPECT_EQ(item.stateMask, 0xFF2Fu);
    return item.state;
  };
  EXPECT_EQ(state(n2), 0u);
  EXPECT_EQ(state(n1), TVIS_EXPANDED);
  T->SetFocusedNode(n11);
  EXPECT_EQ(state(n11), TVIS_FOCUSED);
  T->SetSelected(n11, true);
  EXPECT_EQ(state(n11), TVIS_FOCUSED | TVIS_SELECTED);
  T->SetSelected(n2, true);
  EXPECT_EQ(state(n2), TVIS_SELECTED);
  T->MarkCutCopyNodes();
  EXPECT_EQ(state(n2), TVIS_SELECTED | TVIS_CUT);
  EXPECT_EQ(state(n11), TVIS_FOCUSED | TVIS_SELECTED | TVIS_CUT);
  // The marks stay until a transfer ends them.
  for (PLazyNode n : AllNodes()) n->States.Exclude(vsCutOrCopy);
  T->SetDropTarget(n12, dmOnNode);
  EXPECT_EQ(state(n12), TVIS_DROPHILITED);
  T->SetDropTarget(nullptr, dmNowhere);
  EXPECT_EQ(state(n12), 0u);

  // Overlay and state images arrive as index + 1 in their 4-bit fields; an
  // index the field cannot hold leaves it empty instead of spilling over.
  Integer overlay = 2, stateImage = 6;
  T->SetOnGetImageIndex([&](TBaseLazyTree_qn*, PLazyNode N, TVTImageKind Kind, TColumnIndex, bool&, Integer& Index) {
    if (N != n12) return;
    if (Kind == ikOverlay) Index = overlay;
    if (Kind == ikState) Index = stateImage;
  });
  EXPECT_EQ(state(n12), 0x0300u | 0x7000u);
  EXPECT_EQ(state(n2), TVIS_SELECTED) << "no images for other nodes";
  overlay = 14;
  stateImage = 0;
  EXPECT_EQ(state(n12), 0x0F00u | 0x1000u);
  overlay = 15;
  stateImage = 40;
  EXPECT_EQ(state(n12), 0u);
  T->SetExpanded(n12, true);
  overlay = -1;
  stateImage = -1;
  EXPECT_EQ(state(n12), TVIS_EXPANDED);
}

TEST_F(LazyTrees_qn_TreeViewMessages, TextIsCutToTheBufferAndAlwaysTerminated) {
  BuildSmallTree();
  PLazyNode n = Named(u"2");
  Names[n] = u"A rather long caption";
  auto text = [&](int Max, std::u16string& Buffer) {
    Buffer.assign(32, u'#');
    TVITEMW item = Sentinel(TVIF_HANDLE | TVIF_TEXT, n);
    item.pszText = Buffer.data();
    item.cchTextMax = Max;
    return GetItem(item);
  };
  std::u16string buffer;
  EXPECT_EQ(text(32, buffer), 1);
  EXPECT_EQ(std::u16string(buffer.c_str()), u"A rather long caption");
  EXPECT_EQ(text(5, buffer), 1);
  EXPECT_EQ(buffer.substr(0, 6), std::u16string(u"A ra") + u'\0' + u'#');
  EXPECT_EQ(text(1, buffer), 1);
  EXPECT_EQ(buffer[0], u'\0');
  EXPECT_EQ(buffer[1], u'#');
  // No room at all, or no buffer: nothing is copied, the rest still works.
  EXPECT_EQ(text(0, buffer), 1);
  EXPECT_EQ(buffer, std::u16string(32, u'#'));
  EXPECT_EQ(text(-3, buffer), 1);
  EXPECT_EQ(buffer, std::u16string(32, u'#'));
  TVITEMW item = Sentinel(TVIF_HANDLE | TVIF_TEXT | TVIF_CHILDREN, n);
  item.cchTextMax = 10;
  EXPECT_EQ(GetItem(item), 1);
  EXPECT_EQ(item.pszText, nullptr);
  EXPECT_EQ(item.cChildren, 0);
}

TEST_F(LazyTrees_qn_TreeViewMessages, ItemRectangleOfShownNodesOnly) {
  BuildSmallTree();
  auto rect = [&](PLazyNode n, WPARAM TextOnly, TRect& R) {
    R = TRect(-5, -6, -7, -8);
    std::memcpy(static_cast<void*>(&R), &n, sizeof n);
    return T->Perform(TVM_GETITEMRECT, TextOnly, reinterpret_cast<LPARAM>(&R));
  };
  TRect r;
  PLazyNode n12 = Named(u"1.2");
  EXPECT_EQ(rect(n12, 0, r), 1);
  EXPECT_EQ(r, T->GetDisplayRect(n12, NoColumn, false));
  EXPECT_EQ(rect(n12, 1, r), 1);
  EXPECT_EQ(r, T->GetDisplayRect(n12, NoColumn, true));
  EXPECT_LT(r.Width(), T->GetDisplayRect(n12, NoColumn, false).Width());
  // Below a collapsed node, or hidden: no rectangle, nothing written.
  PLazyNode hidden = Named(u"1.2.1");
  TRect expected(-5, -6, -7, -8);
  std::memcpy(static_cast<void*>(&expected), &hidden, sizeof hidden);
  EXPECT_EQ(rect(hidden, 0, r), 0);
  EXPECT_EQ(std::memcmp(&r, &expected, sizeof r), 0);
  T->SetVisible(Named(u"2"), false);
  EXPECT_EQ(rect(Named(u"2"), 0, r), 0);
  EXPECT_EQ(T->Perform(TVM_GETITEMRECT, 0, 0), 0);
}

TEST_F(LazyTrees_qn_TreeViewMessages, HandlesThatAreNoLiveNodeOfThisTreeAnswerNothing) {
  BuildSmallTree();
  // Freed nodes: their blocks go back to the pool (and stay poisoned under
  // the address sanitizer past the pool's own link).
  PLazyNode gone = Named(u"1.2.1");
  PLazyNode goneSibling = Named(u"1.2.2");
  Names.erase(gone);
  Names.erase(goneSibling);
  T->DeleteNode(gone);
  T->DeleteNode(goneSibling);
  ASSERT_FALSE(T->IsLiveNode(gone));

  TQueryTree other(nullptr);
  PLazyNode foreign = other.AddChild(nullptr);
  int onStack = 0;
  auto heap = std::make_unique<long long[]>(16);
  PLazyNode live = Named(u"1.1");
  std::vector<const void*> bad{gone,
                               goneSibling,
                               foreign,
                               T->RootNode(),
                               &onStack,
                               heap.get(),
                               reinterpret_cast<Byte*>(live) + 8,
                               reinterpret_cast<Byte*>(live) + 1,
                               reinterpret_cast<const void*>(uintptr_t(0x1234)),
                               reinterpret_cast<const void*>(~uintptr_t(0) - 63)};
  std::mt19937_64 rng(7);
  for (int i = 0; i < 50; ++i) bad.push_back(reinterpret_cast<const void*>(uintptr_t(rng())));
  for (const void* h : bad) {
    EXPECT_FALSE(T->IsLiveNode(h));
    TVITEMW item = Sentinel(AllFields, h);
    std::u16string buffer(8, u'#');
    item.pszText = buffer.data();
    item.cchTextMax = 8;
    TVITEMW before = item;
    EXPECT_EQ(GetItem(item), 0);
    EXPECT_TRUE(SameRecord(item, before));
    EXPECT_EQ(buffer, std::u16string(8, u'#'));
    TRect r(1, 2, 3, 4);
    std::memcpy(static_cast<void*>(&r), &h, sizeof h);
    TRect rBefore = r;
    EXPECT_EQ(T->Perform(TVM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&r)), 0);
    EXPECT_EQ(std::memcmp(&r, &rBefore, sizeof r), 0);
    for (UINT rel = TVGN_NEXT; rel <= TVGN_PREVIOUSVISIBLE; ++rel) {
      if (rel != TVGN_FIRSTVISIBLE) {
        EXPECT_EQ(Next(rel, h), 0) << rel;
      }
    }
  }
  // Live nodes, including one made into a freed block's place, answer.
  EXPECT_TRUE(T->IsLiveNode(live));
  PLazyNode reused = Add(Named(u"3"), u"3.2");
  EXPECT_TRUE(T->IsLiveNode(reused));
  EXPECT_EQ(Next(TVGN_PARENT, reused), reinterpret_cast<LRESULT>(Named(u"3")));
  EXPECT_TRUE(other.IsLiveNode(foreign));
}

TEST_F(LazyTrees_qn_TreeViewMessages, LiveNodesAreExactlyTheLinkedOnesThroughReuseOfFreedBlocks) {
  // Every pointer the tree ever handed out is asked again after random
  // additions, deletions and clears; only the linked ones count as live.
  std::mt19937 rng(2718);
  std::vector<PLazyNode> seen;
  for (int step = 0; step < 400; ++step) {
    std::vector<PLazyNode> all = AllNodes();
    int op = std::uniform_int_distribution<int>(0, 9)(rng);
    if (op < 6 || all.empty()) {
      PLazyNode parent = all.empty() || op == 0 ? nullptr : all[std::uniform_int_distribution<size_t>(0, all.size() - 1)(rng)];
      int count = std::uniform_int_distribution<int>(1, 40)(rng);
      for (int i = 0; i < count; ++i) seen.push_back(T->AddChild(parent));
    } else if (op < 9) {
      T->DeleteNode(all[std::uniform_int_distribution<size_t>(0, all.size() - 1)(rng)]);
    } else {
      T->Clear();
    }
    if (step % 20 != 19) continue;
    std::vector<PLazyNode> live = AllNodes();
    std::sort(live.begin(), live.end());
    for (PLazyNode n : seen) {
      bool linked = std::binary_search(live.begin(), live.end(), n);
      ASSERT_EQ(T->IsLiveNode(n), linked) << "step " << step;
      TVITEMW item = Sentinel(TVIF_HANDLE | TVIF_CHILDREN, n);
      ASSERT_EQ(GetItem(item), linked ? 1 : 0);
    }
  }
  EXPECT_GT(seen.size(), 2000u);
}

TEST_F(LazyTrees_qn_TreeViewMessages, ANodeIsInitializedBeforeTheHostDescribesIt) {
  // Nodes made by a count are not initialized until something needs them;
  // a query is such a need, and comes before the host is asked for images.
  std::vector<PLazyNode> initialized;
  T->OnInitNode = [&](TBaseLazyTree_qn*, PLazyNode, PLazyNode Node, TLazyNodeInitStates&) {
    initialized.push_back(Node);
  };
  T->SetOnGetImageIndex([&](TBaseLazyTree_qn*, PLazyNode Node, TVTImageKind, TColumnIndex, bool&, Integer& Index) {
    Index = std::find(initialized.begin(), initialized.end(), Node) != initialized.end() ? 1 : 0;
  });
  // Within a batch nothing paints or measures the new nodes.
  T->BeginUpdate();
  T->SetRootNodeCount(3);
  PLazyNode second = T->RootNode()->FirstChild->NextSibling;
  ASSERT_FALSE(second->States.Contains(vsInitialized));
  TVITEMW item = Sentinel(TVIF_HANDLE | TVIF_IMAGE | TVIF_SELECTEDIMAGE, second);
  EXPECT_EQ(GetItem(item), 1);
  EXPECT_EQ(item.iImage, 1);
  EXPECT_EQ(item.iSelectedImage, 1);
  EXPECT_EQ(initialized, std::vector<PLazyNode>{second});
  EXPECT_EQ(GetItem(item), 1);
  EXPECT_EQ(initialized.size(), 1u) << "once";
  T->EndUpdate();
}

}  // namespace t_lazy_trees_qn_tree_view_messages_test
