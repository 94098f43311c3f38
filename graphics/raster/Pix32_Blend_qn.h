// Per-pixel composition: blend (source alpha), Ex forms (source alpha scaled
// by a master alpha), combine (free weight), merge (two partly transparent
// pixels), and per-channel colour arithmetic. Every routine is a variable
// bound at load to the best implementation for the processor.
#pragma once
#include "platform/rtl/MacroShield.h"

#include <cstddef>

#include "graphics/raster/Pix32_qn.h"

namespace qn {

using TBlendReg = TColor32(TColor32 F, TColor32 B);
using TBlendMem = void(TColor32 F, TColor32& B);
using TBlendMems = void(TColor32 F, PColor32 B, Integer Count);
using TBlendRegEx = TColor32(TColor32 F, TColor32 B, TColor32 M);
using TBlendMemEx = void(TColor32 F, TColor32& B, TColor32 M);
using TBlendRegRGB = TColor32(TColor32 F, TColor32 B, TColor32 W);
using TBlendMemRGB = void(TColor32 F, TColor32& B, TColor32 W);
using TBlendLine = void(const TColor32* Src, PColor32 Dst, Integer Count);
using TBlendLineEx = void(const TColor32* Src, PColor32 Dst, Integer Count, TColor32 M);
using TCombineReg = TColor32(TColor32 X, TColor32 Y, TColor32 W);
using TCombineMem = void(TColor32 X, TColor32& Y, TColor32 W);
using TCombineLine = void(const TColor32* Src, PColor32 Dst, Integer Count, TColor32 W);
using TLightenReg = TColor32(TColor32 C, Integer Amount);
using TColorOp = TColor32(TColor32 C1, TColor32 C2);
using TColorScale = TColor32(TColor32 C, Cardinal W);
using TEMMSProc = void();

// Call after a run of blend calls, before floating-point work.
extern TEMMSProc* EMMS;
extern TBlendReg* MergeReg;
extern TBlendMem* MergeMem;
extern TBlendLine* MergeLine;
extern TBlendRegEx* MergeRegEx;
extern TBlendMemEx* MergeMemEx;
extern TBlendLineEx* MergeLineEx;
extern TCombineReg* CombineReg;
extern TCombineMem* CombineMem;
extern TCombineLine* CombineLine;
extern TBlendReg* BlendReg;
extern TBlendMem* BlendMem;
extern TBlendMems* BlendMems;
extern TBlendLine* BlendLine;
extern TBlendRegEx* BlendRegEx;
extern TBlendMemEx* BlendMemEx;
extern TBlendLineEx* BlendLineEx;
extern TColorOp* ColorMax;
extern TColorOp* ColorMin;
extern TColorOp* ColorAverage;
extern TColorOp* ColorAdd;
extern TColorOp* ColorSub;
extern TColorOp* ColorDiv;
extern TColorOp* ColorModulate;
extern TColorOp* ColorDifference;
extern TColorOp* ColorExclusion;
extern TColorScale* ColorScale;
extern TLightenReg* LightenReg;
extern TBlendRegRGB* BlendRegRGB;
extern TBlendMemRGB* BlendMemRGB;

TColor32 Lighten(TColor32 C, Integer Amount);

// Dst[i] = what BlendLine(Src, Dst, Count) gives had Dst[i] been Back[i]:
// a blend onto a background kept elsewhere, without copying it first. The
// bytes are those of the bound BlendLine. Dst may be Back; otherwise the
// rows must not overlap.
void BlendLineFrom(const TColor32* Src, const TColor32* Back, PColor32 Dst, Integer Count);
// BlendLineFrom on Rows rows of Count pixels, the rows of each operand its
// stride (in pixels) apart.
void BlendRowsFrom(const TColor32* Src, size_t SrcStride, const TColor32* Back, size_t BackStride, PColor32 Dst,
                   size_t DstStride, Integer Count, Integer Rows);

// Each entry is the address of a routine variable, so a lookup always
// reaches the routine bound now.
extern TBlendReg* const* const BLEND_REG[2];
extern TBlendMem* const* const BLEND_MEM[2];
extern TBlendRegEx* const* const BLEND_REG_EX[2];
extern TBlendMemEx* const* const BLEND_MEM_EX[2];
extern TBlendLine* const* const BLEND_LINE[2];
extern TBlendLineEx* const* const BLEND_LINE_EX[2];

// DivTable[a][b] = Round(a * b / 255); RcTable[a][b] = Round(b * 255 / a)
// (low 8 bits), RcTable[0][b] = 0.
extern Byte (&DivTable)[256][256];
extern Byte (&RcTable)[256][256];
// 256 entries of eight 16-bit words equal to the index, 16-byte aligned;
// bias_ptr is the entry of 128. Built when the processor has MMX or SSE2.
extern Word* alpha_ptr;
extern Word* bias_ptr;
extern bool MMX_ACTIVE;

class TFunctionRegistry;
extern TFunctionRegistry* BlendRegistry;

// Binding IDs of the registry "Pix32_Blend_qn bindings".
enum : Integer {
  FID_EMMS, FID_MERGEREG, FID_MERGEMEM, FID_MERGELINE, FID_MERGEREGEX, FID_MERGEMEMEX, FID_MERGELINEEX,
  FID_COMBINEREG, FID_COMBINEMEM, FID_COMBINELINE, FID_BLENDREG, FID_BLENDMEM, FID_BLENDMEMS,
  FID_BLENDLINE, FID_BLENDREGEX, FID_BLENDMEMEX, FID_BLENDLINEEX, FID_COLORMAX, FID_COLORMIN,
  FID_COLORAVERAGE, FID_COLORADD, FID_COLORSUB, FID_COLORDIV, FID_COLORMODULATE, FID_COLORDIFFERENCE,
  FID_COLOREXCLUSION, FID_COLORSCALE, FID_LIGHTEN, FID_BLENDREGRGB, FID_BLENDMEMRGB
};

void InitPix32Blend();
void DonePix32Blend();

}  // namespace qn

#include "platform/rtl/MacroShieldEnd.h"
