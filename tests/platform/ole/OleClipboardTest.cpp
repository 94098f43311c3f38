// The OLE clipboard: promised formats rendered on request, the object's
// one release, flushing, reading back through OleGetClipboard, and the
// classic clipboard's delayed rendering underneath.
#include <condition_variable>
#include <thread>

#include "platform/vcl/Clipbrd.h"
#include "tests/common/DataObjectConformance.h"
#include "tests/platform/ole/OleTestSupport.h"
#include "tests/platform/user/UserTestSupport.h"

namespace t_ole_clipboard_test {

using namespace vcl;
using namespace oletest;

namespace {

CLIPFORMAT Private() { return CLIPFORMAT(RegisterClipboardFormatW(u"Ole clipboard test data")); }
CLIPFORMAT Reference() { return CLIPFORMAT(RegisterClipboardFormatW(u"Lazy Tree Reference")); }

Integer Refs(IUnknown* p) {
  p->_AddRef();
  return p->_Release();
}

HGLOBAL Wide(const String& s) {
  HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, (s.size() + 1) * sizeof(Char));
  std::memcpy(GlobalLock(h), s.c_str(), (s.size() + 1) * sizeof(Char));
  GlobalUnlock(h);
  return h;
}

class Platform_OleClipboard : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetClipboard();
    ASSERT_EQ(OleInitializeCount(), 0);
    ASSERT_EQ(OleInitialize(nullptr), S_OK);
  }
  void TearDown() override {
    OleSetClipboard(nullptr);
    while (OleInitializeCount() > 0) OleUninitialize();
    for (HWND h : Windows) DestroyWindow(h);
    ResetClipboard();
  }
  HWND Window() {
    Windows.push_back(usertest::MakeTop(0, 0, 10, 10));
    return Windows.back();
  }
  // An object with text and a private block.
  static TIntf<IDataObject> TextObject(const String& text) {
    TIntf<IDataObject> obj = NewDataObject();
    FORMATETC f = Fe(CF_UNICODETEXT);
    STGMEDIUM m;
    m.tymed = TYMED_HGLOBAL;
    m.hGlobal = Wide(text);
    EXPECT_EQ(obj->SetData(&f, &m, TRUE), S_OK);
    SetBytes(obj.get(), Private(), "private bytes");
    return obj;
  }
  static TIntf<IDataObject> ClipboardObject() {
    IDataObject* raw = nullptr;
    EXPECT_EQ(OleGetClipboard(&raw), S_OK);
    TIntf<IDataObject> r;
    r.Attach(raw);
    return r;
  }
  std::vector<HWND> Windows;
};

TEST_F(Platform_OleClipboard, ReadingBackForwardsToTheObjectOfThisProcess) {
  conformance::CheckDataObjectConformance(
      [] {
        EXPECT_EQ(OleSetClipboard(TextObject(u"forwarded").get()), S_OK);
        return ClipboardObject();
      },
      {.SetData = false, .Advise = true, .FreesBlocks = false});
}

TEST_F(Platform_OleClipboard, ReadingBackServesTheClassicFormats) {
  conformance::CheckDataObjectConformance(
      [this] {
        HWND h = Window();
        EXPECT_TRUE(OpenClipboard(h));
        EmptyClipboard();
        SetClipboardData(CF_UNICODETEXT, Wide(u"classic"));
        SetClipboardData(Private(), Block("classic bytes"));
        CloseClipboard();
        return ClipboardObject();
      },
      {.SetData = false, .Advise = false, .FreesBlocks = false});
  // Blocks and streams both carry the bytes.
  TIntf<IDataObject> obj = ClipboardObject();
  for (DWORD t : {TYMED_HGLOBAL, TYMED_ISTREAM}) {
    FORMATETC f = Fe(Private(), t);
    STGMEDIUM m;
    ASSERT_EQ(obj->GetData(&f, &m), S_OK);
    EXPECT_EQ(m.tymed, t);
    EXPECT_EQ(MediumBytes(m), "classic bytes");
    ReleaseStgMedium(&m);
  }
}

TEST_F(Platform_OleClipboard, SettingAnotherObjectReleasesThePreviousOnceBeforeReturning) {
  TIntf<IDataObject> a = TextObject(u"A"), b = TextObject(u"B");
  ASSERT_EQ(OleSetClipboard(a.get()), S_OK);
  EXPECT_EQ(Refs(a.get()), 2);
  EXPECT_EQ(OleIsCurrentClipboard(a.get()), S_OK);
  ASSERT_EQ(OleSetClipboard(b.get()), S_OK);
  EXPECT_EQ(Refs(a.get()), 1);
  EXPECT_EQ(Refs(b.get()), 2);
  EXPECT_EQ(OleIsCurrentClipboard(a.get()), S_FALSE);
  EXPECT_EQ(OleIsCurrentClipboard(b.get()), S_OK);
  // Another window's EmptyClipboard lets it go too.
  HWND other = Window();
  ASSERT_TRUE(OpenClipboard(other));
  ASSERT_TRUE(EmptyClipboard());
  EXPECT_EQ(Refs(b.get()), 1);
  EXPECT_EQ(OleIsCurrentClipboard(b.get()), S_FALSE);
  CloseClipboard();
  // Nil only empties.
  ASSERT_EQ(OleSetClipboard(a.get()), S_OK);
  ASSERT_EQ(OleSetClipboard(nullptr), S_OK);
  EXPECT_EQ(Refs(a.get()), 1);
  EXPECT_EQ(CountClipboardFormats(), 0);
  // A reset of the clipboard lets it go as well.
  ASSERT_EQ(OleSetClipboard(b.get()), S_OK);
  ResetClipboard();
  EXPECT_EQ(Refs(b.get()), 1);
}

TEST_F(Platform_OleClipboard, PromisedFormatsRenderWhenAskedAndSurviveTheFlush) {
  TIntf<IDataObject> a = TextObject(u"promised text");
  ASSERT_EQ(OleSetClipboard(a.get()), S_OK);
  EXPECT_TRUE(IsClipboardFormatAvailable(CF_UNICODETEXT));
  EXPECT_TRUE(IsClipboardFormatAvailable(CF_TEXT));  // made from the text when asked
  EXPECT_TRUE(IsClipboardFormatAvailable(Private()));
  // The classic reader asks the owner, which asks the object.
  EXPECT_EQ(Clipboard()->AsText(), u"promised text");
  ASSERT_EQ(OleFlushClipboard(), S_OK);
  EXPECT_EQ(Refs(a.get()), 1);
  EXPECT_EQ(OleIsCurrentClipboard(a.get()), S_FALSE);
  a = nullptr;
  EXPECT_EQ(Clipboard()->AsText(), u"promised text");
  TIntf<IDataObject> back = ClipboardObject();
  FORMATETC f = Fe(Private(), TYMED_ISTREAM);
  STGMEDIUM m;
  ASSERT_EQ(back->GetData(&f, &m), S_OK);
  EXPECT_EQ(MediumBytes(m), "private bytes");
  ReleaseStgMedium(&m);
}

// Serves "Lazy Tree Reference" without listing it, as a tree does.
class TWithReference : public TInterfacedObject, public virtual IDataObject {
  QN_CLASS(TWithReference, TInterfacedObject)
  QN_INTERFACES(IDataObject)
 public:
  TIntf<IDataObject> Inner = NewDataObject();
  bool NilHandle = false;
  bool Overfetch = false;
  HRESULT GetData(const FORMATETC* fe, STGMEDIUM* m) override {
    if (fe->cfFormat == Reference()) {
      *m = STGMEDIUM();
      m->tymed = TYMED_HGLOBAL;
      m->hGlobal = Block("12345678");
      return S_OK;
    }
    if (NilHandle) {
      *m = STGMEDIUM();
      m->tymed = TYMED_HGLOBAL;
      return S_OK;  // claims success with nothing in it
    }
    return Inner->GetData(fe, m);
  }
  HRESULT GetDataHere(const FORMATETC* fe, STGMEDIUM* m) override { return Inner->GetDataHere(fe, m); }
  HRESULT QueryGetData(const FORMATETC* fe) override {
    return fe->cfFormat == Reference() ? S_OK : Inner->QueryGetData(fe);
  }
  HRESULT GetCanonicalFormatEtc(const FORMATETC* a, FORMATETC* b) override { return Inner->GetCanonicalFormatEtc(a, b); }
  HRESULT SetData(const FORMATETC* fe, STGMEDIUM* m, BOOL r) override { return Inner->SetData(fe, m, r); }
  HRESULT EnumFormatEtc(DWORD dir, IEnumFORMATETC** pp) override {
    if (!Overfetch) return Inner->EnumFormatEtc(dir, pp);
    class TGreedy : public TInterfacedObject, public virtual IEnumFORMATETC {
      QN_CLASS(TGreedy, TInterfacedObject)
      QN_INTERFACES(IEnumFORMATETC)
     public:
      HRESULT Next(ULONG, FORMATETC* rg, ULONG* got) override {
        rg[0] = Fe(CF_UNICODETEXT);
        *got = 5;  // more than asked
        return S_OK;
      }
      HRESULT Skip(ULONG) override { return S_OK; }
      HRESULT Reset() override { return S_OK; }
      HRESULT Clone(IEnumFORMATETC**) override { return E_NOTIMPL; }
    };
    *pp = new TGreedy;
    (*pp)->_AddRef();
    return S_OK;
  }
  HRESULT DAdvise(const FORMATETC* fe, DWORD a, IAdviseSink* s, DWORD* c) override { return Inner->DAdvise(fe, a, s, c); }
  HRESULT DUnadvise(DWORD c) override { return Inner->DUnadvise(c); }
  HRESULT EnumDAdvise(IEnumSTATDATA** pp) override { return Inner->EnumDAdvise(pp); }
};

TEST_F(Platform_OleClipboard, AFormatServedButNotListedAnswersUntilTheFlush) {
  TIntf<TWithReference> obj(new TWithReference);
  SetBytes(obj->Inner.get(), Private(), "listed");
  ASSERT_EQ(OleSetClipboard(obj.get()), S_OK);
  EXPECT_FALSE(IsClipboardFormatAvailable(Reference()));
  TIntf<IDataObject> back = ClipboardObject();
  FORMATETC ref = Fe(Reference());
  EXPECT_EQ(back->QueryGetData(&ref), S_OK);
  STGMEDIUM m;
  ASSERT_EQ(back->GetData(&ref, &m), S_OK);
  EXPECT_EQ(MediumBytes(m), "12345678");
  ReleaseStgMedium(&m);
  ASSERT_EQ(OleFlushClipboard(), S_OK);
  EXPECT_EQ(back->QueryGetData(&ref), DV_E_FORMATETC);
  EXPECT_EQ(back->GetData(&ref, &m), DV_E_FORMATETC);
  FORMATETC listed = Fe(Private());
  ASSERT_EQ(back->GetData(&listed, &m), S_OK);
  EXPECT_EQ(MediumBytes(m), "listed");
  ReleaseStgMedium(&m);
}

TEST_F(Platform_OleClipboard, ObjectsThatLieAreNotBelieved) {
  TIntf<TWithReference> obj(new TWithReference);
  SetBytes(obj->Inner.get(), Private(), "listed");
  obj->NilHandle = true;
  ASSERT_EQ(OleSetClipboard(obj.get()), S_OK);
  TIntf<IDataObject> back = ClipboardObject();
  FORMATETC f = Fe(Private());
  STGMEDIUM m;
  EXPECT_EQ(back->GetData(&f, &m), DV_E_STGMEDIUM);
  EXPECT_EQ(m.tymed, TYMED_NULL);
  // The format that does not render is left out of the flush.
  ASSERT_EQ(OleFlushClipboard(), S_OK);
  EXPECT_FALSE(IsClipboardFormatAvailable(Private()));
  // An enumerator that fetches more than asked is refused and changes nothing.
  TIntf<IDataObject> a = TextObject(u"kept");
  ASSERT_EQ(OleSetClipboard(a.get()), S_OK);
  TIntf<TWithReference> greedy(new TWithReference);
  greedy->Overfetch = true;
  EXPECT_EQ(OleSetClipboard(greedy.get()), E_UNEXPECTED);
  EXPECT_EQ(OleIsCurrentClipboard(a.get()), S_OK);
  EXPECT_EQ(Refs(greedy.get()), 1);
}

TEST_F(Platform_OleClipboard, ABusyClipboardRefusesAndKeepsWhatItHas) {
  TIntf<IDataObject> a = TextObject(u"A"), b = TextObject(u"B");
  ASSERT_EQ(OleSetClipboard(a.get()), S_OK);
  DWORD seq = GetClipboardSequenceNumber();
  HWND other = Window();
  ASSERT_TRUE(OpenClipboard(other));
  EXPECT_EQ(OleSetClipboard(b.get()), CLIPBRD_E_CANT_OPEN);
  EXPECT_EQ(OleFlushClipboard(), CLIPBRD_E_CANT_OPEN);
  TIntf<IDataObject> back = ClipboardObject();
  CloseClipboard();
  EXPECT_EQ(GetClipboardSequenceNumber(), seq);
  EXPECT_EQ(OleIsCurrentClipboard(a.get()), S_OK);
  EXPECT_EQ(Refs(b.get()), 1);
  // While it is held elsewhere the classic formats cannot be read.
  ASSERT_EQ(OleSetClipboard(nullptr), S_OK);
  HWND h = Window();
  ASSERT_TRUE(OpenClipboard(h));
  EmptyClipboard();
  SetClipboardData(Private(), Block("x"));
  FORMATETC f = Fe(Private());
  STGMEDIUM m;
  EXPECT_EQ(back->GetData(&f, &m), CLIPBRD_E_CANT_OPEN);
  CloseClipboard();
}

TEST_F(Platform_OleClipboard, TheThreadsLastUninitializeFlushesAndReleasesOnce) {
  TIntf<IDataObject> a = TextObject(u"left behind");
  ASSERT_EQ(OleInitialize(nullptr), S_FALSE);
  ASSERT_EQ(OleSetClipboard(a.get()), S_OK);
  OleUninitialize();
  EXPECT_EQ(Refs(a.get()), 2);  // still initialised once
  OleUninitialize();
  EXPECT_EQ(Refs(a.get()), 1);
  EXPECT_EQ(Clipboard()->AsText(), u"left behind");
  ASSERT_EQ(OleInitialize(nullptr), S_OK);
  EXPECT_EQ(OleIsCurrentClipboard(a.get()), S_FALSE);
}

// The classic layer: a promise by a window of another thread is rendered by
// that thread when this one asks, and rendered in full before it goes.
TEST_F(Platform_OleClipboard, DelayedRenderingAcrossThreads) {
  std::mutex lock;
  std::condition_variable cv;
  HWND owner = nullptr;
  int renders = 0;
  std::thread t([&] {
    HWND h = usertest::MakeTop(0, 0, 10, 10, WS_POPUP);
    usertest::SetHandler(h, [&](HWND w, UINT msg, WPARAM wp, LPARAM, bool& handled) -> LRESULT {
      if (msg == WM_RENDERFORMAT) {
        ++renders;
        SetClipboardData(UINT(wp), Block("rendered by the owner"));
      } else if (msg == WM_RENDERALLFORMATS) {
        if (OpenClipboard(w)) {
          SetClipboardData(CF_TEXT, Block(std::string("all\0", 4)));
          CloseClipboard();
        }
      } else {
        handled = false;
      }
      return 0;
    });
    OpenClipboard(h);
    EmptyClipboard();
    EXPECT_EQ(SetClipboardData(Private(), nullptr), nullptr);
    EXPECT_EQ(GetLastError(), 0u);
    SetClipboardData(CF_TEXT, nullptr);
    CloseClipboard();
    {
      std::lock_guard<std::mutex> lk(lock);
      owner = h;
    }
    cv.notify_all();
    MSG m;
    while (GetMessageW(&m, nullptr, 0, 0)) DispatchMessageW(&m);
    DestroyWindow(h);
  });
  {
    std::unique_lock<std::mutex> lk(lock);
    cv.wait(lk, [&] { return owner != nullptr; });
  }
  HWND me = Window();
  ASSERT_TRUE(OpenClipboard(me));
  HANDLE got = GetClipboardData(Private());
  ASSERT_NE(got, nullptr);
  EXPECT_EQ(BlockBytes(got), "rendered by the owner");
  EXPECT_EQ(GetClipboardData(Private()), got);  // rendered once
  EXPECT_EQ(renders, 1);
  // A promise cannot be made by a window that does not own the clipboard.
  SetLastError(0);
  EXPECT_EQ(SetClipboardData(CF_DIB, nullptr), nullptr);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
  CloseClipboard();
  PostThreadMessageW(GetWindowThreadProcessId(owner, nullptr), WM_QUIT, 0, 0);
  t.join();
  ASSERT_TRUE(OpenClipboard(me));
  HANDLE text = GetClipboardData(CF_TEXT);
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(std::string(static_cast<const char*>(GlobalLock(text))), "all");
  GlobalUnlock(text);
  CloseClipboard();
}

TEST_F(Platform_OleClipboard, BitmapsGoAsBitmapCopies) {
  uint32_t pixels[4 * 3];
  for (int i = 0; i < 12; ++i) pixels[i] = 0xFF000000u | uint32_t(i * 0x101010);
  TIntf<IDataObject> obj = NewDataObject();
  FORMATETC f = Fe(CF_BITMAP, TYMED_GDI);
  STGMEDIUM m;
  m.tymed = TYMED_GDI;
  m.hBitmap = CreateBitmap(4, 3, 1, 32, pixels);
  ASSERT_EQ(obj->SetData(&f, &m, TRUE), S_OK);
  ASSERT_EQ(OleSetClipboard(obj.get()), S_OK);
  auto probe = [](HBITMAP b) {
    BITMAPINFO bmi{};
    bmi.bmiHeader.biWidth = 4;
    bmi.bmiHeader.biHeight = -3;
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 32;
    uint32_t out[12] = {};
    HDC dc = CreateCompatibleDC(nullptr);
    int lines = GetDIBits(dc, b, 0, 3, out, &bmi, DIB_RGB_COLORS);
    DeleteDC(dc);
    return lines == 3 ? out[2 * 4 + 3] & 0xFFFFFF : 0xBADu;
  };
  HWND h = Window();
  ASSERT_TRUE(OpenClipboard(h));
  HANDLE rendered = GetClipboardData(CF_BITMAP);
  ASSERT_NE(rendered, nullptr);
  EXPECT_NE(rendered, static_cast<HANDLE>(m.hBitmap));  // a copy, the object keeps its own
  EXPECT_EQ(probe(static_cast<HBITMAP>(rendered)), 11u * 0x101010u);
  CloseClipboard();
  ASSERT_EQ(OleFlushClipboard(), S_OK);
  TIntf<IDataObject> back = ClipboardObject();
  STGMEDIUM got;
  ASSERT_EQ(back->GetData(&f, &got), S_OK);
  ASSERT_EQ(got.tymed, TYMED_GDI);
  EXPECT_EQ(probe(got.hBitmap), 11u * 0x101010u);
  ReleaseStgMedium(&got);
  FORMATETC asBlock = Fe(CF_BITMAP, TYMED_HGLOBAL);
  EXPECT_EQ(back->QueryGetData(&asBlock), DV_E_TYMED);
}

// The object of another thread: read directly through OleGetClipboard,
// rendered by that thread's clipboard window when read the classic way, and
// flushed when that thread ends its OLE.
TEST_F(Platform_OleClipboard, AnotherThreadsObject) {
  std::mutex lock;
  std::condition_variable cv;
  DWORD thread = 0;
  TIntf<IDataObject> obj = TextObject(u"from the other thread");
  std::thread t([&] {
    EXPECT_EQ(OleInitialize(nullptr), S_OK);
    EXPECT_EQ(OleSetClipboard(obj.get()), S_OK);
    {
      std::lock_guard<std::mutex> lk(lock);
      thread = GetCurrentThreadId();
    }
    cv.notify_all();
    MSG m;
    while (GetMessageW(&m, nullptr, 0, 0) > 0) DispatchMessageW(&m);
    OleUninitialize();
  });
  {
    std::unique_lock<std::mutex> lk(lock);
    cv.wait(lk, [&] { return thread != 0; });
  }
  TIntf<IDataObject> back = ClipboardObject();
  FORMATETC f = Fe(Private());
  STGMEDIUM m;
  ASSERT_EQ(back->GetData(&f, &m), S_OK);
  EXPECT_EQ(MediumBytes(m), "private bytes");
  ReleaseStgMedium(&m);
  EXPECT_EQ(OleIsCurrentClipboard(obj.get()), S_OK);
  HWND h = Window();
  ASSERT_TRUE(OpenClipboard(h));
  HANDLE block = GetClipboardData(Private());
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(BlockBytes(block), "private bytes");
  CloseClipboard();
  PostThreadMessageW(thread, WM_QUIT, 0, 0);
  t.join();
  EXPECT_EQ(Refs(obj.get()), 1);
  EXPECT_EQ(OleIsCurrentClipboard(obj.get()), S_FALSE);
  EXPECT_EQ(Clipboard()->AsText(), u"from the other thread");
}

}  // namespace

}  // namespace t_ole_clipboard_test
