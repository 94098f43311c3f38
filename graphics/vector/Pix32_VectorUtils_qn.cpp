#include "graphics/vector/Pix32_VectorUtils_qn.h"

#include <algorithm>

#include "graphics/raster/Pix32_Math_qn.h"

namespace qn {

namespace {

// The number arithmetic the float and 16.16 forms differ in.
struct TFloatKind {
  using P = TFloatPoint;
  using R = TFloatRect;
  using C = TFloat;
  // a * b / c for the segment clip.
  static C MulDiv(C a, C b, C c) { return a * b / c; }
  static C Scale(C v, C f) { return v * f; }
  // The coordinate at V along A..B on the other axis; t in double, and the
  // result kept between the end points so rounding cannot push it out.
  static C Cross(C AV, C AO, C BV, C BO, C V) {
    const double t = (static_cast<double>(V) - AV) / (static_cast<double>(BV) - AV);
    const C r = static_cast<C>(AO + (static_cast<double>(BO) - AO) * t);
    return std::clamp(r, std::min(AO, BO), std::max(AO, BO));
  }
};

struct TFixedKind {
  using P = TFixedPoint;
  using R = TFixedRect;
  using C = TFixed;
  static C MulDiv(C a, C b, C c) { return FixedDiv(FixedMul(a, b), c); }
  static C Scale(C v, C f) { return FixedMul(v, f); }
  static C Cross(C AV, C AO, C BV, C BO, C V) {
    const C r = AO + FixedMul(BO - AO, FixedDiv(V - AV, BV - AV));
    return std::clamp(r, std::min(AO, BO), std::max(AO, BO));
  }
};

struct TIntKind {
  using C = Integer;
  static C MulDiv(C a, C b, C c) { return qn::MulDiv(a, b, c); }
};

template <class K, class C>
Integer OutCode(C X, C Y, C MinX, C MinY, C MaxX, C MaxY) {
  return (X < MinX ? 1 : 0) + (X > MaxX ? 2 : 0) + (Y < MinY ? 4 : 0) + (Y > MaxY ? 8 : 0);
}

template <class K, class C>
bool ClipLineT(C& X1, C& Y1, C& X2, C& Y2, C MinX, C MinY, C MaxX, C MaxY) {
  Integer c1 = OutCode<K>(X1, Y1, MinX, MinY, MaxX, MaxY);
  Integer c2 = OutCode<K>(X2, Y2, MinX, MinY, MaxX, MaxY);
  if ((c1 & c2) != 0 || (c1 == 0 && c2 == 0)) return c1 == 0 && c2 == 0;
  if (c1 & 12) {
    const C y = c1 < 8 ? MinY : MaxY;
    X1 = X1 + K::MulDiv(y - Y1, X2 - X1, Y2 - Y1);
    Y1 = y;
    c1 = (X1 < MinX ? 1 : 0) + (X1 > MaxX ? 2 : 0);
  }
  if (c2 & 12) {
    const C y = c2 < 8 ? MinY : MaxY;
    X2 = X2 + K::MulDiv(y - Y2, X2 - X1, Y2 - Y1);
    Y2 = y;
    c2 = (X2 < MinX ? 1 : 0) + (X2 > MaxX ? 2 : 0);
  }
  if ((c1 & c2) != 0 || (c1 == 0 && c2 == 0)) return c1 == 0 && c2 == 0;
  if (c1 != 0) {
    const C x = c1 == 1 ? MinX : MaxX;
    Y1 = Y1 + K::MulDiv(x - X1, Y2 - Y1, X2 - X1);
    X1 = x;
  }
  if (c2 != 0) {
    const C x = c2 == 1 ? MinX : MaxX;
    Y2 = Y2 + K::MulDiv(x - X2, Y2 - Y1, X2 - X1);
    X2 = x;
  }
  return true;
}

// Side code: a set bit means inside on that side (edges inside).
template <class K>
Integer SideCode(const typename K::P& P, const typename K::R& R) {
  return (P.X >= R.Left ? 1 : 0) | (P.X <= R.Right ? 2 : 0) | (P.Y >= R.Top ? 4 : 0) | (P.Y <= R.Bottom ? 8 : 0);
}

template <class K>
std::vector<typename K::P> ClipPolygonT(const std::vector<typename K::P>& Points, const typename K::R& R) {
  using P = typename K::P;
  const Integer n = static_cast<Integer>(Points.size());
  std::vector<Integer> codes(static_cast<size_t>(n));
  Integer andCode = 15, orCode = 0;
  for (Integer i = 0; i < n; ++i) {
    codes[static_cast<size_t>(i)] = SideCode<K>(Points[static_cast<size_t>(i)], R);
    andCode &= codes[static_cast<size_t>(i)];
    orCode |= codes[static_cast<size_t>(i)];
  }
  if (andCode == 15) return Points;
  if (orCode != 15) return {};

  // The working ring. Every outside run of one side costs two new slots;
  // the initial reservation covers the runs of the input's own points and
  // the vector grows for the rest.
  struct TSlot {
    P Pt;
    Integer Code;
    Integer Next;
  };
  size_t changes = 0;
  for (Integer i = 0; i < n; ++i) {
    const Integer d = codes[static_cast<size_t>(i)] ^ codes[static_cast<size_t>((i + 1) % n)];
    changes += static_cast<size_t>(__builtin_popcount(static_cast<unsigned>(d)));
  }
  std::vector<TSlot> s;
  s.reserve(static_cast<size_t>(n) + changes + 8);
  for (Integer i = 0; i < n; ++i)
    s.push_back({Points[static_cast<size_t>(i)], codes[static_cast<size_t>(i)], (i + 1) % n});

  auto cross = [&R](Integer side, const P& A, const P& B) -> P {
    switch (side) {
      case 0: return P(R.Left, K::Cross(A.X, A.Y, B.X, B.Y, R.Left));
      case 1: return P(R.Right, K::Cross(A.X, A.Y, B.X, B.Y, R.Right));
      case 2: return P(K::Cross(A.Y, A.X, B.Y, B.X, R.Top), R.Top);
      default: return P(K::Cross(A.Y, A.X, B.Y, B.X, R.Bottom), R.Bottom);
    }
  };
  auto add = [&](const P& pt, Integer next) {
    s.push_back({pt, SideCode<K>(pt, R), next});
    return static_cast<Integer>(s.size()) - 1;
  };

  for (Integer side = 0; side < 4; ++side) {
    const Integer bit = 1 << side;
    if (andCode & bit) continue;
    Integer start = -1;
    for (size_t k = 0; k < s.size(); ++k)
      if (s[k].Code & bit) {
        start = static_cast<Integer>(k);
        break;
      }
    if (start < 0) return {};
    Integer i = start;
    do {
      const Integer j = s[static_cast<size_t>(i)].Next;
      if (s[static_cast<size_t>(j)].Code & bit) {
        i = j;
        continue;
      }
      // j starts a run outside this side: cut it out and bridge it with the
      // two crossings of the side line.
      const P k1 = cross(side, s[static_cast<size_t>(i)].Pt, s[static_cast<size_t>(j)].Pt);
      Integer o = j;
      s[static_cast<size_t>(o)].Code = 0;
      while (!(s[static_cast<size_t>(s[static_cast<size_t>(o)].Next)].Code & bit)) {
        o = s[static_cast<size_t>(o)].Next;
        s[static_cast<size_t>(o)].Code = 0;
      }
      const Integer jp = s[static_cast<size_t>(o)].Next;
      const P k2 = cross(side, s[static_cast<size_t>(o)].Pt, s[static_cast<size_t>(jp)].Pt);
      const Integer K2 = add(k2, jp);
      const Integer K1 = add(k1, K2);
      s[static_cast<size_t>(i)].Next = K1;
      i = jp;
    } while (i != start);
  }

  Integer first = 0;
  for (size_t guard = 0; s[static_cast<size_t>(first)].Code == 0 && guard <= s.size(); ++guard)
    first = s[static_cast<size_t>(first)].Next;
  std::vector<P> result;
  Integer k = first;
  do {
    result.push_back(s[static_cast<size_t>(k)].Pt);
    k = s[static_cast<size_t>(k)].Next;
  } while (k != first && result.size() <= s.size());
  return result;
}

template <class A>
A ClosePolygonT(const A& Points) {
  if (Points.size() < 2 || Points.back() == Points.front()) return Points;
  A r = Points;
  r.push_back(Points.front());
  return r;
}

template <class R, class A>
R BoundsT(const A& Points) {
  Assert(!Points.empty(), u"Empty polygon");
  R r(Points[0].X, Points[0].Y, Points[0].X, Points[0].Y);
  for (const auto& p : Points) {
    r.Left = std::min(r.Left, p.X);
    r.Top = std::min(r.Top, p.Y);
    r.Right = std::max(r.Right, p.X);
    r.Bottom = std::max(r.Bottom, p.Y);
  }
  return r;
}

template <class R, class AA>
R PolyBoundsT(const AA& Points) {
  Assert(!Points.empty(), u"Empty polypolygon");
  R r = BoundsT<R>(Points[0]);
  for (const auto& a : Points) {
    const R b = BoundsT<R>(a);
    r.Left = std::min(r.Left, b.Left);
    r.Top = std::min(r.Top, b.Top);
    r.Right = std::max(r.Right, b.Right);
    r.Bottom = std::max(r.Bottom, b.Bottom);
  }
  return r;
}

template <class K, class A>
void ScaleInplaceT(A& Points, typename K::C Sx, typename K::C Sy) {
  for (auto& p : Points) {
    p.X = K::Scale(p.X, Sx);
    p.Y = K::Scale(p.Y, Sy);
  }
}

template <class A, class C>
void TranslateInplaceT(A& Points, C Dx, C Dy) {
  for (auto& p : Points) {
    p.X += Dx;
    p.Y += Dy;
  }
}

template <class AA, class F>
AA MapPoly(AA Points, F f) {
  for (auto& a : Points) f(a);
  return Points;
}

}  // namespace

// ---------------------------------------------------------------------------
// Clipping

bool ClipLine(Integer& X1, Integer& Y1, Integer& X2, Integer& Y2, Integer MinX, Integer MinY, Integer MaxX,
              Integer MaxY) {
  return ClipLineT<TIntKind>(X1, Y1, X2, Y2, MinX, MinY, MaxX, MaxY);
}

bool ClipLineX(TFixed& X1, TFixed& Y1, TFixed& X2, TFixed& Y2, TFixed MinX, TFixed MinY, TFixed MaxX, TFixed MaxY) {
  return ClipLineT<TFixedKind>(X1, Y1, X2, Y2, MinX, MinY, MaxX, MaxY);
}

bool ClipLine(Single& X1, Single& Y1, Single& X2, Single& Y2, Single MinX, Single MinY, Single MaxX, Single MaxY) {
  return ClipLineT<TFloatKind>(X1, Y1, X2, Y2, MinX, MinY, MaxX, MaxY);
}

bool ClipLine(TPoint& P1, TPoint& P2, const TRect& ClipRect) {
  return ClipLine(P1.X, P1.Y, P2.X, P2.Y, ClipRect.Left, ClipRect.Top, ClipRect.Right, ClipRect.Bottom);
}

bool ClipLine(TFloatPoint& P1, TFloatPoint& P2, const TFloatRect& ClipRect) {
  return ClipLine(P1.X, P1.Y, P2.X, P2.Y, ClipRect.Left, ClipRect.Top, ClipRect.Right, ClipRect.Bottom);
}

bool ClipLine(TFixedPoint& P1, TFixedPoint& P2, const TFixedRect& ClipRect) {
  return ClipLineX(P1.X, P1.Y, P2.X, P2.Y, ClipRect.Left, ClipRect.Top, ClipRect.Right, ClipRect.Bottom);
}

TArrayOfFloatPoint ClipPolygon(const TArrayOfFloatPoint& Points, const TFloatRect& ClipRect) {
  return ClipPolygonT<TFloatKind>(Points, ClipRect);
}

TArrayOfFixedPoint ClipPolygon(const TArrayOfFixedPoint& Points, const TFixedRect& ClipRect) {
  return ClipPolygonT<TFixedKind>(Points, ClipRect);
}

TArrayOfFloatPoint ClosePolygon(const TArrayOfFloatPoint& Points) { return ClosePolygonT(Points); }
TArrayOfFixedPoint ClosePolygon(const TArrayOfFixedPoint& Points) { return ClosePolygonT(Points); }

// ---------------------------------------------------------------------------
// Array operations

TArrayOfFloatPoint ReversePolygon(const TArrayOfFloatPoint& Points) { return {Points.rbegin(), Points.rend()}; }
TArrayOfFixedPoint ReversePolygon(const TArrayOfFixedPoint& Points) { return {Points.rbegin(), Points.rend()}; }

TFloatRect PolygonBounds(const TArrayOfFloatPoint& Points) { return BoundsT<TFloatRect>(Points); }
TFixedRect PolygonBounds(const TArrayOfFixedPoint& Points) { return BoundsT<TFixedRect>(Points); }
TFloatRect PolypolygonBounds(const TArrayOfArrayOfFloatPoint& Points) { return PolyBoundsT<TFloatRect>(Points); }
TFixedRect PolypolygonBounds(const TArrayOfArrayOfFixedPoint& Points) { return PolyBoundsT<TFixedRect>(Points); }

void ScalePolygonInplace(TArrayOfFloatPoint& Points, TFloat ScaleX, TFloat ScaleY) {
  ScaleInplaceT<TFloatKind>(Points, ScaleX, ScaleY);
}
void ScalePolygonInplace(TArrayOfFixedPoint& Points, TFixed ScaleX, TFixed ScaleY) {
  ScaleInplaceT<TFixedKind>(Points, ScaleX, ScaleY);
}
void ScalePolyPolygonInplace(TArrayOfArrayOfFloatPoint& Points, TFloat ScaleX, TFloat ScaleY) {
  for (auto& a : Points) ScalePolygonInplace(a, ScaleX, ScaleY);
}
void ScalePolyPolygonInplace(TArrayOfArrayOfFixedPoint& Points, TFixed ScaleX, TFixed ScaleY) {
  for (auto& a : Points) ScalePolygonInplace(a, ScaleX, ScaleY);
}
TArrayOfFloatPoint ScalePolygon(const TArrayOfFloatPoint& Points, TFloat ScaleX, TFloat ScaleY) {
  TArrayOfFloatPoint r = Points;
  ScalePolygonInplace(r, ScaleX, ScaleY);
  return r;
}
TArrayOfFixedPoint ScalePolygon(const TArrayOfFixedPoint& Points, TFixed ScaleX, TFixed ScaleY) {
  TArrayOfFixedPoint r = Points;
  ScalePolygonInplace(r, ScaleX, ScaleY);
  return r;
}
TArrayOfArrayOfFloatPoint ScalePolyPolygon(const TArrayOfArrayOfFloatPoint& Points, TFloat ScaleX, TFloat ScaleY) {
  return MapPoly(Points, [&](TArrayOfFloatPoint& a) { ScalePolygonInplace(a, ScaleX, ScaleY); });
}
TArrayOfArrayOfFixedPoint ScalePolyPolygon(const TArrayOfArrayOfFixedPoint& Points, TFixed ScaleX, TFixed ScaleY) {
  return MapPoly(Points, [&](TArrayOfFixedPoint& a) { ScalePolygonInplace(a, ScaleX, ScaleY); });
}

void TranslatePolygonInplace(TArrayOfFloatPoint& Points, TFloat OffsetX, TFloat OffsetY) {
  TranslateInplaceT(Points, OffsetX, OffsetY);
}
void TranslatePolygonInplace(TArrayOfFixedPoint& Points, TFixed OffsetX, TFixed OffsetY) {
  TranslateInplaceT(Points, OffsetX, OffsetY);
}
void TranslatePolyPolygonInplace(TArrayOfArrayOfFloatPoint& Points, TFloat OffsetX, TFloat OffsetY) {
  for (auto& a : Points) TranslatePolygonInplace(a, OffsetX, OffsetY);
}
void TranslatePolyPolygonInplace(TArrayOfArrayOfFixedPoint& Points, TFixed OffsetX, TFixed OffsetY) {
  for (auto& a : Points) TranslatePolygonInplace(a, OffsetX, OffsetY);
}
TArrayOfFloatPoint TranslatePolygon(const TArrayOfFloatPoint& Points, TFloat OffsetX, TFloat OffsetY) {
  TArrayOfFloatPoint r = Points;
  TranslatePolygonInplace(r, OffsetX, OffsetY);
  return r;
}
TArrayOfFixedPoint TranslatePolygon(const TArrayOfFixedPoint& Points, TFixed OffsetX, TFixed OffsetY) {
  TArrayOfFixedPoint r = Points;
  TranslatePolygonInplace(r, OffsetX, OffsetY);
  return r;
}
TArrayOfArrayOfFloatPoint TranslatePolyPolygon(const TArrayOfArrayOfFloatPoint& Points, TFloat OffsetX,
                                               TFloat OffsetY) {
  return MapPoly(Points, [&](TArrayOfFloatPoint& a) { TranslatePolygonInplace(a, OffsetX, OffsetY); });
}
TArrayOfArrayOfFixedPoint TranslatePolyPolygon(const TArrayOfArrayOfFixedPoint& Points, TFixed OffsetX,
                                               TFixed OffsetY) {
  return MapPoly(Points, [&](TArrayOfFixedPoint& a) { TranslatePolygonInplace(a, OffsetX, OffsetY); });
}

TArrayOfFloatPoint TransformPolygon(const TArrayOfFloatPoint& Points, TTransformation* Transformation) {
  TArrayOfFloatPoint r(Points.size());
  for (size_t i = 0; i < Points.size(); ++i) Transformation->TransformFloat(Points[i].X, Points[i].Y, r[i].X, r[i].Y);
  return r;
}

TArrayOfFixedPoint TransformPolygon(const TArrayOfFixedPoint& Points, TTransformation* Transformation) {
  TArrayOfFixedPoint r(Points.size());
  for (size_t i = 0; i < Points.size(); ++i) Transformation->TransformFixed(Points[i].X, Points[i].Y, r[i].X, r[i].Y);
  return r;
}

TArrayOfArrayOfFloatPoint TransformPolyPolygon(const TArrayOfArrayOfFloatPoint& Points,
                                               TTransformation* Transformation) {
  Transformation->PrepareTransform();
  TArrayOfArrayOfFloatPoint r;
  r.reserve(Points.size());
  for (const auto& a : Points) r.push_back(TransformPolygon(a, Transformation));
  return r;
}

TArrayOfArrayOfFixedPoint TransformPolyPolygon(const TArrayOfArrayOfFixedPoint& Points,
                                               TTransformation* Transformation) {
  Transformation->PrepareTransform();
  TArrayOfArrayOfFixedPoint r;
  r.reserve(Points.size());
  for (const auto& a : Points) r.push_back(TransformPolygon(a, Transformation));
  return r;
}

TArrayOfArrayOfFloatPoint CatPolyPolygon(const TArrayOfArrayOfFloatPoint& P1, const TArrayOfArrayOfFloatPoint& P2) {
  TArrayOfArrayOfFloatPoint r = P1;
  r.insert(r.end(), P2.begin(), P2.end());
  return r;
}

TArrayOfArrayOfFixedPoint CatPolyPolygon(const TArrayOfArrayOfFixedPoint& P1, const TArrayOfArrayOfFixedPoint& P2) {
  TArrayOfArrayOfFixedPoint r = P1;
  r.insert(r.end(), P2.begin(), P2.end());
  return r;
}

TArrayOfArrayOfFloatPoint PolyPolygon(const TArrayOfFloatPoint& Points) { return {Points}; }
TArrayOfArrayOfFixedPoint PolyPolygon(const TArrayOfFixedPoint& Points) { return {Points}; }

TArrayOfFloatPoint BuildPolygonF(const std::vector<TFloat>& Data) {
  TArrayOfFloatPoint r(Data.size() / 2);
  for (size_t i = 0; i < r.size(); ++i) r[i] = TFloatPoint(Data[2 * i], Data[2 * i + 1]);
  return r;
}

TArrayOfFixedPoint BuildPolygonX(const std::vector<TFixed>& Data) {
  TArrayOfFixedPoint r(Data.size() / 2);
  for (size_t i = 0; i < r.size(); ++i) r[i] = TFixedPoint(Data[2 * i], Data[2 * i + 1]);
  return r;
}

TArrayOfFloatPoint FixedPointToFloatPoint(const TArrayOfFixedPoint& Points) {
  TArrayOfFloatPoint r(Points.size());
  for (size_t i = 0; i < Points.size(); ++i) r[i] = FloatPoint(Points[i]);
  return r;
}

TArrayOfArrayOfFloatPoint FixedPointToFloatPoint(const TArrayOfArrayOfFixedPoint& Points) {
  TArrayOfArrayOfFloatPoint r;
  r.reserve(Points.size());
  for (const auto& a : Points) r.push_back(FixedPointToFloatPoint(a));
  return r;
}

TArrayOfFixedPoint FloatPointToFixedPoint(const TArrayOfFloatPoint& Points) {
  TArrayOfFixedPoint r(Points.size());
  for (size_t i = 0; i < Points.size(); ++i) r[i] = TFixedPoint(Fixed(Points[i].X), Fixed(Points[i].Y));
  return r;
}

TArrayOfArrayOfFixedPoint FloatPointToFixedPoint(const TArrayOfArrayOfFloatPoint& Points) {
  TArrayOfArrayOfFixedPoint r;
  r.reserve(Points.size());
  for (const auto& a : Points) r.push_back(FloatPointToFixedPoint(a));
  return r;
}

}  // namespace qn
