// The menu-like dialog watching a pop-up form: presses inside and outside,
// the second report after the pause, deactivation, the capture taken while
// the pointer is away, and the watched control handed back however the
// watch ends, with other hooks of the same control coming and going.
#include <gtest/gtest.h>

#include <memory>

#include "platform/vcl/WindowHooks.h"
#include "skin/extended/uQnLikeMenuDlg.h"
#include "tests/skin/controls/SkinControlsTestSupport.h"

namespace t_u_qn_like_menu_dlg_test {

using namespace qn;

namespace {

class TReports : public TObject {
 public:
  Integer Count = 0;
  TObject* Sender = nullptr;
  void Outside(TObject* S) {
    ++Count;
    Sender = S;
  }
};

class uQnLikeMenuDlg : public skintest::RootTest {
 protected:
  void SetUp() override {
    RootTest::SetUp();
    FPopup = std::make_unique<TForm>(nullptr);
    FPopup->SetPosition(poDesigned);
    FPopup->SetBorderStyle(bsNone);
    FPopup->SetBounds(600, 100, 150, 100);
    FPopup->Show();
    usertest::Pump();
    FDlg = std::make_unique<TQnLikeMenuDlg>(nullptr);
    FDlg->SetOnMouseClickOutside(TNotifyEvent(&FReports, &TReports::Outside));
  }
  void TearDown() override {
    FDlg.reset();
    FPopup.reset();
    RootTest::TearDown();
  }
  void Inside() { MoveTo(FPopup.get(), 75, 50); }
  void Outside() { MoveTo(FRoot.get(), 100, 100); }
  // A press as the watched window gets it, wherever the pointer is.
  void PressOnPopup() { SendMessageW(FPopup->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, 0); }

  std::unique_ptr<TForm> FPopup;
  std::unique_ptr<TQnLikeMenuDlg> FDlg;
  TReports FReports;
};

TEST_F(uQnLikeMenuDlg, PressesInsideAndOutside) {
  Inside();
  FDlg->Capture(FPopup.get());
  EXPECT_EQ(FDlg->DestWin(), FPopup.get());
  Press();
  Release();
  Wait(60);
  EXPECT_EQ(FReports.Count, 0);
  EXPECT_FALSE(FDlg->Captured());

  // Away: the capture within one tick, so the outside press arrives.
  Outside();
  Wait(20);
  EXPECT_TRUE(FDlg->Captured());
  EXPECT_EQ(GetCapture(), FPopup->Handle());
  Press();
  EXPECT_EQ(FReports.Count, 1);
  EXPECT_EQ(FReports.Sender, FDlg.get());
  EXPECT_TRUE(FDlg->Stopped());
  EXPECT_FALSE(FDlg->Captured());
  Release();
  EXPECT_EQ(GetCapture(), nullptr);
  // Reported once: no capture is taken again after the report.
  Wait(100);
  EXPECT_EQ(FReports.Count, 1);
  EXPECT_EQ(GetCapture(), nullptr);
  // A further outside press is reported again, after 200 ms.
  PressOnPopup();
  Wait(199);
  EXPECT_EQ(FReports.Count, 1);
  Wait(2);
  EXPECT_EQ(FReports.Count, 2);
  Wait(400);
  EXPECT_EQ(FReports.Count, 2);

  // A new watch: the pointer's return releases the capture.
  FDlg->Capture(FPopup.get());
  EXPECT_FALSE(FDlg->Stopped());
  Wait(20);
  EXPECT_EQ(GetCapture(), FPopup->Handle());
  Inside();
  Wait(20);
  EXPECT_FALSE(FDlg->Captured());
  EXPECT_EQ(GetCapture(), nullptr);
  // Presses inside restart the watch and report nothing.
  Press();
  Release();
  Outside();
  Wait(20);
  EXPECT_EQ(GetCapture(), FPopup->Handle());
  EXPECT_EQ(FReports.Count, 2);
}

TEST_F(uQnLikeMenuDlg, DeactivationWithThePointerOutsideReports) {
  Outside();
  FPopup->SetFocus();
  usertest::Pump();
  FDlg->Capture(FPopup.get());
  // Activation with the pointer inside reports nothing.
  Inside();
  SendMessageW(FPopup->Handle(), WM_NCACTIVATE, 1, 0);
  EXPECT_EQ(FReports.Count, 0);
  Outside();
  SetActiveWindow(FRoot->Handle());
  usertest::Pump();
  EXPECT_EQ(FReports.Count, 1);
  EXPECT_TRUE(FDlg->Stopped());
}

TEST_F(uQnLikeMenuDlg, WatchedControlIsGivenBack) {
  auto second = std::make_unique<TForm>(nullptr);
  second->SetPosition(poDesigned);
  second->SetBorderStyle(bsNone);
  second->SetBounds(600, 300, 100, 80);
  second->Show();
  usertest::Pump();
  Outside();
  FDlg->Capture(FPopup.get());
  Wait(20);
  EXPECT_EQ(GetCapture(), FPopup->Handle());
  EXPECT_EQ(WindowProcHookCount(FPopup.get()), 1);
  // A second watch hands the first control back, capture included.
  FDlg->Capture(second.get());
  EXPECT_EQ(WindowProcHookCount(FPopup.get()), 0);
  EXPECT_EQ(WindowProcHookCount(second.get()), 1);
  EXPECT_NE(GetCapture(), FPopup->Handle());
  PressOnPopup();
  Wait(300);
  EXPECT_EQ(FReports.Count, 0);
  Wait(20);
  EXPECT_EQ(GetCapture(), second->Handle());
  // Destruction hands the watched control back.
  FDlg.reset();
  EXPECT_EQ(WindowProcHookCount(second.get()), 0);
  EXPECT_EQ(GetCapture(), nullptr);
  SendMessageW(second->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, 0);
  Wait(300);
  EXPECT_EQ(FReports.Count, 0);

  // A watched control freed first ends the watch.
  FDlg = std::make_unique<TQnLikeMenuDlg>(nullptr);
  FDlg->SetOnMouseClickOutside(TNotifyEvent(&FReports, &TReports::Outside));
  FDlg->Capture(second.get());
  Wait(20);
  second.reset();
  usertest::Pump();
  EXPECT_EQ(FDlg->DestWin(), nullptr);
  Wait(100);
  EXPECT_EQ(FReports.Count, 0);
  FDlg.reset();
}

TEST_F(uQnLikeMenuDlg, OtherHooksComeAndGoInAnyOrder) {
  Integer seen = 0;
  std::unique_ptr<TWindowProcHook> other;
  other = HookWindowProc(FPopup.get(), [&](TMessage& M) {
    if (M.Msg == WM_LBUTTONDOWN) ++seen;
    other->CallNext(M);
  });
  Outside();
  FDlg->Capture(FPopup.get());
  EXPECT_EQ(WindowProcHookCount(FPopup.get()), 2);
  // The older hook goes first: the watch goes on.
  other.reset();
  EXPECT_EQ(WindowProcHookCount(FPopup.get()), 1);
  PressOnPopup();
  EXPECT_EQ(FReports.Count, 1);

  // A newer hook outlives the watch and still gets every message.
  FDlg->Capture(FPopup.get());
  other = HookWindowProc(FPopup.get(), [&](TMessage& M) {
    if (M.Msg == WM_LBUTTONDOWN) ++seen;
    other->CallNext(M);
  });
  FDlg.reset();
  EXPECT_EQ(WindowProcHookCount(FPopup.get()), 1);
  PressOnPopup();
  EXPECT_EQ(seen, 1);
  EXPECT_EQ(FReports.Count, 1);
  other.reset();
  EXPECT_EQ(WindowProcHookCount(FPopup.get()), 0);
  PressOnPopup();
}

TEST_F(uQnLikeMenuDlg, TheReportMayFreeTheComponent) {
  Outside();
  TQnLikeMenuDlg* raw = FDlg.get();
  struct TFreer : TObject {
    std::unique_ptr<TQnLikeMenuDlg>* Owner;
    Integer Calls = 0;
    void Outside(TObject*) {
      ++Calls;
      Owner->reset();
    }
  } freer;
  freer.Owner = &FDlg;
  raw->SetOnMouseClickOutside(TNotifyEvent(&freer, &TFreer::Outside));
  raw->Capture(FPopup.get());
  Wait(20);
  Press();
  Release();
  EXPECT_EQ(freer.Calls, 1);
  EXPECT_EQ(FDlg, nullptr);
  EXPECT_EQ(WindowProcHookCount(FPopup.get()), 0);
  Wait(300);
}

}  // namespace

}  // namespace t_u_qn_like_menu_dlg_test
