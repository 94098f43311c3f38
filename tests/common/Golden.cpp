#include "tests/common/Golden.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/gdi/GdiPng.h"
#include "tests/common/TestSupport.h"

namespace qntest {

void ExpectMatchesGolden(const vcl::TScreenImage& picture, const std::string& name, int channelTolerance,
                         int allowedPixels) {
  std::string golden = SourceDir() + "/tests/golden/" + name + ".png";
  vcl::TScreenImage opaque = picture;
  for (uint32_t& p : opaque.Pixels) p |= 0xFF000000u;
  if (std::getenv("QN_UPDATE_GOLDEN")) vcl::SavePng(opaque, golden);
  auto want = vcl::LoadSurfaceFromPng(golden);
  ASSERT_EQ(want->Width, picture.Width);
  ASSERT_EQ(want->Height, picture.Height);
  int differing = 0;
  for (int y = 0; y < picture.Height; ++y)
    for (int x = 0; x < picture.Width; ++x) {
      uint32_t a = picture.Pixel(x, y), b = want->Pixel(x, y);
      for (int c = 0; c < 24; c += 8)
        if (std::abs(int((a >> c) & 0xFF) - int((b >> c) & 0xFF)) > channelTolerance) {
          ++differing;
          break;
        }
    }
  if (differing > allowedPixels) {
    std::string dir = MakeTempDir(name + "-golden");
    vcl::SavePng(opaque, dir + "/" + name + ".png");
    ADD_FAILURE() << differing << " pixels of " << name << " differ; the new rendering is in " << dir;
  }
}

}  // namespace qntest
