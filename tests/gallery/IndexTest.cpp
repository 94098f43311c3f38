// The gallery's face: the caption band above a page's pictures and the index
// page that lists them.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "examples/gallery/Gallery.h"
#include "platform/desktop/Desktop.h"
#include "platform/vcl/PngImage.h"
#include "tests/common/TestSupport.h"

namespace t_index_test {

namespace {

using namespace gallery;
namespace fs = std::filesystem;

class Gallery_Index : public ::testing::Test {
 protected:
  void SetUp() override {
    Dir = qntest::TempFile(std::string("index-") + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(Dir);
    fs::create_directories(Dir);
  }
  void TearDown() override { fs::remove_all(Dir); }

  // A picture of W x H: red left half, blue right half.
  std::string Picture(const std::string& name, int w, int h) {
    vcl::TScreenImage img;
    img.Width = w;
    img.Height = h;
    img.Pixels.resize(size_t(w) * h);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) img.Pixels[size_t(y) * w + x] = x < w / 2 ? 0xFFD02020u : 0xFF2040D0u;
    const std::string path = (Dir / name).string();
    vcl::SavePng(img, path);
    return path;
  }

  static std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }

  fs::path Dir;
};

std::vector<std::string> NoRun(const std::string&) { return {}; }

TEST_F(Gallery_Index, CaptionBandGoesAboveThePictureAndLeavesItWhole) {
  const std::string path = Picture("plain.png", 200, 60);
  const Page page{"plain", NoRun, kGraphics, "A title", "One sentence that says what the picture shows."};
  CaptionPictures(page, {path});
  vcl::TPngImage png;
  png.LoadFromFile(vcl::FromUtf8(path));
  ASSERT_EQ(png.Width(), 200);
  const int band = png.Height() - 60;
  // Room for a title and a sentence, each at least a line of text.
  EXPECT_GE(band, 40);
  EXPECT_LE(band, 120);
  // The picture sits unchanged under the band (rows hold blue, green, red).
  for (int y : {band, band + 30, band + 59})
    for (int x : {0, 99, 100, 199}) {
      const vcl::Byte* p = png.Scanline(y) + x * 3;
      const bool left = x < 100;
      EXPECT_EQ(p[2], left ? 0xD0 : 0x20) << x << "," << y;
      EXPECT_EQ(p[0], left ? 0x20 : 0xD0) << x << "," << y;
    }
  // The band's corner is its light colour, and text darkens part of it.
  const vcl::Byte* corner = png.Scanline(2) + 2 * 3;
  EXPECT_GT(corner[0], 240);
  int dark = 0;
  for (int y = 0; y < band; ++y)
    for (int x = 0; x < 200; ++x) dark += png.Scanline(y)[x * 3 + 1] < 100;
  EXPECT_GT(dark, 50);
}

TEST_F(Gallery_Index, FilesThatAreNotPicturesAreLeftAsTheyAre) {
  Page page{"own", NoRun, kSkin, "Own title", "Its sentence."};
  const std::string text = (Dir / "notes.txt").string();
  std::ofstream(text) << "not a picture";
  CaptionPictures(page, {text});
  EXPECT_EQ(Read(text), "not a picture");
}

TEST_F(Gallery_Index, IndexListsEveryPictureBySectionInReadingOrder) {
  const std::string tree = Picture("tree.png", 20, 20);
  const std::string gdi = Picture("gdi.png", 20, 20);
  const std::string step1 = Picture("steps-01.png", 20, 20), step2 = Picture("steps-02.png", 20, 20);
  const std::string loose = Picture("loose.png", 20, 20);
  NotePicture(step2, "step 2: press <Enter> & wait", true);
  const std::vector<PageRun> runs = {
      {{"tree", NoRun, kTree, "Trees", "Lazy trees."}, {tree}},
      {{"printer", NoRun, kGraphics, "Printed only", "No picture."}, {}},
      {{"loose", NoRun}, {loose}},
      {{"steps", NoRun, kControls, "Steps", "A <form> & its steps."}, {step1, step2}},
      {{"gdi", NoRun, kGraphics, "GDI \"drawing\"", "Shapes."}, {gdi}},
  };
  const std::string html = Read(WriteIndex(Dir.string(), runs));
  // Sections in reading order, whatever order the pages ran in; a page
  // without a section comes last.
  const size_t graphics = html.find("<h2>Graphics</h2>"), controls = html.find("<h2>Controls</h2>"),
               trees = html.find("<h2>Tree</h2>"), more = html.find("<h2>More pages</h2>");
  ASSERT_NE(graphics, std::string::npos);
  ASSERT_NE(controls, std::string::npos);
  ASSERT_NE(trees, std::string::npos);
  ASSERT_NE(more, std::string::npos);
  EXPECT_LT(graphics, controls);
  EXPECT_LT(controls, trees);
  EXPECT_LT(trees, more);
  EXPECT_EQ(html.find("<h2>Skin</h2>"), std::string::npos);  // no page of its own
  // Every picture linked by its file name next to the folder's index, a
  // thumbnail of it inside the link.
  for (const char* f : {"tree.png", "gdi.png", "steps-01.png", "steps-02.png", "loose.png"}) {
    EXPECT_NE(html.find(std::string("<a href=\"") + f + "\"><img src=\"" + f + "\""), std::string::npos) << f;
  }
  // A page without pictures is listed too, saying why it has none; text is
  // escaped.
  const size_t printed = html.find("Printed only");
  ASSERT_NE(printed, std::string::npos);
  EXPECT_LT(graphics, printed);
  EXPECT_NE(html.find("No picture:", printed), std::string::npos);
  // Every picture's file name is shown under it, beside its note.
  for (const char* f : {"tree.png", "gdi.png", "steps-01.png", "loose.png"})
    EXPECT_NE(html.find(std::string("<span class=\"file\">") + f + "</span>"), std::string::npos) << f;
  EXPECT_NE(html.find("GDI &quot;drawing&quot;"), std::string::npos);
  EXPECT_NE(html.find("A &lt;form&gt; &amp; its steps."), std::string::npos);
  EXPECT_NE(html.find("steps-02.png</span>step 2: press &lt;Enter&gt; &amp; wait</figcaption>"), std::string::npos);
  // A static page: no scripts.
  EXPECT_EQ(html.find("<script"), std::string::npos);
}

// Thumbnails are cut as the launcher cuts its cards: scaled down (never up)
// until they cover the box, then cut to the box's top middle, so a tall
// sheet keeps its first rows at a readable size instead of a sliver.
TEST_F(Gallery_Index, ThumbnailsCoverTheirBoxCutToTheTopMiddle) {
  const struct {
    const char* File;
    int W, H;     // the picture
    int BoxW, BoxH;  // the thumbnail the index asks for
  } cases[] = {
      {"tall.png", 700, 2400, 276, 180},  // a tall sheet: full width, top rows
      {"wide.png", 1200, 300, 276, 180},  // a strip: full height, middle cut
      {"form.png", 1100, 780, 276, 180},  // near the box's shape
      {"small.png", 120, 90, 120, 90},    // smaller than the box: as it is
      {"short.png", 600, 100, 276, 100},  // wider only: cut, not stretched up
  };
  // Two pages: one of five pictures would be a page of steps, with smaller
  // thumbnails.
  std::vector<std::string> first, second;
  for (const auto& c : cases) (first.size() < 3 ? first : second).push_back(Picture(c.File, c.W, c.H));
  const std::string html = Read(WriteIndex(Dir.string(), {{{"sizes", NoRun, kGraphics, "Sizes", "Shapes."}, first},
                                                          {{"more", NoRun, kGraphics, "More", "More shapes."}, second}}));
  for (const auto& c : cases) {
    const std::string img = std::string("<img src=\"") + c.File + "\"";
    const size_t at = html.find(img);
    ASSERT_NE(at, std::string::npos) << c.File;
    const std::string size =
        "width=\"" + std::to_string(c.BoxW) + "\" height=\"" + std::to_string(c.BoxH) + "\"";
    EXPECT_NE(html.find(size, at), std::string::npos) << c.File;
    EXPECT_LT(html.find(size, at), html.find('>', at)) << c.File;
  }
  // The box is filled by cutting, anchored at the top middle.
  EXPECT_NE(html.find("object-fit: cover; object-position: 50% 0"), std::string::npos);
  // Cards keep their own height in a row, and a page of many steps takes a
  // row of its own instead of stretching the cards beside it.
  EXPECT_NE(html.find("align-items: start"), std::string::npos);
  EXPECT_NE(html.find(".page.steps { grid-column: 1 / -1; }"), std::string::npos);
}

}  // namespace

}  // namespace t_index_test
