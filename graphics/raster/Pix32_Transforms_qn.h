// Transformations: 3x3 matrix arithmetic, the abstract transformation with
// lazy preparation and integer, 16.16 and float entry points, the matrix
// transformation and the affine one built from rotations, scalings, skews
// and translations.
#pragma once
#include "platform/rtl/MacroShield.h"

#include <array>
#include <vector>

#include "graphics/raster/Pix32_qn.h"

namespace qn {

// M[c][r]: c the input component (x, y, the constant 1), r the output one.
// A point maps as x' = M[0][0]x + M[1][0]y + M[2][0], y' = M[0][1]x +
// M[1][1]y + M[2][1]; the third output row only takes part in the vector
// and determinant arithmetic.
using TFloatMatrix = std::array<std::array<TFloat, 3>, 3>;
using TFixedMatrix = std::array<std::array<TFixed, 3>, 3>;
using TVector3f = std::array<Single, 3>;
using TVector3i = std::array<Integer, 3>;

inline constexpr TFloatMatrix IdentityMatrix = {{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}};

void Adjoint(TFloatMatrix& M);
Single Determinant(const TFloatMatrix& M);
void Scale(TFloatMatrix& M, Single Factor);
// A matrix with |det| < 1e-5 becomes the identity: a degenerate mapping
// reverses to "no change" rather than failing.
void Invert(TFloatMatrix& M);
// Applied to a point, the result maps as M2 first and M1 after it.
TFloatMatrix Mult(const TFloatMatrix& M1, const TFloatMatrix& M2);
TVector3f VectorTransform(const TFloatMatrix& M, const TVector3f& V);
TFixedMatrix FixedMatrix(const TFloatMatrix& FM);
TFloatMatrix FloatMatrix(const TFixedMatrix& FM);

QN_EXCEPTION(ETransformError, Exception)
QN_EXCEPTION(ETransformNotImplemented, Exception)

class TTransformation : public TNotifiablePersistent {
  QN_CLASS_CREATE(TTransformation, TNotifiablePersistent, TObject)
 public:
  TTransformation() = default;
  explicit TTransformation(TObject*) {}

  void Changed() override;
  const TFloatRect& SrcRect() const { return FSrcRect; }
  void SetSrcRect(const TFloatRect& Value);

  // Builds the cached state; the base has none and stays unprepared.
  virtual void PrepareTransform() {}
  // The entry points do not prepare by themselves; the point forms below do.
  virtual void ReverseTransformInt(Integer DstX, Integer DstY, Integer& SrcX, Integer& SrcY);
  virtual void ReverseTransformFixed(TFixed DstX, TFixed DstY, TFixed& SrcX, TFixed& SrcY);
  virtual void ReverseTransformFloat(Single DstX, Single DstY, Single& SrcX, Single& SrcY);
  virtual void TransformInt(Integer SrcX, Integer SrcY, Integer& DstX, Integer& DstY);
  virtual void TransformFixed(TFixed SrcX, TFixed SrcY, TFixed& DstX, TFixed& DstY);
  virtual void TransformFloat(Single SrcX, Single SrcY, Single& DstX, Single& DstY);
  virtual bool HasTransformedBounds() { return true; }
  TFloatRect GetTransformedBounds() { return GetTransformedBounds(FSrcRect); }
  virtual TFloatRect GetTransformedBounds(const TFloatRect& ASrcRect) { return ASrcRect; }
  virtual TPoint ReverseTransform(const TPoint& P);
  virtual TFixedPoint ReverseTransform(const TFixedPoint& P);
  virtual TFloatPoint ReverseTransform(const TFloatPoint& P);
  virtual TPoint Transform(const TPoint& P);
  virtual TFixedPoint Transform(const TFixedPoint& P);
  virtual TFloatPoint Transform(const TFloatPoint& P);

  bool TransformValid = false;

 protected:
  TFloatRect FSrcRect;
};
using TTransformationClass = TClass;

class T3x3Transformation : public TTransformation {
  QN_CLASS_CREATE(T3x3Transformation, TTransformation, TObject)
 public:
  T3x3Transformation() = default;
  explicit T3x3Transformation(TObject*) {}

  void PrepareTransform() override;
  void ReverseTransformFixed(TFixed DstX, TFixed DstY, TFixed& SrcX, TFixed& SrcY) override;
  void ReverseTransformFloat(Single DstX, Single DstY, Single& SrcX, Single& SrcY) override;
  void TransformFixed(TFixed SrcX, TFixed SrcY, TFixed& DstX, TFixed& DstY) override;
  void TransformFloat(Single SrcX, Single SrcY, Single& DstX, Single& DstY) override;
  using TTransformation::ReverseTransform;
  using TTransformation::Transform;

  const TFloatMatrix& Matrix() const { return FMatrix; }
  // The prepared reverse mapping in 16.16 (valid after PrepareTransform).
  const TFixedMatrix& InverseFixedMatrix() const { return FInverseFixedMatrix; }

 protected:
  TFloatMatrix FMatrix = IdentityMatrix;
  TFloatMatrix FInverseMatrix = IdentityMatrix;
  TFixedMatrix FFixedMatrix{};
  TFixedMatrix FInverseFixedMatrix{};
};

// Each modifier applies after the earlier ones (it left-multiplies).
class TAffineTransformation : public T3x3Transformation {
  QN_CLASS_CREATE(TAffineTransformation, T3x3Transformation, TObject)
 public:
  TAffineTransformation() { Clear(); }
  explicit TAffineTransformation(TObject*) { Clear(); }

  TFloatRect GetTransformedBounds(const TFloatRect& ASrcRect) override;
  using TTransformation::GetTransformedBounds;
  void Clear();
  void Rotate(Single Alpha);  // degrees, counter-clockwise on screen
  void Rotate(Single Cx, Single Cy, Single Alpha);
  void Skew(Single Fx, Single Fy);
  void Scale(Single Sx, Single Sy);
  void Scale(Single Value);
  void Translate(Single Dx, Single Dy);

 private:
  void Apply(const TFloatMatrix& T);
};

// Maps every point by TransformFixed after one PrepareTransform.
TArrayOfArrayOfFixedPoint TransformPoints(const TArrayOfArrayOfFixedPoint& Points, TTransformation* Transformation);

// Whether stretches map the outer edges of source and destination onto each
// other (true) or the centres of the edge pixels.
extern bool FullEdge;

using TDet2x2Single = Single(Single a1, Single a2, Single b1, Single b2);
using TDet2x2Double = Double(Double a1, Double a2, Double b1, Double b2);
extern TDet2x2Single* Det2x2Single;
extern TDet2x2Double* Det2x2Double;

// ---------------------------------------------------------------------------
// Rendering through a transformation

class TCustomBitmap32;
class TRasterizer;
class TVectorMap;
enum class TVectorCombineMode;

// Draws Src into Dst through the reverse mapping of Transformation, with
// Src's resampler and combine settings, clipped to DstClip and Dst's clip
// rectangle; reports the clip as changed (also in measuring mode, where
// nothing is drawn). Without a rasterizer the default class is used.
void Transform(TCustomBitmap32* Dst, TCustomBitmap32* Src, TTransformation* Transformation);
void Transform(TCustomBitmap32* Dst, TCustomBitmap32* Src, TTransformation* Transformation, const TRect& DstClip);
void Transform(TCustomBitmap32* Dst, TCustomBitmap32* Src, TTransformation* Transformation, TRasterizer* Rasterizer);
void Transform(TCustomBitmap32* Dst, TCustomBitmap32* Src, TTransformation* Transformation, TRasterizer* Rasterizer,
               TRect DstClip);
// Clears the alpha of the pixels on the outline of ARect.
void SetBorderTransparent(TCustomBitmap32* ABitmap, const TRect& ARect);

using TVectorCombineEventRef = const TEvent<void(const TFixedPoint& F, const TFixedPoint& P, TFixedPoint& B)>&;
// Stores the displacement of the reverse mapping at every cell of DstRect.
void RasterizeTransformation(TVectorMap* Vectormap, TTransformation* Transformation, TRect DstRect,
                             TVectorCombineMode CombineMode, TVectorCombineEventRef CombineCallback);

// The row loops of the affine fast path of Transform, bound per processor:
// Count bilinear samples of Src (its clip and outer colour as GetPixelXS
// reads them) at (U, V), (U + DU, V + DV), ... in 16.16, into Out.
using TLinearRowProc = void(const TCustomBitmap32* Src, TFixed U, TFixed V, TFixed DU, TFixed DV, Integer Count,
                            TColor32* Out);
extern TLinearRowProc* LinearTransformRow;
void LinearTransformRow_Pas(const TCustomBitmap32* Src, TFixed U, TFixed V, TFixed DU, TFixed DV, Integer Count,
                            TColor32* Out);
void LinearTransformRow_SSE2(const TCustomBitmap32* Src, TFixed U, TFixed V, TFixed DU, TFixed DV, Integer Count,
                             TColor32* Out);
// Whether Transform may take its per-row affine path (tests switch it off
// to compare against the general pipeline).
extern bool TransformFastPath;

// ---------------------------------------------------------------------------
// More transformations

// A chain: forward runs the items first to last, reverse last to first.
class TNestedTransformation : public TTransformation {
  QN_CLASS_CREATE(TNestedTransformation, TTransformation, TObject)
 public:
  TNestedTransformation() = default;
  explicit TNestedTransformation(TObject*) {}
  ~TNestedTransformation() override;

  // Items are built through their class's constructor, so they start in
  // their class's default state.
  TTransformation* Add(TTransformationClass ItemClass);
  TTransformation* Insert(Integer Index, TTransformationClass ItemClass);
  void Delete(Integer Index);
  void Clear();
  TTransformation* Items(Integer Index) const { return FItems.at(static_cast<size_t>(Index)); }
  void SetItems(Integer Index, TTransformation* Value);
  Integer Count() const { return static_cast<Integer>(FItems.size()); }
  TPersistent* Owner() const { return FOwner; }

  // The bounds through every item in turn; unbounded when an item is.
  bool HasTransformedBounds() override;
  TFloatRect GetTransformedBounds(const TFloatRect& ASrcRect) override;
  using TTransformation::GetTransformedBounds;
  void PrepareTransform() override;
  void ReverseTransformFixed(TFixed DstX, TFixed DstY, TFixed& SrcX, TFixed& SrcY) override;
  void ReverseTransformFloat(Single DstX, Single DstY, Single& SrcX, Single& SrcY) override;
  void TransformFixed(TFixed SrcX, TFixed SrcY, TFixed& DstX, TFixed& DstY) override;
  void TransformFloat(Single SrcX, Single SrcY, Single& DstX, Single& DstY) override;
  using TTransformation::ReverseTransform;
  using TTransformation::Transform;

 private:
  std::vector<TTransformation*> FItems;
  TPersistent* FOwner = nullptr;
};

// Maps the source rectangle onto the quadrilateral (X0, Y0) .. (X3, Y3):
// top-left, top-right, bottom-right, bottom-left.
class TProjectiveTransformation : public T3x3Transformation {
  QN_CLASS_CREATE(TProjectiveTransformation, T3x3Transformation, TObject)
 public:
  TProjectiveTransformation() = default;
  explicit TProjectiveTransformation(TObject*) {}

  TFloatRect GetTransformedBounds(const TFloatRect& ASrcRect) override;
  using TTransformation::GetTransformedBounds;
  void PrepareTransform() override;
  // A point on the horizon (Z = 0) maps to (-32768, -32768), far outside
  // any source.
  void ReverseTransformFixed(TFixed DstX, TFixed DstY, TFixed& SrcX, TFixed& SrcY) override;
  void ReverseTransformFloat(Single DstX, Single DstY, Single& SrcX, Single& SrcY) override;
  void TransformFixed(TFixed SrcX, TFixed SrcY, TFixed& DstX, TFixed& DstY) override;
  void TransformFloat(Single SrcX, Single SrcY, Single& DstX, Single& DstY) override;
  using TTransformation::ReverseTransform;
  using TTransformation::Transform;

#define QN_QUAD_PROP(N, A, I)                       \
  Single N() const { return A[I]; }                 \
  void Set##N(Single Value) {                       \
    A[I] = Value;                                   \
    Changed();                                      \
  }
  QN_QUAD_PROP(X0, FQuadX, 0)
  QN_QUAD_PROP(X1, FQuadX, 1)
  QN_QUAD_PROP(X2, FQuadX, 2)
  QN_QUAD_PROP(X3, FQuadX, 3)
  QN_QUAD_PROP(Y0, FQuadY, 0)
  QN_QUAD_PROP(Y1, FQuadY, 1)
  QN_QUAD_PROP(Y2, FQuadY, 2)
  QN_QUAD_PROP(Y3, FQuadY, 3)
#undef QN_QUAD_PROP

  QN_PUBLISHED_DECL(TProjectiveTransformation) {
    QN_PROP(X0);
    QN_PROP(X1);
    QN_PROP(X2);
    QN_PROP(X3);
    QN_PROP(Y0);
    QN_PROP(Y1);
    QN_PROP(Y2);
    QN_PROP(Y3);
  }

 private:
  Single FQuadX[4] = {};
  Single FQuadY[4] = {};
};

class TTwirlTransformation : public TTransformation {
  QN_CLASS_CREATE(TTwirlTransformation, TTransformation, TObject)
 public:
  TTwirlTransformation() = default;
  explicit TTwirlTransformation(TObject*) {}

  TFloatRect GetTransformedBounds(const TFloatRect& ASrcRect) override;
  using TTransformation::GetTransformedBounds;
  void PrepareTransform() override;
  void ReverseTransformFloat(Single DstX, Single DstY, Single& SrcX, Single& SrcY) override;
  Single Twirl() const { return FTwirl; }
  void SetTwirl(Single Value) {
    FTwirl = Value;
    Changed();
  }

  QN_PUBLISHED_DECL(TTwirlTransformation) { QN_PROP(Twirl); }

 private:
  Single Frx = 0, Fry = 0;
  Single FTwirl = 0.03f;
};

class TBloatTransformation : public TTransformation {
  QN_CLASS_CREATE(TBloatTransformation, TTransformation, TObject)
 public:
  TBloatTransformation() = default;
  explicit TBloatTransformation(TObject*) {}

  void PrepareTransform() override;
  void ReverseTransformFloat(Single DstX, Single DstY, Single& SrcX, Single& SrcY) override;
  void TransformFloat(Single SrcX, Single SrcY, Single& DstX, Single& DstY) override;
  Single BloatPower() const { return FBloatPower; }
  void SetBloatPower(Single Value) {
    FBloatPower = Value;
    Changed();
  }

  QN_PUBLISHED_DECL(TBloatTransformation) { QN_PROP(BloatPower); }

 private:
  Single FBloatPower = 0.3f;
  Single FBP = 0, FPiW = 0, FPiH = 0;
};

// Each reverse mapping moves the point by a fresh random offset of up to
// Disturbance / 2 in each direction.
class TDisturbanceTransformation : public TTransformation {
  QN_CLASS_CREATE(TDisturbanceTransformation, TTransformation, TObject)
 public:
  TDisturbanceTransformation() = default;
  explicit TDisturbanceTransformation(TObject*) {}

  TFloatRect GetTransformedBounds(const TFloatRect& ASrcRect) override;
  using TTransformation::GetTransformedBounds;
  void ReverseTransformFloat(Single DstX, Single DstY, Single& SrcX, Single& SrcY) override;
  Single Disturbance() const { return FDisturbance; }
  void SetDisturbance(Single Value) {
    FDisturbance = Value;
    Changed();
  }

  QN_PUBLISHED_DECL(TDisturbanceTransformation) { QN_PROP(Disturbance); }

 private:
  Single FDisturbance = 0;
};

class TFishEyeTransformation : public TTransformation {
  QN_CLASS_CREATE(TFishEyeTransformation, TTransformation, TObject)
 public:
  TFishEyeTransformation() = default;
  explicit TFishEyeTransformation(TObject*) {}

  void PrepareTransform() override;
  void ReverseTransformFloat(Single DstX, Single DstY, Single& SrcX, Single& SrcY) override;

 private:
  Single Frx = 0, Fry = 0, Faw = 0, Fsr = 0, Sx = 0, Sy = 0, FMinR = 0;
};

// Rolls the source rectangle around the centre of DstRect: its width runs
// round the circle, its height out from the centre.
class TPolarTransformation : public TTransformation {
  QN_CLASS_CREATE(TPolarTransformation, TTransformation, TObject)
 public:
  TPolarTransformation() = default;
  explicit TPolarTransformation(TObject*) {}

  void PrepareTransform() override;
  void ReverseTransformFloat(Single DstX, Single DstY, Single& SrcX, Single& SrcY) override;
  void TransformFloat(Single SrcX, Single SrcY, Single& DstX, Single& DstY) override;
  const TFloatRect& DstRect() const { return FDstRect; }
  void SetDstRect(const TFloatRect& Value) {
    FDstRect = Value;
    Changed();
  }
  Single Phase() const { return FPhase; }
  void SetPhase(Single Value) {
    FPhase = Value;
    Changed();
  }

 private:
  TFloatRect FDstRect;
  Single FPhase = 0;
  Single Sx = 0, Sy = 0, Cx = 0, Cy = 0, Dx = 0, Dy = 0, Rt = 0, Rt2 = 0, Rr = 0, Rcx = 0, Rcy = 0;
};

// Bends the source rectangle between two curves: x runs along both by arc
// length, y blends from the top curve to the bottom one.
class TPathTransformation : public TTransformation {
  QN_CLASS_CREATE(TPathTransformation, TTransformation, TObject)
 public:
  TPathTransformation() = default;
  explicit TPathTransformation(TObject*) {}

  void PrepareTransform() override;
  void TransformFloat(Single SrcX, Single SrcY, Single& DstX, Single& DstY) override;
  const TArrayOfFloatPoint& TopCurve() const { return FTopCurve; }
  void SetTopCurve(const TArrayOfFloatPoint& Value) {
    FTopCurve = Value;
    Changed();
  }
  const TArrayOfFloatPoint& BottomCurve() const { return FBottomCurve; }
  void SetBottomCurve(const TArrayOfFloatPoint& Value) {
    FBottomCurve = Value;
    Changed();
  }

  struct TPointRec {
    Single Dist = 0;     // from the curve's first point
    Single RecDist = 0;  // 1 / the length of the segment ending here
  };

 private:
  Single FTopLength = 0, FBottomLength = 0;
  TArrayOfFloatPoint FBottomCurve, FTopCurve;
  std::vector<TPointRec> FTopHypot, FBottomHypot;
  Single rdx = 0, rdy = 0;
};

// Displaces each point by the vectors of a map stretched over MappingRect.
class TRemapTransformation : public TTransformation {
  QN_CLASS_CREATE(TRemapTransformation, TTransformation, TObject)
 public:
  TRemapTransformation();
  explicit TRemapTransformation(TObject*) : TRemapTransformation() {}
  ~TRemapTransformation() override;

  bool HasTransformedBounds() override { return false; }
  TFloatRect GetTransformedBounds(const TFloatRect& ASrcRect) override;
  using TTransformation::GetTransformedBounds;
  void PrepareTransform() override;
  void ReverseTransformInt(Integer DstX, Integer DstY, Integer& SrcX, Integer& SrcY) override;
  void ReverseTransformFixed(TFixed DstX, TFixed DstY, TFixed& SrcX, TFixed& SrcY) override;
  void ReverseTransformFloat(Single DstX, Single DstY, Single& SrcX, Single& SrcY) override;

  void Scale(Single Sx, Single Sy);
  TVectorMap* VectorMap() const { return FVectorMap; }
  const TFloatRect& MappingRect() const { return FMappingRect; }
  void SetMappingRect(const TFloatRect& Value) {
    FMappingRect = Value;
    Changed();
  }
  const TFloatPoint& Offset() const { return FOffset; }
  void SetOffset(const TFloatPoint& Value);

 private:
  TVectorMap* FVectorMap = nullptr;
  TFixedPoint FScalingFixed;
  TFloatPoint FScalingFloat;
  TFixedPoint FCombinedScalingFixed;
  TFloatPoint FCombinedScalingFloat;
  TFixedPoint FSrcTranslationFixed, FSrcScaleFixed, FDstTranslationFixed, FDstScaleFixed;
  TFloatPoint FSrcTranslationFloat, FSrcScaleFloat, FDstTranslationFloat, FDstScaleFloat;
  TFixedPoint FOffsetFixed;
  TPoint FOffsetInt;
  TFloatRect FMappingRect;
  TFloatPoint FOffset;
};

class TFunctionRegistry;
extern TFunctionRegistry* TransformsRegistry;
enum : Integer { FID_DET2X2SINGLE, FID_DET2X2DOUBLE, FID_LINEARTRANSFORMROW, FID_KERNELROWTAPS };
void InitPix32Transforms();

}  // namespace qn

#include "platform/rtl/MacroShieldEnd.h"
