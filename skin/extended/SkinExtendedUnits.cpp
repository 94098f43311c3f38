// The extended controls' and pop-up windows' units.
#include "platform/rtl/Units.h"
#include "skin/extended/uQuarnShape.h"

namespace qn {

void RegisterSkinExtendedUnits() {
  RegisterUnit({"uQuarnGraphics", {"Pix32_Polygons_qn"}, nullptr, nullptr});
  RegisterUnit({"uQuarnShape", {"uQuarnGraphics", "Controls"}, InitQuarnShape, nullptr});
}

}  // namespace qn
