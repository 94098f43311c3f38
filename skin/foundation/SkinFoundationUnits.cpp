// The skin foundation's units, registered with the graphics units they draw
// with.
#include "platform/rtl/Units.h"
#include "skin/foundation/uQnPix32Lib.h"
#include "skin/foundation/uQnSimpleTimer.h"
#include "skin/foundation/uQuarnResManager.h"
#include "skin/foundation/uSimpleTimer.h"

namespace qn {

void RegisterSkinFoundationUnits() {
  RegisterUnit({"uQuarnResManager", {"Pix32_Polygons_qn", "Pix32_Backends_VCL_qn", "PngImage", "Jpeg"}, InitQuarnResManager,
                DoneQuarnResManager});
  RegisterUnit({"uQnPix32Lib", {"uQuarnResManager", "Pix32_Resamplers_qn"}, nullptr, DoneQnPix32Lib});
  RegisterUnit({"uSimpleTimer", {"Messages"}, nullptr, DoneSimpleTimer});
  RegisterUnit({"uQnSimpleTimer", {"Messages"}, nullptr, DoneQnSimpleTimer});
}

}  // namespace qn
