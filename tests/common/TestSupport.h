// Helpers shared by the test programs.
#pragma once

#include <string>

namespace qntest {

// The repository's root (for golden images and data files).
std::string SourceDir();
// A fresh, empty folder for one test; removed by the caller when it likes.
std::string MakeTempDir(const std::string& tag);

}  // namespace qntest
