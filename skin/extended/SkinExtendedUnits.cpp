// The extended controls' and pop-up windows' units.
#include "platform/rtl/Units.h"
#include "skin/extended/uQuarnMessageBox.h"
#include "skin/extended/uQuarnPopupMessage.h"

namespace qn {

void RegisterSkinExtendedUnits() {
  RegisterUnit({"uQuarnMessageBox", {"uQuarnForm", "uQuarnButton", "uQuarnCheckBox", "Clipbrd"}, InitQuarnMessageBox,
                DoneQuarnMessageBox});
  RegisterUnit({"uQuarnPopupMessage", {"uQuarnForm", "uQuarnButton", "uQuarnLabel"}, InitQuarnPopupMessage, nullptr});
}

}  // namespace qn
