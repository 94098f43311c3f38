#include <gtest/gtest.h>

#include <string>

#include "graphics/raster/Pix32_Bindings_qn.h"
#include "graphics/raster/Pix32_System_qn.h"
#include "platform/desktop/Desktop.h"
#include "tests/common/TestSupport.h"

namespace t_pix32_system_test {

using namespace qn;
using ci = TCPUInstructionSet;

namespace {

// A fake processor: answers to the leaves a test sets up.
struct FakeCPU {
  bool toggle = true;
  Cardinal family = 6;
  Cardinal edx1 = 0, ecx1 = 0, maxExt = 0, edxExt = 0, ebx7 = 0;
  UInt64 xcr0 = 0;
};
FakeCPU g_cpu;

const TCPUIDSource kFake{
    [] { return g_cpu.toggle; },
    [](Cardinal leaf, Cardinal, Cardinal r[4]) {
      r[0] = r[1] = r[2] = r[3] = 0;
      if (leaf == 0) r[0] = 7;
      if (leaf == 1) { r[0] = g_cpu.family << 8; r[2] = g_cpu.ecx1; r[3] = g_cpu.edx1; }
      if (leaf == 7) r[1] = g_cpu.ebx7;
      if (leaf == 0x80000000u) r[0] = g_cpu.maxExt;
      if (leaf == 0x80000001u && g_cpu.maxExt > 0x80000000u) r[3] = g_cpu.edxExt;
    },
    [] { return g_cpu.xcr0; }};

class Pix32_System_qn : public ::testing::Test {
 protected:
  void SetUp() override { g_cpu = FakeCPU{}; SetCPUIDSource(&kFake); }
  void TearDown() override { SetCPUIDSource(nullptr); }
};

}  // namespace

TEST_F(Pix32_System_qn, NoCPUIDOrOldFamilyReportsNothing) {
  g_cpu.edx1 = 0xFFFFFFFF;
  g_cpu.maxExt = 0x80000008u;
  g_cpu.edxExt = 0xFFFFFFFF;
  g_cpu.toggle = false;
  SetCPUIDSource(&kFake);
  EXPECT_TRUE(CPUFeatures().empty());
  g_cpu.toggle = true;
  g_cpu.family = 4;
  SetCPUIDSource(&kFake);
  EXPECT_TRUE(CPUFeatures().empty());
  g_cpu.family = 5;
  SetCPUIDSource(&kFake);
  EXPECT_EQ(CPUFeatures(), (TCPUFeatures{ci::ciMMX, ci::ciEMMX, ci::ciSSE, ci::ciSSE2, ci::ci3DNow, ci::ci3DNowExt}));
}

TEST_F(Pix32_System_qn, SSEWithoutExtendedLeafStillHasEMMX) {
  g_cpu.edx1 = 0x02000000u | 0x00800000u;
  SetCPUIDSource(&kFake);
  EXPECT_EQ(CPUFeatures(), (TCPUFeatures{ci::ciMMX, ci::ciEMMX, ci::ciSSE}));
  // Without SSE, the extended MMX needs the extended leaf's bit 22.
  g_cpu.edx1 = 0x00800000u;
  g_cpu.edxExt = 0x00400000u;
  SetCPUIDSource(&kFake);
  EXPECT_FALSE(HasInstructionSet(ci::ciEMMX));
  g_cpu.maxExt = 0x80000001u;
  EXPECT_TRUE(HasInstructionSet(ci::ciEMMX));
  EXPECT_FALSE(HasInstructionSet(ci::ci3DNow));
}

TEST_F(Pix32_System_qn, AVX2NeedsTheSystemToSaveVectorState) {
  g_cpu.edx1 = 0x06800000u;
  g_cpu.ecx1 = (1u << 27) | (1u << 28);
  g_cpu.ebx7 = 1u << 5;
  EXPECT_FALSE(HasInstructionSet(ci::ciAVX2));
  g_cpu.xcr0 = 7;
  EXPECT_TRUE(HasInstructionSet(ci::ciAVX2));
  g_cpu.ecx1 = 1u << 28;  // no OSXSAVE
  EXPECT_FALSE(HasInstructionSet(ci::ciAVX2));
}

TEST_F(Pix32_System_qn, FeatureSetIsCachedUntilTheSourceChanges) {
  g_cpu.edx1 = 0x04000000u;
  SetCPUIDSource(&kFake);
  EXPECT_TRUE(CPUFeatures().Contains(ci::ciSSE2));
  g_cpu.edx1 = 0;
  EXPECT_TRUE(CPUFeatures().Contains(ci::ciSSE2));
  EXPECT_FALSE(HasInstructionSet(ci::ciSSE2));  // the probe itself does not cache
}

TEST_F(Pix32_System_qn, HostProcessorHasSSE2AndAProcessorCount) {
  SetCPUIDSource(nullptr);
#if defined(__x86_64__)
  EXPECT_TRUE(CPUFeatures().Contains(ci::ciSSE2));
#endif
  EXPECT_GE(GetProcessorCount(), 1u);
}

TEST(Pix32_System_qn_Timer, PerfTimerReadsTheOneClock) {
  // A virtual second is exactly 10^6 microseconds and 10^9 nanoseconds.
  const bool wasVirtual = IsVirtualClock();
  SetVirtualClock(true);
  TPerfTimer t;
  t.Start();
  AdvanceClock(1000);
  EXPECT_EQ(t.ReadValue(), 1000000);
  EXPECT_EQ(t.ReadNanoseconds(), u"1000000000");
  EXPECT_EQ(t.ReadMilliseconds(), u"1000.000");
  EXPECT_EQ(t.ReadSeconds(), u"1.000");
  AdvanceClock(1);
  EXPECT_EQ(t.ReadMilliseconds(), u"1001.000");
  // With a point whatever locale the program set.
  for (const char* name : qntest::kOtherLocales) {
    qntest::TProgramLocale locale(name);
    ASSERT_TRUE(locale.Ok()) << name << ": the machine lacks the locale (scripts/setup generates it)";
    EXPECT_EQ(t.ReadMilliseconds(), u"1001.000") << name;
    EXPECT_EQ(t.ReadSeconds(), u"1.001") << name;
  }
  SetVirtualClock(wasVirtual);
  ASSERT_NE(GlobalPerfTimer, nullptr);
}

}  // namespace t_pix32_system_test
