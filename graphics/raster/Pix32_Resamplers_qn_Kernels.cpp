// The kernels and the resamplers beyond the nearest one.
#include <emmintrin.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

#include "graphics/raster/Pix32_Blend_qn.h"
#include "graphics/raster/Pix32_LowLevel_qn.h"
#include "graphics/raster/Pix32_Math_qn.h"
#include "graphics/raster/Pix32_OrdinalMaps_qn.h"
#include "graphics/raster/Pix32_Resamplers_qn.h"

namespace qn {

namespace {
constexpr Single kPi = 3.14159265358979f;

Single Sinc(Single X) {
  if (X == 0) return 1;
  const Single px = kPi * X;  // rounded to single before the sine
  return std::sin(px) / px;
}

// Round to nearest, ties to even, into an integer.
inline Integer RoundI(Single V) { return static_cast<Integer>(std::nearbyint(V)); }
inline Integer RoundI(Double V) { return static_cast<Integer>(std::nearbyint(V)); }

const Double ALBRECHT_COEFFS[10][11] = {
    {0.53835539467072513, 0.46164460532927493},
    {0.34610082201862502, 0.49734063509673798, 0.156558542884637},
    {0.22698241279206899, 0.45725407082842701, 0.27319902795738399, 0.0425644884221201},
    {0.14894260601583001, 0.38600117363917602, 0.34097740321405301, 0.11398796042459999, 0.010090856706341401},
    {0.097167620010742903, 0.308845222524055, 0.36262337143791701, 0.18895332552511601, 0.040209571414875099,
     0.0022008890872941998},
    {0.063964424114390406, 0.23993864599352799, 0.35015956323820502, 0.247741118970808, 0.085438256055858003,
     0.0123202033692932, 0.00043778825791773501},
    {0.0421072107042137, 0.18207622663377601, 0.31771378105994202, 0.284438001373442, 0.136762237777383,
     0.0334038053504025, 0.00341677216705768, 8.1964933783134803e-05},
    {0.027614373161261099, 0.13538222875884401, 0.27528723447223702, 0.298843335317801, 0.18531933027928399,
     0.064888448254906306, 0.011764191028565499, 0.00088598758010689901, 1.4871146994340599e-05},
    {0.0179908225352538, 0.098795958606521003, 0.22988381700121099, 0.294113019095183, 0.22433897781432499,
     0.103248806248099, 0.027567410944852301, 0.0038395862294712301, 0.00021897170843010599,
     2.6298166534788899e-06},
    {0.011871712779660201, 0.071953365195114194, 0.18788716092258501, 0.27580817409729103, 0.248904243244464,
     0.14172986720071201, 0.050200297622825601, 0.010458964908498399, 0.0011361511274166, 4.96285981703436e-05,
     4.3430326268572001e-07},
};
}  // namespace

// ---------------------------------------------------------------------------
// Kernels

Single TBoxKernel::Filter(Single Value) { return Value >= -0.5f && Value <= 0.5f ? 1.0f : 0.0f; }

Single TLinearKernel::Filter(Single Value) {
  if (Value < -1) return 0;
  if (Value < 0) return 1 + Value;
  if (Value < 1) return 1 - Value;
  return 0;
}

Single TCosineKernel::Filter(Single Value) {
  if (std::fabs(Value) >= 1) return 0;
  return (std::cos(Value * kPi) + 1) * 0.5f;
}

Single TSplineKernel::Filter(Single Value) {
  const Single t = std::fabs(Value);
  if (t < 1) return 0.5f * t * t * t - t * t + 2.0f / 3;
  if (t < 2) {
    const Single u = 2 - t;
    return u * u * u / 6;
  }
  return 0;
}

Single TMitchellKernel::Filter(Single Value) {
  const Single t = std::fabs(Value), t2 = t * t, t3 = t2 * t;
  if (t < 1) return (21 * t3 - 36 * t2 + 16) / 18;
  if (t < 2) return (-7 * t3 + 36 * t2 - 60 * t + 32) / 18;
  return 0;
}

Single TCubicKernel::Filter(Single Value) {
  const Single a = FCoeff, t = std::fabs(Value), t2 = t * t, t3 = t2 * t;
  if (t < 1) return (a + 2) * t3 - (a + 3) * t2 + 1;
  if (t < 2) return a * (t3 - 5 * t2 + 8 * t - 4);
  return 0;
}

void TCubicKernel::SetCoeff(Single Value) {
  if (Value == FCoeff) return;
  FCoeff = Value;
  Changed();
}

Single THermiteKernel::Filter(Single Value) {
  const Single Z = 0.5f * (1 - FTension);
  const Single Tp = (1 + FBias) * Z, Tn = (1 - FBias) * Z;
  const Single fi = std::floor(Value);
  const Integer I = static_cast<Integer>(fi);
  const Single t = std::fabs(fi - Value), t2 = t * t, t3 = t2 * t;
  const Single M0 = t3 - 2 * t2 + t, M1 = t3 - t2, A = -2 * t3 + 3 * t2, B = 1 - A;
  switch (I) {
    case -2: return M1 * Tn;
    case -1: return M0 * Tn + A + (Tp - Tn) * M1;
    case 0: return (Tp - Tn) * M0 + B - M1 * Tp;
    case 1: return -M0 * Tp;
    default: return 0;
  }
}

void THermiteKernel::SetBias(Single Value) {
  if (Value == FBias) return;
  FBias = Value;
  Changed();
}

void THermiteKernel::SetTension(Single Value) {
  if (Value == FTension) return;
  FTension = Value;
  Changed();
}

Single TWindowedSincKernel::Filter(Single Value) {
  const Single t = std::fabs(Value);
  if (t >= FWidth) return 0;
  return Window(t) * Sinc(t);
}

void TWindowedSincKernel::SetWidth(Single Value) {
  if (Value > 16) Value = 16;
  if (Value == FWidth) return;
  FWidth = Value;
  FWidthReciprocal = 1 / Value;
  Changed();
}

TAlbrechtKernel::TAlbrechtKernel(TObject*) { SetTerms(7); }

void TAlbrechtKernel::SetTerms(Integer Value) {
  Value = Value < 2 ? 2 : Value > 11 ? 11 : Value;
  if (Value == FTerms) return;
  FTerms = Value;
  for (Integer i = 0; i < 11; ++i) FCoefPointer[i] = i < Value ? ALBRECHT_COEFFS[Value - 2][i] : 0;
}

Single TAlbrechtKernel::Window(Single Value) {
  const Single x = std::cos(kPi * Value * FWidthReciprocal);
  Single r = static_cast<Single>(FCoefPointer[FTerms - 1]);
  for (Integer i = FTerms - 2; i >= 0; --i) r = r * x + static_cast<Single>(FCoefPointer[i]);
  return r;
}

Single TLanczosKernel::Window(Single Value) { return Sinc(Value * FWidthReciprocal); }

TGaussianKernel::TGaussianKernel(TObject*) { FSigmaReciprocalLn2 = -std::log(2.0f) / FSigma; }

Single TGaussianKernel::Window(Single Value) { return std::exp(Value * Value * FSigmaReciprocalLn2); }

void TGaussianKernel::SetSigma(Single Value) {
  if (Value == FSigma || Value == 0) return;
  FSigma = Value;
  FSigmaReciprocalLn2 = -std::log(2.0f) / Value;
  Changed();
}

Single TBlackmanKernel::Window(Single Value) {
  const Single c = std::cos(kPi * Value * FWidthReciprocal);
  return 0.34f + 0.5f * c + 0.16f * c * c;
}

Single THannKernel::Window(Single Value) { return 0.5f + 0.5f * std::cos(kPi * Value * FWidthReciprocal); }

Single THammingKernel::Window(Single Value) { return 0.54f + 0.46f * std::cos(kPi * Value * FWidthReciprocal); }

Single TSinshKernel::Filter(Single Value) {
  if (Value == 0) return 1;
  return std::sin(kPi * Value) * FCoeff / std::sinh(kPi * FCoeff * Value);
}

void TSinshKernel::SetWidth(Single Value) {
  if (Value == FWidth) return;
  FWidth = Value;
  Changed();
}

void TSinshKernel::SetCoeff(Single Value) {
  if (Value == FCoeff || Value == 0) return;
  FCoeff = Value;
  Changed();
}

// ---------------------------------------------------------------------------
// TLinearResampler

namespace {
TColor32 LinUnsafe(TLinearResampler* S, TFixed X, TFixed Y) { return S->Bitmap()->GetPixelX(X, Y); }
TColor32 LinSafe(TLinearResampler* S, TFixed X, TFixed Y) { return S->Bitmap()->GetPixelXS(X, Y); }
TColor32 LinWrap(TLinearResampler* S, TFixed X, TFixed Y) { return S->Bitmap()->GetPixelXW(X, Y); }
TColor32 LinEdge(TLinearResampler* S, TFixed X, TFixed Y) { return S->GetPixelTransparentEdge(X, Y); }
}  // namespace

TLinearResampler::TLinearResampler() : FLinearKernel(new TLinearKernel) {}
TLinearResampler::TLinearResampler(TCustomBitmap32* Bitmap)
    : TCustomResampler(Bitmap), FLinearKernel(new TLinearKernel) {}
TLinearResampler::~TLinearResampler() { delete FLinearKernel; }

void TLinearResampler::PrepareSampling() {
  inherited::PrepareSampling();
  switch (FPixelAccessMode) {
    case TPixelAccessMode::pamUnsafe: FGetSampleFixed = LinUnsafe; break;
    case TPixelAccessMode::pamSafe: FGetSampleFixed = LinSafe; break;
    case TPixelAccessMode::pamWrap: FGetSampleFixed = LinWrap; break;
    case TPixelAccessMode::pamTransparentEdge: FGetSampleFixed = LinEdge; break;
  }
}

TColor32 TLinearResampler::GetSampleFixed(TFixed X, TFixed Y) { return FGetSampleFixed(this, X, Y); }

namespace {
// V folded into [0, N) the way a repeating tile wraps: a mask for
// power-of-two sizes and a remainder otherwise.
inline Integer RepeatFold(Integer V, Integer N) {
  if (static_cast<Cardinal>(V) < static_cast<Cardinal>(N)) return V;
  if ((N & (N - 1)) == 0) return V & (N - 1);
  const Integer R = V % N;
  return R < 0 ? R + N : R;
}
inline Integer Offset(Integer V, Integer Origin) {
  return static_cast<Integer>(static_cast<Cardinal>(V) - static_cast<Cardinal>(Origin));
}
}  // namespace

TColor32 TLinearResampler::GetSampleInt(Integer X, Integer Y) {
  if (FPixelAccessMode == TPixelAccessMode::pamWrap) {
    const TRect& C = FBitmap->ClipRect();
    const Integer W = C.Right - C.Left, H = C.Bottom - C.Top;
    // Repeating tiles are the common case (pattern fills): the wrap needs
    // no call.
    if (FBitmap->WrapMode() == TWrapMode::wmRepeat && W > 0 && H > 0)
      return FBitmap->ScanLine(C.Top + RepeatFold(Offset(Y, C.Top), H))[C.Left + RepeatFold(Offset(X, C.Left), W)];
    return FBitmap->GetPixelW(X, Y);
  }
  return GetSampleFixed(static_cast<TFixed>(static_cast<Cardinal>(X) << 16),
                        static_cast<TFixed>(static_cast<Cardinal>(Y) << 16));
}

void TLinearResampler::GetSampleSpanInt(Integer X, Integer Y, Integer Count, PColor32 Dst) {
  if (Count <= 0) return;
  const TRect& C = FBitmap->ClipRect();
  const Integer W = C.Right - C.Left, H = C.Bottom - C.Top;
  // A span whose positions pass the integer range's end would leave the
  // tile's rhythm there (unless W divides 2^32); those few take the pixel
  // path.
  if (FPixelAccessMode != TPixelAccessMode::pamWrap || FBitmap->WrapMode() != TWrapMode::wmRepeat || W <= 0 ||
      H <= 0 || Int64(X) + Count - 1 > Int64(std::numeric_limits<Integer>::max())) {
    inherited::GetSampleSpanInt(X, Y, Count, Dst);
    return;
  }
  const TColor32* Row = FBitmap->ScanLine(C.Top + RepeatFold(Offset(Y, C.Top), H)) + C.Left;
  Integer Px = RepeatFold(Offset(X, C.Left), W);
  for (Integer I = 0; I < Count;) {
    const Integer N = std::min(Count - I, W - Px);
    std::memcpy(Dst + I, Row + Px, sizeof(TColor32) * static_cast<size_t>(N));
    I += N;
    Px = 0;
  }
}

TColor32 TLinearResampler::GetSampleFloat(Single X, Single Y) {
  return FGetSampleFixed(this, RoundI(static_cast<Double>(X) * 65536), RoundI(static_cast<Double>(Y) * 65536));
}

TColor32 TLinearResampler::GetPixelTransparentEdge(TFixed X, TFixed Y) {
  const TRect& clip = FBitmap->ClipRect();
  const Integer PX = static_cast<SmallInt>(X >> 16), PY = static_cast<SmallInt>(Y >> 16);
  const Integer R = clip.Right - 1, B = clip.Bottom - 1;
  TColor32 result = 0;
  if (PX >= clip.Left && PX < R && PY >= clip.Top && PY < B) {
    result = FBitmap->GET_T256(X >> 8, Y >> 8);
  } else if (PX >= clip.Left - 1 && PX <= R && PY >= clip.Top - 1 && PY <= B) {
    auto sign = [](TFixed v) { return v > 0 ? 1 : v < 0 ? -1 : 0; };
    const Integer X1 = Clamp(PX, 0, R), X2 = Clamp(PX + sign(X), 0, R);
    const Integer Y1 = Clamp(PY, 0, B), Y2 = Clamp(PY + sign(Y), 0, B);
    TColor32 C1 = FBitmap->GetPixel(X1, Y1), C2 = FBitmap->GetPixel(X2, Y1);
    TColor32 C3 = FBitmap->GetPixel(X1, Y2), C4 = FBitmap->GetPixel(X2, Y2);
    if (X <= Fixed(clip.Left)) {
      C1 &= 0x00FFFFFFu;
      C3 &= 0x00FFFFFFu;
    } else if (PX == R) {
      C2 &= 0x00FFFFFFu;
      C4 &= 0x00FFFFFFu;
    }
    if (Y <= Fixed(clip.Top)) {
      C1 &= 0x00FFFFFFu;
      C2 &= 0x00FFFFFFu;
    } else if (PY == B) {
      C3 &= 0x00FFFFFFu;
      C4 &= 0x00FFFFFFu;
    }
    const TColor32 WX = GAMMA_TABLE[((X >> 8) & 0xFF) ^ 0xFF];
    const TColor32 WY = GAMMA_TABLE[((Y >> 8) & 0xFF) ^ 0xFF];
    result = CombineReg(CombineReg(C1, C2, WX), CombineReg(C3, C4, WX), WY);
  }
  EMMS();
  return result;
}

void TLinearResampler::Resample(TCustomBitmap32* Dst, const TRect& DstRect, const TRect& DstClip,
                                TCustomBitmap32* Src, const TRect& SrcRect, TDrawMode CombineOp,
                                const TPixelCombineEvent& CombineCallBack) {
  const Integer srcW = SrcRect.Right - SrcRect.Left, srcH = SrcRect.Bottom - SrcRect.Top;
  const Integer dstW = DstRect.Right - DstRect.Left, dstH = DstRect.Bottom - DstRect.Top;
  if (dstW > srcW && dstH > srcH && srcW > 1 && srcH > 1)
    LinearStretch(Dst, DstRect, DstClip, Src, SrcRect, CombineOp, CombineCallBack);
  else
    KernelStretch(Dst, DstRect, DstClip, Src, SrcRect, FLinearKernel, CombineOp, CombineCallBack);
}

void TDraftResampler::Resample(TCustomBitmap32* Dst, const TRect& DstRect, const TRect& DstClip,
                               TCustomBitmap32* Src, const TRect& SrcRect, TDrawMode CombineOp,
                               const TPixelCombineEvent& CombineCallBack) {
  BoxAverageStretch(Dst, DstRect, DstClip, Src, SrcRect, FLinearKernel, CombineOp, CombineCallBack);
}

// ---------------------------------------------------------------------------
// TKernelResampler

TKernelResampler::TKernelResampler() : FKernel(new TBoxKernel) {}
TKernelResampler::TKernelResampler(TCustomBitmap32* Bitmap) : TCustomResampler(Bitmap), FKernel(new TBoxKernel) {}
TKernelResampler::~TKernelResampler() {
  delete FWeightTable;
  delete FKernel;
}

void TKernelResampler::SetKernel(TCustomKernel* Value) {
  if (!Value || Value == FKernel) return;
  delete FKernel;
  FKernel = Value;
  Changed();
}

void TKernelResampler::SetKernelClassName(const String& Value) {
  if (Value.empty() || Value == FKernel->ClassName() || !KernelList) return;
  const TClass c = KernelList->Find(Value);
  if (!c || !c->CanCreate()) return;
  auto* k = dynamic_cast<TCustomKernel*>(c->Create());
  if (!k) return;
  delete FKernel;
  FKernel = k;
  Changed();
}

void TKernelResampler::SetKernelMode(TKernelMode Value) {
  if (Value == FKernelMode) return;
  FKernelMode = Value;
  Changed();
}

void TKernelResampler::SetTableSize(Integer Value) {
  if (Value < 2) Value = 2;
  if (Value == FTableSize) return;
  FTableSize = Value;
  Changed();
}

void TKernelResampler::PrepareSampling() {
  inherited::PrepareSampling();
  FOuterColor = FBitmap->OuterColor();
  const Integer W = static_cast<Integer>(std::ceil(FKernel->GetWidth()));
  if (FKernelMode == TKernelMode::kmDynamic) return;
  delete FWeightTable;
  FWeightTable = nullptr;
  FWeightTable = new TIntegerMap(2 * W + 1, FTableSize + 1);
  for (Integer I = 0; I <= FTableSize; ++I) {
    const Single F = static_cast<Single>(I) / static_cast<Single>(FTableSize - 1);
    Integer* row = FWeightTable->Scanline(I);
    Integer sum = 0;
    for (Integer J = -W; J <= W; ++J) {
      const Integer v = RoundI(FKernel->Filter(static_cast<Single>(J) + F) * 256);
      row[W + J] = v;
      sum += v;
    }
    row[W] -= sum - 256;
  }
}

void TKernelResampler::FinalizeSampling() {
  delete FWeightTable;
  FWeightTable = nullptr;
  inherited::FinalizeSampling();
}

void TKernelResampler::Weights(Single Frac, Integer W, Integer* Out) {
  Integer sum = 0;
  switch (FKernelMode) {
    case TKernelMode::kmDynamic:
      for (Integer i = -W; i <= W; ++i) sum += Out[i + W] = RoundI(FKernel->Filter(static_cast<Single>(i) + Frac) * 256);
      break;
    case TKernelMode::kmTableNearest: {
      const Integer r = Clamp(RoundI(Frac * static_cast<Single>(FTableSize - 1)), 0, FTableSize);
      const Integer* row = FWeightTable->Scanline(r);
      for (Integer i = 0; i <= 2 * W; ++i) Out[i] = row[i];
      return;
    }
    case TKernelMode::kmTableLinear: {
      const Integer P = RoundI(static_cast<Double>(Frac) * (FTableSize - 1) * 65536);
      const Integer r = Clamp(P >> 16, 0, FTableSize - 1);
      const Integer f = P & 0xFFFF;
      const Integer* R0 = FWeightTable->Scanline(r);
      const Integer* R1 = FWeightTable->Scanline(r + 1);
      for (Integer i = 0; i <= 2 * W; ++i) sum += Out[i] = ((R1[i] - R0[i]) * f + 0x7FFF) / 65536 + R0[i];
      break;
    }
  }
  Out[W] -= sum - 256;
}

TKernelRowProc* KernelRowTaps = nullptr;

void KernelRowTaps_Pas(const TColor32* Src, const Integer* Weights, Integer Count, Integer* Sums) {
  Integer b = 0, g = 0, r = 0, a = 0;
  for (Integer i = 0; i < Count; ++i) {
    const TColor32 c = Src[i];
    const Cardinal al = c >> 24;
    const Integer w = Weights[i];
    a += static_cast<Integer>(al) * w;
    r += static_cast<Integer>(Div255(((c >> 16) & 0xFF) * al)) * w;
    g += static_cast<Integer>(Div255(((c >> 8) & 0xFF) * al)) * w;
    b += static_cast<Integer>(Div255((c & 0xFF) * al)) * w;
  }
  Sums[0] = b;
  Sums[1] = g;
  Sums[2] = r;
  Sums[3] = a;
}

void KernelRowTaps_SSE2(const TColor32* Src, const Integer* Weights, Integer Count, Integer* Sums) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i alphaLanes = _mm_set_epi16(-1, 0, 0, 0, -1, 0, 0, 0);
  const __m128i div255 = _mm_set1_epi16(static_cast<short>(0x8081));
  __m128i acc = zero;
  // Two pixels at a time: premultiplied (x * 0x8081 shr 23 is x div 255
  // for every 16-bit x), then paired channel by channel for one multiply-add.
  auto taps = [&](__m128i px, Integer w0, Integer w1) {
    const __m128i v = _mm_unpacklo_epi8(px, zero);
    const __m128i al = _mm_shufflehi_epi16(_mm_shufflelo_epi16(v, 0xFF), 0xFF);
    __m128i pm = _mm_srli_epi16(_mm_mulhi_epu16(_mm_mullo_epi16(v, al), div255), 7);
    pm = _mm_or_si128(_mm_andnot_si128(alphaLanes, pm), _mm_and_si128(alphaLanes, v));
    const __m128i pairs = _mm_unpacklo_epi16(pm, _mm_unpackhi_epi64(pm, pm));
    const __m128i w = _mm_set1_epi32(static_cast<int>((static_cast<Cardinal>(w0) & 0xFFFFu) |
                                                      (static_cast<Cardinal>(w1) << 16)));
    acc = _mm_add_epi32(acc, _mm_madd_epi16(pairs, w));
  };
  Integer i = 0;
  for (; i + 1 < Count; i += 2)
    taps(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(Src + i)), Weights[i], Weights[i + 1]);
  if (i < Count) taps(_mm_cvtsi32_si128(static_cast<int>(Src[i])), Weights[i], 0);
  _mm_storeu_si128(reinterpret_cast<__m128i*>(Sums), acc);
}

TColor32 TKernelResampler::GetSampleFloat(Single X, Single Y) {
  const Integer W = static_cast<Integer>(std::ceil(FKernel->GetWidth()));
  const Integer cX = static_cast<Integer>(std::ceil(X)), cY = static_cast<Integer>(std::ceil(Y));
  // Kernels reach at most 16 pixels each side; a wider one (a sinh kernel
  // may be set so) takes its taps from the heap.
  Integer local[2][2 * 16 + 1];
  std::vector<Integer> heap(W > 16 ? static_cast<size_t>(2 * (2 * W + 1)) : 0);
  Integer* hw = W > 16 ? heap.data() : local[0];
  Integer* vw = W > 16 ? heap.data() + 2 * W + 1 : local[1];
  Weights(static_cast<Single>(cX) - X, W, hw);
  Weights(static_cast<Single>(cY) - Y, W, vw);
  return SampleTaps(cX, cY, W, hw, vw);
}

TColor32 TKernelResampler::SampleTaps(Integer cX, Integer cY, Integer W, const Integer* hw, const Integer* vw) {
  const TRect& clip = FClipRect;
  Integer loX = -W, hiX = W, loY = -W, hiY = W;
  bool clipped = false;
  const bool bounded =
      FPixelAccessMode == TPixelAccessMode::pamSafe || FPixelAccessMode == TPixelAccessMode::pamTransparentEdge;
  if (bounded) {
    if (cX < clip.Left || cX > clip.Right || cY < clip.Top || cY > clip.Bottom)
      return FPixelAccessMode == TPixelAccessMode::pamTransparentEdge ? 0 : FOuterColor;
    if (cX - W < clip.Left) loX = clip.Left - cX, clipped = true;
    if (cX + W >= clip.Right) hiX = clip.Right - cX - 1, clipped = true;
    if (cY - W < clip.Top) loY = clip.Top - cY, clipped = true;
    if (cY + W >= clip.Bottom) hiY = clip.Bottom - cY - 1, clipped = true;
  }
  Int64 tb = 0, tg = 0, tr = 0, ta = 0;
  auto accumulate = [](TColor32 c, Int64 w, Int64& b, Int64& g, Int64& r, Int64& a) {
    const Cardinal al = c >> 24;
    if (al == 0) return;
    a += al * w;
    if (al == 255) {
      r += ((c >> 16) & 0xFF) * w;
      g += ((c >> 8) & 0xFF) * w;
      b += (c & 0xFF) * w;
    } else {
      // Div255 is exact for these byte products, and spares a division.
      r += Int64(Div255(((c >> 16) & 0xFF) * al)) * w;
      g += Int64(Div255(((c >> 8) & 0xFF) * al)) * w;
      b += Int64(Div255((c & 0xFF) * al)) * w;
    }
  };
  TCustomBitmap32* bmp = FBitmap;
  const bool wrap = FPixelAccessMode == TPixelAccessMode::pamWrap;
  TWrapProcEx wrapX = nullptr, wrapY = nullptr;
  if (wrap) {
    wrapX = GetWrapProcEx(bmp->WrapMode(), clip.Left, clip.Right - 1);
    wrapY = GetWrapProcEx(bmp->WrapMode(), clip.Top, clip.Bottom - 1);
  }
  // Rows of taps go through the bound row routine when their sums are sure
  // to fit 32 bits; the sums are the same integers either way.
  bool rows = !wrap && hiX - loX < 33;
  for (Integer i = loX; rows && i <= hiX; ++i) rows = hw[i + W] >= -2048 && hw[i + W] <= 2048;
  for (Integer j = loY; j <= hiY; ++j) {
    const Integer wy = vw[j + W];
    if (wy == 0) continue;
    const Integer row = wrap ? wrapY(cY + j, clip.Top, clip.Bottom - 1) : cY + j;
    Int64 rb = 0, rg = 0, rr = 0, ra = 0;
    if (rows) {
      Integer sums[4];
      KernelRowTaps(bmp->GetPixelPtr(cX + loX, row), hw + loX + W, hiX - loX + 1, sums);
      rb = sums[0], rg = sums[1], rr = sums[2], ra = sums[3];
    } else {
      for (Integer i = loX; i <= hiX; ++i) {
        const Integer col = wrap ? wrapX(cX + i, clip.Left, clip.Right - 1) : cX + i;
        accumulate(bmp->GetPixel(col, row), hw[i + W], rb, rg, rr, ra);
      }
    }
    tb += rb * wy;
    tg += rg * wy;
    tr += rr * wy;
    ta += ra * wy;
  }
  if (FPixelAccessMode == TPixelAccessMode::pamSafe && clipped && (FOuterColor >> 24) != 0) {
    for (Integer j = -W; j <= W; ++j) {
      const Integer wy = vw[j + W];
      if (wy == 0) continue;
      for (Integer i = -W; i <= W; ++i) {
        if (i >= loX && i <= hiX && j >= loY && j <= hiY) continue;
        accumulate(FOuterColor, Int64(hw[i + W]) * wy, tb, tg, tr, ta);
      }
    }
  }
  auto v = [](Int64 x) { return static_cast<Integer>(static_cast<SmallInt>(static_cast<Cardinal>(x + 0x7FFF) >> 16)); };
  auto clampByte = [](Integer x) { return static_cast<Cardinal>(x < 0 ? 0 : x > 255 ? 255 : x); };
  if (FKernel->RangeCheck()) {
    const Cardinal A = clampByte(v(ta));
    if (A == 0) return 0;
    if (A == 255) return (A << 24) | (clampByte(v(tr)) << 16) | (clampByte(v(tg)) << 8) | clampByte(v(tb));
    return (A << 24) | (clampByte(v(tr) * 255 / static_cast<Integer>(A)) << 16) |
           (clampByte(v(tg) * 255 / static_cast<Integer>(A)) << 8) | clampByte(v(tb) * 255 / static_cast<Integer>(A));
  }
  const Cardinal A = static_cast<Cardinal>(v(ta)) & 0xFF;
  if (A == 0) return 0;
  auto lo = [](Integer x) { return static_cast<Cardinal>(x) & 0xFF; };
  if (A == 255) return (A << 24) | (lo(v(tr)) << 16) | (lo(v(tg)) << 8) | lo(v(tb));
  const Integer a = static_cast<Integer>(A);
  return (A << 24) | (lo(v(tr) * 255 / a) << 16) | (lo(v(tg) * 255 / a) << 8) | lo(v(tb) * 255 / a);
}

void TKernelResampler::Resample(TCustomBitmap32* Dst, const TRect& DstRect, const TRect& DstClip,
                                TCustomBitmap32* Src, const TRect& SrcRect, TDrawMode CombineOp,
                                const TPixelCombineEvent& CombineCallBack) {
  KernelStretch(Dst, DstRect, DstClip, Src, SrcRect, FKernel, CombineOp, CombineCallBack);
}

}  // namespace qn
