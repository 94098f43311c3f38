// Drawing a 1024 x 768 picture into a 1024 x 768 bitmap through an affine
// transformation (rotated 30 degrees and scaled by 0.8 about the centre),
// opaque and with alpha, with the nearest, linear and Lanczos resamplers,
// against the compositing peer's nearest, bilinear and separable-convolution
// filters on the same picture and the same matrix, in one process.
#include <benchmark/benchmark.h>
#include <pixman.h>

#include <cmath>
#include <cstdio>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "bench/BestRate.h"
#include "graphics/raster/Pix32_Rasterizers_qn.h"
#include "graphics/raster/Pix32_Resamplers_qn.h"
#include "graphics/raster/Pix32_Transforms_qn.h"
#include "package/Quarn.h"

using namespace qn;

namespace {

constexpr int kW = 1024, kH = 768;

// A smooth picture with some detail; with alpha, a ramp of coverage.
void FillPicture(TColor32* p, bool alpha) {
  std::mt19937 rng(1);
  for (int y = 0; y < kH; ++y)
    for (int x = 0; x < kW; ++x) {
      TColor32 c = 0xFF000000u | Cardinal((x * 255 / kW) ^ (rng() & 15)) << 16 | Cardinal(y * 255 / kH) << 8 |
                   Cardinal(((x + y) & 64) ? 200 : 40);
      if (alpha) c = (c & 0x00FFFFFFu) | Cardinal(64 + (x * 191 / kW)) << 24;
      p[y * kW + x] = c;
    }
}

// The peer keeps premultiplied pixels.
void Premultiply(uint32_t* p, size_t n) {
  for (size_t i = 0; i < n; ++i) {
    const uint32_t a = p[i] >> 24;
    auto m = [a](uint32_t c) { return (c * a + 127) / 255; };
    p[i] = a << 24 | m((p[i] >> 16) & 255) << 16 | m((p[i] >> 8) & 255) << 8 | m(p[i] & 255);
  }
}

// Destination to source: the inverse of rotate-and-scale about the centre.
void InverseMatrix(double m[2][3]) {
  const double a = 30 * M_PI / 180, s = 0.8;
  const double c = std::cos(a) / s, n = std::sin(a) / s;
  const double cx = kW / 2.0, cy = kH / 2.0;
  // Forward (counter-clockwise on screen, y down): x' = c s (x - cx) + s s (y - cy) + cx ...
  m[0][0] = c, m[0][1] = -n, m[1][0] = n, m[1][1] = c;
  m[0][2] = cx - c * cx + n * cy;
  m[1][2] = cy - n * cx - c * cy;
}

void SetRate(benchmark::State& st) {
  st.counters["Mpix/s"] =
      benchmark::Counter(static_cast<double>(st.iterations()) * kW * kH / 1e6, benchmark::Counter::kIsRate);
}

enum class Kind { Nearest, Linear, Lanczos };
const char* KindName(Kind k) { return k == Kind::Nearest ? "nearest" : k == Kind::Linear ? "linear" : "lanczos"; }

void RunOurs(benchmark::State& st, Kind kind, bool alpha) {
  TBitmap32 src, dst;
  src.SetSize(kW, kH);
  FillPicture(src.Bits(), alpha);
  dst.SetSize(kW, kH);
  dst.Clear(0xFF808080);
  switch (kind) {
    case Kind::Nearest: new TNearestResampler(&src); break;
    case Kind::Linear: new TLinearResampler(&src); break;
    case Kind::Lanczos: (new TKernelResampler(&src))->SetKernelClassName(u"TLanczosKernel"); break;
  }
  src.SetDrawMode(alpha ? TDrawMode::dmBlend : TDrawMode::dmOpaque);
  TAffineTransformation t;
  t.SetSrcRect(FloatRect(src.BoundsRect()));
  t.Rotate(kW / 2.0f, kH / 2.0f, 30);
  t.Translate(-kW / 2.0f, -kH / 2.0f);
  t.Scale(0.8f);
  t.Translate(kW / 2.0f, kH / 2.0f);
  TRegularRasterizer r;
  for (auto _ : st) {
    Transform(&dst, &src, &t, &r);
    benchmark::DoNotOptimize(dst.Bits());
    benchmark::ClobberMemory();
  }
  SetRate(st);
}

void RunPeer(benchmark::State& st, Kind kind, bool alpha) {
  std::vector<uint32_t> srcBits(size_t(kW) * kH), dstBits(size_t(kW) * kH, 0xFF808080u);
  FillPicture(srcBits.data(), alpha);
  Premultiply(srcBits.data(), srcBits.size());
  pixman_image_t* src = pixman_image_create_bits(PIXMAN_a8r8g8b8, kW, kH, srcBits.data(), kW * 4);
  pixman_image_t* dst = pixman_image_create_bits(PIXMAN_a8r8g8b8, kW, kH, dstBits.data(), kW * 4);
  double m[2][3];
  InverseMatrix(m);
  pixman_transform_t t;
  pixman_transform_init_identity(&t);
  for (int i = 0; i < 2; ++i)
    for (int j = 0; j < 3; ++j) t.matrix[i][j] = pixman_double_to_fixed(m[i][j]);
  pixman_image_set_transform(src, &t);
  if (kind == Kind::Nearest) {
    pixman_image_set_filter(src, PIXMAN_FILTER_NEAREST, nullptr, 0);
  } else if (kind == Kind::Linear) {
    pixman_image_set_filter(src, PIXMAN_FILTER_BILINEAR, nullptr, 0);
  } else {
    int n = 0;
    pixman_fixed_t* params = pixman_filter_create_separable_convolution(
        &n, pixman_double_to_fixed(1 / 0.8), pixman_double_to_fixed(1 / 0.8), PIXMAN_KERNEL_LANCZOS3,
        PIXMAN_KERNEL_LANCZOS3, PIXMAN_KERNEL_IMPULSE, PIXMAN_KERNEL_IMPULSE, 2, 2);
    pixman_image_set_filter(src, PIXMAN_FILTER_SEPARABLE_CONVOLUTION, params, n);
    free(params);
  }
  const pixman_op_t op = alpha ? PIXMAN_OP_OVER : PIXMAN_OP_SRC;
  for (auto _ : st) {
    pixman_image_composite32(op, src, nullptr, dst, 0, 0, 0, 0, 0, 0, kW, kH);
    benchmark::DoNotOptimize(dstBits.data());
    benchmark::ClobberMemory();
  }
  pixman_image_unref(src);
  pixman_image_unref(dst);
  SetRate(st);
}

}  // namespace

int main(int argc, char** argv) {
  qn::Initialize();
  for (bool alpha : {false, true})
    for (Kind k : {Kind::Nearest, Kind::Linear, Kind::Lanczos}) {
      const std::string tag = std::string(KindName(k)) + (alpha ? "-alpha" : "-opaque");
      benchmark::RegisterBenchmark(("ours/" + tag).c_str(), [k, alpha](benchmark::State& st) { RunOurs(st, k, alpha); })
          ->Repetitions(5)
          ->ReportAggregatesOnly(false);
      benchmark::RegisterBenchmark(("pixman/" + tag).c_str(), [k, alpha](benchmark::State& st) { RunPeer(st, k, alpha); })
          ->Repetitions(5)
          ->ReportAggregatesOnly(false);
    }
  benchmark::Initialize(&argc, argv);
  BestRateReporter reporter("Mpix/s");
  benchmark::RunSpecifiedBenchmarks(&reporter);

  // The best of five runs of each side (the lowest time).
  std::printf("\n");
  auto& r = reporter.rates;
  for (bool alpha : {false, true})
    for (Kind k : {Kind::Nearest, Kind::Linear, Kind::Lanczos}) {
      const std::string tag = std::string(KindName(k)) + (alpha ? "-alpha" : "-opaque");
      const double ours = r["ours/" + tag], peer = r["pixman/" + tag];
      std::printf("ratio %s: %.2f (pixman)\n", tag.c_str(), peer > 0 ? ours / peer : 0);
    }
  qn::Finalize();
  return 0;
}
