// uQuarnShape: a control that draws one anti-aliased figure — circle,
// ellipse, rectangle, rounded rectangle or square, square, or SVG path data —
// filled with a translucent brush and outlined with a solid, dotted or
// dashed pen.
#pragma once
#include "platform/rtl/MacroShield.h"

#include <memory>

#include "skin/extended/uQuarnGraphics.h"
#include "skin/foundation/uQuarnCtrls.h"

namespace qn {

enum class TQnShapeKind { skCircle, skEllipse, skRectangle, skRoundRect, skRoundSquare, skSquare, skSVG };
QN_ENUM_NAMES(TQnShapeKind, skCircle, skEllipse, skRectangle, skRoundRect, skRoundSquare, skSquare, skSVG)
using enum TQnShapeKind;

class TQuarnCustomShape : public TQuarnCustomControl {
  QN_CLASS_CREATE(TQuarnCustomShape, TQuarnCustomControl, TComponent)
 public:
  explicit TQuarnCustomShape(TComponent* AOwner);
  ~TQuarnCustomShape() override;

  Byte Alpha() const { return FAlpha; }
  void SetAlpha(Byte Value);
  TQnShapeKind Shape() const { return FShape; }
  void SetShape(TQnShapeKind Value);
  // The owned settings; the setters copy into them.
  TQnBrush* Brush() const { return FBrush.get(); }
  void SetBrush(TQnBrush* Value);
  TQnPen* Pen() const { return FPen.get(); }
  void SetPen(TQnPen* Value);
  Integer RoundRadius() const { return FRoundRadius; }
  // Values below 1 become 1; repaints only a rounded kind.
  void SetRoundRadius(Integer Value);
  const String& SvgPath() const { return FSvgPath; }
  // Repaints only the SVG kind.
  void SetSvgPath(const String& Value);

  // The outline of the current kind at the control's size, as DrawBody
  // fills and strokes it; empty for the SVG kind.
  TArrayOfFloatPoint BuildOutline() const;

 protected:
  void DrawBody(TBitmap32* Buffer) override;
  void DrawSvg(TBitmap32* Buffer);
  void StyleChanged(TObject* Sender);

  TQnShapeKind FShape = skCircle;
  Byte FAlpha = 255;
  std::unique_ptr<TQnPen> FPen;
  std::unique_ptr<TQnBrush> FBrush;
  Integer FRoundRadius = 8;
  String FSvgPath;
};

class TQuarnShape : public TQuarnCustomShape {
  QN_CLASS_CREATE(TQuarnShape, TQuarnCustomShape, TComponent)
 public:
  explicit TQuarnShape(TComponent* AOwner) : TQuarnCustomShape(AOwner) {}

  QN_PUBLISHED_DECL(TQuarnShape) {
    QN_PROP(Alpha).Default(255);
    QN_PROP(Shape).Default(skCircle);
    QN_PROP(Brush);
    QN_PROP(Pen);
    QN_PROP(RoundRadius).Default(8);
    QN_PROP(SvgPath);
    QN_PROP(Color).TypeName(u"TColor").Default(clWhite);
    P.Property(u"Align", &TControl::Align, &TControl::SetAlign).Default(alNone);
    P.Property(u"Anchors", &TControl::Anchors, &TControl::SetAnchors).Default(TAnchors{akLeft, akTop});
    P.Property(u"Visible", &TControl::Visible, &TControl::SetVisible).Default(true);
    P.Property(u"Enabled", &TControl::Enabled, &TControl::SetEnabled).Default(true);
    P.Property(u"Hint", &TControl::Hint, &TControl::SetHint);
    P.Property(u"ShowHint", &TControl::ShowHint, &TControl::SetShowHint).Stored(&TControl::IsShowHintStored).Default(false);
    P.Property(u"PopupMenu", &TControl::PopupMenu, &TControl::SetPopupMenu<TPopupMenu>);
    P.Property(u"DoubleBuffered", &TWinControl::DoubleBuffered, &TWinControl::SetDoubleBuffered);
    P.Property(u"DragCursor", &TControl::DragCursor, &TControl::SetDragCursor).Default(crDrag);
    P.Property(u"DragKind", &TControl::DragKind, &TControl::SetDragKind).Default(dkDrag);
    P.Property(u"DragMode", &TControl::DragMode, &TControl::SetDragMode).Default(dmManual);
    P.Property(u"OnCanResize", &TControl::OnCanResize, &TControl::SetOnCanResize);
    P.Property(u"OnClick", &TControl::OnClick, &TControl::SetOnClick);
    P.Property(u"OnConstrainedResize", &TControl::OnConstrainedResize, &TControl::SetOnConstrainedResize);
    P.Property(u"OnDblClick", &TControl::OnDblClick, &TControl::SetOnDblClick);
    P.Property(u"OnDockDrop", &TWinControl::OnDockDrop, &TWinControl::SetOnDockDrop);
    P.Property(u"OnDockOver", &TWinControl::OnDockOver, &TWinControl::SetOnDockOver);
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
    P.Property(u"OnMouseEnter", &TControl::OnMouseEnter, &TControl::SetOnMouseEnter);
    P.Property(u"OnMouseLeave", &TControl::OnMouseLeave, &TControl::SetOnMouseLeave);
    P.Property(u"OnResize", &TControl::OnResize, &TControl::SetOnResize);
    P.Property(u"OnStartDock", &TControl::OnStartDock, &TControl::SetOnStartDock);
    P.Property(u"OnStartDrag", &TControl::OnStartDrag, &TControl::SetOnStartDrag);
    P.Property(u"OnUnDock", &TWinControl::OnUnDock, &TWinControl::SetOnUnDock);
  }
};

void InitQuarnShape();

}  // namespace qn

#include "platform/rtl/MacroShieldEnd.h"
