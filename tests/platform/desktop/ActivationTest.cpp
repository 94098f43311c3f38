#include <algorithm>

#include "tests/platform/user/UserTestSupport.h"

namespace t_activation_test {

using namespace vcl;
using namespace usertest;

namespace {

class ActivationTest : public InputServerTest {
 protected:
  // The activation and focus messages, in order, as (window, message, wParam).
  std::vector<Logged> Sequence() {
    static const UINT kinds[] = {WM_NCACTIVATE, WM_ACTIVATE, WM_ACTIVATEAPP, WM_SETFOCUS, WM_KILLFOCUS,
                                 WM_MOUSEACTIVATE, WM_LBUTTONDOWN};
    std::vector<Logged> r;
    std::lock_guard<std::mutex> lk(LogLock());
    for (auto& l : Log())
      if (std::find(std::begin(kinds), std::end(kinds), l.Msg) != std::end(kinds)) r.push_back(l);
    return r;
  }
  static std::vector<std::pair<HWND, UINT>> Pairs(const std::vector<Logged>& v) {
    std::vector<std::pair<HWND, UINT>> r;
    for (auto& l : v) r.push_back({l.Hwnd, l.Msg});
    return r;
  }
  void Click(int x, int y) {
    InputMouseMove(x, y);
    InputMouseDown(VK_LBUTTON);
    InputMouseUp(VK_LBUTTON);
    Pump();
  }
};

class Platform_Activation : public ActivationTest {};

TEST_F(Platform_Activation, SwitchingBetweenTwoTopLevelsTellsBothInOrder) {
  HWND a = MakeTop(0, 0, 100, 100);
  HWND b = MakeTop(200, 0, 100, 100, WS_POPUP);  // hidden: showing it activates it
  HWND childA = MakeChild(a, 10, 10, 20, 20);
  SetFocus(childA);
  Pump();
  EXPECT_EQ(GetActiveWindow(), a);
  ClearLog();
  ShowWindow(b, SW_SHOW);
  EXPECT_EQ(GetActiveWindow(), b);
  EXPECT_EQ(GetForegroundWindow(), b);
  EXPECT_EQ(GetFocus(), b);
  auto seq = Sequence();
  // The loser first, its focus lost, then the winner, which takes the focus
  // through the default WM_ACTIVATE.
  EXPECT_EQ(Pairs(seq), (std::vector<std::pair<HWND, UINT>>{{a, WM_NCACTIVATE},
                                                            {a, WM_ACTIVATE},
                                                            {childA, WM_KILLFOCUS},
                                                            {b, WM_NCACTIVATE},
                                                            {b, WM_ACTIVATE},
                                                            {b, WM_SETFOCUS}}));
  ASSERT_EQ(seq.size(), 6u);
  EXPECT_EQ(seq[0].WParam, 0u);
  EXPECT_EQ(LOWORD(seq[1].WParam), WA_INACTIVE);
  EXPECT_EQ(seq[1].LParam, reinterpret_cast<LPARAM>(b));
  EXPECT_EQ(seq[3].WParam, 1u);
  EXPECT_EQ(LOWORD(seq[4].WParam), WA_ACTIVE);
  EXPECT_EQ(seq[4].LParam, reinterpret_cast<LPARAM>(a));
  // Raised on activation.
  EXPECT_EQ(GetTopWindow(nullptr), b);

  // And back, by SetActiveWindow, which answers the previous one.
  ClearLog();
  EXPECT_EQ(SetActiveWindow(a), b);
  EXPECT_EQ(Pairs(Sequence()), (std::vector<std::pair<HWND, UINT>>{{b, WM_NCACTIVATE},
                                                                   {b, WM_ACTIVATE},
                                                                   {b, WM_KILLFOCUS},
                                                                   {a, WM_NCACTIVATE},
                                                                   {a, WM_ACTIVATE},
                                                                   {a, WM_SETFOCUS}}));
  EXPECT_EQ(GetTopWindow(nullptr), a);
  // Activating the active window again changes nothing.
  ClearLog();
  SetForegroundWindow(a);
  EXPECT_TRUE(Sequence().empty());
}

TEST_F(Platform_Activation, FocusIntoAnotherTopLevelActivatesItFirst) {
  HWND a = MakeTop(0, 0, 100, 100);
  HWND b = MakeTop(200, 0, 100, 100, WS_POPUP | WS_VISIBLE);
  HWND childA = MakeChild(a, 10, 10, 20, 20);
  EXPECT_EQ(GetActiveWindow(), b);
  ClearLog();
  EXPECT_EQ(SetFocus(childA), b);
  // Kill before set, each naming the other side; the child's top-level
  // became active on the way and took the focus itself in between.
  auto seq = Sequence();
  EXPECT_EQ(Pairs(seq), (std::vector<std::pair<HWND, UINT>>{{b, WM_NCACTIVATE},
                                                            {b, WM_ACTIVATE},
                                                            {b, WM_KILLFOCUS},
                                                            {a, WM_NCACTIVATE},
                                                            {a, WM_ACTIVATE},
                                                            {a, WM_SETFOCUS},
                                                            {a, WM_KILLFOCUS},
                                                            {childA, WM_SETFOCUS}}));
  ASSERT_EQ(seq.size(), 8u);
  EXPECT_EQ(seq[6].WParam, reinterpret_cast<WPARAM>(childA));
  EXPECT_EQ(seq[7].WParam, reinterpret_cast<WPARAM>(a));
  EXPECT_EQ(GetFocus(), childA);
  EXPECT_EQ(GetActiveWindow(), a);
}

TEST_F(Platform_Activation, ThreadChangeSendsActivateApp) {
  HWND a = MakeTop(0, 0, 100, 100);
  Pump();
  ClearLog();
  SetActiveWindow(nullptr);
  EXPECT_EQ(GetActiveWindow(), nullptr);
  EXPECT_EQ(GetFocus(), nullptr);
  auto app = MessagesOf(a, {WM_ACTIVATEAPP});
  ASSERT_EQ(app.size(), 1u);
  ClearLog();
  SetActiveWindow(a);
  std::vector<Logged> got;
  {
    std::lock_guard<std::mutex> lk(LogLock());
    for (auto& l : Log())
      if (l.Msg == WM_ACTIVATEAPP) got.push_back(l);
  }
  ASSERT_EQ(got.size(), 1u);
  EXPECT_EQ(got[0].WParam, 1u);
  // The application becomes active before its window does.
  auto order = MessagesOf(a, {WM_ACTIVATEAPP, WM_NCACTIVATE, WM_ACTIVATE});
  EXPECT_EQ(order, (std::vector<UINT>{WM_ACTIVATEAPP, WM_NCACTIVATE, WM_ACTIVATE}));
}

TEST_F(Platform_Activation, ClickIntoAnInactiveWindowAsksUpTheParentChain) {
  HWND a = MakeTop(0, 0, 100, 100);
  HWND b = MakeTop(200, 0, 100, 100);
  HWND childA = MakeChild(a, 10, 10, 50, 50);
  SetActiveWindow(b);
  Pump();
  ClearLog();
  Click(20, 20);
  // The child is asked, its default asks the parent; then the activation
  // by click, then the click itself.
  auto seq = Sequence();
  auto pairs = Pairs(seq);
  ASSERT_GE(pairs.size(), 4u);
  EXPECT_EQ(pairs[0], std::make_pair(childA, UINT(WM_MOUSEACTIVATE)));
  EXPECT_EQ(pairs[1], std::make_pair(a, UINT(WM_MOUSEACTIVATE)));
  EXPECT_EQ(seq[0].WParam, reinterpret_cast<WPARAM>(a));
  EXPECT_EQ(LOWORD(uintptr_t(seq[0].LParam)), HTCLIENT);
  EXPECT_EQ(HIWORD(uintptr_t(seq[0].LParam)), WM_LBUTTONDOWN);
  auto act = std::find_if(seq.begin(), seq.end(), [&](auto& l) { return l.Hwnd == a && l.Msg == WM_ACTIVATE; });
  ASSERT_NE(act, seq.end());
  EXPECT_EQ(LOWORD(act->WParam), WA_CLICKACTIVE);
  EXPECT_EQ(pairs.back(), std::make_pair(childA, UINT(WM_LBUTTONDOWN)));
  EXPECT_EQ(GetActiveWindow(), a);
  // A click into the active window asks nothing.
  ClearLog();
  Click(30, 30);
  EXPECT_TRUE(MessagesOf(childA, {WM_MOUSEACTIVATE}).empty());
}

TEST_F(Platform_Activation, MouseActivateAnswersDecideActivationAndTheClick) {
  HWND a = MakeTop(0, 0, 100, 100);
  HWND b = MakeTop(200, 0, 100, 100);
  HWND edit = MakeChild(b, 0, 0, 50, 50);
  LRESULT answer = MA_NOACTIVATE;
  SetHandler(a, [&](HWND, UINT msg, WPARAM, LPARAM, bool& handled) -> LRESULT {
    handled = msg == WM_MOUSEACTIVATE;
    return answer;
  });
  SetFocus(edit);
  Pump();
  struct Case {
    LRESULT Answer;
    bool Activates;
    bool Delivered;
  };
  for (Case c : {Case{MA_NOACTIVATE, false, true}, Case{MA_NOACTIVATEANDEAT, false, false},
                 Case{MA_ACTIVATEANDEAT, true, false}, Case{MA_ACTIVATE, true, true}}) {
    SCOPED_TRACE(c.Answer);
    SetActiveWindow(b);
    SetFocus(edit);
    answer = c.Answer;
    ClearLog();
    Click(50, 50);
    EXPECT_EQ(GetActiveWindow(), c.Activates ? a : b);
    // Without activation the focus stays where it was.
    if (!c.Activates) {
      EXPECT_EQ(GetFocus(), edit);
      EXPECT_TRUE(MessagesOf(edit, {WM_KILLFOCUS}).empty());
    }
    EXPECT_EQ(MessagesOf(a, {WM_LBUTTONDOWN}).size(), c.Delivered ? 1u : 0u);
    EXPECT_EQ(MessagesOf(a, {WM_LBUTTONUP}).size(), 1u);  // only the press is eaten
  }
  SetHandler(a, nullptr);
}

TEST_F(Platform_Activation, NoActivateWindowsNeverTakeActivation) {
  HWND a = MakeTop(0, 0, 100, 100);
  SetFocus(a);
  HWND pop = MakeTop(200, 0, 100, 100, WS_POPUP | WS_VISIBLE, WS_EX_NOACTIVATE | WS_EX_TOPMOST);
  EXPECT_EQ(GetActiveWindow(), a);
  Pump();
  ClearLog();
  Click(250, 50);
  EXPECT_EQ(GetActiveWindow(), a);
  EXPECT_EQ(GetFocus(), a);
  EXPECT_EQ(MessagesOf(pop, {WM_LBUTTONDOWN}).size(), 1u);
  EXPECT_TRUE(MessagesOf(pop, {WM_ACTIVATE, WM_NCACTIVATE}).empty());
  EXPECT_EQ(SetActiveWindow(pop), nullptr);
  EXPECT_FALSE(SetForegroundWindow(pop));
  EXPECT_EQ(GetActiveWindow(), a);
  // Showing with SW_SHOWNA or moving with SWP_NOACTIVATE leaves it too.
  HWND b = MakeTop(0, 200, 50, 50, WS_POPUP);
  ShowWindow(b, SW_SHOWNA);
  SetWindowPos(b, HWND_TOP, 5, 205, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
  EXPECT_EQ(GetActiveWindow(), a);
  SetWindowPos(b, HWND_TOP, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE);
  EXPECT_EQ(GetActiveWindow(), b);
}

TEST_F(Platform_Activation, ActivationMovesOnWhenTheActiveWindowGoes) {
  HWND owner = MakeTop(0, 0, 100, 100);
  HWND other = MakeTop(300, 0, 100, 100);
  HWND dlg = CreateWindowExW(0, TestClass(), u"dlg", WS_POPUP | WS_VISIBLE, 20, 20, 50, 50, owner, nullptr,
                             nullptr, nullptr);
  EXPECT_EQ(GetActiveWindow(), dlg);
  // The owner follows its owned window, even though another one is in front.
  SetWindowPos(other, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  ClearLog();
  DestroyWindow(dlg);
  EXPECT_EQ(GetActiveWindow(), owner);
  EXPECT_EQ(GetFocus(), owner);
  EXPECT_EQ(MessagesOf(owner, {WM_ACTIVATE}).size(), 1u);
  // Minimising: the frontmost window that can take it; restoring takes it back.
  ShowWindow(owner, SW_MINIMIZE);
  EXPECT_EQ(GetActiveWindow(), other);
  ShowWindow(owner, SW_RESTORE);
  EXPECT_EQ(GetActiveWindow(), owner);
  // Hiding likewise.
  ShowWindow(owner, SW_HIDE);
  EXPECT_EQ(GetActiveWindow(), other);
  // Nothing left that can be active: nobody is.
  DestroyWindow(other);
  EXPECT_EQ(GetActiveWindow(), nullptr);
  EXPECT_EQ(GetFocus(), nullptr);
}

TEST_F(Platform_Activation, CancelModeReleasesCaptureAndDisablingDropsFocus) {
  HWND a = MakeTop(0, 0, 100, 100);
  HWND child = MakeChild(a, 0, 0, 50, 50);
  SetFocus(child);
  SetCapture(child);
  ClearLog();
  // Disabling the top-level tells it to end its modes; its default lets the
  // capture go only when it holds it.
  EnableWindow(a, false);
  EXPECT_EQ(MessagesOf(a, {WM_CANCELMODE, WM_ENABLE}), (std::vector<UINT>{WM_CANCELMODE, WM_ENABLE}));
  EXPECT_EQ(GetCapture(), child);
  EXPECT_EQ(GetFocus(), nullptr);
  EXPECT_EQ(MessagesOf(child, {WM_KILLFOCUS}).size(), 1u);
  SendMessageW(child, WM_CANCELMODE, 0, 0);
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_EQ(MessagesOf(child, {WM_CAPTURECHANGED}).size(), 1u);
}

}  // namespace

}  // namespace t_activation_test
