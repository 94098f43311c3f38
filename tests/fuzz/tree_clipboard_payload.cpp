// Any bytes as the "Lazy Tree Data" a stranger's data object serves, as a
// block with any leading count or as a stream, with a format enumerator
// that may lie, through paste, ProcessDrop and the drop target. Only
// orderly errors come out, and a failed insertion leaves the tree's counts
// as they were.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "package/Quarn.h"
#include "platform/ole/ActiveX.h"
#include "platform/user/User.h"
#include "platform/vcl/Forms.h"
#include "treeview/LazyTrees_qn.h"
#include "treeview/LazyTrees_qn_StringTree.h"

using namespace qn;

namespace {

void CheckAt(bool ok, int line) {
  if (ok) return;
  std::fprintf(stderr, "check failed at line %d\n", line);
  std::abort();
}
#define Check(ok) CheckAt((ok), __LINE__)

TForm* GForm = nullptr;
TLazyStringTree_qn* GTree = nullptr;

void SetUpOnce() {
  static const bool done = [] {
    qn::Initialize();
    GForm = new TForm(nullptr);
    GTree = new TLazyStringTree_qn(GForm);
    GTree->SetParent(GForm);
    GTree->ClipboardFormats()->Add(u"Lazy Tree Data");
    std::atexit([] {
      OleSetClipboard(nullptr);
      delete GForm;
      qn::Finalize();
    });
    return true;
  }();
  (void)done;
}

// Claims formats it may not have, and may never stop.
class TLyingEnum : public TInterfacedObject, public virtual IEnumFORMATETC {
  QN_CLASS(TLyingEnum, TInterfacedObject)
  QN_INTERFACES(IEnumFORMATETC)
 public:
  explicit TLyingEnum(Byte Mode) : FMode(Mode) {}
  HRESULT Next(ULONG celt, FORMATETC* elt, ULONG* fetched) override {
    if (fetched) *fetched = 0;
    if (!elt || celt == 0) return E_INVALIDARG;
    if (FMode % 3 == 2 && FCount > 3) return S_FALSE;
    ++FCount;
    elt[0].cfFormat = Word(FCount % 2 ? CF_LAZYTREE : 0xC0DE);
    elt[0].ptd = nullptr;
    elt[0].dwAspect = DVASPECT_CONTENT;
    elt[0].lindex = -1;
    elt[0].tymed = TYMED_HGLOBAL;
    // Mode 1: says S_OK but fetched nothing.
    if (fetched) *fetched = FMode % 3 == 1 ? 0 : 1;
    return S_OK;
  }
  HRESULT Skip(ULONG) override { return S_OK; }
  HRESULT Reset() override { return S_OK; }
  HRESULT Clone(IEnumFORMATETC** e) override {
    if (e) *e = nullptr;
    return E_NOTIMPL;
  }

 private:
  Byte FMode;
  unsigned FCount = 0;
};

class TPayload : public TInterfacedObject, public virtual IDataObject {
  QN_CLASS(TPayload, TInterfacedObject)
  QN_INTERFACES(IDataObject)
 public:
  TPayload(std::vector<Byte> Bytes, bool Stream, Byte EnumMode)
      : FBytes(std::move(Bytes)), FStream(Stream), FEnumMode(EnumMode) {}
  HRESULT GetData(const FORMATETC* F, STGMEDIUM* M) override {
    if (!M) return E_INVALIDARG;
    *M = STGMEDIUM{};
    if (!F || F->cfFormat != CF_LAZYTREE) return DV_E_FORMATETC;
    if (!FStream) {
      HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, FBytes.size());
      if (!h) return E_OUTOFMEMORY;
      if (!FBytes.empty()) {
        std::memcpy(GlobalLock(h), FBytes.data(), FBytes.size());
        GlobalUnlock(h);
      }
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
    if (!E) return E_INVALIDARG;
    *E = nullptr;
    if (FEnumMode % 4 == 3) return E_NOTIMPL;
    TIntf<IEnumFORMATETC> e(new TLyingEnum(FEnumMode));
    *E = e.Detach();
    return S_OK;
  }
  HRESULT DAdvise(const FORMATETC*, DWORD, IAdviseSink*, DWORD*) override { return OLE_E_ADVISENOTSUPPORTED; }
  HRESULT DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
  HRESULT EnumDAdvise(IEnumSTATDATA**) override { return OLE_E_ADVISENOTSUPPORTED; }

 private:
  std::vector<Byte> FBytes;
  bool FStream;
  Byte FEnumMode;
};

Cardinal Walked(TBaseLazyTree_qn* Tree) {
  Cardinal n = 1;
  for (PLazyNode p = Tree->GetFirstNoInit(false); p; p = Tree->GetNextNoInit(p, false)) ++n;
  return n;
}

}  // namespace

int RunOne(const uint8_t* data, size_t size);

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  SetUpOnce();
  return RunOne(data, size);
}

int RunOne(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const Byte how = data[0], enumMode = data[1];
  std::vector<Byte> bytes(data + 2, data + size);
  TIntf<IDataObject> payload(new TPayload(bytes, how & 1, enumMode));
  GTree->Clear();
  const Cardinal before = GTree->RootNode()->TotalCount;
  bool added = false;
  switch ((how >> 1) % 3) {
    case 0:
      if (OleSetClipboard(payload.get()) != S_OK) return 0;
      try {
        added = GTree->PasteFromClipboard();
      } catch (const Exception&) {
        added = false;
        Check(GTree->RootNode()->TotalCount == before);
      }
      OleSetClipboard(nullptr);
      break;
    case 1: {
      Integer effect = Integer(DROPEFFECT_COPY | (how & 0x40 ? DROPEFFECT_MOVE : 0));
      added = GTree->ProcessDrop(payload.get(), nullptr, effect, TVTNodeAttachMode(1 + (how >> 4) % 4));
      break;
    }
    default: {
      GTree->OnDragOver = [](TBaseLazyTree_qn*, TObject*, TShiftState, TDragState, TPoint, TDropMode, DWORD&,
                                 bool& Accept) { Accept = true; };
      GTree->OnDragDrop = [&](TBaseLazyTree_qn* Sender, TObject*, IDataObject* Data, const TFormatArray&,
                                  TShiftState, TPoint, DWORD& Effect, TDropMode) {
        Integer e = Integer(Effect);
        added = Sender->ProcessDrop(Data, nullptr, e, amAddChildLast);
      };
      DWORD effect = DROPEFFECT_COPY;
      GTree->DragDrop(payload.get(), 0, TPoint(5, 5), effect);
      GTree->OnDragOver = nullptr;
      GTree->OnDragDrop = nullptr;
      break;
    }
  }
  Check(Walked(GTree) == GTree->RootNode()->TotalCount);
  if (!added) Check(GTree->RootNode()->TotalCount == before);
  return 0;
}
