// Gallery page "tree": the lazy tree's first picture, painted by PaintTree.
#include "examples/gallery/Gallery.h"
#include "examples/gallery/TreeSheet.h"
#include "platform/desktop/Desktop.h"

namespace gallery {

std::vector<std::string> TreePage(const std::string& outDir) {
  std::string path = outDir + "/tree.png";
  vcl::SavePng(TTreeSheet::Render(HoldSheet), path);
  return {path};
}

}  // namespace gallery
