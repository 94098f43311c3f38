// Task memory, the class table, media and the small helpers the other OLE
// units share.
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <vector>

#include "platform/ole/OleInternal.h"
#include "platform/rtl/SysUtils.h"

namespace vcl {

// ---------------------------------------------------------------------------
// Task memory

void* CoTaskMemAlloc(size_t cb) { return std::malloc(cb ? cb : 1); }

void* CoTaskMemRealloc(void* pv, size_t cb) {
  if (!pv) return CoTaskMemAlloc(cb);
  if (cb == 0) {
    std::free(pv);
    return nullptr;
  }
  return std::realloc(pv, cb);
}

void CoTaskMemFree(void* pv) { std::free(pv); }

// ---------------------------------------------------------------------------
// The class table

namespace {

struct ClassEntry {
  DWORD Cookie = 0;
  CLSID Clsid;
  TIntf<IUnknown> Object;
  DWORD Context = 0;
  DWORD Flags = 0;
  bool Used = false;  // a single-use entry that made its one instance
};

struct ClassTable {
  std::mutex Lock;
  std::vector<ClassEntry> Entries;
  DWORD NextCookie = 1;
};

ClassTable& Classes() {
  static auto* t = new ClassTable;
  return *t;
}

}  // namespace

HRESULT CoRegisterClassObject(const CLSID& rclsid, IUnknown* pUnk, DWORD dwClsContext, DWORD flags,
                              DWORD* lpdwRegister) {
  if (lpdwRegister) *lpdwRegister = 0;
  if (!pUnk || !lpdwRegister) return E_INVALIDARG;
  if (CoInitializeCount() == 0) return CO_E_NOTINITIALIZED;
  ClassEntry e;
  e.Clsid = rclsid;
  e.Object = pUnk;
  e.Context = dwClsContext;
  e.Flags = flags;
  std::lock_guard<std::mutex> lk(Classes().Lock);
  e.Cookie = Classes().NextCookie++;
  *lpdwRegister = e.Cookie;
  Classes().Entries.push_back(std::move(e));
  return S_OK;
}

HRESULT CoRevokeClassObject(DWORD dwRegister) {
  TIntf<IUnknown> gone;  // released after the lock
  std::lock_guard<std::mutex> lk(Classes().Lock);
  auto& v = Classes().Entries;
  for (auto it = v.begin(); it != v.end(); ++it)
    if (it->Cookie == dwRegister) {
      gone = std::move(it->Object);
      v.erase(it);
      return S_OK;
    }
  return CO_E_OBJNOTREG;
}

namespace {

// The class object for a class and context, marking a single-use entry taken.
TIntf<IUnknown> FindClassObject(const CLSID& clsid, DWORD context, bool take) {
  std::lock_guard<std::mutex> lk(Classes().Lock);
  for (auto& e : Classes().Entries)
    if (e.Clsid == clsid && (e.Context & context) && !e.Used) {
      if (take && e.Flags == REGCLS_SINGLEUSE) e.Used = true;
      return e.Object;
    }
  return nullptr;
}

}  // namespace

HRESULT CoGetClassObject(const CLSID& rclsid, DWORD dwClsContext, void*, const IID& riid, void** ppv) {
  if (!ppv) return E_POINTER;
  *ppv = nullptr;
  if (CoInitializeCount() == 0) return CO_E_NOTINITIALIZED;
  TIntf<IUnknown> obj = FindClassObject(rclsid, dwClsContext, false);
  if (!obj) return REGDB_E_CLASSNOTREG;
  return obj->QueryInterface(riid, ppv);
}

HRESULT CoCreateInstance(const CLSID& rclsid, IUnknown* pUnkOuter, DWORD dwClsContext, const IID& riid,
                         void** ppv) {
  if (!ppv) return E_POINTER;
  *ppv = nullptr;
  if (CoInitializeCount() == 0) return CO_E_NOTINITIALIZED;
  TIntf<IUnknown> obj = FindClassObject(rclsid, dwClsContext, true);
  if (!obj) return REGDB_E_CLASSNOTREG;
  void* p = nullptr;
  if (obj->QueryInterface(IClassFactory::IID, &p) != S_OK || !p) return REGDB_E_CLASSNOTREG;
  TIntf<IClassFactory> factory;
  factory.Attach(static_cast<IClassFactory*>(p));
  HRESULT hr = factory->CreateInstance(pUnkOuter, riid, ppv);
  if (Failed(hr)) *ppv = nullptr;
  return hr;
}

// ---------------------------------------------------------------------------
// Media

void ReleaseStgMedium(STGMEDIUM* pmedium) {
  if (!pmedium) return;
  STGMEDIUM m = *pmedium;
  *pmedium = STGMEDIUM();
  if (m.pUnkForRelease) {
    m.pUnkForRelease->_Release();
    return;
  }
  switch (m.tymed) {
    case TYMED_HGLOBAL:
    case TYMED_MFPICT:
      if (m.hGlobal) GlobalFree(m.hGlobal);
      break;
    case TYMED_GDI:
      if (m.hBitmap) DeleteObject(m.hBitmap);
      break;
    case TYMED_FILE:
      if (m.lpszFileName) {
        DeleteFile(String(m.lpszFileName));
        CoTaskMemFree(m.lpszFileName);
      }
      break;
    case TYMED_ISTREAM:
      if (m.pstm) m.pstm->_Release();
      break;
    case TYMED_ISTORAGE:
      if (m.pstg) m.pstg->_Release();
      break;
    default: break;  // enhanced metafiles do not exist in the host layer
  }
}

HRESULT CopyStgMedium(const STGMEDIUM* pcstgmedSrc, STGMEDIUM* pstgmedDest) {
  if (!pcstgmedSrc || !pstgmedDest) return E_INVALIDARG;
  const STGMEDIUM src = *pcstgmedSrc;
  STGMEDIUM out;
  out.tymed = src.tymed;
  switch (src.tymed) {
    case TYMED_NULL: break;
    case TYMED_HGLOBAL:
      if (!src.hGlobal) return DV_E_STGMEDIUM;
      out.hGlobal = ole::CopyBlock(src.hGlobal);
      if (!out.hGlobal) return E_OUTOFMEMORY;
      break;
    case TYMED_GDI:
      if (!src.hBitmap) return DV_E_STGMEDIUM;
      out.hBitmap = ole::CopyBitmap(src.hBitmap);
      if (!out.hBitmap) return E_OUTOFMEMORY;
      break;
    case TYMED_FILE: {
      if (!src.lpszFileName) return DV_E_STGMEDIUM;
      size_t n = std::char_traits<Char>::length(src.lpszFileName) + 1;
      auto* name = static_cast<Char*>(CoTaskMemAlloc(n * sizeof(Char)));
      if (!name) return E_OUTOFMEMORY;
      std::memcpy(name, src.lpszFileName, n * sizeof(Char));
      out.lpszFileName = name;
      break;
    }
    case TYMED_ISTREAM:
      if (!src.pstm) return DV_E_STGMEDIUM;
      out.pstm = src.pstm;
      out.pstm->_AddRef();
      break;
    case TYMED_ISTORAGE:
      if (!src.pstg) return DV_E_STGMEDIUM;
      out.pstg = src.pstg;
      out.pstg->_AddRef();
      break;
    default: return DV_E_TYMED;
  }
  *pstgmedDest = out;
  return S_OK;
}

namespace ole {

HBITMAP CopyBitmap(HBITMAP source) {
  BITMAP bm;
  if (!source || GetObjectW(source, sizeof bm, &bm) == 0 || bm.bmWidth <= 0 || bm.bmHeight <= 0) return nullptr;
  BITMAPINFO bmi{};
  bmi.bmiHeader.biWidth = bm.bmWidth;
  bmi.bmiHeader.biHeight = -bm.bmHeight;
  bmi.bmiHeader.biPlanes = 1;
  bmi.bmiHeader.biBitCount = 32;
  std::vector<uint32_t> pixels;
  try {
    pixels.resize(size_t(bm.bmWidth) * size_t(bm.bmHeight));
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
  HDC dc = CreateCompatibleDC(nullptr);
  int lines = GetDIBits(dc, source, 0, UINT(bm.bmHeight), pixels.data(), &bmi, DIB_RGB_COLORS);
  DeleteDC(dc);
  if (lines != bm.bmHeight) return nullptr;
  return CreateBitmap(bm.bmWidth, bm.bmHeight, 1, 32, pixels.data());
}

HGLOBAL CopyBlock(HGLOBAL source) {
  size_t size = GlobalSize(source);
  const void* from = GlobalLock(source);
  if (!from) return nullptr;
  HGLOBAL out = GlobalAlloc(GMEM_MOVEABLE, size);
  if (out) {
    void* to = GlobalLock(out);
    if (size) std::memcpy(to, from, size);
    GlobalUnlock(out);
  }
  GlobalUnlock(source);
  return out;
}

HGLOBAL BlockFromStream(IStream* stream) {
  if (!stream) return nullptr;
  ULARGE_INTEGER here = 0;
  if (Failed(stream->Seek(0, STREAM_SEEK_CUR, &here))) return nullptr;
  HGLOBAL out = nullptr;
  IStream* copy = nullptr;
  if (Succeeded(stream->Seek(0, STREAM_SEEK_SET, nullptr)) && Succeeded(CreateStreamOnHGlobal(nullptr, FALSE, &copy))) {
    ULARGE_INTEGER read = 0, written = 0;
    HRESULT hr = StreamCopyTo(stream, copy, ~ULARGE_INTEGER(0), &read, &written);
    GetHGlobalFromStream(copy, &out);
    copy->_Release();
    if (Failed(hr) || read != written) {
      if (out) GlobalFree(out);
      out = nullptr;
    }
  }
  stream->Seek(LARGE_INTEGER(here), STREAM_SEEK_SET, nullptr);
  return out;
}

bool MediumValid(const STGMEDIUM& m, DWORD tymedAsked) {
  if (m.tymed == TYMED_NULL || (m.tymed & (m.tymed - 1)) || !(m.tymed & tymedAsked)) return false;
  return m.hGlobal != nullptr;  // every kind of handle shares the one slot
}

HRESULT CheckPlainFormat(const FORMATETC* fe) {
  if (!fe) return E_INVALIDARG;
  if (fe->ptd) return DV_E_FORMATETC;
  if (fe->dwAspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
  if (fe->lindex != -1) return DV_E_LINDEX;
  return S_OK;
}

bool OleStarted() { return OleInitializeCount() > 0; }

}  // namespace ole

}  // namespace vcl
