// The vector layer's units, registered with the raster units they build on.
#include "graphics/vector/Pix32_Polygons_qn.h"
#include "platform/rtl/Units.h"

namespace qn {

void RegisterVectorUnits() {
  RegisterUnit({"Pix32_Polygons_qn", {"Pix32_Blend_qn"}, InitPix32Polygons, DonePix32Polygons});
}

}  // namespace qn
