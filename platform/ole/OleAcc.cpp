// The object hand-over of WM_GETOBJECT and the standard accessible objects.
#include "platform/ole/OleAcc.h"

#include <map>
#include <mutex>
#include <vector>

#include "platform/rtl/Units.h"

namespace vcl {

namespace {

struct TCookie {
  IUnknown* Object = nullptr;  // one reference held by the table
  DWORD Thread = 0;
};

struct TCookieTable {
  std::mutex Lock;
  std::map<LRESULT, TCookie> Entries;
  LRESULT Next = 1;
};

TCookieTable& Cookies() {
  static auto* t = new TCookieTable;
  return *t;
}

// Takes the entries that match out of the table; their references are
// released by the caller outside the lock, as a release may run code that
// hands out cookies again.
std::vector<IUnknown*> TakeCookies(bool allThreads) {
  TCookieTable& t = Cookies();
  std::vector<IUnknown*> out;
  std::lock_guard<std::mutex> lk(t.Lock);
  DWORD me = GetCurrentThreadId();
  for (auto it = t.Entries.begin(); it != t.Entries.end();) {
    if (allThreads || it->second.Thread == me) {
      out.push_back(it->second.Object);
      it = t.Entries.erase(it);
    } else {
      ++it;
    }
  }
  return out;
}

void ReleaseAll(const std::vector<IUnknown*>& list) {
  for (IUnknown* u : list) u->_Release();
}

bool IsSelf(const VARIANT& v) { return v.vt == VT_I4 && v.lVal == CHILDID_SELF; }

// The plain object of a window: OBJID_CLIENT for the client area,
// OBJID_WINDOW for the whole window.
class TStdAccessible : public TDispatchObject, public virtual IAccessible {
  QN_CLASS(TStdAccessible, TDispatchObject)
  QN_INTERFACES(IAccessible, IDispatch)
 public:
  TStdAccessible(HWND h, LONG id) : FHwnd(h), FId(id) {}

  HRESULT get_accParent(IDispatch** pp) override {
    if (!pp) return E_POINTER;
    *pp = nullptr;
    // The client area belongs to its window; a window to its parent's client area.
    HWND owner = FId == OBJID_CLIENT ? FHwnd : GetAncestor(FHwnd, GA_PARENT);
    if (!owner || owner == GetDesktopWindow() || !IsWindow(owner)) return S_FALSE;
    LONG id = FId == OBJID_CLIENT ? OBJID_WINDOW : OBJID_CLIENT;
    return AccessibleObjectFromWindow(owner, DWORD(id), IID_IDispatch, reinterpret_cast<void**>(pp));
  }
  HRESULT get_accChildCount(LONG* n) override {
    if (!n) return E_POINTER;
    *n = 0;
    return S_OK;
  }
  HRESULT get_accChild(VARIANT v, IDispatch** pp) override {
    if (!pp) return E_POINTER;
    *pp = nullptr;
    return IsSelf(v) ? S_FALSE : E_INVALIDARG;
  }
  HRESULT get_accName(VARIANT v, BSTR* s) override {
    if (!s) return E_POINTER;
    *s = nullptr;
    if (!IsSelf(v)) return E_INVALIDARG;
    if (!IsWindow(FHwnd)) return E_FAIL;
    String t = GetWindowText(FHwnd);
    if (t.empty()) return S_FALSE;
    *s = StringToBstr(t);
    return S_OK;
  }
  HRESULT get_accValue(VARIANT v, BSTR* s) override { return NoText(v, s); }
  HRESULT get_accDescription(VARIANT v, BSTR* s) override { return NoText(v, s); }
  HRESULT get_accRole(VARIANT v, VARIANT* r) override {
    if (!r) return E_POINTER;
    VariantInit(r);
    if (!IsSelf(v)) return E_INVALIDARG;
    *r = VariantI4(FId == OBJID_CLIENT ? ROLE_SYSTEM_CLIENT : ROLE_SYSTEM_WINDOW);
    return S_OK;
  }
  HRESULT get_accState(VARIANT v, VARIANT* r) override {
    if (!r) return E_POINTER;
    VariantInit(r);
    if (!IsSelf(v)) return E_INVALIDARG;
    if (!IsWindow(FHwnd)) return E_FAIL;
    LONG st = 0;
    if (!IsWindowVisible(FHwnd)) st |= STATE_SYSTEM_INVISIBLE;
    if (!IsWindowEnabled(FHwnd)) st |= STATE_SYSTEM_UNAVAILABLE;
    else if (IsWindowVisible(FHwnd)) st |= STATE_SYSTEM_FOCUSABLE;
    if (GetFocus() == FHwnd) st |= STATE_SYSTEM_FOCUSED;
    *r = VariantI4(st);
    return S_OK;
  }
  HRESULT get_accHelp(VARIANT v, BSTR* s) override { return NoText(v, s); }
  HRESULT get_accHelpTopic(BSTR* file, VARIANT v, LONG* topic) override {
    if (file) *file = nullptr;
    if (topic) *topic = 0;
    return IsSelf(v) ? S_FALSE : E_INVALIDARG;
  }
  HRESULT get_accKeyboardShortcut(VARIANT v, BSTR* s) override { return NoText(v, s); }
  HRESULT get_accFocus(VARIANT* r) override {
    if (!r) return E_POINTER;
    VariantInit(r);
    if (GetFocus() != FHwnd) return S_FALSE;
    *r = VariantI4(CHILDID_SELF);
    return S_OK;
  }
  HRESULT get_accSelection(VARIANT* r) override {
    if (!r) return E_POINTER;
    VariantInit(r);
    return S_FALSE;
  }
  HRESULT get_accDefaultAction(VARIANT v, BSTR* s) override { return NoText(v, s); }
  HRESULT accSelect(LONG flags, VARIANT v) override {
    if (!IsSelf(v) || (flags & ~SELFLAG_VALID)) return E_INVALIDARG;
    if (flags == SELFLAG_TAKEFOCUS) {
      SetFocus(FHwnd);
      return GetFocus() == FHwnd ? S_OK : S_FALSE;
    }
    return flags == SELFLAG_NONE ? S_OK : DISP_E_MEMBERNOTFOUND;
  }
  HRESULT accLocation(LONG* x, LONG* y, LONG* cx, LONG* cy, VARIANT v) override {
    if (!x || !y || !cx || !cy) return E_POINTER;
    *x = *y = *cx = *cy = 0;
    if (!IsSelf(v)) return E_INVALIDARG;
    TRect r;
    if (!ScreenRect(r)) return E_FAIL;
    *x = r.Left;
    *y = r.Top;
    *cx = r.Width();
    *cy = r.Height();
    return S_OK;
  }
  HRESULT accNavigate(LONG, VARIANT, VARIANT* r) override {
    if (!r) return E_POINTER;
    VariantInit(r);
    return DISP_E_MEMBERNOTFOUND;
  }
  HRESULT accHitTest(LONG x, LONG y, VARIANT* r) override {
    if (!r) return E_POINTER;
    VariantInit(r);
    TRect rc;
    if (!ScreenRect(rc)) return E_FAIL;
    if (!PtInRect(rc, TPoint(x, y))) return S_FALSE;
    *r = VariantI4(CHILDID_SELF);
    return S_OK;
  }
  HRESULT accDoDefaultAction(VARIANT v) override { return IsSelf(v) ? DISP_E_MEMBERNOTFOUND : E_INVALIDARG; }
  HRESULT put_accName(VARIANT v, BSTR) override { return IsSelf(v) ? DISP_E_MEMBERNOTFOUND : E_INVALIDARG; }
  HRESULT put_accValue(VARIANT v, BSTR) override { return IsSelf(v) ? DISP_E_MEMBERNOTFOUND : E_INVALIDARG; }

 private:
  HRESULT NoText(VARIANT v, BSTR* s) {
    if (!s) return E_POINTER;
    *s = nullptr;
    return IsSelf(v) ? S_FALSE : E_INVALIDARG;
  }
  bool ScreenRect(TRect& r) {
    if (!IsWindow(FHwnd)) return false;
    if (FId == OBJID_WINDOW) return GetWindowRect(FHwnd, &r);
    if (!GetClientRect(FHwnd, &r)) return false;
    TPoint tl(0, 0);
    ClientToScreen(FHwnd, &tl);
    OffsetRect(r, tl.X, tl.Y);
    return true;
  }

  HWND FHwnd;
  LONG FId;
};

void FinalizeOleAcc() { ReleaseAll(TakeCookies(true)); }

}  // namespace

LRESULT LresultFromObject(const TGUID&, WPARAM, IUnknown* punk) {
  if (!punk) return E_INVALIDARG;
  TCookieTable& t = Cookies();
  punk->_AddRef();
  std::lock_guard<std::mutex> lk(t.Lock);
  // Cookies stay positive: a negative answer is an error code.
  LRESULT c = t.Next;
  while (t.Entries.count(c)) c = c >= 0x7FFFFFFF ? 1 : c + 1;
  t.Next = c >= 0x7FFFFFFF ? 1 : c + 1;
  t.Entries[c] = TCookie{punk, GetCurrentThreadId()};
  return c;
}

HRESULT ObjectFromLresult(LRESULT lResult, const TGUID& riid, WPARAM, void** ppv) {
  if (!ppv) return E_POINTER;
  *ppv = nullptr;
  IUnknown* obj = nullptr;
  {
    TCookieTable& t = Cookies();
    std::lock_guard<std::mutex> lk(t.Lock);
    auto it = t.Entries.find(lResult);
    if (lResult <= 0 || it == t.Entries.end()) return E_INVALIDARG;
    obj = it->second.Object;
    t.Entries.erase(it);
  }
  HRESULT hr = obj->QueryInterface(riid, ppv);
  obj->_Release();
  return hr;
}

HRESULT CreateStdAccessibleObject(HWND hwnd, LONG idObject, const TGUID& riid, void** ppv) {
  if (!ppv) return E_POINTER;
  *ppv = nullptr;
  if (!IsWindow(hwnd) || (idObject != OBJID_CLIENT && idObject != OBJID_WINDOW)) return E_INVALIDARG;
  TIntf<IAccessible> acc(new TStdAccessible(hwnd, idObject));
  return acc->QueryInterface(riid, ppv);
}

HRESULT AccessibleObjectFromWindow(HWND hwnd, DWORD idObject, const TGUID& riid, void** ppv) {
  if (!ppv) return E_POINTER;
  *ppv = nullptr;
  if (!IsWindow(hwnd)) return E_INVALIDARG;
  LRESULT r = SendMessageW(hwnd, WM_GETOBJECT, 0, LPARAM(LONG(idObject)));
  if (r > 0) return ObjectFromLresult(r, riid, 0, ppv);
  if (r < 0) return HRESULT(r);
  return CreateStdAccessibleObject(hwnd, LONG(idObject), riid, ppv);
}

HRESULT AccessibleObjectFromEvent(HWND hwnd, DWORD idObject, DWORD idChild, IAccessible** ppacc, VARIANT* pvarChild) {
  if (!ppacc || !pvarChild) return E_POINTER;
  *ppacc = nullptr;
  VariantInit(pvarChild);
  IAccessible* parent = nullptr;
  HRESULT hr = AccessibleObjectFromWindow(hwnd, idObject, IID_IAccessible, reinterpret_cast<void**>(&parent));
  if (Failed(hr)) return hr;
  if (!parent) return E_FAIL;
  if (LONG(idChild) != CHILDID_SELF) {
    IDispatch* disp = nullptr;
    if (parent->get_accChild(VariantI4(LONG(idChild)), &disp) == S_OK && disp) {
      IAccessible* child = nullptr;
      HRESULT q = disp->QueryInterface(IID_IAccessible, reinterpret_cast<void**>(&child));
      disp->_Release();
      if (q == S_OK && child) {
        parent->_Release();
        *ppacc = child;
        *pvarChild = VariantI4(CHILDID_SELF);
        return S_OK;
      }
    }
  }
  *ppacc = parent;
  *pvarChild = VariantI4(LONG(idChild));
  return S_OK;
}

Integer PendingObjectCookies() {
  TCookieTable& t = Cookies();
  std::lock_guard<std::mutex> lk(t.Lock);
  return Integer(t.Entries.size());
}

void ReleaseThreadObjectCookies() { ReleaseAll(TakeCookies(false)); }

void RegisterOleAccUnits() { RegisterUnit({"OleAcc", {"Windows"}, nullptr, FinalizeOleAcc}); }

}  // namespace vcl
