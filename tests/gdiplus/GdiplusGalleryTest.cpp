// The gallery's GDI+ sheet against its golden image: joins, fill modes,
// smoothing, text layout and the clipped picture all in one picture.
#include <gtest/gtest.h>

#include "examples/gallery/GdiplusSheet.h"
#include "tests/common/Golden.h"

namespace t_gdiplus_gallery_test {

// A few pixels may differ by more than 2: glyph outlines and curve
// flattening pass through floating point that optimisation may reorder.
TEST(Gdiplus_qn, GallerySheetMatchesItsGoldenImage) {
  auto sheet = gallery::TGdiplusSheet::Render();
  qntest::ExpectMatchesGolden(sheet, "gdiplus", 2, 40);
}

}  // namespace t_gdiplus_gallery_test
