// Prints what the raster layer found on this machine: the processor's
// features and, for every function binding, the implementation bound to it.
#include <cstdio>

#include "examples/gallery/Gallery.h"
#include "graphics/raster/Pix32_Bindings_qn.h"

namespace gallery {

std::vector<std::string> ProcessorPage(const std::string&) {
  using namespace qn;
  std::string features;
  for (TCPUInstructionSet s : CPUFeatures()) {
    if (!features.empty()) features += ' ';
    features += CPUInstructionSetName(s);
  }
  std::printf("processor: %u logical processors; features: %s\n", GetProcessorCount(),
              features.empty() ? "(none)" : features.c_str());
  if (const auto* list = RegistryList()) {
    for (TFunctionRegistry* r : *list) {
      std::printf("%s:\n", ToUtf8(r->Name()).c_str());
      for (Integer b = 0; b < r->BindingCount(); ++b) {
        PFunctionInfo info = r->BoundInfo(b);
        std::printf("  %2d %-16s %s\n", r->Bindings(b)->FunctionID, r->Bindings(b)->Name,
                    info ? (*info->Name ? info->Name : "(unnamed)") : "(none)");
      }
    }
  }
  return {};
}

}  // namespace gallery
