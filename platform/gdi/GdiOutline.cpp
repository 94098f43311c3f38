// GetGlyphOutline: glyph metrics and outline records in the platform's
// TTPOLYGONHEADER / TTPOLYCURVE layout.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/gdi/GdiTextInternal.h"

namespace vcl {

namespace {

struct TRecordWriter {
  std::vector<Byte> Bytes;
  size_t Header = 0;  // offset of the current polygon's header
  size_t Curve = 0;   // offset of the current curve record
  WORD CurveType = 0;

  template <class T>
  void Put(const T& v) {
    const auto* p = reinterpret_cast<const Byte*>(&v);
    Bytes.insert(Bytes.end(), p, p + sizeof(T));
  }
  static POINTFX Fx(const TOutlinePoint& p) { return {FixedFromDouble(p.X), FixedFromDouble(p.Y)}; }
  TOutlinePoint PointAt(size_t off) const {
    POINTFX f;
    std::memcpy(&f, Bytes.data() + off, sizeof f);
    return {FixedToDouble(f.x), FixedToDouble(f.y)};
  }
  WORD Count() const {
    WORD c;
    std::memcpy(&c, Bytes.data() + Curve + 2, 2);
    return c;
  }
  void SetCount(WORD c) { std::memcpy(Bytes.data() + Curve + 2, &c, 2); }

  void BeginPolygon(const TOutlinePoint& start) {
    Header = Bytes.size();
    TTPOLYGONHEADER h;
    h.dwType = TT_POLYGON_TYPE;
    h.pfxStart = Fx(start);
    Put(h);
    CurveType = 0;
  }
  void EndPolygon() {
    auto cb = DWORD(Bytes.size() - Header);
    std::memcpy(Bytes.data() + Header, &cb, 4);
    CurveType = 0;
  }
  void BeginCurve(WORD type) {
    Curve = Bytes.size();
    CurveType = type;
    WORD hdr[2] = {type, 0};
    Put(hdr);
  }
  void AddPoint(const TOutlinePoint& p) {
    Put(Fx(p));
    SetCount(WORD(Count() + 1));
  }
  void DropLastPoint() {
    Bytes.resize(Bytes.size() - sizeof(POINTFX));
    SetCount(WORD(Count() - 1));
  }
  size_t LastPointOffset(int back) const { return Bytes.size() - size_t(back) * sizeof(POINTFX); }

  void Line(const TOutlinePoint& e) {
    if (CurveType != TT_PRIM_LINE) BeginCurve(TT_PRIM_LINE);
    AddPoint(e);
  }
  // A quadratic piece; it joins the spline before it when the point between
  // them is the midpoint of the two controls, the implied point of the format.
  void Conic(const TOutlinePoint& c, const TOutlinePoint& e) {
    if (CurveType == TT_PRIM_QSPLINE && Count() >= 2) {
      TOutlinePoint pc = PointAt(LastPointOffset(2)), pe = PointAt(LastPointOffset(1));
      FIXED mx = FixedFromDouble((pc.X + c.X) / 2), my = FixedFromDouble((pc.Y + c.Y) / 2);
      if (std::fabs(FixedToDouble(mx) - pe.X) <= 1.0 / 128 && std::fabs(FixedToDouble(my) - pe.Y) <= 1.0 / 128) {
        DropLastPoint();
        AddPoint(c);
        AddPoint(e);
        return;
      }
    }
    BeginCurve(TT_PRIM_QSPLINE);
    AddPoint(c);
    AddPoint(e);
  }
  void Cubic(const TOutlinePoint& c1, const TOutlinePoint& c2, const TOutlinePoint& e) {
    if (CurveType != TT_PRIM_CSPLINE) BeginCurve(TT_PRIM_CSPLINE);
    AddPoint(c1);
    AddPoint(c2);
    AddPoint(e);
  }
};

TOutlinePoint Lerp(const TOutlinePoint& a, const TOutlinePoint& b, double t) {
  return {a.X + (b.X - a.X) * t, a.Y + (b.Y - a.Y) * t};
}

// A cubic as quadratic pieces, each within a small fraction of a pixel of it.
void CubicToConics(const TOutlinePoint& p0, const TOutlinePoint& p1, const TOutlinePoint& p2,
                   const TOutlinePoint& p3, TRecordWriter& w) {
  double dx = p3.X - 3 * p2.X + 3 * p1.X - p0.X, dy = p3.Y - 3 * p2.Y + 3 * p1.Y - p0.Y;
  double err = std::sqrt(3.0) / 36.0 * std::hypot(dx, dy);
  constexpr double kTolerance = 1.0 / 256;
  int n = std::clamp(int(std::ceil(std::cbrt(err / kTolerance))), 1, 64);
  auto at = [&](double t) {
    double u = 1 - t;
    return TOutlinePoint{u * u * u * p0.X + 3 * u * u * t * p1.X + 3 * u * t * t * p2.X + t * t * t * p3.X,
                         u * u * u * p0.Y + 3 * u * u * t * p1.Y + 3 * u * t * t * p2.Y + t * t * t * p3.Y};
  };
  auto deriv = [&](double t) {
    double u = 1 - t;
    return TOutlinePoint{3 * (u * u * (p1.X - p0.X) + 2 * u * t * (p2.X - p1.X) + t * t * (p3.X - p2.X)),
                         3 * (u * u * (p1.Y - p0.Y) + 2 * u * t * (p2.Y - p1.Y) + t * t * (p3.Y - p2.Y))};
  };
  for (int i = 0; i < n; ++i) {
    double t0 = double(i) / n, t1 = double(i + 1) / n, h = (t1 - t0) / 3;
    TOutlinePoint q0 = at(t0), q3 = i + 1 == n ? p3 : at(t1), d0 = deriv(t0), d1 = deriv(t1);
    TOutlinePoint q1{q0.X + h * d0.X, q0.Y + h * d0.Y}, q2{q3.X - h * d1.X, q3.Y - h * d1.Y};
    TOutlinePoint c{(3 * (q1.X + q2.X) - q0.X - q3.X) / 4, (3 * (q1.Y + q2.Y) - q0.Y - q3.Y) / 4};
    w.Conic(c, q3);
  }
}

double FixedValue(FIXED f) { return FixedToDouble(f); }

}  // namespace

DWORD GetGlyphOutlineW(HDC dc, UINT ch, UINT format, GLYPHMETRICS* gm, DWORD size, void* buffer,
                       const MAT2* mat) {
  TFontInstancePtr font = DCFontInstance(dc);
  if (!font || !mat) return GDI_ERROR;
  bool glyphIndex = (format & GGO_GLYPH_INDEX) != 0;
  bool hinted = (format & GGO_UNHINTED) == 0;
  UINT kind = format & ~(GGO_GLYPH_INDEX | GGO_UNHINTED);
  if (!glyphIndex && ((ch >= 0xD800 && ch <= 0xDFFF) || ch > 0x10FFFF)) return GDI_ERROR;
  if (kind != GGO_METRICS && kind != GGO_NATIVE && kind != GGO_BEZIER) return GDI_ERROR;
  TOutlineMatrix m{FixedValue(mat->eM11), FixedValue(mat->eM12), FixedValue(mat->eM21), FixedValue(mat->eM22)};
  TGlyphOutline o;
  if (!font->Outline(char32_t(ch), glyphIndex, hinted, m, o)) return GDI_ERROR;
  if (gm) {
    *gm = GLYPHMETRICS{};
    if (o.Contours.empty()) {
      gm->gmBlackBoxX = gm->gmBlackBoxY = 1;
    } else {
      gm->gmBlackBoxX = UINT(std::max(1, o.BoxRight - o.BoxLeft));
      gm->gmBlackBoxY = UINT(std::max(1, o.BoxTop - o.BoxBottom));
      gm->gmptGlyphOrigin = TPoint(o.BoxLeft, o.BoxTop);
    }
    gm->gmCellIncX = short(std::clamp<long>(std::lround(o.AdvanceX), -32768, 32767));
    gm->gmCellIncY = short(std::clamp<long>(std::lround(o.AdvanceY), -32768, 32767));
  }
  if (kind == GGO_METRICS) return 1;
  TRecordWriter w;
  for (const TOutlineContour& c : o.Contours) {
    if (c.Segs.empty()) continue;
    w.BeginPolygon(c.Start);
    TOutlinePoint cur = c.Start;
    for (const TOutlineSeg& s : c.Segs) {
      switch (s.Kind) {
        case TOutlineSegKind::Line: w.Line(s.P[0]); break;
        case TOutlineSegKind::Conic:
          if (kind == GGO_NATIVE) {
            w.Conic(s.P[0], s.P[1]);
          } else {
            // A quadratic is exactly the cubic with controls two thirds of the way to its control.
            w.Cubic(Lerp(cur, s.P[0], 2.0 / 3), Lerp(s.P[1], s.P[0], 2.0 / 3), s.P[1]);
          }
          break;
        case TOutlineSegKind::Cubic:
          if (kind == GGO_NATIVE) CubicToConics(cur, s.P[0], s.P[1], s.P[2], w);
          else w.Cubic(s.P[0], s.P[1], s.P[2]);
          break;
      }
      cur = s.End();
    }
    w.EndPolygon();
  }
  auto need = DWORD(w.Bytes.size());
  if (need == 0) return 0;
  if (!buffer || size == 0) return need;
  if (size < need) return GDI_ERROR;
  std::memcpy(buffer, w.Bytes.data(), need);
  return need;
}

}  // namespace vcl
