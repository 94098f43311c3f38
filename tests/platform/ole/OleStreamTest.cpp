// Streams on global memory against a byte vector, their clones and blocks,
// the adapter's new members, and TOleStream over streams that misbehave.
#include <random>

#include "platform/ole/AxCtrls.h"
#include "tests/platform/ole/OleTestSupport.h"

namespace t_ole_stream_test {

using namespace vcl;
using namespace oletest;

namespace {

TIntf<IStream> NewStream(HGLOBAL h = nullptr, BOOL deleteOnRelease = TRUE) {
  IStream* s = nullptr;
  EXPECT_EQ(CreateStreamOnHGlobal(h, deleteOnRelease, &s), S_OK);
  TIntf<IStream> r;
  r.Attach(s);
  return r;
}

TIntf<IStream> CloneOf(IStream* s) {
  IStream* c = nullptr;
  EXPECT_EQ(s->Clone(&c), S_OK);
  TIntf<IStream> r;
  r.Attach(c);
  return r;
}

// Random reads, writes, seeks, resizes and clone switches against a model:
// one byte vector shared by all clones, each clone with its own position.
TEST(Platform_OleStream, RandomOperationsMatchAByteVector) {
  std::mt19937 rng(1234);
  for (int round = 0; round < 40; ++round) {
    std::vector<Byte> model(rng() % 40);
    for (auto& b : model) b = Byte(rng());
    HGLOBAL h = GlobalAlloc(rng() % 2 ? GMEM_MOVEABLE : GMEM_FIXED, model.size());
    if (!model.empty()) std::memcpy(GlobalLock(h), model.data(), model.size());
    GlobalUnlock(h);
    std::vector<TIntf<IStream>> streams{NewStream(h, TRUE)};
    std::vector<uint64_t> pos{0};
    for (int step = 0; step < 200; ++step) {
      size_t i = rng() % streams.size();
      IStream* s = streams[i].get();
      switch (rng() % 6) {
        case 0: {  // read
          ULONG want = rng() % 50;
          std::vector<Byte> buf(want + 1, 0xCC);
          ULONG got = 99;
          HRESULT hr = s->Read(buf.data(), want, &got);
          size_t avail = pos[i] < model.size() ? model.size() - pos[i] : 0;
          ULONG expect = ULONG(std::min<size_t>(want, avail));
          ASSERT_EQ(got, expect);
          EXPECT_EQ(hr, got == want ? S_OK : S_FALSE);
          for (ULONG k = 0; k < got; ++k) ASSERT_EQ(buf[k], model[pos[i] + k]);
          EXPECT_EQ(buf[want], 0xCC);  // nothing past what was asked
          pos[i] += got;
          break;
        }
        case 1: {  // write, maybe past the end
          ULONG n = rng() % 30;
          std::vector<Byte> data(n);
          for (auto& b : data) b = Byte(rng());
          ULONG put = 0;
          ASSERT_EQ(s->Write(data.data(), n, &put), S_OK);
          ASSERT_EQ(put, n);
          if (n) {
            if (pos[i] + n > model.size()) model.resize(pos[i] + n, 0);
            std::copy(data.begin(), data.end(), model.begin() + long(pos[i]));
          }
          pos[i] += n;
          break;
        }
        case 2: {  // seek from any origin, sometimes to before the start
          DWORD origin = rng() % 3;
          Int64 move = Int64(rng() % 60) - 20;
          Int64 base = origin == STREAM_SEEK_SET ? 0 : origin == STREAM_SEEK_CUR ? Int64(pos[i]) : Int64(model.size());
          ULARGE_INTEGER now = 77;
          HRESULT hr = s->Seek(move, origin, &now);
          if (base + move < 0) {
            EXPECT_EQ(hr, STG_E_INVALIDFUNCTION);
          } else {
            ASSERT_EQ(hr, S_OK);
            pos[i] = uint64_t(base + move);
            EXPECT_EQ(now, pos[i]);
          }
          break;
        }
        case 3: {  // resize
          size_t n = rng() % 60;
          ASSERT_EQ(s->SetSize(n), S_OK);
          model.resize(n, 0);
          break;
        }
        case 4:  // a clone where this one stands
          if (streams.size() < 4) {
            streams.push_back(CloneOf(s));
            pos.push_back(pos[i]);
          }
          break;
        case 5:  // a clone goes; the block stays while any is left
          if (streams.size() > 1) {
            streams.erase(streams.begin() + long(i));
            pos.erase(pos.begin() + long(i));
          }
          break;
      }
      STATSTG st;
      ASSERT_EQ(streams[0]->Stat(&st, STATFLAG_NONAME), S_OK);
      ASSERT_EQ(st.cbSize, model.size());
      HGLOBAL now = nullptr;
      ASSERT_EQ(GetHGlobalFromStream(streams[0].get(), &now), S_OK);
      ASSERT_EQ(GlobalSize(now), model.size());
      std::string bytes = BlockBytes(now);
      ASSERT_EQ(std::string(model.begin(), model.end()), bytes) << "round " << round << " step " << step;
    }
  }
}

TEST(Platform_OleStream, TheLastCloneFreesTheBlockOnlyWhenAsked) {
  const size_t n0 = GlobalBlockCount();
  {
    TIntf<IStream> s = NewStream(Block("hello"), TRUE);
    TIntf<IStream> c = CloneOf(s.get());
    s = nullptr;
    EXPECT_EQ(GlobalBlockCount(), n0 + 1);  // the clone still holds it
    EXPECT_EQ(StreamBytes(c.get()), "hello");
  }
  EXPECT_EQ(GlobalBlockCount(), n0);
  HGLOBAL kept = Block("kept");
  {
    TIntf<IStream> s = NewStream(kept, FALSE);
    ULONG put = 0;
    ASSERT_EQ(s->Write("KEPT and more", 13, &put), S_OK);
    HGLOBAL now = nullptr;
    ASSERT_EQ(GetHGlobalFromStream(s.get(), &now), S_OK);
    kept = now;
  }
  EXPECT_EQ(GlobalBlockCount(), n0 + 1);
  EXPECT_EQ(BlockBytes(kept), "KEPT and more");
  GlobalFree(kept);
  // Only streams made here have a block.
  TMemoryStream ms;
  TIntf<IStream> adapter(new TStreamAdapter(&ms));
  HGLOBAL none = reinterpret_cast<HGLOBAL>(1);
  EXPECT_EQ(GetHGlobalFromStream(adapter.get(), &none), E_INVALIDARG);
  EXPECT_EQ(none, nullptr);
  IStream* bad = nullptr;
  EXPECT_EQ(CreateStreamOnHGlobal(reinterpret_cast<HGLOBAL>(uintptr_t(0x12345670)), TRUE, &bad), E_INVALIDARG);
}

TEST(Platform_OleStream, ABlockShrunkUnderneathIsNotReadPast) {
  HGLOBAL h = Block("0123456789");
  TIntf<IStream> s = NewStream(h, FALSE);
  ASSERT_EQ(s->Seek(6, STREAM_SEEK_SET, nullptr), S_OK);
  HGLOBAL smaller = GlobalReAlloc(h, 4, GMEM_MOVEABLE);
  ASSERT_NE(smaller, nullptr);
  char buf[8] = {};
  ULONG got = 9;
  EXPECT_EQ(s->Read(buf, 4, &got), S_FALSE);
  EXPECT_EQ(got, 0u);
  ASSERT_EQ(s->Seek(0, STREAM_SEEK_SET, nullptr), S_OK);
  EXPECT_EQ(StreamBytes(s.get()), "0123");
  s = nullptr;
  GlobalFree(smaller);
}

TEST(Platform_OleStream, CopyToMovesWhatIsLeftBetweenAnyStreams) {
  TIntf<IStream> from = NewStream(Block("abcdefghij"));
  ASSERT_EQ(from->Seek(2, STREAM_SEEK_SET, nullptr), S_OK);
  TMemoryStream ms;
  TIntf<IStream> to(new TStreamAdapter(&ms));
  ULARGE_INTEGER read = 0, written = 0;
  ASSERT_EQ(from->CopyTo(to.get(), 5, &read, &written), S_OK);
  EXPECT_EQ(read, 5u);
  EXPECT_EQ(written, 5u);
  ASSERT_EQ(from->CopyTo(to.get(), 100, &read, &written), S_OK);
  EXPECT_EQ(read, 3u);
  EXPECT_EQ(std::string(static_cast<const char*>(ms.Memory()), size_t(ms.Size())), "cdefghij");
  // And back from the adapter.
  TIntf<IStream> back = NewStream();
  ASSERT_EQ(to->Seek(0, STREAM_SEEK_SET, nullptr), S_OK);
  ASSERT_EQ(to->CopyTo(back.get(), ~0ull, &read, &written), S_OK);
  ASSERT_EQ(back->Seek(0, STREAM_SEEK_SET, nullptr), S_OK);
  EXPECT_EQ(StreamBytes(back.get()), "cdefghij");
  // Regions cannot be locked; an adapter has one position only.
  EXPECT_EQ(from->LockRegion(0, 1, LOCK_WRITE), STG_E_INVALIDFUNCTION);
  EXPECT_EQ(to->UnlockRegion(0, 1, LOCK_WRITE), STG_E_INVALIDFUNCTION);
  EXPECT_EQ(from->Commit(STGC_DEFAULT), S_OK);
  IStream* c = reinterpret_cast<IStream*>(1);
  EXPECT_EQ(to->Clone(&c), E_NOTIMPL);
  EXPECT_EQ(c, nullptr);
}

// A stream that answers as told.
class TLyingStream : public TStreamAdapter {
 public:
  using TStreamAdapter::TStreamAdapter;
  ULONG ExtraRead = 0;
  HRESULT Fail = S_OK;
  HRESULT Read(void* pv, ULONG cb, ULONG* pcbRead) override {
    if (Failed(Fail)) return Fail;
    HRESULT hr = TStreamAdapter::Read(pv, cb, pcbRead);
    if (pcbRead) *pcbRead += ExtraRead;
    return hr;
  }
};

TEST(Platform_OleStream, OleStreamReadsMediaAndDistrustsLiars) {
  TIntf<IStream> s = NewStream(Block("node chunks"));
  {
    TOleStream os(s.get());
    EXPECT_EQ(os.Size(), 11);
    char buf[5];
    os.ReadBuffer(buf, 4);
    EXPECT_EQ(std::string(buf, 4), "node");
    os.SetPosition(5);
    os.WriteBuffer("CH", 2);
    os.SetSize(7);
  }
  ASSERT_EQ(s->Seek(0, STREAM_SEEK_SET, nullptr), S_OK);
  EXPECT_EQ(StreamBytes(s.get()), "node CH");
  TMemoryStream ms;
  ms.WriteBuffer("abcdef", 6);
  ms.SetPosition(0);
  auto* liar = new TLyingStream(&ms);
  TIntf<IStream> keep(liar);
  TOleStream os(liar);
  liar->ExtraRead = 100;
  char buf[4];
  EXPECT_THROW(os.Read(buf, 4), EOleSysError);
  liar->ExtraRead = 0;
  liar->Fail = STG_E_READFAULT;
  try {
    os.Read(buf, 4);
    ADD_FAILURE() << "a failing stream must raise";
  } catch (const EOleSysError& e) {
    EXPECT_EQ(e.ErrorCode, STG_E_READFAULT);
    EXPECT_EQ(e.Message(), u"OLE error 8003001E");
  }
}

}  // namespace

}  // namespace t_ole_stream_test
