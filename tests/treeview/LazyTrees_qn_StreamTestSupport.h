// Shared pieces of the node stream and transfer tests: a string tree whose
// host keeps a 4-byte id per node (0: nothing to save) and a caption per id,
// random trees of every kind of node state, and a flat picture of a subtree
// to compare two trees by.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "tests/treeview/LazyTreeTestSupport.h"
#include "platform/vcl/Forms.h"
#include "treeview/LazyTrees_qn.h"
#include "treeview/LazyTrees_qn_StringTree.h"

namespace streamtest {

using namespace qn;

using TBytesV = std::vector<Byte>;

#define U32(x) Byte((x) & 0xFF), Byte(((x) >> 8) & 0xFF), Byte(((x) >> 16) & 0xFF), Byte(((x) >> 24) & 0xFF)
#define U16(x) Byte((x) & 0xFF), Byte(((x) >> 8) & 0xFF)
// The stream header of the given version.
#define MAGIC(v) 0x45, 0x20, 0x56, 0x00, 0x54, 0x00, Byte(v), 0x00, 0x20, 0x00, 0x46, 0x20

class THostTree : public TLazyStringTree_qn {
  QN_CLASS(THostTree, TLazyStringTree_qn)
 public:
  // Each tree sits on a form of its own, which it takes down again.
  explicit THostTree(TComponent* AOwner = nullptr) : TLazyStringTree_qn(AOwner), FForm(new TForm(nullptr)) {
    FForm->SetBounds(0, 0, 400, 300);
    SetParent(FForm);
    SetBounds(0, 0, 300, 200);
    SetNodeDataSize(Integer(sizeof(Cardinal)));
    SetOnGetText([this](TBaseLazyTree_qn*, PLazyNode Node, TColumnIndex, TVSTTextType Type, String& Text) {
      if (Type != ttNormal) return;
      auto it = Captions.find(Id(Node));
      Text = it == Captions.end() ? String() : it->second;
    });
    SetOnNewText([this](TBaseLazyTree_qn*, PLazyNode Node, TColumnIndex, const String& Text) {
      Captions[Id(Node)] = Text;
    });
    OnSaveNode = [this](TBaseLazyTree_qn*, PLazyNode Node, TStream* Stream) {
      Cardinal id = Id(Node);
      if (id != 0) Stream->Write(&id, 4);
    };
    OnLoadNode = [this](TBaseLazyTree_qn*, PLazyNode Node, TStream* Stream) {
      Cardinal id = 0;
      Stream->Read(&id, 4);
      SetId(Node, id);
    };
  }
  ~THostTree() override {
    SetParent(nullptr);
    delete FForm;
  }
  Cardinal Id(PLazyNode Node) {
    if (!Node) return 0;
    Cardinal id;
    std::memcpy(&id, GetNodeData(Node), 4);
    return id;
  }
  void SetId(PLazyNode Node, Cardinal Id) { std::memcpy(GetNodeData(Node), &Id, 4); }
  void SetMulti(bool On) {
    auto o = TreeOptions()->SelectionOptions();
    if (On) o.Include(toMultiSelect);
    else o.Exclude(toMultiSelect);
    TreeOptions()->SetSelectionOptions(o);
  }
  void SetMisc(TVTMiscOption Option, bool On) {
    auto o = TreeOptions()->MiscOptions();
    if (On) o.Include(Option);
    else o.Exclude(Option);
    TreeOptions()->SetMiscOptions(o);
  }
  using TBaseLazyTree_qn::InitNode;
  std::map<Cardinal, String> Captions;

 private:
  TForm* FForm;
};

inline TBytesV Save(TBaseLazyTree_qn* Tree, PLazyNode Node = nullptr) {
  TMemoryStream s;
  Tree->SaveToStream(&s, Node);
  const Byte* p = static_cast<const Byte*>(s.Memory());
  return TBytesV(p, p + s.Size());
}

inline std::unique_ptr<TMemoryStream> StreamOf(const TBytesV& Bytes) {
  auto s = std::make_unique<TMemoryStream>();
  if (!Bytes.empty()) s->Write(Bytes.data(), Integer(Bytes.size()));
  s->SetPosition(0);
  return s;
}

// What a node carries through a stream: the flags except the ones that
// only live during operations and the ones the tree recomputes.
inline Word KeptStates(PLazyNode N) {
  Word transient = Word(0x2216u | TLazyNodeStates::Bit(vsClearing) | TLazyNodeStates::Bit(vsToggling) |
                        TLazyNodeStates::Bit(vsAllChildrenHidden));
  return Word(N->States.Load() & ~transient);
}

using TNodePicture = std::tuple<Cardinal /*depth*/, Cardinal /*children*/, Word /*height*/, Word /*states*/,
                                Byte /*align*/, Byte /*check state*/, Byte /*check type*/, Cardinal /*id*/,
                                std::u16string /*caption*/>;

// The subtrees of First and its following siblings (Count of them, all when
// 0) in pre-order.
inline std::vector<TNodePicture> Picture(THostTree* Tree, PLazyNode First, size_t Count = 0) {
  std::vector<TNodePicture> out;
  std::function<void(PLazyNode, Cardinal)> walk = [&](PLazyNode n, Cardinal depth) {
    String caption;
    if (n->States.Contains(vsInitialized)) {
      auto it = Tree->Captions.find(Tree->Id(n));
      if (it != Tree->Captions.end()) caption = it->second;
    }
    out.emplace_back(depth, n->ChildCount, n->NodeHeight, KeptStates(n), n->Align, Byte(n->CheckState),
                     Byte(n->CheckType), Tree->Id(n), caption);
    for (PLazyNode c = n->FirstChild; c; c = c->NextSibling) walk(c, depth + 1);
  };
  size_t k = 0;
  for (PLazyNode n = First; n && (Count == 0 || k < Count); n = n->NextSibling, ++k) walk(n, 0);
  return out;
}

// A random tree: up to four levels, every node with its own id and
// caption (or none), random heights, checks, alignment and flags. Some
// nodes stay uninitialized leaves; with Multi some are selected.
inline void BuildRandom(THostTree* Tree, std::mt19937& Rng, Cardinal& NextId, Cardinal MaxNodes = 60) {
  auto pick = [&](int n) { return int(std::uniform_int_distribution<int>(0, n - 1)(Rng)); };
  Tree->BeginUpdate();
  std::vector<PLazyNode> all;
  Cardinal target = Cardinal(1 + pick(int(MaxNodes)));
  while (all.size() < target) {
    PLazyNode parent = all.empty() || pick(3) == 0 ? nullptr : all[size_t(pick(int(all.size())))];
    if (parent && Tree->GetNodeLevel(parent) >= 3) parent = nullptr;
    PLazyNode n = Tree->AddChild(parent);
    all.push_back(n);
    if (pick(6) == 0) continue;  // stays uninitialized (a leaf so far)
    Tree->InitNode(n);
    Cardinal id = pick(5) == 0 ? 0 : ++NextId;
    Tree->SetId(n, id);
    if (id != 0 && pick(4) != 0) Tree->Captions[id] = u"n" + std::u16string(size_t(pick(5)), char16_t(u'a' + pick(26)));
  }
  for (PLazyNode n : all) {
    if (!n->States.Contains(vsInitialized)) continue;
    if (pick(3) == 0) Tree->SetNodeHeight(n, Cardinal(10 + pick(40)));
    if (pick(3) == 0) {
      Tree->SetCheckType(n, TCheckType(pick(5)));
      n->CheckState = TCheckState(pick(6));
    }
    if (pick(4) == 0) n->Align = Byte(pick(101));
    if (pick(8) == 0) Tree->SetDisabled(n, true);
    if (pick(8) == 0) Tree->SetMultiline(n, true);
    if (pick(8) == 0) Tree->SetFiltered(n, true);
    if (pick(8) == 0) Tree->SetVisible(n, false);
    if (n->ChildCount > 0 && pick(2) == 0) Tree->SetExpanded(n, true);
    if (pick(6) == 0) Tree->AddToSelection(n);
  }
  Tree->EndUpdate();
}

// Where two streams part, empty when they are the same: large streams
// compared whole would print megabytes.
inline std::string Difference(const TBytesV& A, const TBytesV& B) {
  size_t i = 0;
  while (i < A.size() && i < B.size() && A[i] == B[i]) ++i;
  if (i == A.size() && i == B.size()) return {};
  auto at = [&](const TBytesV& V) { return i < V.size() ? std::to_string(V[i]) : std::string("end"); };
  return "sizes " + std::to_string(A.size()) + " and " + std::to_string(B.size()) + ", first difference at " +
         std::to_string(i) + ": " + at(A) + " and " + at(B);
}

// The stream of a chain of Depth nodes under the root, each the only child
// of the one before, all visible, collapsed and without user data, as a
// tree that read it writes it again; States are the flags every node
// carries besides vsHasChildren (vsAllChildrenHidden for the last).
inline TBytesV ChainStream(size_t Depth, Word States = 0x81) {
  TBytesV out{MAGIC(2), U32(1)};
  out.reserve(out.size() + 33 * Depth);
  for (size_t i = 0; i < Depth; ++i) {
    // A leaf's node chunk holds its base chunk of 8 + 17 bytes; each level
    // above adds its own 8 + 17 and the 8 of the node chunk's header.
    Cardinal below = Cardinal(Depth - 1 - i);
    Cardinal children = below > 0 ? 1 : 0;
    Word states = Word(States | (children ? 0x40 : 0x400));
    TBytesV node{U32(1), U32(25 + 33 * below), U32(2), U32(17 + 33 * below), U32(children), U32(18), U16(states),
                 50,     0,                    0,      U32(0)};
    out.insert(out.end(), node.begin(), node.end());
  }
  return out;
}

// How many levels the chain starting at Top has.
inline size_t ChainDepth(PLazyNode Top) {
  size_t depth = 0;
  for (PLazyNode n = Top; n; n = n->FirstChild) ++depth;
  return depth;
}

}  // namespace streamtest
