// Gallery page "treeheader": the lazy tree's header painting.
#include "examples/gallery/Gallery.h"
#include "examples/gallery/TreeHeaderSheet.h"
#include "platform/desktop/Desktop.h"

namespace gallery {

std::vector<std::string> TreeHeaderPage(const std::string& outDir) {
  std::string path = outDir + "/tree-header.png";
  vcl::SavePng(TTreeHeaderSheet::Render(HoldSheet), path);
  return {path};
}

}  // namespace gallery
