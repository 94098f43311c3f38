// Paths, the flattened path and the path canvas.
#include "graphics/vector/Pix32_Paths_qn.h"

#include <cmath>

#include "graphics/raster/Pix32_Backends_qn.h"
#include "graphics/vector/Pix32_VectorUtils_qn.h"
#include "platform/rtl/SysUtils.h"

namespace qn {

Single CBezierTolerance = 0.25f;
Single QBezierTolerance = 0.25f;

namespace {

inline bool Finite(const TFloatPoint& P) { return std::isfinite(P.X) && std::isfinite(P.Y); }

inline TFloatPoint Mid(const TFloatPoint& A, const TFloatPoint& B) {
  return FloatPoint((A.X + B.X) * 0.5f, (A.Y + B.Y) * 0.5f);
}

// |a + c - 2b| summed over both axes, rounded to single precision.
inline Single Bend(const TFloatPoint& A, const TFloatPoint& B, const TFloatPoint& C) {
  return static_cast<Single>(std::fabs(static_cast<double>(A.X) + C.X - 2.0 * B.X) +
                             std::fabs(static_cast<double>(A.Y) + C.Y - 2.0 * B.Y));
}

// Each flat piece adds its start point; the caller adds the end point.
void FlattenCubic(const TAddPointEvent& AddPoint, const TFloatPoint& P1, const TFloatPoint& P2, const TFloatPoint& P3,
                  const TFloatPoint& P4, Integer Depth) {
  const Single D = static_cast<Single>(static_cast<double>(Bend(P1, P2, P3)) + Bend(P2, P3, P4));
  if (D < CBezierTolerance || Depth >= MaxFlattenDepth) {
    AddPoint(P1);
    return;
  }
  const TFloatPoint P12 = Mid(P1, P2), P23 = Mid(P2, P3), P34 = Mid(P3, P4);
  const TFloatPoint P123 = Mid(P12, P23), P234 = Mid(P23, P34), P1234 = Mid(P123, P234);
  FlattenCubic(AddPoint, P1, P12, P123, P1234, Depth + 1);
  FlattenCubic(AddPoint, P1234, P234, P34, P4, Depth + 1);
}

void FlattenConic(const TAddPointEvent& AddPoint, const TFloatPoint& P1, const TFloatPoint& P2, const TFloatPoint& P3,
                  Integer Depth) {
  if (Bend(P1, P2, P3) < QBezierTolerance || Depth >= MaxFlattenDepth) {
    AddPoint(P1);
    return;
  }
  const TFloatPoint P12 = Mid(P1, P2), P23 = Mid(P2, P3), P123 = Mid(P12, P23);
  FlattenConic(AddPoint, P1, P12, P123, Depth + 1);
  FlattenConic(AddPoint, P123, P23, P3, Depth + 1);
}

inline TFloatPoint Reflect(const TFloatPoint& Pivot, const TFloatPoint& P) {
  return FloatPoint(2 * Pivot.X - P.X, 2 * Pivot.Y - P.Y);
}

}  // namespace

// ---- TCustomPath ----

void TCustomPath::AddPoint(const TFloatPoint&) {}

void TCustomPath::Clear() { FControlPointOrigin = TControlPointOrigin::cpNone; }

void TCustomPath::MoveTo(const TFloatPoint& P) {
  FCurrentPoint = P;
  FControlPointOrigin = TControlPointOrigin::cpNone;
}

void TCustomPath::LineTo(const TFloatPoint& P) {
  AddPoint(P);
  FCurrentPoint = P;
  FControlPointOrigin = TControlPointOrigin::cpNone;
}

void TCustomPath::CurveTo(const TFloatPoint& C1, const TFloatPoint& C2, const TFloatPoint& P) {
  // A curve with a point that is not a number or infinite has no shape to
  // follow: it becomes the straight line to its end.
  if (Finite(FCurrentPoint) && Finite(C1) && Finite(C2) && Finite(P))
    FlattenCubic(MakeEvent(this, &TCustomPath::AddPoint), FCurrentPoint, C1, C2, P, 0);
  else
    AddPoint(FCurrentPoint);
  AddPoint(P);
  FCurrentPoint = P;
  FLastControlPoint = C2;
  FControlPointOrigin = TControlPointOrigin::cpCubic;
}

void TCustomPath::CurveTo(const TFloatPoint& C2, const TFloatPoint& P) {
  const TFloatPoint C1 =
      FControlPointOrigin == TControlPointOrigin::cpCubic ? Reflect(FCurrentPoint, FLastControlPoint) : FCurrentPoint;
  CurveTo(C1, C2, P);
}

void TCustomPath::ConicTo(const TFloatPoint& C1, const TFloatPoint& P) {
  if (Finite(FCurrentPoint) && Finite(C1) && Finite(P))
    FlattenConic(MakeEvent(this, &TCustomPath::AddPoint), FCurrentPoint, C1, P, 0);
  else
    AddPoint(FCurrentPoint);
  AddPoint(P);
  FCurrentPoint = P;
  FLastControlPoint = C1;
  FControlPointOrigin = TControlPointOrigin::cpConic;
}

void TCustomPath::ConicTo(const TFloatPoint& P) {
  const TFloatPoint C1 =
      FControlPointOrigin == TControlPointOrigin::cpConic ? Reflect(FCurrentPoint, FLastControlPoint) : FCurrentPoint;
  ConicTo(C1, P);
}

void TCustomPath::BeginPath() {}
void TCustomPath::EndPath() {}
void TCustomPath::ClosePath() {}

void TCustomPath::Rectangle(const TFloatRect& Rect) { Polygon(qn::Rectangle(Rect)); }

// The radius is kept within half the shorter side, so a large one rounds
// the shape fully instead of shrinking it.
void TCustomPath::RoundRect(const TFloatRect& Rect, TFloat Radius) { Polygon(qn::RoundRect(Rect, Radius)); }

void TCustomPath::Arc(const TFloatPoint& P, TFloat StartAngle, TFloat EndAngle, TFloat Radius) {
  Polygon(BuildArc(P, StartAngle, EndAngle, Radius));
}

// Steps of 0 or less choose the step count from the radius.
void TCustomPath::Ellipse(TFloat Rx, TFloat Ry, Integer Steps) {
  Ellipse(FCurrentPoint.X, FCurrentPoint.Y, Rx, Ry, Steps);
}

void TCustomPath::Ellipse(TFloat Cx, TFloat Cy, TFloat Rx, TFloat Ry, Integer Steps) {
  const TFloatPoint C = FloatPoint(Cx, Cy), R = FloatPoint(Rx, Ry);
  Polygon(Steps > 0 ? qn::Ellipse(C, R, Steps) : qn::Ellipse(C, R));
}

void TCustomPath::Circle(TFloat Cx, TFloat Cy, TFloat Radius, Integer Steps) {
  Circle(FloatPoint(Cx, Cy), Radius, Steps);
}

void TCustomPath::Circle(const TFloatPoint& Center, TFloat Radius, Integer Steps) {
  Polygon(Steps > 0 ? qn::Circle(Center, Radius, Steps) : qn::Circle(Center, Radius));
}

void TCustomPath::Polygon(const TArrayOfFloatPoint& APoints) {
  if (APoints.empty()) return;
  BeginPath();
  MoveTo(APoints[0]);
  for (size_t I = 1; I < APoints.size(); ++I) LineTo(APoints[I]);
  ClosePath();
  EndPath();
}

void TCustomPath::AssignTo(TPersistent* Dest) {
  if (auto* D = dynamic_cast<TCustomPath*>(Dest)) {
    D->FCurrentPoint = FCurrentPoint;
    D->FLastControlPoint = FLastControlPoint;
    D->FControlPointOrigin = FControlPointOrigin;
    return;
  }
  inherited::AssignTo(Dest);
}

// ---- TFlattenedPath ----

void TFlattenedPath::AddPoint(const TFloatPoint& Point) {
  if (FPointIndex >= static_cast<Integer>(FPoints.size())) FPoints.resize(FPoints.size() + 128);
  FPoints[static_cast<size_t>(FPointIndex)] = Point;
  ++FPointIndex;
}

void TFlattenedPath::Clear() {
  inherited::Clear();
  FPath.clear();
  FPoints.clear();
  FPointIndex = 0;
}

// The open outline is closed before the pen moves, so the new outline and
// any relative command after the move start from the move point.
void TFlattenedPath::MoveTo(const TFloatPoint& P) {
  if (FPointIndex > 0) ClosePath();
  inherited::MoveTo(P);
  AddPoint(P);
}

void TFlattenedPath::ClosePath() {
  if (FPointIndex > 0) {
    FCurrentPoint = FPoints[0];
    FPath.emplace_back(FPoints.begin(), FPoints.begin() + FPointIndex);
    FPoints.clear();
    FPointIndex = 0;
  }
  if (FOnClosePath) FOnClosePath(this);
}

void TFlattenedPath::BeginPath() {
  FPath.clear();
  FPoints.clear();
  FPointIndex = 0;
  if (FOnBeginPath) FOnBeginPath(this);
}

void TFlattenedPath::EndPath() {
  if (FOnEndPath) FOnEndPath(this);
}

void TFlattenedPath::Polygon(const TArrayOfFloatPoint& APoints) {
  if (APoints.empty()) return;
  BeginPath();
  for (const TFloatPoint& P : APoints) AddPoint(P);
  FCurrentPoint = APoints.back();
  ClosePath();
  EndPath();
}

TArrayOfFloatPoint TFlattenedPath::GetPoints() const {
  return TArrayOfFloatPoint(FPoints.begin(), FPoints.begin() + FPointIndex);
}

void TFlattenedPath::AssignTo(TPersistent* Dest) {
  inherited::AssignTo(Dest);
  if (auto* D = dynamic_cast<TFlattenedPath*>(Dest)) {
    D->BeginPath();
    D->FPath = FPath;
    D->EndPath();
  }
}

// ---- TCustomCanvas ----

TCustomCanvas::TCustomCanvas() : FPath(new TFlattenedPath) {
  FPath->SetOnBeginPath(MakeEvent(this, &TCustomCanvas::DoBeginPath));
  FPath->SetOnEndPath(MakeEvent(this, &TCustomCanvas::DoEndPath));
  FPath->SetOnClosePath(MakeEvent(this, &TCustomCanvas::DoClosePath));
}

TCustomCanvas::~TCustomCanvas() { delete FPath; }

void TCustomCanvas::SetTransformation(TTransformation* Value) {
  if (FTransformation == Value) return;
  FTransformation = Value;
  Changed();
}

void TCustomCanvas::DoBeginPath(TObject*) {}
void TCustomCanvas::DoEndPath(TObject*) { DrawPath(); }
void TCustomCanvas::DoClosePath(TObject*) {}

void TCustomCanvas::AssignTo(TPersistent* Dest) {
  if (auto* D = dynamic_cast<TCustomCanvas*>(Dest)) {
    // Assigning the path ends a path on the destination, which draws it.
    D->FPath->Assign(FPath);
    D->FTransformation = FTransformation;
    return;
  }
  inherited::AssignTo(Dest);
}

// ---- TCanvas32 ----

TCanvas32::TCanvas32(TCustomBitmap32* ABitmap) : FBitmap(ABitmap) {
  TPolygonRenderer32Class Class = GetPolygonRendererClass();
  FRenderer = static_cast<TPolygonRenderer32*>(Class->Create(ABitmap));
  FRenderer->SetBitmap(ABitmap);
  FBrushes = new TBrushCollection(this);
  FBrushes->SetOnChange(MakeEvent(this, &TCanvas32::BrushCollectionChangeHandler));
}

TCanvas32::~TCanvas32() {
  delete FBrushes;
  delete FRenderer;
}

TPolygonRenderer32Class TCanvas32::GetPolygonRendererClass() { return DefaultPolygonRendererClass; }

void TCanvas32::BrushCollectionChangeHandler(TObject*) { Changed(); }

void TCanvas32::DrawPath() {
  if (!FBitmap) return;
  const TFloatRect Clip = FloatRect(FBitmap->ClipRect());
  FRenderer->SetBitmap(FBitmap);
  const TArrayOfFloatPoint Open = FPath->GetPoints();
  for (Integer I = 0; I < FBrushes->Count(); ++I) {
    TCustomBrush* Brush = FBrushes->GetItem(I);
    if (!Brush->Visible()) continue;
    Brush->PolyPolygonFS(FRenderer, FPath->Path(), Clip, FTransformation, true);
    if (!Open.empty()) Brush->PolygonFS(FRenderer, Open, Clip, FTransformation, false);
  }
}

namespace {
TIntf<ITextToPathSupport> TextSupport(TCustomBitmap32* Bitmap) {
  TIntf<ITextToPathSupport> Result;
  if (!Bitmap || !Supports(Bitmap->Backend(), Result)) throw Exception(u"Inpropriate Backend");
  return Result;
}
}  // namespace

TFloatRect TCanvas32::MeasureText(const TFloatRect& DstRect, const String& Text, Cardinal Flags) {
  return TextSupport(FBitmap)->MeasureText(DstRect, Text, Flags);
}

void TCanvas32::RenderText(TFloat X, TFloat Y, const String& Text) {
  TextSupport(FBitmap)->TextToPath(FPath, X, Y, Text);
}

void TCanvas32::RenderText(const TFloatRect& DstRect, const String& Text, Cardinal Flags) {
  TextSupport(FBitmap)->TextToPath(FPath, DstRect, Text, Flags);
}

void TCanvas32::SetRenderer(TPolygonRenderer32* ARenderer) {
  if (!ARenderer || ARenderer == FRenderer) return;
  delete FRenderer;
  FRenderer = ARenderer;
  Changed();
}

String TCanvas32::GetRendererClassName() const { return FRenderer ? FRenderer->ClassName() : String(); }

void TCanvas32::SetRendererClassName(const String& Value) {
  if (Value.empty() || Value == GetRendererClassName() || !PolygonRendererList) return;
  for (Integer I = 0; I < PolygonRendererList->Count(); ++I) {
    TClass C = PolygonRendererList->Items(I);
    if (C->ClassName() == Value) {
      // Its bitmap is set at the next drawing.
      SetRenderer(static_cast<TPolygonRenderer32*>(C->Create(nullptr)));
      return;
    }
  }
}

// Canvases own their renderer and brushes and share no assignment of them,
// so assigning one canvas to another is refused before anything changes.
void TCanvas32::AssignTo(TPersistent* Dest) { TPersistent::AssignTo(Dest); }

}  // namespace qn
