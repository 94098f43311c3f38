// Damage tracking on a 1920 x 1080 buffer: per frame, 10, 100 or 1,000
// random rectangles of 1 to 200 pixels are added to a micro-tile map and
// turned into rectangles (exact, and in whole tiles), against the peer's
// region union of the same stream followed by its rectangle list.
#include <benchmark/benchmark.h>
#include <pixman.h>

#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "graphics/raster/Pix32_MicroTiles_qn.h"
#include "bench/BestRate.h"
#include "package/Quarn.h"

using namespace qn;

namespace {

constexpr int kW = 1920, kH = 1080;

std::vector<TRect> Stream(int Count, unsigned Seed) {
  std::mt19937 rng(Seed);
  std::vector<TRect> v;
  for (int i = 0; i < Count; ++i) {
    const int w = 1 + int(rng() % 200), h = 1 + int(rng() % 200);
    const int x = int(rng() % unsigned(kW - w)), y = int(rng() % unsigned(kH - h));
    v.emplace_back(x, y, x + w, y + h);
  }
  return v;
}

void SetRate(benchmark::State& st) {
  st.counters["frames/s"] = benchmark::Counter(double(st.iterations()), benchmark::Counter::kIsRate);
}

void RunTiles(benchmark::State& st, int Count, bool Whole) {
  const auto rects = Stream(Count, 17);
  TMicroTiles m = MakeEmptyMicroTiles();
  MicroTilesSetSize(m, TRect(0, 0, kW, kH));
  TRectList out;
  for (auto _ : st) {
    for (const TRect& r : rects) MicroTilesAddRect(m, r, Whole);
    out.Clear();
    benchmark::DoNotOptimize(MicroTilesCalcRects(m, &out, false, Whole));
    MicroTilesClearUsed(m);
  }
  MicroTilesDestroy(m);
  SetRate(st);
}

void RunRegion(benchmark::State& st, int Count) {
  const auto rects = Stream(Count, 17);
  for (auto _ : st) {
    pixman_region32_t region;
    pixman_region32_init(&region);
    for (const TRect& r : rects)
      pixman_region32_union_rect(&region, &region, r.Left, r.Top, unsigned(r.Right - r.Left),
                                 unsigned(r.Bottom - r.Top));
    int n = 0;
    benchmark::DoNotOptimize(pixman_region32_rectangles(&region, &n));
    benchmark::DoNotOptimize(n);
    pixman_region32_fini(&region);
  }
  SetRate(st);
}

}  // namespace

int main(int argc, char** argv) {
  qn::Initialize();
  for (int count : {10, 100, 1000}) {
    const std::string n = std::to_string(count);
    benchmark::RegisterBenchmark(("tiles-exact/" + n).c_str(), [count](benchmark::State& st) { RunTiles(st, count, false); })
        ->Repetitions(3);
    benchmark::RegisterBenchmark(("tiles-whole/" + n).c_str(), [count](benchmark::State& st) { RunTiles(st, count, true); })
        ->Repetitions(3);
    benchmark::RegisterBenchmark(("pixman-region/" + n).c_str(), [count](benchmark::State& st) { RunRegion(st, count); })
        ->Repetitions(3);
  }
  benchmark::Initialize(&argc, argv);
  BestRateReporter reporter("frames/s");
  benchmark::RunSpecifiedBenchmarks(&reporter);
  auto& r = reporter.rates;
  for (int count : {10, 100, 1000}) {
    const std::string n = std::to_string(count);
    const double peer = r["pixman-region/" + n];
    std::printf("ratio damage-exact-%s: %.2f (pixman)\n", n.c_str(), peer > 0 ? r["tiles-exact/" + n] / peer : 0);
    std::printf("ratio damage-whole-%s: %.2f (pixman)\n", n.c_str(), peer > 0 ? r["tiles-whole/" + n] / peer : 0);
  }
  qn::Finalize();
  return 0;
}
