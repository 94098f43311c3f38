// Any bytes as a node stream, read by both loaders of a string tree with
// multi-selection: a load either succeeds or raises the tree's or the
// stream's error, and afterwards every link, count, total, the visible
// count and the selection agree with a recomputation from the links. What
// was loaded saves and loads back to the same shape.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "package/Quarn.h"
#include "platform/classes/Streams.h"
#include "platform/vcl/Forms.h"
#include "treeview/LazyTrees_qn.h"
#include "treeview/LazyTrees_qn_StringTree.h"

using namespace qn;

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

// The package's units run once around all inputs; their finalisation lets
// go of the font machinery the trees' windows brought up.
void SetUpOnce() {
  static const bool done = [] {
    qn::Initialize();
    return true;
  }();
  (void)done;
}

// One form and two trees for the whole run: text is measured in the trees'
// fonts, which are set up once rather than per input. They go, and the
// package's units after them, before the font machinery's own statics.
TForm* GForm = nullptr;
TLazyStringTree_qn* GTree = nullptr;
TLazyStringTree_qn* GCopy = nullptr;

bool Filtered(TBaseLazyTree_qn* T, PLazyNode N) {
  return N->States.Contains(vsFiltered) && !T->TreeOptions()->PaintOptions().Contains(toShowFilteredNodes);
}

// Recomputes the totals bottom-up over a breadth-first list (no recursion:
// hostile nesting may be deep) and compares them with what the tree keeps.
void CheckWhole(TBaseLazyTree_qn* T) {
  PLazyNode root = T->RootNode();
  std::vector<PLazyNode> nodes{root};
  std::vector<size_t> firstChild;
  for (size_t i = 0; i < nodes.size(); ++i) {
    PLazyNode n = nodes[i];
    firstChild.push_back(nodes.size());
    Cardinal count = 0;
    PLazyNode prev = nullptr;
    for (PLazyNode c = n->FirstChild; c; c = c->NextSibling) {
      Check(c->Parent == n && c->PrevSibling == prev && c->Index == count);
      Check((c->States.Load() & (0x0004 | 0x0800 | 0x4000)) == 0);  // deleting, clearing, toggling
      Check(Byte(c->CheckState) <= Byte(csMixedPressed) && Byte(c->CheckType) <= Byte(ctButton));
      nodes.push_back(c);
      prev = c;
      ++count;
    }
    Check(n->LastChild == prev && n->ChildCount == count);
    if (n != root && n->States.Contains(vsExpanded)) Check(count > 0);
  }
  std::vector<Cardinal> total(nodes.size()), height(nodes.size()), rows(nodes.size());
  Cardinal selected = 0;
  for (size_t i = nodes.size(); i-- > 0;) {
    PLazyNode n = nodes[i];
    total[i] = 1;
    height[i] = n == root || !Filtered(T, n) ? n->NodeHeight : 0;
    rows[i] = 0;
    if (n != root && n->States.Contains(vsSelected)) ++selected;
    // The children are a run after their parent's place in the list.
    size_t k = firstChild[i];
    for (PLazyNode c = n->FirstChild; c; c = c->NextSibling, ++k) {
      total[i] += total[k];
      if (n->States.Contains(vsExpanded) && c->States.Contains(vsVisible)) {
        height[i] += height[k];
        rows[i] += rows[k] + (Filtered(T, c) ? 0 : 1);
      }
    }
    Check(n->TotalCount == total[i] && n->TotalHeight == height[i]);
  }
  Check(T->VisibleCount() == rows[0]);
  Check(T->SelectedCount() == Integer(selected));
}

TLazyStringTree_qn* MakeTree(TForm* Form) {
  auto* t = new TLazyStringTree_qn(Form);
  t->SetParent(Form);
  t->SetNodeDataSize(4);
  auto o = t->TreeOptions()->SelectionOptions();
  o.Include(toMultiSelect);
  t->TreeOptions()->SetSelectionOptions(o);
  t->OnLoadNode = [](TBaseLazyTree_qn* Sender, PLazyNode Node, TStream* S) {
    S->Read(Sender->GetNodeData(Node), 4);
  };
  t->OnSaveNode = [](TBaseLazyTree_qn* Sender, PLazyNode Node, TStream* S) { S->Write(Sender->GetNodeData(Node), 4); };
  return t;
}

}  // namespace

// The first byte picks the loader (even: LoadFromStream, odd: AddFromStream
// under a node of a small tree that the second byte picks); the rest is
// the stream.
int RunOne(const uint8_t* data, size_t size);

// A first input before the fuzzer counts allocations: the fonts behind the
// trees' windows are set up for the process on first use.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
  SetUpOnce();
  // Both loaders over a stream with a caption.
  const uint8_t warm[] = {0, 1, 0x45, 0x20, 0x56, 0, 0x54, 0, 2, 0, 0x20, 0, 0x46, 0x20, 1, 0, 0, 0,
                          1, 0, 0, 0, 35, 0, 0, 0, 2, 0, 0, 0, 17, 0, 0, 0, 0, 0, 0, 0, 18, 0, 0, 0,
                          0x81, 0x01, 50, 0, 0, 0, 0, 0, 0, 3, 0, 0, 0, 2, 0, 0, 0, 'd', 0};
  RunOne(warm, sizeof(warm));
  uint8_t add[sizeof(warm)];
  std::memcpy(add, warm, sizeof(warm));
  add[0] = 1;
  RunOne(add, sizeof(add));
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  SetUpOnce();
  return RunOne(data, size);
}

int RunOne(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  if (!GForm) {
    GForm = new TForm(nullptr);
    GTree = MakeTree(GForm);
    GCopy = MakeTree(GForm);
    // Text measured once brings the font machinery up before the exit
    // handler is registered, so the handler runs while it still exists.
    GTree->Canvas()->Font()->Assign(GTree->Font());
    GTree->Canvas()->TextWidth(u"Node");
    std::atexit([] {
      delete GForm;
      qn::Finalize();
    });
  }
  TLazyStringTree_qn* t = GTree;
  TLazyStringTree_qn* u = GCopy;
  t->Clear();
  u->Clear();
  bool add = data[0] & 1;
  PLazyNode target = nullptr;
  if (add) {
    t->SetRootNodeCount(3);
    PLazyNode first = t->GetFirst();
    t->AddChild(first);
    t->SetExpanded(first, true);
    t->AddToSelection(first->FirstChild);
    std::vector<PLazyNode> all;
    for (PLazyNode n = t->GetFirstNoInit(); n; n = t->GetNextNoInit(n)) all.push_back(n);
    target = data[1] % 5 == 0 ? nullptr : all[data[1] % all.size()];
  }
  Cardinal before = t->RootNode()->TotalCount;
  TMemoryStream s;
  s.Write(data + 2, Integer(size - 2));
  s.SetPosition(0);
  bool failed = false;
  try {
    if (add) t->AddFromStream(&s, target);
    else t->LoadFromStream(&s);
  } catch (const ELazyTreeError&) {
    failed = true;
  } catch (const EReadError&) {
    failed = true;
  }
  CheckWhole(t);
  // A failed load leaves the tree as it was: an addition without its
  // nodes, a load (which clears first) empty.
  if (failed) Check(t->RootNode()->TotalCount == (add ? before : 1));

  TMemoryStream again;
  t->SaveToStream(&again);
  again.SetPosition(0);
  u->LoadFromStream(&again);
  CheckWhole(u);
  Check(u->RootNode()->TotalCount == t->RootNode()->TotalCount);
  Check(u->SelectedCount() == t->SelectedCount());
  return 0;
}
