#include "tests/common/TestSupport.h"

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

}  // namespace qntest
