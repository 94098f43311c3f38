// Images decoded from COM streams with the host's PNG, BMP and JPEG readers.
#include <cstring>

#include "platform/gdiplus/GdiPlusInternal.h"
#include "platform/vcl/Bitmap.h"
#include "platform/vcl/Jpeg.h"
#include "platform/vcl/PngImage.h"

namespace vcl {

using namespace gdip;

namespace {

enum class TFormat { Unknown, Png, Bmp, Jpeg };

TFormat Sniff(const TBytes& b) {
  static const Byte png[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  if (b.size() >= 8 && std::memcmp(b.data(), png, 8) == 0) return TFormat::Png;
  if (b.size() >= 2 && b[0] == 'B' && b[1] == 'M') return TFormat::Bmp;
  if (b.size() >= 3 && b[0] == 0xFF && b[1] == 0xD8 && b[2] == 0xFF) return TFormat::Jpeg;
  return TFormat::Unknown;
}

uint32_t Get32(const TBytes& b, size_t at) {
  return at + 4 <= b.size() ? uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 | uint32_t(b[at + 3]) << 24
                            : 0;
}

// A 32-bit BMP keeps its alpha only when its header names an alpha mask;
// plain BI_RGB ones are opaque, as the platform shows them.
bool BmpHasAlpha(const TBytes& b) {
  const uint32_t hsize = Get32(b, 14);
  const uint32_t bpp = b.size() > 29 ? uint32_t(b[28] | b[29] << 8) : 0;
  return hsize >= 56 && bpp == 32 && Get32(b, 30) == BI_BITFIELDS && Get32(b, 14 + 52) != 0;
}

// Rows of a TBitmap as straight ARGB, after conversion to 32 bits.
void BitmapPixels(TBitmap& bmp, bool keepAlpha, std::vector<uint32_t>& px) {
  bmp.SetPixelFormat(TPixelFormat::pf32bit);
  const Integer w = bmp.Width(), h = bmp.Height();
  px.resize(size_t(w) * size_t(h));
  for (Integer y = 0; y < h; ++y) {
    const auto* row = static_cast<const uint32_t*>(bmp.ScanLine(y));
    for (Integer x = 0; x < w; ++x) px[size_t(y) * w + x] = keepAlpha ? row[x] : row[x] | 0xFF000000u;
  }
}

// Everything from the stream's position to its end.
bool ReadAll(IStream* stream, TBytes& out) {
  Byte buf[65536];
  for (;;) {
    ULONG got = 0;
    const HRESULT hr = stream->Read(buf, sizeof buf, &got);
    if (Failed(hr)) return false;
    out.insert(out.end(), buf, buf + got);
    if (got < sizeof buf) return true;
  }
}

Status LoadImage(IStream* stream, GpImage** image) {
  QN_GDIP_ENTER();
  if (!stream || !image) return Status::InvalidParameter;
  auto img = std::make_unique<TImageObj>();
  try {
    TBytes data;
    if (!ReadAll(stream, data)) return Status::InvalidParameter;
    const TFormat fmt = Sniff(data);
    if (fmt == TFormat::Unknown) return Status::UnknownImageFormat;
    TBytesStream ms(data);
    switch (fmt) {
      case TFormat::Png: {
        TPngImage png;
        png.LoadFromStream(&ms);
        img->Width = png.Width();
        img->Height = png.Height();
        png.GetARGB(img->Pixels);
        break;
      }
      case TFormat::Bmp: {
        TBitmap bmp;
        bmp.LoadFromStream(&ms);
        img->Width = bmp.Width();
        img->Height = bmp.Height();
        BitmapPixels(bmp, BmpHasAlpha(data), img->Pixels);
        break;
      }
      case TFormat::Jpeg: {
        TJPEGImage jpg;
        jpg.LoadFromStream(&ms);
        TBitmap bmp;
        bmp.Assign(jpg.Bitmap());
        img->Width = bmp.Width();
        img->Height = bmp.Height();
        BitmapPixels(bmp, false, img->Pixels);
        break;
      }
      case TFormat::Unknown: break;
    }
  } catch (const EOutOfMemory&) {
    return Status::OutOfMemory;
  } catch (const std::bad_alloc&) {
    return Status::OutOfMemory;
  } catch (const Exception&) {
    return Status::InvalidParameter;
  }
  if (img->Width <= 0 || img->Height <= 0 || img->Pixels.size() != size_t(img->Width) * size_t(img->Height))
    return Status::InvalidParameter;
  // cairo keeps premultiplied pixels; the straight ones stay for callers.
  img->Surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, img->Width, img->Height);
  if (cairo_surface_status(img->Surface) != CAIRO_STATUS_SUCCESS) return Status::OutOfMemory;
  cairo_surface_flush(img->Surface);
  Byte* bits = cairo_image_surface_get_data(img->Surface);
  const int stride = cairo_image_surface_get_stride(img->Surface);
  for (Integer y = 0; y < img->Height; ++y) {
    auto* row = reinterpret_cast<uint32_t*>(bits + size_t(stride) * y);
    for (Integer x = 0; x < img->Width; ++x) {
      const uint32_t p = img->Pixels[size_t(y) * img->Width + x], a = p >> 24;
      auto m = [a](uint32_t c) { return (c * a + 127) / 255; };
      row[x] = a == 255 ? p : (a << 24) | m((p >> 16) & 0xFF) << 16 | m((p >> 8) & 0xFF) << 8 | m(p & 0xFF);
    }
  }
  cairo_surface_mark_dirty(img->Surface);
  *image = static_cast<GpImage*>(Add(std::move(img)));
  return Status::Ok;
}

}  // namespace

Status GdipLoadImageFromStream(IStream* stream, GpImage** image) { return LoadImage(stream, image); }

// Colour management has nothing to convert here: the pictures are sRGB.
Status GdipLoadImageFromStreamICM(IStream* stream, GpImage** image) { return LoadImage(stream, image); }

Status GdipDisposeImage(GpImage* image) {
  QN_GDIP_ENTER();
  return Remove(image, TKind::Image) ? Status::Ok : Status::InvalidParameter;
}

Status GdipGetImageWidth(GpImage* image, UINT* width) {
  QN_GDIP_ENTER();
  auto* i = FindAs<TImageObj>(image, TKind::Image);
  if (!i || !width) return Status::InvalidParameter;
  *width = UINT(i->Width);
  return Status::Ok;
}

Status GdipGetImageHeight(GpImage* image, UINT* height) {
  QN_GDIP_ENTER();
  auto* i = FindAs<TImageObj>(image, TKind::Image);
  if (!i || !height) return Status::InvalidParameter;
  *height = UINT(i->Height);
  return Status::Ok;
}

Status GdipGetImagePixels(GpImage* image, const uint32_t** pixels) {
  QN_GDIP_ENTER();
  auto* i = FindAs<TImageObj>(image, TKind::Image);
  if (!i || !pixels) return Status::InvalidParameter;
  *pixels = i->Pixels.data();
  return Status::Ok;
}

}  // namespace vcl
