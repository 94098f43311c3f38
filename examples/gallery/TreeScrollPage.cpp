// Gallery page "treescroll": the lazy tree scrolled, with its native bars
// and its wheel-panning markers.
#include "examples/gallery/Gallery.h"
#include "examples/gallery/TreeScrollSheet.h"
#include "platform/desktop/Desktop.h"

namespace gallery {

std::vector<std::string> TreeScrollPage(const std::string& outDir) {
  std::string path = outDir + "/tree-scroll.png";
  vcl::SavePng(TTreeScrollSheet::Render(HoldSheet), path);
  return {path};
}

}  // namespace gallery
