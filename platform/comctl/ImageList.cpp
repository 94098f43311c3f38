// Image lists: images of one size with colour, alpha and mask, drawn with
// the styles documented in CommCtrl.h.
#include <algorithm>
#include <cstring>
#include <mutex>
#include <set>
#include <vector>

#include "platform/classes/Streams.h"
#include "platform/comctl/CommCtrl.h"
#include "platform/gdi/GdiSurface.h"
#include "platform/user/Resources.h"
#include "platform/user/User.h"

namespace vcl {

struct IMAGELIST__ {
  struct Image {
    std::vector<uint32_t> Px;    // 0xAARRGGBB, straight alpha
    std::vector<uint8_t> Mask;   // 1: transparent
    bool Alpha = false;          // composes by its alpha
  };
  int Cx = 0, Cy = 0;
  UINT Flags = 0;
  int Grow = 4;
  COLORREF Bk = CLR_NONE;
  std::vector<Image> Images;
  int Overlays[15];
  // GetImageInfo's bitmaps, made when asked for and remade after changes.
  HBITMAP InfoImage = nullptr, InfoMask = nullptr;
  bool InfoStale = true;

  bool Masked() const { return (Flags & ILC_MASK) != 0; }
  bool Color32() const { return (Flags & 0xFE) == ILC_COLOR32; }
  Image Blank() const {
    Image im;
    im.Px.assign(size_t(Cx) * size_t(Cy), 0);
    im.Mask.assign(im.Px.size(), Masked() ? 1 : 0);
    return im;
  }
  void Changed() { InfoStale = true; }
  void FreeInfo() {
    if (InfoImage) DeleteObject(InfoImage);
    if (InfoMask) DeleteObject(InfoMask);
    InfoImage = InfoMask = nullptr;
  }
};

namespace {

std::mutex gImageListLock;
std::set<HIMAGELIST>& Lists() {
  static auto* s = new std::set<HIMAGELIST>;
  return *s;
}

IMAGELIST__* Get(HIMAGELIST h) {
  std::lock_guard<std::mutex> lk(gImageListLock);
  return Lists().count(h) ? h : nullptr;
}

std::vector<uint32_t> ReadPixels(HBITMAP bmp, int& w, int& h, int& bpp) {
  BITMAP bm;
  w = h = bpp = 0;
  if (!bmp || !GetObjectW(bmp, sizeof bm, &bm)) return {};
  w = bm.bmWidth;
  h = std::abs(bm.bmHeight);
  bpp = bm.bmBitsPixel;
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

uint32_t Rgb(COLORREF c) { return (uint32_t(GetRValue(c)) << 16) | (uint32_t(GetGValue(c)) << 8) | GetBValue(c); }

// The images of a bitmap, one per cx columns. keyed: the mask comes from a
// colour key instead of a mask bitmap.
std::vector<IMAGELIST__::Image> Slice(const IMAGELIST__& il, HBITMAP image, HBITMAP mask, bool keyed, COLORREF key) {
  int w, h, bpp;
  std::vector<uint32_t> px = ReadPixels(image, w, h, bpp);
  if (px.empty()) return {};
  int mw = 0, mh = 0, mbpp = 0;
  std::vector<uint32_t> mk;
  if (mask && !keyed) mk = ReadPixels(mask, mw, mh, mbpp);
  bool alpha = false;
  if (bpp == 32 && il.Color32())
    for (uint32_t c : px) alpha = alpha || (c >> 24) != 0;
  int count = std::max(1, w / il.Cx);
  std::vector<IMAGELIST__::Image> out;
  for (int k = 0; k < count; ++k) {
    IMAGELIST__::Image im = il.Blank();
    im.Alpha = alpha;
    for (int y = 0; y < il.Cy; ++y)
      for (int x = 0; x < il.Cx; ++x) {
        int sx = k * il.Cx + x;
        size_t d = size_t(y) * size_t(il.Cx) + size_t(x);
        if (sx >= w || y >= h) continue;  // beyond the bitmap: blank
        uint32_t c = px[size_t(y) * size_t(w) + size_t(sx)];
        bool m = false;
        if (keyed) m = (c & 0xFFFFFF) == Rgb(key);
        else if (!mk.empty() && sx < mw && y < mh) m = (mk[size_t(y) * size_t(mw) + size_t(sx)] & 0xFFFFFF) != 0;
        m = il.Masked() && m;
        if (alpha) {
          // Alpha and a given mask both make pixels transparent.
          im.Px[d] = c;
          im.Mask[d] = (c >> 24) == 0 || m;
          continue;
        }
        im.Px[d] = c | 0xFF000000u;
        im.Mask[d] = m;
      }
    out.push_back(std::move(im));
  }
  return out;
}

IMAGELIST__::Image FromIcon(const IMAGELIST__& il, HICON icon, bool& ok) {
  ok = false;
  ICONINFO ii;
  if (!icon || !GetIconInfo(icon, &ii)) return {};
  int w, h, bpp, mw, mh, mbpp;
  std::vector<uint32_t> px = ReadPixels(ii.hbmColor, w, h, bpp);
  std::vector<uint32_t> mk = ReadPixels(ii.hbmMask, mw, mh, mbpp);
  if (ii.hbmColor) DeleteObject(ii.hbmColor);
  if (ii.hbmMask) DeleteObject(ii.hbmMask);
  if (px.empty() || w <= 0 || h <= 0) return {};
  bool alpha = false;
  if (il.Color32())
    for (uint32_t c : px) alpha = alpha || (c >> 24) != 0;
  IMAGELIST__::Image im = il.Blank();
  im.Alpha = alpha;
  // Icons of another size are scaled to the list's (nearest pixel).
  for (int y = 0; y < il.Cy; ++y)
    for (int x = 0; x < il.Cx; ++x) {
      int sx = int(Int64(x) * w / il.Cx), sy = int(Int64(y) * h / il.Cy);
      size_t s = size_t(sy) * size_t(w) + size_t(sx), d = size_t(y) * size_t(il.Cx) + size_t(x);
      uint32_t c = px[s];
      bool m = s < mk.size() && (mk[s] & 0xFFFFFF) != 0;
      if (alpha) {
        im.Px[d] = c;
        im.Mask[d] = (c >> 24) == 0;
      } else {
        im.Px[d] = m ? 0 : (c | 0xFF000000u);
        // An icon always carries its mask; a list without one paints it black.
        im.Mask[d] = il.Masked() && m;
      }
    }
  ok = true;
  return im;
}

Byte Mix(int a, int b, int f) { return Byte((a * (256 - f) + b * f + 128) >> 8); }

// One pixel of an image as premultiplied ARGB for the destination.
struct Style {
  bool Transparent;
  uint32_t Bk;
  bool MaskOnly;
  bool Saturate;
  int BlendF;  // 0, 64 or 128 of 256
  uint32_t Fg;
  int Alpha;  // 0..255 scale
};

uint32_t Premultiply(uint32_t a, uint32_t r, uint32_t g, uint32_t b) {
  auto m = [a](uint32_t c) { return (c * a + 127) / 255; };
  return (a << 24) | (m(r) << 16) | (m(g) << 8) | m(b);
}

// The image's own pixel after saturation, blending and alpha scaling, as
// premultiplied ARGB with alpha 0 under the mask.
uint32_t Source(const IMAGELIST__::Image& im, size_t i, const Style& st) {
  if (im.Mask[i]) return 0;
  uint32_t c = im.Px[i];
  uint32_t a = im.Alpha ? c >> 24 : 255;
  int r = (c >> 16) & 0xFF, g = (c >> 8) & 0xFF, b = c & 0xFF;
  if (st.Saturate) r = g = b = (r * 77 + g * 151 + b * 28 + 128) >> 8;
  if (st.BlendF) {
    r = Mix(r, int((st.Fg >> 16) & 0xFF), st.BlendF);
    g = Mix(g, int((st.Fg >> 8) & 0xFF), st.BlendF);
    b = Mix(b, int(st.Fg & 0xFF), st.BlendF);
  }
  a = (a * uint32_t(st.Alpha) + 127) / 255;
  return Premultiply(a, uint32_t(r), uint32_t(g), uint32_t(b));
}

// Premultiplied src over premultiplied dst.
uint32_t Over(uint32_t s, uint32_t d) {
  uint32_t sa = s >> 24;
  if (sa == 255) return s;
  if (sa == 0) return d;
  uint32_t out = 0;
  for (int sh = 0; sh < 32; sh += 8) {
    uint32_t sc = (s >> sh) & 0xFF, dc = (d >> sh) & 0xFF;
    out |= std::min<uint32_t>(255, sc + (dc * (255 - sa) + 127) / 255) << sh;
  }
  return out;
}

BOOL DrawCore(const IMAGELISTDRAWPARAMS& p) {
  IMAGELIST__* il = Get(p.himl);
  if (!il || !p.hdcDst || p.i < 0 || size_t(p.i) >= il->Images.size()) return false;
  const IMAGELIST__::Image& im = il->Images[size_t(p.i)];
  int xb = std::clamp(p.xBitmap, 0, il->Cx), yb = std::clamp(p.yBitmap, 0, il->Cy);
  int cx = p.cx ? std::min(p.cx, il->Cx - xb) : il->Cx - xb;
  int cy = p.cy ? std::min(p.cy, il->Cy - yb) : il->Cy - yb;
  if (cx <= 0 || cy <= 0) return true;
  COLORREF bk = p.rgbBk == CLR_DEFAULT ? il->Bk : p.rgbBk;
  COLORREF fg = p.rgbFg == CLR_DEFAULT ? GetSysColor(COLOR_HIGHLIGHT) : p.rgbFg;
  Style st;
  st.Transparent = (p.fStyle & ILD_TRANSPARENT) || bk == CLR_NONE;
  st.Bk = bk == CLR_NONE ? 0 : Rgb(bk);
  st.MaskOnly = (p.fStyle & ILD_MASK) != 0;
  st.Saturate = (p.fState & ILS_SATURATE) != 0;
  st.BlendF = fg == CLR_NONE ? 0 : (p.fStyle & ILD_BLEND50) ? 128 : (p.fStyle & ILD_BLEND25) ? 64 : 0;
  st.Fg = fg == CLR_NONE ? 0 : Rgb(fg);
  st.Alpha = (p.fState & ILS_ALPHA) ? int(std::min<DWORD>(p.Frame, 255)) : 255;
  const IMAGELIST__::Image* overlay = nullptr;
  UINT ov = (p.fStyle & ILD_OVERLAYMASK) >> 8;
  if (ov >= 1 && ov <= 15) {
    int oi = il->Overlays[ov - 1];
    if (oi >= 0 && size_t(oi) < il->Images.size()) overlay = &il->Images[size_t(oi)];
  }

  // The premultiplied picture goes into this thread's scratch pixels and
  // from there straight onto the destination: no bitmap or DC is made.
  thread_local std::vector<uint32_t> scratch;
  scratch.resize(size_t(cx) * size_t(cy));
  uint32_t* out = scratch.data();
  uint32_t bkPixel = 0xFF000000u | st.Bk;
  // The plain style, by far the most drawn, premultiplies the image's own
  // pixels and nothing else: the same pixels as Source without its
  // arithmetic for the opaque ones.
  const bool plain = !st.MaskOnly && !st.Saturate && !st.BlendF && st.Alpha == 255 && !overlay;
  for (int y = 0; y < cy; ++y) {
    const size_t row = size_t(y + yb) * size_t(il->Cx) + size_t(xb);
    uint32_t* o = out + size_t(y) * size_t(cx);
    if (plain) {
      for (int x = 0; x < cx; ++x) {
        const size_t i = row + size_t(x);
        uint32_t s;
        if (im.Mask[i]) {
          s = 0;
        } else {
          const uint32_t c = im.Px[i];
          const uint32_t a = c >> 24;
          s = !im.Alpha ? c | 0xFF000000u : a == 255 ? c : a == 0 ? 0 : Source(im, i, st);
        }
        o[x] = st.Transparent ? s : Over(s, bkPixel);
      }
      continue;
    }
    for (int x = 0; x < cx; ++x) {
      const size_t i = row + size_t(x);
      if (st.MaskOnly) {
        bool clear = im.Mask[i] != 0 && (!overlay || overlay->Mask[i]);
        o[x] = clear ? (st.Transparent ? 0 : 0xFFFFFFFFu) : 0xFF000000u;
        continue;
      }
      uint32_t s = Source(im, i, st);
      if (overlay) s = Over(Source(*overlay, i, st), s);
      o[x] = st.Transparent ? s : Over(s, bkPixel);
    }
  }
  TGdiSurface picture;
  picture.Width = cx;
  picture.Height = cy;
  picture.Stride = NativeInt(cx) * 4;
  picture.Bits = reinterpret_cast<Byte*>(out);
  BLENDFUNCTION bf;
  bf.BlendOp = AC_SRC_OVER;
  bf.SourceConstantAlpha = 255;
  bf.AlphaFormat = AC_SRC_ALPHA;
  return AlphaBlendSurface(p.hdcDst, p.x, p.y, picture, bf);
}

HBITMAP MaskBitmap(int w, int h, const std::vector<uint8_t>& set) {
  int stride = ((w + 15) / 16) * 2;
  std::vector<Byte> bits(size_t(stride) * size_t(h), 0);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      if (set[size_t(y) * size_t(w) + size_t(x)]) bits[size_t(y * stride + (x >> 3))] |= Byte(0x80 >> (x & 7));
  return CreateBitmap(w, h, 1, 1, bits.data());
}

}  // namespace

HIMAGELIST ImageList_Create(int cx, int cy, UINT flags, int initial, int grow) {
  if (cx <= 0 || cy <= 0 || Int64(cx) * cy > (Int64(1) << 24)) return nullptr;
  auto* il = new IMAGELIST__;
  il->Cx = cx;
  il->Cy = cy;
  il->Flags = flags;
  il->Grow = std::max(1, grow);
  std::fill(std::begin(il->Overlays), std::end(il->Overlays), -1);
  il->Images.reserve(size_t(std::clamp(initial, 0, 4096)));
  std::lock_guard<std::mutex> lk(gImageListLock);
  Lists().insert(il);
  return il;
}

BOOL ImageList_Destroy(HIMAGELIST himl) {
  {
    std::lock_guard<std::mutex> lk(gImageListLock);
    if (!Lists().erase(himl)) return false;
  }
  himl->FreeInfo();
  delete himl;
  return true;
}

HIMAGELIST ImageList_Duplicate(HIMAGELIST himl) {
  IMAGELIST__* il = Get(himl);
  if (!il) return nullptr;
  HIMAGELIST d = ImageList_Create(il->Cx, il->Cy, il->Flags, 0, il->Grow);
  d->Bk = il->Bk;
  d->Images = il->Images;
  std::copy(std::begin(il->Overlays), std::end(il->Overlays), std::begin(d->Overlays));
  return d;
}

int ImageList_GetImageCount(HIMAGELIST himl) {
  IMAGELIST__* il = Get(himl);
  return il ? int(il->Images.size()) : 0;
}

BOOL ImageList_SetImageCount(HIMAGELIST himl, UINT count) {
  IMAGELIST__* il = Get(himl);
  if (!il || count > 65536) return false;
  il->Images.resize(count, il->Blank());
  il->Changed();
  return true;
}

int ImageList_Add(HIMAGELIST himl, HBITMAP image, HBITMAP mask) {
  IMAGELIST__* il = Get(himl);
  if (!il) return -1;
  auto add = Slice(*il, image, mask, false, 0);
  if (add.empty()) return -1;
  int first = int(il->Images.size());
  for (auto& im : add) il->Images.push_back(std::move(im));
  il->Changed();
  return first;
}

int ImageList_AddMasked(HIMAGELIST himl, HBITMAP image, COLORREF mask) {
  IMAGELIST__* il = Get(himl);
  if (!il) return -1;
  auto add = Slice(*il, image, nullptr, true, mask);
  if (add.empty()) return -1;
  int first = int(il->Images.size());
  for (auto& im : add) il->Images.push_back(std::move(im));
  il->Changed();
  return first;
}

BOOL ImageList_Replace(HIMAGELIST himl, int i, HBITMAP image, HBITMAP mask) {
  IMAGELIST__* il = Get(himl);
  if (!il || i < 0 || size_t(i) >= il->Images.size()) return false;
  auto add = Slice(*il, image, mask, false, 0);
  if (add.empty()) return false;
  il->Images[size_t(i)] = std::move(add.front());
  il->Changed();
  return true;
}

int ImageList_ReplaceIcon(HIMAGELIST himl, int i, HICON icon) {
  IMAGELIST__* il = Get(himl);
  if (!il || i < -1 || (i >= 0 && size_t(i) >= il->Images.size())) return -1;
  bool ok;
  IMAGELIST__::Image im = FromIcon(*il, icon, ok);
  if (!ok) return -1;
  if (i < 0) {
    il->Images.push_back(std::move(im));
    i = int(il->Images.size()) - 1;
  } else {
    il->Images[size_t(i)] = std::move(im);
  }
  il->Changed();
  return i;
}

BOOL ImageList_Remove(HIMAGELIST himl, int i) {
  IMAGELIST__* il = Get(himl);
  if (!il) return false;
  if (i == -1) {
    il->Images.clear();
  } else {
    if (i < 0 || size_t(i) >= il->Images.size()) return false;
    il->Images.erase(il->Images.begin() + i);
  }
  // Overlays follow the images they name.
  for (int& o : il->Overlays) {
    if (o < 0) continue;
    if (i == -1 || o == i) o = -1;
    else if (o > i) --o;
  }
  il->Changed();
  return true;
}

BOOL ImageList_Copy(HIMAGELIST dst, int iDst, HIMAGELIST src, int iSrc, UINT flags) {
  IMAGELIST__* d = Get(dst);
  IMAGELIST__* s = Get(src);
  if (!d || !s || d->Cx != s->Cx || d->Cy != s->Cy || iDst < 0 || iSrc < 0 ||
      size_t(iDst) >= d->Images.size() || size_t(iSrc) >= s->Images.size())
    return false;
  if (flags & ILCF_SWAP) std::swap(d->Images[size_t(iDst)], s->Images[size_t(iSrc)]);
  else d->Images[size_t(iDst)] = s->Images[size_t(iSrc)];
  d->Changed();
  s->Changed();
  return true;
}

BOOL ImageList_GetIconSize(HIMAGELIST himl, int* cx, int* cy) {
  IMAGELIST__* il = Get(himl);
  if (!il || !cx || !cy) return false;
  *cx = il->Cx;
  *cy = il->Cy;
  return true;
}

BOOL ImageList_SetIconSize(HIMAGELIST himl, int cx, int cy) {
  IMAGELIST__* il = Get(himl);
  if (!il || cx <= 0 || cy <= 0 || Int64(cx) * cy > (Int64(1) << 24)) return false;
  il->Cx = cx;
  il->Cy = cy;
  il->Images.clear();
  std::fill(std::begin(il->Overlays), std::end(il->Overlays), -1);
  il->Changed();
  return true;
}

COLORREF ImageList_GetBkColor(HIMAGELIST himl) {
  IMAGELIST__* il = Get(himl);
  return il ? il->Bk : CLR_NONE;
}

COLORREF ImageList_SetBkColor(HIMAGELIST himl, COLORREF bk) {
  IMAGELIST__* il = Get(himl);
  if (!il) return CLR_NONE;
  COLORREF old = il->Bk;
  il->Bk = bk;
  return old;
}

BOOL ImageList_SetOverlayImage(HIMAGELIST himl, int i, int overlay) {
  IMAGELIST__* il = Get(himl);
  if (!il || overlay < 1 || overlay > 15 || i < -1 || (i >= 0 && size_t(i) >= il->Images.size())) return false;
  il->Overlays[overlay - 1] = i;
  return true;
}

BOOL ImageList_Draw(HIMAGELIST himl, int i, HDC dc, int x, int y, UINT style) {
  IMAGELISTDRAWPARAMS p;
  p.himl = himl;
  p.i = i;
  p.hdcDst = dc;
  p.x = x;
  p.y = y;
  p.fStyle = style;
  return DrawCore(p);
}

BOOL ImageList_DrawEx(HIMAGELIST himl, int i, HDC dc, int x, int y, int dx, int dy, COLORREF bk, COLORREF fg,
                      UINT style) {
  IMAGELISTDRAWPARAMS p;
  p.himl = himl;
  p.i = i;
  p.hdcDst = dc;
  p.x = x;
  p.y = y;
  p.cx = dx;
  p.cy = dy;
  p.rgbBk = bk;
  p.rgbFg = fg;
  p.fStyle = style;
  return DrawCore(p);
}

BOOL ImageList_DrawIndirect(const IMAGELISTDRAWPARAMS* params) {
  if (!params || params->cbSize != sizeof(IMAGELISTDRAWPARAMS)) return false;
  return DrawCore(*params);
}

BOOL ImageList_GetImageInfo(HIMAGELIST himl, int i, IMAGEINFO* info) {
  IMAGELIST__* il = Get(himl);
  if (!il || !info || i < 0 || size_t(i) >= il->Images.size()) return false;
  if (il->InfoStale || !il->InfoImage) {
    il->FreeInfo();
    int n = int(il->Images.size()), w = il->Cx * n;
    std::vector<uint32_t> px(size_t(w) * size_t(il->Cy));
    std::vector<uint8_t> mk(px.size());
    for (int k = 0; k < n; ++k)
      for (int y = 0; y < il->Cy; ++y)
        for (int x = 0; x < il->Cx; ++x) {
          size_t s = size_t(y) * size_t(il->Cx) + size_t(x), d = size_t(y) * size_t(w) + size_t(k * il->Cx + x);
          px[d] = il->Images[size_t(k)].Px[s];
          mk[d] = il->Images[size_t(k)].Mask[s];
        }
    BITMAPINFO bi;
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -il->Cy;
    bi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    il->InfoImage = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (il->InfoImage && bits) std::memcpy(bits, px.data(), px.size() * 4);
    il->InfoMask = MaskBitmap(w, il->Cy, mk);
    il->InfoStale = false;
  }
  info->hbmImage = il->InfoImage;
  info->hbmMask = il->Masked() ? il->InfoMask : nullptr;
  info->rcImage = TRect(i * il->Cx, 0, (i + 1) * il->Cx, il->Cy);
  return true;
}

HICON ImageList_GetIcon(HIMAGELIST himl, int i, UINT) {
  IMAGELIST__* il = Get(himl);
  if (!il || i < 0 || size_t(i) >= il->Images.size()) return nullptr;
  const auto& im = il->Images[size_t(i)];
  std::vector<uint32_t> px = im.Px;
  if (!im.Alpha)
    for (size_t k = 0; k < px.size(); ++k) px[k] = im.Mask[k] ? 0 : (px[k] & 0xFFFFFF);
  HBITMAP c = CreateBitmap(il->Cx, il->Cy, 1, 32, px.data());
  HBITMAP m = MaskBitmap(il->Cx, il->Cy, im.Mask);
  ICONINFO ii;
  ii.fIcon = 1;
  ii.hbmColor = c;
  ii.hbmMask = m;
  HICON icon = (c && m) ? CreateIconIndirect(&ii) : nullptr;
  if (c) DeleteObject(c);
  if (m) DeleteObject(m);
  return icon;
}

int ImageListObjectCount() {
  std::lock_guard<std::mutex> lk(gImageListLock);
  return int(Lists().size());
}

HBITMAP CreateMappedBitmap(HINSTANCE, intptr_t idBitmap, UINT, const COLORMAP* colorMap, int numMaps) {
  const void* data = nullptr;
  size_t size = 0;
  if (!FindResourceData(ResourceKey(reinterpret_cast<const char16_t*>(idBitmap)), u"#2", data, size)) return nullptr;
  HBITMAP dib = CreateBitmapFromPackedDIB(data, size);
  if (!dib) return nullptr;
  int w, h, bpp;
  std::vector<uint32_t> px = ReadPixels(dib, w, h, bpp);
  DeleteObject(dib);
  const COLORMAP kDefault[4] = {{RGB(0, 0, 0), GetSysColor(COLOR_BTNTEXT)},
                                {RGB(128, 128, 128), GetSysColor(COLOR_BTNSHADOW)},
                                {RGB(192, 192, 192), GetSysColor(COLOR_BTNFACE)},
                                {RGB(255, 255, 255), GetSysColor(COLOR_WINDOW)}};
  if (!colorMap || numMaps <= 0) {
    colorMap = kDefault;
    numMaps = 4;
  }
  for (auto& c : px) {
    uint32_t rgb = c & 0xFFFFFF;
    for (int k = 0; k < numMaps; ++k)
      if (rgb == Rgb(colorMap[k].from)) {
        c = (c & 0xFF000000u) | Rgb(colorMap[k].to);
        break;
      }
  }
  BITMAPINFO bi;
  bi.bmiHeader.biWidth = w;
  bi.bmiHeader.biHeight = -h;
  bi.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HBITMAP out = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (out && bits) std::memcpy(bits, px.data(), px.size() * 4);
  return out;
}

}  // namespace vcl
