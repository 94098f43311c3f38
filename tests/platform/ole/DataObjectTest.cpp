// The standard data object, the format enumerator and the advise holder.
#include <random>

#include "tests/common/DataObjectConformance.h"
#include "tests/platform/ole/OleTestSupport.h"

namespace t_data_object_test {

using namespace vcl;
using namespace oletest;

namespace {

CLIPFORMAT DataFormat() { return CLIPFORMAT(RegisterClipboardFormatW(u"Ole test data")); }
CLIPFORMAT StreamFormat() { return CLIPFORMAT(RegisterClipboardFormatW(u"Ole test stream")); }

TIntf<IStream> StreamOf(const std::string& bytes) {
  IStream* s = nullptr;
  EXPECT_EQ(CreateStreamOnHGlobal(Block(bytes), TRUE, &s), S_OK);
  TIntf<IStream> r;
  r.Attach(s);
  return r;
}

TIntf<IDataObject> StandardWithTwoFormats() {
  TIntf<IDataObject> obj = NewDataObject();
  SetBytes(obj.get(), DataFormat(), "block data");
  FORMATETC f = Fe(StreamFormat(), TYMED_ISTREAM);
  STGMEDIUM m;
  m.tymed = TYMED_ISTREAM;
  m.pstm = StreamOf("stream data").Detach();
  EXPECT_EQ(obj->SetData(&f, &m, TRUE), S_OK);
  return obj;
}

TEST(Platform_DataObject, StandardObjectConforms) {
  conformance::CheckDataObjectConformance(StandardWithTwoFormats, {});
}

TEST(Platform_DataObject, StreamsGoOutAsClonesAtTheStart) {
  TIntf<IDataObject> obj = NewDataObject();
  TIntf<IStream> mine = StreamOf("0123456789");
  ASSERT_EQ(mine->Seek(0, STREAM_SEEK_END, nullptr), S_OK);
  FORMATETC f = Fe(StreamFormat(), TYMED_ISTREAM | TYMED_HGLOBAL);
  STGMEDIUM m;
  m.tymed = TYMED_ISTREAM;
  m.pstm = mine.get();
  ASSERT_EQ(obj->SetData(&f, &m, FALSE), S_OK);
  EXPECT_EQ(m.pstm, mine.get());  // not taken: the caller keeps its reference
  IStream* counted = mine.get();
  counted->_AddRef();
  EXPECT_EQ(counted->_Release(), 2);  // ours and the object's
  STGMEDIUM a, b;
  ASSERT_EQ(obj->GetData(&f, &a), S_OK);
  ASSERT_EQ(obj->GetData(&f, &b), S_OK);
  ASSERT_EQ(a.tymed, TYMED_ISTREAM);
  char c4[4];
  ASSERT_EQ(a.pstm->Read(c4, 4, nullptr), S_OK);
  EXPECT_EQ(std::string(c4, 4), "0123");
  EXPECT_EQ(StreamBytes(b.pstm), "0123456789");  // its own position
  ReleaseStgMedium(&a);
  ReleaseStgMedium(&b);
  ULARGE_INTEGER at = 0;
  ASSERT_EQ(mine->Seek(0, STREAM_SEEK_CUR, &at), S_OK);
  EXPECT_EQ(at, 10u);  // the stored stream's position is not disturbed
  // Asked only for a block, a stream-held format is refused, not converted.
  FORMATETC onlyBlock = Fe(StreamFormat(), TYMED_HGLOBAL);
  EXPECT_EQ(obj->QueryGetData(&onlyBlock), DV_E_TYMED);
  obj = nullptr;
  counted->_AddRef();
  EXPECT_EQ(counted->_Release(), 1);
}

TEST(Platform_DataObject, SetDataReplacesTheSameFormatAndAspectInPlace) {
  TIntf<IDataObject> obj = NewDataObject();
  SetBytes(obj.get(), DataFormat(), "first");
  SetBytes(obj.get(), StreamFormat(), "second");
  const size_t n = GlobalBlockCount();
  SetBytes(obj.get(), DataFormat(), "replaced");
  EXPECT_EQ(GlobalBlockCount(), n);  // the old block went
  IEnumFORMATETC* raw = nullptr;
  ASSERT_EQ(obj->EnumFormatEtc(DATADIR_GET, &raw), S_OK);
  TIntf<IEnumFORMATETC> e;
  e.Attach(raw);
  FORMATETC got[3];
  ULONG count = 0;
  EXPECT_EQ(e->Next(3, got, &count), S_FALSE);
  ASSERT_EQ(count, 2u);
  EXPECT_EQ(got[0].cfFormat, DataFormat());
  EXPECT_EQ(got[1].cfFormat, StreamFormat());
  FORMATETC f = Fe(DataFormat());
  STGMEDIUM m;
  ASSERT_EQ(obj->GetData(&f, &m), S_OK);
  EXPECT_EQ(BlockBytes(m.hGlobal), "replaced");
  ReleaseStgMedium(&m);
  // Media that hold nothing are refused and leave the object as it was.
  STGMEDIUM empty;
  empty.tymed = TYMED_HGLOBAL;
  EXPECT_EQ(obj->SetData(&f, &empty, TRUE), DV_E_STGMEDIUM);
  empty.tymed = TYMED_NULL;
  EXPECT_EQ(obj->SetData(&f, &empty, TRUE), DV_E_TYMED);
  ASSERT_EQ(obj->GetData(&f, &m), S_OK);
  EXPECT_EQ(BlockBytes(m.hGlobal), "replaced");
  ReleaseStgMedium(&m);
}

TEST(Platform_DataObject, GetDataHereFillsTheCallersMedium) {
  TIntf<IDataObject> obj = NewDataObject();
  SetBytes(obj.get(), DataFormat(), "twelve bytes");
  FORMATETC f = Fe(DataFormat());
  STGMEDIUM small;
  small.tymed = TYMED_HGLOBAL;
  small.hGlobal = Block("short");
  EXPECT_EQ(obj->GetDataHere(&f, &small), STG_E_MEDIUMFULL);
  EXPECT_EQ(BlockBytes(small.hGlobal), "short");
  ReleaseStgMedium(&small);
  STGMEDIUM big;
  big.tymed = TYMED_HGLOBAL;
  big.hGlobal = Block(std::string(16, '.'));
  ASSERT_EQ(obj->GetDataHere(&f, &big), S_OK);
  EXPECT_EQ(BlockBytes(big.hGlobal), "twelve bytes....");
  ReleaseStgMedium(&big);
  void* p = nullptr;
  int folder = 0;
  EXPECT_EQ(SHCreateDataObject(&folder, 0, nullptr, nullptr, IDataObject::IID, &p), E_INVALIDARG);
  EXPECT_EQ(p, nullptr);
}

// Next, Skip, Reset and Clone in random order against an index into the list.
TEST(Platform_DataObject, FormatEnumeratorMatchesAnIndexModel) {
  std::mt19937 rng(99);
  for (int round = 0; round < 30; ++round) {
    std::vector<FORMATETC> list(rng() % 7);
    for (size_t i = 0; i < list.size(); ++i) list[i] = Fe(CLIPFORMAT(100 + i), TYMED_HGLOBAL << (i % 3));
    IEnumFORMATETC* raw = nullptr;
    ASSERT_EQ(SHCreateStdEnumFmtEtc(UINT(list.size()), list.data(), &raw), S_OK);
    std::vector<std::pair<TIntf<IEnumFORMATETC>, size_t>> es;
    es.emplace_back(TIntf<IEnumFORMATETC>(), 0);
    es[0].first.Attach(raw);
    for (int step = 0; step < 60; ++step) {
      auto& [e, at] = es[rng() % es.size()];
      switch (rng() % 4) {
        case 0: {
          ULONG celt = rng() % 5;
          FORMATETC buf[6];
          buf[celt].cfFormat = 0xEEEE;
          ULONG got = 77;
          HRESULT hr = e->Next(celt, buf, &got);
          ULONG want = ULONG(std::min<size_t>(celt, list.size() - at));
          ASSERT_EQ(got, want);
          EXPECT_EQ(hr, want == celt ? S_OK : S_FALSE);
          for (ULONG k = 0; k < got; ++k) EXPECT_EQ(buf[k].cfFormat, list[at + k].cfFormat);
          EXPECT_EQ(buf[celt].cfFormat, 0xEEEE);
          at += got;
          break;
        }
        case 1: {
          ULONG n = rng() % 4;
          size_t can = std::min<size_t>(n, list.size() - at);
          EXPECT_EQ(e->Skip(n), can == n ? S_OK : S_FALSE);
          at += can;
          break;
        }
        case 2:
          EXPECT_EQ(e->Reset(), S_OK);
          at = 0;
          break;
        case 3:
          if (es.size() < 4) {
            IEnumFORMATETC* c = nullptr;
            ASSERT_EQ(e->Clone(&c), S_OK);
            TIntf<IEnumFORMATETC> ci;
            ci.Attach(c);
            size_t where = at;
            es.emplace_back(std::move(ci), where);
          }
          break;
      }
    }
  }
  // Several records need a count to come back in.
  FORMATETC one = Fe(CF_TEXT);
  IEnumFORMATETC* raw = nullptr;
  ASSERT_EQ(SHCreateStdEnumFmtEtc(1, &one, &raw), S_OK);
  FORMATETC two[2];
  EXPECT_EQ(raw->Next(2, two, nullptr), E_INVALIDARG);
  raw->_Release();
}

TEST(Platform_DataObject, AdviseHolderTellsItsSinks) {
  IDataAdviseHolder* raw = nullptr;
  ASSERT_EQ(CreateDataAdviseHolder(&raw), S_OK);
  TIntf<IDataAdviseHolder> holder;
  holder.Attach(raw);
  TIntf<IDataObject> obj = NewDataObject();
  SetBytes(obj.get(), DataFormat(), "v1");
  TIntf<TSink> plain(new TSink), primed(new TSink), noData(new TSink), once(new TSink);
  FORMATETC f = Fe(DataFormat());
  DWORD c1 = 0, c2 = 0, c3 = 0, c4 = 0;
  ASSERT_EQ(holder->Advise(obj.get(), &f, 0, plain.get(), &c1), S_OK);
  ASSERT_EQ(holder->Advise(obj.get(), &f, ADVF_PRIMEFIRST, primed.get(), &c2), S_OK);
  ASSERT_EQ(holder->Advise(obj.get(), &f, ADVF_NODATA, noData.get(), &c3), S_OK);
  ASSERT_EQ(holder->Advise(obj.get(), &f, ADVF_ONLYONCE, once.get(), &c4), S_OK);
  EXPECT_EQ((std::vector<DWORD>{c1, c2, c3, c4}), (std::vector<DWORD>{1, 2, 3, 4}));
  ASSERT_EQ(primed->Calls.size(), 1u);  // told at once
  EXPECT_EQ(primed->Calls[0].Bytes, "v1");
  EXPECT_TRUE(plain->Calls.empty());
  SetBytes(obj.get(), DataFormat(), "v2");
  ASSERT_EQ(holder->SendOnDataChange(obj.get(), 0, 0), S_OK);
  ASSERT_EQ(plain->Calls.size(), 1u);
  EXPECT_EQ(plain->Calls[0].Bytes, "v2");
  ASSERT_EQ(noData->Calls.size(), 1u);
  EXPECT_EQ(noData->Calls[0].Tymed, TYMED_NULL);
  ASSERT_EQ(once->Calls.size(), 1u);
  ASSERT_EQ(holder->SendOnDataChange(obj.get(), 0, 0), S_OK);
  EXPECT_EQ(plain->Calls.size(), 2u);
  EXPECT_EQ(once->Calls.size(), 1u);  // that connection ended
  EXPECT_EQ(once->RefCount(), 1);
  EXPECT_EQ(holder->Unadvise(c4), OLE_E_NOCONNECTION);
  EXPECT_EQ(holder->Unadvise(c1), S_OK);
  EXPECT_EQ(holder->Unadvise(c1), OLE_E_NOCONNECTION);
  IEnumSTATDATA* rawStats = nullptr;
  ASSERT_EQ(holder->EnumAdvise(&rawStats), S_OK);
  STATDATA sd[4];
  ULONG got = 0;
  EXPECT_EQ(rawStats->Next(4, sd, &got), S_FALSE);
  ASSERT_EQ(got, 2u);
  EXPECT_EQ(sd[0].dwConnection, c2);
  EXPECT_EQ(sd[1].dwConnection, c3);
  for (ULONG i = 0; i < got; ++i) sd[i].pAdvSink->_Release();
  rawStats->_Release();
  holder = nullptr;
  EXPECT_EQ(primed->RefCount(), 1);
  EXPECT_EQ(noData->RefCount(), 1);
}

TEST(Platform_DataObject, ASinkMayUnadviseWhileItIsTold) {
  TIntf<IDataObject> obj = NewDataObject();
  SetBytes(obj.get(), DataFormat(), "v1");
  class TQuitter : public TSink {
   public:
    IDataObject* Obj = nullptr;
    DWORD Conn = 0;
    void OnDataChange(const FORMATETC* fe, STGMEDIUM* m) override {
      TSink::OnDataChange(fe, m);
      Obj->DUnadvise(Conn);
    }
  };
  TIntf<TQuitter> q(new TQuitter);
  TIntf<TSink> other(new TSink);
  q->Obj = obj.get();
  FORMATETC f = Fe(DataFormat());
  DWORD c = 0;
  ASSERT_EQ(obj->DAdvise(&f, 0, q.get(), &q->Conn), S_OK);
  ASSERT_EQ(obj->DAdvise(&f, 0, other.get(), &c), S_OK);
  SetBytes(obj.get(), DataFormat(), "v2");
  SetBytes(obj.get(), DataFormat(), "v3");
  EXPECT_EQ(q->Calls.size(), 1u);
  EXPECT_EQ(other->Calls.size(), 2u);
  EXPECT_EQ(q->RefCount(), 1);
}

}  // namespace

}  // namespace t_data_object_test
