// Mesh files read into a vector map. Either the file loads, and then saves
// and loads back to the same vectors, or it raises and the map keeps its
// size and vectors.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <unistd.h>

#include "graphics/raster/Pix32_VectorMaps_qn.h"
#include "package/Quarn.h"
#include "platform/classes/Streams.h"

using namespace qn;

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

String FilePath(const char* tag) {
  const std::string p = std::string("/tmp/quarn-fuzz-mesh-") + std::to_string(getpid()) + tag;
  return String(p.begin(), p.end());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool initialized = [] {
    qn::Initialize();
    return true;
  }();
  (void)initialized;
  const String in = FilePath(".msh"), out = FilePath("-out.msh");
  {
    TFileStream f(in, fmCreate);
    if (size) f.WriteBuffer(data, static_cast<Integer>(size));
  }
  TVectorMap m(2, 1);
  m.SetFixedVector(0, 0, TFixedPoint(5, -5));
  const auto before = m.GetVectors();
  try {
    m.LoadFromFile(in);
  } catch (const Exception&) {
    Check(m.Width() == 2 && m.Height() == 1 && m.GetVectors() == before);
    return 0;
  }
  m.SaveToFile(out);
  TVectorMap n;
  n.LoadFromFile(out);
  Check(n.Width() == m.Width() && n.Height() == m.Height());
  // Vectors survive a save as singles within the single's precision.
  for (size_t i = 0; i < n.GetVectors().size(); ++i) {
    const TFixedPoint a = m.GetVectors()[i], b = n.GetVectors()[i];
    Check(std::llabs(static_cast<long long>(a.X) - b.X) <= (std::llabs(a.X) >> 20) + 1);
    Check(std::llabs(static_cast<long long>(a.Y) - b.Y) <= (std::llabs(a.Y) >> 20) + 1);
  }
  return 0;
}
