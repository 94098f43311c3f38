// Icons: pixels and mask kept in plain memory, drawn by composing into a
// copy of the destination that is then copied back through the DC's clip.
#include "platform/gdi/GdiIcon.h"

#include <cmath>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <vector>

#include "platform/gdi/GdiSurface.h"

namespace vcl {

namespace {

struct TIconObj {
  int W = 0, H = 0;
  bool IsIcon = true;
  DWORD HotX = 0, HotY = 0;
  bool HasAlpha = false;
  bool Mono = false;                // no colour bitmap: XOR bits in Color
  std::vector<uint32_t> Color;      // BGRA, top-down
  std::vector<uint8_t> Mask;        // 1 = transparent (or inverting)
  bool Stock = false;
};

// Never destroyed, so icons still alive at exit (the stock ones) stay
// reachable instead of dangling from a destroyed table.
std::mutex& TableLock() {
  static auto* m = new std::mutex;
  return *m;
}
std::set<TIconObj*>& IconTable() {
  static auto* t = new std::set<TIconObj*>;
  return *t;
}

HICON Register(std::unique_ptr<TIconObj> o) {
  std::lock_guard<std::mutex> g(TableLock());
  TIconObj* p = o.release();
  IconTable().insert(p);
  return reinterpret_cast<HICON>(p);
}

TIconObj* Find(HICON h) {
  std::lock_guard<std::mutex> g(TableLock());
  auto* p = reinterpret_cast<TIconObj*>(h);
  return IconTable().count(p) ? p : nullptr;
}

// The bitmap's pixels as 32-bit top-down rows; false for an invalid bitmap.
bool ReadPixels(HBITMAP bmp, int& w, int& h, int& bpp, std::vector<uint32_t>& px) {
  BITMAP bm;
  if (!bmp || GetObject(bmp, sizeof bm, &bm) == 0) return false;
  w = bm.bmWidth;
  h = bm.bmHeight;
  bpp = bm.bmBitsPixel;
  if (w <= 0 || h <= 0 || Int64(w) * h > (Int64(1) << 24)) return false;
  struct {
    BITMAPINFOHEADER h;
    RGBQUAD c[256];
  } bi;
  bi.h.biWidth = w;
  bi.h.biHeight = -h;
  bi.h.biBitCount = 32;
  bi.h.biCompression = BI_RGB;
  px.assign(size_t(w) * size_t(h), 0);
  return GetDIBits(nullptr, bmp, 0, UINT(h), px.data(), reinterpret_cast<BITMAPINFO*>(&bi), DIB_RGB_COLORS) == h;
}

HBITMAP MakeMask(const std::vector<uint8_t>& bits, int w, int h) {
  int stride = ((w + 15) / 16) * 2;
  std::vector<Byte> raw(size_t(stride) * size_t(h), 0);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      if (bits[size_t(y) * size_t(w) + size_t(x)]) raw[size_t(y) * size_t(stride) + size_t(x >> 3)] |= Byte(0x80 >> (x & 7));
  return CreateBitmap(w, h, 1, 1, raw.data());
}

// The stock pictures, drawn with coverage sampled at 4x4 points per pixel.
std::unique_ptr<TIconObj> DrawStock(int id) {
  auto o = std::make_unique<TIconObj>();
  o->W = o->H = 32;
  o->HasAlpha = true;
  o->Stock = true;
  o->Color.assign(32 * 32, 0);
  o->Mask.assign(32 * 32, 1);
  // Returns the colour (0xAARRGGBB) at a point, alpha 0 outside the shape.
  auto shade = [id](double x, double y) -> uint32_t {
    double cx = x - 16, cy = y - 16, r = std::sqrt(cx * cx + cy * cy);
    auto inRect = [&](double l, double t, double rr, double b) { return x >= l && x < rr && y >= t && y < b; };
    switch (id) {
      case 32517: {  // four panes, slightly apart
        if (!inRect(3, 3, 29, 29)) return 0;
        if (x >= 15 && x < 17) return 0;
        if (y >= 15 && y < 17) return 0;
        bool top = y < 16, left = x < 16;
        if (top && left) return 0xFFE0402Au;
        if (top) return 0xFF3CA63Cu;
        if (left) return 0xFF2C6FD8u;
        return 0xFFF2B705u;
      }
      case 32513:  // a red disc with a white cross
        if (r > 14) return 0;
        if ((std::fabs(cx - cy) < 2.2 || std::fabs(cx + cy) < 2.2) && r < 9) return 0xFFFFFFFFu;
        return 0xFFD03030u;
      case 32515: {  // a yellow triangle with a dark bar and dot
        double half = (y - 3) * 14.0 / 26.0;
        if (y < 3 || y > 29 || std::fabs(cx) > half) return 0;
        if (std::fabs(cx) < 1.6 && ((y > 11 && y < 22) || (y > 24 && y < 27))) return 0xFF202020u;
        return 0xFFF5C518u;
      }
      case 32516:  // a blue disc with a white i
        if (r > 14) return 0;
        if (std::fabs(cx) < 1.8 && ((y > 13 && y < 24) || (y > 8 && y < 11.5))) return 0xFFFFFFFFu;
        return 0xFF2F6FD0u;
      case 32514: {  // a blue disc with a white question mark
        if (r > 14) return 0;
        double ar = std::sqrt(cx * cx + (y - 12) * (y - 12));
        bool hook = ar > 3.2 && ar < 6.2 && !(y > 12 && cx < 0);
        bool stem = std::fabs(cx) < 1.6 && y > 16 && y < 21;
        bool dot = std::fabs(cx) < 1.6 && y > 22.5 && y < 25.5;
        if (hook || stem || dot) return 0xFFFFFFFFu;
        return 0xFF2F6FD0u;
      }
      case 32518:  // a shield in two colours
        if (!inRect(6, 3, 26, 29) || (y > 18 && std::fabs(cx) > (29 - y) * 10.0 / 11.0)) return 0;
        return (cx < 0) == (y < 16) ? 0xFF2F6FD0u : 0xFFF2B705u;
      default:  // an application window
        if (!inRect(2, 4, 30, 28)) return 0;
        if (!inRect(3, 5, 29, 27)) return 0xFF404040u;
        if (y < 10) return 0xFF1F4FA0u;
        return 0xFFFFFFFFu;
    }
  };
  for (int py = 0; py < 32; ++py)
    for (int px = 0; px < 32; ++px) {
      double a = 0, rr = 0, gg = 0, bb = 0;
      for (int sy = 0; sy < 4; ++sy)
        for (int sx = 0; sx < 4; ++sx) {
          uint32_t c = shade(px + (sx + 0.5) / 4, py + (sy + 0.5) / 4);
          double ca = (c >> 24) / 255.0;
          a += ca;
          rr += ca * ((c >> 16) & 0xFF);
          gg += ca * ((c >> 8) & 0xFF);
          bb += ca * (c & 0xFF);
        }
      if (a <= 0) continue;
      uint32_t A = uint32_t(std::lround(a / 16 * 255));
      uint32_t R = uint32_t(std::lround(rr / a)), G = uint32_t(std::lround(gg / a)), B = uint32_t(std::lround(bb / a));
      size_t i = size_t(py) * 32 + size_t(px);
      o->Color[i] = (A << 24) | (R << 16) | (G << 8) | B;
      o->Mask[i] = 0;
    }
  return o;
}

}  // namespace

HICON CreateIconIndirect(const ICONINFO* info) {
  if (!info || !info->hbmMask) return nullptr;
  auto o = std::make_unique<TIconObj>();
  o->IsIcon = info->fIcon != 0;
  o->HotX = info->xHotspot;
  o->HotY = info->yHotspot;
  int mw, mh, mbpp;
  std::vector<uint32_t> mask;
  if (!ReadPixels(info->hbmMask, mw, mh, mbpp, mask)) return nullptr;
  if (info->hbmColor) {
    int w, h, bpp;
    if (!ReadPixels(info->hbmColor, w, h, bpp, o->Color)) return nullptr;
    if (mw != w || mh < h) return nullptr;
    o->W = w;
    o->H = h;
    if (bpp == 32)
      for (uint32_t p : o->Color)
        if (p >> 24) { o->HasAlpha = true; break; }
  } else {
    if (mh < 2 || (mh & 1)) return nullptr;
    o->W = mw;
    o->H = mh / 2;
    o->Mono = true;
    o->Color.resize(size_t(o->W) * size_t(o->H));
    for (size_t i = 0; i < o->Color.size(); ++i) o->Color[i] = mask[o->Color.size() + i] & 0x00FFFFFF;
  }
  o->Mask.resize(size_t(o->W) * size_t(o->H));
  for (size_t i = 0; i < o->Mask.size(); ++i) o->Mask[i] = (mask[i] & 0x00FFFFFF) ? 1 : 0;
  return Register(std::move(o));
}

BOOL GetIconInfo(HICON icon, ICONINFO* info) {
  TIconObj* o = Find(icon);
  if (!o || !info) return 0;
  info->fIcon = o->IsIcon;
  info->xHotspot = o->HotX;
  info->yHotspot = o->HotY;
  if (o->Mono) {
    std::vector<uint8_t> both(o->Mask);
    for (uint32_t c : o->Color) both.push_back(c ? 1 : 0);
    info->hbmMask = MakeMask(both, o->W, o->H * 2);
    info->hbmColor = nullptr;
  } else {
    info->hbmMask = MakeMask(o->Mask, o->W, o->H);
    info->hbmColor = CreateBitmap(o->W, o->H, 1, 32, o->Color.data());
  }
  return 1;
}

HICON CopyIcon(HICON icon) {
  TIconObj* o = Find(icon);
  if (!o) return nullptr;
  auto c = std::make_unique<TIconObj>(*o);
  c->Stock = false;
  return Register(std::move(c));
}

BOOL DestroyIcon(HICON icon) {
  std::lock_guard<std::mutex> g(TableLock());
  auto* p = reinterpret_cast<TIconObj*>(icon);
  auto it = IconTable().find(p);
  if (it == IconTable().end()) return 0;
  if (p->Stock) return 1;
  IconTable().erase(it);
  delete p;
  return 1;
}

void MarkIconShared(HICON icon) {
  std::lock_guard<std::mutex> g(TableLock());
  auto* p = reinterpret_cast<TIconObj*>(icon);
  if (IconTable().count(p)) p->Stock = true;
}

int IconObjectCount() {
  std::lock_guard<std::mutex> g(TableLock());
  int n = 0;
  for (auto* p : IconTable())
    if (!p->Stock) ++n;
  return n;
}

HICON LoadIcon(HINSTANCE instance, const WCHAR* name) {
  if (instance) return nullptr;
  ULONG_PTR id = reinterpret_cast<ULONG_PTR>(name);
  if (id < 32512 || id > 32518) return nullptr;
  static auto* m = new std::mutex;
  static auto* stock = new std::map<ULONG_PTR, HICON>;
  std::lock_guard<std::mutex> g(*m);
  HICON& h = (*stock)[id];
  if (!h) h = Register(DrawStock(int(id)));
  return h;
}

BOOL DrawIconEx(HDC dc, int x, int y, HICON icon, int cx, int cy, UINT, HBRUSH flickerFree, UINT flags) {
  TIconObj* o = Find(icon);
  if (!o || !dc) return 0;
  if (cx == 0) cx = (flags & DI_DEFAULTSIZE) ? 32 : o->W;
  if (cy == 0) cy = (flags & DI_DEFAULTSIZE) ? 32 : o->H;
  if (cx <= 0 || cy <= 0 || Int64(cx) * cy > (Int64(1) << 26)) return 0;
  if (!(flags & DI_NORMAL)) flags |= DI_NORMAL;
  // Compose into a copy of what is under the icon, then copy it back
  // through the DC's mapping and clip.
  HBITMAP tmp = CreateBitmap(cx, cy, 1, 32, nullptr);
  HDC mem = CreateCompatibleDC(nullptr);
  if (!tmp || !mem) {
    if (tmp) DeleteObject(tmp);
    if (mem) DeleteDC(mem);
    return 0;
  }
  HGDIOBJ old = SelectObject(mem, tmp);
  BitBlt(mem, 0, 0, cx, cy, dc, x, y, SRCCOPY);
  if (flickerFree) {
    RECT r{0, 0, cx, cy};
    FillRect(mem, &r, flickerFree);
  }
  TGdiSurfacePtr s = GetBitmapSurface(tmp);
  for (int py = 0; py < cy; ++py) {
    int sy = int(Int64(py) * o->H / cy);
    uint32_t* row = s->Scanline(py);
    for (int px = 0; px < cx; ++px) {
      int sx = int(Int64(px) * o->W / cx);
      size_t i = size_t(sy) * size_t(o->W) + size_t(sx);
      uint32_t c = o->Color[i], d = row[px];
      bool m = o->Mask[i] != 0;
      if ((flags & DI_NORMAL) == DI_MASK) {
        if (!m) row[px] = 0;
      } else if ((flags & DI_NORMAL) == DI_IMAGE) {
        row[px] = c;
      } else if (o->HasAlpha) {
        uint32_t a = c >> 24;
        if (a == 0) continue;
        uint32_t out = 0;
        for (int sh = 0; sh < 24; sh += 8) {
          uint32_t sc = (c >> sh) & 0xFF, dc8 = (d >> sh) & 0xFF;
          out |= ((sc * a + dc8 * (255 - a) + 127) / 255) << sh;
        }
        uint32_t da = d >> 24;
        out |= (a + (da * (255 - a) + 127) / 255) << 24;
        row[px] = out;
      } else if (!m) {
        row[px] = c & 0x00FFFFFF;
      } else if (c & 0x00FFFFFF) {
        row[px] = (d ^ c) & 0x00FFFFFF;
      }
    }
  }
  BitBlt(dc, x, y, cx, cy, mem, 0, 0, SRCCOPY);
  SelectObject(mem, old);
  DeleteDC(mem);
  DeleteObject(tmp);
  return 1;
}

}  // namespace vcl
