// GDI+ images from streams: whatever decodes must report its size, draw and
// dispose; everything else must be refused with a decoding status and
// leave no object behind.
#include <cstdint>
#include <cstdlib>

#include "platform/gdi/Gdi.h"
#include "platform/gdiplus/GdiPlus.h"
#include "platform/vcl/Graphics.h"

using namespace vcl;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static ULONG_PTR token = [] {
    ULONG_PTR t = 0;
    GdiplusStartupInput in;
    if (GdiplusStartup(&t, &in, nullptr) != Status::Ok) std::abort();
    return t;
  }();
  (void)token;
  SetMaxGraphicPixels(Int64(1) << 20);
  const int before = LiveGraphicsObjectCount();
  TBytesStream s(TBytes(data, data + size));
  TIntf<IStream> stream(new TStreamAdapter(&s));
  GpImage* img = nullptr;
  const Status st = GdipLoadImageFromStream(stream.get(), &img);
  if (st != Status::Ok) {
    if (img || LiveGraphicsObjectCount() != before) std::abort();
    if (st != Status::InvalidParameter && st != Status::UnknownImageFormat && st != Status::OutOfMemory) std::abort();
    return 0;
  }
  UINT w = 0, h = 0;
  if (GdipGetImageWidth(img, &w) != Status::Ok || GdipGetImageHeight(img, &h) != Status::Ok || w == 0 || h == 0)
    std::abort();
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP bmp = CreateCompatibleBitmap(nullptr, 8, 8);
  HGDIOBJ old = SelectObject(dc, bmp);
  GpGraphics* g = nullptr;
  if (GdipCreateFromHDC(dc, &g) != Status::Ok) std::abort();
  if (GdipDrawImageRect(g, img, 0, 0, 8, 8) != Status::Ok) std::abort();
  GdipDeleteGraphics(g);
  SelectObject(dc, old);
  DeleteObject(bmp);
  DeleteDC(dc);
  GdipDisposeImage(img);
  if (LiveGraphicsObjectCount() != before) std::abort();
  return 0;
}
