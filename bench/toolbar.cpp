// A toolbar of 30 items (icon and caption each, one down, one hot) painted
// into a 1600 x 52 buffer over an opaque background:
//  toolbar-repaint            fixed 48 x 48 items, the button frames sliced
//                             once and reused;
//  toolbar-repaint-autowidth  items as wide as their captions, each item's
//                             frame nine-sliced anew.
// Ours runs the toolbar's paint; the peer is cairo drawing the same picture
// from the same frames, icons and font: the background, the translucent
// body, per item the state frame (already sliced, or nine-sliced in nine
// scaled pieces), the icon and the measured, centred caption.
#include <benchmark/benchmark.h>
#include <cairo.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "bench/BestRate.h"
#include "package/Quarn.h"
#include "platform/rtl/SysUtils.h"
#include "platform/vcl/Bitmap.h"
#include "skin/extended/uQuarnToolbar.h"
#include "skin/foundation/uQnComm.h"

using namespace qn;

namespace {

constexpr int kW = 1600, kH = 52, kItems = 30, kIcon = 16, kDown = 3, kHot = 5;

String Caption(int i) {
  static const char16_t* words[] = {u"Open", u"Save", u"Print", u"Cut", u"Copy", u"Paste", u"Find", u"Undo"};
  return String(words[i % 8]) + IntToStr(i);
}

TColor IconColour(int i) { return TColor(RGB(Byte(40 + i * 7), Byte(200 - i * 5), Byte(90 + i * 3))); }

void FillBackground(TBitmap32* B) {
  B->SetSize(kW, kH);
  for (int y = 0; y < kH; ++y)
    for (int x = 0; x < kW; ++x) B->SetPixel(x, y, 0xFF000000u | Cardinal(x * 255 / kW) << 16 | Cardinal(60 + y * 3) << 8 | 140u);
}

// A toolbar whose paint can be called on any buffer.
class TBenchToolbar : public TQuarnToolbar {
 public:
  explicit TBenchToolbar(TComponent* AOwner) : TQuarnToolbar(AOwner) {}
  void PaintInto(TBitmap32* B) { DrawBody(B); }
};

struct TOurs {
  std::unique_ptr<TComponent> Owner = std::make_unique<TComponent>(nullptr);
  TBenchToolbar* Bar;
  TBitmap32 Background, Buffer;
  explicit TOurs(bool AutoWidth) {
    auto* icons = new TCustomImageList(Owner.get());
    icons->SetSize(kIcon, kIcon);
    for (int i = 0; i < kItems; ++i) {
      TBitmap b;
      b.SetSize(kIcon, kIcon);
      b.Canvas()->Brush()->SetColor(clFuchsia);
      b.Canvas()->FillRect(TRect(0, 0, kIcon, kIcon));
      b.Canvas()->Brush()->SetColor(IconColour(i));
      b.Canvas()->Ellipse(1, 1, kIcon - 1, kIcon - 1);
      icons->AddMasked(&b, clFuchsia);
    }
    Bar = new TBenchToolbar(Owner.get());
    Bar->SetAlign(alNone);
    Bar->SetBounds(0, 0, kW, kH);
    Bar->SetImages(icons);
    Bar->SetAutoButtonWidth(AutoWidth);
    for (int i = 0; i < kItems; ++i) {
      TQuarnToolbarItem* it = Bar->Items()->Add();
      it->Text()->SetText(Caption(i));
      it->SetImageIndex(i);
    }
    Bar->Items()->Items(kDown)->SetDown(true);
    Bar->SetHotItemIndex(kHot);
    FillBackground(&Background);
    Buffer.SetSize(kW, kH);
  }
  void Paint() {
    Buffer.Draw(0, 0, &Background);
    Bar->PaintInto(&Buffer);
  }
};

// Straight ARGB to a premultiplied cairo surface the caller destroys.
cairo_surface_t* ToCairo(const TBitmap32& B) {
  cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, B.Width(), B.Height());
  cairo_surface_flush(s);
  unsigned char* data = cairo_image_surface_get_data(s);
  const int stride = cairo_image_surface_get_stride(s);
  for (int y = 0; y < B.Height(); ++y) {
    auto* row = reinterpret_cast<uint32_t*>(data + y * stride);
    for (int x = 0; x < B.Width(); ++x) {
      const TColor32 c = B.GetPixel(x, y);
      const uint32_t a = c >> 24;
      auto pm = [a](uint32_t v) { return (v * a + 127) / 255; };
      row[x] = a << 24 | pm((c >> 16) & 255) << 16 | pm((c >> 8) & 255) << 8 | pm(c & 255);
    }
  }
  cairo_surface_mark_dirty(s);
  return s;
}

struct TPeer {
  bool AutoWidth;
  cairo_surface_t* Dst;
  cairo_surface_t* Background;
  cairo_surface_t* Frames[3];       // normal, hot, pressed: one frame each
  cairo_surface_t* Sliced[3];       // the same, nine-sliced to 48 x 48
  std::vector<cairo_surface_t*> Icons;
  std::vector<std::string> Captions;
  int FrameW = 0, FrameH = 0;
  explicit TPeer(bool AAutoWidth) : AutoWidth(AAutoWidth) {
    Dst = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, kW, kH);
    TBitmap32 bg;
    FillBackground(&bg);
    Background = ToCairo(bg);
    TPngPictures strip;
    strip.SetImage(u"QuarnFlatBtn");
    strip.SetCount(3);
    for (int f = 0; f < 3; ++f) {
      TQuarnImage frame;
      strip.GetFrame(f, &frame);
      FrameW = frame.Width();
      FrameH = frame.Height();
      Frames[f] = ToCairo(frame);
      std::unique_ptr<TQuarnImage> sliced(ResizeImg(&frame, 48, 48));
      Sliced[f] = ToCairo(*sliced);
    }
    for (int i = 0; i < kItems; ++i) {
      TBitmap32 icon;
      icon.SetSize(kIcon, kIcon);
      icon.Clear(0);
      const TColor32 c = Color32(ColorToRGB(IconColour(i))) | 0xFF000000u;
      for (int y = 1; y < kIcon - 1; ++y)
        for (int x = 1; x < kIcon - 1; ++x)
          if ((x - 7.5) * (x - 7.5) + (y - 7.5) * (y - 7.5) <= 42) icon.SetPixel(x, y, c);
      Icons.push_back(ToCairo(icon));
      const String s = Caption(i);
      Captions.emplace_back(s.begin(), s.end());
    }
  }
  ~TPeer() {
    for (auto* s : Icons) cairo_surface_destroy(s);
    for (int f = 0; f < 3; ++f) {
      cairo_surface_destroy(Frames[f]);
      cairo_surface_destroy(Sliced[f]);
    }
    cairo_surface_destroy(Background);
    cairo_surface_destroy(Dst);
  }
  // The frame stretched into W x H in nine pieces, corners a third.
  void NineSlice(cairo_t* cr, cairo_surface_t* F, double X, double Y, double W, double H) {
    const double cw = FrameW / 3, ch = FrameH / 3;
    const double sx[4] = {0, cw, FrameW - cw, double(FrameW)}, sy[4] = {0, ch, FrameH - ch, double(FrameH)};
    const double dx[4] = {X, X + cw, X + W - cw, X + W}, dy[4] = {Y, Y + ch, Y + H - ch, Y + H};
    for (int j = 0; j < 3; ++j)
      for (int i = 0; i < 3; ++i) {
        cairo_save(cr);
        cairo_rectangle(cr, dx[i], dy[j], dx[i + 1] - dx[i], dy[j + 1] - dy[j]);
        cairo_clip(cr);
        cairo_translate(cr, dx[i], dy[j]);
        cairo_scale(cr, (dx[i + 1] - dx[i]) / (sx[i + 1] - sx[i]), (dy[j + 1] - dy[j]) / (sy[j + 1] - sy[j]));
        cairo_set_source_surface(cr, F, -sx[i], -sy[j]);
        cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_BILINEAR);
        cairo_paint(cr);
        cairo_restore(cr);
      }
  }
  void Paint() {
    cairo_t* cr = cairo_create(Dst);
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    cairo_set_source_surface(cr, Background, 0, 0);
    cairo_paint(cr);
    cairo_set_operator(cr, CAIRO_OPERATOR_OVER);
    cairo_set_source_rgba(cr, 1, 1, 1, 192 / 255.0);
    cairo_paint(cr);
    cairo_select_font_face(cr, "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, 11);
    cairo_font_extents_t fe;
    cairo_font_extents(cr, &fe);
    double x = 3;
    const double y = (kH - 48) / 2;
    for (int i = 0; i < kItems; ++i) {
      cairo_text_extents_t te;
      cairo_text_extents(cr, Captions[i].c_str(), &te);
      const double w = AutoWidth ? int(te.x_advance) + 14 : 48;
      const int state = i == kDown ? 2 : i == kHot ? 1 : 0;
      if (AutoWidth) {
        NineSlice(cr, Frames[state], x, y, w, 48);
      } else {
        cairo_set_source_surface(cr, Sliced[state], x, y);
        cairo_paint(cr);
      }
      const double th = fe.height;
      const double iy = y + int((48 - kIcon - th) / 2);
      cairo_set_source_surface(cr, Icons[i], x + int((w - kIcon) / 2), iy);
      cairo_paint(cr);
      cairo_set_source_rgb(cr, 0, 0, 0);
      cairo_move_to(cr, x + (w - te.x_advance) / 2, iy + kIcon + 2 + fe.ascent);
      cairo_show_text(cr, Captions[i].c_str());
      x += w + 3;
    }
    cairo_destroy(cr);
    cairo_surface_flush(Dst);
    benchmark::DoNotOptimize(cairo_image_surface_get_data(Dst));
  }
};

void RunOurs(benchmark::State& st, bool AutoWidth) {
  TOurs ours(AutoWidth);
  ours.Paint();
  for (auto _ : st) ours.Paint();
  st.counters["frames/s"] = benchmark::Counter(double(st.iterations()), benchmark::Counter::kIsRate);
}

void RunCairo(benchmark::State& st, bool AutoWidth) {
  TPeer peer(AutoWidth);
  peer.Paint();
  for (auto _ : st) peer.Paint();
  st.counters["frames/s"] = benchmark::Counter(double(st.iterations()), benchmark::Counter::kIsRate);
}

}  // namespace

int main(int argc, char** argv) {
  qn::Initialize();
  for (bool autoWidth : {false, true}) {
    const std::string scene = autoWidth ? "toolbar-repaint-autowidth" : "toolbar-repaint";
    benchmark::RegisterBenchmark(("ours/" + scene).c_str(), [autoWidth](benchmark::State& st) { RunOurs(st, autoWidth); })
        ->Repetitions(5)
        ->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark(("cairo/" + scene).c_str(), [autoWidth](benchmark::State& st) { RunCairo(st, autoWidth); })
        ->Repetitions(5)
        ->Unit(benchmark::kMicrosecond);
  }
  benchmark::Initialize(&argc, argv);
  BestRateReporter reporter("frames/s");
  benchmark::RunSpecifiedBenchmarks(&reporter);
  auto& r = reporter.rates;
  for (const char* scene : {"toolbar-repaint", "toolbar-repaint-autowidth"}) {
    const std::string s = scene;
    const double ours = r["ours/" + s], theirs = r["cairo/" + s];
    std::printf("ratio %s: %.2f (cairo)\n", scene, theirs > 0 ? ours / theirs : 0);
  }
  qn::Finalize();
  return 0;
}
