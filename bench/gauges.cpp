// One full repaint of each gauge against cairo drawing the same dial in the
// same process:
//   circleprogress-frame  180 x 180: track, value arc (round ends), dot,
//                         number and caption
//   speedometer-frame     326 x 326, the needle mid-glide: track, end marks,
//                         eleven labels, value arc (butt ends) and the needle
//                         filled with a linear gradient
// Cairo strokes the same arcs with the same widths and ends, writes the
// labels in the same face and fills the needle with a linear pattern. Fastest
// of five runs taken in turns; prints frames/s and one ratio line per case.
#include <benchmark/benchmark.h>
#include <cairo.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "bench/BestRate.h"
#include "package/Quarn.h"
#include "skin/extended/uQuarnCircleProgress.h"
#include "skin/extended/uQuarnSpeedometer.h"

using namespace qn;

namespace {

constexpr TColor32 kBack = 0xFFF0F0F0u;

class TBenchCircle : public TQuarnCircleProgress {
 public:
  using TQuarnCircleProgress::TQuarnCircleProgress;
  void Frame(TBitmap32* B) {
    B->Clear(kBack);
    DrawBody(B);
  }
};

class TBenchSpeedometer : public TQuarnSpeedometer {
 public:
  using TQuarnSpeedometer::TQuarnSpeedometer;
  // Part-way through a glide from 20 to 80.
  void Glide() {
    SetValue(20);
    SetActiveAnimate(true);
    SetValue(80);
    for (int i = 0; i < 6; ++i) DoTimer(nullptr);
    FTimer->SetEnabled(false);
  }
  void Frame(TBitmap32* B) {
    B->Clear(kBack);
    DrawBody(B);
  }
};

void Rgb(cairo_t* cr, TColor32 C) {
  cairo_set_source_rgb(cr, ((C >> 16) & 0xFF) / 255.0, ((C >> 8) & 0xFF) / 255.0, (C & 0xFF) / 255.0);
}

// Degrees clockwise on screen from three o'clock, as cairo measures them.
double Rad(double Deg) { return Deg * M_PI / 180.0; }

void CairoCircle(cairo_t* cr, double StartAngle) {
  const int W = 180, T = 14, D = W - T - 11;
  const double C = W / 2.0, R = D / 2.0;
  cairo_set_source_rgb(cr, 0xF0 / 255.0, 0xF0 / 255.0, 0xF0 / 255.0);
  cairo_paint(cr);
  cairo_set_line_width(cr, T);
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
  Rgb(cr, GaugeColor32(static_cast<TColor>(0x008FE6FF)));
  cairo_new_path(cr);
  cairo_arc(cr, C, C, R, Rad(-359), 0);
  cairo_stroke(cr);
  // The value arc clockwise from twelve.
  const double Sweep = 359 - StartAngle;
  Rgb(cr, GaugeColor32(static_cast<TColor>(0x00F5A542)));
  cairo_new_path(cr);
  cairo_arc(cr, C, C, R, Rad(-89), Rad(-89 + Sweep));
  cairo_stroke(cr);
  cairo_set_source_rgb(cr, 1, 1, 1);
  cairo_new_path(cr);
  cairo_arc(cr, C + R * std::cos(Rad(-90 + Sweep)), C + R * std::sin(Rad(-90 + Sweep)), 0.58 * T / 2, 0, 2 * M_PI);
  cairo_fill(cr);
  cairo_select_font_face(cr, "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
  cairo_set_source_rgb(cr, 0x48 / 255.0, 0x48 / 255.0, 0x48 / 255.0);
  cairo_set_font_size(cr, 36);
  cairo_text_extents_t E;
  cairo_text_extents(cr, "50", &E);
  cairo_move_to(cr, (W - E.x_advance - 15) / 2, C + 13);
  cairo_show_text(cr, "50");
  cairo_set_font_size(cr, 15);
  cairo_show_text(cr, "%");
}

void CairoSpeedometer(cairo_t* cr, double StartAngle) {
  const int W = 326, T = 23, D = W - T - 18, R0 = D / 2;
  const double C = W / 2.0, R = D / 2.0;
  cairo_set_source_rgb(cr, 0xF0 / 255.0, 0xF0 / 255.0, 0xF0 / 255.0);
  cairo_paint(cr);
  const TColor32 Normal = GaugeColor32(static_cast<TColor>(0x008FE6FF));
  const TColor32 Progress = GaugeColor32(static_cast<TColor>(0x00F5A542));
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
  auto Arc = [&](double Radius, double From, double To, double Width, TColor32 Col) {
    // From/To counter-clockwise before the dial is turned by 60 clockwise.
    Rgb(cr, Col);
    cairo_set_line_width(cr, Width);
    cairo_new_path(cr);
    cairo_arc(cr, C, C, Radius, Rad(-To + 60), Rad(-From + 60));
    cairo_stroke(cr);
  };
  Arc(R, 0, 300, T, Normal);
  const double Rm = R - T / 1.7;
  Arc(Rm, -0.12, 4, T / 2.0, Normal);
  Arc(Rm, 296, 300.12, T / 2.0, Progress);
  cairo_select_font_face(cr, "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
  cairo_set_font_size(cr, 15);
  cairo_text_extents_t E;
  cairo_text_extents(cr, "100", &E);
  const double L = E.x_advance;
  for (int I = 1; I <= 12; ++I) {
    if (I == 6) continue;
    const int K = I <= 5 ? I + 5 : I - 7;
    const std::string Text = std::to_string(K * 10);
    const double Th = Rad((I - 1) * 30.0 - 60.0);
    cairo_text_extents(cr, Text.c_str(), &E);
    if (K * 10 <= 80) Rgb(cr, Progress);
    else cairo_set_source_rgb(cr, 0x48 / 255.0, 0x48 / 255.0, 0x48 / 255.0);
    cairo_move_to(cr, std::cos(Th) * (R0 - L) + C - E.x_advance / 2,
                  std::sin(Th) * (R0 - L) + C + 5 - ((I == 5 || I == 7) ? T / 2.0 : 0));
    cairo_show_text(cr, Text.c_str());
  }
  Arc(R, StartAngle, 300, T, Progress);
  // The needle: a bar from the centre, turned to the value.
  const double A = Rad(90 + (300 - StartAngle) + 30), Len = R0 * 2.0 / 3.0, Hw = 7.5;
  const double Dx = std::cos(A), Dy = std::sin(A);
  cairo_new_path(cr);
  cairo_move_to(cr, C - Dy * Hw, C + Dx * Hw);
  cairo_line_to(cr, C + Dy * Hw, C - Dx * Hw);
  cairo_line_to(cr, C + Dx * Len + Dy * Hw, C + Dy * Len - Dx * Hw);
  cairo_line_to(cr, C + Dx * Len - Dy * Hw, C + Dy * Len + Dx * Hw);
  cairo_close_path(cr);
  cairo_pattern_t* G = cairo_pattern_create_linear(C, C, C + Dx * Len, C + Dy * Len);
  cairo_pattern_add_color_stop_rgb(G, 0.2, 1.0, 0xA3 / 255.0, 0xD8 / 255.0);
  cairo_pattern_add_color_stop_rgb(G, 0.8, 0x42 / 255.0, 0xA5 / 255.0, 0xF5 / 255.0);
  cairo_pattern_set_extend(G, CAIRO_EXTEND_PAD);
  cairo_set_source(cr, G);
  cairo_fill(cr);
  cairo_pattern_destroy(G);
}

void RunCircle(benchmark::State& St, bool Ours) {
  if (Ours) {
    TBenchCircle G(nullptr);
    TBitmap32 B;
    B.SetSize(180, 180);
    for (auto _ : St) {
      G.Frame(&B);
      benchmark::DoNotOptimize(B.GetPixel(90, 10));
    }
  } else {
    cairo_surface_t* S = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 180, 180);
    cairo_t* cr = cairo_create(S);
    for (auto _ : St) {
      CairoCircle(cr, 179.5);
      cairo_surface_flush(S);
      benchmark::DoNotOptimize(cairo_image_surface_get_data(S));
    }
    cairo_destroy(cr);
    cairo_surface_destroy(S);
  }
  St.counters["frames/s"] = benchmark::Counter(double(St.iterations()), benchmark::Counter::kIsRate);
}

void RunSpeedometer(benchmark::State& St, bool Ours) {
  if (Ours) {
    TBenchSpeedometer G(nullptr);
    G.Glide();
    TBitmap32 B;
    B.SetSize(326, 326);
    for (auto _ : St) {
      G.Frame(&B);
      benchmark::DoNotOptimize(B.GetPixel(163, 10));
    }
  } else {
    TBenchSpeedometer G(nullptr);
    G.Glide();
    const double Angle = G.StartAngle();
    cairo_surface_t* S = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 326, 326);
    cairo_t* cr = cairo_create(S);
    for (auto _ : St) {
      CairoSpeedometer(cr, Angle);
      cairo_surface_flush(S);
      benchmark::DoNotOptimize(cairo_image_surface_get_data(S));
    }
    cairo_destroy(cr);
    cairo_surface_destroy(S);
  }
  St.counters["frames/s"] = benchmark::Counter(double(St.iterations()), benchmark::Counter::kIsRate);
}

}  // namespace

int main(int argc, char** argv) {
  qn::Initialize();
  const std::vector<std::string> Cases = {"circleprogress-frame", "speedometer-frame"};
  for (int Round = 0; Round < 5; ++Round) {
    benchmark::RegisterBenchmark("circleprogress-frame/ours", [](benchmark::State& S) { RunCircle(S, true); });
    benchmark::RegisterBenchmark("circleprogress-frame/cairo", [](benchmark::State& S) { RunCircle(S, false); });
    benchmark::RegisterBenchmark("speedometer-frame/ours", [](benchmark::State& S) { RunSpeedometer(S, true); });
    benchmark::RegisterBenchmark("speedometer-frame/cairo", [](benchmark::State& S) { RunSpeedometer(S, false); });
  }
  benchmark::Initialize(&argc, argv);
  BestRateReporter Reporter("frames/s");
  benchmark::RunSpecifiedBenchmarks(&Reporter);
  for (const std::string& N : Cases) {
    const double Ours = Reporter.rates[N + "/ours"], Cairo = Reporter.rates[N + "/cairo"];
    if (Ours > 0 && Cairo > 0) std::printf("ratio %s: %.2f (cairo)\n", N.c_str(), Ours / Cairo);
  }
  // A glide frame every 30 ms: the share of the period one repaint takes.
  const double Frame = Reporter.rates["speedometer-frame/ours"];
  if (Frame > 0) std::printf("speedometer glide frame: %.2f%% of its 30 ms period\n", 100.0 / (Frame * 0.030));
  qn::Finalize();
  return 0;
}
