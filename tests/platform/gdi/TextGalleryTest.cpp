// The gallery's text sheet against its golden image.
#include <gtest/gtest.h>

#include <cstdlib>

#include "examples/gallery/TextSheet.h"
#include "platform/gdi/GdiPng.h"
#include "tests/common/TestSupport.h"

using namespace vcl;

// Tolerance: a pixel differs when any of its colour bytes is off by more than
// 2; at most 0.1 % of the pixels may differ. FreeType renders the installed
// faces deterministically, so the margin only absorbs rounding in the turned
// text; a changed face, size, hinting mode or layout moves far more pixels.
// QN_UPDATE_GOLDEN=1 rewrites the golden image from the current rendering.
TEST(Platform_Text, GallerySheetMatchesGolden) {
  auto sheet = gallery::TTextSheet::Render();
  std::string golden = qntest::SourceDir() + "/tests/golden/text.png";
  if (std::getenv("QN_UPDATE_GOLDEN")) SaveSurfaceToPng(*sheet, golden, true);
  auto want = LoadSurfaceFromPng(golden);
  ASSERT_EQ(want->Width, sheet->Width);
  ASSERT_EQ(want->Height, sheet->Height);
  int differing = 0;
  for (int y = 0; y < sheet->Height; ++y)
    for (int x = 0; x < sheet->Width; ++x) {
      uint32_t a = sheet->Pixel(x, y), b = want->Pixel(x, y);
      for (int c = 0; c < 24; c += 8)
        if (std::abs(int((a >> c) & 0xFF) - int((b >> c) & 0xFF)) > 2) {
          ++differing;
          break;
        }
    }
  int allowed = sheet->Width * sheet->Height / 1000;
  if (differing > allowed) {
    std::string dir = qntest::MakeTempDir("text-golden");
    SaveSurfaceToPng(*sheet, dir + "/text.png", true);
    ADD_FAILURE() << differing << " pixels differ; the new rendering is in " << dir;
  }
}
