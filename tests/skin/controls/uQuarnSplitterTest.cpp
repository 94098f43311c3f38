// The splitter between aligned panels, driven through the input queue: the
// sibling it finds, snapping, the largest size, Escape through the borrowed
// key handler, the inverted line, the right-aligned case, the veto and
// OnMoved; and the dots it draws.
#include "platform/vcl/ExtCtrls.h"
#include "skin/controls/uQuarnProgressBar.h"
#include "skin/controls/uQuarnSplitter.h"
#include "tests/skin/controls/SkinControlsTestSupport.h"

namespace t_u_quarn_splitter_test {

using namespace qn;

namespace {

class uQuarnSplitter : public skintest::RootTest {
 protected:
  TPanel* Pane(TAlign Align, Integer Size) {
    auto* p = new TPanel(FRoot.get());
    p->SetParent(FRoot.get());
    if (Align == alLeft || Align == alRight)
      p->SetWidth(Size);
    else
      p->SetHeight(Size);
    p->SetAlign(Align);
    return p;
  }
  // Pane of 100 (aligned Align), the splitter beside it, the rest a
  // client pane holding a focused control.
  TQuarnSplitter* Layout(TAlign Align) {
    FPane = Pane(Align, 100);
    auto* s = new TQuarnSplitter(FRoot.get());
    s->SetParent(FRoot.get());
    s->SetAlign(Align);
    // Placed past the pane, so the alignment puts it beside it.
    if (Align == alLeft) s->SetLeft(200);
    if (Align == alRight) s->SetLeft(100);
    if (Align == alTop) s->SetBounds(0, 200, 500, 3);
    if (Align == alBottom) s->SetBounds(0, 50, 500, 3);
    FClient = Pane(alClient, 0);
    FFocus = new TQuarnProgressBar(FRoot.get());
    FFocus->SetParent(FClient);
    FFocus->SetBounds(10, 10, 100, 17);
    usertest::Pump();
    FRoot->SetActiveControl(FFocus);
    usertest::Pump();
    s->SetOnMoved([this](TObject*) { ++FMoved; });
    return s;
  }
  // Press at the splitter's middle, then move by (DX, DY).
  void Drag(TQuarnSplitter* S, Integer DX, Integer DY) {
    MoveTo(S, S->Width() / 2, S->Height() / 2);
    Press();
    MoveTo(S, S->Width() / 2 + DX, S->Height() / 2 + DY);
  }
  TPanel* FPane = nullptr;
  TPanel* FClient = nullptr;
  TQuarnProgressBar* FFocus = nullptr;
  Integer FMoved = 0;
};

TEST_F(uQuarnSplitter, DragResizesTheSiblingOnRelease) {
  auto* s = Layout(alLeft);
  EXPECT_EQ(s->Left(), 100);
  EXPECT_EQ(s->Cursor(), crHSplit);
  Drag(s, 40, 0);
  EXPECT_EQ(s->SizedControl(), FPane);
  EXPECT_TRUE(s->LineVisible());
  EXPECT_EQ(FPane->Width(), 100);  // only the line moves meanwhile
  EXPECT_EQ(s->Split(), 40);
  Release();
  EXPECT_EQ(FPane->Width(), 140);
  EXPECT_EQ(s->Left(), 140);
  EXPECT_EQ(FMoved, 1);
  EXPECT_FALSE(s->LineVisible());
  EXPECT_EQ(s->SizedControl(), nullptr);
}

TEST_F(uQuarnSplitter, SnapsShutAndStopsAtTheLargestSize) {
  auto* s = Layout(alLeft);
  // 25 pixels is below MinSize 30: the sibling collapses.
  Drag(s, -75, 0);
  Release();
  EXPECT_EQ(FPane->Width(), 0);
  // A collapsed pane is still found and dragged open again.
  Drag(s, 60, 0);
  Release();
  EXPECT_EQ(FPane->Width(), 60);
  // Room: 500 - MinSize - (60 + 3) + 60 = 467.
  Drag(s, 900, 0);
  EXPECT_EQ(s->MaxSize(), 467);
  EXPECT_EQ(s->NewSize(), 467);
  EXPECT_EQ(s->Split(), 407);  // the line stops at the largest size too
  Release();
  EXPECT_EQ(FPane->Width(), 467);
  // Without AutoSnap the smallest size holds.
  s->SetAutoSnap(false);
  Drag(s, -900, 0);
  Release();
  EXPECT_EQ(FPane->Width(), 30);
  EXPECT_EQ(FMoved, 4);
}

TEST_F(uQuarnSplitter, EscapeKeepsTheSizeAndGivesTheKeyHandlerBack) {
  auto* s = Layout(alLeft);
  Integer ownKeys = 0;
  const TKeyEvent own = [&](TObject*, Word&, TShiftState) { ++ownKeys; };
  FFocus->SetOnKeyDown(own);
  FFocus->SetFocus();
  usertest::Pump();
  Drag(s, 50, 0);
  EXPECT_FALSE(FFocus->OnKeyDown() == own);  // borrowed while dragging
  Key('A');                                  // reaches no handler
  EXPECT_EQ(ownKeys, 0);
  Key(VK_ESCAPE);
  EXPECT_FALSE(s->LineVisible());
  EXPECT_TRUE(FFocus->OnKeyDown() == own);
  EXPECT_EQ(FMoved, 1);
  Release();
  EXPECT_EQ(FPane->Width(), 100);
  EXPECT_EQ(FMoved, 1);
  Key('A');
  EXPECT_EQ(ownKeys, 1);
}

TEST_F(uQuarnSplitter, TheLineDrawnTwiceGivesThePixelsBack) {
  auto* s = Layout(alLeft);
  // The parent's surface without its children clipped away, as the line
  // itself is drawn.
  HDC dc = GetDCEx(FRoot->Handle(), nullptr, DCX_CACHE);
  auto column = [&](Integer X) {
    std::vector<COLORREF> c;
    for (Integer y = 0; y < 300; y += 7) c.push_back(GetPixel(dc, X, y));
    return c;
  };
  const auto before = column(141), before101 = column(101);
  Drag(s, 40, 0);  // line at 140..142
  const auto shown = column(141);
  // Every pixel of the line is inverted or kept, in a 50 % pattern.
  Integer inverted = 0;
  for (size_t i = 0; i < before.size(); ++i) {
    if (shown[i] == before[i]) continue;
    EXPECT_EQ(shown[i], before[i] ^ 0x00FFFFFFu);
    ++inverted;
  }
  EXPECT_GT(inverted, Integer(before.size()) / 4);
  EXPECT_EQ(column(101), before101);
  MoveTo(s, 1, 150);  // back where it started: erased, drawn at 100
  EXPECT_EQ(column(141), before);
  EXPECT_NE(column(101), before101);
  Key(VK_ESCAPE);
  EXPECT_EQ(column(101), before101);
  ReleaseDC(FRoot->Handle(), dc);
  Release();
}

TEST_F(uQuarnSplitter, RightAlignedMovesTheSiblingsLeft) {
  auto* s = Layout(alRight);
  ASSERT_EQ(FPane->Left(), 400);
  EXPECT_EQ(s->Left(), 397);
  Drag(s, -40, 0);
  Release();
  EXPECT_EQ(FPane->Width(), 140);
  EXPECT_EQ(FPane->Left(), 360);
  EXPECT_EQ(FPane->Left() + FPane->Width(), 500);
  EXPECT_EQ(FMoved, 1);
}

TEST_F(uQuarnSplitter, TopAlignedUsesTheVerticalCursorAndHeights) {
  auto* s = Layout(alTop);
  EXPECT_EQ(s->Cursor(), crVSplit);
  Drag(s, 0, 30);
  Release();
  EXPECT_EQ(FPane->Height(), 130);
}

TEST_F(uQuarnSplitter, OnCanResizeVetoesAndChanges) {
  auto* s = Layout(alLeft);
  bool accept = false;
  s->SetOnCanResize([&](TObject*, Integer& NewSize, bool& Accept) {
    Accept = accept;
    if (accept) NewSize = 77;
  });
  Drag(s, 40, 0);
  EXPECT_EQ(s->NewSize(), 100);
  Release();
  EXPECT_EQ(FPane->Width(), 100);
  accept = true;
  Drag(s, 40, 0);
  Release();
  EXPECT_EQ(FPane->Width(), 77);
  EXPECT_EQ(FMoved, 2);
}

TEST_F(uQuarnSplitter, NoSiblingNoDrag) {
  auto* s = new TQuarnSplitter(FRoot.get());
  s->SetParent(FRoot.get());  // first on the left: nothing beside it
  usertest::Pump();
  s->SetOnMoved([this](TObject*) { ++FMoved; });
  Drag(s, 40, 0);
  EXPECT_EQ(s->SizedControl(), nullptr);
  EXPECT_FALSE(s->LineVisible());
  Release();
  EXPECT_EQ(FMoved, 0);
}

TEST_F(uQuarnSplitter, DotsFollowTheAlignment) {
  auto* s = Make<TQuarnSplitter>(0, 0, 3, 100);
  s->SetAlign(alNone);
  s->SetBounds(20, 20, 5, 100);
  const TColor32 root = RootColour();
  auto count = [&](TColor32 C) {
    TBitmap32* p = Picture(s);
    Integer n = 0;
    for (Integer y = 0; y < p->Height(); ++y)
      for (Integer x = 0; x < p->Width(); ++x) n += (p->GetPixel(x, y) & 0xFFFFFFu) == C;
    return n;
  };
  const TColor32 dot = Color32(ColorToRGB(s->DotColor())) & 0xFFFFFFu;
  EXPECT_EQ(count(root), 5 * 100);
  s->SetAlign(alLeft);  // 5 wide: dots at x 1 and 3 from y 35
  usertest::Pump();
  ASSERT_EQ(s->Width(), 5);
  EXPECT_EQ(count(dot), 20);
  EXPECT_EQ(count(0xF0F0F0u), 20);
  TBitmap32* p = Picture(s);
  const Integer y0 = (s->Height() - 30) / 2;
  EXPECT_EQ(p->GetPixel(1, y0) & 0xFFFFFFu, dot);
  EXPECT_EQ(p->GetPixel(3, y0 + 27) & 0xFFFFFFu, dot);
  EXPECT_EQ(p->GetPixel(1, y0 + 1) & 0xFFFFFFu, 0xF0F0F0u);
  s->SetResizeType(rtNone);
  EXPECT_EQ(count(dot), 0);
}

}  // namespace

}  // namespace t_u_quarn_splitter_test
