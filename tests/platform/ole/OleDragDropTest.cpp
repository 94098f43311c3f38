// The drag loop driven by queued input on the virtual clock: the order of
// target calls, their points and key states, cancelling, pauses with timers
// running, targets that go away, and what the loop gives back.
#include "platform/gdi/GdiIcon.h"
#include "tests/platform/ole/OleTestSupport.h"
#include "tests/platform/user/UserTestSupport.h"

namespace t_ole_drag_drop_test {

using namespace vcl;
using namespace oletest;

namespace {

using Journal = std::vector<std::string>;

class Platform_OleDragDrop : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(OleInitialize(nullptr), S_OK);
    SetVirtualClock(true);
    ResetInput();
    usertest::ClearLog();
    Src = usertest::MakeTop(0, 0, 100, 100);
    T1 = usertest::MakeTop(200, 0, 100, 100);
    T2 = usertest::MakeTop(0, 200, 200, 100);
    Child = usertest::MakeChild(T2, 10, 10, 50, 50);
    SetFocus(Src);
    Target1 = new TRecordingTarget("t1", &Log);
    Target2 = new TRecordingTarget("t2", &Log);
    ASSERT_EQ(RegisterDragDrop(T1, Target1.get()), S_OK);
    ASSERT_EQ(RegisterDragDrop(T2, Target2.get()), S_OK);
    Source = new TSource;
    Data = NewDataObject();
    SetBytes(Data.get(), CF_TEXT, "dragged");
  }
  void TearDown() override {
    for (HWND h : {Child, T2, T1, Src})
      if (IsWindow(h)) DestroyWindow(h);
    ResetInput();
    usertest::Pump();
    Target1 = nullptr;
    Target2 = nullptr;
    OleUninitialize();
  }
  // The press that starts a drag, already retrieved by the source window.
  void PressAt(int x, int y) {
    InputMouseMove(x, y);
    InputMouseDown(VK_LBUTTON);
    usertest::Pump();
    usertest::ClearLog();
  }
  HRESULT Drag(DWORD ok = DROPEFFECT_COPY | DROPEFFECT_MOVE) {
    Effect = 0xBAD;
    return DoDragDrop(Data.get(), Source.get(), ok, &Effect);
  }
  HWND Src = nullptr, T1 = nullptr, T2 = nullptr, Child = nullptr;
  Journal Log;
  TIntf<TRecordingTarget> Target1, Target2;
  TIntf<TSource> Source;
  TIntf<IDataObject> Data;
  DWORD Effect = 0;
};

TEST_F(Platform_OleDragDrop, EnterOverDropInOrderWithScreenPointsAndKeys) {
  PressAt(50, 50);
  InputMouseMove(250, 40);
  InputMouseMove(260, 60);
  InputMouseUp(VK_LBUTTON);
  EXPECT_EQ(Drag(), DRAGDROP_S_DROP);
  EXPECT_EQ(Effect, DROPEFFECT_COPY);
  EXPECT_EQ(Log, (Journal{"t1 enter 250,40 k1", "t1 over 260,60 k1", "t1 drop 260,60 k0"}));
  for (DWORD offered : Target1->OfferedEffects) EXPECT_EQ(offered, DROPEFFECT_COPY | DROPEFFECT_MOVE);
  // Asked at once over the source (no target), then after each move.
  EXPECT_EQ(Source->Feedback, (std::vector<DWORD>{DROPEFFECT_NONE, DROPEFFECT_COPY, DROPEFFECT_COPY}));
  // The release ended the drag: the source never sees it; the capture is back.
  usertest::Pump();
  EXPECT_TRUE(usertest::MessagesOf(Src, {WM_LBUTTONUP}).empty());
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_GE(GetKeyState(VK_LBUTTON), 0);
}

TEST_F(Platform_OleDragDrop, AKeyChangeAsksAgainAndAnswersAreMasked) {
  Target1->Answer = DROPEFFECT_LINK | DROPEFFECT_COPY | DROPEFFECT_SCROLL;
  PressAt(50, 50);
  InputMouseMove(250, 50);
  InputKeyDown(VK_CONTROL);
  InputKeyUp(VK_CONTROL);
  InputKeyDown(VK_SHIFT);
  InputMouseUp(VK_LBUTTON);
  EXPECT_EQ(Drag(), DRAGDROP_S_DROP);
  EXPECT_EQ(Log, (Journal{"t1 enter 250,50 k1", "t1 over 250,50 k9", "t1 over 250,50 k1", "t1 over 250,50 k5",
                          "t1 drop 250,50 k4"}));
  // The link the source never allowed is taken off; the scroll bit stays
  // for the feedback but not in the result.
  EXPECT_EQ(Source->Feedback.back(), DROPEFFECT_COPY | DROPEFFECT_SCROLL);
  EXPECT_EQ(Effect, DROPEFFECT_COPY);
  InputKeyUp(VK_SHIFT);
  usertest::Pump();
}

TEST_F(Platform_OleDragDrop, AChildFindsItsParentsTarget) {
  PressAt(50, 50);
  InputMouseMove(250, 50);
  InputMouseMove(30, 230);   // over the child of the second target
  InputMouseMove(150, 250);  // the second target itself: still the same one
  InputMouseMove(60, 60);    // back over the source: nobody
  InputMouseUp(VK_LBUTTON);
  EXPECT_EQ(Drag(), DRAGDROP_S_DROP);
  EXPECT_EQ(Effect, DROPEFFECT_NONE);
  EXPECT_EQ(Log, (Journal{"t1 enter 250,50 k1", "t1 leave", "t2 enter 30,230 k1", "t2 over 150,250 k1", "t2 leave"}));
}

TEST_F(Platform_OleDragDrop, EscapeOrBothButtonsCancel) {
  PressAt(50, 50);
  InputMouseMove(250, 50);
  InputKeyDown(VK_ESCAPE);
  EXPECT_EQ(Drag(), DRAGDROP_S_CANCEL);
  EXPECT_EQ(Effect, DROPEFFECT_NONE);
  EXPECT_EQ(Log, (Journal{"t1 enter 250,50 k1", "t1 leave"}));
  EXPECT_TRUE(Source->Escapes.back());
  EXPECT_EQ(GetCapture(), nullptr);
  InputKeyUp(VK_ESCAPE);
  InputMouseUp(VK_LBUTTON);
  usertest::Pump();
  Log.clear();
  PressAt(50, 50);
  InputMouseMove(250, 50);
  InputMouseDown(VK_RBUTTON);
  EXPECT_EQ(Drag(), DRAGDROP_S_CANCEL);
  EXPECT_EQ(Log, (Journal{"t1 enter 250,50 k1", "t1 leave"}));
  InputMouseUp(VK_RBUTTON);
  InputMouseUp(VK_LBUTTON);
  usertest::Pump();
}

TEST_F(Platform_OleDragDrop, NoEffectMeansNoDrop) {
  Target1->Answer = DROPEFFECT_NONE;
  PressAt(50, 50);
  InputMouseMove(250, 50);
  InputMouseMove(251, 50);
  InputMouseUp(VK_LBUTTON);
  EXPECT_EQ(Drag(), DRAGDROP_S_DROP);
  EXPECT_EQ(Effect, DROPEFFECT_NONE);
  EXPECT_EQ(Log, (Journal{"t1 enter 250,50 k1", "t1 over 251,50 k1", "t1 leave"}));
  // A drop that fails gives no effect either.
  Log.clear();
  Target1->Answer = DROPEFFECT_MOVE;
  Target1->DropResult = E_FAIL;
  PressAt(50, 50);
  InputMouseMove(250, 50);
  InputMouseUp(VK_LBUTTON);
  EXPECT_EQ(Drag(), DRAGDROP_S_DROP);
  EXPECT_EQ(Effect, DROPEFFECT_NONE);
  EXPECT_EQ(Log.back(), "t1 drop 250,50 k0");
}

TEST_F(Platform_OleDragDrop, TimersRunAndTheTargetIsAskedAgainDuringAPause) {
  int ticks = 0;
  usertest::SetHandler(T1, [&](HWND, UINT msg, WPARAM, LPARAM, bool& handled) -> LRESULT {
    if (msg == WM_TIMER) ++ticks;
    else handled = false;
    return 0;
  });
  SetTimer(T1, 5, 30, nullptr);
  PressAt(50, 50);
  InputMouseMove(250, 50);
  InputPause(200);
  InputMouseUp(VK_LBUTTON);
  DWORD start = GetTickCount();
  EXPECT_EQ(Drag(), DRAGDROP_S_DROP);
  DWORD took = GetTickCount() - start;
  EXPECT_GE(took, 200u);
  EXPECT_LT(took, 260u);
  EXPECT_GE(ticks, 6);  // a timer of 30 ms over 200 ms
  // Resting over the target repeats DragOver every 50 ms.
  int overs = 0;
  for (auto& l : Log) overs += l.rfind("t1 over", 0) == 0;
  EXPECT_GE(overs, 3);
  EXPECT_LE(overs, 4);
  EXPECT_EQ(Log.back(), "t1 drop 250,50 k0");
  KillTimer(T1, 5);
}

TEST_F(Platform_OleDragDrop, PausedInputWaitsWithPointerAndKeysAsTheyWere) {
  InputMouseMove(10, 10);
  usertest::Pump();
  InputPause(100);
  InputMouseMove(70, 70);
  InputKeyDown(VK_SHIFT);
  POINT p;
  GetCursorPos(&p);
  EXPECT_EQ(p.X, 10);
  EXPECT_GE(GetAsyncKeyState(VK_SHIFT), 0);
  MSG m;
  EXPECT_FALSE(PeekMessageW(&m, nullptr, WM_MOUSEFIRST, WM_MOUSELAST, PM_REMOVE));
  DWORD start = GetTickCount();
  // A waiting loop moves the clock to the end of the pause.
  ASSERT_TRUE(GetMessageW(&m, nullptr, WM_MOUSEMOVE, WM_MOUSEMOVE) > 0);
  EXPECT_GE(GetTickCount() - start, 100u);
  EXPECT_EQ(m.pt.X, 70);
  EXPECT_LT(GetAsyncKeyState(VK_SHIFT), 0);
  InputKeyUp(VK_SHIFT);
  usertest::Pump();
}

TEST_F(Platform_OleDragDrop, ARevokedTargetIsNotCalledAgain) {
  Target1->OnOver = [this] { EXPECT_EQ(RevokeDragDrop(T1), S_OK); };
  PressAt(50, 50);
  InputMouseMove(250, 50);
  InputMouseMove(255, 50);
  InputMouseMove(260, 50);
  InputMouseUp(VK_LBUTTON);
  EXPECT_EQ(Drag(), DRAGDROP_S_DROP);
  EXPECT_EQ(Effect, DROPEFFECT_NONE);
  EXPECT_EQ(Log, (Journal{"t1 enter 250,50 k1", "t1 over 255,50 k1"}));
  EXPECT_EQ(Target1->RefCount(), 1);
  EXPECT_EQ(RevokeDragDrop(T1), DRAGDROP_E_NOTREGISTERED);
}

TEST_F(Platform_OleDragDrop, ADestroyedTargetIsNotCalledAgain) {
  Target1->OnOver = [this] { DestroyWindow(T1); };
  PressAt(50, 50);
  InputMouseMove(250, 50);
  InputMouseMove(255, 50);
  InputMouseMove(260, 50);
  InputMouseUp(VK_LBUTTON);
  EXPECT_EQ(Drag(), DRAGDROP_S_DROP);
  EXPECT_EQ(Effect, DROPEFFECT_NONE);
  EXPECT_EQ(Log, (Journal{"t1 enter 250,50 k1", "t1 over 255,50 k1"}));
  EXPECT_EQ(Target1->RefCount(), 1);
}

TEST_F(Platform_OleDragDrop, RegistrationRulesAndTheWindowsEnd) {
  EXPECT_EQ(RegisterDragDrop(T1, Target2.get()), DRAGDROP_E_ALREADYREGISTERED);
  EXPECT_EQ(RegisterDragDrop(nullptr, Target2.get()), DRAGDROP_E_INVALIDHWND);
  EXPECT_EQ(RevokeDragDrop(Src), DRAGDROP_E_NOTREGISTERED);
  EXPECT_EQ(Target2->RefCount(), 2);
  DestroyWindow(T2);  // its child goes with it, and the registration
  EXPECT_EQ(Target2->RefCount(), 1);
}

TEST_F(Platform_OleDragDrop, ExceptionsEndTheDragAndNestedDragsAreRefused) {
  HRESULT nested = S_OK;
  Target1->OnOver = [&] {
    DWORD e = 0;
    nested = DoDragDrop(Data.get(), Source.get(), DROPEFFECT_COPY, &e);
    throw Exception(u"target failed");
  };
  HCURSOR before = GetCursor();
  PressAt(50, 50);
  InputMouseMove(250, 50);
  InputMouseMove(255, 50);
  InputMouseUp(VK_LBUTTON);
  EXPECT_THROW(Drag(), Exception);
  EXPECT_EQ(nested, E_UNEXPECTED);
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_EQ(GetCursor(), before);
  // The next drag runs normally.
  Target1->OnOver = nullptr;
  usertest::Pump();
  Log.clear();
  PressAt(50, 50);
  InputMouseMove(250, 50);
  InputMouseUp(VK_LBUTTON);
  EXPECT_EQ(Drag(), DRAGDROP_S_DROP);
  EXPECT_EQ(Effect, DROPEFFECT_COPY);
}

TEST_F(Platform_OleDragDrop, TheIdleHookGivingUpCancels) {
  int giveUps = 0;
  TModalIdleHook old = SetModalIdleHook([&] {
    ++giveUps;
    return false;
  });
  PressAt(50, 50);
  InputMouseMove(250, 50);  // and then nothing more
  EXPECT_EQ(Drag(), DRAGDROP_S_CANCEL);
  SetModalIdleHook(old);
  EXPECT_EQ(giveUps, 1);
  EXPECT_EQ(Log, (Journal{"t1 enter 250,50 k1", "t1 leave"}));
  InputMouseUp(VK_LBUTTON);
  usertest::Pump();
}

// The standard cursors the loop shows, probed: the copy badge has a plus
// at its centre, the move badge is blank there.
TEST_F(Platform_OleDragDrop, DefaultCursorsShowTheEffect) {
  auto centre = [](HCURSOR c) {
    ICONINFO ii;
    EXPECT_TRUE(GetIconInfo(c, &ii));
    std::vector<uint32_t> px(32 * 32);
    BITMAPINFO bmi{};
    bmi.bmiHeader.biWidth = 32;
    bmi.bmiHeader.biHeight = -32;
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 32;
    HDC dc = CreateCompatibleDC(nullptr);
    GetDIBits(dc, ii.hbmColor, 0, 32, px.data(), &bmi, DIB_RGB_COLORS);
    DeleteDC(dc);
    DeleteObject(ii.hbmColor);
    DeleteObject(ii.hbmMask);
    return std::make_pair(px[24 * 32 + 20], px[5 * 32 + 2]);  // the badge's centre, inside the arrow
  };
  auto copy = centre(OleDragCursor(DROPEFFECT_COPY));
  auto move = centre(OleDragCursor(DROPEFFECT_MOVE | DROPEFFECT_SCROLL));
  EXPECT_EQ(copy.first, 0xFF000000u);
  EXPECT_EQ(move.first, 0xFFFFFFFFu);
  EXPECT_EQ(copy.second, 0xFF000000u);
  EXPECT_EQ(OleDragCursor(DROPEFFECT_NONE), LoadCursorW(nullptr, IDC_NO));
  // While dragging over an accepting target the loop shows the copy cursor.
  HCURSOR shown = nullptr;
  Source->OnQuery = [&] { shown = GetCursor(); };
  PressAt(50, 50);
  InputMouseMove(250, 50);
  InputMouseUp(VK_LBUTTON);
  EXPECT_EQ(Drag(), DRAGDROP_S_DROP);
  EXPECT_EQ(shown, OleDragCursor(DROPEFFECT_COPY));
}

}  // namespace

}  // namespace t_ole_drag_drop_test
