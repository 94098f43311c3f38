// The vector layer's units, registered with the raster units they build on.
#include "graphics/vector/Pix32_ColorGradients_qn.h"
#include "graphics/vector/Pix32_Polygons_qn.h"
#include "graphics/vector/Pix32_Text_VCL_qn.h"
#include "platform/rtl/Units.h"

namespace qn {

void RegisterVectorUnits() {
  RegisterUnit({"Pix32_Polygons_qn", {"Pix32_Blend_qn"}, InitPix32Polygons, DonePix32Polygons});
  // Binds the sparse-point samplers' interpolation routines.
  RegisterUnit({"Pix32_ColorGradients_qn", {"Pix32_Bindings_qn", "Pix32_Polygons_qn"}, InitPix32ColorGradients,
                DonePix32ColorGradients});
  // Text to path for the bitmap backends goes through this unit's hooks.
  RegisterUnit({"Pix32_Text_VCL_qn", {"Pix32_Polygons_qn", "Pix32_Backends_VCL_qn"}, InitPix32TextVCL, DonePix32TextVCL});
}

}  // namespace qn
