#include "platform/rtl/Units.h"
#include "platform/vcl/Clipbrd.h"
#include "platform/vcl/Controls.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/Graphics.h"
#include "platform/vcl/Menus.h"
#include "platform/vcl/Printers.h"
#include "platform/vcl/StdCtrls.h"
#include "platform/vcl/Themes.h"

namespace vcl {

void RegisterVclUnits() {
  RegisterUnit({"Graphics", {"Classes"}, RegisterGraphicsFileFormats,
                [] { TPicture::UnregisterGraphicClass(TGraphic::StaticClass()); }});
  RegisterUnit({"PngImage", {"Graphics"}, RegisterPngFileFormat, nullptr});
  RegisterUnit({"Jpeg", {"Graphics"}, RegisterJpegFileFormat, nullptr});
  RegisterUnit({"Clipbrd", {"Graphics"}, nullptr, DoneClipboard});
  RegisterUnit({"Themes", {"Graphics"}, nullptr, DoneThemes});
  RegisterUnit({"Controls", {"Graphics", "Messages", "Themes"}, InitControls, DoneControls});
  RegisterUnit({"Forms", {"Controls"}, InitForms, DoneForms});
  RegisterUnit({"Menus", {"Forms"}, InitMenus, DoneMenus});
  RegisterUnit({"Printers", {"Graphics"}, nullptr, DonePrinters});
  RegisterUnit({"StdCtrls", {"Forms"}, RegisterStdCtrlsClasses, nullptr});
}

}  // namespace vcl
