// Cut, copy and paste of nodes through the OLE clipboard, and the shared
// insertion of paste and drop: moves between trees of this process, copies
// with their change reasons and refusals, flushing that outlives the tree,
// and payloads from strangers that lie about their size or break off.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "platform/ole/ActiveX.h"
#include "tests/treeview/LazyTrees_qn_StreamTestSupport.h"
#include "treeview/LazyTrees_qn.h"

namespace t_lazy_trees_qn_clipboard_test {

using namespace qn;
using namespace streamtest;

namespace {

class TClipTree : public THostTree {
  QN_CLASS(TClipTree, THostTree)
 public:
  using TBaseLazyTree_qn::DoStateChange;
  std::vector<TChangeReason> Reasons;
  Integer CopyingAsked = 0;
  bool RefuseCopies = false;
  TClipTree() {
    OnNodeCopying = [this](TBaseLazyTree_qn*, PLazyNode, PLazyNode, bool& Allowed) {
      ++CopyingAsked;
      Allowed = !RefuseCopies;
    };
    SetMulti(true);
    ClipboardFormats()->Add(u"Lazy Tree Data");
  }
  void StructureChange(PLazyNode Node, TChangeReason Reason) override {
    Reasons.push_back(Reason);
    THostTree::StructureChange(Node, Reason);
  }
  // Top-level nodes with the given ids and captions "n<id>".
  void Fill(std::initializer_list<Cardinal> Ids) {
    for (Cardinal id : Ids) {
      PLazyNode n = AddChild(nullptr);
      InitNode(n);
      SetId(n, id);
      Captions[id] = u"n" + String(std::u16string(1, char16_t(u'0' + id)));
    }
    Reasons.clear();
  }
  PLazyNode Nth(Cardinal I) {
    PLazyNode n = RootNode()->FirstChild;
    while (n && I-- > 0) n = n->NextSibling;
    return n;
  }
  std::vector<Cardinal> TopIds() {
    std::vector<Cardinal> ids;
    for (PLazyNode n = RootNode()->FirstChild; n; n = n->NextSibling) ids.push_back(Id(n));
    return ids;
  }
};

struct TOle {
  TOle() { EXPECT_GE(OleInitialize(nullptr), 0); }
  ~TOle() {
    OleSetClipboard(nullptr);
    OleUninitialize();
  }
};

// A stranger's data object that serves fixed bytes as "Lazy Tree Data".
class TPayload : public TInterfacedObject, public virtual IDataObject {
  QN_CLASS(TPayload, TInterfacedObject)
  QN_INTERFACES(IDataObject)
 public:
  TPayload(std::vector<Byte> Bytes, DWORD Tymed) : FBytes(std::move(Bytes)), FTymed(Tymed) {}
  HRESULT GetData(const FORMATETC* F, STGMEDIUM* M) override {
    *M = STGMEDIUM{};
    if (!F || F->cfFormat != CF_LAZYTREE) return DV_E_FORMATETC;
    if (FTymed == TYMED_HGLOBAL) {
      HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, FBytes.size());
      if (!FBytes.empty()) std::memcpy(GlobalLock(h), FBytes.data(), FBytes.size()), GlobalUnlock(h);
      M->tymed = TYMED_HGLOBAL;
      M->hGlobal = h;
      return S_OK;
    }
    IStream* s = nullptr;
    if (CreateStreamOnHGlobal(nullptr, TRUE, &s) != S_OK) return E_OUTOFMEMORY;
    ULONG w = 0;
    if (!FBytes.empty()) s->Write(FBytes.data(), ULONG(FBytes.size()), &w);
    s->Seek(0, STREAM_SEEK_SET, nullptr);
    M->tymed = TYMED_ISTREAM;
    M->pstm = s;
    return S_OK;
  }
  HRESULT GetDataHere(const FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
  HRESULT QueryGetData(const FORMATETC* F) override {
    return F && F->cfFormat == CF_LAZYTREE ? S_OK : DV_E_FORMATETC;
  }
  HRESULT GetCanonicalFormatEtc(const FORMATETC*, FORMATETC*) override { return E_NOTIMPL; }
  HRESULT SetData(const FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
  HRESULT EnumFormatEtc(DWORD, IEnumFORMATETC** E) override {
    if (E) *E = nullptr;
    return E_NOTIMPL;
  }
  HRESULT DAdvise(const FORMATETC*, DWORD, IAdviseSink*, DWORD*) override { return OLE_E_ADVISENOTSUPPORTED; }
  HRESULT DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
  HRESULT EnumDAdvise(IEnumSTATDATA**) override { return OLE_E_ADVISENOTSUPPORTED; }

 private:
  std::vector<Byte> FBytes;
  DWORD FTymed;
};

// The node chunks of one node of a tree, as the data object renders them.
std::vector<Byte> NodeChunks(TClipTree& Tree, PLazyNode Node) {
  TMemoryStream s;
  Tree.WriteNode(&s, Node);
  auto* p = static_cast<const Byte*>(s.Memory());
  return std::vector<Byte>(p, p + s.Size());
}

std::vector<Byte> WithCount(const std::vector<Byte>& Chunks, int32_t N) {
  std::vector<Byte> v(4);
  std::memcpy(v.data(), &N, 4);
  v.insert(v.end(), Chunks.begin(), Chunks.end());
  return v;
}

}  // namespace

TEST(LazyTrees_qn_Clipboard, CutInOneTreeAndPasteInAnotherMovesTheNodes) {
  TOle ole;
  TClipTree src, dst;
  src.Fill({1, 2, 3});
  dst.Fill({7});
  src.AddToSelection(src.Nth(1));
  src.AddToSelection(src.Nth(2));
  src.CutToClipBoard();
  EXPECT_TRUE(src.TreeStates().Contains(tsCutPending));
  EXPECT_EQ(src.CutCopyCount(), 2u);
  dst.SetFocusedNode(dst.Nth(0));
  dst.SetDefaultPasteMode(amInsertAfter);
  EXPECT_TRUE(dst.PasteFromClipboard());
  EXPECT_EQ(dst.TopIds(), (std::vector<Cardinal>{7, 2, 3}));
  EXPECT_EQ(src.TopIds(), (std::vector<Cardinal>{1}));
  EXPECT_EQ(dst.CopyingAsked, 0) << "a move is no copy";
  EXPECT_FALSE(src.TreeStates().Contains(tsCutPending));
  EXPECT_EQ(src.CutCopyCount(), 0u);
  // A second paste has nothing of the source any more.
  EXPECT_EQ(dst.RootNode()->TotalCount, 4u);
}

TEST(LazyTrees_qn_Clipboard, CopiesGetTheirReasonAndRefusedCopiesLeaveNoTrace) {
  TOle ole;
  TClipTree a, b;
  a.Fill({1, 2});
  b.Fill({5});
  a.AddToSelection(a.Nth(0));
  a.CopyToClipBoard();
  EXPECT_TRUE(a.TreeStates().Contains(tsCopyPending));
  // Same tree: a copy.
  a.SetFocusedNode(a.Nth(1));
  a.Reasons.clear();
  EXPECT_TRUE(a.PasteFromClipboard());
  EXPECT_EQ(a.TopIds(), (std::vector<Cardinal>{1, 2}));
  ASSERT_EQ(a.Nth(1)->ChildCount, 1u);
  EXPECT_EQ(a.Id(a.Nth(1)->FirstChild), 1u);
  ASSERT_FALSE(a.Reasons.empty());
  EXPECT_EQ(a.Reasons.front(), crNodeCopied);
  EXPECT_TRUE(a.TreeStates().Contains(tsCopyPending)) << "a copy may be pasted again";
  // Another tree: an addition.
  b.Reasons.clear();
  EXPECT_TRUE(b.PasteFromClipboard());
  EXPECT_EQ(b.TopIds(), (std::vector<Cardinal>{5, 1}));
  ASSERT_FALSE(b.Reasons.empty());
  EXPECT_EQ(b.Reasons.front(), crNodeAdded);
  EXPECT_EQ(a.TopIds(), (std::vector<Cardinal>{1, 2})) << "a copy leaves the source";
  // Refused: nothing stays, counts intact.
  b.RefuseCopies = true;
  const Cardinal total = b.RootNode()->TotalCount, visible = b.VisibleCount();
  EXPECT_TRUE(b.PasteFromClipboard());
  EXPECT_EQ(b.TopIds(), (std::vector<Cardinal>{5, 1}));
  EXPECT_EQ(b.RootNode()->TotalCount, total);
  EXPECT_EQ(b.VisibleCount(), visible);
}

TEST(LazyTrees_qn_Clipboard, PasteModesAndMovesOntoOwnDescendants) {
  TOle ole;
  TClipTree t;
  t.Fill({1, 2});
  PLazyNode child = t.AddChild(t.Nth(0));
  t.InitNode(child);
  t.SetId(child, 3);
  t.AddToSelection(t.Nth(1));
  t.CopyToClipBoard();
  // Before with nothing focused: the first top-level child.
  t.SetDefaultPasteMode(amInsertBefore);
  ASSERT_EQ(t.FocusedNode(), nullptr);
  EXPECT_TRUE(t.PasteFromClipboard());
  EXPECT_EQ(t.TopIds(), (std::vector<Cardinal>{2, 1, 2}));
  // A cut node pasted into its own subtree stays where it is.
  t.ClearSelection();
  PLazyNode one = t.Nth(1);
  t.AddToSelection(one);
  t.CutToClipBoard();
  t.SetFocusedNode(one->FirstChild);
  t.SetDefaultPasteMode(amAddChildLast);
  EXPECT_TRUE(t.PasteFromClipboard());
  EXPECT_EQ(t.TopIds(), (std::vector<Cardinal>{2, 1, 2}));
  EXPECT_EQ(t.Nth(1)->FirstChild->ChildCount, 0u);
  EXPECT_EQ(t.CutCopyCount(), 0u) << "a same-tree paste clears every mark";
  EXPECT_FALSE(t.TreeStates().Contains(tsCutPending));
}

TEST(LazyTrees_qn_Clipboard, APasteOrDropWhoseReadingFailsLeavesNoPartOfIt) {
  // The receiving tree's reader raises at node 2 of the set {1, 2 > 21} or
  // at its child. A copy leaves the target as it was; a cut goes node by
  // node, so node 1 arrives and node 2 stays whole where it was. No node is
  // in both trees, none is lost.
  struct TCase {
    bool Cut, Drop;
    Cardinal FailAt;
  };
  const TCase cases[] = {{false, false, 2}, {false, false, 21}, {false, true, 21}, {true, false, 21}, {true, true, 2}};
  for (size_t i = 0; i < std::size(cases); ++i) {
    const TCase& c = cases[i];
    SCOPED_TRACE(i);
    TOle ole;
    TClipTree src, dst;
    src.Fill({1, 2, 3});
    PLazyNode child = src.AddChild(src.Nth(1));
    src.InitNode(child);
    src.SetId(child, 21);
    dst.Fill({9});
    src.AddToSelection(src.Nth(0));
    src.AddToSelection(src.Nth(1));
    if (c.Cut) src.CutToClipBoard();
    else src.CopyToClipBoard();
    dst.OnLoadNode = [&dst, &c](TBaseLazyTree_qn*, PLazyNode Node, TStream* Stream) {
      Cardinal id = 0;
      Stream->Read(&id, 4);
      dst.SetId(Node, id);
      if (id == c.FailAt) throw Exception(u"cannot take this one");
    };
    const Cardinal blocks = src.LiveNodeBlocks() + dst.LiveNodeBlocks();
    dst.SetDefaultPasteMode(amAddChildLast);
    if (c.Drop) {
      IDataObject* raw = nullptr;
      ASSERT_EQ(OleGetClipboard(&raw), S_OK);
      TIntf<IDataObject> data;
      data.Attach(raw);
      Integer effect = c.Cut ? DROPEFFECT_MOVE : DROPEFFECT_COPY;
      EXPECT_FALSE(dst.ProcessDrop(data.get(), nullptr, effect, amAddChildLast));
      EXPECT_EQ(effect, DROPEFFECT_NONE);
    } else {
      EXPECT_THROW(dst.PasteFromClipboard(), Exception);
    }
    EXPECT_EQ(dst.TopIds(), c.Cut ? (std::vector<Cardinal>{9, 1}) : (std::vector<Cardinal>{9}));
    EXPECT_EQ(src.TopIds(), c.Cut ? (std::vector<Cardinal>{2, 3}) : (std::vector<Cardinal>{1, 2, 3}));
    EXPECT_EQ(src.LiveNodeBlocks() + dst.LiveNodeBlocks(), blocks);
    for (TClipTree* t : {&src, &dst}) {
      treetest::ExpectConsistent(t, "after the failed paste");
      Integer flagged = 0;
      for (PLazyNode n : treetest::AllNodes(t)) flagged += n->States.Contains(vsSelected) ? 1 : 0;
      EXPECT_EQ(t->SelectedCount(), flagged);
    }
  }
}

TEST(LazyTrees_qn_Clipboard, FlushedDataOutlivesItsTreeAndAFreedTreeServesNothing) {
  TOle ole;
  TClipTree dst;
  {
    TClipTree src;
    src.Fill({4});
    src.AddToSelection(src.Nth(0));
    src.CutToClipBoard();
    src.FlushClipboard();
    EXPECT_FALSE(src.TreeStates().Contains(tsCutPending));
    EXPECT_EQ(src.CutCopyCount(), 0u);
  }
  EXPECT_TRUE(dst.PasteFromClipboard());
  EXPECT_EQ(dst.TopIds(), (std::vector<Cardinal>{4}));
  EXPECT_EQ(dst.CopyingAsked, 1) << "flushed data is a copy";
  {
    TClipTree src;
    src.Fill({6});
    src.AddToSelection(src.Nth(0));
    src.CopyToClipBoard();
  }
  // The tree took its object along: nothing to paste.
  EXPECT_FALSE(dst.PasteFromClipboard());
  EXPECT_EQ(dst.TopIds(), (std::vector<Cardinal>{4}));
  // A tree detached from an object somebody still holds answers nothing.
  TIntf<IDataObject> held;
  {
    TClipTree src;
    src.Fill({8});
    src.AddToSelection(src.Nth(0));
    src.CopyToClipBoard();
    IDataObject* raw = nullptr;
    ASSERT_EQ(OleGetClipboard(&raw), S_OK);
    held.Attach(raw);
  }
  Integer effect = DROPEFFECT_COPY;
  EXPECT_FALSE(dst.ProcessDrop(held.get(), nullptr, effect, amAddChildLast));
  EXPECT_EQ(dst.TopIds(), (std::vector<Cardinal>{4}));
}

TEST(LazyTrees_qn_Clipboard, WithoutAClipboardPasteRaises2007) {
  TClipTree t;
  t.Fill({1});
  // OLE down for this thread for a moment (the trees' set-up started it).
  int started = 0;
  auto clipboardUp = [] {
    IDataObject* raw = nullptr;
    HRESULT hr = OleGetClipboard(&raw);
    if (raw) raw->_Release();
    return hr == S_OK;
  };
  while (clipboardUp() && started < 16) {
    OleUninitialize();
    ++started;
  }
  ASSERT_FALSE(clipboardUp());
  bool raised = false;
  try {
    t.PasteFromClipboard();
  } catch (const ELazyTreeError& e) {
    raised = true;
    EXPECT_EQ(e.Message(), String(u"Clipboard operation failed."));
    EXPECT_EQ(e.HelpContext, 2007);
  }
  for (int i = 0; i < started; ++i) OleInitialize(nullptr);
  EXPECT_TRUE(raised);
  EXPECT_EQ(t.TopIds(), (std::vector<Cardinal>{1}));
}

// Blocks whose count lies, streams that break off or hold rubbish: either a
// clear error or False, the tree exactly as before.
TEST(LazyTrees_qn_Clipboard, HostilePayloadsLeaveTheTreeUnchanged) {
  TClipTree donor, t;
  donor.Fill({1, 2});
  t.Fill({9});
  std::vector<Byte> good = NodeChunks(donor, donor.Nth(0));
  std::vector<Byte> two = good;
  std::vector<Byte> second = NodeChunks(donor, donor.Nth(1));
  two.insert(two.end(), second.begin(), second.end());
  const int32_t n = int32_t(two.size());
  struct TCase {
    std::vector<Byte> Bytes;
    DWORD Tymed;
    bool Accepted;
  };
  std::vector<TCase> cases = {
      {WithCount(two, n), TYMED_HGLOBAL, true},
      {WithCount(two, n + 1), TYMED_HGLOBAL, false},
      {WithCount(two, -1), TYMED_HGLOBAL, false},
      {WithCount(two, 0x7FFFFFFF), TYMED_HGLOBAL, false},
      {{1, 2}, TYMED_HGLOBAL, false},
      {WithCount(std::vector<Byte>(two.begin(), two.end() - 3), n - 3), TYMED_HGLOBAL, false},
      {two, TYMED_ISTREAM, true},
      {std::vector<Byte>(two.begin(), two.begin() + 10), TYMED_ISTREAM, false},
      {std::vector<Byte>(64, 0xEE), TYMED_ISTREAM, false},
  };
  for (size_t i = 0; i < cases.size(); ++i) {
    SCOPED_TRACE(i);
    const std::vector<Cardinal> before = t.TopIds();
    const Cardinal total = t.RootNode()->TotalCount, visible = t.VisibleCount();
    TIntf<IDataObject> payload(new TPayload(cases[i].Bytes, cases[i].Tymed));
    bool added = false;
    try {
      added = t.ProcessOLEData(nullptr, payload.get(), nullptr, amAddChildLast, false);
    } catch (const Exception&) {
      added = false;
    }
    if (cases[i].Accepted) {
      EXPECT_TRUE(added);
      EXPECT_EQ(t.RootNode()->TotalCount, total + 2);
      // Back to the start for the next case.
      t.DeleteNode(t.Nth(2));
      t.DeleteNode(t.Nth(1));
    } else {
      EXPECT_FALSE(added);
    }
    EXPECT_EQ(t.TopIds(), before);
    EXPECT_EQ(t.RootNode()->TotalCount, total);
    EXPECT_EQ(t.VisibleCount(), visible);
    // A drop swallows what a paste would report.
    Integer effect = DROPEFFECT_COPY;
    bool dropped = t.ProcessDrop(payload.get(), nullptr, effect, amAddChildLast);
    EXPECT_EQ(dropped, cases[i].Accepted);
    if (!cases[i].Accepted) EXPECT_EQ(t.TopIds(), before);
    else t.DeleteNode(t.Nth(2)), t.DeleteNode(t.Nth(1));
  }
}

TEST(LazyTrees_qn_Clipboard, WindowMessagesReachTheClipboard) {
  TOle ole;
  TClipTree a;
  a.Fill({1, 2});
  a.AddToSelection(a.Nth(0));
  a.Perform(WM_COPY, 0, 0);
  EXPECT_TRUE(a.TreeStates().Contains(tsCopyPending));
  a.SetFocusedNode(nullptr);
  a.Perform(WM_PASTE, 0, 0);
  EXPECT_EQ(a.TopIds(), (std::vector<Cardinal>{1, 2, 1}));
  a.Perform(WM_CUT, 0, 0);
  EXPECT_TRUE(a.TreeStates().Contains(tsCutPending));
  EXPECT_FALSE(a.TreeStates().Contains(tsCopyPending));
  // Clearing the tree takes its object off the clipboard.
  a.Clear();
  IDataObject* raw = nullptr;
  ASSERT_EQ(OleGetClipboard(&raw), S_OK);
  TIntf<IDataObject> now;
  now.Attach(raw);
  EXPECT_EQ(a.GetTreeFromDataObject(now.get()), nullptr);
  EXPECT_FALSE(a.PasteFromClipboard());
}

}  // namespace t_lazy_trees_qn_clipboard_test
