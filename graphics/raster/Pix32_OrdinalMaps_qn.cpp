#include "graphics/raster/Pix32_OrdinalMaps_qn.h"

#include <cstdlib>
#include <cstring>

#include "graphics/raster/Pix32_LowLevel_qn.h"

namespace qn {

namespace detail {
template <class T>
bool TCellBlock<T>::Resize(size_t Count) {
  if (Count == 0) {
    std::free(FBits);
    FBits = nullptr;
    return true;
  }
  void* p = std::realloc(FBits, Count * sizeof(T));
  if (!p) return false;
  FBits = static_cast<T*>(p);
  return true;
}
}  // namespace detail

namespace {
// The cell count of a new size, or none when either side is empty.
size_t CellCount(Integer W, Integer H) { return W > 0 && H > 0 ? size_t(W) * size_t(H) : 0; }

template <class T>
void ResizeBlock(detail::TCellBlock<T>& Block, Integer& Width, Integer& Height, Integer NewWidth,
                 Integer NewHeight) {
  if (!Block.Resize(CellCount(NewWidth, NewHeight))) throw EOutOfMemory(u"Out of memory");
  Width = Block.FBits ? NewWidth : 0;
  Height = Block.FBits ? NewHeight : 0;
}

// Same class: take its size and copy its block; anything else is the
// inherited assignment's business.
template <class M>
bool AssignSame(M* Self, TPersistent* Source) {
  auto* src = dynamic_cast<M*>(Source);
  if (!src || Source->ClassType() != Self->ClassType()) return false;
  Self->SetSize(src->Width(), src->Height());
  if (Self->Bits() && src->Bits())
    std::memcpy(Self->Bits(), src->Bits(), CellCount(src->Width(), src->Height()) * sizeof(*src->Bits()));
  return true;
}
}  // namespace

// ---------------------------------------------------------------------------
// TBooleanMap

TBooleanMap::TBooleanMap(Integer Width, Integer Height) { SetSize(Width, Height); }
TBooleanMap::~TBooleanMap() { std::free(FBits); }

void TBooleanMap::ChangeSize(Integer& Width, Integer& Height, Integer NewWidth, Integer NewHeight) {
  const size_t bytes = (CellCount(NewWidth, NewHeight) + 7) / 8;
  if (bytes == 0) {
    std::free(FBits);
    FBits = nullptr;
  } else {
    void* p = std::realloc(FBits, bytes);
    if (!p) throw EOutOfMemory(u"Out of memory");
    FBits = static_cast<PByteArray>(p);
  }
  Width = FBits ? NewWidth : 0;
  Height = FBits ? NewHeight : 0;
}

void TBooleanMap::Clear(Byte FillValue) {
  if (FBits) std::memset(FBits, FillValue, (CellCount(FWidth, FHeight) + 7) / 8);
}

bool TBooleanMap::Value(Integer X, Integer Y) const {
  const size_t i = size_t(X) + size_t(Y) * size_t(FWidth);
  return (FBits[i >> 3] >> (i & 7)) & 1;
}

void TBooleanMap::SetValue(Integer X, Integer Y, bool Value) {
  const size_t i = size_t(X) + size_t(Y) * size_t(FWidth);
  if (Value) FBits[i >> 3] |= Byte(1u << (i & 7));
  else FBits[i >> 3] &= Byte(~(1u << (i & 7)));
}

void TBooleanMap::ToggleBit(Integer X, Integer Y) {
  const size_t i = size_t(X) + size_t(Y) * size_t(FWidth);
  FBits[i >> 3] ^= Byte(1u << (i & 7));
}

// ---------------------------------------------------------------------------
// The maps of whole cells

#define QN_ORDINAL_MAP_IMPL(Cls)                                                                    \
  Cls::Cls(Integer Width, Integer Height) { SetSize(Width, Height); }                               \
  void Cls::ChangeSize(Integer& Width, Integer& Height, Integer NewWidth, Integer NewHeight) {       \
    ResizeBlock(FBlock, Width, Height, NewWidth, NewHeight);                                        \
  }

QN_ORDINAL_MAP_IMPL(TByteMap)
QN_ORDINAL_MAP_IMPL(TWordMap)
QN_ORDINAL_MAP_IMPL(TIntegerMap)
QN_ORDINAL_MAP_IMPL(TCardinalMap)
QN_ORDINAL_MAP_IMPL(TFloatMap)
#undef QN_ORDINAL_MAP_IMPL

bool TByteMap::Empty() const { return FWidth == 0 || FHeight == 0 || !FBlock.FBits; }
bool TWordMap::Empty() const { return !FBlock.FBits; }
bool TIntegerMap::Empty() const { return !FBlock.FBits; }
bool TCardinalMap::Empty() const { return !FBlock.FBits; }
bool TFloatMap::Empty() const { return !FBlock.FBits; }

#define QN_ORDINAL_MAP_ASSIGN(Cls)                          \
  void Cls::Assign(TPersistent* Source) {                   \
    BeginUpdate();                                          \
    try {                                                   \
      if (!AssignSame(this, Source)) inherited::Assign(Source); \
    } catch (...) {                                         \
      EndUpdate();                                          \
      throw;                                                \
    }                                                       \
    EndUpdate();                                            \
    Changed();                                              \
  }

QN_ORDINAL_MAP_ASSIGN(TWordMap)
QN_ORDINAL_MAP_ASSIGN(TIntegerMap)
QN_ORDINAL_MAP_ASSIGN(TCardinalMap)
QN_ORDINAL_MAP_ASSIGN(TFloatMap)
#undef QN_ORDINAL_MAP_ASSIGN

void TByteMap::Assign(TPersistent* Source) {
  BeginUpdate();
  try {
    if (auto* bmp = dynamic_cast<TCustomBitmap32*>(Source)) ReadFrom(bmp, TConversionType::ctWeightedRGB);
    else if (!AssignSame(this, Source)) inherited::Assign(Source);
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
  Changed();
}

void TByteMap::AssignTo(TPersistent* Dst) {
  if (auto* bmp = dynamic_cast<TCustomBitmap32*>(Dst)) WriteTo(bmp, TConversionType::ctUniformRGB);
  else inherited::AssignTo(Dst);
}

void TByteMap::Clear(Byte FillValue) {
  if (FBlock.FBits) std::memset(FBlock.FBits, FillValue, CellCount(FWidth, FHeight));
  Changed();
}

void TWordMap::Clear(Word FillValue) {
  if (FBlock.FBits) FillWord(FBlock.FBits, static_cast<Cardinal>(CellCount(FWidth, FHeight)), FillValue);
  Changed();
}

void TIntegerMap::Clear(Integer FillValue) {
  if (FBlock.FBits)
    FillLongword(FBlock.FBits, static_cast<Cardinal>(CellCount(FWidth, FHeight)), static_cast<Cardinal>(FillValue));
  Changed();
}

void TCardinalMap::Clear(Cardinal FillValue) {
  if (FBlock.FBits) FillLongword(FBlock.FBits, static_cast<Cardinal>(CellCount(FWidth, FHeight)), FillValue);
  Changed();
}

void TFloatMap::Clear() {
  if (FBlock.FBits) std::memset(FBlock.FBits, 0, CellCount(FWidth, FHeight) * sizeof(Single));
  Changed();
}

void TFloatMap::Clear(Single FillValue) {
  const size_t n = CellCount(FWidth, FHeight);
  for (size_t i = 0; i < n; ++i) FBlock.FBits[i] = FillValue;
  Changed();
}

// ---------------------------------------------------------------------------
// Byte map conversions

void TByteMap::ReadFrom(TCustomBitmap32* Source, TConversionType Conversion) {
  BeginUpdate();
  try {
    SetSize(Source->Width(), Source->Height());
    if (!Empty()) {
      const size_t n = CellCount(FWidth, FHeight);
      const TColor32* src = Source->Bits();
      Byte* dst = FBlock.FBits;
      for (size_t i = 0; i < n; ++i) {
        const TColor32 c = src[i];
        switch (Conversion) {
          case TConversionType::ctRed: dst[i] = Byte(c >> 16); break;
          case TConversionType::ctGreen: dst[i] = Byte(c >> 8); break;
          case TConversionType::ctBlue: dst[i] = Byte(c); break;
          case TConversionType::ctAlpha: dst[i] = Byte(c >> 24); break;
          case TConversionType::ctUniformRGB:
            dst[i] = Byte((((c >> 16) & 0xFF) + ((c >> 8) & 0xFF) + (c & 0xFF)) / 3);
            break;
          case TConversionType::ctWeightedRGB: dst[i] = Byte(Intensity(c)); break;
        }
      }
    }
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
  Changed();
}

void TByteMap::WriteTo(TCustomBitmap32* Dest, TConversionType Conversion) {
  Dest->BeginUpdate();
  bool resized = false;
  try {
    resized = Dest->SetSize(FWidth, FHeight);
    if (!Empty() && !Dest->Empty()) {
      const size_t n = CellCount(FWidth, FHeight);
      TColor32* dst = Dest->Bits();
      const Byte* src = FBlock.FBits;
      auto put = [&](Integer shift) {
        for (size_t i = 0; i < n; ++i)
          dst[i] = (dst[i] & ~(0xFFu << shift)) | (Cardinal(src[i]) << shift);
      };
      switch (Conversion) {
        case TConversionType::ctRed: put(16); break;
        case TConversionType::ctGreen: put(8); break;
        case TConversionType::ctBlue: put(0); break;
        case TConversionType::ctAlpha: put(24); break;
        case TConversionType::ctUniformRGB:
        case TConversionType::ctWeightedRGB:
          for (size_t i = 0; i < n; ++i) dst[i] = Gray32(src[i], 255);
          break;
      }
    }
  } catch (...) {
    Dest->EndUpdate();
    throw;
  }
  Dest->EndUpdate();
  Dest->Changed();
  if (resized) Dest->Resized();
}

void TByteMap::WriteTo(TCustomBitmap32* Dest, const TPalette32& Palette) {
  Dest->BeginUpdate();
  try {
    Dest->SetSize(FWidth, FHeight);
    if (!Empty() && !Dest->Empty()) {
      const size_t n = CellCount(FWidth, FHeight);
      TColor32* dst = Dest->Bits();
      for (size_t i = 0; i < n; ++i) dst[i] = Palette[FBlock.FBits[i]];
    }
  } catch (...) {
    Dest->EndUpdate();
    throw;
  }
  Dest->EndUpdate();
  Dest->Changed();
}

}  // namespace qn
