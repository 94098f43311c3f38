// Start-up, the live object table, status names, paths, brushes and pens.
#include <algorithm>
#include <cmath>
#include <map>
#include <numbers>

#include "platform/gdiplus/GdiPlusInternal.h"

namespace vcl {

namespace gdip {

namespace {
struct TTable {
  std::map<const void*, std::unique_ptr<TObj>> Objects;
  int StartCount = 0;
  ULONG_PTR NextToken = 1;
  std::vector<ULONG_PTR> Tokens;
};
TTable& Table() {
  static TTable t;
  return t;
}
}  // namespace

std::recursive_mutex& Lock() {
  static std::recursive_mutex m;
  return m;
}

bool Started() { return Table().StartCount > 0; }

void* Add(std::unique_ptr<TObj> obj) {
  void* h = obj.get();
  Table().Objects.emplace(h, std::move(obj));
  return h;
}

TObj* Find(const void* h, TKind kind) {
  if (!h) return nullptr;
  auto& objs = Table().Objects;
  auto it = objs.find(h);
  if (it == objs.end() || it->second->Kind != kind) return nullptr;
  return it->second.get();
}

bool Remove(const void* h, TKind kind) {
  if (!Find(h, kind)) return false;
  Table().Objects.erase(h);
  return true;
}

int TPathObj::PointCount() const {
  int n = 0;
  for (const auto& f : Figures) {
    n += 1;
    for (const auto& s : f.Segs) n += s.Type == TSeg::Cubic ? 3 : 1;
  }
  return n;
}

double UnitPixels(GpUnit unit, bool font) {
  switch (unit) {
    case UnitWorld:
    case UnitPixel: return 1.0;
    case UnitDisplay: return font ? 0.0 : 1.0;
    case UnitPoint: return 96.0 / 72.0;
    case UnitInch: return 96.0;
    case UnitDocument: return 96.0 / 300.0;
    case UnitMillimeter: return 96.0 / 25.4;
    default: return 0.0;
  }
}

bool Antialiased(SmoothingMode m) {
  return m == SmoothingModeHighQuality || m == SmoothingModeAntiAlias || m == SmoothingModeAntiAlias8x8 || m == 6;
}

}  // namespace gdip

using namespace gdip;

const char16_t* StatusName(Status s) {
  static const char16_t* const names[] = {
      u"Ok", u"GenericError", u"InvalidParameter", u"OutOfMemory", u"ObjectBusy", u"InsufficientBuffer",
      u"NotImplemented", u"Win32Error", u"WrongState", u"Aborted", u"FileNotFound", u"ValueOverflow",
      u"AccessDenied", u"UnknownImageFormat", u"FontFamilyNotFound", u"FontStyleNotFound", u"NotTrueTypeFont",
      u"UnsupportedGdiplusVersion", u"GdiplusNotInitialized", u"PropertyNotFound", u"PropertyNotSupported",
      u"ProfileNotFound"};
  const auto i = static_cast<Integer>(s);
  return i >= 0 && i < Integer(std::size(names)) ? names[i] : u"Unknown";
}

// ---------------------------------------------------------------------------
// Start-up

Status GdiplusStartup(ULONG_PTR* token, const GdiplusStartupInput* input, GdiplusStartupOutput* output) {
  std::lock_guard lock(Lock());
  if (!token || !input) return Status::InvalidParameter;
  if (input->GdiplusVersion != 1) return Status::UnsupportedGdiplusVersion;
  // Without a background thread the caller must call the hooks; there is no
  // thread here, so the hooks are left empty and need not be called.
  if (output) *output = GdiplusStartupOutput{};
  auto& t = Table();
  *token = t.NextToken++;
  t.Tokens.push_back(*token);
  ++t.StartCount;
  return Status::Ok;
}

void GdiplusShutdown(ULONG_PTR token) {
  std::lock_guard lock(Lock());
  auto& t = Table();
  auto it = std::find(t.Tokens.begin(), t.Tokens.end(), token);
  if (it == t.Tokens.end()) return;
  t.Tokens.erase(it);
  if (--t.StartCount == 0) t.Objects.clear();
}

int LiveGraphicsObjectCount() {
  std::lock_guard lock(Lock());
  return int(Table().Objects.size());
}

// ---------------------------------------------------------------------------
// Paths

namespace {

TFigure& OpenFigure(TPathObj& p, const GpPointF& start) {
  if (!p.Open || p.Figures.empty()) {
    p.Figures.push_back(TFigure{start, {}, false});
    p.Open = true;
  } else {
    // Joined to the figure's last point by a straight line.
    TFigure& f = p.Figures.back();
    const GpPointF last = f.Segs.empty() ? f.Start : (f.Segs.back().Type == TSeg::Cubic ? f.Segs.back().P[2] : f.Segs.back().P[0]);
    if (last.X != start.X || last.Y != start.Y) f.Segs.push_back(TSeg{TSeg::Line, {start}});
  }
  return p.Figures.back();
}

// Cubic pieces of an elliptic arc, at most a quarter turn each. Angles are
// the ellipse's parameter in radians.
void ArcCubics(double cx, double cy, double rx, double ry, double t0, double t1, std::vector<TSeg>& out) {
  const double span = t1 - t0;
  const int n = std::max(1, int(std::ceil(std::abs(span) / (std::numbers::pi / 2) - 1e-9)));
  const double d = span / n;
  const double k = 4.0 / 3.0 * std::tan(d / 4);
  for (int i = 0; i < n; ++i) {
    const double a = t0 + d * i, b = a + d;
    const double ca = std::cos(a), sa = std::sin(a), cb = std::cos(b), sb = std::sin(b);
    TSeg s;
    s.Type = TSeg::Cubic;
    s.P[0] = {REAL(cx + rx * (ca - k * sa)), REAL(cy + ry * (sa + k * ca))};
    s.P[1] = {REAL(cx + rx * (cb + k * sb)), REAL(cy + ry * (sb - k * cb))};
    s.P[2] = {REAL(cx + rx * cb), REAL(cy + ry * sb)};
    out.push_back(s);
  }
}

// The ellipse's parameter of the point at polar angle `deg` (degrees,
// clockwise with y down), continued across turns so sweeps stay monotonic.
double PolarToParam(double rx, double ry, double deg) {
  const double a = deg * std::numbers::pi / 180;
  const double turns = std::floor(a / (2 * std::numbers::pi));
  const double r = a - turns * 2 * std::numbers::pi;  // 0 .. 2 pi
  double t = std::atan2(rx * std::sin(r), ry * std::cos(r));
  if (t < 0) t += 2 * std::numbers::pi;
  // Keep t on the same side of the turn as r (atan2 can wrap near 2 pi).
  if (r > std::numbers::pi * 1.5 && t < std::numbers::pi / 2) t += 2 * std::numbers::pi;
  if (r < std::numbers::pi / 2 && t > std::numbers::pi * 1.5) t -= 2 * std::numbers::pi;
  return t + turns * 2 * std::numbers::pi;
}

Status AddArc(GpPath* path, double x, double y, double w, double h, double start, double sweep) {
  auto* p = FindAs<TPathObj>(path, TKind::Path);
  if (!p || !Finite(x) || !Finite(y) || !SizeOk(w, h) || !Finite(start) || !Finite(sweep))
    return Status::InvalidParameter;
  // A degenerate ellipse has no arc to add.
  if (w == 0 || h == 0) return Status::InvalidParameter;
  sweep = std::clamp(sweep, -360.0, 360.0);
  const double rx = w / 2, ry = h / 2, cx = x + rx, cy = y + ry;
  const double t0 = PolarToParam(rx, ry, start);
  double t1 = PolarToParam(rx, ry, start + sweep);
  if (std::abs(sweep) >= 360) t1 = t0 + (sweep > 0 ? 2 : -2) * std::numbers::pi;
  const GpPointF first{REAL(cx + rx * std::cos(t0)), REAL(cy + ry * std::sin(t0))};
  TFigure& f = OpenFigure(*p, first);
  if (sweep != 0) ArcCubics(cx, cy, rx, ry, t0, t1, f.Segs);
  return Status::Ok;
}

Status AddEllipse(GpPath* path, double x, double y, double w, double h) {
  auto* p = FindAs<TPathObj>(path, TKind::Path);
  if (!p || !Finite(x) || !Finite(y) || !SizeOk(w, h)) return Status::InvalidParameter;
  const double rx = w / 2, ry = h / 2, cx = x + rx, cy = y + ry;
  TFigure f{{REAL(cx + rx), REAL(cy)}, {}, true};
  ArcCubics(cx, cy, rx, ry, 0, 2 * std::numbers::pi, f.Segs);
  p->Figures.push_back(std::move(f));
  p->Open = false;
  return Status::Ok;
}

Status AddRectangle(GpPath* path, double x, double y, double w, double h) {
  auto* p = FindAs<TPathObj>(path, TKind::Path);
  if (!p || !Finite(x) || !Finite(y) || !SizeOk(w, h)) return Status::InvalidParameter;
  // The platform adds nothing for an empty rectangle.
  if (w == 0 || h == 0) return Status::Ok;
  TFigure f{{REAL(x), REAL(y)}, {}, true};
  f.Segs.push_back(TSeg{TSeg::Line, {{REAL(x + w), REAL(y)}}});
  f.Segs.push_back(TSeg{TSeg::Line, {{REAL(x + w), REAL(y + h)}}});
  f.Segs.push_back(TSeg{TSeg::Line, {{REAL(x), REAL(y + h)}}});
  p->Figures.push_back(std::move(f));
  p->Open = false;
  return Status::Ok;
}

Status AddLine(GpPath* path, double x1, double y1, double x2, double y2) {
  auto* p = FindAs<TPathObj>(path, TKind::Path);
  if (!p || !Finite(x1) || !Finite(y1) || !Finite(x2) || !Finite(y2)) return Status::InvalidParameter;
  TFigure& f = OpenFigure(*p, {REAL(x1), REAL(y1)});
  f.Segs.push_back(TSeg{TSeg::Line, {{REAL(x2), REAL(y2)}}});
  return Status::Ok;
}

}  // namespace

Status GdipCreatePath(GpFillMode fillMode, GpPath** path) {
  QN_GDIP_ENTER();
  if (!path || (fillMode != FillModeAlternate && fillMode != FillModeWinding)) return Status::InvalidParameter;
  auto p = std::make_unique<TPathObj>();
  p->FillMode = fillMode;
  *path = static_cast<GpPath*>(Add(std::move(p)));
  return Status::Ok;
}

Status GdipDeletePath(GpPath* path) {
  QN_GDIP_ENTER();
  return Remove(path, TKind::Path) ? Status::Ok : Status::InvalidParameter;
}

Status GdipResetPath(GpPath* path) {
  QN_GDIP_ENTER();
  auto* p = FindAs<TPathObj>(path, TKind::Path);
  if (!p) return Status::InvalidParameter;
  p->Figures.clear();
  p->Open = false;
  // Resetting also returns the fill mode to alternate, as the platform does.
  p->FillMode = FillModeAlternate;
  return Status::Ok;
}

Status GdipGetPointCount(GpPath* path, INT* count) {
  QN_GDIP_ENTER();
  auto* p = FindAs<TPathObj>(path, TKind::Path);
  if (!p || !count) return Status::InvalidParameter;
  *count = p->PointCount();
  return Status::Ok;
}

Status GdipAddPathLine(GpPath* path, REAL x1, REAL y1, REAL x2, REAL y2) {
  QN_GDIP_ENTER();
  return AddLine(path, x1, y1, x2, y2);
}
Status GdipAddPathLineI(GpPath* path, INT x1, INT y1, INT x2, INT y2) {
  QN_GDIP_ENTER();
  return AddLine(path, x1, y1, x2, y2);
}
Status GdipAddPathArc(GpPath* path, REAL x, REAL y, REAL width, REAL height, REAL startAngle, REAL sweepAngle) {
  QN_GDIP_ENTER();
  return AddArc(path, x, y, width, height, startAngle, sweepAngle);
}
Status GdipAddPathArcI(GpPath* path, INT x, INT y, INT width, INT height, REAL startAngle, REAL sweepAngle) {
  QN_GDIP_ENTER();
  return AddArc(path, x, y, width, height, startAngle, sweepAngle);
}
Status GdipAddPathEllipse(GpPath* path, REAL x, REAL y, REAL width, REAL height) {
  QN_GDIP_ENTER();
  return AddEllipse(path, x, y, width, height);
}
Status GdipAddPathEllipseI(GpPath* path, INT x, INT y, INT width, INT height) {
  QN_GDIP_ENTER();
  return AddEllipse(path, x, y, width, height);
}
Status GdipAddPathRectangle(GpPath* path, REAL x, REAL y, REAL width, REAL height) {
  QN_GDIP_ENTER();
  return AddRectangle(path, x, y, width, height);
}
Status GdipAddPathRectangleI(GpPath* path, INT x, INT y, INT width, INT height) {
  QN_GDIP_ENTER();
  return AddRectangle(path, x, y, width, height);
}

Status GdipClosePathFigure(GpPath* path) {
  QN_GDIP_ENTER();
  auto* p = FindAs<TPathObj>(path, TKind::Path);
  if (!p) return Status::InvalidParameter;
  if (p->Open && !p->Figures.empty()) p->Figures.back().Closed = true;
  p->Open = false;
  return Status::Ok;
}

Status GdipSetPathFillMode(GpPath* path, GpFillMode fillMode) {
  QN_GDIP_ENTER();
  auto* p = FindAs<TPathObj>(path, TKind::Path);
  if (!p || (fillMode != FillModeAlternate && fillMode != FillModeWinding)) return Status::InvalidParameter;
  p->FillMode = fillMode;
  return Status::Ok;
}

Status GdipGetPathFillMode(GpPath* path, GpFillMode* fillMode) {
  QN_GDIP_ENTER();
  auto* p = FindAs<TPathObj>(path, TKind::Path);
  if (!p || !fillMode) return Status::InvalidParameter;
  *fillMode = p->FillMode;
  return Status::Ok;
}

// ---------------------------------------------------------------------------
// Brushes

Status GdipCreateSolidFill(ARGB color, GpSolidFill** brush) {
  QN_GDIP_ENTER();
  if (!brush) return Status::InvalidParameter;
  auto b = std::make_unique<TBrushObj>();
  b->Color = color;
  *brush = static_cast<GpSolidFill*>(Add(std::move(b)));
  return Status::Ok;
}

Status GdipSetSolidFillColor(GpSolidFill* brush, ARGB color) {
  QN_GDIP_ENTER();
  auto* b = FindAs<TBrushObj>(brush, TKind::Brush);
  if (!b) return Status::InvalidParameter;
  b->Color = color;
  return Status::Ok;
}

Status GdipGetSolidFillColor(GpSolidFill* brush, ARGB* color) {
  QN_GDIP_ENTER();
  auto* b = FindAs<TBrushObj>(brush, TKind::Brush);
  if (!b || !color) return Status::InvalidParameter;
  *color = b->Color;
  return Status::Ok;
}

Status GdipDeleteBrush(GpBrush* brush) {
  QN_GDIP_ENTER();
  return Remove(brush, TKind::Brush) ? Status::Ok : Status::InvalidParameter;
}

// ---------------------------------------------------------------------------
// Pens

namespace {
Status NewPen(ARGB color, REAL width, GpUnit unit, GpPen** pen) {
  if (!pen || !Finite(width) || width < 0 || UnitPixels(unit, false) == 0 || unit == UnitDisplay)
    return Status::InvalidParameter;
  auto p = std::make_unique<TPenObj>();
  p->Color = color;
  p->Width = width;
  p->Unit = unit;
  *pen = static_cast<GpPen*>(Add(std::move(p)));
  return Status::Ok;
}
}  // namespace

Status GdipCreatePen1(ARGB color, REAL width, GpUnit unit, GpPen** pen) {
  QN_GDIP_ENTER();
  return NewPen(color, width, unit, pen);
}

Status GdipCreatePen2(GpBrush* brush, REAL width, GpUnit unit, GpPen** pen) {
  QN_GDIP_ENTER();
  auto* b = FindAs<TBrushObj>(brush, TKind::Brush);
  if (!b) return Status::InvalidParameter;
  // Solid fills are the only brushes: the pen paints the brush's colour as
  // it is now.
  return NewPen(b->Color, width, unit, pen);
}

Status GdipDeletePen(GpPen* pen) {
  QN_GDIP_ENTER();
  return Remove(pen, TKind::Pen) ? Status::Ok : Status::InvalidParameter;
}

Status GdipSetPenWidth(GpPen* pen, REAL width) {
  QN_GDIP_ENTER();
  auto* p = FindAs<TPenObj>(pen, TKind::Pen);
  if (!p || !Finite(width) || width < 0) return Status::InvalidParameter;
  p->Width = width;
  return Status::Ok;
}

Status GdipGetPenWidth(GpPen* pen, REAL* width) {
  QN_GDIP_ENTER();
  auto* p = FindAs<TPenObj>(pen, TKind::Pen);
  if (!p || !width) return Status::InvalidParameter;
  *width = p->Width;
  return Status::Ok;
}

Status GdipSetPenColor(GpPen* pen, ARGB color) {
  QN_GDIP_ENTER();
  auto* p = FindAs<TPenObj>(pen, TKind::Pen);
  if (!p) return Status::InvalidParameter;
  p->Color = color;
  return Status::Ok;
}

Status GdipGetPenColor(GpPen* pen, ARGB* color) {
  QN_GDIP_ENTER();
  auto* p = FindAs<TPenObj>(pen, TKind::Pen);
  if (!p || !color) return Status::InvalidParameter;
  *color = p->Color;
  return Status::Ok;
}

Status GdipSetPenLineJoin(GpPen* pen, GpLineJoin lineJoin) {
  QN_GDIP_ENTER();
  auto* p = FindAs<TPenObj>(pen, TKind::Pen);
  if (!p || lineJoin < LineJoinMiter || lineJoin > LineJoinMiterClipped) return Status::InvalidParameter;
  p->LineJoin = lineJoin;
  return Status::Ok;
}

Status GdipGetPenLineJoin(GpPen* pen, GpLineJoin* lineJoin) {
  QN_GDIP_ENTER();
  auto* p = FindAs<TPenObj>(pen, TKind::Pen);
  if (!p || !lineJoin) return Status::InvalidParameter;
  *lineJoin = p->LineJoin;
  return Status::Ok;
}

}  // namespace vcl

namespace vcl {

Status GdipSetPenMiterLimit(GpPen* pen, REAL miterLimit) {
  QN_GDIP_ENTER();
  auto* p = gdip::FindAs<gdip::TPenObj>(pen, gdip::TKind::Pen);
  if (!p || !gdip::Finite(miterLimit)) return Status::InvalidParameter;
  p->MiterLimit = std::max(1.0f, miterLimit);
  return Status::Ok;
}

Status GdipGetPenMiterLimit(GpPen* pen, REAL* miterLimit) {
  QN_GDIP_ENTER();
  auto* p = gdip::FindAs<gdip::TPenObj>(pen, gdip::TKind::Pen);
  if (!p || !miterLimit) return Status::InvalidParameter;
  *miterLimit = p->MiterLimit;
  return Status::Ok;
}

}  // namespace vcl
