// The gallery's GDI sheet against its golden image.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "examples/gallery/GdiSheet.h"
#include "platform/gdi/GdiPng.h"
#include "tests/common/TestSupport.h"

using namespace vcl;

// Tolerance: a pixel differs when any of its colour bytes is off by more than
// 2; at most 16 pixels may differ. GDI is integer arithmetic apart
// from the curve edges, so the margin is for floating-point rounding only.
// QN_UPDATE_GOLDEN=1 rewrites the golden image from the current rendering.
TEST(Platform_Gdi, GallerySheetMatchesGolden) {
  auto sheet = gallery::TGdiSheet::Render();
  std::string golden = qntest::SourceDir() + "/tests/golden/gdi.png";
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
  const int allowed = 16;
  if (differing > allowed) {
    std::string dir = qntest::MakeTempDir("gdi-golden");
    SaveSurfaceToPng(*sheet, dir + "/gdi.png", true);
    ADD_FAILURE() << differing << " pixels differ; the new rendering is in " << dir;
  }
}
