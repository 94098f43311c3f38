// Processor feature probe and the high-resolution interval timer.
#pragma once
#include "platform/rtl/MacroShield.h"

#include <cstdint>

#include "graphics/raster/QnBase.h"

namespace qn {

// The probed extensions. The first six keep their historical order (and bit
// positions in TCPUFeatures); AVX2 follows them, since it is the only
// extension beyond SSE2 that the x86-64 variants of this library use.
enum class TCPUInstructionSet : Byte { ciMMX, ciEMMX, ciSSE, ciSSE2, ci3DNow, ci3DNowExt, ciAVX2 };
using TCPUFeatures = TSet<TCPUInstructionSet>;

const char* CPUInstructionSetName(TCPUInstructionSet s);

// Where the probe gets its answers from. The default one executes CPUID; tests
// install their own to present processors this machine is not.
struct TCPUIDSource {
  // Whether bit 21 of the flags register can be toggled (CPUID exists).
  bool (*CanToggleIDFlag)();
  // Regs receives EAX, EBX, ECX, EDX of leaf Leaf (sub-leaf SubLeaf).
  void (*CPUID)(Cardinal Leaf, Cardinal SubLeaf, Cardinal Regs[4]);
  // XCR0, the register states the operating system saves (0 when XGETBV is unusable).
  UInt64 (*XCR0)();
};

const TCPUIDSource& DefaultCPUIDSource();
// Replaces the source (nullptr restores the default) and drops the cached
// feature set, so the next CPUFeatures() probes again.
void SetCPUIDSource(const TCPUIDSource* Source);

bool HasInstructionSet(TCPUInstructionSet InstructionSet);
TCPUFeatures CPUFeatures();
Cardinal GetProcessorCount();

class TPerfTimer : public TObject {
  QN_CLASS(TPerfTimer, TObject)
 public:
  void Start();
  // Microseconds.
  Int64 ReadValue();
  String ReadNanoseconds();
  String ReadMilliseconds();
  String ReadSeconds();

 private:
  void ReadStop();
  Int64 FFrequency = 0;
  Int64 FPerformanceCountStart = 0;
  Int64 FPerformanceCountStop = 0;
};

extern TPerfTimer* GlobalPerfTimer;

// The performance counter and its frequency (ticks per second).
Int64 QueryPerformanceCounterValue();
Int64 QueryPerformanceFrequencyValue();

}  // namespace qn

#include "platform/rtl/MacroShieldEnd.h"
