#include "skin/extended/uQuarnColorControls.h"

#include <algorithm>
#include <cmath>

#include "graphics/vector/Pix32_Polygons_qn.h"
#include "graphics/vector/Pix32_VectorUtils_qn.h"

namespace qn {

namespace {

TColor32 SwatchColor(TColor C) { return Color32(ColorToRGB(C)) | 0xFF000000u; }

}  // namespace

void DrawCloseBtn(TBitmap32* Buffer, const TRect& Rect, TColor Circle, TColor Cross) {
  const Integer w = Rect.Right - Rect.Left, h = Rect.Bottom - Rect.Top;
  if (w <= 0 || h <= 0) return;
  const TFloat r = TFloat(std::min(w, h)) / 2;
  const TFloat cx = Rect.Left + TFloat(w) / 2, cy = Rect.Top + TFloat(h) / 2;
  if (r > 1) PolygonFS(Buffer, qn::Circle(cx, cy, r - 1), SwatchColor(Circle));
  const TFloat stroke = TFloat(w / 16 + 1);
  const TFloat d = TFloat(std::lround(2 * r / 3) - 1);
  const TArrayOfFloatPoint a{TFloatPoint(Rect.Left + d, Rect.Top + d), TFloatPoint(Rect.Right - d, Rect.Bottom - d)};
  const TArrayOfFloatPoint b{TFloatPoint(Rect.Right - d, Rect.Top + d), TFloatPoint(Rect.Left + d, Rect.Bottom - d)};
  PolylineFS(Buffer, a, SwatchColor(Cross), false, stroke, TJoinStyle::jsMiter, TEndStyle::esButt, 4.0f);
  PolylineFS(Buffer, b, SwatchColor(Cross), false, stroke, TJoinStyle::jsMiter, TEndStyle::esButt, 4.0f);
}

void TQuarnColorControls_DeleteButton::Assign(TPersistent* Source) {
  auto* s = dynamic_cast<TQuarnColorControls_DeleteButton*>(Source);
  if (!s) {
    TPersistent::Assign(Source);
    return;
  }
  SetVisible(s->FVisible);
  SetColor(s->FColor);
  SetHotColor(s->FHotColor);
  SetXColor(s->FXColor);
  SetXHotColor(s->FXHotColor);
}

void TQuarnColorControls_DeleteButton::Draw(TBitmap32* Buffer, const TRect& Rect) {
  const bool hot = FState == bsHot;
  DrawCloseBtn(Buffer, Rect, hot ? FHotColor : FColor, hot ? FXHotColor : FXColor);
}

void InitQuarnColorControls() { RegisterClasses({TQuarnColorControls_DeleteButton::StaticClass()}); }

}  // namespace qn

QN_PUBLISHED_IMPL(qn::TQuarnColorControls_DeleteButton)
