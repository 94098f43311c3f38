// Gallery page "treeedit": captions of string trees edited in place.
#include "examples/gallery/Gallery.h"
#include "examples/gallery/TreeEditSheet.h"
#include "platform/desktop/Desktop.h"

namespace gallery {

std::vector<std::string> TreeEditPage(const std::string& outDir) {
  std::string path = outDir + "/tree-edit.png";
  vcl::SavePng(TTreeEditSheet::Render(HoldSheet), path);
  return {path};
}

}  // namespace gallery
