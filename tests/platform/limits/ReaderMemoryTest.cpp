// Readers of outside data under memory pressure: small hostile files must
// not make a reader take memory for a picture they do not hold, and running
// out of memory while reading is the library's EOutOfMemory with the target
// left as it was. This program replaces the global allocation functions so
// that a test can make large allocations fail and see the largest one made.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <new>
#include <random>
#include <string>
#include <vector>

#include "platform/classes/Classes.h"
#include "platform/classes/FormText.h"
#include "platform/classes/Streams.h"
#include "platform/vcl/Graphics.h"

// ThreadSanitizer's run-time owns the allocation functions, so this program
// cannot replace them there; the ASan run covers these readers.
#if defined(__SANITIZE_THREAD__)
#define QN_ALLOCATOR_OWNED_BY_TSAN 1
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define QN_ALLOCATOR_OWNED_BY_TSAN 1
#endif
#endif

#ifndef QN_ALLOCATOR_OWNED_BY_TSAN
namespace {

std::atomic<size_t> gFailFrom{SIZE_MAX};  // allocations of this size or more fail
std::atomic<size_t> gLargest{0};          // the largest allocation asked for

void* Allocate(size_t n, size_t align, bool nothrow) {
  if (n >= gFailFrom.load(std::memory_order_relaxed)) {
    if (nothrow) return nullptr;
    throw std::bad_alloc();
  }
  size_t seen = gLargest.load(std::memory_order_relaxed);
  while (n > seen && !gLargest.compare_exchange_weak(seen, n, std::memory_order_relaxed)) {
  }
  void* p = nullptr;
  if (align > alignof(std::max_align_t)) {
    if (posix_memalign(&p, align, n ? n : 1) != 0) p = nullptr;
  } else {
    p = std::malloc(n ? n : 1);
  }
  if (!p && !nothrow) throw std::bad_alloc();
  return p;
}

// While alive, allocations of failFrom bytes or more fail, and the largest
// allocation made is recorded.
struct TMemoryLimit {
  explicit TMemoryLimit(size_t failFrom) {
    gLargest = 0;
    gFailFrom = failFrom;
  }
  ~TMemoryLimit() { gFailFrom = SIZE_MAX; }
  size_t Largest() const { return gLargest; }
};

}  // namespace

void* operator new(size_t n) { return Allocate(n, 0, false); }
void* operator new[](size_t n) { return Allocate(n, 0, false); }
void* operator new(size_t n, const std::nothrow_t&) noexcept { return Allocate(n, 0, true); }
void* operator new[](size_t n, const std::nothrow_t&) noexcept { return Allocate(n, 0, true); }
void* operator new(size_t n, std::align_val_t a) { return Allocate(n, size_t(a), false); }
void* operator new[](size_t n, std::align_val_t a) { return Allocate(n, size_t(a), false); }
void* operator new(size_t n, std::align_val_t a, const std::nothrow_t&) noexcept { return Allocate(n, size_t(a), true); }
void* operator new[](size_t n, std::align_val_t a, const std::nothrow_t&) noexcept {
  return Allocate(n, size_t(a), true);
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete(void* p, size_t) noexcept { std::free(p); }
void operator delete[](void* p, size_t) noexcept { std::free(p); }
void operator delete(void* p, std::align_val_t) noexcept { std::free(p); }
void operator delete[](void* p, std::align_val_t) noexcept { std::free(p); }
void operator delete(void* p, std::align_val_t, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, std::align_val_t, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete(void* p, size_t, std::align_val_t) noexcept { std::free(p); }
void operator delete[](void* p, size_t, std::align_val_t) noexcept { std::free(p); }

using namespace vcl;

namespace {

constexpr size_t kMB = size_t(1) << 20;

uint32_t Crc32(const Byte* p, size_t n) {
  uint32_t c = 0xFFFFFFFFu;
  for (size_t i = 0; i < n; ++i) {
    c ^= p[i];
    for (int k = 0; k < 8; ++k) c = (c >> 1) ^ (0xEDB88320u & (0u - (c & 1)));
  }
  return ~c;
}

void Put32Be(Byte* p, uint32_t v) {
  p[0] = Byte(v >> 24);
  p[1] = Byte(v >> 16);
  p[2] = Byte(v >> 8);
  p[3] = Byte(v);
}

TBytes Bytes(TMemoryStream& s) {
  const Byte* p = static_cast<const Byte*>(s.Memory());
  return TBytes(p, p + s.Size());
}

// A grey 8-bit PNG of w x h zeros, as the library writes it: deflate turns
// it into very little data.
TBytes ZeroPng(Integer w, Integer h, bool interlaced = false) {
  TPngImage png(COLOR_GRAYSCALE, 8, w, h);
  png.SetInterlaceMethod(interlaced ? TInterlaceMethod::imAdam7 : TInterlaceMethod::imNone);
  TMemoryStream s;
  png.SaveToStream(&s);
  return Bytes(s);
}

// Rewrites the size in a PNG's header (and the header's checksum).
void SetPngSize(TBytes& png, uint32_t w, uint32_t h) {
  Put32Be(&png[16], w);
  Put32Be(&png[20], h);
  Put32Be(&png[29], Crc32(&png[12], 17));
}

// A picture that loaded before, to see that a failed load leaves it alone.
void MakeKnown(TPngImage& png) {
  TPngImage small(COLOR_RGB, 8, 3, 2);
  small.SetPixels(1, 1, clRed);
  png.Assign(&small);
}

template <class F>
void ExpectRejectedWithin(size_t limit, F&& load, const char* what) {
  TMemoryLimit m(limit);
  try {
    load();
    ADD_FAILURE() << what << ": accepted";
  } catch (const EOutOfMemory&) {
    ADD_FAILURE() << what << ": tried to allocate " << m.Largest() << " bytes or more";
  } catch (const Exception&) {
  }
  EXPECT_LT(m.Largest(), limit) << what;
}

}  // namespace

TEST(Platform_ReaderMemory, DeclaredSizesTheDataCannotFillAreRefusedBeforeTheirPixels) {
  // A PNG header declaring 16384 x 16384 followed by a sliver of data.
  TBytes png = ZeroPng(64, 64);
  SetPngSize(png, 16384, 16384);
  png.resize(74);
  TPngImage target;
  MakeKnown(target);
  ExpectRejectedWithin(16 * kMB, [&] {
    TBytesStream in(png);
    target.LoadFromStream(&in);
  }, "truncated PNG");
  EXPECT_EQ(target.Width(), 3);
  EXPECT_EQ(target.Pixels(1, 1), clRed);

  // The same size with all its (tiny) data intact: still far more pixels
  // than deflate can make of it.
  TBytes whole = ZeroPng(64, 64);
  SetPngSize(whole, 16384, 16384);
  ExpectRejectedWithin(16 * kMB, [&] {
    TBytesStream in(whole);
    target.LoadFromStream(&in);
  }, "PNG with too little data");

  // A run-length BMP of about 1 KB declaring 16384 x 16384: a colour table,
  // a few line ends and the end of the picture.
  std::vector<Byte> bmp(14 + 40 + 1024);
  bmp[0] = 'B';
  bmp[1] = 'M';
  auto put32 = [&](size_t at, uint32_t v) { std::memcpy(&bmp[at], &v, 4); };
  put32(10, 14 + 40 + 1024);
  put32(14, 40);
  put32(18, 16384);
  put32(22, 16384);
  bmp[26] = 1;
  bmp[28] = 8;
  put32(30, BI_RLE8);
  for (int i = 0; i < 40; ++i) bmp.insert(bmp.end(), {Byte(255), Byte(7), Byte(0), Byte(0)});
  bmp.insert(bmp.end(), {Byte(0), Byte(1)});
  TBitmap b(5, 4);
  ExpectRejectedWithin(16 * kMB, [&] {
    TBytesStream in(TBytes(bmp.begin(), bmp.end()));
    b.LoadFromStream(&in);
  }, "run-length BMP");
  EXPECT_EQ(b.Width(), 5);

  // A JPEG of 1024 x 1024 cut to 678 bytes.
  TBitmap noise(1024, 1024);
  noise.SetPixelFormat(TPixelFormat::pf24bit);
  std::mt19937 rng(3);
  for (Integer y = 0; y < 1024; ++y) {
    auto* r = static_cast<Byte*>(noise.ScanLine(y));
    for (Integer x = 0; x < 1024 * 3; ++x) r[x] = Byte(rng());
  }
  TJPEGImage jpeg;
  jpeg.Assign(&noise);
  TMemoryStream js;
  jpeg.SaveToStream(&js);
  TBytes cut = Bytes(js);
  ASSERT_GT(cut.size(), 100000u);
  cut.resize(678);
  TJPEGImage j;
  ExpectRejectedWithin(2 * kMB, [&] {
    TBytesStream in(cut);
    j.LoadFromStream(&in);
  }, "truncated JPEG");
  EXPECT_TRUE(j.Empty());
}

TEST(Platform_ReaderMemory, PngRowsTakeMemoryOnlyAsTheyAreDecoded) {
  // 4096 x 4096 grey: 16 MB of pixels from a few kilobytes of deflate.
  const TBytes whole = ZeroPng(4096, 4096);
  ASSERT_LT(whole.size(), 64 * 1024u);
  {
    // Cut in the middle of its data, it fails having taken memory for about
    // the rows it had, not for the whole picture.
    TBytes cut(whole.begin(), whole.begin() + Int64(whole.size()) * 2 / 5);
    TPngImage png;
    MakeKnown(png);
    TMemoryLimit m(SIZE_MAX);
    TBytesStream in(cut);
    EXPECT_THROW(png.LoadFromStream(&in), Exception);
    EXPECT_LT(m.Largest(), 14 * kMB);
    EXPECT_EQ(png.Width(), 3);
  }
  {
    TPngImage png;
    TMemoryLimit m(SIZE_MAX);
    TBytesStream in(whole);
    png.LoadFromStream(&in);
    EXPECT_EQ(png.Width(), 4096);
    EXPECT_LT(m.Largest(), 20 * kMB);  // the picture itself, no copy of it beside
  }
}

TEST(Platform_ReaderMemory, RunningOutOfMemoryIsEOutOfMemoryAndLeavesTheTargetAlone) {
  const TBytes bomb = ZeroPng(4096, 4096);
  const TBytes interlaced = ZeroPng(2048, 2048, true);
  for (const TBytes* data : {&bomb, &interlaced}) {
    TPngImage png;
    MakeKnown(png);
    {
      TMemoryLimit m(2 * kMB);
      TBytesStream in(*data);
      EXPECT_THROW(png.LoadFromStream(&in), EOutOfMemory);
    }
    EXPECT_EQ(png.Width(), 3);
    EXPECT_EQ(png.Pixels(1, 1), clRed);
  }

  // A BMP and a JPEG of 2048 x 2048, read with too little memory.
  TBitmap big(2048, 2048);
  big.SetPixelFormat(TPixelFormat::pf24bit);
  TMemoryStream bs;
  big.SaveToStream(&bs);
  TJPEGImage jpeg;
  jpeg.Assign(&big);
  TMemoryStream js;
  jpeg.SaveToStream(&js);
  TBitmap target(5, 4);
  TJPEGImage j;
  {
    TMemoryLimit m(4 * kMB);
    bs.SetPosition(0);
    EXPECT_THROW(target.LoadFromStream(&bs), EOutOfMemory);
    js.SetPosition(0);
    EXPECT_THROW(j.LoadFromStream(&js), EOutOfMemory);
  }
  EXPECT_EQ(target.Width(), 5);
  EXPECT_TRUE(j.Empty());

  // A text form holding a long string: converting it needs several copies
  // of the string; the output stream sees nothing of a failed conversion.
  std::string text = "object A: TB\r\n  S = '" + std::string(4 * kMB, 'x') + "'\r\nend\r\n";
  TBytesStream tin(TBytes(text.begin(), text.end()));
  TMemoryStream out;
  {
    TMemoryLimit m(4 * kMB);
    EXPECT_THROW(ObjectTextToBinary(&tin, &out), EOutOfMemory);
  }
  EXPECT_EQ(out.Size(), 0);
  tin.SetPosition(0);
  ObjectTextToBinary(&tin, &out);
  EXPECT_GT(out.Size(), Int64(4 * kMB));
  TMemoryStream back;
  out.SetPosition(0);
  {
    TMemoryLimit m(4 * kMB);
    EXPECT_THROW(ObjectBinaryToText(&out, &back), EOutOfMemory);
  }
  EXPECT_EQ(back.Size(), 0);

  // Lines of a string list.
  TStringList list;
  list.Add(u"kept");
  {
    TMemoryLimit m(4 * kMB);
    tin.SetPosition(0);
    EXPECT_THROW(list.LoadFromStream(&tin), EOutOfMemory);
  }
  ASSERT_EQ(list.Count(), 1);
  EXPECT_EQ(list[0], u"kept");
}

#endif  // QN_ALLOCATOR_OWNED_BY_TSAN

namespace t_reader_memory_test {

}  // namespace t_reader_memory_test
