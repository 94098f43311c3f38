// Line blending against the compositing peer: BlendLine, BlendLineEx,
// CombineLine and MergeLine per registered variant, and the peer's OVER
// composite on premultiplied copies of the same rows, in one process.
#include <benchmark/benchmark.h>
#include <pixman.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "graphics/raster/Pix32_Bindings_qn.h"
#include "graphics/raster/Pix32_Blend_qn.h"
#include "package/Quarn.h"

using namespace qn;

namespace {

constexpr int kWidth = 1920;

enum class Alpha { Random, Opaque, Transparent };
const char* AlphaName(Alpha a) {
  return a == Alpha::Random ? "random" : a == Alpha::Opaque ? "opaque" : "transparent";
}

struct Rows {
  std::vector<TColor32> src, dst, srcPremul, dstPremul;
};

Rows MakeRows(Alpha kind) {
  std::mt19937 rng(7);
  Rows r;
  r.src.resize(kWidth);
  r.dst.resize(kWidth);
  for (int i = 0; i < kWidth; ++i) {
    TColor32 a = kind == Alpha::Random ? (rng() & 0xFF) : kind == Alpha::Opaque ? 0xFF : 0;
    r.src[i] = (rng() & 0xFFFFFF) | (a << 24);
    r.dst[i] = rng() | 0xFF000000u;
  }
  auto premul = [](TColor32 c) {
    const Cardinal a = c >> 24;
    TColor32 p = a << 24;
    for (int s = 0; s < 24; s += 8) p |= (((c >> s) & 0xFF) * a + 127) / 255 << s;
    return p;
  };
  for (TColor32 c : r.src) r.srcPremul.push_back(premul(c));
  r.dstPremul = r.dst;
  return r;
}

void SetRate(benchmark::State& st) {
  st.SetItemsProcessed(st.iterations() * kWidth);
  st.counters["Mpix/s"] = benchmark::Counter(static_cast<double>(st.iterations()) * kWidth / 1e6,
                                             benchmark::Counter::kIsRate);
}

// Binds one variant for the benchmark's run.
struct Bind {
  Bind(PFunctionInfo info) : id(info->FunctionID) {
    BlendRegistry->Rebind(id, [info](PFunctionInfo i) { return i == info ? 0 : INVALID_PRIORITY; });
  }
  ~Bind() { BlendRegistry->Rebind(id); }
  Integer id;
};

void RegisterOurs(const char* routine, Integer id, Alpha kind) {
  for (Integer k = 0; k < BlendRegistry->Count(); ++k) {
    PFunctionInfo info = BlendRegistry->Items(k);
    if (info->FunctionID != id || !(info->CPUFeatures <= CPUFeatures())) continue;
    std::string name = std::string(routine) + "/" + info->Name + "/" + AlphaName(kind);
    benchmark::RegisterBenchmark(name.c_str(), [info, id, kind](benchmark::State& st) {
      Rows r = MakeRows(kind);
      Bind bind(info);
      for (auto _ : st) {
        switch (id) {
          case FID_BLENDLINE: BlendLine(r.src.data(), r.dst.data(), kWidth); break;
          case FID_BLENDLINEEX: BlendLineEx(r.src.data(), r.dst.data(), kWidth, 128); break;
          case FID_COMBINELINE: CombineLine(r.src.data(), r.dst.data(), kWidth, 128); break;
          case FID_MERGELINE: MergeLine(r.src.data(), r.dst.data(), kWidth); break;
        }
        benchmark::DoNotOptimize(r.dst.data());
        benchmark::ClobberMemory();
      }
      EMMS();
      SetRate(st);
    });
  }
}

void PixmanOver(benchmark::State& st, Alpha kind, bool masked) {
  Rows r = MakeRows(kind);
  pixman_image_t* src = pixman_image_create_bits(PIXMAN_a8r8g8b8, kWidth, 1, r.srcPremul.data(), kWidth * 4);
  pixman_image_t* dst = pixman_image_create_bits(PIXMAN_a8r8g8b8, kWidth, 1, r.dstPremul.data(), kWidth * 4);
  pixman_color_t half{0, 0, 0, 0x8080};
  pixman_image_t* mask = masked ? pixman_image_create_solid_fill(&half) : nullptr;
  for (auto _ : st) {
    pixman_image_composite32(PIXMAN_OP_OVER, src, mask, dst, 0, 0, 0, 0, 0, 0, kWidth, 1);
    benchmark::DoNotOptimize(r.dstPremul.data());
    benchmark::ClobberMemory();
  }
  if (mask) pixman_image_unref(mask);
  pixman_image_unref(src);
  pixman_image_unref(dst);
  SetRate(st);
}

void Memcpy(benchmark::State& st) {
  Rows r = MakeRows(Alpha::Random);
  for (auto _ : st) {
    std::memcpy(r.dst.data(), r.src.data(), kWidth * 4);
    benchmark::DoNotOptimize(r.dst.data());
    benchmark::ClobberMemory();
  }
  SetRate(st);
}

// Passes everything to the console and keeps each run's pixel rate.
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

// The first processor as the kernel reports it.
std::string ProcessorModel() {
  std::FILE* f = std::fopen("/proc/cpuinfo", "r");
  if (!f) return "unknown";
  char line[512];
  std::string name = "unknown", family, model;
  auto value = [&line]() {
    const char* colon = std::strchr(line, ':');
    std::string v = colon ? colon + 1 : "";
    while (!v.empty() && v.front() == ' ') v.erase(v.begin());
    while (!v.empty() && (v.back() == '\n' || v.back() == ' ')) v.pop_back();
    return v;
  };
  // The first processor's entry ends at its first empty line.
  while (std::fgets(line, sizeof line, f) && line[0] != '\n') {
    if (std::strncmp(line, "model name", 10) == 0) name = value();
    else if (std::strncmp(line, "cpu family", 10) == 0) family = value();
    else if (std::strncmp(line, "model\t", 6) == 0) model = value();
  }
  std::fclose(f);
  // Virtual machines often shorten the name; family and model still tell
  // the processor generation.
  return name + " (family " + family + ", model " + model + ")";
}

std::string BoundName(Integer id) {
  PFunctionInfo info = BlendRegistry->BoundInfo(id);
  return info ? info->Name : "plain";
}

}  // namespace

int main(int argc, char** argv) {
  qn::Initialize();
  for (Alpha kind : {Alpha::Random, Alpha::Opaque, Alpha::Transparent}) {
    RegisterOurs("BlendLine", FID_BLENDLINE, kind);
    RegisterOurs("BlendLineEx", FID_BLENDLINEEX, kind);
    RegisterOurs("CombineLine", FID_COMBINELINE, kind);
    RegisterOurs("MergeLine", FID_MERGELINE, kind);
    benchmark::RegisterBenchmark((std::string("PixmanOver/") + AlphaName(kind)).c_str(),
                                 [kind](benchmark::State& st) { PixmanOver(st, kind, false); });
    benchmark::RegisterBenchmark((std::string("PixmanOverMask128/") + AlphaName(kind)).c_str(),
                                 [kind](benchmark::State& st) { PixmanOver(st, kind, true); });
  }
  benchmark::RegisterBenchmark("memcpy", Memcpy);
  benchmark::Initialize(&argc, argv);
  RateReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);

  auto& r = reporter.rates;
  const std::string line = "BlendLine/" + BoundName(FID_BLENDLINE) + "/random";
  const std::string lineEx = "BlendLineEx/" + BoundName(FID_BLENDLINEEX) + "/random";
  std::printf("bound BlendLine (%s): %.0f Mpix/s; peer OVER: %.0f Mpix/s; memcpy: %.0f Mpix/s (%.2fx of memcpy)\n",
              line.c_str(), r[line], r["PixmanOver/random"], r["memcpy"], r["memcpy"] > 0 ? r[line] / r["memcpy"] : 0);
  std::printf("bound BlendLineEx (%s): %.0f Mpix/s; peer OVER with a 128 mask: %.0f Mpix/s\n", lineEx.c_str(),
              r[lineEx], r["PixmanOverMask128/random"]);
  std::printf("processor: %s\n", ProcessorModel().c_str());
  for (Alpha kind : {Alpha::Random, Alpha::Opaque, Alpha::Transparent}) {
    const std::string ours = "BlendLine/" + BoundName(FID_BLENDLINE) + "/" + AlphaName(kind);
    const std::string peer = std::string("PixmanOver/") + AlphaName(kind);
    // Random alpha keeps the line's plain name.
    const std::string label = kind == Alpha::Random ? "blend-line" : std::string("blend-line-") + AlphaName(kind);
    std::printf("ratio %s: %.2f (pixman)\n", label.c_str(), r[peer] > 0 ? r[ours] / r[peer] : 0);
  }
  std::printf("ratio blend-line-ex: %.2f (pixman)\n",
              r["PixmanOverMask128/random"] > 0 ? r[lineEx] / r["PixmanOverMask128/random"] : 0);
  qn::Finalize();
  return 0;
}
