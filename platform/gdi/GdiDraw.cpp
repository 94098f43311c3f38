// Lines and shapes with the classic geometry: cosmetic (width 1) pens step
// from pixel centre to pixel centre and leave out the last point; wider pens
// cover the pixel centres within half their width of the figure's outline,
// with round ends and joins; fills cover pixel centres inside the outline,
// leaving out its right and bottom edges.
#include <algorithm>
#include <cmath>

#include "platform/gdi/GdiInternal.h"
#include "platform/rtl/Math.h"

namespace vcl {

using namespace gdi;

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kEps = 1e-9;

struct TPenInfo {
  bool Null = true;
  int Width = 1;
  UINT Style = PS_SOLID;
  COLORREF Color = 0;
  bool InsideFrame = false;
  int Lo() const { return Width / 2; }         // pixels outside the path on the left/top
  int Hi() const { return (Width - 1) / 2; }   // ... on the right/bottom
};

TPenInfo PenOf(TDCObj& d) {
  TPenInfo p;
  auto* po = static_cast<TPenObj*>(d.State.Pen.get());
  if (!po || po->Log.lopnStyle == PS_NULL) return p;
  p.Null = false;
  // Wider than any surface is as good as this wide.
  p.Width = std::clamp(po->Log.lopnWidth.X, 1, 1 << 16);
  p.Style = po->Log.lopnStyle;
  p.InsideFrame = p.Style == PS_INSIDEFRAME && p.Width > 1;
  if (p.Style == PS_INSIDEFRAME) p.Style = PS_SOLID;
  p.Color = po->DCPen ? d.State.DCPenColor : po->Log.lopnColor;
  return p;
}

// The on/off run lengths of the cosmetic styles.
std::vector<int> StylePattern(UINT style) {
  switch (style) {
    case PS_DASH: return {18, 6};
    case PS_DOT: return {3, 3};
    case PS_DASHDOT: return {9, 6, 3, 6};
    case PS_DASHDOTDOT: return {9, 3, 3, 3, 3, 3};
    default: return {};
  }
}

// Collects the pixels of a cosmetic pen, splitting them into the drawn dashes
// and the gaps (painted in the background colour when the DC is opaque).
class TStroke {
 public:
  // Only pixels inside vis are kept; the steps outside still advance the style.
  TStroke(UINT style, const TRect& vis) : Pattern(StylePattern(style)), Vis(vis) {}
  void Pixel(int x, int y) {
    bool keep = x >= Vis.Left && x < Vis.Right && y >= Vis.Top && y < Vis.Bottom;
    if (Pattern.empty()) {
      if (keep) On.Point(x, y);
      return;
    }
    if (keep) ((Index & 1) ? Off : On).Point(x, y);
    Advance(1);
  }
  void Advance(Int64 n) {
    if (Pattern.empty() || n <= 0) return;
    int total = 0;
    for (int v : Pattern) total += v;
    for (n %= total; n > 0; --n)
      if (++Count >= Pattern[size_t(Index)]) {
        Count = 0;
        Index = (Index + 1) % int(Pattern.size());
      }
  }
  // Steps from a to b; b itself only when last is set.
  void Line(TPoint a, TPoint b, bool last) {
    Int64 dx = Int64(b.X) - a.X, dy = Int64(b.Y) - a.Y;
    Int64 n = std::max(std::llabs(dx), std::llabs(dy));
    if (n == 0) {
      if (last) Pixel(a.X, a.Y);
      return;
    }
    Int64 end = last ? n : n - 1;
    // Steps whose major coordinate is outside the visible box are skipped.
    bool xMajor = std::llabs(dx) >= std::llabs(dy);
    Int64 start = xMajor ? a.X : a.Y, dir = (xMajor ? dx : dy) >= 0 ? 1 : -1;
    Int64 lo = xMajor ? Vis.Left : Vis.Top, hi = (xMajor ? Vis.Right : Vis.Bottom) - 1;
    Int64 i0 = dir > 0 ? lo - start : start - hi, i1 = dir > 0 ? hi - start : start - lo;
    i0 = std::max<Int64>(i0, 0);
    i1 = std::min<Int64>(i1, end);
    if (i0 > i1) {
      Advance(end + 1);
      return;
    }
    Advance(i0);
    for (Int64 i = i0; i <= i1; ++i) {
      Int64 mx = RoundDiv(i * dx, n), my = RoundDiv(i * dy, n);
      Pixel(int(a.X + mx), int(a.Y + my));
    }
    Advance(end - i1);
  }
  // num / den to the nearest integer, halves toward minus infinity: the
  // choice then depends on the point, not on the direction, so a line and
  // its reverse cover the same pixels.
  static Int64 RoundDiv(Int64 num, Int64 den) {  // den > 0
    Int64 n = 2 * num - den, d = 2 * den;        // ceil(n / d)
    Int64 q = n / d;
    if (n % d != 0 && n > 0) ++q;
    return q;
  }
  std::vector<int> Pattern;
  TRect Vis;
  int Index = 0, Count = 0;
  TSpanList On, Off;
};

// Pixel centres within radius r of segment a-b (shifted by -0.5 for even widths).
void Capsule(double ax, double ay, double bx, double by, double r, const TRect& vis, TSpanList& out) {
  int y0 = std::max(vis.Top, int(std::ceil(std::min(ay, by) - r - kEps)));
  int y1 = std::min(vis.Bottom - 1, int(std::floor(std::max(ay, by) + r + kEps)));
  double dx = bx - ax, dy = by - ay, len2 = dx * dx + dy * dy, len = std::sqrt(len2);
  for (int y = y0; y <= y1; ++y) {
    double lo = INFINITY, hi = -INFINITY;
    auto circle = [&](double cx, double cy) {
      double q = r * r - (y - cy) * (y - cy);
      if (q < -kEps) return;
      double h = std::sqrt(std::max(0.0, q));
      lo = std::min(lo, cx - h);
      hi = std::max(hi, cx + h);
    };
    circle(ax, ay);
    circle(bx, by);
    if (len2 > 0) {
      // Solve 0 <= t(x) <= 1 and |c(x)| <= r; both are linear in x.
      double xl = -INFINITY, xh = INFINITY;
      auto clip = [&](double k, double c0, double mn, double mx) {  // mn <= k*x + c0 <= mx
        if (std::fabs(k) < 1e-12) {
          if (c0 < mn - kEps || c0 > mx + kEps) { xl = INFINITY; xh = -INFINITY; }
          return;
        }
        double u = (mn - c0) / k, v = (mx - c0) / k;
        if (u > v) std::swap(u, v);
        xl = std::max(xl, u);
        xh = std::min(xh, v);
      };
      clip(dx / len2, ((y - ay) * dy - ax * dx) / len2, 0.0, 1.0);
      clip(-dy / len, (dx * (y - ay) + dy * ax) / len, -r, r);
      if (xl <= xh) {
        lo = std::min(lo, xl);
        hi = std::max(hi, xh);
      }
    }
    lo = std::max(lo, double(vis.Left) - 1);
    hi = std::min(hi, double(vis.Right) + 1);
    if (lo <= hi) out.Add(y, int(std::ceil(lo - kEps)), int(std::floor(hi + kEps)) + 1);
  }
}

void WideLine(TPoint a, TPoint b, int width, const TRect& vis, TSpanList& out) {
  double s = (width % 2 == 0) ? -0.5 : 0.0;
  Capsule(a.X + s, a.Y + s, b.X + s, b.Y + s, width / 2.0, vis, out);
}

// The part of the surface a figure can show in: the DC's clip box and a
// margin of one pixel, so border tests see their neighbours.
TRect VisibleBox(TDCObj& d) {
  TRect b = d.EffectiveClip().Box();
  if (b.IsEmpty()) return {};
  return {b.Left - 1, b.Top - 1, b.Right + 1, b.Bottom + 1};
}

// Paints a figure: the brush over fill minus outline, then the pen.
struct TFigure {
  TRegion Fill;
  TRegion Outline;
  TRegion Gaps;  // styled pens' gaps
  bool HasFill = false;
};

void PaintFigure(TDrawScope& sc, TFigure& f, const TPenInfo& pen) {
  TDCObj& d = *sc.DC;
  int rop = d.State.Rop2;
  if (f.HasFill) {
    TRegion fill = f.Fill;
    fill.Subtract(f.Outline);
    fill.Subtract(f.Gaps);
    PaintRegionRop2(d, *sc.S, fill, BrushPaint(d, nullptr, false), rop);
  }
  if (!pen.Null) {
    PaintRegionRop2(d, *sc.S, f.Outline, SolidPaint(d, pen.Color), rop);
    if (d.State.BkMode == OPAQUE && !f.Gaps.Empty()) {
      TRegion gaps = f.Gaps;
      gaps.Subtract(f.Outline);
      PaintRegionRop2(d, *sc.S, gaps, SolidPaint(d, d.State.BkColor), rop);
    }
  }
}

void StrokePolyline(const std::vector<TPoint>& pts, bool closed, bool lastPoint, const TPenInfo& pen,
                    const TRect& vis, TFigure& f) {
  if (pen.Null || pts.empty()) return;
  size_t n = pts.size();
  if (pen.Width <= 1) {
    TStroke s(pen.Style, vis);
    for (size_t i = 0; i + 1 < n; ++i) s.Line(pts[i], pts[i + 1], false);
    if (closed && n > 1) s.Line(pts[n - 1], pts[0], false);
    if (lastPoint && !closed) s.Pixel(pts[n - 1].X, pts[n - 1].Y);
    f.Outline.Union(s.On.Region());
    f.Gaps.Union(s.Off.Region());
    return;
  }
  TSpanList s;
  if (n == 1) WideLine(pts[0], pts[0], pen.Width, vis, s);
  for (size_t i = 0; i + 1 < n; ++i) WideLine(pts[i], pts[i + 1], pen.Width, vis, s);
  if (closed && n > 1) WideLine(pts[n - 1], pts[0], pen.Width, vis, s);
  f.Outline.Union(s.Region());
}

std::vector<TPoint> Offsetted(const POINT* pts, int n, TPoint o) {
  std::vector<TPoint> v(size_t(std::max(n, 0)));
  for (int i = 0; i < n; ++i) v[size_t(i)] = {pts[i].X + o.X, pts[i].Y + o.Y};
  return v;
}

TRect NormalBox(int l, int t, int r, int b, TPoint o) {
  if (r < l) std::swap(l, r);
  if (b < t) std::swap(t, b);
  return {l + o.X, t + o.Y, r + o.X, b + o.Y};
}

// Border pixels of a row set (pixels with a 4-neighbour outside), in angle
// order around the centre, fed to a stroke so styles run along the curve.
void ThinBorder(const TRows& rows, const TRect& vis, const TPenInfo& pen, double cx, double cy,
                const std::function<bool(int, int)>& keep, TFigure& f, TRegion* interior) {
  std::vector<std::pair<double, TPoint>> border;
  TSpanList inner;
  for (size_t i = 0; i < rows.Spans.size(); ++i) {
    int y = rows.Top + int(i);
    if (y < vis.Top || y >= vis.Bottom) continue;
    int x0 = std::max(rows.Spans[i].first, vis.Left), x1 = std::min(rows.Spans[i].second, vis.Right);
    for (int x = x0; x < x1; ++x) {
      bool edge = !rows.Contains(x - 1, y) || !rows.Contains(x + 1, y) || !rows.Contains(x, y - 1) ||
                  !rows.Contains(x, y + 1);
      if (!edge) {
        inner.Point(x, y);
        continue;
      }
      if (keep && !keep(x, y)) continue;
      double a = std::atan2(-(y - cy), x - cx);
      if (a < 0) a += 2 * kPi;
      border.push_back({a, {x, y}});
    }
  }
  if (interior) *interior = inner.Region();
  if (pen.Null) return;
  std::stable_sort(border.begin(), border.end(), [](auto& a, auto& b) { return a.first < b.first; });
  TStroke s(pen.Style, vis);
  for (auto& e : border) s.Pixel(e.second.X, e.second.Y);
  f.Outline.Union(s.On.Region());
  f.Gaps.Union(s.Off.Region());
}

double Angle(double dx, double dy) {
  double a = std::atan2(-dy, dx);
  return a < 0 ? a + 2 * kPi : a;
}

bool InSweep(double a, double start, double sweep) {
  double d = a - start;
  while (d < 0) d += 2 * kPi;
  while (d >= 2 * kPi) d -= 2 * kPi;
  return d <= sweep + 1e-12;
}

enum class TCurve { Ellipse, Arc, Pie, Chord };

// Ellipse, arc, pie and chord share the ring and the angle cut.
BOOL DrawCurve(HDC dc, TCurve kind, int l, int t, int r, int b, int xs, int ys, int xe, int ye) {
  TDrawScope sc(dc);
  if (!sc) return 0;
  TDCObj& d = *sc.DC;
  TPenInfo pen = PenOf(d);
  TPoint o = d.Offset();
  TRect box = NormalBox(l, t, r, b, o);
  if (!CoordOk(box) || !CoordOk(TPoint(xs, ys)) || !CoordOk(TPoint(xe, ye))) return 0;
  if (pen.InsideFrame) box = {box.Left + pen.Lo(), box.Top + pen.Lo(), box.Right - pen.Hi(), box.Bottom - pen.Hi()};
  if (pen.Null) box = {box.Left, box.Top, box.Right - 1, box.Bottom - 1};
  if (box.IsEmpty()) return 1;
  TRect vis = VisibleBox(d);
  if (vis.IsEmpty()) return 1;
  double cx = (double(box.Left) + box.Right - 1) / 2.0, cy = (double(box.Top) + box.Bottom - 1) / 2.0;
  double ra = (double(box.Right) - box.Left - 1) / 2.0, rb = (double(box.Bottom) - box.Top - 1) / 2.0;

  bool full = kind == TCurve::Ellipse;
  // Clockwise from start to end is counter-clockwise from end to start.
  if (d.State.ArcDirection == AD_CLOCKWISE) {
    std::swap(xs, xe);
    std::swap(ys, ye);
  }
  double a0 = 0, sweep = 2 * kPi;
  TPoint ps, pe;
  if (!full) {
    double sdx = xs + o.X - cx, sdy = ys + o.Y - cy, edx = xe + o.X - cx, edy = ye + o.Y - cy;
    a0 = Angle(sdx, sdy);
    double a1 = Angle(edx, edy);
    sweep = a1 - a0;
    if (sweep <= 1e-12) sweep += 2 * kPi;
    auto onCurve = [&](double dx, double dy) -> TPoint {
      double q = (ra > 0 ? (dx / ra) * (dx / ra) : 0) + (rb > 0 ? (dy / rb) * (dy / rb) : 0);
      double s = q > 0 ? 1.0 / std::sqrt(q) : 0;
      return {Floor(cx + dx * s + 0.5), Floor(cy + dy * s + 0.5)};
    };
    ps = onCurve(sdx, sdy);
    pe = onCurve(edx, edy);
  }
  auto inCut = [&](int x, int y) { return full || InSweep(Angle(x - cx, y - cy), a0, sweep); };

  TFigure f;
  f.HasFill = kind != TCurve::Arc;
  TRegion interior;
  if (pen.Null || pen.Width <= 1) {
    auto rows = EllipseRows(box.Left, box.Top, box.Right, box.Bottom, vis.Top - 1, vis.Bottom + 1);
    if (pen.Null) {
      interior = RowsRegion(rows);
    } else {
      ThinBorder(rows, vis, pen, cx, cy, full ? std::function<bool(int, int)>() : inCut, f, &interior);
    }
  } else {
    int lo = pen.Lo(), hi = pen.Hi(), w = pen.Width;
    auto outer = EllipseRows(box.Left - lo, box.Top - lo, box.Right + hi, box.Bottom + hi, vis.Top, vis.Bottom);
    auto inner = EllipseRows(box.Left + w - lo, box.Top + w - lo, box.Right - w + hi, box.Bottom - w + hi, vis.Top,
                             vis.Bottom);
    TRegion ring = RowsRegion(outer);
    interior = RowsRegion(inner);
    ring.Subtract(interior);
    ring.IntersectRect(vis);
    if (!full) {
      TSpanList cut;
      for (const TRect& rc : ring.Rects())
        for (int y = rc.Top; y < rc.Bottom; ++y)
          for (int x = rc.Left; x < rc.Right; ++x)
            if (inCut(x, y)) cut.Point(x, y);
      ring = cut.Region();
    }
    f.Outline = ring;
  }
  if (kind == TCurve::Pie || kind == TCurve::Chord) {
    std::vector<TPoint> edge = kind == TCurve::Pie ? std::vector<TPoint>{pe, {Floor(cx + 0.5), Floor(cy + 0.5)}, ps}
                                                   : std::vector<TPoint>{pe, ps};
    StrokePolyline(edge, false, true, pen, vis, f);
  }
  if (f.HasFill) {
    interior.IntersectRect(vis);
    if (full) {
      f.Fill = interior;
    } else {
      // Pie: the sector; chord: the side of the chord line the arc is on.
      TSpanList s;
      double mx = std::cos(a0 + sweep / 2), my = -std::sin(a0 + sweep / 2);
      double side = (pe.X - ps.X) * (cy + my * rb - ps.Y) - (pe.Y - ps.Y) * (cx + mx * ra - ps.X);
      for (const TRect& rc : interior.Rects())
        for (int y = rc.Top; y < rc.Bottom; ++y)
          for (int x = rc.Left; x < rc.Right; ++x) {
            bool in;
            if (kind == TCurve::Pie) {
              in = inCut(x, y);
            } else {
              double c = double(pe.X - ps.X) * (y - ps.Y) - double(pe.Y - ps.Y) * (x - ps.X);
              in = side > 0 ? c > 0 : c < 0;
            }
            if (in) s.Point(x, y);
          }
      f.Fill = s.Region();
    }
  }
  PaintFigure(sc, f, pen);
  return 1;
}

}  // namespace

BOOL MoveToEx(HDC dc, int x, int y, POINT* old) {
  auto d = LookupDC(dc);
  if (!d) return 0;
  if (old) *old = d->State.CurPos;
  d->State.CurPos = {x, y};
  return 1;
}

BOOL LineTo(HDC dc, int x, int y) {
  POINT pts[2];
  {
    auto d = LookupDC(dc);
    if (!d) return 0;
    pts[0] = d->State.CurPos;
    pts[1] = {x, y};
  }
  BOOL r = Polyline(dc, pts, 2);
  if (auto d = LookupDC(dc)) d->State.CurPos = {x, y};
  return r;
}

BOOL Polyline(HDC dc, const POINT* pts, int count) {
  if (!pts || count < 2) return 0;
  TDrawScope sc(dc);
  if (!sc) return 0;
  TPenInfo pen = PenOf(*sc.DC);
  TFigure f;
  auto v = Offsetted(pts, count, sc.DC->Offset());
  for (auto& p : v)
    if (!CoordOk(p)) return 0;
  StrokePolyline(v, false, false, pen, VisibleBox(*sc.DC), f);
  PaintFigure(sc, f, pen);
  return 1;
}

BOOL PolylineTo(HDC dc, const POINT* pts, int count) {
  auto d = LookupDC(dc);
  if (!d || !pts || count < 1) return 0;
  std::vector<POINT> v{d->State.CurPos};
  v.insert(v.end(), pts, pts + count);
  BOOL r = Polyline(dc, v.data(), int(v.size()));
  if (r) d->State.CurPos = pts[count - 1];
  return r;
}

BOOL PolyPolyline(HDC dc, const POINT* pts, const DWORD* counts, DWORD polyCount) {
  if (!pts || !counts) return 0;
  TDrawScope sc(dc);
  if (!sc) return 0;
  TPenInfo pen = PenOf(*sc.DC);
  TFigure f;
  const POINT* p = pts;
  for (DWORD i = 0; i < polyCount; ++i) {
    if (counts[i] < 2) return 0;
    auto v = Offsetted(p, int(counts[i]), sc.DC->Offset());
    for (auto& q : v)
      if (!CoordOk(q)) return 0;
    StrokePolyline(v, false, false, pen, VisibleBox(*sc.DC), f);
    p += counts[i];
  }
  PaintFigure(sc, f, pen);
  return 1;
}

BOOL Polygon(HDC dc, const POINT* pts, int count) { return PolyPolygon(dc, pts, &count, 1); }

BOOL PolyPolygon(HDC dc, const POINT* pts, const int* counts, int polyCount) {
  if (!pts || !counts || polyCount < 1) return 0;
  TDrawScope sc(dc);
  if (!sc) return 0;
  TDCObj& d = *sc.DC;
  TPenInfo pen = PenOf(d);
  TFigure f;
  f.HasFill = true;
  std::vector<TPoint> all;
  for (int i = 0; i < polyCount; ++i) {
    if (counts[i] < 2) return 0;
    auto v = Offsetted(pts + all.size(), counts[i], d.Offset());
    for (auto& q : v)
      if (!CoordOk(q)) return 0;
    StrokePolyline(v, true, false, pen, VisibleBox(d), f);
    all.insert(all.end(), v.begin(), v.end());
  }
  TSpanList s;
  TRect vis = VisibleBox(d);
  PolygonSpans(all.data(), counts, polyCount, d.State.PolyFillMode, s, vis.Top, vis.Bottom);
  f.Fill = s.Region();
  PaintFigure(sc, f, pen);
  return 1;
}

BOOL Rectangle(HDC dc, int left, int top, int right, int bottom) {
  TDrawScope sc(dc);
  if (!sc) return 0;
  TDCObj& d = *sc.DC;
  TPenInfo pen = PenOf(d);
  TRect r = NormalBox(left, top, right, bottom, d.Offset());
  if (!CoordOk(r)) return 0;
  if (pen.InsideFrame) r = {r.Left + pen.Lo(), r.Top + pen.Lo(), r.Right - pen.Hi(), r.Bottom - pen.Hi()};
  TFigure f;
  f.HasFill = true;
  if (pen.Null) {
    f.Fill = TRegion(TRect(r.Left, r.Top, r.Right - 1, r.Bottom - 1));
  } else if (pen.Width <= 1) {
    if (r.IsEmpty()) return 1;
    // The path runs through the centres of the outermost pixels.
    std::vector<TPoint> path{{r.Left, r.Top}, {r.Right - 1, r.Top}, {r.Right - 1, r.Bottom - 1}, {r.Left, r.Bottom - 1}};
    StrokePolyline(path, true, false, pen, VisibleBox(d), f);
    if (r.Width() == 1 || r.Height() == 1) f.Outline.Union(TRegion(r));
    f.Fill = TRegion(TRect(r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1));
  } else {
    int lo = pen.Lo(), hi = pen.Hi(), w = pen.Width;
    f.Outline = TRegion(TRect(r.Left - lo, r.Top - lo, r.Right + hi, r.Bottom + hi));
    TRect in(r.Left + w - lo, r.Top + w - lo, r.Right - w + hi, r.Bottom - w + hi);
    f.Outline.Subtract(TRegion(in));
    f.Fill = TRegion(in);
  }
  PaintFigure(sc, f, pen);
  return 1;
}

BOOL RoundRect(HDC dc, int left, int top, int right, int bottom, int ew, int eh) {
  TDrawScope sc(dc);
  if (!sc) return 0;
  TDCObj& d = *sc.DC;
  TPenInfo pen = PenOf(d);
  TRect r = NormalBox(left, top, right, bottom, d.Offset());
  if (!CoordOk(r)) return 0;
  if (pen.InsideFrame) r = {r.Left + pen.Lo(), r.Top + pen.Lo(), r.Right - pen.Hi(), r.Bottom - pen.Hi()};
  ew = int(std::min<Int64>(std::abs(Int64(ew)), kMaxCoord));
  eh = int(std::min<Int64>(std::abs(Int64(eh)), kMaxCoord));
  TRect vis = VisibleBox(d);
  if (vis.IsEmpty()) return 1;
  TFigure f;
  f.HasFill = true;
  if (pen.Null) {
    r = {r.Left, r.Top, r.Right - 1, r.Bottom - 1};
    f.Fill = RowsRegion(RoundRectRows(r.Left, r.Top, r.Right, r.Bottom, ew, eh, vis.Top, vis.Bottom));
  } else if (pen.Width <= 1) {
    auto rows = RoundRectRows(r.Left, r.Top, r.Right, r.Bottom, ew, eh, vis.Top - 1, vis.Bottom + 1);
    ThinBorder(rows, vis, pen, (double(r.Left) + r.Right - 1) / 2.0, (double(r.Top) + r.Bottom - 1) / 2.0, {}, f,
               &f.Fill);
  } else {
    int lo = pen.Lo(), hi = pen.Hi(), w = pen.Width;
    TRect out(r.Left - lo, r.Top - lo, r.Right + hi, r.Bottom + hi);
    TRect in(r.Left + w - lo, r.Top + w - lo, r.Right - w + hi, r.Bottom - w + hi);
    f.Outline = RowsRegion(
        RoundRectRows(out.Left, out.Top, out.Right, out.Bottom, ew + w - 1, eh + w - 1, vis.Top, vis.Bottom));
    f.Fill = RowsRegion(RoundRectRows(in.Left, in.Top, in.Right, in.Bottom, std::max(0, ew - w - 1),
                                      std::max(0, eh - w - 1), vis.Top, vis.Bottom));
    f.Outline.Subtract(f.Fill);
  }
  PaintFigure(sc, f, pen);
  return 1;
}

BOOL Ellipse(HDC dc, int left, int top, int right, int bottom) {
  return DrawCurve(dc, TCurve::Ellipse, left, top, right, bottom, 0, 0, 0, 0);
}
BOOL Arc(HDC dc, int l, int t, int r, int b, int xs, int ys, int xe, int ye) {
  return DrawCurve(dc, TCurve::Arc, l, t, r, b, xs, ys, xe, ye);
}
BOOL Pie(HDC dc, int l, int t, int r, int b, int xs, int ys, int xe, int ye) {
  return DrawCurve(dc, TCurve::Pie, l, t, r, b, xs, ys, xe, ye);
}
BOOL Chord(HDC dc, int l, int t, int r, int b, int xs, int ys, int xe, int ye) {
  return DrawCurve(dc, TCurve::Chord, l, t, r, b, xs, ys, xe, ye);
}

BOOL ExtFloodFill(HDC dc, int x, int y, COLORREF color, UINT type) {
  TDrawScope sc(dc);
  if (!sc || (type != FLOODFILLBORDER && type != FLOODFILLSURFACE)) return 0;
  TDCObj& d = *sc.DC;
  TGdiSurface& S = *sc.S;
  TPoint o = d.Offset();
  int sx = x + o.X, sy = y + o.Y;
  const TRegion& clip = d.EffectiveClip();
  auto visible = [&](int px, int py) { return pixman_region32_contains_point(clip.mut(), px, py, nullptr) != 0; };
  uint32_t key = SolidPaint(d, color).Color & 0x00FFFFFF;
  auto fillable = [&](int px, int py) {
    bool same = (S.Pixel(px, py) & 0x00FFFFFF) == key;
    return type == FLOODFILLBORDER ? !same : same;
  };
  if (!visible(sx, sy) || !fillable(sx, sy)) return 0;
  // Scanline fill over a visited map, reading the picture as it was.
  TRect box = clip.Box();
  int w = box.Width();
  std::vector<uint8_t> seen(size_t(w) * size_t(box.Height()));
  auto mark = [&](int px, int py) -> uint8_t& { return seen[size_t(py - box.Top) * size_t(w) + size_t(px - box.Left)]; };
  TSpanList spans;
  std::vector<TPoint> stack{{sx, sy}};
  while (!stack.empty()) {
    TPoint p = stack.back();
    stack.pop_back();
    if (mark(p.X, p.Y) || !visible(p.X, p.Y) || !fillable(p.X, p.Y)) continue;
    int l = p.X, r = p.X;
    while (l - 1 >= box.Left && !mark(l - 1, p.Y) && visible(l - 1, p.Y) && fillable(l - 1, p.Y)) --l;
    while (r + 1 < box.Right && !mark(r + 1, p.Y) && visible(r + 1, p.Y) && fillable(r + 1, p.Y)) ++r;
    for (int i = l; i <= r; ++i) mark(i, p.Y) = 1;
    spans.Add(p.Y, l, r + 1);
    for (int ny : {p.Y - 1, p.Y + 1}) {
      if (ny < box.Top || ny >= box.Bottom) continue;
      for (int i = l; i <= r; ++i)
        if (!mark(i, ny) && (i == l || mark(i - 1, ny) || !fillable(i - 1, ny) || !visible(i - 1, ny)))
          stack.push_back({i, ny});
    }
  }
  PaintRegionRop2(d, S, spans.Region(), BrushPaint(d, nullptr, false), d.State.Rop2);
  return 1;
}

// ---------------------------------------------------------------------------
// Regions

static bool SurfaceRegion(TDCObj& d, HRGN rgn, TRegion& out) {
  auto r = LookupRgn(rgn);
  if (!r) return false;
  out = r->Rgn;
  TPoint o = d.Offset();
  out.Translate(o.X, o.Y);
  return true;
}

BOOL FillRgn(HDC dc, HRGN rgn, HBRUSH hbr) {
  TDrawScope sc(dc);
  auto b = LookupBrush(hbr);
  TRegion r;
  if (!sc || !b || !SurfaceRegion(*sc.DC, rgn, r)) return 0;
  PaintRegionRop3(*sc.DC, *sc.S, r, BrushPaint(*sc.DC, b.get(), true), PATCOPY);
  return 1;
}

BOOL FrameRgn(HDC dc, HRGN rgn, HBRUSH hbr, int width, int height) {
  TDrawScope sc(dc);
  auto b = LookupBrush(hbr);
  TRegion r;
  if (!sc || !b || !SurfaceRegion(*sc.DC, rgn, r) || width < 0 || height < 0) return 0;
  // Eroding by more than the region's size leaves nothing.
  TRect box = r.Box();
  width = std::min(width, box.Width());
  height = std::min(height, box.Height());
  // The frame is what erosion by width x height takes away.
  TRegion eroded = r;
  for (int i = 1; i <= width; ++i)
    for (int s : {i, -i}) {
      TRegion m = r;
      m.Translate(s, 0);
      eroded.Intersect(m);
    }
  for (int i = 1; i <= height; ++i)
    for (int s : {i, -i}) {
      TRegion m = r;
      m.Translate(0, s);
      eroded.Intersect(m);
    }
  r.Subtract(eroded);
  PaintRegionRop3(*sc.DC, *sc.S, r, BrushPaint(*sc.DC, b.get(), true), PATCOPY);
  return 1;
}

BOOL PaintRgn(HDC dc, HRGN rgn) {
  TDrawScope sc(dc);
  TRegion r;
  if (!sc || !SurfaceRegion(*sc.DC, rgn, r)) return 0;
  PaintRegionRop2(*sc.DC, *sc.S, r, BrushPaint(*sc.DC, nullptr, false), sc.DC->State.Rop2);
  return 1;
}

BOOL InvertRgn(HDC dc, HRGN rgn) {
  TDrawScope sc(dc);
  TRegion r;
  if (!sc || !SurfaceRegion(*sc.DC, rgn, r)) return 0;
  PaintRegionRop3(*sc.DC, *sc.S, r, TPaint{}, DSTINVERT);
  return 1;
}

}  // namespace vcl
