// Repainting only what changed.
// (a) Damage tracking on a 1920 x 1080 buffer: per frame, 10, 100 or 1,000
//     random rectangles of 1 to 200 pixels are added to a micro-tile map and
//     turned into rectangles (exact, and in whole tiles), against the peer's
//     region union of the same stream followed by its rectangle list.
// (b) One frame of a 1920 x 1080 image control in optimizer mode with 20
//     alpha layers of 64 x 64 over a picture: one layer moves 3 pixels and
//     the paint cycle runs until the window's surface shows it. The peer
//     recomposes the same scene clipped to the damaged region (the picture
//     with SRC, the layers with OVER) and copies that region to a surface
//     of the same size.
// (c) The frame of (b) in optimizer mode against the same control repainting
//     in full.
// Each case runs five times, in turns with the others; the ratios use the
// fastest run of each side.
#include <benchmark/benchmark.h>
#include <pixman.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "bench/BestRate.h"
#include "graphics/raster/Pix32_Image_qn.h"
#include "graphics/raster/Pix32_MicroTiles_qn.h"
#include "package/Quarn.h"
#include "platform/desktop/Desktop.h"
#include "platform/vcl/Forms.h"

using namespace qn;

namespace {

constexpr int kW = 1920, kH = 1080, kLayers = 20, kSize = 64, kStep = 3;

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

// --- (a)

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

// --- (b) and (c): the scene

// Straight-alpha picture of layer i: a soft disc over a faint square.
void FillLayer(TColor32* px, int i) {
  for (int y = 0; y < kSize; ++y)
    for (int x = 0; x < kSize; ++x) {
      const int dx = 2 * x - kSize + 1, dy = 2 * y - kSize + 1;
      const int d2 = (dx * dx + dy * dy) * 255 / (kSize * kSize);
      const int a = d2 >= 255 ? 40 : 255 - d2 * 215 / 255;
      px[y * kSize + x] = Cardinal(a) << 24 | Cardinal((i * 37 + x * 3) & 255) << 16 | Cardinal((y * 4) & 255) << 8 |
                          Cardinal(200 - i * 5);
    }
}

void FillBackground(TColor32* px) {
  for (int y = 0; y < kH; ++y)
    for (int x = 0; x < kW; ++x)
      px[size_t(y) * kW + x] = 0xFF000000u | Cardinal(x * 255 / kW) << 16 | Cardinal(y * 255 / kH) << 8 | 0x40u;
}

std::vector<TPoint> Places() {
  std::mt19937 rng(5);
  std::vector<TPoint> p;
  for (int i = 0; i < kLayers; ++i) p.emplace_back(int(rng() % (kW - 300)), int(rng() % (kH - 200)));
  return p;
}

// The layer that moves: back and forth by kStep, so the frames stay alike.
int MovedX(int Frame, int X0) { return X0 + ((Frame & 1) ? kStep : 0); }

struct TScene {
  std::unique_ptr<TForm> Host;
  TImage32* Image = nullptr;
  TBitmapLayer* Moving = nullptr;
  TPoint Start;
  int Frame = 0;

  explicit TScene(TRepaintMode Mode) {
    // A paint box paints only with a parent control: a borderless form
    // covering the screen holds the image.
    Host = std::make_unique<TForm>(nullptr);
    Host->SetPosition(poDesigned);
    Host->SetBorderStyle(bsNone);
    Host->SetBounds(0, 0, kW, kH);
    Image = new TImage32(Host.get());
    Image->SetParent(Host.get());
    Image->SetBounds(0, 0, kW, kH);
    Image->Bitmap()->SetSize(kW, kH);
    FillBackground(Image->Bitmap()->Bits());
    int i = 0;
    for (const TPoint& p : Places()) {
      auto* l = Image->Layers()->Add<TBitmapLayer>();
      l->Bitmap()->SetSize(kSize, kSize);
      FillLayer(l->Bitmap()->Bits(), i++);
      l->Bitmap()->SetDrawMode(TDrawMode::dmBlend);
      l->SetLocation(TFloatRect(Single(p.X), Single(p.Y), Single(p.X + kSize), Single(p.Y + kSize)));
      Moving = l;
      Start = p;
    }
    Image->SetRepaintMode(Mode);
    Host->Show();
    Pump();
    // The frames count only if they reach the window: the pixels the moved
    // layer left and the ones it entered must show there.
    Step();
    const TScreenImage shot = CaptureWindow(Image->Handle(), true);
    const int y = Start.Y + kSize / 2, left = Start.X + 1, right = Start.X + kSize + kStep - 1;
    auto shown = [&](int X) { return shot.Pixel(X, y) & 0xFFFFFF; };
    if (shown(left) != (Image->Bitmap()->GetPixel(left, y) & 0xFFFFFF) ||
        shown(right) == (Image->Bitmap()->GetPixel(right, y) & 0xFFFFFF)) {
      std::fprintf(stderr, "repaint: the frame did not reach the window\n");
      std::exit(1);
    }
  }
  ~TScene() {
    Host.reset();
    Pump();
  }
  static void Pump() {
    MSG m;
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);
  }
  void Step() {
    const int x = MovedX(++Frame, Start.X);
    Moving->SetLocation(TFloatRect(Single(x), Single(Start.Y), Single(x + kSize), Single(Start.Y + kSize)));
    Pump();
  }
};

void RunImage(benchmark::State& st, TRepaintMode Mode) {
  TScene scene(Mode);
  for (auto _ : st) scene.Step();
  SetRate(st);
}

// The peer: the same pictures premultiplied, the same moves; each frame the
// region the layer left and entered is recomposed and copied.
Cardinal Premultiply(Cardinal c) {
  const Cardinal a = c >> 24;
  auto ch = [a](Cardinal v) { return (v * a + 127) / 255; };
  return a << 24 | ch((c >> 16) & 255) << 16 | ch((c >> 8) & 255) << 8 | ch(c & 255);
}

void RunPixman(benchmark::State& st) {
  std::vector<uint32_t> bg(size_t(kW) * kH), buffer(size_t(kW) * kH), surface(size_t(kW) * kH);
  FillBackground(bg.data());
  std::vector<std::vector<uint32_t>> pics(kLayers, std::vector<uint32_t>(kSize * kSize));
  for (int i = 0; i < kLayers; ++i) {
    FillLayer(pics[size_t(i)].data(), i);
    for (uint32_t& p : pics[size_t(i)]) p = Premultiply(p);
  }
  pixman_image_t* bgImg = pixman_image_create_bits(PIXMAN_a8r8g8b8, kW, kH, bg.data(), kW * 4);
  pixman_image_t* bufImg = pixman_image_create_bits(PIXMAN_a8r8g8b8, kW, kH, buffer.data(), kW * 4);
  pixman_image_t* surfImg = pixman_image_create_bits(PIXMAN_a8r8g8b8, kW, kH, surface.data(), kW * 4);
  std::vector<pixman_image_t*> imgs;
  for (auto& p : pics) imgs.push_back(pixman_image_create_bits(PIXMAN_a8r8g8b8, kSize, kSize, p.data(), kSize * 4));
  std::vector<TPoint> places = Places();
  const TPoint start = places.back();
  // The first frame, in full.
  pixman_image_composite32(PIXMAN_OP_SRC, bgImg, nullptr, bufImg, 0, 0, 0, 0, 0, 0, kW, kH);
  for (int i = 0; i < kLayers; ++i)
    pixman_image_composite32(PIXMAN_OP_OVER, imgs[size_t(i)], nullptr, bufImg, 0, 0, 0, 0, places[size_t(i)].X,
                             places[size_t(i)].Y, kSize, kSize);
  int frame = 0;
  for (auto _ : st) {
    const int oldX = places.back().X, x = MovedX(++frame, start.X);
    places.back().X = x;
    pixman_region32_t damage;
    pixman_region32_init_rect(&damage, oldX, start.Y, kSize, kSize);
    pixman_region32_union_rect(&damage, &damage, x, start.Y, kSize, kSize);
    pixman_image_set_clip_region32(bufImg, &damage);
    pixman_image_composite32(PIXMAN_OP_SRC, bgImg, nullptr, bufImg, 0, 0, 0, 0, 0, 0, kW, kH);
    for (int i = 0; i < kLayers; ++i)
      pixman_image_composite32(PIXMAN_OP_OVER, imgs[size_t(i)], nullptr, bufImg, 0, 0, 0, 0, places[size_t(i)].X,
                               places[size_t(i)].Y, kSize, kSize);
    pixman_image_set_clip_region32(bufImg, nullptr);
    pixman_image_set_clip_region32(surfImg, &damage);
    pixman_image_composite32(PIXMAN_OP_SRC, bufImg, nullptr, surfImg, 0, 0, 0, 0, 0, 0, kW, kH);
    pixman_image_set_clip_region32(surfImg, nullptr);
    pixman_region32_fini(&damage);
    benchmark::DoNotOptimize(surface[size_t(start.Y) * kW + size_t(x)]);
  }
  for (pixman_image_t* i : imgs) pixman_image_unref(i);
  pixman_image_unref(bgImg);
  pixman_image_unref(bufImg);
  pixman_image_unref(surfImg);
  SetRate(st);
}

}  // namespace

int main(int argc, char** argv) {
  qn::Initialize();
  SetScreenSize(kW, kH);
  // The five runs take turns with their peers, so a change of load on the
  // machine falls on both sides alike.
  constexpr int kRuns = 5;
  for (int run = 0; run < kRuns; ++run) {
    for (int count : {10, 100, 1000}) {
      const std::string n = std::to_string(count);
      benchmark::RegisterBenchmark(("tiles-exact/" + n).c_str(), [count](benchmark::State& st) { RunTiles(st, count, false); });
      benchmark::RegisterBenchmark(("tiles-whole/" + n).c_str(), [count](benchmark::State& st) { RunTiles(st, count, true); });
      benchmark::RegisterBenchmark(("pixman-region/" + n).c_str(), [count](benchmark::State& st) { RunRegion(st, count); });
    }
    benchmark::RegisterBenchmark("frame-optimizer", [](benchmark::State& st) { RunImage(st, rmOptimizer); });
    benchmark::RegisterBenchmark("frame-full", [](benchmark::State& st) { RunImage(st, rmFull); });
    benchmark::RegisterBenchmark("frame-pixman", RunPixman);
  }
  benchmark::Initialize(&argc, argv);
  BestRateReporter reporter("frames/s");
  benchmark::RunSpecifiedBenchmarks(&reporter);
  auto& r = reporter.rates;
  auto ratio = [&r](const std::string& Ours, const std::string& Peer) {
    const double peer = r[Peer];
    return peer > 0 ? r[Ours] / peer : 0.0;
  };
  for (int count : {10, 100, 1000}) {
    const std::string n = std::to_string(count);
    std::printf("ratio damage-exact-%s: %.2f (pixman)\n", n.c_str(), ratio("tiles-exact/" + n, "pixman-region/" + n));
    std::printf("ratio damage-whole-%s: %.2f (pixman)\n", n.c_str(), ratio("tiles-whole/" + n, "pixman-region/" + n));
  }
  std::printf("ratio frame: %.2f (pixman)\n", ratio("frame-optimizer", "frame-pixman"));
  std::printf("ratio frame-optimizer: %.2f (rmFull)\n", ratio("frame-optimizer", "frame-full"));
  qn::Finalize();
  return 0;
}
