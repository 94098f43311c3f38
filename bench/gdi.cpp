// GDI transfers against the compositing peer on the same pixels: solid
// fills, copies, per-pixel-alpha blending and nearest stretching of 32-bit
// surfaces. Prints one ratio line per comparison (above 1: ours is faster).
#include <benchmark/benchmark.h>
#include <pixman.h>

#include <cstdio>
#include <map>
#include <random>
#include <string>

#include "package/Quarn.h"
#include "platform/gdi/Gdi.h"

using namespace vcl;

namespace {

constexpr int kSize = 512;

// A 32-bit DIB in a memory DC with random premultiplied pixels.
struct TTarget {
  HDC DC;
  HBITMAP Bmp;
  uint32_t* Bits;
  explicit TTarget(int size, unsigned seed) {
    BITMAPINFO bi{};
    bi.bmiHeader.biWidth = size;
    bi.bmiHeader.biHeight = -size;
    bi.bmiHeader.biBitCount = 32;
    void* p = nullptr;
    Bmp = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &p, nullptr, 0);
    Bits = static_cast<uint32_t*>(p);
    DC = CreateCompatibleDC(nullptr);
    SelectObject(DC, Bmp);
    std::mt19937 rng(seed);
    for (int i = 0; i < size * size; ++i) {
      uint32_t a = rng() & 0xFF, v = a << 24;
      for (int c = 0; c < 24; c += 8) v |= (rng() % (a + 1)) << c;
      Bits[i] = v;
    }
  }
  pixman_image_t* Image(int size) const {
    return pixman_image_create_bits(PIXMAN_a8r8g8b8, size, size, Bits, size * 4);
  }
};

void SetRate(benchmark::State& st, int pixels) {
  st.counters["Mpix/s"] = benchmark::Counter(double(st.iterations()) * pixels / 1e6, benchmark::Counter::kIsRate);
}

void OursFill(benchmark::State& st) {
  TTarget d(kSize, 1);
  HBRUSH b = CreateSolidBrush(RGB(10, 20, 30));
  RECT r{0, 0, kSize, kSize};
  for (auto _ : st) FillRect(d.DC, &r, b);
  DeleteObject(b);
  SetRate(st, kSize * kSize);
}
void PeerFill(benchmark::State& st) {
  TTarget d(kSize, 1);
  for (auto _ : st) pixman_fill(d.Bits, kSize, 32, 0, 0, kSize, kSize, 0x000A141E);
  SetRate(st, kSize * kSize);
}

void OursCopy(benchmark::State& st) {
  TTarget s(kSize, 2), d(kSize, 3);
  for (auto _ : st) BitBlt(d.DC, 0, 0, kSize, kSize, s.DC, 0, 0, SRCCOPY);
  SetRate(st, kSize * kSize);
}
void PeerCopy(benchmark::State& st) {
  TTarget s(kSize, 2), d(kSize, 3);
  for (auto _ : st)
    pixman_blt(s.Bits, d.Bits, kSize, kSize, 32, 32, 0, 0, 0, 0, kSize, kSize);
  SetRate(st, kSize * kSize);
}

void OursBlend(benchmark::State& st) {
  TTarget s(kSize, 4), d(kSize, 5);
  BLENDFUNCTION bf{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
  for (auto _ : st) AlphaBlend(d.DC, 0, 0, kSize, kSize, s.DC, 0, 0, kSize, kSize, bf);
  SetRate(st, kSize * kSize);
}
void PeerBlend(benchmark::State& st) {
  TTarget s(kSize, 4), d(kSize, 5);
  pixman_image_t *si = s.Image(kSize), *di = d.Image(kSize);
  for (auto _ : st) pixman_image_composite32(PIXMAN_OP_OVER, si, nullptr, di, 0, 0, 0, 0, 0, 0, kSize, kSize);
  pixman_image_unref(si);
  pixman_image_unref(di);
  SetRate(st, kSize * kSize);
}

void OursStretch(benchmark::State& st) {
  TTarget s(kSize / 2, 6), d(kSize, 7);
  SetStretchBltMode(d.DC, COLORONCOLOR);
  for (auto _ : st) StretchBlt(d.DC, 0, 0, kSize, kSize, s.DC, 0, 0, kSize / 2, kSize / 2, SRCCOPY);
  SetRate(st, kSize * kSize);
}
void PeerStretch(benchmark::State& st) {
  TTarget s(kSize / 2, 6), d(kSize, 7);
  pixman_image_t *si = s.Image(kSize / 2), *di = d.Image(kSize);
  pixman_transform_t t;
  pixman_transform_init_scale(&t, pixman_double_to_fixed(0.5), pixman_double_to_fixed(0.5));
  pixman_image_set_transform(si, &t);
  pixman_image_set_filter(si, PIXMAN_FILTER_NEAREST, nullptr, 0);
  for (auto _ : st) pixman_image_composite32(PIXMAN_OP_SRC, si, nullptr, di, 0, 0, 0, 0, 0, 0, kSize, kSize);
  pixman_image_unref(si);
  pixman_image_unref(di);
  SetRate(st, kSize * kSize);
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
  const std::pair<const char*, void (*)(benchmark::State&)> cases[] = {
      {"Fill/ours", OursFill},       {"Fill/peer", PeerFill},       {"Copy/ours", OursCopy},
      {"Copy/peer", PeerCopy},       {"Blend/ours", OursBlend},     {"Blend/peer", PeerBlend},
      {"Stretch/ours", OursStretch}, {"Stretch/peer", PeerStretch}};
  for (auto& c : cases) benchmark::RegisterBenchmark(c.first, c.second);
  benchmark::Initialize(&argc, argv);
  RateReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  auto& r = reporter.rates;
  for (const char* name : {"Fill", "Copy", "Blend", "Stretch"}) {
    double ours = r[std::string(name) + "/ours"], peer = r[std::string(name) + "/peer"];
    std::printf("ratio gdi-%s: %.2f (pixman)\n", name, peer > 0 ? ours / peer : 0);
  }
  qn::Finalize();
  return 0;
}
