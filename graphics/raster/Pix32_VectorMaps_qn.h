// Vector maps: one 16.16 vector per cell of a grid, read and written per
// cell or at fractional positions (bilinear interpolation and splatting),
// merged, and kept in mesh files.
#pragma once
#include "platform/rtl/MacroShield.h"

#include "graphics/raster/Pix32_qn.h"

namespace qn {

using TArrayOfFixedVector = std::vector<TFixedPoint>;
using PArrayOfFloatVector = TFloatPoint*;
enum class TVectorCombineMode { vcmAdd, vcmReplace, vcmCustom };
QN_ENUM_NAMES(TVectorCombineMode, vcmAdd, vcmReplace, vcmCustom)
// F the source vector, P the position weight, B the destination vector.
using TVectorCombineEvent = TEvent<void(const TFixedPoint& F, const TFixedPoint& P, TFixedPoint& B)>;

class TVectorMap : public TCustomMap {
  QN_CLASS(TVectorMap, TCustomMap)
 public:
  TVectorMap() = default;
  TVectorMap(Integer Width, Integer Height) { SetSize(Width, Height); }
  ~TVectorMap() override;

  void Clear();
  bool Empty() const override;
  TRect BoundsRect() const { return TRect(0, 0, FWidth, FHeight); }
  TArrayOfFixedVector& Vectors() { return FVectors; }
  const TArrayOfFixedVector& GetVectors() const { return FVectors; }

  TFixedPoint GetFixedVector(Integer X, Integer Y) const { return FVectors[static_cast<size_t>(X + Y * FWidth)]; }
  TFixedPoint GetFixedVectorS(Integer X, Integer Y) const;
  TFixedPoint GetFixedVectorX(TFixed X, TFixed Y) const;
  TFixedPoint GetFixedVectorXS(TFixed X, TFixed Y) const;
  TFloatPoint GetFloatVector(Integer X, Integer Y) const { return FloatPoint(GetFixedVector(X, Y)); }
  TFloatPoint GetFloatVectorS(Integer X, Integer Y) const { return FloatPoint(GetFixedVectorS(X, Y)); }
  TFloatPoint GetFloatVectorF(Single X, Single Y) const { return FloatPoint(GetFixedVectorX(Fixed(X), Fixed(Y))); }
  TFloatPoint GetFloatVectorFS(Single X, Single Y) const {
    return FloatPoint(GetFixedVectorXS(Fixed(X), Fixed(Y)));
  }

  // The same reads under their property names.
  TFixedPoint FixedVector(Integer X, Integer Y) const { return GetFixedVector(X, Y); }
  TFixedPoint FixedVectorS(Integer X, Integer Y) const { return GetFixedVectorS(X, Y); }
  TFixedPoint FixedVectorX(TFixed X, TFixed Y) const { return GetFixedVectorX(X, Y); }
  TFixedPoint FixedVectorXS(TFixed X, TFixed Y) const { return GetFixedVectorXS(X, Y); }
  TFloatPoint FloatVector(Integer X, Integer Y) const { return GetFloatVector(X, Y); }
  TFloatPoint FloatVectorS(Integer X, Integer Y) const { return GetFloatVectorS(X, Y); }
  TFloatPoint FloatVectorF(Single X, Single Y) const { return GetFloatVectorF(X, Y); }
  TFloatPoint FloatVectorFS(Single X, Single Y) const { return GetFloatVectorFS(X, Y); }

  void SetFixedVector(Integer X, Integer Y, const TFixedPoint& Value) {
    FVectors[static_cast<size_t>(X + Y * FWidth)] = Value;
  }
  void SetFixedVectorS(Integer X, Integer Y, const TFixedPoint& Value);
  void SetFixedVectorX(TFixed X, TFixed Y, const TFixedPoint& Value);
  void SetFixedVectorXS(TFixed X, TFixed Y, const TFixedPoint& Value);
  void SetFloatVector(Integer X, Integer Y, const TFloatPoint& Value) { SetFixedVector(X, Y, FixedPoint(Value)); }
  void SetFloatVectorS(Integer X, Integer Y, const TFloatPoint& Value) {
    SetFixedVectorS(X, Y, FixedPoint(Value));
  }
  void SetFloatVectorF(Single X, Single Y, const TFloatPoint& Value) {
    SetFixedVectorX(Fixed(X), Fixed(Y), FixedPoint(Value));
  }
  void SetFloatVectorFS(Single X, Single Y, const TFloatPoint& Value) {
    SetFixedVectorXS(Fixed(X), Fixed(Y), FixedPoint(Value));
  }

  // Combines SrcRect of Src into this map at (DstLeft, DstTop) by Src's
  // VectorCombineMode.
  void Merge(Integer DstLeft, Integer DstTop, TVectorMap* Src, TRect SrcRect);
  void LoadFromFile(const String& FileName);
  void SaveToFile(const String& FileName);
  // The smallest rectangle (right and bottom exclusive) holding every
  // non-zero vector; Rect(0, 0, 0, 0) when there is none.
  TRect GetTrimmedBounds() const;

  TVectorCombineMode VectorCombineMode() const { return FVectorCombineMode; }
  void SetVectorCombineMode(TVectorCombineMode Value);
  const TVectorCombineEvent& OnVectorCombine() const { return FOnVectorCombine; }
  void SetOnVectorCombine(const TVectorCombineEvent& Value) { FOnVectorCombine = Value; }

  QN_PUBLISHED_DECL(TVectorMap) {
    QN_PROP(VectorCombineMode);
    QN_PROP(OnVectorCombine);
  }

 protected:
  void ChangeSize(Integer& Width, Integer& Height, Integer NewWidth, Integer NewHeight) override;

 private:
  void Splat(TFixed X, TFixed Y, const TFixedPoint& Value, bool Checked);

  TArrayOfFixedVector FVectors;
  TVectorCombineEvent FOnVectorCombine;
  TVectorCombineMode FVectorCombineMode = TVectorCombineMode::vcmAdd;
};

void InitPix32VectorMaps();
void DonePix32VectorMaps();

}  // namespace qn

#include "platform/rtl/MacroShieldEnd.h"
