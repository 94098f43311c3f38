#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "package/Quarn.h"
#include "platform/rtl/System.h"
#include "platform/rtl/Units.h"

namespace t_initialize_test {

namespace {
std::vector<std::string> g_log;
}

TEST(Package_Initialize, RunsUnitsAfterTheUnitsTheyUseAndFinalizesInReverse) {
  ASSERT_TRUE(vcl::UnitsInitialized());
  qn::Finalize();
  ASSERT_FALSE(vcl::UnitsInitialized());
  g_log.clear();
  // Registered out of order on purpose: C uses B, B uses A.
  vcl::RegisterUnit({"TestUnitC", {"TestUnitB"}, [] { g_log.push_back("init C"); }, [] { g_log.push_back("fin C"); }});
  vcl::RegisterUnit({"TestUnitA", {"System"}, [] { g_log.push_back("init A"); }, [] { g_log.push_back("fin A"); }});
  vcl::RegisterUnit({"TestUnitB", {"TestUnitA"}, [] { g_log.push_back("init B"); }, [] { g_log.push_back("fin B"); }});
  qn::Initialize();
  qn::Initialize();  // once per process: a second call does nothing
  EXPECT_EQ(g_log, (std::vector<std::string>{"init A", "init B", "init C"}));
  auto order = vcl::UnitInitOrder();
  auto pos = [&](const char* n) { return std::find(order.begin(), order.end(), n) - order.begin(); };
  EXPECT_LT(pos("System"), pos("TestUnitA"));
  EXPECT_LT(pos("SysUtils"), pos("Classes"));
  g_log.clear();
  qn::Finalize();
  EXPECT_EQ(g_log, (std::vector<std::string>{"fin C", "fin B", "fin A"}));
  qn::Initialize();
  EXPECT_TRUE(vcl::UnitsInitialized());
}

TEST(Package_Initialize, UnknownUsesAreReported) {
  qn::Finalize();
  vcl::RegisterUnit({"TestUnitBroken", {"NoSuchUnit"}, nullptr, nullptr});
  EXPECT_THROW(qn::Initialize(), vcl::EInvalidOperation);
  // Leave the process initialised for the other tests, without the broken unit.
  EXPECT_FALSE(vcl::UnitsInitialized());
}

}  // namespace t_initialize_test
