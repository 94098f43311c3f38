// Colour gradients: a list of colour stops, colours at an offset, and
// power-of-two lookup tables filled from the stops in one pass.
#pragma once

#include <vector>

#include "graphics/raster/Pix32_qn.h"
#include "graphics/raster/QnBase.h"
#include "graphics/vector/Pix32_Polygons_qn.h"
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

 protected:
  void WrapModeChanged() override;
  void UpdateInternals() override;
  void AssignTo(TPersistent* Dest) override;
  // The table entry for a scalar: rounded half to even (saturating; NaN
  // counts as 0) and folded by the wrap routine.
  TColor32 Lookup(Single T) const;

  TColor32LookupTable* FGradientLUT = nullptr;
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
  // The same samples a row at a time, without a call per pixel.
  void GetSampleSpanInt(Integer X, Integer Y, Integer Count, PColor32 Dst) override;
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
  void FillLinePerPixel(PColor32 Dst, Integer DstX, Integer DstY, Integer Length, PColor32 AlphaValues);

 private:
  // t at the centre of pixel (X, Y) is T0 + X·DX + Y·DY.
  void Axis(double& DX, double& DY, double& T0) const;
  TColor32Gradient* FGradient = nullptr;
  bool FUseLookUpTable = true;
  TWrapMode FWrapMode = TWrapMode::wmClamp;
  TFloatPoint FStartPoint{0, 0}, FEndPoint{0, 0};
  TColor32 FTable[LookUpTableSize] = {};
};

}  // namespace qn
