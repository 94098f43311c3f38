// The gallery's text sheet against its golden image.
#include <gtest/gtest.h>

#include "examples/gallery/TextSheet.h"
#include "tests/common/Golden.h"

namespace t_text_gallery_test {

using namespace vcl;

// Tolerance: a pixel differs when any of its colour bytes is off by more than
// 2; at most 0.1 % of the pixels may differ. FreeType renders the installed
// faces deterministically, so the margin only absorbs rounding in the turned
// text; a changed face, size, hinting mode or layout moves far more pixels.
TEST(Platform_Text, GallerySheetMatchesGolden) {
  auto sheet = gallery::TTextSheet::Render();
  qntest::ExpectMatchesGolden(sheet, "text", 2, sheet.Width * sheet.Height / 1000);
}

}  // namespace t_text_gallery_test
