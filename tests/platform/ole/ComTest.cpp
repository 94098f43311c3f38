// Component basics: the class table and CoCreateInstance, task memory,
// media release, and which calls need OleInitialize.
#include <fstream>

#include "platform/ole/ActiveX.h"
#include "platform/rtl/SysUtils.h"
#include "tests/common/TestSupport.h"
#include "tests/platform/ole/OleTestSupport.h"

namespace t_com_test {

using namespace vcl;
using namespace oletest;

namespace {

constexpr CLSID kWidgetClass = MakeGUID("{6A1E2D4C-0B7F-4E19-9C1D-33F0A7B2C001}");
constexpr CLSID kOtherClass = MakeGUID("{6A1E2D4C-0B7F-4E19-9C1D-33F0A7B2C002}");

struct IWidget : virtual IUnknown {
  static constexpr TGUID IID = MakeGUID("{6A1E2D4C-0B7F-4E19-9C1D-33F0A7B2C0FF}");
  virtual int Serial() = 0;
};

class TWidget : public TInterfacedObject, public virtual IWidget {
  QN_CLASS(TWidget, TInterfacedObject)
  QN_INTERFACES(IWidget)
 public:
  explicit TWidget(int serial) : FSerial(serial) {}
  int Serial() override { return FSerial; }

 private:
  int FSerial;
};

class TWidgetFactory : public TInterfacedObject, public virtual IClassFactory {
  QN_CLASS(TWidgetFactory, TInterfacedObject)
  QN_INTERFACES(IClassFactory)
 public:
  int Made = 0;
  HRESULT CreateInstance(IUnknown* outer, const TGUID& riid, void** ppv) override {
    *ppv = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    TIntf<IWidget> w(new TWidget(++Made));
    return w->QueryInterface(riid, ppv);
  }
  HRESULT LockServer(BOOL) override { return S_OK; }
};

class Platform_Com : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(Succeeded(OleInitialize(nullptr))); }
  void TearDown() override { OleUninitialize(); }
};

TIntf<IWidget> Create(const CLSID& c, HRESULT* hr, IUnknown* outer = nullptr) {
  void* p = nullptr;
  *hr = CoCreateInstance(c, outer, CLSCTX_INPROC_SERVER, IWidget::IID, &p);
  TIntf<IWidget> w;
  w.Attach(static_cast<IWidget*>(p));
  return w;
}

TEST_F(Platform_Com, ClassTableMakesInstancesUntilRevoked) {
  TIntf<TWidgetFactory> factory(new TWidgetFactory);
  DWORD cookie = 0;
  ASSERT_EQ(CoRegisterClassObject(kWidgetClass, factory.get(), CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &cookie), S_OK);
  EXPECT_NE(cookie, 0u);
  HRESULT hr;
  TIntf<IWidget> a = Create(kWidgetClass, &hr);
  ASSERT_EQ(hr, S_OK);
  TIntf<IWidget> b = Create(kWidgetClass, &hr);
  ASSERT_EQ(hr, S_OK);
  EXPECT_EQ(a->Serial(), 1);
  EXPECT_EQ(b->Serial(), 2);
  // Unknown class, aggregation refused by the factory, a context the class
  // was not registered for: their codes and a nil result.
  EXPECT_FALSE(Create(kOtherClass, &hr));
  EXPECT_EQ(hr, REGDB_E_CLASSNOTREG);
  TIntf<IUnknown> outer(new TInterfacedObject);
  EXPECT_FALSE(Create(kWidgetClass, &hr, outer.get()));
  EXPECT_EQ(hr, CLASS_E_NOAGGREGATION);
  void* p = reinterpret_cast<void*>(1);
  EXPECT_EQ(CoCreateInstance(kWidgetClass, nullptr, CLSCTX_LOCAL_SERVER, IWidget::IID, &p), REGDB_E_CLASSNOTREG);
  EXPECT_EQ(p, nullptr);
  // The table held its own reference until the revoke.
  EXPECT_EQ(factory->RefCount(), 2);
  EXPECT_EQ(CoRevokeClassObject(cookie), S_OK);
  EXPECT_EQ(factory->RefCount(), 1);
  EXPECT_EQ(CoRevokeClassObject(cookie), CO_E_OBJNOTREG);
  EXPECT_FALSE(Create(kWidgetClass, &hr));
  EXPECT_EQ(hr, REGDB_E_CLASSNOTREG);
}

TEST_F(Platform_Com, SingleUseClassMakesOneInstance) {
  TIntf<TWidgetFactory> factory(new TWidgetFactory);
  DWORD cookie = 0;
  ASSERT_EQ(CoRegisterClassObject(kWidgetClass, factory.get(), CLSCTX_INPROC_SERVER, REGCLS_SINGLEUSE, &cookie), S_OK);
  HRESULT hr;
  EXPECT_TRUE(Create(kWidgetClass, &hr));
  EXPECT_FALSE(Create(kWidgetClass, &hr));
  EXPECT_EQ(hr, REGDB_E_CLASSNOTREG);
  EXPECT_EQ(CoRevokeClassObject(cookie), S_OK);
}

TEST_F(Platform_Com, WhatNeedsOleInitialize) {
  OleUninitialize();
  ASSERT_EQ(OleInitializeCount(), 0);
  void* p = nullptr;
  EXPECT_EQ(CoCreateInstance(kWidgetClass, nullptr, CLSCTX_ALL, IWidget::IID, &p), CO_E_NOTINITIALIZED);
  TIntf<IDataObject> obj = NewDataObject();  // data objects and streams work anywhere
  ASSERT_TRUE(obj);
  IStream* s = nullptr;
  EXPECT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, &s), S_OK);
  s->_Release();
  EXPECT_EQ(OleSetClipboard(obj.get()), CO_E_NOTINITIALIZED);
  IDataObject* got = nullptr;
  EXPECT_EQ(OleGetClipboard(&got), CO_E_NOTINITIALIZED);
  EXPECT_EQ(OleFlushClipboard(), CO_E_NOTINITIALIZED);
  HWND h = CreateWindowExW(0, u"STATIC", u"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  TIntf<TRecordingTarget> target(new TRecordingTarget("t", nullptr));
  EXPECT_EQ(RegisterDragDrop(h, target.get()), CO_E_NOTINITIALIZED);
  TIntf<TSource> source(new TSource);
  DWORD effect = 99;
  EXPECT_EQ(DoDragDrop(obj.get(), source.get(), DROPEFFECT_COPY, &effect), CO_E_NOTINITIALIZED);
  EXPECT_EQ(effect, DROPEFFECT_NONE);
  EXPECT_EQ(target->RefCount(), 1);
  DestroyWindow(h);
  ASSERT_EQ(OleInitialize(nullptr), S_OK);
}

TEST_F(Platform_Com, ReleaseStgMediumFreesWhatTheMediumHolds) {
  const size_t n0 = GlobalBlockCount();
  // A block.
  STGMEDIUM m;
  m.tymed = TYMED_HGLOBAL;
  m.hGlobal = Block("abc");
  ASSERT_EQ(GlobalBlockCount(), n0 + 1);
  HGLOBAL was = m.hGlobal;
  ReleaseStgMedium(&m);
  EXPECT_EQ(GlobalBlockCount(), n0);
  EXPECT_EQ(GlobalFlags(was), GMEM_INVALID_HANDLE);
  EXPECT_EQ(m.tymed, TYMED_NULL);
  EXPECT_EQ(m.hGlobal, nullptr);
  // With an owner only the owner is released: the block stays.
  bool alive = false;
  m.tymed = TYMED_HGLOBAL;
  m.hGlobal = Block("kept");
  HGLOBAL kept = m.hGlobal;
  m.pUnkForRelease = new TWatched(&alive);
  m.pUnkForRelease->_AddRef();
  ReleaseStgMedium(&m);
  EXPECT_FALSE(alive);
  EXPECT_EQ(BlockBytes(kept), "kept");
  EXPECT_EQ(m.pUnkForRelease, nullptr);
  GlobalFree(kept);
  // A bitmap.
  m.tymed = TYMED_GDI;
  m.hBitmap = CreateBitmap(4, 4, 1, 32, nullptr);
  HBITMAP bmp = m.hBitmap;
  BITMAP bm;
  ASSERT_NE(GetObjectW(bmp, sizeof bm, &bm), 0);
  ReleaseStgMedium(&m);
  EXPECT_EQ(GetObjectW(bmp, sizeof bm, &bm), 0);
  // A stream: its last reference goes and with it the block.
  IStream* s = nullptr;
  ASSERT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, &s), S_OK);
  EXPECT_EQ(GlobalBlockCount(), n0 + 1);
  m.tymed = TYMED_ISTREAM;
  m.pstm = s;
  ReleaseStgMedium(&m);
  EXPECT_EQ(GlobalBlockCount(), n0);
  // A file: deleted, and its name freed.
  String name = FromUtf8(qntest::MakeTempDir("ole_medium")) + u"/medium.bin";
  std::ofstream(ToUtf8(name)) << "x";
  ASSERT_TRUE(FileExists(name));
  m.tymed = TYMED_FILE;
  m.lpszFileName = static_cast<Char*>(CoTaskMemAlloc((name.size() + 1) * sizeof(Char)));
  std::memcpy(m.lpszFileName, name.c_str(), (name.size() + 1) * sizeof(Char));
  ReleaseStgMedium(&m);
  EXPECT_FALSE(FileExists(name));
  EXPECT_EQ(m.lpszFileName, nullptr);
}

TEST_F(Platform_Com, TaskMemoryGrowsKeepingItsBytes) {
  auto* p = static_cast<char*>(CoTaskMemAlloc(4));
  ASSERT_NE(p, nullptr);
  std::memcpy(p, "abcd", 4);
  p = static_cast<char*>(CoTaskMemRealloc(p, 4096));
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(std::string(p, 4), "abcd");
  EXPECT_EQ(CoTaskMemRealloc(p, 0), nullptr);  // frees
  void* q = CoTaskMemRealloc(nullptr, 16);     // allocates
  EXPECT_NE(q, nullptr);
  CoTaskMemFree(q);
  CoTaskMemFree(nullptr);
}

}  // namespace

}  // namespace t_com_test
