// Gallery page "gdiplus": the GDI+ object layer's sheet.
#include "examples/gallery/Gallery.h"
#include "examples/gallery/GdiplusSheet.h"
#include "platform/gdi/GdiPng.h"

namespace gallery {

std::vector<std::string> GdiplusPage(const std::string& outDir) {
  std::string path = outDir + "/gdiplus.png";
  vcl::SaveSurfaceToPng(*TGdiplusSheet::Render(), path, true);
  return {path};
}

}  // namespace gallery
