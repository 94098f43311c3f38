// Gallery page "treemouse": the lazy tree under scripted mouse gestures:
// rubber bands, a hot node and button, a pressed check box.
#include "examples/gallery/Gallery.h"
#include "examples/gallery/TreeMouseSheet.h"
#include "platform/desktop/Desktop.h"

namespace gallery {

std::vector<std::string> TreeMousePage(const std::string& outDir) {
  std::string path = outDir + "/tree-mouse.png";
  vcl::SavePng(TTreeMouseSheet::Render(HoldSheet), path);
  return {path};
}

}  // namespace gallery
