// Gallery page "text": fonts, text output and DrawText.
#include "examples/gallery/Gallery.h"
#include "examples/gallery/TextSheet.h"
#include "platform/gdi/GdiPng.h"

namespace gallery {

std::vector<std::string> RunTextPage(const std::string& outDir) {
  std::string path = outDir + "/text.png";
  vcl::SaveSurfaceToPng(*TTextSheet::Render(), path, true);
  return {path};
}

}  // namespace gallery
