// Shared pieces of the lazy tree tests: a host model the tree reads its
// nodes from (a plain tree of vectors), a from-scratch recomputation of
// everything the tree keeps incrementally, and a flat reference of the walk
// orders.
#pragma once

#include <gtest/gtest.h>

#include <sys/mman.h>
#include <ucontext.h>

#include <exception>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <utility>
#include <vector>

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define QN_TEST_ASAN 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__) && !defined(QN_TEST_ASAN)
#define QN_TEST_ASAN 1
#endif
#ifndef QN_TEST_ASAN
#define QN_TEST_ASAN 0
#endif
#if QN_TEST_ASAN
// The address sanitizer is told of each switch of stacks.
#include <sanitizer/common_interface_defs.h>
#endif

#include "treeview/LazyTrees_qn.h"

namespace treetest {

using namespace qn;

// What the host holds for one node. Children are decided when first asked
// for, from the node's own seed, so the same model answers the same way
// however often the tree re-creates a child list.
struct TModelNode {
  Cardinal Id = 0;
  TModelNode* Parent = nullptr;
  std::vector<TModelNode*> Kids;  // owned by the model
  bool KidsMade = false;
  Cardinal Planned = 0;
  bool Filtered = false;
  bool StartExpanded = false;
  Cardinal Depth = 0;
};

class TTreeModel {
 public:
  explicit TTreeModel(uint32_t Seed, Cardinal MaxDepth = 4) : FRng(Seed), FMaxDepth(MaxDepth) {
    FRoot.KidsMade = true;
  }
  TModelNode* Root() { return &FRoot; }
  TModelNode* NewNode(TModelNode* Parent) {
    auto n = std::make_unique<TModelNode>();
    n->Id = ++FNextId;
    n->Parent = Parent;
    n->Depth = Parent->Depth + 1;
    n->Planned = n->Depth < FMaxDepth ? Cardinal(std::uniform_int_distribution<int>(0, 5)(FRng)) : 0;
    if (n->Planned < 3) n->Planned = 0;  // about half the nodes are leaves
    n->Filtered = std::uniform_int_distribution<int>(0, 9)(FRng) == 0;
    n->StartExpanded = std::uniform_int_distribution<int>(0, 5)(FRng) == 0;
    TModelNode* raw = n.get();
    FOwned.push_back(std::move(n));
    return raw;
  }
  std::vector<TModelNode*>& Kids(TModelNode* M) {
    if (!M->KidsMade) {
      M->KidsMade = true;
      for (Cardinal i = 0; i < M->Planned; ++i) M->Kids.push_back(NewNode(M));
    }
    return M->Kids;
  }
 private:
  // Model nodes live as long as the model, so pointers in the tree's user
  // data stay valid after a node leaves its parent.
  TModelNode FRoot;
  std::vector<std::unique_ptr<TModelNode>> FOwned;
  std::mt19937 FRng;
  Cardinal FMaxDepth;
  Cardinal FNextId = 0;
};

// A tree wired to a model: OnInitNode maps a node to its model node by the
// parent's model node and the node's index, OnInitChildren answers the
// model's child count.
class THostedTree {
 public:
  explicit THostedTree(TTreeModel& Model) : FModel(Model), Tree(new TBaseLazyTree_qn(nullptr)) {
    Tree->SetNodeDataSize(Integer(sizeof(Pointer)));
    Tree->OnInitNode = [this](TBaseLazyTree_qn* Sender, PLazyNode Parent, PLazyNode Node,
                              TLazyNodeInitStates& States) {
      ++InitNodeCalls;
      TModelNode* pm = Parent ? ModelOf(Parent) : FModel.Root();
      auto& kids = FModel.Kids(pm);
      ASSERT_LT(Node->Index, kids.size());
      TModelNode* m = kids[Node->Index];
      *Sender->GetNodeData<TModelNode*>(Node) = m;
      if (m->Planned > 0 || !m->Kids.empty()) States.Include(ivsHasChildren);
      if (m->Filtered) States.Include(ivsFiltered);
      if (m->StartExpanded) States.Include(ivsExpanded);
    };
    Tree->OnInitChildren = [this](TBaseLazyTree_qn*, PLazyNode Node, Cardinal& Count) {
      ++InitChildrenCalls;
      Count = Cardinal(FModel.Kids(ModelOf(Node)).size());
    };
    Tree->OnFreeNode = [this](TBaseLazyTree_qn*, PLazyNode) { ++FreeCalls; };
  }
  ~THostedTree() { delete Tree; }
  TModelNode* ModelOf(PLazyNode Node) {
    if (!Node || Node == Tree->RootNode()) return FModel.Root();
    return *static_cast<TModelNode**>(static_cast<void*>(reinterpret_cast<Byte*>(Node) + Tree->UserDataOffset()));
  }

  TTreeModel& FModel;
  TBaseLazyTree_qn* Tree;
  int InitNodeCalls = 0, InitChildrenCalls = 0, FreeCalls = 0;
};

// Every node of the tree that exists, in pre-order (post-order with
// PostOrder), read straight from the links.
inline void CollectNodes(PLazyNode Node, bool PostOrder, std::vector<PLazyNode>& Out) {
  for (PLazyNode c = Node->FirstChild; c; c = c->NextSibling) {
    if (!PostOrder) Out.push_back(c);
    CollectNodes(c, PostOrder, Out);
    if (PostOrder) Out.push_back(c);
  }
}
inline std::vector<PLazyNode> AllNodes(TBaseLazyTree_qn* Tree, bool PostOrder = false) {
  std::vector<PLazyNode> out;
  CollectNodes(Tree->RootNode(), PostOrder, out);
  return out;
}

inline bool ShowFiltered(TBaseLazyTree_qn* Tree) {
  return Tree->TreeOptions()->PaintOptions().Contains(toShowFilteredNodes);
}
inline bool EffectivelyFiltered(TBaseLazyTree_qn* Tree, PLazyNode N) {
  return N->States.Contains(vsFiltered) && !ShowFiltered(Tree);
}
// Shown: vsVisible and every ancestor below the root expanded and visible.
inline bool Shown(TBaseLazyTree_qn* Tree, PLazyNode N) {
  if (!N->States.Contains(vsVisible)) return false;
  for (PLazyNode p = N->Parent; p != Tree->RootNode(); p = p->Parent)
    if (!p->States.Contains(vsExpanded) || !p->States.Contains(vsVisible)) return false;
  return true;
}

// Recomputes what the tree keeps incrementally and reports every
// difference. Hidden-children flags are settled only outside batches.
inline void ExpectConsistent(TBaseLazyTree_qn* Tree, const std::string& Where) {
  PLazyNode root = Tree->RootNode();
  Cardinal visible = 0;
  std::function<void(PLazyNode)> check = [&](PLazyNode n) {
    Cardinal count = 0, total = 1;
    Cardinal height = (n == root || !EffectivelyFiltered(Tree, n)) ? n->NodeHeight : 0;
    bool anyShown = false;
    PLazyNode prev = nullptr;
    for (PLazyNode c = n->FirstChild; c; c = c->NextSibling) {
      ASSERT_EQ(c->Parent, n) << Where;
      ASSERT_EQ(c->PrevSibling, prev) << Where;
      EXPECT_EQ(c->Index, count) << Where;
      check(c);
      total += c->TotalCount;
      if (n->States.Contains(vsExpanded) && c->States.Contains(vsVisible)) height += c->TotalHeight;
      if (c->States.Contains(vsVisible) && !EffectivelyFiltered(Tree, c)) anyShown = true;
      prev = c;
      ++count;
    }
    EXPECT_EQ(n->LastChild, prev) << Where;
    EXPECT_EQ(n->ChildCount, count) << Where;
    EXPECT_EQ(n->TotalCount, total) << Where;
    EXPECT_EQ(n->TotalHeight, height) << Where;
    if (n != root) {
      if (Shown(Tree, n) && !EffectivelyFiltered(Tree, n)) ++visible;
      if (count > 0 && Tree->UpdateCount() == 0) {
        EXPECT_EQ(n->States.Contains(vsAllChildrenHidden), !anyShown) << Where;
      }
      if (n->States.Contains(vsExpanded)) {
        EXPECT_GT(count, 0u) << Where << ": expanded without children";
      }
    }
  };
  check(root);
  EXPECT_EQ(Tree->VisibleCount(), visible) << Where;
}

// The model and the tree agree: every created child list has the model's
// length, and every initialized node carries the model node at its place.
inline void ExpectMatchesModel(THostedTree& Host, const std::string& Where) {
  TBaseLazyTree_qn* t = Host.Tree;
  std::function<void(PLazyNode, TModelNode*)> check = [&](PLazyNode n, TModelNode* m) {
    if (n->ChildCount == 0) return;
    auto& kids = Host.FModel.Kids(m);
    ASSERT_EQ(n->ChildCount, kids.size()) << Where;
    Cardinal i = 0;
    for (PLazyNode c = n->FirstChild; c; c = c->NextSibling, ++i) {
      if (!c->States.Contains(vsInitialized)) {
        EXPECT_EQ(c->ChildCount, 0u) << Where;
        continue;
      }
      ASSERT_EQ(Host.ModelOf(c), kids[i]) << Where << " at index " << i;
      check(c, kids[i]);
    }
  };
  check(t->RootNode(), Host.FModel.Root());
}

// Runs F on a stack of StackSize bytes with a guard page below it, and hands
// on what it raised: code that takes a native frame per tree level runs out
// there long before a deep tree ends. A context of the calling thread rather
// than a thread of its own, since a tree with many rows shown hands its
// position cache to the worker, which answers the main thread only.
struct TSmallStack {
  static constexpr size_t kGuard = 1 << 16;
  static inline ucontext_t Caller, Callee;
  static inline const std::function<void()>* Body = nullptr;
  static inline std::exception_ptr Error;
#if QN_TEST_ASAN
  static inline const void* CallerBottom = nullptr;
  static inline size_t CallerSize = 0;
#endif

  static void Entry() {
#if QN_TEST_ASAN
    __sanitizer_finish_switch_fiber(nullptr, &CallerBottom, &CallerSize);
#endif
    // Nothing may unwind past the context's first frame.
    try {
      (*Body)();
    } catch (...) {
      Error = std::current_exception();
    }
#if QN_TEST_ASAN
    __sanitizer_start_switch_fiber(nullptr, CallerBottom, CallerSize);
#endif
  }
};

inline void RunOnSmallStack(const std::function<void()>& F, size_t StackSize = size_t(1) << 20) {
  void* block =
      mmap(nullptr, StackSize + TSmallStack::kGuard, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  ASSERT_NE(block, MAP_FAILED);
  ASSERT_EQ(mprotect(block, TSmallStack::kGuard, PROT_NONE), 0);
  char* stack = static_cast<char*>(block) + TSmallStack::kGuard;
  TSmallStack::Body = &F;
  TSmallStack::Error = nullptr;
  getcontext(&TSmallStack::Callee);
  TSmallStack::Callee.uc_stack.ss_sp = stack;
  TSmallStack::Callee.uc_stack.ss_size = StackSize;
  TSmallStack::Callee.uc_link = &TSmallStack::Caller;
  makecontext(&TSmallStack::Callee, &TSmallStack::Entry, 0);
#if QN_TEST_ASAN
  void* fake = nullptr;
  __sanitizer_start_switch_fiber(&fake, stack, StackSize);
#endif
  swapcontext(&TSmallStack::Caller, &TSmallStack::Callee);
#if QN_TEST_ASAN
  __sanitizer_finish_switch_fiber(fake, nullptr, nullptr);
#endif
  munmap(block, StackSize + TSmallStack::kGuard);
  if (std::exception_ptr e = std::exchange(TSmallStack::Error, nullptr)) std::rethrow_exception(e);
}

// A chain of Depth nodes, each the only child of the one before, under the
// root; returns its top node. It grows from the bottom up, each new node
// taking the chain so far as its child, since adding at the bottom would
// walk up the whole chain for every node.
inline PLazyNode BuildChain(TBaseLazyTree_qn* Tree, size_t Depth) {
  Tree->BeginUpdate();
  PLazyNode top = nullptr;
  for (size_t i = 0; i < Depth; ++i) {
    PLazyNode n = Tree->AddChild(nullptr);
    if (top) Tree->MoveTo(top, n, amAddChildFirst, false);
    top = n;
  }
  Tree->EndUpdate();
  return top;
}

}  // namespace treetest
