// Gallery page "vector": anti-aliased polygon fills, strokes and dashes. The
// sheet (shared with its golden test) gets a margin on the left for the
// names of its rows, and names over its columns and under its stars.
#include "examples/gallery/Gallery.h"
#include "examples/gallery/SheetImage.h"
#include "examples/gallery/VectorSheet.h"
#include "platform/desktop/Desktop.h"

namespace gallery {

std::vector<std::string> VectorPage(const std::string& outDir) {
  constexpr int kMargin = 96;
  const vcl::TScreenImage sheet = TVectorSheet::Render();
  vcl::TScreenImage img;
  img.Width = sheet.Width + kMargin;
  img.Height = sheet.Height;
  img.Pixels.assign(size_t(img.Width) * size_t(img.Height), 0xFFF3F4F6u);
  for (int y = 0; y < sheet.Height; ++y)
    for (int x = 0; x < sheet.Width; ++x)
      img.Pixels[size_t(y) * size_t(img.Width) + size_t(x + kMargin)] = sheet.Pixel(x, y);
  std::vector<TImageLabel> labels{
      {8, 52, u"RoundRect", true},   {8, 66, u"filled, outlined"},
      {8, 174, u"miter join", true}, {8, 254, u"bevel join", true},
      {8, 334, u"round join", true}, {8, 424, u"DashLineFS", true},
      {8, 438, u"two-colour"},       {8, 452, u"dashes"},
      {kMargin + 28, 24, u"radius 0"}, {kMargin + 233, 24, u"radius 5"},
      {kMargin + 438, 24, u"radius half the height"}};
  const char16_t* caps[3] = {u"butt cap", u"square cap", u"round cap"};
  for (int c = 0; c < 3; ++c) labels.push_back({kMargin + 40 + c * 205, 127, caps[c], true});
  labels.push_back({kMargin + 442, 540, u"even-odd", true});
  labels.push_back({kMargin + 553, 540, u"non-zero", true});
  std::string path = outDir + "/vector.png";
  vcl::SavePng(WithLabels(img, labels), path);
  return {path};
}

}  // namespace gallery
