// The form-skinning layer's units.
#include "platform/rtl/Units.h"
#include "skin/forms/uQnFormSkinVar.h"
#include "skin/forms/uQuarnForm.h"

namespace qn {

void RegisterSkinFormsUnits() {
  RegisterUnit({"uQnFormSkinVar", {"uQuarnResManager"}, InitQnFormSkinVar, DoneQnFormSkinVar});
  RegisterUnit({"uQuarnForm", {"uQnFormSkinVar", "Forms"}, nullptr, DoneQuarnForm});
}

}  // namespace qn
