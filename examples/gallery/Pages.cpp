#include "examples/gallery/Gallery.h"

namespace gallery {

std::vector<Page> AllPages() {
  return {
  };
}

}  // namespace gallery
