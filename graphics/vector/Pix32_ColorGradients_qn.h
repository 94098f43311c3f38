// Colour gradients: a list of colour stops, colours at an offset, and
// power-of-two lookup tables filled from the stops in one pass.
#pragma once
#include "platform/rtl/MacroShield.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "graphics/raster/Pix32_qn.h"
#include "graphics/raster/QnBase.h"
#include "graphics/vector/Pix32_Polygons_qn.h"
#include "graphics/vector/Pix32_VectorUtils_qn.h"
#include "platform/classes/Persistent.h"
#include "platform/classes/Streams.h"

namespace qn {

struct TColor32GradientStop {
  Single Offset = 0;
  TColor32 Color32 = 0;
};
using TArrayOfColor32GradientStop = std::vector<TColor32GradientStop>;
inline TColor32GradientStop Color32GradientStop(Single Offset, TColor32 Color) { return {Offset, Color}; }

struct TColor32FloatPoint {
  TFloatPoint Point;
  TColor32 Color32 = 0;
};
using TArrayOfColor32FloatPoint = std::vector<TColor32FloatPoint>;
inline TColor32FloatPoint Color32FloatPoint(TColor32 Color, const TFloatPoint& Point) { return {Point, Color}; }
inline TColor32FloatPoint Color32FloatPoint(TColor32 Color, Single X, Single Y) { return {TFloatPoint(X, Y), Color}; }

class TColor32LookupTable : public TPersistent {
  QN_CLASS(TColor32LookupTable, TPersistent)
 public:
  // Orders above 16 (more than 65536 entries) raise "Index out of bounds (%d)".
  explicit TColor32LookupTable(Integer Order = 9);

  Byte Order() const { return FOrder; }
  void SetOrder(Integer Value);
  Cardinal Size() const { return FSize; }
  Cardinal Mask() const { return FMask; }
  PColor32Array Color32Ptr() const { return FGradientLUT.get(); }
  // The index is masked, never checked.
  TColor32 GetColor32(Integer Index) const { return FGradientLUT[static_cast<Cardinal>(Index) & FMask]; }
  void SetColor32(Integer Index, TColor32 Value);
  const TNotifyEvent& OnOrderChanged() const { return FOnOrderChanged; }
  void SetOnOrderChanged(const TNotifyEvent& Value) { FOnOrderChanged = Value; }

 protected:
  void AssignTo(TPersistent* Dest) override;
  virtual void OrderChanged();

 private:
  static void CheckOrder(Integer Value);
  std::unique_ptr<TColor32[]> FGradientLUT;
  Byte FOrder = 0;
  Cardinal FMask = 0;
  Cardinal FSize = 0;
  TNotifyEvent FOnOrderChanged;
};

class TColor32Gradient : public TPersistent {
  QN_CLASS(TColor32Gradient, TPersistent)
 public:
  TColor32Gradient() = default;
  explicit TColor32Gradient(TColor32 Color);
  TColor32Gradient(TColor32 StartColor, TColor32 EndColor);
  explicit TColor32Gradient(const TArrayOfColor32GradientStop& GradientColors);

  virtual void GradientColorsChanged();
  // Inserted after every stop with an offset not greater than Offset.
  virtual void AddColorStop(Single Offset, TColor32 Color);
  void AddColorStop(const TColor32GradientStop& ColorStop) { AddColorStop(ColorStop.Offset, ColorStop.Color32); }
  void ClearColorStops();
  void ClearColorStops(TColor32 Color);
  void SetColors(const TArrayOfColor32GradientStop& GradientColors);
  void SetColors(const TArrayOfColor32& Colors);
  // An open array of values; each must be an integer (a colour).
  void SetColors(const TVarRec* Values, Integer Count);
  void SetColors(const TPalette32* Palette);

  TColor32 StartColor() const { return GetStartColor(); }
  TColor32 EndColor() const { return GetEndColor(); }
  TColor32 GetStartColor() const;
  TColor32 GetEndColor() const;
  void SetStartColor(TColor32 Value);
  void SetEndColor(TColor32 Value);
  Integer GradientCount() const { return static_cast<Integer>(FGradientColors.size()); }
  Integer GetGradientCount() const { return GradientCount(); }
  TColor32GradientStop GetGradientEntry(Integer Index) const;
  const TArrayOfColor32GradientStop& GradientColors() const { return FGradientColors; }

  TColor32 GetColorAt(Single Offset) const;
  void FillColorLookUpTable(PColor32Array ColorLUT, Integer Count) const;
  void FillColorLookUpTable(TArrayOfColor32& ColorLUT) const;
  void FillColorLookUpTable(TColor32LookupTable* ColorLUT) const;

  void SaveToStream(TStream* Stream) const;
  // Bad input raises "Wrong format" and leaves the stops as they were.
  void LoadFromStream(TStream* Stream);

  const TNotifyEvent& OnGradientColorsChanged() const { return FOnGradientColorsChanged; }
  void SetOnGradientColorsChanged(const TNotifyEvent& Value) { FOnGradientColorsChanged = Value; }

 protected:
  void AssignTo(TPersistent* Dest) override;

 private:
  TArrayOfColor32GradientStop FGradientColors;
  TNotifyEvent FOnGradientColorsChanged;
};

// A row of colours from one column on, kept while what it was worked out
// from stays the same: the rows of a gradient whose axis runs along the
// rows are all alike, so one row serves a whole rendering and the next.
// Its owner clears it when anything the colours depend on changes.
class TKeptColorRow {
 public:
  void Clear() { FCount = 0; }
  // The colours of columns X .. X + Count - 1 (Count > 0). When the row does
  // not hold them all, it is worked out afresh over the columns it held and
  // the asked ones together by Compute(FirstColumn, Count, Out); nil when
  // that would be wider than any bitmap, which is not worth keeping.
  template <class TCompute>
  const TColor32* Cover(Integer X, Integer Count, TCompute Compute) {
    const Int64 End = static_cast<Int64>(X) + Count, KeptEnd = static_cast<Int64>(FX) + FCount;
    if (FCount == 0 || X < FX || End > KeptEnd) {
      const Int64 X1 = FCount == 0 ? X : std::min<Int64>(X, FX), X2 = FCount == 0 ? End : std::max(End, KeptEnd);
      if (X2 - X1 > kMaxWidth) return nullptr;
      FX = static_cast<Integer>(X1);
      FCount = static_cast<Integer>(X2 - X1);
      FColors.resize(static_cast<size_t>(FCount));
      Compute(FX, FCount, FColors.data());
    }
    return FColors.data() + (X - FX);
  }

 private:
  static constexpr Int64 kMaxWidth = Int64(1) << 16;
  std::vector<TColor32> FColors;
  Integer FX = 0, FCount = 0;
};

// ---- gradient samplers ----
//
// Each maps a point to a scalar by its geometric rule, rounds it to an index
// into a 512-entry table filled from its (owned) gradient and folds the
// index by the wrap mode. The table and scale are rebuilt at the first
// PrepareSampling after a gradient, radius or assignment change.
class TCustomGradientSampler : public TCustomSampler {
  QN_CLASS(TCustomGradientSampler, TCustomSampler)
 public:
  explicit TCustomGradientSampler(TWrapMode WrapMode = TWrapMode::wmMirror);
  explicit TCustomGradientSampler(TColor32Gradient* ColorGradient);
  ~TCustomGradientSampler() override;

  void PrepareSampling() override;
  TColor32 GetSampleInt(Integer X, Integer Y) override;
  TColor32 GetSampleFixed(TFixed X, TFixed Y) override;

  TColor32Gradient* Gradient() const { return FGradient; }
  void SetGradient(TColor32Gradient* Value);
  TWrapMode WrapMode() const { return FWrapMode; }
  void SetWrapMode(TWrapMode Value);

 protected:
  virtual void WrapModeChanged() {}
  virtual void UpdateInternals() = 0;
  void GradientChangedHandler(TObject* Sender);
  void AssignTo(TPersistent* Dest) override;

  TColor32Gradient* FGradient = nullptr;
  TWrapMode FWrapMode = TWrapMode::wmMirror;
  bool FInitialized = false;
};

class TCustomGradientLookUpTableSampler : public TCustomGradientSampler {
  QN_CLASS(TCustomGradientLookUpTableSampler, TCustomGradientSampler)
 public:
  explicit TCustomGradientLookUpTableSampler(TWrapMode WrapMode = TWrapMode::wmMirror);
  explicit TCustomGradientLookUpTableSampler(TColor32Gradient* ColorGradient);
  ~TCustomGradientLookUpTableSampler() override;

  // Once prepared: every table entry is opaque and every sample is one.
  bool HasOpaqueSamples() override { return FInitialized && FLutOpaque && SamplesFromTable(); }

 protected:
  void WrapModeChanged() override;
  void UpdateInternals() override;
  void AssignTo(TPersistent* Dest) override;
  // The table entry for a scalar: rounded half to even (saturating; NaN
  // counts as 0) and folded by the wrap routine.
  TColor32 Lookup(Single T) const;
  // Whether the samples of this class come from the table alone: true for
  // the rules of this unit, not for a descendant with a rule of its own.
  bool SamplesFromTable() const;

  TColor32LookupTable* FGradientLUT = nullptr;
  bool FLutOpaque = false;
  PColor32Array FLutPtr = nullptr;
  Integer FLutMask = 0;
  TWrapProc FWrapProc = nullptr;
};

class TCustomCenterLutGradientSampler : public TCustomGradientLookUpTableSampler {
  QN_CLASS(TCustomCenterLutGradientSampler, TCustomGradientLookUpTableSampler)
 public:
  explicit TCustomCenterLutGradientSampler(TWrapMode WrapMode = TWrapMode::wmMirror);
  explicit TCustomCenterLutGradientSampler(TColor32Gradient* ColorGradient);

  const TFloatPoint& Center() const { return FCenter; }
  void SetCenter(const TFloatPoint& Value) { FCenter = Value; }

 protected:
  virtual void Transform(Single& X, Single& Y) const;
  void AssignTo(TPersistent* Dest) override;
  TFloatPoint FCenter{0, 0};
};

class TConicGradientSampler : public TCustomCenterLutGradientSampler {
  QN_CLASS(TConicGradientSampler, TCustomCenterLutGradientSampler)
 public:
  using TCustomCenterLutGradientSampler::TCustomCenterLutGradientSampler;
  TColor32 GetSampleFloat(Single X, Single Y) override;
  Single Angle() const { return FAngle; }
  void SetAngle(Single Value) { FAngle = Value; }

 protected:
  void UpdateInternals() override;
  void AssignTo(TPersistent* Dest) override;
  Single FScale = 0, FAngle = 0;
};

class TCustomCenterRadiusLutGradientSampler : public TCustomCenterLutGradientSampler {
  QN_CLASS(TCustomCenterRadiusLutGradientSampler, TCustomCenterLutGradientSampler)
 public:
  explicit TCustomCenterRadiusLutGradientSampler(TWrapMode WrapMode = TWrapMode::wmMirror);
  explicit TCustomCenterRadiusLutGradientSampler(TColor32Gradient* ColorGradient);
  Single Radius() const { return FRadius; }
  void SetRadius(Single Value);

 protected:
  virtual void RadiusChanged() { FInitialized = false; }
  void AssignTo(TPersistent* Dest) override;
  Single FRadius = 1.0f;
};

class TRadialGradientSampler : public TCustomCenterRadiusLutGradientSampler {
  QN_CLASS(TRadialGradientSampler, TCustomCenterRadiusLutGradientSampler)
 public:
  using TCustomCenterRadiusLutGradientSampler::TCustomCenterRadiusLutGradientSampler;
  TColor32 GetSampleFloat(Single X, Single Y) override;
  // The same samples a row at a time, without a call per pixel.
  void GetSampleSpanInt(Integer X, Integer Y, Integer Count, PColor32 Dst) override;

 protected:
  void UpdateInternals() override;
  Single FScale = 0;
};

class TCustomCenterRadiusAngleLutGradientSampler : public TCustomCenterRadiusLutGradientSampler {
  QN_CLASS(TCustomCenterRadiusAngleLutGradientSampler, TCustomCenterRadiusLutGradientSampler)
 public:
  explicit TCustomCenterRadiusAngleLutGradientSampler(TWrapMode WrapMode = TWrapMode::wmMirror);
  explicit TCustomCenterRadiusAngleLutGradientSampler(TColor32Gradient* ColorGradient);
  Single Angle() const { return FAngle; }
  void SetAngle(Single Value);

 protected:
  virtual void AngleChanged();
  void Transform(Single& X, Single& Y) const override;
  void AssignTo(TPersistent* Dest) override;
  Single FAngle = 0;
  TFloatPoint FSinCos{1.0f, 0.0f};  // X: sine, Y: cosine
};

#define QN_RADIUS_ANGLE_SAMPLER(Cls)                                                     \
  class Cls : public TCustomCenterRadiusAngleLutGradientSampler {                        \
    QN_CLASS(Cls, TCustomCenterRadiusAngleLutGradientSampler)                            \
   public:                                                                               \
    using TCustomCenterRadiusAngleLutGradientSampler::TCustomCenterRadiusAngleLutGradientSampler; \
    TColor32 GetSampleFloat(Single X, Single Y) override;                                \
                                                                                         \
   protected:                                                                            \
    void UpdateInternals() override;                                                     \
    Single FScale = 0;                                                                   \
  };
QN_RADIUS_ANGLE_SAMPLER(TDiamondGradientSampler)
QN_RADIUS_ANGLE_SAMPLER(TXYGradientSampler)
QN_RADIUS_ANGLE_SAMPLER(TXYSqrtGradientSampler)
#undef QN_RADIUS_ANGLE_SAMPLER

// Grades along the axis from StartPoint (the centre) towards EndPoint over
// Radius.
class TXGradientSampler : public TCustomCenterRadiusAngleLutGradientSampler {
  QN_CLASS(TXGradientSampler, TCustomCenterRadiusAngleLutGradientSampler)
 public:
  using TCustomCenterRadiusAngleLutGradientSampler::TCustomCenterRadiusAngleLutGradientSampler;
  TColor32 GetSampleFloat(Single X, Single Y) override;
  // The same samples a row at a time, without a call per pixel. Not for
  // several threads at once: a row of samples may be kept for the next call.
  void GetSampleSpanInt(Integer X, Integer Y, Integer Count, PColor32 Dst) override;
  bool HasRowsAlike() override;
  void SetPoints(const TFloatPoint& StartPoint, const TFloatPoint& EndPoint);
  void SimpleGradient(const TFloatPoint& StartPoint, TColor32 StartColor, const TFloatPoint& EndPoint,
                      TColor32 EndColor);
  TFloatPoint StartPoint() const { return FCenter; }
  void SetStartPoint(const TFloatPoint& Value) { SetPoints(Value, EndPoint()); }
  // Centre + Radius·(sin Angle, cos Angle).
  TFloatPoint EndPoint() const;
  void SetEndPoint(const TFloatPoint& Value) { SetPoints(StartPoint(), Value); }

 protected:
  void UpdateInternals() override;
  Single FScale = 0;

 private:
  template <TWrapMode M>
  void SpanRow(Integer X, Integer Y, Integer Count, PColor32 Dst) const;
  void SpanRow(Integer X, Integer Y, Integer Count, PColor32 Dst) const;
  // What a kept row depends on besides the table's colours, whose refill
  // clears it.
  struct TRowKey {
    Single CenterX = 0, Sine = 0, Scale = 0;
    PColor32Array Lut = nullptr;
    Integer Mask = 0;
    TWrapMode Wrap = TWrapMode::wmClamp;
    bool operator==(const TRowKey&) const = default;
  };
  TRowKey FRowKey;
  TKeptColorRow FRow;
};

class TLinearGradientSampler : public TXGradientSampler {
  QN_CLASS(TLinearGradientSampler, TXGradientSampler)
 public:
  using TXGradientSampler::TXGradientSampler;
};

// Fills along the axis from StartPoint to EndPoint: a pixel's colour is
// the gradient at t = ((P - S)·(E - S)) / |E - S|² of its centre P (0 when
// the points coincide), blended by the span weight. With the lookup table
// (the default) t picks one of 512 entries, folded by WrapMode; without it
// the colour is computed per pixel and t is clamped. The gradient is not
// owned; without one nothing is drawn.
class TLinearGradientPolygonFiller : public TCustomPolygonFiller {
  QN_CLASS(TLinearGradientPolygonFiller, TCustomPolygonFiller)
 public:
  explicit TLinearGradientPolygonFiller(TColor32Gradient* Gradient = nullptr) : FGradient(Gradient) {}

  TFillLineEvent GetFillLine() override;
  TFillRunEvent GetFillRun() override;
  bool FillBox(TCustomBitmap32* Bitmap, const TRect& Box) override;
  void BeginRendering() override;

  TColor32Gradient* Gradient() const { return FGradient; }
  void SetGradient(TColor32Gradient* Value) { FGradient = Value; }
  bool UseLookUpTable() const { return FUseLookUpTable; }
  void SetUseLookUpTable(bool Value) { FUseLookUpTable = Value; }
  TWrapMode WrapMode() const { return FWrapMode; }
  void SetWrapMode(TWrapMode Value) { FWrapMode = Value; }
  const TFloatPoint& StartPoint() const { return FStartPoint; }
  void SetStartPoint(const TFloatPoint& Value) { FStartPoint = Value; }
  const TFloatPoint& EndPoint() const { return FEndPoint; }
  void SetEndPoint(const TFloatPoint& Value) { FEndPoint = Value; }

  static constexpr Integer LookUpTableSize = 512;

 protected:
  void FillLineTable(PColor32 Dst, Integer DstX, Integer DstY, Integer Length, PColor32 AlphaValues);
  void FillRunTable(PColor32 Dst, Integer DstX, Integer DstY, Integer Length) {
    FillLineTable(Dst, DstX, DstY, Length, nullptr);
  }
  void FillLinePerPixel(PColor32 Dst, Integer DstX, Integer DstY, Integer Length, PColor32 AlphaValues);

 private:
  // t at the centre of pixel (X, Y) is T0 + X·DX + Y·DY.
  void Axis(double& DX, double& DY, double& T0) const;
  void ComputeAxis(double& DX, double& DY, double& T0) const;
  // With the axis along the rows (DY = 0), the colours of columns X ..
  // X + Count - 1 from the kept row; nil when too wide to keep.
  const TColor32* KeptRow(double T0, double DX, Integer X, Integer Count);
  // The last axis worked out, and the points it was worked out from (NaN
  // points never match, so they are worked out every time).
  mutable bool FAxisValid = false;
  mutable TFloatPoint FAxisStart{0, 0}, FAxisEnd{0, 0};
  mutable double FAxis[3] = {};
  TColor32Gradient* FGradient = nullptr;
  bool FUseLookUpTable = true;
  TWrapMode FWrapMode = TWrapMode::wmClamp;
  TFloatPoint FStartPoint{0, 0}, FEndPoint{0, 0};
  TColor32 FTable[LookUpTableSize] = {};
  bool FTableOpaque = false;
  // The stops the table was filled from; a rendering with the same stops
  // keeps the table, and the kept row with it.
  TArrayOfColor32GradientStop FTableStops;
  bool FTableFilled = false;
  // With the axis along the rows, the one row of colours, for the axis and
  // wrap it was worked out for.
  TKeptColorRow FRow;
  double FRowT0 = 0, FRowDX = 0;
  TWrapMode FRowWrap = TWrapMode::wmClamp;
};

// ---- sparse-point samplers ----
//
// Colours spread from a few coloured points. Points and colours written
// between samplings take effect at the next PrepareSampling; no sampler may
// sample before the unit is initialised (the interpolation routines are
// bound then).

// Per channel (B, G, R, A): the weighted sum rounded half to even and
// clamped to 0..255 (NaN counts as 0).
using TLinear3PointInterpolation = TColor32(TColor32 C1, TColor32 C2, TColor32 C3, Single W1, Single W2, Single W3);
using TLinear4PointInterpolation = TColor32(TColor32 C1, TColor32 C2, TColor32 C3, TColor32 C4, Single W1, Single W2,
                                            Single W3, Single W4);
TColor32 Linear3PointInterpolation_Pas(TColor32 C1, TColor32 C2, TColor32 C3, Single W1, Single W2, Single W3);
TColor32 Linear4PointInterpolation_Pas(TColor32 C1, TColor32 C2, TColor32 C3, TColor32 C4, Single W1, Single W2,
                                       Single W3, Single W4);
#if defined(__SSE2__)
TColor32 Linear3PointInterpolation_SSE2(TColor32 C1, TColor32 C2, TColor32 C3, Single W1, Single W2, Single W3);
TColor32 Linear4PointInterpolation_SSE2(TColor32 C1, TColor32 C2, TColor32 C3, TColor32 C4, Single W1, Single W2,
                                        Single W3, Single W4);
#endif
// Unset until the unit is initialised.
extern TLinear3PointInterpolation* Linear3PointInterpolation;
extern TLinear4PointInterpolation* Linear4PointInterpolation;
class TFunctionRegistry;
extern TFunctionRegistry* ColorGradientsRegistry;
void InitPix32ColorGradients();
void DonePix32ColorGradients();

// The Delaunay triangles of the points' positions, as indices into Points.
TArrayOfTriangleVertexIndices DelaunayTriangulation(const TArrayOfColor32FloatPoint& Points);

class TCustomSparsePointGradientSampler : public TCustomSampler {
  QN_CLASS(TCustomSparsePointGradientSampler, TCustomSampler)
 public:
  TCustomSparsePointGradientSampler() = default;

  TColor32 GetSampleInt(Integer X, Integer Y) override;
  TColor32 GetSampleFixed(TFixed X, TFixed Y) override;

  Integer Count() { return GetCount(); }
  virtual Integer GetCount() = 0;
  // Every indexed access raises "Index out of bounds (%d)" outside 0..Count-1.
  virtual TColor32 GetColor(Integer Index) = 0;
  virtual TFloatPoint GetPoint(Integer Index) = 0;
  virtual TColor32FloatPoint GetColorPoint(Integer Index) = 0;
  virtual void SetColor(Integer Index, TColor32 Value) = 0;
  virtual void SetColorPoint(Integer Index, const TColor32FloatPoint& Value) = 0;
  virtual void SetPoint(Integer Index, const TFloatPoint& Value) = 0;
  virtual void SetPoints(const TArrayOfFloatPoint& Points) = 0;
  virtual void SetColorPoints(const TArrayOfColor32FloatPoint& ColorPoints) = 0;
  virtual void SetColorPoints(const TArrayOfFloatPoint& Points, const TArrayOfColor32& Colors) = 0;

  TColor32 Color(Integer Index) { return GetColor(Index); }
  TFloatPoint Point(Integer Index) { return GetPoint(Index); }
  TColor32FloatPoint ColorPoint(Integer Index) { return GetColorPoint(Index); }
};

// Barycentric interpolation over one triangle; outside it the weights
// extrapolate and the channels clamp. A triangle without area samples its
// first point's colour and contains no point.
class TBarycentricGradientSampler : public TCustomSparsePointGradientSampler {
  QN_CLASS(TBarycentricGradientSampler, TCustomSparsePointGradientSampler)
 public:
  TBarycentricGradientSampler() = default;
  TBarycentricGradientSampler(const TColor32FloatPoint& P1, const TColor32FloatPoint& P2,
                              const TColor32FloatPoint& P3);

  void PrepareSampling() override;
  TColor32 GetSampleFloat(Single X, Single Y) override;
  // The sample at the nearest point of the triangle's boundary when (X, Y)
  // lies outside.
  TColor32 GetSampleFloatInTriangle(Single X, Single Y);
  void CalculateBarycentricCoordinates(Single X, Single Y, Single& U, Single& V, Single& W) const;
  bool IsPointInTriangle(Single X, Single Y) const;
  bool IsPointInTriangle(const TFloatPoint& Point) const { return IsPointInTriangle(Point.X, Point.Y); }
  bool IsDegenerate() const { return FDegenerate; }

  Integer GetCount() override { return 3; }
  TColor32 GetColor(Integer Index) override;
  TFloatPoint GetPoint(Integer Index) override;
  TColor32FloatPoint GetColorPoint(Integer Index) override;
  void SetColor(Integer Index, TColor32 Value) override;
  void SetColorPoint(Integer Index, const TColor32FloatPoint& Value) override;
  void SetPoint(Integer Index, const TFloatPoint& Value) override;
  // Each raises "Only exactly 3 points expected!" for any other length.
  void SetPoints(const TArrayOfFloatPoint& Points) override;
  void SetColorPoints(const TArrayOfColor32FloatPoint& ColorPoints) override;
  void SetColorPoints(const TArrayOfFloatPoint& Points, const TArrayOfColor32& Colors) override;

 protected:
  void AssignTo(TPersistent* Dest) override;

  TColor32FloatPoint FColorPoints[3] = {};
  TFloatPoint FDists[2] = {};
  bool FDegenerate = true;

 private:
  friend class TGourandShadedDelaunayTrianglesSampler;
};

// Inverse bilinear mapping of the quadrilateral P0..P3 onto the unit square
// (P0 at (0, 0), P1 at (1, 0), P2 at (1, 1), P3 at (0, 1)).
class TBilinearGradientSampler : public TCustomSparsePointGradientSampler {
  QN_CLASS(TBilinearGradientSampler, TCustomSparsePointGradientSampler)
 public:
  TBilinearGradientSampler() = default;

  void PrepareSampling() override;
  TColor32 GetSampleFloat(Single X, Single Y) override;

  Integer GetCount() override { return 4; }
  TColor32 GetColor(Integer Index) override;
  TFloatPoint GetPoint(Integer Index) override;
  TColor32FloatPoint GetColorPoint(Integer Index) override;
  void SetColor(Integer Index, TColor32 Value) override;
  void SetColorPoint(Integer Index, const TColor32FloatPoint& Value) override;
  void SetPoint(Integer Index, const TFloatPoint& Value) override;
  // Each raises "Point count mismatch" for any length but 4.
  void SetPoints(const TArrayOfFloatPoint& Points) override;
  void SetColorPoints(const TArrayOfColor32FloatPoint& ColorPoints) override;
  void SetColorPoints(const TArrayOfFloatPoint& Points, const TArrayOfColor32& Colors) override;

 protected:
  void AssignTo(TPersistent* Dest) override;

  TColor32FloatPoint FColorPoints[4] = {};
  TFloatPoint FDists[3] = {};
  Single FDot = 0, FBiasK0 = 0, FBiasU = 0;
  Integer FK2Sign = 1;
  Single FK2Value = 0;
};

// A growable list of coloured points. Assigning one such sampler to another
// shares the list: element writes show through both, and the first change
// of length gives the changing sampler its own copy.
class TCustomArbitrarySparsePointGradientSampler : public TCustomSparsePointGradientSampler {
  QN_CLASS(TCustomArbitrarySparsePointGradientSampler, TCustomSparsePointGradientSampler)
 public:
  TCustomArbitrarySparsePointGradientSampler() : FColorPoints(std::make_shared<TArrayOfColor32FloatPoint>()) {}

  void Add(const TFloatPoint& Point, TColor32 Color);
  virtual void Add(const TColor32FloatPoint& ColorPoint);
  virtual void Clear();

  Integer GetCount() override { return static_cast<Integer>(FColorPoints->size()); }
  TColor32 GetColor(Integer Index) override;
  TFloatPoint GetPoint(Integer Index) override;
  TColor32FloatPoint GetColorPoint(Integer Index) override;
  void SetColor(Integer Index, TColor32 Value) override;
  void SetColorPoint(Integer Index, const TColor32FloatPoint& Value) override;
  void SetPoint(Integer Index, const TFloatPoint& Value) override;
  // Needs as many points as the list holds ("Point count mismatch").
  void SetPoints(const TArrayOfFloatPoint& Points) override;
  void SetColorPoints(const TArrayOfColor32FloatPoint& ColorPoints) override;
  // Needs as many colours as points ("Point count mismatch").
  void SetColorPoints(const TArrayOfFloatPoint& Points, const TArrayOfColor32& Colors) override;

  // Whether this sampler and Other read one list.
  bool SharesPointsWith(const TCustomArbitrarySparsePointGradientSampler* Other) const {
    return Other && FColorPoints == Other->FColorPoints;
  }

 protected:
  void AssignTo(TPersistent* Dest) override;
  // The list, made this sampler's own first when another one shares it.
  TArrayOfColor32FloatPoint& OwnColorPoints();
  void CheckIndex(Integer Index) const;

  std::shared_ptr<TArrayOfColor32FloatPoint> FColorPoints;
};

// Every point weighs 1 / max(1, distance^Power); nearer than one unit all
// points weigh the same.
class TInvertedDistanceWeightingSampler : public TCustomArbitrarySparsePointGradientSampler {
  QN_CLASS(TInvertedDistanceWeightingSampler, TCustomArbitrarySparsePointGradientSampler)
 public:
  TInvertedDistanceWeightingSampler() = default;

  void PrepareSampling() override;
  void FinalizeSampling() override;
  TColor32 GetSampleFloat(Single X, Single Y) override;

  Single Power() const { return FPower; }
  void SetPower(Single Value) { FPower = Value; }

 protected:
  TArrayOfFloat FDists;
  bool FUsePower = false;
  Single FPower = 2.0f;
  Single FScaledPower = 1.0f;
};

// The colour of the nearest point, the first of equally near ones.
class TVoronoiSampler : public TCustomArbitrarySparsePointGradientSampler {
  QN_CLASS(TVoronoiSampler, TCustomArbitrarySparsePointGradientSampler)
 public:
  TVoronoiSampler() = default;
  TColor32 GetSampleFloat(Single X, Single Y) override;
};

// Gouraud shading over the Delaunay triangles of the points; outside them
// the most central-looking triangle extrapolates. Without a triangle (fewer
// than three points, or all on one line) every sample is opaque red.
class TGourandShadedDelaunayTrianglesSampler : public TCustomArbitrarySparsePointGradientSampler {
  QN_CLASS(TGourandShadedDelaunayTrianglesSampler, TCustomArbitrarySparsePointGradientSampler)
 public:
  TGourandShadedDelaunayTrianglesSampler() = default;
  ~TGourandShadedDelaunayTrianglesSampler() override;

  void PrepareSampling() override;
  void FinalizeSampling() override;
  TColor32 GetSampleFloat(Single X, Single Y) override;
  // The triangles of the last PrepareSampling (none after FinalizeSampling).
  Integer TriangleCount() const { return static_cast<Integer>(FBarycentric.size()); }

 protected:
  TArrayOfTriangleVertexIndices FTriangles;
  std::vector<std::unique_ptr<TBarycentricGradientSampler>> FBarycentric;
};

}  // namespace qn

#include "platform/rtl/MacroShieldEnd.h"
