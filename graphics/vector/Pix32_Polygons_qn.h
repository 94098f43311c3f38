// Polygon drawing: the styles strokes are built with, and the renderers that
// turn the rasterizer's coverage (Pix32_VPR_qn) into pixels. The outline
// builders in Pix32_VectorUtils_qn take the styles, so they live here where
// the polygon renderers will find them too.
#pragma once
#include "platform/rtl/MacroShield.h"

#include <vector>

#include "graphics/raster/QnBase.h"
#include "graphics/raster/Pix32_qn_Types.h"
#include "graphics/raster/Pix32_qn_Bases.h"
#include "graphics/raster/Pix32_qn_Bitmap.h"
#include "graphics/raster/Pix32_Containers_qn.h"
#include "graphics/vector/Pix32_VPR_qn.h"

namespace qn {

enum class TJoinStyle : Byte { jsMiter, jsBevel, jsRound };
enum class TEndStyle : Byte { esButt, esSquare, esRound };

class TTransformation;

enum class TPolyFillMode : Byte { pfEvenOdd, pfNonZero };

// Turns Count coverage values into 32-bit values (colours or weights).
using TFillProc = void (*)(const Single* Coverage, PColor32 AlphaValues, Integer Count, TColor32 Color);
// Writes Length pixels from Dst, pixel (DstX, DstY) of the target; the low
// byte of each AlphaValues entry is that pixel's weight (nil: full weight).
using TFillLineEvent = TEvent<void(PColor32 Dst, Integer DstX, Integer DstY, Integer Length, PColor32 AlphaValues)>;
// Length pixels of full coverage from Dst, at (DstX, DstY).
using TFillRunEvent = TEvent<void(PColor32 Dst, Integer DstX, Integer DstY, Integer Length)>;

// Supplies the colours of a fill instead of one solid colour.
class TCustomPolygonFiller : public TObject {
  QN_CLASS(TCustomPolygonFiller, TObject)
 public:
  TCustomPolygonFiller() = default;
  // May hand back no routine; the renderer then skips the span.
  virtual TFillLineEvent GetFillLine() = 0;
  // A filler that can fill a run of full coverage without a weight per
  // pixel hands back a routine for it; the renderer then splits a row into
  // such runs and lines with weights. None (the default): whole rows go to
  // the line routine.
  virtual TFillRunEvent GetFillRun() { return {}; }
  // A filler that can fill a whole box of full coverage quicker than a row
  // at a time (its rows all alike, say) fills Box of Bitmap here, between
  // BeginRendering and EndRendering, and says so. By default it cannot, and
  // the renderer goes row by row.
  virtual bool FillBox(TCustomBitmap32* Bitmap, const TRect& Box) {
    (void)Bitmap;
    (void)Box;
    return false;
  }
  virtual void BeginRendering() {}
  virtual void EndRendering() {}
};

class TCustomPolygonRenderer : public TThreadPersistent {
  QN_CLASS(TCustomPolygonRenderer, TThreadPersistent)
 public:
  TCustomPolygonRenderer() = default;

  // The transformation maps the points only; the clip rectangle stays as given.
  virtual void PolyPolygonFS(const TArrayOfArrayOfFloatPoint& Points, const TFloatRect& ClipRect,
                             TTransformation* Transformation);
  virtual void PolyPolygonFS(const TArrayOfArrayOfFloatPoint& Points, const TFloatRect& ClipRect);
  virtual void PolygonFS(const TArrayOfFloatPoint& Points, const TFloatRect& ClipRect,
                         TTransformation* Transformation);
  virtual void PolygonFS(const TArrayOfFloatPoint& Points, const TFloatRect& ClipRect);
};

// Draws on a bitmap it does not own.
class TPolygonRenderer32 : public TCustomPolygonRenderer {
  QN_CLASS(TPolygonRenderer32, TCustomPolygonRenderer)
 public:
  TPolygonRenderer32() = default;
  TPolygonRenderer32(TCustomBitmap32* Bitmap, TPolyFillMode FillMode = TPolyFillMode::pfEvenOdd)
      : FBitmap(Bitmap), FFillMode(FillMode) {}

  using TCustomPolygonRenderer::PolygonFS;
  using TCustomPolygonRenderer::PolyPolygonFS;
  // Against the bitmap's clip rectangle.
  virtual void PolygonFS(const TArrayOfFloatPoint& Points);
  virtual void PolyPolygonFS(const TArrayOfArrayOfFloatPoint& Points);

  TCustomBitmap32* Bitmap() const { return FBitmap; }
  virtual void SetBitmap(TCustomBitmap32* Value);
  TPolyFillMode FillMode() const { return FFillMode; }
  void SetFillMode(TPolyFillMode Value);
  TColor32 Color() const { return FColor; }
  void SetColor(TColor32 Value);
  TCustomPolygonFiller* Filler() const { return FFiller; }
  void SetFiller(TCustomPolygonFiller* Value);

 protected:
  TCustomBitmap32* FBitmap = nullptr;
  TPolyFillMode FFillMode = TPolyFillMode::pfEvenOdd;
  TColor32 FColor = 0;
  TCustomPolygonFiller* FFiller = nullptr;
};

struct TCoverRow;

// The exact-area renderer: coverage through the gamma table into the
// colour's alpha, blended one span at a time.
// Its class reference creates it with the bitmap passed (nil for none).
class TPolygonRenderer32VPR : public TPolygonRenderer32 {
  QN_CLASS_CREATE(TPolygonRenderer32VPR, TPolygonRenderer32, TCustomBitmap32)
 public:
  using TPolygonRenderer32::TPolygonRenderer32;
  using TPolygonRenderer32::PolyPolygonFS;

  // The clip rectangle is cut to the bitmap's bounds here, so a caller's
  // larger rectangle can never reach memory outside the pixels; an empty,
  // inverted or NaN rectangle draws nothing and reports nothing.
  void PolyPolygonFS(const TArrayOfArrayOfFloatPoint& Points, const TFloatRect& ClipRect) override;

 protected:
  virtual void RenderSpan(const TValueSpan& Span, Integer DstY);
  virtual void FillSpan(const TValueSpan& Span, Integer DstY);
  virtual TRenderSpanEvent GetRenderSpan();
  void UpdateFillProcs();
  // The change report after a fill: each non-empty outline's bounds, unless
  // the bitmap's update bracket is open.
  void ReportChanges(const TArrayOfArrayOfFloatPoint& Points);

  TFillProc FFillProc = nullptr;

 private:
  TColor32* SpanBuffer(Integer Len);
  void RenderValues(const Single* V, PColor32 Dst, Integer Len);
  static void RenderRow(Pointer Data, const TCoverRow& Row);
  static void FillRow(Pointer Data, const TCoverRow& Row);
  // A rectangle on whole pixels covers each of its pixels fully and no
  // other: the filler gets its rows without coverage being worked out.
  // False (nothing drawn) for any other shape.
  bool FillPixelBox(const TArrayOfArrayOfFloatPoint& Points, const TFloatRect& ClipRect);
  void BlendColors(const TColor32* Src, PColor32 Dst, Integer Len);
  void BlendRun(TColor32 C, PColor32 Dst, Integer Len);
  // Scratch reused from span to span: per-pixel colours or weights, and a
  // line of one colour for the runs of equal coverage.
  std::vector<TColor32> FBuffer;
  std::vector<TColor32> FRunLine;
  TColor32 FRunColor = 0;
  bool FRunAVX2 = false;  // the run blender may use 256-bit vectors
};

// ---- subpixel renderers ----
//
// Coverage at three times the horizontal resolution, one sample per colour
// component, box-filtered and blended into each component with its own
// weight; the leftmost sample of a pixel weighs red. They draw one colour
// and ignore Filler.

// Writes Count subpixel weights from Coverage into Weights[0 .. Count + 3]:
// filtered weights first, then the filter's tail.
using TLCDFillProc = void (*)(const Single* Coverage, Byte* Weights, Integer Count, TColor32 Color);

class TPolygonRenderer32LCD : public TPolygonRenderer32VPR {
  QN_CLASS_CREATE(TPolygonRenderer32LCD, TPolygonRenderer32VPR, TCustomBitmap32)
 public:
  using TPolygonRenderer32VPR::TPolygonRenderer32VPR;
  using TPolygonRenderer32VPR::PolyPolygonFS;

  // The clip rectangle is cut to the bitmap's bounds before it is scaled,
  // so no span can reach past the pixels; an empty, inverted or NaN
  // rectangle draws and reports nothing.
  void PolyPolygonFS(const TArrayOfArrayOfFloatPoint& Points, const TFloatRect& ClipRect) override;

  // The fill procedures of this class, indexed by fill mode.
  static TLCDFillProc FillProc(TPolyFillMode Mode);

 protected:
  void RenderSpan(const TValueSpan& Span, Integer DstY) override;
  TRenderSpanEvent GetRenderSpan() override;
  virtual TLCDFillProc GetLCDFillProc();
  // Prepares a window of Len + 11 bytes, the first five zero.
  Byte* Window(Integer Len);
  // Pixels pixels from the byte window: pixel i reads bytes 3i .. 3i + 3.
  void BlendSubpixels(const Byte* Weights, PColor32 Dst, Integer Pixels);

 private:
  std::vector<Byte> FWindow;
};

// A second box pass over the weights: softer colour fringes.
class TPolygonRenderer32LCD2 : public TPolygonRenderer32LCD {
  QN_CLASS_CREATE(TPolygonRenderer32LCD2, TPolygonRenderer32LCD, TCustomBitmap32)
 public:
  using TPolygonRenderer32LCD::TPolygonRenderer32LCD;
  static TLCDFillProc FillProc(TPolyFillMode Mode);

 protected:
  void RenderSpan(const TValueSpan& Span, Integer DstY) override;
  TLCDFillProc GetLCDFillProc() override;
};

void PolygonFS_LCD(TCustomBitmap32* Bitmap, const TArrayOfFloatPoint& Points, TColor32 Color,
                   TPolyFillMode FillMode = TPolyFillMode::pfEvenOdd, TTransformation* Transformation = nullptr);
void PolyPolygonFS_LCD(TCustomBitmap32* Bitmap, const TArrayOfArrayOfFloatPoint& Points, TColor32 Color,
                       TPolyFillMode FillMode = TPolyFillMode::pfEvenOdd, TTransformation* Transformation = nullptr);
void PolygonFS_LCD(TCustomBitmap32* Bitmap, const TArrayOfFloatPoint& Points, const TRect& ClipRect,
                   TColor32 Color, TPolyFillMode FillMode = TPolyFillMode::pfEvenOdd,
                   TTransformation* Transformation = nullptr);
void PolyPolygonFS_LCD(TCustomBitmap32* Bitmap, const TArrayOfArrayOfFloatPoint& Points, const TRect& ClipRect,
                       TColor32 Color, TPolyFillMode FillMode = TPolyFillMode::pfEvenOdd,
                       TTransformation* Transformation = nullptr);
void PolygonFS_LCD2(TCustomBitmap32* Bitmap, const TArrayOfFloatPoint& Points, TColor32 Color,
                    TPolyFillMode FillMode = TPolyFillMode::pfEvenOdd, TTransformation* Transformation = nullptr);
void PolyPolygonFS_LCD2(TCustomBitmap32* Bitmap, const TArrayOfArrayOfFloatPoint& Points, TColor32 Color,
                        TPolyFillMode FillMode = TPolyFillMode::pfEvenOdd, TTransformation* Transformation = nullptr);
void PolygonFS_LCD2(TCustomBitmap32* Bitmap, const TArrayOfFloatPoint& Points, const TRect& ClipRect,
                    TColor32 Color, TPolyFillMode FillMode = TPolyFillMode::pfEvenOdd,
                    TTransformation* Transformation = nullptr);
void PolyPolygonFS_LCD2(TCustomBitmap32* Bitmap, const TArrayOfArrayOfFloatPoint& Points, const TRect& ClipRect,
                        TColor32 Color, TPolyFillMode FillMode = TPolyFillMode::pfEvenOdd,
                        TTransformation* Transformation = nullptr);
void PolygonXS_LCD(TCustomBitmap32* Bitmap, const TArrayOfFixedPoint& Points, TColor32 Color,
                   TPolyFillMode FillMode = TPolyFillMode::pfEvenOdd, TTransformation* Transformation = nullptr);
void PolyPolygonXS_LCD(TCustomBitmap32* Bitmap, const TArrayOfArrayOfFixedPoint& Points, TColor32 Color,
                       TPolyFillMode FillMode = TPolyFillMode::pfEvenOdd, TTransformation* Transformation = nullptr);
void PolygonXS_LCD2(TCustomBitmap32* Bitmap, const TArrayOfFixedPoint& Points, TColor32 Color,
                    TPolyFillMode FillMode = TPolyFillMode::pfEvenOdd, TTransformation* Transformation = nullptr);
void PolyPolygonXS_LCD2(TCustomBitmap32* Bitmap, const TArrayOfArrayOfFixedPoint& Points, TColor32 Color,
                        TPolyFillMode FillMode = TPolyFillMode::pfEvenOdd, TTransformation* Transformation = nullptr);

// ---- span fillers ----

// Hands the renderer its FillLineEvent as it stands (possibly unset).
class TCallbackPolygonFiller : public TCustomPolygonFiller {
  QN_CLASS(TCallbackPolygonFiller, TCustomPolygonFiller)
 public:
  TCallbackPolygonFiller() = default;
  TFillLineEvent GetFillLine() override { return FFillLineEvent; }
  const TFillLineEvent& FillLineEvent() const { return FFillLineEvent; }
  void SetFillLineEvent(const TFillLineEvent& Value);

 private:
  TFillLineEvent FFillLineEvent;
};

// Blends each pixel towards its own inverse by the pixel's weight; without
// weights every pixel is inverted fully.
class TInvertPolygonFiller : public TCustomPolygonFiller {
  QN_CLASS(TInvertPolygonFiller, TCustomPolygonFiller)
 public:
  TInvertPolygonFiller() = default;
  TFillLineEvent GetFillLine() override;

 protected:
  void FillLineBlend(PColor32 Dst, Integer DstX, Integer DstY, Integer Length, PColor32 AlphaValues);
};

// Tiles a pattern bitmap (not owned) over the plane, its pixel (0, 0) at
// (OffsetX, OffsetY). The pattern's draw mode, combine mode and master
// alpha pick the routine each time a span asks; no pattern, an empty one,
// dmTransparent, or dmCustom without OnPixelCombine draws nothing.
class TBitmapPolygonFiller : public TCustomPolygonFiller {
  QN_CLASS(TBitmapPolygonFiller, TCustomPolygonFiller)
 public:
  TBitmapPolygonFiller() = default;
  TFillLineEvent GetFillLine() override;

  TCustomBitmap32* Pattern() const { return FPattern; }
  void SetPattern(TCustomBitmap32* Value);
  Integer OffsetX() const { return FOffsetX; }
  void SetOffsetX(Integer Value) { FOffsetX = Value; }
  Integer OffsetY() const { return FOffsetY; }
  void SetOffsetY(Integer Value) { FOffsetY = Value; }

 protected:
  void FillLineOpaque(PColor32 Dst, Integer DstX, Integer DstY, Integer Length, PColor32 AlphaValues);
  void FillLineBlend(PColor32 Dst, Integer DstX, Integer DstY, Integer Length, PColor32 AlphaValues);
  void FillLineBlendMasterAlpha(PColor32 Dst, Integer DstX, Integer DstY, Integer Length, PColor32 AlphaValues);
  void FillLineCustomCombine(PColor32 Dst, Integer DstX, Integer DstY, Integer Length, PColor32 AlphaValues);

 private:
  template <class Fn>
  void ForEachPiece(Integer DstX, Integer DstY, Integer Length, Fn F) const;
  TCustomBitmap32* FPattern = nullptr;
  Integer FOffsetY = 0;
  Integer FOffsetX = 0;
};

// Fills from a sampler (not owned), each sample made opaque and blended by
// the pixel's weight; without weights every pixel takes its sample.
class TSamplerFiller : public TCustomPolygonFiller {
  QN_CLASS(TSamplerFiller, TCustomPolygonFiller)
 public:
  TSamplerFiller() = default;
  explicit TSamplerFiller(TCustomSampler* Sampler);
  TFillLineEvent GetFillLine() override;
  TFillRunEvent GetFillRun() override;
  bool FillBox(TCustomBitmap32* Bitmap, const TRect& Box) override;
  // Prepare and finalise the sampler; without one they raise.
  void BeginRendering() override;
  void EndRendering() override;

  TCustomSampler* Sampler() const { return FSampler; }
  void SetSampler(TCustomSampler* Value);

 protected:
  virtual void SamplerChanged();
  void SampleLineOpaque(PColor32 Dst, Integer DstX, Integer DstY, Integer Length, PColor32 AlphaValues);
  void SampleRunOpaque(PColor32 Dst, Integer DstX, Integer DstY, Integer Length);

 private:
  TCustomSampler* FSampler = nullptr;
  // The sampler said at the start of the rendering that its samples are
  // opaque: they go into the bitmap as they come, with no pass to force
  // their alpha.
  bool FOpaqueSamples = false;
};

// Every row of the bitmap through the filler at full weight, without
// clipping and without a change report.
void FillBitmap(TCustomBitmap32* Bitmap, TCustomPolygonFiller* Filler);

// A renderer class reference: one whose Create(Bitmap) makes a
// TPolygonRenderer32 descendant drawing on Bitmap.
using TPolygonRenderer32Class = TClass;

// The registered renderer classes in registration order, created at the
// first registration and freed with the unit; nil before.
extern TClassList* PolygonRendererList;
// The class the path canvas creates its renderer from.
extern TPolygonRenderer32Class DefaultPolygonRendererClass;
void RegisterPolygonRenderer(TPolygonRenderer32Class PolygonRendererClass);
void InitPix32Polygons();
void DonePix32Polygons();

// ---- fill entry points ----
//
// Each draws through a temporary exact-area renderer and leaves the change
// reports to it: one per non-empty outline drawn, none while the bitmap's
// update bracket is open. Filler forms do nothing at all for a nil filler.

void PolygonFS(TCustomBitmap32* Bitmap, const TArrayOfFloatPoint& Points, TColor32 Color,
               TPolyFillMode FillMode = TPolyFillMode::pfEvenOdd, TTransformation* Transformation = nullptr);
void PolyPolygonFS(TCustomBitmap32* Bitmap, const TArrayOfArrayOfFloatPoint& Points, TColor32 Color,
                   TPolyFillMode FillMode = TPolyFillMode::pfEvenOdd, TTransformation* Transformation = nullptr);
// These draw only inside both ClipRect and the bitmap's clip rectangle.
void PolygonFS(TCustomBitmap32* Bitmap, const TArrayOfFloatPoint& Points, const TRect& ClipRect, TColor32 Color,
               TPolyFillMode FillMode = TPolyFillMode::pfEvenOdd, TTransformation* Transformation = nullptr);
void PolyPolygonFS(TCustomBitmap32* Bitmap, const TArrayOfArrayOfFloatPoint& Points, const TRect& ClipRect,
                   TColor32 Color, TPolyFillMode FillMode = TPolyFillMode::pfEvenOdd,
                   TTransformation* Transformation = nullptr);
// Filler forms; a nil filler draws nothing.
void PolygonFS(TCustomBitmap32* Bitmap, const TArrayOfFloatPoint& Points, TCustomPolygonFiller* Filler,
               TPolyFillMode FillMode = TPolyFillMode::pfEvenOdd, TTransformation* Transformation = nullptr);
void PolyPolygonFS(TCustomBitmap32* Bitmap, const TArrayOfArrayOfFloatPoint& Points, TCustomPolygonFiller* Filler,
                   TPolyFillMode FillMode = TPolyFillMode::pfEvenOdd, TTransformation* Transformation = nullptr);
void PolygonFS(TCustomBitmap32* Bitmap, const TArrayOfFloatPoint& Points, const TRect& ClipRect,
               TCustomPolygonFiller* Filler, TPolyFillMode FillMode = TPolyFillMode::pfEvenOdd,
               TTransformation* Transformation = nullptr);
void PolyPolygonFS(TCustomBitmap32* Bitmap, const TArrayOfArrayOfFloatPoint& Points, const TRect& ClipRect,
                   TCustomPolygonFiller* Filler, TPolyFillMode FillMode = TPolyFillMode::pfEvenOdd,
                   TTransformation* Transformation = nullptr);
// Fixed-point forms: converted to float points, then drawn as above.
void PolygonXS(TCustomBitmap32* Bitmap, const TArrayOfFixedPoint& Points, TColor32 Color,
               TPolyFillMode FillMode = TPolyFillMode::pfEvenOdd, TTransformation* Transformation = nullptr);
void PolyPolygonXS(TCustomBitmap32* Bitmap, const TArrayOfArrayOfFixedPoint& Points, TColor32 Color,
                   TPolyFillMode FillMode = TPolyFillMode::pfEvenOdd, TTransformation* Transformation = nullptr);
void PolygonXS(TCustomBitmap32* Bitmap, const TArrayOfFixedPoint& Points, TCustomPolygonFiller* Filler,
               TPolyFillMode FillMode = TPolyFillMode::pfEvenOdd, TTransformation* Transformation = nullptr);
void PolyPolygonXS(TCustomBitmap32* Bitmap, const TArrayOfArrayOfFixedPoint& Points, TCustomPolygonFiller* Filler,
                   TPolyFillMode FillMode = TPolyFillMode::pfEvenOdd, TTransformation* Transformation = nullptr);
void PolygonXS(TCustomBitmap32* Bitmap, const TArrayOfFixedPoint& Points, const TRect& ClipRect, TColor32 Color,
               TPolyFillMode FillMode = TPolyFillMode::pfEvenOdd, TTransformation* Transformation = nullptr);
void PolyPolygonXS(TCustomBitmap32* Bitmap, const TArrayOfArrayOfFixedPoint& Points, const TRect& ClipRect,
                   TColor32 Color, TPolyFillMode FillMode = TPolyFillMode::pfEvenOdd,
                   TTransformation* Transformation = nullptr);
void PolygonXS(TCustomBitmap32* Bitmap, const TArrayOfFixedPoint& Points, const TRect& ClipRect,
               TCustomPolygonFiller* Filler, TPolyFillMode FillMode = TPolyFillMode::pfEvenOdd,
               TTransformation* Transformation = nullptr);
void PolyPolygonXS(TCustomBitmap32* Bitmap, const TArrayOfArrayOfFixedPoint& Points, const TRect& ClipRect,
                   TCustomPolygonFiller* Filler, TPolyFillMode FillMode = TPolyFillMode::pfEvenOdd,
                   TTransformation* Transformation = nullptr);

// ---- strokes ----
//
// The stroke outline (Pix32_VectorUtils_qn's BuildPolyPolyLine) filled
// non-zero, so self-overlapping strokes stay solid. The transformation maps
// the finished outline, so it scales the stroke width too. The fixed forms
// build the outline in 16.16 and render like the float forms.
void PolylineFS(TCustomBitmap32* Bitmap, const TArrayOfFloatPoint& Points, TColor32 Color, bool Closed = false,
                TFloat StrokeWidth = 1.0f, TJoinStyle JoinStyle = TJoinStyle::jsMiter,
                TEndStyle EndStyle = TEndStyle::esButt, TFloat MiterLimit = 4.0f,
                TTransformation* Transformation = nullptr);
void PolyPolylineFS(TCustomBitmap32* Bitmap, const TArrayOfArrayOfFloatPoint& Points, TColor32 Color,
                    bool Closed = false, TFloat StrokeWidth = 1.0f, TJoinStyle JoinStyle = TJoinStyle::jsMiter,
                    TEndStyle EndStyle = TEndStyle::esButt, TFloat MiterLimit = 4.0f,
                    TTransformation* Transformation = nullptr);
void PolylineFS(TCustomBitmap32* Bitmap, const TArrayOfFloatPoint& Points, TCustomPolygonFiller* Filler,
                bool Closed = false, TFloat StrokeWidth = 1.0f, TJoinStyle JoinStyle = TJoinStyle::jsMiter,
                TEndStyle EndStyle = TEndStyle::esButt, TFloat MiterLimit = 4.0f,
                TTransformation* Transformation = nullptr);
void PolyPolylineFS(TCustomBitmap32* Bitmap, const TArrayOfArrayOfFloatPoint& Points, TCustomPolygonFiller* Filler,
                    bool Closed = false, TFloat StrokeWidth = 1.0f, TJoinStyle JoinStyle = TJoinStyle::jsMiter,
                    TEndStyle EndStyle = TEndStyle::esButt, TFloat MiterLimit = 4.0f,
                    TTransformation* Transformation = nullptr);
// Clipped forms: only inside both ClipRect and the bitmap's clip rectangle.
void PolylineFS(TCustomBitmap32* Bitmap, const TArrayOfFloatPoint& Points, const TRect& ClipRect, TColor32 Color,
                bool Closed = false, TFloat StrokeWidth = 1.0f, TJoinStyle JoinStyle = TJoinStyle::jsMiter,
                TEndStyle EndStyle = TEndStyle::esButt, TFloat MiterLimit = 4.0f,
                TTransformation* Transformation = nullptr);
void PolyPolylineFS(TCustomBitmap32* Bitmap, const TArrayOfArrayOfFloatPoint& Points, const TRect& ClipRect,
                    TColor32 Color, bool Closed = false, TFloat StrokeWidth = 1.0f,
                    TJoinStyle JoinStyle = TJoinStyle::jsMiter, TEndStyle EndStyle = TEndStyle::esButt,
                    TFloat MiterLimit = 4.0f, TTransformation* Transformation = nullptr);
void PolylineFS(TCustomBitmap32* Bitmap, const TArrayOfFloatPoint& Points, const TRect& ClipRect,
                TCustomPolygonFiller* Filler, bool Closed = false, TFloat StrokeWidth = 1.0f,
                TJoinStyle JoinStyle = TJoinStyle::jsMiter, TEndStyle EndStyle = TEndStyle::esButt,
                TFloat MiterLimit = 4.0f, TTransformation* Transformation = nullptr);
void PolyPolylineFS(TCustomBitmap32* Bitmap, const TArrayOfArrayOfFloatPoint& Points, const TRect& ClipRect,
                    TCustomPolygonFiller* Filler, bool Closed = false, TFloat StrokeWidth = 1.0f,
                    TJoinStyle JoinStyle = TJoinStyle::jsMiter, TEndStyle EndStyle = TEndStyle::esButt,
                    TFloat MiterLimit = 4.0f, TTransformation* Transformation = nullptr);

// An anti-aliased fill in FillColor, then, when EdgeColor differs, the
// closed outline stroked 1 px wide in EdgeColor. Fewer than 3 points draw
// nothing.
void SimpleFill(TCustomBitmap32* Bitmap, const TArrayOfFloatPoint& Points, TColor32 EdgeColor, TColor32 FillColor,
                TPolyFillMode FillMode = TPolyFillMode::pfNonZero);
void SimpleFill(TCustomBitmap32* Bitmap, const TArrayOfFixedPoint& Points, TColor32 EdgeColor, TColor32 FillColor,
                TPolyFillMode FillMode = TPolyFillMode::pfNonZero);

// Widths and miter limits in 16.16 (4.0 is 0x40000).
void PolylineXS(TCustomBitmap32* Bitmap, const TArrayOfFixedPoint& Points, TColor32 Color, bool Closed = false,
                TFixed StrokeWidth = 0x10000, TJoinStyle JoinStyle = TJoinStyle::jsMiter,
                TEndStyle EndStyle = TEndStyle::esButt, TFixed MiterLimit = 0x40000,
                TTransformation* Transformation = nullptr);
void PolyPolylineXS(TCustomBitmap32* Bitmap, const TArrayOfArrayOfFixedPoint& Points, TColor32 Color,
                    bool Closed = false, TFixed StrokeWidth = 0x10000, TJoinStyle JoinStyle = TJoinStyle::jsMiter,
                    TEndStyle EndStyle = TEndStyle::esButt, TFixed MiterLimit = 0x40000,
                    TTransformation* Transformation = nullptr);
void PolylineXS(TCustomBitmap32* Bitmap, const TArrayOfFixedPoint& Points, TCustomPolygonFiller* Filler,
                bool Closed = false, TFixed StrokeWidth = 0x10000, TJoinStyle JoinStyle = TJoinStyle::jsMiter,
                TEndStyle EndStyle = TEndStyle::esButt, TFixed MiterLimit = 0x40000,
                TTransformation* Transformation = nullptr);
void PolyPolylineXS(TCustomBitmap32* Bitmap, const TArrayOfArrayOfFixedPoint& Points, TCustomPolygonFiller* Filler,
                    bool Closed = false, TFixed StrokeWidth = 0x10000, TJoinStyle JoinStyle = TJoinStyle::jsMiter,
                    TEndStyle EndStyle = TEndStyle::esButt, TFixed MiterLimit = 0x40000,
                    TTransformation* Transformation = nullptr);
void PolylineXS(TCustomBitmap32* Bitmap, const TArrayOfFixedPoint& Points, const TRect& ClipRect, TColor32 Color,
                bool Closed = false, TFixed StrokeWidth = 0x10000, TJoinStyle JoinStyle = TJoinStyle::jsMiter,
                TEndStyle EndStyle = TEndStyle::esButt, TFixed MiterLimit = 0x40000,
                TTransformation* Transformation = nullptr);
void PolyPolylineXS(TCustomBitmap32* Bitmap, const TArrayOfArrayOfFixedPoint& Points, const TRect& ClipRect,
                    TColor32 Color, bool Closed = false, TFixed StrokeWidth = 0x10000,
                    TJoinStyle JoinStyle = TJoinStyle::jsMiter, TEndStyle EndStyle = TEndStyle::esButt,
                    TFixed MiterLimit = 0x40000, TTransformation* Transformation = nullptr);
void PolylineXS(TCustomBitmap32* Bitmap, const TArrayOfFixedPoint& Points, const TRect& ClipRect,
                TCustomPolygonFiller* Filler, bool Closed = false, TFixed StrokeWidth = 0x10000,
                TJoinStyle JoinStyle = TJoinStyle::jsMiter, TEndStyle EndStyle = TEndStyle::esButt,
                TFixed MiterLimit = 0x40000, TTransformation* Transformation = nullptr);
void PolyPolylineXS(TCustomBitmap32* Bitmap, const TArrayOfArrayOfFixedPoint& Points, const TRect& ClipRect,
                    TCustomPolygonFiller* Filler, bool Closed = false, TFixed StrokeWidth = 0x10000,
                    TJoinStyle JoinStyle = TJoinStyle::jsMiter, TEndStyle EndStyle = TEndStyle::esButt,
                    TFixed MiterLimit = 0x40000, TTransformation* Transformation = nullptr);

// ---- dashes ----
//
// The line cut by Pattern (dash, gap, dash, ..., from the first point) and
// each dash stroked Width wide with mitred joins (limit 4) and butt ends.
void DashLineFS(TCustomBitmap32* Bitmap, const TArrayOfFloatPoint& Points, const TArrayOfFloat& Pattern,
                TColor32 Color, bool Closed = false, TFloat Width = 1.0f);
void DashLineFS(TCustomBitmap32* Bitmap, const TArrayOfFloatPoint& Points, const TArrayOfFloat& Pattern,
                TCustomPolygonFiller* Filler, bool Closed = false, TFloat Width = 1.0f);
// Two colours: the dash outlines filled, then their rings stroked
// StrokeWidth wide in StrokeColor. The float form fills even-odd, so where
// dashes overlap the fill has holes; the fixed form fills non-zero.
void DashLineFS(TCustomBitmap32* Bitmap, const TArrayOfFloatPoint& Points, const TArrayOfFloat& Pattern,
                TColor32 FillColor, TColor32 StrokeColor, bool Closed = false, TFloat Width = 1.0f,
                TFloat StrokeWidth = 1.0f);
void DashLineFS(TCustomBitmap32* Bitmap, const TArrayOfFloatPoint& Points, const TArrayOfFloat& Pattern,
                TCustomPolygonFiller* Filler, TColor32 StrokeColor, bool Closed = false, TFloat Width = 1.0f,
                TFloat StrokeWidth = 1.0f);
void DashLineFS(TCustomBitmap32* Bitmap, const TArrayOfFloatPoint& Points, const TRect& ClipRect,
                const TArrayOfFloat& Pattern, TColor32 Color, bool Closed = false, TFloat Width = 1.0f);
void DashLineFS(TCustomBitmap32* Bitmap, const TArrayOfFloatPoint& Points, const TRect& ClipRect,
                const TArrayOfFloat& Pattern, TCustomPolygonFiller* Filler, bool Closed = false,
                TFloat Width = 1.0f);
void DashLineFS(TCustomBitmap32* Bitmap, const TArrayOfFloatPoint& Points, const TRect& ClipRect,
                const TArrayOfFloat& Pattern, TColor32 FillColor, TColor32 StrokeColor, bool Closed = false,
                TFloat Width = 1.0f, TFloat StrokeWidth = 1.0f);
void DashLineFS(TCustomBitmap32* Bitmap, const TArrayOfFloatPoint& Points, const TRect& ClipRect,
                const TArrayOfFloat& Pattern, TCustomPolygonFiller* Filler, TColor32 StrokeColor,
                bool Closed = false, TFloat Width = 1.0f, TFloat StrokeWidth = 1.0f);

void DashLineXS(TCustomBitmap32* Bitmap, const TArrayOfFixedPoint& Points, const TArrayOfFixed& Pattern,
                TColor32 Color, bool Closed = false, TFixed Width = 0x10000);
void DashLineXS(TCustomBitmap32* Bitmap, const TArrayOfFixedPoint& Points, const TArrayOfFixed& Pattern,
                TCustomPolygonFiller* Filler, bool Closed = false, TFixed Width = 0x10000);
void DashLineXS(TCustomBitmap32* Bitmap, const TArrayOfFixedPoint& Points, const TArrayOfFixed& Pattern,
                TColor32 FillColor, TColor32 StrokeColor, bool Closed = false, TFixed Width = 0x10000,
                TFixed StrokeWidth = 0x10000);
void DashLineXS(TCustomBitmap32* Bitmap, const TArrayOfFixedPoint& Points, const TArrayOfFixed& Pattern,
                TCustomPolygonFiller* Filler, TColor32 StrokeColor, bool Closed = false, TFixed Width = 0x10000,
                TFixed StrokeWidth = 0x10000);
void DashLineXS(TCustomBitmap32* Bitmap, const TArrayOfFixedPoint& Points, const TRect& ClipRect,
                const TArrayOfFixed& Pattern, TColor32 Color, bool Closed = false, TFixed Width = 0x10000);
void DashLineXS(TCustomBitmap32* Bitmap, const TArrayOfFixedPoint& Points, const TRect& ClipRect,
                const TArrayOfFixed& Pattern, TCustomPolygonFiller* Filler, bool Closed = false,
                TFixed Width = 0x10000);
void DashLineXS(TCustomBitmap32* Bitmap, const TArrayOfFixedPoint& Points, const TRect& ClipRect,
                const TArrayOfFixed& Pattern, TColor32 FillColor, TColor32 StrokeColor, bool Closed = false,
                TFixed Width = 0x10000, TFixed StrokeWidth = 0x10000);
void DashLineXS(TCustomBitmap32* Bitmap, const TArrayOfFixedPoint& Points, const TRect& ClipRect,
                const TArrayOfFixed& Pattern, TCustomPolygonFiller* Filler, TColor32 StrokeColor,
                bool Closed = false, TFixed Width = 0x10000, TFixed StrokeWidth = 0x10000);

}  // namespace qn

#include "platform/rtl/MacroShieldEnd.h"
