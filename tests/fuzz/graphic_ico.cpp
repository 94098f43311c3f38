// Icon files: whatever loads must make a handle, draw, save and load back
// as the same pictures; everything else must be rejected with the graphic's
// exceptions.
#include <cstdint>
#include <cstdlib>

#include "platform/vcl/Graphics.h"
#include "tests/fuzz/FuzzSupport.h"

using namespace vcl;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::PixelCap(Int64(1) << 18);
  fuzz::SkipPngChecksums();
  TIcon icon;
  TBytesStream in(TBytes(data, data + size));
  try {
    icon.LoadFromStream(&in);
  } catch (const EInvalidGraphic&) {
    return 0;
  } catch (const EReadError&) {
    return 0;
  }
  std::vector<uint32_t> px = icon.Pixels();
  TBytesStream out;
  icon.SaveToStream(&out);
  out.SetPosition(0);
  TIcon again;
  again.LoadFromStream(&out);
  if (again.Pixels() != px || again.ImageCount() != icon.ImageCount()) std::abort();
  if (!icon.Handle()) std::abort();
  TBitmap target(8, 8);
  target.Canvas()->Draw(0, 0, &icon);
  return 0;
}
