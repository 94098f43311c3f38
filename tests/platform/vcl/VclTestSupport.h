// Helpers for the Graphics tests: byte builders for BMP and icon files, and
// small stream utilities.
#pragma once

#include <cstring>
#include <random>
#include <vector>

#include "platform/vcl/Graphics.h"

namespace vcltest {

using namespace vcl;

inline void Put16(std::vector<Byte>& v, size_t at, unsigned x) {
  v[at] = Byte(x);
  v[at + 1] = Byte(x >> 8);
}
inline void Put32(std::vector<Byte>& v, size_t at, uint32_t x) {
  for (int i = 0; i < 4; ++i) v[at + size_t(i)] = Byte(x >> (8 * i));
}

// A BMP file from its parts: header fields, an optional table (raw bytes:
// colours or masks) and the pixel bytes.
inline std::vector<Byte> MakeBmp(int32_t w, int32_t h, int bpp, uint32_t compression,
                                 const std::vector<Byte>& table, const std::vector<Byte>& pixels,
                                 uint32_t clrUsed = 0) {
  size_t off = 14 + 40 + table.size();
  std::vector<Byte> f(off + pixels.size(), 0);
  f[0] = 'B';
  f[1] = 'M';
  Put32(f, 2, uint32_t(f.size()));
  Put32(f, 10, uint32_t(off));
  Put32(f, 14, 40);
  Put32(f, 18, uint32_t(w));
  Put32(f, 22, uint32_t(h));
  Put16(f, 26, 1);
  Put16(f, 28, unsigned(bpp));
  Put32(f, 30, compression);
  Put32(f, 34, uint32_t(pixels.size()));
  Put32(f, 46, clrUsed);
  for (size_t i = 0; i < table.size(); ++i) f[54 + i] = table[i];
  for (size_t i = 0; i < pixels.size(); ++i) f[off + i] = pixels[i];
  return f;
}

inline TBytes SaveBytes(TGraphic& g) {
  TBytesStream s;
  g.SaveToStream(&s);
  return s.Bytes();
}

inline void LoadBytes(TGraphic& g, const std::vector<Byte>& b) {
  TBytesStream s(b);
  g.LoadFromStream(&s);
}

// Every pixel of a bitmap as 0xAARRGGBB through a 32-bit copy (alpha as stored).
inline std::vector<uint32_t> Pixels32(TBitmap& b) {
  TBitmap c;
  c.Assign(&b);
  c.SetPixelFormat(TPixelFormat::pf32bit);
  std::vector<uint32_t> out;
  for (Integer y = 0; y < c.Height(); ++y) {
    auto* r = static_cast<const uint32_t*>(c.ScanLine(y));
    out.insert(out.end(), r, r + c.Width());
  }
  return out;
}

}  // namespace vcltest
