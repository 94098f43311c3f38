#include "platform/rtl/Units.h"

namespace vcl {

void RegisterUserUnits() {
  RegisterUnit({"Windows", {"Gdi"}, nullptr, nullptr});
  RegisterUnit({"Messages", {"Windows"}, nullptr, nullptr});
}

}  // namespace vcl
