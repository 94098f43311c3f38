// Gallery page "treestring": the string tree and the owner-draw tree.
#include "examples/gallery/Gallery.h"
#include "examples/gallery/TreeStringSheet.h"
#include "platform/desktop/Desktop.h"

namespace gallery {

std::vector<std::string> TreeStringPage(const std::string& outDir) {
  std::string path = outDir + "/tree-string.png";
  vcl::SavePng(TTreeStringSheet::Render(HoldSheet), path);
  return {path};
}

}  // namespace gallery
