// One picture of the layered alpha form, as live resizing makes one per
// step: alphaform-800x600 is a DrawSelf of an 800 x 600 form (the skin
// image nine-sliced to the form, a close button, an icon and a stopped
// marquee painted on top, the picture premultiplied and pushed into the
// headless compositor). The peer does the nine scaled composites of the
// same skin image with pixman, premultiplies the result and copies it into
// a window-sized surface, in the same process. Five runs each, in turns;
// the ratio uses the fastest run of each side.
#include <benchmark/benchmark.h>
#include <pixman.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

#include "bench/BestRate.h"
#include "package/Quarn.h"
#include "platform/desktop/Desktop.h"
#include "platform/vcl/Forms.h"
#include "skin/extended/uQuarnAlphaForm.h"
#include "skin/extended/uQuarnNCMessage.h"
#include "skin/foundation/uQnPix32Lib.h"

using namespace qn;

namespace {

constexpr int kW = 800, kH = 600;
const TQnResID kSkin = u"QuarnPreview_bkg";

void SetRate(benchmark::State& st) {
  st.counters["frames/s"] = benchmark::Counter(double(st.iterations()), benchmark::Counter::kIsRate);
}

void Pump() {
  MSG m;
  while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);
}

void RunOurs(benchmark::State& st) {
  auto form = std::make_unique<TForm>(nullptr);
  form->SetPosition(poDesigned);
  form->SetBounds(20, 20, kW, kH);
  auto* alpha = new TQuarnAlphaForm(form.get());
  alpha->SetBackground(kSkin);
  auto* close = new TQuarnSystemButton(form.get());
  close->Pos()->SetUseDefault(false);
  close->Pos()->SetXValue(40);
  close->Pos()->SetYValue(12);
  auto* icon = new TQuarnNCImage(form.get());
  icon->SetImage(u"QuarnCalendar_18_N");
  icon->Pos()->SetUseDefault(false);
  icon->Pos()->SetAlign(TNCCtrlAlign::caLeft);
  icon->Pos()->SetXValue(14);
  icon->Pos()->SetYValue(12);
  auto* news = new TQuarnNCMessage(form.get());
  news->SetText(u"Build 2041 passed all of its tests");
  news->SetActiveScroll(false);
  form->Show();
  Pump();
  // The pictures count only if they reach the screen.
  const Integer before = alpha->ComposeCount();
  alpha->DrawSelf();
  if (alpha->ComposeCount() != before + 1 || (CaptureWindow(form->Handle()).Pixel(kW / 2, kH / 2) >> 24) != 255) {
    std::fprintf(stderr, "alphaform: the picture did not reach the screen\n");
    std::exit(1);
  }
  for (auto _ : st) alpha->DrawSelf();
  SetRate(st);
  form.reset();
  Pump();
}

void RunPixman(benchmark::State& st) {
  TBitmap32* img = TQuarnResManagerObj()->GetImageByName(kSkin);
  const int iw = img->Width(), ih = img->Height();
  const TRect caps = ThirdCaps(iw, ih);
  std::vector<uint32_t> src(img->Bits(), img->Bits() + size_t(iw) * ih);
  std::vector<uint32_t> buffer(size_t(kW) * kH), surface(size_t(kW) * kH);
  pixman_image_t* s = pixman_image_create_bits(PIXMAN_a8r8g8b8, iw, ih, src.data(), iw * 4);
  pixman_image_t* b = pixman_image_create_bits(PIXMAN_a8r8g8b8, kW, kH, buffer.data(), kW * 4);
  pixman_image_t* d = pixman_image_create_bits(PIXMAN_a8r8g8b8, kW, kH, surface.data(), kW * 4);
  pixman_image_set_filter(s, PIXMAN_FILTER_BILINEAR, nullptr, 0);
  pixman_image_set_repeat(s, PIXMAN_REPEAT_PAD);
  const int sx[3] = {0, caps.Left, iw - caps.Right}, sw[3] = {caps.Left, iw - caps.Left - caps.Right, caps.Right};
  const int sy[3] = {0, caps.Top, ih - caps.Bottom}, sh[3] = {caps.Top, ih - caps.Top - caps.Bottom, caps.Bottom};
  const int dx[3] = {0, caps.Left, kW - caps.Right}, dw[3] = {caps.Left, kW - caps.Left - caps.Right, caps.Right};
  const int dy[3] = {0, caps.Top, kH - caps.Bottom}, dh[3] = {caps.Top, kH - caps.Top - caps.Bottom, caps.Bottom};
  for (auto _ : st) {
    for (int j = 0; j < 3; ++j)
      for (int i = 0; i < 3; ++i) {
        pixman_transform_t t;
        pixman_transform_init_scale(&t, pixman_double_to_fixed(double(sw[i]) / dw[i]),
                                    pixman_double_to_fixed(double(sh[j]) / dh[j]));
        pixman_transform_translate(&t, nullptr, pixman_int_to_fixed(sx[i]), pixman_int_to_fixed(sy[j]));
        pixman_image_set_transform(s, &t);
        pixman_image_composite32(PIXMAN_OP_SRC, s, nullptr, b, 0, 0, 0, 0, dx[i], dy[j], dw[i], dh[j]);
      }
    for (uint32_t& c : buffer) {
      const uint32_t a = c >> 24;
      if (a == 255) continue;
      auto ch = [&](int sh) { return ((((c >> sh) & 0xFF) * a + 127) / 255) << sh; };
      c = (a << 24) | ch(16) | ch(8) | ch(0);
    }
    pixman_image_composite32(PIXMAN_OP_SRC, b, nullptr, d, 0, 0, 0, 0, 0, 0, kW, kH);
    benchmark::DoNotOptimize(surface[size_t(kH / 2) * kW + kW / 2]);
  }
  pixman_image_unref(s);
  pixman_image_unref(b);
  pixman_image_unref(d);
  SetRate(st);
}

}  // namespace

int main(int argc, char** argv) {
  qn::Initialize();
  SetScreenSize(1024, 768);
  constexpr int kRuns = 5;
  for (int run = 0; run < kRuns; ++run) {
    benchmark::RegisterBenchmark("alphaform-800x600/ours", RunOurs);
    benchmark::RegisterBenchmark("alphaform-800x600/pixman", RunPixman);
  }
  benchmark::Initialize(&argc, argv);
  BestRateReporter reporter("frames/s");
  benchmark::RunSpecifiedBenchmarks(&reporter);
  auto& r = reporter.rates;
  const double peer = r["alphaform-800x600/pixman"];
  std::printf("ratio alphaform-800x600: %.2f (pixman)\n", peer > 0 ? r["alphaform-800x600/ours"] / peer : 0.0);
  qn::Finalize();
  return 0;
}
