#include "package/Quarn.h"

#include <mutex>

#include "package/Layers.h"
#include "platform/rtl/Units.h"

namespace qn {

void Initialize() {
  static std::once_flag registered;
  std::call_once(registered, [] { RegisterAllLayerUnits(); });
  vcl::InitializeUnits();
}

void Finalize() { vcl::FinalizeUnits(); }

std::string BuildInfo() {
  std::string s = "Quarn 0.1.0";
#if defined(__clang__)
  s += ", clang " __clang_version__;
#elif defined(__GNUC__)
  s += ", g++ " __VERSION__;
#endif
#ifdef NDEBUG
  s += ", release";
#else
  s += ", debug";
#endif
#if defined(__SANITIZE_ADDRESS__)
  s += ", asan";
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
  s += ", asan";
#endif
#endif
  return s;
}

}  // namespace qn

extern "C" void Initialize() { qn::Initialize(); }
extern "C" void Finalize() { qn::Finalize(); }
