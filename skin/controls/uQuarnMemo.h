// uQuarnMemo: the platform's multi-line edit with a background that can be
// the parent's picture, painting that always goes through a memory device
// context, and skinned external scroll bars in place of its own.
//
// The native bars stay switched on so the edit keeps its scroll information,
// but the window has no non-client area, so they take no room and are never
// seen. The memo copies that information into the skinned bars after
// everything that can move it, and a bar's change scrolls the edit back.
//
// While the edit scrolls by itself in the middle of a keystroke, a text
// change or a mouse action, its redraw is switched off; at the end of that
// action redraw comes back on and one repaint shows the result.
#pragma once
#include "platform/rtl/MacroShield.h"

#include "platform/vcl/Menus.h"
#include "platform/vcl/StdCtrls.h"
#include "skin/controls/uQuarnPanel.h"
#include "skin/controls/uQuarnScrollBar.h"

namespace qn {

class TQuarnCustomMemo : public TCustomMemo {
  QN_CLASS(TQuarnCustomMemo, TCustomMemo)
 public:
  explicit TQuarnCustomMemo(TComponent* AOwner);
  ~TQuarnCustomMemo() override;

  TQuarnScrollBar* VScrollBar() const { return FVScrollBar; }
  void SetVScrollBar(TQuarnScrollBar* Value);
  TQuarnScrollBar* HScrollBar() const { return FHScrollBar; }
  void SetHScrollBar(TQuarnScrollBar* Value);
  TQuarnBorderPanel* QuarnBorderPanel() const { return FQuarnBorderPanel; }
  void SetQuarnBorderPanel(TQuarnBorderPanel* Value);
  bool Transparent() const { return FTransparent; }
  void SetTransparent(bool Value);
  const TNotifyEvent& OnScrollBarChange() const { return FOnScrollBarChange; }
  void SetOnScrollBarChange(const TNotifyEvent& Value) { FOnScrollBarChange = Value; }
  TQnAboutInfo About() const { return aiQuarnComponent; }
  void SetAbout(TQnAboutInfo) {}

  // Native scroll information into the bars.
  void UpDateScrollRange();
  // The whole memo through a memory device context onto its window.
  void DoPaint();
  // The same into DC (the caller's), without touching the caret.
  void DoPaint2(HDC DC);
  // The background under the text: the parent's picture or Color.
  void DrawMemoBackGround(HDC DC);

  void Dispatch(TMessage& Message) override;

  QN_PUBLISHED_DECL(TQuarnCustomMemo) {
    QN_PROP(VScrollBar);
    QN_PROP(HScrollBar);
    QN_PROP(QuarnBorderPanel);
    QN_PROP(Transparent).Default(false);
    QN_PROP(OnScrollBarChange).TypeName(u"TNotifyEvent");
    QN_PROP(About).Stored(false);
  }

 protected:
  void Change() override;
  void Loaded() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;

  void VScrollBarChange(TObject* Sender);
  void HScrollBarChange(TObject* Sender);
  // Redraw back on when the memo itself switched it off, and one repaint.
  void RedrawOn();
  bool Designing() const { return ComponentState().Contains(csDesigning); }

  bool FTransparent = false;
  TQuarnScrollBar* FVScrollBar = nullptr;
  TQuarnScrollBar* FHScrollBar = nullptr;
  TNotifyEvent FOnScrollBarChange;
  TQuarnBorderPanel* FQuarnBorderPanel = nullptr;
  bool FStopDraw = false;
  bool FIsScroll = false;
  bool FIsCanScroll = false;
  bool FIsDown = false;

 private:
  void SyncBar(TQuarnScrollBar* Bar, int Which);
  void UpdateNativeBars();
  void PaintThrough(HDC Target);
  void WMPaint(TMessage& Message);
};

class TQuarnMemo : public TQuarnCustomMemo {
  QN_CLASS_CREATE(TQuarnMemo, TQuarnCustomMemo, TComponent)
 public:
  explicit TQuarnMemo(TComponent* AOwner) : TQuarnCustomMemo(AOwner) {}

  QN_PUBLISHED_DECL(TQuarnMemo) {
    P.Property(u"Align", &TControl::Align, &TControl::SetAlign).Default(alNone);
    QN_PROP(Alignment).Default(taLeftJustify);
    P.Property(u"Anchors", &TControl::Anchors, &TControl::SetAnchors).Default(TAnchors{akLeft, akTop});
    P.Property(u"BevelEdges", &TWinControl::BevelEdges, &TWinControl::SetBevelEdges)
        .Default(TBevelEdges{beLeft, beTop, beRight, beBottom});
    P.Property(u"BevelInner", &TWinControl::BevelInner, &TWinControl::SetBevelInner).Default(bvRaised);
    P.Property(u"BevelKind", &TWinControl::BevelKind, &TWinControl::SetBevelKind).Default(bkNone);
    P.Property(u"BevelOuter", &TWinControl::BevelOuter, &TWinControl::SetBevelOuter).Default(bvLowered);
    P.Property(u"BiDiMode", &TControl::BiDiMode, &TControl::SetBiDiMode).Stored(&TControl::IsBiDiModeStored);
    // The skinned memo has no border of its own; a frame goes around it.
    QN_PROP(BorderStyle).Default(bsNone);
    QN_PROP(CharCase).Default(ecNormal);
    P.Property(u"Color", &TControl::Color, &TControl::SetColor).Stored(&TControl::IsColorStored).TypeName(u"TColor").Default(clWindow);
    P.Property(u"Constraints", &TControl::Constraints, &TControl::SetConstraints);
    QN_PROP(Ctl3D).Default(true);
    P.Property(u"DoubleBuffered", &TWinControl::DoubleBuffered, &TWinControl::SetDoubleBuffered).Default(false);
    P.Property(u"DragCursor", &TControl::DragCursor, &TControl::SetDragCursor).Default(crDrag);
    P.Property(u"DragKind", &TControl::DragKind, &TControl::SetDragKind).Default(dkDrag);
    P.Property(u"DragMode", &TControl::DragMode, &TControl::SetDragMode).Default(dmManual);
    P.Property(u"Enabled", &TControl::Enabled, &TControl::SetEnabled).Default(true);
    P.Property(u"Font", &TControl::Font, &TControl::SetFont).Stored(&TControl::IsFontStored);
    QN_PROP(HideSelection).Default(true);
    P.Property(u"ImeMode", &TWinControl::ImeMode, &TWinControl::SetImeMode).Default(imDontCare);
    P.Property(u"ImeName", &TWinControl::ImeName, &TWinControl::SetImeName).TypeName(u"TImeName");
    QN_PROP(Lines);
    QN_PROP(MaxLength).Default(0);
    QN_PROP(OEMConvert).Default(false);
    P.Property(u"ParentBiDiMode", &TControl::ParentBiDiMode, &TControl::SetParentBiDiMode).Default(true);
    P.Property(u"ParentColor", &TControl::ParentColor, &TControl::SetParentColor).Default(false);
    P.Property(u"ParentCtl3D", &TWinControl::ParentCtl3D, &TWinControl::SetParentCtl3D).Default(true);
    P.Property(u"ParentFont", &TControl::ParentFont, &TControl::SetParentFont).Default(true);
    P.Property(u"ParentShowHint", &TControl::ParentShowHint, &TControl::SetParentShowHint).Default(true);
    P.Property(u"PopupMenu", &TControl::PopupMenu, &TControl::SetPopupMenu<TPopupMenu>);
    QN_PROP(ReadOnly).Default(false);
    // The native bars must exist for the scroll information; they are never seen.
    QN_PROP(ScrollBars).Default(ssNone);
    P.Property(u"ShowHint", &TControl::ShowHint, &TControl::SetShowHint).Stored(&TControl::IsShowHintStored);
    P.Property(u"TabOrder", &TWinControl::TabOrder, &TWinControl::SetTabOrder).Default(-1);
    P.Property(u"TabStop", &TWinControl::TabStop, &TWinControl::SetTabStop).Default(true);
    P.Property(u"Visible", &TControl::Visible, &TControl::SetVisible).Default(true);
    QN_PROP(WantReturns).Default(true);
    QN_PROP(WantTabs).Default(false);
    QN_PROP(WordWrap).Default(true);
    QN_PROP(OnChange);
    P.Property(u"OnClick", &TControl::OnClick, &TControl::SetOnClick);
    P.Property(u"OnContextPopup", &TControl::OnContextPopup, &TControl::SetOnContextPopup);
    P.Property(u"OnDblClick", &TControl::OnDblClick, &TControl::SetOnDblClick);
    P.Property(u"OnDragDrop", &TControl::OnDragDrop, &TControl::SetOnDragDrop);
    P.Property(u"OnDragOver", &TControl::OnDragOver, &TControl::SetOnDragOver);
    P.Property(u"OnEndDock", &TControl::OnEndDock, &TControl::SetOnEndDock);
    P.Property(u"OnEndDrag", &TControl::OnEndDrag, &TControl::SetOnEndDrag);
    P.Property(u"OnEnter", &TWinControl::OnEnter, &TWinControl::SetOnEnter);
    P.Property(u"OnExit", &TWinControl::OnExit, &TWinControl::SetOnExit);
    P.Property(u"OnKeyDown", &TWinControl::OnKeyDown, &TWinControl::SetOnKeyDown);
    P.Property(u"OnKeyPress", &TWinControl::OnKeyPress, &TWinControl::SetOnKeyPress);
    P.Property(u"OnKeyUp", &TWinControl::OnKeyUp, &TWinControl::SetOnKeyUp);
    P.Property(u"OnMouseDown", &TControl::OnMouseDown, &TControl::SetOnMouseDown);
    P.Property(u"OnMouseMove", &TControl::OnMouseMove, &TControl::SetOnMouseMove);
    P.Property(u"OnMouseUp", &TControl::OnMouseUp, &TControl::SetOnMouseUp);
    P.Property(u"OnStartDock", &TControl::OnStartDock, &TControl::SetOnStartDock);
    P.Property(u"OnStartDrag", &TControl::OnStartDrag, &TControl::SetOnStartDrag);
    P.Property(u"OnMouseActivate", &TControl::OnMouseActivate, &TControl::SetOnMouseActivate);
    P.Property(u"OnMouseEnter", &TControl::OnMouseEnter, &TControl::SetOnMouseEnter);
    P.Property(u"OnMouseLeave", &TControl::OnMouseLeave, &TControl::SetOnMouseLeave);
  }
};

// A memo in a border panel with two auto-hiding bars along its right and
// bottom edges; the frame turns hot with the memo's focus and hover.
class TQuarnMemoEx : public TQuarnBorderPanel {
  QN_CLASS_CREATE(TQuarnMemoEx, TQuarnBorderPanel, TComponent)
 public:
  explicit TQuarnMemoEx(TComponent* AOwner);
  ~TQuarnMemoEx() override;
  void BeforeDestruction() override;

  TQuarnMemo* Memo() const { return FMemo; }
  TQuarnScrollBar* VScrollBar() const { return FVScrollBar; }
  TQuarnScrollBar* HScrollBar() const { return FHScrollBar; }
  void GetChildren(const TGetChildProc& Proc, TComponent* Root) override;

  QN_PUBLISHED_DECL(TQuarnMemoEx) {
    P.Property(u"Memo", &TQuarnMemoEx::Memo, nullptr);
    QN_PROP(Alpha).Default(255);
    QN_PROP(Transparent).Default(false);
  }

 protected:
  void DoPaintBuffer() override;

  TQuarnMemo* FMemo = nullptr;
  TQuarnScrollBar* FVScrollBar = nullptr;
  TQuarnScrollBar* FHScrollBar = nullptr;
};

void InitQuarnMemo();

}  // namespace qn

#include "platform/rtl/MacroShieldEnd.h"
