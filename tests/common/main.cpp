// Every test program runs the package's unit initialisations around its tests.
#include <gtest/gtest.h>

#include "package/Quarn.h"

namespace {
class QuarnEnvironment : public ::testing::Environment {
 public:
  void SetUp() override { qn::Initialize(); }
  void TearDown() override { qn::Finalize(); }
};
}  // namespace

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  ::testing::AddGlobalTestEnvironment(new QuarnEnvironment);
  return RUN_ALL_TESTS();
}
