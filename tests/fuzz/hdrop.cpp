// Random bytes as a file-drop block: the queries stay inside the block and
// the caller's buffers, agree with each other (the length asked with a nil
// buffer is what a large enough buffer receives, a short buffer gets a
// prefix of it), and never report more names than the block could hold.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "package/Quarn.h"
#include "platform/shell/ShellAPI.h"

using namespace vcl;

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, size);
  if (size) std::memcpy(GlobalLock(h), data, size);
  GlobalUnlock(h);
  HDROP d = reinterpret_cast<HDROP>(h);
  UINT count = DragQueryFileW(d, 0xFFFFFFFF, nullptr, 0);
  Check(count == DragQueryFileA(d, 0xFFFFFFFF, nullptr, 0));
  Check(count <= size / 2 + 1);
  for (UINT i = 0; i < count && i < 64; ++i) {
    UINT n = DragQueryFileW(d, i, nullptr, 0);
    Check(n > 0 && n <= size);
    std::vector<char16_t> full(n + 1, u'#');
    Check(DragQueryFileW(d, i, full.data(), n + 1) == n && full[n] == 0);
    for (UINT k = 0; k < n; ++k) Check(full[k] != 0);
    UINT cut = n / 2 + 1;
    std::vector<char16_t> part(cut + 4, u'#');
    UINT got = DragQueryFileW(d, i, part.data(), cut);
    Check(got == cut - 1 && part[got] == 0 && part[cut] == u'#');
    Check(std::memcmp(part.data(), full.data(), got * 2) == 0);
    UINT an = DragQueryFileA(d, i, nullptr, 0);
    std::vector<char> narrow(an + 2, '#');
    Check(DragQueryFileA(d, i, narrow.data(), an + 1) == an && narrow[an] == 0 && narrow[an + 1] == '#');
  }
  Check(DragQueryFileW(d, count, nullptr, 0) == 0);
  POINT p;
  DragQueryPoint(d, &p);
  DragFinish(d);
  return 0;
}
