// One frame of a 632 x 340 image slider with three images, against pixman
// composing the same picture in the same process:
//   slider-fade-frame   the second image at alpha 128 over the panel colour,
//                       with both arrow buttons and the three dots
//   slider-slide-frame  the strip window half-way between the first and the
//                       second image, with the right button and the dots
// The peer fills the panel colour and composes the page with a constant
// alpha mask (fade), or copies the two parts of the strip window (slide).
// Our frame also draws buttons and dots. Fastest of five runs taken in
// turns; prints frames/s and one ratio line per case.
#include <benchmark/benchmark.h>
#include <pixman.h>

#include <cstdio>
#include <string>
#include <vector>

#include "bench/BestRate.h"
#include "package/Quarn.h"
#include "skin/extended/uQuarnImageSlider.h"
#include "skin/foundation/uQuarnResManager.h"

using namespace qn;

namespace {

constexpr int kW = 632, kH = 340;

// Three photographs' worth of detail: diagonal colour ramps of 400 x 260.
struct TPictures {
  std::vector<std::unique_ptr<TBitmap32>> Images;
  TPictures() {
    for (int i = 0; i < 3; ++i) {
      auto B = std::make_unique<TBitmap32>();
      B->SetSize(400, 260);
      for (int y = 0; y < 260; ++y)
        for (int x = 0; x < 400; ++x)
          B->SetPixel(x, y, Color32(Byte((x + 60 * i) & 255), Byte((y * 3 + 40 * i) & 255), Byte((x + y) & 255)));
      Images.push_back(std::move(B));
    }
    TQuarnResManagerObj()->SetOnGetImage(TQnGetImageEvent(this, &TPictures::Get));
  }
  ~TPictures() { TQuarnResManagerObj()->SetOnGetImage(TQnGetImageEvent()); }
  void Get(TObject*, const TQnResID& Id, TQuarnImage* Image, bool& Handled) {
    if (Id.size() != 6 || Id.compare(0, 5, u"Bench") != 0) return;
    const int i = Id[5] - u'0';
    if (i < 0 || i > 2) return;
    Image->Assign(Images[size_t(i)].get());
    Handled = true;
  }
};

class TBenchSlider : public TQuarnImageSlider {
 public:
  explicit TBenchSlider(bool Fade) : TQuarnImageSlider(nullptr) {
    SetAutoSlider(false);
    for (int i = 0; i < 3; ++i) Images()->Add()->SetImage(u"Bench" + std::u16string(1, char16_t(u'0' + i)));
    ImagesChanged();
    if (Fade) {
      SetSliderType(stFade);
      FHotItemIndex = 1;
      FSliderAlphaValue = 128;
    } else {
      FDisplayRect = TRect(kW / 2, 0, kW / 2 + kW, kH);
    }
  }
  void Frame(TBitmap32* B) { DrawBody(B); }
  TBitmap32* Page(int i) const { return FBufferImage->Page(i); }
};

void RunOurs(benchmark::State& St, bool Fade) {
  TPictures P;
  TBenchSlider S(Fade);
  TBitmap32 B;
  B.SetSize(kW, kH);
  S.Frame(&B);
  for (auto _ : St) {
    S.Frame(&B);
    benchmark::DoNotOptimize(B.GetPixel(kW / 2, 10));
  }
  St.counters["frames/s"] = benchmark::Counter(double(St.iterations()), benchmark::Counter::kIsRate);
}

void RunPixman(benchmark::State& St, bool Fade) {
  TPictures P;
  TBenchSlider S(Fade);
  TBitmap32 Warm;
  Warm.SetSize(kW, kH);
  S.Frame(&Warm);
  // The same scaled pages, opaque, as pixman images.
  std::vector<pixman_image_t*> Pages;
  for (int i = 0; i < 3; ++i)
    Pages.push_back(pixman_image_create_bits(PIXMAN_x8r8g8b8, kW, kH, reinterpret_cast<uint32_t*>(S.Page(i)->Bits()),
                                             kW * 4));
  std::vector<uint32_t> Out(size_t(kW) * kH);
  pixman_image_t* Dst = pixman_image_create_bits(PIXMAN_a8r8g8b8, kW, kH, Out.data(), kW * 4);
  const pixman_color_t White{0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF};
  const pixman_color_t Half{0, 0, 0, 0x8080};
  pixman_image_t* Panel = pixman_image_create_solid_fill(&White);
  pixman_image_t* Mask = pixman_image_create_solid_fill(&Half);
  for (auto _ : St) {
    if (Fade) {
      pixman_image_composite32(PIXMAN_OP_SRC, Panel, nullptr, Dst, 0, 0, 0, 0, 0, 0, kW, kH);
      pixman_image_composite32(PIXMAN_OP_OVER, Pages[1], Mask, Dst, 0, 0, 0, 0, 0, 0, kW, kH);
    } else {
      const int L = kW / 2;
      pixman_image_composite32(PIXMAN_OP_SRC, Pages[0], nullptr, Dst, L, 0, 0, 0, 0, 0, kW - L, kH);
      pixman_image_composite32(PIXMAN_OP_SRC, Pages[1], nullptr, Dst, 0, 0, 0, 0, kW - L, 0, L, kH);
    }
    benchmark::DoNotOptimize(Out[size_t(kW / 2)]);
  }
  pixman_image_unref(Mask);
  pixman_image_unref(Panel);
  pixman_image_unref(Dst);
  for (pixman_image_t* I : Pages) pixman_image_unref(I);
  St.counters["frames/s"] = benchmark::Counter(double(St.iterations()), benchmark::Counter::kIsRate);
}

}  // namespace

int main(int argc, char** argv) {
  qn::Initialize();
  const std::vector<std::string> Cases = {"slider-fade-frame", "slider-slide-frame"};
  for (int Round = 0; Round < 5; ++Round) {
    benchmark::RegisterBenchmark("slider-fade-frame/ours", [](benchmark::State& S) { RunOurs(S, true); });
    benchmark::RegisterBenchmark("slider-fade-frame/pixman", [](benchmark::State& S) { RunPixman(S, true); });
    benchmark::RegisterBenchmark("slider-slide-frame/ours", [](benchmark::State& S) { RunOurs(S, false); });
    benchmark::RegisterBenchmark("slider-slide-frame/pixman", [](benchmark::State& S) { RunPixman(S, false); });
  }
  benchmark::Initialize(&argc, argv);
  BestRateReporter Reporter("frames/s");
  benchmark::RunSpecifiedBenchmarks(&Reporter);
  for (const std::string& N : Cases) {
    const double Ours = Reporter.rates[N + "/ours"], Peer = Reporter.rates[N + "/pixman"];
    if (Ours > 0 && Peer > 0) std::printf("ratio %s: %.2f (pixman)\n", N.c_str(), Ours / Peer);
  }
  // Frames come every 5 ms: the share of the period one frame takes.
  const double Frame = Reporter.rates["slider-fade-frame/ours"];
  if (Frame > 0) std::printf("slider fade frame: %.2f%% of its 5 ms period\n", 100.0 / (Frame * 0.005));
  qn::Finalize();
  return 0;
}
