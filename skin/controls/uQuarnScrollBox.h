// uQuarnScrollBox: a see-through panel whose children form an area larger
// than itself. It has no native scroll bars at all: the ranges come from the
// extents of the visible children, two external skinned bars show them, and
// scrolling moves the child windows by the difference between a bar's new
// position and the one the children were last moved to.
#pragma once
#include "platform/rtl/MacroShield.h"

#include "platform/vcl/Menus.h"
#include "skin/controls/uQuarnPanel.h"
#include "skin/controls/uQuarnScrollBar.h"

namespace qn {

class TQuarnScrollBox : public TQuarnPanel {
  QN_CLASS_CREATE(TQuarnScrollBox, TQuarnPanel, TComponent)
 public:
  explicit TQuarnScrollBox(TComponent* AOwner);
  ~TQuarnScrollBox() override;

  TQuarnScrollBar* VScrollBar() const { return FVScrollBar; }
  void SetVScrollBar(TQuarnScrollBar* Value);
  TQuarnScrollBar* HScrollBar() const { return FHScrollBar; }
  void SetHScrollBar(TQuarnScrollBar* Value);
  bool CanFocused() const { return FCanFocused; }
  void SetCanFocused(bool Value) { FCanFocused = Value; }

  // Horizontal range, then vertical.
  void UpDateScrollRange();
  // One pixel taller and back, which lays everything out again.
  void ReChange();
  // Scroll to Pos through the bar; its change moves the children.
  void HScroll(Integer Pos);
  void VScroll(Integer Pos);
  // Brings a child's rectangle into view, its top-left corner first when it
  // is larger than the box.
  void ScrollToControl(TControl* Control);

  void SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight) override;
  void AdjustClientRect(TRect& Rect) override;
  void WndProc(TMessage& Message) override;
  void Dispatch(TMessage& Message) override;

  // Where the children are scrolled to and the growth of the last resize.
  Integer OldHScrollBarPos() const { return FOldHScrollBarPos; }
  Integer OldVScrollBarPos() const { return FOldVScrollBarPos; }
  Integer HSizeOffset() const { return FHSizeOffset; }
  Integer VSizeOffset() const { return FVSizeOffset; }

  QN_PUBLISHED_DECL(TQuarnScrollBox) {
    QN_PROP(VScrollBar);
    QN_PROP(HScrollBar);
    QN_PROP(CanFocused).Default(false);
    QN_PROP(Color).TypeName(u"TColor").Default(static_cast<TColor>(0xFFFFFF));
    QN_PROP(Alpha).Default(0);
    QN_PROP(BorderSides).Default(TSides{});
    P.Property(u"Align", &TControl::Align, &TControl::SetAlign).Default(alNone);
    P.Property(u"Enabled", &TControl::Enabled, &TControl::SetEnabled).Default(true);
    P.Property(u"Visible", &TControl::Visible, &TControl::SetVisible).Default(true);
    P.Property(u"TabOrder", &TWinControl::TabOrder, &TWinControl::SetTabOrder).Default(-1);
    P.Property(u"TabStop", &TWinControl::TabStop, &TWinControl::SetTabStop).Default(false);
    P.Property(u"DockSite", &TWinControl::DockSite, &TWinControl::SetDockSite).Default(false);
    P.Property(u"DragCursor", &TControl::DragCursor, &TControl::SetDragCursor).Default(crDrag);
    P.Property(u"DragKind", &TControl::DragKind, &TControl::SetDragKind).Default(dkDrag);
    P.Property(u"DragMode", &TControl::DragMode, &TControl::SetDragMode).Default(dmManual);
    P.Property(u"PopupMenu", &TControl::PopupMenu, &TControl::SetPopupMenu<TPopupMenu>);
    P.Property(u"ShowHint", &TControl::ShowHint, &TControl::SetShowHint).Stored(&TControl::IsShowHintStored).Default(false);
    P.Property(u"ParentShowHint", &TControl::ParentShowHint, &TControl::SetParentShowHint).Default(true);
    P.Property(u"OnCanResize", &TControl::OnCanResize, &TControl::SetOnCanResize);
    P.Property(u"OnClick", &TControl::OnClick, &TControl::SetOnClick);
    P.Property(u"OnConstrainedResize", &TControl::OnConstrainedResize, &TControl::SetOnConstrainedResize);
    P.Property(u"OnDockDrop", &TWinControl::OnDockDrop, &TWinControl::SetOnDockDrop);
    P.Property(u"OnDockOver", &TWinControl::OnDockOver, &TWinControl::SetOnDockOver);
    P.Property(u"OnDblClick", &TControl::OnDblClick, &TControl::SetOnDblClick);
    P.Property(u"OnDragDrop", &TControl::OnDragDrop, &TControl::SetOnDragDrop);
    P.Property(u"OnDragOver", &TControl::OnDragOver, &TControl::SetOnDragOver);
    P.Property(u"OnEndDock", &TControl::OnEndDock, &TControl::SetOnEndDock);
    P.Property(u"OnEndDrag", &TControl::OnEndDrag, &TControl::SetOnEndDrag);
    P.Property(u"OnEnter", &TWinControl::OnEnter, &TWinControl::SetOnEnter);
    P.Property(u"OnExit", &TWinControl::OnExit, &TWinControl::SetOnExit);
    P.Property(u"OnGetSiteInfo", &TWinControl::OnGetSiteInfo, &TWinControl::SetOnGetSiteInfo);
    P.Property(u"OnMouseDown", &TControl::OnMouseDown, &TControl::SetOnMouseDown);
    P.Property(u"OnMouseMove", &TControl::OnMouseMove, &TControl::SetOnMouseMove);
    P.Property(u"OnMouseUp", &TControl::OnMouseUp, &TControl::SetOnMouseUp);
    P.Property(u"OnResize", &TControl::OnResize, &TControl::SetOnResize);
    P.Property(u"OnStartDock", &TControl::OnStartDock, &TControl::SetOnStartDock);
    P.Property(u"OnStartDrag", &TControl::OnStartDrag, &TControl::SetOnStartDrag);
    P.Property(u"OnUnDock", &TWinControl::OnUnDock, &TWinControl::SetOnUnDock);
    P.Property(u"OnMouseWheel", &TControl::OnMouseWheel, &TControl::SetOnMouseWheel);
    P.Property(u"OnMouseWheelDown", &TControl::OnMouseWheelDown, &TControl::SetOnMouseWheelDown);
    P.Property(u"OnMouseWheelUp", &TControl::OnMouseWheelUp, &TControl::SetOnMouseWheelUp);
  }

 protected:
  void CreateParams(TCreateParams& Params) override;
  void AlignControls(TControl* AControl, TRect& Rect) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void Paint() override;

  void GetHRange();
  void GetVRange();
  void HScrollBarChange(TObject* Sender);
  void VScrollBarChange(TObject* Sender);
  void ScrollBarLastChange(TObject* Sender);

  TQuarnScrollBar* FVScrollBar = nullptr;
  TQuarnScrollBar* FHScrollBar = nullptr;
  Integer FOldVScrollBarPos = 0, FOldHScrollBarPos = 0;
  Integer FVSizeOffset = 0, FHSizeOffset = 0;
  bool FInCheckScrollBars = false;
  bool FCanFocused = false;
  bool FClicksDisabled = false;

 private:
  // One axis of the range computation; Horizontal picks the bar, the sizes
  // and the recorded position and offset.
  void GetRange(bool Horizontal);
  void ReleaseBar(TQuarnScrollBar* Bar);
  void TakeBar(TQuarnScrollBar* Bar, bool Horizontal);
  bool Designing() const { return ComponentState().Contains(csDesigning); }
};

void InitQuarnScrollBox();

}  // namespace qn

#include "platform/rtl/MacroShieldEnd.h"
