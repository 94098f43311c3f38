// Pix32_Resamplers_qn: nested samplers (transformer, super-samplers,
// pattern sampler) and the kernel samplers with their whole-bitmap filters.
#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>

#include "graphics/raster/Pix32_Blend_qn.h"
#include "graphics/raster/Pix32_Containers_qn.h"
#include "graphics/raster/Pix32_LowLevel_qn.h"
#include "graphics/raster/Pix32_Math_qn.h"
#include "graphics/raster/Pix32_Rasterizers_qn.h"
#include "graphics/raster/Pix32_Resamplers_qn.h"
#include "graphics/raster/Pix32_Transforms_qn.h"
#include "platform/rtl/Math.h"

namespace qn {

// ---------------------------------------------------------------------------
// TNestedSampler

void TNestedSampler::SetSampler(TCustomSampler* Value) {
  FSampler = Value;
  if (Value) {
    FGetSampleInt = MakeEvent(Value, &TCustomSampler::GetSampleInt);
    FGetSampleFixed = MakeEvent(Value, &TCustomSampler::GetSampleFixed);
    FGetSampleFloat = MakeEvent(Value, &TCustomSampler::GetSampleFloat);
  }
}

TCustomSampler* TNestedSampler::Inner() {
  if (!FSampler) throw ENestedException(SSamplerNil);
  return FSampler;
}

void TNestedSampler::PrepareSampling() { Inner()->PrepareSampling(); }
void TNestedSampler::FinalizeSampling() { Inner()->FinalizeSampling(); }
bool TNestedSampler::HasBounds() { return Inner()->HasBounds(); }
TFloatRect TNestedSampler::GetSampleBounds() { return Inner()->GetSampleBounds(); }

void TNestedSampler::AssignTo(TPersistent* Dst) {
  if (dynamic_cast<TNestedSampler*>(Dst)) SmartAssign(this, Dst);
  else inherited::AssignTo(Dst);
}

// ---------------------------------------------------------------------------
// TTransformer

TTransformer::TTransformer(TCustomSampler* ASampler, TTransformation* ATransformation) : TNestedSampler(ASampler) {
  SetTransformation(ATransformation);
}

void TTransformer::SetTransformation(TTransformation* Value) {
  FTransformation = Value;
  if (Value) {
    FTransformationReverseTransformInt = &TTransformation::ReverseTransformInt;
    FTransformationReverseTransformFixed = &TTransformation::ReverseTransformFixed;
    FTransformationReverseTransformFloat = &TTransformation::ReverseTransformFloat;
  }
}

void TTransformer::PrepareSampling() {
  if (!FTransformation) throw ETransformError(u"The transformer has no Transformation");
  inherited::PrepareSampling();
  if (!FTransformation->TransformValid) FTransformation->PrepareTransform();
  FRowKind = TRowKind::None;
  const TClass t = FTransformation->ClassType();
  if (!TransformFastPath ||
      (t != TAffineTransformation::StaticClass() && t != T3x3Transformation::StaticClass()))
    return;
  // A plain 3 x 3 matrix may carry perspective, which the row steps do not.
  const TFloatMatrix& m = static_cast<T3x3Transformation*>(FTransformation)->Matrix();
  if (m[0][2] != 0 || m[1][2] != 0 || m[2][2] != 1) return;
  const TClass s = FSampler->ClassType();
  const auto* r = dynamic_cast<TCustomResampler*>(FSampler);
  const bool safe = r && r->PixelAccessMode() == TPixelAccessMode::pamSafe;
  if (s == TNearestResampler::StaticClass()) {
    FRowKind = safe ? TRowKind::NearestSafe : TRowKind::Other;
  } else if (s == TLinearResampler::StaticClass() || s == TDraftResampler::StaticClass()) {
    FRowKind = safe ? TRowKind::LinearSafe : TRowKind::Linear;
  } else if (s == TKernelResampler::StaticClass()) {
    auto* k = static_cast<TKernelResampler*>(FSampler);
    FKernelW = static_cast<Integer>(std::ceil(k->Kernel()->GetWidth()));
    if (FKernelW < 0 || FKernelW > 16) return;
    FPhaseWeights.assign(size_t(65536) * size_t(2 * FKernelW + 1), 0);
    FPhaseKnown.assign(65536, 0);
    FRowKind = TRowKind::Kernel;
  }
}

void TTransformer::FinalizeSampling() {
  FRowKind = TRowKind::None;
  FPhaseWeights = {};
  FPhaseKnown = {};
  inherited::FinalizeSampling();
}

void TTransformer::SampleRow(Integer X, Integer Y, Integer Count, TColor32* Out) {
  TFixed u, v;
  FTransformation->ReverseTransformFixed(static_cast<TFixed>((static_cast<Cardinal>(X) << 16) | 0x7FFF),
                                         static_cast<TFixed>((static_cast<Cardinal>(Y) << 16) | 0x7FFF), u, v);
  // One pixel to the right adds 65536 to the input, which adds exactly the
  // matrix's first column to the 16.16 products: stepping equals mapping.
  const TFixedMatrix& f = static_cast<T3x3Transformation*>(FTransformation)->InverseFixedMatrix();
  const TFixed du = f[0][0], dv = f[0][1];
  u -= 0x7FFF;
  v -= 0x7FFF;
  switch (FRowKind) {
    case TRowKind::NearestSafe: {
      // GetPixelS with the clip and the row pitch held in registers.
      const TCustomBitmap32* b = static_cast<TCustomResampler*>(FSampler)->Bitmap();
      const TRect& c = b->ClipRect();
      const Cardinal cw = static_cast<Cardinal>(std::max(c.Right - c.Left, 0));
      const Cardinal ch = static_cast<Cardinal>(std::max(c.Bottom - c.Top, 0));
      const TColor32* bits = b->Bits();
      const NativeInt pitch = b->Width();
      const TColor32 outer = b->OuterColor();
      for (Integer i = 0; i < Count; ++i, u += du, v += dv) {
        const Integer x = FixedRound(u), y = FixedRound(v);
        Out[i] = static_cast<Cardinal>(x - c.Left) < cw && static_cast<Cardinal>(y - c.Top) < ch
                     ? bits[x + y * pitch]
                     : outer;
      }
      break;
    }
    case TRowKind::LinearSafe:
      LinearTransformRow(static_cast<TCustomResampler*>(FSampler)->Bitmap(), u, v, du, dv, Count, Out);
      break;
    case TRowKind::Kernel: KernelRow(u, v, du, dv, Count, Out); break;
    case TRowKind::Linear:
    case TRowKind::Other:
      for (Integer i = 0; i < Count; ++i, u += du, v += dv) Out[i] = FSampler->GetSampleFixed(u, v);
      break;
    case TRowKind::None:
      for (Integer i = 0; i < Count; ++i) Out[i] = GetSampleInt(X + i, Y);
      break;
  }
}

void TTransformer::KernelRow(TFixed U, TFixed V, TFixed DU, TFixed DV, Integer Count, TColor32* Out) {
  auto* k = static_cast<TKernelResampler*>(FSampler);
  const Integer W = FKernelW, n = 2 * W + 1;
  // The sample point as the base conversion hands it to the kernel
  // resampler; its phase before the next whole pixel is a multiple of
  // 2^-16 (the point came from 16.16), so the phase indexes the cache.
  auto weights = [&](Single Frac) -> const Integer* {
    const Integer idx = static_cast<Integer>(Frac * 65536.0f);
    Integer* w = &FPhaseWeights[static_cast<size_t>(idx) * static_cast<size_t>(n)];
    if (!FPhaseKnown[static_cast<size_t>(idx)]) {
      k->Weights(Frac, W, w);
      FPhaseKnown[static_cast<size_t>(idx)] = 1;
    }
    return w;
  };
  constexpr Single kScale = 1.0f / 65536;
  for (Integer i = 0; i < Count; ++i, U += DU, V += DV) {
    const Single x = static_cast<Single>(U) * kScale, y = static_cast<Single>(V) * kScale;
    const Integer cx = static_cast<Integer>(std::ceil(x)), cy = static_cast<Integer>(std::ceil(y));
    Out[i] = k->SampleTaps(cx, cy, W, weights(static_cast<Single>(cx) - x), weights(static_cast<Single>(cy) - y));
  }
}

TColor32 TTransformer::GetSampleInt(Integer X, Integer Y) {
  TFixed u, v;
  (FTransformation->*FTransformationReverseTransformFixed)(
      static_cast<TFixed>((static_cast<Cardinal>(X) << 16) | 0x7FFF),
      static_cast<TFixed>((static_cast<Cardinal>(Y) << 16) | 0x7FFF), u, v);
  return FGetSampleFixed(u - 0x7FFF, v - 0x7FFF);
}

TColor32 TTransformer::GetSampleFixed(TFixed X, TFixed Y) {
  TFixed u, v;
  (FTransformation->*FTransformationReverseTransformFixed)(X + 0x7FFF, Y + 0x7FFF, u, v);
  return FGetSampleFixed(u - 0x7FFF, v - 0x7FFF);
}

TColor32 TTransformer::GetSampleFloat(Single X, Single Y) {
  Single u, v;
  (FTransformation->*FTransformationReverseTransformFloat)(X + 0.5f, Y + 0.5f, u, v);
  return FGetSampleFloat(u - 0.5f, v - 0.5f);
}

bool TTransformer::HasBounds() { return FTransformation->HasTransformedBounds() && inherited::HasBounds(); }

TFloatRect TTransformer::GetSampleBounds() {
  TFloatRect r;
  IntersectRect(r, inherited::GetSampleBounds(), FTransformation->SrcRect());
  return FTransformation->GetTransformedBounds(r);
}

// ---------------------------------------------------------------------------
// TSuperSampler

TSuperSampler::TSuperSampler(TCustomSampler* ASampler) : TNestedSampler(ASampler) {
  SetSamplingX(4);
  SetSamplingY(4);
}

void TSuperSampler::UpdateScale() { FScale = 1.0 / (static_cast<Double>(FSamplingX) * FSamplingY); }

void TSuperSampler::SetSamplingX(Integer Value) {
  FSamplingX = std::max(Value, 1);
  FDistanceX = Fixed(1.0f / static_cast<Single>(FSamplingX));
  FOffsetX = Fixed((1.0f / static_cast<Single>(FSamplingX) - 1) * 0.5f);
  UpdateScale();
}

void TSuperSampler::SetSamplingY(Integer Value) {
  FSamplingY = std::max(Value, 1);
  FDistanceY = Fixed(1.0f / static_cast<Single>(FSamplingY));
  FOffsetY = Fixed((1.0f / static_cast<Single>(FSamplingY) - 1) * 0.5f);
  UpdateScale();
}

TColor32 TSuperSampler::GetSampleFixed(TFixed X, TFixed Y) {
  Int64 b = 0, g = 0, r = 0, a = 0;
  TFixed y = Y + FOffsetY;
  for (Integer j = 0; j < FSamplingY; ++j, y += FDistanceY) {
    TFixed x = X + FOffsetX;
    for (Integer i = 0; i < FSamplingX; ++i, x += FDistanceX) {
      const TColor32 c = FGetSampleFixed(x, y);
      b += c & 0xFF;
      g += (c >> 8) & 0xFF;
      r += (c >> 16) & 0xFF;
      a += c >> 24;
    }
  }
  auto ch = [this](Int64 sum) { return static_cast<Cardinal>(static_cast<Int64>(static_cast<Double>(sum) * FScale)) & 0xFF; };
  return (ch(a) << 24) | (ch(r) << 16) | (ch(g) << 8) | ch(b);
}

// ---------------------------------------------------------------------------
// TAdaptiveSuperSampler

TAdaptiveSuperSampler::TAdaptiveSuperSampler(TCustomSampler* ASampler) : TNestedSampler(ASampler) {
  SetLevel(4);
  FTolerance = 256;
}

void TAdaptiveSuperSampler::SetLevel(Integer Value) {
  FLevel = Clamp(Value, 0, 16);
  FMinOffset = Fixed(1.0f / static_cast<Single>(1 << FLevel));
}

bool TAdaptiveSuperSampler::CompareColors(TColor32 C1, TColor32 C2) {
  const TColor32 d = ColorDifference(C1, C2);
  EMMS();
  return static_cast<Integer>(((d >> 16) & 0xFF) + ((d >> 8) & 0xFF) + (d & 0xFF)) > FTolerance;
}

TColor32 TAdaptiveSuperSampler::GetSampleFixed(TFixed X, TFixed Y) {
  const TColor32 A = FGetSampleFixed(X - 0x8000, Y - 0x8000);
  const TColor32 B = FGetSampleFixed(X + 0x8000, Y - 0x8000);
  const TColor32 C = FGetSampleFixed(X + 0x8000, Y + 0x8000);
  const TColor32 D = FGetSampleFixed(X - 0x8000, Y + 0x8000);
  const TColor32 E = FGetSampleFixed(X, Y);
  const TColor32 r = DoRecurse(X, Y, 0x4000, A, B, C, D, E);
  EMMS();
  return r;
}

TColor32 TAdaptiveSuperSampler::DoRecurse(TFixed X, TFixed Y, TFixed Offset, TColor32 A, TColor32 B, TColor32 C,
                                          TColor32 D, TColor32 E) {
  const TColor32 C1 = QuadrantColor(A, E, X - Offset, Y - Offset, Offset, &TAdaptiveSuperSampler::RecurseAC);
  const TColor32 C2 = QuadrantColor(B, E, X + Offset, Y - Offset, Offset, &TAdaptiveSuperSampler::RecurseBD);
  const TColor32 C3 = QuadrantColor(E, C, X + Offset, Y + Offset, Offset, &TAdaptiveSuperSampler::RecurseAC);
  const TColor32 C4 = QuadrantColor(E, D, X - Offset, Y + Offset, Offset, &TAdaptiveSuperSampler::RecurseBD);
  return ColorAverage(ColorAverage(C1, C2), ColorAverage(C3, C4));
}

TColor32 TAdaptiveSuperSampler::QuadrantColor(TColor32 C1, TColor32 C2, TFixed X, TFixed Y, TFixed Offset,
                                              TRecurseProc Proc) {
  if (CompareColors(C1, C2) && Offset >= FMinOffset) return (this->*Proc)(X, Y, Offset, C1, C2);
  return ColorAverage(C1, C2);
}

TColor32 TAdaptiveSuperSampler::RecurseAC(TFixed X, TFixed Y, TFixed Offset, TColor32 A, TColor32 C) {
  EMMS();
  const TColor32 B = FGetSampleFixed(X + Offset, Y - Offset);
  const TColor32 D = FGetSampleFixed(X - Offset, Y + Offset);
  const TColor32 E = FGetSampleFixed(X, Y);
  return DoRecurse(X, Y, Offset >> 1, A, B, C, D, E);
}

TColor32 TAdaptiveSuperSampler::RecurseBD(TFixed X, TFixed Y, TFixed Offset, TColor32 B, TColor32 D) {
  EMMS();
  const TColor32 A = FGetSampleFixed(X - Offset, Y - Offset);
  const TColor32 C = FGetSampleFixed(X + Offset, Y + Offset);
  const TColor32 E = FGetSampleFixed(X, Y);
  return DoRecurse(X, Y, Offset >> 1, A, B, C, D, E);
}

// ---------------------------------------------------------------------------
// TPatternSampler and jittered patterns

namespace {
TWrapProc WrapFor(size_t Count) {
  return IsPowerOf2(static_cast<Integer>(Count)) ? &WrapPow2Proc : &WrapProc;
}
}  // namespace

void TPatternSampler::SetPattern(std::shared_ptr<const TFixedSamplePattern> Value) {
  if (!Value || Value->empty()) return;
  for (const auto& row : *Value)
    if (row.empty()) return;
  FPattern = std::move(Value);
  WrapProcVert = WrapFor(FPattern->size());
}

TColor32 TPatternSampler::GetSampleFixed(TFixed X, TFixed Y) {
  if (!FPattern) return FGetSampleFixed(X, Y);
  const TFixedSamplePattern& p = *FPattern;
  const auto& row = p[static_cast<size_t>(WrapProcVert(Y >> 16, static_cast<Integer>(p.size()) - 1))];
  const TWrapProc wrapH = WrapFor(row.size());
  const TArrayOfFixedPoint& cell = row[static_cast<size_t>(wrapH(X >> 16, static_cast<Integer>(row.size()) - 1))];
  // A cell without offsets has nothing to average: the point itself.
  if (cell.empty()) return FGetSampleFixed(X, Y);
  Int64 b = 0, g = 0, r = 0, a = 0;
  for (const TFixedPoint& o : cell) {
    const TColor32 c = FGetSampleFixed(X + o.X, Y + o.Y);
    b += c & 0xFF;
    g += (c >> 8) & 0xFF;
    r += (c >> 16) & 0xFF;
    a += c >> 24;
  }
  const Int64 k = 65536 / static_cast<Int64>(cell.size());
  auto ch = [k](Int64 sum) { return static_cast<Cardinal>((sum * k) >> 16) & 0xFF; };
  return (ch(a) << 24) | (ch(r) << 16) | (ch(g) << 8) | ch(b);
}

TArrayOfFixedPoint RandomJitterTile(Integer XRes, Integer YRes) {
  XRes = std::max(XRes, 0);
  YRes = std::max(YRes, 0);
  TArrayOfFixedPoint r(static_cast<size_t>(XRes) * static_cast<size_t>(YRes));
  for (Integer j = 0; j < YRes; ++j)
    for (Integer i = 0; i < XRes; ++i) {
      const Integer r1 = Random(65536), r2 = Random(65536);
      r[static_cast<size_t>(i + j * XRes)] =
          TFixedPoint((r1 + i * 65536) / XRes - 32768, (r2 + j * 65536) / YRes - 32768);
    }
  return r;
}

TFixedSamplePattern CreateJitteredPattern(Integer TileWidth, Integer TileHeight, Integer SamplesX,
                                          Integer SamplesY) {
  TFixedSamplePattern p(static_cast<size_t>(std::max(TileHeight, 0)));
  for (auto& row : p) {
    row.resize(static_cast<size_t>(std::max(TileWidth, 0)));
    for (auto& cell : row) cell = RandomJitterTile(SamplesX, SamplesY);
  }
  return p;
}

// ---------------------------------------------------------------------------
// Kernel samplers

TKernelSampler::TKernelSampler(TCustomSampler* ASampler) : TNestedSampler(ASampler), FKernel(new TIntegerMap) {}

TKernelSampler::~TKernelSampler() { delete FKernel; }

void TKernelSampler::SetKernel(TIntegerMap* Value) {
  if (!Value || Value == FKernel) return;
  FKernel->Assign(Value);
}

TColor32 TKernelSampler::GetSampleInt(Integer X, Integer Y) {
  X += FCenterX;
  Y += FCenterY;
  TBufferEntry buffer = FStartEntry;
  const Integer w = FKernel->Width(), h = FKernel->Height();
  for (Integer i = 0; i < w; ++i)
    for (Integer j = 0; j < h; ++j) UpdateBuffer(buffer, FGetSampleInt(X - i, Y - j), FKernel->Value(i, j));
  return ConvertBuffer(buffer);
}

TColor32 TKernelSampler::GetSampleFixed(TFixed X, TFixed Y) {
  X += static_cast<TFixed>(static_cast<Cardinal>(FCenterX) << 16);
  Y += static_cast<TFixed>(static_cast<Cardinal>(FCenterY) << 16);
  TBufferEntry buffer = FStartEntry;
  const Integer w = FKernel->Width(), h = FKernel->Height();
  for (Integer i = 0; i < w; ++i)
    for (Integer j = 0; j < h; ++j)
      UpdateBuffer(buffer,
                   FGetSampleFixed(X - static_cast<TFixed>(static_cast<Cardinal>(i) << 16),
                                   Y - static_cast<TFixed>(static_cast<Cardinal>(j) << 16)),
                   FKernel->Value(i, j));
  return ConvertBuffer(buffer);
}

TColor32 TKernelSampler::ConvertBuffer(TBufferEntry& Buffer) {
  auto ch = [](Integer v) { return static_cast<Cardinal>(Clamp(v, 0, 65535)) >> 8; };
  return (ch(Buffer.A) << 24) | (ch(Buffer.R) << 16) | (ch(Buffer.G) << 8) | ch(Buffer.B);
}

namespace {
// The channels of a colour in the accumulator's order B, G, R, A.
inline void Channels(TColor32 C, Integer (&Out)[4]) {
  Out[0] = static_cast<Integer>(C & 0xFF);
  Out[1] = static_cast<Integer>((C >> 8) & 0xFF);
  Out[2] = static_cast<Integer>((C >> 16) & 0xFF);
  Out[3] = static_cast<Integer>(C >> 24);
}
inline Integer* Slots(TBufferEntry& B, Integer i) {
  Integer* s[4] = {&B.B, &B.G, &B.R, &B.A};
  return s[i];
}
}  // namespace

void TConvolver::UpdateBuffer(TBufferEntry& Buffer, TColor32 Color, Integer Weight) {
  Buffer.B += static_cast<Integer>(Color & 0xFF) * Weight;
  Buffer.G += static_cast<Integer>((Color >> 8) & 0xFF) * Weight;
  Buffer.R += static_cast<Integer>((Color >> 16) & 0xFF) * Weight;
  Buffer.A += static_cast<Integer>(Color >> 24) * Weight;
}

TColor32 TSelectiveConvolver::GetSampleInt(Integer X, Integer Y) {
  FRefColor = FGetSampleInt(X, Y);
  FWeightSum = EMPTY_ENTRY;
  return inherited::GetSampleInt(X, Y);
}

TColor32 TSelectiveConvolver::GetSampleFixed(TFixed X, TFixed Y) {
  FRefColor = FGetSampleFixed(X, Y);
  FWeightSum = EMPTY_ENTRY;
  return inherited::GetSampleFixed(X, Y);
}

void TSelectiveConvolver::UpdateBuffer(TBufferEntry& Buffer, TColor32 Color, Integer Weight) {
  Integer c[4], r[4];
  Channels(Color, c);
  Channels(FRefColor, r);
  for (Integer i = 0; i < 4; ++i)
    if (std::abs(c[i] - r[i]) <= FDelta) {
      *Slots(Buffer, i) += c[i] * Weight;
      *Slots(FWeightSum, i) += Weight;
    }
}

TColor32 TSelectiveConvolver::ConvertBuffer(TBufferEntry& Buffer) {
  Integer r[4];
  Channels(FRefColor, r);
  Cardinal out[4];
  for (Integer i = 0; i < 4; ++i) {
    const Integer sum = *Slots(FWeightSum, i);
    // No neighbour within Delta and no weight on the centre: the centre's
    // own channel stands.
    out[i] = sum == 0 ? static_cast<Cardinal>(r[i]) : static_cast<Cardinal>(*Slots(Buffer, i) / sum) & 0xFF;
  }
  return (out[3] << 24) | (out[2] << 16) | (out[1] << 8) | out[0];
}

TColor32 TMorphologicalSampler::ConvertBuffer(TBufferEntry& Buffer) {
  auto ch = [](Integer v) { return static_cast<Cardinal>(Clamp(v, 0, 255)); };
  return (ch(Buffer.A) << 24) | (ch(Buffer.R) << 16) | (ch(Buffer.G) << 8) | ch(Buffer.B);
}

void TDilater::UpdateBuffer(TBufferEntry& Buffer, TColor32 Color, Integer Weight) {
  Integer c[4];
  Channels(Color, c);
  for (Integer i = 0; i < 4; ++i) *Slots(Buffer, i) = std::max(*Slots(Buffer, i), c[i] + Weight);
}

TEroder::TEroder(TCustomSampler* ASampler) : TMorphologicalSampler(ASampler) {
  FStartEntry = TBufferEntry{65535, 65535, 65535, 65535};
}

void TEroder::UpdateBuffer(TBufferEntry& Buffer, TColor32 Color, Integer Weight) {
  Integer c[4];
  Channels(Color, c);
  for (Integer i = 0; i < 4; ++i) *Slots(Buffer, i) = std::min(*Slots(Buffer, i), c[i] - Weight);
}

void TExpander::UpdateBuffer(TBufferEntry& Buffer, TColor32 Color, Integer Weight) {
  Integer c[4];
  Channels(Color, c);
  for (Integer i = 0; i < 4; ++i) *Slots(Buffer, i) = std::max(*Slots(Buffer, i), c[i] * Weight);
}

void TContracter::PrepareSampling() {
  inherited::PrepareSampling();
  Integer w = std::numeric_limits<Integer>::min();
  const Integer n = FKernel->Width() * FKernel->Height();
  for (Integer i = 0; i < n; ++i) w = std::max(w, FKernel->Bits()[i]);
  w = Clamp(w, 0, 255);
  FMaxWeight = Gray32(static_cast<Byte>(w), static_cast<Byte>(w));
}

void TContracter::UpdateBuffer(TBufferEntry& Buffer, TColor32 Color, Integer Weight) {
  inherited::UpdateBuffer(Buffer, ~Color, Weight);
}

TColor32 TContracter::GetSampleInt(Integer X, Integer Y) {
  const TColor32 r = ColorSub(FMaxWeight, inherited::GetSampleInt(X, Y));
  EMMS();
  return r;
}

TColor32 TContracter::GetSampleFixed(TFixed X, TFixed Y) {
  const TColor32 r = ColorSub(FMaxWeight, inherited::GetSampleFixed(X, Y));
  EMMS();
  return r;
}

namespace {

template <class S>
void ApplyKernelSampler(TCustomBitmap32* Src, TCustomBitmap32* Dst, TIntegerMap* Kernel, Integer CenterX,
                        Integer CenterY) {
  std::unique_ptr<TRasterizer> rasterizer(static_cast<TRasterizer*>(DefaultRasterizerClass->Create(nullptr)));
  Dst->SetSizeFrom(Src);
  // The sampler works on its own copy of the weights, so the caller's map
  // stays the caller's.
  S sampler(Src->Resampler());
  sampler.SetKernel(Kernel);
  sampler.SetCenterX(CenterX);
  sampler.SetCenterY(CenterY);
  rasterizer->SetSampler(&sampler);
  rasterizer->Rasterize(Dst);
}

}  // namespace

void Convolve(TCustomBitmap32* Src, TCustomBitmap32* Dst, TIntegerMap* Kernel, Integer CenterX, Integer CenterY) {
  ApplyKernelSampler<TConvolver>(Src, Dst, Kernel, CenterX, CenterY);
}
void Dilate(TCustomBitmap32* Src, TCustomBitmap32* Dst, TIntegerMap* Kernel, Integer CenterX, Integer CenterY) {
  ApplyKernelSampler<TDilater>(Src, Dst, Kernel, CenterX, CenterY);
}
void Erode(TCustomBitmap32* Src, TCustomBitmap32* Dst, TIntegerMap* Kernel, Integer CenterX, Integer CenterY) {
  ApplyKernelSampler<TEroder>(Src, Dst, Kernel, CenterX, CenterY);
}
void Expand(TCustomBitmap32* Src, TCustomBitmap32* Dst, TIntegerMap* Kernel, Integer CenterX, Integer CenterY) {
  ApplyKernelSampler<TExpander>(Src, Dst, Kernel, CenterX, CenterY);
}
void Contract(TCustomBitmap32* Src, TCustomBitmap32* Dst, TIntegerMap* Kernel, Integer CenterX, Integer CenterY) {
  ApplyKernelSampler<TContracter>(Src, Dst, Kernel, CenterX, CenterY);
}

}  // namespace qn
