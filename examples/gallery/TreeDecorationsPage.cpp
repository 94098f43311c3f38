// Gallery page "treedecorations": tree lines, buttons, check sets and node
// images as the lazy tree draws them.
#include "examples/gallery/Gallery.h"
#include "examples/gallery/TreeDecorationsSheet.h"
#include "platform/desktop/Desktop.h"

namespace gallery {

std::vector<std::string> TreeDecorationsPage(const std::string& outDir) {
  std::string path = outDir + "/tree-decorations.png";
  vcl::SavePng(TTreeDecorationsSheet::Render(HoldSheet), path);
  return {path};
}

}  // namespace gallery
