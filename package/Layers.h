// Each layer registers its units through one function, declared here and
// called bottom up, so the package knows every unit without static
// initialisers. A new layer adds its function here and in Layers.cpp.
#pragma once

namespace vcl {
void RegisterRtlUnits();
void RegisterClassesUnits();
void RegisterGdiUnits();
void RegisterUserUnits();
void RegisterDesktopUnits();
void RegisterVclUnits();
void RegisterOleAccUnits();
}  // namespace vcl

namespace qn {
void RegisterRasterUnits();
void RegisterVectorUnits();
void RegisterGdiplusUnits();
void RegisterSkinFoundationUnits();
void RegisterSkinFormsUnits();
void RegisterSkinControlsUnits();
void RegisterSkinExtendedUnits();
void RegisterTreeviewUnits();
void RegisterXmlUnits();
void RegisterAllLayerUnits();
}  // namespace qn
