// Gallery page "treetoggle": a tree expanding and one collapsing with the
// toggle animation, as frames of the animation and the finished picture.
#include "examples/gallery/Gallery.h"
#include "examples/gallery/TreeToggleSheet.h"
#include "platform/desktop/Desktop.h"

namespace gallery {

std::vector<std::string> TreeTogglePage(const std::string& outDir) {
  std::string path = outDir + "/tree-toggle.png";
  vcl::SavePng(TTreeToggleSheet::Render(HoldSheet), path);
  return {path};
}

}  // namespace gallery
