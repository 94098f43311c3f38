// BSTR allocation, VARIANT copying and clearing, and our IDispatch.
#include "platform/ole/OleAuto.h"

#include <cstdlib>
#include <cstring>

namespace vcl {

namespace {

// The largest string whose byte length fits the four-byte prefix.
constexpr Cardinal kMaxBstrLen = (0x7FFFFFFFu - sizeof(uint32_t) - sizeof(OLECHAR)) / sizeof(OLECHAR);

uint32_t* Prefix(BSTR s) { return reinterpret_cast<uint32_t*>(s) - 1; }

}  // namespace

BSTR SysAllocStringLen(const OLECHAR* s, Cardinal len) {
  if (len > kMaxBstrLen) return nullptr;
  size_t bytes = size_t(len) * sizeof(OLECHAR);
  auto* block = static_cast<uint32_t*>(std::malloc(sizeof(uint32_t) + bytes + sizeof(OLECHAR)));
  if (!block) return nullptr;
  block[0] = uint32_t(bytes);
  BSTR r = reinterpret_cast<BSTR>(block + 1);
  if (s) std::memcpy(r, s, bytes);
  else std::memset(r, 0, bytes);
  r[len] = 0;
  return r;
}

BSTR SysAllocString(const OLECHAR* s) {
  if (!s) return nullptr;
  Cardinal n = 0;
  while (s[n]) ++n;
  return SysAllocStringLen(s, n);
}

void SysFreeString(BSTR s) {
  if (s) std::free(Prefix(s));
}

Cardinal SysStringLen(BSTR s) { return s ? *Prefix(s) / sizeof(OLECHAR) : 0; }

String BstrToString(BSTR s) { return s ? String(s, SysStringLen(s)) : String(); }

BSTR StringToBstr(const String& s) {
  BSTR r = SysAllocStringLen(s.data(), Cardinal(s.size()));
  if (!r) throw EOutOfMemory(u"Out of memory");
  return r;
}

void VariantInit(VARIANT* v) {
  if (!v) return;
  v->vt = VT_EMPTY;
  v->wReserved1 = v->wReserved2 = v->wReserved3 = 0;
  v->llVal = 0;
}

HRESULT VariantClear(VARIANT* v) {
  if (!v) return E_INVALIDARG;
  switch (v->vt) {
    case VT_EMPTY:
    case VT_NULL:
    case VT_I2:
    case VT_I4:
    case VT_ERROR:
    case VT_BOOL: break;
    case VT_BSTR: SysFreeString(v->bstrVal); break;
    case VT_DISPATCH:
      if (v->pdispVal) v->pdispVal->_Release();
      break;
    case VT_UNKNOWN:
      if (v->punkVal) v->punkVal->_Release();
      break;
    default: return DISP_E_BADVARTYPE;
  }
  VariantInit(v);
  return S_OK;
}

HRESULT VariantCopy(VARIANT* dest, const VARIANT* src) {
  if (!dest || !src) return E_INVALIDARG;
  if (dest == src) return S_OK;
  VARIANT copy = *src;
  switch (src->vt) {
    case VT_EMPTY:
    case VT_NULL:
    case VT_I2:
    case VT_I4:
    case VT_ERROR:
    case VT_BOOL: break;
    case VT_BSTR:
      if (src->bstrVal) {
        copy.bstrVal = SysAllocStringLen(src->bstrVal, SysStringLen(src->bstrVal));
        if (!copy.bstrVal) return E_OUTOFMEMORY;
      }
      break;
    case VT_DISPATCH:
      if (src->pdispVal) src->pdispVal->_AddRef();
      break;
    case VT_UNKNOWN:
      if (src->punkVal) src->punkVal->_AddRef();
      break;
    default: return DISP_E_BADVARTYPE;
  }
  HRESULT hr = VariantClear(dest);
  if (Failed(hr)) {
    VariantClear(&copy);
    return hr;
  }
  *dest = copy;
  return S_OK;
}

HRESULT TDispatchObject::GetTypeInfoCount(Cardinal* pctinfo) {
  if (!pctinfo) return E_POINTER;
  *pctinfo = 0;
  return S_OK;
}

HRESULT TDispatchObject::GetTypeInfo(Cardinal, LCID_T, void** ppTInfo) {
  if (ppTInfo) *ppTInfo = nullptr;
  return E_NOTIMPL;
}

HRESULT TDispatchObject::GetIDsOfNames(const TGUID&, OLECHAR**, Cardinal, LCID_T, DISPID*) { return E_NOTIMPL; }

HRESULT TDispatchObject::Invoke(DISPID, const TGUID&, LCID_T, Word, DISPPARAMS*, VARIANT*, EXCEPINFO*, Cardinal*) {
  return E_NOTIMPL;
}

}  // namespace vcl
