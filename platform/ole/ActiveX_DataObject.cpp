// The standard format enumerator, the data advise holder and the standard
// data object.
#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/ole/OleInternal.h"

namespace vcl {

namespace {

// ---------------------------------------------------------------------------
// Enumerators over a list of records

template <class Rec, class IEnum>
class TStdEnum : public TInterfacedObject, public virtual IEnum {
 public:
  explicit TStdEnum(std::vector<Rec> items, size_t at = 0) : FItems(std::move(items)), FAt(at) {}

  HRESULT Next(ULONG celt, Rec* rgelt, ULONG* pceltFetched) override {
    if (pceltFetched) *pceltFetched = 0;
    if (!rgelt && celt) return E_POINTER;
    // Several records need somewhere to say how many came.
    if (celt > 1 && !pceltFetched) return E_INVALIDARG;
    ULONG n = ULONG(std::min<size_t>(celt, FItems.size() - FAt));
    for (ULONG i = 0; i < n; ++i) rgelt[i] = Hand(FItems[FAt + i]);
    FAt += n;
    if (pceltFetched) *pceltFetched = n;
    return n == celt ? S_OK : S_FALSE;
  }
  HRESULT Skip(ULONG celt) override {
    size_t n = std::min<size_t>(celt, FItems.size() - FAt);
    FAt += n;
    return n == celt ? S_OK : S_FALSE;
  }
  HRESULT Reset() override {
    FAt = 0;
    return S_OK;
  }

 protected:
  // What the caller gets: statistics come with a reference to their sink.
  static Rec Hand(const Rec& r) {
    if constexpr (std::is_same_v<Rec, STATDATA>) {
      if (r.pAdvSink) r.pAdvSink->_AddRef();
    }
    return r;
  }
  std::vector<Rec> FItems;
  size_t FAt;
};

class TEnumFormatEtc : public TStdEnum<FORMATETC, IEnumFORMATETC> {
  QN_CLASS(TEnumFormatEtc, TInterfacedObject)
  QN_INTERFACES(IEnumFORMATETC)
 public:
  using TStdEnum::TStdEnum;
  HRESULT Clone(IEnumFORMATETC** ppenum) override {
    if (!ppenum) return E_POINTER;
    auto* e = new TEnumFormatEtc(FItems, FAt);
    e->_AddRef();
    *ppenum = e;
    return S_OK;
  }
};

// Holds a reference to each sink for as long as it lives.
class TEnumStatData : public TStdEnum<STATDATA, IEnumSTATDATA> {
  QN_CLASS(TEnumStatData, TInterfacedObject)
  QN_INTERFACES(IEnumSTATDATA)
 public:
  explicit TEnumStatData(std::vector<STATDATA> items, size_t at = 0) : TStdEnum(std::move(items), at) {
    for (auto& s : FItems)
      if (s.pAdvSink) s.pAdvSink->_AddRef();
  }
  ~TEnumStatData() override {
    for (auto& s : FItems)
      if (s.pAdvSink) s.pAdvSink->_Release();
  }
  HRESULT Clone(IEnumSTATDATA** ppenum) override {
    if (!ppenum) return E_POINTER;
    auto* e = new TEnumStatData(FItems, FAt);
    e->_AddRef();
    *ppenum = e;
    return S_OK;
  }
};

// ---------------------------------------------------------------------------
// The data advise holder

class TDataAdviseHolder : public TInterfacedObject, public virtual IDataAdviseHolder {
  QN_CLASS(TDataAdviseHolder, TInterfacedObject)
  QN_INTERFACES(IDataAdviseHolder)
 public:
  ~TDataAdviseHolder() override {
    for (auto& c : FConnections) c.pAdvSink->_Release();
  }

  HRESULT Advise(IDataObject* pDataObject, const FORMATETC* pFetc, DWORD advf, IAdviseSink* pAdvise,
                 DWORD* pdwConnection) override {
    if (pdwConnection) *pdwConnection = 0;
    if (!pFetc || !pAdvise) return E_INVALIDARG;
    STATDATA s;
    s.formatetc = *pFetc;
    s.formatetc.ptd = nullptr;  // the record is kept; a device it points to is not
    s.advf = advf;
    s.pAdvSink = pAdvise;
    s.dwConnection = FNext++;
    pAdvise->_AddRef();
    FConnections.push_back(s);
    if (pdwConnection) *pdwConnection = s.dwConnection;
    if ((advf & ADVF_PRIMEFIRST) && pDataObject) Notify(pDataObject, s.dwConnection);
    return S_OK;
  }

  HRESULT Unadvise(DWORD dwConnection) override {
    auto it = Find(dwConnection);
    if (it == FConnections.end()) return OLE_E_NOCONNECTION;
    IAdviseSink* sink = it->pAdvSink;
    FConnections.erase(it);
    sink->_Release();
    return S_OK;
  }

  HRESULT EnumAdvise(IEnumSTATDATA** ppenumAdvise) override {
    if (!ppenumAdvise) return E_POINTER;
    auto* e = new TEnumStatData(FConnections);
    e->_AddRef();
    *ppenumAdvise = e;
    return S_OK;
  }

  HRESULT SendOnDataChange(IDataObject* pDataObject, DWORD, DWORD) override {
    if (!pDataObject) return E_INVALIDARG;
    // Sinks may advise or unadvise while they are told.
    std::vector<DWORD> ids;
    for (auto& c : FConnections) ids.push_back(c.dwConnection);
    for (DWORD id : ids) Notify(pDataObject, id);
    return S_OK;
  }

 private:
  std::vector<STATDATA>::iterator Find(DWORD id) {
    return std::find_if(FConnections.begin(), FConnections.end(),
                        [id](const STATDATA& s) { return s.dwConnection == id; });
  }

  // Tells one connection; ADVF_ONLYONCE ends it after.
  void Notify(IDataObject* obj, DWORD id) {
    auto it = Find(id);
    if (it == FConnections.end()) return;
    STATDATA s = *it;
    TIntf<IAdviseSink> sink(s.pAdvSink);
    if (s.advf & ADVF_ONLYONCE) Unadvise(id);
    STGMEDIUM medium;
    if (!(s.advf & ADVF_NODATA)) {
      if (obj->GetData(&s.formatetc, &medium) != S_OK || !ole::MediumValid(medium, s.formatetc.tymed)) {
        ReleaseStgMedium(&medium);
        return;
      }
    }
    sink->OnDataChange(&s.formatetc, &medium);
    ReleaseStgMedium(&medium);
  }

  std::vector<STATDATA> FConnections;
  DWORD FNext = 1;
};

// ---------------------------------------------------------------------------
// The standard data object

struct TStoredData {
  FORMATETC Format;
  STGMEDIUM Medium;
};

class TStdDataObject : public TInterfacedObject, public virtual IDataObject {
  QN_CLASS(TStdDataObject, TInterfacedObject)
  QN_INTERFACES(IDataObject)
 public:
  ~TStdDataObject() override {
    for (auto& d : FData) ReleaseStgMedium(&d.Medium);
  }

  HRESULT GetData(const FORMATETC* pformatetcIn, STGMEDIUM* pmedium) override {
    if (!pmedium) return E_INVALIDARG;
    *pmedium = STGMEDIUM();
    TStoredData* d = nullptr;
    HRESULT hr = Lookup(pformatetcIn, &d);
    if (hr != S_OK) return hr;
    if (d->Medium.tymed == TYMED_ISTREAM) return HandStream(d->Medium.pstm, pmedium);
    return CopyStgMedium(&d->Medium, pmedium);
  }

  HRESULT GetDataHere(const FORMATETC* pformatetc, STGMEDIUM* pmedium) override {
    if (!pmedium) return E_INVALIDARG;
    TStoredData* d = nullptr;
    HRESULT hr = Lookup(pformatetc, &d);
    if (hr != S_OK) return hr;
    if (pmedium->tymed != d->Medium.tymed) return DV_E_TYMED;
    if (d->Medium.tymed == TYMED_HGLOBAL) {
      if (!pmedium->hGlobal) return DV_E_STGMEDIUM;
      size_t need = GlobalSize(d->Medium.hGlobal);
      if (GlobalSize(pmedium->hGlobal) < need) return STG_E_MEDIUMFULL;
      const void* from = GlobalLock(d->Medium.hGlobal);
      void* to = GlobalLock(pmedium->hGlobal);
      if (from && to && need) std::memcpy(to, from, need);
      GlobalUnlock(pmedium->hGlobal);
      GlobalUnlock(d->Medium.hGlobal);
      return from && to ? S_OK : E_OUTOFMEMORY;
    }
    if (d->Medium.tymed == TYMED_ISTREAM) {
      if (!pmedium->pstm) return DV_E_STGMEDIUM;
      IStream* from = d->Medium.pstm;
      ULARGE_INTEGER here = 0;
      from->Seek(0, STREAM_SEEK_CUR, &here);
      from->Seek(0, STREAM_SEEK_SET, nullptr);
      HRESULT r = StreamCopyTo(from, pmedium->pstm, ~ULARGE_INTEGER(0), nullptr, nullptr);
      from->Seek(LARGE_INTEGER(here), STREAM_SEEK_SET, nullptr);
      return r;
    }
    return DV_E_TYMED;
  }

  HRESULT QueryGetData(const FORMATETC* pformatetc) override {
    TStoredData* d = nullptr;
    return Lookup(pformatetc, &d);
  }

  HRESULT GetCanonicalFormatEtc(const FORMATETC* in, FORMATETC* out) override {
    if (!in || !out) return E_INVALIDARG;
    *out = *in;
    out->ptd = nullptr;
    return DATA_S_SAMEFORMATETC;
  }

  HRESULT SetData(const FORMATETC* pformatetc, STGMEDIUM* pmedium, BOOL fRelease) override {
    if (!pformatetc || !pmedium) return E_INVALIDARG;
    if (pformatetc->ptd) return DV_E_DVTARGETDEVICE;
    if (pformatetc->cfFormat == 0) return DV_E_CLIPFORMAT;
    const DWORD t = pmedium->tymed;
    if (t == TYMED_NULL || (t & (t - 1)) || !(pformatetc->tymed & t)) return DV_E_TYMED;
    if (!pmedium->hGlobal) return DV_E_STGMEDIUM;
    TStoredData d;
    d.Format = *pformatetc;
    d.Format.tymed = t;
    if (fRelease) {
      d.Medium = *pmedium;
    } else {
      HRESULT hr = CopyStgMedium(pmedium, &d.Medium);
      if (hr != S_OK) return hr;
    }
    auto same = std::find_if(FData.begin(), FData.end(), [&](const TStoredData& s) {
      return s.Format.cfFormat == d.Format.cfFormat && s.Format.dwAspect == d.Format.dwAspect;
    });
    if (same != FData.end()) {
      STGMEDIUM old = same->Medium;
      *same = d;
      ReleaseStgMedium(&old);
    } else {
      try {
        FData.push_back(d);
      } catch (const std::bad_alloc&) {
        if (!fRelease) ReleaseStgMedium(&d.Medium);
        return E_OUTOFMEMORY;
      }
    }
    if (FAdvise) FAdvise->SendOnDataChange(this, 0, 0);
    return S_OK;
  }

  HRESULT EnumFormatEtc(DWORD dwDirection, IEnumFORMATETC** ppenumFormatEtc) override {
    if (!ppenumFormatEtc) return E_INVALIDARG;
    *ppenumFormatEtc = nullptr;
    if (dwDirection == DATADIR_SET) return E_NOTIMPL;
    if (dwDirection != DATADIR_GET) return E_INVALIDARG;
    std::vector<FORMATETC> v;
    for (auto& d : FData) v.push_back(d.Format);
    return SHCreateStdEnumFmtEtc(UINT(v.size()), v.data(), ppenumFormatEtc);
  }

  HRESULT DAdvise(const FORMATETC* pformatetc, DWORD advf, IAdviseSink* pAdvSink, DWORD* pdwConnection) override {
    if (pdwConnection) *pdwConnection = 0;
    if (!pformatetc || !pAdvSink || !pdwConnection) return E_INVALIDARG;
    if (!FAdvise) {
      IDataAdviseHolder* h = nullptr;
      HRESULT hr = CreateDataAdviseHolder(&h);
      if (hr != S_OK) return hr;
      FAdvise.Attach(h);
    }
    return FAdvise->Advise(this, pformatetc, advf, pAdvSink, pdwConnection);
  }

  HRESULT DUnadvise(DWORD dwConnection) override {
    if (!FAdvise) return OLE_E_NOCONNECTION;
    return FAdvise->Unadvise(dwConnection);
  }

  HRESULT EnumDAdvise(IEnumSTATDATA** ppenumAdvise) override {
    if (!ppenumAdvise) return E_INVALIDARG;
    *ppenumAdvise = nullptr;
    if (!FAdvise) {
      auto* e = new TEnumStatData({});
      e->_AddRef();
      *ppenumAdvise = e;
      return S_OK;
    }
    return FAdvise->EnumAdvise(ppenumAdvise);
  }

 private:
  // The stored entry for a request, or the DV_E_ code of what does not fit.
  HRESULT Lookup(const FORMATETC* fe, TStoredData** out) {
    if (!fe) return E_INVALIDARG;
    if (fe->ptd) return DV_E_FORMATETC;
    HRESULT miss = DV_E_FORMATETC;
    for (auto& d : FData) {
      if (d.Format.cfFormat != fe->cfFormat) continue;
      if (d.Format.dwAspect != fe->dwAspect) {
        miss = DV_E_DVASPECT;
        continue;
      }
      if (d.Format.lindex != fe->lindex) {
        miss = DV_E_LINDEX;
        continue;
      }
      if (!(d.Format.tymed & fe->tymed)) {
        miss = DV_E_TYMED;
        continue;
      }
      *out = &d;
      return S_OK;
    }
    return miss;
  }

  // A stream goes out as a clone at position 0, so readers never disturb
  // each other; a stream that cannot clone goes out as a copy.
  static HRESULT HandStream(IStream* stored, STGMEDIUM* out) {
    IStream* clone = nullptr;
    if (stored->Clone(&clone) == S_OK && clone) {
      clone->Seek(0, STREAM_SEEK_SET, nullptr);
    } else {
      HGLOBAL copy = ole::BlockFromStream(stored);
      if (!copy) return E_OUTOFMEMORY;
      if (Failed(CreateStreamOnHGlobal(copy, TRUE, &clone))) {
        GlobalFree(copy);
        return E_OUTOFMEMORY;
      }
    }
    out->tymed = TYMED_ISTREAM;
    out->pstm = clone;
    return S_OK;
  }

  std::vector<TStoredData> FData;
  TIntf<IDataAdviseHolder> FAdvise;
};

}  // namespace

HRESULT SHCreateStdEnumFmtEtc(UINT cfmt, const FORMATETC afmt[], IEnumFORMATETC** ppenumFormatEtc) {
  if (!ppenumFormatEtc) return E_INVALIDARG;
  *ppenumFormatEtc = nullptr;
  if (cfmt && !afmt) return E_INVALIDARG;
  try {
    auto* e = new TEnumFormatEtc(std::vector<FORMATETC>(afmt, afmt + cfmt));
    e->_AddRef();
    *ppenumFormatEtc = e;
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
  return S_OK;
}

HRESULT CreateDataAdviseHolder(IDataAdviseHolder** ppDAHolder) {
  if (!ppDAHolder) return E_INVALIDARG;
  auto* h = new TDataAdviseHolder;
  h->_AddRef();
  *ppDAHolder = h;
  return S_OK;
}

HRESULT SHCreateDataObject(const void* pidlFolder, UINT cidl, const void* const* apidl, IDataObject* pdtInner,
                           const IID& riid, void** ppv) {
  if (!ppv) return E_INVALIDARG;
  *ppv = nullptr;
  if (pidlFolder || cidl || apidl || pdtInner) return E_INVALIDARG;
  TIntf<IDataObject> obj(new TStdDataObject);
  return obj->QueryInterface(riid, ppv);
}

}  // namespace vcl
