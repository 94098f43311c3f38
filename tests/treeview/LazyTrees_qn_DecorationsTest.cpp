// Node decorations: line images of small trees, the lines each line type
// draws in both directions and the dotted pattern's phase, band lines, the
// button pictures of each style and fill mode, and the check image indices.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "examples/gallery/TreeDecorationsSheet.h"
#include "platform/desktop/Desktop.h"
#include "platform/gdi/Gdi.h"
#include "platform/theme/UxTheme.h"
#include "tests/common/Golden.h"
#include "treeview/LazyTrees_qn_Appearance.h"

namespace t_lazy_trees_qn_decorations_test {

using namespace qn;

namespace {

class TDecoTree : public TBaseLazyTree_qn {
  QN_CLASS(TDecoTree, TBaseLazyTree_qn)
 public:
  explicit TDecoTree(TComponent* AOwner) : TBaseLazyTree_qn(AOwner) {}
  using TBaseLazyTree_qn::DoStateChange;
  using TBaseLazyTree_qn::DrawDottedHLine;
  using TBaseLazyTree_qn::DrawDottedVLine;
  using TBaseLazyTree_qn::DrawLineImage;
  using TBaseLazyTree_qn::FCurrentHotNode;
  using TBaseLazyTree_qn::FMinusBM;
  using TBaseLazyTree_qn::FPlusBM;
  using TBaseLazyTree_qn::PaintCheckImage;
  using TBaseLazyTree_qn::PaintImage;
  using TBaseLazyTree_qn::PaintTreeLines;
  using TBaseLazyTree_qn::PrepareBitmaps;
};

void SetPaint(TBaseLazyTree_qn* T, TVTPaintOptions Add, TVTPaintOptions Remove = {}) {
  T->TreeOptions()->SetPaintOptions(T->TreeOptions()->PaintOptions() + Add - Remove);
}

std::string Show(const TLineImage& L) {
  static const char* names[] = {"None", "BottomRight", "TopDown", "TopDownRight", "Right", "TopRight", "Left",
                                "LeftBottom"};
  std::string s;
  for (TVTLineType t : L) s += std::string(s.empty() ? "" : " ") + names[int(t)];
  return "[" + s + "]";
}

// A canvas of 32-bit pixels, white, with black lines (solid style).
struct TSheet {
  std::unique_ptr<TBitmap> B = std::make_unique<TBitmap>();
  TSheet(int w, int h) {
    B->SetPixelFormat(TPixelFormat::pf32bit);
    B->SetSize(w, h);
    B->Canvas()->Brush()->SetColor(clWhite);
    B->Canvas()->FillRect(TRect(0, 0, w, h));
  }
  bool Ink(int x, int y) { return (static_cast<uint32_t*>(B->ScanLine(y))[x] & 0xFFFFFF) != 0xFFFFFF; }
};

class LazyTrees_qn_Decorations : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetThemes();
    ThemeServices()->ApplyThemeChange();
    T.reset(new TDecoTree(nullptr));
    T->SetColor(clWhite);
    T->Font()->SetColor(clBlack);
  }
  void TearDown() override {
    T.reset();
    ResetThemes();
  }
  TLineImage Lines(PLazyNode N, Integer* Level = nullptr) {
    TLineImage L{ltLeftBottom, ltLeftBottom, ltLeftBottom, ltLeftBottom, ltLeftBottom};
    Integer level = T->DetermineLineImageAndSelectLevel(N, L);
    if (Level) *Level = level;
    return L;
  }
  std::unique_ptr<TDecoTree> T;
};

}  // namespace

TEST_F(LazyTrees_qn_Decorations, LineImagesOfSmallTrees) {
  // a ─ a1 ─ a1x
  //   └ a2
  // b (hidden next: c)
  PLazyNode a = T->AddChild(nullptr), b = T->AddChild(nullptr), c = T->AddChild(nullptr);
  PLazyNode a1 = T->AddChild(a), a2 = T->AddChild(a), a1x = T->AddChild(a1);
  T->SetVisible(c, false);
  using L = TLineImage;
  // Default options show the root and the tree lines.
  EXPECT_EQ(Show(Lines(a)), Show(L{ltBottomRight}));
  EXPECT_EQ(Show(Lines(b)), Show(L{ltTopRight}));  // c is hidden: b is the last shown
  EXPECT_EQ(Show(Lines(a1)), Show(L{ltTopDown, ltTopDownRight}));
  EXPECT_EQ(Show(Lines(a2)), Show(L{ltTopDown, ltTopRight}));
  EXPECT_EQ(Show(Lines(a1x)), Show(L{ltTopDown, ltTopDown, ltTopRight}));
  T->SetVisible(c, true);
  EXPECT_EQ(Show(Lines(b)), Show(L{ltTopDownRight}));
  T->SetVisible(a2, false);
  EXPECT_EQ(Show(Lines(a1)), Show(L{ltTopDown, ltTopRight}));
  EXPECT_EQ(Show(Lines(a1x)), Show(L{ltTopDown, ltNone, ltTopRight}));
  T->SetVisible(a2, true);

  // Without the root: a top-level node has an empty image, and the count
  // of levels drops by one.
  SetPaint(T.get(), {}, {toShowRoot});
  EXPECT_TRUE(Lines(a).empty());
  EXPECT_EQ(Show(Lines(a1)), Show(L{ltTopDownRight}));
  EXPECT_EQ(Show(Lines(a1x)), Show(L{ltTopDown, ltTopRight}));
  SetPaint(T.get(), {toShowRoot});

  // Without tree lines the image keeps its length, all empty.
  SetPaint(T.get(), {}, {toShowTreeLines});
  EXPECT_EQ(Show(Lines(a1x)), Show(L{ltNone, ltNone, ltNone}));
  SetPaint(T.get(), {toShowTreeLines});
  // Hidden when themed, with the option.
  SetPaint(T.get(), {toHideTreeLinesIfThemed});
  T->DoStateChange({tsUseThemes});
  EXPECT_EQ(Show(Lines(a1)), Show(L{ltNone, ltNone}));
  T->DoStateChange({}, {tsUseThemes});
  EXPECT_EQ(Show(Lines(a1)), Show(L{ltTopDown, ltTopDownRight}));
  SetPaint(T.get(), {}, {toHideTreeLinesIfThemed});

  // The explorer look leaves a parent's own entry to its glyph.
  T->DoStateChange({tsUseExplorerTheme});
  EXPECT_EQ(Show(Lines(a1)), Show(L{ltTopDown, ltNone}));
  EXPECT_EQ(Show(Lines(a2)), Show(L{ltTopDown, ltTopRight}));
  T->DoStateChange({}, {tsUseExplorerTheme});

  // The only top-level node stands alone.
  TDecoTree single(nullptr);
  PLazyNode only = single.AddChild(nullptr);
  TLineImage l;
  single.DetermineLineImageAndSelectLevel(only, l);
  EXPECT_EQ(Show(l), Show(L{ltRight}));
}

TEST_F(LazyTrees_qn_Decorations, ChildrenAboveAndTheSelectLevel) {
  PLazyNode a = T->AddChild(nullptr), b = T->AddChild(nullptr);
  PLazyNode b1 = T->AddChild(b), b2 = T->AddChild(b), b1x = T->AddChild(b1);
  using L = TLineImage;
  SetPaint(T.get(), {toChildrenAbove});
  EXPECT_EQ(Show(Lines(a)), Show(L{ltBottomRight}));
  EXPECT_EQ(Show(Lines(b)), Show(L{ltTopRight}));
  EXPECT_EQ(Show(Lines(b1)), Show(L{ltTopDown, ltBottomRight}));  // b has a shown previous sibling
  EXPECT_EQ(Show(Lines(b2)), Show(L{ltTopDown, ltTopDownRight}));
  EXPECT_EQ(Show(Lines(b1x)), Show(L{ltTopDown, ltNone, ltBottomRight}));
  T->SetVisible(a, false);
  EXPECT_EQ(Show(Lines(b1)), Show(L{ltNone, ltBottomRight}));
  EXPECT_EQ(Show(Lines(b)), Show(L{ltRight}));
  SetPaint(T.get(), {}, {toShowRoot});
  EXPECT_TRUE(Lines(b).empty());
  EXPECT_EQ(Show(Lines(b1)), Show(L{ltBottomRight}));
  EXPECT_EQ(Show(Lines(b1x)), Show(L{ltNone, ltBottomRight}));

  // Only selected ancestors count, never the node itself.
  Integer level = -1;
  T->TreeOptions()->SetSelectionOptions(T->TreeOptions()->SelectionOptions() + TVTSelectionOptions{toMultiSelect});
  T->SetSelected(b, true);
  Lines(b, &level);
  EXPECT_EQ(level, 0);
  Lines(b1x, &level);
  EXPECT_EQ(level, 1);
  T->SetSelected(b1, true);
  Lines(b1x, &level);
  EXPECT_EQ(level, 2);
  Lines(b1, &level);
  EXPECT_EQ(level, 1);
}

TEST_F(LazyTrees_qn_Decorations, EachLineTypeDrawsItsSegmentsInBothDirections) {
  T->SetLineStyle(lsSolid);
  T->PrepareBitmaps(false, true);
  const int X = 10, Y = 4, H = 18, V = 8, I = 18, half = 9;
  struct Seg {
    int x0, y0, x1, y1;  // inclusive
  };
  for (bool rev : {false, true}) {
    int tx = rev ? 0 : I;
    int band = rev ? X + I : X;
    auto h = [&](int a, int b, int y) { return Seg{std::min(a, b), y, std::max(a, b), y}; };
    auto v = [&](int a, int b, int x) { return Seg{x, std::min(a, b), x, std::max(a, b)}; };
    const std::vector<Seg> expect[] = {
        {},
        {v(Y + V, Y + H, X + half), h(X + half, X + tx, Y + V)},
        {v(Y, Y + H, X + half)},
        {v(Y, Y + H, X + half), h(X + half, X + tx, Y + V)},
        {h(X + half, X + tx, Y + V)},
        {v(Y, Y + V, X + half), h(X + half, X + tx, Y + V)},
        {v(Y, Y + H, band)},
        {v(Y, Y + H, band), h(X, X + I, Y + H)},
    };
    for (int style = 0; style < 8; ++style) {
      SCOPED_TRACE(testing::Message() << "style " << style << (rev ? " right-to-left" : ""));
      TSheet s(48, 32);
      TVTPaintInfo pi;
      pi.Canvas = s.B->Canvas();
      pi.Canvas->Font()->SetColor(clBlack);
      T->DrawLineImage(pi, X, Y, H, V, TVTLineType(style), rev);
      for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 48; ++x) {
          bool want = false;
          for (const Seg& g : expect[style]) want |= x >= g.x0 && x <= g.x1 && y >= g.y0 && y <= g.y1;
          ASSERT_EQ(s.Ink(x, y), want) << x << "," << y;
        }
    }
  }
}

TEST_F(LazyTrees_qn_Decorations, DottedLinesAlternateAndStayInPhaseAcrossRows) {
  T->PrepareBitmaps(false, true);  // lsDotted by default
  TSheet s(16, 8);
  TVTPaintInfo pi;
  pi.Canvas = s.B->Canvas();
  pi.Canvas->Font()->SetColor(clBlack);
  T->DrawDottedHLine(pi, 0, 15, 0);
  T->DrawDottedHLine(pi, 15, 0, 1);  // reversed ends give the same run
  T->DrawDottedVLine(pi, 2, 7, 3);
  for (int x = 0; x < 16; ++x) {
    EXPECT_EQ(s.Ink(x, 0), x % 2 == 0) << x;
    EXPECT_EQ(s.Ink(x, 1), x % 2 == 1) << x;  // the next row is the other phase
  }
  for (int y = 2; y < 8; ++y) EXPECT_EQ(s.Ink(3, y), (3 + y) % 2 == 0) << y;
  // A custom style takes the handler's rows.
  Word rows[8] = {0xFF, 0, 0xFF, 0, 0xFF, 0, 0xFF, 0};
  T->OnGetLineStyle = [&](TBaseLazyTree_qn*, Pointer& Bits) { Bits = rows; };
  T->SetLineStyle(lsCustomStyle);
  TSheet c(8, 4);
  pi.Canvas = c.B->Canvas();
  pi.Canvas->Font()->SetColor(clBlack);
  T->DrawDottedVLine(pi, 0, 3, 2);
  EXPECT_FALSE(c.Ink(2, 0));
  EXPECT_TRUE(c.Ink(2, 1));
  EXPECT_FALSE(c.Ink(2, 2));
}

TEST_F(LazyTrees_qn_Decorations, BandLinesAndTheLevelHandler) {
  PLazyNode a = T->AddChild(nullptr), a1 = T->AddChild(a), a1x = T->AddChild(a1);
  T->AddChild(nullptr);
  T->SetLineMode(lmBands);
  T->SetLineStyle(lsSolid);
  T->PrepareBitmaps(false, true);
  auto paint = [&](PLazyNode n, TVTInternalPaintOptions o) {
    auto s = std::make_unique<TSheet>(80, 20);
    TVTPaintInfo pi;
    pi.Canvas = s->B->Canvas();
    pi.Node = n;
    pi.PaintOptions = o;
    pi.CellRect = TRect(0, 0, 80, 18);
    TLineImage l;
    T->DetermineLineImageAndSelectLevel(n, l);
    T->PaintTreeLines(pi, 9, Integer(l.size()), l);
    return s;
  };
  // Expanded with shown children: a band line at every level's left edge.
  T->SetExpanded(a1, true);
  auto s = paint(a1, {poGridLines});
  for (int level = 0; level < 2; ++level) {
    EXPECT_TRUE(s->Ink(level * 18, 5)) << level;
    EXPECT_FALSE(s->Ink(level * 18 + 9, 5)) << level;
  }
  EXPECT_FALSE(s->Ink(3, 17));  // no bottom edge
  // A leaf: its own level closes with the bottom edge.
  s = paint(a1x, {poGridLines});
  EXPECT_TRUE(s->Ink(36, 5));
  EXPECT_TRUE(s->Ink(40, 17));
  // Bands only with grid lines.
  s = paint(a1x, {});
  for (int x = 0; x < 80; ++x) EXPECT_FALSE(s->Ink(x, 5));
  // The handler sees each level (counted from 1 without the root) and may
  // move the line.
  T->SetLineMode(lmNormal);
  std::vector<Integer> levels;
  T->SetOnBeforeDrawTreeLine([&](TBaseLazyTree_qn*, PLazyNode, Integer Level, Integer& PosX) {
    levels.push_back(Level);
    PosX += 1;
  });
  s = paint(a1x, {});
  EXPECT_EQ(levels, (std::vector<Integer>{0, 1, 2}));
  EXPECT_TRUE(s->Ink(1 + 9, 2));   // level 0's line moved right by one
  EXPECT_FALSE(s->Ink(9, 2));
}

TEST_F(LazyTrees_qn_Decorations, ButtonPicturesForEachStyleAndFillMode) {
  T->SetColor(TColor(RGB(250, 240, 230)));
  T->Colors()->SetTreeLineColor(TColor(RGB(0, 0, 200)));
  T->Font()->SetColor(TColor(RGB(0, 120, 0)));
  auto px = [](TBitmap* b, int x, int y) { return static_cast<uint32_t*>(b->ScanLine(y))[x] & 0xFFFFFF; };
  struct Case {
    TVTButtonFillMode Mode;
    uint32_t Inside;
  };
  const Case cases[] = {{fmTreeColor, 0xFAF0E6}, {fmWindowColor, 0xFFFFFF}, {fmTransparent, 0xFF00FF}};
  for (const Case& c : cases) {
    SCOPED_TRACE(int(c.Mode));
    T->SetButtonFillMode(c.Mode);
    T->PrepareBitmaps(true, false);
    for (TBitmap* b : {T->FPlusBM.get(), T->FMinusBM.get()}) {
      ASSERT_EQ(b->Width(), 9);
      EXPECT_EQ(px(b, 0, 0), 0x0000C8u);  // frame in the line colour
      EXPECT_EQ(px(b, 8, 8), 0x0000C8u);
      EXPECT_EQ(px(b, 2, 2), c.Inside);
      EXPECT_EQ(px(b, 4, 4), 0x007800u);  // the sign in the font colour
      EXPECT_EQ(b->TransparentColor(), clFuchsia);
    }
    EXPECT_EQ(px(T->FPlusBM.get(), 4, 2), 0x007800u);  // the plus's vertical stroke
    EXPECT_EQ(px(T->FMinusBM.get(), 4, 2), c.Inside);
  }
  // The shaded buttons come from the module's bitmaps.
  T->SetButtonFillMode(fmShaded);
  T->PrepareBitmaps(true, false);
  EXPECT_EQ(px(T->FPlusBM.get(), 0, 4), 0x7898B5u);
  EXPECT_NE(px(T->FPlusBM.get(), 2, 1), px(T->FPlusBM.get(), 2, 7));  // shaded top to bottom
  EXPECT_EQ(px(T->FPlusBM.get(), 4, 2), 0x000000u);
  EXPECT_NE(px(T->FMinusBM.get(), 4, 2), 0x000000u);
  T->SetButtonStyle(bsTriangle);
  T->PrepareBitmaps(true, false);
  EXPECT_EQ(px(T->FPlusBM.get(), 3, 4), 0x000000u);
  EXPECT_EQ(px(T->FPlusBM.get(), 7, 1), 0xFF00FFu);
  EXPECT_EQ(px(T->FMinusBM.get(), 4, 3), 0x000000u);
  EXPECT_EQ(px(T->FMinusBM.get(), 1, 7), 0xFF00FFu);
}

TEST_F(LazyTrees_qn_Decorations, CheckImageIndicesForEveryTypeStateAndMode) {
  // Rows: check box, radio button, button; columns: the six states; each
  // entry normal / hot / disabled.
  const int table[3][6][3] = {
      {{9, 10, 12}, {11, 11, 12}, {13, 14, 16}, {15, 15, 16}, {17, 18, 20}, {19, 19, 20}},
      {{1, 2, 4}, {3, 3, 4}, {5, 6, 8}, {7, 7, 8}, {17, 18, 20}, {19, 19, 20}},
      {{21, 22, 24}, {23, 23, 24}, {21, 22, 24}, {23, 23, 24}, {17, 18, 20}, {19, 19, 20}},
  };
  const TCheckState states[] = {csUncheckedNormal, csUncheckedPressed, csCheckedNormal,
                                csCheckedPressed,  csMixedNormal,      csMixedPressed};
  const TCheckType types[] = {ctCheckBox, ctRadioButton, ctButton, ctTriStateCheckBox};
  PLazyNode n = T->AddChild(nullptr);
  for (int t = 0; t < 4; ++t)
    for (int s = 0; s < 6; ++s)
      for (int mode = 0; mode < 3; ++mode) {
        int row = t == 3 ? 0 : t;  // the tri-state box uses the check box row
        int want = table[row][s][mode];
        n->CheckType = types[t];
        n->CheckState = states[s];
        T->FCurrentHotNode = mode == 1 ? n : nullptr;
        T->SetDisabled(n, mode == 2);
        EXPECT_EQ(T->GetCheckImage(n), want) << t << "/" << s << "/" << mode;
        // Without a node the arguments count, never hot.
        EXPECT_EQ(T->GetCheckImage(nullptr, types[t], states[s], mode != 2), table[row][s][mode == 1 ? 0 : mode]);
      }
  T->FCurrentHotNode = nullptr;
  T->SetDisabled(n, false);
  n->CheckType = ctNone;
  EXPECT_EQ(T->GetCheckImage(n), -1);
  // A disabled control disables every check image.
  n->CheckType = ctCheckBox;
  n->CheckState = csCheckedNormal;
  T->SetEnabled(false);
  EXPECT_EQ(T->GetCheckImage(n), 16);
  T->SetEnabled(true);
  // Vertical alignment is capped at 100.
  T->SetVerticalAlignment(n, 250);
  EXPECT_EQ(T->GetVerticalAlignment(n), 100);
  T->SetVerticalAlignment(n, 30);
  EXPECT_EQ(T->GetVerticalAlignment(n), 30);
}

namespace {

// A list of 8 x 8 images: 0 solid blue, 1 a red overlay square in the
// top-left quarter (the rest transparent).
std::unique_ptr<TImageList> BlueAndOverlay() {
  auto l = std::make_unique<TImageList>(nullptr);
  l->SetSize(8, 8);
  TSheet a(8, 8);
  a.B->Canvas()->Brush()->SetColor(TColor(RGB(0, 0, 200)));
  a.B->Canvas()->FillRect(TRect(0, 0, 8, 8));
  l->AddMasked(a.B.get(), clFuchsia);
  a.B->Canvas()->Brush()->SetColor(clFuchsia);
  a.B->Canvas()->FillRect(TRect(0, 0, 8, 8));
  a.B->Canvas()->Brush()->SetColor(TColor(RGB(200, 0, 0)));
  a.B->Canvas()->FillRect(TRect(0, 0, 4, 4));
  l->AddMasked(a.B.get(), clFuchsia);
  l->Overlay(1, 0);
  return l;
}

uint32_t Rgb(TSheet& S, int X, int Y) { return static_cast<uint32_t*>(S.B->ScanLine(Y))[X] & 0xFFFFFF; }

}  // namespace

// Which style PaintImage picks: plain, overlay by number and past fifteen,
// half blended (ghosted, selected, cut) only with blended images and focus
// or ghosting, greyed when disabled.
TEST_F(LazyTrees_qn_Decorations, PaintImageChoosesOverlayBlendAndGreyStyles) {
  auto images = BlueAndOverlay();
  T->SetImages(images.get());
  PLazyNode n = T->AddChild(nullptr);
  Integer overlay = -1;
  T->SetOnGetImageIndex([&](TBaseLazyTree_qn*, PLazyNode, TVTImageKind Kind, TColumnIndex, bool&, Integer& Index) {
    Index = Kind == ikOverlay ? overlay : 0;
  });
  auto paint = [&](bool Ghosted) {
    TSheet s(8, 8);
    TVTPaintInfo info;
    info.Canvas = s.B->Canvas();
    info.Node = n;
    TVTImageInfo& img = info.ImageInfo[std::size_t(iiNormal)];
    img.Index = 0;
    img.Images = images.get();
    img.Ghosted = Ghosted;
    T->PaintImage(info, iiNormal, true);
    return std::make_pair(Rgb(s, 1, 1), Rgb(s, 6, 6));
  };
  EXPECT_EQ(paint(false), std::make_pair(0x0000C8u, 0x0000C8u));
  overlay = 0;  // overlay number 1 of the list
  EXPECT_EQ(paint(false), std::make_pair(0xC80000u, 0x0000C8u));
  overlay = -1;
  // Unfocused without toGhostedIfUnfocused: no blending even when ghosted.
  EXPECT_EQ(paint(true).second, 0x0000C8u);
  SetPaint(T.get(), {toGhostedIfUnfocused});
  // Ghosted: half the tree colour (white) mixed in.
  uint32_t ghost = paint(true).second;
  EXPECT_NEAR(int(ghost & 0xFF), (200 + 255) / 2, 2);
  EXPECT_NEAR(int(ghost >> 16), 255 / 2, 2);
  // Selected (no full-row selection): the highlight mixed in.
  T->SetSelected(n, true);
  uint32_t selected = paint(false).second;
  EXPECT_NE(selected, 0x0000C8u);
  EXPECT_NE(selected, ghost);
  T->SetSelected(n, false);
  // Without blended images nothing is mixed.
  SetPaint(T.get(), {}, {toUseBlendedImages});
  EXPECT_EQ(paint(true).second, 0x0000C8u);
  SetPaint(T.get(), {toUseBlendedImages});
  // A cut node is blended while the cut is pending.
  n->States.Include(vsCutOrCopy);
  T->DoStateChange({tsCutPending});
  EXPECT_EQ(paint(false).second, ghost);
  T->DoStateChange({}, {tsCutPending});
  n->States.Exclude(vsCutOrCopy);
  // Disabled: greys (luma of the blue).
  T->SetDisabled(n, true);
  uint32_t grey = paint(false).second;
  EXPECT_EQ(grey & 0xFF, (grey >> 8) & 0xFF);
  EXPECT_EQ(grey & 0xFF, (grey >> 16) & 0xFF);
  T->SetDisabled(n, false);
  // Overlays from fifteen on are plain images of the overlay's list.
  overlay = 16;
  auto big = BlueAndOverlay();
  for (int i = 0; i < 15; ++i) big->AddImages(images.get());
  T->SetImages(big.get());
  EXPECT_EQ(paint(false), std::make_pair(0x0000C8u, 0x0000C8u));  // image 16 is blue
  T->SetImages(nullptr);
}

TEST_F(LazyTrees_qn_Decorations, PaintCheckImageDrawsFromTheActiveSet) {
  PLazyNode n = T->AddChild(nullptr);
  n->CheckType = ctCheckBox;
  n->CheckState = csCheckedNormal;
  T->SetCheckImageKind(ckFlat);
  TSheet s(20, 20);
  TVTImageInfo info;
  info.Index = T->GetCheckImage(n);
  info.XPos = 2;
  info.YPos = 2;
  T->PaintCheckImage(s.B->Canvas(), info, false);
  EXPECT_EQ(Rgb(s, 3, 3), 0x000000u);    // the flat frame
  EXPECT_EQ(Rgb(s, 0, 0), 0xFFFFFFu);    // outside: untouched
  EXPECT_EQ(Rgb(s, 12, 5), 0xFFFFFFu);   // inside the box, off the mark
  EXPECT_EQ(Rgb(s, 7, 9), 0x000000u);    // the mark
  // Disabled: the disabled image of the group (grey frame).
  T->SetDisabled(n, true);
  info.Index = T->GetCheckImage(n);
  EXPECT_EQ(info.Index, 16);
  T->PaintCheckImage(s.B->Canvas(), info, false);
  EXPECT_EQ(Rgb(s, 3, 3), 0x808080u);  // the button shadow colour
  T->SetDisabled(n, false);
  // A custom kind without a list draws nothing.
  T->SetCheckImageKind(ckCustom);
  TSheet e(20, 20);
  T->PaintCheckImage(e.B->Canvas(), info, false);
  EXPECT_EQ(Rgb(e, 3, 3), 0xFFFFFFu);
}

// Line types, styles and modes, buttons, check sets and node images as the
// gallery shows them; drawn on one bitmap, so the picture is exact.
TEST_F(LazyTrees_qn_Decorations, GallerySheetMatchesItsGoldenImage) {
  auto sheet = gallery::TTreeDecorationsSheet::Render();
  qntest::ExpectMatchesGolden(sheet, "tree-decorations", 0, 0);
}

}  // namespace t_lazy_trees_qn_decorations_test
