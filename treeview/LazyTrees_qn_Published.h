// The published properties and events of the string tree and the owner-draw
// tree. Both publish one list in one order (which is also the order form
// files hold them in); the draw tree leaves out the text properties and
// events, takes its own two events and swaps two pairs of events.
#pragma once
#include "platform/rtl/MacroShield.h"

#include "platform/vcl/Menus.h"
#include "treeview/LazyTrees_qn.h"
#include "treeview/LazyTrees_qn_Appearance.h"

namespace qn {

class TCustomLazyDrawTree_qn;

template <class C>
void PublishLazyTree(TPublisher<C>& P) {
  constexpr bool Draw = std::is_base_of_v<TCustomLazyDrawTree_qn, C>;
#define QN_TREE_PROP(Name) P.Property(u"" #Name, &C::Name, &C::Set##Name)
// Events held as members; those behind a field and accessors are published
// as the class library's control events are.
#define QN_TREE_EVENT(Name) \
  P.Property(u"" #Name, &C::template GetPublishedEvent<&C::Name>, &C::template SetPublishedEvent<&C::Name>)
#define QN_CONTROL_EVENT(Name) P.Property(u"" #Name, &C::Name, &C::Set##Name)
  if constexpr (!Draw) QN_TREE_PROP(AccessibleName);
  QN_TREE_PROP(Action);
  QN_TREE_PROP(Align).Default(alNone);
  QN_TREE_PROP(Alignment).Default(taLeftJustify);
  QN_TREE_PROP(Anchors).Default(TAnchors{akLeft, akTop});
  QN_TREE_PROP(AnimationDuration).Default(200);
  QN_TREE_PROP(AutoExpandDelay).Default(1000);
  QN_TREE_PROP(AutoScrollDelay).Default(1000);
  QN_TREE_PROP(AutoScrollInterval).Default(1);
  QN_TREE_PROP(Background);
  QN_TREE_PROP(BackgroundOffsetX).Default(0);
  QN_TREE_PROP(BackgroundOffsetY).Default(0);
  QN_TREE_PROP(BiDiMode).Stored(&TBaseLazyTree_qn::IsBiDiModeStored);
  QN_TREE_PROP(BevelEdges).Default(TBevelEdges{beLeft, beTop, beRight, beBottom});
  QN_TREE_PROP(BevelInner).Default(bvRaised);
  QN_TREE_PROP(BevelOuter).Default(bvLowered);
  QN_TREE_PROP(BevelKind).Default(bkNone);
  QN_TREE_PROP(BevelWidth).Default(1);
  QN_TREE_PROP(BorderStyle).Default(bsSingle);
  QN_TREE_PROP(BottomSpace).Default(0);
  QN_TREE_PROP(ButtonFillMode).Default(fmTreeColor);
  QN_TREE_PROP(ButtonStyle).Default(bsRectangle);
  QN_TREE_PROP(BorderWidth).Default(0);
  QN_TREE_PROP(ChangeDelay).Default(0);
  QN_TREE_PROP(CheckImageKind).Default(ckSystemDefault);
  QN_TREE_PROP(ClipboardFormats);
  QN_TREE_PROP(Color).TypeName(u"TColor").Default(clWindow).Stored(&TBaseLazyTree_qn::IsColorStored);
  QN_TREE_PROP(Colors);
  QN_TREE_PROP(Constraints);
  QN_TREE_PROP(Ctl3D).Stored(&TBaseLazyTree_qn::IsCtl3DStored);
  QN_TREE_PROP(CustomCheckImages);
  QN_TREE_PROP(DefaultNodeHeight).Default(18);
  QN_TREE_PROP(DefaultPasteMode).Default(amAddChildLast);
  // Stored as "WideDefaultText" by DefineProperties.
  if constexpr (!Draw) QN_TREE_PROP(DefaultText).Stored(false);
  QN_TREE_PROP(DragCursor).TypeName(u"TCursor").Default(crDrag);
  QN_TREE_PROP(DragHeight).Default(350);
  QN_TREE_PROP(DragKind).Default(dkDrag);
  QN_TREE_PROP(DragImageKind).Default(diComplete);
  QN_TREE_PROP(DragMode).Default(dmManual);
  QN_TREE_PROP(DragOperations).Default(TDragOperations{doCopy, doMove});
  QN_TREE_PROP(DragType).Default(dtOLE);
  QN_TREE_PROP(DragWidth).Default(200);
  QN_TREE_PROP(DrawSelectionMode).Default(smDottedRectangle);
  QN_TREE_PROP(EditDelay).Default(1000);
  if constexpr (!Draw) QN_TREE_PROP(EmptyListMessage);
  QN_TREE_PROP(Enabled).Default(true);
  QN_TREE_PROP(Font).Stored(&TBaseLazyTree_qn::IsFontStored);
  QN_TREE_PROP(Header);
  QN_TREE_PROP(HintAnimation).Default(hatSystemDefault);
  QN_TREE_PROP(HintMode).Default(hmDefault);
  QN_TREE_PROP(HotCursor).TypeName(u"TCursor").Default(crDefault);
  QN_TREE_PROP(Images);
  QN_TREE_PROP(IncrementalSearch).Default(TVTIncrementalSearch::isNone);
  QN_TREE_PROP(IncrementalSearchDirection).Default(sdForward);
  QN_TREE_PROP(IncrementalSearchStart).Default(ssFocusedNode);
  QN_TREE_PROP(IncrementalSearchTimeout).Default(1000);
  QN_TREE_PROP(Indent).Default(18);
  QN_TREE_PROP(LineMode).Default(lmNormal);
  QN_TREE_PROP(LineStyle).Default(lsDotted);
  QN_TREE_PROP(Margin).Default(4);
  QN_TREE_PROP(NodeAlignment).Default(naProportional);
  QN_TREE_PROP(NodeDataSize).Default(-1);
  // Read-only: a state of the running tree, never written.
  P.Property(u"OperationCanceled", &C::OperationCanceled, nullptr).Stored(false);
  QN_TREE_PROP(ParentBiDiMode).Default(true);
  QN_TREE_PROP(ParentColor).Default(false);
  QN_TREE_PROP(ParentCtl3D).Default(true);
  QN_TREE_PROP(ParentFont).Default(true);
  QN_TREE_PROP(ParentShowHint).Default(true);
  P.Property(u"PopupMenu", &C::PopupMenu, &C::template SetPopupMenu<TPopupMenu>);
  QN_TREE_PROP(RootNodeCount).Default(0);
  QN_TREE_PROP(ScrollBarOptions);
  QN_TREE_PROP(SelectionBlendFactor).Default(128);
  QN_TREE_PROP(SelectionCurveRadius).Default(0);
  QN_TREE_PROP(ShowHint).Stored(&TBaseLazyTree_qn::IsShowHintStored);
  QN_TREE_PROP(StateImages);
  QN_TREE_PROP(TabOrder).Default(-1);
  QN_TREE_PROP(TabStop).Default(true);
  QN_TREE_PROP(TextMargin).Default(4);
  QN_TREE_PROP(TreeOptions);
  P.Property(u"Visible", &TControl::Visible, &TControl::SetVisible).Default(true);
  QN_TREE_PROP(WantTabs).Default(false);

  QN_TREE_EVENT(OnAddToSelection);
  QN_TREE_EVENT(OnAdvancedHeaderDraw);
  QN_TREE_EVENT(OnAfterAutoFitColumn);
  QN_TREE_EVENT(OnAfterAutoFitColumns);
  QN_TREE_EVENT(OnAfterCellPaint);
  QN_TREE_EVENT(OnAfterColumnExport);
  QN_TREE_EVENT(OnAfterColumnWidthTracking);
  QN_TREE_EVENT(OnAfterGetMaxColumnWidth);
  QN_TREE_EVENT(OnAfterHeaderExport);
  QN_TREE_EVENT(OnAfterHeaderHeightTracking);
  QN_TREE_EVENT(OnAfterItemErase);
  QN_TREE_EVENT(OnAfterItemPaint);
  QN_TREE_EVENT(OnAfterNodeExport);
  QN_TREE_EVENT(OnAfterPaint);
  QN_TREE_EVENT(OnAfterTreeExport);
  QN_TREE_EVENT(OnBeforeAutoFitColumn);
  QN_TREE_EVENT(OnBeforeAutoFitColumns);
  QN_TREE_EVENT(OnBeforeCellPaint);
  QN_TREE_EVENT(OnBeforeColumnExport);
  QN_TREE_EVENT(OnBeforeColumnWidthTracking);
  QN_CONTROL_EVENT(OnBeforeDrawTreeLine);
  QN_TREE_EVENT(OnBeforeGetMaxColumnWidth);
  QN_TREE_EVENT(OnBeforeHeaderExport);
  QN_TREE_EVENT(OnBeforeHeaderHeightTracking);
  QN_TREE_EVENT(OnBeforeItemErase);
  QN_TREE_EVENT(OnBeforeItemPaint);
  QN_TREE_EVENT(OnBeforeNodeExport);
  QN_TREE_EVENT(OnBeforePaint);
  QN_TREE_EVENT(OnBeforeTreeExport);
  QN_TREE_EVENT(OnCanSplitterResizeColumn);
  QN_TREE_EVENT(OnCanSplitterResizeHeader);
  QN_TREE_EVENT(OnCanSplitterResizeNode);
  QN_TREE_EVENT(OnChange);
  QN_TREE_EVENT(OnChecked);
  QN_TREE_EVENT(OnChecking);
  QN_CONTROL_EVENT(OnClick);
  QN_TREE_EVENT(OnCollapsed);
  QN_TREE_EVENT(OnCollapsing);
  QN_TREE_EVENT(OnColumnClick);
  QN_TREE_EVENT(OnColumnDblClick);
  QN_TREE_EVENT(OnColumnExport);
  QN_TREE_EVENT(OnColumnResize);
  QN_TREE_EVENT(OnColumnWidthDblClickResize);
  QN_TREE_EVENT(OnColumnWidthTracking);
  QN_TREE_EVENT(OnCompareNodes);
  QN_CONTROL_EVENT(OnContextPopup);
  QN_TREE_EVENT(OnCreateDataObject);
  QN_TREE_EVENT(OnCreateDragManager);
  QN_CONTROL_EVENT(OnCreateEditor);
  QN_CONTROL_EVENT(OnDblClick);
  QN_TREE_EVENT(OnDragAllowed);
  QN_TREE_EVENT(OnDragOver);
  QN_TREE_EVENT(OnDragDrop);
  QN_TREE_EVENT(OnDrawHint);
  if constexpr (Draw) QN_CONTROL_EVENT(OnDrawNode);
  if constexpr (!Draw) QN_CONTROL_EVENT(OnDrawText);
  if constexpr (!Draw) QN_CONTROL_EVENT(OnEditCancelled);
  QN_CONTROL_EVENT(OnEdited);
  QN_CONTROL_EVENT(OnEditing);
  QN_CONTROL_EVENT(OnEndDock);
  QN_CONTROL_EVENT(OnEndDrag);
  QN_TREE_EVENT(OnEndOperation);
  QN_CONTROL_EVENT(OnEnter);
  QN_CONTROL_EVENT(OnExit);
  QN_TREE_EVENT(OnExpanded);
  QN_TREE_EVENT(OnExpanding);
  QN_TREE_EVENT(OnFocusChanged);
  QN_TREE_EVENT(OnFocusChanging);
  QN_TREE_EVENT(OnFreeNode);
  QN_TREE_EVENT(OnGetCellIsEmpty);
  QN_TREE_EVENT(OnGetCursor);
  QN_TREE_EVENT(OnGetHeaderCursor);
  if constexpr (!Draw) QN_CONTROL_EVENT(OnGetText);
  if constexpr (!Draw) QN_CONTROL_EVENT(OnPaintText);
  QN_CONTROL_EVENT(OnGetHelpContext);
  QN_TREE_EVENT(OnGetHintKind);
  QN_TREE_EVENT(OnGetHintSize);
  QN_CONTROL_EVENT(OnGetImageIndex);
  QN_CONTROL_EVENT(OnGetImageIndexEx);
  if constexpr (!Draw) QN_TREE_EVENT(OnGetImageText);
  if constexpr (!Draw) QN_CONTROL_EVENT(OnGetHint);
  QN_TREE_EVENT(OnGetLineStyle);
  QN_TREE_EVENT(OnGetNodeDataSize);
  if constexpr (Draw) QN_CONTROL_EVENT(OnGetNodeWidth);
  QN_TREE_EVENT(OnGetPopupMenu);
  QN_TREE_EVENT(OnGetUserClipboardFormats);
  QN_TREE_EVENT(OnHeaderClick);
  QN_TREE_EVENT(OnHeaderDblClick);
  QN_TREE_EVENT(OnHeaderDragged);
  QN_TREE_EVENT(OnHeaderDraggedOut);
  QN_TREE_EVENT(OnHeaderDragging);
  QN_TREE_EVENT(OnHeaderDraw);
  QN_TREE_EVENT(OnHeaderDrawQueryElements);
  if constexpr (Draw) {
    QN_TREE_EVENT(OnHeaderHeightTracking);
    QN_TREE_EVENT(OnHeaderHeightDblClickResize);
  } else {
    QN_TREE_EVENT(OnHeaderHeightDblClickResize);
    QN_TREE_EVENT(OnHeaderHeightTracking);
  }
  QN_TREE_EVENT(OnHeaderMouseDown);
  QN_TREE_EVENT(OnHeaderMouseMove);
  QN_TREE_EVENT(OnHeaderMouseUp);
  QN_TREE_EVENT(OnHotChange);
  QN_TREE_EVENT(OnIncrementalSearch);
  QN_TREE_EVENT(OnInitChildren);
  QN_TREE_EVENT(OnInitNode);
  QN_CONTROL_EVENT(OnKeyAction);
  QN_CONTROL_EVENT(OnKeyDown);
  QN_CONTROL_EVENT(OnKeyPress);
  QN_CONTROL_EVENT(OnKeyUp);
  QN_TREE_EVENT(OnLoadNode);
  QN_TREE_EVENT(OnLoadTree);
  QN_TREE_EVENT(OnMeasureItem);
  if constexpr (!Draw) QN_CONTROL_EVENT(OnMeasureTextWidth);
  if constexpr (!Draw) QN_CONTROL_EVENT(OnMeasureTextHeight);
  QN_CONTROL_EVENT(OnMouseDown);
  QN_CONTROL_EVENT(OnMouseMove);
  QN_CONTROL_EVENT(OnMouseUp);
  QN_CONTROL_EVENT(OnMouseWheel);
  if constexpr (!Draw) QN_CONTROL_EVENT(OnMouseEnter);
  if constexpr (!Draw) QN_CONTROL_EVENT(OnMouseLeave);
  if constexpr (!Draw) QN_CONTROL_EVENT(OnNewText);
  QN_TREE_EVENT(OnNodeClick);
  QN_TREE_EVENT(OnNodeCopied);
  QN_TREE_EVENT(OnNodeCopying);
  QN_TREE_EVENT(OnNodeDblClick);
  QN_TREE_EVENT(OnNodeExport);
  if constexpr (Draw) {
    QN_TREE_EVENT(OnNodeHeightTracking);
    QN_TREE_EVENT(OnNodeHeightDblClickResize);
  } else {
    QN_TREE_EVENT(OnNodeHeightDblClickResize);
    QN_TREE_EVENT(OnNodeHeightTracking);
  }
  QN_TREE_EVENT(OnNodeMoved);
  QN_TREE_EVENT(OnNodeMoving);
  QN_TREE_EVENT(OnPaintBackground);
  QN_TREE_EVENT(OnRemoveFromSelection);
  QN_TREE_EVENT(OnRenderOLEData);
  QN_TREE_EVENT(OnResetNode);
  QN_CONTROL_EVENT(OnResize);
  QN_TREE_EVENT(OnSaveNode);
  QN_TREE_EVENT(OnSaveTree);
  QN_TREE_EVENT(OnScroll);
  if constexpr (!Draw) QN_CONTROL_EVENT(OnShortenString);
  QN_TREE_EVENT(OnShowScrollbar);
  QN_CONTROL_EVENT(OnStartDock);
  QN_CONTROL_EVENT(OnStartDrag);
  QN_TREE_EVENT(OnStartOperation);
  QN_TREE_EVENT(OnStateChange);
  QN_TREE_EVENT(OnStructureChange);
  QN_TREE_EVENT(OnUpdating);
#undef QN_TREE_PROP
#undef QN_TREE_EVENT
#undef QN_CONTROL_EVENT
}

}  // namespace qn

#include "platform/rtl/MacroShieldEnd.h"
