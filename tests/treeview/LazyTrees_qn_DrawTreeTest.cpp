// The owner-draw tree: cells painted by OnDrawNode or left as the base
// painter made them, node widths and content margins from the events, and
// the published list with its form-file round trip.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/classes/FormText.h"
#include "platform/theme/UxTheme.h"
#include "platform/vcl/Forms.h"
#include "tests/treeview/LazyTrees_qn_PublishedLists.h"
#include "treeview/LazyTrees_qn_Appearance.h"
#include "treeview/LazyTrees_qn_DrawTree.h"

namespace t_lazy_trees_qn_draw_tree_test {

using namespace qn;

namespace {

class TDrawTree : public TLazyDrawTree_qn {
  QN_CLASS(TDrawTree, TLazyDrawTree_qn)
 public:
  explicit TDrawTree(TComponent* AOwner) : TLazyDrawTree_qn(AOwner) {}
  using TCustomLazyDrawTree_qn::DoGetCellContentMargin;
  using TCustomLazyDrawTree_qn::DoGetNodeWidth;
};

// The base tree with nothing in its cells.
class TBareTree : public TBaseLazyTree_qn {
  QN_CLASS(TBareTree, TBaseLazyTree_qn)
 public:
  explicit TBareTree(TComponent* AOwner) : TBaseLazyTree_qn(AOwner) {}
};

std::unique_ptr<TBitmap> Target(int w, int h) {
  auto b = std::make_unique<TBitmap>();
  b->SetPixelFormat(TPixelFormat::pf32bit);
  b->SetSize(w, h);
  return b;
}

uint32_t At(TBitmap* B, int x, int y) { return static_cast<const uint32_t*>(B->ScanLine(y))[x] & 0xFFFFFF; }

class LazyTrees_qn_DrawTree : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetThemes();
    Form.reset(new TForm(nullptr));
    Form->SetBounds(0, 0, 400, 300);
  }
  void TearDown() override {
    Form.reset();
    ResetThemes();
  }
  template <class Tree>
  Tree* Make() {
    auto* t = new Tree(Form.get());
    t->SetParent(Form.get());
    t->SetBounds(0, 0, 200, 120);
    t->SetRootNodeCount(3);
    PLazyNode first = t->GetFirst();
    t->SetChildCount(first, 2);
    t->SetExpanded(first, true);
    t->SetSelected(first->FirstChild, true);
    t->SetFocusedNode(first->FirstChild);
    return t;
  }
  std::unique_ptr<TBitmap> Paint(TBaseLazyTree_qn* Tree) {
    auto b = Target(200, 120);
    Tree->PaintTree(b->Canvas(), TRect(0, 0, 200, 120), TPoint(0, 0),
                    {poBackground, poDrawSelection, poDrawFocusRect, poGridLines});
    return b;
  }
  std::unique_ptr<TForm> Form;
};

// Without handlers every cell stays as the base painter left it (lines,
// buttons, selection, focus) and a node is twice the text margin wide.
TEST_F(LazyTrees_qn_DrawTree, WithoutHandlers) {
  auto* draw = Make<TDrawTree>();
  auto* bare = Make<TBareTree>();
  auto a = Paint(draw);
  auto b = Paint(bare);
  // The base tree's node is 0 wide, ours 8: only the selection and focus
  // rectangles of the focused row may differ.
  TRect row = draw->GetDisplayRect(draw->FocusedNode(), NoColumn, false);
  for (int y = 0; y < 120; ++y) {
    if (y >= row.Top && y < row.Bottom) continue;
    for (int x = 0; x < 200; ++x) ASSERT_EQ(At(a.get(), x, y), At(b.get(), x, y)) << x << "," << y;
  }
  PLazyNode n = draw->GetFirst();
  EXPECT_EQ(draw->DoGetNodeWidth(n, NoColumn), 8);
  draw->SetTextMargin(6);
  EXPECT_EQ(draw->DoGetNodeWidth(n, NoColumn), 12);
  EXPECT_EQ(draw->DoGetCellContentMargin(n, NoColumn), TPoint(0, 0));
  EXPECT_EQ(draw->GetDefaultHintKind(), vhkOwnerDraw);
}

// OnDrawNode paints the cell's content rectangle; OnGetNodeWidth and
// OnGetCellContentMargin replace the width and the margin, handed the
// tree's canvas when none is given.
TEST_F(LazyTrees_qn_DrawTree, Handlers) {
  auto* t = Make<TDrawTree>();
  t->SetFocusedNode(nullptr);
  t->ClearSelection();
  std::vector<PLazyNode> drawn;
  t->SetOnDrawNode([&](TBaseLazyTree_qn*, const TVTPaintInfo& Info) {
    drawn.push_back(Info.Node);
    TRect r = Info.ContentRect;
    r.Right = r.Left + Info.NodeWidth;
    Info.Canvas->Brush()->SetColor(TColor(RGB(200, 30, 30)));
    Info.Canvas->FillRect(r);
  });
  TCanvas* handed = nullptr;
  t->SetOnGetNodeWidth([&](TBaseLazyTree_qn*, TCanvas* Canvas, PLazyNode, TColumnIndex, Integer& Width) {
    handed = Canvas;
    Width = 30;
  });
  auto b = Paint(t);
  EXPECT_EQ(drawn.size(), 5u) << "every shown node";
  TRect r = t->GetDisplayRect(t->GetFirst()->FirstChild, NoColumn, false);
  TRect text = t->GetDisplayRect(t->GetFirst()->FirstChild, NoColumn, true);
  EXPECT_EQ(text.Width(), 30);
  EXPECT_EQ(At(b.get(), text.Left + 15, (r.Top + r.Bottom) / 2), 0xC81E1Eu);
  EXPECT_NE(At(b.get(), text.Right + 4, (r.Top + r.Bottom) / 2), 0xC81E1Eu);
  handed = nullptr;
  EXPECT_EQ(t->DoGetNodeWidth(t->GetFirst(), NoColumn), 30);
  EXPECT_EQ(handed, t->Canvas());
  t->SetOnGetCellContentMargin([](TBaseLazyTree_qn*, TCanvas*, PLazyNode, TColumnIndex,
                                 TVTCellContentMarginType Type, TPoint& Margin) {
    Margin = Type == ccmtAllSides ? TPoint(6, 4) : TPoint(3, 2);
  });
  EXPECT_EQ(t->DoGetCellContentMargin(t->GetFirst(), NoColumn), TPoint(6, 4));
  EXPECT_EQ(t->DoGetCellContentMargin(t->GetFirst(), NoColumn, ccmtTopLeftOnly), TPoint(3, 2));
}

// The draw tree's list: the string tree's without the text members, its
// own two events in their places, two event pairs swapped, plain tree
// options; it round-trips through a form file.
TEST_F(LazyTrees_qn_DrawTree, PublishedListAndRoundTrip) {
  auto* t = Make<TDrawTree>();
  EXPECT_EQ(publishedlists::OwnNames(t, TLazyDrawTree_qn::StaticClass(), false), publishedlists::DrawTreeProperties());
  EXPECT_EQ(publishedlists::OwnNames(t, TLazyDrawTree_qn::StaticClass(), true), publishedlists::DrawTreeEvents());
  EXPECT_EQ(t->TreeOptions()->ClassType(), TLazyTreeOptions::StaticClass());

  t->SetName(u"Tree");
  t->SetHintMode(hmTooltip);
  t->SetDragOperations({doLink});
  t->SetIncrementalSearch(TVTIncrementalSearch::isVisibleOnly);
  t->SetBottomSpace(12);
  t->TreeOptions()->SetMiscOptions({toEditable});
  // The text formats belong to string trees: a draw tree keeps only its own.
  t->ClipboardFormats()->Add(u"CSV");
  t->ClipboardFormats()->Add(u"Lazy Tree Data");
  std::string text = ComponentToText(t);
  EXPECT_EQ(text.find("DefaultText"), std::string::npos);
  t->SetName(u"Written");
  auto* b = new TDrawTree(Form.get());
  TextToComponent(text, b);
  EXPECT_EQ(b->HintMode(), hmTooltip);
  EXPECT_EQ(b->DragOperations(), TDragOperations{doLink});
  EXPECT_EQ(b->IncrementalSearch(), TVTIncrementalSearch::isVisibleOnly);
  EXPECT_EQ(b->BottomSpace(), 12u);
  EXPECT_EQ(b->TreeOptions()->MiscOptions(), TVTMiscOptions{toEditable});
  ASSERT_EQ(b->ClipboardFormats()->Count(), 1);
  EXPECT_EQ(b->ClipboardFormats()->Strings(0), u"Lazy Tree Data");
}

}  // namespace

}  // namespace t_lazy_trees_qn_draw_tree_test
