// Gallery page "vector": anti-aliased polygon fills, strokes and dashes.
#include "examples/gallery/Gallery.h"
#include "examples/gallery/VectorSheet.h"
#include "platform/desktop/Desktop.h"

namespace gallery {

std::vector<std::string> VectorPage(const std::string& outDir) {
  std::string path = outDir + "/vector.png";
  vcl::SavePng(TVectorSheet::Render(), path);
  return {path};
}

}  // namespace gallery
