// The accessibility path as a screen reader walks it: WM_GETOBJECT answers,
// the cookie hand-over, the standard objects, events of children and the
// WinEvents a control raises.
#include <gtest/gtest.h>

#include <random>

#include "platform/ole/Ole2.h"
#include "platform/ole/OleAcc.h"
#include "platform/rtl/SysUtils.h"
#include "tests/common/WinEventRecorder.h"
#include "tests/platform/user/UserTestSupport.h"

namespace t_accessibility_test {

namespace {

using namespace vcl;
using namespace usertest;

// A provider's object: a name, and children of its own for the ids listed.
class TTestAccessible : public TDispatchObject, public virtual IAccessible {
  QN_CLASS(TTestAccessible, TDispatchObject)
  QN_INTERFACES(IAccessible, IDispatch)
 public:
  TTestAccessible(String name, std::vector<LONG> ownChildren = {})
      : FName(std::move(name)), FOwn(std::move(ownChildren)) {}
  ~TTestAccessible() override { ++Destroyed; }
  static inline int Destroyed = 0;

  HRESULT get_accParent(IDispatch** p) override { *p = nullptr; return S_FALSE; }
  HRESULT get_accChildCount(LONG* n) override { *n = LONG(FOwn.size()) + 1; return S_OK; }
  HRESULT get_accChild(VARIANT v, IDispatch** p) override {
    *p = nullptr;
    if (v.vt != VT_I4) return E_INVALIDARG;
    for (LONG id : FOwn)
      if (id == v.lVal) {
        TIntf<IDispatch> child(new TTestAccessible(FName + u"." + IntToStr(id)));
        *p = child.Detach();
        return S_OK;
      }
    return S_FALSE;
  }
  HRESULT get_accName(VARIANT v, BSTR* s) override {
    *s = StringToBstr(v.lVal == CHILDID_SELF ? FName : FName + u"#" + IntToStr(v.lVal));
    return S_OK;
  }
  HRESULT get_accValue(VARIANT, BSTR* s) override { *s = nullptr; return S_FALSE; }
  HRESULT get_accDescription(VARIANT, BSTR* s) override { *s = nullptr; return S_FALSE; }
  HRESULT get_accRole(VARIANT, VARIANT* r) override { *r = VariantI4(ROLE_SYSTEM_OUTLINE); return S_OK; }
  HRESULT get_accState(VARIANT, VARIANT* r) override { *r = VariantI4(0); return S_OK; }
  HRESULT get_accHelp(VARIANT, BSTR* s) override { *s = nullptr; return S_FALSE; }
  HRESULT get_accHelpTopic(BSTR* f, VARIANT, LONG* t) override { *f = nullptr; *t = 0; return S_FALSE; }
  HRESULT get_accKeyboardShortcut(VARIANT, BSTR* s) override { *s = nullptr; return S_FALSE; }
  HRESULT get_accFocus(VARIANT* r) override { VariantInit(r); return S_FALSE; }
  HRESULT get_accSelection(VARIANT* r) override { VariantInit(r); return S_FALSE; }
  HRESULT get_accDefaultAction(VARIANT, BSTR* s) override { *s = nullptr; return S_FALSE; }
  HRESULT accSelect(LONG, VARIANT) override { return S_OK; }
  HRESULT accLocation(LONG*, LONG*, LONG*, LONG*, VARIANT) override { return E_NOTIMPL; }
  HRESULT accNavigate(LONG, VARIANT, VARIANT* r) override { VariantInit(r); return S_FALSE; }
  HRESULT accHitTest(LONG, LONG, VARIANT* r) override { VariantInit(r); return S_FALSE; }
  HRESULT accDoDefaultAction(VARIANT) override { return S_OK; }
  HRESULT put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
  HRESULT put_accValue(VARIANT, BSTR) override { return E_NOTIMPL; }

 private:
  String FName;
  std::vector<LONG> FOwn;
};

String NameOf(IAccessible* a, LONG child = CHILDID_SELF) {
  BSTR s = nullptr;
  if (a->get_accName(VariantI4(child), &s) != S_OK) return u"<none>";
  String r = BstrToString(s);
  SysFreeString(s);
  return r;
}

LONG IntOf(HRESULT (IAccessible::*get)(VARIANT, VARIANT*), IAccessible* a) {
  VARIANT v;
  EXPECT_EQ((a->*get)(VariantI4(CHILDID_SELF), &v), S_OK);
  EXPECT_EQ(v.vt, VT_I4);
  return v.lVal;
}

// Answers WM_GETOBJECT for the client area with the object.
void Provide(HWND h, const TIntf<IAccessible>& obj) {
  SetHandler(h, [obj](HWND, UINT msg, WPARAM wp, LPARAM lp, bool& handled) -> LRESULT {
    handled = msg == WM_GETOBJECT && LONG(lp) == OBJID_CLIENT;
    return handled ? LresultFromObject(IID_IAccessible, wp, obj.get()) : 0;
  });
}

using Platform_Accessibility = ServerTest;

TEST_F(Platform_Accessibility, ProviderObjectReachesTheClientAndItsCountComesBack) {
  HWND h = MakeTop(100, 100, 200, 150);
  auto* raw = new TTestAccessible(u"Tree");
  TIntf<IAccessible> obj(raw);
  Provide(h, obj);
  ASSERT_EQ(raw->RefCount(), 2);  // ours and the handler's copy
  for (int round = 0; round < 3; ++round) {
    IAccessible* got = nullptr;
    ASSERT_EQ(AccessibleObjectFromWindow(h, DWORD(OBJID_CLIENT), IID_IAccessible, reinterpret_cast<void**>(&got)),
              S_OK);
    ASSERT_EQ(got, static_cast<IAccessible*>(raw));
    EXPECT_EQ(NameOf(got), u"Tree");
    EXPECT_EQ(raw->RefCount(), 3);
    got->_Release();
    EXPECT_EQ(raw->RefCount(), 2);
    EXPECT_EQ(PendingObjectCookies(), 0);
  }
  // Other interfaces of the object come through the same hand-over.
  IDispatch* disp = nullptr;
  ASSERT_EQ(AccessibleObjectFromWindow(h, DWORD(OBJID_CLIENT), IID_IDispatch, reinterpret_cast<void**>(&disp)), S_OK);
  Cardinal n = 7;
  EXPECT_EQ(disp->GetTypeInfoCount(&n), S_OK);
  EXPECT_EQ(n, 0u);
  EXPECT_EQ(disp->GetIDsOfNames(IID_IUnknown, nullptr, 0, 0, nullptr), E_NOTIMPL);
  disp->_Release();
  // An interface the object lacks: nothing handed out, the table reference still goes.
  void* none = reinterpret_cast<void*>(1);
  LRESULT c = LresultFromObject(IID_IAccessible, 0, obj.get());
  EXPECT_EQ(ObjectFromLresult(c, MakeGUID("{11111111-2222-3333-4444-555555555555}"), 0, &none), E_NOINTERFACE);
  EXPECT_EQ(none, nullptr);
  EXPECT_EQ(raw->RefCount(), 2);
  SetHandler(h, nullptr);
  EXPECT_EQ(raw->RefCount(), 1);
}

TEST_F(Platform_Accessibility, ForgedOrReusedCookiesYieldNothing) {
  int before = TTestAccessible::Destroyed;
  auto* raw = new TTestAccessible(u"Once");
  TIntf<IAccessible> obj(raw);
  LRESULT c = LresultFromObject(IID_IAccessible, 0, obj.get());
  ASSERT_GT(c, 0);
  EXPECT_EQ(PendingObjectCookies(), 1);
  for (LRESULT forged : {LRESULT(0), LRESULT(-1), c + 1, c + 1000, LRESULT(reinterpret_cast<intptr_t>(raw))}) {
    void* p = reinterpret_cast<void*>(1);
    EXPECT_EQ(ObjectFromLresult(forged, IID_IAccessible, 0, &p), E_INVALIDARG) << forged;
    EXPECT_EQ(p, nullptr);
  }
  void* p = nullptr;
  ASSERT_EQ(ObjectFromLresult(c, IID_IAccessible, 0, &p), S_OK);
  static_cast<IAccessible*>(p)->_Release();
  EXPECT_EQ(ObjectFromLresult(c, IID_IAccessible, 0, &p), E_INVALIDARG);
  EXPECT_EQ(p, nullptr);
  EXPECT_EQ(LresultFromObject(IID_IAccessible, 0, nullptr), E_INVALIDARG);
  EXPECT_EQ(raw->RefCount(), 1);

  // Unredeemed cookies go with the thread's last OleUninitialize.
  ASSERT_EQ(OleInitializeCount(), 0);
  ASSERT_EQ(OleInitialize(nullptr), S_OK);
  ASSERT_EQ(OleInitialize(nullptr), S_FALSE);
  LresultFromObject(IID_IAccessible, 0, obj.get());
  LresultFromObject(IID_IAccessible, 0, obj.get());
  EXPECT_EQ(raw->RefCount(), 3);
  OleUninitialize();
  EXPECT_EQ(raw->RefCount(), 3);
  OleUninitialize();
  EXPECT_EQ(raw->RefCount(), 1);
  EXPECT_EQ(PendingObjectCookies(), 0);
  obj = nullptr;
  EXPECT_EQ(TTestAccessible::Destroyed, before + 1);
}

TEST_F(Platform_Accessibility, WindowAnsweringZeroGetsTheStandardObjects) {
  HWND top = MakeTop(100, 80, 300, 200, WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  SetWindowTextW(top, u"Main window");
  HWND child = MakeChild(top, 10, 20, 120, 60);
  SetWindowTextW(child, u"Pane");
  SetFocus(child);

  IAccessible* client = nullptr;
  ASSERT_EQ(AccessibleObjectFromWindow(child, DWORD(OBJID_CLIENT), IID_IAccessible, reinterpret_cast<void**>(&client)),
            S_OK);
  EXPECT_EQ(NameOf(client), u"Pane");
  EXPECT_EQ(IntOf(&IAccessible::get_accRole, client), ROLE_SYSTEM_CLIENT);
  EXPECT_EQ(IntOf(&IAccessible::get_accState, client), STATE_SYSTEM_FOCUSED | STATE_SYSTEM_FOCUSABLE);
  LONG x, y, cx, cy;
  ASSERT_EQ(client->accLocation(&x, &y, &cx, &cy, VariantI4(CHILDID_SELF)), S_OK);
  POINT o{10, 20};
  ClientToScreen(top, &o);
  EXPECT_EQ((TRect(x, y, x + cx, y + cy)), (TRect(o.X, o.Y, o.X + 120, o.Y + 60)));
  VARIANT hit;
  EXPECT_EQ(client->accHitTest(o.X + 5, o.Y + 5, &hit), S_OK);
  EXPECT_EQ(hit.vt, VT_I4);
  EXPECT_EQ(hit.lVal, CHILDID_SELF);
  EXPECT_EQ(client->accHitTest(o.X + 120, o.Y + 5, &hit), S_FALSE);
  EXPECT_EQ(hit.vt, VT_EMPTY);
  VARIANT focus;
  EXPECT_EQ(client->get_accFocus(&focus), S_OK);
  EXPECT_EQ(focus.lVal, CHILDID_SELF);
  BSTR none = reinterpret_cast<BSTR>(1);
  EXPECT_EQ(client->get_accName(VariantI4(5), &none), E_INVALIDARG);
  EXPECT_EQ(none, nullptr);

  // Up the tree: the pane's client area, the pane window, the main window's
  // client area, the main window.
  std::vector<std::pair<String, LONG>> chain;
  IAccessible* cur = client;
  while (cur) {
    chain.emplace_back(NameOf(cur), IntOf(&IAccessible::get_accRole, cur));
    IDispatch* parent = nullptr;
    HRESULT hr = cur->get_accParent(&parent);
    cur->_Release();
    cur = nullptr;
    if (hr == S_OK && parent) {
      EXPECT_EQ(parent->QueryInterface(IID_IAccessible, reinterpret_cast<void**>(&cur)), S_OK);
      parent->_Release();
    }
  }
  std::vector<std::pair<String, LONG>> want = {{u"Pane", ROLE_SYSTEM_CLIENT},
                                               {u"Pane", ROLE_SYSTEM_WINDOW},
                                               {u"Main window", ROLE_SYSTEM_CLIENT},
                                               {u"Main window", ROLE_SYSTEM_WINDOW}};
  EXPECT_EQ(chain, want);

  // The window object covers the frame; state follows enabling and showing.
  IAccessible* win = nullptr;
  ASSERT_EQ(AccessibleObjectFromWindow(top, DWORD(OBJID_WINDOW), IID_IAccessible, reinterpret_cast<void**>(&win)), S_OK);
  RECT wr;
  GetWindowRect(top, &wr);
  ASSERT_EQ(win->accLocation(&x, &y, &cx, &cy, VariantI4(CHILDID_SELF)), S_OK);
  EXPECT_EQ((TRect(x, y, x + cx, y + cy)), wr);
  win->_Release();
  EnableWindow(child, false);
  ShowWindow(child, SW_HIDE);
  ASSERT_EQ(AccessibleObjectFromWindow(child, DWORD(OBJID_CLIENT), IID_IAccessible, reinterpret_cast<void**>(&client)),
            S_OK);
  EXPECT_EQ(IntOf(&IAccessible::get_accState, client) & ~STATE_SYSTEM_FOCUSED,
            LONG(STATE_SYSTEM_INVISIBLE | STATE_SYSTEM_UNAVAILABLE));
  client->_Release();
  void* p = nullptr;
  EXPECT_EQ(AccessibleObjectFromWindow(child, DWORD(OBJID_VSCROLL), IID_IAccessible, &p), E_INVALIDARG);
  EXPECT_EQ(AccessibleObjectFromWindow(reinterpret_cast<HWND>(uintptr_t(0x7777)), DWORD(OBJID_CLIENT),
                                       IID_IAccessible, &p),
            E_INVALIDARG);
  EXPECT_EQ(p, nullptr);
}

TEST_F(Platform_Accessibility, EventOfAChildWithAndWithoutItsOwnObject) {
  HWND h = MakeTop(0, 0, 100, 100);
  auto* raw = new TTestAccessible(u"List", {2});
  TIntf<IAccessible> obj(raw);
  Provide(h, obj);
  IAccessible* acc = nullptr;
  VARIANT child;
  ASSERT_EQ(AccessibleObjectFromEvent(h, DWORD(OBJID_CLIENT), 2, &acc, &child), S_OK);
  EXPECT_NE(acc, static_cast<IAccessible*>(raw));
  EXPECT_EQ(NameOf(acc, child.lVal), u"List.2");
  EXPECT_EQ(child.vt, VT_I4);
  EXPECT_EQ(child.lVal, CHILDID_SELF);
  acc->_Release();

  ASSERT_EQ(AccessibleObjectFromEvent(h, DWORD(OBJID_CLIENT), 3, &acc, &child), S_OK);
  EXPECT_EQ(acc, static_cast<IAccessible*>(raw));
  EXPECT_EQ(child.lVal, 3);
  EXPECT_EQ(NameOf(acc, child.lVal), u"List#3");
  acc->_Release();

  ASSERT_EQ(AccessibleObjectFromEvent(h, DWORD(OBJID_CLIENT), DWORD(CHILDID_SELF), &acc, &child), S_OK);
  EXPECT_EQ(acc, static_cast<IAccessible*>(raw));
  acc->_Release();
  SetHandler(h, nullptr);
  EXPECT_EQ(raw->RefCount(), 1);
  EXPECT_EQ(PendingObjectCookies(), 0);
}

TEST_F(Platform_Accessibility, RecorderSeesTheObjectEventsOfAClientArea) {
  HWND h = MakeTop(0, 0, 50, 50);
  qntest::TWinEventRecorder rec(EVENT_OBJECT_REORDER, EVENT_OBJECT_VALUECHANGE);
  std::vector<qntest::TWinEventRecord> want;
  for (DWORD e = EVENT_OBJECT_SELECTION; e <= EVENT_OBJECT_VALUECHANGE; ++e) {
    NotifyWinEvent(e, h, OBJID_CLIENT, CHILDID_SELF);
    want.push_back({e, h, OBJID_CLIENT, CHILDID_SELF});
  }
  NotifyWinEvent(EVENT_OBJECT_REORDER, h, OBJID_CLIENT, 7);
  want.push_back({EVENT_OBJECT_REORDER, h, OBJID_CLIENT, 7});
  NotifyWinEvent(EVENT_OBJECT_CREATE, h, OBJID_WINDOW, 0);  // outside the range asked for
  EXPECT_EQ(rec.EventsOf(h), want);
  EXPECT_EQ(EVENT_OBJECT_SELECTION, 0x8006u);
  EXPECT_EQ(EVENT_OBJECT_VALUECHANGE, 0x800Eu);
}

// ---------------------------------------------------------------------------
// Strings and variants

TEST(Platform_Accessibility_Bstr, RandomStringsRoundTripWithTheirLength) {
  std::mt19937 rng(1709);
  for (int i = 0; i < 300; ++i) {
    String s(size_t(rng() % 40), u'\0');
    for (auto& c : s) c = char16_t(rng() % 4 == 0 ? 0 : 1 + rng() % 0xD000);  // embedded NULs too
    BSTR b = SysAllocStringLen(s.data(), Cardinal(s.size()));
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(SysStringLen(b), s.size());
    EXPECT_EQ(b[s.size()], 0);
    EXPECT_EQ(BstrToString(b), s);
    // A copy through a variant is its own string.
    VARIANT a, c;
    VariantInit(&a);
    VariantInit(&c);
    a.vt = VT_BSTR;
    a.bstrVal = b;
    ASSERT_EQ(VariantCopy(&c, &a), S_OK);
    EXPECT_NE(c.bstrVal, b);
    EXPECT_EQ(BstrToString(c.bstrVal), s);
    EXPECT_EQ(VariantClear(&a), S_OK);
    EXPECT_EQ(a.vt, VT_EMPTY);
    EXPECT_EQ(BstrToString(c.bstrVal), s);
    VariantClear(&c);
  }
  EXPECT_EQ(SysStringLen(nullptr), 0u);
  EXPECT_EQ(BstrToString(nullptr), u"");
  EXPECT_EQ(SysAllocString(nullptr), nullptr);
  BSTR z = SysAllocStringLen(nullptr, 3);
  EXPECT_EQ(SysStringLen(z), 3u);
  EXPECT_EQ(z[0] | z[1] | z[2] | z[3], 0);
  SysFreeString(z);
  SysFreeString(nullptr);
  EXPECT_EQ(SysAllocStringLen(u"x", 0x7FFFFFFFu), nullptr);
}

TEST(Platform_Accessibility_Bstr, VariantsHoldTheirReferences) {
  auto* raw = new TTestAccessible(u"V");
  TIntf<IAccessible> obj(raw);
  VARIANT a, b;
  VariantInit(&a);
  VariantInit(&b);
  a.vt = VT_DISPATCH;
  a.pdispVal = obj.get();
  obj->_AddRef();
  b = VariantI4(42);
  ASSERT_EQ(VariantCopy(&b, &a), S_OK);
  EXPECT_EQ(raw->RefCount(), 3);
  VARIANT u;
  u.vt = VT_UNKNOWN;
  u.punkVal = static_cast<IInterface*>(static_cast<IAccessible*>(raw));
  raw->_AddRef();
  ASSERT_EQ(VariantCopy(&b, &u), S_OK);  // the dispatch reference of b is released
  EXPECT_EQ(raw->RefCount(), 4);
  // A kind not handled leaves the destination as it was.
  VARIANT bad;
  bad.vt = 0x4000 | VT_I4;
  EXPECT_EQ(VariantCopy(&b, &bad), DISP_E_BADVARTYPE);
  EXPECT_EQ(b.vt, VT_UNKNOWN);
  EXPECT_EQ(VariantClear(&bad), DISP_E_BADVARTYPE);
  VariantClear(&a);
  VariantClear(&b);
  VariantClear(&u);
  EXPECT_EQ(raw->RefCount(), 1);
}

}  // namespace

}  // namespace t_accessibility_test
