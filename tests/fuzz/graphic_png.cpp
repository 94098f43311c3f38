// PNG files: whatever loads must draw, save and load back as the same
// picture; everything else must be rejected with the graphic's exceptions.
#include <cstdint>
#include <cstdlib>

#include "platform/vcl/Graphics.h"
#include "tests/fuzz/FuzzSupport.h"

using namespace vcl;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::PixelCap(Int64(1) << 20);
  fuzz::SkipPngChecksums();
  TPngImage png;
  TBytesStream in(TBytes(data, data + size));
  try {
    png.LoadFromStream(&in);
  } catch (const EInvalidGraphic&) {
    return 0;
  } catch (const EReadError&) {
    return 0;
  }
  std::vector<uint32_t> a, b;
  png.GetARGB(a);
  png.SetCompressionLevel(1);
  TBytesStream out;
  png.SaveToStream(&out);
  out.SetPosition(0);
  TPngImage again;
  again.LoadFromStream(&out);
  again.GetARGB(b);
  if (a != b || again.Header()->ColorType() != png.Header()->ColorType()) std::abort();
  TBitmap target(4, 4);
  target.Canvas()->Draw(0, 0, &png);
  TBitmap converted;
  converted.Assign(&png);
  if (converted.Width() != png.Width()) std::abort();
  return 0;
}
