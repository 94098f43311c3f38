// Gallery page "controls": the standard-controls form (Controls.dfm), every
// standard skinned control on one skinned form, played through by a person:
// a push button hovered, pressed and clicked, a drop-down menu opened and
// cancelled, text typed and selected, the list box wheeled and its thumb
// dragged, check and radio boxes toggled, the splitter, track bar and
// progress thumb dragged, the expand box collapsed, a link hovered and an
// edit tip shown. controls-NN.png after each step that changed what is seen,
// stamped with the steps it shows.
#include <algorithm>
#include <cstdio>
#include <optional>
#include <utility>
#include <string>
#include <vector>

#include "examples/gallery/ControlsForm.h"
#include "examples/gallery/Gallery.h"
#include "examples/gallery/SheetImage.h"
#include "platform/desktop/Desktop.h"
#include "skin/controls/uQuarnEditTips.h"
#include "skin/controls/uQuarnPasswordEdit.h"
#include "skin/extended/uQuarnHint.h"

namespace gallery {

namespace {

bool Same(const TScreenImage& a, const TScreenImage& b) {
  return a.Width == b.Width && a.Height == b.Height && a.Pixels == b.Pixels;
}

// "step 4: open the menu", or "steps 3 and 4: click, then open the menu"
// for steps told together.
std::string StepStamp(const std::vector<std::pair<int, std::string>>& told) {
  if (told.size() == 1) return "step " + std::to_string(told[0].first) + ": " + told[0].second;
  std::string numbers, names;
  for (size_t i = 0; i < told.size(); ++i) {
    const char* sep = i == 0 ? "" : i + 1 == told.size() ? " and " : ", ";
    numbers += sep + std::to_string(told[i].first);
    names += (i ? ", then " : "") + told[i].second;
  }
  return "steps " + numbers + ": " + names;
}

// The screen picture with the stamp in white on the desktop below the form.
TScreenImage Stamped(const TScreenImage& img, const std::string& stamp) {
  TBitmap bmp;
  bmp.SetPixelFormat(TPixelFormat::pf32bit);
  bmp.SetSize(img.Width, img.Height);
  TCanvas* c = bmp.Canvas();
  BlitImage(c->Handle(), img, 0, 0);
  c->Brush()->SetStyle(TBrushStyle::bsClear);
  c->Font()->SetName(u"DejaVu Sans");
  c->Font()->SetSize(10);
  c->Font()->SetStyle(TFontStyles{TFontStyle::fsBold});
  c->Font()->SetColor(clWhite);
  c->TextOut(32, img.Height - 30, FromUtf8(stamp));
  return BitmapImage(c->Handle(), bmp.Handle(), img.Width, img.Height);
}

}  // namespace

std::vector<std::string> ControlsPage(const std::string& outDir) {
  SetScreenSize(1100, 780);
  SetDesktopColor(RGB(46, 62, 84));
  SetVirtualClock(true);
  std::vector<std::string> paths;
  {
    std::unique_ptr<TControlsForm> form = LoadControlsForm();
    form->Show();
    TControlsDriver d(form.get());
    d.Wait(200);
    // Each picture is stamped with the steps it shows. A step that leaves the
    // screen as an earlier picture showed it is told together with the next.
    std::vector<TScreenImage> written;
    std::vector<std::pair<int, std::string>> told;
    int stepNo = 0;
    auto take = [] {
      ClearScreenOverlay();
      return CaptureScreen();
    };
    auto write = [&](const TScreenImage& img, const std::string& file) {
      const std::string path = outDir + file;
      const std::string stamp = StepStamp(told);
      SavePng(Stamped(img, stamp), path);
      NotePicture(path, stamp, true);
      paths.push_back(path);
      written.push_back(img);
      told.clear();
    };
    for (const TControlsStep& step : ControlsScript()) {
      // A menu is only on the screen inside its own loop: its step is
      // pictured there.
      std::optional<TScreenImage> img;
      d.OnMenuShown = [&] { img = take(); };
      step.Run(d);
      d.OnMenuShown = nullptr;
      if (!img) img = take();
      told.emplace_back(++stepNo, step.Name);
      if (std::any_of(written.begin(), written.end(), [&](const TScreenImage& w) { return Same(w, *img); }))
        continue;
      char name[32];
      std::snprintf(name, sizeof name, "/controls-%02zu.png", written.size() + 1);
      write(*img, name);
    }
    // Steps left untold (they changed nothing) go with the last picture.
    if (!told.empty()) write(take(), "/controls.png");
    if (Live()) {
      // The edit tip is a note on the password being typed: it goes once
      // the person leaves the edit.
      qn::TQuarnCustomEditTips* tips = form->PasswordTips;
      form->Get<qn::TQuarnPasswordEdit>(u"EdPassword")->SetOnExit([tips](TObject*) { tips->Hide(); });
      // Hints come in the skin's balloon, as on the other skinned pages.
      new qn::TQuarnHint(form.get());
    }
    Hold();  // live: the form stays up until it is closed
  }
  TControlsDriver::Pump();
  ResetInput();
  SetVirtualClock(false);
  return paths;
}

}  // namespace gallery
