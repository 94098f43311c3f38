// uQuarnMarker: non-visual markers a host draws onto any device context, a
// badge of a given size and place with a fill, an outline, an alpha and a
// short centred text. TQuarnCircleMarker draws itself through GDI+ as an
// anti-aliased ellipse, or a rounded rectangle when RoundSize is set.
#pragma once
#include "platform/rtl/MacroShield.h"

#include <memory>

#include "platform/classes/Component.h"
#include "platform/vcl/Canvas.h"

namespace qn {

using namespace vcl;

class TQuarnMarker : public TComponent {
  QN_CLASS_CREATE(TQuarnMarker, TComponent, TComponent)
 public:
  explicit TQuarnMarker(TComponent* AOwner);
  ~TQuarnMarker() override;

  // Nothing is redrawn by any setter: the host decides when to draw.
  Integer Width() const { return FWidth; }
  void SetWidth(Integer Value) { FWidth = Value; }
  Integer Height() const { return FHeight; }
  void SetHeight(Integer Value) { FHeight = Value; }
  Integer X() const { return FX; }
  void SetX(Integer Value) { FX = Value; }
  Integer Y() const { return FY; }
  void SetY(Integer Value) { FY = Value; }
  TPen* Pen() const { return FPen.get(); }
  void SetPen(TPen* Value) { FPen->Assign(Value); }
  TBrush* Brush() const { return FBrush.get(); }
  void SetBrush(TBrush* Value) { FBrush->Assign(Value); }
  TFont* Font() const { return FFont.get(); }
  void SetFont(TFont* Value) { FFont->Assign(Value); }
  const String& Text() const { return FText; }
  void SetText(const String& Value) { FText = Value; }
  Byte Alpha() const { return FAlpha; }
  void SetAlpha(Byte Value) { FAlpha = Value; }
  // 0 draws an ellipse.
  Integer RoundSize() const { return FRoundSize; }
  void SetRoundSize(Integer Value) { FRoundSize = Value; }

  // Draws the marker at (X, Y) of DC. The base has no look of its own and
  // raises EAbstractError.
  virtual void Draw(HDC DC);

  QN_PUBLISHED_DECL(TQuarnMarker) {
    QN_PROP(Width);
    QN_PROP(Height);
    QN_PROP(X);
    QN_PROP(Y);
    QN_PROP(Pen);
    QN_PROP(Brush);
    QN_PROP(Font);
    QN_PROP(Text);
    QN_PROP(Alpha);
    QN_PROP(RoundSize).Default(0);
  }

 protected:
  Integer FWidth = 19;
  Integer FHeight = 19;
  Integer FX = 0;
  Integer FY = 0;
  std::unique_ptr<TPen> FPen;
  std::unique_ptr<TBrush> FBrush;
  std::unique_ptr<TFont> FFont;
  String FText = u"0";
  Byte FAlpha = 255;
  Integer FRoundSize = 0;
};

class TQuarnCircleMarker : public TQuarnMarker {
  QN_CLASS_CREATE(TQuarnCircleMarker, TQuarnMarker, TComponent)
 public:
  explicit TQuarnCircleMarker(TComponent* AOwner) : TQuarnMarker(AOwner) {}
  // Nothing for DC 0.
  void Draw(HDC DC) override;
};

void InitQuarnMarker();

}  // namespace qn

#include "platform/rtl/MacroShieldEnd.h"
