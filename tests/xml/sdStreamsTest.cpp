#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "xml/sdStreams_qn.h"

namespace t_sd_streams_test {

using namespace qn;

namespace {

// Remembers the size of every write it receives.
class TRecordingStream : public TStream {
 public:
  std::vector<Integer> Writes;
  std::string Data;
  Integer Read(void*, Integer) override { return 0; }
  Integer Write(const void* Buffer, Integer Count) override {
    Writes.push_back(Count);
    Data.append(static_cast<const char*>(Buffer), static_cast<size_t>(Count));
    return Count;
  }
  Int64 Seek(Int64, TSeekOrigin) override { return static_cast<Int64>(Data.size()); }
};

}  // namespace

TEST(sdStreams_qn, CapacityGrowsInFibonacciSteps) {
  TsdFastMemStream m(10);
  std::vector<Integer> caps{m.Capacity()};
  for (int i = 0; i < 40; ++i) {
    Byte b = static_cast<Byte>(i);
    m.Write(&b, 1);
    if (m.Capacity() != caps.back()) caps.push_back(m.Capacity());
  }
  EXPECT_EQ(caps, (std::vector<Integer>{10, 15, 25, 40}));
  // Clear keeps the memory.
  m.Clear();
  EXPECT_EQ(m.Size(), 0);
  EXPECT_EQ(m.Capacity(), 40);
}

TEST(sdStreams_qn, BehavesLikeAByteVector) {
  // Random writes, reads, seeks (also past the end) and size changes against
  // a plain vector.
  std::mt19937 rng(3);
  TsdFastMemStream m(4);
  std::vector<Byte> ref;
  Int64 pos = 0;
  for (int step = 0; step < 20000; ++step) {
    switch (rng() % 5) {
      case 0: {
        Integer n = static_cast<Integer>(rng() % 50);
        std::vector<Byte> buf(static_cast<size_t>(n));
        for (auto& b : buf) b = static_cast<Byte>(rng());
        EXPECT_EQ(m.Write(buf.data(), n), n);
        if (n > 0) {
          if (static_cast<size_t>(pos + n) > ref.size()) ref.resize(static_cast<size_t>(pos + n), 0);
          std::copy(buf.begin(), buf.end(), ref.begin() + pos);
          pos += n;
        }
        break;
      }
      case 1: {
        Integer n = static_cast<Integer>(rng() % 60);
        std::vector<Byte> buf(static_cast<size_t>(n) + 1);
        Integer got = m.Read(buf.data(), n);
        Integer want = pos >= static_cast<Int64>(ref.size()) ? 0 : std::min<Integer>(n, static_cast<Integer>(ref.size() - pos));
        ASSERT_EQ(got, want);
        for (Integer i = 0; i < got; ++i) ASSERT_EQ(buf[static_cast<size_t>(i)], ref[static_cast<size_t>(pos + i)]);
        pos += got;
        break;
      }
      case 2: {
        Int64 to = static_cast<Int64>(rng() % (ref.size() + 40));
        EXPECT_EQ(m.Seek(to, soBeginning), to);
        pos = to;
        break;
      }
      case 3: {
        Int64 to = static_cast<Int64>(rng() % (ref.size() + 30));
        m.SetSize(to);
        ref.resize(static_cast<size_t>(to), 0);
        if (pos > to) pos = to;  // the position follows a shrinking end
        EXPECT_EQ(m.Position(), pos);
        break;
      }
      default:
        EXPECT_EQ(m.Seek(-3, soEnd), static_cast<Int64>(ref.size()) - 3);
        pos = static_cast<Int64>(ref.size()) - 3;
        if (pos < 0) {
          EXPECT_EQ(m.Read(nullptr, 5), 0);  // negative positions refuse
          m.Seek(0, soBeginning);
          pos = 0;
        }
    }
    ASSERT_EQ(m.Size(), static_cast<Int64>(ref.size()));
  }
  ASSERT_EQ(std::vector<Byte>(m.Memory(), m.Memory() + m.Size()), ref);
}

TEST(sdStreams_qn, SizesBeyond31BitsRaise) {
  TsdFastMemStream m;
  EXPECT_THROW(m.SetSize(Int64(1) << 31), EStreamError);
  m.Seek(2147483647 - 2, soBeginning);
  Byte b[8] = {};
  EXPECT_THROW(m.Write(b, 8), EStreamError);
  EXPECT_EQ(m.Size(), 0);
}

TEST(sdStreams_qn, StringStreamAndBufferWriter) {
  TsdStringStream s("h\xC3\xA9llo");
  EXPECT_EQ(s.Position(), 0);
  EXPECT_EQ(s.DataString(), "h\xC3\xA9llo");
  EXPECT_GE(s.Capacity(), 4096);

  TRecordingStream rec;
  {
    TsdBufferWriter w(&rec, 256);
    for (int i = 0; i < 300; ++i) {
      Byte b = static_cast<Byte>(i);
      w.Write(&b, 1);
    }
    EXPECT_EQ(rec.Writes, (std::vector<Integer>{256}));
    EXPECT_THROW(w.Read(nullptr, 1), Exception);
  }
  EXPECT_EQ(rec.Writes, (std::vector<Integer>{256, 44}));
  for (int i = 0; i < 300; ++i) ASSERT_EQ(static_cast<Byte>(rec.Data[static_cast<size_t>(i)]), static_cast<Byte>(i));

  // Writes larger than a chunk still arrive as whole chunks.
  TRecordingStream rec2;
  {
    TsdBufferWriter w(&rec2, 10);
    std::string big(35, 'x');
    w.Write(big.data(), 35);
  }
  EXPECT_EQ(rec2.Writes, (std::vector<Integer>{10, 10, 10, 5}));
}

}  // namespace t_sd_streams_test
