// Graphics over device contexts: the drawing core that moves the touched box
// between the DC's straight ARGB pixels and cairo, clipping, and the path,
// ellipse and image drawing calls.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>

#include "platform/gdi/GdiInternal.h"
#include "platform/gdiplus/GdiPlusInternal.h"

namespace vcl {

namespace gdip {

void AppendPath(cairo_t* cr, const TPathObj& path) {
  for (const auto& f : path.Figures) {
    cairo_move_to(cr, f.Start.X, f.Start.Y);
    for (const auto& s : f.Segs) {
      if (s.Type == TSeg::Cubic)
        cairo_curve_to(cr, s.P[0].X, s.P[0].Y, s.P[1].X, s.P[1].Y, s.P[2].X, s.P[2].Y);
      else
        cairo_line_to(cr, s.P[0].X, s.P[0].Y);
    }
    if (f.Closed) cairo_close_path(cr);
  }
}

namespace {

struct TVec {
  double X, Y;
};
TVec Sub(TVec a, TVec b) { return {a.X - b.X, a.Y - b.Y}; }
double Dot(TVec a, TVec b) { return a.X * b.X + a.Y * b.Y; }
double Len(TVec a) { return std::sqrt(Dot(a, a)); }

// The outer corners of a stroke whose joins are miters clipped at the limit,
// added as closed figures to fill over a bevel-joined stroke. Works on the
// flattened path, where a curve's inner vertices turn so little that their
// miters stay within the stroke's own round-off.
void AppendClippedMiters(cairo_t* cr, const cairo_path_t* flat, double h, double limit) {
  std::vector<std::vector<TVec>> polys;
  std::vector<bool> closed;
  for (int i = 0; i < flat->num_data; i += flat->data[i].header.length) {
    const cairo_path_data_t& d = flat->data[i];
    switch (d.header.type) {
      case CAIRO_PATH_MOVE_TO:
        polys.push_back({{(&d)[1].point.x, (&d)[1].point.y}});
        closed.push_back(false);
        break;
      case CAIRO_PATH_LINE_TO:
        if (polys.empty()) break;
        polys.back().push_back({(&d)[1].point.x, (&d)[1].point.y});
        break;
      case CAIRO_PATH_CLOSE_PATH:
        if (!closed.empty()) closed.back() = true;
        break;
      default: break;
    }
  }
  for (size_t k = 0; k < polys.size(); ++k) {
    std::vector<TVec> pts;
    for (const TVec& p : polys[k])
      if (pts.empty() || Len(Sub(p, pts.back())) > 1e-9) pts.push_back(p);
    if (closed[k] && pts.size() > 1 && Len(Sub(pts.front(), pts.back())) <= 1e-9) pts.pop_back();
    const size_t n = pts.size();
    if (n < 3 && !(closed[k] && n >= 2)) continue;
    for (size_t i = 0; i < n; ++i) {
      if (!closed[k] && (i == 0 || i == n - 1)) continue;
      const TVec prev = pts[(i + n - 1) % n], p = pts[i], next = pts[(i + 1) % n];
      TVec d1 = Sub(p, prev), d2 = Sub(next, p);
      const double l1 = Len(d1), l2 = Len(d2);
      d1 = {d1.X / l1, d1.Y / l1};
      d2 = {d2.X / l2, d2.Y / l2};
      const double cross = d1.X * d2.Y - d1.Y * d2.X, dot = Dot(d1, d2);
      if (std::abs(cross) < 1e-9 || dot <= -1 + 1e-9) continue;
      const double s = cross > 0 ? -1 : 1;
      const TVec n1{-d1.Y * s, d1.X * s}, n2{-d2.Y * s, d2.X * s};
      const TVec a{p.X + n1.X * h, p.Y + n1.Y * h}, b{p.X + n2.X * h, p.Y + n2.Y * h};
      const double ratio = std::sqrt(2 / (1 + dot));
      cairo_move_to(cr, p.X, p.Y);
      cairo_line_to(cr, a.X, a.Y);
      if (ratio <= limit) {
        cairo_line_to(cr, p.X + (n1.X + n2.X) * h / (1 + dot), p.Y + (n1.Y + n2.Y) * h / (1 + dot));
      } else {
        TVec u{n1.X + n2.X, n1.Y + n2.Y};
        const double ul = Len(u);
        u = {u.X / ul, u.Y / ul};
        const double lim = limit * h;
        const double t1 = (lim - Dot(Sub(a, p), u)) / Dot(d1, u);
        const double t2 = (lim - Dot(Sub(b, p), u)) / -Dot(d2, u);
        cairo_line_to(cr, a.X + d1.X * t1, a.Y + d1.Y * t1);
        cairo_line_to(cr, b.X - d2.X * t2, b.Y - d2.Y * t2);
      }
      cairo_line_to(cr, b.X, b.Y);
      cairo_close_path(cr);
    }
  }
}

void SetColor(cairo_t* cr, ARGB c) {
  cairo_set_source_rgba(cr, ((c >> 16) & 0xFF) / 255.0, ((c >> 8) & 0xFF) / 255.0, (c & 0xFF) / 255.0,
                        (c >> 24) / 255.0);
}

cairo_line_join_t CairoJoin(GpLineJoin j) {
  switch (j) {
    case LineJoinBevel: return CAIRO_LINE_JOIN_BEVEL;
    case LineJoinRound: return CAIRO_LINE_JOIN_ROUND;
    default: return CAIRO_LINE_JOIN_MITER;
  }
}

void SetStroke(cairo_t* cr, const TDrawOp& op) {
  cairo_set_line_width(cr, op.LineWidth);
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
  cairo_set_line_join(cr, CairoJoin(op.Join));
  cairo_set_miter_limit(cr, op.MiterLimit);
}

inline uint32_t Premultiply(uint32_t p) {
  const uint32_t a = p >> 24;
  if (a == 255) return p;
  if (a == 0) return 0;
  auto m = [a](uint32_t c) { return (c * a + 127) / 255; };
  return (a << 24) | (m((p >> 16) & 0xFF) << 16) | (m((p >> 8) & 0xFF) << 8) | m(p & 0xFF);
}

inline uint32_t Unpremultiply(uint32_t p) {
  const uint32_t a = p >> 24;
  if (a == 255) return p;
  if (a == 0) return 0;
  auto u = [a](uint32_t c) { return std::min<uint32_t>(255, (c * 255 + a / 2) / a); };
  return (a << 24) | (u((p >> 16) & 0xFF) << 16) | (u((p >> 8) & 0xFF) << 8) | u(p & 0xFF);
}

// Extents far outside any surface are cut before they reach integer maths.
double ClampCoord(double v) { return std::clamp(v, -1e8, 1e8); }

// The clip as coverage over a w x h box whose logical origin lies at (dx, dy):
// 255 inside, 0 outside, decided per pixel centre like every clip here.
cairo_surface_t* ClipMask(const TGraphicsObj& g, int w, int h, double dx, double dy) {
  cairo_surface_t* mask = cairo_image_surface_create(CAIRO_FORMAT_A8, w, h);
  cairo_t* m = cairo_create(mask);
  cairo_set_source_rgba(m, 0, 0, 0, 1);
  cairo_paint(m);
  cairo_surface_t* shape = cairo_image_surface_create(CAIRO_FORMAT_A8, w, h);
  for (const auto& c : g.Clip) {
    cairo_t* s = cairo_create(shape);
    cairo_set_operator(s, CAIRO_OPERATOR_CLEAR);
    cairo_paint(s);
    cairo_set_operator(s, CAIRO_OPERATOR_OVER);
    cairo_translate(s, dx, dy);
    cairo_set_antialias(s, CAIRO_ANTIALIAS_NONE);
    AppendPath(s, *c.Path);
    cairo_set_fill_rule(s, c.Path->FillMode == FillModeWinding ? CAIRO_FILL_RULE_WINDING : CAIRO_FILL_RULE_EVEN_ODD);
    cairo_set_source_rgba(s, 0, 0, 0, 1);
    cairo_fill(s);
    cairo_destroy(s);
    // With whole coverage only, the operators are the set operations:
    // IN and, OVER or, XOR, DEST_OUT and-not, OUT the path less the clip.
    cairo_operator_t o = CAIRO_OPERATOR_IN;
    switch (c.Mode) {
      case CombineModeUnion: o = CAIRO_OPERATOR_OVER; break;
      case CombineModeXor: o = CAIRO_OPERATOR_XOR; break;
      case CombineModeExclude: o = CAIRO_OPERATOR_DEST_OUT; break;
      case CombineModeComplement: o = CAIRO_OPERATOR_OUT; break;
      default: break;
    }
    cairo_set_operator(m, o);
    cairo_set_source_surface(m, shape, 0, 0);
    cairo_paint(m);
  }
  cairo_surface_destroy(shape);
  cairo_destroy(m);
  return mask;
}

}  // namespace

Status Draw(TGraphicsObj& g, const TDrawOp& op, TBuildFn build, const void* ctx) {
  gdi::TDrawScope scope(g.DC, true);
  if (!scope) return Status::Win32Error;
  TGdiSurface& surf = *scope.S;
  gdi::TDCObj& dc = *scope.DC;
  const TPoint off = dc.Offset();
  const double ox = off.X + 0.5, oy = off.Y + 0.5;

  // The box the operation can touch, in surface coordinates.
  double x1, y1, x2, y2;
  if (op.Mode == TDrawOp::PaintImage) {
    x1 = std::min<double>(op.Rect.X, op.Rect.X + op.Rect.Width) + off.X;
    x2 = std::max<double>(op.Rect.X, op.Rect.X + op.Rect.Width) + off.X;
    y1 = std::min<double>(op.Rect.Y, op.Rect.Y + op.Rect.Height) + off.Y;
    y2 = std::max<double>(op.Rect.Y, op.Rect.Y + op.Rect.Height) + off.Y;
  } else {
    cairo_surface_t* probe = cairo_image_surface_create(CAIRO_FORMAT_A8, 1, 1);
    cairo_t* m = cairo_create(probe);
    build(m, ctx);
    if (op.Mode == TDrawOp::Stroke) {
      SetStroke(m, op);
      cairo_set_line_join(m, CAIRO_LINE_JOIN_MITER);
      cairo_stroke_extents(m, &x1, &y1, &x2, &y2);
      // A clipped miter reaches out to the limit, beyond where a plain
      // miter would have turned into a bevel.
      if (op.Join == LineJoinMiterClipped) {
        const double reach = op.MiterLimit * op.LineWidth / 2;
        x1 -= reach, y1 -= reach, x2 += reach, y2 += reach;
      }
    } else {
      cairo_set_fill_rule(m, op.FillRule);
      cairo_fill_extents(m, &x1, &y1, &x2, &y2);
    }
    cairo_destroy(m);
    cairo_surface_destroy(probe);
    x1 += ox, x2 += ox, y1 += oy, y2 += oy;
  }
  if (op.HasClipRect) {
    x1 = std::max<double>(x1, op.ClipRect.X + ox - 0.5);
    y1 = std::max<double>(y1, op.ClipRect.Y + oy - 0.5);
    x2 = std::min<double>(x2, op.ClipRect.X + op.ClipRect.Width + ox + 0.5);
    y2 = std::min<double>(y2, op.ClipRect.Y + op.ClipRect.Height + oy + 0.5);
  }
  const gdi::TRegion& clip = dc.EffectiveClip();
  TRect box(int(std::floor(ClampCoord(x1))) - 1, int(std::floor(ClampCoord(y1))) - 1,
            int(std::ceil(ClampCoord(x2))) + 1, int(std::ceil(ClampCoord(y2))) + 1);
  const TRect cb = clip.Box();
  box = TRect(std::max(box.Left, cb.Left), std::max(box.Top, cb.Top), std::min(box.Right, cb.Right),
              std::min(box.Bottom, cb.Bottom));
  box = TRect(std::max(box.Left, 0), std::max(box.Top, 0), std::min(box.Right, surf.Width),
              std::min(box.Bottom, surf.Height));
  if (box.Right <= box.Left || box.Bottom <= box.Top) return Status::Ok;

  const int w = box.Right - box.Left, h = box.Bottom - box.Top;
  cairo_surface_t* tmp = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
  if (cairo_surface_status(tmp) != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(tmp);
    return Status::OutOfMemory;
  }
  // A window's pixels are opaque whatever their alpha byte says (GDI leaves
  // it at 0); a bitmap's are straight ARGB.
  const bool opaqueDest = !dc.Memory || surf.Monochrome;
  cairo_surface_flush(tmp);
  const int stride = cairo_image_surface_get_stride(tmp);
  Byte* data = cairo_image_surface_get_data(tmp);
  std::vector<uint32_t> before(size_t(w) * h);
  for (int y = 0; y < h; ++y) {
    const uint32_t* src = surf.Scanline(box.Top + y) + box.Left;
    auto* dst = reinterpret_cast<uint32_t*>(data + stride * y);
    for (int x = 0; x < w; ++x) {
      const uint32_t p = Premultiply(opaqueDest ? src[x] | 0xFF000000u : src[x]);
      dst[x] = p;
      before[size_t(y) * w + x] = p;
    }
  }
  cairo_surface_mark_dirty(tmp);

  cairo_t* cr = cairo_create(tmp);
  cairo_translate(cr, -box.Left, -box.Top);
  // The DC's clip region, whole pixels.
  cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
  {
    gdi::TRegion part(clip);
    part.IntersectRect(box);
    for (const TRect& r : part.Rects()) cairo_rectangle(cr, r.Left, r.Top, r.Right - r.Left, r.Bottom - r.Top);
    cairo_clip(cr);
  }
  cairo_translate(cr, ox, oy);
  // Intersections alone are cairo clips; any other combination is worked
  // out as a coverage mask over the box.
  const bool masked =
      std::any_of(g.Clip.begin(), g.Clip.end(), [](const TClipEntry& c) { return c.Mode != CombineModeIntersect; });
  cairo_surface_t* clipMask = masked ? ClipMask(g, w, h, -box.Left + ox, -box.Top + oy) : nullptr;
  if (!masked)
    for (const auto& c : g.Clip) {
      AppendPath(cr, *c.Path);
      cairo_set_fill_rule(cr, c.Path->FillMode == FillModeWinding ? CAIRO_FILL_RULE_WINDING : CAIRO_FILL_RULE_EVEN_ODD);
      cairo_clip(cr);
    }
  if (op.HasClipRect) {
    cairo_rectangle(cr, op.ClipRect.X, op.ClipRect.Y, op.ClipRect.Width, op.ClipRect.Height);
    cairo_clip(cr);
  }
  cairo_set_antialias(cr, op.AntiAlias ? CAIRO_ANTIALIAS_GRAY : CAIRO_ANTIALIAS_NONE);
  if (clipMask) cairo_push_group(cr);

  switch (op.Mode) {
    case TDrawOp::Fill:
      build(cr, ctx);
      SetColor(cr, op.Color);
      cairo_set_fill_rule(cr, op.FillRule);
      cairo_fill(cr);
      break;
    case TDrawOp::Stroke:
      SetStroke(cr, op);
      if (op.Join == LineJoinMiterClipped) {
        // One group, so the corners and the stroke overlap without adding up.
        cairo_push_group_with_content(cr, CAIRO_CONTENT_ALPHA);
        cairo_set_source_rgba(cr, 0, 0, 0, 1);
        build(cr, ctx);
        cairo_path_t* flat = cairo_copy_path_flat(cr);
        cairo_set_line_join(cr, CAIRO_LINE_JOIN_BEVEL);
        cairo_stroke(cr);
        AppendClippedMiters(cr, flat, op.LineWidth / 2, op.MiterLimit);
        cairo_path_destroy(flat);
        cairo_set_fill_rule(cr, CAIRO_FILL_RULE_WINDING);
        cairo_fill(cr);
        cairo_pattern_t* mask = cairo_pop_group(cr);
        SetColor(cr, op.Color);
        cairo_mask(cr, mask);
        cairo_pattern_destroy(mask);
      } else {
        build(cr, ctx);
        SetColor(cr, op.Color);
        cairo_stroke(cr);
      }
      break;
    case TDrawOp::PaintImage: {
      // Image edges sit on pixel edges, not centres.
      cairo_translate(cr, -0.5, -0.5);
      cairo_rectangle(cr, op.Rect.X, op.Rect.Y, op.Rect.Width, op.Rect.Height);
      cairo_pattern_t* pat = cairo_pattern_create_for_surface(op.Image->Surface);
      // The pattern's matrix maps user space onto the image's pixels.
      cairo_matrix_t m;
      cairo_matrix_init_scale(&m, op.Image->Width / double(op.Rect.Width), op.Image->Height / double(op.Rect.Height));
      cairo_matrix_translate(&m, -op.Rect.X, -op.Rect.Y);
      cairo_pattern_set_matrix(pat, &m);
      cairo_pattern_set_filter(pat, op.Filter);
      cairo_pattern_set_extend(pat, CAIRO_EXTEND_PAD);
      cairo_set_source(cr, pat);
      cairo_pattern_destroy(pat);
      cairo_fill(cr);
      break;
    }
  }
  if (clipMask) {
    cairo_pop_group_to_source(cr);
    cairo_identity_matrix(cr);
    cairo_mask_surface(cr, clipMask, 0, 0);
    cairo_surface_destroy(clipMask);
  }
  const cairo_status_t st = cairo_status(cr);
  cairo_destroy(cr);
  cairo_surface_flush(tmp);

  if (st == CAIRO_STATUS_SUCCESS) {
    for (int y = 0; y < h; ++y) {
      uint32_t* dst = surf.Scanline(box.Top + y) + box.Left;
      const auto* src = reinterpret_cast<const uint32_t*>(data + stride * y);
      for (int x = 0; x < w; ++x) {
        if (src[x] == before[size_t(y) * w + x]) continue;
        const uint32_t p = Unpremultiply(src[x]);
        dst[x] = surf.Monochrome ? gdi::MonoPixel(p) : opaqueDest ? (p | 0xFF000000u) : p;
      }
    }
  }
  cairo_surface_destroy(tmp);
  return st == CAIRO_STATUS_SUCCESS ? Status::Ok : st == CAIRO_STATUS_NO_MEMORY ? Status::OutOfMemory
                                                                                 : Status::GenericError;
}

}  // namespace gdip

using namespace gdip;

// ---------------------------------------------------------------------------
// Graphics

Status GdipCreateFromHDC(HDC hdc, GpGraphics** graphics) {
  QN_GDIP_ENTER();
  if (!hdc || !graphics) return Status::InvalidParameter;
  auto dc = gdi::LookupDC(hdc);
  if (!dc || !dc->Surface()) return Status::OutOfMemory;
  auto g = std::make_unique<TGraphicsObj>();
  g->DC = hdc;
  *graphics = static_cast<GpGraphics*>(Add(std::move(g)));
  return Status::Ok;
}

Status GdipDeleteGraphics(GpGraphics* graphics) {
  QN_GDIP_ENTER();
  return Remove(graphics, TKind::Graphics) ? Status::Ok : Status::InvalidParameter;
}

Status GdipSetSmoothingMode(GpGraphics* graphics, SmoothingMode mode) {
  QN_GDIP_ENTER();
  auto* g = FindAs<TGraphicsObj>(graphics, TKind::Graphics);
  if (!g || mode < SmoothingModeDefault || mode > 6) return Status::InvalidParameter;
  g->Smoothing = mode;
  return Status::Ok;
}

Status GdipGetSmoothingMode(GpGraphics* graphics, SmoothingMode* mode) {
  QN_GDIP_ENTER();
  auto* g = FindAs<TGraphicsObj>(graphics, TKind::Graphics);
  if (!g || !mode) return Status::InvalidParameter;
  *mode = g->Smoothing;
  return Status::Ok;
}

Status GdipSetInterpolationMode(GpGraphics* graphics, InterpolationMode mode) {
  QN_GDIP_ENTER();
  auto* g = FindAs<TGraphicsObj>(graphics, TKind::Graphics);
  if (!g || mode < InterpolationModeDefault || mode > InterpolationModeHighQualityBicubic)
    return Status::InvalidParameter;
  // Default and low quality are the platform's bilinear; high quality its
  // high-quality bicubic.
  g->Interpolation = mode == InterpolationModeDefault || mode == InterpolationModeLowQuality
                         ? InterpolationModeBilinear
                         : mode == InterpolationModeHighQuality ? InterpolationModeHighQualityBicubic : mode;
  return Status::Ok;
}

Status GdipGetInterpolationMode(GpGraphics* graphics, InterpolationMode* mode) {
  QN_GDIP_ENTER();
  auto* g = FindAs<TGraphicsObj>(graphics, TKind::Graphics);
  if (!g || !mode) return Status::InvalidParameter;
  *mode = g->Interpolation;
  return Status::Ok;
}

Status GdipSetClipPath(GpGraphics* graphics, GpPath* path, CombineMode mode) {
  QN_GDIP_ENTER();
  auto* g = FindAs<TGraphicsObj>(graphics, TKind::Graphics);
  auto* p = FindAs<TPathObj>(path, TKind::Path);
  if (!g || !p || mode < CombineModeReplace || mode > CombineModeComplement) return Status::InvalidParameter;
  // The clip keeps the path as it is now; later changes to the path do not move it.
  auto copy = std::make_shared<TPathObj>();
  copy->FillMode = p->FillMode;
  copy->Figures = p->Figures;
  if (mode == CombineModeReplace) g->Clip.clear();
  g->Clip.push_back({std::move(copy), mode == CombineModeReplace ? CombineModeIntersect : mode});
  return Status::Ok;
}

Status GdipResetClip(GpGraphics* graphics) {
  QN_GDIP_ENTER();
  auto* g = FindAs<TGraphicsObj>(graphics, TKind::Graphics);
  if (!g) return Status::InvalidParameter;
  g->Clip.clear();
  return Status::Ok;
}

// ---------------------------------------------------------------------------
// Paths and ellipses

namespace {

void BuildPath(cairo_t* cr, const void* ctx) { AppendPath(cr, *static_cast<const TPathObj*>(ctx)); }

TDrawOp FillOp(const TGraphicsObj& g, const TBrushObj& b, GpFillMode mode) {
  TDrawOp op;
  op.Mode = TDrawOp::Fill;
  op.AntiAlias = Antialiased(g.Smoothing);
  op.Color = b.Color;
  op.FillRule = mode == FillModeWinding ? CAIRO_FILL_RULE_WINDING : CAIRO_FILL_RULE_EVEN_ODD;
  return op;
}

TDrawOp StrokeOp(const TGraphicsObj& g, const TPenObj& p) {
  TDrawOp op;
  op.Mode = TDrawOp::Stroke;
  op.AntiAlias = Antialiased(g.Smoothing);
  op.Color = p.Color;
  op.LineWidth = std::max(1.0, p.Width * UnitPixels(p.Unit, false));
  op.Join = p.LineJoin;
  op.MiterLimit = p.MiterLimit;
  return op;
}

TPathObj EllipsePath(double x, double y, double w, double h) {
  TPathObj p;
  const double rx = w / 2, ry = h / 2, cx = x + rx, cy = y + ry;
  TFigure f{{REAL(cx + rx), REAL(cy)}, {}, true};
  // Four quarter arcs, as AddEllipse makes them.
  const double k = 4.0 / 3.0 * std::tan(std::numbers::pi / 8);
  for (int i = 0; i < 4; ++i) {
    const double a = i * std::numbers::pi / 2, b = a + std::numbers::pi / 2;
    const double ca = std::cos(a), sa = std::sin(a), cb = std::cos(b), sb = std::sin(b);
    TSeg s;
    s.Type = TSeg::Cubic;
    s.P[0] = {REAL(cx + rx * (ca - k * sa)), REAL(cy + ry * (sa + k * ca))};
    s.P[1] = {REAL(cx + rx * (cb + k * sb)), REAL(cy + ry * (sb - k * cb))};
    s.P[2] = {REAL(cx + rx * cb), REAL(cy + ry * sb)};
    f.Segs.push_back(s);
  }
  p.Figures.push_back(std::move(f));
  return p;
}

Status FillEllipse(GpGraphics* graphics, GpBrush* brush, double x, double y, double w, double h) {
  auto* g = FindAs<TGraphicsObj>(graphics, TKind::Graphics);
  auto* b = FindAs<TBrushObj>(brush, TKind::Brush);
  if (!g || !b || !Finite(x) || !Finite(y) || !SizeOk(w, h)) return Status::InvalidParameter;
  const TPathObj p = EllipsePath(x, y, w, h);
  return Draw(*g, FillOp(*g, *b, FillModeAlternate), BuildPath, &p);
}

Status DrawEllipse(GpGraphics* graphics, GpPen* pen, double x, double y, double w, double h) {
  auto* g = FindAs<TGraphicsObj>(graphics, TKind::Graphics);
  auto* p = FindAs<TPenObj>(pen, TKind::Pen);
  if (!g || !p || !Finite(x) || !Finite(y) || !SizeOk(w, h)) return Status::InvalidParameter;
  const TPathObj e = EllipsePath(x, y, w, h);
  return Draw(*g, StrokeOp(*g, *p), BuildPath, &e);
}

}  // namespace

Status GdipFillPath(GpGraphics* graphics, GpBrush* brush, GpPath* path) {
  QN_GDIP_ENTER();
  auto* g = FindAs<TGraphicsObj>(graphics, TKind::Graphics);
  auto* b = FindAs<TBrushObj>(brush, TKind::Brush);
  auto* p = FindAs<TPathObj>(path, TKind::Path);
  if (!g || !b || !p) return Status::InvalidParameter;
  return Draw(*g, FillOp(*g, *b, p->FillMode), BuildPath, p);
}

Status GdipDrawPath(GpGraphics* graphics, GpPen* pen, GpPath* path) {
  QN_GDIP_ENTER();
  auto* g = FindAs<TGraphicsObj>(graphics, TKind::Graphics);
  auto* pn = FindAs<TPenObj>(pen, TKind::Pen);
  auto* p = FindAs<TPathObj>(path, TKind::Path);
  if (!g || !pn || !p) return Status::InvalidParameter;
  return Draw(*g, StrokeOp(*g, *pn), BuildPath, p);
}

Status GdipFillEllipse(GpGraphics* graphics, GpBrush* brush, REAL x, REAL y, REAL width, REAL height) {
  QN_GDIP_ENTER();
  return FillEllipse(graphics, brush, x, y, width, height);
}
Status GdipFillEllipseI(GpGraphics* graphics, GpBrush* brush, INT x, INT y, INT width, INT height) {
  QN_GDIP_ENTER();
  return FillEllipse(graphics, brush, x, y, width, height);
}
Status GdipDrawEllipse(GpGraphics* graphics, GpPen* pen, REAL x, REAL y, REAL width, REAL height) {
  QN_GDIP_ENTER();
  return DrawEllipse(graphics, pen, x, y, width, height);
}
Status GdipDrawEllipseI(GpGraphics* graphics, GpPen* pen, INT x, INT y, INT width, INT height) {
  QN_GDIP_ENTER();
  return DrawEllipse(graphics, pen, x, y, width, height);
}

// ---------------------------------------------------------------------------
// Images

namespace {
Status DrawImage(GpGraphics* graphics, GpImage* image, double x, double y, double w, double h) {
  auto* g = FindAs<TGraphicsObj>(graphics, TKind::Graphics);
  auto* img = FindAs<TImageObj>(image, TKind::Image);
  if (!g || !img || !Finite(x) || !Finite(y) || !Finite(w) || !Finite(h)) return Status::InvalidParameter;
  if (w == 0 || h == 0 || img->Width == 0 || img->Height == 0) return Status::Ok;
  TDrawOp op;
  op.Mode = TDrawOp::PaintImage;
  op.AntiAlias = Antialiased(g->Smoothing);
  op.Image = img;
  op.Rect = {REAL(x), REAL(y), REAL(w), REAL(h)};
  switch (g->Interpolation) {
    case InterpolationModeNearestNeighbor: op.Filter = CAIRO_FILTER_NEAREST; break;
    case InterpolationModeBicubic:
    case InterpolationModeHighQualityBicubic: op.Filter = CAIRO_FILTER_BEST; break;
    case InterpolationModeHighQualityBilinear: op.Filter = CAIRO_FILTER_GOOD; break;
    default: op.Filter = CAIRO_FILTER_BILINEAR; break;
  }
  return Draw(*g, op, nullptr, nullptr);
}
}  // namespace

Status GdipDrawImage(GpGraphics* graphics, GpImage* image, REAL x, REAL y) {
  QN_GDIP_ENTER();
  auto* img = FindAs<TImageObj>(image, TKind::Image);
  if (!img) return Status::InvalidParameter;
  return DrawImage(graphics, image, x, y, img->Width, img->Height);
}
Status GdipDrawImageI(GpGraphics* graphics, GpImage* image, INT x, INT y) {
  QN_GDIP_ENTER();
  auto* img = FindAs<TImageObj>(image, TKind::Image);
  if (!img) return Status::InvalidParameter;
  return DrawImage(graphics, image, x, y, img->Width, img->Height);
}
Status GdipDrawImageRect(GpGraphics* graphics, GpImage* image, REAL x, REAL y, REAL width, REAL height) {
  QN_GDIP_ENTER();
  return DrawImage(graphics, image, x, y, width, height);
}
Status GdipDrawImageRectI(GpGraphics* graphics, GpImage* image, INT x, INT y, INT width, INT height) {
  QN_GDIP_ENTER();
  return DrawImage(graphics, image, x, y, width, height);
}

}  // namespace vcl
