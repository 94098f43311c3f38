// Anti-aliased polygon fills and strokes against two peer rasterizers on the
// same shapes, in one translucent colour on a 1024 x 1024 32-bit surface:
//   triangles  1,000 random triangles, each inside a 100-pixel box
//   circles    100 circles of 64 steps, radii 10 to 200
//   star-poly  a 5-pointed star and a 200-point random polygon spanning the
//              surface, each filled even-odd and non-zero
//   strokes    1,000 random 6-point polylines, alternately 1.5 and 5 wide,
//              round joins and butt ends
// Prints shapes/s per engine and one ratio line per case and peer (above 1:
// ours is faster).
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

#include "graphics/vector/Pix32_Polygons_qn.h"
#include "graphics/vector/Pix32_VectorUtils_qn.h"
#include "package/Quarn.h"

using namespace qn;

namespace {

constexpr int kSize = 1024;
// One colour with alpha: 0.2, 0.45, 0.8 at half opacity.
constexpr double kR = 0.2, kG = 0.45, kB = 0.8, kA = 0.5;
constexpr TColor32 kColor = 0x803373CCu;

struct TShape {
  TArrayOfFloatPoint Points;
  bool Stroke = false;
  float Width = 0;
  bool EvenOdd = false;
};

using TScene = std::vector<TShape>;

TScene Triangles() {
  std::mt19937 rng(1);
  std::uniform_real_distribution<float> c(50, kSize - 50), d(-50, 50);
  TScene s;
  for (int i = 0; i < 1000; ++i) {
    const float x = c(rng), y = c(rng);
    s.push_back({{{x + d(rng), y + d(rng)}, {x + d(rng), y + d(rng)}, {x + d(rng), y + d(rng)}}});
  }
  return s;
}

TScene Circles() {
  std::mt19937 rng(2);
  std::uniform_real_distribution<float> c(0, kSize), r(10, 200);
  TScene s;
  for (int i = 0; i < 100; ++i) s.push_back({Circle(c(rng), c(rng), r(rng), 64)});
  return s;
}

TScene StarPoly() {
  std::mt19937 rng(3);
  std::uniform_real_distribution<float> c(0, kSize);
  TArrayOfFloatPoint star;
  for (int i = 0; i < 5; ++i) {
    const double a = -M_PI / 2 + i * 4 * M_PI / 5;  // every second vertex: a self-crossing star
    star.push_back({float(512 + 450 * std::cos(a)), float(512 + 450 * std::sin(a))});
  }
  TArrayOfFloatPoint poly;
  for (int i = 0; i < 200; ++i) poly.push_back({c(rng), c(rng)});
  TScene s;
  for (bool eo : {true, false}) {
    s.push_back({star, false, 0, eo});
    s.push_back({poly, false, 0, eo});
  }
  return s;
}

TScene Strokes() {
  std::mt19937 rng(4);
  std::uniform_real_distribution<float> c(0, kSize), d(-60, 60);
  TScene s;
  for (int i = 0; i < 1000; ++i) {
    TArrayOfFloatPoint p{{c(rng), c(rng)}};
    for (int k = 1; k < 6; ++k) p.push_back({p.back().X + d(rng), p.back().Y + d(rng)});
    s.push_back({p, true, (i & 1) ? 5.0f : 1.5f});
  }
  return s;
}

const std::map<std::string, TScene>& Scenes() {
  static const std::map<std::string, TScene> scenes = {
      {"triangles", Triangles()}, {"circles", Circles()}, {"star-poly", StarPoly()}, {"strokes", Strokes()}};
  return scenes;
}

// ---- the three engines, each drawing a whole scene once ----

struct TOurs {
  TCustomBitmap32 Bitmap;
  TOurs() {
    Bitmap.SetSize(kSize, kSize);
    Bitmap.Clear(0xFFFFFFFFu);
  }
  void Draw(const TScene& scene) {
    for (const TShape& s : scene)
      if (s.Stroke)
        PolylineFS(&Bitmap, s.Points, kColor, false, s.Width, TJoinStyle::jsRound, TEndStyle::esButt);
      else
        PolygonFS(&Bitmap, s.Points, kColor, s.EvenOdd ? TPolyFillMode::pfEvenOdd : TPolyFillMode::pfNonZero);
  }
  uint32_t* Bits() { return Bitmap.ScanLine(0); }
};

struct TCairo {
  cairo_surface_t* Surface;
  cairo_t* Cr;
  TCairo() {
    Surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, kSize, kSize);
    Cr = cairo_create(Surface);
    cairo_set_source_rgb(Cr, 1, 1, 1);
    cairo_paint(Cr);
    cairo_set_source_rgba(Cr, kR, kG, kB, kA);
    cairo_set_line_join(Cr, CAIRO_LINE_JOIN_ROUND);
    cairo_set_line_cap(Cr, CAIRO_LINE_CAP_BUTT);
  }
  ~TCairo() {
    cairo_destroy(Cr);
    cairo_surface_destroy(Surface);
  }
  void Draw(const TScene& scene) {
    for (const TShape& s : scene) {
      cairo_move_to(Cr, s.Points[0].X, s.Points[0].Y);
      for (size_t i = 1; i < s.Points.size(); ++i) cairo_line_to(Cr, s.Points[i].X, s.Points[i].Y);
      if (s.Stroke) {
        cairo_set_line_width(Cr, s.Width);
        cairo_stroke(Cr);
      } else {
        cairo_close_path(Cr);
        cairo_set_fill_rule(Cr, s.EvenOdd ? CAIRO_FILL_RULE_EVEN_ODD : CAIRO_FILL_RULE_WINDING);
        cairo_fill(Cr);
      }
    }
    cairo_surface_flush(Surface);
  }
  uint32_t* Bits() { return reinterpret_cast<uint32_t*>(cairo_image_surface_get_data(Surface)); }
};

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
        Solid(Base) {
    Solid.color(agg::rgba(kR, kG, kB, kA));
  }
  void Draw(const TScene& scene) {
    for (const TShape& s : scene) {
      agg::path_storage path;
      path.move_to(s.Points[0].X, s.Points[0].Y);
      for (size_t i = 1; i < s.Points.size(); ++i) path.line_to(s.Points[i].X, s.Points[i].Y);
      Ras.reset();
      if (s.Stroke) {
        agg::conv_stroke<agg::path_storage> stroke(path);
        stroke.width(s.Width);
        stroke.line_join(agg::round_join);
        stroke.line_cap(agg::butt_cap);
        Ras.filling_rule(agg::fill_non_zero);
        Ras.add_path(stroke);
      } else {
        path.close_polygon();
        Ras.filling_rule(s.EvenOdd ? agg::fill_even_odd : agg::fill_non_zero);
        Ras.add_path(path);
      }
      agg::render_scanlines(Ras, Scanline, Solid);
    }
  }
  uint32_t* Bits() { return Pixels.data(); }
};

template <class Engine>
void Run(benchmark::State& st, const std::string& name) {
  const TScene& scene = Scenes().at(name);
  Engine e;
  for (auto _ : st) {
    e.Draw(scene);
    benchmark::ClobberMemory();
  }
  st.counters["shapes/s"] = benchmark::Counter(double(st.iterations()) * scene.size(), benchmark::Counter::kIsRate);
}

// How many pixels one pass changes: the engines should agree closely, or
// the comparison is not of the same work. (Translucent ink differs by
// design: our coverage and colour alpha go through the gamma table.)
template <class Engine>
long Touched(const std::string& name) {
  Engine e;
  e.Draw(Scenes().at(name));
  const uint32_t* p = e.Bits();
  long n = 0;
  for (size_t i = 0; i < size_t(kSize) * kSize; ++i) n += (p[i] & 0xFFFFFFu) != 0xFFFFFFu;
  return n;
}

class RateReporter : public benchmark::ConsoleReporter {
 public:
  std::map<std::string, double> rates;
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      auto it = run.counters.find("shapes/s");
      if (it != run.counters.end()) rates[run.benchmark_name()] = it->second.value;
    }
    ConsoleReporter::ReportRuns(runs);
  }
};

}  // namespace

int main(int argc, char** argv) {
  qn::Initialize();
  const char* cases[] = {"triangles", "circles", "star-poly", "strokes"};
  for (const char* c : cases) {
    const std::string n = c;
    benchmark::RegisterBenchmark((n + "/ours").c_str(), [n](benchmark::State& st) { Run<TOurs>(st, n); });
    benchmark::RegisterBenchmark((n + "/cairo").c_str(), [n](benchmark::State& st) { Run<TCairo>(st, n); });
    benchmark::RegisterBenchmark((n + "/agg").c_str(), [n](benchmark::State& st) { Run<TAgg>(st, n); });
  }
  benchmark::Initialize(&argc, argv);
  RateReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  for (const char* c : cases)
    std::printf("touched %s: ours %ld, cairo %ld, agg %ld pixels\n", c, Touched<TOurs>(c), Touched<TCairo>(c),
                Touched<TAgg>(c));
  auto& r = reporter.rates;
  for (const char* c : cases) {
    const std::string n = c;
    const double ours = r[n + "/ours"], cairo = r[n + "/cairo"], agg = r[n + "/agg"];
    if (ours <= 0) continue;  // filtered out
    if (cairo > 0) std::printf("ratio %s: %.2f (cairo)\n", c, ours / cairo);
    if (agg > 0) std::printf("ratio %s: %.2f (agg)\n", c, ours / agg);
  }
  qn::Finalize();
  return 0;
}
