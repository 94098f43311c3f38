// Gallery page "text": fonts, text output and DrawText.
#include "examples/gallery/Gallery.h"
#include "examples/gallery/TextSheet.h"
#include "platform/desktop/Desktop.h"

namespace gallery {

std::vector<std::string> RunTextPage(const std::string& outDir) {
  std::string path = outDir + "/text.png";
  vcl::SavePng(TTextSheet::Render(), path);
  return {path};
}

}  // namespace gallery
