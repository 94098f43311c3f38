#include "examples/gallery/Gallery.h"

namespace gallery {

std::vector<std::string> ProcessorPage(const std::string& outDir);

std::vector<Page> AllPages() {
  return {
      {"processor", ProcessorPage},
  };
}

}  // namespace gallery
