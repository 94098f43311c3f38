// The gallery's vector sheet against its golden image.
#include <gtest/gtest.h>

#include "examples/gallery/VectorSheet.h"
#include "tests/common/Golden.h"

namespace t_vector_gallery_test {

// A pixel differs when any colour byte is off by more than 2, and none may:
// the rasterizer is exact-area single-precision arithmetic with no platform
// dependency, so the margin only absorbs a changed rounding in the last bit.
TEST(Pix32_Polygons_qn, GallerySheetMatchesGolden) {
  auto sheet = gallery::TVectorSheet::Render();
  qntest::ExpectMatchesGolden(sheet, "vector", 2, 0);
}

}  // namespace t_vector_gallery_test
