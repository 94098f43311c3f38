// Pattern fills against two peer rasterizers on the same shapes, on a
// 1024 x 1024 32-bit surface:
//   triangles  200 random triangles, each inside a 100-pixel box
//   star       a 200-point star spanning most of the surface
// each filled (non-zero) from a 64 x 64 pattern with an alpha channel,
// anchored at (13, 7):
//   pattern255  through TBitmapPolygonFiller, pattern master alpha 255
//   pattern128  the same at master alpha 128
//   sampler     through TSamplerFiller over a wrapping linear resampler of
//               the pattern; the sampler filler makes every sample opaque,
//               so the peers get the opaque pattern
// Peers: a repeating surface pattern (fill, or clip and paint_with_alpha for
// 128), and a pattern span generator over a wrapping accessor with
// renderer_scanline_aa (coverage halved by the rasterizer's gamma for 128).
// Each case runs five times; the fastest run counts. Prints shapes/s and one
// ratio line per case and peer (above 1: ours is faster).
#include <agg_gamma_functions.h>
#include <agg_image_accessors.h>
#include <agg_path_storage.h>
#include <agg_pixfmt_rgba.h>
#include <agg_rasterizer_scanline_aa.h>
#include <agg_renderer_base.h>
#include <agg_renderer_scanline.h>
#include <agg_rendering_buffer.h>
#include <agg_scanline_u.h>
#include <agg_span_allocator.h>
#include <agg_span_pattern_rgba.h>
#include <benchmark/benchmark.h>
#include <cairo.h>

#include <cmath>
#include <cstdio>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "bench/BestRate.h"
#include "graphics/raster/Pix32_Resamplers_qn.h"
#include "graphics/vector/Pix32_Polygons_qn.h"
#include "graphics/vector/Pix32_VectorUtils_qn.h"
#include "package/Quarn.h"

using namespace qn;

namespace {

constexpr int kSize = 1024, kPattern = 64, kOffsetX = 13, kOffsetY = 7;

using TScene = std::vector<TArrayOfFloatPoint>;

TScene Triangles() {
  std::mt19937 rng(11);
  std::uniform_real_distribution<float> c(50, kSize - 50), d(-50, 50);
  TScene s;
  for (int i = 0; i < 200; ++i) {
    const float x = c(rng), y = c(rng);
    s.push_back({{x + d(rng), y + d(rng)}, {x + d(rng), y + d(rng)}, {x + d(rng), y + d(rng)}});
  }
  return s;
}

TScene StarScene() { return {Star(TFloatPoint{512, 512}, 300.0f, 480.0f, 100)}; }

const std::map<std::string, TScene>& Scenes() {
  static const std::map<std::string, TScene> scenes = {{"triangles", Triangles()}, {"star", StarScene()}};
  return scenes;
}

// Soft discs on a clear ground, so that the alpha channel varies.
std::vector<TColor32> PatternPixels(bool Opaque) {
  std::vector<TColor32> p(size_t(kPattern) * kPattern);
  for (int y = 0; y < kPattern; ++y)
    for (int x = 0; x < kPattern; ++x) {
      const double dx = x - 31.5, dy = y - 31.5, r = std::sqrt(dx * dx + dy * dy);
      const int a = Opaque ? 255 : int(std::clamp(255.0 - r * 7.0, 40.0, 255.0));
      p[size_t(y) * kPattern + x] =
          (Cardinal(a) << 24) | (Cardinal(x * 4) << 16) | (Cardinal(y * 4) << 8) | Cardinal((x ^ y) * 4 & 0xFF);
    }
  return p;
}

enum class TMode { Pattern255, Pattern128, Sampler };

// ---- ours ----

struct TOurs {
  TCustomBitmap32 Bitmap, Pattern;
  TBitmapPolygonFiller PatternFiller;
  TSamplerFiller SamplerFiller;
  TCustomPolygonFiller* Filler;
  TOurs(TMode mode) {
    Bitmap.SetSize(kSize, kSize);
    Bitmap.Clear(0xFFFFFFFFu);
    Pattern.SetSize(kPattern, kPattern);
    const std::vector<TColor32> p = PatternPixels(false);
    std::copy(p.begin(), p.end(), Pattern.ScanLine(0));
    Pattern.SetDrawMode(TDrawMode::dmBlend);
    Pattern.SetWrapMode(TWrapMode::wmRepeat);
    Pattern.SetMasterAlpha(mode == TMode::Pattern128 ? 128 : 255);
    PatternFiller.SetPattern(&Pattern);
    PatternFiller.SetOffsetX(kOffsetX);
    PatternFiller.SetOffsetY(kOffsetY);
    // The bitmap owns its resampler.
    auto* r = new TLinearResampler(&Pattern);
    r->SetPixelAccessMode(TPixelAccessMode::pamWrap);
    SamplerFiller.SetSampler(r);
    Filler = mode == TMode::Sampler ? static_cast<TCustomPolygonFiller*>(&SamplerFiller) : &PatternFiller;
  }
  void Draw(const TScene& scene) {
    for (const auto& s : scene) PolygonFS(&Bitmap, s, Filler, TPolyFillMode::pfNonZero);
  }
  uint32_t* Bits() { return Bitmap.ScanLine(0); }
};

// ---- cairo ----

struct TCairo {
  cairo_surface_t* Surface;
  cairo_surface_t* PatternSurface;
  cairo_pattern_t* Source;
  cairo_t* Cr;
  std::vector<uint32_t> PatternData;
  double Alpha;
  TCairo(TMode mode) : Alpha(mode == TMode::Pattern128 ? 128.0 / 255.0 : 1.0) {
    Surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, kSize, kSize);
    Cr = cairo_create(Surface);
    cairo_set_source_rgb(Cr, 1, 1, 1);
    cairo_paint(Cr);
    // Premultiplied copy of the same pattern.
    for (TColor32 c : PatternPixels(mode == TMode::Sampler)) {
      const uint32_t a = c >> 24;
      auto pm = [&](int s) { return ((((c >> s) & 0xFF) * a + 127) / 255) << s; };
      PatternData.push_back((a << 24) | pm(16) | pm(8) | pm(0));
    }
    PatternSurface = cairo_image_surface_create_for_data(reinterpret_cast<unsigned char*>(PatternData.data()),
                                                         CAIRO_FORMAT_ARGB32, kPattern, kPattern, kPattern * 4);
    Source = cairo_pattern_create_for_surface(PatternSurface);
    cairo_pattern_set_extend(Source, CAIRO_EXTEND_REPEAT);
    cairo_pattern_set_filter(Source, CAIRO_FILTER_NEAREST);
    cairo_matrix_t m;
    cairo_matrix_init_translate(&m, -kOffsetX, -kOffsetY);
    cairo_pattern_set_matrix(Source, &m);
    cairo_set_source(Cr, Source);
    cairo_set_fill_rule(Cr, CAIRO_FILL_RULE_WINDING);
  }
  ~TCairo() {
    cairo_destroy(Cr);
    cairo_pattern_destroy(Source);
    cairo_surface_destroy(PatternSurface);
    cairo_surface_destroy(Surface);
  }
  void Draw(const TScene& scene) {
    for (const auto& s : scene) {
      cairo_move_to(Cr, s[0].X, s[0].Y);
      for (size_t i = 1; i < s.size(); ++i) cairo_line_to(Cr, s[i].X, s[i].Y);
      cairo_close_path(Cr);
      if (Alpha < 1) {
        cairo_clip(Cr);
        cairo_paint_with_alpha(Cr, Alpha);
        cairo_reset_clip(Cr);
      } else {
        cairo_fill(Cr);
      }
    }
    cairo_surface_flush(Surface);
  }
  uint32_t* Bits() { return reinterpret_cast<uint32_t*>(cairo_image_surface_get_data(Surface)); }
};

// ---- AGG ----

struct TAgg {
  using TPixFmt = agg::pixfmt_bgra32;
  using TAccessor = agg::image_accessor_wrap<TPixFmt, agg::wrap_mode_repeat, agg::wrap_mode_repeat>;
  using TSpanGen = agg::span_pattern_rgba<TAccessor>;
  std::vector<uint32_t> Pixels, PatternData;
  agg::rendering_buffer Buffer, PatternBuffer;
  TPixFmt PixFmt, PatternFmt;
  agg::renderer_base<TPixFmt> Base;
  TAccessor Accessor;
  TSpanGen SpanGen;
  agg::span_allocator<agg::rgba8> Alloc;
  agg::renderer_scanline_aa<agg::renderer_base<TPixFmt>, agg::span_allocator<agg::rgba8>, TSpanGen> Renderer;
  agg::rasterizer_scanline_aa<> Ras;
  agg::scanline_u8 Scanline;
  TAgg(TMode mode)
      : Pixels(size_t(kSize) * kSize, 0xFFFFFFFFu),
        PatternData(PatternPixels(mode == TMode::Sampler)),
        Buffer(reinterpret_cast<agg::int8u*>(Pixels.data()), kSize, kSize, kSize * 4),
        PatternBuffer(reinterpret_cast<agg::int8u*>(PatternData.data()), kPattern, kPattern, kPattern * 4),
        PixFmt(Buffer),
        PatternFmt(PatternBuffer),
        Base(PixFmt),
        Accessor(PatternFmt),
        // The generator reads the pattern at the pixel plus its offset.
        SpanGen(Accessor, kPattern - kOffsetX, kPattern - kOffsetY),
        Renderer(Base, Alloc, SpanGen) {
    Ras.filling_rule(agg::fill_non_zero);
    if (mode == TMode::Pattern128) Ras.gamma(agg::gamma_multiply(128.0 / 255.0));
  }
  void Draw(const TScene& scene) {
    for (const auto& s : scene) {
      agg::path_storage path;
      path.move_to(s[0].X, s[0].Y);
      for (size_t i = 1; i < s.size(); ++i) path.line_to(s[i].X, s[i].Y);
      path.close_polygon();
      Ras.reset();
      Ras.add_path(path);
      agg::render_scanlines(Ras, Scanline, Renderer);
    }
  }
  uint32_t* Bits() { return Pixels.data(); }
};

template <class Engine>
void Run(benchmark::State& st, const std::string& scene, TMode mode) {
  const TScene& s = Scenes().at(scene);
  Engine e(mode);
  for (auto _ : st) {
    e.Draw(s);
    benchmark::ClobberMemory();
  }
  st.counters["shapes/s"] = benchmark::Counter(double(st.iterations()) * s.size(), benchmark::Counter::kIsRate);
}

// How many pixels one pass changes: the engines should agree closely, or
// the comparison is not of the same work.
template <class Engine>
long Touched(const std::string& scene, TMode mode) {
  Engine e(mode);
  e.Draw(Scenes().at(scene));
  const uint32_t* p = e.Bits();
  long n = 0;
  for (size_t i = 0; i < size_t(kSize) * kSize; ++i) n += (p[i] & 0xFFFFFFu) != 0xFFFFFFu;
  return n;
}

struct TCase {
  const char* Name;
  const char* Scene;
  TMode Mode;
};

}  // namespace

int main(int argc, char** argv) {
  qn::Initialize();
  const TCase cases[] = {{"pattern255-triangles", "triangles", TMode::Pattern255},
                         {"pattern255-star", "star", TMode::Pattern255},
                         {"pattern128-triangles", "triangles", TMode::Pattern128},
                         {"pattern128-star", "star", TMode::Pattern128},
                         {"sampler-triangles", "triangles", TMode::Sampler},
                         {"sampler-star", "star", TMode::Sampler}};
  for (const TCase& c : cases) {
    const std::string n = c.Name, s = c.Scene;
    const TMode m = c.Mode;
    benchmark::RegisterBenchmark((n + "/ours").c_str(), [s, m](benchmark::State& st) { Run<TOurs>(st, s, m); })
        ->Repetitions(5);
    benchmark::RegisterBenchmark((n + "/cairo").c_str(), [s, m](benchmark::State& st) { Run<TCairo>(st, s, m); })
        ->Repetitions(5);
    benchmark::RegisterBenchmark((n + "/agg").c_str(), [s, m](benchmark::State& st) { Run<TAgg>(st, s, m); })
        ->Repetitions(5);
  }
  benchmark::Initialize(&argc, argv);
  BestRateReporter reporter("shapes/s");
  benchmark::RunSpecifiedBenchmarks(&reporter);
  for (const TCase& c : cases)
    std::printf("touched %s: ours %ld, cairo %ld, agg %ld pixels\n", c.Name, Touched<TOurs>(c.Scene, c.Mode),
                Touched<TCairo>(c.Scene, c.Mode), Touched<TAgg>(c.Scene, c.Mode));
  auto& r = reporter.rates;
  for (const TCase& c : cases) {
    const std::string n = c.Name;
    const double ours = r[n + "/ours"], cairo = r[n + "/cairo"], agg = r[n + "/agg"];
    if (ours <= 0) continue;  // filtered out
    if (cairo > 0) std::printf("ratio %s: %.2f (cairo)\n", c.Name, ours / cairo);
    if (agg > 0) std::printf("ratio %s: %.2f (agg)\n", c.Name, ours / agg);
  }
  qn::Finalize();
  return 0;
}
