// Paths: pen moves, lines, cubic and quadratic curves and shapes
// (TCustomPath); a path that flattens everything into float outlines as it
// goes (TFlattenedPath); and a canvas on a bitmap that hands every finished
// path to its brushes (TCustomCanvas, TCanvas32).
#pragma once
#include "platform/rtl/MacroShield.h"

#include "graphics/raster/Pix32_qn_Bases.h"
#include "graphics/raster/Pix32_qn_Bitmap32.h"
#include "graphics/raster/Pix32_qn_Types.h"
#include "graphics/vector/Pix32_Brushes_qn.h"
#include "graphics/vector/Pix32_Polygons_qn.h"

namespace qn {

class TTransformation;
struct TTextLayout;

enum class TControlPointOrigin : Byte { cpNone, cpCubic, cpConic };

// Receives the points of a flattened curve one by one; CurveTo and ConicTo
// bind it to the path's own AddPoint.
using TAddPointEvent = TEvent<void(const TFloatPoint& Point)>;

// Flatness thresholds of cubic and quadratic curve flattening.
extern Single CBezierTolerance;
extern Single QBezierTolerance;

// Halvings a curve is flattened with at most: each halving divides the
// flatness by about four, so 16 levels take any drawable curve (and at most
// 65536 pieces) below the tolerance, and non-finite controls cannot recurse
// forever.
constexpr Integer MaxFlattenDepth = 16;

class TCustomPath : public TThreadPersistent {
  QN_CLASS_CREATE(TCustomPath, TThreadPersistent, TObject)
 public:
  TCustomPath() = default;
  explicit TCustomPath(TObject*) {}

  // The point forms are the virtual slots; every coordinate and relative
  // form below forwards to them.
  virtual void AddPoint(const TFloatPoint& Point);
  virtual void Clear();
  virtual void MoveTo(const TFloatPoint& P);
  virtual void LineTo(const TFloatPoint& P);
  virtual void CurveTo(const TFloatPoint& C1, const TFloatPoint& C2, const TFloatPoint& P);
  virtual void CurveTo(const TFloatPoint& C2, const TFloatPoint& P);
  virtual void ConicTo(const TFloatPoint& C1, const TFloatPoint& P);
  virtual void ConicTo(const TFloatPoint& P);
  virtual void BeginPath();
  virtual void EndPath();
  virtual void ClosePath();
  virtual void Rectangle(const TFloatRect& Rect);
  virtual void RoundRect(const TFloatRect& Rect, TFloat Radius);
  virtual void Arc(const TFloatPoint& P, TFloat StartAngle, TFloat EndAngle, TFloat Radius);
  virtual void Ellipse(TFloat Rx, TFloat Ry, Integer Steps = 0);
  virtual void Ellipse(TFloat Cx, TFloat Cy, TFloat Rx, TFloat Ry, Integer Steps = 0);
  virtual void Circle(TFloat Cx, TFloat Cy, TFloat Radius, Integer Steps = 0);
  virtual void Circle(const TFloatPoint& Center, TFloat Radius, Integer Steps = 0);
  virtual void Polygon(const TArrayOfFloatPoint& APoints);

  void MoveTo(TFloat X, TFloat Y) { MoveTo(FloatPoint(X, Y)); }
  void LineTo(TFloat X, TFloat Y) { LineTo(FloatPoint(X, Y)); }
  void HorizontalLineTo(TFloat X) { LineTo(FloatPoint(X, FCurrentPoint.Y)); }
  void VerticalLineTo(TFloat Y) { LineTo(FloatPoint(FCurrentPoint.X, Y)); }
  void CurveTo(TFloat X1, TFloat Y1, TFloat X2, TFloat Y2, TFloat X, TFloat Y) {
    CurveTo(FloatPoint(X1, Y1), FloatPoint(X2, Y2), FloatPoint(X, Y));
  }
  void CurveTo(TFloat X2, TFloat Y2, TFloat X, TFloat Y) { CurveTo(FloatPoint(X2, Y2), FloatPoint(X, Y)); }
  void ConicTo(TFloat X1, TFloat Y1, TFloat X, TFloat Y) { ConicTo(FloatPoint(X1, Y1), FloatPoint(X, Y)); }
  void ConicTo(TFloat X, TFloat Y) { ConicTo(FloatPoint(X, Y)); }

  // Every point offset by the current point taken at the call.
  void MoveToRelative(const TFloatPoint& P) { MoveTo(Offset(P)); }
  void MoveToRelative(TFloat X, TFloat Y) { MoveToRelative(FloatPoint(X, Y)); }
  void LineToRelative(const TFloatPoint& P) { LineTo(Offset(P)); }
  void LineToRelative(TFloat X, TFloat Y) { LineToRelative(FloatPoint(X, Y)); }
  void HorizontalLineToRelative(TFloat X) { HorizontalLineTo(FCurrentPoint.X + X); }
  void VerticalLineToRelative(TFloat Y) { VerticalLineTo(FCurrentPoint.Y + Y); }
  void CurveToRelative(const TFloatPoint& C1, const TFloatPoint& C2, const TFloatPoint& P) {
    const TFloatPoint O = FCurrentPoint;
    CurveTo(Add(C1, O), Add(C2, O), Add(P, O));
  }
  void CurveToRelative(TFloat X1, TFloat Y1, TFloat X2, TFloat Y2, TFloat X, TFloat Y) {
    CurveToRelative(FloatPoint(X1, Y1), FloatPoint(X2, Y2), FloatPoint(X, Y));
  }
  void CurveToRelative(const TFloatPoint& C2, const TFloatPoint& P) {
    const TFloatPoint O = FCurrentPoint;
    CurveTo(Add(C2, O), Add(P, O));
  }
  void CurveToRelative(TFloat X2, TFloat Y2, TFloat X, TFloat Y) {
    CurveToRelative(FloatPoint(X2, Y2), FloatPoint(X, Y));
  }
  void ConicToRelative(const TFloatPoint& C1, const TFloatPoint& P) {
    const TFloatPoint O = FCurrentPoint;
    ConicTo(Add(C1, O), Add(P, O));
  }
  void ConicToRelative(TFloat X1, TFloat Y1, TFloat X, TFloat Y) {
    ConicToRelative(FloatPoint(X1, Y1), FloatPoint(X, Y));
  }
  void ConicToRelative(const TFloatPoint& P) { ConicTo(Offset(P)); }
  void ConicToRelative(TFloat X, TFloat Y) { ConicToRelative(FloatPoint(X, Y)); }

  const TFloatPoint& CurrentPoint() const { return FCurrentPoint; }
  void SetCurrentPoint(const TFloatPoint& Value) { FCurrentPoint = Value; }
  const TFloatPoint& LastControlPoint() const { return FLastControlPoint; }
  TControlPointOrigin ControlPointOrigin() const { return FControlPointOrigin; }

 protected:
  void AssignTo(TPersistent* Dest) override;

  TFloatPoint FCurrentPoint{0, 0};
  TFloatPoint FLastControlPoint{0, 0};
  TControlPointOrigin FControlPointOrigin = TControlPointOrigin::cpNone;

 private:
  static TFloatPoint Add(const TFloatPoint& A, const TFloatPoint& B) { return FloatPoint(A.X + B.X, A.Y + B.Y); }
  TFloatPoint Offset(const TFloatPoint& P) const { return Add(P, FCurrentPoint); }
};

// Gathers closed outlines in Path and the outline under construction in
// Points; shapes begin and end a path of their own at once.
class TFlattenedPath : public TCustomPath {
  QN_CLASS_CREATE(TFlattenedPath, TCustomPath, TObject)
 public:
  TFlattenedPath() = default;
  explicit TFlattenedPath(TObject*) {}

  using TCustomPath::MoveTo;
  void AddPoint(const TFloatPoint& Point) override;
  void Clear() override;
  void MoveTo(const TFloatPoint& P) override;
  void ClosePath() override;
  void BeginPath() override;
  void EndPath() override;
  void Polygon(const TArrayOfFloatPoint& APoints) override;
  virtual void DrawPath() {}

  const TArrayOfArrayOfFloatPoint& Path() const { return FPath; }
  // A copy of the outline under construction.
  TArrayOfFloatPoint Points() const { return GetPoints(); }
  TArrayOfFloatPoint GetPoints() const;

  const TNotifyEvent& OnBeginPath() const { return FOnBeginPath; }
  void SetOnBeginPath(const TNotifyEvent& Value) { FOnBeginPath = Value; }
  const TNotifyEvent& OnEndPath() const { return FOnEndPath; }
  void SetOnEndPath(const TNotifyEvent& Value) { FOnEndPath = Value; }
  const TNotifyEvent& OnClosePath() const { return FOnClosePath; }
  void SetOnClosePath(const TNotifyEvent& Value) { FOnClosePath = Value; }

 protected:
  void AssignTo(TPersistent* Dest) override;
  // Text layout moves the outlines of whole lines and words in place.
  friend struct TTextLayout;

  TArrayOfArrayOfFloatPoint FPath;
  TArrayOfFloatPoint FPoints;
  Integer FPointIndex = 0;
  TNotifyEvent FOnBeginPath, FOnEndPath, FOnClosePath;
};

// Owns a flattened path whose end draws it.
class TCustomCanvas : public TThreadPersistent {
  QN_CLASS(TCustomCanvas, TThreadPersistent)
 public:
  TCustomCanvas();
  ~TCustomCanvas() override;

  TFlattenedPath* Path() const { return FPath; }
  TTransformation* Transformation() const { return FTransformation; }
  void SetTransformation(TTransformation* Value);

  virtual void DrawPath() = 0;

 protected:
  virtual void DoBeginPath(TObject* Sender);
  virtual void DoEndPath(TObject* Sender);
  virtual void DoClosePath(TObject* Sender);
  void AssignTo(TPersistent* Dest) override;

  TFlattenedPath* FPath = nullptr;
  TTransformation* FTransformation = nullptr;
};

// A canvas on a bitmap it does not own, with a renderer and brushes it owns.
// The path is drawn with the canvas's own path operations:
//   Canvas.Path()->MoveTo(...); ...; Canvas.Path()->EndPath();
class TCanvas32 : public TCustomCanvas {
  QN_CLASS(TCanvas32, TCustomCanvas)
 public:
  explicit TCanvas32(TCustomBitmap32* ABitmap);
  ~TCanvas32() override;

  static TPolygonRenderer32Class GetPolygonRendererClass();

  void DrawPath() override;
  TFloatRect MeasureText(const TFloatRect& DstRect, const String& Text, Cardinal Flags);
  void RenderText(TFloat X, TFloat Y, const String& Text);
  void RenderText(const TFloatRect& DstRect, const String& Text, Cardinal Flags);

  TCustomBitmap32* Bitmap() const { return FBitmap; }
  TPolygonRenderer32* Renderer() const { return FRenderer; }
  // Takes ownership; nil or the same renderer is ignored.
  void SetRenderer(TPolygonRenderer32* ARenderer);
  TBrushCollection* Brushes() const { return FBrushes; }
  String RendererClassName() const { return GetRendererClassName(); }
  String GetRendererClassName() const;
  // Looked up by exact name among the registered renderers; unknown names
  // are ignored.
  void SetRendererClassName(const String& Value);

 protected:
  void BrushCollectionChangeHandler(TObject* Sender);
  void AssignTo(TPersistent* Dest) override;

  TCustomBitmap32* FBitmap = nullptr;
  TPolygonRenderer32* FRenderer = nullptr;
  TBrushCollection* FBrushes = nullptr;
};

}  // namespace qn

#include "platform/rtl/MacroShieldEnd.h"
