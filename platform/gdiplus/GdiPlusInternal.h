// Internal to platform/gdiplus: the objects behind the handles, the live
// object table, and the drawing core shared by the graphics, text and image
// units.
#pragma once

#include <cairo.h>

#include <cmath>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/gdiplus/GdiPlus.h"

namespace vcl::gdip {

enum class TKind : Byte { Graphics, Path, Brush, Pen, FontFamily, Font, StringFormat, Image };

struct TObj {
  explicit TObj(TKind k) : Kind(k) {}
  virtual ~TObj() = default;
  TKind Kind;
};

// One path segment; Cubic uses all three points.
struct TSeg {
  enum TType : Byte { Line, Cubic } Type = Line;
  GpPointF P[3];
};
struct TFigure {
  GpPointF Start;
  std::vector<TSeg> Segs;
  bool Closed = false;
};

struct TPathObj : TObj {
  TPathObj() : TObj(TKind::Path) {}
  GpFillMode FillMode = FillModeAlternate;
  std::vector<TFigure> Figures;
  // The last figure takes further lines and arcs until it is closed.
  bool Open = false;
  int PointCount() const;
};

struct TBrushObj : TObj {
  TBrushObj() : TObj(TKind::Brush) {}
  ARGB Color = 0;
};

struct TPenObj : TObj {
  TPenObj() : TObj(TKind::Pen) {}
  ARGB Color = 0;
  REAL Width = 1;
  GpUnit Unit = UnitWorld;
  GpLineJoin LineJoin = LineJoinMiter;
  REAL MiterLimit = 10;
};

struct TFontFamilyObj : TObj {
  TFontFamilyObj() : TObj(TKind::FontFamily) {}
  String Name;
};

struct TFontObj : TObj {
  TFontObj() : TObj(TKind::Font) {}
  String Family;
  REAL EmPixels = 0;
  INT Style = FontStyleRegular;
  GpUnit Unit = UnitPoint;
  REAL Size = 0;
};

struct TStringFormatObj : TObj {
  TStringFormatObj() : TObj(TKind::StringFormat) {}
  INT Flags = 0;
  LANGID Language = 0;
  StringAlignment Align = StringAlignmentNear;
  StringAlignment LineAlign = StringAlignmentNear;
};

struct TImageObj : TObj {
  TImageObj() : TObj(TKind::Image) {}
  ~TImageObj() override {
    if (Surface) cairo_surface_destroy(Surface);
  }
  Integer Width = 0, Height = 0;
  std::vector<uint32_t> Pixels;  // straight ARGB, top-down
  cairo_surface_t* Surface = nullptr;  // premultiplied copy for drawing
};

// One step of the clip: a path (a copy, in logical coordinates) combined
// with the clip so far. The clip starts unbounded; Replace starts it over.
struct TClipEntry {
  std::shared_ptr<TPathObj> Path;
  CombineMode Mode = CombineModeIntersect;
};

struct TGraphicsObj : TObj {
  TGraphicsObj() : TObj(TKind::Graphics) {}
  HDC DC = nullptr;
  SmoothingMode Smoothing = SmoothingModeDefault;
  InterpolationMode Interpolation = InterpolationModeBilinear;
  std::vector<TClipEntry> Clip;  // applied in order
};

// The live object table. Every entry point checks its handles here, so a
// stale or foreign pointer answers InvalidParameter instead of being used.
std::recursive_mutex& Lock();
bool Started();
void* Add(std::unique_ptr<TObj> obj);
TObj* Find(const void* h, TKind kind);
bool Remove(const void* h, TKind kind);
template <class T>
T* FindAs(const void* h, TKind kind) {
  return static_cast<T*>(Find(h, kind));
}

// Each entry point starts with this: the table lock, then the start-up check.
#define QN_GDIP_ENTER()                            \
  std::lock_guard qn_lock_(::vcl::gdip::Lock());   \
  if (!::vcl::gdip::Started()) return ::vcl::Status::GdiplusNotInitialized

inline bool Finite(double v) { return std::isfinite(v); }
inline bool SizeOk(double w, double h) { return Finite(w) && Finite(h) && w >= 0 && h >= 0; }

// Pixels per unit for pens and fonts; 0 for an unknown unit.
double UnitPixels(GpUnit unit, bool font);

bool Antialiased(SmoothingMode m);

// Draws onto the graphics' DC. Build adds the figure to the context's path
// in logical coordinates (the context already maps them, half-pixel offset
// included); Paint then fills or strokes it. ImageBox, when given, bounds
// what is painted (in logical coordinates) for operations that paint a
// source rather than a path.
struct TDrawOp {
  enum TMode { Fill, Stroke, PaintImage } Mode = Fill;
  bool AntiAlias = false;
  cairo_fill_rule_t FillRule = CAIRO_FILL_RULE_EVEN_ODD;
  ARGB Color = 0;
  // Stroke settings (device pixels).
  double LineWidth = 1;
  GpLineJoin Join = LineJoinMiter;
  double MiterLimit = 10;
  // PaintImage: the image placed on the rectangle, with the filter.
  TImageObj* Image = nullptr;
  GpRectF Rect;
  cairo_filter_t Filter = CAIRO_FILTER_BILINEAR;
  // An extra clip rectangle in logical coordinates (DrawString's layout box).
  bool HasClipRect = false;
  GpRectF ClipRect;
};
using TBuildFn = void (*)(cairo_t* cr, const void* ctx);
Status Draw(TGraphicsObj& g, const TDrawOp& op, TBuildFn build, const void* ctx);

// Appends a path to a cairo context (current transform applies).
void AppendPath(cairo_t* cr, const TPathObj& path);


}  // namespace vcl::gdip
