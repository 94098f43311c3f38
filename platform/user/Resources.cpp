// Module resources: bitmaps, icons and cursors from the resource table.
#include "platform/user/Resources.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <mutex>
#include <tuple>
#include <vector>

#include "platform/classes/Streams.h"
#include "platform/gdi/GdiPng.h"
#include "platform/rtl/SysUtils.h"
#include "platform/user/User.h"

namespace vcl {

namespace {

uint32_t Get32(const Byte* p) { return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24); }
uint16_t Get16(const Byte* p) { return uint16_t(p[0] | (p[1] << 8)); }

bool IsIntResource(const char16_t* name) { return reinterpret_cast<uintptr_t>(name) <= 0xFFFF; }

// Pixels of any bitmap as top-down 0xAARRGGBB (alpha as stored).
std::vector<uint32_t> ReadPixels(HBITMAP bmp, int& w, int& h) {
  BITMAP bm;
  if (!GetObjectW(bmp, sizeof bm, &bm)) {
    w = h = 0;
    return {};
  }
  w = bm.bmWidth;
  h = std::abs(bm.bmHeight);
  std::vector<uint32_t> px(size_t(w) * size_t(h));
  BITMAPINFO bi;
  bi.bmiHeader.biWidth = w;
  bi.bmiHeader.biHeight = -h;
  bi.bmiHeader.biBitCount = 32;
  HDC dc = CreateCompatibleDC(nullptr);
  GetDIBits(dc, bmp, 0, UINT(h), px.data(), &bi, DIB_RGB_COLORS);
  DeleteDC(dc);
  return px;
}

HBITMAP Bitmap32(int w, int h, const uint32_t* px, bool dibSection) {
  if (dibSection) {
    BITMAPINFO bi;
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;
    bi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP b = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (b && bits && px) std::memcpy(bits, px, size_t(w) * size_t(h) * 4);
    return b;
  }
  return CreateBitmap(w, h, 1, 32, px);
}

// A 1-bit bitmap from "set" flags (1: white).
HBITMAP MaskBitmap(int w, int h, const std::vector<uint8_t>& set) {
  int stride = ((w + 15) / 16) * 2;
  std::vector<Byte> bits(size_t(stride) * size_t(h), 0);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      if (set[size_t(y) * size_t(w) + size_t(x)]) bits[size_t(y * stride + (x >> 3))] |= Byte(0x80 >> (x & 7));
  return CreateBitmap(w, h, 1, 1, bits.data());
}

// The size of a packed DIB's colour table in bytes; -1 when malformed.
Int64 TableBytes(const BITMAPINFOHEADER& h) {
  if (h.biBitCount <= 8) {
    Int64 n = h.biClrUsed ? Int64(h.biClrUsed) : (Int64(1) << h.biBitCount);
    if (n > 256) return -1;
    return n * 4;
  }
  if (h.biCompression == BI_BITFIELDS && h.biSize == 40) return 12;
  return Int64(h.biClrUsed) * 4;
}

// An icon image from its pixels and transparency.
HICON MakeIcon(int w, int h, const std::vector<uint32_t>& color, const std::vector<uint8_t>& transparent, bool cursor,
               int hotX, int hotY) {
  HBITMAP c = Bitmap32(w, h, color.data(), false);
  HBITMAP m = MaskBitmap(w, h, transparent);
  ICONINFO ii;
  ii.fIcon = cursor ? 0 : 1;
  ii.xHotspot = DWORD(std::clamp(hotX, 0, std::max(0, w - 1)));
  ii.yHotspot = DWORD(std::clamp(hotY, 0, std::max(0, h - 1)));
  ii.hbmColor = c;
  ii.hbmMask = m;
  HICON icon = (c && m) ? CreateIconIndirect(&ii) : nullptr;
  if (c) DeleteObject(c);
  if (m) DeleteObject(m);
  return icon;
}

// One image of an icon file: a PNG, or a DIB twice as high (XOR picture
// over the AND mask).
HICON DecodeIconImage(const Byte* p, size_t n, bool cursor, int hotX, int hotY) {
  static const Byte kPng[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  if (n >= 8 && std::memcmp(p, kPng, 8) == 0) {
    TGdiSurfacePtr s;
    try {
      s = LoadSurfaceFromPngData(p, n);
    } catch (...) {
      return nullptr;
    }
    std::vector<uint32_t> px(size_t(s->Width) * size_t(s->Height));
    std::vector<uint8_t> tr(px.size());
    for (int y = 0; y < s->Height; ++y)
      for (int x = 0; x < s->Width; ++x) {
        size_t i = size_t(y) * size_t(s->Width) + size_t(x);
        px[i] = s->Pixel(x, y);
        tr[i] = (px[i] >> 24) == 0;
      }
    return MakeIcon(s->Width, s->Height, px, tr, cursor, hotX, hotY);
  }
  if (n < 40) return nullptr;
  BITMAPINFOHEADER hdr;
  hdr.biSize = Get32(p);
  hdr.biWidth = LONG(Get32(p + 4));
  hdr.biHeight = LONG(Get32(p + 8));
  hdr.biPlanes = Get16(p + 12);
  hdr.biBitCount = Get16(p + 14);
  hdr.biCompression = Get32(p + 16);
  hdr.biClrUsed = Get32(p + 32);
  if (hdr.biSize < 40 || hdr.biSize > n || hdr.biWidth <= 0 || hdr.biWidth > 1024 || hdr.biHeight <= 0 ||
      hdr.biHeight > 2048 || hdr.biCompression != BI_RGB)
    return nullptr;
  int w = hdr.biWidth, h = hdr.biHeight / 2;
  if (h <= 0) return nullptr;
  Int64 table = TableBytes(hdr);
  if (table < 0) return nullptr;
  Int64 xorStride = ((Int64(w) * hdr.biBitCount + 31) / 32) * 4;
  Int64 andStride = ((Int64(w) + 31) / 32) * 4;
  Int64 need = Int64(hdr.biSize) + table + xorStride * h + andStride * h;
  if (need > Int64(n)) return nullptr;
  // The colour picture through a DIB section of the header's own format.
  std::vector<Byte> info(size_t(40 + table));
  std::memcpy(info.data(), p, 40);
  {
    LONG half = h;
    std::memcpy(info.data() + 8, &half, 4);
    DWORD size40 = 40;
    std::memcpy(info.data(), &size40, 4);
    std::memcpy(info.data() + 40, p + hdr.biSize, size_t(table));
  }
  void* bits = nullptr;
  HBITMAP dib = CreateDIBSection(nullptr, reinterpret_cast<const BITMAPINFO*>(info.data()), DIB_RGB_COLORS, &bits,
                                 nullptr, 0);
  if (!dib || !bits) {
    if (dib) DeleteObject(dib);
    return nullptr;
  }
  const Byte* xorBits = p + hdr.biSize + table;
  std::memcpy(bits, xorBits, size_t(xorStride * h));
  int rw, rh;
  std::vector<uint32_t> px = ReadPixels(dib, rw, rh);
  DeleteObject(dib);
  const Byte* andBits = xorBits + xorStride * h;
  bool alpha = false;
  if (hdr.biBitCount == 32)
    for (uint32_t c : px) alpha = alpha || (c >> 24) != 0;
  std::vector<uint8_t> tr(px.size());
  for (int y = 0; y < h; ++y) {
    const Byte* row = andBits + andStride * (h - 1 - y);  // bottom-up
    for (int x = 0; x < w; ++x) {
      size_t i = size_t(y) * size_t(w) + size_t(x);
      bool masked = (row[x >> 3] >> (7 - (x & 7))) & 1;
      if (alpha) {
        tr[i] = (px[i] >> 24) == 0;
      } else {
        tr[i] = masked;
        px[i] = masked ? 0 : (px[i] | 0xFF000000u);
      }
    }
  }
  return MakeIcon(w, h, px, tr, cursor, hotX, hotY);
}

std::vector<Byte> ReadFileBytes(const String& path) {
  std::vector<Byte> out;
  try {
    TFileStream f(path, fmOpenRead | fmShareDenyWrite);
    out.resize(size_t(f.Size()));
    if (!out.empty()) f.ReadBuffer(out.data(), Integer(out.size()));
  } catch (...) {
    out.clear();
  }
  return out;
}

// Icon loads with LR_SHARED: one handle per resource, kind and size.
struct SharedKey {
  String Name;
  UINT Type;
  int Cx, Cy;
  bool operator<(const SharedKey& o) const {
    return std::tie(Name, Type, Cx, Cy) < std::tie(o.Name, o.Type, o.Cx, o.Cy);
  }
};
std::mutex gSharedLock;
std::map<SharedKey, HANDLE>& Shared() {
  static auto* m = new std::map<SharedKey, HANDLE>;
  return *m;
}

HBITMAP LoadBitmapData(const Byte* data, size_t size, UINT flags) {
  HBITMAP dib = CreateBitmapFromPackedDIB(data, size);
  if (!dib) return nullptr;
  if ((flags & LR_LOADTRANSPARENT) || (flags & LR_LOADMAP3DCOLORS) || (flags & LR_MONOCHROME) ||
      !(flags & LR_CREATEDIBSECTION)) {
    int w, h;
    std::vector<uint32_t> px = ReadPixels(dib, w, h);
    if (flags & LR_LOADTRANSPARENT && !px.empty()) {
      uint32_t key = px[0] & 0xFFFFFF;
      COLORREF win = GetSysColor(COLOR_WINDOW);
      uint32_t to = (uint32_t(GetRValue(win)) << 16) | (uint32_t(GetGValue(win)) << 8) | GetBValue(win);
      for (auto& c : px)
        if ((c & 0xFFFFFF) == key) c = to;
    }
    if (flags & LR_LOADMAP3DCOLORS) {
      // The three greys of old button art become the current 3-D colours.
      auto sys = [](int i) {
        COLORREF c = GetSysColor(i);
        return (uint32_t(GetRValue(c)) << 16) | (uint32_t(GetGValue(c)) << 8) | GetBValue(c);
      };
      for (auto& c : px) {
        uint32_t rgb = c & 0xFFFFFF;
        if (rgb == 0x808080) c = sys(COLOR_BTNSHADOW);
        else if (rgb == 0xC0C0C0) c = sys(COLOR_BTNFACE);
        else if (rgb == 0xDFDFDF) c = sys(COLOR_3DLIGHT);
      }
    }
    DeleteObject(dib);
    if (flags & LR_MONOCHROME) {
      std::vector<uint8_t> white(px.size());
      for (size_t i = 0; i < px.size(); ++i) {
        uint32_t c = px[i];
        white[i] = ((c >> 16 & 0xFF) + (c >> 8 & 0xFF) + (c & 0xFF)) >= 3 * 128;
      }
      return MaskBitmap(w, h, white);
    }
    return Bitmap32(w, h, px.data(), (flags & LR_CREATEDIBSECTION) != 0);
  }
  return dib;
}

}  // namespace

String ResourceKey(const char16_t* name) {
  if (!name) return String();
  if (IsIntResource(name)) return u"#" + IntToStr(Integer(reinterpret_cast<uintptr_t>(name)));
  return String(name);
}

HBITMAP CreateBitmapFromPackedDIB(const void* data, size_t size) {
  const Byte* p = static_cast<const Byte*>(data);
  if (!p || size < 40) return nullptr;
  BITMAPINFOHEADER hdr;
  hdr.biSize = Get32(p);
  hdr.biWidth = LONG(Get32(p + 4));
  hdr.biHeight = LONG(Get32(p + 8));
  hdr.biBitCount = Get16(p + 14);
  hdr.biCompression = Get32(p + 16);
  hdr.biClrUsed = Get32(p + 32);
  if (hdr.biSize < 40 || hdr.biSize > 124 || hdr.biSize > size || hdr.biWidth <= 0 || hdr.biHeight == 0 ||
      hdr.biHeight == INT32_MIN || hdr.biWidth > 32768 || std::abs(hdr.biHeight) > 32768)
    return nullptr;
  if (hdr.biBitCount != 1 && hdr.biBitCount != 4 && hdr.biBitCount != 8 && hdr.biBitCount != 16 &&
      hdr.biBitCount != 24 && hdr.biBitCount != 32)
    return nullptr;
  if (hdr.biCompression != BI_RGB && hdr.biCompression != BI_BITFIELDS) return nullptr;
  // A header longer than the plain one carries the three masks itself, so
  // it must be long enough to hold them.
  if (hdr.biCompression == BI_BITFIELDS && hdr.biSize > 40 && hdr.biSize < 52) return nullptr;
  Int64 table = TableBytes(hdr);
  if (table < 0) return nullptr;
  Int64 stride = ((Int64(hdr.biWidth) * hdr.biBitCount + 31) / 32) * 4;
  Int64 bitsSize = stride * std::abs(Int64(hdr.biHeight));
  if (Int64(hdr.biSize) + table + bitsSize > Int64(size)) return nullptr;
  // A plain 40-byte header plus the table, whatever header version came in;
  // masks of a longer header come after it as BI_BITFIELDS expects.
  std::vector<Byte> info(size_t(40 + std::max<Int64>(table, 12)), 0);
  std::memcpy(info.data(), p, 40);
  DWORD size40 = 40;
  std::memcpy(info.data(), &size40, 4);
  if (hdr.biCompression == BI_BITFIELDS && hdr.biSize > 40) std::memcpy(info.data() + 40, p + 40, 12);
  else std::memcpy(info.data() + 40, p + hdr.biSize, size_t(table));
  void* bits = nullptr;
  HBITMAP dib = CreateDIBSection(nullptr, reinterpret_cast<const BITMAPINFO*>(info.data()), DIB_RGB_COLORS, &bits,
                                 nullptr, 0);
  if (!dib || !bits) {
    if (dib) DeleteObject(dib);
    return nullptr;
  }
  std::memcpy(bits, p + hdr.biSize + table, size_t(bitsSize));
  return dib;
}

HICON CreateIconFromFileData(const void* data, size_t size, int cx, int cy, bool cursor) {
  const Byte* p = static_cast<const Byte*>(data);
  if (!p || size < 6 || Get16(p) != 0 || (Get16(p + 2) != 1 && Get16(p + 2) != 2)) return nullptr;
  size_t count = Get16(p + 4);
  if (count == 0 || 6 + count * 16 > size) return nullptr;
  // The entry closest in area to the asked size (the largest for 0).
  size_t best = count;
  Int64 bestScore = 0;
  for (size_t i = 0; i < count; ++i) {
    const Byte* e = p + 6 + i * 16;
    int w = e[0] ? e[0] : 256, h = e[1] ? e[1] : 256;
    Int64 score = (cx <= 0 || cy <= 0) ? -Int64(w) * h : std::llabs(Int64(w) * h - Int64(cx) * cy);
    if (best == count || score < bestScore) {
      best = i;
      bestScore = score;
    }
  }
  const Byte* e = p + 6 + best * 16;
  uint32_t len = Get32(e + 8), off = Get32(e + 12);
  if (off > size || len > size - off) return nullptr;
  bool isCursor = Get16(p + 2) == 2;
  int hotX = isCursor ? Get16(e + 4) : 0, hotY = isCursor ? Get16(e + 6) : 0;
  return DecodeIconImage(p + off, len, cursor, hotX, hotY);
}

HANDLE LoadImageW(HINSTANCE inst, const char16_t* name, UINT type, int cx, int cy, UINT flags) {
  if (!name || type > IMAGE_CURSOR) return nullptr;
  std::vector<Byte> fileBytes;
  const void* data = nullptr;
  size_t size = 0;
  String key;
  if (flags & LR_LOADFROMFILE) {
    if (IsIntResource(name)) return nullptr;
    fileBytes = ReadFileBytes(String(name));
    if (fileBytes.empty()) return nullptr;
    data = fileBytes.data();
    size = fileBytes.size();
    key = u"file:" + String(name);
  } else {
    (void)inst;  // one module: every instance names the same table
    key = ResourceKey(name);
    static const char16_t* kTypes[] = {u"#2", u"#14", u"#12"};
    if (!FindResourceData(key, kTypes[type], data, size)) {
      SetLastError(1814);  // ERROR_RESOURCE_NAME_NOT_FOUND
      return nullptr;
    }
  }
  if (type == IMAGE_BITMAP) {
    if (flags & LR_LOADFROMFILE) {
      // A .bmp file: the packed DIB after its 14-byte file header.
      if (size < 14 || static_cast<const Byte*>(data)[0] != 'B' || static_cast<const Byte*>(data)[1] != 'M')
        return nullptr;
      return LoadBitmapData(static_cast<const Byte*>(data) + 14, size - 14, flags);
    }
    return LoadBitmapData(static_cast<const Byte*>(data), size, flags);
  }
  bool cursor = type == IMAGE_CURSOR;
  if (cx == 0 && (flags & LR_DEFAULTSIZE)) cx = GetSystemMetrics(cursor ? SM_CXCURSOR : SM_CXICON);
  if (cy == 0 && (flags & LR_DEFAULTSIZE)) cy = GetSystemMetrics(cursor ? SM_CYCURSOR : SM_CYICON);
  if (flags & LR_SHARED) {
    std::lock_guard<std::mutex> lk(gSharedLock);
    auto it = Shared().find(SharedKey{key, type, cx, cy});
    if (it != Shared().end()) return it->second;
  }
  HICON icon = CreateIconFromFileData(data, size, cx, cy, cursor);
  if (!icon) return nullptr;
  if (flags & LR_SHARED) {
    MarkIconShared(icon);
    std::lock_guard<std::mutex> lk(gSharedLock);
    Shared()[SharedKey{key, type, cx, cy}] = icon;
  }
  return icon;
}

HBITMAP LoadBitmapW(HINSTANCE inst, const char16_t* name) {
  return static_cast<HBITMAP>(LoadImageW(inst, name, IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR));
}

HANDLE CopyImage(HANDLE image, UINT type, int cx, int cy, UINT flags) {
  if (!image) return nullptr;
  if (type == IMAGE_BITMAP) {
    HBITMAP src = static_cast<HBITMAP>(image);
    DIBSECTION ds;
    int got = GetObjectW(src, sizeof ds, &ds);
    if (!got) return nullptr;
    bool isDib = got == int(sizeof(DIBSECTION));
    int w = ds.dsBm.bmWidth, h = std::abs(ds.dsBm.bmHeight);
    int nw = cx ? cx : w, nh = cy ? cy : h;
    bool wantDib = (flags & LR_CREATEDIBSECTION) != 0;
    bool sameForm = nw == w && nh == h && (!(flags & LR_MONOCHROME) || ds.dsBm.bmBitsPixel == 1) &&
                    (!wantDib || isDib);
    if ((flags & LR_COPYRETURNORG) && sameForm) return image;
    int rw, rh;
    std::vector<uint32_t> px = ReadPixels(src, rw, rh);
    std::vector<uint32_t> out(size_t(nw) * size_t(nh));
    for (int y = 0; y < nh; ++y)
      for (int x = 0; x < nw; ++x)
        out[size_t(y) * size_t(nw) + size_t(x)] =
            px[size_t(Int64(y) * h / nh) * size_t(w) + size_t(Int64(x) * w / nw)];
    HBITMAP copy;
    if (flags & LR_MONOCHROME || (ds.dsBm.bmBitsPixel == 1 && !wantDib)) {
      std::vector<uint8_t> white(out.size());
      for (size_t i = 0; i < out.size(); ++i) white[i] = (out[i] & 0xFFFFFF) != 0;
      copy = MaskBitmap(nw, nh, white);
    } else {
      copy = Bitmap32(nw, nh, out.data(), wantDib);
    }
    if (copy && (flags & LR_COPYDELETEORG)) DeleteObject(src);
    return copy;
  }
  if (type == IMAGE_ICON || type == IMAGE_CURSOR) {
    HICON src = static_cast<HICON>(image);
    ICONINFO ii;
    if (!GetIconInfo(src, &ii)) return nullptr;
    int w, h, mw, mh;
    std::vector<uint32_t> px = ReadPixels(ii.hbmColor, w, h);
    std::vector<uint32_t> mask = ReadPixels(ii.hbmMask, mw, mh);
    DeleteObject(ii.hbmColor);
    DeleteObject(ii.hbmMask);
    int nw = cx ? cx : w, nh = cy ? cy : h;
    if ((flags & LR_COPYRETURNORG) && nw == w && nh == h) return image;
    std::vector<uint32_t> out(size_t(nw) * size_t(nh));
    std::vector<uint8_t> tr(out.size());
    for (int y = 0; y < nh; ++y)
      for (int x = 0; x < nw; ++x) {
        size_t s = size_t(Int64(y) * h / nh) * size_t(w) + size_t(Int64(x) * w / nw);
        size_t d = size_t(y) * size_t(nw) + size_t(x);
        out[d] = px[s];
        tr[d] = s < mask.size() && (mask[s] & 0xFFFFFF) != 0;
      }
    HICON copy = MakeIcon(nw, nh, out, tr, !ii.fIcon, int(Int64(ii.xHotspot) * nw / std::max(1, w)),
                          int(Int64(ii.yHotspot) * nh / std::max(1, h)));
    if (copy && (flags & LR_COPYDELETEORG)) DestroyIcon(src);
    return copy;
  }
  return nullptr;
}

}  // namespace vcl
