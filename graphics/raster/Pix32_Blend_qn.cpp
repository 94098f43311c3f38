#include "graphics/raster/Pix32_Blend_qn.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "graphics/raster/Pix32_Bindings_qn.h"
#include "graphics/raster/Pix32_Blend_qn_Variants.h"

namespace qn {

TEMMSProc* EMMS = nullptr;
TBlendReg* MergeReg = nullptr;
TBlendMem* MergeMem = nullptr;
TBlendLine* MergeLine = nullptr;
TBlendRegEx* MergeRegEx = nullptr;
TBlendMemEx* MergeMemEx = nullptr;
TBlendLineEx* MergeLineEx = nullptr;
TCombineReg* CombineReg = nullptr;
TCombineMem* CombineMem = nullptr;
TCombineLine* CombineLine = nullptr;
TBlendReg* BlendReg = nullptr;
TBlendMem* BlendMem = nullptr;
TBlendMems* BlendMems = nullptr;
TBlendLine* BlendLine = nullptr;
TBlendRegEx* BlendRegEx = nullptr;
TBlendMemEx* BlendMemEx = nullptr;
TBlendLineEx* BlendLineEx = nullptr;
TColorOp* ColorMax = nullptr;
TColorOp* ColorMin = nullptr;
TColorOp* ColorAverage = nullptr;
TColorOp* ColorAdd = nullptr;
TColorOp* ColorSub = nullptr;
TColorOp* ColorDiv = nullptr;
TColorOp* ColorModulate = nullptr;
TColorOp* ColorDifference = nullptr;
TColorOp* ColorExclusion = nullptr;
TColorScale* ColorScale = nullptr;
TLightenReg* LightenReg = nullptr;
TBlendRegRGB* BlendRegRGB = nullptr;
TBlendMemRGB* BlendMemRGB = nullptr;

TColor32 Lighten(TColor32 C, Integer Amount) { return LightenReg(C, Amount); }

void BlendLineFrom(const TColor32* Src, const TColor32* Back, PColor32 Dst, Integer Count) {
  BlendRowsFrom(Src, 0, Back, 0, Dst, 0, Count, 1);
}

void BlendRowsFrom(const TColor32* Src, size_t SrcStride, const TColor32* Back, size_t BackStride, PColor32 Dst,
                   size_t DstStride, Integer Count, Integer Rows) {
  if (Count <= 0 || Rows <= 0) return;
  // The processor forms are known to give the same bytes from a background
  // read elsewhere; any other binding (plain, or one rebound by hand) gets
  // its background copied first.
#if defined(__x86_64__)
  if (BlendLine == &blend::BlendLine_AVX2) {
    blend::BlendRowsFrom_AVX2(Src, SrcStride, Back, BackStride, Dst, DstStride, Count, Rows);
    return;
  }
  if (BlendLine == &blend::BlendLine_SSE2) {
    for (Integer y = 0; y < Rows; ++y, Src += SrcStride, Back += BackStride, Dst += DstStride)
      blend::BlendLineFrom_SSE2(Src, Back, Dst, Count);
    return;
  }
#endif
  for (Integer y = 0; y < Rows; ++y, Src += SrcStride, Back += BackStride, Dst += DstStride) {
    if (Dst != Back) std::memmove(Dst, Back, static_cast<size_t>(Count) * 4);
    BlendLine(Src, Dst, Count);
  }
}

TBlendReg* const* const BLEND_REG[2] = {&BlendReg, &MergeReg};
TBlendMem* const* const BLEND_MEM[2] = {&BlendMem, &MergeMem};
TBlendRegEx* const* const BLEND_REG_EX[2] = {&BlendRegEx, &MergeRegEx};
TBlendMemEx* const* const BLEND_MEM_EX[2] = {&BlendMemEx, &MergeMemEx};
TBlendLine* const* const BLEND_LINE[2] = {&BlendLine, &MergeLine};
TBlendLineEx* const* const BLEND_LINE_EX[2] = {&BlendLineEx, &MergeLineEx};

namespace {
// Four bytes past RcTable: the vector merge reads each entry as a 32-bit word.
alignas(64) Byte gDivStore[256 * 256];
alignas(64) Byte gRcStore[256 * 256 + 4];
Byte* AlphaTable = nullptr;
}  // namespace

Byte (&DivTable)[256][256] = *reinterpret_cast<Byte (*)[256][256]>(gDivStore);
Byte (&RcTable)[256][256] = *reinterpret_cast<Byte (*)[256][256]>(gRcStore);
Word* alpha_ptr = nullptr;
Word* bias_ptr = nullptr;
bool MMX_ACTIVE = false;
TFunctionRegistry* BlendRegistry = nullptr;

namespace blend {

namespace {
inline Cardinal Ch(TColor32 c, int shift) { return (c >> shift) & 0xFF; }

// F over B with weight w on the colour channels; alpha from Alpha.
inline TColor32 Over(TColor32 F, TColor32 B, Cardinal w, Cardinal Alpha) {
  const Byte* fw = DivTable[w];
  const Byte* bw = DivTable[255 - w];
  return (Alpha << 24) | Cardinal(fw[Ch(F, 16)] + bw[Ch(B, 16)]) << 16 |
         Cardinal(fw[Ch(F, 8)] + bw[Ch(B, 8)]) << 8 | Cardinal(fw[Ch(F, 0)] + bw[Ch(B, 0)]);
}

template <class Op>
inline TColor32 PerChannel(TColor32 C1, TColor32 C2, Op op) {
  TColor32 r = 0;
  for (int s = 0; s < 32; s += 8) r |= (Cardinal(op(Integer(Ch(C1, s)), Integer(Ch(C2, s)))) & 0xFF) << s;
  return r;
}
}  // namespace

TColor32 BlendReg_Pas(TColor32 F, TColor32 B) {
  const Cardinal a = F >> 24;
  if (a == 0) return B;
  if (a == 255) return F;
  return Over(F, B, a, B >> 24);
}

void BlendMem_Pas(TColor32 F, TColor32& B) {
  const Cardinal a = F >> 24;
  if (a == 0) return;
  if (a == 255) {
    B = F;
    return;
  }
  B = Over(F, B, a, B >> 24);
}

void BlendMems_Pas(TColor32 F, PColor32 B, Integer Count) {
  for (Integer i = 0; i < Count; ++i) BlendMem(F, B[i]);
}

TColor32 BlendRegEx_Pas(TColor32 F, TColor32 B, TColor32 M) {
  const Cardinal a = DivTable[Byte255(M)][F >> 24];
  if (a == 0) return B;
  if (a == 255) return F;
  return Over(F, B, a, B >> 24);
}

void BlendMemEx_Pas(TColor32 F, TColor32& B, TColor32 M) { B = BlendRegEx_Pas(F, B, M); }

void BlendLine_Pas(const TColor32* Src, PColor32 Dst, Integer Count) {
  for (Integer i = 0; i < Count; ++i) BlendMem(Src[i], Dst[i]);
}

void BlendLineEx_Pas(const TColor32* Src, PColor32 Dst, Integer Count, TColor32 M) {
  for (Integer i = 0; i < Count; ++i) BlendMemEx(Src[i], Dst[i], M);
}

TColor32 CombineReg_Pas(TColor32 X, TColor32 Y, TColor32 W) {
  if (W == 0) return Y;
  if (W >= 255) return X;
  return Over(X, Y, W, X >> 24);
}

void CombineMem_Pas(TColor32 X, TColor32& Y, TColor32 W) {
  if (W == 0) return;
  Y = CombineReg_Pas(X, Y, W);
}

void CombineLine_Pas(const TColor32* Src, PColor32 Dst, Integer Count, TColor32 W) {
  for (Integer i = 0; i < Count; ++i) CombineMem(Src[i], Dst[i], W);
}

TColor32 MergeReg_Table(TColor32 F, TColor32 B) {
  const Cardinal fa = F >> 24, ba = B >> 24;
  if (fa == 255) return F;
  if (fa == 0) return B;
  if (ba == 0) return F;
  const Cardinal xa = 255 - DivTable[255 - fa][255 - ba];
  return Over(F, B, RcTable[xa][fa], xa);
}

TColor32 MergeReg_Pas(TColor32 F, TColor32 B) {
  const Cardinal fa = F >> 24, ba = B >> 24;
  if (fa == 0) return B;
  if (ba == 255) return BlendReg(F, B) | 0xFF000000u;
  if (fa == 255 || ba == 0) return F;
  const Cardinal xa = fa + ba - DivTable[ba][fa];
  const Byte* bw = DivTable[ba];
  const Byte* fw = DivTable[fa];
  const Byte* rc = RcTable[xa];
  TColor32 r = xa << 24;
  for (int s = 0; s < 24; s += 8) {
    const Integer b = bw[Ch(B, s)];
    const Integer d = Integer(Ch(F, s)) - b;
    const Integer v = d >= 0 ? b + fw[d] : b - fw[-d];
    r |= Cardinal(rc[v]) << s;
  }
  return r;
}

void MergeMem_Pas(TColor32 F, TColor32& B) { B = MergeReg(F, B); }

namespace {
inline TColor32 ScaleAlphaBy(TColor32 F, TColor32 M) {
  return (F & 0x00FFFFFFu) | Cardinal(DivTable[Byte255(M)][F >> 24]) << 24;
}
}  // namespace

TColor32 MergeRegEx_Pas(TColor32 F, TColor32 B, TColor32 M) { return MergeReg(ScaleAlphaBy(F, M), B); }
void MergeMemEx_Pas(TColor32 F, TColor32& B, TColor32 M) { B = MergeReg(ScaleAlphaBy(F, M), B); }

void MergeLine_Pas(const TColor32* Src, PColor32 Dst, Integer Count) {
  for (Integer i = 0; i < Count; ++i) Dst[i] = MergeReg(Src[i], Dst[i]);
}

void MergeLineEx_Pas(const TColor32* Src, PColor32 Dst, Integer Count, TColor32 M) {
  for (Integer i = 0; i < Count; ++i) Dst[i] = MergeReg(ScaleAlphaBy(Src[i], M), Dst[i]);
}

TColor32 ColorAdd_Pas(TColor32 C1, TColor32 C2) {
  return PerChannel(C1, C2, [](Integer a, Integer b) { return a + b > 255 ? 255 : a + b; });
}
TColor32 ColorSub_Pas(TColor32 C1, TColor32 C2) {
  return PerChannel(C1, C2, [](Integer a, Integer b) { return a - b < 0 ? 0 : a - b; });
}
TColor32 ColorDiv_Pas(TColor32 C1, TColor32 C2) {
  return PerChannel(C1, C2, [](Integer a, Integer b) {
    if (a == 0) return 255;
    Integer q = (b * 256) / a;
    return q > 255 ? 255 : q;
  });
}
TColor32 ColorModulate_Pas(TColor32 C1, TColor32 C2) {
  return PerChannel(C1, C2, [](Integer a, Integer b) { return (a * b) >> 8; });
}
TColor32 ColorMax_Pas(TColor32 C1, TColor32 C2) {
  return PerChannel(C1, C2, [](Integer a, Integer b) { return a > b ? a : b; });
}
TColor32 ColorMin_Pas(TColor32 C1, TColor32 C2) {
  return PerChannel(C1, C2, [](Integer a, Integer b) { return a < b ? a : b; });
}
TColor32 ColorDifference_Pas(TColor32 C1, TColor32 C2) {
  return PerChannel(C1, C2, [](Integer a, Integer b) { return a > b ? a - b : b - a; });
}
TColor32 ColorExclusion_Pas(TColor32 C1, TColor32 C2) {
  return PerChannel(C1, C2, [](Integer a, Integer b) { return a + b - ((a * b) >> 7); });
}
TColor32 ColorAverage_Pas(TColor32 C1, TColor32 C2) { return (((C1 ^ C2) >> 1) & 0x7F7F7F7Fu) + (C1 & C2); }
TColor32 ColorScale_Pas(TColor32 C, Cardinal W) {
  TColor32 r = 0;
  for (int s = 0; s < 32; s += 8) {
    UInt64 v = (UInt64(Ch(C, s)) * W) >> 8;
    r |= Cardinal(v > 255 ? 255 : v) << s;
  }
  return r;
}

TColor32 LightenReg_Pas(TColor32 C, Integer Amount) {
  TColor32 r = C & 0xFF000000u;
  for (int s = 0; s < 24; s += 8) {
    Int64 v = Int64(Ch(C, s)) + Amount;
    r |= Cardinal(v < 0 ? 0 : (v > 255 ? 255 : v)) << s;
  }
  return r;
}

// Weights: red by byte 0 of W, green by byte 1, blue by byte 2. B's alpha is
// kept, so the register and memory forms agree.
TColor32 BlendRegRGB_Pas(TColor32 F, TColor32 B, TColor32 W) {
  TColor32 r = B & 0xFF000000u;
  static constexpr int kShift[3] = {16, 8, 0};
  for (int i = 0; i < 3; ++i) {
    const int s = kShift[i];
    const Integer w = Integer(Ch(W, 8 * i));
    const Integer b = Integer(Ch(B, s));
    const Integer c = b + ((Integer(Ch(F, s)) - b) * w) / 255;
    r |= Cardinal(c) << s;
  }
  return r;
}

void BlendMemRGB_Pas(TColor32 F, TColor32& B, TColor32 W) { B = BlendRegRGB_Pas(F, B, W); }

void EMMS_Pas() {}

}  // namespace blend

namespace {
void BuildTables() {
  for (int a = 0; a < 256; ++a)
    for (int b = 0; b < 256; ++b) {
      DivTable[a][b] = static_cast<Byte>(Round(static_cast<Extended>(a) * b / 255));
      RcTable[a][b] = a == 0 ? 0 : static_cast<Byte>(Round(static_cast<Extended>(b) * 255 / a) & 0xFF);
    }
}

void BuildAlphaTable() {
  AlphaTable = static_cast<Byte*>(std::malloc(8224));
  if (!AlphaTable) throw EOutOfMemory(u"Out of memory");
  auto p = reinterpret_cast<uintptr_t>(AlphaTable);
  alpha_ptr = reinterpret_cast<Word*>((p + 15) & ~uintptr_t(15));
  for (int i = 0; i < 256; ++i)
    for (int j = 0; j < 8; ++j) alpha_ptr[i * 8 + j] = static_cast<Word>(i);
  bias_ptr = alpha_ptr + 128 * 8;
}
}  // namespace

void InitPix32Blend() {
  using namespace blend;
  using ci = TCPUInstructionSet;
  TFunctionRegistry* r = NewRegistry(u"Pix32_Blend_qn bindings");
  BlendRegistry = r;
  r->RegisterBinding(FID_EMMS, &EMMS, "EMMS");
  r->RegisterBinding(FID_MERGEREG, &MergeReg, "MergeReg");
  r->RegisterBinding(FID_MERGEMEM, &MergeMem, "MergeMem");
  r->RegisterBinding(FID_MERGELINE, &MergeLine, "MergeLine");
  r->RegisterBinding(FID_MERGEREGEX, &MergeRegEx, "MergeRegEx");
  r->RegisterBinding(FID_MERGEMEMEX, &MergeMemEx, "MergeMemEx");
  r->RegisterBinding(FID_MERGELINEEX, &MergeLineEx, "MergeLineEx");
  r->RegisterBinding(FID_COMBINEREG, &CombineReg, "CombineReg");
  r->RegisterBinding(FID_COMBINEMEM, &CombineMem, "CombineMem");
  r->RegisterBinding(FID_COMBINELINE, &CombineLine, "CombineLine");
  r->RegisterBinding(FID_BLENDREG, &BlendReg, "BlendReg");
  r->RegisterBinding(FID_BLENDMEM, &BlendMem, "BlendMem");
  r->RegisterBinding(FID_BLENDMEMS, &BlendMems, "BlendMems");
  r->RegisterBinding(FID_BLENDLINE, &BlendLine, "BlendLine");
  r->RegisterBinding(FID_BLENDREGEX, &BlendRegEx, "BlendRegEx");
  r->RegisterBinding(FID_BLENDMEMEX, &BlendMemEx, "BlendMemEx");
  r->RegisterBinding(FID_BLENDLINEEX, &BlendLineEx, "BlendLineEx");
  r->RegisterBinding(FID_COLORMAX, &ColorMax, "ColorMax");
  r->RegisterBinding(FID_COLORMIN, &ColorMin, "ColorMin");
  r->RegisterBinding(FID_COLORAVERAGE, &ColorAverage, "ColorAverage");
  r->RegisterBinding(FID_COLORADD, &ColorAdd, "ColorAdd");
  r->RegisterBinding(FID_COLORSUB, &ColorSub, "ColorSub");
  r->RegisterBinding(FID_COLORDIV, &ColorDiv, "ColorDiv");
  r->RegisterBinding(FID_COLORMODULATE, &ColorModulate, "ColorModulate");
  r->RegisterBinding(FID_COLORDIFFERENCE, &ColorDifference, "ColorDifference");
  r->RegisterBinding(FID_COLOREXCLUSION, &ColorExclusion, "ColorExclusion");
  r->RegisterBinding(FID_COLORSCALE, &ColorScale, "ColorScale");
  r->RegisterBinding(FID_LIGHTEN, &LightenReg, "LightenReg");
  r->RegisterBinding(FID_BLENDREGRGB, &BlendRegRGB, "BlendRegRGB");
  r->RegisterBinding(FID_BLENDMEMRGB, &BlendMemRGB, "BlendMemRGB");

  const char* P = "plain";
  r->Add(FID_EMMS, &EMMS_Pas, {}, 0, P);
  r->Add(FID_MERGEREG, &MergeReg_Table, {}, 0, "table");
  r->Add(FID_MERGEMEM, &MergeMem_Pas, {}, 0, P);
  r->Add(FID_MERGEMEMEX, &MergeMemEx_Pas, {}, 0, P);
  r->Add(FID_MERGEREGEX, &MergeRegEx_Pas, {}, 0, P);
  r->Add(FID_MERGELINE, &MergeLine_Pas, {}, 0, P);
  r->Add(FID_MERGELINEEX, &MergeLineEx_Pas, {}, 0, P);
  r->Add(FID_COLORDIV, &ColorDiv_Pas, {}, 0, P);
  r->Add(FID_COLORAVERAGE, &ColorAverage_Pas, {}, 0, P);
  r->Add(FID_COMBINEREG, &CombineReg_Pas, {}, 0, P);
  r->Add(FID_COMBINEMEM, &CombineMem_Pas, {}, 0, P);
  r->Add(FID_COMBINELINE, &CombineLine_Pas, {}, 0, P);
  r->Add(FID_BLENDREG, &BlendReg_Pas, {}, 0, P);
  r->Add(FID_BLENDMEM, &BlendMem_Pas, {}, 0, P);
  r->Add(FID_BLENDMEMS, &BlendMems_Pas, {}, 0, P);
  r->Add(FID_BLENDLINE, &BlendLine_Pas, {}, 0, P);
  r->Add(FID_BLENDREGEX, &BlendRegEx_Pas, {}, 0, P);
  r->Add(FID_BLENDMEMEX, &BlendMemEx_Pas, {}, 0, P);
  r->Add(FID_BLENDLINEEX, &BlendLineEx_Pas, {}, 0, P);
  r->Add(FID_COLORMAX, &ColorMax_Pas, {}, 0, P);
  r->Add(FID_COLORMIN, &ColorMin_Pas, {}, 0, P);
  r->Add(FID_COLORADD, &ColorAdd_Pas, {}, 0, P);
  r->Add(FID_COLORSUB, &ColorSub_Pas, {}, 0, P);
  r->Add(FID_COLORMODULATE, &ColorModulate_Pas, {}, 0, P);
  r->Add(FID_COLORDIFFERENCE, &ColorDifference_Pas, {}, 0, P);
  r->Add(FID_COLOREXCLUSION, &ColorExclusion_Pas, {}, 0, P);
  r->Add(FID_COLORSCALE, &ColorScale_Pas, {}, 0, P);
  r->Add(FID_LIGHTEN, &LightenReg_Pas, {}, 0, P);
  r->Add(FID_BLENDREGRGB, &BlendRegRGB_Pas, {}, 0, P);
  r->Add(FID_BLENDMEMRGB, &BlendMemRGB_Pas, {}, 0, P);

#if defined(__x86_64__)
  const TCPUFeatures sse2{ci::ciSSE2};
  const char* S = "SSE2";
  r->Add(FID_EMMS, &EMMS_SSE2, sse2, 0, S);
  r->Add(FID_COMBINEREG, &CombineReg_SSE2, sse2, 0, S);
  r->Add(FID_COMBINEMEM, &CombineMem_SSE2, sse2, 0, S);
  r->Add(FID_COMBINELINE, &CombineLine_SSE2, sse2, 0, S);
  r->Add(FID_BLENDREG, &BlendReg_SSE2, sse2, 0, S);
  r->Add(FID_BLENDMEM, &BlendMem_SSE2, sse2, 0, S);
  r->Add(FID_BLENDMEMS, &BlendMems_SSE2, sse2, 0, S);
  r->Add(FID_BLENDLINE, &BlendLine_SSE2, sse2, 0, S);
  r->Add(FID_BLENDREGEX, &BlendRegEx_SSE2, sse2, 0, S);
  r->Add(FID_BLENDMEMEX, &BlendMemEx_SSE2, sse2, 0, S);
  r->Add(FID_BLENDLINEEX, &BlendLineEx_SSE2, sse2, 0, S);
  r->Add(FID_COLORMAX, &ColorMax_SSE2, sse2, 0, S);
  r->Add(FID_COLORMIN, &ColorMin_SSE2, sse2, 0, S);
  r->Add(FID_COLORADD, &ColorAdd_SSE2, sse2, 0, S);
  r->Add(FID_COLORSUB, &ColorSub_SSE2, sse2, 0, S);
  r->Add(FID_COLORMODULATE, &ColorModulate_SSE2, sse2, 0, S);
  r->Add(FID_COLORDIFFERENCE, &ColorDifference_SSE2, sse2, 0, S);
  r->Add(FID_COLOREXCLUSION, &ColorExclusion_SSE2, sse2, 0, S);
  r->Add(FID_COLORSCALE, &ColorScale_SSE2, sse2, 0, S);
  r->Add(FID_LIGHTEN, &LightenReg_SSE2, {ci::ciSSE}, 0, "SSE");
  r->Add(FID_BLENDREGRGB, &BlendRegRGB_SSE2, sse2, 0, S);
  r->Add(FID_BLENDMEMRGB, &BlendMemRGB_SSE2, sse2, 0, S);

  const TCPUFeatures avx2{ci::ciSSE2, ci::ciAVX2};
  const char* A = "AVX2";
  r->Add(FID_BLENDLINE, &BlendLine_AVX2, avx2, 0, A);
  r->Add(FID_BLENDLINEEX, &BlendLineEx_AVX2, avx2, 0, A);
  r->Add(FID_COMBINELINE, &CombineLine_AVX2, avx2, 0, A);
  r->Add(FID_BLENDMEMS, &BlendMems_AVX2, avx2, 0, A);
  r->Add(FID_MERGELINE, &MergeLine_AVX2, avx2, 0, A);
#endif
  // The compositing merge comes last, so it is bound on every processor.
  r->Add(FID_MERGEREG, &MergeReg_Pas, {}, 0, P);
  r->RebindAll();

  BuildTables();
  MMX_ACTIVE = CPUFeatures().Contains(ci::ciMMX);
  if (MMX_ACTIVE || CPUFeatures().Contains(ci::ciSSE2)) BuildAlphaTable();
}

void DonePix32Blend() {
  std::free(AlphaTable);
  AlphaTable = nullptr;
  alpha_ptr = bias_ptr = nullptr;
  BlendRegistry = nullptr;
}

}  // namespace qn
