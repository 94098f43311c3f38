// The extended controls' and pop-up windows' units.
#include "platform/rtl/Units.h"
#include "skin/extended/uQuarnMessageBox.h"
#include "skin/extended/uQuarnPopupMessage.h"
#include "skin/extended/uQuarnCalloutPanel.h"
#include "skin/extended/uQuarnColorControls.h"
#include "skin/extended/uQuarnCountBar.h"
#include "skin/extended/uQuarnIconButtonList.h"
#include "skin/extended/uQuarnTagsBox.h"
#include "skin/extended/uQuarnLine.h"
#include "skin/extended/uQuarnShape.h"
#include "skin/extended/uQuarnSwitchButton.h"

namespace qn {

void RegisterSkinExtendedUnits() {
  RegisterUnit({"uQuarnMessageBox", {"uQuarnForm", "uQuarnButton", "uQuarnCheckBox", "Clipbrd"}, InitQuarnMessageBox,
                DoneQuarnMessageBox});
  RegisterUnit({"uQuarnPopupMessage", {"uQuarnForm", "uQuarnButton", "uQuarnLabel"}, InitQuarnPopupMessage, nullptr});
  RegisterUnit({"uQuarnGraphics", {"Pix32_Polygons_qn"}, nullptr, nullptr});
  RegisterUnit({"uQuarnShape", {"uQuarnGraphics", "Controls"}, InitQuarnShape, nullptr});
  RegisterUnit({"uQuarnSwitchButton", {"uQuarnResManager", "Controls"}, InitQuarnSwitchButton, nullptr});
  RegisterUnit({"uQuarnLine", {"uQuarnGraphics", "uQuarnResManager", "Controls"}, InitQuarnLine, nullptr});
  RegisterUnit({"uQuarnCalloutPanel", {"uQuarnPanel", "uQnPix32Lib"}, InitQuarnCalloutPanel, nullptr});
  RegisterUnit({"uQuarnIconButtonList", {"uQuarnPanel", "uQuarnScrollBar", "uQnPix32Lib", "uQuarnResManager", "Controls"},
                InitQuarnIconButtonList, nullptr});
  RegisterUnit({"uQuarnColorControls", {"Pix32_Polygons_qn"}, InitQuarnColorControls, nullptr});
  RegisterUnit({"uQuarnTagsBox", {"uQuarnColorControls", "uQuarnIconButtonList"}, InitQuarnTagsBox, nullptr});
  RegisterUnit({"uQuarnCountBar", {"uQuarnIconButtonList"}, InitQuarnCountBar, nullptr});
}

}  // namespace qn
