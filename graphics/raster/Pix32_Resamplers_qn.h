// Resampling: the process-wide registries of resampler and kernel classes,
// the colour accumulator used by every sampler that sums colours, the
// block-average and interpolation routines bound per processor, and the
// concrete resamplers.
#pragma once
#include "platform/rtl/MacroShield.h"

#include "graphics/raster/Pix32_Containers_qn.h"
#include "graphics/raster/Pix32_qn.h"
#include "graphics/raster/Pix32_Blend_qn.h"
#include "graphics/raster/Pix32_OrdinalMaps_qn.h"
#include "graphics/raster/Pix32_Transforms_qn.h"

#include <memory>
#include <vector>

namespace qn {

QN_EXCEPTION(EBitmapException, Exception)
QN_EXCEPTION(ESrcInvalidException, Exception)
QN_EXCEPTION(ENestedException, Exception)

inline const char16_t* const SDstNil = u"Destination bitmap is nil";
inline const char16_t* const SSrcNil = u"Source bitmap is nil";
inline const char16_t* const SSrcInvalid = u"Source rectangle is invalid";
inline const char16_t* const SSamplerNil = u"Nested sampler is nil";

// A per-channel integer accumulator.
struct TBufferEntry {
  Integer B = 0, G = 0, R = 0, A = 0;
  friend constexpr bool operator==(const TBufferEntry&, const TBufferEntry&) = default;
};
using PBufferEntry = TBufferEntry*;
inline constexpr TBufferEntry EMPTY_ENTRY{};

void IncBuffer(TBufferEntry& Buffer, TColor32 Color);
void MultiplyBuffer(TBufferEntry& Buffer, Integer W);
void ShrBuffer(TBufferEntry& Buffer, Integer Shift);
TColor32 BufferToColor32(const TBufferEntry& Buffer, Integer Shift);

// The average of a Dlx x Dly block (rows OffSrc bytes apart), and the
// bilinear blend of the 2 x 2 block at C11 (row above) and C21 (row below)
// with the weights of the left column and the top row (0..255).
using TBlockAverageProc = TColor32(Cardinal Dlx, Cardinal Dly, const TColor32* RowSrc, Cardinal OffSrc);
using TInterpolatorProc = TColor32(Cardinal WX_256, Cardinal WY_256, const TColor32* C11, const TColor32* C21);
extern TBlockAverageProc* BlockAverage;
extern TInterpolatorProc* Interpolator;
TColor32 BlockAverage_Pas(Cardinal Dlx, Cardinal Dly, const TColor32* RowSrc, Cardinal OffSrc);
TColor32 Interpolator_Pas(Cardinal WX_256, Cardinal WY_256, const TColor32* C11, const TColor32* C21);
TColor32 BlockAverage_SSE2(Cardinal Dlx, Cardinal Dly, const TColor32* RowSrc, Cardinal OffSrc);
TColor32 Interpolator_SSE2(Cardinal WX_256, Cardinal WY_256, const TColor32* C11, const TColor32* C21);

// One row of kernel taps: the sums of the premultiplied B, G, R and A of
// Count pixels, each times its weight (|weight| <= 2048, Count <= 33, so
// the sums fit 32 bits), into Sums[0..3]. Its variants are bound with the
// transformation unit's, whose affine fast path they serve; the resampler
// unit's own binding table stays as it is.
using TKernelRowProc = void(const TColor32* Src, const Integer* Weights, Integer Count, Integer* Sums);
extern TKernelRowProc* KernelRowTaps;
void KernelRowTaps_Pas(const TColor32* Src, const Integer* Weights, Integer Count, Integer* Sums);
void KernelRowTaps_SSE2(const TColor32* Src, const Integer* Weights, Integer Count, Integer* Sums);

class TFunctionRegistry;
extern TFunctionRegistry* ResamplersRegistry;
enum : Integer { FID_BLOCKAVERAGE, FID_INTERPOLATOR };

// A one-dimensional reconstruction filter with a half-width.
class TCustomKernel : public TPersistent {
  QN_CLASS(TCustomKernel, TPersistent)
 public:
  TCustomKernel() = default;
  void Changed();
  // Whether the filter has negative lobes, so that sums must be clamped.
  virtual bool RangeCheck() { return false; }
  virtual Single Filter(Single Value) = 0;
  virtual Single GetWidth() = 0;
  TNotifiablePersistent* Observer() const { return FObserver; }
  void SetObserver(TNotifiablePersistent* Value) { FObserver = Value; }

 protected:
  void AssignTo(TPersistent* Dst) override;
  TNotifiablePersistent* FObserver = nullptr;
};
using TCustomKernelClass = TClass;

// Created at the first registration, freed by the unit's finalisation.
extern TClassList* ResamplerList;
extern TClassList* KernelList;
void RegisterResampler(TCustomResamplerClass ResamplerClass);
void RegisterKernel(TCustomKernelClass KernelClass);

// The default resampler of every bitmap: the pixel nearest to the point.
class TNearestResampler : public TCustomResampler {
  QN_CLASS_CREATE(TNearestResampler, TCustomResampler, TCustomBitmap32)
 public:
  TNearestResampler() = default;
  explicit TNearestResampler(TCustomBitmap32* Bitmap) : TCustomResampler(Bitmap) {}

  TColor32 GetSampleInt(Integer X, Integer Y) override;
  TColor32 GetSampleFixed(TFixed X, TFixed Y) override;
  TColor32 GetSampleFloat(Single X, Single Y) override;
  void PrepareSampling() override;
  Single GetWidth() override { return 1; }
  void Resample(TCustomBitmap32* Dst, const TRect& DstRect, const TRect& DstClip, TCustomBitmap32* Src,
                const TRect& SrcRect, TDrawMode CombineOp, const TPixelCombineEvent& CombineCallBack) override;

  // The pixel at (X, Y) clamped into the clip rectangle, made transparent
  // when clamping moved it.
  TColor32 GetPixelTransparentEdge(Integer X, Integer Y);

 private:
  using TReader = TColor32 (*)(TNearestResampler* Self, Integer X, Integer Y);
  TReader FGetSampleInt = nullptr;
};

// Copies an equal-sized block of Src at (SrcX, SrcY) into DstRect of Dst by
// CombineOp (a dmCustom without callback copies).
void BlockCombine(TCustomBitmap32* Dst, const TRect& DstRect, TCustomBitmap32* Src, Integer SrcX, Integer SrcY,
                  TDrawMode CombineOp, const TPixelCombineEvent& CombineCallBack);
// Nearest-neighbour stretch of SrcRect into DstRect, clipped to DstClip,
// edges mapped by FullEdge (Pix32_Transforms_qn); raises "Invalid SrcRect" for a source rectangle outside Src.
void NearestStretch(TCustomBitmap32* Dst, TRect DstRect, TRect DstClip, TCustomBitmap32* Src, TRect SrcRect,
                    TDrawMode CombineOp, const TPixelCombineEvent& CombineCallBack);
// ---------------------------------------------------------------------------
// Kernels. Filter takes a distance in source pixels; GetWidth is the
// half-width beyond which Filter is 0.

#define QN_KERNEL_CLASS(Cls, Parent) QN_CLASS_CREATE(Cls, Parent, TObject)

class TBoxKernel : public TCustomKernel {
  QN_KERNEL_CLASS(TBoxKernel, TCustomKernel)
 public:
  explicit TBoxKernel(TObject* = nullptr) {}
  Single Filter(Single Value) override;
  Single GetWidth() override { return 1; }
};

class TLinearKernel : public TCustomKernel {
  QN_KERNEL_CLASS(TLinearKernel, TCustomKernel)
 public:
  explicit TLinearKernel(TObject* = nullptr) {}
  Single Filter(Single Value) override;
  Single GetWidth() override { return 1; }
};

class TCosineKernel : public TCustomKernel {
  QN_KERNEL_CLASS(TCosineKernel, TCustomKernel)
 public:
  explicit TCosineKernel(TObject* = nullptr) {}
  Single Filter(Single Value) override;
  Single GetWidth() override { return 1; }
};

class TSplineKernel : public TCustomKernel {
  QN_KERNEL_CLASS(TSplineKernel, TCustomKernel)
 public:
  explicit TSplineKernel(TObject* = nullptr) {}
  bool RangeCheck() override { return true; }
  Single Filter(Single Value) override;
  Single GetWidth() override { return 2; }
};

class TMitchellKernel : public TCustomKernel {
  QN_KERNEL_CLASS(TMitchellKernel, TCustomKernel)
 public:
  explicit TMitchellKernel(TObject* = nullptr) {}
  bool RangeCheck() override { return true; }
  Single Filter(Single Value) override;
  Single GetWidth() override { return 2; }
};

class TCubicKernel : public TCustomKernel {
  QN_KERNEL_CLASS(TCubicKernel, TCustomKernel)
 public:
  explicit TCubicKernel(TObject* = nullptr) {}
  bool RangeCheck() override { return true; }
  Single Filter(Single Value) override;
  Single GetWidth() override { return 2; }
  Single Coeff() const { return FCoeff; }
  void SetCoeff(Single Value);

  QN_PUBLISHED_DECL(TCubicKernel) { QN_PROP(Coeff); }

 private:
  Single FCoeff = -0.5f;
};

class THermiteKernel : public TCustomKernel {
  QN_KERNEL_CLASS(THermiteKernel, TCustomKernel)
 public:
  explicit THermiteKernel(TObject* = nullptr) {}
  bool RangeCheck() override { return true; }
  Single Filter(Single Value) override;
  Single GetWidth() override { return 2; }
  Single Bias() const { return FBias; }
  void SetBias(Single Value);
  Single Tension() const { return FTension; }
  void SetTension(Single Value);

  QN_PUBLISHED_DECL(THermiteKernel) {
    QN_PROP(Bias);
    QN_PROP(Tension);
  }

 private:
  Single FBias = 0, FTension = 0;
};

// A sinc limited to Width pixels each side by a window function.
class TWindowedSincKernel : public TCustomKernel {
  QN_CLASS(TWindowedSincKernel, TCustomKernel)
 public:
  TWindowedSincKernel() = default;
  bool RangeCheck() override { return true; }
  Single Filter(Single Value) override;
  Single GetWidth() override { return FWidth; }
  // Called with the distance's absolute value, below Width.
  virtual Single Window(Single Value) = 0;
  Single Width() const { return FWidth; }
  // At most 16: the widest kernel reaches 16 pixels each side.
  virtual void SetWidth(Single Value);

  QN_PUBLISHED_DECL(TWindowedSincKernel) { QN_PROP(Width); }

 protected:
  Single FWidth = 3;
  Single FWidthReciprocal = 1.0f / 3;
};

class TAlbrechtKernel : public TWindowedSincKernel {
  QN_KERNEL_CLASS(TAlbrechtKernel, TWindowedSincKernel)
 public:
  explicit TAlbrechtKernel(TObject* = nullptr);
  Single Window(Single Value) override;
  Integer Terms() const { return FTerms; }
  // Clamped into 2 .. 11; tells nobody.
  void SetTerms(Integer Value);

  QN_PUBLISHED_DECL(TAlbrechtKernel) { QN_PROP(Terms); }

 private:
  Integer FTerms = 0;
  Double FCoefPointer[11] = {};
};

class TLanczosKernel : public TWindowedSincKernel {
  QN_KERNEL_CLASS(TLanczosKernel, TWindowedSincKernel)
 public:
  explicit TLanczosKernel(TObject* = nullptr) {}
  Single Window(Single Value) override;
};

class TGaussianKernel : public TWindowedSincKernel {
  QN_KERNEL_CLASS(TGaussianKernel, TWindowedSincKernel)
 public:
  explicit TGaussianKernel(TObject* = nullptr);
  Single Window(Single Value) override;
  Single Sigma() const { return FSigma; }
  // 0 is refused: it would divide by zero.
  void SetSigma(Single Value);

  QN_PUBLISHED_DECL(TGaussianKernel) { QN_PROP(Sigma); }

 private:
  Single FSigma = 1.33f;
  Single FSigmaReciprocalLn2 = 0;
};

class TBlackmanKernel : public TWindowedSincKernel {
  QN_KERNEL_CLASS(TBlackmanKernel, TWindowedSincKernel)
 public:
  explicit TBlackmanKernel(TObject* = nullptr) {}
  Single Window(Single Value) override;
};

class THannKernel : public TWindowedSincKernel {
  QN_KERNEL_CLASS(THannKernel, TWindowedSincKernel)
 public:
  explicit THannKernel(TObject* = nullptr) {}
  Single Window(Single Value) override;
};

class THammingKernel : public TWindowedSincKernel {
  QN_KERNEL_CLASS(THammingKernel, TWindowedSincKernel)
 public:
  explicit THammingKernel(TObject* = nullptr) {}
  Single Window(Single Value) override;
};

class TSinshKernel : public TCustomKernel {
  QN_KERNEL_CLASS(TSinshKernel, TCustomKernel)
 public:
  explicit TSinshKernel(TObject* = nullptr) {}
  bool RangeCheck() override { return true; }
  Single Filter(Single Value) override;
  Single GetWidth() override { return FWidth; }
  Single Width() const { return FWidth; }
  void SetWidth(Single Value);
  Single Coeff() const { return FCoeff; }
  void SetCoeff(Single Value);

  QN_PUBLISHED_DECL(TSinshKernel) {
    QN_PROP(Width);
    QN_PROP(Coeff);
  }

 private:
  Single FWidth = 3, FCoeff = 0.5f;
};

#undef QN_KERNEL_CLASS

// ---------------------------------------------------------------------------
// The other resamplers

// Bilinear: enlarges by interpolation, reduces through a linear kernel.
class TLinearResampler : public TCustomResampler {
  QN_CLASS_CREATE(TLinearResampler, TCustomResampler, TCustomBitmap32)
 public:
  TLinearResampler();
  explicit TLinearResampler(TCustomBitmap32* Bitmap);
  ~TLinearResampler() override;

  // At whole pixels the bilinear weights are 1 and 0: the sample is the
  // pixel the access mode reads there, which wrapping finds directly.
  TColor32 GetSampleInt(Integer X, Integer Y) override;
  // A repeating bitmap under pamWrap hands out its rows piece by piece.
  void GetSampleSpanInt(Integer X, Integer Y, Integer Count, PColor32 Dst) override;
  TColor32 GetSampleFixed(TFixed X, TFixed Y) override;
  TColor32 GetSampleFloat(Single X, Single Y) override;
  void PrepareSampling() override;
  Single GetWidth() override { return 1; }
  void Resample(TCustomBitmap32* Dst, const TRect& DstRect, const TRect& DstClip, TCustomBitmap32* Src,
                const TRect& SrcRect, TDrawMode CombineOp, const TPixelCombineEvent& CombineCallBack) override;
  // Bilinear inside the clip rectangle, fading to transparent over the one
  // pixel beyond it, 0 further out.
  TColor32 GetPixelTransparentEdge(TFixed X, TFixed Y);

 protected:
  TLinearKernel* FLinearKernel = nullptr;

 private:
  using TReader = TColor32 (*)(TLinearResampler* Self, TFixed X, TFixed Y);
  TReader FGetSampleFixed = nullptr;
};

// Fast reduction by averaging whole source blocks.
class TDraftResampler : public TLinearResampler {
  QN_CLASS_CREATE(TDraftResampler, TLinearResampler, TCustomBitmap32)
 public:
  TDraftResampler() = default;
  explicit TDraftResampler(TCustomBitmap32* Bitmap) : TLinearResampler(Bitmap) {}
  void Resample(TCustomBitmap32* Dst, const TRect& DstRect, const TRect& DstClip, TCustomBitmap32* Src,
                const TRect& SrcRect, TDrawMode CombineOp, const TPixelCombineEvent& CombineCallBack) override;
};

enum class TKernelMode { kmDynamic, kmTableNearest, kmTableLinear };
QN_ENUM_NAMES(TKernelMode, kmDynamic, kmTableNearest, kmTableLinear)

// Any reconstruction filter; point samples weight premultiplied colours.
class TKernelResampler : public TCustomResampler {
  QN_CLASS_CREATE(TKernelResampler, TCustomResampler, TCustomBitmap32)
 public:
  TKernelResampler();
  explicit TKernelResampler(TCustomBitmap32* Bitmap);
  ~TKernelResampler() override;

  TColor32 GetSampleFloat(Single X, Single Y) override;
  void PrepareSampling() override;
  void FinalizeSampling() override;
  Single GetWidth() override { return FKernel->GetWidth(); }
  void Resample(TCustomBitmap32* Dst, const TRect& DstRect, const TRect& DstClip, TCustomBitmap32* Src,
                const TRect& SrcRect, TDrawMode CombineOp, const TPixelCombineEvent& CombineCallBack) override;

  TCustomKernel* Kernel() const { return FKernel; }
  // Takes ownership; nil and the current kernel are ignored.
  void SetKernel(TCustomKernel* Value);
  String KernelClassName() const { return FKernel->ClassName(); }
  void SetKernelClassName(const String& Value);
  TKernelMode KernelMode() const { return FKernelMode; }
  void SetKernelMode(TKernelMode Value);
  Integer TableSize() const { return FTableSize; }
  void SetTableSize(Integer Value);

  QN_PUBLISHED_DECL(TKernelResampler) {
    QN_PROP(KernelClassName);
    QN_PROP(Kernel);
    QN_PROP(KernelMode);
    QN_PROP(TableSize);
  }

  // The weights of the taps -W .. W for a sample Frac (0 <= Frac < 1)
  // before the tap at offset 0, summing to 256.
  void Weights(Single Frac, Integer W, Integer* Out);
  // The sample whose tap at offset 0 is (CX, CY), from the weights of both
  // axes (W = the kernel's whole half-width).
  TColor32 SampleTaps(Integer CX, Integer CY, Integer W, const Integer* HW, const Integer* VW);

 private:

  TCustomKernel* FKernel = nullptr;
  TKernelMode FKernelMode = TKernelMode::kmDynamic;
  TIntegerMap* FWeightTable = nullptr;
  Integer FTableSize = 32;
  TColor32 FOuterColor = 0;
};

// ---------------------------------------------------------------------------
// Transfers between bitmaps

struct TPointRec {
  Integer Pos;
  Integer Weight;
};
using TCluster = std::vector<TPointRec>;
using TMappingTable = std::vector<TCluster>;

// Unscaled copy of SrcRect to (DstX, DstY), clipped to DstClip.
void BlockTransfer(TCustomBitmap32* Dst, Integer DstX, Integer DstY, TRect DstClip, TCustomBitmap32* Src,
                   TRect SrcRect, TDrawMode CombineOp, const TPixelCombineEvent& CombineCallBack = {});
// Unscaled blend at a sub-pixel position (16.16); the edge pixels are
// covered in proportion.
void BlockTransferX(TCustomBitmap32* Dst, TFixed DstX, TFixed DstY, TCustomBitmap32* Src, TRect SrcRect,
                    TDrawMode CombineOp, const TPixelCombineEvent& CombineCallBack = {});
// Dst := BlendCallback(F, B) over the parts of both sources that meet.
void BlendTransfer(TCustomBitmap32* Dst, Integer DstX, Integer DstY, TRect DstClip, TCustomBitmap32* SrcF,
                   TRect SrcRectF, TCustomBitmap32* SrcB, TRect SrcRectB, TBlendReg* BlendCallback);
void BlendTransfer(TCustomBitmap32* Dst, Integer DstX, Integer DstY, TRect DstClip, TCustomBitmap32* SrcF,
                   TRect SrcRectF, TCustomBitmap32* SrcB, TRect SrcRectB, TBlendRegEx* BlendCallback,
                   Integer MasterAlpha);
// SrcRect scaled into DstRect through Resampler (unscaled when the sizes agree).
void StretchTransfer(TCustomBitmap32* Dst, TRect DstRect, TRect DstClip, TCustomBitmap32* Src, TRect SrcRect,
                     TCustomResampler* Resampler, TDrawMode CombineOp,
                     const TPixelCombineEvent& CombineCallBack = {});

// The taps of one axis: one cluster per clip column, weights summing to 256.
TMappingTable BuildKernelMapping(Integer DstLo, Integer DstHi, Integer ClipLo, Integer ClipHi, Integer SrcLo,
                                 Integer SrcHi, TCustomKernel* Kernel);
// Bilinear enlargement; the source rectangle is at least 2 x 2.
void LinearStretch(TCustomBitmap32* Dst, TRect DstRect, TRect DstClip, TCustomBitmap32* Src, TRect SrcRect,
                   TDrawMode CombineOp, const TPixelCombineEvent& CombineCallBack);
void KernelStretch(TCustomBitmap32* Dst, TRect DstRect, TRect DstClip, TCustomBitmap32* Src, TRect SrcRect,
                   TCustomKernel* Kernel, TDrawMode CombineOp, const TPixelCombineEvent& CombineCallBack);
void BoxAverageStretch(TCustomBitmap32* Dst, TRect DstRect, TRect DstClip, TCustomBitmap32* Src, TRect SrcRect,
                       TCustomKernel* Kernel, TDrawMode CombineOp, const TPixelCombineEvent& CombineCallBack);

// ---------------------------------------------------------------------------
// Nested samplers: wrappers that change what a sample of an inner sampler
// means.

class TNestedSampler : public TCustomSampler {
  QN_CLASS_CREATE(TNestedSampler, TCustomSampler, TCustomSampler)
 public:
  TNestedSampler() = default;
  explicit TNestedSampler(TCustomSampler* ASampler) { SetSampler(ASampler); }

  void PrepareSampling() override;
  void FinalizeSampling() override;
  bool HasBounds() override;
  TFloatRect GetSampleBounds() override;

  TCustomSampler* Sampler() const { return FSampler; }
  // Caches the inner sampler's three sample methods; no notification.
  void SetSampler(TCustomSampler* Value);

  QN_PUBLISHED_DECL(TNestedSampler) { QN_PROP(Sampler); }

 protected:
  void AssignTo(TPersistent* Dst) override;
  TCustomSampler* Inner();

  TCustomSampler* FSampler = nullptr;
  TGetSampleInt FGetSampleInt;
  TGetSampleFixed FGetSampleFixed;
  TGetSampleFloat FGetSampleFloat;
};

using TReverseTransformInt = void (TTransformation::*)(Integer DstX, Integer DstY, Integer& SrcX, Integer& SrcY);
using TReverseTransformFixed = void (TTransformation::*)(TFixed DstX, TFixed DstY, TFixed& SrcX, TFixed& SrcY);
using TReverseTransformFloat = void (TTransformation::*)(Single DstX, Single DstY, Single& SrcX, Single& SrcY);

// Samples the inner sampler at the reverse mapping of each pixel centre.
class TTransformer : public TNestedSampler {
  QN_CLASS(TTransformer, TNestedSampler)
 public:
  TTransformer() = default;
  TTransformer(TCustomSampler* ASampler, TTransformation* ATransformation);

  TColor32 GetSampleInt(Integer X, Integer Y) override;
  TColor32 GetSampleFixed(TFixed X, TFixed Y) override;
  TColor32 GetSampleFloat(Single X, Single Y) override;
  void PrepareSampling() override;
  bool HasBounds() override;
  TFloatRect GetSampleBounds() override;

  void FinalizeSampling() override;

  TTransformation* Transformation() const { return FTransformation; }
  void SetTransformation(TTransformation* Value);

  // Whether SampleRow serves this sampling session: an affine (or plain
  // 3 x 3 without perspective) mapping over a nearest, linear or kernel
  // resampler, decided by PrepareSampling.
  bool CanSampleRows() const { return FRowKind != TRowKind::None; }
  // GetSampleInt of (X, Y) .. (X + Count - 1, Y) into Out, stepping the
  // reverse-mapped 16.16 coordinates along the row instead of mapping and
  // dispatching every pixel; the colours are the same.
  void SampleRow(Integer X, Integer Y, Integer Count, TColor32* Out);

  QN_PUBLISHED_DECL(TTransformer) { QN_PROP(Transformation); }

 protected:
  TTransformation* FTransformation = nullptr;
  TReverseTransformInt FTransformationReverseTransformInt = nullptr;
  TReverseTransformFixed FTransformationReverseTransformFixed = nullptr;
  TReverseTransformFloat FTransformationReverseTransformFloat = nullptr;

 private:
  enum class TRowKind { None, NearestSafe, Linear, LinearSafe, Kernel, Other };
  void KernelRow(TFixed U, TFixed V, TFixed DU, TFixed DV, Integer Count, TColor32* Out);

  TRowKind FRowKind = TRowKind::None;
  // Kernel weights by sub-pixel phase (65536 phases), filled as met.
  std::vector<Integer> FPhaseWeights;
  std::vector<Byte> FPhaseKnown;
  Integer FKernelW = 0;
};

// 1 .. the largest Integer.
using TSamplingRange = Integer;

// Averages SamplingX x SamplingY samples spread evenly over the pixel.
class TSuperSampler : public TNestedSampler {
  QN_CLASS_CREATE(TSuperSampler, TNestedSampler, TCustomSampler)
 public:
  explicit TSuperSampler(TCustomSampler* ASampler = nullptr);

  TColor32 GetSampleFixed(TFixed X, TFixed Y) override;

  TSamplingRange SamplingX() const { return FSamplingX; }
  // Counts below 1 are taken as 1.
  void SetSamplingX(TSamplingRange Value);
  TSamplingRange SamplingY() const { return FSamplingY; }
  void SetSamplingY(TSamplingRange Value);

  QN_PUBLISHED_DECL(TSuperSampler) {
    QN_PROP(SamplingY);
    QN_PROP(SamplingX);
  }

 protected:
  void UpdateScale();

  TSamplingRange FSamplingY = 4, FSamplingX = 4;
  TFixed FDistanceX = 0, FDistanceY = 0, FOffsetX = 0, FOffsetY = 0;
  // In floating point: the product of the counts may not fit 16.16.
  Double FScale = 0;
};

// Samples the corners and centre of a pixel and subdivides the quadrants
// whose colours differ by more than Tolerance, down to 2^-Level pixels.
class TAdaptiveSuperSampler : public TNestedSampler {
  QN_CLASS_CREATE(TAdaptiveSuperSampler, TNestedSampler, TCustomSampler)
 public:
  using TRecurseProc = TColor32 (TAdaptiveSuperSampler::*)(TFixed X, TFixed Y, TFixed W, TColor32 C1, TColor32 C2);

  explicit TAdaptiveSuperSampler(TCustomSampler* ASampler = nullptr);

  TColor32 GetSampleFixed(TFixed X, TFixed Y) override;
  virtual bool CompareColors(TColor32 C1, TColor32 C2);

  Integer Level() const { return FLevel; }
  // Kept within 0 .. 16: deeper levels would make the smallest offset 0.
  void SetLevel(Integer Value);
  Integer Tolerance() const { return FTolerance; }
  void SetTolerance(Integer Value) { FTolerance = Value; }

  QN_PUBLISHED_DECL(TAdaptiveSuperSampler) {
    QN_PROP(Level);
    QN_PROP(Tolerance);
  }

 protected:
  TColor32 DoRecurse(TFixed X, TFixed Y, TFixed Offset, TColor32 A, TColor32 B, TColor32 C, TColor32 D, TColor32 E);
  TColor32 QuadrantColor(TColor32 C1, TColor32 C2, TFixed X, TFixed Y, TFixed Offset, TRecurseProc Proc);
  TColor32 RecurseAC(TFixed X, TFixed Y, TFixed Offset, TColor32 A, TColor32 C);
  TColor32 RecurseBD(TFixed X, TFixed Y, TFixed Offset, TColor32 B, TColor32 D);

  TFixed FMinOffset = 0;
  Integer FLevel = 0;
  Integer FTolerance = 256;
};

// [row][column]: the 16.16 sample offsets of each cell of a repeating tile.
using TFixedSamplePattern = std::vector<std::vector<TArrayOfFixedPoint>>;

// Averages the samples at the offsets of the tile cell under the point.
class TPatternSampler : public TNestedSampler {
  QN_CLASS_CREATE(TPatternSampler, TNestedSampler, TCustomSampler)
 public:
  explicit TPatternSampler(TCustomSampler* ASampler = nullptr) : TNestedSampler(ASampler) {}

  TColor32 GetSampleFixed(TFixed X, TFixed Y) override;

  const std::shared_ptr<const TFixedSamplePattern>& Pattern() const { return FPattern; }
  // Shared, not copied; an empty pattern, or one with an empty row, is ignored.
  void SetPattern(std::shared_ptr<const TFixedSamplePattern> Value);
  void SetPattern(TFixedSamplePattern Value) {
    SetPattern(std::make_shared<const TFixedSamplePattern>(std::move(Value)));
  }

  TWrapProc WrapProcVert = nullptr;

 protected:
  std::shared_ptr<const TFixedSamplePattern> FPattern;
};

// XRes x YRes offsets, each in its own sub-cell of the pixel square.
TArrayOfFixedPoint RandomJitterTile(Integer XRes, Integer YRes);
TFixedSamplePattern CreateJitteredPattern(Integer TileWidth, Integer TileHeight, Integer SamplesX, Integer SamplesY);

// ---------------------------------------------------------------------------
// Kernel samplers: each sample from a neighbourhood of the inner sampler
// weighted by an integer matrix, applied mirrored (cell (I, J) weighs the
// pixel I columns left and J rows up of the centre).

class TKernelSampler : public TNestedSampler {
  QN_CLASS(TKernelSampler, TNestedSampler)
 public:
  explicit TKernelSampler(TCustomSampler* ASampler = nullptr);
  ~TKernelSampler() override;

  TColor32 GetSampleInt(Integer X, Integer Y) override;
  TColor32 GetSampleFixed(TFixed X, TFixed Y) override;

  TIntegerMap* Kernel() const { return FKernel; }
  // Copies Value's size and weights; the caller keeps its map.
  void SetKernel(TIntegerMap* Value);
  Integer CenterX() const { return FCenterX; }
  void SetCenterX(Integer Value) { FCenterX = Value; }
  Integer CenterY() const { return FCenterY; }
  void SetCenterY(Integer Value) { FCenterY = Value; }

  QN_PUBLISHED_DECL(TKernelSampler) {
    QN_PROP(Kernel);
    QN_PROP(CenterX);
    QN_PROP(CenterY);
  }

 protected:
  virtual void UpdateBuffer(TBufferEntry& Buffer, TColor32 Color, Integer Weight) = 0;
  virtual TColor32 ConvertBuffer(TBufferEntry& Buffer);

  TIntegerMap* FKernel;
  TBufferEntry FStartEntry;
  Integer FCenterX = 0, FCenterY = 0;
};

class TConvolver : public TKernelSampler {
  QN_CLASS_CREATE(TConvolver, TKernelSampler, TCustomSampler)
 public:
  explicit TConvolver(TCustomSampler* ASampler = nullptr) : TKernelSampler(ASampler) {}

 protected:
  void UpdateBuffer(TBufferEntry& Buffer, TColor32 Color, Integer Weight) override;
};

// Mixes only the neighbours whose channels lie within Delta of the centre's.
class TSelectiveConvolver : public TConvolver {
  QN_CLASS_CREATE(TSelectiveConvolver, TConvolver, TCustomSampler)
 public:
  explicit TSelectiveConvolver(TCustomSampler* ASampler = nullptr) : TConvolver(ASampler) {}

  TColor32 GetSampleInt(Integer X, Integer Y) override;
  TColor32 GetSampleFixed(TFixed X, TFixed Y) override;

  Integer Delta() const { return FDelta; }
  void SetDelta(Integer Value) { FDelta = Value; }

  QN_PUBLISHED_DECL(TSelectiveConvolver) { QN_PROP(Delta); }

 protected:
  void UpdateBuffer(TBufferEntry& Buffer, TColor32 Color, Integer Weight) override;
  TColor32 ConvertBuffer(TBufferEntry& Buffer) override;

  TColor32 FRefColor = 0;
  Integer FDelta = 30;
  TBufferEntry FWeightSum;
};

class TMorphologicalSampler : public TKernelSampler {
  QN_CLASS(TMorphologicalSampler, TKernelSampler)
 public:
  explicit TMorphologicalSampler(TCustomSampler* ASampler = nullptr) : TKernelSampler(ASampler) {}

 protected:
  TColor32 ConvertBuffer(TBufferEntry& Buffer) override;
};

class TDilater : public TMorphologicalSampler {
  QN_CLASS_CREATE(TDilater, TMorphologicalSampler, TCustomSampler)
 public:
  explicit TDilater(TCustomSampler* ASampler = nullptr) : TMorphologicalSampler(ASampler) {}

 protected:
  void UpdateBuffer(TBufferEntry& Buffer, TColor32 Color, Integer Weight) override;
};

class TEroder : public TMorphologicalSampler {
  QN_CLASS_CREATE(TEroder, TMorphologicalSampler, TCustomSampler)
 public:
  explicit TEroder(TCustomSampler* ASampler = nullptr);

 protected:
  void UpdateBuffer(TBufferEntry& Buffer, TColor32 Color, Integer Weight) override;
};

class TExpander : public TKernelSampler {
  QN_CLASS_CREATE(TExpander, TKernelSampler, TCustomSampler)
 public:
  explicit TExpander(TCustomSampler* ASampler = nullptr) : TKernelSampler(ASampler) {}

 protected:
  void UpdateBuffer(TBufferEntry& Buffer, TColor32 Color, Integer Weight) override;
};

class TContracter : public TExpander {
  QN_CLASS_CREATE(TContracter, TExpander, TCustomSampler)
 public:
  explicit TContracter(TCustomSampler* ASampler = nullptr) : TExpander(ASampler) {}

  void PrepareSampling() override;
  TColor32 GetSampleInt(Integer X, Integer Y) override;
  TColor32 GetSampleFixed(TFixed X, TFixed Y) override;

 protected:
  void UpdateBuffer(TBufferEntry& Buffer, TColor32 Color, Integer Weight) override;

  TColor32 FMaxWeight = 0;
};

// Dst takes Src's size and Src filtered through the kernel, with the cell
// (CenterX, CenterY) on each pixel. Kernel stays the caller's.
void Convolve(TCustomBitmap32* Src, TCustomBitmap32* Dst, TIntegerMap* Kernel, Integer CenterX, Integer CenterY);
void Dilate(TCustomBitmap32* Src, TCustomBitmap32* Dst, TIntegerMap* Kernel, Integer CenterX, Integer CenterY);
void Erode(TCustomBitmap32* Src, TCustomBitmap32* Dst, TIntegerMap* Kernel, Integer CenterX, Integer CenterY);
void Expand(TCustomBitmap32* Src, TCustomBitmap32* Dst, TIntegerMap* Kernel, Integer CenterX, Integer CenterY);
void Contract(TCustomBitmap32* Src, TCustomBitmap32* Dst, TIntegerMap* Kernel, Integer CenterX, Integer CenterY);

void InitPix32Resamplers();
void DonePix32Resamplers();

}  // namespace qn

#include "platform/rtl/MacroShieldEnd.h"
