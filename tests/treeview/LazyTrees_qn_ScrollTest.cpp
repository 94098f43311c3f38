// Scrolling: clamped offsets and their events, the platform bars after
// every update, the scroll-bar requests, bringing nodes and columns into
// view, the wheel, auto scroll on the virtual clock, wheel panning, resizing,
// and scrolled pixels against full repaints.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <random>

#include "examples/gallery/TreeScrollSheet.h"
#include "platform/desktop/Desktop.h"
#include "platform/gdi/Gdi.h"
#include "platform/theme/UxTheme.h"
#include "platform/user/Resources.h"
#include "platform/vcl/ControlMessages.h"
#include "platform/vcl/Forms.h"
#include "tests/common/Golden.h"

namespace t_lazy_trees_qn_scroll_test {

using namespace qn;

namespace {

class TScrollTree : public TBaseLazyTree_qn {
  QN_CLASS(TScrollTree, TBaseLazyTree_qn)
 public:
  explicit TScrollTree(TComponent* AOwner) : TBaseLazyTree_qn(AOwner) {}
  using TBaseLazyTree_qn::AdjustPanningCursor;
  using TBaseLazyTree_qn::DetermineScrollDirections;
  using TBaseLazyTree_qn::DoAutoScroll;
  using TBaseLazyTree_qn::DoSetOffsetXY;
  using TBaseLazyTree_qn::DoStateChange;
  using TBaseLazyTree_qn::FLastClickPos;
  using TBaseLazyTree_qn::FPanningCursor;
  using TBaseLazyTree_qn::FPanningImage;
  using TBaseLazyTree_qn::FPanningWindow;
  using TBaseLazyTree_qn::StartWheelPanning;
  using TBaseLazyTree_qn::StopWheelPanning;
  // Node widths; 40 pixels unless told otherwise.
  std::function<Integer(PLazyNode)> Width;
  Integer DoGetNodeWidth(PLazyNode Node, TColumnIndex, TCanvas*) override { return Width ? Width(Node) : 40; }
  // A bar per cell whose colour names the node and the column, so a row or
  // column painted at the wrong place shows.
  void DoPaintNode(TVTPaintInfo& Info) override {
    TRect r = Info.ContentRect;
    r.Right = std::min(r.Right, r.Left + 60);
    r.Top += 4;
    r.Bottom -= 4;
    Info.Canvas->Brush()->SetColor(
        TColor(RGB(Byte(Info.Node->Index * 37), Byte(80 + Info.Column * 60), Byte(AbsoluteIndex(Info.Node) * 11))));
    Info.Canvas->FillRect(r);
  }
};

class LazyTrees_qn_Scroll : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetThemes();
    ThemeServices()->ApplyThemeChange();
    SetVirtualClock(true);
    Form = new TForm(nullptr);
    Form->SetPosition(poDesigned);
    Form->SetBounds(40, 30, 500, 400);
    T = new TScrollTree(Form);
    T->SetParent(Form);
    T->SetBounds(10, 10, 300, 200);
    T->SetColor(clWhite);
    Form->Show();
    T->HandleNeeded();
    T->OnScroll = [this](TBaseLazyTree_qn*, Integer DX, Integer DY) {
      ++Scrolls;
      LastDelta = TPoint(DX, DY);
    };
    Pump();
  }
  void TearDown() override {
    delete Form;
    ResetSystemSettings();
    ResetThemes();
  }
  static void Pump() { Application->ProcessMessages(); }
  // Lets Ms pass on the virtual clock in steps of Step, dispatching what
  // falls due.
  static void Run(DWORD Ms, DWORD Step = 1) {
    for (DWORD t = 0; t < Ms; t += Step) {
      AdvanceClock(Step);
      Pump();
    }
  }
  void AddColumns(std::initializer_list<Integer> Widths) {
    for (Integer w : Widths) T->Header()->Columns()->Add()->SetWidth(w);
    T->Header()->SetOptions(T->Header()->Options() + TVTHeaderOptions{hoVisible});
    Pump();
  }
  SCROLLINFO Info(int Bar) {
    SCROLLINFO si{};
    si.cbSize = sizeof si;
    si.fMask = SIF_ALL;
    GetScrollInfo(T->Handle(), Bar, &si);
    return si;
  }
  bool BarShown(DWORD Style) { return (GetWindowLongW(T->Handle(), GWL_STYLE) & Style) != 0; }
  TPoint ScreenOf(Integer X, Integer Y) { return T->ClientToScreen(TPoint(X, Y)); }
  PLazyNode Nth(Cardinal I) {
    PLazyNode n = T->GetFirst();
    while (I-- > 0) n = T->GetNextVisible(n);
    return n;
  }
  TForm* Form = nullptr;
  TScrollTree* T = nullptr;
  int Scrolls = 0;
  TPoint LastDelta;
};

}  // namespace

TEST_F(LazyTrees_qn_Scroll, OffsetsAreClampedAndOnlyMovesAreReported) {
  T->SetRootNodeCount(100);
  Pump();
  Integer h = T->ClientHeight();
  ASSERT_EQ(T->RangeY(), 100 * 18);
  Scrolls = 0;
  T->SetOffsetY(100);
  EXPECT_EQ(T->OffsetY(), 0);
  EXPECT_EQ(Scrolls, 0);
  EXPECT_FALSE(T->DoSetOffsetXY(TPoint(0, 50), DefaultScrollUpdateFlags));
  T->SetOffsetY(-1000000);
  EXPECT_EQ(T->OffsetY(), h - 1800);
  EXPECT_EQ(Scrolls, 1);
  EXPECT_EQ(LastDelta, TPoint(0, h - 1800));
  EXPECT_FALSE(T->DoSetOffsetXY(TPoint(0, -5000000), DefaultScrollUpdateFlags));
  EXPECT_EQ(Scrolls, 1);
  // A tree whose nodes all fit stays at the top.
  T->SetRootNodeCount(3);
  Pump();
  EXPECT_EQ(T->OffsetY(), 0);
  T->SetOffsetY(-500);
  EXPECT_EQ(T->OffsetY(), 0);
  // Horizontally: the columns' width is the range; right to left the
  // effective offset counts from the canvas's left edge and the reported
  // delta is mirrored.
  AddColumns({250, 250, 100});
  Integer w = T->ClientWidth();
  T->SetOffsetX(-60);
  EXPECT_EQ(T->OffsetX(), -60);
  EXPECT_EQ(T->EffectiveOffsetX(), 60);
  T->SetOffsetX(-10000);
  EXPECT_EQ(T->OffsetX(), w - 600);
  T->SetOffsetX(0);
  T->SetBiDiMode(bdRightToLeft);
  Pump();
  T->SetOffsetX(-50);
  EXPECT_EQ(T->OffsetX(), -50);
  EXPECT_EQ(T->EffectiveOffsetX(), 600 - T->ClientWidth() - 50);
  EXPECT_EQ(LastDelta.X, 50);
}

TEST_F(LazyTrees_qn_Scroll, ScrollInformationAfterEveryUpdate) {
  std::vector<std::pair<Integer, bool>> shows;
  T->OnShowScrollbar = [&](TBaseLazyTree_qn*, Integer Bar, bool Show) { shows.emplace_back(Bar, Show); };
  T->SetRootNodeCount(40);
  Pump();
  SCROLLINFO v = Info(SB_VERT);
  EXPECT_TRUE(BarShown(WS_VSCROLL));
  EXPECT_EQ(v.nMin, 0);
  EXPECT_EQ(v.nMax, 40 * 18);
  EXPECT_EQ(v.nPage, UINT(T->ClientHeight() + 1));
  EXPECT_EQ(v.nPos, 0);
  ASSERT_FALSE(shows.empty());
  EXPECT_EQ(shows.back(), std::make_pair(Integer(SB_HORZ), false));
  T->SetOffsetY(-90);
  EXPECT_EQ(Info(SB_VERT).nPos, 90);
  // The bottom space lengthens the range at once.
  T->SetBottomSpace(30);
  EXPECT_EQ(Info(SB_VERT).nMax, 40 * 18 + 30);
  T->SetBottomSpace(0);
  // Columns wider than the client bring the horizontal bar.
  AddColumns({200, 200});
  SCROLLINFO hi = Info(SB_HORZ);
  EXPECT_TRUE(BarShown(WS_HSCROLL));
  EXPECT_EQ(hi.nMax, 400);
  EXPECT_EQ(hi.nPage, UINT(T->ClientWidth() + 1));
  T->SetOffsetX(-30);
  EXPECT_EQ(Info(SB_HORZ).nPos, 30);
  // Fitting content hides both bars and puts the view back.
  T->Header()->Columns()->Items(0)->SetWidth(50);
  T->Header()->Columns()->Items(1)->SetWidth(50);
  T->SetRootNodeCount(2);
  Pump();
  EXPECT_FALSE(BarShown(WS_VSCROLL));
  EXPECT_FALSE(BarShown(WS_HSCROLL));
  EXPECT_EQ(T->OffsetXY(), TPoint(0, 0));
  // AlwaysVisible keeps them, with nothing to scroll.
  T->ScrollBarOptions()->SetAlwaysVisible(true);
  Pump();
  EXPECT_TRUE(BarShown(WS_VSCROLL));
  EXPECT_TRUE(BarShown(WS_HSCROLL));
  v = Info(SB_VERT);
  EXPECT_EQ(v.nMax, 2 * 18);
  EXPECT_GT(v.nPage, UINT(v.nMax));
  // Without bars of a direction the view stays at its start.
  T->ScrollBarOptions()->SetAlwaysVisible(false);
  T->SetRootNodeCount(40);
  T->ScrollBarOptions()->SetScrollBars(TScrollStyle::ssHorizontal);
  Pump();
  EXPECT_FALSE(BarShown(WS_VSCROLL));
  T->SetOffsetY(-100);
  T->UpdateScrollBars(true);
  EXPECT_EQ(T->OffsetY(), 0);
}

TEST_F(LazyTrees_qn_Scroll, EveryScrollBarRequest) {
  T->SetRootNodeCount(60);
  AddColumns({180, 180, 180});
  Integer h = T->ClientHeight(), w = T->ClientWidth();
  auto v = [&](WPARAM Code) {
    T->Perform(WM_VSCROLL, Code, 0);
    return T->OffsetY();
  };
  auto hz = [&](WPARAM Code) {
    T->Perform(WM_HSCROLL, Code, 0);
    return T->OffsetX();
  };
  EXPECT_EQ(v(SB_LINEDOWN), -20);
  EXPECT_EQ(v(SB_PAGEDOWN), -20 - h);
  EXPECT_EQ(v(SB_LINEUP), -h);
  EXPECT_EQ(v(SB_PAGEUP), 0);
  EXPECT_EQ(v(SB_BOTTOM), h - 60 * 18);
  EXPECT_EQ(v(SB_TOP), 0);
  auto inRange = [&](Integer X) { return std::min(0, std::max(w - 540, X)); };
  EXPECT_EQ(hz(SB_LINERIGHT), -20);
  EXPECT_EQ(hz(SB_PAGERIGHT), inRange(-20 - w));
  EXPECT_EQ(hz(SB_LINELEFT), inRange(-20 - w) + 20);
  EXPECT_EQ(hz(SB_LEFT), 0);
  EXPECT_EQ(hz(SB_RIGHT), w - 540);
  EXPECT_EQ(hz(SB_PAGELEFT), std::min(0, w - 540 + w));
  // A fixed column is not part of a horizontal page.
  T->Header()->Columns()->Items(0)->SetOptions(T->Header()->Columns()->Items(0)->Options() +
                                               TVTColumnOptions{coFixed});
  hz(SB_LEFT);
  EXPECT_EQ(hz(SB_PAGERIGHT), -(w - 180));
  hz(SB_LEFT);
  // Right to left the arrows mirror.
  T->SetBiDiMode(bdRightToLeft);
  Pump();
  Integer before = T->OffsetX();
  EXPECT_EQ(hz(SB_LINELEFT), std::max(w - 540, before - 20));

  // Dragging the vertical thumb: the view follows the track position and
  // the bar is set again when the drag ends.
  T->SetBiDiMode(bdLeftToRight);
  T->Header()->SetOptions(T->Header()->Options() - TVTHeaderOptions{hoVisible});
  v(SB_TOP);
  Pump();
  TPoint client = ScreenOf(0, 0);
  Integer barX = client.X + T->ClientWidth() + GetSystemMetrics(SM_CXVSCROLL) / 2;
  Integer thumbY = client.Y + GetSystemMetrics(SM_CYVSCROLL) + 4;
  std::vector<TLazyTreeStates> seen;
  T->OnScroll = [&](TBaseLazyTree_qn* S, Integer, Integer) { seen.push_back(S->TreeStates()); };
  InputMouseMove(barX, thumbY);
  InputMouseDown(VK_LBUTTON);
  InputMouseMove(barX, thumbY + 30);
  InputMouseMove(barX, thumbY + 60);
  InputMouseUp(VK_LBUTTON);
  Pump();
  ASSERT_FALSE(seen.empty());
  EXPECT_TRUE(seen.front().Contains(tsThumbTracking));
  EXPECT_FALSE(T->TreeStates().Contains(tsThumbTracking));
  EXPECT_LT(T->OffsetY(), -100);
  EXPECT_EQ(Info(SB_VERT).nPos, -T->OffsetY());
}

TEST_F(LazyTrees_qn_Scroll, NodesAndColumnsComeIntoView) {
  T->SetRootNodeCount(50);
  Pump();
  Integer h = T->ClientHeight();
  // Below the view: its bottom edge on the client's bottom edge.
  PLazyNode n = Nth(30);
  EXPECT_TRUE(T->ScrollIntoView(n, false));
  TRect r = T->GetDisplayRect(n, NoColumn, false);
  EXPECT_EQ(r.Bottom, h);
  EXPECT_FALSE(T->ScrollIntoView(n, false));
  // Centred, even when fully visible: its bottom edge at the middle.
  PLazyNode m = Nth(27);
  EXPECT_TRUE(T->ScrollIntoView(m, true));
  EXPECT_EQ(T->GetDisplayRect(m, NoColumn, false).Bottom, h / 2);
  // Above the view: its top edge on the client's top edge.
  PLazyNode a = Nth(3);
  EXPECT_TRUE(T->ScrollIntoView(a, false));
  EXPECT_EQ(T->GetDisplayRect(a, NoColumn, false).Top, 0);
  // A node in a collapsed parent is expanded into view.
  PLazyNode parent = Nth(40);
  T->SetChildCount(parent, 3);
  PLazyNode child = parent->LastChild;
  // (Expanding scrolls the new children in already.)
  T->ScrollIntoView(child, false);
  EXPECT_TRUE(T->Expanded(parent));
  EXPECT_EQ(T->GetDisplayRect(child, NoColumn, false).Bottom, h);
  // A hidden node has nowhere to go.
  PLazyNode hidden = Nth(10);
  T->SetVisible(hidden, false);
  Integer y = T->OffsetY();
  EXPECT_FALSE(T->ScrollIntoView(hidden, true));
  EXPECT_EQ(T->OffsetY(), y);

  // TopNode and BottomNode read back what was set.
  PLazyNode top = Nth(12);
  T->SetTopNode(top);
  EXPECT_EQ(T->TopNode(), top);
  EXPECT_EQ(T->GetDisplayRect(top, NoColumn, false).Top, 0);
  PLazyNode bottom = Nth(35);
  T->SetBottomNode(bottom);
  EXPECT_EQ(T->BottomNode(), bottom);
  EXPECT_EQ(T->GetDisplayRect(bottom, NoColumn, false).Bottom, h);

  // Expanding a node near the bottom scrolls its children into view.
  T->SetTopNode(Nth(0));
  PLazyNode last = T->BottomNode();
  T->SetChildCount(last, 4);
  T->ToggleNode(last);
  EXPECT_EQ(T->GetDisplayRect(last->LastChild, NoColumn, false).Bottom, h);

  // Columns: one beyond the right edge ends on it, a centred one sits in
  // the middle.
  AddColumns({150, 150, 150, 150});
  Integer w = T->ClientWidth();
  EXPECT_TRUE(T->ScrollIntoView(TColumnIndex(2), false));
  EXPECT_EQ(T->Header()->Columns()->Items(2)->Left() + 150, w);
  EXPECT_TRUE(T->ScrollIntoView(TColumnIndex(1), true));
  EXPECT_EQ(T->Header()->Columns()->Items(1)->Left() + 75, w / 2);
  EXPECT_FALSE(T->ScrollIntoView(TColumnIndex(9), true));
}

TEST_F(LazyTrees_qn_Scroll, HorizontalBarAppearingBelowANodeIsMadeUpFor) {
  // Without columns the widest shown node sets the range; the wide nodes
  // lie further down, so scrolling to them brings the horizontal bar.
  for (TScrollStyle style : {TScrollStyle::ssBoth, TScrollStyle::ssVertical}) {
    T->ScrollBarOptions()->SetScrollBars(style);
    T->Width = [](PLazyNode N) { return N->Index >= 30 ? 900 : 40; };
    T->SetRootNodeCount(0);
    T->SetRootNodeCount(60);
    Pump();
    ASSERT_FALSE(BarShown(WS_HSCROLL));
    PLazyNode n = Nth(35);
    EXPECT_TRUE(T->ScrollIntoView(n, false));
    TRect r = T->GetDisplayRect(n, NoColumn, false);
    if (style == TScrollStyle::ssBoth) {
      EXPECT_TRUE(BarShown(WS_HSCROLL));
      EXPECT_LE(r.Bottom, T->ClientHeight());
      EXPECT_GE(r.Bottom, T->ClientHeight() - 1);
    } else {
      // No bar can appear: the node is not pushed further up.
      EXPECT_FALSE(BarShown(WS_HSCROLL));
      EXPECT_EQ(r.Bottom, T->ClientHeight());
    }
  }
}

TEST_F(LazyTrees_qn_Scroll, WheelNotchesLinesPagesAndDirections) {
  T->SetRootNodeCount(100);
  AddColumns({200, 200, 200});
  Integer h = T->ClientHeight(), w = T->ClientWidth();
  auto wheel = [&](Integer Delta, WPARAM Keys = 0) {
    T->Perform(CM_MOUSEWHEEL, MAKEWPARAM(Keys, Word(int16_t(Delta))), 0);
  };
  auto reset = [&] { T->SetOffsetXY(TPoint(0, 0)); };
  SystemParametersInfoW(SPI_SETWHEELSCROLLLINES, 3, nullptr, 0);
  wheel(-120);
  EXPECT_EQ(T->OffsetY(), -3 * 18);
  wheel(240);
  EXPECT_EQ(T->OffsetY(), 0);
  // Ctrl turns a notch into a page.
  wheel(-120, MK_CONTROL);
  EXPECT_EQ(T->OffsetY(), -h);
  reset();
  // Shift scrolls sideways, by the average scrolled column width per line.
  wheel(-120, MK_SHIFT);
  EXPECT_EQ(T->OffsetX(), std::max(w - 600, -3 * 200));
  EXPECT_EQ(T->OffsetY(), 0);
  reset();
  // The platform's page setting: a client height, or a client width less
  // the fixed columns, per notch.
  SystemParametersInfoW(SPI_SETWHEELSCROLLLINES, UINT(-1), nullptr, 0);
  wheel(-120);
  EXPECT_EQ(T->OffsetY(), -h);
  T->Header()->Columns()->Items(0)->SetOptions(T->Header()->Columns()->Items(0)->Options() +
                                               TVTColumnOptions{coFixed});
  wheel(-60, MK_SHIFT);
  EXPECT_EQ(T->OffsetX(), -(w - 200) / 2);
  reset();
  // A tree that fits its height scrolls sideways without Shift.
  T->SetRootNodeCount(2);
  Pump();
  SystemParametersInfoW(SPI_SETWHEELSCROLLLINES, 1, nullptr, 0);
  T->Header()->Columns()->Items(0)->SetOptions(T->Header()->Columns()->Items(0)->Options() -
                                               TVTColumnOptions{coFixed});
  wheel(-120);
  EXPECT_EQ(T->OffsetX(), -200);
  // A handler that takes the wheel leaves the view alone.
  T->SetOnMouseWheel([](TObject*, TShiftState, Integer, TPoint, bool& Handled) { Handled = true; });
  wheel(120);
  EXPECT_EQ(T->OffsetX(), -200);
}

TEST_F(LazyTrees_qn_Scroll, AutoScrollRunsOnTheScrollTimer) {
  T->SetRootNodeCount(100);
  T->TreeOptions()->SetAutoOptions(T->TreeOptions()->AutoOptions() + TVTAutoOptions{toAutoScroll});
  T->SetAutoScrollDelay(300);
  T->SetAutoScrollInterval(50);
  Pump();
  Integer h = T->ClientHeight();
  // Nothing to scroll for: no rubber band, no drag.
  EXPECT_TRUE(T->DetermineScrollDirections(100, h - 3).Empty());
  // A pending rubber band in the bottom zone: the first step after the
  // delay, then one per interval.
  T->DoStateChange({tsDrawSelPending});
  TPoint at = ScreenOf(100, h - 3);
  SetCursorPos(at.X, at.Y);
  T->DoAutoScroll(100, h - 3);
  EXPECT_TRUE(T->TreeStates().Contains(tsScrollPending));
  Scrolls = 0;
  Run(290, 10);
  EXPECT_EQ(Scrolls, 0);
  Run(20, 10);
  EXPECT_EQ(Scrolls, 1);
  EXPECT_EQ(T->OffsetY(), -20);
  EXPECT_TRUE(T->TreeStates().Contains(tsScrolling));
  EXPECT_FALSE(T->TreeStates().Contains(tsScrollPending));
  Run(100, 10);
  EXPECT_EQ(Scrolls, 3);
  EXPECT_EQ(T->OffsetY(), -60);
  // Leaving the zone stops the timer.
  T->DoAutoScroll(100, h / 2);
  EXPECT_FALSE(T->TreeStates().Contains(tsScrolling));
  Run(200, 10);
  EXPECT_EQ(Scrolls, 3);
  // Up is offered only while there is something above.
  EXPECT_TRUE(T->DetermineScrollDirections(100, 2).Contains(TScrollDirection::sdUp));
  T->SetOffsetY(0);
  EXPECT_TRUE(T->DetermineScrollDirections(100, 2).Empty());
  T->DoStateChange({}, {tsDrawSelPending});

  // A drag over the tree waits AutoScrollDelay from first entering the zone.
  T->DoStateChange({tsVCLDragging});
  EXPECT_TRUE(T->DetermineScrollDirections(100, h - 3).Empty());
  AdvanceClock(200);
  EXPECT_TRUE(T->DetermineScrollDirections(100, h - 3).Empty());
  AdvanceClock(150);
  EXPECT_TRUE(T->DetermineScrollDirections(100, h - 3).Contains(TScrollDirection::sdDown));
  // Out of the zone and back: the wait starts again.
  EXPECT_TRUE(T->DetermineScrollDirections(100, h / 2).Empty());
  EXPECT_TRUE(T->DetermineScrollDirections(100, h - 3).Empty());
  T->DoStateChange({}, {tsVCLDragging});
}

TEST_F(LazyTrees_qn_Scroll, WheelPanningWindowCursorsAndRelease) {
  HINSTANCE inst = FindClassHInstance(TBaseLazyTree_qn::StaticClass());
  struct TCase {
    Cardinal Nodes;
    std::initializer_list<Integer> Columns;
    const char16_t* Image;
  };
  const TCase cases[] = {{100, {400, 400}, u"VT_MOVEALL"}, {3, {400, 400}, u"VT_MOVEEW"}, {100, {}, u"VT_MOVENS"}};
  for (const TCase& c : cases) {
    T->Header()->Columns()->Clear();
    if (c.Columns.size()) AddColumns(c.Columns);
    T->SetRootNodeCount(c.Nodes);
    Pump();
    TPoint start(120, 80);
    T->FLastClickPos = start;
    T->StartWheelPanning(start);
    HWND w = T->FPanningWindow;
    ASSERT_TRUE(IsWindow(w));
    EXPECT_TRUE(IsWindowVisible(w));
    EXPECT_TRUE(T->TreeStates().Contains(tsWheelPanning));
    EXPECT_TRUE(T->TreeStates().Contains(tsWheelScrolling));
    EXPECT_EQ(GetCapture(), T->Handle());
    RECT wr;
    GetWindowRect(w, &wr);
    TPoint s = ScreenOf(start.X, start.Y);
    EXPECT_EQ(TRect(wr), TRect(s.X - 16, s.Y - 16, s.X + 16, s.Y + 16));
    // The region is exactly the image's pixels that are not magenta.
    auto image = std::make_unique<TBitmap>();
    image->SetHandle(LoadBitmapW(inst, c.Image));
    ASSERT_EQ(image->Width(), 32);
    HRGN rgn = CreateRectRgn(0, 0, 0, 0);
    ASSERT_NE(GetWindowRgn(w, rgn), ERROR);
    int inside = 0;
    for (int y = 0; y < 32; ++y)
      for (int x = 0; x < 32; ++x) {
        bool opaque = (ColorToRGB(image->Canvas()->Pixels(x, y)) & 0xFFFFFF) != 0xFF00FF;
        inside += opaque;
        ASSERT_EQ(bool(PtInRegion(rgn, x, y)), opaque) << x << "," << y;
      }
    DeleteObject(rgn);
    EXPECT_GT(inside, 500);
    EXPECT_LT(inside, 1024);
    // The marker's pixels reach the screen.
    Pump();
    TScreenImage screen = CaptureScreen();
    EXPECT_EQ(screen.Pixel(s.X, s.Y) & 0xFFFFFF, 0x3A404Au);
    T->StopWheelPanning();
  }

  // The cursor names the direction sector around the start point.
  T->Header()->Columns()->Clear();
  AddColumns({400, 400});
  T->SetRootNodeCount(100);
  Pump();
  TPoint start(120, 80);
  T->FLastClickPos = start;
  T->StartWheelPanning(start);
  const struct {
    Integer Dx, Dy;
    const char16_t* Cursor;
  } sectors[] = {{0, 0, u"VT_MOVEALL"}, {5, -7, u"VT_MOVEALL"}, {0, -20, u"VT_MOVEN"}, {3, 20, u"VT_MOVES"},
                 {20, 0, u"VT_MOVEE"},  {-20, 4, u"VT_MOVEW"},   {20, -20, u"VT_MOVENE"}, {-20, -20, u"VT_MOVENW"},
                 {20, 20, u"VT_MOVESE"}, {-20, 20, u"VT_MOVESW"}};
  for (const auto& s : sectors) {
    T->AdjustPanningCursor(start.X + s.Dx, start.Y + s.Dy);
    EXPECT_EQ(T->FPanningCursor, LoadCursorW(inst, s.Cursor)) << s.Dx << "," << s.Dy;
    EXPECT_EQ(GetCursor(), T->FPanningCursor);
  }
  // While panning, the directions follow the mouse beyond the dead zone,
  // and each tick scrolls by the distance.
  EXPECT_TRUE(T->DetermineScrollDirections(start.X + 5, start.Y - 5).Empty());
  TScrollDirections d = T->DetermineScrollDirections(start.X + 30, start.Y + 30);
  EXPECT_TRUE(d.Contains(TScrollDirection::sdRight) && d.Contains(TScrollDirection::sdDown));
  TPoint p = ScreenOf(start.X, start.Y + 40);
  SetCursorPos(p.X, p.Y);
  T->DoAutoScroll(start.X, start.Y + 40);
  Run(20, 20);
  EXPECT_EQ(T->OffsetY(), -(40 - 8));
  HWND w = T->FPanningWindow;
  T->StopWheelPanning();
  EXPECT_FALSE(IsWindow(w));
  EXPECT_EQ(T->FPanningWindow, nullptr);
  EXPECT_EQ(T->FPanningImage, nullptr);
  EXPECT_EQ(T->FPanningCursor, nullptr);
  EXPECT_NE(GetCapture(), T->Handle());
  EXPECT_FALSE(T->TreeStates().Contains(tsWheelPanning) || T->TreeStates().Contains(tsWheelScrolling));
  // No timer is left to scroll.
  Integer y = T->OffsetY();
  Run(100, 20);
  EXPECT_EQ(T->OffsetY(), y);
  // A wheel notch ends panning too.
  T->StartWheelPanning(start);
  T->Perform(CM_MOUSEWHEEL, MAKEWPARAM(0, Word(int16_t(-120))), 0);
  EXPECT_EQ(T->FPanningWindow, nullptr);
  // A tree that goes while panning takes its marker with it.
  T->StartWheelPanning(start);
  HWND marker = T->FPanningWindow;
  ASSERT_TRUE(IsWindow(marker));
  delete T;
  T = nullptr;
  EXPECT_FALSE(IsWindow(marker));
  EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(LazyTrees_qn_Scroll, SizingUpdatesBarsAndSpringColumns) {
  T->SetRootNodeCount(8);
  AddColumns({100, 100});
  T->Header()->SetOptions(T->Header()->Options() + TVTHeaderOptions{hoAutoSpring});
  T->Header()->Columns()->Items(1)->SetOptions(T->Header()->Columns()->Items(1)->Options() +
                                               TVTColumnOptions{coAutoSpring});
  Pump();
  ASSERT_FALSE(BarShown(WS_VSCROLL));
  int shows = 0;
  T->OnShowScrollbar = [&](TBaseLazyTree_qn*, Integer, bool) { ++shows; };
  // Not while the window is being made, nor at a client height of 0.
  T->DoStateChange({tsWindowCreating});
  T->SetBounds(10, 10, 300, 100);
  T->DoStateChange({}, {tsWindowCreating});
  EXPECT_EQ(shows, 0);
  EXPECT_FALSE(BarShown(WS_VSCROLL));
  T->SetBounds(10, 10, 300, T->Height() - T->ClientHeight());
  EXPECT_EQ(T->ClientHeight(), 0);
  EXPECT_EQ(shows, 0);
  // Otherwise the bars follow, and the spring column takes the new width.
  T->SetBounds(10, 10, 300, 120);
  Integer width = T->Header()->Columns()->Items(1)->Width();
  T->SetBounds(10, 10, 340, 120);
  EXPECT_GT(shows, 0);
  EXPECT_TRUE(BarShown(WS_VSCROLL));
  EXPECT_EQ(Info(SB_VERT).nMax, 8 * 18);
  EXPECT_NE(T->Header()->Columns()->Items(1)->Width(), width);
  EXPECT_FALSE(T->TreeStates().Contains(tsSizing));
}

TEST_F(LazyTrees_qn_Scroll, ScrolledPixelsMatchAFullRepaint) {
  T->SetRootNodeCount(80);
  for (PLazyNode n = T->GetFirst(); n; n = T->GetNextSibling(n))
    if (n->Index % 7 == 0) T->SetChildCount(n, 3), T->SetExpanded(n, true);
  AddColumns({90, 140, 160, 120});
  T->TreeOptions()->SetPaintOptions(T->TreeOptions()->PaintOptions() +
                                    TVTPaintOptions{toShowHorzGridLines, toShowVertGridLines});
  auto tile = std::make_unique<TBitmap>();
  tile->SetPixelFormat(TPixelFormat::pf32bit);
  tile->SetSize(13, 11);
  for (int y = 0; y < 11; ++y)
    for (int x = 0; x < 13; ++x) tile->Canvas()->SetPixels(x, y, TColor(RGB(200 + x * 4, 210 + y * 3, 240)));
  std::mt19937 rng(7);
  for (int setup = 0; setup < 3; ++setup) {
    // Plain, with a fixed first column, and over a tiled background.
    if (setup == 1)
      T->Header()->Columns()->Items(0)->SetOptions(T->Header()->Columns()->Items(0)->Options() +
                                                   TVTColumnOptions{coFixed});
    if (setup == 2) {
      T->Background()->Assign(tile.get());
      T->TreeOptions()->SetPaintOptions(T->TreeOptions()->PaintOptions() + TVTPaintOptions{toShowBackground});
    }
    T->SetOffsetXY(TPoint(0, 0));
    Pump();
    for (int i = 0; i < 12; ++i) {
      // Small moves keep pixels to copy; big ones repaint everything.
      std::uniform_int_distribution<int> small(-40, 40), big(-2000, 0);
      TPoint to = i % 3 == 0 ? TPoint(big(rng) / 8, big(rng))
                             : TPoint(T->OffsetX() + small(rng), T->OffsetY() + small(rng));
      T->SetOffsetXY(to);
      UpdateWindow(T->Handle());
      TScreenImage scrolled = CaptureWindow(T->Handle(), true);
      InvalidateRect(T->Handle(), nullptr, false);
      UpdateWindow(T->Handle());
      TScreenImage full = CaptureWindow(T->Handle(), true);
      ASSERT_EQ(scrolled.Width, full.Width);
      int differ = 0;
      int minx = 99999, miny = 99999, maxx = -1, maxy = -1;
      for (size_t k = 0; k < full.Pixels.size(); ++k)
        if (scrolled.Pixels[k] != full.Pixels[k]) {
          ++differ;
          int x = int(k % size_t(full.Width)), y = int(k / size_t(full.Width));
          minx = std::min(minx, x), maxx = std::max(maxx, x), miny = std::min(miny, y), maxy = std::max(maxy, y);
        }
      ASSERT_EQ(differ, 0) << "setup " << setup << " step " << i << " at " << T->OffsetX() << "," << T->OffsetY()
                           << ", within " << minx << "," << miny << " - " << maxx << "," << maxy;
    }
  }
}

TEST_F(LazyTrees_qn_Scroll, GallerySheetMatchesItsGoldenImage) {
  delete Form;
  Form = nullptr;
  vcl::TScreenImage sheet = gallery::TTreeScrollSheet::Render();
  qntest::ExpectMatchesGolden(sheet, "tree-scroll", 8,
                              gallery::TTreeScrollSheet::kWidth * gallery::TTreeScrollSheet::kHeight / 200);
}

}  // namespace t_lazy_trees_qn_scroll_test
