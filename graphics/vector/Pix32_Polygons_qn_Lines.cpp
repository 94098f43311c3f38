// The stroke and dash entry points: each builds an outline with the
// polyline and dash builders and fills it through the polygon entry points,
// so clipping, blending and change reports are theirs.
#include <optional>

#include "graphics/vector/Pix32_Polygons_qn.h"
#include "graphics/vector/Pix32_VectorUtils_qn.h"

namespace qn {

namespace {

// Dashes are stroked with mitred joins at the usual limit and butt ends.
constexpr TFloat kDashMiterLimit = 4.0f;
constexpr TFixed kDashMiterLimitX = 0x40000;

// Either a colour or a filler, and an optional clip rectangle: the one place
// that picks the polygon entry point, so every stroke form is written once.
struct TPaint {
  TColor32 Color = 0;
  TCustomPolygonFiller* Filler = nullptr;
  bool UseFiller = false;
  std::optional<TRect> Clip;

  static TPaint Of(TColor32 Color) { return {Color, nullptr, false, std::nullopt}; }
  static TPaint Of(TCustomPolygonFiller* Filler) { return {0, Filler, true, std::nullopt}; }
  TPaint Clipped(const TRect& R) const {
    TPaint P = *this;
    P.Clip = R;
    return P;
  }
  // The filler forms draw nothing at all without a filler.
  bool Skip() const { return UseFiller && !Filler; }
  TPaint WithColor(TColor32 C) const {
    TPaint P = *this;
    P.Color = C;
    P.Filler = nullptr;
    P.UseFiller = false;
    return P;
  }

  void Fill(TCustomBitmap32* Bitmap, const TArrayOfArrayOfFloatPoint& Points, TPolyFillMode FillMode,
            TTransformation* Transformation) const {
    if (UseFiller) {
      if (Clip)
        PolyPolygonFS(Bitmap, Points, *Clip, Filler, FillMode, Transformation);
      else
        PolyPolygonFS(Bitmap, Points, Filler, FillMode, Transformation);
    } else if (Clip) {
      PolyPolygonFS(Bitmap, Points, *Clip, Color, FillMode, Transformation);
    } else {
      PolyPolygonFS(Bitmap, Points, Color, FillMode, Transformation);
    }
  }
  void Fill(TCustomBitmap32* Bitmap, const TArrayOfArrayOfFixedPoint& Points, TPolyFillMode FillMode,
            TTransformation* Transformation) const {
    if (UseFiller) {
      if (Clip)
        PolyPolygonXS(Bitmap, Points, *Clip, Filler, FillMode, Transformation);
      else
        PolyPolygonXS(Bitmap, Points, Filler, FillMode, Transformation);
    } else if (Clip) {
      PolyPolygonXS(Bitmap, Points, *Clip, Color, FillMode, Transformation);
    } else {
      PolyPolygonXS(Bitmap, Points, Color, FillMode, Transformation);
    }
  }
};

void StrokeF(TCustomBitmap32* Bitmap, const TArrayOfArrayOfFloatPoint& Points, const TPaint& Paint, bool Closed,
             TFloat StrokeWidth, TJoinStyle JoinStyle, TEndStyle EndStyle, TFloat MiterLimit,
             TTransformation* Transformation) {
  if (!Bitmap || Paint.Skip()) return;
  Paint.Fill(Bitmap, BuildPolyPolyLine(Points, Closed, StrokeWidth, JoinStyle, EndStyle, MiterLimit),
             TPolyFillMode::pfNonZero, Transformation);
}

void StrokeX(TCustomBitmap32* Bitmap, const TArrayOfArrayOfFixedPoint& Points, const TPaint& Paint, bool Closed,
             TFixed StrokeWidth, TJoinStyle JoinStyle, TEndStyle EndStyle, TFixed MiterLimit,
             TTransformation* Transformation) {
  if (!Bitmap || Paint.Skip()) return;
  Paint.Fill(Bitmap, BuildPolyPolyLine(Points, Closed, StrokeWidth, JoinStyle, EndStyle, MiterLimit),
             TPolyFillMode::pfNonZero, Transformation);
}

void DashF(TCustomBitmap32* Bitmap, const TArrayOfFloatPoint& Points, const TArrayOfFloat& Pattern,
           const TPaint& Paint, bool Closed, TFloat Width) {
  if (!Bitmap || Paint.Skip()) return;
  StrokeF(Bitmap, BuildDashedLine(Points, Pattern, 0, Closed), Paint, false, Width, TJoinStyle::jsMiter,
          TEndStyle::esButt, kDashMiterLimit, nullptr);
}

void DashF(TCustomBitmap32* Bitmap, const TArrayOfFloatPoint& Points, const TArrayOfFloat& Pattern,
           const TPaint& Paint, TColor32 StrokeColor, bool Closed, TFloat Width, TFloat StrokeWidth) {
  if (!Bitmap || Paint.Skip()) return;
  const TArrayOfArrayOfFloatPoint Outline =
      BuildPolyPolyLine(BuildDashedLine(Points, Pattern, 0, Closed), false, Width, TJoinStyle::jsMiter,
                        TEndStyle::esButt, kDashMiterLimit);
  Paint.Fill(Bitmap, Outline, TPolyFillMode::pfEvenOdd, nullptr);
  StrokeF(Bitmap, Outline, Paint.WithColor(StrokeColor), true, StrokeWidth, TJoinStyle::jsMiter, TEndStyle::esButt,
          kDashMiterLimit, nullptr);
}

void DashX(TCustomBitmap32* Bitmap, const TArrayOfFixedPoint& Points, const TArrayOfFixed& Pattern,
           const TPaint& Paint, bool Closed, TFixed Width) {
  if (!Bitmap || Paint.Skip()) return;
  StrokeX(Bitmap, BuildDashedLine(Points, Pattern, 0, Closed), Paint, false, Width, TJoinStyle::jsMiter,
          TEndStyle::esButt, kDashMiterLimitX, nullptr);
}

void DashX(TCustomBitmap32* Bitmap, const TArrayOfFixedPoint& Points, const TArrayOfFixed& Pattern,
           const TPaint& Paint, TColor32 StrokeColor, bool Closed, TFixed Width, TFixed StrokeWidth) {
  if (!Bitmap || Paint.Skip()) return;
  const TArrayOfArrayOfFixedPoint Dashes = BuildDashedLine(Points, Pattern, 0, Closed);
  StrokeX(Bitmap, Dashes, Paint, false, Width, TJoinStyle::jsMiter, TEndStyle::esButt, kDashMiterLimitX, nullptr);
  StrokeX(Bitmap,
          BuildPolyPolyLine(Dashes, false, Width, TJoinStyle::jsMiter, TEndStyle::esButt, kDashMiterLimitX),
          Paint.WithColor(StrokeColor), true, StrokeWidth, TJoinStyle::jsMiter, TEndStyle::esButt,
          kDashMiterLimitX, nullptr);
}

}  // namespace

// ---- float strokes ----

void PolylineFS(TCustomBitmap32* Bitmap, const TArrayOfFloatPoint& Points, TColor32 Color, bool Closed,
                TFloat StrokeWidth, TJoinStyle JoinStyle, TEndStyle EndStyle, TFloat MiterLimit,
                TTransformation* Transformation) {
  StrokeF(Bitmap, PolyPolygon(Points), TPaint::Of(Color), Closed, StrokeWidth, JoinStyle, EndStyle, MiterLimit,
          Transformation);
}

void PolyPolylineFS(TCustomBitmap32* Bitmap, const TArrayOfArrayOfFloatPoint& Points, TColor32 Color, bool Closed,
                    TFloat StrokeWidth, TJoinStyle JoinStyle, TEndStyle EndStyle, TFloat MiterLimit,
                    TTransformation* Transformation) {
  StrokeF(Bitmap, Points, TPaint::Of(Color), Closed, StrokeWidth, JoinStyle, EndStyle, MiterLimit, Transformation);
}

void PolylineFS(TCustomBitmap32* Bitmap, const TArrayOfFloatPoint& Points, TCustomPolygonFiller* Filler,
                bool Closed, TFloat StrokeWidth, TJoinStyle JoinStyle, TEndStyle EndStyle, TFloat MiterLimit,
                TTransformation* Transformation) {
  StrokeF(Bitmap, PolyPolygon(Points), TPaint::Of(Filler), Closed, StrokeWidth, JoinStyle, EndStyle, MiterLimit,
          Transformation);
}

void PolyPolylineFS(TCustomBitmap32* Bitmap, const TArrayOfArrayOfFloatPoint& Points, TCustomPolygonFiller* Filler,
                    bool Closed, TFloat StrokeWidth, TJoinStyle JoinStyle, TEndStyle EndStyle, TFloat MiterLimit,
                    TTransformation* Transformation) {
  StrokeF(Bitmap, Points, TPaint::Of(Filler), Closed, StrokeWidth, JoinStyle, EndStyle, MiterLimit, Transformation);
}

void PolylineFS(TCustomBitmap32* Bitmap, const TArrayOfFloatPoint& Points, const TRect& ClipRect, TColor32 Color,
                bool Closed, TFloat StrokeWidth, TJoinStyle JoinStyle, TEndStyle EndStyle, TFloat MiterLimit,
                TTransformation* Transformation) {
  StrokeF(Bitmap, PolyPolygon(Points), TPaint::Of(Color).Clipped(ClipRect), Closed, StrokeWidth, JoinStyle,
          EndStyle, MiterLimit, Transformation);
}

void PolyPolylineFS(TCustomBitmap32* Bitmap, const TArrayOfArrayOfFloatPoint& Points, const TRect& ClipRect,
                    TColor32 Color, bool Closed, TFloat StrokeWidth, TJoinStyle JoinStyle, TEndStyle EndStyle,
                    TFloat MiterLimit, TTransformation* Transformation) {
  StrokeF(Bitmap, Points, TPaint::Of(Color).Clipped(ClipRect), Closed, StrokeWidth, JoinStyle, EndStyle, MiterLimit,
          Transformation);
}

void PolylineFS(TCustomBitmap32* Bitmap, const TArrayOfFloatPoint& Points, const TRect& ClipRect,
                TCustomPolygonFiller* Filler, bool Closed, TFloat StrokeWidth, TJoinStyle JoinStyle,
                TEndStyle EndStyle, TFloat MiterLimit, TTransformation* Transformation) {
  StrokeF(Bitmap, PolyPolygon(Points), TPaint::Of(Filler).Clipped(ClipRect), Closed, StrokeWidth, JoinStyle,
          EndStyle, MiterLimit, Transformation);
}

void PolyPolylineFS(TCustomBitmap32* Bitmap, const TArrayOfArrayOfFloatPoint& Points, const TRect& ClipRect,
                    TCustomPolygonFiller* Filler, bool Closed, TFloat StrokeWidth, TJoinStyle JoinStyle,
                    TEndStyle EndStyle, TFloat MiterLimit, TTransformation* Transformation) {
  StrokeF(Bitmap, Points, TPaint::Of(Filler).Clipped(ClipRect), Closed, StrokeWidth, JoinStyle, EndStyle,
          MiterLimit, Transformation);
}

// ---- fixed strokes ----

void PolylineXS(TCustomBitmap32* Bitmap, const TArrayOfFixedPoint& Points, TColor32 Color, bool Closed,
                TFixed StrokeWidth, TJoinStyle JoinStyle, TEndStyle EndStyle, TFixed MiterLimit,
                TTransformation* Transformation) {
  StrokeX(Bitmap, PolyPolygon(Points), TPaint::Of(Color), Closed, StrokeWidth, JoinStyle, EndStyle, MiterLimit,
          Transformation);
}

void PolyPolylineXS(TCustomBitmap32* Bitmap, const TArrayOfArrayOfFixedPoint& Points, TColor32 Color, bool Closed,
                    TFixed StrokeWidth, TJoinStyle JoinStyle, TEndStyle EndStyle, TFixed MiterLimit,
                    TTransformation* Transformation) {
  StrokeX(Bitmap, Points, TPaint::Of(Color), Closed, StrokeWidth, JoinStyle, EndStyle, MiterLimit, Transformation);
}

void PolylineXS(TCustomBitmap32* Bitmap, const TArrayOfFixedPoint& Points, TCustomPolygonFiller* Filler,
                bool Closed, TFixed StrokeWidth, TJoinStyle JoinStyle, TEndStyle EndStyle, TFixed MiterLimit,
                TTransformation* Transformation) {
  StrokeX(Bitmap, PolyPolygon(Points), TPaint::Of(Filler), Closed, StrokeWidth, JoinStyle, EndStyle, MiterLimit,
          Transformation);
}

void PolyPolylineXS(TCustomBitmap32* Bitmap, const TArrayOfArrayOfFixedPoint& Points, TCustomPolygonFiller* Filler,
                    bool Closed, TFixed StrokeWidth, TJoinStyle JoinStyle, TEndStyle EndStyle, TFixed MiterLimit,
                    TTransformation* Transformation) {
  StrokeX(Bitmap, Points, TPaint::Of(Filler), Closed, StrokeWidth, JoinStyle, EndStyle, MiterLimit, Transformation);
}

void PolylineXS(TCustomBitmap32* Bitmap, const TArrayOfFixedPoint& Points, const TRect& ClipRect, TColor32 Color,
                bool Closed, TFixed StrokeWidth, TJoinStyle JoinStyle, TEndStyle EndStyle, TFixed MiterLimit,
                TTransformation* Transformation) {
  StrokeX(Bitmap, PolyPolygon(Points), TPaint::Of(Color).Clipped(ClipRect), Closed, StrokeWidth, JoinStyle,
          EndStyle, MiterLimit, Transformation);
}

void PolyPolylineXS(TCustomBitmap32* Bitmap, const TArrayOfArrayOfFixedPoint& Points, const TRect& ClipRect,
                    TColor32 Color, bool Closed, TFixed StrokeWidth, TJoinStyle JoinStyle, TEndStyle EndStyle,
                    TFixed MiterLimit, TTransformation* Transformation) {
  StrokeX(Bitmap, Points, TPaint::Of(Color).Clipped(ClipRect), Closed, StrokeWidth, JoinStyle, EndStyle, MiterLimit,
          Transformation);
}

void PolylineXS(TCustomBitmap32* Bitmap, const TArrayOfFixedPoint& Points, const TRect& ClipRect,
                TCustomPolygonFiller* Filler, bool Closed, TFixed StrokeWidth, TJoinStyle JoinStyle,
                TEndStyle EndStyle, TFixed MiterLimit, TTransformation* Transformation) {
  StrokeX(Bitmap, PolyPolygon(Points), TPaint::Of(Filler).Clipped(ClipRect), Closed, StrokeWidth, JoinStyle,
          EndStyle, MiterLimit, Transformation);
}

void PolyPolylineXS(TCustomBitmap32* Bitmap, const TArrayOfArrayOfFixedPoint& Points, const TRect& ClipRect,
                    TCustomPolygonFiller* Filler, bool Closed, TFixed StrokeWidth, TJoinStyle JoinStyle,
                    TEndStyle EndStyle, TFixed MiterLimit, TTransformation* Transformation) {
  StrokeX(Bitmap, Points, TPaint::Of(Filler).Clipped(ClipRect), Closed, StrokeWidth, JoinStyle, EndStyle,
          MiterLimit, Transformation);
}

// ---- float dashes ----

void DashLineFS(TCustomBitmap32* Bitmap, const TArrayOfFloatPoint& Points, const TArrayOfFloat& Pattern,
                TColor32 Color, bool Closed, TFloat Width) {
  DashF(Bitmap, Points, Pattern, TPaint::Of(Color), Closed, Width);
}

void DashLineFS(TCustomBitmap32* Bitmap, const TArrayOfFloatPoint& Points, const TArrayOfFloat& Pattern,
                TCustomPolygonFiller* Filler, bool Closed, TFloat Width) {
  DashF(Bitmap, Points, Pattern, TPaint::Of(Filler), Closed, Width);
}

void DashLineFS(TCustomBitmap32* Bitmap, const TArrayOfFloatPoint& Points, const TArrayOfFloat& Pattern,
                TColor32 FillColor, TColor32 StrokeColor, bool Closed, TFloat Width, TFloat StrokeWidth) {
  DashF(Bitmap, Points, Pattern, TPaint::Of(FillColor), StrokeColor, Closed, Width, StrokeWidth);
}

void DashLineFS(TCustomBitmap32* Bitmap, const TArrayOfFloatPoint& Points, const TArrayOfFloat& Pattern,
                TCustomPolygonFiller* Filler, TColor32 StrokeColor, bool Closed, TFloat Width, TFloat StrokeWidth) {
  DashF(Bitmap, Points, Pattern, TPaint::Of(Filler), StrokeColor, Closed, Width, StrokeWidth);
}

void DashLineFS(TCustomBitmap32* Bitmap, const TArrayOfFloatPoint& Points, const TRect& ClipRect,
                const TArrayOfFloat& Pattern, TColor32 Color, bool Closed, TFloat Width) {
  DashF(Bitmap, Points, Pattern, TPaint::Of(Color).Clipped(ClipRect), Closed, Width);
}

void DashLineFS(TCustomBitmap32* Bitmap, const TArrayOfFloatPoint& Points, const TRect& ClipRect,
                const TArrayOfFloat& Pattern, TCustomPolygonFiller* Filler, bool Closed, TFloat Width) {
  DashF(Bitmap, Points, Pattern, TPaint::Of(Filler).Clipped(ClipRect), Closed, Width);
}

void DashLineFS(TCustomBitmap32* Bitmap, const TArrayOfFloatPoint& Points, const TRect& ClipRect,
                const TArrayOfFloat& Pattern, TColor32 FillColor, TColor32 StrokeColor, bool Closed, TFloat Width,
                TFloat StrokeWidth) {
  DashF(Bitmap, Points, Pattern, TPaint::Of(FillColor).Clipped(ClipRect), StrokeColor, Closed, Width, StrokeWidth);
}

void DashLineFS(TCustomBitmap32* Bitmap, const TArrayOfFloatPoint& Points, const TRect& ClipRect,
                const TArrayOfFloat& Pattern, TCustomPolygonFiller* Filler, TColor32 StrokeColor, bool Closed,
                TFloat Width, TFloat StrokeWidth) {
  DashF(Bitmap, Points, Pattern, TPaint::Of(Filler).Clipped(ClipRect), StrokeColor, Closed, Width, StrokeWidth);
}

// ---- fixed dashes ----

void DashLineXS(TCustomBitmap32* Bitmap, const TArrayOfFixedPoint& Points, const TArrayOfFixed& Pattern,
                TColor32 Color, bool Closed, TFixed Width) {
  DashX(Bitmap, Points, Pattern, TPaint::Of(Color), Closed, Width);
}

void DashLineXS(TCustomBitmap32* Bitmap, const TArrayOfFixedPoint& Points, const TArrayOfFixed& Pattern,
                TCustomPolygonFiller* Filler, bool Closed, TFixed Width) {
  DashX(Bitmap, Points, Pattern, TPaint::Of(Filler), Closed, Width);
}

void DashLineXS(TCustomBitmap32* Bitmap, const TArrayOfFixedPoint& Points, const TArrayOfFixed& Pattern,
                TColor32 FillColor, TColor32 StrokeColor, bool Closed, TFixed Width, TFixed StrokeWidth) {
  DashX(Bitmap, Points, Pattern, TPaint::Of(FillColor), StrokeColor, Closed, Width, StrokeWidth);
}

void DashLineXS(TCustomBitmap32* Bitmap, const TArrayOfFixedPoint& Points, const TArrayOfFixed& Pattern,
                TCustomPolygonFiller* Filler, TColor32 StrokeColor, bool Closed, TFixed Width, TFixed StrokeWidth) {
  DashX(Bitmap, Points, Pattern, TPaint::Of(Filler), StrokeColor, Closed, Width, StrokeWidth);
}

void DashLineXS(TCustomBitmap32* Bitmap, const TArrayOfFixedPoint& Points, const TRect& ClipRect,
                const TArrayOfFixed& Pattern, TColor32 Color, bool Closed, TFixed Width) {
  DashX(Bitmap, Points, Pattern, TPaint::Of(Color).Clipped(ClipRect), Closed, Width);
}

void DashLineXS(TCustomBitmap32* Bitmap, const TArrayOfFixedPoint& Points, const TRect& ClipRect,
                const TArrayOfFixed& Pattern, TCustomPolygonFiller* Filler, bool Closed, TFixed Width) {
  DashX(Bitmap, Points, Pattern, TPaint::Of(Filler).Clipped(ClipRect), Closed, Width);
}

void DashLineXS(TCustomBitmap32* Bitmap, const TArrayOfFixedPoint& Points, const TRect& ClipRect,
                const TArrayOfFixed& Pattern, TColor32 FillColor, TColor32 StrokeColor, bool Closed, TFixed Width,
                TFixed StrokeWidth) {
  DashX(Bitmap, Points, Pattern, TPaint::Of(FillColor).Clipped(ClipRect), StrokeColor, Closed, Width, StrokeWidth);
}

void DashLineXS(TCustomBitmap32* Bitmap, const TArrayOfFixedPoint& Points, const TRect& ClipRect,
                const TArrayOfFixed& Pattern, TCustomPolygonFiller* Filler, TColor32 StrokeColor, bool Closed,
                TFixed Width, TFixed StrokeWidth) {
  DashX(Bitmap, Points, Pattern, TPaint::Of(Filler).Clipped(ClipRect), StrokeColor, Closed, Width, StrokeWidth);
}

// ---- SimpleFill ----

void SimpleFill(TCustomBitmap32* Bitmap, const TArrayOfFloatPoint& Points, TColor32 EdgeColor, TColor32 FillColor,
                TPolyFillMode FillMode) {
  if (!Bitmap || Points.size() < 3) return;
  PolygonFS(Bitmap, Points, FillColor, FillMode);
  if (EdgeColor != FillColor) PolylineFS(Bitmap, Points, EdgeColor, true, 1.0f);
}

void SimpleFill(TCustomBitmap32* Bitmap, const TArrayOfFixedPoint& Points, TColor32 EdgeColor, TColor32 FillColor,
                TPolyFillMode FillMode) {
  SimpleFill(Bitmap, FixedPointToFloatPoint(Points), EdgeColor, FillColor, FillMode);
}

}  // namespace qn
