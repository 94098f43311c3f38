// The standard skinned controls' units.
#include "platform/rtl/Units.h"
#include "skin/controls/uQuarnBoxCtrls.h"
#include "skin/controls/uQuarnLabel.h"
#include "skin/controls/uQuarnPanel.h"
#include "skin/controls/uQuarnScrollBar.h"

namespace qn {

void RegisterSkinControlsUnits() {
  RegisterUnit({"uQuarnPanel", {"uQuarnResManager", "uQnPix32Lib"}, nullptr, nullptr});
  RegisterUnit({"uQuarnLabel", {"uQuarnPanel", "Pix32_Polygons_qn"}, nullptr, nullptr});
  RegisterUnit({"uQuarnBoxCtrls", {"uQuarnResManager", "Gdiplus_qn"}, nullptr, nullptr});
  RegisterUnit({"uQuarnScrollBar", {"uQuarnResManager", "Controls"}, InitQuarnScrollBar, nullptr});
}

}  // namespace qn
