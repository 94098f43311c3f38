#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "tests/treeview/LazyTreeTestSupport.h"

namespace t_lazy_trees_qn_header_test {

using namespace treetest;

namespace {

class THeadTree : public TBaseLazyTree_qn {
 public:
  explicit THeadTree(TComponent* AOwner) : TBaseLazyTree_qn(AOwner) {}
  void NoteHeaderInvalidated(const TRect& R) override { Repaints.push_back(R); }
  std::vector<TRect> Repaints;
};

struct TWindowed {
  std::unique_ptr<TForm> Form{new TForm(nullptr)};
  THeadTree* T;
  explicit TWindowed(Integer Height = 181) {
    Form->SetBounds(0, 0, 600, 400);
    T = new THeadTree(Form.get());
    T->SetBorderStyle(bsNone);
    T->ScrollBarOptions()->SetScrollBars(ssNone);
    T->SetParent(Form.get());
    T->SetBounds(0, 0, 400, Height);
    Form->Show();
    T->HandleNeeded();
  }
};

TEST(LazyTrees_qn_Header, MainSortAndDefaultHeight) {
  std::unique_ptr<THeadTree> t(new THeadTree(nullptr));
  TVTHeader* h = t->Header();
  EXPECT_EQ(h->Options().Bits(), 522u);
  EXPECT_EQ(h->Height(), 19);
  h->SetMainColumn(7);
  EXPECT_EQ(h->MainColumn(), NoColumn) << "no columns";
  for (int i = 0; i < 3; ++i) h->Columns()->Add();
  h->SetMainColumn(7);
  EXPECT_EQ(h->MainColumn(), 2);
  h->SetSortColumn(5);
  EXPECT_EQ(h->SortColumn(), 2);
  h->SetSortColumn(-3);
  EXPECT_EQ(h->SortColumn(), NoColumn);

  h->SetHeight(22);
  h->SetDefaultHeight(25);
  EXPECT_EQ(h->Height(), 22) << "the height was not the default";
  std::unique_ptr<THeadTree> u(new THeadTree(nullptr));
  u->Header()->SetDefaultHeight(25);
  EXPECT_EQ(u->Header()->Height(), 25);
}

TEST(LazyTrees_qn_Header, HeightConstraints) {
  TWindowed w;
  ASSERT_EQ(w.T->ClientHeight(), 181);
  TVTHeader* h = w.T->Header();
  h->FixedAreaConstraints()->SetConstraints(0, 10);  // MaxHeightPercent
  h->SetHeight(40);
  EXPECT_EQ(h->Height(), 20);

  std::unique_ptr<THeadTree> t(new THeadTree(nullptr));
  TVTHeader* g = t->Header();
  g->FixedAreaConstraints()->SetConstraints(0, 10);
  EXPECT_TRUE(g->States().Contains(hsNeedScaling));
  g->SetHeight(40);
  EXPECT_EQ(g->Height(), 40) << "without a window the value is stored";
  EXPECT_TRUE(g->States().Contains(hsNeedScaling));

  // The percentages keep min below max.
  TVTFixedAreaConstraints* c = g->FixedAreaConstraints();
  c->SetConstraints(2, 30);  // MinHeightPercent above MaxHeightPercent raises it
  EXPECT_EQ(c->MaxHeightPercent(), 30);
  c->SetConstraints(0, 20);
  EXPECT_EQ(c->MinHeightPercent(), 20);
}

TEST(LazyTrees_qn_Header, ResizeColumnsSpreadsPixels) {
  std::unique_ptr<THeadTree> t(new THeadTree(nullptr));
  TLazyTreeColumns* c = t->Header()->Columns();
  for (int i = 0; i < 3; ++i) c->Add();
  EXPECT_EQ(t->Header()->ResizeColumns(-30, 0, 2, {coVisible}), -30);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(c->Items(i)->Width(), 40);

  std::unique_ptr<THeadTree> u(new THeadTree(nullptr));
  TLazyTreeColumns* d = u->Header()->Columns();
  for (int i = 0; i < 3; ++i) d->Add();
  EXPECT_EQ(u->Header()->ResizeColumns(-31, 0, 2, {coVisible}), -31);
  EXPECT_EQ(d->Items(0)->Width(), 40);
  EXPECT_EQ(d->Items(1)->Width(), 40);
  EXPECT_EQ(d->Items(2)->Width(), 39) << "shrinking starts at the end of the range";
  // Limits hold: only 30 more pixels are there to take.
  EXPECT_EQ(u->Header()->ResizeColumns(-100, 0, 2, {coVisible}), -89);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(d->Items(i)->Width(), 10);
}

TEST(LazyTrees_qn_Header, AutoFitColumnsRangesAndEvents) {
  std::unique_ptr<THeadTree> t(new THeadTree(nullptr));
  TVTHeader* h = t->Header();
  for (int i = 0; i < 2; ++i) h->Columns()->Add();
  int before = 0, after = 0;
  t->OnBeforeAutoFitColumns = [&](TVTHeader*, TSmartAutoFitType&) { ++before; };
  t->OnAfterAutoFitColumns = [&](TVTHeader*) { ++after; };
  h->AutoFitColumns(false, smaNoColumn, 5, -1);
  EXPECT_EQ(before + after, 0) << "an empty range fires nothing";
  int vetoed = 0;
  t->OnBeforeAutoFitColumn = [&](TVTHeader*, TColumnIndex Column, TSmartAutoFitType&, bool& Allowed) {
    if (Column == 1) {
      Allowed = false;
      ++vetoed;
    }
  };
  t->OnAfterGetMaxColumnWidth = [](TVTHeader*, TColumnIndex, Integer& W) { W = 123; };
  h->AutoFitColumns(false, smaNoColumn, 0, -1);
  EXPECT_EQ(before, 1);
  EXPECT_EQ(after, 1);
  EXPECT_EQ(vetoed, 1);
  EXPECT_EQ(h->Columns()->Items(0)->Width(), 123);
  EXPECT_EQ(h->Columns()->Items(1)->Width(), 50);
}

TEST(LazyTrees_qn_Header, InvalidateRegions) {
  TWindowed w;
  TVTHeader* h = w.T->Header();
  h->SetOptions(h->Options() + TVTHeaderOptions{hoVisible});
  w.T->UpdateHeaderRect();
  TLazyTreeColumns* c = h->Columns();
  for (int i = 0; i < 3; ++i) c->Add();
  w.T->Repaints.clear();
  h->Invalidate(c->Items(1), true);
  ASSERT_FALSE(w.T->Repaints.empty());
  EXPECT_EQ(w.T->Repaints.back().Left, 50);
  EXPECT_EQ(w.T->Repaints.back().Right, w.T->HeaderRect().Right) << "toward the far side only";
  h->SetOptions(h->Options() + TVTHeaderOptions{hoFullRepaintOnResize});
  w.T->Repaints.clear();
  h->Invalidate(c->Items(1), true);
  ASSERT_FALSE(w.T->Repaints.empty());
  EXPECT_EQ(w.T->Repaints.back().Left, w.T->HeaderRect().Left);
  EXPECT_EQ(w.T->Repaints.back().Right, w.T->HeaderRect().Right);
  EXPECT_EQ(w.T->HeaderRect().Height(), h->Height());
}

// Focus and selection follow the main column and AllowFocus.
TEST(LazyTrees_qn_Header, FocusWithColumns) {
  std::unique_ptr<THeadTree> t(new THeadTree(nullptr));
  TVTHeader* h = t->Header();
  TLazyTreeColumns* c = h->Columns();
  for (int i = 0; i < 3; ++i) c->Add();
  h->SetMainColumn(1);
  t->SetRootNodeCount(3);
  PLazyNode a = t->GetFirst(), b = t->GetNextSibling(a);
  t->SetSelected(a, true);
  EXPECT_EQ(t->FocusedColumn(), 1) << "selection brings the main column";

  c->Items(2)->SetOptions(c->Items(2)->Options() - TVTColumnOptions{coAllowFocus});
  t->SetFocusedNodeAndColumn(b, 2);
  EXPECT_EQ(t->FocusedNode(), b);
  EXPECT_EQ(t->FocusedColumn(), 1) << "a column without AllowFocus is refused";
  t->SetFocusedNodeAndColumn(a, 0);
  EXPECT_EQ(t->FocusedColumn(), 0);

  // Without extended focus the main column takes the focus.
  t->TreeOptions()->SetSelectionOptions({toExtendedFocus});
  t->SetFocusedColumn(0);
  t->TreeOptions()->SetSelectionOptions({});
  EXPECT_EQ(t->FocusedColumn(), 1);

  // A main column hidden: the first visible column that allows focus.
  t->ClearSelection();
  t->SetFocusedColumn(NoColumn);
  c->Items(1)->SetOptions(c->Items(1)->Options() - TVTColumnOptions{coVisible});
  t->SetSelected(b, true);
  EXPECT_EQ(t->FocusedColumn(), 0);
}

}  // namespace

}  // namespace t_lazy_trees_qn_header_test
