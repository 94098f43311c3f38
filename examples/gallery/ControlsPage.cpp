// Gallery page "controls": the standard-controls form (Controls.dfm), every
// standard skinned control on one skinned form, played through by a person:
// a push button hovered, pressed and clicked, a drop-down menu opened and
// cancelled, text typed and selected, the list box wheeled and its thumb
// dragged, check and radio boxes toggled, the splitter, track bar and
// progress thumb dragged, the expand box collapsed, a link hovered and an
// edit tip shown. controls-NN.png after each step, controls.png at the end.
#include <cstdio>
#include <string>
#include <vector>

#include "examples/gallery/ControlsForm.h"
#include "examples/gallery/Gallery.h"
#include "platform/desktop/Desktop.h"

namespace gallery {

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
    int n = 0;
    for (const TControlsStep& step : ControlsScript()) {
      char name[32];
      std::snprintf(name, sizeof name, "/controls-%02d.png", ++n);
      const std::string path = outDir + name;
      // A menu is only on the screen inside its own loop: its step is
      // pictured there.
      bool shot = false;
      d.OnMenuShown = [&] {
        SaveScreenSnapshot(path);
        shot = true;
      };
      step.Run(d);
      if (!shot) SaveScreenSnapshot(path);
      paths.push_back(path);
    }
    const std::string final = outDir + "/controls.png";
    SaveScreenSnapshot(final);
    paths.push_back(final);
    Hold();  // live: the form stays up until it is closed
  }
  TControlsDriver::Pump();
  ResetInput();
  SetVirtualClock(false);
  return paths;
}

}  // namespace gallery
