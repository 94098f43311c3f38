// The tree's side of the header: the first column of a painted row, the
// widest content of a column with its images and checks, the header font
// following the tree's, and the horizontal range and bar.
#include <gtest/gtest.h>

#include <memory>

#include "platform/theme/UxTheme.h"
#include "platform/vcl/ControlMessages.h"
#include "platform/vcl/Forms.h"
#include "treeview/LazyTrees_qn_Appearance.h"

namespace t_lazy_trees_qn_header_tree_test {

using namespace qn;

namespace {

class THeaderTree : public TBaseLazyTree_qn {
  QN_CLASS(THeaderTree, TBaseLazyTree_qn)
 public:
  explicit THeaderTree(TComponent* AOwner) : TBaseLazyTree_qn(AOwner) {}
  using TBaseLazyTree_qn::InitializeFirstColumnValues;
  using TBaseLazyTree_qn::UpdateHorizontalScrollBar;
  Integer DoGetNodeWidth(PLazyNode, TColumnIndex, TCanvas*) override { return 40; }
};

class LazyTrees_qn_HeaderTree : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetThemes();
    Form.reset(new TForm(nullptr));
    Form->SetBounds(0, 0, 400, 300);
    T = new THeaderTree(Form.get());
    T->SetParent(Form.get());
    T->SetBounds(0, 0, 200, 150);
  }
  void TearDown() override { Form.reset(); }
  std::unique_ptr<TForm> Form;
  THeaderTree* T = nullptr;
};

TEST_F(LazyTrees_qn_HeaderTree, FirstColumnValuesSkipHiddenColumns) {
  TLazyTreeColumns* cols = T->Header()->Columns();
  for (int i = 0; i < 3; ++i) cols->Add()->SetWidth(50 + 10 * i);
  cols->Items(0)->SetOptions(cols->Items(0)->Options() - TVTColumnOptions{coVisible});
  TVTPaintInfo info;
  info.CellRect = TRect(7, 0, 500, 18);
  T->InitializeFirstColumnValues(info);
  EXPECT_EQ(info.Column, 1);
  EXPECT_EQ(info.Position, cols->Items(1)->Position());
  EXPECT_EQ(info.CellRect.Right, 7 + 60);
  for (int i = 1; i < 3; ++i) cols->Items(i)->SetOptions(cols->Items(i)->Options() - TVTColumnOptions{coVisible});
  info.Position = 9;
  T->InitializeFirstColumnValues(info);
  EXPECT_LT(info.Column, 0);
  EXPECT_EQ(info.Position, 0u);
}

TEST_F(LazyTrees_qn_HeaderTree, MaxColumnWidthCountsChecksImagesAndStateImages) {
  TImageList images(nullptr);
  images.SetSize(16, 16);
  T->SetRootNodeCount(3);
  // Node 1 has the first normal image, node 2 a state image; node 0 none.
  T->SetOnGetImageIndex([](TBaseLazyTree_qn*, PLazyNode N, TVTImageKind Kind, TColumnIndex, bool&, Integer& Index) {
    if (Kind == ikState) Index = N->Index == 2 ? 0 : -1;
    else Index = N->Index == 1 ? 0 : -1;
  });
  // Margin 4, one root level of 18, the node width 40.
  EXPECT_EQ(T->GetMaxColumnWidth(NoColumn), 4 + 18 + 40);
  T->SetImages(&images);
  EXPECT_EQ(T->GetMaxColumnWidth(NoColumn), 4 + 18 + 18 + 40);
  T->SetStateImages(&images);
  // Node 2: its own state image and the image room carried from node 1.
  EXPECT_EQ(T->GetMaxColumnWidth(NoColumn), 4 + 18 + 18 + 18 + 40);
  T->TreeOptions()->SetMiscOptions(T->TreeOptions()->MiscOptions() + TVTMiscOptions{toCheckSupport});
  T->SetCheckImageKind(ckFlat);
  EXPECT_EQ(T->GetMaxColumnWidth(NoColumn), 4 + 18 + 18 + 18 + 40);  // no node has a check box yet
  T->SetCheckType(T->GetLastChild(nullptr), ctCheckBox);
  EXPECT_EQ(T->GetMaxColumnWidth(NoColumn), 4 + 18 + 18 + 18 + 18 + 40);
  T->TreeOptions()->SetPaintOptions(T->TreeOptions()->PaintOptions() + TVTPaintOptions{toShowVertGridLines});
  EXPECT_EQ(T->GetMaxColumnWidth(NoColumn), 4 + 18 + 18 + 18 + 18 + 40 + 1);
  T->SetImages(nullptr);
  T->SetStateImages(nullptr);
}

TEST_F(LazyTrees_qn_HeaderTree, HeaderFontFollowsTheTreeWhileParentFont) {
  TVTHeader* h = T->Header();
  h->SetParentFont(true);
  T->Font()->SetSize(13);
  EXPECT_EQ(h->Font()->Size(), 13);
  // A parent's font reaching the tree reaches the header too.
  Form->Font()->SetSize(15);
  T->SetParentFont(true);
  EXPECT_EQ(T->Font()->Size(), 15);
  EXPECT_EQ(h->Font()->Size(), 15);
  Form->Font()->SetSize(8);
  EXPECT_EQ(h->Font()->Size(), 8);
  // A header with its own font keeps it.
  h->SetParentFont(false);
  h->Font()->SetSize(11);
  T->Font()->SetSize(20);
  EXPECT_EQ(h->Font()->Size(), 11);
}

TEST_F(LazyTrees_qn_HeaderTree, HorizontalRangeAndBar) {
  Form->Show();
  TLazyTreeColumns* cols = T->Header()->Columns();
  cols->Add()->SetWidth(300);
  cols->Add()->SetWidth(200);
  T->UpdateHorizontalScrollBar(false);
  EXPECT_EQ(T->RangeX(), 500);
  SCROLLINFO si{};
  si.cbSize = sizeof si;
  si.fMask = SIF_ALL;
  ASSERT_TRUE(GetScrollInfo(T->Handle(), SB_HORZ, &si));
  EXPECT_EQ(si.nMax, 500);
  EXPECT_EQ(si.nPage, UINT(T->ClientWidth() + 1));
  EXPECT_EQ(T->EffectiveOffsetX(), 0);
  // Columns narrower than the client: no bar, no offset.
  cols->Items(0)->SetWidth(40);
  cols->Items(1)->SetWidth(40);
  T->UpdateHorizontalScrollBar(false);
  EXPECT_EQ(T->RangeX(), 80);
  GetScrollInfo(T->Handle(), SB_HORZ, &si);
  EXPECT_EQ(si.nMax, 0);
  EXPECT_EQ(T->OffsetX(), 0);
  // Without columns the widest shown node decides.
  cols->Clear();
  T->SetRootNodeCount(2);
  T->UpdateHorizontalScrollBar(false);
  EXPECT_EQ(T->RangeX(), 18 + 40 + T->Margin());
}

}  // namespace

}  // namespace t_lazy_trees_qn_header_tree_test
