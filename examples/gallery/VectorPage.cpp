// Gallery page "vector": anti-aliased polygon fills, strokes and dashes.
#include "examples/gallery/Gallery.h"
#include "examples/gallery/VectorSheet.h"
#include "platform/gdi/GdiPng.h"

namespace gallery {

std::vector<std::string> VectorPage(const std::string& outDir) {
  std::string path = outDir + "/vector.png";
  vcl::SaveSurfaceToPng(*TVectorSheet::Render(), path, true);
  return {path};
}

}  // namespace gallery
