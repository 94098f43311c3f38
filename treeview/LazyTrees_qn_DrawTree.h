// The owner-draw tree: the application paints every cell itself and says
// how wide a node is and what margin a cell's content keeps, through three
// events; the tree adds no text model.
#pragma once
#include "platform/rtl/MacroShield.h"

#include "treeview/LazyTrees_qn.h"

namespace qn {

using TVTDrawNodeEvent = TEvent<void(TBaseLazyTree_qn* Sender, const TVTPaintInfo& PaintInfo)>;
using TVTGetCellContentMarginEvent =
    TEvent<void(TBaseLazyTree_qn* Sender, TCanvas* TargetCanvas, PLazyNode Node, TColumnIndex Column,
                TVTCellContentMarginType CellContentMarginType, TPoint& CellContentMargin)>;
using TVTGetNodeWidthEvent =
    TEvent<void(TBaseLazyTree_qn* Sender, TCanvas* TargetCanvas, PLazyNode Node, TColumnIndex Column,
                Integer& NodeWidth)>;

class TCustomLazyDrawTree_qn : public TBaseLazyTree_qn {
  QN_CLASS(TCustomLazyDrawTree_qn, TBaseLazyTree_qn)
 public:
  explicit TCustomLazyDrawTree_qn(TComponent* AOwner) : TBaseLazyTree_qn(AOwner) {}
  TVTHintKind GetDefaultHintKind() const override { return vhkOwnerDraw; }

  const TVTDrawNodeEvent& OnDrawNode() const { return FOnDrawNode; }
  void SetOnDrawNode(const TVTDrawNodeEvent& Value) { FOnDrawNode = Value; }
  const TVTGetCellContentMarginEvent& OnGetCellContentMargin() const { return FOnGetCellContentMargin; }
  void SetOnGetCellContentMargin(const TVTGetCellContentMarginEvent& Value) { FOnGetCellContentMargin = Value; }
  const TVTGetNodeWidthEvent& OnGetNodeWidth() const { return FOnGetNodeWidth; }
  void SetOnGetNodeWidth(const TVTGetNodeWidthEvent& Value) { FOnGetNodeWidth = Value; }

 protected:
  TVTDrawNodeEvent FOnDrawNode;
  TVTGetCellContentMarginEvent FOnGetCellContentMargin;
  TVTGetNodeWidthEvent FOnGetNodeWidth;
  TPoint DoGetCellContentMargin(PLazyNode Node, TColumnIndex Column,
                                TVTCellContentMarginType CellContentMarginType = ccmtAllSides,
                                TCanvas* Canvas = nullptr) override;
  Integer DoGetNodeWidth(PLazyNode Node, TColumnIndex Column, TCanvas* Canvas = nullptr) override;
  void DoPaintNode(TVTPaintInfo& PaintInfo) override;
};

}  // namespace qn

#include "treeview/LazyTrees_qn_Published.h"

namespace qn {

// The published owner-draw tree.
class TLazyDrawTree_qn : public TCustomLazyDrawTree_qn {
  QN_CLASS_CREATE(TLazyDrawTree_qn, TCustomLazyDrawTree_qn, TComponent)
 public:
  explicit TLazyDrawTree_qn(TComponent* AOwner) : TCustomLazyDrawTree_qn(AOwner) { TreeOptions(); }
  TLazyTreeOptions* TreeOptions() const { return static_cast<TLazyTreeOptions*>(inherited::TreeOptions()); }
  void SetTreeOptions(TLazyTreeOptions* Value) { inherited::TreeOptions()->Assign(Value); }
  TTreeOptionsClass GetOptionsClass() const override { return TLazyTreeOptions::StaticClass(); }

  QN_PUBLISHED_DECL(TLazyDrawTree_qn) { PublishLazyTree<TLazyDrawTree_qn>(P); }
};

}  // namespace qn

#include "platform/rtl/MacroShieldEnd.h"
