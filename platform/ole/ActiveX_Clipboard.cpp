// The OLE clipboard: one data object for the process, offered on the
// clipboard as promised formats that the owning thread's clipboard window
// renders when somebody asks, and an object that reads the clipboard back.
#include <mutex>
#include <vector>

#include "platform/ole/OleInternal.h"

namespace vcl {

namespace {

struct TOleBoard {
  std::mutex Lock;
  TIntf<IDataObject> Current;
  HWND Window = nullptr;  // the clipboard window of the thread that set it
  std::vector<FORMATETC> Offered;
};

TOleBoard& OB() {
  static auto* b = new TOleBoard;
  return *b;
}

thread_local HWND tClipboardWindow = nullptr;

constexpr const Char* kClipboardClass = u"CLIPBRDWNDCLASS";
// Enumerators that never end are cut off here.
constexpr int kMaxFormats = 4096;

TIntf<IDataObject> CurrentObject() {
  std::lock_guard<std::mutex> lk(OB().Lock);
  return OB().Current;
}

// Takes the object off the board when the given window holds it; the
// caller releases what it gets after the lock.
TIntf<IDataObject> TakeCurrent(HWND owner, std::vector<FORMATETC>* offered = nullptr) {
  std::lock_guard<std::mutex> lk(OB().Lock);
  if (!OB().Current || (owner && OB().Window != owner)) return nullptr;
  TIntf<IDataObject> obj = std::move(OB().Current);
  if (offered) *offered = std::move(OB().Offered);
  OB().Offered.clear();
  OB().Window = nullptr;
  return obj;
}

// The media the clipboard takes a format in: a bitmap as a GDI object,
// anything else as a block, or a stream that is copied into one.
DWORD ClipboardTymed(CLIPFORMAT cf) {
  if (cf == CF_BITMAP) return TYMED_GDI;
  if (cf == CF_PALETTE || cf == CF_METAFILEPICT || cf == CF_ENHMETAFILE) return TYMED_NULL;
  return TYMED_HGLOBAL | TYMED_ISTREAM;
}

// The formats an object offers for reading, one record per format.
HRESULT OfferedFormats(IDataObject* obj, std::vector<FORMATETC>& out) {
  IEnumFORMATETC* raw = nullptr;
  HRESULT hr = obj->EnumFormatEtc(DATADIR_GET, &raw);
  if (Failed(hr)) return hr;
  if (!raw) return E_UNEXPECTED;
  TIntf<IEnumFORMATETC> e;
  e.Attach(raw);
  for (int i = 0; i < kMaxFormats; ++i) {
    FORMATETC fe[2];
    ULONG got = 0;
    hr = e->Next(1, fe, &got);
    if (Failed(hr)) return hr;
    if (got > 1) return E_UNEXPECTED;
    if (hr != S_OK || got == 0) break;
    if (fe[0].dwAspect != DVASPECT_CONTENT || fe[0].cfFormat == 0) continue;
    DWORD t = ClipboardTymed(fe[0].cfFormat) & fe[0].tymed;
    if (!t) continue;
    bool dup = false;
    for (auto& o : out) dup = dup || o.cfFormat == fe[0].cfFormat;
    if (dup) continue;
    FORMATETC keep;
    keep.cfFormat = fe[0].cfFormat;
    keep.lindex = -1;
    keep.tymed = t;
    out.push_back(keep);
  }
  return S_OK;
}

// One format of the object as the clipboard holds it (a new block or
// bitmap), nullptr when the object cannot render it.
HANDLE Render(IDataObject* obj, const FORMATETC& fe) {
  STGMEDIUM m;
  HRESULT hr = obj->GetData(&fe, &m);
  if (hr != S_OK) return nullptr;
  HANDLE out = nullptr;
  if (ole::MediumValid(m, fe.tymed)) {
    switch (m.tymed) {
      case TYMED_HGLOBAL: out = ole::CopyBlock(m.hGlobal); break;
      case TYMED_ISTREAM: out = ole::BlockFromStream(m.pstm); break;
      case TYMED_GDI: out = ole::CopyBitmap(m.hBitmap); break;
      default: break;
    }
  }
  ReleaseStgMedium(&m);
  return out;
}

void FreeRendered(CLIPFORMAT cf, HANDLE h) {
  if (!h) return;
  if (cf == CF_BITMAP) DeleteObject(h);
  else GlobalFree(h);
}

void RenderOne(HWND wnd, CLIPFORMAT cf) {
  TIntf<IDataObject> obj;
  FORMATETC fe;
  {
    std::lock_guard<std::mutex> lk(OB().Lock);
    if (OB().Window != wnd || !OB().Current) return;
    bool found = false;
    for (auto& o : OB().Offered)
      if (o.cfFormat == cf) {
        fe = o;
        found = true;
      }
    if (!found) return;
    obj = OB().Current;
  }
  HANDLE h = Render(obj.get(), fe);
  if (h && !SetClipboardData(cf, h)) FreeRendered(cf, h);
}

// Renders every offered format and takes the object off the board; the
// formats that do not render are left out. The caller has the clipboard
// open with wnd.
void FlushLocked(HWND wnd) {
  std::vector<FORMATETC> offered;
  TIntf<IDataObject> obj = TakeCurrent(wnd, &offered);
  if (!obj) return;
  std::vector<std::pair<CLIPFORMAT, HANDLE>> rendered;
  for (auto& fe : offered)
    if (HANDLE h = Render(obj.get(), fe)) rendered.push_back({fe.cfFormat, h});
  EmptyClipboard();
  for (auto& [cf, h] : rendered)
    if (!SetClipboardData(cf, h)) FreeRendered(cf, h);
}

LRESULT ClipboardWndProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_RENDERFORMAT:
      RenderOne(h, CLIPFORMAT(wp));
      return 0;
    case WM_RENDERALLFORMATS:
      if (OpenClipboard(h)) {
        if (GetClipboardOwner() == h) FlushLocked(h);
        CloseClipboard();
      }
      return 0;
    case WM_DESTROYCLIPBOARD:
      TakeCurrent(h);
      return 0;
    default: return DefWindowProcW(h, msg, wp, lp);
  }
}

// ---------------------------------------------------------------------------
// What OleGetClipboard hands out

class TOleClipboardObject : public TInterfacedObject, public virtual IDataObject {
  QN_CLASS(TOleClipboardObject, TInterfacedObject)
  QN_INTERFACES(IDataObject)
 public:
  HRESULT GetData(const FORMATETC* fe, STGMEDIUM* m) override {
    if (!m) return E_INVALIDARG;
    *m = STGMEDIUM();
    if (!fe) return E_INVALIDARG;
    if (auto cur = CurrentObject()) {
      HRESULT hr = cur->GetData(fe, m);
      if (Failed(hr)) {
        *m = STGMEDIUM();
        return hr;
      }
      if (hr != S_OK || !ole::MediumValid(*m, fe->tymed)) {
        ReleaseStgMedium(m);
        return DV_E_STGMEDIUM;
      }
      return S_OK;
    }
    DWORD tymed = 0;
    HRESULT hr = CheckClassic(fe, &tymed);
    if (hr != S_OK) return hr;
    if (!OpenClipboard(nullptr)) return CLIPBRD_E_CANT_OPEN;
    HANDLE h = GetClipboardData(fe->cfFormat);
    if (!h) {
      CloseClipboard();
      return CLIPBRD_E_BAD_DATA;
    }
    hr = S_OK;
    if (tymed & TYMED_GDI) {
      m->hBitmap = ole::CopyBitmap(static_cast<HBITMAP>(h));
      m->tymed = TYMED_GDI;
    } else if (HGLOBAL copy = ole::CopyBlock(h)) {
      if (tymed & TYMED_HGLOBAL) {
        m->tymed = TYMED_HGLOBAL;
        m->hGlobal = copy;
      } else if (Succeeded(CreateStreamOnHGlobal(copy, TRUE, &m->pstm))) {
        m->tymed = TYMED_ISTREAM;
      } else {
        GlobalFree(copy);
      }
    }
    CloseClipboard();
    if (!m->hGlobal) {
      *m = STGMEDIUM();
      return E_OUTOFMEMORY;
    }
    return hr;
  }

  HRESULT GetDataHere(const FORMATETC* fe, STGMEDIUM* m) override {
    if (!fe || !m) return E_INVALIDARG;
    if (auto cur = CurrentObject()) return cur->GetDataHere(fe, m);
    if (m->tymed != TYMED_HGLOBAL && m->tymed != TYMED_ISTREAM) return DV_E_TYMED;
    if (!m->hGlobal) return DV_E_STGMEDIUM;
    FORMATETC ask = *fe;
    ask.tymed = TYMED_HGLOBAL;
    STGMEDIUM got;
    HRESULT hr = GetData(&ask, &got);
    if (hr != S_OK) return hr;
    size_t size = GlobalSize(got.hGlobal);
    const void* from = GlobalLock(got.hGlobal);
    if (m->tymed == TYMED_HGLOBAL) {
      if (GlobalSize(m->hGlobal) < size) {
        hr = STG_E_MEDIUMFULL;
      } else if (void* to = GlobalLock(m->hGlobal)) {
        if (size) std::memcpy(to, from, size);
        GlobalUnlock(m->hGlobal);
      }
    } else {
      ULONG put = 0;
      hr = m->pstm->Write(from, ULONG(size), &put);
      if (Succeeded(hr) && put != size) hr = STG_E_MEDIUMFULL;
    }
    GlobalUnlock(got.hGlobal);
    ReleaseStgMedium(&got);
    return hr;
  }

  HRESULT QueryGetData(const FORMATETC* fe) override {
    if (!fe) return E_INVALIDARG;
    if (auto cur = CurrentObject()) return cur->QueryGetData(fe);
    DWORD tymed = 0;
    return CheckClassic(fe, &tymed);
  }

  HRESULT GetCanonicalFormatEtc(const FORMATETC* in, FORMATETC* out) override {
    if (!in || !out) return E_INVALIDARG;
    if (auto cur = CurrentObject()) return cur->GetCanonicalFormatEtc(in, out);
    *out = *in;
    out->ptd = nullptr;
    return DATA_S_SAMEFORMATETC;
  }

  // The clipboard is read through this object, never written.
  HRESULT SetData(const FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }

  HRESULT EnumFormatEtc(DWORD dir, IEnumFORMATETC** pp) override {
    if (!pp) return E_INVALIDARG;
    *pp = nullptr;
    if (auto cur = CurrentObject()) return cur->EnumFormatEtc(dir, pp);
    if (dir == DATADIR_SET) return E_NOTIMPL;
    if (dir != DATADIR_GET) return E_INVALIDARG;
    if (!OpenClipboard(nullptr)) return CLIPBRD_E_CANT_OPEN;
    std::vector<FORMATETC> v;
    for (UINT cf = EnumClipboardFormats(0); cf; cf = EnumClipboardFormats(cf)) {
      DWORD t = ClipboardTymed(CLIPFORMAT(cf));
      if (!t || cf > 0xFFFF) continue;
      FORMATETC fe;
      fe.cfFormat = CLIPFORMAT(cf);
      fe.tymed = t;
      v.push_back(fe);
    }
    CloseClipboard();
    return SHCreateStdEnumFmtEtc(UINT(v.size()), v.data(), pp);
  }

  HRESULT DAdvise(const FORMATETC* fe, DWORD advf, IAdviseSink* sink, DWORD* conn) override {
    if (auto cur = CurrentObject()) return cur->DAdvise(fe, advf, sink, conn);
    if (conn) *conn = 0;
    return OLE_E_ADVISENOTSUPPORTED;
  }
  HRESULT DUnadvise(DWORD conn) override {
    if (auto cur = CurrentObject()) return cur->DUnadvise(conn);
    return OLE_E_ADVISENOTSUPPORTED;
  }
  HRESULT EnumDAdvise(IEnumSTATDATA** pp) override {
    if (auto cur = CurrentObject()) return cur->EnumDAdvise(pp);
    if (pp) *pp = nullptr;
    return OLE_E_ADVISENOTSUPPORTED;
  }

 private:
  // Whether the clipboard holds the format in a medium asked for; the
  // media it can go out in.
  static HRESULT CheckClassic(const FORMATETC* fe, DWORD* tymed) {
    HRESULT hr = ole::CheckPlainFormat(fe);
    if (hr != S_OK) return hr;
    DWORD served = ClipboardTymed(fe->cfFormat);
    if (!served || !IsClipboardFormatAvailable(fe->cfFormat)) return DV_E_FORMATETC;
    *tymed = served & fe->tymed;
    return *tymed ? S_OK : DV_E_TYMED;
  }
};

}  // namespace

namespace ole {

void StartThreadClipboard() {
  if (tClipboardWindow) return;
  static std::once_flag registered;
  std::call_once(registered, [] {
    WNDCLASSEXW wc;
    wc.lpfnWndProc = ClipboardWndProc;
    wc.lpszClassName = kClipboardClass;
    RegisterClassExW(&wc);
  });
  tClipboardWindow =
      CreateWindowExW(0, kClipboardClass, u"OleMainThreadWndName", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
}

void EndThreadClipboard() {
  HWND wnd = tClipboardWindow;
  if (!wnd) return;
  bool mine;
  {
    std::lock_guard<std::mutex> lk(OB().Lock);
    mine = OB().Current && OB().Window == wnd;
  }
  if (mine && OpenClipboard(wnd)) {
    FlushLocked(wnd);
    CloseClipboard();
  }
  // Whatever could not be flushed is still let go.
  TakeCurrent(wnd);
  tClipboardWindow = nullptr;
  DestroyWindow(wnd);
}

}  // namespace ole

HRESULT OleSetClipboard(IDataObject* pDataObj) {
  if (!ole::OleStarted() || !tClipboardWindow) return CO_E_NOTINITIALIZED;
  HWND wnd = tClipboardWindow;
  std::vector<FORMATETC> offered;
  if (pDataObj) {
    HRESULT hr = OfferedFormats(pDataObj, offered);
    if (Failed(hr)) return hr;
  }
  if (!OpenClipboard(wnd)) return CLIPBRD_E_CANT_OPEN;
  // The previous object goes with the clipboard's content: its owner is
  // told by WM_DESTROYCLIPBOARD; one whose owner is gone is let go here.
  if (!EmptyClipboard()) {
    CloseClipboard();
    return CLIPBRD_E_CANT_EMPTY;
  }
  TakeCurrent(nullptr);
  if (pDataObj) {
    {
      std::lock_guard<std::mutex> lk(OB().Lock);
      OB().Current = pDataObj;
      OB().Window = wnd;
      OB().Offered = offered;
    }
    for (auto& fe : offered) SetClipboardData(fe.cfFormat, nullptr);
  }
  CloseClipboard();
  return S_OK;
}

HRESULT OleGetClipboard(IDataObject** ppDataObj) {
  if (!ppDataObj) return E_INVALIDARG;
  *ppDataObj = nullptr;
  if (!ole::OleStarted()) return CO_E_NOTINITIALIZED;
  auto* obj = new TOleClipboardObject;
  obj->_AddRef();
  *ppDataObj = obj;
  return S_OK;
}

HRESULT OleIsCurrentClipboard(IDataObject* pDataObj) {
  if (!ole::OleStarted()) return CO_E_NOTINITIALIZED;
  if (!pDataObj) return S_FALSE;
  std::lock_guard<std::mutex> lk(OB().Lock);
  return OB().Current.get() == pDataObj ? S_OK : S_FALSE;
}

HRESULT OleFlushClipboard() {
  if (!ole::OleStarted() || !tClipboardWindow) return CO_E_NOTINITIALIZED;
  HWND wnd = tClipboardWindow;
  {
    std::lock_guard<std::mutex> lk(OB().Lock);
    if (!OB().Current || OB().Window != wnd) return S_OK;
  }
  if (!OpenClipboard(wnd)) return CLIPBRD_E_CANT_OPEN;
  FlushLocked(wnd);
  CloseClipboard();
  return S_OK;
}

}  // namespace vcl
