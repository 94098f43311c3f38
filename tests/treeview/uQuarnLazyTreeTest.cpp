// The skinned trees: the skinned bars follow the native scroll state
// (fitting, one pixel too wide, disabled trees), a thumb dragged by the
// pointer scrolls the tree without echo, the wheel, keys and ScrollIntoView
// move the bars, 10^5 nodes reached through the bar, native bars never take room,
// the border panel's frame follows focus and hover, design mode, and bars or
// panels freed or replaced around a living tree.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "examples/gallery/TreeSkinnedSheet.h"
#include "platform/desktop/Desktop.h"
#include "platform/rtl/SysUtils.h"
#include "platform/vcl/ControlMessages.h"
#include "platform/vcl/Forms.h"
#include "tests/common/Golden.h"
#include "tests/platform/user/UserTestSupport.h"
#include "treeview/uQuarnLazyTree.h"

namespace t_u_quarn_lazy_tree_test {

using namespace qn;

namespace {

// Counts the bar updates that happen while a bar is scrolling the tree.
class TProbeTree : public TQuarnLazyStringTree {
  QN_CLASS(TProbeTree, TQuarnLazyStringTree)
 public:
  explicit TProbeTree(TComponent* AOwner) : TQuarnLazyStringTree(AOwner) {}
  int UpdatesWhileLocked = 0;
  using TQuarnLazyStringTree::FLockUpdate;

 protected:
  void UpdateVerticalScrollBar(bool DoRepaint) override {
    if (FLockUpdate) ++UpdatesWhileLocked;
    TQuarnLazyStringTree::UpdateVerticalScrollBar(DoRepaint);
  }
};

// Records what the tree reports to the frame.
class TProbePanel : public TQuarnBorderPanel {
  QN_CLASS(TProbePanel, TQuarnBorderPanel)
 public:
  explicit TProbePanel(TComponent* AOwner) : TQuarnBorderPanel(AOwner) {}
  std::vector<std::pair<bool, bool>> Calls;
  void UpdateFrame(bool Over, bool Value) override {
    Calls.emplace_back(Over, Value);
    TQuarnBorderPanel::UpdateFrame(Over, Value);
  }
};

struct TSink : TObject {
  std::vector<TObject*> Senders;
  std::vector<Integer> Offsets;
  TBaseLazyTree_qn* Tree = nullptr;
  void Changed(TObject* S) {
    Senders.push_back(S);
    Offsets.push_back(Tree->OffsetY());
  }
};

class uQuarnLazyTree : public usertest::InputServerTest {
 protected:
  void SetUp() override {
    usertest::InputServerTest::SetUp();
    SetScreenSize(1024, 768);
    Form = std::make_unique<TForm>(nullptr);
    Form->SetPosition(poDesigned);
    Form->SetBorderStyle(bsNone);
    Form->SetBounds(40, 40, 600, 400);
    Panel = new TProbePanel(Form.get());
    Panel->SetParent(Form.get());
    Panel->SetBounds(10, 10, 304, 204);
    T = new TProbeTree(Form.get());
    T->SetParent(Panel);
    T->SetAlign(alClient);
    T->SetOnGetText([](TBaseLazyTree_qn*, PLazyNode Node, TColumnIndex, TVSTTextType, String& Text) {
      Text = u"Node " + IntToStr(Integer(Node->Index));
    });
    VBar = new TQuarnScrollBar(Form.get());
    VBar->SetParent(Form.get());
    VBar->SetKind(sbVertical);
    VBar->SetBounds(316, 10, 12, 204);
    HBar = new TQuarnScrollBar(Form.get());
    HBar->SetParent(Form.get());
    HBar->SetBounds(10, 216, 304, 12);
    Form->Show();
    usertest::Pump();
    T->SetQuarnBorderPanel(Panel);
    T->SetVScrollBar(VBar);
    T->SetHScrollBar(HBar);
    Sink.Tree = T;
    T->SetOnScrollBarChange(TNotifyEvent(&Sink, &TSink::Changed));
    usertest::Pump();
  }
  void TearDown() override {
    ReleaseCapture();
    Form.reset();
    usertest::InputServerTest::TearDown();
  }
  void Columns(std::initializer_list<Integer> Widths) {
    for (Integer w : Widths) T->Header()->Columns()->Add()->SetWidth(w);
    usertest::Pump();
  }
  void MoveTo(TControl* C, TPoint P) {
    const TPoint s = C->ClientToScreen(P);
    InputMouseMove(s.X, s.Y);
    usertest::Pump();
  }
  static TPoint Centre(const TRect& R) { return TPoint((R.Left + R.Right) / 2, (R.Top + R.Bottom) / 2); }
  static DWORD NativeBits(TWinControl* C) { return DWORD(GetWindowLongW(C->Handle(), GWL_STYLE)) & (WS_HSCROLL | WS_VSCROLL); }

  std::unique_ptr<TForm> Form;
  TProbePanel* Panel = nullptr;
  TProbeTree* T = nullptr;
  TQuarnScrollBar* VBar = nullptr;
  TQuarnScrollBar* HBar = nullptr;
  TSink Sink;
};

}  // namespace

TEST_F(uQuarnLazyTree, BarsFollowFittingAndOverflowingContent) {
  // Nothing to scroll: both bars empty, disabled and hidden.
  T->SetRootNodeCount(3);
  usertest::Pump();
  for (TQuarnScrollBar* b : {VBar, HBar}) {
    EXPECT_EQ(b->Min(), 0);
    EXPECT_EQ(b->Max(), 0);
    EXPECT_EQ(b->PageSize(), 0);
    EXPECT_EQ(b->Position(), 0);
    EXPECT_FALSE(b->Enabled());
    EXPECT_FALSE(b->Visible());
  }
  // The skinned tree is framed by the panel alone: no border, full client.
  EXPECT_EQ(T->BorderStyle(), bsNone);
  const Integer cw = T->ClientWidth(), ch = T->ClientHeight();
  EXPECT_EQ(cw, T->Width());
  EXPECT_EQ(ch, T->Height());

  // Columns exactly as wide as the client still fit; one pixel more needs
  // the bar, and that last pixel column is reachable.
  Columns({cw - 100, 100});
  EXPECT_FALSE(HBar->Visible());
  T->Header()->Columns()->Items(1)->SetWidth(101);
  usertest::Pump();
  ASSERT_TRUE(HBar->Visible());
  EXPECT_TRUE(HBar->Enabled());
  EXPECT_EQ(HBar->Max(), cw + 1);
  EXPECT_EQ(HBar->PageSize(), cw + 1);
  HBar->SetPosition(5);
  EXPECT_EQ(HBar->Position(), 1);
  EXPECT_EQ(T->OffsetX(), -1);
  EXPECT_EQ(Sink.Senders, (std::vector<TObject*>{HBar}));
  EXPECT_EQ(T->ClientWidth(), cw) << "the native bar took room";
  EXPECT_EQ(NativeBits(T), 0u);

  // Taller than the client: the vertical bar shows the native range.
  T->SetRootNodeCount(40);
  usertest::Pump();
  ASSERT_TRUE(VBar->Visible());
  EXPECT_EQ(VBar->Max(), 40 * 18);
  EXPECT_EQ(VBar->PageSize(), ch + 1);
  EXPECT_EQ(T->ClientHeight(), ch);

  // A disabled tree disables its bars; enabled again, they come back.
  T->SetEnabled(false);
  usertest::Pump();
  EXPECT_FALSE(VBar->Enabled());
  EXPECT_FALSE(HBar->Enabled());
  T->SetEnabled(true);
  usertest::Pump();
  EXPECT_TRUE(VBar->Enabled());
  EXPECT_TRUE(HBar->Enabled());
}

TEST_F(uQuarnLazyTree, DraggedThumbScrollsTheTreeWithoutEcho) {
  T->SetRootNodeCount(100000);
  usertest::Pump();
  ASSERT_TRUE(VBar->Visible());
  const Integer last = VBar->Max() - VBar->PageSize() + 1;
  ASSERT_GT(last, 65535) << "the canvas should pass 16-bit positions";
  EXPECT_EQ(last, T->RangeY() - T->ClientHeight());

  VBar->CalcRects();
  const TPoint thumb = Centre(VBar->Button(TQuarnScrollBar::BtnThumb).Rect);
  MoveTo(VBar, thumb);
  InputMouseDown(VK_LBUTTON);
  usertest::Pump();
  for (Integer dy : {7, 40, 41, 90}) MoveTo(VBar, TPoint(thumb.X, thumb.Y + dy));
  // Far past the end: the last node comes into view.
  MoveTo(VBar, TPoint(thumb.X, thumb.Y + 400));
  InputMouseUp(VK_LBUTTON);
  usertest::Pump();

  ASSERT_GE(Sink.Senders.size(), 4u);
  for (size_t i = 0; i < Sink.Senders.size(); ++i) {
    EXPECT_EQ(Sink.Senders[i], VBar);
    if (i > 0) {
      EXPECT_NE(Sink.Offsets[i], Sink.Offsets[i - 1]) << "an event without a change";
    }
  }
  EXPECT_EQ(T->UpdatesWhileLocked, 0) << "the tree wrote back into the bar while it scrolled";
  EXPECT_EQ(VBar->Position(), last);
  EXPECT_EQ(T->OffsetY(), -last);
  EXPECT_EQ(T->BottomNode(), T->GetLast());
}

TEST_F(uQuarnLazyTree, WheelKeysScrollMessagesAndScrollIntoViewMoveTheBars) {
  T->SetRootNodeCount(200);
  Columns({250, 200});
  usertest::Pump();
  // The wheel over the tree.
  MoveTo(T, TPoint(50, 50));
  InputMouseWheel(-WHEEL_DELTA);
  usertest::Pump();
  EXPECT_EQ(T->OffsetY(), -3 * 18);
  EXPECT_EQ(VBar->Position(), 3 * 18);
  // A scroll request and code.
  T->Perform(WM_VSCROLL, SB_PAGEDOWN, 0);
  EXPECT_EQ(VBar->Position(), -T->OffsetY());
  T->ScrollIntoView(T->GetLast(), false);
  EXPECT_EQ(T->BottomNode(), T->GetLast());
  EXPECT_EQ(VBar->Position(), VBar->Max() - VBar->PageSize() + 1);
  T->SetOffsetX(-30);
  EXPECT_EQ(HBar->Position(), 30);
  // Keys typed into the focused tree.
  T->SetFocus();
  usertest::Pump();
  for (int vk : {VK_HOME, VK_NEXT}) {
    InputKeyDown(vk);
    InputKeyUp(vk);
    usertest::Pump();
  }
  EXPECT_LT(T->OffsetY(), 0);
  EXPECT_EQ(VBar->Position(), -T->OffsetY());
  InputKeyDown(VK_END);
  InputKeyUp(VK_END);
  usertest::Pump();
  EXPECT_EQ(VBar->Position(), VBar->Max() - VBar->PageSize() + 1);
  // None of these came from a bar.
  EXPECT_TRUE(Sink.Senders.empty());
}

TEST_F(uQuarnLazyTree, RightToLeftBarCountsFromTheCanvasEnd) {
  T->SetBiDiMode(bdRightToLeft);
  T->SetRootNodeCount(5);
  Columns({250, 200});
  const Integer end = T->RangeX() - T->ClientWidth();
  ASSERT_GT(end, 0);
  // A right-to-left view starts at the canvas's right end, as its bar does.
  EXPECT_EQ(HBar->Position(), T->EffectiveOffsetX());
  for (Integer p : {0, 37, end}) {
    HBar->SetPosition(p);
    EXPECT_EQ(T->EffectiveOffsetX(), p);
    EXPECT_EQ(HBar->Position(), p);
  }
}

TEST_F(uQuarnLazyTree, NativeBarsNeverTakeRoom) {
  const Integer cw = T->ClientWidth(), ch = T->ClientHeight();
  const DWORD before = DWORD(GetWindowLongW(T->Handle(), GWL_STYLE));
  // A window handed one native bit, as code elsewhere may do.
  for (DWORD bit : {DWORD(WS_VSCROLL), DWORD(WS_HSCROLL)}) {
    SetWindowLongW(T->Handle(), GWL_STYLE, LONG(before | bit));
    SetWindowPos(T->Handle(), nullptr, 0, 0, 0, 0,
                 SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    EXPECT_EQ(DWORD(GetWindowLongW(T->Handle(), GWL_STYLE)), before) << "other style bits changed";
    EXPECT_EQ(T->ClientWidth(), cw);
    EXPECT_EQ(T->ClientHeight(), ch);
  }
  // A recreated window, asked for a native bar by its options, has none.
  T->ScrollBarOptions()->SetScrollBars(TScrollStyle::ssVertical);
  T->SetRootNodeCount(500);
  usertest::Pump();
  EXPECT_EQ(NativeBits(T), 0u);
  EXPECT_EQ(T->ClientWidth(), cw);
  EXPECT_TRUE(VBar->Visible());
  // The tree sits inside the panel's frame.
  TRect inner = Panel->ClientRect();
  Panel->AdjustClientRect(inner);
  EXPECT_EQ(T->BoundsRect(), inner);
}

TEST_F(uQuarnLazyTree, FrameFollowsFocusAndHover) {
  auto* other = new TQuarnScrollBar(Form.get());
  other->SetParent(Form.get());
  other->SetBounds(400, 300, 100, 12);
  other->SetCanFocused(true);
  // A frame beside the tree rather than around it, so the panel's own
  // handling of what its children forward stays out of the record.
  auto* frame = new TProbePanel(Form.get());
  frame->SetParent(Form.get());
  frame->SetBounds(400, 10, 100, 100);
  T->SetQuarnBorderPanel(frame);
  EXPECT_FALSE(frame->CMMouse());
  other->SetFocus();
  usertest::Pump();
  frame->Calls.clear();
  T->SetFocus();
  usertest::Pump();
  other->SetFocus();
  usertest::Pump();
  MoveTo(T, TPoint(20, 20));
  MoveTo(Form.get(), TPoint(500, 380));
  using C = std::pair<bool, bool>;
  EXPECT_EQ(frame->Calls, (std::vector<C>{{false, true}, {false, false}, {true, true}, {true, false}}));

  // Design mode prepares no bar.
  auto* design = new TQuarnLazyDrawTree(Form.get());
  design->SetDesigning(true);
  auto* bar = new TQuarnScrollBar(Form.get());
  design->SetVScrollBar(bar);
  EXPECT_EQ(design->VScrollBar(), bar);
  EXPECT_EQ(bar->Max(), 100);
  EXPECT_FALSE(bar->AutoHide());
  EXPECT_FALSE(Assigned(bar->OnChange()));
}

TEST_F(uQuarnLazyTree, FreedAndReplacedPartnersLeaveNoDanglingCalls) {
  T->SetRootNodeCount(300);
  Columns({400});
  // Replacing a bar detaches the old one.
  auto* spare = new TQuarnScrollBar(Form.get());
  spare->SetKind(sbVertical);
  T->SetVScrollBar(spare);
  EXPECT_FALSE(Assigned(VBar->OnChange()));
  EXPECT_TRUE(Assigned(spare->OnChange()));
  VBar->SetPosition(40);
  EXPECT_EQ(T->OffsetY(), 0);
  T->SetVScrollBar(VBar);

  // Bars and panel freed first; the tree goes on. (A panel frees the
  // controls inside it, so the tree moves out first.)
  T->SetParent(Form.get());
  delete VBar;
  delete HBar;
  delete Panel;
  EXPECT_EQ(T->VScrollBar(), nullptr);
  EXPECT_EQ(T->HScrollBar(), nullptr);
  EXPECT_EQ(T->QuarnBorderPanel(), nullptr);
  delete spare;

  // A second tree, freed before its bar: the bar no longer calls it.
  auto* tree = new TQuarnLazyDrawTree(Form.get());
  tree->SetParent(Form.get());
  tree->SetBounds(350, 10, 200, 100);
  auto* bar = new TQuarnScrollBar(Form.get());
  bar->SetKind(sbVertical);
  tree->SetVScrollBar(bar);
  tree->SetRootNodeCount(100);
  usertest::Pump();
  EXPECT_TRUE(bar->Visible());
  delete tree;
  EXPECT_FALSE(Assigned(bar->OnChange()));
  bar->SetPosition(30);

  // The first tree, now without partners: scrolling, resizing, destroying.
  auto* t = new TQuarnLazyStringTree(Form.get());
  t->SetParent(Form.get());
  t->SetBounds(10, 240, 300, 150);
  auto* v = new TQuarnScrollBar(Form.get());
  auto* p = new TQuarnBorderPanel(Form.get());
  t->SetVScrollBar(v);
  t->SetQuarnBorderPanel(p);
  t->SetRootNodeCount(100);
  delete v;
  delete p;
  t->SetFocus();
  t->Perform(WM_VSCROLL, SB_PAGEDOWN, 0);
  t->SetBounds(10, 240, 280, 120);
  usertest::Pump();
  EXPECT_LT(t->OffsetY(), 0);
  delete t;
  T->Perform(WM_VSCROLL, SB_PAGEDOWN, 0);
  T->SetAlign(alNone);
  T->SetBounds(0, 0, 200, 100);
  usertest::Pump();
}

TEST_F(uQuarnLazyTree, PublishedAfterTheParentsLists) {
  for (const TPublishedClass* pc : {TQuarnLazyStringTree::StaticPublished(), TQuarnLazyDrawTree::StaticPublished()}) {
    std::vector<String> names;
    for (const TPropInfo* p : pc->Properties()) names.push_back(p->Name());
    ASSERT_GE(names.size(), 5u);
    EXPECT_EQ(std::vector<String>(names.end() - 5, names.end()),
              (std::vector<String>{u"About", u"QuarnBorderPanel", u"VScrollBar", u"HScrollBar", u"OnScrollBarChange"}));
  }
  EXPECT_EQ(TQuarnLazyStringTree::StaticClass()->ClassParent(), TLazyStringTree_qn::StaticClass());
  EXPECT_EQ(TQuarnLazyDrawTree::StaticClass()->ClassParent(), TLazyDrawTree_qn::StaticClass());
  EXPECT_NE(FindClass(u"TQuarnLazyDrawTree"), nullptr);
  EXPECT_FALSE(TQuarnLazyStringTree::StaticPublished()->FindProperty(u"About")->IsStored(T));
}

TEST_F(uQuarnLazyTree, GallerySheetMatchesItsGoldenImage) {
  const vcl::TScreenImage sheet = gallery::TTreeSkinnedSheet::Render();
  qntest::ExpectMatchesGolden(sheet, "tree-skinned", 8, sheet.Width * sheet.Height / 200);
}

}  // namespace t_u_quarn_lazy_tree_test
