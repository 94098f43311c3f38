#include "platform/rtl/Units.h"
#include "platform/vcl/ActnList.h"
#include "platform/vcl/Clipbrd.h"
#include "platform/vcl/ComCtrls.h"
#include "platform/vcl/Controls.h"
#include "platform/vcl/Dialogs.h"
#include "platform/vcl/ExtCtrls.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/Graphics.h"
#include "platform/vcl/ImgList.h"
#include "platform/vcl/Menus.h"
#include "platform/vcl/Printers.h"
#include "platform/vcl/StdActns.h"
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
  // Every component class of the host can be named by a form file without
  // the program registering it.
  RegisterUnit({"ExtCtrls", {"Forms"}, [] {
                  RegisterClasses({TPanel::StaticClass(), TImage::StaticClass(), TTimer::StaticClass()});
                }, nullptr});
  RegisterUnit({"ComCtrls", {"Forms"}, [] {
                  RegisterClasses({TPageControl::StaticClass(), TTabSheet::StaticClass(), TTabControl::StaticClass(),
                                   TListView::StaticClass()});
                }, nullptr});
  RegisterUnit({"ImgList", {"Graphics"}, [] { RegisterClasses({TImageList::StaticClass()}); }, nullptr});
  RegisterUnit({"ActnList", {"Forms"}, [] {
                  RegisterClasses({TActionList::StaticClass(), TAction::StaticClass()});
                }, nullptr});
  RegisterUnit({"StdActns", {"ActnList"}, [] {
                  RegisterClasses({TEditCut::StaticClass(), TEditCopy::StaticClass(), TEditPaste::StaticClass(),
                                   TEditSelectAll::StaticClass(), TEditUndo::StaticClass(),
                                   TEditDelete::StaticClass()});
                }, nullptr});
  RegisterUnit({"Dialogs", {"Forms"}, [] {
                  RegisterClasses({TColorDialog::StaticClass(), TOpenDialog::StaticClass(),
                                   TSaveDialog::StaticClass()});
                }, nullptr});
}

}  // namespace vcl
