// The image list's text form from outside, as the store's Refresh reads it:
// whatever is refused leaves the list as it was; whatever is taken writes
// back to a text that reads to the same pictures again.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "package/Quarn.h"
#include "platform/classes/FormText.h"
#include "skin/foundation/uQuarnResManager.h"

using namespace qn;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static bool ready = [] {
    qn::Initialize();
    return true;
  }();
  (void)ready;
  TQuarnImageList list(nullptr);
  TQuarnBitmapItem* keep = list.Bitmaps()->Add();
  keep->SetResID(u"Keep");
  keep->Bitmap()->SetSize(2, 2);
  keep->Bitmap()->Clear(0x80402010u);
  try {
    LoadImageListText(&list, std::string(reinterpret_cast<const char*>(data), size));
  } catch (const vcl::Exception&) {
    if (list.Bitmaps()->Count() != 1 || list.Bitmaps()->GetItem(0)->ResID() != u"Keep" ||
        list.Bitmaps()->GetItem(0)->Bitmap()->GetPixel(1, 1) != 0x80402010u)
      std::abort();
    return 0;
  }
  const std::string text = ComponentToText(&list);
  TQuarnImageList again(nullptr);
  LoadImageListText(&again, text);
  if (again.Bitmaps()->Count() != list.Bitmaps()->Count()) std::abort();
  for (Integer i = 0; i < list.Bitmaps()->Count(); ++i) {
    TQuarnImage* a = list.Bitmaps()->GetItem(i)->Bitmap();
    TQuarnImage* b = again.Bitmaps()->GetItem(i)->Bitmap();
    if (a->Width() != b->Width() || a->Height() != b->Height()) std::abort();
    if (!a->Empty() && std::memcmp(a->Bits(), b->Bits(), size_t(a->Width()) * a->Height() * 4) != 0) std::abort();
    if (list.Bitmaps()->GetItem(i)->ResID() != again.Bitmaps()->GetItem(i)->ResID()) std::abort();
  }
  return 0;
}
