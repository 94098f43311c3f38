// Gallery page "gauges": circle progress gauges at several values and
// thicknesses, one in custom colours and caption; speedometers at several
// values, ranges and widths, one in custom colours and one caught mid-glide.
// Saved as gauges.png.
#include <memory>
#include <string>
#include <vector>

#include "examples/gallery/Gallery.h"
#include "examples/gallery/SkinnedForm.h"
#include "platform/desktop/Desktop.h"
#include "skin/controls/uQuarnLabel.h"
#include "skin/extended/uQuarnCircleProgress.h"
#include "skin/extended/uQuarnSpeedometer.h"

namespace gallery {

namespace {

using namespace qn;

// A speedometer whose glide is stepped by hand, so the page can show a
// frame from the middle of one whatever the clock does.
class TSteppedSpeedometer : public TQuarnSpeedometer {
  QN_CLASS(TSteppedSpeedometer, TQuarnSpeedometer)
 public:
  using TQuarnSpeedometer::TQuarnSpeedometer;
  void Step(Integer Frames) {
    for (Integer i = 0; i < Frames; ++i) DoTimer(nullptr);
    FTimer->SetEnabled(false);
  }
};

}  // namespace

std::vector<std::string> GaugesPage(const std::string& outDir) {
  SetScreenSize(1100, 820);
  auto form = NewSkinnedForm(TRect(30, 30, 1060, 650), u"Gauges");
  TForm* f = form.get();

  // --- circle progress -----------------------------------------------------------
  PageLabel(f, 24, 40, u"Circle progress (TQuarnCircleProgress), 150 x 150", true);
  const struct {
    Integer Value, Thickness;
    const char16_t* Name;
  } rings[] = {{0, 14, u"value 0, thickness 14"},
               {35, 14, u"value 35"},
               {100, 14, u"value 100"},
               {60, 6, u"value 60, thickness 6"},
               {80, 24, u"value 80, thickness 24"}};
  // Six rings and four dials with room to spare at the form's right edge.
  const Integer ringStep = 162;
  for (Integer i = 0; i < 5; ++i) {
    auto* c = new TQuarnCircleProgress(f);
    c->SetParent(f);
    c->SetBounds(24 + i * ringStep, 66, 150, 150);
    c->SetCircleThickness(rings[i].Thickness);
    c->SetValue(rings[i].Value);
    PageLabel(f, 24 + i * ringStep, 222, rings[i].Name);
  }
  {
    auto* c = new TQuarnCircleProgress(f);
    c->SetParent(f);
    c->SetBounds(24 + 5 * ringStep, 66, 150, 150);
    c->SetMinValue(20);
    c->SetMaxValue(220);
    c->SetValue(170);
    c->Colors()->SetCircleNormalColor(TColor(0x00E0E0E0));
    c->Colors()->SetCircleProgressColor(TColor(0x0050B04C));
    c->Colors()->SetPointColor(TColor(0x00204020));
    c->Caption()->SetText(u"% done");
    c->Caption()->Font()->SetColor(TColor(0x0030702C));
    PageLabel(f, 24 + 5 * ringStep, 222, u"custom colours, caption;");
    PageLabel(f, 24 + 5 * ringStep, 238, u"170 of 20..220");
  }

  // --- speedometers ---------------------------------------------------------------
  PageLabel(f, 24, 256, u"Speedometer (TQuarnSpeedometer), 230 x 230", true);
  const Integer top = 282, step = 240, size = 230;
  auto Dial = [&](Integer Col) {
    auto* s = new TSteppedSpeedometer(f);
    s->SetParent(f);
    s->SetBounds(24 + Col * step, top, size, size);
    return s;
  };
  auto* a = Dial(0);
  // The needle lies over the label of the value it points at, so the dials
  // stand between labels: at 0 it would hide the "0".
  a->SetValue(15);
  PageLabel(f, 24, top + size + 6, u"value 15 of 0..100");
  auto* b = Dial(1);
  b->SetValue(75);
  PageLabel(f, 24 + step, top + size + 6, u"value 75, defaults");
  auto* c = Dial(2);
  c->SetMaxValue(240);
  c->SetValue(180);
  c->SetCircleThickness(12);
  c->SetArrowWidth(8);
  c->Colors()->SetCircleNormalColor(TColor(0x00E8E0D8));
  c->Colors()->SetCircleProgressColor(TColor(0x003C3CE0));
  c->Colors()->SetArrowStartColor(TColor(0x0080C0FF));
  c->Colors()->SetArrowEndColor(TColor(0x003C3CE0));
  PageLabel(f, 24 + 2 * step, top + size + 6, u"180 of 0..240, thickness 12, needle 8,");
  PageLabel(f, 24 + 2 * step, top + size + 22, u"custom colours");
  auto* d = Dial(3);
  d->SetValue(30);
  d->SetActiveAnimate(true);
  d->SetValue(90);
  d->Step(4);
  PageLabel(f, 24 + 3 * step, top + size + 6, u"mid-glide: 30 -> 90, frame 4 of 15");
  PageLabel(f, 24, top + size + 48, u"Labels reached by the value take the progress colour; the needle is a linear "
                          u"gradient from ArrowStartColor to ArrowEndColor.");

  LiftContent(f, 24);
  form->Show();
  PumpMessages();
  RedrawWindow(form->Handle(), nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW);
  PumpMessages();
  const std::string path = outDir + "/gauges.png";
  vcl::SaveWindowSnapshot(form->Handle(), path);
  Hold();
  form.reset();
  PumpMessages();
  return {path};
}

}  // namespace gallery
