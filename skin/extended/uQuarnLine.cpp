#include "skin/extended/uQuarnLine.h"

#include <algorithm>
#include <utility>

#include "graphics/raster/Pix32_qn_Routines.h"
#include "graphics/vector/Pix32_Polygons_qn.h"
#include "graphics/vector/Pix32_VectorUtils_qn.h"
#include "platform/rtl/Math.h"
#include "skin/foundation/uQnComm.h"

namespace qn {

TQuarnLine::TQuarnLine(TComponent* AOwner) : TQuarnCustomControl(AOwner) {
  SetBounds(Left(), Top(), 255, 3);
  // A move must repaint over the background at the new place.
  SetAutoInvalidate(true);
}

void TQuarnLine::SetKind(TLineKind Value) {
  if (FKind != Value) {
    FKind = Value;
    Invalidate();
  }
  const Integer W = Width(), H = Height();
  if ((FKind == lkHorizontal && H > W) || (FKind == lkVertical && W > H)) SetBounds(Left(), Top(), H, W);
}

void TQuarnLine::SetStyle(TQnPenStyle Value) { Change(FStyle, Value); }
void TQuarnLine::SetColor(TColor Value) { Change(FColor, Value); }
void TQuarnLine::SetActiveGradient(bool Value) { Change(FActiveGradient, Value); }
void TQuarnLine::SetGradientStartColor(TColor Value) { Change(FGradientStartColor, Value); }
void TQuarnLine::SetGradientEndColor(TColor Value) { Change(FGradientEndColor, Value); }
void TQuarnLine::SetGradientAlign(TGradientAlign Value) { Change(FGradientAlign, Value); }

void TQuarnLine::SetGradientSize(Integer Value) {
  if (FGradientSize == Value) return;
  if (Value >= 0 && Value <= 100) FGradientSize = Value;
  Invalidate();
}

void TQuarnLine::Dispatch(TMessage& Message) {
  if (Message.Msg == WM_SIZE) {
    WMSize(Message);
    return;
  }
  TQuarnCustomControl::Dispatch(Message);
}

void TQuarnLine::WMSize(TMessage& Message) {
  TQuarnCustomControl::Dispatch(Message);
  const bool Horizontal = FKind == lkHorizontal;
  const Integer Thickness = Horizontal ? Height() : Width();
  Integer Wanted = Thickness;
  if (FAutoSize)
    Wanted = 3;
  else if (Thickness < 1)
    Wanted = 1;
  if (Wanted == Thickness) return;
  if (Horizontal)
    SetHeight(Wanted);
  else
    SetWidth(Wanted);
}

void TQuarnLine::DrawBody(TBitmap32* Buffer) {
  Buffer->BeginUpdate();
  try {
    const Integer W = Width(), H = Height();
    const TColor32 C = Color32(FColor);
    if (FStyle == psSolid) {
      if (W > 0 && H > 0) Buffer->FillRect(0, 0, W, H, C);
    } else {
      const bool Horizontal = FKind == lkHorizontal;
      const Integer Length = Horizontal ? W : H;
      // A line of no length has no dashes to stroke.
      if (Length > 0) {
        const TFloat T = static_cast<TFloat>(Horizontal ? H : W);
        const TArrayOfFloatPoint Line{FloatPoint(0, 0), Horizontal ? FloatPoint(static_cast<TFloat>(W), 0)
                                                                   : FloatPoint(0, static_cast<TFloat>(H))};
        const TArrayOfFloat Pattern = FStyle == psDot ? TArrayOfFloat{4, 2, 4, 2} : TArrayOfFloat{21, 7, 21, 7};
        for (const TArrayOfFloatPoint& Dash : BuildDashedLine(Line, Pattern, 0, false))
          PolylineFS(Buffer, Dash, C, false, T + 1, TJoinStyle::jsMiter, TEndStyle::esButt, 4.0f);
      }
    }
    if (FActiveGradient) DrawGradient(Buffer);
  } catch (...) {
    Buffer->EndUpdate();
    throw;
  }
  Buffer->EndUpdate();
}

void TQuarnLine::DrawGradient(TBitmap32* Buffer) {
  TCanvas* Canvas = Buffer->Canvas();
  const TColor S = FGradientStartColor, E = FGradientEndColor;
  const Integer W = Width(), H = Height();
  if (FKind == lkHorizontal) {
    const Integer G = static_cast<Integer>(Trunc(FGradientSize / 100.0 * W));
    const Integer Bottom = std::max(1, H - 1) + 1;
    switch (FGradientAlign) {
      case TGradientAlign::gaCenter: {
        const Integer M = W / 2;
        FillGradient(Canvas, E, S, TRect(M - G, 0, M, Bottom), true);
        FillGradient(Canvas, S, E, TRect(M - 1, 0, M + G, Bottom), true);
        break;
      }
      case TGradientAlign::gaLeft: FillGradient(Canvas, S, E, TRect(0, 0, G, Bottom), true); break;
      case TGradientAlign::gaRight: FillGradient(Canvas, E, S, TRect(W - G, 0, W, Bottom), true); break;
    }
  } else {
    const Integer G = static_cast<Integer>(Trunc(FGradientSize / 100.0 * H));
    const Integer Right = std::max(1, W - 1) + 1;
    switch (FGradientAlign) {
      case TGradientAlign::gaCenter: {
        const Integer M = H / 2;
        FillGradient(Canvas, E, S, TRect(0, M - G, Right, M), false);
        FillGradient(Canvas, S, E, TRect(0, M - 1, Right, H), false);
        break;
      }
      case TGradientAlign::gaLeft: FillGradient(Canvas, S, E, TRect(0, 0, Right, G), false); break;
      case TGradientAlign::gaRight: FillGradient(Canvas, E, S, TRect(0, H - G, Right, H), false); break;
    }
  }
}

void InitQuarnLine() { RegisterClasses({TQuarnLine::StaticClass()}); }

}  // namespace qn

QN_PUBLISHED_IMPL(qn::TQuarnLine)
