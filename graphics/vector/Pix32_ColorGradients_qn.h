// Colour gradients: a list of colour stops, colours at an offset, and
// power-of-two lookup tables filled from the stops in one pass.
#pragma once

#include <vector>

#include "graphics/raster/Pix32_qn.h"
#include "graphics/raster/QnBase.h"
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

}  // namespace qn
