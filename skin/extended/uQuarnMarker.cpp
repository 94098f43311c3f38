#include "skin/extended/uQuarnMarker.h"

#include <cstdlib>

#include "gdiplus/Gdiplus_qn.h"
#include "skin/foundation/uQnComm.h"
#include "skin/foundation/uQnComm_Gdip.h"

namespace qn {

TQuarnMarker::TQuarnMarker(TComponent* AOwner)
    : TComponent(AOwner),
      FPen(std::make_unique<TPen>()),
      FBrush(std::make_unique<TBrush>()),
      FFont(std::make_unique<TFont>()) {
  FBrush->SetColor(static_cast<TColor>(0x00FB7E1C));
  FFont->SetColor(clWhite);
  FFont->SetSize(9);
}

TQuarnMarker::~TQuarnMarker() = default;

void TQuarnMarker::Draw(HDC) {
  throw EAbstractError(u"Abstract Error: " + ClassName() + u".Draw");
}

void TQuarnCircleMarker::Draw(HDC DC) {
  if (!DC) return;
  const Integer W = GetDPIScaledPixels(nullptr, FWidth);
  const Integer H = GetDPIScaledPixels(nullptr, FHeight);
  const Integer R = GetDPIScaledPixels(nullptr, FRoundSize);
  // GDI+ refuses empty shapes; an empty marker has nothing to show.
  if (W <= 0 || H <= 0) return;
  // A font given by its cell height has a negative point size.
  const Integer Points = std::abs(GetDPIScaledPixels(nullptr, FFont->Size()));
  // Every GDI+ object lives in this scope, so all are released however
  // drawing ends.
  TGpGraphics G(DC);
  G.SetSmoothingMode(SmoothingModeAntiAlias);
  TGpPen Pen(ARGBFromTColor(FAlpha, FPen->Color()), 1.0f);
  TGpSolidBrush Brush(ARGBFromTColor(FAlpha, FBrush->Color()));
  std::unique_ptr<TGpFont> Font(
      Points > 0 ? new TGpFont(FFont->Name(), static_cast<Single>(Points), FontStyleRegular, UnitPoint) : nullptr);
  TGpStringFormat Format;
  Format.SetAlignment(StringAlignmentCenter);
  Format.SetLineAlignment(StringAlignmentCenter);
  const TGPRect Rect = GdipTypes_qn::MakeRect(FX, FY, W, H);
  const TGPRectF RectF = GdipTypes_qn::MakeRectF(Rect);
  std::unique_ptr<TGpGraphicsPath> Path(R > 0 ? CreateRoundRectangle(Rect, R) : nullptr);

  if (FBrush->Style() != TBrushStyle::bsClear) {
    if (Path) G.FillPath(&Brush, Path.get());
    else G.FillEllipse(&Brush, RectF);
  }
  if (FPen->Style() != TPenStyle::psClear) {
    if (Path) G.DrawPath(&Pen, Path.get());
    else G.DrawEllipse(&Pen, RectF);
  }
  // The text stays opaque whatever the marker's alpha.
  if (!Font || FText.empty()) return;
  Brush.SetColor(ARGBFromTColor(255, FFont->Color()));
  G.DrawString(FText, Font.get(), RectF, &Format, &Brush);
}

void InitQuarnMarker() {
  RegisterClasses({TQuarnMarker::StaticClass(), TQuarnCircleMarker::StaticClass()});
}

}  // namespace qn

QN_PUBLISHED_IMPL(qn::TQuarnMarker)
