#include "graphics/raster/Pix32_System_qn.h"

#include "platform/user/User.h"

#include <charconv>
#include <cstdio>
#include <limits>
#include <thread>

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#define QN_X86 1
#endif

namespace qn {

namespace {

#ifdef QN_X86
bool HostCanToggleIDFlag() {
  // Every x86-64 processor has CPUID; the flag test only matters on 32-bit.
  return true;
}
void HostCPUID(Cardinal leaf, Cardinal subLeaf, Cardinal regs[4]) {
  unsigned a = 0, b = 0, c = 0, d = 0;
  __cpuid_count(leaf, subLeaf, a, b, c, d);
  regs[0] = a; regs[1] = b; regs[2] = c; regs[3] = d;
}
UInt64 HostXCR0() {
  Cardinal r[4];
  HostCPUID(1, 0, r);
  if (!(r[2] & (1u << 27))) return 0;  // no OSXSAVE: XGETBV would fault
  unsigned lo, hi;
  __asm__ volatile("xgetbv" : "=a"(lo), "=d"(hi) : "c"(0));
  return (UInt64(hi) << 32) | lo;
}
#else
bool HostCanToggleIDFlag() { return false; }
void HostCPUID(Cardinal, Cardinal, Cardinal regs[4]) { regs[0] = regs[1] = regs[2] = regs[3] = 0; }
UInt64 HostXCR0() { return 0; }
#endif

const TCPUIDSource kHostSource{HostCanToggleIDFlag, HostCPUID, HostXCR0};
const TCPUIDSource* gSource = &kHostSource;

TCPUFeatures gFeatures;
bool gFeaturesComputed = false;

Cardinal Edx(Cardinal leaf) {
  Cardinal r[4] = {0, 0, 0, 0};
  gSource->CPUID(leaf, 0, r);
  return r[3];
}

}  // namespace

const TCPUIDSource& DefaultCPUIDSource() { return kHostSource; }

void SetCPUIDSource(const TCPUIDSource* Source) {
  gSource = Source ? Source : &kHostSource;
  gFeaturesComputed = false;
}

const char* CPUInstructionSetName(TCPUInstructionSet s) {
  switch (s) {
    case TCPUInstructionSet::ciMMX: return "MMX";
    case TCPUInstructionSet::ciEMMX: return "EMMX";
    case TCPUInstructionSet::ciSSE: return "SSE";
    case TCPUInstructionSet::ciSSE2: return "SSE2";
    case TCPUInstructionSet::ci3DNow: return "3DNow";
    case TCPUInstructionSet::ci3DNowExt: return "3DNowExt";
    case TCPUInstructionSet::ciAVX2: return "AVX2";
  }
  return "?";
}

bool HasInstructionSet(TCPUInstructionSet InstructionSet) {
  if (!gSource->CanToggleIDFlag()) return false;
  Cardinal r[4] = {0, 0, 0, 0};
  gSource->CPUID(0, 0, r);
  const Cardinal maxLeaf = r[0];
  gSource->CPUID(1, 0, r);
  if (((r[0] >> 8) & 0xF) < 5) return false;
  const Cardinal edx1 = r[3];
  const Cardinal ecx1 = r[2];
  Cardinal ext[4] = {0, 0, 0, 0};
  gSource->CPUID(0x80000000u, 0, ext);
  const bool hasExt = ext[0] > 0x80000000u;
  using ci = TCPUInstructionSet;
  switch (InstructionSet) {
    case ci::ciMMX: return edx1 & 0x00800000u;
    case ci::ciEMMX:
      // The SSE extension includes the extended MMX instructions; older
      // processors announce them on the extended leaf.
      if (edx1 & 0x02000000u) return true;
      return hasExt && (Edx(0x80000001u) & 0x00400000u);
    case ci::ciSSE: return edx1 & 0x02000000u;
    case ci::ciSSE2: return edx1 & 0x04000000u;
    case ci::ci3DNow: return hasExt && (Edx(0x80000001u) & 0x80000000u);
    case ci::ci3DNowExt: return hasExt && (Edx(0x80000001u) & 0x40000000u);
    case ci::ciAVX2: {
      // The instructions alone are not enough: the system must save the
      // upper halves of the vector registers (XCR0 bits 1 and 2).
      if (maxLeaf < 7 || !(ecx1 & (1u << 27)) || !(ecx1 & (1u << 28))) return false;
      if ((gSource->XCR0() & 6) != 6) return false;
      Cardinal l7[4] = {0, 0, 0, 0};
      gSource->CPUID(7, 0, l7);
      return l7[1] & (1u << 5);
    }
  }
  return false;
}

TCPUFeatures CPUFeatures() {
  if (!gFeaturesComputed) {
    TCPUFeatures f;
    for (int i = 0; i <= static_cast<int>(TCPUInstructionSet::ciAVX2); ++i) {
      auto s = static_cast<TCPUInstructionSet>(i);
      if (HasInstructionSet(s)) f.Include(s);
    }
    gFeatures = f;
    gFeaturesComputed = true;
  }
  return gFeatures;
}

Cardinal GetProcessorCount() {
  unsigned n = std::thread::hardware_concurrency();
  return n ? n : 1;
}

// The platform's counter, so that timings follow the one clock (virtual in tests).
Int64 QueryPerformanceCounterValue() {
  Int64 v = 0;
  QueryPerformanceCounter(&v);
  return v;
}
Int64 QueryPerformanceFrequencyValue() {
  Int64 f = 0;
  QueryPerformanceFrequency(&f);
  return f;
}

TPerfTimer* GlobalPerfTimer = nullptr;

void TPerfTimer::Start() { FPerformanceCountStart = QueryPerformanceCounterValue(); }

void TPerfTimer::ReadStop() {
  FPerformanceCountStop = QueryPerformanceCounterValue();
  FFrequency = QueryPerformanceFrequencyValue();
}

namespace {
String Ascii(const char* s) {
  String r;
  for (; *s; ++s) r.push_back(static_cast<char16_t>(*s));
  return r;
}
}  // namespace

namespace {
// N / D rounded half to even, D > 0, saturated like the other roundings:
// the optimizer reads the timer once a paint, so the microseconds are worked
// out in integers rather than through an extended-precision library call.
Int64 RoundedQuotient(__int128 N, Int64 D) {
  __int128 q = N / D, r = N % D;
  if (r < 0) {
    q -= 1;
    r += D;
  }
  if (2 * r > D || (2 * r == D && (q & 1) != 0)) q += 1;
  if (q > std::numeric_limits<Int64>::max()) return std::numeric_limits<Int64>::max();
  if (q < std::numeric_limits<Int64>::min()) return std::numeric_limits<Int64>::min();
  return static_cast<Int64>(q);
}
}  // namespace

Int64 TPerfTimer::ReadValue() {
  ReadStop();
  Assert(FFrequency > 0);
  return RoundedQuotient(static_cast<__int128>(FPerformanceCountStop - FPerformanceCountStart) * 1000000, FFrequency);
}

String TPerfTimer::ReadNanoseconds() {
  ReadStop();
  Assert(FFrequency > 0);
  // Nanoseconds, as the name says (10^9 per second).
  Int64 v = Round(static_cast<Extended>(FPerformanceCountStop - FPerformanceCountStart) * 1000000000.0L / FFrequency);
  char buf[32];
  std::snprintf(buf, sizeof buf, "%lld", static_cast<long long>(v));
  return Ascii(buf);
}

namespace {
// With a point whatever locale the program chose with setlocale, which
// printf's %f would follow.
String ThreeDecimals(Extended v) {
  char buf[64];
  auto r = std::to_chars(buf, buf + sizeof buf - 1, v, std::chars_format::fixed, 3);
  *r.ptr = 0;  // too long to write (never a time): the text so far
  return Ascii(buf);
}
}  // namespace

String TPerfTimer::ReadMilliseconds() {
  ReadStop();
  Assert(FFrequency > 0);
  return ThreeDecimals(static_cast<Extended>(FPerformanceCountStop - FPerformanceCountStart) * 1000.0L / FFrequency);
}

String TPerfTimer::ReadSeconds() {
  ReadStop();
  return ThreeDecimals(FFrequency ? static_cast<Extended>(FPerformanceCountStop - FPerformanceCountStart) / FFrequency
                                  : 0.0L);
}

}  // namespace qn
