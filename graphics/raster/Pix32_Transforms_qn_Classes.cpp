// Pix32_Transforms_qn: the transformations beyond the affine one.
#include <algorithm>
#include <cmath>
#include <limits>

#include "graphics/raster/Pix32_Math_qn.h"
#include "graphics/raster/Pix32_Transforms_qn.h"
#include "graphics/raster/Pix32_VectorMaps_qn.h"
#include "platform/rtl/Math.h"

namespace qn {

namespace {
constexpr Extended kPi = 3.14159265358979323846264338327950288L;
}

// ---------------------------------------------------------------------------
// TNestedTransformation

TNestedTransformation::~TNestedTransformation() {
  for (auto it = FItems.rbegin(); it != FItems.rend(); ++it) delete *it;
}

TTransformation* TNestedTransformation::Add(TTransformationClass ItemClass) {
  auto* t = dynamic_cast<TTransformation*>(ItemClass->Create(nullptr));
  if (!t) throw ETransformError(u"Not a transformation class");
  FItems.push_back(t);
  return t;
}

TTransformation* TNestedTransformation::Insert(Integer Index, TTransformationClass ItemClass) {
  BeginUpdate();
  TTransformation* t = nullptr;
  try {
    t = dynamic_cast<TTransformation*>(ItemClass->Create(nullptr));
    if (!t) throw ETransformError(u"Not a transformation class");
    Index = Clamp(Index, 0, Count());
    FItems.insert(FItems.begin() + Index, t);
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
  return t;
}

void TNestedTransformation::Delete(Integer Index) {
  TTransformation* t = Items(Index);
  FItems.erase(FItems.begin() + Index);
  delete t;
}

void TNestedTransformation::Clear() {
  BeginUpdate();
  while (!FItems.empty()) Delete(Count() - 1);
  EndUpdate();
}

void TNestedTransformation::SetItems(Integer Index, TTransformation* Value) { Items(Index)->Assign(Value); }

bool TNestedTransformation::HasTransformedBounds() {
  for (TTransformation* t : FItems)
    if (!t->HasTransformedBounds()) return false;
  return true;
}

TFloatRect TNestedTransformation::GetTransformedBounds(const TFloatRect& ASrcRect) {
  TFloatRect r = ASrcRect;
  for (TTransformation* t : FItems) r = t->GetTransformedBounds(r);
  return r;
}

void TNestedTransformation::PrepareTransform() {
  for (TTransformation* t : FItems) t->PrepareTransform();
}

void TNestedTransformation::TransformFixed(TFixed SrcX, TFixed SrcY, TFixed& DstX, TFixed& DstY) {
  DstX = SrcX;
  DstY = SrcY;
  for (TTransformation* t : FItems) t->TransformFixed(DstX, DstY, DstX, DstY);
}

void TNestedTransformation::TransformFloat(Single SrcX, Single SrcY, Single& DstX, Single& DstY) {
  DstX = SrcX;
  DstY = SrcY;
  for (TTransformation* t : FItems) t->TransformFloat(DstX, DstY, DstX, DstY);
}

// The inverse of a chain undoes its last step first.
void TNestedTransformation::ReverseTransformFixed(TFixed DstX, TFixed DstY, TFixed& SrcX, TFixed& SrcY) {
  SrcX = DstX;
  SrcY = DstY;
  for (auto it = FItems.rbegin(); it != FItems.rend(); ++it) (*it)->ReverseTransformFixed(SrcX, SrcY, SrcX, SrcY);
}

void TNestedTransformation::ReverseTransformFloat(Single DstX, Single DstY, Single& SrcX, Single& SrcY) {
  SrcX = DstX;
  SrcY = DstY;
  for (auto it = FItems.rbegin(); it != FItems.rend(); ++it) (*it)->ReverseTransformFloat(SrcX, SrcY, SrcX, SrcY);
}

// ---------------------------------------------------------------------------
// TProjectiveTransformation

TFloatRect TProjectiveTransformation::GetTransformedBounds(const TFloatRect&) {
  return TFloatRect(*std::min_element(FQuadX, FQuadX + 4), *std::min_element(FQuadY, FQuadY + 4),
                    *std::max_element(FQuadX, FQuadX + 4), *std::max_element(FQuadY, FQuadY + 4));
}

void TProjectiveTransformation::PrepareTransform() {
  using E = Extended;
  const Single* X = FQuadX;
  const Single* Y = FQuadY;
  const E px = E(X[0]) - X[1] + X[2] - X[3], py = E(Y[0]) - Y[1] + Y[2] - Y[3];
  TFloatMatrix& M = FMatrix;
  if (px == 0 && py == 0) {
    M[0][0] = X[1] - X[0];
    M[1][0] = X[2] - X[1];
    M[2][0] = X[0];
    M[0][1] = Y[1] - Y[0];
    M[1][1] = Y[2] - Y[1];
    M[2][1] = Y[0];
    M[0][2] = 0;
    M[1][2] = 0;
    M[2][2] = 1;
  } else {
    const E dx1 = E(X[1]) - X[2], dx2 = E(X[3]) - X[2], dy1 = E(Y[1]) - Y[2], dy2 = E(Y[3]) - Y[2];
    const E k = dx1 * dy2 - dx2 * dy1;
    if (k == 0) {
      M = {};
    } else {
      const E g = (px * dy2 - py * dx2) / k, h = (dx1 * py - dy1 * px) / k;
      M[0][0] = static_cast<Single>(E(X[1]) - X[0] + g * X[1]);
      M[1][0] = static_cast<Single>(E(X[3]) - X[0] + h * X[3]);
      M[2][0] = X[0];
      M[0][1] = static_cast<Single>(E(Y[1]) - Y[0] + g * Y[1]);
      M[1][1] = static_cast<Single>(E(Y[3]) - Y[0] + h * Y[3]);
      M[2][1] = Y[0];
      M[0][2] = static_cast<Single>(g);
      M[1][2] = static_cast<Single>(h);
      M[2][2] = 1;
    }
  }
  const Single w = FSrcRect.Right - FSrcRect.Left, hh = FSrcRect.Bottom - FSrcRect.Top;
  TFloatMatrix s = IdentityMatrix;
  s[0][0] = w != 0 ? 1 / w : 0;
  s[1][1] = hh != 0 ? 1 / hh : 0;
  M = Mult(M, s);
  TFloatMatrix t = IdentityMatrix;
  t[2][0] = -FSrcRect.Left;
  t[2][1] = -FSrcRect.Top;
  M = Mult(M, t);
  T3x3Transformation::PrepareTransform();
}

namespace {

// The horizon's answer: a point that no source reaches, with no division.
constexpr Single kHorizonFloat = -32768.0f;
constexpr TFixed kHorizonFixed = static_cast<TFixed>(0x80000000u);

void ProjectFloat(const TFloatMatrix& M, Single x, Single y, Single& OX, Single& OY) {
  using E = Extended;
  const E z = E(M[0][2]) * x + E(M[1][2]) * y + M[2][2];
  if (z == 0) {
    OX = OY = kHorizonFloat;
    return;
  }
  E X = E(M[0][0]) * x + E(M[1][0]) * y + M[2][0];
  E Y = E(M[0][1]) * x + E(M[1][1]) * y + M[2][1];
  if (z != 1) {
    const E r = 1 / z;
    X *= r;
    Y *= r;
  }
  OX = static_cast<Single>(X);
  OY = static_cast<Single>(Y);
}

void ProjectFixed(const TFixedMatrix& M, TFixed x, TFixed y, TFixed& OX, TFixed& OY) {
  const TFixed z = FixedMul(M[0][2], x) + FixedMul(M[1][2], y) + M[2][2];
  if (z == 0) {
    OX = OY = kHorizonFixed;
    return;
  }
  OX = FixedMul(x, M[0][0]) + FixedMul(y, M[1][0]) + M[2][0];
  OY = FixedMul(x, M[0][1]) + FixedMul(y, M[1][1]) + M[2][1];
  if (z != 0x10000) {
    const Double r = 65536.0 / z;
    OX = static_cast<TFixed>(RoundI(OX * r));
    OY = static_cast<TFixed>(RoundI(OY * r));
  }
}

}  // namespace

void TProjectiveTransformation::TransformFloat(Single SrcX, Single SrcY, Single& DstX, Single& DstY) {
  ProjectFloat(FMatrix, SrcX, SrcY, DstX, DstY);
}
void TProjectiveTransformation::ReverseTransformFloat(Single DstX, Single DstY, Single& SrcX, Single& SrcY) {
  ProjectFloat(FInverseMatrix, DstX, DstY, SrcX, SrcY);
}
void TProjectiveTransformation::TransformFixed(TFixed SrcX, TFixed SrcY, TFixed& DstX, TFixed& DstY) {
  ProjectFixed(FFixedMatrix, SrcX, SrcY, DstX, DstY);
}
void TProjectiveTransformation::ReverseTransformFixed(TFixed DstX, TFixed DstY, TFixed& SrcX, TFixed& SrcY) {
  ProjectFixed(FInverseFixedMatrix, DstX, DstY, SrcX, SrcY);
}

// ---------------------------------------------------------------------------
// Twirl, bloat, disturbance, fish-eye

TFloatRect TTwirlTransformation::GetTransformedBounds(const TFloatRect& ASrcRect) {
  const Single cx = (ASrcRect.Left + ASrcRect.Right) * 0.5f, cy = (ASrcRect.Top + ASrcRect.Bottom) * 0.5f;
  const Single r = std::max(cx - ASrcRect.Left, cy - ASrcRect.Top) * 1.5707964f;
  return TFloatRect(cx - r, cy - r, cx + r, cy + r);
}

void TTwirlTransformation::PrepareTransform() {
  Frx = (FSrcRect.Right - FSrcRect.Left) * 0.5f;
  Fry = (FSrcRect.Bottom - FSrcRect.Top) * 0.5f;
  TransformValid = true;
}

void TTwirlTransformation::ReverseTransformFloat(Single DstX, Single DstY, Single& SrcX, Single& SrcY) {
  const Extended xf = Extended(DstX) - Frx, yf = Extended(DstY) - Fry;
  const Extended r = std::hypot(xf, yf);
  const Extended t = std::atan2(yf, xf) + r * FTwirl;
  SrcX = static_cast<Single>(r * std::cos(t) + Frx);
  SrcY = static_cast<Single>(r * std::sin(t) + Fry);
}

void TBloatTransformation::PrepareTransform() {
  const Single w = FSrcRect.Right - FSrcRect.Left, h = FSrcRect.Bottom - FSrcRect.Top;
  // An empty side has nothing to bloat along.
  FPiW = w != 0 ? static_cast<Single>(kPi / w) : 0;
  FPiH = h != 0 ? static_cast<Single>(kPi / h) : 0;
  FBP = FBloatPower * std::max(w, h);
  TransformValid = true;
}

void TBloatTransformation::TransformFloat(Single SrcX, Single SrcY, Single& DstX, Single& DstY) {
  const Extended ax = -Extended(FPiW) * SrcX, ay = -Extended(FPiH) * SrcY;
  const Extended t = FBP * std::sin(ay) * std::sin(ax);
  DstX = static_cast<Single>(SrcX + t * std::cos(ax));
  DstY = static_cast<Single>(SrcY + t * std::cos(ay));
}

void TBloatTransformation::ReverseTransformFloat(Single DstX, Single DstY, Single& SrcX, Single& SrcY) {
  const Extended ax = Extended(FPiW) * DstX, ay = Extended(FPiH) * DstY;
  const Extended t = FBP * std::sin(ay) * std::sin(ax);
  SrcX = static_cast<Single>(DstX + t * std::cos(ax));
  SrcY = static_cast<Single>(DstY + t * std::cos(ay));
}

TFloatRect TDisturbanceTransformation::GetTransformedBounds(const TFloatRect& ASrcRect) {
  TFloatRect r = ASrcRect;
  InflateRect(r, FDisturbance * 0.5f, FDisturbance * 0.5f);
  return r;
}

void TDisturbanceTransformation::ReverseTransformFloat(Single DstX, Single DstY, Single& SrcX, Single& SrcY) {
  const Extended r1 = Random(), r2 = Random();
  SrcX = static_cast<Single>(DstX + (r1 - 0.5) * FDisturbance);
  SrcY = static_cast<Single>(DstY + (r2 - 0.5) * FDisturbance);
}

void TFishEyeTransformation::PrepareTransform() {
  Frx = (FSrcRect.Right - FSrcRect.Left) * 0.5f;
  Fry = (FSrcRect.Bottom - FSrcRect.Top) * 0.5f;
  if (Frx <= Fry) {
    FMinR = Frx;
    Sx = 1;
    Sy = Fry != 0 ? Frx / Fry : 1;
  } else {
    FMinR = Fry;
    Sx = Fry / Frx;
    Sy = 1;
  }
  Fsr = FMinR != 0 ? 1 / FMinR : 0;
  Faw = static_cast<Single>(std::asin(std::clamp(Extended(FMinR) * Fsr, -1.0L, 1.0L)));
  if (Faw != 0) Faw = 1 / Faw;
  Faw *= FMinR;
  TransformValid = true;
}

void TFishEyeTransformation::ReverseTransformFloat(Single DstX, Single DstY, Single& SrcX, Single& SrcY) {
  const Extended xd = (Extended(DstX) - Frx) * Sx, yd = (Extended(DstY) - Fry) * Sy;
  const Extended d = std::hypot(xd, yd);
  if (d > 0 && d < FMinR) {
    const Extended k = std::asin(std::clamp(d * Fsr, -1.0L, 1.0L)) * Faw / d;
    SrcX = static_cast<Single>(xd * k + Frx);
    SrcY = static_cast<Single>(yd * k + Fry);
  } else {
    SrcX = DstX;
    SrcY = DstY;
  }
}

// ---------------------------------------------------------------------------
// TPolarTransformation

void TPolarTransformation::PrepareTransform() {
  Sx = FSrcRect.Right - FSrcRect.Left;
  Sy = FSrcRect.Bottom - FSrcRect.Top;
  Cx = (FDstRect.Left + FDstRect.Right) * 0.5f;
  Cy = (FDstRect.Top + FDstRect.Bottom) * 0.5f;
  Dx = FDstRect.Right - Cx;
  Dy = FDstRect.Bottom - Cy;
  Rt = Sx * 0.15915494f;
  auto rec = [](Single v) { return v == 0 ? 1e-8f : 1 / v; };
  Rt2 = static_cast<Single>(rec(Sx) * 2 * kPi);
  Rr = rec(Sy);
  Rcx = rec(Cx);
  Rcy = rec(Cy);
  TransformValid = true;
}

void TPolarTransformation::TransformFloat(Single SrcX, Single SrcY, Single& DstX, Single& DstY) {
  const Extended t = (Extended(SrcX) - FSrcRect.Left) * Rt2 + FPhase;
  const Extended r = (Extended(SrcY) - FSrcRect.Bottom) * Rr;
  DstX = static_cast<Single>(Dx * r * std::cos(t) + Cx);
  DstY = static_cast<Single>(Dy * r * std::sin(t) + Cy);
}

void TPolarTransformation::ReverseTransformFloat(Single DstX, Single DstY, Single& SrcX, Single& SrcY) {
  const Extended u = (Extended(DstX) - Cx) * Rcx, v = (Extended(DstY) - Cy) * Rcy;
  Extended t = std::atan2(v, u) + kPi - FPhase;
  if (t < 0) t += 2 * kPi;
  SrcX = static_cast<Single>(t * Rt + FSrcRect.Left);
  SrcY = static_cast<Single>(FSrcRect.Bottom - std::hypot(u, v) * Sy);
}

// ---------------------------------------------------------------------------
// TPathTransformation

namespace {

Single Measure(const TArrayOfFloatPoint& C, std::vector<TPathTransformation::TPointRec>& H) {
  H.assign(C.size(), {});
  Extended L = 0;
  for (size_t i = 0; i + 1 < C.size(); ++i) {
    H[i].Dist = static_cast<Single>(L);
    L += std::hypot(Extended(C[i + 1].X) - C[i].X, Extended(C[i + 1].Y) - C[i].Y);
  }
  H.back().Dist = static_cast<Single>(L);
  for (size_t i = 1; i < C.size(); ++i) {
    const Single d = H[i].Dist - H[i - 1].Dist;
    H[i].RecDist = d != 0 ? 1 / d : (i > 1 ? H[i - 1].RecDist : 0);
  }
  return static_cast<Single>(L);
}

// The point at arc length S along the curve.
TFloatPoint PointAt(const TArrayOfFloatPoint& C, const std::vector<TPathTransformation::TPointRec>& H, Single S) {
  // A single point is the whole curve.
  if (C.size() == 1) return C[0];
  size_t i = 1;
  while (i + 1 < C.size() && H[i].Dist < S) ++i;
  const Extended f = (Extended(H[i].Dist) - S) * H[i].RecDist;
  return TFloatPoint(static_cast<Single>(f * (C[i - 1].X - C[i].X) + C[i].X),
                     static_cast<Single>(f * (C[i - 1].Y - C[i].Y) + C[i].Y));
}

}  // namespace

void TPathTransformation::PrepareTransform() {
  if (FTopCurve.empty() || FBottomCurve.empty()) throw ETransformError(u"Top or bottom curve is nil");
  FTopLength = Measure(FTopCurve, FTopHypot);
  FBottomLength = Measure(FBottomCurve, FBottomHypot);
  const Single w = FSrcRect.Right - FSrcRect.Left, h = FSrcRect.Bottom - FSrcRect.Top;
  rdx = w != 0 ? 1 / w : 0;
  rdy = h != 0 ? 1 / h : 0;
  TransformValid = true;
}

void TPathTransformation::TransformFloat(Single SrcX, Single SrcY, Single& DstX, Single& DstY) {
  const Single u = (SrcX - FSrcRect.Left) * rdx, v = (SrcY - FSrcRect.Top) * rdy;
  const TFloatPoint T = PointAt(FTopCurve, FTopHypot, u * FTopLength);
  const TFloatPoint B = PointAt(FBottomCurve, FBottomHypot, u * FBottomLength);
  DstX = (B.X - T.X) * v + T.X;
  DstY = (B.Y - T.Y) * v + T.Y;
}

// ---------------------------------------------------------------------------
// TRemapTransformation

TRemapTransformation::TRemapTransformation() : FVectorMap(new TVectorMap) {
  FVectorMap->SetSize(1, 1);
  FScalingFloat = TFloatPoint(1, 1);
  FScalingFixed = TFixedPoint(0x10000, 0x10000);
}

TRemapTransformation::~TRemapTransformation() { delete FVectorMap; }

TFloatRect TRemapTransformation::GetTransformedBounds(const TFloatRect&) {
  constexpr Single inf = std::numeric_limits<Single>::infinity();
  return TFloatRect(-inf, -inf, inf, inf);
}

void TRemapTransformation::Scale(Single Sx, Single Sy) {
  FScalingFloat = TFloatPoint(Sx, Sy);
  FScalingFixed = TFixedPoint(Fixed(Sx), Fixed(Sy));
  Changed();
}

void TRemapTransformation::SetOffset(const TFloatPoint& Value) {
  FOffset = Value;
  FOffsetInt = Point(Value);
  FOffsetFixed = FixedPoint(Value);
  Changed();
}

void TRemapTransformation::PrepareTransform() {
  if (IsRectEmpty(FSrcRect)) throw Exception(u"SrcRect is empty!");
  if (IsRectEmpty(FMappingRect)) throw Exception(u"MappingRect is empty!");
  const Single w = FSrcRect.Right - FSrcRect.Left, h = FSrcRect.Bottom - FSrcRect.Top;
  // A map one cell wide or high has no spread to scale by.
  const Single mw = static_cast<Single>(std::max(FVectorMap->Width() - 1, 1));
  const Single mh = static_cast<Single>(std::max(FVectorMap->Height() - 1, 1));
  FSrcTranslationFloat = FSrcRect.TopLeft();
  FSrcScaleFloat = TFloatPoint(w / mw, h / mh);
  FDstTranslationFloat = FMappingRect.TopLeft();
  FDstScaleFloat =
      TFloatPoint(mw / (FMappingRect.Right - FMappingRect.Left), mh / (FMappingRect.Bottom - FMappingRect.Top));
  FCombinedScalingFloat = TFloatPoint(FDstScaleFloat.X * FScalingFloat.X, FDstScaleFloat.Y * FScalingFloat.Y);
  FCombinedScalingFixed = FixedPoint(FCombinedScalingFloat);
  FSrcTranslationFixed = FixedPoint(FSrcTranslationFloat);
  FSrcScaleFixed = FixedPoint(FSrcScaleFloat);
  FDstTranslationFixed = FixedPoint(FDstTranslationFloat);
  FDstScaleFixed = FixedPoint(FDstScaleFloat);
  TransformValid = true;
}

void TRemapTransformation::ReverseTransformFloat(Single DstX, Single DstY, Single& SrcX, Single& SrcY) {
  const TFloatPoint V = FVectorMap->FloatVectorF(DstX - FOffset.X, DstY - FOffset.Y);
  SrcX = (V.X * FCombinedScalingFloat.X + (DstX - FDstTranslationFloat.X) * FDstScaleFloat.X) * FSrcScaleFloat.X +
         FSrcTranslationFloat.X;
  SrcY = (V.Y * FCombinedScalingFloat.Y + (DstY - FDstTranslationFloat.Y) * FDstScaleFloat.Y) * FSrcScaleFloat.Y +
         FSrcTranslationFloat.Y;
}

void TRemapTransformation::ReverseTransformFixed(TFixed DstX, TFixed DstY, TFixed& SrcX, TFixed& SrcY) {
  const TFixedPoint V = FVectorMap->FixedVectorX(DstX - FOffsetFixed.X, DstY - FOffsetFixed.Y);
  SrcX = FixedMul(FixedMul(V.X, FCombinedScalingFixed.X) + FixedMul(DstX - FDstTranslationFixed.X, FDstScaleFixed.X),
                  FSrcScaleFixed.X) +
         FSrcTranslationFixed.X;
  SrcY = FixedMul(FixedMul(V.Y, FCombinedScalingFixed.Y) + FixedMul(DstY - FDstTranslationFixed.Y, FDstScaleFixed.Y),
                  FSrcScaleFixed.Y) +
         FSrcTranslationFixed.Y;
}

void TRemapTransformation::ReverseTransformInt(Integer DstX, Integer DstY, Integer& SrcX, Integer& SrcY) {
  const TFixedPoint V = FVectorMap->FixedVector(Clamp(DstX - FOffsetInt.X, 0, FVectorMap->Width() - 1),
                                                   Clamp(DstY - FOffsetInt.Y, 0, FVectorMap->Height() - 1));
  const TFixed x = Fixed(DstX), y = Fixed(DstY);
  SrcX = FixedRound(
      FixedMul(FixedMul(V.X, FCombinedScalingFixed.X) + FixedMul(x - FDstTranslationFixed.X, FDstScaleFixed.X),
               FSrcScaleFixed.X) +
      FSrcTranslationFixed.X);
  SrcY = FixedRound(
      FixedMul(FixedMul(V.Y, FCombinedScalingFixed.Y) + FixedMul(y - FDstTranslationFixed.Y, FDstScaleFixed.Y),
               FSrcScaleFixed.Y) +
      FSrcTranslationFixed.Y);
}

}  // namespace qn
