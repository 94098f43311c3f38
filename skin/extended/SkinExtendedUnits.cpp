// The extended controls' and pop-up windows' units.
#include "platform/rtl/Units.h"
#include "skin/extended/uQuarnTabset.h"
#include "skin/extended/uQuarnToolbar.h"

namespace qn {

void RegisterSkinExtendedUnits() {
  RegisterUnit({"uQuarnToolbar", {"uQuarnPanel", "uQnCustomButton", "uSimpleTimer", "Menus"}, InitQuarnToolbar, nullptr});
  RegisterUnit({"uQuarnTabset", {"uQuarnToolbar"}, InitQuarnTabset, nullptr});
}

}  // namespace qn
