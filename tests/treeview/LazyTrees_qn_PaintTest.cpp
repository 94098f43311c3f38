// The painting pipeline and the display rectangles: rows into a target
// canvas buffered and unbuffered, selection colours and their options,
// skipped rows, the item events, re-entry and failures; where nodes lie and
// what the repaint requests invalidate.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <stdexcept>
#include <vector>

#include "examples/gallery/TreeSheet.h"
#include "platform/gdi/Gdi.h"
#include "platform/theme/UxTheme.h"
#include "platform/vcl/Forms.h"
#include "tests/common/Golden.h"
#include "treeview/LazyTrees_qn_Appearance.h"

namespace t_lazy_trees_qn_paint_test {

using namespace qn;

namespace {

class TPaintTree : public TBaseLazyTree_qn {
  QN_CLASS(TPaintTree, TBaseLazyTree_qn)
 public:
  explicit TPaintTree(TComponent* AOwner) : TBaseLazyTree_qn(AOwner) {}
  using TBaseLazyTree_qn::DoStateChange;
  using TBaseLazyTree_qn::InvalidateNode;
  using TBaseLazyTree_qn::InvalidateToBottom;
  // A content block as wide as the node's text would be: 40 pixels.
  Integer DoGetNodeWidth(PLazyNode, TColumnIndex, TCanvas*) override { return 40; }
  void DoPaintNode(TVTPaintInfo& Info) override {
    ++Nodes;
    TRect r = Info.ContentRect;
    r.Right = r.Left + 40;
    r.Top += 6;
    r.Bottom = r.Top + 4;
    Info.Canvas->Brush()->SetColor(TColor(RGB(30, 30, 30)));
    Info.Canvas->FillRect(r);
  }
  int Nodes = 0;
};

struct TTarget {
  std::unique_ptr<TBitmap> B = std::make_unique<TBitmap>();
  TTarget(int w, int h, TColor fill = TColor(RGB(1, 2, 3))) {
    B->SetPixelFormat(TPixelFormat::pf32bit);
    B->SetSize(w, h);
    B->Canvas()->Brush()->SetColor(fill);
    B->Canvas()->FillRect(TRect(0, 0, w, h));
  }
  uint32_t At(int x, int y) { return static_cast<uint32_t*>(B->ScanLine(y))[x] & 0xFFFFFF; }
};

constexpr uint32_t kBack = 0xFFFFFF;

class PaintFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetThemes();
    ThemeServices()->ApplyThemeChange();
    Form.reset(new TForm(nullptr));
    Form->SetBounds(0, 0, 400, 300);
    T = new TPaintTree(Form.get());
    T->SetParent(Form.get());
    T->SetBounds(0, 0, 240, 200);
    T->SetColor(clWhite);
    T->Colors()->SetFocusedSelectionColor(TColor(RGB(0, 0, 200)));
    T->Colors()->SetFocusedSelectionBorderColor(TColor(RGB(0, 0, 200)));
    T->Colors()->SetUnfocusedSelectionColor(TColor(RGB(0, 200, 0)));
    T->Colors()->SetUnfocusedSelectionBorderColor(TColor(RGB(0, 200, 0)));
    T->Colors()->SetDropMarkColor(TColor(RGB(200, 0, 0)));
    // Five top-level nodes, the first with two children, expanded.
    T->SetRootNodeCount(5);
    First = T->GetFirst();
    T->SetChildCount(First, 2);
    T->SetExpanded(First, true);
  }
  void TearDown() override {
    Form.reset();
    ResetThemes();
  }
  // Row i's pixel at x (18-pixel rows).
  TTarget Paint(TVTInternalPaintOptions Options, int W = 240, int H = 160) {
    TTarget t(W, H);
    T->PaintTree(t.B->Canvas(), TRect(0, 0, W, H), TPoint(0, 0), Options, TPixelFormat::pf32bit);
    return t;
  }
  PLazyNode Row(int i) {
    PLazyNode n = T->GetFirstVisible();
    while (i-- > 0) n = T->GetNextVisible(n);
    return n;
  }
  std::unique_ptr<TForm> Form;
  TPaintTree* T = nullptr;
  PLazyNode First = nullptr;
};

class LazyTrees_qn_Paint : public PaintFixture {};
class LazyTrees_qn_DisplayRect : public PaintFixture {};

const TVTInternalPaintOptions kAll{poBackground, poColumnColor, poDrawFocusRect,
                                   poDrawSelection, poDrawDropMark, poGridLines};

TEST_F(LazyTrees_qn_Paint, RowsBackgroundContentAndTheAreaBelow) {
  TTarget t = Paint(kAll);
  EXPECT_EQ(T->Nodes, 7);
  // Content of the first row starts after the button column and margin.
  EXPECT_EQ(t.At(18 + 4 + 2, 8), 0x1E1E1Eu);
  // A child row: one more indentation level.
  EXPECT_EQ(t.At(18 + 4 + 2, 18 + 8), kBack);
  EXPECT_EQ(t.At(36 + 4 + 2, 18 + 8), 0x1E1E1Eu);
  // Below the seven rows: background, nothing left of the fill colour.
  EXPECT_EQ(t.At(100, 7 * 18 + 10), kBack);
  EXPECT_EQ(t.At(239, 159), kBack);
  EXPECT_FALSE(T->TreeStates().Contains(tsPainting));
}

TEST_F(LazyTrees_qn_Paint, BufferedAndUnbufferedPassesAgree) {
  T->SetSelected(Row(2), true);
  T->TreeOptions()->SetPaintOptions(T->TreeOptions()->PaintOptions() + TVTPaintOptions{toShowHorzGridLines});
  TTarget a = Paint(kAll);
  TTarget b = Paint(kAll + TVTInternalPaintOptions{poUnbuffered});
  int diff = 0;
  for (int y = 0; y < 160; ++y)
    for (int x = 0; x < 240; ++x) diff += a.At(x, y) != b.At(x, y);
  EXPECT_EQ(diff, 0);
  // A window of the tree lands at the target point either way.
  TTarget c(200, 100), d(200, 100);
  for (bool unbuffered : {false, true}) {
    TTarget& t = unbuffered ? d : c;
    T->PaintTree(t.B->Canvas(), TRect(10, 20, 150, 90), TPoint(30, 5),
                 unbuffered ? kAll + TVTInternalPaintOptions{poUnbuffered} : kAll, TPixelFormat::pf32bit);
  }
  for (int y = 0; y < 100; ++y)
    for (int x = 0; x < 200; ++x) diff += c.At(x, y) != d.At(x, y);
  EXPECT_EQ(diff, 0);
  EXPECT_EQ(c.At(29, 10), 0x010203u);   // left of the target: untouched
  EXPECT_EQ(c.At(31, 10), kBack);
  EXPECT_EQ(c.At(100, 80), 0x010203u);  // below the window: untouched
}

TEST_F(LazyTrees_qn_Paint, SelectionColoursFollowFocusAndOptions) {
  PLazyNode n = Row(3);
  T->SetSelected(n, true);
  int y = 3 * 18 + 14, x = 18 + 4 + 20;  // inside the selection, below the content bar
  auto probe = [&] { return Paint(kAll).At(x, y); };
  EXPECT_EQ(probe(), 0x00C800u);  // unfocused
  T->TreeOptions()->SetPaintOptions(T->TreeOptions()->PaintOptions() + TVTPaintOptions{toPopupMode});
  EXPECT_EQ(probe(), 0x0000C8u);  // popup mode uses the focused colours
  T->TreeOptions()->SetPaintOptions(T->TreeOptions()->PaintOptions() - TVTPaintOptions{toPopupMode} +
                                    TVTPaintOptions{toHideSelection});
  EXPECT_EQ(probe(), kBack);
  T->TreeOptions()->SetPaintOptions(T->TreeOptions()->PaintOptions() - TVTPaintOptions{toHideSelection} +
                                    TVTPaintOptions{toAlwaysHideSelection});
  EXPECT_EQ(probe(), kBack);
  T->TreeOptions()->SetPaintOptions(T->TreeOptions()->PaintOptions() - TVTPaintOptions{toAlwaysHideSelection});
  // Without poDrawSelection nothing is highlighted.
  EXPECT_EQ(Paint(kAll - TVTInternalPaintOptions{poDrawSelection}).At(x, y), kBack);
  // Full-row selection covers the row.
  T->TreeOptions()->SetSelectionOptions(TVTSelectionOptions{toFullRowSelect});
  EXPECT_EQ(Paint(kAll).At(200, y), 0x00C800u);
  // A drop target neither selected nor hit on the node gets no highlight.
  T->SetSelected(n, false);
  T->SetDropTarget(n, dmAbove);
  EXPECT_EQ(Paint(kAll).At(200, y), kBack);
  T->SetDropTarget(n, dmOnNode);
  T->Colors()->SetDropTargetColor(TColor(RGB(200, 200, 0)));
  EXPECT_EQ(Paint(kAll).At(200, y), 0xC8C800u);
}

TEST_F(LazyTrees_qn_Paint, TheEditedCellKeepsOnlyItsBackgroundAndTheAfterEvent) {
  PLazyNode n = Row(3);
  T->SetSelected(n, true);
  T->SetFocusedNode(n);
  std::vector<PLazyNode> after;
  T->OnAfterCellPaint = [&](TBaseLazyTree_qn*, TCanvas*, PLazyNode N, TColumnIndex, const TRect&) {
    after.push_back(N);
  };
  const int y = 3 * 18 + 14, x = 18 + 4 + 20;
  TTarget plain = Paint(kAll);
  EXPECT_EQ(T->Nodes, 7);
  EXPECT_EQ(plain.At(x, y), 0x00C800u);
  EXPECT_EQ(plain.At(18 + 4 + 2, 3 * 18 + 8), 0x1E1E1Eu);

  // While the focused node is edited (no columns: its only cell) the editor
  // covers the cell: no highlight and no content, but the rest of the row's
  // work still happens.
  T->DoStateChange({tsEditing});
  T->Nodes = 0;
  after.clear();
  TTarget edited = Paint(kAll);
  T->DoStateChange({}, {tsEditing});
  EXPECT_EQ(T->Nodes, 6);
  EXPECT_EQ(after.size(), 7u);
  EXPECT_NE(std::find(after.begin(), after.end(), n), after.end());
  EXPECT_EQ(edited.At(x, y), kBack);
  EXPECT_EQ(edited.At(18 + 4 + 2, 3 * 18 + 8), kBack);
  // Other rows are untouched by the edit.
  EXPECT_EQ(edited.At(18 + 4 + 2, 8), 0x1E1E1Eu);
}

TEST_F(LazyTrees_qn_Paint, DropMarksAboveAndBelow) {
  PLazyNode n = Row(2);
  T->SetDropTarget(n, dmAbove);
  TTarget a = Paint(kAll);
  EXPECT_EQ(a.At(120, 2 * 18 + 1), 0xC80000u);      // the upper band
  EXPECT_EQ(a.At(120, 2 * 18 + 15), kBack);
  T->SetDropTarget(n, dmBelow);
  TTarget b = Paint(kAll);
  EXPECT_EQ(b.At(120, 2 * 18 + 15), 0xC80000u);     // the lower band
  EXPECT_EQ(b.At(120, 2 * 18 + 1), kBack);
  TTarget c = Paint(kAll - TVTInternalPaintOptions{poDrawDropMark});
  EXPECT_EQ(c.At(120, 2 * 18 + 15), kBack);
}

TEST_F(LazyTrees_qn_Paint, SelectedOnlySkipsOtherRows) {
  T->SetSelected(First, true);
  TTarget t = Paint(kAll + TVTInternalPaintOptions{poSelectedOnly});
  EXPECT_EQ(t.At(150, 9), kBack);            // the selected node
  EXPECT_EQ(t.At(150, 18 + 9), kBack);       // its child (under a selected ancestor)
  EXPECT_EQ(t.At(150, 3 * 18 + 9), 0x010203u);  // untouched
}

TEST_F(LazyTrees_qn_Paint, ItemEventsReentryAndFailures) {
  int after = 0;
  T->OnBeforeItemPaint = [&](TBaseLazyTree_qn*, TCanvas* C, PLazyNode N, const TRect& R, bool& Custom) {
    if (N == Row(1)) {
      Custom = true;
      C->Brush()->SetColor(TColor(RGB(9, 9, 9)));
      C->FillRect(R);
    }
  };
  T->OnAfterItemPaint = [&](TBaseLazyTree_qn*, TCanvas*, PLazyNode, const TRect&) { ++after; };
  T->SetDropTarget(Row(1), dmAbove);
  TTarget t = Paint(kAll);
  EXPECT_EQ(after, 6);                       // not for the custom row
  EXPECT_EQ(t.At(120, 18 + 1), 0x090909u);   // its picture reached the target, without the drop mark
  EXPECT_EQ(T->Nodes, 6);
  // A second pass from inside an event returns at once.
  int nested = 0;
  T->OnBeforeItemPaint = {};
  T->OnBeforePaint = [&](TBaseLazyTree_qn* S, TCanvas* C) {
    ++nested;
    S->PaintTree(C, TRect(0, 0, 10, 10), TPoint(0, 0), kAll);
  };
  Paint(kAll);
  EXPECT_EQ(nested, 1);
  T->OnBeforePaint = {};
  // A failing handler leaves the tree able to paint again.
  T->OnAfterItemPaint = [&](TBaseLazyTree_qn*, TCanvas*, PLazyNode, const TRect&) {
    throw std::runtime_error("handler");
  };
  TTarget f(240, 160);
  EXPECT_THROW(T->PaintTree(f.B->Canvas(), TRect(0, 0, 240, 160), TPoint(0, 0), kAll), std::runtime_error);
  EXPECT_FALSE(T->TreeStates().Contains(tsPainting));
  EXPECT_EQ(f.B->Canvas()->LockCount(), 0);
  T->OnAfterItemPaint = {};
  Paint(kAll);
}

TEST_F(LazyTrees_qn_Paint, EmptyTreeShowsItsMessage) {
  T->Clear();
  T->SetEmptyListMessage(u"Nothing here yet");
  TTarget t = Paint(kAll, 240, 60);
  int grey = 0;
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 120; ++x) grey += t.At(x, y) != kBack;
  EXPECT_GT(grey, 20);
  EXPECT_EQ(t.At(200, 40), kBack);
}

TEST_F(LazyTrees_qn_Paint, ColumnsColoursAndGridLines) {
  TLazyTreeColumns* cols = T->Header()->Columns();
  for (int i = 0; i < 2; ++i) cols->Add()->SetWidth(100);
  cols->Items(1)->SetColor(TColor(RGB(240, 230, 200)));
  cols->Items(1)->SetOptions(cols->Items(1)->Options() - TVTColumnOptions{coParentColor});
  T->TreeOptions()->SetPaintOptions(T->TreeOptions()->PaintOptions() +
                                    TVTPaintOptions{toShowVertGridLines, toShowHorzGridLines});
  T->Colors()->SetGridLineColor(TColor(RGB(0, 0, 0)));
  T->SetLineStyle(lsSolid);
  TTarget t = Paint(kAll);
  EXPECT_EQ(t.At(150, 9), 0xF0E6C8u);        // the second column's colour
  EXPECT_EQ(t.At(150, 140), 0xF0E6C8u);      // continued below the nodes
  EXPECT_EQ(t.At(99, 9), 0x000000u);         // vertical grid line
  EXPECT_EQ(t.At(150, 17), 0x000000u);       // horizontal grid line
  EXPECT_EQ(t.At(220, 9), kBack);            // right of the columns
  // A selected row in full-row selection: the grid line's row right of the
  // columns is the background, not what the target held.
  T->TreeOptions()->SetSelectionOptions(TVTSelectionOptions{toFullRowSelect});
  T->SetSelected(Row(1), true);
  t = Paint(kAll + TVTInternalPaintOptions{poUnbuffered});
  EXPECT_EQ(t.At(220, 27), 0x00C800u);  // the selection runs on
  EXPECT_EQ(t.At(220, 35), kBack);
  EXPECT_EQ(t.At(150, 35), 0x000000u);  // the grid line in the columns stays
}

// The tree's first picture as the gallery shows it; text goes through the
// font engine, hence the small tolerance.
TEST_F(LazyTrees_qn_Paint, GallerySheetMatchesItsGoldenImage) {
  auto sheet = gallery::TTreeSheet::Render();
  qntest::ExpectMatchesGolden(sheet, "tree", 8, gallery::TTreeSheet::kWidth * gallery::TTreeSheet::kHeight / 200);
}

// ---------------------------------------------------------------------------

TEST_F(LazyTrees_qn_DisplayRect, RowsCellsAndText) {
  PLazyNode child = First->FirstChild;
  TRect first = T->GetDisplayRect(First, NoColumn, false);
  EXPECT_EQ(first, TRect(0, 0, std::max(T->ClientWidth(), T->RangeX()), 18));
  TRect row = T->GetDisplayRect(child, NoColumn, false);
  EXPECT_EQ(row.Top, 18);
  EXPECT_EQ(row.Bottom, 36);
  // Text: margin, root indentation and one level, then the 40-pixel width.
  TRect text = T->GetDisplayRect(child, NoColumn, true);
  EXPECT_EQ(text.Left, 4 + 18 + 18);
  EXPECT_EQ(text.Width(), 40);
  T->TreeOptions()->SetPaintOptions(T->TreeOptions()->PaintOptions() + TVTPaintOptions{toFixedIndent});
  EXPECT_EQ(T->GetDisplayRect(child, NoColumn, true).Left, T->GetDisplayRect(First, NoColumn, true).Left);
  T->TreeOptions()->SetPaintOptions(T->TreeOptions()->PaintOptions() - TVTPaintOptions{toFixedIndent});
  // Hidden or under a collapsed parent: empty.
  T->SetExpanded(First, false);
  EXPECT_TRUE(IsRectEmpty(T->GetDisplayRect(child, NoColumn, false)));
  T->SetExpanded(First, true);
  T->SetVisible(child, false);
  EXPECT_TRUE(IsRectEmpty(T->GetDisplayRect(child, NoColumn, false)));
  T->SetVisible(child, true);
  // Column bounds, right edge exclusive of the last pixel.
  TLazyTreeColumns* cols = T->Header()->Columns();
  cols->Add()->SetWidth(80);
  cols->Add()->SetWidth(60);
  TRect cell = T->GetDisplayRect(child, 1, false);
  EXPECT_EQ(cell.Left, 80);
  EXPECT_EQ(cell.Right, 139);
  EXPECT_THROW(T->GetDisplayRect(nullptr, NoColumn, false), EAssertionFailed);
}

TEST_F(LazyTrees_qn_DisplayRect, MaxRightExtendIsTheWidestShownNode) {
  // Every node is 40 wide; the deepest shown level decides.
  Integer deepest = 0;
  for (PLazyNode n = T->GetFirstVisible(); n; n = T->GetNextVisible(n))
    deepest = std::max(deepest, Integer(T->GetNodeLevel(n)) + 1);
  EXPECT_EQ(Integer(T->GetMaxRightExtend()), deepest * 18 + 40 + T->Margin());
}

TEST_F(LazyTrees_qn_DisplayRect, RepaintRequests) {
  Form->Show();
  Application->ProcessMessages();
  ValidateRect(T->Handle(), nullptr);
  TRect r = T->InvalidateNode(Row(2));
  RECT u{};
  EXPECT_TRUE(GetUpdateRect(T->Handle(), &u, false));
  EXPECT_EQ(TRect(u), r);
  ValidateRect(T->Handle(), nullptr);
  T->InvalidateToBottom(Row(4));
  GetUpdateRect(T->Handle(), &u, false);
  EXPECT_EQ(u.Top, 4 * 18);
  EXPECT_EQ(u.Bottom, T->ClientHeight());
  ValidateRect(T->Handle(), nullptr);
  // A node below the client area asks for nothing.
  T->SetRootNodeCount(40);
  ValidateRect(T->Handle(), nullptr);
  T->InvalidateToBottom(T->GetLastVisible());
  EXPECT_FALSE(GetUpdateRect(T->Handle(), &u, false));
  // RepaintNode has painted before it returns.
  int paints = 0;
  T->OnAfterPaint = [&](TBaseLazyTree_qn*, TCanvas*) { ++paints; };
  T->RepaintNode(Row(1));
  EXPECT_EQ(paints, 1);
  EXPECT_FALSE(GetUpdateRect(T->Handle(), &u, false));
}

}  // namespace

}  // namespace t_lazy_trees_qn_paint_test
