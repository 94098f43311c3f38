// Path data from form files and application code: any bytes drawn into a
// small bitmap. Only the reader's own messages and the conversion error may
// escape, and the command loop makes no more passes than the text has
// characters.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "package/Quarn.h"
#include "skin/extended/uQuarnGraphics.h"

using namespace qn;

namespace {

bool Expected(const String& M) {
  return M == u"No Data" || M.rfind(u"Unknown first command (", 0) == 0 || M.rfind(u"Unknown command (", 0) == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static TBitmap32* bitmap = [] {
    qn::Initialize();
    auto* b = new TBitmap32();
    b->SetSize(64, 64);
    return b;
  }();
  if (size > 8192) return 0;
  const std::string text(reinterpret_cast<const char*>(data), size);
  bitmap->Clear(0xFFFFFFFFu);
  TQnSVGPathRenderer renderer(bitmap);
  renderer.SetStrokeWidth(size % 5);
  renderer.SetAlpha(static_cast<Byte>(size * 37));
  try {
    renderer.SetPath(text);
  } catch (const EConvertError&) {
  } catch (const Exception& e) {
    if (!Expected(e.Message())) std::abort();
  } catch (...) {
    std::abort();
  }
  TCustomPath counter;
  try {
    if (ReadSvgPath(text, counter) > static_cast<Integer>(size)) std::abort();
  } catch (const Exception&) {
  }
  return 0;
}
