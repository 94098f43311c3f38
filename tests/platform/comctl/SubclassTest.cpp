// Subclass chains: order of the nodes against the window procedure and
// procedures swapped beneath them, removal in every order and from inside
// running nodes, and the end of the chain with the window.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "platform/comctl/CommCtrl.h"
#include "tests/platform/user/UserTestSupport.h"

namespace t_subclass_test {

using namespace vcl;

namespace {

constexpr UINT WM_PROBE = WM_USER + 7;
std::string gTrace;

// Node ids are letters; the data says what the node does besides tracing.
enum Action : DWORD_PTR { Pass = 0, RemoveSelf = 1, RemoveOldest = 2, PassTwice = 3 };

LRESULT Node(HWND h, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id, DWORD_PTR data);

LRESULT Node(HWND h, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id, DWORD_PTR data) {
  if (msg == WM_PROBE || msg == WM_NCDESTROY) {
    gTrace += char(id);
    if (data == RemoveSelf) { EXPECT_TRUE(RemoveWindowSubclass(h, Node, id)); }
    if (data == RemoveOldest) { EXPECT_TRUE(RemoveWindowSubclass(h, Node, 'a')); }
    if (data == PassTwice) {
      DefSubclassProc(h, msg, wp, lp);
      gTrace += '|';
    }
  }
  return DefSubclassProc(h, msg, wp, lp) + 1;
}

LRESULT CALLBACK_Base(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_PROBE) {
    gTrace += 'W';
    return 100;
  }
  if (msg == WM_NCDESTROY) gTrace += 'W';
  return DefWindowProcW(h, msg, wp, lp);
}

WNDPROC gOld = nullptr;
LRESULT CALLBACK_Swapped(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_PROBE) gTrace += 'S';
  return CallWindowProcW(gOld, h, msg, wp, lp);
}

class Platform_Subclass : public ::testing::Test {
 protected:
  void SetUp() override {
    static bool reg = [] {
      WNDCLASSEXW wc;
      wc.lpfnWndProc = CALLBACK_Base;
      wc.lpszClassName = u"QnSubclassBase";
      return RegisterClassExW(&wc) != 0;
    }();
    ASSERT_TRUE(reg);
    Wnd = CreateWindowExW(0, u"QnSubclassBase", u"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    gTrace.clear();
  }
  void TearDown() override {
    if (IsWindow(Wnd)) DestroyWindow(Wnd);
  }
  std::string Probe() {
    gTrace.clear();
    SendMessageW(Wnd, WM_PROBE, 0, 0);
    return gTrace;
  }
  HWND Wnd = nullptr;
};

}  // namespace

TEST_F(Platform_Subclass, NodesRunNewestFirstAndLeaveInEveryOrder) {
  std::string order = "abc";
  do {
    for (char id : std::string("abc")) ASSERT_TRUE(SetWindowSubclass(Wnd, Node, UINT_PTR(id), Pass));
    std::string left = "cba";
    ASSERT_EQ(Probe(), left + "W");
    EXPECT_EQ(SendMessageW(Wnd, WM_PROBE, 0, 0), 103);
    for (char gone : order) {
      ASSERT_TRUE(RemoveWindowSubclass(Wnd, Node, UINT_PTR(gone)));
      EXPECT_FALSE(RemoveWindowSubclass(Wnd, Node, UINT_PTR(gone)));
      left.erase(left.find(gone), 1);
      EXPECT_EQ(Probe(), left + "W") << "order " << order;
    }
  } while (std::next_permutation(order.begin(), order.end()));
}

TEST_F(Platform_Subclass, SameProcedureAndIdOnlyChangesTheData) {
  SetWindowSubclass(Wnd, Node, 'a', Pass);
  SetWindowSubclass(Wnd, Node, 'b', Pass);
  ASSERT_TRUE(SetWindowSubclass(Wnd, Node, 'a', PassTwice));
  DWORD_PTR data = 0;
  EXPECT_TRUE(GetWindowSubclass(Wnd, Node, 'a', &data));
  EXPECT_EQ(data, DWORD_PTR(PassTwice));
  EXPECT_FALSE(GetWindowSubclass(Wnd, Node, 'z', &data));
  EXPECT_EQ(data, 0u);
  // Still second in line; passing on twice reaches the window procedure twice.
  EXPECT_EQ(Probe(), "baW|W");
}

TEST_F(Platform_Subclass, RemovalFromInsideRunningNodes) {
  // c removes itself, b removes a before a has run: the message goes on to
  // the window procedure, and neither is called again.
  SetWindowSubclass(Wnd, Node, 'a', Pass);
  SetWindowSubclass(Wnd, Node, 'b', RemoveOldest);
  SetWindowSubclass(Wnd, Node, 'c', RemoveSelf);
  EXPECT_EQ(Probe(), "cbW");
  EXPECT_FALSE(GetWindowSubclass(Wnd, Node, 'a', nullptr));
  EXPECT_FALSE(GetWindowSubclass(Wnd, Node, 'c', nullptr));
  SetWindowSubclass(Wnd, Node, 'b', Pass);
  EXPECT_EQ(Probe(), "bW");
  // The last node leaving mid-message still ends on the window procedure.
  SetWindowSubclass(Wnd, Node, 'b', RemoveSelf);
  EXPECT_EQ(Probe(), "bW");
  EXPECT_EQ(Probe(), "W");
}

TEST_F(Platform_Subclass, ProcedureSwappedBeneathRunsAfterTheNodes) {
  SetWindowSubclass(Wnd, Node, 'a', Pass);
  gOld = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(Wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(CALLBACK_Swapped)));
  EXPECT_EQ(gOld, CALLBACK_Base);
  SetWindowSubclass(Wnd, Node, 'b', Pass);
  EXPECT_EQ(Probe(), "baSW");
  SetWindowLongPtrW(Wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(gOld));
  EXPECT_EQ(Probe(), "baW");
}

TEST_F(Platform_Subclass, EveryNodeSeesNcDestroyAndGoesWithTheWindow) {
  SetWindowSubclass(Wnd, Node, 'a', Pass);
  SetWindowSubclass(Wnd, Node, 'b', RemoveSelf);
  SetWindowSubclass(Wnd, Node, 'c', Pass);
  gTrace.clear();
  HWND gone = Wnd;
  DestroyWindow(Wnd);
  EXPECT_EQ(gTrace, "cbaW");
  EXPECT_FALSE(GetWindowSubclass(gone, Node, 'a', nullptr));
  EXPECT_FALSE(SetWindowSubclass(gone, Node, 'a', Pass));
  // A fresh window that may reuse the handle starts without nodes.
  SetUp();
  EXPECT_EQ(Probe(), "W");
}

TEST_F(Platform_Subclass, OutsideAChainDefSubclassProcReachesTheWindow) {
  gTrace.clear();
  EXPECT_EQ(DefSubclassProc(Wnd, WM_PROBE, 0, 0), 100);
  EXPECT_EQ(gTrace, "W");
  EXPECT_FALSE(SetWindowSubclass(nullptr, Node, 'a', Pass));
  EXPECT_FALSE(SetWindowSubclass(Wnd, nullptr, 'a', Pass));
}

}  // namespace t_subclass_test
