// Gallery page "gdi": the host layer's GDI sheet.
#include "examples/gallery/GdiSheet.h"
#include "examples/gallery/Gallery.h"
#include "platform/desktop/Desktop.h"

namespace gallery {

std::vector<std::string> RunGdiPage(const std::string& outDir) {
  std::string path = outDir + "/gdi.png";
  vcl::SavePng(TGdiSheet::Render(), path);
  return {path};
}

}  // namespace gallery
