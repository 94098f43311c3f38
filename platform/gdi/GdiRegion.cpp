// Regions over pixman's region algebra, and the shapes they share with drawing.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/gdi/GdiInternal.h"

namespace vcl {

using namespace gdi;

namespace gdi {

std::pair<int, int> EllipseRow(int l, int t, int r, int b, int y) {
  double cx = (double(l) + r - 1) / 2.0, cy = (double(t) + b - 1) / 2.0;
  double a = (double(r) - l - 1) / 2.0 + 0.25, bb = (double(b) - t - 1) / 2.0 + 0.25;
  double dy = (y - cy) / bb;
  double q = 1.0 - dy * dy;
  double hw = a * std::sqrt(std::max(0.0, q)) + 1e-9;
  Int64 x0 = Int64(std::ceil(cx - hw));
  if (x0 < l) x0 = l;
  // Every row of the box keeps its middle pixel(s), however narrow the
  // ellipse is near its ends.
  x0 = std::min<Int64>(x0, Int64(std::floor(cx)));
  // Likewise the row(s) through the middle span the whole box, so flat
  // ellipses touch all four sides.
  if (std::fabs(y - cy) <= 0.5) x0 = l;
  Int64 x1 = (Int64(l) + r - 1) - x0 + 1;
  return {int(x0), int(std::max(x0, x1))};
}

TRows EllipseRows(int l, int t, int r, int b, int y0, int y1) {
  TRows rows;
  if (r <= l || b <= t) return rows;
  rows.Top = std::max(t, y0);
  for (int y = rows.Top; y < std::min(b, y1); ++y) rows.Spans.push_back(EllipseRow(l, t, r, b, y));
  return rows;
}

TRows RoundRectRows(int l, int t, int r, int b, int ew, int eh, int y0, int y1) {
  TRows rows;
  if (r <= l || b <= t) return rows;
  rows.Top = std::max(t, y0);
  int last = std::min(b, y1);
  ew = int(std::min<Int64>(std::abs(Int64(ew)), Int64(r) - l));
  eh = int(std::min<Int64>(std::abs(Int64(eh)), Int64(b) - t));
  for (int y = rows.Top; y < last; ++y) {
    int yy = std::min(y - t, b - 1 - y);
    int off = 0;
    if (ew >= 2 && eh >= 2 && 2 * Int64(yy) < Int64(eh) - 1) off = EllipseRow(0, 0, ew, eh, yy).first;
    rows.Spans.emplace_back(l + off, r - off);
  }
  return rows;
}

TRegion RowsRegion(const TRows& rows) {
  TSpanList s;
  for (size_t i = 0; i < rows.Spans.size(); ++i) s.Add(rows.Top + int(i), rows.Spans[i].first, rows.Spans[i].second);
  return s.Region();
}

namespace {
Int64 CeilDiv(Int64 n, Int64 d) {  // d > 0
  Int64 q = n / d;
  if (n % d != 0 && n > 0) ++q;
  return q;
}
}  // namespace

void PolygonSpans(const TPoint* pts, const int* counts, int polys, int fillMode, TSpanList& out, int y0, int y1) {
  struct TEdge {
    Int64 x0, y0, x1, y1;
    int dir;
  };
  std::vector<TEdge> edges;
  int ymin = INT32_MAX, ymax = INT32_MIN;
  const TPoint* p = pts;
  for (int k = 0; k < polys; ++k) {
    int n = counts[k];
    for (int i = 0; i < n && n >= 2; ++i) {
      TPoint a = p[i], b = p[(i + 1) % n];
      if (a.Y == b.Y) continue;
      if (a.Y < b.Y) edges.push_back({a.X, a.Y, b.X, b.Y, 1});
      else edges.push_back({b.X, b.Y, a.X, a.Y, -1});
      ymin = std::min({ymin, a.Y, b.Y});
      ymax = std::max({ymax, a.Y, b.Y});
    }
    p += std::max(n, 0);
  }
  if (edges.empty()) return;
  std::sort(edges.begin(), edges.end(), [](const TEdge& a, const TEdge& b) { return a.y0 < b.y0; });
  std::vector<std::pair<Int64, int>> xs;
  std::vector<const TEdge*> active;
  size_t next = 0;
  for (Int64 y = std::max(ymin, y0); y < std::min(ymax, y1); ++y) {
    while (next < edges.size() && edges[next].y0 <= y) active.push_back(&edges[next++]);
    active.erase(std::remove_if(active.begin(), active.end(), [&](const TEdge* e) { return e->y1 <= y; }),
                 active.end());
    xs.clear();
    for (const TEdge* e : active) {
      Int64 dy = e->y1 - e->y0;
      Int64 num = e->x0 * dy + (y - e->y0) * (e->x1 - e->x0);
      xs.emplace_back(CeilDiv(num, dy), e->dir);
    }
    std::sort(xs.begin(), xs.end());
    if (fillMode == WINDING) {
      int w = 0;
      for (size_t i = 0; i + 1 < xs.size(); ++i) {
        w += xs[i].second;
        if (w != 0) out.Add(int(y), int(xs[i].first), int(xs[i + 1].first));
      }
    } else {
      for (size_t i = 0; i + 1 < xs.size(); i += 2) out.Add(int(y), int(xs[i].first), int(xs[i + 1].first));
    }
  }
}

}  // namespace gdi

static HRGN NewRegion(TRegion r) {
  auto o = std::make_shared<TRegionObj>();
  o->Kind = TKind::Region;
  o->Rgn = std::move(r);
  return static_cast<HRGN>(AddObject(o));
}

static TRect Normal(int l, int t, int r, int b) {
  if (r < l) std::swap(l, r);
  if (b < t) std::swap(t, b);
  return {l, t, r, b};
}

HRGN CreateRectRgn(int left, int top, int right, int bottom) {
  return NewRegion(TRegion(Normal(left, top, right, bottom)));
}

HRGN CreateRectRgnIndirect(const RECT* rc) {
  return rc ? CreateRectRgn(rc->Left, rc->Top, rc->Right, rc->Bottom) : CreateRectRgn(0, 0, 0, 0);
}

// Curved regions hold a rectangle per row; more rows than this are refused.
constexpr Int64 kMaxRegionRows = Int64(1) << 22;

HRGN CreateRoundRectRgn(int left, int top, int right, int bottom, int ew, int eh) {
  TRect r = Normal(left, top, right, bottom);
  if (!CoordOk(r) || Int64(r.Bottom) - r.Top > kMaxRegionRows) return nullptr;
  return NewRegion(RowsRegion(RoundRectRows(r.Left, r.Top, r.Right, r.Bottom, ew, eh)));
}

HRGN CreateEllipticRgn(int left, int top, int right, int bottom) {
  TRect r = Normal(left, top, right, bottom);
  if (!CoordOk(r) || Int64(r.Bottom) - r.Top > kMaxRegionRows) return nullptr;
  return NewRegion(RowsRegion(EllipseRows(r.Left, r.Top, r.Right, r.Bottom)));
}

HRGN CreateEllipticRgnIndirect(const RECT* rc) {
  return rc ? CreateEllipticRgn(rc->Left, rc->Top, rc->Right, rc->Bottom) : nullptr;
}

HRGN CreatePolygonRgn(const POINT* pts, int count, int fillMode) {
  return CreatePolyPolygonRgn(pts, &count, 1, fillMode);
}

HRGN CreatePolyPolygonRgn(const POINT* pts, const int* counts, int polyCount, int fillMode) {
  if (!pts || !counts || polyCount <= 0 || (fillMode != ALTERNATE && fillMode != WINDING)) return nullptr;
  Int64 total = 0, ymin = INT32_MAX, ymax = INT32_MIN;
  for (int i = 0; i < polyCount; ++i) {
    if (counts[i] < 0) return nullptr;
    total += counts[i];
  }
  for (Int64 i = 0; i < total; ++i) {
    if (!CoordOk(pts[i])) return nullptr;
    ymin = std::min<Int64>(ymin, pts[i].Y);
    ymax = std::max<Int64>(ymax, pts[i].Y);
  }
  if (ymax - ymin > kMaxRegionRows) return nullptr;
  TSpanList s;
  PolygonSpans(pts, counts, polyCount, fillMode, s);
  return NewRegion(s.Region());
}

int CombineRgn(HRGN dst, HRGN src1, HRGN src2, int mode) {
  auto d = LookupRgn(dst);
  auto a = LookupRgn(src1);
  if (!d || !a) return ERROR;
  if (mode == RGN_COPY) {
    TRegion r = a->Rgn;
    d->Rgn = std::move(r);
    return d->Rgn.Kind();
  }
  auto b = LookupRgn(src2);
  if (!b) return ERROR;
  TRegion r;
  switch (mode) {
    case RGN_AND: pixman_region32_intersect(r.get(), a->Rgn.mut(), b->Rgn.mut()); break;
    case RGN_OR: pixman_region32_union(r.get(), a->Rgn.mut(), b->Rgn.mut()); break;
    case RGN_DIFF: pixman_region32_subtract(r.get(), a->Rgn.mut(), b->Rgn.mut()); break;
    case RGN_XOR: {
      TRegion x, y;
      pixman_region32_subtract(x.get(), a->Rgn.mut(), b->Rgn.mut());
      pixman_region32_subtract(y.get(), b->Rgn.mut(), a->Rgn.mut());
      pixman_region32_union(r.get(), x.get(), y.get());
      break;
    }
    default: return ERROR;
  }
  d->Rgn = std::move(r);
  return d->Rgn.Kind();
}

BOOL EqualRgn(HRGN a, HRGN b) {
  auto x = LookupRgn(a);
  auto y = LookupRgn(b);
  if (!x || !y) return ERROR;
  return pixman_region32_equal(x->Rgn.mut(), y->Rgn.mut()) ? 1 : 0;
}

int OffsetRgn(HRGN rgn, int dx, int dy) {
  auto r = LookupRgn(rgn);
  if (!r) return ERROR;
  r->Rgn.Translate(dx, dy);
  return r->Rgn.Kind();
}

BOOL PtInRegion(HRGN rgn, int x, int y) {
  auto r = LookupRgn(rgn);
  if (!r) return 0;
  return pixman_region32_contains_point(r->Rgn.mut(), x, y, nullptr) ? 1 : 0;
}

BOOL RectInRegion(HRGN rgn, const RECT* rc) {
  auto r = LookupRgn(rgn);
  if (!r || !rc) return 0;
  TRect n = Normal(rc->Left, rc->Top, rc->Right, rc->Bottom);
  if (n.IsEmpty()) return 0;
  pixman_box32_t b{n.Left, n.Top, n.Right, n.Bottom};
  return pixman_region32_contains_rectangle(r->Rgn.mut(), &b) != PIXMAN_REGION_OUT ? 1 : 0;
}

int GetRgnBox(HRGN rgn, RECT* rc) {
  auto r = LookupRgn(rgn);
  if (!r || !rc) return ERROR;
  *rc = r->Rgn.Box();
  return r->Rgn.Kind();
}

BOOL SetRectRgn(HRGN rgn, int left, int top, int right, int bottom) {
  auto r = LookupRgn(rgn);
  if (!r) return 0;
  r->Rgn = TRegion(Normal(left, top, right, bottom));
  return 1;
}

DWORD GetRegionData(HRGN rgn, DWORD count, RGNDATA* data) {
  auto r = LookupRgn(rgn);
  if (!r) return 0;
  auto rects = r->Rgn.Rects();
  DWORD need = DWORD(sizeof(RGNDATAHEADER) + rects.size() * sizeof(RECT));
  if (!data) return need;
  if (count < need) return 0;
  RGNDATAHEADER h;
  h.dwSize = sizeof(RGNDATAHEADER);
  h.iType = RDH_RECTANGLES;
  h.nCount = DWORD(rects.size());
  h.nRgnSize = DWORD(rects.size() * sizeof(RECT));
  h.rcBound = r->Rgn.Box();
  std::memcpy(&data->rdh, &h, sizeof h);
  if (!rects.empty()) std::memcpy(data->Buffer, rects.data(), rects.size() * sizeof(RECT));
  return need;
}

HRGN ExtCreateRegion(const void* xform, DWORD count, const RGNDATA* data) {
  if (xform || !data || count < sizeof(RGNDATAHEADER)) return nullptr;
  RGNDATAHEADER h;
  std::memcpy(&h, &data->rdh, sizeof h);
  if (h.dwSize != sizeof(RGNDATAHEADER) || h.iType != RDH_RECTANGLES) return nullptr;
  if (UInt64(h.nCount) * sizeof(RECT) > UInt64(count) - sizeof(RGNDATAHEADER)) return nullptr;
  std::vector<pixman_box32_t> boxes;
  boxes.reserve(h.nCount);
  for (DWORD i = 0; i < h.nCount; ++i) {
    RECT rc;
    std::memcpy(&rc, data->Buffer + i * sizeof(RECT), sizeof rc);
    if (rc.IsEmpty()) continue;
    boxes.push_back({rc.Left, rc.Top, rc.Right, rc.Bottom});
  }
  return NewRegion(TRegion::FromRects(boxes));
}

const pixman_region32_t* GetRegionPixman(HRGN rgn) {
  auto r = LookupRgn(rgn);
  return r ? r->Rgn.get() : nullptr;
}

std::vector<TRect> GetRegionRects(HRGN rgn) {
  auto r = LookupRgn(rgn);
  return r ? r->Rgn.Rects() : std::vector<TRect>{};
}

BOOL SetRegionPixman(HRGN rgn, const pixman_region32_t* src) {
  auto r = LookupRgn(rgn);
  if (!r || !src) return 0;
  pixman_region32_copy(r->Rgn.get(), const_cast<pixman_region32_t*>(src));
  return 1;
}

}  // namespace vcl
