#include "skin/foundation/uQnComm_Gdip.h"

#include <algorithm>

#include "gdiplus/Gdiplus_qn.h"

namespace qn {

TGpGraphicsPath* CreateRoundRectangle(const TGPRect& Rect, Integer Radius) {
  auto* path = new TGpGraphicsPath();
  const Integer r = std::min(Radius, std::min(Rect.Width, Rect.Height) / 2);
  if (r <= 0) {
    path->AddRectangle(Rect);
    return path;
  }
  const Integer d = 2 * r, x = Rect.X, y = Rect.Y, w = Rect.Width, h = Rect.Height;
  path->AddArc(x, y, d, d, 180.0f, 90.0f);
  path->AddArc(x + w - d, y, d, d, 270.0f, 90.0f);
  path->AddArc(x + w - d, y + h - d, d, d, 0.0f, 90.0f);
  path->AddArc(x, y + h - d, d, d, 90.0f, 90.0f);
  path->CloseFigure();
  return path;
}

void DrawImageInCircle(HDC DC, const TRect& Rect, TGpImage* Image, TColor BorderColor) {
  if (!DC || Rect.Right <= Rect.Left || Rect.Bottom <= Rect.Top) return;
  TGpGraphics g(DC);
  g.SetSmoothingMode(SmoothingModeAntiAlias);
  const TGPRectF r = GdipTypes_qn::MakeRectF(GdipTypes_qn::MakeRect(Rect));
  if (Image) {
    TGpGraphicsPath clip;
    clip.AddEllipse(r);
    g.SetClip(&clip);
    g.DrawImage(Image, r);
    g.ResetClip();
  }
  const Cardinal c = static_cast<Cardinal>(ColorToRGB(BorderColor));
  TGpPen pen(0xFF000000u | ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF), 1.0f);
  // The ring's pixels lie just inside the rectangle.
  g.DrawEllipse(&pen, r.X + 0.5f, r.Y + 0.5f, r.Width - 1.0f, r.Height - 1.0f);
}

}  // namespace qn
