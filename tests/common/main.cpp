// Every test program runs the package's unit initialisations around its tests.
#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>

#include "package/Quarn.h"
#include "platform/user/User.h"

namespace {
class QuarnEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    qn::Initialize();
    // A modal loop that runs out of input fails the test instead of waiting
    // for input that will never come.
    vcl::SetModalIdleHook([] {
      ADD_FAILURE() << "a modal loop ran out of input";
      return false;
    });
  }
  void TearDown() override { qn::Finalize(); }
};
}  // namespace

int main(int argc, char** argv) {
  // Tests are headless whatever display the machine has; the display tests
  // open theirs on purpose.
  setenv("QN_DISPLAY", "headless", 1);
  // The locale of the environment, as most programs take it: run under
  // another one (LANG=tr_TR.UTF-8), the suite shows where the library would
  // follow the C library's locale where the platform does not.
  std::setlocale(LC_ALL, "");
  ::testing::InitGoogleTest(&argc, argv);
  ::testing::AddGlobalTestEnvironment(new QuarnEnvironment);
  return RUN_ALL_TESTS();
}
