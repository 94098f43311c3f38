// Gradient fills against two peer rasterizers on a 1024 x 1024 surface:
//   rect  the whole surface;  star  a 200-point star over most of it
// filled with a 4-stop gradient:
//   filler-{clamp,repeat,mirror}  TLinearGradientPolygonFiller (lookup table)
//   filler-slanted                the same in clamp along a diagonal axis,
//                                 where no two rows are alike
//   linear-sampler                TSamplerFiller over a TLinearGradientSampler
//   radial-sampler                TSamplerFiller over a TRadialGradientSampler
// Peers, with the same stops and extend modes: cairo linear and radial
// patterns (PAD, REPEAT, REFLECT); AGG span_gradient with gradient_x or
// gradient_circle over a 512-entry colour table. Fastest of five runs,
// taken in turns; prints fills/s and one ratio line per case and peer.
#include <agg_pixfmt_rgba.h>
#include <agg_rasterizer_scanline_aa.h>
#include <agg_renderer_base.h>
#include <agg_renderer_scanline.h>
#include <agg_rendering_buffer.h>
#include <agg_scanline_u.h>
#include <agg_span_allocator.h>
#include <agg_span_gradient.h>
#include <agg_span_interpolator_linear.h>
#include <benchmark/benchmark.h>
#include <cairo.h>

#include <cmath>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "graphics/vector/Pix32_ColorGradients_qn.h"
#include "graphics/vector/Pix32_Polygons_qn.h"
#include "graphics/vector/Pix32_VectorUtils_qn.h"
#include "package/Quarn.h"

using namespace qn;

namespace {

constexpr int kSize = 1024;
const TColor32 kStops[4] = {0xFFE04030u, 0xFFF0C040u, 0xFF30A060u, 0xFF3050C0u};
const float kOffsets[4] = {0.0f, 0.3f, 0.7f, 1.0f};
// Axis from (112, 0) to (912, 0) for linear (from (112, 112) to (912, 912)
// for the slanted filler), centre (512, 512) radius 400 for radial.
constexpr float kX0 = 112, kX1 = 912, kCx = 512, kCy = 512, kR = 400;

enum class TKind { FillerClamp, FillerRepeat, FillerMirror, FillerSlanted, LinearSampler, RadialSampler };
bool Slanted(TKind k) { return k == TKind::FillerSlanted; }

TArrayOfFloatPoint Shape(const std::string& s) {
  if (s == "rect") return {{0, 0}, {kSize, 0}, {kSize, kSize}, {0, kSize}};
  return Star(TFloatPoint{512, 512}, 300.0f, 480.0f, 100);
}

TWrapMode Wrap(TKind k) {
  return k == TKind::FillerRepeat ? TWrapMode::wmRepeat : k == TKind::FillerMirror ? TWrapMode::wmMirror
                                                                                   : TWrapMode::wmClamp;
}

struct TOurs {
  TCustomBitmap32 Bitmap;
  TColor32Gradient Gradient;
  TLinearGradientPolygonFiller Filler{&Gradient};
  TLinearGradientSampler Linear;
  TRadialGradientSampler Radial;
  TSamplerFiller Sampled;
  TCustomPolygonFiller* Use;
  explicit TOurs(TKind k) {
    Bitmap.SetSize(kSize, kSize);
    Bitmap.Clear(0xFFFFFFFFu);
    for (int i = 0; i < 4; ++i) Gradient.AddColorStop(kOffsets[i], kStops[i]);
    Filler.SetStartPoint({kX0, Slanted(k) ? kX0 : 0});
    Filler.SetEndPoint({kX1, Slanted(k) ? kX1 : 0});
    Filler.SetWrapMode(Wrap(k));
    Linear.SetGradient(&Gradient);
    Linear.SetPoints({kX0, 0}, {kX1, 0});
    Linear.SetWrapMode(TWrapMode::wmClamp);
    Radial.SetGradient(&Gradient);
    Radial.SetCenter({kCx, kCy});
    Radial.SetRadius(kR);
    Radial.SetWrapMode(TWrapMode::wmClamp);
    Sampled.SetSampler(k == TKind::RadialSampler ? static_cast<TCustomSampler*>(&Radial) : &Linear);
    Use = (k == TKind::LinearSampler || k == TKind::RadialSampler) ? static_cast<TCustomPolygonFiller*>(&Sampled)
                                                                  : &Filler;
  }
  void Draw(const TArrayOfFloatPoint& s) { PolygonFS(&Bitmap, s, Use, TPolyFillMode::pfNonZero); }
};

struct TCairo {
  cairo_surface_t* Surface;
  cairo_t* Cr;
  cairo_pattern_t* Pattern;
  explicit TCairo(TKind k) {
    Surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, kSize, kSize);
    Cr = cairo_create(Surface);
    Pattern = k == TKind::RadialSampler ? cairo_pattern_create_radial(kCx, kCy, 0, kCx, kCy, kR)
                                        : cairo_pattern_create_linear(kX0, Slanted(k) ? kX0 : 0, kX1, Slanted(k) ? kX1 : 0);
    for (int i = 0; i < 4; ++i) {
      const TColor32 c = kStops[i];
      cairo_pattern_add_color_stop_rgb(Pattern, kOffsets[i], ((c >> 16) & 0xFF) / 255.0, ((c >> 8) & 0xFF) / 255.0,
                                       (c & 0xFF) / 255.0);
    }
    cairo_pattern_set_extend(Pattern, k == TKind::FillerRepeat   ? CAIRO_EXTEND_REPEAT
                                      : k == TKind::FillerMirror ? CAIRO_EXTEND_REFLECT
                                                                 : CAIRO_EXTEND_PAD);
    cairo_set_source(Cr, Pattern);
    cairo_set_fill_rule(Cr, CAIRO_FILL_RULE_WINDING);
  }
  ~TCairo() {
    cairo_pattern_destroy(Pattern);
    cairo_destroy(Cr);
    cairo_surface_destroy(Surface);
  }
  void Draw(const TArrayOfFloatPoint& s) {
    cairo_move_to(Cr, s[0].X, s[0].Y);
    for (size_t i = 1; i < s.size(); ++i) cairo_line_to(Cr, s[i].X, s[i].Y);
    cairo_close_path(Cr);
    cairo_fill(Cr);
    cairo_surface_flush(Surface);
  }
};

// A 512-entry colour table for AGG's span_gradient.
struct TAggLut {
  std::vector<agg::rgba8> C;
  TAggLut() {
    TColor32Gradient g;
    for (int i = 0; i < 4; ++i) g.AddColorStop(kOffsets[i], kStops[i]);
    std::vector<TColor32> t(512);
    g.FillColorLookUpTable(t.data(), 512);
    for (TColor32 c : t) C.emplace_back((c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF, c >> 24);
  }
  static unsigned size() { return 512; }
  const agg::rgba8& operator[](unsigned i) const { return C[i]; }
};

// Gradient functions that repeat and reflect along x.
struct TRepeatX {
  static int calculate(int x, int, int d) {
    const int m = x % d;
    return m < 0 ? m + d : m;
  }
};
struct TReflectX {
  static int calculate(int x, int, int d) {
    int m = x % (2 * d);
    if (m < 0) m += 2 * d;
    return m < d ? m : 2 * d - 1 - m;
  }
};

struct TAgg {
  using TPixFmt = agg::pixfmt_bgra32;
  std::vector<uint32_t> Pixels;
  agg::rendering_buffer Buffer;
  TPixFmt PixFmt;
  agg::renderer_base<TPixFmt> Base;
  agg::rasterizer_scanline_aa<> Ras;
  agg::scanline_u8 Scanline;
  agg::span_allocator<agg::rgba8> Alloc;
  TAggLut Lut;
  TKind Kind;
  explicit TAgg(TKind k)
      : Pixels(size_t(kSize) * kSize, 0xFFFFFFFFu),
        Buffer(reinterpret_cast<agg::int8u*>(Pixels.data()), kSize, kSize, kSize * 4),
        PixFmt(Buffer),
        Base(PixFmt),
        Kind(k) {}
  template <class F>
  void Render(const TArrayOfFloatPoint& s, agg::trans_affine m, float d1, float d2) {
    using TInterp = agg::span_interpolator_linear<>;
    using TGen = agg::span_gradient<agg::rgba8, TInterp, F, TAggLut>;
    m.invert();
    TInterp interp(m);
    F f;
    TGen gen(interp, f, Lut, d1, d2);
    Ras.reset();
    Ras.move_to_d(s[0].X, s[0].Y);
    for (size_t i = 1; i < s.size(); ++i) Ras.line_to_d(s[i].X, s[i].Y);
    agg::render_scanlines_aa(Ras, Scanline, Base, Alloc, gen);
  }
  void Draw(const TArrayOfFloatPoint& s) {
    switch (Kind) {
      case TKind::RadialSampler:
        Render<agg::gradient_circle>(s, agg::trans_affine_translation(kCx, kCy), 0, kR);
        break;
      case TKind::FillerRepeat:
        Render<TRepeatX>(s, agg::trans_affine_translation(kX0, 0), 0, kX1 - kX0);
        break;
      case TKind::FillerMirror:
        Render<TReflectX>(s, agg::trans_affine_translation(kX0, 0), 0, kX1 - kX0);
        break;
      case TKind::FillerSlanted:
        Render<agg::gradient_x>(s, agg::trans_affine_rotation(std::atan2(1.0, 1.0)) * agg::trans_affine_translation(kX0, kX0),
                                0, (kX1 - kX0) * std::sqrt(2.0f));
        break;
      default:
        Render<agg::gradient_x>(s, agg::trans_affine_translation(kX0, 0), 0, kX1 - kX0);
        break;
    }
  }
};

template <class Engine>
void Run(benchmark::State& st, const std::string& shape, TKind k) {
  const TArrayOfFloatPoint s = Shape(shape);
  Engine e(k);
  for (auto _ : st) {
    e.Draw(s);
    benchmark::ClobberMemory();
  }
  st.counters["fills/s"] = benchmark::Counter(double(st.iterations()), benchmark::Counter::kIsRate);
}

class BestRateReporter : public benchmark::ConsoleReporter {
 public:
  std::map<std::string, double> rates;
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (run.run_type != Run::RT_Iteration) continue;
      auto it = run.counters.find("fills/s");
      if (it == run.counters.end()) continue;
      double& best = rates[run.run_name.function_name];
      best = std::max(best, it->second.value);
    }
    ConsoleReporter::ReportRuns(runs);
  }
};

}  // namespace

int main(int argc, char** argv) {
  qn::Initialize();
  const std::pair<const char*, TKind> kinds[] = {{"filler-clamp", TKind::FillerClamp},
                                                 {"filler-repeat", TKind::FillerRepeat},
                                                 {"filler-mirror", TKind::FillerMirror},
                                                 {"filler-slanted", TKind::FillerSlanted},
                                                 {"linear-sampler", TKind::LinearSampler},
                                                 {"radial-sampler", TKind::RadialSampler}};
  std::vector<std::string> cases;
  for (const char* shape : {"rect", "star"})
    for (const auto& [name, kind] : kinds) {
      const std::string n = std::string(name) + "-" + shape, s = shape;
      const TKind k = kind;
      cases.push_back(n);
      // The five runs of the three take turns, so a change in the load of a
      // shared machine falls on all of them alike; the rect fills are bound
      // by memory, where such a change shows most.
      for (int Round = 0; Round < 5; ++Round) {
        benchmark::RegisterBenchmark((n + "/ours").c_str(), [s, k](benchmark::State& st) { Run<TOurs>(st, s, k); });
        benchmark::RegisterBenchmark((n + "/cairo").c_str(), [s, k](benchmark::State& st) { Run<TCairo>(st, s, k); });
        benchmark::RegisterBenchmark((n + "/agg").c_str(), [s, k](benchmark::State& st) { Run<TAgg>(st, s, k); });
      }
    }
  benchmark::Initialize(&argc, argv);
  BestRateReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  auto& r = reporter.rates;
  for (const std::string& n : cases) {
    const double ours = r[n + "/ours"], cairo = r[n + "/cairo"], agg = r[n + "/agg"];
    if (ours <= 0) continue;
    if (cairo > 0) std::printf("ratio %s: %.2f (cairo)\n", n.c_str(), ours / cairo);
    if (agg > 0) std::printf("ratio %s: %.2f (agg)\n", n.c_str(), ours / agg);
  }
  qn::Finalize();
  return 0;
}
