#include "package/Layers.h"

namespace qn {

void RegisterAllLayerUnits() {
  vcl::RegisterRtlUnits();
  vcl::RegisterClassesUnits();
  vcl::RegisterGdiUnits();
  vcl::RegisterUserUnits();
  vcl::RegisterDesktopUnits();
  vcl::RegisterVclUnits();
  vcl::RegisterOleAccUnits();
  RegisterRasterUnits();
  RegisterVectorUnits();
  RegisterGdiplusUnits();
  RegisterSkinFoundationUnits();
  RegisterSkinFormsUnits();
  RegisterSkinControlsUnits();
  RegisterSkinExtendedUnits();
  RegisterTreeviewUnits();
  RegisterXmlUnits();
}

}  // namespace qn
