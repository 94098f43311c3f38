// The circle images of the "skinutils" page. GDI+ pictures are made here,
// apart from the page: the raster and GDI+ layers' MakeRect helpers cannot
// meet in one translation unit.
#include <cstdint>
#include <vector>

#include "gdiplus/Gdiplus_qn.h"
#include "platform/classes/ComStreams.h"
#include "platform/vcl/PngImage.h"
#include "skin/foundation/uQnComm_Gdip.h"

namespace gallery {

// Pixels (0x00RRGGBB, W x H) as a GDI+ image drawn into Rect of DC, clipped
// to its circle, with a ring in Border.
void DrawCircleImage(vcl::HDC DC, const vcl::TRect& Rect, const std::vector<uint32_t>& Pixels, int W, int H,
                     vcl::TColor Border) {
  using namespace qn;
  TPngImage png(COLOR_RGB, 8, W, H);
  for (int y = 0; y < H; ++y)
    for (int x = 0; x < W; ++x) {
      const uint32_t c = Pixels[size_t(y) * W + x];
      Byte* p = png.Scanline(y) + x * 3;
      p[0] = Byte(c), p[1] = Byte(c >> 8), p[2] = Byte(c >> 16);
    }
  TMemoryStream ms;
  png.SaveToStream(&ms);
  ms.SetPosition(0);
  TIntf<IStream> stream(new TStreamAdapter(&ms));
  TGpImage image(stream.get());
  DrawImageInCircle(DC, Rect, &image, Border);
}

}  // namespace gallery
