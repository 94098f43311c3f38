// uQuarnLine: a thin horizontal or vertical separator, solid, dotted or
// dashed, with a two-colour gradient that fades out from an anchor.
#pragma once
#include "platform/rtl/MacroShield.h"

#include "skin/extended/uQuarnGraphics.h"
#include "skin/foundation/uQuarnCtrls.h"

namespace qn {

enum class TLineKind { lkHorizontal, lkVertical };
QN_ENUM_NAMES(TLineKind, lkHorizontal, lkVertical)
using enum TLineKind;

// The line's own anchor type; the panels' type of the same name and values
// lives in skin/controls, so this one keeps to its unit's namespace.
namespace uQuarnLine {
enum class TGradientAlign { gaCenter, gaLeft, gaRight };
QN_ENUM_NAMES(TGradientAlign, gaCenter, gaLeft, gaRight)
}  // namespace uQuarnLine

class TQuarnLine : public TQuarnCustomControl {
  QN_CLASS_CREATE(TQuarnLine, TQuarnCustomControl, TComponent)
 public:
  using TGradientAlign = uQuarnLine::TGradientAlign;

  explicit TQuarnLine(TComponent* AOwner);

  TLineKind Kind() const { return FKind; }
  // Also turns the control so its long side follows the new orientation.
  void SetKind(TLineKind Value);
  TQnPenStyle Style() const { return FStyle; }
  void SetStyle(TQnPenStyle Value);
  // The line's colour; hides the base's background colour.
  TColor Color() const { return FColor; }
  void SetColor(TColor Value);
  bool ActiveGradient() const { return FActiveGradient; }
  void SetActiveGradient(bool Value);
  Integer GradientSize() const { return FGradientSize; }
  // Stores only 0..100; repaints in any case.
  void SetGradientSize(Integer Value);
  TColor GradientStartColor() const { return FGradientStartColor; }
  void SetGradientStartColor(TColor Value);
  TColor GradientEndColor() const { return FGradientEndColor; }
  void SetGradientEndColor(TColor Value);
  TGradientAlign GradientAlign() const { return FGradientAlign; }
  void SetGradientAlign(TGradientAlign Value);
  bool AutoSize() const { return FAutoSize; }
  // Only stores: the next size change applies it.
  void SetAutoSize(bool Value) override { FAutoSize = Value; }

  void Dispatch(TMessage& Message) override;

  QN_PUBLISHED_DECL(TQuarnLine) {
    QN_PROP(Kind).Default(lkHorizontal);
    QN_PROP(Style).Default(psSolid);
    QN_PROP(Color).TypeName(u"TColor").Default(static_cast<TColor>(0x00FDF8F3));
    QN_PROP(ActiveGradient).Default(true);
    QN_PROP(GradientSize).Default(60);
    QN_PROP(GradientStartColor).TypeName(u"TColor").Default(static_cast<TColor>(0x00BCAA8C));
    QN_PROP(GradientEndColor).TypeName(u"TColor").Default(static_cast<TColor>(0x00FDF8F3));
    QN_PROP(GradientAlign).Default(TGradientAlign::gaCenter);
    QN_PROP(AutoSize).Default(false);
    P.Property(u"Align", &TControl::Align, &TControl::SetAlign).Default(alNone);
    P.Property(u"Anchors", &TControl::Anchors, &TControl::SetAnchors).Default(TAnchors{akLeft, akTop});
    P.Property(u"Visible", &TControl::Visible, &TControl::SetVisible).Default(true);
    P.Property(u"Enabled", &TControl::Enabled, &TControl::SetEnabled).Default(true);
    P.Property(u"Hint", &TControl::Hint, &TControl::SetHint);
    P.Property(u"ShowHint", &TControl::ShowHint, &TControl::SetShowHint).Stored(&TControl::IsShowHintStored).Default(false);
    P.Property(u"OnClick", &TControl::OnClick, &TControl::SetOnClick);
    P.Property(u"OnDblClick", &TControl::OnDblClick, &TControl::SetOnDblClick);
    P.Property(u"OnMouseDown", &TControl::OnMouseDown, &TControl::SetOnMouseDown);
    P.Property(u"OnMouseMove", &TControl::OnMouseMove, &TControl::SetOnMouseMove);
    P.Property(u"OnMouseUp", &TControl::OnMouseUp, &TControl::SetOnMouseUp);
    P.Property(u"OnMouseEnter", &TControl::OnMouseEnter, &TControl::SetOnMouseEnter);
    P.Property(u"OnMouseLeave", &TControl::OnMouseLeave, &TControl::SetOnMouseLeave);
    P.Property(u"OnEnter", &TWinControl::OnEnter, &TWinControl::SetOnEnter);
    P.Property(u"OnExit", &TWinControl::OnExit, &TWinControl::SetOnExit);
    P.Property(u"OnResize", &TControl::OnResize, &TControl::SetOnResize);
  }

 protected:
  void DrawBody(TBitmap32* Buffer) override;
  void DrawGradient(TBitmap32* Buffer);
  void WMSize(TMessage& Message);

  TLineKind FKind = lkHorizontal;
  Integer FGradientSize = 60;
  bool FActiveGradient = true;
  TColor FGradientStartColor = static_cast<TColor>(0x00BCAA8C);
  TColor FColor = static_cast<TColor>(0x00FDF8F3);
  bool FAutoSize = false;
  TGradientAlign FGradientAlign = TGradientAlign::gaCenter;
  TColor FGradientEndColor = static_cast<TColor>(0x00FDF8F3);
  TQnPenStyle FStyle = psSolid;

 private:
  template <class T>
  void Change(T& Field, const T& Value) {
    if (Field == Value) return;
    Field = Value;
    Invalidate();
  }
};

void InitQuarnLine();

}  // namespace qn

#include "platform/rtl/MacroShieldEnd.h"
