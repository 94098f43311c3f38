// What every data object must do, checked against any factory: the
// standard one, the clipboard's, the tree's. A factory makes a fresh object
// that offers at least two formats; the claims say which of the optional
// parts it has.
//
//   CheckDataObjectConformance([] { return MakeMyObject(); }, {.SetData = false});
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "platform/ole/ActiveX.h"

namespace conformance {

using namespace vcl;

struct TDataObjectClaims {
  // SetData keeps what it is given (both ways of ownership).
  bool SetData = true;
  // DAdvise, DUnadvise and EnumDAdvise work (else OLE_E_ADVISENOTSUPPORTED).
  bool Advise = true;
  // Every global block the object made is gone once its last reference is
  // (not so for objects that read a clipboard, which keeps what it makes).
  bool FreesBlocks = true;
};

using TDataObjectFactory = std::function<TIntf<IDataObject>()>;

namespace detail {

inline std::vector<FORMATETC> EnumerateOneByOne(IEnumFORMATETC* e) {
  std::vector<FORMATETC> v;
  for (int guard = 0; guard < 10000; ++guard) {
    FORMATETC f;
    ULONG got = 7;
    HRESULT hr = e->Next(1, &f, &got);
    EXPECT_LE(got, 1u);
    if (hr != S_OK) {
      EXPECT_EQ(hr, S_FALSE);
      EXPECT_EQ(got, 0u);
      break;
    }
    v.push_back(f);
  }
  return v;
}

inline bool SameFormat(const FORMATETC& a, const FORMATETC& b) {
  return a.cfFormat == b.cfFormat && a.ptd == b.ptd && a.dwAspect == b.dwAspect && a.lindex == b.lindex &&
         a.tymed == b.tymed;
}

// A medium full of garbage: a failing call must zero it.
inline STGMEDIUM Garbage() {
  STGMEDIUM m;
  m.tymed = 0x5A5A;
  m.hGlobal = reinterpret_cast<HGLOBAL>(uintptr_t(0xDEAD0));
  m.pUnkForRelease = reinterpret_cast<IUnknown*>(uintptr_t(0xBEEF0));
  return m;
}

inline bool Zeroed(const STGMEDIUM& m) { return m.tymed == TYMED_NULL && !m.hGlobal && !m.pUnkForRelease; }

inline bool Valid(const STGMEDIUM& m, DWORD asked) {
  return m.tymed != TYMED_NULL && !(m.tymed & (m.tymed - 1)) && (m.tymed & asked) && m.hGlobal;
}

inline HGLOBAL MakeBlock(const std::string& s) {
  HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, s.size());
  std::memcpy(GlobalLock(h), s.data(), s.size());
  GlobalUnlock(h);
  return h;
}

inline std::string ReadBlock(HGLOBAL h) {
  const char* p = static_cast<const char*>(GlobalLock(h));
  std::string s(p, GlobalSize(h));
  GlobalUnlock(h);
  return s;
}

// Owns a block it frees when it goes, as a pUnkForRelease does.
class TCountedUnknown : public TInterfacedObject {
 public:
  TCountedUnknown(int* freed, HGLOBAL owned) : FFreed(freed), FOwned(owned) {}
  ~TCountedUnknown() override {
    ++*FFreed;
    GlobalFree(FOwned);
  }

 private:
  int* FFreed;
  HGLOBAL FOwned;
};

class TCountingSink : public TInterfacedObject, public virtual IAdviseSink {
  QN_CLASS(TCountingSink, TInterfacedObject)
  QN_INTERFACES(IAdviseSink)
 public:
  int Changes = 0;
  void OnDataChange(const FORMATETC*, STGMEDIUM*) override { ++Changes; }
  void OnViewChange(DWORD, LONG) override {}
  void OnRename(IMoniker*) override {}
  void OnSave() override {}
  void OnClose() override {}
};

}  // namespace detail

inline void CheckDataObjectConformance(const TDataObjectFactory& make, const TDataObjectClaims& claims) {
  using namespace detail;
  const size_t blocksBefore = GlobalBlockCount();
  TIntf<IDataObject> obj = make();
  ASSERT_TRUE(obj);

  // The enumeration, one at a time and in batches of every size.
  IEnumFORMATETC* raw = nullptr;
  ASSERT_EQ(obj->EnumFormatEtc(DATADIR_GET, &raw), S_OK);
  TIntf<IEnumFORMATETC> e;
  e.Attach(raw);
  std::vector<FORMATETC> all = EnumerateOneByOne(e.get());
  ASSERT_GE(all.size(), 2u) << "the factory must offer two formats at least";
  for (ULONG batch = 2; batch <= all.size() + 2; ++batch) {
    ASSERT_EQ(e->Reset(), S_OK);
    std::vector<FORMATETC> seen;
    for (;;) {
      std::vector<FORMATETC> buf(batch);
      ULONG got = 0;
      HRESULT hr = e->Next(batch, buf.data(), &got);
      ASSERT_LE(got, batch);
      EXPECT_EQ(hr, got == batch ? S_OK : S_FALSE);
      seen.insert(seen.end(), buf.begin(), buf.begin() + got);
      if (hr != S_OK) break;
    }
    ASSERT_EQ(seen.size(), all.size()) << "batch " << batch;
    for (size_t i = 0; i < all.size(); ++i) EXPECT_TRUE(SameFormat(seen[i], all[i])) << "batch " << batch << " at " << i;
  }
  // Skip, Reset and Clone keep their own places.
  ASSERT_EQ(e->Reset(), S_OK);
  EXPECT_EQ(e->Skip(1), S_OK);
  IEnumFORMATETC* rawClone = nullptr;
  ASSERT_EQ(e->Clone(&rawClone), S_OK);
  TIntf<IEnumFORMATETC> clone;
  clone.Attach(rawClone);
  FORMATETC f1, f2;
  ASSERT_EQ(e->Next(1, &f1, nullptr), S_OK);
  EXPECT_TRUE(SameFormat(f1, all[1]));
  ASSERT_EQ(clone->Next(1, &f2, nullptr), S_OK);
  EXPECT_TRUE(SameFormat(f2, all[1]));
  EXPECT_EQ(e->Skip(ULONG(all.size())), S_FALSE);
  ULONG got = 9;
  EXPECT_EQ(e->Next(1, &f1, &got), S_FALSE);
  EXPECT_EQ(got, 0u);
  EXPECT_EQ(clone->Reset(), S_OK);
  ASSERT_EQ(clone->Next(1, &f2, nullptr), S_OK);
  EXPECT_TRUE(SameFormat(f2, all[0]));
  IEnumFORMATETC* setEnum = nullptr;
  EXPECT_EQ(obj->EnumFormatEtc(DATADIR_SET, &setEnum), E_NOTIMPL);
  EXPECT_EQ(setEnum, nullptr);

  // Every enumerated format is there, in a medium that holds something.
  // Handing a medium out and releasing it leaves no block behind (the
  // second round counts: a first may make what the object keeps).
  for (const FORMATETC& f : all) {
    EXPECT_EQ(obj->QueryGetData(&f), S_OK) << "format " << f.cfFormat;
    size_t blocks = 0;
    for (int round = 0; round < 2; ++round) {
      STGMEDIUM m = Garbage();
      ASSERT_EQ(obj->GetData(&f, &m), S_OK) << "format " << f.cfFormat;
      EXPECT_TRUE(Valid(m, f.tymed)) << "format " << f.cfFormat;
      ReleaseStgMedium(&m);
      EXPECT_TRUE(Zeroed(m));
      if (round == 0) blocks = GlobalBlockCount();
      else EXPECT_EQ(GlobalBlockCount(), blocks) << "format " << f.cfFormat;
    }
  }

  // What is asked wrong fails with the code of what is wrong, and a zeroed medium.
  const FORMATETC& first = all[0];
  auto refused = [&](FORMATETC f, HRESULT want, const char* what) {
    EXPECT_EQ(obj->QueryGetData(&f), want) << what;
    STGMEDIUM m = Garbage();
    EXPECT_EQ(obj->GetData(&f, &m), want) << what;
    EXPECT_TRUE(Zeroed(m)) << what;
  };
  {
    FORMATETC f = first;
    f.cfFormat = CLIPFORMAT(RegisterClipboardFormatW(u"Conformance: a format nobody offers"));
    refused(f, DV_E_FORMATETC, "format");
  }
  {
    DWORD offered = 0;
    for (auto& f : all)
      if (f.cfFormat == first.cfFormat) offered |= f.tymed;
    DWORD other = 0;
    for (DWORD t : {TYMED_ENHMF, TYMED_MFPICT, TYMED_ISTORAGE, TYMED_FILE, TYMED_GDI})
      if (!(offered & t)) {
        other = t;
        break;
      }
    FORMATETC f = first;
    f.tymed = other;
    refused(f, DV_E_TYMED, "tymed");
  }
  {
    FORMATETC f = first;
    f.dwAspect = DVASPECT_ICON;
    refused(f, DV_E_DVASPECT, "aspect");
  }
  {
    FORMATETC f = first;
    f.lindex = 3;
    refused(f, DV_E_LINDEX, "lindex");
  }
  {
    DVTARGETDEVICE device;
    FORMATETC f = first;
    f.ptd = &device;
    EXPECT_EQ(obj->QueryGetData(&f), DV_E_FORMATETC) << "target device";
  }
  {
    FORMATETC out;
    EXPECT_TRUE(Succeeded(obj->GetCanonicalFormatEtc(&first, &out)));
    EXPECT_EQ(out.ptd, nullptr);
  }

  // Ownership of what SetData is given, both ways; each block freed once.
  const CLIPFORMAT mine = CLIPFORMAT(RegisterClipboardFormatW(u"Conformance: set data"));
  {
    FORMATETC f;
    f.cfFormat = mine;
    f.tymed = TYMED_HGLOBAL;
    const size_t n0 = GlobalBlockCount();
    STGMEDIUM given;
    given.tymed = TYMED_HGLOBAL;
    given.hGlobal = MakeBlock("taken over");
    HRESULT hr = obj->SetData(&f, &given, TRUE);
    if (claims.SetData) {
      ASSERT_EQ(hr, S_OK);
      STGMEDIUM back;
      ASSERT_EQ(obj->GetData(&f, &back), S_OK);
      EXPECT_EQ(ReadBlock(back.hGlobal), "taken over");
      ReleaseStgMedium(&back);
      // A copy: the caller's block stays the caller's.
      HGLOBAL kept = MakeBlock("copied");
      STGMEDIUM lent;
      lent.tymed = TYMED_HGLOBAL;
      lent.hGlobal = kept;
      ASSERT_EQ(obj->SetData(&f, &lent, FALSE), S_OK);
      EXPECT_EQ(ReadBlock(kept), "copied");
      ASSERT_EQ(obj->GetData(&f, &back), S_OK);
      EXPECT_EQ(ReadBlock(back.hGlobal), "copied");
      ReleaseStgMedium(&back);
      EXPECT_EQ(GlobalFree(kept), nullptr);
      // The replaced block went; the copy is the only one left.
      EXPECT_EQ(GlobalBlockCount(), n0 + 1);
    } else {
      EXPECT_TRUE(Failed(hr));
      STGMEDIUM back;
      ReleaseStgMedium(&given);
      EXPECT_EQ(GlobalBlockCount(), n0);
      EXPECT_TRUE(Failed(obj->GetData(&f, &back)));
    }
  }

  // Advise connections.
  {
    TIntf<TCountingSink> sink(new TCountingSink);
    DWORD conn = 0;
    HRESULT hr = obj->DAdvise(&first, 0, sink.get(), &conn);
    if (claims.Advise) {
      ASSERT_EQ(hr, S_OK);
      EXPECT_NE(conn, 0u);
      EXPECT_GT(sink->RefCount(), 1);
      if (claims.SetData) {
        FORMATETC f = first;
        f.tymed = TYMED_HGLOBAL;
        STGMEDIUM m;
        m.tymed = TYMED_HGLOBAL;
        m.hGlobal = MakeBlock("news");
        f.cfFormat = mine;
        ASSERT_EQ(obj->SetData(&f, &m, TRUE), S_OK);
        EXPECT_EQ(sink->Changes, 1);
      }
      IEnumSTATDATA* rawStat = nullptr;
      ASSERT_EQ(obj->EnumDAdvise(&rawStat), S_OK);
      TIntf<IEnumSTATDATA> stats;
      stats.Attach(rawStat);
      STATDATA sd;
      ASSERT_EQ(stats->Next(1, &sd, nullptr), S_OK);
      EXPECT_EQ(sd.dwConnection, conn);
      EXPECT_EQ(sd.pAdvSink, static_cast<IAdviseSink*>(sink.get()));
      sd.pAdvSink->_Release();
      stats = nullptr;
      EXPECT_EQ(obj->DUnadvise(conn), S_OK);
      EXPECT_EQ(obj->DUnadvise(conn), OLE_E_NOCONNECTION);
      EXPECT_EQ(sink->RefCount(), 1);
    } else {
      EXPECT_EQ(hr, OLE_E_ADVISENOTSUPPORTED);
      EXPECT_EQ(sink->RefCount(), 1);
    }
  }

  // The last reference frees what the object holds.
  int unknownsFreed = 0;
  if (claims.SetData) {
    FORMATETC f;
    f.cfFormat = CLIPFORMAT(RegisterClipboardFormatW(u"Conformance: released with the object"));
    f.tymed = TYMED_HGLOBAL;
    STGMEDIUM m;
    m.tymed = TYMED_HGLOBAL;
    m.hGlobal = MakeBlock("owned by the unknown");
    TIntf<IUnknown> owner(new TCountedUnknown(&unknownsFreed, m.hGlobal));
    m.pUnkForRelease = owner.get();
    m.pUnkForRelease->_AddRef();
    ASSERT_EQ(obj->SetData(&f, &m, TRUE), S_OK);
    owner = nullptr;
    EXPECT_EQ(unknownsFreed, 0);
    STGMEDIUM back;
    ASSERT_EQ(obj->GetData(&f, &back), S_OK);
    EXPECT_EQ(ReadBlock(back.hGlobal), "owned by the unknown");
    ReleaseStgMedium(&back);
  }
  e = nullptr;
  clone = nullptr;
  obj = nullptr;
  if (claims.SetData) {
    EXPECT_EQ(unknownsFreed, 1);
  }
  if (claims.FreesBlocks) {
    EXPECT_EQ(GlobalBlockCount(), blocksBefore);
  }
}

}  // namespace conformance
