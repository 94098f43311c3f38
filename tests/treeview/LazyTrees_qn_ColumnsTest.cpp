#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

#include "platform/classes/FormText.h"
#include "tests/treeview/LazyTreeTestSupport.h"

namespace t_lazy_trees_qn_columns_test {

using namespace treetest;

namespace {

class TColTree : public TBaseLazyTree_qn {
  QN_CLASS_CREATE(TColTree, TBaseLazyTree_qn, TComponent)
 public:
  explicit TColTree(TComponent* AOwner) : TBaseLazyTree_qn(AOwner) {}
  QN_PUBLISHED(TColTree) { QN_PROP(RootNodeCount).Default(0); }
};

// Positions and left edges follow the position array: the column at
// position p knows p, and its left edge is the width of the visible
// columns before it.
void ExpectPositions(TLazyTreeColumns* C, const std::string& Where) {
  const TIndexArray& a = C->PositionToIndex();
  ASSERT_EQ(a.size(), size_t(C->Count())) << Where;
  std::vector<bool> seen(a.size());
  Integer left = 0;
  for (size_t p = 0; p < a.size(); ++p) {
    ASSERT_TRUE(C->IsValidColumn(a[p])) << Where;
    ASSERT_FALSE(seen[size_t(a[p])]) << Where;
    seen[size_t(a[p])] = true;
    TLazyTreeColumn* col = C->Items(a[p]);
    ASSERT_EQ(col->Position(), TColumnPosition(p)) << Where;
    Integer l = 0, r = 0;
    col->GetAbsoluteBounds(l, r);
    ASSERT_EQ(l, left) << Where << " position " << p;
    if (col->Options().Contains(coVisible)) left += col->Width();
  }
}

TEST(LazyTrees_qn_Columns, NewColumnDefaults) {
  std::unique_ptr<TColTree> t(new TColTree(nullptr));
  TLazyTreeColumns* c = t->Header()->Columns();
  TLazyTreeColumn* col = c->Add();
  EXPECT_EQ(col->Index(), 0);
  EXPECT_EQ(col->Position(), 0u);
  EXPECT_EQ(col->Width(), 50);
  EXPECT_EQ(col->Options().Bits(), 2303u);
  EXPECT_EQ(col->Margin(), 4);
  EXPECT_EQ(col->Spacing(), 3);
  EXPECT_EQ(col->ImageIndex(), -1);
  EXPECT_EQ(col->CheckType(), ctCheckBox);
  EXPECT_EQ(t->Header()->MainColumn(), 0);
  TLazyTreeColumn* second = c->Add();
  EXPECT_EQ(second->Position(), 1u);
  ExpectPositions(c, "two columns");
}

TEST(LazyTrees_qn_Columns, RandomEditsKeepPositionsAndLefts) {
  std::mt19937 rng(9);
  std::unique_ptr<TColTree> t(new TColTree(nullptr));
  TLazyTreeColumns* c = t->Header()->Columns();
  for (int i = 0; i < 4; ++i) c->Add();
  for (int step = 0; step < 1000; ++step) {
    int op = int(rng() % 6);
    Integer n = c->Count();
    TLazyTreeColumn* col = n ? c->Items(Integer(rng() % Cardinal(n))) : nullptr;
    switch (op) {
      case 0:
        if (n < 12) c->Add();
        break;
      case 1:
        if (col && n > 1) delete col;
        break;
      case 2:
        if (col) col->SetPosition(TColumnPosition(rng() % Cardinal(n + 2)));
        break;
      case 3:
        if (col) col->SetOptions(col->Options().Contains(coVisible) ? col->Options() - TVTColumnOptions{coVisible}
                                                                     : col->Options() + TVTColumnOptions{coVisible});
        break;
      case 4:
        if (col) col->SetOptions(col->Options().Contains(coFixed) ? col->Options() - TVTColumnOptions{coFixed}
                                                                   : col->Options() + TVTColumnOptions{coFixed});
        break;
      case 5:
        if (col) col->SetWidth(Integer(rng() % 300));
        break;
    }
    ExpectPositions(c, "step " + std::to_string(step) + " op " + std::to_string(op));
    if (HasFatalFailure()) return;
    for (Integer i = 0; i < c->Count(); ++i) {
      TLazyTreeColumn* x = c->Items(i);
      ASSERT_GE(x->Width(), x->MinWidth());
      ASSERT_LE(x->Width(), x->MaxWidth());
    }
  }
}

TEST(LazyTrees_qn_Columns, ClampsAndTheFixedNeighbour) {
  std::unique_ptr<TColTree> t(new TColTree(nullptr));
  TLazyTreeColumns* c = t->Header()->Columns();
  for (int i = 0; i < 4; ++i) c->Add();
  TLazyTreeColumn* a = c->Items(0);
  a->SetMinWidth(-5);
  EXPECT_EQ(a->MinWidth(), 0);
  a->SetWidth(80);
  a->SetMaxWidth(-1);
  EXPECT_EQ(a->MaxWidth(), 0) << "not below MinWidth";
  EXPECT_EQ(a->Width(), 0) << "the new limit applies at once";
  a->SetMaxWidth(100);
  a->SetMinWidth(30);
  EXPECT_EQ(a->Width(), 30);
  a->SetMargin(-2);
  EXPECT_EQ(a->Margin(), 4);

  c->Items(1)->SetPosition(99);
  EXPECT_EQ(c->Items(1)->Position(), 3u) << "beyond the end: the last position";

  // Columns 0 and 2 (positions 0, 1) fixed; moving column 3 between them
  // makes it fixed, moving it out again clears it.
  c->Items(0)->SetOptions(c->Items(0)->Options() + TVTColumnOptions{coFixed});
  c->Items(2)->SetOptions(c->Items(2)->Options() + TVTColumnOptions{coFixed});
  ASSERT_EQ(c->Items(2)->Position(), 1u);
  c->Items(3)->SetPosition(1);
  EXPECT_TRUE(c->Items(3)->Options().Contains(coFixed));
  c->Items(3)->SetPosition(3);
  EXPECT_FALSE(c->Items(3)->Options().Contains(coFixed));
  ExpectPositions(c, "after the moves");
}

TEST(LazyTrees_qn_Columns, DeletingMainAndSortColumns) {
  std::unique_ptr<TColTree> t(new TColTree(nullptr));
  TVTHeader* h = t->Header();
  TLazyTreeColumns* c = h->Columns();
  for (int i = 0; i < 5; ++i) c->Add();
  h->SetMainColumn(0);
  h->SetSortColumn(3);
  delete c->Items(1);
  EXPECT_EQ(h->SortColumn(), 2);
  EXPECT_EQ(h->MainColumn(), 0);
  delete c->Items(0);
  EXPECT_EQ(h->MainColumn(), 0) << "the lowest other index, renumbered";
  h->SetSortColumn(0);
  delete c->Items(0);
  EXPECT_EQ(h->SortColumn(), NoColumn);
  ExpectPositions(c, "after deletions");
  c->Clear();
  EXPECT_EQ(h->MainColumn(), NoColumn);
}

TEST(LazyTrees_qn_Columns, DisplayNamesAndPositionLookups) {
  std::unique_ptr<TColTree> t(new TColTree(nullptr));
  TLazyTreeColumns* c = t->Header()->Columns();
  c->Add()->SetText(u"Größe");
  c->Add()->SetText(u"名前");
  EXPECT_EQ(c->Items(0)->DisplayName(), u"Größe");
  EXPECT_EQ(c->Items(1)->DisplayName(), u"Column 1");
  EXPECT_EQ(c->ColumnFromPosition(TPoint(-1, 5)), InvalidColumn);
  EXPECT_EQ(c->ColumnFromPosition(TPoint(5, t->Height() + 1)), InvalidColumn);
  EXPECT_EQ(c->ColumnFromPosition(TPoint(60, 5)), 1);
  EXPECT_EQ(c->ColumnFromPosition(TColumnPosition(2)), NoColumn);
  EXPECT_EQ(c->ColumnFromPosition(TColumnPosition(1)), 1);
}

TEST(LazyTrees_qn_Columns, AutoSizeAndSpringColumns) {
  std::unique_ptr<TForm> form(new TForm(nullptr));
  form->SetBounds(0, 0, 600, 400);
  auto* t = new TColTree(form.get());
  t->SetBorderStyle(bsNone);
  t->ScrollBarOptions()->SetScrollBars(ssNone);
  t->SetParent(form.get());
  t->SetBounds(0, 0, 400, 200);
  form->Show();
  t->HandleNeeded();
  ASSERT_EQ(t->ClientWidth(), 400);
  TVTHeader* h = t->Header();
  TLazyTreeColumns* c = h->Columns();
  for (int i = 0; i < 3; ++i) c->Add();
  c->Items(0)->SetWidth(100);
  c->Items(1)->SetWidth(120);
  h->SetAutoSizeIndex(2);
  h->SetOptions(h->Options() + TVTHeaderOptions{hoAutoResize});
  EXPECT_EQ(c->Items(2)->Width(), 180);
  c->Items(0)->SetOptions(c->Items(0)->Options() - TVTColumnOptions{coVisible});
  EXPECT_EQ(c->Items(2)->Width(), 280);
  h->SetOptions(h->Options() - TVTHeaderOptions{hoAutoResize});

  // Spring: 7 pixels over two spring columns.
  c->Items(0)->SetOptions(c->Items(0)->Options() + TVTColumnOptions{coVisible, coAutoSpring});
  c->Items(1)->SetOptions(c->Items(1)->Options() + TVTColumnOptions{coAutoSpring});
  h->SetOptions(h->Options() + TVTHeaderOptions{hoAutoSpring, hoVisible});
  t->UpdateHeaderRect();
  h->UpdateSpringColumns();
  Integer w0 = c->Items(0)->Width(), w1 = c->Items(1)->Width();
  t->SetBounds(0, 0, 407, 200);
  t->UpdateHeaderRect();
  h->UpdateSpringColumns();
  EXPECT_EQ(c->Items(0)->Width(), w0 + 3);
  EXPECT_EQ(c->Items(1)->Width(), w1 + 3);
  EXPECT_FLOAT_EQ(c->Items(0)->SpringRest(), 0.5f);
  EXPECT_FLOAT_EQ(c->Items(1)->SpringRest(), 0.5f);

  // No animation: the width is applied at once and clamped.
  c->Items(1)->SetOptions(c->Items(1)->Options() + TVTColumnOptions{coDisableAnimatedResize});
  c->Items(1)->SetMaxWidth(150);
  c->AnimatedResize(1, 400);
  EXPECT_EQ(c->Items(1)->Width(), 150);
  ExpectPositions(c, "after resizing");
}

TEST(LazyTrees_qn_Columns, FormStreams) {
  std::unique_ptr<TColTree> a(new TColTree(nullptr));
  a->SetName(u"Tree");
  TLazyTreeColumns* c = a->Header()->Columns();
  c->Add()->SetText(u"Plain");
  TLazyTreeColumn* wide = c->Add();
  wide->SetText(u"Zürich 東京");
  wide->SetHint(u"Ω hint");
  c->Add()->SetWidth(77);
  c->Items(2)->SetPosition(0);
  std::string text = ComponentToText(a.get());
  EXPECT_NE(text.find("WideText"), std::string::npos) << text;
  EXPECT_NE(text.find("WideHint"), std::string::npos) << text;

  std::unique_ptr<TColTree> b(new TColTree(nullptr));
  TextToComponent(text, b.get());
  TLazyTreeColumns* d = b->Header()->Columns();
  ASSERT_EQ(d->Count(), 3);
  EXPECT_TRUE(d->Equals(c)) << text;
  EXPECT_EQ(d->Items(1)->Text(), u"Zürich 東京");
  EXPECT_EQ(d->Items(1)->Hint(), u"Ω hint");
  EXPECT_EQ(d->ColumnFromPosition(TColumnPosition(0)), 2) << "positions fixed after loading";
  EXPECT_FALSE(d->NeedPositionsFix());
  ExpectPositions(d, "loaded");

  // An equal ancestor: no "Columns" written.
  EXPECT_EQ(ComponentToText(a.get(), b.get()).find("Columns"), std::string::npos);
  d->Items(0)->SetWidth(61);
  EXPECT_NE(ComponentToText(a.get(), b.get()).find("Columns"), std::string::npos);
}

}  // namespace

}  // namespace t_lazy_trees_qn_columns_test
