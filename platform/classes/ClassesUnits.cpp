#include "platform/classes/Threads.h"
#include "platform/rtl/Units.h"

namespace vcl {

void RegisterClassesUnits() {
  RegisterUnit({"Classes", {"SysUtils"}, InitThreads, DoneThreads});
}

}  // namespace vcl
