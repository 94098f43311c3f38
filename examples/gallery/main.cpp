// Runs the gallery pages, writing their pictures into the folder given as the
// first argument (out/gallery by default), and prints their paths. Further
// arguments name the pages to run; without them every page runs.
#include <cstdio>
#include <exception>
#include <filesystem>
#include <set>
#include <string>

#include "examples/gallery/Gallery.h"
#include "package/Quarn.h"
#include "platform/desktop/Desktop.h"

int main(int argc, char** argv) {
  std::string out = argc > 1 ? argv[1] : "out/gallery";
  std::set<std::string> only(argv + (argc > 2 ? 2 : argc), argv + argc);
  std::filesystem::create_directories(out);
  qn::Initialize();
  std::printf("%s\n", qn::BuildInfo().c_str());
  int failed = 0;
  for (const auto& page : gallery::AllPages()) {
    if (!only.empty() && !only.count(page.Name)) continue;
    try {
      for (const auto& path : page.Run(out)) std::printf("%s\n", path.c_str());
      // With QN_SNAPSHOT_DIR set, windows a page left open are written too.
      for (const auto& path : vcl::DumpTopLevelWindows(page.Name)) std::printf("%s\n", path.c_str());
    } catch (const std::exception& e) {
      std::fprintf(stderr, "gallery page %s failed: %s\n", page.Name, e.what());
      ++failed;
    }
  }
  qn::Finalize();
  return failed ? 1 : 0;
}
