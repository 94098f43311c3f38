#include "skin/foundation/uQnCBTM.h"

#include <array>
#include <mutex>
#include <utility>

namespace qn {

namespace {

std::array<TQnWinEventMethod, MaxInstructions>& Slots() {
  static std::array<TQnWinEventMethod, MaxInstructions> slots;
  return slots;
}

std::mutex& SlotLock() {
  static std::mutex m;
  return m;
}

template <int N>
void Trampoline(HWINEVENTHOOK Hook, DWORD Event, HWND Wnd, LONG IdObject, LONG IdChild, DWORD Thread, DWORD Time) {
  TQnWinEventMethod m;
  {
    std::lock_guard<std::mutex> g(SlotLock());
    m = Slots()[N];
  }
  if (m) m(Hook, Event, Wnd, IdObject, IdChild, Thread, Time);
}

template <int... N>
constexpr std::array<WINEVENTPROC, sizeof...(N)> MakeTable(std::integer_sequence<int, N...>) {
  return {&Trampoline<N>...};
}

constexpr auto kTable = MakeTable(std::make_integer_sequence<int, MaxInstructions>());

}  // namespace

WINEVENTPROC MakeInstruction(const TQnWinEventMethod& Method) {
  if (!Method) return nullptr;
  std::lock_guard<std::mutex> g(SlotLock());
  auto& slots = Slots();
  for (Integer i = 0; i < MaxInstructions; ++i)
    if (!slots[i]) {
      slots[i] = Method;
      return kTable[i];
    }
  return nullptr;
}

void FreeInstruction(WINEVENTPROC P) {
  if (!P) return;
  std::lock_guard<std::mutex> g(SlotLock());
  for (Integer i = 0; i < MaxInstructions; ++i)
    if (kTable[i] == P) Slots()[i] = nullptr;
}

Integer InstructionCount() {
  std::lock_guard<std::mutex> g(SlotLock());
  Integer n = 0;
  for (const auto& s : Slots())
    if (s) ++n;
  return n;
}

}  // namespace qn
