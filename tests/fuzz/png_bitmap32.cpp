// PNG streams into a bitmap: either they load, and then the picture saves
// with its alpha and loads back to the same pixels, or they raise and the
// bitmap keeps its size and pixels.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "graphics/raster/uPix32_PNG.h"
#include "package/Quarn.h"
#include "platform/classes/Streams.h"
#include "tests/fuzz/FuzzSupport.h"

using namespace qn;

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

std::vector<TColor32> Pixels(const TCustomBitmap32& b) {
  if (b.Empty()) return {};
  return std::vector<TColor32>(b.Bits(), b.Bits() + size_t(b.Width()) * size_t(b.Height()));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool initialized = [] {
    qn::Initialize();
    return true;
  }();
  (void)initialized;
  fuzz::PixelCap(Int64(1) << 20);
  fuzz::SkipPngChecksums();
  TBytesStream in(TBytes(data, data + size));
  TBitmap32 b;
  b.SetSize(2, 3);
  for (Integer i = 0; i < 6; ++i) b.Bits()[i] = 0x11223344u * Cardinal(i + 1);
  const auto before = Pixels(b);
  bool alpha = false;
  try {
    LoadPNGintoBitmap32(&b, &in, alpha);
  } catch (const Exception&) {
    Check(b.Width() == 2 && b.Height() == 3 && Pixels(b) == before);
    return 0;
  }
  if (!alpha)
    for (TColor32 p : Pixels(b)) Check((p >> 24) == 0xFF);
  TPngImage png;
  Check(SaveBitmap32ToPNG(&b, &png));
  TBytesStream out;
  png.SaveToStream(&out);
  out.SetPosition(0);
  TBitmap32 c;
  LoadPNGintoBitmap32(&c, &out);
  Check(c.Width() == b.Width() && c.Height() == b.Height() && Pixels(c) == Pixels(b));
  return 0;
}
