// Resampling: the process-wide registries of resampler and kernel classes,
// the colour accumulator used by every sampler that sums colours, the
// block-average and interpolation routines bound per processor, and the
// concrete resamplers.
#pragma once

#include "graphics/raster/Pix32_Containers_qn.h"
#include "graphics/raster/Pix32_qn.h"

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
void InitPix32Resamplers();
void DonePix32Resamplers();

}  // namespace qn
