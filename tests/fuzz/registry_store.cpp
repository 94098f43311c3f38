// The registry's store files: any text is either refused whole or read into
// keys whose written form reads back to the same written form.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/user/WinReg.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  std::string canon, again, error;
  if (!vcl::regstore::ParseHiveText(text, &canon, &error)) {
    if (error.empty()) std::abort();
    return 0;
  }
  if (!vcl::regstore::ParseHiveText(canon, &again, &error)) std::abort();
  if (again != canon) std::abort();
  return 0;
}
