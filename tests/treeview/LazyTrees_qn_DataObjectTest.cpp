// The tree's data object: the common data object contract, the exact
// payload of "Lazy Tree Data" on both media, error codes of each mismatch,
// media stored by SetData (including ones that came from the object
// itself), the format enumerator, the same-process reference, and objects
// that outlive their tree or meet hostile callers.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "platform/user/User.h"
#include "tests/common/DataObjectConformance.h"
#include "tests/treeview/LazyTrees_qn_StreamTestSupport.h"

namespace t_lazy_trees_qn_data_object_test {

using namespace qn;
using namespace streamtest;

namespace {

class TTransferTree : public THostTree {
  QN_CLASS(TTransferTree, THostTree)
 public:
  using TBaseLazyTree_qn::DoStateChange;
  // a (expanded, checked, selected) > b > c, then d; as the node stream's
  // own known tree.
  void BuildGolden() {
    SetMulti(true);
    PLazyNode a = AddChild(nullptr);
    PLazyNode d = AddChild(nullptr);
    PLazyNode b = AddChild(a);
    PLazyNode c = AddChild(b);
    Cardinal id = 0;
    for (PLazyNode n : {a, b, c}) {
      InitNode(n);
      SetId(n, ++id);
    }
    InitNode(d);
    Captions = {{0, u"d"}, {1, u"a"}, {2, u"b"}, {3, u"c"}};
    SetExpanded(a, true);
    SetExpanded(b, true);
    SetCheckType(a, ctCheckBox);
    SetCheckState(a, csCheckedNormal);
    AddToSelection(a);
    ClipboardFormats()->Add(u"Lazy Tree Data");
  }
  PLazyNode A() { return RootNode()->FirstChild; }
  PLazyNode D() { return RootNode()->LastChild; }
};

// The node chunks of a saved tree or node: the save without its header and
// root count.
TBytesV Chunks(TBaseLazyTree_qn* Tree, PLazyNode Node = nullptr) {
  TBytesV all = Save(Tree, Node);
  return TBytesV(all.begin() + 16, all.end());
}

FORMATETC Format(Word cf, DWORD tymed = TYMED_HGLOBAL) {
  FORMATETC f;
  f.cfFormat = cf;
  f.tymed = tymed;
  return f;
}

TBytesV BlockBytes(HGLOBAL h) {
  const Byte* p = static_cast<const Byte*>(GlobalLock(h));
  TBytesV v(p, p + GlobalSize(h));
  GlobalUnlock(h);
  return v;
}

TBytesV StreamBytes(IStream* s) {
  TBytesV v;
  Byte buf[64];
  ULONG got = 0;
  // A short read at the end may come with S_FALSE.
  while (Succeeded(s->Read(buf, sizeof buf, &got)) && got > 0 && got <= sizeof buf) v.insert(v.end(), buf, buf + got);
  return v;
}

TBytesV WithCount(const TBytesV& Chunks) {
  const Cardinal n = Cardinal(Chunks.size());
  TBytesV v{U32(n)};
  v.insert(v.end(), Chunks.begin(), Chunks.end());
  return v;
}

HGLOBAL ReferenceBlock(const Byte* Bytes, size_t Size) {
  HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, Size);
  if (Size) std::memcpy(GlobalLock(h), Bytes, Size);
  if (Size) GlobalUnlock(h);
  return h;
}

// A standard data object that offers Bytes as "Lazy Tree Reference", as a
// foreign source would.
TIntf<IDataObject> ForeignReference(const TBytesV& Bytes) {
  void* p = nullptr;
  EXPECT_EQ(SHCreateDataObject(nullptr, 0, nullptr, nullptr, IDataObject::IID, &p), S_OK);
  TIntf<IDataObject> obj;
  obj.Attach(static_cast<IDataObject*>(p));
  FORMATETC f = Format(CF_VTREFERENCE);
  STGMEDIUM m;
  m.tymed = TYMED_HGLOBAL;
  m.hGlobal = ReferenceBlock(Bytes.data(), Bytes.size());
  EXPECT_EQ(obj->SetData(&f, &m, TRUE), S_OK);
  return obj;
}

TBytesV ReferenceOf(IDataObject* Obj) {
  FORMATETC f = Format(CF_VTREFERENCE);
  STGMEDIUM m;
  if (Obj->GetData(&f, &m) != S_OK) return {};
  TBytesV v = BlockBytes(m.hGlobal);
  ReleaseStgMedium(&m);
  return v;
}

}  // namespace

TEST(LazyTrees_qn_DataObject, KeepsTheDataObjectContract) {
  TTransferTree tree;
  tree.BuildGolden();
  const Word text = Word(RegisterClipboardFormatW(u"Quarn tree conformance text"));
  tree.OnGetUserClipboardFormats = [&](TBaseLazyTree_qn*, TFormatEtcArray& Formats) {
    Formats.push_back(Format(text));
  };
  tree.OnRenderOLEData = [&](TBaseLazyTree_qn*, const TFormatEtc& In, TStgMedium& Medium, bool, HRESULT& Result) {
    if (In.cfFormat != text || !(In.tymed & TYMED_HGLOBAL)) return;
    Medium.tymed = TYMED_HGLOBAL;
    Medium.hGlobal = conformance::detail::MakeBlock("a\r\nb");
    Result = S_OK;
  };
  conformance::CheckDataObjectConformance([&] { return TIntf<IDataObject>(new TVTDataObject(&tree, false)); },
                                          {});
}

TEST(LazyTrees_qn_DataObject, RendersTheNodeChunksOnBothMedia) {
  TTransferTree tree;
  tree.BuildGolden();
  tree.AddToSelection(tree.D());
  tree.AddToSelection(tree.A()->FirstChild);  // inside a: carried by a's chunk
  const size_t blocks = GlobalBlockCount();
  {
    TIntf<IDataObject> drag(new TVTDataObject(&tree, false));
    FORMATETC f = Format(CF_LAZYTREE);
    STGMEDIUM m;
    ASSERT_EQ(drag->GetData(&f, &m), S_OK);
    EXPECT_EQ(m.tymed, TYMED_HGLOBAL);
    EXPECT_EQ(m.pUnkForRelease, nullptr);
    EXPECT_EQ(GlobalFlags(m.hGlobal) & GMEM_SHARE, GMEM_SHARE);
    // The known tree's chunks, a's then d's, behind their byte count.
    EXPECT_EQ(BlockBytes(m.hGlobal), WithCount(Chunks(&tree)));
    ReleaseStgMedium(&m);

    // Asked for a stream only, the registry's HGLOBAL entry says no; with
    // both, the stream wins and starts at its beginning.
    f.tymed = TYMED_ISTREAM;
    EXPECT_EQ(drag->QueryGetData(&f), DV_E_TYMED);
    EXPECT_EQ(drag->GetData(&f, &m), DV_E_TYMED);
    f.tymed = TYMED_ISTREAM | TYMED_HGLOBAL;
    ASSERT_EQ(drag->GetData(&f, &m), S_OK);
    ASSERT_EQ(m.tymed, TYMED_ISTREAM);
    EXPECT_EQ(StreamBytes(m.pstm), Chunks(&tree));
    ReleaseStgMedium(&m);
  }
  EXPECT_EQ(GlobalBlockCount(), blocks);

  // For the clipboard the cut/copy marks count, not the selection.
  TIntf<IDataObject> clip(new TVTDataObject(&tree, true));
  FORMATETC f = Format(CF_LAZYTREE);
  STGMEDIUM m = conformance::detail::Garbage();
  EXPECT_EQ(clip->GetData(&f, &m), E_FAIL) << "nothing marked: no empty block";
  EXPECT_TRUE(conformance::detail::Zeroed(m));
  tree.ClearSelection();
  tree.AddToSelection(tree.A()->FirstChild);
  tree.MarkCutCopyNodes();
  tree.ClearSelection();
  ASSERT_EQ(clip->GetData(&f, &m), S_OK);
  EXPECT_EQ(BlockBytes(m.hGlobal), WithCount(Chunks(&tree, tree.A()->FirstChild)));
  ReleaseStgMedium(&m);
  TIntf<IDataObject> drag(new TVTDataObject(&tree, false));
  EXPECT_EQ(drag->GetData(&f, &m), E_FAIL) << "nothing selected";
}

TEST(LazyTrees_qn_DataObject, EachMismatchHasItsOwnCode) {
  TTransferTree tree;
  tree.BuildGolden();
  const Word user = Word(RegisterClipboardFormatW(u"Quarn twice offered"));
  bool lindexFirst = true;
  tree.OnGetUserClipboardFormats = [&](TBaseLazyTree_qn*, TFormatEtcArray& Formats) {
    FORMATETC wrongIndex = Format(user, TYMED_HGLOBAL);
    wrongIndex.lindex = 5;
    FORMATETC wrongMedium = Format(user, TYMED_ISTREAM);
    if (lindexFirst) Formats.insert(Formats.end(), {wrongIndex, wrongMedium});
    else Formats.insert(Formats.end(), {wrongMedium, wrongIndex});
  };
  TIntf<IDataObject> obj(new TVTDataObject(&tree, false));
  FORMATETC f = Format(CF_LAZYTREE);
  f.dwAspect = DVASPECT_ICON;
  EXPECT_EQ(obj->QueryGetData(&f), DV_E_DVASPECT);
  f = Format(CF_LAZYTREE);
  f.lindex = 0;
  EXPECT_EQ(obj->QueryGetData(&f), DV_E_LINDEX);
  f = Format(CF_LAZYTREE, TYMED_FILE);
  f.lindex = 0;
  EXPECT_EQ(obj->QueryGetData(&f), DV_E_LINDEX) << "within one entry the last mismatch is told";
  const FORMATETC nobody = Format(0xC0DE), asked = Format(user);
  EXPECT_EQ(obj->QueryGetData(&nobody), DV_E_FORMATETC);
  // Over several entries of one format the last one's complaint wins.
  EXPECT_EQ(obj->QueryGetData(&asked), DV_E_TYMED);
  lindexFirst = false;
  TIntf<IDataObject> other(new TVTDataObject(&tree, false));
  EXPECT_EQ(other->QueryGetData(&asked), DV_E_LINDEX);
  // Another target device is not served, by either call.
  DVTARGETDEVICE device;
  f = Format(CF_LAZYTREE);
  f.ptd = &device;
  STGMEDIUM m = conformance::detail::Garbage();
  EXPECT_EQ(obj->QueryGetData(&f), DV_E_FORMATETC);
  EXPECT_EQ(obj->GetData(&f, &m), DV_E_FORMATETC);
  EXPECT_TRUE(conformance::detail::Zeroed(m));
  EXPECT_EQ(obj->GetDataHere(&f, &m), E_NOTIMPL);
  FORMATETC out = Format(7);
  EXPECT_EQ(obj->GetCanonicalFormatEtc(&f, &out), DATA_S_SAMEFORMATETC);
  EXPECT_EQ(out.cfFormat, 7) << "the output stays as it was";
}

TEST(LazyTrees_qn_DataObject, StoresReplacesAndBreaksSelfReferences) {
  TTransferTree tree;
  tree.BuildGolden();
  const Word mine = Word(RegisterClipboardFormatW(u"Quarn stored"));
  const size_t blocks = GlobalBlockCount();
  {
    TIntf<TVTDataObject> obj(new TVTDataObject(&tree, false));
    TIntf<conformance::detail::TCountingSink> sink(new conformance::detail::TCountingSink);
    DWORD connection = 0;
    FORMATETC f = Format(mine);
    ASSERT_EQ(obj->DUnadvise(1), E_NOTIMPL);
    IEnumSTATDATA* stats = reinterpret_cast<IEnumSTATDATA*>(uintptr_t(1));
    EXPECT_EQ(obj->EnumDAdvise(&stats), OLE_E_ADVISENOTSUPPORTED);
    EXPECT_EQ(stats, nullptr);
    ASSERT_EQ(obj->DAdvise(&f, ADVF_NODATA, sink.get(), &connection), S_OK);

    STGMEDIUM given;
    given.tymed = TYMED_HGLOBAL;
    given.hGlobal = conformance::detail::MakeBlock("first");
    ASSERT_EQ(obj->SetData(&f, &given, TRUE), S_OK);
    EXPECT_EQ(sink->Changes, 1);
    const size_t offered = obj->FormatEtcArray().size();
    EXPECT_EQ(obj->FormatEtcArray().back().cfFormat, mine);

    // What GetData hands out of a stored medium is the object's own block
    // under the object as release object.
    STGMEDIUM back;
    ASSERT_EQ(obj->GetData(&f, &back), S_OK);
    EXPECT_EQ(back.hGlobal, given.hGlobal);
    EXPECT_EQ(back.pUnkForRelease, static_cast<IUnknown*>(static_cast<IDataObject*>(obj.get())));
    const Integer refs = obj->RefCount();
    // Given back to the object: it keeps a copy of its own, not a handle
    // it is about to free, and not a reference to itself.
    ASSERT_EQ(obj->SetData(&f, &back, TRUE), S_OK);
    EXPECT_EQ(obj->RefCount(), refs - 1);
    EXPECT_EQ(sink->Changes, 2);
    STGMEDIUM again;
    ASSERT_EQ(obj->GetData(&f, &again), S_OK);
    EXPECT_EQ(conformance::detail::ReadBlock(again.hGlobal), "first");
    // The same without taking ownership.
    ASSERT_EQ(obj->SetData(&f, &again, FALSE), S_OK);
    ReleaseStgMedium(&again);
    EXPECT_EQ(obj->RefCount(), refs - 1);
    // Replacing keeps one entry per format and frees the old block.
    HGLOBAL lent = conformance::detail::MakeBlock("second");
    STGMEDIUM copy;
    copy.tymed = TYMED_HGLOBAL;
    copy.hGlobal = lent;
    const size_t n = GlobalBlockCount();
    ASSERT_EQ(obj->SetData(&f, &copy, FALSE), S_OK);
    EXPECT_EQ(GlobalBlockCount(), n);
    EXPECT_EQ(conformance::detail::ReadBlock(lent), "second");
    GlobalFree(lent);
    EXPECT_EQ(obj->FormatEtcArray().size(), offered);
    ASSERT_EQ(obj->GetData(&f, &back), S_OK);
    EXPECT_EQ(conformance::detail::ReadBlock(back.hGlobal), "second");
    ReleaseStgMedium(&back);
    EXPECT_EQ(sink->Changes, 4);

    // Bad media and devices leave the object as it was.
    STGMEDIUM empty;
    EXPECT_EQ(obj->SetData(&f, &empty, TRUE), DV_E_STGMEDIUM);
    DVTARGETDEVICE device;
    FORMATETC onDevice = f;
    onDevice.ptd = &device;
    copy.hGlobal = conformance::detail::MakeBlock("x");
    EXPECT_EQ(obj->SetData(&onDevice, &copy, FALSE), DV_E_DVTARGETDEVICE);
    GlobalFree(copy.hGlobal);
    STGMEDIUM bitmap;
    bitmap.tymed = TYMED_GDI;
    bitmap.hBitmap = reinterpret_cast<HBITMAP>(uintptr_t(0x1234));
    EXPECT_EQ(obj->SetData(&f, &bitmap, FALSE), DV_E_TYMED) << "a bitmap is not copied";
    FORMATETC streamed = Format(mine, TYMED_ISTREAM);
    copy.hGlobal = conformance::detail::MakeBlock("not a stream");
    EXPECT_EQ(obj->SetData(&streamed, &copy, TRUE), DV_E_TYMED) << "a block offered as a stream";
    GlobalFree(copy.hGlobal);
    EXPECT_EQ(obj->SetData(nullptr, &copy, FALSE), E_INVALIDARG);
    EXPECT_EQ(obj->FormatEtcArray().size(), offered);
    EXPECT_EQ(sink->Changes, 4);
    EXPECT_EQ(obj->DUnadvise(connection), S_OK);
  }
  EXPECT_EQ(GlobalBlockCount(), blocks);
}

TEST(LazyTrees_qn_DataObject, EnumeratorWalksSkipsResetsAndClones) {
  TTransferTree tree;
  tree.BuildGolden();
  tree.OnGetUserClipboardFormats = [](TBaseLazyTree_qn*, TFormatEtcArray& Formats) {
    for (Word cf : {0xC001, 0xC002}) Formats.push_back(Format(cf));
  };
  TIntf<IDataObject> obj(new TVTDataObject(&tree, false));
  IEnumFORMATETC* raw = reinterpret_cast<IEnumFORMATETC*>(uintptr_t(1));
  EXPECT_EQ(obj->EnumFormatEtc(DATADIR_SET, &raw), E_NOTIMPL);
  EXPECT_EQ(raw, nullptr);
  EXPECT_EQ(obj->EnumFormatEtc(DATADIR_GET, nullptr), E_INVALIDARG);
  ASSERT_EQ(obj->EnumFormatEtc(DATADIR_GET, &raw), S_OK);
  TIntf<IEnumFORMATETC> e;
  e.Attach(raw);
  FORMATETC got[4];
  ULONG n = 9;
  EXPECT_EQ(e->Next(2, got, nullptr), E_INVALIDARG) << "a batch needs a count";
  ASSERT_EQ(e->Next(1, got, nullptr), S_OK);
  EXPECT_EQ(got[0].cfFormat, CF_LAZYTREE);
  EXPECT_EQ(e->Skip(2), S_OK) << "skipping to exactly the end";
  EXPECT_EQ(e->Next(1, got, &n), S_FALSE);
  EXPECT_EQ(n, 0u);
  EXPECT_EQ(e->Reset(), S_OK);
  EXPECT_EQ(e->Skip(4), S_FALSE) << "past the end";
  EXPECT_EQ(e->Skip(1), S_OK) << "and not moved by the refusal";
  IEnumFORMATETC* rawClone = nullptr;
  ASSERT_EQ(e->Clone(&rawClone), S_OK);
  TIntf<IEnumFORMATETC> clone;
  clone.Attach(rawClone);
  EXPECT_EQ(e->Next(4, got, &n), S_FALSE);
  ASSERT_EQ(n, 2u);
  EXPECT_EQ(got[0].cfFormat, 0xC001);
  EXPECT_EQ(got[1].cfFormat, 0xC002);
  ASSERT_EQ(clone->Next(2, got, &n), S_OK) << "the clone kept the place";
  EXPECT_EQ(n, 2u);
  EXPECT_EQ(got[0].cfFormat, 0xC001);
  EXPECT_EQ(clone->Clone(nullptr), E_INVALIDARG);
}

TEST(LazyTrees_qn_DataObject, TheReferenceFindsOnlyLiveTreesOfThisProcess) {
  auto tree = std::make_unique<TTransferTree>();
  tree->BuildGolden();
  TIntf<IDataObject> obj(new TVTDataObject(tree.get(), false));
  EXPECT_EQ(tree->GetTreeFromDataObject(obj.get()), tree.get());
  TTransferTree other;
  EXPECT_EQ(other.GetTreeFromDataObject(obj.get()), tree.get());
  EXPECT_EQ(other.GetTreeFromDataObject(nullptr), nullptr);
  const TBytesV reference = ReferenceOf(obj.get());
  ASSERT_EQ(reference.size(), 8u);
  DWORD pid = 0;
  std::memcpy(&pid, reference.data(), 4);
  EXPECT_EQ(pid, GetCurrentProcessId());
  // A medium that is not a block is refused.
  FORMATETC f = Format(CF_VTREFERENCE, TYMED_ISTREAM);
  STGMEDIUM m;
  EXPECT_EQ(obj->GetData(&f, &m), DV_E_TYMED);

  // Another process, a short block, a token nobody has: nothing.
  TBytesV foreign = reference;
  foreign[0] ^= 0x5A;
  EXPECT_EQ(other.GetTreeFromDataObject(ForeignReference(foreign).get()), nullptr);
  EXPECT_EQ(other.GetTreeFromDataObject(ForeignReference(TBytesV(reference.begin(), reference.begin() + 7)).get()),
            nullptr);
  TBytesV unknown = reference;
  unknown[4] ^= 0x77;
  unknown[7] ^= 0x10;
  EXPECT_EQ(other.GetTreeFromDataObject(ForeignReference(unknown).get()), nullptr);
  EXPECT_EQ(other.GetTreeFromDataObject(ForeignReference(reference).get()), tree.get());

  // Flushing the clipboard does not publish the tree.
  tree->DoStateChange({tsClipboardFlushing});
  STGMEDIUM g = conformance::detail::Garbage();
  f = Format(CF_VTREFERENCE);
  EXPECT_EQ(obj->GetData(&f, &g), E_FAIL);
  EXPECT_TRUE(conformance::detail::Zeroed(g));
  EXPECT_EQ(other.GetTreeFromDataObject(obj.get()), nullptr);
  tree->DoStateChange({}, {tsClipboardFlushing});

  // Once the tree is gone its token resolves to nothing, and a new tree at
  // the same address gets a token of its own.
  tree.reset();
  EXPECT_EQ(other.GetTreeFromDataObject(ForeignReference(reference).get()), nullptr);
  EXPECT_EQ(other.GetTreeFromDataObject(obj.get()), nullptr);
  auto next = std::make_unique<TTransferTree>();
  EXPECT_EQ(other.GetTreeFromDataObject(ForeignReference(reference).get()), nullptr);
}

TEST(LazyTrees_qn_DataObject, AnObjectOutlivingItsTreeServesOnlyWhatItStores) {
  auto tree = std::make_unique<TTransferTree>();
  tree->BuildGolden();
  tree->MarkCutCopyNodes();
  tree->DoStateChange({tsCopyPending});
  TIntf<TVTDataObject> obj(new TVTDataObject(tree.get(), true));
  const Word mine = Word(RegisterClipboardFormatW(u"Quarn kept"));
  FORMATETC kept = Format(mine);
  STGMEDIUM given;
  given.tymed = TYMED_HGLOBAL;
  given.hGlobal = conformance::detail::MakeBlock("kept");
  ASSERT_EQ(obj->SetData(&kept, &given, TRUE), S_OK);
  tree.reset();
  EXPECT_EQ(obj->Owner(), nullptr);
  FORMATETC data = Format(CF_LAZYTREE);
  STGMEDIUM m = conformance::detail::Garbage();
  EXPECT_EQ(obj->QueryGetData(&data), S_OK) << "still offered";
  EXPECT_EQ(obj->GetData(&data, &m), E_FAIL);
  EXPECT_TRUE(conformance::detail::Zeroed(m));
  ASSERT_EQ(obj->GetData(&kept, &m), S_OK);
  EXPECT_EQ(conformance::detail::ReadBlock(m.hGlobal), "kept");
  ReleaseStgMedium(&m);
  IEnumFORMATETC* e = nullptr;
  ASSERT_EQ(obj->EnumFormatEtc(DATADIR_GET, &e), S_OK);
  e->_Release();
  obj = nullptr;  // no tree left to cancel marks on
}

TEST(LazyTrees_qn_DataObject, TheClipboardObjectTakesTheMarksAlongUnlessFlushing) {
  TTransferTree tree;
  tree.BuildGolden();
  for (bool flushing : {false, true}) {
    tree.MarkCutCopyNodes();
    tree.DoStateChange({tsCutPending});
    if (flushing) tree.DoStateChange({tsClipboardFlushing});
    TIntf<IDataObject> clip(new TVTDataObject(&tree, true));
    TIntf<IDataObject> drag(new TVTDataObject(&tree, false));
    drag = nullptr;
    EXPECT_EQ(tree.CutCopyCount(), 1u);
    clip = nullptr;
    EXPECT_EQ(tree.CutCopyCount(), flushing ? 1u : 0u) << flushing;
    EXPECT_EQ(tree.TreeStates().Contains(tsCutPending), flushing);
    tree.DoStateChange({}, {tsClipboardFlushing});
    tree.CancelCutOrCopy();
  }
}

TEST(LazyTrees_qn_DataObject, HostileCallersAndFailingHandlersGetCodesNotCrashes) {
  TTransferTree tree;
  tree.BuildGolden();
  const Word user = Word(RegisterClipboardFormatW(u"Quarn hostile"));
  int mode = 0;
  tree.OnGetUserClipboardFormats = [&](TBaseLazyTree_qn*, TFormatEtcArray& Formats) {
    Formats.push_back(Format(user, TYMED_HGLOBAL | TYMED_ISTREAM));
  };
  tree.OnRenderOLEData = [&](TBaseLazyTree_qn*, const TFormatEtc&, TStgMedium& Medium, bool, HRESULT& Result) {
    if (mode == 0) throw Exception(u"handler failed");
    if (mode == 1) Result = S_OK;  // success without a medium
    if (mode == 2) {                // a medium nobody asked for
      Medium.tymed = TYMED_FILE;
      Medium.lpszFileName = static_cast<Char*>(CoTaskMemAlloc(2 * sizeof(Char)));
      Medium.lpszFileName[0] = 0;
      Result = S_OK;
    }
  };
  const size_t blocks = GlobalBlockCount();
  TIntf<IDataObject> obj(new TVTDataObject(&tree, false));
  FORMATETC f = Format(user, TYMED_HGLOBAL);
  for (mode = 0; mode < 3; ++mode) {
    STGMEDIUM m = conformance::detail::Garbage();
    EXPECT_EQ(obj->GetData(&f, &m), E_FAIL) << mode;
    EXPECT_TRUE(conformance::detail::Zeroed(m)) << mode;
  }
  // A node handler that raises while "Lazy Tree Data" is written.
  tree.OnSaveNode = [](TBaseLazyTree_qn*, PLazyNode, TStream*) { throw Exception(u"no saving"); };
  for (DWORD tymed : {TYMED_HGLOBAL, TYMED_ISTREAM | TYMED_HGLOBAL}) {
    FORMATETC d = Format(CF_LAZYTREE, tymed);
    STGMEDIUM m = conformance::detail::Garbage();
    EXPECT_EQ(obj->GetData(&d, &m), E_FAIL);
    EXPECT_TRUE(conformance::detail::Zeroed(m));
  }
  STGMEDIUM m;
  EXPECT_EQ(obj->GetData(nullptr, &m), E_INVALIDARG);
  EXPECT_EQ(obj->GetData(&f, nullptr), E_INVALIDARG);
  EXPECT_EQ(obj->QueryGetData(nullptr), E_INVALIDARG);
  EXPECT_EQ(obj->SetData(&f, nullptr, TRUE), E_INVALIDARG);
  EXPECT_EQ(obj->EnumDAdvise(nullptr), E_INVALIDARG);
  obj = nullptr;
  EXPECT_EQ(GlobalBlockCount(), blocks);
}

TEST(LazyTrees_qn_DataObject, TheApplicationMayMakeTheDataObject) {
  TTransferTree tree;
  EXPECT_FALSE(tree.DoCreateDataObject());
  TIntf<IDataObject> made(new TVTDataObject(&tree, false));
  tree.OnCreateDataObject = [&](TBaseLazyTree_qn*, TIntf<IInterface>& Obj) { Obj = made.get(); };
  EXPECT_EQ(tree.DoCreateDataObject().get(), made.get());
  // Something that is no data object is not taken for one.
  tree.OnCreateDataObject = [&](TBaseLazyTree_qn*, TIntf<IInterface>& Obj) {
    Obj = TIntf<IInterface>(new conformance::detail::TCountingSink);
  };
  EXPECT_FALSE(tree.DoCreateDataObject());
}

// Through the OLE clipboard as a copy and paste would go: the object stays
// on the clipboard serving its tree, a flush renders it for good without
// publishing the tree, and an object replaced on the clipboard takes the
// marks along.
TEST(LazyTrees_qn_DataObject, ClipboardRoundTrip) {
  ASSERT_EQ(OleInitialize(nullptr) >= 0, true);
  {
    TTransferTree tree;
    tree.BuildGolden();
    tree.MarkCutCopyNodes();
    tree.DoStateChange({tsCopyPending});
    ASSERT_EQ(OleSetClipboard(TIntf<IDataObject>(new TVTDataObject(&tree, true)).get()), S_OK);
    IDataObject* raw = nullptr;
    ASSERT_EQ(OleGetClipboard(&raw), S_OK);
    TIntf<IDataObject> pasted;
    pasted.Attach(raw);
    EXPECT_EQ(tree.GetTreeFromDataObject(pasted.get()), &tree);
    FORMATETC f = Format(CF_LAZYTREE);
    STGMEDIUM m;
    ASSERT_EQ(pasted->GetData(&f, &m), S_OK);
    EXPECT_EQ(BlockBytes(m.hGlobal), WithCount(Chunks(&tree, tree.A())));
    ReleaseStgMedium(&m);

    // Flushing: the data stays on the clipboard, the tree is not named, the
    // marks are the tree's to finish.
    tree.DoStateChange({tsClipboardFlushing});
    ASSERT_EQ(OleFlushClipboard(), S_OK);
    tree.DoStateChange({}, {tsClipboardFlushing});
    EXPECT_EQ(tree.CutCopyCount(), 1u);
    pasted = nullptr;
    ASSERT_EQ(OleGetClipboard(&raw), S_OK);
    pasted.Attach(raw);
    EXPECT_EQ(tree.GetTreeFromDataObject(pasted.get()), nullptr);
    ASSERT_EQ(pasted->GetData(&f, &m), S_OK);
    EXPECT_EQ(BlockBytes(m.hGlobal), WithCount(Chunks(&tree, tree.A())));
    ReleaseStgMedium(&m);
    pasted = nullptr;
    tree.CancelCutOrCopy();

    // A new copy replaced by something else: the marks go with the object.
    tree.MarkCutCopyNodes();
    tree.DoStateChange({tsCopyPending});
    ASSERT_EQ(OleSetClipboard(TIntf<IDataObject>(new TVTDataObject(&tree, true)).get()), S_OK);
    EXPECT_EQ(tree.CutCopyCount(), 1u);
    ASSERT_EQ(OleSetClipboard(nullptr), S_OK);
    EXPECT_EQ(tree.CutCopyCount(), 0u);
    EXPECT_FALSE(tree.TreeStates().Contains(tsCopyPending));
  }
  OleUninitialize();
}

}  // namespace t_lazy_trees_qn_data_object_test
