// Pix32_qn, the bitmap core: samplers and resamplers (the currency of every
// pipeline that asks for colours at points), the backend that owns a
// bitmap's pixel memory, and TCustomBitmap32 with its drawing state and its
// change and area notification.
#pragma once
#include "platform/rtl/MacroShield.h"

#include <cmath>
#include <limits>

#include "graphics/raster/Pix32_LowLevel_qn.h"
#include "graphics/raster/Pix32_Math_qn.h"
#include "graphics/raster/Pix32_qn_Bases.h"
#include "graphics/raster/Pix32_qn_Routines.h"
#include "graphics/raster/Pix32_qn_Types.h"
#include "platform/classes/PropInfo.h"

namespace qn {

class TCustomBitmap32;
class TCustomBackend;
class TCustomResampler;

// The blend-into-memory routine type of the blend unit, repeated here so
// that this header does not depend on it.
using TBlendMem = void(TColor32 F, TColor32& B);

using TPixelCombineEvent = TEvent<void(TColor32 F, TColor32& B, TColor32 M)>;
using TAreaChangedEvent = TEvent<void(TObject* Sender, const TRect& Area, Cardinal Info)>;
using TCustomBackendClass = TClass;
using TCustomResamplerClass = TClass;

// Area kinds of OnAreaChanged: a rectangle (right and bottom exclusive), or
// the two end points of a line with its width in the low 24 bits.
constexpr Cardinal AREA_RECT_FLAG = 0x80000000u;
constexpr Cardinal AREA_LINE_FLAG = 0x40000000u;

// ---------------------------------------------------------------------------
// Samplers. Callers run PrepareSampling once, then any samples, then
// FinalizeSampling. A sampler overrides at least one of GetSampleFixed and
// GetSampleFloat: the defaults convert into each other.

using TGetSampleInt = TEvent<TColor32(Integer X, Integer Y)>;
using TGetSampleFixed = TEvent<TColor32(TFixed X, TFixed Y)>;
using TGetSampleFloat = TEvent<TColor32(Single X, Single Y)>;

class TCustomSampler : public TNotifiablePersistent {
  QN_CLASS(TCustomSampler, TNotifiablePersistent)
 public:
  TCustomSampler() = default;

  virtual TColor32 GetSampleInt(Integer X, Integer Y);
  virtual TColor32 GetSampleFixed(TFixed X, TFixed Y);
  virtual TColor32 GetSampleFloat(Single X, Single Y);
  // Count whole-pixel samples from (X, Y) rightwards into Dst, each equal to
  // GetSampleInt there. Samplers that can fetch a row at once override it;
  // one that overrides GetSampleInt must keep the two in step.
  virtual void GetSampleSpanInt(Integer X, Integer Y, Integer Count, PColor32 Dst);
  virtual void PrepareSampling() {}
  virtual void FinalizeSampling() {}
  virtual bool HasBounds() { return false; }
  virtual TFloatRect GetSampleBounds();
  // Whether every sample of the sampling under way is opaque, so a caller
  // may take the samples as they come instead of forcing their alpha; asked
  // after PrepareSampling. Only a sampler that knows its colours says so.
  virtual bool HasOpaqueSamples() { return false; }
  // Whether the samples of the sampling under way depend on X alone, every
  // row alike; asked after PrepareSampling, like the above.
  virtual bool HasRowsAlike() { return false; }
};

// A sampler bound to one bitmap that can also stretch a rectangle of it into
// another bitmap. The bitmap owns its resampler.
class TCustomResampler : public TCustomSampler {
  QN_CLASS(TCustomResampler, TCustomSampler)
 public:
  TCustomResampler() = default;
  // Installs itself as Bitmap's resampler when Bitmap is assigned.
  explicit TCustomResampler(TCustomBitmap32* Bitmap);

  void Changed() override;
  void PrepareSampling() override;
  bool HasBounds() override;
  TFloatRect GetSampleBounds() override;
  // The kernel's half-width; 0 here.
  virtual Single GetWidth() { return 0; }
  virtual void Resample(TCustomBitmap32* Dst, const TRect& DstRect, const TRect& DstClip, TCustomBitmap32* Src,
                        const TRect& SrcRect, TDrawMode CombineOp, const TPixelCombineEvent& CombineCallBack) = 0;

  TCustomBitmap32* Bitmap() const { return FBitmap; }
  const TRect& ClipRect() const { return FClipRect; }
  TPixelAccessMode PixelAccessMode() const { return FPixelAccessMode; }
  void SetPixelAccessMode(TPixelAccessMode Value);

  QN_PUBLISHED_DECL(TCustomResampler) {
    QN_PROP(PixelAccessMode).Default(TPixelAccessMode::pamSafe);
  }

 protected:
  void AssignTo(TPersistent* Dst) override;

  TCustomBitmap32* FBitmap = nullptr;
  TRect FClipRect;
  TPixelAccessMode FPixelAccessMode = TPixelAccessMode::pamSafe;
};

// ---------------------------------------------------------------------------
// Backends: the owner of a bitmap's pixel memory. Reference counted: the
// constructor takes the first reference, which the attached bitmap holds
// and gives back when it lets the backend go.

class TCustomBackend : public TThreadPersistent {
  QN_CLASS(TCustomBackend, TThreadPersistent)
 public:
  TCustomBackend();

  // Creates a backend of class B and hands it to Owner (when assigned). A
  // constructor cannot do the hand-over itself: the owner copies its pixels
  // through the new backend's virtual surface operations, which reach the
  // descendant only once it is fully built. When the hand-over fails the
  // new backend is released again and the owner keeps its old one.
  template <class B, class... A>
  static B* Create(TCustomBitmap32* Owner, A&&... Args);

  void Assign(TPersistent* Source) override;
  void BeforeDestruction() override;

  virtual void Changing();
  // Replaces the surface: Changing, FinalizeSurface, then a surface of the
  // new size (none when either side is 0), then Changed, which runs also
  // when allocation fails; the sizes then stay 0 x 0.
  virtual void ChangeSize(Integer& Width, Integer& Height, Integer NewWidth, Integer NewHeight, bool ClearBuffer);
  virtual void Clear();
  virtual bool Empty() const { return false; }

  PColor32Array Bits() const { return FBits; }
  TCustomBitmap32* Owner() const { return FOwner; }
  const TNotifyEvent& OnChanging() const { return FOnChanging; }
  void SetOnChanging(const TNotifyEvent& Value) { FOnChanging = Value; }

 protected:
  virtual void InitializeSurface(Integer NewWidth, Integer NewHeight, bool ClearBuffer) {}
  virtual void FinalizeSurface() {}

  PColor32Array FBits = nullptr;
  TCustomBitmap32* FOwner = nullptr;
  TNotifyEvent FOnChanging;

  friend class TCustomBitmap32;
};

// Declares a backend class whose class reference constructs it attached to
// the bitmap given as the argument: Cls::StaticClass()->Create(Bitmap).
#define QN_BACKEND_CLASS(Cls, Parent)                                                           \
 public:                                                                                        \
  using inherited = Parent;                                                                     \
  static ::vcl::TClass StaticClass() noexcept {                                                 \
    static const ::vcl::TMetaClass mc(u## #Cls, Parent::StaticClass(),                          \
                                      [](::vcl::TObject* a) -> ::vcl::TObject* {                \
                                        return ::qn::detail::CreateBackendFor<Cls>(a);          \
                                      });                                                       \
    return &mc;                                                                                 \
  }                                                                                             \
  ::vcl::TClass ClassType() const noexcept override { return StaticClass(); }                   \
                                                                                                \
 private:

// ---------------------------------------------------------------------------
// The bitmap.

class TCustomBitmap32 : public TCustomMap {
  QN_CLASS(TCustomBitmap32, TCustomMap)
 public:
  // A bitmap over the memory backend; descendants pass their own class.
  TCustomBitmap32();
  explicit TCustomBitmap32(TCustomBackendClass Backend);
  ~TCustomBitmap32() override;
  void BeforeDestruction() override;

  // Interface queries reach the backend's capabilities first.
  bool GetInterface(const TGUID& IID, void** Obj) override;

  void Assign(TPersistent* Source) override;
  void Changed() override;
  virtual void Changed(const TRect& Area, Cardinal Info = AREA_RECT_FLAG);
  bool Empty() const override;
  void Delete() override;

  // Backend protocol.
  TCustomBackend* Backend() const { return FBackend; }
  virtual void SetBackend(TCustomBackend* Backend);
  // An extra reference for a caller that keeps the backend alive after the
  // bitmap switches to another.
  TCustomBackend* ReleaseBackend();
  virtual TCustomBackendClass GetPlatformBackendClass() const;

  virtual void CopyMapTo(TCustomBitmap32* Dst);
  virtual void CopyPropertiesTo(TCustomBitmap32* Dst);
  void Clear();
  void Clear(TColor32 FillColor);
  // Same class and same pixels; two empty bitmaps are equal whatever their class.
  bool Equal(TCustomBitmap32* B);

  void BeginMeasuring(const TAreaChangedEvent& Callback);
  void EndMeasuring();
  bool MeasuringMode() const { return FMeasuringMode; }

  // State.
  PColor32Array Bits() const { return FBits; }
  TRect BoundsRect() const { return TRect(0, 0, FWidth, FHeight); }
  const TRect& ClipRect() const { return FClipRect; }
  void SetClipRect(const TRect& Value);
  void ResetClipRect() { SetClipRect(BoundsRect()); }
  const TFixedRect& FixedClipRect() const { return FFixedClipRect; }
  const TRect& ClipRect256() const { return F256ClipRect; }
  bool Clipping() const { return FClipping; }

  TDrawMode DrawMode() const { return FDrawMode; }
  void SetDrawMode(TDrawMode Value);
  TCombineMode CombineMode() const { return FCombineMode; }
  void SetCombineMode(TCombineMode Value);
  TWrapMode WrapMode() const { return FWrapMode; }
  void SetWrapMode(TWrapMode Value);
  Cardinal MasterAlpha() const { return FMasterAlpha; }
  void SetMasterAlpha(Cardinal Value);
  TColor32 OuterColor() const { return FOuterColor; }
  void SetOuterColor(TColor32 Value) { FOuterColor = Value; }
  TColor32 PenColor() const { return FPenColor; }
  void SetPenColor(TColor32 Value) { FPenColor = Value; }
  Single StippleStep() const { return FStippleStep; }
  void SetStippleStep(Single Value) { FStippleStep = Value; }
  Single StippleCounter() const { return FStippleCounter; }
  void SetStippleCounter(Single Value) { FStippleCounter = Value; }
  const TArrayOfColor32& StipplePattern() const { return FStipplePattern; }
  void SetStipplePattern(const TArrayOfColor32& Value) { FStipplePattern = Value; }
  TCustomResampler* Resampler() const { return FResampler; }
  void SetResampler(TCustomResampler* Resampler);
  String GetResamplerClassName() const;
  String ResamplerClassName() const { return GetResamplerClassName(); }
  void SetResamplerClassName(const String& Value);

  const TPixelCombineEvent& OnPixelCombine() const { return FOnPixelCombine; }
  void SetOnPixelCombine(const TPixelCombineEvent& Value) { FOnPixelCombine = Value; }
  const TAreaChangedEvent& OnAreaChanged() const { return FOnAreaChanged; }
  void SetOnAreaChanged(const TAreaChangedEvent& Value) { FOnAreaChanged = Value; }

  QN_PUBLISHED_DECL(TCustomBitmap32) {
    QN_PROP(DrawMode).Default(TDrawMode::dmOpaque);
    QN_PROP(CombineMode).Default(TCombineMode::cmBlend);
    QN_PROP(WrapMode).Default(TWrapMode::wmClamp);
    QN_PROP(MasterAlpha).Default(255);
    QN_PROP(OuterColor).Default(0);
    QN_PROP(ResamplerClassName);
    QN_PROP(Resampler);
    QN_PROP(OnChange);
    QN_PROP(OnPixelCombine);
    QN_PROP(OnAreaChanged);
    QN_PROP(OnResize);
  }

  // ---- Pixel access. No notification; only the S, B and W forms check.
  TColor32 GetPixel(Integer X, Integer Y) const { return FBits[X + Y * FWidth]; }
  void SetPixel(Integer X, Integer Y, TColor32 Value) { FBits[X + Y * FWidth] = Value; }
  PColor32 GetPixelPtr(Integer X, Integer Y) const { return FBits + X + Y * FWidth; }
  PColor32Array GetScanLine(Integer Y) const { return FBits + Y * FWidth; }
  PColor32Array ScanLine(Integer Y) const { return GetScanLine(Y); }
  TColor32 GetPixelS(Integer X, Integer Y) const {
    return X >= FClipRect.Left && X < FClipRect.Right && Y >= FClipRect.Top && Y < FClipRect.Bottom
               ? FBits[X + Y * FWidth]
               : FOuterColor;
  }
  void SetPixelS(Integer X, Integer Y, TColor32 Value) {
    if (X >= FClipRect.Left && X < FClipRect.Right && Y >= FClipRect.Top && Y < FClipRect.Bottom)
      FBits[X + Y * FWidth] = Value;
  }
  TColor32 GetPixelB(Integer X, Integer Y) const;
  TColor32 GetPixelW(Integer X, Integer Y) const;
  void SetPixelW(Integer X, Integer Y, TColor32 Value);
  void SetPixelT(Integer X, Integer Y, TColor32 Value);
  void SetPixelT(PColor32& Ptr, TColor32 Value);
  void SetPixelTS(Integer X, Integer Y, TColor32 Value);
  TColor32 GET_T256(Integer X, Integer Y) const;
  TColor32 GET_TS256(Integer X, Integer Y) const;
  void SET_T256(Integer X, Integer Y, TColor32 C);
  void SET_TS256(Integer X, Integer Y, TColor32 C);
  TColor32 GetPixelX(TFixed X, TFixed Y) const;
  void SetPixelX(TFixed X, TFixed Y, TColor32 Value);
  TColor32 GetPixelXS(TFixed X, TFixed Y) const;
  void SetPixelXS(TFixed X, TFixed Y, TColor32 Value);
  TColor32 GetPixelF(Single X, Single Y) const;
  void SetPixelF(Single X, Single Y, TColor32 Value);
  TColor32 GetPixelFS(Single X, Single Y) const;
  void SetPixelFS(Single X, Single Y, TColor32 Value);
  TColor32 GetPixelFW(Single X, Single Y) const;
  void SetPixelFW(Single X, Single Y, TColor32 Value);
  TColor32 GetPixelXW(TFixed X, TFixed Y) const;
  void SetPixelXW(TFixed X, TFixed Y, TColor32 Value);
  TColor32 GetPixelFR(Single X, Single Y) const;
  TColor32 GetPixelXR(TFixed X, TFixed Y) const;

  // ---- Lines. X2 and Y2 of the runs are inclusive; the general lines
  // leave the end point out unless L is set, so polylines draw each joint
  // once. S forms clip and honour measuring mode, T forms blend through
  // BlendProc, A forms are anti-aliased, X/F take 16.16/single coordinates,
  // P forms take their colours from the stipple pattern.
  void HorzLine(Integer X1, Integer Y, Integer X2, TColor32 Value);
  void HorzLineS(Integer X1, Integer Y, Integer X2, TColor32 Value);
  void HorzLineT(Integer X1, Integer Y, Integer X2, TColor32 Value);
  void HorzLineTS(Integer X1, Integer Y, Integer X2, TColor32 Value);
  void HorzLineTSP(Integer X1, Integer Y, Integer X2);
  void HorzLineX(TFixed X1, TFixed Y, TFixed X2, TColor32 Value);
  void HorzLineXS(TFixed X1, TFixed Y, TFixed X2, TColor32 Value);
  void VertLine(Integer X, Integer Y1, Integer Y2, TColor32 Value);
  void VertLineS(Integer X, Integer Y1, Integer Y2, TColor32 Value);
  void VertLineT(Integer X, Integer Y1, Integer Y2, TColor32 Value);
  void VertLineTS(Integer X, Integer Y1, Integer Y2, TColor32 Value);
  void VertLineTSP(Integer X, Integer Y1, Integer Y2);
  void VertLineX(TFixed X, TFixed Y1, TFixed Y2, TColor32 Value);
  void VertLineXS(TFixed X, TFixed Y1, TFixed Y2, TColor32 Value);
  void Line(Integer X1, Integer Y1, Integer X2, Integer Y2, TColor32 Value, bool L = false);
  void LineS(Integer X1, Integer Y1, Integer X2, Integer Y2, TColor32 Value, bool L = false);
  void LineT(Integer X1, Integer Y1, Integer X2, Integer Y2, TColor32 Value, bool L = false);
  void LineTS(Integer X1, Integer Y1, Integer X2, Integer Y2, TColor32 Value, bool L = false);
  void LineA(Integer X1, Integer Y1, Integer X2, Integer Y2, TColor32 Value, bool L = false);
  void LineAS(Integer X1, Integer Y1, Integer X2, Integer Y2, TColor32 Value, bool L = false);
  void LineX(TFixed X1, TFixed Y1, TFixed X2, TFixed Y2, TColor32 Value, bool L = false);
  void LineF(Single X1, Single Y1, Single X2, Single Y2, TColor32 Value, bool L = false);
  void LineXS(TFixed X1, TFixed Y1, TFixed X2, TFixed Y2, TColor32 Value, bool L = false);
  void LineFS(Single X1, Single Y1, Single X2, Single Y2, TColor32 Value, bool L = false);
  void LineXP(TFixed X1, TFixed Y1, TFixed X2, TFixed Y2, bool L = false);
  void LineFP(Single X1, Single Y1, Single X2, Single Y2, bool L = false);
  void LineXSP(TFixed X1, TFixed Y1, TFixed X2, TFixed Y2, bool L = false);
  void LineFSP(Single X1, Single Y1, Single X2, Single Y2, bool L = false);

  void MoveTo(Integer X, Integer Y) { RasterX = X; RasterY = Y; }
  void MoveTo(const TPoint& P) { MoveTo(P.X, P.Y); }
  void LineToS(Integer X, Integer Y);
  void LineToS(const TPoint& P) { LineToS(P.X, P.Y); }
  void LineToTS(Integer X, Integer Y);
  void LineToTS(const TPoint& P) { LineToTS(P.X, P.Y); }
  void LineToAS(Integer X, Integer Y);
  void LineToAS(const TPoint& P) { LineToAS(P.X, P.Y); }
  void MoveToX(TFixed X, TFixed Y) { RasterXF = X; RasterYF = Y; }
  void MoveToX(const TFixedPoint& P) { MoveToX(P.X, P.Y); }
  void MoveToF(Single X, Single Y);
  void MoveToF(const TFloatPoint& P) { MoveToF(P.X, P.Y); }
  void LineToXS(TFixed X, TFixed Y);
  void LineToXS(const TFixedPoint& P) { LineToXS(P.X, P.Y); }
  void LineToFS(Single X, Single Y);
  void LineToFS(const TFloatPoint& P) { LineToFS(P.X, P.Y); }
  void LineToXSP(TFixed X, TFixed Y);
  void LineToXSP(const TFixedPoint& P) { LineToXSP(P.X, P.Y); }
  void LineToFSP(Single X, Single Y);
  void LineToFSP(const TFloatPoint& P) { LineToFSP(P.X, P.Y); }

  // ---- Stipple: a repeating colour pattern sampled with linear
  // interpolation, FStippleStep entries per pixel.
  void SetStipple(const TArrayOfColor32& NewStipple);
  void SetStipple(std::initializer_list<TColor32> NewStipple) { SetStipple(TArrayOfColor32(NewStipple)); }
  void AdvanceStippleCounter(Single LengthPixels);
  TColor32 GetStippleColor();

  // ---- Rectangles, X2 and Y2 exclusive. FillRect checks nothing; the S
  // forms clip and honour measuring mode; T forms blend by CombineMode.
  void FillRect(Integer X1, Integer Y1, Integer X2, Integer Y2, TColor32 Value);
  void FillRectS(Integer X1, Integer Y1, Integer X2, Integer Y2, TColor32 Value);
  void FillRectS(const TRect& ARect, TColor32 Value);
  void FillRectT(Integer X1, Integer Y1, Integer X2, Integer Y2, TColor32 Value);
  void FillRectTS(Integer X1, Integer Y1, Integer X2, Integer Y2, TColor32 Value);
  void FillRectTS(const TRect& ARect, TColor32 Value);
  void FrameRectS(Integer X1, Integer Y1, Integer X2, Integer Y2, TColor32 Value);
  void FrameRectS(const TRect& ARect, TColor32 Value);
  void FrameRectTS(Integer X1, Integer Y1, Integer X2, Integer Y2, TColor32 Value);
  void FrameRectTS(const TRect& ARect, TColor32 Value);
  // Stippled, clockwise from the top-left corner with the pattern running on.
  void FrameRectTSP(Integer X1, Integer Y1, Integer X2, Integer Y2);
  // A bevel: light top and left edges, dark bottom and right ones (swapped
  // for a negative Contrast, in percent).
  void RaiseRectTS(Integer X1, Integer Y1, Integer X2, Integer Y2, Integer Contrast);
  void RaiseRectTS(const TRect& ARect, Integer Contrast);

  // ---- Drawing onto another bitmap through the transfer routines, with
  // this bitmap's draw mode, pixel-combine event and (stretching) resampler.
  void DrawTo(TCustomBitmap32* Dst);
  void DrawTo(TCustomBitmap32* Dst, Integer DstX, Integer DstY);
  void DrawTo(TCustomBitmap32* Dst, Integer DstX, Integer DstY, const TRect& SrcRect);
  void DrawTo(TCustomBitmap32* Dst, const TRect& DstRect);
  void DrawTo(TCustomBitmap32* Dst, const TRect& DstRect, const TRect& SrcRect);
  void Draw(Integer DstX, Integer DstY, TCustomBitmap32* Src);
  void Draw(Integer DstX, Integer DstY, const TRect& SrcRect, TCustomBitmap32* Src);
  void Draw(const TRect& DstRect, const TRect& SrcRect, TCustomBitmap32* Src);

  // ---- Whole-bitmap operations. The flips and turns work in place with
  // Dst nil (or this bitmap); otherwise Dst is resized and takes the result.
  void ResetAlpha() { ResetAlpha(255); }
  void ResetAlpha(Byte AlphaValue);
  // Moves the pixel array as one block by Dy rows and Dx pixels (pixels
  // leaving a row's edge enter the neighbouring row); FillBack paints what
  // was uncovered.
  void Roll(Integer Dx, Integer Dy, bool FillBack, TColor32 FillColor);
  void FlipHorz(TCustomBitmap32* Dst = nullptr);
  void FlipVert(TCustomBitmap32* Dst = nullptr);
  void Rotate90(TCustomBitmap32* Dst = nullptr);
  void Rotate180(TCustomBitmap32* Dst = nullptr);
  void Rotate270(TCustomBitmap32* Dst = nullptr);

 private:
  void TurnQuarter(TCustomBitmap32* Dst, bool Clockwise);

 public:

  // ---- Files and streams: 32-bit BMP read and written here, anything else
  // through the platform's graphic classes. A failed load raises and leaves
  // the bitmap as it was.
  virtual void LoadFromStream(TStream* Stream);
  virtual void SaveToStream(TStream* Stream, bool BottomUp = false);
  virtual void LoadFromFile(const String& FileName);
  virtual void SaveToFile(const String& FileName, bool BottomUp = false);
  void LoadFromResourceID(NativeUInt Instance, Integer ResID);
  void LoadFromResourceName(NativeUInt Instance, const String& ResName);

  // The pen position of the line routines.
  Integer RasterX = 0, RasterY = 0;
  TFixed RasterXF = 0, RasterYF = 0;

 protected:
  void ChangeSize(Integer& Width, Integer& Height, Integer NewWidth, Integer NewHeight) override;
  virtual void InitializeBackend(TCustomBackendClass Backend);
  virtual void FinalizeBackend();
  virtual void BackendChangingHandler(TObject* Sender);
  virtual void BackendChangedHandler(TObject* Sender);
  // The plain OnChange notification, without an area.
  virtual void PropertyChanged();
  void AssignTo(TPersistent* Dst) override;
  // The binary "Data" property of form files: width, height, pixels.
  void DefineProperties(TFiler* Filer) override;
  virtual void ReadData(TStream* Stream);
  virtual void WriteData(TStream* Stream);

  TCustomBackend* FBackend = nullptr;
  PColor32Array FBits = nullptr;
  TRect FClipRect;
  TFixedRect FFixedClipRect;
  TRect F256ClipRect;
  bool FClipping = false;
  TDrawMode FDrawMode = TDrawMode::dmOpaque;
  TCombineMode FCombineMode = TCombineMode::cmBlend;
  TWrapMode FWrapMode = TWrapMode::wmClamp;
  Cardinal FMasterAlpha = 255;
  TColor32 FOuterColor = 0;
  TColor32 FPenColor = 0xFFFFFFFFu;
  Single FStippleCounter = 0;
  TArrayOfColor32 FStipplePattern;
  Single FStippleStep = 1.0f;
  TPixelCombineEvent FOnPixelCombine;
  TAreaChangedEvent FOnAreaChanged;
  TAreaChangedEvent FOldOnAreaChanged;
  bool FMeasuringMode = false;
  TCustomResampler* FResampler = nullptr;

 private:
  // The destruction steps; run by BeforeDestruction while the object is
  // whole, or by the destructor for a bitmap that was not on the heap.
  void DestroyContents(bool Notify);
  // The 2 x 2 sub-pixel write, leaving out the pixels outside R.
  void SetBlockInside(Integer X, Integer Y, TColor32 C, const TRect& R);
  // Reads Width x Height pixels (rows in stream order) after checking that
  // the stream holds them; raises before the bitmap is touched.
  void LoadPixels(TStream* Stream, Integer W, Integer H, bool BottomUp);
  // Draws G into the bitmap over the fill colour F (the imports of Assign).
  void AssignFromGraphic(TGraphic* G);
  void ImportGraphic(TGraphic* G, TColor32 F, bool ResetAlphaAfter);
  void ImportGraphicMasked(TGraphic* G);
  void ExportToBitmap(TBitmap* B);

 public:
  TWrapProcEx WrapProcHorz = nullptr;
  TWrapProcEx WrapProcVert = nullptr;
  TBlendMem* BlendProc = nullptr;

 private:
  friend class TCustomBackend;
};

namespace detail {
template <class B>
TObject* CreateBackendFor(TObject* Owner) {
  return TCustomBackend::Create<B>(dynamic_cast<TCustomBitmap32*>(Owner));
}
}  // namespace detail

template <class B, class... A>
B* TCustomBackend::Create(TCustomBitmap32* Owner, A&&... Args) {
  B* b = new B(std::forward<A>(Args)...);
  if (Owner) {
    try {
      Owner->SetBackend(b);
    } catch (...) {
      if (Owner->Backend() != b) b->_Release();
      throw;
    }
  }
  return b;
}

}  // namespace qn

#include "platform/rtl/MacroShieldEnd.h"
