// Range and gauge bars: button and handle geometry, zones, the position
// rules of both bars, wheel steps, the press / 600 ms / 100 ms repeat and
// the 150 ms hover check on the virtual clock, and pictures of the classic
// and flat styles.
#include <gtest/gtest.h>

#include <memory>

#include "graphics/raster/Pix32_RangeBars_qn.h"
#include "graphics/raster/Pix32_XPThemes_qn.h"
#include "platform/desktop/Desktop.h"
#include "platform/vcl/Forms.h"
#include "tests/platform/user/UserTestSupport.h"

namespace t_pix32_range_bars_qn_test {

using namespace qn;

namespace {

// A gauge showing a zone hot and one pressed without a pointer.
class TStagedGauge : public TGaugeBar {
 public:
  explicit TStagedGauge(TComponent* AOwner) : TGaugeBar(AOwner) {}
  void Stage(TRBZone Hot, TRBZone Pressed) {
    HotZone = Hot;
    DragZone = Pressed;
  }
};

class Pix32_RangeBars_qn : public usertest::InputServerTest {
 protected:
  void SetUp() override {
    usertest::InputServerTest::SetUp();
    // The server tests destroy every window of the thread after each test,
    // the theme nexus's hidden one included: make it afresh.
    if (!IsWindow(Pix32_XPThemes_qn::ThemeNexus()->WindowHandle())) {
      DonePix32XPThemes();
      InitPix32XPThemes();
    }
    SetScreenSize(1024, 768);
    FForm = std::make_unique<TForm>(nullptr);
    FForm->SetPosition(poDesigned);
    FForm->SetBorderStyle(bsNone);
    FForm->SetBounds(40, 40, 500, 300);
    FForm->Show();
    usertest::Pump();
  }
  void TearDown() override {
    ReleaseCapture();
    FForm.reset();
    // Back to the present library, and the nexus told so.
    ResetThemes();
    SendMessageW(Pix32_XPThemes_qn::ThemeNexus()->WindowHandle(), WM_THEMECHANGED, 0, 0);
    usertest::InputServerTest::TearDown();
  }
  template <class T>
  T* Make(Integer W, Integer H, TFormBorderStyle Border = bsNone) {
    auto* b = new T(FForm.get());
    b->SetParent(FForm.get());
    b->SetBorderStyle(Border);
    b->SetBounds(20, 20, W, H);
    usertest::Pump();
    b->SetOnChange([this](TObject*) { ++FChanges; });
    b->SetOnUserChange([this](TObject*) { ++FUserChanges; });
    return b;
  }
  void MoveTo(TControl* C, Integer X, Integer Y) {
    const TPoint p = C->ClientToScreen(TPoint(X, Y));
    InputMouseMove(p.X, p.Y);
    usertest::Pump();
  }
  void Wait(Integer Ms) {
    for (Integer i = 0; i < Ms; ++i) {
      AdvanceClock(1);
      usertest::Pump();
    }
  }
  // A pixel of the bar's window on the form's surface.
  COLORREF At(TControl* C, Integer X, Integer Y) {
    HDC dc = GetDCEx(FForm->Handle(), nullptr, DCX_CACHE);
    const COLORREF c = GetPixel(dc, C->Left() + X, C->Top() + Y);
    ReleaseDC(FForm->Handle(), dc);
    return c;
  }
  std::unique_ptr<TForm> FForm;
  Integer FChanges = 0, FUserChanges = 0;
};

TEST_F(Pix32_RangeBars_qn, ButtonSizesFollowTheClientArea) {
  auto* b = Make<TRangeBar>(40, 16);
  EXPECT_EQ(b->Color(), clScrollBar);
  EXPECT_EQ(b->GetButtonSize(), 16);
  b->SetWidth(30);
  EXPECT_EQ(b->GetButtonSize(), 15);
  b->SetWidth(40);
  b->SetBorderStyle(bsSingle);
  usertest::Pump();
  EXPECT_EQ(b->ClientRect(), TRect(0, 0, 38, 14));
  EXPECT_EQ(b->GetButtonSize(), 14);
  b->SetStyle(rbsMac);
  usertest::Pump();
  EXPECT_EQ(b->GetButtonSize(), 13);
  b->SetButtonSize(5);
  EXPECT_EQ(b->GetButtonSize(), 4);
  b->SetStyle(rbsDefault);
  b->SetBounds(20, 20, 3, 16);  // 1 pixel each: hidden
  usertest::Pump();
  EXPECT_EQ(b->GetButtonSize(), 0);
  b->SetShowArrows(false);
  b->SetBounds(20, 20, 40, 16);
  EXPECT_EQ(b->GetButtonSize(), 0);
  // A vertical bar measures along its height.
  auto* v = Make<TRangeBar>(16, 200);
  v->SetKind(sbVertical);
  EXPECT_EQ(v->GetButtonSize(), 16);
  EXPECT_EQ(v->GetTrackBoundary(), TRect(0, 16, 16, 184));
}

TEST_F(Pix32_RangeBars_qn, RangeHandleAndZones) {
  auto* b = Make<TRangeBar>(232, 16);  // track 16..216: 200 pixels
  EXPECT_FALSE(b->DrawEnabled());       // no range beyond the window yet
  b->SetParams(1000, 100);
  EXPECT_TRUE(b->DrawEnabled());
  EXPECT_EQ(b->GetHandleRect(), TRect(16, 0, 36, 16));  // 200 * 100 / 1000
  b->SetPosition(450);
  EXPECT_EQ(b->GetHandleRect(), TRect(106, 0, 126, 16));
  EXPECT_EQ(b->GetZone(5, 8), zBtnPrev);
  EXPECT_EQ(b->GetZone(50, 8), zTrackPrev);
  EXPECT_EQ(b->GetZone(110, 8), zHandle);
  EXPECT_EQ(b->GetZone(150, 8), zTrackNext);
  EXPECT_EQ(b->GetZone(220, 8), zBtnNext);
  EXPECT_EQ(b->GetZone(300, 8), zNone);
  EXPECT_EQ(b->GetZoneRect(zTrackPrev), TRect(16, 0, 106, 16));
  EXPECT_EQ(b->GetZoneRect(zTrackNext), TRect(126, 0, 216, 16));
  // Never shorter than 17; positions spread over the rest.
  b->SetParams(100000, 100);
  EXPECT_EQ(b->Position(), 450);
  b->SetPosition(99900);
  EXPECT_EQ(b->GetHandleRect(), TRect(199, 0, 216, 16));
  // A track shorter than 18 has no handle.
  b->SetWidth(32 + 17);
  EXPECT_EQ(b->GetHandleRect(), TRect(0, 0, 0, 0));
  b->SetWidth(32 + 18);
  EXPECT_EQ(b->GetHandleRect().Width(), 17);
}

TEST_F(Pix32_RangeBars_qn, PositionClampsAndReportsOnlyChanges) {
  auto* b = Make<TRangeBar>(232, 16);
  b->SetParams(1000, 100);
  b->SetPosition(5000);
  EXPECT_EQ(b->Position(), 900);
  EXPECT_EQ(FChanges, 1);
  EXPECT_EQ(FUserChanges, 0);
  b->SetPosition(900);
  b->SetPosition(2000);
  EXPECT_EQ(FChanges, 1);
  b->SetPosition(-3);
  EXPECT_EQ(b->Position(), 0);
  // Window = the control's extent while Window was 0 is still a change.
  auto* w = Make<TRangeBar>(232, 16);
  w->SetRange(500);
  w->SetWindow(232);
  EXPECT_EQ(w->Window(), 232);
  // Centring keeps the middle of the visible window.
  b->SetCentered(true);
  b->SetPosition(450);  // middle at 500 of 1000
  b->SetParams(2000, 100);
  EXPECT_FLOAT_EQ(b->Position(), 950);
  // The gauge.
  auto* g = Make<TGaugeBar>(232, 16);
  g->SetMin(150);
  EXPECT_EQ(g->Min(), 99);
  g->SetMax(20);
  EXPECT_EQ(g->Max(), 100);
  g->SetPosition(5);
  EXPECT_EQ(g->Position(), 99);
  g->SetSmallChange(0);
  g->SetLargeChange(-4);
  EXPECT_EQ(g->SmallChange(), 1);
  EXPECT_EQ(g->LargeChange(), 1);
}

TEST_F(Pix32_RangeBars_qn, WheelNotchesStepByIncrementAndSmallChange) {
  auto* b = Make<TRangeBar>(232, 16);
  b->SetParams(1000, 100);
  b->SetIncrement(30);
  b->Perform(WM_MOUSEWHEEL, MAKEWPARAM(0, 120), 0);
  EXPECT_FLOAT_EQ(b->Position(), 30);
  b->Perform(WM_MOUSEWHEEL, MAKEWPARAM(0, Word(-240)), 0);
  EXPECT_FLOAT_EQ(b->Position(), 0);
  auto* g = Make<TGaugeBar>(232, 16);
  g->SetSmallChange(3);
  g->Perform(WM_MOUSEWHEEL, MAKEWPARAM(0, 120), 0);
  EXPECT_EQ(g->Position(), 3);
  g->Perform(WM_MOUSEWHEEL, MAKEWPARAM(0, 60), 0);  // half a notch: 3 * 60 div 120
  EXPECT_EQ(g->Position(), 4);
}

TEST_F(Pix32_RangeBars_qn, HeldButtonRepeatsThenHoverStops) {
  auto* g = Make<TGaugeBar>(232, 16);
  g->SetMax(4);
  MoveTo(g, 220, 8);  // the next button
  InputMouseDown(VK_LBUTTON);
  usertest::Pump();
  EXPECT_EQ(g->Position(), 1);  // at once
  EXPECT_EQ(FUserChanges, 1);
  Wait(599);
  EXPECT_EQ(g->Position(), 1);
  Wait(1);
  EXPECT_EQ(g->Position(), 2);
  Wait(100);
  EXPECT_EQ(g->Position(), 3);
  Wait(100);
  EXPECT_EQ(g->Position(), 4);
  Wait(100);  // no move at the limit: hot tracking instead
  EXPECT_EQ(g->Position(), 4);
  EXPECT_EQ(g->TimerModeValue(), 3);
  EXPECT_EQ(FChanges, 4);
  EXPECT_EQ(FUserChanges, 4);
  InputMouseUp(VK_LBUTTON);
  usertest::Pump();
  EXPECT_EQ(g->DragZoneValue(), zNone);
  MoveTo(g, 100, 8);
  EXPECT_EQ(g->HotZoneValue(), zTrackPrev);  // the handle is at the end now
  EXPECT_EQ(g->RepeatTimer()->Interval(), 150u);
  // The pointer leaves without a leave message reaching the bar: the
  // hover check notices within 150 ms.
  InputMouseMove(5, 5);
  Wait(150);
  EXPECT_EQ(g->HotZoneValue(), zNone);
  EXPECT_FALSE(g->RepeatTimer()->Enabled());
}

TEST_F(Pix32_RangeBars_qn, TrackPagingStopsAtTheHandle) {
  auto* b = Make<TRangeBar>(232, 16);
  b->SetParams(1000, 100);  // handle 16..36
  MoveTo(b, 120, 8);
  InputMouseDown(VK_LBUTTON);
  usertest::Pump();
  EXPECT_FLOAT_EQ(b->Position(), 100);
  Wait(600 + 100 * 6);
  // Pages of 100 until the handle covers the pointer (116..136 at 500).
  EXPECT_FLOAT_EQ(b->Position(), 500);
  InputMouseUp(VK_LBUTTON);
  usertest::Pump();
}

TEST_F(Pix32_RangeBars_qn, HandleDragsMoveByTheirShare) {
  auto* b = Make<TRangeBar>(232, 16);
  b->SetParams(1000, 100);  // a 20-pixel handle over 200 pixels
  MoveTo(b, 25, 8);
  InputMouseDown(VK_LBUTTON);
  usertest::Pump();
  MoveTo(b, 45, 8);
  EXPECT_FLOAT_EQ(b->Position(), 100);
  EXPECT_EQ(FUserChanges, 1);
  InputMouseUp(VK_LBUTTON);
  usertest::Pump();
  // The gauge: (Max - Min) * d / (track - handle): 100 * 50 / 184.
  auto* g = Make<TGaugeBar>(232, 16);
  MoveTo(g, 24, 8);
  InputMouseDown(VK_LBUTTON);
  usertest::Pump();
  MoveTo(g, 24 + 50, 8);
  EXPECT_EQ(g->Position(), 27);
  InputMouseUp(VK_LBUTTON);
  usertest::Pump();
}

TEST_F(Pix32_RangeBars_qn, PicturesOfTheStyles) {
  SetThemeMode(TThemeMode::Absent);  // the classic look
  ASSERT_FALSE(Pix32_XPThemes_qn::USE_THEMES);
  auto* g = Make<TGaugeBar>(232, 16);
  g->SetPosition(50);
  g->Repaint();
  usertest::Pump();
  const TRect h = g->GetHandleRect();
  // Classic: the track is a checker of the highlight and the bar colour.
  const COLORREF hi = GetSysColor(COLOR_BTNHIGHLIGHT), bar = GetSysColor(COLOR_SCROLLBAR);
  const COLORREF t0 = At(g, 40, 4), t1 = At(g, 41, 4);
  EXPECT_NE(t0, t1);
  EXPECT_TRUE((t0 == hi && t1 == bar) || (t0 == bar && t1 == hi));
  EXPECT_EQ(At(g, 40, 5), t1);
  // The raised handle has a face in the button colour.
  EXPECT_EQ(At(g, (h.Left + h.Right) / 2, 8), GetSysColor(COLOR_BTNFACE));
  // Flat, solid background: the track is one colour, the handle its own.
  g->SetStyle(rbsMac);
  g->SetBackgnd(bgSolid);
  g->SetColor(TColor(0x00E0E0E0));
  g->SetHandleColor(TColor(0x00806040));
  g->SetShowHandleGrip(false);
  usertest::Pump();
  g->Repaint();
  usertest::Pump();
  const TRect fh = g->GetHandleRect();
  EXPECT_EQ(At(g, 40, 8), COLORREF(0xE0E0E0));
  EXPECT_EQ(At(g, (fh.Left + fh.Right) / 2, 8), COLORREF(0x806040));
  // Disabled: no handle, the track in the button colour.
  g->SetEnabled(false);
  usertest::Pump();
  g->Repaint();
  usertest::Pump();
  EXPECT_EQ(At(g, (fh.Left + fh.Right) / 2, 8), GetSysColor(COLOR_BTNFACE));
}

TEST_F(Pix32_RangeBars_qn, ThemeBindingFollowsTheLibrary) {
  namespace T = Pix32_XPThemes_qn;
  // Present: both handles open, and the bars draw through the theme.
  ASSERT_TRUE(T::USE_THEMES);
  EXPECT_NE(T::SCROLLBAR_THEME, nullptr);
  EXPECT_NE(T::GLOBALS_THEME, nullptr);
  EXPECT_EQ(T::GetThemeColor, nullptr);  // an optional export the library lacks
  ClearThemeCallLog();
  auto* g = new TStagedGauge(FForm.get());
  g->SetParent(FForm.get());
  g->SetBounds(20, 20, 232, 16);
  g->SetPosition(50);
  g->Stage(zBtnPrev, zBtnNext);
  g->Repaint();
  usertest::Pump();
  std::vector<std::pair<int, int>> drawn;
  for (const TThemeCall& c : ThemeCallLog())
    if (c.Function == u"DrawThemeBackground" && c.ClassName == u"SCROLLBAR") drawn.emplace_back(c.Part, c.State);
  const std::vector<std::pair<int, int>> want = {{SBP_ARROWBTN, ABS_LEFTNORMAL + 1},    // hot
                                                 {SBP_ARROWBTN, ABS_RIGHTNORMAL + 2},   // pressed
                                                 {SBP_LOWERTRACKHORZ, SCRBS_NORMAL},
                                                 {SBP_UPPERTRACKHORZ, SCRBS_NORMAL},
                                                 {SBP_THUMBBTNHORZ, SCRBS_NORMAL},
                                                 {SBP_GRIPPERHORZ, 0}};
  ASSERT_GE(drawn.size(), want.size());
  drawn.resize(want.size());
  EXPECT_EQ(drawn, want);
  g->SetEnabled(false);
  ClearThemeCallLog();
  g->Repaint();
  usertest::Pump();
  bool disabledButton = false;
  for (const TThemeCall& c : ThemeCallLog())
    disabledButton |= c.Part == SBP_ARROWBTN && c.State == ABS_LEFTNORMAL + 3;
  EXPECT_TRUE(disabledButton);

  // A theme change reopens the handles.
  ClearThemeCallLog();
  EnableTheming(false);
  EXPECT_FALSE(T::USE_THEMES);
  EnableTheming(true);
  EXPECT_TRUE(T::USE_THEMES);
  Integer opened = 0;
  for (const TThemeCall& c : ThemeCallLog()) opened += c.Function == u"OpenThemeData";
  EXPECT_EQ(opened, 2);

  // Absent, or without a required export: the classic path.
  SetThemeMode(TThemeMode::Absent);
  EXPECT_FALSE(T::USE_THEMES);
  EXPECT_EQ(T::OpenThemeData, nullptr);
  SetThemeMode(TThemeMode::Present);
  EXPECT_TRUE(T::USE_THEMES);
  SetThemeExportMissing("EnableTheming");
  SendMessageW(T::ThemeNexus()->WindowHandle(), WM_THEMECHANGED, 0, 0);
  EXPECT_FALSE(T::USE_THEMES);
  EXPECT_FALSE(T::LoadUxTheme());
  EXPECT_EQ(T::DrawThemeBackground, nullptr);
  ClearThemeCallLog();
  g->Repaint();
  usertest::Pump();
  EXPECT_TRUE(ThemeCallLog().empty());
}

TEST_F(Pix32_RangeBars_qn, FlatHelpers) {
  EXPECT_EQ(OffsetColor(TColor(0x00F01005), 24), TColor(0x00FF281D));
  EXPECT_EQ(OffsetColor(TColor(0x00F01005), -24), TColor(0x00D80000));
  EXPECT_EQ(MixColors(TColor(0x00FF0000), TColor(0x000000FF), 96), TColor(0x005F009E));
  EXPECT_THROW(MixColors(clBlack, clWhite, 256), EAssertionFailed);
  // The accessor writes through to both bars and reads the master.
  auto* a = Make<TRangeBar>(100, 16);
  auto* b = Make<TRangeBar>(100, 16);
  TArrowBarAccess access;
  access.SetMaster(a);
  access.SetSlave(b);
  access.SetStyle(rbsMac);
  access.SetButtonSize(9);
  EXPECT_EQ(b->Style(), rbsMac);
  EXPECT_EQ(b->ButtonSize(), 9);
  a->SetHandleColor(clRed);
  EXPECT_EQ(access.HandleColor(), clRed);
}

}  // namespace

}  // namespace t_pix32_range_bars_qn_test
