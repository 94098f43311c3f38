// Every component the design package puts on its palette is on a gallery
// page that stays live: its class is named in the page's source, or in a
// sheet, form or form file the page builds on, and the page holds its
// windows for the person (Hold).
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <string>

#include "design/DesignUnits.h"
#include "design/uQnReg.h"
#include "platform/ide/DesignPackage.h"
#include "platform/ide/DesignIntf.h"
#include "platform/user/WinReg.h"
#include "tests/common/TestSupport.h"

namespace t_palette_test {

namespace {

using namespace vcl;
using namespace qn;
namespace fs = std::filesystem;

std::string ReadText(const fs::path& p) {
  std::ifstream f(p, std::ios::binary);
  std::stringstream s;
  s << f.rdbuf();
  return s.str();
}

// A page's own source with the gallery files it builds on: the headers it
// includes (sheets, the skinned frame), and for a page that loads a form
// from its form file, the form's source and that file.
std::string PageText(const fs::path& Dir, const fs::path& Page) {
  const std::string own = ReadText(Page);
  std::string text = own;
  static const std::regex include(R"re(#include "examples/gallery/(\w+)\.h")re");
  static const std::regex loader(R"re(\bLoad(\w+)Form\()re");
  for (std::sregex_iterator it(own.begin(), own.end(), include), end; it != end; ++it)
    if ((*it)[1] != "Gallery") text += ReadText(Dir / ((*it)[1].str() + ".h"));
  for (std::sregex_iterator it(own.begin(), own.end(), loader), end; it != end; ++it)
    for (const std::string& file : {(*it)[1].str() + "Form.cpp", (*it)[1].str() + ".dfm"})
      if (fs::exists(Dir / file)) text += ReadText(Dir / file);
  return text;
}

TEST(Gallery_Palette, EveryRegisteredComponentIsOnALivePage) {
  const std::string root = qntest::MakeTempDir("gallery_palette");
  fs::create_directories(root + "/reg");
  SetRegistryFolder(root + "/reg");
  RegisterDesignUnits();
  TIdeServices host;
  LoadDesignPackage(&host);
  const std::vector<TComponentClass> palette = PaletteClasses(kQuarnPalettePage);
  UnloadDesignPackage();
  SetRegistryFolder("");
  fs::remove_all(root);
  ASSERT_EQ(palette.size(), 72u);

  const fs::path dir = QN_GALLERY_DIR;
  struct TPageSource {
    std::string Text;
    bool Live;
  };
  std::map<std::string, TPageSource> pages;
  for (const auto& e : fs::directory_iterator(dir)) {
    const std::string name = e.path().filename().string();
    if (name.size() > 8 && name.compare(name.size() - 8, 8, "Page.cpp") == 0) pages[name] = {PageText(dir, e.path()), ReadText(e.path()).find("Hold") != std::string::npos};
  }
  ASSERT_GT(pages.size(), 60u);

  for (TComponentClass c : palette) {
    const std::regex word("\\b" + ToUtf8(c->ClassName()) + "\\b");
    std::vector<std::string> shown, live;
    for (const auto& [name, page] : pages) {
      if (!std::regex_search(page.Text, word)) continue;
      shown.push_back(name);
      if (page.Live) live.push_back(name);
    }
    EXPECT_FALSE(shown.empty()) << ToUtf8(c->ClassName()) << " is on no gallery page";
    EXPECT_FALSE(live.empty() && !shown.empty())
        << ToUtf8(c->ClassName()) << " is only on pages that do not stay live: " << shown.front();
  }
}

}  // namespace

}  // namespace t_palette_test
