// The streamed images of an image list: whatever reads must write back and
// read again as the same images; everything else must be rejected with
// EReadError and leave the list as it was.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "platform/classes/Streams.h"
#include "platform/vcl/Bitmap.h"
#include "platform/vcl/ImgList.h"

using namespace vcl;

namespace {

std::vector<uint32_t> All(TImageList& l) {
  std::vector<uint32_t> out;
  for (Integer i = 0; i < l.Count(); ++i) {
    TBitmap b;
    if (!l.GetBitmap(i, &b)) std::abort();
    for (Integer y = 0; y < b.Height(); ++y) {
      auto* r = static_cast<const uint32_t*>(b.ScanLine(y));
      out.insert(out.end(), r, r + b.Width());
    }
  }
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  TImageList list(nullptr);
  list.SetSize(3, 2);
  TBytesStream in(TBytes(data, data + size));
  try {
    list.ReadData(&in);
  } catch (const EReadError&) {
    if (list.Count() != 0 || list.Width() != 3 || list.Height() != 2) std::abort();
    return 0;
  }
  std::vector<uint32_t> px = All(list);
  TBytesStream out;
  list.WriteData(&out);
  out.SetPosition(0);
  TImageList again(nullptr);
  again.ReadData(&out);
  if (again.Count() != list.Count() || again.Width() != list.Width() || All(again) != px) std::abort();
  return 0;
}
