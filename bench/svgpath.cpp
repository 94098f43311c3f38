// SVG path data drawn filled and stroked, ours against two peers:
//   icon      64 x 64, one icon of about 40 commands (lines, cubics, smooth
//             cubics, quadratics, smooth quadratics) in three figures
//   outline   512 x 512, one closed outline of 2,000 line and cubic commands
//   relative  the same outline in relative commands with implicit repeats
// Ours: TQnSVGPathRenderer.SetPath on a cleared bitmap (parse, fill, stroke).
// Peers, at the same size, colours, stroke width (2, miter joins, butt ends)
// and fill rule (even-odd), drawing the figures ours draws (the absolute
// commands our reader produces, every in-text move starting a figure that is
// filled and stroked on its own):
//   librsvg   an SVG document with one <path d> per figure, loaded with
//             rsvg_handle_new_from_data and rendered into a cairo surface
//   cairo     each figure appended from a cairo_path_t built once, then
//             filled and stroked
// Before timing, our picture and cairo's must agree (mean absolute
// difference of at most 2 levels per channel, both with linear edge
// coverage); otherwise no ratios are printed. Each case runs five times; the fastest run counts. Prints paths/s
// and one ratio line per case and peer (above 1: ours is faster).
#include <benchmark/benchmark.h>
#include <cairo.h>
#include <librsvg/rsvg.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "bench/BestRate.h"
#include "graphics/raster/Pix32_qn_Bitmap32.h"
#include "package/Quarn.h"
#include "skin/extended/uQuarnGraphics.h"

using namespace qn;

namespace {

constexpr TColor kFillColor = static_cast<TColor>(0x00C08040);    // $00BBGGRR
constexpr TColor kStrokeColor = static_cast<TColor>(0x00202020);
constexpr double kFillR = 0x40 / 255.0, kFillG = 0x80 / 255.0, kFillB = 0xC0 / 255.0, kStrokeV = 0x20 / 255.0;
constexpr int kStrokeWidth = 2;
// The coverage gamma the library sets at load.
constexpr Single kLibraryGamma = 1.6f;

struct TCase {
  int Size;
  std::string Text;
};

// Numbers as the text carries them; x of every pair is written 1.5 less,
// since our reader adds 1.5 to it.
std::string N(double V) {
  char B[32];
  std::snprintf(B, sizeof B, "%.3f", V);
  return B;
}
std::string Pair(double X, double Y) { return N(X - 1.5) + "," + N(Y); }

std::string Icon() {
  // A rounded body of cubics and smooth cubics, a zig-zag of lines and
  // quadratics inside, and a small diamond.
  std::string T = "M 32 6 ";
  const double R = 26, K = 0.5523 * R;
  T += "C " + Pair(32 + K, 6) + " " + Pair(58, 32 - K) + " " + Pair(58, 32) + " ";
  T += "S " + Pair(32 + K, 58) + " " + Pair(32, 58) + " ";
  T += "S " + Pair(6, 32 + K) + " " + Pair(6, 32) + " ";
  T += "S " + Pair(32 - K, 6) + " " + Pair(32, 6) + " Z ";
  T += "M " + Pair(14, 40);
  for (int I = 0; I < 6; ++I) {
    const double X = 16 + I * 5.5;
    T += " L " + Pair(X, I % 2 ? 40 : 24);
    T += " Q " + Pair(X + 1.5, 30) + " " + Pair(X + 2.75, I % 2 ? 26 : 38);
    T += " T " + Pair(X + 4, I % 2 ? 24 : 40);
  }
  T += " L " + Pair(48, 46) + " L " + Pair(14, 46) + " Z ";
  T += "M " + Pair(32, 47) + " L " + Pair(36, 51) + " L " + Pair(32, 55) + " L " + Pair(28, 51) + " Z";
  return T;
}

struct TPt {
  double X, Y;
};

// 2,000 commands around the centre, lines and cubics in turn, the radius
// wandering between 150 and 240 so the outline stays simple.
std::vector<std::pair<char, std::vector<TPt>>> OutlineCommands() {
  std::mt19937 Rng(9);
  std::uniform_real_distribution<double> U(0, 1);
  const int Count = 2000;
  auto At = [](double A, double Rad) { return TPt{256 + Rad * std::cos(A), 256 + Rad * std::sin(A)}; };
  std::vector<double> Radius(Count + 1);
  double Rad = 200;
  for (int I = 0; I <= Count; ++I) {
    Rad = std::clamp(Rad + (U(Rng) - 0.5) * 30, 150.0, 240.0);
    Radius[I] = Rad;
  }
  Radius[Count] = Radius[0];
  std::vector<std::pair<char, std::vector<TPt>>> Cmds;
  Cmds.push_back({'M', {At(0, Radius[0])}});
  for (int I = 1; I <= Count; ++I) {
    const double A0 = 2 * M_PI * (I - 1) / Count, A1 = 2 * M_PI * I / Count;
    const TPt P = At(A1, Radius[I]);
    if (I % 2) {
      Cmds.push_back({'L', {P}});
    } else {
      const double Da = (A1 - A0) / 3;
      Cmds.push_back({'C', {At(A0 + Da, Radius[I - 1] + (U(Rng) - 0.5) * 6),
                            At(A1 - Da, Radius[I] + (U(Rng) - 0.5) * 6), P}});
    }
  }
  return Cmds;
}

std::string OutlineAbsolute() {
  std::string T;
  for (const auto& [Op, P] : OutlineCommands()) {
    if (Op == 'M') {
      T += "M " + N(P[0].X) + " " + N(P[0].Y);
      continue;
    }
    T += ' ';
    T += Op;
    for (const TPt& Q : P) T += " " + Pair(Q.X, Q.Y);
  }
  return T + " Z";
}

// The same outline relative to the pen, each run of one command written
// once; the pen follows the rounded numbers, so nothing drifts.
std::string OutlineRelative() {
  std::string T;
  char Last = 0;
  TPt Pen{0, 0};
  const auto Round = [](double V) { return std::round(V * 1000) / 1000; };
  for (const auto& [Op, P] : OutlineCommands()) {
    if (Op == 'M') {
      T += "m " + N(P[0].X) + " " + N(P[0].Y);
      Pen = {Round(P[0].X), Round(P[0].Y)};
      continue;
    }
    const char Lower = static_cast<char>(Op + 32);
    if (Lower != Last) {
      T += ' ';
      T += Lower;
      Last = Lower;
    }
    TPt End = Pen;
    for (const TPt& Q : P) {
      const double Dx = Round(Q.X - Pen.X - 1.5), Dy = Round(Q.Y - Pen.Y);
      T += " " + N(Dx) + "," + N(Dy);
      End = {Pen.X + Dx + 1.5, Pen.Y + Dy};
    }
    Pen = End;
  }
  return T + " z";
}

const std::map<std::string, TCase>& Cases() {
  static const std::map<std::string, TCase> C = {
      {"icon", {64, Icon()}}, {"outline", {512, OutlineAbsolute()}}, {"relative", {512, OutlineRelative()}}};
  return C;
}

// ---- the figures our reader produces, as absolute lines and cubics ----

struct TFigureCmd {
  char Op;  // M L C Z
  TFloatPoint P[3];
};
using TFigure = std::vector<TFigureCmd>;

class TFigureRecorder : public TCustomPath {
 public:
  using TCustomPath::ConicTo;
  using TCustomPath::CurveTo;
  using TCustomPath::LineTo;
  using TCustomPath::MoveTo;
  std::vector<TFigure> Figures;

  void BeginPath() override { Figures.emplace_back(); }
  void MoveTo(const TFloatPoint& P) override {
    TCustomPath::MoveTo(P);
    FStart = P;
    Figures.back().push_back({'M', {P}});
  }
  void LineTo(const TFloatPoint& P) override {
    Figures.back().push_back({'L', {P}});
    FCurrentPoint = P;
    FControlPointOrigin = TControlPointOrigin::cpNone;
  }
  void CurveTo(const TFloatPoint& C1, const TFloatPoint& C2, const TFloatPoint& P) override {
    Figures.back().push_back({'C', {C1, C2, P}});
    FCurrentPoint = P;
    FLastControlPoint = C2;
    FControlPointOrigin = TControlPointOrigin::cpCubic;
  }
  // The quadratic as its exact cubic.
  void ConicTo(const TFloatPoint& C, const TFloatPoint& P) override {
    const TFloatPoint S = FCurrentPoint;
    const TFloatPoint C1 = FloatPoint(S.X + 2.0f / 3 * (C.X - S.X), S.Y + 2.0f / 3 * (C.Y - S.Y));
    const TFloatPoint C2 = FloatPoint(P.X + 2.0f / 3 * (C.X - P.X), P.Y + 2.0f / 3 * (C.Y - P.Y));
    Figures.back().push_back({'C', {C1, C2, P}});
    FCurrentPoint = P;
    FLastControlPoint = C;
    FControlPointOrigin = TControlPointOrigin::cpConic;
  }
  void ClosePath() override {
    Figures.back().push_back({'Z', {}});
    FCurrentPoint = FStart;
  }

 private:
  TFloatPoint FStart{0, 0};
};

std::vector<TFigure> Figures(const std::string& Text) {
  TFigureRecorder R;
  ReadSvgPath(Text, R);
  return R.Figures;
}

// ---- ours ----

struct TOurs {
  TBitmap32 Bitmap;
  TQnSVGPathRenderer Renderer;
  std::string Text[2];
  int Turn = 0;
  explicit TOurs(const TCase& C) : Renderer(&Bitmap) {
    Bitmap.SetSize(C.Size, C.Size);
    Renderer.SetFillColor(kFillColor);
    Renderer.SetStrokeColor(kStrokeColor);
    Renderer.SetStrokeWidth(kStrokeWidth);
    // Two spellings of one figure: SetPath draws only a changed text.
    Text[0] = C.Text;
    Text[1] = C.Text + " ";
  }
  void Draw() {
    Bitmap.Clear(0xFFFFFFFFu);
    Renderer.SetPath(Text[Turn]);
    Turn ^= 1;
  }
  const uint32_t* Bits() { return Bitmap.ScanLine(0); }
};

// ---- cairo ----

void Stroke(cairo_t* Cr) {
  cairo_set_line_width(Cr, kStrokeWidth);
  cairo_set_line_join(Cr, CAIRO_LINE_JOIN_MITER);
  cairo_set_line_cap(Cr, CAIRO_LINE_CAP_BUTT);
  cairo_set_miter_limit(Cr, 4);
  cairo_set_fill_rule(Cr, CAIRO_FILL_RULE_EVEN_ODD);
}

struct TCairo {
  cairo_surface_t* Surface;
  cairo_t* Cr;
  std::vector<cairo_path_t*> Paths;
  explicit TCairo(const TCase& C) {
    Surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, C.Size, C.Size);
    Cr = cairo_create(Surface);
    Stroke(Cr);
    for (const TFigure& F : Figures(C.Text)) {
      cairo_new_path(Cr);
      for (const TFigureCmd& K : F) switch (K.Op) {
          case 'M': cairo_move_to(Cr, K.P[0].X, K.P[0].Y); break;
          case 'L': cairo_line_to(Cr, K.P[0].X, K.P[0].Y); break;
          case 'C': cairo_curve_to(Cr, K.P[0].X, K.P[0].Y, K.P[1].X, K.P[1].Y, K.P[2].X, K.P[2].Y); break;
          case 'Z': cairo_close_path(Cr); break;
        }
      Paths.push_back(cairo_copy_path(Cr));
    }
    cairo_new_path(Cr);
  }
  ~TCairo() {
    for (cairo_path_t* P : Paths) cairo_path_destroy(P);
    cairo_destroy(Cr);
    cairo_surface_destroy(Surface);
  }
  void Draw() {
    cairo_set_source_rgb(Cr, 1, 1, 1);
    cairo_paint(Cr);
    for (cairo_path_t* P : Paths) {
      cairo_append_path(Cr, P);
      cairo_set_source_rgb(Cr, kFillR, kFillG, kFillB);
      cairo_fill_preserve(Cr);
      cairo_set_source_rgb(Cr, kStrokeV, kStrokeV, kStrokeV);
      cairo_stroke(Cr);
    }
    cairo_surface_flush(Surface);
  }
  const uint32_t* Bits() { return reinterpret_cast<const uint32_t*>(cairo_image_surface_get_data(Surface)); }
};

// ---- librsvg ----

std::string SvgDocument(const TCase& C) {
  char Head[256];
  std::snprintf(Head, sizeof Head,
                "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"%d\" height=\"%d\" viewBox=\"0 0 %d %d\">",
                C.Size, C.Size, C.Size, C.Size);
  std::string Doc = Head;
  char B[160];
  for (const TFigure& F : Figures(C.Text)) {
    Doc += "<path fill=\"#4080c0\" fill-rule=\"evenodd\" stroke=\"#202020\" stroke-width=\"2\" "
           "stroke-linejoin=\"miter\" stroke-miterlimit=\"4\" stroke-linecap=\"butt\" d=\"";
    for (const TFigureCmd& K : F) {
      switch (K.Op) {
        case 'M': std::snprintf(B, sizeof B, "M%.4f %.4f", K.P[0].X, K.P[0].Y); break;
        case 'L': std::snprintf(B, sizeof B, "L%.4f %.4f", K.P[0].X, K.P[0].Y); break;
        case 'C':
          std::snprintf(B, sizeof B, "C%.4f %.4f %.4f %.4f %.4f %.4f", K.P[0].X, K.P[0].Y, K.P[1].X, K.P[1].Y,
                        K.P[2].X, K.P[2].Y);
          break;
        default: std::snprintf(B, sizeof B, "Z"); break;
      }
      Doc += B;
    }
    Doc += "\"/>";
  }
  return Doc + "</svg>";
}

struct TRsvg {
  int Size;
  std::string Doc;
  cairo_surface_t* Surface;
  cairo_t* Cr;
  explicit TRsvg(const TCase& C) : Size(C.Size), Doc(SvgDocument(C)) {
    Surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, Size, Size);
    Cr = cairo_create(Surface);
  }
  ~TRsvg() {
    cairo_destroy(Cr);
    cairo_surface_destroy(Surface);
  }
  void Draw() {
    cairo_set_source_rgb(Cr, 1, 1, 1);
    cairo_paint(Cr);
    GError* Error = nullptr;
    RsvgHandle* H = rsvg_handle_new_from_data(reinterpret_cast<const guint8*>(Doc.data()), Doc.size(), &Error);
    if (!H) {
      std::fprintf(stderr, "librsvg: %s\n", Error ? Error->message : "no handle");
      std::exit(1);
    }
    const RsvgRectangle Viewport{0, 0, double(Size), double(Size)};
    rsvg_handle_render_document(H, Cr, &Viewport, nullptr);
    g_object_unref(H);
    cairo_surface_flush(Surface);
  }
  const uint32_t* Bits() { return reinterpret_cast<const uint32_t*>(cairo_image_surface_get_data(Surface)); }
};

template <class Engine>
void Run(benchmark::State& St, const std::string& Name) {
  Engine E(Cases().at(Name));
  for (auto _ : St) {
    E.Draw();
    benchmark::ClobberMemory();
  }
  St.counters["paths/s"] = benchmark::Counter(double(St.iterations()), benchmark::Counter::kIsRate);
}

// Mean absolute difference per channel between ours and a peer.
template <class Peer>
double Difference(const std::string& Name) {
  const TCase& C = Cases().at(Name);
  TOurs O(C);
  Peer P(C);
  O.Draw();
  P.Draw();
  const uint32_t* A = O.Bits();
  const uint32_t* B = P.Bits();
  double Sum = 0;
  const size_t N = size_t(C.Size) * C.Size;
  for (size_t I = 0; I < N; ++I)
    for (int S = 0; S < 24; S += 8) Sum += std::abs(int((A[I] >> S) & 0xFF) - int((B[I] >> S) & 0xFF));
  return Sum / (3.0 * N);
}

}  // namespace

int main(int argc, char** argv) {
  qn::Initialize();
  // The check compares geometry: our edges take the library's coverage
  // gamma, cairo's are linear, so both draw linear coverage for it. The
  // timed runs use the gamma applications get.
  SetGamma(1.0f);
  bool Agree = true;
  for (const auto& [Name, C] : Cases()) {
    const double Cairo = Difference<TCairo>(Name), Rsvg = Difference<TRsvg>(Name);
    std::printf("%s: %zu bytes of path data; mean difference %.3f (cairo), %.3f (librsvg)\n", Name.c_str(),
                C.Text.size(), Cairo, Rsvg);
    if (Cairo > 2.0) Agree = false;
  }
  SetGamma(kLibraryGamma);
  for (const char* S : {"icon", "outline", "relative"}) {
    const std::string N = S;
    benchmark::RegisterBenchmark((N + "/ours").c_str(), [N](benchmark::State& St) { Run<TOurs>(St, N); })
        ->Repetitions(5);
    benchmark::RegisterBenchmark((N + "/librsvg").c_str(), [N](benchmark::State& St) { Run<TRsvg>(St, N); })
        ->Repetitions(5);
    benchmark::RegisterBenchmark((N + "/cairo").c_str(), [N](benchmark::State& St) { Run<TCairo>(St, N); })
        ->Repetitions(5);
  }
  benchmark::Initialize(&argc, argv);
  BestRateReporter Reporter("paths/s");
  benchmark::RunSpecifiedBenchmarks(&Reporter);
  if (!Agree) {
    std::printf("pictures of ours and cairo differ: no ratios\n");
    qn::Finalize();
    return 1;
  }
  auto& R = Reporter.rates;
  for (const char* S : {"icon", "outline", "relative"}) {
    const std::string N = S;
    const double Ours = R[N + "/ours"], Rsvg = R[N + "/librsvg"], Cairo = R[N + "/cairo"];
    if (Ours <= 0) continue;
    if (Rsvg > 0) std::printf("ratio %s-librsvg: %.2f (librsvg)\n", S, Ours / Rsvg);
    if (Cairo > 0) std::printf("ratio %s-cairo: %.2f (cairo)\n", S, Ours / Cairo);
  }
  qn::Finalize();
  return 0;
}
