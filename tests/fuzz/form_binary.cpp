// Binary form files from outside: read into components of registered
// classes (into a fresh root and into an existing one, which must come out
// as it went in when the read fails), and converted to text.
#include <cstdint>
#include <cstdlib>
#include <memory>

#include "tests/platform/streaming/TestClasses.h"

using namespace vcl;
using namespace strtest;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static bool registered = [] {
    RegisterTestClasses();
    return true;
  }();
  (void)registered;
  Journal().clear();
  std::string bin(reinterpret_cast<const char*>(data), size);
  auto stream = [&] {
    auto ms = std::make_unique<TMemoryStream>();
    if (size) ms->WriteBuffer(data, static_cast<Integer>(size));
    ms->SetPosition(0);
    return ms;
  };
  try {
    BinaryToText(bin);
  } catch (const Exception&) {
  }
  try {
    auto ms = stream();
    std::unique_ptr<TComponent> root(ms->ReadComponent(nullptr));
    ComponentToText(root.get());
  } catch (const Exception&) {
  }
  TPanelForm form(nullptr);
  form.SetName(u"Existing");
  auto* keep = new TWidget(&form);
  keep->SetName(u"Keep");
  std::string before = ComponentToText(&form);
  try {
    auto ms = stream();
    ms->ReadComponent(&form);
  } catch (const Exception&) {
    if (ComponentToText(&form) != before) std::abort();
  }
  return 0;
}
