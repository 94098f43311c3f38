// Gallery page "treekeyboard": string trees driven from the keyboard.
#include "examples/gallery/Gallery.h"
#include "examples/gallery/TreeKeyboardSheet.h"
#include "platform/desktop/Desktop.h"

namespace gallery {

std::vector<std::string> TreeKeyboardPage(const std::string& outDir) {
  std::string path = outDir + "/tree-keyboard.png";
  vcl::SavePng(TTreeKeyboardSheet::Render(HoldSheet), path);
  return {path};
}

}  // namespace gallery
