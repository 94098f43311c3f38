// Hints of the lazy tree on the virtual clock with the application's hint
// timers: which hint each mode gives where, tooltips for cut-off cells placed
// exactly over the cell text, the hint window's sizes, desktop clamping,
// fade and slide frames, a new hint stopping an older animation, and a tree
// freed while its hint fades in.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

#include "examples/gallery/TreeHintsSheet.h"
#include "platform/desktop/Desktop.h"
#include "platform/vcl/ControlMessages.h"
#include "platform/vcl/ExtCtrls.h"
#include "platform/vcl/Forms.h"
#include "tests/common/Golden.h"
#include "treeview/LazyTrees_qn_Appearance.h"
#include "treeview/LazyTrees_qn_Hints.h"
#include "treeview/LazyTrees_qn_StringTree.h"

namespace t_lazy_trees_qn_hints_test {

using namespace qn;

namespace {

class THintTree : public TLazyStringTree_qn {
  QN_CLASS(THintTree, TLazyStringTree_qn)
 public:
  explicit THintTree(TComponent* AOwner) : TLazyStringTree_qn(AOwner) {}
  using TBaseLazyTree_qn::DoStateChange;
  using TBaseLazyTree_qn::FHintData;
  using TBaseLazyTree_qn::FLastHintRect;
  TClass WindowClass = nullptr;
  TClass GetHintWindowClass() override { return WindowClass ? WindowClass : TLazyStringTree_qn::GetHintWindowClass(); }
};

class TProbeWindow : public TLazyTreeHintWindow {
  QN_CLASS(TProbeWindow, TLazyTreeHintWindow)
 public:
  explicit TProbeWindow(TComponent* AOwner) : TLazyTreeHintWindow(AOwner) {}
  using TLazyTreeHintWindow::FAnimation;
  using TLazyTreeHintWindow::InternalPaint;
};

class LazyTrees_qn_Hints : public ::testing::Test {
 protected:
  void SetUp() override {
    SetVirtualClock(true);
    ResetInput();
    Application->SetShowHint(true);
    FSavedPause = Application->HintPause();
    FSavedHidePause = Application->HintHidePause();
    Application->SetHintPause(500);
    Application->SetHintHidePause(60000);
    Form = new TForm(nullptr);
    Form->SetPosition(poDesigned);
    Form->SetBounds(40, 30, 520, 420);
    T = new THintTree(Form);
    T->SetParent(Form);
    T->SetBounds(10, 10, 400, 300);
    T->Font()->SetName(u"DejaVu Sans");
    T->Font()->SetSize(9);
    T->SetShowHint(true);
    T->SetHint(u"The tree|Long help");
    T->SetHintAnimation(hatNone);
    auto* cols = T->Header()->Columns();
    Name = cols->Add();
    Name->SetText(u"Name");
    Name->SetWidth(120);
    Name->SetHint(u"File names");
    Size = cols->Add();
    Size->SetText(u"Size");
    Size->SetWidth(100);
    T->Header()->SetOptions(T->Header()->Options() + TVTHeaderOptions{hoVisible, hoShowHint});
    T->SetRootNodeCount(20);
    T->SetOnGetText([this](TBaseLazyTree_qn*, PLazyNode Node, TColumnIndex Column, TVSTTextType, String& Text) {
      Text = Column == 1 ? String(SizeText) : (Node->Index == 1 ? String(LongText) : u"Item " + IntToStr(Integer(Node->Index)));
    });
    Form->Show();
    T->SetFocus();
    Pump();
  }
  void TearDown() override {
    Application->CancelHint();
    ResetInput();
    delete Form;
    MMXAvailable = DetectMMX();
    Application->SetHintPause(FSavedPause);
    Application->SetHintHidePause(FSavedHidePause);
    ResetSystemSettings();
  }
  Integer FSavedPause = 0, FSavedHidePause = 0;
  static void Pump() { Application->ProcessMessages(); }
  static void Run(DWORD Ms) {
    for (DWORD t = 0; t < Ms; t += 10) {
      AdvanceClock(10);
      Pump();
    }
  }
  PLazyNode Nth(Cardinal I) {
    PLazyNode n = T->GetFirst();
    while (n && I-- > 0) n = T->GetNextVisible(n);
    return n;
  }
  TPoint Mid(PLazyNode N, TColumnIndex C) {
    TRect r = T->GetDisplayRect(N, C, true);
    return TPoint(r.Left + 3, (r.Top + r.Bottom) / 2);
  }
  // Asks the tree as the platform does for a pointer at Client.
  LRESULT Ask(TPoint Client, THintInfo& Info) {
    Info = THintInfo();
    Info.HintControl = T;
    Info.CursorPos = Client;
    Info.CursorRect = T->ClientRect();
    Info.HintPos = T->ClientToScreen(TPoint(Client.X, Client.Y + 20));
    Info.HintStr = GetShortHint(T->Hint());
    T->FLastHintRect = TRect();
    return T->Perform(CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&Info));
  }
  // Rests the pointer at Client until the hint timer has run.
  TLazyTreeHintWindow* Hover(TPoint Client, DWORD Wait = 600) {
    TPoint s = T->ClientToScreen(Client);
    InputMouseMove(s.X, s.Y);
    Pump();
    Run(Wait);
    auto* w = dynamic_cast<TLazyTreeHintWindow*>(Application->ActiveHintWindow());
    return w && w->HandleAllocated() && IsWindowVisible(w->Handle()) ? w : nullptr;
  }
  static TRect WindowRect(TWinControl* W) {
    TRect r;
    GetWindowRect(W->Handle(), &r);
    return r;
  }
  TForm* Form = nullptr;
  THintTree* T = nullptr;
  TLazyTreeColumn* Name = nullptr;
  TLazyTreeColumn* Size = nullptr;
  String LongText = u"A rather long file name that cannot fit.txt";
  String SizeText = u"12 KB";
};

}  // namespace

TEST_F(LazyTrees_qn_Hints, EachModeDecidesOverSpaceNodesAndHeader) {
  THintInfo info;
  const TPoint space(300, 250), node = Mid(Nth(2), 0);
  // The control's hint through the platform's own window.
  T->SetHintMode(hmDefault);
  EXPECT_EQ(Ask(space, info), 0);
  EXPECT_EQ(info.HintStr, u"The tree");
  EXPECT_EQ(info.HintData, nullptr);
  EXPECT_TRUE(T->TreeStates().Contains(tsHint));

  T->SetHintMode(hmHint);
  EXPECT_EQ(Ask(space, info), 1);
  EXPECT_FALSE(T->TreeStates().Contains(tsHint));
  ASSERT_EQ(Ask(node, info), 0);
  EXPECT_EQ(info.HintStr, u" ");
  EXPECT_EQ(info.HintWindowClass, TLazyTreeHintWindow::StaticClass());
  EXPECT_EQ(info.HintData, &T->FHintData);
  EXPECT_EQ(T->FHintData.Node, Nth(2));
  EXPECT_EQ(T->FHintData.Column, 0);
  TRect row = T->GetDisplayRect(Nth(2), NoColumn, false);
  EXPECT_EQ(info.CursorRect, TRect(0, row.Top, 120, row.Bottom));
  EXPECT_EQ(T->FLastHintRect, info.CursorRect);
  EXPECT_EQ(info.HintPos.Y, std::max(T->ClientToScreen(TPoint(0, node.Y + 20)).Y, T->ClientToScreen(TPoint(0, row.Bottom)).Y) + 2);

  T->SetHintMode(hmHintAndDefault);
  ASSERT_EQ(Ask(space, info), 0);
  EXPECT_EQ(T->FHintData.DefaultHint, u"The tree");
  EXPECT_EQ(T->FHintData.Node, nullptr);
  T->SetHint(String());
  EXPECT_EQ(Ask(space, info), 1);

  // hmTooltip over a cell that fits shows nothing.
  T->SetHintMode(hmTooltip);
  EXPECT_EQ(Ask(node, info), 1);
  EXPECT_TRUE(T->FLastHintRect.IsEmpty());

  // Header: a column with a hint, then one without.
  const Integer headerY = -T->Header()->Height() / 2;
  ASSERT_EQ(Ask(TPoint(40, headerY), info), 0);
  EXPECT_EQ(T->FHintData.DefaultHint, u"File names");
  EXPECT_EQ(T->FHintData.Node, nullptr);
  EXPECT_EQ(info.CursorRect.Left, 0);
  EXPECT_EQ(info.CursorRect.Right, 120);
  EXPECT_LT(info.CursorRect.Top, 0);
  EXPECT_EQ(info.CursorRect.Bottom, 0);
  EXPECT_EQ(Ask(TPoint(160, headerY), info), 1);
}

TEST_F(LazyTrees_qn_Hints, BusyTreesShowNoHint) {
  THintInfo info;
  const TPoint header(40, -T->Header()->Height() / 2);
  for (TVTHintMode mode : {hmDefault, hmHint, hmHintAndDefault, hmTooltip}) {
    T->SetHintMode(mode);
    // A point that gives a hint in this mode: the cut cell serves all.
    const TPoint node = Mid(Nth(1), 0);
    ASSERT_EQ(Ask(node, info), 0) << int(mode);
    ASSERT_EQ(Ask(header, info), 0) << int(mode);
    for (TLazyTreeState s : {tsOLEDragging, tsVCLDragging, tsDrawSelecting, tsScrolling}) {
      T->DoStateChange({s});
      EXPECT_EQ(Ask(node, info), 1) << int(mode) << " " << int(s);
      EXPECT_EQ(Ask(header, info), 1) << int(mode) << " " << int(s);
      EXPECT_FALSE(T->TreeStates().Contains(tsHint));
      T->DoStateChange({}, {s});
    }
    // While editing only another node than the edited (focused) one gets
    // a hint.
    T->SetFocusedNode(Nth(1));
    T->DoStateChange({tsEditing});
    EXPECT_EQ(Ask(node, info), 1) << int(mode);
    T->DoStateChange({}, {tsEditing});
    T->SetShowHint(false);
    EXPECT_EQ(Ask(node, info), 1) << int(mode);
    T->SetShowHint(true);
  }
  T->SetHintMode(hmHint);
  T->SetFocusedNode(Nth(3));
  T->DoStateChange({tsEditing});
  EXPECT_EQ(Ask(Mid(Nth(4), 0), info), 0);
  T->DoStateChange({}, {tsEditing});
}

TEST_F(LazyTrees_qn_Hints, LastHintRectKeepsTheHintUntilThePointerLeaves) {
  T->SetHintMode(hmHint);
  THintInfo info;
  ASSERT_EQ(Ask(Mid(Nth(2), 0), info), 0);
  TRect kept = T->FLastHintRect;
  info.CursorPos = TPoint(kept.Left + 1, kept.Top + 1);
  EXPECT_EQ(T->Perform(CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&info)), 1);
  EXPECT_EQ(T->FLastHintRect, kept);
  EXPECT_TRUE(T->TreeStates().Contains(tsHint));
  T->Perform(CM_MOUSELEAVE, 0, 0);
  EXPECT_TRUE(T->FLastHintRect.IsEmpty());
  EXPECT_FALSE(T->TreeStates().Contains(tsHint));
}

TEST_F(LazyTrees_qn_Hints, AnotherWindowClassGetsTheTextItself) {
  T->WindowClass = THintWindow::StaticClass();
  T->SetOnGetHint([](TBaseLazyTree_qn*, PLazyNode Node, TColumnIndex, TVTTooltipLineBreakStyle&, String& Text) {
    Text = u"hint of " + IntToStr(Integer(Node->Index));
  });
  THintInfo info;
  T->SetHintMode(hmHint);
  ASSERT_EQ(Ask(Mid(Nth(5), 0), info), 0);
  EXPECT_EQ(info.HintStr, u"hint of 5");
  EXPECT_EQ(info.HintData, nullptr);
  EXPECT_NE(info.HintWindowClass, TLazyTreeHintWindow::StaticClass());
  ASSERT_EQ(Ask(TPoint(40, -T->Header()->Height() / 2), info), 0);
  EXPECT_EQ(info.HintStr, u"File names");
}

TEST_F(LazyTrees_qn_Hints, TooltipsShowOnlyCutTextExactlyOverTheCell) {
  T->SetHintMode(hmTooltip);
  THintInfo info;
  // Cut by the column's right edge.
  PLazyNode cut = Nth(1);
  ASSERT_EQ(Ask(Mid(cut, 0), info), 0);
  TRect text = T->GetDisplayRect(cut, 0, true, true, true);
  EXPECT_EQ(info.CursorRect, text);
  EXPECT_EQ(info.HintPos, T->ClientToScreen(text.TopLeft()));
  EXPECT_TRUE(T->FHintData.DefaultHint.empty());
  // Across an empty neighbour with auto spanning the text still is cut
  // only where the span ends.
  SizeText.clear();
  Size->SetWidth(400);
  T->TreeOptions()->SetAutoOptions(T->TreeOptions()->AutoOptions() + TVTAutoOptions{toAutoSpanColumns});
  T->Invalidate();
  Pump();
  EXPECT_EQ(Ask(Mid(cut, 0), info), 1);
  SizeText = u"12 KB";
  T->TreeOptions()->SetAutoOptions(T->TreeOptions()->AutoOptions() - TVTAutoOptions{toAutoSpanColumns});
  Size->SetWidth(100);
  // Cut by the client's bottom edge and by its top edge.
  const Integer h = Integer(T->DefaultNodeHeight());
  T->SetBounds(10, 10, 400, T->Header()->Height() + 4 + 3 * h + h / 2);
  Pump();
  PLazyNode low = Nth(3);
  TRect lowText = T->GetDisplayRect(low, 0, true, true, true);
  ASSERT_GT(lowText.Bottom, T->ClientHeight());
  EXPECT_EQ(Ask(TPoint(lowText.Left + 2, lowText.Top + 2), info), 0);
  T->SetOffsetY(-h / 2);
  Pump();
  TRect topText = T->GetDisplayRect(Nth(0), 0, true, true, true);
  ASSERT_LT(topText.Top, 0);
  EXPECT_EQ(Ask(TPoint(topText.Left + 2, 2), info), 0);
  EXPECT_EQ(Ask(Mid(Nth(1), 1), info), 1);  // "12 KB" fits its column
  // Cut at the column's left: the tree scrolled so that the name starts
  // left of the client area.
  T->SetOffsetY(0);
  Size->SetWidth(600);
  T->SetOffsetX(-40);
  Pump();
  TRect nameText = T->GetDisplayRect(Nth(0), 0, true, true, true);
  ASSERT_LT(nameText.Left, 0);
  ASSERT_LT(nameText.Right, T->ClientWidth());
  EXPECT_EQ(Ask(TPoint(5, (nameText.Top + nameText.Bottom) / 2), info), 0);
  T->SetOffsetX(0);
  Pump();
  EXPECT_EQ(Ask(TPoint(5, (nameText.Top + nameText.Bottom) / 2), info), 1);
}

TEST_F(LazyTrees_qn_Hints, CutCellTooltipAppearsAtOnceOverTheText) {
  T->SetHintMode(hmTooltip);
  PLazyNode cut = Nth(1);
  TRect text = T->GetDisplayRect(cut, 0, true, true, true);
  // No pause: the first short wait shows it.
  TLazyTreeHintWindow* w = Hover(Mid(cut, 0), 20);
  ASSERT_NE(w, nullptr);
  TRect expected = text;
  InflateRect(expected, 1, 1);
  TPoint s = T->ClientToScreen(text.TopLeft());
  OffsetRect(expected, s.X - text.Left, s.Y - text.Top);
  EXPECT_EQ(WindowRect(w), expected);
  EXPECT_EQ(w->HintData().HintText, LongText);
  EXPECT_EQ(w->HintData().LineBreakStyle, hlbForceSingleLine);
  // A fitting cell hides it and shows nothing.
  EXPECT_EQ(Hover(Mid(Nth(4), 0), 20), nullptr);
}

TEST_F(LazyTrees_qn_Hints, MultiLineNodeTooltipSitsOnTheLabel) {
  T->SetHintMode(hmTooltip);
  PLazyNode n = Nth(1);
  T->SetMultiline(n, true);
  T->SetNodeHeight(n, 3 * T->DefaultNodeHeight());
  Pump();
  THintInfo info;
  TPoint p = Mid(n, 0);
  ASSERT_EQ(Ask(p, info), 0);
  EXPECT_EQ(info.CursorRect, T->GetDisplayRect(n, 0, true, false));
  T->Perform(CM_MOUSELEAVE, 0, 0);
  // Wrapped into three lines the text fits its cell: nothing to show.
  EXPECT_EQ(Hover(p, 20), nullptr);
  // One line high it does not.
  Application->CancelHint();
  T->SetNodeHeight(n, T->DefaultNodeHeight());
  Pump();
  p = Mid(n, 0);
  T->Perform(CM_MOUSELEAVE, 0, 0);
  TLazyTreeHintWindow* w = Hover(TPoint(p.X + 2, p.Y), 20);
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(w->HintData().LineBreakStyle, hlbForceMultiLine);
}

TEST_F(LazyTrees_qn_Hints, OwnerDrawHintsUseTheirSizeAndAnEmptyOneIsNotShown) {
  T->SetHintMode(hmHint);
  TRect size;
  int draws = 0;
  T->OnGetHintKind = [](TBaseLazyTree_qn*, PLazyNode, TColumnIndex, TVTHintKind& K) { K = vhkOwnerDraw; };
  T->OnGetHintSize = [&](TBaseLazyTree_qn*, PLazyNode, TColumnIndex, TRect& R) { R = size; };
  T->OnDrawHint = [&](TBaseLazyTree_qn*, TCanvas* C, PLazyNode, const TRect& R, TColumnIndex) {
    ++draws;
    C->Brush()->SetColor(clRed);
    C->FillRect(R);
  };
  THintInfo info;
  EXPECT_EQ(Ask(Mid(Nth(2), 0), info), 1);
  size = TRect(0, 0, 40, 24);
  TLazyTreeHintWindow* w = Hover(Mid(Nth(2), 0));
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(WindowRect(w).Width(), 40);
  EXPECT_EQ(WindowRect(w).Height(), 24);
  EXPECT_GE(draws, 1);
  EXPECT_EQ(w->DrawBuffer()->Canvas()->Pixels(20, 12), clRed);
}

TEST_F(LazyTrees_qn_Hints, HintAndTooltipSizes) {
  TProbeWindow w(nullptr);
  T->SetHintMode(hmHint);
  T->SetOnGetHint([](TBaseLazyTree_qn*, PLazyNode, TColumnIndex, TVTTooltipLineBreakStyle&, String& Text) {
    Text = u"Node hint text";
  });
  THintInfo info;
  ASSERT_EQ(Ask(Mid(Nth(2), 0), info), 0);
  TRect r = w.CalcHintRect(300, info.HintStr, info.HintData);
  // The hint font's measure plus the frame and margins.
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, Screen->HintFont()->Handle());
  RECT m{0, 0, 300, 0};
  DrawTextW(dc, u"Node hint text", 14, &m, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
  TEXTMETRICW tm{};
  GetTextMetricsW(dc, &tm);
  SelectObject(dc, old);
  DeleteDC(dc);
  EXPECT_EQ(w.TextHeight(), tm.tmHeight);
  EXPECT_EQ(r, TRect(0, 0, m.Right + T->TextMargin() + tm.tmHeight, m.Bottom + 6));
  EXPECT_EQ(w.HintData().HintText, u"Node hint text");
  // A tooltip: the cursor rectangle grown by one, at (-1, -1); one pixel
  // shorter with horizontal grid lines.
  T->SetOnGetHint(nullptr);
  T->SetHintMode(hmTooltip);
  ASSERT_EQ(Ask(Mid(Nth(1), 0), info), 0);
  TRect c = T->FLastHintRect;
  EXPECT_EQ(w.CalcHintRect(300, info.HintStr, info.HintData), TRect(-1, -1, c.Width() + 1, c.Height() + 1));
  T->TreeOptions()->SetPaintOptions(T->TreeOptions()->PaintOptions() + TVTPaintOptions{toShowHorzGridLines});
  EXPECT_EQ(w.CalcHintRect(300, info.HintStr, info.HintData), TRect(-1, -1, c.Width() + 1, c.Height()));
  EXPECT_TRUE(w.CalcHintRect(300, u" ", nullptr).IsEmpty());
}

TEST_F(LazyTrees_qn_Hints, HintsAreKeptOnTheDesktop) {
  TProbeWindow w(nullptr);
  T->SetHintMode(hmHint);
  THintInfo info;
  ASSERT_EQ(Ask(Mid(Nth(2), 0), info), 0);
  TRect r = w.CalcHintRect(300, info.HintStr, info.HintData);
  TRect desk = Screen->DesktopRect();
  OffsetRect(r, desk.Right - 10, desk.Bottom - 5);
  w.ActivateHint(r, info.HintStr);
  TRect shown = WindowRect(&w);
  EXPECT_EQ(shown.Right, desk.Right);
  EXPECT_EQ(shown.Bottom, desk.Bottom);
  EXPECT_EQ(shown.Width(), r.Width());
  EXPECT_TRUE(IsWindowVisible(w.Handle()));
  // Hiding lets go of the node.
  ShowWindow(w.Handle(), SW_HIDE);
  EXPECT_EQ(w.HintData().Node, nullptr);
  EXPECT_EQ(w.HintData().Tree, nullptr);
}

TEST_F(LazyTrees_qn_Hints, FadeAndSlideFramesBlendTheBufferOverTheBackground) {
  T->SetHintMode(hmHint);
  TProbeWindow w(nullptr);
  THintInfo info;
  ASSERT_EQ(Ask(Mid(Nth(2), 0), info), 0);
  TRect r = w.CalcHintRect(300, info.HintStr, info.HintData);
  OffsetRect(r, 600, 500);
  w.ActivateHint(r, info.HintStr);
  Pump();
  const Integer W = w.Width(), H = w.Height();
  // The background is not the hint's colour, so frames differ.
  w.Background()->Canvas()->Brush()->SetColor(TColor(RGB(20, 90, 160)));
  w.Background()->Canvas()->FillRect(TRect(0, 0, W, H));
  auto frame = [&](TBitmap& out) {
    out.SetPixelFormat(TPixelFormat::pf32bit);
    out.SetSize(W, H);
    HDC dc = GetDC(w.Handle());
    BitBlt(out.Canvas()->Handle(), 0, 0, W, H, dc, 0, 0, SRCCOPY);
    ReleaseDC(w.Handle(), dc);
  };
  auto near = [&](TBitmap& a, TBitmap& b, int tolerance) {
    for (Integer y = 0; y < H; ++y)
      for (Integer x = 0; x < W; ++x) {
        Cardinal p = Cardinal(a.Canvas()->Pixels(x, y)), q = Cardinal(b.Canvas()->Pixels(x, y));
        for (int shift = 0; shift < 24; shift += 8)
          if (std::abs(int((p >> shift) & 0xFF) - int((q >> shift) & 0xFF)) > tolerance) return false;
      }
    return true;
  };
  auto same = [&](TBitmap& a, TBitmap& b) { return near(a, b, 0); };
  w.FAnimation = hatFade;
  TBitmap before, f0, f128, f255, ref;
  frame(before);
  w.InternalPaint(0, 0);
  frame(f0);
  EXPECT_TRUE(same(before, f0));  // a fade shows nothing at step 0
  for (int step : {128, 255}) {
    w.InternalPaint(step, 1);
    TBitmap& got = step == 128 ? f128 : f255;
    frame(got);
    ref.SetPixelFormat(TPixelFormat::pf32bit);
    ref.SetSize(W, H);
    BitBlt(ref.Canvas()->Handle(), 0, 0, W, H, w.Background()->Canvas()->Handle(), 0, 0, SRCCOPY);
    AlphaBlend(w.DrawBuffer()->Canvas()->Handle(), ref.Canvas()->Handle(), TRect(0, 0, W, H), TPoint(), bmConstantAlpha,
               MulDiv(step, 256, 255), 0);
    EXPECT_TRUE(same(got, ref)) << step;
  }
  // The last step is the picture itself (within the blend's rounding).
  EXPECT_TRUE(near(f255, *w.DrawBuffer(), 1));
  EXPECT_FALSE(same(f128, f255));
  // Slide: the bottom rows of the picture on top, the background below.
  w.FAnimation = hatSlide;
  w.InternalPaint(5, 1);
  TBitmap slid;
  frame(slid);
  for (Integer y = 0; y < H; ++y) {
    TColor expect = y < 5 ? w.DrawBuffer()->Canvas()->Pixels(W / 2, H - 5 + y) : w.Background()->Canvas()->Pixels(W / 2, y);
    EXPECT_EQ(slid.Canvas()->Pixels(W / 2, y), expect) << y;
  }
}

TEST_F(LazyTrees_qn_Hints, FadeWithoutBlendingSlides) {
  T->SetHintMode(hmHint);
  T->SetHintAnimation(hatFade);
  MMXAvailable = false;
  TLazyTreeHintWindow* w = Hover(Mid(Nth(2), 0));
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(w->AnimationType(), hatSlide);
  MMXAvailable = true;
  Application->CancelHint();
  T->FLastHintRect = TRect();
  w = Hover(Mid(Nth(6), 0));
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(w->AnimationType(), hatFade);
  EXPECT_FALSE(T->TreeStates().Contains(tsInAnimation));
}

TEST_F(LazyTrees_qn_Hints, ANewHintStopsTheOlderAnimation) {
  T->SetHintMode(hmHint);
  T->SetHintAnimation(hatSlide);
  T->SetAnimationDuration(200);
  TTimer timer(nullptr);
  timer.SetInterval(40);
  DWORD nestedEnd = 0;
  timer.SetOnTimer([&](TObject*) {
    timer.SetEnabled(false);
    auto* w = dynamic_cast<TLazyTreeHintWindow*>(Application->ActiveHintWindow());
    ASSERT_NE(w, nullptr);
    THintInfo info;
    ASSERT_EQ(Ask(Mid(Nth(7), 0), info), 0);
    TRect r = w->CalcHintRect(300, info.HintStr, info.HintData);
    OffsetRect(r, info.HintPos.X, info.HintPos.Y);
    w->ActivateHint(r, info.HintStr);
    nestedEnd = timeGetTime();
  });
  TPoint s = T->ClientToScreen(Mid(Nth(2), 0));
  InputMouseMove(s.X, s.Y);
  Pump();
  timer.SetEnabled(false);
  Run(490);
  timer.SetEnabled(true);
  DWORD start = timeGetTime();
  Run(30);
  ASSERT_NE(nestedEnd, 0u);
  // The older loop stopped right after the newer one instead of running
  // out its own 200 ms.
  EXPECT_GE(nestedEnd - start, 200u);
  EXPECT_LT(timeGetTime() - nestedEnd, 60u);
  EXPECT_FALSE(T->TreeStates().Contains(tsInAnimation));
  EXPECT_FALSE(T->TreeStates().Contains(tsCancelHintAnimation));
  auto* w = dynamic_cast<TLazyTreeHintWindow*>(Application->ActiveHintWindow());
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(w->HintData().Node, Nth(7));
}

TEST_F(LazyTrees_qn_Hints, TreeFreedDuringTheFadeLeavesNothingBehind) {
  T->SetHintMode(hmHint);
  T->SetHintAnimation(hatFade);
  MMXAvailable = true;
  T->SetAnimationDuration(200);
  TTimer timer(nullptr);
  timer.SetInterval(100);
  bool freed = false;
  timer.SetOnTimer([&](TObject*) {
    timer.SetEnabled(false);
    if (T && T->TreeStates().Contains(tsInAnimation)) {
      delete T;
      T = nullptr;
      freed = true;
    }
  });
  TPoint s = T->ClientToScreen(Mid(Nth(2), 0));
  InputMouseMove(s.X, s.Y);
  Pump();
  timer.SetEnabled(false);
  Run(450);
  timer.SetEnabled(true);
  Run(300);
  ASSERT_TRUE(freed);
  auto* w = dynamic_cast<TLazyTreeHintWindow*>(Application->ActiveHintWindow());
  ASSERT_NE(w, nullptr);
  EXPECT_FALSE(w->HandleAllocated() && IsWindowVisible(w->Handle()));
  EXPECT_EQ(w->HintData().Tree, nullptr);
  EXPECT_EQ(Application->HintControl(), nullptr);
}

TEST_F(LazyTrees_qn_Hints, DeletedNodeTakesItsHintAlong) {
  T->SetHintMode(hmHint);
  TLazyTreeHintWindow* w = Hover(Mid(Nth(2), 0));
  ASSERT_NE(w, nullptr);
  ASSERT_EQ(w->HintData().Node, Nth(2));
  T->DeleteNode(Nth(2));
  EXPECT_FALSE(IsWindowVisible(w->Handle()));
  EXPECT_EQ(w->HintData().Node, nullptr);
}

TEST_F(LazyTrees_qn_Hints, BaseTreeAnswersTheControlHintForNodes) {
  TBaseLazyTree_qn base(nullptr);
  base.SetHint(u"Short|Long");
  TVTTooltipLineBreakStyle style = hlbForceMultiLine;
  EXPECT_EQ(base.DoGetNodeHint(nullptr, NoColumn, style), u"Short|Long");
  EXPECT_EQ(style, hlbDefault);
  style = hlbForceSingleLine;
  EXPECT_EQ(base.DoGetNodeTooltip(nullptr, NoColumn, style), u"Short|Long");
  EXPECT_EQ(style, hlbDefault);
  TVTHintKind kind = vhkOwnerDraw;
  base.DoGetHintKind(nullptr, NoColumn, kind);
  EXPECT_EQ(kind, vhkText);
}

TEST_F(LazyTrees_qn_Hints, GallerySheetMatchesItsGoldenImage) {
  delete Form;
  Form = nullptr;
  vcl::TScreenImage sheet = gallery::TTreeHintsSheet::Render();
  qntest::ExpectMatchesGolden(sheet, "tree-hints", 8,
                              gallery::TTreeHintsSheet::kWidth * gallery::TTreeHintsSheet::kHeight / 200);
}

TEST_F(LazyTrees_qn_Hints, PausesAndMessagesThatKeepTheHint) {
  // Tooltips come at once; other modes keep the platform's pause.
  Integer pause = 500;
  T->SetHintMode(hmHint);
  TPoint s = T->ClientToScreen(Mid(Nth(2), 0));
  InputMouseMove(s.X, s.Y);
  Pump();
  T->Perform(CM_HINTSHOWPAUSE, 0, reinterpret_cast<LPARAM>(&pause));
  EXPECT_EQ(pause, 500);
  T->SetHintMode(hmTooltip);
  T->Perform(CM_HINTSHOWPAUSE, 0, reinterpret_cast<LPARAM>(&pause));
  EXPECT_EQ(pause, 0);
  // The first header hint, before any tree hint window exists, too.
  T->SetHintMode(hmHint);
  pause = 500;
  s = T->ClientToScreen(TPoint(40, -T->Header()->Height() / 2));
  InputMouseMove(s.X, s.Y);
  Pump();
  const bool destroyed = HintWindowDestroyed;
  HintWindowDestroyed = true;
  T->Perform(CM_HINTSHOWPAUSE, 0, reinterpret_cast<LPARAM>(&pause));
  EXPECT_EQ(pause, 0);
  HintWindowDestroyed = false;
  pause = 500;
  T->Perform(CM_HINTSHOWPAUSE, 0, reinterpret_cast<LPARAM>(&pause));
  EXPECT_EQ(pause, 500);
  HintWindowDestroyed = destroyed;

  // Typing and moving over frames leave a shown hint up; a press ends it.
  TLazyTreeHintWindow* w = Hover(Mid(Nth(3), 0));
  ASSERT_NE(w, nullptr);
  MSG m{};
  m.hwnd = T->Handle();
  for (UINT msg : {UINT(WM_KEYDOWN), UINT(WM_CHAR), UINT(WM_NCMOUSEMOVE)}) {
    m.message = msg;
    EXPECT_FALSE(w->IsHintMsg(m)) << msg;
  }
  m.message = WM_LBUTTONDOWN;
  EXPECT_TRUE(w->IsHintMsg(m));
  ShowWindow(w->Handle(), SW_HIDE);
  EXPECT_FALSE(w->IsHintMsg(m));
}

}  // namespace t_lazy_trees_qn_hints_test
