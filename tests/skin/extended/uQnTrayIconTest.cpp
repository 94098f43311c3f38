// The tray icon against the in-process shell: its calls read from the
// shell's log, its callbacks driven by clicks on the taskbar cell, timers on
// the virtual clock; the main form and the application window around it.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "platform/desktop/Desktop.h"
#include "platform/rtl/SysUtils.h"
#include "skin/extended/uQnTrayIcon.h"
#include "skin/forms/uQuarnForm.h"
#include "tests/platform/user/UserTestSupport.h"

namespace t_u_qn_tray_icon_test {

using namespace qn;

namespace {

uint32_t Rgb(COLORREF c) { return (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c); }

TBitmap* Square(COLORREF c) {
  auto* b = new TBitmap;
  b->SetPixelFormat(TPixelFormat::pf32bit);
  b->SetSize(16, 16);
  b->Canvas()->Brush()->SetColor(TColor(c));
  b->Canvas()->FillRect(TRect(0, 0, 16, 16));
  return b;
}

class uQnTrayIcon : public usertest::InputServerTest {
 protected:
  void SetUp() override {
    InputServerTest::SetUp();
    SetScreenSize(1024, 768);
    Application->CreateForm(Main);
    Main->SetBounds(100, 100, 300, 200);
    Main->Show();
    usertest::Pump();
    TakeShellNotifyLog();
  }
  void TearDown() override {
    SetMenuResponder(nullptr);
    SetShellNotifyFailure(false);
    delete Main;  // with its tray icons
    Application->SetShowMainForm(true);
    RestartShell();
    usertest::Pump();
    InputServerTest::TearDown();
  }
  TQnTrayIcon* Make(COLORREF c = RGB(200, 40, 40)) {
    auto* t = new TQnTrayIcon(Main);
    std::unique_ptr<TBitmap> b(Square(c));
    TIcon icon;
    t->BitmapToIcon(b.get(), &icon, clFuchsia);
    t->SetIcon(&icon);
    t->SetIconVisible(true);
    usertest::Pump();
    return t;
  }
  POINT Cell(TQnTrayIcon* t) {
    NOTIFYICONIDENTIFIER ni;
    ni.hWnd = t->IconData().hWnd;
    ni.uID = t->IconID();
    RECT r;
    EXPECT_EQ(Shell_NotifyIconGetRect(&ni, &r), S_OK);
    return POINT((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
  }
  void Click(POINT p, int button = VK_LBUTTON) {
    InputMouseMove(p.X, p.Y);
    InputMouseDown(button);
    InputMouseUp(button);
    usertest::Pump();
  }
  void Wait(Integer ms) {
    for (Integer i = 0; i < ms; ++i) {
      AdvanceClock(1);
      usertest::Pump();
    }
  }
  static std::vector<TNotifyIconCall> Calls(DWORD action) {
    std::vector<TNotifyIconCall> v;
    for (auto& c : TakeShellNotifyLog())
      if (c.Action == action) v.push_back(c);
    return v;
  }
  TForm* Main = nullptr;
};

struct TMouseLog {
  std::vector<std::string> Events;
  void Attach(TQnTrayIcon* t) {
    t->SetOnMouseDown([this](TObject*, TMouseButton b, TShiftState, Integer, Integer) {
      Events.push_back(std::string("down") + char('0' + int(b)));
    });
    t->SetOnMouseUp([this](TObject*, TMouseButton b, TShiftState, Integer, Integer) {
      Events.push_back(std::string("up") + char('0' + int(b)));
    });
    t->SetOnClick([this](TObject*) { Events.push_back("click"); });
  }
};

}  // namespace

TEST_F(uQnTrayIcon, IconsShareOneHandlerAndHearOnlyTheirOwnId) {
  TQnTrayIcon* a = Make();
  TQnTrayIcon* b = Make(RGB(40, 60, 200));
  ASSERT_NE(TrayIconHandler(), nullptr);
  EXPECT_EQ(TrayIconHandler()->RefCount(), 2u);
  EXPECT_EQ(a->IconData().hWnd, b->IconData().hWnd);
  EXPECT_NE(a->IconID(), b->IconID());
  TMouseLog la, lb;
  la.Attach(a);
  lb.Attach(b);
  Click(Cell(b));
  EXPECT_TRUE(la.Events.empty());
  EXPECT_EQ(lb.Events, (std::vector<std::string>{"down0", "click", "up0"}));
  // A callback already queued for a goes nowhere once a is gone.
  PostMessageW(TrayIconHandler()->Handle(), MM_TRAYNOTIFY, a->IconID(), WM_LBUTTONDOWN);
  delete a;
  usertest::Pump();
  EXPECT_EQ(TrayIconHandler()->RefCount(), 1u);
  EXPECT_EQ(Calls(NIM_DELETE).size(), 1u);
  delete b;
  EXPECT_EQ(TrayIconHandler(), nullptr);
}

TEST_F(uQnTrayIcon, PropertiesBecomeShellCallsWithTheirFields) {
  const String title = Application->Title();
  Application->SetTitle(u"Tray test");
  auto* t = new TQnTrayIcon(Main);
  std::unique_ptr<TBitmap> red(Square(RGB(200, 40, 40))), blue(Square(RGB(40, 60, 200)));
  TIcon icon;
  t->BitmapToIcon(red.get(), &icon, clFuchsia);
  t->SetIcon(&icon);
  TakeShellNotifyLog();
  t->SetIconVisible(true);
  auto adds = Calls(NIM_ADD);
  ASSERT_EQ(adds.size(), 1u);
  EXPECT_TRUE(adds[0].Succeeded);
  EXPECT_EQ(adds[0].Size, NOTIFYICONDATAW_V2_SIZE);
  EXPECT_EQ(adds[0].Wnd, TrayIconHandler()->Handle());
  EXPECT_EQ(adds[0].Id, t->IconID());
  EXPECT_EQ(adds[0].Flags, NIF_MESSAGE | NIF_ICON | NIF_TIP);
  EXPECT_EQ(adds[0].CallbackMessage, MM_TRAYNOTIFY);
  ASSERT_EQ(adds[0].IconPixels.size(), 256u);
  EXPECT_EQ(adds[0].IconPixels[8 * 16 + 8], Rgb(RGB(200, 40, 40)));
  t->SetHint(u"Backup running");
  auto mods = Calls(NIM_MODIFY);
  ASSERT_EQ(mods.size(), 1u);
  EXPECT_EQ(mods[0].Tip, u"Backup running");
  t->SetShowHint(false);
  EXPECT_EQ(Calls(NIM_MODIFY).at(0).Tip, u"");
  t->BitmapToIcon(blue.get(), &icon, clFuchsia);
  t->SetIcon(&icon);
  EXPECT_EQ(Calls(NIM_MODIFY).at(0).IconPixels[8 * 16 + 8], Rgb(RGB(40, 60, 200)));
  t->SetBehavior(bhWin2000);
  auto versions = Calls(NIM_SETVERSION);
  ASSERT_EQ(versions.size(), 1u);
  EXPECT_EQ(versions[0].TimeoutOrVersion, NOTIFYICON_VERSION);
  EXPECT_TRUE(versions[0].Succeeded);
  t->SetIconVisible(false);
  auto deletes = Calls(NIM_DELETE);
  ASSERT_EQ(deletes.size(), 1u);
  EXPECT_TRUE(deletes[0].Succeeded);
  EXPECT_FALSE(t->IconVisible());
  // A shell that refuses.
  SetShellNotifyFailure(true);
  EXPECT_FALSE(t->ShowIcon());
  SetShellNotifyFailure(false);
  // Without a title the record carries no tip at all.
  Application->SetTitle(u"");
  auto* untitled = new TQnTrayIcon(Main);
  EXPECT_EQ(untitled->IconData().uFlags, NIF_MESSAGE | NIF_ICON);
  Application->SetTitle(title);
}

TEST_F(uQnTrayIcon, ClickAgainstDoubleClickAndTheMenuDefault) {
  TQnTrayIcon* t = Make();
  TMouseLog log;
  log.Attach(t);
  // Without OnDblClick the click comes at the release.
  Click(Cell(t));
  EXPECT_EQ(log.Events, (std::vector<std::string>{"down0", "click", "up0"}));
  log.Events.clear();
  Wait(1000);
  // With it, one double-click time after the press.
  int dbl = 0, chosen = 0;
  t->SetOnDblClick([&](TObject*) { ++dbl; });
  Click(Cell(t));
  EXPECT_EQ(log.Events, (std::vector<std::string>{"down0", "up0"}));
  Wait(Integer(GetDoubleClickTime()) - 20);
  EXPECT_EQ(log.Events.size(), 2u);
  Wait(40);
  EXPECT_EQ(log.Events, (std::vector<std::string>{"down0", "up0", "click"}));
  log.Events.clear();
  Wait(1000);
  // A double click: only OnDblClick, and the menu's default item.
  auto* menu = new TPopupMenu(Main);
  for (int i = 0; i < 3; ++i) {
    auto* item = new TMenuItem(menu);
    item->SetCaption(u"Item " + IntToStr(i));
    item->SetDefault(i == 1);
    item->SetOnClick([&chosen, i](TObject*) { chosen = 10 + i; });
    menu->Items()->Add(item);
  }
  t->SetPopupMenu(menu);
  Click(Cell(t));
  Click(Cell(t));
  Wait(Integer(GetDoubleClickTime()) + 20);
  EXPECT_EQ(dbl, 1);
  EXPECT_EQ(chosen, 11);
  for (auto& e : log.Events) EXPECT_NE(e, "click");
}

TEST_F(uQnTrayIcon, DisabledIconsHearBalloonsOnlyAndRightButtonsByBehaviour) {
  TQnTrayIcon* t = Make();
  TMouseLog log;
  log.Attach(t);
  int shown = 0, hidden = 0, clicked = 0, timedOut = 0;
  t->SetOnBalloonHintShow([&](TObject* s) { shown += s == t; });
  t->SetOnBalloonHintHide([&](TObject*) { ++hidden; });
  t->SetOnBalloonHintClick([&](TObject*) { ++clicked; });
  t->SetOnBalloonHintTimeout([&](TObject*) { ++timedOut; });
  t->SetEnabled(false);
  Click(Cell(t));
  t->ShowBalloonHint(u"Title", u"Text", bitInfo, 10);
  usertest::Pump();
  EXPECT_TRUE(log.Events.empty());
  EXPECT_EQ(shown, 1);
  Wait(10010);
  EXPECT_EQ(timedOut, 1);
  t->SetEnabled(true);
  Wait(1000);
  // Version 0: the right release is reported as it comes.
  Click(Cell(t), VK_RBUTTON);
  EXPECT_EQ(log.Events, (std::vector<std::string>{"down1", "up1"}));
  log.Events.clear();
  Wait(1000);
  // Version 3: the context-menu notification stands for the release, and
  // a left click's selection is no right-button release.
  t->SetBehavior(bhWin2000);
  Click(Cell(t), VK_RBUTTON);
  EXPECT_EQ(log.Events, (std::vector<std::string>{"down1", "up1"}));
  log.Events.clear();
  Wait(1000);
  Click(Cell(t));
  EXPECT_EQ(log.Events, (std::vector<std::string>{"down0", "click", "up0"}));
  EXPECT_EQ(hidden + clicked, 0);
  // Shift comes from the keyboard as the callback is handled, the place
  // from the cursor.
  Wait(1000);
  TShiftState seen;
  TPoint where;
  t->SetOnMouseDown([&](TObject*, TMouseButton, TShiftState s, Integer x, Integer y) {
    seen = s;
    where = TPoint(x, y);
  });
  const POINT p = Cell(t);
  InputKeyDown(VK_SHIFT);
  Click(p, VK_MBUTTON);
  InputKeyUp(VK_SHIFT);
  usertest::Pump();
  EXPECT_EQ(seen, (TShiftState{ssShift, ssMiddle}));
  EXPECT_EQ(where, TPoint(p.X, p.Y));
}

TEST_F(uQnTrayIcon, TextsAreCutToTheirFieldsAndBalloonFieldsAsGiven) {
  TQnTrayIcon* t = Make();
  String hint;
  for (int i = 0; i < 200; ++i) hint += i % 3 == 0 ? u'ж' : i % 3 == 1 ? u'字' : u'a';
  TakeShellNotifyLog();
  t->SetHint(hint);
  EXPECT_EQ(Calls(NIM_MODIFY).at(0).Tip, hint.substr(0, 127));
  EXPECT_EQ(t->Hint(), hint);
  // A pair of UTF-16 units is never cut in half.
  String pairs;
  for (int i = 0; i < 100; ++i) pairs += u"\U0001F600";
  t->SetHint(pairs);
  EXPECT_EQ(Calls(NIM_MODIFY).at(0).Tip, pairs.substr(0, 126));
  t->ShowBalloonHint(String(100, u'T'), String(300, u'x'), bitWarning, 5);
  auto mods = Calls(NIM_MODIFY);
  ASSERT_EQ(mods.size(), 2u);  // the old balloon hidden, the new one shown
  EXPECT_EQ(mods[0].Flags & NIF_INFO, NIF_INFO);
  EXPECT_EQ(mods[0].Info, u"");
  EXPECT_EQ(mods[1].InfoTitle, String(63, u'T'));
  EXPECT_EQ(mods[1].Info, String(255, u'x'));
  EXPECT_EQ(mods[1].TimeoutOrVersion, 5000u);
  EXPECT_EQ(mods[1].InfoFlags, NIIF_WARNING);
  // The balloon travels with its own call only: a later change of the icon
  // does not show it again.
  t->SetHint(u"x");
  EXPECT_EQ(Calls(NIM_MODIFY).at(0).Flags & NIF_INFO, 0u);
  EXPECT_THROW(t->ShowBalloonHint(u"T", u"x", bitInfo, 0), EArgumentOutOfRangeException);
  EXPECT_THROW(t->ShowBalloonHint(u"T", u"x", bitInfo, 61), EArgumentOutOfRangeException);
  EXPECT_TRUE(TakeShellNotifyLog().empty());
}

TEST_F(uQnTrayIcon, ShellRestartReAddsVisibleIconsOnly) {
  ASSERT_NE(TaskbarCreatedMessage(), 0u);
  TQnTrayIcon* shown = Make();
  TQnTrayIcon* hidden = Make();
  hidden->SetIconVisible(false);
  TakeShellNotifyLog();
  RestartShell();
  usertest::Pump();
  auto adds = Calls(NIM_ADD);
  ASSERT_EQ(adds.size(), 1u);
  EXPECT_EQ(adds[0].Id, shown->IconID());
  EXPECT_TRUE(adds[0].Succeeded);
}

TEST_F(uQnTrayIcon, StartupAnsweringFalseHidesTheMainFormAndApplicationWindow) {
  Application->SetMainFormOnTaskBar(false);
  ShowWindow(Application->Handle(), SW_SHOW);
  auto* t = new TQnTrayIcon(Main);
  int asked = 0;
  t->SetOnStartup([&](TObject*, bool& show) {
    ++asked;
    show = false;
  });
  t->Loaded();
  EXPECT_EQ(asked, 1);
  EXPECT_FALSE(Main->Visible());
  EXPECT_FALSE(IsWindowVisible(Application->Handle()));
  EXPECT_FALSE(Application->ShowMainForm());
  t->ShowMainForm();
  t->ShowTaskbarIcon();
  EXPECT_TRUE(Main->Visible());
  EXPECT_TRUE(IsWindowVisible(Application->Handle()));
  ShowWindow(Application->Handle(), SW_HIDE);
  Application->SetMainFormOnTaskBar(true);
}

TEST_F(uQnTrayIcon, CyclingWrapsAndEachStepCarriesItsImage) {
  TQnTrayIcon* t = Make();
  const COLORREF colours[] = {RGB(220, 30, 30), RGB(30, 160, 60), RGB(30, 60, 220)};
  auto* list = new TCustomImageList(Main);
  list->SetSize(16, 16);
  for (COLORREF c : colours) {
    std::unique_ptr<TBitmap> b(Square(c));
    list->AddMasked(b.get(), clFuchsia);
  }
  std::vector<Integer> next;
  t->SetOnCycle([&](TObject*, Integer n) { next.push_back(n); });
  t->SetIconList(list);
  t->SetCycleInterval(100);
  t->SetCycleIcons(true);
  TakeShellNotifyLog();
  Wait(305);
  EXPECT_EQ(next, (std::vector<Integer>{1, 2, 0}));
  auto mods = Calls(NIM_MODIFY);
  ASSERT_EQ(mods.size(), 3u);
  for (size_t i = 0; i < 3; ++i) EXPECT_EQ(mods[i].IconPixels.at(8 * 16 + 8), Rgb(colours[(i + 1) % 3]));
  t->SetCycleIcons(false);
  Wait(200);
  EXPECT_EQ(next.size(), 3u);
  // The list going takes the index back to 0.
  delete list;
  EXPECT_EQ(t->IconList(), nullptr);
  EXPECT_EQ(t->IconIndex(), 0);
}

TEST_F(uQnTrayIcon, MinimisingGoesToTheTrayAndRestoreBringsTheFormBack) {
  auto* t = new TQnTrayIcon(Main);
  t->SetMinimizeToTray(true);
  int fired = 0;
  t->SetOnMinimizeToTray([&](TObject*) { ++fired; });
  TakeShellNotifyLog();
  // The form's own minimise command is swallowed.
  SendMessageW(Main->Handle(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
  EXPECT_EQ(fired, 1);
  EXPECT_FALSE(Main->Visible());
  EXPECT_FALSE(IsIconic(Main->Handle()));
  EXPECT_TRUE(t->IconVisible());
  EXPECT_EQ(Calls(NIM_ADD).size(), 1u);
  t->ShowMainForm();
  EXPECT_TRUE(Main->Visible());
  // The application minimised.
  SendMessageW(Application->Handle(), WM_SIZE, SIZE_MINIMIZED, 0);
  EXPECT_EQ(fired, 2);
  EXPECT_FALSE(Main->Visible());
  // SC_RESTORE to the application brings a minimised main form back.
  Main->SetWindowState(wsMinimized);
  SendMessageW(Application->Handle(), WM_SYSCOMMAND, SC_RESTORE, 0);
  EXPECT_EQ(Main->WindowState(), wsNormal);
  EXPECT_TRUE(Main->Visible());
  // Without MinimizeToTray the command goes on to the form.
  t->SetMinimizeToTray(false);
  SendMessageW(Main->Handle(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
  EXPECT_EQ(fired, 2);
  EXPECT_TRUE(IsIconic(Main->Handle()));
}

TEST_F(uQnTrayIcon, EnterAndExitByTheTwentyMillisecondPoll) {
  TQnTrayIcon* t = Make();
  t->SetWantEnterExitEvents(true);
  int entered = 0, exited = 0;
  t->SetOnMouseEnter([&](TObject*) { ++entered; });
  t->SetOnMouseExit([&](TObject*) { ++exited; });
  POINT p = Cell(t);
  InputMouseMove(p.X, p.Y);
  usertest::Pump();
  EXPECT_EQ(entered, 1);
  Wait(100);
  EXPECT_EQ(exited, 0);
  InputMouseMove(300, 300);
  usertest::Pump();
  Wait(20);
  EXPECT_EQ(exited, 1);
  InputMouseMove(p.X, p.Y);
  usertest::Pump();
  EXPECT_EQ(entered, 2);
}

TEST_F(uQnTrayIcon, TheMenuOpensAtTheCursorForTheIcon) {
  TQnTrayIcon* t = Make();
  auto* menu = new TPopupMenu(Main);
  auto* item = new TMenuItem(menu);
  item->SetCaption(u"Open");
  menu->Items()->Add(item);
  t->SetPopupMenu(menu);
  TComponent* seenBy = nullptr;
  int opened = 0;
  SetMenuResponder([&](HMENU, UINT&) {
    ++opened;
    seenBy = menu->PopupComponent();
    return false;
  });
  POINT p = Cell(t);
  Click(p, VK_RBUTTON);
  EXPECT_EQ(opened, 1);
  EXPECT_EQ(seenBy, t);
  EXPECT_EQ(menu->PopupPoint(), TPoint(p.X, p.Y));
  // LeftPopup opens it on the left button too.
  Wait(1000);
  t->SetLeftPopup(true);
  Click(p);
  EXPECT_EQ(opened, 2);
  // The menu going clears the reference.
  delete menu;
  EXPECT_EQ(t->PopupMenu(), nullptr);
  Wait(1000);
  Click(p, VK_RBUTTON);
  EXPECT_EQ(opened, 2);
}

namespace {

class TCountingHook : public TQnHookWindowProc {
 public:
  using TQnHookWindowProc::TQnHookWindowProc;
  int Minimizes = 0;

 protected:
  void NewWndProc(TMessage& Message) override {
    if (Message.Msg == WM_SYSCOMMAND && (Message.WParam & 0xFFF0) == SC_MINIMIZE) ++Minimizes;
    OldWndProc(Message);
  }
};

}  // namespace

TEST_F(uQnTrayIcon, DestructionRemovesTheIconAndItsHooksInEitherOrder) {
  for (bool trayFirst : {true, false}) {
    SCOPED_TRACE(trayFirst ? "tray destroyed first" : "form hook destroyed first");
    ShowWindow(Main->Handle(), SW_RESTORE);
    auto* hook = new TCountingHook(Main);
    TQnTrayIcon* t = Make();
    t->SetMinimizeToTray(true);
    auto* later = new TCountingHook(Main);
    TakeShellNotifyLog();
    if (trayFirst) {
      delete t;
      EXPECT_EQ(Calls(NIM_DELETE).size(), 1u);
      SendMessageW(Main->Handle(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
      EXPECT_TRUE(IsIconic(Main->Handle()));  // nobody swallows it any more
      EXPECT_EQ(hook->Minimizes, 1);
      EXPECT_EQ(later->Minimizes, 1);
    } else {
      delete later;
      delete hook;
      SendMessageW(Main->Handle(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
      EXPECT_FALSE(IsIconic(Main->Handle()));  // the tray still takes it
      EXPECT_FALSE(Main->Visible());
      delete t;
      EXPECT_EQ(Calls(NIM_DELETE).size(), 1u);
      Main->Show();
      SendMessageW(Main->Handle(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
      EXPECT_TRUE(IsIconic(Main->Handle()));
      hook = later = nullptr;
    }
    delete hook;
    delete later;
    usertest::Pump();
  }
}

TEST_F(uQnTrayIcon, BitmapToIconAndTheClientIconPosition) {
  auto* t = new TQnTrayIcon(Main);
  TBitmap b;
  b.SetPixelFormat(TPixelFormat::pf32bit);
  b.SetSize(16, 16);
  b.Canvas()->Brush()->SetColor(clFuchsia);
  b.Canvas()->FillRect(TRect(0, 0, 16, 16));
  b.Canvas()->Brush()->SetColor(TColor(RGB(0, 160, 60)));
  b.Canvas()->FillRect(TRect(4, 4, 12, 12));
  TIcon icon;
  EXPECT_TRUE(t->BitmapToIcon(&b, &icon, clFuchsia));
  std::vector<uint32_t> px = icon.Pixels();
  ASSERT_EQ(px.size(), 256u);
  EXPECT_EQ(px[0] >> 24, 0u);
  EXPECT_EQ(px[8 * 16 + 8], 0xFF000000u | Rgb(RGB(0, 160, 60)));
  // A point over the form, in its client coordinates, folded by the
  // caption height less one.
  const TPoint origin = Main->ClientToScreen(TPoint(0, 0));
  const Integer step = GetSystemMetrics(SM_CYCAPTION) - 1;
  for (TPoint c : {TPoint(5, 7), TPoint(50, 71), TPoint(123, 45)}) {
    TPoint got = t->GetClientIconPos(origin.X + c.X, origin.Y + c.Y);
    EXPECT_EQ(got, TPoint(c.X % step - 1, c.Y % step - 1));
  }
}

TEST_F(uQnTrayIcon, TheShellsTipAndBalloonWindowsAreFound) {
  TQnTrayIcon* t = Make();
  EXPECT_EQ(t->GetTooltipHandle(), nullptr);
  EXPECT_EQ(t->GetBalloonHintHandle(), nullptr);
  t->SetHint(u"Sync: idle");
  POINT p = Cell(t);
  InputMouseMove(p.X - 200, p.Y - 200);
  usertest::Pump();
  InputMouseMove(p.X, p.Y);
  usertest::Pump();
  UINT hover = 400;
  SystemParametersInfoW(SPI_GETMOUSEHOVERTIME, 0, &hover, 0);
  Wait(Integer(hover) + 5);
  ASSERT_NE(ShellTooltipWindow(), nullptr);
  EXPECT_EQ(t->GetTooltipHandle(), ShellTooltipWindow());
  EXPECT_EQ(GetWindowText(t->GetTooltipHandle()), u"Sync: idle");
  t->ShowBalloonHint(u"Done", u"All synced", bitInfo, 10);
  ASSERT_NE(ShellBalloonWindow(), nullptr);
  EXPECT_EQ(t->GetBalloonHintHandle(), ShellBalloonWindow());
  EXPECT_EQ(t->GetTooltipHandle(), ShellTooltipWindow());
  t->HideBalloonHint();
  EXPECT_EQ(t->GetBalloonHintHandle(), nullptr);
}

TEST_F(uQnTrayIcon, AtDesignTimeOnlyThePreviewReachesTheShell) {
  std::unique_ptr<TForm> designed(new TForm(nullptr));
  designed->SetDesigning(true);
  auto* t = new TQnTrayIcon(designed.get());
  ASSERT_TRUE(t->ComponentState().Contains(csDesigning));
  TakeShellNotifyLog();
  t->SetIconVisible(true);
  t->SetHint(u"Designed");
  EXPECT_TRUE(t->IconVisible());
  EXPECT_TRUE(TakeShellNotifyLog().empty());
  // The preview shows the system's logo icon.
  t->SetDesignPreview(true);
  auto adds = Calls(NIM_ADD);
  ASSERT_EQ(adds.size(), 1u);
  EXPECT_TRUE(adds[0].Succeeded);
  EXPECT_FALSE(adds[0].IconPixels.empty());
  EXPECT_TRUE(t->Icon()->HandleAllocated());
  t->SetDesignPreview(false);
  auto deletes = Calls(NIM_DELETE);
  ASSERT_EQ(deletes.size(), 1u);
  EXPECT_TRUE(deletes[0].Succeeded);
  EXPECT_EQ(ShellTrayWindow(), nullptr);
  designed.reset();
  EXPECT_TRUE(Calls(NIM_ADD).empty());  // going, it adds nothing back
}

}  // namespace t_u_qn_tray_icon_test
