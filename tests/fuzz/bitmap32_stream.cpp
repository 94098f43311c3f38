// A bitmap's own readers of outside data: BMP streams (anything that is not
// a plain 32-bit BMP goes on to the platform's decoders) and the "Data"
// blocks of form files. The first byte picks the reader. Either the data
// loads, and then saves and loads back to the same pixels, or it raises and
// the bitmap keeps its size and pixels.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "graphics/raster/Pix32_qn.h"
#include "package/Quarn.h"
#include "platform/classes/Streams.h"
#include "platform/vcl/Graphics.h"
#include "tests/fuzz/FuzzSupport.h"

using namespace qn;

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

class TProbe : public TBitmap32 {
 public:
  using TBitmap32::ReadData;
  using TBitmap32::WriteData;
};

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
  if (size < 1) return 0;
  fuzz::PixelCap(Int64(1) << 20);
  const bool dataBlock = data[0] & 1;
  TBytesStream in(TBytes(data + 1, data + size));

  TProbe b;
  b.SetSize(3, 2);
  for (Integer i = 0; i < 6; ++i) b.Bits()[i] = 0x01020304u * Cardinal(i + 1);
  const auto before = Pixels(b);
  try {
    if (dataBlock)
      b.ReadData(&in);
    else
      b.LoadFromStream(&in);
  } catch (const Exception&) {
    Check(b.Width() == 3 && b.Height() == 2 && Pixels(b) == before);
    return 0;
  }

  TBytesStream out;
  TProbe c;
  if (dataBlock) {
    b.WriteData(&out);
    out.SetPosition(0);
    c.ReadData(&out);
  } else {
    b.SaveToStream(&out, data[0] & 2);
    out.SetPosition(0);
    c.LoadFromStream(&out);
  }
  Check(c.Width() == b.Width() && c.Height() == b.Height() && Pixels(c) == Pixels(b));
  return 0;
}
