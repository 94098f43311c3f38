// Pix32_Filters_qn: whole-bitmap pixel filters: channel copies under a
// mask, grey-scale and intensity conversions, inversion, 8-bit look-up
// tables, chroma keying and bitwise masking. The mask-line routines are
// bound through the registry "Pix32_Filters_qn bindings".
#pragma once
#include "platform/rtl/MacroShield.h"

#include <array>

#include "graphics/raster/Pix32_Bindings_qn.h"
#include "graphics/raster/Pix32_qn.h"

namespace qn {

enum class TLogicalOperator : Byte { loXOR, loAND, loOR };
using TLUT8 = std::array<Byte, 256>;

// Every pixel op Mask, in place or from Src into Dst; Count 0 does nothing.
using TLogicalMaskLine = void(PColor32 Dst, TColor32 Mask, Integer Count);
using TLogicalMaskLineEx = void(const TColor32* Src, PColor32 Dst, Integer Count, TColor32 Mask);

extern TLogicalMaskLine* MaskLineAnd;
extern TLogicalMaskLine* MaskLineOr;
extern TLogicalMaskLine* MaskLineXor;
extern TLogicalMaskLineEx* MaskLineAndTo;
extern TLogicalMaskLineEx* MaskLineOrTo;
extern TLogicalMaskLineEx* MaskLineXorTo;
// Indexed by TLogicalOperator: the XOR, AND and OR routine variables.
extern TLogicalMaskLine* const* const MASK_LINE_PROCS[3];
extern TLogicalMaskLineEx* const* const MASK_LINE_TO_PROCS[3];
extern TFunctionRegistry* FiltersRegistry;

// "The source is nil" or "Destination is nil"; with ResizeDst Dst takes
// Src's size.
void CheckParams(TCustomBitmap32* Dst, TCustomBitmap32* Src, bool ResizeDst = true);
TColor32 CreateBitmask(TColor32Components Components);

void CopyComponents(TCustomBitmap32* Dst, TCustomBitmap32* Src, TColor32Components Components);
void CopyComponents(TCustomBitmap32* Dst, Integer DstX, Integer DstY, TCustomBitmap32* Src, TRect SrcRect,
                    TColor32Components Components);
void ApplyBitmask(TCustomBitmap32* Dst, Integer DstX, Integer DstY, TCustomBitmap32* Src, TRect SrcRect,
                  TColor32 Bitmask, TLogicalOperator LogicalOperator);
// In place; "The bitmap is nil" for a nil bitmap.
void ApplyBitmask(TCustomBitmap32* ABitmap, TRect ARect, TColor32 Bitmask, TLogicalOperator LogicalOperator);

void Invert(TCustomBitmap32* Dst, TCustomBitmap32* Src,
            TColor32Components Components = TColor32Components{TColor32Component::ccBlue, TColor32Component::ccGreen,
                                                                TColor32Component::ccRed, TColor32Component::ccAlpha});
void InvertRGB(TCustomBitmap32* Dst, TCustomBitmap32* Src);
// Grey by the intensity (R * 61 + G * 174 + B * 21) shr 8.
void ColorToGrayscale(TCustomBitmap32* Dst, TCustomBitmap32* Src, bool PreserveAlpha = false);
void AlphaToGrayscale(TCustomBitmap32* Dst, TCustomBitmap32* Src);
void IntensityToAlpha(TCustomBitmap32* Dst, TCustomBitmap32* Src);
void ApplyLUT(TCustomBitmap32* Dst, TCustomBitmap32* Src, const TLUT8& LUT, bool PreserveAlpha = false);
// Pixels of TrColor's colour (its alpha is not compared) become transparent.
void ChromaKey(TCustomBitmap32* ABitmap, TColor32 TrColor);

void InitPix32Filters();
void DonePix32Filters();

}  // namespace qn

#include "platform/rtl/MacroShieldEnd.h"
