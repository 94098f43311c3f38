// Text form files from outside: the parser, the conversion to the binary
// form and back, and reading the result into components of registered
// classes. Whatever converts must convert back to text that converts to the
// same text again; whatever reads must write.
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
  std::string text(reinterpret_cast<const char*>(data), size);
  std::string bin;
  try {
    bin = TextToBinary(text);
  } catch (const EParserError&) {
    return 0;
  }
  std::string text2 = BinaryToText(bin);
  std::string bin2 = TextToBinary(text2);
  if (BinaryToText(bin2) != text2) std::abort();

  TMemoryStream ms;
  ms.WriteBuffer(bin.data(), static_cast<Integer>(bin.size()));
  ms.SetPosition(0);
  std::unique_ptr<TComponent> root;
  try {
    root.reset(ms.ReadComponent(nullptr));
  } catch (const Exception&) {
    return 0;
  }
  std::string written = ComponentToText(root.get());
  std::unique_ptr<TComponent> again(TextToComponent(written, nullptr));
  if (ComponentToText(again.get()) != written) std::abort();
  return 0;
}
