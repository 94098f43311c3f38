// Gallery page "gdiplus": the GDI+ object layer's sheet.
#include "examples/gallery/Gallery.h"
#include "examples/gallery/GdiplusSheet.h"
#include "platform/desktop/Desktop.h"

namespace gallery {

std::vector<std::string> GdiplusPage(const std::string& outDir) {
  std::string path = outDir + "/gdiplus.png";
  vcl::SavePng(TGdiplusSheet::Render(), path);
  return {path};
}

}  // namespace gallery
