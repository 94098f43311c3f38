// The implementations behind the blend routine variables, for the unit's
// registration only.
#pragma once
#include "platform/rtl/MacroShield.h"

#include "graphics/raster/Pix32_Blend_qn.h"

namespace qn::blend {

// Processor forms clamp weights and master alphas to a byte first.
inline Cardinal Byte255(Cardinal W) { return W > 255 ? 255 : W; }

#define QN_BLEND_VARIANTS(S)                                                           \
  TColor32 BlendReg_##S(TColor32 F, TColor32 B);                                       \
  void BlendMem_##S(TColor32 F, TColor32& B);                                          \
  void BlendMems_##S(TColor32 F, PColor32 B, Integer Count);                           \
  TColor32 BlendRegEx_##S(TColor32 F, TColor32 B, TColor32 M);                         \
  void BlendMemEx_##S(TColor32 F, TColor32& B, TColor32 M);                            \
  void BlendLine_##S(const TColor32* Src, PColor32 Dst, Integer Count);                \
  void BlendLineEx_##S(const TColor32* Src, PColor32 Dst, Integer Count, TColor32 M);  \
  TColor32 CombineReg_##S(TColor32 X, TColor32 Y, TColor32 W);                         \
  void CombineMem_##S(TColor32 X, TColor32& Y, TColor32 W);                            \
  void CombineLine_##S(const TColor32* Src, PColor32 Dst, Integer Count, TColor32 W);  \
  TColor32 ColorMax_##S(TColor32 C1, TColor32 C2);                                     \
  TColor32 ColorMin_##S(TColor32 C1, TColor32 C2);                                     \
  TColor32 ColorAdd_##S(TColor32 C1, TColor32 C2);                                     \
  TColor32 ColorSub_##S(TColor32 C1, TColor32 C2);                                     \
  TColor32 ColorModulate_##S(TColor32 C1, TColor32 C2);                                \
  TColor32 ColorDifference_##S(TColor32 C1, TColor32 C2);                              \
  TColor32 ColorExclusion_##S(TColor32 C1, TColor32 C2);                               \
  TColor32 ColorScale_##S(TColor32 C, Cardinal W);                                     \
  TColor32 LightenReg_##S(TColor32 C, Integer Amount);                                 \
  TColor32 BlendRegRGB_##S(TColor32 F, TColor32 B, TColor32 W);                        \
  void BlendMemRGB_##S(TColor32 F, TColor32& B, TColor32 W);                           \
  void EMMS_##S();

QN_BLEND_VARIANTS(Pas)
QN_BLEND_VARIANTS(SSE2)
#undef QN_BLEND_VARIANTS

// BlendLine of the same form with the old destination read from Back.
void BlendLineFrom_SSE2(const TColor32* Src, const TColor32* Back, PColor32 Dst, Integer Count);

// Plain-only routines.
TColor32 MergeReg_Table(TColor32 F, TColor32 B);
TColor32 MergeReg_Pas(TColor32 F, TColor32 B);
void MergeMem_Pas(TColor32 F, TColor32& B);
void MergeLine_Pas(const TColor32* Src, PColor32 Dst, Integer Count);
TColor32 MergeRegEx_Pas(TColor32 F, TColor32 B, TColor32 M);
void MergeMemEx_Pas(TColor32 F, TColor32& B, TColor32 M);
void MergeLineEx_Pas(const TColor32* Src, PColor32 Dst, Integer Count, TColor32 M);
TColor32 ColorAverage_Pas(TColor32 C1, TColor32 C2);
TColor32 ColorDiv_Pas(TColor32 C1, TColor32 C2);

// Line forms with 32-byte vectors; results equal the SSE2 forms'.
void BlendLine_AVX2(const TColor32* Src, PColor32 Dst, Integer Count);
void BlendLineEx_AVX2(const TColor32* Src, PColor32 Dst, Integer Count, TColor32 M);
void CombineLine_AVX2(const TColor32* Src, PColor32 Dst, Integer Count, TColor32 W);
void BlendMems_AVX2(TColor32 F, PColor32 B, Integer Count);
void MergeLine_AVX2(const TColor32* Src, PColor32 Dst, Integer Count);
void BlendRowsFrom_AVX2(const TColor32* Src, size_t SrcStride, const TColor32* Back, size_t BackStride, PColor32 Dst,
                        size_t DstStride, Integer Count, Integer Rows);

}  // namespace qn::blend

#include "platform/rtl/MacroShieldEnd.h"
