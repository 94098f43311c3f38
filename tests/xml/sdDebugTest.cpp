#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "xml/sdDebug_qn.h"

namespace t_sd_debug_test {

using namespace qn;

namespace {

struct TRecord {
  TObject* Sender;
  TsdWarnStyle Style;
  UTF8String Msg;
};

// Collects what reaches one handler.
struct TRecorder {
  std::vector<TRecord> Got;
  TsdDebugEvent Event() {
    return TsdDebugEvent([this](TObject* s, TsdWarnStyle w, const UTF8String& m) { Got.push_back({s, w, m}); });
  }
};

}  // namespace

TEST(sdDebug_qn, MessagesClimbTheOwnerChainToTheFirstListener) {
  TRecorder top, middle;
  auto root = std::make_unique<TDebugComponent>(nullptr);
  auto* parent = new TDebugComponent(root.get());
  auto* child = new TDebugComponent(parent);
  root->SetOnDebugOut(top.Event());

  // Nobody below listens: the grandparent hears it, with the child as sender.
  child->DoDebugOut(child, wsWarn, "unknown encoding");
  ASSERT_EQ(top.Got.size(), 1u);
  EXPECT_EQ(top.Got[0].Sender, child);
  EXPECT_EQ(top.Got[0].Style, wsWarn);
  EXPECT_EQ(top.Got[0].Msg, "unknown encoding");

  // The nearest listener takes it and it goes no further.
  parent->SetOnDebugOut(middle.Event());
  child->DoDebugOut(nullptr, wsInfo, "x");
  EXPECT_EQ(middle.Got.size(), 1u);
  EXPECT_EQ(top.Got.size(), 1u);

  // A persistent passes to its owner component; without one it drops.
  TDebugPersistent p(child);
  p.DoDebugOut(&p, wsFail, "y");
  ASSERT_EQ(middle.Got.size(), 2u);
  EXPECT_EQ(middle.Got[1].Sender, &p);
  TDebugPersistent orphan(nullptr);
  orphan.DoDebugOut(&orphan, wsFail, "z");
  EXPECT_EQ(middle.Got.size() + top.Got.size(), 3u);

  // A plain component in the chain ends it.
  TRecorder above;
  auto outer = std::make_unique<TDebugComponent>(nullptr);
  outer->SetOnDebugOut(above.Event());
  auto* plain = new TComponent(outer.get());
  auto* inner = new TDebugComponent(plain);
  inner->DoDebugOut(inner, wsHint, "lost");
  EXPECT_TRUE(above.Got.empty());

  TDebugObject o;
  o.DoDebugOut(&o, wsInfo, "silent");  // no handler: dropped
  TRecorder own;
  o.SetOnDebugOut(own.Event());
  o.DoDebugOut(&o, wsInfo, "heard");
  ASSERT_EQ(own.Got.size(), 1u);
  EXPECT_EQ(own.Got[0].Msg, "heard");
}

TEST(sdDebug_qn, MessageTextAndClassNames) {
  TDebugComponent c(nullptr);
  EXPECT_EQ(sdDebugMessageToString(&c, wsWarn, "unknown encoding"), "[warn] TDebugComponent: unknown encoding");
  EXPECT_EQ(sdDebugMessageToString(nullptr, wsInfo, "m"), "[info] : m");
  EXPECT_EQ(sdDebugMessageToString(nullptr, wsHint, ""), "[hint] : ");
  EXPECT_EQ(sdDebugMessageToString(nullptr, wsFail, "f"), "[fail] : f");
  EXPECT_EQ(sdClassName(nullptr), "nil");
  TDebugPersistent p(nullptr);
  EXPECT_EQ(sdClassName(&p), "TDebugPersistent");
}

}  // namespace t_sd_debug_test
