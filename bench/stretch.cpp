// Stretching a 1024 x 768 picture up to 1920 x 1080 and down to 320 x 240
// with each resampler, against the compositing peer's nearest, bilinear
// and separable-convolution filters on the same picture, in one process;
// and the opaque block transfer against memcpy over the same rows.
#include <benchmark/benchmark.h>
#include <pixman.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "graphics/raster/Pix32_Resamplers_qn.h"
#include "package/Quarn.h"

using namespace qn;

namespace {

constexpr int kSrcW = 1024, kSrcH = 768;
struct TStretchSize {
  const char* name;
  int w, h;
};
const TStretchSize kSizes[] = {{"up", 1920, 1080}, {"down", 320, 240}};

// A smooth picture with some detail, opaque (so premultiplication is moot).
void FillPicture(TColor32* p) {
  std::mt19937 rng(1);
  for (int y = 0; y < kSrcH; ++y)
    for (int x = 0; x < kSrcW; ++x)
      p[y * kSrcW + x] = 0xFF000000u | Cardinal((x * 255 / kSrcW) ^ (rng() & 15)) << 16 |
                         Cardinal(y * 255 / kSrcH) << 8 | Cardinal(((x + y) & 64) ? 200 : 40);
}

void SetRate(benchmark::State& st, int w, int h) {
  st.counters["Mpix/s"] =
      benchmark::Counter(static_cast<double>(st.iterations()) * w * h / 1e6, benchmark::Counter::kIsRate);
}

enum class Ours { Nearest, Linear, Lanczos, Mitchell, Draft };
const char* OursName(Ours o) {
  switch (o) {
    case Ours::Nearest: return "nearest";
    case Ours::Linear: return "linear";
    case Ours::Lanczos: return "lanczos";
    case Ours::Mitchell: return "mitchell";
    case Ours::Draft: return "draft";
  }
  return "";
}

void RunOurs(benchmark::State& st, Ours kind, TStretchSize size) {
  TCustomBitmap32 src, dst;
  src.SetSize(kSrcW, kSrcH);
  FillPicture(src.Bits());
  dst.SetSize(size.w, size.h);
  TCustomResampler* r = nullptr;
  switch (kind) {
    case Ours::Nearest: r = new TNearestResampler(&src); break;
    case Ours::Linear: r = new TLinearResampler(&src); break;
    case Ours::Draft: r = new TDraftResampler(&src); break;
    case Ours::Lanczos:
    case Ours::Mitchell: {
      auto* k = new TKernelResampler(&src);
      k->SetKernelClassName(kind == Ours::Lanczos ? u"TLanczosKernel" : u"TMitchellKernel");
      r = k;
      break;
    }
  }
  for (auto _ : st) {
    StretchTransfer(&dst, dst.BoundsRect(), dst.BoundsRect(), &src, src.BoundsRect(), r, TDrawMode::dmOpaque);
    benchmark::DoNotOptimize(dst.Bits());
    benchmark::ClobberMemory();
  }
  SetRate(st, size.w, size.h);
}

enum class Peer { Nearest, Bilinear, Lanczos3, Mitchell, Box, Linear };
const char* PeerName(Peer p) {
  switch (p) {
    case Peer::Nearest: return "nearest";
    case Peer::Bilinear: return "bilinear";
    case Peer::Lanczos3: return "conv-lanczos3";
    case Peer::Mitchell: return "conv-cubic";
    case Peer::Box: return "conv-box";
    case Peer::Linear: return "conv-linear";
  }
  return "";
}

void RunPeer(benchmark::State& st, Peer kind, TStretchSize size) {
  std::vector<uint32_t> srcBits(size_t(kSrcW) * kSrcH), dstBits(size_t(size.w) * size.h);
  FillPicture(srcBits.data());
  pixman_image_t* src = pixman_image_create_bits(PIXMAN_a8r8g8b8, kSrcW, kSrcH, srcBits.data(), kSrcW * 4);
  pixman_image_t* dst = pixman_image_create_bits(PIXMAN_a8r8g8b8, size.w, size.h, dstBits.data(), size.w * 4);
  const double sx = double(kSrcW) / size.w, sy = double(kSrcH) / size.h;
  pixman_transform_t t;
  pixman_transform_init_scale(&t, pixman_double_to_fixed(sx), pixman_double_to_fixed(sy));
  pixman_image_set_transform(src, &t);
  pixman_image_set_repeat(src, PIXMAN_REPEAT_PAD);
  if (kind == Peer::Nearest) {
    pixman_image_set_filter(src, PIXMAN_FILTER_NEAREST, nullptr, 0);
  } else if (kind == Peer::Bilinear) {
    pixman_image_set_filter(src, PIXMAN_FILTER_BILINEAR, nullptr, 0);
  } else {
    const pixman_kernel_t k = kind == Peer::Lanczos3 ? PIXMAN_KERNEL_LANCZOS3
                              : kind == Peer::Mitchell ? PIXMAN_KERNEL_CUBIC
                              : kind == Peer::Linear   ? PIXMAN_KERNEL_LINEAR
                                                       : PIXMAN_KERNEL_BOX;
    int n = 0;
    // Enlarging reconstructs with the kernel; reducing samples with it.
    const bool up = sx < 1;
    pixman_fixed_t* params = pixman_filter_create_separable_convolution(
        &n, pixman_double_to_fixed(sx), pixman_double_to_fixed(sy), up ? k : PIXMAN_KERNEL_IMPULSE,
        up ? k : PIXMAN_KERNEL_IMPULSE, up ? PIXMAN_KERNEL_IMPULSE : k, up ? PIXMAN_KERNEL_IMPULSE : k, 2, 2);
    pixman_image_set_filter(src, PIXMAN_FILTER_SEPARABLE_CONVOLUTION, params, n);
    free(params);
  }
  for (auto _ : st) {
    pixman_image_composite32(PIXMAN_OP_SRC, src, nullptr, dst, 0, 0, 0, 0, 0, 0, size.w, size.h);
    benchmark::DoNotOptimize(dstBits.data());
    benchmark::ClobberMemory();
  }
  pixman_image_unref(src);
  pixman_image_unref(dst);
  SetRate(st, size.w, size.h);
}

void RunBlockTransfer(benchmark::State& st) {
  TCustomBitmap32 src, dst;
  src.SetSize(kSrcW, kSrcH);
  dst.SetSize(kSrcW, kSrcH);
  FillPicture(src.Bits());
  for (auto _ : st) {
    BlockTransfer(&dst, 0, 0, dst.BoundsRect(), &src, src.BoundsRect(), TDrawMode::dmOpaque);
    benchmark::DoNotOptimize(dst.Bits());
    benchmark::ClobberMemory();
  }
  SetRate(st, kSrcW, kSrcH);
}

void RunMemcpy(benchmark::State& st) {
  std::vector<uint32_t> a(size_t(kSrcW) * kSrcH), b(a.size());
  FillPicture(a.data());
  for (auto _ : st) {
    for (int y = 0; y < kSrcH; ++y) std::memcpy(&b[size_t(y) * kSrcW], &a[size_t(y) * kSrcW], kSrcW * 4);
    benchmark::DoNotOptimize(b.data());
    benchmark::ClobberMemory();
  }
  SetRate(st, kSrcW, kSrcH);
}

class RateReporter : public benchmark::ConsoleReporter {
 public:
  std::map<std::string, double> rates;
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      auto it = run.counters.find("Mpix/s");
      if (it != run.counters.end()) rates[run.benchmark_name()] = it->second.value;
    }
    ConsoleReporter::ReportRuns(runs);
  }
};

}  // namespace

int main(int argc, char** argv) {
  qn::Initialize();
  for (const TStretchSize& s : kSizes) {
    for (Ours o : {Ours::Nearest, Ours::Linear, Ours::Lanczos, Ours::Mitchell, Ours::Draft})
      benchmark::RegisterBenchmark((std::string("ours/") + OursName(o) + "/" + s.name).c_str(),
                                   [o, s](benchmark::State& st) { RunOurs(st, o, s); });
    for (Peer p : {Peer::Nearest, Peer::Bilinear, Peer::Lanczos3, Peer::Mitchell, Peer::Box, Peer::Linear})
      benchmark::RegisterBenchmark((std::string("pixman/") + PeerName(p) + "/" + s.name).c_str(),
                                   [p, s](benchmark::State& st) { RunPeer(st, p, s); });
  }
  benchmark::RegisterBenchmark("ours/BlockTransfer", RunBlockTransfer);
  benchmark::RegisterBenchmark("memcpy", RunMemcpy);
  benchmark::Initialize(&argc, argv);
  RateReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);

  auto& r = reporter.rates;
  auto ratio = [&](const char* label, const std::string& ours, const std::string& peer) {
    std::printf("ratio %s: %.2f (ours %.0f Mpix/s, peer %.0f Mpix/s)\n", label,
                r[peer] > 0 ? r[ours] / r[peer] : 0, r[ours], r[peer]);
  };
  for (const TStretchSize& s : kSizes) {
    const std::string n = s.name;
    ratio(("nearest-" + n).c_str(), "ours/nearest/" + n, "pixman/nearest/" + n);
    ratio(("linear-" + n).c_str(), "ours/linear/" + n, "pixman/bilinear/" + n);
    ratio(("lanczos-" + n).c_str(), "ours/lanczos/" + n, "pixman/conv-lanczos3/" + n);
    ratio(("mitchell-" + n).c_str(), "ours/mitchell/" + n, "pixman/conv-cubic/" + n);
  }
  // Reducing, the linear resampler filters every covered source pixel, as
  // the peer's separable linear filter does; its bilinear filter only
  // samples four.
  ratio("linear-down-filtered", "ours/linear/down", "pixman/conv-linear/down");
  ratio("box-average-down", "ours/draft/down", "pixman/conv-box/down");
  ratio("block-transfer-vs-memcpy", "ours/BlockTransfer", "memcpy");
  qn::Finalize();
  return 0;
}
