// JPEG files: whatever decodes must encode and decode again at its size;
// everything else must be rejected with the graphic's exceptions.
#include <cstdint>
#include <cstdlib>

#include "platform/vcl/Graphics.h"
#include "tests/fuzz/FuzzSupport.h"

using namespace vcl;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::PixelCap(Int64(1) << 18);
  TJPEGImage jpeg;
  TBytesStream in(TBytes(data, data + size));
  try {
    jpeg.LoadFromStream(&in);
  } catch (const EInvalidGraphic&) {
    return 0;
  } catch (const EReadError&) {
    return 0;
  }
  TJPEGImage copy;
  copy.Assign(jpeg.Bitmap());
  copy.SetCompressionQuality(50);
  TBytesStream out;
  copy.SaveToStream(&out);
  out.SetPosition(0);
  TJPEGImage again;
  again.LoadFromStream(&out);
  if (again.Width() != jpeg.Width() || again.Height() != jpeg.Height()) std::abort();
  return 0;
}
