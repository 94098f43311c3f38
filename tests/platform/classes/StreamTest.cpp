#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <string>

#include "platform/classes/Classes.h"
#include "tests/common/TestSupport.h"

namespace t_stream_test {

using namespace vcl;

namespace {

// Hands out at most Chunk bytes per Read, as a pipe would.
class TTrickleStream : public TMemoryStream {
  QN_CLASS(TTrickleStream, TMemoryStream)
 public:
  using TStream::Read;
  Integer Read(void* Buffer, Integer Count) override { return TMemoryStream::Read(Buffer, std::min(Count, 3)); }
};

struct TTempDir {
  std::string Path = qntest::MakeTempDir("streams");
  ~TTempDir() { std::filesystem::remove_all(Path); }
  String File(const char* name) const { return FromUtf8(Path + "/" + name); }
};

}  // namespace

TEST(Platform_Streams, ShortReadsAndWritesRaise) {
  TMemoryStream m;
  m.WriteBufferData<Integer>(0x01020304);
  m.WriteBufferData<Word>(0xBEEF);
  EXPECT_EQ(m.Size(), 6);
  const Byte* p = static_cast<const Byte*>(m.Memory());
  EXPECT_EQ(p[0], 0x04);  // little-endian on the wire
  EXPECT_EQ(p[4], 0xEF);
  m.SetPosition(0);
  EXPECT_EQ(m.ReadValue<Integer>(), 0x01020304);
  Integer big = 0;
  try {
    m.ReadBufferData(big);
    FAIL();
  } catch (const EReadError& e) {
    EXPECT_EQ(e.Message(), u"Stream read error");
  }
  static const Byte kData[] = {1, 2, 3};
  RegisterResource(u"RO", u"#10", kData, sizeof kData);
  TResourceStream r(0, u"ro", u"#10");
  try {
    r.WriteBuffer(kData, 1);
    FAIL();
  } catch (const EStreamError& e) {
    EXPECT_EQ(e.Message(), u"Can't write to a read-only resource stream");
  }
  UnregisterResource(u"RO", u"#10");
  // Partial reads are topped up; only the end of the data is an error.
  TTrickleStream t;
  for (int i = 0; i < 10; ++i) t.WriteBufferData<Byte>(static_cast<Byte>(i));
  t.SetPosition(0);
  Byte buf[10];
  t.ReadBuffer(buf, 10);
  EXPECT_EQ(buf[9], 9);
}

TEST(Platform_Streams, MemoryStreamBehavesLikeAByteVector) {
  std::mt19937 rng(3);
  TMemoryStream m;
  std::vector<Byte> ref;
  Int64 pos = 0;
  for (int step = 0; step < 400; ++step) {
    switch (rng() % 4) {
      case 0: {  // write at the position, maybe past the end
        std::vector<Byte> chunk(rng() % 50);
        for (auto& b : chunk) b = static_cast<Byte>(rng());
        m.WriteBuffer(chunk.data(), static_cast<Integer>(chunk.size()));
        if (!chunk.empty()) {
          if (ref.size() < pos + chunk.size()) ref.resize(pos + chunk.size(), 0);
          std::copy(chunk.begin(), chunk.end(), ref.begin() + pos);
          pos += chunk.size();
        }
        break;
      }
      case 1: {
        Int64 p = rng() % (ref.size() + 20);
        m.SetPosition(p);
        pos = p;
        break;
      }
      case 2: {
        Byte buf[64];
        Integer want = rng() % 64;
        Integer got = m.Read(buf, want);
        Int64 avail = std::max<Int64>(0, static_cast<Int64>(ref.size()) - pos);
        ASSERT_EQ(got, std::min<Int64>(want, avail));
        for (int i = 0; i < got; ++i) ASSERT_EQ(buf[i], ref[pos + i]);
        pos += got;
        break;
      }
      case 3: {
        Int64 n = rng() % (ref.size() + 30);
        m.SetSize(n);
        ref.resize(n, 0);
        pos = std::min(pos, n);
        break;
      }
    }
    ASSERT_EQ(m.Size(), static_cast<Int64>(ref.size()));
    ASSERT_EQ(m.Position(), pos);
  }
  if (!ref.empty()) {
    EXPECT_EQ(std::memcmp(m.Memory(), ref.data(), ref.size()), 0);
  }
  m.Clear();
  EXPECT_EQ(m.Size(), 0);
  EXPECT_EQ(m.Memory(), nullptr);
}

TEST(Platform_Streams, CopyFromAndBytesAndStringStreams) {
  TStringStream s(u"Grüße, \u4E16\u754C");
  EXPECT_EQ(s.Size(), 15);  // UTF-8
  EXPECT_EQ(s.DataString(), u"Grüße, \u4E16\u754C");
  s.SetPosition(0);
  EXPECT_EQ(s.ReadString(2), u"Gr");
  s.Seek(0, soEnd);
  s.WriteString(u"!");
  EXPECT_EQ(s.DataString(), u"Grüße, \u4E16\u754C!");

  TBytesStream b;
  EXPECT_EQ(b.CopyFrom(&s, 0), 16);  // 0 = everything from the start
  EXPECT_EQ(b.Bytes().size(), 16u);  // the content, not the spare capacity
  s.SetPosition(1);
  TMemoryStream part;
  EXPECT_EQ(part.CopyFrom(&s, 4), 4);
  EXPECT_THROW(part.CopyFrom(&s, 100), EReadError);

  TBytesStream fixed(TBytes{9, 8, 7});
  EXPECT_EQ(fixed.Size(), 3);
  fixed.Seek(0, soEnd);
  fixed.WriteBufferData<Byte>(6);
  EXPECT_EQ(fixed.Bytes(), (TBytes{9, 8, 7, 6}));

  TStringStream wide(u"ab", TTextEncoding::Unicode);
  EXPECT_EQ(wide.Bytes(), (TBytes{'a', 0, 'b', 0}));
  EXPECT_EQ(wide.DataString(), u"ab");
}

TEST(Platform_Streams, FileStreamsOpenCreateAndFailAsThePlatform) {
  TTempDir dir;
  String name = dir.File("a.bin");
  {
    TFileStream f(name, fmCreate);
    f.WriteBufferData<Int64>(42);
    EXPECT_EQ(f.Size(), 8);
  }
  {
    TFileStream f(name, fmOpenRead | fmShareDenyNone);
    EXPECT_EQ(f.ReadValue<Int64>(), 42);
    EXPECT_THROW(f.WriteBufferData<Byte>(1), EWriteError);
    EXPECT_THROW(f.ReadValue<Byte>(), EReadError);
  }
  {
    TFileStream f(name, fmOpenReadWrite);
    f.Seek(0, soEnd);
    f.WriteBufferData<Byte>(7);
    f.SetSize(4);
    EXPECT_EQ(f.Size(), 4);
  }
  {
    // Backslashes separate folders as on the platform.
    String back = name;
    for (auto& c : back)
      if (c == u'/') c = u'\\';
    TFileStream f(back, fmOpenRead);
    EXPECT_EQ(f.Size(), 4);
  }
  try {
    TFileStream f(dir.File("missing.bin"), fmOpenRead);
    FAIL();
  } catch (const EFOpenError& e) {
    String want = u"Cannot open file \"" + dir.File("missing.bin") + u"\". ";
    EXPECT_EQ(e.Message().substr(0, want.size()), want);
    EXPECT_GT(e.Message().size(), want.size());  // with the reason
  }
  EXPECT_THROW(TFileStream(FromUtf8(dir.Path), fmOpenRead), EFOpenError);  // a folder
  try {
    TFileStream f(dir.File("no/such/dir.bin"), fmCreate);
    FAIL();
  } catch (const EFCreateError& e) {
    EXPECT_EQ(e.Message().rfind(u"Cannot create file \"", 0), 0u);
  }
  TMemoryStream m;
  m.LoadFromFile(name);
  EXPECT_EQ(m.Size(), 4);
  m.SaveToFile(dir.File("b.bin"));
  EXPECT_EQ(std::filesystem::file_size(dir.Path + "/b.bin"), 4u);
  // A failed load leaves the stream as it was.
  EXPECT_THROW(m.LoadFromFile(dir.File("missing.bin")), EFOpenError);
  EXPECT_EQ(m.Size(), 4);
}

TEST(Platform_Streams, ResourcesAreFoundByNameAndType) {
  static const Byte kLogo[] = {'P', 'N', 'G', 0};
  RegisterResource(u"Logo", u"PNG", kLogo, sizeof kLogo);
  RegisterResource(u"#101", u"#10", kLogo, 2);
  {
    TResourceStream r(0, u"LOGO", u"png");
    EXPECT_EQ(r.Size(), 4);
    EXPECT_EQ(r.ReadValue<Byte>(), 'P');
    std::unique_ptr<TResourceStream> byId(TResourceStream::CreateFromID(0, 101, u"#10"));
    EXPECT_EQ(byId->Size(), 2);
  }
  try {
    TResourceStream r(0, u"Logo", u"#10");
    FAIL();
  } catch (const EResNotFound& e) {
    EXPECT_EQ(e.Message(), u"Resource Logo not found");
  }
  UnregisterResource(u"logo", u"PNG");
  UnregisterResource(u"#101", u"#10");
  EXPECT_THROW(TResourceStream(0, u"Logo", u"PNG"), EResNotFound);
}

TEST(Platform_Streams, TextDecodingDetectsByteOrderMarks) {
  auto decode = [](TBytes b, TTextEncoding e) {
    String s = DecodeBytes(b.data(), b.size(), e);
    return std::make_pair(s, e);
  };
  EXPECT_EQ(decode({0xEF, 0xBB, 0xBF, 'h', 'i'}, TTextEncoding::Default), std::make_pair(String(u"hi"), TTextEncoding::UTF8));
  EXPECT_EQ(decode({0xFF, 0xFE, 'h', 0}, TTextEncoding::Default), std::make_pair(String(u"h"), TTextEncoding::Unicode));
  EXPECT_EQ(decode({0xFE, 0xFF, 0, 'h'}, TTextEncoding::Default),
            std::make_pair(String(u"h"), TTextEncoding::BigEndianUnicode));
  EXPECT_EQ(decode({'h', 0xC3, 0xA9}, TTextEncoding::Default), std::make_pair(String(u"h\u00E9"), TTextEncoding::UTF8));
  EXPECT_EQ(decode({'h', 0, 'i'}, TTextEncoding::Unicode).first, u"h\uFFFD");  // torn unit shown
  EXPECT_EQ(decode({'h', 0xFF}, TTextEncoding::ASCII).first, u"h?");
  for (auto e : {TTextEncoding::UTF8, TTextEncoding::Unicode, TTextEncoding::BigEndianUnicode}) {
    String text = u"a\u00E9\U0001F600z";
    for (bool bom : {false, true}) {
      TBytes b = EncodeText(text, e, bom);
      TTextEncoding back = bom ? TTextEncoding::Default : e;
      EXPECT_EQ(DecodeBytes(b.data(), b.size(), back), text);
      EXPECT_EQ(back, e);
    }
  }
}

}  // namespace t_stream_test
