#include "platform/classes/Streaming.h"
#include "platform/classes/Threads.h"
#include "platform/rtl/Units.h"

namespace vcl {

void RegisterClassesUnits() {
  RegisterUnit({"Classes", {"SysUtils"}, [] {
                  InitThreads();
                  RegisterClass(TDataModule::StaticClass());
                }, DoneThreads});
}

}  // namespace vcl
