// The skin foundation's units, registered with the graphics units they draw
// with.
#include "platform/rtl/Units.h"
#include "skin/foundation/uQuarnResManager.h"

namespace qn {

void RegisterSkinFoundationUnits() {
  RegisterUnit({"uQuarnResManager", {"Pix32_Polygons_qn", "Pix32_Backends_VCL_qn", "PngImage", "Jpeg"}, InitQuarnResManager,
                DoneQuarnResManager});
}

}  // namespace qn
