// Gallery page "tree-dragdrop": a drag from one string tree into another,
// caught inside the drag loop: the target node highlighted, the drop mark
// below a row, and a folder opened by resting on it.
#include "examples/gallery/Gallery.h"
#include "examples/gallery/TreeDragDropSheet.h"
#include "platform/desktop/Desktop.h"

namespace gallery {

std::vector<std::string> TreeDragDropPage(const std::string& outDir) {
  std::string path = outDir + "/tree-dragdrop.png";
  vcl::SavePng(TTreeDragDropSheet::Render(HoldSheet), path);
  return {path};
}

}  // namespace gallery
