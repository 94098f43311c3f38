#include "graphics/raster/Pix32_Transforms_qn.h"

#include <cmath>

#include "graphics/raster/Pix32_Bindings_qn.h"
#include "graphics/raster/Pix32_Math_qn.h"
#include "graphics/raster/Pix32_Resamplers_qn.h"

namespace qn {

bool FullEdge = true;
TDet2x2Single* Det2x2Single = nullptr;
TDet2x2Double* Det2x2Double = nullptr;
TFunctionRegistry* TransformsRegistry = nullptr;

// ---------------------------------------------------------------------------
// Matrices. Products are formed in extended precision and stored as single.

void Adjoint(TFloatMatrix& M) {
  using E = Extended;
  const E a00 = M[0][0], a01 = M[0][1], a02 = M[0][2];
  const E a10 = M[1][0], a11 = M[1][1], a12 = M[1][2];
  const E a20 = M[2][0], a21 = M[2][1], a22 = M[2][2];
  // The adjugate of the array as it stands is the adjugate of the mapping in
  // this storage order too (adjugation commutes with transposition).
  M[0][0] = static_cast<TFloat>(a11 * a22 - a12 * a21);
  M[0][1] = static_cast<TFloat>(-(a01 * a22 - a02 * a21));
  M[0][2] = static_cast<TFloat>(a01 * a12 - a02 * a11);
  M[1][0] = static_cast<TFloat>(-(a10 * a22 - a12 * a20));
  M[1][1] = static_cast<TFloat>(a00 * a22 - a02 * a20);
  M[1][2] = static_cast<TFloat>(-(a00 * a12 - a02 * a10));
  M[2][0] = static_cast<TFloat>(a10 * a21 - a11 * a20);
  M[2][1] = static_cast<TFloat>(-(a00 * a21 - a01 * a20));
  M[2][2] = static_cast<TFloat>(a00 * a11 - a01 * a10);
}

Single Determinant(const TFloatMatrix& M) {
  using E = Extended;
  return static_cast<Single>(E(M[0][0]) * (E(M[1][1]) * M[2][2] - E(M[2][1]) * M[1][2]) -
                             E(M[0][1]) * (E(M[1][0]) * M[2][2] - E(M[2][0]) * M[1][2]) +
                             E(M[0][2]) * (E(M[1][0]) * M[2][1] - E(M[2][0]) * M[1][1]));
}

void Scale(TFloatMatrix& M, Single Factor) {
  for (auto& c : M)
    for (auto& v : c) v = static_cast<TFloat>(Extended(v) * Factor);
}

void Invert(TFloatMatrix& M) {
  const Single det = Determinant(M);
  if (std::fabs(static_cast<Extended>(det)) < 1e-5L) {
    M = IdentityMatrix;
    return;
  }
  Adjoint(M);
  Scale(M, static_cast<Single>(1.0L / det));
}

TFloatMatrix Mult(const TFloatMatrix& M1, const TFloatMatrix& M2) {
  TFloatMatrix r;
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j)
      r[i][j] = static_cast<TFloat>(Extended(M1[0][j]) * M2[i][0] + Extended(M1[1][j]) * M2[i][1] +
                                    Extended(M1[2][j]) * M2[i][2]);
  return r;
}

TVector3f VectorTransform(const TFloatMatrix& M, const TVector3f& V) {
  TVector3f r;
  for (int j = 0; j < 3; ++j)
    r[j] = static_cast<Single>(Extended(M[0][j]) * V[0] + Extended(M[1][j]) * V[1] + Extended(M[2][j]) * V[2]);
  return r;
}

TFixedMatrix FixedMatrix(const TFloatMatrix& FM) {
  TFixedMatrix r;
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) r[i][j] = static_cast<TFixed>(Round(static_cast<Extended>(FM[i][j]) * 65536));
  return r;
}

TFloatMatrix FloatMatrix(const TFixedMatrix& FM) {
  TFloatMatrix r;
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) r[i][j] = FM[i][j] * (1.0f / 65536);
  return r;
}

// ---------------------------------------------------------------------------
// TTransformation

void TTransformation::Changed() {
  TransformValid = false;
  inherited::Changed();
}

void TTransformation::SetSrcRect(const TFloatRect& Value) {
  FSrcRect = Value;
  Changed();
}

void TTransformation::ReverseTransformInt(Integer DstX, Integer DstY, Integer& SrcX, Integer& SrcY) {
  TFixed x, y;
  ReverseTransformFixed(static_cast<TFixed>(static_cast<Cardinal>(DstX) << 16),
                        static_cast<TFixed>(static_cast<Cardinal>(DstY) << 16), x, y);
  SrcX = FixedRound(x);
  SrcY = FixedRound(y);
}

void TTransformation::ReverseTransformFixed(TFixed DstX, TFixed DstY, TFixed& SrcX, TFixed& SrcY) {
  Single x, y;
  ReverseTransformFloat(DstX * (1.0f / 65536), DstY * (1.0f / 65536), x, y);
  SrcX = Fixed(x);
  SrcY = Fixed(y);
}

void TTransformation::ReverseTransformFloat(Single, Single, Single&, Single&) {
  throw ETransformNotImplemented::CreateFmt(u"Reverse transformation is not implemented in %s.", {ClassName()});
}

void TTransformation::TransformInt(Integer SrcX, Integer SrcY, Integer& DstX, Integer& DstY) {
  TFixed x, y;
  TransformFixed(static_cast<TFixed>(static_cast<Cardinal>(SrcX) << 16),
                 static_cast<TFixed>(static_cast<Cardinal>(SrcY) << 16), x, y);
  DstX = FixedRound(x);
  DstY = FixedRound(y);
}

void TTransformation::TransformFixed(TFixed SrcX, TFixed SrcY, TFixed& DstX, TFixed& DstY) {
  Single x, y;
  TransformFloat(SrcX * (1.0f / 65536), SrcY * (1.0f / 65536), x, y);
  DstX = Fixed(x);
  DstY = Fixed(y);
}

void TTransformation::TransformFloat(Single, Single, Single&, Single&) {
  throw ETransformNotImplemented::CreateFmt(u"Forward transformation is not implemented in %s.", {ClassName()});
}

TPoint TTransformation::ReverseTransform(const TPoint& P) {
  if (!TransformValid) PrepareTransform();
  TPoint r;
  ReverseTransformInt(P.X, P.Y, r.X, r.Y);
  return r;
}

TFixedPoint TTransformation::ReverseTransform(const TFixedPoint& P) {
  if (!TransformValid) PrepareTransform();
  TFixedPoint r;
  ReverseTransformFixed(P.X, P.Y, r.X, r.Y);
  return r;
}

TFloatPoint TTransformation::ReverseTransform(const TFloatPoint& P) {
  if (!TransformValid) PrepareTransform();
  TFloatPoint r;
  ReverseTransformFloat(P.X, P.Y, r.X, r.Y);
  return r;
}

TPoint TTransformation::Transform(const TPoint& P) {
  if (!TransformValid) PrepareTransform();
  TPoint r;
  TransformInt(P.X, P.Y, r.X, r.Y);
  return r;
}

TFixedPoint TTransformation::Transform(const TFixedPoint& P) {
  if (!TransformValid) PrepareTransform();
  TFixedPoint r;
  TransformFixed(P.X, P.Y, r.X, r.Y);
  return r;
}

TFloatPoint TTransformation::Transform(const TFloatPoint& P) {
  if (!TransformValid) PrepareTransform();
  TFloatPoint r;
  TransformFloat(P.X, P.Y, r.X, r.Y);
  return r;
}

// ---------------------------------------------------------------------------
// T3x3Transformation

void T3x3Transformation::PrepareTransform() {
  FInverseMatrix = FMatrix;
  Invert(FInverseMatrix);
  FInverseFixedMatrix = FixedMatrix(FInverseMatrix);
  FFixedMatrix = FixedMatrix(FMatrix);
  TransformValid = true;
}

namespace {
inline void MapFixed(const TFixedMatrix& F, TFixed X, TFixed Y, TFixed& OX, TFixed& OY) {
  OX = FixedMul(X, F[0][0]) + FixedMul(Y, F[1][0]) + F[2][0];
  OY = FixedMul(X, F[0][1]) + FixedMul(Y, F[1][1]) + F[2][1];
}
inline void MapFloat(const TFloatMatrix& M, Single X, Single Y, Single& OX, Single& OY) {
  OX = static_cast<Single>(Extended(X) * M[0][0] + Extended(Y) * M[1][0] + M[2][0]);
  OY = static_cast<Single>(Extended(X) * M[0][1] + Extended(Y) * M[1][1] + M[2][1]);
}
}  // namespace

void T3x3Transformation::ReverseTransformFixed(TFixed DstX, TFixed DstY, TFixed& SrcX, TFixed& SrcY) {
  MapFixed(FInverseFixedMatrix, DstX, DstY, SrcX, SrcY);
}

void T3x3Transformation::ReverseTransformFloat(Single DstX, Single DstY, Single& SrcX, Single& SrcY) {
  MapFloat(FInverseMatrix, DstX, DstY, SrcX, SrcY);
}

void T3x3Transformation::TransformFixed(TFixed SrcX, TFixed SrcY, TFixed& DstX, TFixed& DstY) {
  MapFixed(FFixedMatrix, SrcX, SrcY, DstX, DstY);
}

void T3x3Transformation::TransformFloat(Single SrcX, Single SrcY, Single& DstX, Single& DstY) {
  MapFloat(FMatrix, SrcX, SrcY, DstX, DstY);
}

// ---------------------------------------------------------------------------
// TAffineTransformation

void TAffineTransformation::Apply(const TFloatMatrix& T) {
  FMatrix = Mult(T, FMatrix);
  Changed();
}

void TAffineTransformation::Clear() {
  FMatrix = IdentityMatrix;
  Changed();
}

void TAffineTransformation::Translate(Single Dx, Single Dy) {
  TFloatMatrix t = IdentityMatrix;
  t[2][0] = Dx;
  t[2][1] = Dy;
  Apply(t);
}

void TAffineTransformation::Scale(Single Sx, Single Sy) {
  TFloatMatrix t = IdentityMatrix;
  t[0][0] = Sx;
  t[1][1] = Sy;
  Apply(t);
}

void TAffineTransformation::Scale(Single Value) { Scale(Value, Value); }

void TAffineTransformation::Skew(Single Fx, Single Fy) {
  TFloatMatrix t = IdentityMatrix;
  t[1][0] = Fx;
  t[0][1] = Fy;
  Apply(t);
}

void TAffineTransformation::Rotate(Single Alpha) {
  const Extended a = static_cast<Extended>(Alpha) * 3.14159265358979323846264338327950288L / 180;
  const Single s = static_cast<Single>(std::sin(a)), c = static_cast<Single>(std::cos(a));
  TFloatMatrix t = IdentityMatrix;
  t[0][0] = c;
  t[1][0] = s;
  t[0][1] = -s;
  t[1][1] = c;
  Apply(t);
}

void TAffineTransformation::Rotate(Single Cx, Single Cy, Single Alpha) {
  const bool moved = Cx != 0 || Cy != 0;
  if (moved) Translate(-Cx, -Cy);
  Rotate(Alpha);
  if (moved) Translate(Cx, Cy);
  Changed();
}

TFloatRect TAffineTransformation::GetTransformedBounds(const TFloatRect& ASrcRect) {
  const TVector3f v[4] = {VectorTransform(FMatrix, {ASrcRect.Left, ASrcRect.Top, 1}),
                          VectorTransform(FMatrix, {ASrcRect.Right, ASrcRect.Top, 1}),
                          VectorTransform(FMatrix, {ASrcRect.Left, ASrcRect.Bottom, 1}),
                          VectorTransform(FMatrix, {ASrcRect.Right, ASrcRect.Bottom, 1})};
  TFloatRect r(v[0][0], v[0][1], v[0][0], v[0][1]);
  for (const auto& p : v) {
    r.Left = std::min(r.Left, p[0]);
    r.Right = std::max(r.Right, p[0]);
    r.Top = std::min(r.Top, p[1]);
    r.Bottom = std::max(r.Bottom, p[1]);
  }
  return r;
}

TArrayOfArrayOfFixedPoint TransformPoints(const TArrayOfArrayOfFixedPoint& Points, TTransformation* Transformation) {
  TArrayOfArrayOfFixedPoint r(Points.size());
  if (Points.empty()) return r;
  Transformation->PrepareTransform();
  for (size_t i = 0; i < Points.size(); ++i) {
    r[i].resize(Points[i].size());
    for (size_t j = 0; j < Points[i].size(); ++j)
      Transformation->TransformFixed(Points[i][j].X, Points[i][j].Y, r[i][j].X, r[i][j].Y);
  }
  return r;
}

// ---------------------------------------------------------------------------
// Unit set-up

namespace {
Single Det2x2Single_Single(Single a1, Single a2, Single b1, Single b2) {
  return static_cast<Single>(static_cast<Single>(a1 * b2) - static_cast<Single>(a2 * b1));
}
Single Det2x2Single_Extended(Single a1, Single a2, Single b1, Single b2) {
  return static_cast<Single>(Extended(a1) * b2 - Extended(a2) * b1);
}
Double Det2x2Double_Double(Double a1, Double a2, Double b1, Double b2) { return a1 * b2 - a2 * b1; }
Double Det2x2Double_Extended(Double a1, Double a2, Double b1, Double b2) {
  return static_cast<Double>(Extended(a1) * b2 - Extended(a2) * b1);
}
}  // namespace

void InitPix32Transforms() {
  TransformsRegistry = NewRegistry(u"Pix32_Transforms_qn bindings");
  TransformsRegistry->RegisterBinding(0, &Det2x2Single, "Det2x2Single");
  TransformsRegistry->RegisterBinding(1, &Det2x2Double, "Det2x2Double");
  TransformsRegistry->Add(0, &Det2x2Single_Single, {}, 0, "single");
  TransformsRegistry->Add(0, &Det2x2Single_Extended, {}, 0, "extended");
  TransformsRegistry->Add(1, &Det2x2Double_Double, {}, 0, "double");
  TransformsRegistry->Add(1, &Det2x2Double_Extended, {}, 0, "extended");
  TransformsRegistry->RegisterBinding(FID_LINEARTRANSFORMROW, &LinearTransformRow, "LinearTransformRow");
  TransformsRegistry->Add(FID_LINEARTRANSFORMROW, &LinearTransformRow_Pas, {}, 0, "plain");
  TransformsRegistry->Add(FID_LINEARTRANSFORMROW, &LinearTransformRow_SSE2, {TCPUInstructionSet::ciSSE2}, 0, "SSE2");
  TransformsRegistry->RegisterBinding(FID_KERNELROWTAPS, &KernelRowTaps, "KernelRowTaps");
  TransformsRegistry->Add(FID_KERNELROWTAPS, &KernelRowTaps_Pas, {}, 0, "plain");
  TransformsRegistry->Add(FID_KERNELROWTAPS, &KernelRowTaps_SSE2, {TCPUInstructionSet::ciSSE2}, 0, "SSE2");
  TransformsRegistry->RebindAll();
}

}  // namespace qn

QN_PUBLISHED_IMPL(qn::TProjectiveTransformation)
QN_PUBLISHED_IMPL(qn::TTwirlTransformation)
QN_PUBLISHED_IMPL(qn::TBloatTransformation)
QN_PUBLISHED_IMPL(qn::TDisturbanceTransformation)
