// The skin's drawing utilities against the compositing peer in one process:
//  stretch9         StretchBitmap of a translucent 30 x 30 frame into 75 x 27,
//                   300 x 200, 800 x 600 and 1000 x 40, against nine bilinear
//                   scaled OVER composites of the same slices;
//  stretch9_cached  the same with the cache of stretched frames on;
//  effecttext       the glow behind a 12-character caption at strengths 1, 4
//                   and 10, against the same text mask blurred by a separable
//                   box convolution and doubled per round, then a solid
//                   colour composited through it;
//  parentbg         a 200 x 30 transparent control nested 1 to 4 deep in
//                   skinned parents, each level re-taking its parent's
//                   picture, against copying the same rectangles level by
//                   level.
// Each ratio is the peer's time over ours for all sizes together.
#include <benchmark/benchmark.h>
#include <pixman.h>

#include <cstdio>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "package/Quarn.h"
#include "platform/gdi/Gdi.h"
#include "skin/foundation/uQnComm.h"
#include "skin/foundation/uQnPix32Lib.h"
#include "skin/foundation/uQuarnCtrls.h"

using namespace qn;

namespace {

struct TFrameSize {
  int w, h;
};
const TFrameSize kSizes[] = {{75, 27}, {300, 200}, {800, 600}, {1000, 40}};
constexpr int kFrame = 30, kCap = 10;

// A rounded, partly translucent frame like the skin's button faces.
void FillFrame(TColor32* p) {
  for (int y = 0; y < kFrame; ++y)
    for (int x = 0; x < kFrame; ++x) {
      const int edge = std::min({x, y, kFrame - 1 - x, kFrame - 1 - y});
      const Cardinal a = edge == 0 ? 90 : 255;
      p[y * kFrame + x] = (a << 24) | Cardinal(200 + y) << 16 | Cardinal(220 - x) << 8 | 240u;
    }
}

void RunOurs(benchmark::State& st, TFrameSize size, bool cached) {
  TQuarnImage frame;
  frame.SetSize(kFrame, kFrame);
  FillFrame(frame.Bits());
  TBitmap32 dst;
  dst.SetSize(size.w, size.h);
  dst.Clear(0xFF808080u);
  SetStretchCacheEnabled(cached);
  for (auto _ : st) {
    StretchBitmap(&frame, &dst, false);
    benchmark::DoNotOptimize(dst.Bits());
    benchmark::ClobberMemory();
  }
  SetStretchCacheEnabled(false);
}

void RunPeerStretch(benchmark::State& st, TFrameSize size) {
  std::vector<uint32_t> src(kFrame * kFrame), dst(size_t(size.w) * size.h, 0xFF808080u);
  FillFrame(src.data());
  // The peer composes premultiplied colours.
  for (auto& c : src) {
    const uint32_t a = c >> 24;
    auto pm = [&](int s) { return ((((c >> s) & 0xFF) * a + 127) / 255) << s; };
    c = (a << 24) | pm(16) | pm(8) | pm(0);
  }
  pixman_image_t* s = pixman_image_create_bits(PIXMAN_a8r8g8b8, kFrame, kFrame, src.data(), kFrame * 4);
  pixman_image_t* d = pixman_image_create_bits(PIXMAN_a8r8g8b8, size.w, size.h, dst.data(), size.w * 4);
  pixman_image_set_filter(s, PIXMAN_FILTER_BILINEAR, nullptr, 0);
  pixman_image_set_repeat(s, PIXMAN_REPEAT_PAD);
  const int sx[3] = {0, kCap, kFrame - kCap}, sw[3] = {kCap, kFrame - 2 * kCap, kCap};
  const int dx[3] = {0, kCap, size.w - kCap}, dw[3] = {kCap, size.w - 2 * kCap, kCap};
  const int dy[3] = {0, kCap, size.h - kCap}, dh[3] = {kCap, size.h - 2 * kCap, kCap};
  for (auto _ : st) {
    for (int j = 0; j < 3; ++j)
      for (int i = 0; i < 3; ++i) {
        if (dw[i] <= 0 || dh[j] <= 0) continue;
        pixman_transform_t t;
        pixman_transform_init_scale(&t, pixman_double_to_fixed(double(sw[i]) / dw[i]),
                                    pixman_double_to_fixed(double(sw[j]) / dh[j]));
        pixman_transform_translate(&t, nullptr, pixman_int_to_fixed(sx[i]), pixman_int_to_fixed(sx[j]));
        pixman_image_set_transform(s, &t);
        pixman_image_composite32(PIXMAN_OP_OVER, s, nullptr, d, 0, 0, 0, 0, dx[i], dy[j], dw[i], dh[j]);
      }
    benchmark::DoNotOptimize(dst.data());
    benchmark::ClobberMemory();
  }
  pixman_image_unref(s);
  pixman_image_unref(d);
}

const String kCaption = u"Skinned text";
const int kGlowW = 160, kGlowH = 40;

void RunOursGlow(benchmark::State& st, int strength) {
  TBitmap32 b;
  b.SetSize(kGlowW + 40, kGlowH + 40);
  b.Clear(0xFF202020u);
  b.Canvas()->Font()->SetName(u"DejaVu Sans");
  b.Canvas()->Font()->SetSize(12);
  const TRect r(20, 20, 20 + kGlowW, 20 + kGlowH);
  for (auto _ : st) {
    DrawEffectText(b.Canvas(), r, kCaption, DT_CENTER | DT_VCENTER | DT_SINGLELINE, 0, 0x0000FFFF, strength,
                   false);
    benchmark::DoNotOptimize(b.Bits());
  }
}

void RunPeerGlow(benchmark::State& st, int strength) {
  TBitmap32 b, cover;
  b.SetSize(kGlowW + 40, kGlowH + 40);
  b.Clear(0xFF202020u);
  b.Canvas()->Font()->SetName(u"DejaVu Sans");
  b.Canvas()->Font()->SetSize(12);
  const int m = strength, w = kGlowW + 2 * m, h = kGlowH + 2 * m;
  cover.SetSize(w, h);
  std::vector<uint8_t> maskA(size_t(w + 3) / 4 * 4 * h), maskB(maskA.size());
  const int stride = (w + 3) / 4 * 4;
  pixman_image_t* ma = pixman_image_create_bits(PIXMAN_a8, w, h, reinterpret_cast<uint32_t*>(maskA.data()), stride);
  pixman_image_t* mb = pixman_image_create_bits(PIXMAN_a8, w, h, reinterpret_cast<uint32_t*>(maskB.data()), stride);
  int n = 0;
  // A box three pixels wide each way, sampled at the pixel centres.
  pixman_fixed_t* box = pixman_filter_create_separable_convolution(
      &n, pixman_int_to_fixed(3), pixman_int_to_fixed(3), PIXMAN_KERNEL_IMPULSE, PIXMAN_KERNEL_IMPULSE,
      PIXMAN_KERNEL_BOX, PIXMAN_KERNEL_BOX, 0, 0);
  pixman_image_set_filter(ma, PIXMAN_FILTER_SEPARABLE_CONVOLUTION, box, n);
  pixman_color_t yellow{0xFFFF, 0xFFFF, 0, 0xFFFF};
  pixman_image_t* solid = pixman_image_create_solid_fill(&yellow);
  pixman_image_t* dst = pixman_image_create_bits(PIXMAN_a8r8g8b8, b.Width(), b.Height(),
                                                 reinterpret_cast<uint32_t*>(b.Bits()), b.Width() * 4);
  HFONT font = b.Canvas()->Font()->Handle();
  for (auto _ : st) {
    // The same mask the routine starts from.
    cover.Clear(0xFF000000u);
    HDC dc = cover.GetHDC();
    HGDIOBJ old = SelectObject(dc, font);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, 0x00FFFFFF);
    RECT r(m, m, m + kGlowW, m + kGlowH);
    DrawTextW(dc, kCaption.c_str(), int(kCaption.size()), &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    SelectObject(dc, old);
    pixman_image_set_filter(ma, PIXMAN_FILTER_SEPARABLE_CONVOLUTION, box, n);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) maskA[size_t(y) * stride + x] = uint8_t(cover.GetPixel(x, y) & 0xFF);
    for (int round = 0; round < strength; ++round) {
      // Blur into B (3 x 3 box), then B twice into A: doubled, saturating.
      pixman_image_composite32(PIXMAN_OP_SRC, ma, nullptr, mb, 0, 0, 0, 0, 0, 0, w, h);
      pixman_image_composite32(PIXMAN_OP_SRC, mb, nullptr, ma, 0, 0, 0, 0, 0, 0, w, h);
      pixman_image_composite32(PIXMAN_OP_ADD, mb, nullptr, ma, 0, 0, 0, 0, 0, 0, w, h);
    }
    pixman_image_set_filter(ma, PIXMAN_FILTER_NEAREST, nullptr, 0);
    pixman_image_composite32(PIXMAN_OP_OVER, solid, ma, dst, 0, 0, 0, 0, 20 - m, 20 - m, w, h);
    benchmark::DoNotOptimize(b.Bits());
  }
  free(box);
  pixman_image_unref(solid);
  pixman_image_unref(dst);
  pixman_image_unref(ma);
  pixman_image_unref(mb);
}

// A plain platform container, the root of the nested controls.
class TPlainHost : public TCustomControl {
  QN_CLASS(TPlainHost, TCustomControl)
 public:
  explicit TPlainHost(TComponent* AOwner) : TCustomControl(AOwner) {
    SetControlStyle(ControlStyle() + TControlStyle{csAcceptsControls});
  }
};

// parentbg: a 200 x 30 transparent control nested N deep in skinned
// parents, every level re-taking its parent's picture, against the peer
// copying the same rectangles level by level.
class TBenchControl : public TQuarnCustomControl {
  QN_CLASS(TBenchControl, TQuarnCustomControl)
 public:
  explicit TBenchControl(TComponent* AOwner) : TQuarnCustomControl(AOwner) {
    SetControlStyle(ControlStyle() + TControlStyle{csAcceptsControls});
  }
};

void RunOursParentBg(benchmark::State& st, int depth) {
  TPlainHost root(nullptr);
  root.SetBounds(0, 0, 200, 30);
  std::vector<TBenchControl*> levels;
  TWinControl* parent = &root;
  for (int i = 0; i <= depth; ++i) {
    auto* c = new TBenchControl(&root);
    c->SetParent(parent);
    c->SetBounds(0, 0, 200, 30);
    c->ResizeBuffer();
    if (i == 0) c->SetTransparent(false);  // the outermost skinned parent paints its colour
    levels.push_back(c);
    parent = c;
  }
  for (auto _ : st) {
    for (auto* c : levels) c->SetBufferValid(false);
    benchmark::DoNotOptimize(levels.back()->GetBackgroundPicture());
  }
}

void RunPeerParentBg(benchmark::State& st, int depth) {
  std::vector<std::vector<uint32_t>> bufs(depth + 1, std::vector<uint32_t>(200 * 30));
  std::vector<pixman_image_t*> imgs;
  for (auto& b : bufs) imgs.push_back(pixman_image_create_bits(PIXMAN_a8r8g8b8, 200, 30, b.data(), 200 * 4));
  pixman_color_t white{0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF};
  for (auto _ : st) {
    pixman_box32_t box{0, 0, 200, 30};
    pixman_image_fill_boxes(PIXMAN_OP_SRC, imgs[0], &white, 1, &box);
    for (int i = 1; i <= depth; ++i)
      pixman_image_composite32(PIXMAN_OP_SRC, imgs[i - 1], nullptr, imgs[i], 0, 0, 0, 0, 0, 0, 200, 30);
    benchmark::DoNotOptimize(bufs.back().data());
  }
  for (auto* i : imgs) pixman_image_unref(i);
}

class TimeReporter : public benchmark::ConsoleReporter {
 public:
  std::map<std::string, double> seconds;  // per iteration
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs)
      if (run.iterations > 0) seconds[run.benchmark_name()] = run.real_accumulated_time / run.iterations;
    ConsoleReporter::ReportRuns(runs);
  }
};

}  // namespace

int main(int argc, char** argv) {
  qn::Initialize();
  std::vector<std::string> ours9, ours9c, peer9, oursGlow, peerGlow;
  for (const TFrameSize& s : kSizes) {
    const std::string n = std::to_string(s.w) + "x" + std::to_string(s.h);
    ours9.push_back("ours/stretch9/" + n);
    ours9c.push_back("ours/stretch9_cached/" + n);
    peer9.push_back("pixman/stretch9/" + n);
    benchmark::RegisterBenchmark(ours9.back().c_str(), [s](benchmark::State& st) { RunOurs(st, s, false); });
    benchmark::RegisterBenchmark(ours9c.back().c_str(), [s](benchmark::State& st) { RunOurs(st, s, true); });
    benchmark::RegisterBenchmark(peer9.back().c_str(), [s](benchmark::State& st) { RunPeerStretch(st, s); });
  }
  for (int strength : {1, 4, 10}) {
    oursGlow.push_back("ours/effecttext/" + std::to_string(strength));
    peerGlow.push_back("pixman/effecttext/" + std::to_string(strength));
    benchmark::RegisterBenchmark(oursGlow.back().c_str(),
                                 [strength](benchmark::State& st) { RunOursGlow(st, strength); });
    benchmark::RegisterBenchmark(peerGlow.back().c_str(),
                                 [strength](benchmark::State& st) { RunPeerGlow(st, strength); });
  }
  std::vector<std::string> oursBg, peerBg;
  for (int depth : {1, 2, 3, 4}) {
    oursBg.push_back("ours/parentbg/" + std::to_string(depth));
    peerBg.push_back("pixman/parentbg/" + std::to_string(depth));
    benchmark::RegisterBenchmark(oursBg.back().c_str(), [depth](benchmark::State& st) { RunOursParentBg(st, depth); });
    benchmark::RegisterBenchmark(peerBg.back().c_str(), [depth](benchmark::State& st) { RunPeerParentBg(st, depth); });
  }
  benchmark::Initialize(&argc, argv);
  TimeReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);

  auto total = [&](const std::vector<std::string>& names) {
    double t = 0;
    for (const auto& n : names) t += reporter.seconds[n];
    return t;
  };
  auto ratio = [&](const char* label, const std::vector<std::string>& ours, const std::vector<std::string>& peer) {
    const double o = total(ours), p = total(peer);
    std::printf("ratio %s: %.2f (pixman)\n", label, o > 0 ? p / o : 0.0);
  };
  ratio("stretch9", ours9, peer9);
  ratio("stretch9_cached", ours9c, peer9);
  ratio("effecttext", oursGlow, peerGlow);
  ratio("parentbg", oursBg, peerBg);
  qn::Finalize();
  return 0;
}
