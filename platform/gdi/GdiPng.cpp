#include "platform/gdi/GdiPng.h"

#include <png.h>

#include <atomic>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "platform/rtl/System.h"

namespace vcl {

namespace {
struct TFile {
  std::FILE* F;
  ~TFile() {
    if (F) std::fclose(F);
  }
};
// libpng reports errors by longjmp; everything with a destructor is made
// before the jump target is set.
void PngError(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void PngWarning(png_structp, png_const_charp) {}

// The header and the rows of a surface, as RGBA (alpha 255 where opaque) or
// RGB; row holds one row of the chosen layout and is made by the caller,
// before its jump target.
void WriteSurfaceRows(png_structp png, png_infop info, const TGdiSurface& s, bool alpha, bool opaque,
                      std::vector<png_byte>& row) {
  const size_t channels = alpha ? 4 : 3;
  png_set_IHDR(png, info, png_uint_32(s.Width), png_uint_32(s.Height), 8,
               alpha ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  for (int y = 0; y < s.Height; ++y) {
    const uint32_t* p = s.Scanline(y);
    for (int x = 0; x < s.Width; ++x) {
      png_byte* out = row.data() + size_t(x) * channels;
      out[0] = png_byte(p[x] >> 16);
      out[1] = png_byte(p[x] >> 8);
      out[2] = png_byte(p[x]);
      if (alpha) out[3] = opaque ? 255 : png_byte(p[x] >> 24);
    }
    png_write_row(png, row.data());
  }
  png_write_end(png, nullptr);
}
}  // namespace

void SaveSurfaceToPng(const TGdiSurface& s, const std::string& path, bool opaque) {
  TFile f{std::fopen(path.c_str(), "wb")};
  if (!f.F) throw EFCreateError(u"Cannot create file \"" + FromUtf8(path) + u"\"");
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, PngError, PngWarning);
  png_infop info = png_create_info_struct(png);
  std::vector<png_byte> row(size_t(s.Width) * 4);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    throw EFCreateError(u"Cannot write PNG file \"" + FromUtf8(path) + u"\"");
  }
  {
    png_init_io(png, f.F);
    WriteSurfaceRows(png, info, s, true, opaque, row);
  }
  png_destroy_write_struct(&png, &info);
}

namespace {
void AppendPngBytes(png_structp png, png_bytep data, png_size_t n) {
  auto* out = static_cast<std::vector<Byte>*>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + n);
}
void FlushPngBytes(png_structp) {}
}  // namespace

std::vector<Byte> EncodeSurfaceToPngRgb(const TGdiSurface& s) {
  std::vector<Byte> out;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, PngError, PngWarning);
  png_infop info = png_create_info_struct(png);
  std::vector<png_byte> row(size_t(s.Width) * 3);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    throw EOutOfMemory(u"Cannot compress the picture");
  }
  {
    png_set_write_fn(png, &out, AppendPngBytes, FlushPngBytes);
    // The up filter alone and the fastest deflate: a page of white with
    // lines of text shrinks about a hundredfold all the same, in a fraction
    // of the time the adaptive filters and the default level take.
    png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_UP);
    png_set_compression_level(png, 1);
    WriteSurfaceRows(png, info, s, false, true, row);
  }
  png_destroy_write_struct(&png, &info);
  out.shrink_to_fit();
  return out;
}

namespace {
std::atomic<bool> gCrcChecking{true};
}  // namespace

void SetPngCrcChecking(bool on) { gCrcChecking = on; }
bool PngCrcChecking() { return gCrcChecking; }

namespace {
struct TMemReader {
  const Byte* P;
  size_t Left;
};
void ReadMem(png_structp png, png_bytep out, png_size_t n) {
  auto* m = static_cast<TMemReader*>(png_get_io_ptr(png));
  if (n > m->Left) png_error(png, "truncated");
  std::memcpy(out, m->P, n);
  m->P += n;
  m->Left -= n;
}

// Reads through libpng with either a file or memory as the source.
TGdiSurfacePtr ReadPng(std::FILE* file, TMemReader* mem, const String& name) {
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, PngError, PngWarning);
  png_infop info = png_create_info_struct(png);
  TGdiSurfacePtr s;
  std::vector<png_bytep> rows;
  volatile bool tooLarge = false;
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_read_struct(&png, &info, nullptr);
    throw EReadError(u"Invalid PNG image " + name);
  }
  {
    if (file) png_init_io(png, file);
    else png_set_read_fn(png, mem, ReadMem);
    png_set_user_limits(png, 16384, 16384);
    if (!gCrcChecking) {
      png_set_crc_action(png, PNG_CRC_QUIET_USE, PNG_CRC_QUIET_USE);
#ifdef PNG_IGNORE_ADLER32
      png_set_option(png, PNG_IGNORE_ADLER32, PNG_OPTION_ON);
#endif
    }
    png_read_info(png, info);
    png_set_expand(png);
    png_set_strip_16(png);
    png_set_gray_to_rgb(png);
    png_set_add_alpha(png, 0xFF, PNG_FILLER_AFTER);
    png_set_bgr(png);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    png_uint_32 w = png_get_image_width(png, info), h = png_get_image_height(png, info);
    // In memory the data left is known: deflate gives at most 1032 bytes
    // for one, and a row holds at least a bit per pixel and its filter byte,
    // so a picture too large for the data is refused before its surface.
    if (Int64(w) * Int64(h) > (Int64(1) << 26) ||
        (mem && Int64(h) * ((Int64(w) + 7) / 8 + 1) > (Int64(mem->Left) + 1) * 1032)) {
      tooLarge = true;
    } else {
      s = TGdiSurface::Create(Integer(w), Integer(h));
      rows.resize(h);
      for (png_uint_32 y = 0; y < h; ++y) rows[y] = reinterpret_cast<png_bytep>(s->Scanline(Integer(y)));
      png_read_image(png, rows.data());
      png_read_end(png, nullptr);
    }
  }
  png_destroy_read_struct(&png, &info, nullptr);
  if (tooLarge) throw EReadError(u"PNG image too large " + name);
  return s;
}
}  // namespace

TGdiSurfacePtr LoadSurfaceFromPng(const std::string& path) {
  TFile f{std::fopen(path.c_str(), "rb")};
  if (!f.F) throw EFOpenError(u"Cannot open file \"" + FromUtf8(path) + u"\"");
  return ReadPng(f.F, nullptr, u"\"" + FromUtf8(path) + u"\"");
}

TGdiSurfacePtr LoadSurfaceFromPngData(const void* data, size_t size) {
  TMemReader m{static_cast<const Byte*>(data), data ? size : 0};
  return ReadPng(nullptr, &m, u"data");
}

}  // namespace vcl
