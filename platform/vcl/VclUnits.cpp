#include "platform/rtl/Units.h"
#include "platform/vcl/Graphics.h"

namespace vcl {

void RegisterVclUnits() {
  RegisterUnit({"Graphics", {"Classes"}, RegisterGraphicsFileFormats,
                [] { TPicture::UnregisterGraphicClass(TGraphic::StaticClass()); }});
  RegisterUnit({"PngImage", {"Graphics"}, RegisterPngFileFormat, nullptr});
  RegisterUnit({"Jpeg", {"Graphics"}, RegisterJpegFileFormat, nullptr});
}

}  // namespace vcl
