// PNG over libpng. libpng reports errors by longjmp, so every call into it
// happens in small functions whose frames hold no objects with destructors;
// buffers are made by the caller between the phases, and stream exceptions
// are caught in the I/O callbacks and turned into libpng errors.
#include "platform/vcl/PngImage.h"

#include <png.h>

#include <algorithm>
#include <csetjmp>
#include <cstring>

#include "platform/gdi/GdiPng.h"
#include "platform/vcl/Bitmap.h"

namespace vcl {

namespace {

struct TPngIO {
  TStream* Stream = nullptr;
  bool StreamFailed = false;
  char Message[256] = {};
};

void PngError(png_structp png, png_const_charp msg) {
  auto* io = static_cast<TPngIO*>(png_get_error_ptr(png));
  if (io && msg) {
    std::strncpy(io->Message, msg, sizeof io->Message - 1);
  }
  png_longjmp(png, 1);
}

void PngWarning(png_structp, png_const_charp) {}

void PngRead(png_structp png, png_bytep data, size_t n) {
  auto* io = static_cast<TPngIO*>(png_get_io_ptr(png));
  bool failed = false;
  Integer got = 0;
  try {
    got = io->Stream->Read(data, Integer(n));
  } catch (...) {
    failed = true;
  }
  if (failed || size_t(got) != n) {
    io->StreamFailed = true;
    png_error(png, "PNG data is cut short");
  }
}

void PngWrite(png_structp png, png_bytep data, size_t n) {
  auto* io = static_cast<TPngIO*>(png_get_io_ptr(png));
  bool failed = false;
  try {
    io->Stream->WriteBuffer(data, Integer(n));
  } catch (...) {
    failed = true;
  }
  if (failed) {
    io->StreamFailed = true;
    png_error(png, "Stream write error");
  }
}

void PngFlush(png_structp) {}

int ReadInfoPhase(png_structp png, png_infop info) {
  if (setjmp(png_jmpbuf(png))) return 0;
  png_read_info(png, info);
  return 1;
}

int ReadTransformPhase(png_structp png, png_infop info) {
  if (setjmp(png_jmpbuf(png))) return 0;
  if (png_get_bit_depth(png, info) < 8) png_set_packing(png);
  png_set_interlace_handling(png);
  png_read_update_info(png, info);
  return 1;
}

int ReadImagePhase(png_structp png, png_bytepp rows) {
  if (setjmp(png_jmpbuf(png))) return 0;
  png_read_image(png, rows);
  png_read_end(png, nullptr);
  return 1;
}

int ReadRowPhase(png_structp png, png_bytep row) {
  if (setjmp(png_jmpbuf(png))) return 0;
  png_read_row(png, row, nullptr);
  return 1;
}

int ReadEndPhase(png_structp png) {
  if (setjmp(png_jmpbuf(png))) return 0;
  png_read_end(png, nullptr);
  return 1;
}

struct TWriteParams {
  png_uint_32 Width, Height;
  int Depth, ColorType, Interlace, Level;
  png_colorp Palette;
  int PaletteCount;
  bool HasTrns;
  png_bytep TrnsAlpha;
  int TrnsCount;
  png_color_16 TrnsColor;
};

int WritePhase(png_structp png, png_infop info, const TWriteParams* p, png_bytepp rows) {
  if (setjmp(png_jmpbuf(png))) return 0;
  png_set_compression_level(png, p->Level);
  png_set_IHDR(png, info, p->Width, p->Height, p->Depth, p->ColorType,
               p->Interlace ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  if (p->ColorType == PNG_COLOR_TYPE_PALETTE) png_set_PLTE(png, info, p->Palette, p->PaletteCount);
  if (p->HasTrns) {
    png_color_16 c = p->TrnsColor;
    png_set_tRNS(png, info, p->TrnsAlpha, p->TrnsCount, &c);
  }
  png_write_info(png, info);
  if (p->Depth < 8) png_set_packing(png);
  png_write_image(png, rows);
  png_write_end(png, info);
  return 1;
}

struct TReadGuard {
  png_structp Png = nullptr;
  png_infop Info = nullptr;
  ~TReadGuard() { png_destroy_read_struct(&Png, Info ? &Info : nullptr, nullptr); }
};

struct TWriteGuard {
  png_structp Png = nullptr;
  png_infop Info = nullptr;
  ~TWriteGuard() { png_destroy_write_struct(&Png, Info ? &Info : nullptr); }
};

[[noreturn]] void InvalidPng(const char* why) {
  String msg = u"PNG image is not valid";
  if (why && *why) msg += u": " + FromUtf8(why);
  throw EInvalidGraphic(msg);
}

bool ValidCombination(Byte ct, Byte depth) {
  switch (ct) {
    case COLOR_GRAYSCALE: return depth == 1 || depth == 2 || depth == 4 || depth == 8 || depth == 16;
    case COLOR_PALETTE: return depth == 1 || depth == 2 || depth == 4 || depth == 8;
    case COLOR_RGB:
    case COLOR_GRAYSCALEALPHA:
    case COLOR_RGBALPHA: return depth == 8 || depth == 16;
    default: return false;
  }
}

}  // namespace

void RegisterPngFileFormat() {
  TPicture::RegisterFileFormat(u"png", u"Portable Network Graphics", TPngImage::StaticClass());
}

TPngImage::TPngImage(Byte ColorType, Byte BitDepth, Integer AWidth, Integer AHeight) {
  if (!ValidCombination(ColorType, BitDepth) || AWidth < 0 || AHeight < 0 ||
      Int64(AWidth) * AHeight > (Int64(1) << 28))
    throw EInvalidGraphic(u"Invalid PNG colour type or bit depth");
  FHeader.FColorType = ColorType;
  FHeader.FBitDepth = BitDepth;
  if (ColorType == COLOR_PALETTE) {
    // A grey ramp, so a blank paletted image shows its indices.
    int n = 1 << BitDepth;
    for (int i = 0; i < n; ++i) {
      Byte v = Byte(i * 255 / (n - 1));
      FPalette.push_back({v, v, v, 0});
    }
  }
  Resize(AWidth, AHeight);
}

Integer TPngImage::ColorBytes() const {
  return FHeader.FColorType == COLOR_RGB || FHeader.FColorType == COLOR_RGBALPHA ? 3 : 1;
}

Byte TPngImage::Scale8(unsigned v) const {
  switch (FHeader.FBitDepth) {
    case 1: return v ? 255 : 0;
    case 2: return Byte(v * 85);
    case 4: return Byte(v * 17);
    default: return Byte(v);
  }
}

void TPngImage::Resize(Integer CX, Integer CY) {
  if (CX < 0) CX = 0;
  if (CY < 0) CY = 0;
  if (CX == FHeader.FWidth && CY == FHeader.FHeight && (Int64(CX) * CY == 0 || !FData.empty())) return;
  Integer ow = FHeader.FWidth, oh = FHeader.FHeight, cb = ColorBytes();
  bool sixteen = FHeader.FBitDepth == 16;
  auto plane = [&](std::vector<Byte>& v, Integer bytes, bool present) {
    std::vector<Byte> n;
    if (present) {
      n.assign(size_t(CX) * size_t(CY) * size_t(bytes), 0);
      if (!v.empty())
        for (Integer y = 0; y < std::min(oh, CY); ++y)
          std::memcpy(&n[size_t(y) * size_t(CX) * size_t(bytes)], &v[size_t(y) * size_t(ow) * size_t(bytes)],
                      size_t(std::min(ow, CX)) * size_t(bytes));
    }
    v.swap(n);
  };
  plane(FData, cb, true);
  plane(FExtra, cb, sixteen);
  plane(FAlpha, 1, HasAlpha());
  plane(FAlphaExtra, 1, HasAlpha() && sixteen);
  FHeader.FWidth = CX;
  FHeader.FHeight = CY;
  Changed(this);
}

Byte* TPngImage::Scanline(Integer Row) {
  if (Row < 0 || Row >= FHeader.FHeight) return nullptr;
  return FData.data() + size_t(Row) * size_t(FHeader.FWidth) * size_t(ColorBytes());
}

Byte* TPngImage::ExtraScanline(Integer Row) {
  if (Row < 0 || Row >= FHeader.FHeight || FExtra.empty()) return nullptr;
  return FExtra.data() + size_t(Row) * size_t(FHeader.FWidth) * size_t(ColorBytes());
}

Byte* TPngImage::AlphaScanline(Integer Row) {
  if (Row < 0 || Row >= FHeader.FHeight || FAlpha.empty()) return nullptr;
  return FAlpha.data() + size_t(Row) * size_t(FHeader.FWidth);
}

void TPngImage::SetPalette(const std::vector<RGBQUAD>& Value) {
  FPalette = Value;
  if (FPalette.size() > 256) FPalette.resize(256);
  Changed(this);
}

TPNGTransparencyMode TPngImage::TransparencyMode() const {
  if (HasAlpha()) return TPNGTransparencyMode::ptmPartial;
  if (!FHasTrns) return TPNGTransparencyMode::ptmNone;
  if (FHeader.FColorType == COLOR_PALETTE)
    for (Byte a : FTrnsAlpha)
      if (a != 0 && a != 255) return TPNGTransparencyMode::ptmPartial;
  return TPNGTransparencyMode::ptmBit;
}

TColor TPngImage::TransparentColor() const {
  if (!FHasTrns) return clNone;
  bool sixteen = FHeader.FBitDepth == 16;
  switch (FHeader.FColorType) {
    case COLOR_GRAYSCALE: {
      Byte g = sixteen ? Byte(FTrnsGrey >> 8) : Scale8(FTrnsGrey);
      return TColor(RGB(g, g, g));
    }
    case COLOR_RGB:
      return sixteen ? TColor(RGB(Byte(FTrnsRed >> 8), Byte(FTrnsGreen >> 8), Byte(FTrnsBlue >> 8)))
                     : TColor(RGB(Byte(FTrnsRed), Byte(FTrnsGreen), Byte(FTrnsBlue)));
    case COLOR_PALETTE:
      for (size_t i = 0; i < FTrnsAlpha.size() && i < FPalette.size(); ++i)
        if (FTrnsAlpha[i] == 0) return TColor(RGB(FPalette[i].rgbRed, FPalette[i].rgbGreen, FPalette[i].rgbBlue));
      return clNone;
    default: return clNone;
  }
}

void TPngImage::SetTransparentColor(TColor Value) {
  COLORREF c = ColorToColorRef(Value);
  Byte r = GetRValue(c), g = GetGValue(c), b = GetBValue(c);
  Integer depth = FHeader.FBitDepth;
  auto toDepth = [depth](Byte v) -> Word {
    if (depth == 16) return Word(v * 257);
    if (depth == 8) return v;
    unsigned max = (1u << depth) - 1;
    return Word((v * max + 127) / 255);
  };
  switch (FHeader.FColorType) {
    case COLOR_GRAYSCALE: FTrnsGrey = toDepth(r); break;
    case COLOR_RGB:
      FTrnsRed = toDepth(r);
      FTrnsGreen = toDepth(g);
      FTrnsBlue = toDepth(b);
      break;
    case COLOR_PALETTE:
      FTrnsAlpha.assign(FPalette.size(), 255);
      for (size_t i = 0; i < FPalette.size(); ++i)
        if (FPalette[i].rgbRed == r && FPalette[i].rgbGreen == g && FPalette[i].rgbBlue == b) FTrnsAlpha[i] = 0;
      break;
    default: return;
  }
  FHasTrns = true;
  Changed(this);
}

void TPngImage::CreateAlpha() {
  Byte ct = FHeader.FColorType;
  if (ct == COLOR_PALETTE) {
    if (!FHasTrns) {
      FTrnsAlpha.assign(FPalette.size(), 255);
      FHasTrns = true;
      Changed(this);
    }
    return;
  }
  if (ct != COLOR_GRAYSCALE && ct != COLOR_RGB) return;
  size_t n = size_t(FHeader.FWidth) * size_t(FHeader.FHeight);
  bool sixteen = FHeader.FBitDepth == 16;
  FAlpha.assign(n, 255);
  if (sixteen) FAlphaExtra.assign(n, 255);
  if (FHasTrns) {
    for (size_t i = 0; i < n; ++i) {
      bool hit;
      if (ct == COLOR_GRAYSCALE) {
        unsigned v = sixteen ? unsigned(FData[i] << 8 | FExtra[i]) : FData[i];
        hit = v == FTrnsGrey;
      } else {
        auto s = [&](int k) { return sixteen ? unsigned(FData[3 * i + size_t(k)] << 8 | FExtra[3 * i + size_t(k)]) : FData[3 * i + size_t(k)]; };
        hit = s(2) == FTrnsRed && s(1) == FTrnsGreen && s(0) == FTrnsBlue;
      }
      if (hit) {
        FAlpha[i] = 0;
        if (sixteen) FAlphaExtra[i] = 0;
      }
    }
  }
  FHasTrns = false;
  if (ct == COLOR_GRAYSCALE) {
    // Grey at depths below 8 has no alpha form: widen to 8 bits first.
    if (FHeader.FBitDepth < 8) {
      for (auto& v : FData) v = Scale8(v);
      FHeader.FBitDepth = 8;
    }
    FHeader.FColorType = COLOR_GRAYSCALEALPHA;
  } else {
    FHeader.FColorType = COLOR_RGBALPHA;
  }
  Changed(this);
}

void TPngImage::RemoveTransparency() {
  if (FHeader.FColorType == COLOR_GRAYSCALEALPHA) FHeader.FColorType = COLOR_GRAYSCALE;
  else if (FHeader.FColorType == COLOR_RGBALPHA) FHeader.FColorType = COLOR_RGB;
  FAlpha.clear();
  FAlphaExtra.clear();
  FHasTrns = false;
  FTrnsAlpha.clear();
  Changed(this);
}

void TPngImage::GetARGB(std::vector<uint32_t>& Pixels) const {
  size_t n = size_t(FHeader.FWidth) * size_t(FHeader.FHeight);
  Pixels.assign(n, 0);
  bool sixteen = FHeader.FBitDepth == 16;
  for (size_t i = 0; i < n; ++i) {
    uint32_t a = 255, r, g, b;
    switch (FHeader.FColorType) {
      case COLOR_GRAYSCALE:
      case COLOR_GRAYSCALEALPHA: {
        r = g = b = Scale8(FData[i]);
        if (HasAlpha()) a = FAlpha[i];
        else if (FHasTrns && (sixteen ? unsigned(FData[i] << 8 | FExtra[i]) : FData[i]) == FTrnsGrey) a = 0;
        break;
      }
      case COLOR_PALETTE: {
        Byte idx = FData[i];
        if (idx < FPalette.size()) {
          r = FPalette[idx].rgbRed;
          g = FPalette[idx].rgbGreen;
          b = FPalette[idx].rgbBlue;
        } else {
          r = g = b = 0;
        }
        if (FHasTrns && idx < FTrnsAlpha.size()) a = FTrnsAlpha[idx];
        break;
      }
      default: {
        b = FData[3 * i];
        g = FData[3 * i + 1];
        r = FData[3 * i + 2];
        if (HasAlpha()) {
          a = FAlpha[i];
        } else if (FHasTrns) {
          auto s = [&](int k) { return sixteen ? unsigned(FData[3 * i + size_t(k)] << 8 | FExtra[3 * i + size_t(k)]) : FData[3 * i + size_t(k)]; };
          if (s(2) == FTrnsRed && s(1) == FTrnsGreen && s(0) == FTrnsBlue) a = 0;
        }
        break;
      }
    }
    Pixels[i] = (a << 24) | (r << 16) | (g << 8) | b;
  }
}

TColor TPngImage::Pixels(Integer X, Integer Y) const {
  if (X < 0 || Y < 0 || X >= FHeader.FWidth || Y >= FHeader.FHeight) return clNone;
  size_t i = size_t(Y) * size_t(FHeader.FWidth) + size_t(X);
  switch (FHeader.FColorType) {
    case COLOR_GRAYSCALE:
    case COLOR_GRAYSCALEALPHA: {
      Byte v = Scale8(FData[i]);
      return TColor(RGB(v, v, v));
    }
    case COLOR_PALETTE: {
      Byte idx = FData[i];
      if (idx >= FPalette.size()) return clBlack;
      return TColor(RGB(FPalette[idx].rgbRed, FPalette[idx].rgbGreen, FPalette[idx].rgbBlue));
    }
    default: return TColor(RGB(FData[3 * i + 2], FData[3 * i + 1], FData[3 * i]));
  }
}

void TPngImage::SetPixels(Integer X, Integer Y, TColor Value) {
  if (X < 0 || Y < 0 || X >= FHeader.FWidth || Y >= FHeader.FHeight) return;
  COLORREF c = ColorToColorRef(Value);
  Byte r = GetRValue(c), g = GetGValue(c), b = GetBValue(c);
  size_t i = size_t(Y) * size_t(FHeader.FWidth) + size_t(X);
  switch (FHeader.FColorType) {
    case COLOR_GRAYSCALE:
    case COLOR_GRAYSCALEALPHA: {
      unsigned grey = (r * 77u + g * 150u + b * 29u + 128) >> 8;
      unsigned max = FHeader.FBitDepth >= 8 ? 255 : (1u << FHeader.FBitDepth) - 1;
      FData[i] = Byte((grey * max + 127) / 255);
      if (!FExtra.empty()) FExtra[i] = FData[i];
      break;
    }
    case COLOR_PALETTE: {
      int best = 0, bestD = INT32_MAX;
      for (size_t k = 0; k < FPalette.size(); ++k) {
        int dr = r - FPalette[k].rgbRed, dg = g - FPalette[k].rgbGreen, db = b - FPalette[k].rgbBlue;
        int d = dr * dr + dg * dg + db * db;
        if (d < bestD) { bestD = d; best = int(k); }
      }
      FData[i] = Byte(best);
      break;
    }
    default:
      FData[3 * i] = b;
      FData[3 * i + 1] = g;
      FData[3 * i + 2] = r;
      if (!FExtra.empty()) {
        FExtra[3 * i] = b;
        FExtra[3 * i + 1] = g;
        FExtra[3 * i + 2] = r;
      }
      break;
  }
  Changed(this);
}

// ---------------------------------------------------------------------------
// Reading and writing

void TPngImage::LoadFromStream(TStream* Stream) {
  GuardOutOfMemory([&] { ReadPng(Stream); });
}

void TPngImage::ReadPng(TStream* Stream) {
  TPngIO io;
  io.Stream = Stream;
  TReadGuard g;
  g.Png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &io, PngError, PngWarning);
  if (!g.Png) throw EOutOfResources(u"Out of system resources");
  g.Info = png_create_info_struct(g.Png);
  if (!g.Info) throw EOutOfResources(u"Out of system resources");
  png_set_read_fn(g.Png, &io, PngRead);
  png_set_user_limits(g.Png, 1u << 24, 1u << 24);
  if (!PngCrcChecking()) {
    png_set_crc_action(g.Png, PNG_CRC_QUIET_USE, PNG_CRC_QUIET_USE);
#ifdef PNG_IGNORE_ADLER32
    png_set_option(g.Png, PNG_IGNORE_ADLER32, PNG_OPTION_ON);
#endif
  }
  if (!ReadInfoPhase(g.Png, g.Info)) {
    if (io.StreamFailed) throw EReadError(u"Stream read error");
    InvalidPng(io.Message);
  }
  // The file's own header, before any transformation changes what libpng reports.
  png_uint_32 w = 0, h = 0;
  int depth = 0, ct = 0, il = 0;
  png_get_IHDR(g.Png, g.Info, &w, &h, &depth, &ct, &il, nullptr, nullptr);
  if (w == 0 || h == 0 || Int64(w) * Int64(h) > std::min<Int64>(MaxGraphicPixels(), Int64(1) << 28))
    InvalidPng("image too large");
  if (!ValidCombination(Byte(ct), Byte(depth))) InvalidPng("bad colour type");
  // Deflate turns at most 1032 bytes into one, so pixels that would need
  // more compressed data than the stream still holds cannot all be there:
  // such a file is refused before anything the size of the picture exists.
  {
    const int channels = ct == COLOR_RGB ? 3 : ct == COLOR_RGBALPHA ? 4 : ct == COLOR_GRAYSCALEALPHA ? 2 : 1;
    const Int64 fileRow = (Int64(w) * channels * depth + 7) / 8 + 1;  // with the filter byte
    const Int64 left = std::max<Int64>(0, Stream->Size() - Stream->Position());
    if (fileRow * Int64(h) > (left + 1) * 1032) InvalidPng("image data too short for its size");
  }
  if (!ReadTransformPhase(g.Png, g.Info)) InvalidPng(io.Message);
  const size_t rowBytes = png_get_rowbytes(g.Png, g.Info);

  TPngImage t;
  t.FHeader.FWidth = Integer(w);
  t.FHeader.FHeight = Integer(h);
  t.FHeader.FBitDepth = Byte(depth);
  t.FHeader.FColorType = Byte(ct);
  t.FHeader.FInterlaceMethod = il == PNG_INTERLACE_ADAM7 ? 1 : 0;
  if (ct == COLOR_PALETTE) {
    png_colorp pal = nullptr;
    int num = 0;
    if (!png_get_PLTE(g.Png, g.Info, &pal, &num) || num <= 0) InvalidPng("missing palette");
    for (int i = 0; i < num; ++i) t.FPalette.push_back({pal[i].blue, pal[i].green, pal[i].red, 0});
  }
  {
    png_bytep alpha = nullptr;
    int num = 0;
    png_color_16p col = nullptr;
    if (png_get_tRNS(g.Png, g.Info, &alpha, &num, &col)) {
      t.FHasTrns = true;
      if (ct == COLOR_PALETTE) {
        if (alpha && num > 0) t.FTrnsAlpha.assign(alpha, alpha + std::min<int>(num, int(t.FPalette.size())));
      } else if (col) {
        t.FTrnsGrey = col->gray;
        t.FTrnsRed = col->red;
        t.FTrnsGreen = col->green;
        t.FTrnsBlue = col->blue;
      }
      if (ct == COLOR_GRAYSCALEALPHA || ct == COLOR_RGBALPHA) t.FHasTrns = false;
    }
  }
  const bool sixteen = depth == 16;
  const int channels = ct == COLOR_RGB ? 3 : ct == COLOR_RGBALPHA ? 4 : ct == COLOR_GRAYSCALEALPHA ? 2 : 1;
  const int bps = sixteen ? 2 : 1;
  const size_t cb = size_t(t.ColorBytes());
  const bool alpha = t.HasAlpha();
  // Splits one decoded row into the planes, which grow row by row: a file
  // cut short fails at its first missing row having taken memory only for
  // the rows it had.
  auto storeRow = [&](const Byte* row, png_uint_32 y) {
    const size_t at = size_t(y) * size_t(w);
    t.FData.resize((at + w) * cb);
    if (sixteen) t.FExtra.resize((at + w) * cb);
    if (alpha) {
      t.FAlpha.resize(at + w);
      if (sixteen) t.FAlphaExtra.resize(at + w);
    }
    for (png_uint_32 x = 0; x < w; ++x) {
      const Byte* s = row + size_t(x) * size_t(channels * bps);
      const size_t i = at + x;
      auto hi = [&](int c) { return s[c * bps]; };
      auto lo = [&](int c) { return sixteen ? s[c * bps + 1] : Byte(0); };
      if (cb == 3) {
        for (int c = 0; c < 3; ++c) {
          t.FData[3 * i + size_t(2 - c)] = hi(c);
          if (sixteen) t.FExtra[3 * i + size_t(2 - c)] = lo(c);
        }
      } else {
        t.FData[i] = hi(0);
        if (sixteen) t.FExtra[i] = lo(0);
        if (ct == COLOR_PALETTE && hi(0) >= t.FPalette.size()) InvalidPng("palette index out of range");
      }
      if (alpha) {
        t.FAlpha[i] = hi(channels - 1);
        if (sixteen) t.FAlphaExtra[i] = lo(channels - 1);
      }
    }
  };
  auto failed = [&]() {
    if (io.StreamFailed) throw EReadError(u"Stream read error");
    InvalidPng(io.Message);
  };
  if (il == PNG_INTERLACE_ADAM7) {
    // Every pass revisits every row, so an interlaced picture needs all its
    // rows at once; the size check above keeps them to what the data can fill.
    std::vector<Byte> buf(rowBytes * size_t(h));
    std::vector<png_bytep> rows(h);
    for (png_uint_32 y = 0; y < h; ++y) rows[y] = buf.data() + size_t(y) * rowBytes;
    if (!ReadImagePhase(g.Png, rows.data())) failed();
    for (png_uint_32 y = 0; y < h; ++y) storeRow(rows[y], y);
  } else {
    std::vector<Byte> row(rowBytes);
    for (png_uint_32 y = 0; y < h; ++y) {
      if (!ReadRowPhase(g.Png, row.data())) failed();
      storeRow(row.data(), y);
    }
    if (!ReadEndPhase(g.Png)) failed();
  }
  // Success: the image becomes this one's.
  FHeader = t.FHeader;
  FData.swap(t.FData);
  FExtra.swap(t.FExtra);
  FAlpha.swap(t.FAlpha);
  FAlphaExtra.swap(t.FAlphaExtra);
  FPalette.swap(t.FPalette);
  FTrnsAlpha.swap(t.FTrnsAlpha);
  FHasTrns = t.FHasTrns;
  FTrnsGrey = t.FTrnsGrey;
  FTrnsRed = t.FTrnsRed;
  FTrnsGreen = t.FTrnsGreen;
  FTrnsBlue = t.FTrnsBlue;
  Changed(this);
}

void TPngImage::SaveToStream(TStream* Stream) {
  if (Empty()) throw EInvalidGraphicOperation(u"Cannot save an empty PNG image");
  Integer w = FHeader.FWidth, h = FHeader.FHeight;
  Byte ct = FHeader.FColorType, depth = FHeader.FBitDepth;
  bool sixteen = depth == 16;
  int channels = ct == COLOR_RGB ? 3 : ct == COLOR_RGBALPHA ? 4 : ct == COLOR_GRAYSCALEALPHA ? 2 : 1;
  int bps = sixteen ? 2 : 1;
  size_t rowBytes = size_t(w) * size_t(channels * bps);
  std::vector<Byte> buf(rowBytes * size_t(h));
  std::vector<png_bytep> rows(static_cast<size_t>(h));
  Integer cb = ColorBytes();
  Byte maxSample = depth >= 8 ? 255 : Byte((1 << depth) - 1);
  for (Integer y = 0; y < h; ++y) {
    Byte* row = buf.data() + size_t(y) * rowBytes;
    rows[size_t(y)] = row;
    for (Integer x = 0; x < w; ++x) {
      size_t i = size_t(y) * size_t(w) + size_t(x);
      Byte* d = row + size_t(x) * size_t(channels * bps);
      auto put = [&](int c, Byte hi, Byte lo) {
        d[c * bps] = hi;
        if (sixteen) d[c * bps + 1] = lo;
      };
      if (cb == 3) {
        for (int c = 0; c < 3; ++c) put(c, FData[3 * i + size_t(2 - c)], sixteen ? FExtra[3 * i + size_t(2 - c)] : 0);
      } else {
        Byte v = FData[i];
        if (ct == COLOR_PALETTE && v >= FPalette.size()) v = 0;
        if (ct != COLOR_PALETTE && v > maxSample) v = maxSample;
        put(0, v, sixteen ? FExtra[i] : 0);
      }
      if (HasAlpha()) put(channels - 1, FAlpha[i], sixteen ? FAlphaExtra[i] : 0);
    }
  }
  std::vector<png_color> pal;
  for (const RGBQUAD& q : FPalette) pal.push_back({q.rgbRed, q.rgbGreen, q.rgbBlue});
  if (ct == COLOR_PALETTE && pal.empty()) pal.push_back({0, 0, 0});
  std::vector<Byte> trns(FTrnsAlpha);
  TWriteParams p{};
  p.Width = png_uint_32(w);
  p.Height = png_uint_32(h);
  p.Depth = depth;
  p.ColorType = ct;
  p.Interlace = FHeader.FInterlaceMethod;
  p.Level = FCompressionLevel;
  p.Palette = pal.data();
  p.PaletteCount = int(pal.size());
  p.HasTrns = FHasTrns && !HasAlpha() && (ct != COLOR_PALETTE || !trns.empty());
  p.TrnsAlpha = trns.empty() ? nullptr : trns.data();
  p.TrnsCount = ct == COLOR_PALETTE ? int(trns.size()) : 1;
  p.TrnsColor.gray = FTrnsGrey;
  p.TrnsColor.red = FTrnsRed;
  p.TrnsColor.green = FTrnsGreen;
  p.TrnsColor.blue = FTrnsBlue;
  TPngIO io;
  io.Stream = Stream;
  TWriteGuard g;
  g.Png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &io, PngError, PngWarning);
  if (!g.Png) throw EOutOfResources(u"Out of system resources");
  g.Info = png_create_info_struct(g.Png);
  if (!g.Info) throw EOutOfResources(u"Out of system resources");
  png_set_write_fn(g.Png, &io, PngWrite, PngFlush);
  if (!WritePhase(g.Png, g.Info, &p, rows.data())) {
    if (io.StreamFailed) throw EWriteError(u"Stream write error");
    throw EInvalidGraphicOperation(FromUtf8(io.Message));
  }
}

// ---------------------------------------------------------------------------
// Conversions and drawing

void TPngImage::Assign(TPersistent* Source) {
  if (auto* p = dynamic_cast<TPngImage*>(Source)) {
    if (p == this) return;
    FHeader = p->FHeader;
    FData = p->FData;
    FExtra = p->FExtra;
    FAlpha = p->FAlpha;
    FAlphaExtra = p->FAlphaExtra;
    FPalette = p->FPalette;
    FTrnsAlpha = p->FTrnsAlpha;
    FHasTrns = p->FHasTrns;
    FTrnsGrey = p->FTrnsGrey;
    FTrnsRed = p->FTrnsRed;
    FTrnsGreen = p->FTrnsGreen;
    FTrnsBlue = p->FTrnsBlue;
    FCompressionLevel = p->FCompressionLevel;
    Changed(this);
    return;
  }
  if (auto* b = dynamic_cast<TBitmap*>(Source)) return AssignBitmap(b);
  inherited::Assign(Source);
}

void TPngImage::AssignBitmap(TBitmap* B) {
  Integer w = B->Width(), h = B->Height();
  TPngImage t;
  t.FCompressionLevel = FCompressionLevel;
  t.FHeader.FInterlaceMethod = FHeader.FInterlaceMethod;
  TPixelFormat f = B->PixelFormat();
  if (!B->Empty() && (f == TPixelFormat::pf1bit || f == TPixelFormat::pf4bit || f == TPixelFormat::pf8bit)) {
    Integer bpp = PixelFormatBits(f);
    t.FHeader.FColorType = COLOR_PALETTE;
    t.FHeader.FBitDepth = Byte(bpp);
    t.FPalette = B->Colors();
    t.FHeader.FWidth = w;
    t.FHeader.FHeight = h;
    t.FData.assign(size_t(w) * size_t(h), 0);
    for (Integer y = 0; y < h; ++y) {
      auto* r = static_cast<const Byte*>(B->ScanLine(y));
      for (Integer x = 0; x < w; ++x) {
        Byte v = bpp == 8 ? r[x] : bpp == 4 ? Byte((r[x >> 1] >> ((x & 1) ? 0 : 4)) & 15)
                                            : Byte((r[x >> 3] >> (7 - (x & 7))) & 1);
        t.FData[size_t(y) * size_t(w) + size_t(x)] = v;
      }
    }
  } else {
    t.FHeader.FColorType = COLOR_RGB;
    t.FHeader.FBitDepth = 8;
    t.FHeader.FWidth = w;
    t.FHeader.FHeight = h;
    t.FData.assign(size_t(w) * size_t(h) * 3, 0);
    if (!B->Empty()) {
      TBitmap tmp;
      TBitmap* src = B;
      if (f != TPixelFormat::pf24bit && f != TPixelFormat::pf32bit) {
        tmp.Assign(B);
        tmp.SetHandleType(TBitmapHandleType::bmDIB);
        tmp.SetPixelFormat(TPixelFormat::pf32bit);
        src = &tmp;
      }
      Integer step = src->PixelFormat() == TPixelFormat::pf24bit ? 3 : 4;
      for (Integer y = 0; y < h; ++y) {
        auto* r = static_cast<const Byte*>(src->ScanLine(y));
        Byte* d = &t.FData[size_t(y) * size_t(w) * 3];
        for (Integer x = 0; x < w; ++x) std::memcpy(d + 3 * x, r + step * x, 3);
      }
    }
    if (B->Transparent() && !B->Empty()) {
      COLORREF c = ColorToColorRef(B->TransparentColor());
      t.FHasTrns = true;
      t.FTrnsRed = GetRValue(c);
      t.FTrnsGreen = GetGValue(c);
      t.FTrnsBlue = GetBValue(c);
    }
  }
  Assign(&t);
}

void TPngImage::AssignTo(TPersistent* Dest) {
  if (auto* b = dynamic_cast<TBitmap*>(Dest)) {
    b->Assign(nullptr);
    b->SetTransparent(false);
    b->SetAlphaFormat(TAlphaFormat::afIgnored);
    if (Empty()) return;
    std::vector<uint32_t> px;
    GetARGB(px);
    Integer w = Width(), h = Height();
    TPNGTransparencyMode mode = TransparencyMode();
    if (mode == TPNGTransparencyMode::ptmPartial) {
      b->SetPixelFormat(TPixelFormat::pf32bit);
      b->SetSize(w, h);
      for (Integer y = 0; y < h; ++y) std::memcpy(b->ScanLine(y), px.data() + size_t(y) * size_t(w), size_t(w) * 4);
      b->SetAlphaFormat(TAlphaFormat::afDefined);
    } else {
      b->SetPixelFormat(TPixelFormat::pf24bit);
      b->SetSize(w, h);
      for (Integer y = 0; y < h; ++y) {
        auto* r = static_cast<Byte*>(b->ScanLine(y));
        for (Integer x = 0; x < w; ++x) {
          uint32_t c = px[size_t(y) * size_t(w) + size_t(x)];
          r[3 * x] = Byte(c);
          r[3 * x + 1] = Byte(c >> 8);
          r[3 * x + 2] = Byte(c >> 16);
        }
      }
      if (mode == TPNGTransparencyMode::ptmBit) {
        b->SetTransparentColor(TransparentColor());
        b->SetTransparent(true);
      }
    }
    return;
  }
  inherited::AssignTo(Dest);
}

void TPngImage::Draw(TCanvas* ACanvas, const TRect& Rect) {
  if (Empty()) return;
  std::vector<uint32_t> px;
  GetARGB(px);
  DrawARGB(ACanvas, Rect, px.data(), Width(), Height());
}

}  // namespace vcl
