#include "platform/rtl/Units.h"

namespace vcl {

void RegisterClassesUnits() {
  RegisterUnit({"Classes", {"SysUtils"}, nullptr, nullptr});
}

}  // namespace vcl
