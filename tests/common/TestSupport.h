// Helpers shared by the test programs.
#pragma once

#include <string>

namespace qntest {

// The repository's root (for golden images and data files).
std::string SourceDir();
// A fresh, empty folder for one test; removed by the caller when it likes.
std::string MakeTempDir(const std::string& tag);
// A file in this program's own temporary folder, removed when the program
// ends: no other user's or run's file of the same name stands in its way.
std::string TempFile(const std::string& name);
// Where a failing check leaves a picture to look at: named for this process,
// and kept.
std::string FailureFile(const std::string& name);

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
