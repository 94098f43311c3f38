// Automation basics: length-prefixed UTF-16 strings (BSTR), the VARIANT
// holding one value of a few kinds, and IDispatch for objects that are only
// reached through their vtable (ours answer no type information).
//
// A BSTR points at its characters; the byte length sits in the four bytes
// before them and a terminating NUL after them, so it can be read as a plain
// string too. nullptr is a valid BSTR: the empty string.
#pragma once
#include "platform/rtl/MacroShield.h"

#include "platform/classes/ComStreams.h"  // E_OUTOFMEMORY
#include "platform/rtl/System.h"

namespace vcl {

using BSTR = char16_t*;
using OLECHAR = char16_t;
using VARTYPE = Word;
using DISPID = Integer;
using LCID_T = Cardinal;

// Allocates a copy of a NUL-terminated string (nullptr gives nullptr).
BSTR SysAllocString(const OLECHAR* s);
// Allocates len characters, copied from s when s is given, else zeroed.
// nullptr when the length cannot be held.
BSTR SysAllocStringLen(const OLECHAR* s, Cardinal len);
void SysFreeString(BSTR s);
// The length in characters; 0 for nullptr.
Cardinal SysStringLen(BSTR s);
// Our own: the BSTR's text as a String (nullptr is empty) and a new BSTR of a String.
String BstrToString(BSTR s);
BSTR StringToBstr(const String& s);

enum : VARTYPE {
  VT_EMPTY = 0,
  VT_NULL = 1,
  VT_I2 = 2,
  VT_I4 = 3,
  VT_BSTR = 8,
  VT_DISPATCH = 9,
  VT_ERROR = 10,
  VT_BOOL = 11,
  VT_UNKNOWN = 13,
};
using VARIANT_BOOL = int16_t;
constexpr VARIANT_BOOL VARIANT_TRUE = -1, VARIANT_FALSE = 0;

constexpr HRESULT DISP_E_BADVARTYPE = static_cast<HRESULT>(0x80020008u);
constexpr HRESULT DISP_E_MEMBERNOTFOUND = static_cast<HRESULT>(0x80020003u);
constexpr HRESULT DISP_E_UNKNOWNNAME = static_cast<HRESULT>(0x80020006u);

struct IDispatch;

struct VARIANT {
  VARTYPE vt = VT_EMPTY;
  Word wReserved1 = 0, wReserved2 = 0, wReserved3 = 0;
  union {
    Integer lVal;
    int16_t iVal;
    VARIANT_BOOL boolVal;
    HRESULT scode;
    BSTR bstrVal;
    IDispatch* pdispVal;
    IUnknown* punkVal;
    Int64 llVal = 0;
  };
};

void VariantInit(VARIANT* v);
// Frees what the variant owns (its string, its interface reference) and
// leaves it VT_EMPTY. DISP_E_BADVARTYPE for a kind not handled here, which
// leaves the variant as it was.
HRESULT VariantClear(VARIANT* v);
// dest := a copy of src, with its own string or reference; dest is cleared
// first. On failure dest is left as it was.
HRESULT VariantCopy(VARIANT* dest, const VARIANT* src);

// Our own shorthands for the kinds that accessibility answers with.
inline VARIANT VariantI4(Integer v) {
  VARIANT r;
  r.vt = VT_I4;
  r.lVal = v;
  return r;
}

struct DISPPARAMS {
  VARIANT* rgvarg = nullptr;
  DISPID* rgdispidNamedArgs = nullptr;
  Cardinal cArgs = 0;
  Cardinal cNamedArgs = 0;
};

struct EXCEPINFO {
  Word wCode = 0;
  Word wReserved = 0;
  BSTR bstrSource = nullptr;
  BSTR bstrDescription = nullptr;
  BSTR bstrHelpFile = nullptr;
  Cardinal dwHelpContext = 0;
  void* pvReserved = nullptr;
  void* pfnDeferredFillIn = nullptr;
  HRESULT scode = 0;
};

struct IDispatch : virtual IInterface {
  static constexpr TGUID IID = MakeGUID("{00020400-0000-0000-C000-000000000046}");
  virtual HRESULT GetTypeInfoCount(Cardinal* pctinfo) = 0;
  virtual HRESULT GetTypeInfo(Cardinal iTInfo, LCID_T lcid, void** ppTInfo) = 0;
  virtual HRESULT GetIDsOfNames(const TGUID& riid, OLECHAR** rgszNames, Cardinal cNames, LCID_T lcid,
                                DISPID* rgDispId) = 0;
  virtual HRESULT Invoke(DISPID dispIdMember, const TGUID& riid, LCID_T lcid, Word wFlags, DISPPARAMS* pDispParams,
                         VARIANT* pVarResult, EXCEPINFO* pExcepInfo, Cardinal* puArgErr) = 0;

 protected:
  ~IDispatch() = default;
};
constexpr TGUID IID_IDispatch = IDispatch::IID;
constexpr TGUID IID_IUnknown = IInterface::IID;

// IDispatch for objects of ours: no type information, no late binding.
class TDispatchObject : public TInterfacedObject, public virtual IDispatch {
  QN_CLASS(TDispatchObject, TInterfacedObject)
  QN_INTERFACES(IDispatch)
 public:
  HRESULT GetTypeInfoCount(Cardinal* pctinfo) override;
  HRESULT GetTypeInfo(Cardinal, LCID_T, void** ppTInfo) override;
  HRESULT GetIDsOfNames(const TGUID&, OLECHAR**, Cardinal, LCID_T, DISPID*) override;
  HRESULT Invoke(DISPID, const TGUID&, LCID_T, Word, DISPPARAMS*, VARIANT*, EXCEPINFO*, Cardinal*) override;
};

}  // namespace vcl

#include "platform/rtl/MacroShieldEnd.h"
