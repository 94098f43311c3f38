// The gallery's GDI sheet against its golden image.
#include <gtest/gtest.h>

#include "examples/gallery/GdiSheet.h"
#include "tests/common/Golden.h"

namespace t_gdi_gallery_test {

using namespace vcl;

// Tolerance: a pixel differs when any of its colour bytes is off by more than
// 2; at most 16 pixels may differ. GDI is integer arithmetic apart
// from the curve edges, so the margin is for floating-point rounding only.
TEST(Platform_Gdi, GallerySheetMatchesGolden) {
  auto sheet = gallery::TGdiSheet::Render();
  qntest::ExpectMatchesGolden(sheet, "gdi", 2, 16);
}

}  // namespace t_gdi_gallery_test
