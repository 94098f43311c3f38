// The painting core (brushes, raster operations, clipped region painting)
// and the rectangle fills and block transfers built on it.
#include <algorithm>
#include <cstring>

#include "platform/gdi/GdiInternal.h"
#include "platform/gdi/GdiRows.h"

namespace vcl {

using namespace gdi;

namespace gdi {

uint32_t Rop2(int code, uint32_t p, uint32_t d) {
  switch (code) {
    case R2_COPYPEN: return p;
    case R2_XORPEN: return p ^ d;
    case R2_NOT: return ~d;
    case R2_NOP: return d;
    default: break;
  }
  unsigned t = unsigned(code - 1);
  uint32_t r = 0;
  if (t & 1) r |= ~p & ~d;
  if (t & 2) r |= ~p & d;
  if (t & 4) r |= p & ~d;
  if (t & 8) r |= p & d;
  return r;
}

uint32_t Rop3(DWORD rop, uint32_t p, uint32_t s, uint32_t d) {
  unsigned t = (rop >> 16) & 0xFF;
  switch (t) {
    case 0xCC: return s;
    case 0xEE: return s | d;
    case 0x88: return s & d;
    case 0x66: return s ^ d;
    case 0xF0: return p;
    case 0x5A: return p ^ d;
    case 0x55: return ~d;
    case 0x00: return 0;
    case 0xFF: return ~0u;
    default: break;
  }
  uint32_t r = 0;
  for (unsigned i = 0; i < 8; ++i)
    if ((t >> i) & 1) r |= ((i & 4) ? p : ~p) & ((i & 2) ? s : ~s) & ((i & 1) ? d : ~d);
  return r;
}

bool RopUsesSource(DWORD rop) {
  unsigned t = (rop >> 16) & 0xFF;
  return ((t >> 2) ^ t) & 0x33;
}

bool RopUsesPattern(DWORD rop) {
  unsigned t = (rop >> 16) & 0xFF;
  return ((t >> 4) ^ t) & 0x0F;
}

uint32_t MonoPixel(uint32_t p) {
  unsigned r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, b = p & 0xFF;
  return (r * 77 + g * 150 + b * 29) >= 128u * 256u ? 0x00FFFFFFu : 0u;
}

uint32_t MonoPixel(const TGdiSurface& s, uint32_t p) {
  if (!s.MonoTable) return MonoPixel(p);
  auto dist = [p](uint32_t q) {
    int d = 0;
    for (int c = 0; c < 24; c += 8) {
      int e = int((p >> c) & 0xFF) - int((q >> c) & 0xFF);
      d += e * e;
    }
    return d;
  };
  int d0 = dist(s.MonoColors[0]), d1 = dist(s.MonoColors[1]);
  if (d0 == d1) return MonoPixel(p);
  return d1 < d0 ? 0x00FFFFFFu : 0u;
}

namespace {
// 8x8 hatch masks, bit (y * 8 + x).
uint64_t HatchBits(int hatch) {
  uint64_t m = 0;
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) {
      bool on = false;
      switch (hatch) {
        case HS_HORIZONTAL: on = y == 3; break;
        case HS_VERTICAL: on = x == 3; break;
        case HS_FDIAGONAL: on = x == y; break;
        case HS_BDIAGONAL: on = x + y == 7; break;
        case HS_CROSS: on = x == 3 || y == 3; break;
        case HS_DIAGCROSS: on = x == y || x + y == 7; break;
        default: break;
      }
      if (on) m |= uint64_t(1) << (y * 8 + x);
    }
  return m;
}
}  // namespace

TPaint SolidPaint(TDCObj& dc, COLORREF c) {
  TPaint p;
  p.Color = ColorRefToPixel(c);
  if (auto* s = dc.Surface(); s && s->Monochrome) p.Color = MonoPixel(*s, p.Color);
  return p;
}

TPaint BrushPaint(TDCObj& dc, const TBrushObj* b, bool forBlt) {
  TPaint p;
  if (!b) b = static_cast<const TBrushObj*>(dc.State.Brush.get());
  if (!b || b->Log.lbStyle == BS_NULL) {
    p.Null = true;
    return p;
  }
  const TGdiSurface* surface = dc.Surface();
  bool mono = surface && surface->Monochrome;
  auto fix = [&](uint32_t v) { return mono ? MonoPixel(*surface, v) : v & 0x00FFFFFF; };
  p.PatOrg = {dc.State.BrushOrg.X + dc.DeviceOrigin.X, dc.State.BrushOrg.Y + dc.DeviceOrigin.Y};
  switch (b->Log.lbStyle) {
    case BS_HATCHED: {
      p.Solid = false;
      uint64_t bits = HatchBits(int(b->Log.lbHatch));
      uint32_t fg = fix(ColorRefToPixel(b->Log.lbColor)), bg = fix(ColorRefToPixel(dc.State.BkColor));
      for (int i = 0; i < 64; ++i) p.Pat[size_t(i)] = ((bits >> i) & 1) ? fg : bg;
      if (!forBlt && dc.State.BkMode == TRANSPARENT) p.PatMask = bits;
      return p;
    }
    case BS_PATTERN: {
      p.Solid = false;
      uint32_t fg = fix(ColorRefToPixel(dc.State.TextColor)), bg = fix(ColorRefToPixel(dc.State.BkColor));
      for (size_t i = 0; i < 64; ++i)
        p.Pat[i] = b->MonoPattern ? (b->Pattern[i] ? bg : fg) : fix(b->Pattern[i]);
      return p;
    }
    default:
      p.Color = fix(ColorRefToPixel(b->DCBrush ? dc.State.DCBrushColor : b->Log.lbColor));
      return p;
  }
}

void PaintRegionRop2(TDCObj& dc, TGdiSurface& s, const TRegion& rgn, const TPaint& paint, int rop2) {
  if (paint.Null || rop2 == R2_NOP) return;
  TRegion r = rgn;
  r.Intersect(dc.EffectiveClip());
  dc.NoteWriteArea(r);
  const uint32_t keep = 0x00FFFFFFu;  // drawing leaves alpha 0
  for (const TRect& b : r.Rects()) {
    for (int y = b.Top; y < b.Bottom; ++y) {
      uint32_t* row = s.Scanline(y);
      if (paint.Solid && rop2 == R2_COPYPEN) {
        std::fill(row + b.Left, row + b.Right, paint.Color & keep);
        continue;
      }
      for (int x = b.Left; x < b.Right; ++x) {
        if (!paint.Painted(x, y)) continue;
        row[x] = Rop2(rop2, paint.At(x, y), row[x]) & keep;
      }
    }
  }
}

void PaintRegionRop3(TDCObj& dc, TGdiSurface& s, const TRegion& rgn, const TPaint& paint, DWORD rop) {
  TRegion r = rgn;
  r.Intersect(dc.EffectiveClip());
  dc.NoteWriteArea(r);
  uint32_t keep = s.Monochrome ? 0x00FFFFFFu : 0xFFFFFFFFu;
  bool usesP = RopUsesPattern(rop);
  if (usesP && paint.Null) return;
  DWORD t = (rop >> 16) & 0xFF;
  const bool solid = paint.Solid && (t == 0xF0 || t == 0x00 || t == 0xFF) && !GdiGeneralTransfers();
  const uint32_t fill = Rop3(rop, paint.Color, 0, 0) & keep;
  for (const TRect& b : r.Rects()) {
    for (int y = b.Top; y < b.Bottom; ++y) {
      uint32_t* row = s.Scanline(y);
      if (solid) {
        FillRow(row + b.Left, size_t(b.Width()), fill);
        continue;
      }
      for (int x = b.Left; x < b.Right; ++x) row[x] = Rop3(rop, usesP ? paint.At(x, y) : 0, 0, row[x]) & keep;
    }
  }
}

}  // namespace gdi

// ---------------------------------------------------------------------------

COLORREF SetPixel(HDC dc, int x, int y, COLORREF c) {
  TDrawScope sc(dc, true, y);
  if (!sc) return CLR_INVALID;
  TPoint o = sc.DC->Offset();
  int px = x + o.X, py = y + o.Y;
  if (!pixman_region32_contains_point(sc.DC->EffectiveClip().mut(), px, py, nullptr)) return CLR_INVALID;
  uint32_t v = SolidPaint(*sc.DC, c).Color;
  sc.S->Pixel(px, py) = v;
  return PixelToColorRef(v);
}

BOOL SetPixelV(HDC dc, int x, int y, COLORREF c) { return SetPixel(dc, x, y, c) != CLR_INVALID; }

COLORREF GetPixel(HDC dc, int x, int y) {
  TDrawScope sc(dc, false, y);
  if (!sc) return CLR_INVALID;
  TPoint o = sc.DC->Offset();
  int px = x + o.X, py = y + o.Y;
  if (!pixman_region32_contains_point(sc.DC->EffectiveClip().mut(), px, py, nullptr)) return CLR_INVALID;
  uint32_t v = sc.S->Pixel(px, py);
  // A 1-bit DIB section answers with its table's colours; a monochrome DDB
  // with black and white.
  if (sc.S->Monochrome && sc.S->MonoTable) v = sc.S->MonoColors[(v & 0x00FFFFFF) ? 1 : 0];
  return PixelToColorRef(v);
}

// Out-of-range rectangles come back empty.
static TRect SurfaceRect(TDCObj& d, Int64 l, Int64 t, Int64 r, Int64 b) {
  if (r < l) std::swap(l, r);
  if (b < t) std::swap(t, b);
  TPoint o = d.Offset();
  l += o.X, t += o.Y, r += o.X, b += o.Y;
  if (!CoordOk(l) || !CoordOk(t) || !CoordOk(r) || !CoordOk(b)) return {};
  return {int(l), int(t), int(r), int(b)};
}

// hbr may be COLOR_* + 1.
static std::shared_ptr<TBrushObj> ResolveBrush(HBRUSH hbr) {
  auto v = reinterpret_cast<uintptr_t>(hbr);
  if (v > 0 && v <= uintptr_t(COLOR_ENDCOLORS + 1)) return LookupBrush(GetSysColorBrush(int(v) - 1));
  return LookupBrush(hbr);
}

int FillRect(HDC dc, const RECT* rc, HBRUSH hbr) {
  TDrawScope sc(dc);
  auto b = ResolveBrush(hbr);
  if (!sc || !rc || !b) return 0;
  if (rc->IsEmpty()) return 1;
  TRect r = SurfaceRect(*sc.DC, rc->Left, rc->Top, rc->Right, rc->Bottom);
  PaintRegionRop3(*sc.DC, *sc.S, TRegion(r), BrushPaint(*sc.DC, b.get(), true), PATCOPY);
  return 1;
}

int FrameRect(HDC dc, const RECT* rc, HBRUSH hbr) {
  TDrawScope sc(dc);
  auto b = ResolveBrush(hbr);
  if (!sc || !rc || !b) return 0;
  if (rc->IsEmpty()) return 1;
  TRect r = SurfaceRect(*sc.DC, rc->Left, rc->Top, rc->Right, rc->Bottom);
  TRegion frame(r);
  frame.Subtract(TRegion(TRect(r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1)));
  PaintRegionRop3(*sc.DC, *sc.S, frame, BrushPaint(*sc.DC, b.get(), true), PATCOPY);
  return 1;
}

BOOL InvertRect(HDC dc, const RECT* rc) {
  TDrawScope sc(dc);
  if (!sc || !rc) return 0;
  TRect r = SurfaceRect(*sc.DC, rc->Left, rc->Top, rc->Right, rc->Bottom);
  PaintRegionRop3(*sc.DC, *sc.S, TRegion(r), TPaint{}, DSTINVERT);
  return 1;
}

BOOL DrawFocusRect(HDC dc, const RECT* rc) {
  TDrawScope sc(dc);
  if (!sc || !rc) return 0;
  if (rc->IsEmpty()) return 1;
  TRect r = SurfaceRect(*sc.DC, rc->Left, rc->Top, rc->Right, rc->Bottom);
  TRegion frame(r);
  frame.Subtract(TRegion(TRect(r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1)));
  TPaint p;
  p.Solid = false;
  for (int i = 0; i < 64; ++i) p.Pat[size_t(i)] = ((i / 8 + i % 8) & 1) ? 0 : 0x00FFFFFF;
  p.PatOrg = {sc.DC->State.BrushOrg.X + sc.DC->DeviceOrigin.X, sc.DC->State.BrushOrg.Y + sc.DC->DeviceOrigin.Y};
  PaintRegionRop3(*sc.DC, *sc.S, frame, p, PATINVERT);
  return 1;
}

BOOL PatBlt(HDC dc, int x, int y, int w, int h, DWORD rop) {
  TDrawScope sc(dc);
  if (!sc) return 0;
  rop &= 0x00FFFFFF;
  if (RopUsesSource(rop)) return 0;
  TRect r = SurfaceRect(*sc.DC, x, y, Int64(x) + w, Int64(y) + h);
  PaintRegionRop3(*sc.DC, *sc.S, TRegion(r), BrushPaint(*sc.DC, nullptr, true), rop);
  return 1;
}

BOOL BitBlt(HDC dst, int x, int y, int w, int h, HDC src, int sx, int sy, DWORD rop) {
  rop &= 0x00FFFFFF;
  if (!RopUsesSource(rop)) return PatBlt(dst, x, y, w, h, rop);
  TDrawScope ds(dst);
  TDrawScope ss(src, false);
  if (!ds || !ss) return 0;
  if (w <= 0 || h <= 0) return 1;
  TDCObj& d = *ds.DC;
  TDCObj& s = *ss.DC;
  TPoint dOff = d.Offset(), sOff = s.Offset();
  if (!CoordOk(Int64(x) + dOff.X, Int64(y) + dOff.Y, w, h) || !CoordOk(Int64(sx) + sOff.X, Int64(sy) + sOff.Y, w, h))
    return 0;
  TRect dr(x + dOff.X, y + dOff.Y, x + dOff.X + w, y + dOff.Y + h);
  int shiftX = (sx + sOff.X) - dr.Left, shiftY = (sy + sOff.Y) - dr.Top;  // dst -> src
  TRegion area(dr);
  TRect srcInDst = ss.S->BoundsRect();
  OffsetRect(srcInDst, -shiftX, -shiftY);
  area.IntersectRect(srcInDst);
  area.Intersect(d.EffectiveClip());
  d.NoteWriteArea(area);
  if (area.Empty()) return 1;

  TGdiSurface& D = *ds.S;
  TGdiSurface& S = *ss.S;
  // Reading and writing the same pixels (scrolling): take the source first.
  std::vector<uint32_t> copy;
  TRect box = area.Box();
  int cw = box.Width();
  bool same = ss.S == ds.S;
  if (same) {
    copy.resize(size_t(cw) * size_t(box.Height()));
    for (int yy = box.Top; yy < box.Bottom; ++yy)
      std::memcpy(&copy[size_t(yy - box.Top) * size_t(cw)], S.Scanline(yy + shiftY) + box.Left + shiftX,
                  size_t(cw) * 4);
  }
  auto srcRow = [&](int yy) -> const uint32_t* {
    if (same) return &copy[size_t(yy - box.Top) * size_t(cw)] - box.Left;
    return S.Scanline(yy + shiftY) + shiftX;
  };
  // Depth conversions: colour to monochrome by the source's background
  // colour, monochrome to colour through the destination's text and
  // background colours.
  bool toMono = D.Monochrome && !S.Monochrome;
  bool fromMono = S.Monochrome && !D.Monochrome;
  uint32_t srcBk = ColorRefToPixel(s.State.BkColor);
  uint32_t fg = ColorRefToPixel(d.State.TextColor), bg = ColorRefToPixel(d.State.BkColor);
  uint32_t keep = D.Monochrome ? 0x00FFFFFFu : 0xFFFFFFFFu;
  bool usesP = RopUsesPattern(rop);
  TPaint pat = usesP ? BrushPaint(d, nullptr, true) : TPaint{};
  const bool general = GdiGeneralTransfers();
  const bool plainCopy = rop == SRCCOPY && !toMono && !fromMono && !general;
  auto transfer = [&](const TRect& b) {
    // Whole rows of two surfaces with the same layout are one block, which
    // the C library copies with its large-block strategy.
    if (plainCopy && !same && shiftX == 0 && b.Left == 0 && NativeInt(b.Width()) * 4 == D.Stride &&
        S.Stride == D.Stride) {
      std::memcpy(D.Scanline(b.Top), S.Scanline(b.Top + shiftY), size_t(b.Width()) * size_t(b.Height()) * 4);
      return;
    }
    if (plainCopy && !same) {
      if (b.Bottom > b.Top)
        CopyRows(S.Scanline(b.Top + shiftY) + shiftX + b.Left, S.Stride, D.Scanline(b.Top) + b.Left, D.Stride,
                 size_t(b.Width()), size_t(b.Bottom - b.Top));
      return;
    }
    for (int yy = b.Top; yy < b.Bottom; ++yy) {
      uint32_t* drow = D.Scanline(yy);
      const uint32_t* srow = srcRow(yy);
      if (plainCopy) {
        CopyRow(srow + b.Left, drow + b.Left, size_t(b.Width()));
        continue;
      }
      for (int xx = b.Left; xx < b.Right; ++xx) {
        uint32_t sv = srow[xx];
        if (toMono) sv = ((sv ^ srcBk) & 0x00FFFFFF) == 0 ? 0x00FFFFFFu : 0u;
        else if (fromMono) sv = S.MonoToColor(sv, fg, bg);
        drow[xx] = Rop3(rop, usesP ? pat.At(xx, yy) : 0, sv, drow[xx]) & keep;
      }
    }
  };
  // A rectangle clipped by a plain visible area stays one rectangle: its
  // box is the whole of it, without a list to allocate.
  if (area.Count() == 1) {
    transfer(box);
    return 1;
  }
  for (const TRect& b : area.Rects()) transfer(b);
  return 1;
}

}  // namespace vcl
