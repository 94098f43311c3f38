// The skinned scroll bar: geometry against the built-in skin's image sizes
// (arrows 10 px, so a 220-px bar has a 200-px track), the range rules, the
// auto-repeat and drag on the virtual clock through the input driver,
// pictures by pixel probes, and a native window driven through the hosting
// protocol.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <random>

#include "platform/classes/FormText.h"
#include "platform/desktop/Desktop.h"
#include "platform/vcl/ControlMessages.h"
#include "skin/controls/uQuarnScrollBar.h"
#include "tests/platform/user/UserTestSupport.h"

namespace t_u_quarn_scroll_bar_test {

using namespace qn;

namespace {

// An opaque one-colour parent, so what the bar leaves undrawn is known.
class TFlat : public TQuarnCustomControl {
  QN_CLASS(TFlat, TQuarnCustomControl)
 public:
  explicit TFlat(TComponent* AOwner) : TQuarnCustomControl(AOwner) {
    SetControlStyle(ControlStyle() + TControlStyle{csAcceptsControls});
    SetTransparent(false);
    SetColor(static_cast<TColor>(0x00204060));
  }
};

class uQuarnScrollBar : public usertest::ServerTest {
 protected:
  static constexpr Integer HX = 40, HY = 40, BX = 20, BY = 20;
  void SetUp() override {
    usertest::ServerTest::SetUp();
    SetVirtualClock(true);
    FHost = usertest::MakeTop(HX, HY, 400, 300);
    FRoot = std::make_unique<TFlat>(nullptr);
    FRoot->SetBounds(0, 0, 400, 300);
    FRoot->SetParentWindow(FHost);
  }
  void TearDown() override {
    ResetInput();
    FRoot.reset();
    FreeDeviceContexts();
    SetVirtualClock(false);
    usertest::ServerTest::TearDown();
  }
  TQuarnScrollBar* Bar(TScrollBarKind Kind = sbHorizontal, Integer Length = 220) {
    auto* b = new TQuarnScrollBar(FRoot.get());
    b->SetParent(FRoot.get());
    b->SetKind(Kind);
    if (Kind == sbHorizontal)
      b->SetBounds(BX, BY, Length, 10);
    else
      b->SetBounds(BX, BY, 10, Length);
    usertest::Pump();
    return b;
  }
  // Pointer at (X, Y) of the bar.
  void MoveTo(Integer X, Integer Y) {
    InputMouseMove(HX + BX + X, HY + BY + Y);
    usertest::Pump();
  }
  void Press() {
    InputMouseDown(VK_LBUTTON);
    usertest::Pump();
  }
  void Release() {
    InputMouseUp(VK_LBUTTON);
    usertest::Pump();
  }
  // The clock in steps of 1 ms, so every timer fires when it is due.
  void Wait(Integer Ms) {
    for (Integer i = 0; i < Ms; ++i) {
      AdvanceClock(1);
      usertest::Pump();
    }
  }
  HWND FHost = nullptr;
  std::unique_ptr<TFlat> FRoot;
};

TEST_F(uQuarnScrollBar, ConstructionAndThickness) {
  TQuarnScrollBar lone(nullptr);
  EXPECT_EQ(lone.Width(), 200);
  EXPECT_EQ(lone.Height(), 19);
  EXPECT_TRUE(lone.Transparent());
  EXPECT_EQ(lone.Kind(), sbHorizontal);
  EXPECT_EQ(lone.Max(), 100);
  EXPECT_EQ(lone.Scrollbar_arrowup_down(), u"QuarnScrollbar_arrowup_down");
  EXPECT_EQ(lone.GetRealSize(), 10);
  // Once windowed, a size takes the skin's thickness; a new kind swaps the sides.
  auto* b = Bar();
  b->SetBounds(BX, BY, 150, 40);
  usertest::Pump();
  EXPECT_EQ(b->Height(), 10);
  b->SetKind(sbVertical);
  usertest::Pump();
  EXPECT_EQ(b->Width(), 10);
  EXPECT_EQ(b->Height(), 150);
  b->SetCanFocused(true);
  EXPECT_TRUE(b->TabStop());
}

TEST_F(uQuarnScrollBar, GeometryAndRangeRules) {
  auto* b = Bar();
  Integer changes = 0;
  b->SetOnChange([&](TObject*) { ++changes; });
  b->SetPosition(100);
  b->CalcRects();
  EXPECT_EQ(b->TrackArea(), TRect(10, 0, 210, 10));
  EXPECT_EQ(b->Button(TQuarnScrollBar::BtnThumb).Rect, TRect(190, 0, 210, 10));
  EXPECT_EQ(b->Offset2Value(), 200);
  EXPECT_EQ(changes, 1);

  // Page 10 of 0..99: a 20-px thumb, the top is 90.
  b->SetRange(0, 99, 0, 10);
  EXPECT_EQ(changes, 1);  // an in-range position is stored quietly
  b->SetPosition(95);
  EXPECT_EQ(b->Position(), 90);
  b->CalcRects();
  EXPECT_EQ(b->Button(TQuarnScrollBar::BtnThumb).Rect, TRect(190, 0, 210, 10));

  // In range: stored without an event; above the top: one event, clamped.
  changes = 0;
  b->SetRange(0, 99, 40, 10);
  EXPECT_EQ(changes, 0);
  EXPECT_EQ(b->Position(), 40);
  b->SetRange(0, 99, 500, 10);
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(b->Position(), 90);

  // A full page fills the track in both directions.
  for (TScrollBarKind k : {sbHorizontal, sbVertical}) {
    auto* f = Bar(k);
    f->SetRange(0, 99, 0, 100);
    f->CalcRects();
    const TRect t = f->Button(TQuarnScrollBar::BtnThumb).Rect;
    EXPECT_EQ(k == sbHorizontal ? t.Left : t.Top, 10);
    EXPECT_EQ(k == sbHorizontal ? t.Right : t.Bottom, 210);
  }

  // SetMax lowers the position only past the page's top.
  auto* m = Bar();
  m->SetRange(10, 100, 75, 20);
  m->SetMax(100);
  EXPECT_EQ(m->Position(), 75);
  m->SetMax(90);
  EXPECT_EQ(m->Position(), 71);
  // A page that would pass the end is refused.
  m->SetPageSize(30);
  EXPECT_EQ(m->PageSize(), 20);
}

TEST_F(uQuarnScrollBar, AutoHideFollowsThePageAndReLaysTheSiblings) {
  auto* b = Bar();
  b->SetAlign(alBottom);
  b->SetAutoHide(true);
  EXPECT_FALSE(b->Visible());
  b->SetRange(0, 99, 0, 10);
  EXPECT_TRUE(b->Visible());
  Integer resizes = 0;
  b->SetOnResize([&](TObject*) { ++resizes; });
  Wait(49);
  EXPECT_EQ(resizes, 0);
  Wait(2);
  EXPECT_GE(resizes, 2);  // down one pixel and back
  EXPECT_EQ(b->Height(), 10);
  b->SetRange(0, 0, 0, 0);
  EXPECT_FALSE(b->Visible());
}

// Over random ranges (up to the whole Integer range), pages and lengths the
// thumb stays inside the track, is at least 20 long and lies where a plain
// long-double formula puts it.
TEST_F(uQuarnScrollBar, ThumbGeometryMatchesAPlainFormula) {
  std::mt19937_64 rng(56);
  TQuarnScrollBar b(nullptr);
  for (Integer iter = 0; iter < 4000; ++iter) {
    const bool horz = rng() % 2 == 0;
    b.SetKind(horz ? sbHorizontal : sbVertical);
    const Integer len = 41 + Integer(rng() % 600);
    b.SetBounds(0, 0, horz ? len : 10, horz ? 10 : len);
    int64_t lo, hi;
    switch (rng() % 3) {
      case 0: lo = INT32_MIN, hi = INT32_MAX; break;
      case 1: lo = int64_t(rng() % 100) - 50, hi = lo + int64_t(rng() % 1000); break;
      default: lo = int64_t(int32_t(rng())), hi = int64_t(int32_t(rng())); if (hi < lo) std::swap(lo, hi);
    }
    const int64_t span = hi - lo + 1;
    const int64_t page = rng() % 4 == 0 ? 0 : int64_t(rng() % uint64_t(std::min<int64_t>(span + 1, INT32_MAX)));
    const int64_t pos = lo + int64_t(rng() % uint64_t(span));
    b.SetRange(Integer(lo), Integer(hi), Integer(pos), Integer(page));
    b.CalcRects();
    const TRect tr = b.TrackArea();
    const TRect th = b.Button(TQuarnScrollBar::BtnThumb).Rect;
    const Integer s = horz ? tr.Left : tr.Top, e = horz ? tr.Right : tr.Bottom;
    const Integer a = horz ? th.Left : th.Top, z = horz ? th.Right : th.Bottom;
    ASSERT_GE(a, s) << lo << ".." << hi << " page " << page << " pos " << b.Position();
    ASSERT_LE(z, e) << lo << ".." << hi << " page " << page << " pos " << b.Position();
    ASSERT_GE(z - a, 20);
    // Reference.
    const long double L = e - s;
    long double t = page == 0 ? 21 : std::max<long double>(21, std::nearbyint(L * page / span));
    const int64_t half = int64_t(t) / 2;
    const int64_t p = b.Position();
    long double r = page == 0 ? (hi == lo ? 0 : (long double)(p - lo) / (hi - lo))
                              : (hi - page + 1 - lo <= 0 ? (horz ? 1 : 0) : (long double)(p - lo) / (hi - page + 1 - lo));
    const int64_t want = s + half + int64_t(std::nearbyint((L - 2 * half) * r)) - half;
    ASSERT_NEAR(a, want, 1) << lo << ".." << hi << " page " << page << " pos " << p;
  }
}

TEST_F(uQuarnScrollBar, ArrowRepeatsPausesAndResumes) {
  auto* b = Bar();
  b->SetMax(1000);
  MoveTo(215, 5);
  Press();
  EXPECT_EQ(b->Position(), 1);  // at once
  Wait(60);
  EXPECT_EQ(b->Position(), 1);
  Wait(1);
  EXPECT_EQ(b->Position(), 2);  // 61 ms after the press
  Wait(50);
  EXPECT_EQ(b->Position(), 3);
  MoveTo(150, 5);  // off the arrow: paused
  Wait(200);
  EXPECT_EQ(b->Position(), 3);
  MoveTo(215, 5);  // back: 50 ms to the next step
  Wait(49);
  EXPECT_EQ(b->Position(), 3);
  Wait(1);
  EXPECT_EQ(b->Position(), 4);
  Release();
  Wait(200);
  EXPECT_EQ(b->Position(), 4);
  EXPECT_EQ(b->TimerModeValue(), 0);

  // A handler replaces the step of the far arrow and repeats with it.
  Integer ups = 0;
  b->SetOnUpButtonClick([&](TObject*) { ++ups; });
  Press();
  Wait(111);
  Release();
  EXPECT_EQ(ups, 3);
  EXPECT_EQ(b->Position(), 4);
}

TEST_F(uQuarnScrollBar, TrackPressPagesUntilTheThumbPassesThePointer) {
  auto* b = Bar();
  b->SetRange(0, 99, 0, 10);
  b->SetLargeChange(10);
  Integer pages = 0;
  b->SetOnPageDown([&](TObject*) { ++pages; });
  MoveTo(150, 5);
  Press();
  EXPECT_EQ(b->Position(), 10);
  Wait(400);
  // Thumb of position p spans 10 + 2p .. 30 + 2p: paging stops once its
  // right end reaches the pointer.
  EXPECT_EQ(b->Position(), 60);
  EXPECT_EQ(pages, 6);
  Release();
}

TEST_F(uQuarnScrollBar, ThumbDragMapsPixelsAndEndsOnce) {
  auto* b = Bar();
  b->SetRange(0, 99, 0, 10);
  Integer last = 0;
  b->SetOnLastChange([&](TObject*) { ++last; });
  MoveTo(20, 5);
  Press();
  MoveTo(110, 5);  // 90 of 180 px
  EXPECT_EQ(b->Position(), 45);
  MoveTo(300, 5);
  EXPECT_EQ(b->Position(), 90);
  MoveTo(-50, 5);
  EXPECT_EQ(b->Position(), 0);
  EXPECT_EQ(last, 0);
  Release();
  EXPECT_EQ(last, 1);
}

TEST_F(uQuarnScrollBar, KeysAndWheelNeedCanFocusedAndFocus) {
  auto* b = Bar();
  b->SetFocus();
  usertest::Pump();
  InputKeyDown(VK_RIGHT);
  usertest::Pump();
  InputMouseWheel(-WHEEL_DELTA);
  usertest::Pump();
  EXPECT_EQ(b->Position(), 0);

  b->SetCanFocused(true);
  b->SetFocus();
  usertest::Pump();
  InputKeyDown(VK_RIGHT);
  InputKeyUp(VK_RIGHT);
  usertest::Pump();
  EXPECT_EQ(b->Position(), 1);
  InputMouseWheel(-3 * WHEEL_DELTA);  // one step whatever the delta
  usertest::Pump();
  EXPECT_EQ(b->Position(), 2);
  InputMouseWheel(WHEEL_DELTA);
  InputKeyDown(VK_UP);
  usertest::Pump();
  EXPECT_EQ(b->Position(), 0);
}

TEST_F(uQuarnScrollBar, PicturesOfTheStates) {
  auto* b = Bar();
  b->SetRange(0, 99, 45, 10);  // thumb 100..120
  usertest::Pump();
  const TColor32 bg = FRoot->Buffer()->GetPixel(5, 5) & 0xFFFFFFu;
  auto at = [&](Integer X, Integer Y) { return b->Buffer()->GetPixel(X, Y) & 0xFFFFFFu; };
  const TColor32 thumbNormal = at(110, 5), track = at(60, 5);
  // No hover: no arrows, the parent shows through; the thumb is drawn.
  EXPECT_EQ(at(4, 5), bg);
  EXPECT_EQ(at(215, 5), bg);
  EXPECT_NE(thumbNormal, track);
  // Hovering shows both arrows.
  MoveTo(60, 5);
  EXPECT_NE(at(4, 5), bg);
  EXPECT_NE(at(215, 5), bg);
  // Pressing the thumb gives its down image; so does focus.
  MoveTo(110, 5);
  const TColor32 thumbHot = at(110, 5);
  Press();
  const TColor32 thumbDown = at(110, 5);
  Release();
  EXPECT_NE(thumbHot, thumbNormal);
  EXPECT_NE(thumbDown, thumbHot);
  MoveTo(300, 100);
  b->SetCanFocused(true);
  b->SetFocus();
  usertest::Pump();
  EXPECT_EQ(at(110, 5), thumbDown);
  EXPECT_NE(at(4, 5), bg);  // focused arrows show without hover
  // Disabled: the track where the thumb was.
  b->SetEnabled(false);
  usertest::Pump();
  EXPECT_EQ(at(110, 5), track);
}

// A host syncs the bar after every step of its content, most of which leave
// the thumb where it was drawn: whatever order ranges, positions, sizes and
// the enabled state come in, the bar on the screen is the one a new bar of
// that state draws.
TEST_F(uQuarnScrollBar, SyncedStepsShowWhatANewBarShows) {
  std::mt19937 rng(105);
  auto* b = Bar(sbVertical, 200);
  b->SetRange(0, 999, 0, 10);
  usertest::Pump();
  Integer stayed = 0;
  for (Integer step = 0; step < 90; ++step) {
    const TRect before = b->Button(TQuarnScrollBar::BtnThumb).Rect;
    const Integer kind = Integer(rng() % 10);
    if (kind < 6) {
      const Integer d = Integer(rng() % 9) - 4;
      b->SetRange(b->Min(), b->Max(), std::clamp(b->Position() + d, b->Min(), b->Max() - b->PageSize() + 1),
                  b->PageSize());
    } else if (kind == 6) {
      b->SetRange(0, 100 + Integer(rng() % 2000), Integer(rng() % 100), 5 + Integer(rng() % 40));
    } else if (kind == 7) {
      b->SetPosition(Integer(rng() % 1000));
    } else if (kind == 8) {
      b->SetEnabled(!b->Enabled());
    } else {
      b->SetBounds(BX, BY, 10, 150 + Integer(rng() % 80));
    }
    usertest::Pump();
    if (kind < 6 && b->Button(TQuarnScrollBar::BtnThumb).Rect == before) ++stayed;
    auto* fresh = new TQuarnScrollBar(FRoot.get());
    fresh->SetParent(FRoot.get());
    fresh->SetKind(sbVertical);
    fresh->SetBounds(BX + 100, BY, 10, b->Height());
    fresh->SetEnabled(b->Enabled());
    fresh->SetRange(b->Min(), b->Max(), b->Position(), b->PageSize());
    usertest::Pump();
    const TScreenImage want = CaptureWindow(fresh->Handle()), got = CaptureWindow(b->Handle());
    ASSERT_EQ(got.Width, want.Width);
    ASSERT_EQ(got.Height, want.Height);
    ASSERT_TRUE(got.Pixels == want.Pixels) << "step " << step << " kind " << kind;
    delete fresh;
    usertest::Pump();
  }
  EXPECT_GT(stayed, 10);  // the steps that leave the thumb were taken
}

// The hosting protocol against a plain native window with WS_VSCROLL.
TEST_F(uQuarnScrollBar, ProtocolHostFollowsBothWays) {
  HWND native = usertest::MakeChild(FHost, 200, 100, 150, 150, WS_CHILD | WS_VISIBLE | WS_VSCROLL);
  usertest::SetHandler(native, [](HWND h, UINT msg, WPARAM wp, LPARAM, bool& handled) -> LRESULT {
    if (msg == WM_NCCALCSIZE) {
      handled = true;  // the native bar takes no room
      return 0;
    }
    if (msg == WM_VSCROLL && LOWORD(wp) == SB_THUMBPOSITION) {
      SetScrollPos(h, SB_VERT, HIWORD(wp), true);
      handled = true;
    }
    return 0;
  });
  auto* b = Bar(sbVertical);
  Integer changes = 0;
  b->SetOnChange([&](TObject*) {
    ++changes;
    SendMessageW(native, WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, b->Position()), 0);
  });
  auto sync = [&] {
    SCROLLINFO si{};
    si.cbSize = sizeof si;
    si.fMask = SIF_ALL;
    GetScrollInfo(native, SB_VERT, &si);
    if (Integer(si.nPage) > si.nMax - si.nMin)
      b->SetRange(0, 0, 0, 0);
    else
      b->SetRange(si.nMin, si.nMax, si.nPos, Integer(si.nPage));
  };
  SCROLLINFO si{};
  si.cbSize = sizeof si;
  si.fMask = SIF_ALL;
  si.nMin = 0;
  si.nMax = 199;
  si.nPage = 50;
  si.nPos = 30;
  SetScrollInfo(native, SB_VERT, &si, true);
  sync();
  EXPECT_EQ(b->Position(), 30);
  EXPECT_EQ(b->PageSize(), 50);
  EXPECT_EQ(changes, 0);  // no echo

  // Dragging the thumb from its middle to the end.
  b->CalcRects();
  const TRect th = b->Button(TQuarnScrollBar::BtnThumb).Rect;
  MoveTo(5, (th.Top + th.Bottom) / 2);
  Press();
  MoveTo(5, 400);
  Release();
  EXPECT_EQ(b->Position(), 150);
  EXPECT_EQ(GetScrollPos(native, SB_VERT), 150);
  sync();
  EXPECT_EQ(b->Position(), 150);
}

TEST_F(uQuarnScrollBar, FormTextKeepsTheImageIds) {
  TQuarnScrollBar a(nullptr);
  a.SetScrollbar_bkg(u"MyTrack");
  a.SetScrollbar_arrowup_down(u"MyUpDown");
  a.SetScrollbar_horzbar_highlight(u"MyHot");
  a.SetKind(sbVertical);
  a.SetMax(500);
  const std::string text = ComponentToText(&a);
  for (const char* name : {"Scrollbar_bkg = 'MyTrack'", "Scrollbar_arrowup_down = 'MyUpDown'",
                           "Scrollbar_horzbar_highlight = 'MyHot'", "Scrollbar_arrowright_normal", "sbVertical"})
    EXPECT_NE(text.find(name), std::string::npos) << name << "\n" << text;
  TQuarnScrollBar c(nullptr);
  TextToComponent(text, &c);
  EXPECT_EQ(ComponentToText(&c), text);
  EXPECT_EQ(c.Scrollbar_arrowup_down(), u"MyUpDown");
  EXPECT_EQ(c.Max(), 500);
}

}  // namespace

}  // namespace t_u_quarn_scroll_bar_test
