// One edit-mode frame of the icon button list against cairo drawing the same
// frame in process:
//  shake-12  12 visible 60 x 80 cells (4 x 3), icons and captions;
//  shake-40  40 visible cells (8 x 5).
// Every cell is shaken (no cell is hot). Per cell the peer copies the
// background, paints the icon, shows the caption in the same face and size,
// and composites the cell rotated bilinearly about the same pivot. The ratio
// is the peer's time over ours; at 1.0 or more the 10-ms shake timer never
// backs up behind the paint any more than the peer's would.
#include <benchmark/benchmark.h>
#include <cairo.h>

#include <cmath>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "package/Quarn.h"
#include "platform/rtl/Math.h"
#include "platform/rtl/SysUtils.h"
#include "platform/vcl/Bitmap.h"
#include "skin/extended/uQuarnIconButtonList.h"

using namespace qn;

namespace {

constexpr int kW = 60, kH = 80, kS = 10, kM = 10, kIcon = 32;

struct TGrid {
  int cols, rows;
  int Width() const { return 2 * kM + cols * kW + (cols - 1) * kS; }
  int Height() const { return 2 * kM + rows * kH + (rows - 1) * kS; }
};

uint32_t IconPixel(int i, int x, int y) {
  const bool edge = x < 2 || y < 2 || x >= kIcon - 2 || y >= kIcon - 2;
  return edge ? 0x00FF00FFu : 0xFF000000u | uint32_t((40 + i * 50) & 0xFF) << 16 | uint32_t(120 + x * 3) << 8 | 200u;
}

// The list with its painting reachable.
class TBenchList : public TQuarnIconButtonList {
  QN_CLASS(TBenchList, TQuarnIconButtonList)
 public:
  explicit TBenchList(TComponent* AOwner) : TQuarnIconButtonList(AOwner) {}
  void Paint(TBitmap32* B) { DrawBody(B); }
};

void RunOurs(benchmark::State& st, TGrid g) {
  RandSeed = 1;
  TImageList images(nullptr);
  images.SetSize(kIcon, kIcon);
  for (int i = 0; i < 4; ++i) {
    TBitmap b;
    b.SetPixelFormat(TPixelFormat::pf32bit);
    b.SetSize(kIcon, kIcon);
    for (int y = 0; y < kIcon; ++y) {
      auto* row = static_cast<uint32_t*>(b.ScanLine(y));
      for (int x = 0; x < kIcon; ++x) row[x] = IconPixel(i, x, y);
    }
    images.AddMasked(&b, TColor(0xFF00FF));
  }
  TBenchList list(nullptr);
  list.SetBounds(0, 0, g.Width(), g.Height());
  list.Font()->SetName(u"DejaVu Sans");
  list.Font()->SetSize(8);
  list.SetImages(&images);
  list.SetCaptionWordWarp(false);
  for (int i = 0; i < g.cols * g.rows; ++i) {
    auto* it = list.Items()->Add();
    it->SetCaption(u"Item " + IntToStr(i));
    it->SetImageNormalIndex(i % 4);
  }
  list.SetShakeInEdit(true);
  list.EnterEdit();
  TBitmap32 buffer;
  buffer.SetSize(g.Width(), g.Height());
  for (auto _ : st) {
    buffer.Clear(0xFF6080A0u);
    list.Paint(&buffer);
    benchmark::DoNotOptimize(buffer.Bits());
  }
  list.SetImages(nullptr);
}

void RunPeer(benchmark::State& st, TGrid g) {
  const int w = g.Width(), h = g.Height();
  cairo_surface_t* dst = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
  cairo_surface_t* work = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, kW, kH);
  std::vector<cairo_surface_t*> icons;
  std::vector<std::vector<uint32_t>> iconPixels(4, std::vector<uint32_t>(kIcon * kIcon));
  for (int i = 0; i < 4; ++i) {
    for (int y = 0; y < kIcon; ++y)
      for (int x = 0; x < kIcon; ++x) {
        const uint32_t c = IconPixel(i, x, y);
        iconPixels[i][y * kIcon + x] = c == 0x00FF00FFu ? 0 : c;
      }
    icons.push_back(cairo_image_surface_create_for_data(reinterpret_cast<unsigned char*>(iconPixels[i].data()),
                                                        CAIRO_FORMAT_ARGB32, kIcon, kIcon, kIcon * 4));
  }
  cairo_t* cr = cairo_create(dst);
  cairo_t* wc = cairo_create(work);
  cairo_select_font_face(wc, "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
  cairo_set_font_size(wc, 8.0 * 96 / 72);
  int n = 0;
  for (auto _ : st) {
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    cairo_set_source_rgb(cr, 0.63, 0.5, 0.38);
    cairo_paint(cr);
    cairo_set_source_rgba(cr, 1, 1, 1, 0.75);
    cairo_set_operator(cr, CAIRO_OPERATOR_OVER);
    cairo_paint(cr);
    cairo_surface_flush(dst);
    for (int r = 0; r < g.rows; ++r)
      for (int c = 0; c < g.cols; ++c) {
        const int x = kM + c * (kW + kS), y = kM + r * (kH + kS), i = r * g.cols + c;
        // The background under the cell.
        cairo_set_operator(wc, CAIRO_OPERATOR_SOURCE);
        cairo_set_source_surface(wc, dst, -x, -y);
        cairo_paint(wc);
        cairo_set_operator(wc, CAIRO_OPERATOR_OVER);
        cairo_set_source_surface(wc, icons[i % 4], (kW - kIcon) / 2, (kH - kIcon - 13) / 2);
        cairo_paint(wc);
        const std::string text = "Item " + std::to_string(i);
        cairo_text_extents_t ext;
        cairo_text_extents(wc, text.c_str(), &ext);
        cairo_set_source_rgb(wc, 0, 0, 0);
        cairo_move_to(wc, (kW - ext.width) / 2, (kH - kIcon - 13) / 2 + kIcon + 13);
        cairo_show_text(wc, text.c_str());
        cairo_surface_flush(work);
        // The cell back, turned about its pivot.
        const double angle = (double((n + i) % 5) - 2) * M_PI / 180, px = x + kW * 0.6, py = y + kH * 0.6;
        cairo_save(cr);
        cairo_rectangle(cr, x, y, kW, kH);
        cairo_clip(cr);
        cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
        cairo_set_source_rgb(cr, 1, 1, 1);
        cairo_paint(cr);
        cairo_translate(cr, px, py);
        cairo_rotate(cr, angle);
        cairo_translate(cr, -px, -py);
        cairo_set_source_surface(cr, work, x, y);
        cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_BILINEAR);
        cairo_paint(cr);
        cairo_restore(cr);
      }
    cairo_surface_flush(dst);
    ++n;
    benchmark::DoNotOptimize(cairo_image_surface_get_data(dst));
  }
  cairo_destroy(wc);
  cairo_destroy(cr);
  for (auto* s : icons) cairo_surface_destroy(s);
  cairo_surface_destroy(work);
  cairo_surface_destroy(dst);
}

class TimeReporter : public benchmark::ConsoleReporter {
 public:
  std::map<std::string, double> seconds;  // per iteration, the best repetition
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (run.iterations <= 0 || run.run_type != Run::RT_Iteration) continue;
      const double t = run.real_accumulated_time / run.iterations;
      auto it = seconds.find(run.run_name.function_name);
      if (it == seconds.end() || t < it->second) seconds[run.run_name.function_name] = t;
    }
    ConsoleReporter::ReportRuns(runs);
  }
};

}  // namespace

int main(int argc, char** argv) {
  qn::Initialize();
  const struct {
    const char* Name;
    TGrid Grid;
  } cases[] = {{"shake-12", {4, 3}}, {"shake-40", {8, 5}}};
  std::vector<std::string> names;
  for (const auto& c : cases) {
    names.push_back(std::string("ours/") + c.Name);
    benchmark::RegisterBenchmark(names.back().c_str(), [g = c.Grid](benchmark::State& st) { RunOurs(st, g); });
    names.push_back(std::string("cairo/") + c.Name);
    benchmark::RegisterBenchmark(names.back().c_str(), [g = c.Grid](benchmark::State& st) { RunPeer(st, g); });
  }
  benchmark::Initialize(&argc, argv);
  TimeReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  for (const auto& c : cases) {
    const double o = reporter.seconds[std::string("ours/") + c.Name], p = reporter.seconds[std::string("cairo/") + c.Name];
    std::printf("ratio %s: %.2f (cairo)\n", c.Name, o > 0 ? p / o : 0.0);
  }
  return 0;
}
