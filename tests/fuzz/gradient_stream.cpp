// Gradient streams from outside: either they load, and then the gradient
// answers colours, fills a table and writes back the same bytes, or they
// raise "Wrong format" and leave the gradient as it was.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "graphics/vector/Pix32_ColorGradients_qn.h"
#include "package/Quarn.h"
#include "platform/classes/Streams.h"

using namespace qn;

namespace {
void Check(bool ok) {
  if (!ok) std::abort();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool initialized = [] {
    qn::Initialize();
    return true;
  }();
  (void)initialized;
  TBytesStream in(TBytes(data, data + size));
  TColor32Gradient g(0xFF000000u, 0xFFFFFFFFu);
  try {
    g.LoadFromStream(&in);
  } catch (const Exception& e) {
    Check(e.Message() == u"Wrong format");
    Check(g.GradientCount() == 2 && g.StartColor() == 0xFF000000u && g.EndColor() == 0xFFFFFFFFu);
    return 0;
  }
  // Whatever the offsets (unsorted, NaN, infinite), lookups stay in bounds.
  for (Single o : {-1.0f, 0.0f, 0.3f, 0.5f, 1.0f, 2.0f}) (void)g.GetColorAt(o);
  TColor32LookupTable t(size % 10);
  g.FillColorLookUpTable(&t);
  TArrayOfColor32 small(size % 3);
  g.FillColorLookUpTable(small);

  TMemoryStream out;
  g.SaveToStream(&out);
  const Int64 used = in.Position();
  Check(out.Size() == used);
  Check(std::memcmp(out.Memory(), data, static_cast<size_t>(used)) == 0);
  return 0;
}
