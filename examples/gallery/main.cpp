// Runs the gallery pages, writing their pictures into the folder given as the
// first argument (out/gallery by default), and prints their paths. Further
// arguments name the pages to run; without them every page runs and
// index.html, a page of thumbnails of them all, and launcher.png, the live
// gallery's first window, are written too.
// --skin=<folder> anywhere lays the folder's "<id>.png" pictures over the
// default skin first. --live shows the pages as live windows on the display
// instead, from a launcher form (pictures still go into the folder).
#include <cstdio>
#include <exception>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "examples/gallery/Gallery.h"
#include "examples/gallery/Launcher.h"
#include "package/Quarn.h"
#include "platform/desktop/Desktop.h"
#include "skin/foundation/uQuarnResManager.h"

int main(int argc, char** argv) {
  std::vector<std::string> args;
  std::string skinFolder;
  bool live = false;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a.rfind("--skin=", 0) == 0)
      skinFolder = a.substr(7);
    else if (a == "--live")
      live = true;
    else
      args.push_back(a);
  }
  std::string out = args.empty() ? "out/gallery" : args[0];
  std::set<std::string> only(args.begin() + (args.empty() ? 0 : 1), args.end());
  std::filesystem::create_directories(out);
  qn::Initialize();
  if (!skinFolder.empty()) {
    try {
      const int n = qn::TQuarnResManagerObj()->LoadSkinFolder(vcl::FromUtf8(skinFolder));
      std::printf("skin folder %s: %d pictures\n", skinFolder.c_str(), n);
    } catch (const std::exception& e) {
      std::fprintf(stderr, "skin folder %s: %s\n", skinFolder.c_str(), e.what());
    }
  }
  std::printf("%s\n", qn::BuildInfo().c_str());
  if (live) {
    const int rc = gallery::RunLive(out);
    gallery::RemoveWorkFolder();
    qn::Finalize();
    return rc;
  }
  int failed = 0;
  std::vector<gallery::PageRun> runs;
  for (const auto& page : gallery::AllPages()) {
    if (!only.empty() && !only.count(page.Name)) continue;
    try {
      const std::vector<std::string> paths = page.Run(out);
      gallery::KeepThumbnail(page, paths);
      gallery::CaptionPictures(page, paths);
      runs.push_back({page, paths});
      for (const auto& path : paths) std::printf("%s\n", path.c_str());
      // With QN_SNAPSHOT_DIR set, windows a page left open are written too.
      for (const auto& path : vcl::DumpTopLevelWindows(page.Name)) std::printf("%s\n", path.c_str());
    } catch (const std::exception& e) {
      std::fprintf(stderr, "gallery page %s failed: %s\n", page.Name, e.what());
      ++failed;
    }
  }
  // The index lists the whole gallery, so a run of some pages leaves it alone.
  if (only.empty()) {
    try {
      std::printf("%s\n", gallery::WriteIndex(out, runs).c_str());
      // The live gallery's first window as it opens.
      std::printf("%s\n", gallery::WriteLauncherPicture(runs, out).c_str());
    } catch (const std::exception& e) {
      std::fprintf(stderr, "gallery index: %s\n", e.what());
      ++failed;
    }
  }
  gallery::RemoveWorkFolder();
  qn::Finalize();
  return failed ? 1 : 0;
}
