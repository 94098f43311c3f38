// Vector paths against two peer rasterizers, on a 1024 x 1024 32-bit surface:
//   curves     500 random closed paths of cubic and quadratic curves, each
//              filled (even-odd) and then stroked 2 px wide (non-zero)
//   icons      50 icons of 20-40 commands (lines, cubics, quadratics) at
//              32-128 px, filled and stroked as the skin's path renderer
//              draws them
//   text       a 2,000-character paragraph in DejaVu Sans at 16 px, its
//              lines laid out alike, outlines filled (cairo only)
// Ours: TCanvas32 with a TSolidBrush and a TStrokeBrush. Peers: cairo's path
// calls (fill_preserve, stroke; text_path, fill) at default antialiasing,
// and AGG's path_storage through conv_curve (and conv_stroke) with a solid
// scanline renderer. Each case runs five times; the fastest run counts.
// Prints paths/s and one ratio line per case and peer (above 1: ours is
// faster).
#include <agg_conv_curve.h>
#include <agg_conv_stroke.h>
#include <agg_path_storage.h>
#include <agg_pixfmt_rgba.h>
#include <agg_rasterizer_scanline_aa.h>
#include <agg_renderer_base.h>
#include <agg_renderer_scanline.h>
#include <agg_rendering_buffer.h>
#include <agg_scanline_u.h>
#include <benchmark/benchmark.h>
#include <cairo.h>

#include <cmath>
#include <cstdio>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "bench/BestRate.h"
#include "graphics/raster/Pix32_qn_Bitmap32.h"
#include "graphics/vector/Pix32_Brushes_qn.h"
#include "graphics/vector/Pix32_Paths_qn.h"
#include "package/Quarn.h"
#include "platform/vcl/Graphics.h"

using namespace qn;

namespace {

constexpr int kSize = 1024, kTextPx = 16;
constexpr TColor32 kFill = 0xFF4080C0u, kStroke = 0xFF202020u;

// One path command: M, L, C (three points), Q (two points), Z.
struct TCmd {
  char Op;
  float P[6];
};
using TShape = std::vector<TCmd>;
using TScene = std::vector<TShape>;

TScene Curves() {
  std::mt19937 rng(7);
  std::uniform_real_distribution<float> c(60, kSize - 60), d(-60, 60);
  TScene s;
  for (int i = 0; i < 500; ++i) {
    const float x = c(rng), y = c(rng);
    TShape sh{{'M', {x + d(rng), y + d(rng)}}};
    for (int k = 0; k < 4; ++k) {
      if (rng() % 2)
        sh.push_back({'C', {x + d(rng), y + d(rng), x + d(rng), y + d(rng), x + d(rng), y + d(rng)}});
      else
        sh.push_back({'Q', {x + d(rng), y + d(rng), x + d(rng), y + d(rng)}});
    }
    sh.push_back({'Z', {}});
    s.push_back(sh);
  }
  return s;
}

// Icons on a grid: a few sub-paths per icon (a rounded body of curves and a
// glyph of lines and quadratics), 20-40 commands, scaled to 32-128 px.
TScene Icons() {
  std::mt19937 rng(3);
  std::uniform_real_distribution<float> u(0, 1);
  TScene s;
  for (int i = 0; i < 50; ++i) {
    const float size = 32 + 96 * u(rng), ox = float(i % 7) * 140 + 20, oy = float(i / 7) * 140 + 20;
    auto P = [&](float a, float b) { return std::pair{ox + a * size, oy + b * size}; };
    TShape sh;
    const int cmds = 20 + int(rng() % 21);
    while (int(sh.size()) < cmds) {
      const float cx = 0.2f + 0.6f * u(rng), cy = 0.2f + 0.6f * u(rng), r = 0.1f + 0.15f * u(rng);
      auto [mx, my] = P(cx + r, cy);
      sh.push_back({'M', {mx, my}});
      // A circle-ish loop of four cubics.
      const float k = 0.5523f * r;
      const float pts[4][6] = {{cx + r, cy + k, cx + k, cy + r, cx, cy + r},
                               {cx - k, cy + r, cx - r, cy + k, cx - r, cy},
                               {cx - r, cy - k, cx - k, cy - r, cx, cy - r},
                               {cx + k, cy - r, cx + r, cy - k, cx + r, cy}};
      for (auto& q : pts) {
        auto [a, b] = P(q[0], q[1]);
        auto [c2, d2] = P(q[2], q[3]);
        auto [e, f] = P(q[4], q[5]);
        sh.push_back({'C', {a, b, c2, d2, e, f}});
      }
      sh.push_back({'Z', {}});
      // A zig-zag of lines and quadratics.
      auto [sx, sy] = P(u(rng), u(rng));
      sh.push_back({'M', {sx, sy}});
      for (int k2 = 0; k2 < 4; ++k2) {
        auto [lx, ly] = P(u(rng), u(rng));
        if (k2 % 2) {
          auto [qx, qy] = P(u(rng), u(rng));
          sh.push_back({'Q', {qx, qy, lx, ly}});
        } else {
          sh.push_back({'L', {lx, ly}});
        }
      }
      sh.push_back({'Z', {}});
    }
    s.push_back(sh);
  }
  return s;
}

const std::map<std::string, TScene>& Scenes() {
  static const std::map<std::string, TScene> scenes = {{"curves", Curves()}, {"icons", Icons()}};
  return scenes;
}

// The paragraph, broken into lines of at most 110 characters at spaces, so
// every engine draws the same lines.
std::vector<std::string> Lines() {
  static const char* words[] = {"vector", "path", "glyph", "outline", "canvas", "brush", "stroke", "curve",
                                "quartz", "jumping", "fox", "lazy", "dog", "gradient", "filler", "Ag"};
  std::mt19937 rng(5);
  std::string all;
  while (all.size() < 2000) {
    if (!all.empty()) all += ' ';
    all += words[rng() % 16];
  }
  all.resize(2000);
  std::vector<std::string> lines;
  size_t at = 0;
  while (at < all.size()) {
    size_t end = std::min(all.size(), at + 110);
    if (end < all.size()) {
      const size_t sp = all.rfind(' ', end);
      if (sp != std::string::npos && sp > at) end = sp;
    }
    lines.push_back(all.substr(at, end - at));
    at = end + (end < all.size() && all[end] == ' ' ? 1 : 0);
  }
  return lines;
}

// ---- ours ----

struct TOurs {
  TBitmap32 Bitmap;
  TCanvas32 Canvas;
  String Text;
  TOurs() : Canvas(&Bitmap) {
    Bitmap.SetSize(kSize, kSize);
    Bitmap.Clear(0xFFFFFFFFu);
    auto* fill = static_cast<TSolidBrush*>(Canvas.Brushes()->Add(TSolidBrush::StaticClass()));
    fill->SetFillColor(kFill);
    auto* stroke = static_cast<TStrokeBrush*>(Canvas.Brushes()->Add(TStrokeBrush::StaticClass()));
    stroke->SetFillColor(kStroke);
    stroke->SetStrokeWidth(2);
    stroke->SetFillMode(TPolyFillMode::pfNonZero);
    Bitmap.Font()->SetName(u"DejaVu Sans");
    Bitmap.Font()->SetHeight(-kTextPx);
    for (const std::string& l : Lines()) {
      if (!Text.empty()) Text += u'\n';
      Text += FromUtf8(l);
    }
  }
  void Draw(const TScene& scene) {
    TFlattenedPath* p = Canvas.Path();
    for (const TShape& sh : scene) {
      p->BeginPath();
      for (const TCmd& c : sh) switch (c.Op) {
          case 'M': p->MoveTo(c.P[0], c.P[1]); break;
          case 'L': p->LineTo(c.P[0], c.P[1]); break;
          case 'C': p->CurveTo(c.P[0], c.P[1], c.P[2], c.P[3], c.P[4], c.P[5]); break;
          case 'Q': p->ConicTo(c.P[0], c.P[1], c.P[2], c.P[3]); break;
          case 'Z': p->ClosePath(); break;
        }
      p->EndPath();
    }
  }
  void DrawText() {
    // Only the fill: the stroke brush is hidden for text.
    Canvas.Brushes()->GetItem(1)->SetVisible(false);
    Canvas.RenderText(FloatRect(10, 10, kSize - 10, kSize - 10), Text, 0);
    Canvas.Brushes()->GetItem(1)->SetVisible(true);
  }
  uint32_t* Bits() { return Bitmap.ScanLine(0); }
};

// ---- cairo ----

struct TCairo {
  cairo_surface_t* Surface;
  cairo_t* Cr;
  std::vector<std::string> Text = Lines();
  TCairo() {
    Surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, kSize, kSize);
    Cr = cairo_create(Surface);
    cairo_set_source_rgb(Cr, 1, 1, 1);
    cairo_paint(Cr);
    cairo_set_line_width(Cr, 2);
    cairo_set_line_join(Cr, CAIRO_LINE_JOIN_MITER);
    cairo_set_miter_limit(Cr, 4);
    cairo_select_font_face(Cr, "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(Cr, kTextPx);
  }
  ~TCairo() {
    cairo_destroy(Cr);
    cairo_surface_destroy(Surface);
  }
  static void Rgb(cairo_t* cr, TColor32 c) {
    cairo_set_source_rgb(cr, ((c >> 16) & 0xFF) / 255.0, ((c >> 8) & 0xFF) / 255.0, (c & 0xFF) / 255.0);
  }
  void Draw(const TScene& scene) {
    for (const TShape& sh : scene) {
      double cx = 0, cy = 0;
      for (const TCmd& c : sh) switch (c.Op) {
          case 'M': cairo_move_to(Cr, cx = c.P[0], cy = c.P[1]); break;
          case 'L': cairo_line_to(Cr, cx = c.P[0], cy = c.P[1]); break;
          case 'C': cairo_curve_to(Cr, c.P[0], c.P[1], c.P[2], c.P[3], cx = c.P[4], cy = c.P[5]); break;
          case 'Q': {
            // The quadratic as its exact cubic.
            const double x1 = cx + 2.0 / 3 * (c.P[0] - cx), y1 = cy + 2.0 / 3 * (c.P[1] - cy);
            const double x2 = c.P[2] + 2.0 / 3 * (c.P[0] - c.P[2]), y2 = c.P[3] + 2.0 / 3 * (c.P[1] - c.P[3]);
            cairo_curve_to(Cr, x1, y1, x2, y2, cx = c.P[2], cy = c.P[3]);
            break;
          }
          case 'Z': cairo_close_path(Cr); break;
        }
      cairo_set_fill_rule(Cr, CAIRO_FILL_RULE_EVEN_ODD);
      Rgb(Cr, kFill);
      cairo_fill_preserve(Cr);
      Rgb(Cr, kStroke);
      cairo_stroke(Cr);
    }
    cairo_surface_flush(Surface);
  }
  void DrawText() {
    cairo_font_extents_t fe;
    cairo_font_extents(Cr, &fe);
    double y = 10 + fe.ascent;
    for (const std::string& l : Text) {
      cairo_move_to(Cr, 10, y);
      cairo_text_path(Cr, l.c_str());
      y += fe.height;
    }
    cairo_set_fill_rule(Cr, CAIRO_FILL_RULE_WINDING);
    Rgb(Cr, kFill);
    cairo_fill(Cr);
    cairo_surface_flush(Surface);
  }
  uint32_t* Bits() { return reinterpret_cast<uint32_t*>(cairo_image_surface_get_data(Surface)); }
};

// ---- AGG ----

struct TAgg {
  using TPixFmt = agg::pixfmt_bgra32;
  std::vector<uint32_t> Pixels;
  agg::rendering_buffer Buffer;
  TPixFmt PixFmt;
  agg::renderer_base<TPixFmt> Base;
  agg::renderer_scanline_aa_solid<agg::renderer_base<TPixFmt>> Solid;
  agg::rasterizer_scanline_aa<> Ras;
  agg::scanline_u8 Scanline;
  TAgg()
      : Pixels(size_t(kSize) * kSize, 0xFFFFFFFFu),
        Buffer(reinterpret_cast<agg::int8u*>(Pixels.data()), kSize, kSize, kSize * 4),
        PixFmt(Buffer),
        Base(PixFmt),
        Solid(Base) {}
  static agg::rgba8 Color(TColor32 c) {
    return agg::rgba8((c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF, c >> 24);
  }
  void Draw(const TScene& scene) {
    for (const TShape& sh : scene) {
      agg::path_storage path;
      for (const TCmd& c : sh) switch (c.Op) {
          case 'M': path.move_to(c.P[0], c.P[1]); break;
          case 'L': path.line_to(c.P[0], c.P[1]); break;
          case 'C': path.curve4(c.P[0], c.P[1], c.P[2], c.P[3], c.P[4], c.P[5]); break;
          case 'Q': path.curve3(c.P[0], c.P[1], c.P[2], c.P[3]); break;
          case 'Z': path.close_polygon(); break;
        }
      agg::conv_curve<agg::path_storage> curve(path);
      Ras.reset();
      Ras.filling_rule(agg::fill_even_odd);
      Ras.add_path(curve);
      Solid.color(Color(kFill));
      agg::render_scanlines(Ras, Scanline, Solid);
      agg::conv_stroke<agg::conv_curve<agg::path_storage>> stroke(curve);
      stroke.width(2);
      stroke.line_join(agg::miter_join);
      stroke.miter_limit(4);
      Ras.reset();
      Ras.filling_rule(agg::fill_non_zero);
      Ras.add_path(stroke);
      Solid.color(Color(kStroke));
      agg::render_scanlines(Ras, Scanline, Solid);
    }
  }
  uint32_t* Bits() { return Pixels.data(); }
};

template <class Engine>
void RunScene(benchmark::State& st, const std::string& scene) {
  const TScene& s = Scenes().at(scene);
  Engine e;
  for (auto _ : st) {
    e.Draw(s);
    benchmark::ClobberMemory();
  }
  st.counters["paths/s"] = benchmark::Counter(double(st.iterations()) * s.size(), benchmark::Counter::kIsRate);
}

template <class Engine>
void RunText(benchmark::State& st) {
  Engine e;
  for (auto _ : st) {
    e.DrawText();
    benchmark::ClobberMemory();
  }
  st.counters["paths/s"] = benchmark::Counter(double(st.iterations()), benchmark::Counter::kIsRate);
}

// How many pixels one pass changes: the engines should agree closely.
template <class Engine>
long Touched(const std::string& scene) {
  Engine e;
  if constexpr (requires { e.DrawText(); }) {
    if (scene == "text") {
      e.DrawText();
    } else {
      e.Draw(Scenes().at(scene));
    }
  } else {
    e.Draw(Scenes().at(scene));
  }
  const uint32_t* p = e.Bits();
  long n = 0;
  for (size_t i = 0; i < size_t(kSize) * kSize; ++i) n += (p[i] & 0xFFFFFFu) != 0xFFFFFFu;
  return n;
}

}  // namespace

int main(int argc, char** argv) {
  qn::Initialize();
  for (const char* s : {"curves", "icons"}) {
    const std::string n = s;
    benchmark::RegisterBenchmark((n + "/ours").c_str(), [n](benchmark::State& st) { RunScene<TOurs>(st, n); })
        ->Repetitions(5);
    benchmark::RegisterBenchmark((n + "/cairo").c_str(), [n](benchmark::State& st) { RunScene<TCairo>(st, n); })
        ->Repetitions(5);
    benchmark::RegisterBenchmark((n + "/agg").c_str(), [n](benchmark::State& st) { RunScene<TAgg>(st, n); })
        ->Repetitions(5);
  }
  benchmark::RegisterBenchmark("text/ours", [](benchmark::State& st) { RunText<TOurs>(st); })->Repetitions(5);
  benchmark::RegisterBenchmark("text/cairo", [](benchmark::State& st) { RunText<TCairo>(st); })->Repetitions(5);
  benchmark::Initialize(&argc, argv);
  BestRateReporter reporter("paths/s");
  benchmark::RunSpecifiedBenchmarks(&reporter);
  std::printf("touched curves: ours %ld, cairo %ld, agg %ld pixels\n", Touched<TOurs>("curves"),
              Touched<TCairo>("curves"), Touched<TAgg>("curves"));
  std::printf("touched icons: ours %ld, cairo %ld, agg %ld pixels\n", Touched<TOurs>("icons"),
              Touched<TCairo>("icons"), Touched<TAgg>("icons"));
  std::printf("touched text: ours %ld, cairo %ld pixels\n", Touched<TOurs>("text"), Touched<TCairo>("text"));
  auto& r = reporter.rates;
  for (const char* c : {"curves", "icons", "text"}) {
    const std::string n = c;
    const double ours = r[n + "/ours"], cairo = r[n + "/cairo"], agg = r[n + "/agg"];
    if (ours <= 0) continue;
    if (cairo > 0) std::printf("ratio %s: %.2f (cairo)\n", c, ours / cairo);
    if (agg > 0) std::printf("ratio %s: %.2f (agg)\n", c, ours / agg);
  }
  qn::Finalize();
  return 0;
}
