// The tree's OLE data object and its format enumerator, the formats a tree
// offers, the rendering of "Lazy Tree Data", and the same-process reference
// that lets a drop target find its source tree.
//
// Nothing here lets an exception escape an OLE method: callers are other
// components that only understand result codes. Every medium a failing call
// hands back is zeroed.
#include <cstring>
#include <mutex>
#include <unordered_map>
#include <vector>

#include "platform/classes/Streams.h"
#include "platform/user/Clipboard.h"
#include "platform/user/User.h"
#include "treeview/LazyTrees_qn.h"
#include "treeview/LazyTrees_qn_Internal.h"

namespace qn {

namespace lazytrees_internal {

namespace {

struct TLiveTrees {
  std::mutex Lock;
  std::unordered_map<Cardinal, TBaseLazyTree_qn*> ByToken;
  std::unordered_map<const TBaseLazyTree_qn*, Cardinal> Tokens;
  std::unordered_map<const TBaseLazyTree_qn*, std::vector<TVTDataObject*>> Objects;
  Cardinal Last = 0;
};

// Never destroyed: trees and data objects may still go after static
// destruction has begun.
TLiveTrees& Live() {
  static TLiveTrees* live = new TLiveTrees;
  return *live;
}

}  // namespace

void RememberLiveTree(TBaseLazyTree_qn* Tree) {
  TLiveTrees& l = Live();
  std::lock_guard<std::mutex> guard(l.Lock);
  if (l.Tokens.count(Tree)) return;
  // Tokens are not reused while the counter lasts, so a reference to a tree
  // that went resolves to nothing rather than to its successor.
  do {
    ++l.Last;
  } while (l.Last == 0 || l.ByToken.count(l.Last));
  l.ByToken[l.Last] = Tree;
  l.Tokens[Tree] = l.Last;
}

void ForgetLiveTree(TBaseLazyTree_qn* Tree) {
  TLiveTrees& l = Live();
  std::lock_guard<std::mutex> guard(l.Lock);
  auto t = l.Tokens.find(Tree);
  if (t != l.Tokens.end()) {
    l.ByToken.erase(t->second);
    l.Tokens.erase(t);
  }
  auto o = l.Objects.find(Tree);
  if (o != l.Objects.end()) {
    for (TVTDataObject* d : o->second) d->DetachOwner();
    l.Objects.erase(o);
  }
}

Cardinal LiveTreeToken(const TBaseLazyTree_qn* Tree) {
  TLiveTrees& l = Live();
  std::lock_guard<std::mutex> guard(l.Lock);
  auto t = l.Tokens.find(Tree);
  return t == l.Tokens.end() ? 0 : t->second;
}

TBaseLazyTree_qn* LiveTreeOfToken(Cardinal Token) {
  TLiveTrees& l = Live();
  std::lock_guard<std::mutex> guard(l.Lock);
  auto t = l.ByToken.find(Token);
  return t == l.ByToken.end() ? nullptr : t->second;
}

bool AttachDataObject(TBaseLazyTree_qn* Tree, TVTDataObject* DataObject) {
  TLiveTrees& l = Live();
  std::lock_guard<std::mutex> guard(l.Lock);
  if (!l.Tokens.count(Tree)) return false;
  l.Objects[Tree].push_back(DataObject);
  return true;
}

void DetachDataObject(TBaseLazyTree_qn* Tree, TVTDataObject* DataObject) {
  TLiveTrees& l = Live();
  std::lock_guard<std::mutex> guard(l.Lock);
  auto o = l.Objects.find(Tree);
  if (o == l.Objects.end()) return;
  std::erase(o->second, DataObject);
  if (o->second.empty()) l.Objects.erase(o);
}

}  // namespace lazytrees_internal

using namespace lazytrees_internal;

namespace {

constexpr UINT GMEM_TRANSFER = GMEM_MOVEABLE | GMEM_ZEROINIT | GMEM_SHARE;  // 0x2042

void ZeroMedium(STGMEDIUM& Medium) {
  Medium.tymed = TYMED_NULL;
  Medium.hGlobal = nullptr;
  Medium.pUnkForRelease = nullptr;
}

// The object's identity as OLE compares it: its IUnknown.
IUnknown* CanonicalUnknown(IUnknown* Unknown) {
  if (!Unknown) return nullptr;
  void* p = nullptr;
  if (Unknown->QueryInterface(IUnknown::IID, &p) != S_OK || !p) return nullptr;
  auto* result = static_cast<IUnknown*>(p);
  result->_Release();
  return result;
}

HGLOBAL CloneGlobal(HGLOBAL Source) {
  const size_t size = GlobalSize(Source);
  HGLOBAL h = GlobalAlloc(GMEM_ZEROINIT, size);  // fixed, zero-initialised: 0x40
  if (!h) return nullptr;
  const void* from = GlobalLock(Source);
  void* to = GlobalLock(h);
  if (!from || !to) {
    if (from) GlobalUnlock(Source);
    if (to) GlobalUnlock(h);
    GlobalFree(h);
    return nullptr;
  }
  if (size) std::memcpy(to, from, size);
  GlobalUnlock(h);
  GlobalUnlock(Source);
  return h;
}

}  // namespace

// ---------------------------------------------------------------------------
// TVTDataObject

TVTDataObject::TVTDataObject(TBaseLazyTree_qn* AOwner, bool ForClipboard) : FOwner(AOwner), FForClipboard(ForClipboard) {
  if (!FOwner) return;
  FOwner->GetNativeClipboardFormats(FFormatEtcArray);
  // A tree that is already going away renders nothing for anybody.
  if (!AttachDataObject(FOwner, this)) FOwner = nullptr;
}

TVTDataObject::~TVTDataObject() {
  if (FOwner) {
    DetachDataObject(FOwner, this);
    // The marks of a copy or cut on the clipboard go with the object,
    // unless the tree is flushing the clipboard and finishes that itself.
    if (FForClipboard && !FOwner->TreeStates().Contains(tsClipboardFlushing)) {
      try {
        FOwner->CancelCutOrCopy();
      } catch (...) {
      }
    }
  }
  for (TInternalStgMedium& m : FInternalStgMediumArray) ReleaseStgMedium(&m.Medium);
  FInternalStgMediumArray.clear();
  FFormatEtcArray.clear();
}

bool TVTDataObject::EqualFormatEtc(const TFormatEtc& FormatEtc1, const TFormatEtc& FormatEtc2) {
  return FormatEtc1.cfFormat == FormatEtc2.cfFormat && FormatEtc1.ptd == FormatEtc2.ptd &&
         FormatEtc1.dwAspect == FormatEtc2.dwAspect && FormatEtc1.lindex == FormatEtc2.lindex &&
         (FormatEtc1.tymed & FormatEtc2.tymed) != 0;
}

Integer TVTDataObject::FindFormatEtc(const TFormatEtc& AFormatEtc) const {
  for (std::size_t i = 0; i < FFormatEtcArray.size(); ++i)
    if (EqualFormatEtc(AFormatEtc, FFormatEtcArray[i])) return Integer(i);
  return -1;
}

TStgMedium* TVTDataObject::FindInternalStgMedium(CLIPFORMAT Format) {
  for (TInternalStgMedium& m : FInternalStgMediumArray)
    if (m.Format == Format) return &m.Medium;
  return nullptr;
}

HRESULT TVTDataObject::StgMediumIncRef(const TStgMedium& InStgMedium, TStgMedium& OutStgMedium, bool CopyInMedium,
                                       IDataObject* DataObject) {
  OutStgMedium = InStgMedium;
  HRESULT result = S_OK;
  switch (InStgMedium.tymed) {
    case TYMED_HGLOBAL:
      if (CopyInMedium) {
        OutStgMedium.hGlobal = InStgMedium.hGlobal ? CloneGlobal(InStgMedium.hGlobal) : nullptr;
        if (!OutStgMedium.hGlobal) result = E_OUTOFMEMORY;
        // The copy is a block of its own: nobody else may free it.
        OutStgMedium.pUnkForRelease = nullptr;
      } else {
        OutStgMedium.pUnkForRelease = DataObject;
      }
      break;
    case TYMED_FILE: {
      // Always a copy of the name, which belongs to whoever gets it.
      const Char* name = InStgMedium.lpszFileName;
      if (!name) {
        result = DV_E_STGMEDIUM;
        break;
      }
      const size_t n = std::char_traits<Char>::length(name) + 1;
      auto* copy = static_cast<Char*>(CoTaskMemAlloc(n * sizeof(Char)));
      if (!copy) {
        result = E_OUTOFMEMORY;
        break;
      }
      std::memcpy(copy, name, n * sizeof(Char));
      OutStgMedium.lpszFileName = copy;
      OutStgMedium.pUnkForRelease = nullptr;
      break;
    }
    case TYMED_ISTREAM:
    case TYMED_ISTORAGE: {
      IUnknown* object = InStgMedium.tymed == TYMED_ISTREAM ? static_cast<IUnknown*>(InStgMedium.pstm)
                                                             : static_cast<IUnknown*>(InStgMedium.pstg);
      if (!object) {
        result = DV_E_STGMEDIUM;
        break;
      }
      // A release object keeps the stream alive and is all a consumer
      // releases; only a medium without one carries its own reference.
      if (CopyInMedium) OutStgMedium.pUnkForRelease = nullptr;
      if (!OutStgMedium.pUnkForRelease) object->_AddRef();
      break;
    }
    case TYMED_GDI:
    case TYMED_MFPICT:
    case TYMED_ENHMF:
      if (CopyInMedium) result = DV_E_TYMED;
      else OutStgMedium.pUnkForRelease = DataObject;
      break;
    default:
      result = DV_E_TYMED;
  }
  if (result != S_OK) {
    ZeroMedium(OutStgMedium);
    return result;
  }
  if (OutStgMedium.pUnkForRelease) OutStgMedium.pUnkForRelease->_AddRef();
  return S_OK;
}

HRESULT TVTDataObject::DAdvise(const FORMATETC* FormatEtc, DWORD advf, IAdviseSink* advSink, DWORD* dwConnection) {
  try {
    if (!FAdviseHolder) {
      IDataAdviseHolder* holder = nullptr;
      HRESULT hr = CreateDataAdviseHolder(&holder);
      if (hr != S_OK) return hr;
      FAdviseHolder.Attach(holder);
    }
    return FAdviseHolder->Advise(this, FormatEtc, advf, advSink, dwConnection);
  } catch (...) {
    return E_FAIL;
  }
}

HRESULT TVTDataObject::DUnadvise(DWORD dwConnection) {
  if (!FAdviseHolder) return E_NOTIMPL;
  return FAdviseHolder->Unadvise(dwConnection);
}

HRESULT TVTDataObject::EnumDAdvise(IEnumSTATDATA** enumAdvise) {
  if (!enumAdvise) return E_INVALIDARG;
  *enumAdvise = nullptr;
  if (!FAdviseHolder) return OLE_E_ADVISENOTSUPPORTED;
  return FAdviseHolder->EnumAdvise(enumAdvise);
}

HRESULT TVTDataObject::EnumFormatEtc(DWORD Direction, IEnumFORMATETC** EnumFormatEtc) {
  if (!EnumFormatEtc) return E_INVALIDARG;
  *EnumFormatEtc = nullptr;
  // Setting formats is open to all; there is no list of them to hand out.
  if (Direction != DATADIR_GET) return E_NOTIMPL;
  try {
    TIntf<IEnumFORMATETC> e(new TEnumFormatEtc(FOwner, FFormatEtcArray));
    *EnumFormatEtc = e.Detach();
    return S_OK;
  } catch (...) {
    return E_OUTOFMEMORY;
  }
}

HRESULT TVTDataObject::GetCanonicalFormatEtc(const FORMATETC*, FORMATETC*) { return DATA_S_SAMEFORMATETC; }

HRESULT TVTDataObject::GetData(const FORMATETC* FormatEtcIn, STGMEDIUM* Medium) {
  if (!Medium) return E_INVALIDARG;
  ZeroMedium(*Medium);
  if (!FormatEtcIn) return E_INVALIDARG;
  HRESULT result = E_FAIL;
  try {
    if (CF_VTREFERENCE != 0 && FormatEtcIn->cfFormat == CF_VTREFERENCE) {
      // A tree about to go away (flushing) or gone is not published.
      if (!FOwner || FOwner->TreeStates().Contains(tsClipboardFlushing)) return E_FAIL;
      if (!(FormatEtcIn->tymed & TYMED_HGLOBAL)) return DV_E_TYMED;
      TVTReference reference;
      reference.Process = GetCurrentProcessId();
      reference.Tree = LiveTreeToken(FOwner);
      if (reference.Tree == 0) return E_FAIL;
      HGLOBAL h = GlobalAlloc(GMEM_TRANSFER, sizeof(TVTReference));
      if (!h) return E_OUTOFMEMORY;
      std::memcpy(GlobalLock(h), &reference, sizeof(reference));
      GlobalUnlock(h);
      Medium->tymed = TYMED_HGLOBAL;
      Medium->hGlobal = h;
      return S_OK;
    }
    result = QueryGetData(FormatEtcIn);
    if (result == S_OK) {
      // Accepted but not offered exactly (another target device): nothing
      // to hand out.
      if (FindFormatEtc(*FormatEtcIn) < 0) {
        result = DV_E_FORMATETC;
      } else if (TStgMedium* stored = FindInternalStgMedium(FormatEtcIn->cfFormat);
                 stored && stored->tymed != TYMED_NULL) {
        result = (stored->tymed & FormatEtcIn->tymed) ? StgMediumIncRef(*stored, *Medium, false, this) : DV_E_TYMED;
      } else if (FOwner) {
        result = FOwner->RenderOLEData(*FormatEtcIn, *Medium, FForClipboard);
        // A rendering that claims success without a medium, or in a medium
        // nobody asked for, is a failure.
        if (result == S_OK && (Medium->tymed == TYMED_NULL || !(Medium->tymed & FormatEtcIn->tymed) ||
                               (Medium->tymed & (Medium->tymed - 1)) || !Medium->hGlobal)) {
          if (Medium->tymed != TYMED_NULL && !(Medium->tymed & (Medium->tymed - 1)) && Medium->hGlobal)
            ReleaseStgMedium(Medium);
          result = E_FAIL;
        }
      } else {
        result = E_FAIL;
      }
    }
  } catch (...) {
    result = E_FAIL;
  }
  if (result != S_OK) ZeroMedium(*Medium);
  return result;
}

HRESULT TVTDataObject::GetDataHere(const FORMATETC*, STGMEDIUM*) { return E_NOTIMPL; }

HRESULT TVTDataObject::QueryGetData(const FORMATETC* FormatEtc) {
  if (!FormatEtc) return E_INVALIDARG;
  HRESULT result = DV_E_FORMATETC;
  for (const TFormatEtc& f : FFormatEtcArray) {
    if (f.cfFormat != FormatEtc->cfFormat) continue;
    bool fits = true;
    if (!(f.tymed & FormatEtc->tymed)) {
      result = DV_E_TYMED;
      fits = false;
    }
    if (f.dwAspect != FormatEtc->dwAspect) {
      result = DV_E_DVASPECT;
      fits = false;
    }
    if (f.lindex != FormatEtc->lindex) {
      result = DV_E_LINDEX;
      fits = false;
    }
    if (!fits) continue;
    // GetData can only serve a target device it offers: say so here.
    if (f.ptd != FormatEtc->ptd) {
      result = DV_E_FORMATETC;
      continue;
    }
    return S_OK;
  }
  return result;
}

HRESULT TVTDataObject::SetData(const FORMATETC* FormatEtc, STGMEDIUM* Medium, BOOL DoRelease) {
  if (!FormatEtc || !Medium) return E_INVALIDARG;
  // A target device record is the caller's memory; it cannot be kept.
  if (FormatEtc->ptd) return DV_E_DVTARGETDEVICE;
  if (Medium->tymed == TYMED_NULL || (Medium->tymed & (Medium->tymed - 1)) || !Medium->hGlobal) return DV_E_STGMEDIUM;
  // The medium must be one the format says it comes in, or GetData would
  // hand it to callers who asked for something else.
  if (!(Medium->tymed & FormatEtc->tymed)) return DV_E_TYMED;
  try {
    IUnknown* self = CanonicalUnknown(static_cast<IDataObject*>(this));
    const bool releasedByMe = Medium->pUnkForRelease && CanonicalUnknown(Medium->pUnkForRelease) == self;
    TStgMedium incoming;
    if (DoRelease && !releasedByMe) {
      incoming = *Medium;
    } else {
      // A medium that one of our own GetData calls handed out shares a
      // handle this object keeps: it is copied before that handle may go.
      HRESULT hr = StgMediumIncRef(*Medium, incoming, true, this);
      if (hr != S_OK) return hr;
    }
    // Holding a release object that is this very object would keep it alive
    // for ever.
    if (incoming.pUnkForRelease && CanonicalUnknown(incoming.pUnkForRelease) == self) {
      incoming.pUnkForRelease->_Release();
      incoming.pUnkForRelease = nullptr;
    }
    TStgMedium* stored = FindInternalStgMedium(FormatEtc->cfFormat);
    try {
      if (FindFormatEtc(*FormatEtc) < 0) FFormatEtcArray.push_back(*FormatEtc);
      if (!stored) {
        FInternalStgMediumArray.push_back(TInternalStgMedium{FormatEtc->cfFormat, TStgMedium()});
        stored = &FInternalStgMediumArray.back().Medium;
      }
    } catch (...) {
      if (!DoRelease || releasedByMe) ReleaseStgMedium(&incoming);
      throw;
    }
    ReleaseStgMedium(stored);
    *stored = incoming;
    // Taken over: the reference to ourselves that came with it goes.
    if (DoRelease && releasedByMe) ReleaseStgMedium(Medium);
    if (FAdviseHolder) FAdviseHolder->SendOnDataChange(this, 0, 0);
    return S_OK;
  } catch (...) {
    return E_OUTOFMEMORY;
  }
}

// ---------------------------------------------------------------------------
// TEnumFormatEtc

TEnumFormatEtc::TEnumFormatEtc(TBaseLazyTree_qn* Tree, const TFormatEtcArray& AFormatEtcArray)
    : FTree(Tree), FFormatEtcArray(AFormatEtcArray) {}

HRESULT TEnumFormatEtc::Next(ULONG celt, FORMATETC* elt, ULONG* pceltFetched) {
  if (pceltFetched) *pceltFetched = 0;
  if (celt > 0 && !elt) return E_INVALIDARG;
  // Without a count to report, only one record may be asked for.
  if (celt > 1 && !pceltFetched) return E_INVALIDARG;
  const std::size_t remaining = FFormatEtcArray.size() - std::size_t(FCurrentIndex);
  const std::size_t n = std::min<std::size_t>(celt, remaining);
  for (std::size_t i = 0; i < n; ++i) elt[i] = FFormatEtcArray[std::size_t(FCurrentIndex) + i];
  FCurrentIndex += Integer(n);
  if (pceltFetched) *pceltFetched = ULONG(n);
  // A short batch says so: a caller must not take records that never came.
  return n == celt ? S_OK : S_FALSE;
}

HRESULT TEnumFormatEtc::Skip(ULONG celt) {
  if (std::size_t(FCurrentIndex) + celt > FFormatEtcArray.size()) return S_FALSE;
  FCurrentIndex += Integer(celt);
  return S_OK;
}

HRESULT TEnumFormatEtc::Reset() {
  FCurrentIndex = 0;
  return S_OK;
}

HRESULT TEnumFormatEtc::Clone(IEnumFORMATETC** Enum) {
  if (!Enum) return E_INVALIDARG;
  *Enum = nullptr;
  try {
    auto* e = new TEnumFormatEtc(nullptr, FFormatEtcArray);
    e->FCurrentIndex = FCurrentIndex;
    TIntf<IEnumFORMATETC> held(e);
    *Enum = held.Detach();
    return S_OK;
  } catch (...) {
    return E_FAIL;
  }
}

// ---------------------------------------------------------------------------
// The tree's side

void TBaseLazyTree_qn::GetNativeClipboardFormats(TFormatEtcArray& Formats) {
  ClipboardFormatList()->EnumerateFormats(ClassType(), Formats, FClipboardFormats.get());
  DoGetUserClipboardFormats(Formats);
}

void TBaseLazyTree_qn::DoGetUserClipboardFormats(TFormatEtcArray& Formats) {
  if (Assigned(OnGetUserClipboardFormats)) OnGetUserClipboardFormats(this, Formats);
}

TIntf<IDataObject> TBaseLazyTree_qn::DoCreateDataObject() {
  if (!Assigned(OnCreateDataObject)) return nullptr;
  TIntf<IInterface> made;
  OnCreateDataObject(this, made);
  return IntfCast<IDataObject>(made);
}

HRESULT TBaseLazyTree_qn::RenderOLEData(const TFormatEtc& FormatEtcIn, TStgMedium& Medium, bool ForClipboard) {
  ZeroMedium(Medium);
  if (CF_LAZYTREE == 0 || FormatEtcIn.cfFormat != CF_LAZYTREE || !(FormatEtcIn.tymed & (TYMED_ISTREAM | TYMED_HGLOBAL)))
    return DoRenderOLEData(FormatEtcIn, Medium, ForClipboard);
  // Rendered completely before any OLE resource exists, so that a handler
  // raising on the way leaves nothing behind.
  TMemoryStream data;
  for (PLazyNode node : ForClipboard ? GetSortedCutCopySet(true) : GetSortedSelection(true)) WriteNode(&data, node);
  const Int64 n = data.Size();
  if (FormatEtcIn.tymed & TYMED_ISTREAM) {
    IStream* stream = nullptr;
    if (CreateStreamOnHGlobal(nullptr, TRUE, &stream) != S_OK || !stream) return E_OUTOFMEMORY;
    ULONG written = 0;
    if ((n > 0 && (stream->Write(data.Memory(), ULONG(n), &written) != S_OK || written != ULONG(n))) ||
        stream->Seek(0, STREAM_SEEK_SET, nullptr) != S_OK) {
      stream->_Release();
      return E_OUTOFMEMORY;
    }
    Medium.tymed = TYMED_ISTREAM;
    Medium.pstm = stream;
    return S_OK;
  }
  // A consumer never receives an empty block.
  if (n <= 0) return E_FAIL;
  if (n > Int64(0x7FFFFFFF) - 4) return E_OUTOFMEMORY;
  HGLOBAL h = GlobalAlloc(GMEM_TRANSFER, size_t(n) + 4);
  if (!h) return E_OUTOFMEMORY;
  auto* p = static_cast<Byte*>(GlobalLock(h));
  const int32_t count = int32_t(n);
  std::memcpy(p, &count, 4);
  std::memcpy(p + 4, data.Memory(), size_t(n));
  GlobalUnlock(h);
  Medium.tymed = TYMED_HGLOBAL;
  Medium.hGlobal = h;
  return S_OK;
}

HRESULT TBaseLazyTree_qn::DoRenderOLEData(const TFormatEtc& FormatEtcIn, TStgMedium& Medium, bool ForClipboard) {
  HRESULT result = E_FAIL;
  if (Assigned(OnRenderOLEData)) OnRenderOLEData(this, FormatEtcIn, Medium, ForClipboard, result);
  return result;
}

TBaseLazyTree_qn* TBaseLazyTree_qn::GetTreeFromDataObject(IDataObject* DataObject) {
  if (!DataObject || CF_VTREFERENCE == 0) return nullptr;
  FORMATETC f;
  f.cfFormat = CF_VTREFERENCE;
  f.ptd = nullptr;
  f.dwAspect = DVASPECT_CONTENT;
  f.lindex = -1;
  f.tymed = TYMED_HGLOBAL | TYMED_ISTREAM;
  STGMEDIUM m;
  try {
    if (DataObject->GetData(&f, &m) != S_OK) return nullptr;
  } catch (...) {
    return nullptr;
  }
  TVTReference reference;
  bool read = false;
  if (m.tymed == TYMED_HGLOBAL && m.hGlobal && GlobalSize(m.hGlobal) >= sizeof(reference)) {
    if (const void* p = GlobalLock(m.hGlobal)) {
      std::memcpy(&reference, p, sizeof(reference));
      GlobalUnlock(m.hGlobal);
      read = true;
    }
  } else if (m.tymed == TYMED_ISTREAM && m.pstm) {
    ULONG got = 0;
    read = m.pstm->Read(&reference, sizeof(reference), &got) == S_OK && got == sizeof(reference);
  }
  if (m.tymed != TYMED_NULL && !(m.tymed & (m.tymed - 1))) ReleaseStgMedium(&m);
  if (!read || reference.Process != GetCurrentProcessId()) return nullptr;
  return LiveTreeOfToken(reference.Tree);
}

}  // namespace qn
