// Bitmaps: compatible and monochrome bitmaps, DIB sections and the DIB
// conversions of GetDIBits/SetDIBits.
#include <algorithm>
#include <atomic>
#include <cstring>

#include "platform/gdi/FileMapping.h"
#include "platform/gdi/GdiInternal.h"

namespace vcl {

using namespace gdi;

namespace {
std::atomic<TDIBSectionMapper> gMapper{nullptr};

constexpr Int64 kMaxPixels = Int64(1) << 28;

// Row length in bytes of a DIB row (DWORD aligned).
Int64 DibStride(Int64 width, int bpp) { return ((width * bpp + 31) / 32) * 4; }

bool ValidDepth(int bpp) { return bpp == 1 || bpp == 4 || bpp == 8 || bpp == 16 || bpp == 24 || bpp == 32; }


int MaskShift(DWORD m) { return m ? __builtin_ctz(m) : 0; }
int MaskBits(DWORD m) { return m ? __builtin_popcount(m) : 0; }
Byte Expand(DWORD v, DWORD mask) {
  if (!mask) return 0;
  DWORD x = (v & mask) >> MaskShift(mask);
  int n = MaskBits(mask);
  if (n >= 8) return Byte(x >> (n - 8));
  DWORD r = 0;  // replicate the top bits to fill 8
  for (int got = 0; got < 8; got += n) r = (r << n) | x;
  return Byte(r >> (((8 + n - 1) / n) * n - 8));
}

struct TFormat {
  int Bpp = 32;
  std::vector<RGBQUAD> Colors;
  DWORD Masks[3] = {0, 0, 0};  // 16/32 with BI_BITFIELDS
  bool Bitfields = false;
  bool Mono = false;  // the target's pixels are 0 / white
};

uint32_t Quad(const RGBQUAD& q) { return (uint32_t(q.rgbRed) << 16) | (uint32_t(q.rgbGreen) << 8) | q.rgbBlue; }

void DecodeRow(const Byte* src, int width, const TFormat& f, uint32_t* out) {
  auto pal = [&](unsigned i) -> uint32_t {
    if (f.Mono) return i ? 0x00FFFFFFu : 0u;
    return i < f.Colors.size() ? Quad(f.Colors[i]) : 0u;
  };
  switch (f.Bpp) {
    case 1:
      for (int x = 0; x < width; ++x) out[x] = pal((src[x >> 3] >> (7 - (x & 7))) & 1);
      break;
    case 4:
      for (int x = 0; x < width; ++x) out[x] = pal((src[x >> 1] >> ((x & 1) ? 0 : 4)) & 15);
      break;
    case 8:
      for (int x = 0; x < width; ++x) out[x] = pal(src[x]);
      break;
    case 16:
      for (int x = 0; x < width; ++x) {
        DWORD v = DWORD(src[2 * x]) | (DWORD(src[2 * x + 1]) << 8);
        DWORD rm = f.Bitfields ? f.Masks[0] : 0x7C00, gm = f.Bitfields ? f.Masks[1] : 0x03E0,
              bm = f.Bitfields ? f.Masks[2] : 0x001F;
        out[x] = (uint32_t(Expand(v, rm)) << 16) | (uint32_t(Expand(v, gm)) << 8) | Expand(v, bm);
      }
      break;
    case 24:
      for (int x = 0; x < width; ++x)
        out[x] = uint32_t(src[3 * x]) | (uint32_t(src[3 * x + 1]) << 8) | (uint32_t(src[3 * x + 2]) << 16);
      break;
    default:
      if (f.Bitfields && !(f.Masks[0] == 0xFF0000 && f.Masks[1] == 0xFF00 && f.Masks[2] == 0xFF)) {
        for (int x = 0; x < width; ++x) {
          DWORD v;
          std::memcpy(&v, src + 4 * x, 4);
          out[x] = (uint32_t(Expand(v, f.Masks[0])) << 16) | (uint32_t(Expand(v, f.Masks[1])) << 8) |
                   Expand(v, f.Masks[2]);
        }
      } else {
        std::memcpy(out, src, size_t(width) * 4);
      }
      break;
  }
  if (f.Mono && f.Bpp > 1)
    for (int x = 0; x < width; ++x) out[x] = MonoPixel(out[x]);
}

unsigned Nearest(uint32_t p, const TFormat& f) {
  if (f.Mono || f.Colors.empty()) return MonoPixel(p) ? 1u : 0u;
  unsigned best = 0;
  int bestD = INT32_MAX;
  int r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, b = p & 0xFF;
  for (unsigned i = 0; i < f.Colors.size(); ++i) {
    const RGBQUAD& q = f.Colors[i];
    int d = (r - q.rgbRed) * (r - q.rgbRed) + (g - q.rgbGreen) * (g - q.rgbGreen) + (b - q.rgbBlue) * (b - q.rgbBlue);
    if (d < bestD) { bestD = d; best = i; if (!d) break; }
  }
  return best;
}

DWORD Pack(uint32_t p, DWORD mask) {
  if (!mask) return 0;
  int n = MaskBits(mask);
  DWORD v = n >= 8 ? DWORD((p & 0xFF)) << (n - 8) : DWORD(p & 0xFF) >> (8 - n);
  return (v << MaskShift(mask)) & mask;
}

void EncodeRow(const uint32_t* in, int width, const TFormat& f, Byte* dst) {
  switch (f.Bpp) {
    case 1:
      std::memset(dst, 0, size_t((width + 7) / 8));
      for (int x = 0; x < width; ++x)
        if (Nearest(in[x], f)) dst[x >> 3] |= Byte(0x80 >> (x & 7));
      break;
    case 4:
      std::memset(dst, 0, size_t((width + 1) / 2));
      for (int x = 0; x < width; ++x) dst[x >> 1] |= Byte(Nearest(in[x], f) << ((x & 1) ? 0 : 4));
      break;
    case 8:
      for (int x = 0; x < width; ++x) dst[x] = Byte(Nearest(in[x], f));
      break;
    case 16:
      for (int x = 0; x < width; ++x) {
        DWORD rm = f.Bitfields ? f.Masks[0] : 0x7C00, gm = f.Bitfields ? f.Masks[1] : 0x03E0,
              bm = f.Bitfields ? f.Masks[2] : 0x001F;
        DWORD v = Pack(in[x] >> 16, rm) | Pack(in[x] >> 8, gm) | Pack(in[x], bm);
        dst[2 * x] = Byte(v);
        dst[2 * x + 1] = Byte(v >> 8);
      }
      break;
    case 24:
      for (int x = 0; x < width; ++x) {
        dst[3 * x] = Byte(in[x]);
        dst[3 * x + 1] = Byte(in[x] >> 8);
        dst[3 * x + 2] = Byte(in[x] >> 16);
      }
      break;
    default:
      if (f.Bitfields && !(f.Masks[0] == 0xFF0000 && f.Masks[1] == 0xFF00 && f.Masks[2] == 0xFF)) {
        for (int x = 0; x < width; ++x) {
          DWORD v = Pack(in[x] >> 16, f.Masks[0]) | Pack(in[x] >> 8, f.Masks[1]) | Pack(in[x], f.Masks[2]);
          std::memcpy(dst + 4 * x, &v, 4);
        }
      } else {
        std::memcpy(dst, in, size_t(width) * 4);
      }
      break;
  }
}

// Reads the format a BITMAPINFO describes; false for what is not supported.
bool ReadFormat(const BITMAPINFO* bmi, UINT usage, TFormat& f) {
  const auto& h = bmi->bmiHeader;
  // The header versions run from 40 to 124 bytes; the colour table follows.
  if (h.biSize < 40 || h.biSize > 124 || !ValidDepth(h.biBitCount)) return false;
  f.Bpp = h.biBitCount;
  if (h.biCompression == BI_BITFIELDS) {
    if (f.Bpp != 16 && f.Bpp != 32) return false;
    f.Bitfields = true;
    std::memcpy(f.Masks, reinterpret_cast<const Byte*>(bmi) + h.biSize, sizeof f.Masks);
  } else if (h.biCompression != BI_RGB) {
    return false;
  }
  if (f.Bpp <= 8) {
    DWORD n = h.biClrUsed ? std::min<DWORD>(h.biClrUsed, 1u << f.Bpp) : (1u << f.Bpp);
    const RGBQUAD* q = reinterpret_cast<const RGBQUAD*>(reinterpret_cast<const Byte*>(bmi) + h.biSize);
    if (usage == DIB_PAL_COLORS) f.Colors = DefaultColorTable(f.Bpp);
    else f.Colors.assign(q, q + n);
  }
  return true;
}

std::shared_ptr<TBitmapObj> NewBitmap(TGdiSurfacePtr s, int bpp) {
  auto b = std::make_shared<TBitmapObj>();
  b->Kind = TKind::Bitmap;
  b->Surface = std::move(s);
  b->BitCount = bpp;
  return b;
}
}  // namespace

void SetDIBSectionMapper(TDIBSectionMapper mapper) { gMapper = mapper; }

void TBitmapObj::SyncIn(int first, int last) {
  TFormat f;
  f.Bpp = BitCount;
  f.Colors = Colors;
  f.Bitfields = Info.biCompression == BI_BITFIELDS;
  std::memcpy(f.Masks, Masks, sizeof Masks);
  f.Mono = Surface->Monochrome;
  for (int y = std::max(first, 0); y < std::min(last, Surface->Height); ++y)
    DecodeRow(UserBits + UserStride * y, Surface->Width, f, Surface->Scanline(y));
}

void TBitmapObj::SyncOut(int first, int last) {
  TFormat f;
  f.Bpp = BitCount;
  f.Colors = Colors;
  f.Bitfields = Info.biCompression == BI_BITFIELDS;
  std::memcpy(f.Masks, Masks, sizeof Masks);
  f.Mono = Surface->Monochrome;
  for (int y = std::max(first, 0); y < std::min(last, Surface->Height); ++y)
    EncodeRow(Surface->Scanline(y), Surface->Width, f, UserBits + UserStride * y);
}

HBITMAP CreateCompatibleBitmap(HDC dc, int width, int height) {
  if (width < 0 || height < 0 || Int64(width) * height > kMaxPixels) return nullptr;
  bool mono = false;
  if (dc) {
    auto d = LookupDC(dc);
    if (!d) return nullptr;
    auto* s = d->Surface();
    mono = s && s->Monochrome;
  }
  // An empty request gets the 1x1 monochrome bitmap, as on the platform.
  if (width == 0 || height == 0) {
    width = height = 1;
    mono = true;
  }
  auto s = TGdiSurface::Create(width, height);
  s->Monochrome = mono;
  return static_cast<HBITMAP>(AddObject(NewBitmap(std::move(s), mono ? 1 : 32)));
}

HBITMAP CreateBitmap(int width, int height, UINT planes, UINT bpp, const void* bits) {
  if (width < 0 || height < 0 || planes != 1 || (bpp != 1 && bpp != 32) || Int64(width) * height > kMaxPixels)
    return nullptr;
  if (width == 0 || height == 0) {
    width = height = 1;
    bpp = 1;
    bits = nullptr;
  }
  auto s = TGdiSurface::Create(width, height);
  s->Monochrome = bpp == 1;
  if (bits) {
    const Byte* p = static_cast<const Byte*>(bits);
    if (bpp == 1) {
      int stride = ((width + 15) / 16) * 2;
      for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
          s->Pixel(x, y) = ((p[y * stride + (x >> 3)] >> (7 - (x & 7))) & 1) ? 0x00FFFFFFu : 0u;
    } else {
      for (int y = 0; y < height; ++y) std::memcpy(s->Scanline(y), p + size_t(y) * size_t(width) * 4, size_t(width) * 4);
    }
  }
  return static_cast<HBITMAP>(AddObject(NewBitmap(std::move(s), int(bpp))));
}

HBITMAP CreateDIBSection(HDC dc, const BITMAPINFO* bmi, UINT usage, void** bits, HANDLE section, DWORD offset) {
  if (bits) *bits = nullptr;
  if (!bmi) return nullptr;
  TFormat f;
  if (!ReadFormat(bmi, usage, f)) return nullptr;
  const auto& h = bmi->bmiHeader;
  Int64 w = h.biWidth, hh = h.biHeight;
  bool topDown = hh < 0;
  if (hh < 0) hh = -hh;
  if (w <= 0 || hh <= 0 || w * hh > kMaxPixels) return nullptr;
  Int64 stride = DibStride(w, f.Bpp);
  size_t size = size_t(stride * hh);
  Byte* mem;
  std::shared_ptr<void> storage;
  if (section) {
    if (auto mapper = gMapper.load()) {
      mem = mapper(section, offset, size);
    } else {
      // A view of the kernel's file mapping, from its start so that any
      // offset will do; it goes when the bitmap does.
      void* view = MapViewOfFile(section, FILE_MAP_ALL_ACCESS, 0, 0, NativeUInt(offset) + size);
      mem = view ? static_cast<Byte*>(view) + offset : nullptr;
      if (view) storage = std::shared_ptr<void>(view, [](void* v) { UnmapViewOfFile(v); });
    }
    if (!mem) return nullptr;
  } else {
    std::shared_ptr<Byte[]> m(new Byte[size]());
    mem = m.get();
    storage = std::shared_ptr<void>(m, m.get());
  }
  auto b = std::make_shared<TBitmapObj>();
  b->Kind = TKind::Bitmap;
  b->IsDIB = true;
  b->BitCount = f.Bpp;
  b->Info = h;
  b->Info.biSize = 40;
  b->Info.biSizeImage = DWORD(size);
  b->Colors = f.Colors;
  std::memcpy(b->Masks, f.Masks, sizeof f.Masks);
  b->Section = section;
  b->Offset = offset;
  Byte* top = topDown ? mem : mem + size_t(stride * (hh - 1));
  NativeInt rowStep = topDown ? NativeInt(stride) : -NativeInt(stride);
  bool plain32 = f.Bpp == 32 && (!f.Bitfields || (f.Masks[0] == 0xFF0000 && f.Masks[1] == 0xFF00 && f.Masks[2] == 0xFF));
  if (plain32) {
    b->Surface = TGdiSurface::Wrap(top, Integer(w), Integer(hh), rowStep, storage);
  } else {
    b->Surface = TGdiSurface::Create(Integer(w), Integer(hh));
    b->Surface->Monochrome = f.Bpp == 1;
    if (f.Bpp == 1) {
      b->Surface->MonoTable = true;
      for (size_t i = 0; i < 2; ++i)
        b->Surface->MonoColors[i] = i < f.Colors.size() ? Quad(f.Colors[i]) : (i ? 0x00FFFFFFu : 0u);
    }
    b->UserBits = top;
    b->UserStride = rowStep;
    b->UserStorage = storage;
    if (section) b->SyncIn();
  }
  if (bits) *bits = mem;
  (void)dc;
  return static_cast<HBITMAP>(AddObject(b));
}

int GetDIBits(HDC dc, HBITMAP bmp, UINT start, UINT lines, void* bits, BITMAPINFO* bmi, UINT usage) {
  auto b = LookupBitmap(bmp);
  if (!b || !bmi || (dc && !LookupDC(dc))) return 0;
  if (b->Shadowed()) b->SyncIn();
  auto& s = *b->Surface;
  auto& h = bmi->bmiHeader;
  if (h.biSize < 40 || h.biSize > 124) return 0;
  if (h.biBitCount == 0) {
    // Describe the bitmap.
    h.biWidth = s.Width;
    h.biHeight = s.Height;
    h.biPlanes = 1;
    h.biBitCount = WORD(b->BitCount);
    h.biCompression = BI_RGB;
    h.biSizeImage = DWORD(DibStride(s.Width, b->BitCount) * s.Height);
    h.biClrUsed = 0;
    return bits ? 0 : 1;
  }
  if (!ValidDepth(h.biBitCount) || (h.biCompression != BI_RGB && h.biCompression != BI_BITFIELDS)) return 0;
  TFormat f;
  f.Bpp = h.biBitCount;
  if (f.Bpp <= 8) {
    f.Colors = DefaultColorTable(f.Bpp);
    RGBQUAD* q = reinterpret_cast<RGBQUAD*>(reinterpret_cast<Byte*>(bmi) + h.biSize);
    if (usage == DIB_RGB_COLORS) std::copy(f.Colors.begin(), f.Colors.end(), q);
  }
  if (h.biCompression == BI_BITFIELDS) {
    f.Bitfields = true;
    DWORD* m = reinterpret_cast<DWORD*>(reinterpret_cast<Byte*>(bmi) + h.biSize);
    if (f.Bpp == 16) { m[0] = 0xF800; m[1] = 0x07E0; m[2] = 0x001F; }
    else { m[0] = 0xFF0000; m[1] = 0xFF00; m[2] = 0xFF; }
    std::memcpy(f.Masks, m, sizeof f.Masks);
  }
  // A 1-bit DIB section read at its own depth keeps its indices and reports
  // its own table; read at any other depth its pixels are the table's colours.
  bool table = s.Monochrome && s.MonoTable;
  if (table && f.Bpp == 1) {
    f.Colors = {b->Colors.size() > 0 ? b->Colors[0] : RGBQUAD{0, 0, 0, 0},
                b->Colors.size() > 1 ? b->Colors[1] : RGBQUAD{255, 255, 255, 0}};
    f.Mono = true;
    RGBQUAD* q = reinterpret_cast<RGBQUAD*>(reinterpret_cast<Byte*>(bmi) + h.biSize);
    if (usage == DIB_RGB_COLORS) std::copy(f.Colors.begin(), f.Colors.end(), q);
    table = false;
  }
  Int64 stride = DibStride(s.Width, f.Bpp);
  h.biSizeImage = DWORD(stride * s.Height);
  if (!bits) return 1;
  bool topDown = h.biHeight < 0;
  if (start >= UINT(s.Height)) return 0;
  UINT n = std::min<UINT>(lines, UINT(s.Height) - start);
  Byte* out = static_cast<Byte*>(bits);
  std::vector<uint32_t> colored(table ? size_t(s.Width) : 0);
  for (UINT i = 0; i < n; ++i) {
    int scan = int(start + i);
    int row = topDown ? scan : s.Height - 1 - scan;
    const uint32_t* px = s.Scanline(row);
    if (table) {
      for (int x = 0; x < s.Width; ++x) colored[size_t(x)] = s.MonoToColor(px[x], 0, 0);
      px = colored.data();
    }
    EncodeRow(px, s.Width, f, out + stride * Int64(i));
  }
  return int(n);
}

int SetDIBits(HDC dc, HBITMAP bmp, UINT start, UINT lines, const void* bits, const BITMAPINFO* bmi, UINT usage) {
  auto b = LookupBitmap(bmp);
  if (!b || !bmi || !bits || (dc && !LookupDC(dc))) return 0;
  TFormat f;
  if (!ReadFormat(bmi, usage, f)) return 0;
  auto& s = *b->Surface;
  f.Mono = false;
  bool topDown = bmi->bmiHeader.biHeight < 0;
  Int64 w = std::min<Int64>(bmi->bmiHeader.biWidth, s.Width);
  if (w <= 0 || start >= UINT(s.Height)) return 0;
  UINT n = std::min<UINT>(lines, UINT(s.Height) - start);
  Int64 stride = DibStride(bmi->bmiHeader.biWidth, f.Bpp);
  if (b->Shadowed()) b->SyncIn();
  std::vector<uint32_t> row(size_t(bmi->bmiHeader.biWidth));
  const Byte* in = static_cast<const Byte*>(bits);
  for (UINT i = 0; i < n; ++i) {
    int scan = int(start + i);
    int y = topDown ? scan : s.Height - 1 - scan;
    DecodeRow(in + stride * Int64(i), int(bmi->bmiHeader.biWidth), f, row.data());
    uint32_t* dst = s.Scanline(y);
    for (Int64 x = 0; x < w; ++x) dst[x] = s.Monochrome ? MonoPixel(s, row[size_t(x)]) : row[size_t(x)];
  }
  if (b->Shadowed()) b->SyncOut();
  return int(n);
}

LONG GetBitmapBits(HBITMAP bmp, LONG size, void* bits) {
  auto b = LookupBitmap(bmp);
  if (!b || size < 0) return 0;
  if (b->Shadowed()) b->SyncIn();
  auto& s = *b->Surface;
  Int64 stride = s.Monochrome ? ((s.Width + 15) / 16) * 2 : Int64(s.Width) * 4;
  Int64 total = stride * s.Height;
  if (!bits) return LONG(total);
  Int64 n = std::min<Int64>(size, total);
  std::vector<Byte> buf(static_cast<size_t>(total), Byte(0));
  for (int y = 0; y < s.Height; ++y) {
    Byte* row = buf.data() + stride * y;
    if (s.Monochrome) {
      for (int x = 0; x < s.Width; ++x)
        if (s.Pixel(x, y) & 0xFFFFFF) row[x >> 3] |= Byte(0x80 >> (x & 7));
    } else {
      std::memcpy(row, s.Scanline(y), size_t(s.Width) * 4);
    }
  }
  std::memcpy(bits, buf.data(), size_t(n));
  return LONG(n);
}

LONG SetBitmapBits(HBITMAP bmp, DWORD size, const void* bits) {
  auto b = LookupBitmap(bmp);
  if (!b || !bits) return 0;
  if (b->Shadowed()) b->SyncIn();
  auto& s = *b->Surface;
  Int64 stride = s.Monochrome ? ((s.Width + 15) / 16) * 2 : Int64(s.Width) * 4;
  const Byte* in = static_cast<const Byte*>(bits);
  Int64 rows = std::min<Int64>(s.Height, stride ? Int64(size) / stride : 0);
  for (int y = 0; y < rows; ++y) {
    const Byte* row = in + stride * y;
    if (s.Monochrome) {
      for (int x = 0; x < s.Width; ++x) s.Pixel(x, y) = ((row[x >> 3] >> (7 - (x & 7))) & 1) ? 0x00FFFFFFu : 0u;
    } else {
      std::memcpy(s.Scanline(y), row, size_t(s.Width) * 4);
    }
  }
  if (b->Shadowed()) b->SyncOut();
  return LONG(rows * stride);
}

BOOL GetBitmapDimensionEx(HBITMAP bmp, SIZE* size) {
  auto b = LookupBitmap(bmp);
  if (!b || !size) return 0;
  *size = {};
  return 1;
}

static const RGBQUAD kVga[16] = {{0, 0, 0, 0},       {0, 0, 128, 0},   {0, 128, 0, 0},   {0, 128, 128, 0},
                                 {128, 0, 0, 0},     {128, 0, 128, 0}, {128, 128, 0, 0}, {192, 192, 192, 0},
                                 {128, 128, 128, 0}, {0, 0, 255, 0},   {0, 255, 0, 0},   {0, 255, 255, 0},
                                 {255, 0, 0, 0},     {255, 0, 255, 0}, {255, 255, 0, 0}, {255, 255, 255, 0}};

std::vector<RGBQUAD> DefaultColorTable(int bpp) {
  std::vector<RGBQUAD> t;
  if (bpp == 1) {
    t = {{0, 0, 0, 0}, {255, 255, 255, 0}};
  } else if (bpp == 4) {
    t.assign(kVga, kVga + 16);
  } else if (bpp == 8) {
    t.assign(kVga, kVga + 16);
    for (int r = 0; r < 6; ++r)
      for (int g = 0; g < 6; ++g)
        for (int b = 0; b < 6; ++b) t.push_back({Byte(b * 51), Byte(g * 51), Byte(r * 51), 0});
    for (int i = 0; t.size() < 256; ++i) {
      Byte v = Byte(8 + i * 10);
      t.push_back({v, v, v, 0});
    }
  }
  return t;
}

}  // namespace vcl
