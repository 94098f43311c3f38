// Transformations: 3x3 matrix arithmetic, the abstract transformation with
// lazy preparation and integer, 16.16 and float entry points, the matrix
// transformation and the affine one built from rotations, scalings, skews
// and translations.
#pragma once

#include <array>

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

class TFunctionRegistry;
extern TFunctionRegistry* TransformsRegistry;
void InitPix32Transforms();

}  // namespace qn
