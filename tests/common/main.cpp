// Every test program runs the package's unit initialisations around its tests.
#include <gtest/gtest.h>

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
  ::testing::InitGoogleTest(&argc, argv);
  ::testing::AddGlobalTestEnvironment(new QuarnEnvironment);
  return RUN_ALL_TESTS();
}
