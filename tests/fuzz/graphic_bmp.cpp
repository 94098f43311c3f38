// BMP files of any kind: whatever loads must save and load back as the same
// picture; everything else must be rejected with the graphic's exceptions.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "platform/vcl/Graphics.h"
#include "tests/fuzz/FuzzSupport.h"

using namespace vcl;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::PixelCap(Int64(1) << 20);
  TBitmap b;
  TBytesStream in(TBytes(data, data + size));
  try {
    b.LoadFromStream(&in);
  } catch (const EInvalidGraphic&) {
    return 0;
  } catch (const EReadError&) {
    return 0;
  }
  TBytesStream out;
  b.SaveToStream(&out);
  out.SetPosition(0);
  TBitmap c;
  c.LoadFromStream(&out);
  if (c.Width() != b.Width() || c.Height() != b.Height() || c.PixelFormat() != b.PixelFormat()) std::abort();
  for (Integer y = 0; y < b.Height(); ++y)
    if (std::memcmp(b.ScanLine(y), c.ScanLine(y), size_t(b.BytesPerScanLine())) != 0) std::abort();
  if (!b.Empty()) b.Canvas()->Pixels(0, 0);
  return 0;
}
