// Two-dimensional arrays of one ordinal or float type per cell, sized like a
// bitmap: masks, height fields, weight tables and other per-pixel scalars.
// Cells are stored row by row; cell (X, Y) is at index X + Y * Width. The
// accessors check nothing: callers keep coordinates inside the map.
#pragma once
#include "platform/rtl/MacroShield.h"

#include "graphics/raster/Pix32_qn.h"

namespace qn {

enum class TConversionType { ctRed, ctGreen, ctBlue, ctAlpha, ctUniformRGB, ctWeightedRGB };

// One bit per cell, lowest bit first.
class TBooleanMap : public TCustomMap {
  QN_CLASS(TBooleanMap, TCustomMap)
 public:
  TBooleanMap() = default;
  TBooleanMap(Integer Width, Integer Height);
  ~TBooleanMap() override;

  bool Empty() const override { return FBits == nullptr; }
  // Fills every byte of the block; no change notification.
  void Clear(Byte FillValue);
  bool Value(Integer X, Integer Y) const;
  void SetValue(Integer X, Integer Y, bool Value);
  void ToggleBit(Integer X, Integer Y);
  PByteArray Bits() const { return FBits; }

 protected:
  void ChangeSize(Integer& Width, Integer& Height, Integer NewWidth, Integer NewHeight) override;

 private:
  PByteArray FBits = nullptr;
};

namespace detail {
// The storage shared by the maps of whole cells.
template <class T>
class TCellBlock {
 public:
  ~TCellBlock() { std::free(FBits); }
  // Contents kept up to the smaller size; false when memory ran out.
  bool Resize(size_t Count);
  T* FBits = nullptr;
};
}  // namespace detail

#define QN_ORDINAL_MAP_COMMON(Cls, T)                                                \
 public:                                                                             \
  Cls() = default;                                                                   \
  Cls(Integer Width, Integer Height);                                                \
  void Assign(TPersistent* Source) override;                                         \
  bool Empty() const override;                                                       \
  T Value(Integer X, Integer Y) const { return FBlock.FBits[X + Y * FWidth]; }       \
  void SetValue(Integer X, Integer Y, T Value) { FBlock.FBits[X + Y * FWidth] = Value; } \
  T* ValPtr(Integer X, Integer Y) const { return FBlock.FBits + X + Y * FWidth; }    \
  T* Scanline(Integer Y) const { return FBlock.FBits + Y * FWidth; }                 \
  T GetValue(Integer X, Integer Y) const { return Value(X, Y); }                    \
  T* GetValPtr(Integer X, Integer Y) const { return ValPtr(X, Y); }                 \
  T* GetScanline(Integer Y) const { return Scanline(Y); }                           \
  T* Bits() const { return FBlock.FBits; }                                           \
                                                                                     \
 protected:                                                                          \
  void ChangeSize(Integer& Width, Integer& Height, Integer NewWidth, Integer NewHeight) override; \
                                                                                     \
 private:                                                                            \
  detail::TCellBlock<T> FBlock;                                                      \
                                                                                     \
 public:

class TByteMap : public TCustomMap {
  QN_CLASS(TByteMap, TCustomMap)
  QN_ORDINAL_MAP_COMMON(TByteMap, Byte)
  void Clear(Byte FillValue);
  // Takes the size of Source and one byte of every pixel.
  void ReadFrom(TCustomBitmap32* Source, TConversionType Conversion);
  // Sizes Dest like the map; the channel conversions replace one byte of each
  // pixel, the grey ones write opaque grey.
  void WriteTo(TCustomBitmap32* Dest, TConversionType Conversion);
  void WriteTo(TCustomBitmap32* Dest, const TPalette32& Palette);

 protected:
  void AssignTo(TPersistent* Dst) override;
};

class TWordMap : public TCustomMap {
  QN_CLASS(TWordMap, TCustomMap)
  QN_ORDINAL_MAP_COMMON(TWordMap, Word)
  void Clear(Word FillValue);
};

class TIntegerMap : public TCustomMap {
  QN_CLASS(TIntegerMap, TCustomMap)
  QN_ORDINAL_MAP_COMMON(TIntegerMap, Integer)
  void Clear(Integer FillValue);
};

class TCardinalMap : public TCustomMap {
  QN_CLASS(TCardinalMap, TCustomMap)
  QN_ORDINAL_MAP_COMMON(TCardinalMap, Cardinal)
  void Clear(Cardinal FillValue);
};

class TFloatMap : public TCustomMap {
  QN_CLASS(TFloatMap, TCustomMap)
  QN_ORDINAL_MAP_COMMON(TFloatMap, Single)
  // All bits zero.
  void Clear();
  void Clear(Single FillValue);
};

#undef QN_ORDINAL_MAP_COMMON

}  // namespace qn

#include "platform/rtl/MacroShieldEnd.h"
