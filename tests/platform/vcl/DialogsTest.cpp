#include <memory>

#include "platform/vcl/Dialogs.h"
#include "tests/platform/vcl/FormsTestSupport.h"

namespace t_dialogs_test {

using namespace vcl;
using namespace formstest;

namespace {

class Platform_Dialogs : public FormsTest {
 protected:
  void SetUp() override {
    FormsTest::SetUp();
    ClearDialogCalls();
    Owner.reset(new TForm(nullptr));
    Owner->SetBounds(200, 150, 400, 300);
    Owner->Show();
    Application->ProcessMessages();
  }
  void TearDown() override {
    SetMessageBoxResponder(nullptr);
    SetColorDialogResponder(nullptr);
    Owner.reset();
    FormsTest::TearDown();
  }
  // A point of the open dialog's client area, from its right/bottom edges
  // when the offsets are negative.
  static POINT DialogPoint(Integer x, Integer y) {
    HWND d = ActiveDialogWindow();
    RECT c;
    GetClientRect(d, &c);
    POINT p{x < 0 ? c.Right + x : x, y < 0 ? c.Bottom + y : y};
    ClientToScreen(d, &p);
    return p;
  }
  static void Click(POINT p) {
    InputMouseMove(p.X, p.Y);
    InputMouseDown(0);
    InputMouseUp(0);
  }
  static void Key(int vk) {
    InputKeyDown(vk);
    InputKeyUp(vk);
  }
  std::unique_ptr<TForm> Owner;
};

TEST_F(Platform_Dialogs, AResponderAnswersAndEveryCallIsRecorded) {
  HWND owner = Owner->Handle();
  bool ownerDisabled = false;
  String cls;
  SetMessageBoxResponder([&](const TMessageBoxCall& c) {
    ownerDisabled = !IsWindowEnabled(owner);
    Char buf[32] = {};
    GetClassNameW(ActiveDialogWindow(), buf, 32);
    cls = buf;
    return c.Flags & MB_YESNOCANCEL ? IDNO : IDOK;
  });
  EXPECT_EQ(MessageBoxW(owner, u"Save the changes?", u"Quarn", MB_YESNOCANCEL | MB_ICONQUESTION), IDNO);
  EXPECT_TRUE(ownerDisabled);
  EXPECT_EQ(cls, u"#32770");
  EXPECT_TRUE(IsWindowEnabled(owner));
  EXPECT_EQ(ActiveDialogWindow(), nullptr);
  // The platform's numbers: Yes/No with the question icon is 36.
  EXPECT_EQ(MessageBoxW(owner, u"Again?", nullptr, MB_YESNO | MB_ICONQUESTION), IDOK);
  auto calls = MessageBoxCalls();
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_EQ(calls[0].Owner, owner);
  EXPECT_EQ(calls[0].Text, u"Save the changes?");
  EXPECT_EQ(calls[0].Caption, u"Quarn");
  EXPECT_EQ(calls[0].Result, IDNO);
  EXPECT_EQ(calls[1].Flags, 36u);
  EXPECT_EQ(calls[1].Caption, u"Error");
  EXPECT_EQ(IdleGiveUps, 0);
}

TEST_F(Platform_Dialogs, QueuedInputPressesButtons) {
  // A click on the rightmost button of the strip ("No"), queued once the
  // box is there: the responder only looks.
  int asked = 0;
  SetMessageBoxResponder([&](const TMessageBoxCall&) {
    ++asked;
    Click(DialogPoint(-12 - 44, -24));
    return 0;
  });
  EXPECT_EQ(MessageBoxW(Owner->Handle(), u"Overwrite?", u"Quarn", MB_YESNO), IDNO);
  EXPECT_EQ(asked, 1);
  SetMessageBoxResponder(nullptr);

  // Keys queued before the box opens: Escape is Cancel where there is one...
  Key(VK_ESCAPE);
  EXPECT_EQ(MessageBoxW(Owner->Handle(), u"Go on?", u"Quarn", MB_OKCANCEL), IDCANCEL);
  // ...Enter the default button, which Tab moves...
  Key(VK_RETURN);
  EXPECT_EQ(MessageBoxW(Owner->Handle(), u"Go on?", u"Quarn", MB_YESNOCANCEL | MB_DEFBUTTON2), IDNO);
  Key(VK_TAB);
  Key(VK_RETURN);
  EXPECT_EQ(MessageBoxW(Owner->Handle(), u"Go on?", u"Quarn", MB_YESNOCANCEL), IDNO);
  // ...and letters their button's accelerator.
  InputType(u"r");
  EXPECT_EQ(MessageBoxW(Owner->Handle(), u"Failed.", u"Quarn", MB_ABORTRETRYIGNORE | MB_ICONERROR), IDRETRY);
  // Escape does nothing to Yes/No; the box then ends with its default.
  Key(VK_ESCAPE);
  EXPECT_EQ(MessageBoxW(Owner->Handle(), u"Sure?", u"Quarn", MB_YESNO), IDNO);
  EXPECT_EQ(IdleGiveUps, 1);
}

TEST_F(Platform_Dialogs, DefaultAnswersWhenTheIdleHookGivesUp) {
  const std::pair<UINT, int> cases[] = {
      {MB_OK, IDOK},           {MB_OKCANCEL, IDCANCEL},    {MB_YESNOCANCEL, IDCANCEL},
      {MB_YESNO, IDNO},        {MB_RETRYCANCEL, IDCANCEL}, {MB_CANCELTRYCONTINUE, IDCANCEL},
      {MB_ABORTRETRYIGNORE, IDABORT}};
  for (auto [type, want] : cases) EXPECT_EQ(MessageBoxW(Owner->Handle(), u"?", u"Quarn", type), want) << type;
  EXPECT_EQ(IdleGiveUps, 7);
  // The owner is freed while the box is open: the box goes with it.
  auto* lone = new TForm(nullptr);
  lone->Show();
  SetMessageBoxResponder([&](const TMessageBoxCall&) {
    delete lone;
    return 0;
  });
  EXPECT_EQ(MessageBoxW(lone->Handle(), u"Owner goes", u"Quarn", MB_YESNO), IDNO);
  EXPECT_EQ(IdleGiveUps, 7);
  EXPECT_EQ(ActiveDialogWindow(), nullptr);
}

struct TTimerCounter {
  int Ticks = 0;
  bool Hook(TMessage& m) {
    if (m.Msg == WM_TIMER) ++Ticks;
    return false;
  }
};

TEST_F(Platform_Dialogs, TimersAndPostsRunWhileABoxIsOpen) {
  TTimerCounter counter;
  Application->HookMainWindow(TWindowHook(&counter, &TTimerCounter::Hook));
  SetTimer(Application->Handle(), 7, 100, nullptr);
  // Three rounds of waiting, each long enough for one tick, then give up.
  auto old = SetModalIdleHook([&] {
    if (counter.Ticks >= 3) return false;
    AdvanceClock(100);
    return true;
  });
  bool posted = false;
  HWND target = Owner->Handle();
  SetMessageBoxResponder([&](const TMessageBoxCall&) {
    PostMessageW(target, WM_CLOSE, 0, 0);
    return 0;
  });
  EXPECT_EQ(MessageBoxW(Owner->Handle(), u"Busy", u"Quarn", MB_OK), IDOK);
  SetModalIdleHook(old);
  EXPECT_EQ(counter.Ticks, 3);
  // The posted close reached the (disabled) owner: it is hidden now.
  posted = !IsWindowVisible(target);
  EXPECT_TRUE(posted);
  KillTimer(Application->Handle(), 7);
  Application->UnhookMainWindow(TWindowHook(&counter, &TTimerCounter::Hook));
}

TEST_F(Platform_Dialogs, ABoxShowsItsIconAndButtons) {
  TScreenImage shot;
  SetMessageBoxResponder([&](const TMessageBoxCall&) {
    shot = CaptureWindow(ActiveDialogWindow(), true);
    return IDOK;
  });
  MessageBoxW(Owner->Handle(), u"Disk full.", u"Quarn", MB_OK | MB_ICONERROR);
  ASSERT_GT(shot.Width, 0);
  // The stop icon's red disc left of the text, white body, grey strip.
  EXPECT_EQ(shot.Pixel(24 + 4, 24 + 16) & 0xFFFFFF, 0xE81123u);
  EXPECT_EQ(shot.Pixel(shot.Width - 4, 4) & 0xFFFFFF, 0xFFFFFFu);
  COLORREF face = GetSysColor(COLOR_BTNFACE);
  EXPECT_EQ(shot.Pixel(4, shot.Height - 4) & 0xFFFFFF,
            uint32_t(GetRValue(face)) << 16 | uint32_t(GetGValue(face)) << 8 | GetBValue(face));
  // The default button's frame is the accent colour.
  EXPECT_EQ(shot.Pixel(shot.Width - 12 - 44, shot.Height - 24 - 13 + 1) & 0xFFFFFF, 0x0078D7u);
}

TEST_F(Platform_Dialogs, TheColourDialogPicksAClickedCell) {
  TColorDialog dlg(nullptr);
  dlg.SetColor(clRed);
  dlg.CustomColors()->Add(u"ColorA=123456");
  dlg.CustomColors()->Add(u"ColorC=nonsense");
  // Cell 13 of the basic colours (second row, sixth column), then OK.
  SetColorDialogResponder([&](TColorDialogCall&) {
    Click(DialogPoint(12 + 5 * 28 + 11, 32 + 1 * 24 + 9));
    Key(VK_RETURN);
    return false;
  });
  ASSERT_TRUE(dlg.Execute(Owner->Handle()));
  EXPECT_EQ(COLORREF(dlg.Color()), ColorDialogBasicColors()[13]);
  EXPECT_EQ(dlg.CustomColors()->Values(u"ColorA"), u"123456");
  EXPECT_EQ(dlg.CustomColors()->Values(u"ColorC"), u"FFFFFF");
  EXPECT_EQ(dlg.CustomColors()->Count(), 16);
  auto calls = ColorDialogCalls();
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].Color, COLORREF(0x0000FF));
  EXPECT_TRUE(calls[0].Ok);

  // A responder's colour; then a dialog nobody answers cancels.
  SetColorDialogResponder([](TColorDialogCall& c) {
    c.Ok = true;
    c.Result = RGB(1, 2, 3);
    return true;
  });
  dlg.SetOptions(TColorDialogOptions{cdFullOpen});
  ASSERT_TRUE(dlg.Execute());
  EXPECT_EQ(dlg.Color(), TColor(RGB(1, 2, 3)));
  EXPECT_EQ(ColorDialogCalls().back().Flags & CC_FULLOPEN, CC_FULLOPEN);
  SetColorDialogResponder(nullptr);
  EXPECT_FALSE(dlg.Execute());
  EXPECT_EQ(dlg.Color(), TColor(RGB(1, 2, 3)));
}

TEST_F(Platform_Dialogs, ApplicationMessageBoxDisablesTheTaskWindows) {
  TForm other(nullptr);
  other.SetBounds(0, 0, 100, 100);
  other.Show();
  Application->SetTitle(u"Quarn test");
  bool bothDisabled = false;
  SetMessageBoxResponder([&](const TMessageBoxCall& c) {
    bothDisabled = !IsWindowEnabled(Owner->Handle()) && !IsWindowEnabled(other.Handle());
    return IDOK;
  });
  ShowMessage(u"Saved.");
  EXPECT_TRUE(bothDisabled);
  EXPECT_TRUE(IsWindowEnabled(Owner->Handle()));
  EXPECT_TRUE(IsWindowEnabled(other.Handle()));
  auto calls = MessageBoxCalls();
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].Caption, u"Quarn test");
  EXPECT_EQ(calls[0].Flags, MB_OK);
}

}  // namespace

}  // namespace t_dialogs_test
