#include <gtest/gtest.h>

#include "graphics/raster/Pix32_Bindings_qn.h"
#include "graphics/raster/Pix32_LowLevel_qn.h"
#include "graphics/raster/Pix32_Math_qn.h"

namespace t_pix32_bindings_test {

using namespace qn;
using ci = TCPUInstructionSet;

namespace {
int F1() { return 1; }
int F2() { return 2; }
int F3() { return 3; }
using TF = int();
}  // namespace

TEST(Pix32_Bindings_qn, PriorityRules) {
  TFunctionRegistry r;
  TF* v = nullptr;
  TF* w = nullptr;
  r.RegisterBinding(0, &v);
  r.RegisterBinding(0, &w);  // two variables may share one ID
  // Only feature-bound implementations, and a processor without the feature: nil.
  r.Add(0, &F1, {ci::ci3DNow});
  auto noFeatures = [](PFunctionInfo i) { return i->CPUFeatures.empty() ? 0 : INVALID_PRIORITY; };
  v = &F3;
  r.RebindAll(noFeatures);
  EXPECT_EQ(v, nullptr);
  EXPECT_EQ(w, nullptr);
  // A featureless implementation added after a featured one wins over it.
  r.Add(0, &F2);
  r.RebindAll([](PFunctionInfo) { return 0; });
  EXPECT_EQ(v, &F2);
  // Two featureless ones: the second added is bound.
  r.Add(0, &F3);
  r.Rebind(0, noFeatures);
  EXPECT_EQ(v, &F3);
  EXPECT_EQ(w, &F3);
  // Strictly smaller wins: a later equal priority does not replace an earlier better one.
  r.RebindAll([](PFunctionInfo i) { return i->Proc == reinterpret_cast<Pointer>(&F1) ? 1 : 2; });
  EXPECT_EQ(v, &F1);
  // Everything invalid: nil.
  r.RebindAll([](PFunctionInfo) { return INVALID_PRIORITY; });
  EXPECT_EQ(v, nullptr);
  EXPECT_EQ(r.FindFunction(7), nullptr);  // unknown ID
  EXPECT_EQ(r.Count(), 3);
  r.Clear();
  EXPECT_EQ(r.Count(), 0);
  EXPECT_EQ(r.BindingCount(), 0);
}

TEST(Pix32_Bindings_qn, DefaultPriorityFollowsTheProcessor) {
  TFunctionInfo plain;
  TFunctionInfo future;
  future.CPUFeatures = TCPUFeatures::FromBits(1u << 7);  // a feature no processor reports
  EXPECT_EQ(DefaultPriorityProc(&plain), 0);
  EXPECT_EQ(DefaultPriorityProc(&future), INVALID_PRIORITY);
}

TEST(Pix32_Bindings_qn, UnitsRegisterTheirRegistriesByName) {
  const auto* list = RegistryList();
  ASSERT_NE(list, nullptr);
  bool lowLevel = false, math = false;
  for (auto* r : *list) {
    if (r->Name() == u"Pix32_LowLevel_qn bindings") lowLevel = true;
    if (r->Name() == u"Pix32_Math_qn bindings") math = true;
    for (Integer b = 0; b < r->BindingCount(); ++b) {
      EXPECT_NE(*r->Bindings(b)->BindVariable, nullptr) << ToUtf8(r->Name()) << " binding " << b;
      EXPECT_NE(r->BoundInfo(b), nullptr);
    }
  }
  EXPECT_TRUE(lowLevel);
  EXPECT_TRUE(math);
#if defined(__x86_64__)
  EXPECT_STREQ(LowLevelRegistry->BoundInfo(0)->Name, "SSE2");
  EXPECT_EQ(CumSum, &CumSum_SSE2);
#endif
}

}  // namespace t_pix32_bindings_test
