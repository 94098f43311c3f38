#include "skin/extended/uQuarnShape.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "graphics/raster/Pix32_qn_Routines.h"
#include "graphics/vector/Pix32_Polygons_qn.h"
#include "graphics/vector/Pix32_VectorUtils_qn.h"
#include "platform/rtl/Math.h"

namespace qn {

namespace {

// Points enough that no chord strays more than an eighth of a pixel from
// the curve of radius R.
Integer ArcSteps(Single R) {
  const double A = std::fabs(static_cast<double>(R));
  return static_cast<Integer>(std::min<Int64>(Trunc(std::numbers::pi / std::acos(A / (A + 0.125))), MaxAutoSteps));
}

TArrayOfFloatPoint Box(Single L, Single T, Single R, Single B) {
  return {FloatPoint(L, T), FloatPoint(R, T), FloatPoint(R, B), FloatPoint(L, B)};
}

}  // namespace

TQuarnCustomShape::TQuarnCustomShape(TComponent* AOwner)
    : TQuarnCustomControl(AOwner), FPen(std::make_unique<TQnPen>()), FBrush(std::make_unique<TQnBrush>()) {
  FPen->SetColor(static_cast<TColor>(0x00566FF8));
  FPen->SetWidth(2);
  FPen->SetVisible(false);
  FBrush->SetOnChanged(MakeEvent(this, &TQuarnCustomShape::StyleChanged));
  FPen->SetOnChanged(MakeEvent(this, &TQuarnCustomShape::StyleChanged));
  SetControlStyle(TControlStyle{csAcceptsControls, csCaptureMouse, csClickEvents, csDoubleClicks});
  SetBounds(Left(), Top(), 65, 65);
}

TQuarnCustomShape::~TQuarnCustomShape() = default;

void TQuarnCustomShape::StyleChanged(TObject*) { Invalidate(); }

void TQuarnCustomShape::SetAlpha(Byte Value) {
  if (FAlpha == Value) return;
  FAlpha = Value;
  Invalidate();
}

void TQuarnCustomShape::SetShape(TQnShapeKind Value) {
  if (FShape == Value) return;
  FShape = Value;
  Invalidate();
}

void TQuarnCustomShape::SetBrush(TQnBrush* Value) { FBrush->Assign(Value); }

void TQuarnCustomShape::SetPen(TQnPen* Value) { FPen->Assign(Value); }

void TQuarnCustomShape::SetRoundRadius(Integer Value) {
  Value = std::max(Value, 1);
  if (FRoundRadius == Value) return;
  FRoundRadius = Value;
  if (FShape == skRoundRect || FShape == skRoundSquare) Invalidate();
}

void TQuarnCustomShape::SetSvgPath(const String& Value) {
  if (FSvgPath == Value) return;
  FSvgPath = Value;
  if (FShape == skSVG) Invalidate();
}

TArrayOfFloatPoint TQuarnCustomShape::BuildOutline() const {
  const Single W = static_cast<Single>(Width()), H = static_cast<Single>(Height());
  const Single W2 = W / 2, H2 = H / 2;
  const Single P = FPen->Visible() ? static_cast<Single>(FPen->Width()) / 2 : 0.0f;
  const Single S = std::min(W, H);
  switch (FShape) {
    case skCircle: {
      const Single R = std::min(W2, H2) - 1 - P;
      return Circle(FloatPoint(W2, H2), R, ArcSteps(R));
    }
    case skEllipse: {
      const Single Rx = W2 - 2 - P, Ry = H2 - 2 - P;
      const Single M = std::fabs(std::min(Rx, Ry));
      // Centred like the circle, so the outline keeps clear of every edge.
      return Ellipse(FloatPoint(W2, H2), FloatPoint(Rx, Ry), ArcSteps(M));
    }
    case skRectangle:
      return Box(1 + P, 1 + P, W - 1 - P, H - 1 - P);
    case skSquare:
      return Box(1 + P, 1 + P, S - 1 - P, S - 1 - P);
    case skRoundRect:
    case skRoundSquare: {
      const Single Rw = FShape == skRoundRect ? W : S, Rh = FShape == skRoundRect ? H : S;
      // A radius past half the shorter side would turn the shrunk box inside
      // out and grow it over the whole control; it rounds fully instead.
      const Single Half = (std::min(Rw, Rh) - 2 - 2 * P) / 2;
      const Single R = std::min(static_cast<Single>(FRoundRadius), Half - 0.5f);
      if (R <= 0) return Box(1 + P, 1 + P, Rw - 1 - P, Rh - 1 - P);
      return Grow(Box(1 + P + R, 1 + P + R, Rw - 1 - P - R, Rh - 1 - P - R), R, TJoinStyle::jsRound, true, 4.0f);
    }
    case skSVG:
      break;
  }
  return {};
}

void TQuarnCustomShape::DrawSvg(TBitmap32* Buffer) {
  TQnSVGPathRenderer Renderer(Buffer);
  Renderer.SetAlpha(FAlpha);
  Renderer.SetFillColor(FBrush->Color());
  Renderer.SetStrokeColor(FPen->Color());
  Renderer.SetStrokeWidth(FPen->Width());
  TQnSVGPathColors Colors;
  if (FBrush->Visible()) Colors.Include(pcFill);
  if (FPen->Visible()) Colors.Include(pcStroke);
  Renderer.SetColors(Colors);
  try {
    Renderer.SetPath(ToUtf8(FSvgPath));
  } catch (const Exception&) {
    // Bad path data stays on the control until someone changes it: raising
    // here would raise again at every repaint. What was drawn before the
    // fault stays; ValidateSvgPath tells what is wrong.
  }
}

void TQuarnCustomShape::DrawBody(TBitmap32* Buffer) {
  TQuarnCustomControl::DrawBody(Buffer);
  if (FShape == skSVG) {
    DrawSvg(Buffer);
    return;
  }
  const TArrayOfFloatPoint Outline = BuildOutline();
  if (Outline.empty()) return;
  if (FBrush->Visible())
    PolygonFS(Buffer, Outline, qn::SetAlpha(Color32(FBrush->Color()), FAlpha), TPolyFillMode::pfEvenOdd);
  if (!FPen->Visible()) return;
  const TColor32 PenColor = qn::SetAlpha(Color32(FPen->Color()), 255);
  const TFloat PenWidth = static_cast<TFloat>(FPen->Width());
  if (FPen->Style() == psSolid) {
    PolylineFS(Buffer, Outline, PenColor, true, PenWidth, TJoinStyle::jsMiter, TEndStyle::esButt, 4.0f);
    return;
  }
  const TArrayOfFloat Dashes =
      FPen->Style() == psDot ? TArrayOfFloat{5, 3, 5, 3} : TArrayOfFloat{21, 7, 21, 7};
  for (const TArrayOfFloatPoint& Dash : BuildDashedLine(Outline, Dashes, 0, true))
    PolylineFS(Buffer, Dash, PenColor, false, PenWidth, TJoinStyle::jsMiter, TEndStyle::esButt, 4.0f);
}

void InitQuarnShape() { RegisterClasses({TQuarnShape::StaticClass()}); }

}  // namespace qn

QN_PUBLISHED_IMPL(qn::TQuarnShape)
