// The owner-draw tree's three hooks.
#include "treeview/LazyTrees_qn_DrawTree.h"

namespace qn {

void TCustomLazyDrawTree_qn::DoPaintNode(TVTPaintInfo& PaintInfo) {
  if (Assigned(FOnDrawNode)) FOnDrawNode(this, PaintInfo);
}

Integer TCustomLazyDrawTree_qn::DoGetNodeWidth(PLazyNode Node, TColumnIndex Column, TCanvas* Canvas) {
  Integer width = 2 * FTextMargin;
  if (!Canvas) Canvas = this->Canvas();
  if (Assigned(FOnGetNodeWidth)) FOnGetNodeWidth(this, Canvas, Node, Column, width);
  return width;
}

TPoint TCustomLazyDrawTree_qn::DoGetCellContentMargin(PLazyNode Node, TColumnIndex Column,
                                                      TVTCellContentMarginType CellContentMarginType,
                                                      TCanvas* Canvas) {
  TPoint margin(0, 0);
  if (!Canvas) Canvas = this->Canvas();
  if (Assigned(FOnGetCellContentMargin))
    FOnGetCellContentMargin(this, Canvas, Node, Column, CellContentMarginType, margin);
  return margin;
}

}  // namespace qn

QN_PUBLISHED_IMPL(qn::TLazyDrawTree_qn)
