// Gallery page "treeheadermouse": the lazy tree's header under scripted mouse
// gestures: a column dragged with its translucent picture, a pressed and a
// hot cell.
#include "examples/gallery/Gallery.h"
#include "examples/gallery/TreeHeaderMouseSheet.h"
#include "platform/desktop/Desktop.h"

namespace gallery {

std::vector<std::string> TreeHeaderMousePage(const std::string& outDir) {
  std::string path = outDir + "/tree-headermouse.png";
  vcl::SavePng(TTreeHeaderMouseSheet::Render(HoldSheet), path);
  return {path};
}

}  // namespace gallery
