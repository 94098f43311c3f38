#include "platform/rtl/Units.h"

namespace vcl {

void RegisterRtlUnits() {
  RegisterUnit({"System", {}, nullptr, nullptr});
  RegisterUnit({"SysUtils", {"System"}, nullptr, nullptr});
}

}  // namespace vcl
