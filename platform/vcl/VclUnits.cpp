#include "platform/rtl/Units.h"
#include "platform/vcl/Clipbrd.h"
#include "platform/vcl/Controls.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/Graphics.h"

namespace vcl {

void RegisterVclUnits() {
  RegisterUnit({"Graphics", {"Classes"}, RegisterGraphicsFileFormats,
                [] { TPicture::UnregisterGraphicClass(TGraphic::StaticClass()); }});
  RegisterUnit({"PngImage", {"Graphics"}, RegisterPngFileFormat, nullptr});
  RegisterUnit({"Jpeg", {"Graphics"}, RegisterJpegFileFormat, nullptr});
  RegisterUnit({"Clipbrd", {"Graphics"}, nullptr, DoneClipboard});
  RegisterUnit({"Controls", {"Graphics", "Messages"}, InitControls, DoneControls});
  RegisterUnit({"Forms", {"Controls"}, InitForms, DoneForms});
}

}  // namespace vcl
