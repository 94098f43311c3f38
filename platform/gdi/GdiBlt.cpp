// Stretching and composing transfers: StretchBlt, the DIB-to-device
// transfers, MaskBlt, TransparentBlt and AlphaBlend.
#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>

#include "platform/gdi/GdiInternal.h"
#include "platform/gdi/GdiRows.h"

namespace vcl {

using namespace gdi;

namespace {

std::atomic<bool> gFailSetDIBits{false};

// Maps destination columns (or rows) [0, n) onto source ones [s0, s0 + sn),
// mirrored when flip. Nearest takes the pixel under the destination pixel's
// centre; the halftone footprint of destination pixel i is the source
// interval [i, i + 1) * sn / n. Computed per call, so no table grows with
// the destination's size.
struct TAxis {
  Int64 N = 1, S0 = 0, SN = 1;
  bool Flip = false;
  int Nearest(int i) const {
    Int64 k = ((2 * Int64(i) + 1) * SN) / (2 * N);
    return int(S0 + (Flip ? SN - 1 - k : k));
  }
  // The footprint's first source index (in unmirrored order) and count.
  void Footprint(int i, Int64& first, Int64& count) const {
    first = (Int64(i) * SN) / N;
    Int64 last = std::min(SN - 1, ((Int64(i) + 1) * SN + N - 1) / N - 1);
    count = last - first + 1;
  }
  // Absolute source index of footprint element k, and its weight (sum 1).
  int Source(Int64 k) const { return int(S0 + (Flip ? SN - 1 - k : k)); }
  double Weight(int i, Int64 k) const {
    double lo = double(i) * SN / N, hi = double(i + 1) * SN / N;
    return (std::min(hi, double(k + 1)) - std::max(lo, double(k))) * N / SN;
  }
};

// A source picture sampled into destination space: Pixel(i, j) for
// destination-relative (i, j); Valid says whether it came from inside the source.
struct TSampler {
  const TGdiSurface* S = nullptr;
  TAxis X, Y;
  bool Halftone = false;
  bool Valid(int i, int j) const {
    if (!Halftone) {
      int sx = X.Nearest(i), sy = Y.Nearest(j);
      return sx >= 0 && sy >= 0 && sx < S->Width && sy < S->Height;
    }
    Int64 fx, cx, fy, cy;
    X.Footprint(i, fx, cx);
    Y.Footprint(j, fy, cy);
    int a = X.Source(fx), b = X.Source(fx + cx - 1), c = Y.Source(fy), d = Y.Source(fy + cy - 1);
    return std::min(a, b) >= 0 && std::max(a, b) < S->Width && std::min(c, d) >= 0 && std::max(c, d) < S->Height;
  }
  uint32_t Pixel(int i, int j) const {
    if (!Halftone) return S->Pixel(X.Nearest(i), Y.Nearest(j));
    Int64 fx, cx, fy, cy;
    X.Footprint(i, fx, cx);
    Y.Footprint(j, fy, cy);
    double acc[4] = {0, 0, 0, 0};
    for (Int64 v = fy; v < fy + cy; ++v) {
      const uint32_t* row = S->Scanline(Y.Source(v));
      double wy = Y.Weight(j, v);
      for (Int64 u = fx; u < fx + cx; ++u) {
        double w = X.Weight(i, u) * wy;
        uint32_t p = row[X.Source(u)];
        for (int c = 0; c < 4; ++c) acc[c] += w * double((p >> (8 * c)) & 0xFF);
      }
    }
    uint32_t r = 0;
    for (int c = 0; c < 4; ++c) r |= uint32_t(std::clamp(int(std::floor(acc[c] + 0.5)), 0, 255)) << (8 * c);
    return r;
  }
};

// Normalises one axis of a transfer: negative extents mean the rectangle
// ends at the given coordinate; opposite signs mirror.
void NormAxis(int& d0, int& dn, int& s0, int& sn, bool& flip) {
  flip = false;
  if (dn < 0) { d0 += dn + 1; dn = -dn; flip = !flip; }
  if (sn < 0) { s0 += sn + 1; sn = -sn; flip = !flip; }
}

// The work of every source transfer: for each visible destination pixel,
// combine the sampled source (converted between depths as BitBlt does), the
// brush and the destination.
// A key colour leaves out the source pixels of that colour (TransparentBlt).
template <class F>
void Transfer(TDCObj& d, TGdiSurface& D, const TRect& dr, TDCObj* s, const TSampler& smp, F&& combine,
              const uint32_t* key = nullptr) {
  TRegion area(dr);
  area.Intersect(d.EffectiveClip());
  d.NoteWriteArea(area);
  if (area.Empty()) return;
  bool toMono = D.Monochrome && !smp.S->Monochrome;
  bool fromMono = smp.S->Monochrome && !D.Monochrome;
  uint32_t srcBk = s ? ColorRefToPixel(s->State.BkColor) : 0x00FFFFFF;
  uint32_t fg = ColorRefToPixel(d.State.TextColor), bg = ColorRefToPixel(d.State.BkColor);
  // Sample everything first: source and destination may be the same pixels.
  TRect box = area.Box();
  std::vector<uint32_t> src(size_t(box.Width()) * size_t(box.Height()));
  std::vector<uint8_t> ok(src.size());
  for (int y = box.Top; y < box.Bottom; ++y)
    for (int x = box.Left; x < box.Right; ++x) {
      size_t k = size_t(y - box.Top) * size_t(box.Width()) + size_t(x - box.Left);
      int i = x - dr.Left, j = y - dr.Top;
      ok[k] = smp.Valid(i, j);
      if (!ok[k]) continue;
      uint32_t v = smp.Pixel(i, j);
      if (key && ((v ^ *key) & 0x00FFFFFF) == 0) {
        ok[k] = 0;
        continue;
      }
      if (toMono) v = ((v ^ srcBk) & 0x00FFFFFF) == 0 ? 0x00FFFFFFu : 0u;
      else if (fromMono) v = smp.S->MonoToColor(v, fg, bg);
      src[k] = v;
    }
  uint32_t keep = D.Monochrome ? 0x00FFFFFFu : 0xFFFFFFFFu;
  for (const TRect& b : area.Rects())
    for (int y = b.Top; y < b.Bottom; ++y) {
      uint32_t* row = D.Scanline(y);
      for (int x = b.Left; x < b.Right; ++x) {
        size_t k = size_t(y - box.Top) * size_t(box.Width()) + size_t(x - box.Left);
        if (!ok[k]) continue;
        bool write = true;
        uint32_t v = combine(x, y, src[k], row[x], write);
        if (write) row[x] = v & keep;
      }
    }
}

TSampler MakeSampler(const TGdiSurface& s, int sx, int sy, int sw, int sh, int w, int h, bool flipX, bool flipY,
                     bool halftone) {
  TSampler smp;
  smp.S = &s;
  smp.Halftone = halftone && (sw != w || sh != h);
  smp.X = TAxis{w, sx, sw, flipX};
  smp.Y = TAxis{h, sy, sh, flipY};
  return smp;
}

BOOL StretchFromSurface(TDrawScope& ds, TDCObj* s, const TGdiSurface& S, int x, int y, int w, int h, int sx,
                        int sy, int sw, int sh, DWORD rop) {
  TDCObj& d = *ds.DC;
  bool fx, fy;
  NormAxis(x, w, sx, sw, fx);
  NormAxis(y, h, sy, sh, fy);
  if (w == 0 || h == 0 || sw == 0 || sh == 0) return 1;
  TPoint o = d.Offset();
  if (!CoordOk(Int64(x) + o.X, Int64(y) + o.Y, w, h) || !CoordOk(sx, sy, sw, sh)) return 0;
  TRect dr(x + o.X, y + o.Y, x + o.X + w, y + o.Y + h);
  TSampler smp = MakeSampler(S, sx, sy, sw, sh, w, h, fx, fy, d.State.StretchMode == HALFTONE);
  if (rop == SRCCOPY && !smp.Halftone && &S != ds.S && S.Monochrome == ds.S->Monochrome && !GdiGeneralTransfers()) {
    // Plain nearest copies: a column map once, then row by row. Columns
    // that fall outside the source are left alone, so a band's row loop
    // runs over the columns inside it only; a destination row that repeats
    // the source row of the row above repeats that row's pixels.
    TRegion area(dr);
    area.Intersect(d.EffectiveClip());
    d.NoteWriteArea(area);
    TRect box = area.Box();
    std::vector<int> cols(size_t(std::max(0, box.Width())));
    for (int x = box.Left; x < box.Right; ++x) cols[size_t(x - box.Left)] = smp.X.Nearest(x - dr.Left);
    auto inside = [&](int x) {
      int c = cols[size_t(x - box.Left)];
      return c >= 0 && c < S.Width;
    };
    for (const TRect& b : area.Rects()) {
      // Nearest columns run monotonically, so the ones inside the source
      // form one span.
      int l = b.Left, r = b.Right;
      while (l < r && !inside(l)) ++l;
      while (r > l && !inside(r - 1)) --r;
      const int* bcols = cols.data() + (l - box.Left);
      int lastSy = -1;
      const uint32_t* lastRow = nullptr;
      for (int y = b.Top; y < b.Bottom; ++y) {
        int sy2 = smp.Y.Nearest(y - dr.Top);
        if (sy2 < 0 || sy2 >= S.Height) continue;
        uint32_t* drow = ds.S->Scanline(y);
        if (sy2 == lastSy) std::memcpy(drow + l, lastRow + l, size_t(r - l) * 4);
        else NearestRow(S.Scanline(sy2), bcols, drow + l, size_t(r - l));
        lastSy = sy2;
        lastRow = drow;
      }
    }
    return 1;
  }
  bool usesP = RopUsesPattern(rop);
  TPaint pat = usesP ? BrushPaint(d, nullptr, true) : TPaint{};
  Transfer(d, *ds.S, dr, s, smp, [&](int px, int py, uint32_t sv, uint32_t dv, bool&) {
    return Rop3(rop, usesP ? pat.At(px, py) : 0, sv, dv);
  });
  return 1;
}

// A DIB decoded into a top-down surface via a temporary DIB section.
TGdiSurfacePtr DecodeDib(const void* bits, const BITMAPINFO* bmi, UINT usage, int firstScan, int lines) {
  if (!bits || !bmi) return nullptr;
  const auto& h = bmi->bmiHeader;
  if (h.biWidth <= 0 || h.biHeight == 0 || Int64(h.biWidth) * std::abs(Int64(h.biHeight)) > (Int64(1) << 28))
    return nullptr;
  int height = std::abs(h.biHeight);
  // Temporary bitmap of the DIB's size; SetDIBits does the format work.
  HBITMAP tmp = CreateBitmap(h.biWidth, height, 1, 32, nullptr);
  if (!tmp) return nullptr;
  int n = SetDIBits(nullptr, tmp, UINT(firstScan), UINT(lines), bits, bmi, usage);
  TGdiSurfacePtr s = n > 0 ? GetBitmapSurface(tmp) : nullptr;
  DeleteObject(tmp);
  return s;
}

// A 1:1 SRCCOPY of plain 32-bit pixels, taken straight from the caller's
// rows into the visible part of the target. Decoding into a bitmap of the
// picture's size first would clear and copy every pixel of the picture for
// the few the clip lets through: a control taking its part of a large parent
// picture pays for the whole picture. False when the transfer is not of that
// kind (or the bits lie in the target's own memory); nothing is drawn then.
bool DirectCopy(TDrawScope& ds, int x, int y, int w, int h, int sx, int sy, int sw, int sh, const void* bits,
                const BITMAPINFO* bmi, UINT usage, DWORD rop) {
  const auto& hdr = bmi->bmiHeader;
  if (!bits || usage != DIB_RGB_COLORS || (rop & 0x00FFFFFF) != SRCCOPY || w != sw || h != sh || w <= 0 ||
      h <= 0 || hdr.biBitCount != 32 || hdr.biCompression != BI_RGB || hdr.biSize < sizeof(BITMAPINFOHEADER) ||
      hdr.biSize > 124 || hdr.biWidth <= 0 || hdr.biHeight == 0 ||
      Int64(hdr.biWidth) * std::abs(Int64(hdr.biHeight)) > (Int64(1) << 28) || ds.S->Monochrome ||
      GdiGeneralTransfers())
    return false;
  const int width = hdr.biWidth, height = std::abs(hdr.biHeight);
  const size_t stride = size_t(width) * 4;
  const Byte* src = static_cast<const Byte*>(bits);
  const TGdiSurface& D = *ds.S;
  const Byte* dLo = D.Stride >= 0 ? D.Bits : D.Bits + D.Stride * (D.Height - 1);
  const Byte* dHi = dLo + (D.Stride >= 0 ? D.Stride : -D.Stride) * D.Height;
  if (src < dHi && src + stride * size_t(height) > dLo) return false;
  const TPoint o = ds.DC->Offset();
  if (!CoordOk(Int64(x) + o.X, Int64(y) + o.Y, w, h) || !CoordOk(sx, sy, sw, sh)) return false;
  const TRect dr(x + o.X, y + o.Y, x + o.X + w, y + o.Y + h);
  // Bottom-up pictures count source rows from the bottom.
  const int top = hdr.biHeight > 0 ? height - sy - sh : sy;
  // The target columns whose source column lies inside the picture.
  const int cl = dr.Left + std::max(0, -sx), cr = dr.Left + std::min(w, width - sx);
  TRegion area(dr);
  area.Intersect(ds.DC->EffectiveClip());
  ds.DC->NoteWriteArea(area);
  for (const TRect& b : area.Rects()) {
    const int l = std::max(b.Left, cl), r = std::min(b.Right, cr);
    if (l >= r) continue;
    for (int yy = b.Top; yy < b.Bottom; ++yy) {
      const int row = top + (yy - dr.Top);
      if (row < 0 || row >= height) continue;
      const size_t mem = size_t(hdr.biHeight > 0 ? height - 1 - row : row);
      const auto* s = reinterpret_cast<const uint32_t*>(src + mem * stride) + (sx + (l - dr.Left));
      CopyRow(s, D.Scanline(yy) + l, size_t(r - l));
    }
  }
  return true;
}

}  // namespace

void GdiForceSetDIBitsToDeviceFailure(bool fail) { gFailSetDIBits = fail; }

BOOL StretchBlt(HDC dst, int x, int y, int w, int h, HDC src, int sx, int sy, int sw, int sh, DWORD rop) {
  rop &= 0x00FFFFFF;
  if (!RopUsesSource(rop)) {
    if (w < 0) { x += w + 1; w = -w; }
    if (h < 0) { y += h + 1; h = -h; }
    return PatBlt(dst, x, y, w, h, rop);
  }
  if (w == sw && h == sh && w > 0 && h > 0) return BitBlt(dst, x, y, w, h, src, sx, sy, rop);
  TDrawScope ds(dst);
  TDrawScope ss(src, false);
  if (!ds || !ss) return 0;
  TPoint so = ss.DC->Offset();
  if (!CoordOk(Int64(sx) + so.X) || !CoordOk(Int64(sy) + so.Y)) return 0;
  return StretchFromSurface(ds, ss.DC.get(), *ss.S, x, y, w, h, sx + so.X, sy + so.Y, sw, sh, rop);
}

int StretchDIBits(HDC dc, int x, int y, int w, int h, int sx, int sy, int sw, int sh, const void* bits,
                  const BITMAPINFO* bmi, UINT usage, DWORD rop) {
  TDrawScope ds(dc);
  if (!ds || !bmi) return 0;
  int height = std::abs(bmi->bmiHeader.biHeight);
  if (DirectCopy(ds, x, y, w, h, sx, sy, sw, sh, bits, bmi, usage, rop)) return height;
  // A picture drawn row for row into a small visible part of the target (a
  // control taking its part of its parent's picture) has only the rows that
  // part shows decoded: the rest could never reach a pixel.
  const auto& hdr = bmi->bmiHeader;
  if (bits && h == sh && h > 0 && w > 0 && sw > 0 && ds.DC->State.StretchMode != HALFTONE &&
      (hdr.biCompression == BI_RGB || hdr.biCompression == BI_BITFIELDS) &&
      (hdr.biBitCount == 24 || hdr.biBitCount == 32) && hdr.biSize >= sizeof(BITMAPINFOHEADER) &&
      hdr.biSize <= 124 && hdr.biWidth > 0 && hdr.biWidth <= (1 << 28) / std::max(1, height)) {
    const int top = hdr.biHeight > 0 ? height - sy - sh : sy;
    const TPoint o = ds.DC->Offset();
    if (top >= 0 && top + sh <= height && CoordOk(Int64(x) + o.X, Int64(y) + o.Y, w, h)) {
      const TRect clip = ds.DC->EffectiveClip().Box();
      const int v0 = std::max(clip.Top, y + o.Y), v1 = std::min(clip.Bottom, y + o.Y + h);
      if (v1 <= v0 || clip.Right <= clip.Left) return height;
      if (v1 - v0 < h) {
        const int rows = v1 - v0, first = top + (v0 - (y + o.Y));
        const size_t stride = ((size_t(hdr.biWidth) * hdr.biBitCount + 31) / 32) * 4;
        // The band's rows in memory order: from the first for a top-down
        // picture, from the bottom for a bottom-up one.
        const size_t memRow = hdr.biHeight > 0 ? size_t(height - first - rows) : size_t(first);
        const size_t infoSize = hdr.biSize + (hdr.biCompression == BI_BITFIELDS ? 12 : 0);
        std::vector<Byte> info(infoSize);
        std::memcpy(info.data(), bmi, infoSize);
        auto* part = reinterpret_cast<BITMAPINFO*>(info.data());
        part->bmiHeader.biHeight = hdr.biHeight > 0 ? rows : -rows;
        part->bmiHeader.biSizeImage = 0;
        auto band = DecodeDib(static_cast<const Byte*>(bits) + memRow * stride, part, usage, 0, rows);
        if (!band) return 0;
        if (!StretchFromSurface(ds, nullptr, *band, x, v0 - o.Y, w, rows, sx, 0, sw, rows, rop & 0x00FFFFFF))
          return 0;
        return height;
      }
    }
  }
  auto s = DecodeDib(bits, bmi, usage, 0, height);
  if (!s) return 0;
  // Bottom-up DIBs count source rows from the bottom.
  int top = bmi->bmiHeader.biHeight > 0 ? height - sy - sh : sy;
  if (sh < 0 && bmi->bmiHeader.biHeight > 0) top = height - sy - 1;
  if (!StretchFromSurface(ds, nullptr, *s, x, y, w, h, sx, top, sw, sh, rop & 0x00FFFFFF)) return 0;
  return height;
}

int SetDIBitsToDevice(HDC dc, int x, int y, DWORD w, DWORD h, int sx, int sy, UINT startScan, UINT lines,
                      const void* bits, const BITMAPINFO* bmi, UINT usage) {
  if (gFailSetDIBits) return 0;
  TDrawScope ds(dc);
  if (!ds || !bmi || !bits || w > 0x7FFFFFFF || h > 0x7FFFFFFF) return 0;
  int height = std::abs(bmi->bmiHeader.biHeight);
  bool bottomUp = bmi->bmiHeader.biHeight > 0;
  if (startScan >= UINT(height) || lines == 0) return 0;
  lines = std::min<UINT>(lines, UINT(height) - startScan);
  TGdiSurfacePtr s;
  int firstRow = 0, srcTop = sy;
  if (bottomUp) {
    // The bits hold scan lines startScan .. startScan + lines - 1, counted
    // from the bottom, and only those are drawn.
    const auto& hdr = bmi->bmiHeader;
    if (hdr.biSize < sizeof(BITMAPINFOHEADER) || hdr.biSize > 124 || hdr.biBitCount == 0) return 0;
    size_t infoSize = hdr.biSize + (hdr.biCompression == BI_BITFIELDS ? 12 : 0);
    if (hdr.biBitCount <= 8)
      infoSize += size_t(hdr.biClrUsed ? std::min<DWORD>(hdr.biClrUsed, 256) : (1u << std::min<WORD>(hdr.biBitCount, 8))) * 4;
    std::vector<Byte> info(infoSize);
    std::memcpy(info.data(), bmi, infoSize);
    auto* part = reinterpret_cast<BITMAPINFO*>(info.data());
    part->bmiHeader.biHeight = int(lines);
    s = DecodeDib(bits, part, usage, 0, int(lines));
    firstRow = height - int(startScan + lines);
    srcTop = height - sy - int(h);
  } else {
    // A top-down DIB's bits always start with its top row and hold the whole
    // picture; the source rectangle is drawn whatever band the scan-line
    // arguments name (callers pass the rectangle's height from scan 0).
    s = DecodeDib(bits, bmi, usage, 0, height);
  }
  if (!s) return 0;
  TDCObj& d = *ds.DC;
  TPoint o = d.Offset();
  if (!CoordOk(Int64(x) + o.X, Int64(y) + o.Y, w, h) || !CoordOk(sx, srcTop, w, h)) return 0;
  TRect dr(x + o.X, y + o.Y, x + o.X + int(w), y + o.Y + int(h));
  TSampler smp = MakeSampler(*s, sx, srcTop - firstRow, int(w), int(h), int(w), int(h), false, false, false);
  Transfer(d, *ds.S, dr, nullptr, smp, [](int, int, uint32_t sv, uint32_t, bool&) { return sv; });
  return int(lines);
}

BOOL MaskBlt(HDC dst, int x, int y, int w, int h, HDC src, int sx, int sy, HBITMAP mask, int mx, int my,
             DWORD rop4) {
  DWORD fore = rop4 & 0x00FFFFFF;
  DWORD back = ((rop4 >> 8) & 0x00FF0000);
  if (!mask) return BitBlt(dst, x, y, w, h, src, sx, sy, fore);
  auto m = LookupBitmap(mask);
  if (!m || !m->Surface->Monochrome) return 0;
  if (m->Shadowed()) m->SyncIn();
  TDrawScope ds(dst);
  if (!ds) return 0;
  bool needSrc = RopUsesSource(fore) || RopUsesSource(back);
  TDrawScope ss(needSrc ? src : dst, false);
  if (!ss) return 0;
  if (w <= 0 || h <= 0) return 1;
  TDCObj& d = *ds.DC;
  TPoint o = d.Offset(), so = ss.DC->Offset();
  if (!CoordOk(Int64(x) + o.X, Int64(y) + o.Y, w, h) || !CoordOk(Int64(sx) + so.X, Int64(sy) + so.Y, w, h)) return 0;
  TRect dr(x + o.X, y + o.Y, x + o.X + w, y + o.Y + h);
  TSampler smp = needSrc ? MakeSampler(*ss.S, sx + so.X, sy + so.Y, w, h, w, h, false, false, false)
                         : MakeSampler(*ds.S, dr.Left, dr.Top, w, h, w, h, false, false, false);
  TPaint pat = BrushPaint(d, nullptr, true);
  const TGdiSurface& M = *m->Surface;
  Transfer(d, *ds.S, dr, ss.DC.get(), smp, [&](int px, int py, uint32_t sv, uint32_t dv, bool&) {
    int qx = mx + px - dr.Left, qy = my + py - dr.Top;
    bool fg = qx >= 0 && qy >= 0 && qx < M.Width && qy < M.Height && (M.Pixel(qx, qy) & 0xFFFFFF);
    DWORD rop = fg ? fore : back;
    return Rop3(rop, pat.Null ? 0 : pat.At(px, py), sv, dv);
  });
  return 1;
}

BOOL TransparentBlt(HDC dst, int x, int y, int w, int h, HDC src, int sx, int sy, int sw, int sh,
                    UINT transparent) {
  if (w <= 0 || h <= 0 || sw <= 0 || sh <= 0) return 0;
  TDrawScope ds(dst);
  TDrawScope ss(src, false);
  if (!ds || !ss) return 0;
  TDCObj& d = *ds.DC;
  TPoint o = d.Offset(), so = ss.DC->Offset();
  if (!CoordOk(Int64(x) + o.X, Int64(y) + o.Y, w, h) || !CoordOk(Int64(sx) + so.X, Int64(sy) + so.Y, sw, sh)) return 0;
  TRect dr(x + o.X, y + o.Y, x + o.X + w, y + o.Y + h);
  TSampler smp = MakeSampler(*ss.S, sx + so.X, sy + so.Y, sw, sh, w, h, false, false, false);
  uint32_t key = ColorRefToPixel(transparent & 0x00FFFFFF);
  Transfer(
      d, *ds.S, dr, ss.DC.get(), smp, [](int, int, uint32_t sv, uint32_t, bool&) { return sv; }, &key);
  return 1;
}

namespace {

// AlphaBlend from source surface S, whose device origin is so, onto the
// destination of ds; the arguments are checked and the extents positive.
BOOL AlphaBlendFrom(TDrawScope& ds, const TGdiSurface* S, TPoint so, int x, int y, int w, int h, int sx, int sy,
                    int sw, int sh, BLENDFUNCTION bf) {
  TDCObj& d = *ds.DC;
  TPoint o = d.Offset();
  if (!CoordOk(Int64(x) + o.X, Int64(y) + o.Y, w, h) || !CoordOk(Int64(sx) + so.X, Int64(sy) + so.Y, sw, sh)) return 0;
  TRect dr(x + o.X, y + o.Y, x + o.X + w, y + o.Y + h);
  uint32_t k = bf.SourceConstantAlpha;
  bool perPixel = bf.AlphaFormat & AC_SRC_ALPHA;
  // One rounding per byte, from the exact products. x / 255 rounded is
  // (x + 128 + ((x + 128) >> 8)) >> 8 for every x below 65536; two bytes go
  // through it at once in the 16-bit halves of a word.
  auto div255x2 = [](uint32_t x) {  // x: two 16-bit lanes
    x += 0x00800080u;
    return ((x + ((x >> 8) & 0x00FF00FFu)) >> 8) & 0x00FF00FFu;
  };
  auto addSat = [](uint32_t a, uint32_t b) {  // lanes of bytes, saturating
    uint32_t sum = a + b;
    uint32_t over = (sum >> 8) & 0x00010001u;
    return (sum | (over * 0xFF)) & 0x00FF00FFu;
  };
  auto blend = [&](uint32_t sv, uint32_t dv) -> uint32_t {
    uint32_t out = 0;
    if (!perPixel) {
      uint32_t rb = div255x2((sv & 0x00FF00FFu) * k + (dv & 0x00FF00FFu) * (255 - k));
      uint32_t ag = div255x2(((sv >> 8) & 0x00FF00FFu) * k + ((dv >> 8) & 0x00FF00FFu) * (255 - k));
      return rb | (ag << 8);
    }
    if (k == 255) {
      uint32_t a = sv >> 24;
      if (sv == 0) return dv;
      if (a == 255) return sv;
      uint32_t rb = div255x2((dv & 0x00FF00FFu) * (255 - a));
      uint32_t ag = div255x2(((dv >> 8) & 0x00FF00FFu) * (255 - a));
      return addSat(sv & 0x00FF00FFu, rb) | (addSat((sv >> 8) & 0x00FF00FFu, ag) << 8);
    }
    uint32_t ak = (sv >> 24) * k;  // source alpha times k, scaled by 255
    for (int c = 0; c < 32; c += 8) {
      uint32_t sc = (sv >> c) & 0xFF, t = (dv >> c) & 0xFF;
      out |= std::min<uint32_t>(255, (sc * k * 255 + t * (65025 - ak) + 32512) / 65025) << c;
    }
    return out;
  };
  if (sw == w && sh == h && !ds.S->Monochrome && !S->Monochrome && !GdiGeneralTransfers()) {
    // Unstretched: straight over the rows, the source read first where it
    // overlaps the destination.
    int shiftX = sx + so.X - dr.Left, shiftY = sy + so.Y - dr.Top;
    TRect srcInDst = S->BoundsRect();
    OffsetRect(srcInDst, -shiftX, -shiftY);
    TRegion area(dr);
    area.IntersectRect(srcInDst);
    area.Intersect(d.EffectiveClip());
    d.NoteWriteArea(area);
    // Onto itself, the whole source is taken first: rows written earlier
    // may be rows read later.
    std::vector<uint32_t> copy;
    const TRect box = area.Box();
    if (ds.S == S && !area.Empty()) {
      copy.resize(size_t(box.Width()) * size_t(box.Height()));
      for (int yy = box.Top; yy < box.Bottom; ++yy)
        std::memcpy(&copy[size_t(yy - box.Top) * size_t(box.Width())],
                    S->Scanline(yy + shiftY) + box.Left + shiftX, size_t(box.Width()) * 4);
    }
    for (const TRect& b : area.Rects())
      for (int yy = b.Top; yy < b.Bottom; ++yy) {
        const uint32_t* srow =
            copy.empty() ? S->Scanline(yy + shiftY) + b.Left + shiftX
                         : &copy[size_t(yy - box.Top) * size_t(box.Width()) + size_t(b.Left - box.Left)];
        uint32_t* drow = ds.S->Scanline(yy) + b.Left;
        if (perPixel && k == 255) OverRow(srow, drow, size_t(b.Width()));
        else for (int i = 0; i < b.Width(); ++i) drow[i] = blend(srow[i], drow[i]);
      }
    return 1;
  }
  TSampler smp = MakeSampler(*S, sx + so.X, sy + so.Y, sw, sh, w, h, false, false,
                             d.State.StretchMode == HALFTONE);
  Transfer(d, *ds.S, dr, nullptr, smp, [&](int, int, uint32_t sv, uint32_t dv, bool&) { return blend(sv, dv); });
  return 1;
}

}  // namespace

BOOL AlphaBlend(HDC dst, int x, int y, int w, int h, HDC src, int sx, int sy, int sw, int sh, BLENDFUNCTION bf) {
  if (w < 0 || h < 0 || sw < 0 || sh < 0 || bf.BlendOp != AC_SRC_OVER) return 0;
  TDrawScope ds(dst);
  TDrawScope ss(src, false);
  if (!ds || !ss) return 0;
  if (w == 0 || h == 0 || sw == 0 || sh == 0) return 1;
  return AlphaBlendFrom(ds, ss.S, ss.DC->Offset(), x, y, w, h, sx, sy, sw, sh, bf);
}

BOOL AlphaBlendSurface(HDC dst, int x, int y, const TGdiSurface& src, BLENDFUNCTION bf) {
  if (bf.BlendOp != AC_SRC_OVER) return 0;
  TDrawScope ds(dst);
  if (!ds) return 0;
  if (src.Width <= 0 || src.Height <= 0) return 1;
  return AlphaBlendFrom(ds, &src, TPoint(0, 0), x, y, src.Width, src.Height, 0, 0, src.Width, src.Height, bf);
}

}  // namespace vcl
