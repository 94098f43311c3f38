// Gallery page "tree-dragimage": three selected nodes of a string tree
// dragged over another, caught with the faded picture over the target and
// its drop mark showing through, and the picture on its own.
#include "examples/gallery/Gallery.h"
#include "examples/gallery/TreeDragImageSheet.h"
#include "platform/desktop/Desktop.h"

namespace gallery {

std::vector<std::string> TreeDragImagePage(const std::string& outDir) {
  std::string path = outDir + "/tree-dragimage.png";
  vcl::SavePng(TTreeDragImageSheet::Render(HoldSheet), path);
  return {path};
}

}  // namespace gallery
