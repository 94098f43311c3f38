// Presenting the composed screen on the X11 display (under Xvfb, see
// scripts/bench): a 1920x1080 desktop after one 200x30 control repainted,
// shown through the damage list, against the full-frame upload of the same
// image; and a frame in which every pixel changed, against xcb_put_image of
// the same pixels done directly on a connection of its own. Prints
//   ratio present-damage: X (full-frame)        goal >= 10
//   ratio present-full-frame: X (xcb_put_image)  goal >= 0.9
// (above 1: ours is faster).
#include <benchmark/benchmark.h>
#include <xcb/xcb.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "package/Quarn.h"
#include "platform/desktop/Desktop.h"
#include "platform/desktop/Display.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/StdCtrls.h"

using namespace vcl;

namespace {

TForm* gForm = nullptr;
TButton* gButton = nullptr;

void Pump() {
  MSG m;
  while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&m);
    DispatchMessageW(&m);
  }
}

// The control repaints; the frame shows what changed.
void PresentDamage(benchmark::State& st) {
  int64_t pixels = 0;
  for (auto _ : st) {
    gButton->Invalidate();
    Pump();
    pixels = PresentDisplay();
  }
  st.counters["pixels"] = double(pixels);
}

// The same repaint, then the whole frame composed and sent.
void PresentFullFrame(benchmark::State& st) {
  int64_t pixels = 0;
  for (auto _ : st) {
    gButton->Invalidate();
    Pump();
    pixels = PresentDisplay(true);
  }
  st.counters["pixels"] = double(pixels);
}

// Every pixel changed: the desktop colour flips, the frame is composed and
// sent whole.
void FullScreenUpdate(benchmark::State& st) {
  bool odd = false;
  for (auto _ : st) {
    SetDesktopColor((odd = !odd) ? RGB(40, 80, 120) : RGB(120, 80, 40));
    PresentDisplay(true);
  }
}

// The peer: the same pixels with xcb_put_image, in the largest bands one
// request carries, then a round trip so the server has them.
void DirectPutImage(benchmark::State& st) {
  xcb_connection_t* c = xcb_connect(nullptr, nullptr);
  const xcb_setup_t* setup = xcb_get_setup(c);
  xcb_screen_t* screen = xcb_setup_roots_iterator(setup).data;
  TDisplayInfo info = DisplayInfo();
  xcb_window_t w = info.Window;
  xcb_gcontext_t gc = xcb_generate_id(c);
  xcb_create_gc(c, gc, w, 0, nullptr);
  TScreenImage img = CaptureScreen();
  const size_t rowBytes = size_t(img.Width) * 4;
  const uint32_t maxBytes = xcb_get_maximum_request_length(c) * 4;
  const int rows = int((maxBytes - 64) / rowBytes);
  for (auto _ : st) {
    for (int y = 0; y < img.Height; y += rows) {
      int n = std::min(rows, img.Height - y);
      xcb_put_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, w, gc, uint16_t(img.Width), uint16_t(n), 0, int16_t(y), 0,
                    screen->root_depth, uint32_t(rowBytes * size_t(n)),
                    reinterpret_cast<const uint8_t*>(&img.Pixels[size_t(y) * size_t(img.Width)]));
    }
    free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
  }
  xcb_free_gc(c, gc);
  xcb_disconnect(c);
}

class TimeReporter : public benchmark::ConsoleReporter {
 public:
  std::map<std::string, double> ns;
  void ReportRuns(const std::vector<Run>& runs) override {
    for (auto& r : runs) ns[r.benchmark_name()] = r.GetAdjustedRealTime();
    ConsoleReporter::ReportRuns(runs);
  }
};

}  // namespace

int main(int argc, char** argv) {
  qn::Initialize();
  SetScreenSize(1920, 1080);
  try {
    StartX11Display();
  } catch (Exception& e) {
    std::printf("present: skipped, %s\n", ToUtf8(e.Message()).c_str());
    qn::Finalize();
    return 0;
  }
  TDisplayInfo info = DisplayInfo();
  std::printf("present: %dx%d window, %s\n", info.Width, info.Height,
              info.SharedMemory ? "MIT-SHM frames" : "PutImage frames");
  gForm = new TForm(Application);
  gForm->SetPosition(poDesigned);
  gForm->SetBounds(200, 150, 640, 420);
  gButton = new TButton(gForm);
  gButton->SetParent(gForm);
  gButton->SetCaption(u"Repaint");
  gButton->SetBounds(40, 40, 200, 30);
  gForm->Show();
  Pump();
  PresentDisplay(true);

  benchmark::RegisterBenchmark("PresentDamage", PresentDamage)->Unit(benchmark::kMicrosecond);
  benchmark::RegisterBenchmark("PresentFullFrame", PresentFullFrame)->Unit(benchmark::kMicrosecond);
  benchmark::RegisterBenchmark("FullScreenUpdate", FullScreenUpdate)->Unit(benchmark::kMicrosecond);
  benchmark::RegisterBenchmark("DirectPutImage", DirectPutImage)->Unit(benchmark::kMicrosecond);
  benchmark::Initialize(&argc, argv);
  TimeReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  auto& t = reporter.ns;
  auto ratio = [&](const char* peer, const char* ours) { return t[ours] > 0 ? t[peer] / t[ours] : 0; };
  std::printf("ratio present-damage: %.2f (full-frame)\n", ratio("PresentFullFrame", "PresentDamage"));
  std::printf("ratio present-full-frame: %.2f (xcb_put_image)\n", ratio("DirectPutImage", "FullScreenUpdate"));
  delete gForm;
  StopDisplay();
  qn::Finalize();
  return 0;
}
