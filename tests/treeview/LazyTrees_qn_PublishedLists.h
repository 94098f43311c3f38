// The published lists of the string and draw trees as the form files of
// existing projects hold them, in declaration order.
#pragma once

#include <vector>

#include "platform/classes/PropInfo.h"
#include "platform/rtl/SysUtils.h"

namespace publishedlists {

inline std::vector<vcl::String> StringTreeProperties() {
  return {
      u"AccessibleName", u"Action", u"Align", u"Alignment", u"Anchors", u"AnimationDuration",
      u"AutoExpandDelay", u"AutoScrollDelay", u"AutoScrollInterval", u"Background", u"BackgroundOffsetX",
      u"BackgroundOffsetY", u"BiDiMode", u"BevelEdges", u"BevelInner", u"BevelOuter", u"BevelKind",
      u"BevelWidth", u"BorderStyle", u"BottomSpace", u"ButtonFillMode", u"ButtonStyle", u"BorderWidth",
      u"ChangeDelay", u"CheckImageKind", u"ClipboardFormats", u"Color", u"Colors", u"Constraints", u"Ctl3D",
      u"CustomCheckImages", u"DefaultNodeHeight", u"DefaultPasteMode", u"DefaultText", u"DragCursor",
      u"DragHeight", u"DragKind", u"DragImageKind", u"DragMode", u"DragOperations", u"DragType",
      u"DragWidth", u"DrawSelectionMode", u"EditDelay", u"EmptyListMessage", u"Enabled", u"Font", u"Header",
      u"HintAnimation", u"HintMode", u"HotCursor", u"Images", u"IncrementalSearch",
      u"IncrementalSearchDirection", u"IncrementalSearchStart", u"IncrementalSearchTimeout", u"Indent",
      u"LineMode", u"LineStyle", u"Margin", u"NodeAlignment", u"NodeDataSize", u"OperationCanceled",
      u"ParentBiDiMode", u"ParentColor", u"ParentCtl3D", u"ParentFont", u"ParentShowHint", u"PopupMenu",
      u"RootNodeCount", u"ScrollBarOptions", u"SelectionBlendFactor", u"SelectionCurveRadius", u"ShowHint",
      u"StateImages", u"TabOrder", u"TabStop", u"TextMargin", u"TreeOptions", u"Visible", u"WantTabs"};
}

inline std::vector<vcl::String> StringTreeEvents() {
  return {
      u"OnAddToSelection", u"OnAdvancedHeaderDraw", u"OnAfterAutoFitColumn", u"OnAfterAutoFitColumns",
      u"OnAfterCellPaint", u"OnAfterColumnExport", u"OnAfterColumnWidthTracking",
      u"OnAfterGetMaxColumnWidth", u"OnAfterHeaderExport", u"OnAfterHeaderHeightTracking",
      u"OnAfterItemErase", u"OnAfterItemPaint", u"OnAfterNodeExport", u"OnAfterPaint", u"OnAfterTreeExport",
      u"OnBeforeAutoFitColumn", u"OnBeforeAutoFitColumns", u"OnBeforeCellPaint", u"OnBeforeColumnExport",
      u"OnBeforeColumnWidthTracking", u"OnBeforeDrawTreeLine", u"OnBeforeGetMaxColumnWidth",
      u"OnBeforeHeaderExport", u"OnBeforeHeaderHeightTracking", u"OnBeforeItemErase", u"OnBeforeItemPaint",
      u"OnBeforeNodeExport", u"OnBeforePaint", u"OnBeforeTreeExport", u"OnCanSplitterResizeColumn",
      u"OnCanSplitterResizeHeader", u"OnCanSplitterResizeNode", u"OnChange", u"OnChecked", u"OnChecking",
      u"OnClick", u"OnCollapsed", u"OnCollapsing", u"OnColumnClick", u"OnColumnDblClick", u"OnColumnExport",
      u"OnColumnResize", u"OnColumnWidthDblClickResize", u"OnColumnWidthTracking", u"OnCompareNodes",
      u"OnContextPopup", u"OnCreateDataObject", u"OnCreateDragManager", u"OnCreateEditor", u"OnDblClick",
      u"OnDragAllowed", u"OnDragOver", u"OnDragDrop", u"OnDrawHint", u"OnDrawText", u"OnEditCancelled",
      u"OnEdited", u"OnEditing", u"OnEndDock", u"OnEndDrag", u"OnEndOperation", u"OnEnter", u"OnExit",
      u"OnExpanded", u"OnExpanding", u"OnFocusChanged", u"OnFocusChanging", u"OnFreeNode",
      u"OnGetCellIsEmpty", u"OnGetCursor", u"OnGetHeaderCursor", u"OnGetText", u"OnPaintText",
      u"OnGetHelpContext", u"OnGetHintKind", u"OnGetHintSize", u"OnGetImageIndex", u"OnGetImageIndexEx",
      u"OnGetImageText", u"OnGetHint", u"OnGetLineStyle", u"OnGetNodeDataSize", u"OnGetPopupMenu",
      u"OnGetUserClipboardFormats", u"OnHeaderClick", u"OnHeaderDblClick", u"OnHeaderDragged",
      u"OnHeaderDraggedOut", u"OnHeaderDragging", u"OnHeaderDraw", u"OnHeaderDrawQueryElements",
      u"OnHeaderHeightDblClickResize", u"OnHeaderHeightTracking", u"OnHeaderMouseDown", u"OnHeaderMouseMove",
      u"OnHeaderMouseUp", u"OnHotChange", u"OnIncrementalSearch", u"OnInitChildren", u"OnInitNode",
      u"OnKeyAction", u"OnKeyDown", u"OnKeyPress", u"OnKeyUp", u"OnLoadNode", u"OnLoadTree",
      u"OnMeasureItem", u"OnMeasureTextWidth", u"OnMeasureTextHeight", u"OnMouseDown", u"OnMouseMove",
      u"OnMouseUp", u"OnMouseWheel", u"OnMouseEnter", u"OnMouseLeave", u"OnNewText", u"OnNodeClick",
      u"OnNodeCopied", u"OnNodeCopying", u"OnNodeDblClick", u"OnNodeExport", u"OnNodeHeightDblClickResize",
      u"OnNodeHeightTracking", u"OnNodeMoved", u"OnNodeMoving", u"OnPaintBackground",
      u"OnRemoveFromSelection", u"OnRenderOLEData", u"OnResetNode", u"OnResize", u"OnSaveNode",
      u"OnSaveTree", u"OnScroll", u"OnShortenString", u"OnShowScrollbar", u"OnStartDock", u"OnStartDrag",
      u"OnStartOperation", u"OnStateChange", u"OnStructureChange", u"OnUpdating"};
}

inline std::vector<vcl::String> DrawTreeProperties() {
  return {
      u"Action", u"Align", u"Alignment", u"Anchors", u"AnimationDuration", u"AutoExpandDelay",
      u"AutoScrollDelay", u"AutoScrollInterval", u"Background", u"BackgroundOffsetX", u"BackgroundOffsetY",
      u"BiDiMode", u"BevelEdges", u"BevelInner", u"BevelOuter", u"BevelKind", u"BevelWidth", u"BorderStyle",
      u"BottomSpace", u"ButtonFillMode", u"ButtonStyle", u"BorderWidth", u"ChangeDelay", u"CheckImageKind",
      u"ClipboardFormats", u"Color", u"Colors", u"Constraints", u"Ctl3D", u"CustomCheckImages",
      u"DefaultNodeHeight", u"DefaultPasteMode", u"DragCursor", u"DragHeight", u"DragKind", u"DragImageKind",
      u"DragMode", u"DragOperations", u"DragType", u"DragWidth", u"DrawSelectionMode", u"EditDelay",
      u"Enabled", u"Font", u"Header", u"HintAnimation", u"HintMode", u"HotCursor", u"Images",
      u"IncrementalSearch", u"IncrementalSearchDirection", u"IncrementalSearchStart",
      u"IncrementalSearchTimeout", u"Indent", u"LineMode", u"LineStyle", u"Margin", u"NodeAlignment",
      u"NodeDataSize", u"OperationCanceled", u"ParentBiDiMode", u"ParentColor", u"ParentCtl3D",
      u"ParentFont", u"ParentShowHint", u"PopupMenu", u"RootNodeCount", u"ScrollBarOptions",
      u"SelectionBlendFactor", u"SelectionCurveRadius", u"ShowHint", u"StateImages", u"TabOrder", u"TabStop",
      u"TextMargin", u"TreeOptions", u"Visible", u"WantTabs"};
}

inline std::vector<vcl::String> DrawTreeEvents() {
  return {
      u"OnAddToSelection", u"OnAdvancedHeaderDraw", u"OnAfterAutoFitColumn", u"OnAfterAutoFitColumns",
      u"OnAfterCellPaint", u"OnAfterColumnExport", u"OnAfterColumnWidthTracking",
      u"OnAfterGetMaxColumnWidth", u"OnAfterHeaderExport", u"OnAfterHeaderHeightTracking",
      u"OnAfterItemErase", u"OnAfterItemPaint", u"OnAfterNodeExport", u"OnAfterPaint", u"OnAfterTreeExport",
      u"OnBeforeAutoFitColumn", u"OnBeforeAutoFitColumns", u"OnBeforeCellPaint", u"OnBeforeColumnExport",
      u"OnBeforeColumnWidthTracking", u"OnBeforeDrawTreeLine", u"OnBeforeGetMaxColumnWidth",
      u"OnBeforeHeaderExport", u"OnBeforeHeaderHeightTracking", u"OnBeforeItemErase", u"OnBeforeItemPaint",
      u"OnBeforeNodeExport", u"OnBeforePaint", u"OnBeforeTreeExport", u"OnCanSplitterResizeColumn",
      u"OnCanSplitterResizeHeader", u"OnCanSplitterResizeNode", u"OnChange", u"OnChecked", u"OnChecking",
      u"OnClick", u"OnCollapsed", u"OnCollapsing", u"OnColumnClick", u"OnColumnDblClick", u"OnColumnExport",
      u"OnColumnResize", u"OnColumnWidthDblClickResize", u"OnColumnWidthTracking", u"OnCompareNodes",
      u"OnContextPopup", u"OnCreateDataObject", u"OnCreateDragManager", u"OnCreateEditor", u"OnDblClick",
      u"OnDragAllowed", u"OnDragOver", u"OnDragDrop", u"OnDrawHint", u"OnDrawNode", u"OnEdited",
      u"OnEditing", u"OnEndDock", u"OnEndDrag", u"OnEndOperation", u"OnEnter", u"OnExit", u"OnExpanded",
      u"OnExpanding", u"OnFocusChanged", u"OnFocusChanging", u"OnFreeNode", u"OnGetCellIsEmpty",
      u"OnGetCursor", u"OnGetHeaderCursor", u"OnGetHelpContext", u"OnGetHintKind", u"OnGetHintSize",
      u"OnGetImageIndex", u"OnGetImageIndexEx", u"OnGetLineStyle", u"OnGetNodeDataSize", u"OnGetNodeWidth",
      u"OnGetPopupMenu", u"OnGetUserClipboardFormats", u"OnHeaderClick", u"OnHeaderDblClick",
      u"OnHeaderDragged", u"OnHeaderDraggedOut", u"OnHeaderDragging", u"OnHeaderDraw",
      u"OnHeaderDrawQueryElements", u"OnHeaderHeightTracking", u"OnHeaderHeightDblClickResize",
      u"OnHeaderMouseDown", u"OnHeaderMouseMove", u"OnHeaderMouseUp", u"OnHotChange", u"OnIncrementalSearch",
      u"OnInitChildren", u"OnInitNode", u"OnKeyAction", u"OnKeyDown", u"OnKeyPress", u"OnKeyUp",
      u"OnLoadNode", u"OnLoadTree", u"OnMeasureItem", u"OnMouseDown", u"OnMouseMove", u"OnMouseUp",
      u"OnMouseWheel", u"OnNodeClick", u"OnNodeCopied", u"OnNodeCopying", u"OnNodeDblClick", u"OnNodeExport",
      u"OnNodeHeightTracking", u"OnNodeHeightDblClickResize", u"OnNodeMoved", u"OnNodeMoving",
      u"OnPaintBackground", u"OnRemoveFromSelection", u"OnRenderOLEData", u"OnResetNode", u"OnResize",
      u"OnSaveNode", u"OnSaveTree", u"OnScroll", u"OnShowScrollbar", u"OnStartDock", u"OnStartDrag",
      u"OnStartOperation", u"OnStateChange", u"OnStructureChange", u"OnUpdating"};
}

// The names of the properties (or the events) that Declaring publishes
// itself, in the order of the object's published list.
inline std::vector<vcl::String> OwnNames(const vcl::TObject* Instance, vcl::TClass Declaring, bool Events) {
  std::vector<vcl::String> names;
  for (const vcl::TPropInfo* p : vcl::GetPropInfos(Instance))
    if (p->DeclaringClass() == Declaring && (p->Kind() == vcl::tkMethod) == Events) names.push_back(p->Name());
  return names;
}

}  // namespace publishedlists
