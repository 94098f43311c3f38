// Gallery page "treeframe": the lazy tree's frames, backgrounds and blending.
#include "examples/gallery/Gallery.h"
#include "examples/gallery/TreeFrameSheet.h"
#include "platform/desktop/Desktop.h"

namespace gallery {

std::vector<std::string> TreeFramePage(const std::string& outDir) {
  std::string path = outDir + "/tree-frame.png";
  vcl::SavePng(TTreeFrameSheet::Render(HoldSheet), path);
  return {path};
}

}  // namespace gallery
