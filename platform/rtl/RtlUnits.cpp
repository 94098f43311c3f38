#include "platform/rtl/Units.h"

namespace vcl {

void RegisterRtlUnits() {
  RegisterUnit({"System", {}, nullptr, nullptr});
  RegisterUnit({"SysUtils", {"System"}, nullptr, nullptr});
  RegisterUnit({"Character", {"System"}, nullptr, nullptr});
  RegisterUnit({"Math", {"System"}, nullptr, nullptr});
  RegisterUnit({"TypInfo", {"System"}, nullptr, nullptr});
  RegisterUnit({"StrUtils", {"SysUtils"}, nullptr, nullptr});
  RegisterUnit({"DateUtils", {"SysUtils"}, nullptr, nullptr});
}

}  // namespace vcl
