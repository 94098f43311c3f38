// Rasterizers: the drivers of the sampling pipeline. Each writes a sampler's
// colours into a rectangle of a bitmap through one of four colour
// assignments picked by the draw mode; they differ in the order in which
// they visit pixels and in how often they report finished areas.
#pragma once
#include "platform/rtl/MacroShield.h"

#include <atomic>
#include <exception>

#include "graphics/raster/Pix32_Blend_qn.h"
#include "graphics/raster/Pix32_qn.h"
#include "platform/classes/Threads.h"

namespace qn {

struct TCombineInfo {
  Integer SrcAlpha = 255;
  TDrawMode DrawMode = TDrawMode::dmOpaque;
  TCombineMode CombineMode = TCombineMode::cmBlend;
  TPixelCombineEvent CombineCallBack;
  TColor32 TransparentColor = 0xFF000000u;
};
using PCombineInfo = TCombineInfo*;
inline const TCombineInfo DEFAULT_COMBINE_INFO{};

// The combine settings of a source bitmap; a dmCustom bitmap without a
// callback combines opaquely.
TCombineInfo CombineInfo(TCustomBitmap32* Bitmap);

class TRasterizer;
using TAssignColor = void (TRasterizer::*)(TColor32& Dst, TColor32 Src);
using TRasterizerClass = TClass;

class TRasterizer : public TThreadPersistent {
  QN_CLASS(TRasterizer, TThreadPersistent)
 public:
  TRasterizer() { SetCombineInfo(DEFAULT_COMBINE_INFO); }

  void Assign(TPersistent* Source) override;

  TCustomSampler* Sampler() const { return FSampler; }
  void SetSampler(TCustomSampler* Value);
  void SetCombineInfo(const TCombineInfo& CombineInfo);

  void Rasterize(TCustomBitmap32* Dst);
  // The driver: prepares the sampler, clips to the bitmap and to the
  // sampler's bounds, rasterizes, and whatever happens closes update
  // brackets the rasterizing left open and finalises the sampler.
  void Rasterize(TCustomBitmap32* Dst, const TRect& DstRect);
  void Rasterize(TCustomBitmap32* Dst, const TRect& DstRect, const TCombineInfo& CombineInfo);
  void Rasterize(TCustomBitmap32* Dst, const TRect& DstRect, TCustomBitmap32* Src);

  void AssignColorOpaque(TColor32& Dst, TColor32 Src);
  void AssignColorBlend(TColor32& Dst, TColor32 Src);
  void AssignColorTransparent(TColor32& Dst, TColor32 Src);
  void AssignColorCustom(TColor32& Dst, TColor32 Src);

  QN_PUBLISHED_DECL(TRasterizer) { QN_PROP(Sampler); }

 protected:
  void AssignTo(TPersistent* Dest) override;
  virtual void DoRasterize(TCustomBitmap32* Dst, const TRect& DstRect) = 0;
  void AssignPixel(TColor32& Dst, TColor32 Src) { (this->*FAssignColor)(Dst, Src); }

  TCustomSampler* FSampler = nullptr;
  Integer FSrcAlpha = 255;
  TBlendMemEx* FBlendMemEx = nullptr;
  // The whole-row form of FBlendMemEx.
  TBlendLineEx* FBlendLineEx = nullptr;
  TPixelCombineEvent FCombineCallBack;
  TAssignColor FAssignColor = nullptr;
  TColor32 FTransparentColor = 0xFF000000u;

  friend class TScanLineRasterizerThread;
};

class TRegularRasterizer : public TRasterizer {
  QN_CLASS_CREATE(TRegularRasterizer, TRasterizer, TObject)
 public:
  TRegularRasterizer() = default;
  explicit TRegularRasterizer(TObject*) {}

  // Rows per report while rasterizing; 0 reports once at the end.
  Integer UpdateRowCount() const { return FUpdateRowCount; }
  void SetUpdateRowCount(Integer Value) { FUpdateRowCount = Value; }

  QN_PUBLISHED_DECL(TRegularRasterizer) { QN_PROP(UpdateRowCount); }

 protected:
  void DoRasterize(TCustomBitmap32* Dst, const TRect& DstRect) override;

 private:
  Integer FUpdateRowCount = 0;
};

// Visits pixels in Morton order, reporting blocks of 2^BlockSize.
class TSwizzlingRasterizer : public TRasterizer {
  QN_CLASS_CREATE(TSwizzlingRasterizer, TRasterizer, TObject)
 public:
  TSwizzlingRasterizer() = default;
  explicit TSwizzlingRasterizer(TObject*) {}

  Integer BlockSize() const { return FBlockSize; }
  // Kept within 0 .. 16: a block wider than the widest bitmap reports the same.
  void SetBlockSize(Integer Value);

  QN_PUBLISHED_DECL(TSwizzlingRasterizer) { QN_PROP(BlockSize).Default(3); }

 protected:
  void DoRasterize(TCustomBitmap32* Dst, const TRect& DstRect) override;

 private:
  Integer FBlockSize = 3;
};

// Coarse-to-fine interlacing: a first pass of 2^Steps blocks, then passes
// that halve the block until every pixel is sampled.
class TProgressiveRasterizer : public TRasterizer {
  QN_CLASS_CREATE(TProgressiveRasterizer, TRasterizer, TObject)
 public:
  TProgressiveRasterizer() = default;
  explicit TProgressiveRasterizer(TObject*) {}

  Integer Steps() const { return FSteps; }
  // Kept within 0 .. 16, like BlockSize.
  void SetSteps(Integer Value);
  bool UpdateRows() const { return FUpdateRows; }
  void SetUpdateRows(bool Value);

  QN_PUBLISHED_DECL(TProgressiveRasterizer) {
    QN_PROP(Steps).Default(4);
    QN_PROP(UpdateRows).Default(true);
  }

 protected:
  void DoRasterize(TCustomBitmap32* Dst, const TRect& DstRect) override;

 private:
  Integer FSteps = 4;
  bool FUpdateRows = true;
};

// Recursive subdivision: the top row and left column, then cuts across the
// longer side, alternating down to single lines.
class TTesseralRasterizer : public TRasterizer {
  QN_CLASS_CREATE(TTesseralRasterizer, TRasterizer, TObject)
 public:
  TTesseralRasterizer() = default;
  explicit TTesseralRasterizer(TObject*) {}

 protected:
  void DoRasterize(TCustomBitmap32* Dst, const TRect& DstRect) override;
};

// Follows paths of least colour change through unvisited pixels.
class TContourRasterizer : public TRasterizer {
  QN_CLASS_CREATE(TContourRasterizer, TRasterizer, TObject)
 public:
  TContourRasterizer() = default;
  explicit TContourRasterizer(TObject*) {}

 protected:
  void DoRasterize(TCustomBitmap32* Dst, const TRect& DstRect) override;
};

struct TLineRasterizerData {
  std::atomic<Integer> ScanLine{0};
};
using PLineRasterizerData = TLineRasterizerData*;

// One worker of the multithreaded rasterizer: claims rows from the shared
// counter until they run out.
class TScanLineRasterizerThread : public TThread {
  QN_CLASS(TScanLineRasterizerThread, TThread)
 public:
  TScanLineRasterizerThread(PLineRasterizerData AData, const TRect& ADstRect, TCustomBitmap32* ADst,
                            TRasterizer* ARasterizer);

  PLineRasterizerData Data;
  TRect DstRect;
  TCustomBitmap32* Dst;
  TGetSampleInt GetSample;
  TAssignColor AssignColor;
  // What the sampler or the assignment raised; the caller raises it again.
  std::exception_ptr Failure;

 protected:
  void Execute() override;

 private:
  TRasterizer* FRasterizer;
};

class TMultithreadedRegularRasterizer : public TRasterizer {
  QN_CLASS_CREATE(TMultithreadedRegularRasterizer, TRasterizer, TObject)
 public:
  TMultithreadedRegularRasterizer() = default;
  explicit TMultithreadedRegularRasterizer(TObject*) {}

 protected:
  void DoRasterize(TCustomBitmap32* Dst, const TRect& DstRect) override;
};

extern Integer NumberOfProcessors;
extern TRasterizerClass DefaultRasterizerClass;

void InitPix32Rasterizers();
void DonePix32Rasterizers();

}  // namespace qn

#include "platform/rtl/MacroShieldEnd.h"
