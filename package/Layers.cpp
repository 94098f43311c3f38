#include "package/Layers.h"

namespace qn {

void RegisterAllLayerUnits() {
  vcl::RegisterRtlUnits();
  vcl::RegisterClassesUnits();
  vcl::RegisterGdiUnits();
  RegisterRasterUnits();
}

}  // namespace qn
