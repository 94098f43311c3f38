#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <utility>
#include <vector>

#include "graphics/raster/Pix32_Backends_Generic_qn.h"
#include "graphics/raster/Pix32_Backends_qn.h"
#include "graphics/raster/Pix32_qn.h"
#include "platform/gdi/FileMapping.h"
#include "platform/rtl/SysUtils.h"

namespace t_pix32_backends_test {

using namespace qn;

namespace {

struct ITestA : virtual IInterface {
  static constexpr TGUID IID = MakeGUID("{9E1C8F80-2C61-4B7E-A0F3-31A9C2D40001}");
};
struct ITestB : virtual IInterface {
  static constexpr TGUID IID = MakeGUID("{9E1C8F80-2C61-4B7E-A0F3-31A9C2D40002}");
};

// A backend that offers ITestA only.
class TTestABackend : public TMemoryBackend, public ITestA {
  QN_BACKEND_CLASS(TTestABackend, TMemoryBackend)
  QN_INTERFACES(ITestA)
};

// A bitmap whose platform backend offers both.
class TTestABBackend : public TMemoryBackend, public ITestA, public ITestB {
  QN_BACKEND_CLASS(TTestABBackend, TMemoryBackend)
  QN_INTERFACES(ITestA, ITestB)
};

class TABBitmap : public TCustomBitmap32 {
  QN_CLASS(TABBitmap, TCustomBitmap32)
 public:
  TABBitmap() : TCustomBitmap32(TTestABackend::StaticClass()) {}
  TCustomBackendClass GetPlatformBackendClass() const override { return TTestABBackend::StaticClass(); }
};

// A memory backend whose next surface fails, or that calls itself empty.
class TFlakyBackend : public TMemoryBackend {
  QN_BACKEND_CLASS(TFlakyBackend, TMemoryBackend)
 public:
  bool Fail = false;
  bool CallEmpty = false;
  int ChangedCount = 0;
  void Changed() override {
    ++ChangedCount;
    inherited::Changed();
  }
  bool Empty() const override { return CallEmpty; }

 protected:
  void InitializeSurface(Integer W, Integer H, bool ClearBuffer) override {
    if (Fail) throw EOutOfMemory(u"Out of memory");
    inherited::InitializeSurface(W, H, ClearBuffer);
  }
};

void Fill(TCustomBitmap32& b, Cardinal seed) {
  std::mt19937 rng(seed);
  for (Integer i = 0; i < b.Width() * b.Height(); ++i) b.Bits()[i] = rng();
}

std::vector<TColor32> Pixels(const TCustomBitmap32& b) { return {b.Bits(), b.Bits() + b.Width() * b.Height()}; }

}  // namespace

TEST(Pix32_Backends_Generic_qn, MemorySurfaceStartsOpaqueBlack) {
  TCustomBitmap32 b;
  b.SetSize(33, 17);
  for (TColor32 c : Pixels(b)) ASSERT_EQ(c, 0xFF000000u);
  // Surfaces start on a cache line whatever their size, which the row fills
  // count on for their speed.
  for (const auto& [sw, sh] : {std::pair{33, 17}, std::pair{1, 1}, std::pair{1023, 3}, std::pair{1024, 1024}}) {
    b.SetSize(sw, sh);
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(b.Bits()) % 64, 0u) << sw << "x" << sh;
  }
  Integer w = 0, h = 0;
  auto* loose = new TMemoryBackend;  // no owner
  loose->ChangeSize(w, h, 5, 0, true);
  EXPECT_EQ(w, 5);
  EXPECT_EQ(h, 0);
  EXPECT_EQ(loose->Bits(), nullptr);
  loose->ChangeSize(w, h, 2, 2, false);
  EXPECT_NE(loose->Bits(), nullptr);
  EXPECT_EQ(loose->_Release(), 0);  // the creator's reference was the only one
}

TEST(Pix32_Backends_Generic_qn, FailedSurfaceLeavesZeroSizeAndStillReportsChanged) {
  TCustomBitmap32 b;
  auto* f = TCustomBackend::Create<TFlakyBackend>(&b);
  b.SetSize(4, 4);
  int changes = 0;
  b.SetOnChange([&](TObject*) { ++changes; });
  f->ChangedCount = 0;
  f->Fail = true;
  EXPECT_THROW(b.SetSize(8, 8), EOutOfMemory);
  EXPECT_EQ(f->ChangedCount, 1);
  EXPECT_EQ(b.Width(), 0);
  EXPECT_EQ(b.Height(), 0);
  EXPECT_EQ(b.Bits(), nullptr);
  EXPECT_EQ(b.ClipRect(), Rect(0, 0, 0, 0));
  f->Fail = false;
  b.SetSize(2, 2);
  EXPECT_EQ(b.GetPixel(1, 1), 0xFF000000u);
}

TEST(Pix32_Backends_Generic_qn, FailedSwitchKeepsTheOldBackendAndPixels) {
  TCustomBitmap32 b;
  b.SetSize(3, 3);
  Fill(b, 1);
  const auto before = Pixels(b);
  TCustomBackend* old = b.Backend();
  // A backend whose first surface fails cannot take over.
  class TFailing : public TMemoryBackend {
   protected:
    void InitializeSurface(Integer, Integer, bool) override { throw EOutOfMemory(u"Out of memory"); }
  };
  EXPECT_THROW(TCustomBackend::Create<TFailing>(&b), EOutOfMemory);
  EXPECT_EQ(b.Backend(), old);
  EXPECT_EQ(b.Width(), 3);
  EXPECT_EQ(Pixels(b), before);
}

TEST(Pix32_Backends_Generic_qn, AssignFromAnEmptyBackendResizesWithoutCopying) {
  TCustomBitmap32 b;
  auto* f = TCustomBackend::Create<TFlakyBackend>(&b);
  b.SetSize(3, 2);
  Fill(b, 2);
  f->CallEmpty = true;
  TMemoryBackend::StaticClass()->Create(&b);
  EXPECT_EQ(b.Width(), 3);
  EXPECT_EQ(b.Height(), 2);
  ASSERT_NE(b.Bits(), nullptr);
}

TEST(Pix32_Backends_Generic_qn, TemporaryMapFileIsGoneAfterDestruction) {
  const Integer handles = FileMappingHandleCount();
  String name;
  {
    TCustomBitmap32 b;
    auto* m = TCustomBackend::Create<TMMFBackend>(&b, true, String());
    b.SetSize(16, 8);
    name = m->MapFileName();
    ASSERT_FALSE(name.empty());
    EXPECT_TRUE(FileExists(name));
    EXPECT_EQ(b.GetPixel(15, 7), 0xFF000000u);
    b.SetPixel(3, 3, 0x12345678u);
    b.SetSize(20, 20);  // re-created: the file is reused, handles do not pile up
    EXPECT_EQ(FileMappingHandleCount(), handles + 2);
    EXPECT_EQ(b.GetPixel(3, 3), 0xFF000000u);
  }
  EXPECT_FALSE(FileExists(name));
  EXPECT_EQ(FileMappingHandleCount(), handles);
}

TEST(Pix32_Backends_Generic_qn, PagingFileMappingsAreClosed) {
  const Integer handles = FileMappingHandleCount();
  {
    TCustomBitmap32 b;
    auto* m = TCustomBackend::Create<TMMFBackend>(&b, false, String());
    for (int i = 1; i <= 5; ++i) {
      b.SetSize(i * 3, i);
      EXPECT_EQ(FileMappingHandleCount(), handles + 1);
    }
    EXPECT_TRUE(m->MapFileName().empty());
    b.SetPixel(14, 4, 7);
    EXPECT_EQ(b.GetPixel(14, 4), 7u);
  }
  EXPECT_EQ(FileMappingHandleCount(), handles);
}

TEST(Pix32_Backends_Generic_qn, NamedMapFiles) {
  const String dir = IncludeTrailingPathDelimiter(GetTempPath()) + u"qn_mmf_" + IntToStr(static_cast<Int64>(getpid()));
  const String name = dir + u"/sub/map.bin";
  {
    TCustomBitmap32 b;
    TCustomBackend::Create<TMMFBackend>(&b, false, name);
    EXPECT_TRUE(DirectoryExists(dir + u"/sub"));
    b.SetSize(4, 4);
    EXPECT_EQ(FileSize(name), 64);
  }
  EXPECT_FALSE(FileExists(name));
  RemoveDir(dir + u"/sub");
  RemoveDir(dir);
  // A named file that cannot be created is an error, not a silent fallback.
  TCustomBitmap32 b;
  TCustomBackend::Create<TMMFBackend>(&b, false, String(u"/proc/qn-no-such-place/map.bin"));
  try {
    b.SetSize(2, 2);
    FAIL() << "no exception";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), u"Failed to create map file (/proc/qn-no-such-place/map.bin)");
  }
  EXPECT_EQ(b.Width(), 0);
}

TEST(Pix32_Backends_qn, RequireBackendSupportAndRestore) {
  TABBitmap b;
  b.SetSize(5, 4);
  Fill(b, 7);
  const auto before = Pixels(b);
  TCustomBackend* original = b.Backend();
  TCustomBackend* released = nullptr;

  RequireBackendSupport(&b, {ITestA::IID}, TRequireOperatorMode::romAnd, false, released);
  EXPECT_EQ(released, nullptr);
  EXPECT_EQ(b.Backend(), original);
  RequireBackendSupport(&b, {ITestB::IID, ITestA::IID}, TRequireOperatorMode::romOr, false, released);
  EXPECT_EQ(released, nullptr);

  RequireBackendSupport(&b, {ITestA::IID, ITestB::IID}, TRequireOperatorMode::romAnd, false, released);
  ASSERT_EQ(released, original);
  EXPECT_EQ(b.Backend()->ClassName(), u"TTestABBackend");
  EXPECT_EQ(Pixels(b), before);
  b.SetPixel(0, 0, 0x01010101u);  // drawn while switched
  RestoreBackend(&b, released);
  EXPECT_EQ(b.Backend(), original);
  EXPECT_EQ(b.GetPixel(0, 0), 0x01010101u);  // copied back
  EXPECT_EQ(original->RefCount(), 1);
  RestoreBackend(&b, nullptr);
  EXPECT_EQ(b.Backend(), original);

  // An empty list always switches; a destructive switch drops the pixels.
  RequireBackendSupport(&b, {}, TRequireOperatorMode::romOr, true, released);
  ASSERT_NE(released, nullptr);
  EXPECT_TRUE(b.Empty());
  RestoreBackend(&b, released);
  EXPECT_EQ(b.Backend(), original);
  EXPECT_TRUE(b.Empty());
}

}  // namespace t_pix32_backends_test
