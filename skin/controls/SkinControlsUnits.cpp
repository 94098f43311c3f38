// The standard skinned controls' units.
#include "platform/rtl/Units.h"
#include "skin/controls/uQuarnPanel.h"

namespace qn {

void RegisterSkinControlsUnits() {
  RegisterUnit({"uQuarnPanel", {"uQuarnResManager", "uQnPix32Lib"}, nullptr, nullptr});
}

}  // namespace qn
