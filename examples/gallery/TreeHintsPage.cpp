// Gallery page "treehints": tree hints brought up by scripted hovers: a
// tooltip over a cut-off cell, a node hint of several lines, an owner-drawn
// hint and a column hint.
#include "examples/gallery/Gallery.h"
#include "examples/gallery/TreeHintsSheet.h"
#include "platform/desktop/Desktop.h"

namespace gallery {

std::vector<std::string> TreeHintsPage(const std::string& outDir) {
  std::string path = outDir + "/tree-hints.png";
  vcl::SavePng(TTreeHintsSheet::Render(HoldSheet), path);
  return {path};
}

}  // namespace gallery
