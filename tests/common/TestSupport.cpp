#include "tests/common/TestSupport.h"

#include <clocale>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <system_error>

#include <unistd.h>

namespace qntest {

std::string SourceDir() {
  if (const char* d = std::getenv("QN_SOURCE_DIR")) return d;
  return std::filesystem::current_path().string();
}

std::string MakeTempDir(const std::string& tag) {
  std::random_device rd;
  auto base = std::filesystem::temp_directory_path();
  for (;;) {
    auto p = base / ("qn-" + tag + "-" + std::to_string(rd()));
    if (std::filesystem::create_directory(p)) return p.string();
  }
}

namespace {
struct TRunFolder {
  std::string Path = MakeTempDir("run-" + std::to_string(::getpid()));
  ~TRunFolder() {
    std::error_code ec;
    std::filesystem::remove_all(Path, ec);
  }
};
}  // namespace

std::string TempFile(const std::string& name) {
  static TRunFolder folder;
  return (std::filesystem::path(folder.Path) / name).string();
}

std::string FailureFile(const std::string& name) {
  return (std::filesystem::temp_directory_path() / ("qn-" + std::to_string(::getpid()) + "-" + name)).string();
}

TProgramLocale::TProgramLocale(const char* name) : FOld(std::setlocale(LC_ALL, nullptr)) {
  FOk = std::setlocale(LC_ALL, name) != nullptr;
}

TProgramLocale::~TProgramLocale() { std::setlocale(LC_ALL, FOld.c_str()); }

}  // namespace qntest
