// The raster layer's units, registered with the uses that order their
// initialisation: processor probe first, then the registries, the routines
// bound through them, and the pixel unit that builds on those.
#include "graphics/raster/Pix32_Bindings_qn.h"
#include "graphics/raster/Pix32_Backends_Generic_qn.h"
#include "graphics/raster/Pix32_Backends_VCL_qn.h"
#include "graphics/raster/Pix32_Blend_qn.h"
#include "graphics/raster/Pix32_Filters_qn.h"
#include "graphics/raster/Pix32_Image_qn.h"
#include "graphics/raster/Pix32_LowLevel_qn.h"
#include "graphics/raster/Pix32_MicroTiles_qn.h"
#include "graphics/raster/Pix32_Math_qn.h"
#include "graphics/raster/Pix32_Rasterizers_qn.h"
#include "graphics/raster/Pix32_Resamplers_qn.h"
#include "graphics/raster/Pix32_Transforms_qn.h"
#include "graphics/raster/Pix32_VectorMaps_qn.h"
#include "graphics/raster/Pix32_RangeBars_qn.h"
#include "graphics/raster/Pix32_XPThemes_qn.h"
#include "graphics/raster/Pix32_qn.h"
#include "platform/rtl/Units.h"

namespace qn {

void RegisterRasterUnits() {
  RegisterUnit({"Pix32_System_qn", {"SysUtils"},
                [] {
                  CPUFeatures();
                  GlobalPerfTimer = new TPerfTimer();
                },
                [] { FreeAndNil(GlobalPerfTimer); }});
  RegisterUnit({"Pix32_Bindings_qn", {"Pix32_System_qn"}, nullptr, [] { FreeRegistries(); }});
  RegisterUnit({"Pix32_LowLevel_qn", {"Pix32_Bindings_qn"}, InitPix32LowLevel, [] { LowLevelRegistry = nullptr; }});
  RegisterUnit({"Pix32_Math_qn", {"Pix32_Bindings_qn"}, InitPix32Math, [] { MathRegistry = nullptr; }});
  RegisterUnit({"Pix32_qn", {"Pix32_Math_qn", "Pix32_LowLevel_qn", "Graphics"}, InitPix32, DonePix32});
  RegisterUnit({"Pix32_Blend_qn", {"Pix32_qn"}, InitPix32Blend, DonePix32Blend});
  RegisterUnit({"Pix32_Resamplers_qn", {"Pix32_Blend_qn", "Pix32_Transforms_qn"}, InitPix32Resamplers, DonePix32Resamplers});
  RegisterUnit({"Pix32_Transforms_qn", {"Pix32_Bindings_qn", "Pix32_qn"}, InitPix32Transforms,
                [] { TransformsRegistry = nullptr; }});
  RegisterUnit({"Pix32_Rasterizers_qn", {"Pix32_System_qn", "Pix32_Resamplers_qn"}, InitPix32Rasterizers,
                DonePix32Rasterizers});
  RegisterUnit({"Pix32_VectorMaps_qn", {"Pix32_qn"}, InitPix32VectorMaps, DonePix32VectorMaps});
  RegisterUnit({"Pix32_Backends_Generic_qn", {"SysUtils", "Pix32_qn"}, InitPix32BackendsGeneric,
                DonePix32BackendsGeneric});
  RegisterUnit({"Pix32_Filters_qn", {"Pix32_Bindings_qn", "Pix32_qn"}, InitPix32Filters, DonePix32Filters});
  RegisterUnit({"Pix32_Backends_VCL_qn", {"Pix32_Backends_Generic_qn", "Graphics"}, InitPix32BackendsVCL,
                DonePix32BackendsVCL});
  RegisterUnit({"Pix32_MicroTiles_qn", {"Pix32_Bindings_qn", "Pix32_LowLevel_qn"}, InitPix32MicroTiles,
                DonePix32MicroTiles});
  RegisterUnit({"Pix32_Image_qn", {"Pix32_Backends_VCL_qn", "Controls", "Pix32_MicroTiles_qn", "Pix32_RangeBars_qn"},
                InitPix32Image,
                DonePix32Image});
  RegisterUnit({"Pix32_XPThemes_qn", {"Controls"}, InitPix32XPThemes, DonePix32XPThemes});
  RegisterUnit({"Pix32_RangeBars_qn", {"Controls", "Pix32_XPThemes_qn"}, InitPix32RangeBars, nullptr});
}

}  // namespace qn
