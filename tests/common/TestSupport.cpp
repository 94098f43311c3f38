#include "tests/common/TestSupport.h"

#include <clocale>
#include <cstdlib>
#include <filesystem>
#include <random>

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

TProgramLocale::TProgramLocale(const char* name) : FOld(std::setlocale(LC_ALL, nullptr)) {
  FOk = std::setlocale(LC_ALL, name) != nullptr;
}

TProgramLocale::~TProgramLocale() { std::setlocale(LC_ALL, FOld.c_str()); }

}  // namespace qntest
