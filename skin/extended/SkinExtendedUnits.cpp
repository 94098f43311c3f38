// The extended controls' and pop-up windows' units.
#include "platform/rtl/Units.h"

namespace qn {

void RegisterSkinExtendedUnits() {
}

}  // namespace qn
