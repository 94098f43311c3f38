// Helpers shared by the test programs.
#pragma once

#include <string>

namespace qntest {

// The repository's root (for golden images and data files).
std::string SourceDir();
// A fresh, empty folder for one test; removed by the caller when it likes.
std::string MakeTempDir(const std::string& tag);

// Locales whose numbers and case mapping differ from the C locale's: a comma
// for the decimal point, a dotted capital I (scripts/setup generates both).
inline constexpr const char* kOtherLocales[] = {"de_DE.UTF-8", "tr_TR.UTF-8"};

// The C library's locale set for a scope, as a program does with setlocale,
// and put back afterwards. Ok() is false when the machine lacks the locale.
class TProgramLocale {
 public:
  explicit TProgramLocale(const char* name);
  ~TProgramLocale();
  TProgramLocale(const TProgramLocale&) = delete;
  TProgramLocale& operator=(const TProgramLocale&) = delete;
  bool Ok() const { return FOk; }

 private:
  std::string FOld;
  bool FOk;
};

}  // namespace qntest
