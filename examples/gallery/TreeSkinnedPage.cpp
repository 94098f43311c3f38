// Gallery page "treeskinned": the skinned string and draw trees on a skinned
// form, framed by border panels, scrolled through the skin's own bars.
#include "examples/gallery/Gallery.h"
#include "examples/gallery/TreeSkinnedSheet.h"
#include "platform/desktop/Desktop.h"

namespace gallery {

std::vector<std::string> TreeSkinnedPage(const std::string& outDir) {
  std::string path = outDir + "/tree-skinned.png";
  // Live: the trees take the mouse and keys until the form is closed.
  vcl::SavePng(TTreeSkinnedSheet::Render(Hold), path);
  vcl::SetVirtualClock(false);
  return {path};
}

}  // namespace gallery
